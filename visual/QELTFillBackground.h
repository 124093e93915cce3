#pragma once
// A graphic control that only paints a linked background over its whole area, for example
// as a form's backdrop. Without a background it paints nothing and its parent shows through.
#include "toolkit/core/Export.h"
#include "visual/QELBackgroundLink.h"
#include "visual/QELControls.h"
#include "visual/QELTBackground.h"

QEL_PUBLIC_BEGIN

namespace qel {

class TQELFillBackground : public TQELGraphicControl {
    QEL_CLASS(TQELFillBackground, TQELGraphicControl)
  public:
    explicit TQELFillBackground(TComponent* AOwner);

    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    TQELBackground* Background() const { return FBackground.Get(); }
    void SetBack(TQELBackground* Value);

    void Notification(TComponent* AComponent, TOperation Operation) override;

  protected:
    void Paint() override;

  private:
    bool FAutoSize = false;
    TQELBackgroundLink FBackground{*this};
};

} // namespace qel

QEL_PUBLIC_END
