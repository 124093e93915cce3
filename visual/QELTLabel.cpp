#include "visual/QELTLabel.h"

#include "toolkit/controls/ControlCanvas.h"
#include "toolkit/controls/PublishedGroups.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/Font.h"
#include "toolkit/graphics/TextDraw.h"
#include "visual/QELControls.h"

namespace qel {

static void DescribeLabel(TClassBuilder<TQELLabel>& B) {
    using T = TQELLabel;
    // DragCursor and DragMode come late in a label's form text, after the events.
    B.Set<TAnchorKind>("Anchors", &T::Anchors, &T::SetAnchors)
        .SetDefault(TAnchors{akLeft, akTop}.Bits());
    B.Enum("BiDiMode", &T::BiDiMode, &T::SetBiDiMode)
        .SetDefault(bdLeftToRight)
        .Stored([](const TObject& O) { return !static_cast<const T&>(O).ParentBiDiMode(); });
    B.Object("Constraints", &T::Constraints, &T::SetConstraints);
    B.Enum("DragKind", &T::DragKind, &T::SetDragKind).SetDefault(dkDrag);
    B.Bool("ParentBiDiMode", &T::ParentBiDiMode, &T::SetParentBiDiMode).SetDefault(true);
    B.Enum("Align", &TQELLabel::Align, &TQELLabel::SetAlign).SetDefault(alNone);
    B.Enum("Alignment", &TQELLabel::Alignment, &TQELLabel::SetAlignment).SetDefault(taLeftJustify);
    B.String("Caption", &TQELLabel::Caption, &TQELLabel::SetCaption);
    B.Color("Color", &TQELLabel::Color, &TQELLabel::SetColor)
        .SetDefault(clWindow)
        .Stored([](const TObject& O) { return !static_cast<const TQELLabel&>(O).ParentColor(); });
    B.Bool("Enabled", &TQELLabel::Enabled, &TQELLabel::SetEnabled).SetDefault(true);
    B.Component("FocusControl", &TQELLabel::FocusControl, &TQELLabel::SetFocusControl);
    B.Component("FontBackground", &TQELLabel::FontBackground, &TQELLabel::SetBack);
    PublishFont(B);
    B.Object("Font3D", &TQELLabel::Font3D, &TQELLabel::Set3D);
    B.Object("Frame", &TQELLabel::Frame, &TQELLabel::SetFrm);
    B.Component("Background", &TQELLabel::Background, &TQELLabel::SetBack2);
    B.Bool("Transparent", &TQELLabel::Transparent, &TQELLabel::SetTransparent).SetDefault(false);
    B.Bool("ShowHint", &TQELLabel::ShowHint, &TQELLabel::SetShowHint).Stored([](const TObject& O) {
        return !static_cast<const TQELLabel&>(O).ParentShowHint();
    });
    B.Bool("Visible", &TQELLabel::Visible, &TQELLabel::SetVisible).SetDefault(true);
    B.Bool("WordWrap", &TQELLabel::WordWrap, &TQELLabel::SetWordWrap).SetDefault(false);
    B.Event("OnClick", &TQELLabel::OnClick);
    B.Event("OnDblClick", &TQELLabel::OnDblClick);
    B.Event("OnMouseDown", &TQELLabel::OnMouseDown);
    B.Event("OnMouseMove", &TQELLabel::OnMouseMove);
    B.Event("OnMouseUp", &TQELLabel::OnMouseUp);
    B.Event("OnDragDrop", &T::OnDragDrop);
    B.Event("OnEndDrag", &T::OnEndDrag);
    B.Event("OnStartDrag", &T::OnStartDrag);
    B.Event("OnDragOver", &T::OnDragOver);
    B.Integer("DragCursor", &T::DragCursor, &T::SetDragCursor)
        .SetDefault(crDrag)
        .WithIdents(CursorIdentMap());
    B.Enum("DragMode", &T::DragMode, &T::SetDragMode).SetDefault(dmManual);
    B.Bool("ParentColor", &TQELLabel::ParentColor, &TQELLabel::SetParentColor).SetDefault(true);
    B.Bool("ParentFont", &TQELLabel::ParentFont, &TQELLabel::SetParentFont).SetDefault(true);
    B.Bool("ShowAccelChar", &TQELLabel::ShowAccelChar, &TQELLabel::SetShowAccelChar)
        .SetDefault(true);
}
QEL_IMPLEMENT_CLASS(TQELLabel, TCustomLabel, DescribeLabel)

TQELLabel::TQELLabel(TComponent* AOwner) : TCustomLabel(AOwner) {
    SetAutoSize(false);
    SetControlStyle(ControlStyle() + TControlStyle{csReplicatable});
    Font()->SetStyle({fsBold});
    Font()->SetSize(12);
    FFont3D = new TQELFont3D(this);
    FFrame = new TQELFrame(this, frameNone);
}

TQELLabel::~TQELLabel() {
    delete FFont3D;
    delete FFrame;
}

void TQELLabel::SetBack(TQELBackground* Value) {
    FFontBackground.Set(Value);
}

void TQELLabel::SetBack2(TQELBackground* Value) {
    FBackground.Set(Value);
}

void TQELLabel::Set3D(TQELFont3D* Value) {
    if (Value != FFont3D) FFont3D->Assign(Value);
    Invalidate();
}

void TQELLabel::SetFrm(TQELFrame* Value) {
    if (Value != FFrame) FFrame->Assign(Value);
    Invalidate();
}

void TQELLabel::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomLabel::Notification(AComponent, Operation);
    FBackground.Notification(AComponent, Operation);
    FFontBackground.Notification(AComponent, Operation);
}

void TQELLabel::Loaded() {
    TCustomLabel::Loaded();
}

TRect TQELLabel::TextRect() const {
    const int Cw = FFrame->Calcwidth(), Fw = FFrame->FrameWidth();
    TRect R = ClientRect();
    R.Left += Cw;
    R.Bottom -= Cw;
    R.Top += Cw;
    R.Right -= Cw;
    R.Top += Fw;
    R.Right -= Cw;
    R.Bottom -= Fw;
    return R;
}

int TQELLabel::TextFlags() const {
    static constexpr UINT Align[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    return int((WordWrap() ? UINT(DT_WORDBREAK) : 0u) | DT_EXPANDTABS | Align[Alignment()]);
}

void TQELLabel::Paint() {
    TCanvas* C = Canvas();
    const TRect Client = ClientRect();
    if (!Transparent()) {
        C->Brush()->SetColor(Color());
        C->Brush()->SetStyle(bsSolid);
        C->FillRect(Client);
        if (FBackground) FBackground->Draw(C->Handle(), Width(), Height(), true);
    }
    C->Brush()->SetStyle(bsClear);
    const TRect R = TextRect();
    if (FFontBackground)
        FFontBackground->Write(FFont3D, Font(), C, R, Caption(), TextFlags());
    else
        FFont3D->Write(Font(), C->Handle(), R, Caption(), TextFlags(), Enabled());
    TRect F = Client;
    FFrame->Draw(C->Handle(), F);
}

} // namespace qel
