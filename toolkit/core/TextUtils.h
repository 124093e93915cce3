#pragma once
// The text helpers every unit needs, once. All are ASCII-only on purpose: identifiers, protocol
// keywords and form-file tokens are ASCII, and a locale must never change how they compare.
//
// Two kinds of trimming exist because two meanings of "blank" are in use:
//   Trim / TrimLeft / TrimRight  drop every character up to and including the space (control
//                                characters too), as the classic run-time library does;
//   TrimSpace                    drops only the C white-space characters " \t\n\v\f\r", for
//                                text where a control character is content, not padding.
#include "toolkit/core/Export.h"

#include <string>
#include <string_view>

QEL_PUBLIC_BEGIN

namespace qel {

std::string_view TrimView(std::string_view S);
std::string_view TrimLeftView(std::string_view S);
std::string_view TrimRightView(std::string_view S);
std::string_view TrimSpaceView(std::string_view S);
inline std::string Trim(std::string_view S) {
    return std::string(TrimView(S));
}
inline std::string TrimLeft(std::string_view S) {
    return std::string(TrimLeftView(S));
}
inline std::string TrimRight(std::string_view S) {
    return std::string(TrimRightView(S));
}
inline std::string TrimSpace(std::string_view S) {
    return std::string(TrimSpaceView(S));
}

std::string UpperCase(std::string_view S);
std::string LowerCase(std::string_view S);
bool SameText(std::string_view A, std::string_view B);
// <0, 0 or >0 as A sorts before, with or after B, ignoring ASCII case.
int CompareText(std::string_view A, std::string_view B);

// A whole decimal integer with an optional sign and nothing else around it (no blanks, no
// "0x"); false, leaving Value alone, for anything else or a value outside int.
bool TryStrToInt(std::string_view S, int& Value);
int StrToIntDef(std::string_view S, int Default);

// A moment broken into what a date pattern shows. Month 1..12, DayOfWeek 0 (Sunday)..6.
struct TDateTimeFields {
    int Year = 1899, Month = 12, Day = 30, Hour = 0, Min = 0, Sec = 0, MSec = 0, DayOfWeek = 6;
};
// The date-time patterns applications write: d dd (day) ddd dddd (day name), m mm (month, or
// minutes right after an hour) mmm mmmm (month name), yy yyyy, h hh, n nn, s ss, z zzz
// (milliseconds), am/pm and ampm (a 12-hour clock; the marker in the case of its first
// letter), "quoted" and 'quoted' text as it stands. English names, whatever the locale.
std::string FormatDateTime(std::string_view Format, const TDateTimeFields& T);

} // namespace qel

QEL_PUBLIC_END
