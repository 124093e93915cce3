#include "visual/QELTRoundButton.h"

#include "toolkit/controls/PublishedGroups.h"
#include "toolkit/graphics/Canvas.h"
#include "visual/QELTBackgroundSteps.h"

#include <cmath>

namespace qel {

namespace {

bool AnyMouseButtonDown() {
    return GetKeyState(VK_LBUTTON) < 0 || GetKeyState(VK_RBUTTON) < 0 ||
           GetKeyState(VK_MBUTTON) < 0;
}

// The two halves of the ellipse in a box: from the upper right over the top to the lower left,
// and back round the bottom; the rays come from the control's size.
void Halves(TCanvas& C, const TRect& Box, int W, int H, TColor UpperLeft, TColor LowerRight) {
    const int A = W / 5, B = H / 5;
    C.Pen()->SetColor(UpperLeft);
    C.Arc(Box.Left, Box.Top, Box.Right, Box.Bottom, 4 * A, B, A, 4 * B);
    C.Pen()->SetColor(LowerRight);
    C.Arc(Box.Left, Box.Top, Box.Right, Box.Bottom, A, 4 * B, 4 * A, B);
}

} // namespace

static void DescribeRoundButton(TClassBuilder<TQELRoundButton>& B) {
    using T = TQELRoundButton;
    B.Enum("ButtonType", &T::ButtonType, &T::SetRButtonType);
    B.Object("Glyph", &T::Glyph, &T::SetQELGlyph);
    B.Color("UnUsedColor", &T::UnUsedColor, &T::SetUn);
    B.Publish("Enabled");
    PublishShowHint(B);
    B.Publish({"Visible", "OnClick", "OnMouseDown", "OnMouseMove", "OnMouseUp"});
    B.Component("Background", &T::Background, &T::SetBack);
    B.Publish("OnMouseEnter");
    B.Event("OnMouseExit", &T::OnMouseExit);
}
QEL_IMPLEMENT_CLASS(TQELRoundButton, TQELGraphicControl, DescribeRoundButton)

TQELRoundButton::TQELRoundButton(TComponent* AOwner)
    : TQELGraphicControl(AOwner), FGlyph(std::make_unique<TQELGlyph>(this)) {
    SetControlStyle(TControlStyle{csCaptureMouse, csClickEvents});
    SetBounds(Left(), Top(), 25, 25);
    FGlyph->OnChange = [this](TObject*) { Invalidate(); };
}

TQELRoundButton::~TQELRoundButton() {
    FGlyph->OnChange = nullptr;
}

void TQELRoundButton::SetRButtonType(TQELButtonType Value) {
    FButtonType = Value;
    Invalidate();
}

void TQELRoundButton::SetQELGlyph(TQELGlyph* Value) {
    if (Value != FGlyph.get()) FGlyph->Assign(Value);
    Invalidate();
}

void TQELRoundButton::SetUn(TColor Value) {
    FUnUsedColor = Value;
    Invalidate();
}

void TQELRoundButton::SetBack(TQELBackground* Value) {
    FBackground.Set(Value);
}

void TQELRoundButton::Notification(TComponent* AComponent, TOperation Operation) {
    TQELGraphicControl::Notification(AComponent, Operation);
    FBackground.Notification(AComponent, Operation);
}

bool TQELRoundButton::IsInsideButton(int X, int Y) const {
    const int Cx = Width() / 2, Cy = Height() / 2;
    const double Dx = Cx - X, Dy = Cy - Y;
    const int D = static_cast<int>(std::nearbyint(std::sqrt(Dx * Dx + Dy * Dy)));
    return D <= Cx - 1;
}

// ---- mouse ----

void TQELRoundButton::SetPressed(bool Value) {
    if (Value == FPressed) return;
    FPressed = Value;
    PaintButton();
}

void TQELRoundButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Enabled() && IsInsideButton(X, Y)) SetPressed(true);
    FTracking = true;
    // The toolkit captures for the left button only; any press must see its release.
    if (GetCaptureControl() != this) SetCaptureControl(this);
    TQELGraphicControl::MouseDown(Button, Shift, X, Y);
}

void TQELRoundButton::MouseMove(TShiftState Shift, int X, int Y) {
    if (FTracking) SetPressed(IsInsideButton(X, Y));
    TQELGraphicControl::MouseMove(Shift, X, Y);
}

void TQELRoundButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const bool Clicks = FTracking && Enabled() && IsInsideButton(X, Y);
    FTracking = false;
    // Released anywhere, the button comes up: a release outside must not leave it drawn down.
    SetPressed(false);
    if (GetCaptureControl() == this && !AnyMouseButtonDown()) SetCaptureControl(nullptr);
    auto Alive = LifeToken();
    if (Clicks && OnClick) OnClick(this);
    if (!Alive.expired()) TQELGraphicControl::MouseUp(Button, Shift, X, Y);
}

void TQELRoundButton::WndProc(TMessage& M) {
    if (M.Msg == WM_CAPTURECHANGED && !FOwnCaptureChange) {
        FTracking = false;
        SetPressed(false);
    }
    if (M.Msg == WM_LBUTTONUP || M.Msg == WM_RBUTTONUP || M.Msg == WM_MBUTTONUP) {
        // The toolkit lets go of the capture before MouseUp: that is the release itself, not
        // a loss.
        auto Alive = LifeToken();
        FOwnCaptureChange = true;
        TQELGraphicControl::WndProc(M);
        if (!Alive.expired()) FOwnCaptureChange = false;
        return;
    }
    TQELGraphicControl::WndProc(M);
}

// ---- painting ----

void TQELRoundButton::Paint() {
    const int W = Width(), H = Height();
    if (W <= 0 || H <= 0) return;
    TBitmap Picture, Stencil;
    Picture.SetSize(W, H);
    Stencil.SetSize(W, H);
    TCanvas& P = *Picture.Canvas();
    TCanvas& S = *Stencil.Canvas();
    TCanvas& C = *Canvas();
    S.CopyRect({0, 0, W, H}, C, {0, 0, W, H});
    // Without a background the disc is white, the colour a new picture starts in.
    P.Brush()->SetStyle(bsSolid);
    P.Brush()->SetColor(clWhite);
    P.FillRect({0, 0, W, H});
    if (FBackground) FBackground->Draw(P.Handle(), W, H, true);

    S.Brush()->SetStyle(bsSolid);
    S.Brush()->SetColor(FUnUsedColor);
    S.Pen()->SetWidth(1);
    if (FButtonType == btNormal) {
        S.Pen()->SetColor(clBlack);
        S.Ellipse(0, 0, W - 1, H - 1);
    } else {
        S.Pen()->SetColor(FUnUsedColor);
        S.Ellipse(1, 1, W - 2, H - 2);
        Halves(S, {0, 0, W - 1, H - 1}, W, H, clBtnShadow, clBtnHighlight);
    }
    QELDrawTransparentBitmap(&P, &Stencil, 0, 0, FUnUsedColor);
    C.CopyRect({0, 0, W, H}, P, {0, 0, W, H});
    PaintButton();
    FGlyph->Draw(&C, QELRoundDiv(W - FGlyph->Width(), 2), QELRoundDiv(H - FGlyph->Height(), 2) - 1,
                 Enabled(), FPressed, false);
}

void TQELRoundButton::PaintButton() {
    if (!Parent() || !Parent()->HandleAllocated() || !Visible()) return;
    TCanvas& C = *Canvas();
    C.Pen()->SetWidth(1);
    const TRect Box{1, 1, Width() - 2, Height() - 2};
    if (FPressed)
        Halves(C, Box, Width(), Height(), clBtnShadow, clBtnHighlight);
    else
        Halves(C, Box, Width(), Height(), clBtnHighlight, clBtnShadow);
}

} // namespace qel
