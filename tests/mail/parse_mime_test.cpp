// The incoming-mail parser and decoders, grouped by rule.
#include "mail/QELMimeParse.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

using namespace qel;

namespace {

TQELParsedMessage ParseText(const std::string& Text, TQELMimeParser* Parser = nullptr) {
    TQELMimeParser Local;
    TQELParsedMessage Out;
    (Parser ? *Parser : Local).Parse(SplitMailLines(Text), Out);
    return Out;
}

std::string Joined(const TMimeLines& L) {
    std::string S;
    for (std::size_t I = 0; I < L.size(); ++I)
        S += (I ? "\n" : "") + L[I];
    return S;
}

} // namespace

TEST(ParseLines, SplitsAtEveryLineEndAndKeepsZeroBytes) {
    EXPECT_EQ(SplitMailLines("a\r\nb\nc\rd\r\n"), (TMimeLines{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitMailLines("a\r\n\r\nb"), (TMimeLines{"a", "", "b"}));
    EXPECT_EQ(SplitMailLines(std::string("x\0y\r\n", 5)), (TMimeLines{std::string("x\0y", 3)}));
    EXPECT_TRUE(SplitMailLines("").empty());
}

TEST(ParseSearch, HeaderAndListSearches) {
    TMimeLines L{"X-From: a", "from: b", "From: c", ""};
    int I = -1, P = -1;
    ASSERT_TRUE(FindInHeaders("FROM:", L, I));
    EXPECT_EQ(I, 1);
    I = 7;
    EXPECT_FALSE(FindInHeaders("FROM:", TMimeLines{}, I));
    EXPECT_EQ(I, 7);
    ASSERT_TRUE(FindInStringList("FROM:", L, P, I));
    EXPECT_EQ(I, 0);
    EXPECT_EQ(P, 3);
    ASSERT_TRUE(FindInStringListCS("from:", L, P, I));
    EXPECT_EQ(I, 1);
}

TEST(ParseSearch, UuencodeStartLines) {
    int I = -1;
    std::string Name;
    EXPECT_FALSE(GetUUAttachments({"begin 777 a.bin", "begin xyz a.bin", "begin 644"}, I, Name));
    ASSERT_TRUE(GetUUAttachments({"text", "begin-base64 644 x", "BEGIN 755 My File.Bin"}, I, Name));
    EXPECT_EQ(I, 2);
    EXPECT_EQ(Name, "My File.Bin");
}

TEST(ParseHeaders, FixedColumnsAndFirstMatchWins) {
    auto M = ParseText("Return-Path: <bounce@x.test>\r\n"
                       "From: \"Ann Example\" <ann@x.test>\r\n"
                       "From: second@x.test\r\n"
                       "To: \"A\" <a@x.test>, \"B\" <b@x.test>\r\n"
                       "Subject:Hello\r\n"
                       "Date: Mon, 7 Dec 2026 10:00:00 +0000\r\n"
                       "Message-ID: <id1@x.test>\r\n"
                       "In-Reply-To: <id0@x.test>\r\n"
                       "\r\n"
                       "Body\r\n");
    EXPECT_EQ(M.FromMail, "ann@x.test");
    EXPECT_EQ(M.FromName, "Ann Example ");
    EXPECT_EQ(M.SendTo, "a@x.test");
    EXPECT_EQ(M.Subject, "ello"); // no space after the colon loses a letter
    EXPECT_EQ(M.Date, "Mon, 7 Dec 2026 10:00:00 +0000");
    EXPECT_EQ(M.MessageId, "<id1@x.test>");
    EXPECT_EQ(M.InReplyTo, "<id0@x.test>");
    EXPECT_EQ(M.ReplyTo, "ann@x.test"); // without Reply-To the sender address
    EXPECT_EQ(M.Message, TMimeLines{"Body"});
}

TEST(ParseHeaders, ContinuationsAndFallbacks) {
    auto M = ParseText("X-Header: 12345678\r\n"
                       "To: one@x.test,\r\n"
                       "  two@x.test\r\n"
                       "\tthree@x.test\r\n"
                       "Reply-To: r1@x.test,\r\n"
                       " r2@x.test\r\n"
                       "\r\n");
    EXPECT_EQ(M.FromMail, "der: 12345678"); // columns 6.. of the first line
    EXPECT_EQ(M.SendTo, "one@x.test,two@x.test");
    EXPECT_EQ(M.ReplyTo, "r1@x.test,r2@x.test");
    EXPECT_TRUE(M.Message.empty());

    auto N = ParseText("From: plain@x.test\r\n\r\n");
    EXPECT_EQ(N.FromMail, "plain@x.test");
    EXPECT_EQ(N.FromName, "plain@x.test");
}

TEST(ParseBody, DotUnstuffingOnlyInTheBody) {
    auto M = ParseText(".X: header\r\n\r\n..leading\r\n.\r\n...\r\nend.\r\n");
    EXPECT_EQ(M.Message, (TMimeLines{".leading", ".", "..", "end."}));
}

TEST(ParseBody, PlainTextWithUuencodedBlock) {
    // "Cat" uuencoded.
    auto M =
        ParseText("Subject: uu\r\n\r\nHello\r\nbegin 644 cat.txt\r\n#0V%T\r\n`\r\nend\r\nBye\r\n");
    ASSERT_EQ(M.Attachments.size(), 1u);
    EXPECT_EQ(M.Attachments[0].FileName, "cat.txt");
    EXPECT_EQ(M.Attachments[0].Content, "Cat");
    EXPECT_EQ(M.Message, (TMimeLines{"Hello", "end", "Bye"}));
}

TEST(ParseBody, TextTypesStayText) {
    for (const char* Type : {"text/plain", "multipart/report; x=1", "message/rfc822"}) {
        auto M = ParseText(std::string("Content-Type: ") + Type + "\r\n\r\n--b\r\nline\r\n");
        EXPECT_EQ(M.Message, (TMimeLines{"--b", "line"})) << Type;
    }
}

TEST(ParseMultipart, AlternativeGivesTextAndHtmlAttachment) {
    auto M = ParseText("Subject: Re: a/b?\r\n"
                       "Content-Type: multipart/alternative;\r\n"
                       "\tboundary=\"XYZ\"\r\n"
                       "\r\n"
                       "preamble\r\n"
                       "--XYZ\r\n"
                       "Content-Type: text/plain\r\n"
                       "\r\n"
                       "plain 1\r\n"
                       "plain 2\r\n"
                       "--XYZ\r\n"
                       "Content-Type: text/html\r\n"
                       "\r\n"
                       "<p>hi</p>\r\n"
                       "\r\n"
                       "--XYZ--\r\n"
                       "epilogue\r\n");
    EXPECT_EQ(M.Message, (TMimeLines{"plain 1", "plain 2"}));
    ASSERT_EQ(M.Attachments.size(), 1u);
    EXPECT_EQ(M.Attachments[0].FileName, "Re ab.html");
    EXPECT_EQ(M.Attachments[0].Content, "<p>hi</p>\r\n");
}

TEST(ParseMultipart, AttachmentNaming) {
    auto Mail = [](const std::string& Subject, const std::string& PartHeader) {
        return "Subject: " + Subject +
               "\r\nContent-Type: multipart/mixed; boundary=\"b1\"\r\n\r\n--b1\r\n" + PartHeader +
               "\r\nContent-Transfer-Encoding: base64\r\n\r\nQUJD\r\n\r\n--b1--\r\n";
    };
    auto A = ParseText(Mail("s", "Content-Disposition: attachment; filename=\"r<e>p|o*r?t.pdf\""));
    ASSERT_EQ(A.Attachments.size(), 1u);
    EXPECT_EQ(A.Attachments[0].FileName, "report.pdf");
    EXPECT_EQ(A.Attachments[0].Content, "ABC");
    auto B = ParseText(Mail("s", "Content-Type: application/pdf; name=\"n.pdf\""));
    EXPECT_EQ(B.Attachments.at(0).FileName, "n.pdf");
    auto C = ParseText(Mail("", "Content-Type: application/octet-stream"));
    EXPECT_EQ(C.Attachments.at(0).FileName, "_Cosa_");
    auto D = ParseText(Mail("\\/:*?\"<>|", "X: y"));
    EXPECT_EQ(D.Attachments.at(0).FileName, "_Cosa_");
}

TEST(ParseMultipart, OtherEncodingsAreCopiedLineByLine) {
    auto M = ParseText("Content-Type: multipart/mixed; boundary=q\r\n\r\n--q\r\n"
                       "Content-Type: text/plain; name=\"a.txt\"\r\n"
                       "\r\n"
                       "one\r\n\r\ntwo\r\n\r\n--q--\r\n");
    ASSERT_EQ(M.Attachments.size(), 1u);
    EXPECT_EQ(M.Attachments[0].Content, "one\r\n\r\ntwo\r\n");
}

TEST(ParseFaults, MessageFormatErrorsKeepWhatWasParsed) {
    struct Case {
        const char* Name;
        std::string Text;
        std::size_t Attachments;
    };
    const std::string Head =
        "Subject: keep\r\nContent-Type: multipart/mixed; boundary=\"b\"\r\n\r\n";
    const std::string Part = "Content-Transfer-Encoding: base64\r\n\r\nQUJD\r\n";
    std::vector<Case> Cases = {
        {"multipart without boundary",
         "Subject: keep\r\nContent-Type: multipart/mixed\r\n\r\nx\r\n", 0},
        {"no delimiter in body", Head + "text\r\n", 0},
        {"no closing delimiter", Head + "--b\r\n" + Part, 0},
        {"part without empty line", Head + "--b\r\n" + Part + "--b\r\nX: y\r\n--b--\r\n", 1},
        {"bad uuencode character", "Subject: keep\r\n\r\nbegin 644 f\r\n#0V%T\r\n#a{b\r\nend\r\n",
         1},
    };
    for (const auto& C : Cases) {
        TQELMimeParser P;
        TQELParsedMessage M;
        try {
            P.Parse(SplitMailLines(C.Text), M);
            ADD_FAILURE() << C.Name << ": no error";
        } catch (const EQELMessageFormatError& E) {
            EXPECT_STREQ(E.what(), "Message Format Error") << C.Name;
        }
        EXPECT_EQ(M.Subject, "keep") << C.Name;
        EXPECT_EQ(M.Attachments.size(), C.Attachments) << C.Name;
    }
}

TEST(ParseDecode, Base64GroupsRunAcrossLinesAndSkipForeignCharacters) {
    std::string Out;
    std::uint16_t Last = 0;
    QELBase64Decode({"SGVsbG8s", "IHdv", "cmxk IQ=="}, "f", Out, {}, 1, Last);
    EXPECT_EQ(Out, "Hello, world!");
    QELBase64Decode({"QU", "I="}, "f", Out, {}, 1, Last);
    EXPECT_EQ(Out, "AB");
    QELBase64Decode({"QUJDRA=="}, "f", Out, {}, 1, Last);
    EXPECT_EQ(Out, "ABCD");
    QELBase64Decode({"////"}, "f", Out, {}, 1, Last);
    EXPECT_EQ(Out, "\xff\xff\xff");
    // Pads after characters of value 0.
    QELBase64Decode({"AA==", "AAA="}, "f", Out, {}, 1, Last);
    EXPECT_EQ(Out, std::string(3, '\0'));
}

TEST(ParseDecode, EventsFollowTheProgressRule) {
    std::vector<std::string> Log;
    TQELDecodeEvents Ev;
    Ev.OnDecodeStart = [&](const std::string& N, int C) {
        Log.push_back("start " + N + " " + std::to_string(C));
    };
    Ev.OnDecodeProgress = [&](std::uint16_t P) { Log.push_back(std::to_string(P)); };
    Ev.OnDecodeEnd = [&] { Log.push_back("end"); };
    std::string Out;
    std::uint16_t Last = 0;
    // Ten lines of one group each: percentages 0, 10, ... 90 by line index.
    QELBase64Decode(TMimeLines(10, "QUJD"), "x", Out, Ev, 25, Last);
    EXPECT_EQ(Joined(Log), "start x 10\n30\n50\n80\n100\nend");
    EXPECT_EQ(Last, 90);
    Log.clear();
    QELUUDecode({"begin 644 y", "#0V%T", "#0V%T", "#0V%T", "#0V%T"}, "y", Out, Ev, 10, Last);
    EXPECT_EQ(Out, "CatCatCatCat");
    EXPECT_EQ(Joined(Log), "start y 5\n20\n40\n60\n80\n100\nend");
}

// The decoding rule written the plain way, one character at a time, with the progress rule
// applied after every group and the closing 100.
std::string PlainBase64Decode(const TMimeLines& Lines, int Step, std::vector<int>& Events) {
    static const std::string Alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=";
    std::string Out;
    int Threshold = Step, Last = 0, V[4], Pos = 0;
    for (std::size_t I = 0; I < Lines.size(); ++I) {
        const int Percent = static_cast<int>(std::nearbyint(I * 100.0 / Lines.size()));
        for (char Ch : Lines[I]) {
            const std::size_t X = Alphabet.find(Ch);
            if (X == std::string::npos) continue;
            V[Pos++] = static_cast<int>(X);
            if (Pos < 4) continue;
            Pos = 0;
            int N = V[0] == 64 ? 0 : 3;
            if (V[2] == 64) V[2] = V[3] = 0, N = 1;
            if (V[3] == 64) V[3] = 0, N = 2;
            const char B[3] = {static_cast<char>(V[0] * 4 + V[1] / 16),
                               static_cast<char>((V[1] & 15) * 16 + V[2] / 4),
                               static_cast<char>((V[2] & 3) * 64 + V[3])};
            Out.append(B, static_cast<std::size_t>(N));
            Last = Percent;
            if (Percent >= Threshold) {
                Events.push_back(Percent);
                Threshold += Step;
            }
        }
    }
    if (Last < 100) Events.push_back(100);
    return Out;
}

TEST(ParseDecode, Base64MatchesTheCharacterRuleOnAnyInput) {
    // Long clean lines, short and ragged ones, pads and foreign characters anywhere.
    std::mt19937 Gen(11);
    const std::string Chars = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (int Round = 0; Round < 200; ++Round) {
        TMimeLines Lines(std::uniform_int_distribution<int>(1, 60)(Gen));
        const int Noise = std::uniform_int_distribution<int>(0, 3)(Gen);
        for (auto& L : Lines) {
            const int Len = std::uniform_int_distribution<int>(0, Round % 2 ? 400 : 12)(Gen);
            for (int K = 0; K < Len; ++K) {
                const int R = std::uniform_int_distribution<int>(0, 99)(Gen);
                L += R < Noise       ? '='
                     : R < 2 * Noise ? ' '
                                     : Chars[static_cast<std::size_t>(R) % Chars.size()];
            }
        }
        const int Step = std::uniform_int_distribution<int>(1, 30)(Gen);
        std::vector<int> Want, Got;
        const std::string Expected = PlainBase64Decode(Lines, Step, Want);
        TQELDecodeEvents Ev;
        Ev.OnDecodeProgress = [&](std::uint16_t P) { Got.push_back(P); };
        std::string Out;
        std::uint16_t Last = 0;
        QELBase64Decode(Lines, "f", Out, Ev, Step, Last);
        ASSERT_EQ(Out, Expected) << "round " << Round;
        ASSERT_EQ(Got, Want) << "round " << Round;
    }
}

TEST(ParseDecode, UuencodeLineLengths) {
    std::string Out;
    std::uint16_t Last = 0;
    // Count 45: exactly 60 characters are read even when the line carries more.
    std::string Full = "M" + std::string(60, '!') + "ZZZZ";
    QELUUDecode({"begin 644 z", Full, "`", "end"}, "z", Out, {}, 1, Last);
    EXPECT_EQ(Out.size(), 45u);
    EXPECT_EQ(Out.substr(0, 3), std::string("\x04\x10\x41", 3));
    // A short line decodes its count with missing bits as zero; spaces count as zero.
    QELUUDecode({"begin 644 z", "#0V%", "\"  "}, "z", Out, {}, 1, Last);
    EXPECT_EQ(Out, std::string("Ca\0\0\0", 5));
    // An empty file.
    QELUUDecode({"begin 644 z", "end"}, "z", Out, {}, 1, Last);
    EXPECT_TRUE(Out.empty());
}
