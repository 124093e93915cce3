#pragma once
// The line gradients painted a pixel row at a time. Their lines fan out through the middle of
// the area, neighbour beside neighbour, and a run of neighbouring lines in one colour covers
// on every row one unbroken piece between the pieces of its two outer lines. Each such run is
// followed row by row through its outer lines alone, and every row is painted run over run in
// the order the lines were drawn, instead of walking every pixel of every line.
#include "toolkit/core/Export.h"
#include "toolkit/graphics/Colors.h"
#include "toolkit/graphics/Surface.h"

#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

// A thin line from (X1, Y1) up to, not including, (X2, Y2).
struct TQELGradientLine {
    int X1, Y1, X2, Y2;
    COLORREF Color;
};

// Paints Lines into S, each later one over the ones before, with exactly the pixels the thin
// pen gives them.
void QELPaintGradientLines(TSurface& S, const std::vector<TQELGradientLine>& Lines);

} // namespace qel

QEL_PUBLIC_END
