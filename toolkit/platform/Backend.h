#pragma once
// What a window system has to offer the window layer: native top-level windows that show a
// software surface, input, cursors, pointer grabs and a picture of the screen. The headless
// backend keeps everything in memory and takes injected input; the X11 backend talks Xlib.
// Both paint from the same surfaces, so their pixels are identical.
#include "toolkit/core/Export.h"
#include "toolkit/graphics/Windows.h"
#include "toolkit/platform/MessageQueue.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

enum class TInputKind {
    MouseMove,
    MouseDown,
    MouseUp,
    KeyDown,
    KeyUp,
    Char,
    Close,
    Exposed,
    Moved,
    Wheel
};

struct TInputEvent {
    TInputKind Kind = TInputKind::MouseMove;
    HWND Window = 0;    // the top-level window the event belongs to (0: pointer position)
    int X = 0, Y = 0;   // screen coordinates for mouse events; new position for Moved
    int Button = 0;     // 1 left, 2 right, 3 middle
    int Key = 0;        // virtual key (KeyDown/KeyUp) or character code (Char)
    unsigned Shift = 0; // MK_SHIFT | MK_CONTROL, plus 0x10000 for Alt
    int WheelDelta = 0; // Wheel: 120 a notch, positive away from the user
    TRect Area;         // Expose: window coordinates
};
constexpr unsigned SHIFT_ALT = 0x10000;

class TBackend {
  public:
    virtual ~TBackend() = default;
    virtual const char* Name() const = 0;

    virtual int ScreenWidth() const = 0;
    virtual int ScreenHeight() const = 0;

    // Native part of a top-level window. Popup marks borderless override windows (hints,
    // splash screens, menus) that stay on top and take no focus.
    virtual void CreateNative(HWND Wnd, const TRect& ScreenRect, bool Popup, bool TopMost,
                              const std::string& Title) = 0;
    virtual void DestroyNative(HWND Wnd) = 0;
    virtual void ShowNative(HWND Wnd, bool Show) = 0;
    virtual void MoveNative(HWND Wnd, const TRect& ScreenRect) = 0;
    virtual void SetTitle(HWND Wnd, const std::string& Title) = 0;
    virtual void RaiseNative(HWND Wnd) = 0;
    // Shows Area (window coordinates) of the window's surface.
    virtual void Present(HWND Wnd, const TSurface& Surface, const TRect& Area) = 0;
    // Brings the presented pictures to the screen (one round trip at most).
    virtual void Flush() {}

    // Moves pending input into Out; never blocks.
    virtual void Poll(std::vector<TInputEvent>& Out) = 0;
    // File descriptor that becomes readable when input arrives (-1: none; the queue's
    // signal is enough).
    virtual int EventFd() const { return -1; }
    // How often the loop should poll when it is busy (ms; 0: never needed).
    virtual int PollPeriod() const { return 0; }
    // Before the loop sleeps on EventFd: sends what is buffered for the window system and
    // tells whether input already waits where the descriptor does not show it.
    virtual bool PrepareToWait() { return false; }

    virtual void SetCursorShape(HWND Wnd, std::uintptr_t Cursor) = 0;
    virtual void GrabPointer(HWND Wnd, bool Grab) = 0;
    virtual TPoint CursorPos() const = 0;
    virtual void WarpPointer(int X, int Y) = 0;

    // Reads the screen into Out; the window layer gives the top-level windows for backends
    // that compose the screen themselves.
    virtual void ReadScreen(TSurface& Out) = 0;
    // Shows what was drawn on a screen device context: the pixels of Screen marked in Drawn
    // (one byte a pixel, Screen's size) inside Area, over every window until they repaint.
    // False when the backend has no screen of its own but composes it from the windows; the
    // window layer then keeps the drawing in its composition.
    virtual bool PresentScreen(const TSurface& Screen, const std::vector<std::uint8_t>& Drawn,
                               const TRect& Area) {
        (void)Screen, (void)Drawn, (void)Area;
        return false;
    }

    // The clipboard, UTF-8 text. Where the window system has a clipboard of its own this is
    // it, so other programs paste what we copy and we paste what they copy.
    virtual void SetClipboardText(const std::string& Utf8) = 0;
    // nullopt when the clipboard holds no text (or its owner does not answer in time).
    virtual std::optional<std::string> ClipboardText() = 0;
    virtual bool ClipboardHasText() = 0;
    virtual void ClearClipboard() = 0;
};

// The backend chosen from QEL_BACKEND (headless | x11) or, without it, x11 when DISPLAY is
// set, else headless. Created on first use; when the display was asked for (DISPLAY set or
// QEL_BACKEND=x11) and cannot be opened or used, the call throws an Exception saying why.
TBackend& Backend();
// Replaces the backend (tests that need a particular one). Only while no window exists.
void SetBackend(std::unique_ptr<TBackend> B);
bool BackendChosen();

} // namespace qel

QEL_PUBLIC_END
