// The SMTP sender against the real local Postfix of scripts/mail-servers.sh: a message with
// attachments at every encoder boundary and a large random one is delivered, and an
// independent MIME parser (Python's email package) finds the same subject, recipients, text
// and attachment bytes in the delivered file.
#include "mail/QELTIEmails.h"
#include "toolkit/controls/Forms.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <random>
#include <sstream>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace qel;
namespace fs = std::filesystem;

namespace {

bool SmtpPortOpen() {
    int Fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in A{};
    A.sin_family = AF_INET;
    A.sin_port = htons(2525);
    A.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool Ok = ::connect(Fd, reinterpret_cast<sockaddr*>(&A), sizeof A) == 0;
    ::close(Fd);
    return Ok;
}

fs::path MailRoot() {
    const char* D = std::getenv("QEL_MAIL_DIR");
    return D && *D ? fs::path(D) : fs::path("/tmp/qel-mail");
}

bool SmtpServerUp() {
    static const bool Up = [] {
        if (SmtpPortOpen()) return true;
        const std::string Cmd = std::string(QEL_SOURCE_DIR) + "/scripts/mail-servers.sh start " +
                                MailRoot().string() + " > /dev/null 2>&1";
        if (std::system(Cmd.c_str()) != 0) return false;
        return SmtpPortOpen();
    }();
    return Up;
}

// The delivered file whose text holds Token, looked for in both users' mailboxes.
fs::path FindDelivered(const std::string& Token, int TimeoutMs) {
    const auto End = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
    while (std::chrono::steady_clock::now() < End) {
        for (const char* User : {"alice", "bob"})
            for (const char* Sub : {"new", "cur"}) {
                std::error_code Ec;
                for (const auto& E :
                     fs::directory_iterator(MailRoot() / "mail" / User / "Maildir" / Sub, Ec)) {
                    std::ifstream In(E.path(), std::ios::binary);
                    std::string Head(4096, '\0');
                    In.read(Head.data(), static_cast<std::streamsize>(Head.size()));
                    Head.resize(static_cast<std::size_t>(In.gcount()));
                    if (Head.find(Token) != std::string::npos) return E.path();
                }
            }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return {};
}

std::string RunCapture(const std::string& Cmd) {
    std::string Out;
    FILE* P = ::popen(Cmd.c_str(), "r");
    if (!P) return Out;
    char Buf[4096];
    std::size_t N;
    while ((N = std::fread(Buf, 1, sizeof Buf, P)) > 0)
        Out.append(Buf, N);
    ::pclose(P);
    return Out;
}

// Prints what the email package sees, and checks every attachment against its source file.
const char CheckScript[] = R"PY(
import sys, email, email.policy
msg = email.message_from_binary_file(open(sys.argv[1], 'rb'), policy=email.policy.default)
print('subject=' + str(msg['Subject']))
print('to=' + str(msg['To']))
body = msg.get_body(preferencelist=('plain',))
print('text=' + body.get_content().replace('\n', '|'))
want = sys.argv[2:]
atts = list(msg.iter_attachments())
print('attachments=%d' % len(atts))
for part, path in zip(atts, want):
    data = part.get_payload(decode=True) or b''
    src = open(path, 'rb').read()
    name = part.get_filename()
    ok = data == src and name == path.rsplit('/', 1)[-1]
    print('%s %s %d' % ('ok' if ok else 'MISMATCH', name, len(data)))
)PY";

TEST(SmtpServer, MessageWithAttachmentsArrivesIntact) {
    if (!SmtpServerUp()) {
        if (std::getenv("QEL_REQUIRE_SERVERS")) FAIL() << "SMTP server not reachable";
        GTEST_SKIP() << "SMTP server not reachable";
    }
    const fs::path Dir = fs::temp_directory_path() / ("qel-smtp-" + std::to_string(::getpid()));
    fs::create_directories(Dir);
    std::mt19937_64 Gen(std::random_device{}());
    const std::string Token = "qeltest" + std::to_string(Gen());

    TQELSMTPMail Mail(nullptr);
    Mail.SetHost("127.0.0.1");
    Mail.SetPort("2525");
    Mail.SetLinePause(0);
    Mail.SetReplyTimeout(30000);
    Mail.Signature()->Add("-- ");
    Mail.Signature()->Add("sent by the test");
    TQELMessage* M = Mail.Messages()->Add();
    M->SetFromMail("tester@example.test");
    M->SetFromName("Mail Tester");
    M->SetSendTo("alice@example.test, bob@example.test");
    M->SetSubject("Attachments " + Token);
    M->Message()->Add("Hello there.");
    M->Message()->Add(".a line with a leading dot");
    std::vector<std::string> Paths;
    for (std::size_t Size : {0u, 1u, 57u, 58u, 2280u, 2281u, 5u * 1024 * 1024}) {
        std::string Bytes(Size, '\0');
        for (auto& C : Bytes)
            C = static_cast<char>(Gen());
        const fs::path P = Dir / ("file" + std::to_string(Size) + ".bin");
        std::ofstream(P, std::ios::binary) << Bytes;
        Paths.push_back(P.string());
        M->Attachments()->Add(P.string());
    }
    std::vector<std::pair<int, std::string>> Errors;
    Mail.OnError = [&](TObject*, int Code, const std::string& Text) {
        Errors.push_back({Code, Text});
    };
    bool Accepted = false;
    Mail.OnSuccessSend = [&](TObject*) { Accepted = true; };

    ASSERT_TRUE(Mail.Execute());
    ASSERT_TRUE(Errors.empty()) << Errors[0].first << " " << Errors[0].second;
    ASSERT_TRUE(Accepted);

    const fs::path File = FindDelivered(Token, 20000);
    ASSERT_FALSE(File.empty()) << "message not delivered";
    // Both recipients get it; the other copy is found and removed too.
    const fs::path Script = Dir / "check.py";
    std::ofstream(Script) << CheckScript;
    std::string Cmd = "/usr/bin/python3 " + Script.string() + " " + File.string();
    for (const auto& P : Paths)
        Cmd += " " + P;
    const std::string Out = RunCapture(Cmd + " 2>&1");
    EXPECT_NE(Out.find("subject=Attachments " + Token + "\n"), std::string::npos) << Out;
    EXPECT_NE(Out.find("to=alice@example.test, bob@example.test\n"), std::string::npos) << Out;
    EXPECT_NE(Out.find("text=Hello there.|.a line with a leading dot|||-- |sent by the test"),
              std::string::npos)
        << Out;
    EXPECT_NE(Out.find("attachments=7\n"), std::string::npos) << Out;
    EXPECT_EQ(Out.find("MISMATCH"), std::string::npos) << Out;
    EXPECT_NE(Out.find("ok file5242880.bin 5242880"), std::string::npos) << Out;
    EXPECT_NE(Out.find("ok file0.bin 0"), std::string::npos) << Out;

    fs::remove(File);
    for (int I = 0; I < 2; ++I) {
        fs::path Other = FindDelivered(Token, 3000);
        if (!Other.empty()) fs::remove(Other);
    }
    fs::remove_all(Dir);
}

} // namespace
