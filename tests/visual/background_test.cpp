// The background component's fills, its transparent overlay and text written with it.
#include "toolkit/graphics/Bitmap.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/Font.h"
#include "toolkit/graphics/TextDraw.h"
#include "visual/QELTBackground.h"

#include <gtest/gtest.h>
#include <map>

using namespace qel;

namespace {

constexpr TColor Paper = 0x563412;

struct TTarget {
    TBitmap B;
    TTarget(int W, int H, TColor C = Paper) {
        B.SetSize(W, H);
        B.Canvas()->Brush()->SetColor(C);
        B.Canvas()->FillRect({0, 0, W, H});
    }
    HDC DC() { return B.Canvas()->Handle(); }
    TColor At(int X, int Y) const { return B.Pixel(X, Y); }
};

// A 4 x 4 picture: a red top-left quarter, the rest blue, one lime pixel at (3, 3).
std::unique_ptr<TBitmap> Picture() {
    auto P = std::make_unique<TBitmap>();
    P->SetSize(4, 4);
    for (int Y = 0; Y < 4; ++Y)
        for (int X = 0; X < 4; ++X)
            P->Canvas()->SetPixels(X, Y, X < 2 && Y < 2 ? clRed : clBlue);
    P->Canvas()->SetPixels(3, 3, clLime);
    return P;
}

} // namespace

TEST(background_fill, SolidColourIgnoresTheOtherFills) {
    TQELBackground Bg(nullptr);
    EXPECT_EQ(Bg.SolidColor(), clBtnFace);
    EXPECT_EQ(Bg.BackgroundStyle(), bGradient);
    Bg.SetSolidColor(clTeal);
    Bg.SetBackStyle(bSolidcolor);
    Bg.Gradient()->SetBeginColor(clRed);
    TTarget T(10, 10);
    Bg.Draw(T.DC(), 8, 6, true);
    EXPECT_EQ(T.At(0, 0), clTeal);
    EXPECT_EQ(T.At(7, 5), clTeal);
    EXPECT_EQ(T.At(8, 5), Paper);
    EXPECT_EQ(T.At(7, 6), Paper);
}

TEST(background_texture, TilesClipAtTheEdges) {
    TQELBackground Bg(nullptr);
    Bg.SetBackStyle(bTexture);
    auto P = Picture();
    Bg.Texture()->SetImage(P.get());
    TTarget T(11, 7);
    Bg.Draw(T.DC(), 10, 6, true);
    // tiles at x 0, 4, 8 and y 0, 4 (10 div 4 and 6 div 4, both inclusive): the last ones
    // run past the area and are cut only by the target's own edge
    EXPECT_EQ(T.At(0, 0), clRed);
    EXPECT_EQ(T.At(4, 0), clRed);
    EXPECT_EQ(T.At(8, 4), clRed);
    EXPECT_EQ(T.At(10, 6), clBlue);
    EXPECT_EQ(T.At(3, 3), clLime);
    EXPECT_EQ(T.At(7, 3), clLime);
}

TEST(background_texture, TransparentColourShowsAsTheTransparentBackground) {
    TQELBackground Bg(nullptr);
    Bg.SetBackStyle(bTexture);
    auto P = Picture();
    Bg.Texture()->SetImage(P.get());
    Bg.Texture()->SetImageStyle(isStretched);
    Bg.Texture()->SetTransparentColor(clBlue);
    Bg.Texture()->SetTransparentBackground(clYellow);
    TTarget T(8, 8);
    Bg.Draw(T.DC(), 8, 8, true);
    EXPECT_EQ(T.At(0, 0), clRed);
    EXPECT_EQ(T.At(1, 1), clRed);
    EXPECT_EQ(T.At(7, 0), clYellow);
    EXPECT_EQ(T.At(0, 7), clYellow);
    EXPECT_EQ(T.At(7, 7), clLime);
}

TEST(background_texture, CentreLeavesTheSurroundAndClipsLargeImages) {
    TQELBackground Bg(nullptr);
    Bg.SetBackStyle(bTexture);
    auto P = Picture();
    Bg.Texture()->SetImage(P.get());
    Bg.Texture()->SetImageStyle(isCenter);
    TTarget T(9, 9);
    Bg.Draw(T.DC(), 9, 9, true);
    EXPECT_EQ(T.At(1, 1), Paper);
    EXPECT_EQ(T.At(2, 2), clRed); // (9 - 4) div 2
    EXPECT_EQ(T.At(5, 5), clLime);
    EXPECT_EQ(T.At(6, 6), Paper);
    TTarget Small(3, 3);
    Bg.Draw(Small.DC(), 3, 3, true);
    EXPECT_EQ(Small.At(0, 0), clRed);
    EXPECT_EQ(Small.At(2, 2), clBlue);
    // no image: nothing at all
    TQELBackground Empty(nullptr);
    Empty.SetBackStyle(bTexture);
    TTarget E(3, 3);
    Empty.Draw(E.DC(), 3, 3, true);
    EXPECT_EQ(E.At(1, 1), Paper);
}

TEST(background_brush, HatchLinesOverWhiteOrOverTheSolidColour) {
    TQELBackground Bg(nullptr);
    Bg.BrushFill()->SetBrushStyle(bsCross);
    Bg.BrushFill()->SetBrushColor(clRed);
    Bg.SetSolidColor(clYellow);
    Bg.SetBackStyle(bBrushFillUseCurrent);
    TTarget A(16, 16);
    Bg.Draw(A.DC(), 16, 16, true);
    std::map<TColor, int> Count;
    for (int Y = 0; Y < 16; ++Y)
        for (int X = 0; X < 16; ++X)
            ++Count[A.At(X, Y)];
    ASSERT_EQ(Count.size(), 2u);
    EXPECT_GT(Count[clRed], 0);
    EXPECT_GT(Count[clWhite], Count[clRed]);
    Bg.SetBackStyle(bBrushFillSolidColor);
    TTarget B(16, 16);
    Bg.Draw(B.DC(), 16, 16, true);
    for (int Y = 0; Y < 16; ++Y)
        for (int X = 0; X < 16; ++X)
            ASSERT_EQ(B.At(X, Y), A.At(X, Y) == clRed ? clRed : clYellow) << X << "," << Y;
    // a solid brush is just its colour
    Bg.BrushFill()->SetBrushStyle(bsSolid);
    Bg.Draw(B.DC(), 16, 16, true);
    EXPECT_EQ(B.At(3, 3), clRed);
}

TEST(background_trans, ReplacesOnlyTheTransparentColour) {
    TQELBackground Bg(nullptr);
    Bg.SetBackStyle(bSolidcolor);
    Bg.SetSolidColor(clNavy);
    TTarget T(6, 6);
    T.B.Canvas()->SetPixels(2, 3, clLime);
    T.B.Canvas()->SetPixels(4, 4, clLime);
    Bg.DrawTrans(T.B.Canvas(), 6, 6, true, clLime);
    EXPECT_EQ(T.At(2, 3), clNavy);
    EXPECT_EQ(T.At(4, 4), clNavy);
    EXPECT_EQ(T.At(0, 0), Paper);
    // no pixel of the transparent colour: nothing changes
    TTarget U(6, 6);
    Bg.DrawTrans(U.B.Canvas(), 6, 6, true, clFuchsia);
    for (int Y = 0; Y < 6; ++Y)
        for (int X = 0; X < 6; ++X)
            ASSERT_EQ(U.At(X, Y), Paper);
}

TEST(background_write, LettersShowTheBackgroundAndNothingElseChanges) {
    TQELBackground Bg(nullptr);
    Bg.SetBackStyle(bSolidcolor);
    Bg.SetSolidColor(clRed);
    TFont Font;
    Font.SetSize(14);
    Font.SetColor(clBlack);
    TQELFont3D F3;
    F3.Set3d(false);
    for (bool Mask : {true, false}) {
        F3.SetMask(Mask);
        TTarget Plain(80, 30, clWhite), T(80, 30, clWhite);
        // where the same text lands when drawn plainly
        F3.Write(&Font, Plain.DC(), {4, 6, 76, 28}, "Hig", DT_LEFT, true);
        Bg.Write(&F3, &Font, T.B.Canvas(), {4, 6, 76, 28}, "Hig", DT_LEFT);
        int Letters = 0;
        for (int Y = 0; Y < 30; ++Y)
            for (int X = 0; X < 80; ++X) {
                ASSERT_EQ(T.At(X, Y), Plain.At(X, Y) == clBlack ? clRed : clWhite)
                    << Mask << " " << X << "," << Y;
                Letters += Plain.At(X, Y) == clBlack;
            }
        EXPECT_GT(Letters, 20);
    }
}

TEST(background_write, CopiesFollowTheLayerOrder) {
    TQELFont3D F3;
    F3.SetStyle3D(fontRaised);
    F3.SetOffset(2);
    F3.Setrep(repeatOnShadow);
    F3.Setrepwidth(2);
    F3.SetrepColor(clBlue);
    auto P = TQELBackground::WritePasses(F3, clBlack, {10, 10, 50, 30});
    // the rectangle shrinks horizontally only; the trail starts at +w
    ASSERT_EQ(P.size(), 5u);
    EXPECT_EQ(P[0], (TQELTextPass{clBlue, {14, 12, 50, 32}}));
    EXPECT_EQ(P[1], (TQELTextPass{clBlue, {13, 11, 49, 31}}));
    EXPECT_EQ(P[2].R, (TRect{10, 8, 46, 28}));
    EXPECT_EQ(P[3].R, (TRect{14, 12, 50, 32}));
    EXPECT_EQ(P[4], (TQELTextPass{clBlack, {12, 10, 48, 30}}));
    F3.Setrep(repeatOnHighLight);
    P = TQELBackground::WritePasses(F3, clBlack, {10, 10, 50, 30});
    EXPECT_EQ(P[0].R, (TRect{12, 10, 48, 30}));
    EXPECT_EQ(P[4].R, (TRect{14, 12, 50, 32}));
}
