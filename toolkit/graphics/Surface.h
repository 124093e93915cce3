#pragma once
// A device-independent pixel surface: the memory every device context, bitmap and window
// backend draws into. Pixels are 0x00RRGGBB, rows top-down, no padding, so the headless and
// the X11 backend share one representation and tests can compare pixels exactly.
#include "toolkit/core/Export.h"

#include <cstdint>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

struct TSurface {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint32_t> Pixels;

    TSurface() = default;
    TSurface(int W, int H, std::uint32_t Fill = 0) { Resize(W, H, Fill); }

    void Resize(int W, int H, std::uint32_t Fill = 0) {
        Width = W < 0 ? 0 : W;
        Height = H < 0 ? 0 : H;
        Pixels.assign(static_cast<std::size_t>(Width) * static_cast<std::size_t>(Height), Fill);
    }
    std::uint32_t* Row(int Y) { return Pixels.data() + static_cast<std::size_t>(Y) * Width; }
    const std::uint32_t* Row(int Y) const {
        return Pixels.data() + static_cast<std::size_t>(Y) * Width;
    }
    bool Contains(int X, int Y) const { return X >= 0 && Y >= 0 && X < Width && Y < Height; }
    std::uint32_t Get(int X, int Y) const { return Row(Y)[X]; }
    void Set(int X, int Y, std::uint32_t C) { Row(Y)[X] = C; }
};

// Pixel colour <-> TColor byte order: a TColor holds 0x00BBGGRR, a surface 0x00RRGGBB.
constexpr std::uint32_t PixelFromRGB(std::uint32_t BGR) {
    return ((BGR & 0xFF) << 16) | (BGR & 0xFF00) | ((BGR >> 16) & 0xFF);
}
constexpr std::uint32_t RGBFromPixel(std::uint32_t P) {
    return PixelFromRGB(P);
}

} // namespace qel

QEL_PUBLIC_END
