#pragma once
// The font engine: turns a logical font (the fields of a LOGFONT) into a rasterised face whose
// glyphs are strictly on or off. Colour keys, masks and "replace colour X" drawing paths only
// work if text produces exactly the colours that were asked for, so there is no anti-aliasing.
//
// Strings are UTF-8, one glyph per code point. A byte that does not start a well-formed
// sequence stands for itself as Windows-1252, so legacy byte strings still draw sensibly.
// Faces are shared and cached: Acquire returns the same immutable face for equal specs, and a
// face may be used from any thread.
#include "toolkit/core/Export.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

struct TFontSpec {
    std::string Name; // face name as a LOGFONT carries it ("MS Sans Serif", "Arial" ...)
    // < 0: character height (em size, clamped to 2048), > 0: cell height, 0: a 16-pixel cell
    int Height = 0;
    int Weight = 400; // 0 (don't care) counts as 400; >= 600 selects bold
    bool Italic = false, Underline = false, StrikeOut = false;
    uint8_t Charset = 1; // DEFAULT_CHARSET
    uint8_t Pitch = 0;   // lfPitchAndFamily: pitch in the low bits, family in the high nibble

    bool operator==(const TFontSpec&) const = default;
};

// Bits: one byte per pixel, 0 or 1, rows top-down. Left/Top are relative to the pen x and the
// baseline (Top = rows above the baseline, so the first row is at baseline - Top).
struct TGlyphBitmap {
    int Left = 0, Top = 0, Width = 0, Height = 0, Advance = 0;
    std::vector<uint8_t> Bits;

    bool Pixel(int X, int Y) const { return Bits[static_cast<std::size_t>(Y) * Width + X] != 0; }
};

class TFontFace {
  public:
    // Never fails for a well-formed request: unknown names fall back to the default family.
    static std::shared_ptr<const TFontFace> Acquire(const TFontSpec& Spec);

    // TEXTMETRIC-like values in pixels. Height = Ascent + Descent; InternalLeading = Height -
    // character height (the em size the glyphs were rendered at).
    int Height = 0, Ascent = 0, Descent = 0, InternalLeading = 0, ExternalLeading = 0;
    int AveCharWidth = 0, MaxCharWidth = 0, Weight = 400;
    bool Italic = false, Underline = false, StrikeOut = false;
    uint8_t Charset = 1, PitchAndFamily = 0;
    // Decoration lines: rows relative to the baseline (positive = below for the underline,
    // positive = above for the strike-out line) and their thickness in rows.
    int UnderlinePosition = 1, UnderlineThickness = 1;
    int StrikeOutPosition = 3, StrikeOutThickness = 1;
    bool SyntheticBold = false, SyntheticItalic = false;
    std::string FaceName;   // the name the caller asked for (GetTextFaceA reports it)
    std::string FamilyName; // the installed family actually used
    std::string FilePath;   // the font file actually used

    const TFontSpec& Spec() const { return FSpec; }
    // Glyphs are rendered on first use and then kept for the life of the face.
    // Code points without a glyph in the face draw its .notdef glyph.
    const TGlyphBitmap& Glyph(char32_t C) const;
    int CharWidth(char32_t C) const { return C < 256 ? FAdvance[C] : Glyph(C).Advance; }
    int TextWidth(std::string_view Utf8) const;
    int EmHeight() const { return Height - InternalLeading; }

    // Internal: use Acquire. Public only so the cache can construct faces with make_shared.
    struct TBuildKey {};
    TFontFace(TBuildKey, const TFontSpec& Spec);
    ~TFontFace();
    TFontFace(const TFontFace&) = delete;
    TFontFace& operator=(const TFontFace&) = delete;

  private:
    void Render(unsigned GlyphIndex, TGlyphBitmap& Out) const;
    struct TImpl;
    TFontSpec FSpec;
    int FAdvance[256] = {};
    std::unique_ptr<TImpl> FImpl; // FreeType face and the lazily rendered glyphs
};

// Windows-1252 byte to Unicode code point (undefined bytes map to themselves).
char32_t Cp1252ToUnicode(unsigned char C);

// Decodes the code point starting at S[I] and moves I past it. An ill-formed sequence
// (truncated, overlong, a surrogate, beyond U+10FFFF) consumes one byte, read as Windows-1252.
char32_t DecodeUtf8(std::string_view S, std::size_t& I);

// Character height for a point size at the toolkit's fixed 96 pixels per inch, rounded as
// MulDiv does: -Height of a LOGFONT.
int PointsToPixels(int Points);

} // namespace qel

QEL_PUBLIC_END
