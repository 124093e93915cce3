#include "toolkit/graphics/ImageList.h"

#include "toolkit/core/Exceptions.h"
#include "toolkit/graphics/Bitmap.h"
#include "toolkit/graphics/Canvas.h"

#include <algorithm>

namespace qel {

QEL_IMPLEMENT_CLASS(TImageList, TComponent, [](TClassBuilder<TImageList>& B) {
    B.Integer("Height", &TImageList::Height, &TImageList::SetHeight).SetDefault(16);
    B.Integer("Width", &TImageList::Width, &TImageList::SetWidth).SetDefault(16);
    B.Event("OnChange", &TImageList::OnChange);
})

namespace {

// Blits Img through Mask onto Dc at (X, Y): destination pixels under white mask pixels stay,
// the others take the image's colour. Img must be black wherever the mask is white.
void MaskedBlt(HDC Dc, int X, int Y, int W, int H, HBITMAP Img, HBITMAP Mask) {
    HDC Src = CreateCompatibleDC(Dc);
    HDC Msk = CreateCompatibleDC(Dc);
    if (Src && Msk) {
        SelectObject(Src, Img);
        SelectObject(Msk, Mask);
        const COLORREF OldText = SetTextColor(Dc, 0x000000);
        const COLORREF OldBk = SetBkColor(Dc, 0xFFFFFF);
        BitBlt(Dc, X, Y, W, H, Msk, 0, 0, SRCAND);
        BitBlt(Dc, X, Y, W, H, Src, 0, 0, SRCPAINT);
        SetTextColor(Dc, OldText);
        SetBkColor(Dc, OldBk);
    }
    if (Msk) DeleteDC(Msk);
    if (Src) DeleteDC(Src);
}

struct TTempBitmap {
    HBITMAP H;
    explicit TTempBitmap(const TSurface& S, bool Mono) : H(CreateBitmapFromSurface(S, Mono)) {}
    ~TTempBitmap() {
        if (H) DeleteObject(H);
    }
};

} // namespace

TImageList::TImageList(TComponent* AOwner) : TComponent(AOwner) {}

TImageList::TImageList(int AWidth, int AHeight) : TComponent(nullptr) {
    FWidth = std::max(0, AWidth);
    FHeight = std::max(0, AHeight);
}

TImageList::~TImageList() {
    // No change notifications from a list that is going away: the handler's owner may be gone.
    OnChange = nullptr;
    Clear();
}

void TImageList::Change() {
    if (OnChange) OnChange(this);
}

void TImageList::SetWidth(int Value) {
    if (Value == FWidth) return;
    Clear();
    FWidth = std::max(0, Value);
    Change();
}

void TImageList::SetHeight(int Value) {
    if (Value == FHeight) return;
    Clear();
    FHeight = std::max(0, Value);
    Change();
}

void TImageList::CheckIndex(int Index) const {
    if (Index < 0 || Index >= Count())
        throw EInvalidOperation("Invalid image list index " + std::to_string(Index) + " (" +
                                std::to_string(Count()) + " images)");
}

int TImageList::AddPieces(const TSurface& Img, const TSurface* MaskImg, uint32_t Key, bool UseKey) {
    if (Img.Width <= 0 || Img.Height <= 0 || FWidth <= 0 || FHeight <= 0) return -1;
    const int Pieces = std::max(1, Img.Width / FWidth);
    const int First = Count();
    for (int P = 0; P < Pieces; ++P) {
        TSurface Colour(FWidth, FHeight, 0);
        TSurface Mask(FWidth, FHeight, 0xFFFFFF); // outside the source: transparent
        for (int Y = 0; Y < FHeight && Y < Img.Height; ++Y)
            for (int X = 0; X < FWidth; ++X) {
                const int Sx = P * FWidth + X;
                if (Sx >= Img.Width) break;
                const uint32_t Px = Img.Get(Sx, Y) & 0xFFFFFF;
                bool Transparent = UseKey && Px == Key;
                if (MaskImg && MaskImg->Contains(Sx, Y))
                    Transparent = (MaskImg->Get(Sx, Y) & 0xFFFFFF) != 0;
                if (!Transparent) {
                    Colour.Set(X, Y, Px);
                    Mask.Set(X, Y, 0);
                }
            }
        TEntry E;
        E.Image = CreateBitmapFromSurface(Colour, false);
        E.Mask = CreateBitmapFromSurface(Mask, true);
        if (!E.Image || !E.Mask) {
            if (E.Image) DeleteObject(E.Image);
            if (E.Mask) DeleteObject(E.Mask);
            throw EOutOfResources("Out of system resources: cannot add an image");
        }
        FImages.push_back(E);
    }
    Change();
    return First;
}

int TImageList::Add(TBitmap* Image, TBitmap* Mask) {
    if (!Image || !Image->Surface()) return -1;
    return AddPieces(*Image->Surface(), Mask ? Mask->Surface() : nullptr, 0, false);
}

int TImageList::AddMasked(TBitmap* Image, TColor MaskColor) {
    if (!Image || !Image->Surface()) return -1;
    const TSurface& S = *Image->Surface();
    bool UseKey = MaskColor != clNone;
    uint32_t Key = 0;
    if (MaskColor == clDefault)
        Key = S.Get(0, S.Height - 1) & 0xFFFFFF;
    else if (UseKey)
        Key = PixelFromRGB(ColorToRGB(MaskColor) & 0xFFFFFF);
    return AddPieces(S, nullptr, Key, UseKey);
}

void TImageList::Delete(int Index) {
    CheckIndex(Index);
    DeleteObject(FImages[Index].Image);
    DeleteObject(FImages[Index].Mask);
    FImages.erase(FImages.begin() + Index);
    Change();
}

void TImageList::Clear() {
    const bool Had = !FImages.empty();
    for (const TEntry& E : FImages) {
        DeleteObject(E.Image);
        DeleteObject(E.Mask);
    }
    FImages.clear();
    if (Had) Change();
}

void TImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled) const {
    if (!Canvas) return;
    DrawOnDC(Canvas->Handle(), X, Y, Index, Enabled);
}

void TImageList::DrawOnDC(HDC Dc, int X, int Y, int Index, bool Enabled) const {
    if (Index < 0 || Index >= Count() || !Dc) return;
    const TEntry& E = FImages[static_cast<std::size_t>(Index)];
    if (Enabled) {
        MaskedBlt(Dc, X, Y, FWidth, FHeight, E.Image, E.Mask);
        return;
    }
    // Disabled: the shape of every opaque pixel that is not white, once in the highlight
    // colour one pixel down and right, then in the shadow colour on top.
    const TSurface* Img = GetBitmapSurface(E.Image);
    const TSurface* Msk = GetBitmapSurface(E.Mask);
    if (!Img || !Msk) return;
    TSurface Shape(FWidth, FHeight, 0xFFFFFF);
    for (std::size_t I = 0; I < Shape.Pixels.size(); ++I)
        if ((Msk->Pixels[I] & 0xFFFFFF) == 0 && (Img->Pixels[I] & 0xFFFFFF) != 0xFFFFFF)
            Shape.Pixels[I] = 0;
    TTempBitmap ShapeMask(Shape, true);
    const struct { int Index, Dx; } Passes[] = {{COLOR_BTNHIGHLIGHT, 1}, {COLOR_BTNSHADOW, 0}};
    for (auto P : Passes) {
        const uint32_t C = PixelFromRGB(GetSysColor(P.Index) & 0xFFFFFF);
        TSurface Fill(FWidth, FHeight, 0);
        for (std::size_t I = 0; I < Fill.Pixels.size(); ++I)
            if (Shape.Pixels[I] == 0) Fill.Pixels[I] = C;
        TTempBitmap FillBmp(Fill, false);
        MaskedBlt(Dc, X + P.Dx, Y + P.Dx, FWidth, FHeight, FillBmp.H, ShapeMask.H);
    }
}

void TImageList::GetBitmap(int Index, TBitmap* Image) const {
    CheckIndex(Index);
    if (!Image) return;
    const TSurface* S = GetBitmapSurface(FImages[static_cast<std::size_t>(Index)].Image);
    Image->SetPixelFormat(pfDevice);
    Image->SetSize(FWidth, FHeight);
    if (S && Image->Surface()) {
        *Image->Surface() = *S;
        Image->SetModified(true);
    }
}

} // namespace qel
