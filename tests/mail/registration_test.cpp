// The mail package's Register: its palette page, icons and the editor that runs a mail
// component from the inspector.
#include "mail/MailReg.h"
#include "mail/QELMails.h"
#include "mail/QELTIEmails.h"
#include "toolkit/designer/DesignRegistry.h"
#include "toolkit/graphics/Resources.h"

#include <gtest/gtest.h>

using namespace qel;

namespace {

class TCountingMail : public TQELMailsComponent {
  public:
    using TQELMailsComponent::TQELMailsComponent;
    bool Execute() override {
        ++Runs;
        return true;
    }
    int Runs = 0;
};

struct MailRegFixture : ::testing::Test {
    int Group = BeginRegistrationGroup("Corvex40");
    void SetUp() override {
        MailReg::Register();
        EndRegistrationGroup();
    }
    void TearDown() override { FreeRegistrationGroup(Group); }
};

TEST_F(MailRegFixture, TheEMailPageHoldsTheFourComponentsWithTheirIcons) {
    std::vector<std::string> Names;
    for (const TPalettePage& P : PalettePages())
        if (P.Name == "QEL EMail")
            for (const TClass* C : P.Classes)
                Names.push_back(C->ClassName());
    EXPECT_EQ(Names, (std::vector<std::string>{"TQELQuickMail", "TQELMapiMail", "TQELPOPMail",
                                               "TQELSMTPMail"}));
    for (std::string N : Names) {
        for (char& C : N)
            C = static_cast<char>(std::toupper(static_cast<unsigned char>(C)));
        auto R = FindResourceData(ResourceModule("Corvex40"), N, "BMP");
        ASSERT_TRUE(R) << N;
        EXPECT_EQ(R->Bytes[18], 24);
        EXPECT_EQ(R->Bytes[28], 8);
    }
}

TEST_F(MailRegFixture, DesignExecuteRunsTheFirstSelectedMailComponent) {
    TComponent Root(nullptr);
    TDesigner D(&Root);
    auto* Smtp = new TQELSMTPMail(&Root);
    const TPropInfo& P = *Smtp->ClassType().FindProperty("DesignExecute");
    EXPECT_EQ(GetPropertyEditorClass(P, Smtp->ClassType()).Name, "TQELSendMailProperty");
    auto* A = new TCountingMail(&Root);
    auto* B = new TCountingMail(&Root);
    auto E = CreatePropertyEditor(&D, {A, B}, *A->ClassType().FindProperty("DesignExecute"));
    EXPECT_EQ(E->GetValue(), "(Execute Test)");
    EXPECT_FALSE(E->GetAttributes().Contains(paMultiSelect));
    E->Edit();
    EXPECT_EQ(A->Runs, 1);
    EXPECT_EQ(B->Runs, 0);
}

} // namespace
