#pragma once
// Non-ASCII text in mail headers: encoded words (RFC 2047) in subjects and names, and header
// parameters with their quoting and the extended form of RFC 2231 (file names). Readers are
// lenient, as mail from the wild demands; writers produce what strict readers accept.
#include "toolkit/core/Export.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel::mimewords {

// Decodes every encoded word of S ("=?charset?B?...?=" or "=?charset?Q?...?=") to UTF-8; the
// white space between two adjacent encoded words goes, as the words were split for length
// only. Text outside encoded words and malformed words are kept as they stand.
std::string DecodeEncodedWords(std::string_view S);

// Text as base64 encoded words of at most 68 characters, each a whole number of characters;
// the charset is UTF-8 when Text is valid UTF-8 and ISO-8859-1 otherwise. The words go on one
// header line after another, separated by folding white space.
std::vector<std::string> EncodeWords(std::string_view Text);
// True when Text cannot go into a header as it stands: non-ASCII, control characters, or
// something a reader would take for an encoded word.
bool NeedsEncoding(std::string_view Text);

// A structured header value such as a content type or disposition: the value before the first
// ";" (trimmed, lower case) and its parameters (names in lower case, values decoded: quotes and
// escapes removed, RFC 2231 sections joined and converted to UTF-8, encoded words decoded).
struct THeaderValue {
    std::string Value;
    std::vector<std::pair<std::string, std::string>> Params;
    // The named parameter (lower-case name); Found tells an empty value from a missing one.
    std::string Param(std::string_view Name, bool* Found = nullptr) const;
};
THeaderValue ParseHeaderValue(std::string_view S);

// Name=Value for a header parameter, ready to follow "; ": quoted when plain ASCII, else in the
// extended form of RFC 2231 (UTF-8, percent escapes) split into numbered sections of bounded
// length. Several pieces mean several sections, each to be joined with ";" and a fold.
std::vector<std::string> EncodeParam(std::string_view Name, std::string_view Value);
// Value as a quoted string, with quotes and backslashes escaped.
std::string QuoteString(std::string_view Value);

} // namespace qel::mimewords

QEL_PUBLIC_END
