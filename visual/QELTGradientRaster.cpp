#include "visual/QELTGradientRaster.h"

#include "toolkit/graphics/DeviceContext.h"
#include "visual/QELTGradientLines.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
// Wider moves are chosen while running, for processors that have them.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define QEL_WIDE_VECTORS 1
#else
#define QEL_WIDE_VECTORS 0
#endif

namespace qel {

namespace {

struct TShape {
    enum class TKind : std::uint8_t { Fill, Ellipse, Line } Kind;
    int X1, Y1, X2, Y2;
    COLORREF Color; // the brush for fills; pen and brush for ellipses (the same); the pen for lines
};

// Keeps the shapes with the coordinates the device context would end up using.
class TRecorder : public TQELGradientPainter {
  public:
    std::vector<TShape> Shapes;

    void StepColor(COLORREF C) override { Pen_ = Brush_ = C; }
    void PenColor(COLORREF C) override { Pen_ = C; }
    void Fill(int X, int Y, int W, int H) override {
        // A negative extent runs leftwards or upwards and still includes the origin.
        if (W < 0) {
            X += W + 1;
            W = -W;
        }
        if (H < 0) {
            Y += H + 1;
            H = -H;
        }
        if (W > 0 && H > 0) Shapes.push_back({TShape::TKind::Fill, X, Y, X + W, Y + H, Brush_});
    }
    void Ellipse(int X1, int Y1, int X2, int Y2) override {
        if (X1 > X2) std::swap(X1, X2);
        if (Y1 > Y2) std::swap(Y1, Y2);
        // A thin outline in the fill's own colour: the figure is its filled region. Pen and
        // brush always agree in the styles that draw ellipses.
        if (X2 > X1 && Y2 > Y1) Shapes.push_back({TShape::TKind::Ellipse, X1, Y1, X2, Y2, Brush_});
    }
    void Line(int X1, int Y1, int X2, int Y2) override {
        Shapes.push_back({TShape::TKind::Line, X1, Y1, X2, Y2, Pen_});
    }

  private:
    COLORREF Pen_ = 0, Brush_ = 0;
};

using TSpans = std::vector<std::pair<int, int>>;

// Adds [A, B) to Spans (sorted, disjoint, touching ones merged) in place and calls Gap(L, R)
// for every part of [A, B) that was not covered before.
template <class TGap> void CoverSpan(TSpans& Spans, int A, int B, TGap&& Gap) {
    std::size_t I = 0;
    while (I < Spans.size() && Spans[I].second < A)
        ++I;
    std::size_t J = I;
    int Next = A, MA = A, MB = B;
    for (; J < Spans.size() && Spans[J].first <= B; ++J) {
        if (Spans[J].first > Next) Gap(Next, Spans[J].first);
        Next = std::max(Next, Spans[J].second);
        MA = std::min(MA, Spans[J].first);
        MB = std::max(MB, Spans[J].second);
    }
    if (Next < B) Gap(Next, B);
    if (I == J) {
        Spans.insert(Spans.begin() + static_cast<std::ptrdiff_t>(I), {MA, MB});
        return;
    }
    Spans[I] = {MA, MB};
    Spans.erase(Spans.begin() + static_cast<std::ptrdiff_t>(I + 1),
                Spans.begin() + static_cast<std::ptrdiff_t>(J));
}

bool Whole(const TSpans& Spans, int Width) {
    return Spans.size() == 1 && Spans[0].first <= 0 && Spans[0].second >= Width;
}

// The pieces a ring adds to a row are a few pixels wide, too short for a fill loop to pay off;
// whole blocks of sixteen are stored instead (most pieces fit one), and the pixels a block
// spills past the piece are ones that nothing covers yet, which a shape drawn earlier or the
// base paints over later.
constexpr int Block = 16;

template <int N = Block> void FillBlock(std::uint32_t* P, std::uint32_t Px) {
    for (int I = 0; I < N; ++I)
        P[I] = Px;
}

// [A, B) of a row, spilling left of A but not left of Lo.
void FillLeftwards(std::uint32_t* P, int A, int B, std::uint32_t Px, int Lo = 0) {
    for (; B > A && B - Block >= Lo; B -= Block)
        FillBlock(P + B - Block, Px);
    if (B > A) std::fill(P + A, P + B, Px);
}

// [A, B) of a row W pixels wide, spilling right of B but not past W.
void FillRightwards(std::uint32_t* P, int A, int B, int W, std::uint32_t Px) {
    for (; A < B && A + Block <= W; A += Block)
        FillBlock(P + A, Px);
    if (A < B) std::fill(P + A, P + B, Px);
}

// [A, B) of a row in one colour (nothing when B <= A).
void FillSpan(std::uint32_t* P, int A, int B, std::uint32_t Px) {
    if (A < B) gdi::FillPixels(P + A, static_cast<std::size_t>(B - A), Px);
}

// Out[N - 1 - I] = In[I], four pixels to a move where the processor has the shuffle for it
// (the library's reverse copy goes a pixel at a time).
void ReverseCopySSE2(const std::uint32_t* In, int N, std::uint32_t* Out) {
    int I = 0;
#if defined(__SSE2__)
    for (; I + 4 <= N; I += 4) {
        const __m128i V = _mm_loadu_si128(reinterpret_cast<const __m128i*>(In + I));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(Out + N - 4 - I),
                         _mm_shuffle_epi32(V, _MM_SHUFFLE(0, 1, 2, 3)));
    }
#endif
    for (; I < N; ++I)
        Out[N - 1 - I] = In[I];
}

#if QEL_WIDE_VECTORS
// The half-turned and mirrored pictures copy a row reversed for every row they paint, as many
// pixels as a fill of half the picture; sixteen-byte moves make that cost more than the fill,
// so where the processor has wider moves the copy takes them.
__attribute__((target("avx2"))) void ReverseCopyAVX2(const std::uint32_t* In, int N,
                                                     std::uint32_t* Out) {
    const __m256i Back = _mm256_setr_epi32(7, 6, 5, 4, 3, 2, 1, 0);
    int I = 0;
    for (; I + 8 <= N; I += 8) {
        const __m256i V = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(In + I));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(Out + N - 8 - I),
                            _mm256_permutevar8x32_epi32(V, Back));
    }
    ReverseCopySSE2(In + I, N - I, Out);
}
#endif

void ReverseCopy(const std::uint32_t* In, int N, std::uint32_t* Out) {
#if QEL_WIDE_VECTORS
    static const bool AVX2 = __builtin_cpu_supports("avx2");
    if (AVX2) {
        ReverseCopyAVX2(In, N, Out);
        return;
    }
#endif
    ReverseCopySSE2(In, N, Out);
}

// One row of pixels from the shapes over it, last drawn first, each pixel painted once; what
// no shape covers shows Base. SpanAt(K, A, B) gives shape K's part [A, B) of the row and its
// pixel with bit 24 set, or 0 when the shape misses the row. Nested and overlapping figures
// keep what is covered one run, [CL, CR), and paint past it in whole blocks; the span list
// takes over only when a part of the row arrives apart from it.
template <class TSpanAt>
void PaintRow(std::uint32_t* P, int W, std::size_t N, std::uint32_t Base, TSpans& Row,
              TSpanAt&& SpanAt) {
    int CL = 0, CR = 0;
    bool Split = false;
    Row.clear();
    for (std::size_t K = 0; K < N; ++K) {
        int A = 0, B = 0;
        const std::uint32_t Tagged = SpanAt(K, A, B);
        if (!Tagged) continue;
        const std::uint32_t Px = Tagged & 0xFFFFFFu;
        A = std::max(A, 0);
        B = std::min(B, W);
        if (A >= B) continue;
        if (!Split) {
            if (CL == CR) {
                FillRightwards(P, A, B, W, Px);
                CL = A;
                CR = B;
            } else if (A <= CR && B >= CL) {
                if (A < CL) FillLeftwards(P, A, CL, Px);
                if (B > CR) FillRightwards(P, CR, B, W, Px);
                CL = std::min(CL, A);
                CR = std::max(CR, B);
            } else {
                Split = true;
                Row.push_back({CL, CR});
            }
            if (!Split) {
                if (CL == 0 && CR == W) return;
                continue;
            }
        }
        CoverSpan(Row, A, B, [&](int L, int R) { FillSpan(P, L, R, Px); });
        if (Whole(Row, W)) return;
    }
    if (!Split) {
        FillSpan(P, 0, CL, Base);
        FillSpan(P, CR, W, Base); // the whole row when nothing covered it
    } else if (!Whole(Row, W)) {
        CoverSpan(Row, 0, W, [&](int L, int R) { FillSpan(P, L, R, Base); });
    }
}

// How the picture repeats itself, from the figures alone. Every figure is symmetric about the
// middle of its box (the ellipse insets are mirrored in both directions), so when all boxes
// share the middle row the lower rows copy the upper ones, and when they also share the middle
// column each row is its own mirror image. When the figures come in pairs in one colour, each
// the other turned by half a turn, the pair covers a half-turned point for every point it
// covers, and the last pair over a point is the last over its turned point too: each lower row
// is an upper one reversed.
struct TSymmetry {
    bool Flip = false;   // row Y equals row H - 1 - Y
    bool Mirror = false; // with Flip: every row reads the same backwards
    bool Turn = false;   // row Y equals row H - 1 - Y reversed
};

TSymmetry SymmetryOf(const std::vector<TShape>& Shapes, int W, int H) {
    TSymmetry S;
    S.Flip = std::all_of(Shapes.begin(), Shapes.end(),
                         [H](const TShape& Sh) { return Sh.Y1 + Sh.Y2 == H; });
    S.Mirror = S.Flip && std::all_of(Shapes.begin(), Shapes.end(),
                                     [W](const TShape& Sh) { return Sh.X1 + Sh.X2 == W; });
    if (S.Flip || Shapes.size() % 2 != 0) return S;
    S.Turn = true;
    for (std::size_t I = 0; S.Turn && I < Shapes.size(); I += 2) {
        const TShape &A = Shapes[I], &B = Shapes[I + 1];
        S.Turn = A.Kind == B.Kind && A.Color == B.Color && A.X1 + B.X2 == W && A.X2 + B.X1 == W &&
                 A.Y1 + B.Y2 == H && A.Y2 + B.Y1 == H;
    }
    return S;
}

// A shape of PaintRows: its visible rows and its box across, and where its row Y's left and
// right inset is found in the inset table (a rectangle's entries are all 0).
struct TRowShape {
    int Y0, Y1, X1, X2;
    std::uint32_t Px;
    std::ptrdiff_t Insets; // where row 0 of the picture would be in the inset table
};

// The left insets of the ellipses' rows, one table per box, after the rectangles' table of H
// zeros. Every entry is written before it is read, so the storage is taken uncleared and in
// one piece: a 255-ring picture holds over a megabyte of insets.
class TInsetTable {
  public:
    void Reserve(std::size_t Entries) {
        Entries_ = std::make_unique_for_overwrite<int[]>(Entries);
        Size_ = 0;
    }
    // Room for N more entries; where they begin.
    std::ptrdiff_t Add(std::size_t N) {
        const auto At = static_cast<std::ptrdiff_t>(Size_);
        Size_ += N;
        return At;
    }
    int* At(std::ptrdiff_t I) { return Entries_.get() + I; }
    const int* At(std::ptrdiff_t I) const { return Entries_.get() + I; }

  private:
    std::unique_ptr<int[]> Entries_;
    std::size_t Size_ = 0;
};

// The shapes of PaintRows, last drawn first, with their inset table. A box of the same size as
// the ellipse before it shares that one's rows (the rings drawn in pairs).
std::vector<TRowShape> RowShapes(const std::vector<TShape>& Shapes, int W, int H,
                                 TInsetTable& Insets) {
    const auto Visible = [W, H](const TShape& Sh) {
        return std::max(Sh.Y1, 0) < std::min(Sh.Y2, H) && Sh.X2 > 0 && Sh.X1 < W;
    };
    // Twice through the visible shapes: once for the size of the table, once to fill it.
    const auto Walk = [&](auto&& Fn) {
        int LastW = -1, LastH = -1;
        for (auto It = Shapes.rbegin(); It != Shapes.rend(); ++It) {
            if (!Visible(*It)) continue;
            bool NewBox = false;
            if (It->Kind == TShape::TKind::Ellipse) {
                const int BW = It->X2 - It->X1, BH = It->Y2 - It->Y1;
                NewBox = BW != LastW || BH != LastH;
                LastW = BW;
                LastH = BH;
            }
            Fn(*It, NewBox);
        }
    };
    auto Entries = static_cast<std::size_t>(H);
    Walk([&](const TShape& Sh, bool NewBox) {
        if (NewBox) Entries += static_cast<std::size_t>(Sh.Y2 - Sh.Y1);
    });
    Insets.Reserve(Entries);
    std::fill_n(Insets.At(Insets.Add(static_cast<std::size_t>(H))), H, 0); // the rectangles'
    std::vector<TRowShape> Order;
    Order.reserve(Shapes.size());
    std::ptrdiff_t LastAt = 0;
    Walk([&](const TShape& Sh, bool NewBox) {
        TRowShape R{
            std::max(Sh.Y1, 0), std::min(Sh.Y2, H), Sh.X1, Sh.X2, PixelFromRGB(Sh.Color), 0};
        if (Sh.Kind == TShape::TKind::Ellipse) {
            if (NewBox) {
                const int BH = Sh.Y2 - Sh.Y1;
                LastAt = Insets.Add(static_cast<std::size_t>(BH));
                gdi::EllipseInsetRows(Sh.X2 - Sh.X1, BH, Insets.At(LastAt));
            }
            // Only the visible rows of the box are looked up, but the table follows the box.
            R.Insets = LastAt - Sh.Y1;
        }
        Order.push_back(R);
    });
    return Order;
}

// The insets of every shape for a band of rows, gathered just before the rows are painted. A
// row's walk reads one entry of every shape's table; with hundreds of tables those reads miss
// the cache one after another, while the gathering reads each table straight through.
// Shape K's inset on row Y0 + R is at [K * Rows + R].
class TInsetBand {
  public:
    static constexpr int Rows = 16;
    TInsetBand(const std::vector<TRowShape>& Order, const TInsetTable& Table)
        : Order_(Order), Table_(Table), Insets_(Order.size() * Rows) {}
    // Rows Y0 to Y1 - 1 (at most Rows of them).
    void Gather(int Y0, int Y1) {
        Y0_ = Y0;
        for (std::size_t K = 0; K < Order_.size(); ++K) {
            const TRowShape& R = Order_[K];
            const int A = std::max(Y0, R.Y0), B = std::min(Y1, R.Y1);
            if (A >= B) continue;
            const int* From = Table_.At(R.Insets + A);
            int* To = Insets_.data() + K * Rows + (A - Y0);
            if (B - A == Rows) // the common case, a few moves instead of a call
                std::memcpy(To, From, sizeof(int) * Rows);
            else
                std::copy_n(From, B - A, To);
        }
    }
    // The insets of row Y of the band: shape K's at [K * Rows].
    const int* Row(int Y) const { return Insets_.data() + (Y - Y0_); }

  private:
    const std::vector<TRowShape>& Order_;
    const TInsetTable& Table_;
    std::vector<int> Insets_;
    int Y0_ = 0;
};

// A shape over the row being painted, kept together so the walk over a row reads one array.
struct TActive {
    int X1, X2;
    std::uint32_t Px;
    int Slot; // where the band keeps its insets
};

// The shapes over each row in turn, last drawn first. A shape joins the list at its first row
// and leaves it after its last, so rows never step over shapes that miss them and the list is
// not rebuilt at every edge.
class TActiveRows {
  public:
    explicit TActiveRows(const std::vector<TRowShape>& Order) : Order_(Order) {
        Events_.reserve(2 * Order.size());
        for (std::size_t K = 0; K < Order.size(); ++K) {
            Events_.push_back({Order[K].Y0, static_cast<int>(K), true});
            Events_.push_back({Order[K].Y1, static_cast<int>(K), false});
        }
        // A shape begins before it ends, so in the order of rows it joins before it leaves.
        std::stable_sort(Events_.begin(), Events_.end(),
                         [](const TEvent& A, const TEvent& B) { return A.Row < B.Row; });
        Active_.reserve(Order.size());
    }
    // The shapes over row Y; rows come in increasing order.
    const std::vector<TActive>& At(int Y) {
        Changed_ = Left_ = false;
        Joined_ = 0;
        int LastJoined = -1;
        for (; Next_ < Events_.size() && Events_[Next_].Row <= Y; ++Next_) {
            const TEvent& E = Events_[Next_];
            const int Slot = E.Shape * TInsetBand::Rows;
            const auto It = std::lower_bound(Active_.begin(), Active_.end(), Slot,
                                             [](const TActive& A, int S) { return A.Slot < S; });
            if (E.Joins) {
                const TRowShape& R = Order_[static_cast<std::size_t>(E.Shape)];
                Active_.insert(It, {R.X1, R.X2, R.Px, Slot});
                ++Joined_;
                LastJoined = std::max(LastJoined, Slot);
            } else {
                Active_.erase(It);
                Left_ = true;
            }
            Changed_ = true;
        }
        // The shapes that joined lie on top of the others when they are the first entries.
        OnTop_ = !Left_ && Joined_ > 0 &&
                 (Joined_ == Active_.size() || Active_[Joined_].Slot > LastJoined);
        return Active_;
    }
    // Whether a shape began or ended at the row last asked for.
    bool Changed() const { return Changed_; }
    // How many shapes began at the row last asked for, when nothing ended there and every one
    // of them is drawn after all the shapes over the row before: they are the first entries,
    // and that row with them painted over it is this one. 0 otherwise.
    std::size_t JoinedOnTop() const { return OnTop_ ? Joined_ : 0; }

  private:
    struct TEvent {
        int Row, Shape;
        bool Joins;
    };
    const std::vector<TRowShape>& Order_;
    std::vector<TEvent> Events_;
    std::size_t Next_ = 0;
    bool Changed_ = false, Left_ = false, OnTop_ = false;
    std::size_t Joined_ = 0;
    std::vector<TActive> Active_;
};

// What a row painted by PaintRunRow has covered so far: a few runs, sorted and apart.
class TRuns {
  public:
    static constexpr int Most = 8;
    int N = 0;
    int L[Most], R[Most];
};

// Adds [A, B) to the runs of row P (W pixels) and paints what it adds. The runs around it bound
// the blocks' spill. False, with nothing painted, when it would take one run too many.
bool AddRun(std::uint32_t* P, int W, TRuns& Rs, int A, int B, std::uint32_t Px) {
    int I = 0;
    while (I < Rs.N && Rs.R[I] < A)
        ++I;
    int J = I;
    while (J < Rs.N && Rs.L[J] <= B)
        ++J;
    const int Lo = I > 0 ? Rs.R[I - 1] : 0, Hi = J < Rs.N ? Rs.L[J] : W;
    if (I == J) { // apart from every run: a run of its own
        if (Rs.N == TRuns::Most) return false;
        FillRightwards(P, A, B, Hi, Px);
        for (int K = Rs.N; K > I; --K) {
            Rs.L[K] = Rs.L[K - 1];
            Rs.R[K] = Rs.R[K - 1];
        }
        Rs.L[I] = A;
        Rs.R[I] = B;
        ++Rs.N;
        return true;
    }
    if (A < Rs.L[I]) FillLeftwards(P, A, Rs.L[I], Px, Lo);
    for (int K = I; K + 1 < J; ++K)
        FillSpan(P, Rs.R[K], Rs.L[K + 1], Px);
    if (B > Rs.R[J - 1]) FillRightwards(P, Rs.R[J - 1], B, Hi, Px);
    // Runs I to J - 1 become one.
    Rs.L[I] = std::min(A, Rs.L[I]);
    Rs.R[I] = std::max(B, Rs.R[J - 1]);
    const int Gone = J - I - 1;
    for (int K = J; K < Rs.N; ++K) {
        Rs.L[K - Gone] = Rs.L[K];
        Rs.R[K - Gone] = Rs.R[K];
    }
    Rs.N -= Gone;
    return true;
}

// Grows the run [L, R) by [A, B), which touches it, painting what is new; what lies outside
// [Lo, Hi) is covered already. A piece of one block or less, the common case for rings, is one
// block store: the pixels it spills over are not covered yet.
inline void Grow(std::uint32_t* P, int& L, int& R, int A, int B, int Lo, int Hi, std::uint32_t Px) {
    if (A < L) {
        if (A >= L - Block && L - Block >= Lo)
            FillBlock(P + L - Block, Px);
        else
            FillLeftwards(P, A, L, Px, Lo);
        L = A;
    }
    if (B > R) {
        if (B <= R + Block && R + Block <= Hi)
            FillBlock(P + R, Px);
        else
            FillRightwards(P, R, B, Hi, Px);
        R = B;
    }
}

// Shape Sh's part [A, B) of the row, cut to W pixels; false when there is none.
bool PieceOf(const TActive& Sh, const int* Insets, int W, int& A, int& B) {
    const int In = Insets[Sh.Slot];
    A = std::max(Sh.X1 + In, 0);
    B = std::min(Sh.X2 - In, W);
    return A < B;
}

// The left half of a row, W pixels up to the middle, when every shape over it shares the middle
// column and lies inside the shapes drawn before it: then the row is the shapes' left edges in
// order, each shape's colour from its edge to the next one's. The pieces are painted left to
// right in blocks of eight, each block's spill painted over by the pieces after it; the last
// one spills up to eight pixels past W, which Room must leave free. False, with the row partly
// painted, when the edges are out of order.
bool PaintNestedRow(std::uint32_t* P, int W, int Room, const std::vector<TActive>& Shapes,
                    const int* Insets, std::uint32_t Base) {
    if (W + 8 > Room) return false;
    const std::size_t N = Shapes.size();
    // Earliest drawn first: the outermost shape.
    int At = N == 0 ? W : std::clamp(Shapes[N - 1].X1 + Insets[Shapes[N - 1].Slot], 0, W);
    FillSpan(P, 0, At, Base);
    for (std::size_t K = N; K-- > 0;) {
        const int Next =
            K == 0 ? W : std::clamp(Shapes[K - 1].X1 + Insets[Shapes[K - 1].Slot], 0, W);
        if (Next < At) return false;
        const std::uint32_t Px = Shapes[K].Px;
        int X = At;
        do {
            FillBlock<8>(P + X, Px);
            X += 8;
        } while (X < Next);
        At = Next;
    }
    return true;
}

// Row Y of W pixels while what the shapes cover stays one or two runs, as PaintRow does it,
// with the work per shape cut to the bone: the runs stay in locals the pixel stores cannot
// touch. Nested and overlapping rings make one run, the half-turned pairs two. Past W, up to
// Room, the row's pixels are free to spill into (they are written again afterwards). False,
// with the row partly painted, when even a few runs do not hold what is covered.
bool PaintRunRow(std::uint32_t* P, int W, int Room, const std::vector<TActive>& Shapes,
                 const int* Insets, std::uint32_t Base) {
    int L1 = 0, R1 = 0, L2 = 0, R2 = 0, Runs = 0;
    std::size_t K = 0;
    int A = 0, B = 0;
    for (; K < Shapes.size(); ++K) {
        if (!PieceOf(Shapes[K], Insets, W, A, B)) continue;
        const std::uint32_t Px = Shapes[K].Px;
        if (Runs != 0 && A <= R1 && B >= L1) {
            if (Runs == 2 && B >= L2) { // joins both runs into one
                if (A < L1) FillLeftwards(P, A, L1, Px);
                FillSpan(P, R1, L2, Px);
                if (B > R2) FillRightwards(P, R2, B, Room, Px);
                L1 = std::min(A, L1);
                R1 = std::max(B, R2);
                Runs = 1;
            } else {
                Grow(P, L1, R1, A, B, 0, Runs == 2 ? L2 : Room, Px);
            }
            if (Runs == 1 && L1 == 0 && R1 == W) return true;
        } else if (Runs == 2 && A <= R2 && B >= L2) {
            Grow(P, L2, R2, A, B, R1, Room, Px);
        } else if (Runs == 0) {
            FillRightwards(P, A, B, Room, Px);
            L1 = A;
            R1 = B;
            Runs = 1;
        } else if (Runs == 1) { // apart from the run: a second one, left or right of it
            if (A > R1) {
                FillRightwards(P, A, B, Room, Px);
                L2 = A;
                R2 = B;
            } else {
                FillRightwards(P, A, B, L1, Px);
                L2 = L1;
                R2 = R1;
                L1 = A;
                R1 = B;
            }
            Runs = 2;
        } else {
            break;
        }
    }
    TRuns Rs;
    Rs.N = Runs;
    Rs.L[0] = L1;
    Rs.R[0] = R1;
    Rs.L[1] = L2;
    Rs.R[1] = R2;
    for (; K < Shapes.size(); ++K)
        if (PieceOf(Shapes[K], Insets, W, A, B) && !AddRun(P, W, Rs, A, B, Shapes[K].Px))
            return false;
    int X = 0;
    for (int I = 0; I < Rs.N; ++I) {
        FillSpan(P, X, Rs.L[I], Base);
        X = Rs.R[I];
    }
    FillSpan(P, X, W, Base); // the whole row when nothing covered it
    return true;
}

// Ellipses and fills, a row at a time: every shape's part of the row, last drawn first, only
// where nothing later covered it. Rows and halves of rows that the symmetry repeats, and rows of
// rectangles alone that no edge separates, are copied instead of painted.
void PaintRows(TSurface& S, const std::vector<TShape>& Shapes, std::uint32_t Base) {
    const int W = S.Width, H = S.Height;
    TInsetTable Table;
    const std::vector<TRowShape> Order = RowShapes(Shapes, W, H, Table);
    const TSymmetry Sym = SymmetryOf(Shapes, W, H);
    // The rows painted: the upper half, the middle row included, when the lower half repeats it;
    // the left half of each, the middle column included, when the right half repeats that.
    const int Rows = Sym.Flip || Sym.Turn ? (H + 1) / 2 : H;
    const int Width = Sym.Mirror ? (W + 1) / 2 : W;
    // Rectangles alone make rows that repeat until a shape begins or ends.
    const bool Boxes = std::all_of(Shapes.begin(), Shapes.end(),
                                   [](const TShape& Sh) { return Sh.Kind == TShape::TKind::Fill; });
    const auto Pixels = static_cast<std::size_t>(W);
    // The lower row the symmetry repeats, copied while the painted one is still in the cache.
    const auto CopyLower = [&](const std::uint32_t* P, std::uint32_t* Lower) {
        if (Lower == P) return;
        if (Sym.Turn)
            ReverseCopy(P, W, Lower);
        else if (Sym.Flip)
            gdi::CopyPixels(Lower, P, Pixels);
    };
    TActiveRows Active(Order);
    TInsetBand Band(Order, Table);
    TSpans Row;
    for (int Y = 0; Y < Rows; ++Y) {
        if (Y % TInsetBand::Rows == 0) Band.Gather(Y, std::min(Y + TInsetBand::Rows, Rows));
        std::uint32_t* P = S.Row(Y);
        const std::vector<TActive>& Over = Active.At(Y);
        std::uint32_t* Lower = S.Row(H - 1 - Y);
        if (Boxes && Y > 0 && !Active.Changed()) {
            gdi::CopyPixels(P, S.Row(Y - 1), Pixels); // the row above, mirrored half and all
            if (Lower != P && (Sym.Turn || Sym.Flip)) gdi::CopyPixels(Lower, S.Row(H - Y), Pixels);
            continue;
        }
        if (const std::size_t Joined = Boxes && Y > 0 ? Active.JoinedOnTop() : 0) {
            // Rectangles that begin here over all the others: the row above, with them
            // painted on it in the order they were drawn, the whole width.
            gdi::CopyPixels(P, S.Row(Y - 1), Pixels);
            for (std::size_t K = Joined; K-- > 0;)
                FillSpan(P, std::max(Over[K].X1, 0), std::min(Over[K].X2, W), Over[K].Px);
            CopyLower(P, Lower);
            continue;
        }
        const int* Insets = Band.Row(Y);
        // The mirror image overwrites the right half, so the blocks may spill into it.
        if (!(Sym.Mirror && PaintNestedRow(P, Width, W, Over, Insets, Base)) &&
            !PaintRunRow(P, Width, W, Over, Insets, Base))
            PaintRow(P, Width, Over.size(), Base, Row, [&](std::size_t K, int& A, int& B) {
                const TActive& R = Over[K];
                const int In = Insets[R.Slot];
                A = R.X1 + In;
                B = R.X2 - In;
                return R.Px | 0x1000000u; // the flag marks a shape on this row
            });
        if (Sym.Mirror) ReverseCopy(P, W / 2, P + Width);
        CopyLower(P, Lower);
    }
}

// Fills that all run across the whole width (or all down the whole height) only decide one
// colour a row (or a column): the last fill over it. False when the fills are not of one kind.
bool PaintStripes(TSurface& S, const std::vector<TShape>& Shapes, std::uint32_t Base) {
    const int W = S.Width, H = S.Height;
    const auto Across = [W](const TShape& Sh) { return Sh.X1 <= 0 && Sh.X2 >= W; };
    const auto Down = [H](const TShape& Sh) { return Sh.Y1 <= 0 && Sh.Y2 >= H; };
    if (std::all_of(Shapes.begin(), Shapes.end(), Across)) {
        std::vector<std::uint32_t> RowPx(static_cast<std::size_t>(H), Base);
        for (const TShape& Sh : Shapes)
            for (int Y = std::max(Sh.Y1, 0); Y < std::min(Sh.Y2, H); ++Y)
                RowPx[static_cast<std::size_t>(Y)] = PixelFromRGB(Sh.Color);
        for (int Y = 0; Y < H; ++Y)
            gdi::FillPixels(S.Row(Y), static_cast<std::size_t>(W),
                            RowPx[static_cast<std::size_t>(Y)]);
        return true;
    }
    if (std::all_of(Shapes.begin(), Shapes.end(), Down)) {
        std::uint32_t* First = S.Row(0);
        FillSpan(First, 0, W, Base);
        for (const TShape& Sh : Shapes) {
            const int X0 = std::clamp(Sh.X1, 0, W), X1 = std::clamp(Sh.X2, 0, W);
            if (X0 < X1) FillSpan(First, X0, X1, PixelFromRGB(Sh.Color));
        }
        for (int Y = 1; Y < H; ++Y)
            gdi::CopyPixels(S.Row(Y), First, static_cast<std::size_t>(W));
        return true;
    }
    return false;
}

// Fills and ellipses, last drawn first, each pixel painted once; whatever no shape covers
// shows the first colour.
void PaintAreas(TSurface& S, const std::vector<TShape>& Shapes, COLORREF First) {
    const std::uint32_t Base = PixelFromRGB(First);
    const bool OnlyFills = std::all_of(Shapes.begin(), Shapes.end(), [](const TShape& Sh) {
        return Sh.Kind == TShape::TKind::Fill;
    });
    if (OnlyFills && PaintStripes(S, Shapes, Base)) return;
    PaintRows(S, Shapes, Base);
}

// The pixels of gdi::ThinLinePixels inside the surface, stepped with a pointer.
void StraightThrough(TSurface& S, const TShape& L, std::uint32_t Px) {
    const gdi::TThinLine T =
        gdi::ThinLineSteps({L.X1, L.Y1}, {L.X2, L.Y2}, {0, 0, S.Width, S.Height});
    if (T.From >= T.To) return;
    const std::ptrdiff_t Stride = S.Height > 1 ? S.Row(1) - S.Row(0) : 0;
    const std::ptrdiff_t Major = T.XMajor ? T.MajorSign : T.MajorSign * Stride,
                         Side = T.XMajor ? T.MinorSign * Stride : T.MinorSign;
    // Where step I is, and the remainder its walk carries on with.
    struct TWalk {
        std::uint32_t* P;
        long long Rem;
    };
    const auto WalkFrom = [&](long long I) {
        const __int128 Num = static_cast<__int128>(I) * T.Inc + T.C;
        const long long Along = T.Major + T.MajorSign * I,
                        Across = T.Minor + T.MinorSign * static_cast<long long>(Num / T.Den);
        const long long X = T.XMajor ? Along : Across, Y = T.XMajor ? Across : Along;
        return TWalk{S.Row(static_cast<int>(Y)) + X, static_cast<long long>(Num % T.Den)};
    };
    const auto Step = [&](TWalk& Wk) {
        *Wk.P = Px;
        Wk.P += Major;
        Wk.Rem += T.Inc;
        if (Wk.Rem >= T.Den) {
            Wk.Rem -= T.Den;
            Wk.P += Side;
        }
    };
    // Four quarters of the line walked side by side: whether a step moves sideways is as good
    // as unpredictable on a slanted line, and four independent walks keep the processor busy
    // while it finds out. The pixels of one line are distinct, so their order does not matter.
    const long long Quarter = (T.To - T.From) / 4;
    TWalk W0 = WalkFrom(T.From), W1 = WalkFrom(T.From + Quarter),
          W2 = WalkFrom(T.From + 2 * Quarter), W3 = WalkFrom(T.From + 3 * Quarter);
    for (long long I = 0; I < Quarter; ++I) {
        Step(W0);
        Step(W1);
        Step(W2);
        Step(W3);
    }
    for (long long I = T.From + 4 * Quarter; I < T.To; ++I)
        Step(W3);
}

// Each line walked pixel by pixel, for lines that do not come in bundles of one colour.
void WalkLines(TSurface& S, const std::vector<TQELGradientLine>& Lines) {
    for (const TQELGradientLine& Ln : Lines) {
        const TShape L{TShape::TKind::Line, Ln.X1, Ln.Y1, Ln.X2, Ln.Y2, Ln.Color};
        const std::uint32_t Px = PixelFromRGB(L.Color);
        if (L.X1 == L.X2 || L.Y1 == L.Y2) {
            // straight lines are drawn as one-pixel rectangles, the end point left out
            int X0 = std::min(L.X1, L.X2), X1 = std::max(L.X1, L.X2) + 1;
            int Y0 = std::min(L.Y1, L.Y2), Y1 = std::max(L.Y1, L.Y2) + 1;
            if (L.Y1 == L.Y2) {
                if (L.X2 > L.X1)
                    X1 = L.X2;
                else
                    X0 = L.X2 + 1;
            } else {
                if (L.Y2 > L.Y1)
                    Y1 = L.Y2;
                else
                    Y0 = L.Y2 + 1;
            }
            X0 = std::max(X0, 0);
            Y0 = std::max(Y0, 0);
            X1 = std::min(X1, S.Width);
            Y1 = std::min(Y1, S.Height);
            for (int Y = Y0; Y < Y1; ++Y)
                if (X0 < X1) FillSpan(S.Row(Y), X0, X1, Px);
            continue;
        }
        StraightThrough(S, L, Px);
    }
}

// Which shapes are the last drawing of their line: a table open-addressed by the line's ends,
// each slot keeping the latest shape with those ends (a few thousand lines a frame, half of
// them drawn again by the next step).
std::vector<bool> LastDrawings(const std::vector<TShape>& Shapes) {
    std::size_t Size = 16;
    while (Size < 2 * Shapes.size())
        Size *= 2;
    std::vector<std::uint32_t> Slot(Size, 0); // shape + 1, 0 for none
    const auto Same = [&](const TShape& A, const TShape& B) {
        return A.X1 == B.X1 && A.Y1 == B.Y1 && A.X2 == B.X2 && A.Y2 == B.Y2;
    };
    for (std::size_t I = 0; I < Shapes.size(); ++I) {
        const TShape& L = Shapes[I];
        std::uint64_t H = static_cast<std::uint32_t>(L.X1) * 0x9E3779B97F4A7C15ULL;
        for (const int V : {L.Y1, L.X2, L.Y2})
            H = (H ^ (H >> 29) ^ static_cast<std::uint32_t>(V)) * 0xBF58476D1CE4E5B9ULL;
        std::size_t K = static_cast<std::size_t>(H >> 32) & (Size - 1);
        while (Slot[K] != 0 && !Same(Shapes[Slot[K] - 1], L))
            K = (K + 1) & (Size - 1);
        Slot[K] = static_cast<std::uint32_t>(I + 1);
    }
    std::vector<bool> Last(Shapes.size(), false);
    for (const std::uint32_t S : Slot)
        if (S != 0) Last[S - 1] = true;
    return Last;
}

// Lines: a later drawing of the same line covers an earlier one pixel for pixel, so only the
// last drawing of each line is made, in the replay's order.
void PaintLines(TSurface& S, const std::vector<TShape>& Shapes, COLORREF First, bool Bundled) {
    gdi::FillPixels(S.Pixels.data(), S.Pixels.size(), PixelFromRGB(First));
    const std::vector<bool> Last = LastDrawings(Shapes);
    std::vector<TQELGradientLine> Lines;
    for (std::size_t I = 0; I < Shapes.size(); ++I)
        if (Last[I]) {
            const TShape& L = Shapes[I];
            Lines.push_back({L.X1, L.Y1, L.X2, L.Y2, L.Color});
        }
    // Circle's lines come in runs of neighbours in one colour, which the row painter takes
    // a run at a time; Spectral's change colour from line to line, and walking each line
    // costs less than following every one of them down the rows.
    if (Bundled)
        QELPaintGradientLines(S, Lines);
    else
        WalkLines(S, Lines);
}

} // namespace

void QELRasterGradient(TSurface& Target, TQELFillStyle Style, int Steps,
                       const std::vector<COLORREF>& Colors) {
    if (Target.Width <= 0 || Target.Height <= 0 || Colors.empty()) return;
    TRecorder Rec;
    QELGradientSteps(Style, Target.Width, Target.Height, Steps, Colors, Rec);
    if (Style == Circle || Style == Spectral)
        PaintLines(Target, Rec.Shapes, Colors.front(), Style == Circle);
    else
        PaintAreas(Target, Rec.Shapes, Colors.front());
}

} // namespace qel
