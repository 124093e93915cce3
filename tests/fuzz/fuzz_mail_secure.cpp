// The parsers of the secured sessions, fed what a hostile server could send: EHLO reply lines,
// POP3 greetings (the APOP timestamp) and UIDL listings. Any input parses without a crash or
// a hang, and what is taken from it stays within the input.
#include "mail/QELMailSecurity.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace qel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::string_view Text(reinterpret_cast<const char*>(Data), Size);

    TQELEhloCapabilities Caps;
    std::size_t Pos = 0;
    while (Pos <= Text.size()) {
        std::size_t End = Text.find('\n', Pos);
        if (End == std::string_view::npos) End = Text.size();
        ParseEhloLine(Text.substr(Pos, End - Pos), Caps);
        Pos = End + 1;
    }
    if (!Caps.Size && Caps.SizeLimit != 0) std::abort();

    const std::string Stamp = ApopTimestamp(Text);
    if (!Stamp.empty()) {
        if (Stamp.size() < 3 || Stamp.front() != '<' || Stamp.back() != '>') std::abort();
        if (Text.find(Stamp) == std::string_view::npos) std::abort();
        if (ApopDigest(Stamp, "pw").size() != 32) std::abort();
    }

    TQELUidList Entries;
    const bool Parsed = ParseUidlListing(Text, Entries);
    std::size_t Chars = 0;
    for (const auto& [Number, Id] : Entries) {
        if (Number < 1 || Number > 65535 || Id.empty() || Id.size() > 70) std::abort();
        Chars += Id.size();
    }
    if (Chars > Size || (Parsed && Entries.size() > Size / 2 + 1)) std::abort();
    return 0;
}
