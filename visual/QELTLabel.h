#pragma once
// A label with 3D text, a frame, an optional background behind it and an optional background
// shown through its letters.
#include "toolkit/controls/StdCtrls.h"
#include "toolkit/core/Export.h"
#include "visual/QELBackgroundLink.h"
#include "visual/QELZoradodo.h"

QEL_PUBLIC_BEGIN

namespace qel {

class TQELLabel : public TCustomLabel {
    QEL_CLASS(TQELLabel, TCustomLabel)
  public:
    explicit TQELLabel(TComponent* AOwner);
    ~TQELLabel() override;

    TQELBackground* FontBackground() const { return FFontBackground.Get(); }
    void SetBack(TQELBackground* Value);
    TQELBackground* Background() const { return FBackground.Get(); }
    void SetBack2(TQELBackground* Value);
    TQELFont3D* Font3D() const { return FFont3D; }
    void Set3D(TQELFont3D* Value);
    TQELFrame* Frame() const { return FFrame; }
    void SetFrm(TQELFrame* Value);

    // Where the caption is written: the client area inset by the frame (one frame width more
    // at the top, right and bottom).
    TRect TextRect() const;
    // Draw-text flags of the caption.
    int TextFlags() const;

    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Loaded() override;

  protected:
    void Paint() override;

  private:
    TQELBackgroundLink FFontBackground{*this};
    TQELBackgroundLink FBackground{*this};
    TQELFont3D* FFont3D = nullptr;
    TQELFrame* FFrame = nullptr;
};

} // namespace qel

QEL_PUBLIC_END
