// Block transfers: BitBlt and StretchBlt with ternary raster operations, monochrome and colour
// conversion and the four stretch modes.
#include "toolkit/graphics/DeviceContext.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qel {
namespace gdi {

void CopyPixelsNearPage(std::uint32_t* D, const std::uint32_t* S, std::size_t N) {
    std::size_t I = 0;
#if defined(__SSE2__)
    for (; I + 8 <= N; I += 8) {
        const __m128i A = _mm_loadu_si128(reinterpret_cast<const __m128i*>(S + I));
        const __m128i B = _mm_loadu_si128(reinterpret_cast<const __m128i*>(S + I + 4));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(D + I), A);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(D + I + 4), B);
    }
#endif
    std::memcpy(D + I, S + I, (N - I) * sizeof *D); // a few pixels, or all where no string move
}

namespace {

// One destination row: D = rop(P, S, D) over N pixels.
void ApplyRow(std::uint32_t* D, const std::uint32_t* S, int N, BYTE Rop, const TPaint* P, int Y,
              int X0) {
    if (P && !P->Solid) {
        int Phase;
        const std::uint32_t* Pat = P->Row(Y, Phase, X0);
        const std::uint8_t* Op =
            P->Opaque.empty() ? nullptr : P->Opaque.data() + (Pat - P->Pix.data());
        for (int I = 0; I < N; ++I) {
            if (!Op || Op[Phase]) D[I] = Rop3Pixel(Rop, Pat[Phase], S[I], D[I]);
            if (++Phase == P->W) Phase = 0;
        }
        return;
    }
    const std::uint32_t C = P ? P->Color : 0;
    switch (Rop) {
    case 0xCC: // never overlapping: a source on the target's surface is read from a snapshot
        CopyPixels(D, S, static_cast<std::size_t>(N));
        return;
    case 0xEE:
        for (int I = 0; I < N; ++I)
            D[I] |= S[I];
        return;
    case 0x88:
        for (int I = 0; I < N; ++I)
            D[I] &= S[I];
        return;
    case 0x66:
        for (int I = 0; I < N; ++I)
            D[I] ^= S[I];
        return;
    case 0x33:
        for (int I = 0; I < N; ++I)
            D[I] = ~S[I] & PixelMask;
        return;
    case 0x44:
        for (int I = 0; I < N; ++I)
            D[I] = S[I] & ~D[I] & PixelMask;
        return;
    case 0x11:
        for (int I = 0; I < N; ++I)
            D[I] = ~(S[I] | D[I]) & PixelMask;
        return;
    case 0xBB:
        for (int I = 0; I < N; ++I)
            D[I] = (~S[I] | D[I]) & PixelMask;
        return;
    case 0xC0:
        for (int I = 0; I < N; ++I)
            D[I] = S[I] & C;
        return;
    default:
        for (int I = 0; I < N; ++I)
            D[I] = Rop3Pixel(Rop, C, S[I], D[I]);
        return;
    }
}

// Source range [A, B) of destination index I when Dn destination pixels show Sn source
// pixels; one centre-sampled pixel when enlarging or when the mode deletes pixels.
void SourceRange(int I, int Dn, int Sn, bool Combine, int& A, int& B) {
    if (Combine && Sn > Dn) {
        A = static_cast<int>(static_cast<long long>(I) * Sn / Dn);
        B = static_cast<int>(static_cast<long long>(I + 1) * Sn / Dn);
        if (B <= A) B = A + 1;
        return;
    }
    A = static_cast<int>((2LL * I + 1) * Sn / (2LL * Dn));
    B = A + 1;
}

struct TBlitSource {
    const TSurface* Surf;
    bool SrcMono;
    bool DstMono;
    std::uint32_t Fg, Bg; // mono -> colour
    std::uint32_t SrcBk;  // colour -> mono: this colour becomes white
    std::uint32_t Convert(std::uint32_t P) const {
        P &= PixelMask;
        if (SrcMono && !DstMono) return P ? Bg : Fg;
        if (!SrcMono && DstMono) return P == SrcBk ? PixelMask : 0;
        return P;
    }
    bool NeedsConvert() const { return SrcMono != DstMono; }
};

BOOL Blit(TDCObj& D, TRect Dst, TDCObj* S, TRect Src, BYTE Rop, bool Stretch) {
    TSurface* DS = D.Surface();
    if (!DS) return FALSE;
    std::optional<TPaint> Pat;
    if (RopUsesPattern(Rop)) {
        Pat = RealizeDCBrush(D);
        if (!Pat) Pat = SolidPaint(0); // a null brush acts as black here
    }
    const TPaint* P = Pat ? &*Pat : nullptr;
    if (!RopUsesSource(Rop)) {
        TRect R{std::min(Dst.Left, Dst.Right), std::min(Dst.Top, Dst.Bottom),
                std::max(Dst.Left, Dst.Right), std::max(Dst.Top, Dst.Bottom)};
        FillRectRop3(D, R, P, Rop);
        return TRUE;
    }
    if (!S || !S->Surface()) return FALSE;
    const TSurface* SS = S->Surface();

    const bool MirrorX = (Dst.Right < Dst.Left) != (Src.Right < Src.Left);
    const bool MirrorY = (Dst.Bottom < Dst.Top) != (Src.Bottom < Src.Top);
    const TRect DR{std::min(Dst.Left, Dst.Right), std::min(Dst.Top, Dst.Bottom),
                   std::max(Dst.Left, Dst.Right), std::max(Dst.Top, Dst.Bottom)};
    const TRect SR{std::min(Src.Left, Src.Right), std::min(Src.Top, Src.Bottom),
                   std::max(Src.Left, Src.Right), std::max(Src.Top, Src.Bottom)};
    const int Dw = DR.Width(), Dh = DR.Height(), Sw = SR.Width(), Sh = SR.Height();
    if (Dw <= 0 || Dh <= 0 || Sw <= 0 || Sh <= 0) return TRUE;

    TBlitSource Conv{SS,
                     S->Mono(),
                     D.Mono(),
                     DevicePixel(D, D.S.TextColor),
                     DevicePixel(D, D.S.BkColor),
                     PixelFromRGB(S->S.BkColor)};

    // A source overlapping the destination is read from a snapshot.
    TSurface Snapshot;
    TRect SRead = SR;
    if (SS == DS) {
        TRect Inter;
        TRect Bounds{0, 0, SS->Width, SS->Height};
        IntersectRect(&Inter, &SR, &Bounds);
        if (!IsRectEmpty(&Inter)) {
            Snapshot.Resize(Inter.Width(), Inter.Height());
            for (int Y = Inter.Top; Y < Inter.Bottom; ++Y)
                CopyPixels(Snapshot.Row(Y - Inter.Top), SS->Row(Y) + Inter.Left,
                           static_cast<std::size_t>(Inter.Width()));
        }
        SS = &Snapshot;
        SRead = {SR.Left - Inter.Left, SR.Top - Inter.Top, SR.Right - Inter.Left,
                 SR.Bottom - Inter.Top};
        Conv.Surf = SS;
    }

    const bool Same = !Stretch || (Dw == Sw && Dh == Sh);
    const int Mode = D.S.StretchMode;
    const bool Combine = !Same && Mode != COLORONCOLOR;

    // Column and row maps: destination index -> source range (in source surface coordinates);
    // destination pixels whose source falls outside the source surface are left alone.
    // Only the part of the destination the clip can show is mapped.
    const TRect ClipBox = D.EffectiveClip().Box();
    const int Vx0 = std::max(0, ClipBox.Left - DR.Left),
              Vx1 = std::min(Dw, ClipBox.Right - DR.Left);
    const int Vy0 = std::max(0, ClipBox.Top - DR.Top), Vy1 = std::min(Dh, ClipBox.Bottom - DR.Top);
    if (Vx0 >= Vx1 || Vy0 >= Vy1) return TRUE;
    std::vector<int> CaV(static_cast<std::size_t>(Vx1 - Vx0)), CbV(CaV.size());
    std::vector<int> RaV(static_cast<std::size_t>(Vy1 - Vy0)), RbV(RaV.size());
    auto Ca = [&](int I) -> int& { return CaV[static_cast<std::size_t>(I - Vx0)]; };
    auto Cb = [&](int I) -> int& { return CbV[static_cast<std::size_t>(I - Vx0)]; };
    auto Ra = [&](int I) -> int& { return RaV[static_cast<std::size_t>(I - Vy0)]; };
    auto Rb = [&](int I) -> int& { return RbV[static_cast<std::size_t>(I - Vy0)]; };
    for (int I = Vx0; I < Vx1; ++I) {
        int A, B;
        if (Same)
            A = I, B = I + 1;
        else
            SourceRange(I, Dw, Sw, Combine, A, B);
        if (MirrorX) std::tie(A, B) = std::pair(Sw - B, Sw - A);
        Ca(I) = std::max(SRead.Left + A, 0);
        Cb(I) = std::min(SRead.Left + B, SS->Width);
    }
    for (int I = Vy0; I < Vy1; ++I) {
        int A, B;
        if (Same)
            A = I, B = I + 1;
        else
            SourceRange(I, Dh, Sh, Combine, A, B);
        if (MirrorY) std::tie(A, B) = std::pair(Sh - B, Sh - A);
        Ra(I) = std::max(SRead.Top + A, 0);
        Rb(I) = std::min(SRead.Top + B, SS->Height);
    }
    int X0 = Vx0, X1 = Vx1, Y0 = Vy0, Y1 = Vy1;
    while (X0 < X1 && Ca(X0) >= Cb(X0))
        ++X0;
    while (X1 > X0 && Ca(X1 - 1) >= Cb(X1 - 1))
        --X1;
    while (Y0 < Y1 && Ra(Y0) >= Rb(Y0))
        ++Y0;
    while (Y1 > Y0 && Ra(Y1 - 1) >= Rb(Y1 - 1))
        --Y1;
    const TRect Valid{DR.Left + X0, DR.Top + Y0, DR.Left + X1, DR.Top + Y1};

    const bool Direct = Same && !MirrorX && !Conv.NeedsConvert();
    std::vector<std::uint32_t> Buf;
    D.EffectiveClip().ForEachIn(Valid, [&](int L, int T, int R, int B) {
        const int N = R - L;
        if (Buf.size() < static_cast<std::size_t>(N)) Buf.resize(static_cast<std::size_t>(N));
        for (int Y = T; Y < B; ++Y) {
            const int Di = Y - DR.Top;
            std::uint32_t* Row = DS->Row(Y) + L;
            const std::uint32_t* Src;
            if (Direct && Rb(Di) - Ra(Di) == 1) {
                Src = SS->Row(Ra(Di)) + Ca(L - DR.Left);
            } else if (!Combine) {
                const std::uint32_t* SrcRow = SS->Row(Ra(Di));
                for (int X = L; X < R; ++X)
                    Buf[X - L] = Conv.Convert(SrcRow[Ca(X - DR.Left)]);
                Src = Buf.data();
            } else {
                for (int X = L; X < R; ++X) {
                    const int Xi = X - DR.Left;
                    std::uint32_t Acc = Mode == BLACKONWHITE ? PixelMask : 0;
                    unsigned SumR = 0, SumG = 0, SumB = 0, Cnt = 0;
                    for (int Sy = Ra(Di); Sy < Rb(Di); ++Sy)
                        for (int Sx = Ca(Xi); Sx < Cb(Xi); ++Sx) {
                            const std::uint32_t V = Conv.Convert(SS->Row(Sy)[Sx]);
                            if (Mode == BLACKONWHITE)
                                Acc &= V;
                            else if (Mode == WHITEONBLACK)
                                Acc |= V;
                            else {
                                SumR += (V >> 16) & 0xFF;
                                SumG += (V >> 8) & 0xFF;
                                SumB += V & 0xFF;
                                ++Cnt;
                            }
                        }
                    if (Mode == HALFTONE && Cnt)
                        Acc = ((SumR / Cnt) << 16) | ((SumG / Cnt) << 8) | (SumB / Cnt);
                    Buf[X - L] = Acc;
                }
                Src = Buf.data();
            }
            ApplyRow(Row, Src, N, Rop, P, Y, L);
        }
    });
    return TRUE;
}

} // namespace

} // namespace gdi

using namespace gdi;

BOOL BitBlt(HDC Dst, int X, int Y, int W, int H, HDC Src, int SrcX, int SrcY, DWORD Rop) {
    auto D = gdi::DC(Dst);
    if (!D) return FALSE;
    const BYTE R = static_cast<BYTE>(Rop >> 16);
    auto S = gdi::DC(Src);
    if (RopUsesSource(R) && !S) return FALSE;
    if (W <= 0 || H <= 0) return TRUE;
    const TRect DR = SurfaceRect(*D, X, Y, W, H);
    TRect SR{};
    if (S) SR = SurfaceRect(*S, SrcX, SrcY, W, H);
    return Blit(*D, DR, S.get(), SR, R, false);
}

BOOL StretchBlt(HDC Dst, int X, int Y, int W, int H, HDC Src, int SrcX, int SrcY, int SrcW,
                int SrcH, DWORD Rop) {
    auto D = gdi::DC(Dst);
    if (!D) return FALSE;
    const BYTE R = static_cast<BYTE>(Rop >> 16);
    auto S = gdi::DC(Src);
    if (RopUsesSource(R) && !S) return FALSE;
    const TRect DR = SurfaceRect(*D, X, Y, W, H);
    TRect SR{};
    if (S) SR = SurfaceRect(*S, SrcX, SrcY, SrcW, SrcH);
    return Blit(*D, DR, S.get(), SR, R, true);
}

} // namespace qel
