// The office button: LED colour, outline and press offset follow the mouse (injected input),
// the face and its rounded corners, and no pressed look outlives the capture.
#include "ButtonsTestSupport.h"
#include "toolkit/controls/Edit.h"
#include "visual/QELTBackground.h"
#include "visual/QELTOfficeButton.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

struct OfficeButtonTest : ButtonsFixture {
    void SetUp() override {
        ButtonsFixture::SetUp();
        B = new TQELOfficeButton(Form);
        B->SetParent(Form);
        B->SetBounds(30, 30, 130, 25);
        B->Setcaption("Office");
        B->OnClick = [this](TObject*) { ++Clicks; };
    }
    // The LED's centre, one pixel further right and down while pressed over the button.
    TColor Led(int Off = 0) const { return Color(B, 12 + Off, 12 + Off); }
    TColor Outline() const { return Color(B, 2, 12); }
    TQELOfficeButton* B = nullptr;
    int Clicks = 0;
};

} // namespace

TEST_F(OfficeButtonTest, DefaultsAndStoredValues) {
    EXPECT_EQ(B->Width(), 130);
    EXPECT_EQ(B->Height(), 25);
    EXPECT_EQ(B->ControlStyle(), (TControlStyle{csCaptureMouse, csClickEvents, csSetCaption}));
    EXPECT_EQ(B->LedNormal(), clNavy);
    EXPECT_EQ(B->LedIn(), clAqua);
    EXPECT_EQ(B->LedOut(), clTeal);
    const TPropInfo* R = B->ClassType().FindProperty("RoundSize");
    ASSERT_TRUE(R);
    EXPECT_TRUE(R->IsDefaultValue(*B));
    B->SetRoundSize(8);
    EXPECT_FALSE(R->IsDefaultValue(*B));
    EXPECT_FALSE(B->ClassType().FindProperty("LedIn")->IsDefaultValue(*B)) << "always stored";
}

TEST_F(OfficeButtonTest, FaceCornersLedAndOutlineAtRest) {
    ShowForm();
    EXPECT_EQ(Color(B, 65, 5), TColor(0xA4FFFF)) << "light yellow face";
    EXPECT_EQ(Color(B, 0, 0), Sys(clBtnFace)) << "corners show the parent";
    EXPECT_EQ(Color(B, 3, 3), Sys(clBtnFace));
    EXPECT_EQ(Led(), clNavy);
    EXPECT_EQ(Color(B, 12 - 5 + 8, 12 - 5 + 2), TColor(0xC0C0C0)) << "upper rim";
    EXPECT_EQ(Outline(), clBlack);
    // A linked background fills the face.
    auto* Bg = new TQELBackground(Form);
    Bg->SetBackStyle(bSolidcolor);
    Bg->SetSolidColor(clBlack); // the colour of the cut-away corners, no holes
    B->SetBack(Bg);
    Settle();
    EXPECT_EQ(Color(B, 65, 5), clBlack);
    EXPECT_EQ(Color(B, 110, 12), clBlack);
    EXPECT_EQ(Color(B, 0, 0), Sys(clBtnFace));
    delete Bg;
    EXPECT_EQ(B->Background(), nullptr);
}

TEST_F(OfficeButtonTest, HoverPressDragAndReleaseFollowTheStateTable) {
    ShowForm();
    MoveTo(B, 60, 12);
    EXPECT_TRUE(B->Inside());
    EXPECT_EQ(Led(), clTeal);
    EXPECT_EQ(Outline(), Sys(clBtnHighlight));
    Press(B, 60, 12);
    EXPECT_EQ(B->PressOffset(), 1);
    EXPECT_EQ(Led(1), clAqua);
    MoveTo(B, 60, 80);
    EXPECT_FALSE(B->Inside());
    EXPECT_TRUE(B->Pressed());
    EXPECT_EQ(Led(), clNavy);
    EXPECT_EQ(Outline(), clBlack);
    MoveTo(B, 60, 12);
    EXPECT_EQ(Led(1), clAqua);
    Release(B, 60, 12);
    EXPECT_EQ(Clicks, 1);
    EXPECT_FALSE(B->Pressed());
    EXPECT_EQ(Led(), clTeal);
    // Released away from the button: no click, nothing pressed.
    Press(B, 60, 12);
    MoveTo(B, 60, 80);
    Release(B, 60, 80);
    EXPECT_EQ(Clicks, 1);
    EXPECT_FALSE(B->Pressed());
    MoveTo(B, 60, 12);
    EXPECT_EQ(Led(), clTeal);
}

TEST_F(OfficeButtonTest, RightPressShowsThePressedLookAndItsReleaseIsSeenAnywhere) {
    ShowForm();
    MoveTo(B, 60, 12);
    Press(B, 60, 12, 2);
    EXPECT_TRUE(B->Pressed());
    EXPECT_EQ(Led(1), clAqua);
    MoveTo(B, 60, 80);
    Release(B, 60, 80, 2);
    EXPECT_FALSE(B->Pressed());
    EXPECT_EQ(GetCaptureControl(), nullptr);
    EXPECT_EQ(Clicks, 0);
}

TEST_F(OfficeButtonTest, LedColoursShowAtTheNextStateChange) {
    ShowForm();
    MoveTo(B, 60, 12);
    B->SetLedOut(clRed);
    Settle();
    EXPECT_EQ(Led(), clTeal);
    MoveTo(B, 60, 80);
    MoveTo(B, 60, 12);
    EXPECT_EQ(Led(), clRed);
}

TEST_F(OfficeButtonTest, NoStateOutlivesTheCaptureOrThePointerLeavingTheWindow) {
    auto* Edit = new TEdit(Form);
    Edit->SetParent(Form);
    Edit->SetBounds(10, 100, 100, 21);
    ShowForm();
    MoveTo(B, 60, 12);
    Press(B, 60, 12);
    ASSERT_TRUE(B->Pressed());
    SetCaptureControl(Edit);
    EXPECT_FALSE(B->Pressed());
    EXPECT_EQ(Led(), clTeal);
    SetCaptureControl(nullptr);
    Release(B, 60, 12);
    EXPECT_EQ(Clicks, 0);
    Headless().MouseMove(900, 700);
    Settle();
    EXPECT_FALSE(B->Inside());
    EXPECT_EQ(Led(), clNavy);
}
