#pragma once
// The multi-line edit: the text seen as Lines, word wrapping, scroll bars, Enter and Tab.
#include "toolkit/controls/Edit.h"
#include "toolkit/core/Export.h"
#include "toolkit/core/Strings.h"

QEL_PUBLIC_BEGIN

namespace qel {

class TCustomMemo : public TCustomEdit {
    QEL_CLASS(TCustomMemo, TCustomEdit)
  public:
    explicit TCustomMemo(TComponent* AOwner);
    ~TCustomMemo() override;
    // A view of the text: changing a line changes the text.
    TStrings* Lines() const { return Lines_; }
    void SetLines(TStrings* V);
    bool WordWrap() const { return WordWrap_; }
    void SetWordWrap(bool V);
    TScrollStyle ScrollBars() const { return ScrollBars_; }
    void SetScrollBars(TScrollStyle V);
    bool WantReturns() const { return WantReturns_; }
    void SetWantReturns(bool V) { WantReturns_ = V; }
    bool WantTabs() const { return WantTabs_; }
    void SetWantTabs(bool V) { WantTabs_ = V; }
    // Caret row and column (characters).
    TPoint CaretPosXY() const;

  private:
    TStrings* Lines_ = nullptr;
};

class TMemo : public TCustomMemo {
    QEL_CLASS(TMemo, TCustomMemo)
  public:
    explicit TMemo(TComponent* AOwner) : TCustomMemo(AOwner) {}
};

} // namespace qel

QEL_PUBLIC_END
