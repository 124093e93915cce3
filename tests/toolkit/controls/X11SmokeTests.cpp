// The X11 backend shows exactly the pixels the headless backend draws: a form is rendered
// headless, then shown in a real window on an X server and read back with XGetImage.
#include "ControlsTestSupport.h"
#include "XServerSupport.h"
#include "toolkit/controls/ExtCtrls.h"
#include "toolkit/controls/StdCtrls.h"
#include "toolkit/platform/X11Backend.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

TForm* BuildForm() {
    auto* F = new TForm(nullptr);
    F->SetBounds(40, 30, 260, 170);
    F->SetCaption("smoke");
    auto* P = new TPanel(F);
    P->SetParent(F);
    P->SetBounds(8, 8, 244, 60);
    P->SetCaption("Panel caption");
    P->SetBevelInner(bvLowered);
    auto* L = new TLabel(F);
    L->SetParent(F);
    L->SetBounds(12, 80, 100, 16);
    L->SetCaption("&Label text");
    auto* B = new TButton(F);
    B->SetParent(F);
    B->SetBounds(150, 130, 75, 25);
    B->SetCaption("OK");
    B->SetDefault(true);
    auto* C = new TCheckBox(F);
    C->SetParent(F);
    C->SetBounds(12, 104, 120, 17);
    C->SetCaption("Check me");
    C->SetChecked(true);
    auto* Bv = new TBevel(F);
    Bv->SetParent(F);
    Bv->SetBounds(140, 80, 100, 40);
    return F;
}

TSurface Render(TForm* F) {
    F->Show();
    PumpUntil([] { return !HasPendingPaint(); });
    Pump();
    return *GetWindowSurface(F->Handle());
}

TEST(X11Smoke, RealWindowShowsTheHeadlessPixels) {
    TXServer Server;
    QEL_NEED_X_SERVER(Server);
    Headless();
    TForm* F = BuildForm();
    TSurface Expected = Render(F);
    delete F;
    Pump();

    auto X = TX11Backend::Open(Server.Display().c_str());
    ASSERT_TRUE(X) << "cannot open display " << Server.Display();
    TX11Backend* Xb = X.get();
    SetBackend(std::move(X));
    TSurface Got;
    bool Read = false;
    {
        F = BuildForm();
        TSurface Drawn = Render(F);
        EXPECT_EQ(Drawn.Pixels, Expected.Pixels) << "both backends draw the same surface";
        Xb->Sync();
        Pump(50);
        Xb->Sync();
        Read = Xb->ReadWindow(F->Handle(), Got);
        // The screen as GetDC(0) sees it holds the window too.
        TSurface Screen;
        ReadScreen(Screen);
        EXPECT_EQ(Screen.Get(40 + 5, 30 + 5), Expected.Get(5, 5));
        delete F;
        Pump();
    }
    SetBackend(std::make_unique<THeadlessBackend>(1024, 768));
    ASSERT_TRUE(Read);
    ASSERT_EQ(Got.Width, Expected.Width);
    ASSERT_EQ(Got.Height, Expected.Height);
    int Diff = 0;
    for (std::size_t I = 0; I < Got.Pixels.size(); ++I)
        if (Got.Pixels[I] != Expected.Pixels[I]) ++Diff;
    EXPECT_EQ(Diff, 0) << "pixels differ between the X window and the headless rendering";
}

} // namespace
