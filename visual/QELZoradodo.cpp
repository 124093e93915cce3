#include "visual/QELZoradodo.h"

#include "toolkit/controls/Controls.h"
#include "toolkit/graphics/Font.h"
#include "toolkit/graphics/ImageList.h"
#include "toolkit/graphics/TextDraw.h"
#include "visual/QELTBackgroundSteps.h"

namespace qel {

// ===== Shared enumerations and the exec component (non-graphic) =============================

static void DescribeExecComponent(TClassBuilder<TQELZoradodoExecComponent>& B) {
    B.String("DesignExecute", &TQELZoradodoExecComponent::DesignExecute,
             &TQELZoradodoExecComponent::SetDesignExecute)
        .Stored(false);
}
QEL_IMPLEMENT_CLASS(TQELZoradodoExecComponent, TComponent, DescribeExecComponent)

TQELZoradodoExecComponent::TQELZoradodoExecComponent(TComponent* AOwner) : TComponent(AOwner) {}

void TQELZoradodoExecComponent::SetDesignExecute(const TQELZoradodoExecStr& Value) {
    DesignExecute_ = Value.substr(0, kMaxExecStr);
}

void TQELZoradodoExecComponent::Execute() {}

// ===== Drawing classes ======================================================================
// Engineer "visual": drawing objects (3D text, frames, glyphs) and the button helpers.

namespace {

void InvalidateIfControl(TObject* Owner) {
    if (auto* C = Cast<TControl>(Owner)) C->Invalidate();
}

} // namespace

static void DescribeFont3D(TClassBuilder<TQELFont3D>& B) {
    // Read-only: what the effect adds to the text's extent, shown but never stored.
    B.Integer("DrawingWidth", &TQELFont3D::DrawingWidth, [](TQELFont3D&, int) {}).Stored(false);
    B.Bool("ThreeDimensional", &TQELFont3D::ThreeDimensional, &TQELFont3D::Set3d).SetDefault(1);
    B.Bool("MaskFont", &TQELFont3D::MaskFont, &TQELFont3D::SetMask).SetDefault(1);
    B.Color("Highlight", &TQELFont3D::Highlight, &TQELFont3D::SetHighlight)
        .SetDefault(clBtnHighlight);
    B.Color("Shadow", &TQELFont3D::Shadow, &TQELFont3D::SetShadow).SetDefault(clBtnShadow);
    B.Color("RepetitionColor", &TQELFont3D::RepetitionColor, &TQELFont3D::SetrepColor)
        .SetDefault(clBlack);
    B.Enum("Repetition", &TQELFont3D::Repetition, &TQELFont3D::Setrep).SetDefault(repeatNone);
    B.Integer("Repetitionwidth", &TQELFont3D::Repetitionwidth, &TQELFont3D::Setrepwidth)
        .SetDefault(0);
    B.Integer("Offset", &TQELFont3D::Offset, &TQELFont3D::SetOffset).SetDefault(1);
    B.Enum("Style3D", &TQELFont3D::Style3D, &TQELFont3D::SetStyle3D).SetDefault(fontOnlyHighlight);
}
QEL_IMPLEMENT_CLASS(TQELFont3D, TGraphicsObject, DescribeFont3D)

static void DescribeFrame(TClassBuilder<TQELFrame>& B) {
    // Stored when it differs from the style the owner created the frame with (frameRaised for
    // a plain frame); a fixed default would lose a raised frame on a label.
    B.Enum("FrameStyle", &TQELFrame::FrameStyle, &TQELFrame::SetFrameStyle)
        .NoDefault()
        .Stored([](const TObject& O) {
            const auto& F = static_cast<const TQELFrame&>(O);
            return F.FrameStyle() != F.InitialStyle();
        });
    B.Set<TQELFrameEdge>("Edges", &TQELFrame::Edges, &TQELFrame::SetEdges)
        .SetDefault(TQELFrameEdges{EdgeLeft, EdgeRight, EdgeTop, EdgeBottom}.Bits());
    B.Color("Highlight", &TQELFrame::Highlight, &TQELFrame::SetHighlight)
        .SetDefault(clBtnHighlight);
    B.Color("Shadow", &TQELFrame::Shadow, &TQELFrame::SetShadow).SetDefault(clBtnShadow);
    B.Color("Solid", &TQELFrame::Solid, &TQELFrame::SetSolid).SetDefault(clBlack);
    B.Integer("FrameWidth", &TQELFrame::FrameWidth, &TQELFrame::Setwidth).SetDefault(1);
}
QEL_IMPLEMENT_CLASS(TQELFrame, TGraphicsObject, DescribeFrame)

static void DescribeGlyph(TClassBuilder<TQELGlyph>& B) {
    B.Bool("Visible", &TQELGlyph::Visible, &TQELGlyph::SetVisible).SetDefault(1);
    B.Object("Bitmap", &TQELGlyph::Bitmap, &TQELGlyph::SetBitmap);
    B.Integer("NumGlyphs", &TQELGlyph::NumGlyphs, &TQELGlyph::SetNumGlyphs).SetDefault(1);
    B.Bool("Transparent", &TQELGlyph::Transparent, &TQELGlyph::SetTransparent).SetDefault(1);
    // No declared default: always written.
    B.Color("TransparentColor", &TQELGlyph::TransparentColor, &TQELGlyph::SetTransparentColor);
}
QEL_IMPLEMENT_CLASS(TQELGlyph, TGraphicsObject, DescribeGlyph)

// ---- TQELFont3D ----

TQELFont3D::TQELFont3D(TObject* AOwner) : FOwner(AOwner) {
    OnChange = [this](TObject* Sender) { Invalidate(Sender); };
}

TQELFont3D::~TQELFont3D() {
    OnChange = nullptr;
    FOwner = nullptr;
}

void TQELFont3D::Assign(const TPersistent* Source) {
    if (auto* S = Cast<TQELFont3D>(const_cast<TPersistent*>(Source))) {
        FThreeDimensional = S->FThreeDimensional;
        FMaskFont = S->FMaskFont;
        FHighlight = S->FHighlight;
        FShadow = S->FShadow;
        FRepetitionColor = S->FRepetitionColor;
        FRepetition = S->FRepetition;
        FRepetitionwidth = S->FRepetitionwidth;
        FOffset = S->FOffset;
        FStyle3D = S->FStyle3D;
        Changed();
        return;
    }
    inherited::Assign(Source);
}

void TQELFont3D::Set3d(bool Value) {
    FThreeDimensional = Value;
    Changed();
}
void TQELFont3D::SetMask(bool Value) {
    FMaskFont = Value;
    Changed();
}
void TQELFont3D::SetHighlight(TColor Value) {
    FHighlight = Value;
    Changed();
}
void TQELFont3D::SetShadow(TColor Value) {
    FShadow = Value;
    Changed();
}
void TQELFont3D::SetrepColor(TColor Value) {
    FRepetitionColor = Value;
    Changed();
}
void TQELFont3D::Setrep(TQELRepeat Value) {
    FRepetition = Value;
    Changed();
}
void TQELFont3D::Setrepwidth(std::uint8_t Value) {
    if (Value == FRepetitionwidth) return;
    FRepetitionwidth = Value;
    Changed();
}
void TQELFont3D::SetOffset(std::uint8_t Value) {
    // An offset of 0 would hide the effect under the text; the owner still repaints.
    if (Value != 0) FOffset = Value;
    Changed();
}
void TQELFont3D::SetStyle3D(TQELStyle3D Value) {
    FStyle3D = Value;
    Changed();
}

void TQELFont3D::Invalidate(TObject*) {
    InvalidateIfControl(FOwner);
}

void TQELFont3D::AddStylePasses(const TRect& M, std::vector<TQELTextPass>& Out) const {
    const int O = FOffset;
    TRect R = M;
    switch (FStyle3D) {
    case fontRaised:
    case fontInset:
    case fontOnlyShadow:
    case fontOnlyHighlight: {
        bool HighFirst = FStyle3D == fontRaised || FStyle3D == fontOnlyHighlight;
        TColor First = HighFirst ? FHighlight : FShadow;
        TColor Second =
            (FStyle3D == fontRaised || FStyle3D == fontOnlyShadow) ? FShadow : FHighlight;
        OffsetRect(&R, -O, -O);
        if (FStyle3D != fontOnlyShadow) Out.push_back({First, R});
        OffsetRect(&R, 2 * O, 2 * O);
        if (FStyle3D != fontOnlyHighlight) Out.push_back({Second, R});
        break;
    }
    case fontOutLineShadow: {
        static constexpr int Moves[4][2] = {{-1, -1}, {2, 0}, {0, 2}, {-2, 0}};
        for (auto& Mv : Moves) {
            OffsetRect(&R, Mv[0], Mv[1]);
            Out.push_back({FShadow, R});
        }
        break;
    }
    }
}

std::vector<TQELTextPass> TQELFont3D::Passes(TColor FontColor, const TRect& Rect,
                                             bool Enabled) const {
    std::vector<TQELTextPass> Out;
    TRect R = Rect;
    if (!Enabled) {
        Out.push_back({clBtnHighlight, R});
        OffsetRect(&R, -1, -1);
        Out.push_back({clGrayText, R});
        return Out;
    }
    if (FThreeDimensional) {
        const int O = FOffset, W = FRepetitionwidth;
        if (FRepetition != repeatNone) {
            InflateRect(&R, -W, -W);
            int Step = FRepetition == repeatOnShadow ? -1 : 1;
            OffsetRect(&R, -Step * O, -Step * O);
            for (int I = 0; I < W; ++I) {
                Out.push_back({FRepetitionColor, R});
                OffsetRect(&R, Step, Step);
            }
        }
        AddStylePasses(R, Out);
    }
    Out.push_back({FontColor, R});
    return Out;
}

void TQELFont3D::Write(const TFont* Font, HDC DC, const TRect& Rect, const std::string& Text,
                       int Format, bool Enabled) const {
    if (!Font || Text.empty()) return;
    // The caller's canvas keeps track of what it selected; leave the DC as it was found.
    const int Saved = SaveDC(DC);
    for (const TQELTextPass& P : Passes(Font->Color(), Rect, Enabled)) {
        HGDIOBJ Clear = GetStockObject(NULL_BRUSH);
        UnrealizeObject(Clear);
        SelectObject(DC, Clear);
        SetBkColor(DC, ~ColorToRGB(clWhite) & 0xFFFFFF);
        SetBkMode(DC, TRANSPARENT);
        SelectObject(DC, Font->Handle());
        SetTextColor(DC, ColorToRGB(P.Color));
        TRect R = P.R;
        // The flag is added, not or-ed: a caller's own DT_NOCLIP turns into
        // DT_EXTERNALLEADING, and callers have always received exactly that.
        DrawTextExA(DC, Text.c_str(), -1, &R, UINT(Format + DT_NOCLIP), nullptr);
    }
    RestoreDC(DC, Saved);
}

// ---- TQELFrame ----

TQELFrame::TQELFrame(TObject* AOwner) : FOwner(AOwner) {
    OnChange = [this](TObject* Sender) { Invalidate(Sender); };
}

TQELFrame::TQELFrame(TObject* AOwner, TQELFrameStyle InitialStyle) : TQELFrame(AOwner) {
    FFrameStyle = FInitialStyle = InitialStyle;
}

TQELFrame::~TQELFrame() {
    OnChange = nullptr;
    FOwner = nullptr;
    OnInvalidate = nullptr;
}

void TQELFrame::Assign(const TPersistent* Source) {
    if (auto* S = Cast<TQELFrame>(const_cast<TPersistent*>(Source))) {
        FFrameStyle = S->FFrameStyle;
        FEdges = S->FEdges;
        FHighlight = S->FHighlight;
        FShadow = S->FShadow;
        FSolid = S->FSolid;
        FFrameWidth = S->FFrameWidth;
        Changed();
        return;
    }
    inherited::Assign(Source);
}

void TQELFrame::SetFrameStyle(TQELFrameStyle Value) {
    FFrameStyle = Value;
    Changed();
}
void TQELFrame::SetEdges(TQELFrameEdges Value) {
    FEdges = Value;
    Changed();
}
void TQELFrame::SetHighlight(TColor Value) {
    FHighlight = Value;
    Changed();
}
void TQELFrame::SetShadow(TColor Value) {
    FShadow = Value;
    Changed();
}
void TQELFrame::SetSolid(TColor Value) {
    FSolid = Value;
    Changed();
}
void TQELFrame::Setwidth(std::uint8_t Value) {
    if (Value == 0) return;
    FFrameWidth = Value;
    Changed();
}

int TQELFrame::Calcwidth() const {
    switch (FFrameStyle) {
    case frameNone:
        return 0;
    case frameSolid:
    case frameRaised:
    case frameLowered:
        return FFrameWidth;
    default:
        return 2 * FFrameWidth;
    }
}

TRect TQELFrame::GetEdgePoints() const {
    int W = Calcwidth();
    return {FEdges.Contains(EdgeLeft) ? W : 0, FEdges.Contains(EdgeTop) ? W : 0,
            FEdges.Contains(EdgeRight) ? W : 0, FEdges.Contains(EdgeBottom) ? W : 0};
}

void TQELFrame::Invalidate(TObject* Sender) {
    InvalidateIfControl(FOwner);
    if (OnInvalidate) OnInvalidate(Sender);
}

void TQELFrame::Draw(HDC DC, TRect& Rect) const {
    struct TPass {
        TColor TL, BR;
    };
    TPass Passes[2];
    int Count = 0;
    switch (FFrameStyle) {
    case frameSolid:
        Passes[Count++] = {FSolid, FSolid};
        break;
    case frameRaised:
        Passes[Count++] = {FHighlight, FShadow};
        break;
    case frameLowered:
        Passes[Count++] = {FShadow, FHighlight};
        break;
    case frameNone:
        break;
    case frameFramedUp:
        Passes[Count++] = {FHighlight, FShadow};
        Passes[Count++] = {FShadow, FHighlight};
        break;
    case frameFramedDown:
        Passes[Count++] = {FShadow, FHighlight};
        Passes[Count++] = {FHighlight, FShadow};
        break;
    case framePanelUp:
        Passes[Count++] = {FHighlight, clBlack};
        Passes[Count++] = {clNone, FShadow};
        break;
    case framePanelDown:
        Passes[Count++] = {FShadow, clNone};
        Passes[Count++] = {clBlack, FHighlight};
        break;
    case frameLightBordered:
        Passes[Count++] = {clNone, FShadow};
        Passes[Count++] = {FHighlight, FHighlight};
        break;
    }
    if (Count == 0) return;

    HGDIOBJ OldPen = 0;
    int OldRop = SetROP2(DC, R2_COPYPEN);
    auto UsePen = [&](TColor C) {
        HPEN Pen = CreatePen(PS_SOLID, 1, ColorToRGB(C));
        HGDIOBJ Prev = SelectObject(DC, Pen);
        if (!OldPen)
            OldPen = Prev;
        else
            DeleteObject(Prev);
    };
    auto Segment = [&](int X1, int Y1, int X2, int Y2) {
        MoveToEx(DC, X1, Y1, nullptr);
        LineTo(DC, X2, Y2);
    };
    for (int P = 0; P < Count; ++P) {
        Rect.Bottom -= 1;
        Rect.Right -= 1;
        for (int Ring = 0; Ring < FFrameWidth; ++Ring) {
            const int L = Rect.Left, T = Rect.Top, R = Rect.Right, B = Rect.Bottom;
            if (Passes[P].TL != clNone) {
                UsePen(Passes[P].TL);
                if (FEdges.Contains(EdgeLeft)) Segment(L, B, L, T);
                if (FEdges.Contains(EdgeTop)) Segment(R, T, L, T);
            }
            if (Passes[P].BR != clNone) {
                UsePen(Passes[P].BR);
                if (FEdges.Contains(EdgeRight)) Segment(R, T, R, B);
                if (FEdges.Contains(EdgeBottom)) Segment(R, B, L - 1, B);
            }
            InflateRect(&Rect, -1, -1);
        }
        Rect.Bottom += 1;
        Rect.Right += 1;
    }
    if (OldPen) DeleteObject(SelectObject(DC, OldPen));
    SetROP2(DC, OldRop);
}

void TQELFrame::Drawbutton(TCanvas* Canvas, TRect& Rect, bool Down) const {
    Canvas->Pen()->SetWidth(1);
    auto Ring = [&](TColor X, TColor Y) {
        const int L = Rect.Left, T = Rect.Top, R = Rect.Right, B = Rect.Bottom;
        Canvas->Pen()->SetColor(X);
        Canvas->Polyline({{L, B}, {L, T}, {R, T}});
        Canvas->Pen()->SetColor(Y);
        Canvas->Polyline({{R, T}, {R, B}, {L - 1, B}});
    };
    Rect.Bottom -= 1;
    Rect.Right -= 1;
    if (Down)
        Ring(FShadow, FHighlight);
    else
        Ring(clWhite, clBlack);
    InflateRect(&Rect, -1, -1);
    if (Down)
        Ring(clBlack, clWhite);
    else
        Ring(FHighlight, FShadow);
    InflateRect(&Rect, -1, -1);
    Rect.Bottom += 1;
    Rect.Right += 1;
}

// ---- TQELGlyph ----

TQELGlyph::TQELGlyph(TObject* AOwner) : FOwner(AOwner), FBitmap(std::make_unique<TBitmap>()) {}

TQELGlyph::~TQELGlyph() {
    OnChange = nullptr;
    FOwner = nullptr;
}

void TQELGlyph::Assign(const TPersistent* Source) {
    if (auto* S = Cast<TQELGlyph>(const_cast<TPersistent*>(Source))) {
        FVisible = S->FVisible;
        FBitmap->Assign(S->FBitmap.get());
        FNumGlyphs = S->FNumGlyphs;
        FTransparent = S->FTransparent;
        FTransparentColor = S->FTransparentColor;
        Changed();
        return;
    }
    inherited::Assign(Source);
}

void TQELGlyph::SetVisible(bool Value) {
    if (Value == FVisible) return;
    FVisible = Value;
    Changed();
}

void TQELGlyph::SetBitmap(TBitmap* Value) {
    if (Value == FBitmap.get()) return;
    FBitmap->Assign(Value);
    auto* C = Cast<TComponent>(FOwner);
    if (!FBitmap->Empty() && C && C->IsDesigning()) {
        int W = FBitmap->Width(), H = FBitmap->Height();
        if (H > 0 && W % H == 0) {
            int N = W / H;
            FNumGlyphs = N > 4 ? 1 : N;
        }
        FTransparentColor = FBitmap->Pixel(0, H - 1);
    }
    Changed();
}

void TQELGlyph::SetNumGlyphs(TQELNumGlyphs Value) {
    Value = ClampNumGlyphs(Value);
    if (Value == FNumGlyphs) return;
    FNumGlyphs = Value;
    Changed();
}
void TQELGlyph::SetTransparent(bool Value) {
    if (Value == FTransparent) return;
    FTransparent = Value;
    Changed();
}
void TQELGlyph::SetTransparentColor(TColor Value) {
    if (Value == FTransparentColor) return;
    FTransparentColor = Value;
    Changed();
}

int TQELGlyph::GetWidth() const {
    if (FBitmap->Empty() || FNumGlyphs == 0) return 0;
    return QELRoundDiv(FBitmap->Width(), FNumGlyphs);
}

int TQELGlyph::GetHeight() const {
    return FBitmap->Empty() ? 0 : FBitmap->Height();
}

void TQELGlyph::DrawGrayed(TBitmap& Bitmap, TColor TransparentColor, int Level) {
    TCanvas* C = Bitmap.Canvas();
    const COLORREF Face = ColorToRGB(clBtnFace), High = ColorToRGB(clBtnHighlight),
                   Shadow = ColorToRGB(clBtnShadow);
    for (int Y = 0; Y < Bitmap.Height(); ++Y)
        for (int X = 0; X < Bitmap.Width(); ++X) {
            TColor P = Bitmap.Pixel(X, Y);
            if (P == TransparentColor) continue;
            COLORREF RGBv = ColorToRGB(P);
            int S = GetRValue(RGBv) + GetGValue(RGBv) + GetBValue(RGBv);
            COLORREF N = S > 535 * Level   ? Face
                         : S > 274 * Level ? High
                         : S > 55 * Level  ? Shadow
                                           : 0;
            C->SetPixels(X, Y, N);
        }
}

void TQELGlyph::Draw(TCanvas* Canvas, int X, int Y, bool Enabled, bool Down, bool Gray) const {
    if (FBitmap->Empty() || !FVisible) return;
    TBitmap G;
    const int GW = QELRoundDiv(FBitmap->Width(), FNumGlyphs), GH = FBitmap->Height();
    G.SetWidth(GW);
    G.SetHeight(GH);
    int K = 1;
    if (!Enabled)
        K = FNumGlyphs;
    else if (Down && FNumGlyphs >= 3)
        K = 2;
    BitBlt(G.Canvas()->Handle(), 0, 0, GW, GH, FBitmap->Canvas()->Handle(), (K - 1) * GW, 0,
           SRCCOPY);
    if (!Enabled) DrawGrayed(G, FTransparentColor, 2);
    if (Enabled && Gray) {
        BitBlt(G.Canvas()->Handle(), 0, 0, GW, GH, FBitmap->Canvas()->Handle(), 0, 0, SRCCOPY);
        DrawGrayed(G, FTransparentColor, 1);
    }
    if (FTransparent)
        QELDrawTransparentBitmap(Canvas, &G, X, Y, FTransparentColor);
    else
        BitBlt(Canvas->Handle(), X, Y, GW, GH, G.Canvas()->Handle(), 0, 0, SRCCOPY);
}

// ---- helpers ----

void QELDrawButtonFrame(TCanvas* Canvas, int Width, int Height, int Level, bool Down) {
    struct TRing {
        TColor TL, BR;
    };
    const TRing Rings[3] = {
        Down ? TRing{clBlack, clSilver} : TRing{clSilver, clBlack},
        Down ? TRing{clGray, clWhite} : TRing{clWhite, clGray},
        Down ? TRing{clBtnShadow, clBtnHighlight} : TRing{clBtnHighlight, clBtnShadow},
    };
    auto Draw = [&](int I, TRect R) { Frame3D(*Canvas, R, Rings[I].TL, Rings[I].BR, 1); };
    switch (Level) {
    case 3:
        Draw(0, {0, 0, Width, Height});
        Draw(1, {1, 1, Width - 1, Height - 1});
        Draw(2, {2, 2, Width - 2, Height - 2});
        break;
    case 2:
        Draw(0, {0, 0, Width - 1, Height - 1});
        Draw(2, {1, 1, Width - 2, Height - 2});
        break;
    case 1:
        Draw(2, {0, 0, Width - 1, Height - 1});
        break;
    default:
        break;
    }
}

void QELDrawTransparentBitmap(TCanvas* Canvas, TBitmap* Bitmap, int X, int Y,
                              TColor TransparentColor) {
    TImageList List(Bitmap->Width(), Bitmap->Height());
    List.AddMasked(Bitmap, TransparentColor);
    List.Draw(Canvas, X, Y, 0, true);
}

void QELDrawDisabledText(const TFont* Font, TCanvas* Canvas, const TRect& Rect,
                         const std::string& Text, int Format) {
    TFont* CF = Canvas->Font();
    CF->Assign(Font);
    Canvas->Brush()->SetStyle(bsClear);
    HDC DC = Canvas->Handle();
    TRect R = Rect;
    auto Pass = [&](TColor Color) {
        CF->SetColor(Color);
        const int Saved = SaveDC(DC);
        SelectObject(DC, CF->Handle());
        SetBkMode(DC, TRANSPARENT);
        SetTextColor(DC, ColorToRGB(Color));
        DrawTextExA(DC, Text.c_str(), int(Text.size()), &R, UINT(Format), nullptr);
        RestoreDC(DC, Saved);
    };
    Pass(clBtnHighlight);
    OffsetRect(&R, -1, -1);
    Pass(clGrayText);
}

// ===== End of drawing classes ===============================================================

// ===== Thread timer =========================================================================

TQELThread::TQELThread(TQELTimer32* Timer) : TThread(false), Timer_(Timer) {
    Start();
}

// The worker reads the timer until it ends, so it must be gone before the timer reference is.
TQELThread::~TQELThread() {
    TerminateAndWait();
}

void TQELThread::DoTimer() {
    TQELTimer32* T = Timer_.load(std::memory_order_acquire);
    if (!T) return;
    InTick_ = true;
    T->Timer();
    // Still alive even if the event freed the timer: an abandoned worker is freed only after
    // its Synchronize, which waits for this call, has returned.
    InTick_ = false;
}

void TQELThread::Abandon() {
    Timer_.store(nullptr, std::memory_order_release);
    SetFreeOnTerminate(true);
    Terminate();
}

void TQELThread::Execute() {
    TQELTimer32* T = Timer_.load(std::memory_order_acquire);
    if (!T) return;
    SetPriority(T->Priority());
    while (!Terminated()) {
        Sleep(T->Interval());
        if (Terminated()) break;
        Synchronize([this] { DoTimer(); });
    }
}

TQELTimer32::TQELTimer32(TComponent* AOwner) : TComponent(AOwner) {
    Worker_ = std::make_unique<TQELThread>(this);
    UpdateTimer();
}

TQELTimer32::~TQELTimer32() {
    Enabled_ = false;
    UpdateTimer();
    // Freed by its own event (or with the form that event frees): the worker is waiting for
    // that very event, so joining it here would never return.
    if (Worker_ && Worker_->InTick())
        Worker_.release()->Abandon();
    else
        Worker_.reset();
}

void TQELTimer32::UpdateTimer() {
    if (!Worker_) return;
    if (!Worker_->Suspended()) Worker_->Suspend();
    if (Interval() != 0 && Enabled_ && OnTimer)
        while (Worker_->Suspended())
            Worker_->Resume();
}

void TQELTimer32::SetEnabled(bool Value) {
    if (Value != Enabled_) Enabled_ = Value;
    UpdateTimer();
}

void TQELTimer32::SetInterval(std::uint16_t Value) {
    if (Value != Interval()) Interval_.store(Value, std::memory_order_relaxed);
    UpdateTimer();
}

void TQELTimer32::SetThreadPriority(TThreadPriority Value) {
    if (Value != Priority()) Priority_.store(Value, std::memory_order_relaxed);
    UpdateTimer();
}

void TQELTimer32::Timer() {
    if (!OnTimer) return;
    // The handler may free the timer and with it OnTimer; the copy keeps its closure alive.
    const TNotifyEvent::Handler Handler = OnTimer.Fn;
    Handler(this);
}

QEL_IMPLEMENT_CLASS(TQELTimer32, TComponent, [](TClassBuilder<TQELTimer32>& B) {
    B.Bool("Enabled", &TQELTimer32::Enabled, &TQELTimer32::SetEnabled).SetDefault(true);
    B.Integer("Interval", &TQELTimer32::Interval, &TQELTimer32::SetInterval).SetDefault(1000);
    B.Event("OnTimer", &TQELTimer32::OnTimer);
    B.Enum("Priority", &TQELTimer32::Priority, &TQELTimer32::SetThreadPriority)
        .SetDefault(tpNormal);
})

// ===== End of thread timer ==================================================================

} // namespace qel
