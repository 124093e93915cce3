#pragma once
// Geometry shared by the drawing calls, the canvas and the controls. Rectangles are half-open:
// (Left, Top, Right, Bottom) covers x = Left … Right-1 and y = Top … Bottom-1.
#include "toolkit/core/Export.h"

#include <cstdint>

QEL_PUBLIC_BEGIN

namespace qel {

struct TPoint {
    int X = 0, Y = 0;
    constexpr bool operator==(const TPoint&) const = default;
};

struct TSize {
    int cx = 0, cy = 0;
    constexpr bool operator==(const TSize&) const = default;
};

struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;

    constexpr int Width() const { return Right - Left; }
    constexpr int Height() const { return Bottom - Top; }
    constexpr TPoint TopLeft() const { return {Left, Top}; }
    constexpr TPoint BottomRight() const { return {Right, Bottom}; }
    constexpr bool operator==(const TRect&) const = default;
};

using RECT = TRect;
using POINT = TPoint;
using SIZE = TSize;
using LPRECT = TRect*;
using LPPOINT = TPoint*;

constexpr TRect Rect(int Left, int Top, int Right, int Bottom) {
    return {Left, Top, Right, Bottom};
}
constexpr TRect Bounds(int Left, int Top, int Width, int Height) {
    return {Left, Top, Left + Width, Top + Height};
}
constexpr TPoint Point(int X, int Y) {
    return {X, Y};
}

} // namespace qel

QEL_PUBLIC_END
