// The balloon on a real X server: a second client moves the real pointer onto a control, the
// balloon opens over the window, and the server shows the window below at the balloon's round
// corners (taken from the root window), not black. The balloon's pixels are the ones the
// headless screen gives for the same scene.
#include "tests/toolkit/controls/ControlsTestSupport.h"
#include "tests/toolkit/controls/XServerSupport.h"
#include "toolkit/controls/ExtCtrls.h"
#include "toolkit/platform/X11Backend.h"
#include "visual/QELTBackground.h"
#include "visual/QELTHint.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

// Xlib last: its macros (None, True, Status) would break the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

using namespace qel;
using namespace qel::test;

namespace {

constexpr TColor kFormColor = 0x336699;
constexpr TColor kInside = 0x22CC88;

// The balloon scene: a form of one colour with a hinted box, and a speech-bubble hint.
struct TScene {
    std::unique_ptr<TForm> Form;
    TPaintBox* Box = nullptr;
    TScene() : Form(std::make_unique<TForm>(nullptr)) {
        Form->SetBounds(60, 80, 400, 300);
        Form->SetColor(kFormColor);
        Box = new TPaintBox(Form.get());
        Box->SetParent(Form.get());
        Box->SetBounds(100, 150, 120, 50);
        Box->SetHint("Over the window");
        Box->SetShowHint(true);
        auto* Back = new TQELBackground(Form.get());
        Back->SetBackStyle(bSolidcolor);
        Back->SetSolidColor(kInside);
        auto* Hint = new TQELHint(Form.get());
        Hint->SetSpeechbubble(true);
        Hint->SetHintPauseTime(30);
        Hint->SetBackground(Back);
        Form->Show();
    }
    TPoint Pointer() const { return Box->ClientToScreen({30, 25}); }
};

TQELNewHint* ShownBalloon() {
    auto* W = Application->HintWindow();
    return W && W->Visible() && W->Is<TQELNewHint>() ? static_cast<TQELNewHint*>(W) : nullptr;
}

TColor RootPixel(Display* D, TPoint P) {
    XImage* I = XGetImage(D, DefaultRootWindow(D), P.X, P.Y, 1, 1, AllPlanes, ZPixmap);
    if (!I) return clNone;
    const unsigned long Px = XGetPixel(I, 0, 0);
    XDestroyImage(I);
    return RGBFromPixel(static_cast<std::uint32_t>(Px & 0xFFFFFF));
}

// What the server shows in an area of the screen, read from the root window.
TSurface RootArea(Display* D, const TRect& A) {
    TSurface S;
    XImage* I = XGetImage(D, DefaultRootWindow(D), A.Left, A.Top, static_cast<unsigned>(A.Width()),
                          static_cast<unsigned>(A.Height()), AllPlanes, ZPixmap);
    if (!I) return S;
    S.Resize(A.Width(), A.Height());
    for (int Y = 0; Y < A.Height(); ++Y)
        for (int X = 0; X < A.Width(); ++X)
            S.Set(X, Y, static_cast<std::uint32_t>(XGetPixel(I, X, Y)) & 0xFFFFFF);
    XDestroyImage(I);
    return S;
}

} // namespace

TEST(X11Hint, TheBalloonShowsTheWindowBelowAtItsCornersAndMatchesHeadless) {
    TXServer Server;
    QEL_NEED_X_SERVER(Server);
    auto X = TX11Backend::Open(Server.Display().c_str());
    ASSERT_TRUE(X) << "cannot open display " << Server.Display();
    TX11Backend* Xb = X.get();
    SetBackend(std::move(X));
    Display* Other = XOpenDisplay(Server.Display().c_str());
    ASSERT_NE(Other, nullptr);
    // The balloon stays until the test is done with it, however slowly the machine runs.
    Application->SetHintHidePause(60'000);
    TSurface OnServer;
    TRect Where;
    TPoint ServerOrigin;
    {
        XWarpPointer(Other, 0L, DefaultRootWindow(Other), 0, 0, 0, 0, 1000, 740);
        XFlush(Other);
        TScene Scene;
        Xb->Sync();
        Pump(100);
        const TPoint P = Scene.Pointer();
        XWarpPointer(Other, 0L, DefaultRootWindow(Other), 0, 0, 0, 0, P.X, P.Y);
        XFlush(Other);
        ASSERT_TRUE(PumpUntil([] { return ShownBalloon() != nullptr; }, 5000));
        TQELNewHint* W = ShownBalloon();
        Where = {W->Left(), W->Top(), W->Left() + W->Width(), W->Top() + W->Height()};
        ServerOrigin = Scene.Form->ClientOrigin();
        EXPECT_EQ(W->Direction(), dUpRight);
        auto Shows = [&](TPoint At, TColor Want) {
            return PumpUntil([&] {
                Xb->Sync();
                return RootPixel(Other, At) == ColorToRGB(Want);
            });
        };
        const int R = Where.Right - 1;
        EXPECT_TRUE(Shows({Where.Left, Where.Top}, kFormColor)) << "round top-left corner";
        EXPECT_TRUE(Shows({R - 6, Where.Top}, kFormColor)) << "round top-right corner";
        EXPECT_TRUE(Shows({R, Where.Bottom - 1}, kFormColor)) << "below the shadow";
        EXPECT_TRUE(Shows({R - 10, Where.Top + 4}, kInside)) << "the interior";
        EXPECT_NE(RootPixel(Other, {Where.Left + 1, Where.Top + 1}), clBlack);
        OnServer = RootArea(Other, Where);
        Application->CancelHint();
    }
    XCloseDisplay(Other);
    Pump();
    SetBackend(std::make_unique<THeadlessBackend>(1024, 768));

    // The same scene on the headless screen.
    Headless().MouseMove(1000, 740);
    {
        TScene Scene;
        Pump();
        const TPoint P = Scene.Pointer();
        Headless().MouseMove(P.X, P.Y);
        ASSERT_TRUE(PumpUntil([] { return ShownBalloon() != nullptr; }));
        Pump();
        TQELNewHint* W = ShownBalloon();
        ASSERT_NE(W, nullptr);
        ASSERT_EQ(W->Left() - Scene.Form->ClientOrigin().X, Where.Left - ServerOrigin.X);
        TSurface Here;
        ReadScreen(Here);
        ASSERT_EQ(W->Width(), OnServer.Width);
        ASSERT_EQ(W->Height(), OnServer.Height);
        int Different = 0;
        for (int Y = 0; Y < OnServer.Height; ++Y)
            for (int X = 0; X < OnServer.Width; ++X)
                Different += (Here.Get(W->Left() + X, W->Top() + Y) & 0xFFFFFF) !=
                             (OnServer.Get(X, Y) & 0xFFFFFF);
        EXPECT_EQ(Different, 0) << "pixels that differ between the server and headless";
        Application->CancelHint();
    }
    Headless().MouseMove(1000, 740);
    Pump();
    Application->SetHintHidePause(2500);
    Application->SetHintPause(500);
}
