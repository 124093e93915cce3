// The SMTP sender against the real local Postfix of scripts/mail-servers.sh: a message with
// attachments at every encoder boundary and a large random one is delivered, and an
// independent MIME parser (Python's email package) finds the same subject, recipients, text
// and attachment bytes in the delivered file.
#include "mail/QELTIEmails.h"
#include "tests/mail/local_mail_servers.h"
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

using mailservers::RunCapture;

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
    QEL_REQUIRE_MAIL_SERVERS(mailservers::SmtpPort);
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

    const fs::path File = mailservers::FindDelivered({"alice", "bob"}, Token, 20000);
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
        fs::path Other = mailservers::FindDelivered({"alice", "bob"}, Token, 3000);
        if (!Other.empty()) fs::remove(Other);
    }
    fs::remove_all(Dir);
}

} // namespace
