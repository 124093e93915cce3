#include "toolkit/core/Utf8.h"

namespace qel {

bool NextCodePoint(std::string_view S, std::size_t& Pos, std::uint32_t& CP) {
    auto B = [&](std::size_t I) { return static_cast<std::uint8_t>(S[I]); };
    std::uint8_t C = B(Pos);
    if (C < 0x80) {
        CP = C;
        ++Pos;
        return true;
    }
    int N;
    std::uint32_t Min;
    if ((C & 0xE0) == 0xC0) {
        N = 1;
        CP = C & 0x1F;
        Min = 0x80;
    } else if ((C & 0xF0) == 0xE0) {
        N = 2;
        CP = C & 0x0F;
        Min = 0x800;
    } else if ((C & 0xF8) == 0xF0) {
        N = 3;
        CP = C & 0x07;
        Min = 0x10000;
    } else {
        return false;
    }
    if (Pos + static_cast<std::size_t>(N) >= S.size()) return false;
    for (int I = 1; I <= N; ++I) {
        std::uint8_t T = B(Pos + static_cast<std::size_t>(I));
        if ((T & 0xC0) != 0x80) return false;
        CP = (CP << 6) | (T & 0x3F);
    }
    if (CP < Min || CP > 0x10FFFF || (CP >= 0xD800 && CP <= 0xDFFF)) return false;
    Pos += static_cast<std::size_t>(N) + 1;
    return true;
}

bool IsValidUtf8(std::string_view S) {
    std::size_t P = 0;
    std::uint32_t CP;
    while (P < S.size())
        if (!NextCodePoint(S, P, CP)) return false;
    return true;
}

void AppendUtf8(std::string& Out, std::uint32_t CP) {
    if (CP < 0x80) {
        Out += static_cast<char>(CP);
    } else if (CP < 0x800) {
        Out += static_cast<char>(0xC0 | (CP >> 6));
        Out += static_cast<char>(0x80 | (CP & 0x3F));
    } else if (CP < 0x10000) {
        Out += static_cast<char>(0xE0 | (CP >> 12));
        Out += static_cast<char>(0x80 | ((CP >> 6) & 0x3F));
        Out += static_cast<char>(0x80 | (CP & 0x3F));
    } else {
        Out += static_cast<char>(0xF0 | (CP >> 18));
        Out += static_cast<char>(0x80 | ((CP >> 12) & 0x3F));
        Out += static_cast<char>(0x80 | ((CP >> 6) & 0x3F));
        Out += static_cast<char>(0x80 | (CP & 0x3F));
    }
}

std::string ByteStringToUtf8(std::string_view S) {
    if (IsValidUtf8(S)) return std::string(S);
    std::string R;
    R.reserve(S.size() * 2);
    for (char C : S)
        AppendUtf8(R, static_cast<std::uint8_t>(C));
    return R;
}

} // namespace qel
