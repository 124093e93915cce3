#include "toolkit/controls/Controls.h"

#include "toolkit/controls/ControlCanvas.h"
#include "toolkit/controls/Forms.h"
#include "toolkit/controls/Menus.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/graphics/Font.h"

#include <algorithm>

namespace qel {

namespace {
TControl* CaptureControl_ = nullptr;

struct TCursorIdent {
    TCursor Value;
    const char* Name;
};
const TCursorIdent CursorIdents[] = {
    {crDefault, "crDefault"},     {crNone, "crNone"},           {crArrow, "crArrow"},
    {crCross, "crCross"},         {crIBeam, "crIBeam"},         {crSizeNESW, "crSizeNESW"},
    {crSizeNS, "crSizeNS"},       {crSizeNWSE, "crSizeNWSE"},   {crSizeWE, "crSizeWE"},
    {crUpArrow, "crUpArrow"},     {crHourGlass, "crHourGlass"}, {crDrag, "crDrag"},
    {crNoDrop, "crNoDrop"},       {crHSplit, "crHSplit"},       {crVSplit, "crVSplit"},
    {crMultiDrag, "crMultiDrag"}, {crSQLWait, "crSQLWait"},     {crNo, "crNo"},
    {crAppStart, "crAppStart"},   {crHelp, "crHelp"},           {crHandPoint, "crHandPoint"},
    {crSizeAll, "crSizeAll"},     {crSize, "crSize"},
};
} // namespace

bool CursorToIdent(std::int64_t Cursor, std::string& Ident) {
    for (const auto& C : CursorIdents)
        if (C.Value == Cursor) {
            Ident = C.Name;
            return true;
        }
    return false;
}

bool IdentToCursor(std::string_view Ident, std::int64_t& Cursor) {
    for (const auto& C : CursorIdents) {
        std::string_view N = C.Name;
        if (N.size() == Ident.size() &&
            std::equal(N.begin(), N.end(), Ident.begin(), [](char A, char B) {
                return std::tolower(static_cast<unsigned char>(A)) ==
                       std::tolower(static_cast<unsigned char>(B));
            })) {
            Cursor = C.Value;
            return true;
        }
    }
    return false;
}

const TIdentMapHooks& CursorIdentMap() {
    static const TIdentMapHooks Map{IdentToCursor, CursorToIdent};
    return Map;
}

TShiftState KeysToShiftState(WPARAM Keys) {
    TShiftState S;
    if (Keys & MK_SHIFT) S.Include(ssShift);
    if (Keys & MK_CONTROL) S.Include(ssCtrl);
    if (Keys & MK_LBUTTON) S.Include(ssLeft);
    if (Keys & MK_RBUTTON) S.Include(ssRight);
    if (Keys & MK_MBUTTON) S.Include(ssMiddle);
    if (GetKeyState(VK_MENU) < 0) S.Include(ssAlt);
    return S;
}

TShiftState KeyDataToShiftState(LONG KeyData) {
    TShiftState S;
    if (GetKeyState(VK_SHIFT) < 0) S.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0) S.Include(ssCtrl);
    if (KeyData & AltMask) S.Include(ssAlt);
    return S;
}

bool IsAccel(WORD Key, const std::string& Caption) {
    for (std::size_t I = 0; I + 1 < Caption.size(); ++I) {
        if (Caption[I] != '&') continue;
        if (Caption[I + 1] == '&') {
            ++I;
            continue;
        }
        return std::toupper(static_cast<unsigned char>(Caption[I + 1])) ==
               std::toupper(static_cast<int>(Key & 0xFF));
    }
    return false;
}

// ---- TSizeConstraints ----

void TSizeConstraints::SetMaxHeight(int V) {
    if (V < 0) V = 0;
    if (V != MaxHeight_) {
        MaxHeight_ = V;
        if (V > 0 && V < MinHeight_) MinHeight_ = V;
        Change();
    }
}
void TSizeConstraints::SetMaxWidth(int V) {
    if (V < 0) V = 0;
    if (V != MaxWidth_) {
        MaxWidth_ = V;
        if (V > 0 && V < MinWidth_) MinWidth_ = V;
        Change();
    }
}
void TSizeConstraints::SetMinHeight(int V) {
    if (V < 0) V = 0;
    if (V != MinHeight_) {
        MinHeight_ = V;
        if (MaxHeight_ > 0 && V > MaxHeight_) MaxHeight_ = V;
        Change();
    }
}
void TSizeConstraints::SetMinWidth(int V) {
    if (V < 0) V = 0;
    if (V != MinWidth_) {
        MinWidth_ = V;
        if (MaxWidth_ > 0 && V > MaxWidth_) MaxWidth_ = V;
        Change();
    }
}
void TSizeConstraints::Assign(const TPersistent* Source) {
    if (auto* S = dynamic_cast<const TSizeConstraints*>(Source)) {
        MaxHeight_ = S->MaxHeight_, MaxWidth_ = S->MaxWidth_;
        MinHeight_ = S->MinHeight_, MinWidth_ = S->MinWidth_;
        Change();
        return;
    }
    TPersistent::Assign(Source);
}
void TSizeConstraints::Change() {
    if (Control_)
        Control_->SetBounds(Control_->Left(), Control_->Top(), Control_->Width(),
                            Control_->Height());
    if (OnChange) OnChange(this);
}

QEL_IMPLEMENT_CLASS(TSizeConstraints, TPersistent, [](TClassBuilder<TSizeConstraints>& B) {
    B.Integer("MaxHeight", &TSizeConstraints::MaxHeight, &TSizeConstraints::SetMaxHeight)
        .SetDefault(0);
    B.Integer("MaxWidth", &TSizeConstraints::MaxWidth, &TSizeConstraints::SetMaxWidth)
        .SetDefault(0);
    B.Integer("MinHeight", &TSizeConstraints::MinHeight, &TSizeConstraints::SetMinHeight)
        .SetDefault(0);
    B.Integer("MinWidth", &TSizeConstraints::MinWidth, &TSizeConstraints::SetMinWidth)
        .SetDefault(0);
})

// ---- TControl ----

TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {
    WindowProc = [this](TMessage& M) { WndProc(M); };
    Constraints_ = new TSizeConstraints(this);
    Font_ = new TFont();
    Font_->OnChange = [this](TObject*) { FontChanged(); };
    ControlStyle_ = {csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
}

TControl::~TControl() {
    DragControlDestroying(this);
    if (Application) Application->NotifyControlDestroying(this);
    if (CaptureControl_ == this) {
        // Nothing to tell a control that is going away.
        CaptureControl_ = nullptr;
        ReleaseCapture();
    }
    if (Parent_) Parent_->RemoveControl(this);
    delete Constraints_;
    delete Font_;
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
    TMessage M{Msg, WParam, LParam, 0};
    if (WindowProc)
        WindowProc(M);
    else
        WndProc(M);
    return M.Result;
}

void TControl::HandleMouse(TMessage& M) {
    TWMMouse Mm(M);
    switch (M.Msg) {
    case WM_MOUSEMOVE:
        if (Application) {
            TPoint P = ClientToScreen({Mm.XPos, Mm.YPos});
            Application->HintMouseMessage(this, P.X, P.Y);
        }
        MouseMove(KeysToShiftState(Mm.Keys), Mm.XPos, Mm.YPos);
        break;
    case WM_LBUTTONDOWN:
        // An automatic drag takes the press whole: no mouse-down, no click.
        if (DragMode_ == dmAutomatic) {
            BeginDrag(true);
            break;
        }
        DoMouseDown(M, mbLeft, {});
        break;
    case WM_LBUTTONDBLCLK:
        if (ControlStyle_.Contains(csDoubleClicks)) {
            auto Alive = LifeToken();
            DblClick();
            if (!Alive.expired()) DoMouseDown(M, mbLeft, {ssDouble});
        } else {
            DoMouseDown(M, mbLeft, {});
        }
        break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        DoMouseDown(M, mbRight, {});
        break;
    case WM_MBUTTONDOWN:
        DoMouseDown(M, mbMiddle, {});
        break;
    case WM_LBUTTONUP:
        DoMouseUp(M, mbLeft);
        break;
    case WM_RBUTTONUP:
        DoMouseUp(M, mbRight);
        break;
    case WM_MBUTTONUP:
        DoMouseUp(M, mbMiddle);
        break;
    default:
        break;
    }
}

bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
    bool Handled = false;
    if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, Handled);
    return Handled;
}

int TControl::WheelNotches(int WheelDelta) {
    constexpr int Notch = 120;
    // A turn against the direction of the rest starts afresh.
    if ((WheelRest_ > 0 && WheelDelta < 0) || (WheelRest_ < 0 && WheelDelta > 0)) WheelRest_ = 0;
    WheelRest_ += WheelDelta;
    int N = WheelRest_ / Notch;
    WheelRest_ -= N * Notch;
    return N;
}

bool TControl::DoContextPopup(TPoint ScreenPos, bool FromKeyboard) {
    for (TControl* C = this; C; C = C->Parent()) {
        if (C->OnContextPopup) {
            bool Handled = false;
            auto Alive = C->LifeToken();
            C->OnContextPopup(C, FromKeyboard ? TPoint{-1, -1} : C->ScreenToClient(ScreenPos),
                              Handled);
            if (Handled || Alive.expired()) return true;
        }
        auto* Menu = dynamic_cast<TPopupMenu*>(C->PopupMenu());
        if (!Menu || !Menu->AutoPopup()) continue;
        Menu->SetPopupComponent(C);
        Menu->Popup(ScreenPos.X, ScreenPos.Y);
        return true;
    }
    return false;
}

void TControl::DoMouseDown(TMessage& M, TMouseButton Button, TShiftState Extra) {
    TWMMouse Mm(M);
    if (Button == mbLeft) {
        if (ControlStyle_.Contains(csCaptureMouse)) SetCaptureControl(this);
        if (ControlStyle_.Contains(csClickEvents)) ControlState_.Include(csClicked);
        ControlState_.Include(csLButtonDown);
    }
    if (Application) Application->CancelHint();
    MouseDown(Button, KeysToShiftState(Mm.Keys) + Extra, Mm.XPos, Mm.YPos);
}

void TControl::DoMouseUp(TMessage& M, TMouseButton Button) {
    TWMMouse Mm(M);
    bool Clicked = false;
    if (Button == mbLeft) {
        ControlState_.Exclude(csLButtonDown);
        if (ControlState_.Contains(csClicked)) {
            ControlState_.Exclude(csClicked);
            TRect C = ClientRect();
            Clicked =
                Mm.XPos >= C.Left && Mm.XPos < C.Right && Mm.YPos >= C.Top && Mm.YPos < C.Bottom;
        }
        if (CaptureControl_ == this) SetCaptureControl(nullptr);
    }
    auto Alive = LifeToken();
    MouseUp(Button, KeysToShiftState(Mm.Keys), Mm.XPos, Mm.YPos);
    if (Clicked && !Alive.expired()) Click();
    if (Button == mbRight && !Alive.expired() && !IsDesigning())
        DoContextPopup(ClientToScreen({Mm.XPos, Mm.YPos}), false);
}

void TControl::WndProc(TMessage& M) {
    if (M.Msg >= WM_MOUSEMOVE && M.Msg <= WM_MBUTTONUP) {
        if (!IsDesigning() && !DragMouseMessage(this, M)) HandleMouse(M);
        return;
    }
    switch (M.Msg) {
    case WM_CANCELMODE:
    case CM_CANCELMODE:
        EndDrag(false);
        if (CaptureControl_ == this) SetCaptureControl(nullptr);
        ControlState_.Exclude(csLButtonDown);
        ControlState_.Exclude(csClicked);
        return;
    case WM_CAPTURECHANGED:
        // Only graphic controls hear of it here (windows have their class procedure): a press
        // whose capture went elsewhere is no longer a click.
        if (!dynamic_cast<TWinControl*>(this)) {
            ControlState_.Exclude(csLButtonDown);
            ControlState_.Exclude(csClicked);
            return;
        }
        break;
    case CM_MOUSEENTER:
        MouseInside_ = true;
        if (OnMouseEnter) OnMouseEnter(this);
        return;
    case CM_MOUSELEAVE:
        MouseInside_ = false;
        if (OnMouseLeave) OnMouseLeave(this);
        return;
    case CM_PARENTCOLORCHANGED:
        if (ParentColor_ && Parent_) {
            TColor C = M.WParam ? static_cast<TColor>(M.LParam) : Parent_->Color();
            SetColor(C);
            ParentColor_ = true;
        }
        return;
    case CM_PARENTFONTCHANGED:
        if (ParentFont_ && Parent_) {
            Font_->Assign(Parent_->Font());
            ParentFont_ = true;
        }
        return;
    case CM_PARENTSHOWHINTCHANGED:
        if (ParentShowHint_ && Parent_) {
            ShowHint_ = Parent_->ShowHint();
        }
        return;
    case CM_PARENTBIDIMODECHANGED:
        if (ParentBiDiMode_ && Parent_) BiDiMode_ = Parent_->BiDiMode();
        return;
    case CM_HITTEST:
        M.Result = HTCLIENT;
        return;
    case CM_VISIBLECHANGED:
    case CM_ENABLEDCHANGED:
    case CM_COLORCHANGED:
    case CM_TEXTCHANGED:
        if (!dynamic_cast<TWinControl*>(this)) Invalidate();
        return;
    case CM_FONTCHANGED:
        Invalidate();
        return;
    default:
        break;
    }
    DefaultHandler(M);
}

void TControl::DefaultHandler(TMessage&) {}

void TControl::ApplyConstraints(int& W, int& H) const {
    const auto* C = Constraints_;
    if (C->MinWidth() > 0 && W < C->MinWidth()) W = C->MinWidth();
    if (C->MaxWidth() > 0 && W > C->MaxWidth()) W = C->MaxWidth();
    if (C->MinHeight() > 0 && H < C->MinHeight()) H = C->MinHeight();
    if (C->MaxHeight() > 0 && H > C->MaxHeight()) H = C->MaxHeight();
}

bool TControl::CanAutoSize(int&, int&) {
    return false;
}

void TControl::SetBounds(int L, int T, int W, int H) {
    ApplyConstraints(W, H);
    if (L == Left_ && T == Top_ && W == Width_ && H == Height_) return;
    if (Parent_ && Visible_) InvalidateControl(true, false);
    bool Sized = W != Width_ || H != Height_;
    Left_ = L, Top_ = T, Width_ = W, Height_ = H;
    if (Parent_ && Visible_) InvalidateControl(true, false);
    if (!InAlign_) UpdateAnchorRules();
    BoundsChanged();
    if (Sized) Resize();
    RequestAlign();
}

void TControl::InvalidateControl(bool IsVisible, bool) {
    if (!IsVisible || !Parent_ || !Parent_->HandleAllocated()) return;
    TRect R = BoundsRect();
    InvalidateRect(Parent_->Handle(), &R, TRUE);
}

void TControl::UpdateAnchorRules() {
    if (!Parent_) return;
    TRect C = Parent_->ClientRect();
    AnchorOrigin_ = {C.Width(), C.Height()};
    AnchorRules_ = {Left_, Top_, C.Width() - (Left_ + Width_), C.Height() - (Top_ + Height_)};
}

void TControl::RequestAlign() {
    if (Parent_ && (Align_ != alNone || !(Anchors_ == TAnchors{akLeft, akTop})) && !InAlign_)
        Parent_->AlignControl(this);
}

void TControl::Resize() {
    if (OnResize) OnResize(this);
}

TRect TControl::ClientRect() const {
    return {0, 0, Width_, Height_};
}

void TControl::SetClientWidth(int V) {
    SetWidth(Width_ - ClientWidth() + V);
}
void TControl::SetClientHeight(int V) {
    SetHeight(Height_ - ClientHeight() + V);
}

TPoint TControl::ClientOrigin() const {
    if (!Parent_) return {Left_, Top_};
    TPoint P = Parent_->ClientOrigin();
    return {P.X + Left_, P.Y + Top_};
}

TPoint TControl::ClientToScreen(TPoint P) const {
    TPoint O = ClientOrigin();
    return {P.X + O.X, P.Y + O.Y};
}

TPoint TControl::ScreenToClient(TPoint P) const {
    TPoint O = ClientOrigin();
    return {P.X - O.X, P.Y - O.Y};
}

void TControl::SetAlign(TAlign V) {
    if (V == Align_) return;
    TAlign Old = Align_;
    Align_ = V;
    // Sizes that alignment stretched are kept when a control leaves alignment.
    if (Old == alNone || V == alNone) UpdateAnchorRules();
    if (Parent_) Parent_->Realign();
}

void TControl::SetAnchors(TAnchors V) {
    Anchors_ = V;
    UpdateAnchorRules();
}

void TControl::SetParent(TWinControl* AParent) {
    if (AParent == Parent_) return;
    if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
    if (Parent_) Parent_->RemoveControl(this);
    if (AParent) AParent->InsertControl(this);
}

TComponent* TControl::GetParentComponent() const {
    return Parent_;
}

void TControl::SetParentComponent(TComponent* Value) {
    if (auto* W = Cast<TWinControl>(Value)) SetParent(W);
}

TCustomForm* TControl::GetParentForm() const {
    const TControl* C = this;
    while (C->Parent_)
        C = C->Parent_;
    return Cast<TCustomForm>(const_cast<TControl*>(C));
}

void TControl::SetVisible(bool V) {
    if (V == Visible_) return;
    if (!V) InvalidateControl(true, false);
    Visible_ = V;
    Perform(CM_VISIBLECHANGED, V ? 1 : 0, 0);
    if (V) InvalidateControl(true, false);
    RequestAlign();
    if (Parent_ && (Align_ != alNone)) Parent_->Realign();
}

void TControl::Show() {
    if (Parent_) Parent_->ShowControl(this);
    SetVisible(true);
}

bool TControl::Showing() const {
    if (!Visible_) return false;
    if (!Parent_) {
        if (auto* W = dynamic_cast<const TWinControl*>(this))
            return W->HandleAllocated() && IsWindowVisible(const_cast<TWinControl*>(W)->Handle());
        return false;
    }
    return Parent_->Showing();
}

void TControl::SetEnabled(bool V) {
    if (V == Enabled_) return;
    Enabled_ = V;
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetColor(TColor V) {
    if (V == Color_) {
        ParentColor_ = false;
        return;
    }
    Color_ = V;
    ParentColor_ = false;
    Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool V) {
    if (V == ParentColor_) return;
    ParentColor_ = V;
    if (V && Parent_) Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::SetFont(TFont* V) {
    Font_->Assign(V);
}

void TControl::FontChanged() {
    ParentFont_ = false;
    Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetParentFont(bool V) {
    if (V == ParentFont_) return;
    ParentFont_ = V;
    if (V && Parent_ && !IsLoading()) Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::SetText(const std::string& V) {
    if (V == Text_) return;
    Text_ = V;
    if (auto* W = dynamic_cast<TWinControl*>(this); W && W->HandleAllocated())
        SetWindowTextA(W->Handle(), Text_.c_str());
    Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::SetShowHint(bool V) {
    ParentShowHint_ = false;
    if (V == ShowHint_) return;
    ShowHint_ = V;
    Perform(CM_SHOWHINTCHANGED, 0, 0);
}

void TControl::SetParentShowHint(bool V) {
    if (V == ParentShowHint_) return;
    ParentShowHint_ = V;
    if (V && Parent_) Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
}

void TControl::SetCursor(TCursor V) {
    if (V == Cursor_) return;
    Cursor_ = V;
    Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::SetPopupMenu(TComponent* V) {
    if (PopupMenu_ == V) return;
    if (PopupMenu_) PopupMenu_->RemoveFreeNotification(this);
    PopupMenu_ = V;
    if (V) V->FreeNotification(this);
}

void TControl::SetBiDiMode(TBiDiMode V) {
    ParentBiDiMode_ = false;
    if (V == BiDiMode_) return;
    BiDiMode_ = V;
    Perform(CM_BIDIMODECHANGED, 0, 0);
}

void TControl::SetParentBiDiMode(bool V) {
    if (V == ParentBiDiMode_) return;
    ParentBiDiMode_ = V;
    if (V && Parent_) Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
}

void TControl::Invalidate() {
    InvalidateControl(Visible_, ControlStyle_.Contains(csOpaque));
}

void TControl::Update() {
    if (Parent_) Parent_->Update();
}

void TControl::Repaint() {
    if (!Visible_ || !Parent_ || !Parent_->HandleAllocated()) return;
    Invalidate();
    Update();
}

void TControl::BringToFront() {
    if (!Parent_) return;
    auto& C = Parent_->Controls_;
    std::erase(C, this);
    C.push_back(this);
    Invalidate();
}

void TControl::SendToBack() {
    if (!Parent_) return;
    auto& C = Parent_->Controls_;
    std::erase(C, this);
    C.insert(C.begin(), this);
    Invalidate();
}

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::Loaded() {
    TComponent::Loaded();
    if (Parent_) {
        if (ParentColor_) Perform(CM_PARENTCOLORCHANGED, 0, 0);
        if (ParentFont_) Perform(CM_PARENTFONTCHANGED, 0, 0);
        if (ParentShowHint_) Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
        UpdateAnchorRules();
    }
}

HDC TControl::GetDeviceContext(HWND& WindowHandle) {
    if (!Parent_) throw EInvalidOperation("Control '" + Name() + "' has no parent window");
    HDC DC = Parent_->GetDeviceContext(WindowHandle);
    SetViewportOrgEx(DC, Left_, Top_, nullptr);
    IntersectClipRect(DC, 0, 0, Width_, Height_);
    return DC;
}

void TControl::SendCancelMode(TControl*) {
    if (CaptureControl_ == this) SetCaptureControl(nullptr);
}

namespace {

template <class F> bool Not(const TObject& O, F Parent) {
    return !(static_cast<const TControl&>(O).*Parent)();
}

void DescribeControl(TClassBuilder<TControl>& B) {
    using T = TControl;
    B.Integer("Left", &T::Left, &T::SetLeft).NoDefault();
    B.Integer("Top", &T::Top, &T::SetTop).NoDefault();
    B.Integer("Width", &T::Width, &T::SetWidth).NoDefault();
    B.Integer("Height", &T::Height, &T::SetHeight).NoDefault();

    // What a control may show; each subclass publishes its choice by name. A property that
    // follows the parent is written only where the control has its own value.
    auto D = B.Unpublished();
    D.Enum("Align", &T::Align, &T::SetAlign).SetDefault(alNone);
    D.Set<TAnchorKind>("Anchors", &T::Anchors, &T::SetAnchors)
        .SetDefault(TAnchors{akLeft, akTop}.Bits());
    D.Enum("BiDiMode", &T::BiDiMode, &T::SetBiDiMode)
        .SetDefault(bdLeftToRight)
        .Stored([](const TObject& O) { return Not(O, &T::ParentBiDiMode); });
    D.String("Caption", &T::Caption, &T::SetCaption);
    D.Color("Color", &T::Color, &T::SetColor).SetDefault(clWindow).Stored([](const TObject& O) {
        return Not(O, &T::ParentColor);
    });
    D.Object("Constraints", &T::Constraints, &T::SetConstraints);
    D.Integer("Cursor", &T::Cursor, &T::SetCursor)
        .SetDefault(crDefault)
        .WithIdents(CursorIdentMap());
    D.Integer("DragCursor", &T::DragCursor, &T::SetDragCursor)
        .SetDefault(crDrag)
        .WithIdents(CursorIdentMap());
    D.Enum("DragKind", &T::DragKind, &T::SetDragKind).SetDefault(dkDrag);
    D.Enum("DragMode", &T::DragMode, &T::SetDragMode).SetDefault(dmManual);
    D.Bool("Enabled", &T::Enabled, &T::SetEnabled).SetDefault(true);
    D.Object("Font", &T::Font, &T::SetFont).Stored([](const TObject& O) {
        return Not(O, &T::ParentFont);
    });
    D.String("Hint", &T::Hint, &T::SetHint);
    D.Bool("ParentBiDiMode", &T::ParentBiDiMode, &T::SetParentBiDiMode).SetDefault(true);
    D.Bool("ParentColor", &T::ParentColor, &T::SetParentColor).SetDefault(true);
    D.Bool("ParentFont", &T::ParentFont, &T::SetParentFont).SetDefault(true);
    D.Bool("ParentShowHint", &T::ParentShowHint, &T::SetParentShowHint).SetDefault(true);
    D.Component("PopupMenu", &T::PopupMenu, &T::SetPopupMenu);
    D.Bool("ShowHint", &T::ShowHint, &T::SetShowHint).Stored([](const TObject& O) {
        return Not(O, &T::ParentShowHint);
    });
    D.Bool("Visible", &T::Visible, &T::SetVisible).SetDefault(true);
    D.Event("OnClick", &T::OnClick);
    D.Event("OnContextPopup", &T::OnContextPopup);
    D.Event("OnDblClick", &T::OnDblClick);
    D.Event("OnDragDrop", &T::OnDragDrop);
    D.Event("OnDragOver", &T::OnDragOver);
    D.Event("OnEndDrag", &T::OnEndDrag);
    D.Event("OnMouseDown", &T::OnMouseDown);
    D.Event("OnMouseEnter", &T::OnMouseEnter);
    D.Event("OnMouseLeave", &T::OnMouseLeave);
    D.Event("OnMouseMove", &T::OnMouseMove);
    D.Event("OnMouseUp", &T::OnMouseUp);
    D.Event("OnMouseWheel", &T::OnMouseWheel);
    D.Event("OnResize", &T::OnResize);
    D.Event("OnStartDrag", &T::OnStartDrag);
}

} // namespace

QEL_IMPLEMENT_ABSTRACT(TControl, TComponent, DescribeControl)

// ---- capture ----

TControl* GetCaptureControl() {
    HWND C = GetCapture();
    if (!C) {
        CaptureControl_ = nullptr;
        return nullptr;
    }
    if (CaptureControl_ && CaptureControl_->Parent() &&
        CaptureControl_->Parent()->HandleAllocated() && CaptureControl_->Parent()->Handle() == C)
        return CaptureControl_;
    return FindControl(C);
}

// A graphic control has no window to receive WM_CAPTURECHANGED: it is told in the window's
// stead when the capture goes to another control or window, so that no pressed or hover state
// outlives the capture it depended on.
void SetCaptureControl(TControl* Control) {
    TControl* Old = CaptureControl_;
    CaptureControl_ = nullptr;
    ReleaseCapture();
    if (Control) {
        if (auto* W = dynamic_cast<TWinControl*>(Control)) {
            if (W->HandleAllocated()) SetCapture(W->Handle());
        } else if (Control->Parent() && Control->Parent()->HandleAllocated()) {
            CaptureControl_ = Control;
            SetCapture(Control->Parent()->Handle());
        }
    }
    if (Old && Old != Control) Old->Perform(WM_CAPTURECHANGED, 0, 0);
}

void GraphicCaptureLost(TWinControl* Window) {
    TControl* Old = CaptureControl_;
    if (!Old || Old->Parent() != Window) return;
    if (Window->HandleAllocated() && GetCapture() == Window->Handle()) return;
    CaptureControl_ = nullptr;
    Old->Perform(WM_CAPTURECHANGED, 0, 0);
}

TControl* FindDragTarget(TPoint Pos, bool AllowDisabled) {
    HWND H = WindowFromPoint(Pos);
    TWinControl* W = FindControl(H);
    if (!W) return nullptr;
    TControl* C = W->ControlAtPos(W->ScreenToClient(Pos), AllowDisabled);
    return C ? C : W;
}

} // namespace qel
