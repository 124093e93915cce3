#include "visual/QELControls.h"

#include "visual/QELTBackground.h"

namespace qel {

// ===== Base classes =========================================================================

TQELCustomControl::TQELCustomControl(TComponent* AOwner) : TWinControl(AOwner) {
    Canvas_ = new TControlCanvas();
    Canvas_->SetControl(this);
}

TQELCustomControl::~TQELCustomControl() {
    delete Canvas_;
    Canvas_ = nullptr;
}

void TQELCustomControl::SetBack(TQELBackground* Value) {
    Background_.Set(Value);
}

void TQELCustomControl::Loaded() {
    TWinControl::Loaded();
}

void TQELCustomControl::Notification(TComponent* AComponent, TOperation Operation) {
    TWinControl::Notification(AComponent, Operation);
    Background_.Notification(AComponent, Operation);
}

void TQELCustomControl::WndProc(TMessage& Message) {
    if (Message.Msg == WM_PAINT) {
        PaintHandler(Message);
        return;
    }
    TWinControl::WndProc(Message);
}

void TQELCustomControl::PaintWindow(HDC DC) {
    TCanvasDCScope Scope(*Canvas_, DC);
    Paint();
}

void TQELCustomControl::Paint() {
    Canvas_->Brush()->SetColor(clBtnFace);
    Canvas_->Brush()->SetStyle(bsSolid);
    if (Background_) {
        Background_->Draw(Canvas_->Handle(), Width(), Height(), true);
        return;
    }
    Canvas_->FillRect(Rect(0, 0, Width(), Height()));
}

QEL_IMPLEMENT_ABSTRACT(TQELCustomControl, TWinControl, NoProperties<TQELCustomControl>)
QEL_IMPLEMENT_ABSTRACT(TQELGraphicControl, TGraphicControl,
                       PublishQELGraphicControl<TQELGraphicControl>)

// ===== End of base classes ==================================================================

} // namespace qel
