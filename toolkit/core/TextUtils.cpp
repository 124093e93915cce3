#include "toolkit/core/TextUtils.h"

#include <charconv>

namespace qel {

namespace {

bool IsBlank(char C) {
    return static_cast<unsigned char>(C) <= ' ';
}

bool IsSpace(char C) {
    return C == ' ' || (C >= '\t' && C <= '\r');
}

char Lower(char C) {
    return C >= 'A' && C <= 'Z' ? static_cast<char>(C - 'A' + 'a') : C;
}

char Upper(char C) {
    return C >= 'a' && C <= 'z' ? static_cast<char>(C - 'a' + 'A') : C;
}

} // namespace

std::string_view TrimLeftView(std::string_view S) {
    while (!S.empty() && IsBlank(S.front()))
        S.remove_prefix(1);
    return S;
}

std::string_view TrimRightView(std::string_view S) {
    while (!S.empty() && IsBlank(S.back()))
        S.remove_suffix(1);
    return S;
}

std::string_view TrimView(std::string_view S) {
    return TrimRightView(TrimLeftView(S));
}

std::string_view TrimSpaceView(std::string_view S) {
    while (!S.empty() && IsSpace(S.front()))
        S.remove_prefix(1);
    while (!S.empty() && IsSpace(S.back()))
        S.remove_suffix(1);
    return S;
}

std::string UpperCase(std::string_view S) {
    std::string R(S);
    for (char& C : R)
        C = Upper(C);
    return R;
}

std::string LowerCase(std::string_view S) {
    std::string R(S);
    for (char& C : R)
        C = Lower(C);
    return R;
}

bool SameText(std::string_view A, std::string_view B) {
    if (A.size() != B.size()) return false;
    for (std::size_t I = 0; I < A.size(); ++I)
        if (Lower(A[I]) != Lower(B[I])) return false;
    return true;
}

int CompareText(std::string_view A, std::string_view B) {
    const std::size_t N = A.size() < B.size() ? A.size() : B.size();
    for (std::size_t I = 0; I < N; ++I) {
        const auto X = static_cast<unsigned char>(Lower(A[I]));
        const auto Y = static_cast<unsigned char>(Lower(B[I]));
        if (X != Y) return X < Y ? -1 : 1;
    }
    return A.size() == B.size() ? 0 : (A.size() < B.size() ? -1 : 1);
}

bool TryStrToInt(std::string_view S, int& Value) {
    // from_chars takes a minus but not a plus.
    std::string_view Digits = S;
    if (!Digits.empty() && Digits.front() == '+') {
        Digits.remove_prefix(1);
        if (!Digits.empty() && Digits.front() == '-') return false;
    }
    if (Digits.empty()) return false;
    int V = 0;
    const char* End = Digits.data() + Digits.size();
    const auto [P, Ec] = std::from_chars(Digits.data(), End, V);
    if (Ec != std::errc() || P != End) return false;
    Value = V;
    return true;
}

int StrToIntDef(std::string_view S, int Default) {
    int V = Default;
    return TryStrToInt(S, V) ? V : Default;
}

namespace {

const char* const ShortDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const LongDayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                    "Thursday", "Friday", "Saturday"};
const char* const ShortMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const LongMonthNames[] = {"January",   "February", "March",    "April",
                                      "May",       "June",     "July",     "August",
                                      "September", "October",  "November", "December"};

void AppendNumber(std::string& Out, int V, int Width) {
    std::string Digits = std::to_string(V < 0 ? -V : V);
    if (V < 0) Out += '-';
    if (static_cast<int>(Digits.size()) < Width)
        Out.append(static_cast<std::size_t>(Width) - Digits.size(), '0');
    Out += Digits;
}

// A day or month by the length of its run of letters: number, two digits, short, long name.
void AppendNumberOrName(std::string& Out, std::size_t Letters, int Number, const char* Short,
                        const char* Long) {
    if (Letters <= 2)
        AppendNumber(Out, Number, static_cast<int>(Letters));
    else
        Out += Letters == 3 ? Short : Long;
}

bool StartsWithText(std::string_view S, std::size_t At, std::string_view What) {
    return S.size() - At >= What.size() && SameText(S.substr(At, What.size()), What);
}

} // namespace

std::string FormatDateTime(std::string_view F, const TDateTimeFields& T) {
    const auto Index = [](int V, int Count) {
        return static_cast<std::size_t>(((V % Count) + Count) % Count);
    };
    const std::size_t Dow = Index(T.DayOfWeek, 7), Mon = Index(T.Month - 1, 12);
    // A 12-hour clock is used when the pattern holds an am/pm marker anywhere.
    bool Twelve = false;
    for (std::size_t I = 0; I < F.size() && !Twelve; ++I)
        Twelve = StartsWithText(F, I, "am/pm") || StartsWithText(F, I, "ampm");
    std::string Out;
    bool AfterHour = false;
    std::size_t I = 0;
    while (I < F.size()) {
        const char C = Lower(F[I]);
        if (F[I] == '"' || F[I] == '\'') {
            std::size_t E = F.find(F[I], I + 1);
            if (E == std::string_view::npos) E = F.size();
            Out.append(F.substr(I + 1, E - I - 1));
            I = E + 1;
            continue;
        }
        const bool Upper = F[I] == 'A';
        if (StartsWithText(F, I, "am/pm") || StartsWithText(F, I, "ampm")) {
            Out += T.Hour < 12 ? (Upper ? "AM" : "am") : (Upper ? "PM" : "pm");
            I += StartsWithText(F, I, "am/pm") ? 5 : 4;
            continue;
        }
        std::size_t N = 1;
        while (I + N < F.size() && Lower(F[I + N]) == C)
            ++N;
        switch (C) {
        case 'd':
            AppendNumberOrName(Out, N, T.Day, ShortDayNames[Dow], LongDayNames[Dow]);
            AfterHour = false;
            break;
        case 'm':
            if (AfterHour && N <= 2)
                AppendNumber(Out, T.Min, static_cast<int>(N));
            else
                AppendNumberOrName(Out, N, T.Month, ShortMonthNames[Mon], LongMonthNames[Mon]);
            AfterHour = false;
            break;
        case 'y':
            if (N <= 2)
                AppendNumber(Out, ((T.Year % 100) + 100) % 100, 2);
            else
                AppendNumber(Out, T.Year, 4);
            AfterHour = false;
            break;
        case 'h': {
            const int H = Twelve ? (T.Hour % 12 == 0 ? 12 : T.Hour % 12) : T.Hour;
            AppendNumber(Out, H, N >= 2 ? 2 : 1);
            AfterHour = true;
            break;
        }
        case 'n':
            AppendNumber(Out, T.Min, N >= 2 ? 2 : 1);
            AfterHour = false;
            break;
        case 's':
            AppendNumber(Out, T.Sec, N >= 2 ? 2 : 1);
            AfterHour = false;
            break;
        case 'z':
            AppendNumber(Out, T.MSec, N >= 3 ? 3 : 1);
            AfterHour = false;
            break;
        default:
            // Separators keep an hour in effect, for "h:mm".
            Out.append(F.substr(I, N));
            break;
        }
        I += N;
    }
    return Out;
}

} // namespace qel
