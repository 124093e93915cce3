#include "visual/QELTGauge.h"

#include "toolkit/controls/PublishedGroups.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/Font.h"
#include "toolkit/graphics/TextDraw.h"
#include "visual/QELTBackgroundSteps.h"

#include <string>

namespace qel {

namespace {

constexpr int kTextFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE; // hexadecimal 25

bool IsEmptyArea(const TRect& R) {
    return R.Right <= R.Left || R.Bottom <= R.Top;
}

} // namespace

static void DescribeGauge(TClassBuilder<TQELGauge>& B) {
    using T = TQELGauge;
    B.Publish({"Align", "Cursor"});
    B.Object("Glyph", &T::Glyph, &T::SetQELGlyph);
    B.Publish({"OnClick", "OnDblClick", "OnMouseDown", "OnMouseMove", "OnMouseUp"});
    B.Publish("Font").AlwaysStored();
    B.Object("Font3D", &T::Font3D, &T::Set3D);
    B.Component("Background", &T::Background, &T::SetBack);
    B.Object("BevelInner", &T::BevelInner, &T::Setinner);
    B.Object("BevelOuter", &T::BevelOuter, &T::Setouter);
    B.Enum("PicturePosition", &T::PicturePosition, &T::SetPicPos).NoDefault();
    B.Integer("Borderwidth", &T::Borderwidth, &T::SetBorderwidth).NoDefault();
    B.Enum("Kind", &T::Kind, &T::SetKindType).NoDefault();
    B.Integer("SegmentGap", &T::SegmentGap, &T::SetSegGap).SetDefault(2);
    B.Integer("SegmentWidth", &T::SegmentWidth, &T::SetSegWidth).SetDefault(8);
    B.Color("SegmentColor", &T::SegmentColor, &T::SetSegColor).SetDefault(clNavy);
    B.Color("InsideBackColor", &T::InsideBackColor, &T::SetInsideColor).SetDefault(clWhite);
    // Read as a full integer, so that an out-of-range stored value is clamped, not wrapped.
    B.Integer(
         "Percentage", [](const T& G) { return int(G.Percentage()); }, &T::SetPercent)
        .SetDefault(0);
    B.Publish("Width").SetDefault(140);
    B.Publish("Height").SetDefault(36);
}
QEL_IMPLEMENT_CLASS(TQELGauge, TQELGraphicControl, DescribeGauge)

TQELGauge::TQELGauge(TComponent* AOwner)
    : TQELGraphicControl(AOwner), FGlyph(std::make_unique<TQELGlyph>(this)),
      FBevelInner(std::make_unique<TQELFrame>(this, frameLowered)),
      FBevelOuter(std::make_unique<TQELFrame>(this)), FFont3D(std::make_unique<TQELFont3D>(this)) {
    FGlyph->OnChange = [this](TObject*) { Invalidate(); };
    SetBounds(Left(), Top(), 140, 36);
}

TQELGauge::~TQELGauge() {
    FGlyph->OnChange = nullptr;
}

// ---- setters ----

void TQELGauge::SetQELGlyph(TQELGlyph* Value) {
    if (Value != FGlyph.get()) FGlyph->Assign(Value);
    Invalidate();
}

void TQELGauge::Set3D(TQELFont3D* Value) {
    if (Value != FFont3D.get()) FFont3D->Assign(Value);
    Invalidate();
}

void TQELGauge::SetBack(TQELBackground* Value) {
    FBackground.Set(Value);
}

void TQELGauge::Setinner(TQELFrame* Value) {
    if (Value != FBevelInner.get()) FBevelInner->Assign(Value);
    Invalidate();
}

void TQELGauge::Setouter(TQELFrame* Value) {
    if (Value != FBevelOuter.get()) FBevelOuter->Assign(Value);
    Invalidate();
}

void TQELGauge::SetPicPos(TQELPosition Value) {
    FPicturePosition = Value;
    Invalidate();
}

void TQELGauge::SetBorderwidth(std::uint8_t Value) {
    if (Value == FBorderwidth) return;
    FBorderwidth = Value;
    Invalidate();
}

void TQELGauge::SetKindType(TQELKind Value) {
    FKind = Value;
    Invalidate();
}

void TQELGauge::SetSegGap(std::uint8_t Value) {
    if (Value == FSegmentGap) return;
    FSegmentGap = Value;
    Invalidate();
}

void TQELGauge::SetSegWidth(std::uint8_t Value) {
    if (Value == FSegmentWidth) return;
    FSegmentWidth = Value;
    Invalidate();
}

void TQELGauge::SetSegColor(TColor Value) {
    FSegmentColor = Value;
    Invalidate();
}

void TQELGauge::SetInsideColor(TColor Value) {
    FInsideBackColor = Value;
    Invalidate();
}

void TQELGauge::SetPercent(int Value) {
    FPercentage = static_cast<std::uint8_t>(Value < 0 ? 0 : Value > 100 ? 100 : Value);
    if (IsDesigning()) Invalidate();
    UpdateProgress();
}

void TQELGauge::Notification(TComponent* AComponent, TOperation Operation) {
    TQELGraphicControl::Notification(AComponent, Operation);
    FBackground.Notification(AComponent, Operation);
}

// ---- geometry ----

TQELGauge::TMargins TQELGauge::Margins() const {
    TMargins M{FBorderwidth, FBorderwidth, FBorderwidth, FBorderwidth, 0};
    const int GW = FGlyph->Width();
    if (GW > 0) {
        // The glyph's width is reserved on every side, also above and below the bar.
        M.fbw = GW;
        int* Side[] = {&M.fl, &M.fr, &M.ft, &M.fb};
        *Side[FPicturePosition] = FBorderwidth + GW;
    }
    return M;
}

TRect TQELGauge::BarRect() const {
    const TMargins M = Margins();
    const int Inner = FBevelInner->Calcwidth(), Outer = FBevelOuter->Calcwidth();
    return {Inner + M.fl + Outer - 1, Inner + M.ft + Outer - 1, Width() - M.fr - Inner - Outer,
            Height() - M.fb - Inner - Outer};
}

bool TQELGauge::IsSegmentLine(int C) const {
    const int P = FSegmentWidth + FSegmentGap;
    // Neither width nor gap: one unbroken bar rather than a division by zero.
    if (P == 0) return true;
    return C % P <= FSegmentWidth;
}

// ---- drawing ----

void TQELGauge::Paint() {
    TCanvas* C = Canvas();
    const int W = Width(), H = Height();
    if (FBackground) FBackground->Draw(C->Handle(), W, H, true);
    const TMargins M = Margins();
    C->Pen()->SetWidth(1);
    C->Brush()->SetColor(FInsideBackColor);

    const int Outer = FBevelOuter->Calcwidth();
    const int GW = FGlyph->Width(), GH = FGlyph->Height();
    const int HalfBorder = QELRoundDiv(FBorderwidth, 2);
    int X = 0, Y = 0;
    switch (FPicturePosition) {
    case pLeft:
        X = Outer + 1 + HalfBorder;
        Y = QELRoundDiv(H - GH, 2);
        break;
    case pRight:
        X = W - Outer - M.fr + HalfBorder + 1;
        Y = QELRoundDiv(H - GH, 2);
        break;
    case pTop:
        X = QELRoundDiv(W - GW, 2);
        Y = Outer + 1 + HalfBorder;
        break;
    case pBottom:
        X = QELRoundDiv(W - GW, 2) + 1;
        Y = H - Outer - M.fb + HalfBorder;
        break;
    }
    FGlyph->Draw(C, X, Y, Enabled(), false, false);

    TRect Bar{0, 0, W, H};
    FBevelOuter->Draw(C->Handle(), Bar);
    Bar = {Bar.Left + M.fl - 1, Bar.Top + M.ft - 1, Bar.Right - M.fr, Bar.Bottom - M.fb};
    FBevelInner->Draw(C->Handle(), Bar);
    C->Brush()->SetColor(FInsideBackColor);
    if (!IsEmptyArea(Bar)) C->FillRect(Bar);
    DrawProgress(C);
}

void TQELGauge::UpdateProgress() {
    // Outside a paint the gauge draws straight onto its parent's window, which must exist
    // (and is not created for it); a hidden gauge leaves the parent's pixels alone.
    if (!Parent() || !Parent()->HandleAllocated() || !Visible()) return;
    DrawProgress(Canvas());
}

void TQELGauge::DrawProgress(TCanvas* C) {
    TRect Bar = BarRect();
    const TRect TextRect = Bar;
    C->Pen()->SetColor(FSegmentColor);
    C->Brush()->SetColor(FSegmentColor);
    C->Pen()->SetWidth(1);
    auto PenFor = [&](int Line) {
        C->Pen()->SetColor(IsSegmentLine(Line) ? FSegmentColor : FInsideBackColor);
    };
    // A control too small for a bar keeps its bevels: nothing is filled outside the bar.
    if (!IsEmptyArea(Bar)) {
        if (FKind == kHorizontal) {
            const int X0 = Bar.Left, Span = Bar.Right - X0 - 1;
            const int XEnd = X0 + QELRoundDiv(double(Span) * FPercentage, 100);
            if (FPercentage > 0)
                for (int X = X0; X <= XEnd; ++X) {
                    PenFor(X);
                    C->MoveTo(X, Bar.Top);
                    C->LineTo(X, Bar.Bottom);
                }
            // At 100 % the end is the bar's last column and nothing is left to clear.
            if (XEnd < Bar.Right - 1) {
                Bar.Left = XEnd;
                C->Brush()->SetColor(FInsideBackColor);
                C->FillRect(Bar);
            }
        } else {
            const int YBottom = Bar.Bottom - 1, Span = YBottom - Bar.Top;
            const int YStart = YBottom - QELRoundDiv(double(Span) * FPercentage, 100);
            if (FPercentage > 0)
                for (int Y = YStart; Y <= YBottom; ++Y) {
                    PenFor(Y);
                    C->MoveTo(Bar.Left, Y);
                    C->LineTo(Bar.Right, Y);
                }
            Bar.Bottom = FPercentage == 0 ? YStart + 1 : YStart;
            C->Brush()->SetColor(FInsideBackColor);
            if (!IsEmptyArea(Bar)) C->FillRect(Bar);
        }
    }
    FFont3D->Write(Font(), C->Handle(), TextRect, std::to_string(FPercentage) + " %", kTextFormat,
                   Enabled());
}

} // namespace qel
