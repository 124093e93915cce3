#include "toolkit/controls/ComboBox.h"

#include "toolkit/controls/Forms.h"
#include "toolkit/controls/PublishedGroups.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/Font.h"
#include "toolkit/graphics/TextDraw.h"

#include <algorithm>

namespace qel {

// The edit part; it hands Enter and Escape to the combo while the list is down.
class TComboEdit : public TCustomEdit {
  public:
    TComboEdit(TCustomComboBox* Combo) : TCustomEdit(Combo), Combo_(Combo) {
        SetBorderStyle(bsNone);
    }
    void WndProc(TMessage& M) override {
        if (M.Msg == CM_WANTSPECIALKEY && Combo_->DroppedDown() &&
            (M.WParam == VK_RETURN || M.WParam == VK_ESCAPE)) {
            M.Result = 1;
            return;
        }
        TCustomEdit::WndProc(M);
    }

  protected:
    void KeyDown(WORD& Key, TShiftState Shift) override {
        if (Combo_->HandleKey(Key, Shift)) return;
        TCustomEdit::KeyDown(Key, Shift);
    }
    void Change() override {
        TCustomEdit::Change();
        Combo_->EditChanged();
    }

  private:
    TCustomComboBox* Combo_;
};

// What both lists of a combo share: the items of an owner-draw combo are measured and drawn
// by the combo, on its own canvas, as its handlers expect.
class TComboListBase : public TCustomListBox {
  public:
    TComboListBase(TComponent* AOwner, TCustomComboBox* Combo)
        : TCustomListBox(AOwner), Combo_(Combo) {
        SetTabStop(false);
    }
    // Copies the combo's style and items (on drop-down, or when a simple combo's items change).
    void Follow() {
        TComboBoxStyle S = Combo_->Style();
        SetStyle(S == csOwnerDrawFixed      ? lbOwnerDrawFixed
                 : S == csOwnerDrawVariable ? lbOwnerDrawVariable
                                            : lbStandard);
        Font()->Assign(Combo_->Font());
        SetItemHeight(Combo_->OwnerDraw() ? Combo_->ItemHeight() : 0);
        Items()->Assign(Combo_->Items());
    }

  protected:
    void DrawItem(int Index, TRect Rect, TOwnerDrawState State) override {
        if (!Combo_->OwnerDraw()) {
            TCustomListBox::DrawItem(Index, Rect, State);
            return;
        }
        Combo_->DrawListItem(Canvas()->Handle(), Index, Rect, State);
    }
    void MeasureItem(int Index, int& Height) override { Combo_->MeasureItem(Index, Height); }

    TCustomComboBox* Combo_;
};

// The drop-down list: a borderless top-level window that takes no focus.
class TComboPopupList : public TComboListBase {
  public:
    explicit TComboPopupList(TCustomComboBox* Combo) : TComboListBase(nullptr, Combo) {
        Visible_ = false;
    }
    void Popup(const TRect& ScreenRect) {
        SetBounds(ScreenRect.Left, ScreenRect.Top, ScreenRect.Width(), ScreenRect.Height());
        SetWindowPos(Handle(), HWND_TOPMOST, ScreenRect.Left, ScreenRect.Top, ScreenRect.Width(),
                     ScreenRect.Height(), SWP_SHOWWINDOW | SWP_NOACTIVATE);
        Visible_ = true;
        Down_ = Tracking_ = false;
        SetCaptureControl(this);
        Invalidate();
    }
    void Hide() {
        if (GetCaptureControl() == this) SetCaptureControl(nullptr);
        if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
        Visible_ = false;
    }
    bool Shown() const { return Visible_; }

  protected:
    void CreateParams(TCreateParams& P) override {
        TComboListBase::CreateParams(P);
        P.Style = WS_POPUP | WS_BORDER;
        P.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
    }
    void MouseDown(TMouseButton, TShiftState, int X, int Y) override {
        TRect C = ClientRect();
        if (!PtInRect(&C, {X, Y})) {
            Combo_->CloseUp(false); // a click elsewhere closes the list unchanged
            return;
        }
        Down_ = true;
        int I = ItemAtPos({X, Y}, true);
        if (I >= 0) SetItemIndex(I);
        SetCaptureControl(this);
    }
    void MouseMove(TShiftState Shift, int X, int Y) override {
        TRect C = ClientRect();
        if (!PtInRect(&C, {X, Y})) return;
        int I = ItemAtPos({X, Y}, true);
        if (I >= 0 && I != ItemIndex()) SetItemIndex(I);
        if (Shift.Contains(ssLeft)) Tracking_ = true;
    }
    void MouseUp(TMouseButton, TShiftState, int X, int Y) override {
        TRect C = ClientRect();
        if (!(Down_ || Tracking_)) {
            SetCaptureControl(this); // the release of the click that opened the list
            return;
        }
        if (PtInRect(&C, {X, Y}) && ItemAtPos({X, Y}, true) >= 0)
            Combo_->CloseUp(true);
        else
            SetCaptureControl(this);
    }

  private:
    bool Down_ = false, Tracking_ = false;
};

// The list of a simple combo: always shown under the edit. The focus stays in the edit, and
// a choice in the list becomes the combo's choice.
class TComboSimpleList : public TComboListBase {
  public:
    explicit TComboSimpleList(TCustomComboBox* Combo) : TComboListBase(Combo, Combo) {}
    void SetFocus() override { Combo_->SetFocus(); }
    void Click() override {
        TComboListBase::Click();
        Combo_->SelectItem(ItemIndex(), true);
    }
};

namespace {
// A simple combo's edit is as high as a drop-down combo's face.
int EditHeightFor(int ItemHeight) {
    return ItemHeight + 7;
}
} // namespace

TCustomComboBox::TCustomComboBox(TComponent* AOwner) : TCustomControl(AOwner) {
    Width_ = 145;
    Height_ = 21;
    ControlStyle_ = {csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks, csOpaque};
    Color_ = clWindow;
    ParentColor_ = false;
    SetTabStop(true);
    Items_ = new TStringList;
    Items_->OnChange = [this](TObject*) {
        if (ItemIndex_ >= Items_->Count()) ItemIndex_ = -1;
        // A simple combo's list copies the items: fill items inside BeginUpdate/EndUpdate.
        if (SimpleList_) SimpleList_->Follow();
        SyncSimpleList();
        Invalidate();
    };
    Edit_ = new TComboEdit(this);
    Edit_->SetParent(this);
    ArrangeEdit();
}

TCustomComboBox::~TCustomComboBox() {
    Items_->OnChange = nullptr;
    delete List_;
    delete Items_;
}

void TCustomComboBox::CreateParams(TCreateParams& P) {
    TCustomControl::CreateParams(P);
    // A simple combo is an edit and a list, each with its own border.
    if (Style_ != csSimple) P.ExStyle |= WS_EX_CLIENTEDGE;
}

TCustomListBox* TCustomComboBox::DropList() const {
    if (SimpleList_) return SimpleList_;
    return List_;
}
TCustomEdit* TCustomComboBox::EditControl() const {
    return HasEdit() ? Edit_ : nullptr;
}

int TCustomComboBox::ItemHeight() const {
    if (ItemHeight_ > 0) return ItemHeight_;
    return std::max(1, Font()->Height() < 0 ? -Font()->Height() + 3 : Font()->Height() + 3);
}

void TCustomComboBox::SetItemHeight(int V) {
    ItemHeight_ = std::max(0, V);
    if (!IsLoading()) SetBounds(Left(), Top(), Width(), Height());
    Invalidate();
}

void TCustomComboBox::MeasureItem(int Index, int& Height) {
    if (OnMeasureItem) OnMeasureItem(this, Index, Height);
}

int TCustomComboBox::FixedHeight() {
    if (!OwnerDraw()) return 0;
    int Face = ItemHeight();
    if (Style_ == csOwnerDrawVariable) MeasureItem(-1, Face);
    // The face holds one item inside the client edge and a one-pixel margin.
    return std::max(1, Face) + 6;
}

void TCustomComboBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    if (!IsLoading())
        if (int H = FixedHeight()) AHeight = H;
    TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TCustomComboBox::DrawItem(int Index, TRect Rect, TOwnerDrawState State) {
    if (OnDrawItem) {
        OnDrawItem(this, Index, Rect, State);
        return;
    }
    DrawStandardItem(*Canvas(), Rect, Items_->Strings(Index));
}

void TCustomComboBox::DrawListItem(HDC DC, int Index, TRect Rect, TOwnerDrawState State) {
    TCanvas* C = Canvas();
    TCanvasDCScope Scope(*C, DC);
    bool Sel = State.Contains(odSelected);
    C->Font()->Assign(Font());
    if (Sel) C->Font()->SetColor(clHighlightText);
    if (State.Contains(odDisabled)) C->Font()->SetColor(clGrayText);
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(Sel ? clHighlight : Color());
    if (Index >= 0 && Index < Items_->Count())
        DrawItem(Index, Rect, State);
    else
        C->FillRect(Rect); // no choice yet: the face is empty
    if (State.Contains(odComboBoxEdit) && State.Contains(odFocused)) C->DrawFocusRect(Rect);
}

void TCustomComboBox::SyncSimpleList() {
    if (SimpleList_ && SimpleList_->ItemIndex() != ItemIndex_)
        SimpleList_->SetItemIndex(ItemIndex_);
}

int TCustomComboBox::MaxLength() const {
    return Edit_->MaxLength();
}
void TCustomComboBox::SetMaxLength(int V) {
    Edit_->SetMaxLength(V);
}

TRect TCustomComboBox::ButtonRect() const {
    TRect C = ClientRect();
    return {C.Right - 16, C.Top, C.Right, C.Bottom};
}

void TCustomComboBox::ArrangeEdit() {
    TRect C = ClientRect();
    Edit_->SetVisible(HasEdit());
    if (Style_ == csSimple) {
        int EH = std::min(C.Height(), EditHeightFor(ItemHeight()));
        Edit_->SetBorderStyle(bsSingle);
        Edit_->SetBounds(C.Left, C.Top, C.Width(), EH);
        if (SimpleList_) SimpleList_->SetBounds(C.Left, C.Top + EH, C.Width(), C.Height() - EH);
        return;
    }
    Edit_->SetBorderStyle(bsNone);
    Edit_->SetBounds(C.Left + 1, C.Top + 1, std::max(0, C.Width() - 18),
                     std::max(0, C.Height() - 2));
}

void TCustomComboBox::BoundsChanged() {
    TCustomControl::BoundsChanged();
    ArrangeEdit();
}

void TCustomComboBox::SetStyle(TComboBoxStyle V) {
    if (V == Style_) return;
    if (V != csSimple) SetDroppedDown(false);
    bool EdgeChanged = (V == csSimple) != (Style_ == csSimple);
    Style_ = V;
    if (V == csSimple && !SimpleList_) {
        SimpleList_ = new TComboSimpleList(this);
        SimpleList_->SetParent(this);
        SimpleList_->Follow();
    } else if (V != csSimple && SimpleList_) {
        delete SimpleList_;
        SimpleList_ = nullptr;
    }
    if (SimpleList_) SimpleList_->Follow();
    SyncSimpleList();
    if (EdgeChanged && HandleAllocated()) RecreateWnd();
    if (!IsLoading()) SetBounds(Left(), Top(), Width(), Height());
    ArrangeEdit();
    Invalidate();
}

void TCustomComboBox::SetFocus() {
    if (HasEdit() && Edit_->CanFocus())
        Edit_->SetFocus();
    else
        TCustomControl::SetFocus();
}

void TCustomComboBox::SelectItem(int Index, bool User) {
    Index = std::clamp(Index, -1, Items_->Count() - 1);
    bool Changed = Index != ItemIndex_;
    ItemIndex_ = Index;
    Syncing_ = true;
    std::string T = Index >= 0 ? Items_->Strings(Index) : std::string();
    Edit_->SetText(T);
    Edit_->SelectAll();
    Syncing_ = false;
    Text_ = T;
    SyncSimpleList();
    Invalidate();
    if (User && Changed) {
        auto Alive = LifeToken();
        if (OnSelect) OnSelect(this);
        if (!Alive.expired() && OnChange) OnChange(this);
    }
}

void TCustomComboBox::SetItemIndex(int V) {
    // Items may follow ItemIndex in a form file.
    if (IsLoading()) {
        ItemIndex_ = V;
        return;
    }
    SelectItem(V, false);
}

void TCustomComboBox::Loaded() {
    TCustomControl::Loaded();
    if (ItemIndex_ >= 0) SelectItem(ItemIndex_, false);
    // The item height and the handlers may come after the bounds in a form file.
    SetBounds(Left(), Top(), Width(), Height());
    ArrangeEdit();
}

void TCustomComboBox::EditChanged() {
    if (Syncing_) return;
    Text_ = Edit_->Text();
    ItemIndex_ = Items_->IndexOf(Text_);
    SyncSimpleList();
    if (OnChange) OnChange(this);
}

bool TCustomComboBox::DroppedDown() const {
    return List_ && List_->Shown();
}

void TCustomComboBox::SetDroppedDown(bool V) {
    // A simple combo's list is always open.
    if (V == DroppedDown() || Style_ == csSimple) return;
    if (!V) {
        CloseUp(false);
        return;
    }
    if (OnDropDown) OnDropDown(this);
    if (!List_) List_ = new TComboPopupList(this);
    List_->Follow();
    List_->SetItemIndex(ItemIndex_);
    int Rows = std::clamp(Items_->Count(), 1, DropDownCount_);
    int H = Rows * List_->ItemHeight() + 2;
    if (Style_ == csOwnerDrawVariable && Items_->Count() > 0) {
        H = 2;
        for (int I = 0; I < Rows; ++I) {
            int IH = ItemHeight();
            MeasureItem(I, IH);
            H += std::max(1, IH);
        }
    }
    TPoint P = ClientToScreen({0, 0});
    TRect R = Bounds(P.X - 2, P.Y + ClientHeight() + 2, Width(), H);
    // Below the box when it fits, else above it.
    if (R.Bottom > Screen->Height()) R = Bounds(P.X - 2, P.Y - 2 - H, Width(), H);
    List_->Popup(R);
    Invalidate();
}

void TCustomComboBox::CloseUp(bool Accept) {
    if (!DroppedDown()) return;
    int Chosen = List_->ItemIndex();
    List_->Hide();
    Invalidate();
    if (Accept) SelectItem(Chosen, true);
    if (OnCloseUp) OnCloseUp(this);
}

bool TCustomComboBox::HandleKey(WORD& Key, TShiftState Shift) {
    bool Down = DroppedDown();
    bool DropKey = Key == VK_F4 || ((Key == VK_DOWN || Key == VK_UP) && Shift.Contains(ssAlt));
    if (DropKey && Style_ != csSimple) {
        SetDroppedDown(!Down);
        Key = 0;
        return true;
    }
    if (Down) {
        switch (Key) {
        case VK_RETURN:
            CloseUp(true);
            break;
        case VK_ESCAPE:
            CloseUp(false);
            break;
        case VK_UP:
            List_->SetItemIndex(std::max(0, List_->ItemIndex() - 1));
            break;
        case VK_DOWN:
            List_->SetItemIndex(std::min(Items_->Count() - 1, List_->ItemIndex() + 1));
            break;
        default:
            return false;
        }
        Key = 0;
        return true;
    }
    if (Key == VK_UP || Key == VK_DOWN) {
        if (Items_->Count() > 0)
            SelectItem(std::clamp(ItemIndex_ + (Key == VK_DOWN ? 1 : -1), 0, Items_->Count() - 1),
                       true);
        Key = 0;
        return true;
    }
    return false;
}

void TCustomComboBox::KeyDown(WORD& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (Key) HandleKey(Key, Shift);
}

void TCustomComboBox::KeyPress(char& Key) {
    TCustomControl::KeyPress(Key);
    if (HasEdit() || static_cast<unsigned char>(Key) <= 32) return;
    int I = NextItemByLetter(*Items_, DroppedDown() ? List_->ItemIndex() : ItemIndex_, Key);
    if (I >= 0 && DroppedDown())
        List_->SetItemIndex(I);
    else if (I >= 0)
        SelectItem(I, true);
    Key = 0;
}

void TCustomComboBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) {
        TRect B = ButtonRect();
        if (Style_ != csSimple && (!HasEdit() || PtInRect(&B, {X, Y}))) {
            SetFocus();
            SetDroppedDown(!DroppedDown());
        }
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomComboBox::Paint() {
    TCanvas* C = Canvas();
    HDC DC = C->Handle();
    C->Brush()->SetColor(Enabled() ? Color() : clBtnFace);
    C->Brush()->SetStyle(bsSolid);
    C->FillRect(ClientRect());
    if (Style_ == csSimple) return; // the edit and the list cover it
    TRect B = ButtonRect();
    DrawClassicButtonFace(DC, B, DroppedDown(), false);
    HBRUSH Arrow = GetSysColorBrush(Enabled() ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
    int Cx = (B.Left + B.Right) / 2, Cy = (B.Top + B.Bottom) / 2 - 1;
    for (int I = 0; I < 4; ++I) {
        TRect S{Cx - 3 + I, Cy + I, Cx + 4 - I, Cy + I + 1};
        FillRect(DC, &S, Arrow);
    }
    if (OwnerDraw()) {
        TRect T = ClientRect();
        T.Right = B.Left;
        InflateRect(&T, -1, -1);
        TOwnerDrawState St{odComboBoxEdit};
        if (Focused() && !DroppedDown()) St = St + TOwnerDrawState{odSelected, odFocused};
        if (!Enabled()) St.Include(odDisabled);
        DrawListItem(DC, ItemIndex_, T, St);
    } else if (Style_ == csDropDownList) {
        TRect T = ClientRect();
        T.Right = B.Left;
        InflateRect(&T, -2, -2);
        bool Focus = Focused() && !DroppedDown();
        if (Focus) {
            FillRect(DC, &T, GetSysColorBrush(COLOR_HIGHLIGHT));
            DrawFocusRect(DC, &T);
        }
        SelectObject(DC, Font()->Handle());
        SetBkMode(DC, TRANSPARENT);
        ::qel::SetTextColor(DC, ColorToRGB(Focus ? clHighlightText : Font()->Color()));
        T.Left += 2;
        DrawTextA(DC, Text_.c_str(), -1, &T, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
}

void TCustomComboBox::WndProc(TMessage& M) {
    switch (M.Msg) {
    case WM_GETDLGCODE:
        M.Result = DLGC_WANTARROWS;
        return;
    case CM_WANTSPECIALKEY:
        if (DroppedDown() && (M.WParam == VK_RETURN || M.WParam == VK_ESCAPE)) {
            M.Result = 1;
            return;
        }
        break;
    case CM_TEXTCHANGED:
        if (!Syncing_) {
            Syncing_ = true;
            Edit_->SetText(Text_);
            Syncing_ = false;
            ItemIndex_ = Items_->IndexOf(Text_);
        }
        Invalidate();
        return;
    case WM_KILLFOCUS:
    case CM_EXIT:
        Invalidate();
        break;
    case WM_SETFOCUS:
        Invalidate();
        break;
    default:
        break;
    }
    TCustomControl::WndProc(M);
}

QEL_IMPLEMENT_ABSTRACT(TCustomComboBox, TCustomControl, NoProperties<TCustomComboBox>)

QEL_IMPLEMENT_CLASS(TComboBox, TCustomComboBox, [](TClassBuilder<TComboBox>& B) {
    using T = TComboBox;
    B.Publish("Anchors");
    B.Publish("Color").AlwaysStored();
    B.Integer("DropDownCount", &T::DropDownCount, &T::SetDropDownCount).SetDefault(8);
    B.Publish({"Enabled", "Font"});
    B.Integer("ItemHeight", &T::ItemHeight, &T::SetItemHeight).NoDefault();
    B.Integer("ItemIndex", &T::ItemIndex, &T::SetItemIndex).SetDefault(-1);
    B.Strings("Items", &T::Items, &T::SetItems);
    B.Integer("MaxLength", &T::MaxLength, &T::SetMaxLength).SetDefault(0);
    B.Publish("ParentFont");
    B.Bool("Sorted", &T::Sorted, &T::SetSorted).SetDefault(false);
    B.Enum("Style", &T::Style, &T::SetStyle).SetDefault(csDropDown);
    B.Publish("TabOrder");
    B.Publish("TabStop").SetDefault(true);
    B.String("Text", &T::Text, &T::SetText);
    B.Publish("Visible");
    B.Event("OnChange", &T::OnChange);
    B.Event("OnCloseUp", &T::OnCloseUp);
    B.Publish({"OnContextPopup", "DragCursor", "DragMode", "OnDragDrop", "OnDragOver", "OnEndDrag",
               "OnStartDrag"});
    B.Event("OnDrawItem", &T::OnDrawItem);
    B.Event("OnDropDown", &T::OnDropDown);
    B.Publish({"OnEnter", "OnExit"});
    B.Event("OnMeasureItem", &T::OnMeasureItem);
    B.Event("OnSelect", &T::OnSelect);
})

} // namespace qel
