#include "toolkit/controls/ScrollBar.h"

#include "toolkit/controls/StdCtrls.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/graphics/Canvas.h"

#include <algorithm>

namespace qel {

// ---- TScrollBarPart ----

int TScrollBarPart::MaxPosition() const {
    if (PageSize > 0) return std::max(Min, Max - PageSize + 1);
    return Max;
}

bool TScrollBarPart::SetPosition(int P) {
    P = std::clamp(P, Min, std::max(Min, MaxPosition()));
    if (P == Position) return false;
    Position = P;
    return true;
}

void TScrollBarPart::Geometry(const TRect& R, TRect& Up, TRect& Down, TRect& Thumb,
                              TRect& Track) const {
    bool V = Kind == sbVertical;
    int Len = V ? R.Height() : R.Width();
    int Thick = V ? R.Width() : R.Height();
    int Btn = std::min(Thick, Len / 2);
    if (V) {
        Up = {R.Left, R.Top, R.Right, R.Top + Btn};
        Down = {R.Left, R.Bottom - Btn, R.Right, R.Bottom};
        Track = {R.Left, Up.Bottom, R.Right, Down.Top};
    } else {
        Up = {R.Left, R.Top, R.Left + Btn, R.Bottom};
        Down = {R.Right - Btn, R.Top, R.Right, R.Bottom};
        Track = {Up.Right, R.Top, Down.Left, R.Bottom};
    }
    int TrackLen = V ? Track.Height() : Track.Width();
    long long Range = static_cast<long long>(Max) - Min + 1;
    int ThumbLen = Thick;
    if (PageSize > 0 && Range > 0)
        ThumbLen = static_cast<int>(
            std::max<long long>(8, static_cast<long long>(TrackLen) * PageSize / Range));
    if (ThumbLen > TrackLen || Range <= 0 || MaxPosition() <= Min) {
        Thumb = {}; // nothing to scroll: no thumb
        return;
    }
    long long Span = static_cast<long long>(MaxPosition()) - Min;
    int Off = static_cast<int>((static_cast<long long>(TrackLen - ThumbLen) * (Position - Min)) /
                               (Span > 0 ? Span : 1));
    if (V)
        Thumb = {R.Left, Track.Top + Off, R.Right, Track.Top + Off + ThumbLen};
    else
        Thumb = {Track.Left + Off, R.Top, Track.Left + Off + ThumbLen, R.Bottom};
}

namespace {
void DrawArrow(HDC DC, const TRect& R, int Direction, bool Enabled) {
    // Direction: 0 up, 1 down, 2 left, 3 right. A filled triangle of single-pixel strips.
    HBRUSH B = GetSysColorBrush(Enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
    int Cx = (R.Left + R.Right) / 2, Cy = (R.Top + R.Bottom) / 2;
    int N = std::max(2, std::min(R.Width(), R.Height()) / 4);
    for (int I = 0; I < N; ++I) {
        TRect S;
        switch (Direction) {
        case 0:
            S = {Cx - I, Cy - N / 2 + I, Cx + I + 1, Cy - N / 2 + I + 1};
            break;
        case 1:
            S = {Cx - I, Cy + N / 2 - I, Cx + I + 1, Cy + N / 2 - I + 1};
            break;
        case 2:
            S = {Cx - N / 2 + I, Cy - I, Cx - N / 2 + I + 1, Cy + I + 1};
            break;
        default:
            S = {Cx + N / 2 - I, Cy - I, Cx + N / 2 - I + 1, Cy + I + 1};
            break;
        }
        FillRect(DC, &S, B);
    }
}
} // namespace

void TScrollBarPart::Paint(HDC DC, const TRect& R, bool Enabled) const {
    TRect Up, Down, Thumb, Track;
    Geometry(R, Up, Down, Thumb, Track);
    FillRect(DC, &Track, GetSysColorBrush(COLOR_SCROLLBAR));
    bool V = Kind == sbVertical;
    bool Active = Enabled && !IsRectEmpty(&Thumb);
    DrawClassicButtonFace(DC, Up, false, false);
    DrawArrow(DC, Up, V ? 0 : 2, Active);
    DrawClassicButtonFace(DC, Down, false, false);
    DrawArrow(DC, Down, V ? 1 : 3, Active);
    if (Active) DrawClassicButtonFace(DC, Thumb, false, false);
}

TScrollCode TScrollBarPart::MouseDown(const TRect& R, TPoint P) {
    TRect Up, Down, Thumb, Track;
    Geometry(R, Up, Down, Thumb, Track);
    if (!PtInRect(&R, P)) return scEndScroll;
    if (PtInRect(&Up, P)) return scLineUp;
    if (PtInRect(&Down, P)) return scLineDown;
    if (IsRectEmpty(&Thumb)) return scEndScroll;
    if (PtInRect(&Thumb, P)) {
        Dragging_ = true;
        DragOffset_ = Kind == sbVertical ? P.Y - Thumb.Top : P.X - Thumb.Left;
        return scTrack;
    }
    bool Before = Kind == sbVertical ? P.Y < Thumb.Top : P.X < Thumb.Left;
    return Before ? scPageUp : scPageDown;
}

bool TScrollBarPart::MouseMove(const TRect& R, TPoint P) {
    if (!Dragging_) return false;
    TRect Up, Down, Thumb, Track;
    Geometry(R, Up, Down, Thumb, Track);
    if (IsRectEmpty(&Thumb)) return false;
    bool V = Kind == sbVertical;
    int TrackLen = V ? Track.Height() : Track.Width();
    int ThumbLen = V ? Thumb.Height() : Thumb.Width();
    int Off = (V ? P.Y - Track.Top : P.X - Track.Left) - DragOffset_;
    int Free = std::max(1, TrackLen - ThumbLen);
    Off = std::clamp(Off, 0, Free);
    long long Span = static_cast<long long>(MaxPosition()) - Min;
    return SetPosition(Min + static_cast<int>((Span * Off + Free / 2) / Free));
}

bool TScrollBarPart::Scroll(TScrollCode Code) {
    int Page = PageSize > 0 ? PageSize : LargeChange;
    switch (Code) {
    case scLineUp:
        return SetPosition(Position - SmallChange);
    case scLineDown:
        return SetPosition(Position + SmallChange);
    case scPageUp:
        return SetPosition(Position - Page);
    case scPageDown:
        return SetPosition(Position + Page);
    case scTop:
        return SetPosition(Min);
    case scBottom:
        return SetPosition(MaxPosition());
    default:
        return false;
    }
}

// ---- TScrollBar ----

TScrollBar::TScrollBar(TComponent* AOwner) : TCustomControl(AOwner) {
    Width_ = 121;
    Height_ = TScrollBarPart::DefaultSize;
    Bar_.Kind = sbHorizontal;
    ControlStyle_ = {csFramed, csCaptureMouse, csDoubleClicks, csOpaque};
    SetTabStop(true);
}

void TScrollBar::SetKind(TScrollBarKind V) {
    if (Bar_.Kind == V) return;
    Bar_.Kind = V;
    if (!IsLoading()) SetBounds(Left_, Top_, Height_, Width_);
    Invalidate();
}

void TScrollBar::SetPageSize(int V) {
    if (V < 0 || V > Bar_.Max - Bar_.Min + 1)
        throw EInvalidOperation("Scroll bar page size out of range");
    Bar_.PageSize = V;
    Bar_.SetPosition(Bar_.Position);
    Invalidate();
}

void TScrollBar::SetParams(int APosition, int AMin, int AMax) {
    if (AMax < AMin) throw EInvalidOperation("Scroll bar property out of range");
    int Old = Bar_.Position;
    Bar_.Min = AMin;
    Bar_.Max = AMax;
    if (Bar_.PageSize > AMax - AMin + 1) Bar_.PageSize = AMax - AMin + 1;
    Bar_.Position = std::clamp(APosition, AMin, std::max(AMin, Bar_.MaxPosition()));
    Invalidate();
    if (Bar_.Position != Old && OnChange) OnChange(this);
}

void TScrollBar::Paint() {
    Bar_.Paint(Canvas()->Handle(), ClientRect(), Enabled());
}

void TScrollBar::DoScroll(TScrollCode Code, int NewPos) {
    int Pos = NewPos;
    if (OnScroll) OnScroll(this, Code, Pos);
    SetPosition(Pos);
}

void TScrollBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    if (TabStop() && CanFocus()) SetFocus();
    TScrollCode Code = Bar_.MouseDown(ClientRect(), {X, Y});
    if (Code == scEndScroll || Code == scTrack) return;
    TScrollBarPart Probe = Bar_;
    Probe.Scroll(Code);
    DoScroll(Code, Probe.Position);
}

void TScrollBar::MouseMove(TShiftState Shift, int X, int Y) {
    TCustomControl::MouseMove(Shift, X, Y);
    if (!Bar_.Dragging()) return;
    TScrollBarPart Probe = Bar_;
    if (Probe.MouseMove(ClientRect(), {X, Y})) DoScroll(scTrack, Probe.Position);
}

void TScrollBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Bar_.Dragging()) {
        Bar_.MouseUp();
        DoScroll(scPosition, Bar_.Position);
    }
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TScrollBar::KeyDown(WORD& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    TScrollCode Code = scEndScroll;
    bool V = Bar_.Kind == sbVertical;
    switch (Key) {
    case VK_UP:
        Code = V ? scLineUp : scEndScroll;
        break;
    case VK_LEFT:
        Code = V ? scEndScroll : scLineUp;
        break;
    case VK_DOWN:
        Code = V ? scLineDown : scEndScroll;
        break;
    case VK_RIGHT:
        Code = V ? scEndScroll : scLineDown;
        break;
    case VK_PRIOR:
        Code = scPageUp;
        break;
    case VK_NEXT:
        Code = scPageDown;
        break;
    case VK_HOME:
        Code = scTop;
        break;
    case VK_END:
        Code = scBottom;
        break;
    default:
        return;
    }
    if (Code == scEndScroll) return;
    TScrollBarPart Probe = Bar_;
    Probe.Scroll(Code);
    DoScroll(Code, Probe.Position);
    Key = 0;
}

void TScrollBar::WndProc(TMessage& M) {
    if (M.Msg == WM_GETDLGCODE) {
        M.Result = DLGC_WANTARROWS;
        return;
    }
    TCustomControl::WndProc(M);
}

QEL_IMPLEMENT_CLASS(TScrollBar, TCustomControl, [](TClassBuilder<TScrollBar>& B) {
    B.Publish({"Align", "Anchors", "Enabled"});
    B.Enum("Kind", &TScrollBar::Kind, &TScrollBar::SetKind).SetDefault(sbHorizontal);
    B.Integer("LargeChange", &TScrollBar::LargeChange, &TScrollBar::SetLargeChange).SetDefault(1);
    B.Integer("Max", &TScrollBar::Max, &TScrollBar::SetMax).SetDefault(100);
    B.Integer("Min", &TScrollBar::Min, &TScrollBar::SetMin).SetDefault(0);
    B.Integer("PageSize", &TScrollBar::PageSize, &TScrollBar::SetPageSize).SetDefault(0);
    B.Integer("Position", &TScrollBar::Position, &TScrollBar::SetPosition).SetDefault(0);
    B.Integer("SmallChange", &TScrollBar::SmallChange, &TScrollBar::SetSmallChange).SetDefault(1);
    B.Publish("TabOrder");
    B.Publish("TabStop").SetDefault(true);
    B.Publish("Visible");
    B.Event("OnChange", &TScrollBar::OnChange);
    B.Event("OnScroll", &TScrollBar::OnScroll);
    B.Publish({"OnEnter", "OnExit", "OnKeyDown"});
})

} // namespace qel
