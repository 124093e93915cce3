#pragma once
// UTF-8 checks and conversions used by the form streams.
#include "toolkit/core/Export.h"

#include <cstdint>
#include <string>
#include <string_view>

QEL_PUBLIC_BEGIN

namespace qel {

bool IsValidUtf8(std::string_view S);
// Appends the UTF-8 encoding of a code point (no surrogates, at most U+10FFFF).
void AppendUtf8(std::string& Out, std::uint32_t CodePoint);
// Decodes the code point at Pos and advances Pos; returns false for invalid input.
bool NextCodePoint(std::string_view S, std::size_t& Pos, std::uint32_t& CodePoint);
// Classic byte strings that are not valid UTF-8 are taken as Latin-1.
std::string ByteStringToUtf8(std::string_view S);

} // namespace qel

QEL_PUBLIC_END
