// The designer's handling of form text it keeps aside: any text either fails with a parser
// error or is cut and put back without losing a line of the kept blocks, and cutting with
// every class known keeps nothing aside.
#include "FormText.h"
#include "toolkit/core/Exceptions.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace qel;
using namespace qel::designer;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::string Text(reinterpret_cast<const char*>(Data), Size);
    try {
        std::vector<TKeptObject> None;
        std::string Same = CutUnknownObjects(
            Text, [](const std::string&) { return true; }, None);
        if (!None.empty()) std::abort();
        std::vector<TKeptObject> Kept;
        // Classes with an odd-length name count as unknown.
        auto Odd = [](const std::string& C) { return C.size() % 2 == 0; };
        std::string Rest = CutUnknownObjects(Text, Odd, Kept);
        std::string Back = InsertKeptObjects(Rest, Kept);
        // Every line that was cut is there again.
        auto LinesOf = [](const std::string& S) {
            std::size_t N = 0;
            for (char C : S)
                N += C == '\n';
            return N;
        };
        std::size_t Want = LinesOf(Rest);
        for (const TKeptObject& K : Kept)
            Want += LinesOf(K.Text);
        if (LinesOf(Back) != Want) std::abort();
        (void)RootClassOf(Text);
        (void)WithRootClass(Text, "TFuzz");
    } catch (const EParserError&) {
    }
    return 0;
}
