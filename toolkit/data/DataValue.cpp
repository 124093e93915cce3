#include "toolkit/data/DataValue.h"

#include "toolkit/core/Exceptions.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace qel {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's civil algorithm).
std::int64_t DaysFromCivil(std::int64_t Y, unsigned M, unsigned D) {
    Y -= M <= 2;
    const std::int64_t Era = (Y >= 0 ? Y : Y - 399) / 400;
    const auto Yoe = static_cast<unsigned>(Y - Era * 400);
    const unsigned Doy = (153 * (M + (M > 2 ? -3 : 9)) + 2) / 5 + D - 1;
    const unsigned Doe = Yoe * 365 + Yoe / 4 - Yoe / 100 + Doy;
    return Era * 146097 + static_cast<std::int64_t>(Doe) - 719468;
}

void CivilFromDays(std::int64_t Z, int& Y, int& M, int& D) {
    Z += 719468;
    const std::int64_t Era = (Z >= 0 ? Z : Z - 146096) / 146097;
    const auto Doe = static_cast<unsigned>(Z - Era * 146097);
    const unsigned Yoe = (Doe - Doe / 1460 + Doe / 36524 - Doe / 146096) / 365;
    const unsigned Doy = Doe - (365 * Yoe + Yoe / 4 - Yoe / 100);
    const unsigned Mp = (5 * Doy + 2) / 153;
    D = static_cast<int>(Doy - (153 * Mp + 2) / 5 + 1);
    M = static_cast<int>(Mp < 10 ? Mp + 3 : Mp - 9);
    Y = static_cast<int>(static_cast<std::int64_t>(Yoe) + Era * 400 + (M <= 2));
}

// Day 0 of TDateTime, counted from 1970-01-01.
constexpr std::int64_t DayZero = -25569;
constexpr double MSecsPerDay = 86400000.0;

bool Digits(std::string_view S, std::size_t Pos, std::size_t N, int& Out) {
    if (Pos + N > S.size()) return false;
    int V = 0;
    for (std::size_t I = Pos; I < Pos + N; ++I) {
        if (S[I] < '0' || S[I] > '9') return false;
        V = V * 10 + (S[I] - '0');
    }
    Out = V;
    return true;
}

} // namespace

TDateTime EncodeDateTime(int Year, int Month, int Day, int Hour, int Min, int Sec, int MSec) {
    const auto Days = DaysFromCivil(Year, static_cast<unsigned>(Month), static_cast<unsigned>(Day));
    const double Time = ((Hour * 60.0 + Min) * 60.0 + Sec) * 1000.0 + MSec;
    return static_cast<double>(Days - DayZero) + Time / MSecsPerDay;
}

TDateTimeParts DecodeDateTime(TDateTime T) {
    // Milliseconds are rounded first so that 23:59:59.9996 becomes the next day, not 24:00.
    const auto Total = static_cast<std::int64_t>(std::llround(T * MSecsPerDay));
    std::int64_t Days = Total / 86400000, Ms = Total % 86400000;
    if (Ms < 0) {
        Ms += 86400000;
        --Days;
    }
    TDateTimeParts P{};
    CivilFromDays(Days + DayZero, P.Year, P.Month, P.Day);
    P.MSec = static_cast<int>(Ms % 1000);
    P.Sec = static_cast<int>(Ms / 1000 % 60);
    P.Min = static_cast<int>(Ms / 60000 % 60);
    P.Hour = static_cast<int>(Ms / 3600000);
    return P;
}

std::optional<TDateTime> ParseIsoDateTime(std::string_view S) {
    int Y, M, D, H = 0, N = 0, Sec = 0, Ms = 0;
    if (!Digits(S, 0, 4, Y) || S.size() < 10 || S[4] != '-' || !Digits(S, 5, 2, M) || S[7] != '-' ||
        !Digits(S, 8, 2, D))
        return std::nullopt;
    std::size_t Pos = 10;
    if (Pos < S.size() && (S[Pos] == ' ' || S[Pos] == 'T')) {
        if (!Digits(S, Pos + 1, 2, H) || Pos + 3 >= S.size() || S[Pos + 3] != ':' ||
            !Digits(S, Pos + 4, 2, N))
            return std::nullopt;
        Pos += 6;
        if (Pos < S.size() && S[Pos] == ':') {
            if (!Digits(S, Pos + 1, 2, Sec)) return std::nullopt;
            Pos += 3;
            if (Pos < S.size() && S[Pos] == '.') {
                // Fractions beyond milliseconds are dropped.
                std::size_t I = Pos + 1;
                int Scale = 100;
                while (I < S.size() && S[I] >= '0' && S[I] <= '9') {
                    Ms += (S[I] - '0') * Scale;
                    Scale /= 10;
                    ++I;
                }
                Pos = I;
            }
        }
    }
    if (Pos != S.size()) return std::nullopt;
    if (M < 1 || M > 12 || D < 1 || D > 31 || H > 23 || N > 59 || Sec > 59) return std::nullopt;
    return EncodeDateTime(Y, M, D, H, N, Sec, Ms);
}

std::string IsoDateTime(TDateTime T) {
    const TDateTimeParts P = DecodeDateTime(T);
    char Buf[40];
    if (P.Hour == 0 && P.Min == 0 && P.Sec == 0 && P.MSec == 0)
        std::snprintf(Buf, sizeof Buf, "%04d-%02d-%02d", P.Year, P.Month, P.Day);
    else if (P.MSec == 0)
        std::snprintf(Buf, sizeof Buf, "%04d-%02d-%02d %02d:%02d:%02d", P.Year, P.Month, P.Day,
                      P.Hour, P.Min, P.Sec);
    else
        std::snprintf(Buf, sizeof Buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", P.Year, P.Month, P.Day,
                      P.Hour, P.Min, P.Sec, P.MSec);
    return Buf;
}

std::int64_t StrToInt64(std::string_view S) {
    std::int64_t V = 0;
    const char* End = S.data() + S.size();
    auto [P, Ec] = std::from_chars(S.data(), End, V);
    if (S.empty() || Ec != std::errc() || P != End)
        throw EConvertError("'" + std::string(S) + "' is not a valid integer value");
    return V;
}

double StrToFloat(std::string_view S) {
    double V = 0;
    const char* End = S.data() + S.size();
    auto [P, Ec] = std::from_chars(S.data(), End, V);
    if (S.empty() || Ec != std::errc() || P != End)
        throw EConvertError("'" + std::string(S) + "' is not a valid floating point value");
    return V;
}

std::string FloatToStr(double V) {
    char Buf[64];
    auto [P, Ec] = std::to_chars(Buf, Buf + sizeof Buf, V);
    (void)Ec;
    return std::string(Buf, P);
}

} // namespace qel
