// Every standard dialog shown in a real X window: what the X server holds is exactly what the
// headless backend draws for the same dialog.
#include "ControlsTestSupport.h"
#include "XServerSupport.h"
#include "toolkit/controls/ColorDialogs.h"
#include "toolkit/controls/Dialogs.h"
#include "toolkit/controls/FileDialogs.h"
#include "toolkit/platform/X11Backend.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace qel;
using namespace qel::test;
namespace fs = std::filesystem;

namespace {

struct TShot {
    TSurface Drawn;  // the dialog's surface
    TSurface Window; // read back from the X server
    bool Read = false;
};

bool Blank(const TSurface* S) {
    return !S || std::all_of(S->Pixels.begin(), S->Pixels.end(),
                             [&](std::uint32_t P) { return P == S->Pixels.front(); });
}

// Runs Show, which shows one dialog modally, and takes the dialog's picture once it is on
// screen and has painted; the dialog is then cancelled. The shown hook runs while the dialog
// is still being shown, so the picture is taken from the modal loop a moment later.
TShot Capture(const std::function<void()>& Show, TX11Backend* X) {
    TShot S;
    int Timer = -1;
    bool Taken = false;
    int Waits = 0;
    auto Old = SetDialogShownHook([&](TCustomForm* D) {
        Timer = TMessageQueue::Main().AddTimer(20, [&S, &Taken, &Waits, D, X] {
            if (Taken) return;
            // A loaded machine can run the timer before the dialog's first paint: come back
            // at the next tick until the surface shows more than its background colour.
            PumpUntil([] { return !HasPendingPaint(); });
            Pump();
            if (Blank(GetWindowSurface(D->Handle())) && ++Waits < 250) return;
            Taken = true;
            if (X) {
                X->Sync();
                Pump(50);
                X->Sync();
                S.Read = X->ReadWindow(D->Handle(), S.Window);
            }
            if (const TSurface* Surface = GetWindowSurface(D->Handle())) S.Drawn = *Surface;
            D->SetModalResult(mrCancel);
        });
    });
    Show();
    if (Timer != -1) TMessageQueue::Main().RemoveTimer(Timer);
    SetDialogShownHook(Old);
    return S;
}

struct TCase {
    const char* Name;
    std::function<void()> Show;
};

std::vector<TCase> Dialogs(const fs::path& Dir) {
    return {
        {"ShowMessage", [] { ShowMessage("The file has been saved."); }},
        {"MessageDlg",
         [] { MessageDlg("Save changes to the document?", mtConfirmation, mbYesNoCancel); }},
        {"TOpenDialog",
         [Dir] {
             TOpenDialog D(nullptr);
             D.SetInitialDir(Dir.string());
             D.SetFilter("Text files|*.txt|All files|*.*");
             D.Execute();
         }},
        {"TSaveDialog",
         [Dir] {
             TSaveDialog D(nullptr);
             D.SetInitialDir(Dir.string());
             D.SetFileName("report.txt");
             D.Execute();
         }},
        {"TColorDialog",
         [] {
             TColorDialog D(nullptr);
             D.SetColor(clTeal);
             D.Execute();
         }},
    };
}

TEST(X11Dialogs, EachDialogShowsTheHeadlessPixels) {
    TXServer Server;
    QEL_NEED_X_SERVER(Server);
    fs::path Dir = fs::temp_directory_path() / ("qel_x11dlg_" + std::to_string(::getpid()));
    fs::create_directories(Dir / "folder");
    std::ofstream(Dir / "notes.txt") << "n";
    std::ofstream(Dir / "data.log") << "d";

    Headless();
    std::vector<TShot> Expected;
    for (const TCase& C : Dialogs(Dir))
        Expected.push_back(Capture(C.Show, nullptr));
    Pump();

    auto X = TX11Backend::Open(Server.Display().c_str());
    ASSERT_TRUE(X) << "cannot open display " << Server.Display();
    TX11Backend* Xb = X.get();
    SetBackend(std::move(X));
    std::vector<TShot> Got;
    for (const TCase& C : Dialogs(Dir))
        Got.push_back(Capture(C.Show, Xb));
    Pump();
    SetBackend(std::make_unique<THeadlessBackend>(1024, 768));
    fs::remove_all(Dir);

    std::vector<TCase> Cases = Dialogs(Dir);
    for (std::size_t I = 0; I < Cases.size(); ++I) {
        SCOPED_TRACE(Cases[I].Name);
        const TSurface& E = Expected[I].Drawn;
        ASSERT_GT(E.Width, 0) << "the dialog never showed";
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

} // namespace
