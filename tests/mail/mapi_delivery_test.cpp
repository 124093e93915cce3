// The delivering provider end to end: TQELMapiMail hands messages to libqelmapi, which sends
// them to the real SMTP server of scripts/mail-servers.sh, writes them to the outbox, or puts
// faxes into the spool; an independent parser (Python's email package) reads what arrived.
#include "mapi_support.h"
#include "tests/mail/local_mail_servers.h"

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <random>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace qel {
namespace {

namespace fs = std::filesystem;

// Parses a message file with Python's email package: header lines "Name: value" for the
// headers asked for, then "ATTACHMENT name type" per attachment, whose bytes go to OutDir.
std::string ParseWithPython(const fs::path& File, const fs::path& OutDir) {
    const std::string Script =
        "import sys, email, os\n"
        "from email import policy\n"
        "m = email.message_from_binary_file(open(sys.argv[1], 'rb'), policy=policy.default)\n"
        "for h in ('From','To','Cc','Bcc','Subject','X-Fax-Number','X-Fax-Recipient',"
        "'Disposition-Notification-To'):\n"
        "    print(h + ': ' + str(m.get(h, '<none>')).replace('\\n', ' '))\n"
        "print('BODY: ' + repr(m.get_body(('plain',)).get_content()))\n"
        "for i, a in enumerate(m.iter_attachments()):\n"
        "    open(os.path.join(sys.argv[2], str(i)), 'wb').write(a.get_payload(decode=True))\n"
        "    print('ATTACHMENT %s %s' % (a.get_filename(), a.get_content_type()))\n";
    const fs::path Py = OutDir / "parse.py";
    std::ofstream(Py) << Script;
    std::string Cmd =
        "/usr/bin/python3 " + Py.string() + " " + File.string() + " " + OutDir.string() + " 2>&1";
    return mailservers::RunCapture(Cmd);
}

std::string ReadAll(const fs::path& P) {
    std::ifstream In(P, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(In), {});
}

std::string RandomBytes(std::size_t N) {
    std::mt19937 G(12345);
    std::string S(N, '\0');
    for (char& C : S)
        C = static_cast<char>(G() & 0xff);
    return S;
}

class MapiDelivery : public test::MapiTest {
  protected:
    void SetUp() override {
        test::MapiTest::SetUp();
        UseProvider(test::DeliveringProviderPath());
        Book = MakeFile("addressbook", "# test book\nAlice Example = alice@example.test\n"
                                       "Bob Builder = SMTP:bob@example.test\n"
                                       "Head Office Fax = FAX:+49 30 555\n");
        TRegistry R;
        ASSERT_TRUE(R.OpenKey("Software\\QEL\\SimpleMAPI", true));
        R.WriteString("AddressBook", Book);
        R.WriteString("Outbox", Dir + "/outbox");
        R.WriteString("FaxSpool", Dir + "/fax");
        R.WriteString("Sender", "qel-tests@example.test");
        fs::create_directories(Dir + "/parsed");
    }
    void UseSmtp() {
        TRegistry R;
        ASSERT_TRUE(R.OpenKey("Software\\QEL\\SimpleMAPI", true));
        R.WriteString("SmtpHost", "127.0.0.1");
        R.WriteInteger("SmtpPort", 2525);
    }
    static std::vector<fs::path> FilesIn(const fs::path& D) {
        std::vector<fs::path> R;
        std::error_code Ec;
        for (const auto& E : fs::directory_iterator(D, Ec))
            R.push_back(E.path());
        return R;
    }
    std::string Book;
};

TEST_F(MapiDelivery, MailReachesTheServerWithRecipientsAndAttachmentBytes) {
    QEL_REQUIRE_MAIL_SERVERS(mailservers::SmtpPort);
    UseSmtp();
    const std::string Token =
        "mapi-e2e-" + std::to_string(::getpid()) + "-" +
        std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    const std::string Binary = RandomBytes(300000);
    const std::string BinPath = MakeFile("data.bin", Binary);
    const std::string TextPath = MakeFile("notes.txt", "plain text\n.leading dot\n");
    TQELMapiMail M(nullptr);
    std::vector<int> Errors;
    M.OnSendError = [&](TObject*, int C, TQELMapiMessage*) { Errors.push_back(C); };
    TQELMapiMessage* Msg = M.Messages()->Add();
    Msg->SetSubject(Token);
    Msg->Message()->Add("Hello Alice,");
    Msg->Message()->Add(".a line with a leading dot");
    Msg->RecipientsTo()->Add("Alice");
    Msg->RecipientsBC()->Add("[SMTP:bob@example.test]");
    Msg->Attachments()->Add(BinPath);
    Msg->Attachments()->Add(TextPath);
    Msg->SetReceipt(true);
    ASSERT_TRUE(M.Execute());
    EXPECT_TRUE(Errors.empty()) << Errors.front();
    EXPECT_EQ(M.Messages()->Count(), 0);

    const fs::path ForAlice = mailservers::FindDelivered({"alice"}, Token, 10000);
    const fs::path ForBob = mailservers::FindDelivered({"bob"}, Token, 10000);
    ASSERT_FALSE(ForAlice.empty()) << "nothing delivered to alice";
    ASSERT_FALSE(ForBob.empty()) << "the blind copy did not reach bob";
    const std::string Parsed = ParseWithPython(ForAlice, Dir + "/parsed");
    EXPECT_TRUE(Has(Parsed, "From: qel-tests@example.test")) << Parsed;
    EXPECT_TRUE(Has(Parsed, "To: Alice Example <alice@example.test>")) << Parsed;
    EXPECT_TRUE(Has(Parsed, "Bcc: <none>")) << Parsed; // blind copies stay blind
    EXPECT_TRUE(Has(Parsed, "Subject: " + Token)) << Parsed;
    EXPECT_TRUE(Has(Parsed, "Disposition-Notification-To: qel-tests@example.test")) << Parsed;
    EXPECT_TRUE(Has(Parsed, "Hello Alice,\\n.a line with a leading dot")) << Parsed;
    EXPECT_TRUE(Has(Parsed, "ATTACHMENT data.bin application/octet-stream")) << Parsed;
    EXPECT_TRUE(Has(Parsed, "ATTACHMENT notes.txt text/plain")) << Parsed;
    EXPECT_EQ(ReadAll(Dir + "/parsed/0"), Binary);
    EXPECT_EQ(ReadAll(Dir + "/parsed/1"), "plain text\n.leading dot\n");
    std::error_code Ec;
    fs::remove(ForAlice, Ec);
    fs::remove(ForBob, Ec);
}

TEST_F(MapiDelivery, RejectedRecipientsAndUnreachableServersAreReported) {
    QEL_REQUIRE_MAIL_SERVERS(mailservers::SmtpPort);
    UseSmtp();
    TQELMapiMail M(nullptr);
    std::vector<int> Errors;
    M.OnSendError = [&](TObject*, int C, TQELMapiMessage*) { Errors.push_back(C); };
    TQELMapiMessage* Msg = M.Messages()->Add();
    Msg->RecipientsTo()->Add("nobody@elsewhere.test"); // the server relays nowhere
    ASSERT_TRUE(M.Execute());
    EXPECT_EQ(Errors, std::vector<int>{static_cast<int>(MAPI_E_UNKNOWN_RECIPIENT)});
    EXPECT_EQ(M.Messages()->Count(), 1);

    TRegistry R;
    ASSERT_TRUE(R.OpenKey("Software\\QEL\\SimpleMAPI", true));
    R.WriteInteger("SmtpPort", 1); // nothing listens there
    Errors.clear();
    ASSERT_TRUE(M.Execute());
    EXPECT_EQ(Errors, std::vector<int>{static_cast<int>(MAPI_E_NETWORK_FAILURE)});
}

TEST_F(MapiDelivery, WithoutAServerMailGoesToTheOutboxAndFaxesToTheSpool) {
    const std::string Attachment = MakeFile("photo.png", RandomBytes(5000));
    TQELMapiMail M(nullptr);
    std::vector<int> Errors;
    M.OnSendError = [&](TObject*, int C, TQELMapiMessage*) { Errors.push_back(C); };
    TQELMapiMessage* Mail = M.Messages()->Add();
    Mail->SetSubject("Grüße aus dem Büro");
    Mail->Message()->Add("Text");
    Mail->RecipientsTo()->Add("Bob");
    Mail->RecipientsCC()->Add("carol@example.test");
    Mail->RecipientsBC()->Add("dave@example.test");
    Mail->Attachments()->Add(Attachment);
    TQELMapiMessage* Fax = M.Messages()->Add();
    Fax->SetSendMethod(ccFax);
    Fax->SetSubject("Order\r\nBcc: evil@example.test"); // must not become a header
    Fax->SetFaxNumber("+49 30 777");
    Fax->SetFaxTo("Supplier");
    Fax->Message()->Add("Please deliver.");
    TQELMapiMessage* Broken = M.Messages()->Add();
    Broken->RecipientsTo()->Add("Bob");
    Broken->Attachments()->Add(Dir + "/gone.txt");
    ASSERT_TRUE(M.Execute());
    // The message with a missing file is refused, not sent without it.
    EXPECT_EQ(Errors, std::vector<int>{static_cast<int>(MAPI_E_ATTACHMENT_NOT_FOUND)});
    ASSERT_EQ(M.Messages()->Count(), 1);

    auto Out = FilesIn(Dir + "/outbox");
    ASSERT_EQ(Out.size(), 1u);
    EXPECT_EQ(Out[0].extension(), ".eml");
    std::string Parsed = ParseWithPython(Out[0], Dir + "/parsed");
    EXPECT_TRUE(Has(Parsed, "To: Bob Builder <bob@example.test>")) << Parsed;
    EXPECT_TRUE(Has(Parsed, "Cc: carol@example.test")) << Parsed;
    EXPECT_TRUE(Has(Parsed, "Bcc: dave@example.test")) << Parsed; // kept for later delivery
    EXPECT_TRUE(Has(Parsed, "Subject: Grüße aus dem Büro")) << Parsed;
    EXPECT_TRUE(Has(Parsed, "ATTACHMENT photo.png image/png")) << Parsed;
    EXPECT_EQ(ReadAll(Dir + "/parsed/0"), ReadAll(Attachment));

    auto Faxes = FilesIn(Dir + "/fax");
    ASSERT_EQ(Faxes.size(), 1u);
    Parsed = ParseWithPython(Faxes[0], Dir + "/parsed");
    EXPECT_TRUE(Has(Parsed, "X-Fax-Number: +49 30 777")) << Parsed;
    EXPECT_TRUE(Has(Parsed, "X-Fax-Recipient: Supplier")) << Parsed;
    EXPECT_TRUE(Has(Parsed, "Subject: Order  Bcc: evil@example.test")) << Parsed;
    EXPECT_TRUE(Has(Parsed, "Bcc: <none>")) << Parsed;
    EXPECT_TRUE(Has(Parsed, "Please deliver.")) << Parsed;
}

TEST_F(MapiDelivery, ProviderResolvesFromTheAddressBook) {
    const TQELMapiEntryPoints& E = QELMapiEntries();
    auto Resolve = [&](const char* Name, std::string& Out) {
        lpMapiRecipDesc R = nullptr;
        MAPI_ULONG Code = E.MAPIResolveName(0, 0, const_cast<char*>(Name), 0, 0, &R);
        if (Code == SUCCESS_SUCCESS) {
            Out = std::string(R->lpszName) + "|" + R->lpszAddress;
            EXPECT_EQ(E.MAPIFreeBuffer(R), SUCCESS_SUCCESS);
            EXPECT_NE(E.MAPIFreeBuffer(R), SUCCESS_SUCCESS); // only once
        }
        return Code;
    };
    std::string Out;
    EXPECT_EQ(Resolve("alice", Out), SUCCESS_SUCCESS);
    EXPECT_EQ(Out, "Alice Example|SMTP:alice@example.test");
    EXPECT_EQ(Resolve("Head Office Fax", Out), SUCCESS_SUCCESS);
    EXPECT_EQ(Out, "Head Office Fax|FAX:+49 30 555");
    EXPECT_EQ(Resolve("e", Out), MAPI_E_AMBIGUOUS_RECIPIENT);
    EXPECT_EQ(Resolve("Zed", Out), MAPI_E_UNKNOWN_RECIPIENT);
    EXPECT_EQ(Resolve("zed@example.test", Out), SUCCESS_SUCCESS);
    EXPECT_EQ(Out, "zed@example.test|SMTP:zed@example.test");
    // An address that would break a header line is not an address.
    EXPECT_EQ(Resolve("a@b.test\r\nBcc: x@y.test", Out), MAPI_E_UNKNOWN_RECIPIENT);

    LHANDLE S = 0;
    EXPECT_EQ(E.MAPILogon(0, const_cast<char*>("NoSuchProfile"), nullptr, 0, 0, &S),
              MAPI_E_LOGON_FAILURE);
    ASSERT_EQ(E.MAPILogon(0, nullptr, nullptr, 0, 0, &S), SUCCESS_SUCCESS);
    char Id[512];
    EXPECT_EQ(E.MAPIFindNext(S, 0, nullptr, nullptr, 0, 0, Id), MAPI_E_NO_MESSAGES);
    EXPECT_EQ(E.MAPILogoff(S, 0, 0, 0), SUCCESS_SUCCESS);
    EXPECT_EQ(E.MAPILogoff(S, 0, 0, 0), MAPI_E_INVALID_SESSION);
}

} // namespace
} // namespace qel
