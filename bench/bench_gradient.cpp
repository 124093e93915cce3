// Gradient fills on a full-HD area: every style with 32 and 255 colours, against the floor of
// one full-surface fill and, for the two linear styles, against a cairo linear gradient.
#include "toolkit/core/Strings.h"
#include "toolkit/graphics/Surface.h"
#include "toolkit/graphics/Windows.h"
#include "visual/QELTBackground.h"

#include <benchmark/benchmark.h>
#include <cairo.h>

using namespace qel;

namespace {

constexpr int W = 1920, H = 1080;

void BM_Gradient(benchmark::State& State) {
    TSurface Target(W, H);
    HDC DC = CreateDCForSurface(&Target);
    TQELGradient G;
    G.SetBeginColor(clNavy);
    G.SetEndColor(clAqua);
    G.SetStyle(static_cast<TQELFillStyle>(State.range(0)));
    G.SetColorCount(static_cast<int>(State.range(1)));
    for (auto _ : State) {
        G.MultiDraw(DC, W, H, G.ColorsInBetween(), clBtnFace, true);
        benchmark::DoNotOptimize(Target.Pixels.data());
    }
    DeleteDC(DC);
    State.SetLabel(EnumInfo<TQELFillStyle>().Names[State.range(0)]);
}

void GradientArgs(benchmark::internal::Benchmark* B) {
    for (int S = Circle; S <= HorizontalDoppelBar; ++S)
        for (int N : {32, 255})
            B->Args({S, N});
}
BENCHMARK(BM_Gradient)->Apply(GradientArgs)->Unit(benchmark::kMillisecond);

// The floor: one solid fill of the whole surface.
void BM_FullSurfaceFill(benchmark::State& State) {
    TSurface Target(W, H);
    HDC DC = CreateDCForSurface(&Target);
    HBRUSH Brush = CreateSolidBrush(RGB(10, 20, 30));
    HGDIOBJ Old = SelectObject(DC, Brush);
    for (auto _ : State) {
        PatBlt(DC, 0, 0, W, H, PATCOPY);
        benchmark::DoNotOptimize(Target.Pixels.data());
    }
    SelectObject(DC, Old);
    DeleteObject(Brush);
    DeleteDC(DC);
}
BENCHMARK(BM_FullSurfaceFill)->Unit(benchmark::kMillisecond);

// cairo's linear gradient over the same area; range(0) 0 = top to bottom, 1 = left to right.
void BM_CairoLinear(benchmark::State& State) {
    cairo_surface_t* S = cairo_image_surface_create(CAIRO_FORMAT_RGB24, W, H);
    cairo_t* Cr = cairo_create(S);
    cairo_pattern_t* P = State.range(0) == 0 ? cairo_pattern_create_linear(0, 0, 0, H)
                                             : cairo_pattern_create_linear(0, 0, W, 0);
    cairo_pattern_add_color_stop_rgb(P, 0, 0, 0, 0.5);
    cairo_pattern_add_color_stop_rgb(P, 1, 0, 1, 1);
    for (auto _ : State) {
        cairo_set_source(Cr, P);
        cairo_paint(Cr);
        cairo_surface_flush(S);
        benchmark::DoNotOptimize(cairo_image_surface_get_data(S));
    }
    cairo_pattern_destroy(P);
    cairo_destroy(Cr);
    cairo_surface_destroy(S);
    State.SetLabel(State.range(0) == 0 ? "Horizontal bands" : "Vertical bands");
}
BENCHMARK(BM_CairoLinear)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
