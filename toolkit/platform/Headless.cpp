#include "toolkit/platform/Headless.h"

#include "toolkit/platform/KeyMap.h"
#include "toolkit/platform/Window.h"

#include <cstdio>
#include <cstdlib>

namespace qel {

THeadlessBackend::THeadlessBackend() : W_(1024), H_(768) {
    if (const char* S = std::getenv("QEL_SCREEN")) {
        int W = 0, H = 0;
        if (std::sscanf(S, "%dx%d", &W, &H) == 2 && W > 0 && H > 0) W_ = W, H_ = H;
    }
}

THeadlessBackend::THeadlessBackend(int ScreenW, int ScreenH) : W_(ScreenW), H_(ScreenH) {}

void THeadlessBackend::Poll(std::vector<TInputEvent>& Out) {
    std::lock_guard L(Mu_);
    if (Pending_.empty()) return;
    for (const TInputEvent& E : Pending_) {
        if (E.Kind == TInputKind::MouseMove || E.Kind == TInputKind::MouseDown ||
            E.Kind == TInputKind::MouseUp)
            Pos_ = {E.X, E.Y};
        Out.push_back(E);
    }
    Pending_.clear();
}

void THeadlessBackend::ReadScreen(TSurface& Out) {
    ComposeScreen(Out, W_, H_);
}

void THeadlessBackend::Inject(const TInputEvent& E) {
    {
        std::lock_guard L(Mu_);
        Pending_.push_back(E);
    }
    TMessageQueue::Main().Signal();
}

void THeadlessBackend::MouseMove(int X, int Y, unsigned Shift) {
    TInputEvent E;
    E.Kind = TInputKind::MouseMove;
    E.X = X, E.Y = Y, E.Shift = Shift;
    Inject(E);
}
void THeadlessBackend::MouseDown(int Button, int X, int Y, unsigned Shift) {
    TInputEvent E;
    E.Kind = TInputKind::MouseDown;
    E.X = X, E.Y = Y, E.Button = Button, E.Shift = Shift;
    Inject(E);
}
void THeadlessBackend::MouseUp(int Button, int X, int Y, unsigned Shift) {
    TInputEvent E;
    E.Kind = TInputKind::MouseUp;
    E.X = X, E.Y = Y, E.Button = Button, E.Shift = Shift;
    Inject(E);
}
void THeadlessBackend::Wheel(int X, int Y, int Delta, unsigned Shift) {
    TInputEvent E;
    E.Kind = TInputKind::Wheel;
    E.X = X, E.Y = Y, E.Shift = Shift, E.WheelDelta = Delta;
    Inject(E);
}
void THeadlessBackend::Click(int X, int Y, int Button) {
    MouseMove(X, Y);
    MouseDown(Button, X, Y);
    MouseUp(Button, X, Y);
}
void THeadlessBackend::KeyDown(int Vk, unsigned Shift) {
    TInputEvent E;
    E.Kind = TInputKind::KeyDown;
    E.Key = Vk, E.Shift = Shift;
    Inject(E);
}
void THeadlessBackend::KeyUp(int Vk, unsigned Shift) {
    TInputEvent E;
    E.Kind = TInputKind::KeyUp;
    E.Key = Vk, E.Shift = Shift;
    Inject(E);
}
void THeadlessBackend::Key(int Vk, unsigned Shift, int Char) {
    KeyDown(Vk, Shift);
    if (Char) {
        TInputEvent E;
        E.Kind = TInputKind::Char;
        E.Key = Char, E.Shift = Shift;
        Inject(E);
    }
    KeyUp(Vk, Shift);
}
void THeadlessBackend::Type(const std::string& Text) {
    // Character codes are not key codes ('.' is VK_DELETE, '$' VK_HOME): each character is
    // typed with the key that produces it, so key handlers never see a navigation key.
    for (unsigned char C : Text) {
        TKeyStroke K = KeyStrokeForChar(C);
        unsigned Shift = K.Shift ? unsigned(MK_SHIFT) : 0u;
        if (!K.Vk) {
            TInputEvent E;
            E.Kind = TInputKind::Char;
            E.Key = K.Char;
            Inject(E);
            continue;
        }
        if (K.Shift) KeyDown(VK_SHIFT, Shift);
        Key(K.Vk, Shift, K.Char);
        if (K.Shift) KeyUp(VK_SHIFT, 0);
    }
}
void THeadlessBackend::CloseWindow(HWND Wnd) {
    TInputEvent E;
    E.Kind = TInputKind::Close;
    E.Window = Wnd;
    Inject(E);
}

THeadlessBackend* HeadlessBackend() {
    return dynamic_cast<THeadlessBackend*>(&Backend());
}

} // namespace qel
