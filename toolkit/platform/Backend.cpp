#include "toolkit/platform/Backend.h"

#include "toolkit/core/Exceptions.h"
#include "toolkit/platform/Headless.h"
#include "toolkit/platform/X11Backend.h"

#include <cstdlib>
#include <string>

namespace qel {

namespace {
std::unique_ptr<TBackend>& Current() {
    static std::unique_ptr<TBackend> B;
    return B;
}
} // namespace

bool BackendChosen() {
    return Current() != nullptr;
}

TBackend& Backend() {
    auto& B = Current();
    if (B) return *B;
    const char* Env = std::getenv("QEL_BACKEND");
    std::string Want = Env ? Env : "";
    if (Want == "headless") {
        B = std::make_unique<THeadlessBackend>();
    } else {
        const char* Display = std::getenv("DISPLAY");
        if (Want == "x11" || (Display && *Display)) {
            // A display was asked for: running on unseen would leave a program nobody can
            // reach, so a display that does not open is an error.
            std::string Why;
            B = TX11Backend::Open(Display, &Why);
            if (!B)
                throw Exception(Why + " (QEL_BACKEND=headless draws without a display)");
        }
        if (!B) B = std::make_unique<THeadlessBackend>();
    }
    if (int P = B->PollPeriod()) TMessageQueue::Main().SetPollPeriod(P);
    return *B;
}

void SetBackend(std::unique_ptr<TBackend> B) {
    Current() = std::move(B);
    TMessageQueue::Main().SetPollPeriod(Current() ? Current()->PollPeriod() : 0);
}

} // namespace qel
