// Every editor dialog the packages register, opened as the inspector opens it, shown once in a
// real X window: the X server holds exactly what the headless backend draws for it.
#include "FormDesigner.h"
#include "mail/QELTDsgInetMail.h"
#include "mail/QELTDsgMapiMail.h"
#include "tests/toolkit/controls/ControlsTestSupport.h"
#include "tests/toolkit/controls/XServerSupport.h"
#include "toolkit/controls/Dialogs.h"
#include "toolkit/platform/Window.h"
#include "toolkit/platform/X11Backend.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace qel;
using namespace qel::designer;
using namespace qel::test;

namespace {

struct TShot {
    std::string Dialog; // the dialog's class
    TSurface Drawn;     // its surface
    TSurface Window;    // read back from the X server
    bool Read = false;
};

bool Blank(const TSurface* S) {
    return !S || std::all_of(S->Pixels.begin(), S->Pixels.end(),
                             [&](std::uint32_t P) { return P == S->Pixels.front(); });
}

// Opens the editor of Path on a fresh form holding Class, takes the dialog's picture once it
// has painted and cancels it.
TShot Capture(const char* Class, const char* Path, TX11Backend* X) {
    TShot S;
    TFormDesigner D;
    D.LoadPackages(std::string(QEL_BINARY_DIR) + "/lib/qel/packages");
    D.Drop(Class, 8, 8);
    // Something in the fields, so a dialog that drew none of it would show.
    if (D.PropertyEditor("Hint")) D.SetProperty("Hint", "Short|Longer status text");
    if (D.PropertyEditor("Gradient.BeginColor")) D.SetProperty("Gradient.BeginColor", "clRed");
    int Timer = -1, Waits = 0;
    bool Taken = false;
    auto Old = SetDialogShownHook([&](TCustomForm* Dlg) {
        // The hook runs while the dialog is being shown: the picture is taken a moment later.
        Timer = TMessageQueue::Main().AddTimer(20, [&S, &Taken, &Waits, Dlg, X] {
            if (Taken) return;
            PumpUntil([] { return !HasPendingPaint(); });
            Pump();
            if (Blank(GetWindowSurface(Dlg->Handle())) && ++Waits < 250) return;
            Taken = true;
            S.Dialog = Dlg->ClassName();
            if (X) {
                X->Sync();
                Pump(50);
                X->Sync();
                S.Read = X->ReadWindow(Dlg->Handle(), S.Window);
            }
            if (const TSurface* Surface = GetWindowSurface(Dlg->Handle())) S.Drawn = *Surface;
            Dlg->SetModalResult(mrCancel);
        });
    });
    D.EditProperty(Path);
    if (Timer != -1) TMessageQueue::Main().RemoveTimer(Timer);
    SetDialogShownHook(Old);
    return S;
}

struct TCase {
    const char* Class;
    const char* Path;
    const char* Dialog;
};
const TCase Cases[] = {
    {"TQELLabel", "Caption", "TQELCaptionEditForm"},
    {"TQELIEButton", "Hint", "TQELHintEditForm"},
    {"TQELBackground", "Gradient.ColorsInBetween", "TColorSel"},
    {"TQELPresentation", "Slides", "TMultiptf"},
};

// The mail design windows are not modal: they stay open beside the designer until closed.
TShot CaptureWindow(const char* Class, const char* Path, TX11Backend* X) {
    TShot S;
    TFormDesigner D;
    D.LoadPackages(std::string(QEL_BINARY_DIR) + "/lib/qel/packages");
    D.Drop(Class, 8, 8);
    D.EditProperty(Path);
    TCustomForm* W = nullptr;
    PumpUntil([&W] {
        W = InetMailConfig();
        if (!W) W = MapiMailConfig();
        return W && !HasPendingPaint() && !Blank(GetWindowSurface(W->Handle()));
    });
    if (!W) return S;
    Pump();
    S.Dialog = W->ClassName();
    if (X) {
        X->Sync();
        Pump(50);
        X->Sync();
        S.Read = X->ReadWindow(W->Handle(), S.Window);
    }
    if (const TSurface* Surface = GetWindowSurface(W->Handle())) S.Drawn = *Surface;
    W->Close();
    Pump();
    return S;
}

const TCase WindowCases[] = {
    {"TQELSMTPMail", "Messages", "TInetMailConfig"},
    {"TQELMapiMail", "Messages", "TMapiMailConfig"},
};

void ExpectSamePixels(const std::vector<TShot>& Expected, const std::vector<TShot>& Got,
                      const TCase* Cases, std::size_t Count) {
    for (std::size_t I = 0; I < Count; ++I) {
        SCOPED_TRACE(Cases[I].Dialog);
        const TSurface& E = Expected[I].Drawn;
        EXPECT_EQ(Expected[I].Dialog, Cases[I].Dialog);
        ASSERT_GT(E.Width, 0) << "the dialog never showed";
        EXPECT_EQ(Got[I].Dialog, Cases[I].Dialog);
        EXPECT_EQ(Got[I].Drawn.Pixels, E.Pixels) << "both backends draw the same surface";
        ASSERT_TRUE(Got[I].Read) << "the window could not be read back";
        const TSurface& W = Got[I].Window;
        ASSERT_EQ(W.Width, E.Width);
        ASSERT_EQ(W.Height, E.Height);
        int Diff = 0, FirstX = -1, FirstY = -1;
        for (int Y = 0; Y < E.Height; ++Y)
            for (int Xp = 0; Xp < E.Width; ++Xp)
                if (W.Get(Xp, Y) != E.Get(Xp, Y) && Diff++ == 0) FirstX = Xp, FirstY = Y;
        EXPECT_EQ(Diff, 0) << "pixels differ between the X window and the headless rendering, "
                              "first at "
                           << FirstX << "," << FirstY;
    }
}

template <std::size_t N>
void ShowEachOnBothBackends(const TCase (&Cases)[N],
                            TShot (*Take)(const char*, const char*, TX11Backend*)) {
    TXServer Server;
    QEL_NEED_X_SERVER(Server);
    Headless();
    std::vector<TShot> Expected;
    for (const TCase& C : Cases)
        Expected.push_back(Take(C.Class, C.Path, nullptr));
    Pump();

    auto X = TX11Backend::Open(Server.Display().c_str());
    ASSERT_TRUE(X) << "cannot open display " << Server.Display();
    TX11Backend* Xb = X.get();
    SetBackend(std::move(X));
    std::vector<TShot> Got;
    for (const TCase& C : Cases)
        Got.push_back(Take(C.Class, C.Path, Xb));
    Pump();
    SetBackend(std::make_unique<THeadlessBackend>(1024, 768));
    ExpectSamePixels(Expected, Got, Cases, N);
}

} // namespace

TEST(DesignerDialogsX11, EachEditorDialogShowsTheHeadlessPixels) {
    ShowEachOnBothBackends(Cases, Capture);
}

TEST(DesignerDialogsX11, EachMailDesignWindowShowsTheHeadlessPixels) {
    ShowEachOnBothBackends(WindowCases, CaptureWindow);
}
