// TQELMapiMail and TQELQuickMail against the recording provider: the records they hand to
// Simple MAPI, their events and their limits.
#include "mapi_support.h"

namespace qel {
namespace {

using MapiMail = test::MapiTest;

std::vector<std::string> Lines(const std::string& Call, const std::string& Kind) {
    std::vector<std::string> R;
    std::istringstream In(Call);
    std::string L;
    while (std::getline(In, L))
        if (L.rfind("  " + Kind + " ", 0) == 0) R.push_back(L);
    return R;
}

struct EventLog {
    std::vector<std::string> E;
    void Attach(TQELMapiMail& M) {
        auto N = [this](const char* Name) { return [this, Name](TObject*) { E.push_back(Name); }; };
        M.BeforeLogon = N("BeforeLogon");
        M.OnLogonSuccess = N("OnLogonSuccess");
        M.BeforeSendAll = N("BeforeSendAll");
        M.AfterSendAll = N("AfterSendAll");
        M.BeforeLogoff = N("BeforeLogoff");
        M.OnLogoffSuccess = N("OnLogoffSuccess");
        M.AfterExecute = N("AfterExecute");
        M.OnMapiNotAvailable = N("OnMapiNotAvailable");
        M.OnLogonFailure = [this](TObject*, int C) {
            E.push_back("OnLogonFailure:" + std::to_string(C));
        };
        M.OnLogoffFailure = [this](TObject*, int C) {
            E.push_back("OnLogoffFailure:" + std::to_string(C));
        };
        M.BeforeSendMail = [this](TObject*, TQELMapiMessage* Msg) {
            E.push_back("BeforeSendMail:" + Msg->Subject());
        };
        M.AfterSendMail = [this](TObject*, TQELMapiMessage* Msg) {
            E.push_back("AfterSendMail:" + Msg->Subject());
        };
        M.OnSendError = [this](TObject*, int C, TQELMapiMessage* Msg) {
            E.push_back("OnSendError:" + std::to_string(C) + ":" + Msg->Subject());
        };
        M.OnDeleteMail = [this, &M](TObject* Sender, TQELMapiMessage* Msg) {
            E.push_back(std::string("OnDeleteMail:") + Msg->Subject() +
                        (Sender == M.Messages() ? ":collection" : ":other"));
        };
    }
};

TEST_F(MapiMail, SuccessfulExecuteFiresEveryStepInOrder) {
    EventLog L; // outlives M, whose destructor may still fire events
    TQELMapiMail M(nullptr);
    L.Attach(M);
    TQELMapiMessage* Msg = M.Messages()->Add();
    Msg->SetSubject("one");
    Msg->RecipientsTo()->Add("alice@example.test");
    EXPECT_TRUE(M.Execute());
    EXPECT_EQ(L.E, (std::vector<std::string>{"BeforeLogon", "OnLogonSuccess", "BeforeSendAll",
                                             "BeforeSendMail:one", "AfterSendMail:one",
                                             "OnDeleteMail:one:collection", "AfterSendAll",
                                             "BeforeLogoff", "OnLogoffSuccess", "AfterExecute"}));
    EXPECT_EQ(M.Messages()->Count(), 0);
    EXPECT_EQ(M.Session(), 0u);
    auto Logon = Calls("MAPILogon");
    ASSERT_EQ(Logon.size(), 1u);
    // The default profile is looked up and is empty here; no logon dialog is asked for.
    EXPECT_TRUE(Has(Logon[0], "profile=\"\" password=\"\" flags=0x0 reserved=0")) << Logon[0];
    auto Send = Calls("MAPISendMail");
    ASSERT_EQ(Send.size(), 1u);
    EXPECT_TRUE(Has(Send[0], "session=1 ui=0 flags=0x0 reserved=0")) << Send[0];
    EXPECT_EQ(Calls("MAPILogoff").size(), 1u);
}

TEST_F(MapiMail, RecordsCarryClassesTextFilesAndFlags) {
    TQELMapiMail M(nullptr);
    M.Signature()->Add("-- ");
    M.Signature()->Add("sig");
    TQELMapiMessage* Msg = M.Messages()->Add();
    Msg->SetSubject("Report");
    Msg->Message()->Add("Hello");
    Msg->Message()->Add("World");
    for (const char* R : {"t1", "t2", "t3"})
        Msg->RecipientsTo()->Add(R);
    for (const char* R : {"c1", "c2"})
        Msg->RecipientsCC()->Add(R);
    Msg->RecipientsBC()->Add("b1");
    const std::string File = MakeFile("report.pdf", "%PDF");
    Msg->Attachments()->Add(File);
    Msg->Attachments()->Add(Dir + "/missing.txt");
    Msg->SetReceipt(true);
    Msg->SetDialog(true);
    M.SetDeleteAfterSend(false);
    ASSERT_TRUE(M.Execute());
    auto Send = Calls("MAPISendMail");
    ASSERT_EQ(Send.size(), 1u);
    EXPECT_TRUE(Has(Send[0], "flags=0x8 reserved=0")) << Send[0]; // Dialog
    EXPECT_TRUE(Has(Send[0], "MESSAGE reserved=0 subject=\"Report\" "
                             "note=\"  \\rHello\\r\\nWorld\\r\\n-- \\r\\nsig\\r\\n\" type=null "
                             "date=null conversation=null flags=0x2 originator=null recips=6"))
        << Send[0];
    auto Recips = Lines(Send[0], "RECIP");
    ASSERT_EQ(Recips.size(), 6u);
    const char* Classes[] = {"class=1 name=\"t1\"", "class=1 name=\"t2\"", "class=1 name=\"t3\"",
                             "class=2 name=\"c1\"", "class=2 name=\"c2\"", "class=3 name=\"b1\""};
    for (int I = 0; I < 6; ++I) {
        EXPECT_TRUE(Has(Recips[I], Classes[I])) << Recips[I];
        EXPECT_TRUE(Has(Recips[I], "address=null eidsize=0 eid=null")) << Recips[I];
    }
    auto Files = Lines(Send[0], "FILE");
    ASSERT_EQ(Files.size(), 2u);
    EXPECT_TRUE(Has(Files[0], "flags=0x0 position=0xffffffff path=\"" + File +
                                  "\" name=\"report.pdf\" type=null"))
        << Files[0];
    EXPECT_TRUE(Has(Files[1], "path=null name=null")) << Files[1]; // missing file still counts
    EXPECT_EQ(M.Messages()->Count(), 1);
    EXPECT_TRUE(M.Messages()->GetQELMapiMessage(0)->Sent());
}

TEST_F(MapiMail, NamesAreResolvedAndBracketedAddressesPassedLiterally) {
    // An address book makes "Alice" resolve to a fuller name.
    const std::string Book = MakeFile("book", "Alice Example = alice@example.test\n");
    TRegistry R;
    ASSERT_TRUE(R.OpenKey("Software\\QEL\\SimpleMAPI", true));
    R.WriteString("AddressBook", Book);
    TQELMapiMail M(nullptr);
    TQELMapiMessage* Msg = M.Messages()->Add();
    Msg->RecipientsTo()->Add("Alice");
    Msg->RecipientsTo()->Add("");
    Msg->RecipientsCC()->Add("[SMTP:bob@example.test]");
    ASSERT_TRUE(M.Execute());
    auto Resolve = Calls("MAPIResolveName");
    ASSERT_EQ(Resolve.size(), 2u); // the empty line is skipped
    EXPECT_TRUE(Has(Resolve[0], "name=\"Alice\" flags=0x0")) << Resolve[0];
    EXPECT_EQ(Calls("MAPIFreeBuffer").size(), 2u); // every resolved record is released
    auto Send = Calls("MAPISendMail");
    ASSERT_EQ(Send.size(), 1u);
    auto Recips = Lines(Send[0], "RECIP");
    ASSERT_EQ(Recips.size(), 3u);
    EXPECT_TRUE(Has(Recips[0], "class=1 name=\"Alice Example\" address=null")) << Recips[0];
    EXPECT_TRUE(Has(Recips[1], "class=0 name=null address=null")) << Recips[1];
    EXPECT_TRUE(Has(Recips[2], "class=2 name=\"SMTP:bob@example.test\" "
                               "address=\"SMTP:bob@example.test\""))
        << Recips[2];
}

TEST_F(MapiMail, AmbiguousNamesAskAgainWithTheDialogAndUnresolvedOnesStopTheMessage) {
    EventLog L; // outlives M, whose destructor may still fire events
    TQELMapiMail M(nullptr);
    L.Attach(M);
    TQELMapiMessage* A = M.Messages()->Add();
    A->SetSubject("a");
    A->RecipientsTo()->Add("Smith");
    TQELMapiMessage* B = M.Messages()->Add();
    B->SetSubject("b");
    B->RecipientsTo()->Add("Nobody");
    Script("MAPIResolveName=21,0,14,14");
    ASSERT_TRUE(M.Execute());
    auto Resolve = Calls("MAPIResolveName");
    ASSERT_EQ(Resolve.size(), 4u);
    EXPECT_TRUE(Has(Resolve[0], "flags=0x0 reserved=0 -> 21"));
    EXPECT_TRUE(Has(Resolve[1], "flags=0x8 reserved=0 -> 0"));
    EXPECT_TRUE(Has(Resolve[3], "flags=0x8 reserved=0 -> 14"));
    // The second message would have lost its only recipient: it is not handed over.
    EXPECT_EQ(Calls("MAPISendMail").size(), 1u);
    EXPECT_NE(std::find(L.E.begin(), L.E.end(), "OnSendError:14:b"), L.E.end());
    ASSERT_EQ(M.Messages()->Count(), 1);
    EXPECT_EQ(M.Messages()->GetQELMapiMessage(0)->Subject(), "b");
}

TEST_F(MapiMail, WithoutRecipientsTheClientDialogAsks) {
    TQELMapiMail M(nullptr);
    M.Messages()->Add()->SetSubject("nobody yet");
    ASSERT_TRUE(M.Execute());
    auto Send = Calls("MAPISendMail");
    ASSERT_EQ(Send.size(), 1u);
    EXPECT_TRUE(Has(Send[0], "flags=0x8 reserved=0")) << Send[0];
    EXPECT_TRUE(Has(Send[0], "recips=0 recipsptr=null files=0 filesptr=null")) << Send[0];
    EXPECT_EQ(Calls("MAPIResolveName").size(), 0u);
}

TEST_F(MapiMail, FaxesGoToOneFaxRecipient) {
    TQELMapiMail M(nullptr);
    TQELMapiMessage* F = M.Messages()->Add();
    F->SetSendMethod(ccFax);
    F->SetFaxNumber("+49 30 1234");
    F->SetFaxTo("Office");
    F->SetDialog(true);
    F->RecipientsTo()->Add("ignored for faxes");
    F->Attachments()->Add(MakeFile("x.txt", "x"));
    TQELMapiMessage* Empty = M.Messages()->Add();
    Empty->SetSendMethod(ccFax);
    ASSERT_TRUE(M.Execute());
    auto Send = Calls("MAPISendMail");
    ASSERT_EQ(Send.size(), 2u);
    EXPECT_TRUE(Has(Send[0], "flags=0x0 reserved=0")) << Send[0];
    EXPECT_TRUE(Has(Send[0], "recips=1 recipsptr=set files=0 filesptr=null")) << Send[0];
    auto R = Lines(Send[0], "RECIP");
    ASSERT_EQ(R.size(), 1u);
    EXPECT_TRUE(Has(R[0], "class=1 name=\"Office\" address=\"Fax:+49 30 1234\"")) << R[0];
    // An empty number gives the count without a record.
    EXPECT_TRUE(Has(Send[1], "recips=1 recipsptr=null")) << Send[1];
    EXPECT_EQ(Calls("MAPIResolveName").size(), 0u);
}

TEST_F(MapiMail, TooManyRecipientsOrFilesEndTheRunAtOnce) {
    for (int Limit : {0, 1}) {
        Reset();
        EventLog L;
        TQELMapiMail M(nullptr);
        L.Attach(M);
        TQELMapiMessage* First = M.Messages()->Add();
        First->SetSubject("first");
        First->RecipientsTo()->Add("a@example.test");
        TQELMapiMessage* Big = M.Messages()->Add();
        Big->SetSubject("big");
        Big->RecipientsTo()->Add("x@example.test");
        if (Limit == 0) {
            for (int I = 0; I < 600; ++I)
                Big->RecipientsCC()->Add("c" + std::to_string(I));
            for (int I = 0; I < 399; ++I)
                Big->RecipientsBC()->Add(""); // empty lines count too
        } else {
            for (int I = 0; I < 101; ++I)
                Big->Attachments()->Add("f" + std::to_string(I));
        }
        M.Messages()->Add()->RecipientsTo()->Add("after@example.test");
        ASSERT_EQ(M.Logon(), 0);
        EXPECT_EQ(M.SendMapi(), Limit == 0 ? 10 : 9);
        M.Logoff();
        EXPECT_EQ(Calls("MAPISendMail").size(), 1u); // only the first message
        EXPECT_EQ(M.Messages()->Count(), 3);         // nothing deleted, even the sent one
        EXPECT_EQ(L.E.back(), "OnLogoffSuccess");
    }
    // 999 recipients and 100 files are still within the limits.
    Reset();
    TQELMapiMail M(nullptr);
    TQELMapiMessage* Msg = M.Messages()->Add();
    for (int I = 0; I < 999; ++I)
        Msg->RecipientsTo()->Add("r" + std::to_string(I));
    const std::string F = MakeFile("f", "1");
    for (int I = 0; I < 100; ++I)
        Msg->Attachments()->Add(F);
    ASSERT_TRUE(M.Execute());
    auto Send = Calls("MAPISendMail");
    ASSERT_EQ(Send.size(), 1u);
    EXPECT_TRUE(Has(Send[0], "recips=999 recipsptr=set files=100")) << Send[0].substr(0, 400);
    EXPECT_EQ(Lines(Send[0], "RECIP").size(), 999u);
    EXPECT_TRUE(Has(Send[0], "note=\"" + std::string(100, ' ') + "\\r\""));
}

TEST_F(MapiMail, DeleteAfterSendRemovesOnlyWhatWasSent) {
    EventLog L; // outlives M, whose destructor may still fire events
    TQELMapiMail M(nullptr);
    L.Attach(M);
    for (const char* S : {"one", "two"}) {
        TQELMapiMessage* Msg = M.Messages()->Add();
        Msg->SetSubject(S);
        Msg->RecipientsTo()->Add("a@example.test");
    }
    Script("MAPISendMail=0,2");
    ASSERT_TRUE(M.Execute());
    ASSERT_EQ(M.Messages()->Count(), 1);
    EXPECT_EQ(M.Messages()->GetQELMapiMessage(0)->Subject(), "two");
    EXPECT_FALSE(M.Messages()->GetQELMapiMessage(0)->Sent());
    EXPECT_NE(std::find(L.E.begin(), L.E.end(), "OnSendError:2:two"), L.E.end());
    EXPECT_NE(std::find(L.E.begin(), L.E.end(), "OnDeleteMail:one:collection"), L.E.end());
    EXPECT_EQ(std::find(L.E.begin(), L.E.end(), "OnDeleteMail:two:collection"), L.E.end());
    // Sent the next time: now both are gone.
    L.E.clear();
    ASSERT_TRUE(M.Execute());
    EXPECT_EQ(M.Messages()->Count(), 0);
}

TEST_F(MapiMail, LogonRefusedTwiceSkipsSendingAndLogoff) {
    EventLog L; // outlives M, whose destructor may still fire events
    TQELMapiMail M(nullptr);
    L.Attach(M);
    M.SetDefaultProfile(false);
    M.SetProfile("Work");
    M.SetPassword("secret");
    M.SetNewSession(true);
    M.Messages()->Add()->RecipientsTo()->Add("a@example.test");
    Script("MAPILogon=3,3");
    EXPECT_FALSE(M.Execute());
    EXPECT_EQ(L.E, (std::vector<std::string>{"BeforeLogon", "OnLogonFailure:3", "AfterExecute"}));
    auto Logon = Calls("MAPILogon");
    ASSERT_EQ(Logon.size(), 2u);
    EXPECT_TRUE(Has(Logon[0], "profile=\"Work\" password=\"secret\" flags=0x3")) << Logon[0];
    EXPECT_TRUE(Has(Logon[1], "profile=null password=null flags=0x3")) << Logon[1];
    EXPECT_EQ(Calls("MAPISendMail").size(), 0u);
    EXPECT_EQ(Calls("MAPILogoff").size(), 0u);
    EXPECT_EQ(M.Messages()->Count(), 1);
    // The second attempt lets the client ask, and may succeed.
    Reset();
    Script("MAPILogon=3,0");
    EXPECT_EQ(M.Logon(), 0);
    EXPECT_NE(M.Session(), 0u);
    EXPECT_EQ(M.Logon(), 0); // logged on already: no call
    EXPECT_EQ(Calls("MAPILogon").size(), 2u);
}

TEST_F(MapiMail, DefaultProfileComesFromTheRegistry) {
    TRegistry R;
    ASSERT_TRUE(R.OpenKey("Software\\Microsoft\\Windows Messaging Subsystem\\Profiles", true));
    R.WriteString("DefaultProfile", "Old");
    {
        TQELMapiMail M(nullptr);
        M.SetProfile("Mine");
        ASSERT_EQ(M.Logon(), 0);
        EXPECT_EQ(M.Profile(), "Old");
    } // the destructor logs off
    EXPECT_EQ(Calls("MAPILogoff").size(), 1u);
    ASSERT_TRUE(R.OpenKey(
        "\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem\\Profiles",
        true));
    R.WriteString("DefaultProfile", "New");
    TQELMapiMail M(nullptr);
    ASSERT_EQ(M.Logon(), 0);
    EXPECT_EQ(M.Profile(), "New");
    EXPECT_TRUE(Has(Calls("MAPILogon").back(), "profile=\"New\""));
}

TEST_F(MapiMail, LogoffFailureIsReportedAndTheSessionForgotten) {
    EventLog L; // outlives M, whose destructor may still fire events
    TQELMapiMail M(nullptr);
    L.Attach(M);
    ASSERT_EQ(M.Logon(), 0);
    Script("MAPILogoff=2");
    EXPECT_EQ(M.Logoff(), 2);
    EXPECT_EQ(L.E.back(), "OnLogoffFailure:2");
    EXPECT_EQ(M.Session(), 0u);
    EXPECT_EQ(M.Logoff(), 0); // nothing to log off
    EXPECT_EQ(Calls("MAPILogoff").size(), 1u);
}

TEST_F(MapiMail, QuickMailSendsOneMessageWithAReceipt) {
    TQELQuickMail Q(nullptr);
    EXPECT_FALSE(Q.ToName().empty());
    EXPECT_NE(Q.ToEmailorFaxAddress().find('@'), std::string::npos);
    int Errors = 0;
    std::vector<std::string> Order;
    Q.BeforeSend = [&](TObject*) { Order.push_back("BeforeSend"); };
    Q.OnError = [&](TObject*) { ++Errors; };
    Q.SetToName("Desk");
    Q.SetToEmailorFaxAddress("555 0100");
    Q.SetMailorFax(ccFax);
    Q.SetSubject("Fax");
    Q.TextToSend()->Add("line");
    Script("MAPISendMail=14");
    EXPECT_TRUE(Q.Execute());
    EXPECT_EQ(Q.ErrorNo(), "14");
    EXPECT_EQ(Errors, 1);
    EXPECT_TRUE(Q.Execute());
    EXPECT_EQ(Q.ErrorNo(), "0");
    EXPECT_EQ(Errors, 1);
    EXPECT_EQ(Order.size(), 2u);
    auto Send = Calls("MAPISendMail");
    ASSERT_EQ(Send.size(), 2u);
    EXPECT_TRUE(Has(Send[1], "session=0 ui=0 flags=0x1 reserved=0")) << Send[1];
    EXPECT_TRUE(Has(Send[1], "subject=\"Fax\" note=\"line\\r\\n\"")) << Send[1];
    EXPECT_TRUE(
        Has(Send[1], "flags=0x2 originator=null recips=1 recipsptr=set files=0 filesptr=null"));
    EXPECT_TRUE(Has(Send[1], "RECIP reserved=0 class=1 name=\"Desk\" address=\"Fax:555 0100\" "
                             "eidsize=0 eid=null"));
    Q.SetMailorFax(ccMail);
    Q.SetToEmailorFaxAddress("a@example.test");
    Q.Execute();
    EXPECT_TRUE(Has(Calls("MAPISendMail").back(), "address=\"smtp:a@example.test\""));
    EXPECT_EQ(Calls("MAPILogon").size(), 0u);
}

} // namespace
} // namespace qel
