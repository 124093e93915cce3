#include "toolkit/platform/Backend.h"
#include "toolkit/platform/WindowInternal.h"
#include "toolkit/platform/WindowMessages.h"

#include <algorithm>
#include <cstring>

namespace qel {

namespace wnd {

TWindowSystem& WS() {
    static TWindowSystem S;
    return S;
}

TWnd* Find(HWND H) {
    auto& M = WS().Windows;
    auto It = M.find(H);
    return It == M.end() ? nullptr : It->second.get();
}

bool Empty(const TRect& R) {
    return R.Right <= R.Left || R.Bottom <= R.Top;
}

TRect Intersect(const TRect& A, const TRect& B) {
    TRect R{std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right),
            std::min(A.Bottom, B.Bottom)};
    if (Empty(R)) return {};
    return R;
}
TRect Union(const TRect& A, const TRect& B) {
    if (Empty(A)) return B;
    if (Empty(B)) return A;
    return {std::min(A.Left, B.Left), std::min(A.Top, B.Top), std::max(A.Right, B.Right),
            std::max(A.Bottom, B.Bottom)};
}
TRect Offset(TRect R, int Dx, int Dy) {
    return {R.Left + Dx, R.Top + Dy, R.Right + Dx, R.Bottom + Dy};
}

// Width of the non-client frame: a border line and/or a sunken client edge.
int NcInset(const TWnd& W) {
    if (!W.Parent) return 0; // the window manager frames top-level windows
    int I = 0;
    if (W.Style & WS_BORDER) I += 1;
    if (W.ExStyle & WS_EX_CLIENTEDGE) I += 2;
    if (W.ExStyle & WS_EX_STATICEDGE) I += 1;
    return I;
}

TWnd* TopOf(TWnd* W) {
    while (W && W->Parent)
        W = Find(W->Parent);
    return W;
}

// Origin of the window rectangle in its top-level surface.
TPoint SurfaceOrigin(const TWnd& W) {
    if (!W.Parent) return {0, 0};
    const TWnd* P = Find(W.Parent);
    if (!P) return {0, 0};
    TPoint O = SurfaceOrigin(*P);
    int I = NcInset(*P);
    return {O.X + I + W.Rect.Left, O.Y + I + W.Rect.Top};
}
TPoint ClientSurfaceOrigin(const TWnd& W) {
    TPoint O = SurfaceOrigin(W);
    int I = NcInset(W);
    return {O.X + I, O.Y + I};
}
TRect WindowSurfaceRect(const TWnd& W) {
    TPoint O = SurfaceOrigin(W);
    return {O.X, O.Y, O.X + W.Rect.Width(), O.Y + W.Rect.Height()};
}
TRect ClientSurfaceRect(const TWnd& W) {
    TPoint O = ClientSurfaceOrigin(W);
    int I = NcInset(W);
    return {O.X, O.Y, O.X + std::max(0, W.Rect.Width() - 2 * I),
            O.Y + std::max(0, W.Rect.Height() - 2 * I)};
}
// Part of the window (whole or client) that ancestors leave visible, in surface coordinates.
TRect VisibleSurfaceRect(const TWnd& W, bool Client) {
    TRect R = Client ? ClientSurfaceRect(W) : WindowSurfaceRect(W);
    for (const TWnd* P = Find(W.Parent); P; P = Find(P->Parent)) {
        R = Intersect(R, ClientSurfaceRect(*P));
        if (!(P->Style & WS_VISIBLE)) return {};
    }
    if (!(W.Style & WS_VISIBLE)) return {};
    return R;
}

bool IsTopMostWnd(const TWnd& W) {
    return W.TopMost || W.Popup;
}

void RestackTopLevel(HWND H, bool ToTop) {
    auto& T = WS().TopLevels;
    std::erase(T, H);
    TWnd* W = Find(H);
    if (!W) return;
    if (!ToTop) {
        T.insert(T.begin(), H);
        return;
    }
    // Above every normal window; a normal window stays below the topmost ones.
    auto Pos = T.end();
    if (!IsTopMostWnd(*W))
        Pos = std::find_if(T.begin(), T.end(), [](HWND X) {
            TWnd* Y = Find(X);
            return Y && IsTopMostWnd(*Y);
        });
    T.insert(Pos, H);
}

void DestroyTree(HWND H) {
    TWnd* W = Find(H);
    if (!W) return;
    Send(W, WM_DESTROY, 0, 0);
    auto Kids = W->Children;
    for (auto It = Kids.rbegin(); It != Kids.rend(); ++It)
        DestroyTree(*It);
    W = Find(H);
    if (!W) return;
    auto& S = WS();
    if (S.Focus == H) S.Focus = 0;
    if (S.Capture == H) {
        S.Capture = 0;
        Backend().GrabPointer(H, false);
    }
    if (S.Active == H) S.Active = 0;
    if (S.LastDownWnd == H) S.LastDownWnd = 0;
    TMessageQueue::Main().RemovePostedFor(H);
    if (W->Parent) {
        if (TWnd* P = Find(W->Parent)) std::erase(P->Children, H);
    } else {
        std::erase(S.TopLevels, H);
        Backend().DestroyNative(H);
    }
    S.Windows.erase(H);
}

} // namespace wnd

using namespace wnd;

HWND CreateWindowQ(const TCreateWindowParams& P) {
    auto& S = WS();
    InstallHooks();
    auto W = std::make_unique<TWnd>();
    HWND H = S.NextHandle;
    S.NextHandle += 4;
    W->Handle = H;
    W->Parent = (P.Style & WS_CHILD) ? P.Parent : 0;
    W->Rect = Bounds(P.X, P.Y, std::max(0, P.Width), std::max(0, P.Height));
    W->Style = P.Style;
    W->ExStyle = P.ExStyle;
    W->ClassStyle = P.ClassStyle;
    W->ClassName = P.ClassName;
    W->Text = P.Caption;
    W->Target = P.Target;
    TWnd* Raw = W.get();
    if (W->Parent) {
        TWnd* Parent = Find(W->Parent);
        if (!Parent) return 0;
        Parent->Children.push_back(H);
        S.Windows.emplace(H, std::move(W));
        InvalidateSurfaceArea(*Raw, VisibleSurfaceRect(*Raw, false));
    } else {
        Raw->Surface = std::make_unique<TSurface>(Raw->Rect.Width(), Raw->Rect.Height(),
                                                  PixelFromRGB(GetSysColor(COLOR_BTNFACE)));
        Raw->Popup = (P.Style & WS_POPUP) && !(P.Style & WS_CAPTION);
        Raw->TopMost = (P.ExStyle & WS_EX_TOPMOST) != 0;
        S.Windows.emplace(H, std::move(W));
        RestackTopLevel(H, true);
        Backend().CreateNative(H, Raw->Rect, Raw->Popup, Raw->TopMost, Raw->Text);
        if (Raw->Style & WS_VISIBLE) {
            Backend().ShowNative(H, true);
            AddDirty(*Raw, {0, 0, Raw->Rect.Width(), Raw->Rect.Height()});
        }
    }
    return H;
}

BOOL DestroyWindow(HWND H) {
    TWnd* W = Find(H);
    if (!W) return FALSE;
    TRect Area = VisibleSurfaceRect(*W, false);
    TWnd* Top = W->Parent ? TopOf(W) : nullptr;
    HWND TopH = Top ? Top->Handle : 0;
    DestroyTree(H);
    if (TWnd* T = Find(TopH)) AddDirty(*T, Area);
    return TRUE;
}

BOOL IsWindow(HWND H) {
    return Find(H) ? TRUE : FALSE;
}

void SetWindowTarget(HWND H, TWindowTarget* Target) {
    if (TWnd* W = Find(H)) W->Target = Target;
}

BOOL ShowWindow(HWND H, int Cmd) {
    TWnd* W = Find(H);
    if (!W) return FALSE;
    bool Was = (W->Style & WS_VISIBLE) != 0;
    bool Show = Cmd != SW_HIDE;
    if (Was == Show) return Was;
    if (!Show) {
        TRect Area = VisibleSurfaceRect(*W, false);
        W->Style &= ~WS_VISIBLE;
        if (W->Parent)
            InvalidateSurfaceArea(*W, Area);
        else
            Backend().ShowNative(H, false);
        // A hidden window keeps neither focus nor capture.
        auto& S = WS();
        if (S.Focus && (S.Focus == H || IsChild(H, S.Focus))) S.Focus = 0;
        if (S.Capture && (S.Capture == H || IsChild(H, S.Capture))) ReleaseCapture();
    } else {
        W->Style |= WS_VISIBLE;
        if (W->Parent) {
            InvalidateSurfaceArea(*W, VisibleSurfaceRect(*W, false));
        } else {
            RestackTopLevel(H, true);
            Backend().ShowNative(H, true);
            AddDirty(*W, {0, 0, W->Rect.Width(), W->Rect.Height()});
            if (!W->Popup && Cmd != SW_SHOWNA && Cmd != SW_SHOWNOACTIVATE) SetActiveWindow(H);
        }
    }
    Send(W, WM_SHOWWINDOW, Show ? 1 : 0, 0);
    return Was;
}

BOOL IsWindowVisible(HWND H) {
    for (TWnd* W = Find(H); W; W = Find(W->Parent)) {
        if (!(W->Style & WS_VISIBLE)) return FALSE;
        if (!W->Parent) return TRUE;
    }
    return FALSE;
}

BOOL EnableWindow(HWND H, BOOL Enable) {
    TWnd* W = Find(H);
    if (!W) return FALSE;
    bool WasDisabled = (W->Style & WS_DISABLED) != 0;
    if (Enable)
        W->Style &= ~WS_DISABLED;
    else
        W->Style |= WS_DISABLED;
    if (WasDisabled == !Enable) return WasDisabled;
    if (!Enable) {
        auto& S = WS();
        if (S.Focus && (S.Focus == H || IsChild(H, S.Focus))) SetFocus(0);
        if (S.Capture == H) ReleaseCapture();
    }
    Send(W, WM_ENABLE, Enable ? 1 : 0, 0);
    return WasDisabled;
}

BOOL IsWindowEnabled(HWND H) {
    TWnd* W = Find(H);
    return W && !(W->Style & WS_DISABLED) ? TRUE : FALSE;
}

BOOL MoveWindow(HWND H, int X, int Y, int Wd, int Ht, BOOL Repaint) {
    return SetWindowPos(H, 0, X, Y, Wd, Ht,
                        SWP_NOZORDER | SWP_NOACTIVATE | (Repaint ? 0u : UINT(SWP_NOREDRAW)));
}

BOOL SetWindowPos(HWND H, HWND After, int X, int Y, int Wd, int Ht, UINT Flags) {
    TWnd* W = Find(H);
    if (!W) return FALSE;
    TRect Old = W->Rect;
    TRect New = Old;
    if (!(Flags & SWP_NOMOVE)) New = Bounds(X, Y, Old.Width(), Old.Height());
    if (!(Flags & SWP_NOSIZE))
        New.Right = New.Left + std::max(0, Wd), New.Bottom = New.Top + std::max(0, Ht);
    TRect OldArea = VisibleSurfaceRect(*W, false);
    W->Rect = New;
    if (!(Flags & SWP_NOZORDER)) {
        if (W->Parent) {
            TWnd* P = Find(W->Parent);
            auto& C = P->Children;
            std::erase(C, H);
            if (After == HWND_BOTTOM)
                C.insert(C.begin(), H);
            else if (After == HWND_TOP || After == HWND_TOPMOST || After == HWND_NOTOPMOST)
                C.push_back(H);
            else {
                auto It = std::find(C.begin(), C.end(), After);
                // "After" in the platform's sense: below that window (it is nearer the top).
                C.insert(It == C.end() ? C.end() : It, H);
            }
        } else {
            if (After == HWND_TOPMOST) W->TopMost = true;
            if (After == HWND_NOTOPMOST) W->TopMost = false;
            RestackTopLevel(H, After != HWND_BOTTOM);
            Backend().RaiseNative(H);
        }
        if (W->Parent) InvalidateSurfaceArea(*W, VisibleSurfaceRect(*W, false));
    }
    bool Moved = New.Left != Old.Left || New.Top != Old.Top;
    bool Sized = New.Width() != Old.Width() || New.Height() != Old.Height();
    if (Moved || Sized) {
        if (W->Parent) {
            if (!(Flags & SWP_NOREDRAW)) {
                InvalidateSurfaceArea(*W, OldArea);
                InvalidateSurfaceArea(*W, VisibleSurfaceRect(*W, false));
            }
        } else {
            if (Sized) {
                W->Surface->Resize(New.Width(), New.Height(),
                                   PixelFromRGB(GetSysColor(COLOR_BTNFACE)));
                W->Dirty.clear();
                AddDirty(*W, {0, 0, New.Width(), New.Height()});
            }
            Backend().MoveNative(H, New);
        }
        if (Moved) Send(W, WM_MOVE, 0, MAKELPARAM(New.Left, New.Top));
        if (Sized) {
            TRect C;
            GetClientRect(H, &C);
            Send(Find(H), WM_SIZE, SIZE_RESTORED, MAKELPARAM(C.Right, C.Bottom));
        }
    }
    if (Flags & SWP_SHOWWINDOW) ShowWindow(H, SW_SHOWNA);
    if (Flags & SWP_HIDEWINDOW) ShowWindow(H, SW_HIDE);
    return TRUE;
}

HWND GetParent(HWND H) {
    TWnd* W = Find(H);
    return W ? W->Parent : 0;
}

HWND SetParent(HWND H, HWND NewParent) {
    TWnd* W = Find(H);
    if (!W || !W->Parent || !Find(NewParent)) return 0;
    HWND Old = W->Parent;
    InvalidateSurfaceArea(*W, VisibleSurfaceRect(*W, false));
    std::erase(Find(Old)->Children, H);
    W->Parent = NewParent;
    Find(NewParent)->Children.push_back(H);
    InvalidateSurfaceArea(*W, VisibleSurfaceRect(*W, false));
    return Old;
}

BOOL IsChild(HWND Parent, HWND H) {
    for (TWnd* W = Find(H); W && W->Parent; W = Find(W->Parent))
        if (W->Parent == Parent) return TRUE;
    return FALSE;
}

HWND GetTopLevel(HWND H) {
    TWnd* T = TopOf(Find(H));
    return T ? T->Handle : 0;
}

std::vector<HWND> GetChildWindows(HWND H) {
    TWnd* W = Find(H);
    return W ? W->Children : std::vector<HWND>{};
}

LONG_PTR GetWindowLongA(HWND H, int Index) {
    TWnd* W = Find(H);
    if (!W) return 0;
    switch (Index) {
    case GWL_STYLE:
        return static_cast<LONG_PTR>(W->Style);
    case GWL_EXSTYLE:
        return static_cast<LONG_PTR>(W->ExStyle);
    case GWL_ID:
        return W->Id;
    default:
        return 0;
    }
}

LONG_PTR SetWindowLongA(HWND H, int Index, LONG_PTR Value) {
    TWnd* W = Find(H);
    if (!W) return 0;
    LONG_PTR Old = GetWindowLongA(H, Index);
    switch (Index) {
    case GWL_STYLE: {
        DWORD V = static_cast<DWORD>(Value);
        DWORD Keep = W->Style & (WS_VISIBLE | WS_DISABLED);
        W->Style = (V & ~(WS_VISIBLE | WS_DISABLED)) | Keep;
        break;
    }
    case GWL_EXSTYLE:
        W->ExStyle = static_cast<DWORD>(Value);
        break;
    case GWL_ID:
        W->Id = Value;
        break;
    default:
        break;
    }
    return Old;
}

int GetWindowTextA(HWND H, char* Buf, int Max) {
    TWnd* W = Find(H);
    if (!W || Max <= 0) return 0;
    int N = std::min<int>(Max - 1, static_cast<int>(W->Text.size()));
    std::memcpy(Buf, W->Text.data(), static_cast<std::size_t>(N));
    Buf[N] = 0;
    return N;
}

std::string GetWindowText(HWND H) {
    TWnd* W = Find(H);
    return W ? W->Text : std::string();
}

BOOL SetWindowTextA(HWND H, const char* Text) {
    TWnd* W = Find(H);
    if (!W) return FALSE;
    W->Text = Text ? Text : "";
    if (!W->Parent) Backend().SetTitle(H, W->Text);
    return TRUE;
}

const std::string& GetWindowClassName(HWND H) {
    static const std::string None;
    TWnd* W = Find(H);
    return W ? W->ClassName : None;
}

BOOL GetWindowRect(HWND H, TRect* R) {
    TWnd* W = Find(H);
    if (!W || !R) return FALSE;
    TWnd* Top = TopOf(W);
    TRect S = WindowSurfaceRect(*W);
    *R = Offset(S, Top->Rect.Left, Top->Rect.Top);
    return TRUE;
}

BOOL GetClientRect(HWND H, TRect* R) {
    TWnd* W = Find(H);
    if (!W || !R) return FALSE;
    int I = NcInset(*W);
    *R = {0, 0, std::max(0, W->Rect.Width() - 2 * I), std::max(0, W->Rect.Height() - 2 * I)};
    return TRUE;
}

BOOL ClientToScreen(HWND H, TPoint* P) {
    TWnd* W = Find(H);
    if (!W || !P) return FALSE;
    TWnd* Top = TopOf(W);
    TPoint O = ClientSurfaceOrigin(*W);
    P->X += O.X + Top->Rect.Left;
    P->Y += O.Y + Top->Rect.Top;
    return TRUE;
}

BOOL ScreenToClient(HWND H, TPoint* P) {
    TWnd* W = Find(H);
    if (!W || !P) return FALSE;
    TWnd* Top = TopOf(W);
    TPoint O = ClientSurfaceOrigin(*W);
    P->X -= O.X + Top->Rect.Left;
    P->Y -= O.Y + Top->Rect.Top;
    return TRUE;
}

HWND ChildWindowFromPoint(HWND Parent, TPoint Pt) {
    TWnd* W = Find(Parent);
    if (!W) return 0;
    for (auto It = W->Children.rbegin(); It != W->Children.rend(); ++It) {
        TWnd* C = Find(*It);
        if (!C || !(C->Style & WS_VISIBLE)) continue;
        if (Pt.X >= C->Rect.Left && Pt.X < C->Rect.Right && Pt.Y >= C->Rect.Top &&
            Pt.Y < C->Rect.Bottom) {
            if (C->Target && Send(C, WM_NCHITTEST, 0, MAKELPARAM(Pt.X, Pt.Y)) == HTTRANSPARENT)
                continue;
            return *It;
        }
    }
    return Parent;
}

HWND WindowFromPoint(TPoint P) {
    auto& S = WS();
    for (auto It = S.TopLevels.rbegin(); It != S.TopLevels.rend(); ++It) {
        TWnd* T = Find(*It);
        if (!T || !(T->Style & WS_VISIBLE)) continue;
        if (P.X < T->Rect.Left || P.X >= T->Rect.Right || P.Y < T->Rect.Top ||
            P.Y >= T->Rect.Bottom)
            continue;
        if (T->Target && Send(T, WM_NCHITTEST, 0, MAKELPARAM(P.X, P.Y)) == HTTRANSPARENT) continue;
        HWND H = *It;
        for (;;) {
            TPoint C = P;
            ScreenToClient(H, &C);
            HWND Next = ChildWindowFromPoint(H, C);
            if (Next == H) break;
            H = Next;
        }
        return H;
    }
    return 0;
}

} // namespace qel
