#include "visual/QELTLabel.h"

#include "toolkit/controls/ControlCanvas.h"
#include "toolkit/controls/PublishedGroups.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/Font.h"
#include "toolkit/graphics/TextDraw.h"
#include "visual/QELControls.h"

namespace qel {

static void DescribeLabel(TClassBuilder<TQELLabel>& B) {
    // DragCursor and DragMode come late in a label's form text, after the events.
    B.Publish({"Anchors", "BiDiMode", "Constraints", "DragKind", "ParentBiDiMode", "Align",
               "Alignment", "Caption", "Color", "Enabled", "FocusControl"});
    B.Component("FontBackground", &TQELLabel::FontBackground, &TQELLabel::SetBack);
    B.Publish("Font");
    B.Object("Font3D", &TQELLabel::Font3D, &TQELLabel::Set3D);
    B.Object("Frame", &TQELLabel::Frame, &TQELLabel::SetFrm);
    B.Component("Background", &TQELLabel::Background, &TQELLabel::SetBack2);
    B.Publish({"Transparent", "ShowHint", "Visible", "WordWrap", "OnClick", "OnDblClick",
               "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnDragDrop", "OnEndDrag", "OnStartDrag",
               "OnDragOver", "DragCursor", "DragMode", "ParentColor", "ParentFont",
               "ShowAccelChar"});
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
