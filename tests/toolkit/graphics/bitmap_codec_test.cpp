#include "toolkit/core/Exceptions.h"
#include "toolkit/graphics/BmpCodec.h"
#include "toolkit/graphics/PngCodec.h"

#include <gtest/gtest.h>
#include <random>

using namespace qel;

namespace {

// An image using only the given colours, with runs and noise so RLE meets every code.
TSurface Pattern(int W, int H, const std::vector<uint32_t>& Colours, unsigned Seed) {
    std::mt19937 Rng(Seed);
    TSurface S(W, H);
    for (int Y = 0; Y < H; ++Y)
        for (int X = 0; X < W; ++X) {
            const bool Run = (Y % 3) == 0 || X < W / 3;
            S.Set(X, Y, Colours[Run ? (Y / 3) % Colours.size() : Rng() % Colours.size()]);
        }
    return S;
}

std::vector<uint32_t> Colours(int N, unsigned Seed) {
    std::mt19937 Rng(Seed);
    std::vector<uint32_t> C;
    while (static_cast<int>(C.size()) < N) {
        const uint32_t V = Rng() & 0xFFFFFF;
        if (std::find(C.begin(), C.end(), V) == C.end()) C.push_back(V);
    }
    return C;
}

void Put32(std::vector<uint8_t>& B, std::size_t At, uint32_t V) {
    for (int I = 0; I < 4; ++I)
        B[At + I] = static_cast<uint8_t>(V >> (8 * I));
}

// File header + 40-byte info header for hand-made files.
std::vector<uint8_t> InfoFile(int W, int H, int Bits, uint32_t Compression,
                              const std::vector<uint32_t>& Palette,
                              const std::vector<uint8_t>& Pixels) {
    std::vector<uint8_t> B(14 + 40);
    B[0] = 'B';
    B[1] = 'M';
    Put32(B, 10, static_cast<uint32_t>(14 + 40 + 4 * Palette.size()));
    Put32(B, 14, 40);
    Put32(B, 18, static_cast<uint32_t>(W));
    Put32(B, 22, static_cast<uint32_t>(H));
    B[26] = 1;
    B[28] = static_cast<uint8_t>(Bits);
    Put32(B, 30, Compression);
    Put32(B, 46, static_cast<uint32_t>(Palette.size()));
    for (uint32_t P : Palette) {
        B.push_back(P & 0xFF);
        B.push_back((P >> 8) & 0xFF);
        B.push_back((P >> 16) & 0xFF);
        B.push_back(0);
    }
    B.insert(B.end(), Pixels.begin(), Pixels.end());
    Put32(B, 2, static_cast<uint32_t>(B.size()));
    return B;
}

void ExpectThrowsInvalid(const std::vector<uint8_t>& B, const char* What) {
    try {
        DecodeBmp(B);
        ADD_FAILURE() << "no exception for " << What;
    } catch (const EInvalidGraphic& E) {
        EXPECT_NE(std::string(E.what()).find("Invalid bitmap"), std::string::npos) << E.what();
    }
}

} // namespace

TEST(BitmapCodec, RoundTripsEveryDepthHeaderAndRowOrder) {
    const struct {
        int Bits;
        int NColours;
    } Depths[] = {{1, 2}, {4, 16}, {8, 200}, {24, 0}, {32, 0}};
    for (auto D : Depths)
        for (int Header : {12, 40, 108, 124})
            for (bool TopDown : {false, true}) {
                if (TopDown && Header == 12) continue;
                for (int W : {1, 3, 9, 33}) {
                    const int H = 5;
                    // The colours fit the depth's palette, so every pixel must come back.
                    TSurface Img = Pattern(W, H, Colours(D.NColours ? D.NColours : 300, W), W);
                    TBmpWriteOptions O;
                    O.BitCount = D.Bits;
                    O.HeaderSize = Header;
                    O.TopDown = TopDown;
                    TBmpImage Back = DecodeBmp(EncodeBmp(Img, O));
                    ASSERT_EQ(Back.BitCount, D.Bits);
                    ASSERT_EQ(Back.Pixels.Width, W);
                    ASSERT_EQ(Back.Pixels.Height, H);
                    EXPECT_EQ(Back.Pixels.Pixels, Img.Pixels)
                        << D.Bits << " bits, header " << Header << ", width " << W;
                }
            }
}

TEST(BitmapCodec, RleRoundTrips) {
    for (int Bits : {4, 8})
        for (int W : {1, 2, 3, 4, 5, 17, 300})
            for (unsigned Seed : {1u, 2u}) {
                TSurface Img = Pattern(W, 7, Colours(Bits == 4 ? 16 : 200, Seed), Seed + W);
                TBmpWriteOptions O;
                O.BitCount = Bits;
                O.Rle = true;
                auto File = EncodeBmp(Img, O);
                EXPECT_EQ(File[30], Bits == 8 ? 1 : 2); // BI_RLE8 / BI_RLE4
                TBmpImage Back = DecodeBmp(File);
                ASSERT_EQ(Back.Pixels.Pixels, Img.Pixels) << Bits << " bits, width " << W;
            }
}

TEST(BitmapCodec, DecodesHandMadeRle8AndRle4) {
    const std::vector<uint32_t> Pal = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    // Bottom row: 3 x red, absolute (green, blue, green), end of line; second row: delta to
    // (2, 1)... the delta moves right 2 and up 0 rows, then one blue; end of bitmap.
    const std::vector<uint8_t> Rle8 = {3, 1, 0, 3, 2, 3, 2, 0, 0, 0, 0, 2, 2, 0, 1, 3, 0, 1};
    TBmpImage A = DecodeBmp(InfoFile(6, 2, 8, 1, Pal, Rle8));
    const std::vector<uint32_t> Bottom = {0xFF0000, 0xFF0000, 0xFF0000,
                                          0x00FF00, 0x0000FF, 0x00FF00};
    for (int X = 0; X < 6; ++X)
        EXPECT_EQ(A.Pixels.Get(X, 1), Bottom[X]) << X;
    const std::vector<uint32_t> Top = {0, 0, 0x0000FF, 0, 0, 0};
    for (int X = 0; X < 6; ++X)
        EXPECT_EQ(A.Pixels.Get(X, 0), Top[X]) << X;

    // RLE4: 5 pixels alternating 1,2; absolute 3 nibbles (3,0,1) padded to 16 bits.
    const std::vector<uint8_t> Rle4 = {5, 0x12, 0, 3, 0x30, 0x10, 0, 1};
    TBmpImage B = DecodeBmp(InfoFile(8, 1, 4, 2, Pal, Rle4));
    const std::vector<uint32_t> Row = {0xFF0000, 0x00FF00, 0xFF0000, 0x00FF00,
                                       0xFF0000, 0x0000FF, 0x000000, 0xFF0000};
    for (int X = 0; X < 8; ++X)
        EXPECT_EQ(B.Pixels.Get(X, 0), Row[X]) << X;
}

TEST(BitmapCodec, SixteenBitAndBitFields) {
    // 2 x 1 pixels of 5-6-5 with explicit masks after the info header.
    std::vector<uint8_t> Px = {0x00, 0xF8, 0xE0, 0x07}; // pure red, pure green
    auto File = InfoFile(2, 1, 16, 3, {}, {});
    File.resize(14 + 40);
    for (uint32_t M : {0xF800u, 0x07E0u, 0x001Fu})
        for (int I = 0; I < 4; ++I)
            File.push_back(static_cast<uint8_t>(M >> (8 * I)));
    File.insert(File.end(), Px.begin(), Px.end());
    Put32(File, 10, 14 + 40 + 12);
    TBmpImage Img = DecodeBmp(File);
    EXPECT_EQ(Img.Pixels.Get(0, 0), 0xFF0000u);
    EXPECT_EQ(Img.Pixels.Get(1, 0), 0x00FF00u);
}

TEST(BitmapCodec, TooManyColoursUseTheStandardPalette) {
    TSurface Img = Pattern(20, 20, Colours(40, 9), 3);
    Img.Set(0, 0, 0xFFFFFF);
    Img.Set(1, 0, 0x000000);
    TBmpWriteOptions O;
    O.BitCount = 4;
    TBmpImage Back = DecodeBmp(EncodeBmp(Img, O));
    EXPECT_EQ(Back.Palette, StandardPalette(4));
    EXPECT_EQ(Back.Pixels.Get(0, 0), 0xFFFFFFu);
    EXPECT_EQ(Back.Pixels.Get(1, 0), 0x000000u);
    EXPECT_EQ(NearestPaletteIndex(StandardPalette(1), 0x7F7F7F), 0);
    EXPECT_EQ(NearestPaletteIndex(StandardPalette(1), 0x808080), 1);
}

TEST(BitmapCodec, RejectsCorruptFilesWithClearErrors) {
    TSurface Img = Pattern(16, 16, Colours(16, 4), 8);
    TBmpWriteOptions O;
    O.BitCount = 8;
    const auto Good = EncodeBmp(Img, O);

    ExpectThrowsInvalid({}, "empty data");
    ExpectThrowsInvalid({'B', 'M', 0, 0}, "a stub");
    auto Sig = Good;
    Sig[0] = 'X';
    ExpectThrowsInvalid(Sig, "a wrong signature");
    auto Trunc = Good;
    Trunc.resize(Good.size() - 20);
    ExpectThrowsInvalid(Trunc, "truncated pixels");
    auto HeaderOnly = Good;
    HeaderOnly.resize(30);
    ExpectThrowsInvalid(HeaderOnly, "a truncated header");
    auto Hs = Good;
    Put32(Hs, 14, 41);
    ExpectThrowsInvalid(Hs, "an unknown header size");
    auto Depth = Good;
    Depth[28] = 7;
    ExpectThrowsInvalid(Depth, "7 bits per pixel");
    auto Pal = Good;
    Put32(Pal, 46, 100000);
    ExpectThrowsInvalid(Pal, "a huge palette");
    auto Off = Good;
    Put32(Off, 10, 0x7FFFFFFF);
    ExpectThrowsInvalid(Off, "a pixel offset past the end");
    auto Comp = Good;
    Put32(Comp, 30, 9);
    ExpectThrowsInvalid(Comp, "an unknown compression");
    auto NegW = Good;
    Put32(NegW, 18, static_cast<uint32_t>(-5));
    ExpectThrowsInvalid(NegW, "a negative width");

    // Huge dimensions are refused before anything is allocated.
    auto Huge = InfoFile(100000, 100000, 24, 0, {}, {1, 2, 3, 4});
    try {
        DecodeBmp(Huge);
        ADD_FAILURE() << "no exception for 100000 x 100000";
    } catch (const EInvalidGraphic& E) {
        EXPECT_NE(std::string(E.what()).find("100000 x 100000"), std::string::npos) << E.what();
    }
    ExpectThrowsInvalid(InfoFile(16384, 16384, 8, 1, {0}, {0, 1}), "a 256 Mpixel RLE bitmap");
    ExpectThrowsInvalid(InfoFile(4, 4, 8, 1, {0}, {0, 3, 1}), "RLE cut inside an absolute run");
    auto TopDownRle = InfoFile(4, -4, 8, 1, {0}, {0, 1});
    ExpectThrowsInvalid(TopDownRle, "a top-down RLE bitmap");
}

TEST(BitmapCodec, MutatedFilesNeverCrash) {
    TSurface Img = Pattern(13, 9, Colours(16, 4), 8);
    std::mt19937 Rng(42);
    for (int Variant = 0; Variant < 3; ++Variant) {
        TBmpWriteOptions O;
        O.BitCount = Variant == 0 ? 4 : Variant == 1 ? 8 : 24;
        O.Rle = Variant < 2;
        const auto Good = EncodeBmp(Img, O);
        for (int K = 0; K < 3000; ++K) {
            auto B = Good;
            const int Edits = 1 + Rng() % 4;
            for (int E = 0; E < Edits; ++E)
                B[Rng() % B.size()] = static_cast<uint8_t>(Rng());
            if (Rng() % 4 == 0) B.resize(Rng() % B.size());
            try {
                TBmpImage R = DecodeBmp(B);
                EXPECT_LE(R.Pixels.Pixels.size(), MaxBitmapPixels);
            } catch (const EInvalidGraphic&) {
            }
        }
    }
}

TEST(BitmapCodec, PngRoundTripAndRejection) {
    TSurface Img = Pattern(31, 7, Colours(50, 1), 2);
    auto Png = EncodePng(Img);
    ASSERT_GT(Png.size(), 8u);
    EXPECT_EQ(Png[1], 'P');
    EXPECT_EQ(DecodePng(Png).Pixels, Img.Pixels);
    Png.resize(Png.size() / 2);
    EXPECT_THROW(DecodePng(Png), EInvalidGraphic);
    EXPECT_THROW(DecodePng(std::vector<uint8_t>{1, 2, 3}), EInvalidGraphic);
}
