#include "raster_test_util.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/graphics/Bitmap.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/Font.h"
#include "toolkit/graphics/FontEngine.h"

#include <gtest/gtest.h>

using namespace qel;
using qel::test::Art;
using qel::test::TTestDC;

namespace {
constexpr COLORREF Red = RGB(255, 0, 0), Blue = RGB(0, 0, 255);
const std::map<COLORREF, char> Names = {{Red, 'r'}, {Blue, 'b'}, {0x808080, 's'}};

// A canvas drawing on a test DC.
struct TDcCanvas {
    explicit TDcCanvas(int W, int H) : Dc(W, H) { Canvas.SetHandle(Dc); }
    ~TDcCanvas() { Canvas.SetHandle(0); }
    TTestDC Dc;
    TCanvas Canvas;
};
} // namespace

TEST(Canvas, Frame3DDrawsRingsAndShrinksTheRect) {
    TDcCanvas C(10, 10);
    TRect R{0, 0, 10, 10};
    Frame3D(C.Canvas, R, Red, Blue, 1);
    EXPECT_EQ(R, (TRect{1, 1, 9, 9}));
    EXPECT_EQ(C.Dc.Picture(10, 10, Names),
              Art({"rrrrrrrrrb", "r........b", "r........b", "r........b", "r........b",
                   "r........b", "r........b", "r........b", "r........b", "bbbbbbbbbb"}));
    EXPECT_EQ(C.Canvas.Pen()->Color(), Blue);
    EXPECT_EQ(C.Canvas.Pen()->Width(), 1);
    // Two rings nest; the rectangle shrinks by the width.
    TDcCanvas D(6, 6);
    TRect R2{0, 0, 6, 6};
    Frame3D(D.Canvas, R2, clBtnShadow, clWhite, 2);
    EXPECT_EQ(R2, (TRect{2, 2, 4, 4}));
    EXPECT_EQ(D.Dc.Picture(6, 6, Names),
              Art({"sssss.", "ssss..", "ss....", "ss....", "s.....", "......"}));
}

TEST(Canvas, PenAndBrushChangesReachTheDC) {
    TDcCanvas C(6, 3);
    C.Canvas.Pen()->SetColor(Red);
    C.Canvas.MoveTo(0, 0);
    C.Canvas.LineTo(6, 0);
    C.Canvas.Pen()->SetColor(Blue);
    C.Canvas.LineTo(6, 1); // from (6, 0): nothing visible
    C.Canvas.MoveTo(0, 1);
    C.Canvas.LineTo(6, 1);
    EXPECT_EQ(C.Canvas.PenPos(), (TPoint{6, 1}));
    C.Canvas.Brush()->SetColor(Red);
    C.Canvas.FillRect({0, 2, 3, 3});
    C.Canvas.Pen()->SetMode(pmNot);
    C.Canvas.MoveTo(3, 2);
    C.Canvas.LineTo(6, 2);
    EXPECT_EQ(C.Dc.Picture(6, 3, Names), Art({"rrrrrr", "bbbbbb", "rrr###"}));
}

TEST(Canvas, HatchedBrushesAreTransparent) {
    TDcCanvas C(8, 8);
    C.Canvas.Brush()->SetStyle(bsHorizontal);
    C.Canvas.Brush()->SetColor(Red); // keeps the hatch style
    EXPECT_EQ(C.Canvas.Brush()->Style(), bsHorizontal);
    C.Canvas.FillRect({0, 0, 8, 8});
    EXPECT_EQ(C.Dc.Picture(8, 8, Names), Art({"........", "........", "........", "........",
                                              "........", "........", "........", "rrrrrrrr"}));
    // A clear brush turns solid when it gets a colour.
    C.Canvas.Brush()->SetStyle(bsClear);
    C.Canvas.Brush()->SetColor(Blue);
    EXPECT_EQ(C.Canvas.Brush()->Style(), bsSolid);
}

TEST(Canvas, ShapesUsePenAndBrush) {
    TDcCanvas C(6, 5);
    C.Canvas.Brush()->SetColor(Red);
    C.Canvas.Rectangle(0, 0, 6, 5);
    EXPECT_EQ(C.Dc.Picture(6, 5, Names), Art({"######", "#rrrr#", "#rrrr#", "#rrrr#", "######"}));
    C.Canvas.Brush()->SetStyle(bsClear);
    C.Canvas.Pen()->SetColor(Blue);
    C.Canvas.Ellipse(TRect{1, 1, 5, 4});
    EXPECT_EQ(C.Dc.At(2, 2), Red); // inside untouched
    EXPECT_EQ(C.Dc.At(1, 2), Blue);
    C.Canvas.SetPixels(2, 2, clBtnShadow);
    EXPECT_EQ(C.Canvas.Pixels(2, 2), 0x808080u);
    EXPECT_EQ(C.Canvas.ClipRect(), (TRect{0, 0, 6, 5}));
}

TEST(Canvas, ChangeEventsSurroundEveryDrawingCall) {
    TDcCanvas C(4, 4);
    std::string Log;
    C.Canvas.OnChanging = [&](TObject*) { Log += '<'; };
    C.Canvas.OnChange = [&](TObject*) { Log += '>'; };
    C.Canvas.FillRect({0, 0, 1, 1});
    C.Canvas.LineTo(2, 2);
    C.Canvas.MoveTo(0, 0); // moving draws nothing
    EXPECT_EQ(Log, "<><>");
}

TEST(Canvas, WithoutAHandleDrawingFails) {
    TCanvas C;
    EXPECT_FALSE(C.HandleAllocated());
    EXPECT_THROW(C.FillRect({0, 0, 1, 1}), EInvalidOperation);
    C.Lock();
    EXPECT_TRUE(C.TryLock());
    EXPECT_EQ(C.LockCount(), 2);
    C.Unlock();
    C.Unlock();
    EXPECT_EQ(C.LockCount(), 0);
}

TEST(Canvas, CopyRectAndCopyMode) {
    TDcCanvas Src(4, 2), Dst(4, 2);
    Src.Canvas.Brush()->SetColor(Red);
    Src.Canvas.FillRect({0, 0, 2, 2});
    Dst.Canvas.CopyRect({0, 0, 4, 2}, Src.Canvas, {0, 0, 2, 1}); // stretched
    EXPECT_EQ(Dst.Dc.Picture(4, 2, Names), Art({"rrrr", "rrrr"}));
    Dst.Canvas.SetCopyMode(cmDstInvert);
    Dst.Canvas.CopyRect({0, 0, 2, 2}, Src.Canvas, {0, 0, 2, 2});
    EXPECT_EQ(Dst.Dc.At(0, 0), ~Red & 0xFFFFFF);
}

TEST(Canvas, BrushCopyReplacesOneColourByTheBrush) {
    TBitmap B;
    B.SetSize(4, 1);
    B.Canvas()->Brush()->SetColor(Red);
    B.Canvas()->FillRect({0, 0, 2, 1});
    B.Canvas()->Brush()->SetColor(clBlack);
    B.Canvas()->FillRect({2, 0, 4, 1});
    TDcCanvas C(8, 2);
    C.Canvas.Brush()->SetColor(Blue);
    C.Canvas.BrushCopy({0, 0, 4, 1}, &B, {0, 0, 4, 1}, clRed);
    C.Canvas.BrushCopy({0, 1, 8, 2}, &B, {0, 0, 4, 1}, clBlack); // stretched
    EXPECT_EQ(C.Dc.Picture(8, 2, Names), Art({"bb##....", "rrrrbbbb"}));
}

TEST(Canvas, DrawAndStretchDrawGraphics) {
    TBitmap B;
    B.SetSize(2, 2);
    B.Canvas()->Brush()->SetColor(Red);
    B.Canvas()->FillRect({0, 0, 2, 2});
    TDcCanvas C(5, 5);
    C.Canvas.Draw(1, 1, &B);
    C.Canvas.StretchDraw({3, 0, 5, 5}, &B);
    C.Canvas.Draw(0, 0, nullptr);
    EXPECT_EQ(C.Dc.Picture(5, 5, Names), Art({"...rr", ".rrrr", ".rrrr", "...rr", "...rr"}));
}

TEST(Canvas, TextGoesThroughTheFontAndMovesThePen) {
    TDcCanvas C(120, 30);
    C.Canvas.Font()->SetColor(clBlack);
    const int W = C.Canvas.TextWidth("Hello");
    const auto Face = C.Canvas.Font()->Face();
    ASSERT_TRUE(Face);
    EXPECT_EQ(W, Face->TextWidth("Hello"));
    EXPECT_EQ(C.Canvas.TextHeight("Hello"), Face->Height);
    C.Canvas.Brush()->SetColor(Red);
    C.Canvas.TextOut(2, 3, "Hello");
    EXPECT_EQ(C.Canvas.PenPos(), (TPoint{2 + W, 3}));
    // Opaque: the text cell is red where no glyph is, and only red and black appear.
    int RedCount = 0, BlackCount = 0;
    for (int Y = 0; Y < 30; ++Y)
        for (int X = 0; X < 120; ++X) {
            const COLORREF P = C.Dc.At(X, Y);
            const bool InCell = X >= 2 && X < 2 + W && Y >= 3 && Y < 3 + Face->Height;
            if (!InCell) {
                ASSERT_EQ(P, 0xFFFFFFu) << X << "," << Y;
                continue;
            }
            ASSERT_TRUE(P == Red || P == 0) << X << "," << Y;
            (P == Red ? RedCount : BlackCount)++;
        }
    EXPECT_GT(BlackCount, 10);
    EXPECT_GT(RedCount, BlackCount);
    // TextRect clips to its rectangle; a clear brush leaves the background.
    TDcCanvas T(120, 30);
    T.Canvas.Brush()->SetStyle(bsClear);
    T.Canvas.TextRect({0, 0, 6, 30}, 0, 0, "WWWW");
    for (int Y = 0; Y < 30; ++Y)
        for (int X = 6; X < 120; ++X)
            ASSERT_EQ(T.Dc.At(X, Y), 0xFFFFFFu);
}

TEST(Canvas, PenAndBrushPublishTheirProperties) {
    const TClass& P = TPen::StaticClass();
    ASSERT_TRUE(P.FindProperty("Color"));
    ASSERT_TRUE(P.FindProperty("Width"));
    EXPECT_EQ(P.FindProperty("Mode")->Kind, TPropKind::Enumeration);
    EXPECT_EQ(*P.FindProperty("Style")->Default, psSolid);
    TPen Pen;
    P.FindProperty("Width")->SetOrd(Pen, 3);
    EXPECT_EQ(Pen.Width(), 3);
    EXPECT_TRUE(TBrush::StaticClass().FindProperty("Color"));
    EXPECT_EQ(*TBrush::StaticClass().FindProperty("Color")->Default, clWhite);
    // Assign copies and notifies.
    int Changes = 0;
    TPen Copy;
    Copy.OnChange = [&](TObject*) { ++Changes; };
    Pen.SetColor(clRed);
    Copy.Assign(&Pen);
    EXPECT_EQ(Copy.Color(), clRed);
    EXPECT_EQ(Copy.Width(), 3);
    EXPECT_EQ(Changes, 1);
    Copy.SetWidth(0); // ignored
    EXPECT_EQ(Changes, 1);
    EXPECT_EQ(PenModeToRop2(pmXor), R2_XORPEN);
    EXPECT_EQ(PenModeToRop2(pmNotXor), R2_NOTXORPEN);
}
