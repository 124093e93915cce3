#pragma once
// A canvas that draws on a control: on demand it gets a device context for the control's
// window (or, for a graphic control, for its part of the parent's window) and gives it back
// at the end of the loop turn, so drawing outside a paint reaches the screen.
#include "toolkit/core/Export.h"
#include "toolkit/graphics/Canvas.h"

QEL_PUBLIC_BEGIN

namespace qel {

class TControl;

class TControlCanvas : public TCanvas {
    QEL_CLASS(TControlCanvas, TCanvas)
  public:
    TControlCanvas() = default;
    ~TControlCanvas() override;
    TControl* Control() const { return Control_; }
    void SetControl(TControl* V);
    // Gives back a device context obtained by the canvas itself (not one set by a paint).
    void FreeHandle();
    void UpdateTextFlags() {}

  protected:
    void CreateHandle() override;

  private:
    TControl* Control_ = nullptr;
    HDC DeviceContext_ = 0;
    HWND WindowHandle_ = 0;
};

// Releases the device contexts every control canvas took during this loop turn.
void FreeDeviceContexts();

} // namespace qel

QEL_PUBLIC_END
