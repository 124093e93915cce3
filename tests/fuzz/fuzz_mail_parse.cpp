// Any byte sequence handed to the incoming-mail parser either parses or ends with the format
// error; it never crashes, hangs or grows memory beyond a small multiple of its size.
#include "mail/QELMimeParse.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    std::string_view Text(reinterpret_cast<const char*>(Data), Size);
    qel::TQELMimeParser Parser;
    std::size_t Events = 0;
    Parser.Events.OnDecodeProgress = [&](std::uint16_t Percent) {
        if (Percent > 100) std::abort();
        ++Events;
    };
    Parser.ProgressStep = 1 + static_cast<int>(Size % 100);
    qel::TQELParsedMessage Out;
    try {
        Parser.Parse(qel::SplitMailLines(Text), Out);
    } catch (const qel::EQELMessageFormatError&) {
    }
    // Decoded output is bounded: base64 shrinks, a uuencoded line yields at most 45 bytes.
    std::size_t Decoded = 0;
    for (const auto& A : Out.Attachments)
        Decoded += A.Content.size();
    if (Decoded > 45 * (Size + 1)) std::abort();
    return 0;
}
