// The small control visual/README.md walks through ("Adding a control"), kept compiling and
// working here: it publishes inherited properties by name, owns one property, links a
// background and paints a dot over it.
#include "tests/toolkit/controls/ControlsTestSupport.h"
#include "toolkit/controls/Forms.h"
#include "toolkit/core/FormReader.h"
#include "toolkit/core/FormWriter.h"
#include "toolkit/core/Streams.h"
#include "visual/QELBackgroundLink.h"
#include "visual/QELControls.h"

#include <gtest/gtest.h>

namespace qel {

// ---- QELTDot.h ----
class TQELDot : public TQELGraphicControl {
    QEL_CLASS(TQELDot, TQELGraphicControl)
  public:
    explicit TQELDot(TComponent* AOwner);

    TColor DotColor() const { return FDotColor; }
    void SetDotColor(TColor Value);
    TQELBackground* Background() const { return FBackground.Get(); }
    void SetBack(TQELBackground* Value) { FBackground.Set(Value); }

    void Notification(TComponent* AComponent, TOperation Operation) override;

  protected:
    void Paint() override;

  private:
    TColor FDotColor = clRed;
    TQELBackgroundLink FBackground{*this};
};

// ---- QELTDot.cpp ----
static void DescribeDot(TClassBuilder<TQELDot>& B) {
    B.Publish({"Align", "Enabled", "ParentShowHint", "ShowHint", "Visible", "OnClick"});
    B.Color("DotColor", &TQELDot::DotColor, &TQELDot::SetDotColor).SetDefault(clRed);
    B.Component("Background", &TQELDot::Background, &TQELDot::SetBack);
}
QEL_IMPLEMENT_CLASS(TQELDot, TQELGraphicControl, DescribeDot)

TQELDot::TQELDot(TComponent* AOwner) : TQELGraphicControl(AOwner) {
    SetBounds(0, 0, 20, 20);
}

void TQELDot::SetDotColor(TColor Value) {
    FDotColor = Value;
    Invalidate();
}

void TQELDot::Notification(TComponent* AComponent, TOperation Operation) {
    TQELGraphicControl::Notification(AComponent, Operation);
    FBackground.Notification(AComponent, Operation);
}

void TQELDot::Paint() {
    TCanvas* C = Canvas();
    if (FBackground) FBackground->Draw(C->Handle(), Width(), Height(), true);
    C->Brush()->SetColor(FDotColor);
    C->Pen()->SetColor(FDotColor);
    C->Ellipse(0, 0, Width(), Height());
}

// ---- end of the example ----

namespace {

struct ExampleControlTest : ::testing::Test {
    void SetUp() override {
        qel::test::Headless();
        Form = new TForm(nullptr);
        Form->SetName("Form1");
        Form->SetBounds(0, 0, 60, 40);
        Form->SetColor(clWhite);
        Back = new TQELBackground(Form);
        Back->SetName("Back1");
        Back->SetSolidColor(clBlue);
        Back->SetBackStyle(bSolidcolor);
        Dot = new TQELDot(Form);
        Dot->SetName("Dot1");
        Dot->SetParent(Form);
    }
    void TearDown() override { delete Form; }
    TForm* Form = nullptr;
    TQELBackground* Back = nullptr;
    TQELDot* Dot = nullptr;
};

} // namespace

TEST_F(ExampleControlTest, StreamsInheritedAndOwnPropertiesInPublishedOrder) {
    const std::string Plain = ComponentToText(Form);
    EXPECT_NE(Plain.find("  object Dot1: TQELDot\n    Left = 0\n    Top = 0\n    Width = 20\n"
                         "    Height = 20\n  end\n"),
              std::string::npos)
        << Plain;

    Dot->SetAnchors({akRight});
    Dot->SetVisible(false);
    Dot->SetDotColor(clLime);
    Dot->SetBack(Back);
    const std::string Text = ComponentToText(Form);
    EXPECT_NE(Text.find("    Anchors = [akRight]\n    Visible = False\n    DotColor = clLime\n"
                        "    Background = Back1\n"),
              std::string::npos)
        << Text;

    TStringStream S(Text);
    auto Again = std::make_unique<TForm>(nullptr);
    ReadComponent(S, Again.get());
    auto* D = Cast<TQELDot>(Again->FindComponent("Dot1"));
    ASSERT_NE(D, nullptr);
    EXPECT_EQ(D->DotColor(), clLime);
    EXPECT_FALSE(D->Visible());
    EXPECT_EQ(D->Background(), Again->FindComponent("Back1"));
    EXPECT_EQ(ComponentToText(Again.get()), Text);
}

TEST_F(ExampleControlTest, PaintsTheDotOverItsBackgroundUntilTheBackgroundGoes) {
    Dot->SetBack(Back);
    Form->Show();
    for (int I = 0; I < 5; ++I)
        Application->ProcessMessages();
    const TSurface* S = GetWindowSurface(Form->Handle());
    EXPECT_EQ(RGBFromPixel(S->Get(10, 10)), ColorToRGB(clRed));
    EXPECT_EQ(RGBFromPixel(S->Get(0, 0)), ColorToRGB(clBlue));

    delete Back;
    EXPECT_EQ(Dot->Background(), nullptr);
    for (int I = 0; I < 5; ++I)
        Application->ProcessMessages();
    EXPECT_EQ(RGBFromPixel(GetWindowSurface(Form->Handle())->Get(0, 0)), ColorToRGB(clWhite));
}

} // namespace qel
