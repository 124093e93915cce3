#pragma once
// Colours as the toolkit stores them. A TColor is either a plain colour (0x00BBGGRR, red in the
// low byte) or, with the top bit set, the index of a system colour that is resolved only when
// something is drawn, so a form keeps following the colour scheme.
#include "toolkit/core/Export.h"

#include <cstdint>
#include <string>
#include <string_view>

QEL_PUBLIC_BEGIN

namespace qel {

using TColor = std::uint32_t;
using COLORREF = std::uint32_t;

// System colour indices.
enum : int {
    COLOR_SCROLLBAR = 0,
    COLOR_BACKGROUND = 1,
    COLOR_DESKTOP = 1,
    COLOR_ACTIVECAPTION = 2,
    COLOR_INACTIVECAPTION = 3,
    COLOR_MENU = 4,
    COLOR_WINDOW = 5,
    COLOR_WINDOWFRAME = 6,
    COLOR_MENUTEXT = 7,
    COLOR_WINDOWTEXT = 8,
    COLOR_CAPTIONTEXT = 9,
    COLOR_ACTIVEBORDER = 10,
    COLOR_INACTIVEBORDER = 11,
    COLOR_APPWORKSPACE = 12,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_BTNFACE = 15,
    COLOR_3DFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_3DSHADOW = 16,
    COLOR_GRAYTEXT = 17,
    COLOR_BTNTEXT = 18,
    COLOR_INACTIVECAPTIONTEXT = 19,
    COLOR_BTNHIGHLIGHT = 20,
    COLOR_3DHIGHLIGHT = 20,
    COLOR_3DHILIGHT = 20,
    COLOR_BTNHILIGHT = 20,
    COLOR_3DDKSHADOW = 21,
    COLOR_3DLIGHT = 22,
    COLOR_INFOTEXT = 23,
    COLOR_INFOBK = 24,
    COLOR_HOTLIGHT = 26,
    COLOR_GRADIENTACTIVECAPTION = 27,
    COLOR_GRADIENTINACTIVECAPTION = 28,
    COLOR_MENUHILIGHT = 29,
    COLOR_MENUBAR = 30,
    COLOR_MAX_INDEX = 30,
};

constexpr TColor clSystemColor = 0x80000000u;

constexpr TColor clScrollBar = clSystemColor | COLOR_SCROLLBAR;
constexpr TColor clBackground = clSystemColor | COLOR_BACKGROUND;
constexpr TColor clActiveCaption = clSystemColor | COLOR_ACTIVECAPTION;
constexpr TColor clInactiveCaption = clSystemColor | COLOR_INACTIVECAPTION;
constexpr TColor clMenu = clSystemColor | COLOR_MENU;
constexpr TColor clWindow = clSystemColor | COLOR_WINDOW;
constexpr TColor clWindowFrame = clSystemColor | COLOR_WINDOWFRAME;
constexpr TColor clMenuText = clSystemColor | COLOR_MENUTEXT;
constexpr TColor clWindowText = clSystemColor | COLOR_WINDOWTEXT;
constexpr TColor clCaptionText = clSystemColor | COLOR_CAPTIONTEXT;
constexpr TColor clActiveBorder = clSystemColor | COLOR_ACTIVEBORDER;
constexpr TColor clInactiveBorder = clSystemColor | COLOR_INACTIVEBORDER;
constexpr TColor clAppWorkSpace = clSystemColor | COLOR_APPWORKSPACE;
constexpr TColor clHighlight = clSystemColor | COLOR_HIGHLIGHT;
constexpr TColor clHighlightText = clSystemColor | COLOR_HIGHLIGHTTEXT;
constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE;
constexpr TColor clBtnShadow = clSystemColor | COLOR_BTNSHADOW;
constexpr TColor clGrayText = clSystemColor | COLOR_GRAYTEXT;
constexpr TColor clBtnText = clSystemColor | COLOR_BTNTEXT;
constexpr TColor clInactiveCaptionText = clSystemColor | COLOR_INACTIVECAPTIONTEXT;
constexpr TColor clBtnHighlight = clSystemColor | COLOR_BTNHIGHLIGHT;
constexpr TColor cl3DDkShadow = clSystemColor | COLOR_3DDKSHADOW;
constexpr TColor cl3DLight = clSystemColor | COLOR_3DLIGHT;
constexpr TColor clInfoText = clSystemColor | COLOR_INFOTEXT;
constexpr TColor clInfoBk = clSystemColor | COLOR_INFOBK;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

constexpr COLORREF RGB(std::uint8_t R, std::uint8_t G, std::uint8_t B) {
    return COLORREF(R) | (COLORREF(G) << 8) | (COLORREF(B) << 16);
}
constexpr std::uint8_t GetRValue(COLORREF C) {
    return std::uint8_t(C & 0xFF);
}
constexpr std::uint8_t GetGValue(COLORREF C) {
    return std::uint8_t((C >> 8) & 0xFF);
}
constexpr std::uint8_t GetBValue(COLORREF C) {
    return std::uint8_t((C >> 16) & 0xFF);
}

// The colour of a system colour index in the classic scheme; 0 for an unknown index.
COLORREF GetSysColor(int Index);
// Changes the scheme (tests, themes). Returns false for an index out of range.
bool SetSysColor(int Index, COLORREF Color);
// Restores the classic scheme.
void ResetSysColors();

// Resolves system colours; plain colours (and clNone/clDefault) come back unchanged.
TColor ColorToRGB(TColor Color);

// "clRed", or "$00BBGGRR" for a colour without a name.
std::string ColorToString(TColor Color);
// Accepts a colour name (case-insensitive), "$hex", "0x"-hex or a decimal integer (negative
// values are the signed reading of the 32 bits). Throws EConvertError otherwise.
TColor StringToColor(std::string_view S);
bool ColorToIdent(TColor Color, std::string& Ident);
bool IdentToColor(std::string_view Ident, TColor& Color);

} // namespace qel

QEL_PUBLIC_END
