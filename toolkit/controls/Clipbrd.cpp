#include "toolkit/controls/Clipbrd.h"

#include "toolkit/platform/Backend.h"

namespace qel {

std::string TClipboard::AsText() const {
    return Backend().ClipboardText().value_or(std::string());
}

void TClipboard::SetAsText(const std::string& V) {
    Backend().SetClipboardText(V);
}

bool TClipboard::HasText() const {
    return Backend().ClipboardHasText();
}

void TClipboard::Clear() {
    Backend().ClearClipboard();
}

TClipboard& Clipboard() {
    static TClipboard C;
    return C;
}

} // namespace qel
