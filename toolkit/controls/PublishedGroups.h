#pragma once
// Inherited properties and events that controls publish together, in the order the form writer
// puts them in. Each is declared once, with its default, by TControl or TWinControl; a control
// publishes single ones by name with TClassBuilder::Publish.
#include "toolkit/controls/Controls.h"
#include "toolkit/core/Export.h"
#include "toolkit/core/Properties.h"
#include "toolkit/graphics/Font.h"

QEL_PUBLIC_BEGIN

namespace qel {

// The font, written only where it is not the parent's.
template <class T> inline void PublishFont(TClassBuilder<T>& B) {
    B.Publish("Font");
}

// ParentShowHint, and ShowHint written only where it is the control's own.
template <class T> inline void PublishShowHint(TClassBuilder<T>& B) {
    B.Publish({"ParentShowHint", "ShowHint"});
}

template <class T> inline void PublishKeyEvents(TClassBuilder<T>& B) {
    B.Publish({"OnEnter", "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp"});
}

template <class T> inline void PublishMouseEvents(TClassBuilder<T>& B) {
    B.Publish({"OnContextPopup", "OnMouseDown", "OnMouseMove", "OnMouseUp"});
}

template <class T> inline void PublishDragEvents(TClassBuilder<T>& B) {
    B.Publish({"OnDragDrop", "OnDragOver", "OnEndDrag", "OnStartDrag"});
}

template <class T> inline void PublishDragProperties(TClassBuilder<T>& B) {
    B.Publish({"DragCursor", "DragMode"});
}

} // namespace qel

QEL_PUBLIC_END
