#pragma once
// The Date header: written in the Internet form every reader understands ("Tue, 08 Dec 2026
// 20:30:47 +0100"), read in that form (with its obsolete variants) and in the long local form
// that earlier versions of this library wrote ("Tuesday, December 8, 2026, 8:30:47 PM").
#include "toolkit/core/Export.h"

#include <ctime>
#include <string>
#include <string_view>

QEL_PUBLIC_BEGIN

namespace qel::maildate {

// When as local time with its numeric zone, English day and month names.
std::string InternetDate(std::time_t When);
// The moment a Date header names. A date without a zone (the old local form) is taken as
// local time; zone names and military letters of old mailers are understood. False when the
// text holds no complete date.
bool ParseMailDate(std::string_view Text, std::time_t& When);

} // namespace qel::maildate

QEL_PUBLIC_END
