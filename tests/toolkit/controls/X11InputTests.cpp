// Input from a real X server reaches the controls as the headless tests inject it: events are
// sent to our window by a second connection, as the server would deliver them.
#include "ControlsTestSupport.h"
#include "XServerSupport.h"
#include "toolkit/controls/ListBox.h"
#include "toolkit/platform/X11Backend.h"

#include <cstdlib>
#include <gtest/gtest.h>

// Xlib last: its macros (None, True, Status) would break the headers above.
#include <X11/Xlib.h>
#include <X11/keysym.h>

using namespace qel;
using namespace qel::test;

namespace {

// Sends a button or key event to Win as if the server delivered it at screen point P.
void SendInput(Display* D, ::Window Win, int Type, unsigned Detail, TPoint P, TPoint InWindow) {
    XEvent E{};
    if (Type == ButtonPress || Type == ButtonRelease) {
        E.xbutton.type = Type;
        E.xbutton.display = D;
        E.xbutton.window = Win;
        E.xbutton.root = DefaultRootWindow(D);
        E.xbutton.x = InWindow.X, E.xbutton.y = InWindow.Y;
        E.xbutton.x_root = P.X, E.xbutton.y_root = P.Y;
        E.xbutton.button = Detail;
        E.xbutton.same_screen = True;
        XSendEvent(D, Win, False, Type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &E);
    } else {
        E.xkey.type = Type;
        E.xkey.display = D;
        E.xkey.window = Win;
        E.xkey.root = DefaultRootWindow(D);
        E.xkey.keycode = Detail;
        E.xkey.same_screen = True;
        XSendEvent(D, Win, False, Type == KeyPress ? KeyPressMask : KeyReleaseMask, &E);
    }
    XFlush(D);
}

TEST(X11Input, WheelClickAndMenuKeyReachTheControls) {
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
        F.SetBounds(40, 30, 300, 220);
        auto* List = new TListBox(&F);
        List->SetParent(&F);
        List->SetBounds(10, 10, 200, 164);
        List->SetItemHeight(16);
        for (int I = 0; I < 50; ++I)
            List->Items()->Add("item " + std::to_string(I));
        TPoint Asked{0, 0};
        List->OnContextPopup = [&](TObject*, TPoint P, bool& Handled) {
            Asked = P;
            Handled = true;
        };
        F.Show();
        Xb->Sync();
        Pump(50);
        auto Win = static_cast<::Window>(Xb->NativeWindow(F.Handle()));
        ASSERT_NE(Win, 0u);
        TPoint Screen = List->ClientToScreen({20, 20});
        TPoint InWindow = {Screen.X - F.Left(), Screen.Y - F.Top()};

        SendInput(Other, Win, ButtonPress, 5, Screen, InWindow);
        SendInput(Other, Win, ButtonRelease, 5, Screen, InWindow);
        EXPECT_TRUE(PumpUntil([&] { return List->TopIndex() == 3; }))
            << "button 5 is a notch towards the user: " << List->TopIndex();
        SendInput(Other, Win, ButtonPress, 4, Screen, InWindow);
        EXPECT_TRUE(PumpUntil([&] { return List->TopIndex() == 0; }));

        SendInput(Other, Win, ButtonPress, 1, Screen, InWindow);
        SendInput(Other, Win, ButtonRelease, 1, Screen, InWindow);
        EXPECT_TRUE(PumpUntil([&] { return List->ItemIndex() == 1; }))
            << "the click lands on the second item";

        List->SetFocus();
        Pump();
        unsigned MenuKey = XKeysymToKeycode(Other, XK_Menu);
        ASSERT_NE(MenuKey, 0u);
        SendInput(Other, Win, KeyPress, MenuKey, Screen, InWindow);
        SendInput(Other, Win, KeyRelease, MenuKey, Screen, InWindow);
        EXPECT_TRUE(PumpUntil([&] {
            return Asked == TPoint{-1, -1};
        })) << "the Menu key asks for the context menu from the keyboard";
    }
    XCloseDisplay(Other);
    Pump();
    SetBackend(std::make_unique<THeadlessBackend>(1024, 768));
}

} // namespace
