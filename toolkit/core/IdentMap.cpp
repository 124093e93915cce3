#include "toolkit/core/IdentMap.h"

#include <mutex>

namespace qel {

namespace {
std::mutex& HookMutex() {
    static std::mutex M;
    return M;
}
TIdentMapHooks& ColorHooks() {
    static TIdentMapHooks H;
    return H;
}
} // namespace

void RegisterColorIdents(TIdentMapHooks Hooks) {
    std::lock_guard<std::mutex> L(HookMutex());
    ColorHooks() = std::move(Hooks);
}

bool ColorIdentToInt(std::string_view Ident, std::int64_t& Value) {
    TIdentMapHooks H;
    {
        std::lock_guard<std::mutex> L(HookMutex());
        H = ColorHooks();
    }
    return H.IdentToInt && H.IdentToInt(Ident, Value);
}

bool ColorIntToIdent(std::int64_t Value, std::string& Ident) {
    TIdentMapHooks H;
    {
        std::lock_guard<std::mutex> L(HookMutex());
        H = ColorHooks();
    }
    return H.IntToIdent && H.IntToIdent(Value, Ident);
}

} // namespace qel
