#include "visual/QELTGradientLines.h"

#include "toolkit/graphics/DeviceContext.h"

#include <algorithm>
#include <array>
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
// together, a field to an array and with no branch that depends on the line, so the processor
// steps several lines at once and a row of a few hundred lines costs a few additions each.
// The arrays hold 32-bit numbers when everything the walks reach fits, 64-bit ones otherwise.
//
// A line stepping along the rows has one pixel per row, at Minor + MinorSign K with
// K = floor((C + I Inc) / Den) and I the row's step; from row to row the remainder grows by
// Inc, and each time it passes Den the pixel moves one column (for a line walked upwards the
// remainder is counted from the other end, so it grows too).
struct TPixelSeed {
    long long X, Acc, Inc, Den, Dx;
};
TPixelSeed PixelSeed(const TThinLine& L) {
    const long long I0 = L.MajorSign * (0 - L.Major);
    const __int128 Num = static_cast<__int128>(I0) * L.Inc + L.C;
    const long long K = FloorDiv(Num, L.Den),
                    Rem = static_cast<long long>(Num - K * static_cast<__int128>(L.Den));
    return {L.Minor + L.MinorSign * K, L.MajorSign > 0 ? Rem : L.Den - 1 - Rem, L.Inc, L.Den,
            static_cast<long long>(L.MinorSign) * L.MajorSign};
}

// A line stepping along the columns: on a row, from the first step that has reached it to
// the last that has not passed it, the steps from G(Kk) to G(Kk + 1) - 1, cut to [From, To),
// with Kk = MinorSign (Y - Minor) and G(Kk) = ceil((Kk Den - C) / Inc). Kk moves by one from
// row to row, so G at the leading end follows by Den / Inc and a remainder (for a line walked
// upwards it is kept negated, so it goes forward too), and the other end is the leading one
// of the row before.
struct TRunSeed {
    long long G, R, Trail, D, Rr, Inc, From, To, Major;
};
TRunSeed RunSeed(const TThinLine& L) {
    const long long S = L.MinorSign, Kk = S * (0 - L.Minor);
    const auto At = [&](long long K, long long& Gv, long long& Rv) {
        const __int128 N = static_cast<__int128>(K) * L.Den - L.C;
        Gv = CeilDiv(N, L.Inc);
        Rv = static_cast<long long>(static_cast<__int128>(Gv) * L.Inc - N);
    };
    // The leading end of row 0 is G(Kk + 1) going down, G(Kk) going up; the trailing end the
    // other.
    long long GL = 0, RL = 0, GT = 0, RT = 0;
    At(S > 0 ? Kk + 1 : Kk, GL, RL);
    At(S > 0 ? Kk : Kk + 1, GT, RT);
    return {S > 0 ? GL : -GL,
            S > 0 ? RL : L.Inc - 1 - RL,
            GT,
            L.Den / L.Inc,
            L.Den % L.Inc,
            L.Inc,
            L.From,
            L.To,
            L.Major};
}

// The largest magnitude a walk reaches over Rows rows (in 128 bits: a far-off line's walk may
// pass 64).
__int128 Reach(const TPixelSeed& P, long long Rows) {
    return std::max<__int128>(static_cast<__int128>(std::llabs(P.X)) + Rows,
                              static_cast<__int128>(P.Den) + P.Inc);
}
__int128 Reach(const TRunSeed& R, long long Rows) {
    const __int128 Travel = static_cast<__int128>(Rows) * (static_cast<__int128>(R.D) + 1);
    return std::max({std::llabs(R.G) + Travel, std::llabs(R.Trail) + Travel,
                     static_cast<__int128>(R.Inc) + R.Rr,
                     static_cast<__int128>(std::llabs(R.Major)) +
                         std::max(std::llabs(R.From), std::llabs(R.To)) + 1});
}

// The arrays of a walk group never overlap one another nor the output.
#if defined(__clang__)
#define QEL_APART _Pragma("clang loop vectorize(assume_safety)")
#elif defined(__GNUC__)
#define QEL_APART _Pragma("GCC ivdep")
#else
#define QEL_APART
#endif

template <class TInt> struct TPixelGroup {
    std::vector<TInt> X, Acc, Inc, Den, Dx;
    void Add(const TPixelSeed& P) {
        X.push_back(static_cast<TInt>(P.X));
        Acc.push_back(static_cast<TInt>(P.Acc));
        Inc.push_back(static_cast<TInt>(P.Inc));
        Den.push_back(static_cast<TInt>(P.Den));
        Dx.push_back(static_cast<TInt>(P.Dx));
    }
    // Writes this row into Lo and Hi, then steps to the next row.
    void Row(TInt* Lo, TInt* Hi) {
        TInt *Xs = X.data(), *As = Acc.data();
        const TInt *Is = Inc.data(), *Ds = Den.data(), *Dxs = Dx.data();
        QEL_APART
        for (std::size_t K = 0, N = X.size(); K < N; ++K) {
            Lo[K] = Hi[K] = Xs[K];
            const TInt A = As[K] + Is[K];
            const TInt Carry = -static_cast<TInt>(A >= Ds[K]); // all ones or none
            As[K] = A - (Carry & Ds[K]);
            Xs[K] += Carry & Dxs[K];
        }
    }
};

// One group per direction, so the row loop has no sign to look at: S is the line's way
// across the rows (MinorSign), M its way along the columns (MajorSign).
template <class TInt, int S, int M> struct TRunGroup {
    std::vector<TInt> G, R, Trail, D, Rr, Inc, From, To, Major;
    void Add(const TRunSeed& W) {
        G.push_back(static_cast<TInt>(W.G));
        R.push_back(static_cast<TInt>(W.R));
        Trail.push_back(static_cast<TInt>(W.Trail));
        D.push_back(static_cast<TInt>(W.D));
        Rr.push_back(static_cast<TInt>(W.Rr));
        Inc.push_back(static_cast<TInt>(W.Inc));
        From.push_back(static_cast<TInt>(W.From));
        To.push_back(static_cast<TInt>(W.To));
        Major.push_back(static_cast<TInt>(W.Major));
    }
    void Row(TInt* Lo, TInt* Hi) {
        TInt *Gs = G.data(), *Rs = R.data(), *Ts = Trail.data();
        const TInt *Ds = D.data(), *Rrs = Rr.data(), *Is = Inc.data(), *Fs = From.data(),
                   *Tos = To.data(), *Ms = Major.data();
        QEL_APART
        for (std::size_t K = 0, N = G.size(); K < N; ++K) {
            const TInt Lead = S > 0 ? Gs[K] : -Gs[K];
            const TInt GLo = S > 0 ? Ts[K] : Lead, GHi = S > 0 ? Lead : Ts[K];
            const TInt F = std::min(std::max(GLo, Fs[K]), Tos[K]),
                       L = std::min(std::max(GHi, Fs[K]), Tos[K]) - 1;
            Lo[K] = M > 0 ? Ms[K] + F : Ms[K] - L;
            Hi[K] = M > 0 ? Ms[K] + L : Ms[K] - F;
            Ts[K] = Lead;
            const TInt Rn = Rs[K] - Rrs[K];
            const TInt Carry = -static_cast<TInt>(Rn < 0); // all ones or none
            Rs[K] = Rn + (Carry & Is[K]);
            Gs[K] += Ds[K] - Carry;
        }
    }
};

// A level line stepping along the columns lies on row Minor alone.
template <class TInt> void LevelRow(const TThinLine& T, int Y, TInt& Lo, TInt& Hi) {
    const long long Kk = T.MinorSign * (static_cast<long long>(Y) - T.Minor);
    const long long F = Kk <= 0 ? T.From : T.To, La = (Kk + 1 <= 0 ? T.From : T.To) - 1;
    const long long PF = T.Major + T.MajorSign * F, PL = T.Major + T.MajorSign * La;
    Lo = static_cast<TInt>(T.MajorSign > 0 ? PF : PL);
    Hi = static_cast<TInt>(T.MajorSign > 0 ? PL : PF);
}

// How a line is walked: the walkers of one kind take consecutive numbers, so each group
// writes its stretch of Lo and Hi.
enum TWalkKind : std::uint8_t { ByPixels, DownRight, DownLeft, UpRight, UpLeft, Level, Kinds };
TWalkKind KindOf(const TThinLine& L) {
    if (!L.XMajor) return ByPixels;
    if (L.Inc == 0) return Level;
    if (L.MinorSign > 0) return L.MajorSign > 0 ? DownRight : DownLeft;
    return L.MajorSign > 0 ? UpRight : UpLeft;
}

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
// from both ends, and fewer than four take three single stores (the ends and the middle).
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

// The rows painted bundle over bundle in drawing order, the walks (in the order of their
// numbers) stepped a row at a time.
template <class TInt>
void PaintBundles(TSurface& S, const std::vector<TBundle>& Bundles,
                  const std::vector<TThinLine>& Walks) {
    TPixelGroup<TInt> Pixels;
    TRunGroup<TInt, 1, 1> DownRightRuns;
    TRunGroup<TInt, 1, -1> DownLeftRuns;
    TRunGroup<TInt, -1, 1> UpRightRuns;
    TRunGroup<TInt, -1, -1> UpLeftRuns;
    std::vector<const TThinLine*> Levels;
    std::array<std::size_t, Kinds + 1> Base{};
    for (const TThinLine& L : Walks) {
        const TWalkKind Kind = KindOf(L);
        ++Base[Kind + 1];
        switch (Kind) {
        case ByPixels:
            Pixels.Add(PixelSeed(L));
            break;
        case DownRight:
            DownRightRuns.Add(RunSeed(L));
            break;
        case DownLeft:
            DownLeftRuns.Add(RunSeed(L));
            break;
        case UpRight:
            UpRightRuns.Add(RunSeed(L));
            break;
        case UpLeft:
            UpLeftRuns.Add(RunSeed(L));
            break;
        default:
            Levels.push_back(&L);
            break;
        }
    }
    for (std::size_t K = 1; K <= Kinds; ++K)
        Base[K] += Base[K - 1];

    // Each band of rows holds the bundles that reach into it, in drawing order; a row goes
    // through its band's, which lie one after the other in memory.
    constexpr int BandRows = 64;
    std::vector<std::vector<TBundle>> Bands(
        static_cast<std::size_t>((S.Height + BandRows - 1) / BandRows));
    for (const TBundle& B : Bundles)
        for (int Band = B.Y0 / BandRows; Band <= B.Y1 / BandRows; ++Band)
            Bands[static_cast<std::size_t>(Band)].push_back(B);
    std::vector<TInt> Lo(Walks.size()), Hi(Walks.size());
    for (int Y = 0; Y < S.Height; ++Y) {
        Pixels.Row(Lo.data() + Base[ByPixels], Hi.data() + Base[ByPixels]);
        DownRightRuns.Row(Lo.data() + Base[DownRight], Hi.data() + Base[DownRight]);
        DownLeftRuns.Row(Lo.data() + Base[DownLeft], Hi.data() + Base[DownLeft]);
        UpRightRuns.Row(Lo.data() + Base[UpRight], Hi.data() + Base[UpRight]);
        UpLeftRuns.Row(Lo.data() + Base[UpLeft], Hi.data() + Base[UpLeft]);
        for (std::size_t K = 0; K < Levels.size(); ++K)
            LevelRow(*Levels[K], Y, Lo[Base[Level] + K], Hi[Base[Level] + K]);
        std::uint32_t* Row = S.Row(Y);
        for (const TBundle& B : Bands[static_cast<std::size_t>(Y / BandRows)]) {
            if (Y < B.Y0 || Y > B.Y1) continue;
            const TInt L = std::min(Lo[B.First], Lo[B.End]), R = std::max(Hi[B.First], Hi[B.End]);
            if (L <= R) FillPiece(Row, L, R, B.Px);
        }
    }
}

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

    // Bundles: runs of lines, consecutive in the drawing and in their family, of one colour;
    // First and End are lines here, walkers once the walks are numbered.
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
        B.First = K;
        B.End = End;
        B.Px = PixelFromRGB(Lines[K].Color);
        B.Y0 = static_cast<int>(std::max(0LL, std::min(Rows[K].Y0, Rows[End].Y0)));
        B.Y1 =
            static_cast<int>(std::min<long long>(S.Height - 1, std::max(Rows[K].Y1, Rows[End].Y1)));
        if (B.Y0 <= B.Y1) Bundles.push_back(B);
        K = J;
    }

    // The walks, numbered kind by kind.
    std::vector<int> Walked;
    std::vector<int> WalkerOf(Lines.size(), -1);
    for (const TBundle& B : Bundles)
        for (const int K : {B.First, B.End})
            if (WalkerOf[K] < 0) {
                WalkerOf[K] = 0;
                Walked.push_back(K);
            }
    std::stable_sort(Walked.begin(), Walked.end(),
                     [&](int A, int B) { return KindOf(T[A]) < KindOf(T[B]); });
    __int128 Reached = 0;
    for (std::size_t I = 0; I < Walked.size(); ++I) {
        const TThinLine& L = T[Walked[I]];
        WalkerOf[Walked[I]] = static_cast<int>(I);
        const TWalkKind Kind = KindOf(L);
        if (Kind == ByPixels)
            Reached = std::max(Reached, Reach(PixelSeed(L), S.Height + 1LL));
        else if (Kind != Level)
            Reached = std::max(Reached, Reach(RunSeed(L), S.Height + 1LL));
    }
    for (TBundle& B : Bundles) {
        B.First = WalkerOf[B.First];
        B.End = WalkerOf[B.End];
    }
    std::vector<TThinLine> Walks;
    Walks.reserve(Walked.size());
    for (const int K : Walked)
        Walks.push_back(T[K]);
    if (Reached < (static_cast<__int128>(1) << 30))
        PaintBundles<std::int32_t>(S, Bundles, Walks);
    else
        PaintBundles<long long>(S, Bundles, Walks);
}

} // namespace qel
