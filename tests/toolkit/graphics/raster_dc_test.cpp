#include "raster_test_util.h"
#include "toolkit/graphics/Windows.h"

#include <gtest/gtest.h>

using namespace qel;
using qel::test::Art;

TEST(RasterDC, SurfaceDCWithOriginAndVisibleRect) {
    // A child window at (2, 1) of its parent's surface, 3 x 2 pixels visible.
    TSurface S(8, 5, 0xFFFFFF);
    const TRect Visible{0, 0, 3, 2};
    HDC Dc = CreateDCForSurface(&S, 2, 1, &Visible);
    ASSERT_TRUE(Dc);
    EXPECT_EQ(GetDCSurface(Dc), &S);
    HBRUSH B = CreateSolidBrush(0);
    const TRect All{-10, -10, 10, 10};
    FillRect(Dc, &All, B);
    TRect Box;
    EXPECT_EQ(GetClipBox(Dc, &Box), SIMPLEREGION);
    EXPECT_EQ(Box, Visible);
    std::string P;
    for (int Y = 0; Y < 5; ++Y) {
        for (int X = 0; X < 8; ++X)
            P += S.Get(X, Y) ? '.' : '#';
        P += '\n';
    }
    EXPECT_EQ(P, Art({"........", "..###...", "..###...", "........", "........"}));
    // Moving the window keeps the DC.
    const TRect V2{0, 0, 1, 1};
    EXPECT_TRUE(SetDCSurface(Dc, &S, 7, 4, &V2));
    FillRect(Dc, &All, B);
    EXPECT_EQ(S.Get(7, 4), 0u);
    // A clip region lives in the window's coordinates.
    EXPECT_TRUE(SetDCSurface(Dc, &S, 4, 0, nullptr));
    IntersectClipRect(Dc, 0, 0, 1, 1);
    S.Resize(8, 5, 0xFFFFFF);
    FillRect(Dc, &All, B);
    EXPECT_EQ(S.Get(4, 0), 0u);
    EXPECT_EQ(S.Get(5, 0), 0xFFFFFFu);
    DeleteObject(B);
    EXPECT_TRUE(DeleteDC(Dc));
    EXPECT_FALSE(DeleteDC(Dc));
}

TEST(RasterDC, ScreenAndWindowHooks) {
    TSurface Screen(16, 16, 0);
    SetScreenSurface(&Screen);
    HDC D = CreateDCA("DISPLAY");
    ASSERT_TRUE(D);
    EXPECT_EQ(GetDCSurface(D), &Screen);
    EXPECT_EQ(CreateDCA("PRINTER"), 0u);
    // Compatible bitmaps of a screen DC are colour bitmaps.
    HBITMAP Bm = CreateCompatibleBitmap(D, 4, 4);
    EXPECT_FALSE(IsMonochromeBitmap(Bm));
    DeleteObject(Bm);
    DeleteDC(D);
    HDC G = GetDC(0);
    EXPECT_EQ(GetDCSurface(G), &Screen);
    EXPECT_EQ(ReleaseDC(0, G), 1);
    EXPECT_EQ(GetDC(42), 0u); // no window layer installed

    TSurface Window(4, 4, 0);
    int Released = 0;
    SetWindowDCHooks([&](HWND W) { return W == 42 ? CreateDCForSurface(&Window) : HDC(0); },
                     [&](HWND W, HDC Dc) {
                         if (W != 42) return 0;
                         ++Released;
                         return DeleteDC(Dc);
                     });
    HDC W = GetDC(42);
    EXPECT_EQ(GetDCSurface(W), &Window);
    EXPECT_EQ(ReleaseDC(42, W), 1);
    EXPECT_EQ(Released, 1);
    SetWindowDCHooks(nullptr, nullptr);
    SetScreenSurface(nullptr);
    EXPECT_NE(GetScreenSurface(), &Screen);
}

TEST(RasterDC, SaveAndRestoreState) {
    HDC Dc = CreateCompatibleDC(0);
    SetBkColor(Dc, 0x123456);
    SetROP2(Dc, R2_XORPEN);
    const int S1 = SaveDC(Dc);
    SetBkColor(Dc, 0);
    SetROP2(Dc, R2_NOT);
    SaveDC(Dc);
    SetTextColor(Dc, 0xFF);
    EXPECT_TRUE(RestoreDC(Dc, -1));
    EXPECT_EQ(GetROP2(Dc), R2_NOT);
    EXPECT_TRUE(RestoreDC(Dc, S1));
    EXPECT_EQ(GetBkColor(Dc), 0x123456u);
    EXPECT_EQ(GetROP2(Dc), R2_XORPEN);
    EXPECT_FALSE(RestoreDC(Dc, S1)); // already popped
    EXPECT_EQ(SetBkMode(Dc, 7), 0);  // invalid modes are refused
    EXPECT_EQ(SetROP2(Dc, 17), 0);
    DeleteDC(Dc);
}

TEST(RasterDC, BitmapsFromBitsAndSurfaces) {
    const std::uint32_t Px[] = {0x00FF0000, 0x0000FF00, 0xAA0000FF, 0x00FFFFFF};
    HBITMAP B = CreateBitmap(2, 2, 1, 32, Px);
    const TSurface* S = GetBitmapSurface(B);
    ASSERT_TRUE(S);
    EXPECT_EQ(S->Get(0, 1), 0x0000FFu); // the unused top byte is dropped
    BITMAP Info;
    ASSERT_EQ(GetObjectA(B, sizeof Info, &Info), static_cast<int>(sizeof Info));
    EXPECT_EQ(Info.bmWidth, 2);
    EXPECT_EQ(Info.bmBitsPixel, 32);
    const unsigned char Rgb[] = {1, 2, 3, 4, 5, 6, 0, 0}; // 2 x 1, 24 bits, padded row
    HBITMAP C = CreateBitmap(2, 1, 1, 24, Rgb);
    EXPECT_EQ(GetBitmapSurface(C)->Get(0, 0), 0x030201u);
    EXPECT_EQ(CreateBitmap(2, 2, 1, 8, nullptr), 0u);
    EXPECT_EQ(CreateBitmap(-1, 2, 1, 32, nullptr), 0u);
    TSurface Gray(3, 1, 0x808080);
    HBITMAP M = CreateBitmapFromSurface(Gray, true);
    EXPECT_TRUE(IsMonochromeBitmap(M));
    EXPECT_EQ(GetBitmapSurface(M)->Get(0, 0), 0u);
    // One bitmap, one memory DC at a time.
    HDC D1 = CreateCompatibleDC(0), D2 = CreateCompatibleDC(0);
    EXPECT_NE(SelectObject(D1, B), 0u);
    EXPECT_EQ(SelectObject(D2, B), 0u);
    DeleteDC(D1);
    EXPECT_NE(SelectObject(D2, B), 0u); // free again once its DC is gone
    DeleteDC(D2);
    for (HGDIOBJ O : {B, C, M})
        EXPECT_TRUE(DeleteObject(O));
}

TEST(RasterDC, DCPenAndBrushColoursAndCaps) {
    qel::test::TTestDC Dc(4, 2);
    SelectObject(Dc, GetStockObject(DC_PEN));
    SelectObject(Dc, GetStockObject(DC_BRUSH));
    SetDCPenColor(Dc, RGB(255, 0, 0));
    EXPECT_EQ(SetDCBrushColor(Dc, RGB(0, 0, 255)), 0xFFFFFFu);
    Rectangle(Dc, 0, 0, 4, 2);
    MoveToEx(Dc, 0, 0, nullptr);
    EXPECT_EQ(Dc.At(0, 0), RGB(255, 0, 0));
    PatBlt(Dc, 0, 0, 1, 1, PATCOPY);
    EXPECT_EQ(Dc.At(0, 0), RGB(0, 0, 255));
    EXPECT_EQ(GetDeviceCaps(Dc, HORZRES), 4);
    EXPECT_EQ(GetDeviceCaps(Dc, BITSPIXEL), 32);
    EXPECT_EQ(GetDeviceCaps(Dc, LOGPIXELSY), 96);
    HDC Fresh = CreateCompatibleDC(0);
    EXPECT_EQ(GetDeviceCaps(Fresh, BITSPIXEL), 1);
    DeleteDC(Fresh);
}
