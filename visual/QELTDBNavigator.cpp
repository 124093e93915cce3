#include "visual/QELTDBNavigator.h"

#include "toolkit/controls/ControlCanvas.h"
#include "toolkit/controls/Dialogs.h"
#include "toolkit/controls/PublishedGroups.h"
#include "toolkit/core/ScopeGuard.h"
#include "toolkit/graphics/Bitmap.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/Resources.h"

namespace qel {

namespace {

constexpr const char* BtnNames[] = {"FIRST",  "PRIOR", "NEXT", "LAST",   "INSERT",
                                    "DELETE", "EDIT",  "POST", "CANCEL", "REFRESH"};
constexpr const char* DefaultHints[] = {
    "First Record",  "Previous Record", "Next Record", "Last Record", "Insert Record",
    "Delete Record", "Edit Record",     "Post Record", "Cancel Edit", "Refresh Record"};

TQELNavigateBtn Nth(int I) {
    return static_cast<TQELNavigateBtn>(I);
}

} // namespace

QEL_IMPLEMENT_CLASS(TQELNavButton, TSpeedButton, NoProperties<TQELNavButton>)

static void DescribeNavigator(TClassBuilder<TQELDBNavigator>& B) {
    using T = TQELDBNavigator;
    B.Publish({"Anchors", "BiDiMode", "Constraints", "DragKind", "ParentBiDiMode"});
    B.Enum("Direction", &T::Direction, &T::SetDir).SetDefault(kHorizontal);
    B.Component("Background", &T::Background, &T::Setback);
    B.Component("DataSource", &T::DataSource, &T::SetDataSource);
    B.Set<TQELNavigateBtn>("VisibleButtons", &T::VisibleButtons,
                           static_cast<void (T::*)(TQELButtonSet)>(&T::SetVisible))
        .SetDefault(QELAllNavButtons.Bits());
    B.Publish({"Align", "DragCursor", "DragMode", "Enabled"});
    B.Bool("Flat", &T::Flat, &T::SetFlat).SetDefault(false);
    B.Bool("Ctl3D", &T::Ctl3D, &T::SetCtl3D).SetDefault(true);
    B.Strings("Hints", &T::Hints, &T::SetHints);
    B.Publish({"ParentShowHint", "PopupMenu"});
    B.Bool("ConfirmDelete", &T::ConfirmDelete, &T::SetConfirmDelete).SetDefault(true);
    B.Publish({"ShowHint", "TabOrder", "TabStop", "Visible"});
    B.Event("BeforeAction", &T::BeforeAction);
    B.Publish({"OnClick", "OnDblClick", "OnDragDrop", "OnDragOver", "OnEndDrag", "OnEnter",
               "OnExit", "OnResize", "OnStartDrag"});
}
QEL_IMPLEMENT_CLASS(TQELDBNavigator, TCustomPanel, DescribeNavigator)

// ---- TQELNavButton

TQELNavButton::TQELNavButton(TComponent* AOwner) : TSpeedButton(AOwner) {}

TQELNavButton::~TQELNavButton() {
    *FAlive = false;
    delete FRepeatTimer;
}

void TQELNavButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const auto Alive = FAlive;
    TSpeedButton::MouseDown(Button, Shift, X, Y);
    if (!*Alive || !FNavStyle.Contains(nsAllowTimer)) return;
    if (!FRepeatTimer) {
        FRepeatTimer = new TTimer(nullptr);
        FRepeatTimer->SetOnTimer([this](TObject*) { TimerExpired(); });
    }
    FRepeatTimer->SetEnabled(false);
    FRepeatTimer->SetInterval(400);
    FRepeatTimer->SetEnabled(true);
}

void TQELNavButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const auto Alive = FAlive;
    TSpeedButton::MouseUp(Button, Shift, X, Y);
    if (*Alive && FRepeatTimer) FRepeatTimer->SetEnabled(false);
}

void TQELNavButton::TimerExpired() {
    FRepeatTimer->SetInterval(100);
    if (State_ != bsDown || GetCaptureControl() != this) return;
    const auto Alive = FAlive;
    const TScopeFail Undo([&] {
        if (*Alive) FRepeatTimer->SetEnabled(false);
    });
    Click();
}

void TQELNavButton::Paint() {
    TSpeedButton::Paint();
    auto* Nav = Cast<TQELDBNavigator>(Parent());
    if (!Nav || !Nav->Focused() || Nav->FocusedButton() != FIndex) return;
    TRect R{3, 3, Width() - 3, Height() - 3};
    if (State_ == bsDown) {
        R.Left += 1;
        R.Top += 1;
        R.Right += 1;
        R.Bottom += 1;
    }
    Canvas()->DrawFocusRect(R);
}

// ---- TQELNavDataLink

void TQELNavDataLink::EditingChanged() {
    if (FNavigator) FNavigator->EditingChanged();
}

void TQELNavDataLink::DataSetChanged() {
    if (FNavigator) FNavigator->DataChanged();
}

void TQELNavDataLink::ActiveChanged() {
    if (FNavigator) FNavigator->ActiveChanged();
}

// ---- TQELDBNavigator

TQELDBNavigator::TQELDBNavigator(TComponent* AOwner) : TCustomPanel(AOwner) {
    SetControlStyle(ControlStyle() - TControlStyle{csAcceptsControls, csSetCaption} +
                    TControlStyle{csOpaque});
    FDataLink = std::make_unique<TQELNavDataLink>(this);
    FHints = std::make_unique<TStringList>();
    FHints->OnChange = [this](TObject*) { HintsChanged(); };
    InitButtons();
    SetBevelOuter(bvNone);
    SetBevelInner(bvNone);
    SetBounds(Left(), Top(), 241, 25);
    FButtonWidth = FButtonHeight = 0;
    SetFullRepaint(false);
    ActiveChanged();
}

TQELDBNavigator::~TQELDBNavigator() {
    *FAlive = false;
    FHints->OnChange = nullptr;
    FDataLink.reset();
}

void TQELDBNavigator::InitButtons() {
    const TResourceModule Module = ResourceModule("Brisca40");
    for (int I = 0; I < 10; ++I) {
        auto* Btn = new TQELNavButton(this);
        Btn->SetFlat(FFlat);
        Btn->SetIndex(Nth(I));
        Btn->SetVisible(FVisibleButtons.Contains(Nth(I)));
        Btn->SetEnabled(true);
        Btn->Glyph()->LoadFromResourceName(Module, std::string("dbmn_") + BtnNames[I]);
        Btn->SetNumGlyphs(2);
        Btn->SetEnabled(false);
        Btn->SetEnabled(true);
        Btn->OnClick = [this](TObject* Sender) { ClickHandler(Sender); };
        Btn->OnMouseDown = [this](TObject* Sender, TMouseButton, TShiftState, int, int) {
            BtnMouseDown(Sender);
        };
        Btn->SetParent(this);
        FButtons[std::size_t(I)] = Btn;
    }
    InitHints();
    for (TQELNavigateBtn B : {nbPrior, nbNext})
        FButtons[B]->SetNavStyle(FButtons[B]->NavStyle() + TQELNavButtonStyle{nsAllowTimer});
}

void TQELDBNavigator::InitHints() {
    for (int I = 0; I < 10; ++I)
        FButtons[std::size_t(I)]->SetHint(DefaultHints[I]);
    for (int J = 0; J < FHints->Count() && J < 10; ++J)
        if (!FHints->Get(J).empty()) FButtons[std::size_t(J)]->SetHint(FHints->Get(J));
}

void TQELDBNavigator::HintsChanged() {
    InitHints();
}

void TQELDBNavigator::SetHints(TStrings* Value) {
    FHints->Assign(Value);
}

void TQELDBNavigator::SetFlat(bool Value) {
    if (Value == FFlat) return;
    FFlat = Value;
    for (TQELNavButton* B : FButtons)
        B->SetFlat(Value);
}

void TQELDBNavigator::SetVisible(TQELButtonSet Value) {
    FVisibleButtons = Value;
    for (int I = 0; I < 10; ++I)
        FButtons[std::size_t(I)]->SetVisible(Value.Contains(Nth(I)));
    int W = Width(), H = Height();
    AdjustSize(W, H);
    TCustomPanel::SetBounds(Left(), Top(), W, H);
    Invalidate();
}

void TQELDBNavigator::SetDir(TQELKind Value) {
    if (Value != FDirection && !IsLoading()) {
        FSwitching = true;
        TCustomPanel::SetBounds(Left(), Top(), Height(), Width());
        FSwitching = false;
    }
    FDirection = Value;
    FMinBtnSize = Value == kHorizontal ? TPoint{20, 18} : TPoint{18, 20};
    for (int I = 0; I < 10; ++I)
        FButtons[std::size_t(I)]->SetBounds(I * FMinBtnSize.X, 0, FMinBtnSize.X, FMinBtnSize.Y);
    if (HandleAllocated()) RecreateWnd();
    // What the new window's size notification does: lay the buttons out along the new axis.
    SetBounds(Left(), Top(), Width(), Height());
}

void TQELDBNavigator::AdjustSize(int& W, int& H) {
    if (FDirection == kHorizontal)
        AdjustHSize(W, H);
    else
        AdjustVSize(W, H);
}

void TQELDBNavigator::AdjustHSize(int& W, int& H) {
    LayOutButtons(true, W, H);
}

void TQELDBNavigator::AdjustVSize(int& W, int& H) {
    LayOutButtons(false, W, H);
}

// Both directions alike: Along is the extent the buttons share, Across the one each spans.
void TQELDBNavigator::LayOutButtons(bool Horizontal, int& W, int& H) {
    if (IsLoading() || !FButtons[0]) return;
    int& Along = Horizontal ? W : H;
    int& Across = Horizontal ? H : W;
    const int MinAlong = Horizontal ? FMinBtnSize.X : FMinBtnSize.Y;
    const int MinAcross = Horizontal ? FMinBtnSize.Y : FMinBtnSize.X;
    int Count = 0;
    for (int I = 0; I < 10; ++I)
        Count += FVisibleButtons.Contains(Nth(I)) ? 1 : 0;
    if (Count == 0) Count = 1;
    if (Along < Count * MinAlong) Along = Count * MinAlong;
    if (Across < MinAcross) Across = MinAcross;
    int& Size = Horizontal ? FButtonWidth : FButtonHeight;
    Size = Along / Count;
    if (Align() == alNone) Along = Count * Size;
    // The spare pixels of an aligned bar go one each to buttons spread over the row.
    const int Gap = Along - Count * Size;
    int Acc = Count / 2, Pos = 0;
    for (int I = 0; I < 10; ++I) {
        TQELNavButton* B = FButtons[std::size_t(I)];
        if (!FVisibleButtons.Contains(Nth(I))) {
            if (Horizontal)
                B->SetBounds(Width() + 1, 0, Size, Height());
            else
                B->SetBounds(0, Height() + 1, Width(), Size);
            continue;
        }
        int Extra = 0;
        if (Gap != 0) {
            Acc -= Gap;
            if (Acc < 0) {
                Acc += Count;
                Extra = 1;
            }
        }
        if (Horizontal)
            B->SetBounds(Pos, 0, Size + Extra, Height());
        else
            B->SetBounds(0, Pos, Width(), Size + Extra);
        Pos += Size + Extra;
    }
}

void TQELDBNavigator::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    const bool Adjust = !FSwitching && !ComponentState().Contains(csReading);
    if (Adjust) AdjustSize(AWidth, AHeight);
    TCustomPanel::SetBounds(ALeft, ATop, AWidth, AHeight);
    // The buttons take the height (or width) the bar has now.
    if (Adjust) {
        int W = Width(), H = Height();
        AdjustSize(W, H);
    }
}

void TQELDBNavigator::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_SIZE: {
        TCustomPanel::WndProc(Message);
        int W = Width(), H = Height();
        AdjustSize(W, H);
        if (!FSwitching && (W != Width() || H != Height()))
            TCustomPanel::SetBounds(Left(), Top(), W, H);
        Message.Result = 0;
        return;
    }
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTARROWS;
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        TCustomPanel::WndProc(Message);
        FButtons[FFocusedButton]->Invalidate();
        return;
    case CM_ENABLEDCHANGED:
        TCustomPanel::WndProc(Message);
        if (!IsLoading()) ActiveChanged();
        return;
    default:
        TCustomPanel::WndProc(Message);
    }
}

void TQELDBNavigator::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomPanel::Notification(AComponent, Operation);
    FBackground.Notification(AComponent, Operation);
    if (Operation == opRemove && FDataLink && AComponent == DataSource()) SetDataSource(nullptr);
}

void TQELDBNavigator::Loaded() {
    TCustomPanel::Loaded();
    int W = Width(), H = Height();
    AdjustSize(W, H);
    TCustomPanel::SetBounds(Left(), Top(), W, H);
    InitHints();
    ActiveChanged();
}

void TQELDBNavigator::GetChildren(const std::function<void(TComponent*)>&, TComponent*) {
    // The buttons are part of the navigator, never of the form file.
}

void TQELDBNavigator::Paint() {
    if (FBackground)
        FBackground->Draw(Canvas()->Handle(), Width(), Height(), true);
    else
        TCustomPanel::Paint();
}

void TQELDBNavigator::SetDataSource(TDataSource* Value) {
    FDataLink->SetDataSource(Value);
    if (!IsLoading()) ActiveChanged();
    if (Value) Value->FreeNotification(this);
}

void TQELDBNavigator::DataChanged() {
    TDataSet* DS = FDataLink->DataSet();
    if (!DS) return;
    const bool Up = Enabled() && !DS->Bof();
    const bool Down = Enabled() && !DS->Eof();
    FButtons[nbFirst]->SetEnabled(Up);
    FButtons[nbPrior]->SetEnabled(Up);
    FButtons[nbNext]->SetEnabled(Down);
    FButtons[nbLast]->SetEnabled(Down);
    FButtons[nbDelete]->SetEnabled(Enabled() && DS->CanModify() && !(DS->Bof() && DS->Eof()));
}

void TQELDBNavigator::EditingChanged() {
    TDataSet* DS = FDataLink->DataSet();
    const bool CanModify = Enabled() && FDataLink->Active() && DS && DS->CanModify();
    const bool Editing = FDataLink->Editing();
    FButtons[nbInsert]->SetEnabled(CanModify);
    FButtons[nbEdit]->SetEnabled(CanModify && !Editing);
    FButtons[nbPost]->SetEnabled(CanModify && Editing);
    FButtons[nbCancel]->SetEnabled(CanModify && Editing);
    FButtons[nbRefresh]->SetEnabled(CanModify);
}

void TQELDBNavigator::ActiveChanged() {
    if (Enabled() && FDataLink->Active()) {
        DataChanged();
        EditingChanged();
        return;
    }
    for (TQELNavButton* B : FButtons)
        B->SetEnabled(false);
}

void TQELDBNavigator::ClickHandler(TObject* Sender) {
    BtnClick(As<TQELNavButton>(*Sender).Index());
}

void TQELDBNavigator::BtnClick(TQELNavigateBtn Index) {
    const auto Alive = FAlive;
    TDataSource* Src = DataSource();
    if (Src && Src->State() != dsInactive) {
        if (!IsDesigning() && BeforeAction) {
            BeforeAction(this, Index);
            if (!*Alive) return;
        }
        // The handler may have switched sources or closed the dataset.
        TDataSet* DS = DataSource() ? DataSource()->DataSet() : nullptr;
        if (DS && DS->Active()) {
            switch (Index) {
            case nbFirst:
                DS->First();
                break;
            case nbPrior:
                DS->Prior();
                break;
            case nbNext:
                DS->Next();
                break;
            case nbLast:
                DS->Last();
                break;
            case nbInsert:
                DS->Insert();
                break;
            case nbDelete: {
                bool Go = true;
                if (FConfirmDelete)
                    Go = MessageDlg(DialogStrings::SDeleteRecordQuestion, mtConfirmation,
                                    mbOKCancel, 0) != mrCancel;
                if (!*Alive) return;
                if (Go) DS->Delete();
                break;
            }
            case nbEdit:
                DS->Edit();
                break;
            case nbPost:
                DS->Post();
                break;
            case nbCancel:
                DS->Cancel();
                break;
            case nbRefresh:
                DS->Refresh();
                break;
            }
            if (!*Alive) return;
        }
    }
    if (!IsDesigning() && OnClick) OnClick(this, Index);
}

void TQELDBNavigator::BtnMouseDown(TObject* Sender) {
    const TQELNavigateBtn Old = FFocusedButton;
    FFocusedButton = As<TQELNavButton>(*Sender).Index();
    if (TabStop() && !Focused() && CanFocus()) {
        SetFocus();
    } else if (TabStop() && Focused() && Old != FFocusedButton) {
        FButtons[Old]->Invalidate();
        FButtons[FFocusedButton]->Invalidate();
    }
}

void TQELDBNavigator::MoveFocus(int Step) {
    int N = FFocusedButton;
    do {
        N += Step;
    } while (N > nbFirst && N < nbRefresh && !FVisibleButtons.Contains(Nth(N)));
    if (N < nbFirst) N = nbFirst;
    if (N > nbRefresh) N = nbRefresh;
    if (Nth(N) == FFocusedButton) return;
    const TQELNavigateBtn Old = FFocusedButton;
    FFocusedButton = Nth(N);
    FButtons[Old]->Invalidate();
    FButtons[FFocusedButton]->Invalidate();
}

void TQELDBNavigator::KeyDown(WORD& Key, TShiftState Shift) {
    TCustomPanel::KeyDown(Key, Shift);
    switch (Key) {
    case VK_SPACE:
        if (FButtons[FFocusedButton]->Enabled()) FButtons[FFocusedButton]->Click();
        break;
    case VK_LEFT:
        MoveFocus(-1);
        break;
    case VK_RIGHT:
        MoveFocus(1);
        break;
    default:
        break;
    }
}

} // namespace qel
