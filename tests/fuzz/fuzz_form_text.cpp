// Text form files: parsing, conversion and loading must fail cleanly on any input, and a text
// that converts must convert back and forth without change.
#include "tests/fuzz/FuzzFormClasses.h"
#include "tests/fuzz/FuzzFormClasses.inc"
#include "toolkit/core/Exceptions.h"
#include "toolkit/core/FormReader.h"
#include "toolkit/core/FormWriter.h"
#include "toolkit/core/Streams.h"
#include "toolkit/core/TextForm.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace qel;

static std::string TextToBin(const std::string& Text) {
    TStringStream In(Text), Out;
    ObjectTextToBinary(In, Out);
    return Out.DataString();
}

static std::string BinToText(const std::string& Bin) {
    TStringStream In(Bin), Out;
    ObjectBinaryToText(In, Out);
    return Out.DataString();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    std::string Text(reinterpret_cast<const char*>(Data), Size);
    if (!Text.empty() && Text.compare(0, 4, "TPF0") == 0) return 0; // the binary fuzzer's job
    std::string Bin;
    try {
        Bin = TextToBin(Text);
    } catch (const qel::Exception&) {
        return 0;
    }
    // Conversion is stable: binary → text → binary gives the same stream.
    std::string Text2 = BinToText(Bin);
    if (TextToBin(Text2) != Bin) std::abort();
    if (BinToText(TextToBin(Text2)) != Text2) std::abort();

    for (bool Lenient : {false, true}) {
        try {
            TStringStream S(Text);
            auto Root = LoadComponentFromStream(S, fuzz::FuzzOptions(Lenient));
            // Whatever loaded writes out and loads again.
            std::string Out = ComponentToText(Root.get());
            TStringStream S2(Out);
            auto Again = LoadComponentFromStream(S2, fuzz::FuzzOptions(true));
            if (ComponentToText(Again.get()) != Out) std::abort();
        } catch (const qel::Exception&) {
        }
    }
    return 0;
}
