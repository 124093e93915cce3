// The thread timer: its worker only runs while interval, Enabled and OnTimer allow it, events
// arrive on the GUI thread, a slow handler delays the next one, and a form holding a timer
// starts it when read.
#include "toolkit/controls/ExtCtrls.h"
#include "toolkit/controls/Forms.h"
#include "toolkit/core/FormReader.h"
#include "toolkit/core/Streams.h"
#include "toolkit/platform/Headless.h"
#include "visual/QELZoradodo.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace qel;
using Clock = std::chrono::steady_clock;

namespace {

void Pump(int Ms) {
    auto End = Clock::now() + std::chrono::milliseconds(Ms);
    while (Clock::now() < End) {
        Application->ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

bool PumpUntil(const std::function<bool()>& Done, int Ms = 3000) {
    auto End = Clock::now() + std::chrono::milliseconds(Ms);
    while (!Done()) {
        if (Clock::now() > End) return false;
        Application->ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

struct TimerTest : ::testing::Test {
    void SetUp() override {
        if (!BackendChosen()) SetBackend(std::make_unique<THeadlessBackend>());
    }
};

TEST_F(TimerTest, DefaultsAndTheConditionsThatStartTheWorker) {
    TQELTimer32 T(nullptr);
    EXPECT_TRUE(T.Enabled());
    EXPECT_EQ(T.Interval(), 1000);
    EXPECT_EQ(T.Priority(), tpTimeCritical);
    int Ticks = 0;
    // Assigned from code, the event alone starts nothing.
    T.OnTimer = [&](TObject* Sender) {
        EXPECT_EQ(Sender, &T);
        ++Ticks;
    };
    Pump(60);
    EXPECT_EQ(Ticks, 0);
    T.SetInterval(0);
    Pump(60);
    EXPECT_EQ(Ticks, 0) << "interval 0 keeps the worker stopped";
    T.SetInterval(10);
    ASSERT_TRUE(PumpUntil([&] { return Ticks >= 3; }));
    T.SetEnabled(false);
    int At = Ticks;
    Pump(80);
    EXPECT_EQ(Ticks, At) << "no event after Enabled := False";
}

TEST_F(TimerTest, EventsRunOnTheGuiThreadAndASlowHandlerDelaysTheNext) {
    TQELTimer32 T(nullptr);
    std::vector<Clock::time_point> Times;
    T.OnTimer = [&](TObject*) {
        EXPECT_TRUE(TMessageQueue::Main().IsGuiThread());
        Times.push_back(Clock::now());
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    };
    T.SetInterval(100);
    ASSERT_TRUE(PumpUntil([&] { return Times.size() >= 3; }, 4000));
    T.SetEnabled(false);
    for (std::size_t I = 1; I < Times.size(); ++I)
        EXPECT_GE(Times[I] - Times[I - 1], std::chrono::milliseconds(395));
}

TEST_F(TimerTest, DestroyingARunningTimerStopsItsWorker) {
    int Ticks = 0;
    {
        TQELTimer32 T(nullptr);
        T.OnTimer = [&](TObject*) { ++Ticks; };
        T.SetInterval(1);
        ASSERT_TRUE(PumpUntil([&] { return Ticks > 0; }));
    }
    int At = Ticks;
    Pump(30);
    EXPECT_EQ(Ticks, At);
}

class TTimerForm : public TForm {
    QEL_CLASS(TTimerForm, TForm)
  public:
    using TForm::TForm;
    int Ticks = 0;
    void Tick(TObject*) { ++Ticks; }
};

} // namespace

QEL_IMPLEMENT_CLASS(TTimerForm, TForm,
                    [](TClassBuilder<TTimerForm>& B) { B.Method("Tick", &TTimerForm::Tick); })

namespace {

TEST_F(TimerTest, AFormWithATimerStartsItWhenRead) {
    // Written as the writer leaves a timer at its constructor values: only Priority differs
    // from its declared default.
    std::string Text = "object TimerForm: TTimerForm\n"
                       "  object Timer1: TQELTimer32\n"
                       "    Interval = 10\n"
                       "    OnTimer = Tick\n"
                       "    Priority = tpTimeCritical\n"
                       "  end\n"
                       "end\n";
    TTimerForm F(nullptr);
    TStringStream S(Text);
    ReadComponent(S, &F);
    ASSERT_TRUE(PumpUntil([&] { return F.Ticks >= 2; }));
}

} // namespace

namespace {

// A handler may free the timer that called it, or the form that owns the timer: the worker is
// waiting for that handler, so the timer must not wait for the worker.
TEST_F(TimerTest, ATimerFreedByItsOwnEventEndsWithoutHanging) {
    auto* T = new TQELTimer32(nullptr);
    int Ticks = 0;
    T->OnTimer = [&Ticks, T](TObject* Sender) {
        EXPECT_EQ(Sender, T);
        ++Ticks;
        delete T;
    };
    T->SetInterval(5);
    ASSERT_TRUE(PumpUntil([&] { return Ticks == 1; }));
    Pump(60);
    EXPECT_EQ(Ticks, 1) << "no tick after the timer was freed";
}

class TSelfFreeingForm : public TForm {
    QEL_CLASS(TSelfFreeingForm, TForm)
  public:
    explicit TSelfFreeingForm(TComponent* AOwner) : TForm(AOwner) {
        for (auto*& T : Timers) {
            T = new TQELTimer32(this);
            T->OnTimer = [this](TObject*) { ++Ticks; };
            T->SetInterval(3);
        }
        MessageTimer = new TTimer(this);
        MessageTimer->SetInterval(3);
        MessageTimer->SetOnTimer([this](TObject*) { ++Ticks; });
    }
    ~TSelfFreeingForm() override { *Freed = true; }
    TQELTimer32* Timers[3] = {};
    TTimer* MessageTimer = nullptr;
    int Ticks = 0;
    bool* Freed = nullptr;
};

} // namespace

QEL_IMPLEMENT_CLASS(TSelfFreeingForm, TForm, NoProperties<TSelfFreeingForm>)

namespace {

TEST_F(TimerTest, AFormFreedFromATickTakesAllItsTimersWithIt) {
    // Each of the form's timers in turn frees it: the one whose tick it is, while the others
    // sleep, wait in their own synchronised tick or are held back by the suspension.
    for (int Which = 0; Which < 3; ++Which) {
        bool Freed = false;
        auto* F = new TSelfFreeingForm(nullptr);
        F->Freed = &Freed;
        F->Timers[Which]->OnTimer = [F](TObject*) {
            if (F->Ticks >= 4)
                delete F;
            else
                ++F->Ticks;
        };
        ASSERT_TRUE(PumpUntil([&] { return Freed; })) << "timer " << Which;
        Pump(30);
    }
    // And from the message timer's tick, with the thread timers' ticks queued meanwhile.
    bool Freed = false;
    auto* F = new TSelfFreeingForm(nullptr);
    F->Freed = &Freed;
    F->MessageTimer->SetOnTimer([F](TObject*) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        delete F;
    });
    ASSERT_TRUE(PumpUntil([&] { return Freed; }));
    Pump(30);
}

} // namespace
