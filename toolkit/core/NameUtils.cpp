#include "toolkit/core/NameUtils.h"

namespace qel {

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
