#pragma once
// Base classes of the package's controls: a windowed control with its own canvas and a
// background link, and a graphic control that publishes the toolkit's layout and drag
// properties. (The sizable header of this unit follows in its own section.)
#include "toolkit/controls/ControlCanvas.h"
#include "toolkit/controls/Controls.h"
#include "visual/QELBackgroundLink.h"

namespace qel {

// ===== Base classes =========================================================================

class TQELCustomControl : public TWinControl {
    QEL_CLASS(TQELCustomControl, TWinControl)
  public:
    explicit TQELCustomControl(TComponent* AOwner);
    ~TQELCustomControl() override;

    TControlCanvas* Canvas() const { return Canvas_; }
    TQELBackground* Background() const { return Background_.Get(); }
    // Leaves the old background's client list, joins the new one's and repaints.
    void SetBack(TQELBackground* Value);

    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void WndProc(TMessage& Message) override;

  protected:
    void PaintWindow(HDC DC) override;
    virtual void Paint();

  private:
    TControlCanvas* Canvas_ = nullptr;
    TQELBackgroundLink Background_{*this};
};

class TQELGraphicControl : public TGraphicControl {
    QEL_CLASS(TQELGraphicControl, TGraphicControl)
  public:
    using TGraphicControl::TGraphicControl;
};

// Publishes the inherited properties every package graphic control shows, with the toolkit's
// defaults (subclasses call it from their describe function when they republish).
template <class T> void PublishQELGraphicControl(TClassBuilder<T>& B) {
    B.template Set<TAnchorKind>("Anchors", &T::Anchors, &T::SetAnchors)
        .SetDefault(TAnchors{akLeft, akTop}.Bits());
    B.Enum("BiDiMode", &T::BiDiMode, &T::SetBiDiMode)
        .SetDefault(bdLeftToRight)
        .Stored([](const TObject& O) { return !static_cast<const T&>(O).ParentBiDiMode(); });
    B.Object("Constraints", &T::Constraints, &T::SetConstraints);
    B.Integer("DragCursor", &T::DragCursor, &T::SetDragCursor)
        .SetDefault(crDrag)
        .WithIdents(CursorIdentMap());
    B.Enum("DragKind", &T::DragKind, &T::SetDragKind).SetDefault(dkDrag);
    B.Enum("DragMode", &T::DragMode, &T::SetDragMode).SetDefault(dmManual);
    B.Bool("ParentBiDiMode", &T::ParentBiDiMode, &T::SetParentBiDiMode).SetDefault(true);
}

// ===== End of base classes ==================================================================

} // namespace qel
