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
#include <cctype>
#include <cerrno> // program_invocation_short_name
#include <cstdlib>
#include <cstring>
#include <map>
#include <unistd.h>
#include <vector>

namespace qel {

namespace {
// A channel of Bits bits widened to 8 by repeating its top bits, so that full intensity stays
// 255 and black stays 0.
std::uint32_t Widen(std::uint32_t V, int Bits) {
    std::uint32_t R = V << (8 - Bits);
    for (int Have = Bits; Have < 8; Have += Bits)
        R |= V << (8 - Bits) >> Have;
    return R & 0xFF;
}
} // namespace

struct TX11Backend::TImpl {
    Display* Dpy = nullptr;
    int Screen = 0;
    ::Window Root = 0;
    Visual* Vis = nullptr;
    int Depth = 0;
    Colormap Cmap = 0;    // ours when the visual is not the screen's default
    bool OwnCmap = false; // so it is freed with the backend
    // Where the visual keeps each colour, and whether it is exactly our 0x00RRGGBB in 32 bits
    // (then the surfaces go to the server as they are).
    struct TChannel {
        int Shift = 0, Bits = 0;
    } Red, Green, Blue;
    int PixelBits = 0; // bits per pixel of the visual's images
    bool Direct = false;
    GC Gc = nullptr;
    Atom WmDelete = 0, WmProtocols = 0, NetWmState = 0, NetWmStateAbove = 0;
    Atom NetWmName = 0, NetWmPid = 0, Utf8String = 0;
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
    unsigned long ToPixel(std::uint32_t Rgb) const {
        auto Put = [](std::uint32_t V8, const TChannel& C) {
            return static_cast<unsigned long>(V8 >> (8 - C.Bits)) << C.Shift;
        };
        return Put((Rgb >> 16) & 0xFF, Red) | Put((Rgb >> 8) & 0xFF, Green) | Put(Rgb & 0xFF, Blue);
    }
    std::uint32_t FromPixel(unsigned long P) const {
        // Widened by repeating the top bits, so that full intensity stays 255.
        auto Get = [](unsigned long Pv, const TChannel& C) {
            return Widen(static_cast<std::uint32_t>((Pv >> C.Shift) & ((1UL << C.Bits) - 1)),
                         C.Bits);
        };
        return (Get(P, Red) << 16) | (Get(P, Green) << 8) | Get(P, Blue);
    }
    ~TImpl() {
        if (!Dpy) return;
        if (OwnCmap) XFreeColormap(Dpy, Cmap);
        XCloseDisplay(Dpy);
    }
};

// The colour a pixel shows on a visual with these channel widths: what the X server keeps of
// Rgb, widened back to 8 bits a channel.
std::uint32_t X11ShownColour(std::uint32_t Rgb, int RedBits, int GreenBits, int BlueBits) {
    auto Keep = [](std::uint32_t V8, int Bits) { return Widen(V8 >> (8 - Bits), Bits); };
    return (Keep((Rgb >> 16) & 0xFF, RedBits) << 16) | (Keep((Rgb >> 8) & 0xFF, GreenBits) << 8) |
           Keep(Rgb & 0xFF, BlueBits);
}

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

namespace {
bool ChannelOf(unsigned long Mask, int& Shift, int& Bits) {
    if (!Mask) return false;
    Shift = 0;
    while (!(Mask & 1))
        Mask >>= 1, ++Shift;
    Bits = 0;
    while (Mask & 1)
        Mask >>= 1, ++Bits;
    return Mask == 0 && Bits <= 8;
}

const char* VisualClassName(int C) {
    switch (C) {
    case StaticGray:
        return "StaticGray";
    case GrayScale:
        return "GrayScale";
    case StaticColor:
        return "StaticColor";
    case PseudoColor:
        return "PseudoColor";
    case TrueColor:
        return "TrueColor";
    default:
        return "DirectColor";
    }
}

// The name programs are known by to window managers and session tools (WM_CLASS).
std::string ProgramName() {
    const char* N = program_invocation_short_name;
    return N && *N ? N : "qel";
}
} // namespace

std::unique_ptr<TX11Backend> TX11Backend::Open(const char* Name, std::string* Why) {
    auto Fail = [&](const std::string& Text) {
        if (Why) *Why = Text;
        return std::unique_ptr<TX11Backend>();
    };
    const std::string Shown =
        Name && *Name ? Name : (std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "");
    Display* D = XOpenDisplay(Name);
    if (!D) return Fail("cannot open X display \"" + Shown + "\"");
    std::unique_ptr<TX11Backend> B(new TX11Backend());
    B->P_ = std::make_unique<TImpl>();
    auto& P = *B->P_;
    P.Dpy = D;
    P.Screen = DefaultScreen(D);
    P.Root = RootWindow(D, P.Screen);
    // Our surfaces are 0x00RRGGBB: any TrueColor visual of up to 8 bits a channel shows them,
    // converted where its layout differs. The screen's default comes first; a screen whose
    // default is a palette visual may still offer a TrueColor one.
    XVisualInfo Want{};
    Want.visualid = XVisualIDFromVisual(DefaultVisual(D, P.Screen));
    int N = 0;
    XVisualInfo* Info = XGetVisualInfo(D, VisualIDMask, &Want, &N);
    XVisualInfo Chosen{};
    bool Found = false;
    auto Usable = [](const XVisualInfo& V) {
        int S, Bi;
        return V.c_class == TrueColor && ChannelOf(V.red_mask, S, Bi) &&
               ChannelOf(V.green_mask, S, Bi) && ChannelOf(V.blue_mask, S, Bi);
    };
    const int DefaultDepthBits = DefaultDepth(D, P.Screen);
    const int DefaultClass = Info && N > 0 ? Info->c_class : -1;
    if (Info && N > 0 && Usable(*Info)) Chosen = *Info, Found = true;
    if (Info) XFree(Info);
    for (int Depth : {24, 32, 16, 15}) {
        if (Found) break;
        XVisualInfo V{};
        if (XMatchVisualInfo(D, P.Screen, Depth, TrueColor, &V) && Usable(V))
            Chosen = V, Found = true;
    }
    if (!Found)
        return Fail("X display \"" + Shown +
                    "\" offers no TrueColor visual of 15 to 32 bits (its default is " +
                    std::to_string(DefaultDepthBits) + "-bit " +
                    (DefaultClass >= 0 ? VisualClassName(DefaultClass) : "unknown") + ")");
    P.Vis = Chosen.visual;
    P.Depth = Chosen.depth;
    ChannelOf(Chosen.red_mask, P.Red.Shift, P.Red.Bits);
    ChannelOf(Chosen.green_mask, P.Green.Shift, P.Green.Bits);
    ChannelOf(Chosen.blue_mask, P.Blue.Shift, P.Blue.Bits);
    int Formats = 0;
    if (XPixmapFormatValues* F = XListPixmapFormats(D, &Formats)) {
        for (int I = 0; I < Formats; ++I)
            if (F[I].depth == P.Depth) P.PixelBits = F[I].bits_per_pixel;
        XFree(F);
    }
    if (P.PixelBits != 16 && P.PixelBits != 32)
        return Fail("X display \"" + Shown + "\": " + std::to_string(P.Depth) + "-bit images of " +
                    std::to_string(P.PixelBits) + " bits a pixel are not supported");
    P.Direct = P.PixelBits == 32 && P.Red.Shift == 16 && P.Green.Shift == 8 && P.Blue.Shift == 0 &&
               P.Red.Bits == 8 && P.Green.Bits == 8 && P.Blue.Bits == 8;
    if (P.Vis == DefaultVisual(D, P.Screen)) {
        P.Cmap = DefaultColormap(D, P.Screen);
    } else {
        P.Cmap = XCreateColormap(D, P.Root, P.Vis, AllocNone);
        P.OwnCmap = true;
    }
    XSetErrorHandler(IgnoreXErrors);
    // A GC is tied to a depth: made on a drawable of the chosen visual's, not the root's.
    Pixmap Probe = XCreatePixmap(D, P.Root, 1, 1, static_cast<unsigned>(P.Depth));
    P.Gc = XCreateGC(D, Probe, 0, nullptr);
    XFreePixmap(D, Probe);
    P.WmDelete = XInternAtom(D, "WM_DELETE_WINDOW", False);
    P.WmProtocols = XInternAtom(D, "WM_PROTOCOLS", False);
    P.NetWmState = XInternAtom(D, "_NET_WM_STATE", False);
    P.NetWmStateAbove = XInternAtom(D, "_NET_WM_STATE_ABOVE", False);
    P.NetWmName = XInternAtom(D, "_NET_WM_NAME", False);
    P.NetWmPid = XInternAtom(D, "_NET_WM_PID", False);
    P.Utf8String = XInternAtom(D, "UTF8_STRING", False);
    P.Selection = std::make_unique<TX11Selection>(D, P.Root);
    return B;
}

TX11Backend::~TX11Backend() {
    if (!P_ || !P_->Dpy) return;
    for (auto& [H, W] : P_->Native)
        XDestroyWindow(P_->Dpy, W);
    for (auto& [Id, C] : P_->Cursors)
        XFreeCursor(P_->Dpy, C);
    if (P_->Selection) {
        P_->Selection->HandOver();
        P_->Selection.reset();
    }
    if (P_->Gc) XFreeGC(P_->Dpy, P_->Gc);
    // The connection itself closes with P_.
}

bool TX11Backend::PrepareToWait() {
    // XPending sends what is buffered and moves whatever the server already sent into Xlib's
    // queue, where poll() on the descriptor cannot see it.
    return XPending(P_->Dpy) > 0;
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
    // A visual other than the root's needs its own colormap and border.
    A.colormap = P.Cmap;
    A.border_pixel = 0;
    unsigned W = static_cast<unsigned>(std::max(1, R.Width()));
    unsigned H = static_cast<unsigned>(std::max(1, R.Height()));
    ::Window X = XCreateWindow(P.Dpy, P.Root, R.Left, R.Top, W, H, 0, P.Depth, InputOutput, P.Vis,
                               CWBackPixmap | CWOverrideRedirect | CWEventMask | CWBitGravity |
                                   CWColormap | CWBorderPixel,
                               &A);
    XSetWMProtocols(P.Dpy, X, &P.WmDelete, 1);
    SetTitle(Wnd, Title, X);
    // Window managers, task bars and session tools know the program by these.
    std::string Program = ProgramName();
    std::string Class = Program;
    Class[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(Class[0])));
    XClassHint ClassHint{Program.data(), Class.data()};
    XSetClassHint(P.Dpy, X, &ClassHint);
    long Pid = static_cast<long>(::getpid());
    XChangeProperty(P.Dpy, X, P.NetWmPid, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&Pid), 1);
    char Host[256] = {};
    if (::gethostname(Host, sizeof Host - 1) == 0) {
        XTextProperty Machine{};
        char* List[] = {Host};
        if (XStringListToTextProperty(List, 1, &Machine)) {
            XSetWMClientMachine(P.Dpy, X, &Machine);
            XFree(Machine.value);
        }
    }
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
    if (It != P_->Native.end()) SetTitle(Wnd, Title, It->second);
}

void TX11Backend::SetTitle(HWND, const std::string& Title, unsigned long X) {
    // WM_NAME for old window managers; _NET_WM_NAME carries the UTF-8 text as it is.
    XStoreName(P_->Dpy, X, Title.c_str());
    XChangeProperty(P_->Dpy, X, P_->NetWmName, P_->Utf8String, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(Title.data()),
                    static_cast<int>(Title.size()));
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
    auto& P = *P_;
    if (P.Direct) {
        // The image borrows the surface's memory: 32-bit 0x00RRGGBB is this visual's layout.
        XImage* Img = XCreateImage(
            P.Dpy, P.Vis, static_cast<unsigned>(P.Depth), ZPixmap, 0,
            reinterpret_cast<char*>(const_cast<std::uint32_t*>(S.Pixels.data())),
            static_cast<unsigned>(S.Width), static_cast<unsigned>(S.Height), 32, S.Width * 4);
        if (!Img) return;
        Img->byte_order = LSBFirst;
        XPutImage(P.Dpy, It->second, P.Gc, Img, A.Left, A.Top, A.Left, A.Top,
                  static_cast<unsigned>(A.Width()), static_cast<unsigned>(A.Height()));
        Img->data = nullptr;
        XDestroyImage(Img);
        return;
    }
    // Other layouts (16-bit 565, 15-bit 555, other channel orders): the area is converted into
    // an image of the visual's own pixels.
    const int W = A.Width(), H = A.Height();
    const int Bytes = P.PixelBits / 8;
    std::vector<char> Data(static_cast<std::size_t>(W) * H * Bytes);
    for (int Y = 0; Y < H; ++Y) {
        const std::uint32_t* Src =
            S.Pixels.data() + static_cast<std::size_t>(A.Top + Y) * S.Width + A.Left;
        char* Row = Data.data() + static_cast<std::size_t>(Y) * W * Bytes;
        for (int X = 0; X < W; ++X) {
            unsigned long Px = P.ToPixel(Src[X]);
            if (Bytes == 2) {
                auto V = static_cast<std::uint16_t>(Px);
                std::memcpy(Row + X * 2, &V, 2);
            } else {
                auto V = static_cast<std::uint32_t>(Px);
                std::memcpy(Row + X * 4, &V, 4);
            }
        }
    }
    XImage* Img =
        XCreateImage(P.Dpy, P.Vis, static_cast<unsigned>(P.Depth), ZPixmap, 0, Data.data(),
                     static_cast<unsigned>(W), static_cast<unsigned>(H), P.PixelBits, W * Bytes);
    if (!Img) return;
    // The bytes are in this machine's order; Xlib swaps them for the server where needed.
    Img->byte_order = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? LSBFirst : MSBFirst;
    XPutImage(P.Dpy, It->second, P.Gc, Img, 0, 0, A.Left, A.Top, static_cast<unsigned>(W),
              static_cast<unsigned>(H));
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

void TX11Backend::ImageToSurface(void* Image, TSurface& Out) const {
    auto* Img = static_cast<XImage*>(Image);
    Out.Resize(Img->width, Img->height);
    for (int Y = 0; Y < Img->height; ++Y)
        for (int X = 0; X < Img->width; ++X)
            Out.Set(X, Y,
                    P_->Direct ? static_cast<std::uint32_t>(XGetPixel(Img, X, Y)) & 0xFFFFFF
                               : P_->FromPixel(XGetPixel(Img, X, Y)));
}

int TX11Backend::VisualDepth() const {
    return P_->Depth;
}

std::uint32_t TX11Backend::ShownColour(std::uint32_t Rgb) const {
    return X11ShownColour(Rgb, P_->Red.Bits, P_->Green.Bits, P_->Blue.Bits);
}

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
