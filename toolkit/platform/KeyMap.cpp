#include "toolkit/platform/KeyMap.h"

#include "toolkit/platform/Window.h"

#include <cstring>

namespace qel {

TKeyStroke KeyStrokeForChar(unsigned char C) {
    TKeyStroke K;
    K.Char = C;
    if (C >= 'a' && C <= 'z') return K.Vk = C - 'a' + 'A', K;
    if (C >= 'A' && C <= 'Z') return K.Vk = C, K.Shift = true, K;
    if (C >= '0' && C <= '9') return K.Vk = C, K;
    switch (C) {
    case ' ':
        return K.Vk = VK_SPACE, K;
    case '\t':
        return K.Vk = VK_TAB, K;
    case '\b':
        return K.Vk = VK_BACK, K;
    case '\r':
    case '\n':
        return K.Vk = VK_RETURN, K.Char = '\r', K;
    case 0x1B:
        return K.Vk = VK_ESCAPE, K;
    default:
        break;
    }
    // Shifted digits of the top row.
    static const char ShiftedDigits[] = ")!@#$%^&*(";
    if (C && std::strchr(ShiftedDigits, C))
        return K.Vk = '0' + int(std::strchr(ShiftedDigits, C) - ShiftedDigits), K.Shift = true, K;
    struct TOem {
        char Plain, Shifted;
        int Vk;
    };
    static const TOem Oem[] = {
        {';', ':', VK_OEM_1},     {'=', '+', VK_OEM_PLUS},   {',', '<', VK_OEM_COMMA},
        {'-', '_', VK_OEM_MINUS}, {'.', '>', VK_OEM_PERIOD}, {'/', '?', VK_OEM_2},
        {'`', '~', VK_OEM_3},     {'[', '{', VK_OEM_4},      {'\\', '|', VK_OEM_5},
        {']', '}', VK_OEM_6},     {'\'', '"', VK_OEM_7},
    };
    for (const TOem& O : Oem) {
        if (C == static_cast<unsigned char>(O.Plain)) return K.Vk = O.Vk, K;
        if (C == static_cast<unsigned char>(O.Shifted)) return K.Vk = O.Vk, K.Shift = true, K;
    }
    return K; // other control characters and bytes of multi-byte text: no key
}

} // namespace qel
