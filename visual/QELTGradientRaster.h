#pragma once
// Gradients drawn straight into pixels. The step-by-step replay on a device context paints
// every step's whole shape over the ones before it, so a ring style with 255 colours touches
// each pixel up to 255 times. This raster gives the same pixels, shape for shape and rounding
// for rounding, but paints each pixel of the band and ring styles once: the shapes are visited
// from the last drawn to the first, and each pixel row keeps the spans later shapes already
// cover. Where every shape is symmetric about the middle, or the shapes come in half-turned
// pairs, the rows and half rows that repeat are copied rather than painted. The line styles
// draw each distinct line once, at the place in the order where the replay draws it for the
// last time: Circle's lines, neighbours in runs of one colour, a run and a row at a time
// (QELPaintGradientLines), Spectral's pixel by pixel.
#include "toolkit/core/Export.h"
#include "toolkit/graphics/Surface.h"
#include "toolkit/graphics/Windows.h"
#include "visual/QELTBackgroundSteps.h"

#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

// The whole gradient into Target (its full size): the first colour of Colors (plain RGB, at
// least two) underneath, then the steps of Style with Steps colours per segment.
void QELRasterGradient(TSurface& Target, TQELFillStyle Style, int Steps,
                       const std::vector<COLORREF>& Colors);

// The same gradient the slow way: the first colour over (0, 0, W, H) of DC, then every step's
// shape drawn over the ones before with a thin pen and a solid brush. The reference the raster
// is held against.
void QELGradientStepByStep(HDC DC, int W, int H, TQELFillStyle Style, int Steps,
                           const std::vector<COLORREF>& Colors);

} // namespace qel

QEL_PUBLIC_END
