// The receiver's published interface and the base64 decoder's progress when a line holds
// several groups.
#include "mail/QELMimeParse.h"
#include "mail/QELTIEmails.h"
#include "tests/mail/pop3_fake_server.h"
#include "tests/mail/review_message_boxes.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace qel;

namespace {

TEST(ReviewPop3, PublishedPropertiesInOrderAndRetrievedMailIsNeverStored) {
    TQELPOPMail Pop(nullptr);
    const TClass& C = TQELPOPMail::StaticClass();
    std::vector<std::string> Names;
    bool Ours = false;
    for (const TPropInfo* P : C.Properties()) {
        Ours = Ours || P->Name == "DesignExecute";
        if (Ours) Names.push_back(P->Name);
    }
    const std::vector<std::string> Want = {"DesignExecute",
                                           "Messages",
                                           "OnExecute",
                                           "ProgressStep",
                                           "Port",
                                           "Host",
                                           "DeleteOfServer",
                                           "Username",
                                           "Password",
                                           "OnConnect",
                                           "OnDisconnect",
                                           "OnError",
                                           "OnDecodeStart",
                                           "OnDecodeProgress",
                                           "OnDecodeEnd",
                                           "BeforeRetrieve",
                                           "AfterRetrieve",
                                           "OnRetrieveProgress",
                                           "OnDelete",
                                           "Security",
                                           "UseAPOP",
                                           "KeepOnServer",
                                           "VerifyCertificate",
                                           "CAFile"};
    EXPECT_EQ(Names, Want);
    Pop.Messages()->Add()->SetSubject("retrieved");
    EXPECT_FALSE(C.FindProperty("Messages")->IsStored(Pop));
    EXPECT_TRUE(C.FindProperty("DeleteOfServer")->IsDefaultValue(Pop));
    EXPECT_FALSE(Pop.DeleteOfServer());
    EXPECT_EQ(Pop.Port(), "110");
    EXPECT_EQ(Pop.ProgressStep(), 1);
    EXPECT_EQ(Pop.Messages()->GetQELMessage(0)->DisplayName(), "Incoming Message");
}

TEST(ReviewDecode, EveryBase64GroupIsAUnitOfProgress) {
    std::vector<std::uint16_t> Events;
    TQELDecodeEvents Ev;
    Ev.OnDecodeProgress = [&](std::uint16_t P) { Events.push_back(P); };
    std::string Out;
    std::uint16_t Last = 0;
    // Three lines of three groups: 0 %, 33 % and 67 % by line. The threshold moves one step
    // per event, so each group of a line that jumped ahead fires again until it catches up.
    QELBase64Decode(TMimeLines(3, "QUJDQUJDQUJD"), "x", Out, Ev, 10, Last);
    EXPECT_EQ(Out, "ABCABCABCABCABCABCABCABCABC");
    EXPECT_EQ(Events, (std::vector<std::uint16_t>{33, 33, 33, 67, 67, 67, 100}));
    EXPECT_EQ(Last, 67);
}

} // namespace

namespace {

TEST(ReviewPop3, HeadersAfterAStatusLineEndingInABareLineFeed) {
    pop3test::TFakePop3 Server;
    Server.Mails = {"Subject: a\r\n\r\nbody\r\n"};
    Server.Hook = [](const std::string& Cmd, pop3test::TFakePop3::TConn& C, bool&) {
        if (Cmd != "TOP 1 0") return false;
        C.Send("+OK headers follow\nSubject: a\r\n\r\n.\r\n");
        return true;
    };
    Server.Start();
    TQELPOPMail Pop(nullptr);
    Pop.SetHost("127.0.0.1");
    Pop.SetPort(Server.PortText());
    Pop.SetUsername("alice");
    Pop.SetPassword("secret");
    Pop.SetReplyTimeout(2000);
    std::string Headers = "unset";
    Pop.BeforeRetrieve = [&](TObject*, std::uint16_t I) { Headers = Pop.RetrieveHeaders(I); };
    EXPECT_TRUE(Pop.Execute());
    Server.Join();
    EXPECT_EQ(Headers, "Subject: a\r\n\r\n.\r\n");
}

} // namespace
