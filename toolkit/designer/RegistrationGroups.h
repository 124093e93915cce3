#pragma once
// Every palette, property-editor and component-editor registration belongs to the
// registration group that is current when it is made. The designer opens one per package it
// loads, so a package's entries can be taken back together.
#include "toolkit/core/Export.h"

#include <string>

QEL_PUBLIC_BEGIN

namespace qel {

int CurrentRegistrationGroup();
// Makes a new group current and returns it; entries made from now on belong to it.
int BeginRegistrationGroup(const std::string& Name);
void EndRegistrationGroup(); // back to the group that was current before
// Removes every entry of the group (palette classes, property and component editors).
void FreeRegistrationGroup(int Group);

} // namespace qel

QEL_PUBLIC_END
