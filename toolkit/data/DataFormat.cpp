// Display formats of number and date fields.
#include "toolkit/core/TextUtils.h"
#include "toolkit/data/DataValue.h"

#include <cmath>
#include <cstdio>

namespace qel {

namespace {

// Splits at ';' outside quotes.
std::vector<std::string> Sections(std::string_view F) {
    std::vector<std::string> Out(1);
    char Quote = 0;
    for (char C : F) {
        if (Quote) {
            if (C == Quote) Quote = 0;
        } else if (C == '"' || C == '\'') {
            Quote = C;
        } else if (C == ';') {
            Out.emplace_back();
            continue;
        }
        Out.back() += C;
    }
    return Out;
}

struct TNumberPattern {
    std::string Prefix, Suffix;
    int MinInt = 0, MinDec = 0, MaxDec = 0;
    bool Thousands = false, Point = false, Digits = false;
};

TNumberPattern ParsePattern(std::string_view S) {
    TNumberPattern P;
    bool SeenDigit = false, AfterPoint = false;
    for (std::size_t I = 0; I < S.size(); ++I) {
        const char C = S[I];
        if (C == '"' || C == '\'') {
            const std::size_t End = S.find(C, I + 1);
            const std::string_view Text =
                S.substr(I + 1, (End == std::string_view::npos ? S.size() : End) - I - 1);
            (SeenDigit ? P.Suffix : P.Prefix) += Text;
            I = End == std::string_view::npos ? S.size() : End;
        } else if (C == '0' || C == '#') {
            SeenDigit = P.Digits = true;
            if (AfterPoint) {
                ++P.MaxDec;
                if (C == '0') P.MinDec = P.MaxDec;
            } else if (C == '0') {
                ++P.MinInt;
            }
        } else if (C == '.' && !AfterPoint) {
            AfterPoint = P.Point = SeenDigit = true;
        } else if (C == ',' && !AfterPoint) {
            P.Thousands = true;
        } else {
            (SeenDigit ? P.Suffix : P.Prefix) += C;
        }
    }
    return P;
}

std::string Apply(const TNumberPattern& P, double V, bool Sign) {
    char Buf[512];
    if (!P.Digits) return P.Prefix + P.Suffix;
    if (!std::isfinite(V)) return std::isnan(V) ? "NAN" : (V < 0 ? "-INF" : "INF");
    if (std::fabs(V) >= 1e300) return FloatToStr(V);
    std::snprintf(Buf, sizeof Buf, "%.*f", P.MaxDec, std::fabs(V));
    std::string Digits = Buf;
    std::string Int = Digits.substr(0, Digits.find('.'));
    std::string Dec =
        Digits.find('.') == std::string::npos ? "" : Digits.substr(Digits.find('.') + 1);
    while (static_cast<int>(Dec.size()) > P.MinDec && Dec.back() == '0')
        Dec.pop_back();
    if (Int == "0") Int.clear();
    while (static_cast<int>(Int.size()) < P.MinInt)
        Int.insert(Int.begin(), '0');
    if (P.Thousands)
        for (int I = static_cast<int>(Int.size()) - 3; I > 0; I -= 3)
            Int.insert(static_cast<std::size_t>(I), 1, ',');
    std::string Out = P.Prefix;
    // A value that rounds to zero shows no minus sign.
    const bool AllZero = Int.find_first_not_of("0,") == std::string::npos &&
                         Dec.find_first_not_of('0') == std::string::npos;
    if (Sign && V < 0 && !AllZero) Out += '-';
    Out += Int;
    if (!Dec.empty()) Out += "." + Dec;
    if (Int.empty() && Dec.empty()) Out += '0';
    return Out + P.Suffix;
}

} // namespace

std::string FormatFloat(std::string_view Format, double Value) {
    if (Format.empty()) return FloatToStr(Value);
    const auto S = Sections(Format);
    if (Value < 0 && S.size() >= 2 && !S[1].empty()) return Apply(ParsePattern(S[1]), Value, false);
    if (Value == 0 && S.size() >= 3 && !S[2].empty())
        return Apply(ParsePattern(S[2]), Value, false);
    return Apply(ParsePattern(S[0]), Value, true);
}

std::string FormatDateTime(std::string_view Format, TDateTime T) {
    if (Format.empty()) return IsoDateTime(T);
    const TDateTimeParts P = DecodeDateTime(T);
    // Day 0 of the serial dates, 30 December 1899, was a Saturday.
    const auto Days = static_cast<long long>(std::floor(T));
    const int Dow = static_cast<int>(((Days + 6) % 7 + 7) % 7);
    return FormatDateTime(
        Format, TDateTimeFields{P.Year, P.Month, P.Day, P.Hour, P.Min, P.Sec, P.MSec, Dow});
}

} // namespace qel
