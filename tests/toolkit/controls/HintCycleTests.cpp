// The application's hint cycle driven by injected pointer and keys: the pause before a hint,
// the short pause between controls, and every way a hint goes away (click, key, leaving the
// control, the hide pause, the control being freed).
#include "ControlsTestSupport.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/StdCtrls.h"
#include "toolkit/graphics/Canvas.h"

#include <gtest/gtest.h>
#include <string>

using namespace qel;
using namespace qel::test;

namespace {

// Pause long enough that a hint seen within a bounded wait cannot have come from it.
constexpr int kNever = 60'000;

class THintProbe : public TGraphicControl {
  public:
    explicit THintProbe(TComponent* O) : TGraphicControl(O) {}
    // Times the application asked for the hint, that is, was about to show it.
    int HintShows = 0;
    void WndProc(TMessage& M) override {
        if (M.Msg == CM_HINTSHOW) ++HintShows;
        TGraphicControl::WndProc(M);
    }

  protected:
    void Paint() override {
        Canvas()->Brush()->SetColor(clSilver);
        Canvas()->FillRect(ClientRect());
    }
};

struct HintCycle : ::testing::Test {
    void SetUp() override {
        Headless();
        Headless().MouseMove(1000, 700);
        Form = new TForm(nullptr);
        Form->SetBounds(100, 100, 400, 200);
        A = Probe("Alpha|the first control", 10, 10);
        B = Probe("Beta|the second control", 200, 10);
        Edit = new TEdit(Form);
        Edit->SetParent(Form);
        Edit->SetBounds(10, 120, 100, 21);
        Application->SetHintPause(20);
        Application->SetHintShortPause(10);
        Application->SetHintHidePause(kNever);
        Form->Show();
        Pump();
    }
    void TearDown() override {
        Application->CancelHint();
        delete Form;
        Headless().MouseMove(1000, 700);
        Pump();
        Application->SetHintPause(500);
        Application->SetHintShortPause(50);
        Application->SetHintHidePause(2500);
    }
    THintProbe* Probe(const std::string& Hint, int X, int Y) {
        auto* P = new THintProbe(Form);
        P->SetParent(Form);
        P->SetBounds(X, Y, 100, 60);
        P->SetHint(Hint);
        P->SetShowHint(true);
        return P;
    }
    static bool Showing() {
        return Application->HintWindow() && Application->HintWindow()->Visible();
    }
    static std::string Shown() { return Showing() ? Application->HintWindow()->Caption() : ""; }
    void MoveTo(TControl* C, int X, int Y) {
        const TPoint P = At(C, X, Y);
        Headless().MouseMove(P.X, P.Y);
    }
    TForm* Form = nullptr;
    THintProbe* A = nullptr;
    THintProbe* B = nullptr;
    TEdit* Edit = nullptr;
};

} // namespace

TEST_F(HintCycle, RestingShowsTheShortPartAndMovingOnTheControlKeepsIt) {
    MoveTo(A, 5, 5);
    ASSERT_TRUE(PumpUntil([] { return Shown() == "Alpha"; }));
    EXPECT_EQ(Application->Hint(), "the first control") << "the long part is the status text";
    MoveTo(A, 40, 30);
    Pump(60);
    EXPECT_EQ(Shown(), "Alpha") << "moving within the control neither hides nor restarts";
}

TEST_F(HintCycle, AnotherControlWhileAHintShowsWaitsOnlyTheShortPause) {
    MoveTo(A, 5, 5);
    ASSERT_TRUE(PumpUntil([] { return Shown() == "Alpha"; }));
    Application->SetHintPause(kNever);
    MoveTo(B, 5, 5);
    EXPECT_TRUE(PumpUntil([] { return Shown() == "Beta"; }));

    // Without a hint on the screen the next control waits the whole pause again.
    Application->CancelHint();
    MoveTo(A, 6, 6);
    EXPECT_FALSE(PumpUntil(Showing, 100));
}

TEST_F(HintCycle, LeavingTheControlHidesTheHint) {
    MoveTo(A, 5, 5);
    ASSERT_TRUE(PumpUntil([] { return Shown() == "Alpha"; }));
    MoveTo(Form, 150, 100); // the form itself has no hint
    EXPECT_TRUE(PumpUntil([] { return !Showing(); }));
    EXPECT_EQ(Application->Hint(), "");

    MoveTo(A, 5, 5);
    ASSERT_TRUE(PumpUntil([] { return Shown() == "Alpha"; }));
    Headless().MouseMove(1000, 700); // off the form altogether
    EXPECT_TRUE(PumpUntil([] { return !Showing(); }));
}

TEST_F(HintCycle, AClickOrAKeyPutsTheHintAwayUntilThePointerMovesOn) {
    MoveTo(A, 5, 5);
    ASSERT_TRUE(PumpUntil([] { return Shown() == "Alpha"; }));
    const TPoint P = At(A, 5, 5);
    Headless().Click(P.X, P.Y);
    EXPECT_TRUE(PumpUntil([] { return !Showing(); }));
    MoveTo(A, 8, 8);
    EXPECT_FALSE(PumpUntil(Showing, 100)) << "resting on after the click brings no hint back";

    MoveTo(B, 5, 5);
    ASSERT_TRUE(PumpUntil([] { return Shown() == "Beta"; }));
    Edit->SetFocus();
    Pump();
    ASSERT_TRUE(Showing()) << "focus alone does not hide it";
    Headless().Key(VK_RIGHT);
    EXPECT_TRUE(PumpUntil([] { return !Showing(); }));
    MoveTo(B, 9, 9);
    EXPECT_FALSE(PumpUntil(Showing, 100));
    MoveTo(A, 5, 5);
    EXPECT_TRUE(PumpUntil([] { return Shown() == "Alpha"; })) << "another control shows again";
}

TEST_F(HintCycle, TheHidePauseEndsTheHintForGood) {
    Application->SetHintHidePause(40);
    MoveTo(A, 5, 5);
    // Counted rather than watched: a loaded machine may let the short hint come and go
    // between two looks.
    ASSERT_TRUE(PumpUntil([&] { return A->HintShows == 1; }));
    EXPECT_TRUE(PumpUntil([] { return !Showing(); }));
    MoveTo(A, 7, 7);
    EXPECT_FALSE(PumpUntil([&] { return A->HintShows > 1 || Showing(); }, 100));
}

TEST_F(HintCycle, NoHintWithoutShowHintOrWithHintsSwitchedOff) {
    A->SetShowHint(false);
    MoveTo(A, 5, 5);
    EXPECT_FALSE(PumpUntil(Showing, 100));
    EXPECT_EQ(Application->Hint(), "the first control") << "the status text still follows";

    Application->SetShowHint(false);
    MoveTo(B, 5, 5);
    EXPECT_FALSE(PumpUntil(Showing, 100));
    Application->SetShowHint(true);
}

TEST_F(HintCycle, AControlFreedByItsClickWhileItsHintShowsTakesTheHintWithIt) {
    auto* Button = new TButton(Form);
    Button->SetParent(Form);
    Button->SetBounds(200, 120, 100, 25);
    Button->SetHint("Close");
    Button->SetShowHint(true);
    Button->OnClick = [&](TObject* Sender) { delete static_cast<TButton*>(Sender); };
    Pump();
    MoveTo(Button, 5, 5);
    ASSERT_TRUE(PumpUntil([] { return Shown() == "Close"; }));
    const TPoint P = At(Button, 5, 5);
    Headless().Click(P.X, P.Y);
    EXPECT_TRUE(PumpUntil([&] { return Form->ComponentCount() == 3; }));
    EXPECT_FALSE(PumpUntil(Showing, 60));
    MoveTo(A, 5, 5);
    EXPECT_TRUE(PumpUntil([] { return Shown() == "Alpha"; })) << "the cycle goes on";
}
