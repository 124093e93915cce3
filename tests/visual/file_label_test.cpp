// The file-name label: how a path is split and shortened to the label's width, measured with
// the label's own (bold) font, and shortened again when the label is resized.
#include "tests/toolkit/controls/ControlsTestSupport.h"
#include "toolkit/graphics/Font.h"
#include "visual/QELTFileLabel3D.h"
#include "visual/QELTextWidth.h"

#include <chrono>
#include <gtest/gtest.h>
#include <string>

using namespace qel;
using namespace qel::test;

namespace {

struct FileLabelTest : ::testing::Test {
    void SetUp() override {
        Headless();
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 600, 200);
        L = new TQELFileLabel3D(Form);
        L->SetParent(Form);
        L->SetBounds(10, 10, 500, 20);
    }
    void TearDown() override { delete Form; }
    int Width(const std::string& S) const { return QELTextWidth(L->Font(), S); }
    TForm* Form = nullptr;
    TQELFileLabel3D* L = nullptr;
};

} // namespace

TEST_F(FileLabelTest, MiddleFoldersGiveWayKeepingDriveAndFileName) {
    const std::string Path = "C:\\Program\\Data\\Sub\\file.txt";
    L->SetFilename(Path);
    EXPECT_EQ(L->Caption(), Path) << "it fits whole";
    EXPECT_TRUE(L->HasDrive());
    const std::string Short = "C:\\...\\Sub\\file.txt";
    L->SetWidth(Width(Short) + 1);
    EXPECT_EQ(L->Caption(), Short);
    ASSERT_TRUE(L->Font()->Style().Contains(fsBold)) << "measured with the label's bold font";
    L->SetWidth(Width("...\\file.txt"));
    EXPECT_EQ(L->Caption(), "file.txt") << "the file name alone when it does not fit with ...\\";
    L->SetWidth(Width("C:\\...\\file.txt") - 1);
    EXPECT_EQ(L->Caption(), "...\\file.txt") << "no room for the drive";
    L->SetWidth(1000);
    EXPECT_EQ(L->Caption(), Path) << "growing shows the whole path again";
    L->SetWidth(Width(Short) + 1);
    L->Font()->SetSize(L->Font()->Size() + 6);
    EXPECT_NE(L->Caption(), Short) << "a bigger font shortens further";
}

TEST_F(FileLabelTest, RelativePathNeverShowsItsFirstFolder) {
    L->SetFilename("abcdefghij\\b\\c.txt");
    EXPECT_FALSE(L->HasDrive());
    ASSERT_LT(Width("...\\b\\c.txt"), Width("abcdefghij\\b\\c.txt"));
    L->SetWidth(Width("...\\b\\c.txt") + 1);
    EXPECT_EQ(L->Caption(), "...\\b\\c.txt");
    L->SetWidth(Width("...\\b\\c.txt") - 1);
    EXPECT_EQ(L->Caption(), "...\\c.txt");
}

TEST_F(FileLabelTest, OtherSeparatorsAndLongPaths) {
    L->SetSeparator('/');
    L->SetFilename("/usr/lib/x");
    ASSERT_EQ(L->Parts().size(), 4u);
    EXPECT_EQ(L->Parts()[0], "");
    EXPECT_EQ(L->Parts()[1], "usr");
    EXPECT_EQ(L->Parts()[3], "x");
    EXPECT_FALSE(L->HasDrive());
    std::string Long = "D:";
    for (int I = 0; I < 60; ++I)
        Long += "\\dir" + std::to_string(I);
    Long += "\\end.txt";
    ASSERT_GT(Long.size(), 255u);
    L->SetSeparator('\\');
    L->SetFilename(Long);
    EXPECT_EQ(L->Parts().size(), 62u);
    L->SetWidth(Width("D:\\...\\dir58\\dir59\\end.txt") + 1);
    EXPECT_EQ(L->Caption(), "D:\\...\\dir58\\dir59\\end.txt");
}

TEST_F(FileLabelTest, HugePathShortensInLinearTime) {
    std::string Huge = "C:";
    for (int I = 0; I < 100000; ++I)
        Huge += "\\d";
    Huge += "\\f.txt";
    const auto T0 = std::chrono::steady_clock::now();
    L->SetFilename(Huge);
    for (int W = 100; W < 400; W += 100)
        L->SetWidth(W);
    const double Secs =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - T0).count();
    EXPECT_LT(Secs, 2.0);
    EXPECT_EQ(L->Caption().substr(0, 6), "C:\\...");
    EXPECT_LE(Width(L->Caption()), 300);
}
