// The header list: paint time scrolled to the middle of 100,000 lines against 100 (painting
// visits only the lines in view, so both must cost about the same), and one step of a divider
// drag in a 20-column list: the section resized, the header and the list painted again.
#include "toolkit/controls/Forms.h"
#include "toolkit/platform/Headless.h"
#include "visual/QELTHeaderList.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <string>
#include <vector>

using namespace qel;

namespace {

std::unique_ptr<TForm> MakeForm(TQELHeaderList*& List, int Columns, int Lines) {
    if (!BackendChosen()) SetBackend(std::make_unique<THeadlessBackend>(1024, 768));
    auto Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(0, 0, 820, 620);
    List = new TQELHeaderList(Form.get());
    List->SetParent(Form.get());
    List->SetBounds(0, 0, 800, 600);
    for (int C = 0; C < Columns; ++C) {
        List->HeaderSections()->Add("Column " + std::to_string(C));
        List->Header()->SetWidth(C, 800 / Columns);
    }
    List->Items()->BeginUpdate();
    std::vector<std::string> Values(static_cast<std::size_t>(Columns));
    for (int I = 0; I < Lines; ++I) {
        for (int C = 0; C < Columns; ++C)
            Values[static_cast<std::size_t>(C)] =
                "Cell " + std::to_string(I) + "." + std::to_string(C);
        List->AddLine(Values);
    }
    List->Items()->EndUpdate();
    Form->Show();
    Application->ProcessMessages();
    return Form;
}

void BM_HeaderListPaint(benchmark::State& State) {
    TQELHeaderList* List = nullptr;
    const int N = static_cast<int>(State.range(0));
    auto Form = MakeForm(List, 4, N);
    List->SetTopIndex(N / 2);
    List->SetItemIndex(N / 2 + 3);
    List->ListBox()->Repaint();
    for (auto _ : State)
        List->ListBox()->Repaint();
    State.counters["lines_painted"] = List->ListBox()->LastPaintedItems();
}

void BM_HeaderListDragStep(benchmark::State& State) {
    TQELHeaderList* List = nullptr;
    auto Form = MakeForm(List, 20, 1000);
    TQELHeader* H = List->Header();
    int Step = 0;
    for (auto _ : State) {
        H->SetWidth(5, 30 + (Step++ & 15));
        H->Repaint();
        List->ListBox()->Repaint();
    }
}

} // namespace

BENCHMARK(BM_HeaderListPaint)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HeaderListDragStep)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
