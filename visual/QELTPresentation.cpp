// The presentation control: slides composed off-screen and brought on with their transition,
// one per tick of its thread timer.
#include "visual/QELTPresentation.h"

#include "toolkit/controls/ControlCanvas.h"
#include "toolkit/controls/PublishedGroups.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/Font.h"
#include "toolkit/graphics/TextDraw.h"
#include "visual/QELControls.h"

#include <algorithm>

namespace qel {

static void DescribePresentation(TClassBuilder<TQELPresentation>& B) {
    using T = TQELPresentation;
    B.Publish({"Anchors", "BiDiMode", "Constraints", "DragKind", "ParentBiDiMode"});
    B.Publish("AutoSize").SetDefault(false);
    B.Publish({"Align", "Alignment", "Color", "Enabled", "FocusControl"});
    B.Collection("Slides", &T::Slides, &T::SetSlides);
    B.Integer("Speed", &T::Speed, &T::SetSpeed);
    B.Bool("KeepLooping", &T::KeepLooping, &T::SetKeepLooping);
    B.Component("Background", &T::Background, &T::SetBackground);
    PublishFont(B);
    B.Object("Font3D", &T::Font3D, &T::SetFont3D);
    B.Component("FontBackground", &T::FontBackground, &T::SetFontBackground);
    B.Event("OnSlideDone", &T::OnSlideDone);
    B.Event("OnLoopDone", &T::OnLoopDone);
    B.Publish({"ShowHint", "Visible", "WordWrap", "OnClick", "OnDblClick", "OnMouseDown",
               "OnMouseMove", "OnMouseUp", "OnDragDrop", "OnEndDrag", "OnStartDrag", "OnDragOver"});
    PublishDragProperties(B);
    B.Publish({"ParentColor", "ParentFont", "ShowAccelChar"});
}
QEL_IMPLEMENT_CLASS(TQELPresentation, TCustomLabel, DescribePresentation)

namespace {

// N / 2 rounded to the nearest integer, halves to the even neighbour.
int HalfRounded(int N) {
    const int Q = N / 2;
    if (N % 2 == 0) return Q;
    // An odd N lies halfway between Q and Q ± 1; take the even one.
    const int Other = N > 0 ? Q + 1 : Q - 1;
    return (Q % 2 == 0) ? Q : Other;
}

} // namespace

TQELPresentation::TQELPresentation(TComponent* AOwner) : TCustomLabel(AOwner) {
    SetAutoSize(false);
    SetControlStyle(ControlStyle() - TControlStyle{csSetCaption});
    FFont3D = new TQELFont3D(this);
    FSlides = new TQELSlides(this);
    FTimer = new TQELTimer32(nullptr);
    FTimer->SetTag(0);
    FTimer->OnTimer = [this](TObject* Sender) { RunSlides(Sender); };
    FTimer->SetEnabled(false);
    FTimer->SetInterval(1000);
}

TQELPresentation::~TQELPresentation() {
    // A presentation freed by one of its own slide events is inside the timer's event: the
    // timer lets its worker finish on its own then.
    delete FTimer;
    FTimer = nullptr;
    delete FSlides;
    FSlides = nullptr;
    delete FFont3D;
    FFont3D = nullptr;
}

void TQELPresentation::SetSlides(TQELSlides* Value) {
    if (Value != FSlides) FSlides->Assign(Value);
}

void TQELPresentation::SetSpeed(int Value) {
    if (Value < 0) return;
    FSpeed = Value;
    FTimer->SetInterval(static_cast<std::uint16_t>(Value & 0xFFFF));
}

void TQELPresentation::SetFont3D(TQELFont3D* Value) {
    if (Value == FFont3D) return;
    FFont3D->Assign(Value);
    Invalidate();
}

void TQELPresentation::LoopSlides() {
    FTimer->SetEnabled(true);
}

void TQELPresentation::Stop() {
    FTimer->SetEnabled(false);
}

bool TQELPresentation::Running() const {
    return FTimer->Enabled();
}

int TQELPresentation::NextSlide() const {
    return FTimer->Tag();
}

void TQELPresentation::Loaded() {
    TCustomLabel::Loaded();
}

void TQELPresentation::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomLabel::Notification(AComponent, Operation);
    FBackground.Notification(AComponent, Operation);
    FFontBackground.Notification(AComponent, Operation);
}

void TQELPresentation::Paint() {
    if (FBackground) {
        FBackground->Draw(Canvas()->Handle(), Width(), Height(), true);
        return;
    }
    TCustomLabel::Paint();
}

void TQELPresentation::RunSlides(TObject*) {
    // Any of the calls below may run handlers that free the presentation.
    const auto Life = LifeToken();
    DoOneSlide(FTimer->Tag());
    if (Life.expired()) return;
    if (OnSlideDone) {
        OnSlideDone(this);
        if (Life.expired()) return;
    }
    if (FTimer->Tag() < FSlides->Count() - 1) {
        FTimer->SetTag(FTimer->Tag() + 1);
        return;
    }
    FTimer->SetTag(0);
    if (!FKeepLooping) FTimer->SetEnabled(false);
    if (OnLoopDone) OnLoopDone(this);
}

void TQELPresentation::DoOneSlide(int Index) {
    static constexpr UINT Align[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    const UINT Format = Align[Alignment()] | DT_WORDBREAK | DT_EXPANDTABS;
    if (FSlides->Count() == 0 || Index < 0 || Index >= FSlides->Count()) return;
    const int W = Width(), H = Height();
    const TQELSlide* Slide = FSlides->Items(Index);

    auto B = std::make_unique<TBitmap>();
    B->SetSize(W, H);
    TCanvas* BC = B->Canvas();
    if (FBackground) {
        FBackground->Draw(BC->Handle(), W, H, true);
    } else {
        BC->Brush()->SetColor(Color());
        BC->Brush()->SetStyle(bsSolid);
        BC->FillRect(TRect{0, 0, W, H});
    }
    const TRect Client = ClientRect();
    if (Slide->Style() == 1) {
        if (FFontBackground)
            FFontBackground->Write(FFont3D, Font(), BC, Client, Slide->Text(),
                                   static_cast<int>(Format));
        else
            FFont3D->Write(Font(), BC->Handle(), Client, Slide->Text(), static_cast<int>(Format),
                           Enabled());
    } else if (Slide->Style() == 2 && !Slide->Bitmap()->Empty()) {
        TBitmap* P = Slide->Bitmap();
        const int Bw = P->Width(), Bh = P->Height();
        if (Slide->Stretch()) {
            StretchBlt(BC->Handle(), 0, 0, W, H, P->Canvas()->Handle(), 0, 0, Bw, Bh, SRCCOPY);
        } else {
            const int X = std::max(0, HalfRounded(W) - HalfRounded(Bw));
            const int Y = std::max(0, HalfRounded(H) - HalfRounded(Bh));
            BitBlt(BC->Handle(), X, Y, W, H, P->Canvas()->Handle(), 0, 0, SRCCOPY);
        }
    }
    // A handler run by the effect may free the presentation: the effect then stops at once.
    const auto Life = LifeToken();
    DrawSlideEffect(Slide->Effect(), BC, Canvas(), W, H, [&Life] { return !Life.expired(); });
}

int StartPresentations(TComponent* Root) {
    if (!Root) return 0;
    int Started = 0;
    for (int I = 0; I < Root->ComponentCount(); ++I)
        if (auto* P = dynamic_cast<TQELPresentation*>(Root->Components(I));
            P && P->Slides()->Count() > 0) {
            P->LoopSlides();
            ++Started;
        }
    return Started;
}

} // namespace qel
