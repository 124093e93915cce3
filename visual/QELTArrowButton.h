#pragma once
// A triangular button pointing up, right, down or left: a white or background-filled triangle
// with a drop shadow, a bevel along its edges and a glyph near its base. Only presses inside
// the triangle count, tested against the region of the last paint.
#include "toolkit/core/Export.h"
#include "visual/QELBackgroundLink.h"
#include "visual/QELControls.h"
#include "visual/QELTBackground.h"
#include "visual/QELZoradodo.h"

#include <array>
#include <memory>

QEL_PUBLIC_BEGIN

namespace qel {

enum TQELDirection { dUp, dRight, dLeft, dDown };
QEL_ENUM_INFO(TQELDirection, "dUp", "dRight", "dLeft", "dDown")
// The bevel's pen width, 1..4.
using TQELButtonRaise = int;

class TQELArrowButton : public TQELGraphicControl {
    QEL_CLASS(TQELArrowButton, TQELGraphicControl)
  public:
    explicit TQELArrowButton(TComponent* AOwner);
    ~TQELArrowButton() override;

    TQELBackground* Background() const { return FBackground.Get(); }
    void Setback(TQELBackground* Value);
    TQELDirection ButtonType() const { return FDirection; }
    void SetDirection(TQELDirection Value);
    TQELButtonRaise ButtonRaise() const { return FButtonRaise; }
    void SetButtonBorder(TQELButtonRaise Value);
    TQELGlyph* Glyph() const { return FGlyph.get(); }
    void SetQELGlyph(TQELGlyph* Value);

    bool Pressed() const { return FPressed; }
    // The corners of the triangle of the last paint.
    const std::array<TPoint, 3>& Points() const { return FPoints; }
    // Whether a point of the client area lies in the triangle of the last paint (none before
    // the first paint).
    bool InTriangle(int X, int Y) const;

    void WndProc(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

  protected:
    void Paint() override;
    void FreeRegion();
    virtual void DrawUpArrow();
    virtual void DrawRightArrow();
    virtual void DrawDownArrow();
    virtual void DrawLeftArrow();
    virtual void MoveButton();

  private:
    void DrawArrow(TPoint P1, TPoint P2, TPoint P3, int GlyphX, int GlyphY);

    std::unique_ptr<TQELGlyph> FGlyph;
    TQELBackgroundLink FBackground{*this};
    TQELDirection FDirection = dUp;
    TQELButtonRaise FButtonRaise = 1;
    std::array<TPoint, 3> FPoints{};
    HRGN FRegion = 0;
    bool FPressed = false;
};

} // namespace qel

QEL_PUBLIC_END
