#pragma once
// Deterministic mapping from the face names form files and code ask for to the families we ship
// with (Debian packages fonts-liberation and fonts-dejavu-core). The table is ours, so the same
// form renders with the same glyphs on every machine, whatever else is installed there.
//
// Unknown names fall back by the pitch-and-family byte (fixed pitch or FF_MODERN -> mono,
// FF_ROMAN -> serif) and otherwise to the default sans family, Liberation Sans.
#include "toolkit/core/Export.h"

#include <cstdint>
#include <string>
#include <string_view>

QEL_PUBLIC_BEGIN

namespace qel {

struct TFontFile {
    std::string Family;  // installed family name, e.g. "Liberation Sans"
    std::string Path;    // font file path; empty if nothing usable was found
    bool Bold = false;   // the file itself is a bold style
    bool Italic = false; // the file itself is an italic or oblique style
};

extern const char* const DefaultFontFamily; // "Liberation Sans"

// The installed family a requested face name maps to.
std::string MapFontFamily(std::string_view Name, uint8_t PitchAndFamily);

// The file of Family in the best available style. Resolves through fontconfig with an exact
// family check, then through the known Debian install paths; if the family has no such style
// the plain style is returned (Bold/Italic false) and the caller synthesises it.
TFontFile FindFontFile(const std::string& Family, bool Bold, bool Italic);

} // namespace qel

QEL_PUBLIC_END
