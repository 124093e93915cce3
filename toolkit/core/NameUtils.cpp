#include "toolkit/core/NameUtils.h"

namespace qel {

static char Lower(char C) {
    return C >= 'A' && C <= 'Z' ? static_cast<char>(C - 'A' + 'a') : C;
}

bool SameText(std::string_view A, std::string_view B) {
    if (A.size() != B.size()) return false;
    for (std::size_t I = 0; I < A.size(); ++I)
        if (Lower(A[I]) != Lower(B[I])) return false;
    return true;
}

std::string LowerCase(std::string_view S) {
    std::string R(S);
    for (char& C : R)
        C = Lower(C);
    return R;
}

int CompareText(std::string_view A, std::string_view B) {
    std::size_t N = A.size() < B.size() ? A.size() : B.size();
    for (std::size_t I = 0; I < N; ++I) {
        auto X = static_cast<unsigned char>(Lower(A[I]));
        auto Y = static_cast<unsigned char>(Lower(B[I]));
        if (X != Y) return X < Y ? -1 : 1;
    }
    return A.size() == B.size() ? 0 : (A.size() < B.size() ? -1 : 1);
}

bool IsValidIdent(std::string_view S) {
    if (S.empty()) return false;
    auto Alpha = [](char C) {
        return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_';
    };
    if (!Alpha(S[0])) return false;
    for (char C : S)
        if (!Alpha(C) && !(C >= '0' && C <= '9')) return false;
    return true;
}

} // namespace qel
