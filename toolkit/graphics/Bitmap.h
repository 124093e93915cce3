#pragma once
// TBitmap: a picture in memory with a canvas to draw on it, loaded from and saved to the
// bitmap file format, streamed in form files as the "Data" property (a 4-byte little-endian
// length followed by the bitmap file).
//
// The pixels live in a bitmap of the raster engine (Handle); the canvas is a memory device
// context with that bitmap selected, created on first use. Without device resources to save,
// Dormant only releases the canvas's device context.
#include "toolkit/core/Export.h"
#include "toolkit/core/Properties.h"
#include "toolkit/graphics/Colors.h"
#include "toolkit/graphics/Graphic.h"
#include "toolkit/graphics/Resources.h"
#include "toolkit/graphics/Surface.h"
#include "toolkit/graphics/Windows.h"

#include <memory>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

class TCanvas;

enum TPixelFormat {
    pfDevice,
    pf1bit,
    pf4bit,
    pf8bit,
    pf15bit,
    pf16bit,
    pf24bit,
    pf32bit,
    pfCustom
};
QEL_ENUM_INFO(TPixelFormat, "pfDevice", "pf1bit", "pf4bit", "pf8bit", "pf15bit", "pf16bit",
              "pf24bit", "pf32bit", "pfCustom")
enum TTransparentMode { tmAuto, tmFixed };
QEL_ENUM_INFO(TTransparentMode, "tmAuto", "tmFixed")

class TBitmap : public TGraphic {
    QEL_CLASS(TBitmap, TGraphic)
  public:
    TBitmap();
    ~TBitmap() override;

    void Assign(const TPersistent* Source) override;

    bool Empty() const override;
    int Width() const override;
    int Height() const override;
    void SetWidth(int Value) override;
    void SetHeight(int Value) override;
    // Resizes once, keeping the top-left part of the image; new pixels are black.
    void SetSize(int AWidth, int AHeight);

    TCanvas* Canvas();
    HBITMAP Handle() const;
    // Takes ownership of Value (0 empties the bitmap).
    void SetHandle(HBITMAP Value);
    // Gives up ownership of the handle; the bitmap becomes empty.
    HBITMAP ReleaseHandle();
    // A monochrome bitmap, 1 (white) where the image has TransparentColor, owned by this
    // bitmap until ReleaseMaskHandle, the next call or the next change.
    HBITMAP MaskHandle();
    HBITMAP ReleaseMaskHandle();

    // True for a black-and-white bitmap (1-bit files with other colours keep them).
    bool Monochrome() const;
    void SetMonochrome(bool Value);
    TPixelFormat PixelFormat() const { return FPixelFormat; }
    void SetPixelFormat(TPixelFormat Value);
    // The palette of a paletted bitmap (0x00RRGGBB), kept from loading for saving.
    const std::vector<uint32_t>& Palette() const { return FPalette; }

    void SetTransparent(bool Value) override;
    // tmAuto: the colour of the bottom-left pixel (clDefault when empty), tmFixed: the colour
    // set.
    TColor TransparentColor() const;
    void SetTransparentColor(TColor Value);
    TTransparentMode TransparentMode() const { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode Value);

    // Turns the image itself into a black-and-white mask: TransparentColor white, the rest
    // black.
    void Mask(TColor TransparentColor);
    void Dormant();
    void FreeImage();

    void LoadFromStream(TStream& Stream) override;
    void SaveToStream(TStream& Stream) const override;
    void LoadFromBytes(std::span<const uint8_t> Data);
    std::vector<uint8_t> SaveToBytes() const;
    // Finds the resource by upper-case name in Instance (0: in any module). Bitmap resources
    // may be whole bitmap files or bare bitmap info + bits; PNG data is accepted too.
    void LoadFromResourceName(TResourceModule Instance, const std::string& ResName);

    void Draw(TCanvas& Canvas, const TRect& R) const override;
    // Drawing on a device context directly (what Draw does with the canvas's handle).
    void DrawOnDC(HDC Dc, const TRect& R) const;

    // "Data": 4-byte little-endian length, then the bitmap file.
    void ReadData(TStream& Stream) override;
    void WriteData(TStream& Stream) const override;

    // Direct pixel access (0x00RRGGBB, top-down); nullptr when empty. Call Changed via
    // Modified(true) after writing.
    TSurface* Surface() const;
    TColor Pixel(int X, int Y) const; // TColor (0x00BBGGRR); clNone outside the image

    TNotifyEvent OnChanging;

  protected:
    void Changed(TObject* Sender) override;

  private:
    friend class TBitmapCanvas;
    void NewImage(int W, int H, const TSurface* Keep);
    void FreeCanvasDC() const;
    void FreeMask();
    void Changing();

    int FWidth = 0, FHeight = 0;
    HBITMAP FHandle = 0; // 0 while either side is 0
    HBITMAP FMaskHandle = 0;
    TPixelFormat FPixelFormat = pfDevice;
    std::vector<uint32_t> FPalette;
    TColor FTransparentColor = clDefault;
    TTransparentMode FTransparentMode = tmAuto;
    mutable std::unique_ptr<TCanvas> FCanvas;
};

} // namespace qel

QEL_PUBLIC_END
