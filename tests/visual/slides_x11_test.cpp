// A transition on a real X server: the window shows it while it happens, not only its end.
#include "slide_effects_support.h"
#include "tests/toolkit/controls/ControlsTestSupport.h"
#include "tests/toolkit/controls/XServerSupport.h"
#include "toolkit/platform/Window.h"
#include "toolkit/platform/X11Backend.h"
#include "visual/QELTPresentation.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using namespace qel;
using namespace qel::test;

namespace {

// Red pixels of the presentation's area (at 10, 10, 200 x 150 of the form's window).
int RedPixels(const TSurface& S) {
    int N = 0;
    for (int Y = 10; Y < 160 && Y < S.Height; ++Y)
        for (int X = 10; X < 210 && X < S.Width; ++X)
            N += S.Get(X, Y) == 0xFF0000u;
    return N;
}

TEST(SlidesX11, TheWindowShowsTheTransitionWhileItRuns) {
    TXServer Server;
    QEL_NEED_X_SERVER(Server);
    Headless();
    auto X = TX11Backend::Open(Server.Display().c_str());
    ASSERT_TRUE(X) << "cannot open display " << Server.Display();
    TX11Backend* Xb = X.get();
    SetBackend(std::move(X));
    TSurface Start, Mid, End;
    bool ReadStart = false, ReadMid = false, ReadEnd = false;
    {
        auto F = std::make_unique<TForm>(nullptr);
        F->SetBorderStyle(bsNone);
        F->SetBounds(30, 30, 220, 170);
        F->SetColor(clBlue);
        auto* P = new TQELPresentation(F.get());
        P->SetParent(F.get());
        P->SetBounds(10, 10, 200, 150);
        P->SetColor(clBlue);
        P->SetParentColor(false);
        TQELSlide* S = P->Slides()->Add();
        S->SetStyle(2);
        S->SetEffect(efWipeTopToBottom);
        auto Red = MakeBitmap(200, 150);
        Fill(*Red, 0xFF0000);
        S->SetBitmap(Red.get());
        F->Show();
        PumpUntil([] { return !HasPendingPaint(); });
        Xb->Sync();
        Pump(30);
        ReadStart = Xb->ReadWindow(F->Handle(), Start);

        // A third of the way through, wait long enough for a frame to be due; a few hundred
        // cells later it has been shown.
        const int Third = 201 * 151 / 3;
        int Pumps = 0;
        auto Old = SetSlideEffectPumpHook([&] {
            ++Pumps;
            if (Pumps == Third) std::this_thread::sleep_for(std::chrono::milliseconds(25));
            if (Pumps == Third + 600) {
                Xb->Sync();
                ReadMid = Xb->ReadWindow(F->Handle(), Mid);
            }
        });
        P->DoOneSlide(0);
        SetSlideEffectPumpHook(Old);
        Pump(30);
        Xb->Sync();
        Pump(30);
        ReadEnd = Xb->ReadWindow(F->Handle(), End);
        F.reset();
        Pump();
    }
    SetBackend(std::make_unique<THeadlessBackend>(1024, 768));
    ASSERT_TRUE(ReadStart && ReadMid && ReadEnd);
    const int Area = 200 * 150;
    EXPECT_EQ(RedPixels(Start), 0);
    EXPECT_EQ(RedPixels(End), Area);
    const int During = RedPixels(Mid);
    EXPECT_GT(During, 0) << "the screen showed part of the new slide during the transition";
    EXPECT_LT(During, Area) << "and not yet all of it";
}

} // namespace
