#include "visual/QELTGradientLines.h"

#include "toolkit/graphics/DeviceContext.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qel {

namespace {

using gdi::TThinLine;

// A thin line's minor coordinate at step I is Minor + MinorSign * floor((C + I Inc) / Den).
// Neighbouring lines of a fan differ a little in where they start and how steeply they run, and
// where those differences go up by the same amounts from line to line, the lines' pixels at a
// step (or on a row) are the floors of an arithmetic progression: monotonic from line to line,
// at most one pixel apart when the progression's step is at most one. Any run of consecutive
// lines of such a family then covers, there, the stretch between its outer two lines. There
// are two kinds of family: lines sharing their walk, which are joined step by step, and lines
// stepping along the columns over the same rows, joined row by row by the runs each row holds.

// The first kind: the lines share their walk and differ in Minor and Inc.
bool SameWalk(const TThinLine& A, const TThinLine& B) {
    return A.XMajor == B.XMajor && A.MajorSign == B.MajorSign && A.MinorSign == B.MinorSign &&
           A.Major == B.Major && A.Den == B.Den && A.C == B.C && A.From == B.From && A.To == B.To;
}

// Whether lines stepping by (DMinor, DInc) stay within a pixel of each other on every step I:
// I DInc + MinorSign DMinor Den, the progression's step times Den, is at most Den.
bool NeighbourStep(const TThinLine& A, long long DMinor, long long DInc) {
    if (DMinor == 0 && DInc == 0) return false;
    const auto Within = [&](long long I) {
        const __int128 D =
            static_cast<__int128>(I) * DInc + static_cast<__int128>(A.MinorSign) * DMinor * A.Den;
        return D <= A.Den && D >= -A.Den;
    };
    return Within(A.From) && Within(A.To - 1);
}

// The second kind: lines stepping along the columns over the same rows, from the same row Minor
// and with the same Inc, differing in where they start (Major) and how long they are (Den, C,
// To). On a row strictly between the first and the last, a line's run begins at step
// ceil((Kk Den - C) / Inc) with Kk = MinorSign (Y - Minor), which in pixels is MajorSign times
// the ceiling of (MajorSign Major Inc + Kk Den - C) / Inc, and ends one before the next Kk's
// begins; the first row's runs begin at From and the last row's end at To - 1, for every line
// of the family alike.
struct TRows {
    long long Y0, Y1;
};
bool SameRows(const TThinLine& A, const TThinLine& B, TRows RA, TRows RB) {
    return A.XMajor && B.XMajor && A.Inc > 0 && A.Inc == B.Inc && A.MajorSign == B.MajorSign &&
           A.MinorSign == B.MinorSign && A.Minor == B.Minor && A.From == B.From && RA.Y0 == RB.Y0 &&
           RA.Y1 == RB.Y1;
}
struct TRunStep {
    long long DMajor, DDen, DC, DTo;
    bool operator==(const TRunStep&) const = default;
};
bool RunNeighbourStep(const TThinLine& A, TRows R, const TRunStep& D) {
    if (D == TRunStep{0, 0, 0, 0}) return false;
    if (std::llabs(D.DMajor) > 1 || std::llabs(D.DMajor + A.MajorSign * D.DTo) > 1) return false;
    const long long K0 = A.MinorSign * (R.Y0 - A.Minor), K1 = A.MinorSign * (R.Y1 - A.Minor);
    const auto Within = [&](long long Kk) {
        const __int128 V = static_cast<__int128>(A.MajorSign) * D.DMajor * A.Inc +
                           static_cast<__int128>(Kk) * D.DDen - D.DC;
        return V <= A.Inc && V >= -A.Inc;
    };
    // Kk goes up along the line; the runs' formula holds past the first row's beginning and
    // before the last row's end, so for Kk from the lowest but one to the highest.
    const long long Lo = std::min(K0, K1) + 1, Hi = std::max(K0, K1);
    return Lo > Hi || (Within(Lo) && Within(Hi));
}

// Floor and ceiling of N / D, D > 0.
long long FloorDiv(__int128 N, long long D) {
    __int128 Q = N / D;
    if (Q * D > N) --Q;
    return static_cast<long long>(Q);
}
long long CeilDiv(__int128 N, long long D) {
    __int128 Q = N / D;
    if (Q * D < N) ++Q;
    return static_cast<long long>(Q);
}

// Every line is followed down the rows, one row after the other, in pixels: on row Y it
// covers [Lo, Hi] (Lo > Hi when it has no pixel there). The rows of all lines are stepped
// together in plain arrays, with no branch that depends on the line, so a row of a few
// hundred lines costs a few additions each.
//
// A line stepping along the rows has one pixel per row, at Minor + MinorSign K with
// K = floor((C + I Inc) / Den) and I the row's step; from row to row the remainder grows by
// Inc, and each time it passes Den the pixel moves one column (for a line walked upwards the
// remainder is counted from the other end, so it grows too).
struct TPixelWalks {
    std::vector<long long> X, Acc, Inc, Den, Dx;
    std::vector<int> Id;
    void Add(const TThinLine& L, int Walker) {
        const long long I0 = L.MajorSign * (0 - L.Major);
        const __int128 Num = static_cast<__int128>(I0) * L.Inc + L.C;
        const long long K = FloorDiv(Num, L.Den),
                        Rem = static_cast<long long>(Num - K * static_cast<__int128>(L.Den));
        X.push_back(L.Minor + L.MinorSign * K);
        Acc.push_back(L.MajorSign > 0 ? Rem : L.Den - 1 - Rem);
        Inc.push_back(L.Inc);
        Den.push_back(L.Den);
        Dx.push_back(static_cast<long long>(L.MinorSign) * L.MajorSign);
        Id.push_back(Walker);
    }
    // Writes this row into Lo and Hi, then steps to the next row.
    void Row(long long* Lo, long long* Hi) {
        for (std::size_t K = 0; K < X.size(); ++K) {
            Lo[Id[K]] = Hi[Id[K]] = X[K];
            Acc[K] += Inc[K];
            const long long Carry = Acc[K] >= Den[K] ? 1 : 0;
            Acc[K] -= Carry * Den[K];
            X[K] += Carry * Dx[K];
        }
    }
};

// A line stepping along the columns: on a row, from the first step that has reached it to
// the last that has not passed it, the steps from G(Kk) to G(Kk + 1) - 1, cut to [From, To),
// with Kk = MinorSign (Y - Minor) and G(Kk) = ceil((Kk Den - C) / Inc). Kk moves by one from
// row to row, so G at the leading end follows by Den / Inc and a remainder (for a line walked
// upwards it is kept negated, so it goes forward too), and the other end is the leading one
// of the row before. There is one group per direction, so the row loop has no sign to look
// at: S is the line's way across the rows (MinorSign), M its way along the columns.
template <int S, int M> struct TRunGroup {
    struct TWalk {
        long long G, R, Trail, D, Rr, Inc, From, To, Major;
        int Id;
    };
    std::vector<TWalk> W;
    void Add(const TThinLine& L, int Walker) {
        const long long Kk = S * (0 - L.Minor);
        // The leading end of row 0 is G(Kk + 1) going down, G(Kk) going up; the trailing
        // end the other.
        const auto At = [&](long long K, long long& Gv, long long& Rv) {
            const __int128 N = static_cast<__int128>(K) * L.Den - L.C;
            Gv = CeilDiv(N, L.Inc);
            Rv = static_cast<long long>(static_cast<__int128>(Gv) * L.Inc - N);
        };
        long long GL = 0, RL = 0, GT = 0, RT = 0;
        At(S > 0 ? Kk + 1 : Kk, GL, RL);
        At(S > 0 ? Kk : Kk + 1, GT, RT);
        W.push_back({S > 0 ? GL : -GL, S > 0 ? RL : L.Inc - 1 - RL, GT, L.Den / L.Inc,
                     L.Den % L.Inc, L.Inc, L.From, L.To, L.Major, Walker});
    }
    void Row(long long* Lo, long long* Hi) {
        for (TWalk& K : W) {
            const long long Lead = S * K.G;
            const long long GLo = S > 0 ? K.Trail : Lead, GHi = S > 0 ? Lead : K.Trail;
            const long long F = std::clamp(GLo, K.From, K.To),
                            L = std::clamp(GHi, K.From, K.To) - 1;
            Lo[K.Id] = M > 0 ? K.Major + F : K.Major - L;
            Hi[K.Id] = M > 0 ? K.Major + L : K.Major - F;
            K.Trail = Lead;
            K.G += K.D;
            K.R -= K.Rr;
            const long long Carry = K.R < 0 ? 1 : 0;
            K.R += Carry * K.Inc;
            K.G += Carry;
        }
    }
};
struct TRunWalks {
    TRunGroup<1, 1> DownRight;
    TRunGroup<1, -1> DownLeft;
    TRunGroup<-1, 1> UpRight;
    TRunGroup<-1, -1> UpLeft;
    void Add(const TThinLine& L, int Walker) {
        if (L.MinorSign > 0)
            L.MajorSign > 0 ? DownRight.Add(L, Walker) : DownLeft.Add(L, Walker);
        else
            L.MajorSign > 0 ? UpRight.Add(L, Walker) : UpLeft.Add(L, Walker);
    }
    void Row(long long* Lo, long long* Hi) {
        DownRight.Row(Lo, Hi);
        DownLeft.Row(Lo, Hi);
        UpRight.Row(Lo, Hi);
        UpLeft.Row(Lo, Hi);
    }
};

// A level line stepping along the columns lies on row Minor alone.
struct TLevelWalks {
    std::vector<TThinLine> L;
    std::vector<int> Id;
    void Add(const TThinLine& Line, int Walker) {
        L.push_back(Line);
        Id.push_back(Walker);
    }
    void Row(int Y, long long* Lo, long long* Hi) const {
        for (std::size_t K = 0; K < L.size(); ++K) {
            const TThinLine& T = L[K];
            const long long Kk = T.MinorSign * (static_cast<long long>(Y) - T.Minor);
            const long long F = Kk <= 0 ? T.From : T.To, La = (Kk + 1 <= 0 ? T.From : T.To) - 1;
            const long long PF = T.Major + T.MajorSign * F, PL = T.Major + T.MajorSign * La;
            Lo[Id[K]] = T.MajorSign > 0 ? PF : PL;
            Hi[Id[K]] = T.MajorSign > 0 ? PL : PF;
        }
    }
};

// Neighbouring lines of one family drawn one after the other in one colour. On a row they
// cover the stretch between First's pixels and End's, where End is the next member of the
// family when there is one: that member is drawn later and paints its own pixels again.
//
// Either way a family is joined, the piece on a row is from the lower of the outer lines' Lo
// to the higher of their Hi. Lines joined step by step may miss the row while the lines
// between them do not: at each step the rows between the outer two are covered, so the piece
// runs from where either outer line has reached the row to where either has not passed it,
// which is what Lo and Hi of a line that misses the row give: both at the end of its walk
// nearest the row, crossed over.
struct TBundle {
    int First, End; // walkers
    std::uint32_t Px;
    int Y0, Y1; // rows, both included
};

// [A, B] of a row, both ends included, in exact stores: the pieces are a few pixels wide and
// the pixels around them may be final already. Four to eight pixels take two stores of four
// from both ends, fewer than four three single stores (the ends and the middle).
inline void FillPiece(std::uint32_t* P, long long A, long long B, std::uint32_t Px) {
    const auto N = static_cast<int>(B - A + 1);
    std::uint32_t* Q = P + A;
    if (N < 4) {
        Q[0] = Px;
        Q[(N - 1) / 2] = Px;
        Q[N - 1] = Px;
        return;
    }
#if defined(__SSE2__)
    if (N <= 8) {
        const __m128i V = _mm_set1_epi32(static_cast<int>(Px));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(Q), V);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(Q + N - 4), V);
        return;
    }
#endif
    if (N >= 32) {
        gdi::FillPixels(Q, static_cast<std::size_t>(N), Px);
        return;
    }
    int I = 0;
#if defined(__SSE2__)
    const __m128i V = _mm_set1_epi32(static_cast<int>(Px));
    for (; I + 4 < N; I += 4)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(Q + I), V);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Q + N - 4), V);
#else
    for (; I < N; ++I)
        Q[I] = Px;
#endif
}

// The rows [Y0, Y1] a line has pixels on.
TRows RowsOf(const TThinLine& L) {
    if (!L.XMajor) {
        const long long A = L.Major + L.MajorSign * L.From, B = L.Major + L.MajorSign * (L.To - 1);
        return {std::min(A, B), std::max(A, B)};
    }
    const auto MinorAt = [&](long long I) {
        const __int128 Num = static_cast<__int128>(I) * L.Inc + L.C;
        return L.Minor + L.MinorSign * static_cast<long long>(Num / L.Den);
    };
    const long long A = MinorAt(L.From), B = MinorAt(L.To - 1);
    return {std::min(A, B), std::max(A, B)};
}

// The families, joined greedily in drawing order: a line joins the most recent open family it
// continues. A few are kept open, so lines drawn in turns from two or three fans still find
// theirs.
constexpr std::size_t OpenFamilies = 8;

} // namespace

void QELPaintGradientLines(TSurface& S, const std::vector<TQELGradientLine>& Lines) {
    if (S.Width <= 0 || S.Height <= 0) return;
    const TRect Box{0, 0, S.Width, S.Height};
    const int N = static_cast<int>(Lines.size());
    std::vector<TThinLine> T(Lines.size());
    std::vector<TRows> Rows(Lines.size());
    std::vector<int> Next(Lines.size(), -1);
    std::vector<bool> Used(Lines.size(), false);
    // A family open for more lines: its last member and how its members step.
    struct TOpen {
        int Last;
        bool Stepped, ByRuns;
        long long DMinor, DInc;
        TRunStep Run;
    };
    const auto Continues = [&](const TOpen& F, int K, TOpen& Then) {
        const TThinLine &P = T[F.Last], &L = T[K];
        if ((!F.Stepped || !F.ByRuns) && SameWalk(P, L)) {
            const long long DMinor = L.Minor - P.Minor, DInc = L.Inc - P.Inc;
            if ((!F.Stepped || (DMinor == F.DMinor && DInc == F.DInc)) &&
                NeighbourStep(P, DMinor, DInc)) {
                Then = {K, true, false, DMinor, DInc, {}};
                return true;
            }
        }
        if ((!F.Stepped || F.ByRuns) && SameRows(P, L, Rows[F.Last], Rows[K])) {
            const TRunStep D{L.Major - P.Major, L.Den - P.Den, L.C - P.C, L.To - P.To};
            if ((!F.Stepped || D == F.Run) && RunNeighbourStep(P, Rows[K], D)) {
                Then = {K, true, true, 0, 0, D};
                return true;
            }
        }
        return false;
    };
    std::vector<TOpen> Open;
    for (int K = 0; K < N; ++K) {
        const TQELGradientLine& L = Lines[K];
        T[K] = gdi::ThinLineSteps({L.X1, L.Y1}, {L.X2, L.Y2}, Box);
        if (T[K].From >= T[K].To) continue;
        Used[K] = true;
        Rows[K] = RowsOf(T[K]);
        bool Joined = false;
        for (std::size_t J = Open.size(); J-- > 0 && !Joined;) {
            TOpen Then{};
            if (!Continues(Open[J], K, Then)) continue;
            Next[Open[J].Last] = K;
            Open.erase(Open.begin() + static_cast<std::ptrdiff_t>(J));
            Open.push_back(Then);
            Joined = true;
        }
        if (!Joined) {
            if (Open.size() == OpenFamilies) Open.erase(Open.begin());
            Open.push_back({K, false, false, 0, 0, {}});
        }
    }

    // Bundles: runs of lines, consecutive in the drawing and in their family, of one colour.
    TPixelWalks PixelWalks;
    TRunWalks RunWalks;
    TLevelWalks LevelWalks;
    int Walkers = 0;
    std::vector<int> WalkerOf(Lines.size(), -1);
    const auto WalkerFor = [&](int K) {
        if (WalkerOf[K] < 0) {
            WalkerOf[K] = Walkers++;
            if (!T[K].XMajor)
                PixelWalks.Add(T[K], WalkerOf[K]);
            else if (T[K].Inc > 0)
                RunWalks.Add(T[K], WalkerOf[K]);
            else
                LevelWalks.Add(T[K], WalkerOf[K]);
        }
        return WalkerOf[K];
    };
    std::vector<TBundle> Bundles;
    for (int K = 0; K < N;) {
        if (!Used[K]) {
            ++K;
            continue;
        }
        int Last = K, J = K + 1;
        while (J < N && Used[J] && Next[Last] == J && Lines[J].Color == Lines[K].Color) {
            Last = J;
            ++J;
        }
        const int End = Next[Last] >= 0 ? Next[Last] : Last;
        TBundle B{};
        B.First = WalkerFor(K);
        B.End = WalkerFor(End);
        B.Px = PixelFromRGB(Lines[K].Color);
        B.Y0 = static_cast<int>(std::max(0LL, std::min(Rows[K].Y0, Rows[End].Y0)));
        B.Y1 =
            static_cast<int>(std::min<long long>(S.Height - 1, std::max(Rows[K].Y1, Rows[End].Y1)));
        if (B.Y0 <= B.Y1) Bundles.push_back(B);
        K = J;
    }

    // Rows painted bundle over bundle in drawing order; a bundle is looked at from its first
    // row to its last only, in a list kept in drawing order (the bundles' own).
    std::vector<std::size_t> ByStart(Bundles.size());
    for (std::size_t I = 0; I < Bundles.size(); ++I)
        ByStart[I] = I;
    std::stable_sort(ByStart.begin(), ByStart.end(),
                     [&](std::size_t A, std::size_t B) { return Bundles[A].Y0 < Bundles[B].Y0; });
    std::vector<std::size_t> Active;
    Active.reserve(Bundles.size());
    std::vector<long long> Lo(static_cast<std::size_t>(Walkers)),
        Hi(static_cast<std::size_t>(Walkers));
    std::size_t Joining = 0;
    for (int Y = 0; Y < S.Height; ++Y) {
        if (Joining < ByStart.size() && Bundles[ByStart[Joining]].Y0 == Y) {
            const auto Mid = static_cast<std::ptrdiff_t>(Active.size());
            while (Joining < ByStart.size() && Bundles[ByStart[Joining]].Y0 == Y)
                Active.push_back(ByStart[Joining++]);
            std::sort(Active.begin() + Mid, Active.end());
            std::inplace_merge(Active.begin(), Active.begin() + Mid, Active.end());
        }
        PixelWalks.Row(Lo.data(), Hi.data());
        RunWalks.Row(Lo.data(), Hi.data());
        LevelWalks.Row(Y, Lo.data(), Hi.data());
        std::uint32_t* Row = S.Row(Y);
        std::size_t Kept = 0;
        for (const std::size_t Id : Active) {
            const TBundle& B = Bundles[Id];
            if (Y > B.Y1) continue;
            Active[Kept++] = Id;
            const long long L = std::min(Lo[B.First], Lo[B.End]),
                            R = std::max(Hi[B.First], Hi[B.End]);
            if (L <= R) FillPiece(Row, L, R, B.Px);
        }
        Active.resize(Kept);
    }
}

} // namespace qel
