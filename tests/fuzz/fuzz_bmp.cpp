// Feeds arbitrary bytes to the bitmap file decoder and to TBitmap's form-data reader. Any
// outcome but an image within the limits or EInvalidGraphic / EReadError is a finding.
#include "toolkit/core/Exceptions.h"
#include "toolkit/core/Streams.h"
#include "toolkit/graphics/Bitmap.h"
#include "toolkit/graphics/BmpCodec.h"

#include <cstdint>
#include <cstdlib>

using namespace qel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    try {
        TBmpImage Img = DecodeBmp({Data, Size});
        if (Img.Pixels.Pixels.size() > MaxBitmapPixels) std::abort();
        // What decodes must encode and decode to the same pixels.
        TBmpWriteOptions O;
        O.BitCount = 24;
        if (DecodeBmp(EncodeBmp(Img.Pixels, O)).Pixels.Pixels != Img.Pixels.Pixels) std::abort();
    } catch (const EInvalidGraphic&) {
    }
    try {
        TMemoryStream S;
        S.WriteBuffer(Data, static_cast<std::int64_t>(Size));
        S.SetPosition(0);
        TBitmap B;
        B.ReadData(S);
    } catch (const EInvalidGraphic&) {
    } catch (const EReadError&) {
    }
    return 0;
}
