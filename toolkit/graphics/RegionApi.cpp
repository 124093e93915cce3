// Region handles and the clip region of device contexts.
#include "toolkit/graphics/DeviceContext.h"

#include <algorithm>

namespace qel {
namespace gdi {
namespace {

HRGN NewRegion(TRegion R) {
    auto O = std::make_shared<TRegionObj>();
    O->Rgn = std::move(R);
    return Register(O);
}

int Complexity(const TRegion& R) {
    if (R.Empty()) return NULLREGION;
    return R.IsRect() ? SIMPLEREGION : COMPLEXREGION;
}

TRect Norm(int L, int T, int R, int B) {
    return {std::min(L, R), std::min(T, B), std::max(L, R), std::max(T, B)};
}

// Clip complexity as GetClipBox reports it: the clip region, or the whole device.
int ClipResult(TDCObj& D) {
    return Complexity(D.EffectiveClip());
}

// The region the DC may draw in, in device coordinates (no clip region: the whole surface
// or visible rectangle).
TRegion DeviceArea(TDCObj& D) {
    TRegion R = D.EffectiveClip();
    R.Offset(-D.OrgX, -D.OrgY);
    return R;
}

} // namespace
} // namespace gdi

using namespace gdi;

HRGN CreateRectRgn(int Left, int Top, int Right, int Bottom) {
    return NewRegion(TRegion(Norm(Left, Top, Right, Bottom)));
}

HRGN CreateRectRgnIndirect(const TRect* R) {
    return R ? CreateRectRgn(R->Left, R->Top, R->Right, R->Bottom) : 0;
}

HRGN CreateRoundRectRgn(int Left, int Top, int Right, int Bottom, int Width, int Height) {
    const TRect B = Norm(Left, Top, Right, Bottom);
    return NewRegion(B.Width() > 0 && B.Height() > 0 ? RoundRectRegion(B, Width, Height)
                                                     : TRegion());
}

HRGN CreateEllipticRgn(int Left, int Top, int Right, int Bottom) {
    const TRect B = Norm(Left, Top, Right, Bottom);
    return NewRegion(B.Width() > 0 && B.Height() > 0 ? EllipseRegion(B) : TRegion());
}

HRGN CreateEllipticRgnIndirect(const TRect* R) {
    return R ? CreateEllipticRgn(R->Left, R->Top, R->Right, R->Bottom) : 0;
}

HRGN CreatePolyPolygonRgn(const TPoint* Pts, const int* Counts, int Polys, int FillMode) {
    if (!Pts || !Counts || Polys < 1 || (FillMode != ALTERNATE && FillMode != WINDING)) return 0;
    std::vector<std::pair<double, double>> F;
    std::vector<int> C;
    for (int I = 0; I < Polys; ++I) {
        if (Counts[I] < 0) return 0;
        C.push_back(Counts[I]);
        for (int K = 0; K < Counts[I]; ++K, ++Pts)
            F.push_back({static_cast<double>(Pts->X), static_cast<double>(Pts->Y)});
    }
    return NewRegion(TRegion::FromPolygons(F, C, FillMode == WINDING));
}

HRGN CreatePolygonRgn(const TPoint* Pts, int Count, int FillMode) {
    if (Count < 0) return 0;
    return CreatePolyPolygonRgn(Pts, &Count, 1, FillMode);
}

int CombineRgn(HRGN Dst, HRGN Src1, HRGN Src2, int Mode) {
    auto D = gdi::Rgn(Dst), A = gdi::Rgn(Src1);
    if (!D || !A) return ERROR;
    if (Mode == RGN_COPY) {
        D->Rgn = A->Rgn;
        return Complexity(D->Rgn);
    }
    auto B = gdi::Rgn(Src2);
    if (!B) return ERROR;
    TRegion::TOp Op;
    switch (Mode) {
    case RGN_AND:
        Op = TRegion::TOp::And;
        break;
    case RGN_OR:
        Op = TRegion::TOp::Or;
        break;
    case RGN_XOR:
        Op = TRegion::TOp::Xor;
        break;
    case RGN_DIFF:
        Op = TRegion::TOp::Diff;
        break;
    default:
        return ERROR;
    }
    D->Rgn = TRegion::Combine(A->Rgn, B->Rgn, Op);
    return Complexity(D->Rgn);
}

int OffsetRgn(HRGN Rgn, int Dx, int Dy) {
    auto R = gdi::Rgn(Rgn);
    if (!R) return ERROR;
    R->Rgn.Offset(Dx, Dy);
    return Complexity(R->Rgn);
}

BOOL SetRectRgn(HRGN Rgn, int Left, int Top, int Right, int Bottom) {
    auto R = gdi::Rgn(Rgn);
    if (!R) return FALSE;
    R->Rgn = TRegion(Norm(Left, Top, Right, Bottom));
    return TRUE;
}

namespace {
TRegion ToSurfaceRgn(const TDCObj& D, TRegion R) {
    R.Offset(D.Dx(), D.Dy());
    return R;
}
} // namespace

BOOL FillRgn(HDC Hdc, HRGN Rgn, HBRUSH Brush) {
    auto D = gdi::DC(Hdc);
    auto R = gdi::Rgn(Rgn);
    auto B = BrushOrSysColor(Brush);
    if (!D || !R || !B) return FALSE;
    if (auto P = RealizeBrush(*D, *B)) FillRegionRop3(*D, ToSurfaceRgn(*D, R->Rgn), &*P, 0xF0);
    return TRUE;
}

BOOL PaintRgn(HDC Hdc, HRGN Rgn) {
    auto D = gdi::DC(Hdc);
    auto R = gdi::Rgn(Rgn);
    if (!D || !R) return FALSE;
    if (auto P = RealizeDCBrush(*D)) FillRegionRop2(*D, ToSurfaceRgn(*D, R->Rgn), *P, D->S.Rop2);
    return TRUE;
}

BOOL InvertRgn(HDC Hdc, HRGN Rgn) {
    auto D = gdi::DC(Hdc);
    auto R = gdi::Rgn(Rgn);
    if (!D || !R) return FALSE;
    FillRegionRop3(*D, ToSurfaceRgn(*D, R->Rgn), nullptr, 0x55);
    return TRUE;
}

BOOL FrameRgn(HDC Hdc, HRGN Rgn, HBRUSH Brush, int Width, int Height) {
    auto D = gdi::DC(Hdc);
    auto R = gdi::Rgn(Rgn);
    auto B = BrushOrSysColor(Brush);
    if (!D || !R || !B || Width < 1 || Height < 1) return FALSE;
    // The frame is what erosion by Width x Height removes from the region.
    TRegion Core = R->Rgn;
    for (auto [Dx, Dy] : {std::pair{Width, 0}, {-Width, 0}, {0, Height}, {0, -Height}}) {
        TRegion S = R->Rgn;
        S.Offset(Dx, Dy);
        Core = TRegion::Combine(Core, S, TRegion::TOp::And);
    }
    const TRegion Frame = TRegion::Combine(R->Rgn, Core, TRegion::TOp::Diff);
    if (auto P = RealizeBrush(*D, *B)) FillRegionRop3(*D, ToSurfaceRgn(*D, Frame), &*P, 0xF0);
    return TRUE;
}

BOOL PtInRegion(HRGN Rgn, int X, int Y) {
    auto R = gdi::Rgn(Rgn);
    return R && R->Rgn.Contains(X, Y) ? TRUE : FALSE;
}

BOOL RectInRegion(HRGN Rgn, const TRect* Rc) {
    auto R = gdi::Rgn(Rgn);
    if (!R || !Rc) return FALSE;
    return R->Rgn.Intersects(Norm(Rc->Left, Rc->Top, Rc->Right, Rc->Bottom)) ? TRUE : FALSE;
}

int GetRgnBox(HRGN Rgn, TRect* Rc) {
    auto R = gdi::Rgn(Rgn);
    if (!R || !Rc) return ERROR;
    *Rc = R->Rgn.Box();
    return Complexity(R->Rgn);
}

BOOL EqualRgn(HRGN A, HRGN B) {
    auto Ra = gdi::Rgn(A), Rb = gdi::Rgn(B);
    if (!Ra || !Rb) return ERROR;
    return Ra->Rgn == Rb->Rgn ? TRUE : FALSE;
}

int ExtSelectClipRgn(HDC Hdc, HRGN Rgn, int Mode) {
    auto D = gdi::DC(Hdc);
    if (!D) return ERROR;
    if (!Rgn) {
        if (Mode != RGN_COPY) return ERROR;
        D->S.Clip.reset();
        D->InvalidateClip();
        return ClipResult(*D);
    }
    auto R = gdi::Rgn(Rgn);
    if (!R) return ERROR;
    if (Mode == RGN_COPY) {
        D->S.Clip = R->Rgn;
    } else {
        const TRegion Cur = D->S.Clip ? *D->S.Clip : DeviceArea(*D);
        TRegion::TOp Op;
        switch (Mode) {
        case RGN_AND:
            Op = TRegion::TOp::And;
            break;
        case RGN_OR:
            Op = TRegion::TOp::Or;
            break;
        case RGN_XOR:
            Op = TRegion::TOp::Xor;
            break;
        case RGN_DIFF:
            Op = TRegion::TOp::Diff;
            break;
        default:
            return ERROR;
        }
        D->S.Clip = TRegion::Combine(Cur, R->Rgn, Op);
    }
    D->InvalidateClip();
    return ClipResult(*D);
}

int SelectClipRgn(HDC Hdc, HRGN Rgn) {
    return ExtSelectClipRgn(Hdc, Rgn, RGN_COPY);
}

namespace {
// Logical rectangle to device coordinates (the clip region lives in device space).
TRect LogicalToDevice(const TDCObj& D, TRect R) {
    const int Dx = D.S.ViewportOrg.X - D.S.WindowOrg.X, Dy = D.S.ViewportOrg.Y - D.S.WindowOrg.Y;
    return {R.Left + Dx, R.Top + Dy, R.Right + Dx, R.Bottom + Dy};
}
} // namespace

int IntersectClipRect(HDC Hdc, int Left, int Top, int Right, int Bottom) {
    auto D = gdi::DC(Hdc);
    if (!D) return ERROR;
    const TRegion Cur = D->S.Clip ? *D->S.Clip : DeviceArea(*D);
    D->S.Clip = TRegion::Combine(Cur, TRegion(LogicalToDevice(*D, Norm(Left, Top, Right, Bottom))),
                                 TRegion::TOp::And);
    D->InvalidateClip();
    return ClipResult(*D);
}

int ExcludeClipRect(HDC Hdc, int Left, int Top, int Right, int Bottom) {
    auto D = gdi::DC(Hdc);
    if (!D) return ERROR;
    const TRegion Cur = D->S.Clip ? *D->S.Clip : DeviceArea(*D);
    D->S.Clip = TRegion::Combine(Cur, TRegion(LogicalToDevice(*D, Norm(Left, Top, Right, Bottom))),
                                 TRegion::TOp::Diff);
    D->InvalidateClip();
    return ClipResult(*D);
}

int OffsetClipRgn(HDC Hdc, int Dx, int Dy) {
    auto D = gdi::DC(Hdc);
    if (!D) return ERROR;
    if (D->S.Clip) D->S.Clip->Offset(Dx, Dy);
    D->InvalidateClip();
    return ClipResult(*D);
}

int GetClipBox(HDC Hdc, TRect* R) {
    auto D = gdi::DC(Hdc);
    if (!D || !R) return ERROR;
    const TRegion& C = D->EffectiveClip();
    TRect B = C.Box();
    // Back to logical coordinates.
    B = {B.Left - D->Dx(), B.Top - D->Dy(), B.Right - D->Dx(), B.Bottom - D->Dy()};
    if (C.Empty()) B = {};
    *R = B;
    return Complexity(C);
}

int GetClipRgn(HDC Hdc, HRGN Rgn) {
    auto D = gdi::DC(Hdc);
    auto R = gdi::Rgn(Rgn);
    if (!D || !R) return -1;
    if (!D->S.Clip) return 0;
    R->Rgn = *D->S.Clip;
    return 1;
}

BOOL PtVisible(HDC Hdc, int X, int Y) {
    auto D = gdi::DC(Hdc);
    if (!D) return FALSE;
    return D->EffectiveClip().Contains(X + D->Dx(), Y + D->Dy()) ? TRUE : FALSE;
}

BOOL RectVisible(HDC Hdc, const TRect* R) {
    auto D = gdi::DC(Hdc);
    if (!D || !R) return FALSE;
    return D->EffectiveClip().Intersects(ToSurface(*D, Norm(R->Left, R->Top, R->Right, R->Bottom)))
               ? TRUE
               : FALSE;
}

} // namespace qel
