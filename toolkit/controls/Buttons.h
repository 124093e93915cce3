#pragma once
// Speed buttons: graphic push buttons with a glyph, optional grouping and a held-down state.
#include "toolkit/controls/Controls.h"
#include "toolkit/core/Export.h"

QEL_PUBLIC_BEGIN

namespace qel {

class TBitmap;

enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
QEL_ENUM_INFO(TButtonState, "bsUp", "bsDisabled", "bsDown", "bsExclusive")
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
QEL_ENUM_INFO(TButtonLayout, "blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom")
using TNumGlyphs = int;

class TSpeedButton : public TGraphicControl {
    QEL_CLASS(TSpeedButton, TGraphicControl)
  public:
    explicit TSpeedButton(TComponent* AOwner);
    ~TSpeedButton() override;

    bool AllowAllUp() const { return AllowAllUp_; }
    void SetAllowAllUp(bool V);
    int GroupIndex() const { return GroupIndex_; }
    void SetGroupIndex(int V);
    bool Down() const { return Down_; }
    void SetDown(bool V);
    bool Flat() const { return Flat_; }
    void SetFlat(bool V);
    TBitmap* Glyph() const { return Glyph_; }
    void SetGlyph(TBitmap* V);
    TNumGlyphs NumGlyphs() const { return NumGlyphs_; }
    void SetNumGlyphs(TNumGlyphs V);
    TButtonLayout Layout() const { return Layout_; }
    void SetLayout(TButtonLayout V);
    int Margin() const { return Margin_; }
    void SetMargin(int V);
    int Spacing() const { return Spacing_; }
    void SetSpacing(int V);
    TButtonState State() const { return State_; }
    void Click() override;
    void WndProc(TMessage& Message) override;

  protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    TButtonState State_ = bsUp;
    bool Dragging_ = false;

  private:
    void UpdateExclusive();
    TBitmap* Glyph_ = nullptr;
    TNumGlyphs NumGlyphs_ = 1;
    int GroupIndex_ = 0;
    bool Down_ = false;
    bool AllowAllUp_ = false;
    bool Flat_ = false;
    TButtonLayout Layout_ = blGlyphLeft;
    int Margin_ = -1;
    int Spacing_ = 4;
};

} // namespace qel

QEL_PUBLIC_END
