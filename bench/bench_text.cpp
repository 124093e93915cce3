// Text and bitmap throughput: DrawTextEx of one 60-character line (glyphs cached after the
// first call), layout alone, and loading / saving a 1920 x 1080 24-bit bitmap file.
#include "toolkit/graphics/Bitmap.h"
#include "toolkit/graphics/BmpCodec.h"
#include "toolkit/graphics/FontEngine.h"
#include "toolkit/graphics/TextDraw.h"
#include "toolkit/graphics/Windows.h"

#include <benchmark/benchmark.h>
#include <cstring>

using namespace qel;

namespace {

const char* const Line = "The quick brown fox jumps over the lazy dog, 0123456789 ABCD"; // 60

struct TBenchDC {
    TSurface Surf{640, 48, 0xFFFFFF};
    HDC Dc = 0;
    HFONT Font = 0;
    TBenchDC() {
        Dc = CreateDCForSurface(&Surf);
        LOGFONTA Lf;
        Lf.lfHeight = -11;
        std::strcpy(Lf.lfFaceName, "MS Sans Serif");
        Font = CreateFontIndirectA(&Lf);
        SelectObject(Dc, Font);
        SetBkMode(Dc, TRANSPARENT);
    }
    ~TBenchDC() {
        DeleteDC(Dc);
        DeleteObject(Font);
    }
};

void BM_DrawTextEx60(benchmark::State& State) {
    TBenchDC D;
    const UINT Flags = static_cast<UINT>(State.range(0));
    for (auto _ : State) {
        TRect R{4, 4, 636, 44};
        benchmark::DoNotOptimize(DrawTextExA(D.Dc, Line, -1, &R, Flags, nullptr));
    }
    State.SetItemsProcessed(State.iterations());
}
BENCHMARK(BM_DrawTextEx60)
    ->Arg(DT_LEFT | DT_SINGLELINE)
    ->Arg(DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS)
    ->Arg(DT_WORDBREAK | DT_EXPANDTABS)
    ->Unit(benchmark::kMicrosecond);

void BM_LayoutText60(benchmark::State& State) {
    TFontSpec S;
    S.Name = "MS Sans Serif";
    S.Height = -11;
    auto F = TFontFace::Acquire(S);
    for (auto _ : State)
        benchmark::DoNotOptimize(LayoutText(*F, Line, {0, 0, 200, 100}, DT_WORDBREAK));
}
BENCHMARK(BM_LayoutText60)->Unit(benchmark::kMicrosecond);

std::vector<uint8_t> FullHdFile() {
    TSurface S(1920, 1080);
    for (int Y = 0; Y < S.Height; ++Y)
        for (int X = 0; X < S.Width; ++X)
            S.Set(X, Y, static_cast<uint32_t>((X * 7) ^ (Y * 13) ^ (X * Y)) & 0xFFFFFF);
    TBmpWriteOptions O;
    O.BitCount = 24;
    return EncodeBmp(S, O);
}

void BM_DecodeBmp1080p(benchmark::State& State) {
    const std::vector<uint8_t> File = FullHdFile();
    for (auto _ : State)
        benchmark::DoNotOptimize(DecodeBmp(File));
    State.SetBytesProcessed(State.iterations() * static_cast<int64_t>(File.size()));
}
BENCHMARK(BM_DecodeBmp1080p)->Unit(benchmark::kMillisecond);

void BM_TBitmapLoad1080p(benchmark::State& State) {
    const std::vector<uint8_t> File = FullHdFile();
    TBitmap B;
    for (auto _ : State)
        B.LoadFromBytes(File);
    State.SetBytesProcessed(State.iterations() * static_cast<int64_t>(File.size()));
}
BENCHMARK(BM_TBitmapLoad1080p)->Unit(benchmark::kMillisecond);

void BM_EncodeBmp1080p(benchmark::State& State) {
    const TBmpImage Img = DecodeBmp(FullHdFile());
    TBmpWriteOptions O;
    O.BitCount = 24;
    for (auto _ : State)
        benchmark::DoNotOptimize(EncodeBmp(Img.Pixels, O));
}
BENCHMARK(BM_EncodeBmp1080p)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
