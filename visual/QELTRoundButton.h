#pragma once
// A circular button: a disc filled by a background, outlined or sunk into the surface, with a
// glyph in the middle. Only points inside the circle press it; the corners show the parent's
// surface, read back from the screen with a marker colour keyed out.
#include "toolkit/core/Export.h"
#include "visual/QELBackgroundLink.h"
#include "visual/QELControls.h"
#include "visual/QELTBackground.h"
#include "visual/QELZoradodo.h"

#include <memory>

QEL_PUBLIC_BEGIN

namespace qel {

enum TQELButtonType { btNormal, btInset };
QEL_ENUM_INFO(TQELButtonType, "btNormal", "btInset")

class TQELRoundButton : public TQELGraphicControl {
    QEL_CLASS(TQELRoundButton, TQELGraphicControl)
  public:
    explicit TQELRoundButton(TComponent* AOwner);
    ~TQELRoundButton() override;

    TQELButtonType ButtonType() const { return FButtonType; }
    void SetRButtonType(TQELButtonType Value);
    TQELGlyph* Glyph() const { return FGlyph.get(); }
    void SetQELGlyph(TQELGlyph* Value);
    TColor UnUsedColor() const { return FUnUsedColor; }
    void SetUn(TColor Value);
    TQELBackground* Background() const { return FBackground.Get(); }
    void SetBack(TQELBackground* Value);

    // The button's own events: its click comes from a release inside the circle, not from the
    // toolkit's click on any release over the rectangle; nothing raises the enter and exit
    // events, which are only kept for the form file.
    TNotifyEvent OnClick;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseExit;

    // The radius comes from the width alone.
    bool IsInsideButton(int X, int Y) const;
    bool Pressed() const { return FPressed; }
    bool Tracking() const { return FTracking; }

    void WndProc(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

  protected:
    void Paint() override;
    void PaintButton();
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

  private:
    void SetPressed(bool Value);

    std::unique_ptr<TQELGlyph> FGlyph;
    TQELBackgroundLink FBackground{*this};
    TQELButtonType FButtonType = btNormal;
    TColor FUnUsedColor = clLime;
    bool FPressed = false;
    bool FTracking = false;
    bool FOwnCaptureChange = false;
};

} // namespace qel

QEL_PUBLIC_END
