#include "toolkit/controls/ControlCanvas.h"
#include "toolkit/controls/Controls.h"

namespace qel {

// ---- TGraphicControl ----

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner) {
    Canvas_ = new TControlCanvas();
    Canvas_->SetControl(this);
}

TGraphicControl::~TGraphicControl() {
    delete Canvas_;
    Canvas_ = nullptr;
}

TCanvas* TGraphicControl::Canvas() const {
    return Canvas_;
}

void TGraphicControl::WndProc(TMessage& M) {
    if (M.Msg == WM_PAINT) {
        // The parent paints its graphic children with its own device context, moved to the
        // control's origin and clipped to its rectangle.
        if (!M.WParam) return;
        TCanvasDCScope Scope(*Canvas_, M.WParam);
        Paint();
        return;
    }
    TControl::WndProc(M);
}

QEL_IMPLEMENT_ABSTRACT(TGraphicControl, TControl, NoProperties<TGraphicControl>)

// ---- TCustomControl ----

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner) {
    Canvas_ = new TControlCanvas();
    Canvas_->SetControl(this);
}

TCustomControl::~TCustomControl() {
    delete Canvas_;
    Canvas_ = nullptr;
}

TCanvas* TCustomControl::Canvas() const {
    return Canvas_;
}

void TCustomControl::PaintWindow(HDC DC) {
    TCanvasDCScope Scope(*Canvas_, DC);
    Paint();
}

QEL_IMPLEMENT_ABSTRACT(TCustomControl, TWinControl, NoProperties<TCustomControl>)

} // namespace qel
