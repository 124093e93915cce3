#include "toolkit/graphics/Canvas.h"

#include "toolkit/core/Exceptions.h"
#include "toolkit/graphics/Bitmap.h"
#include "toolkit/graphics/Font.h"
#include "toolkit/graphics/Graphic.h"

namespace qel {

QEL_IMPLEMENT_CLASS(TCanvas, TPersistent, NoProperties<TCanvas>)

TCanvas::TCanvas()
    : FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>()),
      FFont(std::make_unique<TFont>()) {
    FPen->OnChange = [this](TObject*) { PenChanged(); };
    FBrush->OnChange = [this](TObject*) { BrushChanged(); };
    FFont->OnChange = [this](TObject*) { FontChanged(); };
}

TCanvas::~TCanvas() {
    // The DC belongs to whoever set it; only take the canvas's objects out of it.
    if (FHandle) DeselectHandles();
    FPen->OnChange = nullptr;
    FBrush->OnChange = nullptr;
    FFont->OnChange = nullptr;
}

HDC TCanvas::Handle() {
    RequiredState(csHandleValid);
    return FHandle;
}

void TCanvas::SetHandle(HDC Value) {
    if (FHandle == Value) return;
    if (FHandle) {
        DeselectHandles();
        TPoint P;
        if (GetCurrentPositionEx(FHandle, &P)) FPenPos = P;
        FHandle = 0;
        FState &= ~csHandleValid;
    }
    if (Value) {
        FState |= csHandleValid;
        FHandle = Value;
        MoveToEx(FHandle, FPenPos.X, FPenPos.Y, nullptr);
    }
}

void TCanvas::DeselectHandles() {
    if (FHandle && (FState & (csPenValid | csBrushValid | csFontValid))) {
        SelectObject(FHandle, GetStockObject(BLACK_PEN));
        SelectObject(FHandle, GetStockObject(HOLLOW_BRUSH));
        SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
    }
    FState &= ~(csPenValid | csBrushValid | csFontValid);
}

void TCanvas::RequiredState(unsigned Req) {
    const unsigned Need = Req & ~FState;
    if (!Need) return;
    if (Need & csHandleValid) {
        CreateHandle();
        if (!FHandle) throw EInvalidOperation("Canvas does not allow drawing");
        FState |= csHandleValid;
    }
    if (Need & csFontValid) {
        SelectObject(FHandle, FFont->Handle());
        SetTextColor(FHandle, ColorToRGB(FFont->Color()));
        FState |= csFontValid;
    }
    if (Need & csPenValid) {
        SelectObject(FHandle, FPen->Handle());
        SetROP2(FHandle, PenModeToRop2(FPen->Mode()));
        FState |= csPenValid;
    }
    if (Need & csBrushValid) {
        UnrealizeObject(FBrush->Handle());
        SelectObject(FHandle, FBrush->Handle());
        if (FBrush->Style() == bsSolid) {
            SetBkColor(FHandle, ColorToRGB(FBrush->Color()));
            SetBkMode(FHandle, OPAQUE);
        } else {
            // Hatches draw only their lines; the background colour is kept away from the
            // brush colour in case anything reads it.
            SetBkColor(FHandle, ~ColorToRGB(FBrush->Color()) & 0xFFFFFF);
            SetBkMode(FHandle, TRANSPARENT);
        }
        FState |= csBrushValid;
    }
}

void TCanvas::FontChanged() {
    if (FState & csFontValid) {
        FState &= ~csFontValid;
        SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
    }
}

void TCanvas::PenChanged() {
    if (FState & csPenValid) {
        FState &= ~csPenValid;
        SelectObject(FHandle, GetStockObject(BLACK_PEN));
    }
}

void TCanvas::BrushChanged() {
    if (FState & csBrushValid) {
        FState &= ~csBrushValid;
        SelectObject(FHandle, GetStockObject(HOLLOW_BRUSH));
    }
}

void TCanvas::SetPen(const TPen* Value) {
    FPen->Assign(Value);
}
void TCanvas::SetBrush(const TBrush* Value) {
    FBrush->Assign(Value);
}
void TCanvas::SetFont(const TFont* Value) {
    FFont->Assign(Value);
}

void TCanvas::Changing() {
    if (OnChanging) OnChanging(this);
}

void TCanvas::Changed() {
    if (OnChange) OnChange(this);
}

TPoint TCanvas::PenPos() {
    RequiredState(csHandleValid);
    TPoint P;
    GetCurrentPositionEx(FHandle, &P);
    return P;
}

void TCanvas::SetPenPos(TPoint Value) {
    MoveTo(Value.X, Value.Y);
}

TRect TCanvas::ClipRect() {
    RequiredState(csHandleValid);
    TRect R;
    GetClipBox(FHandle, &R);
    return R;
}

TColor TCanvas::Pixels(int X, int Y) {
    RequiredState(csHandleValid);
    return GetPixel(FHandle, X, Y);
}

void TCanvas::SetPixels(int X, int Y, TColor Value) {
    Changing();
    RequiredState(csHandleValid | csPenValid);
    SetPixel(FHandle, X, Y, ColorToRGB(Value));
    Changed();
}

void TCanvas::MoveTo(int X, int Y) {
    RequiredState(csHandleValid);
    MoveToEx(FHandle, X, Y, nullptr);
}

void TCanvas::LineTo(int X, int Y) {
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    qel::LineTo(FHandle, X, Y);
    Changed();
}

void TCanvas::Polyline(const std::vector<TPoint>& Points) {
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    qel::Polyline(FHandle, Points.data(), static_cast<int>(Points.size()));
    Changed();
}

void TCanvas::Polygon(const std::vector<TPoint>& Points) {
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    qel::Polygon(FHandle, Points.data(), static_cast<int>(Points.size()));
    Changed();
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    qel::Rectangle(FHandle, X1, Y1, X2, Y2);
    Changed();
}

void TCanvas::RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3) {
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    qel::RoundRect(FHandle, X1, Y1, X2, Y2, X3, Y3);
    Changed();
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    qel::Ellipse(FHandle, X1, Y1, X2, Y2);
    Changed();
}

void TCanvas::Arc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    qel::Arc(FHandle, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
    Changed();
}

void TCanvas::Pie(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    qel::Pie(FHandle, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
    Changed();
}

void TCanvas::Chord(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    qel::Chord(FHandle, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
    Changed();
}

void TCanvas::FillRect(const TRect& R) {
    Changing();
    RequiredState(csHandleValid | csBrushValid);
    qel::FillRect(FHandle, &R, FBrush->Handle());
    Changed();
}

void TCanvas::FrameRect(const TRect& R) {
    Changing();
    RequiredState(csHandleValid | csBrushValid);
    qel::FrameRect(FHandle, &R, FBrush->Handle());
    Changed();
}

void TCanvas::DrawFocusRect(const TRect& R) {
    Changing();
    RequiredState(csHandleValid | csBrushValid);
    qel::DrawFocusRect(FHandle, &R);
    Changed();
}

void TCanvas::TextOut(int X, int Y, std::string_view Text) {
    Changing();
    RequiredState(csHandleValid | csFontValid | csBrushValid);
    ExtTextOutA(FHandle, X, Y, 0, nullptr, Text.data(), static_cast<UINT>(Text.size()), nullptr);
    MoveTo(X + TextWidth(Text), Y);
    Changed();
}

void TCanvas::TextRect(const TRect& R, int X, int Y, std::string_view Text) {
    Changing();
    RequiredState(csHandleValid | csFontValid | csBrushValid);
    UINT Options = ETO_CLIPPED;
    if (FBrush->Style() != bsClear) Options |= ETO_OPAQUE;
    ExtTextOutA(FHandle, X, Y, Options, &R, Text.data(), static_cast<UINT>(Text.size()), nullptr);
    Changed();
}

TSize TCanvas::TextExtent(std::string_view Text) {
    RequiredState(csHandleValid | csFontValid);
    TSize S;
    GetTextExtentPoint32A(FHandle, Text.data(), static_cast<int>(Text.size()), &S);
    return S;
}

void TCanvas::Draw(int X, int Y, const TGraphic* Graphic) {
    if (!Graphic || Graphic->Empty()) return;
    Changing();
    RequiredState(csHandleValid);
    Graphic->Draw(*this, TRect{X, Y, X + Graphic->Width(), Y + Graphic->Height()});
    Changed();
}

void TCanvas::StretchDraw(const TRect& R, const TGraphic* Graphic) {
    if (!Graphic || Graphic->Empty()) return;
    Changing();
    RequiredState(csHandleValid);
    Graphic->Draw(*this, R);
    Changed();
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas& Canvas, const TRect& Source) {
    Changing();
    RequiredState(csHandleValid | csFontValid | csBrushValid);
    Canvas.RequiredState(csHandleValid | csBrushValid);
    StretchBlt(FHandle, Dest.Left, Dest.Top, Dest.Width(), Dest.Height(), Canvas.FHandle,
               Source.Left, Source.Top, Source.Width(), Source.Height(), FCopyMode);
    Changed();
}

void TCanvas::BrushCopy(const TRect& Dest, TBitmap* Bitmap, const TRect& Source, TColor Color) {
    if (!Bitmap || Bitmap->Empty()) return;
    Changing();
    RequiredState(csHandleValid | csBrushValid);
    const int Sw = Source.Width(), Sh = Source.Height();
    const int Dw = Dest.Width(), Dh = Dest.Height();
    HDC Src = CreateCompatibleDC(0);
    HGDIOBJ OldSrc = SelectObject(Src, Bitmap->Handle());
    // Mask: white where the bitmap has Color.
    HDC MaskDC = CreateCompatibleDC(0);
    HBITMAP Mask = CreateBitmap(Sw > 0 ? Sw : 0, Sh > 0 ? Sh : 0, 1, 1, nullptr);
    HGDIOBJ OldMask = SelectObject(MaskDC, Mask);
    SetBkColor(Src, ColorToRGB(Color));
    BitBlt(MaskDC, 0, 0, Sw, Sh, Src, Source.Left, Source.Top, SRCCOPY);
    // The picture, then the brush wherever the mask is white (mask 1 -> white through the
    // mono -> colour rule with a white background and black text colour).
    StretchBlt(FHandle, Dest.Left, Dest.Top, Dw, Dh, Src, Source.Left, Source.Top, Sw, Sh, SRCCOPY);
    const COLORREF OldText = SetTextColor(FHandle, 0);
    const COLORREF OldBk = SetBkColor(FHandle, 0xFFFFFF);
    const int OldMode = SetStretchBltMode(FHandle, COLORONCOLOR);
    StretchBlt(FHandle, Dest.Left, Dest.Top, Dw, Dh, MaskDC, 0, 0, Sw, Sh, Rop3(0xE2));
    SetStretchBltMode(FHandle, OldMode);
    SetTextColor(FHandle, OldText);
    SetBkColor(FHandle, OldBk);
    SelectObject(MaskDC, OldMask);
    DeleteObject(Mask);
    DeleteDC(MaskDC);
    SelectObject(Src, OldSrc);
    DeleteDC(Src);
    Changed();
}

void TCanvas::Lock() {
    FLock.lock();
    ++FLockCount;
}

bool TCanvas::TryLock() {
    if (!FLock.try_lock()) return false;
    ++FLockCount;
    return true;
}

void TCanvas::Unlock() {
    --FLockCount;
    FLock.unlock();
}

void Frame3D(TCanvas& Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width) {
    Canvas.Pen()->SetWidth(1);
    --Rect.Bottom;
    --Rect.Right;
    while (Width > 0) {
        --Width;
        const TPoint TopRight{Rect.Right, Rect.Top};
        TPoint BottomLeft{Rect.Left, Rect.Bottom};
        Canvas.Pen()->SetColor(TopColor);
        Canvas.Polyline({BottomLeft, Rect.TopLeft(), TopRight});
        Canvas.Pen()->SetColor(BottomColor);
        --BottomLeft.X;
        Canvas.Polyline({TopRight, Rect.BottomRight(), BottomLeft});
        InflateRect(&Rect, -1, -1);
    }
    ++Rect.Bottom;
    ++Rect.Right;
}

} // namespace qel
