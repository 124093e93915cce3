#include "toolkit/controls/ClientScrollBars.h"

namespace qel {

namespace {
constexpr int Size = TScrollBarPart::DefaultSize;
}

TRect TClientScrollBars::Inner() const {
    TRect R = Client_;
    if (HasV_) R.Right -= Size;
    if (HasH_) R.Bottom -= Size;
    return R;
}

TRect TClientScrollBars::VRect() const {
    return {Client_.Right - Size, Client_.Top, Client_.Right, Client_.Bottom - (HasH_ ? Size : 0)};
}

TRect TClientScrollBars::HRect() const {
    return {Client_.Left, Client_.Bottom - Size, Client_.Right - (HasV_ ? Size : 0),
            Client_.Bottom};
}

void TClientScrollBars::Paint(HDC DC, bool Enabled) const {
    if (HasV_) V.Paint(DC, VRect(), Enabled);
    if (HasH_) H.Paint(DC, HRect(), Enabled);
    if (HasV_ && HasH_) {
        TRect Corner{VRect().Left, HRect().Top, Client_.Right, Client_.Bottom};
        FillRect(DC, &Corner, GetSysColorBrush(COLOR_BTNFACE));
    }
}

TScrollBarPart* TClientScrollBars::MouseDown(TPoint P) {
    for (auto [Bar, R, Has] : {std::tuple{&V, VRect(), HasV_}, std::tuple{&H, HRect(), HasH_}}) {
        if (!Has || !PtInRect(&R, P)) continue;
        TScrollCode Code = Bar->MouseDown(R, P);
        if (Code == scTrack)
            Drag_ = Bar;
        else
            Bar->Scroll(Code);
        return Bar;
    }
    return nullptr;
}

TScrollBarPart* TClientScrollBars::MouseMove(TPoint P) {
    if (!Drag_) return nullptr;
    return Drag_->MouseMove(Drag_ == &V ? VRect() : HRect(), P) ? Drag_ : nullptr;
}

void TClientScrollBars::MouseUp() {
    if (Drag_) Drag_->MouseUp();
    Drag_ = nullptr;
}

} // namespace qel
