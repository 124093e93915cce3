#pragma once
// A multi-column list: a panel holding a sizable header and an owner-drawn list box below it.
// Each line holds its columns separated by a delimiter; column i is drawn under header section
// i, so dragging a divider re-flows every line. Most published properties forward to the
// header or the list box.
#include "toolkit/controls/ExtCtrls.h"
#include "toolkit/controls/ListBox.h"
#include "toolkit/core/Export.h"
#include "visual/QELControls.h"
#include "visual/QELTBackground.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

using TSectionEvent = TQELSectionChange;

class TQELHeaderList : public TCustomPanel {
    QEL_CLASS(TQELHeaderList, TCustomPanel)
  public:
    explicit TQELHeaderList(TComponent* AOwner);
    ~TQELHeaderList() override;

    // Forwarders, one indexed pair per kind of value. Boolean: 0 Enabled, 1 ExtendedSelect,
    // 2 HeaderVisible, 3 MultiSelect, 4 Sorted, 5 AllowResize, 6 ShowHint, 7 ParentShowHint,
    // 8 TabStop, 9 HorizontalExtent. Colour: 0 Color, 1 SelectedColor. Cursor: 0 Cursor,
    // 1 DragCursor. Font: 0 HeaderFont, 1 Font. Strings: 0 HeaderSections, 1 Items. Integer:
    // 0 HeaderHeight, 1 ItemIndex, 2 TopIndex, 3 SelCount, 4 ItemHeight, 5 SectionCount.
    // Indexes outside the tables read as False, 0, nil or white and write nothing.
    bool GetBool(int Index) const;
    void SetBool(int Index, bool Value);
    TColor GetColor(int Index) const;
    void SetColor(int Index, TColor Value);
    TCursor GetCursor(int Index) const;
    void SetCursor(int Index, TCursor Value);
    TFont* GetFont(int Index) const;
    void SetFont(int Index, TFont* Value);
    TStrings* GetStrings(int Index) const;
    void SetStrings(int Index, TStrings* Value);
    int GetInteger(int Index) const;
    void SetInteger(int Index, int Value);

    TStrings* Items() const { return GetStrings(1); }
    TStrings* HeaderSections() const { return GetStrings(0); }
    int ItemIndex() const { return GetInteger(1); }
    void SetItemIndex(int Value) { SetInteger(1, Value); }
    int TopIndex() const { return GetInteger(2); }
    void SetTopIndex(int Value) { SetInteger(2, Value); }
    int SelCount() const { return GetInteger(3); }
    int ItemHeight() const { return GetInteger(4); }
    void SetItemHeight(int Value) { SetInteger(4, Value); }
    int SectionCount() const { return GetInteger(5); }
    bool Selected(int Index) const;
    void SetSelected(int Index, bool Value);
    std::string Hint() const;
    void SetHint(const std::string& Value);
    char Delimiter() const { return FDelimiter; }
    void SetDelimiter(char Value);
    TListBoxStyle ListBoxStyle() const { return FListBoxStyle; }
    void SetListBoxStyle(TListBoxStyle Value);
    bool HorizontalExtent() const { return FHorizontalExtent; }
    void SetHorizontalExtent(bool Value) { SetBool(9, Value); }
    TQELBackground* HeaderBackground() const;
    void SetHeaderBackground(TQELBackground* Value);
    TQELFont3D* HeaderFont3D() const;
    void SetHeaderFont3D(TQELFont3D* Value);
    TBorderStyle HeaderBorderStyle() const;
    void SetHeaderBorderStyle(TBorderStyle Value);
    // The list box's canvas, which lines are drawn on.
    TCanvas* Canvas() const;
    TQELHeader* Header() const { return FHeader; }
    TListBox* ListBox() const { return FListBox; }

    // Joins the values with the delimiter and adds the line; the index it got.
    int AddLine(std::initializer_list<std::string_view> Values);
    int AddLine(const std::vector<std::string>& Values);
    // Column Part (from 0) of line Index.
    std::string ItemPart(int Index, int Part) const;
    int ItemAtPos(TPoint Pos, bool Existing) const;
    void Clear();
    void AlignClients();
    void DrawItem(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State);
    void PrepareDrawItem(const TRect& Rect, TOwnerDrawState State);
    void HeaderSized(TObject* Sender, int ASection, int AWidth);

    // The columns of a line: a delimiter ends a field (an empty one too); a trailing delimiter
    // starts none.
    static std::vector<std::string_view> SplitLine(std::string_view S, char Delimiter);

    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;
    TSectionEvent OnHeaderSized;
    TSectionEvent OnHeaderSizing;

    void SetFocus() override;
    void DefineProperties(TFiler& Filer) override;
    void Loaded() override;
    void WndProc(TMessage& Message) override;

  protected:
    void Paint() override;
    void BoundsChanged() override;
    // The lines take the panel's events; the panel's thin border fires none of its own.
    void Click() override {}
    void DblClick() override {}
    void MouseDown(TMouseButton, TShiftState, int, int) override {}
    void MouseMove(TShiftState, int, int) override {}
    void MouseUp(TMouseButton, TShiftState, int, int) override {}
    void DragOver(TObject*, int, int, TDragState, bool& Accept) override { Accept = false; }
    void DoEnter() override {}
    void DoExit() override {}

  private:
    void BindListEvents();
    void ApplyItemHeight(int Value);

    TQELHeader* FHeader = nullptr;
    TListBox* FListBox = nullptr;
    char FDelimiter = ';';
    bool FHorizontalExtent = false;
    int FStoredItemHeight = 0;
    TListBoxStyle FListBoxStyle = lbStandard;
    TColor FSelectedColor = clHighlight;
};

} // namespace qel

QEL_PUBLIC_END
