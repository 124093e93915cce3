#include "raster_test_util.h"
#include "toolkit/graphics/FontEngine.h"
#include "toolkit/graphics/Windows.h"

#include <climits>
#include <gtest/gtest.h>

using namespace qel;
using qel::test::TSelect;
using qel::test::TTestDC;

namespace {
constexpr COLORREF Red = RGB(255, 0, 0);

// Bounding box of the pixels that are not white.
TRect Ink(TTestDC& Dc, int W, int H, COLORREF Background = 0xFFFFFF) {
    TRect R{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int Y = 0; Y < H; ++Y)
        for (int X = 0; X < W; ++X)
            if (Dc.At(X, Y) != Background) {
                R.Left = std::min(R.Left, X);
                R.Top = std::min(R.Top, Y);
                R.Right = std::max(R.Right, X + 1);
                R.Bottom = std::max(R.Bottom, Y + 1);
            }
    return R;
}

HFONT SansFont(bool Underline = false) {
    return CreateFontA(-16, 0, 0, 0, 400, 0, Underline, 0, 1, 0, 0, 0, 0, "MS Sans Serif");
}
} // namespace

TEST(RasterText, OpaqueCellAndOnlyTwoColours) {
    TTestDC Dc(200, 40);
    TSelect F(Dc, SansFont());
    SetBkColor(Dc, Red);
    SetTextColor(Dc, 0);
    TSize Ext;
    ASSERT_TRUE(GetTextExtentPoint32A(Dc, "Mail 42", 7, &Ext));
    TEXTMETRICA Tm;
    ASSERT_TRUE(GetTextMetricsA(Dc, &Tm));
    EXPECT_EQ(Ext.cy, Tm.tmHeight);
    EXPECT_EQ(Tm.tmHeight, Tm.tmAscent + Tm.tmDescent);
    ASSERT_TRUE(TextOutA(Dc, 5, 4, "Mail 42", 7));
    // The opaque box is exactly the text cell; inside it only text and background colours.
    EXPECT_EQ(Ink(Dc, 200, 40), (TRect{5, 4, 5 + Ext.cx, 4 + Ext.cy}));
    int Black = 0;
    for (int Y = 4; Y < 4 + Ext.cy; ++Y)
        for (int X = 5; X < 5 + Ext.cx; ++X) {
            const COLORREF C = Dc.At(X, Y);
            ASSERT_TRUE(C == Red || C == 0) << X << "," << Y;
            Black += C == 0;
        }
    EXPECT_GT(Black, 20);
    // Transparent mode: only the glyphs.
    TTestDC T(200, 40);
    TSelect F2(T, SansFont());
    SetBkMode(T, TRANSPARENT);
    TextOutA(T, 5, 4, "Mail 42", -1);
    for (int Y = 0; Y < 40; ++Y)
        for (int X = 0; X < 200; ++X)
            ASSERT_EQ(T.At(X, Y), Dc.At(X, Y) == Red ? 0xFFFFFFu : Dc.At(X, Y));
}

TEST(RasterText, AlignmentMovesTheCell) {
    TTestDC Dc(200, 60);
    TSelect F(Dc, SansFont());
    TEXTMETRICA Tm;
    GetTextMetricsA(Dc, &Tm);
    TSize Ext;
    GetTextExtentPoint32A(Dc, "Wide", 4, &Ext);
    SetBkColor(Dc, Red); // opaque cells show where the text went
    SetTextAlign(Dc, TA_RIGHT | TA_BOTTOM);
    TextOutA(Dc, 100, 50, "Wide", 4);
    EXPECT_EQ(Ink(Dc, 200, 60), (TRect{100 - Ext.cx, 50 - Ext.cy, 100, 50}));
    Dc.Clear(0xFFFFFF);
    SetTextAlign(Dc, TA_CENTER | TA_BASELINE);
    TextOutA(Dc, 100, 30, "Wide", 4);
    EXPECT_EQ(Ink(Dc, 200, 60), (TRect{100 - Ext.cx / 2, 30 - Tm.tmAscent,
                                       100 - Ext.cx / 2 + Ext.cx, 30 - Tm.tmAscent + Ext.cy}));
    // Update mode: drawn at and advancing the current position.
    Dc.Clear(0xFFFFFF);
    SetTextAlign(Dc, TA_UPDATECP);
    MoveToEx(Dc, 10, 5, nullptr);
    TextOutA(Dc, 0, 0, "Wide", 4);
    TPoint P;
    GetCurrentPositionEx(Dc, &P);
    EXPECT_EQ(P, (TPoint{10 + Ext.cx, 5}));
    EXPECT_EQ(Ink(Dc, 200, 60).Left, 10);
}

TEST(RasterText, ExtTextOutOpaqueRectAndClipping) {
    TTestDC Dc(100, 30);
    TSelect F(Dc, SansFont());
    SetBkColor(Dc, Red);
    const TRect R{10, 2, 30, 25};
    ExtTextOutA(Dc, 12, 4, ETO_OPAQUE | ETO_CLIPPED, &R, "WWWWWWWW", 8, nullptr);
    EXPECT_EQ(Ink(Dc, 100, 30), R);
    // Per-character advances replace the font's.
    TTestDC A(100, 30), B(100, 30);
    for (TTestDC* D : {&A, &B}) {
        SelectObject(*D, SansFont());
        SetBkMode(*D, TRANSPARENT);
    }
    const int Dx[] = {20, 20};
    ExtTextOutA(A, 0, 0, 0, nullptr, "ii", 2, Dx);
    TextOutA(B, 0, 0, "i", 1);
    TextOutA(B, 20, 0, "i", 1);
    EXPECT_EQ(A.Picture(100, 30), B.Picture(100, 30));
    for (TTestDC* D : {&A, &B})
        DeleteObject(SelectObject(*D, GetStockObject(SYSTEM_FONT)));
}

TEST(RasterText, UnderlineRunsAcrossTheAdvance) {
    TTestDC Plain(100, 30), Under(100, 30);
    TSelect F1(Plain, SansFont(false));
    TSelect F2(Under, SansFont(true));
    for (HDC D : {HDC(Plain), HDC(Under)}) {
        SetBkMode(D, TRANSPARENT);
        TextOutA(D, 3, 2, "ab c", 4);
    }
    TSize Ext;
    GetTextExtentPoint32A(Under, "ab c", 4, &Ext);
    // Some row below the glyphs of the plain text is solid across the whole advance.
    bool Found = false;
    for (int Y = 0; Y < 30 && !Found; ++Y) {
        bool Full = true;
        for (int X = 3; X < 3 + Ext.cx; ++X)
            Full &= Under.At(X, Y) == 0;
        Found = Full && Plain.At(3 + Ext.cx / 2, Y) != 0;
    }
    EXPECT_TRUE(Found);
}

TEST(RasterText, FontHandlesAndFaces) {
    HFONT F = SansFont();
    LOGFONTA Lf;
    ASSERT_EQ(GetObjectA(F, sizeof Lf, &Lf), static_cast<int>(sizeof Lf));
    EXPECT_EQ(Lf.lfHeight, -16);
    EXPECT_STREQ(Lf.lfFaceName, "MS Sans Serif");
    EXPECT_TRUE(GetFontFace(F));
    HBRUSH Br = CreateSolidBrush(0);
    EXPECT_FALSE(GetFontFace(Br)); // wrong type: no face
    DeleteObject(Br);
    HDC Dc = CreateCompatibleDC(0);
    SelectObject(Dc, F);
    char Name[64];
    EXPECT_GT(GetTextFaceA(Dc, sizeof Name, Name), 0);
    EXPECT_STREQ(Name, "MS Sans Serif");
    EXPECT_EQ(GetDCFontFace(Dc), GetFontFace(F));
    DeleteDC(Dc);
    DeleteObject(F);
}
