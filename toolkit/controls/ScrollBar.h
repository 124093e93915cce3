#pragma once
// Scroll bars: the logic and look of one bar (TScrollBarPart), shared by the scroll-bar control
// and by the controls that draw bars inside their own client area (list box, memo), and the
// TScrollBar control itself.
#include "toolkit/controls/Controls.h"
#include "toolkit/core/Export.h"

QEL_PUBLIC_BEGIN

namespace qel {

enum TScrollBarKind { sbHorizontal, sbVertical };
QEL_ENUM_INFO(TScrollBarKind, "sbHorizontal", "sbVertical")
enum TScrollCode {
    scLineUp,
    scLineDown,
    scPageUp,
    scPageDown,
    scPosition,
    scTrack,
    scTop,
    scBottom,
    scEndScroll
};
QEL_ENUM_INFO(TScrollCode, "scLineUp", "scLineDown", "scPageUp", "scPageDown", "scPosition",
              "scTrack", "scTop", "scBottom", "scEndScroll")
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
QEL_ENUM_INFO(TScrollStyle, "ssNone", "ssHorizontal", "ssVertical", "ssBoth")

// One bar: range Min..Max, a page of PageSize (0: none) and the position, which runs from Min
// to Max - PageSize + 1 when there is a page, else to Max.
class TScrollBarPart {
  public:
    static constexpr int DefaultSize = 16;
    TScrollBarKind Kind = sbVertical;
    int Min = 0, Max = 100, PageSize = 0, Position = 0;
    int SmallChange = 1, LargeChange = 1;

    int MaxPosition() const;
    // Clamps and stores; true when the position changed.
    bool SetPosition(int P);
    void Paint(HDC DC, const TRect& R, bool Enabled) const;
    // Mouse handling in the coordinates R was painted at. Down returns the scroll code it
    // started (scEndScroll: missed); Move drags the thumb.
    TScrollCode MouseDown(const TRect& R, TPoint P);
    bool MouseMove(const TRect& R, TPoint P);
    void MouseUp() { Dragging_ = false; }
    bool Dragging() const { return Dragging_; }
    // Applies a scroll code; true when the position changed.
    bool Scroll(TScrollCode Code);

  private:
    void Geometry(const TRect& R, TRect& Up, TRect& Down, TRect& Thumb, TRect& Track) const;
    bool Dragging_ = false;
    int DragOffset_ = 0;
};

using TScrollEvent = TEvent<void(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos)>;

class TScrollBar : public TCustomControl {
    QEL_CLASS(TScrollBar, TCustomControl)
  public:
    explicit TScrollBar(TComponent* AOwner);
    TScrollBarKind Kind() const { return Bar_.Kind; }
    void SetKind(TScrollBarKind V);
    int Min() const { return Bar_.Min; }
    void SetMin(int V) { SetParams(Bar_.Position, V, Bar_.Max); }
    int Max() const { return Bar_.Max; }
    void SetMax(int V) { SetParams(Bar_.Position, Bar_.Min, V); }
    int PageSize() const { return Bar_.PageSize; }
    void SetPageSize(int V);
    int Position() const { return Bar_.Position; }
    void SetPosition(int V) { SetParams(V, Bar_.Min, Bar_.Max); }
    int SmallChange() const { return Bar_.SmallChange; }
    void SetSmallChange(int V) { Bar_.SmallChange = V; }
    int LargeChange() const { return Bar_.LargeChange; }
    void SetLargeChange(int V) { Bar_.LargeChange = V; }
    // Range checked: Min must not exceed Max.
    void SetParams(int APosition, int AMin, int AMax);
    void WndProc(TMessage& Message) override;

    TNotifyEvent OnChange;
    TScrollEvent OnScroll;

  protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;

  private:
    void DoScroll(TScrollCode Code, int NewPos);
    TScrollBarPart Bar_;
};

} // namespace qel

QEL_PUBLIC_END
