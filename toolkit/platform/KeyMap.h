#pragma once
// Which key of a US keyboard types a character: the virtual key and whether Shift is held.
// Injected typing and the X11 key translation both need it, so that a typed '.' arrives as
// the period key and never as the navigation key that shares its code point.

#include "toolkit/core/Export.h"

QEL_PUBLIC_BEGIN

namespace qel {

struct TKeyStroke {
    int Vk = 0;         // 0: no key types this character (it arrives as a character alone)
    bool Shift = false; // Shift has to be held
    int Char = 0;       // the character the stroke delivers (Enter delivers '\r')
};

TKeyStroke KeyStrokeForChar(unsigned char C);

} // namespace qel

QEL_PUBLIC_END
