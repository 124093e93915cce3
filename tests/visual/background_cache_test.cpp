// A background keeps the pictures it drew: drawing again must give the same pixels as drawing
// afresh, and any change of what decides the pixels must show at once.
#include "toolkit/core/Exceptions.h"
#include "toolkit/graphics/Bitmap.h"
#include "toolkit/graphics/Canvas.h"
#include "visual/QELTBackground.h"

#include <gtest/gtest.h>
#include <memory>

using namespace qel;

namespace {

constexpr TColor Paper = 0x563412;

struct TTarget {
    TBitmap B;
    TTarget(int W, int H) {
        B.SetSize(W, H);
        B.Canvas()->Brush()->SetColor(Paper);
        B.Canvas()->FillRect({0, 0, W, H});
    }
    HDC DC() { return B.Canvas()->Handle(); }
    std::vector<std::uint32_t> Pixels() const { return B.Surface()->Pixels; }
};

std::unique_ptr<TBitmap> Picture(TColor Corner) {
    auto P = std::make_unique<TBitmap>();
    P->SetSize(5, 3);
    for (int Y = 0; Y < 3; ++Y)
        for (int X = 0; X < 5; ++X)
            P->Canvas()->SetPixels(X, Y, (X + Y) % 2 ? clNavy : clYellow);
    P->Canvas()->SetPixels(0, 0, Corner);
    return P;
}

// What the background shows when drawn for the first time by a fresh copy of it.
std::vector<std::uint32_t> Fresh(const TQELBackground& Bg, int TW, int TH, int W, int H,
                                 bool Forward) {
    TQELBackground Copy(nullptr);
    Copy.SetBackStyle(Bg.BackgroundStyle());
    Copy.SetSolidColor(Bg.SolidColor());
    Copy.Gradient()->Assign(Bg.Gradient());
    Copy.Texture()->Assign(Bg.Texture());
    TTarget T(TW, TH);
    Copy.Draw(T.DC(), W, H, Forward);
    return T.Pixels();
}

std::vector<std::uint32_t> Drawn(const TQELBackground& Bg, int TW, int TH, int W, int H,
                                 bool Forward) {
    TTarget T(TW, TH);
    Bg.Draw(T.DC(), W, H, Forward);
    return T.Pixels();
}

} // namespace

TEST(background_cache, RepeatedDrawsEqualFreshOnesAndFollowEveryChange) {
    TQELBackground Bg(nullptr);
    Bg.Gradient()->SetStyle(RoundMiddle);
    Bg.Gradient()->SetColorCount(40);
    for (int Round = 0; Round < 2; ++Round) {
        EXPECT_EQ(Drawn(Bg, 60, 50, 53, 41, true), Fresh(Bg, 60, 50, 53, 41, true));
        EXPECT_EQ(Drawn(Bg, 60, 50, 53, 41, false), Fresh(Bg, 60, 50, 53, 41, false));
        EXPECT_EQ(Drawn(Bg, 60, 50, 20, 30, true), Fresh(Bg, 60, 50, 20, 30, true));
    }
    const auto Before = Drawn(Bg, 60, 50, 53, 41, true);
    Bg.Gradient()->SetColorCount(41);
    EXPECT_NE(Drawn(Bg, 60, 50, 53, 41, true), Before);
    Bg.Gradient()->ColorsInBetween()->Add("clRed"); // edited in place, not through a setter
    EXPECT_EQ(Drawn(Bg, 60, 50, 53, 41, true), Fresh(Bg, 60, 50, 53, 41, true));
    Bg.Gradient()->SetStyle(DoppelFlash);
    EXPECT_EQ(Drawn(Bg, 60, 50, 53, 41, true), Fresh(Bg, 60, 50, 53, 41, true));
}

TEST(background_cache, TexturesKeepTheirOverhangingTilesAndSeeTheirPixelsChange) {
    TQELBackground Bg(nullptr);
    Bg.SetBackStyle(bTexture);
    auto P = Picture(clRed);
    Bg.Texture()->SetImage(P.get());
    for (TQELImageStyle Style : {isTile, isStretched, isCenter}) {
        Bg.Texture()->SetImageStyle(Style);
        for (int Round = 0; Round < 2; ++Round)
            EXPECT_EQ(Drawn(Bg, 30, 20, 22, 13, true), Fresh(Bg, 30, 20, 22, 13, true))
                << "style " << int(Style);
    }
    Bg.Texture()->SetImageStyle(isTile);
    const auto Red = Drawn(Bg, 30, 20, 22, 13, true);
    // the picture changed behind the background's back: its pixels decide, not a setter
    Bg.Texture()->Image()->Canvas()->SetPixels(0, 0, clLime);
    const auto Lime = Drawn(Bg, 30, 20, 22, 13, true);
    EXPECT_NE(Lime, Red);
    EXPECT_EQ(Lime, Fresh(Bg, 30, 20, 22, 13, true));
    Bg.Texture()->SetTransparentColor(clNavy);
    Bg.Texture()->SetTransparentBackground(clFuchsia);
    EXPECT_EQ(Drawn(Bg, 30, 20, 22, 13, true), Fresh(Bg, 30, 20, 22, 13, true));
}

TEST(background_cache, ABadColourStillDrawsNothing) {
    TQELBackground Bg(nullptr);
    Bg.Draw(TTarget(10, 10).DC(), 10, 10, true);
    Bg.Gradient()->ColorsInBetween()->Add("not a colour");
    TTarget T(10, 10);
    const auto Before = T.Pixels();
    EXPECT_THROW(Bg.Draw(T.DC(), 10, 10, true), EConvertError);
    EXPECT_EQ(T.Pixels(), Before);
}
