// The image scroller: the tiled strip, k ticks moving it k steps with an invisible seam, the
// inverse direction, stopping and starting, text mode, placement, and freeing it while its
// timer thread runs (also from a tick of another timer).
#include "tests/toolkit/controls/ControlsTestSupport.h"
#include "toolkit/core/FormReader.h"
#include "toolkit/core/FormWriter.h"
#include "toolkit/core/Streams.h"
#include "toolkit/graphics/Bitmap.h"
#include "toolkit/graphics/Canvas.h"
#include "visual/QELTImageScroller.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

constexpr int kLeft = 7, kTop = 3;

// Every pixel of the picture differs from every other, so any misplaced piece shows.
std::unique_ptr<TBitmap> Picture(int W, int H) {
    auto B = std::make_unique<TBitmap>();
    B->SetSize(W, H);
    for (int Y = 0; Y < H; ++Y)
        for (int X = 0; X < W; ++X)
            B->Canvas()->SetPixels(X, Y, TColor(RGB(X * 5 + 1, Y * 7 + 1, 90)));
    return B;
}

struct ScrollerTest : ::testing::Test {
    void SetUp() override {
        Headless();
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 300, 240);
        S = new TQELImageScroller(Form);
        S->SetParent(Form);
        S->SetLeft(kLeft);
        S->SetTop(kTop);
        Form->Show();
        Settle();
    }
    void TearDown() override { delete Form; }
    void Settle() {
        for (int I = 0; I < 20 && HasPendingPaint(); ++I)
            Application->ProcessMessages();
    }
    TColor Screen(int X, int Y) { return RGBFromPixel(PixelAt(Form, kLeft + X, kTop + Y)); }
    // The control shows the strip shifted by (DX, DY), wrapping at the memory bitmap's size.
    void ExpectShifted(const TBitmap& Tile, int DX, int DY) {
        const int MW = S->MemoryWidth(), MH = S->MemoryHeight();
        auto& T = const_cast<TBitmap&>(Tile);
        for (int Y = 0; Y < S->Height(); ++Y)
            for (int X = 0; X < S->Width(); ++X) {
                const int MX = (X + DX) % MW, MY = (Y + DY) % MH;
                ASSERT_EQ(Screen(X, Y), ColorToRGB(T.Pixel(MX % T.Width(), MY % T.Height())))
                    << "at " << X << "," << Y << " shifted " << DX << "," << DY;
            }
    }
    TForm* Form = nullptr;
    TQELImageScroller* S = nullptr;
};

} // namespace

TEST_F(ScrollerTest, DefaultsAndTheOwnedTimer) {
    EXPECT_EQ(S->Width(), 100);
    EXPECT_EQ(S->Height(), 100);
    EXPECT_TRUE(S->ControlStyle().Contains(csFramed));
    EXPECT_TRUE(S->ControlStyle().Contains(csOpaque));
    EXPECT_FALSE(S->Scrolling());
    EXPECT_FALSE(S->Timer().Enabled());
    EXPECT_EQ(S->Timer().Interval(), 50);
    S->SetScrollInterval(70000);
    EXPECT_EQ(S->Timer().Interval(), 4464) << "the timer takes the low 16 bits";
    S->SetTextWindowLeft(-5);
    EXPECT_EQ(S->TextWindowLeft(), 10);
}

TEST_F(ScrollerTest, APictureIsTiledToCoverTheControl) {
    auto P = Picture(40, 30);
    S->SetBitmap(P.get());
    EXPECT_EQ(S->MemoryWidth(), 120);
    EXPECT_EQ(S->MemoryHeight(), 120);
    EXPECT_TRUE(S->PictureMode());
    Settle();
    ExpectShifted(*P, 0, 0);
    // A bigger picture is one tile.
    auto Big = Picture(130, 110);
    S->SetBitmap(Big.get());
    EXPECT_EQ(S->MemoryWidth(), 130);
    EXPECT_EQ(S->MemoryHeight(), 110);
}

TEST_F(ScrollerTest, KTicksMoveTheStripKStepsAndTheSeamDoesNotShow) {
    auto P = Picture(40, 30);
    S->SetBitmap(P.get());
    S->SetScrollStep(7);
    for (int K = 1; K <= 20; ++K) {
        S->MoveImage(nullptr);
        // 7 * K passes the end of the 120-pixel strip from K = 3 on: two pieces.
        const int Expected = 7 * K > 120 ? 7 * K - 120 : 7 * K;
        ASSERT_EQ(S->ScrollX(), Expected);
        if (K % 4 == 0 || K == 3 || K == 17) ExpectShifted(*P, S->ScrollX(), 0);
    }
    // After a whole strip's worth of single steps the picture is where it started.
    S->SetScrollDirection(kVertical);
    EXPECT_EQ(S->ScrollX(), 0);
    EXPECT_EQ(S->ScrollY(), 0);
    ExpectShifted(*P, 0, 0);
    S->SetScrollStep(1);
    for (int K = 0; K < 120; ++K)
        S->MoveImage(nullptr);
    EXPECT_EQ(S->ScrollY(), 120) << "the end position equals the start";
    ExpectShifted(*P, 0, 0);
    S->MoveImage(nullptr);
    EXPECT_EQ(S->ScrollY(), 1);
    ExpectShifted(*P, 0, 1);
}

TEST_F(ScrollerTest, InverseScrollingGoesBackAndNeverBelowZero) {
    auto P = Picture(40, 30);
    S->SetBitmap(P.get());
    S->SetScrollInverse(true);
    S->SetScrollStep(50);
    S->MoveImage(nullptr);
    EXPECT_EQ(S->ScrollX(), 70);
    ExpectShifted(*P, 70, 0);
    S->MoveImage(nullptr);
    S->MoveImage(nullptr);
    EXPECT_EQ(S->ScrollX(), 90);
    ExpectShifted(*P, 90, 0);
}

TEST_F(ScrollerTest, TheTimerDrivesItAndStoppingKeepsTheOffset) {
    auto P = Picture(40, 30);
    S->SetBitmap(P.get());
    S->SetScrollInterval(5);
    S->SetScrollStep(3);
    S->SetScrolling(true);
    ASSERT_TRUE(PumpUntil([&] { return S->ScrollX() >= 9; }));
    S->SetScrolling(false);
    Pump(20);
    const int At = S->ScrollX();
    EXPECT_EQ(At % 3, 0);
    Pump(40);
    EXPECT_EQ(S->ScrollX(), At) << "no step while stopped";
    Settle();
    ExpectShifted(*P, At, 0);
    S->SetScrolling(true);
    ASSERT_TRUE(PumpUntil([&] { return S->ScrollX() != At; }));
    S->SetScrolling(false);
    EXPECT_EQ(S->ScrollX(), At + 3 > 120 ? At + 3 - 120 : At + 3)
        << "it goes on from where it stopped";
}

TEST_F(ScrollerTest, TextScrollsWhenThereIsNoPictureAndAPictureWins) {
    S->SetColor(clYellow);
    EXPECT_FALSE(S->ParentColor());
    S->SetText("Hello");
    EXPECT_TRUE(S->TextMode());
    EXPECT_EQ(S->MemoryWidth(), 100);
    Settle();
    EXPECT_EQ(Screen(0, 0), ColorToRGB(clYellow));
    bool Ink = false;
    for (int X = 0; X < 100 && !Ink; ++X)
        Ink = Screen(X, 50) != ColorToRGB(clYellow);
    EXPECT_TRUE(Ink) << "the text is written across the middle";
    // A control of no size has no strip: a tick does nothing rather than looping.
    S->SetBounds(kLeft, kTop, 0, 0);
    EXPECT_EQ(S->MemoryWidth(), 0);
    S->MoveImage(nullptr);
    EXPECT_EQ(S->ScrollX(), 0);
    S->SetBounds(kLeft, kTop, 100, 100);
    auto P = Picture(40, 30);
    S->SetBitmap(P.get());
    EXPECT_TRUE(S->PictureMode());
    EXPECT_FALSE(S->TextMode());
    Settle();
    ExpectShifted(*P, 0, 0);
}

TEST_F(ScrollerTest, ParentCenterAutoSizeAndTextToCenter) {
    Form->SetClientWidth(300);
    Form->SetClientHeight(201);
    S->SetParentCenter(true);
    EXPECT_EQ(S->Left(), 100);
    EXPECT_EQ(S->Top(), 50); // 101 / 2 truncates
    auto P = Picture(40, 30);
    S->SetBitmap(P.get());
    S->SetAutoSize(true);
    EXPECT_EQ(S->Width(), 40);
    EXPECT_EQ(S->Height(), 30);
    EXPECT_EQ(S->MemoryWidth(), 40);
    S->SetAutoSize(false);
    S->SetBounds(0, 0, 100, 100);
    EXPECT_EQ(S->MemoryWidth(), 120) << "resizing rebuilds the strip";
    S->SetText("Wide text");
    const int Left = S->TextWindowLeft();
    EXPECT_GT(Left, 0);
    EXPECT_LT(Left, 50);
    S->SetTextWindowLeft(3);
    EXPECT_FALSE(S->TextToCenter());
    EXPECT_EQ(S->TextWindowLeft(), 3);
}

TEST_F(ScrollerTest, FormFileRoundTrip) {
    auto P = Picture(40, 30);
    S->SetName("Scroller1");
    S->SetBitmap(P.get());
    S->SetScrollStep(4);
    S->SetScrollDirection(kVertical);
    const std::string Text = ComponentToText(Form);
    EXPECT_EQ(Text.find("Width = 100"), std::string::npos) << Text;
    EXPECT_NE(Text.find("Scrolling = False"), std::string::npos) << Text;
    TStringStream In(Text);
    TForm Again(nullptr);
    ReadComponent(In, &Again);
    auto* R = Cast<TQELImageScroller>(Again.FindComponent("Scroller1"));
    ASSERT_TRUE(R);
    EXPECT_EQ(R->ScrollStep(), 4);
    EXPECT_EQ(R->ScrollDirection(), kVertical);
    EXPECT_EQ(R->MemoryHeight(), 120) << "Loaded builds the strip";
}

namespace {

TEST(ScrollerLifetime, FreedWhileItsTimerThreadRuns) {
    Headless();
    auto P = Picture(20, 20);
    for (int Round = 0; Round < 20; ++Round) {
        auto* F = new TForm(nullptr);
        auto* S = new TQELImageScroller(F);
        S->SetParent(F);
        S->SetBitmap(P.get());
        S->SetScrollInterval(1);
        S->SetScrolling(true);
        F->Show();
        PumpUntil([&] { return S->ScrollX() > Round % 3; }, 1000);
        delete F; // the worker may be asleep, about to synchronise or waiting to
        Pump(3);
    }
}

TEST(ScrollerLifetime, AFormFreedFromATickTakesItsScrollersWithIt) {
    Headless();
    auto P = Picture(20, 20);
    bool Freed = false;
    auto* F = new TForm(nullptr);
    auto* Destroyed = new TQELTimer32(F);
    for (int I = 0; I < 3; ++I) {
        auto* S = new TQELImageScroller(F);
        S->SetParent(F);
        S->SetBitmap(P.get());
        S->SetScrollInterval(1);
        S->SetScrolling(true);
    }
    F->Show();
    Destroyed->OnTimer = [&Freed, F](TObject*) {
        delete F;
        Freed = true;
    };
    Destroyed->SetInterval(15);
    ASSERT_TRUE(PumpUntil([&] { return Freed; }));
    Pump(20);
}

} // namespace
