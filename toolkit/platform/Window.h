#pragma once
// The emulated window system. Every control with a window gets an entry here: a handle, a
// parent, children in z-order (bottom first), a rectangle in its parent's client coordinates,
// styles and a target that receives its messages. Top-level windows own a software surface
// (the same for every backend); children draw into their top-level window's surface.
//
// Invalidated rectangles are merged per top-level window and painted once per loop turn
// (PaintPendingWindows); the backend then shows the changed part of the surface.
#include "toolkit/core/Export.h"
#include "toolkit/graphics/Windows.h"
#include "toolkit/platform/MessageQueue.h"

#include <string>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

using LONG_PTR = std::intptr_t;
using HCURSOR = std::uintptr_t;
using HINSTANCE = std::uintptr_t;
using ATOM = std::uint16_t;
using SHORT = std::int16_t;

// Window styles.
enum : DWORD {
    WS_OVERLAPPED = 0x00000000,
    WS_POPUP = 0x80000000,
    WS_CHILD = 0x40000000,
    WS_MINIMIZE = 0x20000000,
    WS_VISIBLE = 0x10000000,
    WS_DISABLED = 0x08000000,
    WS_CLIPSIBLINGS = 0x04000000,
    WS_CLIPCHILDREN = 0x02000000,
    WS_MAXIMIZE = 0x01000000,
    WS_CAPTION = 0x00C00000,
    WS_BORDER = 0x00800000,
    WS_DLGFRAME = 0x00400000,
    WS_VSCROLL = 0x00200000,
    WS_HSCROLL = 0x00100000,
    WS_SYSMENU = 0x00080000,
    WS_THICKFRAME = 0x00040000,
    WS_GROUP = 0x00020000,
    WS_TABSTOP = 0x00010000,
    WS_MINIMIZEBOX = 0x00020000,
    WS_MAXIMIZEBOX = 0x00010000,
    WS_OVERLAPPEDWINDOW = 0x00CF0000,
};
enum : DWORD {
    WS_EX_DLGMODALFRAME = 0x00000001,
    WS_EX_TOPMOST = 0x00000008,
    WS_EX_TRANSPARENT = 0x00000020,
    WS_EX_TOOLWINDOW = 0x00000080,
    WS_EX_WINDOWEDGE = 0x00000100,
    WS_EX_CLIENTEDGE = 0x00000200,
    WS_EX_CONTROLPARENT = 0x00010000,
    WS_EX_STATICEDGE = 0x00020000,
    WS_EX_APPWINDOW = 0x00040000,
};
// Class styles.
enum : UINT {
    CS_VREDRAW = 0x0001,
    CS_HREDRAW = 0x0002,
    CS_DBLCLKS = 0x0008,
    CS_OWNDC = 0x0020,
    CS_SAVEBITS = 0x0800,
};
// Button styles and messages.
enum : DWORD {
    BS_PUSHBUTTON = 0x0,
    BS_DEFPUSHBUTTON = 0x1,
    BS_CHECKBOX = 0x2,
    BS_AUTOCHECKBOX = 0x3,
    BS_RADIOBUTTON = 0x4,
    BS_3STATE = 0x5,
    BS_AUTO3STATE = 0x6,
    BS_GROUPBOX = 0x7,
    BS_AUTORADIOBUTTON = 0x9,
    BS_OWNERDRAW = 0xB,
    BS_TYPEMASK = 0xF,
    BS_LEFTTEXT = 0x20,
    BS_TEXT = 0x0,
    BS_ICON = 0x40,
    BS_BITMAP = 0x80,
    BS_PUSHLIKE = 0x1000,
    BS_MULTILINE = 0x2000,
    BS_NOTIFY = 0x4000,
    BS_FLAT = 0x8000,
};
enum : UINT {
    BST_UNCHECKED = 0,
    BST_CHECKED = 1,
    BST_INDETERMINATE = 2,
    BST_PUSHED = 4,
    BST_FOCUS = 8,
};
enum : UINT { IMAGE_BITMAP = 0, IMAGE_ICON = 1 };
enum : UINT { BN_CLICKED = 0, BN_DOUBLECLICKED = 5 };

// ShowWindow / SetWindowPos.
enum : int { SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_SHOWNOACTIVATE = 4, SW_SHOW = 5, SW_SHOWNA = 8 };
enum : UINT {
    SWP_NOSIZE = 0x0001,
    SWP_NOMOVE = 0x0002,
    SWP_NOZORDER = 0x0004,
    SWP_NOREDRAW = 0x0008,
    SWP_NOACTIVATE = 0x0010,
    SWP_FRAMECHANGED = 0x0020,
    SWP_SHOWWINDOW = 0x0040,
    SWP_HIDEWINDOW = 0x0080,
};
const HWND HWND_TOP = 0;
const HWND HWND_BOTTOM = 1;
const HWND HWND_TOPMOST = HWND(-1);
const HWND HWND_NOTOPMOST = HWND(-2);
// GetWindowLong.
enum : int { GWL_STYLE = -16, GWL_EXSTYLE = -20, GWL_ID = -12 };
// RedrawWindow.
enum : UINT {
    RDW_INVALIDATE = 0x0001,
    RDW_ERASE = 0x0004,
    RDW_ALLCHILDREN = 0x0080,
    RDW_UPDATENOW = 0x0100,
    RDW_FRAME = 0x0400,
};

// Hit-test results.
enum : int {
    HTERROR = -2,
    HTTRANSPARENT = -1,
    HTNOWHERE = 0,
    HTCLIENT = 1,
    HTCAPTION = 2,
    HTLEFT = 10,
    HTRIGHT = 11,
    HTBORDER = 18,
};

// Cursors: LoadCursorA(0, IDC_…) returns the IDC value itself as the cursor handle.
enum : std::uintptr_t {
    IDC_ARROW = 32512,
    IDC_IBEAM = 32513,
    IDC_WAIT = 32514,
    IDC_CROSS = 32515,
    IDC_UPARROW = 32516,
    IDC_SIZE = 32640,
    IDC_ICON = 32641,
    IDC_SIZENWSE = 32642,
    IDC_SIZENESW = 32643,
    IDC_SIZEWE = 32644,
    IDC_SIZENS = 32645,
    IDC_SIZEALL = 32646,
    IDC_NO = 32648,
    IDC_HAND = 32649,
    IDC_APPSTARTING = 32650,
    IDC_HELP = 32651,
    // Toolkit cursors that have no system equivalent.
    IDC_DRAG = 33001,
    IDC_HSPLIT = 33002,
    IDC_VSPLIT = 33003,
    IDC_MULTIDRAG = 33004,
    IDC_SQLWAIT = 33005,
    IDC_NODROP = 33006,
};
inline const char* MAKEINTRESOURCEA(std::uintptr_t Id) {
    return reinterpret_cast<const char*>(Id);
}

// Mouse key flags in WPARAM.
enum : WPARAM {
    MK_LBUTTON = 0x0001,
    MK_RBUTTON = 0x0002,
    MK_SHIFT = 0x0004,
    MK_CONTROL = 0x0008,
    MK_MBUTTON = 0x0010,
};

// Virtual keys.
enum : int {
    VK_LBUTTON = 0x01,
    VK_RBUTTON = 0x02,
    VK_CANCEL = 0x03,
    VK_MBUTTON = 0x04,
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_CLEAR = 0x0C,
    VK_RETURN = 0x0D,
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_MENU = 0x12,
    VK_PAUSE = 0x13,
    VK_CAPITAL = 0x14,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_PRIOR = 0x21,
    VK_NEXT = 0x22,
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_INSERT = 0x2D,
    VK_DELETE = 0x2E,
    VK_APPS = 0x5D, // the context-menu key
    VK_F1 = 0x70,
    VK_F2 = 0x71,
    VK_F3 = 0x72,
    VK_F4 = 0x73,
    VK_F5 = 0x74,
    VK_F6 = 0x75,
    VK_F7 = 0x76,
    VK_F8 = 0x77,
    VK_F9 = 0x78,
    VK_F10 = 0x79,
    VK_F11 = 0x7A,
    VK_F12 = 0x7B,
    // Punctuation keys of the US layout, named by position.
    VK_OEM_1 = 0xBA,      // ;:
    VK_OEM_PLUS = 0xBB,   // =+
    VK_OEM_COMMA = 0xBC,  // ,<
    VK_OEM_MINUS = 0xBD,  // -_
    VK_OEM_PERIOD = 0xBE, // .>
    VK_OEM_2 = 0xBF,      // /?
    VK_OEM_3 = 0xC0,      // `~
    VK_OEM_4 = 0xDB,      // [{
    VK_OEM_5 = 0xDC,      // \|
    VK_OEM_6 = 0xDD,      // ]}
    VK_OEM_7 = 0xDE,      // '"
};

// Packing of coordinates into LPARAM, signed 16-bit each.
constexpr LPARAM MAKELPARAM(int Lo, int Hi) {
    return static_cast<LPARAM>(static_cast<std::uint32_t>(static_cast<std::uint16_t>(Lo)) |
                               (static_cast<std::uint32_t>(static_cast<std::uint16_t>(Hi)) << 16));
}
constexpr int GET_X_LPARAM(LPARAM L) {
    return static_cast<SHORT>(L & 0xFFFF);
}
constexpr int GET_Y_LPARAM(LPARAM L) {
    return static_cast<SHORT>((L >> 16) & 0xFFFF);
}
constexpr WORD LOWORD(std::uintptr_t V) {
    return static_cast<WORD>(V & 0xFFFF);
}
constexpr WORD HIWORD(std::uintptr_t V) {
    return static_cast<WORD>((V >> 16) & 0xFFFF);
}

struct PAINTSTRUCT {
    HDC hdc = 0;
    BOOL fErase = FALSE;
    TRect rcPaint;
};

// Receives a window's messages (TWinControl implements it).
class TWindowTarget {
  public:
    virtual LRESULT WindowMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) = 0;

  protected:
    ~TWindowTarget() = default;
};

struct TCreateWindowParams {
    DWORD ExStyle = 0;
    std::string ClassName;
    std::string Caption;
    DWORD Style = 0;
    UINT ClassStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND Parent = 0;
    TWindowTarget* Target = nullptr;
};

// Creation and destruction. WM_CREATE is not sent (the target already knows); WM_DESTROY is,
// before the children are destroyed.
HWND CreateWindowQ(const TCreateWindowParams& P);
BOOL DestroyWindow(HWND Wnd);
BOOL IsWindow(HWND Wnd);
// Detaches the target so that no more messages reach it (the control is going away).
void SetWindowTarget(HWND Wnd, TWindowTarget* Target);

BOOL ShowWindow(HWND Wnd, int Cmd);
BOOL IsWindowVisible(HWND Wnd); // visible itself and every ancestor
BOOL EnableWindow(HWND Wnd, BOOL Enable);
BOOL IsWindowEnabled(HWND Wnd);
BOOL MoveWindow(HWND Wnd, int X, int Y, int W, int H, BOOL Repaint);
BOOL SetWindowPos(HWND Wnd, HWND InsertAfter, int X, int Y, int W, int H, UINT Flags);
HWND GetParent(HWND Wnd);
HWND SetParent(HWND Wnd, HWND NewParent);
BOOL IsChild(HWND Parent, HWND Wnd);
HWND GetTopLevel(HWND Wnd);
// Children bottom-first.
std::vector<HWND> GetChildWindows(HWND Wnd);
LONG_PTR GetWindowLongA(HWND Wnd, int Index);
LONG_PTR SetWindowLongA(HWND Wnd, int Index, LONG_PTR Value);
int GetWindowTextA(HWND Wnd, char* Buf, int Max);
std::string GetWindowText(HWND Wnd);
BOOL SetWindowTextA(HWND Wnd, const char* Text);
const std::string& GetWindowClassName(HWND Wnd);

BOOL GetWindowRect(HWND Wnd, TRect* R); // screen coordinates
BOOL GetClientRect(HWND Wnd, TRect* R);
BOOL ClientToScreen(HWND Wnd, TPoint* P);
BOOL ScreenToClient(HWND Wnd, TPoint* P);
// Topmost visible top-level window at a screen point, then its deepest visible child.
HWND WindowFromPoint(TPoint P);
HWND ChildWindowFromPoint(HWND Parent, TPoint ClientPt);

// Painting.
BOOL InvalidateRect(HWND Wnd, const TRect* R, BOOL Erase);
BOOL ValidateRect(HWND Wnd, const TRect* R);
BOOL UpdateWindow(HWND Wnd);
BOOL RedrawWindow(HWND Wnd, const TRect* R, HRGN Rgn, UINT Flags);
HDC BeginPaint(HWND Wnd, PAINTSTRUCT* Ps);
BOOL EndPaint(HWND Wnd, const PAINTSTRUCT* Ps);
// Paints every window with invalid parts; true when anything was painted.
bool PaintPendingWindows();
bool HasPendingPaint();
// The surface a top-level window draws into (tests, GetFormImage).
const TSurface* GetWindowSurface(HWND TopLevel);

// Messages.
LRESULT SendMessageA(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
inline LRESULT SendMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    return SendMessageA(Wnd, Msg, WParam, LParam);
}
BOOL PostMessageA(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
inline BOOL PostMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    return PostMessageA(Wnd, Msg, WParam, LParam);
}
// Delivers queued messages; true when any was.
bool DispatchPostedMessages();

// Focus, activation, capture.
HWND SetFocus(HWND Wnd);
HWND GetFocus();
HWND GetActiveWindow();
HWND SetActiveWindow(HWND Wnd);
HWND SetCapture(HWND Wnd);
HWND GetCapture();
BOOL ReleaseCapture();

// Cursor and keyboard state.
BOOL GetCursorPos(TPoint* P);
BOOL SetCursorPos(int X, int Y);
HCURSOR SetCursor(HCURSOR Cursor);
HCURSOR GetCursor();
HCURSOR LoadCursorA(HINSTANCE Instance, const char* Name);
SHORT GetKeyState(int VirtKey);
SHORT GetAsyncKeyState(int VirtKey);

// Screen.
int GetSystemMetrics(int Index);
enum : int { SM_CXSCREEN = 0, SM_CYSCREEN = 1, SM_CXDOUBLECLK = 36, SM_CYDOUBLECLK = 37 };
UINT GetDoubleClickTime();

// Reads the screen as the user sees it: the X server's root window, or the headless desktop
// with every visible top-level window composed over it.
void ReadScreen(TSurface& Out);
// The headless desktop: background colour plus the visible top-level windows, bottom first.
void ComposeScreen(TSurface& Out, int Width, int Height);
// Moves the backend's pending input into window messages; true when there was any.
bool PumpWindowInput();

} // namespace qel

QEL_PUBLIC_END
