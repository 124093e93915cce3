#pragma once
// Entry point of the mail package. Calling it makes sure the package library is loaded, so
// the static registrations of all its classes have run (tools that create components by class
// name call it first).
#include "toolkit/core/Export.h"

QEL_PUBLIC_BEGIN

namespace qel {

void RegisterCorvex40Classes();

} // namespace qel

QEL_PUBLIC_END
