#include "visual/QELTPanel.h"

#include "toolkit/controls/PublishedGroups.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/Font.h"
#include "toolkit/graphics/TextDraw.h"
#include "visual/QELControls.h"

namespace qel {

static void DescribePanel(TClassBuilder<TQELPanel>& B) {
    using T = TQELPanel;
    B.Publish({"Anchors", "BiDiMode", "Constraints", "DragKind", "ParentBiDiMode", "Align"});
    B.Enum("Alignment", &T::Alignment, &T::SetAlignment).SetDefault(taCenter);
    B.Object("Font3D", &T::Font3D, &T::Set3D);
    B.Bool("AutoSize", &T::AutoSize, &T::SetAutoSize).SetDefault(false);
    B.Component("Background", &T::Background, &T::Setback);
    B.Bool("DlgFrame", &T::DlgFrame, &T::Setfloat);
    B.Object("FrameInner", &T::FrameInner, &T::SetInner);
    B.Object("FrameOuter", &T::FrameOuter, &T::SetOuter);
    B.Integer("Borderwidth", &T::Borderwidth, &T::SetbSpace);
    PublishDragProperties(B);
    B.Publish({"Enabled", "Caption"});
    B.Bool("Ctl3D", &T::Ctl3D, &T::SetCtl3D).Stored([](const TObject& O) {
        return !static_cast<const T&>(O).ParentCtl3D();
    });
    PublishFont(B);
    B.Bool("Locked", &T::Locked, &T::SetLocked).SetDefault(false);
    B.Bool("ParentCtl3D", &T::ParentCtl3D, &T::SetParentCtl3D).SetDefault(true);
    B.Publish("ParentFont");
    PublishShowHint(B);
    B.Publish({"PopupMenu", "TabOrder", "TabStop", "Visible", "OnClick", "OnDblClick"});
    PublishDragEvents(B);
    B.Publish({"OnEnter", "OnExit", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnResize"});
}
QEL_IMPLEMENT_CLASS(TQELPanel, TCustomPanel, DescribePanel)

TQELPanel::TQELPanel(TComponent* AOwner)
    : TCustomPanel(AOwner), FFrameInner(std::make_unique<TQELFrame>(this)),
      FFrameOuter(std::make_unique<TQELFrame>(this)), FFont3D(std::make_unique<TQELFont3D>(this)) {
    // Children follow the frames when a frame grows, shrinks or goes away.
    FFrameInner->OnInvalidate = [this](TObject*) { Realign(); };
    FFrameOuter->OnInvalidate = [this](TObject*) { Realign(); };
}

TQELPanel::~TQELPanel() {
    FFrameInner->OnInvalidate = nullptr;
    FFrameOuter->OnInvalidate = nullptr;
}

void TQELPanel::SetAlignment(TAlignment Value) {
    FAlignment = Value;
    Invalidate();
}

void TQELPanel::SetAutoSize(bool Value) {
    FAutoSize = Value;
    Invalidate();
}

void TQELPanel::Setfloat(bool Value) {
    FDlgFrame = Value;
    Invalidate();
}

void TQELPanel::SetbSpace(int Value) {
    if (Value >= 0) FBorderwidth = Value;
    Realign();
    Invalidate();
}

void TQELPanel::SetInner(TQELFrame* Value) {
    if (Value != FFrameInner.get()) FFrameInner->Assign(Value);
    Invalidate();
}

void TQELPanel::SetOuter(TQELFrame* Value) {
    if (Value != FFrameOuter.get()) FFrameOuter->Assign(Value);
    Invalidate();
}

void TQELPanel::Set3D(TQELFont3D* Value) {
    if (Value != FFont3D.get()) FFont3D->Assign(Value);
    if (HandleAllocated())
        RecreateWnd();
    else
        Invalidate();
}

void TQELPanel::Setback(TQELBackground* Value) {
    FBackground.Set(Value);
}

void TQELPanel::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomPanel::Notification(AComponent, Operation);
    FBackground.Notification(AComponent, Operation);
}

void TQELPanel::Loaded() {
    TCustomPanel::Loaded();
}

int TQELPanel::ChildInset() const {
    int B = FBorderwidth;
    if (FFrameOuter->FrameStyle() != frameNone) B += FFrameOuter->FrameWidth();
    if (FFrameInner->FrameStyle() != frameNone) B += FFrameInner->FrameWidth();
    return B;
}

// The toolkit panel's bevels are not this panel's: its frames take their place.
void TQELPanel::AdjustClientRect(TRect& Rect) {
    (void)Rect;
}

void TQELPanel::AlignControls(TControl* AControl, TRect& Rect) {
    const int B = ChildInset();
    InflateRect(&Rect, -B, -B);
    TCustomPanel::AlignControls(AControl, Rect);
}

void TQELPanel::Paint() {
    static constexpr UINT Alignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    TCanvas* C = Canvas();
    TRect R = ClientRect();
    C->Brush()->SetColor(Color());
    C->Brush()->SetStyle(bsSolid);
    C->FillRect(R);
    HDC DC = C->Handle();
    if (FBackground) FBackground->Draw(DC, Width(), Height(), true);
    if (FDlgFrame) {
        Frame3D(*C, R, clBtnHighlight, clBlack, 1);
        Frame3D(*C, R, clBtnFace, clBtnShadow, 1);
        Frame3D(*C, R, clBtnFace, clBtnFace, 1);
    }
    FFrameOuter->Draw(DC, R);
    if (FBorderwidth > 0) InflateRect(&R, -(FBorderwidth + 1), -(FBorderwidth + 1));
    FFrameInner->Draw(DC, R);
    C->Font()->Assign(Font());
    C->Brush()->SetStyle(bsClear);
    const UINT F = Alignments[FAlignment] | DT_VCENTER | DT_SINGLELINE | DT_EXPANDTABS;
    FFont3D->Write(Font(), DC, R, Caption(), int(F), Enabled());
}

} // namespace qel
