// The undo guards: which exits run the step, and what happens when the step itself throws on
// each kind of exit.
#include "toolkit/core/ScopeGuard.h"

#include <gtest/gtest.h>
#include <stdexcept>

using namespace qel;

TEST(ScopeGuard, ExitRunsAlwaysFailOnlyWhenAnExceptionLeaves) {
    int Exit = 0, Fail = 0;
    {
        const TScopeExit E([&] { ++Exit; });
        const TScopeFail F([&] { ++Fail; });
    }
    EXPECT_EQ(Exit, 1);
    EXPECT_EQ(Fail, 0);
    EXPECT_THROW(
        {
            const TScopeExit E([&] { ++Exit; });
            const TScopeFail F([&] { ++Fail; });
            throw std::runtime_error("x");
        },
        std::runtime_error);
    EXPECT_EQ(Exit, 2);
    EXPECT_EQ(Fail, 1);
}

TEST(ScopeGuard, TheFirstErrorWinsAndAStepsOwnErrorIsNotLost) {
    // Unwinding: the step's error is swallowed, the original one reaches the caller.
    try {
        const TScopeExit E([] { throw std::logic_error("undo"); });
        throw std::runtime_error("first");
    } catch (const std::runtime_error& X) {
        EXPECT_STREQ(X.what(), "first");
    }
    // A normal exit: the step's error propagates as if written out after the block.
    EXPECT_THROW({ const TScopeExit E([] { throw std::logic_error("undo"); }); }, std::logic_error);
    // A guard made in a destructor that runs during unwinding counts only the exceptions
    // raised after it was made: the block it guards ends normally.
    int Fail = 0;
    struct TCleanup {
        int& Fail;
        ~TCleanup() {
            const TScopeFail F([this] { ++Fail; });
        }
    };
    try {
        const TCleanup C{Fail};
        throw std::runtime_error("outer");
    } catch (...) { // NOLINT(bugprone-empty-catch): only the count matters
    }
    EXPECT_EQ(Fail, 0);
}
