#include "raster_test_util.h"
#include "toolkit/graphics/Windows.h"

#include <gtest/gtest.h>

using namespace qel;
using qel::test::Art;
using qel::test::TTestDC;

namespace {
// Classic scheme: highlight '.', light 'l', face 'f', shadow 's', dark shadow 'd'.
const std::map<COLORREF, char> Names = {
    {0xC0C0C0, 'l'}, {0x808080, 's'}, {0x404040, 'd'}, {RGB(0, 0, 255), 'b'}};

std::string Edge(int W, int H, UINT EdgeFlags, UINT Flags, TRect* Out = nullptr) {
    TTestDC Dc(W, H, RGB(0, 0, 255));
    TRect R{0, 0, W, H};
    DrawEdge(Dc, &R, EdgeFlags, Flags);
    if (Out) *Out = R;
    return Dc.Picture(W, H, Names);
}
} // namespace

TEST(RasterEdge, RaisedAndSunkenRings) {
    // Top and left first, then right and bottom over the corners they share.
    EXPECT_EQ(Edge(5, 5, EDGE_RAISED, BF_RECT), Art({"lllld", "l..sd", "l.bsd", "lsssd", "ddddd"}));
    EXPECT_EQ(Edge(5, 5, EDGE_SUNKEN, BF_RECT), Art({"ssss.", "sddl.", "sdbl.", "slll.", "....."}));
}

TEST(RasterEdge, SoftSwapsTheTopLeftColoursOfTheRings) {
    EXPECT_EQ(Edge(5, 5, EDGE_RAISED, BF_RECT | BF_SOFT),
              Art({"....d", ".llsd", ".lbsd", ".sssd", "ddddd"}));
}

TEST(RasterEdge, SidesAdjustAndMiddle) {
    TRect R;
    EXPECT_EQ(Edge(4, 4, BDR_RAISEDOUTER, BF_LEFT | BF_BOTTOM | BF_ADJUST, &R),
              Art({"lbbb", "lbbb", "lbbb", "dddd"}));
    EXPECT_EQ(R, (TRect{1, 0, 4, 3}));
    EXPECT_EQ(Edge(4, 4, EDGE_ETCHED, BF_RECT | BF_MIDDLE | BF_ADJUST, &R),
              Art({"sss.", "s.s.", "sss.", "...."}));
    EXPECT_EQ(R, (TRect{2, 2, 2, 2}));
    // Without BF_ADJUST the rectangle stays.
    Edge(6, 6, EDGE_BUMP, BF_RECT, &R);
    EXPECT_EQ(R, (TRect{0, 0, 6, 6}));
    // No border bits: nothing drawn, nothing adjusted.
    EXPECT_EQ(Edge(3, 3, 0, BF_RECT | BF_ADJUST, &R), Art({"bbb", "bbb", "bbb"}));
    EXPECT_EQ(R, (TRect{0, 0, 3, 3}));
}

TEST(RasterEdge, FlatAndMono) {
    EXPECT_EQ(Edge(4, 4, EDGE_SUNKEN, BF_RECT | BF_FLAT), Art({"ssss", "slls", "slls", "ssss"}));
    EXPECT_EQ(Edge(4, 4, EDGE_RAISED, BF_RECT | BF_MONO | BF_MIDDLE),
              Art({"####", "#..#", "#..#", "####"}));
}

TEST(RasterEdge, MiddleFillsWithButtonFace) {
    EXPECT_EQ(Edge(5, 5, BDR_RAISEDINNER, BF_RECT | BF_MIDDLE),
              Art({"....s", ".llls", ".llls", ".llls", "sssss"}));
}

TEST(RectArithmetic, MulDivRoundsHalvesAwayFromZero) {
    EXPECT_EQ(MulDiv(8, 96, 72), 11); // 10.67
    EXPECT_EQ(MulDiv(3, 1, 2), 2);    // 1.5
    EXPECT_EQ(MulDiv(-3, 1, 2), -2);
    EXPECT_EQ(MulDiv(3, -1, 2), -2);
    EXPECT_EQ(MulDiv(5, 1, -2), -3);
    EXPECT_EQ(MulDiv(-5, 1, -2), 3);
    EXPECT_EQ(MulDiv(1, 1, 3), 0);
    EXPECT_EQ(MulDiv(7, 5, 0), -1);
    EXPECT_EQ(MulDiv(2000000000, 2, 1), -1);         // overflow
    EXPECT_EQ(MulDiv(2000000000, 3, 3), 2000000000); // exact in 64 bits
}

TEST(RectArithmetic, RectangleHelpers) {
    TRect R{1, 2, 5, 6};
    InflateRect(&R, 1, -1);
    EXPECT_EQ(R, (TRect{0, 3, 6, 5}));
    OffsetRect(&R, -1, 1);
    EXPECT_EQ(R, (TRect{-1, 4, 5, 6}));
    EXPECT_TRUE(PtInRect(&R, {-1, 4}));
    EXPECT_FALSE(PtInRect(&R, {5, 4}));
    TRect A{0, 0, 4, 4}, B{4, 0, 8, 4}, C;
    EXPECT_FALSE(IntersectRect(&C, &A, &B));
    EXPECT_TRUE(IsRectEmpty(&C));
    EXPECT_TRUE(UnionRect(&C, &A, &B));
    EXPECT_EQ(C, (TRect{0, 0, 8, 4}));
    TRect E{5, 5, 5, 9};
    EXPECT_TRUE(UnionRect(&C, &A, &E)); // an empty rectangle adds nothing
    EXPECT_EQ(C, A);
    EXPECT_TRUE(SetRect(&C, 1, 1, 2, 2));
    EXPECT_TRUE(EqualRect(&C, &C));
    const TRect Cut{0, 0, 2, 4};
    EXPECT_TRUE(SubtractRect(&C, &A, &Cut));
    EXPECT_EQ(C, (TRect{2, 0, 4, 4}));
}
