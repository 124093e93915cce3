#pragma once
// The window system's own state, shared by its three parts: the window tree and its geometry
// (Window.cpp), invalidation, painting and the screen (WindowPaint.cpp), and messages, focus,
// capture and input (WindowInput.cpp). Not part of the toolkit's interface.
#include "toolkit/core/Export.h"
#include "toolkit/platform/Window.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel::wnd {

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

TWindowSystem& WS();
TWnd* Find(HWND H);
bool Empty(const TRect& R);
TRect Intersect(const TRect& A, const TRect& B);
TRect Union(const TRect& A, const TRect& B);
TRect Offset(TRect R, int Dx, int Dy);
// Width of the non-client frame: a border line and/or a sunken client edge.
int NcInset(const TWnd& W);
TWnd* TopOf(TWnd* W);
// Origin of the window rectangle in its top-level surface.
TPoint SurfaceOrigin(const TWnd& W);
TPoint ClientSurfaceOrigin(const TWnd& W);
TRect WindowSurfaceRect(const TWnd& W);
TRect ClientSurfaceRect(const TWnd& W);
// Part of the window (whole or client) that ancestors leave visible, in surface coordinates.
TRect VisibleSurfaceRect(const TWnd& W, bool Client);

// Queues part of a top-level surface for painting. Touching rectangles merge; past 16 the
// list collapses to its bounding box, so a storm of small invalidations stays cheap.
void AddDirty(TWnd& Top, const TRect& R0);
void InvalidateSurfaceArea(TWnd& W, const TRect& SurfaceArea);
void NotifyPresent(TWnd& Top, const TRect& Area);
// A window that shows itself again covers what was drawn on the screen over it.
void UncoverOverlay(const TRect& ScreenArea);
void FlushScreenDrawing();
void PresentPending();
void InstallHooks();

bool IsTopMostWnd(const TWnd& W);
void RestackTopLevel(HWND H, bool ToTop);
void DestroyTree(HWND H);
// Delivers a message to the window's target; 0 for a window that has none or is gone.
LRESULT Send(TWnd* W, UINT Msg, WPARAM Wp, LPARAM Lp);

} // namespace qel::wnd

QEL_PUBLIC_END
