#pragma once
// A canvas on the whole screen: drawing on it paints over every window (on X11 over the root
// window, headless over the composed desktop) until they repaint, which AutoRestore asks for
// when painting ends.
#include "toolkit/core/Component.h"
#include "toolkit/core/Export.h"
#include "toolkit/graphics/Canvas.h"

#include <memory>

QEL_PUBLIC_BEGIN

namespace qel {

class TQELScreenCanvas : public TComponent {
    QEL_CLASS(TQELScreenCanvas, TComponent)
  public:
    explicit TQELScreenCanvas(TComponent* AOwner);
    ~TQELScreenCanvas() override;

    bool AutoRestore() const { return FAutoRestore; }
    void SetAutoRestore(bool Value) { FAutoRestore = Value; }
    // Starts painting when it has not started. Throws EInvalidOperation where there is no
    // screen to draw on.
    TCanvas* Canvas();
    TCanvas* GetCanvas() { return Canvas(); }
    int Width() const { return GetWidth(); }
    int Height() const { return GetHeight(); }
    int GetWidth() const;
    int GetHeight() const;
    bool Active() const { return FActive; }

    void BeginPaint();
    // Gives the screen back; with AutoRestore every window of the application repaints.
    void EndPaint();
    // Every window of the application repaints, covering what was drawn on the screen.
    static void RestoreScreen();

  private:
    std::unique_ptr<TCanvas> FCanvas;
    bool FActive = false;
    bool FAutoRestore = false;
};

} // namespace qel

QEL_PUBLIC_END
