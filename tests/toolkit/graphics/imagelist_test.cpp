#include "toolkit/core/Exceptions.h"
#include "toolkit/graphics/Bitmap.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/ImageList.h"

#include <gtest/gtest.h>
#include <set>

using namespace qel;

namespace {

// Three 4 x 4 images side by side on a fuchsia key colour: image k has a 2 x 2 block of
// colour k at (1, 1).
void Strip(TBitmap& B) {
    B.SetSize(12, 4);
    B.Canvas()->Brush()->SetColor(clFuchsia);
    B.Canvas()->FillRect(TRect{0, 0, 12, 4});
    const TColor Colours[3] = {clRed, clLime, clBlue};
    for (int K = 0; K < 3; ++K) {
        B.Canvas()->Brush()->SetColor(Colours[K]);
        B.Canvas()->FillRect(TRect{4 * K + 1, 1, 4 * K + 3, 3});
    }
}

void Background(TBitmap& D, TColor C) {
    D.SetSize(10, 10);
    D.Canvas()->Brush()->SetColor(C);
    D.Canvas()->FillRect(TRect{0, 0, 10, 10});
}

} // namespace

TEST(ImageList, AddMaskedSplitsAndDrawsOnlyOpaquePixels) {
    TBitmap Src;
    Strip(Src);
    TImageList L(4, 4);
    EXPECT_EQ(L.AddMasked(&Src, clFuchsia), 0);
    EXPECT_EQ(L.Count(), 3);

    TBitmap D;
    Background(D, clYellow);
    L.Draw(D.Canvas(), 3, 2, 1);
    for (int Y = 0; Y < 10; ++Y)
        for (int X = 0; X < 10; ++X) {
            const bool Block = X >= 4 && X < 6 && Y >= 3 && Y < 5;
            EXPECT_EQ(D.Pixel(X, Y), Block ? clLime : clYellow) << X << "," << Y;
        }
    // Out-of-range indices draw nothing.
    L.Draw(D.Canvas(), 0, 0, 3);
    L.Draw(D.Canvas(), 0, 0, -1);
    EXPECT_EQ(D.Pixel(0, 0), clYellow);

    // The stored image is black where it is transparent.
    TBitmap G;
    L.GetBitmap(2, &G);
    EXPECT_EQ(G.Pixel(0, 0), clBlack);
    EXPECT_EQ(G.Pixel(1, 1), clBlue);
    EXPECT_THROW(L.GetBitmap(3, &G), EInvalidOperation);
}

TEST(ImageList, MaskColourChoices) {
    TBitmap Src;
    Strip(Src);
    // clNone: nothing transparent; clDefault: the bottom-left pixel's colour.
    TImageList Opaque(4, 4);
    Opaque.AddMasked(&Src, clNone);
    TBitmap D;
    Background(D, clYellow);
    Opaque.Draw(D.Canvas(), 0, 0, 0);
    EXPECT_EQ(D.Pixel(0, 0), clFuchsia);
    TImageList Auto(4, 4);
    Auto.AddMasked(&Src, clDefault);
    Background(D, clYellow);
    Auto.Draw(D.Canvas(), 0, 0, 0);
    EXPECT_EQ(D.Pixel(0, 0), clYellow);
    EXPECT_EQ(D.Pixel(1, 1), clRed);
    // A system colour is resolved before comparing.
    TBitmap Face;
    Face.SetSize(4, 4);
    Face.Canvas()->Brush()->SetColor(clBtnFace);
    Face.Canvas()->FillRect(TRect{0, 0, 4, 4});
    Face.Canvas()->SetPixels(2, 2, clBlack);
    TImageList Sys(4, 4);
    Sys.AddMasked(&Face, clBtnFace);
    Background(D, clYellow);
    Sys.Draw(D.Canvas(), 0, 0, 0);
    EXPECT_EQ(D.Pixel(0, 0), clYellow);
    EXPECT_EQ(D.Pixel(2, 2), clBlack);
}

TEST(ImageList, AddWithMaskBitmapAndListMaintenance) {
    TBitmap Img;
    Img.SetSize(4, 4);
    Img.Canvas()->Brush()->SetColor(clRed);
    Img.Canvas()->FillRect(TRect{0, 0, 4, 4});
    TBitmap Mask;
    Mask.SetSize(4, 4);
    Mask.Canvas()->Brush()->SetColor(clWhite);
    Mask.Canvas()->FillRect(TRect{0, 0, 4, 4});
    Mask.Canvas()->SetPixels(3, 3, clBlack); // only this pixel is opaque
    TImageList L(4, 4);
    int Changes = 0;
    L.OnChange = [&](TObject*) { ++Changes; };
    EXPECT_EQ(L.Add(&Img, &Mask), 0);
    EXPECT_EQ(L.Add(&Img, nullptr), 1);
    EXPECT_EQ(Changes, 2);
    TBitmap D;
    Background(D, clYellow);
    L.Draw(D.Canvas(), 0, 0, 0);
    EXPECT_EQ(D.Pixel(0, 0), clYellow);
    EXPECT_EQ(D.Pixel(3, 3), clRed);
    L.Draw(D.Canvas(), 0, 0, 1);
    EXPECT_EQ(D.Pixel(0, 0), clRed);

    L.Delete(0);
    EXPECT_EQ(L.Count(), 1);
    EXPECT_THROW(L.Delete(5), EInvalidOperation);
    L.SetWidth(8); // a new size empties the list
    EXPECT_EQ(L.Count(), 0);
    TBitmap Empty;
    EXPECT_EQ(L.AddMasked(&Empty, clNone), -1);
    // A bitmap narrower than the list makes one image; the missing part is transparent.
    EXPECT_EQ(L.AddMasked(&Img, clNone), 0);
    Background(D, clYellow);
    L.Draw(D.Canvas(), 0, 0, 0);
    EXPECT_EQ(D.Pixel(3, 0), clRed);
    EXPECT_EQ(D.Pixel(5, 0), clYellow);
}

TEST(ImageList, DisabledDrawingIsEmbossed) {
    TBitmap Src;
    Strip(Src);
    TImageList L(4, 4);
    L.AddMasked(&Src, clFuchsia);
    TBitmap D;
    Background(D, clYellow);
    L.Draw(D.Canvas(), 2, 2, 0, false);
    std::set<TColor> Seen;
    for (int Y = 0; Y < 10; ++Y)
        for (int X = 0; X < 10; ++X)
            Seen.insert(D.Pixel(X, Y));
    EXPECT_EQ(Seen,
              (std::set<TColor>{clYellow, ColorToRGB(clBtnShadow), ColorToRGB(clBtnHighlight)}));
    // Shadow on the shape, highlight one pixel down and right of it.
    EXPECT_EQ(D.Pixel(3, 3), ColorToRGB(clBtnShadow));
    EXPECT_EQ(D.Pixel(5, 5), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(D.Pixel(2, 2), clYellow);
}
