// The sizable header: painting its sections, finding the divider under the pointer and
// dragging it.
#include "toolkit/controls/PublishedGroups.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/Font.h"
#include "toolkit/graphics/TextDraw.h"
#include "visual/QELControls.h"
#include "visual/QELTBackground.h"
#include "visual/QELZoradodo.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace qel {

namespace {

constexpr UINT kCaptionFormat =
    DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | DT_END_ELLIPSIS;
// How near (exclusive) the pointer must be to a divider to grab it.
constexpr int kDividerReach = 4;
// Coordinates far outside any surface: sections pushed there by huge or negative widths stay
// invisible without the arithmetic overflowing.
constexpr std::int64_t kFarLeft = -(std::int64_t{1} << 24);

int ToInt(std::int64_t V) {
    return static_cast<int>(std::clamp<std::int64_t>(V, INT_MIN, INT_MAX));
}

} // namespace

static void DescribeHeader(TClassBuilder<TQELHeader>& B) {
    using T = TQELHeader;
    PublishQELGraphicControl(B);
    B.Publish("Align");
    B.Bool("AllowResize", &T::AllowResize, &T::SetAllowResize).SetDefault(true);
    B.Enum("BorderStyle", &T::BorderStyle, &T::SetBorderStyle).SetDefault(bsNone);
    B.Publish("Enabled");
    PublishFont(B);
    B.Object("Font3D", &T::Font3D, &T::Set3D);
    B.Publish("ParentFont");
    PublishShowHint(B);
    B.Publish("PopupMenu");
    B.Strings("Sections", &T::Sections, &T::SetSections);
    B.Publish({"TabOrder", "TabStop", "Visible"});
    B.Event("OnSizing", &T::OnSizing);
    B.Event("OnSized", &T::OnSized);
    B.Component("Background", &T::Background, &T::SetBack);
}
QEL_IMPLEMENT_CLASS(TQELHeader, TQELCustomControl, DescribeHeader)

TQELHeader::TQELHeader(TComponent* AOwner)
    : TQELCustomControl(AOwner), FFont3D(std::make_unique<TQELFont3D>(this)),
      FSections(std::make_unique<TQELHeaderStrings>(this)) {
    SetControlStyle(ControlStyle() + TControlStyle{csDesignInteractive, csOpaque});
    SetBounds(Left(), Top(), 250, 25);
}

TQELHeader::~TQELHeader() {
    FSections->SetHeader(nullptr);
    FSections->Clear();
}

void TQELHeader::SetBorderStyle(TBorderStyle Value) {
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    if (HandleAllocated()) RecreateWnd();
}

void TQELHeader::Set3D(TQELFont3D* Value) {
    if (Value != FFont3D.get()) FFont3D->Assign(Value);
    Invalidate();
}

void TQELHeader::SetSections(TStrings* Value) {
    FSections->Assign(Value);
}

void TQELHeader::FreeSections() {
    FSections->Clear();
}

int TQELHeader::GetWidth(int Index) const {
    const int N = List().Count();
    if (Index < 0 || Index >= N) return 0;
    if (Index < N - 1) return List().Width(Index);
    std::int64_t Rest = ClientWidth();
    for (int I = 0; I < Index; ++I)
        Rest -= List().Width(I);
    return ToInt(Rest);
}

void TQELHeader::SetWidth(int Index, int Value) {
    if (Index < 0) return;
    List().SetWidth(Index, Value);
    Invalidate();
}

void TQELHeader::CreateParams(TCreateParams& Params) {
    TQELCustomControl::CreateParams(Params);
    if (FBorderStyle == bsSingle) Params.Style |= WS_BORDER;
    Params.ClassStyle &= ~UINT(CS_HREDRAW | CS_VREDRAW);
}

void TQELHeader::Paint() {
    TQELCustomControl::Paint();
    TCanvas* C = Canvas();
    C->Font()->Assign(Font());
    HDC DC = C->Handle();
    const int N = List().Count();
    const int Cw = ClientWidth();
    const int Ch = ClientHeight();
    std::int64_t Left = 0, Right = 0;
    int W = 0;
    std::string Caption;
    int I = 0;
    do {
        if (I < N) {
            W = List().Width(I);
            Caption = List().Get(I);
            ++I;
        }
        Left = Right;
        Right = std::max(Right + W, kFarLeft);
        if (Cw - Right <= 1 || I == N) Right = Cw;
        // A section without width has nowhere to show its caption.
        if (Right <= Left) continue;
        TRect R{ToInt(Left), 0, ToInt(Right), Ch};
        C->Brush()->SetStyle(bsClear);
        FFont3D->Write(C->Font(), DC, R, Caption, int(kCaptionFormat), Enabled());
        const bool Sunk = FPressed && FMouseDownPoint.X >= R.Left && FMouseDownPoint.X < R.Right &&
                          FMouseDownPoint.Y >= R.Top && FMouseDownPoint.Y < R.Bottom;
        const UINT Edge = Sunk ? EDGE_SUNKEN : EDGE_RAISED;
        TRect E = R;
        DrawEdge(DC, &E, Edge, BF_TOPLEFT);
        E = R;
        DrawEdge(DC, &E, Edge, BF_BOTTOMRIGHT);
    } while (Right != Cw);
}

void TQELHeader::Sizing(int ASection, int AWidth) {
    if (OnSizing) OnSizing(this, ASection, AWidth);
}

void TQELHeader::Sized(int ASection, int AWidth) {
    if (OnSized) OnSized(this, ASection, AWidth);
}

bool TQELHeader::SetDividerCursor() {
    // Stock cursors are their own handles.
    constexpr HCURSOR SizeCursor = IDC_SIZEWE;
    // A drag in progress keeps its divider even where the pointer has left it behind.
    if (FSizing && HandleAllocated() && GetCapture() == Handle()) {
        ::qel::SetCursor(SizeCursor);
        return true;
    }
    FSizingIndex = 0;
    TPoint P;
    GetCursorPos(&P);
    FHitTest = ScreenToClient(P);
    bool Found = false;
    const int N = List().Count();
    if (N >= 2) {
        std::int64_t A = 2;
        for (int K = 0; K <= N - 2; ++K) {
            A += List().Width(K);
            const std::int64_t Off = A - FHitTest.X - 2;
            if (Off > -kDividerReach && Off < kDividerReach) {
                FSizingIndex = K;
                FSizingOffset = int(Off);
                Found = true;
                break;
            }
        }
    }
    FSizing = (FAllowResize || IsDesigning()) && Found;
    if (FSizing) ::qel::SetCursor(SizeCursor);
    return FSizing;
}

void TQELHeader::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_SETCURSOR:
        if (HandleAllocated() && static_cast<HWND>(Message.WParam) == Handle() &&
            LOWORD(static_cast<std::uintptr_t>(Message.LParam)) == HTCLIENT && SetDividerCursor()) {
            Message.Result = 1;
            return;
        }
        break;
    case WM_SIZE: {
        auto Alive = LifeToken();
        TQELCustomControl::WndProc(Message);
        if (!Alive.expired()) Invalidate();
        return;
    }
    case WM_CANCELMODE:
    case CM_CANCELMODE: {
        // The drag ends where it is, and those who follow the widths hear of it once.
        const bool WasSizing = FSizing;
        FSizing = false;
        FPressed = false;
        if (HandleAllocated() && GetCapture() == Handle()) ReleaseCapture();
        Invalidate();
        if (WasSizing) {
            auto Alive = LifeToken();
            Sized(FSizingIndex, GetWidth(FSizingIndex));
            if (Alive.expired()) return;
        }
        break;
    }
    default:
        break;
    }
    TQELCustomControl::WndProc(Message);
}

void TQELHeader::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    auto Alive = LifeToken();
    TQELCustomControl::MouseDown(Button, Shift, X, Y);
    if (Alive.expired()) return;
    if (FSizing && (Button == mbLeft || (Button == mbRight && IsDesigning()))) SetCapture(Handle());
    if (Button == mbLeft && !FPressed) {
        FPressed = true;
        FMouseDownPoint = {X, Y};
        Repaint();
    }
}

void TQELHeader::MouseMove(TShiftState Shift, int X, int Y) {
    auto Alive = LifeToken();
    TQELCustomControl::MouseMove(Shift, X, Y);
    if (Alive.expired() || !FSizing || !HandleAllocated() || GetCapture() != Handle()) return;
    const int K = FSizingIndex;
    if (K < 0 || K >= List().Count()) return;
    std::int64_t D = 2;
    for (int I = 0; I <= K; ++I)
        D += List().Width(I);
    const std::int64_t Wk = List().Width(K);
    const std::int64_t E = K == 0 ? 2 : D - Wk + 2;
    const std::int64_t Xc = std::min<std::int64_t>(ClientWidth() - 2, std::max<std::int64_t>(X, E));
    // A grab right of the first divider could otherwise drag the first section below nothing.
    const int NewWidth =
        static_cast<int>(std::clamp<std::int64_t>(Wk + Xc + FSizingOffset - D + 2, 0, INT_MAX));
    SetWidth(K, NewWidth);
    Sizing(K, NewWidth);
    if (Alive.expired()) return;
    Refresh();
}

void TQELHeader::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    auto Alive = LifeToken();
    if (FSizing) {
        FSizing = false;
        if (HandleAllocated() && GetCapture() == Handle()) ReleaseCapture();
        Sized(FSizingIndex, GetWidth(FSizingIndex));
        if (Alive.expired()) return;
    }
    if (Button == mbLeft && FPressed) {
        FPressed = false;
        Repaint();
    }
    TQELCustomControl::MouseUp(Button, Shift, X, Y);
}

} // namespace qel
