// qel-render as a user runs it: the options, and --run giving the form's timers the time asked
// for before the picture is written.
#include "tests/visual/RenderTool.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace qel::test;

namespace {

std::string WriteForm(const std::string& Name, const std::string& Text) {
    const std::string Path = (std::filesystem::temp_directory_path() / Name).string();
    std::ofstream(Path) << Text;
    return Path;
}

const char* const kPlainForm = "object Plain: TForm\n"
                               "  ClientWidth = 40\n"
                               "  ClientHeight = 30\n"
                               "end\n";

TEST(RenderTool, OptionMistakesAreNamedAndNothingIsWritten) {
    if (!RenderToolBuilt()) GTEST_SKIP() << "qel-render not built";
    const std::string Form = WriteForm("qel-render-plain.dfm", kPlainForm);
    const std::string Png = Form + ".png";
    struct {
        std::string Args, Says;
    } Cases[] = {
        {Form, "no output file given"},
        {"-o " + Png, "no form file given"},
        {Form + " -o " + Png + " --run", "--run needs a value"},
        {Form + " -o " + Png + " --run -5", "--run wants milliseconds"},
        {Form + " -o " + Png + " --run 10ms", "--run wants milliseconds"},
        {Form + " -o " + Png + " --size 0x5", "--size wants"},
        {Form + " -o " + Png + " --hover", "--hover needs a value"},
        {Form + " -o " + Png + " --frobnicate", "unknown option --frobnicate"},
        {Form + " " + Form + " -o " + Png, "more than one form file"},
    };
    for (const auto& C : Cases) {
        std::filesystem::remove(Png);
        const TToolResult R = RunRenderTool(C.Args);
        EXPECT_EQ(R.Status, 2) << C.Args;
        EXPECT_NE(R.Output.find(C.Says), std::string::npos) << C.Args << "\n" << R.Output;
        EXPECT_NE(R.Output.find("Try 'qel-render --help'"), std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(Png)) << C.Args;
    }
}

TEST(RenderTool, RunKeepsTheLoopGoingForTheTimeAsked) {
    if (!RenderToolBuilt()) GTEST_SKIP() << "qel-render not built";
    const std::string Form = WriteForm("qel-render-plain.dfm", kPlainForm);
    const std::string Png = Form + ".png";
    const auto T0 = std::chrono::steady_clock::now();
    const TToolResult R = RunRenderTool(Form + " -o " + Png + " --run 400");
    const auto Took = std::chrono::steady_clock::now() - T0;
    ASSERT_EQ(R.Status, 0) << R.Output;
    EXPECT_GE(Took, std::chrono::milliseconds(400));
    EXPECT_EQ(ReadPngSize(Png), (std::pair{40, 30}));
}

} // namespace
