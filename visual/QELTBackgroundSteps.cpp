#include "visual/QELTBackgroundSteps.h"

#include <cmath>
#include <cstdlib>

namespace qel {

int QELRoundDiv(double A, double B) {
    return static_cast<int>(std::nearbyint(A / B));
}

namespace {

int Channel(COLORREF C, int Shift) {
    return int((C >> Shift) & 0xFF);
}

} // namespace

COLORREF QELGradientStepColor(COLORREF C0, COLORREF C1, int N, int Steps, bool Reverse) {
    COLORREF Result = 0;
    for (int Shift = 0; Shift <= 16; Shift += 8) {
        int B0 = Channel(C0, Shift);
        int D = Channel(C1, Shift) - B0;
        int V = (B0 + MulDiv(Reverse ? Steps - 1 - N : N, D, Steps - 1)) & 0xFF;
        if (V == 0 && !Reverse) V = 1;
        Result |= COLORREF(V) << Shift;
    }
    return Result;
}

namespace {

// Sizes shared by the diagonal-line styles.
void LineStep(TQELGradientPainter& P, int W, int H, int N, int Steps, int Segments, int R,
              COLORREF Fwd, COLORREF Rev, bool Alternate) {
    int SH = QELRoundDiv(H, Segments) + 1;
    int SW = QELRoundDiv(W, Segments) + 1;
    int Top = SH * R, Left = SW * R;
    int X0 = MulDiv(N, SW, Steps), X1 = MulDiv(N + 2, SW, Steps);
    int Y0 = MulDiv(N, SH, Steps), Y1 = MulDiv(N + 2, SH, Steps);
    for (int J = X0; J <= X1; ++J) {
        if (Alternate) P.PenColor(J % 2 != 0 ? Fwd : Rev);
        P.Line(J + Left, 0, W - J - Left, H);
    }
    for (int I = Y0; I <= Y1; ++I) {
        if (Alternate) P.PenColor(I % 2 != 0 ? Fwd : Rev);
        P.Line(0, I + Top, W, H - I - Top);
    }
}

void Step(TQELFillStyle Style, TQELGradientPainter& P, int W, int H, int N, int Steps, int Q, int R,
          COLORREF Fwd, COLORREF Rev) {
    switch (Style) {
    case Circle:
        LineStep(P, W, H, N, Steps, Q, R, Fwd, Rev, false);
        break;
    case Spectral:
        LineStep(P, W, H, N, Steps, Q, R, Fwd, Rev, true);
        break;
    case Horizontal: {
        int SH = QELRoundDiv(H, Q) + 1, Top = SH * R;
        int Y0 = MulDiv(N, SH, Steps), Y1 = MulDiv(N + 2, SH, Steps);
        // The band height carries the segment's top along, so later segments' bands run past
        // their own segment and are covered by the next band or the bitmap edge.
        P.Fill(0, Top + Y0, W, Top + Y1 - Y0);
        break;
    }
    case Vertical: {
        int SW = QELRoundDiv(W, Q) + 1, Left = SW * R;
        int X0 = MulDiv(N, SW, Steps), X1 = MulDiv(N + 2, SW, Steps);
        P.Fill(Left + X0, 0, Left + X1 - X0, H);
        break;
    }
    case LeftBottom: {
        int SH = QELRoundDiv(H, Q) + 1, SW = QELRoundDiv(W, Q) + 1;
        int Top = SH * R, Left = SW * R;
        int X0 = MulDiv(N, SW, Steps), Y0 = MulDiv(N, SH, Steps);
        P.Fill(Left + X0, Top + Y0, W - X0, H - Y0);
        break;
    }
    case RoundMiddle: {
        int SH = QELRoundDiv(H, Q) + 1, SW = QELRoundDiv(W, Q) + 1;
        int Top = QELRoundDiv(SH * double(R), 2) + 1, Left = QELRoundDiv(SW * double(R), 2) + 1;
        int X0 = MulDiv(N, QELRoundDiv(SW, 2) + 1, Steps);
        int Y0 = MulDiv(N, QELRoundDiv(SH, 2) + 1, Steps);
        P.Ellipse(Left + X0, Top + Y0, W - X0 - Left, H - Y0 - Top);
        break;
    }
    case SquareMiddle: {
        int SH = QELRoundDiv(H, Q), SW = QELRoundDiv(W, Q);
        int Top = QELRoundDiv(SH * double(R), 2), Left = QELRoundDiv(SW * double(R), 2);
        int X0 = MulDiv(N, QELRoundDiv(SW, 2), Steps);
        int Y0 = MulDiv(N, QELRoundDiv(SH, 2), Steps);
        P.Fill(Left + X0, Top + Y0, W - 2 * X0 - 2 * Left, H - 2 * Y0 - 2 * Top);
        break;
    }
    case DoppelFlash: {
        int SH = QELRoundDiv(H, Q) + 1, SW = QELRoundDiv(W, Q) + 1;
        int Top = SH * R + 1, Left = SW * R + 1;
        int X0 = MulDiv(N, SW, Steps), Y0 = MulDiv(N, SH, Steps);
        P.Ellipse(Left + X0, Top + Y0, W, H);
        P.Ellipse(W - X0 - Left, H - Y0 - Top, 0, 0);
        break;
    }
    case Singleflash: {
        int SH = QELRoundDiv(H, Q), SW = QELRoundDiv(W, Q);
        int Top = SH * R, Left = SW * R;
        int X0 = MulDiv(N, SW, Steps), Y0 = MulDiv(N, SH, Steps);
        P.Ellipse(Left + X0, Top + Y0, W, H);
        break;
    }
    case MiddleHBar: {
        int SH = QELRoundDiv(H, Q) + 1;
        int Top = QELRoundDiv(SH * double(R), 2) + 1;
        int A = QELRoundDiv(SH, 2);
        int YA0 = H - MulDiv(N, A + 1, Steps), YA1 = H - MulDiv(N + 2, A + 1, Steps);
        int YB0 = MulDiv(N, A, Steps), YB1 = MulDiv(N + 2, A, Steps);
        P.Fill(0, YA0 - Top - 1, W, YA1 - YA0);
        P.Fill(0, Top + YB0, W, YB1 - YB0 + 1);
        break;
    }
    case MiddleVBar: {
        int SW = QELRoundDiv(W, Q) + 1;
        int Left = QELRoundDiv(SW * double(R), 2) + 1;
        int A = QELRoundDiv(SW, 2);
        int XA0 = W - MulDiv(N, A + 1, Steps), XA1 = W - MulDiv(N + 2, A + 1, Steps);
        int XB0 = MulDiv(N, A, Steps), XB1 = MulDiv(N + 2, A, Steps);
        P.Fill(XA0 - Left - 1, 0, XA1 - XA0, H);
        P.Fill(Left + XB0, 0, XB1 - XB0 + 1, H);
        break;
    }
    case VerticalDoppelBar: {
        int SW = QELRoundDiv(W, Q) + 1;
        int Left = QELRoundDiv(SW * double(R), 3) + 1;
        int T3 = QELRoundDiv(SW, 3);
        int X0 = MulDiv(N, T3 + 1, Steps), X1 = MulDiv(N + 1, T3 + 1, Steps);
        int T = QELRoundDiv(W, 3);
        P.Fill(Left + X0, 0, X1 - X0, H);
        P.Fill(2 * T - X1 - Left, 0, X1 - X0, H);
        P.Fill(2 * T + Left + X0, 0, X1 - X0, H);
        break;
    }
    case HorizontalDoppelBar: {
        int SH = QELRoundDiv(H, Q) + 1;
        int Top = QELRoundDiv(SH * double(R), 3) + 1;
        int T3 = QELRoundDiv(SH, 3);
        int Y0 = MulDiv(N, T3 + 1, Steps), Y1 = MulDiv(N + 1, T3 + 1, Steps);
        int T = QELRoundDiv(H, 3);
        P.Fill(0, Top + Y0, W, Y1 - Y0);
        P.Fill(0, 2 * T - Y1 - Top, W, Y1 - Y0);
        P.Fill(0, 2 * T + Top + Y0, W, Y1 - Y0);
        break;
    }
    }
}

} // namespace

void QELGradientSteps(TQELFillStyle Style, int W, int H, int Steps,
                      const std::vector<COLORREF>& Colors, TQELGradientPainter& Painter) {
    int Q = static_cast<int>(Colors.size()) - 1;
    if (Q < 1 || Steps < 2) return;
    for (int R = 0; R < Q; ++R) {
        for (int N = 0; N < Steps; ++N) {
            COLORREF Fwd = QELGradientStepColor(Colors[R], Colors[R + 1], N, Steps, false);
            COLORREF Rev = QELGradientStepColor(Colors[R], Colors[R + 1], N, Steps, true);
            Painter.StepColor(Fwd);
            Step(Style, Painter, W, H, N, Steps, Q, R, Fwd, Rev);
        }
    }
}

} // namespace qel
