// The segmented gauge: the segment rule anchored at the control's origin, the filled share with
// halves rounded to even, horizontal and vertical bars, drawing at once without a repaint,
// margins for the glyph and the bevels, out-of-range values and the form file.
#include "tests/toolkit/controls/ControlsTestSupport.h"
#include "toolkit/core/FormReader.h"
#include "toolkit/core/FormWriter.h"
#include "toolkit/core/Streams.h"
#include "toolkit/graphics/Bitmap.h"
#include "visual/QELTGauge.h"

#include <array>
#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

constexpr int kLeft = 10, kTop = 4; // the gauge's place on the form

struct GaugeTest : ::testing::Test {
    void SetUp() override {
        Headless();
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 400, 300);
        Form->SetColor(clGreen);
        G = new TQELGauge(Form);
        G->SetParent(Form);
        G->SetLeft(kLeft);
        G->SetTop(kTop);
        Form->Show();
        Settle();
    }
    void TearDown() override { delete Form; }
    void Settle() {
        for (int I = 0; I < 20 && HasPendingPaint(); ++I)
            Application->ProcessMessages();
    }
    // Colour at a point of the gauge, as on screen.
    TColor At(int X, int Y) { return RGBFromPixel(PixelAt(Form, kLeft + X, kTop + Y)); }
    // Expected colour of column (or row) C of a bar filled up to and excluding End.
    TColor Expected(int C, int End) {
        return C < End && G->IsSegmentLine(C) ? ColorToRGB(clNavy) : ColorToRGB(clWhite);
    }
    // Checks one line across a horizontal bar: pattern from the bar's left up to End.
    void ExpectColumns(int Row, int End) {
        const TRect B = G->BarRect();
        for (int X = B.Left; X < B.Right; ++X)
            ASSERT_EQ(At(X, Row), Expected(X, End)) << "column " << X << " end " << End;
    }
    TForm* Form = nullptr;
    TQELGauge* G = nullptr;
};

} // namespace

TEST_F(GaugeTest, DefaultsAndTheWorkedExampleBar) {
    EXPECT_EQ(G->Width(), 140);
    EXPECT_EQ(G->Height(), 36);
    EXPECT_EQ(G->Borderwidth(), 6);
    EXPECT_EQ(G->Kind(), kHorizontal);
    EXPECT_EQ(G->PicturePosition(), pLeft);
    EXPECT_EQ(G->BevelInner()->FrameStyle(), frameLowered);
    EXPECT_EQ(G->BevelOuter()->FrameStyle(), frameRaised);
    EXPECT_EQ(G->BarRect(), (TRect{7, 7, 132, 28}));
    // The default period of 10 holds 9 segment lines and one gap line.
    int Lines = 0;
    for (int C = 0; C < 10; ++C)
        Lines += G->IsSegmentLine(C);
    EXPECT_EQ(Lines, 9);
    EXPECT_FALSE(G->IsSegmentLine(9));
    EXPECT_FALSE(G->IsSegmentLine(19));
}

TEST_F(GaugeTest, HorizontalNoneHalfAndFull) {
    // Row 8 lies inside the bar and above the percentage text.
    ExpectColumns(8, 0);
    G->SetPercent(50);
    ExpectColumns(8, 69);
    G->SetPercent(100);
    ExpectColumns(8, 132);
    // Lowering the value leaves no stale segments at the right end.
    G->SetPercent(96);
    ExpectColumns(8, 7 + 119);
    // The bevels are untouched by the bar (their lines leave out the top-left corner pixel).
    EXPECT_EQ(At(1, 0), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(At(7, 6), ColorToRGB(clBtnShadow));
}

TEST_F(GaugeTest, VerticalFillsFromTheBottom) {
    G->SetKindType(kVertical);
    G->SetBounds(kLeft, kTop, 36, 140);
    Settle();
    const TRect B = G->BarRect();
    ASSERT_EQ(B, (TRect{7, 7, 28, 132}));
    auto ExpectRows = [&](int FirstFilled) {
        for (int Y = B.Top; Y < B.Bottom; ++Y) {
            if (Y >= 55 && Y < 85) continue; // the percentage text
            const TColor Want =
                Y >= FirstFilled && G->IsSegmentLine(Y) ? ColorToRGB(clNavy) : ColorToRGB(clWhite);
            ASSERT_EQ(At(8, Y), Want) << "row " << Y;
        }
    };
    ExpectRows(B.Bottom);
    G->SetPercent(50);
    // span 124: half is 62 rows above the bottom row 131.
    ExpectRows(131 - 62);
    G->SetPercent(100);
    ExpectRows(B.Top);
    G->SetPercent(0);
    ExpectRows(B.Bottom);
}

TEST_F(GaugeTest, HalvesRoundToEven) {
    struct {
        int Width, Percent, End;
    } Cases[] = {
        {141, 50, 7 + 62}, // span 125: 62.5 -> 62
        {143, 50, 7 + 64}, // span 127: 63.5 -> 64
        {166, 1, 7 + 2},   // span 150: 1.5 -> 2
        {266, 1, 7 + 2},   // span 250: 2.5 -> 2
        {266, 3, 7 + 8},   // span 250: 7.5 -> 8
    };
    for (const auto& C : Cases) {
        G->SetWidth(C.Width);
        Settle();
        G->SetPercent(C.Percent);
        ExpectColumns(8, C.End);
    }
}

TEST_F(GaugeTest, ValuesOutsideTheRangeAreTakenAsTheNearestEnd) {
    G->SetPercent(150);
    EXPECT_EQ(G->Percentage(), 100);
    ExpectColumns(8, 132);
    G->SetPercent(300);
    EXPECT_EQ(G->Percentage(), 100);
    G->SetPercent(-5);
    EXPECT_EQ(G->Percentage(), 0);
    ExpectColumns(8, 0);
    // A stored value beyond a byte is not wrapped into range either.
    TStringStream S("object G2: TQELGauge\n  Percentage = 300\nend\n");
    TQELGauge Read(nullptr);
    ReadComponent(S, &Read);
    EXPECT_EQ(Read.Percentage(), 100);
}

TEST_F(GaugeTest, ProgressDrawsAtOnceWithoutARepaintExceptAtDesignTime) {
    ASSERT_FALSE(HasPendingPaint());
    G->SetPercent(40);
    EXPECT_FALSE(HasPendingPaint()) << "a run-time change does not invalidate";
    ExpectColumns(8, 7 + 50);
    // A gauge with no window under it draws nothing and creates none.
    TQELGauge Loose(nullptr);
    Loose.SetPercent(70);
    EXPECT_EQ(Loose.Percentage(), 70);
    TForm Unshown(nullptr);
    auto* Hidden = new TQELGauge(&Unshown);
    Hidden->SetParent(&Unshown);
    Hidden->SetPercent(30);
    EXPECT_FALSE(Unshown.HandleAllocated());
}

TEST_F(GaugeTest, SegmentRuleEdges) {
    G->SetSegGap(1);
    for (int C = 0; C < 30; ++C)
        EXPECT_TRUE(G->IsSegmentLine(C)) << "a gap of 1 draws no gap lines";
    G->SetSegGap(0);
    G->SetSegWidth(0);
    Settle();
    G->SetPercent(100);
    ExpectColumns(8, 132); // one unbroken bar, no division by zero
    for (int X = 7; X < 132; ++X)
        ASSERT_EQ(At(X, 8), ColorToRGB(clNavy));
    G->SetSegWidth(3);
    G->SetSegGap(5);
    Settle();
    G->SetPercent(100);
    // anchored at the control's origin: columns 0..3 of every 8 carry segments
    EXPECT_EQ(At(7, 8), ColorToRGB(clWhite));
    EXPECT_EQ(At(8, 8), ColorToRGB(clNavy));
    EXPECT_EQ(At(11, 8), ColorToRGB(clNavy));
    EXPECT_EQ(At(12, 8), ColorToRGB(clWhite));
}

TEST_F(GaugeTest, GlyphAndBevelsWidenTheMargins) {
    TBitmap Pic;
    Pic.SetWidth(16);
    Pic.SetHeight(32);
    G->Glyph()->Bitmap()->Assign(&Pic);
    for (TQELPosition P : {pLeft, pRight, pTop, pBottom}) {
        G->SetPicPos(P);
        const TQELGauge::TMargins M = G->Margins();
        const int Want[4] = {P == pLeft ? 22 : 6, P == pRight ? 22 : 6, P == pTop ? 22 : 6,
                             P == pBottom ? 22 : 6};
        EXPECT_EQ((std::array{M.fl, M.fr, M.ft, M.fb}),
                  (std::array{Want[0], Want[1], Want[2], Want[3]}));
        EXPECT_EQ(M.fbw, 16);
    }
    G->SetPicPos(pTop);
    EXPECT_EQ(G->BarRect().Top, 1 + 6 + 16 + 1 - 1); // the glyph's width, not its height
    G->SetPicPos(pLeft);
    G->BevelOuter()->SetFrameStyle(frameFramedUp);
    G->BevelOuter()->Setwidth(2);
    G->BevelInner()->SetFrameStyle(frameNone);
    EXPECT_EQ(G->BarRect(), (TRect{4 + 22 - 1, 4 + 6 - 1, 140 - 6 - 4, 36 - 6 - 4}));
    // The painted bar starts where UpdateProgress draws it.
    Settle();
    G->SetPercent(100);
    const TRect B = G->BarRect();
    EXPECT_EQ(At(B.Left, B.Top + 1),
              G->IsSegmentLine(B.Left) ? ColorToRGB(clNavy) : ColorToRGB(clWhite));
}

TEST_F(GaugeTest, ATinyGaugeDrawsOnlyItsBevels) {
    G->SetBounds(kLeft, kTop, 12, 10);
    Settle();
    G->SetPercent(100);
    G->SetKindType(kVertical);
    Settle();
    G->SetPercent(60);
    for (int X = -2; X < 0; ++X)
        EXPECT_EQ(At(X, 3), ColorToRGB(clGreen)) << "nothing left of the gauge";
}

TEST_F(GaugeTest, FormFileKeepsTheDeclaredDefaultsOut) {
    G->SetName("Gauge1");
    std::string Text = ComponentToText(Form);
    EXPECT_EQ(Text.find("Width = 140"), std::string::npos) << Text;
    EXPECT_EQ(Text.find("Height = 36"), std::string::npos) << Text;
    EXPECT_NE(Text.find("Borderwidth = 6"), std::string::npos) << Text;
    EXPECT_NE(Text.find("Kind = kHorizontal"), std::string::npos) << Text;
    EXPECT_NE(Text.find("PicturePosition = pLeft"), std::string::npos) << Text;
    G->SetPercent(42);
    G->SetSegColor(clRed);
    G->BevelInner()->SetFrameStyle(frameRaised);
    Text = ComponentToText(Form);
    TStringStream S(Text);
    TForm Again(nullptr);
    ReadComponent(S, &Again);
    auto* R = Cast<TQELGauge>(Again.FindComponent("Gauge1"));
    ASSERT_TRUE(R);
    EXPECT_EQ(R->Percentage(), 42);
    EXPECT_EQ(R->SegmentColor(), clRed);
    EXPECT_EQ(R->BevelInner()->FrameStyle(), frameRaised);
    EXPECT_EQ(R->Width(), 140);
}
