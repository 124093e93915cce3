#include "visual/QELTBackground.h"

#include "toolkit/controls/Controls.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/graphics/TextDraw.h"
#include "toolkit/graphics/Windows.h"
#include "visual/QELTGradientRaster.h"

#include <algorithm>
#include <utility>

namespace qel {

namespace {

// A memory device context with a colour bitmap of its own, white when created (as a fresh
// toolkit bitmap is). Everything is released with the object, also when an exception passes.
class TMemBitmap {
  public:
    // Covered: the caller paints every pixel itself, so the white start can be skipped.
    TMemBitmap(int W, int H, bool Covered = false) : W_(std::max(W, 0)), H_(std::max(H, 0)) {
        DC_ = CreateCompatibleDC(0);
        if (W_ > 0 && H_ > 0) {
            Bmp_ = CreateBitmap(W_, H_, 1, 32, nullptr);
            Old_ = SelectObject(DC_, Bmp_);
            if (!Covered) PatBlt(DC_, 0, 0, W_, H_, WHITENESS);
        }
    }
    ~TMemBitmap() {
        if (Old_) SelectObject(DC_, Old_);
        if (Bmp_) DeleteObject(Bmp_);
        if (DC_) DeleteDC(DC_);
    }
    TMemBitmap(const TMemBitmap&) = delete;
    TMemBitmap& operator=(const TMemBitmap&) = delete;

    HDC DC() const { return DC_; }
    int Width() const { return W_; }
    int Height() const { return H_; }
    bool Empty() const { return !Bmp_; }
    // Direct pixel access (0x00RRGGBB); nullptr for an empty bitmap.
    TSurface* Surface() const { return Bmp_ ? GetBitmapSurface(Bmp_) : nullptr; }

  private:
    int W_, H_;
    HDC DC_ = 0;
    HBITMAP Bmp_ = 0;
    HGDIOBJ Old_ = 0;
};

// A brush or pen selected for the life of the object.
class TSelected {
  public:
    TSelected(HDC DC, HGDIOBJ Obj) : DC_(DC), Obj_(Obj), Old_(SelectObject(DC, Obj)) {}
    ~TSelected() {
        SelectObject(DC_, Old_);
        DeleteObject(Obj_);
    }
    TSelected(const TSelected&) = delete;
    TSelected& operator=(const TSelected&) = delete;

  private:
    HDC DC_;
    HGDIOBJ Obj_, Old_;
};

// Replays gradient shapes on a device context with a width-1 solid pen and a solid brush.
class TDCPainter : public TQELGradientPainter {
  public:
    explicit TDCPainter(HDC DC) : DC_(DC) {
        OldPen_ = SelectObject(DC_, GetStockObject(BLACK_PEN));
        OldBrush_ = SelectObject(DC_, GetStockObject(BLACK_BRUSH));
        SetROP2(DC_, R2_COPYPEN);
    }
    ~TDCPainter() override {
        DeleteObject(SelectObject(DC_, OldPen_));
        DeleteObject(SelectObject(DC_, OldBrush_));
    }
    TDCPainter(const TDCPainter&) = delete;
    TDCPainter& operator=(const TDCPainter&) = delete;

    void StepColor(COLORREF C) override {
        PenColor(C);
        if (C != Brush_) {
            DeleteObject(SelectObject(DC_, CreateSolidBrush(C)));
            Brush_ = C;
        }
    }
    void PenColor(COLORREF C) override {
        if (C != Pen_) {
            DeleteObject(SelectObject(DC_, CreatePen(PS_SOLID, 1, C)));
            Pen_ = C;
        }
    }
    void Fill(int X, int Y, int W, int H) override {
        // A negative extent runs leftwards or upwards and still includes the origin.
        if (W < 0) {
            X += W + 1;
            W = -W;
        }
        if (H < 0) {
            Y += H + 1;
            H = -H;
        }
        PatBlt(DC_, X, Y, W, H, PATCOPY);
    }
    void Ellipse(int X1, int Y1, int X2, int Y2) override {
        if (X1 > X2) std::swap(X1, X2);
        if (Y1 > Y2) std::swap(Y1, Y2);
        ::qel::Ellipse(DC_, X1, Y1, X2, Y2);
    }
    void Line(int X1, int Y1, int X2, int Y2) override {
        MoveToEx(DC_, X1, Y1, nullptr);
        LineTo(DC_, X2, Y2);
    }

  private:
    HDC DC_;
    HGDIOBJ OldPen_, OldBrush_;
    // Stock objects are selected first; deleting them is a no-op.
    COLORREF Pen_ = 0xFFFFFFFF, Brush_ = 0xFFFFFFFF;
};

// Copies Src over Dst (both W x H at the origin) with every pixel of Key in Src replaced by what
// filling with Brush paints there: the "brush copy" of a canvas.
void BrushCopy(TMemBitmap& Dst, const TMemBitmap& Src, COLORREF Key, HBRUSH Brush) {
    if (Dst.Empty() || Src.Empty()) return;
    TMemBitmap Pattern(Dst.Width(), Dst.Height());
    SetBkMode(Pattern.DC(), TRANSPARENT);
    TRect All{0, 0, Dst.Width(), Dst.Height()};
    FillRect(Pattern.DC(), &All, Brush);
    const TSurface& S = *Src.Surface();
    const TSurface& P = *Pattern.Surface();
    TSurface& D = *Dst.Surface();
    const std::uint32_t KeyPixel = PixelFromRGB(Key);
    for (std::size_t I = 0; I < D.Pixels.size(); ++I)
        D.Pixels[I] = S.Pixels[I] == KeyPixel ? P.Pixels[I] : S.Pixels[I];
}

// Draws Src over Dst leaving out the pixels of Key (an image list's masked draw).
void MaskedCopy(TSurface& Dst, const TSurface& Src, std::uint32_t KeyPixel) {
    const int W = std::min(Dst.Width, Src.Width), H = std::min(Dst.Height, Src.Height);
    for (int Y = 0; Y < H; ++Y) {
        const std::uint32_t* S = Src.Row(Y);
        std::uint32_t* D = Dst.Row(Y);
        for (int X = 0; X < W; ++X)
            if (S[X] != KeyPixel) D[X] = S[X];
    }
}

// The DC's own pixels when a copy of a W x H picture to its (0, 0) would land on them one for
// one: a colour surface of just that size, nothing clipped away, the origin where it started
// (a clip box of the whole surface leaves no room for a moved one). Null otherwise.
TSurface* WholeSurfaceOf(HDC DC, int W, int H) {
    TSurface* S = GetDCSurface(DC);
    if (!S || S->Width != W || S->Height != H) return nullptr;
    TRect Box{};
    if (GetClipBox(DC, &Box) != SIMPLEREGION || Box != TRect{0, 0, W, H}) return nullptr;
    if (HGDIOBJ Bmp = GetCurrentObject(DC, OBJ_BITMAP)) {
        BITMAP B{};
        if (GetObject(Bmp, sizeof B, &B) != sizeof B || B.bmBitsPixel == 1) return nullptr;
    }
    return S;
}

} // namespace

// Pictures kept per key; the most recent first. A key holds every input of the drawing (sizes,
// colours as plain RGB, styles, a digest of the texture's pixels), so an entry can never show
// a stale picture and needs no invalidation.
struct TQELBackgroundCache {
    struct TEntry {
        std::vector<std::uint64_t> Key;
        std::unique_ptr<TMemBitmap> Picture;
    };
    static constexpr std::size_t MaxEntries = 4;
    static constexpr long long MaxPixels = 16LL * 1024 * 1024;
    std::vector<TEntry> Entries;
};

namespace {

std::uint64_t PixelDigest(const TSurface& S) {
    std::uint64_t H = 1469598103934665603ULL; // FNV-1a over whole pixels
    for (std::uint32_t P : S.Pixels)
        H = (H ^ P) * 1099511628211ULL;
    return H;
}

} // namespace

// ===== TQELGradient =========================================================================

static void DescribeGradient(TClassBuilder<TQELGradient>& B) {
    B.Color("BeginColor", &TQELGradient::BeginColor, &TQELGradient::SetBeginColor)
        .SetDefault(clSilver);
    B.Color("EndColor", &TQELGradient::EndColor, &TQELGradient::SetEndColor).SetDefault(clGray);
    B.Enum("FillStyle", &TQELGradient::FillStyle, &TQELGradient::SetStyle).SetDefault(Horizontal);
    B.Integer("ColorCount", &TQELGradient::ColorCount, &TQELGradient::SetColorCount).SetDefault(32);
    B.Strings("ColorsInBetween", &TQELGradient::ColorsInBetween, &TQELGradient::SetColorStrings);
}
QEL_IMPLEMENT_CLASS(TQELGradient, TGraphicsObject, DescribeGradient)

TQELGradient::TQELGradient() : FColorsInBetween(std::make_unique<TStringList>()) {}

TQELGradient::~TQELGradient() {
    OnChange = nullptr;
}

void TQELGradient::Assign(const TPersistent* Source) {
    if (auto* S = Cast<TQELGradient>(const_cast<TPersistent*>(Source))) {
        FBeginColor = S->FBeginColor;
        FEndColor = S->FEndColor;
        FFillStyle = S->FFillStyle;
        FColorCount = S->FColorCount;
        FColorsInBetween->Assign(S->FColorsInBetween.get());
        Changed();
        return;
    }
    inherited::Assign(Source);
}

void TQELGradient::SetBeginColor(TColor Value) {
    FBeginColor = Value;
    Changed();
}
void TQELGradient::SetEndColor(TColor Value) {
    FEndColor = Value;
    Changed();
}
void TQELGradient::SetStyle(TQELFillStyle Value) {
    FFillStyle = Value;
    Changed();
}
void TQELGradient::SetColorCount(int Value) {
    if (Value > 1 && Value < 256) FColorCount = Value;
    Changed();
}
void TQELGradient::SetColorStrings(TStrings* Value) {
    FColorsInBetween->Assign(Value);
    Changed();
}

std::vector<COLORREF> TQELGradient::ColorList(const TStrings* Between, bool Forward) const {
    std::vector<COLORREF> L;
    L.push_back(ColorToRGB(Forward ? FBeginColor : FEndColor));
    if (Between)
        for (int I = 0; I < Between->Count(); ++I)
            L.push_back(ColorToRGB(StringToColor(Between->Get(I))));
    L.push_back(ColorToRGB(Forward ? FEndColor : FBeginColor));
    return L;
}

void TQELGradient::MultiDraw(HDC DC, int Width, int Height, const TStrings* Between,
                             TColor /*Color*/, bool Forward) const {
    // Every colour is read before anything is drawn, so a bad line leaves DC as it was.
    const std::vector<COLORREF> Colors = ColorList(Between, Forward);
    // A target that is one picture of this size (the background's kept pictures, a bitmap
    // of the control's size) takes the gradient straight away: the pixels are those the copy
    // would bring, without an extra bitmap to fill and copy.
    if (TSurface* Own = WholeSurfaceOf(DC, Width, Height)) {
        QELRasterGradient(*Own, FFillStyle, FColorCount, Colors);
        return;
    }
    TMemBitmap Bmp(Width, Height, true);
    if (Bmp.Empty()) return;
    // The first colour covers the whole bitmap (the solid colour it was cleared with before
    // never shows, so that fill is left out).
    QELRasterGradient(*Bmp.Surface(), FFillStyle, FColorCount, Colors);
    BitBlt(DC, 0, 0, Width, Height, Bmp.DC(), 0, 0, SRCCOPY);
}

void QELGradientStepByStep(HDC DC, int W, int H, TQELFillStyle Style, int Steps,
                           const std::vector<COLORREF>& Colors) {
    if (Colors.empty()) return;
    {
        TSelected First(DC, CreateSolidBrush(Colors.front()));
        PatBlt(DC, 0, 0, W, H, PATCOPY);
    }
    TDCPainter Painter(DC);
    QELGradientSteps(Style, W, H, Steps, Colors, Painter);
}

// ===== TQELTexture ==========================================================================

static void DescribeTexture(TClassBuilder<TQELTexture>& B) {
    B.Object("Image", &TQELTexture::Image, &TQELTexture::SetImage);
    B.Enum("ImageStyle", &TQELTexture::ImageStyle, &TQELTexture::SetImageStyle).SetDefault(isTile);
    B.Color("TransparentColor", &TQELTexture::TransparentColor, &TQELTexture::SetTransparentColor)
        .SetDefault(clNone);
    B.Color("TransparentBackground", &TQELTexture::TransparentBackground,
            &TQELTexture::SetTransparentBackground)
        .SetDefault(clBtnFace);
}
QEL_IMPLEMENT_CLASS(TQELTexture, TGraphicsObject, DescribeTexture)

TQELTexture::TQELTexture() : FImage(std::make_unique<TBitmap>()) {
    FImage->OnChange = [this](TObject*) { Changed(); };
}

TQELTexture::~TQELTexture() {
    FImage->OnChange = nullptr;
    OnChange = nullptr;
}

void TQELTexture::Assign(const TPersistent* Source) {
    if (auto* S = Cast<TQELTexture>(const_cast<TPersistent*>(Source))) {
        FImage->Assign(S->FImage.get());
        FImageStyle = S->FImageStyle;
        FTransparentColor = S->FTransparentColor;
        FTransparentBackground = S->FTransparentBackground;
        Changed();
        return;
    }
    inherited::Assign(Source);
}

void TQELTexture::SetImage(TBitmap* Value) {
    FImage->Assign(Value);
    Changed();
}
void TQELTexture::SetImageStyle(TQELImageStyle Value) {
    FImageStyle = Value;
    Changed();
}
void TQELTexture::SetTransparentColor(TColor Value) {
    FTransparentColor = Value;
    Changed();
}
void TQELTexture::SetTransparentBackground(TColor Value) {
    FTransparentBackground = Value;
    Changed();
}

void TQELTexture::Draw(HDC DC, int Width, int Height, TColor Color) const {
    if (FImage->Empty()) return;
    const int IW = FImage->Width(), IH = FImage->Height();
    HDC Image = FImage->Canvas()->Handle();
    TMemBitmap T(IW, IH);
    HDC S = Image;
    if (FTransparentColor != clNone) {
        TMemBitmap Src(IW, IH);
        BitBlt(Src.DC(), 0, 0, IW, IH, Image, 0, 0, SRCCOPY);
        HBRUSH Brush = CreateSolidBrush(ColorToRGB(FTransparentBackground));
        BrushCopy(T, Src, ColorToRGB(FTransparentColor), Brush);
        DeleteObject(Brush);
        S = T.DC();
    }
    switch (FImageStyle) {
    case isTile: {
        const int Cols = Width / IW, Rows = Height / IH;
        for (int X = 0; X <= Cols; ++X)
            for (int Y = 0; Y <= Rows; ++Y)
                BitBlt(DC, X * IW, Y * IH, IW, IH, S, 0, 0, SRCCOPY);
        break;
    }
    case isStretched:
        StretchBlt(DC, 0, 0, Width, Height, S, 0, 0, IW, IH, SRCCOPY);
        break;
    case isCenter: {
        SetBkColor(DC, ColorToRGB(Color));
        SetBkMode(DC, OPAQUE);
        const int X = IW < Width ? (Width - IW) / 2 : 0;
        const int Y = IH < Height ? (Height - IH) / 2 : 0;
        BitBlt(DC, X, Y, IW, IH, S, 0, 0, SRCCOPY);
        break;
    }
    }
}

// ===== TQELBrushFill ========================================================================

static void DescribeBrushFill(TClassBuilder<TQELBrushFill>& B) {
    B.Enum("BrushStyle", &TQELBrushFill::BrushStyle, &TQELBrushFill::SetBrushStyle)
        .SetDefault(bsSolid);
    B.Color("BrushColor", &TQELBrushFill::BrushColor, &TQELBrushFill::SetBrushColor)
        .SetDefault(clBtnFace);
}
QEL_IMPLEMENT_CLASS(TQELBrushFill, TGraphicsObject, DescribeBrushFill)

void TQELBrushFill::Assign(const TPersistent* Source) {
    if (auto* S = Cast<TQELBrushFill>(const_cast<TPersistent*>(Source))) {
        FBrushStyle = S->FBrushStyle;
        FBrushColor = S->FBrushColor;
        Changed();
        return;
    }
    inherited::Assign(Source);
}

void TQELBrushFill::SetBrushStyle(TBrushStyle Value) {
    FBrushStyle = Value;
    Changed();
}
void TQELBrushFill::SetBrushColor(TColor Value) {
    FBrushColor = Value;
    Changed();
}

namespace {

// A GDI brush for a toolkit brush style; 0 for bsClear (nothing is painted).
HBRUSH MakeBrush(TBrushStyle Style, TColor Color) {
    const COLORREF C = ColorToRGB(Color);
    switch (Style) {
    case bsSolid:
        return CreateSolidBrush(C);
    case bsClear:
        return 0;
    case bsHorizontal:
        return CreateHatchBrush(HS_HORIZONTAL, C);
    case bsVertical:
        return CreateHatchBrush(HS_VERTICAL, C);
    case bsFDiagonal:
        return CreateHatchBrush(HS_FDIAGONAL, C);
    case bsBDiagonal:
        return CreateHatchBrush(HS_BDIAGONAL, C);
    case bsCross:
        return CreateHatchBrush(HS_CROSS, C);
    case bsDiagCross:
        return CreateHatchBrush(HS_DIAGCROSS, C);
    }
    return 0;
}

// Fills a whole bitmap the way a canvas does with that brush: hatch gaps are left as they are.
void FillWith(TMemBitmap& B, HBRUSH Brush) {
    if (!Brush || B.Empty()) return;
    SetBkMode(B.DC(), TRANSPARENT);
    TRect All{0, 0, B.Width(), B.Height()};
    FillRect(B.DC(), &All, Brush);
}

} // namespace

// ===== TQELBackground =======================================================================

static void DescribeBackground(TClassBuilder<TQELBackground>& B) {
    B.Object("Texture", &TQELBackground::Texture, &TQELBackground::SetTexture);
    B.Object("Gradient", &TQELBackground::Gradient, &TQELBackground::SetGradient);
    B.Object("BrushFill", &TQELBackground::BrushFill, &TQELBackground::SetBrushFill);
    B.Event("OnChanged", &TQELBackground::OnChanged);
    B.Color("SolidColor", &TQELBackground::SolidColor, &TQELBackground::SetSolidColor)
        .SetDefault(clBtnFace);
    B.Enum("BackgroundStyle", &TQELBackground::BackgroundStyle, &TQELBackground::SetBackStyle)
        .SetDefault(bGradient);
}
QEL_IMPLEMENT_CLASS(TQELBackground, TComponent, DescribeBackground)

TQELBackground::TQELBackground(TComponent* AOwner)
    : TComponent(AOwner), FTexture(std::make_unique<TQELTexture>()),
      FGradient(std::make_unique<TQELGradient>()), FBrushFill(std::make_unique<TQELBrushFill>()) {
    FSolidColor = clBtnFace;
    auto Change = [this](TObject* Sender) { BackChange(Sender); };
    FTexture->OnChange = Change;
    FGradient->OnChange = Change;
    FBrushFill->OnChange = Change;
}

TQELBackground::~TQELBackground() {
    FTexture->OnChange = nullptr;
    FGradient->OnChange = nullptr;
    FBrushFill->OnChange = nullptr;
    FClients.Clear();
}

void TQELBackground::AddItem(TObject* Client) {
    FClients.SetCapacity(FClients.Count());
    FClients.Add(Client);
}

void TQELBackground::RemoveItem(TObject* Client) {
    FClients.Remove(Client);
}

void TQELBackground::BackChange(TObject*) {
    // A client's repaint must not change the list while it is walked; copy it first.
    std::vector<TObject*> Snapshot;
    for (int I = 0; I < FClients.Count(); ++I)
        Snapshot.push_back(static_cast<TObject*>(FClients.Items(I)));
    for (TObject* C : Snapshot)
        if (auto* Ctl = Cast<TControl>(C)) Ctl->Invalidate();
    if (OnChanged) OnChanged(this);
}

void TQELBackground::SetTexture(TQELTexture* Value) {
    FTexture->Assign(Value);
    BackChange(this);
}
void TQELBackground::SetGradient(TQELGradient* Value) {
    FGradient->Assign(Value);
    BackChange(this);
}
void TQELBackground::SetBrushFill(TQELBrushFill* Value) {
    FBrushFill->Assign(Value);
    BackChange(this);
}
void TQELBackground::SetSolidColor(TColor Value) {
    FSolidColor = Value;
    BackChange(this);
}
void TQELBackground::SetBackStyle(TQELBackStyle Value) {
    FBackgroundStyle = Value;
    BackChange(this);
}

void TQELBackground::Draw(HDC DC, int Width, int Height, bool Forward) const {
    // What the picture covers: the area, or for tiles every tile the drawing starts.
    int PW = Width, PH = Height;
    std::vector<std::uint64_t> Key;
    if (Width > 0 && Height > 0) {
        if (FBackgroundStyle == bGradient) {
            // Read every colour first: a bad line raises before anything is drawn, as always.
            const std::vector<COLORREF> Colors =
                FGradient->ColorList(FGradient->ColorsInBetween(), Forward);
            Key = {0, std::uint64_t(FGradient->FillStyle()),
                   std::uint64_t(FGradient->ColorCount())};
            Key.insert(Key.end(), Colors.begin(), Colors.end());
        } else if (FBackgroundStyle == bTexture && !FTexture->Image()->Empty() &&
                   FTexture->ImageStyle() != isCenter) {
            // A centred picture is one copy already and leaves the rest of DC as it was.
            const TBitmap* Img = FTexture->Image();
            const TSurface* Px = Img->Surface();
            if (Px) {
                const int IW = Img->Width(), IH = Img->Height();
                if (FTexture->ImageStyle() == isTile) {
                    PW = (Width / IW + 1) * IW;
                    PH = (Height / IH + 1) * IH;
                }
                Key = {1,
                       std::uint64_t(FTexture->ImageStyle()),
                       FTexture->TransparentColor() == clNone
                           ? ~std::uint64_t(0)
                           : std::uint64_t(ColorToRGB(FTexture->TransparentColor())),
                       ColorToRGB(FTexture->TransparentBackground()),
                       std::uint64_t(IW),
                       std::uint64_t(IH),
                       PixelDigest(*Px)};
            }
        }
    }
    if (Key.empty() || static_cast<long long>(PW) * PH > TQELBackgroundCache::MaxPixels) {
        DrawUncached(DC, Width, Height, Forward);
        return;
    }
    Key.insert(Key.end(), {std::uint64_t(Width), std::uint64_t(Height), std::uint64_t(Forward)});
    if (!FCache) FCache = std::make_unique<TQELBackgroundCache>();
    auto& Entries = FCache->Entries;
    auto Hit = std::find_if(Entries.begin(), Entries.end(),
                            [&](const TQELBackgroundCache::TEntry& E) { return E.Key == Key; });
    if (Hit == Entries.end()) {
        auto Picture = std::make_unique<TMemBitmap>(PW, PH, true);
        DrawUncached(Picture->DC(), Width, Height, Forward);
        if (Entries.size() == TQELBackgroundCache::MaxEntries) Entries.pop_back();
        Entries.insert(Entries.begin(), {std::move(Key), std::move(Picture)});
        Hit = Entries.begin();
    } else if (Hit != Entries.begin()) {
        std::rotate(Entries.begin(), Hit, Hit + 1);
        Hit = Entries.begin();
    }
    BitBlt(DC, 0, 0, PW, PH, Hit->Picture->DC(), 0, 0, SRCCOPY);
}

void TQELBackground::DrawUncached(HDC DC, int Width, int Height, bool Forward) const {
    switch (FBackgroundStyle) {
    case bGradient:
        FGradient->MultiDraw(DC, Width, Height, FGradient->ColorsInBetween(), FSolidColor, Forward);
        break;
    case bTexture:
        FTexture->Draw(DC, Width, Height, FSolidColor);
        break;
    case bBrushFillUseCurrent:
    case bBrushFillSolidColor: {
        TMemBitmap A(Width, Height), B(Width, Height);
        if (A.Empty()) break;
        HBRUSH ABrush = MakeBrush(FBrushFill->BrushStyle(), FBrushFill->BrushColor());
        HBRUSH BBrush = MakeBrush(FBrushFill->BrushStyle(), clBlack);
        FillWith(A, ABrush);
        FillWith(B, BBrush);
        // Black in B marks exactly where the pattern paints; those pixels take A's brush.
        if (ABrush)
            BrushCopy(A, B, 0x000000, ABrush);
        else
            BitBlt(A.DC(), 0, 0, Width, Height, B.DC(), 0, 0, SRCCOPY);
        if (FBackgroundStyle == bBrushFillSolidColor) {
            HBRUSH Solid = CreateSolidBrush(ColorToRGB(FSolidColor));
            FillWith(B, Solid);
            BrushCopy(B, A, 0xFFFFFF, Solid);
            DeleteObject(Solid);
            BitBlt(A.DC(), 0, 0, Width, Height, B.DC(), 0, 0, SRCCOPY);
        }
        if (ABrush) DeleteObject(ABrush);
        if (BBrush) DeleteObject(BBrush);
        BitBlt(DC, 0, 0, Width, Height, A.DC(), 0, 0, SRCCOPY);
        break;
    }
    case bSolidcolor: {
        HBRUSH Brush = CreateSolidBrush(ColorToRGB(FSolidColor));
        TRect R{0, 0, Width, Height};
        FillRect(DC, &R, Brush);
        DeleteObject(Brush);
        break;
    }
    }
}

void TQELBackground::DrawTrans(TCanvas* Canvas, int Width, int Height, bool Forward,
                               TColor TransparentColor) const {
    TMemBitmap A(Width, Height), S(Width, Height);
    if (A.Empty()) return;
    Draw(A.DC(), Width, Height, Forward);
    BitBlt(S.DC(), 0, 0, Width, Height, Canvas->Handle(), 0, 0, SRCCOPY);
    MaskedCopy(*A.Surface(), *S.Surface(), PixelFromRGB(ColorToRGB(TransparentColor)));
    BitBlt(Canvas->Handle(), 0, 0, Width, Height, A.DC(), 0, 0, SRCCOPY);
}

std::vector<TQELTextPass> TQELBackground::WritePasses(const TQELFont3D& Font3D, TColor FontColor,
                                                      const TRect& Rect) {
    std::vector<TQELTextPass> Out;
    TRect R = Rect;
    const int W = Font3D.Repetitionwidth();
    InflateRect(&R, -W, 0);
    if (Font3D.ThreeDimensional()) {
        if (Font3D.Repetition() == repeatOnShadow) {
            OffsetRect(&R, W, W);
            for (int I = 0; I < W; ++I) {
                Out.push_back({Font3D.RepetitionColor(), R});
                OffsetRect(&R, -1, -1);
            }
        } else if (Font3D.Repetition() == repeatOnHighLight) {
            for (int I = 0; I < W; ++I) {
                Out.push_back({Font3D.RepetitionColor(), R});
                OffsetRect(&R, 1, 1);
            }
        }
        Font3D.AddStylePasses(R, Out);
    }
    Out.push_back({FontColor, R});
    return Out;
}

namespace {

void TextPass(HDC DC, HFONT Font, TColor Color, const std::string& Text, TRect R, int Format) {
    SelectObject(DC, Font);
    SetBkMode(DC, TRANSPARENT);
    SetTextColor(DC, ColorToRGB(Color));
    DrawTextExA(DC, Text.c_str(), -1, &R, UINT(Format), nullptr);
}

} // namespace

void TQELBackground::Write(const TQELFont3D* Font3D, const TFont* Font, TCanvas* Canvas,
                           const TRect& Rect, const std::string& Text, int Format) const {
    if (!Font3D || !Font || !Canvas) return;
    // The work bitmap spans the canvas from its origin to the rectangle's far corner: text is
    // drawn at canvas coordinates, so a rectangle that does not start at the origin (a framed
    // label) would otherwise lose its right and bottom part.
    const int BW = std::max(Rect.Right, 0), BH = std::max(Rect.Bottom, 0);
    TMemBitmap B(BW, BH);
    if (B.Empty()) return;
    HDC Target = Canvas->Handle();
    BitBlt(B.DC(), 0, 0, BW, BH, Target, 0, 0, SRCCOPY);
    const HFONT FontHandle = Font->Handle();
    const COLORREF FontRGB = ColorToRGB(Font->Color());
    std::vector<TQELTextPass> Passes = WritePasses(*Font3D, Font->Color(), Rect);
    for (std::size_t I = 0; I + 1 < Passes.size(); ++I)
        TextPass(B.DC(), FontHandle, Passes[I].Color, Text, Passes[I].R, Format);

    // Main layer: the background, cut out by the letters.
    TMemBitmap P(BW, BH), Q(BW, BH);
    Draw(P.DC(), BW, BH, true);
    TextPass(Q.DC(), FontHandle, Font->Color(), Text, Passes.back().R, Format);
    TSurface& PS = *P.Surface();
    const TSurface& QS = *Q.Surface();
    const std::uint32_t TextPixel = PixelFromRGB(FontRGB);
    // With MaskFont the text image becomes a two-colour mask first: letters transparent, the
    // rest drawn black. Without it the letters' own colour is the transparent one and the rest
    // keeps the text image's white.
    for (std::size_t I = 0; I < PS.Pixels.size(); ++I)
        if (QS.Pixels[I] != TextPixel) PS.Pixels[I] = Font3D->MaskFont() ? 0 : QS.Pixels[I];
    MaskedCopy(*B.Surface(), PS, PS.Pixels[0]);
    BitBlt(Target, 0, 0, BW, BH, B.DC(), 0, 0, SRCCOPY);
}

} // namespace qel
