#include "visual/QELTImageScroller.h"

#include "toolkit/controls/PublishedGroups.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/Font.h"
#include "toolkit/graphics/TextDraw.h"

#include <algorithm>

namespace qel {

namespace {

constexpr int kTextFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE; // hexadecimal 25

void CopyArea(TBitmap& To, const TRect& ToRect, TBitmap& From, int FromX, int FromY) {
    BitBlt(To.Canvas()->Handle(), ToRect.Left, ToRect.Top, ToRect.Width(), ToRect.Height(),
           From.Canvas()->Handle(), FromX, FromY, SRCCOPY);
}

} // namespace

static void DescribeImageScroller(TClassBuilder<TQELImageScroller>& B) {
    using T = TQELImageScroller;
    B.Publish("Width").SetDefault(100);
    B.Publish("Height").SetDefault(100);
    B.Publish("Align");
    B.Bool("ParentColor", &T::ParentColor, &T::SetParentColor).SetDefault(true);
    B.Color("Color", &T::GetColor, &T::SetColor).SetDefault(clWindow);
    B.Publish("Font").AlwaysStored();
    B.Bool("Scrolling", &T::Scrolling, &T::SetScrolling).NoDefault();
    B.String("Text", &T::Text, &T::SetText).NoDefault();
    B.Object("Bitmap", &T::Bitmap, &T::SetBitmap);
    B.Bool("AutoSize", &T::AutoSize, &T::SetAutoSize).SetDefault(false);
    B.Enum("ScrollDirection", &T::ScrollDirection, &T::SetScrollDirection).SetDefault(kHorizontal);
    B.Integer("ScrollInterval", &T::ScrollInterval, &T::SetScrollInterval).SetDefault(50);
    B.Integer("ScrollStep", &T::ScrollStep, &T::SetScrollStep).SetDefault(1);
    B.Bool("ScrollInverse", &T::ScrollInverse, &T::SetScrollInverse).SetDefault(false);
    B.Object("Font3D", &T::Font3D, &T::Set3D);
    B.Publish("Visible");
    PublishShowHint(B);
    B.Bool("ParentCenter", &T::ParentCenter, &T::SetParentCenter).SetDefault(false);
    B.Integer("TextWindowLeft", &T::TextWindowLeft, &T::SetTextWindowLeft).SetDefault(10);
    B.Integer("TextWindowTop", &T::TextWindowTop, &T::SetTextWindowTop).SetDefault(10);
    B.Bool("TextToCenter", &T::TextToCenter, &T::SetTextToCenter).SetDefault(true);
    B.Publish({"PopupMenu", "OnClick", "OnDblClick", "OnDragDrop", "OnDragOver", "OnEndDrag",
               "OnMouseDown", "OnMouseMove", "OnMouseUp"});
}
QEL_IMPLEMENT_CLASS(TQELImageScroller, TQELGraphicControl, DescribeImageScroller)

TQELImageScroller::TQELImageScroller(TComponent* AOwner)
    : TQELGraphicControl(AOwner), FFont3D(std::make_unique<TQELFont3D>(this)),
      FPicture(std::make_unique<TBitmap>()), FTimer(std::make_unique<TQELTimer32>(nullptr)) {
    SetControlStyle(ControlStyle() + TControlStyle{csFramed, csOpaque});
    SetBounds(Left(), Top(), 100, 100);
    FTimer->OnTimer = [this](TObject* Sender) { MoveImage(Sender); };
    FTimer->SetInterval(static_cast<std::uint16_t>(FScrollInterval));
    FTimer->SetEnabled(FScrolling);
}

TQELImageScroller::~TQELImageScroller() {
    // No tick may reach a half-destroyed scroller.
    FTimer.reset();
}

// ---- colour ----

TColor TQELImageScroller::GetColor() const {
    if (!FParentColor) return FOwnColor;
    if (Parent() && Parent()->Color() != FOwnColor) FOwnColor = Parent()->Color();
    return FOwnColor;
}

void TQELImageScroller::SetColor(TColor Value) {
    if (Value == FOwnColor) return;
    FOwnColor = Value;
    SetParentColor(false);
    SetTextBitmap();
    Invalidate();
}

void TQELImageScroller::SetParentColor(bool Value) {
    if (Value == FParentColor) return;
    FParentColor = Value;
    if (Value && Parent()) SetColor(Parent()->Color());
}

// ---- content ----

void TQELImageScroller::SetText(const std::string& Value) {
    TQELGraphicControl::SetText(Value);
    if (FTextToCenter) SetTextToCenter(true);
    SetTextBitmap();
    Invalidate();
}

void TQELImageScroller::SetBitmap(TBitmap* Value) {
    if (Value != FPicture.get()) FPicture->Assign(Value);
    IniMemoryBmp();
    Repaint();
}

void TQELImageScroller::Set3D(TQELFont3D* Value) {
    if (Value != FFont3D.get()) FFont3D->Assign(Value);
    SetTextBitmap();
    Invalidate();
}

void TQELImageScroller::SetTextBitmap() {
    const int W = std::max(0, Width()), H = std::max(0, Height());
    FTextBitmap.SetSize(W, H);
    TCanvas* C = FTextBitmap.Canvas();
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(GetColor());
    C->FillRect(Rect(0, 0, W, H));
    FFont3D->Write(Font(), C->Handle(), Rect(0, 0, W, H), Text(), kTextFormat, Enabled());
    IniTextMemoryBmp();
}

void TQELImageScroller::IniTextMemoryBmp() {
    if (FTextMode && FTextBitmap.Empty()) {
        // Shrunk to nothing: no strip is left to scroll.
        FMemory.SetSize(0, 0);
        FMemoryWidth = FMemoryHeight = 0;
    }
    if (FTextBitmap.Empty() || Text().empty()) return;
    FTextMode = true;
    FPictureMode = false;
    if (FAutoSize && Align() == alNone && !FBuilding) {
        FBuilding = true;
        SetBounds(Left(), Top(), FTextBitmap.Width(), FTextBitmap.Height());
        FBuilding = false;
    }
    FMemory.Assign(&FTextBitmap);
    FMemoryWidth = FMemory.Width();
    FMemoryHeight = FMemory.Height();
}

void TQELImageScroller::IniMemoryBmp() {
    if (FPicture->Empty()) return;
    const int BW = FPicture->Width(), BH = FPicture->Height();
    FPictureMode = true;
    FTextMode = false;
    if (FAutoSize && Align() == alNone && !FBuilding) {
        FBuilding = true;
        SetBounds(Left(), Top(), BW, BH);
        FBuilding = false;
    }
    // Whole tiles, at least one, covering the control.
    const int W = Width(), H = Height();
    const int Columns = std::max(1, (W + BW - 1) / BW), Rows = std::max(1, (H + BH - 1) / BH);
    FMemory.SetSize(Columns * BW, Rows * BH);
    for (int Row = 0; Row < Rows; ++Row)
        for (int Col = 0; Col < Columns; ++Col)
            CopyArea(FMemory, Bounds(Col * BW, Row * BH, BW, BH), *FPicture, 0, 0);
    FMemoryWidth = FMemory.Width();
    FMemoryHeight = FMemory.Height();
}

void TQELImageScroller::Loaded() {
    TQELGraphicControl::Loaded();
    if (FTextToCenter && !Text().empty()) SetTextToCenter(true);
    if (!Text().empty()) SetTextBitmap();
    // Last, so that a picture wins over a text.
    if (!FPicture->Empty()) IniMemoryBmp();
}

void TQELImageScroller::FontChanged() {
    TQELGraphicControl::FontChanged();
    if (Text().empty()) return;
    if (FTextToCenter) SetTextToCenter(true);
    SetTextBitmap();
    Invalidate();
}

// A strip built for a smaller control would leave part of the new size uncovered.
void TQELImageScroller::BoundsChanged() {
    TQELGraphicControl::BoundsChanged();
    if (FBuilding || IsLoading()) return;
    if (FPictureMode && !FPicture->Empty())
        IniMemoryBmp();
    else if (FTextMode)
        SetTextBitmap();
}

// ---- scrolling ----

void TQELImageScroller::SetScrolling(bool Value) {
    if (Value == FScrolling) return;
    FScrolling = Value;
    FTimer->SetEnabled(Value);
}

void TQELImageScroller::SetScrollInterval(int Value) {
    if (Value == FScrollInterval) return;
    FScrollInterval = Value;
    // The timer counts in 16 bits.
    FTimer->SetInterval(static_cast<std::uint16_t>(Value));
}

void TQELImageScroller::SetScrollDirection(TQELKind Value) {
    if (Value == FScrollDirection) return;
    FScrollDirection = Value;
    FScrollX = FScrollY = 0;
    Repaint();
}

void TQELImageScroller::SetAutoSize(bool Value) {
    if (Value == FAutoSize) return;
    FAutoSize = Value;
    IniMemoryBmp();
    Invalidate();
}

void TQELImageScroller::MoveImage(TObject*) {
    if (FPicture->Empty() && Text().empty()) return;
    const bool Horizontal = FScrollDirection == kHorizontal;
    const int M = Horizontal ? FMemoryWidth : FMemoryHeight;
    // Nothing built yet (or a control of no size): there is no strip to wrap around.
    if (M <= 0) return;
    int& S = Horizontal ? FScrollX : FScrollY;
    if (!FScrollInverse) {
        S += FScrollStep;
        while (S > M)
            S -= M;
    } else {
        S -= FScrollStep;
        while (S < 0)
            S += M;
    }
    Repaint();
}

// ---- placement and text position ----

void TQELImageScroller::SetParentCenter(bool Value) {
    if (Value == FParentCenter) return;
    FParentCenter = Value;
    if (!Value || !Parent()) return;
    const int CW = Parent()->ClientWidth(), CH = Parent()->ClientHeight();
    if (CW >= Width()) SetLeft((CW - Width()) / 2);
    if (CH >= Height()) SetTop((CH - Height()) / 2);
}

void TQELImageScroller::SetTextWindowLeft(int Value) {
    if (Value == FTextWindowLeft || Value < 0) return;
    FTextWindowLeft = Value;
    FTextToCenter = false;
    SetTextBitmap();
    Invalidate();
}

void TQELImageScroller::SetTextWindowTop(int Value) {
    if (Value == FTextWindowTop || Value < 0) return;
    FTextWindowTop = Value;
    FTextToCenter = false;
    SetTextBitmap();
    Invalidate();
}

void TQELImageScroller::SetTextToCenter(bool Value) {
    FTextToCenter = Value;
    if (Text().empty()) return;
    // Measured off screen: the control may not have a parent to draw on yet.
    TBitmap Probe;
    Probe.SetSize(1, 1);
    Probe.Canvas()->Font()->Assign(Font());
    const TSize Size = Probe.Canvas()->TextExtent(Text());
    if (Width() >= Size.cx) FTextWindowLeft = (Width() - Size.cx) / 2;
    if (Height() >= Size.cy) FTextWindowTop = (Height() - Size.cy) / 2;
}

// ---- painting ----

void TQELImageScroller::ComposeFrame() {
    const int W = Width(), H = Height();
    if (FFrame.Width() != W || FFrame.Height() != H) FFrame.SetSize(W, H);
    if (FScrollDirection == kHorizontal) {
        const int X = FScrollX, Rest = FMemoryWidth - X;
        if (Rest >= W) {
            CopyArea(FFrame, Rect(0, 0, W, H), FMemory, X, 0);
        } else {
            CopyArea(FFrame, Rect(0, 0, Rest, H), FMemory, X, 0);
            CopyArea(FFrame, Rect(Rest, 0, W, H), FMemory, 0, 0);
        }
    } else {
        const int Y = FScrollY, Rest = FMemoryHeight - Y;
        if (Rest >= H) {
            CopyArea(FFrame, Rect(0, 0, W, H), FMemory, 0, Y);
        } else {
            CopyArea(FFrame, Rect(0, 0, W, Rest), FMemory, 0, Y);
            CopyArea(FFrame, Rect(0, Rest, W, H), FMemory, 0, 0);
        }
    }
}

void TQELImageScroller::Paint() {
    if (FPicture->Empty() && Text().empty()) return;
    const bool Designing = IsDesigning();
    if (((!FTextMode && FPicture->Empty()) || Designing) && !Text().empty()) {
        if (FTextToCenter) SetTextToCenter(true);
        SetTextBitmap();
    }
    if ((!FPictureMode || Designing) && !FPicture->Empty()) IniMemoryBmp();
    const int W = Width(), H = Height();
    if (W <= 0 || H <= 0 || FMemory.Empty()) return;
    ComposeFrame();
    BitBlt(Canvas()->Handle(), 0, 0, W, H, FFrame.Canvas()->Handle(), 0, 0, SRCCOPY);
}

} // namespace qel
