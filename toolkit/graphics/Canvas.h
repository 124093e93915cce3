#pragma once
// TCanvas: drawing with pen, brush and font objects on a device context. The canvas selects its
// objects into the DC lazily, just before a call that needs them, and re-selects one after it
// changes. Subclasses supply the DC by overriding CreateHandle (bitmaps, controls); a plain
// canvas draws on whatever DC is set with SetHandle.
//
// Every drawing call fires OnChanging before and OnChange after it draws, so an owner (a
// bitmap) knows its image changed.
#include "toolkit/core/Event.h"
#include "toolkit/core/Export.h"
#include "toolkit/core/Persistent.h"
#include "toolkit/graphics/Brush.h"
#include "toolkit/graphics/Colors.h"
#include "toolkit/graphics/Pen.h"
#include "toolkit/graphics/RasterTypes.h"
#include "toolkit/graphics/Windows.h"

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

class TFont;
class TGraphic;
class TBitmap;

using TCopyMode = DWORD;
constexpr TCopyMode cmBlackness = BLACKNESS;
constexpr TCopyMode cmDstInvert = DSTINVERT;
constexpr TCopyMode cmMergeCopy = MERGECOPY;
constexpr TCopyMode cmMergePaint = MERGEPAINT;
constexpr TCopyMode cmNotSrcCopy = NOTSRCCOPY;
constexpr TCopyMode cmNotSrcErase = NOTSRCERASE;
constexpr TCopyMode cmPatCopy = PATCOPY;
constexpr TCopyMode cmPatInvert = PATINVERT;
constexpr TCopyMode cmPatPaint = PATPAINT;
constexpr TCopyMode cmSrcAnd = SRCAND;
constexpr TCopyMode cmSrcCopy = SRCCOPY;
constexpr TCopyMode cmSrcErase = SRCERASE;
constexpr TCopyMode cmSrcInvert = SRCINVERT;
constexpr TCopyMode cmSrcPaint = SRCPAINT;
constexpr TCopyMode cmWhiteness = WHITENESS;

class TCanvas : public TPersistent {
    QEL_CLASS(TCanvas, TPersistent)
  public:
    TCanvas();
    ~TCanvas() override;

    // The DC; asks CreateHandle for one when there is none. Throws EInvalidOperation when
    // the canvas cannot get one ("Canvas does not allow drawing").
    HDC Handle();
    void SetHandle(HDC Value);
    bool HandleAllocated() const { return FHandle != 0; }

    TPen* Pen() const { return FPen.get(); }
    TBrush* Brush() const { return FBrush.get(); }
    TFont* Font() const { return FFont.get(); }
    // Copy the given object's settings into the canvas's own (the object is not taken over).
    void SetPen(const TPen* Value);
    void SetBrush(const TBrush* Value);
    void SetFont(const TFont* Value);

    TCopyMode CopyMode() const { return FCopyMode; }
    void SetCopyMode(TCopyMode Value) { FCopyMode = Value; }
    TPoint PenPos();
    void SetPenPos(TPoint Value);
    // The clip box of the DC in logical coordinates.
    TRect ClipRect();

    TColor Pixels(int X, int Y);
    void SetPixels(int X, int Y, TColor Value);

    void MoveTo(int X, int Y);
    void LineTo(int X, int Y);
    void Polyline(const std::vector<TPoint>& Points);
    void Polygon(const std::vector<TPoint>& Points);
    void Rectangle(int X1, int Y1, int X2, int Y2);
    void Rectangle(const TRect& R) { Rectangle(R.Left, R.Top, R.Right, R.Bottom); }
    void RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3);
    void Ellipse(int X1, int Y1, int X2, int Y2);
    void Ellipse(const TRect& R) { Ellipse(R.Left, R.Top, R.Right, R.Bottom); }
    void Arc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
    void Pie(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
    void Chord(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
    void FillRect(const TRect& R);
    void FrameRect(const TRect& R);
    void DrawFocusRect(const TRect& R);

    void TextOut(int X, int Y, std::string_view Text);
    void TextRect(const TRect& R, int X, int Y, std::string_view Text);
    TSize TextExtent(std::string_view Text);
    int TextWidth(std::string_view Text) { return TextExtent(Text).cx; }
    int TextHeight(std::string_view Text) { return TextExtent(Text).cy; }

    // Graphics draw themselves through TGraphic::Draw; empty or null graphics draw nothing.
    void Draw(int X, int Y, const TGraphic* Graphic);
    void StretchDraw(const TRect& R, const TGraphic* Graphic);
    // Copies Source of Canvas into Dest of this canvas with CopyMode (stretching as needed).
    void CopyRect(const TRect& Dest, TCanvas& Canvas, const TRect& Source);
    // Copies Source of Bitmap into Dest with every pixel of colour Color replaced by this
    // canvas's brush.
    void BrushCopy(const TRect& Dest, TBitmap* Bitmap, const TRect& Source, TColor Color);

    // Serialises drawing from several threads on one canvas.
    void Lock();
    bool TryLock();
    void Unlock();
    int LockCount() const { return FLockCount; }

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

  protected:
    virtual void CreateHandle() {}
    virtual void Changing();
    virtual void Changed();

    enum TState : unsigned { csHandleValid = 1, csFontValid = 2, csPenValid = 4, csBrushValid = 8 };
    // Makes sure the DC exists and has the listed objects selected.
    void RequiredState(unsigned Req);
    // Puts the stock objects back into the DC so the canvas's own handles can be freed.
    void DeselectHandles();

  private:
    void FontChanged();
    void PenChanged();
    void BrushChanged();

    HDC FHandle = 0;
    unsigned FState = 0;
    std::unique_ptr<TPen> FPen;
    std::unique_ptr<TBrush> FBrush;
    std::unique_ptr<TFont> FFont;
    TCopyMode FCopyMode = cmSrcCopy;
    TPoint FPenPos;
    std::recursive_mutex FLock;
    int FLockCount = 0;
};

// Lends a canvas a device context for a scope (a paint, an owner-drawn item), locked against
// drawing from other threads; the context it had before comes back in every case.
class TCanvasDCScope {
  public:
    TCanvasDCScope(TCanvas& C, HDC DC) : C_(C) {
        C_.Lock();
        Old_ = C_.HandleAllocated() ? C_.Handle() : 0;
        C_.SetHandle(DC);
    }
    ~TCanvasDCScope() {
        C_.SetHandle(Old_);
        C_.Unlock();
    }
    TCanvasDCScope(const TCanvasDCScope&) = delete;
    TCanvasDCScope& operator=(const TCanvasDCScope&) = delete;

  private:
    TCanvas& C_;
    HDC Old_ = 0;
};

// Draws Width rings of a bevel inside Rect: top and left in TopColor, right and bottom in
// BottomColor, each line leaving out its end point, and shrinks Rect by one per ring. Uses
// the canvas pen, whose width becomes 1 and whose colour stays BottomColor.
void Frame3D(TCanvas& Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width);

} // namespace qel

QEL_PUBLIC_END
