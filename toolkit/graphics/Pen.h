#pragma once
// TPen: colour, width, style and raster mode of the lines a canvas draws. The pen owns one
// pen handle, made on first use and remade after a change.
#include "toolkit/core/Export.h"
#include "toolkit/graphics/Colors.h"
#include "toolkit/graphics/GraphicsObject.h"
#include "toolkit/graphics/Windows.h"

QEL_PUBLIC_BEGIN

namespace qel {

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
QEL_ENUM_INFO(TPenStyle, "psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear",
              "psInsideFrame")

enum TPenMode {
    pmBlack,
    pmWhite,
    pmNop,
    pmNot,
    pmCopy,
    pmNotCopy,
    pmMergePenNot,
    pmMaskPenNot,
    pmMergeNotPen,
    pmMaskNotPen,
    pmMerge,
    pmNotMerge,
    pmMask,
    pmNotMask,
    pmXor,
    pmNotXor
};
QEL_ENUM_INFO(TPenMode, "pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy",
              "pmMergePenNot", "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge",
              "pmNotMerge", "pmMask", "pmNotMask", "pmXor", "pmNotXor")

// The binary raster operation (R2_…) of a pen mode.
int PenModeToRop2(TPenMode Mode);

class TPen : public TGraphicsObject {
    QEL_CLASS(TPen, TGraphicsObject)
  public:
    TPen() = default;
    ~TPen() override;

    void Assign(const TPersistent* Source) override;

    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TPenMode Mode() const { return FMode; }
    void SetMode(TPenMode Value);
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle Value);
    int Width() const { return FWidth; }
    void SetWidth(int Value); // values below 1 are ignored

    HPEN Handle() const;
    // Takes over a pen handle: the pen's settings are read from it and the pen owns it.
    void SetHandle(HPEN Value);

    void Changed() override;

  private:
    void FreeHandle() const;

    TColor FColor = clBlack;
    TPenMode FMode = pmCopy;
    TPenStyle FStyle = psSolid;
    int FWidth = 1;
    mutable HPEN FHandle = 0;
};

} // namespace qel

QEL_PUBLIC_END
