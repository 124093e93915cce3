// Closed figures: rectangles, ellipses, rounded rectangles, arcs, pies, chords and polygons.
// Curved figures are built from the left inset of every row of one quadrant, mirrored with
// x' = L + R - 1 - x, so odd sizes have no doubled middle pixel and every figure is symmetric.
#include "toolkit/graphics/DeviceContext.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qel {
namespace gdi {

namespace {

// Largest M >= 0 with M*M*H2 <= V (V, H2 > 0).
long long IsqrtScaled(__int128 V, __int128 H2) {
    long long M =
        static_cast<long long>(std::sqrt(static_cast<double>(V) / static_cast<double>(H2)));
    while (M > 0 && static_cast<__int128>(M) * M * H2 > V)
        --M;
    while (static_cast<__int128>(M + 1) * (M + 1) * H2 <= V)
        ++M;
    return M;
}

TRect Normalized(int L, int T, int R, int B) {
    return {std::min(L, R), std::min(T, B), std::max(L, R), std::max(T, B)};
}

} // namespace

int TInsets::At(int R) const {
    if (R < 0 || R >= H) return 0;
    if (R > (H - 1) / 2) R = H - 1 - R; // lower half mirrors the upper one
    if (Kind == TKind::Rect) return 0;
    int EW = W, EH = H;
    if (Kind == TKind::Round) {
        if (R >= CH / 2) return 0; // between the corners
        EW = CW;
        EH = CH;
    }
    // In doubled coordinates the centre of pixel column i is at 2i + 1 - W from the middle;
    // a pixel belongs to the ellipse when (dx/W)^2 + (dy/H)^2 <= 1.
    if (2 * R + 2 >= EH) return 0; // the middle row(s) reach the sides, however flat
    const __int128 W2 = static_cast<__int128>(EW) * EW, H2 = static_cast<__int128>(EH) * EH;
    const long long Dy = 2LL * R + 1 - EH;
    const __int128 V = W2 * (H2 - static_cast<__int128>(Dy) * Dy);
    long long M = IsqrtScaled(V, H2);
    if (((M - (EW - 1)) & 1) != 0) --M;
    if (M < 0) M = (EW - 1) & 1; // every row keeps at least its middle pixel(s)
    return static_cast<int>((EW - 1 - M) / 2);
}

namespace {

// The rows of the upper half in order: the largest M with M*M*H2 <= V only grows as V does,
// so each row resumes where the one above stopped. Next = (M + 1)^2 * H2 is carried along by
// its differences, which leaves the walk only additions. Kept for boxes too large for 64 bits.
void EllipseInsetRowsWide(int W, int H, int* Out) {
    using TWide = __int128;
    const TWide W2 = static_cast<TWide>(W) * W, H2 = static_cast<TWide>(H) * H;
    TWide M = 0, Next = H2, Step = 3 * H2;
    const int Half = (H - 1) / 2;
    for (int R = 0; R <= Half; ++R) {
        int Inset = 0;
        if (2 * R + 2 < H) {
            const TWide Dy = static_cast<TWide>(2) * R + 1 - H;
            const TWide V = W2 * (H2 - Dy * Dy);
            while (Next <= V) {
                ++M;
                Next += Step;
                Step += 2 * H2;
            }
            TWide Odd = M;
            if (((Odd - (W - 1)) & 1) != 0) --Odd;
            if (Odd < 0) Odd = (W - 1) & 1;
            Inset = static_cast<int>((W - 1 - Odd) / 2);
        }
        Out[R] = Inset;
        Out[H - 1 - R] = Inset;
    }
}

// Sides below 40,000: every product stays within 64 bits. Each row takes its own square root,
// M = W * sqrt(H^2 - Dy^2) / H, in doubles, whose error stays far below a millionth: unless the
// value lies that close to a whole number its floor is the exact M, and the few rows that come
// so close are settled in integers. Rows do not wait on each other and nothing branches on the
// data, which beats the walk above (its loop exits are as good as unpredictable).
int NarrowInset(int W, int H, int R) {
    const long long H2 = static_cast<long long>(H) * H, Dy = 2LL * R + 1 - H, U = H2 - Dy * Dy;
    const double T = static_cast<double>(W) / H * std::sqrt(static_cast<double>(U));
    long long M = static_cast<long long>(T);
    const double Frac = T - static_cast<double>(M);
    if (Frac < 1e-6 || Frac > 1 - 1e-6) [[unlikely]] {
        const long long V = static_cast<long long>(W) * W * U;
        M -= static_cast<long long>(M * M * H2 > V);
        M += static_cast<long long>((M + 1) * (M + 1) * H2 <= V);
    }
    M -= (M - (W - 1)) & 1;
    if (M < 0) M = (W - 1) & 1;
    return static_cast<int>((W - 1 - M) / 2);
}

// Rows R, R + 1, ... four at a time in single precision while they last, for sides up to 4096:
// then H^2 - Dy^2 is exact in a float, the estimate of M is within a thousandth, and a lane
// that comes closer than two thousandths to a whole number is settled exactly instead. Returns
// the first row left to do.
int NarrowInsetsBy4(int W, int H, int Half, int* Out) {
    int R = 0;
#if defined(__SSE2__)
    if (W > 4096 || H > 4096) return R;
    const float HF = static_cast<float>(H);
    const __m128 Scale = _mm_set1_ps(static_cast<float>(W) / HF), HH = _mm_set1_ps(HF * HF);
    const __m128 Near = _mm_set1_ps(2e-3f), Far = _mm_set1_ps(1 - 2e-3f), Eight = _mm_set1_ps(8);
    const __m128i Last = _mm_set1_epi32(W - 1), One = _mm_set1_epi32(1),
                  Odd = _mm_set1_epi32((W - 1) & 1);
    __m128 Dy = _mm_setr_ps(1 - HF, 3 - HF, 5 - HF, 7 - HF); // 2R + 1 - H for the four rows
    for (; R + 4 <= Half; R += 4, Dy = _mm_add_ps(Dy, Eight)) {
        const __m128 T = _mm_mul_ps(Scale, _mm_sqrt_ps(_mm_sub_ps(HH, _mm_mul_ps(Dy, Dy))));
        __m128i M = _mm_cvttps_epi32(T);
        const __m128 Frac = _mm_sub_ps(T, _mm_cvtepi32_ps(M));
        const int Close =
            _mm_movemask_ps(_mm_or_ps(_mm_cmplt_ps(Frac, Near), _mm_cmpgt_ps(Frac, Far)));
        // M takes the parity of W - 1 by stepping down; a row keeps at least its middle pixel(s).
        M = _mm_sub_epi32(M, _mm_and_si128(_mm_sub_epi32(M, Last), One));
        const __m128i Below = _mm_cmplt_epi32(M, _mm_setzero_si128());
        M = _mm_or_si128(_mm_andnot_si128(Below, M), _mm_and_si128(Below, Odd));
        const __m128i In = _mm_srai_epi32(_mm_sub_epi32(Last, M), 1);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(Out + R), In);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(Out + H - 4 - R),
                         _mm_shuffle_epi32(In, _MM_SHUFFLE(0, 1, 2, 3)));
        if (Close != 0) [[unlikely]]
            for (int I = 0; I < 4; ++I)
                if ((Close >> I) & 1) Out[R + I] = Out[H - 1 - R - I] = NarrowInset(W, H, R + I);
    }
#endif
    return R;
}

void EllipseInsetRowsNarrow(int W, int H, int* Out) {
    const int Half = (H - 1) / 2;
    for (int R = NarrowInsetsBy4(W, H, Half, Out); R < Half; ++R)
        Out[R] = Out[H - 1 - R] = NarrowInset(W, H, R);
    // The middle row (or two) reaches the sides however flat the ellipse.
    Out[Half] = Out[H - 1 - Half] = 0;
}

} // namespace

void EllipseInsetRows(int W, int H, int* Out) {
    if (H <= 0) return;
    if (W <= 0) {
        std::fill(Out, Out + H, 0);
        return;
    }
    // Products reach W^2 * H^2: 64 bits hold them while both sides stay below 40,000.
    if (W < 40000 && H < 40000)
        EllipseInsetRowsNarrow(W, H, Out);
    else
        EllipseInsetRowsWide(W, H, Out);
}

TInsets TInsets::Rect(int W, int H) {
    return {TKind::Rect, W, H, 0, 0};
}
TInsets TInsets::Ellipse(int W, int H) {
    return {TKind::Ellipse, W, H, 0, 0};
}
TInsets TInsets::Round(int W, int H, int CW, int CH) {
    CW = std::min(std::abs(CW), W);
    CH = std::min(std::abs(CH), H);
    if (CW <= 2 || CH <= 2) return Rect(W, H); // too small a corner: a plain rectangle
    return {TKind::Round, W, H, CW, CH};
}

namespace {
// Rows of the box that can matter: all of them, or those inside Limit.
void RowRange(const TRect& Box, const TRect* Limit, int& R0, int& R1) {
    R0 = 0;
    R1 = Box.Height();
    if (Limit) {
        R0 = std::max(R0, Limit->Top - Box.Top);
        R1 = std::min(R1, Limit->Bottom - Box.Top);
    }
}
} // namespace

TRegion ShapeRegion(const TRect& Box, const TInsets& In, const TRect* Limit) {
    if (In.Kind == TInsets::TKind::Rect) return TRegion(Box);
    int R0, R1;
    RowRange(Box, Limit, R0, R1);
    if (R0 >= R1) return {};
    std::vector<std::vector<std::pair<int, int>>> Rows(static_cast<std::size_t>(R1 - R0));
    for (int R = R0; R < R1; ++R) {
        const int I = In.At(R);
        Rows[static_cast<std::size_t>(R - R0)].push_back({Box.Left + I, Box.Right - I});
    }
    return TRegion::FromRows(Box.Top + R0, Rows);
}

TRegion ShapeOutline(const TRect& Box, const TInsets& In, const TRect* Limit) {
    const int H = Box.Height();
    if (In.Kind == TInsets::TKind::Rect)
        return TRegion::Combine(
            TRegion(Box), TRegion(TRect{Box.Left + 1, Box.Top + 1, Box.Right - 1, Box.Bottom - 1}),
            TRegion::TOp::Diff);
    int R0, R1;
    RowRange(Box, Limit, R0, R1);
    if (R0 >= R1) return {};
    std::vector<std::vector<std::pair<int, int>>> Rows(static_cast<std::size_t>(R1 - R0));
    for (int R = R0; R < R1; ++R) {
        auto& Row = Rows[static_cast<std::size_t>(R - R0)];
        const int I = In.At(R);
        if (R == 0 || R == H - 1) {
            Row.push_back({Box.Left + I, Box.Right - I});
            continue;
        }
        // Reach towards the neighbouring rows so the outline stays connected.
        const int Last = std::max(I, std::max(In.At(R - 1), In.At(R + 1)) - 1);
        Row.push_back({Box.Left + I, Box.Left + Last + 1});
        Row.push_back({Box.Right - Last - 1, Box.Right - I});
    }
    return TRegion::FromRows(Box.Top + R0, Rows);
}

TRegion EllipseRegion(const TRect& Box) {
    return ShapeRegion(Box, TInsets::Ellipse(Box.Width(), Box.Height()));
}

TRegion RoundRectRegion(const TRect& Box, int CW, int CH) {
    return ShapeRegion(Box, TInsets::Round(Box.Width(), Box.Height(), CW, CH));
}

namespace {

using TInsetFn = TInsets (*)(const TRect&, int, int);

TInsets RectInsets(const TRect& B, int, int) {
    return TInsets::Rect(B.Width(), B.Height());
}
TInsets EllipseInsetsFor(const TRect& B, int, int) {
    return TInsets::Ellipse(B.Width(), B.Height());
}
TInsets RoundInsetsFor(const TRect& B, int CW, int CH) {
    return TInsets::Round(B.Width(), B.Height(), CW, CH);
}

// Outline and interior of a box figure for the DC's pen.
struct TFigure {
    TRegion Outline, Fill;
};

TFigure BuildFigure(TDCObj& D, TRect Box, TInsetFn Fn, int CW, int CH) {
    TFigure F;
    // Only rows the clip can show are built, so huge figures cost what is visible.
    const TRect Limit = D.EffectiveClip().Box();
    const TPenObj* Pen = D.S.Pen.get();
    if (!Pen || Pen->Style == PS_NULL) {
        // Without a pen the figure comes out one pixel smaller on the right and bottom.
        --Box.Right;
        --Box.Bottom;
        if (Box.Width() > 0 && Box.Height() > 0) F.Fill = ShapeRegion(Box, Fn(Box, CW, CH), &Limit);
        return F;
    }
    const int W = Pen->Width;
    if (W <= 1) {
        if (Box.Width() <= 0 || Box.Height() <= 0) return F;
        const TInsets In = Fn(Box, CW, CH);
        F.Outline = ShapeOutline(Box, In, &Limit);
        F.Fill = TRegion::Combine(ShapeRegion(Box, In, &Limit), F.Outline, TRegion::TOp::Diff);
        return F;
    }
    TRect Outer = Box;
    if (Pen->Style != PS_INSIDEFRAME) {
        const int Out = (W - 1) / 2;
        Outer = {Box.Left - Out, Box.Top - Out, Box.Right + Out, Box.Bottom + Out};
    }
    const TRect Inner{Outer.Left + W, Outer.Top + W, Outer.Right - W, Outer.Bottom - W};
    if (Outer.Width() <= 0 || Outer.Height() <= 0) return F;
    const TRegion All = ShapeRegion(Outer, Fn(Outer, CW, CH), &Limit);
    if (Inner.Width() > 0 && Inner.Height() > 0)
        F.Fill =
            ShapeRegion(Inner, Fn(Inner, std::max(CW - 2 * W, 0), std::max(CH - 2 * W, 0)), &Limit);
    F.Outline = TRegion::Combine(All, F.Fill, TRegion::TOp::Diff);
    return F;
}

void PaintFigure(TDCObj& D, const TFigure& F) {
    if (!F.Fill.Empty())
        if (auto P = RealizeDCBrush(D)) FillRegionRop2(D, F.Fill, *P, D.S.Rop2);
    if (!F.Outline.Empty() && D.S.Pen && D.S.Pen->Style != PS_NULL)
        FillRegionRop2(D, F.Outline, SolidPaint(DevicePixel(D, PenColor(D))), D.S.Rop2);
}

BOOL DrawBoxFigure(HDC Hdc, int L, int T, int R, int B, TInsetFn Fn, int CW, int CH) {
    auto D = gdi::DC(Hdc);
    if (!D) return FALSE;
    TRect Box = ToSurface(*D, Normalized(L, T, R, B));
    const UINT Style = D->S.Pen ? D->S.Pen->Style : PS_NULL;
    if (Fn == &RectInsets && Style >= PS_DASH && Style <= PS_DASHDOTDOT && Box.Width() > 0 &&
        Box.Height() > 0) {
        // Styled outlines run as one closed line so the dash pattern flows round the corners.
        TFigure F;
        F.Fill = TRegion(TRect{Box.Left + 1, Box.Top + 1, Box.Right - 1, Box.Bottom - 1});
        if (auto P = RealizeDCBrush(*D)) FillRegionRop2(*D, F.Fill, *P, D->S.Rop2);
        StrokePolyline(*D,
                       {{Box.Left, Box.Top},
                        {Box.Right - 1, Box.Top},
                        {Box.Right - 1, Box.Bottom - 1},
                        {Box.Left, Box.Bottom - 1}},
                       true);
        return TRUE;
    }
    PaintFigure(*D, BuildFigure(*D, Box, Fn, CW, CH));
    return TRUE;
}

// Angle of a point seen from the centre, counter-clockwise on screen, in [0, 2 pi).
double Angle(double Cx, double Cy, double X, double Y) {
    double A = std::atan2(-(Y - Cy), X - Cx);
    if (A < 0) A += 2 * std::numbers::pi;
    return A;
}

struct TSweep {
    double Cx, Cy, A0, Span;
    bool Full;
    bool Inside(double X, double Y) const {
        if (Full) return true;
        double A = Angle(Cx, Cy, X, Y) - A0;
        if (A < 0) A += 2 * std::numbers::pi;
        return A <= Span + 1e-12;
    }
};

TSweep MakeSweep(const TRect& Box, double X1, double Y1, double X2, double Y2) {
    TSweep S;
    S.Cx = (Box.Left + Box.Right) / 2.0;
    S.Cy = (Box.Top + Box.Bottom) / 2.0;
    S.A0 = Angle(S.Cx, S.Cy, X1, Y1);
    const double A1 = Angle(S.Cx, S.Cy, X2, Y2);
    S.Span = A1 - S.A0;
    if (S.Span < 0) S.Span += 2 * std::numbers::pi;
    S.Full = S.Span == 0;
    return S;
}

// The pixel where a ray from the centre meets the ellipse.
TPoint RayPoint(const TRect& Box, double X, double Y) {
    const double Cx = (Box.Left + Box.Right) / 2.0, Cy = (Box.Top + Box.Bottom) / 2.0;
    const double A = Box.Width() / 2.0, B = Box.Height() / 2.0;
    const double Dx = X - Cx, Dy = Y - Cy;
    const double Len = std::sqrt(Dx * Dx / (A * A) + Dy * Dy / (B * B));
    if (Len == 0) return {static_cast<int>(Cx), static_cast<int>(Cy)};
    const double Px = Cx + Dx / Len, Py = Cy + Dy / Len;
    auto Clamp = [](double V, int Lo, int Hi) {
        return std::clamp(static_cast<int>(std::floor(V)), Lo, Hi);
    };
    return {Clamp(Px, Box.Left, Box.Right - 1), Clamp(Py, Box.Top, Box.Bottom - 1)};
}

TRegion Filter(const TRegion& R, const std::function<bool(int, int)>& Keep) {
    const TRect B = R.Box();
    std::vector<std::vector<std::pair<int, int>>> Rows(
        static_cast<std::size_t>(std::max(B.Height(), 0)));
    R.ForEach([&](int L, int T, int Rt, int Bo) {
        for (int Y = T; Y < Bo; ++Y)
            for (int X = L; X < Rt; ++X)
                if (Keep(X, Y)) Rows[static_cast<std::size_t>(Y - B.Top)].push_back({X, X + 1});
    });
    return TRegion::FromRows(B.Top, Rows);
}

enum class TArcKind { Arc, Pie, Chord };

BOOL DrawArcFigure(HDC Hdc, int L, int T, int R, int B, int X1, int Y1, int X2, int Y2,
                   TArcKind Kind) {
    auto D = gdi::DC(Hdc);
    if (!D) return FALSE;
    const TRect Box = ToSurface(*D, Normalized(L, T, R, B));
    if (Box.Width() <= 0 || Box.Height() <= 0) return TRUE;
    const double Sx1 = X1 + D->Dx(), Sy1 = Y1 + D->Dy(), Sx2 = X2 + D->Dx(), Sy2 = Y2 + D->Dy();
    const TSweep Sw = MakeSweep(Box, Sx1, Sy1, Sx2, Sy2);
    auto InSweep = [&](int X, int Y) { return Sw.Inside(X + 0.5, Y + 0.5); };

    const TPoint P1 = RayPoint(Box, Sx1, Sy1), P2 = RayPoint(Box, Sx2, Sy2);
    const TPoint C{(Box.Left + Box.Right - 1) / 2, (Box.Top + Box.Bottom - 1) / 2};
    if (Kind != TArcKind::Arc) {
        TFigure F = BuildFigure(*D, Box, &EllipseInsetsFor, 0, 0);
        std::function<bool(int, int)> Keep;
        if (Kind == TArcKind::Pie) {
            Keep = InSweep;
        } else {
            // Chord: the side of the line P1-P2 that holds the arc's middle.
            const double Mid = Sw.A0 + Sw.Span / 2;
            const double Mx = Sw.Cx + Box.Width() / 2.0 * std::cos(Mid);
            const double My = Sw.Cy - Box.Height() / 2.0 * std::sin(Mid);
            auto Side = [&](double X, double Y) {
                return (P2.X + 0.5 - (P1.X + 0.5)) * (Y - (P1.Y + 0.5)) -
                       (P2.Y + 0.5 - (P1.Y + 0.5)) * (X - (P1.X + 0.5));
            };
            const bool Pos = Side(Mx, My) >= 0;
            Keep = [=](int X, int Y) { return Sw.Full || (Side(X + 0.5, Y + 0.5) >= 0) == Pos; };
        }
        F.Fill = Filter(F.Fill, Keep);
        F.Outline = Filter(F.Outline, InSweep);
        PaintFigure(*D, F);
        if (Kind == TArcKind::Pie && !Sw.Full)
            StrokePolyline(*D, {P1, C, P2}, false);
        else if (Kind == TArcKind::Chord && !Sw.Full)
            StrokePolyline(*D, {P2, P1}, false);
        return TRUE;
    }
    TFigure F = BuildFigure(*D, Box, &EllipseInsetsFor, 0, 0);
    F.Fill.Clear();
    F.Outline = Filter(F.Outline, InSweep);
    PaintFigure(*D, F);
    return TRUE;
}

} // namespace

} // namespace gdi

using namespace gdi;

BOOL Rectangle(HDC Hdc, int Left, int Top, int Right, int Bottom) {
    return DrawBoxFigure(Hdc, Left, Top, Right, Bottom, &RectInsets, 0, 0);
}

BOOL Ellipse(HDC Hdc, int Left, int Top, int Right, int Bottom) {
    return DrawBoxFigure(Hdc, Left, Top, Right, Bottom, &EllipseInsetsFor, 0, 0);
}

BOOL RoundRect(HDC Hdc, int Left, int Top, int Right, int Bottom, int Width, int Height) {
    return DrawBoxFigure(Hdc, Left, Top, Right, Bottom, &RoundInsetsFor, Width, Height);
}

BOOL Arc(HDC Hdc, int Left, int Top, int Right, int Bottom, int X1, int Y1, int X2, int Y2) {
    return DrawArcFigure(Hdc, Left, Top, Right, Bottom, X1, Y1, X2, Y2, TArcKind::Arc);
}

BOOL Pie(HDC Hdc, int Left, int Top, int Right, int Bottom, int X1, int Y1, int X2, int Y2) {
    return DrawArcFigure(Hdc, Left, Top, Right, Bottom, X1, Y1, X2, Y2, TArcKind::Pie);
}

BOOL Chord(HDC Hdc, int Left, int Top, int Right, int Bottom, int X1, int Y1, int X2, int Y2) {
    return DrawArcFigure(Hdc, Left, Top, Right, Bottom, X1, Y1, X2, Y2, TArcKind::Chord);
}

BOOL PolyPolygon(HDC Hdc, const TPoint* Pts, const int* Counts, int Polys) {
    auto D = gdi::DC(Hdc);
    if (!D || !Pts || !Counts || Polys < 1) return FALSE;
    std::vector<std::pair<double, double>> F;
    std::vector<int> C;
    std::vector<std::vector<TPoint>> Outlines;
    const TPoint* P = Pts;
    for (int I = 0; I < Polys; ++I) {
        if (Counts[I] < 2) return FALSE;
        C.push_back(Counts[I]);
        Outlines.emplace_back();
        for (int K = 0; K < Counts[I]; ++K, ++P) {
            const TPoint S{P->X + D->Dx(), P->Y + D->Dy()};
            F.push_back({static_cast<double>(S.X), static_cast<double>(S.Y)});
            Outlines.back().push_back(S);
        }
    }
    if (auto Pa = RealizeDCBrush(*D)) {
        const TRect Limit = D->EffectiveClip().Box();
        FillRegionRop2(*D, TRegion::FromPolygons(F, C, D->S.PolyFill == WINDING, &Limit), *Pa,
                       D->S.Rop2);
    }
    for (const auto& O : Outlines)
        StrokePolyline(*D, O, true);
    return TRUE;
}

BOOL Polygon(HDC Hdc, const TPoint* Pts, int Count) {
    return PolyPolygon(Hdc, Pts, &Count, 1);
}

} // namespace qel
