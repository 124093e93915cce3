#include "toolkit/core/Parser.h"

#include "toolkit/core/Exceptions.h"
#include "toolkit/core/Filer.h"
#include "toolkit/core/NameUtils.h"
#include "toolkit/core/Utf8.h"

#include <charconv>
#include <cmath>

namespace qel {

namespace {
bool IsAlpha(char C) {
    return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_';
}
bool IsDigit(char C) {
    return C >= '0' && C <= '9';
}
int HexValue(char C) {
    if (C >= '0' && C <= '9') return C - '0';
    if (C >= 'A' && C <= 'F') return C - 'A' + 10;
    if (C >= 'a' && C <= 'f') return C - 'a' + 10;
    return -1;
}
} // namespace

TParser::TParser(std::string_view Text) : Text_(Text) {
    // A UTF-8 byte order mark is not part of the form.
    if (Text_.substr(0, 3) == "\xEF\xBB\xBF") Pos_ = 3;
    NextToken();
}

void TParser::Error(const std::string& Message) const {
    throw EParserError(Message + " on line " + std::to_string(TokenLine_));
}

bool TParser::TokenSymbolIs(std::string_view S) const {
    return Token_ == toSymbol && SameText(TokenString_, S);
}

void TParser::CheckToken(TToken T) {
    if (Token_ == T) return;
    switch (T) {
    case toSymbol:
        Error("Identifier expected");
    case toString:
        Error("String expected");
    case toInteger:
    case toFloat:
        Error("Number expected");
    default:
        Error(std::string("'") + static_cast<char>(T) + "' expected");
    }
}

void TParser::CheckTokenSymbol(std::string_view S) {
    if (!TokenSymbolIs(S)) Error("'" + std::string(S) + "' expected");
}

void TParser::SkipBlanks() {
    while (Pos_ < Text_.size()) {
        char C = Text_[Pos_];
        if (C == '\n') {
            ++Line_;
        } else if (C != ' ' && C != '\t' && C != '\r' && C != '\f') {
            return;
        }
        ++Pos_;
    }
}

TToken TParser::NextToken() {
    SkipBlanks();
    TokenLine_ = Line_;
    TokenString_.clear();
    if (Pos_ >= Text_.size()) return Token_ = toEOF;
    char C = Text_[Pos_];
    if (IsAlpha(C)) {
        std::size_t Start = Pos_;
        while (Pos_ < Text_.size() && (IsAlpha(Text_[Pos_]) || IsDigit(Text_[Pos_])))
            ++Pos_;
        if (Pos_ - Start > 255) Error("Identifier longer than 255 characters");
        TokenString_.assign(Text_.substr(Start, Pos_ - Start));
        return Token_ = toSymbol;
    }
    if (C == '\'' || C == '#') {
        ScanString();
        return Token_ = toString;
    }
    if (IsDigit(C) || C == '$' ||
        (C == '-' && Pos_ + 1 < Text_.size() &&
         (IsDigit(Text_[Pos_ + 1]) || Text_[Pos_ + 1] == '$'))) {
        ScanNumber();
        return Token_;
    }
    switch (C) {
    case '=':
    case ':':
    case '[':
    case ']':
    case ',':
    case '(':
    case ')':
    case '{':
    case '}':
    case '<':
    case '>':
    case '+':
    case '.':
    case '-':
        ++Pos_;
        TokenString_.assign(1, C);
        return Token_ = static_cast<TToken>(C);
    default:
        break;
    }
    auto U = static_cast<unsigned char>(C);
    if (U < 0x20 || U >= 0x7F) Error("Invalid character #" + std::to_string(U));
    Error(std::string("Invalid character '") + C + "'");
}

void TParser::ScanString() {
    std::string& S = TokenString_;
    auto Grow = [&](std::size_t N) {
        if (static_cast<std::int64_t>(S.size() + N) > kMaxFormString)
            Error("String longer than " + std::to_string(kMaxFormString) + " bytes");
    };
    for (;;) {
        if (Pos_ >= Text_.size()) return;
        char C = Text_[Pos_];
        if (C == '\'') {
            ++Pos_;
            for (;;) {
                // Copy runs of ordinary characters at once.
                std::size_t Start = Pos_;
                while (Pos_ < Text_.size() && Text_[Pos_] != '\'' && Text_[Pos_] != '\n' &&
                       Text_[Pos_] != '\r' && static_cast<unsigned char>(Text_[Pos_]) < 0x80)
                    ++Pos_;
                Grow(Pos_ - Start);
                S.append(Text_.substr(Start, Pos_ - Start));
                if (Pos_ >= Text_.size() || Text_[Pos_] == '\n' || Text_[Pos_] == '\r')
                    Error("Unterminated string");
                if (static_cast<unsigned char>(Text_[Pos_]) >= 0x80) {
                    std::size_t P = Pos_;
                    std::uint32_t CP;
                    if (!NextCodePoint(Text_, P, CP)) Error("Invalid UTF-8 in string");
                    Grow(P - Pos_);
                    S.append(Text_.substr(Pos_, P - Pos_));
                    Pos_ = P;
                    continue;
                }
                // A quote: doubled means one quote character, single ends this part.
                if (Pos_ + 1 < Text_.size() && Text_[Pos_ + 1] == '\'') {
                    Grow(1);
                    S += '\'';
                    Pos_ += 2;
                    continue;
                }
                ++Pos_;
                break;
            }
        } else if (C == '#') {
            ++Pos_;
            std::uint32_t CP = 0;
            std::size_t Start = Pos_;
            if (Pos_ < Text_.size() && Text_[Pos_] == '$') {
                ++Pos_;
                while (Pos_ < Text_.size() && HexValue(Text_[Pos_]) >= 0) {
                    CP = CP * 16 + static_cast<std::uint32_t>(HexValue(Text_[Pos_++]));
                    if (CP > 0x10FFFF) Error("Character code out of range");
                }
            } else {
                while (Pos_ < Text_.size() && IsDigit(Text_[Pos_])) {
                    CP = CP * 10 + static_cast<std::uint32_t>(Text_[Pos_++] - '0');
                    if (CP > 0x10FFFF) Error("Character code out of range");
                }
            }
            if (Pos_ == Start || (Pos_ == Start + 1 && Text_[Start] == '$'))
                Error("Character code expected after #");
            if (CP >= 0xD800 && CP <= 0xDFFF) Error("Character code is a lone surrogate");
            Grow(4);
            AppendUtf8(S, CP);
        } else {
            return;
        }
    }
}

void TParser::ScanNumber() {
    std::size_t Start = Pos_;
    bool Neg = false;
    if (Text_[Pos_] == '-') {
        Neg = true;
        ++Pos_;
    }
    FloatSuffix_ = 0;
    if (Text_[Pos_] == '$') {
        ++Pos_;
        std::uint64_t V = 0;
        std::size_t DigitsStart = Pos_;
        while (Pos_ < Text_.size() && HexValue(Text_[Pos_]) >= 0) {
            if (V >> 60) Error("Integer out of range");
            V = V * 16 + static_cast<std::uint64_t>(HexValue(Text_[Pos_++]));
        }
        if (Pos_ == DigitsStart) Error("Hexadecimal digits expected after $");
        // Two's complement through unsigned arithmetic: -$8000000000000000 is the minimum.
        TokenInt_ = static_cast<std::int64_t>(Neg ? 0 - V : V);
        TokenString_.assign(Text_.substr(Start, Pos_ - Start));
        Token_ = toInteger;
        return;
    }
    while (Pos_ < Text_.size() && IsDigit(Text_[Pos_]))
        ++Pos_;
    bool IsFloat = false;
    if (Pos_ + 1 < Text_.size() && Text_[Pos_] == '.' && IsDigit(Text_[Pos_ + 1])) {
        IsFloat = true;
        ++Pos_;
        while (Pos_ < Text_.size() && IsDigit(Text_[Pos_]))
            ++Pos_;
    }
    if (Pos_ < Text_.size() && (Text_[Pos_] == 'e' || Text_[Pos_] == 'E')) {
        std::size_t P = Pos_ + 1;
        if (P < Text_.size() && (Text_[P] == '+' || Text_[P] == '-')) ++P;
        if (P < Text_.size() && IsDigit(Text_[P])) {
            IsFloat = true;
            Pos_ = P;
            while (Pos_ < Text_.size() && IsDigit(Text_[Pos_]))
                ++Pos_;
        }
    }
    TokenString_.assign(Text_.substr(Start, Pos_ - Start));
    if (Pos_ < Text_.size()) {
        char S = Text_[Pos_];
        if (S == 's' || S == 'S' || S == 'c' || S == 'C' || S == 'd' || S == 'D') {
            if (!(Pos_ + 1 < Text_.size() &&
                  (IsAlpha(Text_[Pos_ + 1]) || IsDigit(Text_[Pos_ + 1])))) {
                FloatSuffix_ = static_cast<char>(S | 0x20);
                IsFloat = true;
                ++Pos_;
            }
        }
    }
    if (Pos_ < Text_.size() && (IsAlpha(Text_[Pos_]) || IsDigit(Text_[Pos_])))
        Error("Invalid number " + TokenString_ + Text_[Pos_]);
    const char* B = TokenString_.data();
    const char* E = B + TokenString_.size();
    if (!IsFloat) {
        auto R = std::from_chars(B, E, TokenInt_);
        if (R.ec != std::errc() || R.ptr != E) Error("Integer " + TokenString_ + " out of range");
        Token_ = toInteger;
        return;
    }
    auto R = std::from_chars(B, E, TokenFloat_);
    if (R.ec != std::errc() || R.ptr != E || !std::isfinite(TokenFloat_))
        Error("Invalid float " + TokenString_);
    if (FloatSuffix_ == 'c') {
        // Exact decimal scaling: currency has four decimal places.
        std::string_view T(TokenString_);
        bool N = !T.empty() && T[0] == '-';
        if (N) T.remove_prefix(1);
        if (T.find_first_of("eE") != std::string_view::npos)
            Error("Currency " + TokenString_ + " must be written without an exponent");
        auto Dot = T.find('.');
        std::string_view IntPart = T.substr(0, Dot);
        std::string_view Frac =
            Dot == std::string_view::npos ? std::string_view() : T.substr(Dot + 1);
        if (Frac.size() > 4) Error("Currency " + TokenString_ + " has more than four decimals");
        // Whole units and ten-thousandths together must fit in 64 bits, one more below zero.
        const std::uint64_t Limit = static_cast<std::uint64_t>(INT64_MAX) + (N ? 1 : 0);
        std::uint64_t V = 0;
        for (char D : IntPart) {
            V = V * 10 + static_cast<std::uint64_t>(D - '0');
            if (V > Limit / 10000) Error("Currency " + TokenString_ + " out of range");
        }
        std::uint64_t F = 0;
        for (std::size_t I = 0; I < 4; ++I)
            F = F * 10 + static_cast<std::uint64_t>(I < Frac.size() ? Frac[I] - '0' : 0);
        V = V * 10000 + F;
        if (V > Limit) Error("Currency " + TokenString_ + " out of range");
        TokenCurrency_ = static_cast<std::int64_t>(N ? 0 - V : V);
    }
    Token_ = toFloat;
}

std::string TParser::HexToBinary(std::int64_t Limit) {
    // Called with the current token '{'; scans raw characters up to '}'.
    std::string Out;
    int Hi = -1;
    for (;;) {
        if (Pos_ >= Text_.size()) Error("Unterminated binary data, '}' expected");
        char C = Text_[Pos_++];
        if (C == '}') break;
        if (C == '\n') {
            ++Line_;
            continue;
        }
        if (C == ' ' || C == '\t' || C == '\r') continue;
        int V = HexValue(C);
        if (V < 0) {
            TokenLine_ = Line_;
            Error("Invalid hexadecimal digit in binary data");
        }
        if (Hi < 0) {
            Hi = V;
        } else {
            if (static_cast<std::int64_t>(Out.size()) >= Limit)
                Error("Binary data longer than " + std::to_string(Limit) + " bytes");
            Out += static_cast<char>(Hi * 16 + V);
            Hi = -1;
        }
    }
    if (Hi >= 0) Error("Odd number of hexadecimal digits in binary data");
    NextToken();
    return Out;
}

} // namespace qel
