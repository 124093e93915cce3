#pragma once
// Drawing on the whole screen. GetDC(0) gives a device context on a picture of the screen
// (the X server's root window, or the composed headless desktop); what is drawn on it reaches
// the screen at the end of the loop turn after ScreenDrawn is called, or at once with
// PresentScreenDrawing, and stays over every window until they repaint. InvalidateRect(0, …)
// repaints every window of the application.
#include "toolkit/core/Export.h"

QEL_PUBLIC_BEGIN

namespace qel {

// Something was drawn through a screen device context: show it at the end of this turn.
void ScreenDrawn();
// Shows what was drawn through screen device contexts now.
void PresentScreenDrawing();
// Screen device contexts given out and not yet released.
int ScreenDCCount();

} // namespace qel

QEL_PUBLIC_END
