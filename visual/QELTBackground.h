#pragma once
// The shared background component: a gradient, a texture or a brush pattern painted behind (or
// inside the letters of) any number of client controls, which all repaint when it changes.
#include "toolkit/core/Component.h"
#include "toolkit/core/Export.h"
#include "toolkit/core/List.h"
#include "toolkit/core/Strings.h"
#include "toolkit/graphics/Bitmap.h"
#include "toolkit/graphics/Brush.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/Font.h"
#include "toolkit/graphics/GraphicsObject.h"
#include "visual/QELTBackgroundSteps.h"
#include "visual/QELZoradodo.h"

#include <memory>
#include <string>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

QEL_ENUM_INFO(TQELFillStyle, "Circle", "Horizontal", "Vertical", "LeftBottom", "RoundMiddle",
              "SquareMiddle", "Spectral", "DoppelFlash", "Singleflash", "MiddleHBar", "MiddleVBar",
              "VerticalDoppelBar", "HorizontalDoppelBar")

enum TQELBackStyle { bGradient, bTexture, bSolidcolor, bBrushFillUseCurrent, bBrushFillSolidColor };
QEL_ENUM_INFO(TQELBackStyle, "bGradient", "bTexture", "bSolidcolor", "bBrushFillUseCurrent",
              "bBrushFillSolidColor")

enum TQELImageStyle { isTile, isCenter, isStretched };
QEL_ENUM_INFO(TQELImageStyle, "isTile", "isCenter", "isStretched")

// Begin and end colours, optional colours in between, and one of thirteen fill geometries.
class TQELGradient : public TGraphicsObject {
    QEL_CLASS(TQELGradient, TGraphicsObject)
  public:
    TQELGradient();
    ~TQELGradient() override;
    void Assign(const TPersistent* Source) override;

    TColor BeginColor() const { return FBeginColor; }
    void SetBeginColor(TColor Value);
    TColor EndColor() const { return FEndColor; }
    void SetEndColor(TColor Value);
    TQELFillStyle FillStyle() const { return FFillStyle; }
    void SetStyle(TQELFillStyle Value);
    void SetFillStyle(TQELFillStyle Value) { SetStyle(Value); }
    int ColorCount() const { return FColorCount; }
    // Only 2 … 255 are stored; every call repaints.
    void SetColorCount(int Value);
    TStrings* ColorsInBetween() const { return FColorsInBetween.get(); }
    void SetColorStrings(TStrings* Value);
    void SetColorsInBetween(TStrings* Value) { SetColorStrings(Value); }

    // Paints the gradient into (0, 0, Width, Height) of DC: built whole in a memory bitmap and
    // copied in one transfer. A colour line StringToColor cannot read raises EConvertError and
    // leaves DC untouched.
    void MultiDraw(HDC DC, int Width, int Height, const TStrings* ColorsInBetween, TColor Color,
                   bool Forward) const;
    // The colour list MultiDraw works through, resolved to RGB.
    std::vector<COLORREF> ColorList(const TStrings* ColorsInBetween, bool Forward) const;

  private:
    TColor FBeginColor = clSilver;
    TColor FEndColor = clGray;
    TQELFillStyle FFillStyle = Horizontal;
    int FColorCount = 32;
    std::unique_ptr<TStringList> FColorsInBetween;
};

// A picture tiled, centred or stretched, optionally with one colour shown as another.
class TQELTexture : public TGraphicsObject {
    QEL_CLASS(TQELTexture, TGraphicsObject)
  public:
    TQELTexture();
    ~TQELTexture() override;
    void Assign(const TPersistent* Source) override;

    TBitmap* Image() const { return FImage.get(); }
    void SetImage(TBitmap* Value);
    TQELImageStyle ImageStyle() const { return FImageStyle; }
    void SetImageStyle(TQELImageStyle Value);
    TColor TransparentColor() const { return FTransparentColor; }
    void SetTransparentColor(TColor Value);
    TColor TransparentBackground() const { return FTransparentBackground; }
    void SetTransparentBackground(TColor Value);

    void Draw(HDC DC, int Width, int Height, TColor Color) const;

  private:
    std::unique_ptr<TBitmap> FImage;
    TQELImageStyle FImageStyle = isTile;
    TColor FTransparentColor = clNone;
    TColor FTransparentBackground = clBtnFace;
};

// A hatch or solid brush.
class TQELBrushFill : public TGraphicsObject {
    QEL_CLASS(TQELBrushFill, TGraphicsObject)
  public:
    TQELBrushFill() = default;
    void Assign(const TPersistent* Source) override;

    TBrushStyle BrushStyle() const { return FBrushStyle; }
    void SetBrushStyle(TBrushStyle Value);
    TColor BrushColor() const { return FBrushColor; }
    void SetBrushColor(TColor Value);

  private:
    TBrushStyle FBrushStyle = bsSolid;
    TColor FBrushColor = clBtnFace;
};

struct TQELBackgroundCache;

class TQELBackground : public TComponent {
    QEL_CLASS(TQELBackground, TComponent)
  public:
    explicit TQELBackground(TComponent* AOwner);
    ~TQELBackground() override;

    TQELTexture* Texture() const { return FTexture.get(); }
    void SetTexture(TQELTexture* Value);
    TQELGradient* Gradient() const { return FGradient.get(); }
    void SetGradient(TQELGradient* Value);
    TQELBrushFill* BrushFill() const { return FBrushFill.get(); }
    void SetBrushFill(TQELBrushFill* Value);
    TNotifyEvent OnChanged;
    TColor SolidColor() const { return FSolidColor; }
    void SetSolidColor(TColor Value);
    TQELBackStyle BackgroundStyle() const { return FBackgroundStyle; }
    void SetBackStyle(TQELBackStyle Value);
    void SetBackgroundStyle(TQELBackStyle Value) { SetBackStyle(Value); }

    // Client list: controls repainted on every change, in the order they linked.
    void AddItem(TObject* Client);
    void RemoveItem(TObject* Client);
    int ClientCount() const { return FClients.Count(); }
    TObject* Clients(int Index) const { return static_cast<TObject*>(FClients.Items(Index)); }
    // Repaints every client, then fires OnChanged.
    void BackChange(TObject* Sender);

    void Draw(HDC DC, int Width, int Height, bool Forward) const;
    // Shows the background wherever the canvas holds TransparentColor.
    void DrawTrans(TCanvas* Canvas, int Width, int Height, bool Forward,
                   TColor TransparentColor) const;
    // 3D text whose main layer shows the background through the letters.
    void Write(const TQELFont3D* Font3D, const TFont* Font, TCanvas* Canvas, const TRect& Rect,
               const std::string& Text, int Format) const;

    // The passes Write draws, bottom first; the last one is the main layer, where the
    // background shows through the letters.
    static std::vector<TQELTextPass> WritePasses(const TQELFont3D& Font3D, TColor FontColor,
                                                 const TRect& Rect);

  private:
    TList FClients;
    TColor FSolidColor = clBtnFace;
    TQELBackStyle FBackgroundStyle = bGradient;
    std::unique_ptr<TQELTexture> FTexture;
    std::unique_ptr<TQELGradient> FGradient;
    std::unique_ptr<TQELBrushFill> FBrushFill;
    // The last pictures drawn, by everything that decides their pixels, so controls sharing
    // the background at one size compute it once.
    mutable std::unique_ptr<TQELBackgroundCache> FCache;

    void DrawUncached(HDC DC, int Width, int Height, bool Forward) const;
};

// Takes Client off Background's list when it unlinks. A background that is being destroyed
// sends its removal notification after its own members, the client list among them, are gone,
// so a client that unlinks in answer to it must leave the list alone.
inline void QELLeaveBackground(TQELBackground* Background, TObject* Client) {
    if (Background && !Background->IsDestroying()) Background->RemoveItem(Client);
}

} // namespace qel

QEL_PUBLIC_END
