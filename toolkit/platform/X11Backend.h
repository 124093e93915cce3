#pragma once
// Xlib backend: real top-level windows showing the shared software surfaces with XPutImage,
// override-redirect popups for hints and splash screens, font cursors, pointer grabs and
// keyboard input with modifiers. GetDC(0) reads the root window back, and what is drawn
// on it goes onto the root window over every window. The clipboard is the
// CLIPBOARD selection, shared with every other X client.
#include "toolkit/core/Export.h"
#include "toolkit/platform/Backend.h"

#include <memory>
#include <string>

QEL_PUBLIC_BEGIN

namespace qel {

// The colour a visual with these channel widths shows for Rgb, widened back to 8 bits.
std::uint32_t X11ShownColour(std::uint32_t Rgb, int RedBits, int GreenBits, int BlueBits);

class TX11Backend : public TBackend {
  public:
    // nullptr when the display cannot be opened or offers no visual we can show our surfaces
    // on (TrueColor of 15, 16, 24 or 32 bits); Why, when given, then says which.
    static std::unique_ptr<TX11Backend> Open(const char* DisplayName, std::string* Why = nullptr);
    ~TX11Backend() override;
    const char* Name() const override { return "x11"; }

    int ScreenWidth() const override;
    int ScreenHeight() const override;
    void CreateNative(HWND Wnd, const TRect& R, bool Popup, bool TopMost,
                      const std::string& Title) override;
    void DestroyNative(HWND Wnd) override;
    void ShowNative(HWND Wnd, bool Show) override;
    void MoveNative(HWND Wnd, const TRect& R) override;
    void SetTitle(HWND Wnd, const std::string& Title) override;
    void RaiseNative(HWND Wnd) override;
    void Present(HWND Wnd, const TSurface& Surface, const TRect& Area) override;
    void Flush() override;
    void Poll(std::vector<TInputEvent>& Out) override;
    int EventFd() const override;
    int PollPeriod() const override { return 5; }
    bool PrepareToWait() override;
    void SetCursorShape(HWND Wnd, std::uintptr_t Cursor) override;
    void GrabPointer(HWND Wnd, bool Grab) override;
    TPoint CursorPos() const override;
    void WarpPointer(int X, int Y) override;
    void ReadScreen(TSurface& Out) override;
    bool PresentScreen(const TSurface& Screen, const std::vector<std::uint8_t>& Drawn,
                       const TRect& Area) override;
    void SetClipboardText(const std::string& Utf8) override;
    std::optional<std::string> ClipboardText() override;
    bool ClipboardHasText() override;
    void ClearClipboard() override;

    // The native window id of a top-level window (0 when none), for tests that read pixels
    // back from the server.
    unsigned long NativeWindow(HWND Wnd) const;
    // Reads a native window's pixels from the server.
    bool ReadWindow(HWND Wnd, TSurface& Out);
    // The depth of the visual our windows use (15, 16, 24 or 32).
    int VisualDepth() const;
    // The colour a window shows for Rgb: what the visual keeps of it, read back to 8 bits a
    // channel (Rgb itself on 24-bit visuals).
    std::uint32_t ShownColour(std::uint32_t Rgb) const;
    // Waits until the server has processed everything sent so far.
    void Sync();
    // How long to wait for another client's clipboard text (and each INCR chunk) and for its
    // list of targets.
    void SetClipboardTimeouts(int ReplyMs, int TargetsMs);
    // Clipboard text larger than this is refused when pasting (default 256 MB).
    void SetClipboardMaxBytes(std::size_t Bytes);

    struct TImpl;

  private:
    TX11Backend() = default;
    void SetTitle(HWND Wnd, const std::string& Title, unsigned long NativeWindow);
    void ImageToSurface(void* Image, TSurface& Out) const;
    std::unique_ptr<TImpl> P_;
};

} // namespace qel

QEL_PUBLIC_END
