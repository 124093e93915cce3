#pragma once
// Internals of the drawing calls: the GDI objects behind the handles, the device context state
// and the raster helpers the calls share. Other layers use Windows.h; this header is for the
// raster sources and tests that inspect state.
#include "toolkit/core/Export.h"
#include "toolkit/graphics/Region.h"
#include "toolkit/graphics/Windows.h"

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <memory>
#include <optional>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {
class TFontFace;
}

namespace qel::gdi {

enum class TKind : std::uint8_t { Pen = 1, Brush, Font, Bitmap, Region, DC };

struct TObj {
    explicit TObj(TKind K) : Kind(K) {}
    virtual ~TObj() = default;
    const TKind Kind;
    bool Stock = false;
};

struct TPenObj : TObj {
    TPenObj() : TObj(TKind::Pen) {}
    UINT Style = PS_SOLID; // PS_SOLID … PS_INSIDEFRAME
    int Width = 1;
    COLORREF Color = 0;
    DWORD Full = PS_SOLID; // style as created, with type, cap and join bits
    bool DcPen = false;    // the DC_PEN stock object: colour comes from the DC
};

struct TBitmapObj;

struct TBrushObj : TObj {
    TBrushObj() : TObj(TKind::Brush) {}
    UINT Style = BS_SOLID;
    COLORREF Color = 0;
    int Hatch = 0;
    std::shared_ptr<const TSurface> Pattern; // copy of the pattern bitmap
    bool PatternMono = false;
    HBITMAP PatternHandle = 0;
    bool DcBrush = false;
};

struct TBitmapObj : TObj {
    TBitmapObj() : TObj(TKind::Bitmap) {}
    TSurface Surface;
    bool Mono = false;
    int SelectedIn = 0; // memory DCs that currently have it selected
};

struct TFontObj : TObj {
    TFontObj() : TObj(TKind::Font) {}
    LOGFONTA Log;
    mutable std::shared_ptr<const TFontFace> Face; // acquired on first use
    const std::shared_ptr<const TFontFace>& GetFace() const;
};

struct TRegionObj : TObj {
    TRegionObj() : TObj(TKind::Region) {}
    TRegion Rgn;
};

struct TDCState {
    std::shared_ptr<TPenObj> Pen;
    std::shared_ptr<TBrushObj> Brush;
    std::shared_ptr<TFontObj> Font;
    HPEN PenH = 0;
    HBRUSH BrushH = 0;
    HFONT FontH = 0;
    COLORREF BkColor = 0xFFFFFF, TextColor = 0, DcPenColor = 0, DcBrushColor = 0xFFFFFF;
    int BkMode = OPAQUE, Rop2 = R2_COPYPEN, PolyFill = ALTERNATE, StretchMode = BLACKONWHITE;
    UINT TextAlign = 0;
    TPoint Pos, BrushOrg, ViewportOrg, WindowOrg;
    std::optional<TRegion> Clip; // device coordinates
};

struct TDCObj : TObj {
    TDCObj() : TObj(TKind::DC) {}
    bool Memory = false;
    TSurface* External = nullptr; // window or screen surface
    int OrgX = 0, OrgY = 0;       // device origin in the surface
    std::optional<TRect> Visible; // device coordinates
    std::shared_ptr<TBitmapObj> Bitmap;
    HBITMAP BitmapH = 0;
    TDCState S;
    std::vector<TDCState> Saved;

    TSurface* Surface() const { return Memory ? (Bitmap ? &Bitmap->Surface : nullptr) : External; }
    bool Mono() const { return Memory && Bitmap && Bitmap->Mono; }
    // Logical to surface coordinates.
    int Dx() const { return OrgX + S.ViewportOrg.X - S.WindowOrg.X; }
    int Dy() const { return OrgY + S.ViewportOrg.Y - S.WindowOrg.Y; }
    // The clip in surface coordinates: surface bounds, visible rectangle and clip region.
    const TRegion& EffectiveClip();
    void InvalidateClip() { ClipValid = false; }

  private:
    TRegion EffClip;
    bool ClipValid = false;
    const TSurface* ClipFor = nullptr;
    int ClipW = -1, ClipH = -1;
};

// ---- Handle table ----
HANDLE Register(std::shared_ptr<TObj> Obj);
std::shared_ptr<TObj> LookupAny(HANDLE H);
template <class T> std::shared_ptr<T> Lookup(HANDLE H, TKind K) {
    auto O = LookupAny(H);
    if (!O || O->Kind != K) return nullptr;
    return std::static_pointer_cast<T>(O);
}
inline std::shared_ptr<TDCObj> DC(HDC H) {
    return Lookup<TDCObj>(H, TKind::DC);
}
inline std::shared_ptr<TPenObj> Pen(HANDLE H) {
    return Lookup<TPenObj>(H, TKind::Pen);
}
inline std::shared_ptr<TBrushObj> Brush(HANDLE H) {
    return Lookup<TBrushObj>(H, TKind::Brush);
}
inline std::shared_ptr<TBitmapObj> Bitmap(HANDLE H) {
    return Lookup<TBitmapObj>(H, TKind::Bitmap);
}
inline std::shared_ptr<TFontObj> Font(HANDLE H) {
    return Lookup<TFontObj>(H, TKind::Font);
}
inline std::shared_ptr<TRegionObj> Rgn(HANDLE H) {
    return Lookup<TRegionObj>(H, TKind::Region);
}
bool Unregister(HANDLE H);

// Fills N pixels with one value at memset speed (the C library's wide fill is vectorised;
// pixels and wide characters are both 32 bits here). A few pixels are stored in place: for
// them the call costs more than the stores.
inline void FillPixels(std::uint32_t* P, std::size_t N, std::uint32_t V) {
    static_assert(sizeof(wchar_t) == sizeof(std::uint32_t));
    if (N < 32) {
        for (std::size_t I = 0; I < N; ++I)
            P[I] = V;
        return;
    }
    std::wmemset(reinterpret_cast<wchar_t*>(P), static_cast<wchar_t>(V), N);
}

// Copies N pixels between rows that do not overlap, at memcpy speed. The C library moves long
// blocks with the processor's string move, which some processors run several times slower when
// the target lies a few bytes past the source within a 4 KiB page: two surfaces allocated so,
// or the rows of a surface a little over a page wide. Those copies take a vector loop.
void CopyPixelsNearPage(std::uint32_t* D, const std::uint32_t* S, std::size_t N);
inline void CopyPixels(std::uint32_t* D, const std::uint32_t* S, std::size_t N) {
    const auto Past =
        (reinterpret_cast<std::uintptr_t>(D) - reinterpret_cast<std::uintptr_t>(S)) % 4096;
    if (Past != 0 && Past < 64)
        CopyPixelsNearPage(D, S, N);
    else
        std::memcpy(D, S, N * sizeof *D);
}

// ---- Colours ----
constexpr std::uint32_t PixelMask = 0xFFFFFF;
// The pixel a colour becomes on this DC's surface (black or white on monochrome bitmaps).
std::uint32_t DevicePixel(const TDCObj& D, COLORREF C);
COLORREF PenColor(const TDCObj& D);

// ---- Paint: what a fill writes into each pixel ----
// Binary raster operations are D = (D & A) ^ X with A and X chosen bitwise by the paint
// colour P: A = (P & A1) | (~P & A0), X likewise.
struct TRop2 {
    std::uint32_t A0, A1, X0, X1;
    static TRop2 Make(int Mode);
    std::uint32_t A(std::uint32_t P) const { return ((P & A1) | (~P & A0)) & PixelMask; }
    std::uint32_t X(std::uint32_t P) const { return ((P & X1) | (~P & X0)) & PixelMask; }
};

// A realised brush: a colour or a tiled pattern of device pixels, with optional holes (hatch
// gaps in transparent mode), anchored in surface coordinates.
struct TPaint {
    bool Solid = true;
    std::uint32_t Color = 0;
    int W = 0, H = 0;
    std::vector<std::uint32_t> Pix;
    std::vector<std::uint8_t> Opaque; // empty = all opaque
    int AnchorX = 0, AnchorY = 0;
    const std::uint32_t* Row(int Y, int& Phase, int X) const;
};
TPaint SolidPaint(std::uint32_t Pixel);
// Null brushes give nullopt.
std::optional<TPaint> RealizeBrush(const TDCObj& D, const TBrushObj& B);
std::optional<TPaint> RealizeDCBrush(const TDCObj& D);

// Fills a region (surface coordinates) with a paint under a binary raster operation, clipped
// to the DC.
void FillRegionRop2(TDCObj& D, const TRegion& R, const TPaint& P, int Rop2);
void FillRectRop2(TDCObj& D, const TRect& R, const TPaint& P, int Rop2);
// Ternary raster operation without a source (PatBlt).
void FillRectRop3(TDCObj& D, const TRect& R, const TPaint* P, BYTE Rop);
void FillRegionRop3(TDCObj& D, const TRegion& R, const TPaint* P, BYTE Rop);
// One pixel, surface coordinates, clipped.
void PlotRop2(TDCObj& D, int X, int Y, std::uint32_t Pixel, int Rop2);

// Brush handles may also be a system colour index plus one, as window classes use them.
std::shared_ptr<TBrushObj> BrushOrSysColor(HBRUSH H);
// Sums of coordinates saturate instead of overflowing.
inline int Sat(long long V) {
    return V > 0x3FFFFFFF ? 0x3FFFFFFF : V < -0x3FFFFFFF ? -0x3FFFFFFF : static_cast<int>(V);
}
// Rectangle from origin and extents, in surface coordinates of the DC.
inline TRect SurfaceRect(const TDCObj& D, int X, int Y, long long W, long long H) {
    const long long L = static_cast<long long>(X) + D.Dx(), T = static_cast<long long>(Y) + D.Dy();
    return {Sat(L), Sat(T), Sat(L + W), Sat(T + H)};
}
// Logical rectangle to surface coordinates.
TRect ToSurface(const TDCObj& D, TRect R);

// ---- Lines (surface coordinates) ----
// Draws the pen along the points; Closed adds the segment back to the first point. Thin pens
// leave out only the very last point (none when closed); wide pens draw whole segments.
void StrokePolyline(TDCObj& D, const std::vector<TPoint>& Pts, bool Closed);
// A thin line from A towards B as a walk along its major axis, the end point excluded: step I
// is at Major + MajorSign * I on that axis and Minor + MinorSign * K(I) on the other, with
// K(I) = (C + I * Inc) / Den. Ties on the minor axis go to the smaller coordinate whichever way
// the line runs, so a line and its reverse hit the same pixels. [From, To) are the steps whose
// pixels lie inside the box the walk was cut to (empty when none do).
struct TThinLine {
    bool XMajor;
    int MajorSign, MinorSign;
    long long Major, Minor, Den, Inc, C, From, To;
};
TThinLine ThinLineSteps(TPoint A, TPoint B, const TRect& Box);
// Pixels a thin line from A towards B visits inside Box, end point excluded, in drawing order.
// Fn(X, Y, Step), Step counting from A.
template <class F> void ThinLinePixels(TPoint A, TPoint B, const TRect& Box, F&& Fn);

// ---- Ternary operations ----
std::uint32_t Rop3Pixel(BYTE Rop, std::uint32_t P, std::uint32_t S, std::uint32_t D);
constexpr bool RopUsesSource(BYTE R) {
    return ((R >> 2) & 0x33) != (R & 0x33);
}
constexpr bool RopUsesPattern(BYTE R) {
    return ((R >> 4) & 0x0F) != (R & 0x0F);
}
constexpr bool RopUsesDest(BYTE R) {
    return ((R >> 1) & 0x55) != (R & 0x55);
}

// ---- Shapes shared by drawing and regions ----
// Left inset of each row of a figure in a W x H box (the right side mirrors it): a
// rectangle, the inscribed ellipse, or a rectangle with CW x CH elliptic corners. Rows are
// computed on demand so only visible rows cost anything.
struct TInsets {
    enum class TKind { Rect, Ellipse, Round } Kind;
    int W, H, CW, CH;
    int At(int Row) const;
    static TInsets Rect(int W, int H);
    static TInsets Ellipse(int W, int H);
    static TInsets Round(int W, int H, int CW, int CH);
};
// Ellipse(W, H).At(R) for every row R of the W x H box at once, into Out (H entries), in time
// proportional to W + H: the square roots of At are followed row by row instead.
void EllipseInsetRows(int W, int H, int* Out);
// Whole figure, and its one-pixel outline, in Box; only rows inside Limit when given.
TRegion ShapeRegion(const TRect& Box, const TInsets& In, const TRect* Limit = nullptr);
TRegion ShapeOutline(const TRect& Box, const TInsets& In, const TRect* Limit = nullptr);
TRegion EllipseRegion(const TRect& Box);
TRegion RoundRectRegion(const TRect& Box, int CW, int CH);

template <class F> void ThinLinePixels(TPoint A, TPoint B, const TRect& Box, F&& Fn) {
    const TThinLine L = ThinLineSteps(A, B, Box);
    if (L.From >= L.To) return;
    // K and its remainder carried from step to step, so the loop needs no division.
    const __int128 Num = static_cast<__int128>(L.From) * L.Inc + L.C;
    auto K = static_cast<long long>(Num / L.Den), Rem = static_cast<long long>(Num % L.Den);
    for (long long I = L.From; I < L.To; ++I) {
        const auto Along = static_cast<int>(L.Major + L.MajorSign * I),
                   Across = static_cast<int>(L.Minor + L.MinorSign * K);
        if (L.XMajor)
            Fn(Along, Across, I);
        else
            Fn(Across, Along, I);
        Rem += L.Inc;
        if (Rem >= L.Den) {
            Rem -= L.Den;
            ++K;
        }
    }
}

} // namespace qel::gdi

QEL_PUBLIC_END
