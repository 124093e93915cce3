// The arrow button: triangles of the four directions, hit tests at the exact edge of the
// triangle by injected clicks, the bevel on press and release, and the background in the
// white fill.
#include "ButtonsTestSupport.h"
#include "toolkit/controls/Edit.h"
#include "visual/QELTArrowButton.h"
#include "visual/QELTBackground.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

struct ArrowButtonTest : ButtonsFixture {
    void SetUp() override {
        ButtonsFixture::SetUp();
        B = new TQELArrowButton(Form);
        B->SetParent(Form);
        B->SetBounds(40, 40, 52, 28);
        B->OnClick = [this](TObject*) { ++Clicks; };
        B->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) { ++Downs; };
    }
    // The first point of row Y inside the triangle, from the left.
    int FirstInside(int Y) const {
        for (int X = 0; X < B->Width(); ++X)
            if (B->InTriangle(X, Y)) return X;
        return -1;
    }
    TQELArrowButton* B = nullptr;
    int Clicks = 0;
    int Downs = 0;
};

} // namespace

TEST_F(ArrowButtonTest, CornerPointsOfEveryDirection) {
    EXPECT_EQ(B->ControlStyle(), (TControlStyle{csCaptureMouse, csClickEvents}));
    EXPECT_FALSE(B->InTriangle(26, 20)) << "no region before the first paint";
    ShowForm();
    using P3 = std::array<TPoint, 3>;
    EXPECT_EQ(B->Points(), (P3{TPoint{26, 2}, TPoint{50, 26}, TPoint{2, 26}}));
    B->SetDirection(dRight);
    EXPECT_TRUE(B->InTriangle(26, 25)) << "the old region until the next paint";
    Settle();
    EXPECT_EQ(B->Points(), (P3{TPoint{2, 2}, TPoint{50, 14}, TPoint{2, 26}}));
    B->SetDirection(dDown);
    Settle();
    EXPECT_EQ(B->Points(), (P3{TPoint{50, 2}, TPoint{26, 26}, TPoint{2, 2}}));
    B->SetDirection(dLeft);
    Settle();
    EXPECT_EQ(B->Points(), (P3{TPoint{50, 2}, TPoint{50, 26}, TPoint{2, 14}}));
    B->SetButtonBorder(9);
    EXPECT_EQ(B->ButtonRaise(), 4);
}

TEST_F(ArrowButtonTest, APixelInsideTheTriangleClicksItsNeighbourOutsideDoesNot) {
    ShowForm();
    ClickAt(B, 3, 3);
    EXPECT_EQ(Downs, 0) << "a corner press is swallowed whole";
    ClickAt(B, 26, 20);
    EXPECT_EQ(Clicks, 1);
    for (int Y : {8, 14, 20, 25}) {
        const int X = FirstInside(Y);
        // The left edge runs from (2, 26) to (26, 2): x = 28 - y at the row.
        ASSERT_GE(X, 27 - Y) << "row " << Y;
        ASSERT_LE(X, 29 - Y) << "row " << Y;
        const int Before = Clicks, DownsBefore = Downs;
        ClickAt(B, X - 1, Y);
        EXPECT_EQ(Downs, DownsBefore) << "just outside at row " << Y;
        EXPECT_EQ(Clicks, Before);
        ClickAt(B, X, Y);
        EXPECT_EQ(Clicks, Before + 1) << "just inside at row " << Y;
        EXPECT_EQ(Color(B, X + 2, Y), clWhite) << "the triangle is filled where it is hit";
    }
    EXPECT_FALSE(B->Pressed());
}

TEST_F(ArrowButtonTest, BevelSwapsWhilePressedAndReleaseAnywhereLetsItUp) {
    B->SetButtonBorder(2);
    ShowForm();
    // The base P2-P3 (row 26) is shadow up, highlight pressed.
    EXPECT_EQ(Color(B, 26, 26), Sys(clBtnShadow));
    MoveTo(B, 26, 20);
    Press(B, 26, 20);
    EXPECT_TRUE(B->Pressed());
    EXPECT_EQ(Color(B, 26, 26), Sys(clBtnHighlight));
    MoveTo(B, 26, 80);
    Release(B, 26, 80);
    EXPECT_FALSE(B->Pressed());
    EXPECT_EQ(Clicks, 0);
    EXPECT_EQ(Color(B, 26, 26), Sys(clBtnShadow));
    // Released outside the triangle but inside the rectangle: the toolkit's click.
    Press(B, 26, 20);
    MoveTo(B, 3, 3);
    Release(B, 3, 3);
    EXPECT_EQ(Clicks, 1);
}

TEST_F(ArrowButtonTest, ShadowFillAndBackground) {
    ShowForm();
    EXPECT_EQ(Color(B, 26, 15), clWhite);
    EXPECT_EQ(Color(B, 3, 3), Sys(clBtnFace)) << "outside the triangle the parent shows";
    EXPECT_EQ(Color(B, 30, 28 - 1), clBlack) << "drop shadow under the base";
    auto* Bg = new TQELBackground(Form);
    Bg->SetBackStyle(bSolidcolor);
    Bg->SetSolidColor(clTeal);
    B->Setback(Bg);
    Settle();
    EXPECT_EQ(Color(B, 26, 15), clTeal);
    EXPECT_EQ(Color(B, 3, 3), Sys(clBtnFace));
    // A pure white parent takes the background everywhere.
    Form->SetColor(clWhite);
    Settle();
    EXPECT_EQ(Color(B, 3, 3), clTeal);
}

TEST_F(ArrowButtonTest, NoPressedBevelOutlivesTheCapture) {
    auto* Edit = new TEdit(Form);
    Edit->SetParent(Form);
    Edit->SetBounds(10, 100, 100, 21);
    ShowForm();
    MoveTo(B, 26, 20);
    Press(B, 26, 20);
    ASSERT_TRUE(B->Pressed());
    SetCaptureControl(Edit);
    EXPECT_FALSE(B->Pressed());
    SetCaptureControl(nullptr);
    Release(B, 26, 20);
    EXPECT_EQ(Clicks, 0);
}
