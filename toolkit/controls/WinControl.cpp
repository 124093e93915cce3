#include "toolkit/controls/ControlCanvas.h"
#include "toolkit/controls/Controls.h"
#include "toolkit/controls/Forms.h"
#include "toolkit/controls/Menus.h"
#include "toolkit/controls/WindowClasses.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/core/ScopeGuard.h"
#include "toolkit/graphics/Font.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

namespace qel {

// Tells the graphic child that held this window's capture that it lost it (Controls.cpp).
void GraphicCaptureLost(TWinControl* Window);

namespace {
std::unordered_map<HWND, TWinControl*>& HandleMap() {
    static std::unordered_map<HWND, TWinControl*> M;
    return M;
}
TDesignMouseHook& DesignMouseHook() {
    static TDesignMouseHook H;
    return H;
}
} // namespace

TDesignMouseHook SetDesignMouseHook(TDesignMouseHook Hook) {
    return std::exchange(DesignMouseHook(), std::move(Hook));
}

TWinControl* FindControl(HWND Handle) {
    if (!Handle) return nullptr;
    auto& M = HandleMap();
    auto It = M.find(Handle);
    return It == M.end() ? nullptr : It->second;
}

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {
    Color_ = clBtnFace;
}

TWinControl::~TWinControl() {
    if (Application) Application->NotifyControlDestroying(this);
    // Children go with their parent; each leaves its owner's list as it is freed.
    while (!Controls_.empty()) {
        TControl* C = Controls_.back();
        RemoveControl(C);
        delete C;
    }
    if (Handle_) DestroyHandle();
    if (Parent_) Parent_->RemoveControl(this);
}

// ---- handle ----

HWND TWinControl::Handle() {
    HandleNeeded();
    return Handle_;
}

void TWinControl::HandleNeeded() {
    if (Handle_) return;
    if (Parent_) Parent_->HandleNeeded();
    if (!Handle_) CreateHandle();
}

void TWinControl::CreateParams(TCreateParams& P) {
    P = TCreateParams{};
    P.Caption = Text_;
    P.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (ControlStyle_.Contains(csAcceptsControls)) P.Style |= WS_CLIPCHILDREN;
    if (Visible_ && !IsDesigning()) P.Style |= WS_VISIBLE;
    if (IsDesigning() && Visible_) P.Style |= WS_VISIBLE;
    if (!Enabled_) P.Style |= WS_DISABLED;
    if (TabStop_) P.Style |= WS_TABSTOP;
    P.X = Left_, P.Y = Top_, P.Width = Width_, P.Height = Height_;
    // Only the window that exists already: computing parameters must not create windows.
    P.WndParent = Parent_ ? Parent_->Handle_ : ParentWindow_;
    P.WinClassName = ClassName();
    P.ClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
}

void TWinControl::CreateWindowHandle(const TCreateParams& P) {
    TCreateWindowParams W;
    W.ExStyle = P.ExStyle;
    W.ClassName = P.WinClassName;
    W.Caption = P.Caption;
    W.Style = P.Style;
    W.ClassStyle = P.ClassStyle;
    W.X = P.X, W.Y = P.Y, W.Width = P.Width, W.Height = P.Height;
    W.Parent = P.WndParent;
    W.Target = this;
    Handle_ = CreateWindowQ(W);
    if (!Handle_) throw EInvalidOperation("Error creating window for control '" + Name() + "'");
}

void TWinControl::CreateWnd() {
    TCreateParams P;
    CreateParams(P);
    if (Parent_) P.WndParent = Parent_->Handle_;
    if ((P.Style & WS_CHILD) && !P.WndParent)
        throw EInvalidOperation("Control '" + Name() + "' has no parent window");
    CreateWindowHandle(P);
    HandleMap()[Handle_] = this;
}

void TWinControl::CreateHandle() {
    if (Handle_) return;
    ControlState_.Include(csCreating);
    {
        const TScopeExit Restore([&] { ControlState_.Exclude(csCreating); });
        CreateWnd();
    }
    // Children in z-order, so their windows stack like the controls.
    auto Kids = Controls_;
    for (TControl* C : Kids)
        if (auto* W = dynamic_cast<TWinControl*>(C)) W->CreateHandle();
    Realign();
}

void TWinControl::DestroyWnd() {
    HWND H = Handle_;
    HandleMap().erase(H);
    SetWindowTarget(H, nullptr);
    Handle_ = 0;
    DestroyWindow(H);
}

void TWinControl::DestroyHandle() {
    if (!Handle_) return;
    ControlState_.Include(csDestroyingHandle);
    for (TControl* C : Controls_)
        if (auto* W = dynamic_cast<TWinControl*>(C)) W->DestroyHandle();
    DestroyWnd();
    ControlState_.Exclude(csDestroyingHandle);
}

void TWinControl::RecreateWnd() {
    if (!Handle_) return;
    bool HadFocus = Focused();
    DestroyHandle();
    UpdateShowing();
    if (HadFocus && Handle_) ::qel::SetFocus(Handle_);
}

void TWinControl::SetParentWindow(HWND V) {
    if (ParentWindow_ == V) return;
    if (Handle_ && !Parent_) DestroyHandle();
    ParentWindow_ = V;
    if (V && !Parent_) UpdateShowing();
}

void TWinControl::UpdateShowing() {
    // Windows exist while the parent's window does; visibility is a window style.
    if (Handle_) return;
    if ((Parent_ && Parent_->HandleAllocated()) || (!Parent_ && ParentWindow_)) CreateHandle();
}

// ---- tree ----

void TWinControl::InsertControl(TControl* C) {
    C->Parent_ = this;
    Controls_.push_back(C);
    if (auto* W = dynamic_cast<TWinControl*>(C)) TabList_.push_back(W);
    if (!IsLoading() && !C->IsLoading()) {
        if (C->ParentColor_) C->Perform(CM_PARENTCOLORCHANGED, 0, 0);
        if (C->ParentFont_) C->Perform(CM_PARENTFONTCHANGED, 0, 0);
        if (C->ParentShowHint_) C->Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
        if (C->ParentBiDiMode_) C->Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
    }
    C->UpdateAnchorRules();
    if (auto* W = dynamic_cast<TWinControl*>(C)) W->UpdateShowing();
    Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(C), 1);
    if (C->Visible_) C->InvalidateControl(true, false);
    Realign();
}

void TWinControl::RemoveControl(TControl* C) {
    auto It = std::find(Controls_.begin(), Controls_.end(), C);
    if (It == Controls_.end()) return;
    Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(C), 0);
    if (C->Visible_) C->InvalidateControl(true, false);
    if (auto* W = dynamic_cast<TWinControl*>(C)) {
        // The form must not keep pointing at a control that leaves it.
        if (TCustomForm* F = GetParentForm()) F->DefocusControl(W, true);
        if (W->Handle_ && !IsDestroying()) W->DestroyHandle();
        std::erase(TabList_, W);
    }
    if (MouseControl_ == C) MouseControl_ = nullptr;
    Controls_.erase(std::find(Controls_.begin(), Controls_.end(), C));
    C->Parent_ = nullptr;
    if (C->Align_ != alNone) Realign();
}

bool TWinControl::ContainsControl(const TControl* C) const {
    for (; C; C = C->Parent_)
        if (C == this) return true;
    return false;
}

TControl* TWinControl::ControlAtPos(TPoint P, bool AllowDisabled, bool AllowWinControls) const {
    // The topmost control is the last one.
    for (std::size_t I = Controls_.size(); I-- > 0;) {
        TControl* C = Controls_[I];
        bool IsWin = dynamic_cast<TWinControl*>(C) != nullptr;
        if (IsWin && !AllowWinControls) continue;
        if (!C->Visible_ && !(C->IsDesigning() && !C->ControlStyle_.Contains(csNoDesignVisible)))
            continue;
        if (!C->Enabled_ && !AllowDisabled) continue;
        if (P.X < C->Left_ || P.Y < C->Top_ || P.X >= C->Left_ + C->Width_ ||
            P.Y >= C->Top_ + C->Height_)
            continue;
        if (C->Perform(CM_HITTEST, 0, MAKELPARAM(P.X - C->Left_, P.Y - C->Top_)) == 0) continue;
        return C;
    }
    return nullptr;
}

void TWinControl::Broadcast(TMessage& M) {
    auto Kids = Controls_;
    for (TControl* C : Kids) {
        C->WindowProc(M);
        if (M.Result != 0) return;
    }
}

void TWinControl::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
    // The root also hands over what it owns that has no place among the controls (timers,
    // backgrounds), before its controls.
    if (Root == this)
        for (int I = 0; I < ComponentCount(); ++I)
            if (TComponent* C = Components(I); !C->HasParent()) Proc(C);
    for (TControl* C : Controls_)
        if (C->Owner() == Root) Proc(C);
}

void TWinControl::SetChildOrder(TComponent* Child, int Order) {
    auto* C = Cast<TControl>(Child);
    if (!C || C->Parent_ != this) return;
    std::erase(Controls_, C);
    Order = std::clamp(Order, 0, static_cast<int>(Controls_.size()));
    Controls_.insert(Controls_.begin() + Order, C);
}

// ---- alignment ----

void TWinControl::DisableAlign() {
    ++AlignLevel_;
}

void TWinControl::EnableAlign() {
    if (--AlignLevel_ == 0 && ControlState_.Contains(csAlignmentNeeded)) Realign();
}

void TWinControl::Realign() {
    AlignControl(nullptr);
}

void TWinControl::AlignControl(TControl* AControl) {
    if (AlignLevel_ > 0 || IsLoading() || IsDestroying()) {
        ControlState_.Include(csAlignmentNeeded);
        return;
    }
    ControlState_.Exclude(csAlignmentNeeded);
    AlignChildren(AControl);
}

void TWinControl::AlignChildren(TControl* AControl) {
    TRect R = ClientRect();
    AdjustClientRect(R);
    ++AlignLevel_;
    const TScopeExit Restore([&] { --AlignLevel_; });
    AlignControls(AControl, R);
}

void TWinControl::AlignControls(TControl* AControl, TRect& Rect) {
    auto Visible = [](TControl* C) {
        return C->Visible_ || (C->IsDesigning() && !C->ControlStyle_.Contains(csNoDesignVisible));
    };
    static const TAlign Order[] = {alTop, alBottom, alLeft, alRight, alClient};
    for (TAlign A : Order) {
        std::vector<TControl*> List;
        for (TControl* C : Controls_)
            if (C->Align_ == A && Visible(C)) List.push_back(C);
        // Nearer the edge it aligns to comes first; the control being moved wins ties.
        auto Key = [A](TControl* C) {
            switch (A) {
            case alTop:
                return C->Top_;
            case alBottom:
                return -(C->Top_ + C->Height_);
            case alLeft:
                return C->Left_;
            case alRight:
                return -(C->Left_ + C->Width_);
            default:
                return 0;
            }
        };
        std::stable_sort(List.begin(), List.end(), [&](TControl* X, TControl* Y) {
            int Kx = Key(X), Ky = Key(Y);
            if (Kx != Ky) return Kx < Ky;
            return X == AControl && Y != AControl;
        });
        for (TControl* C : List) {
            int W = C->Width_, H = C->Height_;
            int L = Rect.Left, T = Rect.Top;
            switch (A) {
            case alTop:
                W = Rect.Width();
                break;
            case alBottom:
                W = Rect.Width();
                T = Rect.Bottom - H;
                break;
            case alLeft:
                H = Rect.Height();
                break;
            case alRight:
                H = Rect.Height();
                L = Rect.Right - W;
                break;
            case alClient:
                W = Rect.Width();
                H = Rect.Height();
                break;
            default:
                break;
            }
            if (W < 0) W = 0;
            if (H < 0) H = 0;
            C->InAlign_ = true;
            {
                const TScopeExit Restore([&] { C->InAlign_ = false; });
                C->SetBounds(L, T, W, H);
            }
            // Constraints may have refused the size; take what the control really got.
            switch (A) {
            case alTop:
                Rect.Top += C->Height_;
                break;
            case alBottom:
                Rect.Bottom -= C->Height_;
                break;
            case alLeft:
                Rect.Left += C->Width_;
                break;
            case alRight:
                Rect.Right -= C->Width_;
                break;
            default:
                break;
            }
        }
    }
    ApplyAnchors();
}

void TWinControl::ApplyAnchors() {
    TRect C = ClientRect();
    for (TControl* X : Controls_) {
        if (X->Align_ != alNone) continue;
        if (X->Anchors_ == TAnchors{akLeft, akTop}) continue;
        if (X->AnchorOrigin_.X == 0 && X->AnchorOrigin_.Y == 0) continue;
        const TRect& R = X->AnchorRules_;
        int L = X->Left_, T = X->Top_, W = X->Width_, H = X->Height_;
        bool Al = X->Anchors_.Contains(akLeft), Ar = X->Anchors_.Contains(akRight);
        bool At = X->Anchors_.Contains(akTop), Ab = X->Anchors_.Contains(akBottom);
        if (Ar && Al) {
            L = R.Left;
            W = C.Width() - R.Left - R.Right;
        } else if (Ar) {
            L = C.Width() - R.Right - W;
        } else if (!Al) {
            // Neither side: keep the centre at the same proportion of the parent.
            int Centre = R.Left + X->Width_ / 2;
            L = X->AnchorOrigin_.X ? Centre * C.Width() / X->AnchorOrigin_.X - W / 2 : L;
        }
        if (Ab && At) {
            T = R.Top;
            H = C.Height() - R.Top - R.Bottom;
        } else if (Ab) {
            T = C.Height() - R.Bottom - H;
        } else if (!At) {
            int Centre = R.Top + X->Height_ / 2;
            T = X->AnchorOrigin_.Y ? Centre * C.Height() / X->AnchorOrigin_.Y - H / 2 : T;
        }
        X->InAlign_ = true;
        const TScopeExit Restore([&] { X->InAlign_ = false; });
        X->SetBounds(L, T, std::max(0, W), std::max(0, H));
    }
}

// ---- geometry ----

void TWinControl::SetBounds(int L, int T, int W, int H) {
    ApplyConstraints(W, H);
    if (L == Left_ && T == Top_ && W == Width_ && H == Height_) return;
    bool Sized = W != Width_ || H != Height_;
    Left_ = L, Top_ = T, Width_ = W, Height_ = H;
    if (Handle_) SetWindowPos(Handle_, 0, L, T, W, H, SWP_NOZORDER | SWP_NOACTIVATE);
    if (!InAlign_) UpdateAnchorRules();
    BoundsChanged();
    if (Sized) {
        Realign();
        Resize();
    }
    RequestAlign();
}

TRect TWinControl::ClientRect() const {
    if (Handle_) {
        TRect R;
        GetClientRect(Handle_, &R);
        return R;
    }
    // Without a window yet: the frame the window will get.
    TCreateParams P;
    const_cast<TWinControl*>(this)->CreateParamsNoHandle(P);
    int I = 0;
    if (P.Style & WS_CHILD) {
        if (P.Style & WS_BORDER) I += 1;
        if (P.ExStyle & WS_EX_CLIENTEDGE) I += 2;
        if (P.ExStyle & WS_EX_STATICEDGE) I += 1;
    }
    return {0, 0, std::max(0, Width_ - 2 * I), std::max(0, Height_ - 2 * I)};
}

TPoint TWinControl::ClientOrigin() const {
    if (Handle_) {
        TPoint P{0, 0};
        ::qel::ClientToScreen(Handle_, &P);
        return P;
    }
    TPoint P = Parent_ ? Parent_->ClientOrigin() : TPoint{0, 0};
    TRect C = ClientRect();
    int Inset = (Width_ - C.Right) / 2;
    return {P.X + Left_ + Inset, P.Y + Top_ + Inset};
}

void TWinControl::SetParent(TWinControl* AParent) {
    TControl::SetParent(AParent);
}

void TWinControl::BringToFront() {
    TControl::BringToFront();
    if (Handle_) SetWindowPos(Handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void TWinControl::SendToBack() {
    TControl::SendToBack();
    if (Handle_) SetWindowPos(Handle_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void TWinControl::SetEnabled(bool V) {
    if (V == Enabled_) return;
    Enabled_ = V;
    if (Handle_) EnableWindow(Handle_, V ? TRUE : FALSE);
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

// ---- painting ----

void TWinControl::Invalidate() {
    if (Handle_) InvalidateRect(Handle_, nullptr, TRUE);
}

void TWinControl::Update() {
    if (Handle_) UpdateWindow(Handle_);
}

void TWinControl::Repaint() {
    Invalidate();
    Update();
}

HDC TWinControl::GetDeviceContext(HWND& WindowHandle) {
    WindowHandle = Handle();
    HDC DC = GetDC(WindowHandle);
    if (!DC) throw EOutOfResources("Out of system resources (device context)");
    return DC;
}

void TWinControl::EraseBackground(HDC DC) {
    if (Color_ == clNone) return;
    HBRUSH B = CreateSolidBrush(ColorToRGB(Color_));
    TRect R = ClientRect();
    FillRect(DC, &R, B);
    DeleteObject(B);
}

void TWinControl::PaintWindow(HDC DC) {
    TMessage M{WM_PAINT, DC, 0, 0};
    DefaultHandler(M);
}

void TWinControl::PaintControls(HDC DC, TControl* First) {
    std::size_t I = 0;
    if (First) {
        auto It = std::find(Controls_.begin(), Controls_.end(), First);
        I = It == Controls_.end() ? 0 : static_cast<std::size_t>(It - Controls_.begin());
    }
    TRect Clip;
    GetClipBox(DC, &Clip);
    auto Kids = Controls_;
    for (; I < Kids.size(); ++I) {
        TControl* C = Kids[I];
        if (dynamic_cast<TWinControl*>(C)) continue;
        bool Show =
            C->Visible_ || (C->IsDesigning() && !C->ControlStyle_.Contains(csNoDesignVisible));
        if (!Show) continue;
        TRect B = C->BoundsRect(), X;
        if (!IntersectRect(&X, &B, &Clip)) continue;
        int Saved = SaveDC(DC);
        TPoint Org;
        GetViewportOrgEx(DC, &Org);
        SetViewportOrgEx(DC, Org.X + C->Left_, Org.Y + C->Top_, nullptr);
        IntersectClipRect(DC, 0, 0, C->Width_, C->Height_);
        C->Perform(WM_PAINT, DC, 0);
        RestoreDC(DC, Saved);
    }
}

void TWinControl::PaintHandler(TMessage& M) {
    HDC DC = M.WParam;
    PAINTSTRUCT Ps;
    if (!DC) DC = BeginPaint(Handle(), &Ps);
    const TScopeExit Restore([&] {
        if (!M.WParam) EndPaint(Handle_, &Ps);
    });
    PaintWindow(DC);
    PaintControls(DC, nullptr);
}

void TWinControl::PaintTo(HDC DC, int X, int Y) {
    int Saved = SaveDC(DC);
    TPoint Org;
    GetViewportOrgEx(DC, &Org);
    SetViewportOrgEx(DC, Org.X + X, Org.Y + Y, nullptr);
    IntersectClipRect(DC, 0, 0, Width_, Height_);
    TRect C = ClientRect();
    int Inset = (Width_ - C.Right) / 2;
    if (Inset > 0) {
        TCreateParams P;
        CreateParamsNoHandle(P);
        TRect R{0, 0, Width_, Height_};
        if (P.Style & WS_BORDER) {
            FrameRect(DC, &R, GetSysColorBrush(COLOR_WINDOWFRAME));
            InflateRect(&R, -1, -1);
        }
        if (P.ExStyle & WS_EX_CLIENTEDGE) DrawEdge(DC, &R, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        if (P.ExStyle & WS_EX_STATICEDGE) DrawEdge(DC, &R, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
        SetViewportOrgEx(DC, Org.X + X + Inset, Org.Y + Y + Inset, nullptr);
        IntersectClipRect(DC, 0, 0, C.Right, C.Bottom);
    }
    Perform(WM_ERASEBKGND, DC, 0);
    Perform(WM_PAINT, DC, 0);
    for (TControl* K : Controls_)
        if (auto* W = dynamic_cast<TWinControl*>(K); W && W->Visible_)
            W->PaintTo(DC, W->Left_, W->Top_);
    RestoreDC(DC, Saved);
}

// ---- focus ----

bool TWinControl::Focused() const {
    return Handle_ && GetFocus() == Handle_;
}

bool TWinControl::CanFocus() const {
    const TCustomForm* Form = GetParentForm();
    if (!Form) return false;
    for (const TControl* C = this; C; C = C->Parent_)
        if (!C->Visible_ || !C->Enabled_) return false;
    return true;
}

void TWinControl::SetFocus() {
    if (TCustomForm* F = GetParentForm())
        F->FocusControl(this);
    else if (Handle_ || Parent_)
        ::qel::SetFocus(Handle());
}

TTabOrder TWinControl::TabOrder() const {
    if (!Parent_) return -1;
    auto& L = Parent_->TabList_;
    auto It = std::find(L.begin(), L.end(), this);
    return It == L.end() ? -1 : static_cast<int>(It - L.begin());
}

void TWinControl::SetTabOrder(TTabOrder V) {
    if (!Parent_) return;
    auto& L = Parent_->TabList_;
    std::erase(L, this);
    int N = static_cast<int>(L.size());
    if (V < 0 || V > N) V = N;
    L.insert(L.begin() + V, this);
}

void TWinControl::SetTabStop(bool V) {
    if (V == TabStop_) return;
    TabStop_ = V;
    if (Handle_) {
        LONG_PTR S = GetWindowLongA(Handle_, GWL_STYLE);
        SetWindowLongA(Handle_, GWL_STYLE, V ? (S | WS_TABSTOP) : (S & ~LONG_PTR(WS_TABSTOP)));
    }
    Perform(CM_TABSTOPCHANGED, 0, 0);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) const {
    for (TWinControl* C : TabList_) {
        List.push_back(C);
        C->GetTabOrderList(List);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* Cur, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) const {
    std::vector<TWinControl*> L;
    GetTabOrderList(L);
    if (L.empty()) return nullptr;
    int N = static_cast<int>(L.size());
    int Start = -1;
    for (int I = 0; I < N; ++I)
        if (L[static_cast<std::size_t>(I)] == Cur) Start = I;
    if (Start < 0) Start = GoForward ? N - 1 : 0;
    int I = Start;
    for (int Step = 0; Step < N; ++Step) {
        I = GoForward ? (I + 1) % N : (I - 1 + N) % N;
        TWinControl* C = L[static_cast<std::size_t>(I)];
        if (C == Cur && Step > 0) break;
        if (CheckTabStop && !C->TabStop_) continue;
        if (CheckParent && C->Parent_ != this) continue;
        if (!C->CanFocus()) continue;
        // Controls that hold others (panels) pass focus on rather than take it.
        if (!C->TabStop_ && !CheckTabStop) continue;
        return C;
    }
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* Cur, bool GoForward, bool CheckTabStop) {
    if (TWinControl* C = FindNextControl(Cur, GoForward, CheckTabStop, !CheckTabStop))
        C->SetFocus();
}

void TWinControl::DoEnter() {
    if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
    if (OnExit) OnExit(this);
}

// ---- keyboard ----

void TWinControl::KeyDown(WORD& Key, TShiftState Shift) {
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyPress(char& Key) {
    if (OnKeyPress) OnKeyPress(this, Key);
}

void TWinControl::KeyUp(WORD& Key, TShiftState Shift) {
    if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

namespace {
// The shortcuts of the form's main menu come before the focused control's own key handling,
// wherever the focus is in the form.
bool MainMenuShortCut(TWinControl* Focused, const TMessage& M) {
    WORD Key = static_cast<WORD>(M.WParam);
    if (Key == VK_SHIFT || Key == VK_CONTROL || Key == VK_MENU) return false;
    TCustomForm* Form = Focused->GetParentForm();
    if (!Form) return false;
    TShiftState Shift = KeyDataToShiftState(static_cast<LONG>(M.LParam));
    for (int I = 0; I < Form->ComponentCount(); ++I)
        if (auto* Menu = dynamic_cast<TMainMenu*>(Form->Components(I)))
            if (Menu->IsShortCut(Key, Shift)) return true;
    return false;
}
} // namespace

bool TWinControl::DoKeyDown(TMessage& M) {
    TCustomForm* Form = GetParentForm();
    TShiftState Shift = KeyDataToShiftState(static_cast<LONG>(M.LParam));
    WORD Key = static_cast<WORD>(M.WParam);
    if (Form && Form != this && Form->KeyPreview()) {
        static_cast<TWinControl*>(Form)->KeyDown(Key, Shift);
        if (Key == 0) return true;
    }
    KeyDown(Key, Shift);
    M.WParam = Key;
    return Key == 0;
}

bool TWinControl::DoKeyPress(TMessage& M) {
    TCustomForm* Form = GetParentForm();
    char Key = static_cast<char>(M.WParam);
    if (Form && Form != this && Form->KeyPreview()) {
        static_cast<TWinControl*>(Form)->KeyPress(Key);
        if (Key == 0) return true;
    }
    KeyPress(Key);
    M.WParam = static_cast<unsigned char>(Key);
    return Key == 0;
}

bool TWinControl::DoKeyUp(TMessage& M) {
    TCustomForm* Form = GetParentForm();
    TShiftState Shift = KeyDataToShiftState(static_cast<LONG>(M.LParam));
    WORD Key = static_cast<WORD>(M.WParam);
    if (Form && Form != this && Form->KeyPreview()) {
        static_cast<TWinControl*>(Form)->KeyUp(Key, Shift);
        if (Key == 0) return true;
    }
    KeyUp(Key, Shift);
    return Key == 0;
}

bool TWinControl::DialogKeyHandled(TMessage& M) {
    LRESULT Mask = 0;
    switch (M.WParam) {
    case VK_TAB:
        Mask = DLGC_WANTTAB;
        break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        Mask = DLGC_WANTARROWS;
        break;
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_CANCEL:
        Mask = DLGC_WANTALLKEYS;
        break;
    default:
        return false;
    }
    if (Perform(CM_WANTSPECIALKEY, M.WParam, 0) != 0) return false;
    if (Perform(WM_GETDLGCODE, 0, 0) & Mask) return false;
    TCustomForm* Form = GetParentForm();
    if (!Form) return false;
    return Form->Perform(CM_DIALOGKEY, M.WParam, M.LParam) != 0;
}

// ---- messages ----

LRESULT TWinControl::WindowMessage(HWND, UINT Msg, WPARAM WParam, LPARAM LParam) {
    TMessage M{Msg, WParam, LParam, 0};
    MainWndProc(M);
    return M.Result;
}

void TWinControl::MainWndProc(TMessage& M) {
    try {
        // Before the control's own handling, which would push a button or open a list.
        if (M.Msg >= WM_MOUSEMOVE && M.Msg <= WM_MBUTTONUP && IsDesigning())
            // A copy: the hook may replace itself (or free this control) while it runs.
            if (TDesignMouseHook Hook = DesignMouseHook()) {
                Hook(this, M);
                return;
            }
        if (WindowProc)
            WindowProc(M);
        else
            WndProc(M);
    } catch (...) {
        if (Application) Application->HandleException(this);
    }
}

void TWinControl::WMMouse(TMessage& M) {
    // Mouse messages over a graphic child (or captured by one) belong to it.
    TControl* Target = nullptr;
    TControl* Cap = GetCaptureControl();
    if (Handle_ && GetCapture() == Handle_) {
        if (Cap && Cap != this && Cap->Parent_ == this) Target = Cap;
    } else {
        Target = ControlAtPos({GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)}, false);
    }
    if (Target) {
        TMessage C = M;
        C.LParam = MAKELPARAM(GET_X_LPARAM(M.LParam) - Target->Left_,
                              GET_Y_LPARAM(M.LParam) - Target->Top_);
        Target->WindowProc(C);
        M.Result = C.Result;
        return;
    }
    TControl::WndProc(M);
}

void TWinControl::WMSetCursor(TMessage& M) {
    if (static_cast<HWND>(M.WParam) == Handle_ &&
        LOWORD(static_cast<std::uintptr_t>(M.LParam)) == HTCLIENT) {
        TCursor C = Screen ? Screen->Cursor() : TCursor(crDefault);
        if (C == crDefault) {
            TPoint P;
            GetCursorPos(&P);
            TControl* Child = GetCaptureControl();
            if (!Child || Child->Parent_ != this) Child = ControlAtPos(ScreenToClient(P), false);
            if (Child) C = Child->Cursor_;
            if (C == crDefault) C = Cursor_;
        }
        if (C != crDefault) {
            ::qel::SetCursor(Screen ? Screen->Cursors(C) : HCURSOR(IDC_ARROW));
            M.Result = 1;
            return;
        }
    }
    if (Parent_ && Parent_->Handle_) {
        M.Result = SendMessageA(Parent_->Handle_, WM_SETCURSOR, M.WParam, M.LParam);
        return;
    }
    M.Result = 0;
}

void TWinControl::ReflectNotification(TMessage& M) {
    // Notifications from a child window go back to that child as CN_….
    HWND From = 0;
    if (M.Msg == WM_COMMAND) From = static_cast<HWND>(M.LParam);
    if (M.Msg == WM_DRAWITEM && M.LParam)
        From = reinterpret_cast<const DRAWITEMSTRUCT*>(M.LParam)->hwndItem;
    if (M.Msg == WM_MEASUREITEM && M.LParam) {
        // The item is found by its control id.
        auto Id = reinterpret_cast<const MEASUREITEMSTRUCT*>(M.LParam)->CtlID;
        for (TControl* C : Controls_)
            if (auto* W = dynamic_cast<TWinControl*>(C);
                W && W->Handle_ && static_cast<UINT>(GetWindowLongA(W->Handle_, GWL_ID)) == Id)
                From = W->Handle_;
    }
    if (TWinControl* C = FindControl(From); C && C != this) {
        M.Result = C->Perform(CN_BASE + M.Msg, M.WParam, M.LParam);
        return;
    }
    DefaultHandler(M);
}

void TWinControl::WMSize(TMessage& M) {
    (void)M;
    Realign();
}

void TWinControl::WMPaint(TMessage& M) {
    PaintHandler(M);
}

void TWinControl::WndProc(TMessage& M) {
    switch (M.Msg) {
    case WM_CAPTURECHANGED:
        GraphicCaptureLost(this);
        break;
    case WM_PAINT:
        WMPaint(M);
        return;
    case WM_ERASEBKGND:
        EraseBackground(M.WParam);
        M.Result = 1;
        return;
    case WM_SIZE:
        WMSize(M);
        return;
    case WM_SETCURSOR:
        WMSetCursor(M);
        return;
    case WM_NCHITTEST:
        M.Result = HTCLIENT;
        DefaultHandler(M);
        return;
    case WM_SETFOCUS:
        if (TCustomForm* F = GetParentForm(); F && !F->SettingFocus()) F->SetFocusedControl(this);
        DefaultHandler(M);
        return;
    case WM_KILLFOCUS:
        DefaultHandler(M);
        return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (IsDesigning()) return;
        // Typing puts the hint away, as a click does.
        if (Application) Application->CancelHint();
        if (M.WParam == VK_ESCAPE && DragActive()) {
            CancelDrag();
            return;
        }
        if (MainMenuShortCut(this, M)) return;
        if (DialogKeyHandled(M)) return;
        if (DoKeyDown(M)) return;
        // The menu key, or Shift+F10, asks for the context menu at the control's corner.
        if (M.WParam == VK_APPS || (M.WParam == VK_F10 && KeyDataToShiftState(static_cast<LONG>(
                                                              M.LParam)) == TShiftState{ssShift})) {
            auto Alive = LifeToken();
            if (DoContextPopup(ClientToScreen({0, 0}), true) || Alive.expired()) return;
        }
        DefaultHandler(M);
        return;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (IsDesigning()) return;
        if (DoKeyUp(M)) return;
        DefaultHandler(M);
        return;
    case WM_CHAR:
        if (IsDesigning()) return;
        if (DoKeyPress(M)) return;
        if (!(Perform(WM_GETDLGCODE, 0, 0) & (DLGC_WANTCHARS | DLGC_WANTALLKEYS))) {
            if (TCustomForm* F = GetParentForm();
                F && F->Perform(CM_DIALOGCHAR, M.WParam, M.LParam) != 0)
                return;
        }
        DefaultHandler(M);
        return;
    case WM_SYSCHAR:
        if (TCustomForm* F = GetParentForm();
            F && F->Perform(CM_DIALOGCHAR, M.WParam, M.LParam) != 0)
            return;
        DefaultHandler(M);
        return;
    case WM_COMMAND:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
        ReflectNotification(M);
        return;
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
        Broadcast(M);
        return;
    case CM_FOCUSCHANGED:
        Broadcast(M);
        M.Result = 0;
        return;
    case CM_ENABLEDCHANGED:
        if (Handle_) EnableWindow(Handle_, Enabled_ ? TRUE : FALSE);
        Invalidate();
        return;
    case CM_VISIBLECHANGED:
        if (Handle_)
            ShowWindow(Handle_, Visible_ ? SW_SHOWNA : SW_HIDE);
        else if (Visible_)
            UpdateShowing();
        return;
    case CM_COLORCHANGED: {
        Invalidate();
        TMessage C{CM_PARENTCOLORCHANGED, 0, 0, 0};
        for (TControl* K : Controls_)
            K->WindowProc(C);
        return;
    }
    case CM_FONTCHANGED: {
        Invalidate();
        TMessage C{CM_PARENTFONTCHANGED, 0, 0, 0};
        auto Kids = Controls_;
        for (TControl* K : Kids)
            K->WindowProc(C);
        return;
    }
    case CM_SHOWHINTCHANGED: {
        TMessage C{CM_PARENTSHOWHINTCHANGED, 0, 0, 0};
        for (TControl* K : Controls_)
            K->WindowProc(C);
        return;
    }
    case CM_ENTER:
        DoEnter();
        return;
    case CM_EXIT:
        DoExit();
        return;
    case CM_TEXTCHANGED:
        Invalidate();
        return;
    case WM_DESTROY:
        DefaultHandler(M);
        return;
    case WM_MOUSEWHEEL: {
        if (IsDesigning()) return;
        int Delta = static_cast<SHORT>((M.WParam >> 16) & 0xFFFF);
        TShiftState Shift = KeysToShiftState(M.WParam & 0xFFFF);
        TPoint Pos{GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)};
        for (TWinControl* C = this; C; C = C->Parent()) {
            auto Alive = C->LifeToken();
            if (C->DoMouseWheel(Shift, Delta, Pos) || Alive.expired()) break;
        }
        return;
    }
    default:
        break;
    }
    if (M.Msg >= WM_MOUSEMOVE && M.Msg <= WM_MBUTTONUP) {
        if (IsDesigning()) return;
        WMMouse(M);
        return;
    }
    TControl::WndProc(M);
}

void TWinControl::DefaultHandler(TMessage& M) {
    if (Handle_) {
        if (const TWindowClassProc* P = FindWindowClass(GetWindowClassName(Handle_))) {
            (*P)(*this, M);
            return;
        }
    }
    switch (M.Msg) {
    case WM_GETDLGCODE:
        M.Result = 0;
        break;
    case WM_NCHITTEST:
        M.Result = HTCLIENT;
        break;
    default:
        break;
    }
}

void TWinControl::CreateSubClass(TCreateParams& Params, const char* ClassName) {
    Params.WinClassName = ClassName;
    if (const TWindowClassInfo* I = FindWindowClassInfo(ClassName))
        Params.ClassStyle = I->ClassStyle;
}

void TWinControl::CreateParamsNoHandle(TCreateParams& P) {
    CreateParams(P);
}

static void DescribeWinControl(TClassBuilder<TWinControl>& B) {
    using T = TWinControl;
    auto D = B.Unpublished();
    D.Integer("TabOrder", &T::TabOrder, &T::SetTabOrder).NoDefault();
    D.Bool("TabStop", &T::TabStop, &T::SetTabStop).SetDefault(false);
    D.Event("OnEnter", &T::OnEnter);
    D.Event("OnExit", &T::OnExit);
    D.Event("OnKeyDown", &T::OnKeyDown);
    D.Event("OnKeyPress", &T::OnKeyPress);
    D.Event("OnKeyUp", &T::OnKeyUp);
}
QEL_IMPLEMENT_ABSTRACT(TWinControl, TControl, DescribeWinControl)

} // namespace qel
