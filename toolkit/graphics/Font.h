#pragma once
// TFont: the text settings of a canvas or control. Size and Height are two views of one value
// (Height = -MulDiv(Size, PixelsPerInch, 72), negative: character height without internal
// leading). The font owns one font handle, made on first use and remade after a change.
#include "toolkit/core/Export.h"
#include "toolkit/core/Properties.h"
#include "toolkit/graphics/Colors.h"
#include "toolkit/graphics/GraphicsObject.h"
#include "toolkit/graphics/Windows.h"

#include <cstdint>
#include <memory>
#include <string>

QEL_PUBLIC_BEGIN

namespace qel {

class TFontFace;

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
QEL_ENUM_INFO(TFontStyle, "fsBold", "fsItalic", "fsUnderline", "fsStrikeOut")
using TFontStyles = TSet<TFontStyle>;

enum TFontPitch { fpDefault, fpVariable, fpFixed };
QEL_ENUM_INFO(TFontPitch, "fpDefault", "fpVariable", "fpFixed")

using TFontCharset = std::uint8_t;
enum : TFontCharset {
    ANSI_CHARSET = 0,
    DEFAULT_CHARSET = 1,
    SYMBOL_CHARSET = 2,
    MAC_CHARSET = 77,
    SHIFTJIS_CHARSET = 128,
    HANGEUL_CHARSET = 129,
    GB2312_CHARSET = 134,
    CHINESEBIG5_CHARSET = 136,
    GREEK_CHARSET = 161,
    TURKISH_CHARSET = 162,
    HEBREW_CHARSET = 177,
    ARABIC_CHARSET = 178,
    BALTIC_CHARSET = 186,
    RUSSIAN_CHARSET = 204,
    THAI_CHARSET = 222,
    EASTEUROPE_CHARSET = 238,
    OEM_CHARSET = 255,
};
// "DEFAULT_CHARSET" … as form files write character sets.
bool CharsetToIdent(std::int64_t Charset, std::string& Ident);
bool IdentToCharset(std::string_view Ident, std::int64_t& Charset);
const TIdentMapHooks& CharsetIdentMap();
enum : BYTE { DEFAULT_PITCH = 0, FIXED_PITCH = 1, VARIABLE_PITCH = 2 };
enum : LONG { FW_DONTCARE = 0, FW_NORMAL = 400, FW_BOLD = 700 };

class TFont : public TGraphicsObject {
    QEL_CLASS(TFont, TGraphicsObject)
  public:
    TFont();
    ~TFont() override;

    void Assign(const TPersistent* Source) override;

    TFontCharset Charset() const { return FCharset; }
    void SetCharset(TFontCharset Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    int Height() const { return FHeight; }
    void SetHeight(int Value);
    const std::string& Name() const { return FName; }
    void SetName(const std::string& Value); // an empty name is ignored
    TFontPitch Pitch() const { return FPitch; }
    void SetPitch(TFontPitch Value);
    int Size() const;
    void SetSize(int Value);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles Value);
    // 96 for the screen; Size converts through it.
    int PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int Value);

    HFONT Handle() const;
    // Takes over a font handle: the settings are read from it and the font owns it.
    void SetHandle(HFONT Value);
    // The rasterised face the handle draws with.
    std::shared_ptr<const TFontFace> Face() const;
    LOGFONTA LogFont() const;

    void Changed() override;

  private:
    void FreeHandle() const;

    std::string FName = "MS Sans Serif";
    int FHeight = -11; // Size 8 at 96 pixels per inch
    TFontStyles FStyle;
    TColor FColor = clWindowText;
    TFontCharset FCharset = DEFAULT_CHARSET;
    TFontPitch FPitch = fpDefault;
    int FPixelsPerInch = 96;
    mutable HFONT FHandle = 0;
};

} // namespace qel

QEL_PUBLIC_END
