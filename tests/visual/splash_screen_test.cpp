// The splash screen: its window and picture, the start-up event while it is up, an early
// close, the minimum time across a wrap of the tick counter, and the application kept
// responsive meanwhile.
#include "slide_effects_support.h"
#include "tests/toolkit/controls/ControlsTestSupport.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/platform/MessageQueue.h"
#include "toolkit/platform/Window.h"
#include "visual/QELTSplashScreen.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

// A clock that only moves when Delay waits on it, starting just before the 32-bit wrap.
struct TFakeClock {
    std::uint32_t Now = 0xFFFFFFF0u;
    std::uint32_t Waited = 0;
    TQELSplashClock Old;
    TFakeClock() {
        Old = SetSplashClock({[this] { return Now; },
                              [this](std::uint32_t Ms) {
                                  Now += Ms;
                                  Waited += Ms;
                              }});
    }
    ~TFakeClock() { SetSplashClock(Old); }
};

struct Splash : ::testing::Test {
    std::unique_ptr<TForm> Owner;
    void SetUp() override {
        Headless();
        Owner = std::make_unique<TForm>(nullptr);
    }
};

TEST_F(Splash, DefaultsAndSetters) {
    TQELSplashScreen S(Owner.get());
    EXPECT_EQ(S.SplashWidth(), 300);
    EXPECT_EQ(S.SplashHeight(), 200);
    EXPECT_EQ(S.DelayInMsec(), 0);
    EXPECT_EQ(S.Borderwidth(), 2);
    EXPECT_FALSE(S.Screencenter());
    EXPECT_TRUE(S.Image()->Empty());
    EXPECT_EQ(S.OutsideFrame()->FrameStyle(), frameRaised);
    EXPECT_EQ(S.InsideFrame()->FrameStyle(), frameLowered);
    S.SetBorderwidth(-1);
    EXPECT_EQ(S.Borderwidth(), 2);
    S.SetDelayInMsec(-1);
    EXPECT_EQ(S.DelayInMsec(), 0);
    TComponent NotAForm(nullptr);
    EXPECT_THROW(TQELSplashScreen Bad(&NotAForm), EInvalidCast);
}

TEST_F(Splash, ShowsTheWindowWhileStartUpRunsThenCloses) {
    TFakeClock Clock;
    TQELSplashScreen S(Owner.get());
    S.SetSplashWidth(40);
    S.SetSplashHeight(30);
    S.OutsideFrame()->SetFrameStyle(frameNone);
    S.InsideFrame()->SetFrameStyle(frameNone);
    auto Img = MakeBitmap(10, 6);
    Fill(*Img, 0x123456);
    S.SetImage(Img.get());
    S.SetScreencenter(true);
    int Runs = 0, Done = 0;
    S.OnRun = [&](TObject* Sender) {
        ++Runs;
        ASSERT_EQ(Sender, SplashForm);
        EXPECT_TRUE(Go);
        EXPECT_TRUE(SplashForm->Visible());
        EXPECT_EQ(SplashForm->BorderStyle(), bsNone);
        EXPECT_EQ(SplashForm->FormStyle(), fsStayOnTop);
        EXPECT_EQ(SplashForm->Position(), poScreenCenter);
        EXPECT_EQ(SplashForm->Caption(), "SplashForm");
        EXPECT_EQ(SplashForm->ClientWidth(), 40);
        Pump();
        // Centred: (40 - 10) / 2 = 15, (30 - 6) / 2 = 12; outside it the fresh bitmap's black.
        EXPECT_EQ(PixelAt(SplashForm, 15, 12), 0x123456u);
        EXPECT_EQ(PixelAt(SplashForm, 24, 17), 0x123456u);
        EXPECT_EQ(PixelAt(SplashForm, 14, 12), 0u);
        EXPECT_EQ(PixelAt(SplashForm, 25, 18), 0u);
    };
    S.OnSplashDone = [&](TObject*) { ++Done; };
    S.Execute();
    EXPECT_EQ(Runs, 1);
    EXPECT_EQ(Done, 1);
    EXPECT_FALSE(Go);
    EXPECT_FALSE(SplashForm->Visible());
    EXPECT_EQ(Clock.Waited, 0u) << "no delay asked for";
}

TEST_F(Splash, PictureWithBackgroundLargeImageAndFrames) {
    TQELSplashScreen S(Owner.get());
    S.SetSplashWidth(30);
    S.SetSplashHeight(20);
    auto* Bg = new TQELBackground(Owner.get());
    Bg->SetBackStyle(bSolidcolor);
    Bg->SetSolidColor(clBlue);
    S.SetBackground(Bg);
    S.OutsideFrame()->SetFrameStyle(frameSolid);
    S.OutsideFrame()->SetSolid(clRed);
    S.InsideFrame()->SetFrameStyle(frameSolid);
    S.InsideFrame()->SetSolid(clLime);
    auto G = S.Compose();
    const TSurface* P = G->Surface();
    EXPECT_EQ(P->Get(1, 0), 0xFF0000u) << "outer frame";
    EXPECT_EQ(P->Get(1, 1), 0x0000FFu) << "background between the frames";
    EXPECT_EQ(P->Get(4, 3), 0x00FF00u) << "inner frame, one frame and the border width in";
    EXPECT_EQ(P->Get(15, 10), 0x0000FFu);

    auto Big = MakeSource(50, 40);
    S.SetImage(Big.get());
    S.OutsideFrame()->SetFrameStyle(frameNone);
    S.InsideFrame()->SetFrameStyle(frameNone);
    G = S.Compose();
    EXPECT_EQ(G->Surface()->Get(0, 0), SourcePixel(0, 0)) << "from the top-left corner";
    EXPECT_EQ(G->Surface()->Get(29, 19), SourcePixel(29, 19));
    delete Bg;
    EXPECT_EQ(S.Background(), nullptr);
}

TEST_F(Splash, CloseFromStartUpEndsItEarlyButTheDelayStillRuns) {
    TFakeClock Clock;
    TQELSplashScreen S(Owner.get());
    S.SetDelayInMsec(500);
    int Done = 0;
    S.OnRun = [&](TObject*) {
        TQELSplashScreen::Close();
        EXPECT_EQ(Done, 1);
        EXPECT_FALSE(SplashForm->Visible());
    };
    S.OnSplashDone = [&](TObject*) { ++Done; };
    S.Execute();
    EXPECT_EQ(Done, 1) << "closed once";
    EXPECT_GE(Clock.Waited, 500u);
}

TEST_F(Splash, TheDelaySurvivesTheTickCounterWrapping) {
    TFakeClock Clock;
    TQELSplashScreen::Delay(40);
    EXPECT_GE(Clock.Waited, 40u);
    EXPECT_LT(Clock.Waited, 60u);
    EXPECT_LT(Clock.Now, 0x100u) << "the counter wrapped during the wait";
}

TEST_F(Splash, TheApplicationKeepsWorkingDuringTheDelay) {
    int Ticks = 0;
    int Id = TMessageQueue::Main().AddTimer(2, [&] { ++Ticks; });
    TQELSplashScreen S(Owner.get());
    S.SetDelayInMsec(40);
    S.Execute();
    TMessageQueue::Main().RemoveTimer(Id);
    EXPECT_GE(Ticks, 3);
}

TEST_F(Splash, TheComponentFreedByItsOwnEvent) {
    TFakeClock Clock;
    auto* S = new TQELSplashScreen(Owner.get());
    S->SetDelayInMsec(30);
    S->OnRun = [&](TObject*) { delete S; };
    S->Execute();
    EXPECT_FALSE(Go);
    EXPECT_GE(Clock.Waited, 30u);
}

} // namespace
