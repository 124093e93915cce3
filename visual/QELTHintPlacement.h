#pragma once
// Where a balloon hint goes around the pointer: above or below it, opening to the right or to
// the left, flipping to the opposite side when the balloon would leave the screen.
#include "toolkit/core/Export.h"
#include "toolkit/graphics/RasterTypes.h"

#include <cstdint>

QEL_PUBLIC_BEGIN

namespace qel {

// The first word says whether the balloon sits above or below the cursor, the second on which
// side of it the balloon extends.
enum TQELDirectionB : std::uint8_t { dUpRight, dUpLeft, dDownRight, dDownLeft };

inline bool QELIsDownDirection(TQELDirectionB D) {
    return D == dDownRight || D == dDownLeft;
}

// The four checks share one state, as one hint shows at a time. Each check records its own
// direction before it tests, so the last check run decides. A check that would hand over to a
// direction already tried (a balloon wider or taller than the screen) keeps its own direction
// and is moved into the screen as far as it goes: the chain never runs more than four checks.
class TQELHintPlacer {
  public:
    // Text is the hint rectangle the application computed; the balloon adds room for the
    // outline, the shadow and the tail (more below the text for a tail at the top).
    TQELHintPlacer(const TRect& Text, int ScreenWidth, int ScreenHeight);

    void Place(TPoint Cursor, TQELDirectionB Start);
    void CheckUpRight(TPoint P);
    void CheckUpLeft(TPoint P);
    void CheckDownRight(TPoint P);
    void CheckDownLeft(TPoint P);

    TQELDirectionB Direction() const { return FDirection; }
    // Top-left corner of the balloon window.
    int X() const { return FX; }
    int Y() const { return FY; }
    const TRect& UpRect() const { return FUp; }
    const TRect& DownRect() const { return FDown; }

  private:
    TRect FUp, FDown;
    int FScreenW, FScreenH;
    TQELDirectionB FDirection = dUpRight;
    int FX = 0, FY = 0;
    unsigned FTried = 0;

    // Records D as chosen and as tried in this chain.
    void Enter(TQELDirectionB D);
    void Settle(int X, int Y, const TRect& Size);
};

} // namespace qel

QEL_PUBLIC_END
