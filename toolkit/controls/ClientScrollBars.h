#pragma once
// The scroll bars a control draws inside its own client area (list box, memo): where they sit,
// how they paint and how the mouse works them. The control says which bars show and follows
// the positions the user gives them.
#include "toolkit/controls/ScrollBar.h"
#include "toolkit/core/Export.h"

QEL_PUBLIC_BEGIN

namespace qel {

class TClientScrollBars {
  public:
    TClientScrollBars() {
        V.Kind = sbVertical;
        H.Kind = sbHorizontal;
    }
    TScrollBarPart V, H;

    // The client rectangle and which bars show; the control sets them before each use, since
    // both follow its size and content.
    void Place(const TRect& Client, bool HasV, bool HasH) {
        Client_ = Client;
        HasV_ = HasV;
        HasH_ = HasH;
    }
    // What the bars leave of the client area.
    TRect Inner() const;
    TRect VRect() const;
    TRect HRect() const;
    // The bars that show and the corner between them.
    void Paint(HDC DC, bool Enabled) const;
    // A left button press: the bar it hit, its click applied or its thumb drag begun; nullptr
    // when it hit no bar.
    TScrollBarPart* MouseDown(TPoint P);
    // While a thumb is dragged: the bar when its position moved, else nullptr.
    TScrollBarPart* MouseMove(TPoint P);
    void MouseUp();
    bool Dragging() const { return Drag_ != nullptr; }

  private:
    TRect Client_;
    bool HasV_ = false, HasH_ = false;
    TScrollBarPart* Drag_ = nullptr;
};

} // namespace qel

QEL_PUBLIC_END
