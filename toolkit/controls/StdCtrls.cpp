#include "toolkit/controls/StdCtrls.h"

#include "toolkit/controls/ControlCanvas.h"
#include "toolkit/controls/Forms.h"
#include "toolkit/controls/PublishedGroups.h"
#include "toolkit/controls/WindowClasses.h"
#include "toolkit/graphics/Font.h"
#include "toolkit/graphics/TextDraw.h"

#include <unordered_map>

namespace qel {

// ---- the BUTTON window class ----

namespace {

struct TButtonWindowState {
    UINT Check = BST_UNCHECKED;
    bool Pushed = false;   // pressed look
    bool Tracking = false; // mouse held down on it
    bool SpaceDown = false;
    HBITMAP Image = 0;
};

std::unordered_map<HWND, TButtonWindowState>& ButtonStates() {
    static std::unordered_map<HWND, TButtonWindowState> M;
    return M;
}

DWORD StyleOf(HWND H) {
    return static_cast<DWORD>(GetWindowLongA(H, GWL_STYLE));
}

bool IsPushLike(DWORD Style) {
    DWORD T = Style & BS_TYPEMASK;
    return T == BS_PUSHBUTTON || T == BS_DEFPUSHBUTTON || T == BS_OWNERDRAW ||
           (Style & BS_PUSHLIKE);
}
bool IsRadio(DWORD Style) {
    DWORD T = Style & BS_TYPEMASK;
    return T == BS_RADIOBUTTON || T == BS_AUTORADIOBUTTON;
}

void NotifyClicked(TWinControl& C) {
    HWND H = C.Handle();
    HWND P = GetParent(H);
    WPARAM Id = static_cast<WPARAM>(GetWindowLongA(H, GWL_ID)) & 0xFFFF;
    if (P) SendMessageA(P, WM_COMMAND, Id | (WPARAM(BN_CLICKED) << 16), static_cast<LPARAM>(H));
}

void AutoCheck(TWinControl& C, TButtonWindowState& S) {
    HWND H = C.Handle();
    DWORD T = StyleOf(H) & BS_TYPEMASK;
    if (T == BS_AUTOCHECKBOX) S.Check = S.Check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
    if (T == BS_AUTO3STATE) S.Check = (S.Check + 1) % 3;
    if (T == BS_AUTORADIOBUTTON) {
        S.Check = BST_CHECKED;
        for (HWND Sib : GetChildWindows(GetParent(H)))
            if (Sib != H && (StyleOf(Sib) & BS_TYPEMASK) == BS_AUTORADIOBUTTON)
                SendMessageA(Sib, BM_SETCHECK, BST_UNCHECKED, 0);
    }
}

void PaintButtonWindow(TWinControl& C, HDC DC, const TButtonWindowState& S) {
    HWND H = C.Handle();
    DWORD Style = StyleOf(H);
    TRect R;
    GetClientRect(H, &R);
    bool Enabled = IsWindowEnabled(H);
    bool Focused = GetFocus() == H;
    if ((Style & BS_TYPEMASK) == BS_OWNERDRAW) {
        DRAWITEMSTRUCT D;
        D.CtlType = ODT_BUTTON;
        D.CtlID = static_cast<UINT>(GetWindowLongA(H, GWL_ID));
        D.itemAction = ODA_DRAWENTIRE;
        if (S.Pushed) D.itemState |= ODS_SELECTED;
        if (Focused) D.itemState |= ODS_FOCUS;
        if (!Enabled) D.itemState |= ODS_DISABLED;
        D.hwndItem = H;
        D.hDC = DC;
        D.rcItem = R;
        if (HWND P = GetParent(H))
            SendMessageA(P, WM_DRAWITEM, D.CtlID, reinterpret_cast<LPARAM>(&D));
        return;
    }
    int Saved = SaveDC(DC);
    HFONT Font = C.Font()->Handle();
    SelectObject(DC, Font);
    SetBkMode(DC, TRANSPARENT);
    SetTextColor(DC, ColorToRGB(Enabled ? C.Font()->Color() : clGrayText));
    std::string Text = C.Caption();
    bool Pushed = S.Pushed || ((Style & BS_PUSHLIKE) && S.Check == BST_CHECKED);
    TRect ImageRect{}; // the part of the image that shows
    auto DrawImageOrText = [&](TRect Area, UINT HAlign) {
        if ((Style & BS_BITMAP) && S.Image) {
            BITMAP Bm;
            if (GetObjectA(S.Image, sizeof Bm, &Bm) == sizeof Bm) {
                int X = Area.Left, Y = Area.Top;
                UINT HA = Style & 0x300, VA = Style & 0xC00;
                if (HA == 0x300 || (HA == 0 && HAlign == DT_CENTER))
                    X = Area.Left + (Area.Width() - Bm.bmWidth) / 2;
                else if (HA == 0x200)
                    X = Area.Right - Bm.bmWidth;
                if (VA == 0xC00 || VA == 0)
                    Y = Area.Top + (Area.Height() - Bm.bmHeight) / 2;
                else if (VA == 0x800)
                    Y = Area.Bottom - Bm.bmHeight;
                HDC Mem = CreateCompatibleDC(DC);
                HGDIOBJ Old = SelectObject(Mem, S.Image);
                int Clip = SaveDC(DC);
                IntersectClipRect(DC, Area.Left, Area.Top, Area.Right, Area.Bottom);
                BitBlt(DC, X, Y, Bm.bmWidth, Bm.bmHeight, Mem, 0, 0, SRCCOPY);
                const TRect Drawn = Bounds(X, Y, Bm.bmWidth, Bm.bmHeight);
                IntersectRect(&ImageRect, &Drawn, &Area);
                RestoreDC(DC, Clip);
                SelectObject(Mem, Old);
                DeleteDC(Mem);
            }
            return;
        }
        UINT F = HAlign | ((Style & BS_MULTILINE) ? DT_WORDBREAK : (DT_SINGLELINE | DT_VCENTER));
        if (Style & BS_MULTILINE) {
            TRect M = Area;
            int Hh = DrawTextA(DC, Text.c_str(), -1, &M, F | DT_CALCRECT);
            Area.Top += (Area.Height() - Hh) / 2;
        }
        if (!Enabled) {
            TRect Sh = Area;
            OffsetRect(&Sh, 1, 1);
            SetTextColor(DC, ColorToRGB(clBtnHighlight));
            DrawTextA(DC, Text.c_str(), -1, &Sh, F);
            SetTextColor(DC, ColorToRGB(clBtnShadow));
        }
        DrawTextA(DC, Text.c_str(), -1, &Area, F);
    };
    if (IsPushLike(Style)) {
        bool Def = (Style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
        DrawClassicButtonFace(DC, R, Pushed, Def);
        TRect T = R;
        InflateRect(&T, -4, -4);
        if (Pushed) OffsetRect(&T, 1, 1);
        DrawImageOrText(T, DT_CENTER);
        if (Focused) {
            TRect F = R;
            InflateRect(&F, -4, -4);
            DrawFocusRect(DC, &F);
        }
    } else if ((Style & BS_TYPEMASK) == BS_GROUPBOX) {
        TRect F = R;
        F.Top += 6;
        DrawEdge(DC, &F, EDGE_ETCHED, BF_RECT);
        TRect T{8, 0, R.Right - 8, 14};
        DrawTextA(DC, Text.c_str(), -1, &T, DT_SINGLELINE | DT_LEFT);
    } else {
        bool LeftText = (Style & BS_LEFTTEXT) != 0;
        int Box = 13;
        TRect Mark = LeftText ? Bounds(R.Right - Box, (R.Height() - Box) / 2, Box, Box)
                              : Bounds(R.Left, (R.Height() - Box) / 2, Box, Box);
        UINT MarkState = S.Check | (S.Pushed ? UINT(BST_PUSHED) : 0u);
        DrawClassicCheckMark(DC, Mark, MarkState, IsRadio(Style), Enabled);
        TRect T = R;
        if (LeftText)
            T.Right -= Box + 4;
        else
            T.Left += Box + 4;
        UINT HA = Style & 0x300;
        UINT Align = HA == 0x300 ? DT_CENTER : HA == 0x200 ? DT_RIGHT : DT_LEFT;
        DrawImageOrText(T, Align);
        if (Focused && (Style & BS_BITMAP)) {
            // An image takes the focus frame around the part of it that shows.
            if (!IsRectEmpty(&ImageRect)) DrawFocusRect(DC, &ImageRect);
        } else if (Focused) {
            TRect M = T;
            DrawTextA(DC, Text.c_str(), -1, &M, DT_SINGLELINE | DT_CALCRECT);
            TRect F{T.Left - 1, (R.Height() - M.Height()) / 2 - 1, T.Left + M.Width() + 1,
                    (R.Height() - M.Height()) / 2 + M.Height() + 1};
            DrawFocusRect(DC, &F);
        }
    }
    RestoreDC(DC, Saved);
}

void ButtonClassProc(TWinControl& C, TMessage& M) {
    HWND H = C.Handle();
    auto& S = ButtonStates()[H];
    DWORD Style = StyleOf(H);
    switch (M.Msg) {
    case WM_PAINT: {
        if (M.WParam) {
            PaintButtonWindow(C, M.WParam, S);
        } else {
            PAINTSTRUCT Ps;
            HDC DC = BeginPaint(H, &Ps);
            PaintButtonWindow(C, DC, S);
            EndPaint(H, &Ps);
        }
        return;
    }
    case WM_ERASEBKGND: {
        // Push buttons paint every pixel themselves.
        if (!IsPushLike(Style)) {
            HBRUSH B = CreateSolidBrush(ColorToRGB(C.Color()));
            TRect R;
            GetClientRect(H, &R);
            FillRect(M.WParam, &R, B);
            DeleteObject(B);
        }
        M.Result = 1;
        return;
    }
    case WM_GETDLGCODE: {
        DWORD T = Style & BS_TYPEMASK;
        M.Result = DLGC_BUTTON;
        if (T == BS_DEFPUSHBUTTON)
            M.Result |= DLGC_DEFPUSHBUTTON;
        else if (T == BS_PUSHBUTTON || T == BS_OWNERDRAW)
            M.Result |= DLGC_UNDEFPUSHBUTTON;
        if (IsRadio(Style)) M.Result |= DLGC_RADIOBUTTON;
        return;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (!IsWindowEnabled(H)) return;
        ::qel::SetFocus(H);
        SetCapture(H);
        S.Tracking = true;
        S.Pushed = true;
        InvalidateRect(H, nullptr, FALSE);
        return;
    case WM_MOUSEMOVE:
        if (S.Tracking) {
            TRect R;
            GetClientRect(H, &R);
            bool In = PtInRect(&R, {GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)});
            if (In != S.Pushed) {
                S.Pushed = In;
                InvalidateRect(H, nullptr, FALSE);
            }
        }
        return;
    case WM_LBUTTONUP:
        if (S.Tracking) {
            S.Tracking = false;
            bool Was = S.Pushed;
            S.Pushed = false;
            if (GetCapture() == H) ReleaseCapture();
            InvalidateRect(H, nullptr, FALSE);
            if (Was) {
                AutoCheck(C, S);
                NotifyClicked(C);
            }
        }
        return;
    case WM_CAPTURECHANGED:
        if (S.Tracking && static_cast<HWND>(M.LParam) != H) {
            S.Tracking = false;
            S.Pushed = false;
            InvalidateRect(H, nullptr, FALSE);
        }
        return;
    case WM_KEYDOWN:
        if (M.WParam == VK_SPACE && !S.SpaceDown) {
            S.SpaceDown = true;
            S.Pushed = true;
            InvalidateRect(H, nullptr, FALSE);
        }
        return;
    case WM_KEYUP:
        if (M.WParam == VK_SPACE && S.SpaceDown) {
            S.SpaceDown = false;
            S.Pushed = false;
            InvalidateRect(H, nullptr, FALSE);
            AutoCheck(C, S);
            NotifyClicked(C);
        }
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (M.Msg == WM_KILLFOCUS && S.SpaceDown) {
            S.SpaceDown = false;
            S.Pushed = false;
        }
        InvalidateRect(H, nullptr, FALSE);
        return;
    case WM_ENABLE:
        InvalidateRect(H, nullptr, FALSE);
        return;
    case BM_GETCHECK:
        M.Result = S.Check;
        return;
    case BM_SETCHECK:
        if (S.Check != static_cast<UINT>(M.WParam)) {
            S.Check = static_cast<UINT>(M.WParam);
            InvalidateRect(H, nullptr, FALSE);
        }
        return;
    case BM_GETSTATE:
        M.Result =
            S.Check | (S.Pushed ? UINT(BST_PUSHED) : 0u) | (GetFocus() == H ? UINT(BST_FOCUS) : 0u);
        return;
    case BM_SETSTATE:
        S.Pushed = M.WParam != 0;
        InvalidateRect(H, nullptr, FALSE);
        return;
    case BM_SETSTYLE:
        SetWindowLongA(H, GWL_STYLE,
                       static_cast<LONG_PTR>((Style & ~DWORD(0xFFFF)) | (M.WParam & 0xFFFF)));
        if (M.LParam) InvalidateRect(H, nullptr, FALSE);
        return;
    case BM_CLICK:
        AutoCheck(C, S);
        NotifyClicked(C);
        return;
    case BM_GETIMAGE:
        M.Result = static_cast<LRESULT>(S.Image);
        return;
    case BM_SETIMAGE: {
        HBITMAP Old = S.Image;
        if (M.WParam == IMAGE_BITMAP) S.Image = static_cast<HBITMAP>(M.LParam);
        M.Result = static_cast<LRESULT>(Old);
        // A new image shows at the next paint; asking from inside a paint must not loop.
        return;
    }
    case WM_DESTROY:
        ButtonStates().erase(H);
        return;
    case WM_NCHITTEST:
        M.Result = HTCLIENT;
        return;
    default:
        return;
    }
}

const bool ButtonClassRegistered = [] {
    RegisterWindowClass("BUTTON", {CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, ButtonClassProc});
    return true;
}();

} // namespace

void DrawClassicButtonFace(HDC DC, const TRect& R0, bool Pushed, bool Default, bool Flat) {
    TRect R = R0;
    HBRUSH Face = GetSysColorBrush(COLOR_BTNFACE);
    if (Default) {
        FrameRect(DC, &R, GetSysColorBrush(COLOR_WINDOWFRAME));
        InflateRect(&R, -1, -1);
    }
    if (Pushed) {
        if (Default || Flat) {
            FrameRect(DC, &R, GetSysColorBrush(COLOR_BTNSHADOW));
            InflateRect(&R, -1, -1);
        } else {
            DrawEdge(DC, &R, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        }
    } else {
        DrawEdge(DC, &R, Flat ? BDR_RAISEDINNER : EDGE_RAISED, BF_RECT | BF_ADJUST);
    }
    FillRect(DC, &R, Face);
}

void DrawClassicCheckMark(HDC DC, const TRect& Box, UINT State, bool Radio, bool Enabled) {
    bool Pushed = (State & BST_PUSHED) != 0;
    COLORREF Inside = ColorToRGB((Pushed || !Enabled) ? clBtnFace : clWindow);
    COLORREF Mark = ColorToRGB(Enabled ? clWindowText : clBtnShadow);
    if (!Radio) {
        TRect R = Box;
        DrawEdge(DC, &R, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        HBRUSH B = CreateSolidBrush(Inside);
        FillRect(DC, &R, B);
        DeleteObject(B);
        UINT Check = State & 3;
        if (Check == BST_CHECKED || Check == BST_INDETERMINATE) {
            COLORREF C = Check == BST_INDETERMINATE ? ColorToRGB(clBtnShadow) : Mark;
            // The classic 7 x 7 tick: three pixels thick, falling then rising.
            int X0 = R.Left + 1, Y0 = R.Top + 3;
            static const int Dy[7] = {2, 3, 4, 3, 2, 1, 0};
            for (int I = 0; I < 7; ++I)
                for (int K = 0; K < 3; ++K)
                    SetPixelV(DC, X0 + I, Y0 + Dy[I] + K, C);
        }
        return;
    }
    // Radio: a 12 x 12 circle drawn from four arcs in the bevel colours, a dot when checked.
    int L = Box.Left, T = Box.Top;
    HBRUSH B = CreateSolidBrush(Inside);
    HGDIOBJ OldB = SelectObject(DC, B);
    HGDIOBJ OldP = SelectObject(DC, GetStockObject(NULL_PEN));
    Ellipse(DC, L + 1, T + 1, L + 12, T + 12);
    SelectObject(DC, OldB);
    DeleteObject(B);
    auto ArcIn = [&](COLORREF C, int X1, int Y1, int X2, int Y2, int Sx, int Sy, int Ex, int Ey) {
        HPEN P = CreatePen(PS_SOLID, 1, C);
        SelectObject(DC, P);
        Arc(DC, X1, Y1, X2, Y2, Sx, Sy, Ex, Ey);
        SelectObject(DC, GetStockObject(NULL_PEN));
        DeleteObject(P);
    };
    ArcIn(ColorToRGB(clBtnShadow), L, T, L + 12, T + 12, L + 10, T + 1, L + 1, T + 10);
    ArcIn(ColorToRGB(clBtnHighlight), L, T, L + 12, T + 12, L + 1, T + 10, L + 10, T + 1);
    ArcIn(ColorToRGB(cl3DDkShadow), L + 1, T + 1, L + 11, T + 11, L + 9, T + 2, L + 2, T + 9);
    ArcIn(ColorToRGB(cl3DLight), L + 1, T + 1, L + 11, T + 11, L + 2, T + 9, L + 9, T + 2);
    if ((State & 3) == BST_CHECKED) {
        HBRUSH D = CreateSolidBrush(Mark);
        SelectObject(DC, D);
        Ellipse(DC, L + 4, T + 4, L + 8, T + 8);
        SelectObject(DC, GetStockObject(NULL_BRUSH));
        DeleteObject(D);
    }
    SelectObject(DC, OldP);
}

// ---- TCustomLabel ----

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
    ControlStyle_ = ControlStyle_ + TControlStyle{csOpaque, csReplicatable};
    Width_ = 65;
    Height_ = 17;
}

void TCustomLabel::SetAlignment(TAlignment V) {
    if (V == Alignment_) return;
    Alignment_ = V;
    Invalidate();
}
void TCustomLabel::SetAutoSize(bool V) {
    if (V == AutoSize_) return;
    AutoSize_ = V;
    AdjustBounds();
}
void TCustomLabel::SetFocusControl(TWinControl* V) {
    if (FocusControl_) FocusControl_->RemoveFreeNotification(this);
    FocusControl_ = V;
    if (V) V->FreeNotification(this);
}
void TCustomLabel::SetShowAccelChar(bool V) {
    if (V == ShowAccelChar_) return;
    ShowAccelChar_ = V;
    Invalidate();
}
void TCustomLabel::SetTransparent(bool V) {
    if (Transparent() == V) return;
    if (V)
        ControlStyle_.Exclude(csOpaque);
    else
        ControlStyle_.Include(csOpaque);
    Invalidate();
}
void TCustomLabel::SetLayout(TVerticalLayout V) {
    if (V == Layout_) return;
    Layout_ = V;
    Invalidate();
}
void TCustomLabel::SetWordWrap(bool V) {
    if (V == WordWrap_) return;
    WordWrap_ = V;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::Notification(TComponent* A, TOperation Op) {
    TGraphicControl::Notification(A, Op);
    if (Op == opRemove && A == FocusControl_) FocusControl_ = nullptr;
}

void TCustomLabel::Loaded() {
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TCustomLabel::DoDrawText(TRect& R, UINT Flags) {
    std::string Text = GetLabelText();
    if ((Flags & DT_CALCRECT) && (Text.empty() || (ShowAccelChar_ && Text == "&"))) Text += ' ';
    if (!ShowAccelChar_) Flags |= DT_NOPREFIX;
    TCanvas* C = Canvas();
    C->Font()->Assign(Font());
    HDC DC = C->Handle();
    SelectObject(DC, Font()->Handle());
    SetBkMode(DC, TRANSPARENT);
    if (!Enabled()) {
        OffsetRect(&R, 1, 1);
        SetTextColor(DC, ColorToRGB(clBtnHighlight));
        DrawTextA(DC, Text.c_str(), -1, &R, Flags);
        OffsetRect(&R, -1, -1);
        SetTextColor(DC, ColorToRGB(clBtnShadow));
        DrawTextA(DC, Text.c_str(), -1, &R, Flags);
    } else {
        SetTextColor(DC, ColorToRGB(Font()->Color()));
        DrawTextA(DC, Text.c_str(), -1, &R, Flags);
    }
}

void TCustomLabel::Paint() {
    static const UINT Alignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    TCanvas* C = Canvas();
    TRect R = ClientRect();
    if (!Transparent()) {
        C->Brush()->SetColor(Color());
        C->Brush()->SetStyle(bsSolid);
        C->FillRect(R);
    }
    C->Brush()->SetStyle(bsClear);
    UINT Flags = DT_EXPANDTABS | (WordWrap_ ? UINT(DT_WORDBREAK) : 0u) | Alignments[Alignment_];
    if (Layout_ != tlTop) {
        TRect M = R;
        DoDrawText(M, Flags | DT_CALCRECT);
        int Dy = R.Height() - M.Height();
        if (Layout_ == tlCenter) Dy /= 2;
        R.Top += Dy;
    }
    DoDrawText(R, Flags);
}

void TCustomLabel::AdjustBounds() {
    if (IsLoading() || !AutoSize_) return;
    static const UINT Alignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    TRect R = ClientRect();
    HDC DC = GetDC(0);
    HGDIOBJ Old = SelectObject(DC, Font()->Handle());
    std::string Text = GetLabelText();
    if (Text.empty() || (ShowAccelChar_ && Text == "&")) Text += ' ';
    DrawTextA(DC, Text.c_str(), -1, &R,
              DT_EXPANDTABS | DT_CALCRECT | (WordWrap_ ? UINT(DT_WORDBREAK) : 0u) |
                  (ShowAccelChar_ ? 0u : UINT(DT_NOPREFIX)) | Alignments[Alignment_]);
    SelectObject(DC, Old);
    ReleaseDC(0, DC);
    int X = Left_;
    if (Alignment_ == taRightJustify) X += Width_ - R.Right;
    SetBounds(X, Top_, R.Right, R.Bottom);
}

void TCustomLabel::WndProc(TMessage& M) {
    switch (M.Msg) {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
        Invalidate();
        AdjustBounds();
        return;
    case CM_DIALOGCHAR:
        if (FocusControl_ && Enabled() && ShowAccelChar_ &&
            IsAccel(static_cast<WORD>(M.WParam), Caption()) && FocusControl_->CanFocus()) {
            FocusControl_->SetFocus();
            M.Result = 1;
        }
        return;
    default:
        break;
    }
    TGraphicControl::WndProc(M);
}

static void DescribeCustomLabel(TClassBuilder<TCustomLabel>& B) {
    using T = TCustomLabel;
    auto D = B.Unpublished();
    D.Enum("Alignment", &T::Alignment, &T::SetAlignment).SetDefault(taLeftJustify);
    D.Bool("AutoSize", &T::AutoSize, &T::SetAutoSize).SetDefault(true);
    D.Component("FocusControl", &T::FocusControl, &T::SetFocusControl);
    D.Enum("Layout", &T::Layout, &T::SetLayout).SetDefault(tlTop);
    D.Bool("ShowAccelChar", &T::ShowAccelChar, &T::SetShowAccelChar).SetDefault(true);
    D.Bool("Transparent", &T::Transparent, &T::SetTransparent).SetDefault(false);
    D.Bool("WordWrap", &T::WordWrap, &T::SetWordWrap).SetDefault(false);
}
QEL_IMPLEMENT_ABSTRACT(TCustomLabel, TGraphicControl, DescribeCustomLabel)

QEL_IMPLEMENT_CLASS(TLabel, TCustomLabel, [](TClassBuilder<TLabel>& B) {
    B.Publish({"Align", "Alignment", "Anchors", "AutoSize", "Caption"});
    B.Publish("Color").NoDefault();
    B.Publish({"FocusControl",   "Font",           "Layout",        "ParentColor", "ParentFont",
               "ParentShowHint", "ShowHint",       "ShowAccelChar", "Transparent", "Visible",
               "WordWrap",       "Enabled",        "Hint",          "Cursor",      "OnClick",
               "OnDblClick",     "OnContextPopup", "OnMouseDown",   "OnMouseMove", "OnMouseUp",
               "DragCursor",     "DragMode",       "OnDragDrop",    "OnDragOver",  "OnEndDrag",
               "OnStartDrag"});
})

// ---- TButtonControl ----

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner) {
    SetTabStop(true);
    ControlStyle_ = ControlStyle_ - TControlStyle{csClickEvents};
}

void TButtonControl::WndProc(TMessage& M) {
    switch (M.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        // The window pushes itself; the toolkit only reports the mouse-down event.
        if (!IsDesigning()) {
            TWMMouse Mm(M);
            MouseDown(mbLeft, KeysToShiftState(Mm.Keys), Mm.XPos, Mm.YPos);
            DefaultHandler(M);
            return;
        }
        break;
    case WM_LBUTTONUP:
        if (!IsDesigning()) {
            TWMMouse Mm(M);
            auto Alive = LifeToken();
            DefaultHandler(M); // may click, and the click handler may free the button
            if (!Alive.expired()) MouseUp(mbLeft, KeysToShiftState(Mm.Keys), Mm.XPos, Mm.YPos);
            return;
        }
        break;
    case WM_MOUSEMOVE:
        if (!IsDesigning()) {
            DefaultHandler(M);
            TWinControl::WndProc(M);
            return;
        }
        break;
    default:
        break;
    }
    TWinControl::WndProc(M);
}

QEL_IMPLEMENT_ABSTRACT(TButtonControl, TWinControl, NoProperties<TButtonControl>)

// ---- TButton ----

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner) {
    Width_ = 75;
    Height_ = 25;
    ControlStyle_ = TControlStyle{csSetCaption, csDoubleClicks};
}

void TButton::CreateParams(TCreateParams& P) {
    TButtonControl::CreateParams(P);
    CreateSubClass(P, "BUTTON");
    P.Style |= Active_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::CreateWnd() {
    TButtonControl::CreateWnd();
    Active_ = Default_;
    SetButtonStyle(Active_);
}

void TButton::SetButtonStyle(bool ADefault) {
    if (!HandleAllocated()) return;
    DWORD Style = static_cast<DWORD>(GetWindowLongA(Handle(), GWL_STYLE));
    if ((Style & BS_TYPEMASK) == BS_OWNERDRAW) return;
    DWORD Want = ADefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    if ((Style & BS_TYPEMASK) != Want) SendMessageA(Handle(), BM_SETSTYLE, Want, 1);
}

void TButton::SetDefault(bool V) {
    Default_ = V;
    if (HandleAllocated())
        if (TCustomForm* F = GetParentForm())
            F->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(F->ActiveControl()));
}

bool TButtonControl::ClickOnDialogKey(TMessage& M, bool Active, bool Cancel) {
    bool Clicks = false;
    if (M.Msg == CM_DIALOGKEY)
        Clicks = ((M.WParam == VK_RETURN && Active) || (M.WParam == VK_ESCAPE && Cancel)) &&
                 KeyDataToShiftState(static_cast<LONG>(M.LParam)).Empty();
    else if (M.Msg == CM_DIALOGCHAR)
        Clicks = IsAccel(static_cast<WORD>(M.WParam), Caption());
    if (!Clicks || !CanFocus()) return false;
    Click();
    M.Result = 1;
    return true;
}

void TButton::Click() {
    if (TCustomForm* F = GetParentForm()) F->SetModalResult(ModalResult_);
    TButtonControl::Click();
}

void TButton::WndProc(TMessage& M) {
    switch (M.Msg) {
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
        if (ClickOnDialogKey(M, Active_, Cancel_)) return;
        break;
    case CM_FOCUSCHANGED: {
        auto* Sender = reinterpret_cast<TWinControl*>(M.LParam);
        if (Sender && Sender->Is<TButton>())
            Active_ = Sender == this;
        else
            Active_ = Default_;
        SetButtonStyle(Active_);
        break;
    }
    case CN_COMMAND:
        if (HIWORD(M.WParam) == BN_CLICKED) Click();
        return;
    default:
        break;
    }
    TButtonControl::WndProc(M);
}

QEL_IMPLEMENT_CLASS(TButton, TButtonControl, [](TClassBuilder<TButton>& B) {
    B.Publish("Anchors");
    B.Bool("Cancel", &TButton::Cancel, &TButton::SetCancel).SetDefault(false);
    B.Publish("Caption");
    B.Bool("Default", &TButton::Default, &TButton::SetDefault).SetDefault(false);
    B.Publish({"Enabled", "Font", "Hint"});
    B.Integer("ModalResult", &TButton::ModalResult, &TButton::SetModalResult).SetDefault(0);
    B.Publish({"ParentFont", "ParentShowHint", "ShowHint", "TabOrder"});
    B.Publish("TabStop").SetDefault(true);
    B.Publish({"Visible", "OnClick", "OnEnter", "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp",
               "OnContextPopup", "OnMouseDown", "OnMouseMove", "OnMouseUp", "DragCursor",
               "DragMode", "OnDragDrop", "OnDragOver", "OnEndDrag", "OnStartDrag"});
})

// ---- TCustomCheckBox ----

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TButtonControl(AOwner) {
    ParentColor_ = false;
    Width_ = 97;
    Height_ = 17;
    ControlStyle_ = TControlStyle{csSetCaption, csDoubleClicks};
}

void TCustomCheckBox::CreateParams(TCreateParams& P) {
    TButtonControl::CreateParams(P);
    CreateSubClass(P, "BUTTON");
    P.Style |= BS_3STATE;
    if (Alignment_ == taLeftJustify) P.Style |= BS_LEFTTEXT;
}

void TCustomCheckBox::CreateWnd() {
    TButtonControl::CreateWnd();
    SendMessageA(Handle(), BM_SETCHECK, static_cast<WPARAM>(State_), 0);
}

void TCustomCheckBox::SetAlignment(TLeftRight V) {
    if (V == Alignment_) return;
    Alignment_ = V;
    RecreateWnd();
}

void TCustomCheckBox::SetState(TCheckBoxState V) {
    if (V == State_) return;
    State_ = V;
    if (HandleAllocated()) SendMessageA(Handle(), BM_SETCHECK, static_cast<WPARAM>(V), 0);
    if (!ClicksDisabled_) Click();
}

void TCustomCheckBox::Toggle() {
    switch (State_) {
    case cbUnchecked:
        SetState(AllowGrayed_ ? cbGrayed : cbChecked);
        break;
    case cbChecked:
        SetState(cbUnchecked);
        break;
    case cbGrayed:
        SetState(cbChecked);
        break;
    }
}

void TCustomCheckBox::WndProc(TMessage& M) {
    switch (M.Msg) {
    case CN_COMMAND:
        if (HIWORD(M.WParam) == BN_CLICKED) Toggle();
        return;
    case CM_DIALOGCHAR:
        if (IsAccel(static_cast<WORD>(M.WParam), Caption()) && CanFocus()) {
            SetFocus();
            if (Focused()) Toggle();
            M.Result = 1;
            return;
        }
        break;
    default:
        break;
    }
    TButtonControl::WndProc(M);
}

QEL_IMPLEMENT_ABSTRACT(TCustomCheckBox, TButtonControl, NoProperties<TCustomCheckBox>)

QEL_IMPLEMENT_CLASS(TCheckBox, TCustomCheckBox, [](TClassBuilder<TCheckBox>& B) {
    B.Enum("Alignment", &TCheckBox::Alignment, &TCheckBox::SetAlignment).SetDefault(taRightJustify);
    B.Bool("AllowGrayed", &TCheckBox::AllowGrayed, &TCheckBox::SetAllowGrayed).SetDefault(false);
    B.Publish({"Anchors", "Caption"});
    B.Bool("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked).SetDefault(false);
    B.Publish("Color").SetDefault(clBtnFace).AlwaysStored();
    B.Publish({"Enabled", "Font", "Hint"});
    B.Publish("ParentColor").SetDefault(false);
    B.Publish({"ParentFont", "ParentShowHint", "ShowHint"});
    B.Enum("State", &TCheckBox::State, &TCheckBox::SetState).SetDefault(cbUnchecked);
    B.Publish("TabOrder");
    B.Publish("TabStop").SetDefault(true);
    B.Publish({"Visible", "OnClick", "OnEnter", "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp",
               "OnContextPopup", "OnMouseDown", "OnMouseMove", "OnMouseUp", "DragCursor",
               "DragMode", "OnDragDrop", "OnDragOver", "OnEndDrag", "OnStartDrag"});
})

// ---- TRadioButton ----

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner) {
    ParentColor_ = false;
    Width_ = 113;
    Height_ = 17;
    ControlStyle_ = TControlStyle{csSetCaption, csDoubleClicks};
}

void TRadioButton::CreateParams(TCreateParams& P) {
    TButtonControl::CreateParams(P);
    CreateSubClass(P, "BUTTON");
    P.Style |= BS_RADIOBUTTON;
    if (Alignment_ == taLeftJustify) P.Style |= BS_LEFTTEXT;
}

void TRadioButton::CreateWnd() {
    TButtonControl::CreateWnd();
    SendMessageA(Handle(), BM_SETCHECK, Checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TRadioButton::SetAlignment(TLeftRight V) {
    if (V == Alignment_) return;
    Alignment_ = V;
    RecreateWnd();
}

void TRadioButton::SetChecked(bool V) {
    if (V == Checked_) return;
    Checked_ = V;
    SetTabStop(V);
    if (HandleAllocated()) SendMessageA(Handle(), BM_SETCHECK, V ? BST_CHECKED : BST_UNCHECKED, 0);
    if (V) {
        // One checked radio button per parent.
        if (Parent_)
            for (int I = 0; I < Parent_->ControlCount(); ++I)
                if (auto* R = dynamic_cast<TRadioButton*>(Parent_->Controls(I)); R && R != this)
                    R->SetChecked(false);
        if (!ClicksDisabled_) Click();
    }
}

// The arrows move through the radio buttons of the parent (wrapping round) and check the one
// they reach, as a group of radio buttons is used from the keyboard.
static bool MoveInRadioGroup(TRadioButton* From, bool Forward) {
    TWinControl* P = From->Parent();
    if (!P) return false;
    std::vector<TWinControl*> Order;
    P->GetTabOrderList(Order);
    std::vector<TRadioButton*> Group;
    for (TWinControl* C : Order)
        if (auto* R = dynamic_cast<TRadioButton*>(C); R && R->Parent() == P) Group.push_back(R);
    const auto N = static_cast<int>(Group.size());
    int At = -1;
    for (int I = 0; I < N; ++I)
        if (Group[static_cast<std::size_t>(I)] == From) At = I;
    if (At < 0) return false;
    for (int Step = 1; Step < N; ++Step) {
        TRadioButton* Next =
            Group[static_cast<std::size_t>(((At + (Forward ? Step : -Step)) % N + N) % N)];
        if (!Next->CanFocus()) continue;
        auto Alive = Next->LifeToken();
        Next->SetFocus();
        if (!Alive.expired() && Next->Focused()) Next->SetChecked(true);
        return true;
    }
    return false;
}

void TRadioButton::WndProc(TMessage& M) {
    switch (M.Msg) {
    case WM_GETDLGCODE:
        TButtonControl::WndProc(M);
        M.Result |= DLGC_WANTARROWS;
        return;
    case WM_KEYDOWN: {
        auto Alive = LifeToken();
        TButtonControl::WndProc(M); // OnKeyDown may take the key (or free the button)
        if (Alive.expired()) return;
        const WPARAM K = M.WParam;
        if (K == VK_LEFT || K == VK_RIGHT || K == VK_UP || K == VK_DOWN)
            MoveInRadioGroup(this, K == VK_RIGHT || K == VK_DOWN);
        return;
    }
    case CN_COMMAND:
        if (HIWORD(M.WParam) == BN_CLICKED) SetChecked(true);
        return;
    case CM_DIALOGCHAR:
        if (IsAccel(static_cast<WORD>(M.WParam), Caption()) && CanFocus()) {
            SetFocus();
            if (Focused()) SetChecked(true);
            M.Result = 1;
            return;
        }
        break;
    default:
        break;
    }
    TButtonControl::WndProc(M);
}

QEL_IMPLEMENT_CLASS(TRadioButton, TButtonControl, [](TClassBuilder<TRadioButton>& B) {
    B.Enum("Alignment", &TRadioButton::Alignment, &TRadioButton::SetAlignment)
        .SetDefault(taRightJustify);
    B.Publish({"Anchors", "Caption"});
    B.Bool("Checked", &TRadioButton::Checked, &TRadioButton::SetChecked).SetDefault(false);
    B.Publish("Color").SetDefault(clBtnFace).AlwaysStored();
    B.Publish({"Enabled", "Font", "Hint"});
    B.Publish("ParentColor").SetDefault(false);
    B.Publish({"ParentFont", "ParentShowHint", "ShowHint", "TabOrder", "TabStop", "Visible",
               "OnClick", "OnEnter", "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp"});
})

} // namespace qel
