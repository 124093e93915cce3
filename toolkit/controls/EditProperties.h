#pragma once
// The published properties the single- and multi-line edits share.
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/PublishedGroups.h"
#include "toolkit/graphics/Font.h"

namespace qel {

template <class T> inline void EditProperties(TClassBuilder<T>& B) {
    B.Enum("Align", &T::Align, &T::SetAlign).SetDefault(alNone);
    B.template Set<TAnchorKind>("Anchors", &T::Anchors, &T::SetAnchors)
        .SetDefault(TAnchors{akLeft, akTop}.Bits());
    B.Bool("AutoSelect", &T::AutoSelect, &T::SetAutoSelect).SetDefault(true);
    B.Enum("BorderStyle", &T::BorderStyle, &T::SetBorderStyle).SetDefault(bsSingle);
    B.Enum("CharCase", &T::CharCase, &T::SetCharCase).SetDefault(ecNormal);
    B.Color("Color", &T::Color, &T::SetColor).SetDefault(clWindow);
    B.Bool("Enabled", &T::Enabled, &T::SetEnabled).SetDefault(true);
    PublishFont(B);
    B.Bool("HideSelection", &T::HideSelection, &T::SetHideSelection).SetDefault(true);
    B.String("Hint", &T::Hint, &T::SetHint);
    B.Integer("MaxLength", &T::MaxLength, &T::SetMaxLength).SetDefault(0);
    B.Bool("ParentFont", &T::ParentFont, &T::SetParentFont).SetDefault(true);
    B.Char("PasswordChar", &T::PasswordChar, &T::SetPasswordChar).SetDefault(0);
    B.Bool("ReadOnly", &T::ReadOnly, &T::SetReadOnly).SetDefault(false);
    B.Integer("TabOrder", &T::TabOrder, &T::SetTabOrder).NoDefault();
    B.Bool("TabStop", &T::TabStop, &T::SetTabStop).SetDefault(true);
    B.Bool("Visible", &T::Visible, &T::SetVisible).SetDefault(true);
    B.Event("OnChange", &T::OnChange);
    B.Event("OnClick", &T::OnClick);
    B.Event("OnContextPopup", &T::OnContextPopup);
    PublishDragProperties(B);
    PublishDragEvents(B);
    PublishKeyEvents(B);
}

} // namespace qel
