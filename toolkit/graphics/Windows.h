#pragma once
// The classic GDI and USER drawing calls over software surfaces.
//
// Handles are integers into one process-wide table. Every handle carries its object type and a
// generation, so a call with a stale handle or a handle of the wrong type fails the way the
// platform reports it (FALSE, 0, nullptr handle, ERROR) and never touches freed memory.
// The calls are meant for the GUI thread; the handle table itself is safe to use from others.
//
// Coordinates: logical = device (no mapping modes beyond an origin). A device context has a
// device origin inside its surface (a child control drawing on its parent's surface), a
// viewport and window origin, and a clip region in device coordinates.
//
// Monochrome bitmaps keep their pixels as 0x000000 / 0xFFFFFF in an ordinary surface; blits
// convert the way the platform does: mono -> colour maps 0 to the text colour and 1 to the
// background colour, colour -> mono maps the background colour to 1 and everything else to 0.
//
// Hooks for the other layers:
//  - CreateDCForSurface: a DC drawing on any surface (windows, off-screen buffers).
//  - SetScreenSurface: the surface "DISPLAY" DCs and GetDC(0) draw on.
//  - SetWindowDCHooks: GetDC/ReleaseDC for window handles (installed by the window layer).
//  - GetBitmapSurface / CreateBitmapFromSurface: direct pixel access for bitmaps and codecs.
#include "toolkit/core/Export.h"
#include "toolkit/graphics/Colors.h"
#include "toolkit/graphics/RasterTypes.h"
#include "toolkit/graphics/Surface.h"

#include <cstdint>
#include <functional>
#include <memory>

QEL_PUBLIC_BEGIN

namespace qel {

class TFontFace;

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using LONG = std::int32_t;
using INT = int;
using LPCSTR = const char*;
using LPSTR = char*;

using HANDLE = std::uintptr_t;
using HGDIOBJ = HANDLE;
using HDC = HANDLE;
using HBITMAP = HANDLE;
using HPEN = HANDLE;
using HBRUSH = HANDLE;
using HFONT = HANDLE;
using HRGN = HANDLE;
using HWND = HANDLE;
using HPALETTE = HANDLE;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;
constexpr int CLR_INVALID = -1;
constexpr COLORREF CLR_INVALID_COLOR = 0xFFFFFFFF;
constexpr int GDI_ERROR = -1;

// Object types (GetObjectType).
enum : DWORD {
    OBJ_PEN = 1,
    OBJ_BRUSH = 2,
    OBJ_DC = 3,
    OBJ_FONT = 6,
    OBJ_BITMAP = 7,
    OBJ_REGION = 8,
    OBJ_MEMDC = 10,
};

// Pen styles.
enum : UINT {
    PS_SOLID = 0,
    PS_DASH = 1,
    PS_DOT = 2,
    PS_DASHDOT = 3,
    PS_DASHDOTDOT = 4,
    PS_NULL = 5,
    PS_INSIDEFRAME = 6,
    PS_STYLE_MASK = 0x0000000F,
    PS_ENDCAP_ROUND = 0x00000000,
    PS_ENDCAP_SQUARE = 0x00000100,
    PS_ENDCAP_FLAT = 0x00000200,
    PS_ENDCAP_MASK = 0x00000F00,
    PS_JOIN_ROUND = 0x00000000,
    PS_JOIN_BEVEL = 0x00001000,
    PS_JOIN_MITER = 0x00002000,
    PS_COSMETIC = 0x00000000,
    PS_GEOMETRIC = 0x00010000,
    PS_TYPE_MASK = 0x000F0000,
};

// Brush styles and hatches.
enum : UINT {
    BS_SOLID = 0,
    BS_NULL = 1,
    BS_HOLLOW = 1,
    BS_HATCHED = 2,
    BS_PATTERN = 3,
};
enum : int {
    HS_HORIZONTAL = 0,
    HS_VERTICAL = 1,
    HS_FDIAGONAL = 2,
    HS_BDIAGONAL = 3,
    HS_CROSS = 4,
    HS_DIAGCROSS = 5,
};

// Stock objects.
enum : int {
    WHITE_BRUSH = 0,
    LTGRAY_BRUSH = 1,
    GRAY_BRUSH = 2,
    DKGRAY_BRUSH = 3,
    BLACK_BRUSH = 4,
    NULL_BRUSH = 5,
    HOLLOW_BRUSH = 5,
    WHITE_PEN = 6,
    BLACK_PEN = 7,
    NULL_PEN = 8,
    OEM_FIXED_FONT = 10,
    ANSI_FIXED_FONT = 11,
    ANSI_VAR_FONT = 12,
    SYSTEM_FONT = 13,
    DEVICE_DEFAULT_FONT = 14,
    SYSTEM_FIXED_FONT = 16,
    DEFAULT_GUI_FONT = 17,
    DC_BRUSH = 18,
    DC_PEN = 19,
    STOCK_LAST = 19,
};

// Background modes.
enum : int { TRANSPARENT = 1, OPAQUE = 2 };

// Binary raster operations (SetROP2).
enum : int {
    R2_BLACK = 1,
    R2_NOTMERGEPEN = 2,
    R2_MASKNOTPEN = 3,
    R2_NOTCOPYPEN = 4,
    R2_MASKPENNOT = 5,
    R2_NOT = 6,
    R2_XORPEN = 7,
    R2_NOTMASKPEN = 8,
    R2_MASKPEN = 9,
    R2_NOTXORPEN = 10,
    R2_NOP = 11,
    R2_MERGENOTPEN = 12,
    R2_COPYPEN = 13,
    R2_MERGEPENNOT = 14,
    R2_MERGEPEN = 15,
    R2_WHITE = 16,
};

// Ternary raster operations: the ROP3 index (truth table over P = F0, S = CC, D = AA) sits in
// bits 16..23; the low word is the platform's operation code and is ignored here.
enum : DWORD {
    SRCCOPY = 0x00CC0020,
    SRCPAINT = 0x00EE0086,
    SRCAND = 0x008800C6,
    SRCINVERT = 0x00660046,
    SRCERASE = 0x00440328,
    NOTSRCCOPY = 0x00330008,
    NOTSRCERASE = 0x001100A6,
    MERGECOPY = 0x00C000CA,
    MERGEPAINT = 0x00BB0226,
    PATCOPY = 0x00F00021,
    PATPAINT = 0x00FB0A09,
    PATINVERT = 0x005A0049,
    DSTINVERT = 0x00550009,
    BLACKNESS = 0x00000042,
    WHITENESS = 0x00FF0062,
};
// A ternary code from its ROP3 index alone (the low word does not matter here).
constexpr DWORD Rop3(BYTE Index) {
    return DWORD(Index) << 16;
}

// Stretch modes.
enum : int {
    BLACKONWHITE = 1,
    WHITEONBLACK = 2,
    COLORONCOLOR = 3,
    HALFTONE = 4,
    STRETCH_ANDSCANS = 1,
    STRETCH_ORSCANS = 2,
    STRETCH_DELETESCANS = 3,
    STRETCH_HALFTONE = 4,
};

// Polygon fill modes.
enum : int { ALTERNATE = 1, WINDING = 2 };

// Region results and combine modes.
enum : int { ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3 };
enum : int { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };

// Text alignment.
enum : UINT {
    TA_NOUPDATECP = 0,
    TA_UPDATECP = 1,
    TA_LEFT = 0,
    TA_RIGHT = 2,
    TA_CENTER = 6,
    TA_TOP = 0,
    TA_BOTTOM = 8,
    TA_BASELINE = 24,
};
// ExtTextOut options.
enum : UINT { ETO_OPAQUE = 0x0002, ETO_CLIPPED = 0x0004 };

// DrawEdge.
enum : UINT {
    BDR_RAISEDOUTER = 0x0001,
    BDR_SUNKENOUTER = 0x0002,
    BDR_RAISEDINNER = 0x0004,
    BDR_SUNKENINNER = 0x0008,
    BDR_OUTER = 0x0003,
    BDR_INNER = 0x000C,
    BDR_RAISED = 0x0005,
    BDR_SUNKEN = 0x000A,
    EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER,
    EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,
    EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER,
    EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER,
    BF_LEFT = 0x0001,
    BF_TOP = 0x0002,
    BF_RIGHT = 0x0004,
    BF_BOTTOM = 0x0008,
    BF_TOPLEFT = BF_TOP | BF_LEFT,
    BF_TOPRIGHT = BF_TOP | BF_RIGHT,
    BF_BOTTOMLEFT = BF_BOTTOM | BF_LEFT,
    BF_BOTTOMRIGHT = BF_BOTTOM | BF_RIGHT,
    BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM,
    BF_DIAGONAL = 0x0010,
    BF_DIAGONAL_ENDTOPRIGHT = BF_DIAGONAL | BF_TOP | BF_RIGHT,
    BF_DIAGONAL_ENDTOPLEFT = BF_DIAGONAL | BF_TOP | BF_LEFT,
    BF_DIAGONAL_ENDBOTTOMLEFT = BF_DIAGONAL | BF_BOTTOM | BF_LEFT,
    BF_DIAGONAL_ENDBOTTOMRIGHT = BF_DIAGONAL | BF_BOTTOM | BF_RIGHT,
    BF_MIDDLE = 0x0800,
    BF_SOFT = 0x1000,
    BF_ADJUST = 0x2000,
    BF_FLAT = 0x4000,
    BF_MONO = 0x8000,
};

struct LOGPEN {
    UINT lopnStyle = PS_SOLID;
    TPoint lopnWidth{1, 0};
    COLORREF lopnColor = 0;
};

struct LOGBRUSH {
    UINT lbStyle = BS_SOLID;
    COLORREF lbColor = 0;
    std::uintptr_t lbHatch = 0; // hatch style, or the HBITMAP of a pattern brush
};

struct EXTLOGPEN {
    DWORD elpPenStyle = PS_SOLID;
    DWORD elpWidth = 1;
    UINT elpBrushStyle = BS_SOLID;
    COLORREF elpColor = 0;
    std::uintptr_t elpHatch = 0;
};

struct BITMAP {
    LONG bmType = 0;
    LONG bmWidth = 0;
    LONG bmHeight = 0;
    LONG bmWidthBytes = 0;
    WORD bmPlanes = 1;
    WORD bmBitsPixel = 32;
    void* bmBits = nullptr; // the surface's pixels for colour bitmaps, nullptr for mono ones
};

constexpr int LF_FACESIZE = 32;

struct LOGFONTA {
    LONG lfHeight = 0;
    LONG lfWidth = 0;
    LONG lfEscapement = 0;
    LONG lfOrientation = 0;
    LONG lfWeight = 400;
    BYTE lfItalic = 0;
    BYTE lfUnderline = 0;
    BYTE lfStrikeOut = 0;
    BYTE lfCharSet = 1;
    BYTE lfOutPrecision = 0;
    BYTE lfClipPrecision = 0;
    BYTE lfQuality = 0;
    BYTE lfPitchAndFamily = 0;
    char lfFaceName[LF_FACESIZE] = {};
};

struct TEXTMETRICA {
    LONG tmHeight = 0;
    LONG tmAscent = 0;
    LONG tmDescent = 0;
    LONG tmInternalLeading = 0;
    LONG tmExternalLeading = 0;
    LONG tmAveCharWidth = 0;
    LONG tmMaxCharWidth = 0;
    LONG tmWeight = 0;
    LONG tmOverhang = 0;
    LONG tmDigitizedAspectX = 96;
    LONG tmDigitizedAspectY = 96;
    BYTE tmFirstChar = 0x20;
    BYTE tmLastChar = 0xFF;
    BYTE tmDefaultChar = 0x1F;
    BYTE tmBreakChar = 0x20;
    BYTE tmItalic = 0;
    BYTE tmUnderlined = 0;
    BYTE tmStruckOut = 0;
    BYTE tmPitchAndFamily = 0;
    BYTE tmCharSet = 0;
};

// ---- Rectangles and arithmetic (USER / kernel) ----
BOOL SetRect(TRect* R, int Left, int Top, int Right, int Bottom);
BOOL SetRectEmpty(TRect* R);
BOOL CopyRect(TRect* Dst, const TRect* Src);
BOOL InflateRect(TRect* R, int Dx, int Dy);
BOOL OffsetRect(TRect* R, int Dx, int Dy);
BOOL IsRectEmpty(const TRect* R);
BOOL PtInRect(const TRect* R, TPoint P);
BOOL EqualRect(const TRect* A, const TRect* B);
// Both return FALSE and an empty Dst when the result is empty.
BOOL IntersectRect(TRect* Dst, const TRect* A, const TRect* B);
BOOL UnionRect(TRect* Dst, const TRect* A, const TRect* B);
BOOL SubtractRect(TRect* Dst, const TRect* A, const TRect* B);
// a * b / c rounded to nearest, halves away from zero; -1 when c is 0 or the result overflows.
int MulDiv(int A, int B, int C);

// ---- Device contexts ----
HDC CreateCompatibleDC(HDC Hdc);
// "DISPLAY" gives a DC on the screen surface; other drivers fail.
HDC CreateDCA(LPCSTR Driver, LPCSTR Device = nullptr, LPCSTR Output = nullptr,
              const void* InitData = nullptr);
BOOL DeleteDC(HDC Hdc);
// A DC drawing on Surface, with its device origin at (OriginX, OriginY) of the surface and
// drawing limited to Visible (device coordinates; nullptr = the whole surface). The surface
// must outlive the DC. Free it with DeleteDC.
HDC CreateDCForSurface(TSurface* Surface, int OriginX = 0, int OriginY = 0,
                       const TRect* Visible = nullptr);
// Changes the surface, origin and visible rectangle of a DC made by CreateDCForSurface
// (windows that move or resize keep their DC).
BOOL SetDCSurface(HDC Hdc, TSurface* Surface, int OriginX, int OriginY, const TRect* Visible);
// The surface a DC draws on (the selected bitmap's for memory DCs).
TSurface* GetDCSurface(HDC Hdc);
// Device origin of the DC in its surface.
BOOL GetDCOrgEx(HDC Hdc, TPoint* P);

// Screen: by default a 1024 x 768 surface owned here; the window backend installs its own.
void SetScreenSurface(TSurface* Surface);
TSurface* GetScreenSurface();
// Window DCs. Without hooks GetDC(0) gives a screen DC and other windows fail.
using TGetDCHook = std::function<HDC(HWND)>;
using TReleaseDCHook = std::function<int(HWND, HDC)>;
void SetWindowDCHooks(TGetDCHook GetHook, TReleaseDCHook ReleaseHook);
HDC GetDC(HWND Wnd);
int ReleaseDC(HWND Wnd, HDC Hdc);

int SaveDC(HDC Hdc);
BOOL RestoreDC(HDC Hdc, int Saved);

// ---- Objects ----
HGDIOBJ SelectObject(HDC Hdc, HGDIOBJ Obj);
BOOL DeleteObject(HGDIOBJ Obj);
HGDIOBJ GetStockObject(int Which);
HGDIOBJ GetCurrentObject(HDC Hdc, UINT Type);
DWORD GetObjectType(HGDIOBJ Obj);
// Fills a LOGPEN, LOGBRUSH, BITMAP, LOGFONTA or EXTLOGPEN (by size); returns bytes written.
int GetObjectA(HGDIOBJ Obj, int Size, void* Out);
inline int GetObject(HGDIOBJ Obj, int Size, void* Out) {
    return GetObjectA(Obj, Size, Out);
}
BOOL UnrealizeObject(HGDIOBJ Obj);
BOOL GdiFlush();

HPEN CreatePen(int Style, int Width, COLORREF Color);
HPEN CreatePenIndirect(const LOGPEN* Lp);
HPEN ExtCreatePen(DWORD Style, DWORD Width, const LOGBRUSH* Lb, DWORD StyleCount = 0,
                  const DWORD* StyleBits = nullptr);
HBRUSH CreateSolidBrush(COLORREF Color);
HBRUSH CreateHatchBrush(int Hatch, COLORREF Color);
HBRUSH CreatePatternBrush(HBITMAP Bitmap);
HBRUSH CreateBrushIndirect(const LOGBRUSH* Lb);
HBRUSH GetSysColorBrush(int Index);

// Bits: rows padded to 16 bits for 1 bpp, unpadded 32-bit 0x00RRGGBB for 32 bpp, 3 bytes
// (B, G, R) padded to 16 bits for 24 bpp; nullptr = zero-filled.
HBITMAP CreateBitmap(int Width, int Height, UINT Planes, UINT BitsPerPixel, const void* Bits);
// Monochrome when Hdc is a memory DC that still holds its initial 1 x 1 monochrome bitmap (as
// the platform does); use a screen DC or CreateBitmap(..., 32, ...) for colour.
HBITMAP CreateCompatibleBitmap(HDC Hdc, int Width, int Height);
// A colour bitmap holding a copy of Surface.
HBITMAP CreateBitmapFromSurface(const TSurface& Surface, bool Monochrome = false);
// Direct access to a bitmap's pixels (nullptr for a bad handle). Monochrome bitmaps keep
// 0x000000/0xFFFFFF pixels; writers must keep to those two values.
TSurface* GetBitmapSurface(HBITMAP Bitmap);
bool IsMonochromeBitmap(HBITMAP Bitmap);
BOOL GetBitmapDimensionEx(HBITMAP Bitmap, TSize* Size);

HFONT CreateFontIndirectA(const LOGFONTA* Lf);
HFONT CreateFontA(int Height, int Width, int Escapement, int Orientation, int Weight, DWORD Italic,
                  DWORD Underline, DWORD StrikeOut, DWORD CharSet, DWORD OutPrecision,
                  DWORD ClipPrecision, DWORD Quality, DWORD PitchAndFamily, LPCSTR FaceName);
// The face a font handle or a DC's selected font draws with.
std::shared_ptr<const TFontFace> GetFontFace(HFONT Font);
std::shared_ptr<const TFontFace> GetDCFontFace(HDC Hdc);

// ---- DC state ----
COLORREF SetBkColor(HDC Hdc, COLORREF Color);
COLORREF GetBkColor(HDC Hdc);
int SetBkMode(HDC Hdc, int Mode);
int GetBkMode(HDC Hdc);
COLORREF SetTextColor(HDC Hdc, COLORREF Color);
COLORREF GetTextColor(HDC Hdc);
UINT SetTextAlign(HDC Hdc, UINT Align);
UINT GetTextAlign(HDC Hdc);
int SetROP2(HDC Hdc, int Mode);
int GetROP2(HDC Hdc);
int SetPolyFillMode(HDC Hdc, int Mode);
int GetPolyFillMode(HDC Hdc);
int SetStretchBltMode(HDC Hdc, int Mode);
int GetStretchBltMode(HDC Hdc);
BOOL SetBrushOrgEx(HDC Hdc, int X, int Y, TPoint* Old);
BOOL GetBrushOrgEx(HDC Hdc, TPoint* P);
BOOL SetViewportOrgEx(HDC Hdc, int X, int Y, TPoint* Old);
BOOL GetViewportOrgEx(HDC Hdc, TPoint* P);
BOOL SetWindowOrgEx(HDC Hdc, int X, int Y, TPoint* Old);
BOOL GetWindowOrgEx(HDC Hdc, TPoint* P);
// Colours of the DC_PEN and DC_BRUSH stock objects while they are selected.
COLORREF SetDCPenColor(HDC Hdc, COLORREF Color);
COLORREF GetDCPenColor(HDC Hdc);
COLORREF SetDCBrushColor(HDC Hdc, COLORREF Color);
COLORREF GetDCBrushColor(HDC Hdc);
// Device capabilities: size of the surface, colour depth (1 for monochrome bitmaps, else 32)
// and the fixed 96 pixels per inch.
enum : int {
    HORZRES = 8,
    VERTRES = 10,
    BITSPIXEL = 12,
    PLANES = 14,
    NUMCOLORS = 24,
    LOGPIXELSX = 88,
    LOGPIXELSY = 90,
};
int GetDeviceCaps(HDC Hdc, int Index);
BOOL MoveToEx(HDC Hdc, int X, int Y, TPoint* Old);
BOOL GetCurrentPositionEx(HDC Hdc, TPoint* P);

// ---- Pixels and lines ----
COLORREF GetPixel(HDC Hdc, int X, int Y); // CLR_INVALID_COLOR outside the clip or surface
COLORREF SetPixel(HDC Hdc, int X, int Y, COLORREF Color);
BOOL SetPixelV(HDC Hdc, int X, int Y, COLORREF Color);
BOOL LineTo(HDC Hdc, int X, int Y);
BOOL Polyline(HDC Hdc, const TPoint* Pts, int Count);
BOOL PolylineTo(HDC Hdc, const TPoint* Pts, int Count);

// ---- Shapes ----
BOOL Rectangle(HDC Hdc, int Left, int Top, int Right, int Bottom);
BOOL Ellipse(HDC Hdc, int Left, int Top, int Right, int Bottom);
BOOL RoundRect(HDC Hdc, int Left, int Top, int Right, int Bottom, int Width, int Height);
BOOL Arc(HDC Hdc, int Left, int Top, int Right, int Bottom, int X1, int Y1, int X2, int Y2);
BOOL Pie(HDC Hdc, int Left, int Top, int Right, int Bottom, int X1, int Y1, int X2, int Y2);
BOOL Chord(HDC Hdc, int Left, int Top, int Right, int Bottom, int X1, int Y1, int X2, int Y2);
BOOL Polygon(HDC Hdc, const TPoint* Pts, int Count);
BOOL PolyPolygon(HDC Hdc, const TPoint* Pts, const int* Counts, int Polys);

// ---- Fills and blits ----
int FillRect(HDC Hdc, const TRect* R, HBRUSH Brush);
int FrameRect(HDC Hdc, const TRect* R, HBRUSH Brush);
BOOL InvertRect(HDC Hdc, const TRect* R);
BOOL DrawFocusRect(HDC Hdc, const TRect* R);
BOOL PatBlt(HDC Hdc, int X, int Y, int W, int H, DWORD Rop);
BOOL BitBlt(HDC Dst, int X, int Y, int W, int H, HDC Src, int SrcX, int SrcY, DWORD Rop);
BOOL StretchBlt(HDC Dst, int X, int Y, int W, int H, HDC Src, int SrcX, int SrcY, int SrcW,
                int SrcH, DWORD Rop);
BOOL DrawEdge(HDC Hdc, TRect* R, UINT Edge, UINT Flags);

// ---- Regions ----
HRGN CreateRectRgn(int Left, int Top, int Right, int Bottom);
HRGN CreateRectRgnIndirect(const TRect* R);
HRGN CreateRoundRectRgn(int Left, int Top, int Right, int Bottom, int Width, int Height);
HRGN CreateEllipticRgn(int Left, int Top, int Right, int Bottom);
HRGN CreateEllipticRgnIndirect(const TRect* R);
HRGN CreatePolygonRgn(const TPoint* Pts, int Count, int FillMode);
HRGN CreatePolyPolygonRgn(const TPoint* Pts, const int* Counts, int Polys, int FillMode);
int CombineRgn(HRGN Dst, HRGN Src1, HRGN Src2, int Mode);
int OffsetRgn(HRGN Rgn, int Dx, int Dy);
BOOL SetRectRgn(HRGN Rgn, int Left, int Top, int Right, int Bottom);
BOOL FillRgn(HDC Hdc, HRGN Rgn, HBRUSH Brush);
BOOL FrameRgn(HDC Hdc, HRGN Rgn, HBRUSH Brush, int Width, int Height);
BOOL PaintRgn(HDC Hdc, HRGN Rgn);
BOOL InvertRgn(HDC Hdc, HRGN Rgn);
BOOL PtInRegion(HRGN Rgn, int X, int Y);
BOOL RectInRegion(HRGN Rgn, const TRect* R);
int GetRgnBox(HRGN Rgn, TRect* R);
BOOL EqualRgn(HRGN A, HRGN B);
int SelectClipRgn(HDC Hdc, HRGN Rgn); // copies Rgn; 0 removes the clip
int ExtSelectClipRgn(HDC Hdc, HRGN Rgn, int Mode);
int IntersectClipRect(HDC Hdc, int Left, int Top, int Right, int Bottom);
int ExcludeClipRect(HDC Hdc, int Left, int Top, int Right, int Bottom);
int OffsetClipRgn(HDC Hdc, int Dx, int Dy);
int GetClipBox(HDC Hdc, TRect* R);
// 1 and a copy in Rgn when the DC has a clip region, 0 when it has none, -1 on error.
int GetClipRgn(HDC Hdc, HRGN Rgn);
BOOL PtVisible(HDC Hdc, int X, int Y);
BOOL RectVisible(HDC Hdc, const TRect* R);

// ---- Text ----
// Strings are UTF-8 (ill-formed bytes read as Windows-1252). Counts are byte counts; ExtTextOutA's
// Dx holds one advance per code point.
BOOL TextOutA(HDC Hdc, int X, int Y, LPCSTR Str, int Count);
BOOL ExtTextOutA(HDC Hdc, int X, int Y, UINT Options, const TRect* R, LPCSTR Str, UINT Count,
                 const int* Dx);
BOOL GetTextExtentPoint32A(HDC Hdc, LPCSTR Str, int Count, TSize* Size);
BOOL GetTextMetricsA(HDC Hdc, TEXTMETRICA* Tm);
int GetTextFaceA(HDC Hdc, int Count, LPSTR Name);

// Number of live handles (leak checks in tests).
std::size_t GdiHandleCount();

} // namespace qel

QEL_PUBLIC_END
