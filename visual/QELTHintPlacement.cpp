#include "visual/QELTHintPlacement.h"

#include <algorithm>

namespace qel {

TQELHintPlacer::TQELHintPlacer(const TRect& Text, int ScreenWidth, int ScreenHeight)
    : FUp{Text.Left, Text.Top, Text.Right + 16, Text.Bottom + 20}, FDown{Text.Left, Text.Top,
                                                                         Text.Right + 16,
                                                                         Text.Bottom + 29},
      FScreenW(ScreenWidth), FScreenH(ScreenHeight) {}

void TQELHintPlacer::Place(TPoint Cursor, TQELDirectionB Start) {
    FTried = 0;
    switch (Start) {
    case dUpLeft:
        CheckUpLeft(Cursor);
        break;
    case dDownRight:
        CheckDownRight(Cursor);
        break;
    case dDownLeft:
        CheckDownLeft(Cursor);
        break;
    default:
        CheckUpRight(Cursor);
        break;
    }
}

void TQELHintPlacer::Enter(TQELDirectionB D) {
    FTried |= 1u << D;
    FDirection = D;
}

// The last resort when no side fits: the chosen side, pushed back onto the screen (its left
// and top edges win when the balloon is larger than the screen).
void TQELHintPlacer::Settle(int X, int Y, const TRect& Size) {
    FX = std::max(0, std::min(X, FScreenW - Size.Width()));
    FY = std::max(0, std::min(Y, FScreenH - Size.Height()));
}

void TQELHintPlacer::CheckUpRight(TPoint P) {
    const int Y = P.Y - 5;
    const int Wu = FUp.Width(), Hu = FUp.Height();
    Enter(dUpRight);
    if (P.X + Wu > FScreenW) {
        if (!(FTried & (1u << dUpLeft))) return CheckUpLeft(P);
        return Settle(P.X, Y - Hu, FUp);
    }
    if (Y - Hu < 0) {
        if (!(FTried & (1u << dDownRight))) return CheckDownRight(P);
        return Settle(P.X, Y - Hu, FUp);
    }
    FX = P.X, FY = Y - Hu;
}

void TQELHintPlacer::CheckUpLeft(TPoint P) {
    const int Y = P.Y - 5;
    const int Wu = FUp.Width(), Hu = FUp.Height();
    const int X = P.X + 6 - Wu;
    Enter(dUpLeft);
    if (X < 0) {
        if (!(FTried & (1u << dUpRight))) return CheckUpRight(P);
        return Settle(X, Y - Hu, FUp);
    }
    if (Y - Hu < 0) {
        if (!(FTried & (1u << dDownLeft))) return CheckDownLeft(P);
        return Settle(X, Y - Hu, FUp);
    }
    FX = X, FY = Y - Hu;
}

void TQELHintPlacer::CheckDownRight(TPoint P) {
    const int Y = P.Y + 15;
    const int Wd = FDown.Width(), Hd = FDown.Height();
    Enter(dDownRight);
    if (P.X + Wd > FScreenW) {
        if (!(FTried & (1u << dDownLeft))) return CheckDownLeft(P);
        return Settle(P.X, Y, FDown);
    }
    if (Y + Hd > FScreenH) {
        if (!(FTried & (1u << dUpRight))) return CheckUpRight(P);
        return Settle(P.X, Y, FDown);
    }
    FX = P.X, FY = Y;
}

void TQELHintPlacer::CheckDownLeft(TPoint P) {
    const int Y = P.Y + 15;
    const int Wd = FDown.Width(), Hd = FDown.Height();
    const int X = P.X + 6 - Wd;
    Enter(dDownLeft);
    if (X < 0) {
        if (!(FTried & (1u << dDownRight))) return CheckDownRight(P);
        return Settle(X, Y, FDown);
    }
    if (Y + Hd > FScreenH) {
        if (!(FTried & (1u << dUpLeft))) return CheckUpLeft(P);
        return Settle(X, Y, FDown);
    }
    FX = X, FY = Y;
}

} // namespace qel
