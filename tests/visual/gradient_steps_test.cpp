// Band geometry of the gradient styles, checked shape by shape.
#include "visual/QELTBackgroundSteps.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace qel;

namespace {

struct TShape {
    char Kind; // 'F' fill, 'E' ellipse, 'L' line
    int A, B, C, D;
    COLORREF Pen, Brush;
    bool operator==(const TShape&) const = default;
};

class TRecorder : public TQELGradientPainter {
  public:
    std::vector<TShape> Shapes;
    COLORREF Pen = 0, Brush = 0;
    void StepColor(COLORREF C) override { Pen = Brush = C; }
    void PenColor(COLORREF C) override { Pen = C; }
    void Fill(int X, int Y, int W, int H) override {
        Shapes.push_back({'F', X, Y, W, H, Pen, Brush});
    }
    void Ellipse(int X1, int Y1, int X2, int Y2) override {
        Shapes.push_back({'E', X1, Y1, X2, Y2, Pen, Brush});
    }
    void Line(int X1, int Y1, int X2, int Y2) override {
        Shapes.push_back({'L', X1, Y1, X2, Y2, Pen, Brush});
    }
};

std::vector<TShape> Record(TQELFillStyle S, int W, int H, int N, std::vector<COLORREF> Colors) {
    TRecorder R;
    QELGradientSteps(S, W, H, N, Colors, R);
    return R.Shapes;
}

} // namespace

TEST(gradient_math, BandSizesRoundHalvesToEven) {
    EXPECT_EQ(QELRoundDiv(5, 2), 2); // 2.5 to even
    EXPECT_EQ(QELRoundDiv(7, 2), 4); // 3.5 to even
    EXPECT_EQ(QELRoundDiv(65, 2), 32);
}

TEST(gradient_math, StepColoursRaiseZeroBytesOnlyForward) {
    // black to white in 2 steps: the first forward colour is black, drawn as 1,1,1
    EXPECT_EQ(QELGradientStepColor(0x000000, 0xFFFFFF, 0, 2, false), 0x010101u);
    EXPECT_EQ(QELGradientStepColor(0x000000, 0xFFFFFF, 1, 2, false), 0xFFFFFFu);
    // reverse colours run backwards and keep zeros
    EXPECT_EQ(QELGradientStepColor(0x000000, 0xFFFFFF, 1, 2, true), 0x000000u);
    EXPECT_EQ(QELGradientStepColor(0x000000, 0xFFFFFF, 0, 2, true), 0xFFFFFFu);
    // silver to grey, step 1 of 32: 192 + MulDiv(1, -64, 31) = 190 in every byte
    EXPECT_EQ(QELGradientStepColor(0xC0C0C0, 0x808080, 1, 32, false), 0xBEBEBEu);
    // channels are independent: red rises while blue falls
    EXPECT_EQ(QELGradientStepColor(RGB(0, 10, 200), RGB(100, 10, 0), 2, 3, false), RGB(100, 10, 1));
}

TEST(gradient_geometry, DefaultHorizontalOverlapsBandsOfSixtyFive) {
    auto S = Record(Horizontal, 100, 64, 32, {0xC0C0C0, 0x808080});
    ASSERT_EQ(S.size(), 32u);
    EXPECT_EQ(S[0], (TShape{'F', 0, 0, 100, 4, 0xC0C0C0, 0xC0C0C0}));
    EXPECT_EQ(S[1], (TShape{'F', 0, 2, 100, 4, 0xBEBEBE, 0xBEBEBE}));
    EXPECT_EQ(S[31], (TShape{'F', 0, 63, 100, 4, 0x808080, 0x808080}));
}

TEST(gradient_geometry, LaterSegmentsCarryTheirTopIntoTheBandHeight) {
    // three colours: q = 2, SH = Round(100 / 2) + 1 = 51
    auto S = Record(Horizontal, 10, 100, 2, {0x0000FF, 0x00FF00, 0xFF0000});
    ASSERT_EQ(S.size(), 4u);
    EXPECT_EQ(S[0], (TShape{'F', 0, 0, 10, 51, 0x0101FF, 0x0101FF}));
    EXPECT_EQ(S[1], (TShape{'F', 0, 26, 10, 51, 0x01FF01, 0x01FF01}));
    // second segment: top 51, y0 0, y1 51: height 51 + 51
    EXPECT_EQ(S[2], (TShape{'F', 0, 51, 10, 102, 0x01FF01, 0x01FF01}));
    EXPECT_EQ(S[3], (TShape{'F', 0, 77, 10, 102, 0xFF0101, 0xFF0101}));
    auto V = Record(Vertical, 100, 10, 2, {0x0000FF, 0x00FF00, 0xFF0000});
    ASSERT_EQ(V.size(), 4u);
    EXPECT_EQ(V[2], (TShape{'F', 51, 0, 102, 10, 0x01FF01, 0x01FF01}));
}

TEST(gradient_geometry, SegmentsTimesStepsShapesPerStyle) {
    std::vector<COLORREF> Four{0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF};
    struct {
        TQELFillStyle S;
        size_t PerStep;
    } Cases[] = {{Horizontal, 1},        {Vertical, 1},           {LeftBottom, 1},
                 {RoundMiddle, 1},       {SquareMiddle, 1},       {DoppelFlash, 2},
                 {Singleflash, 1},       {MiddleHBar, 2},         {MiddleVBar, 2},
                 {VerticalDoppelBar, 3}, {HorizontalDoppelBar, 3}};
    for (auto& C : Cases)
        EXPECT_EQ(Record(C.S, 120, 90, 16, Four).size(), 3 * 16 * C.PerStep) << int(C.S);
}

TEST(gradient_geometry, WorkedShapesOfTheNonBandStyles) {
    std::vector<COLORREF> Two{0x000000, 0xFFFFFF};
    // LeftBottom, step 1 of 4 on 100 x 50: SW 101, SH 51; x0 25, y0 13
    auto LB = Record(LeftBottom, 100, 50, 4, Two);
    EXPECT_EQ(LB[1], (TShape{'F', 25, 13, 75, 37, 0x555555, 0x555555}));
    // RoundMiddle, first segment: top = left = 1; step 2 of 4: x0 = MulDiv(2, 52, 4) = 26,
    // y0 = MulDiv(2, Round(25.5) + 1, 4) = 14
    auto RM = Record(RoundMiddle, 100, 50, 4, Two);
    EXPECT_EQ(RM[2], (TShape{'E', 27, 15, 73, 35, 0xAAAAAA, 0xAAAAAA}));
    // SquareMiddle: SW 100, SH 50; step 3 of 4: x0 = MulDiv(3, 50, 4) = 38, y0 = 19
    auto SM = Record(SquareMiddle, 100, 50, 4, Two);
    EXPECT_EQ(SM[3], (TShape{'F', 38, 19, 24, 12, 0xFFFFFF, 0xFFFFFF}));
    // DoppelFlash draws a pair, the second box given right to left
    auto DF = Record(DoppelFlash, 100, 50, 4, Two);
    EXPECT_EQ(DF[2], (TShape{'E', 26, 14, 100, 50, 0x555555, 0x555555}));
    EXPECT_EQ(DF[3], (TShape{'E', 74, 36, 0, 0, 0x555555, 0x555555}));
    // Singleflash: no +1 in the sizes
    auto SF = Record(Singleflash, 100, 50, 4, Two);
    EXPECT_EQ(SF[1], (TShape{'E', 25, 13, 100, 50, 0x555555, 0x555555}));
}

TEST(gradient_geometry, MiddleBarsGrowUpwardsFromTheFarEdge) {
    // MiddleHBar on 40 x 20, 2 steps: SH 21, top 1, a 10 (Round(10.5) to even)
    auto S = Record(MiddleHBar, 40, 20, 2, {0x000000, 0xFFFFFF});
    ASSERT_EQ(S.size(), 4u);
    // step 0: yA0 = 20, yA1 = 20 - MulDiv(2, 11, 2) = 9: a negative height
    EXPECT_EQ(S[0], (TShape{'F', 0, 18, 40, -11, 0x010101, 0x010101}));
    EXPECT_EQ(S[1], (TShape{'F', 0, 1, 40, 11, 0x010101, 0x010101}));
    auto V = Record(MiddleVBar, 20, 40, 2, {0x000000, 0xFFFFFF});
    EXPECT_EQ(V[0], (TShape{'F', 18, 0, -11, 40, 0x010101, 0x010101}));
}

TEST(gradient_geometry, DoppelBarsMirrorAroundTwoThirds) {
    // VerticalDoppelBar on 90 wide, 3 steps: SW 91, left 1, t 30, T 30
    auto S = Record(VerticalDoppelBar, 90, 10, 3, {0x000000, 0xFFFFFF});
    ASSERT_EQ(S.size(), 9u);
    // step 1: x0 = MulDiv(1, 31, 3) = 10, x1 = 21
    EXPECT_EQ(S[3], (TShape{'F', 11, 0, 11, 10, 0x808080, 0x808080}));
    EXPECT_EQ(S[4], (TShape{'F', 38, 0, 11, 10, 0x808080, 0x808080}));
    EXPECT_EQ(S[5], (TShape{'F', 71, 0, 11, 10, 0x808080, 0x808080}));
    auto H = Record(HorizontalDoppelBar, 10, 90, 3, {0x000000, 0xFFFFFF});
    EXPECT_EQ(H[4], (TShape{'F', 0, 38, 10, 11, 0x808080, 0x808080}));
}

TEST(gradient_geometry, CircleAndSpectralLinesCrossTheArea) {
    // 2 steps on 10 x 6: SW 11, SH 7; step 0: j 0..MulDiv(2, 11, 2) = 11, i 0..7
    auto C = Record(Circle, 10, 6, 2, {0x000000, 0xFFFFFF});
    // step 0: j 0..11, i 0..7; step 1: j 6..17, i 4..11
    ASSERT_EQ(C.size(), size_t(12 + 8 + 12 + 8));
    EXPECT_EQ(C[0], (TShape{'L', 0, 0, 10, 6, 0x010101, 0x010101}));
    EXPECT_EQ(C[12], (TShape{'L', 0, 0, 10, 6, 0x010101, 0x010101}));
    EXPECT_EQ(C[13], (TShape{'L', 0, 1, 10, 5, 0x010101, 0x010101}));
    auto S = Record(Spectral, 10, 6, 2, {0x000000, 0xFFFFFF});
    ASSERT_EQ(S.size(), C.size());
    // even index: reverse colour (white at step 0), odd: forward; the brush stays forward
    EXPECT_EQ(S[0], (TShape{'L', 0, 0, 10, 6, 0xFFFFFF, 0x010101}));
    EXPECT_EQ(S[1], (TShape{'L', 1, 0, 9, 6, 0x010101, 0x010101}));
}

TEST(gradient_geometry, DegenerateInputsDrawNothingOrStayInBounds) {
    EXPECT_TRUE(Record(Horizontal, 100, 100, 32, {0x000000}).empty());
    EXPECT_TRUE(Record(Horizontal, 100, 100, 1, {0x000000, 0xFFFFFF}).empty());
    // zero area still runs every step (the bitmap is empty, nothing shows)
    EXPECT_EQ(Record(Horizontal, 0, 0, 4, {0x000000, 0xFFFFFF}).size(), 4u);
}
