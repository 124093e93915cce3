// The header and text decoders on the shapes mail from the wild takes.
#include "mail/QELMimeText.h"
#include "mail/QELMimeWords.h"

#include <gtest/gtest.h>

using namespace qel;

TEST(MimeWords, EncodedWordsDecodeAcrossFoldsAndSplitCharacters) {
    using mimewords::DecodeEncodedWords;
    EXPECT_EQ(DecodeEncodedWords("=?utf-8?q?J=C3=BCrgen_M?= =?UTF-8?B?w7xsbGVy?="),
              "J\u00fcrgen M\u00fcller");
    // One character split over two words of one charset.
    EXPECT_EQ(DecodeEncodedWords("=?utf-8?q?=C3?=\r\n =?utf-8?q?=BC?="), "\u00fc");
    EXPECT_EQ(DecodeEncodedWords("Re: =?iso-8859-1?q?Caf=E9?= ok"), "Re: Caf\u00e9 ok");
    EXPECT_EQ(DecodeEncodedWords("=?utf-8*de?b?w6Q=?="), "\u00e4"); // with a language
    // Malformed words stay as they are.
    for (const char* Raw : {"=?utf-8?x?abc?=", "=?utf-8?q?no end", "a =? b ?= c", "=??q?x?="})
        EXPECT_EQ(DecodeEncodedWords(Raw), Raw);
}

TEST(MimeWords, ParametersQuotedUnquotedAndInSections) {
    using mimewords::ParseHeaderValue;
    auto A = ParseHeaderValue(" attachment; filename=unquoted.bin");
    EXPECT_EQ(A.Value, "attachment");
    EXPECT_EQ(A.Param("filename"), "unquoted.bin");
    auto B = ParseHeaderValue("inline; filename=\"image001.png\"; size=67");
    EXPECT_EQ(B.Param("filename"), "image001.png");
    EXPECT_EQ(B.Param("size"), "67");
    auto C = ParseHeaderValue("attachment; filename*0*=UTF-8''%C3%9Cber; filename*1=weisung.pdf;"
                              " filename=\"fallback.pdf\"");
    EXPECT_EQ(C.Param("filename"), "\u00dcberweisung.pdf");
    auto D = ParseHeaderValue("Image/PNG; NAME=\"a \\\"b\\\" c.png\"; name*=iso-8859-1'en'%E9.png");
    EXPECT_EQ(D.Value, "image/png");
    EXPECT_EQ(D.Param("name"), "\u00e9.png");
    auto E = ParseHeaderValue("application/pdf; name=\"=?UTF-8?B?w6QucGRm?=\"; junk; =x");
    EXPECT_EQ(E.Param("name"), "\u00e4.pdf");
    bool Found = true;
    EXPECT_EQ(E.Param("filename", &Found), "");
    EXPECT_FALSE(Found);
}

TEST(MimeText, QuotedPrintableAndCharsets) {
    using namespace mimetext;
    EXPECT_EQ(QuotedPrintableDecode("a=3Db=\r\nc  \r\nd=\nz=4"), "a=bc\r\ndz=4");
    EXPECT_EQ(QuotedPrintableDecode("=XY=e9"), "=XY\xe9");
    const std::string Long(200, 'x');
    const std::string Qp = QuotedPrintableEncodeLine(Long + " ");
    EXPECT_EQ(QuotedPrintableDecode(Qp), Long + " ");
    for (std::size_t P = 0, E; (E = Qp.find("\r\n", P)) != std::string::npos; P = E + 2)
        EXPECT_LE(E - P, 76u);
    EXPECT_EQ(ToUtf8("caf\xe9", "ISO-8859-1"), "caf\u00e9");
    EXPECT_EQ(ToUtf8("caf\u00e9", "iso-8859-1"), "caf\u00e9"); // already UTF-8: left alone
    EXPECT_EQ(ToUtf8("\x82\xa0", "shift_jis"), "\u3042");
    EXPECT_EQ(ToUtf8("x\xff", "utf-8"), "x\xff");
    EXPECT_EQ(ToUtf8("a\x80", "no-such-charset"), "a\x80");
    EXPECT_FALSE(IsValidUtf8("\xc0\xaf"));     // overlong
    EXPECT_FALSE(IsValidUtf8("\xed\xa0\x80")); // surrogate
    EXPECT_TRUE(IsValidUtf8("\xf0\x9f\x98\x80"));
}
