#pragma once
// The transition engine shared by the slide presentation, the form-slide container and the
// slides editor: it brings a finished picture onto a visible canvas in one of 54 patterns,
// drawing straight onto the destination and pumping the application's messages as it goes,
// so the transition is seen while it happens and the application stays responsive.
#include "toolkit/core/Export.h"
#include "toolkit/core/Properties.h"

#include <cstdint>
#include <functional>

QEL_PUBLIC_BEGIN

namespace qel {

class TCanvas;

// Ordinal = effect number; the names are stored in form files as they stand (efVeticalQuadDown
// included).
enum TQELSlideeffects : std::uint8_t {
    efRandom,
    efNone,
    efWipeTopToBottom,
    efWipeBottomToTop,
    efWipeLeftToRight,
    efWipeRightToLeft,
    efStretchUp,
    efStretchDown,
    efStretchLeft,
    efStretchRight,
    efCloseHorizontalCurtain,
    efOpenHorizontalCurtain,
    efCloseVerticalCurtain,
    efOpenVerticalCurtain,
    efVerticalInterlace,
    efHorizontalInterlace,
    efLeftRightDoppel,
    efTopBottomDoppel,
    efRightLeftDoppel,
    efBottomTopDoppel,
    efLeftRightDoppelInOut,
    efTopBottomDoppelInOut,
    efRightLeftDoppelInOut,
    efBottomTopDoppelInOut,
    efLeftTopToRightBottomWipe,
    efLeftBottomToRightTopWipe,
    efRightTopToLeftBottomWipe,
    efRightBottomToLeftTopWipe,
    efLTRBClosingCurtain,
    efRTLBClosingCurtain,
    efQuadVerticalInterlace,
    efQuadHorizontalInterlace,
    efDoppelVerticalInterlace,
    efDoppelHorizontalInterlace,
    efVerticalQuadUp,
    efVerticalDoppelDown,
    efVeticalQuadDown,
    efVerticalDoppelUp,
    efWipeEffect1,
    efWipeEffect2,
    efWipeEffect3,
    efBitBlt,
    efDripVertical,
    efDripHorizontal,
    efStepWipeVertical,
    efStepWipeHorizontal,
    efScreenOff,
    efFadeDown,
    efWipeEffect4,
    efWipeEffect5,
    efWipeEffect6,
    efHorizontalQuadLeft,
    efHorizontalDoppelRight,
    efHorizontalQuadRight,
    efHorizontalDoppelLeft
};
QEL_ENUM_INFO(TQELSlideeffects, "efRandom", "efNone", "efWipeTopToBottom", "efWipeBottomToTop",
              "efWipeLeftToRight", "efWipeRightToLeft", "efStretchUp", "efStretchDown",
              "efStretchLeft", "efStretchRight", "efCloseHorizontalCurtain",
              "efOpenHorizontalCurtain", "efCloseVerticalCurtain", "efOpenVerticalCurtain",
              "efVerticalInterlace", "efHorizontalInterlace", "efLeftRightDoppel",
              "efTopBottomDoppel", "efRightLeftDoppel", "efBottomTopDoppel",
              "efLeftRightDoppelInOut", "efTopBottomDoppelInOut", "efRightLeftDoppelInOut",
              "efBottomTopDoppelInOut", "efLeftTopToRightBottomWipe", "efLeftBottomToRightTopWipe",
              "efRightTopToLeftBottomWipe", "efRightBottomToLeftTopWipe", "efLTRBClosingCurtain",
              "efRTLBClosingCurtain", "efQuadVerticalInterlace", "efQuadHorizontalInterlace",
              "efDoppelVerticalInterlace", "efDoppelHorizontalInterlace", "efVerticalQuadUp",
              "efVerticalDoppelDown", "efVeticalQuadDown", "efVerticalDoppelUp", "efWipeEffect1",
              "efWipeEffect2", "efWipeEffect3", "efBitBlt", "efDripVertical", "efDripHorizontal",
              "efStepWipeVertical", "efStepWipeHorizontal", "efScreenOff", "efFadeDown",
              "efWipeEffect4", "efWipeEffect5", "efWipeEffect6", "efHorizontalQuadLeft",
              "efHorizontalDoppelRight", "efHorizontalQuadRight", "efHorizontalDoppelLeft")

constexpr int kSlideEffectCount = 54;

// Brings Source onto Dest over the area 0 … W, 0 … H (both canvases share its coordinates).
// Effect 0 picks one of 1 … 54 at random; other numbers draw nothing.
void DrawSlideEffect(int Effect, TCanvas* Source, TCanvas* Dest, int W, int H);
// The same, for callers whose destination may be freed by an event handler that runs while the
// effect pumps messages: after every pump that handled something, Alive is asked, and when it
// says no the effect stops at once without touching either canvas again. Returns false then.
bool DrawSlideEffect(int Effect, TCanvas* Source, TCanvas* Dest, int W, int H,
                     const std::function<bool()>& Alive);

// Runs after every pump of every effect (tests capture frames with it); returns the hook it
// replaces. Empty to remove.
using TQELSlidePumpHook = std::function<void()>;
TQELSlidePumpHook SetSlideEffectPumpHook(TQELSlidePumpHook Hook);
// With false the pumps leave the message loop alone (a benchmark's baseline for what the
// pumps cost); true is the normal state.
void SetSlideEffectMessages(bool Process);

} // namespace qel

QEL_PUBLIC_END
