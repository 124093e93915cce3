#pragma once
// Text editing: TCustomEdit holds the text, the caret and the selection and does the editing,
// the mouse and keyboard handling and the painting for one line (TEdit) or many (TMemo, see
// Memo.h). The text is one UTF-8 string with "\n" between lines; positions are byte offsets
// that always fall on character boundaries. Only the rows in view are painted, so huge texts
// stay responsive.
#include "toolkit/controls/ClientScrollBars.h"
#include "toolkit/controls/StdCtrls.h"
#include "toolkit/core/Export.h"

#include <string>
#include <string_view>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
QEL_ENUM_INFO(TEditCharCase, "ecNormal", "ecUpperCase", "ecLowerCase")

class TCustomEdit : public TCustomControl {
    QEL_CLASS(TCustomEdit, TCustomControl)
  public:
    explicit TCustomEdit(TComponent* AOwner);

    // Selection, in characters like the classic edit controls.
    int SelStart() const;
    void SetSelStart(int V);
    int SelLength() const;
    void SetSelLength(int V);
    std::string SelText() const;
    void SetSelText(const std::string& V);
    void SelectAll();
    void ClearSelection();
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    void Clear() { SetText(std::string()); }

    int MaxLength() const { return MaxLength_; }
    void SetMaxLength(int V);
    bool ReadOnly() const { return ReadOnly_; }
    void SetReadOnly(bool V) { ReadOnly_ = V; }
    bool Modified() const { return Modified_; }
    void SetModified(bool V) { Modified_ = V; }
    bool AutoSelect() const { return AutoSelect_; }
    void SetAutoSelect(bool V) { AutoSelect_ = V; }
    bool HideSelection() const { return HideSelection_; }
    void SetHideSelection(bool V);
    char PasswordChar() const { return PasswordChar_; }
    void SetPasswordChar(char V);
    TEditCharCase CharCase() const { return CharCase_; }
    void SetCharCase(TEditCharCase V);
    TBorderStyle BorderStyle() const { return BorderStyle_; }
    void SetBorderStyle(TBorderStyle V);

    // Caret position and the first row and pixel column in view.
    int CaretPos() const { return CharIndex(Caret_); }
    int TopRow() const { return TopRow_; }
    int RowCount() const { return static_cast<int>(Rows_.size()); }
    int VisibleRows() const;

    TNotifyEvent OnChange;
    void WndProc(TMessage& Message) override;

  protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;
    void BoundsChanged() override;
    void FontChanged() override;
    virtual void Change();

    // Multi-line behaviour, switched on by TCustomMemo.
    bool MultiLine_ = false;
    bool WordWrap_ = false;
    bool WantReturns_ = true;
    bool WantTabs_ = false;
    TScrollStyle ScrollBars_ = ssNone;
    void TextReplaced(); // after the whole text changed from outside
    void Relayout();
    void ScrollCaretIntoView();
    void SetTopRow(int Row);

    std::size_t Anchor_ = 0, Caret_ = 0; // byte offsets
    int CharIndex(std::size_t Offset) const;
    std::size_t OffsetOf(int CharIndex) const;

  private:
    struct TRow {
        std::size_t Start, Len;
    };
    // Replaces the selection with S (after the length limit and the case rule); true if the
    // text changed.
    bool ReplaceSelection(std::string S);
    void MoveCaret(std::size_t To, bool Extend);
    std::size_t PrevChar(std::size_t P) const;
    std::size_t NextChar(std::size_t P) const;
    std::size_t WordLeft(std::size_t P) const;
    std::size_t WordRight(std::size_t P) const;
    int RowOf(std::size_t Offset) const;
    std::size_t OffsetAt(int X, int Y) const;
    int XOf(std::size_t Offset) const; // pixels from the row's start
    int CharWidth(std::string_view Ch) const;
    int TextWidthOf(std::string_view S) const;
    std::string DisplayText(std::string_view S) const;
    TRect TextRect() const;
    // The bars, placed for the present size and content.
    TClientScrollBars& Bars() const;
    void BarMoved(const TScrollBarPart* Bar);
    bool HasVBar() const {
        return MultiLine_ && (ScrollBars_ == ssVertical || ScrollBars_ == ssBoth);
    }
    bool HasHBar() const {
        return MultiLine_ && !WordWrap_ && (ScrollBars_ == ssHorizontal || ScrollBars_ == ssBoth);
    }
    void UpdateBars();
    int LineHeight() const;

    std::vector<TRow> Rows_;
    int TopRow_ = 0;
    int LeftPx_ = 0;
    int LongestRowPx_ = 0;
    mutable int CharW_[128] = {};
    mutable int LineH_ = 0;
    int MaxLength_ = 0;
    bool ReadOnly_ = false;
    bool Modified_ = false;
    bool AutoSelect_ = true;
    bool HideSelection_ = true;
    char PasswordChar_ = 0;
    TEditCharCase CharCase_ = ecNormal;
    TBorderStyle BorderStyle_ = bsSingle;
    bool Selecting_ = false;
    mutable TClientScrollBars Bars_;
};

class TEdit : public TCustomEdit {
    QEL_CLASS(TEdit, TCustomEdit)
  public:
    explicit TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
};

} // namespace qel

QEL_PUBLIC_END
