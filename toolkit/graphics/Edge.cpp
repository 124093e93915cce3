// Rectangle arithmetic, MulDiv, and the USER drawing helpers DrawEdge and DrawFocusRect.
#include "toolkit/graphics/DeviceContext.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace qel {

using namespace gdi;

BOOL SetRect(TRect* R, int Left, int Top, int Right, int Bottom) {
    if (!R) return FALSE;
    *R = {Left, Top, Right, Bottom};
    return TRUE;
}

BOOL SetRectEmpty(TRect* R) {
    return SetRect(R, 0, 0, 0, 0);
}

BOOL CopyRect(TRect* Dst, const TRect* Src) {
    if (!Dst || !Src) return FALSE;
    *Dst = *Src;
    return TRUE;
}

BOOL InflateRect(TRect* R, int Dx, int Dy) {
    if (!R) return FALSE;
    R->Left -= Dx;
    R->Right += Dx;
    R->Top -= Dy;
    R->Bottom += Dy;
    return TRUE;
}

BOOL OffsetRect(TRect* R, int Dx, int Dy) {
    if (!R) return FALSE;
    R->Left += Dx;
    R->Right += Dx;
    R->Top += Dy;
    R->Bottom += Dy;
    return TRUE;
}

BOOL IsRectEmpty(const TRect* R) {
    return !R || R->Left >= R->Right || R->Top >= R->Bottom ? TRUE : FALSE;
}

BOOL PtInRect(const TRect* R, TPoint P) {
    return R && P.X >= R->Left && P.X < R->Right && P.Y >= R->Top && P.Y < R->Bottom ? TRUE : FALSE;
}

BOOL EqualRect(const TRect* A, const TRect* B) {
    return A && B && *A == *B ? TRUE : FALSE;
}

BOOL IntersectRect(TRect* Dst, const TRect* A, const TRect* B) {
    if (!Dst || !A || !B) return FALSE;
    const TRect R{std::max(A->Left, B->Left), std::max(A->Top, B->Top),
                  std::min(A->Right, B->Right), std::min(A->Bottom, B->Bottom)};
    if (IsRectEmpty(&R)) {
        *Dst = {};
        return FALSE;
    }
    *Dst = R;
    return TRUE;
}

BOOL UnionRect(TRect* Dst, const TRect* A, const TRect* B) {
    if (!Dst || !A || !B) return FALSE;
    const bool Ea = IsRectEmpty(A), Eb = IsRectEmpty(B);
    if (Ea && Eb) {
        *Dst = {};
        return FALSE;
    }
    if (Ea)
        *Dst = *B;
    else if (Eb)
        *Dst = *A;
    else
        *Dst = {std::min(A->Left, B->Left), std::min(A->Top, B->Top), std::max(A->Right, B->Right),
                std::max(A->Bottom, B->Bottom)};
    return TRUE;
}

BOOL SubtractRect(TRect* Dst, const TRect* A, const TRect* B) {
    if (!Dst || !A || !B) return FALSE;
    TRect R = *A;
    TRect I;
    if (IntersectRect(&I, A, B)) {
        // Only a cut across a whole side shrinks the rectangle.
        if (I.Top == R.Top && I.Bottom == R.Bottom) {
            if (I.Left == R.Left)
                R.Left = I.Right;
            else if (I.Right == R.Right)
                R.Right = I.Left;
        } else if (I.Left == R.Left && I.Right == R.Right) {
            if (I.Top == R.Top)
                R.Top = I.Bottom;
            else if (I.Bottom == R.Bottom)
                R.Bottom = I.Top;
        }
    }
    if (IsRectEmpty(&R)) {
        *Dst = {};
        return FALSE;
    }
    *Dst = R;
    return TRUE;
}

int MulDiv(int A, int B, int C) {
    if (C == 0) return -1;
    long long N = static_cast<long long>(A) * B;
    long long D = C;
    if (D < 0) {
        N = -N;
        D = -D;
    }
    const long long Q = N >= 0 ? (N + D / 2) / D : -((-N + D / 2) / D);
    if (Q > INT_MAX || Q < INT_MIN) return -1;
    return static_cast<int>(Q);
}

namespace {

void FillSolid(TDCObj& D, const TRect& R, COLORREF C) {
    if (R.Left >= R.Right || R.Top >= R.Bottom) return;
    const TPaint P = SolidPaint(DevicePixel(D, C));
    FillRectRop3(D, ToSurface(D, R), &P, 0xF0);
}

} // namespace

BOOL DrawEdge(HDC Hdc, TRect* Rc, UINT Edge, UINT Flags) {
    auto D = gdi::DC(Hdc);
    if (!D || !Rc) return FALSE;
    TRect R = *Rc;
    const bool Soft = Flags & BF_SOFT, Mono = Flags & BF_MONO, Flat = Flags & BF_FLAT;

    struct TRing {
        bool Present;
        int Lt, Rb; // system colour indices
    } Rings[2];
    // Outer ring.
    if (Edge & BDR_RAISEDOUTER)
        Rings[0] = {true, Soft ? COLOR_3DHILIGHT : COLOR_3DLIGHT, COLOR_3DDKSHADOW};
    else if (Edge & BDR_SUNKENOUTER)
        Rings[0] = {true, Soft ? COLOR_3DDKSHADOW : COLOR_3DSHADOW, COLOR_3DHILIGHT};
    else
        Rings[0] = {false, 0, 0};
    // Inner ring.
    if (Edge & BDR_RAISEDINNER)
        Rings[1] = {true, Soft ? COLOR_3DLIGHT : COLOR_3DHILIGHT, COLOR_3DSHADOW};
    else if (Edge & BDR_SUNKENINNER)
        Rings[1] = {true, Soft ? COLOR_3DSHADOW : COLOR_3DDKSHADOW, COLOR_3DLIGHT};
    else
        Rings[1] = {false, 0, 0};
    if (Mono) {
        Rings[0].Lt = Rings[0].Rb = COLOR_WINDOWFRAME;
        Rings[1].Lt = Rings[1].Rb = COLOR_WINDOW;
    } else if (Flat) {
        Rings[0].Lt = Rings[0].Rb = COLOR_3DSHADOW;
        Rings[1].Lt = Rings[1].Rb = COLOR_3DFACE;
    }

    if (Flags & BF_DIAGONAL) {
        // A diagonal edge: one line per ring between opposite corners, the side of the
        // flags choosing the end and the light or dark colour.
        for (const TRing& Ring : Rings) {
            if (!Ring.Present || R.Width() <= 0 || R.Height() <= 0) continue;
            const bool EndTop = Flags & BF_TOP, EndRight = Flags & BF_RIGHT;
            const int Color = (EndTop != EndRight) ? Ring.Lt : Ring.Rb;
            TPoint A{EndRight ? R.Left : R.Right - 1, EndTop ? R.Bottom - 1 : R.Top};
            TPoint B{EndRight ? R.Right - 1 : R.Left, EndTop ? R.Top : R.Bottom - 1};
            const int Len = std::min(R.Width(), R.Height());
            const int Sx = B.X > A.X ? 1 : -1, Sy = B.Y > A.Y ? 1 : -1;
            const std::uint32_t Px = DevicePixel(*D, GetSysColor(Color));
            for (int I = 0; I < Len; ++I)
                PlotRop2(*D, A.X + Sx * I + D->Dx(), A.Y + Sy * I + D->Dy(), Px, R2_COPYPEN);
            InflateRect(&R, -1, -1);
        }
        if (Flags & BF_MIDDLE) {
            // Nothing sensible to fill beside a diagonal; the platform leaves it too.
        }
        if (Flags & BF_ADJUST) *Rc = R;
        return TRUE;
    }

    for (const TRing& Ring : Rings) {
        if (!Ring.Present) continue;
        const COLORREF Lt = GetSysColor(Ring.Lt), Rb = GetSysColor(Ring.Rb);
        if (Flags & BF_LEFT) FillSolid(*D, {R.Left, R.Top, R.Left + 1, R.Bottom}, Lt);
        if (Flags & BF_TOP) FillSolid(*D, {R.Left, R.Top, R.Right, R.Top + 1}, Lt);
        if (Flags & BF_RIGHT) FillSolid(*D, {R.Right - 1, R.Top, R.Right, R.Bottom}, Rb);
        if (Flags & BF_BOTTOM) FillSolid(*D, {R.Left, R.Bottom - 1, R.Right, R.Bottom}, Rb);
        if (Flags & BF_LEFT) ++R.Left;
        if (Flags & BF_TOP) ++R.Top;
        if (Flags & BF_RIGHT) --R.Right;
        if (Flags & BF_BOTTOM) --R.Bottom;
    }
    if (Flags & BF_MIDDLE) FillSolid(*D, R, GetSysColor(Mono ? COLOR_WINDOW : COLOR_3DFACE));
    if (Flags & BF_ADJUST) *Rc = R;
    return TRUE;
}

BOOL DrawFocusRect(HDC Hdc, const TRect* Rc) {
    auto D = gdi::DC(Hdc);
    if (!D || !Rc) return FALSE;
    TSurface* S = D->Surface();
    if (!S || IsRectEmpty(Rc)) return TRUE;
    const TRect R = ToSurface(*D, *Rc);
    // Every border pixel exactly once, so a second call restores the picture.
    TRegion Border = TRegion::Combine(
        TRegion(R), TRegion(TRect{R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1}),
        TRegion::TOp::Diff);
    Border = TRegion::Combine(Border, D->EffectiveClip(), TRegion::TOp::And);
    // Dots on even (x + y) in device coordinates, whatever the window's place on the surface.
    Border.ForEach([&](int L, int T, int Rt, int B) {
        for (int Y = T; Y < B; ++Y) {
            std::uint32_t* Row = S->Row(Y);
            for (int X = L; X < Rt; ++X)
                if (((X - D->OrgX + Y - D->OrgY) & 1) == 0) Row[X] ^= PixelMask;
        }
    });
    return TRUE;
}

} // namespace qel
