#include "visual/QELTBPButtons.h"

#include "toolkit/controls/PublishedGroups.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/Font.h"
#include "toolkit/graphics/TextDraw.h"

namespace qel {

namespace {

// Button style bits of the native class.
constexpr DWORD kLeftText = 0x20, kBitmap = 0x80, kLeft = 0x100, kRight = 0x200, kCentre = 0x300,
                kTop = 0x400, kBottom = 0x800, kVCentre = 0xC00, kPushLike = 0x1000,
                kMultiLine = 0x2000;
constexpr int kCheckInsetY = 6, kCheckMarkRoom = 12;
constexpr int kRadioInsetY = 2, kRadioMarkRoom = 10;

template <class T> void DescribeBPButton(TClassBuilder<T>& B) {
    B.Enum("Alignment", &T::Alignment, &T::SetAlign);
    B.String("Caption", &T::GetText, &T::SetText);
    B.Object("Font3D", &T::Font3D, &T::Set3D);
    B.Bool("WordWrap", &T::WordWrap, &T::SetWordWrap).SetDefault(false).Stored(true);
    B.Component("Background", &T::Background, &T::SetBack);
    B.Bool("AsButton", &T::AsButton, &T::SetAsButton).SetDefault(false).Stored(true);
    B.Bool("ButtonSunk", &T::ButtonSunk, &T::SetFlat).SetDefault(true).Stored([](const TObject& O) {
        return static_cast<const T&>(O).IsAsButton();
    });
    B.Enum("AlignButton", &T::AlignButton, &T::SetAlignButton)
        .SetDefault(taLeftJustify)
        .Stored([](const TObject& O) { return static_cast<const T&>(O).IsNotAsButton(); });
}

} // namespace

// ---- the shared caption image ----

TQELCaptionImage::TQELCaptionImage(TWinControl* AOwner, int AInsetY, int AMarkRoom)
    : Owner(AOwner), Font3D(std::make_unique<TQELFont3D>(AOwner)),
      Image(std::make_unique<TBitmap>()), Background(*AOwner), InsetY(AInsetY),
      MarkRoom(AMarkRoom) {}

void TQELCaptionImage::ApplyParams(TCreateParams& P) const {
    P.Style &= ~(kLeftText | kLeft | kRight | kTop | kBottom);
    P.Style |= kVCentre;
    if (AsButton) P.Style |= kPushLike | kCentre;
    if (AlignButton == taRightJustify)
        P.Style |= kLeftText | kLeft;
    else
        P.Style |= kRight;
    if (WordWrap) P.Style |= kMultiLine;
    if (AsButton && ButtonSunk) P.ExStyle |= WS_EX_CLIENTEDGE;
    P.Style |= kBitmap;
}

TRect TQELCaptionImage::CaptionRect(const TRect& Client) const {
    TRect R{Client.Left + 6, Client.Top + InsetY, Client.Right - 6, Client.Bottom - InsetY};
    if (!AsButton) {
        if (AlignButton == taRightJustify)
            R.Right -= MarkRoom;
        else
            R.Left += MarkRoom;
    }
    return R;
}

unsigned TQELCaptionImage::TextFlags() const {
    unsigned F = WordWrap ? DT_WORDBREAK : DT_SINGLELINE;
    F |= DT_EXPANDTABS;
    if (Alignment == taRightJustify) F |= DT_RIGHT;
    if (Alignment == taCenter) F |= DT_CENTER;
    return F | DT_END_ELLIPSIS | DT_VCENTER;
}

HBITMAP TQELCaptionImage::Render(const TRect& Client, TColor Color, const TFont* Font,
                                 const std::string& Caption) {
    const int W = Client.Right - Client.Left, H = Client.Bottom - Client.Top;
    if (W <= 0 || H <= 0) return 0;
    Image->SetSize(W, H);
    TCanvas& C = *Image->Canvas();
    C.Brush()->SetStyle(bsSolid);
    C.Brush()->SetColor(Color);
    C.FillRect({0, 0, W, H});
    if (Background) Background->DrawTrans(&C, Owner->Width(), Owner->Height(), true, Color);
    // The caption is always written in its enabled look; the mark shows the disabled state.
    Font3D->Write(Font, C.Handle(), CaptionRect(Client), Caption, static_cast<int>(TextFlags()),
                  true);
    return Image->Handle();
}

void TQELCaptionImage::Restyle(bool& Field, bool Value) {
    if (Field == Value) return;
    Field = Value;
    if (Owner->HandleAllocated()) Owner->RecreateWnd();
}

void TQELCaptionImage::Paint(TMessage& M, const std::function<void(TMessage&)>& Inherited) {
    TRect Client;
    GetClientRect(Owner->Handle(), &Client);
    const HBITMAP Bitmap = Render(Client, Owner->Color(), Owner->Font(), Owner->Caption());
    SendMessageA(Owner->Handle(), BM_SETIMAGE, IMAGE_BITMAP, static_cast<LPARAM>(Bitmap));
    Inherited(M);
}

// ---- TQELCheckbox ----

static void DescribeCheckbox(TClassBuilder<TQELCheckbox>& B) {
    DescribeBPButton(B);
}
QEL_IMPLEMENT_CLASS(TQELCheckbox, TCheckBox, DescribeCheckbox)

TQELCheckbox::TQELCheckbox(TComponent* AOwner)
    : TCheckBox(AOwner), FImage(this, kCheckInsetY, kCheckMarkRoom) {
    SetBounds(Left(), Top(), 120, 22);
    SetControlStyle(ControlStyle() + TControlStyle{csSetCaption});
}

TQELCheckbox::~TQELCheckbox() = default;

void TQELCheckbox::CreateParams(TCreateParams& P) {
    TCheckBox::CreateParams(P);
    FImage.ApplyParams(P);
}

void TQELCheckbox::SetAlign(TAlignment Value) {
    if (Value == FImage.Alignment) return;
    FImage.Alignment = Value;
    Invalidate();
}

void TQELCheckbox::SetText(const std::string& Value) {
    if (Value != Caption()) TControl::SetText(Value);
    Invalidate();
}

void TQELCheckbox::Set3D(TQELFont3D* Value) {
    if (Value != FImage.Font3D.get()) FImage.Font3D->Assign(Value);
    Invalidate();
}

void TQELCheckbox::SetWordWrap(bool Value) {
    if (Value == FImage.WordWrap) return;
    FImage.WordWrap = Value;
    Invalidate();
}

void TQELCheckbox::SetBack(TQELBackground* Value) {
    FImage.Background.Set(Value);
}

void TQELCheckbox::SetAsButton(bool Value) {
    FImage.Restyle(FImage.AsButton, Value);
}

void TQELCheckbox::SetFlat(bool Value) {
    FImage.Restyle(FImage.ButtonSunk, Value);
}

void TQELCheckbox::SetAlignButton(TLeftRight Value) {
    if (Value == FImage.AlignButton) return;
    FImage.AlignButton = Value;
    if (HandleAllocated()) RecreateWnd();
}

void TQELCheckbox::Notification(TComponent* AComponent, TOperation Operation) {
    TCheckBox::Notification(AComponent, Operation);
    FImage.Background.Notification(AComponent, Operation);
}

void TQELCheckbox::WndProc(TMessage& M) {
    if (M.Msg == WM_PAINT) {
        FImage.Paint(M, [this](TMessage& Msg) { TCheckBox::WndProc(Msg); });
        return;
    }
    TCheckBox::WndProc(M);
}

// ---- TQELRadiobutton ----

static void DescribeRadiobutton(TClassBuilder<TQELRadiobutton>& B) {
    DescribeBPButton(B);
}
QEL_IMPLEMENT_CLASS(TQELRadiobutton, TRadioButton, DescribeRadiobutton)

TQELRadiobutton::TQELRadiobutton(TComponent* AOwner)
    : TRadioButton(AOwner), FImage(this, kRadioInsetY, kRadioMarkRoom) {
    SetBounds(Left(), Top(), 120, 22);
    SetControlStyle(ControlStyle() + TControlStyle{csSetCaption});
}

TQELRadiobutton::~TQELRadiobutton() = default;

void TQELRadiobutton::CreateParams(TCreateParams& P) {
    TRadioButton::CreateParams(P);
    FImage.ApplyParams(P);
}

void TQELRadiobutton::SetAlign(TAlignment Value) {
    if (Value == FImage.Alignment) return;
    FImage.Alignment = Value;
    Invalidate();
}

void TQELRadiobutton::SetText(const std::string& Value) {
    if (Value != Caption()) TControl::SetText(Value);
    Invalidate();
}

void TQELRadiobutton::Set3D(TQELFont3D* Value) {
    if (Value != FImage.Font3D.get()) FImage.Font3D->Assign(Value);
    Invalidate();
}

void TQELRadiobutton::SetWordWrap(bool Value) {
    if (Value == FImage.WordWrap) return;
    FImage.WordWrap = Value;
    Invalidate();
}

void TQELRadiobutton::SetBack(TQELBackground* Value) {
    FImage.Background.Set(Value);
}

void TQELRadiobutton::SetAsButton(bool Value) {
    FImage.Restyle(FImage.AsButton, Value);
}

void TQELRadiobutton::SetFlat(bool Value) {
    FImage.Restyle(FImage.ButtonSunk, Value);
}

void TQELRadiobutton::SetAlignButton(TLeftRight Value) {
    if (Value == FImage.AlignButton) return;
    FImage.AlignButton = Value;
    if (HandleAllocated()) RecreateWnd();
}

void TQELRadiobutton::Notification(TComponent* AComponent, TOperation Operation) {
    TRadioButton::Notification(AComponent, Operation);
    FImage.Background.Notification(AComponent, Operation);
}

void TQELRadiobutton::WndProc(TMessage& M) {
    if (M.Msg == WM_PAINT) {
        FImage.Paint(M, [this](TMessage& Msg) { TRadioButton::WndProc(Msg); });
        return;
    }
    TRadioButton::WndProc(M);
}

} // namespace qel
