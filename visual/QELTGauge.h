#pragma once
// A segmented progress gauge: a bar filled from the left or from the bottom in proportion to
// a percentage, the percentage written over it in 3D text, two bevels, an optional glyph in
// one margin and an optional shared background behind everything.
#include "toolkit/core/Export.h"
#include "visual/QELBackgroundLink.h"
#include "visual/QELControls.h"
#include "visual/QELZoradodo.h"

#include <cstdint>
#include <memory>

QEL_PUBLIC_BEGIN

namespace qel {

class TQELGauge : public TQELGraphicControl {
    QEL_CLASS(TQELGauge, TQELGraphicControl)
  public:
    explicit TQELGauge(TComponent* AOwner);
    ~TQELGauge() override;

    TQELGlyph* Glyph() const { return FGlyph.get(); }
    void SetQELGlyph(TQELGlyph* Value);
    TQELFont3D* Font3D() const { return FFont3D.get(); }
    void Set3D(TQELFont3D* Value);
    TQELBackground* Background() const { return FBackground.Get(); }
    void SetBack(TQELBackground* Value);
    TQELFrame* BevelInner() const { return FBevelInner.get(); }
    void Setinner(TQELFrame* Value);
    TQELFrame* BevelOuter() const { return FBevelOuter.get(); }
    void Setouter(TQELFrame* Value);
    TQELPosition PicturePosition() const { return FPicturePosition; }
    void SetPicPos(TQELPosition Value);
    std::uint8_t Borderwidth() const { return FBorderwidth; }
    void SetBorderwidth(std::uint8_t Value);
    TQELKind Kind() const { return FKind; }
    void SetKindType(TQELKind Value);
    std::uint8_t SegmentGap() const { return FSegmentGap; }
    void SetSegGap(std::uint8_t Value);
    std::uint8_t SegmentWidth() const { return FSegmentWidth; }
    void SetSegWidth(std::uint8_t Value);
    TColor SegmentColor() const { return FSegmentColor; }
    void SetSegColor(TColor Value);
    TColor InsideBackColor() const { return FInsideBackColor; }
    void SetInsideColor(TColor Value);
    std::uint8_t Percentage() const { return FPercentage; }
    // Values outside 0..100 (a stored form may hold any integer) are taken as the nearest end.
    void SetPercent(int Value);

    // Draws the bar and the percentage at once on the control's canvas, without a repaint.
    void UpdateProgress();

    // Margins between the bevels: the border width, plus the glyph's width on its side.
    struct TMargins {
        int fl, fr, ft, fb, fbw;
    };
    TMargins Margins() const;
    // Where the segments go (the inside of the inner bevel) in control coordinates.
    TRect BarRect() const;
    // Whether the pixel line at control coordinate C is drawn in SegmentColor.
    bool IsSegmentLine(int C) const;

    void Notification(TComponent* AComponent, TOperation Operation) override;

  protected:
    void Paint() override;

  private:
    void DrawProgress(TCanvas* C);

    std::unique_ptr<TQELGlyph> FGlyph;
    std::unique_ptr<TQELFrame> FBevelInner;
    std::unique_ptr<TQELFrame> FBevelOuter;
    std::unique_ptr<TQELFont3D> FFont3D;
    TQELBackgroundLink FBackground{*this};
    TQELPosition FPicturePosition = pLeft;
    std::uint8_t FBorderwidth = 6;
    TQELKind FKind = kHorizontal;
    std::uint8_t FSegmentGap = 2;
    std::uint8_t FSegmentWidth = 8;
    TColor FSegmentColor = clNavy;
    TColor FInsideBackColor = clWhite;
    std::uint8_t FPercentage = 0;
};

} // namespace qel

QEL_PUBLIC_END
