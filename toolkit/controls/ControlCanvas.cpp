#include "toolkit/controls/ControlCanvas.h"

#include "toolkit/controls/Controls.h"

#include <algorithm>
#include <vector>

namespace qel {

namespace {
std::vector<TControlCanvas*>& CanvasList() {
    static std::vector<TControlCanvas*> L;
    return L;
}
} // namespace

TControlCanvas::~TControlCanvas() {
    FreeHandle();
}

void TControlCanvas::SetControl(TControl* V) {
    if (Control_ == V) return;
    FreeHandle();
    Control_ = V;
}

void TControlCanvas::CreateHandle() {
    if (!Control_) return;
    if (!DeviceContext_) {
        DeviceContext_ = Control_->GetDeviceContextFor(WindowHandle_);
        CanvasList().push_back(this);
    }
    SetHandle(DeviceContext_);
}

void TControlCanvas::FreeHandle() {
    if (!DeviceContext_) return;
    HDC DC = DeviceContext_;
    DeviceContext_ = 0;
    if (HandleAllocated()) SetHandle(0);
    ReleaseDC(WindowHandle_, DC);
    WindowHandle_ = 0;
    std::erase(CanvasList(), this);
}

void FreeDeviceContexts() {
    auto L = CanvasList();
    for (TControlCanvas* C : L) {
        // A canvas locked by another thread keeps its context until it is done.
        if (C->TryLock()) {
            C->FreeHandle();
            C->Unlock();
        }
    }
}

QEL_IMPLEMENT_CLASS(TControlCanvas, TCanvas, NoProperties<TControlCanvas>)

} // namespace qel
