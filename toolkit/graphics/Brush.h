#pragma once
// TBrush: how a canvas fills areas: a colour, a hatch style, or a pattern bitmap. The brush
// owns one brush handle, made on first use and remade after a change.
#include "toolkit/core/Export.h"
#include "toolkit/graphics/Colors.h"
#include "toolkit/graphics/GraphicsObject.h"
#include "toolkit/graphics/Windows.h"

QEL_PUBLIC_BEGIN

namespace qel {

class TBitmap;

enum TBrushStyle {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};
QEL_ENUM_INFO(TBrushStyle, "bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal",
              "bsBDiagonal", "bsCross", "bsDiagCross")

class TBrush : public TGraphicsObject {
    QEL_CLASS(TBrush, TGraphicsObject)
  public:
    TBrush() = default;
    ~TBrush() override;

    void Assign(const TPersistent* Source) override;

    TColor Color() const { return FColor; }
    // A clear brush turns solid when it gets a colour.
    void SetColor(TColor Value);
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle Value);
    // Pattern bitmap, used instead of colour and style while set (not owned; the caller keeps it
    // alive while the brush uses it). The pattern is copied into the handle when the handle is
    // made.
    TBitmap* Bitmap() const { return FBitmap; }
    void SetBitmap(TBitmap* Value);

    HBRUSH Handle() const;
    void SetHandle(HBRUSH Value);

    void Changed() override;

  private:
    void FreeHandle() const;

    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
    TBitmap* FBitmap = nullptr;
    mutable HBRUSH FHandle = 0;
};

} // namespace qel

QEL_PUBLIC_END
