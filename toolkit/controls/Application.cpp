#include "toolkit/controls/Forms.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/platform/Backend.h"
#include "toolkit/platform/Window.h"

#include <cstdio>

namespace qel {

// Never freed: forms owned by the application may still hold windows of a backend whose
// statics are gone by the time global destructors run.
TApplication* Application = new TApplication(nullptr);

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {}

TApplication::~TApplication() = default;

void TApplication::ProcessPending() {
    auto& Q = TMessageQueue::Main();
    if (!Q.IsGuiThread()) return;
    Q.ClearWork();
    // A bounded number of rounds: a handler that keeps posting cannot freeze the caller.
    for (int Round = 0; Round < 4; ++Round) {
        bool Any = false;
        auto Step = [&](auto&& Fn) {
            try {
                if (Fn()) Any = true;
            } catch (...) {
                HandleException(this);
                Any = true;
            }
        };
        Step([] { return PumpWindowInput(); });
        Step([&] { return Q.RunSynchronized(); });
        Step([] { return DispatchPostedMessages(); });
        Step([&] { return Q.RunTimers(); });
        Step([&] { return AfterInput(); });
        // Painting inside a paint handler that pumps messages would paint half-drawn state.
        if (!InPaint_) {
            InPaint_ = true;
            Step([] { return PaintPendingWindows(); });
            InPaint_ = false;
        }
        if (!Any) break;
    }
    if (Q.HasPosted() || HasPendingPaint()) Q.Signal();
}

bool TApplication::AfterInput() {
    return false;
}

void TApplication::HandleMessage() {
    auto& Q = TMessageQueue::Main();
    if (Q.HasWork()) {
        ProcessPending();
        return;
    }
    bool Done = true;
    if (OnIdle) {
        try {
            OnIdle(this, Done);
        } catch (...) {
            HandleException(this);
        }
    }
    if (Done && !Terminated_) {
        int Fd = BackendChosen() ? Backend().EventFd() : -1;
        Q.WaitForWork(-1, Fd);
    }
    ProcessPending();
}

void TApplication::Terminate() {
    Terminated_ = true;
    TMessageQueue::Main().Signal();
}

void TApplication::HandleException(TObject* Sender) {
    std::exception_ptr P = std::current_exception();
    if (!P) return;
    try {
        std::rethrow_exception(P);
    } catch (const EAbort&) {
    } catch (const std::exception& E) {
        HandleException(Sender, E);
    } catch (...) {
        HandleException(Sender, Exception("Unknown exception"));
    }
}

void TApplication::HandleException(TObject* Sender, const std::exception& E) {
    if (dynamic_cast<const EAbort*>(&E)) return;
    if (OnException) {
        OnException(Sender, E);
        return;
    }
    ShowException(E);
}

void TApplication::ShowException(const std::exception& E) {
    std::string Msg = E.what();
    if (!Msg.empty() && Msg.back() != '.') Msg += '.';
    std::fprintf(stderr, "%s%s%s\n", Title_.c_str(), Title_.empty() ? "" : ": ", Msg.c_str());
}

QEL_IMPLEMENT_CLASS(TApplication, TComponent, NoProperties<TApplication>)

} // namespace qel
