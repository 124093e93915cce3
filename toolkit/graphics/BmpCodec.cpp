#include "toolkit/graphics/BmpCodec.h"

#include "toolkit/core/Exceptions.h"

#include <algorithm>
#include <bit>
#include <string>
#include <unordered_map>

namespace qel {

namespace {

constexpr uint32_t BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_ALPHABITFIELDS = 6;

[[noreturn]] void Bad(const std::string& Why) {
    throw EInvalidGraphic("Invalid bitmap image: " + Why);
}

uint16_t U16(const uint8_t* P) {
    return static_cast<uint16_t>(P[0] | (P[1] << 8));
}
uint32_t U32(const uint8_t* P) {
    return static_cast<uint32_t>(P[0]) | (static_cast<uint32_t>(P[1]) << 8) |
           (static_cast<uint32_t>(P[2]) << 16) | (static_cast<uint32_t>(P[3]) << 24);
}
int32_t I32(const uint8_t* P) {
    return static_cast<int32_t>(U32(P));
}

// One colour channel of a bit-field pixel, scaled to 8 bits.
struct TChannel {
    uint32_t Mask = 0;
    int Shift = 0;
    uint32_t Max = 0;
    void Init(uint32_t M) {
        Mask = M;
        Shift = M ? std::countr_zero(M) : 0;
        Max = M >> Shift;
    }
    uint32_t Get(uint32_t V) const {
        if (!Max) return 0;
        return ((V & Mask) >> Shift) * 255u / Max;
    }
};

void CheckSize(long long W, long long H) {
    if (W < 0 || H < 0) Bad("negative width");
    if (W > MaxBitmapSide || H > MaxBitmapSide)
        Bad(std::to_string(W) + " x " + std::to_string(H) + " pixels exceeds the limit of " +
            std::to_string(MaxBitmapSide) + " pixels a side");
    if (static_cast<unsigned long long>(W) * static_cast<unsigned long long>(H) > MaxBitmapPixels)
        Bad(std::to_string(W) + " x " + std::to_string(H) + " pixels exceeds the limit of " +
            std::to_string(MaxBitmapPixels) + " pixels");
}

// RLE4/RLE8. Rows are counted in file order (bottom-up); pixels never written keep index 0.
void DecodeRle(const uint8_t* P, std::size_t N, int Bits, int W, int H, std::vector<uint8_t>& Idx) {
    std::size_t I = 0;
    long long X = 0, Y = 0;
    auto Need = [&](std::size_t K) {
        if (N - I < K) Bad("compressed data ends in the middle of a code");
    };
    auto Put = [&](uint8_t V) {
        if (X < W && Y < H) Idx[static_cast<std::size_t>(Y) * W + X] = V;
        ++X;
    };
    while (I < N) {
        Need(2);
        const uint8_t Count = P[I], Val = P[I + 1];
        I += 2;
        if (Count > 0) {
            for (int K = 0; K < Count; ++K)
                Put(Bits == 8 ? Val : ((K & 1) ? (Val & 0x0F) : (Val >> 4)));
            continue;
        }
        if (Val == 0) { // end of line
            X = 0;
            ++Y;
        } else if (Val == 1) { // end of bitmap
            return;
        } else if (Val == 2) { // delta
            Need(2);
            X += P[I];
            Y += P[I + 1];
            I += 2;
        } else { // absolute run of Val pixels, padded to a 16-bit boundary
            const std::size_t Bytes = Bits == 8 ? Val : (Val + 1u) / 2u;
            const std::size_t Padded = (Bytes + 1u) & ~std::size_t(1);
            Need(Bytes);
            for (int K = 0; K < Val; ++K) {
                const uint8_t B = P[I + (Bits == 8 ? K : K / 2)];
                Put(Bits == 8 ? B : ((K & 1) ? (B & 0x0F) : (B >> 4)));
            }
            I += std::min(Padded, N - I);
        }
        if (Y >= H) return; // the rest could only write outside the image
    }
}

} // namespace

TBmpImage DecodeBmp(std::span<const uint8_t> Data) {
    const uint8_t* F = Data.data();
    const std::size_t Size = Data.size();
    if (Size < 14 + 12) Bad("file too short for the headers");
    if (F[0] != 'B' || F[1] != 'M') Bad("missing the 'BM' signature");
    const uint32_t OffBits = U32(F + 10);
    const uint8_t* Hd = F + 14;
    const uint32_t HeaderSize = U32(Hd);
    if (HeaderSize != 12 && HeaderSize != 40 && HeaderSize != 52 && HeaderSize != 56 &&
        HeaderSize != 64 && HeaderSize != 108 && HeaderSize != 124)
        Bad("unsupported header size " + std::to_string(HeaderSize));
    if (Size < 14 + static_cast<std::size_t>(HeaderSize))
        Bad("file too short for its " + std::to_string(HeaderSize) + "-byte header");

    long long W, H;
    int BitCount;
    uint32_t Compression = BI_RGB, ClrUsed = 0;
    bool TopDown = false;
    const bool Core = HeaderSize == 12;
    if (Core) {
        W = U16(Hd + 4);
        H = U16(Hd + 6);
        BitCount = U16(Hd + 10);
    } else {
        W = I32(Hd + 4);
        H = I32(Hd + 8);
        BitCount = U16(Hd + 14);
        Compression = U32(Hd + 16);
        ClrUsed = U32(Hd + 32);
        if (H < 0) {
            TopDown = true;
            H = -H;
        }
    }
    if (W < 0) Bad("negative width");
    CheckSize(W, H);
    if (BitCount != 1 && BitCount != 4 && BitCount != 8 && BitCount != 16 && BitCount != 24 &&
        BitCount != 32)
        Bad("unsupported depth of " + std::to_string(BitCount) + " bits per pixel");
    if (HeaderSize == 64 && Compression > BI_RLE4)
        Bad("unsupported OS/2 compression " + std::to_string(Compression));
    switch (Compression) {
    case BI_RGB:
        break;
    case BI_RLE8:
    case BI_RLE4:
        if (BitCount != (Compression == BI_RLE8 ? 8 : 4))
            Bad("run-length compression does not match the depth");
        if (TopDown) Bad("run-length compressed bitmaps cannot be top-down");
        break;
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS:
        if (BitCount != 16 && BitCount != 32) Bad("bit fields need 16 or 32 bits per pixel");
        break;
    default:
        Bad("unsupported compression " + std::to_string(Compression));
    }

    // Bit-field masks sit in the V2+ headers, or right after a 40-byte header.
    std::size_t Pos = 14 + HeaderSize;
    TChannel R, G, B;
    if (BitCount == 16) {
        R.Init(0x7C00);
        G.Init(0x03E0);
        B.Init(0x001F);
    } else {
        R.Init(0xFF0000);
        G.Init(0x00FF00);
        B.Init(0x0000FF);
    }
    if (Compression == BI_BITFIELDS || Compression == BI_ALPHABITFIELDS) {
        const uint8_t* M = Hd + 40;
        if (HeaderSize == 40) {
            const std::size_t MaskBytes = Compression == BI_ALPHABITFIELDS ? 16 : 12;
            if (Size < Pos + MaskBytes) Bad("file too short for its colour masks");
            M = F + Pos;
            Pos += MaskBytes;
        }
        R.Init(U32(M));
        G.Init(U32(M + 4));
        B.Init(U32(M + 8));
    }

    TBmpImage Img;
    Img.BitCount = BitCount;
    if (BitCount <= 8) {
        const uint32_t MaxColors = 1u << BitCount;
        uint32_t Count = ClrUsed ? ClrUsed : MaxColors;
        if (Count > 256) Bad("palette of " + std::to_string(ClrUsed) + " colours");
        Count = std::min(Count, MaxColors);
        const std::size_t Entry = Core ? 3 : 4;
        // Some writers store fewer entries than the depth allows; the pixel data offset tells.
        if (OffBits >= Pos && OffBits < Pos + Count * Entry)
            Count = static_cast<uint32_t>((OffBits - Pos) / Entry);
        if (Size < Pos + Count * Entry) Bad("file too short for its palette");
        Img.Palette.resize(Count);
        for (uint32_t I = 0; I < Count; ++I) {
            const uint8_t* E = F + Pos + I * Entry;
            Img.Palette[I] = (uint32_t(E[2]) << 16) | (uint32_t(E[1]) << 8) | E[0];
        }
        Pos += Count * Entry;
    }
    if (OffBits != 0) {
        if (OffBits < Pos || OffBits > Size)
            Bad("pixel data offset " + std::to_string(OffBits) + " lies outside the file");
        Pos = OffBits;
    }

    const int Wi = static_cast<int>(W), Hi = static_cast<int>(H);
    const uint8_t* Px = F + Pos;
    const std::size_t Avail = Size - Pos;
    auto Colour = [&](uint32_t I) -> uint32_t {
        return I < Img.Palette.size() ? Img.Palette[I] : 0; // out-of-range index: black
    };

    if (Compression == BI_RLE8 || Compression == BI_RLE4) {
        std::vector<uint8_t> Idx(static_cast<std::size_t>(Wi) * Hi, 0);
        DecodeRle(Px, Avail, BitCount, Wi, Hi, Idx);
        Img.Pixels.Resize(Wi, Hi);
        for (int Y = 0; Y < Hi; ++Y) {
            uint32_t* Dst = Img.Pixels.Row(Hi - 1 - Y);
            const uint8_t* Src = Idx.data() + static_cast<std::size_t>(Y) * Wi;
            for (int X = 0; X < Wi; ++X)
                Dst[X] = Colour(Src[X]);
        }
        return Img;
    }

    const std::size_t RowBytes = (static_cast<std::size_t>(Wi) * BitCount + 7) / 8;
    const std::size_t Stride = (RowBytes + 3) & ~std::size_t(3);
    // The last row's padding may be missing; anything less is a truncated file.
    if (Hi > 0 && Wi > 0 && Avail < Stride * (Hi - 1) + RowBytes)
        Bad("pixel data truncated (" + std::to_string(Avail) + " of " +
            std::to_string(Stride * Hi) + " bytes)");
    Img.Pixels.Resize(Wi, Hi);
    for (int Y = 0; Y < Hi; ++Y) {
        const uint8_t* S = Px + Stride * static_cast<std::size_t>(Y);
        uint32_t* D = Img.Pixels.Row(TopDown ? Y : Hi - 1 - Y);
        switch (BitCount) {
        case 1:
            for (int X = 0; X < Wi; ++X)
                D[X] = Colour((S[X >> 3] >> (7 - (X & 7))) & 1);
            break;
        case 4:
            for (int X = 0; X < Wi; ++X)
                D[X] = Colour((X & 1) ? (S[X >> 1] & 0x0F) : (S[X >> 1] >> 4));
            break;
        case 8:
            for (int X = 0; X < Wi; ++X)
                D[X] = Colour(S[X]);
            break;
        case 16:
            for (int X = 0; X < Wi; ++X) {
                const uint32_t V = U16(S + 2 * X);
                D[X] = (R.Get(V) << 16) | (G.Get(V) << 8) | B.Get(V);
            }
            break;
        case 24:
            for (int X = 0; X < Wi; ++X, S += 3)
                D[X] = (uint32_t(S[2]) << 16) | (uint32_t(S[1]) << 8) | S[0];
            break;
        case 32:
            if (Compression == BI_RGB) {
                for (int X = 0; X < Wi; ++X, S += 4)
                    D[X] = (uint32_t(S[2]) << 16) | (uint32_t(S[1]) << 8) | S[0];
            } else {
                for (int X = 0; X < Wi; ++X, S += 4) {
                    const uint32_t V = U32(S);
                    D[X] = (R.Get(V) << 16) | (G.Get(V) << 8) | B.Get(V);
                }
            }
            break;
        }
    }
    return Img;
}

std::vector<uint32_t> StandardPalette(int BitCount) {
    if (BitCount == 1) return {0x000000, 0xFFFFFF};
    if (BitCount == 4)
        return {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0x808080,
                0xC0C0C0, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    // 8 bits: the 16 colours above, a 6x6x6 colour cube and a grey ramp.
    std::vector<uint32_t> P = StandardPalette(4);
    for (int R = 0; R < 6; ++R)
        for (int G = 0; G < 6; ++G)
            for (int B = 0; B < 6; ++B)
                P.push_back(uint32_t(R * 51) << 16 | uint32_t(G * 51) << 8 | uint32_t(B * 51));
    for (int I = 0; P.size() < 256; ++I) {
        const uint32_t V = static_cast<uint32_t>(8 + I * 10) & 0xFF;
        P.push_back(V << 16 | V << 8 | V);
    }
    return P;
}

int NearestPaletteIndex(const std::vector<uint32_t>& Palette, uint32_t Pixel) {
    int Best = 0;
    long long BestD = -1;
    for (std::size_t I = 0; I < Palette.size(); ++I) {
        const long long Dr =
            static_cast<long long>((Palette[I] >> 16) & 0xFF) - ((Pixel >> 16) & 0xFF);
        const long long Dg =
            static_cast<long long>((Palette[I] >> 8) & 0xFF) - ((Pixel >> 8) & 0xFF);
        const long long Db = static_cast<long long>(Palette[I] & 0xFF) - (Pixel & 0xFF);
        const long long D = Dr * Dr + Dg * Dg + Db * Db;
        if (BestD < 0 || D < BestD) {
            BestD = D;
            Best = static_cast<int>(I);
            if (D == 0) break;
        }
    }
    return Best;
}

namespace {

void Put16(std::vector<uint8_t>& O, uint32_t V) {
    O.push_back(V & 0xFF);
    O.push_back((V >> 8) & 0xFF);
}
void Put32(std::vector<uint8_t>& O, uint32_t V) {
    Put16(O, V & 0xFFFF);
    Put16(O, V >> 16);
}

// Encodes one row of indices as RLE8/RLE4 codes, ending with an end-of-line code.
void EncodeRleRow(std::vector<uint8_t>& O, const uint8_t* Row, int W, int Bits) {
    int X = 0;
    while (X < W) {
        // Length of the run starting at X: RLE8 repeats one value, RLE4 alternates two.
        int Run = 1;
        const int MaxRun = std::min(255, W - X);
        if (Bits == 8) {
            while (Run < MaxRun && Row[X + Run] == Row[X])
                ++Run;
        } else {
            while (Run < MaxRun && Row[X + Run] == Row[X + (Run & 1)])
                ++Run;
        }
        if (Run >= 3 || W - X < 3) {
            const int N = Run;
            O.push_back(static_cast<uint8_t>(N));
            O.push_back(Bits == 8 ? Row[X]
                                  : static_cast<uint8_t>((Row[X] << 4) | (N > 1 ? Row[X + 1] : 0)));
            X += N;
            continue;
        }
        // Absolute run: gather literals until a repeat of 3 or more starts (at least 3).
        int Lit = 0;
        while (X + Lit < W && Lit < 255) {
            const int P = X + Lit;
            if (Lit >= 3 && P + 2 < W) {
                const bool Repeat =
                    Bits == 8 ? (Row[P] == Row[P + 1] && Row[P] == Row[P + 2])
                              : (Row[P] == Row[P + 2] && P + 3 < W && Row[P + 1] == Row[P + 3]);
                if (Repeat) break;
            }
            ++Lit;
        }
        if (Lit < 3) {
            // Too short for an absolute run: emit as single-pixel runs.
            for (int K = 0; K < Lit; ++K) {
                O.push_back(1);
                O.push_back(Bits == 8 ? Row[X + K] : static_cast<uint8_t>(Row[X + K] << 4));
            }
            X += Lit;
            continue;
        }
        O.push_back(0);
        O.push_back(static_cast<uint8_t>(Lit));
        std::size_t Bytes = 0;
        if (Bits == 8) {
            for (int K = 0; K < Lit; ++K)
                O.push_back(Row[X + K]);
            Bytes = Lit;
        } else {
            for (int K = 0; K < Lit; K += 2)
                O.push_back(
                    static_cast<uint8_t>((Row[X + K] << 4) | (K + 1 < Lit ? Row[X + K + 1] : 0)));
            Bytes = (Lit + 1) / 2;
        }
        if (Bytes & 1) O.push_back(0);
        X += Lit;
    }
    O.push_back(0);
    O.push_back(0);
}

} // namespace

std::vector<uint8_t> EncodeBmp(const TSurface& Img, const TBmpWriteOptions& Opt) {
    const int Bits = Opt.BitCount;
    if (Bits != 1 && Bits != 4 && Bits != 8 && Bits != 24 && Bits != 32)
        throw EInvalidGraphic("Cannot write a bitmap of " + std::to_string(Bits) +
                              " bits per pixel");
    const int Hs = Opt.HeaderSize;
    if (Hs != 12 && Hs != 40 && Hs != 108 && Hs != 124)
        throw EInvalidGraphic("Cannot write a bitmap header of " + std::to_string(Hs) + " bytes");
    const bool Rle = Opt.Rle && (Bits == 4 || Bits == 8);
    if (Opt.Rle && !Rle)
        throw EInvalidGraphic("Run-length compression needs 4 or 8 bits per pixel");
    if (Rle && Hs == 12)
        throw EInvalidGraphic("The core header cannot describe a compressed bitmap");
    const bool TopDown = Opt.TopDown && !Rle && Hs != 12;
    if (Opt.TopDown && !TopDown)
        throw EInvalidGraphic("Top-down rows need an uncompressed bitmap with an info header");
    const int W = Img.Width, H = Img.Height;
    if (Hs == 12 && (W > 0xFFFF || H > 0xFFFF))
        throw EInvalidGraphic("Bitmap too large for the core header");

    // Palette and indices for the paletted depths.
    std::vector<uint32_t> Pal;
    std::vector<uint8_t> Idx;
    if (Bits <= 8) {
        const std::size_t MaxColors = std::size_t(1) << Bits;
        Pal = Opt.Palette;
        if (Pal.size() > MaxColors) Pal.resize(MaxColors);
        std::unordered_map<uint32_t, uint8_t> Map;
        if (Pal.empty()) {
            for (uint32_t P : Img.Pixels) {
                if (Map.count(P & 0xFFFFFF)) continue;
                if (Map.size() == MaxColors) {
                    Map.clear();
                    Pal = StandardPalette(Bits);
                    break;
                }
                Map.emplace(P & 0xFFFFFF, static_cast<uint8_t>(Pal.size()));
                Pal.push_back(P & 0xFFFFFF);
            }
            if (Pal.empty()) Pal = StandardPalette(Bits);
        }
        if (Map.empty())
            for (std::size_t I = Pal.size(); I-- > 0;)
                Map[Pal[I]] = static_cast<uint8_t>(I);
        Idx.resize(Img.Pixels.size());
        for (std::size_t I = 0; I < Img.Pixels.size(); ++I) {
            const uint32_t P = Img.Pixels[I] & 0xFFFFFF;
            auto It = Map.find(P);
            if (It == Map.end())
                It = Map.emplace(P, static_cast<uint8_t>(NearestPaletteIndex(Pal, P))).first;
            Idx[I] = It->second;
        }
    }

    std::vector<uint8_t> PixelData;
    const std::size_t RowBytes = (static_cast<std::size_t>(W) * Bits + 7) / 8;
    const std::size_t Stride = (RowBytes + 3) & ~std::size_t(3);
    if (Rle) {
        for (int Y = H - 1; Y >= 0; --Y)
            EncodeRleRow(PixelData, Idx.data() + static_cast<std::size_t>(Y) * W, W, Bits);
        if (!PixelData.empty())
            PixelData.resize(PixelData.size() - 2); // the last end-of-line becomes end-of-bitmap
        PixelData.push_back(0);
        PixelData.push_back(1);
    } else {
        PixelData.assign(Stride * H, 0);
        for (int Y = 0; Y < H; ++Y) {
            uint8_t* D = PixelData.data() + Stride * (TopDown ? Y : H - 1 - Y);
            const std::size_t Base = static_cast<std::size_t>(Y) * W;
            for (int X = 0; X < W; ++X) {
                switch (Bits) {
                case 1:
                    D[X >> 3] |= static_cast<uint8_t>((Idx[Base + X] & 1) << (7 - (X & 7)));
                    break;
                case 4:
                    D[X >> 1] |= static_cast<uint8_t>((X & 1) ? Idx[Base + X] : Idx[Base + X] << 4);
                    break;
                case 8:
                    D[X] = Idx[Base + X];
                    break;
                default: {
                    const uint32_t P = Img.Pixels[Base + X];
                    uint8_t* Q = D + X * (Bits / 8);
                    Q[0] = P & 0xFF;
                    Q[1] = (P >> 8) & 0xFF;
                    Q[2] = (P >> 16) & 0xFF;
                }
                }
            }
        }
    }

    const std::size_t Entry = Hs == 12 ? 3 : 4;
    const std::size_t Off = 14 + Hs + Pal.size() * Entry;
    std::vector<uint8_t> O;
    O.reserve(Off + PixelData.size());
    O.push_back('B');
    O.push_back('M');
    Put32(O, static_cast<uint32_t>(Off + PixelData.size()));
    Put32(O, 0);
    Put32(O, static_cast<uint32_t>(Off));
    Put32(O, static_cast<uint32_t>(Hs));
    if (Hs == 12) {
        Put16(O, static_cast<uint32_t>(W));
        Put16(O, static_cast<uint32_t>(H));
        Put16(O, 1);
        Put16(O, static_cast<uint32_t>(Bits));
    } else {
        Put32(O, static_cast<uint32_t>(W));
        Put32(O, static_cast<uint32_t>(TopDown ? -H : H));
        Put16(O, 1);
        Put16(O, static_cast<uint32_t>(Bits));
        Put32(O, Rle ? (Bits == 8 ? BI_RLE8 : BI_RLE4) : BI_RGB);
        Put32(O, static_cast<uint32_t>(PixelData.size()));
        Put32(O, 3780); // 96 dpi in pixels per metre
        Put32(O, 3780);
        Put32(O, static_cast<uint32_t>(Pal.size()));
        Put32(O, 0);
        if (Hs >= 108) {
            // Masks (unused with BI_RGB), colour space 'sRGB', end points and gamma zero.
            Put32(O, 0x00FF0000);
            Put32(O, 0x0000FF00);
            Put32(O, 0x000000FF);
            Put32(O, 0);
            Put32(O, 0x73524742);
            O.insert(O.end(), 36 + 12, 0);
        }
        if (Hs == 124) {
            Put32(O, 4); // LCS_GM_IMAGES
            O.insert(O.end(), 12, 0);
        }
    }
    for (uint32_t P : Pal) {
        O.push_back(P & 0xFF);
        O.push_back((P >> 8) & 0xFF);
        O.push_back((P >> 16) & 0xFF);
        if (Entry == 4) O.push_back(0);
    }
    O.insert(O.end(), PixelData.begin(), PixelData.end());
    return O;
}

} // namespace qel
