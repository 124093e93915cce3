#pragma once
// The radio group: a group box whose Items become radio buttons, laid out in Columns, with the
// checked one as ItemIndex.
#include "toolkit/controls/GroupBox.h"
#include "toolkit/core/Export.h"
#include "toolkit/core/Strings.h"

#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

class TCustomRadioGroup : public TCustomGroupBox {
    QEL_CLASS(TCustomRadioGroup, TCustomGroupBox)
  public:
    explicit TCustomRadioGroup(TComponent* AOwner);
    ~TCustomRadioGroup() override;
    TStrings* Items() const { return Items_; }
    void SetItems(TStrings* V) { Items_->Assign(V); }
    int ItemIndex() const { return ItemIndex_; }
    void SetItemIndex(int V);
    int Columns() const { return Columns_; }
    void SetColumns(int V);
    int ButtonCount() const { return static_cast<int>(Buttons_.size()); }
    TRadioButton* Buttons(int Index) const { return Buttons_.at(static_cast<std::size_t>(Index)); }
    // The buttons are made from Items, never streamed on their own.
    void GetChildren(const std::function<void(TComponent*)>&, TComponent*) override {}
    void Loaded() override;

  protected:
    void BoundsChanged() override;

  private:
    void UpdateButtons();
    void ArrangeButtons();
    TStringList* Items_ = nullptr;
    std::vector<TRadioButton*> Buttons_;
    int ItemIndex_ = -1;
    int Columns_ = 1;
    bool Updating_ = false;
};

class TRadioGroup : public TCustomRadioGroup {
    QEL_CLASS(TRadioGroup, TCustomRadioGroup)
  public:
    explicit TRadioGroup(TComponent* AOwner) : TCustomRadioGroup(AOwner) {}
};

} // namespace qel

QEL_PUBLIC_END
