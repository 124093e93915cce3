// Secured sessions against the real local servers of scripts/mail-servers.sh: Postfix with
// STARTTLS and logins checked by Dovecot on the submission port, implicit TLS, Dovecot POP3
// with STLS and POP3S, all with certificates of the script's test CA. Every way such a session
// can go wrong (password, CA, expired certificate, name) must end in OnError, never in mail
// sent or fetched another way.
#include "mail/QELTIEmails.h"
#include "tests/mail/local_mail_servers.h"
#include "tests/mail/review_message_boxes.h"
#include "toolkit/controls/Forms.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

using namespace qel;
namespace fs = std::filesystem;
using namespace qel::mailservers;

namespace {

struct TError {
    int Code;
    std::string Text;
};

std::string NewToken() {
    static std::mt19937_64 Gen(std::random_device{}());
    return "qelsec" + std::to_string(Gen());
}

class SecureSmtp : public ::testing::Test {
  protected:
    void SetUp() override {
        Mail.SetHost("127.0.0.1");
        Mail.SetLinePause(0);
        Mail.SetReplyTimeout(20000);
        Mail.SetCAFile(TestCA());
        Mail.OnError = [this](TObject*, int Code, const std::string& Text) {
            Errors.push_back({Code, Text});
        };
        Mail.OnSuccessSend = [this](TObject*) { ++Accepted; };
        Application->OnException = [this](TObject*, const std::exception& E) {
            Shown.push_back(E.what());
        };
    }
    void TearDown() override { Application->OnException = nullptr; }

    // One message to bob carrying a fresh token in its subject.
    std::string AddMessage() {
        const std::string Token = NewToken();
        TQELMessage* M = Mail.Messages()->Add();
        M->SetFromMail("alice@example.test");
        M->SetSendTo("bob@example.test");
        M->SetSubject("secured " + Token);
        M->Message()->Add("over TLS");
        return Token;
    }
    void Use(int Port, TQELMailSecurity Security, const std::string& User = "alice",
             const std::string& Password = "alicepw") {
        Mail.SetPort(std::to_string(Port));
        Mail.SetSecurity(Security);
        Mail.SetUserName(User);
        Mail.SetPassword(Password);
    }
    // The session failed with Code before any mail went out.
    void ExpectRefused(int Code, const std::string& Part) {
        ASSERT_EQ(Errors.size(), 1u);
        EXPECT_EQ(Errors[0].Code, Code) << Errors[0].Text;
        EXPECT_NE(Errors[0].Text.find(Part), std::string::npos) << Errors[0].Text;
        EXPECT_EQ(Accepted, 0);
    }

    TQELSMTPMail Mail{nullptr};
    std::vector<TError> Errors;
    std::vector<std::string> Shown;
    int Accepted = 0;
};

#define REQUIRE_SECURE_SMTP()                                                                      \
    QEL_REQUIRE_MAIL_SERVERS(SubmissionPort(), SmtpsPort(), SmtpExpiredPort(), SmtpWrongNamePort())

TEST_F(SecureSmtp, StartTlsAndEitherLoginDeliver) {
    REQUIRE_SECURE_SMTP();
    for (TQELAuthMethod Method : {amAutomatic, amLogin}) {
        Errors.clear();
        Accepted = 0;
        Mail.Messages()->Clear();
        Use(SubmissionPort(), msStartTLS);
        Mail.SetAuthMethod(Method);
        const std::string Token = AddMessage();
        EXPECT_TRUE(Mail.Execute());
        ASSERT_TRUE(Errors.empty()) << Errors[0].Code << " " << Errors[0].Text;
        EXPECT_EQ(Accepted, 1);
        // The secured EHLO reply is the one kept, and it offers the login.
        EXPECT_TRUE(Mail.Capabilities().AuthPlain);
        EXPECT_FALSE(Mail.Capabilities().StartTLS);
        const fs::path File = FindDelivered({"bob"}, Token, 20000);
        ASSERT_FALSE(File.empty()) << "not delivered";
        fs::remove(File);
    }
}

TEST_F(SecureSmtp, ImplicitTlsDelivers) {
    REQUIRE_SECURE_SMTP();
    Use(SmtpsPort(), msImplicitTLS, "bob", "bobpw");
    const std::string Token = AddMessage();
    EXPECT_TRUE(Mail.Execute());
    ASSERT_TRUE(Errors.empty()) << Errors[0].Code << " " << Errors[0].Text;
    const fs::path File = FindDelivered({"bob"}, Token, 20000);
    ASSERT_FALSE(File.empty()) << "not delivered";
    fs::remove(File);
}

TEST_F(SecureSmtp, WrongPasswordIsRefusedAndNeverReported) {
    REQUIRE_SECURE_SMTP();
    for (int Port : {SubmissionPort(), SmtpsPort()}) {
        Errors.clear();
        Use(Port, Port == SmtpsPort() ? msImplicitTLS : msStartTLS, "alice", "notalicepw");
        AddMessage();
        EXPECT_FALSE(Mail.Execute());
        ASSERT_FALSE(Errors.empty());
        EXPECT_EQ(Errors[0].Code, 535) << Errors[0].Text;
        for (const TError& E : Errors)
            EXPECT_EQ(E.Text.find("notalicepw"), std::string::npos) << E.Text;
        EXPECT_EQ(Accepted, 0);
        Mail.Messages()->Clear();
    }
}

TEST_F(SecureSmtp, WithoutLoginTheSubmissionPortRefusesTheMail) {
    REQUIRE_SECURE_SMTP();
    Use(SubmissionPort(), msStartTLS, "", "");
    AddMessage();
    EXPECT_FALSE(Mail.Execute());
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_EQ(Errors[0].Code / 100, 5) << Errors[0].Text;
    EXPECT_EQ(Accepted, 0);
}

TEST_F(SecureSmtp, CertificateFailuresEndTheSessionBeforeTheLogin) {
    REQUIRE_SECURE_SMTP();
    struct TCase {
        int Port;
        TQELMailSecurity Security;
        std::string CA;
        std::string Host;
        std::string Why;
    };
    const std::vector<TCase> Cases = {
        {SubmissionPort(), msStartTLS, OtherCA(), "127.0.0.1", "unable to get local issuer"},
        {SmtpsPort(), msImplicitTLS, OtherCA(), "127.0.0.1", "unable to get local issuer"},
        {SmtpExpiredPort(), msStartTLS, TestCA(), "127.0.0.1", "expired"},
        {SmtpWrongNamePort(), msStartTLS, TestCA(), "127.0.0.1", "mismatch"},
        {SmtpWrongNamePort(), msStartTLS, TestCA(), "localhost", "mismatch"},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(std::to_string(C.Port) + " " + C.Why);
        Errors.clear();
        Mail.Messages()->Clear();
        Use(C.Port, C.Security);
        Mail.SetHost(C.Host);
        Mail.SetCAFile(C.CA);
        AddMessage();
        EXPECT_FALSE(Mail.Execute());
        ExpectRefused(mailerror::TlsHandshake, C.Why);
        EXPECT_FALSE(Mail.Connected());
    }
}

TEST_F(SecureSmtp, UncheckedCertificateIsAcceptedOnlyWhenAskedFor) {
    REQUIRE_SECURE_SMTP();
    // The expired port takes mail without a login, so only the certificate decides.
    Use(SmtpExpiredPort(), msStartTLS, "", "");
    Mail.SetVerifyCertificate(false);
    const std::string Token = AddMessage();
    EXPECT_TRUE(Mail.Execute());
    ASSERT_TRUE(Errors.empty()) << Errors[0].Code << " " << Errors[0].Text;
    const fs::path File = FindDelivered({"bob"}, Token, 20000);
    ASSERT_FALSE(File.empty());
    fs::remove(File);
}

TEST_F(SecureSmtp, MissingCAFileIsAClearFailure) {
    REQUIRE_SECURE_SMTP();
    Use(SubmissionPort(), msStartTLS);
    Mail.SetCAFile("/nonexistent/ca.pem");
    AddMessage();
    EXPECT_FALSE(Mail.Execute());
    ExpectRefused(mailerror::TlsHandshake, "/nonexistent/ca.pem");
}

// ---- POP3 --------------------------------------------------------------------------------

void Deliver(const std::string& User, const std::string& Raw) {
    static int Counter = 0;
    const int Seq = ++Counter;
    const std::string Name = std::to_string(1800000000 + Seq) + ".M" + std::to_string(Seq) + "P" +
                             std::to_string(getpid()) + ".qelsec";
    const fs::path Tmp = Maildir(User) / "tmp" / Name;
    std::ofstream(Tmp, std::ios::binary) << Raw;
    [[maybe_unused]] int Ignored = ::chown(Tmp.c_str(), 5000, 5000);
    fs::rename(Tmp, Maildir(User) / "new" / Name);
}

void ClearMaildir(const std::string& User) {
    for (const char* Sub : {"new", "cur"}) {
        std::error_code Ec;
        for (const auto& E : fs::directory_iterator(Maildir(User) / Sub, Ec))
            fs::remove(E.path());
    }
}

class SecurePop : public ::testing::Test {
  protected:
    void SetUp() override {
        Pop.SetHost("127.0.0.1");
        Pop.SetUsername("bob");
        Pop.SetPassword("bobpw");
        Pop.SetReplyTimeout(20000);
        Pop.SetCAFile(TestCA());
        Pop.OnError = [this](TObject*, int Code, const std::string& Text) {
            Errors.push_back({Code, Text});
        };
        Application->OnException = [](TObject*, const std::exception&) {};
        mailtest::ShownMessageBoxes().clear();
    }
    void TearDown() override { Application->OnException = nullptr; }
    void Use(int Port, TQELMailSecurity Security) {
        Pop.SetPort(std::to_string(Port));
        Pop.SetSecurity(Security);
    }
    std::vector<std::string> Subjects() const {
        std::vector<std::string> S;
        for (int I = 0; I < Pop.Messages()->Count(); ++I)
            S.push_back(Pop.Messages()->GetQELMessage(I)->Subject());
        return S;
    }

    TQELPOPMail Pop{nullptr};
    std::vector<TError> Errors;
};

#define REQUIRE_SECURE_POP() QEL_REQUIRE_MAIL_SERVERS(Pop3Port, Pop3sPort())

TEST_F(SecurePop, StlsAndPop3sFetchWithPasswordOrApop) {
    REQUIRE_SECURE_POP();
    struct TCase {
        int Port;
        TQELMailSecurity Security;
        bool Apop;
    };
    for (const TCase& C :
         {TCase{Pop3Port, msStartTLS, false}, TCase{Pop3sPort(), msImplicitTLS, false},
          TCase{Pop3sPort(), msImplicitTLS, true}, TCase{Pop3Port, msNone, true}}) {
        SCOPED_TRACE(std::to_string(C.Port) + (C.Apop ? " apop" : ""));
        ClearMaildir("bob");
        Deliver("bob", "From: a@example.test\nSubject: over tls\n\nhello\n");
        Errors.clear();
        Pop.Messages()->Clear();
        Use(C.Port, C.Security);
        Pop.SetUseAPOP(C.Apop);
        Pop.SetDeleteOfServer(true);
        EXPECT_TRUE(Pop.Execute());
        ASSERT_TRUE(Errors.empty()) << Errors[0].Code << " " << Errors[0].Text;
        EXPECT_EQ(Subjects(), std::vector<std::string>{"over tls"});
    }
}

TEST_F(SecurePop, WrongPasswordWrongCAAndApopFailClearly) {
    REQUIRE_SECURE_POP();
    ClearMaildir("bob");
    Deliver("bob", "Subject: stays\n\nx\n");
    struct TCase {
        int Port;
        TQELMailSecurity Security;
        bool Apop;
        std::string Password;
        std::string CA;
        int Code;
    };
    const std::vector<TCase> Cases = {
        {Pop3Port, msStartTLS, false, "notbobpw", TestCA(), 2001},
        {Pop3sPort(), msImplicitTLS, true, "notbobpw", TestCA(), 2001},
        {Pop3sPort(), msImplicitTLS, false, "bobpw", OtherCA(), mailerror::TlsHandshake},
        {Pop3Port, msStartTLS, false, "bobpw", OtherCA(), mailerror::TlsHandshake},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(std::to_string(C.Port) + " " + std::to_string(C.Code));
        Errors.clear();
        Use(C.Port, C.Security);
        Pop.SetUseAPOP(C.Apop);
        Pop.SetPassword(C.Password);
        Pop.SetCAFile(C.CA);
        Pop.Execute();
        ASSERT_FALSE(Errors.empty());
        EXPECT_EQ(Errors[0].Code, C.Code) << Errors[0].Text;
        for (const TError& E : Errors)
            EXPECT_EQ(E.Text.find("notbobpw"), std::string::npos) << E.Text;
        EXPECT_EQ(Pop.Messages()->Count(), 0);
    }
    // Nothing was fetched or deleted by any of them.
    EXPECT_FALSE(fs::is_empty(Maildir("bob") / "new") && fs::is_empty(Maildir("bob") / "cur"));
}

TEST_F(SecurePop, KeepOnServerFetchesOnlyNewMail) {
    REQUIRE_SECURE_POP();
    ClearMaildir("bob");
    Deliver("bob", "Subject: first\n\n1\n");
    Deliver("bob", "Subject: second\n\n2\n");
    Use(Pop3sPort(), msImplicitTLS);
    Pop.SetKeepOnServer(true);
    EXPECT_TRUE(Pop.Execute());
    EXPECT_EQ(Subjects(), (std::vector<std::string>{"first", "second"}));
    ASSERT_EQ(Pop.SeenIDs()->Count(), 2);
    EXPECT_EQ(Pop.Messages()->GetQELMessage(1)->UniqueID(), Pop.SeenIDs()->Get(1));

    Deliver("bob", "Subject: third\n\n3\n");
    Pop.Messages()->Clear();
    EXPECT_TRUE(Pop.Execute());
    ASSERT_TRUE(Errors.empty()) << Errors[0].Code << " " << Errors[0].Text;
    EXPECT_EQ(Subjects(), std::vector<std::string>{"third"});
    EXPECT_EQ(Pop.SeenIDs()->Count(), 3);
    EXPECT_EQ(Pop.UniqueIDs().size(), 3u);
}

} // namespace
