#pragma once
// Identifier rules of components and form files; the case-insensitive comparisons they use live
// with the other text helpers.
#include "toolkit/core/Export.h"
#include "toolkit/core/TextUtils.h"

#include <string_view>

QEL_PUBLIC_BEGIN

namespace qel {

// Letter or underscore first, then letters, digits and underscores.
bool IsValidIdent(std::string_view S);

} // namespace qel

QEL_PUBLIC_END
