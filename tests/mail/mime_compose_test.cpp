// Composition of outgoing mail: the line layout, the sender line forms, dot stuffing, the
// identifiers, and the base64 encoder with its events at the block and line boundaries.
#include "mail/QELTIEmails.h"
#include "toolkit/controls/Forms.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <regex>

using namespace qel;
namespace fs = std::filesystem;

namespace {

// An encoder written the plain way, bit by bit, to check the fast one against.
std::string ReferenceBase64(const std::string& Bytes) {
    static const char* A = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string Out;
    std::uint32_t Acc = 0;
    int Bits = 0;
    for (unsigned char C : Bytes) {
        Acc = (Acc << 8) | C;
        Bits += 8;
        while (Bits >= 6) {
            Out += A[(Acc >> (Bits - 6)) & 63];
            Bits -= 6;
        }
    }
    if (Bits > 0) Out += A[(Acc << (6 - Bits)) & 63];
    while (Out.size() % 4)
        Out += '=';
    return Out;
}

std::vector<std::string> Lines(const TStrings& L) {
    std::vector<std::string> V;
    for (int I = 0; I < L.Count(); ++I)
        V.push_back(L.Get(I));
    return V;
}

class MimeCompose : public ::testing::Test {
  protected:
    void SetUp() override {
        Dir = fs::temp_directory_path() /
              ("qel-mime-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(Dir);
        Mail.SetHost("mail.example.test");
        Mail.OnEncodeStart = [this](TObject*, const std::string& F, int N) {
            Events.push_back("start " + F + " " + std::to_string(N));
        };
        Mail.OnEncodeProgress = [this](TObject*, std::uint16_t P) { Percents.push_back(P); };
        Mail.OnEncodeEnd = [this](TObject*) { Events.push_back("end"); };
        Msg = Mail.Messages()->Add();
        Msg->SetFromMail("alice@example.test");
        Msg->SetSendTo("bob@example.test");
        Msg->SetSubject("Greetings");
        Msg->SetDate("Tuesday, December 8, 2026, 5:34:26 AM");
    }
    void TearDown() override { fs::remove_all(Dir); }

    std::string MakeFile(const std::string& Name, std::size_t Size, unsigned Seed = 1) {
        std::mt19937 Gen(Seed);
        std::string Bytes(Size, '\0');
        for (auto& C : Bytes)
            C = static_cast<char>(Gen() & 0xFF);
        std::ofstream(Dir / Name, std::ios::binary) << Bytes;
        Files[Name] = Bytes;
        return (Dir / Name).string();
    }

    fs::path Dir;
    TQELSMTPMail Mail{nullptr};
    TQELMessage* Msg = nullptr;
    std::vector<std::string> Events;
    std::vector<std::uint16_t> Percents;
    std::map<std::string, std::string> Files;
};

TEST_F(MimeCompose, PlainMessageLayout) {
    const std::string OldTitle = Application->Title();
    Application->SetTitle("Mailer Test");
    Msg->Message()->Add("First line");
    Msg->Message()->Add(".starts with a dot");
    Msg->Message()->Add("ends with a dot.");
    Mail.Signature()->Add("-- ");
    Mail.Signature()->Add(".sig");
    auto Out = Mail.InitializeMessage(Msg);
    Application->SetTitle(OldTitle);
    ASSERT_TRUE(Out);
    auto L = Lines(*Out);
    ASSERT_EQ(L.size(), 9u + 1 + 3 + 2 + 2);
    EXPECT_TRUE(
        std::regex_match(L[0], std::regex(R"(Message-Id: <qelnv98\.\d{4}\.\d{8}[a-y]{8}@.+>)")))
        << L[0];
    EXPECT_EQ(L[1], "Date: Tuesday, December 8, 2026, 5:34:26 AM");
    EXPECT_EQ(L[2], "From: alice@example.test");
    EXPECT_EQ(L[3], "X-Mailer: Mailer Test - [TQELSMTPMail]");
    EXPECT_EQ(L[4], "To: bob@example.test");
    EXPECT_EQ(L[5], "Subject: Greetings");
    EXPECT_EQ(L[6], "MIME-Version: 1.0");
    EXPECT_EQ(L[7], "Content-Type: Text/Plain; charset=ISO-8859-1");
    EXPECT_EQ(L[8], "Content-Transfer-Encoding: 8bit");
    EXPECT_EQ(L[9], "");
    EXPECT_EQ(L[10], "First line");
    EXPECT_EQ(L[11], "..starts with a dot");
    EXPECT_EQ(L[12], "ends with a dot.");
    EXPECT_EQ(L[13], "");
    EXPECT_EQ(L[14], "");
    EXPECT_EQ(L[15], "-- ");
    EXPECT_EQ(L[16], "..sig");
}

TEST_F(MimeCompose, OptionalHeadersAndSenderForms) {
    Msg->SetInReplyTo("<abc@example.test>");
    Msg->SetReplyTo("replies@example.test");
    Msg->SetFromName("Alice A");
    auto L = Lines(*Mail.InitializeMessage(Msg));
    EXPECT_EQ(L[1], "In-Reply-To: <abc@example.test>");
    EXPECT_EQ(L[3], "From: \"Alice A\" <alice@example.test>");
    EXPECT_EQ(L[4], "Reply-To: replies@example.test");

    Msg->SetFromMail("alice");
    L = Lines(*Mail.InitializeMessage(Msg));
    EXPECT_EQ(L[3], "From: \"Alice A\" <alice@mail.example.test>");
}

TEST_F(MimeCompose, LineEndsInsideFieldsCannotInjectHeadersOrEndTheData) {
    Msg->SetSubject("Hi\r\nBcc: victim@example.test");
    Msg->Message()->Add("one\r\n.\r\nMAIL FROM:<x@y>");
    auto L = Lines(*Mail.InitializeMessage(Msg));
    EXPECT_EQ(L[5], "Subject: Hi Bcc: victim@example.test");
    EXPECT_EQ(L[10], "one");
    EXPECT_EQ(L[11], "..");
    EXPECT_EQ(L[12], "MAIL FROM:<x@y>");
    for (const auto& S : L)
        EXPECT_EQ(S.find_first_of("\r\n"), std::string::npos);
}

TEST_F(MimeCompose, MultipartLayoutWithAttachments) {
    Msg->Message()->Add("See attached.");
    Msg->Attachments()->Add(MakeFile("a.bin", 58));
    Msg->Attachments()->Add(MakeFile("empty.dat", 0));
    auto L = Lines(*Mail.InitializeMessage(Msg));
    std::smatch M;
    ASSERT_TRUE(std::regex_match(
        L[7], M,
        std::regex(R"re(Content-Type: multipart/mixed; boundary="(---QELMAIL[a-y]{12})")re")))
        << L[7];
    const std::string D = "--" + M[1].str();
    std::vector<std::string> Want = {"",
                                     D,
                                     "Content-Type: Text/Plain; charset=ISO-8859-1",
                                     "Content-Transfer-Encoding: 8bit",
                                     "",
                                     "See attached.",
                                     "",
                                     "",
                                     D,
                                     "Content-Type: application/octet-stream; name=\"a.bin\"",
                                     "Content-Transfer-Encoding: base64",
                                     "Content-Disposition: inLine; filename=\"a.bin\"",
                                     "",
                                     ReferenceBase64(Files["a.bin"]).substr(0, 76),
                                     ReferenceBase64(Files["a.bin"]).substr(76),
                                     D,
                                     "Content-Type: application/octet-stream; name=\"empty.dat\"",
                                     "Content-Transfer-Encoding: base64",
                                     "Content-Disposition: inLine; filename=\"empty.dat\"",
                                     "",
                                     "",
                                     D + "--",
                                     ""};
    ASSERT_EQ(L.size(), 8 + Want.size());
    EXPECT_EQ(std::vector<std::string>(L.begin() + 8, L.end()), Want);
}

TEST_F(MimeCompose, NonAsciiTextNamesAndFileNamesAreDeclaredAndEncoded) {
    Msg->SetSubject(
        "Gr\u00fc\u00dfe aus K\u00f6ln, ein sehr langer Betreff der gefaltet werden muss");
    Msg->SetFromName("J\u00fcrgen M\u00fcller");
    Msg->Message()->Add("Sch\u00f6ne Gr\u00fc\u00dfe");
    Msg->Message()->Add(".punkt am Anfang " + std::string(100, 'x'));
    Msg->Attachments()->Add(MakeFile("\u00dcberweisung M\u00e4rz 2026 mit langem Namen.pdf", 3));
    auto L = Lines(*Mail.InitializeMessage(Msg));
    auto Find = [&](const std::string& Prefix) {
        for (std::size_t I = 0; I < L.size(); ++I)
            if (L[I].rfind(Prefix, 0) == 0) return I;
        return L.size();
    };
    // Header lines stay ASCII and within 78 columns; continuations begin with a space.
    for (std::size_t I = 0; L[I] != ""; ++I) {
        EXPECT_LE(L[I].size(), 78u) << L[I];
        for (unsigned char C : L[I])
            EXPECT_LT(C, 0x80) << L[I];
    }
    const std::size_t From = Find("From: ");
    ASSERT_LT(From, L.size());
    EXPECT_EQ(L[From], "From: =?UTF-8?B?SsO8cmdlbiBNw7xsbGVy?= <alice@example.test>");
    const std::size_t Subject = Find("Subject: =?UTF-8?B?");
    ASSERT_LT(Subject, L.size());
    EXPECT_EQ(L[Subject + 1].rfind(" =?UTF-8?B?", 0), 0u);
    // The text part is UTF-8 in quoted-printable; a leading dot is still stuffed.
    const std::size_t Type = Find("Content-Type: text/plain; charset=UTF-8");
    ASSERT_LT(Type, L.size());
    EXPECT_EQ(L[Type + 1], "Content-Transfer-Encoding: quoted-printable");
    EXPECT_EQ(L[Type + 3], "Sch=C3=B6ne Gr=C3=BC=C3=9Fe");
    EXPECT_EQ(L[Type + 4].substr(0, 18), "..punkt am Anfang ");
    EXPECT_EQ(L[Type + 4].back(), '=');
    // The file name: encoded words in the content type, RFC 2231 sections in the disposition.
    const std::size_t File = Find("Content-Type: application/pdf; name=\"=?UTF-8?B?");
    ASSERT_LT(File, L.size());
    const std::size_t Disp = Find("Content-Disposition: inLine;");
    ASSERT_LT(Disp, L.size());
    EXPECT_EQ(L[Disp + 1].rfind(" filename*0*=UTF-8''%C3%9Cberweisung%20M%C3%A4rz", 0), 0u)
        << L[Disp + 1];
}

TEST_F(MimeCompose, Base64AtLineAndBlockBoundaries) {
    for (std::size_t Size : {0u, 1u, 2u, 3u, 56u, 57u, 58u, 2279u, 2280u, 2281u, 100000u}) {
        SCOPED_TRACE(Size);
        TQELAttachment* A =
            Msg->Attachments()->Add(MakeFile("f" + std::to_string(Size), Size, Size));
        Events.clear();
        Percents.clear();
        Mail.Base64Encode(A);
        const std::string Ref = ReferenceBase64(Files["f" + std::to_string(Size)]);
        std::string Joined;
        auto L = Lines(*A->EncodedLines());
        for (std::size_t I = 0; I < L.size(); ++I) {
            if (I + 1 < L.size()) {
                EXPECT_EQ(L[I].size(), 76u);
            }
            Joined += L[I];
        }
        EXPECT_EQ(Joined, Ref);
        EXPECT_EQ(L.size(), (Ref.size() + 75) / 76);
        ASSERT_EQ(Events.size(), 2u);
        EXPECT_EQ(Events[0], "start " + A->PathName() + " " + std::to_string(Size));
        EXPECT_EQ(Events[1], "end");
        ASSERT_FALSE(Percents.empty());
        EXPECT_EQ(Percents.back(), 100);
    }
}

TEST_F(MimeCompose, EncodeProgressFollowsEncodedLines) {
    TQELAttachment* A = Msg->Attachments()->Add(MakeFile("block", 2280));
    Mail.SetProgressStep(1);
    Mail.Base64Encode(A);
    // 57, 114, ... 2280 of 2280 bytes: 2.5 -> 2 (halves to even), 5, 7.5 -> 8, 10, ...
    std::vector<std::uint16_t> Want;
    int Threshold = 1;
    for (int K = 1; K <= 40; ++K) {
        int P = static_cast<int>(std::nearbyint(K * 57 * 100.0 / 2280));
        if (P >= Threshold) {
            Want.push_back(static_cast<std::uint16_t>(P));
            Threshold += 1;
        }
    }
    EXPECT_EQ(Percents, Want);
    EXPECT_EQ(Percents.front(), 2);
    EXPECT_EQ(Percents.back(), 100);
}

TEST_F(MimeCompose, AnErrorDuringEncodingAbortsComposition) {
    TQELAttachment* A = Msg->Attachments()->Add(MakeFile("big", 50000));
    int Errors = 0;
    Mail.OnError = [&](TObject*, int, const std::string&) { ++Errors; };
    Mail.OnEncodeProgress = [&](TObject*, std::uint16_t P) {
        Percents.push_back(P);
        if (P == 10) Mail.RaiseError(eeGeneral);
    };
    EXPECT_EQ(Mail.InitializeMessage(Msg), nullptr);
    EXPECT_EQ(Errors, 1);
    // The current block is finished, then encoding stops: no closing 100.
    EXPECT_LT(Percents.back(), 20);
    EXPECT_EQ(std::count(Events.begin(), Events.end(), "end"), 0);
    EXPECT_EQ(A->EncodedLines()->Count(), 0);
}

TEST_F(MimeCompose, UnreadableAttachmentRaisesFileError) {
    TQELAttachment* A = Msg->Attachments()->Add((Dir / "missing.bin").string());
    EXPECT_THROW(Mail.Base64Encode(A), EFOpenError);
    EXPECT_THROW(Mail.InitializeMessage(Msg), EFOpenError);
}

TEST_F(MimeCompose, IdentifiersDiffer) {
    std::set<std::string> Seen;
    for (int I = 0; I < 200; ++I) {
        std::string B = TQELSMTPMail::CreateBounds();
        ASSERT_TRUE(std::regex_match(B, std::regex("---QELMAIL[a-y]{12}"))) << B;
        Seen.insert(B);
        Seen.insert(Mail.CreateUIN());
    }
    EXPECT_EQ(Seen.size(), 400u);
}

TEST(MimeWire, ReplyLines) {
    using namespace qel::mailwire;
    TLineBuffer B;
    std::string L;
    B.Append("250-one\r\n250 t", 14);
    ASSERT_TRUE(B.NextLine(L));
    EXPECT_EQ(L, "250-one");
    EXPECT_FALSE(IsFinalReplyLine(L));
    EXPECT_FALSE(B.NextLine(L));
    B.Append("wo\n", 3);
    ASSERT_TRUE(B.NextLine(L));
    EXPECT_EQ(L, "250 two");
    EXPECT_TRUE(IsFinalReplyLine(L));
    EXPECT_TRUE(IsFinalReplyLine("250"));
    EXPECT_EQ(ReplyCode(" 25"), "25");
    EXPECT_EQ(ReplyText("250 " + std::string(70, 'x')), std::string(63, 'x'));
    int V = 0;
    EXPECT_TRUE(TryStrToInt(" 2525 ", V));
    EXPECT_EQ(V, 2525);
    EXPECT_FALSE(TryStrToInt("25x", V));
    EXPECT_FALSE(TryStrToInt("", V));
}

TEST(MimeWire, DateFormats) {
    std::tm T{};
    T.tm_year = 2026 - 1900;
    T.tm_mon = 11;
    T.tm_mday = 8;
    T.tm_hour = 17;
    T.tm_min = 4;
    T.tm_sec = 9;
    T.tm_isdst = -1;
    std::time_t W = std::mktime(&T);
    using qel::mailwire::FormatDateTime;
    EXPECT_EQ(FormatDateTime("hhnn.ddmmyyyy", W), "1704.08122026");
    EXPECT_EQ(FormatDateTime("dddd, mmmm d, yyyy, h:nn:ss AMPM", W),
              "Tuesday, December 8, 2026, 5:04:09 PM");
    EXPECT_EQ(FormatDateTime("ddd, d mmm yyyy hh:mm:ss", W), "Tue, 8 Dec 2026 17:04:09");
    EXPECT_EQ(FormatDateTime("'at' h am/pm", W), "at 5 pm");
}

} // namespace
