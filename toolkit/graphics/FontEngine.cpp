#include "toolkit/graphics/FontEngine.h"

#include "toolkit/core/Exceptions.h"
#include "toolkit/graphics/FontMap.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <map>
#include <mutex>
#include <unordered_map>

namespace qel {

namespace {

// Windows-1252 bytes 0x80..0x9F; 0 marks the five undefined positions.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Largest em size we render. Larger requests (a LOGFONT allows far more) are clamped so one
// glyph can never need more than a few megabytes.
constexpr int MaxEmPixels = 2048;
// Cell height used for Height = 0 ("a reasonable default"): the classic 16-pixel line.
constexpr int DefaultCellHeight = 16;

// FreeType's library object is shared by all faces; FT_New_Face/FT_Done_Face and glyph loads
// on faces of one library are serialised here. Glyph rendering is rare (cached) so one lock
// costs nothing measurable.
std::mutex& FreeTypeLock() {
    static std::mutex M;
    return M;
}

FT_Library Library() {
    static FT_Library Lib = [] {
        FT_Library L = nullptr;
        if (FT_Init_FreeType(&L) != 0) throw EOutOfResources("FreeType could not be initialised");
        return L;
    }();
    return Lib;
}

int RoundDiv(long long A, long long B) {
    // Rounds half away from zero, as MulDiv does.
    if (B < 0) {
        A = -A;
        B = -B;
    }
    return static_cast<int>(A >= 0 ? (A + B / 2) / B : -((-A + B / 2) / B));
}

int CeilDiv(long long A, long long B) {
    return static_cast<int>(A >= 0 ? (A + B - 1) / B : -((-A) / B));
}

// Weights of the lower-case letters and the space in the classic average-width definition;
// applied to the hinted advances so the average matches what is actually drawn.
constexpr int AvgWeights[27] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3, 6,  35, 20, 56,
                                56, 17, 4,  49, 56,  71, 31, 10, 18, 3, 18, 2,  166};

} // namespace

char32_t Cp1252ToUnicode(unsigned char C) {
    if (C >= 0x80 && C < 0xA0 && Cp1252High[C - 0x80] != 0) return Cp1252High[C - 0x80];
    return C;
}

char32_t DecodeUtf8(std::string_view S, std::size_t& I) {
    const auto B0 = static_cast<unsigned char>(S[I]);
    if (B0 < 0x80) {
        ++I;
        return B0;
    }
    int Len = 0;
    char32_t C = 0, Min = 0;
    if (B0 >= 0xC2 && B0 <= 0xDF) {
        Len = 2;
        C = B0 & 0x1F;
        Min = 0x80;
    } else if (B0 >= 0xE0 && B0 <= 0xEF) {
        Len = 3;
        C = B0 & 0x0F;
        Min = 0x800;
    } else if (B0 >= 0xF0 && B0 <= 0xF4) {
        Len = 4;
        C = B0 & 0x07;
        Min = 0x10000;
    }
    if (Len == 0 || I + Len > S.size()) {
        ++I;
        return Cp1252ToUnicode(B0);
    }
    for (int K = 1; K < Len; ++K) {
        const auto B = static_cast<unsigned char>(S[I + K]);
        if ((B & 0xC0) != 0x80) {
            ++I;
            return Cp1252ToUnicode(B0);
        }
        C = (C << 6) | (B & 0x3F);
    }
    if (C < Min || C > 0x10FFFF || (C >= 0xD800 && C <= 0xDFFF)) {
        ++I;
        return Cp1252ToUnicode(B0);
    }
    I += static_cast<std::size_t>(Len);
    return C;
}

int PointsToPixels(int Points) {
    return RoundDiv(static_cast<long long>(Points) * 96, 72);
}

struct TFontFace::TImpl {
    FT_Face Face = nullptr;
    bool SymbolMap = false;
    std::array<TGlyphBitmap, 256> Glyphs;
    std::array<std::atomic<bool>, 256> Ready{};
    std::array<FT_UInt, 256> Index{};
    // Code points from U+0100 up, rendered on first use; guarded by FreeTypeLock. Nodes never
    // move, so references handed out stay valid for the life of the face.
    std::unordered_map<char32_t, TGlyphBitmap> High;

    ~TImpl() {
        if (Face) {
            std::lock_guard<std::mutex> G(FreeTypeLock());
            FT_Done_Face(Face);
        }
    }
};

TFontFace::TFontFace(TBuildKey, const TFontSpec& S) : FSpec(S), FImpl(std::make_unique<TImpl>()) {
    const int W = S.Weight <= 0 ? 400 : S.Weight;
    const bool WantBold = W >= 600;
    FamilyName = MapFontFamily(S.Name, S.Pitch);
    TFontFile File = FindFontFile(FamilyName, WantBold, S.Italic);
    if (File.Path.empty())
        throw EOutOfResources("No usable font file found for \"" + S.Name + "\" (family " +
                              FamilyName + "); install fonts-liberation");
    FamilyName = File.Family;
    FilePath = File.Path;
    FaceName = S.Name;
    Weight = W;
    Italic = S.Italic;
    Underline = S.Underline;
    StrikeOut = S.StrikeOut;
    Charset = S.Charset;
    SyntheticBold = WantBold && !File.Bold;
    SyntheticItalic = S.Italic && !File.Italic;

    std::lock_guard<std::mutex> G(FreeTypeLock());
    FT_Face Face = nullptr;
    if (FT_New_Face(Library(), FilePath.c_str(), 0, &Face) != 0 || !Face)
        throw EOutOfResources("Cannot open font file " + FilePath);
    FImpl->Face = Face;
    if (!FT_IS_SCALABLE(Face)) throw EOutOfResources("Font file " + FilePath + " is not scalable");

    const long long Upem = Face->units_per_EM > 0 ? Face->units_per_EM : 2048;
    auto* Os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(Face, FT_SFNT_OS2));
    auto* Hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(Face, FT_SFNT_HHEA));
    long long WinAsc = Face->ascender, WinDesc = -Face->descender;
    if (Os2 && Os2->version != 0xFFFF && Os2->usWinAscent + Os2->usWinDescent > 0) {
        WinAsc = Os2->usWinAscent;
        WinDesc = Os2->usWinDescent;
    }
    long long WinSum = std::max<long long>(1, WinAsc + WinDesc);

    int Ppem;
    int CellHeight = S.Height > 0 ? S.Height : (S.Height == 0 ? DefaultCellHeight : 0);
    if (CellHeight > 0)
        Ppem = RoundDiv(static_cast<long long>(CellHeight) * Upem, WinSum);
    else
        Ppem = -static_cast<long long>(S.Height) > MaxEmPixels ? MaxEmPixels : -S.Height;
    Ppem = std::clamp(Ppem, 1, MaxEmPixels);
    if (FT_Set_Pixel_Sizes(Face, 0, static_cast<FT_UInt>(Ppem)) != 0)
        throw EOutOfResources("Cannot size font " + FilePath);

    if (CellHeight > 0 && Ppem == RoundDiv(static_cast<long long>(CellHeight) * Upem, WinSum)) {
        // A cell height is honoured exactly; the ascent takes its share of it.
        Height = CellHeight;
        Ascent = RoundDiv(CellHeight * WinAsc, WinSum);
        Descent = Height - Ascent;
    } else {
        Ascent = CeilDiv(WinAsc * Ppem, Upem);
        Descent = CeilDiv(WinDesc * Ppem, Upem);
        Height = Ascent + Descent;
    }
    InternalLeading = std::max(0, Height - Ppem);
    if (Hhea) {
        long long Gap = Hhea->Line_Gap - (WinSum - (Hhea->Ascender - Hhea->Descender));
        ExternalLeading = Gap > 0 ? RoundDiv(Gap * Ppem, Upem) : 0;
    }

    UnderlineThickness = std::max(1, RoundDiv(Face->underline_thickness * Ppem, Upem));
    UnderlinePosition = std::max(1, RoundDiv(-Face->underline_position * Ppem, Upem));
    if (Os2 && Os2->version != 0xFFFF && Os2->yStrikeoutSize > 0) {
        StrikeOutThickness = std::max(1, RoundDiv(Os2->yStrikeoutSize * Ppem, Upem));
        StrikeOutPosition = std::max(1, RoundDiv(Os2->yStrikeoutPosition * Ppem, Upem));
    } else {
        StrikeOutThickness = UnderlineThickness;
        StrikeOutPosition = std::max(1, Ascent / 3);
    }

    // Symbol faces address their glyphs at U+F000 + byte through the symbol character map.
    if (S.Charset == 2 /* SYMBOL_CHARSET */) {
        if (FT_Select_Charmap(Face, FT_ENCODING_MS_SYMBOL) == 0)
            FImpl->SymbolMap = true;
        else
            FT_Select_Charmap(Face, FT_ENCODING_UNICODE);
    }
    auto AdvanceOf = [&](FT_UInt Gi) {
        int Adv = 0;
        if (FT_Load_Glyph(Face, Gi, FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO) == 0)
            Adv = static_cast<int>((Face->glyph->advance.x + 32) >> 6);
        return Adv + (SyntheticBold ? 1 : 0);
    };
    // The first 256 code points (Latin-1) are the fast path: indexed tables, no lookup.
    for (int C = 0; C < 256; ++C) {
        FT_UInt Gi = FImpl->SymbolMap ? FT_Get_Char_Index(Face, 0xF000 + C) : 0;
        if (!Gi) Gi = FT_Get_Char_Index(Face, static_cast<FT_ULong>(C));
        FImpl->Index[C] = Gi;
        FAdvance[C] = AdvanceOf(Gi);
    }

    long long Sum = 0;
    for (int I = 0; I < 26; ++I)
        Sum += static_cast<long long>(AvgWeights[I]) * FAdvance['a' + I];
    Sum += static_cast<long long>(AvgWeights[26]) * FAdvance[static_cast<unsigned char>(' ')];
    AveCharWidth = std::max(1, RoundDiv(Sum, 1000));
    MaxCharWidth = 0;
    // Over the Windows-1252 repertoire, as the metric has always been defined.
    for (int C = 0x20; C < 256; ++C) {
        const char32_t U = Cp1252ToUnicode(static_cast<unsigned char>(C));
        const int Adv = U < 256 ? FAdvance[U] : AdvanceOf(FT_Get_Char_Index(Face, U));
        MaxCharWidth = std::max(MaxCharWidth, Adv);
    }

    const bool Fixed = FT_IS_FIXED_WIDTH(Face);
    PitchAndFamily = static_cast<uint8_t>((Fixed ? 0 : 1) /* TMPF_FIXED_PITCH means variable */ |
                                          0x04 /* TMPF_TRUETYPE */ | (S.Pitch & 0xF0));
}

TFontFace::~TFontFace() = default;

namespace {

// Windows-1252 byte whose Unicode image is C (0 if none): symbol faces address their glyphs by
// byte, and a legacy byte string reaches them decoded through Windows-1252.
unsigned char SymbolByte(char32_t C) {
    for (int B = 0; B < 32; ++B)
        if (Cp1252High[B] == C) return static_cast<unsigned char>(0x80 + B);
    return 0;
}

} // namespace

// Renders glyph Gi into Out; FreeTypeLock must be held.
void TFontFace::Render(unsigned Gi, TGlyphBitmap& Out) const {
    TImpl& I = *FImpl;
    FT_Face Face = I.Face;
    if (FT_Load_Glyph(Face, Gi, FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO) == 0) {
        FT_GlyphSlot Slot = Face->glyph;
        bool Ok = true;
        if (Slot->format == FT_GLYPH_FORMAT_OUTLINE) {
            if (SyntheticItalic) {
                // The usual 12-degree slant, applied to the hinted outline.
                FT_Matrix Shear{0x10000, 0x0366A, 0, 0x10000};
                FT_Outline_Transform(&Slot->outline, &Shear);
            }
            Ok = FT_Render_Glyph(Slot, FT_RENDER_MODE_MONO) == 0;
        }
        const FT_Bitmap& B = Slot->bitmap;
        if (Ok && B.width > 0 && B.rows > 0 &&
            (B.pixel_mode == FT_PIXEL_MODE_MONO || B.pixel_mode == FT_PIXEL_MODE_GRAY)) {
            const int Extra = SyntheticBold ? 1 : 0;
            Out.Width = static_cast<int>(B.width) + Extra;
            Out.Height = static_cast<int>(B.rows);
            Out.Left = Slot->bitmap_left;
            Out.Top = Slot->bitmap_top;
            Out.Bits.assign(static_cast<std::size_t>(Out.Width) * Out.Height, 0);
            for (int Y = 0; Y < Out.Height; ++Y) {
                const unsigned char* Src =
                    B.pitch >= 0
                        ? B.buffer + static_cast<std::ptrdiff_t>(Y) * B.pitch
                        : B.buffer + static_cast<std::ptrdiff_t>(Out.Height - 1 - Y) * (-B.pitch);
                uint8_t* Dst = Out.Bits.data() + static_cast<std::size_t>(Y) * Out.Width;
                for (unsigned X = 0; X < B.width; ++X) {
                    bool On = B.pixel_mode == FT_PIXEL_MODE_MONO ? (Src[X >> 3] & (0x80 >> (X & 7)))
                                                                 : Src[X] >= 128;
                    if (On) {
                        Dst[X] = 1;
                        // Synthetic bold: the glyph ORed with itself one pixel to the right.
                        if (Extra) Dst[X + 1] = 1;
                    }
                }
            }
        }
    }
}

const TGlyphBitmap& TFontFace::Glyph(char32_t C) const {
    TImpl& I = *FImpl;
    if (C >= 256 && I.SymbolMap)
        if (const unsigned char B = SymbolByte(C)) C = B;
    if (C >= 256) {
        std::lock_guard<std::mutex> G(FreeTypeLock());
        auto [It, New] = I.High.try_emplace(C);
        if (New) {
            const FT_UInt Gi = FT_Get_Char_Index(I.Face, C);
            int Adv = 0;
            if (FT_Load_Glyph(I.Face, Gi, FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO) == 0)
                Adv = static_cast<int>((I.Face->glyph->advance.x + 32) >> 6);
            It->second.Advance = Adv + (SyntheticBold ? 1 : 0);
            Render(Gi, It->second);
        }
        return It->second;
    }
    if (I.Ready[C].load(std::memory_order_acquire)) return I.Glyphs[C];
    std::lock_guard<std::mutex> G(FreeTypeLock());
    if (I.Ready[C].load(std::memory_order_relaxed)) return I.Glyphs[C];

    TGlyphBitmap& Out = I.Glyphs[C];
    Out = TGlyphBitmap{};
    Out.Advance = FAdvance[C];
    Render(I.Index[C], Out);
    I.Ready[C].store(true, std::memory_order_release);
    return Out;
}

int TFontFace::TextWidth(std::string_view S) const {
    int W = 0;
    for (std::size_t I = 0; I < S.size();) {
        const auto B = static_cast<unsigned char>(S[I]);
        if (B < 0x80) {
            W += FAdvance[B];
            ++I;
        } else {
            W += CharWidth(DecodeUtf8(S, I));
        }
    }
    return W;
}

std::shared_ptr<const TFontFace> TFontFace::Acquire(const TFontSpec& Spec) {
    // Faces live as long as anyone holds them; the cache keeps recently used ones alive too,
    // bounded so a program that creates fonts of ever new sizes does not grow without limit.
    static std::mutex Lock;
    struct TEntry {
        std::shared_ptr<const TFontFace> Face;
        unsigned long long Used = 0;
    };
    static std::map<std::string, TEntry> Cache;
    static unsigned long long Tick = 0;
    constexpr std::size_t MaxCached = 128;

    std::string Key = Spec.Name;
    Key += '\0';
    Key += std::to_string(Spec.Height) + ',' + std::to_string(Spec.Weight) + ',' +
           char('0' + Spec.Italic) + char('0' + Spec.Underline) + char('0' + Spec.StrikeOut) + ',' +
           std::to_string(Spec.Charset) + ',' + std::to_string(Spec.Pitch);

    std::lock_guard<std::mutex> G(Lock);
    if (auto It = Cache.find(Key); It != Cache.end()) {
        It->second.Used = ++Tick;
        return It->second.Face;
    }
    auto Face = std::make_shared<const TFontFace>(TBuildKey{}, Spec);
    if (Cache.size() >= MaxCached) {
        auto Oldest = Cache.begin();
        for (auto It = Cache.begin(); It != Cache.end(); ++It)
            if (It->second.Used < Oldest->second.Used) Oldest = It;
        Cache.erase(Oldest);
    }
    Cache[Key] = TEntry{Face, ++Tick};
    return Face;
}

} // namespace qel
