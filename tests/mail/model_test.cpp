// The mail model: attachments and their content types, deletion, display names, copying,
// saving received content, and what the components publish.
#include "mail/QELTIEmails.h"
#include "toolkit/controls/Forms.h"
#include "toolkit/core/FormReader.h"
#include "toolkit/core/FormWriter.h"
#include "toolkit/core/Streams.h"
#include "toolkit/platform/Registry.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace qel;
namespace fs = std::filesystem;

namespace {

class MailModel : public ::testing::Test {
  protected:
    void SetUp() override {
        Dir = fs::temp_directory_path() / ("qel-model-" + std::to_string(::getpid()));
        fs::create_directories(Dir);
        {
            std::ofstream Types(Dir / "mime.types");
            Types << "# test table\nimage/png\t\tpng\ntext/plain\t\ttxt asc\n";
        }
        ::setenv("QEL_MIME_TYPES", (Dir / "mime.types").c_str(), 1);
        ::setenv("QEL_REGISTRY", (Dir / "registry").c_str(), 1);
        Application->OnException = [this](TObject*, const std::exception& E) {
            Shown.push_back(E.what());
        };
    }
    void TearDown() override {
        Application->OnException = nullptr;
        ::unsetenv("QEL_MIME_TYPES");
        ::unsetenv("QEL_REGISTRY");
        fs::remove_all(Dir);
    }
    fs::path Dir;
    std::vector<std::string> Shown;
};

TEST_F(MailModel, AddTakesNamePathAndRegisteredContentType) {
    TQELSMTPMail Mail(nullptr);
    TQELMessage* M = Mail.Messages()->Add();
    TQELAttachment* A = M->Attachments()->Add("/home/user/pictures/holiday.png");
    EXPECT_EQ(A->FileName(), "holiday.png");
    EXPECT_EQ(A->PathName(), "/home/user/pictures/holiday.png");
    EXPECT_EQ(A->MimeType(), "image/png");
    EXPECT_EQ(A->OwnerMessage(), M);
    EXPECT_EQ(M->Attachments()->Add("notes.TXT")->MimeType(), "text/plain");
    EXPECT_EQ(M->Attachments()->Add("/tmp/README")->MimeType(), "application/octet-stream");
    EXPECT_EQ(M->Attachments()->Add("/tmp/a.dir/file")->MimeType(), "application/octet-stream");
    EXPECT_EQ(M->Attachments()->Add("data.zzq")->MimeType(), "application/octet-stream");
    EXPECT_EQ(M->Attachments()->Add("C:\\docs\\report.png")->FileName(), "report.png");
}

TEST_F(MailModel, StoredContentTypeWinsAndAnEmptyOneFallsBack) {
    {
        TRegistry Reg;
        Reg.SetRootKey(HKEY_CLASSES_ROOT);
        ASSERT_TRUE(Reg.OpenKey(".png", true));
        Reg.WriteString("Content Type", "image/x-test");
        Reg.CloseKey();
        ASSERT_TRUE(Reg.OpenKey(".txt", true));
        Reg.WriteString("Content Type", "");
        Reg.CloseKey();
    }
    EXPECT_EQ(TQELAttachments::GetMimeType("a.png"), "image/x-test");
    EXPECT_EQ(TQELAttachments::GetMimeType("a.txt"), "application/octet-stream");
}

TEST_F(MailModel, DeleteOutOfRangeIsShownAndChangesNothing) {
    TQELSMTPMail Mail(nullptr);
    Mail.Messages()->Add();
    Mail.Messages()->Add()->SetSubject("second");
    EXPECT_FALSE(Mail.Messages()->Delete(2));
    EXPECT_FALSE(Mail.Messages()->Delete(-1));
    EXPECT_EQ(Mail.Messages()->Count(), 2);
    EXPECT_EQ(Shown.size(), 2u);
    EXPECT_TRUE(Mail.Messages()->Delete(0));
    ASSERT_EQ(Mail.Messages()->Count(), 1);
    EXPECT_EQ(Mail.Messages()->GetQELMessage(0)->Subject(), "second");

    TQELAttachments* A = Mail.Messages()->GetQELMessage(0)->Attachments();
    A->Add("x.png");
    EXPECT_FALSE(A->Delete(1));
    EXPECT_TRUE(A->Delete(0));
    EXPECT_EQ(A->Count(), 0);
}

// A host that is neither sender nor receiver.
class TPlainHost : public TQELMailHost {
  public:
    using TQELMailHost::TQELMailHost;
};

TEST_F(MailModel, DisplayNamesFollowTheOwningHost) {
    TQELSMTPMail Smtp(nullptr);
    TPlainHost Other(nullptr);
    TQELMessage* Out = Smtp.Messages()->Add();
    TQELMessage* In = Other.Messages()->Add();
    EXPECT_EQ(Out->DisplayName(), "Outgoing Message");
    EXPECT_EQ(In->DisplayName(), "Incoming Message");
    EXPECT_EQ(Out->Host(), &Smtp);
    EXPECT_EQ(Out->Attachments()->Add("a")->DisplayName(), "Mail Attachment");
    EXPECT_EQ(Smtp.Messages()->Owner(), &Smtp);
    EXPECT_EQ(Out->Attachments()->Owner(), Out);
}

TEST_F(MailModel, FreshComponentsHaveTheirDefaults) {
    TPlainHost Host(nullptr);
    EXPECT_EQ(Host.ProgressStep(), 1);
    EXPECT_EQ(Host.Host(), "");
    EXPECT_EQ(Host.DesignExecute(), "(Execute)");
    EXPECT_FALSE(static_cast<TQELMailsComponent&>(Host).TQELMailsComponent::Execute());
    TQELSMTPMail Smtp(nullptr);
    EXPECT_EQ(Smtp.Port(), "25");
    EXPECT_EQ(Smtp.LinePause(), 40);
    EXPECT_EQ(Smtp.ReplyTimeout(), 60000);
    EXPECT_FALSE(Smtp.DateTimeFormat().empty());
    Smtp.SetProgressStep(0);
    EXPECT_EQ(Smtp.ProgressStep(), 1);
    Smtp.SetProgressStep(200);
    EXPECT_EQ(Smtp.ProgressStep(), 100);
    Smtp.SetDesignExecute(std::string(40, 'x'));
    EXPECT_EQ(Smtp.DesignExecute().size(), 33u);
}

TEST_F(MailModel, PublishedPropertiesAndWhatIsStored) {
    TQELSMTPMail Smtp(nullptr);
    const TClass& C = TQELSMTPMail::StaticClass();
    std::vector<std::string> Names;
    bool Ours = false; // the inherited component properties come first
    for (const TPropInfo* P : C.Properties()) {
        Ours = Ours || P->Name == "DesignExecute";
        if (Ours) Names.push_back(P->Name);
    }
    const std::vector<std::string> Want = {"DesignExecute",     "Messages",       "OnExecute",
                                           "ProgressStep",      "Port",           "Host",
                                           "Signature",         "DateTimeFormat", "OnConnect",
                                           "OnDisconnect",      "OnError",        "OnBeforeSend",
                                           "OnAfterSend",       "OnSuccessSend",  "OnEncodeStart",
                                           "OnEncodeProgress",  "OnEncodeEnd",    "OnSendProgress",
                                           "LinePause",         "ReplyTimeout",   "Security",
                                           "UserName",          "Password",       "AuthMethod",
                                           "VerifyCertificate", "CAFile"};
    EXPECT_EQ(Names, Want);
    EXPECT_FALSE(C.FindProperty("DesignExecute")->IsStored(Smtp));
    EXPECT_TRUE(C.FindProperty("Messages")->IsStored(Smtp));
    // ProgressStep is written even at its initial value; LinePause only when changed.
    EXPECT_FALSE(C.FindProperty("ProgressStep")->IsDefaultValue(Smtp));
    EXPECT_TRUE(C.FindProperty("LinePause")->IsDefaultValue(Smtp));
    Smtp.SetLinePause(0);
    EXPECT_FALSE(C.FindProperty("LinePause")->IsDefaultValue(Smtp));

    std::vector<std::string> MsgProps;
    for (const TPropInfo* P : TQELMessage::StaticClass().Properties())
        MsgProps.push_back(P->Name);
    const std::vector<std::string> WantMsg = {"FromMail", "ReplyTo", "SendTo",     "Subject",
                                              "FromName", "Message", "Attachments"};
    EXPECT_EQ(MsgProps, WantMsg);
}

TEST_F(MailModel, SenderMessagesTravelWithTheFormFile) {
    TQELSMTPMail Smtp(nullptr);
    Smtp.SetName("SMTPMail1");
    Smtp.SetHost("mail.example.test");
    Smtp.SetLinePause(5);
    Smtp.Signature()->Add("-- sig");
    TQELMessage* M = Smtp.Messages()->Add();
    M->SetFromMail("alice@example.test");
    M->SetSendTo("bob@example.test");
    M->SetSubject("Stored");
    M->Message()->Add("line one");
    M->Attachments()->Add("/srv/files/report.png");
    M->Attachments()->Add("plain.txt");
    const std::string Text = ComponentToText(&Smtp);
    EXPECT_EQ(Text.find("DesignExecute"), std::string::npos) << Text;
    EXPECT_EQ(Text.find("ReplyTimeout"), std::string::npos) << Text;
    EXPECT_NE(Text.find("LinePause = 5"), std::string::npos) << Text;
    EXPECT_NE(Text.find("ProgressStep = 1"), std::string::npos) << Text;

    TStringStream In(Text);
    std::unique_ptr<TComponent> Loaded = LoadComponentFromStream(In);
    auto* L = dynamic_cast<TQELSMTPMail*>(Loaded.get());
    ASSERT_NE(L, nullptr);
    EXPECT_EQ(L->Host(), "mail.example.test");
    EXPECT_EQ(L->LinePause(), 5);
    EXPECT_EQ(L->Signature()->Get(0), "-- sig");
    ASSERT_EQ(L->Messages()->Count(), 1);
    TQELMessage* LM = L->Messages()->GetQELMessage(0);
    EXPECT_EQ(LM->Subject(), "Stored");
    EXPECT_EQ(LM->Message()->Get(0), "line one");
    EXPECT_EQ(LM->DisplayName(), "Outgoing Message");
    ASSERT_EQ(LM->Attachments()->Count(), 2);
    EXPECT_EQ(LM->Attachments()->GeTQELAttachment(0)->FileName(), "report.png");
    EXPECT_EQ(LM->Attachments()->GeTQELAttachment(0)->PathName(), "/srv/files/report.png");
    EXPECT_EQ(LM->Attachments()->GeTQELAttachment(1)->FileName(), "plain.txt");
}

TEST_F(MailModel, AssignCopiesMessagesWithTheirAttachments) {
    TQELSMTPMail A(nullptr), B(nullptr);
    TQELMessage* M = A.Messages()->Add();
    M->SetFromMail("alice@example.test");
    M->SetSubject("Copy me");
    M->SetDate("today");
    M->Message()->Add("text");
    TQELAttachment* Att = M->Attachments()->Add("/tmp/pic.png");
    Att->Content()->WriteBuffer("abc", 3);
    B.SetMessages(A.Messages());
    ASSERT_EQ(B.Messages()->Count(), 1);
    TQELMessage* C = B.Messages()->GetQELMessage(0);
    EXPECT_EQ(C->Subject(), "Copy me");
    EXPECT_EQ(C->Date(), "today");
    EXPECT_EQ(C->Message()->Get(0), "text");
    EXPECT_EQ(C->Host(), &B);
    ASSERT_EQ(C->Attachments()->Count(), 1);
    TQELAttachment* CA = C->Attachments()->GeTQELAttachment(0);
    EXPECT_EQ(CA->PathName(), "/tmp/pic.png");
    EXPECT_EQ(CA->MimeType(), "image/png");
    EXPECT_EQ(CA->OwnerMessage(), C);
    EXPECT_EQ(CA->Content()->Size(), 3);
}

TEST_F(MailModel, SaveToFileWritesContentAndShowsFailures) {
    TQELSMTPMail Mail(nullptr);
    TQELAttachment* A = Mail.Messages()->Add()->Attachments()->Add("got.bin");
    const std::string Bytes("\0\x01\xff data", 8);
    A->Content()->WriteBuffer(Bytes.data(), static_cast<std::int64_t>(Bytes.size()));
    A->SaveToFile((Dir / "got.bin").string());
    std::ifstream In(Dir / "got.bin", std::ios::binary);
    std::string Got((std::istreambuf_iterator<char>(In)), {});
    EXPECT_EQ(Got, Bytes);

    A->SaveToFile((Dir / "no-such-dir" / "x.bin").string());
    EXPECT_EQ(Shown.size(), 1u);

    A->SetContent(nullptr);
    EXPECT_THROW(A->SaveToFile((Dir / "y.bin").string()), EInvalidOperation);
}

} // namespace
