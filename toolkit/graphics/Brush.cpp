#include "toolkit/graphics/Brush.h"

#include "toolkit/graphics/Bitmap.h"

namespace qel {

namespace {
void DescribeBrush(TClassBuilder<TBrush>& B) {
    B.Color("Color", &TBrush::Color, &TBrush::SetColor).SetDefault(clWhite);
    B.Enum("Style", &TBrush::Style, &TBrush::SetStyle).SetDefault(bsSolid);
}
} // namespace

QEL_IMPLEMENT_CLASS(TBrush, TGraphicsObject, DescribeBrush)

TBrush::~TBrush() {
    FreeHandle();
}

void TBrush::FreeHandle() const {
    if (FHandle) DeleteObject(FHandle);
    FHandle = 0;
}

void TBrush::Changed() {
    FreeHandle();
    TGraphicsObject::Changed();
}

void TBrush::Assign(const TPersistent* Source) {
    if (auto* B = dynamic_cast<const TBrush*>(Source)) {
        FColor = B->FColor;
        FStyle = B->FStyle;
        FBitmap = B->FBitmap;
        Changed();
        return;
    }
    TGraphicsObject::Assign(Source);
}

void TBrush::SetColor(TColor Value) {
    FColor = Value;
    if (FStyle == bsClear) FStyle = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle Value) {
    FStyle = Value;
    if (Value == bsClear) FBitmap = nullptr;
    Changed();
}

void TBrush::SetBitmap(TBitmap* Value) {
    FBitmap = Value;
    Changed();
}

HBRUSH TBrush::Handle() const {
    if (FHandle) return FHandle;
    if (FBitmap && !FBitmap->Empty()) {
        FHandle = CreatePatternBrush(FBitmap->Handle());
    } else {
        switch (FStyle) {
        case bsSolid:
            FHandle = CreateSolidBrush(ColorToRGB(FColor));
            break;
        case bsClear: {
            LOGBRUSH L;
            L.lbStyle = BS_NULL;
            FHandle = CreateBrushIndirect(&L);
            break;
        }
        default:
            FHandle = CreateHatchBrush(static_cast<int>(FStyle) - bsHorizontal + HS_HORIZONTAL,
                                       ColorToRGB(FColor));
            break;
        }
    }
    return FHandle;
}

void TBrush::SetHandle(HBRUSH Value) {
    LOGBRUSH L;
    if (!Value || GetObjectA(Value, sizeof L, &L) == 0) return;
    FreeHandle();
    FColor = L.lbColor;
    FBitmap = nullptr;
    switch (L.lbStyle) {
    case BS_NULL:
        FStyle = bsClear;
        break;
    case BS_HATCHED:
        FStyle = static_cast<TBrushStyle>(bsHorizontal + static_cast<int>(L.lbHatch));
        break;
    default:
        FStyle = bsSolid;
        break;
    }
    TGraphicsObject::Changed();
    FHandle = Value;
}

} // namespace qel
