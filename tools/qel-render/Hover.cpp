#include "Hover.h"

#include "toolkit/core/Exceptions.h"
#include "toolkit/platform/Headless.h"
#include "toolkit/platform/Window.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace qel::render {

namespace {

bool HintShowing() {
    const THintWindow* W = Application->HintWindow();
    return W && W->Visible() && W->HandleAllocated();
}

void FinishPainting() {
    for (int I = 0; I < 100 && HasPendingPaint(); ++I)
        Application->ProcessMessages();
    Application->ProcessMessages();
}

} // namespace

TSurface HoverPicture(TCustomForm& Form, const std::string& Name) {
    auto* Control = Cast<TControl>(Form.FindComponent(Name));
    if (!Control)
        throw EInvalidOperation("--hover: the form has no control named \"" + Name + "\"");
    if (!Control->Visible()) throw EInvalidOperation("--hover: \"" + Name + "\" is not visible");
    bool AnyHint = false;
    for (const TControl* C = Control; C && !AnyHint; C = C->Parent())
        AnyHint = !C->Hint().empty();
    if (!AnyHint)
        throw EInvalidOperation("--hover: no hint showed for \"" + Name + "\" (it has no Hint)");
    THeadlessBackend* Headless = HeadlessBackend();
    if (!Headless) throw EInvalidOperation("--hover needs the headless screen");

    const TPoint At = Control->ClientToScreen({Control->Width() / 2, Control->Height() / 2});
    Headless->MouseMove(At.X, At.Y);
    const auto Deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(std::max(0, Application->HintPause()) + 5000);
    // Polled: the hint pause is a loop timer, and so is everything it sets off.
    while (!HintShowing()) {
        if (std::chrono::steady_clock::now() > Deadline)
            throw EInvalidOperation("--hover: no hint showed for \"" + Name +
                                    "\" (it needs a Hint and ShowHint)");
        Application->ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    FinishPainting();

    const TPoint Origin = Form.ClientToScreen({0, 0});
    TRect Area{Origin.X, Origin.Y, Origin.X + Form.ClientWidth(), Origin.Y + Form.ClientHeight()};
    TRect HintRect;
    GetWindowRect(Application->HintWindow()->Handle(), &HintRect);
    Area.Left = std::max(0, std::min(Area.Left, HintRect.Left));
    Area.Top = std::max(0, std::min(Area.Top, HintRect.Top));
    Area.Right = std::min(Headless->ScreenWidth(), std::max(Area.Right, HintRect.Right));
    Area.Bottom = std::min(Headless->ScreenHeight(), std::max(Area.Bottom, HintRect.Bottom));
    if (Area.Right <= Area.Left || Area.Bottom <= Area.Top)
        throw EInvalidOperation("--hover: the form is off the screen");

    TSurface Screen;
    ReadScreen(Screen);
    TSurface Out;
    Out.Resize(Area.Width(), Area.Height());
    for (int Y = 0; Y < Out.Height; ++Y)
        for (int X = 0; X < Out.Width; ++X)
            Out.Set(X, Y, Screen.Get(Area.Left + X, Area.Top + Y));
    return Out;
}

} // namespace qel::render
