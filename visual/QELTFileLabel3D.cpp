#include "visual/QELTFileLabel3D.h"

#include "toolkit/controls/PublishedGroups.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/Font.h"
#include "toolkit/graphics/TextDraw.h"
#include "visual/QELTextWidth.h"

#include <cstdint>

namespace qel {

static void DescribeFileLabel(TClassBuilder<TQELFileLabel3D>& B) {
    using T = TQELFileLabel3D;
    B.Publish({"Anchors", "BiDiMode", "Constraints", "DragKind", "ParentBiDiMode", "Align",
               "Alignment", "Color", "Enabled"});
    B.String("Filename", &T::Filename, &T::SetFilename);
    B.Publish("FocusControl");
    B.Component("FontBackground", &T::FontBackground, &T::SetBack);
    PublishFont(B);
    B.Object("Font3D", &T::Font3D, &T::Set3D);
    B.Object("Frame", &T::Frame, &T::SetFrm);
    B.Component("Background", &T::Background, &T::SetBack2);
    B.Char("Separator", &T::Separator, &T::SetSeparator).SetDefault('\\');
    B.Publish({"Transparent", "ShowHint", "Visible", "OnClick", "OnDblClick", "OnMouseDown",
               "OnMouseMove", "OnMouseUp", "OnDragDrop", "OnEndDrag", "OnStartDrag", "OnDragOver"});
    PublishDragProperties(B);
    B.Publish({"ParentColor", "ParentFont", "ShowAccelChar"});
}
QEL_IMPLEMENT_CLASS(TQELFileLabel3D, TCustomLabel, DescribeFileLabel)

TQELFileLabel3D::TQELFileLabel3D(TComponent* AOwner)
    : TCustomLabel(AOwner), FFont3D(std::make_unique<TQELFont3D>(this)),
      FFrame(std::make_unique<TQELFrame>(this, frameNone)) {
    SetControlStyle(ControlStyle() + TControlStyle{csReplicatable});
    Font()->SetStyle({fsBold});
    SetAutoSize(false);
    SetWordWrap(false);
}

void TQELFileLabel3D::SetFilename(const std::string& Value) {
    if (Value == FFilename) return;
    FFilename = Value;
    FillParts();
    AdjustCaption();
}

void TQELFileLabel3D::SetSeparator(char Value) {
    if (Value == FSeparator) return;
    FSeparator = Value;
    FillParts();
    AdjustCaption();
}

void TQELFileLabel3D::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    TCustomLabel::SetBounds(ALeft, ATop, AWidth, AHeight);
    AdjustCaption();
}

void TQELFileLabel3D::FillParts() {
    FParts.clear();
    std::size_t Start = 0;
    for (;;) {
        const std::size_t At = FFilename.find(FSeparator, Start);
        if (At == std::string::npos) break;
        FParts.push_back(FFilename.substr(Start, At - Start));
        Start = At + 1;
    }
    FParts.push_back(FFilename.substr(Start));
    const std::string& First = FParts.front();
    FDrive = First.size() > 1 && First.back() == ':';
}

// Widths add up (see TQELTextMeasure), so each part is measured once however many folders
// the path has.
void TQELFileLabel3D::AdjustCaption() {
    if (FParts.empty()) FillParts();
    const TQELTextMeasure M(Font());
    const std::int64_t W = Width();
    if (FFilename.empty() || M.Width(FFilename) <= W) {
        SetCaption(FFilename);
        return;
    }
    const std::string Sep(1, FSeparator);
    const std::string Dots = "..." + Sep;
    const std::string& Last = FParts.back();
    const std::int64_t WLast = M.Width(Last), WDots = M.Width(Dots), WSep = M.Width(Sep);
    if (WLast + WDots >= W) {
        SetCaption(Last);
        return;
    }
    const std::string Head = FDrive ? FParts.front() + Sep : std::string();
    const std::int64_t Fixed = WLast + WDots + M.Width(Head);
    if (Fixed >= W) {
        SetCaption(Dots + Last);
        return;
    }
    // Folders join the tail from the right for as long as they fit; part 0 never does.
    const int N = static_cast<int>(FParts.size());
    std::int64_t WTail = 0;
    int First = N - 1;
    for (int K = N - 2; K >= 1; --K) {
        const std::int64_t WCandidate = M.Width(FParts[static_cast<std::size_t>(K)]) + WSep + WTail;
        if (Fixed + WCandidate > W) break;
        WTail = WCandidate;
        First = K;
    }
    std::string Caption = Head + Dots;
    for (int K = First; K <= N - 2; ++K)
        Caption += FParts[static_cast<std::size_t>(K)] + Sep;
    Caption += Last;
    SetCaption(Caption);
}

void TQELFileLabel3D::SetBack(TQELBackground* Value) {
    FFontBackground.Set(Value);
}

void TQELFileLabel3D::SetBack2(TQELBackground* Value) {
    FBackground.Set(Value);
}

void TQELFileLabel3D::Set3D(TQELFont3D* Value) {
    if (Value != FFont3D.get()) FFont3D->Assign(Value);
    Invalidate();
}

void TQELFileLabel3D::SetFrm(TQELFrame* Value) {
    if (Value != FFrame.get()) FFrame->Assign(Value);
    Invalidate();
}

void TQELFileLabel3D::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomLabel::Notification(AComponent, Operation);
    FBackground.Notification(AComponent, Operation);
    FFontBackground.Notification(AComponent, Operation);
}

void TQELFileLabel3D::Loaded() {
    TCustomLabel::Loaded();
    AdjustCaption();
}

void TQELFileLabel3D::WndProc(TMessage& Message) {
    TCustomLabel::WndProc(Message);
    // Another font makes every part another width.
    if (Message.Msg == CM_FONTCHANGED) AdjustCaption();
}

void TQELFileLabel3D::Paint() {
    static constexpr UINT Alignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    TCanvas* C = Canvas();
    TRect R = ClientRect();
    if (!Transparent()) {
        if (FBackground) {
            FBackground->Draw(C->Handle(), Width(), Height(), true);
        } else {
            C->Brush()->SetColor(Color());
            C->Brush()->SetStyle(bsSolid);
            C->FillRect(R);
        }
    }
    C->Brush()->SetStyle(bsClear);
    const UINT F = (WordWrap() ? UINT(DT_WORDBREAK) : 0u) | DT_EXPANDTABS | Alignments[Alignment()];
    const int Cw = FFrame->Calcwidth();
    InflateRect(&R, -Cw, -Cw);
    if (FFontBackground)
        FFontBackground->Write(FFont3D.get(), Font(), C, R, Caption(), int(F));
    else
        FFont3D->Write(Font(), C->Handle(), R, Caption(), int(F), Enabled());
    InflateRect(&R, Cw, Cw);
    FFrame->Draw(C->Handle(), R);
}

} // namespace qel
