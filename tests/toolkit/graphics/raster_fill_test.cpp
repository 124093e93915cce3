#include "raster_test_util.h"
#include "toolkit/graphics/Windows.h"

#include <climits>
#include <gtest/gtest.h>

using namespace qel;
using qel::test::Art;
using qel::test::TSelect;
using qel::test::TTestDC;

namespace {
constexpr COLORREF Red = RGB(255, 0, 0), Blue = RGB(0, 0, 255);
const std::map<COLORREF, char> Names = {{Red, 'r'}, {Blue, 'b'}};
} // namespace

TEST(RasterFill, FillRectIsHalfOpenAndIgnoresInvertedRects) {
    TTestDC Dc(5, 4);
    HBRUSH B = CreateSolidBrush(Red);
    const TRect R{1, 1, 4, 3}, Inverted{4, 3, 1, 1};
    EXPECT_EQ(FillRect(Dc, &R, B), 1);
    FillRect(Dc, &Inverted, B);
    EXPECT_EQ(Dc.Picture(5, 4, Names), Art({".....", ".rrr.", ".rrr.", "....."}));
    DeleteObject(B);
    // A system colour index plus one stands for that colour's brush.
    const TRect All{0, 0, 5, 4};
    FillRect(Dc, &All, static_cast<HBRUSH>(COLOR_BTNSHADOW + 1));
    EXPECT_EQ(Dc.At(0, 0), 0x808080u);
    EXPECT_EQ(FillRect(Dc, &All, 12345), 0);
}

TEST(RasterFill, HatchesPaintGapsOnlyInOpaqueMode) {
    TTestDC Dc(8, 8);
    TSelect B(Dc, CreateHatchBrush(HS_CROSS, Blue));
    SetBkColor(Dc, Red);
    SetBkMode(Dc, OPAQUE);
    PatBlt(Dc, 0, 0, 8, 4, PATCOPY);
    SetBkMode(Dc, TRANSPARENT);
    PatBlt(Dc, 0, 4, 8, 4, PATCOPY);
    EXPECT_EQ(Dc.Picture(8, 8, Names), Art({"rrrrrrrb", "rrrrrrrb", "rrrrrrrb", "rrrrrrrb",
                                            ".......b", ".......b", ".......b", "bbbbbbbb"}));
}

TEST(RasterFill, HatchStylesAndBrushOrigin) {
    // Origin (4, 4) moves row and column 7 of the 8 x 8 pattern to 3.
    const char* Want[] = {".......\n.......\n.......\n#######\n",
                          "...#...\n...#...\n...#...\n...#...\n",
                          "#......\n.#.....\n..#....\n...#...\n"};
    for (int Style : {HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL}) {
        TTestDC Dc(7, 4);
        TSelect B(Dc, CreateHatchBrush(Style, 0));
        SetBkMode(Dc, TRANSPARENT);
        SetBrushOrgEx(Dc, 4, 4, nullptr);
        PatBlt(Dc, 0, 0, 7, 4, PATCOPY);
        EXPECT_EQ(Dc.Picture(7, 4), Want[Style]) << Style;
    }
    TTestDC Dc(8, 8);
    TSelect B(Dc, CreateHatchBrush(HS_DIAGCROSS, 0));
    SetBkMode(Dc, TRANSPARENT);
    PatBlt(Dc, 0, 0, 8, 8, PATCOPY);
    for (int I = 0; I < 8; ++I) {
        EXPECT_EQ(Dc.At(I, I), 0u);
        EXPECT_EQ(Dc.At(7 - I, I), 0u);
    }
    EXPECT_EQ(Dc.At(1, 0), 0xFFFFFFu);
}

TEST(RasterFill, PatBltOperationsAndNegativeExtents) {
    TTestDC Dc(6, 3, Red);
    TSelect B(Dc, CreateSolidBrush(Blue));
    PatBlt(Dc, 0, 0, 6, 1, PATINVERT);
    EXPECT_EQ(Dc.At(0, 0), Red ^ Blue);
    PatBlt(Dc, 0, 0, 6, 1, PATINVERT);
    EXPECT_EQ(Dc.At(0, 0), Red);
    PatBlt(Dc, 0, 1, 6, 1, DSTINVERT);
    EXPECT_EQ(Dc.At(3, 1), ~Red & 0xFFFFFF);
    PatBlt(Dc, 0, 2, 3, 1, BLACKNESS);
    PatBlt(Dc, 3, 2, 3, 1, WHITENESS);
    EXPECT_EQ(Dc.Picture(6, 3, Names).substr(14), "###...\n");
    // Leftwards and upwards from (x, y), x and y themselves excluded.
    Dc.Clear(0xFFFFFF);
    PatBlt(Dc, 4, 3, -3, -2, PATCOPY);
    EXPECT_EQ(Dc.Picture(6, 3, Names), Art({"......", ".bbb..", ".bbb.."}));
    // Raster operations that need a source are refused.
    EXPECT_FALSE(PatBlt(Dc, 0, 0, 1, 1, SRCCOPY));
}

TEST(RasterFill, MonochromePatternBrushUsesTextAndBackgroundColours) {
    const unsigned char Bits[] = {0xA0, 0, 0x50, 0}; // 4 x 2: 1010 / 0101, rows word-aligned
    HBITMAP Pat = CreateBitmap(4, 2, 1, 1, Bits);
    ASSERT_TRUE(IsMonochromeBitmap(Pat));
    TTestDC Dc(4, 2);
    TSelect B(Dc, CreatePatternBrush(Pat));
    DeleteObject(Pat); // the brush keeps its own copy
    SetTextColor(Dc, Red);
    SetBkColor(Dc, Blue);
    PatBlt(Dc, 0, 0, 4, 2, PATCOPY);
    EXPECT_EQ(Dc.Picture(4, 2, Names), Art({"brbr", "rbrb"}));
}

TEST(RasterFill, FrameAndInvertRect) {
    TTestDC Dc(6, 5);
    HBRUSH B = CreateSolidBrush(0);
    const TRect R{1, 1, 5, 5};
    FrameRect(Dc, &R, B);
    DeleteObject(B);
    EXPECT_EQ(Dc.Picture(6, 5), Art({"......", ".####.", ".#..#.", ".#..#.", ".####."}));
    const TRect I{0, 0, 3, 2};
    InvertRect(Dc, &I);
    EXPECT_EQ(Dc.Picture(6, 2), Art({"###...", "#..##."}));
}

TEST(RasterFill, FocusRectIsADottedInversionThatUndoesItself) {
    TTestDC Dc(7, 5, Red);
    const TRect R{0, 0, 7, 5};
    const std::string Before = Dc.Picture(7, 5, Names);
    DrawFocusRect(Dc, &R);
    EXPECT_EQ(Dc.Picture(7, 5, Names),
              Art({"orororo", "rrrrrrr", "orrrrro", "rrrrrrr", "orororo"}));
    DrawFocusRect(Dc, &R);
    EXPECT_EQ(Dc.Picture(7, 5, Names), Before);
    // A one-pixel-high rectangle is inverted once, not twice.
    const TRect Thin{0, 2, 7, 3};
    DrawFocusRect(Dc, &Thin);
    EXPECT_NE(Dc.Picture(7, 5, Names), Before);
}

TEST(RasterFill, PixelsAndClip) {
    TTestDC Dc(4, 4);
    EXPECT_EQ(SetPixel(Dc, 1, 2, Red), Red);
    EXPECT_EQ(GetPixel(Dc, 1, 2), Red);
    EXPECT_EQ(GetPixel(Dc, 4, 0), CLR_INVALID_COLOR);
    EXPECT_EQ(GetPixel(Dc, -1, 0), CLR_INVALID_COLOR);
    EXPECT_EQ(SetPixel(Dc, 9, 9, Red), CLR_INVALID_COLOR);
    IntersectClipRect(Dc, 0, 0, 2, 2);
    EXPECT_EQ(GetPixel(Dc, 1, 2), CLR_INVALID_COLOR);
    EXPECT_EQ(GetPixel(Dc, 1, 1), 0xFFFFFFu);
}

TEST(RasterFill, ViewportAndWindowOriginsShiftDrawing) {
    TTestDC Dc(6, 6);
    SetViewportOrgEx(Dc, 2, 1, nullptr);
    SetWindowOrgEx(Dc, 1, 0, nullptr);
    HBRUSH B = CreateSolidBrush(0);
    const TRect R{0, 0, 2, 2};
    FillRect(Dc, &R, B);
    DeleteObject(B);
    EXPECT_EQ(Dc.Picture(6, 4), Art({"......", ".##...", ".##...", "......"}));
    TRect Box;
    GetClipBox(Dc, &Box);
    EXPECT_EQ(Box, (TRect{-1, -1, 5, 5}));
}

TEST(RasterFill, MonochromeBitmapsHoldOnlyBlackAndWhite) {
    HDC Dc = CreateCompatibleDC(0);
    HBITMAP Mono = CreateCompatibleBitmap(Dc, 3, 1); // the DC still holds its 1x1 mono bitmap
    ASSERT_TRUE(IsMonochromeBitmap(Mono));
    HGDIOBJ Old = SelectObject(Dc, Mono);
    HBRUSH Light = CreateSolidBrush(RGB(200, 200, 200)), Dark = CreateSolidBrush(RGB(40, 40, 90));
    const TRect A{0, 0, 1, 1}, B{1, 0, 2, 1};
    FillRect(Dc, &A, Light);
    FillRect(Dc, &B, Dark);
    EXPECT_EQ(GetPixel(Dc, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(GetPixel(Dc, 1, 0), 0u);
    SelectObject(Dc, Old);
    DeleteObject(Light);
    DeleteObject(Dark);
    DeleteObject(Mono);
    DeleteDC(Dc);
}

TEST(RasterFill, ExtremeCoordinatesSaturate) {
    TTestDC Dc(3, 3);
    SetViewportOrgEx(Dc, 5, 5, nullptr);
    HBRUSH B = CreateSolidBrush(0);
    const TRect R{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    FillRect(Dc, &R, B);
    TSelect S(Dc, B);
    EXPECT_EQ(Dc.Picture(3, 3), Art({"###", "###", "###"}));
    PatBlt(Dc, INT_MIN, INT_MIN, INT_MAX, INT_MAX, DSTINVERT);
    PatBlt(Dc, INT_MAX, INT_MAX, INT_MIN, INT_MIN, DSTINVERT); // starts at 4: misses
    EXPECT_EQ(Dc.Picture(3, 3), Art({"...", "...", "..."}));
}
