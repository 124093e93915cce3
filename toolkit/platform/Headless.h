#pragma once
// A window system in memory: top-level windows are just their surfaces, the screen is a
// desktop of configurable size (QEL_SCREEN=WxH, default 1024x768) and input comes from the
// injection calls, which tests use to click, type and drag.
#include "toolkit/core/Export.h"
#include "toolkit/platform/Backend.h"

#include <mutex>

QEL_PUBLIC_BEGIN

namespace qel {

class THeadlessBackend : public TBackend {
  public:
    THeadlessBackend();
    THeadlessBackend(int ScreenW, int ScreenH);
    const char* Name() const override { return "headless"; }

    int ScreenWidth() const override { return W_; }
    int ScreenHeight() const override { return H_; }
    void SetScreenSize(int W, int H) { W_ = W, H_ = H; }

    void CreateNative(HWND, const TRect&, bool, bool, const std::string&) override {}
    void DestroyNative(HWND) override {}
    void ShowNative(HWND, bool) override {}
    void MoveNative(HWND, const TRect&) override {}
    void SetTitle(HWND, const std::string&) override {}
    void RaiseNative(HWND) override {}
    void Present(HWND, const TSurface&, const TRect&) override { ++Presents_; }
    void Poll(std::vector<TInputEvent>& Out) override;
    void SetCursorShape(HWND, std::uintptr_t C) override { Cursor_ = C; }
    void GrabPointer(HWND Wnd, bool Grab) override { Grab_ = Grab ? Wnd : 0; }
    TPoint CursorPos() const override { return Pos_; }
    void WarpPointer(int X, int Y) override { Pos_ = {X, Y}; }
    void ReadScreen(TSurface& Out) override;
    void SetClipboardText(const std::string& Utf8) override { Clip_ = Utf8; }
    std::optional<std::string> ClipboardText() override { return Clip_; }
    bool ClipboardHasText() override { return Clip_.has_value(); }
    void ClearClipboard() override { Clip_.reset(); }

    // Injected input, in screen coordinates. Safe from any thread.
    void Inject(const TInputEvent& E);
    void MouseMove(int X, int Y, unsigned Shift = 0);
    void MouseDown(int Button, int X, int Y, unsigned Shift = 0);
    void MouseUp(int Button, int X, int Y, unsigned Shift = 0);
    void Click(int X, int Y, int Button = 1);
    // Turns the wheel at (X, Y): 120 a notch, positive away from the user.
    void Wheel(int X, int Y, int Delta, unsigned Shift = 0);
    void KeyDown(int Vk, unsigned Shift = 0);
    void KeyUp(int Vk, unsigned Shift = 0);
    // KeyDown, the character it types (if any) and KeyUp.
    void Key(int Vk, unsigned Shift = 0, int Char = 0);
    void Type(const std::string& Text);
    void CloseWindow(HWND Wnd);

    std::uintptr_t CursorShape() const { return Cursor_; }
    HWND PointerGrab() const { return Grab_; }
    long Presents() const { return Presents_; }

  private:
    int W_, H_;
    TPoint Pos_;
    std::uintptr_t Cursor_ = 0;
    HWND Grab_ = 0;
    long Presents_ = 0;
    std::mutex Mu_;
    std::vector<TInputEvent> Pending_;
    std::optional<std::string> Clip_;
};

// The running backend if it is the headless one, else nullptr.
THeadlessBackend* HeadlessBackend();

} // namespace qel

QEL_PUBLIC_END
