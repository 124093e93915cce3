#pragma once
// Names for integer values of some property kinds (colours: clRed, clBtnFace …). The graphics
// layer registers its table; the form reader and writer use it for TPropKind::Color.
#include "toolkit/core/Export.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

QEL_PUBLIC_BEGIN

namespace qel {

struct TIdentMapHooks {
    std::function<bool(std::string_view Ident, std::int64_t& Value)> IdentToInt;
    std::function<bool(std::int64_t Value, std::string& Ident)> IntToIdent;
};

void RegisterColorIdents(TIdentMapHooks Hooks);
bool ColorIdentToInt(std::string_view Ident, std::int64_t& Value);
bool ColorIntToIdent(std::int64_t Value, std::string& Ident);

} // namespace qel

QEL_PUBLIC_END
