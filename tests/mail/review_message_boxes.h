#pragma once
// Message boxes the mail components show during tests are answered at once and recorded, so a
// session that shows one neither blocks in a modal loop nor goes unnoticed.
#include "toolkit/controls/Dialogs.h"

#include <optional>
#include <string>
#include <vector>

namespace mailtest {

inline std::vector<std::string>& ShownMessageBoxes() {
    static std::vector<std::string> Shown;
    return Shown;
}

inline const bool MessageBoxesAnswered = [] {
    qel::SetMessageDlgAnswerHook(
        [](const std::string& Msg, qel::TMsgDlgType, qel::TMsgDlgButtons) -> std::optional<int> {
            ShownMessageBoxes().push_back(Msg);
            return qel::mrOk;
        });
    return true;
}();

} // namespace mailtest
