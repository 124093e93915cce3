#include "visual/QELTFillBackground.h"

#include "toolkit/controls/PublishedGroups.h"
#include "toolkit/graphics/Canvas.h"

namespace qel {

static void DescribeFillBackground(TClassBuilder<TQELFillBackground>& B) {
    using T = TQELFillBackground;
    B.Publish("Align");
    B.Bool("AutoSize", &T::AutoSize, &T::SetAutoSize).SetDefault(false);
    B.Component("Background", &T::Background, &T::SetBack);
    PublishDragProperties(B);
    B.Publish("Enabled");
    PublishShowHint(B);
    B.Publish({"PopupMenu", "Visible", "OnClick", "OnDblClick"});
    PublishDragEvents(B);
    B.Publish({"OnMouseDown", "OnMouseMove", "OnMouseUp"});
}
QEL_IMPLEMENT_CLASS(TQELFillBackground, TQELGraphicControl, DescribeFillBackground)

TQELFillBackground::TQELFillBackground(TComponent* AOwner) : TQELGraphicControl(AOwner) {
    SetBounds(Left(), Top(), 150, 150);
}

void TQELFillBackground::SetAutoSize(bool Value) {
    FAutoSize = Value;
    Invalidate();
}

void TQELFillBackground::SetBack(TQELBackground* Value) {
    FBackground.Set(Value);
}

void TQELFillBackground::Notification(TComponent* AComponent, TOperation Operation) {
    TQELGraphicControl::Notification(AComponent, Operation);
    FBackground.Notification(AComponent, Operation);
}

void TQELFillBackground::Paint() {
    if (FBackground) FBackground->Draw(Canvas()->Handle(), Width(), Height(), true);
}

} // namespace qel
