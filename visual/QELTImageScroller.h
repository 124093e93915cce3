#pragma once
// A picture, or a line of 3D text, scrolling endlessly through the control. The picture is
// tiled into a memory bitmap at least as large as the control; each tick of an owned thread
// timer moves an offset that wraps at the memory bitmap's size, and the frame shown is copied
// from it in one or two pieces, so the seam between the strip's end and start never shows.
#include "toolkit/core/Export.h"
#include "toolkit/graphics/Bitmap.h"
#include "visual/QELControls.h"
#include "visual/QELZoradodo.h"

#include <cstdint>
#include <memory>

QEL_PUBLIC_BEGIN

namespace qel {

class TQELImageScroller : public TQELGraphicControl {
    QEL_CLASS(TQELImageScroller, TQELGraphicControl)
  public:
    explicit TQELImageScroller(TComponent* AOwner);
    ~TQELImageScroller() override;

    // The colour behind the text: the parent's while ParentColor is set.
    TColor GetColor() const;
    void SetColor(TColor Value);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool Value);
    const std::string& Text() const { return TQELGraphicControl::Text(); }
    void SetText(const std::string& Value);
    TBitmap* Bitmap() const { return FPicture.get(); }
    void SetBitmap(TBitmap* Value);
    bool Scrolling() const { return FScrolling; }
    void SetScrolling(bool Value);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    TQELKind ScrollDirection() const { return FScrollDirection; }
    void SetScrollDirection(TQELKind Value);
    int ScrollInterval() const { return FScrollInterval; }
    void SetScrollInterval(int Value);
    std::uint8_t ScrollStep() const { return FScrollStep; }
    void SetScrollStep(std::uint8_t Value) { FScrollStep = Value; }
    bool ScrollInverse() const { return FScrollInverse; }
    void SetScrollInverse(bool Value) { FScrollInverse = Value; }
    TQELFont3D* Font3D() const { return FFont3D.get(); }
    void Set3D(TQELFont3D* Value);
    bool ParentCenter() const { return FParentCenter; }
    void SetParentCenter(bool Value);
    int TextWindowLeft() const { return FTextWindowLeft; }
    void SetTextWindowLeft(int Value);
    int TextWindowTop() const { return FTextWindowTop; }
    void SetTextWindowTop(int Value);
    bool TextToCenter() const { return FTextToCenter; }
    void SetTextToCenter(bool Value);

    // The timer's event: one step along the strip, then an immediate repaint.
    void MoveImage(TObject* Sender);

    // What the frames are cut from, and where the next one starts.
    const TBitmap& MemoryBitmap() const { return FMemory; }
    int MemoryWidth() const { return FMemoryWidth; }
    int MemoryHeight() const { return FMemoryHeight; }
    int ScrollX() const { return FScrollX; }
    int ScrollY() const { return FScrollY; }
    bool PictureMode() const { return FPictureMode; }
    bool TextMode() const { return FTextMode; }
    const TQELTimer32& Timer() const { return *FTimer; }

    void Loaded() override;

  protected:
    void Paint() override;
    void FontChanged() override;
    void BoundsChanged() override;

  private:
    void IniMemoryBmp();
    void SetTextBitmap();
    void IniTextMemoryBmp();
    // Copies the visible part of the strip into the frame bitmap, in one or two pieces.
    void ComposeFrame();

    std::unique_ptr<TQELFont3D> FFont3D;
    std::unique_ptr<TBitmap> FPicture;
    TBitmap FTextBitmap;
    TBitmap FMemory;
    TBitmap FFrame;
    int FMemoryWidth = 0, FMemoryHeight = 0;
    int FScrollX = 0, FScrollY = 0;
    bool FPictureMode = false, FTextMode = false;
    mutable TColor FOwnColor = clWindow;
    bool FParentColor = true;
    bool FScrolling = false;
    bool FAutoSize = false;
    TQELKind FScrollDirection = kHorizontal;
    int FScrollInterval = 50;
    std::uint8_t FScrollStep = 1;
    bool FScrollInverse = false;
    bool FParentCenter = false;
    int FTextWindowLeft = 10, FTextWindowTop = 10;
    bool FTextToCenter = true;
    bool FBuilding = false; // an AutoSize resize inside a build does not start another
    // Last: its worker may call MoveImage until it is gone, so it goes first.
    std::unique_ptr<TQELTimer32> FTimer;
};

} // namespace qel

QEL_PUBLIC_END
