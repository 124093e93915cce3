#include "visual/QELTArrowButton.h"

#include "toolkit/controls/PublishedGroups.h"
#include "toolkit/graphics/Canvas.h"
#include "visual/QELTBackgroundSteps.h"

#include <algorithm>

namespace qel {

static void DescribeArrowButton(TClassBuilder<TQELArrowButton>& B) {
    using T = TQELArrowButton;
    B.Component("Background", &T::Background, &T::Setback);
    B.Enum("ButtonType", &T::ButtonType, &T::SetDirection).SetDefault(dUp);
    B.Integer("ButtonRaise", &T::ButtonRaise, &T::SetButtonBorder).SetDefault(1);
    B.Object("Glyph", &T::Glyph, &T::SetQELGlyph);
    B.Publish("Enabled");
    PublishShowHint(B);
    B.Publish({"Visible", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnClick"});
}
QEL_IMPLEMENT_CLASS(TQELArrowButton, TQELGraphicControl, DescribeArrowButton)

TQELArrowButton::TQELArrowButton(TComponent* AOwner)
    : TQELGraphicControl(AOwner), FGlyph(std::make_unique<TQELGlyph>(this)) {
    SetControlStyle(TControlStyle{csCaptureMouse, csClickEvents});
    SetBounds(Left(), Top(), 52, 28);
    FGlyph->OnChange = [this](TObject*) { Invalidate(); };
}

TQELArrowButton::~TQELArrowButton() {
    FreeRegion();
    FGlyph->OnChange = nullptr;
}

void TQELArrowButton::Setback(TQELBackground* Value) {
    FBackground.Set(Value);
}

void TQELArrowButton::Notification(TComponent* AComponent, TOperation Operation) {
    TQELGraphicControl::Notification(AComponent, Operation);
    FBackground.Notification(AComponent, Operation);
}

void TQELArrowButton::SetDirection(TQELDirection Value) {
    if (Value == FDirection) return;
    FDirection = Value;
    Invalidate();
}

void TQELArrowButton::SetButtonBorder(TQELButtonRaise Value) {
    // Out-of-range values from a hand-edited form are kept inside the pen widths it knows.
    FButtonRaise = std::clamp(Value, 1, 4);
    Invalidate();
}

void TQELArrowButton::SetQELGlyph(TQELGlyph* Value) {
    if (Value != FGlyph.get()) FGlyph->Assign(Value);
    Invalidate();
}

void TQELArrowButton::FreeRegion() {
    if (!FRegion) return;
    DeleteObject(FRegion);
    FRegion = 0;
}

bool TQELArrowButton::InTriangle(int X, int Y) const {
    return FRegion && PtInRegion(FRegion, X, Y);
}

// ---- painting ----

void TQELArrowButton::Paint() {
    TQELGraphicControl::Paint();
    FreeRegion();
    switch (FDirection) {
    case dUp:
        DrawUpArrow();
        break;
    case dRight:
        DrawRightArrow();
        break;
    case dLeft:
        DrawLeftArrow();
        break;
    case dDown:
        DrawDownArrow();
        break;
    }
}

void TQELArrowButton::DrawUpArrow() {
    const int W = Width(), H = Height();
    DrawArrow({W / 2, 2}, {W - 2, H - 2}, {2, H - 2}, QELRoundDiv(W - FGlyph->Width(), 2) + 1,
              H - FGlyph->Height() - FButtonRaise);
}

void TQELArrowButton::DrawRightArrow() {
    const int W = Width(), H = Height();
    DrawArrow({2, 2}, {W - 2, H / 2}, {2, H - 2}, FButtonRaise + 2,
              QELRoundDiv(H - FGlyph->Height(), 2) + 1);
}

void TQELArrowButton::DrawDownArrow() {
    const int W = Width(), H = Height();
    DrawArrow({W - 2, 2}, {W / 2, H - 2}, {2, 2}, QELRoundDiv(W - FGlyph->Width(), 2) + 1,
              FButtonRaise + 2);
}

void TQELArrowButton::DrawLeftArrow() {
    const int W = Width(), H = Height();
    DrawArrow({W - 2, 2}, {W - 2, H - 2}, {2, H / 2}, W - FGlyph->Width() - FButtonRaise + 1,
              QELRoundDiv(H - FGlyph->Height(), 2) + 1);
}

void TQELArrowButton::DrawArrow(TPoint P1, TPoint P2, TPoint P3, int GlyphX, int GlyphY) {
    TCanvas& C = *Canvas();
    const HDC DC = C.Handle();
    C.Pen()->SetWidth(2);
    C.Pen()->SetColor(clBlack);
    FPoints = {P1, P2, P3};
    FRegion = CreatePolygonRgn(FPoints.data(), 3, ALTERNATE);
    if (!FRegion) return;
    HBRUSH Black = CreateSolidBrush(0);
    OffsetRgn(FRegion, 2, 2);
    FrameRgn(DC, FRegion, Black, 1, 1);
    OffsetRgn(FRegion, -2, -2);
    DeleteObject(Black);
    HBRUSH White = CreateSolidBrush(ColorToRGB(clWhite));
    FillRgn(DC, FRegion, White);
    DeleteObject(White);
    if (FBackground) FBackground->DrawTrans(&C, Width(), Height(), true, clWhite);
    FGlyph->Draw(&C, GlyphX, GlyphY, Enabled(), false, false);
    MoveButton();
}

void TQELArrowButton::MoveButton() {
    if (!Parent() || !Parent()->HandleAllocated() || !Visible()) return;
    TCanvas& C = *Canvas();
    const auto& [P1, P2, P3] = FPoints;
    C.Pen()->SetWidth(FButtonRaise);
    auto Edge = [&](TPoint A, TPoint B, TColor Color) {
        C.Pen()->SetColor(Color);
        C.MoveTo(A.X, A.Y);
        C.LineTo(B.X, B.Y);
    };
    if (!FPressed) {
        Edge(P1, P2, clBtnShadow);
        Edge(P2, P3, clBtnShadow);
        Edge(P1, P3, clBtnHighlight);
    } else {
        Edge(P1, P3, clBtnShadow);
        Edge(P1, P2, clBtnHighlight);
        Edge(P2, P3, clBtnHighlight);
    }
}

// ---- mouse ----

void TQELArrowButton::WndProc(TMessage& M) {
    if (!IsDesigning()) {
        switch (M.Msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            // A press outside the triangle is nobody's: no state, no toolkit processing.
            if (!InTriangle(GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam))) return;
            FPressed = true;
            MoveButton();
            break;
        case WM_LBUTTONUP:
            if (!FPressed) return;
            FPressed = false;
            MoveButton();
            break;
        case WM_CAPTURECHANGED:
            // The release will not come here: no bevel may stay pressed.
            if (FPressed && GetCaptureControl() != this) {
                FPressed = false;
                MoveButton();
            }
            break;
        default:
            break;
        }
    }
    TQELGraphicControl::WndProc(M);
}

} // namespace qel
