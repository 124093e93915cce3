#pragma once
// The GUI thread's queue: posted window messages, Synchronize requests from worker threads and
// the interval timers. Everything that can give the loop work raises one atomic flag, so a
// loop that finds nothing to do costs a single relaxed load; a worker or the wake-up ticker
// raises the flag and wakes a loop that sleeps in WaitForWork.
#include "toolkit/core/Export.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

using UINT = unsigned int;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
// Window handles are integers into the window table, like every other handle.
using HWND = std::uintptr_t;

// Internal message the queue handles itself: LParam is a finished TThread to delete on the GUI
// thread (FreeOnTerminate).
constexpr UINT QM_FREETHREAD = 0x7F01;

struct TQueuedMessage {
    HWND Wnd = 0;
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
};

class TThread;

class TMessageQueue {
  public:
    static TMessageQueue& Main();

    // The fast test every loop makes first.
    bool HasWork() const { return Pending_.load(std::memory_order_acquire); }
    void ClearWork() { Pending_.store(false, std::memory_order_release); }
    // Raises the flag and wakes a waiting loop; safe from any thread.
    void Signal();

    bool IsGuiThread() const { return std::this_thread::get_id() == GuiThread_; }
    // The thread that owns the queue; the first user (normally main) unless reassigned.
    void SetGuiThread(std::thread::id Id) { GuiThread_ = Id; }

    // Posted messages (any thread).
    void Post(const TQueuedMessage& M);
    bool TakePosted(TQueuedMessage& M);
    void RemovePostedFor(HWND Wnd);
    bool HasPosted();

    // Synchronize: the calling worker blocks until the GUI thread has run Fn (or the request
    // was cancelled because the thread is being destroyed). Exceptions thrown by Fn are
    // carried back to the worker.
    void Synchronize(TThread* Sender, const std::function<void()>& Fn);
    // GUI thread: runs the requests of threads that are not suspended; true when any ran.
    bool RunSynchronized();
    // Cancels the thread's pending request and refuses new ones until AllowSynchronize, so a
    // thread being destroyed cannot block on a GUI thread that is joining it.
    void CancelSynchronize(TThread* Sender);
    void AllowSynchronize(TThread* Sender);

    // Interval timers serviced by the loop. Callback runs on the GUI thread; a callback that is
    // still running is not re-entered (a slow handler delays its next tick instead).
    using TimerCallback = std::function<void()>;
    int AddTimer(unsigned IntervalMs, TimerCallback Fn);
    void RemoveTimer(int Id);
    // GUI thread: runs due timers; true when any ran.
    bool RunTimers();
    // Milliseconds until the next timer is due (-1: none).
    int MillisToNextTimer();

    // Asks the ticker to raise the flag every PeriodMs (0 stops the periodic ticks), used to
    // poll a display connection without a system call per loop turn.
    void SetPollPeriod(int PeriodMs);

    // Blocks until Signal, activity on ExtraFd (-1: none) or the timeout (ms, -1: forever).
    void WaitForWork(int TimeoutMs, int ExtraFd = -1);

    ~TMessageQueue();

  private:
    TMessageQueue();
    void TickerLoop();
    void KickTicker();

    std::atomic<bool> Pending_{false};
    std::thread::id GuiThread_;
    int WakeFd_ = -1;

    std::mutex Mu_;
    std::deque<TQueuedMessage> Posted_;

    struct SyncRequest {
        TThread* Sender;
        const std::function<void()>* Fn;
        bool Done = false;
        bool Cancelled = false;
        std::exception_ptr Error;
    };
    std::mutex SyncMu_;
    std::condition_variable SyncDone_;
    std::deque<SyncRequest*> Sync_;
    std::vector<TThread*> Refused_;

    struct Timer {
        int Id;
        unsigned Interval;
        std::chrono::steady_clock::time_point Due;
        std::shared_ptr<TimerCallback> Fn;
        bool Running = false;
    };
    std::mutex TimerMu_;
    std::vector<Timer> Timers_;
    int NextTimerId_ = 1;

    std::thread Ticker_;
    std::mutex TickMu_;
    std::condition_variable TickCv_;
    bool TickQuit_ = false;
    bool TickChanged_ = false;
    int PollPeriod_ = 0;
    bool Waiting_ = false; // the GUI thread sleeps in WaitForWork on a display descriptor
};

} // namespace qel

QEL_PUBLIC_END
