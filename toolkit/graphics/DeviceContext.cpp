// Handle table, device contexts, object creation and selection, DC state.
#include "toolkit/graphics/DeviceContext.h"

#include "toolkit/graphics/FontEngine.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <strings.h>
#include <utility>

namespace qel {
namespace gdi {

namespace {

// Handle layout: kind in bits 0..3, slot index in bits 4..31, generation above. A freed slot
// gets a new generation, so old handles to it stop resolving.
struct TSlot {
    std::uint32_t Gen = 1;
    std::shared_ptr<TObj> Obj;
};

struct TTable {
    std::mutex M;
    std::vector<TSlot> Slots;
    std::vector<std::uint32_t> Free;
    std::size_t Live = 0;
};

TTable& Table() {
    static TTable* T = new TTable; // outlives static destructors that free handles
    return *T;
}

} // namespace

HANDLE Register(std::shared_ptr<TObj> Obj) {
    if (!Obj) return 0;
    TTable& T = Table();
    std::lock_guard L(T.M);
    std::uint32_t I;
    if (!T.Free.empty()) {
        I = T.Free.back();
        T.Free.pop_back();
    } else {
        if (T.Slots.size() >= (1u << 27)) return 0;
        I = static_cast<std::uint32_t>(T.Slots.size());
        T.Slots.emplace_back();
    }
    TSlot& S = T.Slots[I];
    const auto Kind = static_cast<HANDLE>(Obj->Kind);
    S.Obj = std::move(Obj);
    ++T.Live;
    return (static_cast<HANDLE>(S.Gen) << 32) | (static_cast<HANDLE>(I) << 4) | Kind;
}

std::shared_ptr<TObj> LookupAny(HANDLE H) {
    if (!H) return nullptr;
    TTable& T = Table();
    const std::uint32_t I = static_cast<std::uint32_t>((H >> 4) & 0x0FFFFFFF);
    const std::uint32_t Gen = static_cast<std::uint32_t>(H >> 32);
    std::lock_guard L(T.M);
    if (I >= T.Slots.size()) return nullptr;
    const TSlot& S = T.Slots[I];
    if (S.Gen != Gen || !S.Obj || static_cast<HANDLE>(S.Obj->Kind) != (H & 0xF)) return nullptr;
    return S.Obj;
}

bool Unregister(HANDLE H) {
    std::shared_ptr<TObj> Dying; // destroyed outside the lock
    TTable& T = Table();
    {
        const std::uint32_t I = static_cast<std::uint32_t>((H >> 4) & 0x0FFFFFFF);
        const std::uint32_t Gen = static_cast<std::uint32_t>(H >> 32);
        std::lock_guard L(T.M);
        if (!H || I >= T.Slots.size()) return false;
        TSlot& S = T.Slots[I];
        if (S.Gen != Gen || !S.Obj) return false;
        Dying = std::move(S.Obj);
        S.Obj.reset();
        ++S.Gen;
        if (S.Gen == 0) S.Gen = 1;
        T.Free.push_back(I);
        --T.Live;
    }
    return true;
}

const std::shared_ptr<const TFontFace>& TFontObj::GetFace() const {
    if (!Face) {
        TFontSpec Want;
        Want.Name = std::string(Log.lfFaceName, strnlen(Log.lfFaceName, LF_FACESIZE));
        Want.Height = Log.lfHeight;
        Want.Weight = Log.lfWeight;
        Want.Italic = Log.lfItalic != 0;
        Want.Underline = Log.lfUnderline != 0;
        Want.StrikeOut = Log.lfStrikeOut != 0;
        Want.Charset = Log.lfCharSet;
        Want.Pitch = Log.lfPitchAndFamily;
        Face = TFontFace::Acquire(Want);
    }
    return Face;
}

const TRegion& TDCObj::EffectiveClip() {
    const TSurface* Surf = Surface();
    const int W = Surf ? Surf->Width : 0, H = Surf ? Surf->Height : 0;
    if (ClipValid && ClipFor == Surf && ClipW == W && ClipH == H) return EffClip;
    TRect Bounds{0, 0, W, H};
    if (Visible) {
        TRect V = *Visible;
        V.Left += OrgX;
        V.Right += OrgX;
        V.Top += OrgY;
        V.Bottom += OrgY;
        IntersectRect(&Bounds, &Bounds, &V);
    }
    EffClip = TRegion(Bounds);
    if (S.Clip) {
        TRegion C = *S.Clip;
        C.Offset(OrgX, OrgY);
        EffClip = TRegion::Combine(EffClip, C, TRegion::TOp::And);
    }
    ClipValid = true;
    ClipFor = Surf;
    ClipW = W;
    ClipH = H;
    return EffClip;
}

std::uint32_t DevicePixel(const TDCObj& D, COLORREF C) {
    const std::uint32_t P = PixelFromRGB(C & 0xFFFFFF);
    if (!D.Mono()) return P;
    // Nearest of black and white by luminance.
    const unsigned Lum = (GetRValue(C) * 30u + GetGValue(C) * 59u + GetBValue(C) * 11u) / 100u;
    return Lum >= 128 ? 0xFFFFFF : 0;
}

COLORREF PenColor(const TDCObj& D) {
    if (!D.S.Pen) return 0;
    return D.S.Pen->DcPen ? D.S.DcPenColor : D.S.Pen->Color;
}

namespace {

std::mutex StockMutex;
HGDIOBJ StockObjects[STOCK_LAST + 1] = {};
std::shared_ptr<TBitmapObj> DefaultBitmap;
HBITMAP DefaultBitmapH = 0;

HPEN MakePen(UINT Style, int Width, COLORREF Color, DWORD Full, bool Stock) {
    auto P = std::make_shared<TPenObj>();
    P->Style = Style;
    P->Width = Width < 1 ? 1 : Width;
    P->Color = Color & 0xFFFFFF;
    P->Full = Full;
    P->Stock = Stock;
    return Register(P);
}

HBRUSH MakeBrush(UINT Style, COLORREF Color, int Hatch, bool Stock) {
    auto B = std::make_shared<TBrushObj>();
    B->Style = Style;
    B->Color = Color & 0xFFFFFF;
    B->Hatch = Hatch;
    B->Stock = Stock;
    return Register(B);
}

HFONT MakeFont(const char* Name, int Height, int Weight, BYTE Pitch, bool Stock) {
    auto F = std::make_shared<TFontObj>();
    std::strncpy(F->Log.lfFaceName, Name, LF_FACESIZE - 1);
    F->Log.lfHeight = Height;
    F->Log.lfWeight = Weight;
    F->Log.lfPitchAndFamily = Pitch;
    F->Stock = Stock;
    return Register(F);
}

void InitStock() {
    if (StockObjects[WHITE_PEN]) return;
    StockObjects[WHITE_BRUSH] = MakeBrush(BS_SOLID, 0xFFFFFF, 0, true);
    StockObjects[LTGRAY_BRUSH] = MakeBrush(BS_SOLID, 0xC0C0C0, 0, true);
    StockObjects[GRAY_BRUSH] = MakeBrush(BS_SOLID, 0x808080, 0, true);
    StockObjects[DKGRAY_BRUSH] = MakeBrush(BS_SOLID, 0x404040, 0, true);
    StockObjects[BLACK_BRUSH] = MakeBrush(BS_SOLID, 0, 0, true);
    StockObjects[NULL_BRUSH] = MakeBrush(BS_NULL, 0, 0, true);
    StockObjects[WHITE_PEN] = MakePen(PS_SOLID, 1, 0xFFFFFF, PS_SOLID, true);
    StockObjects[BLACK_PEN] = MakePen(PS_SOLID, 1, 0, PS_SOLID, true);
    StockObjects[NULL_PEN] = MakePen(PS_NULL, 1, 0, PS_NULL, true);
    StockObjects[OEM_FIXED_FONT] = MakeFont("Terminal", 12, 400, 1, true);
    StockObjects[ANSI_FIXED_FONT] = MakeFont("Courier", 13, 400, 1, true);
    StockObjects[ANSI_VAR_FONT] = MakeFont("MS Sans Serif", 13, 400, 2, true);
    StockObjects[SYSTEM_FONT] = MakeFont("System", 16, 700, 2, true);
    StockObjects[DEVICE_DEFAULT_FONT] = MakeFont("System", 16, 700, 2, true);
    StockObjects[SYSTEM_FIXED_FONT] = MakeFont("Fixedsys", 15, 400, 1, true);
    StockObjects[DEFAULT_GUI_FONT] = MakeFont("MS Sans Serif", -11, 400, 2, true);
    {
        auto B = std::make_shared<TBrushObj>();
        B->DcBrush = true;
        B->Stock = true;
        StockObjects[DC_BRUSH] = Register(B);
        auto P = std::make_shared<TPenObj>();
        P->DcPen = true;
        P->Stock = true;
        StockObjects[DC_PEN] = Register(P);
    }
    DefaultBitmap = std::make_shared<TBitmapObj>();
    DefaultBitmap->Surface.Resize(1, 1, 0);
    DefaultBitmap->Mono = true;
    DefaultBitmap->Stock = true;
    DefaultBitmapH = Register(DefaultBitmap);
}

HGDIOBJ Stock(int Which) {
    std::lock_guard L(StockMutex);
    InitStock();
    return StockObjects[Which];
}

std::pair<std::shared_ptr<TBitmapObj>, HBITMAP> StockBitmap() {
    std::lock_guard L(StockMutex);
    InitStock();
    return {DefaultBitmap, DefaultBitmapH};
}

std::unique_ptr<TSurface> OwnScreen;
TSurface* ScreenSurface = nullptr;
TGetDCHook GetDCHook;
TReleaseDCHook ReleaseDCHook;

void InitDCState(TDCObj& D) {
    D.S.PenH = Stock(BLACK_PEN);
    D.S.Pen = gdi::Pen(D.S.PenH);
    D.S.BrushH = Stock(WHITE_BRUSH);
    D.S.Brush = gdi::Brush(D.S.BrushH);
    D.S.FontH = Stock(SYSTEM_FONT);
    D.S.Font = gdi::Font(D.S.FontH);
}

void SetBitmap(TDCObj& D, std::shared_ptr<TBitmapObj> B, HBITMAP H) {
    if (D.Bitmap) --D.Bitmap->SelectedIn;
    D.Bitmap = std::move(B);
    D.BitmapH = H;
    if (D.Bitmap) ++D.Bitmap->SelectedIn;
    D.InvalidateClip();
}

} // namespace

} // namespace gdi

using namespace gdi;

std::size_t GdiHandleCount() {
    TTable& T = Table();
    std::lock_guard L(T.M);
    return T.Live;
}

// ---------------------------------------------------------------- device contexts

HDC CreateCompatibleDC(HDC Hdc) {
    if (Hdc && !gdi::DC(Hdc)) return 0;
    auto D = std::make_shared<TDCObj>();
    D->Memory = true;
    InitDCState(*D);
    auto [B, H] = StockBitmap();
    SetBitmap(*D, B, H);
    return Register(D);
}

void SetScreenSurface(TSurface* Surface) {
    ScreenSurface = Surface;
}

TSurface* GetScreenSurface() {
    if (ScreenSurface) return ScreenSurface;
    std::lock_guard L(StockMutex);
    if (!OwnScreen) OwnScreen = std::make_unique<TSurface>(1024, 768, 0xFFFFFF);
    return OwnScreen.get();
}

HDC CreateDCForSurface(TSurface* Surface, int OriginX, int OriginY, const TRect* Visible) {
    if (!Surface) return 0;
    auto D = std::make_shared<TDCObj>();
    D->External = Surface;
    D->OrgX = OriginX;
    D->OrgY = OriginY;
    if (Visible) D->Visible = *Visible;
    InitDCState(*D);
    return Register(D);
}

BOOL SetDCSurface(HDC Hdc, TSurface* Surface, int OriginX, int OriginY, const TRect* Visible) {
    auto D = gdi::DC(Hdc);
    if (!D || D->Memory || !Surface) return FALSE;
    D->External = Surface;
    D->OrgX = OriginX;
    D->OrgY = OriginY;
    D->Visible = Visible ? std::optional<TRect>(*Visible) : std::nullopt;
    D->InvalidateClip();
    return TRUE;
}

TSurface* GetDCSurface(HDC Hdc) {
    auto D = gdi::DC(Hdc);
    return D ? D->Surface() : nullptr;
}

BOOL GetDCOrgEx(HDC Hdc, TPoint* P) {
    auto D = gdi::DC(Hdc);
    if (!D || !P) return FALSE;
    *P = {D->OrgX, D->OrgY};
    return TRUE;
}

HDC CreateDCA(LPCSTR Driver, LPCSTR, LPCSTR, const void*) {
    if (!Driver || strcasecmp(Driver, "DISPLAY") != 0) return 0;
    return CreateDCForSurface(GetScreenSurface());
}

BOOL DeleteDC(HDC Hdc) {
    auto D = gdi::DC(Hdc);
    if (!D) return FALSE;
    SetBitmap(*D, nullptr, 0);
    return Unregister(Hdc) ? TRUE : FALSE;
}

void SetWindowDCHooks(TGetDCHook GetHook, TReleaseDCHook ReleaseHook) {
    GetDCHook = std::move(GetHook);
    ReleaseDCHook = std::move(ReleaseHook);
}

HDC GetDC(HWND Wnd) {
    if (GetDCHook) {
        if (HDC H = GetDCHook(Wnd)) return H;
    }
    if (Wnd == 0) return CreateDCForSurface(GetScreenSurface());
    return 0;
}

int ReleaseDC(HWND Wnd, HDC Hdc) {
    if (ReleaseDCHook) {
        if (int R = ReleaseDCHook(Wnd, Hdc)) return R;
    }
    auto D = gdi::DC(Hdc);
    if (!D || D->Memory) return 0;
    return DeleteDC(Hdc);
}

int SaveDC(HDC Hdc) {
    auto D = gdi::DC(Hdc);
    if (!D) return 0;
    D->Saved.push_back(D->S);
    return static_cast<int>(D->Saved.size());
}

BOOL RestoreDC(HDC Hdc, int Saved) {
    auto D = gdi::DC(Hdc);
    if (!D) return FALSE;
    const int N = static_cast<int>(D->Saved.size());
    if (Saved < 0) Saved = N + 1 + Saved;
    if (Saved < 1 || Saved > N) return FALSE;
    D->S = D->Saved[static_cast<std::size_t>(Saved - 1)];
    D->Saved.resize(static_cast<std::size_t>(Saved - 1));
    D->InvalidateClip();
    return TRUE;
}

// ---------------------------------------------------------------- objects

HGDIOBJ GetStockObject(int Which) {
    if (Which < 0 || Which > STOCK_LAST) return 0;
    return Stock(Which);
}

DWORD GetObjectType(HGDIOBJ Obj) {
    auto O = LookupAny(Obj);
    if (!O) return 0;
    switch (O->Kind) {
    case TKind::Pen:
        return OBJ_PEN;
    case TKind::Brush:
        return OBJ_BRUSH;
    case TKind::Font:
        return OBJ_FONT;
    case TKind::Bitmap:
        return OBJ_BITMAP;
    case TKind::Region:
        return OBJ_REGION;
    case TKind::DC:
        return static_cast<TDCObj&>(*O).Memory ? OBJ_MEMDC : OBJ_DC;
    }
    return 0;
}

HGDIOBJ GetCurrentObject(HDC Hdc, UINT Type) {
    auto D = gdi::DC(Hdc);
    if (!D) return 0;
    switch (Type) {
    case OBJ_PEN:
        return D->S.PenH;
    case OBJ_BRUSH:
        return D->S.BrushH;
    case OBJ_FONT:
        return D->S.FontH;
    case OBJ_BITMAP:
        return D->BitmapH;
    }
    return 0;
}

HGDIOBJ SelectObject(HDC Hdc, HGDIOBJ Obj) {
    auto D = gdi::DC(Hdc);
    auto O = LookupAny(Obj);
    if (!D || !O) return 0;
    HGDIOBJ Old = 0;
    switch (O->Kind) {
    case TKind::Pen:
        Old = D->S.PenH;
        D->S.Pen = std::static_pointer_cast<TPenObj>(O);
        D->S.PenH = Obj;
        return Old;
    case TKind::Brush:
        Old = D->S.BrushH;
        D->S.Brush = std::static_pointer_cast<TBrushObj>(O);
        D->S.BrushH = Obj;
        return Old;
    case TKind::Font:
        Old = D->S.FontH;
        D->S.Font = std::static_pointer_cast<TFontObj>(O);
        D->S.FontH = Obj;
        return Old;
    case TKind::Bitmap: {
        auto B = std::static_pointer_cast<TBitmapObj>(O);
        if (!D->Memory) return 0;
        if (B == D->Bitmap) return Obj;
        // A bitmap can be selected into one memory DC at a time.
        if (B->SelectedIn > 0 && !B->Stock) return 0;
        Old = D->BitmapH;
        SetBitmap(*D, B, Obj);
        return Old;
    }
    case TKind::Region: {
        // Selecting a region sets the clip region; the result is the region's complexity.
        return static_cast<HGDIOBJ>(SelectClipRgn(Hdc, Obj));
    }
    case TKind::DC:
        return 0;
    }
    return 0;
}

BOOL DeleteObject(HGDIOBJ Obj) {
    auto O = LookupAny(Obj);
    if (!O || O->Kind == TKind::DC) return FALSE;
    if (O->Stock) return TRUE;
    if (O->Kind == TKind::Bitmap && static_cast<TBitmapObj&>(*O).SelectedIn > 0) return FALSE;
    // A pen, brush or font still selected somewhere stays alive inside that DC until it is
    // replaced; only the handle dies.
    return Unregister(Obj) ? TRUE : FALSE;
}

BOOL UnrealizeObject(HGDIOBJ Obj) {
    auto O = LookupAny(Obj);
    return O && O->Kind != TKind::DC ? TRUE : FALSE;
}

BOOL GdiFlush() {
    return TRUE;
}

int GetObjectA(HGDIOBJ Obj, int Size, void* Out) {
    auto O = LookupAny(Obj);
    if (!O) return 0;
    auto Copy = [&](const auto& V) -> int {
        const int N = static_cast<int>(sizeof V);
        if (!Out) return N;
        if (Size < N) return 0;
        std::memcpy(Out, &V, sizeof V);
        return N;
    };
    switch (O->Kind) {
    case TKind::Pen: {
        const auto& P = static_cast<TPenObj&>(*O);
        if (Size == static_cast<int>(sizeof(EXTLOGPEN))) {
            EXTLOGPEN E;
            E.elpPenStyle = P.Full;
            E.elpWidth = static_cast<DWORD>(P.Width);
            E.elpColor = P.Color;
            return Copy(E);
        }
        LOGPEN L;
        L.lopnStyle = P.Style;
        L.lopnWidth = {P.Width, 0};
        L.lopnColor = P.Color;
        return Copy(L);
    }
    case TKind::Brush: {
        const auto& B = static_cast<TBrushObj&>(*O);
        LOGBRUSH L;
        L.lbStyle = B.Style;
        L.lbColor = B.Color;
        L.lbHatch = B.Style == BS_PATTERN ? B.PatternHandle : static_cast<std::uintptr_t>(B.Hatch);
        return Copy(L);
    }
    case TKind::Bitmap: {
        auto& B = static_cast<TBitmapObj&>(*O);
        BITMAP M;
        M.bmWidth = B.Surface.Width;
        M.bmHeight = B.Surface.Height;
        M.bmBitsPixel = B.Mono ? 1 : 32;
        M.bmWidthBytes = B.Mono ? ((B.Surface.Width + 15) / 16) * 2 : B.Surface.Width * 4;
        M.bmBits = B.Mono ? nullptr : B.Surface.Pixels.data();
        return Copy(M);
    }
    case TKind::Font:
        return Copy(static_cast<TFontObj&>(*O).Log);
    default:
        return 0;
    }
}

HPEN CreatePen(int Style, int Width, COLORREF Color) {
    const UINT S = static_cast<UINT>(Style) & PS_STYLE_MASK;
    if (S > PS_INSIDEFRAME) return 0;
    // Styled lines exist only one pixel wide; wider styled pens draw solid.
    UINT Eff = S;
    if (Width > 1 && S >= PS_DASH && S <= PS_DASHDOTDOT) Eff = PS_SOLID;
    return MakePen(Eff, Width, Color, static_cast<DWORD>(Style), false);
}

HPEN CreatePenIndirect(const LOGPEN* Lp) {
    if (!Lp) return 0;
    return CreatePen(static_cast<int>(Lp->lopnStyle), Lp->lopnWidth.X, Lp->lopnColor);
}

HPEN ExtCreatePen(DWORD Style, DWORD Width, const LOGBRUSH* Lb, DWORD, const DWORD*) {
    if (!Lb) return 0;
    const UINT S = Style & PS_STYLE_MASK;
    if (S > PS_INSIDEFRAME) return 0;
    const bool Geometric = (Style & PS_TYPE_MASK) == PS_GEOMETRIC;
    if (!Geometric && Width != 1) return 0;
    if (Lb->lbStyle == BS_NULL) return MakePen(PS_NULL, 1, 0, Style, false);
    UINT Eff = S;
    if (Width > 1 && S >= PS_DASH && S <= PS_DASHDOTDOT) Eff = PS_SOLID;
    return MakePen(Eff, static_cast<int>(Width), Lb->lbColor, Style, false);
}

HBRUSH CreateSolidBrush(COLORREF Color) {
    return MakeBrush(BS_SOLID, Color, 0, false);
}

HBRUSH CreateHatchBrush(int Hatch, COLORREF Color) {
    if (Hatch < HS_HORIZONTAL || Hatch > HS_DIAGCROSS) return 0;
    return MakeBrush(BS_HATCHED, Color, Hatch, false);
}

HBRUSH CreatePatternBrush(HBITMAP Bitmap) {
    auto B = gdi::Bitmap(Bitmap);
    if (!B || B->Surface.Width == 0 || B->Surface.Height == 0) return 0;
    auto Br = std::make_shared<TBrushObj>();
    Br->Style = BS_PATTERN;
    Br->Pattern = std::make_shared<const TSurface>(B->Surface);
    Br->PatternMono = B->Mono;
    Br->PatternHandle = Bitmap;
    return Register(Br);
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* Lb) {
    if (!Lb) return 0;
    switch (Lb->lbStyle) {
    case BS_SOLID:
        return CreateSolidBrush(Lb->lbColor);
    case BS_NULL:
        return MakeBrush(BS_NULL, 0, 0, false);
    case BS_HATCHED:
        return CreateHatchBrush(static_cast<int>(Lb->lbHatch), Lb->lbColor);
    case BS_PATTERN:
        return CreatePatternBrush(static_cast<HBITMAP>(Lb->lbHatch));
    }
    return 0;
}

HBRUSH GetSysColorBrush(int Index) {
    // One stock brush per system colour; it follows the scheme at the time of the first call.
    static std::mutex M;
    static HBRUSH Brushes[COLOR_MAX_INDEX + 1] = {};
    if (Index < 0 || Index > COLOR_MAX_INDEX) return 0;
    std::lock_guard L(M);
    if (!Brushes[Index]) Brushes[Index] = MakeBrush(BS_SOLID, GetSysColor(Index), 0, true);
    if (auto B = gdi::Brush(Brushes[Index])) B->Color = GetSysColor(Index);
    return Brushes[Index];
}

HBITMAP CreateBitmap(int Width, int Height, UINT Planes, UINT Bpp, const void* Bits) {
    if (Width < 0 || Height < 0 || Planes != 1) return 0;
    if (static_cast<long long>(Width) * Height > (1ll << 28)) return 0;
    if (Bpp != 1 && Bpp != 24 && Bpp != 32) return 0;
    auto B = std::make_shared<TBitmapObj>();
    B->Mono = Bpp == 1;
    B->Surface.Resize(Width, Height, 0);
    if (Bits) {
        const auto* P = static_cast<const std::uint8_t*>(Bits);
        if (Bpp == 1) {
            const int Stride = ((Width + 15) / 16) * 2;
            for (int Y = 0; Y < Height; ++Y)
                for (int X = 0; X < Width; ++X)
                    B->Surface.Set(X, Y, (P[Y * Stride + X / 8] >> (7 - X % 8)) & 1 ? 0xFFFFFF : 0);
        } else if (Bpp == 24) {
            const int Stride = ((Width * 3 + 1) / 2) * 2;
            for (int Y = 0; Y < Height; ++Y)
                for (int X = 0; X < Width; ++X) {
                    const std::uint8_t* Q = P + Y * Stride + X * 3;
                    B->Surface.Set(X, Y, (std::uint32_t(Q[2]) << 16) | (Q[1] << 8) | Q[0]);
                }
        } else {
            std::memcpy(B->Surface.Pixels.data(), Bits,
                        B->Surface.Pixels.size() * sizeof(std::uint32_t));
            for (auto& Px : B->Surface.Pixels)
                Px &= PixelMask;
        }
    }
    return Register(B);
}

HBITMAP CreateCompatibleBitmap(HDC Hdc, int Width, int Height) {
    auto D = gdi::DC(Hdc);
    if (!D) return 0;
    // A memory DC still holding its default 1x1 bitmap is monochrome, and so is the result.
    return CreateBitmap(Width, Height, 1, D->Mono() ? 1 : 32, nullptr);
}

HBITMAP CreateBitmapFromSurface(const TSurface& Surface, bool Monochrome) {
    auto B = std::make_shared<TBitmapObj>();
    B->Surface = Surface;
    B->Mono = Monochrome;
    if (Monochrome)
        for (auto& P : B->Surface.Pixels)
            P = (P & PixelMask) == PixelMask ? PixelMask : 0;
    return Register(B);
}

TSurface* GetBitmapSurface(HBITMAP Bitmap) {
    auto B = gdi::Bitmap(Bitmap);
    return B ? &B->Surface : nullptr;
}

bool IsMonochromeBitmap(HBITMAP Bitmap) {
    auto B = gdi::Bitmap(Bitmap);
    return B && B->Mono;
}

BOOL GetBitmapDimensionEx(HBITMAP Bitmap, TSize* Size) {
    auto B = gdi::Bitmap(Bitmap);
    if (!B || !Size) return FALSE;
    *Size = {B->Surface.Width, B->Surface.Height};
    return TRUE;
}

HFONT CreateFontIndirectA(const LOGFONTA* Lf) {
    if (!Lf) return 0;
    auto F = std::make_shared<TFontObj>();
    F->Log = *Lf;
    F->Log.lfFaceName[LF_FACESIZE - 1] = 0;
    return Register(F);
}

HFONT CreateFontA(int Height, int Width, int Escapement, int Orientation, int Weight, DWORD Italic,
                  DWORD Underline, DWORD StrikeOut, DWORD CharSet, DWORD OutPrecision,
                  DWORD ClipPrecision, DWORD Quality, DWORD PitchAndFamily, LPCSTR FaceName) {
    LOGFONTA L;
    L.lfHeight = Height;
    L.lfWidth = Width;
    L.lfEscapement = Escapement;
    L.lfOrientation = Orientation;
    L.lfWeight = Weight;
    L.lfItalic = static_cast<BYTE>(Italic);
    L.lfUnderline = static_cast<BYTE>(Underline);
    L.lfStrikeOut = static_cast<BYTE>(StrikeOut);
    L.lfCharSet = static_cast<BYTE>(CharSet);
    L.lfOutPrecision = static_cast<BYTE>(OutPrecision);
    L.lfClipPrecision = static_cast<BYTE>(ClipPrecision);
    L.lfQuality = static_cast<BYTE>(Quality);
    L.lfPitchAndFamily = static_cast<BYTE>(PitchAndFamily);
    if (FaceName) std::strncpy(L.lfFaceName, FaceName, LF_FACESIZE - 1);
    return CreateFontIndirectA(&L);
}

std::shared_ptr<const TFontFace> GetFontFace(HFONT Font) {
    auto F = gdi::Font(Font);
    return F ? F->GetFace() : nullptr;
}

std::shared_ptr<const TFontFace> GetDCFontFace(HDC Hdc) {
    auto D = gdi::DC(Hdc);
    return D && D->S.Font ? D->S.Font->GetFace() : nullptr;
}

// ---------------------------------------------------------------- state

#define QEL_DC_OR(Fail)                                                                            \
    auto D = gdi::DC(Hdc);                                                                         \
    if (!D) return Fail

COLORREF SetBkColor(HDC Hdc, COLORREF Color) {
    QEL_DC_OR(CLR_INVALID_COLOR);
    return std::exchange(D->S.BkColor, Color & 0xFFFFFF);
}
COLORREF GetBkColor(HDC Hdc) {
    QEL_DC_OR(CLR_INVALID_COLOR);
    return D->S.BkColor;
}
int SetBkMode(HDC Hdc, int Mode) {
    QEL_DC_OR(0);
    if (Mode != OPAQUE && Mode != TRANSPARENT) return 0;
    return std::exchange(D->S.BkMode, Mode);
}
int GetBkMode(HDC Hdc) {
    QEL_DC_OR(0);
    return D->S.BkMode;
}
COLORREF SetTextColor(HDC Hdc, COLORREF Color) {
    QEL_DC_OR(CLR_INVALID_COLOR);
    return std::exchange(D->S.TextColor, Color & 0xFFFFFF);
}
COLORREF GetTextColor(HDC Hdc) {
    QEL_DC_OR(CLR_INVALID_COLOR);
    return D->S.TextColor;
}
UINT SetTextAlign(HDC Hdc, UINT Align) {
    auto D = gdi::DC(Hdc);
    if (!D) return static_cast<UINT>(GDI_ERROR);
    return std::exchange(D->S.TextAlign, Align);
}
UINT GetTextAlign(HDC Hdc) {
    auto D = gdi::DC(Hdc);
    if (!D) return static_cast<UINT>(GDI_ERROR);
    return D->S.TextAlign;
}
int SetROP2(HDC Hdc, int Mode) {
    QEL_DC_OR(0);
    if (Mode < R2_BLACK || Mode > R2_WHITE) return 0;
    return std::exchange(D->S.Rop2, Mode);
}
int GetROP2(HDC Hdc) {
    QEL_DC_OR(0);
    return D->S.Rop2;
}
int SetPolyFillMode(HDC Hdc, int Mode) {
    QEL_DC_OR(0);
    if (Mode != ALTERNATE && Mode != WINDING) return 0;
    return std::exchange(D->S.PolyFill, Mode);
}
int GetPolyFillMode(HDC Hdc) {
    QEL_DC_OR(0);
    return D->S.PolyFill;
}
int SetStretchBltMode(HDC Hdc, int Mode) {
    QEL_DC_OR(0);
    if (Mode < BLACKONWHITE || Mode > HALFTONE) return 0;
    return std::exchange(D->S.StretchMode, Mode);
}
int GetStretchBltMode(HDC Hdc) {
    QEL_DC_OR(0);
    return D->S.StretchMode;
}

COLORREF SetDCPenColor(HDC Hdc, COLORREF Color) {
    QEL_DC_OR(CLR_INVALID_COLOR);
    return std::exchange(D->S.DcPenColor, Color & 0xFFFFFF);
}
COLORREF GetDCPenColor(HDC Hdc) {
    QEL_DC_OR(CLR_INVALID_COLOR);
    return D->S.DcPenColor;
}
COLORREF SetDCBrushColor(HDC Hdc, COLORREF Color) {
    QEL_DC_OR(CLR_INVALID_COLOR);
    return std::exchange(D->S.DcBrushColor, Color & 0xFFFFFF);
}
COLORREF GetDCBrushColor(HDC Hdc) {
    QEL_DC_OR(CLR_INVALID_COLOR);
    return D->S.DcBrushColor;
}

int GetDeviceCaps(HDC Hdc, int Index) {
    QEL_DC_OR(0);
    const TSurface* S = D->Surface();
    const bool Mono = D->Mono();
    switch (Index) {
    case HORZRES:
        return D->Visible ? D->Visible->Width() : S ? S->Width : 0;
    case VERTRES:
        return D->Visible ? D->Visible->Height() : S ? S->Height : 0;
    case BITSPIXEL:
        return Mono ? 1 : 32;
    case PLANES:
        return 1;
    case NUMCOLORS:
        return Mono ? 2 : -1;
    case LOGPIXELSX:
    case LOGPIXELSY:
        return 96;
    }
    return 0;
}

namespace {
BOOL SetPointState(HDC Hdc, TPoint TDCState::*Field, int X, int Y, TPoint* Old) {
    QEL_DC_OR(FALSE);
    if (Old) *Old = D->S.*Field;
    D->S.*Field = {X, Y};
    return TRUE;
}
BOOL GetPointState(HDC Hdc, TPoint TDCState::*Field, TPoint* P) {
    QEL_DC_OR(FALSE);
    if (!P) return FALSE;
    *P = D->S.*Field;
    return TRUE;
}
} // namespace

BOOL SetBrushOrgEx(HDC Hdc, int X, int Y, TPoint* Old) {
    return SetPointState(Hdc, &TDCState::BrushOrg, X, Y, Old);
}
BOOL GetBrushOrgEx(HDC Hdc, TPoint* P) {
    return GetPointState(Hdc, &TDCState::BrushOrg, P);
}
BOOL SetViewportOrgEx(HDC Hdc, int X, int Y, TPoint* Old) {
    return SetPointState(Hdc, &TDCState::ViewportOrg, X, Y, Old);
}
BOOL GetViewportOrgEx(HDC Hdc, TPoint* P) {
    return GetPointState(Hdc, &TDCState::ViewportOrg, P);
}
BOOL SetWindowOrgEx(HDC Hdc, int X, int Y, TPoint* Old) {
    return SetPointState(Hdc, &TDCState::WindowOrg, X, Y, Old);
}
BOOL GetWindowOrgEx(HDC Hdc, TPoint* P) {
    return GetPointState(Hdc, &TDCState::WindowOrg, P);
}
BOOL MoveToEx(HDC Hdc, int X, int Y, TPoint* Old) {
    return SetPointState(Hdc, &TDCState::Pos, X, Y, Old);
}
BOOL GetCurrentPositionEx(HDC Hdc, TPoint* P) {
    return GetPointState(Hdc, &TDCState::Pos, P);
}

} // namespace qel
