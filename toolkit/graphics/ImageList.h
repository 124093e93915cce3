#pragma once
// TImageList: a list of equally sized images, each with a mask, drawn with the masked parts
// left untouched on the destination. Masks are monochrome: white marks a transparent pixel.
#include "toolkit/core/Component.h"
#include "toolkit/core/Export.h"
#include "toolkit/graphics/Colors.h"
#include "toolkit/graphics/Windows.h"

#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

class TBitmap;
class TCanvas;

class TImageList : public TComponent {
    QEL_CLASS(TImageList, TComponent)
  public:
    explicit TImageList(TComponent* AOwner = nullptr);
    // CreateSize: a list of AWidth x AHeight images.
    TImageList(int AWidth, int AHeight);
    ~TImageList() override;

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    // Changing the size empties the list.
    void SetWidth(int Value);
    void SetHeight(int Value);
    int Count() const { return static_cast<int>(FImages.size()); }

    // Cuts Image into Width-wide pieces (one piece when it is narrower) and adds each with the
    // matching part of Mask (nullptr: fully opaque). Returns the index of the first image
    // added; -1 for an empty image.
    int Add(TBitmap* Image, TBitmap* Mask);
    // Same, with the mask made from the pixels of colour MaskColor (clDefault: the colour of
    // the bottom-left pixel; clNone: no transparent pixels).
    int AddMasked(TBitmap* Image, TColor MaskColor);
    void Delete(int Index);
    void Clear();

    // Draws image Index with its top-left corner at (X, Y). Disabled images are drawn embossed
    // in the button highlight and shadow colours.
    void Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled = true) const;
    void DrawOnDC(HDC Dc, int X, int Y, int Index, bool Enabled = true) const;
    // Copies image Index (transparent pixels black) into Image.
    void GetBitmap(int Index, TBitmap* Image) const;

    TNotifyEvent OnChange;

  private:
    struct TEntry {
        HBITMAP Image = 0; // colour, transparent pixels black
        HBITMAP Mask = 0;  // monochrome, white = transparent
    };
    void CheckIndex(int Index) const;
    int AddPieces(const TSurface& Img, const TSurface* MaskImg, uint32_t Key, bool UseKey);
    void Change();

    int FWidth = 16, FHeight = 16;
    std::vector<TEntry> FImages;
};

} // namespace qel

QEL_PUBLIC_END
