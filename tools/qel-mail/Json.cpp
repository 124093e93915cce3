#include "tools/qel-mail/Json.h"

#include <cstdint>
#include <cstdio>

namespace qel {

namespace {

// Length of the valid UTF-8 sequence starting at I, or 0.
std::size_t Utf8Length(std::string_view S, std::size_t I) {
    auto B = [&](std::size_t K) { return static_cast<std::uint8_t>(S[K]); };
    std::uint8_t C = B(I);
    std::size_t N;
    std::uint32_t Min;
    std::uint32_t Cp;
    if (C >= 0xC2 && C <= 0xDF) {
        N = 2, Min = 0x80, Cp = C & 0x1F;
    } else if (C >= 0xE0 && C <= 0xEF) {
        N = 3, Min = 0x800, Cp = C & 0x0F;
    } else if (C >= 0xF0 && C <= 0xF4) {
        N = 4, Min = 0x10000, Cp = C & 0x07;
    } else {
        return 0;
    }
    if (I + N > S.size()) return 0;
    for (std::size_t K = 1; K < N; ++K) {
        if ((B(I + K) & 0xC0) != 0x80) return 0;
        Cp = (Cp << 6) | (B(I + K) & 0x3F);
    }
    if (Cp < Min || Cp > 0x10FFFF || (Cp >= 0xD800 && Cp <= 0xDFFF)) return 0;
    return N;
}

void AppendCodePoint(std::string& R, unsigned V) {
    char Buf[8];
    std::snprintf(Buf, sizeof Buf, "\\u%04x", V);
    R += Buf;
}

} // namespace

std::string JsonString(std::string_view S) {
    std::string R = "\"";
    for (std::size_t I = 0; I < S.size();) {
        auto C = static_cast<std::uint8_t>(S[I]);
        if (C >= 0x80) {
            std::size_t N = Utf8Length(S, I);
            if (N) {
                R.append(S.substr(I, N));
                I += N;
            } else {
                AppendCodePoint(R, C);
                ++I;
            }
            continue;
        }
        switch (C) {
        case '"':
            R += "\\\"";
            break;
        case '\\':
            R += "\\\\";
            break;
        case '\n':
            R += "\\n";
            break;
        case '\r':
            R += "\\r";
            break;
        case '\t':
            R += "\\t";
            break;
        default:
            if (C < 0x20 || C == 0x7F)
                AppendCodePoint(R, C);
            else
                R += static_cast<char>(C);
        }
        ++I;
    }
    R += '"';
    return R;
}

} // namespace qel
