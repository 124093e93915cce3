// The POP3 receiver against the real local servers of scripts/mail-servers.sh: Dovecot on
// 127.0.0.1:11110 and, for the round trip, Postfix on 127.0.0.1:2525. Mail for the POP3-only
// cases is written straight into bob's Maildir; the round trip goes to alice.
#include "mail/QELTIEmails.h"
#include "tests/mail/local_mail_servers.h"
#include "tests/mail/review_message_boxes.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <random>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace qel;
namespace fs = std::filesystem;
using mailservers::Maildir;

namespace {

#define REQUIRE_SERVERS() QEL_REQUIRE_MAIL_SERVERS(mailservers::Pop3Port, mailservers::SmtpPort)

std::vector<fs::path> MailFiles(const std::string& User) {
    std::vector<fs::path> Files;
    for (const char* Sub : {"new", "cur"}) {
        std::error_code Ec;
        for (const auto& E : fs::directory_iterator(Maildir(User) / Sub, Ec))
            if (E.is_regular_file()) Files.push_back(E.path());
    }
    return Files;
}

void ClearMaildir(const std::string& User) {
    for (const auto& F : MailFiles(User))
        fs::remove(F);
}

// Delivers Raw (LF line ends) the way a local delivery agent does: write into tmp, then move
// into new. Names sort in delivery order.
void Deliver(const std::string& User, const std::string& Raw) {
    static int Counter = 0;
    const int Seq = ++Counter;
    const std::string Name = std::to_string(1700000000 + Seq) + ".M" + std::to_string(Seq) + "P" +
                             std::to_string(getpid()) + ".qeltest";
    fs::path Tmp = Maildir(User) / "tmp" / Name;
    std::ofstream(Tmp, std::ios::binary) << Raw;
    // Without the change of owner the file stays readable (mode 644), which is all POP3 needs.
    [[maybe_unused]] int Ignored = ::chown(Tmp.c_str(), 5000, 5000);
    fs::rename(Tmp, Maildir(User) / "new" / Name);
}

TQELPOPMail* NewPop(const std::string& User, const std::string& Password) {
    auto* P = new TQELPOPMail(nullptr);
    P->SetHost("127.0.0.1");
    P->SetPort("11110");
    P->SetUsername(User);
    P->SetPassword(Password);
    P->SetReplyTimeout(10000);
    return P;
}

std::string Content(TQELAttachment* A) {
    return std::string(reinterpret_cast<const char*>(A->Content()->Memory()),
                       static_cast<std::size_t>(A->Content()->Size()));
}

} // namespace

TEST(Pop3Server, CountOrderAndDeletion) {
    REQUIRE_SERVERS();
    ClearMaildir("bob");
    for (int I = 1; I <= 3; ++I)
        Deliver("bob", "From: sender@example.test\nTo: bob@example.test\nSubject: m" +
                           std::to_string(I) + "\n\nbody " + std::to_string(I) + "\n.dot\n");
    std::unique_ptr<TQELPOPMail> Pop(NewPop("bob", "bobpw"));
    Pop->SetDeleteOfServer(true);
    std::vector<std::string> Log;
    Pop->BeforeRetrieve = [&](TObject*, std::uint16_t I) {
        Log.push_back("retr " + std::to_string(I));
    };
    Pop->OnDelete = [&](TObject*, std::uint16_t I) { Log.push_back("dele " + std::to_string(I)); };
    std::vector<int> Errors;
    Pop->OnError = [&](TObject*, int C, const std::string&) { Errors.push_back(C); };
    EXPECT_TRUE(Pop->Execute());
    EXPECT_TRUE(Errors.empty());
    EXPECT_EQ(Log, (std::vector<std::string>{"retr 1", "dele 1", "retr 2", "dele 2", "retr 3",
                                             "dele 3"}));
    ASSERT_EQ(Pop->Messages()->Count(), 3);
    for (int I = 0; I < 3; ++I) {
        TQELMessage* M = Pop->Messages()->GetQELMessage(I);
        EXPECT_EQ(M->Subject(), "m" + std::to_string(I + 1));
        EXPECT_EQ(M->FromMail(), "sender@example.test");
        EXPECT_EQ(M->Message()->Strings(1), ".dot");
    }
    EXPECT_TRUE(MailFiles("bob").empty());
}

TEST(Pop3Server, WrongPasswordGives2001AndLeavesTheMail) {
    REQUIRE_SERVERS();
    ClearMaildir("bob");
    Deliver("bob", "Subject: stays\n\nx\n");
    std::unique_ptr<TQELPOPMail> Pop(NewPop("bob", "wrong"));
    Pop->SetDeleteOfServer(true);
    std::vector<int> Errors;
    Pop->OnError = [&](TObject*, int C, const std::string&) { Errors.push_back(C); };
    bool Retrieved = false;
    Pop->BeforeRetrieve = [&](TObject*, std::uint16_t) { Retrieved = true; };
    Pop->Execute();
    EXPECT_EQ(Errors, std::vector<int>{2001});
    EXPECT_FALSE(Retrieved);
    EXPECT_EQ(MailFiles("bob").size(), 1u);
    ClearMaildir("bob");
}

TEST(Pop3Server, RoundTripThroughSmtpKeepsAttachmentsByteIdentical) {
    REQUIRE_SERVERS();
    ClearMaildir("alice");
    fs::path Dir = fs::temp_directory_path() / ("qel-pop3-rt-" + std::to_string(getpid()));
    fs::create_directories(Dir);
    std::mt19937 Rng(42);
    std::vector<std::pair<std::string, std::string>> Files = {
        {"random.bin", ""}, {"small.txt", "line one\r\nline two\n"}, {"empty.dat", ""}};
    for (int I = 0; I < 300001; ++I)
        Files[0].second += static_cast<char>(Rng() & 0xFF);
    for (auto& [Name, Bytes] : Files)
        std::ofstream(Dir / Name, std::ios::binary) << Bytes;

    TQELSMTPMail Smtp(nullptr);
    Smtp.SetHost("127.0.0.1");
    Smtp.SetPort("2525");
    Smtp.SetLinePause(0);
    TQELMessage* Out = Smtp.Messages()->Add();
    Out->SetFromMail("sender@example.test");
    Out->SetFromName("Round Trip");
    Out->SetSendTo("alice@example.test");
    Out->SetSubject("round trip");
    Out->Message()->Add("first line");
    Out->Message()->Add(".starts with a dot");
    for (auto& [Name, Bytes] : Files)
        Out->Attachments()->Add((Dir / Name).string());
    ASSERT_TRUE(Smtp.Execute());

    // Delivery is asynchronous.
    auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (MailFiles("alice").empty() && std::chrono::steady_clock::now() < Deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_EQ(MailFiles("alice").size(), 1u);

    std::unique_ptr<TQELPOPMail> Pop(NewPop("alice", "alicepw"));
    Pop->SetDeleteOfServer(true);
    EXPECT_TRUE(Pop->Execute());
    ASSERT_EQ(Pop->Messages()->Count(), 1);
    TQELMessage* In = Pop->Messages()->GetQELMessage(0);
    EXPECT_EQ(In->Subject(), "round trip");
    EXPECT_EQ(In->FromMail(), "sender@example.test");
    EXPECT_EQ(In->FromName(), "Round Trip ");
    EXPECT_EQ(In->SendTo(), "alice@example.test");
    ASSERT_GE(In->Message()->Count(), 2);
    EXPECT_EQ(In->Message()->Strings(0), "first line");
    EXPECT_EQ(In->Message()->Strings(1), ".starts with a dot");
    ASSERT_EQ(In->Attachments()->Count(), 3);
    for (int I = 0; I < 3; ++I) {
        TQELAttachment* A = In->Attachments()->GeTQELAttachment(I);
        EXPECT_EQ(A->FileName(), Files[I].first);
        EXPECT_TRUE(Content(A) == Files[I].second) << Files[I].first;
    }
    EXPECT_TRUE(MailFiles("alice").empty());
    fs::remove_all(Dir);
}

TEST(Pop3Server, FetchCommandSavesAttachmentsAndReportsFailure) {
    REQUIRE_SERVERS();
    const fs::path Tool = fs::path(QEL_BINARY_DIR) / "bin" / "qel-mail";
    ASSERT_TRUE(fs::exists(Tool)) << "build the qel-mail target first";
    ClearMaildir("bob");
    Deliver("bob", "From: a@example.test\nSubject: tool\n"
                   "Content-Type: multipart/mixed; boundary=\"zz\"\n\n"
                   "--zz\nContent-Type: text/plain\n\nhi\n"
                   "--zz\nContent-Type: application/octet-stream; name=\"a.bin\"\n"
                   "Content-Transfer-Encoding: base64\n\nAAECAw==\n\n--zz--\n");
    fs::path Dir = fs::temp_directory_path() / ("qel-pop3-fetch-" + std::to_string(getpid()));
    fs::create_directories(Dir);
    std::ofstream(Dir / "pw") << "bobpw\n";
    std::ofstream(Dir / "bad") << "nope\n";
    const std::string Base = Tool.string() + " fetch --host 127.0.0.1 --port 11110 --user bob ";
    EXPECT_NE(std::system((Base + "--password-file " + (Dir / "bad").string() + " > " +
                           (Dir / "out1").string() + " 2>&1")
                              .c_str()),
              0);
    {
        std::ifstream Told(Dir / "out1");
        std::string All((std::istreambuf_iterator<char>(Told)), std::istreambuf_iterator<char>());
        EXPECT_NE(All.find("qel-mail fetch: Unable to connect"), std::string::npos) << All;
    }
    EXPECT_EQ(std::system((Base + "--password-file " + (Dir / "pw").string() + " --delete --save " +
                           (Dir / "saved").string() + " > " + (Dir / "out2").string())
                              .c_str()),
              0);
    std::ifstream Out(Dir / "out2");
    std::string Line;
    std::getline(Out, Line);
    EXPECT_EQ(Line, "1\ta@example.test\ttool\t1 attachment(s)\ta.bin");
    std::ifstream Saved(Dir / "saved" / "a.bin", std::ios::binary);
    std::string Bytes((std::istreambuf_iterator<char>(Saved)), std::istreambuf_iterator<char>());
    EXPECT_EQ(Bytes, std::string("\x00\x01\x02\x03", 4));
    EXPECT_TRUE(MailFiles("bob").empty());
    fs::remove_all(Dir);
}

TEST(Pop3Server, MalformedMailInTheMiddleIsKeptAndTheMailboxEmptied) {
    REQUIRE_SERVERS();
    ClearMaildir("bob");
    Deliver("bob", "From: a@example.test\nSubject: first\n\none\n");
    Deliver("bob",
            "From: a@example.test\nSubject: broken\n"
            "Content-Type: multipart/mixed; boundary=\"q\"\n\n--q\nContent-Type: text/plain\n"
            "\ncut off here\n");
    Deliver("bob", "From: a@example.test\nSubject: third\n\nthree\n");
    std::unique_ptr<TQELPOPMail> Pop(NewPop("bob", "bobpw"));
    Pop->SetDeleteOfServer(true);
    std::vector<int> Errors;
    Pop->OnError = [&](TObject*, int C, const std::string&) { Errors.push_back(C); };
    EXPECT_TRUE(Pop->Execute());
    EXPECT_TRUE(Errors.empty());
    ASSERT_EQ(Pop->Messages()->Count(), 3);
    EXPECT_EQ(Pop->Messages()->GetQELMessage(0)->Subject(), "first");
    TQELMessage* Broken = Pop->Messages()->GetQELMessage(1);
    EXPECT_EQ(Broken->Subject(), "broken");
    EXPECT_EQ(Broken->ParseError(), "Message Format Error");
    EXPECT_NE(Broken->Message()->Text().find("cut off here"), std::string::npos);
    EXPECT_EQ(Pop->Messages()->GetQELMessage(2)->Subject(), "third");
    // QUIT committed every DELE: the next run finds nothing.
    EXPECT_TRUE(MailFiles("bob").empty());
}

TEST(Pop3Server, NonAsciiMailRoundTripsToPythonAndBack) {
    REQUIRE_SERVERS();
    ClearMaildir("alice");
    fs::path Dir = fs::temp_directory_path() / ("qel-pop3-utf8-" + std::to_string(getpid()));
    fs::create_directories(Dir);
    const std::string FileName =
        "\u00dcberweisung M\u00e4rz \u2013 Protokoll der Sitzung vom "
        "Dezember \u0437\u0430\u0441\u0435\u0434\u0430\u043d\u0438\u0435.pdf";
    std::ofstream(Dir / "data.pdf", std::ios::binary) << "%PDF-1.4 fake\n";
    std::ofstream(Dir / FileName, std::ios::binary) << "%PDF-1.4 fake\n";

    TQELSMTPMail Smtp(nullptr);
    Smtp.SetHost("127.0.0.1");
    Smtp.SetPort("2525");
    Smtp.SetLinePause(0);
    TQELMessage* Out = Smtp.Messages()->Add();
    Out->SetFromMail("sender@example.test");
    Out->SetFromName("J\u00fcrgen M\u00fcller, \"Chef\"");
    Out->SetSendTo("alice@example.test");
    const std::string Subject = "Gr\u00fc\u00dfe aus K\u00f6ln \u2013 und ein sehr langer Betreff, "
                                "der gefaltet werden muss \u00e4\u00f6\u00fc";
    Out->SetSubject(Subject);
    Out->Message()->Add("Sch\u00f6ne Gr\u00fc\u00dfe,");
    Out->Message()->Add(".ein Punkt am Anfang und eine lange Zeile " + std::string(200, 'x'));
    Out->Attachments()->Add((Dir / FileName).string());
    ASSERT_TRUE(Smtp.Execute());

    const fs::path Delivered = mailservers::FindDelivered({"alice"}, "Message-Id:", 20000);
    ASSERT_FALSE(Delivered.empty());
    // Python's email package reads exactly what was written.
    const char* Check = R"PY(
import sys
from email import message_from_bytes, policy
m = message_from_bytes(open(sys.argv[1], 'rb').read(), policy=policy.default)
body = m.get_body(preferencelist=('plain',)).get_content().replace('\r\n', '\n')
files = [p.get_filename() for p in m.iter_attachments()]
sys.stdout.write('\x1e'.join([str(m['subject']), m['from'].addresses[0].display_name,
                              body.rstrip('\n'), '|'.join(files)]))
)PY";
    std::ofstream(Dir / "check.py") << Check;
    const std::string Got = mailservers::RunCapture(
        "/usr/bin/python3 " + (Dir / "check.py").string() + " '" + Delivered.string() + "'");
    const std::string Want =
        Subject + "\x1e" + Out->FromName() + "\x1e" +
        "Sch\u00f6ne Gr\u00fc\u00dfe,\n.ein Punkt am Anfang und eine lange Zeile " +
        std::string(200, 'x') + "\x1e" + FileName;
    EXPECT_EQ(Got, Want);

    // And this library reads it back the same.
    std::unique_ptr<TQELPOPMail> Pop(NewPop("alice", "alicepw"));
    Pop->SetDeleteOfServer(true);
    EXPECT_TRUE(Pop->Execute());
    ASSERT_EQ(Pop->Messages()->Count(), 1);
    TQELMessage* In = Pop->Messages()->GetQELMessage(0);
    EXPECT_EQ(In->Subject(), Subject);
    EXPECT_EQ(In->FromName(), Out->FromName() + " ");
    ASSERT_GE(In->Message()->Count(), 2);
    EXPECT_EQ(In->Message()->Strings(0), "Sch\u00f6ne Gr\u00fc\u00dfe,");
    EXPECT_EQ(In->Message()->Strings(1), Out->Message()->Strings(1));
    ASSERT_EQ(In->Attachments()->Count(), 1);
    EXPECT_EQ(In->Attachments()->GeTQELAttachment(0)->FileName(), FileName);
    std::time_t When = 0;
    EXPECT_TRUE(In->DecodeDate(When));
    EXPECT_LT(std::abs(std::time(nullptr) - When), 120);
    fs::remove_all(Dir);
}
