#pragma once
// The combo box: an edit (csDropDown) or a fixed text (csDropDownList) with a button that
// drops its Items down in a popup list window. While the list is down it holds the mouse;
// the keyboard stays with the combo box (arrows move in the list, Enter takes the item,
// Escape closes without a change). csSimple keeps the list open under the edit; the owner-draw
// styles are drop-down lists whose face and items the application draws on the combo's Canvas
// (OnDrawItem), with one item height (fixed) or one per item (variable, OnMeasureItem).
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/ListBox.h"
#include "toolkit/core/Export.h"

QEL_PUBLIC_BEGIN

namespace qel {

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
QEL_ENUM_INFO(TComboBoxStyle, "csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed",
              "csOwnerDrawVariable")

class TComboPopupList;
class TComboSimpleList;
class TComboListBase;

class TCustomComboBox : public TCustomControl {
    QEL_CLASS(TCustomComboBox, TCustomControl)
  public:
    explicit TCustomComboBox(TComponent* AOwner);
    ~TCustomComboBox() override;
    TStrings* Items() const { return Items_; }
    void SetItems(TStrings* V) { Items_->Assign(V); }
    int ItemIndex() const { return ItemIndex_; }
    void SetItemIndex(int V);
    TComboBoxStyle Style() const { return Style_; }
    void SetStyle(TComboBoxStyle V);
    int DropDownCount() const { return DropDownCount_; }
    void SetDropDownCount(int V) { DropDownCount_ = V < 1 ? 1 : V; }
    bool Sorted() const { return Items_->Sorted(); }
    void SetSorted(bool V) { Items_->SetSorted(V); }
    int MaxLength() const;
    void SetMaxLength(int V);
    int ItemHeight() const;
    void SetItemHeight(int V);
    TCanvas* Canvas() const { return TCustomControl::Canvas(); }
    bool DroppedDown() const;
    void SetDroppedDown(bool V);
    // The popup list while it exists, or the list of a simple combo (tests click into it).
    TCustomListBox* DropList() const;
    TCustomEdit* EditControl() const;
    void GetChildren(const std::function<void(TComponent*)>&, TComponent*) override {}
    void SetFocus() override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void Loaded() override;
    void WndProc(TMessage& Message) override;

    TNotifyEvent OnChange;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;
    TNotifyEvent OnSelect;
    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;

  protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    void BoundsChanged() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    // Without an edit, a typed letter picks the next item that starts with it.
    void KeyPress(char& Key) override;
    // Index -1 draws the face without a chosen item; the canvas is set up for State.
    virtual void DrawItem(int Index, TRect Rect, TOwnerDrawState State);
    // Index -1 asks for the height of the face (variable style).
    virtual void MeasureItem(int Index, int& Height);

  private:
    friend class TComboPopupList;
    friend class TComboSimpleList;
    friend class TComboListBase;
    friend class TComboEdit;
    bool OwnerDraw() const { return Style_ == csOwnerDrawFixed || Style_ == csOwnerDrawVariable; }
    // Styles without an edit: the face shows the chosen item.
    bool HasEdit() const { return Style_ == csDropDown || Style_ == csSimple; }
    // The box height the style asks for (0: the height is free).
    int FixedHeight();
    // Draws one item of a list (or the face) through the combo's canvas onto DC.
    void DrawListItem(HDC DC, int Index, TRect Rect, TOwnerDrawState State);
    void SyncSimpleList();
    TRect ButtonRect() const;
    void ArrangeEdit();
    // Takes the list's choice (Accept) or leaves everything as it was, and hides the list.
    void CloseUp(bool Accept);
    void SelectItem(int Index, bool User);
    bool HandleKey(WORD& Key, TShiftState Shift);
    void EditChanged();

    TStringList* Items_ = nullptr;
    TCustomEdit* Edit_ = nullptr;
    TComboPopupList* List_ = nullptr;
    TComboSimpleList* SimpleList_ = nullptr;
    TComboBoxStyle Style_ = csDropDown;
    int ItemIndex_ = -1;
    int DropDownCount_ = 8;
    int ItemHeight_ = 0; // 0: from the font
    bool Syncing_ = false;
};

class TComboBox : public TCustomComboBox {
    QEL_CLASS(TComboBox, TCustomComboBox)
  public:
    explicit TComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {}
};

} // namespace qel

QEL_PUBLIC_END
