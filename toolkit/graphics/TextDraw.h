#pragma once
// Formatted text output: DrawTextA / DrawTextExA over the device contexts of Windows.h.
//
// Rules: lines end at CR, LF or CR LF (unless DT_SINGLELINE); DT_WORDBREAK breaks at spaces and
// never splits a word longer than the line; tabs expand to 8 average character widths (or the
// DRAWTEXTPARAMS / DT_TABSTOP length) with DT_EXPANDTABS; '&' underlines the next character
// and "&&" is a literal ampersand unless DT_NOPREFIX; DT_VCENTER and DT_BOTTOM need
// DT_SINGLELINE; DT_CALCRECT measures without drawing; the text is clipped to the rectangle
// unless DT_NOCLIP.
#include "toolkit/core/Export.h"
#include "toolkit/graphics/RasterTypes.h"
#include "toolkit/graphics/Windows.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

class TFontFace;

enum : UINT {
    DT_TOP = 0x00000000,
    DT_LEFT = 0x00000000,
    DT_CENTER = 0x00000001,
    DT_RIGHT = 0x00000002,
    DT_VCENTER = 0x00000004,
    DT_BOTTOM = 0x00000008,
    DT_WORDBREAK = 0x00000010,
    DT_SINGLELINE = 0x00000020,
    DT_EXPANDTABS = 0x00000040,
    DT_TABSTOP = 0x00000080,
    DT_NOCLIP = 0x00000100,
    DT_EXTERNALLEADING = 0x00000200,
    DT_CALCRECT = 0x00000400,
    DT_NOPREFIX = 0x00000800,
    DT_INTERNAL = 0x00001000,
    DT_EDITCONTROL = 0x00002000,
    DT_PATH_ELLIPSIS = 0x00004000,
    DT_END_ELLIPSIS = 0x00008000,
    DT_MODIFYSTRING = 0x00010000,
    DT_RTLREADING = 0x00020000,
    DT_WORD_ELLIPSIS = 0x00040000,
    DT_NOFULLWIDTHCHARBREAK = 0x00080000,
    DT_HIDEPREFIX = 0x00100000,
    DT_PREFIXONLY = 0x00200000,
};

struct DRAWTEXTPARAMS {
    UINT cbSize = sizeof(DRAWTEXTPARAMS);
    int iTabLength = 0; // in average character widths; 0 = 8
    int iLeftMargin = 0;
    int iRightMargin = 0;
    UINT uiLengthDrawn = 0; // out: bytes processed (UTF-8 text)
};
using LPDRAWTEXTPARAMS = DRAWTEXTPARAMS*;

// Returns the height of the text (with DT_VCENTER / DT_BOTTOM: the offset from the rectangle's
// top to the bottom of the text), 0 on failure. Count -1 means a zero-terminated string.
int DrawTextExA(HDC Hdc, const char* Text, int Count, TRect* R, UINT Format,
                DRAWTEXTPARAMS* Params);
int DrawTextA(HDC Hdc, const char* Text, int Count, TRect* R, UINT Format);

// The layout DrawTextExA draws, computed without a device context (tests, measuring).
struct TTextLine {
    std::string Text;        // characters to draw (prefixes removed, ellipsis applied)
    std::vector<int> Accels; // byte offsets into Text of characters to underline
    int X = 0, Y = 0;        // top-left of the line's cell
    int Width = 0;           // advance width including expanded tabs
};
struct TTextLayout {
    std::vector<TTextLine> Lines;
    TRect Bounds;   // the rectangle DT_CALCRECT reports
    int Result = 0; // DrawTextExA's return value
    int LineHeight = 0;
    int TabWidth = 0; // 0 when tabs are not expanded
    TRect Clip;       // the formatting rectangle after margins
};
TTextLayout LayoutText(const TFontFace& Face, std::string_view Text, const TRect& R, UINT Format,
                       const DRAWTEXTPARAMS* Params = nullptr);
// Advance width of S starting at pen offset X0 of its line (tabs move to the next stop when
// TabWidth > 0).
int MeasureLine(const TFontFace& Face, std::string_view S, int TabWidth, int X0 = 0);

} // namespace qel

QEL_PUBLIC_END
