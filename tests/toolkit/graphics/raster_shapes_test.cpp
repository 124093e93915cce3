#include "raster_test_util.h"
#include "toolkit/graphics/Windows.h"

#include <gtest/gtest.h>

using namespace qel;
using qel::test::Art;
using qel::test::TSelect;
using qel::test::TTestDC;

namespace {
constexpr COLORREF Red = RGB(255, 0, 0);
const std::map<COLORREF, char> Names = {{Red, 'r'}};

// Drawn pixels (not white) of a figure in a fresh DC.
template <class F> std::string Draw(int W, int H, F&& Fn) {
    TTestDC Dc(W, H);
    TSelect B(Dc, CreateSolidBrush(Red));
    Fn(HDC(Dc));
    return Dc.Picture(W, H, Names);
}
} // namespace

TEST(RasterShapes, RectangleOutlinesTheHalfOpenBoxAndFillsInside) {
    EXPECT_EQ(Draw(7, 6, [](HDC Dc) { Rectangle(Dc, 1, 1, 6, 5); }),
              Art({".......", ".#####.", ".#rrr#.", ".#rrr#.", ".#####.", "......."}));
    // Without a pen the fill stops one pixel short on the right and bottom.
    EXPECT_EQ(Draw(7, 6,
                   [](HDC Dc) {
                       SelectObject(Dc, GetStockObject(NULL_PEN));
                       Rectangle(Dc, 1, 1, 6, 5);
                   }),
              Art({".......", ".rrrr..", ".rrrr..", ".rrrr..", ".......", "......."}));
    // A null brush leaves the inside alone.
    EXPECT_EQ(Draw(5, 4,
                   [](HDC Dc) {
                       SelectObject(Dc, GetStockObject(NULL_BRUSH));
                       Rectangle(Dc, 4, 3, 0, 0); // corners in any order
                   }),
              Art({"####.", "#..#.", "####.", "....."}));
}

TEST(RasterShapes, InsideFramePenStaysInTheBox) {
    EXPECT_EQ(Draw(7, 7,
                   [](HDC Dc) {
                       SelectObject(Dc, CreatePen(PS_INSIDEFRAME, 2, 0));
                       Rectangle(Dc, 0, 0, 7, 6);
                       DeleteObject(SelectObject(Dc, GetStockObject(BLACK_PEN)));
                   }),
              Art({"#######", "#######", "##rrr##", "##rrr##", "#######", "#######", "......."}));
}

TEST(RasterShapes, EllipseOfTenPixels) {
    EXPECT_EQ(Draw(10, 10, [](HDC Dc) { Ellipse(Dc, 0, 0, 10, 10); }),
              Art({"...####...", ".##rrrr##.", ".#rrrrrr#.", "#rrrrrrrr#", "#rrrrrrrr#",
                   "#rrrrrrrr#", "#rrrrrrrr#", ".#rrrrrr#.", ".##rrrr##.", "...####..."}));
}

TEST(RasterShapes, EllipsesAreSymmetricAndTouchTheirBox) {
    for (int W = 1; W <= 17; ++W)
        for (int H = 1; H <= 17; ++H) {
            TTestDC Dc(W + 2, H + 2);
            Ellipse(Dc, 1, 1, W + 1, H + 1);
            bool Left = false, Right = false, Top = false, Bottom = false;
            for (int Y = 0; Y < H + 2; ++Y)
                for (int X = 0; X < W + 2; ++X) {
                    const bool On = Dc.At(X, Y) == 0;
                    ASSERT_EQ(On, Dc.At(W + 1 - X, Y) == 0) << W << "x" << H << " at " << X;
                    ASSERT_EQ(On, Dc.At(X, H + 1 - Y) == 0) << W << "x" << H << " at " << Y;
                    if (On) {
                        ASSERT_TRUE(X >= 1 && X <= W && Y >= 1 && Y <= H);
                        Left |= X == 1;
                        Right |= X == W;
                        Top |= Y == 1;
                        Bottom |= Y == H;
                    }
                }
            EXPECT_TRUE(Left && Right && Top && Bottom) << W << "x" << H;
        }
}

TEST(RasterShapes, EllipseOutlineIsConnected) {
    // Every outline pixel has an outline neighbour on both sides: no gaps in steep parts.
    TTestDC Dc(41, 13);
    SelectObject(Dc, GetStockObject(NULL_BRUSH));
    Ellipse(Dc, 0, 0, 41, 13);
    for (int Y = 0; Y < 13; ++Y)
        for (int X = 0; X < 41; ++X) {
            if (Dc.At(X, Y) != 0) continue;
            int N = 0;
            for (int Dy = -1; Dy <= 1; ++Dy)
                for (int Dx = -1; Dx <= 1; ++Dx) {
                    const int Nx = X + Dx, Ny = Y + Dy;
                    if ((Dx || Dy) && Nx >= 0 && Ny >= 0 && Nx < 41 && Ny < 13 &&
                        Dc.At(Nx, Ny) == 0)
                        ++N;
                }
            EXPECT_GE(N, 2) << X << "," << Y;
        }
}

TEST(RasterShapes, RoundRectCornersAndDegenerateCorners) {
    EXPECT_EQ(Draw(9, 7, [](HDC Dc) { RoundRect(Dc, 0, 0, 9, 7, 6, 6); }),
              Art({".#######.", "#rrrrrrr#", "#rrrrrrr#", "#rrrrrrr#", "#rrrrrrr#", "#rrrrrrr#",
                   ".#######."}));
    EXPECT_EQ(Draw(12, 12, [](HDC Dc) { RoundRect(Dc, 0, 0, 12, 12, 10, 10); }),
              Art({"...######...", ".##rrrrrr##.", ".#rrrrrrrr#.", "#rrrrrrrrrr#", "#rrrrrrrrrr#",
                   "#rrrrrrrrrr#", "#rrrrrrrrrr#", "#rrrrrrrrrr#", "#rrrrrrrrrr#", ".#rrrrrrrr#.",
                   ".##rrrrrr##.", "...######..."}));
    // A corner of two pixels or less is a plain rectangle.
    EXPECT_EQ(Draw(6, 5, [](HDC Dc) { RoundRect(Dc, 0, 0, 6, 5, 2, 2); }),
              Draw(6, 5, [](HDC Dc) { Rectangle(Dc, 0, 0, 6, 5); }));
    // Odd sizes stay symmetric.
    const std::string P = Draw(11, 9, [](HDC Dc) { RoundRect(Dc, 0, 0, 11, 9, 7, 5); });
    for (int Y = 0; Y < 9; ++Y)
        for (int X = 0; X < 11; ++X) {
            EXPECT_EQ(P[Y * 12 + X], P[Y * 12 + 10 - X]);
            EXPECT_EQ(P[Y * 12 + X], P[(8 - Y) * 12 + X]);
        }
}

TEST(RasterShapes, PolygonFillModes) {
    // A pentagram: the centre is inside with winding, outside with alternate.
    const TPoint Star[] = {{10, 0}, {16, 19}, {0, 7}, {20, 7}, {4, 19}};
    for (int Mode : {ALTERNATE, WINDING}) {
        TTestDC Dc(21, 21);
        TSelect B(Dc, CreateSolidBrush(Red));
        SelectObject(Dc, GetStockObject(NULL_PEN));
        SetPolyFillMode(Dc, Mode);
        Polygon(Dc, Star, 5);
        EXPECT_EQ(Dc.At(10, 11), Mode == WINDING ? Red : 0xFFFFFFu);
        EXPECT_EQ(Dc.At(10, 3), Red);
    }
    // With a pen the closed outline covers every vertex.
    TTestDC Dc(6, 6);
    const TPoint Tri[] = {{0, 0}, {5, 0}, {0, 5}};
    Polygon(Dc, Tri, 3);
    EXPECT_EQ(Dc.At(0, 0), 0u);
    EXPECT_EQ(Dc.At(5, 0), 0u);
    EXPECT_EQ(Dc.At(0, 5), 0u);
    EXPECT_EQ(Dc.At(1, 1), 0xFFFFFFu); // white stock brush
    EXPECT_EQ(Dc.At(4, 4), 0xFFFFFFu);
}

TEST(RasterShapes, ArcDrawsOnlyTheCounterClockwiseSweep) {
    TTestDC Full(21, 21), Quarter(21, 21);
    SelectObject(Full, GetStockObject(NULL_BRUSH));
    Ellipse(Full, 0, 0, 21, 21);
    // From the ray to the right, counter-clockwise to the ray upwards: the top-right quarter.
    Arc(Quarter, 0, 0, 21, 21, 30, 10, 10, -10);
    int Count = 0;
    for (int Y = 0; Y < 21; ++Y)
        for (int X = 0; X < 21; ++X) {
            if (Quarter.At(X, Y) != 0) continue;
            ++Count;
            EXPECT_EQ(Full.At(X, Y), 0u);
            EXPECT_TRUE(X >= 10 && Y <= 10) << X << "," << Y;
        }
    EXPECT_GT(Count, 8);
    // Equal rays draw the whole ellipse.
    TTestDC Whole(21, 21);
    Arc(Whole, 0, 0, 21, 21, 30, 10, 30, 10);
    EXPECT_EQ(Whole.Picture(21, 21), Full.Picture(21, 21));
}

TEST(RasterShapes, PieFillsItsSectorAndChordItsSegment) {
    TTestDC Pie(21, 21), Chord(21, 21);
    TSelect B1(Pie, CreateSolidBrush(Red));
    TSelect B2(Chord, CreateSolidBrush(Red));
    qel::Pie(Pie, 0, 0, 21, 21, 30, 10, 10, -10);
    qel::Chord(Chord, 0, 0, 21, 21, 30, 10, 10, -10);
    EXPECT_EQ(Pie.At(14, 6), Red);         // inside the top-right quarter
    EXPECT_EQ(Pie.At(6, 14), 0xFFFFFFu);   // other quarters untouched
    EXPECT_EQ(Pie.At(10, 5), 0u);          // the radius line up from the centre
    EXPECT_EQ(Chord.At(16, 4), Red);       // beyond the chord
    EXPECT_EQ(Chord.At(12, 8), 0xFFFFFFu); // between centre and chord
}

TEST(RasterShapes, FiguresUseTheRasterOperation) {
    TTestDC Dc(8, 8);
    SetROP2(Dc, R2_NOT);
    SelectObject(Dc, GetStockObject(NULL_BRUSH));
    Ellipse(Dc, 0, 0, 8, 8);
    Ellipse(Dc, 0, 0, 8, 8);
    EXPECT_EQ(Dc.Picture(8, 8), TTestDC(8, 8).Picture(8, 8));
}

TEST(RasterShapes, HugeFiguresCostOnlyTheirVisibleRows) {
    TTestDC Dc(20, 20);
    TSelect B(Dc, CreateSolidBrush(Red));
    Ellipse(Dc, -1000000, -1000000, 1000000, 1000000);
    Rectangle(Dc, -100000000, 10, 100000000, 100000000);
    const TPoint Tri[] = {{-100000000, -100000000}, {100000000, -100000000}, {0, 100000000}};
    Polygon(Dc, Tri, 3);
    RoundRect(Dc, -50000000, -50000000, 15, 50000000, 400000, 400000);
    {
        TSelect P(Dc, CreatePen(PS_SOLID, 5, 0));
        MoveToEx(Dc, 0, -100000000, nullptr);
        LineTo(Dc, 0, 100000000);
    }
    EXPECT_EQ(Dc.At(10, 5), Red);
    EXPECT_EQ(Dc.At(1, 5), 0u);   // the wide line
    EXPECT_EQ(Dc.At(14, 15), 0u); // the round rectangle's right edge
}
