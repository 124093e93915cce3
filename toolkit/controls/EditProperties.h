#pragma once
// The published properties the single- and multi-line edits share.
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/PublishedGroups.h"
#include "toolkit/core/Export.h"
#include "toolkit/graphics/Font.h"

QEL_PUBLIC_BEGIN

namespace qel {

template <class T> inline void EditProperties(TClassBuilder<T>& B) {
    B.Publish({"Align", "Anchors"});
    B.Bool("AutoSelect", &T::AutoSelect, &T::SetAutoSelect).SetDefault(true);
    B.Enum("BorderStyle", &T::BorderStyle, &T::SetBorderStyle).SetDefault(bsSingle);
    B.Enum("CharCase", &T::CharCase, &T::SetCharCase).SetDefault(ecNormal);
    B.Publish("Color").AlwaysStored();
    B.Publish({"Enabled", "Font"});
    B.Bool("HideSelection", &T::HideSelection, &T::SetHideSelection).SetDefault(true);
    B.Publish("Hint");
    B.Integer("MaxLength", &T::MaxLength, &T::SetMaxLength).SetDefault(0);
    B.Publish("ParentFont");
    B.Char("PasswordChar", &T::PasswordChar, &T::SetPasswordChar).SetDefault(0);
    B.Bool("ReadOnly", &T::ReadOnly, &T::SetReadOnly).SetDefault(false);
    B.Publish("TabOrder");
    B.Publish("TabStop").SetDefault(true);
    B.Publish("Visible");
    B.Event("OnChange", &T::OnChange);
    B.Publish({"OnClick", "OnContextPopup", "DragCursor", "DragMode", "OnDragDrop", "OnDragOver",
               "OnEndDrag", "OnStartDrag", "OnEnter", "OnExit", "OnKeyDown", "OnKeyPress",
               "OnKeyUp"});
}

} // namespace qel

QEL_PUBLIC_END
