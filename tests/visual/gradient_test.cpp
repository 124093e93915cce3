// Gradients painted through MultiDraw, checked pixel by pixel on a surface.
#include "toolkit/core/Exceptions.h"
#include "toolkit/core/Strings.h"
#include "toolkit/graphics/Surface.h"
#include "toolkit/graphics/Windows.h"
#include "visual/QELTBackground.h"

#include <gtest/gtest.h>

using namespace qel;

namespace {

constexpr std::uint32_t Paper = 0x123456;

struct TTarget {
    TSurface S;
    HDC DC;
    TTarget(int W, int H) : S(W, H, Paper), DC(CreateDCForSurface(&S)) {}
    ~TTarget() { DeleteDC(DC); }
    COLORREF At(int X, int Y) const { return RGBFromPixel(S.Get(X, Y)); }
    bool Untouched() const {
        for (auto P : S.Pixels)
            if (P != Paper) return false;
        return true;
    }
};

void Paint(const TQELGradient& G, TTarget& T, bool Forward = true) {
    G.MultiDraw(T.DC, T.S.Width, T.S.Height, G.ColorsInBetween(), clBtnFace, Forward);
}

} // namespace

TEST(gradient_paint, DefaultHorizontalBandsRunSilverToGrey) {
    TQELGradient G;
    EXPECT_EQ(G.BeginColor(), clSilver);
    EXPECT_EQ(G.EndColor(), clGray);
    EXPECT_EQ(G.FillStyle(), Horizontal);
    EXPECT_EQ(G.ColorCount(), 32);
    TTarget T(100, 64);
    Paint(G, T);
    EXPECT_EQ(T.At(0, 0), 0xC0C0C0u);
    EXPECT_EQ(T.At(99, 1), 0xC0C0C0u);
    EXPECT_EQ(T.At(50, 2), 0xBEBEBEu);  // step 1 overpaints from row 2
    EXPECT_EQ(T.At(50, 62), 0x828282u); // step 30: 192 + MulDiv(30, -64, 31)
    EXPECT_EQ(T.At(0, 63), 0x808080u);
    // bands only darken downwards
    for (int Y = 1; Y < 64; ++Y)
        EXPECT_LE(T.At(7, Y) & 0xFF, T.At(7, Y - 1) & 0xFF) << Y;
}

TEST(gradient_paint, ForwardFalseSwapsTheEndsButKeepsTheMiddleOrder) {
    TQELGradient G;
    G.SetBeginColor(clRed);
    G.SetEndColor(clBlue);
    TStringList Between;
    Between.Add("clLime");
    Between.Add("$00FFFF00"); // aqua, as ColorToString writes it
    G.SetColorStrings(&Between);
    G.SetColorCount(4);
    TTarget T(10, 90);
    Paint(G, T, false);
    // three segments of SH = 31: blue ... lime ... aqua ... red
    EXPECT_EQ(T.At(0, 0), RGB(1, 1, 255));
    EXPECT_EQ(T.At(0, 31), RGB(1, 255, 1));
    EXPECT_EQ(T.At(0, 62), RGB(1, 255, 255));
    EXPECT_EQ(T.At(0, 89), RGB(255, 1, 1));
    Paint(G, T, true);
    EXPECT_EQ(T.At(0, 31), RGB(1, 255, 1));
    EXPECT_EQ(T.At(0, 62), RGB(1, 255, 255));
    EXPECT_EQ(T.At(0, 89), RGB(1, 1, 255));
}

TEST(gradient_paint, ZeroBytesAreDrawnAsOne) {
    TQELGradient G;
    G.SetBeginColor(clBlack);
    G.SetEndColor(clWhite);
    G.SetStyle(Vertical);
    TTarget T(64, 4);
    Paint(G, T);
    EXPECT_EQ(T.At(0, 0), RGB(1, 1, 1));
    EXPECT_EQ(T.At(63, 3), RGB(255, 255, 255));
}

TEST(gradient_paint, NegativeBarsIncludeTheirOriginRow) {
    // MiddleHBar on 40 x 20 with 2 steps: step 0 fills rows 8..18 and 1..11, step 1 rows
    // 2..12 and 6..16; rows 0 and 19 keep the unstepped first colour.
    TQELGradient G;
    G.SetBeginColor(clBlack);
    G.SetEndColor(clWhite);
    G.SetStyle(MiddleHBar);
    G.SetColorCount(2);
    TTarget T(40, 20);
    Paint(G, T);
    EXPECT_EQ(T.At(5, 0), 0x000000u);
    EXPECT_EQ(T.At(5, 1), 0x010101u);
    for (int Y = 2; Y <= 16; ++Y)
        EXPECT_EQ(T.At(5, Y), 0xFFFFFFu) << Y;
    EXPECT_EQ(T.At(5, 17), 0x010101u);
    EXPECT_EQ(T.At(5, 18), 0x010101u);
    EXPECT_EQ(T.At(5, 19), 0x000000u);
}

TEST(gradient_paint, EveryStyleCoversTheWholeAreaAndNothingElse) {
    for (int S = Circle; S <= HorizontalDoppelBar; ++S) {
        TQELGradient G;
        G.SetBeginColor(clYellow);
        G.SetEndColor(clNavy);
        G.SetStyle(static_cast<TQELFillStyle>(S));
        TStringList Between;
        Between.Add("clFuchsia");
        G.SetColorStrings(&Between);
        TTarget T(80, 50);
        G.MultiDraw(T.DC, 60, 40, G.ColorsInBetween(), clBtnFace, true);
        for (int Y = 0; Y < 50; ++Y)
            for (int X = 0; X < 80; ++X) {
                bool Inside = X < 60 && Y < 40;
                ASSERT_EQ(T.S.Get(X, Y) != Paper, Inside) << S << " at " << X << "," << Y;
            }
    }
}

TEST(gradient_paint, EmptyAreaDrawsNothing) {
    TQELGradient G;
    TTarget T(10, 10);
    G.MultiDraw(T.DC, 0, 10, G.ColorsInBetween(), clBtnFace, true);
    G.MultiDraw(T.DC, 10, 0, G.ColorsInBetween(), clBtnFace, true);
    EXPECT_TRUE(T.Untouched());
}

TEST(gradient_paint, BadColourLineRaisesAndLeavesTheTargetAlone) {
    TQELGradient G;
    TStringList Between;
    Between.Add("clRed");
    Between.Add("not a colour");
    G.SetColorStrings(&Between);
    TTarget T(20, 20);
    EXPECT_THROW(Paint(G, T), EConvertError);
    EXPECT_TRUE(T.Untouched());
    const auto Handles = GdiHandleCount();
    EXPECT_THROW(Paint(G, T), EConvertError);
    EXPECT_EQ(GdiHandleCount(), Handles);
}

TEST(gradient_setters, ColorCountOutsideTwoTo255KeepsTheValueButNotifies) {
    TQELGradient G;
    int N = 0;
    G.OnChange = [&N](TObject*) { ++N; };
    G.SetColorCount(1);
    G.SetColorCount(256);
    EXPECT_EQ(G.ColorCount(), 32);
    EXPECT_EQ(N, 2);
    G.SetColorCount(255);
    EXPECT_EQ(G.ColorCount(), 255);
    G.SetColorCount(2);
    EXPECT_EQ(G.ColorCount(), 2);
    EXPECT_EQ(N, 4);
}

TEST(gradient_paint, DrawingReleasesEveryTemporaryObject) {
    TQELGradient G;
    G.SetStyle(Spectral);
    TTarget T(30, 30);
    Paint(G, T);
    const auto Handles = GdiHandleCount();
    for (int S = Circle; S <= HorizontalDoppelBar; ++S) {
        G.SetStyle(static_cast<TQELFillStyle>(S));
        Paint(G, T);
    }
    EXPECT_EQ(GdiHandleCount(), Handles);
}

TEST(gradient_paint, ATargetOfThePicturesSizeKeepsItsClipOriginAndDepth) {
    // Drawn straight onto a surface of its own size, the gradient must still land as the copy
    // of a finished picture would: inside the clip, moved with the origin, turned to black and
    // white on a monochrome bitmap.
    TQELGradient G;
    G.SetStyle(RoundMiddle);
    G.SetBeginColor(clYellow);
    G.SetEndColor(clNavy);
    TTarget Picture(40, 30);
    Paint(G, Picture);
    HDC PictureDC = Picture.DC;
    auto Expect = [&](const char* What, auto&& Prepare) {
        TTarget Want(40, 30), Got(40, 30);
        Prepare(Want.DC);
        Prepare(Got.DC);
        BitBlt(Want.DC, 0, 0, 40, 30, PictureDC, 0, 0, SRCCOPY);
        Paint(G, Got);
        EXPECT_EQ(Got.S.Pixels, Want.S.Pixels) << What;
    };
    Expect("clipped", [](HDC DC) { IntersectClipRect(DC, 5, 4, 30, 20); });
    Expect("clipped to two parts", [](HDC DC) { ExcludeClipRect(DC, 10, 0, 12, 30); });
    Expect("moved", [](HDC DC) { SetViewportOrgEx(DC, 3, -2, nullptr); });
    Expect("whole", [](HDC) {});

    // A monochrome bitmap of the same size.
    auto OnMono = [&](auto&& Draw) {
        HDC DC = CreateCompatibleDC(0);
        HBITMAP Mono = CreateBitmap(40, 30, 1, 1, nullptr);
        HGDIOBJ Old = SelectObject(DC, Mono);
        Draw(DC);
        std::vector<std::uint32_t> Px = GetDCSurface(DC)->Pixels;
        SelectObject(DC, Old);
        DeleteObject(Mono);
        DeleteDC(DC);
        return Px;
    };
    const auto Want = OnMono([&](HDC DC) { BitBlt(DC, 0, 0, 40, 30, PictureDC, 0, 0, SRCCOPY); });
    const auto Got =
        OnMono([&](HDC DC) { G.MultiDraw(DC, 40, 30, G.ColorsInBetween(), clBtnFace, true); });
    EXPECT_EQ(Got, Want);
}
