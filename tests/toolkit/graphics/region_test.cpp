#include "raster_test_util.h"
#include "toolkit/graphics/Region.h"
#include "toolkit/graphics/Windows.h"

#include <gtest/gtest.h>
#include <random>

using namespace qel;
using qel::test::Art;
using qel::test::TSelect;
using qel::test::TTestDC;

TEST(Region, CombineMatchesPixelLogic) {
    // Random rectangle unions combined every way, checked pixel by pixel against the
    // boolean of the operands, and kept in canonical form (equal pixels, equal bands).
    std::mt19937 Rng(7);
    auto Rnd = [&](int N) { return static_cast<int>(Rng() % N); };
    for (int Round = 0; Round < 60; ++Round) {
        TRegion A, B;
        for (int K = 0; K < 4; ++K) {
            A = TRegion::Combine(A, TRegion(Bounds(Rnd(20), Rnd(20), 1 + Rnd(10), 1 + Rnd(10))),
                                 TRegion::TOp::Or);
            B = TRegion::Combine(B, TRegion(Bounds(Rnd(20), Rnd(20), 1 + Rnd(10), 1 + Rnd(10))),
                                 TRegion::TOp::Or);
        }
        for (auto Op :
             {TRegion::TOp::And, TRegion::TOp::Or, TRegion::TOp::Xor, TRegion::TOp::Diff}) {
            const TRegion C = TRegion::Combine(A, B, Op);
            std::vector<std::vector<std::pair<int, int>>> Rows(32);
            for (int Y = 0; Y < 32; ++Y)
                for (int X = 0; X < 32; ++X) {
                    const bool Ia = A.Contains(X, Y), Ib = B.Contains(X, Y);
                    const bool Want = Op == TRegion::TOp::And   ? Ia && Ib
                                      : Op == TRegion::TOp::Or  ? Ia || Ib
                                      : Op == TRegion::TOp::Xor ? Ia != Ib
                                                                : Ia && !Ib;
                    ASSERT_EQ(C.Contains(X, Y), Want) << X << "," << Y;
                    if (Want) Rows[static_cast<std::size_t>(Y)].push_back({X, X + 1});
                }
            EXPECT_TRUE(C == TRegion::FromRows(0, Rows));
        }
    }
}

TEST(Region, HandleCalls) {
    HRGN A = CreateRectRgn(0, 0, 10, 10), B = CreateRectRgn(5, 5, 15, 15),
         C = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(C, A, B, RGN_AND), SIMPLEREGION);
    TRect Box;
    EXPECT_EQ(GetRgnBox(C, &Box), SIMPLEREGION);
    EXPECT_EQ(Box, (TRect{5, 5, 10, 10}));
    EXPECT_EQ(CombineRgn(C, A, B, RGN_XOR), COMPLEXREGION);
    EXPECT_FALSE(PtInRegion(C, 7, 7));
    EXPECT_TRUE(PtInRegion(C, 12, 7));
    EXPECT_EQ(CombineRgn(C, A, A, RGN_DIFF), NULLREGION);
    EXPECT_EQ(GetRgnBox(C, &Box), NULLREGION);
    EXPECT_EQ(CombineRgn(C, B, 0, RGN_COPY), SIMPLEREGION);
    EXPECT_TRUE(EqualRgn(C, B));
    EXPECT_EQ(OffsetRgn(C, -5, -5), SIMPLEREGION);
    EXPECT_TRUE(EqualRgn(C, A));
    const TRect In{9, 9, 20, 20}, Out{10, 10, 20, 20};
    EXPECT_TRUE(RectInRegion(A, &In));
    EXPECT_FALSE(RectInRegion(A, &Out));
    EXPECT_FALSE(PtInRegion(A, 10, 5)); // half-open
    EXPECT_EQ(CombineRgn(C, A, B, 99), ERROR);
    for (HRGN R : {A, B, C})
        EXPECT_TRUE(DeleteObject(R));
}

TEST(Region, ShapedRegions) {
    HRGN E = CreateEllipticRgn(0, 0, 10, 10);
    EXPECT_FALSE(PtInRegion(E, 0, 0));
    EXPECT_TRUE(PtInRegion(E, 0, 5));
    EXPECT_TRUE(PtInRegion(E, 5, 0));
    EXPECT_FALSE(PtInRegion(E, 10, 5));
    HRGN R = CreateRoundRectRgn(0, 0, 20, 10, 8, 8);
    EXPECT_FALSE(PtInRegion(R, 0, 0));
    EXPECT_TRUE(PtInRegion(R, 10, 0));
    EXPECT_TRUE(PtInRegion(R, 0, 5));
    // A triangle with corners on pixel corners covers the pixels whose centres are inside.
    const TPoint Tri[] = {{0, 0}, {4, 0}, {0, 4}};
    HRGN T = CreatePolygonRgn(Tri, 3, ALTERNATE);
    TTestDC Dc(5, 5);
    HBRUSH B = CreateSolidBrush(0);
    FillRgn(Dc, T, B);
    EXPECT_EQ(Dc.Picture(5, 5), Art({"###..", "##...", "#....", ".....", "....."}));
    // Square with a square hole in the same direction: winding fills the hole too.
    const TPoint Two[] = {{0, 0}, {6, 0}, {6, 6}, {0, 6}, {2, 2}, {4, 2}, {4, 4}, {2, 4}};
    const int Counts[] = {4, 4};
    HRGN Alt = CreatePolyPolygonRgn(Two, Counts, 2, ALTERNATE);
    HRGN Wind = CreatePolyPolygonRgn(Two, Counts, 2, WINDING);
    EXPECT_FALSE(PtInRegion(Alt, 3, 3));
    EXPECT_TRUE(PtInRegion(Wind, 3, 3));
    EXPECT_EQ(CreatePolygonRgn(Tri, 3, 7), 0u);
    for (HGDIOBJ O : {E, R, T, Alt, Wind, B})
        DeleteObject(O);
}

TEST(Region, FrameRgnPaintsTheBorderOfTheShape) {
    TTestDC Dc(8, 6);
    HRGN R = CreateRectRgn(1, 1, 7, 6);
    HBRUSH B = CreateSolidBrush(0);
    FrameRgn(Dc, R, B, 2, 1);
    EXPECT_EQ(Dc.Picture(8, 6),
              Art({"........", ".######.", ".##..##.", ".##..##.", ".##..##.", ".######."}));
    DeleteObject(R);
    DeleteObject(B);
}

TEST(Region, ClipCallsOnADeviceContext) {
    TTestDC Dc(6, 6);
    TRect Box;
    EXPECT_EQ(GetClipBox(Dc, &Box), SIMPLEREGION);
    EXPECT_EQ(Box, (TRect{0, 0, 6, 6}));
    const int Saved = SaveDC(Dc);
    EXPECT_EQ(IntersectClipRect(Dc, 1, 1, 5, 5), SIMPLEREGION);
    EXPECT_EQ(ExcludeClipRect(Dc, 2, 2, 4, 4), COMPLEXREGION);
    GetClipBox(Dc, &Box);
    EXPECT_EQ(Box, (TRect{1, 1, 5, 5}));
    HBRUSH B = CreateSolidBrush(0);
    const TRect All{0, 0, 6, 6};
    FillRect(Dc, &All, B);
    EXPECT_EQ(Dc.Picture(6, 6), Art({"......", ".####.", ".#..#.", ".#..#.", ".####.", "......"}));
    HRGN Got = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetClipRgn(Dc, Got), 1);
    EXPECT_TRUE(PtInRegion(Got, 1, 1));
    EXPECT_FALSE(PtInRegion(Got, 2, 2));
    EXPECT_TRUE(RestoreDC(Dc, Saved));
    EXPECT_EQ(GetClipRgn(Dc, Got), 0);
    GetClipBox(Dc, &Box);
    EXPECT_EQ(Box, (TRect{0, 0, 6, 6}));
    // SelectClipRgn copies: changing the region afterwards does not move the clip.
    HRGN Sel = CreateRectRgn(0, 0, 2, 2);
    SelectClipRgn(Dc, Sel);
    OffsetRgn(Sel, 3, 3);
    EXPECT_TRUE(PtVisible(Dc, 1, 1));
    EXPECT_FALSE(PtVisible(Dc, 4, 4));
    SelectClipRgn(Dc, 0);
    EXPECT_TRUE(PtVisible(Dc, 4, 4));
    for (HGDIOBJ O : {HGDIOBJ(B), Got, Sel})
        DeleteObject(O);
}

TEST(Region, HandlesAreTypeCheckedAndDieWithDeleteObject) {
    const std::size_t Before = GdiHandleCount();
    HRGN R = CreateRectRgn(0, 0, 1, 1);
    HPEN P = CreatePen(PS_SOLID, 1, 0);
    HDC Dc = CreateCompatibleDC(0);
    EXPECT_EQ(GetObjectType(R), DWORD(OBJ_REGION));
    EXPECT_EQ(GetObjectType(Dc), DWORD(OBJ_MEMDC));
    EXPECT_FALSE(PtInRegion(P, 0, 0)); // a pen is no region
    EXPECT_EQ(CombineRgn(R, P, R, RGN_OR), ERROR);
    EXPECT_FALSE(DeleteObject(Dc)); // DCs go through DeleteDC
    EXPECT_EQ(SelectObject(Dc, Dc), 0u);
    EXPECT_EQ(FillRgn(Dc, R, P), FALSE);
    EXPECT_EQ(SetBkColor(R, 0), CLR_INVALID_COLOR);
    EXPECT_TRUE(DeleteObject(R));
    EXPECT_FALSE(PtInRegion(R, 0, 0)); // stale handle
    EXPECT_FALSE(DeleteObject(R));
    HRGN R2 = CreateRectRgn(0, 0, 1, 1); // may reuse the slot, never the handle
    EXPECT_NE(R2, R);
    EXPECT_FALSE(PtInRegion(R, 0, 0));
    // A pen deleted while selected stays usable by the DC until replaced.
    SelectObject(Dc, P);
    EXPECT_TRUE(DeleteObject(P));
    HBITMAP Bmp = CreateBitmap(2, 1, 1, 32, nullptr);
    HGDIOBJ Old = SelectObject(Dc, Bmp);
    MoveToEx(Dc, 0, 0, nullptr);
    EXPECT_TRUE(LineTo(Dc, 2, 0));
    EXPECT_FALSE(DeleteObject(Bmp)); // selected bitmaps cannot be deleted
    SelectObject(Dc, Old);
    EXPECT_TRUE(DeleteObject(Bmp));
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_PEN))); // stock objects survive
    EXPECT_EQ(GetObjectType(GetStockObject(BLACK_PEN)), DWORD(OBJ_PEN));
    DeleteObject(R2);
    DeleteDC(Dc);
    EXPECT_EQ(GdiHandleCount(), Before);
}
