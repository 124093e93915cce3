#include "toolkit/platform/X11Backend.h"

#include "toolkit/platform/KeyMap.h"
#include "toolkit/platform/Window.h"
#include "toolkit/platform/X11Selection.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/keysym.h>
#include <algorithm>
#include <cstring>
#include <map>

namespace qel {

struct TX11Backend::TImpl {
    Display* Dpy = nullptr;
    int Screen = 0;
    ::Window Root = 0;
    Visual* Vis = nullptr;
    int Depth = 0;
    GC Gc = nullptr;
    Atom WmDelete = 0, WmProtocols = 0, NetWmState = 0, NetWmStateAbove = 0;
    std::map<HWND, ::Window> Native;
    std::map<::Window, HWND> Back;
    std::map<std::uintptr_t, Cursor> Cursors;
    std::uintptr_t CurrentCursor = 0;
    std::unique_ptr<TX11Selection> Selection;
    // Events the selection code left queued while it waited have to reach the loop even
    // though the connection's descriptor does not show them.
    void WakeLoopForQueued() {
        if (XQLength(Dpy) > 0) TMessageQueue::Main().Signal();
    }
};

namespace {
int IgnoreXErrors(Display*, XErrorEvent*) {
    return 0;
}

int KeySymToVk(KeySym K) {
    if (K >= XK_a && K <= XK_z) return static_cast<int>(K - XK_a + 'A');
    if (K >= XK_A && K <= XK_Z) return static_cast<int>(K - XK_A + 'A');
    if (K >= XK_0 && K <= XK_9) return static_cast<int>(K - XK_0 + '0');
    if (K >= XK_F1 && K <= XK_F12) return static_cast<int>(K - XK_F1 + VK_F1);
    switch (K) {
    case XK_BackSpace:
        return VK_BACK;
    case XK_Tab:
    case XK_ISO_Left_Tab:
        return VK_TAB;
    case XK_Return:
    case XK_KP_Enter:
        return VK_RETURN;
    case XK_Escape:
        return VK_ESCAPE;
    case XK_space:
        return VK_SPACE;
    case XK_Prior:
        return VK_PRIOR;
    case XK_Next:
        return VK_NEXT;
    case XK_End:
        return VK_END;
    case XK_Home:
        return VK_HOME;
    case XK_Left:
        return VK_LEFT;
    case XK_Up:
        return VK_UP;
    case XK_Right:
        return VK_RIGHT;
    case XK_Down:
        return VK_DOWN;
    case XK_Insert:
        return VK_INSERT;
    case XK_Delete:
        return VK_DELETE;
    case XK_Menu:
        return VK_APPS;
    case XK_Shift_L:
    case XK_Shift_R:
        return VK_SHIFT;
    case XK_Control_L:
    case XK_Control_R:
        return VK_CONTROL;
    case XK_Alt_L:
    case XK_Alt_R:
        return VK_MENU;
    default:
        // Punctuation keysyms are their ASCII codes: the key that types them (the period key
        // for '.', never VK_DELETE).
        if (K >= XK_exclam && K <= XK_asciitilde)
            return KeyStrokeForChar(static_cast<unsigned char>(K)).Vk;
        return 0;
    }
}

unsigned ShiftOf(unsigned State) {
    unsigned S = 0;
    if (State & ShiftMask) S |= MK_SHIFT;
    if (State & ControlMask) S |= MK_CONTROL;
    if (State & Mod1Mask) S |= SHIFT_ALT;
    return S;
}

unsigned CursorShapeFor(std::uintptr_t C) {
    switch (C) {
    case IDC_IBEAM:
        return XC_xterm;
    case IDC_WAIT:
    case IDC_SQLWAIT:
        return XC_watch;
    case IDC_APPSTARTING:
        return XC_watch;
    case IDC_CROSS:
        return XC_crosshair;
    case IDC_UPARROW:
        return XC_sb_up_arrow;
    case IDC_SIZE:
    case IDC_SIZEALL:
        return XC_fleur;
    case IDC_SIZENWSE:
        return XC_bottom_right_corner;
    case IDC_SIZENESW:
        return XC_bottom_left_corner;
    case IDC_SIZEWE:
    case IDC_HSPLIT:
        return XC_sb_h_double_arrow;
    case IDC_SIZENS:
    case IDC_VSPLIT:
        return XC_sb_v_double_arrow;
    case IDC_NO:
    case IDC_NODROP:
        return XC_X_cursor;
    case IDC_HAND:
        return XC_hand2;
    case IDC_HELP:
        return XC_question_arrow;
    case IDC_DRAG:
    case IDC_MULTIDRAG:
        return XC_dotbox;
    default:
        return XC_left_ptr;
    }
}
} // namespace

std::unique_ptr<TX11Backend> TX11Backend::Open(const char* Name) {
    Display* D = XOpenDisplay(Name);
    if (!D) return nullptr;
    std::unique_ptr<TX11Backend> B(new TX11Backend());
    B->P_ = std::make_unique<TImpl>();
    auto& P = *B->P_;
    P.Dpy = D;
    P.Screen = DefaultScreen(D);
    P.Root = RootWindow(D, P.Screen);
    P.Vis = DefaultVisual(D, P.Screen);
    P.Depth = DefaultDepth(D, P.Screen);
    if (P.Depth < 24 || P.Vis->c_class != TrueColor) {
        // The surfaces are 0x00RRGGBB; other visuals would need conversion we do not do.
        XCloseDisplay(D);
        return nullptr;
    }
    XSetErrorHandler(IgnoreXErrors);
    P.Gc = XCreateGC(D, P.Root, 0, nullptr);
    P.WmDelete = XInternAtom(D, "WM_DELETE_WINDOW", False);
    P.WmProtocols = XInternAtom(D, "WM_PROTOCOLS", False);
    P.NetWmState = XInternAtom(D, "_NET_WM_STATE", False);
    P.NetWmStateAbove = XInternAtom(D, "_NET_WM_STATE_ABOVE", False);
    P.Selection = std::make_unique<TX11Selection>(D, P.Root);
    return B;
}

TX11Backend::~TX11Backend() {
    if (!P_ || !P_->Dpy) return;
    for (auto& [H, W] : P_->Native)
        XDestroyWindow(P_->Dpy, W);
    for (auto& [Id, C] : P_->Cursors)
        XFreeCursor(P_->Dpy, C);
    P_->Selection->HandOver();
    P_->Selection.reset();
    XFreeGC(P_->Dpy, P_->Gc);
    XCloseDisplay(P_->Dpy);
}

int TX11Backend::ScreenWidth() const {
    return DisplayWidth(P_->Dpy, P_->Screen);
}
int TX11Backend::ScreenHeight() const {
    return DisplayHeight(P_->Dpy, P_->Screen);
}
int TX11Backend::EventFd() const {
    return ConnectionNumber(P_->Dpy);
}

void TX11Backend::CreateNative(HWND Wnd, const TRect& R, bool Popup, bool TopMost,
                               const std::string& Title) {
    auto& P = *P_;
    XSetWindowAttributes A{};
    A.background_pixmap = None;
    A.override_redirect = Popup ? True : False;
    A.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                   KeyPressMask | KeyReleaseMask | StructureNotifyMask | EnterWindowMask |
                   LeaveWindowMask | FocusChangeMask;
    A.bit_gravity = NorthWestGravity;
    unsigned W = static_cast<unsigned>(std::max(1, R.Width()));
    unsigned H = static_cast<unsigned>(std::max(1, R.Height()));
    ::Window X = XCreateWindow(P.Dpy, P.Root, R.Left, R.Top, W, H, 0, P.Depth, InputOutput, P.Vis,
                               CWBackPixmap | CWOverrideRedirect | CWEventMask | CWBitGravity, &A);
    XSetWMProtocols(P.Dpy, X, &P.WmDelete, 1);
    XStoreName(P.Dpy, X, Title.c_str());
    // Keep the position we asked for; window managers honour it with program-specified hints.
    XSizeHints Hints{};
    Hints.flags = PPosition | PSize;
    Hints.x = R.Left, Hints.y = R.Top;
    Hints.width = static_cast<int>(W), Hints.height = static_cast<int>(H);
    XSetWMNormalHints(P.Dpy, X, &Hints);
    if (TopMost && !Popup)
        XChangeProperty(P.Dpy, X, P.NetWmState, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(&P.NetWmStateAbove), 1);
    P.Native[Wnd] = X;
    P.Back[X] = Wnd;
}

void TX11Backend::DestroyNative(HWND Wnd) {
    auto It = P_->Native.find(Wnd);
    if (It == P_->Native.end()) return;
    XDestroyWindow(P_->Dpy, It->second);
    P_->Back.erase(It->second);
    P_->Native.erase(It);
    XFlush(P_->Dpy);
}

void TX11Backend::ShowNative(HWND Wnd, bool Show) {
    auto It = P_->Native.find(Wnd);
    if (It == P_->Native.end()) return;
    if (Show) {
        XMapRaised(P_->Dpy, It->second);
        // Wait for the map so the first picture is not thrown away by the server.
        XSync(P_->Dpy, False);
    } else {
        XUnmapWindow(P_->Dpy, It->second);
        XFlush(P_->Dpy);
    }
}

void TX11Backend::MoveNative(HWND Wnd, const TRect& R) {
    auto It = P_->Native.find(Wnd);
    if (It == P_->Native.end()) return;
    XMoveResizeWindow(P_->Dpy, It->second, R.Left, R.Top,
                      static_cast<unsigned>(std::max(1, R.Width())),
                      static_cast<unsigned>(std::max(1, R.Height())));
}

void TX11Backend::SetTitle(HWND Wnd, const std::string& Title) {
    auto It = P_->Native.find(Wnd);
    if (It != P_->Native.end()) XStoreName(P_->Dpy, It->second, Title.c_str());
}

void TX11Backend::RaiseNative(HWND Wnd) {
    auto It = P_->Native.find(Wnd);
    if (It != P_->Native.end()) XRaiseWindow(P_->Dpy, It->second);
}

void TX11Backend::Present(HWND Wnd, const TSurface& S, const TRect& Area) {
    auto It = P_->Native.find(Wnd);
    if (It == P_->Native.end() || S.Width <= 0 || S.Height <= 0) return;
    TRect A = Area;
    A.Left = std::max(0, A.Left), A.Top = std::max(0, A.Top);
    A.Right = std::min(S.Width, A.Right), A.Bottom = std::min(S.Height, A.Bottom);
    if (A.Right <= A.Left || A.Bottom <= A.Top) return;
    // The image borrows the surface's memory: 32-bit 0x00RRGGBB is the TrueColor layout.
    XImage* Img = XCreateImage(P_->Dpy, P_->Vis, static_cast<unsigned>(P_->Depth), ZPixmap, 0,
                               reinterpret_cast<char*>(const_cast<std::uint32_t*>(S.Pixels.data())),
                               static_cast<unsigned>(S.Width), static_cast<unsigned>(S.Height), 32,
                               S.Width * 4);
    if (!Img) return;
    Img->byte_order = LSBFirst;
    XPutImage(P_->Dpy, It->second, P_->Gc, Img, A.Left, A.Top, A.Left, A.Top,
              static_cast<unsigned>(A.Width()), static_cast<unsigned>(A.Height()));
    Img->data = nullptr;
    XDestroyImage(Img);
}

void TX11Backend::Flush() {
    XFlush(P_->Dpy);
}

void TX11Backend::Sync() {
    XSync(P_->Dpy, False);
}

void TX11Backend::Poll(std::vector<TInputEvent>& Out) {
    auto& P = *P_;
    P.Selection->Tick();
    while (XPending(P.Dpy)) {
        XEvent Ev;
        XNextEvent(P.Dpy, &Ev);
        if (P.Selection->HandleEvent(Ev)) continue;
        auto It = P.Back.find(Ev.xany.window);
        HWND H = It == P.Back.end() ? 0 : It->second;
        TInputEvent E;
        E.Window = H;
        switch (Ev.type) {
        case MotionNotify:
            E.Kind = TInputKind::MouseMove;
            E.X = Ev.xmotion.x_root, E.Y = Ev.xmotion.y_root;
            E.Shift = ShiftOf(Ev.xmotion.state);
            Out.push_back(E);
            break;
        case ButtonPress:
        case ButtonRelease: {
            unsigned B = Ev.xbutton.button;
            if (B == 4 || B == 5) {
                // The wheel comes as presses of buttons 4 (away) and 5 (towards the user).
                if (Ev.type != ButtonPress) break;
                E.Kind = TInputKind::Wheel;
                E.WheelDelta = B == 4 ? 120 : -120;
                E.X = Ev.xbutton.x_root, E.Y = Ev.xbutton.y_root;
                E.Shift = ShiftOf(Ev.xbutton.state);
                Out.push_back(E);
                break;
            }
            if (B > 3) break; // sideways scrolling
            E.Kind = Ev.type == ButtonPress ? TInputKind::MouseDown : TInputKind::MouseUp;
            E.Button = B == 1 ? 1 : B == 3 ? 2 : 3;
            E.X = Ev.xbutton.x_root, E.Y = Ev.xbutton.y_root;
            E.Shift = ShiftOf(Ev.xbutton.state);
            Out.push_back(E);
            break;
        }
        case KeyPress:
        case KeyRelease: {
            char Buf[16];
            KeySym Sym = 0;
            int N = XLookupString(&Ev.xkey, Buf, sizeof Buf, &Sym, nullptr);
            E.Shift = ShiftOf(Ev.xkey.state);
            E.Kind = Ev.type == KeyPress ? TInputKind::KeyDown : TInputKind::KeyUp;
            E.Key = KeySymToVk(Sym);
            if (E.Key) Out.push_back(E);
            if (Ev.type == KeyPress && N == 1 && !(Ev.xkey.state & ControlMask && Buf[0] >= 32)) {
                TInputEvent C = E;
                C.Kind = TInputKind::Char;
                C.Key = static_cast<unsigned char>(Buf[0]);
                Out.push_back(C);
            }
            break;
        }
        case Expose:
            E.Kind = TInputKind::Exposed;
            E.Area = Bounds(Ev.xexpose.x, Ev.xexpose.y, Ev.xexpose.width, Ev.xexpose.height);
            if (H) Out.push_back(E);
            break;
        case ConfigureNotify: {
            if (!H) break;
            int X = 0, Y = 0;
            ::Window Child;
            XTranslateCoordinates(P.Dpy, Ev.xconfigure.window, P.Root, 0, 0, &X, &Y, &Child);
            E.Kind = TInputKind::Moved;
            E.Area = Bounds(X, Y, Ev.xconfigure.width, Ev.xconfigure.height);
            Out.push_back(E);
            break;
        }
        case ClientMessage:
            if (H && static_cast<Atom>(Ev.xclient.data.l[0]) == P.WmDelete) {
                E.Kind = TInputKind::Close;
                Out.push_back(E);
            }
            break;
        default:
            break;
        }
    }
}

void TX11Backend::SetCursorShape(HWND Wnd, std::uintptr_t C) {
    auto& P = *P_;
    auto It = P.Cursors.find(C);
    Cursor Xc;
    if (It == P.Cursors.end()) {
        Xc = XCreateFontCursor(P.Dpy, CursorShapeFor(C));
        P.Cursors[C] = Xc;
    } else {
        Xc = It->second;
    }
    // One shape for all our windows: the cursor follows the pointer, not a window.
    for (auto& [H, W] : P.Native)
        XDefineCursor(P.Dpy, W, Xc);
    (void)Wnd;
    P.CurrentCursor = C;
    XFlush(P.Dpy);
}

void TX11Backend::GrabPointer(HWND Wnd, bool Grab) {
    auto& P = *P_;
    if (!Grab) {
        XUngrabPointer(P.Dpy, CurrentTime);
        XFlush(P.Dpy);
        return;
    }
    auto It = P.Native.find(Wnd);
    if (It == P.Native.end()) return;
    XGrabPointer(P.Dpy, It->second, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                 GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
    XFlush(P.Dpy);
}

TPoint TX11Backend::CursorPos() const {
    ::Window R, C;
    int Rx = 0, Ry = 0, Wx, Wy;
    unsigned M;
    XQueryPointer(P_->Dpy, P_->Root, &R, &C, &Rx, &Ry, &Wx, &Wy, &M);
    return {Rx, Ry};
}

void TX11Backend::WarpPointer(int X, int Y) {
    XWarpPointer(P_->Dpy, None, P_->Root, 0, 0, 0, 0, X, Y);
    XFlush(P_->Dpy);
}

namespace {
void ImageToSurface(XImage* Img, TSurface& Out) {
    Out.Resize(Img->width, Img->height);
    for (int Y = 0; Y < Img->height; ++Y)
        for (int X = 0; X < Img->width; ++X)
            Out.Set(X, Y, static_cast<std::uint32_t>(XGetPixel(Img, X, Y)) & 0xFFFFFF);
}
} // namespace

void TX11Backend::ReadScreen(TSurface& Out) {
    XSync(P_->Dpy, False);
    XImage* Img = XGetImage(P_->Dpy, P_->Root, 0, 0, static_cast<unsigned>(ScreenWidth()),
                            static_cast<unsigned>(ScreenHeight()), AllPlanes, ZPixmap);
    if (!Img) {
        Out.Resize(ScreenWidth(), ScreenHeight());
        return;
    }
    ImageToSurface(Img, Out);
    XDestroyImage(Img);
}

bool TX11Backend::PresentScreen(const TSurface& S, const std::vector<std::uint8_t>& Drawn,
                                const TRect& Area) {
    TRect A = Area;
    A.Left = std::max(0, A.Left), A.Top = std::max(0, A.Top);
    A.Right = std::min({S.Width, ScreenWidth(), A.Right});
    A.Bottom = std::min({S.Height, ScreenHeight(), A.Bottom});
    if (A.Right <= A.Left || A.Bottom <= A.Top ||
        Drawn.size() < static_cast<std::size_t>(S.Width) * static_cast<std::size_t>(S.Height))
        return true;
    const auto W = static_cast<unsigned>(A.Width()), H = static_cast<unsigned>(A.Height());
    // Only the drawn pixels change: the rest of the area is what the screen shows now, which
    // may be newer than the picture the drawing was made on.
    XSync(P_->Dpy, False);
    XImage* Img = XGetImage(P_->Dpy, P_->Root, A.Left, A.Top, W, H, AllPlanes, ZPixmap);
    if (!Img) return true;
    for (int Y = A.Top; Y < A.Bottom; ++Y) {
        const std::size_t Row = static_cast<std::size_t>(Y) * static_cast<std::size_t>(S.Width);
        for (int X = A.Left; X < A.Right; ++X)
            if (Drawn[Row + static_cast<std::size_t>(X)])
                XPutPixel(Img, X - A.Left, Y - A.Top, S.Get(X, Y));
    }
    XGCValues V{};
    V.subwindow_mode = IncludeInferiors;
    GC Over = XCreateGC(P_->Dpy, P_->Root, GCSubwindowMode, &V);
    XPutImage(P_->Dpy, P_->Root, Over, Img, 0, 0, A.Left, A.Top, W, H);
    XFreeGC(P_->Dpy, Over);
    XDestroyImage(Img);
    XFlush(P_->Dpy);
    return true;
}

unsigned long TX11Backend::NativeWindow(HWND Wnd) const {
    auto It = P_->Native.find(Wnd);
    return It == P_->Native.end() ? 0 : It->second;
}

bool TX11Backend::ReadWindow(HWND Wnd, TSurface& Out) {
    auto It = P_->Native.find(Wnd);
    if (It == P_->Native.end()) return false;
    XSync(P_->Dpy, False);
    XWindowAttributes A;
    if (!XGetWindowAttributes(P_->Dpy, It->second, &A)) return false;
    XImage* Img = XGetImage(P_->Dpy, It->second, 0, 0, static_cast<unsigned>(A.width),
                            static_cast<unsigned>(A.height), AllPlanes, ZPixmap);
    if (!Img) return false;
    ImageToSurface(Img, Out);
    XDestroyImage(Img);
    return true;
}

void TX11Backend::SetClipboardTimeouts(int ReplyMs, int TargetsMs) {
    P_->Selection->SetTimeouts(ReplyMs, TargetsMs);
}

void TX11Backend::SetClipboardMaxBytes(std::size_t Bytes) {
    P_->Selection->SetMaxIncoming(Bytes);
}

void TX11Backend::SetClipboardText(const std::string& Utf8) {
    P_->Selection->SetText(Utf8);
    P_->WakeLoopForQueued();
}

std::optional<std::string> TX11Backend::ClipboardText() {
    auto T = P_->Selection->Text();
    P_->WakeLoopForQueued();
    return T;
}

bool TX11Backend::ClipboardHasText() {
    bool Has = P_->Selection->HasText();
    P_->WakeLoopForQueued();
    return Has;
}

void TX11Backend::ClearClipboard() {
    P_->Selection->Clear();
    P_->WakeLoopForQueued();
}

} // namespace qel
