#include "toolkit/controls/StdCtrls2.h"

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
    using T = TGroupBox;
    B.Enum("Align", &T::Align, &T::SetAlign).SetDefault(alNone);
    B.Set<TAnchorKind>("Anchors", &T::Anchors, &T::SetAnchors)
        .SetDefault(TAnchors{akLeft, akTop}.Bits());
    B.String("Caption", &T::Caption, &T::SetCaption);
    B.Color("Color", &T::Color, &T::SetColor).Stored([](const TObject& O) {
        return !static_cast<const T&>(O).ParentColor();
    });
    B.Bool("Enabled", &T::Enabled, &T::SetEnabled).SetDefault(true);
    PublishFont(B);
    B.Bool("ParentColor", &T::ParentColor, &T::SetParentColor).SetDefault(true);
    B.Bool("ParentFont", &T::ParentFont, &T::SetParentFont).SetDefault(true);
    B.Integer("TabOrder", &T::TabOrder, &T::SetTabOrder).NoDefault();
    B.Bool("TabStop", &T::TabStop, &T::SetTabStop).SetDefault(false);
    B.Bool("Visible", &T::Visible, &T::SetVisible).SetDefault(true);
    B.Event("OnClick", &T::OnClick);
    B.Event("OnEnter", &T::OnEnter);
    B.Event("OnExit", &T::OnExit);
})

} // namespace qel
