// Paints, raster operations and the fills every drawing call ends in.
#include "toolkit/graphics/DeviceContext.h"

#include <algorithm>

namespace qel {
namespace gdi {

namespace {

// Hatch patterns, one byte per row, bit 7 = leftmost pixel.
constexpr std::uint8_t Hatches[6][8] = {
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF}, // horizontal
    {0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01}, // vertical
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01}, // forward diagonal: top left to bottom right
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80}, // backward diagonal
    {0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0xFF}, // cross
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81}, // diagonal cross
};

int Mod(int A, int B) {
    const int M = A % B;
    return M < 0 ? M + B : M;
}

} // namespace

TRop2 TRop2::Make(int Mode) {
    if (Mode < R2_BLACK || Mode > R2_WHITE) Mode = R2_COPYPEN;
    const unsigned T = static_cast<unsigned>(Mode - 1);
    auto F = [T](int P, int D) { return ((T >> (2 * P + D)) & 1) != 0; };
    auto All = [](bool B) { return B ? PixelMask : 0u; };
    return {All(F(0, 0) != F(0, 1)), All(F(1, 0) != F(1, 1)), All(F(0, 0)), All(F(1, 0))};
}

const std::uint32_t* TPaint::Row(int Y, int& Phase, int X) const {
    Phase = Mod(X - AnchorX, W);
    return Pix.data() + static_cast<std::size_t>(Mod(Y - AnchorY, H)) * W;
}

TPaint SolidPaint(std::uint32_t Pixel) {
    TPaint P;
    P.Color = Pixel & PixelMask;
    return P;
}

std::optional<TPaint> RealizeBrush(const TDCObj& D, const TBrushObj& B) {
    if (B.DcBrush) return SolidPaint(DevicePixel(D, D.S.DcBrushColor));
    switch (B.Style) {
    case BS_SOLID:
        return SolidPaint(DevicePixel(D, B.Color));
    case BS_HATCHED: {
        TPaint P;
        P.Solid = false;
        P.W = P.H = 8;
        P.Pix.resize(64);
        const std::uint32_t Fg = DevicePixel(D, B.Color), Bg = DevicePixel(D, D.S.BkColor);
        const bool Opaque = D.S.BkMode == OPAQUE;
        if (!Opaque) P.Opaque.resize(64);
        for (int Y = 0; Y < 8; ++Y)
            for (int X = 0; X < 8; ++X) {
                const bool On = (Hatches[B.Hatch][Y] >> (7 - X)) & 1;
                P.Pix[Y * 8 + X] = On ? Fg : Bg;
                if (!Opaque) P.Opaque[Y * 8 + X] = On;
            }
        P.AnchorX = D.OrgX + D.S.BrushOrg.X;
        P.AnchorY = D.OrgY + D.S.BrushOrg.Y;
        return P;
    }
    case BS_PATTERN: {
        if (!B.Pattern || B.Pattern->Width == 0 || B.Pattern->Height == 0) return std::nullopt;
        TPaint P;
        P.Solid = false;
        P.W = B.Pattern->Width;
        P.H = B.Pattern->Height;
        P.Pix = B.Pattern->Pixels;
        if (B.PatternMono) {
            // Monochrome patterns take the DC's text colour for 0 and background for 1.
            const std::uint32_t Fg = DevicePixel(D, D.S.TextColor);
            const std::uint32_t Bg = DevicePixel(D, D.S.BkColor);
            for (auto& X : P.Pix)
                X = (X & PixelMask) ? Bg : Fg;
        } else if (D.Mono()) {
            for (auto& X : P.Pix)
                X = DevicePixel(D, RGBFromPixel(X));
        }
        P.AnchorX = D.OrgX + D.S.BrushOrg.X;
        P.AnchorY = D.OrgY + D.S.BrushOrg.Y;
        return P;
    }
    default:
        return std::nullopt;
    }
}

std::optional<TPaint> RealizeDCBrush(const TDCObj& D) {
    if (!D.S.Brush) return std::nullopt;
    return RealizeBrush(D, *D.S.Brush);
}

namespace {

void RowRop2(std::uint32_t* Row, int X0, int X1, int Y, const TPaint& P, const TRop2& R) {
    if (P.Solid) {
        const std::uint32_t A = R.A(P.Color), X = R.X(P.Color);
        if (A == 0) {
            FillPixels(Row + X0, static_cast<std::size_t>(X1 - X0), X);
        } else if (X == 0 && A == PixelMask) {
            return;
        } else {
            for (int I = X0; I < X1; ++I)
                Row[I] = (Row[I] & A) ^ X;
        }
        return;
    }
    int Phase;
    const std::uint32_t* Pat = P.Row(Y, Phase, X0);
    const std::uint8_t* Op = P.Opaque.empty() ? nullptr : P.Opaque.data() + (Pat - P.Pix.data());
    for (int I = X0; I < X1; ++I) {
        if (!Op || Op[Phase]) {
            const std::uint32_t C = Pat[Phase];
            Row[I] = (Row[I] & R.A(C)) ^ R.X(C);
        }
        if (++Phase == P.W) Phase = 0;
    }
}

void RowRop3(std::uint32_t* Row, int X0, int X1, int Y, const TPaint* P, BYTE Rop) {
    if (!P || P->Solid) {
        const std::uint32_t C = P ? P->Color : 0;
        switch (Rop) {
        case 0x00:
            FillPixels(Row + X0, static_cast<std::size_t>(X1 - X0), 0u);
            return;
        case 0xFF:
            FillPixels(Row + X0, static_cast<std::size_t>(X1 - X0), PixelMask);
            return;
        case 0xF0:
            FillPixels(Row + X0, static_cast<std::size_t>(X1 - X0), C);
            return;
        case 0xAA:
            return;
        case 0x55:
            for (int I = X0; I < X1; ++I)
                Row[I] ^= PixelMask;
            return;
        case 0x5A:
            for (int I = X0; I < X1; ++I)
                Row[I] ^= C;
            return;
        default:
            for (int I = X0; I < X1; ++I)
                Row[I] = Rop3Pixel(Rop, C, 0, Row[I]);
            return;
        }
    }
    int Phase;
    const std::uint32_t* Pat = P->Row(Y, Phase, X0);
    const std::uint8_t* Op = P->Opaque.empty() ? nullptr : P->Opaque.data() + (Pat - P->Pix.data());
    for (int I = X0; I < X1; ++I) {
        if (!Op || Op[Phase]) Row[I] = Rop3Pixel(Rop, Pat[Phase], 0, Row[I]);
        if (++Phase == P->W) Phase = 0;
    }
}

} // namespace

std::uint32_t Rop3Pixel(BYTE Rop, std::uint32_t P, std::uint32_t S, std::uint32_t D) {
    switch (Rop) {
    case 0x00:
        return 0;
    case 0xFF:
        return PixelMask;
    case 0xCC:
        return S & PixelMask;
    case 0xF0:
        return P & PixelMask;
    case 0xAA:
        return D & PixelMask;
    case 0xEE:
        return (S | D) & PixelMask;
    case 0x88:
        return S & D & PixelMask;
    case 0x66:
        return (S ^ D) & PixelMask;
    case 0x44:
        return S & ~D & PixelMask;
    case 0x33:
        return ~S & PixelMask;
    case 0x11:
        return ~(S | D) & PixelMask;
    case 0xC0:
        return P & S & PixelMask;
    case 0xBB:
        return (~S | D) & PixelMask;
    case 0xFB:
        return (P | ~S | D) & PixelMask;
    case 0x5A:
        return (P ^ D) & PixelMask;
    case 0x55:
        return ~D & PixelMask;
    case 0xB8:
        return ((P & ~S) | (S & D)) & PixelMask; // copy P where S is 0
    case 0xE2:
        return ((D & ~S) | (P & S)) & PixelMask; // copy P where S is 1
    default:
        break;
    }
    std::uint32_t R = 0;
    for (int M = 0; M < 8; ++M) {
        if (!((Rop >> M) & 1)) continue;
        R |= ((M & 4) ? P : ~P) & ((M & 2) ? S : ~S) & ((M & 1) ? D : ~D);
    }
    return R & PixelMask;
}

void FillRectRop2(TDCObj& D, const TRect& R, const TPaint& P, int Rop2) {
    TSurface* S = D.Surface();
    if (!S) return;
    const TRop2 Op = TRop2::Make(Rop2);
    D.EffectiveClip().ForEachIn(R, [&](int L, int T, int Rt, int B) {
        for (int Y = T; Y < B; ++Y)
            RowRop2(S->Row(Y), L, Rt, Y, P, Op);
    });
}

void FillRegionRop2(TDCObj& D, const TRegion& Rg, const TPaint& P, int Rop2) {
    TSurface* S = D.Surface();
    if (!S) return;
    const TRop2 Op = TRop2::Make(Rop2);
    const TRegion& Clip = D.EffectiveClip();
    const TRegion* Use = &Rg;
    TRegion Tmp;
    if (!Clip.IsRect()) {
        Tmp = TRegion::Combine(Rg, Clip, TRegion::TOp::And);
        Use = &Tmp;
    }
    const TRect Box = Clip.Box();
    Use->ForEachIn(Box, [&](int L, int T, int Rt, int B) {
        for (int Y = T; Y < B; ++Y)
            RowRop2(S->Row(Y), L, Rt, Y, P, Op);
    });
}

void FillRectRop3(TDCObj& D, const TRect& R, const TPaint* P, BYTE Rop) {
    TSurface* S = D.Surface();
    if (!S) return;
    D.EffectiveClip().ForEachIn(R, [&](int L, int T, int Rt, int B) {
        for (int Y = T; Y < B; ++Y)
            RowRop3(S->Row(Y), L, Rt, Y, P, Rop);
    });
}

void FillRegionRop3(TDCObj& D, const TRegion& Rg, const TPaint* P, BYTE Rop) {
    TSurface* S = D.Surface();
    if (!S) return;
    TRegion Use = TRegion::Combine(Rg, D.EffectiveClip(), TRegion::TOp::And);
    Use.ForEach([&](int L, int T, int Rt, int B) {
        for (int Y = T; Y < B; ++Y)
            RowRop3(S->Row(Y), L, Rt, Y, P, Rop);
    });
}

void PlotRop2(TDCObj& D, int X, int Y, std::uint32_t Pixel, int Rop2) {
    TSurface* S = D.Surface();
    if (!S) return;
    const TRegion& Clip = D.EffectiveClip();
    if (Clip.IsRect()) {
        const TRect B = Clip.Box();
        if (X < B.Left || X >= B.Right || Y < B.Top || Y >= B.Bottom) return;
    } else if (!Clip.Contains(X, Y)) {
        return;
    }
    std::uint32_t& P = S->Row(Y)[X];
    if (Rop2 == R2_COPYPEN) {
        P = Pixel;
        return;
    }
    const TRop2 Op = TRop2::Make(Rop2);
    P = (P & Op.A(Pixel)) ^ Op.X(Pixel);
}

std::shared_ptr<TBrushObj> BrushOrSysColor(HBRUSH H) {
    if (H > 0 && H <= static_cast<HBRUSH>(COLOR_MAX_INDEX + 1))
        H = GetSysColorBrush(static_cast<int>(H) - 1);
    return Brush(H);
}

TRect ToSurface(const TDCObj& D, TRect R) {
    return {Sat(static_cast<long long>(R.Left) + D.Dx()),
            Sat(static_cast<long long>(R.Top) + D.Dy()),
            Sat(static_cast<long long>(R.Right) + D.Dx()),
            Sat(static_cast<long long>(R.Bottom) + D.Dy())};
}

} // namespace gdi

using namespace gdi;

int FillRect(HDC Hdc, const TRect* R, HBRUSH Brush) {
    auto D = gdi::DC(Hdc);
    auto B = BrushOrSysColor(Brush);
    if (!D || !B || !R) return 0;
    if (auto P = RealizeBrush(*D, *B)) FillRectRop3(*D, ToSurface(*D, *R), &*P, 0xF0);
    return 1;
}

int FrameRect(HDC Hdc, const TRect* R, HBRUSH Brush) {
    auto D = gdi::DC(Hdc);
    auto B = BrushOrSysColor(Brush);
    if (!D || !B || !R) return 0;
    const TRect S = ToSurface(*D, *R);
    if (S.Left >= S.Right || S.Top >= S.Bottom) return 1;
    TRegion Outer(S);
    TRegion Inner(TRect{S.Left + 1, S.Top + 1, S.Right - 1, S.Bottom - 1});
    if (auto P = RealizeBrush(*D, *B))
        FillRegionRop3(*D, TRegion::Combine(Outer, Inner, TRegion::TOp::Diff), &*P, 0xF0);
    return 1;
}

BOOL InvertRect(HDC Hdc, const TRect* R) {
    auto D = gdi::DC(Hdc);
    if (!D || !R) return FALSE;
    FillRectRop3(*D, ToSurface(*D, *R), nullptr, 0x55);
    return TRUE;
}

BOOL PatBlt(HDC Hdc, int X, int Y, int W, int H, DWORD Rop) {
    auto D = gdi::DC(Hdc);
    if (!D) return FALSE;
    const BYTE R = static_cast<BYTE>(Rop >> 16);
    if (RopUsesSource(R)) return FALSE;
    TRect Rc = SurfaceRect(*D, X, Y, W, H);
    Rc = {std::min(Rc.Left, Rc.Right), std::min(Rc.Top, Rc.Bottom), std::max(Rc.Left, Rc.Right),
          std::max(Rc.Top, Rc.Bottom)};
    std::optional<TPaint> P;
    if (RopUsesPattern(R)) {
        P = RealizeDCBrush(*D);
        if (!P) return TRUE; // a null brush paints nothing
    }
    FillRectRop3(*D, Rc, P ? &*P : nullptr, R);
    return TRUE;
}

COLORREF GetPixel(HDC Hdc, int X, int Y) {
    auto D = gdi::DC(Hdc);
    if (!D || !D->Surface()) return CLR_INVALID_COLOR;
    X += D->Dx();
    Y += D->Dy();
    if (!D->EffectiveClip().Contains(X, Y)) return CLR_INVALID_COLOR;
    return RGBFromPixel(D->Surface()->Get(X, Y) & PixelMask);
}

COLORREF SetPixel(HDC Hdc, int X, int Y, COLORREF Color) {
    auto D = gdi::DC(Hdc);
    if (!D || !D->Surface()) return CLR_INVALID_COLOR;
    X += D->Dx();
    Y += D->Dy();
    if (!D->EffectiveClip().Contains(X, Y)) return CLR_INVALID_COLOR;
    const std::uint32_t P = DevicePixel(*D, Color);
    D->Surface()->Set(X, Y, P);
    return RGBFromPixel(P);
}

BOOL SetPixelV(HDC Hdc, int X, int Y, COLORREF Color) {
    return SetPixel(Hdc, X, Y, Color) != CLR_INVALID_COLOR ? TRUE : FALSE;
}

} // namespace qel
