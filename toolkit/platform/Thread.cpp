#include "toolkit/platform/Thread.h"

#include "toolkit/core/Exceptions.h"
#include "toolkit/platform/MessageQueue.h"

#include <sys/resource.h>

namespace qel {

TThread::TThread(bool CreateSuspended) {
    if (CreateSuspended) SuspendCount_ = 1;
    Thread_ = std::thread([this] { Run(); });
    Id_ = Thread_.get_id();
}

void TThread::Start() {
    {
        std::lock_guard L(Mu_);
        Started_ = true;
    }
    Cv_.notify_all();
}

TThread::~TThread() {
    TerminateAndWait();
}

void TThread::TerminateAndWait() {
    Terminate();
    if (Thread_.joinable()) {
        TMessageQueue::Main().CancelSynchronize(this);
        {
            std::lock_guard L(Mu_);
            SuspendCount_ = 0;
            Started_ = true;
        }
        Cv_.notify_all();
        if (std::this_thread::get_id() == Id_)
            Thread_.detach();
        else
            Thread_.join();
        TMessageQueue::Main().AllowSynchronize(this);
    }
}

void TThread::Run() {
    {
        std::unique_lock L(Mu_);
        Cv_.wait(L, [this] { return Started_ && (SuspendCount_ == 0 || Terminated_); });
    }
    if (!Terminated()) {
        try {
            Execute();
        } catch (...) {
            // A worker's exception has nowhere to go; it ends the thread, as it would there.
        }
    }
    Finished_ = true;
    if (OnTerminate) {
        try {
            TMessageQueue::Main().Synchronize(this, [this] { OnTerminate(nullptr); });
        } catch (...) {
        }
    }
    Cv_.notify_all();
    if (FreeOnTerminate_) {
        // The queue runs the deletion on the GUI thread so the std::thread can be joined.
        TThread* Self = this;
        TMessageQueue::Main().Post(
            TQueuedMessage{0, QM_FREETHREAD, 0, reinterpret_cast<LPARAM>(Self)});
    }
}

void TThread::Resume() {
    {
        std::lock_guard L(Mu_);
        Started_ = true;
        if (SuspendCount_ > 0) --SuspendCount_;
    }
    Cv_.notify_all();
    // Held-back Synchronize requests may run now.
    if (!Suspended()) TMessageQueue::Main().Signal();
}

void TThread::Suspend() {
    std::lock_guard L(Mu_);
    ++SuspendCount_;
}

void TThread::Terminate() {
    {
        std::lock_guard L(Mu_);
        Terminated_ = true;
    }
    Cv_.notify_all();
}

int TThread::WaitFor() {
    if (std::this_thread::get_id() == Id_) throw EThread("Thread cannot wait for itself");
    Start();
    auto& Q = TMessageQueue::Main();
    // On the GUI thread keep servicing Synchronize, or a worker that synchronizes on its way
    // out would deadlock us.
    for (;;) {
        {
            std::unique_lock L(Mu_);
            if (Finished_) break;
            if (Q.IsGuiThread())
                Cv_.wait_for(L, std::chrono::milliseconds(2));
            else
                Cv_.wait(L, [this] { return Finished_.load(); });
        }
        if (Q.IsGuiThread()) Q.RunSynchronized();
    }
    if (Thread_.joinable() && !FreeOnTerminate_) Thread_.join();
    return ReturnValue_;
}

void TThread::SetPriority(TThreadPriority P) {
    Priority_ = P;
    if (std::this_thread::get_id() == Id_) {
        static const int Nice[] = {19, 10, 5, 0, -5, -10, -20};
        // Raising priority needs privileges; a refusal leaves the thread at its current one.
        setpriority(PRIO_PROCESS, 0, Nice[P]);
    }
}

void TThread::Synchronize(const std::function<void()>& Fn) {
    CheckSuspended();
    TMessageQueue::Main().Synchronize(this, Fn);
}

void TThread::Sleep(unsigned Ms) {
    {
        std::unique_lock L(Mu_);
        Cv_.wait_for(L, std::chrono::milliseconds(Ms), [this] { return Terminated_.load(); });
    }
    CheckSuspended();
}

void TThread::CheckSuspended() {
    std::unique_lock L(Mu_);
    Cv_.wait(L, [this] { return SuspendCount_ == 0 || Terminated_; });
}

} // namespace qel
