// Reading and writing a form with 5,000 components, in both encodings. The counter
// "per_component" is the time for one component.
#include "toolkit/core/Collection.h"
#include "toolkit/core/Component.h"
#include "toolkit/core/FormReader.h"
#include "toolkit/core/FormWriter.h"
#include "toolkit/core/Streams.h"
#include "toolkit/core/Strings.h"

#include <benchmark/benchmark.h>
#include <memory>

namespace qel::bench {

enum TBenchAlign { baLeft, baCenter, baRight };
QEL_ENUM_INFO(TBenchAlign, "baLeft", "baCenter", "baRight")

class TBenchFont : public TPersistent {
    QEL_CLASS(TBenchFont, TPersistent)
  public:
    int Offset = 1;
    int Depth = 0;
};

class TBenchWidget : public TComponent {
    QEL_CLASS(TBenchWidget, TComponent)
  public:
    explicit TBenchWidget(TComponent* AOwner)
        : TComponent(AOwner), Font(std::make_unique<TBenchFont>()),
          Lines(std::make_unique<TStringList>()) {}
    void Notification(TComponent* AComponent, TOperation Operation) override {
        TComponent::Notification(AComponent, Operation);
        if (Operation == opRemove && AComponent == Link) Link = nullptr;
    }
    int Left = 0, Top = 0, Width = 75, Height = 25;
    std::string Caption;
    TBenchAlign Align = baLeft;
    bool Enabled = true;
    double Ratio = 0;
    std::unique_ptr<TBenchFont> Font;
    std::unique_ptr<TStringList> Lines;
    TBenchWidget* Link = nullptr;
};

class TBenchForm : public TComponent {
    QEL_CLASS(TBenchForm, TComponent)
  public:
    explicit TBenchForm(TComponent* AOwner) : TComponent(AOwner) {}
};

static void DescribeFont(TClassBuilder<TBenchFont>& B) {
    B.Integer(
         "Offset", [](const TBenchFont& F) { return F.Offset; },
         [](TBenchFont& F, int V) { F.Offset = V; })
        .SetDefault(1);
    B.Integer(
         "Depth", [](const TBenchFont& F) { return F.Depth; },
         [](TBenchFont& F, int V) { F.Depth = V; })
        .SetDefault(0);
}
QEL_IMPLEMENT_CLASS(TBenchFont, TPersistent, DescribeFont)

using W = TBenchWidget;
static void DescribeWidget(TClassBuilder<W>& B) {
    B.Integer(
        "Left", [](const W& S) { return S.Left; }, [](W& S, int V) { S.Left = V; });
    B.Integer(
        "Top", [](const W& S) { return S.Top; }, [](W& S, int V) { S.Top = V; });
    B.Integer(
         "Width", [](const W& S) { return S.Width; }, [](W& S, int V) { S.Width = V; })
        .SetDefault(75);
    B.Integer(
         "Height", [](const W& S) { return S.Height; }, [](W& S, int V) { S.Height = V; })
        .SetDefault(25);
    B.String(
        "Caption", [](const W& S) { return S.Caption; },
        [](W& S, const std::string& V) { S.Caption = V; });
    B.Enum(
         "Align", [](const W& S) { return S.Align; }, [](W& S, TBenchAlign V) { S.Align = V; })
        .SetDefault(baLeft);
    B.Bool(
         "Enabled", [](const W& S) { return S.Enabled; }, [](W& S, bool V) { S.Enabled = V; })
        .SetDefault(1);
    B.Float(
        "Ratio", [](const W& S) { return S.Ratio; }, [](W& S, double V) { S.Ratio = V; });
    B.Object("Font3D", [](const W& S) { return S.Font.get(); });
    B.Strings("Lines", [](const W& S) { return S.Lines.get(); });
    B.Component(
        "Link", [](const W& S) { return S.Link; },
        [](W& S, W* V) {
            S.Link = V;
            if (V) V->FreeNotification(&S);
        });
}
QEL_IMPLEMENT_CLASS(TBenchWidget, TComponent, DescribeWidget)
QEL_IMPLEMENT_CLASS(TBenchForm, TComponent, NoProperties<TBenchForm>)

constexpr int kComponents = 5000;

std::unique_ptr<TBenchForm> MakeForm() {
    auto Form = std::make_unique<TBenchForm>(nullptr);
    Form->SetName("Form1");
    TBenchWidget* Prev = nullptr;
    for (int I = 0; I < kComponents; ++I) {
        auto* C = new TBenchWidget(Form.get());
        C->SetName("Widget" + std::to_string(I + 1));
        C->Left = (I % 40) * 80;
        C->Top = (I / 40) * 30;
        C->Caption = "Caption of widget " + std::to_string(I + 1);
        C->Align = static_cast<TBenchAlign>(I % 3);
        C->Ratio = I * 0.5;
        C->Font->Offset = I % 4;
        if (I % 10 == 0) {
            C->Lines->Add("first line");
            C->Lines->Add("second line");
        }
        if (Prev) {
            C->Link = Prev;
            Prev->FreeNotification(C);
        }
        Prev = C;
    }
    return Form;
}

std::string FormData(TFormFormat F) {
    auto Form = MakeForm();
    TStringStream S;
    WriteComponent(S, Form.get(), F);
    return S.DataString();
}

void PerComponent(benchmark::State& State) {
    State.counters["per_component"] = benchmark::Counter(
        kComponents, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ReadText(benchmark::State& State) {
    std::string Data = FormData(TFormFormat::Text);
    for (auto _ : State) {
        TStringStream S(Data);
        auto Root = LoadComponentFromStream(S);
        benchmark::DoNotOptimize(Root.get());
    }
    PerComponent(State);
    State.counters["bytes"] = static_cast<double>(Data.size());
}

void BM_ReadBinary(benchmark::State& State) {
    std::string Data = FormData(TFormFormat::Binary);
    for (auto _ : State) {
        TStringStream S(Data);
        auto Root = LoadComponentFromStream(S);
        benchmark::DoNotOptimize(Root.get());
    }
    PerComponent(State);
    State.counters["bytes"] = static_cast<double>(Data.size());
}

void BM_WriteText(benchmark::State& State) {
    auto Form = MakeForm();
    for (auto _ : State) {
        TStringStream S;
        WriteComponent(S, Form.get(), TFormFormat::Text);
        benchmark::DoNotOptimize(S.DataString().data());
    }
    PerComponent(State);
}

void BM_WriteBinary(benchmark::State& State) {
    auto Form = MakeForm();
    for (auto _ : State) {
        TStringStream S;
        WriteComponent(S, Form.get(), TFormFormat::Binary);
        benchmark::DoNotOptimize(S.DataString().data());
    }
    PerComponent(State);
}

BENCHMARK(BM_ReadText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadBinary)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteBinary)->Unit(benchmark::kMillisecond);

} // namespace qel::bench

BENCHMARK_MAIN();
