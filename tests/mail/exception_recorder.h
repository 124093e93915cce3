#pragma once
// Records what reaches the application's exception handler, for tests whose headers cannot
// include the forms unit (the Simple MAPI declarations clash with it).
#include <string>
#include <vector>

namespace qel::test {

// While it lives, every exception passed to the application's handler lands in Shown.
class TExceptionRecorder {
  public:
    TExceptionRecorder();
    ~TExceptionRecorder();
    TExceptionRecorder(const TExceptionRecorder&) = delete;
    TExceptionRecorder& operator=(const TExceptionRecorder&) = delete;
    std::vector<std::string> Shown;
};

} // namespace qel::test
