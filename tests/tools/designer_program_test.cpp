// qel-designer driven headless by its command script: a form built in the designer renders in
// qel-render exactly like the same form written by hand, and forms naming classes no package
// registers lose nothing when saved again.
#include "tests/visual/RenderTool.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace qel;
using namespace qel::test;

namespace {

namespace fs = std::filesystem;

struct ProgramFixture : ::testing::Test {
    fs::path Dir = fs::temp_directory_path() / ("qel-designer-" + std::to_string(::getpid()));
    void SetUp() override { fs::create_directories(Dir); }
    void TearDown() override { fs::remove_all(Dir); }
    std::string Path(const std::string& Name) const { return (Dir / Name).string(); }
    void Write(const std::string& Name, const std::string& Text) const {
        std::ofstream(Dir / Name, std::ios::binary) << Text;
    }
    static std::string Read(const std::string& File) {
        std::ifstream In(File, std::ios::binary);
        return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
    }
    TToolResult Designer(const std::string& Script, const std::string& Args = {}) const {
        Write("script.txt", Script);
        TToolResult R;
        std::string Cmd = std::string(QEL_BINARY_DIR) + "/bin/qel-designer --script " +
                          Path("script.txt") + " " + Args + " 2>&1";
        FILE* P = ::popen(Cmd.c_str(), "r");
        char Buf[512];
        for (std::size_t N; (N = std::fread(Buf, 1, sizeof Buf, P)) > 0;)
            R.Output.append(Buf, N);
        int Raw = ::pclose(P);
        R.Status = WIFEXITED(Raw) ? WEXITSTATUS(Raw) : -1;
        return R;
    }
};

TEST_F(ProgramFixture, AFormBuiltInTheDesignerRendersLikeTheHandWrittenOne) {
    auto R = Designer("drop TQELBackground 100 100\n"
                      "set Gradient.BeginColor clRed\n"
                      "set Gradient.EndColor clYellow\n"
                      "pick TQELLabel\n"
                      "mouse down 10 10\n"
                      "size 95 33\n"
                      "mouse down 20 20\n"
                      "mouse move 37 38\n"
                      "mouse up 37 38\n"
                      "set Background QELBackground1\n"
                      "dialog set CaptionBox 'Two\\nlines'\n"
                      "dialog click SpeedButton1\n"
                      "edit Caption\n"
                      "get Caption\n"
                      "title\n"
                      "save " +
                      Path("built.dfm") +
                      "\n"
                      "title\n");
    ASSERT_EQ(R.Status, 0) << R.Output;
    EXPECT_NE(R.Output.find("qel-designer - Untitled *"), std::string::npos) << R.Output;
    EXPECT_NE(R.Output.find("qel-designer - built.dfm\n"), std::string::npos) << R.Output;
    Write("hand.dfm", "object Form1: TForm1\n"
                      "  Width = 400\n  Height = 300\n  Caption = 'Form1'\n"
                      "  ClientHeight = 300\n  ClientWidth = 400\n"
                      "  object Back: TQELBackground\n"
                      "    Gradient.BeginColor = clRed\n    Gradient.EndColor = clYellow\n"
                      "  end\n"
                      "  object Text1: TQELLabel\n"
                      "    Left = 24\n    Top = 24\n    Width = 160\n    Height = 50\n"
                      "    Caption = 'Two'#13#10'lines'\n"
                      "    Background = Back\n"
                      "  end\n"
                      "end\n");
    ASSERT_TRUE(RenderToolBuilt());
    auto A = RunRenderTool(Path("built.dfm") + " -o " + Path("built.png"));
    auto B = RunRenderTool(Path("hand.dfm") + " -o " + Path("hand.png"));
    ASSERT_EQ(A.Status, 0) << A.Output;
    ASSERT_EQ(B.Status, 0) << B.Output;
    EXPECT_EQ(Read(Path("built.png")), Read(Path("hand.png"))) << Read(Path("built.dfm"));
    // And the picture is not the empty form: the label's gradient shows.
    Write("empty.dfm", "object Form1: TForm1\n  Width = 400\n  Height = 300\n"
                       "  ClientHeight = 300\n  ClientWidth = 400\nend\n");
    ASSERT_EQ(RunRenderTool(Path("empty.dfm") + " -o " + Path("empty.png")).Status, 0);
    EXPECT_NE(Read(Path("built.png")), Read(Path("empty.png")));
}

TEST_F(ProgramFixture, UnregisteredClassesAreNamedAndSavedBackWhole) {
    const std::string Form = "object Form1: TForm1\n"
                             "  Caption = 'Keep'\n"
                             "  object Panel9: TMissingPanel\n"
                             "    Left = 4\n"
                             "    Items = <\n"
                             "      item\n        Caption = 'end'\n      end>\n"
                             "    object Inner: TQELLabel\n      Caption = 'in'\n    end\n"
                             "  end\n"
                             "  object QELLabel1: TQELLabel\n    Left = 8\n  end\n"
                             "end\n";
    Write("odd.dfm", Form);
    auto R = Designer("select QELLabel1\nset Top 40\nsave " + Path("odd2.dfm") + "\nsave " +
                          Path("odd3.dfm") + " binary\n",
                      Path("odd.dfm"));
    ASSERT_EQ(R.Status, 0) << R.Output;
    EXPECT_NE(R.Output.find("Class TMissingPanel of Panel9 is not registered"), std::string::npos)
        << R.Output;
    std::string Saved = Read(Path("odd2.dfm"));
    EXPECT_NE(Saved.find("  object Panel9: TMissingPanel\n    Left = 4\n    Items = <\n"
                         "      item\n        Caption = 'end'\n      end>\n"
                         "    object Inner: TQELLabel\n      Caption = 'in'\n    end\n  end\n"),
              std::string::npos)
        << Saved;
    EXPECT_NE(Saved.find("Top = 40"), std::string::npos);
    EXPECT_EQ(Saved.rfind("object Form1: TForm1", 0), 0u) << "the form keeps its own class";
    // The binary copy opens to the same form.
    auto Back = Designer("save " + Path("odd4.dfm") + " text\n", Path("odd3.dfm"));
    ASSERT_EQ(Back.Status, 0) << Back.Output;
    EXPECT_EQ(Read(Path("odd4.dfm")), Saved);
}

TEST_F(ProgramFixture, AFailingCommandStopsWithItsLineAndNothingIsWritten) {
    auto R = Designer("drop TQELLabel 0 0\nset Left abc\nsave " + Path("never.dfm") + "\n");
    EXPECT_EQ(R.Status, 1);
    EXPECT_NE(R.Output.find("line 2: Invalid property value 'abc' for Left"), std::string::npos)
        << R.Output;
    EXPECT_FALSE(fs::exists(Path("never.dfm")));
    Write("broken.dfm", "object Form1: TForm1\n  object X: TQELLabel\n");
    auto B = Designer("title\n", Path("broken.dfm"));
    EXPECT_EQ(B.Status, 1);
    EXPECT_NE(B.Output.find("ends inside object X"), std::string::npos) << B.Output;
}

} // namespace
