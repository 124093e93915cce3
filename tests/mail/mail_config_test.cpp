// The mail design windows and the editors that open them, driven as the designer does: the
// component editor's verb, the inspector's ellipsis, the window's buttons with the file
// dialogs answered through the dialog hook, and the designer's selection and Modified mark.
#include "mail/MailReg.h"
#include "mail/QELTDsgInetMail.h"
#include "mail/QELTDsgMapiMail.h"
#include "mail/QELTIEmails.h"
#include "mail/QELTMapiMail.h"
#include "tests/toolkit/controls/ControlsTestSupport.h"
#include "toolkit/controls/Buttons.h"
#include "toolkit/controls/Dialogs.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/FileDialogs.h"
#include "toolkit/controls/ListBox.h"
#include "toolkit/controls/StdCtrls.h"
#include "toolkit/core/FormWriter.h"
#include "toolkit/core/Streams.h"
#include "toolkit/designer/DesignRegistry.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace qel;
using namespace qel::test;

namespace {

namespace fs = std::filesystem;

struct MailConfigFixture : ::testing::Test {
    int Group = BeginRegistrationGroup("Corvex40");
    TForm* Root = nullptr;
    std::unique_ptr<TDesigner> D;
    TQELSMTPMail* Smtp = nullptr;
    TQELPOPMail* Pop = nullptr;
    TQELMapiMail* Mapi = nullptr;
    std::vector<std::string> Shown; // messages the editors showed
    TMessageDlgAnswerHook OldAnswers;
    fs::path Dir = fs::temp_directory_path() / ("qel-mail-config-" + std::to_string(::getpid()));

    void SetUp() override {
        MailReg::Register();
        EndRegistrationGroup();
        Headless();
        Root = new TForm(nullptr);
        Root->SetName("Form1");
        Smtp = new TQELSMTPMail(Root);
        Smtp->SetName("Smtp1");
        Pop = new TQELPOPMail(Root);
        Pop->SetName("Pop1");
        Mapi = new TQELMapiMail(Root);
        Mapi->SetName("Mapi1");
        Root->SetDesigning(true, true);
        D = std::make_unique<TDesigner>(Root);
        // The hook the other mail tests rely on comes back afterwards: without one, a later
        // test's message box would wait for a user in a modal loop.
        OldAnswers =
            SetMessageDlgAnswerHook([this](const std::string& Msg, TMsgDlgType, TMsgDlgButtons) {
                Shown.push_back(Msg);
                return std::optional<int>(mrOk);
            });
        fs::create_directories(Dir);
    }
    void TearDown() override {
        SetDialogShownHook(nullptr);
        SetMessageDlgAnswerHook(OldAnswers);
        D.reset(); // open windows free themselves
        Pump();
        EXPECT_EQ(InetMailConfig(), nullptr);
        EXPECT_EQ(MapiMailConfig(), nullptr);
        delete Root;
        FreeRegistrationGroup(Group);
        Pump();
        fs::remove_all(Dir);
    }
    void DoubleClick(TComponent* C) { GetComponentEditor(C, D.get())->Edit(); }
    std::unique_ptr<TPropertyEditor> Editor(TPersistent* On, const std::string& Prop) {
        return CreatePropertyEditor(D.get(), {On}, *On->ClassType().FindProperty(Prop));
    }
    // The next file dialog is answered with File, or cancelled when File is empty.
    void AnswerFileDialog(const std::string& File) {
        SetDialogShownHook([File](TCustomForm* F) {
            if (!dynamic_cast<TFileDialogForm*>(F)) return;
            if (File.empty()) return F->SetModalResult(mrCancel);
            Cast<TEdit>(F->FindComponent("FileName"))->SetText(File);
            Cast<TButton>(F->FindComponent("OkButton"))->Click();
        });
    }
    std::string MakeFile(const std::string& Name, const std::string& Body) {
        std::ofstream(Dir / Name, std::ios::binary) << Body;
        return (Dir / Name).string();
    }
    static std::vector<std::string> Lines(TListBox* L) {
        std::vector<std::string> Out;
        Out.reserve(static_cast<std::size_t>(L->Items()->Count()));
        for (int I = 0; I < L->Items()->Count(); ++I)
            Out.push_back(L->Items()->Strings(I));
        return Out;
    }
};

TEST_F(MailConfigFixture, RegisterAttachesTheEditorsToTheMailClasses) {
    auto Name = [](const TObject& O, const char* P) {
        return GetPropertyEditorClass(*O.ClassType().FindProperty(P), O.ClassType()).Name;
    };
    EXPECT_EQ(Name(*Smtp, "Messages"), "TQELInetProperty");
    EXPECT_EQ(Name(*Pop, "Messages"), "TQELInetProperty");
    EXPECT_EQ(Name(*Mapi, "Messages"), "TQELMapiProperty");
    TQELMessage* M = Smtp->Messages()->Add();
    TQELMapiMessage* MM = Mapi->Messages()->Add();
    EXPECT_EQ(Name(*M, "Attachments"), "TQELAttachmentProperty");
    EXPECT_EQ(Name(*MM, "Attachments"), "TQELMapiAttachmentProperty");
    for (TPersistent* P : std::vector<TPersistent*>{Smtp, Mapi}) {
        auto E = Editor(P, "Messages");
        EXPECT_TRUE(E->GetAttributes().Contains(paDialog));
        EXPECT_TRUE(E->GetAttributes().Contains(paReadOnly));
    }
    for (TComponent* C : std::vector<TComponent*>{Smtp, Pop, Mapi}) {
        auto E = GetComponentEditor(C, D.get());
        ASSERT_EQ(E->GetVerbCount(), 1) << C->Name();
        EXPECT_EQ(E->GetVerb(0), "Configure Mail ...");
        EXPECT_NE(dynamic_cast<TQELMailConfigEditor*>(E.get()), nullptr);
    }
    EXPECT_EQ(dynamic_cast<TQELMailConfigEditor*>(
                  GetComponentEditor(new TQELQuickMail(Root), D.get()).get()),
              nullptr)
        << "quick mail has no messages window";
}

TEST_F(MailConfigFixture, OnePopOrSmtpWindowSwitchesLayoutWithItsComponent) {
    Pop->Messages()->Add();
    Pop->Messages()->Add();
    DoubleClick(Pop);
    TInetMailConfig* W = InetMailConfig();
    ASSERT_NE(W, nullptr);
    EXPECT_TRUE(W->Visible());
    EXPECT_EQ(W->Caption(), "Mail Messages");
    EXPECT_EQ(W->ClientWidth(), 235);
    EXPECT_EQ(W->ClientHeight(), 324);
    EXPECT_EQ(W->Designer(), D.get());
    EXPECT_EQ(Lines(W->ListBox1()),
              (std::vector<std::string>{"Incoming Message", "Incoming Message"}));
    EXPECT_FALSE(W->Button(2)->Enabled());
    EXPECT_FALSE(W->SpeedButton(1)->Visible());
    EXPECT_TRUE(W->SpeedButton(4)->Visible());
    EXPECT_FALSE(W->SpeedButton(2)->Visible());
    EXPECT_TRUE(W->Button(5)->Visible());
    EXPECT_EQ(W->ListBox1()->ItemIndex(), 0);

    GetComponentEditor(Smtp, D.get())->ExecuteVerb(0);
    EXPECT_EQ(InetMailConfig(), W) << "the same window, reloaded";
    EXPECT_EQ(W->Messages(), Smtp->Messages());
    EXPECT_TRUE(W->ListBox1()->Items()->Count() == 0);
    EXPECT_TRUE(W->Button(2)->Enabled());
    EXPECT_TRUE(W->SpeedButton(1)->Visible());
    EXPECT_FALSE(W->SpeedButton(4)->Visible());
    EXPECT_TRUE(W->SpeedButton(2)->Visible());
    EXPECT_FALSE(W->SpeedButton(2)->Enabled()) << "nothing to send";
    EXPECT_FALSE(W->Button(5)->Visible());
    EXPECT_EQ(D->ModifiedCount(), 0) << "opening changes nothing";
}

TEST_F(MailConfigFixture, AddingAndDeletingMessagesFollowsInTheInspectorAndMarksTheForm) {
    Editor(Smtp, "Messages")->Edit();
    TInetMailConfig* W = InetMailConfig();
    ASSERT_NE(W, nullptr);
    W->Button(2)->Click();
    W->Button(2)->Click();
    ASSERT_EQ(Smtp->Messages()->Count(), 2);
    EXPECT_EQ(Lines(W->ListBox1()),
              (std::vector<std::string>{"Outgoing Message", "Outgoing Message"}));
    EXPECT_EQ(W->ListBox1()->ItemIndex(), 1);
    EXPECT_EQ(D->Selections(), TDesignerSelections{Smtp->Messages()->GetQELMessage(1)});
    EXPECT_TRUE(W->SpeedButton(2)->Enabled());
    EXPECT_EQ(D->ModifiedCount(), 2);

    W->ListBox1()->SetItemIndex(0);
    W->ListBox1MouseDown(W, mbRight, {}, 0, 0);
    EXPECT_EQ(D->Selections(), TDesignerSelections{Smtp->Messages()->GetQELMessage(1)})
        << "the right button leaves the inspector alone";
    W->ListBox1MouseDown(W, mbLeft, {}, 0, 0);
    EXPECT_EQ(D->Selections(), TDesignerSelections{Smtp->Messages()->GetQELMessage(0)});
    W->Button(1)->Click();
    EXPECT_EQ(Smtp->Messages()->Count(), 1);
    EXPECT_EQ(D->Selections(), TDesignerSelections{Smtp->Messages()->GetQELMessage(0)});
    W->Button(1)->Click();
    EXPECT_EQ(Smtp->Messages()->Count(), 0);
    EXPECT_EQ(W->ListBox1()->ItemIndex(), -1);
    EXPECT_EQ(D->Selections(), TDesignerSelections{Smtp});
    EXPECT_FALSE(W->SpeedButton(2)->Enabled()) << "deleting the last message disables >>";
    W->Button(1)->Click(); // nothing selected: nothing happens
    EXPECT_EQ(D->ModifiedCount(), 4);

    Cast<TSpeedButton>(W->FindComponent("SpeedButton3"))->Click();
    EXPECT_EQ(InetMailConfig(), nullptr) << "closing forgets the window";
    Pump();
}

TEST_F(MailConfigFixture, AnAttachmentIsAddedOnlyWhenTheFileDialogIsConfirmed) {
    Smtp->Messages()->Add()->SetSubject("report");
    const std::string File = MakeFile("notes.txt", "hello");
    DoubleClick(Smtp);
    TInetMailConfig* W = InetMailConfig();
    ASSERT_NE(W, nullptr);
    const std::string Before = ComponentToText(Root);
    AnswerFileDialog("");
    W->Button(3)->Click();
    EXPECT_EQ(ComponentToText(Root), Before) << "a cancelled dialog changes nothing";
    EXPECT_EQ(D->ModifiedCount(), 0);
    EXPECT_TRUE(W->ListBox2()->Items()->Count() == 0);

    AnswerFileDialog(File);
    W->Button(3)->Click();
    TQELAttachments* A = Smtp->Messages()->GetQELMessage(0)->Attachments();
    ASSERT_EQ(A->Count(), 1);
    EXPECT_EQ(A->GeTQELAttachment(0)->FileName(), "notes.txt");
    EXPECT_EQ(Lines(W->ListBox2()), (std::vector<std::string>{"notes.txt"}));
    EXPECT_EQ(D->Selections(), TDesignerSelections{A->GeTQELAttachment(0)});
    EXPECT_EQ(D->ModifiedCount(), 1);
    EXPECT_NE(ComponentToText(Root), Before);

    // The attachments entry brings the open window forward instead of a message.
    Editor(Smtp->Messages()->GetQELMessage(0), "Attachments")->Edit();
    EXPECT_TRUE(Shown.empty());

    W->ListBox2()->SetItemIndex(0);
    W->ListBox2MouseDown(W, mbLeft, {}, 0, 0);
    W->Button(4)->Click();
    EXPECT_EQ(A->Count(), 0);
    EXPECT_EQ(D->Selections(), TDesignerSelections{Smtp->Messages()->GetQELMessage(0)});
    EXPECT_EQ(ComponentToText(Root), Before);
    EXPECT_EQ(D->ModifiedCount(), 2);
}

TEST_F(MailConfigFixture, SavingAReceivedAttachmentWritesOnlyWhenConfirmed) {
    TQELAttachment* A = Pop->Messages()->Add()->Attachments()->Add("picture.png");
    auto Content = std::make_unique<TMemoryStream>();
    Content->Write("PNGDATA", 7);
    A->SetContent(std::move(Content));
    DoubleClick(Pop);
    TInetMailConfig* W = InetMailConfig();
    ASSERT_NE(W, nullptr);
    EXPECT_EQ(Lines(W->ListBox2()), (std::vector<std::string>{"picture.png"}));
    W->ListBox2()->SetItemIndex(0);
    const fs::path Target = Dir / "saved.png";
    AnswerFileDialog("");
    W->Button(5)->Click();
    EXPECT_EQ(W->SaveDialog1()->FileName(), "picture.png") << "preset with the attachment's name";
    EXPECT_FALSE(fs::exists(Target));
    AnswerFileDialog(Target.string());
    W->Button(5)->Click();
    ASSERT_TRUE(fs::exists(Target));
    EXPECT_EQ(fs::file_size(Target), 7u);
    EXPECT_EQ(D->ModifiedCount(), 0) << "saving a file does not change the form";
}

TEST_F(MailConfigFixture, WithoutAWindowTheAttachmentEditorsSayWhereAttachmentsAreEdited) {
    TQELMessage* M = Smtp->Messages()->Add();
    TQELMapiMessage* MM = Mapi->Messages()->Add();
    const std::string Before = ComponentToText(Root);
    Editor(M, "Attachments")->Edit();
    Editor(MM, "Attachments")->Edit();
    EXPECT_EQ(Shown, (std::vector<std::string>(2, SAttachmentsInDesignEditor)));
    EXPECT_EQ(ComponentToText(Root), Before);
    EXPECT_EQ(D->ModifiedCount(), 0);
}

TEST_F(MailConfigFixture, DeletingTheMailComponentClosesItsWindow) {
    DoubleClick(Smtp);
    ASSERT_NE(InetMailConfig(), nullptr);
    DoubleClick(Mapi);
    ASSERT_NE(MapiMailConfig(), nullptr);
    delete Smtp;
    delete Mapi;
    EXPECT_EQ(InetMailConfig(), nullptr);
    EXPECT_EQ(MapiMailConfig(), nullptr);
    Pump(); // the deferred frees run; nothing touches the freed components
}

TEST_F(MailConfigFixture, TheMapiWindowSelectsInTheInspectorAndMarksTheFormWhenClosed) {
    Mapi->Messages()->Add();
    DoubleClick(Mapi);
    TMapiMailConfig* W = MapiMailConfig();
    ASSERT_NE(W, nullptr);
    EXPECT_EQ(Lines(W->ListBox1()), (std::vector<std::string>{"Outgoing Message"}));
    EXPECT_FALSE(W->Button(5)->Visible());
    EXPECT_TRUE(W->Button(2)->Enabled());
    EXPECT_EQ(D->Selections(), TDesignerSelections{Mapi->Messages()->GetQELMapiMessage(0)})
        << "showing selects the first message";

    const std::string File = MakeFile("fax.txt", "x");
    AnswerFileDialog(File);
    W->Button(3)->Click();
    TQELMapiAttachments* A = Mapi->Messages()->GetQELMapiMessage(0)->Attachments();
    ASSERT_EQ(A->Count(), 1);
    EXPECT_EQ(Lines(W->ListBox2()),
              (std::vector<std::string>{A->GeTQELMapiAttachment(0)->Filename()}));
    W->Button(2)->Click();
    EXPECT_EQ(Mapi->Messages()->Count(), 2);
    W->FormActivate(W);
    EXPECT_EQ(D->Selections(), TDesignerSelections{Mapi});
    const int Count = D->ModifiedCount();
    W->SpeedButton(3)->Click();
    EXPECT_EQ(MapiMailConfig(), nullptr);
    EXPECT_EQ(D->ModifiedCount(), Count + 1);
    EXPECT_EQ(D->Selections(), TDesignerSelections{Mapi});
    Pump();
}

} // namespace
