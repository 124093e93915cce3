#pragma once
// The geometry of a gradient: which shapes, in which colours and in which order, make up each
// of the thirteen fill styles. Kept apart from the device context so that the band layout can
// be checked shape by shape and replayed on any target; TQELGradient::MultiDraw replays it on a
// memory bitmap.
#include "toolkit/core/Export.h"
#include "toolkit/graphics/Colors.h"
#include "toolkit/graphics/Windows.h" // MulDiv

#include <cstdint>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

enum TQELFillStyle {
    Circle,
    Horizontal,
    Vertical,
    LeftBottom,
    RoundMiddle,
    SquareMiddle,
    Spectral,
    DoppelFlash,
    Singleflash,
    MiddleHBar,
    MiddleVBar,
    VerticalDoppelBar,
    HorizontalDoppelBar
};

// The shapes of one gradient, in drawing order. Coordinates are exactly those the style
// computes: a Fill may have a negative width or height (it then extends leftwards or upwards
// from its origin, the origin included), an ellipse's box may be given right-to-left.
class TQELGradientPainter {
  public:
    virtual ~TQELGradientPainter() = default;
    // Pen and brush take the step colour.
    virtual void StepColor(COLORREF Color) = 0;
    // Pen only (the alternating lines of Spectral).
    virtual void PenColor(COLORREF Color) = 0;
    virtual void Fill(int X, int Y, int W, int H) = 0;
    virtual void Ellipse(int X1, int Y1, int X2, int Y2) = 0;
    // From (X1, Y1) up to, not including, (X2, Y2).
    virtual void Line(int X1, int Y1, int X2, int Y2) = 0;
};

// Round to nearest, halves to even, of the exact quotient A / B.
int QELRoundDiv(double A, double B);

// Colour of step N of Steps going from C0 to C1 (both plain RGB). Forward colours have every
// zero byte raised to 1; reverse colours (Reverse = true) run backwards and keep zero bytes.
COLORREF QELGradientStepColor(COLORREF C0, COLORREF C1, int N, int Steps, bool Reverse);

// Emits every step of every segment between consecutive Colors (plain RGB, at least two) for
// a W x H area with Steps colours per segment.
void QELGradientSteps(TQELFillStyle Style, int W, int H, int Steps,
                      const std::vector<COLORREF>& Colors, TQELGradientPainter& Painter);

} // namespace qel

QEL_PUBLIC_END
