#include "toolkit/graphics/Colors.h"

#include "toolkit/core/Exceptions.h"
#include "toolkit/core/TextUtils.h"

#include <array>
#include <atomic>
#include <cctype>
#include <charconv>
#include <cstdio>

namespace qel {

namespace {

// Classic scheme, written as RGB() so the table reads like a colour picker.
constexpr std::array<COLORREF, COLOR_MAX_INDEX + 1> ClassicScheme = {
    RGB(0xC0, 0xC0, 0xC0), // scroll bar
    RGB(0x00, 0x80, 0x80), // desktop
    RGB(0x00, 0x00, 0x80), // active caption
    RGB(0x80, 0x80, 0x80), // inactive caption
    RGB(0xC0, 0xC0, 0xC0), // menu
    RGB(0xFF, 0xFF, 0xFF), // window
    RGB(0x00, 0x00, 0x00), // window frame
    RGB(0x00, 0x00, 0x00), // menu text
    RGB(0x00, 0x00, 0x00), // window text
    RGB(0xFF, 0xFF, 0xFF), // caption text
    RGB(0xC0, 0xC0, 0xC0), // active border
    RGB(0xC0, 0xC0, 0xC0), // inactive border
    RGB(0x80, 0x80, 0x80), // application workspace
    RGB(0x00, 0x00, 0x80), // highlight
    RGB(0xFF, 0xFF, 0xFF), // highlight text
    RGB(0xC0, 0xC0, 0xC0), // button face
    RGB(0x80, 0x80, 0x80), // button shadow
    RGB(0x80, 0x80, 0x80), // grey text
    RGB(0x00, 0x00, 0x00), // button text
    RGB(0xC0, 0xC0, 0xC0), // inactive caption text
    RGB(0xFF, 0xFF, 0xFF), // button highlight
    RGB(0x40, 0x40, 0x40), // 3D dark shadow
    RGB(0xC0, 0xC0, 0xC0), // 3D light
    RGB(0x00, 0x00, 0x00), // info text
    RGB(0xFF, 0xFF, 0xE1), // info background
    RGB(0xB5, 0xB5, 0xB5), // (unused slot)
    RGB(0x00, 0x00, 0xFF), // hot-tracked item
    RGB(0x10, 0x84, 0xD0), // gradient of the active caption
    RGB(0xB5, 0xB5, 0xB5), // gradient of the inactive caption
    RGB(0x00, 0x00, 0x80), // menu highlight
    RGB(0xC0, 0xC0, 0xC0), // menu bar
};

struct TScheme {
    std::array<std::atomic<COLORREF>, COLOR_MAX_INDEX + 1> C;
    TScheme() {
        for (std::size_t I = 0; I < C.size(); ++I)
            C[I].store(ClassicScheme[I]);
    }
};

std::array<std::atomic<COLORREF>, COLOR_MAX_INDEX + 1>& Scheme() {
    static TScheme S;
    return S.C;
}

struct TColorIdent {
    TColor Value;
    const char* Name;
};

// Names in the order ColorToIdent searches them: the first name of a value wins, so the
// aliases clLtGray and clDkGray are read but never written.
constexpr TColorIdent ColorIdents[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clLtGray, "clLtGray"},
    {clDkGray, "clDkGray"},
    {clScrollBar, "clScrollBar"},
    {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"},
    {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"},
    {clNone, "clNone"},
    {clDefault, "clDefault"},
};

// Integer forms a form file or a user may write: $hex, 0xhex, decimal with optional sign.
// Values must fit 32 bits, read as unsigned for hex and as signed or unsigned for decimal.
bool ParseColorNumber(std::string_view S, TColor& Out) {
    S = TrimSpaceView(S);
    if (S.empty()) return false;
    int Base = 10;
    bool Negative = false;
    if (S.front() == '$') {
        Base = 16;
        S.remove_prefix(1);
    } else if (S.size() > 2 && S[0] == '0' && (S[1] == 'x' || S[1] == 'X')) {
        Base = 16;
        S.remove_prefix(2);
    } else if (S.front() == '-' || S.front() == '+') {
        Negative = S.front() == '-';
        S.remove_prefix(1);
    }
    if (S.empty()) return false;
    std::uint64_t V = 0;
    auto [Ptr, Ec] = std::from_chars(S.data(), S.data() + S.size(), V, Base);
    if (Ec != std::errc() || Ptr != S.data() + S.size()) return false;
    if (Negative) {
        if (V > 0x80000000ull) return false;
        Out = static_cast<TColor>(0u - static_cast<std::uint32_t>(V));
        return true;
    }
    if (V > 0xFFFFFFFFull) return false;
    Out = static_cast<TColor>(V);
    return true;
}

} // namespace

COLORREF GetSysColor(int Index) {
    if (Index < 0 || Index > COLOR_MAX_INDEX) return 0;
    return Scheme()[static_cast<std::size_t>(Index)].load(std::memory_order_relaxed);
}

bool SetSysColor(int Index, COLORREF Color) {
    if (Index < 0 || Index > COLOR_MAX_INDEX) return false;
    Scheme()[static_cast<std::size_t>(Index)].store(Color & 0xFFFFFF);
    return true;
}

void ResetSysColors() {
    for (std::size_t I = 0; I < ClassicScheme.size(); ++I)
        Scheme()[I].store(ClassicScheme[I]);
}

TColor ColorToRGB(TColor Color) {
    if (Color & clSystemColor) return GetSysColor(static_cast<int>(Color & 0xFF));
    return Color;
}

bool ColorToIdent(TColor Color, std::string& Ident) {
    for (const auto& E : ColorIdents)
        if (E.Value == Color) {
            Ident = E.Name;
            return true;
        }
    return false;
}

bool IdentToColor(std::string_view Ident, TColor& Color) {
    Ident = TrimSpaceView(Ident);
    for (const auto& E : ColorIdents)
        if (SameText(E.Name, Ident)) {
            Color = E.Value;
            return true;
        }
    return false;
}

std::string ColorToString(TColor Color) {
    std::string S;
    if (ColorToIdent(Color, S)) return S;
    char Buf[16];
    std::snprintf(Buf, sizeof Buf, "$%08X", static_cast<unsigned>(Color));
    return Buf;
}

TColor StringToColor(std::string_view S) {
    TColor C = 0;
    if (IdentToColor(S, C)) return C;
    if (ParseColorNumber(S, C)) return C;
    throw EConvertError("'" + std::string(S) + "' is not a valid colour value");
}

} // namespace qel
