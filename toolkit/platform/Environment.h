#pragma once
// Where the process finds its settings and its companions: environment variables, the user's
// home and configuration folders, and the folder of the running program.
#include "toolkit/core/Export.h"

#include <optional>
#include <string>

QEL_PUBLIC_BEGIN

namespace qel {

// The variable's value; nothing when it is unset. An empty value counts as set.
std::optional<std::string> GetEnvironmentValue(const std::string& Name);
// The value when set and not empty, else Default.
std::string GetEnvironmentOr(const std::string& Name, const std::string& Default);

// $HOME, or the password database's entry for the current user when HOME is unset.
std::string HomeDirectory();
// The folder holding the running executable (from /proc/self/exe); empty when unknown.
std::string ExecutableDirectory();
// The folder holding the shared object that contains Address (a function or variable of
// that object); empty when unknown.
std::string ModuleDirectory(const void* Address);

} // namespace qel

QEL_PUBLIC_END
