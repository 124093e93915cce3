// Raster engine speed on a 1920 x 1080 bitmap, against the memory operations that bound it:
// solid fills against memset of the same bytes, SRCCOPY blits against memcpy. Each benchmark
// reports its time per iteration divided by the reference's as the counter "ratio".
#include "toolkit/graphics/DeviceContext.h"
#include "toolkit/graphics/Windows.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>
#include <vector>

using namespace qel;

namespace {

constexpr int W = 1920, H = 1080;
constexpr std::size_t Bytes = std::size_t(W) * H * 4;

struct TTarget {
    HDC Dc;
    HBITMAP Bmp;
    HGDIOBJ Old;
    TTarget() {
        Dc = CreateCompatibleDC(0);
        Bmp = CreateBitmap(W, H, 1, 32, nullptr);
        Old = SelectObject(Dc, Bmp);
    }
    ~TTarget() {
        SelectObject(Dc, Old);
        DeleteObject(Bmp);
        DeleteDC(Dc);
    }
};

// Best-of timing of a reference operation, in nanoseconds.
template <class F> double ReferenceNs(F&& Fn) {
    double Best = 1e30;
    for (int Round = 0; Round < 15; ++Round) {
        const auto T0 = std::chrono::steady_clock::now();
        for (int I = 0; I < 4; ++I)
            Fn();
        const auto T1 = std::chrono::steady_clock::now();
        Best = std::min(Best, std::chrono::duration<double, std::nano>(T1 - T0).count() / 4);
    }
    return Best;
}

double MemsetNs() {
    static const double Ns = [] {
        std::vector<std::uint32_t> Buf(Bytes / 4);
        return ReferenceNs([&] {
            std::memset(Buf.data(), 0x5A, Bytes);
            benchmark::DoNotOptimize(Buf.data());
            benchmark::ClobberMemory();
        });
    }();
    return Ns;
}

double MemcpyNs() {
    static const double Ns = [] {
        std::vector<std::uint32_t> A(Bytes / 4, 1), B(Bytes / 4);
        return ReferenceNs([&] {
            std::memcpy(B.data(), A.data(), Bytes);
            benchmark::DoNotOptimize(B.data());
            benchmark::ClobberMemory();
        });
    }();
    return Ns;
}

// Runs Fn per iteration and reports the best iteration against Reference.
template <class F> void Measure(benchmark::State& State, double Reference, F&& Fn) {
    double Best = 1e30;
    for (auto _ : State) {
        const auto T0 = std::chrono::steady_clock::now();
        Fn();
        benchmark::ClobberMemory();
        const auto T1 = std::chrono::steady_clock::now();
        Best = std::min(Best, std::chrono::duration<double, std::nano>(T1 - T0).count());
    }
    State.counters["ratio"] = Best / Reference;
    State.counters["best_ms"] = Best / 1e6;
    State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations() * Bytes));
}

void BM_Memset(benchmark::State& State) {
    std::vector<std::uint32_t> Buf(Bytes / 4);
    Measure(State, MemsetNs(), [&] { std::memset(Buf.data(), 0x5A, Bytes); });
}

void BM_Memcpy(benchmark::State& State) {
    std::vector<std::uint32_t> A(Bytes / 4, 1), B(Bytes / 4);
    Measure(State, MemcpyNs(), [&] { std::memcpy(B.data(), A.data(), Bytes); });
}

void BM_FillRectSolid(benchmark::State& State) {
    TTarget T;
    HBRUSH Br = CreateSolidBrush(RGB(12, 34, 56));
    const TRect R{0, 0, W, H};
    Measure(State, MemsetNs(), [&] { FillRect(T.Dc, &R, Br); });
    DeleteObject(Br);
}

void BM_PatBltPatCopy(benchmark::State& State) {
    TTarget T;
    HBRUSH Br = CreateSolidBrush(RGB(200, 100, 50));
    HGDIOBJ Old = SelectObject(T.Dc, Br);
    Measure(State, MemsetNs(), [&] { PatBlt(T.Dc, 0, 0, W, H, PATCOPY); });
    SelectObject(T.Dc, Old);
    DeleteObject(Br);
}

void BM_FillRectClipped(benchmark::State& State) {
    // A clip of two rectangles covering the whole bitmap: two bands per fill.
    TTarget T;
    HRGN A = CreateRectRgn(0, 0, W / 2, H), B = CreateRectRgn(W / 2, 0, W, H);
    CombineRgn(A, A, B, RGN_XOR);
    SelectClipRgn(T.Dc, A);
    HBRUSH Br = CreateSolidBrush(RGB(1, 2, 3));
    const TRect R{0, 0, W, H};
    Measure(State, MemsetNs(), [&] { FillRect(T.Dc, &R, Br); });
    DeleteObject(Br);
    DeleteObject(A);
    DeleteObject(B);
}

void BM_BitBltSrcCopy(benchmark::State& State) {
    TTarget Src, Dst;
    PatBlt(Src.Dc, 0, 0, W, H, WHITENESS);
    Measure(State, MemcpyNs(), [&] { BitBlt(Dst.Dc, 0, 0, W, H, Src.Dc, 0, 0, SRCCOPY); });
}

// Rows copied to a place 16 bytes past the source within a page, as between two surfaces that
// happen to be allocated so: the pixel copy the blits use, and the C library's copy it avoids
// there. Each row goes one row down a buffer whose rows are a page and 16 bytes apart.
constexpr std::size_t NearStride = (4096 + 16) / 4;
template <class TCopyRow> void CopyRowsNearPage(benchmark::State& State, TCopyRow&& CopyRow) {
    std::vector<std::uint32_t> Buf(NearStride * (Bytes / 4096 + 2), 7);
    const std::size_t Rows = Bytes / 4096, Row = 4096 / 4;
    Measure(State, MemcpyNs(), [&] {
        for (std::size_t Y = 0; Y < Rows; ++Y)
            CopyRow(Buf.data() + (Y + 1) * NearStride, Buf.data() + Y * NearStride, Row);
    });
}
void BM_CopyPixelsNearPage(benchmark::State& State) {
    CopyRowsNearPage(State, [](std::uint32_t* D, const std::uint32_t* S, std::size_t N) {
        gdi::CopyPixels(D, S, N);
    });
}
void BM_MemmoveNearPage(benchmark::State& State) {
    CopyRowsNearPage(State, [](std::uint32_t* D, const std::uint32_t* S, std::size_t N) {
        std::memmove(D, S, N * sizeof *D);
    });
}

void BM_BitBltSrcInvert(benchmark::State& State) {
    TTarget Src, Dst;
    Measure(State, MemcpyNs(), [&] { BitBlt(Dst.Dc, 0, 0, W, H, Src.Dc, 0, 0, SRCINVERT); });
}

void BM_StretchBltDouble(benchmark::State& State) {
    TTarget Dst;
    HDC Src = CreateCompatibleDC(0);
    HBITMAP Half = CreateBitmap(W / 2, H / 2, 1, 32, nullptr);
    HGDIOBJ Old = SelectObject(Src, Half);
    SetStretchBltMode(Dst.Dc, COLORONCOLOR);
    Measure(State, MemcpyNs(),
            [&] { StretchBlt(Dst.Dc, 0, 0, W, H, Src, 0, 0, W / 2, H / 2, SRCCOPY); });
    SelectObject(Src, Old);
    DeleteObject(Half);
    DeleteDC(Src);
}

void BM_LineToDiagonals(benchmark::State& State) {
    // 1000 lines across the bitmap in all directions; reported per call against memset of
    // the whole bitmap, so the ratio shows how many full-screen fills the batch costs.
    TTarget T;
    Measure(State, MemsetNs(), [&] {
        for (int I = 0; I < 1000; ++I) {
            MoveToEx(T.Dc, (I * 37) % W, 0, nullptr);
            LineTo(T.Dc, W - 1 - (I * 53) % W, H - 1);
        }
    });
    State.counters["lines"] = 1000;
}

void BM_EllipseFull(benchmark::State& State) {
    TTarget T;
    HBRUSH Br = CreateSolidBrush(RGB(9, 8, 7));
    HGDIOBJ Old = SelectObject(T.Dc, Br);
    Measure(State, MemsetNs(), [&] { Ellipse(T.Dc, 0, 0, W, H); });
    SelectObject(T.Dc, Old);
    DeleteObject(Br);
}

} // namespace

BENCHMARK(BM_Memset)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillRectSolid)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PatBltPatCopy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillRectClipped)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BitBltSrcCopy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyPixelsNearPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemmoveNearPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BitBltSrcInvert)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StretchBltDouble)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LineToDiagonals)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EllipseFull)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
