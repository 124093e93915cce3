#include "toolkit/graphics/Pen.h"

namespace qel {

namespace {
void DescribePen(TClassBuilder<TPen>& B) {
    B.Color("Color", &TPen::Color, &TPen::SetColor).SetDefault(clBlack);
    B.Enum("Mode", &TPen::Mode, &TPen::SetMode).SetDefault(pmCopy);
    B.Enum("Style", &TPen::Style, &TPen::SetStyle).SetDefault(psSolid);
    B.Integer("Width", &TPen::Width, &TPen::SetWidth).SetDefault(1);
}

constexpr int Rop2OfMode[] = {R2_BLACK,       R2_WHITE,      R2_NOP,         R2_NOT,
                              R2_COPYPEN,     R2_NOTCOPYPEN, R2_MERGEPENNOT, R2_MASKPENNOT,
                              R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,    R2_NOTMERGEPEN,
                              R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,      R2_NOTXORPEN};
constexpr UINT StyleOf[] = {PS_SOLID,      PS_DASH, PS_DOT,        PS_DASHDOT,
                            PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
} // namespace

QEL_IMPLEMENT_CLASS(TPen, TGraphicsObject, DescribePen)

int PenModeToRop2(TPenMode Mode) {
    return Mode >= pmBlack && Mode <= pmNotXor ? Rop2OfMode[Mode] : R2_COPYPEN;
}

TPen::~TPen() {
    FreeHandle();
}

void TPen::FreeHandle() const {
    if (FHandle) DeleteObject(FHandle);
    FHandle = 0;
}

void TPen::Changed() {
    FreeHandle();
    TGraphicsObject::Changed();
}

void TPen::Assign(const TPersistent* Source) {
    if (auto* P = dynamic_cast<const TPen*>(Source)) {
        FColor = P->FColor;
        FMode = P->FMode;
        FStyle = P->FStyle;
        FWidth = P->FWidth;
        Changed();
        return;
    }
    TGraphicsObject::Assign(Source);
}

void TPen::SetColor(TColor Value) {
    FColor = Value;
    Changed();
}

void TPen::SetMode(TPenMode Value) {
    FMode = Value;
    Changed();
}

void TPen::SetStyle(TPenStyle Value) {
    FStyle = Value;
    Changed();
}

void TPen::SetWidth(int Value) {
    if (Value < 1) return;
    FWidth = Value;
    Changed();
}

HPEN TPen::Handle() const {
    if (!FHandle) {
        const UINT S = FStyle >= psSolid && FStyle <= psInsideFrame ? StyleOf[FStyle] : PS_SOLID;
        FHandle = CreatePen(static_cast<int>(S), FWidth, ColorToRGB(FColor));
    }
    return FHandle;
}

void TPen::SetHandle(HPEN Value) {
    LOGPEN L;
    if (!Value || GetObjectA(Value, sizeof L, &L) == 0) return;
    FreeHandle();
    FColor = L.lopnColor;
    FWidth = L.lopnWidth.X;
    FStyle = psSolid;
    for (int I = 0; I <= psInsideFrame; ++I)
        if (StyleOf[I] == (L.lopnStyle & PS_STYLE_MASK)) FStyle = static_cast<TPenStyle>(I);
    TGraphicsObject::Changed();
    FHandle = Value;
}

} // namespace qel
