// The receiver's STLS, APOP and UIDL against a scripted POP3 peer: a refused or forged upgrade
// and a missing timestamp end the session before any password is sent, and KeepOnServer
// fetches exactly the mail whose IDs it has not seen.
#include "mail/QELTIEmails.h"
#include "tests/mail/pop3_fake_server.h"
#include "tests/mail/review_message_boxes.h"
#include "toolkit/controls/Forms.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace qel;
using pop3test::TFakePop3;

namespace {

bool Starts(const std::string& S, const char* P) {
    return S.rfind(P, 0) == 0;
}

class Pop3Secure : public ::testing::Test {
  protected:
    void SetUp() override {
        Pop.SetHost("127.0.0.1");
        Pop.SetPort(Server.PortText());
        Pop.SetUsername("alice");
        Pop.SetPassword("secret");
        Pop.SetReplyTimeout(2000);
        Pop.OnError = [this](TObject*, int Code, const std::string& Text) {
            Errors.push_back({Code, Text});
        };
        Application->OnException = [](TObject*, const std::exception&) {};
    }
    void TearDown() override { Application->OnException = nullptr; }
    bool Run() {
        Server.Start();
        const bool R = Pop.Execute();
        Server.Join();
        return R;
    }
    bool Sent(const char* Prefix) {
        for (const auto& C : Server.Commands())
            if (Starts(C, Prefix)) return true;
        return false;
    }
    std::vector<std::string> Subjects() const {
        std::vector<std::string> S;
        for (int I = 0; I < Pop.Messages()->Count(); ++I)
            S.push_back(Pop.Messages()->GetQELMessage(I)->Subject());
        return S;
    }

    TFakePop3 Server;
    TQELPOPMail Pop{nullptr};
    std::vector<std::pair<int, std::string>> Errors;
};

TEST_F(Pop3Secure, RefusedStlsEndsTheSessionBeforeTheLogin) {
    Pop.SetSecurity(msStartTLS);
    EXPECT_FALSE(Run());
    ASSERT_FALSE(Errors.empty());
    EXPECT_EQ(Errors[0].first, mailerror::Pop3Stls);
    EXPECT_EQ(Errors[0].second, "Unknown command");
    EXPECT_FALSE(Sent("USER"));
    EXPECT_FALSE(Sent("PASS"));
}

TEST_F(Pop3Secure, PlainTextAfterTheStlsGoAheadIsRejected) {
    Server.Hook = [](const std::string& Cmd, TFakePop3::TConn& C, bool&) {
        if (Cmd != "STLS") return false;
        C.Send("+OK Begin TLS negotiation\r\n+OK forged\r\n");
        return true;
    };
    Pop.SetSecurity(msStartTLS);
    Run();
    ASSERT_FALSE(Errors.empty());
    EXPECT_EQ(Errors[0].first, mailerror::TlsInjection);
    EXPECT_FALSE(Sent("PASS"));
}

TEST_F(Pop3Secure, ApopSendsTheDigestOfTimestampAndPassword) {
    // The example of RFC 1939.
    Server.Greeting = "+OK POP3 server ready <1896.697170952@dbc.mtview.ca.us>";
    Server.Hook = [](const std::string& Cmd, TFakePop3::TConn& C, bool&) {
        if (!Starts(Cmd, "APOP ")) return false;
        C.Send(Cmd == "APOP mrose c4c9334bac560ecc979e58001b3e22fb" ? "+OK maildrop\r\n"
                                                                    : "-ERR bad digest\r\n");
        return true;
    };
    Server.Mails = {"Subject: one\r\n\r\nbody\r\n"};
    Pop.SetUsername("mrose");
    Pop.SetPassword("tanstaaf");
    Pop.SetUseAPOP(true);
    EXPECT_TRUE(Run());
    EXPECT_TRUE(Errors.empty()) << Errors[0].second;
    EXPECT_EQ(Subjects(), std::vector<std::string>{"one"});
    EXPECT_FALSE(Sent("USER"));
    EXPECT_FALSE(Sent("PASS"));
}

TEST_F(Pop3Secure, ApopWithoutTimestampSendsNoPassword) {
    mailtest::ShownMessageBoxes().clear();
    Pop.SetUseAPOP(true);
    Run();
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_EQ(Errors[0].first, 2001);
    EXPECT_NE(Errors[0].second.find("APOP"), std::string::npos);
    EXPECT_FALSE(Sent("PASS"));
    EXPECT_FALSE(Sent("APOP"));
    EXPECT_EQ(mailtest::ShownMessageBoxes(), std::vector<std::string>{"Unable to connect"});
}

TEST_F(Pop3Secure, RefusedPasswordIsBlankedInTheErrorText) {
    Server.Password = "other";
    Server.Hook = [](const std::string& Cmd, TFakePop3::TConn& C, bool&) {
        if (!Starts(Cmd, "PASS ")) return false;
        C.Send("-ERR wrong password " + Cmd.substr(5) + "\r\n");
        return true;
    };
    Run();
    ASSERT_FALSE(Errors.empty());
    EXPECT_EQ(Errors[0].first, 2001);
    EXPECT_EQ(Errors[0].second, "wrong password ****");
}

class Pop3Uidl : public Pop3Secure {
  protected:
    void SetUp() override {
        Pop3Secure::SetUp();
        Server.Mails = {"Subject: a\r\n\r\n1\r\n", "Subject: b\r\n\r\n2\r\n",
                        "Subject: c\r\n\r\n3\r\n"};
        Server.Hook = [this](const std::string& Cmd, TFakePop3::TConn& C, bool&) {
            if (Cmd != "UIDL") return false;
            C.Send(Listing);
            return true;
        };
        Pop.SetKeepOnServer(true);
    }
    std::string Listing = "+OK\r\n1 id-a\r\n2 id-b\r\n3 id-c\r\n.\r\n";
};

TEST_F(Pop3Uidl, SeenMailIsSkippedAndNewIdsAreRecorded) {
    Pop.SeenIDs()->Add("id-b");
    EXPECT_TRUE(Run());
    EXPECT_TRUE(Errors.empty());
    EXPECT_EQ(Subjects(), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(Pop.Messages()->GetQELMessage(1)->UniqueID(), "id-c");
    EXPECT_EQ(Pop.SeenIDs()->Text(), "id-b\nid-a\nid-c\n");
    EXPECT_FALSE(Sent("RETR 2"));
    EXPECT_FALSE(Sent("DELE"));
}

TEST_F(Pop3Uidl, WithoutUsableIdsNothingIsFetched) {
    for (const std::string& L :
         {std::string("-ERR not supported\r\n"), std::string("+OK\r\n1 id-a\r\nbroken\r\n.\r\n")}) {
        SCOPED_TRACE(L);
        Listing = L;
        Errors.clear();
        Run();
        ASSERT_EQ(Errors.size(), 1u);
        EXPECT_EQ(Errors[0].first, mailerror::Pop3Uidl);
        EXPECT_EQ(Pop.Messages()->Count(), 0);
        EXPECT_FALSE(Sent("RETR"));
    }
}

TEST_F(Pop3Uidl, AListingWithoutEndIsCutOff) {
    std::string Endless = "+OK\r\n";
    while (Endless.size() < (9u << 20))
        Endless += "1 again-and-again\r\n";
    Listing = Endless;
    bool Shown = false;
    Application->OnException = [&](TObject*, const std::exception& E) {
        Shown = std::string(E.what()).find("UIDL") != std::string::npos;
    };
    EXPECT_FALSE(Run());
    EXPECT_TRUE(Shown);
    EXPECT_EQ(Pop.Messages()->Count(), 0);
    EXPECT_FALSE(Sent("RETR"));
}

TEST_F(Pop3Uidl, AnEmptyMailboxListsNothing) {
    Server.Mails.clear();
    Listing = "+OK\r\n.\r\n";
    EXPECT_TRUE(Run());
    EXPECT_TRUE(Errors.empty());
    EXPECT_TRUE(Pop.UniqueIDs().empty());
}

} // namespace
