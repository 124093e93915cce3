#include "toolkit/controls/WindowClasses.h"

#include "toolkit/core/TextUtils.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>

namespace qel {

namespace {
std::map<std::string, TWindowClassInfo>& Classes() {
    static std::map<std::string, TWindowClassInfo> M;
    return M;
}
} // namespace

void RegisterWindowClass(const std::string& Name, TWindowClassInfo Info) {
    Classes()[UpperCase(Name)] = std::move(Info);
}

const TWindowClassInfo* FindWindowClassInfo(const std::string& Name) {
    auto& M = Classes();
    if (M.empty()) return nullptr;
    auto It = M.find(UpperCase(Name));
    return It == M.end() ? nullptr : &It->second;
}

const TWindowClassProc* FindWindowClass(const std::string& Name) {
    const TWindowClassInfo* I = FindWindowClassInfo(Name);
    return I && I->Proc ? &I->Proc : nullptr;
}

} // namespace qel
