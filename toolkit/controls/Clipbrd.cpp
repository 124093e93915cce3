#include "toolkit/controls/Clipbrd.h"

namespace qel {

TClipboard& Clipboard() {
    static TClipboard C;
    return C;
}

} // namespace qel
