// The screen canvas on the headless desktop, and the fill background.
#include "tests/toolkit/controls/ControlsTestSupport.h"
#include "toolkit/controls/ExtCtrls.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/platform/ScreenDC.h"
#include "visual/QELTBackground.h"
#include "visual/QELTFillBackground.h"
#include "visual/QELTScreenCanvas.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

struct ScreenTest : ::testing::Test {
    void SetUp() override {
        Headless();
        Form = new TForm(nullptr);
        Form->SetBounds(100, 100, 200, 150);
        Box = new TPaintBox(Form);
        Box->SetParent(Form);
        Box->SetBounds(0, 0, 200, 150);
        Box->OnPaint = [this](TObject*) {
            ++Paints;
            Box->Canvas()->Brush()->SetColor(clGreen);
            Box->Canvas()->FillRect({0, 0, 200, 150});
        };
        Form->Show();
        Pump();
    }
    void TearDown() override {
        delete Form;
        Pump();
    }
    TColor ScreenAt(int X, int Y) {
        TSurface S;
        ReadScreen(S);
        return RGBFromPixel(S.Get(X, Y));
    }
    TForm* Form = nullptr;
    TPaintBox* Box = nullptr;
    int Paints = 0;
};

} // namespace

TEST_F(ScreenTest, DrawingStaysOverTheWindowsUntilTheyRepaint) {
    TQELScreenCanvas SC(nullptr);
    EXPECT_EQ(SC.Width(), 1024);
    TCanvas* C = SC.Canvas();
    EXPECT_EQ(SC.Canvas(), C) << "the same canvas while active";
    C->Brush()->SetColor(clRed);
    C->FillRect({120, 120, 140, 140});
    Pump();
    EXPECT_EQ(ScreenAt(130, 130), clRed);
    EXPECT_EQ(ScreenAt(150, 150), clGreen) << "only what was drawn changes";
    SC.EndPaint();
    EXPECT_EQ(ScreenDCCount(), 0);
    Pump();
    EXPECT_EQ(ScreenAt(130, 130), clRed) << "no restore without AutoRestore";
    const int Before = Paints;
    SC.EndPaint();
    Pump();
    EXPECT_EQ(Paints, Before) << "ending twice does nothing";
    SC.SetAutoRestore(true);
    SC.Canvas()->Pixels(0, 0);
    SC.EndPaint();
    Pump();
    EXPECT_GT(Paints, Before) << "every window repaints";
    EXPECT_EQ(ScreenAt(130, 130), clGreen);
}

TEST_F(ScreenTest, DestroyingAnActiveCanvasGivesTheScreenBack) {
    {
        TQELScreenCanvas SC(nullptr);
        SC.Canvas()->Pixels(1, 1);
        EXPECT_EQ(ScreenDCCount(), 1);
    }
    EXPECT_EQ(ScreenDCCount(), 0);
}

TEST_F(ScreenTest, NoScreenIsAClearError) {
    Headless().SetScreenSize(0, 0);
    TQELScreenCanvas SC(nullptr);
    EXPECT_THROW(SC.Canvas(), EInvalidOperation);
    EXPECT_FALSE(SC.Active());
    Headless().SetScreenSize(1024, 768);
    EXPECT_NE(SC.Canvas(), nullptr);
}

TEST_F(ScreenTest, FillBackgroundPaintsItsBackgroundOrNothing) {
    auto* F = new TQELFillBackground(Form);
    EXPECT_EQ(F->Width(), 150);
    Box->SetVisible(false);
    F->SetParent(Form);
    F->SetBounds(10, 10, 50, 50);
    Pump();
    EXPECT_EQ(RGBFromPixel(PixelAt(Form, 20, 20)), ColorToRGB(Form->Color()));
    TQELBackground Bg(nullptr);
    Bg.SetBackStyle(bSolidcolor);
    Bg.SetSolidColor(clBlue);
    F->SetBack(&Bg);
    Pump();
    EXPECT_EQ(RGBFromPixel(PixelAt(Form, 20, 20)), clBlue);
    EXPECT_EQ(RGBFromPixel(PixelAt(Form, 5, 5)), ColorToRGB(Form->Color()));
    F->SetBack(nullptr);
}
