// Hovering and pressing a toolbar and an office button on a real X server: a second client
// moves the real pointer (the server sends the motion and crossing events) and presses the
// button, and the window's pixels, read back from the server, change as on the headless
// backend. Leaving the window ends the toolbar button's hover.
#include "ButtonsTestSupport.h"
#include "tests/toolkit/controls/XServerSupport.h"
#include "toolkit/platform/X11Backend.h"
#include "visual/QELTIEButton.h"
#include "visual/QELTOfficeButton.h"

#include <cstdlib>
#include <gtest/gtest.h>

// Xlib last: its macros (None, True, Status) would break the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

using namespace qel;
using namespace qel::test;

namespace {

void Warp(Display* D, TPoint P) {
    XWarpPointer(D, 0L, DefaultRootWindow(D), 0, 0, 0, 0, P.X, P.Y);
    XFlush(D);
}

void SendButton(Display* D, ::Window Win, bool Down, TPoint Screen, TPoint InWindow) {
    XEvent E{};
    E.xbutton.type = Down ? ButtonPress : ButtonRelease;
    E.xbutton.display = D;
    E.xbutton.window = Win;
    E.xbutton.root = DefaultRootWindow(D);
    E.xbutton.x = InWindow.X, E.xbutton.y = InWindow.Y;
    E.xbutton.x_root = Screen.X, E.xbutton.y_root = Screen.Y;
    E.xbutton.button = 1;
    E.xbutton.state = Down ? 0 : Button1Mask;
    E.xbutton.same_screen = 1;
    XSendEvent(D, Win, 0, Down ? ButtonPressMask : ButtonReleaseMask, &E);
    XFlush(D);
}

// The colour (TColor) the server shows at a point of the window.
TColor ServerPixel(Display* D, ::Window Win, TPoint InWindow) {
    XImage* I = XGetImage(D, Win, InWindow.X, InWindow.Y, 1, 1, AllPlanes, ZPixmap);
    if (!I) return clNone;
    const unsigned long P = XGetPixel(I, 0, 0);
    XDestroyImage(I);
    return RGBFromPixel(static_cast<std::uint32_t>(P & 0xFFFFFF));
}

} // namespace

TEST(X11Buttons, HoverAndPressChangeTheServersPixelsAsHeadless) {
    TXServer Server;
    QEL_NEED_X_SERVER(Server);
    auto X = TX11Backend::Open(Server.Display().c_str());
    ASSERT_TRUE(X) << "cannot open display " << Server.Display();
    TX11Backend* Xb = X.get();
    SetBackend(std::move(X));
    Display* Other = XOpenDisplay(Server.Display().c_str());
    ASSERT_NE(Other, nullptr);
    {
        TForm F(nullptr);
        F.SetBounds(40, 30, 300, 160);
        auto* Ie = new TQELIEButton(&F);
        Ie->SetParent(&F);
        Ie->SetBounds(10, 10, 80, 21);
        Ie->Setcaption("Tool");
        int IeClicks = 0;
        Ie->OnClick = [&](TObject*) { ++IeClicks; };
        auto* Of = new TQELOfficeButton(&F);
        Of->SetParent(&F);
        Of->SetBounds(10, 60, 130, 25);
        Of->Setcaption("Office");
        int OfClicks = 0;
        Of->OnClick = [&](TObject*) { ++OfClicks; };
        F.Show();
        Xb->Sync();
        Pump(50);
        auto Win = static_cast<::Window>(Xb->NativeWindow(F.Handle()));
        ASSERT_NE(Win, 0u);
        // A point of a control in the window's coordinates, and the server's colour there.
        auto InWindow = [&](TControl* C, int Px, int Py) {
            const TPoint S = C->ClientToScreen({Px, Py});
            return TPoint{S.X - F.Left(), S.Y - F.Top()};
        };
        auto Shows = [&](TControl* C, int Px, int Py, TColor Want) {
            return PumpUntil([&] {
                Xb->Sync();
                return ServerPixel(Other, Win, InWindow(C, Px, Py)) == ColorToRGB(Want);
            });
        };
        const TPoint IeAt = Ie->ClientToScreen({40, 10});
        const TPoint OfAt = Of->ClientToScreen({60, 12});

        EXPECT_TRUE(Shows(Ie, 0, 10, clBtnFace));
        Warp(Other, IeAt);
        EXPECT_TRUE(PumpUntil([&] { return Ie->Hot(); })) << "real motion over the button";
        EXPECT_TRUE(Shows(Ie, 0, 10, clBtnHighlight)) << "raised bevel on the server";
        SendButton(Other, Win, true, IeAt, InWindow(Ie, 40, 10));
        EXPECT_TRUE(PumpUntil([&] { return Ie->Pressed(); }));
        EXPECT_TRUE(Shows(Ie, 0, 10, clBtnShadow)) << "sunken while pressed";
        SendButton(Other, Win, false, IeAt, InWindow(Ie, 40, 10));
        EXPECT_TRUE(PumpUntil([&] { return IeClicks == 1; }));
        EXPECT_TRUE(Shows(Ie, 0, 10, clBtnFace));

        Warp(Other, OfAt);
        EXPECT_TRUE(PumpUntil([&] { return Of->Inside() && !Ie->Hot(); }));
        EXPECT_TRUE(Shows(Of, 12, 12, clTeal)) << "LED over the button";
        EXPECT_TRUE(Shows(Of, 2, 12, clBtnHighlight)) << "outline over the button";
        SendButton(Other, Win, true, OfAt, InWindow(Of, 60, 12));
        EXPECT_TRUE(PumpUntil([&] { return Of->Pressed(); }));
        EXPECT_TRUE(Shows(Of, 13, 13, clAqua)) << "LED pressed, one pixel lower right";
        SendButton(Other, Win, false, OfAt, InWindow(Of, 60, 12));
        EXPECT_TRUE(PumpUntil([&] { return OfClicks == 1 && !Of->Pressed(); }));
        EXPECT_TRUE(Shows(Of, 12, 12, clTeal));

        // Out of the window: the toolbar button holds a pointer grab while hot, so the server
        // reports the move outside and the hover ends.
        Warp(Other, {900, 700});
        Pump(50);
        Warp(Other, IeAt);
        EXPECT_TRUE(PumpUntil([&] { return Ie->Hot(); }));
        Warp(Other, {900, 700});
        EXPECT_TRUE(PumpUntil([&] { return !Ie->Hot(); }));
        EXPECT_TRUE(Shows(Ie, 0, 10, clBtnFace));
    }
    XCloseDisplay(Other);
    Pump();
    SetBackend(std::make_unique<THeadlessBackend>(1024, 768));
}
