#pragma once
// Worker threads. A thread is created suspended or running; Suspend and Resume nest like the
// classic counters. Suspension is cooperative: it takes effect when the worker reaches a safe
// point (Sleep, CheckSuspended, Synchronize) and, for a request already queued with
// Synchronize, the GUI thread holds the request back until the thread is resumed, so a
// suspended worker never gets code run on its behalf.
#include "toolkit/core/Export.h"
#include "toolkit/core/Object.h"
#include "toolkit/core/Properties.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

QEL_PUBLIC_BEGIN

namespace qel {

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };
QEL_ENUM_INFO(TThreadPriority, "tpIdle", "tpLowest", "tpLower", "tpNormal", "tpHigher", "tpHighest",
              "tpTimeCritical")

// The base part cannot know when a derived object is complete, so Execute never starts from
// the base constructor: a thread created running starts when its most derived constructor
// calls Start() (or at the first Resume); one created suspended starts at Resume.
class TThread {
  public:
    explicit TThread(bool CreateSuspended);
    void Start();
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;
    // Terminates, resumes and waits for the worker; a pending Synchronize is cancelled.
    virtual ~TThread();

    void Resume();
    void Suspend();
    bool Suspended() const { return SuspendCount_.load(std::memory_order_acquire) > 0; }
    void Terminate();
    bool Terminated() const { return Terminated_.load(std::memory_order_acquire); }
    // Waits until Execute has returned; returns ReturnValue. Throws EThread on the thread itself.
    int WaitFor();
    bool Finished() const { return Finished_.load(std::memory_order_acquire); }

    TThreadPriority Priority() const { return Priority_; }
    // Stored and applied where the system allows an unprivileged process to (nice values).
    void SetPriority(TThreadPriority P);

    bool FreeOnTerminate() const { return FreeOnTerminate_; }
    void SetFreeOnTerminate(bool V) { FreeOnTerminate_ = V; }
    TNotifyEvent OnTerminate;
    int ReturnValue() const { return ReturnValue_; }
    std::thread::id ThreadID() const { return Id_; }

    // Runs Fn on the GUI thread and waits for it (runs it at once on the GUI thread itself).
    void Synchronize(const std::function<void()>& Fn);

    // Sleeps on the worker; returns early when the thread is terminated. Not alertable:
    // resuming does not shorten it. Then waits while the thread is suspended.
    void Sleep(unsigned Ms);
    // Blocks while suspended. Called by the worker at its safe points.
    void CheckSuspended();

  protected:
    virtual void Execute() = 0;
    // Ends the worker before a derived object goes away (its Execute may still be reading
    // the derived part): terminates, releases a suspension and any held-back Synchronize, and
    // joins. Safe to call more than once.
    void TerminateAndWait();
    void SetReturnValue(int V) { ReturnValue_ = V; }

  private:
    void Run();

    std::thread Thread_;
    std::thread::id Id_;
    std::mutex Mu_;
    std::condition_variable Cv_;
    std::atomic<int> SuspendCount_{0};
    std::atomic<bool> Terminated_{false};
    std::atomic<bool> Finished_{false};
    bool Started_ = false;
    bool FreeOnTerminate_ = false;
    TThreadPriority Priority_ = tpNormal;
    int ReturnValue_ = 0;
};

} // namespace qel

QEL_PUBLIC_END
