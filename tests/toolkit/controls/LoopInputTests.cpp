// The loop with injected input: modal forms, capture, enter/leave, owner-drawn buttons,
// painting, hints, timers and Synchronize.
#include "ControlsTestSupport.h"
#include "toolkit/controls/ExtCtrls.h"
#include "toolkit/controls/StdCtrls.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/platform/Thread.h"

#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace qel;
using namespace qel::test;

namespace {

struct LoopFixture : ::testing::Test {
    void SetUp() override {
        Headless();
        Form = new TForm(nullptr);
        Form->SetBounds(100, 100, 300, 200);
    }
    void TearDown() override {
        delete Form;
        Pump();
    }
    TForm* Form = nullptr;
};

// A graphic control that records what reaches it.
class TProbe : public TGraphicControl {
  public:
    explicit TProbe(TComponent* O) : TGraphicControl(O) { SetBounds(10, 10, 50, 50); }
    std::vector<std::string> Log;
    int Paints = 0;
    void WndProc(TMessage& M) override {
        if (M.Msg == CM_MOUSEENTER) Log.push_back("enter");
        if (M.Msg == CM_MOUSELEAVE) Log.push_back("leave");
        TGraphicControl::WndProc(M);
    }

  protected:
    void Paint() override {
        ++Paints;
        Canvas()->Brush()->SetColor(clRed);
        Canvas()->FillRect(ClientRect());
    }
    void MouseDown(TMouseButton, TShiftState, int X, int Y) override {
        Log.push_back("down " + std::to_string(X) + "," + std::to_string(Y));
    }
    void MouseMove(TShiftState, int X, int Y) override {
        Log.push_back("move " + std::to_string(X) + "," + std::to_string(Y));
    }
    void MouseUp(TMouseButton, TShiftState, int X, int Y) override {
        Log.push_back("up " + std::to_string(X) + "," + std::to_string(Y));
    }
};

using ModalTests = LoopFixture;

TEST_F(ModalTests, ClickingAButtonEndsTheModalLoopWithItsResult) {
    auto* Ok = new TButton(Form);
    Ok->SetParent(Form);
    Ok->SetBounds(20, 20, 75, 25);
    Ok->SetModalResult(mrOk);
    auto* Other = new TForm(nullptr);
    Other->SetBounds(0, 0, 50, 50);
    Other->Show();
    int Ticks = 0;
    TTimer T(nullptr);
    T.SetInterval(20);
    T.SetOnTimer([&](TObject*) {
        if (++Ticks == 2) {
            EXPECT_FALSE(IsWindowEnabled(Other->Handle())) << "other forms are disabled";
            TPoint P = At(Ok, 10, 10);
            Headless().Click(P.X, P.Y);
        }
    });
    EXPECT_EQ(Form->ShowModal(), mrOk);
    EXPECT_FALSE(Form->Visible());
    EXPECT_TRUE(IsWindowEnabled(Other->Handle()));
    delete Other;
}

TEST_F(ModalTests, CloseFromATimerAndARefusingCloseQuery) {
    int Asked = 0;
    Form->OnCloseQuery = [&](TObject*, bool& CanClose) { CanClose = ++Asked > 1; };
    TTimer T(nullptr);
    T.SetInterval(10);
    T.SetOnTimer([&](TObject*) { Form->Close(); });
    EXPECT_EQ(Form->ShowModal(), mrCancel);
    EXPECT_EQ(Asked, 2) << "the first close was refused, the loop went on";
}

TEST_F(ModalTests, NestedModalFormsUnwindInOrder) {
    auto* Inner = new TForm(nullptr);
    std::vector<int> Order;
    TTimer T(nullptr);
    T.SetInterval(10);
    int Step = 0;
    T.SetOnTimer([&](TObject*) {
        ++Step;
        if (Step == 1) {
            T.SetEnabled(Step < 0); // re-armed below
            Order.push_back(Inner->ShowModal());
            Form->SetModalResult(mrYes);
        }
    });
    TTimer Closer(nullptr);
    Closer.SetInterval(30);
    Closer.SetOnTimer([&](TObject*) {
        if (Inner->Modal()) Inner->SetModalResult(mrNo);
    });
    Order.push_back(Form->ShowModal());
    EXPECT_EQ(Order, (std::vector<int>{mrNo, mrYes}));
    EXPECT_EQ(Application->ModalLevel(), 0);
    delete Inner;
}

TEST_F(ModalTests, ShowModalOnAVisibleFormIsRefused) {
    Form->Show();
    EXPECT_THROW(Form->ShowModal(), EInvalidOperation);
}

using MouseTests = LoopFixture;

TEST_F(MouseTests, CaptureKeepsTheMouseWithTheGraphicControlUntilRelease) {
    auto* P = new TProbe(Form);
    P->SetParent(Form);
    int Clicks = 0;
    P->OnClick = [&](TObject*) { ++Clicks; };
    Form->Show();
    Pump();
    TPoint In = At(P, 5, 5), Out = At(P, 100, 120);
    Headless().MouseMove(In.X, In.Y);
    Headless().MouseDown(1, In.X, In.Y);
    Pump();
    EXPECT_EQ(GetCaptureControl(), P);
    Headless().MouseMove(Out.X, Out.Y);
    Headless().MouseUp(1, Out.X, Out.Y);
    Pump();
    EXPECT_EQ(GetCaptureControl(), nullptr);
    EXPECT_EQ(Clicks, 0) << "released outside: no click";
    // The captured control saw the move and the release outside, and only then the leave.
    ASSERT_GE(P->Log.size(), 3u);
    EXPECT_EQ(P->Log[P->Log.size() - 3], "move 100,120");
    EXPECT_EQ(P->Log[P->Log.size() - 2], "up 100,120");
    EXPECT_EQ(P->Log.back(), "leave");

    Headless().Click(In.X, In.Y);
    Pump();
    EXPECT_EQ(Clicks, 1);
}

TEST_F(MouseTests, EnterAndLeaveFollowThePointer) {
    auto* A = new TProbe(Form);
    A->SetParent(Form);
    auto* B = new TProbe(Form);
    B->SetParent(Form);
    B->SetLeft(100);
    Headless().MouseMove(1000, 700);
    Form->Show();
    Pump();
    TPoint Pa = At(A, 5, 5), Pb = At(B, 5, 5), Pf = At(Form, 80, 150);
    Headless().MouseMove(Pa.X, Pa.Y);
    Pump();
    Headless().MouseMove(Pb.X, Pb.Y);
    Pump();
    Headless().MouseMove(Pf.X, Pf.Y);
    Pump();
    // Enter follows the move that brought the mouse in, as it comes from the idle check.
    EXPECT_EQ(A->Log, (std::vector<std::string>{"move 5,5", "enter", "leave"}));
    EXPECT_EQ(B->Log, (std::vector<std::string>{"move 5,5", "enter", "leave"}));
    EXPECT_FALSE(A->IsMouseInside());
}

TEST_F(MouseTests, DestroyingTheControlUnderTheMouseIsSafe) {
    auto* A = new TProbe(Form);
    A->SetParent(Form);
    Form->Show();
    Pump();
    TPoint Pa = At(A, 5, 5);
    Headless().MouseMove(Pa.X, Pa.Y);
    Headless().MouseDown(1, Pa.X, Pa.Y);
    Pump();
    delete A;
    Headless().MouseMove(Pa.X + 1, Pa.Y);
    Headless().MouseUp(1, Pa.X + 1, Pa.Y);
    Pump();
    EXPECT_EQ(GetCaptureControl(), nullptr);
}

TEST_F(MouseTests, DesigningControlsLeaveTheMouseToTheDesignHook) {
    auto* A = new TProbe(Form);
    A->SetParent(Form);
    // A windowed control that looks at presses in its own message handler, before the
    // toolkit's (as native buttons do).
    struct TOwnPress : TCustomControl {
        using TCustomControl::TCustomControl;
        int Presses = 0;
        void WndProc(TMessage& M) override {
            if (M.Msg == WM_LBUTTONDOWN) ++Presses;
            TCustomControl::WndProc(M);
        }
    };
    auto* Btn = new TOwnPress(Form);
    Btn->SetParent(Form);
    Btn->SetBounds(100, 10, 80, 25);
    const int& Clicks = Btn->Presses;
    Form->SetDesigning(true);
    Form->Show();
    Pump();
    std::vector<std::string> Seen;
    auto Old = SetDesignMouseHook([&](TWinControl* W, TMessage& M) {
        if (M.Msg == WM_LBUTTONDOWN)
            Seen.push_back((W == Form  ? "form "
                            : W == Btn ? "button "
                                       : "other ") +
                           std::to_string(GET_X_LPARAM(M.LParam)) + "," +
                           std::to_string(GET_Y_LPARAM(M.LParam)));
    });
    TPoint Pa = At(A, 5, 6), Pb = At(Btn, 7, 8);
    Headless().Click(Pa.X, Pa.Y);
    Headless().Click(Pb.X, Pb.Y);
    Pump();
    // Each window gets it in its own coordinates; the controls see nothing of it.
    auto Presses = [A] {
        return std::count_if(A->Log.begin(), A->Log.end(),
                             [](const std::string& L) { return L.rfind("down", 0) == 0; });
    };
    EXPECT_EQ(Seen, (std::vector<std::string>{"form 15,16", "button 7,8"}));
    EXPECT_EQ(Presses(), 0);
    EXPECT_EQ(Clicks, 0);
    // Outside the designing state the controls have the mouse again and the hook hears nothing.
    Form->SetDesigning(false);
    Headless().Click(Pa.X, Pa.Y);
    Headless().Click(Pb.X, Pb.Y);
    Pump();
    EXPECT_EQ(Seen.size(), 2u);
    EXPECT_EQ(Presses(), 1);
    EXPECT_EQ(Clicks, 1);
    SetDesignMouseHook(std::move(Old));
}

// An owner-drawn BUTTON window: the parent reflects WM_DRAWITEM and WM_COMMAND back.
class TOwnerButton : public TButtonControl {
  public:
    explicit TOwnerButton(TComponent* O) : TButtonControl(O) { SetBounds(10, 10, 80, 30); }
    std::vector<UINT> States;
    int Commands = 0;
    void WndProc(TMessage& M) override {
        if (M.Msg == CN_DRAWITEM) {
            auto* D = reinterpret_cast<DRAWITEMSTRUCT*>(M.LParam);
            States.push_back(D->itemState);
            HBRUSH Br = CreateSolidBrush(RGB(0, 0, 255));
            FillRect(D->hDC, &D->rcItem, Br);
            DeleteObject(Br);
            M.Result = 1;
            return;
        }
        if (M.Msg == CN_COMMAND) {
            if (HIWORD(M.WParam) == BN_CLICKED) ++Commands;
            return;
        }
        TButtonControl::WndProc(M);
    }

  protected:
    void CreateParams(TCreateParams& P) override {
        TButtonControl::CreateParams(P);
        CreateSubClass(P, "BUTTON");
        P.Style |= BS_OWNERDRAW;
    }
};

TEST_F(MouseTests, OwnerDrawnButtonGetsDrawItemWithPressedAndFocusStates) {
    auto* B = new TOwnerButton(Form);
    B->SetParent(Form);
    Form->Show();
    Pump();
    ASSERT_FALSE(B->States.empty());
    EXPECT_EQ(PixelAt(Form, 20, 20), 0x0000FFu) << "the owner's drawing reached the window";
    TPoint P = At(B, 5, 5);
    Headless().MouseMove(P.X, P.Y);
    Headless().MouseDown(1, P.X, P.Y);
    Pump();
    EXPECT_TRUE(B->States.back() & ODS_SELECTED);
    EXPECT_TRUE(B->States.back() & ODS_FOCUS);
    Headless().MouseUp(1, P.X, P.Y);
    Pump();
    EXPECT_FALSE(B->States.back() & ODS_SELECTED);
    EXPECT_EQ(B->Commands, 1);
    B->SetEnabled(false);
    Pump();
    EXPECT_TRUE(B->States.back() & ODS_DISABLED);
}

TEST_F(MouseTests, AClickHandlerMayFreeItsOwnButton) {
    auto* B = new TButton(Form);
    B->SetParent(Form);
    int Ups = 0;
    B->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { ++Ups; };
    B->OnClick = [&](TObject*) { delete B; };
    auto* P = new TPaintBox(Form);
    P->SetParent(Form);
    P->SetBounds(10, 100, 40, 40);
    P->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { delete P; };
    P->OnClick = [&](TObject*) { ADD_FAILURE() << "clicked after being freed"; };
    Form->Show();
    Pump();
    TPoint Pb = At(B, 5, 5), Pp = At(P, 5, 5);
    Headless().Click(Pb.X, Pb.Y);
    Headless().Click(Pp.X, Pp.Y);
    Pump();
    EXPECT_EQ(Form->ControlCount(), 0);
    EXPECT_EQ(Ups, 0);
}

TEST_F(MouseTests, RepaintsAreMergedIntoOnePaintPerTurn) {
    auto* A = new TProbe(Form);
    A->SetParent(Form);
    Form->SetColor(clWhite);
    Form->Show();
    Pump();
    EXPECT_EQ(PixelAt(Form, 15, 15), 0xFF0000u);
    EXPECT_EQ(PixelAt(Form, 5, 5), 0xFFFFFFu);
    int Before = A->Paints;
    for (int I = 0; I < 10; ++I)
        A->Invalidate();
    Pump();
    EXPECT_EQ(A->Paints, Before + 1);
    A->SetLeft(200);
    Pump();
    EXPECT_EQ(PixelAt(Form, 15, 15), 0xFFFFFFu) << "the old place was repainted";
    EXPECT_EQ(PixelAt(Form, 205, 15), 0xFF0000u);
}

TEST_F(MouseTests, HintShowsAfterThePauseWithTheShortPart) {
    auto* A = new TProbe(Form);
    A->SetParent(Form);
    A->SetHint("Short|Long text");
    A->SetShowHint(true);
    std::string Shown;
    bool Asked = false;
    Application->SetHintPause(30);
    Form->Show();
    Pump();
    TPoint P = At(A, 5, 5);
    Headless().MouseMove(P.X, P.Y);
    ASSERT_TRUE(PumpUntil(
        [&] { return Application->HintWindow() && Application->HintWindow()->Visible(); }));
    Asked = true;
    EXPECT_EQ(Application->HintWindow()->Caption(), "Short");
    EXPECT_GT(Application->HintWindow()->Top(), P.Y);
    TPoint Off = At(Form, 250, 150);
    Headless().MouseMove(Off.X, Off.Y);
    Pump(10);
    EXPECT_FALSE(Application->HintWindow()->Visible());
    EXPECT_TRUE(Asked);
    Application->SetHintPause(500);
}

class TMyHint : public THintWindow {
    QEL_CLASS(TMyHint, THintWindow)
  public:
    using THintWindow::THintWindow;
};

// A control that rewrites its hint through CM_HINTSHOW.
class TRewriting : public TProbe {
  public:
    using TProbe::TProbe;
    void WndProc(TMessage& M) override {
        if (M.Msg == CM_HINTSHOW) {
            auto* Info = reinterpret_cast<THintInfo*>(M.LParam);
            Info->HintStr = "rewritten";
            return;
        }
        TProbe::WndProc(M);
    }
};

TEST_F(MouseTests, AnInstalledHintWindowClassIsUsedAfterShowHintIsToggled) {
    const TClass* Saved = HintWindowClass;
    HintWindowClass = &TMyHint::StaticClass();
    Application->SetShowHint(false);
    Application->SetShowHint(true);
    ASSERT_NE(Application->HintWindow(), nullptr);
    EXPECT_TRUE(Application->HintWindow()->Is<TMyHint>());
    auto* A = new TRewriting(Form);
    A->SetParent(Form);
    A->SetHint("original");
    A->SetShowHint(true);
    Application->SetHintPause(10);
    Headless().MouseMove(1000, 700);
    Form->Show();
    Pump();
    TPoint P = At(A, 3, 3);
    Headless().MouseMove(P.X, P.Y);
    ASSERT_TRUE(PumpUntil([&] { return Application->HintWindow()->Visible(); }));
    EXPECT_EQ(Application->HintWindow()->Caption(), "rewritten");
    Application->CancelHint();
    Application->SetHintPause(500);
    HintWindowClass = Saved;
    Application->SetShowHint(false);
    Application->SetShowHint(true);
}

using TimerThreadTests = LoopFixture;

TEST_F(TimerThreadTests, SlowTimerHandlerDelaysTheNextEvent) {
    TTimer T(nullptr);
    std::vector<std::chrono::steady_clock::time_point> At;
    T.SetInterval(20);
    T.SetOnTimer([&](TObject*) {
        At.push_back(std::chrono::steady_clock::now());
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
    });
    ASSERT_TRUE(PumpUntil([&] { return At.size() >= 3; }, 3000));
    T.SetEnabled(false);
    for (std::size_t I = 1; I < At.size(); ++I)
        EXPECT_GE(At[I] - At[I - 1], std::chrono::milliseconds(78));
}

class TCounter : public TThread {
  public:
    explicit TCounter(bool Suspended) : TThread(Suspended) {
        if (!Suspended) Start();
    }
    std::atomic<int> Runs{0};
    std::thread::id RanOn;
    void Execute() override {
        while (!Terminated()) {
            Synchronize([this] {
                RanOn = std::this_thread::get_id();
                ++Runs;
            });
            Sleep(5);
        }
    }
};

TEST_F(TimerThreadTests, SynchronizeRunsOnTheGuiThreadInsideProcessMessages) {
    TCounter T(true);
    EXPECT_TRUE(T.Suspended());
    T.Resume();
    ASSERT_TRUE(PumpUntil([&] { return T.Runs >= 3; }));
    EXPECT_EQ(T.RanOn, std::this_thread::get_id());
    T.Suspend();
    Pump(30);
    int Held = T.Runs;
    Pump(50);
    EXPECT_LE(T.Runs - Held, 0) << "a suspended thread gets nothing run for it";
    T.Resume();
    ASSERT_TRUE(PumpUntil([&] { return T.Runs > Held + 2; }));
    T.Terminate();
    T.WaitFor();
    EXPECT_TRUE(T.Finished());
}

TEST_F(TimerThreadTests, ExceptionInSynchronizedCodeReachesTheWorker) {
    struct TThrower : TThread {
        TThrower() : TThread(false) { Start(); }
        std::atomic<bool> Caught{false};
        void Execute() override {
            try {
                Synchronize([] { throw EAbort("stop"); });
            } catch (const EAbort&) {
                Caught = true;
            }
        }
    } T;
    ASSERT_TRUE(PumpUntil([&] { return T.Finished(); }));
    EXPECT_TRUE(T.Caught);
}

TEST_F(TimerThreadTests, FreeOnTerminateDeletesTheThreadOnTheGuiThread) {
    static std::atomic<bool> Deleted{false};
    struct TSelfFree : TThread {
        TSelfFree() : TThread(true) { SetFreeOnTerminate(true); }
        ~TSelfFree() override { Deleted = true; }
        void Execute() override {}
    };
    auto* T = new TSelfFree();
    T->Resume();
    ASSERT_TRUE(PumpUntil([&] { return Deleted.load(); }));
}

} // namespace

QEL_IMPLEMENT_CLASS(TMyHint, THintWindow, NoProperties<TMyHint>)
