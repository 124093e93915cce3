// The parsers of the protocol extensions on the input real and broken servers send.
#include "mail/QELMailSecurity.h"

#include <gtest/gtest.h>
#include <string>

using namespace qel;

namespace {

TQELEhloCapabilities Parse(std::initializer_list<const char*> Lines) {
    TQELEhloCapabilities C;
    for (const char* L : Lines)
        ParseEhloLine(L, C);
    return C;
}

TEST(EhloCapabilities, KeywordsInAnyCaseWithOrWithoutParameters) {
    const TQELEhloCapabilities C =
        Parse({"250-mail.example.test", "250-size 35882577", "250-starttls",
               "250-Auth  login\tPLAIN XOAUTH2", "250 8BITMIME"});
    EXPECT_TRUE(C.StartTLS);
    EXPECT_TRUE(C.AuthPlain);
    EXPECT_TRUE(C.AuthLogin);
    EXPECT_TRUE(C.Size);
    EXPECT_EQ(C.SizeLimit, 35882577u);
}

TEST(EhloCapabilities, LookalikesAndBrokenLimitsOfferNothing) {
    // A keyword must match whole: STARTTLSX or AUTH=PLAIN (an old form without the space) is
    // not the extension, and a limit that is no number is no limit.
    const TQELEhloCapabilities C = Parse(
        {"250-STARTTLSX", "250-AUTH=PLAIN LOGIN", "250-AUTH CRAM-MD5 PLAINX", "250 SIZE 12x"});
    EXPECT_FALSE(C.StartTLS);
    EXPECT_FALSE(C.AuthPlain);
    EXPECT_FALSE(C.AuthLogin);
    EXPECT_TRUE(C.Size);
    EXPECT_EQ(C.SizeLimit, 0u);
    EXPECT_EQ(Parse({"250 SIZE 99999999999999999999999"}).SizeLimit, 0u);
    EXPECT_EQ(Parse({"250 SIZE"}).SizeLimit, 0u);
    EXPECT_FALSE(Parse({"250"}).Size);
}

TEST(AuthPlain, NulSeparatedAndBase64) {
    EXPECT_EQ(AuthPlainResponse("tim", "tanstaaftanstaaf"), "AHRpbQB0YW5zdGFhZnRhbnN0YWFm");
    // Bytes beyond ASCII pass unchanged (UTF-8 user names).
    EXPECT_EQ(AuthPlainResponse("\xc3\xa9", "p"), "AMOpAHA=");
}

TEST(Apop, TimestampOfTheGreetingOnly) {
    EXPECT_EQ(ApopTimestamp("+OK POP3 server ready <1896.697170952@dbc.mtview.ca.us>\r\n"),
              "<1896.697170952@dbc.mtview.ca.us>");
    EXPECT_EQ(ApopDigest("<1896.697170952@dbc.mtview.ca.us>", "tanstaaf"),
              "c4c9334bac560ecc979e58001b3e22fb");
    EXPECT_EQ(ApopTimestamp("+OK ready"), "");
    EXPECT_EQ(ApopTimestamp("+OK ready <no-at-sign>"), "");
    EXPECT_EQ(ApopTimestamp("+OK ready <a b@c>"), "");
    EXPECT_EQ(ApopTimestamp("+OK ready <unclosed@x"), "");
    // A stamp on a later line is not the greeting's.
    EXPECT_EQ(ApopTimestamp("+OK ready\r\n<1@x>"), "");
    EXPECT_EQ(ApopTimestamp("+OK <<1@x>"), "");
}

TEST(Uidl, ListingLinesAndWhatBreaksThem) {
    TQELUidList L;
    ASSERT_TRUE(ParseUidlListing("1 whqtswO00WBw418f9t5JxYwZ\r\n2 QhdPYR:00WBw1Ph7x7\r\n", L));
    ASSERT_EQ(L.size(), 2u);
    EXPECT_EQ(L[1], (std::pair<int, std::string>{2, "QhdPYR:00WBw1Ph7x7"}));
    EXPECT_TRUE(ParseUidlListing("", L));
    EXPECT_TRUE(L.empty());
    for (const char* Bad : {"x abc\r\n", "0 abc\r\n", "1\r\n", "1 a b\r\n", "70000 a\r\n",
                            "-1 a\r\n", "1 caf\xc3\xa9\r\n"})
        EXPECT_FALSE(ParseUidlListing(Bad, L)) << Bad;
    EXPECT_FALSE(ParseUidlListing("1 " + std::string(71, 'a'), L));
    EXPECT_TRUE(ParseUidlListing("1 " + std::string(70, 'a'), L));
    // What came before the broken line is there to see.
    EXPECT_FALSE(ParseUidlListing("1 a\r\n2 b\r\nbroken\r\n", L));
    EXPECT_EQ(L.size(), 2u);
}

} // namespace
