// The direct gradient raster against the step-by-step replay on a device context: every
// style, few and many colours, one to three segments, both directions, sizes that divide
// evenly and ones that do not. The pixels must be the same to the last one.
#include "toolkit/graphics/DeviceContext.h"
#include "toolkit/graphics/Surface.h"
#include "toolkit/graphics/Windows.h"
#include "visual/QELTGradientLines.h"
#include "visual/QELTGradientRaster.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

using namespace qel;

namespace {

TSurface StepByStep(int W, int H, TQELFillStyle Style, int Steps,
                    const std::vector<COLORREF>& Colors) {
    TSurface S(W, H, 0x00123456);
    HDC DC = CreateDCForSurface(&S);
    QELGradientStepByStep(DC, W, H, Style, Steps, Colors);
    DeleteDC(DC);
    return S;
}

TSurface Raster(int W, int H, TQELFillStyle Style, int Steps, const std::vector<COLORREF>& Colors) {
    TSurface S(W, H, 0x00654321);
    QELRasterGradient(S, Style, Steps, Colors);
    return S;
}

// First differing pixel, for a readable failure.
std::string FirstDifference(const TSurface& A, const TSurface& B) {
    for (int Y = 0; Y < A.Height; ++Y)
        for (int X = 0; X < A.Width; ++X)
            if (A.Get(X, Y) != B.Get(X, Y))
                return "(" + std::to_string(X) + ", " + std::to_string(Y) + ")";
    return "none";
}

} // namespace

TEST(gradient_raster, EveryStyleMatchesTheStepByStepDrawing) {
    const std::vector<std::vector<COLORREF>> Lists = {
        {RGB(192, 192, 192), RGB(128, 128, 128)},
        {RGB(0, 0, 128), RGB(0, 255, 255)},               // zero bytes are raised to 1
        {RGB(255, 0, 0), RGB(0, 0, 0), RGB(10, 200, 30)}, // one colour in between
        {RGB(0, 0, 0), RGB(255, 255, 0), RGB(0, 128, 0), RGB(1, 2, 3)}, // two in between
    };
    // Even and odd sides both: the mirrored halves of the symmetric styles meet in a middle row
    // or column of their own, or between two.
    const std::vector<std::pair<int, int>> Sizes = {{1, 1},   {2, 3},   {6, 4},   {7, 5},
                                                    {33, 17}, {40, 24}, {101, 63}};
    for (int Style = Circle; Style <= HorizontalDoppelBar; ++Style)
        for (int Steps : {2, 3, 32, 255})
            for (const auto& Colors : Lists)
                for (bool Backward : {false, true})
                    for (auto [W, H] : Sizes) {
                        std::vector<COLORREF> L = Colors;
                        if (Backward) std::reverse(L.begin(), L.end());
                        const auto S = static_cast<TQELFillStyle>(Style);
                        const TSurface Want = StepByStep(W, H, S, Steps, L);
                        const TSurface Got = Raster(W, H, S, Steps, L);
                        ASSERT_EQ(Got.Pixels, Want.Pixels)
                            << "style " << Style << ", " << Steps << " steps, " << L.size()
                            << " colours, " << W << " x " << H << ", first difference at "
                            << FirstDifference(Got, Want);
                    }
}

TEST(gradient_raster, LargeRingsAndLinesMatchTheStepByStepDrawing) {
    // The sizes where the row-by-row inset and the coverage lists carry the most state, odd and
    // even so the halves the symmetric styles repeat meet both ways; for the lines, wide and
    // tall areas, where the fans' steep and flat lines trade places.
    const std::vector<COLORREF> L = {RGB(0, 0, 128), RGB(0, 255, 255), RGB(200, 0, 50)};
    for (TQELFillStyle S : {RoundMiddle, DoppelFlash, Singleflash, Spectral, Circle})
        for (auto [W, H] : {std::pair{641, 479}, {640, 480}, {317, 600}}) {
            const TSurface Want = StepByStep(W, H, S, 255, L);
            const TSurface Got = Raster(W, H, S, 255, L);
            ASSERT_EQ(Got.Pixels, Want.Pixels)
                << "style " << int(S) << ", " << W << " x " << H << ", first difference at "
                << FirstDifference(Got, Want);
        }
}

TEST(gradient_raster, EmptyAreasDrawNothing) {
    TSurface S(0, 0);
    QELRasterGradient(S, RoundMiddle, 32, {RGB(1, 2, 3), RGB(4, 5, 6)});
    EXPECT_TRUE(S.Pixels.empty());
}

TEST(raster_rows, EllipseInsetsRowByRowEqualTheOnesComputedPerRow) {
    auto Check = [](int W, int H) {
        std::vector<int> Rows(static_cast<std::size_t>(H));
        gdi::EllipseInsetRows(W, H, Rows.data());
        const gdi::TInsets In = gdi::TInsets::Ellipse(W, H);
        for (int R = 0; R < H; ++R)
            if (Rows[static_cast<std::size_t>(R)] != In.At(R))
                return ::testing::AssertionFailure() << W << " x " << H << " row " << R << ": "
                                                     << Rows[R] << " against " << In.At(R);
        return ::testing::AssertionSuccess();
    };
    for (int W = 1; W <= 70; ++W)
        for (int H = 1; H <= 70; ++H)
            ASSERT_TRUE(Check(W, H));
    // Sides up to 4096 go four rows at a time in single precision: sizes all over that range,
    // the largest included, where the estimate is least precise.
    std::mt19937 Rng(21);
    std::uniform_int_distribution<int> Side(71, 4096);
    for (int I = 0; I < 300; ++I)
        ASSERT_TRUE(Check(Side(Rng), Side(Rng)));
    for (auto [W, H] : {std::pair{4096, 4096}, {4096, 4095}, {4095, 4096}, {4097, 4096}})
        ASSERT_TRUE(Check(W, H));
    for (auto [W, H] : {std::pair{1920, 1080},
                        {1080, 1920},
                        {5000, 3},
                        {3, 5000},
                        {40001, 7},
                        {9, 45000},
                        {39999, 39999 / 500}})
        ASSERT_TRUE(Check(W, H));
}

TEST(raster_rows, ThinLinesVisitThePixelsOfTheClosedForm) {
    // The closed form the incremental stepping must reproduce, clipping included.
    auto Reference = [](TPoint A, TPoint B, const TRect& Box) {
        std::vector<std::pair<int, int>> Px;
        const long long Dx = B.X - A.X, Dy = B.Y - A.Y, Adx = std::llabs(Dx), Ady = std::llabs(Dy);
        const int Sx = Dx < 0 ? -1 : 1, Sy = Dy < 0 ? -1 : 1;
        const bool XMajor = Adx >= Ady;
        const long long Len = XMajor ? Adx : Ady;
        for (long long I = 0; I < Len; ++I) {
            int X, Y;
            if (XMajor) {
                const long long K = (2 * I * Ady + Adx - 1 + (Sy < 0 ? 1 : 0)) / (2 * Adx);
                X = static_cast<int>(A.X + Sx * I);
                Y = static_cast<int>(A.Y + Sy * K);
            } else {
                const long long K = (2 * I * Adx + Ady - 1 + (Sx < 0 ? 1 : 0)) / (2 * Ady);
                X = static_cast<int>(A.X + Sx * K);
                Y = static_cast<int>(A.Y + Sy * I);
            }
            if (X < Box.Left || X >= Box.Right || Y < Box.Top || Y >= Box.Bottom) continue;
            Px.push_back({X, Y});
        }
        return Px;
    };
    std::mt19937 Rng(7);
    std::uniform_int_distribution<int> C(-40, 140);
    const TRect Box{0, 0, 100, 90};
    for (int N = 0; N < 20000; ++N) {
        const TPoint A{C(Rng), C(Rng)}, B{C(Rng), C(Rng)};
        std::vector<std::pair<int, int>> Got;
        gdi::ThinLinePixels(A, B, Box, [&](int X, int Y, long long) { Got.push_back({X, Y}); });
        ASSERT_EQ(Got, Reference(A, B, Box))
            << "(" << A.X << ", " << A.Y << ") to (" << B.X << ", " << B.Y << ")";
    }
}

// The row painter on its own, against each line's pixels set one after the other. Fans are
// what it joins into bundles: their neighbours step evenly, so runs of one colour are painted
// as one piece per row, and a wrong join shows as a pixel of the wrong colour. Fans through a
// point inside, on the edge of and outside the surface (some from a billion pixels away),
// walked either way, steep and flat; and loose lines, which must stay apart from the fans
// they do not belong to.
TEST(gradient_lines, RowPainterGivesEachLinesOwnPixels) {
    const auto Reference = [](int W, int H, const std::vector<TQELGradientLine>& Lines) {
        TSurface S(W, H, 0x00010203);
        for (const TQELGradientLine& L : Lines)
            gdi::ThinLinePixels(
                {L.X1, L.Y1}, {L.X2, L.Y2}, {0, 0, W, H},
                [&](int X, int Y, long long) { S.Set(X, Y, PixelFromRGB(L.Color)); });
        return S;
    };
    std::mt19937 Rng(11);
    for (int Case = 0; Case < 300; ++Case) {
        const int W = 1 + static_cast<int>(Rng() % 90), H = 1 + static_cast<int>(Rng() % 70);
        std::uniform_int_distribution<int> X(-W / 2, W + W / 2), Y(-H / 2, H + H / 2);
        std::vector<TQELGradientLine> Lines;
        const int Fans = 1 + static_cast<int>(Rng() % 3);
        for (int F = 0; F < Fans; ++F) {
            // Lines (Cx - D + Sa J, Top) to (Cx + D - Sb J, Bottom): the ends moving by a
            // pixel or a few per line (then neighbours may be too far apart to join), through
            // one middle when they move alike; or the same turned on its side.
            const int Cx = X(Rng), Cy = Y(Rng), D = 1 + static_cast<int>(Rng() % 60);
            const int Sa = static_cast<int>(Rng() % 7) - 3, Sb = static_cast<int>(Rng() % 7) - 3;
            const bool Side = Rng() % 2 != 0, Back = Rng() % 2 != 0;
            const int Run = 1 + static_cast<int>(Rng() % 6);
            COLORREF Color = Rng() & 0xFFFFFF;
            for (int J = 0; J <= 2 * D; ++J) {
                if (J % Run == 0) Color = Rng() & 0xFFFFFF;
                const int A = Cx - D + Sa * J, B = Cx + D - Sb * J, T = Cy - D, U = Cy + D;
                TQELGradientLine L = Side ? TQELGradientLine{T, A, U, B, Color}
                                          : TQELGradientLine{A, T, B, U, Color};
                if (Back) L = {L.X2, L.Y2, L.X1, L.Y1, Color};
                Lines.push_back(L);
            }
        }
        if (Case % 10 == 0) {
            // A fan from far outside, whose walks need more than 32 bits.
            const int Far = 1 << 30, Cx = X(Rng), Cy = Y(Rng);
            const bool Side = Case % 20 == 0;
            for (int J = -20; J <= 20; ++J) {
                const COLORREF Color = (J + 20) / 3 * 0x102030;
                Lines.push_back(Side ? TQELGradientLine{-Far, Cy - J, Far, Cy + 2 * J, Color}
                                     : TQELGradientLine{Cx - J, -Far, Cx + 2 * J, Far, Color});
            }
        }
        for (int K = static_cast<int>(Rng() % 5); K > 0; --K) {
            const auto At = Lines.begin() + static_cast<std::ptrdiff_t>(Rng() % (Lines.size() + 1));
            Lines.insert(At,
                         {X(Rng), Y(Rng), X(Rng), Y(Rng), static_cast<COLORREF>(Rng() & 0xFFFFFF)});
        }
        TSurface Got(W, H, 0x00010203);
        QELPaintGradientLines(Got, Lines);
        const TSurface Want = Reference(W, H, Lines);
        ASSERT_EQ(Got.Pixels, Want.Pixels)
            << "case " << Case << ", " << W << " x " << H << ", first difference at "
            << FirstDifference(Got, Want);
    }
}
