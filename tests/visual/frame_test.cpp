// Frames drawn pixel by pixel on a surface, and the widths controls shrink their text by.
#include "toolkit/graphics/Surface.h"
#include "toolkit/graphics/Windows.h"
#include "visual/QELZoradodo.h"

#include <gtest/gtest.h>

using namespace qel;

namespace {

constexpr std::uint32_t Paper = 0x123456; // a colour no frame uses

struct TTarget {
    TSurface S;
    HDC DC;
    TTarget(int W, int H) : S(W, H, Paper), DC(CreateDCForSurface(&S)) {}
    ~TTarget() { DeleteDC(DC); }
    COLORREF At(int X, int Y) const { return RGBFromPixel(S.Get(X, Y)); }
    bool Untouched(int X, int Y) const { return S.Get(X, Y) == Paper; }
};

} // namespace

TEST(frame_draw, RaisedWidthOneOnTenByTenLeavesTheCornerUnpainted) {
    TQELFrame F;
    F.SetHighlight(clWhite);
    F.SetShadow(clGray);
    TTarget T(10, 10);
    TRect R{0, 0, 10, 10};
    F.Draw(T.DC, R);
    EXPECT_EQ(R, (TRect{1, 1, 9, 9}));
    EXPECT_TRUE(T.Untouched(0, 0));
    for (int I = 1; I <= 8; ++I) {
        EXPECT_EQ(T.At(0, I), clWhite) << I;
        EXPECT_EQ(T.At(I, 0), clWhite) << I;
        EXPECT_EQ(T.At(9, I - 1), clGray) << I;
    }
    for (int I = 0; I <= 9; ++I)
        EXPECT_EQ(T.At(I, 9), clGray) << I;
    EXPECT_EQ(T.At(9, 0), clGray);
    EXPECT_TRUE(T.Untouched(1, 1));
}

TEST(frame_draw, TwoPassStylesNestAndShrinkByTheirWidth) {
    TQELFrame F;
    F.SetFrameStyle(frameFramedUp);
    F.Setwidth(3);
    F.SetHighlight(clWhite);
    F.SetShadow(clGray);
    EXPECT_EQ(F.Calcwidth(), 6);
    TTarget T(20, 20);
    TRect R{0, 0, 20, 20};
    F.Draw(T.DC, R);
    EXPECT_EQ(R, (TRect{6, 6, 14, 14}));
    // three highlight rings on the left, then three shadow rings
    for (int X = 0; X < 3; ++X)
        EXPECT_EQ(T.At(X, 10), clWhite) << X;
    for (int X = 3; X < 6; ++X)
        EXPECT_EQ(T.At(X, 10), clGray) << X;
    // and the reverse on the right
    for (int X = 17; X < 20; ++X)
        EXPECT_EQ(T.At(X, 10), clGray) << X;
    for (int X = 14; X < 17; ++X)
        EXPECT_EQ(T.At(X, 10), clWhite) << X;
    EXPECT_TRUE(T.Untouched(6, 10));
}

TEST(frame_draw, PanelStylesSkipTheNoneHalves) {
    TQELFrame F;
    F.SetFrameStyle(framePanelUp);
    F.SetHighlight(clWhite);
    F.SetShadow(clGray);
    TTarget T(10, 10);
    TRect R{0, 0, 10, 10};
    F.Draw(T.DC, R);
    // pass 1: highlight / black, pass 2: nothing / shadow
    EXPECT_EQ(T.At(0, 5), clWhite);
    EXPECT_EQ(T.At(9, 5), clBlack);
    EXPECT_TRUE(T.Untouched(1, 5));
    EXPECT_EQ(T.At(8, 5), clGray);
    EXPECT_EQ(T.At(5, 8), clGray);
}

TEST(frame_draw, EmptyEdgesAndNoneStyle) {
    TQELFrame F;
    F.SetEdges({});
    TTarget T(10, 10);
    TRect R{0, 0, 10, 10};
    F.Draw(T.DC, R);
    EXPECT_EQ(R, (TRect{1, 1, 9, 9}));
    for (auto P : T.S.Pixels)
        ASSERT_EQ(P, Paper);
    F.SetFrameStyle(frameNone);
    R = {0, 0, 10, 10};
    F.Draw(T.DC, R);
    EXPECT_EQ(R, (TRect{0, 0, 10, 10}));
    F.SetEdges({EdgeLeft, EdgeRight, EdgeTop, EdgeBottom});
    EXPECT_EQ(F.GetEdgePoints(), (TRect{0, 0, 0, 0}));
}

TEST(frame_draw, OnlyTheChosenSidesAreDrawn) {
    TQELFrame F;
    F.SetFrameStyle(frameSolid);
    F.SetSolid(clRed);
    F.Setwidth(2);
    F.SetEdges({EdgeLeft, EdgeBottom});
    EXPECT_EQ(F.GetEdgePoints(), (TRect{2, 0, 0, 2}));
    TTarget T(10, 10);
    TRect R{0, 0, 10, 10};
    F.Draw(T.DC, R);
    EXPECT_EQ(R, (TRect{2, 2, 8, 8}));
    EXPECT_EQ(T.At(0, 5), clRed);
    EXPECT_EQ(T.At(1, 5), clRed);
    EXPECT_EQ(T.At(5, 9), clRed);
    EXPECT_EQ(T.At(5, 8), clRed);
    EXPECT_TRUE(T.Untouched(5, 0));
    EXPECT_TRUE(T.Untouched(9, 5));
}

TEST(frame_setters, WidthZeroIsIgnoredWithoutRepaint) {
    TQELFrame F;
    int N = 0;
    F.OnChange = [&N](TObject*) { ++N; };
    F.Setwidth(0);
    EXPECT_EQ(F.FrameWidth(), 1);
    EXPECT_EQ(N, 0);
    F.Setwidth(2);
    EXPECT_EQ(N, 1);
    // the second callback runs after the (absent) owner was invalidated
    TQELFrame G;
    int M = 0;
    G.OnInvalidate = [&M](TObject*) { ++M; };
    G.SetShadow(clRed);
    EXPECT_EQ(M, 1);
}
