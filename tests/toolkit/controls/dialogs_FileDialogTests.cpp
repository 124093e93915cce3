// The open and save dialogs answered with injected keys: folder listing with the filter,
// default extension, overwrite prompt, and cancel leaving FileName unchanged.
#include "ControlsTestSupport.h"
#include "toolkit/controls/Dialogs.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/ExtCtrls.h"
#include "toolkit/controls/FileDialogs.h"
#include "toolkit/controls/ListBox.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace qel;
using namespace qel::test;
namespace fs = std::filesystem;

namespace {

struct FileDialogFixture : ::testing::Test {
    void SetUp() override {
        Headless();
        Dir = fs::temp_directory_path() / ("qel_filedlg_" + std::to_string(::getpid()));
        fs::create_directories(Dir / "sub");
        std::ofstream(Dir / "a.txt") << "a";
        std::ofstream(Dir / "b.log") << "b";
    }
    void TearDown() override {
        SetDialogShownHook(nullptr);
        fs::remove_all(Dir);
        Pump();
    }
    fs::path Dir;
};

TEST_F(FileDialogFixture, ListsFoldersAndFilteredFilesAndCancelKeepsTheName) {
    TOpenDialog D(nullptr);
    D.SetInitialDir(Dir.string());
    D.SetFilter("Text files|*.txt|All files|*.*");
    D.SetFileName("keep.me");
    std::vector<std::string> Listed;
    SetDialogShownHook([&](TCustomForm* F) {
        auto* Files = static_cast<TListBox*>(F->FindComponent("Files"));
        for (int I = 0; I < Files->Items()->Count(); ++I)
            Listed.push_back(Files->Items()->Strings(I));
        Headless().Key(VK_ESCAPE);
    });
    EXPECT_FALSE(D.Execute());
    EXPECT_EQ(D.FileName(), "keep.me");
    EXPECT_EQ(Listed, (std::vector<std::string>{"../", "sub/", "a.txt"}));
    EXPECT_TRUE(TOpenDialog::MatchesMask("X.TXT", "*.log;*.txt"));
    EXPECT_FALSE(TOpenDialog::MatchesMask("a.txt.bak", "*.txt"));
}

TEST_F(FileDialogFixture, TypedNameGetsTheDefaultExtensionAndSaveAsksBeforeOverwriting) {
    TSaveDialog D(nullptr);
    D.SetInitialDir(Dir.string());
    D.SetDefaultExt("txt");
    D.SetOptions({ofOverwritePrompt});
    std::vector<std::string> Questions;
    SetMessageDlgAnswerHook(
        [&](const std::string& Msg, TMsgDlgType, TMsgDlgButtons) -> std::optional<int> {
            Questions.push_back(Msg);
            return Questions.size() == 1 ? mrNo : mrYes;
        });
    auto Submit = [](TCustomForm* F, const std::string& Name) {
        static_cast<TEdit*>(F->FindComponent("FileName"))->SetText(Name);
        static_cast<TButton*>(F->FindComponent("OkButton"))->Click();
    };
    SetDialogShownHook([&](TCustomForm* F) {
        Submit(F, "a");
        EXPECT_EQ(Questions.size(), 1u);
        EXPECT_EQ(F->ModalResult(), mrNone) << "No keeps the dialog open";
        Submit(F, "a");
    });
    ASSERT_TRUE(D.Execute());
    EXPECT_EQ(fs::path(D.FileName()), Dir / "a.txt");
    ASSERT_EQ(Questions.size(), 2u);
    EXPECT_NE(Questions[0].find("already exists"), std::string::npos);
    SetDialogShownHook([&](TCustomForm* F) { Submit(F, "new"); });
    ASSERT_TRUE(D.Execute());
    EXPECT_EQ(fs::path(D.FileName()), Dir / "new.txt");
    EXPECT_EQ(Questions.size(), 2u) << "a new file needs no question";
    SetMessageDlgAnswerHook(nullptr);
}

} // namespace
