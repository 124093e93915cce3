// The qel-form command line: exit codes, messages and conversions through files and pipes.
#include "tests/toolkit/core/TestClasses.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>

namespace {

std::string Tool() {
    return std::string(QEL_BINARY_DIR) + "/bin/qel-form";
}

// Runs a shell command; returns the exit status and the combined output.
int RunCmd(const std::string& Cmd, std::string& Output) {
    Output.clear();
    FILE* P = ::popen((Cmd + " 2>&1").c_str(), "r");
    if (!P) return -1;
    char Buf[4096];
    std::size_t N;
    while ((N = std::fread(Buf, 1, sizeof Buf, P)) > 0)
        Output.append(Buf, N);
    int St = ::pclose(P);
    return WIFEXITED(St) ? WEXITSTATUS(St) : -1;
}

void WriteFile(const std::string& Path, const std::string& Data) {
    std::ofstream(Path, std::ios::binary) << Data;
}

std::string ReadFile(const std::string& Path) {
    std::ifstream F(Path, std::ios::binary);
    std::stringstream S;
    S << F.rdbuf();
    return S.str();
}

class QelFormTool : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::ifstream(Tool()).good()) GTEST_SKIP() << "qel-form is not built";
        Dir = ::testing::TempDir();
    }
    std::string Dir;
};

} // namespace

TEST_F(QelFormTool, ConvertsBothWaysThroughFilesAndPipes) {
    // Not the canonical layout: one line for the list, a split string, hex.
    WriteFile(Dir + "/in.txt", "object F: TAny\n  X = $10\n  S = 'a' + 'b'\n  L = ('x' 'y')\nend");
    std::string Out;
    ASSERT_EQ(RunCmd(Tool() + " to-binary " + Dir + "/in.txt " + Dir + "/out.bin", Out), 0) << Out;
    EXPECT_EQ(ReadFile(Dir + "/out.bin").substr(0, 4), "TPF0");
    ASSERT_EQ(RunCmd(Tool() + " to-text " + Dir + "/out.bin -", Out), 0);
    EXPECT_EQ(Out, "object F: TAny\n  X = 16\n  S = 'ab'\n  L = (\n    'x'\n    'y')\nend\n");
    ASSERT_EQ(RunCmd("cat " + Dir + "/in.txt | " + Tool() + " to-text - -", Out), 0);
    EXPECT_EQ(Out, "object F: TAny\n  X = 16\n  S = 'ab'\n  L = (\n    'x'\n    'y')\nend\n");
}

TEST_F(QelFormTool, ReportsBrokenFormsWithLineOrOffset) {
    std::string Out;
    WriteFile(Dir + "/bad.txt", "object F: TAny\n  X = 'open\nend\n");
    EXPECT_EQ(RunCmd(Tool() + " to-binary " + Dir + "/bad.txt " + Dir + "/bad.bin", Out), 1);
    EXPECT_NE(Out.find("Unterminated string on line 2"), std::string::npos) << Out;
    WriteFile(Dir + "/bad.bin", std::string("TPF0\x04TAny\x01", 10));
    EXPECT_EQ(RunCmd(Tool() + " check " + Dir + "/bad.bin", Out), 1);
    EXPECT_NE(Out.find("offset"), std::string::npos) << Out;
    EXPECT_EQ(RunCmd(Tool() + " check " + Dir + "/missing.txt", Out), 1);
    EXPECT_NE(Out.find("Cannot open file"), std::string::npos);
    EXPECT_EQ(RunCmd(Tool() + " frobnicate", Out), 2);
}

TEST_F(QelFormTool, ChecksAgainstTheRegisteredClasses) {
    std::string Out;
    WriteFile(Dir + "/ok.txt", "object E: TQELZoradodoExecComponent\n  Tag = 3\nend\n");
    EXPECT_EQ(RunCmd(Tool() + " check " + Dir + "/ok.txt", Out), 0) << Out;
    WriteFile(Dir + "/unknown.txt", "object E: TQELZoradodoExecComponent\n\n  Tga = 3\nend\n");
    EXPECT_EQ(RunCmd(Tool() + " check " + Dir + "/unknown.txt", Out), 1);
    EXPECT_NE(Out.find("Property Tga does not exist in TQELZoradodoExecComponent (line 3)"),
              std::string::npos)
        << Out;
}
