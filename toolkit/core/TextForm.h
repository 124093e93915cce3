#pragma once
// Conversion between the text and the binary form encodings. Both directions keep every value:
// binary → text → binary gives back the same values (an integer keeps its smallest type, a
// string may change between the short, long and UTF-8 string types).
#include "toolkit/core/Export.h"
#include "toolkit/core/Filer.h"

#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

class TStream;

// Throws EParserError with the line for malformed text. When Lines is given it receives, for
// every object and property written, the binary offset and the text line it came from.
void ObjectTextToBinary(TStream& Input, TStream& Output, std::vector<TOffsetLine>* Lines = nullptr);
// Throws EReadError with the offset for malformed or truncated binary data.
void ObjectBinaryToText(TStream& Input, TStream& Output);

} // namespace qel

QEL_PUBLIC_END
