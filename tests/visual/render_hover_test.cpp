// qel-render --hover: the pointer rests on a control until its balloon shows, and the picture
// holds the form with the balloon, also where the balloon reaches beyond the form.
#include "tests/visual/RenderTool.h"
#include "toolkit/graphics/Surface.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

constexpr std::uint32_t kInside = 0x3366CC; // as a screen pixel (red, green, blue)
constexpr std::uint32_t kForm = 0x008080; // clTeal

std::string WriteForm(const std::string& Name, int ButtonTop) {
    const std::string Path = (std::filesystem::temp_directory_path() / Name).string();
    std::ofstream(Path) << "object HoverForm: TForm\n"
                           "  Left = 200\n"
                           "  Top = 200\n"
                           "  ClientWidth = 240\n"
                           "  ClientHeight = 120\n"
                           "  Color = clTeal\n"
                           "  object Back: TQELBackground\n"
                           "    BackgroundStyle = bSolidcolor\n"
                           "    SolidColor = $00CC6633\n"
                           "  end\n"
                           "  object Balloons: TQELHint\n"
                           "    Speechbubble = False\n"
                           "    Shadow = False\n"
                           "    HintPauseTime = 50\n"
                           "    Background = Back\n"
                           "  end\n"
                           "  object Plain: TButton\n"
                           "    Left = 140\n"
                           "    Top = 10\n"
                           "    Width = 60\n"
                           "    Height = 25\n"
                           "    Caption = 'No hint'\n"
                           "  end\n"
                           "  object Go: TButton\n"
                           "    Left = 20\n"
                           "    Top = "
                        << ButtonTop
                        << "\n"
                           "    Width = 80\n"
                           "    Height = 25\n"
                           "    Hint = 'Start the run|Starts it'\n"
                           "    Caption = 'Go'\n"
                           "    ShowHint = True\n"
                           "  end\n"
                           "end\n";
    return Path;
}

int Count(const TSurface& S, std::uint32_t Pixel) {
    int N = 0;
    for (int Y = 0; Y < S.Height; ++Y)
        for (int X = 0; X < S.Width; ++X)
            N += (S.Get(X, Y) & 0xFFFFFF) == Pixel;
    return N;
}

} // namespace

TEST(RenderToolHover, ThePictureHoldsTheFormAndTheBalloon) {
    if (!RenderToolBuilt()) GTEST_SKIP() << "qel-render not built";
    const std::string Form = WriteForm("qel-render-hover.dfm", 80);
    const std::string Plain = Form + ".plain.png", Hover = Form + ".hover.png";
    std::filesystem::remove(Hover);
    ASSERT_EQ(RunRenderTool(Form + " -o " + Plain).Status, 0);
    const TToolResult R = RunRenderTool(Form + " -o " + Hover + " --hover go");
    ASSERT_EQ(R.Status, 0) << R.Output;
    const TSurface Without = ReadPng(Plain), With = ReadPng(Hover);
    EXPECT_EQ(Count(Without, kInside), 0);
    EXPECT_GT(Count(With, kInside), 200) << "the balloon's interior";
    EXPECT_EQ(With.Width, 240) << "the balloon lies within the form";
    EXPECT_EQ(With.Height, 120);
    EXPECT_EQ(With.Get(2, 2) & 0xFFFFFF, kForm);
}

TEST(RenderToolHover, ABalloonAboveTheFormWidensThePicture) {
    if (!RenderToolBuilt()) GTEST_SKIP() << "qel-render not built";
    const std::string Form = WriteForm("qel-render-hover-top.dfm", 2);
    const std::string Png = Form + ".png";
    const TToolResult R = RunRenderTool(Form + " -o " + Png + " --hover Go");
    ASSERT_EQ(R.Status, 0) << R.Output;
    const TSurface S = ReadPng(Png);
    EXPECT_EQ(S.Width, 240);
    EXPECT_GT(S.Height, 120) << "the picture reaches up to the balloon";
    EXPECT_GT(Count(S, kInside), 200);
    EXPECT_EQ(S.Get(2, S.Height - 2) & 0xFFFFFF, kForm) << "the form at the bottom";
}

TEST(RenderToolHover, NoSuchControlOrNoHintIsAnErrorWithoutAPicture) {
    if (!RenderToolBuilt()) GTEST_SKIP() << "qel-render not built";
    const std::string Form = WriteForm("qel-render-hover-bad.dfm", 80);
    const std::string Png = Form + ".png";
    struct {
        std::string Name, Says;
    } Cases[] = {{"Missing", "no control named \"Missing\""},
                 {"Back", "no control named \"Back\""},
                 {"Plain", "no hint showed for \"Plain\""}};
    for (const auto& C : Cases) {
        std::filesystem::remove(Png);
        const TToolResult R = RunRenderTool(Form + " -o " + Png + " --hover " + C.Name);
        EXPECT_EQ(R.Status, 1) << C.Name;
        EXPECT_NE(R.Output.find(C.Says), std::string::npos) << R.Output;
        EXPECT_FALSE(std::filesystem::exists(Png)) << C.Name;
    }
}
