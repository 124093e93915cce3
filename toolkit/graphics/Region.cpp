#include "toolkit/graphics/Region.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace qel {

namespace {

// Sorts spans and merges overlapping or touching ones into x1, x2 pairs.
std::vector<int> NormalizeSpans(std::vector<std::pair<int, int>> S) {
    std::vector<int> Out;
    std::sort(S.begin(), S.end());
    for (const auto& [A, B] : S) {
        if (A >= B) continue;
        if (!Out.empty() && A <= Out.back()) {
            Out.back() = std::max(Out.back(), B);
        } else {
            Out.push_back(A);
            Out.push_back(B);
        }
    }
    return Out;
}

bool Apply(TRegion::TOp Op, bool A, bool B) {
    switch (Op) {
    case TRegion::TOp::And:
        return A && B;
    case TRegion::TOp::Or:
        return A || B;
    case TRegion::TOp::Xor:
        return A != B;
    case TRegion::TOp::Diff:
        return A && !B;
    }
    return false;
}

std::vector<int> CombineSpans(const std::vector<int>* A, const std::vector<int>* B,
                              TRegion::TOp Op) {
    static const std::vector<int> None;
    const std::vector<int>& SA = A ? *A : None;
    const std::vector<int>& SB = B ? *B : None;
    std::vector<int> Out;
    std::size_t I = 0, J = 0;
    bool InA = false, InB = false, In = false;
    while (I < SA.size() || J < SB.size()) {
        const int XA = I < SA.size() ? SA[I] : INT_MAX;
        const int XB = J < SB.size() ? SB[J] : INT_MAX;
        const int X = std::min(XA, XB);
        if (XA == X) {
            InA = !InA;
            ++I;
        }
        if (XB == X) {
            InB = !InB;
            ++J;
        }
        const bool Now = Apply(Op, InA, InB);
        if (Now != In) {
            if (!Out.empty() && Now && Out.back() == X)
                Out.pop_back(); // touching spans merge
            else
                Out.push_back(X);
            In = Now;
        }
    }
    return Out;
}

} // namespace

TRegion::TRegion(const TRect& R) {
    if (R.Left < R.Right && R.Top < R.Bottom)
        Bands_.push_back({R.Top, R.Bottom, {R.Left, R.Right}});
}

void TRegion::Append(int Top, int Bottom, std::vector<int>&& X) {
    if (X.empty() || Top >= Bottom) return;
    if (!Bands_.empty() && Bands_.back().Bottom == Top && Bands_.back().X == X) {
        Bands_.back().Bottom = Bottom;
        return;
    }
    Bands_.push_back({Top, Bottom, std::move(X)});
}

TRegion TRegion::FromRows(int Top, const std::vector<std::vector<std::pair<int, int>>>& Rows) {
    TRegion R;
    for (std::size_t I = 0; I < Rows.size(); ++I) {
        const int Y = Top + static_cast<int>(I);
        R.Append(Y, Y + 1, NormalizeSpans(Rows[I]));
    }
    return R;
}

TRegion TRegion::FromPolygons(const std::vector<std::pair<double, double>>& Pts,
                              const std::vector<int>& Counts, bool Winding, const TRect* Limit) {
    struct TEdge {
        double X0, Y0, X1, Y1;
        int Dir;
    };
    std::vector<TEdge> Edges;
    double MinY = 1e18, MaxY = -1e18;
    std::size_t Base = 0;
    for (int N : Counts) {
        if (N < 0 || Base + static_cast<std::size_t>(N) > Pts.size()) break;
        for (int K = 0; K < N; ++K) {
            auto P = Pts[Base + K];
            auto Q = Pts[Base + (K + 1) % N];
            MinY = std::min(MinY, P.second);
            MaxY = std::max(MaxY, P.second);
            if (P.second == Q.second) continue;
            if (P.second < Q.second)
                Edges.push_back({P.first, P.second, Q.first, Q.second, 1});
            else
                Edges.push_back({Q.first, Q.second, P.first, P.second, -1});
        }
        Base += static_cast<std::size_t>(N);
    }
    TRegion R;
    if (Edges.empty()) return R;
    MinY = std::max(MinY, -1e9);
    MaxY = std::min(MaxY, 1e9);
    int Y0 = static_cast<int>(std::ceil(MinY - 0.5));
    int Y1 = static_cast<int>(std::ceil(MaxY - 0.5));
    if (Limit) {
        Y0 = std::max(Y0, Limit->Top);
        Y1 = std::min(Y1, Limit->Bottom);
    }
    std::vector<std::pair<double, int>> Xs;
    for (int Y = Y0; Y < Y1; ++Y) {
        const double Yc = Y + 0.5;
        Xs.clear();
        for (const TEdge& E : Edges)
            if (Yc >= E.Y0 && Yc < E.Y1)
                Xs.push_back({E.X0 + (Yc - E.Y0) * (E.X1 - E.X0) / (E.Y1 - E.Y0), E.Dir});
        std::sort(Xs.begin(), Xs.end());
        std::vector<std::pair<int, int>> Spans;
        int Wind = 0;
        for (std::size_t I = 0; I + 1 < Xs.size(); ++I) {
            Wind += Winding ? Xs[I].second : 1;
            const bool Inside = Winding ? Wind != 0 : (Wind & 1) != 0;
            if (!Inside) continue;
            const int A = static_cast<int>(std::ceil(Xs[I].first - 0.5));
            const int B = static_cast<int>(std::ceil(Xs[I + 1].first - 0.5));
            if (A < B) Spans.push_back({A, B});
        }
        R.Append(Y, Y + 1, NormalizeSpans(std::move(Spans)));
    }
    return R;
}

TRegion TRegion::Combine(const TRegion& A, const TRegion& B, TOp Op) {
    TRegion R;
    std::size_t I = 0, J = 0;
    int Y = INT_MIN;
    const auto& BA = A.Bands_;
    const auto& BB = B.Bands_;
    while (I < BA.size() || J < BB.size()) {
        // Start of the next interval: the lowest band edge at or after Y.
        int Top = INT_MAX;
        if (I < BA.size()) Top = std::min(Top, std::max(Y, BA[I].Top));
        if (J < BB.size()) Top = std::min(Top, std::max(Y, BB[J].Top));
        const bool HasA = I < BA.size() && BA[I].Top <= Top;
        const bool HasB = J < BB.size() && BB[J].Top <= Top;
        int Bottom = INT_MAX;
        if (HasA)
            Bottom = std::min(Bottom, BA[I].Bottom);
        else if (I < BA.size())
            Bottom = std::min(Bottom, BA[I].Top);
        if (HasB)
            Bottom = std::min(Bottom, BB[J].Bottom);
        else if (J < BB.size())
            Bottom = std::min(Bottom, BB[J].Top);
        R.Append(Top, Bottom,
                 CombineSpans(HasA ? &BA[I].X : nullptr, HasB ? &BB[J].X : nullptr, Op));
        Y = Bottom;
        if (I < BA.size() && BA[I].Bottom <= Y) ++I;
        if (J < BB.size() && BB[J].Bottom <= Y) ++J;
    }
    return R;
}

TRect TRegion::Box() const {
    if (Bands_.empty()) return {};
    TRect R{INT_MAX, Bands_.front().Top, INT_MIN, Bands_.back().Bottom};
    for (const TBand& B : Bands_) {
        R.Left = std::min(R.Left, B.X.front());
        R.Right = std::max(R.Right, B.X.back());
    }
    return R;
}

bool TRegion::Contains(int X, int Y) const {
    auto It = std::upper_bound(Bands_.begin(), Bands_.end(), Y,
                               [](int V, const TBand& B) { return V < B.Bottom; });
    if (It == Bands_.end() || It->Top > Y) return false;
    const auto& Xs = It->X;
    // Index of the first edge greater than X: odd means X lies inside a span.
    const auto P = std::upper_bound(Xs.begin(), Xs.end(), X) - Xs.begin();
    return (P & 1) != 0;
}

bool TRegion::Intersects(const TRect& R) const {
    bool Hit = false;
    ForEachIn(R, [&](int, int, int, int) { Hit = true; });
    return Hit;
}

void TRegion::Offset(int Dx, int Dy) {
    for (TBand& B : Bands_) {
        B.Top += Dy;
        B.Bottom += Dy;
        for (int& X : B.X)
            X += Dx;
    }
}

std::vector<TRect> TRegion::Rects() const {
    std::vector<TRect> Out;
    ForEach([&](int L, int T, int R, int B) { Out.push_back({L, T, R, B}); });
    return Out;
}

} // namespace qel
