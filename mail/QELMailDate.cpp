#include "mail/QELMailDate.h"

#include "toolkit/core/TextUtils.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace qel::maildate {

namespace {

const char* const Days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const Months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool IsDigit(char C) {
    return C >= '0' && C <= '9';
}
bool IsAlpha(char C) {
    return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z');
}

// Offsets in minutes of the zone names of RFC 822; military letters mean nothing reliable
// and count as UTC, as RFC 5322 advises.
bool ZoneName(const std::string& U, int& Minutes) {
    static const struct {
        const char* Name;
        int Hours;
    } Zones[] = {{"UT", 0},   {"UTC", 0},  {"GMT", 0},  {"Z", 0},    {"EST", -5}, {"EDT", -4},
                 {"CST", -6}, {"CDT", -5}, {"MST", -7}, {"MDT", -6}, {"PST", -8}, {"PDT", -7}};
    for (const auto& Z : Zones)
        if (U == Z.Name) {
            Minutes = Z.Hours * 60;
            return true;
        }
    if (U.size() == 1 && U[0] >= 'A' && U[0] <= 'Z' && U[0] != 'J') {
        Minutes = 0;
        return true;
    }
    return false;
}

int DaysFromCivil(long long Y, unsigned M, unsigned D) {
    Y -= M <= 2;
    const long long Era = (Y >= 0 ? Y : Y - 399) / 400;
    const unsigned Yoe = static_cast<unsigned>(Y - Era * 400);
    const unsigned Doy = (153 * (M + (M > 2 ? -3 : 9)) + 2) / 5 + D - 1;
    const unsigned Doe = Yoe * 365 + Yoe / 4 - Yoe / 100 + Doy;
    return static_cast<int>(Era * 146097 + static_cast<long long>(Doe) - 719468);
}

} // namespace

std::string InternetDate(std::time_t When) {
    std::tm T{};
    ::localtime_r(&When, &T);
    const long Off = T.tm_gmtoff / 60;
    const long AbsOff = Off < 0 ? -Off : Off;
    char B[64];
    std::snprintf(B, sizeof B, "%s, %02d %s %04d %02d:%02d:%02d %c%02ld%02ld", Days[T.tm_wday % 7],
                  T.tm_mday, Months[T.tm_mon % 12], T.tm_year + 1900, T.tm_hour, T.tm_min, T.tm_sec,
                  Off < 0 ? '-' : '+', AbsOff / 60, AbsOff % 60);
    return B;
}

bool ParseMailDate(std::string_view S, std::time_t& When) {
    int Month = -1, Day = -1, Year = -1, Hour = 0, Min = 0, Sec = 0;
    bool HaveTime = false, HaveZone = false, Pm = false, Am = false;
    int ZoneMinutes = 0;
    int Depth = 0;
    std::size_t I = 0;
    while (I < S.size()) {
        const char C = S[I];
        // Comments, as in "+0000 (UTC)", say nothing more.
        if (C == '(') {
            ++Depth;
            ++I;
            continue;
        }
        if (C == ')') {
            if (Depth > 0) --Depth;
            ++I;
            continue;
        }
        if (Depth > 0) {
            ++I;
            continue;
        }
        if ((C == '+' || C == '-') && I + 4 < S.size() && IsDigit(S[I + 1]) && IsDigit(S[I + 2]) &&
            IsDigit(S[I + 3]) && IsDigit(S[I + 4]) && !HaveZone && HaveTime) {
            const int V = std::atoi(std::string(S.substr(I + 1, 4)).c_str());
            if (V / 100 > 23 || V % 100 > 59) return false;
            ZoneMinutes = (V / 100) * 60 + V % 100;
            if (C == '-') ZoneMinutes = -ZoneMinutes;
            HaveZone = true;
            I += 5;
            continue;
        }
        if (IsDigit(C)) {
            std::size_t E = I;
            while (E < S.size() && IsDigit(S[E]) && E - I < 9)
                ++E;
            const int V = std::atoi(std::string(S.substr(I, E - I)).c_str());
            const std::size_t Digits = E - I;
            if (E < S.size() && S[E] == ':' && !HaveTime) {
                // h:mm or h:mm:ss
                int Parts[3] = {V, 0, 0};
                int Count = 1;
                std::size_t K = E;
                while (Count < 3 && K + 1 < S.size() && S[K] == ':' && IsDigit(S[K + 1])) {
                    std::size_t D = K + 1;
                    while (D < S.size() && IsDigit(S[D]) && D - K - 1 < 2)
                        ++D;
                    Parts[Count++] = std::atoi(std::string(S.substr(K + 1, D - K - 1)).c_str());
                    K = D;
                }
                if (Count < 2) return false;
                Hour = Parts[0];
                Min = Parts[1];
                Sec = Parts[2];
                HaveTime = true;
                I = K;
                continue;
            }
            if (Day < 0 && Digits <= 2 && V >= 1 && V <= 31)
                Day = V;
            else if (Year < 0 && (Digits == 4 || Digits == 2 || Digits == 3))
                Year = Digits == 2 ? (V < 50 ? 2000 + V : 1900 + V) : (Digits == 3 ? 1900 + V : V);
            else
                return false;
            I = E;
            continue;
        }
        if (IsAlpha(C)) {
            std::size_t E = I;
            while (E < S.size() && IsAlpha(S[E]))
                ++E;
            const std::string W = UpperCase(S.substr(I, E - I));
            I = E;
            if (W == "AM") {
                Am = true;
                continue;
            }
            if (W == "PM") {
                Pm = true;
                continue;
            }
            if (W.size() >= 3 && Month < 0) {
                bool IsMonth = false;
                for (int M = 0; M < 12; ++M)
                    if (W.compare(0, 3, UpperCase(Months[M])) == 0) {
                        Month = M;
                        IsMonth = true;
                        break;
                    }
                if (IsMonth) continue;
            }
            int Z = 0;
            if (HaveTime && !HaveZone && ZoneName(W, Z)) {
                ZoneMinutes = Z;
                HaveZone = true;
            }
            // Day names and other words are ignored.
            continue;
        }
        ++I;
    }
    if (Month < 0 || Day < 0 || Year < 0) return false;
    if (Am || Pm) {
        if (Hour < 1 || Hour > 12) return false;
        Hour = Hour % 12 + (Pm ? 12 : 0);
    }
    if (Year < 1900 || Year > 9999 || Hour > 23 || Min > 59 || Sec > 60) return false;
    static const int MonthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (Day > MonthDays[Month]) return false;
    if (!HaveZone) {
        std::tm T{};
        T.tm_year = Year - 1900;
        T.tm_mon = Month;
        T.tm_mday = Day;
        T.tm_hour = Hour;
        T.tm_min = Min;
        T.tm_sec = Sec;
        T.tm_isdst = -1;
        When = std::mktime(&T);
        return When != static_cast<std::time_t>(-1);
    }
    const long long DaysSinceEpoch =
        DaysFromCivil(Year, static_cast<unsigned>(Month + 1), static_cast<unsigned>(Day));
    When = static_cast<std::time_t>(DaysSinceEpoch * 86400LL + Hour * 3600LL + Min * 60LL + Sec -
                                    ZoneMinutes * 60LL);
    return true;
}

} // namespace qel::maildate
