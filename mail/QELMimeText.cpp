#include "mail/QELMimeText.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <iconv.h>

namespace qel::mimetext {

namespace {

int HexValue(char C) {
    if (C >= '0' && C <= '9') return C - '0';
    if (C >= 'A' && C <= 'F') return C - 'A' + 10;
    if (C >= 'a' && C <= 'f') return C - 'a' + 10;
    return -1;
}

constexpr char Hex[] = "0123456789ABCDEF";

std::string LowerAscii(std::string_view S) {
    std::string R(S);
    for (char& C : R)
        if (C >= 'A' && C <= 'Z') C = static_cast<char>(C - 'A' + 'a');
    return R;
}

// The names under which a charset is the same as UTF-8, or a subset of it, for any input.
bool IsUtf8OrAscii(const std::string& Lower) {
    return Lower.empty() || Lower == "utf-8" || Lower == "utf8" || Lower == "us-ascii" ||
           Lower == "ascii" || Lower == "ansi_x3.4-1968";
}

bool IsLatinFamily(const std::string& Lower) {
    return Lower == "iso-8859-1" || Lower == "iso8859-1" || Lower == "latin1" ||
           Lower == "latin-1" || Lower == "windows-1252" || Lower == "cp1252" ||
           Lower == "us-ascii" || Lower == "ascii";
}

// Owns one conversion descriptor.
class TIconv {
  public:
    explicit TIconv(const std::string& From) : Cd_(::iconv_open("UTF-8", From.c_str())) {}
    ~TIconv() {
        if (Ok()) ::iconv_close(Cd_);
    }
    TIconv(const TIconv&) = delete;
    TIconv& operator=(const TIconv&) = delete;
    bool Ok() const { return Cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t Get() const { return Cd_; }

  private:
    iconv_t Cd_;
};

} // namespace

bool IsAscii(std::string_view S) {
    for (unsigned char C : S)
        if (C >= 0x80) return false;
    return true;
}

bool IsValidUtf8(std::string_view S) {
    std::size_t I = 0;
    const std::size_t N = S.size();
    while (I < N) {
        const auto C = static_cast<unsigned char>(S[I]);
        if (C < 0x80) {
            ++I;
            continue;
        }
        std::size_t Len;
        std::uint32_t Cp;
        if ((C & 0xE0) == 0xC0) {
            Len = 2;
            Cp = C & 0x1F;
        } else if ((C & 0xF0) == 0xE0) {
            Len = 3;
            Cp = C & 0x0F;
        } else if ((C & 0xF8) == 0xF0) {
            Len = 4;
            Cp = C & 0x07;
        } else {
            return false;
        }
        if (N - I < Len) return false;
        for (std::size_t K = 1; K < Len; ++K) {
            const auto X = static_cast<unsigned char>(S[I + K]);
            if ((X & 0xC0) != 0x80) return false;
            Cp = (Cp << 6) | (X & 0x3F);
        }
        // Overlong forms, surrogates and values beyond Unicode are no UTF-8.
        static constexpr std::uint32_t Min[] = {0, 0, 0x80, 0x800, 0x10000};
        if (Cp < Min[Len] || Cp > 0x10FFFF || (Cp >= 0xD800 && Cp <= 0xDFFF)) return false;
        I += Len;
    }
    return true;
}

std::string QuotedPrintableDecode(std::string_view S) {
    std::string Out;
    Out.reserve(S.size());
    std::size_t I = 0;
    const std::size_t N = S.size();
    while (I < N) {
        // One line at a time, without its line end.
        std::size_t E = S.find('\n', I);
        const bool HasEnd = E != std::string_view::npos;
        if (!HasEnd) E = N;
        std::size_t LineEnd = E;
        if (LineEnd > I && S[LineEnd - 1] == '\r') --LineEnd;
        std::size_t Last = LineEnd;
        while (Last > I && (S[Last - 1] == ' ' || S[Last - 1] == '\t'))
            --Last;
        bool Soft = false;
        for (std::size_t K = I; K < Last; ++K) {
            const char C = S[K];
            if (C != '=') {
                Out += C;
                continue;
            }
            if (K + 1 == Last) {
                Soft = true;
                break;
            }
            const int Hi = K + 2 < Last ? HexValue(S[K + 1]) : -1;
            const int Lo = K + 2 < Last ? HexValue(S[K + 2]) : -1;
            if (Hi >= 0 && Lo >= 0) {
                Out += static_cast<char>(Hi * 16 + Lo);
                K += 2;
            } else {
                Out += '=';
            }
        }
        if (HasEnd && !Soft) Out += "\r\n";
        I = HasEnd ? E + 1 : N;
    }
    return Out;
}

std::string QuotedPrintableEncodeLine(std::string_view Line) {
    std::string Out;
    std::size_t Col = 0;
    auto Put = [&](std::string_view Piece) {
        // A soft break keeps every encoded line within 76 characters, the "=" included.
        if (Col + Piece.size() > 75) {
            Out += "=\r\n";
            Col = 0;
        }
        Out += Piece;
        Col += Piece.size();
    };
    for (std::size_t I = 0; I < Line.size(); ++I) {
        const auto C = static_cast<unsigned char>(Line[I]);
        const bool AtEnd = I + 1 == Line.size();
        const bool Literal =
            (C >= 33 && C <= 126 && C != '=') || ((C == ' ' || C == '\t') && !AtEnd);
        if (Literal) {
            const char Ch = static_cast<char>(C);
            Put(std::string_view(&Ch, 1));
        } else {
            const char Esc[3] = {'=', Hex[C >> 4], Hex[C & 15]};
            Put(std::string_view(Esc, 3));
        }
    }
    return Out;
}

std::string Base64DecodeText(std::string_view S) {
    static constexpr auto Table = [] {
        std::array<std::int8_t, 256> T{};
        for (auto& V : T)
            V = -1;
        for (int I = 0; I < 26; ++I) {
            T[static_cast<std::size_t>('A' + I)] = static_cast<std::int8_t>(I);
            T[static_cast<std::size_t>('a' + I)] = static_cast<std::int8_t>(26 + I);
        }
        for (int I = 0; I < 10; ++I)
            T[static_cast<std::size_t>('0' + I)] = static_cast<std::int8_t>(52 + I);
        T['+'] = 62;
        T['/'] = 63;
        return T;
    }();
    std::string Out;
    Out.reserve(S.size() / 4 * 3 + 3);
    std::uint32_t Acc = 0;
    int Bits = 0;
    for (unsigned char C : S) {
        if (C == '=') break;
        const int V = Table[C];
        if (V < 0) continue;
        Acc = (Acc << 6) | static_cast<std::uint32_t>(V);
        Bits += 6;
        if (Bits >= 8) {
            Bits -= 8;
            Out += static_cast<char>((Acc >> Bits) & 0xFF);
        }
    }
    return Out;
}

std::string Base64Encode(std::string_view S) {
    static constexpr char A[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string Out;
    Out.reserve((S.size() + 2) / 3 * 4);
    std::size_t I = 0;
    for (; I + 3 <= S.size(); I += 3) {
        const std::uint32_t V = (std::uint32_t(static_cast<unsigned char>(S[I])) << 16) |
                                (std::uint32_t(static_cast<unsigned char>(S[I + 1])) << 8) |
                                static_cast<unsigned char>(S[I + 2]);
        Out += A[V >> 18];
        Out += A[(V >> 12) & 63];
        Out += A[(V >> 6) & 63];
        Out += A[V & 63];
    }
    if (I < S.size()) {
        const std::uint32_t V =
            (std::uint32_t(static_cast<unsigned char>(S[I])) << 16) |
            (I + 1 < S.size() ? std::uint32_t(static_cast<unsigned char>(S[I + 1])) << 8 : 0);
        Out += A[V >> 18];
        Out += A[(V >> 12) & 63];
        Out += I + 1 < S.size() ? A[(V >> 6) & 63] : '=';
        Out += '=';
    }
    return Out;
}

std::string ToUtf8(std::string_view Text, std::string_view Charset) {
    const std::string Lower = LowerAscii(Charset);
    if (IsUtf8OrAscii(Lower) || IsAscii(Text)) return std::string(Text);
    if (IsLatinFamily(Lower) && IsValidUtf8(Text)) return std::string(Text);
    TIconv Cd(Lower);
    if (!Cd.Ok()) return std::string(Text);
    std::string Out;
    Out.reserve(Text.size() * 2);
    // iconv takes a non-const input pointer on some systems; it never writes through it.
    char* In = const_cast<char*>(Text.data());
    std::size_t InLeft = Text.size();
    char Buf[4096];
    while (InLeft > 0) {
        char* O = Buf;
        std::size_t OutLeft = sizeof Buf;
        const std::size_t R = ::iconv(Cd.Get(), &In, &InLeft, &O, &OutLeft);
        Out.append(Buf, static_cast<std::size_t>(O - Buf));
        if (R != static_cast<std::size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // An invalid or cut-off sequence: one replacement character, then on with the next byte.
        Out += "\xEF\xBF\xBD";
        ++In;
        --InLeft;
        ::iconv(Cd.Get(), nullptr, nullptr, nullptr, nullptr);
    }
    // Stateful charsets may have a shift sequence left to write.
    char* O = Buf;
    std::size_t OutLeft = sizeof Buf;
    ::iconv(Cd.Get(), nullptr, nullptr, &O, &OutLeft);
    Out.append(Buf, static_cast<std::size_t>(O - Buf));
    return Out;
}

} // namespace qel::mimetext
