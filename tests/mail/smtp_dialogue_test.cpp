// The SMTP sender against a scripted loopback peer: the dialogue, the event order, the error
// path for every refusal, replies that arrive in pieces, and peers that vanish or go silent.
#include "mail/QELTIEmails.h"
#include "smtp_fake_server.h"
#include "toolkit/controls/Forms.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <string>
#include <vector>

using namespace qel;
using qeltest::Say;
using qeltest::TFakeReply;
using qeltest::TFakeSmtpServer;

namespace {

class SmtpDialogue : public ::testing::Test {
  protected:
    void SetUp() override {
        Mail = std::make_unique<TQELSMTPMail>(nullptr);
        Mail->SetHost("127.0.0.1");
        Mail->SetPort(std::to_string(Server.Port()));
        Mail->SetLinePause(0);
        Mail->SetReplyTimeout(3000);
        Mail->OnExecute = [this](TObject*) { Log.push_back("Execute"); };
        Mail->OnConnect = [this](TObject*) { Log.push_back("Connect"); };
        Mail->OnDisconnect = [this](TObject*) { Log.push_back("Disconnect"); };
        Mail->OnError = [this](TObject*, int Code, const std::string& Text) {
            Log.push_back("Error " + std::to_string(Code));
            Errors.push_back({Code, Text});
        };
        Mail->OnBeforeSend = [this](TObject*) { Log.push_back("BeforeSend"); };
        Mail->OnSuccessSend = [this](TObject*) { Log.push_back("SuccessSend"); };
        Mail->OnAfterSend = [this](TObject*) { Log.push_back("AfterSend"); };
        Mail->OnSendProgress = [this](TObject*, std::uint16_t P) { Progress.push_back(P); };
        Application->OnException = [this](TObject*, const std::exception& E) {
            Shown.push_back(E.what());
        };
    }
    void TearDown() override { Application->OnException = nullptr; }

    TQELMessage* AddMessage(const std::string& To, const std::string& Subject = "Hello") {
        TQELMessage* M = Mail->Messages()->Add();
        M->SetFromMail("alice@example.test");
        M->SetSendTo(To);
        M->SetSubject(Subject);
        M->Message()->Add("Body line");
        return M;
    }

    bool Run() {
        Server.Start();
        const auto T0 = std::chrono::steady_clock::now();
        bool R = Mail->Execute();
        Elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - T0)
                      .count();
        Server.Stop();
        return R;
    }

    // Commands the server saw that start with Prefix.
    int CountCommands(const std::string& Prefix) const {
        int N = 0;
        for (const auto& C : Server.Commands)
            N += C.rfind(Prefix, 0) == 0;
        return N;
    }

    TFakeSmtpServer Server;
    std::unique_ptr<TQELSMTPMail> Mail;
    std::vector<std::string> Log;
    std::vector<std::pair<int, std::string>> Errors;
    std::vector<std::uint16_t> Progress;
    std::vector<std::string> Shown;
    long long Elapsed = 0;
};

TEST_F(SmtpDialogue, OneMessageFollowsTheDialogueAndEventOrder) {
    AddMessage(" bob@example.test , carol@example.test,dave@example.test ");
    ASSERT_TRUE(Run());
    const std::vector<std::string> Want = {"Execute",     "Connect",   "BeforeSend",
                                           "SuccessSend", "AfterSend", "Disconnect"};
    EXPECT_EQ(Log, Want);
    ASSERT_GE(Server.Commands.size(), 8u);
    EXPECT_EQ(Server.Commands[0].rfind("HELO ", 0), 0u);
    EXPECT_EQ(Server.Commands[1], "MAIL FROM:<alice@example.test>");
    EXPECT_EQ(Server.Commands[2], "RCPT TO:<bob@example.test>");
    EXPECT_EQ(Server.Commands[3], "RCPT TO:<carol@example.test>");
    EXPECT_EQ(Server.Commands[4], "RCPT TO:<dave@example.test>");
    EXPECT_EQ(Server.Commands[5], "DATA");
    EXPECT_EQ(Server.Commands[6], ".");
    EXPECT_EQ(Server.Commands[7], "QUIT");
    ASSERT_EQ(Server.Bodies.size(), 1u);
    // The To header keeps the list as written.
    const auto& B = Server.Bodies[0];
    EXPECT_NE(std::find(B.begin(), B.end(),
                        "To:  bob@example.test , carol@example.test,dave@example.test "),
              B.end());
    EXPECT_NE(std::find(B.begin(), B.end(), "Body line"), B.end());
    ASSERT_FALSE(Progress.empty());
    EXPECT_EQ(Progress.back(), 100);
    EXPECT_TRUE(Errors.empty());
    EXPECT_TRUE(Shown.empty());
}

TEST_F(SmtpDialogue, AttachmentsAreEncodedBeforeTheDialogueStarts) {
    const std::string Path = ::testing::TempDir() + "smtp-dialogue-attachment.bin";
    std::ofstream(Path, std::ios::binary) << std::string(3000, 'z');
    AddMessage("bob@example.test")->Attachments()->Add(Path);
    Mail->OnEncodeStart = [this](TObject*, const std::string&, int N) {
        Log.push_back("EncodeStart " + std::to_string(N));
    };
    Mail->OnEncodeEnd = [this](TObject*) { Log.push_back("EncodeEnd"); };
    ASSERT_TRUE(Run());
    std::remove(Path.c_str());
    const std::vector<std::string> Want = {"Execute",   "Connect",    "EncodeStart 3000",
                                           "EncodeEnd", "BeforeSend", "SuccessSend",
                                           "AfterSend", "Disconnect"};
    EXPECT_EQ(Log, Want);
    ASSERT_EQ(Server.Bodies.size(), 1u);
    const auto& B = Server.Bodies[0];
    EXPECT_NE(
        std::find(B.begin(), B.end(),
                  "enp6enp6enp6enp6enp6enp6enp6enp6enp6enp6enp6enp6enp6enp6enp6enp6enp6enp6enp6"),
        B.end());
}

TEST_F(SmtpDialogue, EmptyCollectionStillGreetsAndQuits) {
    ASSERT_TRUE(Run());
    ASSERT_EQ(Server.Commands.size(), 2u);
    EXPECT_EQ(Server.Commands[0].rfind("HELO ", 0), 0u);
    EXPECT_EQ(Server.Commands[1], "QUIT");
}

TEST_F(SmtpDialogue, MoreThan256RecipientsAreAllSent) {
    std::string To;
    for (int I = 0; I < 300; ++I)
        To += (I ? "," : "") + std::string("user") + std::to_string(I) + "@example.test";
    AddMessage(To);
    ASSERT_TRUE(Run());
    EXPECT_EQ(CountCommands("RCPT TO:"), 300);
    EXPECT_EQ(Server.Commands[2 + 299], "RCPT TO:<user299@example.test>");
}

TEST_F(SmtpDialogue, ProgressFiresPerStepAndOnceAt100) {
    TQELMessage* M = AddMessage("bob@example.test");
    // 1000 lines in all: 9 header lines, an empty line, the text, two empty lines.
    M->Message()->Clear();
    for (int I = 0; I < 1000 - 12; ++I)
        M->Message()->Add("line " + std::to_string(I));
    Mail->SetProgressStep(10);
    ASSERT_TRUE(Run());
    const std::vector<std::uint16_t> Want = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100};
    EXPECT_EQ(Progress, Want);
}

TEST_F(SmtpDialogue, MultiLineRepliesSplitAcrossReads) {
    Server.Greeting =
        TFakeReply{{"220-fake.test first\r\n220-sec", "ond\r\n22", "0 ready\r\n"}, 30};
    Server.OnCommand = [](const std::string& Cmd) {
        if (Cmd.rfind("HELO", 0) == 0)
            return TFakeReply{
                {"250-fake.test\r\n250-PIPE", "LINING\r\n250-SIZE 1000\r\n", "250 8BITMIME\r\n"},
                30};
        if (Cmd.rfind("MAIL", 0) == 0) return TFakeReply{{"2", "50 ", "Ok\r", "\n"}, 20};
        return TFakeSmtpServer::Standard(Cmd);
    };
    AddMessage("bob@example.test");
    ASSERT_TRUE(Run());
    EXPECT_TRUE(Errors.empty());
    EXPECT_EQ(Server.Bodies.size(), 1u);
    EXPECT_EQ(Mail->LastReplyCode(), "221");
}

TEST_F(SmtpDialogue, Greeting421GetsNoHelo) {
    Server.Greeting = Say("421 fake.test Service not available\r\n");
    EXPECT_FALSE(Run()); // refused greeting: nothing was sent, nothing raised
    EXPECT_TRUE(Server.Commands.empty());
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_EQ(Errors[0].first, 421);
    EXPECT_EQ(Errors[0].second, "fake.test Service not available");
}

TEST_F(SmtpDialogue, Greeting554IsARefusalToo) {
    Server.Greeting = Say("554 no SMTP service here\r\n");
    AddMessage("bob@example.test");
    EXPECT_FALSE(Run());
    EXPECT_TRUE(Server.Commands.empty());
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_EQ(Errors[0].first, 554);
    EXPECT_LT(Elapsed, 2000);
    ASSERT_EQ(Shown.size(), 1u);
    EXPECT_EQ(Shown[0], "Not Connected");
}

TEST_F(SmtpDialogue, HeloRefusedFailsTheMessagesWithNotConnected) {
    Server.OnCommand = [](const std::string& Cmd) {
        if (Cmd.rfind("HELO", 0) == 0) return Say("501 5.5.4 Syntax: HELO hostname\r\n");
        return TFakeSmtpServer::Standard(Cmd);
    };
    AddMessage("bob@example.test");
    EXPECT_FALSE(Run());
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_EQ(Errors[0].first, 501);
    EXPECT_EQ(Errors[0].second, "5.5.4 Syntax: HELO hostname");
    EXPECT_EQ(CountCommands("MAIL"), 0);
    EXPECT_EQ(CountCommands("QUIT"), 0); // the error path sends nothing more
    ASSERT_EQ(Shown.size(), 1u);
    EXPECT_EQ(Shown[0], "Not Connected");
}

TEST_F(SmtpDialogue, SecondRecipientRefusedStopsBeforeData) {
    int Rcpt = 0;
    Server.OnCommand = [&Rcpt](const std::string& Cmd) {
        if (Cmd.rfind("RCPT", 0) == 0 && ++Rcpt == 2)
            return Say("550 5.1.1 <nobody@example.test>: Recipient address rejected\r\n");
        return TFakeSmtpServer::Standard(Cmd);
    };
    AddMessage("bob@example.test,nobody@example.test,carol@example.test");
    AddMessage("bob@example.test", "Second");
    EXPECT_FALSE(Run());
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_EQ(Errors[0].first, 550);
    EXPECT_EQ(CountCommands("RCPT"), 2);
    EXPECT_EQ(CountCommands("DATA"), 0);
    EXPECT_EQ(CountCommands("MAIL"), 1); // the second message is never started
    const std::vector<std::string> Want = {"Execute", "Connect", "BeforeSend", "Disconnect",
                                           "Error 550"};
    EXPECT_EQ(Log, Want);
}

TEST_F(SmtpDialogue, ForwardingRecipientIsAcceptedAndTheDateIsAnInternetDate) {
    Server.OnCommand = [](const std::string& Cmd) {
        if (Cmd.rfind("RCPT", 0) == 0) return Say("251 2.1.5 User not local; will forward\r\n");
        return TFakeSmtpServer::Standard(Cmd);
    };
    TQELMessage* M = AddMessage("bob@example.test");
    EXPECT_TRUE(Run());
    EXPECT_TRUE(Errors.empty());
    EXPECT_EQ(Server.Bodies.size(), 1u);
    // "Tue, 08 Dec 2026 20:30:47 +0100": what every reader parses, the zone included.
    EXPECT_TRUE(std::regex_match(
        M->Date(),
        std::regex(R"([A-Z][a-z]{2}, \d{2} [A-Z][a-z]{2} \d{4} \d{2}:\d{2}:\d{2} [+-]\d{4})")))
        << M->Date();
    ASSERT_EQ(Server.Bodies.size(), 1u);
    const auto& Body = Server.Bodies[0];
    EXPECT_NE(std::find(Body.begin(), Body.end(), "Date: " + M->Date()), Body.end());
}

TEST_F(SmtpDialogue, DataRefused) {
    Server.OnCommand = [](const std::string& Cmd) {
        if (Cmd == "DATA") return Say("554 5.5.1 Error: no valid recipients\r\n");
        return TFakeSmtpServer::Standard(Cmd);
    };
    AddMessage("bob@example.test");
    EXPECT_FALSE(Run()); // a refused message is no success, yet raises nothing
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_EQ(Errors[0].first, 554);
    EXPECT_TRUE(Server.Bodies.empty());
    EXPECT_EQ(std::count(Log.begin(), Log.end(), "SuccessSend"), 0);
}

TEST_F(SmtpDialogue, EndOfDataRefusedStillCompletesProgress) {
    Server.OnCommand = [](const std::string& Cmd) {
        if (Cmd == ".") return Say("552 5.3.4 Message size exceeds fixed limit\r\n");
        return TFakeSmtpServer::Standard(Cmd);
    };
    AddMessage("bob@example.test");
    EXPECT_FALSE(Run()); // nothing was sent
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_EQ(Errors[0].first, 552);
    EXPECT_EQ(Errors[0].second, "5.3.4 Message size exceeds fixed limit");
    ASSERT_FALSE(Progress.empty());
    EXPECT_EQ(Progress.back(), 100);
    EXPECT_EQ(std::count(Log.begin(), Log.end(), "SuccessSend"), 0);
    EXPECT_EQ(CountCommands("QUIT"), 0);
}

TEST_F(SmtpDialogue, ConnectionClosedMidReplyEndsThroughTheErrorPath) {
    Server.OnCommand = [](const std::string& Cmd) {
        if (Cmd.rfind("MAIL", 0) == 0) {
            TFakeReply R{{"250-first line of many\r\n"}};
            R.CloseAfter = true;
            return R;
        }
        return TFakeSmtpServer::Standard(Cmd);
    };
    AddMessage("bob@example.test");
    EXPECT_FALSE(Run()); // nothing was sent
    EXPECT_LT(Elapsed, 2500);
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_EQ(Errors[0].first, 0);
    EXPECT_EQ(Errors[0].second, "Connection closed by the server");
    EXPECT_EQ(CountCommands("RCPT"), 0);
}

TEST_F(SmtpDialogue, SilentServerTimesOut) {
    Server.OnCommand = [](const std::string& Cmd) {
        if (Cmd.rfind("RCPT", 0) == 0) {
            TFakeReply R;
            R.Silent = true;
            return R;
        }
        return TFakeSmtpServer::Standard(Cmd);
    };
    Mail->SetReplyTimeout(400);
    AddMessage("bob@example.test");
    EXPECT_FALSE(Run()); // nothing was sent
    EXPECT_GE(Elapsed, 390);
    EXPECT_LT(Elapsed, 2000);
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_EQ(Errors[0].first, 0);
    EXPECT_EQ(Errors[0].second, "No reply from the server within 400 ms");
    EXPECT_EQ(CountCommands("DATA"), 0);
}

TEST_F(SmtpDialogue, EndlessReplyLineIsCutOff) {
    Server.OnCommand = [](const std::string& Cmd) {
        if (Cmd.rfind("HELO", 0) == 0) return TFakeReply{{std::string(200000, '2')}};
        return TFakeSmtpServer::Standard(Cmd);
    };
    EXPECT_FALSE(Run()); // nothing was sent
    EXPECT_LT(Elapsed, 2000);
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_EQ(Errors[0].first, 0);
    EXPECT_EQ(Errors[0].second, "Reply line too long");
}

TEST_F(SmtpDialogue, NoGreetingAtAllTimesOut) {
    Server.Greeting = TFakeReply{};
    Mail->SetReplyTimeout(300);
    EXPECT_FALSE(Run()); // nothing was sent
    EXPECT_LT(Elapsed, 2000);
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_EQ(Errors[0].first, 0);
    EXPECT_TRUE(Server.Commands.empty());
}

TEST_F(SmtpDialogue, SecondExecuteDuringASessionIsRefused) {
    bool Inner = true;
    int Executes = 0;
    Mail->OnConnect = [&](TObject*) { Inner = Mail->Execute(); };
    Mail->OnExecute = [&](TObject*) { ++Executes; };
    AddMessage("bob@example.test");
    EXPECT_TRUE(Run());
    EXPECT_FALSE(Inner);
    EXPECT_EQ(Executes, 2);
    EXPECT_EQ(CountCommands("HELO"), 1);
    EXPECT_FALSE(Mail->Busy());
}

TEST_F(SmtpDialogue, MissingSenderOrRecipientIsRaisedAndShown) {
    TQELMessage* M = AddMessage("bob@example.test");
    M->SetFromMail("");
    EXPECT_FALSE(Run());
    ASSERT_EQ(Shown.size(), 1u);
    EXPECT_EQ(Shown[0], "\"FromName\" must be specified");
    EXPECT_EQ(CountCommands("MAIL"), 0);
}

TEST_F(SmtpDialogue, LinePauseIsAppliedAfterEveryLine) {
    TQELMessage* M = AddMessage("bob@example.test");
    M->Message()->Clear();
    // 9 header lines + empty + 5 text + 2 empty = 17 data lines.
    for (int I = 0; I < 5; ++I)
        M->Message()->Add("x");
    Mail->SetLinePause(30);
    ASSERT_TRUE(Run());
    EXPECT_GE(Elapsed, 17 * 30);
    EXPECT_EQ(Server.Bodies.size(), 1u);
}

TEST(SmtpSocket, ErrorBeforeAnyReplyCarriesCodeZeroAndTheSystemText) {
    // A port nobody listens on: bind one, then close it.
    int Port;
    {
        TFakeSmtpServer Probe;
        Port = Probe.Port();
    }
    TQELSMTPMail Mail(nullptr);
    Mail.SetHost("127.0.0.1");
    Mail.SetPort(std::to_string(Port));
    std::vector<std::pair<int, std::string>> Errors;
    Mail.OnError = [&](TObject*, int Code, const std::string& Text) {
        Errors.push_back({Code, Text});
    };
    std::vector<std::string> Shown;
    Application->OnException = [&](TObject*, const std::exception& E) {
        Shown.push_back(E.what());
    };
    EXPECT_FALSE(Mail.Execute());
    Application->OnException = nullptr;
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_EQ(Errors[0].first, 0);
    EXPECT_EQ(Errors[0].second, SocketErrorText(ECONNREFUSED));
    EXPECT_EQ(Shown.size(), 1u);
    EXPECT_FALSE(Mail.Busy());
}

TEST(SmtpSocket, PortMustBeANumber) {
    TQELSMTPMail Mail(nullptr);
    Mail.SetHost("127.0.0.1");
    Mail.SetPort("smtp");
    std::vector<std::string> Shown;
    Application->OnException = [&](TObject*, const std::exception& E) {
        Shown.push_back(E.what());
    };
    EXPECT_FALSE(Mail.Execute());
    Application->OnException = nullptr;
    ASSERT_EQ(Shown.size(), 1u);
    EXPECT_NE(Shown[0].find("not a valid integer"), std::string::npos);
}

} // namespace
