#pragma once
// PNG export and import through libpng, for tools (galleries, screenshots, golden images) and
// for pictures loaded from .png files. Pixels are 0x00RRGGBB surfaces; alpha is not kept.
#include "toolkit/core/Export.h"
#include "toolkit/graphics/Surface.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

std::vector<uint8_t> EncodePng(const TSurface& Image);
void SavePng(const TSurface& Image, const std::string& FileName);
// Throws EInvalidGraphic for anything libpng rejects or that exceeds the bitmap limits;
// transparent pixels are composed over Background (0x00RRGGBB).
TSurface DecodePng(std::span<const uint8_t> Data, uint32_t Background = 0xFFFFFF);

} // namespace qel

QEL_PUBLIC_END
