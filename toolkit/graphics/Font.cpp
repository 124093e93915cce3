#include "toolkit/graphics/Font.h"

#include "toolkit/graphics/FontEngine.h"

#include <algorithm>
#include <cstring>

namespace qel {

namespace {
struct TCharsetName {
    TFontCharset Value;
    const char* Name;
};
constexpr TCharsetName CharsetNames[] = {
    {ANSI_CHARSET, "ANSI_CHARSET"},         {DEFAULT_CHARSET, "DEFAULT_CHARSET"},
    {SYMBOL_CHARSET, "SYMBOL_CHARSET"},     {MAC_CHARSET, "MAC_CHARSET"},
    {SHIFTJIS_CHARSET, "SHIFTJIS_CHARSET"}, {HANGEUL_CHARSET, "HANGEUL_CHARSET"},
    {GB2312_CHARSET, "GB2312_CHARSET"},     {CHINESEBIG5_CHARSET, "CHINESEBIG5_CHARSET"},
    {GREEK_CHARSET, "GREEK_CHARSET"},       {TURKISH_CHARSET, "TURKISH_CHARSET"},
    {HEBREW_CHARSET, "HEBREW_CHARSET"},     {ARABIC_CHARSET, "ARABIC_CHARSET"},
    {BALTIC_CHARSET, "BALTIC_CHARSET"},     {RUSSIAN_CHARSET, "RUSSIAN_CHARSET"},
    {THAI_CHARSET, "THAI_CHARSET"},         {EASTEUROPE_CHARSET, "EASTEUROPE_CHARSET"},
    {OEM_CHARSET, "OEM_CHARSET"},
};
} // namespace

bool CharsetToIdent(std::int64_t Charset, std::string& Ident) {
    for (const auto& C : CharsetNames)
        if (C.Value == Charset) {
            Ident = C.Name;
            return true;
        }
    return false;
}

bool IdentToCharset(std::string_view Ident, std::int64_t& Charset) {
    for (const auto& C : CharsetNames)
        if (Ident == C.Name) {
            Charset = C.Value;
            return true;
        }
    return false;
}

const TIdentMapHooks& CharsetIdentMap() {
    static const TIdentMapHooks Map{IdentToCharset, CharsetToIdent};
    return Map;
}

namespace {
void DescribeFont(TClassBuilder<TFont>& B) {
    B.Integer("Charset", &TFont::Charset, &TFont::SetCharset)
        .SetDefault(DEFAULT_CHARSET)
        .WithIdents(CharsetIdentMap());
    B.Color("Color", &TFont::Color, &TFont::SetColor).SetDefault(clWindowText);
    // Height has no default: a form always records the font's size.
    B.Integer("Height", &TFont::Height, &TFont::SetHeight).NoDefault();
    B.String("Name", &TFont::Name, &TFont::SetName);
    B.Enum("Pitch", &TFont::Pitch, &TFont::SetPitch).SetDefault(fpDefault);
    // Size is Height seen in points; only Height is stored.
    B.Integer("Size", &TFont::Size, &TFont::SetSize).Stored(false);
    // No default either: a control whose constructor sets a style (a bold label) must get an
    // empty style back from its form file.
    B.Set<TFontStyle>("Style", &TFont::Style, &TFont::SetStyle).NoDefault();
}
} // namespace

QEL_IMPLEMENT_CLASS(TFont, TGraphicsObject, DescribeFont)

TFont::TFont() = default;

TFont::~TFont() {
    FreeHandle();
}

void TFont::FreeHandle() const {
    if (FHandle) DeleteObject(FHandle);
    FHandle = 0;
}

void TFont::Changed() {
    FreeHandle();
    TGraphicsObject::Changed();
}

void TFont::Assign(const TPersistent* Source) {
    if (auto* F = dynamic_cast<const TFont*>(Source)) {
        if (F == this) return;
        FName = F->FName;
        // Between resolutions the point size is what carries over.
        FHeight = F->FPixelsPerInch == FPixelsPerInch ? F->FHeight
                                                      : -MulDiv(F->Size(), FPixelsPerInch, 72);
        FStyle = F->FStyle;
        FColor = F->FColor;
        FCharset = F->FCharset;
        FPitch = F->FPitch;
        Changed();
        return;
    }
    TGraphicsObject::Assign(Source);
}

void TFont::SetCharset(TFontCharset Value) {
    FCharset = Value;
    Changed();
}

void TFont::SetColor(TColor Value) {
    if (Value == FColor) return;
    FColor = Value;
    Changed();
}

void TFont::SetHeight(int Value) {
    FHeight = Value;
    Changed();
}

void TFont::SetName(const std::string& Value) {
    if (Value.empty()) return;
    FName = Value;
    Changed();
}

void TFont::SetPitch(TFontPitch Value) {
    FPitch = Value;
    Changed();
}

int TFont::Size() const {
    return -MulDiv(FHeight, 72, FPixelsPerInch);
}

void TFont::SetSize(int Value) {
    SetHeight(-MulDiv(Value, FPixelsPerInch, 72));
}

void TFont::SetStyle(TFontStyles Value) {
    FStyle = Value;
    Changed();
}

void TFont::SetPixelsPerInch(int Value) {
    if (Value > 0) FPixelsPerInch = Value;
}

LOGFONTA TFont::LogFont() const {
    LOGFONTA Lf;
    Lf.lfHeight = FHeight;
    Lf.lfWeight = FStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    Lf.lfItalic = FStyle.Contains(fsItalic) ? 1 : 0;
    Lf.lfUnderline = FStyle.Contains(fsUnderline) ? 1 : 0;
    Lf.lfStrikeOut = FStyle.Contains(fsStrikeOut) ? 1 : 0;
    Lf.lfCharSet = FCharset;
    Lf.lfPitchAndFamily = FPitch == fpFixed      ? FIXED_PITCH
                          : FPitch == fpVariable ? VARIABLE_PITCH
                                                 : DEFAULT_PITCH;
    const std::size_t N = std::min<std::size_t>(FName.size(), LF_FACESIZE - 1);
    std::memcpy(Lf.lfFaceName, FName.data(), N);
    Lf.lfFaceName[N] = '\0';
    return Lf;
}

HFONT TFont::Handle() const {
    if (!FHandle) {
        const LOGFONTA Lf = LogFont();
        FHandle = CreateFontIndirectA(&Lf);
    }
    return FHandle;
}

void TFont::SetHandle(HFONT Value) {
    LOGFONTA Lf;
    if (!Value || GetObjectA(Value, sizeof(Lf), &Lf) != static_cast<int>(sizeof(Lf))) return;
    FreeHandle();
    FName = std::string(Lf.lfFaceName, strnlen(Lf.lfFaceName, LF_FACESIZE));
    FHeight = Lf.lfHeight;
    TFontStyles S;
    if (Lf.lfWeight >= 600) S.Include(fsBold);
    if (Lf.lfItalic) S.Include(fsItalic);
    if (Lf.lfUnderline) S.Include(fsUnderline);
    if (Lf.lfStrikeOut) S.Include(fsStrikeOut);
    FStyle = S;
    FCharset = Lf.lfCharSet;
    const int P = Lf.lfPitchAndFamily & 3;
    FPitch = P == FIXED_PITCH ? fpFixed : P == VARIABLE_PITCH ? fpVariable : fpDefault;
    TGraphicsObject::Changed();
    FHandle = Value;
}

std::shared_ptr<const TFontFace> TFont::Face() const {
    return GetFontFace(Handle());
}

} // namespace qel
