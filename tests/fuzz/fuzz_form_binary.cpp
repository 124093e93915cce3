// Binary form streams: reading and conversion to text must fail cleanly on any input, and
// what converts must convert back without change.
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

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    // Always a binary stream, so the fuzzer spends its time past the signature.
    std::string Bin = "TPF0" + std::string(reinterpret_cast<const char*>(Data), Size);
    std::string Text;
    try {
        TStringStream In(Bin), Out;
        ObjectBinaryToText(In, Out);
        Text = Out.DataString();
    } catch (const qel::Exception&) {
        Text.clear();
    }
    if (!Text.empty()) {
        // The text must be readable, and stable through another round.
        TStringStream T(Text), B2;
        ObjectTextToBinary(T, B2);
        TStringStream B3(B2.DataString()), T2;
        ObjectBinaryToText(B3, T2);
        if (T2.DataString() != Text) std::abort();
    }
    for (bool Lenient : {false, true}) {
        try {
            TStringStream S(Bin);
            auto Root = LoadComponentFromStream(S, fuzz::FuzzOptions(Lenient));
            TStringStream Out;
            WriteComponent(Out, Root.get(), TFormFormat::Binary);
            TStringStream S2(Out.DataString());
            auto Again = LoadComponentFromStream(S2, fuzz::FuzzOptions(true));
        } catch (const qel::Exception&) {
        }
    }
    return 0;
}
