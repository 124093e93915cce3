#include "toolkit/core/FormFormat.h"

#include "toolkit/core/Streams.h"

namespace qel {

TFormFormat DetectFormFormat(TStream& Stream) {
    std::int64_t Pos = Stream.Position();
    char Sig[4] = {};
    std::int64_t N = Stream.Read(Sig, 4);
    Stream.SetPosition(Pos);
    return N == 4 && Sig[0] == 'T' && Sig[1] == 'P' && Sig[2] == 'F' && Sig[3] == '0'
               ? TFormFormat::Binary
               : TFormFormat::Text;
}

} // namespace qel
