// The POP3 receiver against a scripted loopback server: the dialogue, the event order, and
// servers that fail in the middle of a session.
#include "mail/QELTIEmails.h"
#include "tests/mail/pop3_fake_server.h"
#include "tests/mail/review_message_boxes.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace qel;
using pop3test::TFakePop3;

namespace {

std::string Mail(const std::string& Subject, const std::string& Body = "hello") {
    return "From: \"Sender\" <sender@x.test>\r\nTo: alice@x.test\r\nSubject: " + Subject +
           "\r\n\r\n" + Body + "\r\n";
}

struct TPopFixture {
    TQELPOPMail Pop{nullptr};
    std::vector<std::string> Log;
    std::vector<int> Errors;
    std::vector<std::string> ErrorTexts;

    explicit TPopFixture(const TFakePop3& Server) {
        Pop.SetHost("127.0.0.1");
        Pop.SetPort(Server.PortText());
        Pop.SetUsername("alice");
        Pop.SetPassword("secret");
        Pop.SetReplyTimeout(2000);
        Pop.OnExecute = [this](TObject*) { Log.push_back("Execute"); };
        Pop.OnConnect = [this](TObject*) { Log.push_back("Connect"); };
        Pop.OnDisconnect = [this](TObject*) { Log.push_back("Disconnect"); };
        Pop.BeforeRetrieve = [this](TObject*, std::uint16_t I) {
            Log.push_back("Before " + std::to_string(I));
        };
        Pop.AfterRetrieve = [this](TObject*) { Log.push_back("After"); };
        Pop.OnDelete = [this](TObject*, std::uint16_t I) {
            Log.push_back("Delete " + std::to_string(I));
        };
        Pop.OnDecodeStart = [this](TObject*, const std::string& N, int) {
            Log.push_back("DecodeStart " + N);
        };
        Pop.OnDecodeEnd = [this](TObject*) { Log.push_back("DecodeEnd"); };
        Pop.OnError = [this](TObject*, int Code, const std::string& Text) {
            Errors.push_back(Code);
            ErrorTexts.push_back(Text);
            Log.push_back("Error " + std::to_string(Code));
        };
    }
};

double SecondsOf(const std::function<void()>& Fn) {
    auto T0 = std::chrono::steady_clock::now();
    Fn();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - T0).count();
}

} // namespace

TEST(Pop3Session, RetrievesEveryMailInOrderAndDeletesIt) {
    TFakePop3 Server;
    Server.Mails = {Mail("one"), Mail("two", ".dotted\r\nline"),
                    Mail("three", std::string(5000, 'x'))};
    Server.Start();
    TPopFixture F(Server);
    F.Pop.SetDeleteOfServer(true);
    EXPECT_TRUE(F.Pop.Execute());
    Server.Join();
    EXPECT_EQ(Server.Commands(),
              (std::vector<std::string>{"USER alice", "PASS secret", "STAT", "RETR 1", "DELE 1",
                                        "RETR 2", "DELE 2", "RETR 3", "DELE 3", "QUIT"}));
    ASSERT_EQ(F.Pop.Messages()->Count(), 3);
    EXPECT_EQ(F.Pop.Messages()->GetQELMessage(0)->Subject(), "one");
    TStrings* Two = F.Pop.Messages()->GetQELMessage(1)->Message();
    ASSERT_EQ(Two->Count(), 2);
    EXPECT_EQ(Two->Strings(0), ".dotted");
    EXPECT_EQ(F.Pop.Messages()->GetQELMessage(2)->Message()->Strings(0), std::string(5000, 'x'));
    EXPECT_EQ(F.Log, (std::vector<std::string>{"Execute", "Connect", "Before 1", "After",
                                               "Delete 1", "Before 2", "After", "Delete 2",
                                               "Before 3", "After", "Delete 3", "Disconnect"}));
    EXPECT_FALSE(F.Pop.Busy());
    EXPECT_FALSE(F.Pop.Connected());
}

TEST(Pop3Session, SecondRunStartsAgainAtOneAndKeepsEarlierMessages) {
    TFakePop3 Server;
    Server.Mails = {Mail("a"), Mail("b")};
    Server.Start(2);
    TPopFixture F(Server);
    EXPECT_TRUE(F.Pop.Execute());
    EXPECT_TRUE(F.Pop.Execute());
    Server.Join();
    auto C = Server.Commands();
    EXPECT_EQ(std::count(C.begin(), C.end(), "RETR 1"), 2);
    EXPECT_EQ(std::count(C.begin(), C.end(), "DELE 1"), 0);
    EXPECT_EQ(F.Pop.Messages()->Count(), 4);
}

TEST(Pop3Session, WrongPasswordReports2001AndNeverAsksForTheCount) {
    TFakePop3 Server;
    Server.Password = "other";
    Server.Mails = {Mail("a")};
    Server.Start();
    TPopFixture F(Server);
    mailtest::ShownMessageBoxes().clear();
    EXPECT_TRUE(F.Pop.Execute()); // told in a message box, not raised
    Server.Join();
    EXPECT_EQ(mailtest::ShownMessageBoxes(), std::vector<std::string>{"Unable to connect"});
    EXPECT_EQ(F.Errors, std::vector<int>{2001});
    EXPECT_EQ(F.ErrorTexts.at(0), "[AUTH] Authentication failed.");
    EXPECT_EQ(Server.Commands(), (std::vector<std::string>{"USER alice", "PASS secret"}));
    EXPECT_EQ(F.Pop.Messages()->Count(), 0);
}

TEST(Pop3Session, RepliesLongerThanOneChunkAreReadWhole) {
    TFakePop3 Server;
    Server.Greeting = "+OK " + std::string(3000, 'g');
    Server.Mails = {Mail("long", std::string(3000, 'b'))};
    Server.Hook = [](const std::string& Cmd, TFakePop3::TConn& C, bool&) {
        if (Cmd != "USER alice") return false;
        C.Send("+OK " + std::string(2500, 'u') + "\r\n");
        return true;
    };
    Server.Start();
    TPopFixture F(Server);
    EXPECT_TRUE(F.Pop.Execute());
    Server.Join();
    EXPECT_TRUE(F.Errors.empty());
    ASSERT_EQ(F.Pop.Messages()->Count(), 1);
    EXPECT_EQ(F.Pop.Messages()->GetQELMessage(0)->Subject(), "long");
}

TEST(Pop3Session, TerminatorSplitOverTwoChunksStillEndsTheTransfer) {
    TFakePop3 Server;
    Server.Mails = {Mail("x")};
    Server.Hook = [](const std::string& Cmd, TFakePop3::TConn& C, bool&) {
        if (Cmd != "RETR 1") return false;
        C.Send("+OK 20 octets\r\nSubject: split\r\n\r\nbody\r\n.");
        C.Pause(300);
        C.Send("\r\n");
        return true;
    };
    Server.Start();
    TPopFixture F(Server);
    EXPECT_TRUE(F.Pop.Execute());
    Server.Join();
    ASSERT_EQ(F.Pop.Messages()->Count(), 1);
    EXPECT_EQ(F.Pop.Messages()->GetQELMessage(0)->Subject(), "split");
    EXPECT_EQ(F.Pop.Messages()->GetQELMessage(0)->Message()->Text(), "body\n");
}

TEST(Pop3Session, ServerThatClosesOrFallsSilentEndsTheSessionInBoundedTime) {
    struct Case {
        const char* Name;
        TFakePop3::THook Hook;
        std::string Text;
    };
    std::vector<Case> Cases = {
        {"closes after RETR",
         [](const std::string& Cmd, TFakePop3::TConn&, bool& Stop) {
             Stop = Cmd == "RETR 1";
             return Stop;
         },
         "Connection closed by the server"},
        {"silent after RETR",
         [](const std::string& Cmd, TFakePop3::TConn&, bool&) { return Cmd == "RETR 1"; },
         "No reply from the server"},
        {"closes in the middle of the data",
         [](const std::string& Cmd, TFakePop3::TConn& C, bool& Stop) {
             if (Cmd != "RETR 1") return false;
             C.Send("+OK 5000 octets\r\nSubject: cut\r\n\r\n" + std::string(2000, 'z'));
             Stop = true;
             return true;
         },
         "Connection closed by the server"},
        {"silent in the middle of the data",
         [](const std::string& Cmd, TFakePop3::TConn& C, bool&) {
             if (Cmd != "RETR 1") return false;
             C.Send("+OK 5000 octets\r\nSubject: cut\r\n\r\n" + std::string(2000, 'z'));
             return true;
         },
         "No reply from the server"},
    };
    for (auto& K : Cases) {
        TFakePop3 Server;
        Server.Mails = {Mail("a"), Mail("b")};
        Server.Hook = K.Hook;
        Server.Start();
        TPopFixture F(Server);
        F.Pop.SetReplyTimeout(400);
        F.Pop.SetDeleteOfServer(true);
        bool Ok = true;
        double T = SecondsOf([&] { Ok = F.Pop.Execute(); });
        EXPECT_LT(T, 5.0) << K.Name;
        EXPECT_FALSE(Ok) << K.Name; // the next command finds the connection gone
        EXPECT_EQ(F.Errors, std::vector<int>{2004}) << K.Name;
        EXPECT_EQ(F.ErrorTexts.at(0), K.Text) << K.Name;
        EXPECT_EQ(F.Pop.Messages()->Count(), 0) << K.Name;
        EXPECT_FALSE(F.Pop.Busy()) << K.Name;
        auto C = Server.Commands();
        EXPECT_EQ(std::count(C.begin(), C.end(), "DELE 1"), 0) << K.Name;
    }
}

TEST(Pop3Session, MalformedMailIsKeptRawAndTheRunGoesOnToQuit) {
    TFakePop3 Server;
    const std::string Broken =
        "Subject: broken\r\nContent-Type: multipart/mixed; boundary=\"b\"\r\n\r\n"
        "--b\r\nContent-Type: text/plain\r\n\r\n..text\r\n";
    Server.Mails = {Broken, Mail("next")};
    Server.Start();
    TPopFixture F(Server);
    F.Pop.SetDeleteOfServer(true);
    EXPECT_TRUE(F.Pop.Execute());
    Server.Join();
    EXPECT_TRUE(F.Errors.empty());
    ASSERT_EQ(F.Pop.Messages()->Count(), 2);
    TQELMessage* M = F.Pop.Messages()->GetQELMessage(0);
    EXPECT_EQ(M->Subject(), "broken");
    EXPECT_EQ(M->ParseError(), "Message Format Error");
    // The whole mail, headers included, is the text; nothing of it is lost.
    EXPECT_EQ(M->Message()->Count(), 7);
    EXPECT_EQ(M->Message()->Strings(0), "Subject: broken");
    EXPECT_EQ(M->Message()->Strings(6), "..text");
    EXPECT_EQ(F.Pop.Messages()->GetQELMessage(1)->Subject(), "next");
    EXPECT_TRUE(F.Pop.Messages()->GetQELMessage(1)->ParseError().empty());
    auto C = Server.Commands();
    EXPECT_EQ(std::count(C.begin(), C.end(), "DELE 1"), 1);
    EXPECT_EQ(std::count(C.begin(), C.end(), "DELE 2"), 1);
    ASSERT_FALSE(C.empty());
    EXPECT_EQ(C.back(), "QUIT");
    EXPECT_FALSE(F.Pop.Busy());
}

TEST(Pop3Session, AttachmentsDecodeBeforeAfterRetrieve) {
    TFakePop3 Server;
    Server.Mails = {"Subject: att\r\nContent-Type: multipart/mixed; boundary=\"b\"\r\n\r\n"
                    "--b\r\nContent-Type: text/plain\r\n\r\nsee attached\r\n"
                    "--b\r\nContent-Type: application/octet-stream; name=\"d.bin\"\r\n"
                    "Content-Transfer-Encoding: base64\r\n\r\nAAEC/w==\r\n\r\n--b--\r\n"};
    Server.Start();
    TPopFixture F(Server);
    std::vector<std::uint16_t> Progress;
    F.Pop.OnRetrieveProgress = [&](TObject*, std::uint16_t P) { Progress.push_back(P); };
    // While the attachment decodes, the message already shows its fields, its text and the
    // attachment itself.
    std::string Seen;
    F.Pop.OnDecodeStart = [&](TObject*, const std::string& N, int) {
        F.Log.push_back("DecodeStart " + N);
        TQELMessage* M = F.Pop.Messages()->GetQELMessage(F.Pop.Messages()->Count() - 1);
        Seen = M->Subject() + "|" + M->FromMail() + "|" + M->Message()->Strings(0) + "|" +
               std::to_string(M->Attachments()->Count()) + "|" +
               M->Attachments()->GeTQELAttachment(0)->FileName();
    };
    EXPECT_TRUE(F.Pop.Execute());
    Server.Join();
    EXPECT_EQ(Seen, "att|ct: att|see attached|1|d.bin"); // the sender falls back to the first line
    EXPECT_EQ(F.Log,
              (std::vector<std::string>{"Execute", "Connect", "Before 1", "DecodeStart d.bin",
                                        "DecodeEnd", "After", "Disconnect"}));
    ASSERT_FALSE(Progress.empty());
    EXPECT_EQ(Progress.back(), 100);
    TQELAttachment* A = F.Pop.Messages()->GetQELMessage(0)->Attachments()->GeTQELAttachment(0);
    EXPECT_EQ(A->FileName(), "d.bin");
    ASSERT_EQ(A->Content()->Size(), 4);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(A->Content()->Memory()), 4),
              std::string("\x00\x01\x02\xff", 4));
    EXPECT_EQ(A->EncodedLines()->Count(), 2);
}

TEST(Pop3Session, SecondExecuteDuringASessionReturnsAtOnce) {
    TFakePop3 Server;
    Server.Mails = {Mail("a")};
    Server.Start();
    TPopFixture F(Server);
    std::string Headers;
    F.Pop.BeforeRetrieve = [&](TObject*, std::uint16_t I) {
        EXPECT_FALSE(F.Pop.Execute()); // the guard: no second session
        Headers = F.Pop.RetrieveHeaders(I);
    };
    EXPECT_TRUE(F.Pop.Execute());
    Server.Join();
    EXPECT_EQ(Headers, "From: \"Sender\" <sender@x.test>\r\nTo: alice@x.test\r\nSubject: a\r\n"
                       "\r\n.\r\n");
    EXPECT_EQ(Server.Commands(), (std::vector<std::string>{"USER alice", "PASS secret", "STAT",
                                                           "TOP 1 0", "RETR 1", "QUIT"}));
    EXPECT_EQ(F.Pop.Messages()->Count(), 1);
}

TEST(Pop3Session, StartFailuresEndExecuteWithFalse) {
    TFakePop3 Server;
    Server.Hook = [](const std::string& Cmd, TFakePop3::TConn& C, bool&) {
        if (Cmd != "STAT") return false;
        C.Send("+OK many messages\r\n");
        return true;
    };
    Server.Start();
    TPopFixture F(Server);
    EXPECT_FALSE(F.Pop.Execute()); // a count that is no number
    Server.Join();

    TQELPOPMail Bad(nullptr);
    Bad.SetHost("127.0.0.1");
    Bad.SetPort("11x");
    EXPECT_FALSE(Bad.Execute());
    int Refused = 0;
    {
        TFakePop3 Gone; // its port has no listener once it is destroyed
        Refused = Gone.Port();
    }
    Bad.SetPort(std::to_string(Refused));
    std::vector<int> Codes;
    Bad.OnError = [&](TObject*, int C, const std::string&) { Codes.push_back(C); };
    EXPECT_FALSE(Bad.Execute());
    EXPECT_EQ(Codes, std::vector<int>{ECONNREFUSED});
    EXPECT_FALSE(Bad.Busy());
}
