#pragma once
// Values as records hold them, and the conversions the fields and the drivers share. Dates
// travel as day counts (whole days since 30 December 1899, the time as the fraction), so they
// sort and subtract like numbers; databases see them as ISO text.
#include "toolkit/core/Export.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

using TDateTime = double;

enum TFieldType { ftUnknown, ftString, ftInteger, ftFloat, ftDateTime, ftBoolean };

// Null, integer, float or text.
using TFieldValue = std::variant<std::monostate, std::int64_t, double, std::string>;

// One row: the field values, then any key columns the driver keeps out of sight (a rowid).
// Serial identifies the row to sources that hold rows themselves.
struct TRecord {
    std::vector<TFieldValue> Values;
    std::int64_t Serial = 0;
};

inline bool IsNullValue(const TFieldValue& V) {
    return std::holds_alternative<std::monostate>(V);
}

TDateTime EncodeDateTime(int Year, int Month, int Day, int Hour = 0, int Min = 0, int Sec = 0,
                         int MSec = 0);
struct TDateTimeParts {
    int Year, Month, Day, Hour, Min, Sec, MSec;
};
TDateTimeParts DecodeDateTime(TDateTime T);
// "YYYY-MM-DD", "YYYY-MM-DD HH:MM[:SS[.fff]]" (a T instead of the space too); none otherwise.
std::optional<TDateTime> ParseIsoDateTime(std::string_view S);
// "YYYY-MM-DD HH:MM:SS", or just the date at midnight.
std::string IsoDateTime(TDateTime T);

// Number formats: 0 digit, # optional digit, . decimal point, , thousands, ; sections for
// positive;negative;zero, quoted text as it stands.
std::string FormatFloat(std::string_view Format, double Value);
// Date formats as the toolkit's FormatDateTime reads them (TextUtils.h); empty = ISO.
std::string FormatDateTime(std::string_view Format, TDateTime T);

// Integer and float text as the C locale writes it; throws EConvertError on anything else.
std::int64_t StrToInt64(std::string_view S);
double StrToFloat(std::string_view S);
// Shortest text that reads back as the same double.
std::string FloatToStr(double V);

} // namespace qel

QEL_PUBLIC_END
