#pragma once
// The 10-byte extended float of the binary form stream, converted to and from double.
#include "toolkit/core/Export.h"

#include <cstdint>

QEL_PUBLIC_BEGIN

namespace qel {

void DoubleToExtended(double D, std::uint8_t Out[10]);
double ExtendedToDouble(const std::uint8_t In[10]);

} // namespace qel

QEL_PUBLIC_END
