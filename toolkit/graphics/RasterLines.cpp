// Pen strokes: thin lines pixel-exact with styles, wide lines as filled outlines.
#include "toolkit/graphics/DeviceContext.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace qel {
namespace gdi {

namespace {

struct TDash {
    const int* Runs = nullptr;
    int Count = 0;
    int Period = 0;
    bool On(long long Pos) const {
        long long P = Pos % Period;
        for (int I = 0; I < Count; ++I) {
            if (P < Runs[I]) return (I & 1) == 0;
            P -= Runs[I];
        }
        return false;
    }
};

constexpr int DashRuns[] = {18, 6};
constexpr int DotRuns[] = {3, 3};
constexpr int DashDotRuns[] = {9, 6, 3, 6};
constexpr int DashDotDotRuns[] = {9, 3, 3, 3, 3, 3};

TDash DashFor(UINT Style) {
    switch (Style) {
    case PS_DASH:
        return {DashRuns, 2, 24};
    case PS_DOT:
        return {DotRuns, 2, 6};
    case PS_DASHDOT:
        return {DashDotRuns, 4, 24};
    case PS_DASHDOTDOT:
        return {DashDotDotRuns, 6, 24};
    }
    return {};
}

// Disc of diameter W centred on the pixel (X, Y).
void AddDisc(std::vector<std::vector<std::pair<int, int>>>& Rows, int Top, int X, int Y, int W) {
    const double R = W / 2.0;
    const int Ri = W / 2 + 1;
    for (int Dy = -Ri; Dy <= Ri; ++Dy) {
        const double Q = R * R - Dy * Dy;
        if (Q < 0) continue;
        const int Half = static_cast<int>(std::floor(std::sqrt(Q) - 0.5 + 1e-9));
        if (Half < 0 && !(Dy == 0)) continue;
        const int H = std::max(Half, 0);
        const int Row = Y + Dy - Top;
        if (Row < 0 || Row >= static_cast<int>(Rows.size())) continue;
        Rows[static_cast<std::size_t>(Row)].push_back({X - H, X + H + 1});
    }
}

TRegion WideStroke(const std::vector<TPoint>& Pts, int W, DWORD Full, const TRect& Limit) {
    const DWORD Cap = Full & PS_ENDCAP_MASK;
    const double Hw = W / 2.0;
    TRegion Out;
    std::vector<std::pair<double, double>> Quad(4);
    for (std::size_t I = 0; I + 1 < Pts.size(); ++I) {
        const double X0 = Pts[I].X + 0.5, Y0 = Pts[I].Y + 0.5;
        const double X1 = Pts[I + 1].X + 0.5, Y1 = Pts[I + 1].Y + 0.5;
        double Ux = X1 - X0, Uy = Y1 - Y0;
        const double Len = std::sqrt(Ux * Ux + Uy * Uy);
        if (Len == 0) continue;
        Ux /= Len;
        Uy /= Len;
        const double Ext = Cap == PS_ENDCAP_SQUARE ? Hw : 0;
        const double Nx = -Uy * Hw, Ny = Ux * Hw;
        const double Ax = X0 - Ux * Ext, Ay = Y0 - Uy * Ext;
        const double Bx = X1 + Ux * Ext, By = Y1 + Uy * Ext;
        Quad = {{Ax + Nx, Ay + Ny}, {Bx + Nx, By + Ny}, {Bx - Nx, By - Ny}, {Ax - Nx, Ay - Ny}};
        Out =
            TRegion::Combine(Out, TRegion::FromPolygons(Quad, {4}, true, &Limit), TRegion::TOp::Or);
    }
    // Round caps and joins.
    if (Cap == PS_ENDCAP_ROUND) {
        int MinY = Pts[0].Y, MaxY = Pts[0].Y;
        for (const TPoint& P : Pts) {
            MinY = std::min(MinY, P.Y);
            MaxY = std::max(MaxY, P.Y);
        }
        const int Top = std::max(MinY - W, Limit.Top - W);
        const int Bottom = std::min(MaxY + W, Limit.Bottom + W);
        if (Top > Bottom) return Out;
        std::vector<std::vector<std::pair<int, int>>> Rows(
            static_cast<std::size_t>(Bottom - Top + 1));
        for (const TPoint& P : Pts)
            AddDisc(Rows, Top, P.X, P.Y, W);
        Out = TRegion::Combine(Out, TRegion::FromRows(Top, Rows), TRegion::TOp::Or);
    }
    return Out;
}

} // namespace

void StrokePolyline(TDCObj& D, const std::vector<TPoint>& In, bool Closed) {
    if (!D.S.Pen || D.S.Pen->Style == PS_NULL || In.empty() || !D.Surface()) return;
    std::vector<TPoint> Pts = In;
    if (Closed && Pts.size() > 1) Pts.push_back(Pts.front());
    const int Rop = D.S.Rop2;
    const std::uint32_t Px = DevicePixel(D, PenColor(D));
    if (D.S.Pen->Width > 1) {
        FillRegionRop2(D, WideStroke(Pts, D.S.Pen->Width, D.S.Pen->Full, D.EffectiveClip().Box()),
                       SolidPaint(Px), Rop);
        return;
    }
    const TDash Dash = DashFor(D.S.Pen->Style);
    const bool Opaque = D.S.BkMode == OPAQUE;
    const std::uint32_t Bk = DevicePixel(D, D.S.BkColor);
    const TRegion& Clip = D.EffectiveClip();
    const TRect Box = Clip.Box();
    const bool RectClip = Clip.IsRect();
    const bool Copy = Rop == R2_COPYPEN;
    const TRop2 Op = TRop2::Make(Rop);
    TSurface& Surf = *D.Surface();
    long long DashPos = 0;
    for (std::size_t I = 0; I + 1 < Pts.size(); ++I) {
        const TPoint A = Pts[I], B = Pts[I + 1];
        const long long Len = std::max(std::llabs(static_cast<long long>(B.X) - A.X),
                                       std::llabs(static_cast<long long>(B.Y) - A.Y));
        if (!Dash.Count && (A.X == B.X || A.Y == B.Y)) {
            // Straight lines are one-pixel rectangles.
            TRect R{std::min(A.X, B.X), std::min(A.Y, B.Y), std::max(A.X, B.X) + 1,
                    std::max(A.Y, B.Y) + 1};
            if (A.Y == B.Y) {
                if (B.X > A.X)
                    R.Right = B.X;
                else
                    R.Left = B.X + 1;
            } else {
                if (B.Y > A.Y)
                    R.Bottom = B.Y;
                else
                    R.Top = B.Y + 1;
            }
            if (R.Left < R.Right && R.Top < R.Bottom) FillRectRop2(D, R, SolidPaint(Px), Rop);
            continue;
        }
        ThinLinePixels(A, B, Box, [&](int X, int Y, long long Step) {
            if (X < Box.Left || X >= Box.Right || Y < Box.Top || Y >= Box.Bottom) return;
            if (!RectClip && !Clip.Contains(X, Y)) return;
            std::uint32_t C = Px;
            if (Dash.Count && !Dash.On(DashPos + Step)) {
                if (!Opaque) return;
                C = Bk;
            }
            std::uint32_t& P = Surf.Row(Y)[X];
            P = Copy ? C : (P & Op.A(C)) ^ Op.X(C);
        });
        DashPos += Len;
    }
}

namespace {
// Narrows the steps [From, To) to those whose coordinate along one axis lies in [Lo, Hi): the
// line starts at Start there and moves by S (+1 or -1) per step.
void ClipSteps(long long Start, int S, long long Lo, long long Hi, long long& From, long long& To) {
    if (S > 0) {
        From = std::max(From, Lo - Start);
        To = std::min(To, Hi - Start);
    } else {
        From = std::max(From, Start - (Hi - 1));
        To = std::min(To, Start - Lo + 1);
    }
}
} // namespace

TThinLine ThinLineSteps(TPoint A, TPoint B, const TRect& Box) {
    const long long Dx = static_cast<long long>(B.X) - A.X, Dy = static_cast<long long>(B.Y) - A.Y;
    const long long Adx = std::llabs(Dx), Ady = std::llabs(Dy);
    const int Sx = Dx < 0 ? -1 : 1, Sy = Dy < 0 ? -1 : 1;
    TThinLine L{};
    L.XMajor = Adx >= Ady;
    const long long Len = L.XMajor ? Adx : Ady, Across = L.XMajor ? Ady : Adx;
    L.MajorSign = L.XMajor ? Sx : Sy;
    L.MinorSign = L.XMajor ? Sy : Sx;
    L.Major = L.XMajor ? A.X : A.Y;
    L.Minor = L.XMajor ? A.Y : A.X;
    L.Den = 2 * Len;
    L.Inc = 2 * Across;
    L.C = Len - 1 + (L.MinorSign < 0 ? 1 : 0);
    L.From = 0;
    L.To = Len;
    if (Len == 0) return L;
    ClipSteps(L.Major, L.MajorSign, L.XMajor ? Box.Left : Box.Top,
              L.XMajor ? Box.Right : Box.Bottom, L.From, L.To);
    // K never decreases, so the steps whose minor coordinate lies in the box are a range too:
    // those with K in [KFrom, KTo).
    long long KFrom = 0, KTo = Across + 1;
    ClipSteps(L.Minor, L.MinorSign, L.XMajor ? Box.Top : Box.Left,
              L.XMajor ? Box.Bottom : Box.Right, KFrom, KTo);
    if (KFrom >= KTo) {
        L.To = L.From;
    } else if (L.Inc > 0) {
        // The first step with K(I) >= K, in 128 bits: K Den may pass 64 for far-off lines.
        const auto FirstWith = [&](long long K) {
            const __int128 N = static_cast<__int128>(K) * L.Den - L.C;
            return N <= 0 ? 0LL : static_cast<long long>((N + L.Inc - 1) / L.Inc);
        };
        L.From = std::max(L.From, FirstWith(KFrom));
        L.To = std::min(L.To, FirstWith(KTo));
    } else if (KFrom > 0) {
        L.To = L.From; // a straight line beside the box
    }
    return L;
}

namespace {
TPoint ToSurfacePt(const TDCObj& D, TPoint P) {
    return {P.X + D.Dx(), P.Y + D.Dy()};
}
} // namespace

} // namespace gdi

using namespace gdi;

BOOL LineTo(HDC Hdc, int X, int Y) {
    auto D = gdi::DC(Hdc);
    if (!D) return FALSE;
    StrokePolyline(*D, {ToSurfacePt(*D, D->S.Pos), ToSurfacePt(*D, {X, Y})}, false);
    D->S.Pos = {X, Y};
    return TRUE;
}

BOOL Polyline(HDC Hdc, const TPoint* Pts, int Count) {
    auto D = gdi::DC(Hdc);
    if (!D || !Pts || Count < 2) return FALSE;
    std::vector<TPoint> P(Pts, Pts + Count);
    for (auto& Q : P)
        Q = ToSurfacePt(*D, Q);
    StrokePolyline(*D, P, false);
    return TRUE;
}

BOOL PolylineTo(HDC Hdc, const TPoint* Pts, int Count) {
    auto D = gdi::DC(Hdc);
    if (!D || !Pts || Count < 1) return FALSE;
    std::vector<TPoint> P;
    P.push_back(ToSurfacePt(*D, D->S.Pos));
    for (int I = 0; I < Count; ++I)
        P.push_back(ToSurfacePt(*D, Pts[I]));
    StrokePolyline(*D, P, false);
    D->S.Pos = Pts[Count - 1];
    return TRUE;
}

} // namespace qel
