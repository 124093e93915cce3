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

} // namespace qel
