// The shared text helpers: the two trimming meanings, ASCII-only case rules (a byte above 127
// is never folded) and whole-string integer parsing with its overflow edges.
#include "toolkit/core/TextUtils.h"

#include <climits>
#include <gtest/gtest.h>

using namespace qel;

TEST(TextUtils, TrimDropsControlCharactersTrimSpaceKeepsThem) {
    EXPECT_EQ(Trim("\x01 \tab c\r\n\x1f"), "ab c");
    EXPECT_EQ(TrimLeft("  a "), "a ");
    EXPECT_EQ(TrimRight("  a "), "  a");
    EXPECT_EQ(Trim(std::string_view("\0a\0", 3)), "a");
    EXPECT_EQ(TrimSpace("\x01 a \x01"), "\x01 a \x01");
    EXPECT_EQ(TrimSpace(" \t\v\f\r\na\n"), "a");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(TrimSpace(""), "");
    // A byte above 127 is text, not blank, for both.
    EXPECT_EQ(Trim("\xA0x\xA0"), "\xA0x\xA0");
    EXPECT_EQ(TrimSpace("\xA0x\xA0"), "\xA0x\xA0");
}

TEST(TextUtils, CaseRulesAreAsciiOnly) {
    EXPECT_EQ(UpperCase("abz AZ 09_\xE9"), "ABZ AZ 09_\xE9");
    EXPECT_EQ(LowerCase("ABZ az@[\xC9"), "abz az@[\xC9");
    EXPECT_TRUE(SameText("TQELLabel", "tqellabel"));
    EXPECT_FALSE(SameText("\xC9", "\xE9"));
    EXPECT_FALSE(SameText("ab", "abc"));
    EXPECT_LT(CompareText("apple", "Banana"), 0);
    EXPECT_GT(CompareText("abc", "AB"), 0);
    EXPECT_EQ(CompareText("MiXeD", "mixed"), 0);
    // Letters fold to lower case, so '_' (between the two cases) sorts before every letter.
    EXPECT_LT(CompareText("_", "A"), 0);
    EXPECT_LT(CompareText("_", "z"), 0);
}

TEST(TextUtils, TryStrToIntTakesWholeDecimalsOnly) {
    struct {
        const char* Text;
        bool Ok;
        int Value;
    } Cases[] = {
        {"0", true, 0},
        {"-17", true, -17},
        {"+42", true, 42},
        {"2147483647", true, INT_MAX},
        {"-2147483648", true, INT_MIN},
        {"2147483648", false, 0},
        {"-2147483649", false, 0},
        {"", false, 0},
        {"+", false, 0},
        {"-", false, 0},
        {"+-1", false, 0},
        {" 1", false, 0},
        {"1 ", false, 0},
        {"0x10", false, 0},
        {"12a", false, 0},
        {"1e3", false, 0},
    };
    for (const auto& C : Cases) {
        int V = 12345;
        EXPECT_EQ(TryStrToInt(C.Text, V), C.Ok) << C.Text;
        EXPECT_EQ(V, C.Ok ? C.Value : 12345) << C.Text << ": a failure leaves the value alone";
    }
    EXPECT_EQ(StrToIntDef("x", -1), -1);
    EXPECT_EQ(StrToIntDef("-5", -1), -5);
}

TEST(TextUtils, DatePatternsFollowTheirLettersAndTheirNeighbours) {
    // Tuesday 8 December 2026, 17:04:09.045
    const TDateTimeFields T{2026, 12, 8, 17, 4, 9, 45, 2};
    EXPECT_EQ(FormatDateTime("d dd ddd dddd", T), "8 08 Tue Tuesday");
    EXPECT_EQ(FormatDateTime("m mm mmm mmmm", T), "12 12 Dec December");
    EXPECT_EQ(FormatDateTime("hh:mm:ss", T), "17:04:09") << "m right after an hour is minutes";
    EXPECT_EQ(FormatDateTime("hh dd/mm", T), "17 08/12") << "a day in between makes it a month";
    EXPECT_EQ(FormatDateTime("yy yyyy z zzz", T), "26 2026 45 045");
    EXPECT_EQ(FormatDateTime("h:nn am/pm, h AMPM, H:NN A/P", T), "5:04 pm, 5 PM, 5:04 A/P");
    EXPECT_EQ(FormatDateTime("'d is' \"mm\" d", T), "d is mm 8");
    EXPECT_EQ(FormatDateTime("'unclosed", T), "unclosed");
    // Midnight and noon on a 12-hour clock.
    EXPECT_EQ(FormatDateTime("h ampm", TDateTimeFields{2026, 1, 1, 0, 0, 0, 0, 4}), "12 am");
    EXPECT_EQ(FormatDateTime("h ampm", TDateTimeFields{2026, 1, 1, 12, 0, 0, 0, 4}), "12 pm");
    // Out-of-range fields never index past the name tables.
    EXPECT_EQ(FormatDateTime("ddd mmm", TDateTimeFields{2026, 13, 1, 0, 0, 0, 0, -1}), "Sat Jan");
}
