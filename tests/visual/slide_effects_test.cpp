// The transition engine: every effect leaves the destination equal to the source on areas
// that the cell sizes do not divide, the cell order of several effects step by step, the
// numbers that draw nothing, and pumps that run the application's handlers while it works.
#include "slide_effects_support.h"
#include "toolkit/controls/Forms.h"
#include "toolkit/platform/Headless.h"
#include "toolkit/platform/MessageQueue.h"

#include <chrono>
#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

struct SlideEffects : ::testing::Test {
    void SetUp() override {
        if (!BackendChosen()) SetBackend(std::make_unique<THeadlessBackend>());
    }
};

std::string Play(int Effect, int W, int H) {
    auto Src = MakeSource(W, H);
    auto Dst = MakeDest(W, H);
    TCellRecorder Rec(*Dst);
    DrawSlideEffect(Effect, Src->Canvas(), Dst->Canvas(), W, H);
    return Rec.Frames();
}

std::string EndDifference(int Effect, int W, int H) {
    auto Src = MakeSource(W, H);
    auto Dst = MakeDest(W, H);
    if (W > 0 && H > 0) DrawSlideEffect(Effect, Src->Canvas(), Dst->Canvas(), W, H);
    return FirstDifference(*Src, *Dst);
}

TEST_F(SlideEffects, EveryEffectEndsWithTheSourceOnUnevenAreas) {
    // Odd and even sides, thin strips, a square (the spiral's middle column) and a tall area.
    const std::pair<int, int> Sizes[] = {{1, 1},   {2, 1},   {1, 2},   {2, 3},  {3, 2},
                                         {32, 32}, {61, 47}, {27, 41}, {30, 29}};
    for (int E = 1; E <= kSlideEffectCount; ++E)
        for (auto [W, H] : Sizes)
            EXPECT_EQ(EndDifference(E, W, H), "")
                << EnumInfo<TQELSlideeffects>().Names[E] << " on " << W << " x " << H;
}

// Every effect at this size is checked by bench_slides (its shows_picture counter); here the
// ones whose geometry depends most on the size, so the suite stays quick in a debug build.
TEST_F(SlideEffects, EffectsEndWithTheSourceOnALargeArea) {
    for (int E : {efScreenOff, efLeftTopToRightBottomWipe, efQuadVerticalInterlace, efWipeEffect4,
                  efDripHorizontal, efStretchLeft})
        EXPECT_EQ(EndDifference(E, 641, 479), "") << EnumInfo<TQELSlideeffects>().Names[E];
}

TEST_F(SlideEffects, AnEmptyAreaDrawsNothingAndEnds) {
    for (int E = 0; E <= kSlideEffectCount; ++E) {
        auto Src = MakeSource(4, 4);
        auto Dst = MakeDest(4, 4);
        DrawSlideEffect(E, Src->Canvas(), Dst->Canvas(), 0, 0);
        if (E == efNone || (E >= efStretchUp && E <= efStretchRight)) continue; // whole copies
        if (E == efRandom) continue;
        auto Fresh = MakeDest(4, 4);
        EXPECT_EQ(FirstDifference(*Dst, *Fresh), "") << EnumInfo<TQELSlideeffects>().Names[E];
    }
}

TEST_F(SlideEffects, NumbersOutsideTheTableDrawNothing) {
    for (int E : {-1, 55, 200}) {
        auto Src = MakeSource(5, 4);
        auto Dst = MakeDest(5, 4);
        auto Fresh = MakeDest(5, 4);
        DrawSlideEffect(E, Src->Canvas(), Dst->Canvas(), 5, 4);
        EXPECT_EQ(FirstDifference(*Dst, *Fresh), "") << E;
    }
}

TEST_F(SlideEffects, RandomPicksARealEffectEachTime) {
    for (int I = 0; I < 5; ++I) {
        auto Src = MakeSource(9, 7);
        auto Dst = MakeDest(9, 7);
        DrawSlideEffect(efRandom, Src->Canvas(), Dst->Canvas(), 9, 7);
        EXPECT_EQ(FirstDifference(*Src, *Dst), "");
    }
}

// Cell by cell on a 3 × 2 area: the far column (x = 3) and row (y = 2) fall outside and show
// as "-".
TEST_F(SlideEffects, CellOrderOnASmallArea) {
    EXPECT_EQ(Play(efWipeTopToBottom, 3, 2), "0,0 1,0 2,0 - 0,1 1,1 2,1 - - - - -");
    EXPECT_EQ(Play(efCloseHorizontalCurtain, 3, 2),
              "- 0,0 - 0,1 - - 2,0 1,0 2,1 1,1 - - 1,0 2,0 1,1 2,1 - -");
    EXPECT_EQ(Play(efVerticalInterlace, 3, 2), "- - 0,1 - 2,0 1,1 - 1,0 2,1 - 0,0 -");
    EXPECT_EQ(Play(efBitBlt, 3, 2), "1,1 1,0 2,0 2,1 - - - - 0,1 - 0,0 -");
    EXPECT_EQ(Play(efScreenOff, 3, 2),
              "0,0 1,0 2,0 - - - - - - - - - 0,1 0,0 1,1 2,1 2,1 2,1 1,1 1,1");
}

// Where the cell orders as first drawn up leave cells out, the missing ones are added in place.
TEST_F(SlideEffects, CellOrdersThatWouldLeaveCellsOut) {
    // The diagonal sweep starts with the corner cell's own line.
    EXPECT_EQ(Play(efLeftTopToRightBottomWipe, 3, 2), "0,0 1,0 0,1 2,0 1,1 - - 2,1 - - - -");
    // The second chequer pass starts odd rows at x = 0.
    EXPECT_EQ(Play(efFadeDown, 3, 2), "0,0 2,0 1,1 - - - 1,0 - 0,1 2,1 - -");
    // The spiral walks the middle column once its sides have met.
    EXPECT_EQ(Play(efScreenOff, 2, 3),
              "0,0 1,0 - - - - - - - - - 0,2 0,1 0,0 1,1 1,1 1,2 1,2 1,2 1,1");
}

TEST_F(SlideEffects, VerticalDripSmearsTheBottomRowFirst) {
    auto Src = MakeSource(2, 2);
    auto Dst = MakeDest(2, 2);
    std::vector<std::string> Rows;
    auto Old = SetSlideEffectPumpHook([&] {
        const TSurface* S = Dst->Surface();
        auto Row = [&](int Y) {
            if (S->Get(0, Y) == kSentinel) return std::string("blank");
            return S->Get(0, Y) == SourcePixel(0, 1) && S->Get(1, Y) == SourcePixel(1, 1)
                       ? std::string("bottom")
                       : std::string("own");
        };
        Rows.push_back(Row(0) + "/" + Row(1));
    });
    DrawSlideEffect(efDripVertical, Src->Canvas(), Dst->Canvas(), 2, 2);
    SetSlideEffectPumpHook(Old);
    EXPECT_EQ(Rows, (std::vector<std::string>{"blank/blank", "blank/blank", "bottom/bottom"}));
    EXPECT_EQ(FirstDifference(*Src, *Dst), "");
}

TEST_F(SlideEffects, StretchesAdvanceOnAreasUnderThirtyPixels) {
    for (int E = efStretchUp; E <= efStretchRight; ++E) {
        auto Src = MakeSource(7, 5);
        auto Dst = MakeDest(7, 5);
        int Pumps = 0;
        auto Old = SetSlideEffectPumpHook([&] { ++Pumps; });
        DrawSlideEffect(E, Src->Canvas(), Dst->Canvas(), 7, 5);
        SetSlideEffectPumpHook(Old);
        EXPECT_EQ(Pumps, E <= efStretchDown ? 5 : 7) << "one frame per pixel of the side";
        EXPECT_EQ(FirstDifference(*Src, *Dst), "");
    }
}

TEST_F(SlideEffects, HandlersRunWhileAnEffectPlays) {
    auto Src = MakeSource(40, 30);
    auto Dst = MakeDest(40, 30);
    int Ticks = 0;
    int Id = TMessageQueue::Main().AddTimer(1, [&] { ++Ticks; });
    // Nothing pumps here but the effects, so every tick ran inside one of them.
    const auto End = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (Ticks < 2 && std::chrono::steady_clock::now() < End)
        DrawSlideEffect(efDripHorizontal, Src->Canvas(), Dst->Canvas(), 40, 30);
    TMessageQueue::Main().RemoveTimer(Id);
    EXPECT_GE(Ticks, 2);
}

} // namespace
