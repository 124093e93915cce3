// Layer order and geometry of 3D text, and the setters' notification rules.
#include "visual/QELZoradodo.h"

#include <gtest/gtest.h>

using namespace qel;

namespace {

const TRect R0{10, 20, 110, 60};

TRect Moved(int D) {
    return {R0.Left + D, R0.Top + D, R0.Right + D, R0.Bottom + D};
}

} // namespace

TEST(font3d_layers, DefaultsDrawHighlightUpLeftThenTheText) {
    TQELFont3D F;
    EXPECT_EQ(F.Offset(), 1);
    EXPECT_EQ(F.Style3D(), fontOnlyHighlight);
    EXPECT_EQ(F.DrawingWidth(), 2);
    auto P = F.Passes(clRed, R0, true);
    ASSERT_EQ(P.size(), 2u);
    EXPECT_EQ(P[0], (TQELTextPass{clBtnHighlight, Moved(-1)}));
    EXPECT_EQ(P[1], (TQELTextPass{clRed, R0}));
}

TEST(font3d_layers, EachStylePutsItsCopiesAroundTheText) {
    TQELFont3D F;
    F.SetOffset(2);
    F.SetHighlight(clWhite);
    F.SetShadow(clGray);
    F.SetStyle3D(fontRaised);
    EXPECT_EQ(F.Passes(clRed, R0, true),
              (std::vector<TQELTextPass>{{clWhite, Moved(-2)}, {clGray, Moved(2)}, {clRed, R0}}));
    F.SetStyle3D(fontInset);
    EXPECT_EQ(F.Passes(clRed, R0, true),
              (std::vector<TQELTextPass>{{clGray, Moved(-2)}, {clWhite, Moved(2)}, {clRed, R0}}));
    F.SetStyle3D(fontOnlyShadow);
    EXPECT_EQ(F.Passes(clRed, R0, true),
              (std::vector<TQELTextPass>{{clGray, Moved(2)}, {clRed, R0}}));
    // the outline ignores Offset: always one pixel on the diagonals, in this order
    F.SetOffset(5);
    F.SetStyle3D(fontOutLineShadow);
    auto P = F.Passes(clRed, R0, true);
    ASSERT_EQ(P.size(), 5u);
    EXPECT_EQ(P[0].R, (TRect{9, 19, 109, 59}));
    EXPECT_EQ(P[1].R, (TRect{11, 19, 111, 59}));
    EXPECT_EQ(P[2].R, (TRect{11, 21, 111, 61}));
    EXPECT_EQ(P[3].R, (TRect{9, 21, 109, 61}));
    EXPECT_EQ(P[4], (TQELTextPass{clRed, R0}));
    // a value outside the enumeration draws the main text only
    F.SetStyle3D(static_cast<TQELStyle3D>(9));
    EXPECT_EQ(F.Passes(clRed, R0, true).size(), 1u);
}

TEST(font3d_layers, RepetitionTrailIsDrawnFarthestFirstAndMovesTheText) {
    TQELFont3D F;
    F.SetStyle3D(fontRaised);
    F.SetOffset(1);
    F.SetrepColor(clBlue);
    F.Setrep(repeatOnShadow);
    F.Setrepwidth(3);
    auto P = F.Passes(clRed, R0, true);
    // the rectangle shrinks by 3 and moves by +o: trail at M+3, M+2, M+1 with M = shrunk + 1 - 3
    TRect Shrunk{13, 23, 107, 57};
    auto At = [&](int D) {
        return TRect{Shrunk.Left + D, Shrunk.Top + D, Shrunk.Right + D, Shrunk.Bottom + D};
    };
    ASSERT_EQ(P.size(), 6u);
    EXPECT_EQ(P[0], (TQELTextPass{clBlue, At(1)}));
    EXPECT_EQ(P[1], (TQELTextPass{clBlue, At(0)}));
    EXPECT_EQ(P[2], (TQELTextPass{clBlue, At(-1)}));
    EXPECT_EQ(P[5], (TQELTextPass{clRed, At(-2)}));
    // highlight side: the trail runs towards the lower right into the text
    F.Setrep(repeatOnHighLight);
    P = F.Passes(clRed, R0, true);
    EXPECT_EQ(P[0].R, At(-1));
    EXPECT_EQ(P[2].R, At(1));
    EXPECT_EQ(P[5].R, At(2));
    // width 0 draws no trail but the text still moves by +o
    F.Setrep(repeatOnShadow);
    F.Setrepwidth(0);
    P = F.Passes(clRed, R0, true);
    ASSERT_EQ(P.size(), 3u);
    EXPECT_EQ(P[2].R, Moved(1));
}

TEST(font3d_layers, DisabledTextIsTwoPassesWhateverTheSettings) {
    TQELFont3D F;
    F.Set3d(false);
    F.Setrep(repeatOnShadow);
    F.Setrepwidth(4);
    auto P = F.Passes(clRed, R0, false);
    EXPECT_EQ(P, (std::vector<TQELTextPass>{{clBtnHighlight, R0}, {clGrayText, Moved(-1)}}));
    F.Set3d(true);
    EXPECT_EQ(F.Passes(clRed, R0, false), P);
    // plain text when not three-dimensional
    F.Set3d(false);
    EXPECT_EQ(F.Passes(clRed, R0, true), (std::vector<TQELTextPass>{{clRed, R0}}));
}

TEST(font3d_setters, OffsetZeroIsRefusedButStillNotifies) {
    TQELFont3D F;
    int N = 0;
    F.OnChange = [&N](TObject*) { ++N; };
    F.SetOffset(3);
    F.SetOffset(0);
    EXPECT_EQ(F.Offset(), 3);
    EXPECT_EQ(N, 2);
    // the repetition width only notifies on a real change
    F.Setrepwidth(0);
    EXPECT_EQ(N, 2);
    F.Setrepwidth(2);
    EXPECT_EQ(N, 3);
    EXPECT_EQ(F.DrawingWidth(), 8);
    // other setters notify unconditionally
    F.SetShadow(F.Shadow());
    EXPECT_EQ(N, 4);
}
