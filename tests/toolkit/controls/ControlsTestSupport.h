#pragma once
// Shared helpers: the tests run on the headless backend with injected input.
#include "toolkit/controls/Forms.h"
#include "toolkit/platform/Headless.h"

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

namespace qel::test {

inline THeadlessBackend& Headless() {
    static bool Chosen = [] {
        if (!BackendChosen() || !HeadlessBackend())
            SetBackend(std::make_unique<THeadlessBackend>(1024, 768));
        return true;
    }();
    (void)Chosen;
    return *HeadlessBackend();
}

// Runs the loop until Done() or the time is up; returns Done().
inline bool PumpUntil(const std::function<bool()>& Done, int TimeoutMs = 2000) {
    auto End = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
    while (!Done()) {
        if (std::chrono::steady_clock::now() > End) return false;
        Application->ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

inline void Pump(int Ms = 0) {
    auto End = std::chrono::steady_clock::now() + std::chrono::milliseconds(Ms);
    do {
        Application->ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    } while (std::chrono::steady_clock::now() < End);
    Application->ProcessMessages();
}

// Screen position of a point in a control's client area.
inline TPoint At(TControl* C, int X, int Y) {
    return C->ClientToScreen({X, Y});
}

inline std::uint32_t PixelAt(TCustomForm* F, int X, int Y) {
    const TSurface* S = GetWindowSurface(F->Handle());
    return S ? S->Get(X, Y) : 0xFFFFFFFF;
}

} // namespace qel::test
