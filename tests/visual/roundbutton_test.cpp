// The round button: hit tests at the exact edge of the circle by injected clicks, the pressed
// bevel while dragging in and out, the disc cut out with the marker colour, and no pressed
// look that outlives the capture.
#include "ButtonsTestSupport.h"
#include "toolkit/controls/Edit.h"
#include "visual/QELTBackground.h"
#include "visual/QELTRoundButton.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

struct RoundButtonTest : ButtonsFixture {
    void SetUp() override {
        ButtonsFixture::SetUp();
        B = new TQELRoundButton(Form);
        B->SetParent(Form);
        B->SetBounds(40, 40, 25, 25);
        B->OnClick = [this](TObject*) { ++Clicks; };
        B->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) { ++Downs; };
    }
    TQELRoundButton* B = nullptr;
    int Clicks = 0;
    int Downs = 0;
};

} // namespace

TEST_F(RoundButtonTest, DefaultsAndTheDistanceRule) {
    EXPECT_EQ(B->Width(), 25);
    EXPECT_EQ(B->ControlStyle(), (TControlStyle{csCaptureMouse, csClickEvents}));
    EXPECT_EQ(B->UnUsedColor(), clLime);
    EXPECT_EQ(B->ButtonType(), btNormal);
    EXPECT_FALSE(B->IsInsideButton(1, 1)); // distance 16 > 11
    EXPECT_TRUE(B->IsInsideButton(12, 12));
    EXPECT_TRUE(B->IsInsideButton(12, 1));  // distance 11
    EXPECT_FALSE(B->IsInsideButton(12, 0)); // 12
    EXPECT_TRUE(B->IsInsideButton(4, 4));   // sqrt(128) = 11.3
    EXPECT_FALSE(B->IsInsideButton(4, 3));  // sqrt(145) = 12.04
    // The radius comes from the width: a 40 x 20 button takes (5, 0), outside its ellipse.
    B->SetBounds(40, 40, 40, 20);
    EXPECT_TRUE(B->IsInsideButton(5, 0)); // sqrt(325) = 18.03 <= 19
}

TEST_F(RoundButtonTest, APixelInsideTheCircleClicksItsNeighbourOutsideDoesNot) {
    ShowForm();
    for (TPoint P : {TPoint{12, 1}, TPoint{4, 4}, TPoint{23, 12}}) {
        const int Before = Clicks;
        ClickAt(B, P.X, P.Y);
        EXPECT_EQ(Clicks, Before + 1) << P.X << "," << P.Y << " is inside";
    }
    for (TPoint P : {TPoint{12, 0}, TPoint{4, 3}, TPoint{24, 12}, TPoint{1, 1}}) {
        const int Before = Clicks;
        ClickAt(B, P.X, P.Y);
        EXPECT_EQ(Clicks, Before) << P.X << "," << P.Y << " is outside";
        EXPECT_FALSE(B->Pressed());
    }
    EXPECT_EQ(Downs, 7) << "the toolkit reports every press";
}

TEST_F(RoundButtonTest, DraggingInPressesReleasingOutsideDoesNotClick) {
    ShowForm();
    // The bevel's upper-left arc (its leftmost point): highlight up, shadow pressed.
    const TColor Up = Color(B, 1, 12);
    EXPECT_EQ(Up, Sys(clBtnHighlight));
    MoveTo(B, 1, 1);
    Press(B, 1, 1);
    EXPECT_FALSE(B->Pressed());
    EXPECT_TRUE(B->Tracking());
    MoveTo(B, 12, 12);
    EXPECT_TRUE(B->Pressed());
    EXPECT_EQ(Color(B, 1, 12), Sys(clBtnShadow));
    MoveTo(B, 24, 24);
    EXPECT_FALSE(B->Pressed());
    MoveTo(B, 12, 12);
    Release(B, 12, 12);
    EXPECT_EQ(Clicks, 1) << "dragged in from a corner and released inside";
    Press(B, 12, 12);
    MoveTo(B, 24, 0);
    Release(B, 24, 0);
    EXPECT_EQ(Clicks, 1);
    EXPECT_FALSE(B->Pressed());
    EXPECT_EQ(Color(B, 1, 12), Sys(clBtnHighlight));
}

TEST_F(RoundButtonTest, DiscCutOutOfTheParentsSurface) {
    auto* Bg = new TQELBackground(Form);
    Bg->SetBackStyle(bSolidcolor);
    Bg->SetSolidColor(clRed);
    B->SetBack(Bg);
    Form->SetColor(clBlue);
    ShowForm();
    EXPECT_EQ(Color(B, 12, 12), clRed);
    EXPECT_EQ(Color(B, 0, 0), clBlue) << "corners show the parent";
    EXPECT_EQ(Color(B, 24, 24), clBlue);
    EXPECT_EQ(Color(B, 0, 12), clBlack) << "outline";
    // Pure marker pixels under the corners take the background.
    Form->SetColor(clLime);
    Settle();
    EXPECT_EQ(Color(B, 0, 0), clRed);
    // Inset: no black outline, the disc sunk in shadow and highlight arcs.
    Form->SetColor(clBlue);
    B->SetRButtonType(btInset);
    Settle();
    EXPECT_NE(Color(B, 0, 12), clBlack);
    EXPECT_EQ(Color(B, 0, 0), clBlue);
    delete Bg;
    EXPECT_EQ(B->Background(), nullptr);
}

TEST_F(RoundButtonTest, NoPressedLookOutlivesTheCapture) {
    auto* Edit = new TEdit(Form);
    Edit->SetParent(Form);
    Edit->SetBounds(10, 100, 100, 21);
    ShowForm();
    MoveTo(B, 12, 12);
    Press(B, 12, 12);
    ASSERT_TRUE(B->Pressed());
    SetCaptureControl(Edit);
    EXPECT_FALSE(B->Pressed());
    EXPECT_FALSE(B->Tracking());
    SetCaptureControl(nullptr);
    Release(B, 12, 12);
    EXPECT_EQ(Clicks, 0);
    // A right press is seen released away from the button too.
    Press(B, 12, 12, 2);
    EXPECT_TRUE(B->Pressed());
    MoveTo(B, 12, 80);
    Release(B, 12, 80, 2);
    EXPECT_FALSE(B->Pressed());
    EXPECT_EQ(GetCaptureControl(), nullptr);
}

TEST_F(RoundButtonTest, ClickHandlerMayFreeTheButton) {
    B->OnClick = [this](TObject*) { delete B; };
    ShowForm();
    ClickAt(B, 12, 12);
    EXPECT_EQ(Form->ControlCount(), 0);
}
