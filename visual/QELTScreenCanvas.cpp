#include "visual/QELTScreenCanvas.h"

#include "toolkit/controls/Forms.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/platform/ScreenDC.h"
#include "toolkit/platform/Window.h"

namespace qel {

static void DescribeScreenCanvas(TClassBuilder<TQELScreenCanvas>& B) {
    using T = TQELScreenCanvas;
    B.Bool("AutoRestore", &T::AutoRestore, &T::SetAutoRestore).SetDefault(false);
}
QEL_IMPLEMENT_CLASS(TQELScreenCanvas, TComponent, DescribeScreenCanvas)

TQELScreenCanvas::TQELScreenCanvas(TComponent* AOwner) : TComponent(AOwner) {}

TQELScreenCanvas::~TQELScreenCanvas() {
    EndPaint();
}

TCanvas* TQELScreenCanvas::Canvas() {
    if (!FActive) BeginPaint();
    return FCanvas.get();
}

int TQELScreenCanvas::GetWidth() const {
    return Screen ? Screen->Width() : GetSystemMetrics(SM_CXSCREEN);
}

int TQELScreenCanvas::GetHeight() const {
    return Screen ? Screen->Height() : GetSystemMetrics(SM_CYSCREEN);
}

void TQELScreenCanvas::BeginPaint() {
    if (FActive) return;
    if (GetSystemMetrics(SM_CXSCREEN) <= 0 || GetSystemMetrics(SM_CYSCREEN) <= 0)
        throw EInvalidOperation("There is no screen to draw on");
    HDC DC = GetDC(0);
    if (!DC) throw EInvalidOperation("The screen cannot be drawn on");
    auto C = std::make_unique<TCanvas>();
    C->SetHandle(DC);
    // Every drawing call reaches the screen at the end of the loop turn.
    C->OnChange = [](TObject*) { ScreenDrawn(); };
    FCanvas = std::move(C);
    FActive = true;
}

void TQELScreenCanvas::EndPaint() {
    if (!FActive) return;
    HDC DC = FCanvas->Handle();
    FCanvas->OnChange = nullptr;
    PresentScreenDrawing();
    FCanvas->SetHandle(0);
    ReleaseDC(0, DC);
    FCanvas.reset();
    FActive = false;
    if (FAutoRestore) RestoreScreen();
}

void TQELScreenCanvas::RestoreScreen() {
    InvalidateRect(0, nullptr, TRUE);
}

} // namespace qel
