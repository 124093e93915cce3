// Paint time of a list box scrolled to the middle: 100,000 items against 100, in one column,
// with variable heights and in three columns. Painting visits only the items in view, so the
// two counts must cost about the same.
#include "toolkit/controls/Forms.h"
#include "toolkit/controls/ListBox.h"
#include "toolkit/platform/Headless.h"

#include <benchmark/benchmark.h>

using namespace qel;

namespace {

void PaintList(benchmark::State& State, TListBoxStyle Style, int Columns = 0) {
    if (!BackendChosen()) SetBackend(std::make_unique<THeadlessBackend>(1024, 768));
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 400, 600);
    auto* List = new TListBox(&Form);
    List->SetParent(&Form);
    List->SetBounds(0, 0, 380, 580);
    List->SetStyle(Style);
    List->SetColumns(Columns);
    if (Style == lbOwnerDrawVariable)
        List->OnMeasureItem = [](TWinControl*, int I, int& H) { H = 14 + I % 5; };
    int N = static_cast<int>(State.range(0));
    List->Items()->BeginUpdate();
    for (int I = 0; I < N; ++I)
        List->Items()->Add("Item number " + std::to_string(I));
    List->Items()->EndUpdate();
    Form.Show();
    Application->ProcessMessages();
    List->SetTopIndex(N / 2);
    List->SetItemIndex(N / 2 + 3);
    List->Repaint(); // measures once for the variable style
    for (auto _ : State) {
        List->Repaint();
    }
    State.counters["items_painted"] = List->LastPaintedItems();
}

void BM_ListBoxPaint(benchmark::State& State) {
    PaintList(State, lbStandard);
}
void BM_ListBoxPaintVariable(benchmark::State& State) {
    PaintList(State, lbOwnerDrawVariable);
}
void BM_ListBoxPaintColumns(benchmark::State& State) {
    PaintList(State, lbStandard, 3);
}

} // namespace

BENCHMARK(BM_ListBoxPaint)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ListBoxPaintVariable)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ListBoxPaintColumns)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
