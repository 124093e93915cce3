#include "toolkit/core/ScopeGuard.h"
#include "toolkit/platform/Backend.h"
#include "toolkit/platform/ScreenDC.h"
#include "toolkit/platform/WindowMessages.h"
#include "toolkit/platform/WindowInternal.h"

#include <algorithm>

namespace qel {

namespace wnd {

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

} // namespace wnd

using namespace wnd;

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

} // namespace qel
