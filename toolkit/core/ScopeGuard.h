#pragma once
// Undo steps that must run however a block is left. TScopeExit runs its step on every exit;
// TScopeFail only when the block is left by an exception, for the undo of a half-done change.
//
// A step that throws while another exception is already on its way is swallowed: the first
// error is the one the caller needs to see, and two at once would end the program. On a normal
// exit the step's own exception propagates, as it would from the code written out by hand.
#include "toolkit/core/Export.h"

#include <exception>
#include <type_traits>
#include <utility>

QEL_PUBLIC_BEGIN

namespace qel {

template <class F> class TScopeExit {
  public:
    explicit TScopeExit(F Fn) : Fn_(std::move(Fn)), Uncaught_(std::uncaught_exceptions()) {}
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;
    ~TScopeExit() noexcept(false) {
        if (std::uncaught_exceptions() > Uncaught_) {
            try {
                Fn_();
            } catch (...) { // NOLINT(bugprone-empty-catch): see the header comment
            }
        } else {
            Fn_();
        }
    }

  private:
    F Fn_;
    int Uncaught_;
};

template <class F> class TScopeFail {
  public:
    explicit TScopeFail(F Fn) : Fn_(std::move(Fn)), Uncaught_(std::uncaught_exceptions()) {}
    TScopeFail(const TScopeFail&) = delete;
    TScopeFail& operator=(const TScopeFail&) = delete;
    ~TScopeFail() {
        if (std::uncaught_exceptions() > Uncaught_) {
            try {
                Fn_();
            } catch (...) { // NOLINT(bugprone-empty-catch): see the header comment
            }
        }
    }

  private:
    F Fn_;
    int Uncaught_;
};

} // namespace qel

QEL_PUBLIC_END
