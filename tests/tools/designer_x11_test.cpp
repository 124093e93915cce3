// The designer's window on a real X server, used by a second client as by a hand: it presses
// a palette button, carries the pointer onto the form and lets go, then grabs the new
// component and moves it. The form saved afterwards holds the component where it was put.
#include "DesignerWindow.h"
#include "FormSurface.h"
#include "PaletteView.h"
#include "tests/toolkit/controls/ControlsTestSupport.h"
#include "tests/toolkit/controls/XServerSupport.h"
#include "toolkit/controls/Buttons.h"
#include "toolkit/platform/X11Backend.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

// Xlib last: its macros (None, True, Status) would break the headers above.
#include <X11/Xlib.h>

using namespace qel;
using namespace qel::designer;
using namespace qel::test;

namespace {

namespace fs = std::filesystem;

// The second client: the real pointer moves (the server sends the motion), the buttons are
// sent to our window.
struct THand {
    Display* D;
    ::Window Win;
    TPoint Origin; // the window's top-left on the screen

    void MoveTo(TPoint P) const {
        XWarpPointer(D, 0L, DefaultRootWindow(D), 0, 0, 0, 0, P.X, P.Y);
        XFlush(D);
    }
    void Button(bool Down, TPoint P) const {
        XEvent E{};
        E.xbutton.type = Down ? ButtonPress : ButtonRelease;
        E.xbutton.display = D;
        E.xbutton.window = Win;
        E.xbutton.root = DefaultRootWindow(D);
        E.xbutton.x = P.X - Origin.X, E.xbutton.y = P.Y - Origin.Y;
        E.xbutton.x_root = P.X, E.xbutton.y_root = P.Y;
        E.xbutton.button = 1;
        E.xbutton.state = Down ? 0 : Button1Mask;
        E.xbutton.same_screen = 1;
        XSendEvent(D, Win, 0, Down ? ButtonPressMask : ButtonReleaseMask, &E);
        XFlush(D);
    }
    // Press at From, carry the pointer to To in steps, release there; Settled runs the loop
    // until the program has seen each step.
    template <class F> void Drag(TPoint From, TPoint To, F&& Settled) const {
        MoveTo(From);
        Settled();
        Button(true, From);
        Settled();
        for (int I = 1; I <= 5; ++I) {
            MoveTo({From.X + (To.X - From.X) * I / 5, From.Y + (To.Y - From.Y) * I / 5});
            Settled();
        }
        Button(false, To);
        Settled();
    }
};

TEST(DesignerX11, DragFromThePaletteOntoTheFormThenMoveIt) {
    TXServer Server;
    QEL_NEED_X_SERVER(Server);
    auto X = TX11Backend::Open(Server.Display().c_str());
    ASSERT_TRUE(X) << "cannot open display " << Server.Display();
    TX11Backend* Xb = X.get();
    SetBackend(std::move(X));
    Display* Other = XOpenDisplay(Server.Display().c_str());
    ASSERT_NE(Other, nullptr);
    fs::path File = fs::temp_directory_path() / ("qel-designer-x11-" + std::to_string(::getpid()));
    {
        TFormDesigner D;
        D.LoadPackages(std::string(QEL_BINARY_DIR) + "/lib/qel/packages");
        TDesignerWindow W(D);
        W.Show();
        Xb->Sync();
        Pump(50);
        THand Hand{Other, static_cast<::Window>(Xb->NativeWindow(W.Handle())), {W.Left(), W.Top()}};
        ASSERT_NE(Hand.Win, 0u);
        auto Settled = [&] {
            Xb->Sync();
            Pump(30);
        };
        TSpeedButton* Btn = W.Palette()->Button("TQELPanel");
        ASSERT_TRUE(Btn);
        TPoint From = Btn->ClientToScreen({Btn->Width() / 2, Btn->Height() / 2});
        Hand.Drag(From, D.Form()->ClientToScreen({90, 70}), Settled);
        EXPECT_TRUE(PumpUntil([&] { return D.Find("QELPanel1") != nullptr; }))
            << "dropped where the button was let go";
        auto* P = Cast<TControl>(D.Find("QELPanel1"));
        ASSERT_TRUE(P);
        EXPECT_EQ(P->Left(), 88);
        EXPECT_EQ(P->Top(), 72);
        EXPECT_EQ(W.Caption(), "qel-designer - Untitled *");

        // Grabbed by its inside and carried 60 right, 40 down.
        TPoint Grab = P->ClientToScreen({10, 10});
        Hand.Drag(Grab, {Grab.X + 60, Grab.Y + 40}, Settled);
        EXPECT_TRUE(PumpUntil([&] { return P->Left() == 152 && P->Top() == 112; }))
            << P->Left() << "," << P->Top();
        // The handles went along.
        TGrabHandle* Grip = W.Surface()->GrabHandle(3);
        TPoint Corner = D.Form()->ScreenToClient(Grip->ClientToScreen({3, 3}));
        EXPECT_EQ(Corner.X, P->Left() + P->Width());
        EXPECT_EQ(Corner.Y, P->Top() + P->Height());

        D.Save(File.string());
        std::ifstream In(File);
        std::string Text{std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
        EXPECT_NE(Text.find("object QELPanel1: TQELPanel\n    Left = 152\n    Top = 112\n"),
                  std::string::npos)
            << Text;
        // Saved: the close question does not come.
        EXPECT_TRUE(W.ConfirmClose());
    }
    fs::remove(File);
    XCloseDisplay(Other);
    Pump();
    SetBackend(std::make_unique<THeadlessBackend>(1024, 768));
}

} // namespace
