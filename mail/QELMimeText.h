#pragma once
// Text in mail bodies and headers: quoted-printable both ways, base64 of text parts, and the
// conversion of a declared character set to UTF-8. Everything works on byte strings; nothing
// here throws for bad input, which comes straight from the network.
#include "toolkit/core/Export.h"

#include <string>
#include <string_view>

QEL_PUBLIC_BEGIN

namespace qel::mimetext {

bool IsAscii(std::string_view S);
bool IsValidUtf8(std::string_view S);

// Quoted-printable of RFC 2045: "=XX" escapes and soft line breaks ("=" at a line end) are
// undone, white space at the end of an encoded line is transport padding and goes. Malformed
// escapes are kept as they stand. Line ends of the input may be CR LF or LF.
std::string QuotedPrintableDecode(std::string_view S);
// Encodes one line of text (no line end inside) into encoded lines of at most 76 characters
// joined by soft breaks ("=" CR LF). A trailing space or tab is escaped, so that transport
// padding cannot change the text.
std::string QuotedPrintableEncodeLine(std::string_view Line);

// Base64 of a text part, ignoring everything outside the alphabet and stopping at padding.
std::string Base64DecodeText(std::string_view S);
std::string Base64Encode(std::string_view S);

// The text in Charset converted to UTF-8. US-ASCII, UTF-8 and an empty or unknown charset give
// the bytes unchanged; a byte that is not valid in Charset becomes U+FFFD. Text declared as
// ISO-8859-1 (or US-ASCII, or Windows-1252) that already is valid UTF-8 is left alone: mail
// programs, this library's earlier versions among them, declared that charset for any text.
std::string ToUtf8(std::string_view Text, std::string_view Charset);

} // namespace qel::mimetext

QEL_PUBLIC_END
