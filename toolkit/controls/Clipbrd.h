#pragma once
// The clipboard the text controls cut, copy and paste through: the window backend's clipboard,
// which on X11 is the CLIPBOARD selection shared with other programs and in the headless
// backend a text in memory.
#include "toolkit/core/Export.h"

#include <string>

QEL_PUBLIC_BEGIN

namespace qel {

class TClipboard {
  public:
    // "" when the clipboard holds no text.
    std::string AsText() const;
    // Line breaks are kept as given; the edits accept every convention when they paste.
    void SetAsText(const std::string& V);
    bool HasText() const;
    void Clear();
};

TClipboard& Clipboard();

} // namespace qel

QEL_PUBLIC_END
