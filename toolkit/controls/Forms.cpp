#include "toolkit/controls/Forms.h"

#include "toolkit/controls/ControlCanvas.h"
#include "toolkit/controls/PublishedGroups.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/core/ScopeGuard.h"
#include "toolkit/graphics/Bitmap.h"
#include "toolkit/graphics/Font.h"
#include "toolkit/platform/Backend.h"

#include <algorithm>

namespace qel {

TScreen* Screen = new TScreen(nullptr);

// ---- TCustomForm ----

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner) {
    ControlStyle_ = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption,
                     csDoubleClicks};
    Visible_ = false;
    Left_ = 0, Top_ = 0, Width_ = 320, Height_ = 240;
    Color_ = clBtnFace;
    ParentFont_ = false;
    ParentColor_ = false;
    ParentShowHint_ = false;
    Canvas_ = new TControlCanvas();
    Canvas_->SetControl(this);
    Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
    if (Created_) DoDestroy();
    if (Application && Application->MainForm() == this) Application->SetMainForm(nullptr);
    Screen->RemoveForm(this);
    delete Canvas_;
    Canvas_ = nullptr;
}

TCanvas* TCustomForm::Canvas() const {
    return Canvas_;
}

void TCustomForm::SetBorderStyle(TFormBorderStyle V) {
    if (V == BorderStyle_) return;
    BorderStyle_ = V;
    RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons V) {
    if (V == BorderIcons_) return;
    BorderIcons_ = V;
    RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle V) {
    if (V == FormStyle_) return;
    FormStyle_ = V;
    if (HandleAllocated())
        SetWindowPos(Handle(), V == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TCustomForm::SetModalResult(TModalResult V) {
    ModalResult_ = V;
}

void TCustomForm::SetActiveControl(TWinControl* V) {
    if (V == ActiveControl_) return;
    if (V && (V == this || V->GetParentForm() != this))
        throw EInvalidOperation("Invalid active control for form '" + Name() + "'");
    ActiveControl_ = V;
    if (!IsLoading() && Active_ && V && V->CanFocus()) FocusControl(V);
}

void TCustomForm::CreateParams(TCreateParams& P) {
    TWinControl::CreateParams(P);
    // A form placed inside another control is a child window of it, like any control, so it
    // covers its part of the parent and moves with it.
    const bool Embedded = Parent() || ParentWindow();
    P.Style &= ~(WS_CHILD | WS_VISIBLE);
    if (Embedded)
        P.Style |= WS_CHILD;
    else
        P.WndParent = 0;
    switch (BorderStyle_) {
    case bsNone:
        if (!Embedded) P.Style |= WS_POPUP;
        break;
    case bsSingle:
    case bsToolWindow:
        P.Style |= WS_CAPTION | WS_BORDER;
        break;
    case bsSizeable:
    case bsSizeToolWin:
        P.Style |= WS_CAPTION | WS_THICKFRAME;
        break;
    case bsDialog:
        P.Style |= WS_POPUP | WS_CAPTION;
        P.ExStyle |= WS_EX_DLGMODALFRAME;
        break;
    }
    if (BorderStyle_ != bsNone && BorderIcons_.Contains(biSystemMenu)) P.Style |= WS_SYSMENU;
    if (BorderStyle_ == bsToolWindow || BorderStyle_ == bsSizeToolWin)
        P.ExStyle |= WS_EX_TOOLWINDOW;
    if (FormStyle_ == fsStayOnTop) P.ExStyle |= WS_EX_TOPMOST;
    P.WinClassName = ClassName();
}

void TCustomForm::CreateWnd() {
    TWinControl::CreateWnd();
    if (FormStyle_ == fsStayOnTop)
        SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TCustomForm::PlaceOnScreen() {
    if (Placed_ || Parent()) return;
    Placed_ = true;
    if (Position_ == poScreenCenter || Position_ == poDesktopCenter) {
        int L = (Screen->Width() - Width_) / 2, T = (Screen->Height() - Height_) / 2;
        SetBounds(std::max(0, L), std::max(0, T), Width_, Height_);
    }
}

void TCustomForm::Show() {
    SetVisible(true);
    if (HandleAllocated()) SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void TCustomForm::Hide() {
    SetVisible(false);
}

void TCustomForm::WndProc(TMessage& M) {
    switch (M.Msg) {
    case CM_VISIBLECHANGED:
        if (IsLoading()) return; // shown by Loaded once the whole form is read
        if (Visible_) {
            PlaceOnScreen();
            HandleNeeded();
            DoShow();
            if (Visible_) {
                ShowWindow(Handle(), SW_SHOW);
                if (!FocusedControl_)
                    FocusFirst();
                else
                    ::qel::SetFocus(FocusedControl_->Handle());
            }
        } else {
            if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
            DoHide();
        }
        return;
    case WM_ACTIVATE:
        if (M.WParam)
            Activate();
        else
            Deactivate();
        return;
    case WM_CLOSE:
        Close();
        return;
    case CM_RELEASE:
        delete this;
        return;
    case CM_DIALOGKEY: {
        if (GetKeyState(VK_MENU) >= 0) {
            switch (M.WParam) {
            case VK_TAB:
                if (GetKeyState(VK_CONTROL) >= 0) {
                    SelectNext(FocusedControl_, GetKeyState(VK_SHIFT) >= 0, true);
                    M.Result = 1;
                    return;
                }
                break;
            case VK_LEFT:
            case VK_RIGHT:
            case VK_UP:
            case VK_DOWN:
                if (FocusedControl_ && FocusedControl_->Parent()) {
                    bool Fwd = M.WParam == VK_RIGHT || M.WParam == VK_DOWN;
                    FocusedControl_->Parent()->SelectNext(FocusedControl_, Fwd, false);
                    M.Result = 1;
                    return;
                }
                break;
            default:
                break;
            }
        }
        TWinControl::WndProc(M);
        return;
    }
    default:
        break;
    }
    TWinControl::WndProc(M);
}

void TCustomForm::FocusFirst() {
    TWinControl* C = ActiveControl_;
    if (!C || !C->CanFocus()) C = FindNextControl(nullptr, true, true, false);
    if (C && C->CanFocus())
        FocusControl(C);
    else if (HandleAllocated())
        ::qel::SetFocus(Handle());
}

void TCustomForm::Activate() {
    Active_ = true;
    Screen->SetActiveForm(this);
    if (OnActivate) OnActivate(this);
}

void TCustomForm::Deactivate() {
    Active_ = false;
    if (OnDeactivate) OnDeactivate(this);
}

bool TCustomForm::CanFocus() const {
    return Visible_ && Enabled_;
}

void TCustomForm::SetFocus() {
    if (!Visible_ || !Enabled_)
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    SetActiveWindow(Handle());
    if (FocusedControl_ && FocusedControl_->HandleAllocated())
        ::qel::SetFocus(FocusedControl_->Handle());
    else
        ::qel::SetFocus(Handle());
}

void TCustomForm::FocusControl(TWinControl* C) {
    if (!C) return;
    ActiveControl_ = C;
    if (!Visible_ || !HandleAllocated() || !C->CanFocus()) return;
    ::qel::SetFocus(C->Handle());
}

bool TCustomForm::SetFocusedControl(TWinControl* C) {
    if (C == FocusedControl_) return true;
    SettingFocus_ = true;
    TWinControl* Old = FocusedControl_;
    FocusedControl_ = C;
    if (C != this) ActiveControl_ = C;
    {
        const TScopeExit Restore([&] { SettingFocus_ = false; });
        // Leave the old chain up to the common parent, then enter the new one.
        if (Old) {
            for (TWinControl* X = Old; X && X != this && !X->ContainsControl(C); X = X->Parent())
                X->Perform(CM_EXIT, 0, 0);
        }
        std::vector<TWinControl*> Enter;
        for (TWinControl* X = C; X && X != this && !(Old && X->ContainsControl(Old));
             X = X->Parent())
            Enter.push_back(X);
        // Outermost first.
        for (std::size_t I = Enter.size(); I-- > 0;)
            Enter[I]->Perform(CM_ENTER, 0, 0);
        Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(C));
    }
    return true;
}

void TCustomForm::DefocusControl(TWinControl* C, bool Removing) {
    if (Removing && ActiveControl_ && C->ContainsControl(ActiveControl_)) ActiveControl_ = nullptr;
    if (FocusedControl_ && C->ContainsControl(FocusedControl_)) {
        FocusedControl_ = nullptr;
        if (HandleAllocated() && !IsDestroying() && Visible_) ::qel::SetFocus(Handle());
    }
}

bool TCustomForm::CloseQuery() {
    bool CanClose = true;
    if (OnCloseQuery) OnCloseQuery(this, CanClose);
    return CanClose;
}

void TCustomForm::DoClose(TCloseAction& Action) {
    if (OnClose) OnClose(this, Action);
}

void TCustomForm::Close() {
    if (InModal_) {
        ModalResult_ = mrCancel;
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction Action = caHide;
    DoClose(Action);
    if (Action == caNone) return;
    if (Application && Application->MainForm() == this) {
        Application->Terminate();
        Hide();
        return;
    }
    if (Action == caHide || Action == caMinimize) Hide();
    if (Action == caFree) Release();
}

void TCustomForm::Release() {
    if (HandleAllocated())
        PostMessageA(Handle(), CM_RELEASE, 0, 0);
    else
        delete this;
}

TModalResult TCustomForm::ShowModal() {
    if (Visible_ || !Enabled_ || InModal_)
        throw EInvalidOperation("Cannot make a visible window modal");
    if (GetCapture()) SendMessageA(GetCapture(), WM_CANCELMODE, 0, 0);
    ReleaseCapture();
    // Every other form stops taking input until this one closes.
    std::vector<TCustomForm*> Disabled;
    for (int I = 0; I < Screen->FormCount(); ++I) {
        TCustomForm* F = Screen->Forms(I);
        if (F != this && F->Enabled_ && F->HandleAllocated()) {
            EnableWindow(F->Handle(), FALSE);
            Disabled.push_back(F);
        }
    }
    auto Restore = [&] {
        for (TCustomForm* F : Disabled)
            if (Screen &&
                std::find(Screen->Forms_.begin(), Screen->Forms_.end(), F) !=
                    Screen->Forms_.end() &&
                F->HandleAllocated())
                EnableWindow(F->Handle(), TRUE);
    };
    InModal_ = true;
    ModalResult_ = mrNone;
    Application->EnterModal();
    {
        const TScopeExit EndModal([&] {
            InModal_ = false;
            Application->LeaveModal();
            Restore();
        });
        Show();
        for (;;) {
            Application->HandleMessage();
            if (Application->Terminated() && ModalResult_ == mrNone) ModalResult_ = mrCancel;
            if (ModalResult_ == mrNone) continue;
            // The form may refuse to close; then the loop goes on.
            if (!CloseQuery()) {
                ModalResult_ = mrNone;
                continue;
            }
            TCloseAction Action = caHide;
            DoClose(Action);
            if (Action == caNone) {
                ModalResult_ = mrNone;
                continue;
            }
            break;
        }
        Hide();
    }
    return ModalResult_;
}

TBitmap* TCustomForm::GetFormImage() {
    auto B = std::make_unique<TBitmap>();
    B->SetSize(ClientWidth(), ClientHeight());
    PaintTo(B->Canvas()->Handle(), 0, 0);
    return B.release(); // the caller owns the picture
}

void TCustomForm::Paint() {
    if (OnPaint) OnPaint(this);
}

void TCustomForm::PaintWindow(HDC DC) {
    TCanvasDCScope Scope(*Canvas_, DC);
    Paint();
}

void TCustomForm::DoCreate() {
    if (OnCreate) OnCreate(this);
}
void TCustomForm::DoDestroy() {
    if (OnDestroy) {
        try {
            OnDestroy(this);
        } catch (...) {
            if (Application) Application->HandleException(this);
        }
    }
}
void TCustomForm::DoShow() {
    if (OnShow) OnShow(this);
}
void TCustomForm::DoHide() {
    if (OnHide) OnHide(this);
}

void TCustomForm::Loaded() {
    TWinControl::Loaded();
    Realign();
    if (!Created_) {
        Created_ = true;
        DoCreate();
    }
    if (Visible_) Perform(CM_VISIBLECHANGED, 1, 0);
}

QEL_IMPLEMENT_ABSTRACT(TCustomForm, TWinControl, NoProperties<TCustomForm>)

TForm::TForm(TComponent* AOwner) : TCustomForm(AOwner) {}

QEL_IMPLEMENT_CLASS(TForm, TCustomForm, [](TClassBuilder<TForm>& B) {
    B.Enum("BorderStyle", &TForm::BorderStyle, &TForm::SetBorderStyle).SetDefault(bsSizeable);
    B.Set<TBorderIcon>("BorderIcons", &TForm::BorderIcons, &TForm::SetBorderIcons)
        .SetDefault(TBorderIcons{biSystemMenu, biMinimize, biMaximize}.Bits());
    B.Publish("Caption");
    B.Integer("ClientHeight", &TForm::ClientHeight, &TForm::SetClientHeight)
        .Stored([](const TObject&) { return true; });
    B.Integer("ClientWidth", &TForm::ClientWidth, &TForm::SetClientWidth)
        .Stored([](const TObject&) { return true; });
    B.Publish("Color").SetDefault(clBtnFace).AlwaysStored();
    B.Publish("Font").AlwaysStored();
    B.Enum("FormStyle", &TForm::FormStyle, &TForm::SetFormStyle).SetDefault(fsNormal);
    B.Bool("KeyPreview", &TForm::KeyPreview, &TForm::SetKeyPreview).SetDefault(false);
    B.Bool("OldCreateOrder", &TForm::OldCreateOrder, &TForm::SetOldCreateOrder);
    B.Enum("Position", &TForm::Position, &TForm::SetPosition).SetDefault(poDesigned);
    B.Bool("Scaled", &TForm::Scaled, &TForm::SetScaled).SetDefault(true);
    B.Publish("ShowHint").SetDefault(false).AlwaysStored();
    B.Publish("Visible").SetDefault(false);
    B.Enum("WindowState", &TForm::WindowState, &TForm::SetWindowState).SetDefault(wsNormal);
    B.Component("ActiveControl", &TForm::ActiveControl, &TForm::SetActiveControl);
    B.Integer("PixelsPerInch", &TForm::PixelsPerInch, &TForm::SetPixelsPerInch).NoDefault();
    B.Integer("TextHeight", &TForm::TextHeight, &TForm::SetTextHeight).NoDefault();
    B.Publish("Hint");
    B.Event("OnActivate", &TForm::OnActivate);
    B.Publish("OnClick");
    B.Event("OnClose", &TForm::OnClose);
    B.Event("OnCloseQuery", &TForm::OnCloseQuery);
    B.Event("OnCreate", &TForm::OnCreate);
    B.Publish("OnDblClick");
    B.Event("OnDeactivate", &TForm::OnDeactivate);
    B.Event("OnDestroy", &TForm::OnDestroy);
    B.Event("OnHide", &TForm::OnHide);
    B.Publish({"OnKeyDown", "OnKeyPress", "OnKeyUp", "OnContextPopup", "OnMouseDown", "OnMouseMove",
               "OnMouseUp", "DragCursor", "DragMode", "OnDragDrop", "OnDragOver", "OnEndDrag",
               "OnStartDrag"});
    B.Event("OnPaint", &TForm::OnPaint);
    B.Publish("OnResize");
    B.Event("OnShow", &TForm::OnShow);
})

// ---- TScreen ----

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {}

int TScreen::Width() const {
    return GetSystemMetrics(SM_CXSCREEN);
}
int TScreen::Height() const {
    return GetSystemMetrics(SM_CYSCREEN);
}

void TScreen::SetCursor(TCursor V) {
    if (V == Cursor_) return;
    Cursor_ = V;
    // Take effect at once, without waiting for the mouse to move.
    if (V != crDefault)
        ::qel::SetCursor(Cursors(V));
    else
        ::qel::SetCursor(IDC_ARROW);
}

HCURSOR TScreen::Cursors(TCursor Index) const {
    for (const auto& [I, H] : Custom_)
        if (I == Index) return H;
    switch (Index) {
    case crDefault:
    case crArrow:
        return IDC_ARROW;
    case crNone:
        return 0;
    case crCross:
        return IDC_CROSS;
    case crIBeam:
        return IDC_IBEAM;
    case crSizeNESW:
        return IDC_SIZENESW;
    case crSizeNS:
        return IDC_SIZENS;
    case crSizeNWSE:
        return IDC_SIZENWSE;
    case crSizeWE:
        return IDC_SIZEWE;
    case crUpArrow:
        return IDC_UPARROW;
    case crHourGlass:
        return IDC_WAIT;
    case crDrag:
        return IDC_DRAG;
    case crNoDrop:
        return IDC_NODROP;
    case crHSplit:
        return IDC_HSPLIT;
    case crVSplit:
        return IDC_VSPLIT;
    case crMultiDrag:
        return IDC_MULTIDRAG;
    case crSQLWait:
        return IDC_SQLWAIT;
    case crNo:
        return IDC_NO;
    case crAppStart:
        return IDC_APPSTARTING;
    case crHelp:
        return IDC_HELP;
    case crHandPoint:
        return IDC_HAND;
    case crSizeAll:
        return IDC_SIZEALL;
    default:
        return IDC_ARROW;
    }
}

void TScreen::SetCursors(TCursor Index, HCURSOR Handle) {
    for (auto& [I, H] : Custom_)
        if (I == Index) {
            H = Handle;
            return;
        }
    Custom_.emplace_back(Index, Handle);
}

TWinControl* TScreen::ActiveControl() const {
    return ActiveForm_ ? ActiveForm_->ActiveControl() : nullptr;
}

void TScreen::AddForm(TCustomForm* F) {
    Forms_.push_back(F);
}

void TScreen::RemoveForm(TCustomForm* F) {
    std::erase(Forms_, F);
    if (ActiveForm_ == F) ActiveForm_ = nullptr;
}

void TScreen::SetActiveForm(TCustomForm* F) {
    if (ActiveForm_ == F) return;
    ActiveForm_ = F;
    if (OnActiveFormChange) OnActiveFormChange(this);
}

QEL_IMPLEMENT_CLASS(TScreen, TComponent, NoProperties<TScreen>)

} // namespace qel
