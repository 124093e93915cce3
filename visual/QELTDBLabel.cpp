#include "visual/QELTDBLabel.h"

#include "toolkit/controls/ControlCanvas.h"
#include "toolkit/controls/PublishedGroups.h"
#include "toolkit/data/Fields.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/Font.h"
#include "toolkit/graphics/TextDraw.h"

namespace qel {

static void DescribeDBLabel(TClassBuilder<TQELDBLabel>& B) {
    using T = TQELDBLabel;
    B.Publish({"Anchors", "BiDiMode", "Constraints", "DragCursor", "DragKind", "DragMode",
               "ParentBiDiMode", "Align", "Alignment"});
    B.Object("Frame", &T::Frame, &T::SetFrame);
    B.Component("FontBackground", &T::FontBackground, &T::Setback);
    B.Component("Background", &T::Background, &T::Setback2);
    B.Publish("Caption");
    B.Publish("Color").AlwaysStored();
    B.Publish({"Enabled", "FocusControl"});
    PublishFont(B);
    B.Object("Font3D", &T::Font3D, &T::Set3D);
    B.String("DataField", &T::DataField, &T::SetDataField);
    B.Component("DataSource", &T::DataSource, &T::SetDataSource);
    B.Publish("ShowAccelChar").SetDefault(false);
    B.Publish({"Transparent", "ShowHint", "Visible", "WordWrap", "OnClick", "OnDblClick",
               "OnMouseDown", "OnMouseMove", "OnMouseUp"});
}
QEL_IMPLEMENT_CLASS(TQELDBLabel, TCustomLabel, DescribeDBLabel)

TQELDBLabel::TQELDBLabel(TComponent* AOwner) : TCustomLabel(AOwner) {
    FFont3D = std::make_unique<TQELFont3D>(this);
    Font()->SetStyle({fsBold});
    Font()->SetSize(12);
    FFrame = std::make_unique<TQELFrame>(this, frameNone);
    // Grids paint copies of a replicatable control for every row.
    SetControlStyle(ControlStyle() + TControlStyle{csReplicatable});
    SetAutoSize(false);
    SetShowAccelChar(false);
    SetColor(clWindow);
    FDataLink = std::make_unique<TFieldDataLink>();
    FDataLink->SetControl(this);
    FDataLink->OnDataChange = [this](TObject* Sender) { DataChange(Sender); };
}

TQELDBLabel::~TQELDBLabel() {
    // The link goes first, so that no data event reaches a half-destroyed label.
    FDataLink.reset();
}

TDataSource* TQELDBLabel::GetDataSource() const {
    return FDataLink->DataSource();
}

void TQELDBLabel::SetDataSource(TDataSource* Value) {
    FDataLink->SetDataSource(Value);
    if (Value) Value->FreeNotification(this);
}

std::string TQELDBLabel::GetDataField() const {
    return FDataLink->FieldName();
}

void TQELDBLabel::SetDataField(const std::string& Value) {
    FDataLink->SetFieldName(Value);
}

TField* TQELDBLabel::GetField() const {
    return FDataLink->Field();
}

void TQELDBLabel::Setback(TQELBackground* Value) {
    FFontBackground.Set(Value);
}

void TQELDBLabel::Setback2(TQELBackground* Value) {
    FBackground.Set(Value);
}

void TQELDBLabel::Set3D(TQELFont3D* Value) {
    if (Value != FFont3D.get()) FFont3D->Assign(Value);
    Invalidate();
}

void TQELDBLabel::SetFrame(TQELFrame* Value) {
    if (Value != FFrame.get()) FFrame->Assign(Value);
    Invalidate();
}

std::string TQELDBLabel::GetFieldText() const {
    if (TField* F = FDataLink ? FDataLink->Field() : nullptr) return F->DisplayText();
    return IsDesigning() ? Name() : std::string();
}

void TQELDBLabel::DataChange(TObject*) {
    SetCaption(GetFieldText());
}

std::string TQELDBLabel::GetLabelText() const {
    return ControlState().Contains(csPaintCopy) ? GetFieldText() : Caption();
}

void TQELDBLabel::WndProc(TMessage& Message) {
    if (Message.Msg == CM_GETDATALINK) {
        Message.Result = reinterpret_cast<LRESULT>(FDataLink.get());
        return;
    }
    TCustomLabel::WndProc(Message);
}

void TQELDBLabel::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomLabel::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (FDataLink && AComponent == GetDataSource()) SetDataSource(nullptr);
    FFontBackground.Notification(AComponent, Operation);
    FBackground.Notification(AComponent, Operation);
}

void TQELDBLabel::Loaded() {
    TCustomLabel::Loaded();
}

TRect TQELDBLabel::TextRect() const {
    const int Fw = FFrame->Calcwidth();
    TRect R = ClientRect();
    R.Left += 2 * Fw;
    R.Top += 2 * Fw;
    R.Right -= 2 * Fw;
    R.Bottom -= 2 * Fw;
    return R;
}

UINT TQELDBLabel::TextFlags() const {
    static constexpr UINT Align[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    // Field values break into lines whatever WordWrap says.
    return Align[Alignment()] | DT_WORDBREAK | DT_NOCLIP;
}

void TQELDBLabel::Paint() {
    TCanvas* C = Canvas();
    const TRect Client = ClientRect();
    if (!Transparent()) {
        C->Brush()->SetColor(Color());
        C->Brush()->SetStyle(bsSolid);
        C->FillRect(Client);
        if (FBackground) FBackground->Draw(C->Handle(), Width(), Height(), true);
    }
    C->Brush()->SetStyle(bsClear);
    const std::string Text = GetFieldText();
    if (Text != Caption() && !ControlState().Contains(csPaintCopy)) SetCaption(Text);
    const TRect R = TextRect();
    if (FFontBackground)
        FFontBackground->Write(FFont3D.get(), Font(), C, R, Text, int(TextFlags()));
    else
        FFont3D->Write(Font(), C->Handle(), R, Text, int(TextFlags()), Enabled());
    TRect F = Client;
    FFrame->Draw(C->Handle(), F);
}

} // namespace qel
