// Message boxes answered from tests: by injected keys and clicks once the dialog shows, or by
// the answer hook without any window.
#include "ControlsTestSupport.h"
#include "toolkit/controls/Dialogs.h"
#include "toolkit/controls/ExtCtrls.h"
#include "toolkit/controls/StdCtrls.h"
#include "toolkit/core/Exceptions.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

struct DialogFixture : ::testing::Test {
    void SetUp() override { Headless(); }
    void TearDown() override {
        SetDialogShownHook(nullptr);
        SetMessageDlgAnswerHook(nullptr);
        Pump();
    }
};

TEST_F(DialogFixture, LayoutComesFromTheFormResource) {
    std::unique_ptr<TForm> F(
        CreateMessageDialog(DialogStrings::SDeleteRecordQuestion, mtConfirmation, {mbYes, mbNo}));
    EXPECT_EQ(F->Caption(), "Confirm");
    EXPECT_EQ(F->BorderStyle(), bsDialog) << "read from TMessageForm.dfm";
    auto* Label = dynamic_cast<TLabel*>(F->FindComponent("Message"));
    ASSERT_NE(Label, nullptr);
    EXPECT_EQ(Label->Caption(), "Delete record?");
    auto* Yes = dynamic_cast<TButton*>(F->FindComponent("Yes"));
    auto* No = dynamic_cast<TButton*>(F->FindComponent("No"));
    ASSERT_TRUE(Yes && No);
    EXPECT_EQ(Yes->Caption(), "&Yes");
    EXPECT_TRUE(Yes->Default());
    EXPECT_TRUE(No->Cancel()) << "without Cancel, Escape answers No";
    EXPECT_LT(Yes->Left(), No->Left());
    EXPECT_EQ(F->FindComponent("OK"), nullptr);
    EXPECT_THROW(CreateMessageDialog("x", mtError, {}), EInvalidOperation);
}

TEST_F(DialogFixture, HelpAsksForTheTopicAndLeavesTheQuestionOpen) {
    std::vector<std::intptr_t> Topics;
    Application->OnHelp = [&](WORD Command, std::intptr_t Data, bool&) {
        EXPECT_EQ(Command, HELP_CONTEXT);
        Topics.push_back(Data);
        return true;
    };
    SetDialogShownHook([](TCustomForm* F) {
        auto* Help = dynamic_cast<TButton*>(F->FindComponent("Help"));
        ASSERT_NE(Help, nullptr);
        Help->Click();
        Headless().Key(VK_RETURN);
    });
    EXPECT_EQ(MessageDlg("Go on?", mtConfirmation, {mbOK, mbHelp}, 42), mrOk);
    Application->OnHelp = nullptr;
    EXPECT_EQ(Topics, std::vector<std::intptr_t>{42});
    EXPECT_FALSE(Application->HelpContext(42)) << "no handler, no help";
}

TEST_F(DialogFixture, KeysAnswerTheDialog) {
    struct Case {
        int Vk;
        int Char;
        int Expected;
    };
    for (Case C : {Case{VK_RETURN, 0, mrYes}, Case{VK_ESCAPE, 0, mrCancel}, Case{'N', 'n', mrNo}}) {
        int Shown = 0;
        SetDialogShownHook([&](TCustomForm*) {
            ++Shown;
            Headless().Key(C.Vk, 0, C.Char);
        });
        EXPECT_EQ(MessageDlg("Save changes?", mtWarning, mbYesNoCancel), C.Expected)
            << "key " << C.Vk;
        EXPECT_EQ(Shown, 1);
    }
}

TEST_F(DialogFixture, ClickingAButtonAndClosingTheWindow) {
    SetDialogShownHook([](TCustomForm* D) {
        auto* Retry = static_cast<TControl*>(D->FindComponent("Retry"));
        TPoint P = At(Retry, 10, 10);
        Headless().Click(P.X, P.Y);
    });
    EXPECT_EQ(MessageDlg("Disk not ready", mtError, mbAbortRetryIgnore), mrRetry);
    SetDialogShownHook([](TCustomForm* D) { Headless().CloseWindow(D->Handle()); });
    EXPECT_EQ(MessageDlg("Closed", mtInformation, {mbOK}), mrCancel)
        << "closing the window is a cancel";
    SetDialogShownHook([](TCustomForm* D) { D->SetModalResult(mrOk); });
    ShowMessage("Done"); // returns once the hook answered
}

TEST_F(DialogFixture, OneInputBatchOpensTheDialogAndAnswersIt) {
    // Where the OK button of this box shows, from a first showing answered by the hook.
    TPoint OkAt;
    SetDialogShownHook([&](TCustomForm* D) {
        OkAt = At(static_cast<TControl*>(D->FindComponent("OK")), 10, 10);
        D->SetModalResult(mrCancel);
    });
    MessageDlg("Proceed?", mtConfirmation, mbOKCancel);
    ASSERT_NE(OkAt, TPoint{});

    std::unique_ptr<TForm> Main(new TForm(nullptr));
    Main->SetBounds(20, 20, 200, 120);
    auto* Go = new TButton(Main.get());
    Go->SetParent(Main.get());
    Go->SetBounds(10, 10, 80, 25);
    int Answer = -1;
    Go->OnClick = [&](TObject*) { Answer = MessageDlg("Proceed?", mtConfirmation, mbOKCancel); };
    Main->Show();
    Pump();
    // The second click must reach the modal loop the first one starts; should it not, the
    // timer ends the dialog so the failure shows as a wrong answer rather than a hang.
    int Guard = -1;
    SetDialogShownHook([&](TCustomForm* D) {
        Guard = TMessageQueue::Main().AddTimer(3000, [D] { D->SetModalResult(mrAbort); });
    });
    TPoint GoAt = At(Go, 10, 10);
    Headless().Click(GoAt.X, GoAt.Y);
    Headless().Click(OkAt.X, OkAt.Y);
    EXPECT_TRUE(PumpUntil([&] { return Answer != -1; }, 5000));
    if (Guard != -1) TMessageQueue::Main().RemoveTimer(Guard);
    EXPECT_EQ(Answer, mrOk) << "the click queued behind the one that opened the dialog";
}

TEST_F(DialogFixture, AnswerHookSkipsTheWindowAndCancelLeavesDataUnchanged) {
    std::vector<std::string> Asked;
    SetMessageDlgAnswerHook(
        [&](const std::string& Msg, TMsgDlgType T, TMsgDlgButtons B) -> std::optional<int> {
            Asked.push_back(Msg);
            EXPECT_EQ(T, mtConfirmation);
            EXPECT_TRUE(B.Contains(mbCancel));
            return mrCancel;
        });
    std::vector<std::string> Records{"a", "b"};
    auto DeleteRecord = [&] {
        if (MessageDlg(DialogStrings::SDeleteRecordQuestion, mtConfirmation, mbOKCancel) == mrOk)
            Records.pop_back();
    };
    DeleteRecord();
    EXPECT_EQ(Records.size(), 2u);
    EXPECT_EQ(Asked, std::vector<std::string>{"Delete record?"});
    EXPECT_EQ(Screen->FormCount(), 0) << "no dialog window was made";
}

} // namespace
