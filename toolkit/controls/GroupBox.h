#pragma once
// The group box: an etched frame with a caption that holds other controls.
#include "toolkit/controls/StdCtrls.h"
#include "toolkit/core/Export.h"

QEL_PUBLIC_BEGIN

namespace qel {

class TCustomGroupBox : public TCustomControl {
    QEL_CLASS(TCustomGroupBox, TCustomControl)
  public:
    explicit TCustomGroupBox(TComponent* AOwner);
    void WndProc(TMessage& Message) override;

  protected:
    void AdjustClientRect(TRect& Rect) override;
    void Paint() override;
    int CaptionHeight() const;
};

class TGroupBox : public TCustomGroupBox {
    QEL_CLASS(TGroupBox, TCustomGroupBox)
  public:
    explicit TGroupBox(TComponent* AOwner) : TCustomGroupBox(AOwner) {}
};

} // namespace qel

QEL_PUBLIC_END
