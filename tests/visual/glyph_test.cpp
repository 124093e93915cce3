// Glyph image choice, greying and transparency; the button bevel and disabled-text helpers.
#include "toolkit/core/Component.h"
#include "toolkit/graphics/Bitmap.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/Font.h"
#include "toolkit/graphics/TextDraw.h"
#include "visual/QELZoradodo.h"

#include <gtest/gtest.h>
#include <set>

using namespace qel;

namespace {

constexpr TColor Key = clFuchsia;
constexpr TColor Paper = 0x563412;

void Fill(TBitmap& B, const TRect& R, TColor C) {
    B.Canvas()->Brush()->SetStyle(bsSolid);
    B.Canvas()->Brush()->SetColor(C);
    B.Canvas()->FillRect(R);
}

// Images of Size x Size side by side, each a solid square of its colour inside a one-pixel
// border of the key colour.
std::unique_ptr<TBitmap> Strip(std::initializer_list<TColor> Colors, int Size = 8) {
    auto B = std::make_unique<TBitmap>();
    B->SetSize(Size * int(Colors.size()), Size);
    Fill(*B, {0, 0, B->Width(), Size}, Key);
    int X = 0;
    for (TColor C : Colors) {
        Fill(*B, {X + 1, 1, X + Size - 1, Size - 1}, C);
        X += Size;
    }
    return B;
}

struct TTarget {
    TBitmap B;
    TTarget(int W = 20, int H = 20) {
        B.SetSize(W, H);
        Fill(B, {0, 0, W, H}, Paper);
    }
    TColor At(int X, int Y) const { return B.Pixel(X, Y); }
};

} // namespace

TEST(glyph_assign, DesignTimeBitmapSetsCountAndTransparentColour) {
    TComponent Owner(nullptr);
    Owner.SetDesigning(true);
    TQELGlyph G(&Owner);
    auto B = Strip({clRed, clLime, clBlue, clWhite}, 16); // 64 x 16
    G.SetBitmap(B.get());
    EXPECT_EQ(G.NumGlyphs(), 4);
    EXPECT_EQ(G.TransparentColor(), Key);
    EXPECT_EQ(G.Width(), 16);
    EXPECT_EQ(G.Height(), 16);
    // five images do not fit the 1…4 range: one image
    auto Five = Strip({clRed, clLime, clBlue, clWhite, clBlack}, 16);
    G.SetBitmap(Five.get());
    EXPECT_EQ(G.NumGlyphs(), 1);
    EXPECT_EQ(G.Width(), 80);
}

TEST(glyph_assign, RunTimeBitmapKeepsCountAndColour) {
    TComponent Owner(nullptr);
    TQELGlyph G(&Owner);
    int Changes = 0;
    G.OnChange = [&](TObject*) { ++Changes; };
    auto B = Strip({clRed, clLime, clBlue, clWhite}, 16);
    G.SetBitmap(B.get());
    EXPECT_EQ(G.NumGlyphs(), 1);
    EXPECT_EQ(G.TransparentColor(), clBlack);
    EXPECT_EQ(Changes, 1);
    // assigning its own bitmap is a no-op
    G.SetBitmap(G.Bitmap());
    EXPECT_EQ(Changes, 1);
    // equal values do not notify; widths round halves to even
    G.SetNumGlyphs(1);
    EXPECT_EQ(Changes, 1);
    auto Odd = std::make_unique<TBitmap>();
    Odd->SetSize(50, 10);
    G.SetBitmap(Odd.get());
    G.SetNumGlyphs(4);
    EXPECT_EQ(G.Width(), 12);
    G.SetNumGlyphs(3);
    EXPECT_EQ(G.Width(), 17);
}

TEST(glyph_draw, ImageChoiceFollowsStateAndCount) {
    TQELGlyph G;
    G.SetTransparentColor(Key);
    auto Two = Strip({clRed, clLime});
    G.SetBitmap(Two.get());
    G.SetNumGlyphs(2);
    TTarget T;
    G.Draw(T.B.Canvas(), 2, 2, true, true, false);
    EXPECT_EQ(T.At(5, 5), clRed); // pressed with two images: image 1
    auto Three = Strip({clRed, clLime, clBlue});
    G.SetBitmap(Three.get());
    G.SetNumGlyphs(3);
    G.Draw(T.B.Canvas(), 2, 2, true, true, false);
    EXPECT_EQ(T.At(5, 5), clLime); // with three: image 2
    G.Draw(T.B.Canvas(), 2, 2, true, false, false);
    EXPECT_EQ(T.At(5, 5), clRed);
    // the key colour is left out: the border pixel shows the paper
    EXPECT_EQ(T.At(2, 2), Paper);
    // not transparent: the key colour is copied too
    G.SetTransparent(false);
    G.Draw(T.B.Canvas(), 2, 2, true, false, false);
    EXPECT_EQ(T.At(2, 2), Key);
    // invisible draws nothing
    TTarget U;
    G.SetVisible(false);
    G.Draw(U.B.Canvas(), 2, 2, true, false, false);
    EXPECT_EQ(U.At(5, 5), Paper);
}

TEST(glyph_draw, DisabledDrawsTheLastImageGreyed) {
    TQELGlyph G;
    G.SetTransparentColor(Key);
    // image 2 is light grey (sum 576 > 2 * 274): highlight; image 1 would be black
    auto Two = Strip({clBlack, clSilver});
    G.SetBitmap(Two.get());
    G.SetNumGlyphs(2);
    TTarget T;
    G.Draw(T.B.Canvas(), 0, 0, false, false, false);
    EXPECT_EQ(T.At(4, 4), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(T.At(0, 0), Paper);
}

TEST(glyph_draw, GreyLevelsSplitBySum) {
    TBitmap B;
    B.SetSize(5, 1);
    const TColor Cells[5] = {Key, RGB(200, 200, 200), RGB(100, 100, 100), RGB(20, 20, 20),
                             RGB(0, 0, 0)};
    for (int X = 0; X < 5; ++X)
        B.Canvas()->SetPixels(X, 0, Cells[X]);
    TQELGlyph::DrawGrayed(B, Key, 1);
    EXPECT_EQ(B.Pixel(0, 0), Key);
    EXPECT_EQ(B.Pixel(1, 0), ColorToRGB(clBtnFace));      // 600 > 535
    EXPECT_EQ(B.Pixel(2, 0), ColorToRGB(clBtnHighlight)); // 300 > 274
    EXPECT_EQ(B.Pixel(3, 0), ColorToRGB(clBtnShadow));    // 60 > 55
    EXPECT_EQ(B.Pixel(4, 0), clBlack);
}

TEST(glyph_helpers, ButtonFrameLevels) {
    for (int Level : {0, 4}) {
        TTarget T(10, 10);
        QELDrawButtonFrame(T.B.Canvas(), 10, 10, Level, false);
        for (int Y = 0; Y < 10; ++Y)
            for (int X = 0; X < 10; ++X)
                ASSERT_EQ(T.At(X, Y), Paper) << Level;
    }
    TTarget T(10, 10);
    QELDrawButtonFrame(T.B.Canvas(), 10, 10, 3, false);
    EXPECT_EQ(T.At(0, 5), clSilver);
    EXPECT_EQ(T.At(9, 5), clBlack);
    EXPECT_EQ(T.At(1, 5), clWhite);
    EXPECT_EQ(T.At(8, 5), clGray);
    EXPECT_EQ(T.At(2, 5), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(T.At(7, 5), ColorToRGB(clBtnShadow));
    EXPECT_EQ(T.At(3, 5), Paper);
    TTarget D(10, 10);
    QELDrawButtonFrame(D.B.Canvas(), 10, 10, 2, true);
    EXPECT_EQ(D.At(0, 5), clBlack);
    EXPECT_EQ(D.At(8, 5), clSilver); // level 2 leaves the last column and row out
    EXPECT_EQ(D.At(9, 5), Paper);
    EXPECT_EQ(D.At(1, 5), ColorToRGB(clBtnShadow));
}

TEST(glyph_helpers, FrameDrawbuttonIgnoresStyleAndShrinksByTwo) {
    TQELFrame F;
    F.SetFrameStyle(frameNone);
    F.Setwidth(5);
    F.SetHighlight(clYellow);
    F.SetShadow(clNavy);
    TTarget T(10, 10);
    TRect R{0, 0, 10, 10};
    F.Drawbutton(T.B.Canvas(), R, false);
    EXPECT_EQ(R, (TRect{2, 2, 8, 8}));
    EXPECT_EQ(T.At(0, 5), clWhite);
    EXPECT_EQ(T.At(9, 5), clBlack);
    EXPECT_EQ(T.At(1, 5), clYellow);
    EXPECT_EQ(T.At(8, 5), clNavy);
    EXPECT_EQ(T.B.Canvas()->Pen()->Color(), clNavy); // the pen keeps the last colour
    R = {0, 0, 10, 10};
    F.Drawbutton(T.B.Canvas(), R, true);
    EXPECT_EQ(T.At(0, 5), clNavy);
    EXPECT_EQ(T.At(9, 5), clYellow);
    EXPECT_EQ(T.At(1, 5), clBlack);
    EXPECT_EQ(T.At(8, 5), clWhite);
}

TEST(glyph_helpers, DisabledTextIsEmbossed) {
    TFont Font;
    Font.SetColor(clRed);
    Font.SetSize(12);
    TTarget T(60, 30);
    QELDrawDisabledText(&Font, T.B.Canvas(), {5, 5, 55, 25}, "Hi", DT_LEFT);
    std::set<TColor> Seen;
    for (int Y = 0; Y < 30; ++Y)
        for (int X = 0; X < 60; ++X)
            Seen.insert(T.At(X, Y));
    EXPECT_EQ(Seen, (std::set<TColor>{Paper, ColorToRGB(clBtnHighlight), ColorToRGB(clGrayText)}));
    EXPECT_EQ(Font.Color(), clRed);
    EXPECT_EQ(T.B.Canvas()->Font()->Color(), clGrayText);
}
