#include "toolkit/controls/ComCtrls.h"

#include "toolkit/controls/Forms.h"
#include "toolkit/controls/PublishedGroups.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/Font.h"
#include "toolkit/graphics/TextDraw.h"

#include <algorithm>

namespace qel {

// ---- TTabSheet ----

TTabSheet::TTabSheet(TComponent* AOwner) : TCustomControl(AOwner) {
    ControlStyle_ = {csAcceptsControls, csCaptureMouse, csClickEvents,
                     csSetCaption,      csDoubleClicks, csOpaque};
    Align_ = alClient;
    Visible_ = false;
}

TTabSheet::~TTabSheet() {
    if (PageControl_) PageControl_->RemovePage(this);
}

void TTabSheet::SetParent(TWinControl* AParent) {
    TCustomControl::SetParent(AParent);
    auto* P = dynamic_cast<TPageControl*>(AParent);
    if (P == PageControl_) return;
    if (PageControl_) PageControl_->RemovePage(this);
    if (P) P->InsertPage(this);
}

void TTabSheet::SetPageControl(TPageControl* V) {
    SetParent(V);
}

int TTabSheet::PageIndex() const {
    if (!PageControl_) return -1;
    auto& P = PageControl_->Pages_;
    return static_cast<int>(std::find(P.begin(), P.end(), this) - P.begin());
}

void TTabSheet::SetPageIndex(int V) {
    if (!PageControl_) return;
    auto& P = PageControl_->Pages_;
    V = std::clamp(V, 0, static_cast<int>(P.size()) - 1);
    P.erase(std::find(P.begin(), P.end(), this));
    P.insert(P.begin() + V, this);
    PageControl_->Invalidate();
}

void TTabSheet::SetTabVisible(bool V) {
    TabVisible_ = V;
    if (PageControl_) {
        if (!V && PageControl_->ActivePage() == this)
            PageControl_->SetActivePage(PageControl_->FindNextPage(this, true, true));
        PageControl_->Invalidate();
    }
}

void TTabSheet::Paint() {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->Brush()->SetStyle(bsSolid);
    Canvas()->FillRect(ClientRect());
}

void TTabSheet::WndProc(TMessage& M) {
    if (M.Msg == CM_TEXTCHANGED && PageControl_) PageControl_->Invalidate();
    TCustomControl::WndProc(M);
}

// ---- TPageControl ----

TPageControl::TPageControl(TComponent* AOwner) : TCustomControl(AOwner) {
    ControlStyle_ = {csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque};
    Width_ = 289;
    Height_ = 193;
    SetTabStop(true);
}

TPageControl::~TPageControl() {
    for (TTabSheet* P : Pages_)
        P->PageControl_ = nullptr;
}

void TPageControl::InsertPage(TTabSheet* Page) {
    Pages_.push_back(Page);
    Page->PageControl_ = this;
    Page->FreeNotification(this);
    if (!Active_ && !IsLoading()) SetActivePage(Page);
    Invalidate();
}

void TPageControl::RemovePage(TTabSheet* Page) {
    auto It = std::find(Pages_.begin(), Pages_.end(), Page);
    if (It == Pages_.end()) return;
    TTabSheet* Next = Active_ == Page ? FindNextPage(Page, true, true) : Active_;
    Pages_.erase(It);
    Page->PageControl_ = nullptr;
    if (Next == Page) Next = nullptr;
    Active_ = nullptr;
    SetActivePage(Next);
    Invalidate();
}

void TPageControl::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove)
        if (auto* P = dynamic_cast<TTabSheet*>(AComponent)) RemovePage(P);
}

void TPageControl::Loaded() {
    TCustomControl::Loaded();
    if (!Active_ && !Pages_.empty()) SetActivePage(FindNextPage(nullptr, true, true));
    ShowActive();
}

void TPageControl::ShowActive() {
    for (TTabSheet* P : Pages_)
        if (P != Active_) P->SetVisible(false);
    if (Active_) {
        Active_->SetVisible(true);
        Active_->BringToFront();
    }
}

void TPageControl::SetActivePage(TTabSheet* V) {
    if (V && V->PageControl_ != this) return;
    if (V == Active_) return;
    TCustomForm* F = GetParentForm();
    bool HadFocus =
        F && Active_ && F->ActiveControl() && Active_->ContainsControl(F->ActiveControl());
    Active_ = V;
    if (IsLoading()) return;
    ShowActive();
    // Focus inside a page that goes away moves to the page control itself.
    if (HadFocus && CanFocus()) SetFocus();
    Invalidate();
}

int TPageControl::ActivePageIndex() const {
    return Active_ ? Active_->PageIndex() : -1;
}

void TPageControl::SetActivePageIndex(int V) {
    SetActivePage(V >= 0 && V < PageCount() ? Pages_[static_cast<std::size_t>(V)] : nullptr);
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* Cur, bool GoForward, bool CheckTabVisible) const {
    int N = PageCount();
    if (N == 0) return nullptr;
    int Start = Cur ? Cur->PageIndex() : (GoForward ? N - 1 : 0);
    if (Start < 0 || Start >= N) Start = GoForward ? N - 1 : 0;
    int I = Start;
    do {
        I = GoForward ? (I + 1) % N : (I + N - 1) % N;
        TTabSheet* P = Pages_[static_cast<std::size_t>(I)];
        if (!CheckTabVisible || P->TabVisible()) return P;
    } while (I != Start);
    return nullptr;
}

bool TPageControl::UserSelect(TTabSheet* Page) {
    if (!Page || Page == Active_) return false;
    bool Allow = true;
    if (OnChanging) OnChanging(this, Allow);
    if (!Allow) return false;
    SetActivePage(Page);
    if (OnChange) OnChange(this);
    return true;
}

void TPageControl::SelectNextPage(bool GoForward) {
    UserSelect(FindNextPage(Active_, GoForward, true));
}

int TPageControl::TabHeight() const {
    HDC DC = CreateCompatibleDC(0);
    SelectObject(DC, Font()->Handle());
    TSize S{};
    GetTextExtentPoint32A(DC, "Wg", 2, &S);
    DeleteDC(DC);
    return S.cy + 8;
}

TRect TPageControl::TabRect(int Index) const {
    HDC DC = CreateCompatibleDC(0);
    SelectObject(DC, Font()->Handle());
    int X = 2;
    TRect R{};
    for (int I = 0; I < PageCount(); ++I) {
        TTabSheet* P = Pages_[static_cast<std::size_t>(I)];
        if (!P->TabVisible()) continue;
        TRect T{0, 0, 0, 0};
        DrawTextA(DC, P->Caption().c_str(), -1, &T, DT_CALCRECT | DT_SINGLELINE);
        int W = T.Width() + 16;
        if (I == Index) {
            R = {X, 2, X + W, 2 + TabHeight() - 2};
            break;
        }
        X += W;
    }
    DeleteDC(DC);
    return R;
}

int TPageControl::IndexOfTabAt(int X, int Y) const {
    for (int I = 0; I < PageCount(); ++I) {
        TRect R = TabRect(I);
        if (!IsRectEmpty(&R) && PtInRect(&R, {X, Y})) return I;
    }
    return -1;
}

void TPageControl::AdjustClientRect(TRect& R) {
    R.Top += TabHeight();
    InflateRect(&R, -4, -4);
    R.Top -= 2;
}

void TPageControl::Paint() {
    TCanvas* C = Canvas();
    HDC DC = C->Handle();
    C->Brush()->SetColor(Color());
    C->Brush()->SetStyle(bsSolid);
    C->FillRect(ClientRect());
    TRect Body = ClientRect();
    Body.Top += TabHeight();
    DrawEdge(DC, &Body, EDGE_RAISED, BF_RECT);
    SelectObject(DC, Font()->Handle());
    SetBkMode(DC, TRANSPARENT);
    ::qel::SetTextColor(DC, ColorToRGB(Enabled() ? Font()->Color() : clGrayText));
    for (int I = 0; I < PageCount(); ++I) {
        TRect T = TabRect(I);
        if (IsRectEmpty(&T)) continue;
        bool Active = Pages_[static_cast<std::size_t>(I)] == Active_;
        if (Active) InflateRect(&T, 2, 2);
        T.Bottom = Body.Top + (Active ? 2 : 0);
        C->FillRect(T);
        DrawEdge(DC, &T, EDGE_RAISED, BF_LEFT | BF_TOP | BF_RIGHT);
        TRect Text = T;
        std::string Cap = Pages_[static_cast<std::size_t>(I)]->Caption();
        DrawTextA(DC, Cap.c_str(), -1, &Text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        if (Active && Focused()) {
            InflateRect(&Text, -3, -3);
            DrawFocusRect(DC, &Text);
        }
    }
}

void TPageControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    int I = IndexOfTabAt(X, Y);
    if (I < 0) return;
    if (CanFocus()) SetFocus();
    UserSelect(Pages_[static_cast<std::size_t>(I)]);
}

void TPageControl::KeyDown(WORD& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (Key == VK_LEFT || Key == VK_RIGHT) {
        SelectNextPage(Key == VK_RIGHT);
        Key = 0;
    }
}

void TPageControl::WndProc(TMessage& M) {
    switch (M.Msg) {
    case WM_GETDLGCODE:
        M.Result = DLGC_WANTARROWS;
        return;
    case CM_DIALOGKEY:
        // Ctrl+Tab turns the pages from anywhere inside the control.
        if (M.WParam == VK_TAB && GetKeyState(VK_CONTROL) < 0 && Active_) {
            if (TCustomForm* F = GetParentForm();
                F && F->ActiveControl() &&
                (F->ActiveControl() == this || ContainsControl(F->ActiveControl()))) {
                SelectNextPage(GetKeyState(VK_SHIFT) >= 0);
                M.Result = 1;
                return;
            }
        }
        break;
    case CM_FONTCHANGED:
    case CM_PARENTFONTCHANGED:
        TCustomControl::WndProc(M);
        Realign();
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Invalidate();
        break;
    default:
        break;
    }
    TCustomControl::WndProc(M);
}

QEL_IMPLEMENT_CLASS(TTabSheet, TCustomControl, [](TClassBuilder<TTabSheet>& B) {
    using T = TTabSheet;
    B.Publish({"Caption", "Enabled", "Font", "ParentFont"});
    B.Bool("TabVisible", &T::TabVisible, &T::SetTabVisible).SetDefault(true);
    B.Publish({"OnEnter", "OnExit"});
})

QEL_IMPLEMENT_CLASS(TPageControl, TCustomControl, [](TClassBuilder<TPageControl>& B) {
    using T = TPageControl;
    B.Component("ActivePage", &T::ActivePage, &T::SetActivePage);
    B.Publish({"Align", "Anchors", "Enabled", "Font", "ParentFont", "TabOrder"});
    B.Publish("TabStop").SetDefault(true);
    B.Publish("Visible");
    B.Event("OnChange", &T::OnChange);
    B.Event("OnChanging", &T::OnChanging);
    B.Publish({"OnEnter", "OnExit"});
})

} // namespace qel
