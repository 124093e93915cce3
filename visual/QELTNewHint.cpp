// The balloon window: placement at activation, the screen capture and the composed picture.
#include "toolkit/controls/Controls.h"
#include "toolkit/graphics/Bitmap.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/TextDraw.h"
#include "toolkit/platform/Window.h"
#include "visual/QELTHint.h"

#include <array>

namespace qel {

QEL_IMPLEMENT_CLASS(TQELNewHint, THintWindow, NoProperties<TQELNewHint>)

namespace {

int ActivatingDepth = 0;

struct TActivation {
    TActivation() { ++ActivatingDepth; }
    ~TActivation() { --ActivatingDepth; }
    TActivation(const TActivation&) = delete;
    TActivation& operator=(const TActivation&) = delete;
};

struct TRegion {
    HRGN H;
    explicit TRegion(HRGN R) : H(R) {}
    ~TRegion() {
        if (H) DeleteObject(H);
    }
    TRegion(const TRegion&) = delete;
    TRegion& operator=(const TRegion&) = delete;
};

using TTriangle = std::array<TPoint, 3>;

// The tail and, for balloons above the pointer, the tail's shadow.
void TailTriangles(TQELDirectionB D, int W, int H, TTriangle& T, TTriangle& S) {
    switch (D) {
    case dUpLeft:
        T = {{{W - 26, H - 15}, {W - 16, H - 15}, {W - 6, H}}};
        S = {{{W - 33, H - 15}, {W - 11, H - 15}, {W - 6, H}}};
        break;
    case dDownRight:
        T = {{{10, 15}, {20, 15}, {0, 0}}};
        S = T;
        break;
    case dDownLeft:
        T = {{{W - 26, 15}, {W - 16, 15}, {W - 6, 0}}};
        S = T;
        break;
    default:
        T = {{{10, H - 15}, {20, H - 15}, {0, H}}};
        S = {{{12, H - 15}, {25, H - 15}, {12, H}}};
        break;
    }
}

// Half-tone: every pixel of the box inside the region whose coordinates share their parity.
void Dither(TCanvas& C, HRGN Region, int X0, int X1, int Y0, int Y1, TColor Color) {
    for (int Y = Y0; Y <= Y1; ++Y)
        for (int X = X0; X <= X1; ++X)
            if ((X & 1) == (Y & 1) && PtInRegion(Region, X, Y)) C.SetPixels(X, Y, Color);
}

void DrawShadow(TCanvas& C, const TQELHint& Q, bool Down, int W, int H, const TTriangle& S) {
    const int Top = Down ? 23 : 8, Bottom = Down ? H - 2 : H - 9;
    TRegion Region(Q.Speechbubble() ? CreateRoundRectRgn(10, Top, W, Bottom, 8, 8)
                                    : CreateRectRgn(10, Top, W, Bottom));
    const TColor Color = Q.HintShadowColor();
    if (Down) {
        Dither(C, Region.H, W - 14, W, 23, H - 8, Color);
        Dither(C, Region.H, 10, W, H - 8, H - 2, Color);
    } else {
        Dither(C, Region.H, W - 14, W, 8, H - 14, Color);
        Dither(C, Region.H, 10, W, H - 14, H - 9, Color);
        if (Q.Speechbubble()) {
            TRegion Tail(CreatePolygonRgn(S.data(), 3, WINDING));
            Dither(C, Tail.H, S[0].X, S[1].X, S[0].Y, S[2].Y, Color);
        }
    }
}

void DrawBody(TCanvas& C, const TQELHint& Q, bool Down, int W, int H) {
    const TColor Key = Q.UnUsedHintColor();
    C.Brush()->SetStyle(bsSolid);
    C.Brush()->SetColor(Key);
    C.Pen()->SetStyle(psSolid);
    C.Pen()->SetWidth(1);
    auto Shape = [&](TColor Pen, int L, int T, int R, int B) {
        C.Pen()->SetColor(Pen);
        if (Q.Speechbubble())
            C.RoundRect(L, T, R, B, 9, 9);
        else
            C.Rectangle(L, T, R, B);
    };
    const int E = Down ? 15 : 0;
    if (Down) {
        Shape(clBlack, 1, E, W - 6, H - 8);
        Shape(clWhite, 0, E, W - 7, H - 9);
        Shape(Key, 1, E + 1, W - 7, H - 9);
    } else {
        Shape(clBlack, 1, 0, W - 6, H - 14);
        Shape(clWhite, 0, 0, W - 7, H - 15);
        Shape(Key, 1, 1, W - 7, H - 15);
    }
}

void DrawTail(TCanvas& C, const TQELHint& Q, const TTriangle& T) {
    C.Pen()->SetColor(Q.UnUsedHintColor());
    C.MoveTo(T[0].X, T[0].Y);
    C.LineTo(T[1].X, T[1].Y);
    TRegion Region(CreatePolygonRgn(T.data(), 3, WINDING));
    C.Brush()->SetStyle(bsSolid);
    C.Brush()->SetColor(Q.UnUsedHintColor());
    FillRgn(C.Handle(), Region.H, C.Brush()->Handle());
    C.Pen()->SetColor(clBlack);
    C.MoveTo(T[1].X, T[1].Y);
    C.LineTo(T[2].X, T[2].Y);
    C.Pen()->SetColor(clWhite);
    C.LineTo(T[0].X, T[0].Y);
}

} // namespace

TQELNewHint::TQELNewHint(TComponent* AOwner) : THintWindow(AOwner) {
    SetControlStyle(ControlStyle() - TControlStyle{csOpaque});
    if (!IsDesigning()) {
        Canvas()->Brush()->SetStyle(bsClear);
        Canvas()->Brush()->SetColor(static_cast<TColor>(0x80000001u));
        Application->SetHintColor(0x80000001u);
    }
    if (TQELHint* Q = FindHintQEL()) Font()->Assign(Q->HintFont());
}

TQELNewHint::~TQELNewHint() = default;

bool TQELNewHint::Activating() {
    return ActivatingDepth > 0;
}

void TQELNewHint::CreateParams(TCreateParams& Params) {
    THintWindow::CreateParams(Params);
    Params.Style &= ~static_cast<DWORD>(WS_BORDER);
    Params.ClassStyle |= CS_SAVEBITS;
}

TQELHint* TQELNewHint::FindHintQEL() const {
    if (IsDesigning()) return nullptr;
    if (TForm* Main = Application->MainForm()) {
        for (int I = 0; I < Main->ComponentCount(); ++I)
            if (auto* Q = Cast<TQELHint>(Main->Components(I))) return Q;
    }
    // Without a main form (or with the component elsewhere) the one of the process serves.
    return TQELHint::Instance();
}

TRect TQELNewHint::CalcHintRect(int MaxWidth, const std::string& Hint, void* Data) {
    const TQELHint* Q = FindHintQEL();
    if (!Q) return THintWindow::CalcHintRect(MaxWidth, Hint, Data);
    TBitmap Probe;
    Probe.SetSize(1, 1);
    HDC DC = Probe.Canvas()->Handle();
    HGDIOBJ Old = SelectObject(DC, Q->HintFont()->Handle());
    TRect R{0, 0, MaxWidth, 0};
    DrawTextA(DC, Hint.c_str(), -1, &R, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(DC, Old);
    R.Right += 6;
    R.Bottom += 2;
    return R;
}

bool TQELNewHint::SelectProperHintDirection(const TRect& Rect) {
    TPoint P;
    GetCursorPos(&P);
    TControl* Target = FindDragTarget(P, true);
    const auto TargetLife = Target ? Target->LifeToken() : std::weak_ptr<const int>();
    TQELHint* Q = FindHintQEL();
    if (!Q) return false;
    TQELHintPlacer Placer(Rect, Screen->Width(), Screen->Height());
    const TQELDirectionB Stored = Q->HintDirection();
    TQELDirectionB Start = Stored;
    if (Q->OnSelectHintDirection) {
        // Called through a copy: a handler that frees the component frees the event with it,
        // and the closure must outlive its own call.
        const auto Handler = Q->OnSelectHintDirection.Fn;
        Handler(Target, Start);
        if (FindHintQEL() != Q || (Target && TargetLife.expired())) return false;
    }
    // The handler's choice holds for this hint only: the stored direction stays.
    Placer.Place(P, Start);
    FDirection = Placer.Direction();
    FX = Placer.X(), FY = Placer.Y();
    return true;
}

void TQELNewHint::ActivateHint(TRect Rect, const std::string& Hint) {
    TActivation Guard;
    // A balloon still up would be in its own capture.
    if (HandleAllocated() && Visible()) ReleaseHandle();
    FCapture.reset();
    FPicture.reset();
    SetCaption(Hint);
    if (!FindHintQEL()) {
        // No settings to paint from: the standard hint.
        THintWindow::ActivateHint(Rect, Hint);
        return;
    }
    if (!SelectProperHintDirection(Rect)) return;
    const int W = Rect.Width() + 16;
    const int H = Rect.Height() + (QELIsDownDirection(FDirection) ? 29 : 20);

    FCapture = std::make_unique<TBitmap>();
    FCapture->SetSize(W, H);
    HDC ScreenDC = GetDC(0);
    BitBlt(FCapture->Canvas()->Handle(), 0, 0, W, H, ScreenDC, FX, FY, SRCCOPY);
    ReleaseDC(0, ScreenDC);

    SetBounds(FX, FY, W, H);
    SetWindowPos(Handle(), HWND_TOPMOST, FX, FY, 0, 0,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOSIZE);
    Visible_ = true;
    Invalidate();
}

void TQELNewHint::Paint() {
    const TQELHint* Q = FindHintQEL();
    if (FCapture && Q) Compose(*Q);
    FCapture.reset();
    if (IsDesigning() || !FPicture) {
        THintWindow::Paint();
        return;
    }
    BitBlt(Canvas()->Handle(), 0, 0, FPicture->Width(), FPicture->Height(),
           FPicture->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void TQELNewHint::Compose(const TQELHint& Q) {
    const int W = FCapture->Width(), H = FCapture->Height();
    const bool Down = QELIsDownDirection(FDirection);
    auto B = std::make_unique<TBitmap>();
    B->SetSize(W, H);
    if (Q.Background()) Q.Background()->Draw(B->Canvas()->Handle(), W, H, true);

    TRect Text{0, 0, W, H};
    Text.Left += 8 - Q.Font3D()->Offset();
    Text.Top += 3 + (Down ? 15 : 0) - Q.Font3D()->Offset();

    TTriangle T, S;
    TailTriangles(FDirection, W, H, T, S);
    TCanvas& C = *FCapture->Canvas();
    if (Q.Shadow()) DrawShadow(C, Q, Down, W, H, S);
    DrawBody(C, Q, Down, W, H);
    if (Q.Speechbubble()) DrawTail(C, Q, T);

    // Outside the outline the capture shows the screen, inside it the background drawing.
    SetBkMode(C.Handle(), TRANSPARENT);
    QELDrawTransparentBitmap(B->Canvas(), FCapture.get(), 0, 0, Q.UnUsedHintColor());
    B->Canvas()->Font()->Assign(Q.HintFont());
    Q.Font3D()->Write(B->Canvas()->Font(), B->Canvas()->Handle(), Text, Caption(),
                      DT_WORDBREAK | DT_NOPREFIX, Enabled());
    FPicture = std::move(B);
}

} // namespace qel
