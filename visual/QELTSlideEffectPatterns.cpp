// The 54 cell orders. Loops run over 0 … W and 0 … H inclusive; the cells on the far edges fall
// outside the area and only pump. The order inside each effect is the order of its loops,
// outer loop first, so that a transition looks the same wherever it is played.
#include "visual/QELTSlideEffectRun.h"
#include "visual/QELTSlideEffects.h"

#include <algorithm>
#include <array>
#include <utility>

namespace qel::slide {

namespace {

template <class F> void Up(int A, int B, F&& Fn) {
    for (int I = A; I <= B; ++I)
        Fn(I);
}
template <class F> void Down(int B, int A, F&& Fn) {
    for (int I = B; I >= A; --I)
        Fn(I);
}
template <class F> void Step(int A, int B, int S, F&& Fn) {
    for (int I = A; I <= B; I += S)
        Fn(I);
}
// A … B upwards, or B down to A.
template <class F> void Span(int A, int B, bool Reverse, F&& Fn) {
    if (Reverse)
        Down(B, A, Fn);
    else
        Up(A, B, Fn);
}

// N / D rounded to the nearest integer, halves to the even neighbour (N ≥ 0, D > 0).
int RoundHalfEven(int N, int D) {
    const int Q = N / D, R = N % D;
    if (2 * R > D || (2 * R == D && (Q & 1))) return Q + 1;
    return Q;
}

struct TSizes {
    int Hx, Hy, Tx, Ty, Qx, Qy;
    explicit TSizes(const TEffectRun& R)
        : Hx(RoundHalfEven(R.W + 1, 2)), Hy(RoundHalfEven(R.H + 1, 2)),
          Tx(RoundHalfEven(R.W + 1, 3)), Ty(RoundHalfEven(R.H + 1, 3)),
          Qx(RoundHalfEven(R.W + 1, 4)), Qy(RoundHalfEven(R.H + 1, 4)) {}
};

// ----- stretches (6–9) -----

void Stretch(TEffectRun& R, int Effect) {
    const int W = R.W, H = R.H;
    const bool Vertical = Effect == efStretchUp || Effect == efStretchDown;
    const int Limit = Vertical ? H : W;
    // Under 30 pixels the step would be 0 and the frames would never advance.
    const int D = std::max(1, Limit / 30);
    for (int S = 0; S < Limit; S += D) {
        switch (Effect) {
        case efStretchUp:
            R.StretchPart(0, H - S, W, H);
            break;
        case efStretchDown:
            R.StretchPart(0, 0, W, S);
            break;
        case efStretchLeft:
            R.StretchPart(W - S, 0, W, H);
            break;
        default:
            R.StretchPart(0, 0, S, H);
            break;
        }
    }
    R.CopyWhole();
}

// ----- diagonal sweeps (24–29) -----

// Walks one front line from (X, Y) by (Dx, Dy) while it stays inside 0 … W, 0 … H.
void Walk(TEffectRun& R, int X, int Y, int Dx, int Dy) {
    while (X >= 0 && X <= R.W && Y >= 0 && Y <= R.H) {
        R.CopyCell(X, Y);
        X += Dx;
        Y += Dy;
    }
}

// A start point that runs along the top (bottom) edge, then down (up) the far side.
struct TFront {
    int X, Y;
    // Effect 24's point: right along the top edge, then down the right edge.
    void AlongTopThenRight(int W) {
        if (X < W)
            ++X;
        else
            ++Y;
    }
    void AlongBottomThenRight(int W) {
        if (X < W)
            ++X;
        else
            --Y;
    }
    void AlongTopThenLeft() {
        if (X > 0)
            --X;
        else
            ++Y;
    }
    void AlongBottomThenLeft() {
        if (X > 0)
            --X;
        else
            --Y;
    }
};

void Sweep(TEffectRun& R, int Effect) {
    const int W = R.W, H = R.H;
    switch (Effect) {
    case efLeftTopToRightBottomWipe: {
        TFront A{0, 0};
        // The start point moves before each walk, which would leave the corner cell's line
        // out; it is walked first.
        Walk(R, 0, 0, -1, 1);
        do {
            A.AlongTopThenRight(W);
            Walk(R, A.X, A.Y, -1, 1);
        } while (!(A.X >= W && A.Y >= H));
        break;
    }
    case efLeftBottomToRightTopWipe: {
        TFront A{0, H};
        do {
            A.AlongBottomThenRight(W);
            Walk(R, A.X, A.Y, -1, -1);
        } while (!(A.X >= W && A.Y < 1));
        break;
    }
    case efRightTopToLeftBottomWipe: {
        TFront A{W, 0};
        do {
            A.AlongTopThenLeft();
            Walk(R, A.X, A.Y, 1, 1);
        } while (!(A.X < 1 && A.Y >= H));
        break;
    }
    case efRightBottomToLeftTopWipe: {
        TFront A{W, H};
        do {
            A.AlongBottomThenLeft();
            Walk(R, A.X, A.Y, 1, -1);
        } while (!(A.X < 1 && A.Y < 1));
        break;
    }
    case efLTRBClosingCurtain: {
        TFront A{0, 0}, B{W, H};
        for (;;) {
            A.AlongTopThenRight(W);
            if (B.Y > 0)
                --B.Y;
            else
                --B.X;
            Walk(R, A.X, A.Y, -1, 1);
            Walk(R, B.X, B.Y, -1, 1);
            if ((A.X >= W && A.Y >= H) || (B.X < 1 && B.Y < 1)) break;
        }
        break;
    }
    default: { // efRTLBClosingCurtain
        TFront A{W, 0}, B{0, H};
        for (;;) {
            A.AlongTopThenLeft();
            if (B.Y > 0)
                --B.Y;
            else if (B.X < W)
                ++B.X;
            Walk(R, A.X, A.Y, 1, 1);
            Walk(R, B.X, B.Y, 1, 1);
            if ((A.X < 1 && A.Y >= H) || B.X >= W) break;
        }
        break;
    }
    }
}

// ----- curtains, interlaces, quads -----

void Curtain(TEffectRun& R, int Effect, const TSizes& S) {
    const int W = R.W, H = R.H;
    switch (Effect) {
    case efCloseHorizontalCurtain:
        Up(0, S.Hx, [&](int J) {
            Up(0, H, [&](int Y) {
                R.CopyCell(W - J, Y);
                R.CopyCell(J, Y);
            });
        });
        break;
    case efOpenHorizontalCurtain:
        Down(S.Hx, 0, [&](int J) {
            Up(0, H, [&](int Y) {
                R.CopyCell(J, Y);
                R.CopyCell(W - J, Y);
            });
        });
        break;
    default: // close and open vertical curtain
        Span(0, S.Hy, Effect == efOpenVerticalCurtain, [&](int J) {
            Up(0, W, [&](int X) {
                R.CopyCell(X, J);
                R.CopyCell(X, H - J);
            });
        });
        break;
    }
}

void Interlace(TEffectRun& R, int Effect) {
    const int W = R.W, H = R.H;
    if (Effect == efVerticalInterlace) {
        Up(0, W, [&](int X) {
            Step(0, H, 2, [&](int Y) {
                R.CopyCell(X, Y - 1);
                if (Y < H) R.CopyCell(W - X, Y);
            });
        });
    } else {
        Up(0, H, [&](int Y) {
            Step(0, W, 2, [&](int X) {
                R.CopyCell(X - 1, Y);
                if (X < W) R.CopyCell(X, H - Y);
            });
        });
    }
}

// 16–19: two passes, every other cell of each line.
void Doppel(TEffectRun& R, int Effect) {
    const int W = R.W, H = R.H;
    for (int P = 0; P <= 1; ++P) {
        switch (Effect) {
        case efLeftRightDoppel:
        case efRightLeftDoppel:
            Span(0, W, Effect == efRightLeftDoppel,
                 [&](int X) { Step(P, H, 2, [&](int Y) { R.CopyCell(X, Y); }); });
            break;
        default:
            Span(0, H, Effect == efBottomTopDoppel,
                 [&](int Y) { Step(P, W, 2, [&](int X) { R.CopyCell(X, Y); }); });
            break;
        }
    }
}

// 20–23: the odd cells one way, then the even cells back.
void DoppelInOut(TEffectRun& R, int Effect) {
    const int W = R.W, H = R.H;
    const bool Columns = Effect == efLeftRightDoppelInOut || Effect == efRightLeftDoppelInOut;
    const bool BackFirst = Effect == efRightLeftDoppelInOut || Effect == efBottomTopDoppelInOut;
    if (Columns) {
        Span(0, W, BackFirst, [&](int X) { Step(1, H, 2, [&](int Y) { R.CopyCell(X, Y); }); });
        Span(0, W, !BackFirst, [&](int X) { Step(0, H, 2, [&](int Y) { R.CopyCell(X, Y); }); });
    } else {
        Span(0, H, BackFirst, [&](int Y) { Step(1, W, 2, [&](int X) { R.CopyCell(X, Y); }); });
        Span(0, H, !BackFirst, [&](int Y) { Step(0, W, 2, [&](int X) { R.CopyCell(X, Y); }); });
    }
}

void Quads(TEffectRun& R, int Effect, const TSizes& S) {
    const int W = R.W, H = R.H;
    const int Hx = S.Hx, Hy = S.Hy, Qx = S.Qx, Qy = S.Qy;
    switch (Effect) {
    case efQuadVerticalInterlace:
        Up(0, H, [&](int Y) {
            Up(0, Qx, [&](int J) {
                R.CopyCell(J, Y);
                R.CopyCell(J + Qx, H - Y);
                R.CopyCell(J + 2 * Qx, Y);
                R.CopyCell(J + 3 * Qx, H - Y - 1);
            });
        });
        break;
    case efQuadHorizontalInterlace:
        Up(0, W, [&](int X) {
            Up(0, Qy, [&](int J) {
                R.CopyCell(X, J);
                R.CopyCell(W - X, J + Qy);
                R.CopyCell(X, J + 2 * Qy);
                R.CopyCell(W - X, J + 3 * Qy);
            });
        });
        break;
    case efDoppelVerticalInterlace:
        Up(0, H, [&](int Y) {
            Up(0, Hx, [&](int J) {
                R.CopyCell(J, Y);
                R.CopyCell(J + Hx, H - Y);
            });
        });
        break;
    case efDoppelHorizontalInterlace:
        Up(0, W, [&](int X) {
            Up(0, Hy, [&](int J) {
                R.CopyCell(X, J);
                R.CopyCell(W - X, J + Hy);
            });
        });
        break;
    case efVerticalQuadUp:
    case efVeticalQuadDown: {
        const bool Rev = Effect == efVeticalQuadDown;
        Span(0, Hy, Rev, [&](int Y) {
            Span(0, Hx, Rev, [&](int J) {
                R.CopyCell(J, Y);
                R.CopyCell(J, Hy + Y);
                R.CopyCell(J + Hx, H - Y - Hy);
                R.CopyCell(J + Hx, H - Y);
            });
        });
        break;
    }
    case efVerticalDoppelDown:
    case efVerticalDoppelUp: {
        const bool Rev = Effect == efVerticalDoppelUp;
        Span(0, Hy, Rev, [&](int Y) {
            Span(0, Hx, Rev, [&](int J) {
                R.CopyCell(J, Y);
                R.CopyCell(J + Hx, Y);
                R.CopyCell(W - J - Hx, Hy + Y);
                R.CopyCell(W - J, Hy + Y);
            });
        });
        break;
    }
    case efHorizontalQuadLeft:
    case efHorizontalQuadRight: {
        const bool Rev = Effect == efHorizontalQuadRight;
        Span(0, Hx, Rev, [&](int X) {
            Span(0, Hy, Rev, [&](int J) {
                R.CopyCell(X, J);
                R.CopyCell(Hx + X, J);
                R.CopyCell(W - X - Hx, J + Hy);
                R.CopyCell(W - X, J + Hy);
            });
        });
        break;
    }
    default: { // efHorizontalDoppelRight, efHorizontalDoppelLeft
        const bool Rev = Effect == efHorizontalDoppelLeft;
        Span(0, Hx, Rev, [&](int X) {
            Span(0, Hy, Rev, [&](int J) {
                R.CopyCell(X, J);
                R.CopyCell(X, J + Hy);
                R.CopyCell(Hx + X, H - J - Hy);
                R.CopyCell(Hx + X, H - J);
            });
        });
        break;
    }
    }
}

// 38–40: a band in the middle third opens sideways, then the outer thirds close in rows;
// 48–50 the same turned by a quarter.
void ThirdsWipe(TEffectRun& R, int Effect, const TSizes& S) {
    const int W = R.W, H = R.H;
    const bool Rows = Effect <= efWipeEffect3;
    const int First = Rows ? Effect - efWipeEffect1 : Effect - efWipeEffect4;
    const bool Rev1 = First >= 1, Rev2 = First == 2;
    if (Rows) {
        const int Hx = S.Hx, Ty = S.Ty;
        Span(0, Hx, Rev1, [&](int K) {
            Up(Ty, 2 * Ty, [&](int Y) {
                R.CopyCell(Hx - K, Y);
                R.CopyCell(Hx + K, Y);
            });
        });
        Span(0, Ty, Rev2, [&](int K) {
            Up(0, W, [&](int X) {
                R.CopyCell(X, Ty - K - 1);
                R.CopyCell(X, 2 * Ty + K - 1);
            });
        });
    } else {
        const int Hy = S.Hy, Tx = S.Tx;
        Span(0, Hy, Rev1, [&](int K) {
            Up(Tx, 2 * Tx, [&](int X) {
                R.CopyCell(X, Hy - K);
                R.CopyCell(X, Hy + K);
            });
        });
        Span(0, Tx, Rev2, [&](int K) {
            Up(0, H, [&](int Y) {
                R.CopyCell(Tx - K - 1, Y);
                R.CopyCell(2 * Tx + K - 1, Y);
            });
        });
    }
}

// 41: nine passes over a 3 × 3 grid.
void OrderedDissolve(TEffectRun& R) {
    static constexpr std::array<std::pair<int, int>, 9> Offsets{
        {{1, 1}, {1, 0}, {2, 0}, {2, 1}, {2, 2}, {1, 2}, {0, 2}, {0, 1}, {0, 0}}};
    // Plain copies of the pair: clang 14 cannot capture structured bindings in a lambda.
    for (const auto& Offset : Offsets) {
        const int X0 = Offset.first, Y0 = Offset.second;
        Step(X0, R.W, 3, [&](int X) { Step(Y0, R.H, 3, [&](int Y) { R.CopyCell(X, Y); }); });
    }
}

// 42–43: each source line smeared over every line before it, starting with the last.
void Drip(TEffectRun& R, int Effect) {
    const int W = R.W, H = R.H;
    if (Effect == efDripVertical) {
        Down(H, 0, [&](int P) {
            const int From = std::min(P, H);
            R.Pump();
            // Rows 0 … P all take row From; drawn as one copy (no pump comes between them).
            R.CopyRows(From, 0, std::min(P, H));
        });
    } else {
        Down(W, 0, [&](int P) {
            const int From = std::min(P, W);
            R.Pump();
            Up(0, P, [&](int M) {
                const int To = std::min(M, W);
                R.Pump();
                R.CopyColumn(From, To);
            });
        });
    }
}

// 44–45: lines in two passes, each line walked the opposite way of its neighbour.
void StepWipe(TEffectRun& R, int Effect) {
    const int W = R.W, H = R.H;
    for (int P = 0; P <= 1; ++P) {
        if (Effect == efStepWipeVertical)
            Step(P, W, 2, [&](int X) { Span(0, H, X % 2 == 0, [&](int Y) { R.CopyCell(X, Y); }); });
        else
            Step(P, H, 2, [&](int Y) { Span(0, W, Y % 2 == 0, [&](int X) { R.CopyCell(X, Y); }); });
    }
}

// 46: a spiral from the outer ring inwards.
void ScreenOff(TEffectRun& R) {
    if (R.W <= 0) return;
    int L = 0, T = 0, Rt = R.W, B = R.H;
    do {
        Up(L, Rt, [&](int X) { R.CopyCell(X, T); });
        Up(T, B, [&](int Y) { R.CopyCell(Rt, Y); });
        Down(Rt, L, [&](int X) { R.CopyCell(X, B); });
        Down(B, T, [&](int Y) { R.CopyCell(L, Y); });
        ++L;
        ++T;
        --B;
        --Rt;
        // Stopping as soon as the sides meet would leave the middle column of an area with an
        // even width and at least as tall out; that last column is walked too.
    } while (L < Rt || (L == Rt && T <= B));
}

// 47: a chequer in two passes.
void FadeDown(TEffectRun& R) {
    for (int P = 0; P <= 1; ++P)
        Up(0, R.H, [&](int Y) {
            // The second pass starts odd rows at the left edge again (one cell further would
            // leave their first cell out).
            const int First = (Y % 2 + P) % 2;
            Step(First, R.W, 2, [&](int X) { R.CopyCell(X, Y); });
        });
}

} // namespace

void RunPattern(TEffectRun& R, int Effect) {
    const int W = R.W, H = R.H;
    const TSizes S(R);
    switch (Effect) {
    case efNone:
        R.CopyWhole();
        break;
    case efWipeTopToBottom:
    case efWipeBottomToTop:
        Span(0, H, Effect == efWipeBottomToTop,
             [&](int Y) { Up(0, W, [&](int X) { R.CopyCell(X, Y); }); });
        break;
    case efWipeLeftToRight:
    case efWipeRightToLeft:
        Span(0, W, Effect == efWipeRightToLeft,
             [&](int X) { Up(0, H, [&](int Y) { R.CopyCell(X, Y); }); });
        break;
    case efStretchUp:
    case efStretchDown:
    case efStretchLeft:
    case efStretchRight:
        Stretch(R, Effect);
        break;
    case efCloseHorizontalCurtain:
    case efOpenHorizontalCurtain:
    case efCloseVerticalCurtain:
    case efOpenVerticalCurtain:
        Curtain(R, Effect, S);
        break;
    case efVerticalInterlace:
    case efHorizontalInterlace:
        Interlace(R, Effect);
        break;
    case efLeftRightDoppel:
    case efTopBottomDoppel:
    case efRightLeftDoppel:
    case efBottomTopDoppel:
        Doppel(R, Effect);
        break;
    case efLeftRightDoppelInOut:
    case efTopBottomDoppelInOut:
    case efRightLeftDoppelInOut:
    case efBottomTopDoppelInOut:
        DoppelInOut(R, Effect);
        break;
    case efLeftTopToRightBottomWipe:
    case efLeftBottomToRightTopWipe:
    case efRightTopToLeftBottomWipe:
    case efRightBottomToLeftTopWipe:
    case efLTRBClosingCurtain:
    case efRTLBClosingCurtain:
        Sweep(R, Effect);
        break;
    case efWipeEffect1:
    case efWipeEffect2:
    case efWipeEffect3:
    case efWipeEffect4:
    case efWipeEffect5:
    case efWipeEffect6:
        ThirdsWipe(R, Effect, S);
        break;
    case efBitBlt:
        OrderedDissolve(R);
        break;
    case efDripVertical:
    case efDripHorizontal:
        Drip(R, Effect);
        break;
    case efStepWipeVertical:
    case efStepWipeHorizontal:
        StepWipe(R, Effect);
        break;
    case efScreenOff:
        ScreenOff(R);
        break;
    case efFadeDown:
        FadeDown(R);
        break;
    default: // 30–37 and 51–54
        Quads(R, Effect, S);
        break;
    }
}

} // namespace qel::slide
