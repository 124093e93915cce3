#include "raster_test_util.h"
#include "toolkit/graphics/Windows.h"

#include <gtest/gtest.h>
#include <set>
#include <utility>
#include <vector>

using namespace qel;
using qel::test::Art;
using qel::test::TSelect;
using qel::test::TTestDC;

namespace {

using TPixels = std::set<std::pair<int, int>>;

TPixels Black(TTestDC& Dc, int W, int H) {
    TPixels S;
    for (int Y = 0; Y < H; ++Y)
        for (int X = 0; X < W; ++X)
            if (Dc.At(X, Y) == 0) S.insert({X, Y});
    return S;
}

TPixels Line(int X0, int Y0, int X1, int Y1) {
    TTestDC Dc(40, 40);
    MoveToEx(Dc, X0, Y0, nullptr);
    LineTo(Dc, X1, Y1);
    return Black(Dc, 40, 40);
}

} // namespace

TEST(RasterLines, StraightLinesLeaveOutTheEndPointBothWays) {
    TTestDC Dc(8, 5);
    MoveToEx(Dc, 1, 1, nullptr);
    LineTo(Dc, 6, 1);
    MoveToEx(Dc, 6, 3, nullptr);
    LineTo(Dc, 1, 3);
    MoveToEx(Dc, 7, 0, nullptr);
    LineTo(Dc, 7, 4);
    EXPECT_EQ(Dc.Picture(8, 5), Art({".......#", ".#####.#", ".......#", "..######", "........"}));
    TPoint P;
    GetCurrentPositionEx(Dc, &P);
    EXPECT_EQ(P, (TPoint{7, 4}));
}

TEST(RasterLines, DiagonalTiesGoToTheSmallerMinorCoordinate) {
    // Halfway steps: (0,0)-(4,1) is exactly between rows 0 and 1 at x = 2.
    EXPECT_EQ(Line(0, 0, 4, 1), (TPixels{{0, 0}, {1, 0}, {2, 0}, {3, 1}}));
    EXPECT_EQ(Line(4, 1, 0, 0), (TPixels{{4, 1}, {3, 1}, {2, 0}, {1, 0}}));
    EXPECT_EQ(Line(0, 0, 1, 4), (TPixels{{0, 0}, {0, 1}, {0, 2}, {1, 3}}));
    EXPECT_EQ(Line(0, 0, 5, 5), (TPixels{{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}}));
    EXPECT_EQ(Line(3, 0, 0, 3), (TPixels{{3, 0}, {2, 1}, {1, 2}}));
}

TEST(RasterLines, EveryOctantHitsTheSamePixelsInBothDirections) {
    // A line and its reverse cover the same pixels apart from the end point each leaves out.
    const int C = 20;
    for (int Dx = -9; Dx <= 9; ++Dx)
        for (int Dy = -9; Dy <= 9; ++Dy) {
            if (Dx == 0 && Dy == 0) continue;
            TPixels F = Line(C, C, C + Dx, C + Dy), R = Line(C + Dx, C + Dy, C, C);
            const std::size_t Len = static_cast<std::size_t>(std::max(std::abs(Dx), std::abs(Dy)));
            ASSERT_EQ(F.size(), Len) << Dx << "," << Dy;
            EXPECT_FALSE(F.count({C + Dx, C + Dy}));
            EXPECT_TRUE(F.count({C, C}));
            F.insert({C + Dx, C + Dy});
            R.insert({C, C});
            EXPECT_EQ(F, R) << Dx << "," << Dy;
        }
}

TEST(RasterLines, ClippingDoesNotMoveThePixelsOfALine) {
    TTestDC Full(60, 60), Clipped(60, 60);
    HRGN Rgn = CreateRectRgn(17, 9, 41, 33);
    SelectClipRgn(Clipped, Rgn);
    DeleteObject(Rgn);
    for (HDC Dc : {HDC(Full), HDC(Clipped)}) {
        MoveToEx(Dc, -30, 2, nullptr);
        LineTo(Dc, 90, 51);
        MoveToEx(Dc, 55, -7, nullptr);
        LineTo(Dc, 3, 59);
    }
    for (int Y = 0; Y < 60; ++Y)
        for (int X = 0; X < 60; ++X) {
            const bool Inside = X >= 17 && X < 41 && Y >= 9 && Y < 33;
            EXPECT_EQ(Clipped.At(X, Y), Inside ? Full.At(X, Y) : 0xFFFFFFu) << X << "," << Y;
        }
}

TEST(RasterLines, PolylineLeavesOutOnlyItsLastPoint) {
    TTestDC Dc(6, 4);
    SetROP2(Dc, R2_XORPEN);
    HPEN Pen = CreatePen(PS_SOLID, 1, 0xFFFFFF);
    TSelect S(Dc, Pen);
    const TPoint Pts[] = {{0, 0}, {4, 0}, {4, 3}, {0, 3}};
    Polyline(Dc, Pts, 4);
    // With XOR a pixel drawn twice would come back white: every vertex is drawn once.
    EXPECT_EQ(Dc.Picture(6, 4), Art({"#####.", "....#.", "....#.", ".####."}));
}

TEST(RasterLines, PenStylesDashOnlyThinLines) {
    TTestDC Dc(14, 4);
    {
        TSelect S(Dc, CreatePen(PS_DOT, 1, 0));
        SetBkColor(Dc, RGB(255, 0, 0));
        SetBkMode(Dc, OPAQUE);
        MoveToEx(Dc, 0, 0, nullptr);
        LineTo(Dc, 14, 0);
        SetBkMode(Dc, TRANSPARENT);
        MoveToEx(Dc, 0, 1, nullptr);
        LineTo(Dc, 14, 1);
    }
    {
        // Styles wider than one pixel draw solid.
        TSelect S(Dc, CreatePen(PS_DASH, 2, 0));
        MoveToEx(Dc, 0, 3, nullptr);
        LineTo(Dc, 14, 3);
    }
    const std::string P = Dc.Picture(14, 4, {{RGB(255, 0, 0), 'r'}});
    EXPECT_EQ(P.substr(0, 15), "###rrr###rrr##\n");
    EXPECT_EQ(P.substr(15, 15), "###...###...##\n");
    EXPECT_EQ(Black(Dc, 14, 4).size(), 8u + 8u + 28u);
}

TEST(RasterLines, NullPenDrawsNothing) {
    TTestDC Dc(5, 5);
    SelectObject(Dc, GetStockObject(NULL_PEN));
    MoveToEx(Dc, 0, 0, nullptr);
    LineTo(Dc, 4, 4);
    Rectangle(Dc, 0, 0, 5, 5); // white brush on white
    EXPECT_TRUE(Black(Dc, 5, 5).empty());
}

TEST(RasterLines, AllSixteenBinaryRasterOperations) {
    // Expected results written out from the operation names.
    const COLORREF P = 0x00F0CC, D = 0x0FAA33;
    const COLORREF M = 0xFFFFFF;
    const COLORREF Want[17] = {0,
                               0,            // black
                               ~(D | P) & M, // not merge pen
                               D & ~P & M,   // mask not pen
                               ~P & M,       // not copy pen
                               P & ~D & M,   // mask pen not
                               ~D & M,       // not
                               D ^ P,        // xor pen
                               ~(D & P) & M, // not mask pen
                               D & P,        // mask pen
                               ~(D ^ P) & M, // not xor pen
                               D,            // nop
                               (D | ~P) & M, // merge not pen
                               P,            // copy pen
                               (P | ~D) & M, // merge pen not
                               D | P,        // merge pen
                               M};           // white
    for (int Mode = R2_BLACK; Mode <= R2_WHITE; ++Mode) {
        TTestDC Dc(3, 1, D);
        TSelect S(Dc, CreatePen(PS_SOLID, 1, P));
        SetROP2(Dc, Mode);
        EXPECT_EQ(GetROP2(Dc), Mode);
        MoveToEx(Dc, 0, 0, nullptr);
        LineTo(Dc, 2, 0);
        EXPECT_EQ(Dc.At(0, 0), Want[Mode]) << "mode " << Mode;
        EXPECT_EQ(Dc.At(2, 0), D);
    }
    EXPECT_EQ(SetROP2(0, R2_XORPEN), 0);
}

TEST(RasterLines, WidePensCoverTheirWidth) {
    TTestDC Dc(9, 7);
    TSelect S(Dc, CreatePen(PS_SOLID, 3, 0));
    MoveToEx(Dc, 2, 3, nullptr);
    LineTo(Dc, 6, 3);
    // Rows 2..4 are covered from x = 2 to 6 at least, round caps add no more than a pixel.
    for (int Y = 2; Y <= 4; ++Y)
        for (int X = 2; X <= 6; ++X)
            EXPECT_EQ(Dc.At(X, Y), 0u) << X << "," << Y;
    for (int X = 0; X < 9; ++X) {
        EXPECT_EQ(Dc.At(X, 0), 0xFFFFFFu);
        EXPECT_EQ(Dc.At(X, 6), 0xFFFFFFu);
    }
}

TEST(RasterLines, LinesLeavingTheSurfaceSidewaysDrawOnlyTheirVisiblePart) {
    // The same steep and flat lines on a small bitmap and, shifted, inside a large one.
    TTestDC Small(10, 10), Big(100, 100);
    SetViewportOrgEx(Big, 40, 20, nullptr);
    for (HDC Dc : {HDC(Small), HDC(Big)}) {
        MoveToEx(Dc, -30, 0, nullptr);
        LineTo(Dc, 15, 60);
        MoveToEx(Dc, 12, -20, nullptr);
        LineTo(Dc, -3, 40);
        MoveToEx(Dc, -40, 3, nullptr);
        LineTo(Dc, 50, 7);
    }
    for (int Y = 0; Y < 10; ++Y)
        for (int X = 0; X < 10; ++X)
            EXPECT_EQ(Small.At(X, Y), Big.At(X + 40, Y + 20)) << X << "," << Y;
}
