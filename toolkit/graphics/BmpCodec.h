#pragma once
// Reading and writing the device-independent bitmap file format (.bmp).
//
// Reads 1, 4, 8, 16, 24 and 32 bits per pixel, uncompressed, RLE4, RLE8 and bit-field
// encodings, bottom-up and top-down rows, and the 12-byte core, 40-byte info, 52/56-byte, and
// 108/124-byte (V4/V5) headers. Writes 1, 4, 8, 24 and 32 bits per pixel, optionally RLE
// compressed (4 and 8 bits), with any of the core, info, V4 or V5 headers.
//
// Input is untrusted (form files, resources, files from users): every size is checked before
// anything is allocated and every failure throws EInvalidGraphic.
#include "toolkit/core/Export.h"
#include "toolkit/graphics/Surface.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

// Limits for decoded images: no side longer than MaxBitmapSide and no more than
// MaxBitmapPixels pixels (128 MiB of pixel memory) in total.
constexpr int MaxBitmapSide = 16384;
constexpr std::size_t MaxBitmapPixels = std::size_t(32) << 20;

struct TBmpImage {
    TSurface Pixels;               // 0x00RRGGBB, rows top-down
    int BitCount = 24;             // depth the file was stored with (1, 4, 8, 16, 24, 32)
    std::vector<uint32_t> Palette; // 0x00RRGGBB entries of a paletted file
};

struct TBmpWriteOptions {
    int BitCount = 24;    // 1, 4, 8, 24 or 32
    bool Rle = false;     // RLE4 / RLE8 (4 and 8 bits only, info header only)
    bool TopDown = false; // negative height (not with RLE or the core header)
    int HeaderSize = 40;  // 12 (core), 40 (info), 108 (V4), 124 (V5)
    // Palette to use for 1/4/8 bits; empty: built from the image's colours (nearest entry of a
    // standard palette when there are too many).
    std::vector<uint32_t> Palette;
};

// Throws EInvalidGraphic for anything that is not a complete, well-formed bitmap file within
// the limits above.
TBmpImage DecodeBmp(std::span<const uint8_t> Data);
std::vector<uint8_t> EncodeBmp(const TSurface& Image, const TBmpWriteOptions& Options = {});

// The palette EncodeBmp uses for the given depth when the image's colours do not fit.
std::vector<uint32_t> StandardPalette(int BitCount);
// Index of the palette entry closest to Pixel (exact matches win).
int NearestPaletteIndex(const std::vector<uint32_t>& Palette, uint32_t Pixel);

} // namespace qel

QEL_PUBLIC_END
