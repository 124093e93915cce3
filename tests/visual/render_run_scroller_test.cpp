// qel-render --run on a form with a scrolling picture: the written strip has moved by whole
// steps, further for the longer run, and never by more ticks than the time allows.
#include "tests/toolkit/controls/ControlsTestSupport.h"
#include "tests/visual/RenderTool.h"
#include "toolkit/core/FormWriter.h"
#include "toolkit/graphics/Bitmap.h"
#include "toolkit/graphics/Canvas.h"
#include "visual/QELTImageScroller.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

// One tile wider than the control and than any shift the runs reach, so a shift shows as
// itself and not modulo a tile.
constexpr int kTileW = 130, kTileH = 40, kInterval = 20, kStep = 2;

TColor TileColor(int X, int Y) {
    return TColor(RGB(X + 3, Y * 5 + 3, 200));
}

// Offset by which the picture in Png is the tiled strip shifted (-1 when it is none).
int FindShift(const TSurface& Png, int Left, int Top, int W, int H) {
    for (int D = 0; D < kTileW; ++D) {
        bool Match = true;
        for (int Y = 0; Y < H && Match; ++Y)
            for (int X = 0; X < W && Match; ++X)
                Match = RGBFromPixel(Png.Get(Left + X, Top + Y)) ==
                        ColorToRGB(TileColor((X + D) % kTileW, Y));
        if (Match) return D;
    }
    return -1;
}

TEST(RenderToolRun, AScrollerFormMovesByTheTimeItRan) {
    if (!RenderToolBuilt()) GTEST_SKIP() << "qel-render not built";
    Headless();
    const std::string Form = (std::filesystem::temp_directory_path() / "qel-run-scroller.dfm");
    {
        TForm F(nullptr);
        F.SetName("RunForm");
        F.SetClientWidth(140);
        F.SetClientHeight(60);
        auto* S = new TQELImageScroller(&F);
        S->SetName("Scroller1");
        S->SetParent(&F);
        S->SetBounds(10, 10, 100, 40);
        TBitmap Tile;
        Tile.SetSize(kTileW, kTileH);
        for (int Y = 0; Y < kTileH; ++Y)
            for (int X = 0; X < kTileW; ++X)
                Tile.Canvas()->SetPixels(X, Y, TileColor(X, Y));
        S->SetBitmap(&Tile);
        S->SetScrollInterval(kInterval);
        S->SetScrollStep(kStep);
        S->SetScrolling(true);
        SaveComponentToFile(Form, &F);
        S->SetScrolling(false);
    }
    auto ShiftAfter = [&](int Ms) {
        const std::string Png = Form + "." + std::to_string(Ms) + ".png";
        std::filesystem::remove(Png);
        const TToolResult R = RunRenderTool(Form + " -o " + Png + " --run " + std::to_string(Ms));
        EXPECT_EQ(R.Status, 0) << R.Output;
        return FindShift(ReadPng(Png), 10, 10, 100, 40);
    };
    // Without --run the first paint is written: no tick has come yet.
    {
        const std::string Png = Form + ".still.png";
        ASSERT_EQ(RunRenderTool(Form + " -o " + Png).Status, 0);
        EXPECT_EQ(FindShift(ReadPng(Png), 10, 10, 100, 40), 0);
    }
    // A scroller that never starts moving happens now and then (an open fault of the thread
    // timer's start); up to three tries keep that from hiding what this test measures.
    int Short = 0, Long = 0;
    for (int Try = 0; Try < 3 && (Short <= 0 || Long <= Short); ++Try) {
        Short = ShiftAfter(150);
        Long = ShiftAfter(700);
    }
    ASSERT_GE(Short, 0) << "the strip shows whole, shifted";
    ASSERT_GE(Long, 0);
    // 700 ms at 20 ms a tick is at most 35 ticks of 2, i.e. 70 pixels: no wrap in the strip.
    EXPECT_EQ(Short % kStep, 0);
    EXPECT_EQ(Long % kStep, 0);
    EXPECT_GE(Short, kStep);
    EXPECT_LE(Short, 150 / kInterval * kStep);
    EXPECT_LE(Long, 700 / kInterval * kStep);
    EXPECT_GT(Long, Short);
}

} // namespace
