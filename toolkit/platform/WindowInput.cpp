#include "toolkit/platform/Backend.h"
#include "toolkit/platform/Thread.h"
#include "toolkit/platform/WindowInternal.h"
#include "toolkit/platform/WindowMessages.h"

#include <algorithm>
#include <chrono>
#include <deque>

namespace qel {

namespace wnd {

LRESULT Send(TWnd* W, UINT Msg, WPARAM Wp, LPARAM Lp) {
    if (!W || !W->Target) return 0;
    return W->Target->WindowMessage(W->Handle, Msg, Wp, Lp);
}

} // namespace wnd

using namespace wnd;

LRESULT SendMessageA(HWND H, UINT Msg, WPARAM Wp, LPARAM Lp) {
    return Send(Find(H), Msg, Wp, Lp);
}

BOOL PostMessageA(HWND H, UINT Msg, WPARAM Wp, LPARAM Lp) {
    TMessageQueue::Main().Post(TQueuedMessage{H, Msg, Wp, Lp});
    return TRUE;
}

bool DispatchPostedMessages() {
    auto& Q = TMessageQueue::Main();
    bool Any = false;
    // Only what was queued before we started, so a handler that posts again cannot starve the
    // rest of the loop.
    std::size_t Budget = 256;
    TQueuedMessage M;
    while (Budget-- && Q.TakePosted(M)) {
        Any = true;
        if (M.Msg == QM_FREETHREAD && M.Wnd == 0) {
            delete reinterpret_cast<TThread*>(M.LParam);
            continue;
        }
        Send(Find(M.Wnd), M.Msg, M.WParam, M.LParam);
    }
    return Any;
}

HWND SetFocus(HWND H) {
    auto& S = WS();
    HWND Old = S.Focus;
    if (H && !Find(H)) return Old;
    if (H == Old) return Old;
    S.Focus = H;
    if (Old) Send(Find(Old), WM_KILLFOCUS, H, 0);
    if (H && S.Focus == H) {
        HWND Top = GetTopLevel(H);
        if (Top != S.Active) {
            TWnd* T = Find(Top);
            if (T && !T->Popup) S.Active = Top;
        }
        Send(Find(H), WM_SETFOCUS, Old, 0);
    }
    return Old;
}

HWND GetFocus() {
    return WS().Focus;
}
HWND GetActiveWindow() {
    return WS().Active;
}

HWND SetActiveWindow(HWND H) {
    auto& S = WS();
    HWND Old = S.Active;
    if (H == Old || !Find(H)) return Old;
    S.Active = H;
    if (Old) Send(Find(Old), WM_ACTIVATE, 0, static_cast<LPARAM>(H));
    Send(Find(H), WM_ACTIVATE, 1, static_cast<LPARAM>(Old));
    return Old;
}

HWND SetCapture(HWND H) {
    auto& S = WS();
    HWND Old = S.Capture;
    if (!Find(H)) return Old;
    S.Capture = H;
    if (Old != H) {
        if (Old) Send(Find(Old), WM_CAPTURECHANGED, 0, static_cast<LPARAM>(H));
        Backend().GrabPointer(GetTopLevel(H), true);
    }
    return Old;
}

HWND GetCapture() {
    return WS().Capture;
}

BOOL ReleaseCapture() {
    auto& S = WS();
    HWND Old = S.Capture;
    if (!Old) return TRUE;
    S.Capture = 0;
    Backend().GrabPointer(GetTopLevel(Old), false);
    Send(Find(Old), WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

BOOL GetCursorPos(TPoint* P) {
    if (!P) return FALSE;
    *P = WS().CursorPos;
    return TRUE;
}

BOOL SetCursorPos(int X, int Y) {
    WS().CursorPos = {X, Y};
    Backend().WarpPointer(X, Y);
    return TRUE;
}

HCURSOR SetCursor(HCURSOR C) {
    auto& S = WS();
    HCURSOR Old = S.Cursor;
    if (C != Old) {
        S.Cursor = C;
        HWND Under = S.Capture ? S.Capture : WindowFromPoint(S.CursorPos);
        Backend().SetCursorShape(GetTopLevel(Under), C);
    }
    return Old;
}

HCURSOR GetCursor() {
    return WS().Cursor;
}

HCURSOR LoadCursorA(HINSTANCE, const char* Name) {
    auto Id = reinterpret_cast<std::uintptr_t>(Name);
    if (Id >= IDC_ARROW && Id <= IDC_NODROP) return Id;
    return 0;
}

SHORT GetKeyState(int K) {
    return (K >= 0 && K < 256) ? WS().KeyState[K] : 0;
}
SHORT GetAsyncKeyState(int K) {
    return GetKeyState(K);
}

int GetSystemMetrics(int Index) {
    switch (Index) {
    case SM_CXSCREEN:
        return Backend().ScreenWidth();
    case SM_CYSCREEN:
        return Backend().ScreenHeight();
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
        return 4;
    default:
        return 0;
    }
}

UINT GetDoubleClickTime() {
    return 500;
}

// ---- Input ----

namespace {

WPARAM MouseKeys(unsigned Shift) {
    auto& S = WS();
    WPARAM K = 0;
    if (S.KeyState[VK_LBUTTON] < 0) K |= MK_LBUTTON;
    if (S.KeyState[VK_RBUTTON] < 0) K |= MK_RBUTTON;
    if (S.KeyState[VK_MBUTTON] < 0) K |= MK_MBUTTON;
    if (Shift & MK_SHIFT) K |= MK_SHIFT;
    if (Shift & MK_CONTROL) K |= MK_CONTROL;
    return K;
}

void SetKeyDown(int Vk, bool Down) {
    if (Vk < 0 || Vk > 255) return;
    SHORT& K = WS().KeyState[Vk];
    if (Down)
        K = static_cast<SHORT>((K & 1) ^ 1) | static_cast<SHORT>(0x8000);
    else
        K = static_cast<SHORT>(K & 1);
}

void SyncModifiers(unsigned Shift) {
    SetKeyDown(VK_SHIFT, Shift & MK_SHIFT);
    SetKeyDown(VK_CONTROL, Shift & MK_CONTROL);
    SetKeyDown(VK_MENU, Shift & SHIFT_ALT);
}

HWND MouseTarget(TPoint P) {
    auto& S = WS();
    if (S.Capture) return S.Capture;
    HWND H = WindowFromPoint(P);
    // Disabled windows swallow the mouse (a modal loop disables the other forms).
    for (HWND X = H; X; X = GetParent(X))
        if (!IsWindowEnabled(X)) return 0;
    return H;
}

void DeliverMouse(UINT Msg, HWND Target, TPoint Screen, WPARAM Keys) {
    if (!Target) return;
    TPoint C = Screen;
    ScreenToClient(Target, &C);
    if (Msg == WM_MOUSEMOVE) {
        LRESULT Handled = Send(Find(Target), WM_SETCURSOR, Target, MAKELPARAM(HTCLIENT, Msg));
        if (!Handled) SetCursor(IDC_ARROW);
    }
    Send(Find(Target), Msg, Keys, MAKELPARAM(C.X, C.Y));
}

void HandleEvent(const TInputEvent& E) {
    auto& S = WS();
    switch (E.Kind) {
    case TInputKind::MouseMove: {
        S.CursorPos = {E.X, E.Y};
        SyncModifiers(E.Shift);
        DeliverMouse(WM_MOUSEMOVE, MouseTarget(S.CursorPos), S.CursorPos, MouseKeys(E.Shift));
        break;
    }
    case TInputKind::MouseDown:
    case TInputKind::MouseUp: {
        bool Down = E.Kind == TInputKind::MouseDown;
        S.CursorPos = {E.X, E.Y};
        SyncModifiers(E.Shift);
        int Vk = E.Button == 1 ? VK_LBUTTON : E.Button == 2 ? VK_RBUTTON : VK_MBUTTON;
        SetKeyDown(Vk, Down);
        HWND Target = MouseTarget(S.CursorPos);
        if (!Target) break;
        UINT Base = E.Button == 1   ? WM_LBUTTONDOWN
                    : E.Button == 2 ? WM_RBUTTONDOWN
                                    : WM_MBUTTONDOWN;
        UINT Msg = Down ? Base : Base + 1;
        if (Down) {
            HWND Top = GetTopLevel(Target);
            TWnd* T = Find(Top);
            if (T && !T->Popup) {
                SetActiveWindow(Top);
                RestackTopLevel(Top, true);
            }
            auto Now = std::chrono::steady_clock::now();
            TWnd* W = Find(Target);
            bool Dbl = W && (W->ClassStyle & CS_DBLCLKS) && S.LastDownWnd == Target &&
                       S.LastDownButton == E.Button && std::abs(S.LastDownPos.X - E.X) <= 4 &&
                       std::abs(S.LastDownPos.Y - E.Y) <= 4 &&
                       Now - S.LastDownTime <= std::chrono::milliseconds(GetDoubleClickTime());
            if (Dbl && Base != WM_MBUTTONDOWN) {
                Msg = Base + 2;
                S.LastDownWnd = 0;
            } else {
                S.LastDownWnd = Target;
                S.LastDownButton = E.Button;
                S.LastDownPos = {E.X, E.Y};
                S.LastDownTime = Now;
            }
        }
        DeliverMouse(Msg, Target, S.CursorPos, MouseKeys(E.Shift));
        break;
    }
    case TInputKind::Wheel: {
        // The window under the pointer (or holding the capture) scrolls, as users of pointer
        // driven desktops expect; its control hands what it does not take to its parents.
        S.CursorPos = {E.X, E.Y};
        SyncModifiers(E.Shift);
        HWND Target = MouseTarget(S.CursorPos);
        if (!Target) break;
        WPARAM Wp = (static_cast<WPARAM>(static_cast<WORD>(E.WheelDelta)) << 16) |
                    (MouseKeys(E.Shift) & 0xFFFF);
        Send(Find(Target), WM_MOUSEWHEEL, Wp, MAKELPARAM(E.X, E.Y));
        break;
    }
    case TInputKind::KeyDown:
    case TInputKind::KeyUp: {
        bool Down = E.Kind == TInputKind::KeyDown;
        SyncModifiers(E.Shift);
        SetKeyDown(E.Key, Down);
        HWND Target = S.Focus ? S.Focus : S.Active;
        if (!Target) break;
        bool Alt = (E.Shift & SHIFT_ALT) != 0;
        UINT Msg = Down ? (Alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (Alt ? WM_SYSKEYUP : WM_KEYUP);
        LPARAM Lp = Alt ? (LPARAM(1) << 29) : 0;
        if (!Down) Lp |= LPARAM(3) << 30;
        Send(Find(Target), Msg, static_cast<WPARAM>(E.Key), Lp | 1);
        break;
    }
    case TInputKind::Char: {
        HWND Target = S.Focus ? S.Focus : S.Active;
        if (!Target) break;
        bool Alt = (E.Shift & SHIFT_ALT) != 0;
        Send(Find(Target), Alt ? WM_SYSCHAR : WM_CHAR, static_cast<WPARAM>(E.Key),
             Alt ? (LPARAM(1) << 29) | 1 : 1);
        break;
    }
    case TInputKind::Close:
        Send(Find(E.Window), WM_CLOSE, 0, 0);
        break;
    case TInputKind::Exposed: {
        TWnd* W = Find(E.Window);
        if (W && !W->Parent) NotifyPresent(*W, E.Area);
        break;
    }
    case TInputKind::Moved: {
        TWnd* W = Find(E.Window);
        if (!W || W->Parent) break;
        TRect N = E.Area;
        if (N == W->Rect) break;
        // The window manager moved or sized the window: follow without telling it back.
        bool Sized = N.Width() != W->Rect.Width() || N.Height() != W->Rect.Height();
        W->Rect = N;
        if (Sized) {
            W->Surface->Resize(N.Width(), N.Height(), PixelFromRGB(GetSysColor(COLOR_BTNFACE)));
            W->Dirty.clear();
            AddDirty(*W, {0, 0, N.Width(), N.Height()});
            Send(W, WM_SIZE, SIZE_RESTORED, MAKELPARAM(N.Width(), N.Height()));
        }
        if ((W = Find(E.Window))) Send(W, WM_MOVE, 0, MAKELPARAM(N.Left, N.Top));
        break;
    }
    }
}

} // namespace

bool PumpWindowInput() {
    if (!BackendChosen() && WS().Windows.empty()) return false;
    // Events are taken off the queue one at a time, before they are handled: a modal loop
    // started by one event pumps the rest of the batch itself (a click on the dialog it
    // opened), and what it leaves behind is still here for the loop that resumes.
    static std::deque<TInputEvent> Queue;
    {
        std::vector<TInputEvent> Polled;
        Backend().Poll(Polled);
        Queue.insert(Queue.end(), Polled.begin(), Polled.end());
    }
    if (Queue.empty()) return false;
    struct TResignal {
        ~TResignal() {
            // A handler that threw leaves the rest queued; make sure the loop comes back.
            if (!Queue.empty()) TMessageQueue::Main().Signal();
        }
    } Resignal;
    while (!Queue.empty()) {
        TInputEvent E = Queue.front();
        Queue.pop_front();
        HandleEvent(E);
    }
    return true;
}

} // namespace qel
