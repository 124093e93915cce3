#include "visual/QELTOfficeButton.h"

#include "toolkit/controls/PublishedGroups.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/Font.h"
#include "toolkit/graphics/TextDraw.h"

namespace qel {

namespace {

constexpr TColor kSilver = 0xC0C0C0;
constexpr TColor kGrey = 0x808080;
constexpr TColor kFaceYellow = 0xA4FFFF; // red 255, green 255, blue 164
constexpr TColor kMaskRed = 0x0000FF;
constexpr int kCaptionFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;

struct TOffset {
    int Dx, Dy;
};
constexpr TOffset kUpperRim[] = {{8, 2}, {4, 1}, {5, 1}, {6, 1}, {7, 1}, {3, 2},
                                 {2, 3}, {1, 4}, {1, 5}, {1, 6}, {1, 7}, {2, 8}};
constexpr TOffset kLowerRim[] = {{9, 3}, {10, 4}, {10, 5}, {10, 6}, {10, 7}, {9, 8},
                                 {8, 9}, {4, 10}, {5, 10}, {6, 10}, {7, 10}, {3, 9}};
constexpr TOffset kHighlight[] = {{4, 3}, {3, 4}, {4, 4}, {5, 4}, {4, 5}};

bool AnyMouseButtonDown() {
    return GetKeyState(VK_LBUTTON) < 0 || GetKeyState(VK_RBUTTON) < 0 ||
           GetKeyState(VK_MBUTTON) < 0;
}

} // namespace

void DrawLed(TCanvas* Canvas, int X, int Y, TColor Color) {
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(Color);
    Canvas->Pen()->SetColor(Color);
    Canvas->Ellipse(X + 1, Y + 1, X + 11, Y + 11);
    for (const TOffset& O : kUpperRim)
        Canvas->SetPixels(X + O.Dx, Y + O.Dy, kSilver);
    for (const TOffset& O : kLowerRim)
        Canvas->SetPixels(X + O.Dx, Y + O.Dy, kGrey);
    for (const TOffset& O : kHighlight)
        Canvas->SetPixels(X + O.Dx, Y + O.Dy, kSilver);
}

static void DescribeOfficeButton(TClassBuilder<TQELOfficeButton>& B) {
    using T = TQELOfficeButton;
    B.String("Caption", &T::getcaption, &T::Setcaption);
    B.Color("BorderColor", &T::BorderColor, &T::SetBorderColor).SetDefault(clBlack);
    B.Publish("Font").AlwaysStored();
    B.Color("LedNormal", &T::LedNormal, &T::Setnorm);
    B.Color("LedIn", &T::LedIn, &T::SetLedIn);
    B.Color("LedOut", &T::LedOut, &T::SetLedOut);
    B.Integer("RoundSize", &T::RoundSize, &T::SetRoundSize).SetDefault(20);
    B.Object("Font3D", &T::Font3D, &T::Set3D);
    B.Component("Background", &T::Background, &T::SetBack);
    B.Publish({"Enabled", "ShowHint", "Visible", "OnClick", "OnDblClick", "OnMouseDown",
               "OnMouseMove", "OnMouseUp"});
}
QEL_IMPLEMENT_CLASS(TQELOfficeButton, TQELGraphicControl, DescribeOfficeButton)

TQELOfficeButton::TQELOfficeButton(TComponent* AOwner)
    : TQELGraphicControl(AOwner), FFont3D(std::make_unique<TQELFont3D>(this)) {
    SetControlStyle(TControlStyle{csCaptureMouse, csClickEvents, csSetCaption});
    SetBounds(Left(), Top(), 130, 25);
}

TQELOfficeButton::~TQELOfficeButton() = default;

// ---- setters ----

void TQELOfficeButton::Setcaption(const std::string& Value) {
    if (Value != Caption()) SetText(Value);
    Invalidate();
}

void TQELOfficeButton::SetBorderColor(TColor Value) {
    FBorderColor = Value;
    Invalidate();
}

void TQELOfficeButton::Setnorm(TColor Value) {
    FLedNormal = Value;
    Invalidate();
}

void TQELOfficeButton::SetRoundSize(int Value) {
    if (Value == FRoundSize) return;
    FRoundSize = Value;
    Invalidate();
}

void TQELOfficeButton::Set3D(TQELFont3D* Value) {
    if (Value != FFont3D.get()) FFont3D->Assign(Value);
    Invalidate();
}

void TQELOfficeButton::SetBack(TQELBackground* Value) {
    FBackground.Set(Value);
}

void TQELOfficeButton::Notification(TComponent* AComponent, TOperation Operation) {
    TQELGraphicControl::Notification(AComponent, Operation);
    FBackground.Notification(AComponent, Operation);
}

// ---- mouse ----

TColor TQELOfficeButton::LedColor() const {
    if (!FInside) return FLedNormal;
    return FPressed ? FLedIn : FLedOut;
}

void TQELOfficeButton::MouseEnter() {
    FInside = true;
    FOff = FPressed ? 1 : 0;
    Paint();
}

void TQELOfficeButton::MouseLeave() {
    FInside = false;
    FOff = 0;
    Paint();
}

void TQELOfficeButton::Release() {
    if (!FPressed) return;
    FPressed = false;
    FOff = 0;
    Paint();
}

void TQELOfficeButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (!FPressed) {
        FPressed = true;
        FOff = 1;
        Paint();
    }
    // The toolkit captures for the left button only; a right press must see its release too.
    if (GetCaptureControl() != this) SetCaptureControl(this);
    TQELGraphicControl::MouseDown(Button, Shift, X, Y);
}

void TQELOfficeButton::MouseMove(TShiftState Shift, int X, int Y) {
    // While a button is held the capture keeps the enter and leave notices away: the position
    // tells.
    if (FPressed && GetCaptureControl() == this) {
        const bool In = X >= 0 && Y >= 0 && X < Width() && Y < Height();
        if (In && !FInside)
            MouseEnter();
        else if (!In && FInside)
            MouseLeave();
    }
    TQELGraphicControl::MouseMove(Shift, X, Y);
}

void TQELOfficeButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    Release();
    if (GetCaptureControl() == this && !AnyMouseButtonDown()) {
        FOwnCaptureChange = true;
        SetCaptureControl(nullptr);
        FOwnCaptureChange = false;
    }
    TQELGraphicControl::MouseUp(Button, Shift, X, Y);
}

void TQELOfficeButton::WndProc(TMessage& M) {
    switch (M.Msg) {
    case CM_MOUSEENTER:
        MouseEnter();
        break;
    case CM_MOUSELEAVE:
        MouseLeave();
        break;
    case WM_CAPTURECHANGED:
        if (!FOwnCaptureChange) Release();
        break;
    default:
        break;
    }
    TQELGraphicControl::WndProc(M);
}

// ---- painting ----

void TQELOfficeButton::Paint() {
    // Mouse notices repaint at once, also before the button is on screen.
    if (!Parent() || !Parent()->HandleAllocated() || !Visible()) return;
    const int W = Width(), H = Height(), R = FRoundSize;
    if (W <= 0 || H <= 0) return;
    TBitmap Face, Mask, Composite;
    Face.SetSize(W, H);
    Mask.SetSize(W, H);
    Composite.SetSize(W, H);
    TCanvas& F = *Face.Canvas();
    TCanvas& K = *Mask.Canvas();
    TCanvas& C = *Composite.Canvas();

    if (FBackground) {
        FBackground->Draw(F.Handle(), W, H, !(FPressed && FInside));
    } else {
        F.Brush()->SetStyle(bsSolid);
        F.Brush()->SetColor(kFaceYellow);
        F.FillRect({0, 0, W, H});
    }
    const int X0 = FOff + 7;
    const int Y0 = (H - 10) / 2 + FOff;
    C.SetFont(Font());

    K.Brush()->SetStyle(bsSolid);
    K.Brush()->SetColor(kMaskRed);
    K.Pen()->SetColor(kMaskRed);
    K.Pen()->SetWidth(1);
    K.RoundRect(3, 3, W - 3, H - 3, R, R);

    F.Brush()->SetStyle(bsClear);
    F.Pen()->SetWidth(1);
    F.Pen()->SetColor(FPressed ? clBtnFace : clBtnHighlight);
    F.RoundRect(2, 2, W - 3, H - 3, R, R);
    F.Pen()->SetColor(FPressed ? clBtnHighlight : clBtnFace);
    F.RoundRect(3, 3, W - 1, H - 1, R, R);

    // Inside the rounded rectangle the face, outside it what is on the screen. The face is cut
    // by the mask itself rather than by a colour key, so that face pixels which happen to have
    // the colour of the cut-away corners do not turn into holes.
    C.CopyRect({0, 0, W, H}, *Canvas(), {0, 0, W, H});
    const TSurface* FS = Face.Surface();
    const TSurface* KS = Mask.Surface();
    TSurface* CS = Composite.Surface();
    const std::uint32_t Red = PixelFromRGB(kMaskRed);
    for (int Y = 0; Y < H; ++Y)
        for (int X = 0; X < W; ++X)
            if (KS->Get(X, Y) == Red) CS->Set(X, Y, FS->Get(X, Y));
    Composite.SetModified(true);

    DrawLed(&C, X0, Y0, LedColor());

    const std::string& Text = Caption();
    if (!Text.empty()) {
        const TSize Size = C.TextExtent(Text);
        const int O = FFont3D->Offset(), Rw = FFont3D->Repetitionwidth();
        const int Cx = (W - Size.cx) / 2 + 7 + FOff;
        const int Cy = (H - Size.cy) / 2 + FOff;
        const TRect Rect{Cx - O - Rw, Cy - O - Rw, Cx + Size.cx + O + Rw, Cy + Size.cy + O + Rw};
        FFont3D->Write(Font(), C.Handle(), Rect, Text, kCaptionFormat, Enabled());
    }

    C.Brush()->SetStyle(bsClear);
    C.Pen()->SetWidth(1);
    C.Pen()->SetColor(FInside ? clBtnHighlight : FBorderColor);
    C.RoundRect(2, 2, W - 2, H - 2, R, R);

    Canvas()->CopyRect({0, 0, W, H}, C, {0, 0, W, H});
}

} // namespace qel
