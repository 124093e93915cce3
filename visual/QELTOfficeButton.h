#pragma once
// A rounded button with a small LED at its left whose colour follows the mouse (away, over,
// pressed) and a 3D caption on a light yellow face or a linked background. It is composed
// off-screen and copied at once, so that the corners keep the parent's surface.
#include "toolkit/core/Export.h"
#include "visual/QELBackgroundLink.h"
#include "visual/QELControls.h"
#include "visual/QELTBackground.h"
#include "visual/QELZoradodo.h"

#include <cstdint>
#include <memory>

QEL_PUBLIC_BEGIN

namespace qel {

// The LED: a 10-pixel disc of Color with a silver upper-left rim, a grey lower-right one and a
// small highlight, its box at (X, Y).
void DrawLed(TCanvas* Canvas, int X, int Y, TColor Color);

class TQELOfficeButton : public TQELGraphicControl {
    QEL_CLASS(TQELOfficeButton, TQELGraphicControl)
  public:
    explicit TQELOfficeButton(TComponent* AOwner);
    ~TQELOfficeButton() override;

    const std::string& getcaption() const { return Caption(); }
    void Setcaption(const std::string& Value);
    TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(TColor Value);
    TColor LedNormal() const { return FLedNormal; }
    void Setnorm(TColor Value);
    // Plain fields: they show at the next change of the mouse state.
    TColor LedIn() const { return FLedIn; }
    void SetLedIn(TColor Value) { FLedIn = Value; }
    TColor LedOut() const { return FLedOut; }
    void SetLedOut(TColor Value) { FLedOut = Value; }
    int RoundSize() const { return FRoundSize; }
    void SetRoundSize(int Value);
    TQELFont3D* Font3D() const { return FFont3D.get(); }
    void Set3D(TQELFont3D* Value);
    TQELBackground* Background() const { return FBackground.Get(); }
    void SetBack(TQELBackground* Value);

    bool Inside() const { return FInside; }
    bool Pressed() const { return FPressed; }
    int PressOffset() const { return FOff; }
    // The LED colour for the present mouse state.
    TColor LedColor() const;

    void WndProc(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

  protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

  private:
    void MouseEnter();
    void MouseLeave();
    void Release();

    std::unique_ptr<TQELFont3D> FFont3D;
    TQELBackgroundLink FBackground{*this};
    TColor FBorderColor = clBlack;
    TColor FLedNormal = clNavy;
    TColor FLedIn = clAqua;
    TColor FLedOut = clTeal;
    int FRoundSize = 20;
    bool FInside = false;
    bool FPressed = false;
    std::uint16_t FOff = 0;
    bool FOwnCaptureChange = false;
};

} // namespace qel

QEL_PUBLIC_END
