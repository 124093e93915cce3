#include "toolkit/graphics/Bitmap.h"

#include "toolkit/core/Exceptions.h"
#include "toolkit/core/Streams.h"
#include "toolkit/graphics/BmpCodec.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/PngCodec.h"

#include <algorithm>
#include <cstring>

namespace qel {

QEL_IMPLEMENT_CLASS(TBitmap, TGraphic, [](TClassBuilder<TBitmap>&) {})

// The canvas of a bitmap: a memory DC with the bitmap selected, made on first use and released
// by Dormant and whenever the bitmap gets a new handle.
class TBitmapCanvas : public TCanvas {
  public:
    explicit TBitmapCanvas(TBitmap& B) : FBitmap(B) {}
    ~TBitmapCanvas() override { FreeContext(); }

    void FreeContext() {
        if (HandleAllocated()) {
            HDC Dc = Handle();
            SetHandle(0);
            DeleteDC(Dc);
        }
    }

  protected:
    void CreateHandle() override {
        HDC Dc = CreateCompatibleDC(0);
        if (!Dc) throw EOutOfResources("Out of system resources: no device context for a bitmap");
        if (FBitmap.FHandle) SelectObject(Dc, FBitmap.FHandle);
        SetHandle(Dc);
    }

  private:
    TBitmap& FBitmap;
};

namespace {

bool IsBlackWhite(const std::vector<uint32_t>& Palette) {
    for (uint32_t C : Palette)
        if (C != 0 && C != 0xFFFFFF) return false;
    return true;
}

TPixelFormat FormatOfDepth(int Bits) {
    switch (Bits) {
    case 1:
        return pf1bit;
    case 4:
        return pf4bit;
    case 8:
        return pf8bit;
    case 16:
        return pf16bit;
    case 32:
        return pf32bit;
    default:
        return pf24bit;
    }
}

int DepthOfFormat(TPixelFormat F) {
    switch (F) {
    case pf1bit:
        return 1;
    case pf4bit:
        return 4;
    case pf8bit:
        return 8;
    case pf32bit:
        return 32;
    default:
        return 24; // 15/16-bit images are written losslessly as 24 bits
    }
}

// Reads the bitmap file at the stream's position: as many bytes as the file header says, or
// all that is left when the header's size is unusable.
std::vector<uint8_t> ReadBitmapBytes(TStream& Stream, std::int64_t Limit) {
    std::vector<uint8_t> Data;
    if (Limit <= 0) return Data;
    uint8_t Head[14];
    const std::int64_t Got = Stream.Read(Head, std::min<std::int64_t>(14, Limit));
    Data.assign(Head, Head + Got);
    if (Got < 14) return Data;
    std::int64_t Want = Limit;
    if (Head[0] == 'B' && Head[1] == 'M') {
        const uint32_t Size =
            Head[2] | (Head[3] << 8) | (Head[4] << 16) | (uint32_t(Head[5]) << 24);
        if (Size >= 14 + 12 && Size <= Limit) Want = Size;
    }
    Data.resize(static_cast<std::size_t>(Want));
    Stream.ReadBuffer(Data.data() + 14, Want - 14);
    return Data;
}

} // namespace

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() {
    FCanvas.reset();
    FreeMask();
    if (FHandle) DeleteObject(FHandle);
}

void TBitmap::Changing() {
    if (OnChanging) OnChanging(this);
}

void TBitmap::Changed(TObject* Sender) {
    FreeMask();
    TGraphic::Changed(Sender);
}

void TBitmap::FreeCanvasDC() const {
    if (FCanvas) static_cast<TBitmapCanvas&>(*FCanvas).FreeContext();
}

void TBitmap::FreeMask() {
    if (FMaskHandle) {
        DeleteObject(FMaskHandle);
        FMaskHandle = 0;
    }
}

TSurface* TBitmap::Surface() const {
    return FHandle ? GetBitmapSurface(FHandle) : nullptr;
}

bool TBitmap::Empty() const {
    return FHandle == 0;
}
bool TBitmap::Monochrome() const {
    return FHandle ? IsMonochromeBitmap(FHandle) : FPixelFormat == pf1bit;
}
int TBitmap::Width() const {
    return FWidth;
}
int TBitmap::Height() const {
    return FHeight;
}

// Replaces the image by a W x H one; Keep's top-left part is copied into it.
void TBitmap::NewImage(int W, int H, const TSurface* Keep) {
    if (W < 0 || H < 0 || W > MaxBitmapSide || H > MaxBitmapSide ||
        static_cast<std::size_t>(W) * static_cast<std::size_t>(H) > MaxBitmapPixels)
        throw EInvalidGraphic("Invalid bitmap size " + std::to_string(W) + " x " +
                              std::to_string(H));
    HBITMAP New = 0;
    if (W > 0 && H > 0) {
        TSurface S(W, H, 0);
        if (Keep) {
            const int Cw = std::min(W, Keep->Width), Ch = std::min(H, Keep->Height);
            for (int Y = 0; Y < Ch; ++Y)
                std::copy(Keep->Row(Y), Keep->Row(Y) + Cw, S.Row(Y));
        }
        New = CreateBitmapFromSurface(S, FPixelFormat == pf1bit && IsBlackWhite(FPalette));
        if (!New)
            throw EOutOfResources("Out of system resources: cannot create a " + std::to_string(W) +
                                  " x " + std::to_string(H) + " bitmap");
    }
    FreeCanvasDC();
    FreeMask();
    if (FHandle) DeleteObject(FHandle);
    FHandle = New;
    FWidth = W;
    FHeight = H;
}

void TBitmap::SetSize(int AWidth, int AHeight) {
    if (AWidth == FWidth && AHeight == FHeight) return;
    Changing();
    // Keep a copy: NewImage frees the old handle.
    TSurface Old;
    if (const TSurface* S = Surface()) Old = *S;
    NewImage(AWidth, AHeight, Old.Width ? &Old : nullptr);
    Changed(this);
}

void TBitmap::SetWidth(int Value) {
    SetSize(Value, FHeight);
}
void TBitmap::SetHeight(int Value) {
    SetSize(FWidth, Value);
}

TCanvas* TBitmap::Canvas() {
    if (!FCanvas) {
        auto C = std::make_unique<TBitmapCanvas>(*this);
        C->OnChanging = [this](TObject*) { Changing(); };
        C->OnChange = [this](TObject*) { Changed(this); };
        FCanvas = std::move(C);
    }
    return FCanvas.get();
}

// A bitmap can be selected into one device context at a time: whoever asks for the handle
// gets it free of the canvas (which selects it again when it draws next).
HBITMAP TBitmap::Handle() const {
    FreeCanvasDC();
    return FHandle;
}

void TBitmap::SetHandle(HBITMAP Value) {
    if (Value == FHandle) return;
    TSurface* S = Value ? GetBitmapSurface(Value) : nullptr;
    if (Value && !S) throw EInvalidGraphic("Invalid bitmap handle");
    Changing();
    FreeCanvasDC();
    FreeMask();
    if (FHandle) DeleteObject(FHandle);
    FHandle = Value;
    FWidth = S ? S->Width : 0;
    FHeight = S ? S->Height : 0;
    if (S && (FWidth == 0 || FHeight == 0)) {
        DeleteObject(FHandle);
        FHandle = 0;
    }
    FPalette.clear();
    FPixelFormat = FHandle && IsMonochromeBitmap(FHandle) ? pf1bit : pfDevice;
    if (FPixelFormat == pf1bit) FPalette = {0x000000, 0xFFFFFF};
    Changed(this);
}

HBITMAP TBitmap::ReleaseHandle() {
    FreeCanvasDC();
    FreeMask();
    HBITMAP H = FHandle;
    FHandle = 0;
    FWidth = FHeight = 0;
    return H;
}

// Made afresh on every call: the pixels may have been changed through the surface or by
// blits into the canvas's device context, which a cached mask would not notice.
HBITMAP TBitmap::MaskHandle() {
    FreeMask();
    const TSurface* S = Surface();
    if (!S) return 0;
    const uint32_t Key = PixelFromRGB(ColorToRGB(TransparentColor()) & 0xFFFFFF);
    TSurface M(S->Width, S->Height);
    for (std::size_t I = 0; I < S->Pixels.size(); ++I)
        M.Pixels[I] = (S->Pixels[I] & 0xFFFFFF) == Key ? 0xFFFFFF : 0;
    FMaskHandle = CreateBitmapFromSurface(M, true);
    return FMaskHandle;
}

HBITMAP TBitmap::ReleaseMaskHandle() {
    HBITMAP H = FMaskHandle;
    FMaskHandle = 0;
    return H;
}

void TBitmap::SetMonochrome(bool Value) {
    if (Value == Monochrome() && (!Value || !FHandle || IsMonochromeBitmap(FHandle))) return;
    SetPixelFormat(Value ? pf1bit : pfDevice);
}

void TBitmap::SetPixelFormat(TPixelFormat Value) {
    const bool WasMono = FHandle && IsMonochromeBitmap(FHandle);
    if (Value == FPixelFormat && (Value != pf1bit || !FHandle || WasMono)) return;
    Changing();
    TSurface Img;
    if (const TSurface* S = Surface()) Img = *S;
    FPixelFormat = Value;
    FPalette.clear();
    if (Value == pf1bit) {
        // Colour to monochrome the way a blit does it: white stays white, the rest is black.
        for (uint32_t& P : Img.Pixels)
            P = (P & 0xFFFFFF) == 0xFFFFFF ? 0xFFFFFF : 0;
        FPalette = {0x000000, 0xFFFFFF};
    } else if (Value == pf4bit || Value == pf8bit) {
        // Reduce to the depth's palette now, so the canvas shows what a save will keep.
        FPalette = StandardPalette(Value == pf4bit ? 4 : 8);
        for (uint32_t& P : Img.Pixels)
            P = FPalette[static_cast<std::size_t>(NearestPaletteIndex(FPalette, P & 0xFFFFFF))];
    }
    NewImage(FWidth, FHeight, Img.Width ? &Img : nullptr);
    Changed(this);
}

void TBitmap::SetTransparent(bool Value) {
    TGraphic::SetTransparent(Value);
}

TColor TBitmap::TransparentColor() const {
    if (FTransparentMode == tmFixed) return FTransparentColor;
    const TSurface* S = Surface();
    if (!S) return clDefault;
    return RGBFromPixel(S->Get(0, S->Height - 1) & 0xFFFFFF);
}

void TBitmap::SetTransparentColor(TColor Value) {
    if (Value == FTransparentColor && FTransparentMode == tmFixed) return;
    FTransparentColor = Value;
    FTransparentMode = Value == clDefault ? tmAuto : tmFixed;
    Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode Value) {
    if (Value == FTransparentMode) return;
    if (Value == tmAuto)
        SetTransparentColor(clDefault);
    else
        SetTransparentColor(TransparentColor());
}

void TBitmap::Mask(TColor TransparentColor) {
    const TSurface* S = Surface();
    if (!S) return;
    Changing();
    const uint32_t Key = PixelFromRGB(ColorToRGB(TransparentColor) & 0xFFFFFF);
    TSurface M(S->Width, S->Height);
    for (std::size_t I = 0; I < S->Pixels.size(); ++I)
        M.Pixels[I] = (S->Pixels[I] & 0xFFFFFF) == Key ? 0xFFFFFF : 0;
    FPixelFormat = pf1bit;
    FPalette = {0x000000, 0xFFFFFF};
    NewImage(M.Width, M.Height, &M);
    Changed(this);
}

void TBitmap::Dormant() {
    FreeCanvasDC();
}

// The pixels are the only copy of the image (there is no separate device-dependent copy to
// fall back on), so there is nothing that could be freed without losing the picture; the
// device context is the one resource that can go.
void TBitmap::FreeImage() {
    FreeCanvasDC();
}

void TBitmap::Assign(const TPersistent* Source) {
    if (!Source) {
        Changing();
        NewImage(0, 0, nullptr);
        FPalette.clear();
        FPixelFormat = pfDevice;
        Changed(this);
        return;
    }
    if (const auto* B = dynamic_cast<const TBitmap*>(Source)) {
        if (B == this) return;
        Changing();
        FPixelFormat = B->FPixelFormat;
        FPalette = B->FPalette;
        FTransparentColor = B->FTransparentColor;
        FTransparentMode = B->FTransparentMode;
        const TSurface* S = B->Surface();
        TSurface Copy;
        if (S) Copy = *S;
        NewImage(B->FWidth, B->FHeight, S ? &Copy : nullptr);
        TGraphic::SetTransparent(B->Transparent());
        Changed(this);
        return;
    }
    TGraphic::Assign(Source);
}

void TBitmap::LoadFromBytes(std::span<const uint8_t> Data) {
    Changing();
    if (Data.empty()) {
        NewImage(0, 0, nullptr);
        FPalette.clear();
        FPixelFormat = pfDevice;
        Changed(this);
        return;
    }
    static const uint8_t PngSig[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    TBmpImage Img;
    if (Data.size() >= 8 && std::memcmp(Data.data(), PngSig, 8) == 0) {
        Img.Pixels = DecodePng(Data);
        Img.BitCount = 24;
    } else if (Data.size() >= 4 && !(Data[0] == 'B' && Data[1] == 'M')) {
        // A bare bitmap (header + palette + bits), as bitmap resources store them: put a
        // file header in front; offset 0 lets the decoder find the bits after the palette.
        std::vector<uint8_t> File(14, 0);
        File[0] = 'B';
        File[1] = 'M';
        File.insert(File.end(), Data.begin(), Data.end());
        const uint32_t Size = static_cast<uint32_t>(std::min<std::size_t>(File.size(), 0xFFFFFFFF));
        for (int I = 0; I < 4; ++I)
            File[2 + I] = static_cast<uint8_t>(Size >> (8 * I));
        Img = DecodeBmp(File);
    } else {
        Img = DecodeBmp(Data);
    }
    FPixelFormat = FormatOfDepth(Img.BitCount);
    FPalette = std::move(Img.Palette);
    // A 1-bit file with colours other than black and white keeps them in a colour bitmap.
    NewImage(Img.Pixels.Width, Img.Pixels.Height, &Img.Pixels);
    Changed(this);
}

std::vector<uint8_t> TBitmap::SaveToBytes() const {
    const TSurface* S = Surface();
    if (!S) return {};
    TBmpWriteOptions O;
    O.BitCount = DepthOfFormat(FPixelFormat);
    if (O.BitCount <= 8 && FPalette.size() <= (std::size_t(1) << O.BitCount)) O.Palette = FPalette;
    return EncodeBmp(*S, O);
}

void TBitmap::LoadFromStream(TStream& Stream) {
    const std::int64_t Left = Stream.Size() - Stream.Position();
    const std::vector<uint8_t> Data = ReadBitmapBytes(Stream, Left);
    LoadFromBytes(Data);
}

void TBitmap::SaveToStream(TStream& Stream) const {
    const std::vector<uint8_t> Data = SaveToBytes();
    if (!Data.empty()) Stream.WriteBuffer(Data.data(), static_cast<std::int64_t>(Data.size()));
}

void TBitmap::ReadData(TStream& Stream) {
    uint8_t L[4];
    Stream.ReadBuffer(L, 4);
    const uint32_t Len = L[0] | (L[1] << 8) | (L[2] << 16) | (uint32_t(L[3]) << 24);
    const std::int64_t Left = Stream.Size() - Stream.Position();
    if (static_cast<std::int64_t>(Len) > Left)
        throw EInvalidGraphic("Invalid bitmap data: " + std::to_string(Len) + " bytes announced, " +
                              std::to_string(Left) + " present");
    std::vector<uint8_t> Data(Len);
    Stream.ReadBuffer(Data.data(), Len);
    LoadFromBytes(Data);
}

void TBitmap::WriteData(TStream& Stream) const {
    const std::vector<uint8_t> Data = SaveToBytes();
    const uint32_t Len = static_cast<uint32_t>(Data.size());
    const uint8_t L[4] = {static_cast<uint8_t>(Len), static_cast<uint8_t>(Len >> 8),
                          static_cast<uint8_t>(Len >> 16), static_cast<uint8_t>(Len >> 24)};
    Stream.WriteBuffer(L, 4);
    if (Len) Stream.WriteBuffer(Data.data(), Len);
}

void TBitmap::LoadFromResourceName(TResourceModule Instance, const std::string& ResName) {
    auto R = FindResourceData(Instance, ResName, "BMP");
    if (!R) R = FindResourceData(Instance, ResName);
    if (!R) throw EInvalidGraphic("Resource " + ResName + " not found");
    LoadFromBytes(R->Bytes);
}

TColor TBitmap::Pixel(int X, int Y) const {
    const TSurface* S = Surface();
    if (!S || !S->Contains(X, Y)) return clNone;
    return RGBFromPixel(S->Get(X, Y) & 0xFFFFFF);
}

void TBitmap::Draw(TCanvas& Canvas, const TRect& R) const {
    DrawOnDC(Canvas.Handle(), R);
}

void TBitmap::DrawOnDC(HDC Dc, const TRect& R) const {
    if (!FHandle || !Dc) return;
    // A bitmap can be selected into one DC at a time: use the canvas's while it has one.
    HDC Src = FCanvas && FCanvas->HandleAllocated() ? FCanvas->Handle() : 0;
    HDC Temp = 0;
    if (!Src) {
        Temp = CreateCompatibleDC(Dc);
        if (!Temp) return;
        SelectObject(Temp, FHandle);
        Src = Temp;
    }
    const int W = R.Right - R.Left, H = R.Bottom - R.Top;
    const COLORREF OldText = SetTextColor(Dc, 0x000000);
    const COLORREF OldBk = SetBkColor(Dc, 0xFFFFFF);
    if (Transparent()) {
        // dst ^= src; dst &= mask (transparent = white keeps it, opaque = black clears it);
        // dst ^= src: transparent pixels are back to the destination, opaque ones are the source.
        HBITMAP Mask = const_cast<TBitmap*>(this)->MaskHandle();
        HDC MaskDC = CreateCompatibleDC(Dc);
        SelectObject(MaskDC, Mask);
        StretchBlt(Dc, R.Left, R.Top, W, H, Src, 0, 0, FWidth, FHeight, SRCINVERT);
        StretchBlt(Dc, R.Left, R.Top, W, H, MaskDC, 0, 0, FWidth, FHeight, SRCAND);
        StretchBlt(Dc, R.Left, R.Top, W, H, Src, 0, 0, FWidth, FHeight, SRCINVERT);
        DeleteDC(MaskDC);
    } else {
        StretchBlt(Dc, R.Left, R.Top, W, H, Src, 0, 0, FWidth, FHeight, SRCCOPY);
    }
    SetTextColor(Dc, OldText);
    SetBkColor(Dc, OldBk);
    if (Temp) DeleteDC(Temp);
}

} // namespace qel
