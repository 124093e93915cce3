#include "toolkit/graphics/Resources.h"

#include "toolkit/core/TextUtils.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>

namespace qel {

namespace {

struct TRegistry {
    std::mutex Lock;
    std::map<std::string, TResourceModule> Modules;      // upper-case name -> id
    std::multimap<std::string, TResourceData> Resources; // upper-case name -> data
};

TRegistry& Registry() {
    static TRegistry R;
    return R;
}

TResourceModule ModuleIdLocked(TRegistry& R, const std::string& Upper) {
    auto It = R.Modules.find(Upper);
    if (It != R.Modules.end()) return It->second;
    const TResourceModule Id = R.Modules.size() + 1;
    R.Modules.emplace(Upper, Id);
    return Id;
}

} // namespace

TResourceModule ResourceModule(std::string_view ModuleName) {
    TRegistry& R = Registry();
    std::lock_guard<std::mutex> G(R.Lock);
    return ModuleIdLocked(R, UpperCase(ModuleName));
}

void RegisterResource(std::string_view ModuleName, std::string_view Name, std::string_view Type,
                      const std::uint8_t* Data, std::size_t Size) {
    TRegistry& R = Registry();
    std::lock_guard<std::mutex> G(R.Lock);
    const std::string M = UpperCase(ModuleName);
    ModuleIdLocked(R, M);
    R.Resources.emplace(UpperCase(Name),
                        TResourceData{M, UpperCase(Name), UpperCase(Type), {Data, Size}});
}

std::optional<TResourceData> FindResourceData(TResourceModule Module, std::string_view Name,
                                              std::string_view Type) {
    TRegistry& R = Registry();
    std::lock_guard<std::mutex> G(R.Lock);
    const std::string T = UpperCase(Type);
    auto [A, B] = R.Resources.equal_range(UpperCase(Name));
    for (auto It = A; It != B; ++It) {
        const TResourceData& D = It->second;
        if (Module != 0 && R.Modules[D.Module] != Module) continue;
        if (!T.empty() && D.Type != T) continue;
        return D;
    }
    return std::nullopt;
}

std::vector<TResourceData> ListResources(TResourceModule Module) {
    TRegistry& R = Registry();
    std::lock_guard<std::mutex> G(R.Lock);
    std::vector<TResourceData> Out;
    for (const auto& [Name, D] : R.Resources)
        if (Module == 0 || R.Modules[D.Module] == Module) Out.push_back(D);
    return Out;
}

} // namespace qel
