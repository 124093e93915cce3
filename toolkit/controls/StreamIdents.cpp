// Colour names in form files (clBtnFace …) are read and written through the core's ident
// hooks; the controls are the first layer that streams colours, so the names are installed
// when the toolkit library loads.
#include "toolkit/core/IdentMap.h"
#include "toolkit/graphics/Colors.h"

namespace qel {

namespace {
const bool ColorIdentsInstalled = [] {
    TIdentMapHooks H;
    H.IdentToInt = [](std::string_view Ident, std::int64_t& Value) {
        TColor C;
        if (!IdentToColor(Ident, C)) return false;
        Value = static_cast<std::int32_t>(C);
        return true;
    };
    H.IntToIdent = [](std::int64_t Value, std::string& Ident) {
        return ColorToIdent(static_cast<TColor>(Value), Ident);
    };
    RegisterColorIdents(std::move(H));
    return true;
}();
} // namespace

} // namespace qel
