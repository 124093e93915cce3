#pragma once
// The list box: a list of strings drawn by the control or by the application (owner draw with
// fixed or per-item heights), single or multiple selection by mouse and keyboard, a vertical
// scroll bar and a horizontal one for HorizontalExtent. With Columns the items flow down one
// column after another and the list scrolls sideways by whole columns. Painting visits only the
// items in view, so the cost of a paint does not grow with the number of items.
#include "toolkit/controls/ClientScrollBars.h"
#include "toolkit/controls/StdCtrls.h"
#include "toolkit/core/Export.h"
#include "toolkit/core/Strings.h"

#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };
QEL_ENUM_INFO(TListBoxStyle, "lbStandard", "lbOwnerDrawFixed", "lbOwnerDrawVariable")
// The classic order, so stored sets keep their bits; odComboBoxEdit marks the face of an
// owner-drawn combo box as against an item of its list.
enum TOwnerDrawStateFlag {
    odSelected,
    odGrayed,
    odDisabled,
    odChecked,
    odFocused,
    odDefault,
    odHotLight,
    odInactive,
    odNoAccel,
    odNoFocusRect,
    odReserved1,
    odReserved2,
    odComboBoxEdit
};
QEL_ENUM_INFO(TOwnerDrawStateFlag, "odSelected", "odGrayed", "odDisabled", "odChecked", "odFocused",
              "odDefault", "odHotLight", "odInactive", "odNoAccel", "odNoFocusRect", "odReserved1",
              "odReserved2", "odComboBoxEdit")
using TOwnerDrawState = TSet<TOwnerDrawStateFlag>;

using TDrawItemEvent =
    TEvent<void(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = TEvent<void(TWinControl* Control, int Index, int& Height)>;

// How a list item looks when nobody draws it: the canvas's brush behind, its font's text in
// the vertical middle, two pixels in from the left.
void DrawStandardItem(TCanvas& Canvas, const TRect& Rect, const std::string& Text);
// The first item after From (-1: from the start, going round) whose text starts with Letter,
// in either case; -1 when none does.
int NextItemByLetter(const TStrings& Items, int From, char Letter);

class TCustomListBox : public TCustomControl {
    QEL_CLASS(TCustomListBox, TCustomControl)
  public:
    explicit TCustomListBox(TComponent* AOwner);
    ~TCustomListBox() override;

    TStrings* Items() const { return Items_; }
    void SetItems(TStrings* V) { Items_->Assign(V); }
    int ItemIndex() const { return ItemIndex_; }
    void SetItemIndex(int V);
    bool Selected(int Index) const;
    void SetSelected(int Index, bool V);
    int SelCount() const;
    bool MultiSelect() const { return MultiSelect_; }
    void SetMultiSelect(bool V);
    bool ExtendedSelect() const { return ExtendedSelect_; }
    void SetExtendedSelect(bool V) { ExtendedSelect_ = V; }
    TListBoxStyle Style() const { return Style_; }
    void SetStyle(TListBoxStyle V);
    int ItemHeight() const;
    void SetItemHeight(int V);
    int TopIndex() const { return TopIndex_; }
    void SetTopIndex(int V);
    int HorizontalExtent() const { return HorizontalExtent_; }
    void SetHorizontalExtent(int V);
    bool Sorted() const { return Items_->Sorted(); }
    void SetSorted(bool V) { Items_->SetSorted(V); }
    TBorderStyle BorderStyle() const { return BorderStyle_; }
    void SetBorderStyle(TBorderStyle V);
    // Shrinks the box to show whole items only (not with variable heights).
    bool IntegralHeight() const { return IntegralHeight_; }
    void SetIntegralHeight(bool V);
    // 0: one column scrolled up and down; n: n columns across the client width.
    int Columns() const { return Columns_; }
    void SetColumns(int V);

    void Clear() { Items_->Clear(); }
    // The item at a client point; -1 when none (Existing) or else the nearest index.
    int ItemAtPos(TPoint Pos, bool Existing) const;
    TRect ItemRect(int Index) const;
    // Items painted by the last paint (tests and the benchmark check that it stays small).
    int LastPaintedItems() const { return LastPainted_; }
    TCanvas* Canvas() const { return TCustomControl::Canvas(); }
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void Loaded() override;

    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;
    void WndProc(TMessage& Message) override;

  protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    virtual void DrawItem(int Index, TRect Rect, TOwnerDrawState State);
    virtual void MeasureItem(int Index, int& Height);
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;

  private:
    void ItemsChanged();
    void UpdateHeights() const;
    int ItemTop(int Index) const; // pixels from the first item
    int IndexAtOffset(int Y) const;
    int ContentHeight() const;
    TRect ListRect() const;
    bool HasVBar() const;
    bool HasHBar() const;
    // The bars, placed for the present size and content.
    TClientScrollBars& Bars() const;
    void UpdateBars() const;
    // A bar moved: the vertical one scrolls items, the horizontal one pixels, or whole columns
    // in a multi-column list.
    void BarMoved(const TScrollBarPart* Bar);
    int PageItems() const;
    // Multi-column geometry: items a column holds, a column's width, whole columns in view.
    bool MultiColumn() const { return Columns_ > 0 && Style_ != lbOwnerDrawVariable; }
    int RowsPerColumn() const;
    int ColumnWidth() const;
    int VisibleColumns() const;
    int ColumnCount(int Rows) const;
    // The height nearest below AHeight that shows whole items.
    int IntegralFit(int AHeight) const;
    void MakeVisible(int Index);
    // Moves the focus to Index, selecting as the shift state says.
    void SelectTo(int Index, TShiftState Shift, bool Toggle);
    void UserChanged();

    TStringList* Items_ = nullptr;
    int ItemIndex_ = -1;
    int Anchor_ = -1;
    int TopIndex_ = 0;
    int LeftPx_ = 0;
    int ItemHeight_ = 0; // 0: from the font
    int HorizontalExtent_ = 0;
    int Columns_ = 0;
    bool MultiSelect_ = false;
    bool ExtendedSelect_ = true;
    bool IntegralHeight_ = false;
    TListBoxStyle Style_ = lbStandard;
    TBorderStyle BorderStyle_ = bsSingle;
    std::vector<char> Sel_;
    mutable std::vector<int> Tops_; // variable heights: top of every item, then the total
    mutable bool HeightsDirty_ = true;
    mutable TClientScrollBars Bars_;
    bool Tracking_ = false;
    int LastPainted_ = 0;
};

class TListBox : public TCustomListBox {
    QEL_CLASS(TListBox, TCustomListBox)
  public:
    explicit TListBox(TComponent* AOwner) : TCustomListBox(AOwner) {}
};

} // namespace qel

QEL_PUBLIC_END
