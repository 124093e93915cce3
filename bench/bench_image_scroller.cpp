// The image scroller's tick: one step along the strip and the immediate repaint through the
// form, for a 400 x 100 scroller, against one plain copy of a 400 x 100 surface. The tick's
// share of one core at the default 50 ms interval is reported as "core_share_at_50ms".
#include "toolkit/controls/Forms.h"
#include "toolkit/graphics/Bitmap.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/platform/Headless.h"
#include "toolkit/platform/Window.h"
#include "visual/QELTImageScroller.h"

#include <benchmark/benchmark.h>
#include <ctime>

using namespace qel;

namespace {

constexpr int kW = 400, kH = 100;

void EnsureHeadless() {
    if (!BackendChosen() || !HeadlessBackend()) SetBackend(std::make_unique<THeadlessBackend>());
}

std::unique_ptr<TBitmap> Picture() {
    auto B = std::make_unique<TBitmap>();
    B->SetSize(96, 64);
    for (int Y = 0; Y < 64; ++Y)
        for (int X = 0; X < 96; ++X)
            B->Canvas()->SetPixels(X, Y, TColor(RGB(X * 2, Y * 3, (X ^ Y) & 0xFF)));
    return B;
}

void BM_ScrollerTick(benchmark::State& State) {
    EnsureHeadless();
    auto* F = new TForm(nullptr);
    F->SetBounds(0, 0, kW + 40, kH + 40);
    auto* S = new TQELImageScroller(F);
    S->SetParent(F);
    S->SetBounds(20, 20, kW, kH);
    S->SetScrollStep(3);
    auto P = Picture();
    S->SetBitmap(P.get());
    F->Show();
    for (int I = 0; I < 20 && HasPendingPaint(); ++I)
        Application->ProcessMessages();
    auto CpuSeconds = [] {
        timespec T{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &T);
        return double(T.tv_sec) + double(T.tv_nsec) * 1e-9;
    };
    const double Start = CpuSeconds();
    for (auto _ : State) {
        S->MoveImage(nullptr);
        // What the loop does after the tick: nothing is left to paint.
        Application->ProcessMessages();
    }
    const double PerTick = (CpuSeconds() - Start) / double(State.iterations());
    State.counters["core_share_at_50ms"] = PerTick / 0.050;
    delete F;
}
BENCHMARK(BM_ScrollerTick)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);

void BM_FullSurfaceCopy(benchmark::State& State) {
    TBitmap From, To;
    From.SetSize(kW, kH);
    To.SetSize(kW, kH);
    HDC Src = From.Canvas()->Handle(), Dst = To.Canvas()->Handle();
    for (auto _ : State) {
        BitBlt(Dst, 0, 0, kW, kH, Src, 0, 0, SRCCOPY);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FullSurfaceCopy)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
