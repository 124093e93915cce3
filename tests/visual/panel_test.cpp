// The panel: its two frames and the gap between them, the dialog bevel, where children align,
// and the background link.
#include "tests/toolkit/controls/ControlsTestSupport.h"
#include "toolkit/core/FormWriter.h"
#include "visual/QELTBackground.h"
#include "visual/QELTPanel.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

struct PanelTest : ::testing::Test {
    void SetUp() override {
        Headless();
        Form = new TForm(nullptr);
        Form->SetBounds(50, 50, 400, 300);
        P = new TQELPanel(Form);
        P->SetName("Panel1");
        P->SetParent(Form);
        P->SetBounds(20, 20, 200, 100);
        Child = new TPanel(Form);
        Child->SetParent(P);
        Child->SetAlign(alClient);
        Form->Show();
        Pump();
    }
    void TearDown() override {
        delete Form;
        Pump();
    }
    TColor Px(int X, int Y) { return RGBFromPixel(PixelAt(Form, 20 + X, 20 + Y)); }
    TForm* Form = nullptr;
    TQELPanel* P = nullptr;
    TPanel* Child = nullptr;
};

} // namespace

TEST_F(PanelTest, TwoRaisedFramesNestedAndChildrenInsideThem) {
    EXPECT_EQ(P->FrameOuter()->FrameStyle(), frameRaised);
    EXPECT_EQ(P->FrameInner()->FrameStyle(), frameRaised);
    EXPECT_EQ(P->Alignment(), taCenter);
    EXPECT_EQ(Child->BoundsRect(), (TRect{2, 2, 198, 98}));
    P->SetbSpace(3);
    EXPECT_EQ(Child->BoundsRect(), (TRect{5, 5, 195, 95})) << "3 + 1 + 1";
    P->SetbSpace(-1);
    EXPECT_EQ(P->Borderwidth(), 3) << "a negative width is refused";
    P->SetbSpace(0);
    EXPECT_EQ(P->Borderwidth(), 0) << "back to no gap";
    P->FrameOuter()->SetFrameStyle(frameNone);
    EXPECT_EQ(Child->BoundsRect(), (TRect{1, 1, 199, 99})) << "children follow the frames";
}

TEST_F(PanelTest, GapAndDialogBevelMoveTheFramesInward) {
    Child->SetVisible(false);
    P->SetCaption("");
    Pump();
    const TColor Hi = ColorToRGB(clBtnHighlight), Face = ColorToRGB(clBtnFace);
    EXPECT_EQ(Px(0, 50), Hi);
    EXPECT_EQ(Px(1, 50), Hi) << "the inner frame right inside the outer one";
    P->SetbSpace(3);
    Pump();
    EXPECT_EQ(Px(1, 50), Face);
    EXPECT_EQ(Px(4, 50), Face);
    EXPECT_EQ(Px(5, 50), Hi) << "a gap of Borderwidth + 1";
    P->SetbSpace(0);
    P->Setfloat(true);
    Pump();
    EXPECT_EQ(Px(0, 50), Hi);
    EXPECT_EQ(Px(1, 50), Face);
    EXPECT_EQ(Px(2, 50), Face);
    EXPECT_EQ(Px(3, 50), Hi) << "the outer frame starts 3 pixels inside";
}

TEST_F(PanelTest, BackgroundLinkAndStreamedDefaults) {
    auto* Bg = new TQELBackground(Form);
    Bg->SetName("Bg");
    Bg->SetBackStyle(bSolidcolor);
    Bg->SetSolidColor(clRed);
    P->Setback(Bg);
    Child->SetVisible(false);
    Pump();
    EXPECT_EQ(Px(50, 50), ColorToRGB(clRed));
    const std::string Text = ComponentToText(Form);
    EXPECT_NE(Text.find("DlgFrame = False"), std::string::npos) << "no stored default";
    EXPECT_NE(Text.find("Borderwidth = 0"), std::string::npos);
    EXPECT_NE(Text.find("Background = Bg"), std::string::npos);
    delete Bg;
    EXPECT_EQ(P->Background(), nullptr);
    Pump();
    EXPECT_EQ(Px(50, 50), ColorToRGB(clBtnFace));
}
