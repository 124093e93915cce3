#include "toolkit/controls/ListBox.h"

#include "toolkit/controls/Forms.h"
#include "toolkit/controls/PublishedGroups.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/Font.h"
#include "toolkit/graphics/TextDraw.h"

#include <algorithm>

namespace qel {

TCustomListBox::TCustomListBox(TComponent* AOwner) : TCustomControl(AOwner) {
    Width_ = 121;
    Height_ = 97;
    ControlStyle_ = {csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque};
    Color_ = clWindow;
    ParentColor_ = false;
    SetTabStop(true);
    Items_ = new TStringList;
    Items_->OnChange = [this](TObject*) { ItemsChanged(); };
}

TCustomListBox::~TCustomListBox() {
    Items_->OnChange = nullptr;
    delete Items_;
}

void TCustomListBox::CreateParams(TCreateParams& P) {
    TCustomControl::CreateParams(P);
    if (BorderStyle_ == bsSingle) P.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListBox::SetBorderStyle(TBorderStyle V) {
    if (BorderStyle_ == V) return;
    BorderStyle_ = V;
    if (HandleAllocated()) RecreateWnd();
}

void TCustomListBox::ItemsChanged() {
    // Adding an item must stay O(1): heights are measured again only when needed.
    int N = Items_->Count();
    HeightsDirty_ = true;
    if (static_cast<int>(Sel_.size()) > N || MultiSelect_)
        Sel_.resize(static_cast<std::size_t>(N), 0);
    if (ItemIndex_ >= N) ItemIndex_ = N - 1;
    if (Anchor_ >= N) Anchor_ = N - 1;
    if (TopIndex_ >= N) TopIndex_ = std::max(0, N - 1);
    Invalidate();
}

int TCustomListBox::ItemHeight() const {
    if (ItemHeight_ > 0) return ItemHeight_;
    return std::max(1, Font()->Height() < 0 ? -Font()->Height() + 3 : Font()->Height() + 3);
}

void TCustomListBox::SetItemHeight(int V) {
    ItemHeight_ = std::max(0, V);
    HeightsDirty_ = true;
    Invalidate();
}

void TCustomListBox::SetStyle(TListBoxStyle V) {
    Style_ = V;
    HeightsDirty_ = true;
    Invalidate();
}

void TCustomListBox::SetMultiSelect(bool V) {
    MultiSelect_ = V;
    Sel_.assign(static_cast<std::size_t>(Items_->Count()), 0);
    if (V && ItemIndex_ >= 0) Sel_[static_cast<std::size_t>(ItemIndex_)] = 1;
    Invalidate();
}

void TCustomListBox::SetColumns(int V) {
    V = std::max(0, V);
    if (V == Columns_) return;
    Columns_ = V;
    LeftPx_ = 0;
    MakeVisible(ItemIndex_);
    Invalidate();
}

void TCustomListBox::SetIntegralHeight(bool V) {
    if (V == IntegralHeight_) return;
    IntegralHeight_ = V;
    if (V && !IsLoading()) SetBounds(Left(), Top(), Width(), Height());
}

int TCustomListBox::IntegralFit(int AHeight) const {
    int Frame = Height() - ClientRect().Height();
    int Bar = HasHBar() ? TScrollBarPart::DefaultSize : 0;
    int Room = AHeight - Frame - Bar;
    // A box lower than one item keeps its height: nothing whole would show either way.
    if (Room <= ItemHeight()) return AHeight;
    return AHeight - Room % ItemHeight();
}

void TCustomListBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    if (IntegralHeight_ && Style_ != lbOwnerDrawVariable && !IsLoading())
        AHeight = IntegralFit(AHeight);
    TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TCustomListBox::Loaded() {
    TCustomControl::Loaded();
    // The item height and the font may come after the bounds in a form file.
    if (IntegralHeight_) SetBounds(Left(), Top(), Width(), Height());
}

void TCustomListBox::SetHorizontalExtent(int V) {
    HorizontalExtent_ = std::max(0, V);
    LeftPx_ = std::min(LeftPx_, HorizontalExtent_);
    Invalidate();
}

void TCustomListBox::MeasureItem(int Index, int& Height) {
    if (OnMeasureItem) OnMeasureItem(this, Index, Height);
}

void TCustomListBox::UpdateHeights() const {
    if (Style_ != lbOwnerDrawVariable || !HeightsDirty_) return;
    int N = Items_->Count();
    Tops_.resize(static_cast<std::size_t>(N) + 1);
    int Y = 0;
    auto* Self = const_cast<TCustomListBox*>(this);
    for (int I = 0; I < N; ++I) {
        Tops_[static_cast<std::size_t>(I)] = Y;
        int H = ItemHeight();
        Self->MeasureItem(I, H);
        Y += std::max(1, H);
    }
    Tops_[static_cast<std::size_t>(N)] = Y;
    HeightsDirty_ = false;
}

int TCustomListBox::ItemTop(int Index) const {
    if (Style_ != lbOwnerDrawVariable) return Index * ItemHeight();
    UpdateHeights();
    return Tops_[static_cast<std::size_t>(std::clamp(Index, 0, Items_->Count()))];
}

int TCustomListBox::ContentHeight() const {
    return ItemTop(Items_->Count());
}

int TCustomListBox::IndexAtOffset(int Y) const {
    int N = Items_->Count();
    if (Style_ != lbOwnerDrawVariable) return std::clamp(Y / ItemHeight(), 0, std::max(0, N - 1));
    UpdateHeights();
    auto It = std::upper_bound(Tops_.begin(), Tops_.end() - 1, Y);
    return std::clamp(static_cast<int>(It - Tops_.begin()) - 1, 0, std::max(0, N - 1));
}

// ---- multi-column geometry ----

int TCustomListBox::ColumnWidth() const {
    return std::max(1, ClientRect().Width() / Columns_);
}

int TCustomListBox::VisibleColumns() const {
    return std::max(1, ClientRect().Width() / ColumnWidth());
}

int TCustomListBox::ColumnCount(int Rows) const {
    return (Items_->Count() + Rows - 1) / Rows;
}

int TCustomListBox::RowsPerColumn() const {
    return std::max(1, ListRect().Height() / ItemHeight());
}

bool TCustomListBox::HasVBar() const {
    if (MultiColumn()) return false;
    return ContentHeight() > ClientRect().Height();
}

bool TCustomListBox::HasHBar() const {
    if (MultiColumn()) {
        int RowsWithoutBar = std::max(1, ClientRect().Height() / ItemHeight());
        return ColumnCount(RowsWithoutBar) > VisibleColumns();
    }
    return HorizontalExtent_ > ClientRect().Width() - (HasVBar() ? TScrollBarPart::DefaultSize : 0);
}

TClientScrollBars& TCustomListBox::Bars() const {
    Bars_.Place(ClientRect(), HasVBar(), HasHBar());
    return Bars_;
}

TRect TCustomListBox::ListRect() const {
    return Bars().Inner();
}

int TCustomListBox::PageItems() const {
    if (MultiColumn()) return RowsPerColumn() * VisibleColumns();
    int H = ListRect().Height();
    int Top = ItemTop(TopIndex_);
    int Last = IndexAtOffset(Top + H);
    if (ItemTop(Last + 1) > Top + H) --Last; // only whole items make a page
    return std::max(1, Last - TopIndex_ + 1);
}

void TCustomListBox::UpdateBars() const {
    int N = Items_->Count();
    if (MultiColumn()) {
        int Rows = RowsPerColumn();
        Bars_.H.Min = 0;
        Bars_.H.Max = std::max(0, ColumnCount(Rows) - 1);
        Bars_.H.PageSize = std::min(VisibleColumns(), Bars_.H.Max + 1);
        Bars_.H.LargeChange = Bars_.H.PageSize;
        Bars_.H.SmallChange = 1;
        Bars_.H.Position = std::min(TopIndex_ / Rows, Bars_.H.MaxPosition());
        return;
    }
    // The last top index that still fills the view.
    int H = ListRect().Height();
    int MaxTop = IndexAtOffset(std::max(0, ContentHeight() - H));
    if (ItemTop(MaxTop) < ContentHeight() - H) ++MaxTop;
    MaxTop = std::clamp(MaxTop, 0, std::max(0, N - 1));
    Bars_.V.Min = 0;
    Bars_.V.Max = std::max(0, N - 1);
    Bars_.V.PageSize = std::max(1, N - MaxTop);
    Bars_.V.LargeChange = Bars_.V.PageSize;
    Bars_.V.Position = std::min(TopIndex_, MaxTop);
    Bars_.H.Min = 0;
    Bars_.H.Max = std::max(0, HorizontalExtent_ - 1);
    Bars_.H.PageSize = std::clamp(ListRect().Width(), 1, Bars_.H.Max + 1);
    Bars_.H.SmallChange = 8;
    Bars_.H.Position = LeftPx_;
}

void TCustomListBox::SetTopIndex(int V) {
    UpdateBars();
    if (MultiColumn()) {
        // The top index of a multi-column list is the first item of its first column.
        int Rows = RowsPerColumn();
        V = std::clamp(V / Rows, 0, Bars_.H.MaxPosition()) * Rows;
    } else {
        V = std::clamp(V, 0, Bars_.V.MaxPosition());
    }
    if (V == TopIndex_) return;
    TopIndex_ = V;
    Invalidate();
}

void TCustomListBox::MakeVisible(int Index) {
    if (Index < 0) return;
    if (MultiColumn()) {
        int Rows = RowsPerColumn(), Col = Index / Rows, First = TopIndex_ / Rows;
        if (Col < First)
            SetTopIndex(Col * Rows);
        else if (Col >= First + VisibleColumns())
            SetTopIndex((Col - VisibleColumns() + 1) * Rows);
        return;
    }
    if (Index < TopIndex_) {
        SetTopIndex(Index);
        return;
    }
    int H = ListRect().Height();
    if (ItemTop(Index + 1) - ItemTop(TopIndex_) > H) {
        int T = IndexAtOffset(ItemTop(Index + 1) - H);
        if (ItemTop(Index + 1) - ItemTop(T) > H) ++T;
        SetTopIndex(std::min(T, Index));
    }
}

TRect TCustomListBox::ItemRect(int Index) const {
    TRect L = ListRect();
    if (MultiColumn()) {
        int Rows = RowsPerColumn(), W = ColumnWidth(), H = ItemHeight();
        int X = L.Left + (Index / Rows - TopIndex_ / Rows) * W;
        int Y = L.Top + Index % Rows * H;
        return {X, Y, X + W, Y + H};
    }
    int Y = L.Top + ItemTop(Index) - ItemTop(TopIndex_);
    int H = ItemTop(Index + 1) - ItemTop(Index);
    if (Index >= Items_->Count()) H = ItemHeight();
    return {L.Left - LeftPx_, Y, std::max(L.Right, L.Left - LeftPx_ + HorizontalExtent_), Y + H};
}

int TCustomListBox::ItemAtPos(TPoint Pos, bool Existing) const {
    TRect L = ListRect();
    int N = Items_->Count();
    if (N == 0) return Existing ? -1 : 0;
    if (MultiColumn()) {
        int Rows = RowsPerColumn(), W = ColumnWidth(), H = ItemHeight();
        if (Existing && !PtInRect(&L, Pos)) return -1;
        int DX = Pos.X - L.Left, DY = Pos.Y - L.Top;
        int Col = (DX < 0 ? DX - W + 1 : DX) / W, Row = (DY < 0 ? DY - H + 1 : DY) / H;
        if (Existing && Row >= Rows) return -1;
        int I = (TopIndex_ / Rows + Col) * Rows + std::clamp(Row, 0, Rows - 1);
        if (Existing) return I < N ? I : -1;
        return std::clamp(I, 0, N - 1);
    }
    int Off = Pos.Y - L.Top + ItemTop(TopIndex_);
    if (Off < 0) return Existing ? -1 : TopIndex_;
    if (Off >= ContentHeight()) return Existing ? -1 : N;
    if (Existing && (Pos.X < L.Left || Pos.X >= L.Right)) return -1;
    return IndexAtOffset(Off);
}

bool TCustomListBox::Selected(int Index) const {
    if (Index < 0 || Index >= Items_->Count())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    if (!MultiSelect_) return Index == ItemIndex_;
    return static_cast<std::size_t>(Index) < Sel_.size() && Sel_[static_cast<std::size_t>(Index)];
}

void TCustomListBox::SetSelected(int Index, bool V) {
    if (Index < 0 || Index >= Items_->Count())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    if (!MultiSelect_) {
        if (V)
            SetItemIndex(Index);
        else if (Index == ItemIndex_)
            SetItemIndex(-1);
        return;
    }
    Sel_.resize(static_cast<std::size_t>(Items_->Count()), 0);
    Sel_[static_cast<std::size_t>(Index)] = V ? 1 : 0;
    Invalidate();
}

int TCustomListBox::SelCount() const {
    if (!MultiSelect_) return -1;
    return static_cast<int>(std::count(Sel_.begin(), Sel_.end(), 1));
}

void TCustomListBox::SetItemIndex(int V) {
    if (V < -1 || V >= Items_->Count()) V = -1;
    ItemIndex_ = V;
    Anchor_ = V;
    if (MultiSelect_) {
        Sel_.assign(static_cast<std::size_t>(Items_->Count()), 0);
        if (V >= 0) Sel_[static_cast<std::size_t>(V)] = 1;
    }
    MakeVisible(V);
    Invalidate();
}

// ---- painting ----

void DrawStandardItem(TCanvas& C, const TRect& Rect, const std::string& Text) {
    C.FillRect(Rect);
    HDC DC = C.Handle();
    SelectObject(DC, C.Font()->Handle());
    ::qel::SetTextColor(DC, ColorToRGB(C.Font()->Color()));
    SetBkMode(DC, TRANSPARENT);
    TRect T = Rect;
    T.Left += 2;
    DrawTextA(DC, Text.c_str(), static_cast<int>(Text.size()), &T,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

int NextItemByLetter(const TStrings& Items, int From, char Letter) {
    int N = Items.Count();
    int L = std::tolower(static_cast<unsigned char>(Letter));
    for (int Step = 1; Step <= N; ++Step) {
        int I = (std::max(From, -1) + Step) % N;
        std::string S = Items.Strings(I);
        if (!S.empty() && std::tolower(static_cast<unsigned char>(S[0])) == L) return I;
    }
    return -1;
}

void TCustomListBox::DrawItem(int Index, TRect Rect, TOwnerDrawState State) {
    if (Style_ != lbStandard && OnDrawItem) {
        OnDrawItem(this, Index, Rect, State);
        return;
    }
    DrawStandardItem(*Canvas(), Rect, Items_->Strings(Index));
}

void TCustomListBox::Paint() {
    TCanvas* C = Canvas();
    TRect L = ListRect();
    UpdateBars();
    if (!MultiColumn()) TopIndex_ = std::min(TopIndex_, Bars_.V.MaxPosition());
    HDC DC = C->Handle();
    HRGN Clip = CreateRectRgn(L.Left, L.Top, L.Right, L.Bottom);
    SelectClipRgn(DC, Clip);
    int N = Items_->Count();
    bool Focus = Focused();
    bool Multi = MultiColumn();
    if (Multi) {
        TopIndex_ = TopIndex_ / RowsPerColumn() * RowsPerColumn();
        // Columns leave gaps at their ends and at the right; fill once under all of them.
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(Color());
        C->FillRect(L);
    }
    LastPainted_ = 0;
    int Y = L.Top;
    for (int I = TopIndex_; I < N; ++I) {
        TRect R = ItemRect(I);
        if (Multi ? R.Left >= L.Right : R.Top >= L.Bottom) break;
        Y = R.Bottom;
        TOwnerDrawState St;
        bool Sel = MultiSelect_ ? (static_cast<std::size_t>(I) < Sel_.size() &&
                                   Sel_[static_cast<std::size_t>(I)])
                                : I == ItemIndex_;
        if (Sel) St.Include(odSelected);
        if (!Enabled()) St.Include(odDisabled);
        if (Focus && I == ItemIndex_) St.Include(odFocused);
        C->Font()->Assign(Font());
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(Sel ? clHighlight : Color());
        C->Font()->SetColor(Sel ? clHighlightText : (Enabled() ? Font()->Color() : clGrayText));
        SelectObject(DC, C->Font()->Handle());
        ::qel::SetTextColor(DC, ColorToRGB(C->Font()->Color()));
        DrawItem(I, R, St);
        if (St.Contains(odFocused)) {
            TRect F = Multi ? R : TRect{L.Left, R.Top, L.Right, R.Bottom};
            C->DrawFocusRect(F);
        }
        ++LastPainted_;
    }
    if (!Multi && Y < L.Bottom) {
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(Color());
        C->FillRect({L.Left, Y, L.Right, L.Bottom});
    }
    SelectClipRgn(DC, 0);
    DeleteObject(Clip);
    Bars().Paint(DC, Enabled());
}

// ---- input ----

void TCustomListBox::UserChanged() {
    Invalidate();
    Click();
}

void TCustomListBox::SelectTo(int Index, TShiftState Shift, bool Toggle) {
    int N = Items_->Count();
    if (N == 0) return;
    Index = std::clamp(Index, 0, N - 1);
    if (!MultiSelect_) {
        if (Index == ItemIndex_) {
            MakeVisible(Index);
            return;
        }
        ItemIndex_ = Anchor_ = Index;
        MakeVisible(Index);
        UserChanged();
        return;
    }
    Sel_.resize(static_cast<std::size_t>(N), 0);
    if (ExtendedSelect_ && Shift.Contains(ssShift) && Anchor_ >= 0) {
        if (!Shift.Contains(ssCtrl)) std::fill(Sel_.begin(), Sel_.end(), 0);
        int A = std::min(Anchor_, Index), B = std::max(Anchor_, Index);
        std::fill(Sel_.begin() + A, Sel_.begin() + B + 1, 1);
    } else if (Toggle || (ExtendedSelect_ && Shift.Contains(ssCtrl))) {
        Sel_[static_cast<std::size_t>(Index)] ^= 1;
        Anchor_ = Index;
    } else if (ExtendedSelect_) {
        std::fill(Sel_.begin(), Sel_.end(), 0);
        Sel_[static_cast<std::size_t>(Index)] = 1;
        Anchor_ = Index;
    }
    ItemIndex_ = Index;
    MakeVisible(Index);
    UserChanged();
}

void TCustomListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (CanFocus() && !Focused()) SetFocus();
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    UpdateBars();
    if (TScrollBarPart* Bar = Bars().MouseDown({X, Y})) {
        BarMoved(Bar);
        return;
    }
    int I = ItemAtPos({X, Y}, true);
    if (I < 0) return;
    Tracking_ = true;
    // Without extended selection a click toggles the item in a multi-select list.
    SelectTo(I, Shift, MultiSelect_ && !ExtendedSelect_);
}

void TCustomListBox::MouseMove(TShiftState Shift, int X, int Y) {
    TCustomControl::MouseMove(Shift, X, Y);
    if (Bars_.Dragging()) {
        if (TScrollBarPart* Bar = Bars().MouseMove({X, Y})) BarMoved(Bar);
        return;
    }
    if (!Tracking_ || (MultiSelect_ && !ExtendedSelect_)) return;
    int I = ItemAtPos({X, Y}, false);
    if (I != ItemIndex_) SelectTo(I, MultiSelect_ ? TShiftState{ssShift} : TShiftState{}, false);
}

void TCustomListBox::BarMoved(const TScrollBarPart* Bar) {
    if (Bar == &Bars_.V)
        SetTopIndex(Bars_.V.Position);
    else if (MultiColumn())
        SetTopIndex(Bars_.H.Position * RowsPerColumn());
    else
        LeftPx_ = Bars_.H.Position;
    Invalidate();
}

void TCustomListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    Tracking_ = false;
    Bars_.MouseUp();
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TCustomListBox::KeyDown(WORD& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    int N = Items_->Count();
    if (Key == 0 || N == 0) return;
    int Cur = ItemIndex_ < 0 ? -1 : ItemIndex_;
    int To;
    switch (Key) {
    case VK_UP:
        To = Cur < 0 ? 0 : Cur - 1;
        break;
    case VK_DOWN:
        To = Cur + 1;
        break;
    case VK_LEFT:
    case VK_RIGHT: {
        // Sideways moves a column in a multi-column list, staying put at either end, and a
        // line in a single one.
        int Step = MultiColumn() ? RowsPerColumn() : 1;
        To = Cur + (Key == VK_LEFT ? -Step : Step);
        if (Cur < 0)
            To = 0;
        else if (MultiColumn() && (To < 0 || To >= N))
            To = Cur;
        break;
    }
    case VK_PRIOR:
    case VK_NEXT: {
        // A single column pages so the edge item stays in view; columns page whole.
        int Page = MultiColumn() ? PageItems() : PageItems() - 1;
        To = Cur + (Key == VK_PRIOR ? -Page : Page);
        break;
    }
    case VK_HOME:
        To = 0;
        break;
    case VK_END:
        To = N - 1;
        break;
    case VK_SPACE:
        if (!MultiSelect_ || Cur < 0) return;
        SelectTo(Cur, {}, true);
        Key = 0;
        return;
    default:
        return;
    }
    // Moving with Ctrl in an extended list moves the focus without selecting.
    if (MultiSelect_ && ExtendedSelect_ && Shift.Contains(ssCtrl) && !Shift.Contains(ssShift)) {
        ItemIndex_ = std::clamp(To, 0, N - 1);
        MakeVisible(ItemIndex_);
        Invalidate();
    } else {
        SelectTo(To, Shift, false);
    }
    Key = 0;
}

void TCustomListBox::KeyPress(char& Key) {
    TCustomControl::KeyPress(Key);
    if (static_cast<unsigned char>(Key) <= 32) return;
    // Typing a letter goes to the next item that starts with it.
    if (int I = NextItemByLetter(*Items_, ItemIndex_, Key); I >= 0) SelectTo(I, {}, false);
    Key = 0;
}

bool TCustomListBox::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    // Three lines a notch, or a whole column sideways.
    if (int N = WheelNotches(WheelDelta))
        SetTopIndex(TopIndex_ - N * (MultiColumn() ? RowsPerColumn() : 3));
    return true;
}

void TCustomListBox::WndProc(TMessage& M) {
    switch (M.Msg) {
    case WM_GETDLGCODE:
        M.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return;
    case CM_FONTCHANGED:
    case CM_PARENTFONTCHANGED:
        HeightsDirty_ = true;
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Invalidate();
        break;
    default:
        break;
    }
    TCustomControl::WndProc(M);
}

QEL_IMPLEMENT_ABSTRACT(TCustomListBox, TCustomControl, NoProperties<TCustomListBox>)

QEL_IMPLEMENT_CLASS(TListBox, TCustomListBox, [](TClassBuilder<TListBox>& B) {
    using T = TListBox;
    B.Publish({"Align", "Anchors"});
    B.Enum("BorderStyle", &T::BorderStyle, &T::SetBorderStyle).SetDefault(bsSingle);
    B.Publish("Color").AlwaysStored();
    B.Integer("Columns", &T::Columns, &T::SetColumns).SetDefault(0);
    B.Publish("Enabled");
    B.Bool("ExtendedSelect", &T::ExtendedSelect, &T::SetExtendedSelect).SetDefault(true);
    B.Publish({"Font", "Hint"});
    B.Integer("HorizontalExtent", &T::HorizontalExtent, &T::SetHorizontalExtent).SetDefault(0);
    B.Bool("IntegralHeight", &T::IntegralHeight, &T::SetIntegralHeight).SetDefault(false);
    B.Integer("ItemHeight", &T::ItemHeight, &T::SetItemHeight).NoDefault();
    B.Strings("Items", &T::Items, &T::SetItems);
    B.Bool("MultiSelect", &T::MultiSelect, &T::SetMultiSelect).SetDefault(false);
    B.Publish("ParentFont");
    B.Bool("Sorted", &T::Sorted, &T::SetSorted).SetDefault(false);
    B.Enum("Style", &T::Style, &T::SetStyle).SetDefault(lbStandard);
    B.Publish("TabOrder");
    B.Publish("TabStop").SetDefault(true);
    B.Publish({"Visible", "OnClick", "OnContextPopup", "DragCursor", "DragMode", "OnDragDrop",
               "OnDragOver", "OnEndDrag", "OnStartDrag", "OnDblClick"});
    B.Event("OnDrawItem", &T::OnDrawItem);
    B.Publish({"OnEnter", "OnExit", "OnKeyDown", "OnKeyPress"});
    B.Event("OnMeasureItem", &T::OnMeasureItem);
})

} // namespace qel
