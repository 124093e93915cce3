#include "tests/mail/exception_recorder.h"

#include "toolkit/controls/Forms.h"

namespace qel::test {

TExceptionRecorder::TExceptionRecorder() {
    Application->OnException = [this](TObject*, const std::exception& E) {
        Shown.push_back(E.what());
    };
}

TExceptionRecorder::~TExceptionRecorder() {
    Application->OnException = nullptr;
}

} // namespace qel::test
