#include "FormSurface.h"

#include "ComponentIcon.h"
#include "toolkit/controls/Forms.h"
#include "toolkit/controls/Menus.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/platform/Window.h"

namespace qel::designer {

namespace {

constexpr int HandleSize = 6;
// Posted to the surface so the verb menu's tracking loop runs outside the mouse handling.
constexpr UINT WM_SHOWVERBS = WM_USER + 0x51;

} // namespace

TGrabHandle::TGrabHandle(TFormSurface* Surface, bool Sizes)
    : TCustomControl(Surface), Surface_(Surface), Sizes_(Sizes) {
    SetControlStyle({csOpaque});
    SetParent(Surface);
    SetBounds(0, 0, HandleSize, HandleSize);
}

void TGrabHandle::SetSizes(bool V) {
    if (Sizes_ == V) return;
    Sizes_ = V;
    Invalidate();
}

void TGrabHandle::Paint() {
    Canvas()->Brush()->SetColor(Sizes_ ? clBlack : clGray);
    Canvas()->FillRect({0, 0, Width(), Height()});
}

void TGrabHandle::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && Sizes_) Surface_->Press(ClientToScreen({X, Y}), Shift);
}

TFormSurface::TFormSurface(TComponent* AOwner, TFormDesigner& D) : TCustomControl(AOwner), D_(D) {
    SetColor(clAppWorkSpace);
    SetTabStop(true);
    VerbMenu_ = new TPopupMenu(this);
    OldHook_ = SetDesignMouseHook([this](TWinControl* W, TMessage& M) { DesignMouse(W, M); });
}

TFormSurface::~TFormSurface() {
    SetDesignMouseHook(std::move(OldHook_));
    // The form belongs to the designer and may outlive this window: it leaves it first.
    if (Shown_ && Shown_ == D_.Form()) Shown_->SetParentWindow(0);
}

void TFormSurface::AttachForm() {
    TForm* F = D_.Form();
    Shown_ = F;
    HandleNeeded();
    F->SetParentWindow(Handle());
    F->HandleNeeded();
    // Shown without touching its Visible property, which is part of the form being designed.
    ShowWindow(F->Handle(), SW_SHOWNA);
    UpdateHandles();
}

TPoint TFormSurface::ToForm(TPoint Screen) const {
    return D_.Form()->ScreenToClient(Screen);
}

bool TFormSurface::OnForm(TPoint Screen) const {
    TPoint P = ToForm(Screen);
    const TForm* F = D_.Form();
    return P.X >= 0 && P.Y >= 0 && P.X < F->ClientWidth() && P.Y < F->ClientHeight();
}

void TFormSurface::UpdateHandles() {
    std::vector<TControl*> Sel;
    for (TPersistent* P : D_.Selections())
        if (auto* C = Cast<TControl>(P); C && C != D_.Form()) Sel.push_back(C);
    // Handles are kept and hidden rather than freed: this may run from a handle's own press.
    std::size_t Want = Sel.size() * 4;
    while (Handles_.size() < Want)
        Handles_.push_back(new TGrabHandle(this, false));
    Used_ = Want;
    for (std::size_t I = 0; I < Handles_.size(); ++I) {
        Handles_[I]->SetSizes(Sel.size() == 1 && I == 3);
        Handles_[I]->SetVisible(I < Want);
    }
    for (std::size_t I = 0; I < Sel.size(); ++I) {
        TPoint TL = ScreenToClient(Sel[I]->ClientToScreen({0, 0}));
        int R = TL.X + Sel[I]->Width(), B = TL.Y + Sel[I]->Height(), H = HandleSize / 2;
        const TPoint Corner[4] = {{TL.X, TL.Y}, {R, TL.Y}, {TL.X, B}, {R, B}};
        for (int K = 0; K < 4; ++K) {
            TGrabHandle* G = Handles_[I * 4 + static_cast<std::size_t>(K)];
            G->SetBounds(Corner[K].X - H, Corner[K].Y - H, HandleSize, HandleSize);
            G->BringToFront();
        }
    }
    UpdateIcons();
}

void TFormSurface::UpdateIcons() {
    std::vector<TComponent*> Plain;
    TForm* F = D_.Form();
    for (int I = 0; I < F->ComponentCount(); ++I)
        if (!Cast<TControl>(F->Components(I))) Plain.push_back(F->Components(I));
    while (Icons_.size() < Plain.size()) {
        auto* I = new TComponentIcon(this);
        I->OnPress = [this](TComponentIcon* Icon, TMouseButton B, TShiftState S) {
            IconPressed(Icon, B, S);
        };
        I->OnEdit = [this](TComponentIcon* Icon) {
            if (TComponent* C = D_.Find(Icon->ComponentName())) D_.EditComponent(C);
            Changed();
        };
        Icons_.push_back(I);
    }
    // Along the bottom of the form, in the order they were made.
    TPoint Origin = ScreenToClient(F->ClientToScreen({0, 0}));
    int Y = Origin.Y + F->ClientHeight() - TComponentIcon::Size - 4;
    for (std::size_t I = 0; I < Icons_.size(); ++I) {
        TComponentIcon* Icon = Icons_[I];
        if (I >= Plain.size()) {
            Icon->SetVisible(false);
            continue;
        }
        Icon->Show(Plain[I]->Name(), Plain[I]->ClassName(), D_.IsSelected(Plain[I]));
        Icon->SetBounds(Origin.X + 4 + static_cast<int>(I) * (TComponentIcon::Size + 4), Y,
                        TComponentIcon::Size, TComponentIcon::Size);
        Icon->SetVisible(true);
        Icon->BringToFront();
    }
}

TComponentIcon* TFormSurface::Icon(const std::string& Name) const {
    for (TComponentIcon* I : Icons_)
        if (I->Visible() && I->ComponentName() == Name) return I;
    return nullptr;
}

void TFormSurface::IconPressed(TComponentIcon* Icon, TMouseButton Button, TShiftState Shift) {
    TComponent* C = D_.Find(Icon->ComponentName());
    if (!C) return;
    if (CanFocus()) SetFocus();
    if (Button == mbLeft && Shift.Contains(ssShift)) {
        TDesignerSelections S = D_.Selections();
        if (D_.IsSelected(C))
            std::erase(S, static_cast<TPersistent*>(C));
        else
            S.push_back(C);
        std::erase(S, static_cast<TPersistent*>(D_.Form()));
        D_.SetSelections(S);
    } else {
        D_.SelectComponent(C);
    }
    Changed();
    if (Button == mbRight) {
        TPoint P = Icon->ClientToScreen({Icon->Width() / 2, Icon->Height() / 2});
        PostMessage(Handle(), WM_SHOWVERBS, 0, MAKELPARAM(P.X, P.Y));
    }
}

void TFormSurface::Changed() {
    UpdateHandles();
    if (OnChanged) OnChanged();
}

void TFormSurface::Press(TPoint Screen, TShiftState Shift) {
    if (CanFocus()) SetFocus();
    TPoint P = ToForm(Screen);
    D_.MouseDown(P.X, P.Y, Shift.Contains(ssShift));
    // The rest of the drag comes here whatever window is under the pointer.
    Tracking_ = true;
    SetCaptureControl(this);
    Changed();
}

void TFormSurface::DesignMouse(TWinControl* W, TMessage& M) {
    // Only the form this surface shows: other designing windows are none of ours.
    if (!Shown_ || (W != Shown_ && W->GetParentForm() != Shown_)) return;
    TPoint Screen = W->ClientToScreen({GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)});
    switch (M.Msg) {
    case WM_LBUTTONDOWN:
        Press(Screen, KeysToShiftState(M.WParam));
        break;
    case WM_LBUTTONDBLCLK:
        if (D_.Selections().size() == 1)
            if (auto* C = Cast<TComponent>(D_.Selections()[0]); C && C != D_.Form()) {
                D_.EditComponent(C);
                Changed();
            }
        break;
    case WM_RBUTTONDOWN: {
        TPoint P = ToForm(Screen);
        D_.MouseDown(P.X, P.Y, false);
        D_.MouseUp(P.X, P.Y);
        Changed();
        PostMessage(Handle(), WM_SHOWVERBS, 0, MAKELPARAM(Screen.X, Screen.Y));
        break;
    }
    default:
        break;
    }
}

void TFormSurface::ShowVerbs(TPoint Screen) {
    if (D_.Selections().size() != 1) return;
    auto* C = Cast<TComponent>(D_.Selections()[0]);
    if (!C || C == D_.Form()) return;
    VerbMenu_->Items()->Clear();
    std::vector<std::string> Verbs = D_.Verbs(C);
    if (Verbs.empty()) return;
    for (std::size_t I = 0; I < Verbs.size(); ++I) {
        auto* Item = new TMenuItem(VerbMenu_);
        Item->SetCaption(Verbs[I]);
        std::string Name = C->Name();
        Item->OnClick = [this, Name, I](TObject*) {
            // The component is looked up again: the menu ran a loop of its own meanwhile.
            if (TComponent* Target = D_.Find(Name)) D_.ExecuteVerb(Target, static_cast<int>(I));
            Changed();
        };
        VerbMenu_->Items()->Add(Item);
    }
    VerbMenu_->Popup(Screen.X, Screen.Y);
}

void TFormSurface::WndProc(TMessage& M) {
    if (M.Msg == WM_GETDLGCODE) {
        M.Result = DLGC_WANTARROWS | DLGC_WANTALLKEYS;
        return;
    }
    if (M.Msg == WM_SHOWVERBS) {
        ShowVerbs({GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)});
        return;
    }
    TCustomControl::WndProc(M);
}

void TFormSurface::Paint() {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect({0, 0, Width(), Height()});
}

void TFormSurface::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (CanFocus()) SetFocus();
    // Beside the form: the form itself becomes the selection.
    if (Button == mbLeft && !Tracking_) {
        D_.SelectComponent(D_.Form());
        Changed();
    }
}

void TFormSurface::MouseMove(TShiftState Shift, int X, int Y) {
    TCustomControl::MouseMove(Shift, X, Y);
    if (!Tracking_) return;
    TPoint P = ToForm(ClientToScreen({X, Y}));
    D_.MouseMove(P.X, P.Y);
    UpdateHandles();
}

void TFormSurface::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (!Tracking_ || Button != mbLeft) return;
    Tracking_ = false;
    if (GetCaptureControl() == this) SetCaptureControl(nullptr);
    TPoint P = ToForm(ClientToScreen({X, Y}));
    D_.MouseUp(P.X, P.Y);
    Changed();
}

void TFormSurface::KeyDown(WORD& Key, TShiftState Shift) {
    if (D_.KeyDown(Key, Shift.Contains(ssShift))) {
        Key = 0;
        Changed();
        return;
    }
    TCustomControl::KeyDown(Key, Shift);
}

} // namespace qel::designer
