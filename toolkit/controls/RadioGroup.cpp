#include "toolkit/controls/RadioGroup.h"

#include "toolkit/controls/PublishedGroups.h"
#include "toolkit/graphics/Font.h"

#include <algorithm>

namespace qel {

TCustomRadioGroup::TCustomRadioGroup(TComponent* AOwner) : TCustomGroupBox(AOwner) {
    Items_ = new TStringList;
    Items_->OnChange = [this](TObject*) {
        if (ItemIndex_ >= Items_->Count()) ItemIndex_ = Items_->Count() - 1;
        UpdateButtons();
    };
}

TCustomRadioGroup::~TCustomRadioGroup() {
    Items_->OnChange = nullptr;
    delete Items_;
}

void TCustomRadioGroup::UpdateButtons() {
    if (IsLoading()) return;
    Updating_ = true;
    while (ButtonCount() > Items_->Count()) {
        delete Buttons_.back();
        Buttons_.pop_back();
    }
    while (ButtonCount() < Items_->Count()) {
        // Owned by the group, not the form, so the form never streams them.
        auto* B = new TRadioButton(this);
        int Index = ButtonCount();
        B->OnClick = [this, Index](TObject*) {
            if (Updating_) return;
            if (ItemIndex_ != Index) {
                ItemIndex_ = Index;
                for (int I = 0; I < ButtonCount(); ++I)
                    Buttons_[static_cast<std::size_t>(I)]->SetChecked(I == Index);
                Click();
            }
        };
        B->SetParent(this);
        Buttons_.push_back(B);
    }
    for (int I = 0; I < ButtonCount(); ++I) {
        TRadioButton* B = Buttons_[static_cast<std::size_t>(I)];
        B->SetCaption(Items_->Strings(I));
        B->SetChecked(I == ItemIndex_);
        // Only the checked button (or the first) is a tab stop; arrows move within the group.
        B->SetTabStop(I == std::max(0, ItemIndex_));
    }
    Updating_ = false;
    ArrangeButtons();
}

void TCustomRadioGroup::ArrangeButtons() {
    if (Buttons_.empty()) return;
    TRect R = ClientRect();
    AdjustClientRect(R);
    int Cols = std::max(1, Columns_);
    int PerCol = (ButtonCount() + Cols - 1) / Cols;
    int ColW = R.Width() / Cols;
    int RowH = std::max(1, R.Height() / std::max(1, PerCol));
    for (int I = 0; I < ButtonCount(); ++I) {
        int C = I / PerCol, Row = I % PerCol;
        int H = std::min(RowH, 17);
        Buttons_[static_cast<std::size_t>(I)]->SetBounds(
            R.Left + 6 + C * ColW, R.Top + Row * RowH + (RowH - H) / 2, ColW - 8, H);
    }
}

void TCustomRadioGroup::SetItemIndex(int V) {
    if (IsLoading()) {
        ItemIndex_ = V;
        return;
    }
    ItemIndex_ = std::clamp(V, -1, Items_->Count() - 1);
    UpdateButtons();
}

void TCustomRadioGroup::SetColumns(int V) {
    Columns_ = std::clamp(V, 1, 16);
    ArrangeButtons();
}

void TCustomRadioGroup::Loaded() {
    TCustomGroupBox::Loaded();
    ItemIndex_ = std::clamp(ItemIndex_, -1, Items_->Count() - 1);
    UpdateButtons();
}

void TCustomRadioGroup::BoundsChanged() {
    TCustomGroupBox::BoundsChanged();
    ArrangeButtons();
}

QEL_IMPLEMENT_ABSTRACT(TCustomRadioGroup, TCustomGroupBox, NoProperties<TCustomRadioGroup>)

QEL_IMPLEMENT_CLASS(TRadioGroup, TCustomRadioGroup, [](TClassBuilder<TRadioGroup>& B) {
    using T = TRadioGroup;
    B.Publish({"Align", "Anchors", "Caption"});
    B.Integer("Columns", &T::Columns, &T::SetColumns).SetDefault(1);
    B.Publish({"Enabled", "Font"});
    B.Integer("ItemIndex", &T::ItemIndex, &T::SetItemIndex).SetDefault(-1);
    B.Strings("Items", &T::Items, &T::SetItems);
    B.Publish({"ParentFont", "TabOrder", "Visible", "OnClick", "OnEnter", "OnExit"});
})

} // namespace qel
