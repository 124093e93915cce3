// Slide transitions: wall time of every effect onto a form's canvas at 640 x 480 and
// 1920 x 1080, the share of it spent pumping messages (against a run whose pumps leave the loop
// alone) and the pumps' count. Each run also checks that the form ends showing the picture.
//
//   bench_slides                                   every effect at both sizes
//   bench_slides --benchmark_filter=/640/          the small size only
#include "toolkit/controls/Forms.h"
#include "toolkit/graphics/Bitmap.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/platform/Headless.h"
#include "toolkit/platform/MessageQueue.h"
#include "toolkit/platform/Window.h"
#include "visual/QELTSlideEffects.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>
#include <memory>

using namespace qel;
using Clock = std::chrono::steady_clock;

namespace {

void EnsureHeadless() {
    if (!BackendChosen() || !HeadlessBackend()) SetBackend(std::make_unique<THeadlessBackend>());
}

std::unique_ptr<TBitmap> Picture(int W, int H) {
    auto B = std::make_unique<TBitmap>();
    B->SetSize(W, H);
    TSurface* S = B->Surface();
    for (int Y = 0; Y < H; ++Y)
        for (int X = 0; X < W; ++X)
            S->Set(X, Y, static_cast<std::uint32_t>((X * 7 + Y * 13) & 0xFFFFFF) | 0x010101);
    return B;
}

bool Shows(TForm& F, const TBitmap& B) {
    const TSurface* Win = GetWindowSurface(F.Handle());
    const TSurface* Src = B.Surface();
    TPoint O = F.ClientToScreen({0, 0});
    TRect Wr;
    GetWindowRect(F.Handle(), &Wr);
    const int Dx = O.X - Wr.Left, Dy = O.Y - Wr.Top;
    for (int Y = 0; Y < Src->Height; ++Y)
        for (int X = 0; X < Src->Width; ++X)
            if (Win->Get(X + Dx, Y + Dy) != Src->Get(X, Y)) return false;
    return true;
}

// The machine is shared, so shares are taken from the thread's own processor time; the
// reported time is wall time.
double ThreadSeconds() {
    timespec T;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &T);
    return static_cast<double>(T.tv_sec) + static_cast<double>(T.tv_nsec) * 1e-9;
}

struct TTimes {
    double Wall, Cpu;
};

TTimes RunOnce(int Effect, TBitmap& Src, TForm& F, int W, int H) {
    // Start from a blank form so every run draws every cell.
    F.Canvas()->Brush()->SetColor(clBlack);
    F.Canvas()->FillRect(TRect{0, 0, W, H});
    Application->ProcessMessages();
    auto T0 = Clock::now();
    double C0 = ThreadSeconds();
    DrawSlideEffect(Effect, Src.Canvas(), F.Canvas(), W, H);
    return {std::chrono::duration<double>(Clock::now() - T0).count(), ThreadSeconds() - C0};
}

void BM_Effect(benchmark::State& State) {
    EnsureHeadless();
    const int Effect = static_cast<int>(State.range(0));
    const int W = static_cast<int>(State.range(1)), H = static_cast<int>(State.range(2));
    auto Src = Picture(W, H);
    auto F = std::make_unique<TForm>(nullptr);
    F->SetBorderStyle(bsNone);
    F->SetBounds(0, 0, W, H);
    F->Show();
    Application->ProcessMessages();

    TTimes Real{}, Base{};
    long Pumps = 0;
    bool Ok = true;
    for (auto _ : State) {
        SetSlideEffectMessages(true);
        Real = RunOnce(Effect, *Src, *F, W, H);
        State.SetIterationTime(Real.Wall);
        Ok = Ok && Shows(*F, *Src);
    }
    SetSlideEffectMessages(false);
    Base = RunOnce(Effect, *Src, *F, W, H);
    SetSlideEffectMessages(true);
    auto Old = SetSlideEffectPumpHook([&] { ++Pumps; });
    RunOnce(Effect, *Src, *F, W, H);
    SetSlideEffectPumpHook(Old);

    // The pump's empty case: what one pump costs when nothing is pending.
    constexpr int kProbe = 1 << 20;
    const double P0 = ThreadSeconds();
    for (int I = 0; I < kProbe; ++I) {
        benchmark::DoNotOptimize(TMessageQueue::Main().HasWork());
        benchmark::ClobberMemory();
    }
    const double EmptyCost = (ThreadSeconds() - P0) / kProbe;

    const double Cpu = Real.Cpu;
    State.counters["cpu_ms"] = Cpu * 1e3;
    State.counters["pumps"] = static_cast<double>(Pumps);
    State.counters["pump_share_%"] = Cpu > 0 ? 100.0 * std::max(0.0, Cpu - Base.Cpu) / Cpu : 0;
    State.counters["empty_pump_share_%"] = Cpu > 0 ? 100.0 * EmptyCost * Pumps / Cpu : 0;
    State.counters["shows_picture"] = Ok ? 1 : 0;
    if (!Ok) State.SkipWithError("the form does not show the picture after the effect");
}

void Effects(benchmark::internal::Benchmark* B) {
    for (int E = 1; E <= kSlideEffectCount; ++E) {
        B->Args({E, 640, 480});
        B->Args({E, 1920, 1080});
    }
}

BENCHMARK(BM_Effect)
    ->Apply(Effects)
    ->ArgNames({"effect", "w", "h"})
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
