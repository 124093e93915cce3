#pragma once
// JSON string literals for the tool's output. Mail text is not always UTF-8: valid UTF-8
// passes through, and every other byte is written as the code point of the same value (the
// byte read as Latin-1), so the output is always valid JSON.
#include <string>
#include <string_view>

namespace qel {

std::string JsonString(std::string_view S);

} // namespace qel
