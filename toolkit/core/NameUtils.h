#pragma once
// Case-insensitive (ASCII) name handling shared by the registry, components and form files.
#include <string>
#include <string_view>

namespace qel {

bool SameText(std::string_view A, std::string_view B);
std::string LowerCase(std::string_view S);
int CompareText(std::string_view A, std::string_view B);
// Letter or underscore first, then letters, digits and underscores.
bool IsValidIdent(std::string_view S);

} // namespace qel
