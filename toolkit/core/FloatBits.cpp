#include "toolkit/core/FloatBits.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace qel {

// Layout, little endian: 64-bit mantissa with an explicit integer bit, then 15 bits of exponent
// (bias 16383) and the sign bit.
void DoubleToExtended(double D, std::uint8_t Out[10]) {
    std::uint64_t Mant = 0;
    std::uint16_t SignExp = std::signbit(D) ? 0x8000 : 0;
    if (std::isnan(D)) {
        SignExp |= 0x7FFF;
        Mant = 0xC000000000000000ull;
    } else if (std::isinf(D)) {
        SignExp |= 0x7FFF;
        Mant = 0x8000000000000000ull;
    } else if (D != 0.0) {
        int E = 0;
        double F = std::frexp(std::fabs(D), &E); // F in [0.5, 1)
        Mant = static_cast<std::uint64_t>(std::ldexp(F, 64));
        SignExp |= static_cast<std::uint16_t>(E - 1 + 16383);
    }
    for (int I = 0; I < 8; ++I)
        Out[I] = static_cast<std::uint8_t>(Mant >> (8 * I));
    Out[8] = static_cast<std::uint8_t>(SignExp);
    Out[9] = static_cast<std::uint8_t>(SignExp >> 8);
}

double ExtendedToDouble(const std::uint8_t In[10]) {
    std::uint64_t Mant = 0;
    for (int I = 0; I < 8; ++I)
        Mant |= static_cast<std::uint64_t>(In[I]) << (8 * I);
    int SignExp = In[8] | (In[9] << 8);
    bool Neg = (SignExp & 0x8000) != 0;
    int Exp = SignExp & 0x7FFF;
    double R;
    if (Exp == 0x7FFF)
        R = (Mant << 1) == 0 ? std::numeric_limits<double>::infinity()
                             : std::numeric_limits<double>::quiet_NaN();
    else if (Mant == 0)
        R = 0.0;
    else
        R = std::ldexp(static_cast<double>(Mant), Exp - 16383 - 63);
    return Neg ? -R : R;
}

} // namespace qel
