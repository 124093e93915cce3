#include "toolkit/graphics/FontEngine.h"
#include "toolkit/graphics/FontMap.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <thread>

using namespace qel;

namespace {

std::shared_ptr<const TFontFace> Face(const char* Name, int Height, int Weight = 400,
                                      bool Italic = false) {
    TFontSpec S;
    S.Name = Name;
    S.Height = Height;
    S.Weight = Weight;
    S.Italic = Italic;
    return TFontFace::Acquire(S);
}

} // namespace

TEST(TextFontMap, ClassicNamesMapToShippedFamilies) {
    EXPECT_EQ(MapFontFamily("MS Sans Serif", 0), "Liberation Sans");
    EXPECT_EQ(MapFontFamily("arial", 0), "Liberation Sans");
    EXPECT_EQ(MapFontFamily("Times New Roman", 0), "Liberation Serif");
    EXPECT_EQ(MapFontFamily("COURIER NEW", 0), "Liberation Mono");
    EXPECT_EQ(MapFontFamily("Wingdings", 2), "DejaVu Sans");
    // Unknown names: by pitch and family, else the default sans family.
    EXPECT_EQ(MapFontFamily("No Such Font", 0), "Liberation Sans");
    EXPECT_EQ(MapFontFamily("No Such Font", 1 /* FIXED_PITCH */), "Liberation Mono");
    EXPECT_EQ(MapFontFamily("No Such Font", 0x10 /* FF_ROMAN */), "Liberation Serif");
    EXPECT_EQ(MapFontFamily("", 0x30 /* FF_MODERN */), "Liberation Mono");
}

TEST(TextFontMap, ResolvesToTheExactFamilyFiles) {
    TFontFile F = FindFontFile("Liberation Sans", false, false);
    ASSERT_FALSE(F.Path.empty()) << "fonts-liberation is not installed";
    EXPECT_EQ(F.Family, "Liberation Sans");
    EXPECT_NE(F.Path.find("LiberationSans-Regular"), std::string::npos) << F.Path;
    TFontFile B = FindFontFile("Liberation Serif", true, true);
    EXPECT_NE(B.Path.find("LiberationSerif-BoldItalic"), std::string::npos) << B.Path;
    EXPECT_TRUE(B.Bold);
    EXPECT_TRUE(B.Italic);
    // A family that is not installed never leaks into a machine-dependent substitute.
    TFontFile U = FindFontFile("Definitely Not Installed Family", false, false);
    EXPECT_EQ(U.Family, "Liberation Sans");
}

TEST(TextFontFace, LogfontHeightSemantics) {
    EXPECT_EQ(PointsToPixels(8), 11); // MulDiv(8, 96, 72) rounds 10.67 up
    EXPECT_EQ(PointsToPixels(10), 13);
    EXPECT_EQ(PointsToPixels(12), 16);

    // Negative: character height (em) without internal leading.
    auto A = Face("MS Sans Serif", -11);
    EXPECT_EQ(A->Height - A->InternalLeading, 11);
    EXPECT_EQ(A->EmHeight(), 11);
    EXPECT_EQ(A->Height, A->Ascent + A->Descent);
    EXPECT_GT(A->InternalLeading, 0);
    // Positive: cell height, honoured exactly.
    auto C = Face("Arial", 20);
    EXPECT_EQ(C->Height, 20);
    EXPECT_EQ(C->Ascent + C->Descent, 20);
    EXPECT_LT(C->EmHeight(), 20);
    // Zero: a default size, the same every time.
    auto Z = Face("Arial", 0);
    EXPECT_EQ(Z->Height, 16);
    // Absurd sizes are clamped instead of allocating gigabytes.
    auto Huge = Face("Arial", -1000000);
    EXPECT_LE(Huge->EmHeight(), 2048);
}

TEST(TextFontFace, MetricsAreSaneAndDeterministic) {
    auto F = Face("MS Sans Serif", -11);
    EXPECT_EQ(F->FamilyName, "Liberation Sans");
    EXPECT_EQ(F->FaceName, "MS Sans Serif");
    EXPECT_GE(F->AveCharWidth, 4);
    EXPECT_LE(F->AveCharWidth, 7);
    EXPECT_GE(F->MaxCharWidth, F->AveCharWidth);
    EXPECT_EQ(F->TextWidth("Hello"),
              F->CharWidth('H') + F->CharWidth('e') + 2 * F->CharWidth('l') + F->CharWidth('o'));
    EXPECT_EQ(F->TextWidth(""), 0);
    // Same request, same shared face.
    EXPECT_EQ(F.get(), Face("MS Sans Serif", -11).get());
    // Mono font: every printable character has the same advance.
    auto M = Face("Courier New", -13);
    std::set<int> Adv;
    for (int C = 0x20; C < 0x7F; ++C)
        Adv.insert(M->CharWidth(static_cast<unsigned char>(C)));
    EXPECT_EQ(Adv.size(), 1u);
    // Bigger fonts are bigger.
    EXPECT_GT(Face("Arial", -24)->TextWidth("Text"), Face("Arial", -12)->TextWidth("Text"));
}

TEST(TextFontFace, GlyphsAreStrictlyOnOff) {
    auto F = Face("Times New Roman", -17, 400, true);
    for (unsigned char C : std::string("AgWj&\xC4\xE9\x80")) {
        const TGlyphBitmap& G = F->Glyph(C);
        ASSERT_GT(G.Width, 0) << "glyph " << int(C);
        ASSERT_EQ(G.Bits.size(), static_cast<std::size_t>(G.Width) * G.Height);
        for (uint8_t B : G.Bits)
            ASSERT_TRUE(B == 0 || B == 1);
        EXPECT_GT(std::count(G.Bits.begin(), G.Bits.end(), 1), 3);
    }
    // A space has an advance but no pixels.
    EXPECT_GT(F->Glyph(' ').Advance, 0);
    EXPECT_EQ(std::count(F->Glyph(' ').Bits.begin(), F->Glyph(' ').Bits.end(), 1), 0);
    // Glyph geometry relative to the baseline: 'g' descends, 'A' sits on the baseline.
    auto S = Face("Arial", -20);
    EXPECT_EQ(S->Glyph('A').Top, S->Glyph('A').Height);
    EXPECT_LT(S->Glyph('g').Top, S->Glyph('g').Height);
    EXPECT_LE(S->Glyph('A').Top, S->Ascent);
}

TEST(TextFontFace, BoldAndItalicUseTheFamilyStyles) {
    auto R = Face("Arial", -16);
    auto B = Face("Arial", -16, 700);
    auto I = Face("Arial", -16, 400, true);
    EXPECT_NE(R->FilePath, B->FilePath);
    EXPECT_NE(R->FilePath, I->FilePath);
    EXPECT_FALSE(B->SyntheticBold);
    EXPECT_FALSE(I->SyntheticItalic);
    EXPECT_EQ(B->Weight, 700);
    const auto Ink = [](const TGlyphBitmap& G) {
        return std::count(G.Bits.begin(), G.Bits.end(), 1);
    };
    EXPECT_GT(Ink(B->Glyph('H')), Ink(R->Glyph('H')));
    // Weight 0 means "don't care" and counts as normal.
    EXPECT_EQ(Face("Arial", -16, 0)->FilePath, R->FilePath);
}

TEST(TextFontFace, Windows1252Mapping) {
    EXPECT_EQ(Cp1252ToUnicode('A'), U'A');
    EXPECT_EQ(Cp1252ToUnicode(0x80), U'\u20AC');
    EXPECT_EQ(Cp1252ToUnicode(0x85), U'\u2026');
    EXPECT_EQ(Cp1252ToUnicode(0x9F), U'\u0178');
    EXPECT_EQ(Cp1252ToUnicode(0x81), char32_t(0x81)); // undefined stays itself
    EXPECT_EQ(Cp1252ToUnicode(0xE9), U'\u00E9');
    // The euro sign has a real glyph, not the missing-glyph box of an unmapped byte.
    auto F = Face("Arial", -16);
    EXPECT_NE(F->Glyph(U'\u20AC').Bits, F->Glyph(0x81).Bits);
}

TEST(TextFontFace, Utf8Decoding) {
    auto Decode = [](std::string_view S) {
        std::vector<char32_t> Out;
        for (std::size_t I = 0; I < S.size();)
            Out.push_back(DecodeUtf8(S, I));
        return Out;
    };
    EXPECT_EQ(Decode("a\xC3\xA9"), (std::vector<char32_t>{U'a', U'\u00E9'}));
    EXPECT_EQ(Decode("\xE2\x82\xAC"), (std::vector<char32_t>{U'\u20AC'}));
    EXPECT_EQ(Decode("\xF0\x9F\x98\x80"), (std::vector<char32_t>{U'\U0001F600'}));
    // Ill-formed bytes stand for themselves as Windows-1252, one at a time.
    EXPECT_EQ(Decode("\xE9"), (std::vector<char32_t>{U'\u00E9'}));
    EXPECT_EQ(Decode("\xE9t\xE9"), (std::vector<char32_t>{U'\u00E9', U't', U'\u00E9'}));
    EXPECT_EQ(Decode("\x80"), (std::vector<char32_t>{U'\u20AC'}));
    EXPECT_EQ(Decode("\xC0\xAF"), (std::vector<char32_t>{U'\u00C0', U'\u00AF'})); // overlong
    EXPECT_EQ(Decode("\xED\xA0\x80").size(), 3u);                                 // surrogate
    EXPECT_EQ(Decode("\xE2\x82"), (std::vector<char32_t>{U'\u00E2', U'\u201A'})); // truncated
}

TEST(TextFontFace, OneGlyphPerCodePoint) {
    auto F = Face("Arial", -16);
    EXPECT_EQ(F->TextWidth("\xC3\xA9"), F->CharWidth(U'\u00E9'));
    EXPECT_EQ(F->TextWidth("\xC3\xA9"), F->TextWidth("\xE9")); // legacy byte, same glyph
    EXPECT_EQ(F->TextWidth("\xE2\x82\xAC"), F->CharWidth(U'\u20AC'));
    EXPECT_EQ(F->TextWidth("\xE2\x82\xAC"), F->TextWidth("\x80"));
    // A character the face lacks draws its .notdef glyph: same every time, some ink, an advance.
    const TGlyphBitmap& Cjk = F->Glyph(U'\u4E2D');
    EXPECT_GT(Cjk.Advance, 0);
    EXPECT_GT(std::count(Cjk.Bits.begin(), Cjk.Bits.end(), 1), 0);
    EXPECT_EQ(Cjk.Bits, F->Glyph(U'\u4E8C').Bits);
    EXPECT_EQ(&Cjk, &F->Glyph(U'\u4E2D')); // cached
}

TEST(TextFontFace, ConcurrentUseIsSafe) {
    std::vector<std::thread> Threads;
    std::vector<int> Widths(4);
    for (int T = 0; T < 4; ++T)
        Threads.emplace_back([T, &Widths] {
            int W = 0;
            for (int K = 0; K < 20; ++K) {
                auto F = Face("Tahoma", -9 - K % 5, 400 + 300 * (K & 1));
                for (char32_t C = 32; C < 256; ++C)
                    W += F->Glyph(C).Width;
                W += F->Glyph(U'\u20AC').Width + F->Glyph(U'\u4E2D').Width;
            }
            Widths[T] = W;
        });
    for (auto& T : Threads)
        T.join();
    EXPECT_EQ(Widths[0], Widths[1]);
    EXPECT_EQ(Widths[0], Widths[3]);
}
