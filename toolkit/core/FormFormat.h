#pragma once
// The two encodings of a form file.
#include "toolkit/core/Export.h"

#include <cstdint>

QEL_PUBLIC_BEGIN

namespace qel {

class TStream;

enum class TFormFormat { Text, Binary };

// Looks at the first bytes (without moving the stream): "TPF0" is binary, anything else text.
TFormFormat DetectFormFormat(TStream& Stream);

} // namespace qel

QEL_PUBLIC_END
