// Controls: a form of 1,000 controls laid out and painted in full (frames per second), and the
// cost of ProcessMessages when nothing is pending.
#include "toolkit/controls/ExtCtrls.h"
#include "toolkit/controls/Forms.h"
#include "toolkit/controls/StdCtrls.h"
#include "toolkit/platform/Headless.h"
#include "toolkit/platform/Window.h"

#include <benchmark/benchmark.h>

using namespace qel;

namespace {

void EnsureHeadless() {
    if (!BackendChosen() || !HeadlessBackend()) SetBackend(std::make_unique<THeadlessBackend>());
}

// 40 x 25 cells: panels, labels, buttons and bevels in turn; a fifth of them aligned.
TForm* BuildForm() {
    auto* F = new TForm(nullptr);
    F->SetBounds(0, 0, 1000, 750);
    auto* Top = new TPanel(F);
    Top->SetParent(F);
    Top->SetHeight(25);
    Top->SetAlign(alTop);
    for (int I = 0; I < 999; ++I) {
        int X = (I % 40) * 25, Y = 30 + (I / 40) * 28;
        TControl* C;
        switch (I % 4) {
        case 0:
            C = new TPanel(F);
            break;
        case 1: {
            auto* L = new TLabel(F);
            L->SetAutoSize(false);
            L->SetCaption("L" + std::to_string(I));
            C = L;
            break;
        }
        case 2: {
            auto* B = new TButton(F);
            B->SetCaption("B");
            C = B;
            break;
        }
        default:
            C = new TBevel(F);
            break;
        }
        C->SetBounds(X, Y, 24, 26);
        C->SetParent(F);
    }
    return F;
}

void BM_PaintThousandControls(benchmark::State& State) {
    EnsureHeadless();
    TForm* F = BuildForm();
    F->Show();
    while (HasPendingPaint())
        Application->ProcessMessages();
    for (auto _ : State) {
        F->Realign();
        F->Invalidate();
        while (HasPendingPaint())
            Application->ProcessMessages();
    }
    State.counters["fps"] =
        benchmark::Counter(static_cast<double>(State.iterations()), benchmark::Counter::kIsRate);
    delete F;
}
BENCHMARK(BM_PaintThousandControls)->Unit(benchmark::kMillisecond);

void BM_LayoutThousandControls(benchmark::State& State) {
    EnsureHeadless();
    TForm* F = BuildForm();
    F->Show();
    while (HasPendingPaint())
        Application->ProcessMessages();
    int W = 1000;
    for (auto _ : State) {
        W = W == 1000 ? 1001 : 1000;
        F->SetWidth(W);
    }
    delete F;
}
BENCHMARK(BM_LayoutThousandControls)->Unit(benchmark::kMicrosecond);

void BM_ProcessMessagesEmpty(benchmark::State& State) {
    EnsureHeadless();
    while (TMessageQueue::Main().HasWork())
        Application->ProcessMessages();
    for (auto _ : State)
        Application->ProcessMessages();
}
BENCHMARK(BM_ProcessMessagesEmpty);

} // namespace

BENCHMARK_MAIN();
