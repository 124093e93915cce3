#include "toolkit/platform/MessageQueue.h"

#include "toolkit/platform/Thread.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace qel {

using Clock = std::chrono::steady_clock;

TMessageQueue& TMessageQueue::Main() {
    static TMessageQueue Q;
    return Q;
}

TMessageQueue::TMessageQueue() : GuiThread_(std::this_thread::get_id()) {
    WakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    Ticker_ = std::thread([this] { TickerLoop(); });
}

TMessageQueue::~TMessageQueue() {
    {
        std::lock_guard L(TickMu_);
        TickQuit_ = true;
    }
    TickCv_.notify_all();
    if (Ticker_.joinable()) Ticker_.join();
    if (WakeFd_ >= 0) close(WakeFd_);
}

void TMessageQueue::Signal() {
    Pending_.store(true, std::memory_order_release);
    if (WakeFd_ >= 0) {
        std::uint64_t One = 1;
        ssize_t R = write(WakeFd_, &One, sizeof One);
        (void)R; // a full counter already means "wake up"
    }
}

void TMessageQueue::Post(const TQueuedMessage& M) {
    {
        std::lock_guard L(Mu_);
        Posted_.push_back(M);
    }
    Signal();
}

bool TMessageQueue::TakePosted(TQueuedMessage& M) {
    std::lock_guard L(Mu_);
    if (Posted_.empty()) return false;
    M = Posted_.front();
    Posted_.pop_front();
    return true;
}

bool TMessageQueue::HasPosted() {
    std::lock_guard L(Mu_);
    return !Posted_.empty();
}

void TMessageQueue::RemovePostedFor(HWND Wnd) {
    std::lock_guard L(Mu_);
    std::erase_if(Posted_, [Wnd](const TQueuedMessage& M) { return M.Wnd == Wnd; });
}

void TMessageQueue::Synchronize(TThread* Sender, const std::function<void()>& Fn) {
    if (IsGuiThread()) {
        Fn();
        return;
    }
    SyncRequest R{Sender, &Fn, false, false, nullptr};
    {
        std::lock_guard L(SyncMu_);
        if (Sender && std::find(Refused_.begin(), Refused_.end(), Sender) != Refused_.end()) return;
        Sync_.push_back(&R);
    }
    Signal();
    std::unique_lock L(SyncMu_);
    SyncDone_.wait(L, [&] { return R.Done || R.Cancelled; });
    if (R.Error) std::rethrow_exception(R.Error);
}

bool TMessageQueue::RunSynchronized() {
    bool Any = false;
    for (;;) {
        SyncRequest* R = nullptr;
        {
            std::lock_guard L(SyncMu_);
            // A suspended thread's request waits for its resume, as if the thread had been
            // stopped before it asked.
            auto It = std::find_if(Sync_.begin(), Sync_.end(), [](SyncRequest* Q) {
                return !Q->Sender || !Q->Sender->Suspended();
            });
            if (It == Sync_.end()) break;
            R = *It;
            Sync_.erase(It);
        }
        Any = true;
        std::exception_ptr Err;
        try {
            (*R->Fn)();
        } catch (...) {
            Err = std::current_exception();
        }
        {
            std::lock_guard L(SyncMu_);
            R->Error = Err;
            R->Done = true;
        }
        SyncDone_.notify_all();
    }
    return Any;
}

void TMessageQueue::AllowSynchronize(TThread* Sender) {
    std::lock_guard L(SyncMu_);
    std::erase(Refused_, Sender);
}

void TMessageQueue::CancelSynchronize(TThread* Sender) {
    {
        std::lock_guard L(SyncMu_);
        Refused_.push_back(Sender);
        for (auto It = Sync_.begin(); It != Sync_.end();) {
            if ((*It)->Sender == Sender) {
                (*It)->Cancelled = true;
                It = Sync_.erase(It);
            } else {
                ++It;
            }
        }
    }
    SyncDone_.notify_all();
}

int TMessageQueue::AddTimer(unsigned IntervalMs, TimerCallback Fn) {
    int Id;
    {
        std::lock_guard L(TimerMu_);
        Id = NextTimerId_++;
        Timers_.push_back(Timer{Id, IntervalMs,
                                Clock::now() + std::chrono::milliseconds(IntervalMs),
                                std::make_shared<TimerCallback>(std::move(Fn))});
    }
    KickTicker();
    return Id;
}

void TMessageQueue::RemoveTimer(int Id) {
    {
        std::lock_guard L(TimerMu_);
        std::erase_if(Timers_, [Id](const Timer& T) { return T.Id == Id; });
    }
    KickTicker();
}

bool TMessageQueue::RunTimers() {
    bool Any = false;
    auto Now = Clock::now();
    std::vector<std::pair<int, std::shared_ptr<TimerCallback>>> Due;
    {
        std::lock_guard L(TimerMu_);
        for (Timer& T : Timers_)
            if (!T.Running && T.Due <= Now) {
                T.Running = true;
                Due.emplace_back(T.Id, T.Fn);
            }
    }
    for (auto& [Id, Fn] : Due) {
        Any = true;
        struct Finish {
            TMessageQueue* Q;
            int Id;
            ~Finish() {
                std::lock_guard L(Q->TimerMu_);
                for (Timer& T : Q->Timers_)
                    if (T.Id == Id) {
                        T.Running = false;
                        // The next tick counts from the end of the handler, so a slow handler
                        // never makes events pile up.
                        T.Due = Clock::now() + std::chrono::milliseconds(T.Interval);
                    }
            }
        } F{this, Id};
        (*Fn)();
    }
    if (Any) KickTicker();
    return Any;
}

int TMessageQueue::MillisToNextTimer() {
    std::lock_guard L(TimerMu_);
    if (Timers_.empty()) return -1;
    auto Now = Clock::now();
    long long Best = -1;
    for (const Timer& T : Timers_) {
        if (T.Running) continue;
        long long Ms = std::chrono::ceil<std::chrono::milliseconds>(T.Due - Now).count();
        if (Ms < 0) Ms = 0;
        if (Best < 0 || Ms < Best) Best = Ms;
    }
    return static_cast<int>(Best);
}

void TMessageQueue::SetPollPeriod(int PeriodMs) {
    {
        std::lock_guard L(TickMu_);
        PollPeriod_ = PeriodMs;
        TickChanged_ = true;
    }
    TickCv_.notify_all();
}

void TMessageQueue::KickTicker() {
    {
        std::lock_guard L(TickMu_);
        TickChanged_ = true;
    }
    TickCv_.notify_all();
}

// Raises the flag when a timer falls due and, while a display is attached, every poll period,
// so that the loop's fast path never has to read the clock.
void TMessageQueue::TickerLoop() {
    std::unique_lock L(TickMu_);
    while (!TickQuit_) {
        TickChanged_ = false;
        // While the loop sleeps in WaitForWork it watches the display connection itself.
        int Period = Waiting_ ? 0 : PollPeriod_;
        L.unlock();
        int ToTimer = MillisToNextTimer();
        L.lock();
        int Wait = -1;
        if (ToTimer >= 0) Wait = ToTimer;
        if (Period > 0 && (Wait < 0 || Period < Wait)) Wait = Period;
        if (Wait == 0) {
            L.unlock();
            Signal();
            L.lock();
            // Due timers stay due until the loop runs them; do not spin meanwhile.
            TickCv_.wait_for(L, std::chrono::milliseconds(1),
                             [this] { return TickQuit_ || TickChanged_; });
            continue;
        }
        bool Woken;
        if (Wait < 0)
            Woken = (TickCv_.wait(L, [this] { return TickQuit_ || TickChanged_; }), true);
        else
            Woken = TickCv_.wait_for(L, std::chrono::milliseconds(Wait),
                                     [this] { return TickQuit_ || TickChanged_; });
        if (!Woken && !TickQuit_) {
            L.unlock();
            Signal();
            L.lock();
        }
    }
}

void TMessageQueue::WaitForWork(int TimeoutMs, int ExtraFd) {
    if (HasWork()) return;
    // The periodic ticks only serve loops that never block; this one blocks on the display's
    // descriptor instead, so the ticker rests (timers still wake us through it).
    struct TRest {
        TMessageQueue& Q;
        explicit TRest(TMessageQueue& Owner) : Q(Owner) { Set(true); }
        ~TRest() { Set(false); }
        void Set(bool W) {
            {
                std::lock_guard L(Q.TickMu_);
                if (Q.Waiting_ == W) return;
                Q.Waiting_ = W;
                Q.TickChanged_ = true;
            }
            Q.TickCv_.notify_all();
        }
    };
    std::optional<TRest> Rest;
    if (ExtraFd >= 0) Rest.emplace(*this);
    pollfd Fds[2];
    int N = 0;
    Fds[N++] = pollfd{WakeFd_, POLLIN, 0};
    if (ExtraFd >= 0) Fds[N++] = pollfd{ExtraFd, POLLIN, 0};
    int R;
    do {
        R = poll(Fds, static_cast<nfds_t>(N), TimeoutMs);
    } while (R < 0 && errno == EINTR);
    std::uint64_t Count;
    while (read(WakeFd_, &Count, sizeof Count) > 0) {
    }
    if (R > 0 && N > 1 && (Fds[1].revents & POLLIN))
        Pending_.store(true, std::memory_order_release);
}

} // namespace qel
