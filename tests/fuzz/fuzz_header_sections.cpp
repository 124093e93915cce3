// The header's "Sections" entries and the header list's lines: any bytes decode to a width and
// a caption without failing, an encoded entry decodes to what was encoded, and a line splits
// into fields that join back to it.
#include "visual/QELControls.h"
#include "visual/QELTHeaderList.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace qel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::string Entry(reinterpret_cast<const char*>(Data), Size);
    int Width = 0;
    std::string Caption;
    TQELHeaderStrings::DecodeSection(Entry, Width, Caption);
    if (Caption.size() > Entry.size()) std::abort();
    int Again = 0;
    std::string Back;
    TQELHeaderStrings::DecodeSection(TQELHeaderStrings::EncodeSection(Width, Caption), Again, Back);
    if (Again != Width || Back != Caption) std::abort();

    const char Delimiter = Size ? Entry[0] : ';';
    const auto Fields = TQELHeaderList::SplitLine(Entry, Delimiter);
    std::string Joined;
    for (std::size_t I = 0; I < Fields.size(); ++I) {
        if (I) Joined += Delimiter;
        Joined += Fields[I];
    }
    // A trailing delimiter starts no field, so it is the one thing joining loses.
    if (Joined != Entry && Joined + Delimiter != Entry) std::abort();
    return 0;
}
