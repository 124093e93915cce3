#include "toolkit/platform/Window.h"

#include "toolkit/core/ScopeGuard.h"
#include "toolkit/platform/Backend.h"
#include "toolkit/platform/ScreenDC.h"
#include "toolkit/platform/Thread.h"
#include "toolkit/platform/WindowMessages.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <deque>
#include <memory>
#include <unordered_map>

namespace qel {

namespace {

struct TWnd {
    HWND Handle = 0;
    HWND Parent = 0;
    std::vector<HWND> Children; // bottom first
    TRect Rect;                 // parent client coordinates (screen for top-level windows)
    DWORD Style = 0, ExStyle = 0;
    UINT ClassStyle = 0;
    std::string ClassName, Text;
    LONG_PTR Id = 0;
    TWindowTarget* Target = nullptr;
    // Top-level windows only.
    std::unique_ptr<TSurface> Surface;
    std::vector<TRect> Dirty; // surface coordinates, to paint
    TRect PresentArea;        // surface coordinates, painted but not yet shown
    bool Popup = false;
    bool TopMost = false;
    // While a paint of this window runs.
    HDC PaintDC = 0;
    TRect PaintRect;
};

struct TWindowSystem {
    std::unordered_map<HWND, std::unique_ptr<TWnd>> Windows;
    std::vector<HWND> TopLevels; // bottom first
    HWND NextHandle = 0x10000;
    HWND Focus = 0, Active = 0, Capture = 0;
    HCURSOR Cursor = IDC_ARROW;
    TPoint CursorPos;
    SHORT KeyState[256] = {};
    bool HooksInstalled = false;
    TSurface Screen;
    // Screen device contexts: how many are out, the picture their drawing is told apart from,
    // and whether something was drawn that is not shown yet.
    int ScreenDCs = 0;
    TSurface ScreenShown;
    bool ScreenPending = false;
    // Screen drawing kept over the windows of a composed (headless) screen until they repaint:
    // the pixels, and a byte a pixel saying which are drawn.
    TSurface Overlay;
    std::vector<std::uint8_t> OverlayMask;
    int PaintDepth = 0;
    // Double clicks.
    HWND LastDownWnd = 0;
    int LastDownButton = 0;
    TPoint LastDownPos;
    std::chrono::steady_clock::time_point LastDownTime;
    bool AnyPresentPending = false;
};

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

void AddDirty(TWnd& Top, const TRect& R0) {
    if (!Top.Surface) return;
    TRect R = Intersect(R0, TRect{0, 0, Top.Surface->Width, Top.Surface->Height});
    if (Empty(R)) return;
    auto& D = Top.Dirty;
    // Merge with any rectangle it touches; keep the list short by collapsing to the bounding
    // box when it grows.
    for (auto It = D.begin(); It != D.end();) {
        TRect U = Union(*It, R);
        bool Overlaps =
            !Empty(Intersect(TRect{It->Left - 1, It->Top - 1, It->Right + 1, It->Bottom + 1}, R));
        if (Overlaps) {
            R = U;
            It = D.erase(It);
        } else {
            ++It;
        }
    }
    D.push_back(R);
    if (D.size() > 16) {
        TRect B;
        for (const TRect& X : D)
            B = Union(B, X);
        D.assign(1, B);
    }
    TMessageQueue::Main().Signal();
}

void InvalidateSurfaceArea(TWnd& W, const TRect& SurfaceArea) {
    if (TWnd* Top = TopOf(&W)) AddDirty(*Top, SurfaceArea);
}

LRESULT Send(TWnd* W, UINT Msg, WPARAM Wp, LPARAM Lp) {
    if (!W || !W->Target) return 0;
    return W->Target->WindowMessage(W->Handle, Msg, Wp, Lp);
}

void NotifyPresent(TWnd& Top, const TRect& Area) {
    Top.PresentArea = Union(Top.PresentArea, Area);
    WS().AnyPresentPending = true;
}

// A window that shows itself again covers what was drawn on the screen over it.
void UncoverOverlay(const TRect& ScreenArea) {
    auto& S = WS();
    if (S.OverlayMask.empty()) return;
    const TRect A = Intersect(ScreenArea, {0, 0, S.Overlay.Width, S.Overlay.Height});
    for (int Y = A.Top; Y < A.Bottom; ++Y)
        std::fill_n(S.OverlayMask.begin() + static_cast<std::ptrdiff_t>(Y) * S.Overlay.Width +
                        A.Left,
                    A.Width(), std::uint8_t{0});
}

void FlushScreenDrawing() {
    auto& S = WS();
    S.ScreenPending = false;
    const TSurface& Now = S.Screen;
    const TSurface& Was = S.ScreenShown;
    const bool Same = Was.Width == Now.Width && Was.Height == Now.Height;
    std::vector<std::uint8_t> Drawn(Now.Pixels.size(), 0);
    TRect Area;
    for (int Y = 0; Y < Now.Height; ++Y) {
        const std::uint32_t* A = Now.Row(Y);
        const std::uint32_t* B = Same ? Was.Row(Y) : nullptr;
        for (int X = 0; X < Now.Width; ++X) {
            if (B && A[X] == B[X]) continue;
            Drawn[static_cast<std::size_t>(Y) * Now.Width + X] = 1;
            Area = Union(Area, {X, Y, X + 1, Y + 1});
        }
    }
    if (Empty(Area)) return;
    S.ScreenShown = Now;
    if (Backend().PresentScreen(Now, Drawn, Area)) return;
    if (S.Overlay.Width != Now.Width || S.Overlay.Height != Now.Height) {
        S.Overlay.Resize(Now.Width, Now.Height);
        S.OverlayMask.assign(Now.Pixels.size(), 0);
    }
    for (std::size_t I = 0; I < Drawn.size(); ++I)
        if (Drawn[I]) {
            S.Overlay.Pixels[I] = Now.Pixels[I];
            S.OverlayMask[I] = 1;
        }
}

void PresentPending() {
    auto& S = WS();
    if (!S.AnyPresentPending) return;
    S.AnyPresentPending = false;
    bool Any = false;
    for (HWND H : S.TopLevels) {
        TWnd* W = Find(H);
        if (!W || Empty(W->PresentArea) || !W->Surface) continue;
        if (W->Style & WS_VISIBLE) {
            Backend().Present(H, *W->Surface, W->PresentArea);
            UncoverOverlay(Offset(W->PresentArea, W->Rect.Left, W->Rect.Top));
            Any = true;
        }
        W->PresentArea = {};
    }
    // Drawn on the screen after the windows painted, so it shows over them.
    if (S.ScreenPending) FlushScreenDrawing();
    if (Any) Backend().Flush();
}

void InstallHooks() {
    auto& S = WS();
    if (S.HooksInstalled) return;
    S.HooksInstalled = true;
    SetWindowDCHooks(
        [](HWND H) -> HDC {
            if (H == 0) {
                auto& S = WS();
                // While a screen context is out the picture stays: reading the screen again
                // would wipe what is being drawn on it.
                if (S.ScreenDCs == 0) {
                    ReadScreen(S.Screen);
                    S.ScreenShown = S.Screen;
                }
                ++S.ScreenDCs;
                SetScreenSurface(&S.Screen);
                return CreateDCForSurface(&S.Screen);
            }
            TWnd* W = Find(H);
            TWnd* Top = TopOf(W);
            if (!W || !Top || !Top->Surface) return 0;
            TPoint O = ClientSurfaceOrigin(*W);
            TRect V = Offset(VisibleSurfaceRect(*W, true), -O.X, -O.Y);
            return CreateDCForSurface(Top->Surface.get(), O.X, O.Y, &V);
        },
        [](HWND H, HDC Dc) -> int {
            if (H == 0 && WS().ScreenDCs > 0 && GetDCSurface(Dc) == &WS().Screen) --WS().ScreenDCs;
            if (H != 0) {
                TWnd* W = Find(H);
                TWnd* Top = TopOf(W);
                // Whatever was drawn outside a paint goes to the screen on the next loop turn.
                if (W && Top && WS().PaintDepth == 0) {
                    NotifyPresent(*Top, VisibleSurfaceRect(*W, true));
                    TMessageQueue::Main().Signal();
                }
            }
            return DeleteDC(Dc) ? 1 : 0;
        });
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

} // namespace

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

BOOL InvalidateRect(HWND H, const TRect* R, BOOL Erase) {
    if (H == 0) {
        // The whole screen: every window of the application repaints, and drawing on the
        // screen goes with the picture under it.
        auto& S = WS();
        std::fill(S.OverlayMask.begin(), S.OverlayMask.end(), std::uint8_t{0});
        const auto Tops = S.TopLevels;
        for (HWND T : Tops)
            InvalidateRect(T, nullptr, Erase);
        TMessageQueue::Main().Signal();
        return TRUE;
    }
    TWnd* W = Find(H);
    if (!W) return FALSE;
    TRect Area = VisibleSurfaceRect(*W, true);
    if (R) {
        TPoint O = ClientSurfaceOrigin(*W);
        Area = Intersect(Area, Offset(*R, O.X, O.Y));
    }
    // Frames belong to the window too.
    if (!R && NcInset(*W)) Area = VisibleSurfaceRect(*W, false);
    InvalidateSurfaceArea(*W, Area);
    return TRUE;
}

BOOL ValidateRect(HWND H, const TRect*) {
    TWnd* W = Find(H);
    if (!W) return FALSE;
    if (!W->Parent) W->Dirty.clear();
    return TRUE;
}

BOOL RedrawWindow(HWND H, const TRect* R, HRGN, UINT Flags) {
    if (Flags & (RDW_INVALIDATE | RDW_FRAME)) InvalidateRect(H, R, TRUE);
    if (Flags & RDW_UPDATENOW) UpdateWindow(H);
    return TRUE;
}

HDC BeginPaint(HWND H, PAINTSTRUCT* Ps) {
    TWnd* W = Find(H);
    if (!W || !Ps) return 0;
    if (W->PaintDC) {
        Ps->hdc = W->PaintDC;
        Ps->rcPaint = W->PaintRect;
        Ps->fErase = FALSE;
        return W->PaintDC;
    }
    // Outside the loop's paint (a direct WM_PAINT): paint the whole visible client area.
    HDC Dc = GetDC(H);
    Ps->hdc = Dc;
    GetClientRect(H, &Ps->rcPaint);
    Ps->fErase = TRUE;
    return Dc;
}

BOOL EndPaint(HWND H, const PAINTSTRUCT* Ps) {
    TWnd* W = Find(H);
    if (!W || !Ps) return FALSE;
    if (W->PaintDC == Ps->hdc) return TRUE;
    ReleaseDC(H, Ps->hdc);
    return TRUE;
}

namespace {

void PaintFrame(TWnd& W, TSurface& Surf, const TRect& Clip) {
    int I = NcInset(W);
    if (!I) return;
    TPoint O = SurfaceOrigin(W);
    TRect V = Offset(Clip, -O.X, -O.Y);
    HDC Dc = CreateDCForSurface(&Surf, O.X, O.Y, &V);
    TRect R{0, 0, W.Rect.Width(), W.Rect.Height()};
    if (W.Style & WS_BORDER) {
        FrameRect(Dc, &R, GetSysColorBrush(COLOR_WINDOWFRAME));
        InflateRect(&R, -1, -1);
    }
    if (W.ExStyle & WS_EX_CLIENTEDGE) DrawEdge(Dc, &R, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    if (W.ExStyle & WS_EX_STATICEDGE) DrawEdge(Dc, &R, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    DeleteDC(Dc);
}

void PaintTree(HWND H, TSurface& Surf, const TRect& Area) {
    TWnd* W = Find(H);
    if (!W || !(W->Style & WS_VISIBLE)) return;
    TRect Vis = Intersect(VisibleSurfaceRect(*W, false), Area);
    if (Empty(Vis)) return;
    PaintFrame(*W, Surf, Vis);
    TRect ClientVis = Intersect(Vis, ClientSurfaceRect(*W));
    if (!Empty(ClientVis) && W->Target) {
        TPoint O = ClientSurfaceOrigin(*W);
        TRect V = Offset(ClientVis, -O.X, -O.Y);
        HDC Dc = CreateDCForSurface(&Surf, O.X, O.Y, &V);
        W->PaintDC = Dc;
        W->PaintRect = V;
        Send(W, WM_ERASEBKGND, Dc, 0);
        if ((W = Find(H))) {
            // The target may have changed the DC; give WM_PAINT the clean state.
            SetDCSurface(Dc, &Surf, O.X, O.Y, &V);
            Send(W, WM_PAINT, 0, 0);
        }
        if ((W = Find(H))) W->PaintDC = 0;
        DeleteDC(Dc);
    }
    W = Find(H);
    if (!W) return;
    auto Kids = W->Children;
    for (HWND C : Kids)
        PaintTree(C, Surf, Area);
}

void PaintTopLevel(TWnd& Top) {
    if (Top.Dirty.empty() || !Top.Surface) return;
    std::vector<TRect> Dirty;
    Dirty.swap(Top.Dirty);
    ++WS().PaintDepth;
    const TScopeExit Restore([&] { --WS().PaintDepth; });
    for (const TRect& R : Dirty) {
        PaintTree(Top.Handle, *Top.Surface, R);
        if (TWnd* T = Find(Top.Handle)) NotifyPresent(*T, R);
    }
}

} // namespace

BOOL UpdateWindow(HWND H) {
    TWnd* Top = TopOf(Find(H));
    if (!Top) return FALSE;
    if (!(Top->Style & WS_VISIBLE)) return TRUE;
    PaintTopLevel(*Top);
    PresentPending();
    return TRUE;
}

bool HasPendingPaint() {
    for (auto& [H, W] : WS().Windows)
        if (!W->Parent && !W->Dirty.empty() && (W->Style & WS_VISIBLE)) return true;
    return WS().AnyPresentPending;
}

bool PaintPendingWindows() {
    auto& S = WS();
    bool Any = false;
    auto Tops = S.TopLevels;
    for (HWND H : Tops) {
        TWnd* W = Find(H);
        if (!W || W->Dirty.empty() || !(W->Style & WS_VISIBLE)) continue;
        PaintTopLevel(*W);
        Any = true;
    }
    PresentPending();
    return Any;
}

const TSurface* GetWindowSurface(HWND H) {
    TWnd* W = Find(H);
    return W ? W->Surface.get() : nullptr;
}

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

void ReadScreen(TSurface& Out) {
    Backend().ReadScreen(Out);
}

void ScreenDrawn() {
    auto& S = WS();
    S.ScreenPending = true;
    S.AnyPresentPending = true;
    TMessageQueue::Main().Signal();
}

void PresentScreenDrawing() {
    if (WS().ScreenPending || WS().ScreenDCs > 0) FlushScreenDrawing();
    Backend().Flush();
}

int ScreenDCCount() {
    return WS().ScreenDCs;
}

// Composes the headless desktop: the background colour, every visible top-level window, and
// what was drawn on the screen over them since they last painted.
void ComposeScreen(TSurface& Out, int W, int H) {
    Out.Resize(W, H, PixelFromRGB(GetSysColor(COLOR_BACKGROUND)));
    for (HWND Hw : WS().TopLevels) {
        TWnd* T = Find(Hw);
        if (!T || !(T->Style & WS_VISIBLE) || !T->Surface) continue;
        const TSurface& S = *T->Surface;
        for (int Y = 0; Y < S.Height; ++Y) {
            int Sy = T->Rect.Top + Y;
            if (Sy < 0 || Sy >= H) continue;
            for (int X = 0; X < S.Width; ++X) {
                int Sx = T->Rect.Left + X;
                if (Sx >= 0 && Sx < W) Out.Set(Sx, Sy, S.Get(X, Y));
            }
        }
    }
    const auto& Sys = WS();
    if (Sys.Overlay.Width != Out.Width || Sys.Overlay.Height != Out.Height) return;
    for (std::size_t I = 0; I < Sys.OverlayMask.size(); ++I)
        if (Sys.OverlayMask[I]) Out.Pixels[I] = Sys.Overlay.Pixels[I];
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
