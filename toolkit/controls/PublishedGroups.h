#pragma once
// Published properties and events that most controls register alike. Each group keeps the
// order the form writer puts them in.
#include "toolkit/controls/Controls.h"
#include "toolkit/core/Properties.h"
#include "toolkit/graphics/Font.h"

namespace qel {

// The font, written only where it is not the parent's.
template <class T> inline void PublishFont(TClassBuilder<T>& B) {
    B.Object("Font", &T::Font, &T::SetFont).Stored([](const TObject& O) {
        return !static_cast<const T&>(O).ParentFont();
    });
}

// ParentShowHint, and ShowHint written only where it is the control's own.
template <class T> inline void PublishShowHint(TClassBuilder<T>& B) {
    B.Bool("ParentShowHint", &T::ParentShowHint, &T::SetParentShowHint).SetDefault(true);
    B.Bool("ShowHint", &T::ShowHint, &T::SetShowHint).Stored([](const TObject& O) {
        return !static_cast<const T&>(O).ParentShowHint();
    });
}

template <class T> inline void PublishKeyEvents(TClassBuilder<T>& B) {
    B.Event("OnEnter", &T::OnEnter);
    B.Event("OnExit", &T::OnExit);
    B.Event("OnKeyDown", &T::OnKeyDown);
    B.Event("OnKeyPress", &T::OnKeyPress);
    B.Event("OnKeyUp", &T::OnKeyUp);
}

template <class T> inline void PublishMouseEvents(TClassBuilder<T>& B) {
    B.Event("OnContextPopup", &T::OnContextPopup);
    B.Event("OnMouseDown", &T::OnMouseDown);
    B.Event("OnMouseMove", &T::OnMouseMove);
    B.Event("OnMouseUp", &T::OnMouseUp);
}

template <class T> inline void PublishDragEvents(TClassBuilder<T>& B) {
    B.Event("OnDragDrop", &T::OnDragDrop);
    B.Event("OnDragOver", &T::OnDragOver);
    B.Event("OnEndDrag", &T::OnEndDrag);
    B.Event("OnStartDrag", &T::OnStartDrag);
}

template <class T> inline void PublishDragProperties(TClassBuilder<T>& B) {
    B.Integer("DragCursor", &T::DragCursor, &T::SetDragCursor)
        .SetDefault(crDrag)
        .WithIdents(CursorIdentMap());
    B.Enum("DragMode", &T::DragMode, &T::SetDragMode).SetDefault(dmManual);
}

} // namespace qel
