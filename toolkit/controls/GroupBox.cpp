#include "toolkit/controls/GroupBox.h"

#include "toolkit/controls/Forms.h"
#include "toolkit/controls/PublishedGroups.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/Font.h"
#include "toolkit/graphics/TextDraw.h"

namespace qel {

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner) {
    ControlStyle_ = {csAcceptsControls, csCaptureMouse, csClickEvents,
                     csSetCaption,      csDoubleClicks, csReplicatable};
    Width_ = 185;
    Height_ = 105;
}

int TCustomGroupBox::CaptionHeight() const {
    HDC DC = CreateCompatibleDC(0);
    SelectObject(DC, Font()->Handle());
    TSize S{};
    GetTextExtentPoint32A(DC, "0", 1, &S);
    DeleteDC(DC);
    return S.cy;
}

void TCustomGroupBox::AdjustClientRect(TRect& R) {
    R.Top += CaptionHeight();
    InflateRect(&R, -2, -2);
}

void TCustomGroupBox::Paint() {
    TCanvas* C = Canvas();
    HDC DC = C->Handle();
    C->Brush()->SetColor(Color());
    C->Brush()->SetStyle(bsSolid);
    C->FillRect(ClientRect());
    int H = CaptionHeight();
    TRect Frame = ClientRect();
    Frame.Top += H / 2;
    DrawEdge(DC, &Frame, EDGE_ETCHED, BF_RECT);
    if (Caption().empty()) return;
    SelectObject(DC, Font()->Handle());
    TRect T{8, 0, 0, H};
    DrawTextA(DC, Caption().c_str(), -1, &T, DT_SINGLELINE | DT_CALCRECT);
    T.Right += 2;
    T.Left -= 1;
    C->FillRect(T);
    SetBkMode(DC, TRANSPARENT);
    ::qel::SetTextColor(DC, ColorToRGB(Enabled() ? Font()->Color() : clGrayText));
    T.Left += 1;
    DrawTextA(DC, Caption().c_str(), -1, &T, DT_SINGLELINE);
}

void TCustomGroupBox::WndProc(TMessage& M) {
    if (M.Msg == CM_DIALOGCHAR && IsAccel(static_cast<WORD>(M.WParam), Caption()) && CanFocus()) {
        // The accelerator of a group goes to its first control.
        if (TCustomForm* F = GetParentForm())
            if (TWinControl* W = FindNextControl(nullptr, true, true, false)) F->FocusControl(W);
        M.Result = 1;
        return;
    }
    if (M.Msg == CM_TEXTCHANGED) {
        Invalidate();
        Realign();
    }
    TCustomControl::WndProc(M);
}

QEL_IMPLEMENT_ABSTRACT(TCustomGroupBox, TCustomControl, NoProperties<TCustomGroupBox>)

QEL_IMPLEMENT_CLASS(TGroupBox, TCustomGroupBox, [](TClassBuilder<TGroupBox>& B) {
    B.Publish({"Align", "Anchors", "Caption"});
    B.Publish("Color").NoDefault();
    B.Publish({"Enabled", "Font", "ParentColor", "ParentFont", "TabOrder", "TabStop", "Visible",
               "OnClick", "OnEnter", "OnExit"});
})

} // namespace qel
