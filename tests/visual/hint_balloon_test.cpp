// The balloon hint on the headless screen: what its pixels show (the screen around the
// outline, the background inside, the dithered shadow, the tail), which way it opens, and the
// component's process-wide life: one only, restoring the standard hints when it goes, freed
// while its balloon shows or from its own direction handler, and its stored colours.
#include "tests/toolkit/controls/ControlsTestSupport.h"
#include "toolkit/controls/ExtCtrls.h"
#include "toolkit/core/FormReader.h"
#include "toolkit/core/FormWriter.h"
#include "toolkit/core/Streams.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/platform/Window.h"
#include "visual/QELTBackground.h"
#include "visual/QELTHint.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

using namespace qel;
using namespace qel::test;

namespace {

constexpr TColor kFormColor = 0x336699;
constexpr TColor kInside = 0xCC3300;

struct Balloon : ::testing::Test {
    void SetUp() override {
        Headless().SetScreenSize(1024, 768);
        Headless().MouseMove(1000, 700);
        Application->SetHintHidePause(60'000);
        Form = new TForm(nullptr);
        Form->SetBounds(100, 100, 500, 400);
        Form->SetColor(kFormColor);
        Box = new TPaintBox(Form);
        Box->SetParent(Form);
        Box->SetBounds(150, 150, 100, 60);
        Box->SetHint("Balloon text|the long part");
        Box->SetShowHint(true);
        Back = new TQELBackground(Form);
        Back->SetBackStyle(bSolidcolor);
        Back->SetSolidColor(kInside);
        Hint = new TQELHint(Form);
        Hint->SetHintPauseTime(20);
        Hint->SetBackground(Back);
        Form->Show();
        Pump();
    }
    void TearDown() override {
        Application->CancelHint();
        delete Form;
        Headless().MouseMove(1000, 700);
        Pump();
        Application->SetHintHidePause(2500);
        Application->SetHintPause(500);
    }
    // Rests the pointer over the box until a balloon shows; the balloon or nullptr.
    TQELNewHint* HoverAt(int X, int Y) {
        Headless().MouseMove(X, Y);
        if (!PumpUntil([] {
                auto* W = Application->HintWindow();
                return W && W->Visible() && W->Is<TQELNewHint>();
            }))
            return nullptr;
        Pump();
        return static_cast<TQELNewHint*>(Application->HintWindow());
    }
    TQELNewHint* Hover() { return HoverAt(At(Box, 20, 20).X, At(Box, 20, 20).Y); }
    static TColor Pixel(TWinControl* W, int X, int Y) {
        const TSurface* S = GetWindowSurface(W->Handle());
        return S ? RGBFromPixel(S->Get(X, Y)) : clNone;
    }
    static TColor ScreenPixel(int X, int Y) {
        TSurface S;
        ReadScreen(S);
        return RGBFromPixel(S.Get(X, Y));
    }
    TForm* Form = nullptr;
    TPaintBox* Box = nullptr;
    TQELBackground* Back = nullptr;
    TQELHint* Hint = nullptr;
};

} // namespace

TEST_F(Balloon, ARectangleShowsTheBackgroundInsideAndTheScreenAroundIt) {
    Hint->SetShadow(false);
    TQELNewHint* W = Hover();
    ASSERT_NE(W, nullptr);
    EXPECT_EQ(W->Caption(), "Balloon text");
    EXPECT_EQ(W->Direction(), dUpRight);
    const int Wd = W->Width(), Ht = W->Height();
    const TPoint P = At(Box, 20, 20);
    EXPECT_EQ(W->Left(), P.X);
    EXPECT_EQ(W->Top() + Ht, P.Y - 5) << "above the pointer, five pixels clear";
    EXPECT_EQ(Pixel(W, Wd - 10, 4), kInside) << "interior from the background";
    EXPECT_EQ(Pixel(W, 0, 0), clWhite) << "outline: white at the top left";
    EXPECT_EQ(Pixel(W, Wd - 7, Ht - 15), clBlack) << "outline: black at the bottom right";
    EXPECT_EQ(Pixel(W, Wd - 1, 0), kFormColor) << "right of the outline: the form below";
    EXPECT_EQ(Pixel(W, 5, Ht - 3), kFormColor) << "no tail without a speech bubble";
    EXPECT_EQ(Pixel(W, Wd - 3, Ht - 12), kFormColor) << "no shadow";
    bool Text = false;
    for (int Y = 2; Y < Ht - 15 && !Text; ++Y)
        for (int X = 6; X < Wd - 10 && !Text; ++X)
            Text = Pixel(W, X, Y) == clBlack;
    EXPECT_TRUE(Text) << "the caption is written";
    // What the window holds is what the screen shows there.
    EXPECT_EQ(ScreenPixel(W->Left() + Wd - 10, W->Top() + 4), kInside);
    EXPECT_EQ(ScreenPixel(W->Left() + Wd - 1, W->Top()), kFormColor);
}

TEST_F(Balloon, TheShadowIsAHalfToneOfTheShadowColour) {
    Hint->SetHintShadowColor(clRed);
    TQELNewHint* W = Hover();
    ASSERT_NE(W, nullptr);
    const int Wd = W->Width(), Ht = W->Height();
    // Right band: where x and y share their parity the shadow, elsewhere the screen beneath.
    const int Rx = Wd - 3, Ry = 12 + (Rx & 1);
    EXPECT_EQ(Pixel(W, Rx, Ry), clRed);
    EXPECT_EQ(Pixel(W, Rx, Ry + 1), kFormColor);
    // Bottom band.
    const int By = Ht - 10, Bx = 30 + (By & 1);
    EXPECT_EQ(Pixel(W, Bx, By), clRed);
    EXPECT_EQ(Pixel(W, Bx + 1, By), kFormColor);
    EXPECT_EQ(Pixel(W, Bx, By + 2), kFormColor) << "below the shadow region";
    EXPECT_EQ(Pixel(W, 8 + (By & 1), By), kFormColor) << "left of the shadow region";
}

TEST_F(Balloon, ASpeechBubbleHasRoundCornersAndATailAtThePointer) {
    Hint->SetSpeechbubble(true);
    Hint->SetShadow(false);
    TQELNewHint* W = Hover();
    ASSERT_NE(W, nullptr);
    const int Ht = W->Height();
    EXPECT_EQ(Pixel(W, 0, 0), kFormColor) << "the round corner shows the form, not black";
    EXPECT_EQ(Pixel(W, 12, Ht - 13), kInside) << "inside the tail";
    bool White = false;
    for (int Y = Ht - 6; Y < Ht; ++Y)
        for (int X = 0; X < 6; ++X)
            White = White || Pixel(W, X, Y) == clWhite;
    EXPECT_TRUE(White) << "the tail's white side runs down to the pointer";
    EXPECT_EQ(Pixel(W, 25, Ht - 3), kFormColor) << "beside the tail";
}

TEST_F(Balloon, NearTheTopItOpensBelowWithTheTailUpAndIsNinePixelsTaller) {
    Hint->SetSpeechbubble(true);
    TQELNewHint* Up = Hover();
    ASSERT_NE(Up, nullptr);
    const int UpHeight = Up->Height();
    Application->CancelHint();
    Form->SetTop(0);
    Box->SetTop(0);
    Pump();
    Headless().MouseMove(1000, 700);
    Pump();
    TQELNewHint* W = HoverAt(At(Box, 20, 3).X, At(Box, 20, 3).Y);
    ASSERT_NE(W, nullptr);
    EXPECT_EQ(W->Direction(), dDownRight);
    EXPECT_EQ(W->Height(), UpHeight + 9);
    EXPECT_EQ(W->Top(), At(Box, 20, 3).Y + 15);
    EXPECT_EQ(Hint->HintDirection(), dUpRight) << "the stored direction stays";
    EXPECT_EQ(Pixel(W, 12, 13), kInside) << "the tail points up";
    EXPECT_EQ(Pixel(W, W->Width() - 1, 0), kFormColor);
}

TEST_F(Balloon, AtTheRightEdgeOfASmallScreenItOpensToTheLeft) {
    Headless().SetScreenSize(480, 400);
    Form->SetLeft(0);
    Pump();
    Box->SetLeft(380);
    Pump();
    const TPoint P = At(Box, 60, 30);
    TQELNewHint* W = HoverAt(P.X, P.Y);
    Headless().SetScreenSize(1024, 768);
    ASSERT_NE(W, nullptr);
    EXPECT_EQ(W->Direction(), dUpLeft);
    EXPECT_EQ(W->Left(), P.X + 6 - W->Width());
}

TEST_F(Balloon, TheDirectionHandlerDecidesForThisHintOnly) {
    TControl* Asked = nullptr;
    Hint->OnSelectHintDirection = [&](TControl* C, TQELDirectionB& D) {
        Asked = C;
        D = dDownLeft;
    };
    TQELNewHint* W = Hover();
    ASSERT_NE(W, nullptr);
    EXPECT_EQ(Asked, Box);
    EXPECT_EQ(W->Direction(), dDownLeft);
    EXPECT_EQ(Hint->HintDirection(), dUpRight);
    const TPoint P = At(Box, 20, 20);
    EXPECT_EQ(W->Top(), P.Y + 15);
    EXPECT_EQ(W->Left() + W->Width(), P.X + 6);
}

TEST_F(Balloon, TheHintPauseFollowsTheComponent) {
    EXPECT_EQ(Application->HintPause(), 20);
    Hint->SetHintPauseTime(20);
    EXPECT_EQ(Application->HintPause(), 20);
    Hint->SetHintPauseTime(321);
    EXPECT_EQ(Application->HintPause(), 321) << "at once, at run time";
}

TEST_F(Balloon, ASecondOneIsRefusedAndTheFirstGoesOnWorking) {
    try {
        TQELHint Second(Form);
        FAIL() << "a second TQELHint was created";
    } catch (const TQELDuplicateError& E) {
        EXPECT_EQ(std::string(E.what()), QELDuplicateHintMessage());
        EXPECT_NE(std::string(E.what()).find("ONLY ONE"), std::string::npos);
    }
    EXPECT_EQ(TQELHint::InstanceCount(), 1);
    EXPECT_EQ(Form->ComponentCount(), 3) << "the refused one left no trace on the form";
    EXPECT_EQ(HintWindowClass, &TQELNewHint::StaticClass());
    TQELNewHint* W = Hover();
    ASSERT_NE(W, nullptr);
    EXPECT_EQ(W->FindHintQEL(), Hint);
}

TEST_F(Balloon, FreeingTheFormWithTheComponentBringsTheStandardHintsBack) {
    ASSERT_NE(Hover(), nullptr);
    delete Form;
    Form = nullptr;
    Pump();
    EXPECT_EQ(TQELHint::InstanceCount(), 0);
    EXPECT_EQ(HintWindowClass, &THintWindow::StaticClass());
    ASSERT_NE(Application->HintWindow(), nullptr);
    EXPECT_EQ(&Application->HintWindow()->ClassType(), &THintWindow::StaticClass());
    EXPECT_EQ(Application->HintPause(), 500);
    EXPECT_EQ(Application->HintColor(), static_cast<std::uint32_t>(clInfoBk));

    // And a new one can be made.
    Form = new TForm(nullptr);
    Hint = new TQELHint(Form);
    EXPECT_EQ(TQELHint::InstanceCount(), 1);
    EXPECT_EQ(&Application->HintWindow()->ClassType(), &TQELNewHint::StaticClass());
}

TEST_F(Balloon, TheComponentFreedWhileItsBalloonShowsLeavesNothingDangling) {
    TQELNewHint* W = Hover();
    ASSERT_NE(W, nullptr);
    delete Hint;
    Hint = nullptr;
    Pump(30);
    EXPECT_FALSE(Application->HintWindow() && Application->HintWindow()->Is<TQELNewHint>());
    // The next hint is a standard one.
    Headless().MouseMove(1000, 700);
    Pump();
    Application->SetHintPause(10);
    const TPoint P = At(Box, 30, 30);
    Headless().MouseMove(P.X, P.Y);
    ASSERT_TRUE(PumpUntil(
        [] { return Application->HintWindow() && Application->HintWindow()->Visible(); }));
    EXPECT_EQ(&Application->HintWindow()->ClassType(), &THintWindow::StaticClass());
}

TEST_F(Balloon, AHandlerThatFreesTheComponentOrTheControlShowsNoBalloon) {
    Hint->OnSelectHintDirection = [&](TControl*, TQELDirectionB&) {
        delete Hint;
        Hint = nullptr;
    };
    const TPoint P = At(Box, 20, 20);
    Headless().MouseMove(P.X, P.Y);
    ASSERT_TRUE(PumpUntil([&] { return Hint == nullptr; }));
    Pump(40);
    EXPECT_EQ(TQELHint::InstanceCount(), 0);
    EXPECT_FALSE(Application->HintWindow() && Application->HintWindow()->Visible() &&
                 Application->HintWindow()->Is<TQELNewHint>());

    Application->CancelHint();
    Headless().MouseMove(1000, 700);
    Pump();
    Hint = new TQELHint(Form);
    Hint->SetHintPauseTime(10);
    Hint->OnSelectHintDirection = [&](TControl* C, TQELDirectionB&) {
        delete C;
        Box = nullptr;
    };
    Headless().MouseMove(P.X, P.Y);
    ASSERT_TRUE(PumpUntil([&] { return Box == nullptr; }));
    Pump(40);
    EXPECT_FALSE(Application->HintWindow()->Visible());
}

TEST_F(Balloon, SavedColoursReloadAsTheyWere) {
    TForm Fresh(nullptr);
    Fresh.SetName("Fresh");
    delete Hint;
    Hint = nullptr;
    {
        auto* H = new TQELHint(&Fresh);
        H->SetName("Hints");
        const std::string Text = ComponentToText(&Fresh);
        EXPECT_EQ(Text.find("UnUsedHintColor"), std::string::npos) << Text;
        EXPECT_EQ(Text.find("HintShadowColor"), std::string::npos) << Text;
        EXPECT_NE(Text.find("Speechbubble = False"), std::string::npos) << "always stored";
        EXPECT_NE(Text.find("Shadow = True"), std::string::npos) << "always stored";
        // The colours the original stored defaults named, and the starting ones.
        for (auto [Key, Shadow] : {std::pair<TColor, TColor>{0x00FFFF, 0x800080},
                                   std::pair<TColor, TColor>{0x00FF00, 0x000000}}) {
            H->SetUnUsedHintColor(Key);
            H->SetHintShadowColor(Shadow);
            H->SetHintDirection(dDownLeft);
            TStringStream S(ComponentToText(&Fresh));
            delete H;
            TForm Again(nullptr);
            ReadComponent(S, &Again);
            auto* R = Cast<TQELHint>(Again.FindComponent("Hints"));
            ASSERT_NE(R, nullptr);
            EXPECT_EQ(R->UnUsedHintColor(), Key);
            EXPECT_EQ(R->HintShadowColor(), Shadow);
            EXPECT_EQ(R->HintDirection(), dDownLeft);
            delete R;
            H = new TQELHint(&Fresh);
            H->SetName("Hints");
        }
    }
}

TEST_F(Balloon, TheBalloonIsMeasuredAndWrittenWithTheHintFont) {
    TQELNewHint* Small = Hover();
    ASSERT_NE(Small, nullptr);
    const int W0 = Small->Width(), H0 = Small->Height();
    Application->CancelHint();
    Headless().MouseMove(1000, 700);
    Pump();
    TFont Big;
    Big.SetHeight(-24);
    Big.SetColor(clMaroon);
    Hint->SetHintFont(&Big);
    EXPECT_EQ(Application->HintWindow()->Font()->Height(), -24) << "passed to the live window";
    TQELNewHint* W = Hover();
    ASSERT_NE(W, nullptr);
    EXPECT_GT(W->Width(), W0);
    EXPECT_GT(W->Height(), H0);
    int Maroon = 0;
    for (int Y = 0; Y < W->Height(); ++Y)
        for (int X = 0; X < W->Width(); ++X)
            Maroon += Pixel(W, X, Y) == clMaroon;
    EXPECT_GT(Maroon, 20) << "the caption in the hint font's colour";
}

TEST_F(Balloon, WithAMainFormTheComponentBelongsToIt) {
    delete Hint;
    Hint = nullptr;
    TForm* Main = Application->CreateForm(TForm::StaticClass());
    ASSERT_EQ(Application->MainForm(), Main);
    Hint = new TQELHint(Form);
    Hint->SetHintPauseTime(20);
    EXPECT_EQ(Hint->Owner(), Main);
    TQELNewHint* W = Hover();
    ASSERT_NE(W, nullptr);
    EXPECT_EQ(W->FindHintQEL(), Hint);
    Application->CancelHint();
    delete Main; // and the hint component with it
    Hint = nullptr;
    EXPECT_EQ(Application->MainForm(), nullptr);
    EXPECT_EQ(TQELHint::InstanceCount(), 0);
}

TEST_F(Balloon, InTheDesignerItChangesNothingOfTheApplication) {
    delete Hint;
    Hint = nullptr;
    ASSERT_EQ(HintWindowClass, &THintWindow::StaticClass());
    TForm Designed(nullptr);
    Designed.SetDesigning(true);
    auto* H = new TQELHint(&Designed);
    EXPECT_EQ(H->Owner(), &Designed);
    EXPECT_EQ(HintWindowClass, &THintWindow::StaticClass());
    H->SetHintPauseTime(1234);
    EXPECT_EQ(Application->HintPause(), 500);
    EXPECT_THROW(TQELHint Second(&Designed), TQELDuplicateError) << "one per designer too";
    delete H;
    EXPECT_EQ(HintWindowClass, &THintWindow::StaticClass());
    EXPECT_EQ(TQELHint::InstanceCount(), 0);
}
