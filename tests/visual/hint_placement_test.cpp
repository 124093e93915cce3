// Where the balloon goes: each direction in open screen, each flip at the four edges and in
// the corners, the strict comparison at the edge, and a balloon larger than the screen.
#include "visual/QELTHintPlacement.h"

#include <gtest/gtest.h>
#include <string>

using namespace qel;

namespace {

constexpr int kScreenW = 800, kScreenH = 600;
// A hint text of 100 x 30: balloons of 116 x 50 above and 116 x 59 below the pointer.
const TRect kText{0, 0, 100, 30};

struct TCase {
    const char* Name;
    TQELDirectionB Start;
    TPoint Cursor;
    TQELDirectionB Want;
    int X, Y;
};

// Above: Y = cursor - 5 - 50; below: Y = cursor + 15; opening left: X = cursor + 6 - 116.
const TCase kCases[] = {
    {"up right in the open", dUpRight, {400, 300}, dUpRight, 400, 245},
    {"up left in the open", dUpLeft, {400, 300}, dUpLeft, 290, 245},
    {"down right in the open", dDownRight, {400, 300}, dDownRight, 400, 315},
    {"down left in the open", dDownLeft, {400, 300}, dDownLeft, 290, 315},
    // Right edge.
    {"up right at the right edge opens left", dUpRight, {750, 300}, dUpLeft, 640, 245},
    {"down right at the right edge opens left", dDownRight, {750, 300}, dDownLeft, 640, 315},
    // Left edge.
    {"up left at the left edge opens right", dUpLeft, {50, 300}, dUpRight, 50, 245},
    {"down left at the left edge opens right", dDownLeft, {50, 300}, dDownRight, 50, 315},
    // Top edge.
    {"up right at the top goes below", dUpRight, {400, 20}, dDownRight, 400, 35},
    {"up left at the top goes below", dUpLeft, {400, 20}, dDownLeft, 290, 35},
    // Bottom edge.
    {"down right at the bottom goes above", dDownRight, {400, 580}, dUpRight, 400, 525},
    {"down left at the bottom goes above", dDownLeft, {400, 580}, dUpLeft, 290, 525},
    // Corners: both flips.
    {"up right in the top right corner", dUpRight, {750, 20}, dDownLeft, 640, 35},
    {"up left in the top left corner", dUpLeft, {50, 20}, dDownRight, 50, 35},
    {"down right in the bottom right corner", dDownRight, {750, 580}, dUpLeft, 640, 525},
    {"down left in the bottom left corner", dDownLeft, {50, 580}, dUpRight, 50, 525},
    {"up right in the bottom left corner stays", dUpRight, {50, 580}, dUpRight, 50, 525},
    {"down left in the top right corner stays", dDownLeft, {750, 20}, dDownLeft, 640, 35},
    // Touching the edge is not leaving the screen.
    {"exactly at the right edge", dUpRight, {684, 300}, dUpRight, 684, 245},
    {"one pixel beyond the right edge", dUpRight, {685, 300}, dUpLeft, 575, 245},
    {"exactly at the top", dUpRight, {400, 55}, dUpRight, 400, 0},
    {"exactly at the bottom", dDownRight, {400, 526}, dDownRight, 400, 541},
    {"exactly at the left edge", dUpLeft, {110, 300}, dUpLeft, 0, 245},
};

} // namespace

TEST(HintPlacement, EveryDirectionAndEveryFlipAtTheEdgesAndCorners) {
    for (const TCase& C : kCases) {
        TQELHintPlacer P(kText, kScreenW, kScreenH);
        P.Place(C.Cursor, C.Start);
        EXPECT_EQ(P.Direction(), C.Want) << C.Name;
        EXPECT_EQ(P.X(), C.X) << C.Name;
        EXPECT_EQ(P.Y(), C.Y) << C.Name;
    }
}

TEST(HintPlacement, ABelowBalloonIsNinePixelsTallerForTheSameText) {
    TQELHintPlacer P(kText, kScreenW, kScreenH);
    EXPECT_EQ(P.UpRect().Width(), 116);
    EXPECT_EQ(P.DownRect().Width(), 116);
    EXPECT_EQ(P.DownRect().Height() - P.UpRect().Height(), 9);
}

TEST(HintPlacement, ABalloonLargerThanTheScreenEndsOnItWithoutLooping) {
    for (TQELDirectionB Start : {dUpRight, dUpLeft, dDownRight, dDownLeft}) {
        for (TPoint Cursor : {TPoint{5, 5}, TPoint{400, 300}, TPoint{795, 595}}) {
            TQELHintPlacer Wide(TRect{0, 0, 900, 30}, kScreenW, kScreenH);
            Wide.Place(Cursor, Start);
            EXPECT_EQ(Wide.X(), 0) << "the left edge wins";
            EXPECT_GE(Wide.Y(), 0);
            EXPECT_LE(Wide.Y() + 59, kScreenH);

            TQELHintPlacer Tall(TRect{0, 0, 100, 700}, kScreenW, kScreenH);
            Tall.Place(Cursor, Start);
            EXPECT_EQ(Tall.Y(), 0) << "the top edge wins";
            EXPECT_GE(Tall.X(), 0);
            EXPECT_LE(Tall.X() + 116, kScreenW);
        }
    }
}
