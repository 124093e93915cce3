// The sender's EHLO, STARTTLS, AUTH and SIZE dialogue against a scripted peer, including the
// peer in the middle that strips or forges the upgrade: whatever was asked for either happens
// or the session fails, and the password never reaches an error text or a form file.
#include "mail/QELTIEmails.h"
#include "smtp_fake_server.h"
#include "toolkit/controls/Forms.h"
#include "toolkit/core/FormReader.h"
#include "toolkit/core/FormWriter.h"
#include "toolkit/core/Streams.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace qel;
using qeltest::Say;
using qeltest::TFakeReply;
using qeltest::TFakeSmtpServer;

namespace {

bool Starts(const std::string& S, const char* P) {
    return S.rfind(P, 0) == 0;
}

class SmtpSecureDialogue : public ::testing::Test {
  protected:
    void SetUp() override {
        Mail.SetHost("127.0.0.1");
        Mail.SetPort(std::to_string(Server.Port()));
        Mail.SetLinePause(0);
        Mail.SetReplyTimeout(3000);
        Mail.OnError = [this](TObject*, int Code, const std::string& Text) {
            Errors.push_back({Code, Text});
        };
        Application->OnException = [](TObject*, const std::exception&) {};
        TQELMessage* M = Mail.Messages()->Add();
        M->SetFromMail("alice@example.test");
        M->SetSendTo("bob@example.test");
        M->SetSubject("Hello");
        M->Message()->Add("Body line");
    }
    void TearDown() override { Application->OnException = nullptr; }

    // Answers EHLO with Ehlo (lines without the final CR LF), everything else as usual.
    void Script(std::string Ehlo) {
        Server.OnCommand = [Ehlo, this](const std::string& Cmd) -> TFakeReply {
            if (Starts(Cmd, "EHLO")) return Say(Ehlo);
            if (Extra) {
                TFakeReply R = Extra(Cmd);
                if (!R.Chunks.empty()) return R;
            }
            return TFakeSmtpServer::Standard(Cmd);
        };
    }
    bool Run() {
        Server.Start();
        const bool R = Mail.Execute();
        Server.Stop();
        return R;
    }
    bool Sent(const char* Prefix) const {
        for (const auto& C : Server.Commands)
            if (Starts(C, Prefix)) return true;
        return false;
    }

    TFakeSmtpServer Server;
    TQELSMTPMail Mail{nullptr};
    std::function<TFakeReply(const std::string&)> Extra;
    std::vector<std::pair<int, std::string>> Errors;
};

TEST_F(SmtpSecureDialogue, StrippedStartTlsFailsInsteadOfGoingOnInPlainText) {
    // A peer in the middle removed STARTTLS from the list; the real server would have had it.
    Script("250-fake.test\r\n250-AUTH PLAIN LOGIN\r\n250 SIZE 1000000\r\n");
    Mail.SetSecurity(msStartTLS);
    Mail.SetUserName("alice");
    Mail.SetPassword("s3cret");
    EXPECT_FALSE(Run());
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_EQ(Errors[0].first, mailerror::TlsNotOffered);
    EXPECT_NE(Errors[0].second.find("STARTTLS"), std::string::npos);
    // Neither the login nor the mail crossed the line in plain text.
    EXPECT_FALSE(Sent("AUTH"));
    EXPECT_FALSE(Sent("MAIL"));
    EXPECT_FALSE(Sent("STARTTLS"));
    EXPECT_FALSE(Mail.Connected());
}

TEST_F(SmtpSecureDialogue, StartTlsRefusedOrFollowedByForgedRepliesFails) {
    Script("250-fake.test\r\n250 STARTTLS\r\n");
    Extra = [](const std::string& Cmd) {
        return Cmd == "STARTTLS" ? Say("454 4.7.0 TLS not available due to local problem\r\n")
                                 : TFakeReply{};
    };
    Mail.SetSecurity(msStartTLS);
    EXPECT_FALSE(Run());
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_EQ(Errors[0].first, 454);
    EXPECT_EQ(Errors[0].second, "4.7.0 TLS not available due to local problem");
    EXPECT_FALSE(Sent("MAIL"));
}

TEST(SmtpSecureInjection, PlainTextAfterTheGoAheadIsRejected) {
    // The go-ahead and a forged answer to the EHLO that would follow, in one packet.
    TFakeSmtpServer Server;
    Server.OnCommand = [](const std::string& Cmd) -> TFakeReply {
        if (Starts(Cmd, "EHLO")) return Say("250-fake.test\r\n250 STARTTLS\r\n");
        if (Cmd == "STARTTLS") return Say("220 go ahead\r\n250-forged\r\n250 AUTH PLAIN\r\n");
        return TFakeSmtpServer::Standard(Cmd);
    };
    TQELSMTPMail Mail(nullptr);
    Mail.SetHost("127.0.0.1");
    Mail.SetPort(std::to_string(Server.Port()));
    Mail.SetReplyTimeout(3000);
    Mail.SetSecurity(msStartTLS);
    std::vector<int> Codes;
    Mail.OnError = [&](TObject*, int Code, const std::string&) { Codes.push_back(Code); };
    Server.Start();
    Mail.Execute();
    Server.Stop();
    EXPECT_EQ(Codes, std::vector<int>{mailerror::TlsInjection});
}

TEST_F(SmtpSecureDialogue, ImplicitTlsAgainstAPlainServerFailsTheHandshake) {
    Script("250 fake.test\r\n");
    Mail.SetSecurity(msImplicitTLS);
    EXPECT_FALSE(Run());
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_EQ(Errors[0].first, mailerror::TlsHandshake);
    EXPECT_NE(Errors[0].second.find("TLS handshake failed"), std::string::npos);
}

TEST_F(SmtpSecureDialogue, LoginWithoutSecurityUsesEhloAndThePlainMechanism) {
    Script("250-fake.test\r\n250-AUTH LOGIN PLAIN\r\n250 8BITMIME\r\n");
    Extra = [](const std::string& Cmd) {
        return Starts(Cmd, "AUTH ") ? Say("235 2.7.0 Authentication successful\r\n") : TFakeReply{};
    };
    Mail.SetUserName("alice");
    Mail.SetPassword("pw");
    EXPECT_TRUE(Run());
    EXPECT_TRUE(Errors.empty());
    ASSERT_GE(Server.Commands.size(), 3u);
    EXPECT_TRUE(Starts(Server.Commands[0], "EHLO "));
    // Base64 of "\0alice\0pw".
    EXPECT_EQ(Server.Commands[1], "AUTH PLAIN AGFsaWNlAHB3");
    EXPECT_EQ(Server.Commands[2], "MAIL FROM:<alice@example.test>");
}

TEST_F(SmtpSecureDialogue, LoginMechanismAnswersBothPrompts) {
    Script("250-fake.test\r\n250 AUTH LOGIN\r\n");
    Extra = [](const std::string& Cmd) {
        if (Cmd == "AUTH LOGIN" || Cmd == "YWxpY2U=") return Say("334 VXNlcm5hbWU6\r\n");
        if (Cmd == "cHc=") return Say("235 ok\r\n");
        return TFakeReply{};
    };
    Mail.SetUserName("alice");
    Mail.SetPassword("pw");
    EXPECT_TRUE(Run());
    EXPECT_TRUE(Errors.empty());
    EXPECT_EQ(std::vector<std::string>(Server.Commands.begin() + 1, Server.Commands.begin() + 4),
              (std::vector<std::string>{"AUTH LOGIN", "YWxpY2U=", "cHc="}));
}

TEST_F(SmtpSecureDialogue, RefusedLoginNeverShowsThePassword) {
    // A careless server quotes what it got, in clear and in base64.
    Script("250-fake.test\r\n250 AUTH PLAIN\r\n");
    Extra = [](const std::string& Cmd) {
        return Starts(Cmd, "AUTH PLAIN ")
                   ? Say("535 5.7.8 rejected " + Cmd.substr(11) + " hunter22 aHVudGVyMjI=\r\n")
                   : TFakeReply{};
    };
    Mail.SetUserName("alice");
    Mail.SetPassword("hunter22");
    EXPECT_FALSE(Run());
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_EQ(Errors[0].first, 535);
    EXPECT_EQ(Errors[0].second.find("hunter22"), std::string::npos) << Errors[0].second;
    EXPECT_EQ(Errors[0].second.find("aHVudGVyMjI="), std::string::npos) << Errors[0].second;
    EXPECT_NE(Errors[0].second.find("rejected"), std::string::npos);
    EXPECT_FALSE(Sent("MAIL"));
}

TEST_F(SmtpSecureDialogue, NoUsableLoginMechanismOrNoEhloFails) {
    Script("250-fake.test\r\n250 AUTH CRAM-MD5\r\n");
    Mail.SetUserName("alice");
    Mail.SetPassword("pw");
    EXPECT_FALSE(Run());
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_EQ(Errors[0].first, mailerror::AuthNotOffered);
    EXPECT_FALSE(Sent("AUTH"));
    EXPECT_FALSE(Sent("MAIL"));
}

TEST(SmtpSecureEhlo, RefusedEhloIsNotAnsweredWithHelo) {
    TFakeSmtpServer Server;
    TQELSMTPMail Mail(nullptr);
    Mail.SetHost("127.0.0.1");
    Mail.SetPort(std::to_string(Server.Port()));
    Mail.SetReplyTimeout(3000);
    Mail.SetSecurity(msStartTLS);
    Mail.Messages()->Add();
    std::vector<int> Codes;
    Mail.OnError = [&](TObject*, int Code, const std::string&) { Codes.push_back(Code); };
    Application->OnException = [](TObject*, const std::exception&) {};
    Server.Start(); // the standard script answers EHLO with 502
    EXPECT_FALSE(Mail.Execute());
    Server.Stop();
    Application->OnException = nullptr;
    EXPECT_EQ(Codes, std::vector<int>{502});
    for (const auto& C : Server.Commands)
        EXPECT_FALSE(Starts(C, "HELO")) << C;
}

TEST_F(SmtpSecureDialogue, SizeIsDeclaredAndTheLimitHonoured) {
    // A login makes the session speak EHLO, which is where the limit is learnt.
    Script("250-fake.test\r\n250-AUTH PLAIN\r\n250 SIZE 2000\r\n");
    Extra = [](const std::string& Cmd) {
        return Starts(Cmd, "AUTH") ? Say("235 ok\r\n") : TFakeReply{};
    };
    Mail.SetUserName("u");
    Mail.SetPassword("p");
    TQELMessage* Big = Mail.Messages()->Add();
    Big->SetFromMail("alice@example.test");
    Big->SetSendTo("bob@example.test");
    for (int I = 0; I < 100; ++I)
        Big->Message()->Add(std::string(70, 'x'));
    EXPECT_FALSE(Run());
    // The small mail went with its size declared; the big one was refused here with the
    // server's code for it, and the session carried on to QUIT.
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_EQ(Errors[0].first, 552);
    EXPECT_NE(Errors[0].second.find("limit of 2000 bytes"), std::string::npos);
    int Mails = 0;
    for (const auto& C : Server.Commands)
        if (Starts(C, "MAIL FROM:")) {
            ++Mails;
            EXPECT_NE(C.find(" SIZE="), std::string::npos) << C;
        }
    EXPECT_EQ(Mails, 1);
    EXPECT_EQ(Server.Commands.back(), "QUIT");
}

TEST(SmtpSecureForm, DefaultsKeepTheFormTextAndThePasswordStaysOut) {
    TQELSMTPMail Plain(nullptr);
    Plain.SetName("SMTPMail1");
    const std::string Before = ComponentToText(&Plain);
    for (const char* P : {"Security", "UserName", "Password", "AuthMethod", "Verify", "CAFile"})
        EXPECT_EQ(Before.find(P), std::string::npos) << P << "\n" << Before;

    // Set by the program at run time: everything but the password goes into the form.
    TQELSMTPMail Run(nullptr);
    Run.SetName("SMTPMail1");
    Run.SetSecurity(msStartTLS);
    Run.SetUserName("alice");
    Run.SetPassword("runtime-secret");
    Run.SetVerifyCertificate(false);
    Run.SetCAFile("/etc/ca.pem");
    const std::string Text = ComponentToText(&Run);
    EXPECT_EQ(Text.find("runtime-secret"), std::string::npos) << Text;
    EXPECT_NE(Text.find("Security = msStartTLS"), std::string::npos) << Text;
    EXPECT_NE(Text.find("VerifyCertificate = False"), std::string::npos) << Text;

    // Set in the designer: it is the form's own setting and travels with it, and a form
    // loaded with it keeps it when saved again.
    TQELSMTPMail Designed(nullptr);
    Designed.SetName("SMTPMail1");
    Designed.SetDesigning(true);
    Designed.SetPassword("design-secret");
    const std::string DesignText = ComponentToText(&Designed);
    EXPECT_NE(DesignText.find("design-secret"), std::string::npos) << DesignText;
    TStringStream In(DesignText);
    std::unique_ptr<TComponent> Loaded = LoadComponentFromStream(In);
    auto* L = dynamic_cast<TQELSMTPMail*>(Loaded.get());
    ASSERT_NE(L, nullptr);
    EXPECT_EQ(L->Password(), "design-secret");
    EXPECT_NE(ComponentToText(L).find("design-secret"), std::string::npos);
}

TEST(SmtpSecureForm, PopPasswordFollowsTheSameRule) {
    TQELPOPMail Pop(nullptr);
    Pop.SetName("POPMail1");
    Pop.SetUsername("bob");
    Pop.SetPassword("runtime-secret");
    Pop.SetUseAPOP(true);
    const std::string Text = ComponentToText(&Pop);
    EXPECT_EQ(Text.find("runtime-secret"), std::string::npos) << Text;
    EXPECT_NE(Text.find("UseAPOP = True"), std::string::npos) << Text;
}

} // namespace
