#include "toolkit/controls/StatusBar.h"

#include "toolkit/controls/Forms.h"
#include "toolkit/controls/PublishedGroups.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/Font.h"
#include "toolkit/graphics/TextDraw.h"

namespace qel {

TStatusPanel::TStatusPanel(TCollection* ACollection) : TCollectionItem(ACollection) {}

void TStatusPanel::SetText(const std::string& V) {
    Text_ = V;
    Changed(false);
}
void TStatusPanel::SetWidth(int V) {
    Width_ = V < 0 ? 0 : V;
    Changed(true);
}
void TStatusPanel::SetAlignment(TAlignment V) {
    Alignment_ = V;
    Changed(false);
}
void TStatusPanel::SetBevel(TStatusPanelBevel V) {
    Bevel_ = V;
    Changed(false);
}

void TStatusPanel::Assign(const TPersistent* Source) {
    if (auto* P = dynamic_cast<const TStatusPanel*>(Source)) {
        Text_ = P->Text_;
        Width_ = P->Width_;
        Alignment_ = P->Alignment_;
        Bevel_ = P->Bevel_;
        Changed(true);
        return;
    }
    TCollectionItem::Assign(Source);
}

TStatusPanels::TStatusPanels(TStatusBar* Bar)
    : TCollection(TStatusPanel::StaticClass()), Bar_(Bar) {}

TPersistent* TStatusPanels::GetOwner() const {
    return Bar_;
}

void TStatusPanels::Update(TCollectionItem*) {
    if (Bar_) Bar_->Invalidate();
}

TStatusBar::TStatusBar(TComponent* AOwner) : TCustomControl(AOwner) {
    ControlStyle_ = {csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque};
    Color_ = clBtnFace;
    ParentColor_ = false;
    Height_ = 19;
    Width_ = 150;
    Panels_ = new TStatusPanels(this);
    SetAlign(alBottom);
}

TStatusBar::~TStatusBar() {
    delete Panels_;
}

void TStatusBar::SetSimplePanel(bool V) {
    SimplePanel_ = V;
    Invalidate();
}
void TStatusBar::SetSimpleText(const std::string& V) {
    SimpleText_ = V;
    if (SimplePanel_ || Panels_->Count() == 0) Invalidate();
}

void TStatusBar::WndProc(TMessage& M) {
    if (M.Msg == CM_APPHINT && AutoHint_ && Application) {
        if (SimplePanel_ || Panels_->Count() == 0)
            SetSimpleText(Application->Hint());
        else
            Panels_->Items(0)->SetText(Application->Hint());
        return; // leaves Result 0: other bars on the form show it too
    }
    TCustomControl::WndProc(M);
}
void TStatusBar::SetSizeGrip(bool V) {
    SizeGrip_ = V;
    Invalidate();
}

TRect TStatusBar::PanelRect(int Index) const {
    TRect C = ClientRect();
    int X = 0;
    for (int I = 0; I < Index; ++I)
        X += Panels_->Items(I)->Width() + 2;
    int Right = Index == Panels_->Count() - 1 ? C.Right : X + Panels_->Items(Index)->Width();
    return {X, C.Top + 2, std::max(X, std::min(Right, C.Right)), C.Bottom};
}

void TStatusBar::Paint() {
    static const UINT Align[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    TCanvas* C = Canvas();
    HDC DC = C->Handle();
    C->Brush()->SetColor(Color());
    C->Brush()->SetStyle(bsSolid);
    C->FillRect(ClientRect());
    SelectObject(DC, Font()->Handle());
    SetBkMode(DC, TRANSPARENT);
    ::qel::SetTextColor(DC, ColorToRGB(Font()->Color()));
    auto Cell = [&](TRect R, const std::string& Text, TAlignment A, TStatusPanelBevel B) {
        if (B != pbNone)
            DrawEdge(DC, &R, B == pbLowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER,
                     BF_RECT | BF_ADJUST);
        InflateRect(&R, -2, 0);
        DrawTextA(DC, Text.c_str(), -1, &R,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS | Align[A]);
    };
    if (SimplePanel_ || Panels_->Count() == 0) {
        TRect R = ClientRect();
        R.Top += 2;
        Cell(R, SimpleText_, taLeftJustify, pbNone);
    } else {
        for (int I = 0; I < Panels_->Count(); ++I) {
            TStatusPanel* P = Panels_->Items(I);
            Cell(PanelRect(I), P->Text(), P->Alignment(), P->Bevel());
        }
    }
    if (SizeGrip_) {
        // Three diagonal ridges in the bottom-right corner.
        TRect R = ClientRect();
        HBRUSH Light = GetSysColorBrush(COLOR_BTNHIGHLIGHT),
               Dark = GetSysColorBrush(COLOR_BTNSHADOW);
        for (int D = 3; D <= 11; D += 4)
            for (int I = 0; I < D; ++I) {
                TRect P1{R.Right - D + I, R.Bottom - 1 - I, R.Right - D + I + 1, R.Bottom - I};
                TRect P2{R.Right - D + I + 1, R.Bottom - 1 - I, R.Right - D + I + 2, R.Bottom - I};
                FillRect(DC, &P1, Light);
                FillRect(DC, &P2, Dark);
            }
    }
}

QEL_IMPLEMENT_CLASS(TStatusPanel, TCollectionItem, [](TClassBuilder<TStatusPanel>& B) {
    using T = TStatusPanel;
    B.Enum("Alignment", &T::Alignment, &T::SetAlignment).SetDefault(taLeftJustify);
    B.Enum("Bevel", &T::Bevel, &T::SetBevel).SetDefault(pbLowered);
    B.String("Text", &T::Text, &T::SetText);
    B.Integer("Width", &T::Width, &T::SetWidth).NoDefault();
})

QEL_IMPLEMENT_CLASS(TStatusPanels, TCollection, NoProperties<TStatusPanels>)

QEL_IMPLEMENT_CLASS(TStatusBar, TCustomControl, [](TClassBuilder<TStatusBar>& B) {
    using T = TStatusBar;
    B.Publish("Align").SetDefault(alBottom);
    B.Bool("AutoHint", &T::AutoHint, &T::SetAutoHint).SetDefault(false);
    B.Publish("Color").SetDefault(clBtnFace).AlwaysStored();
    B.Publish("Font");
    B.Collection("Panels", &T::Panels, &T::SetPanels);
    B.Publish("ParentFont");
    B.Bool("SimplePanel", &T::SimplePanel, &T::SetSimplePanel).SetDefault(false);
    B.String("SimpleText", &T::SimpleText, &T::SetSimpleText);
    B.Bool("SizeGrip", &T::SizeGrip, &T::SetSizeGrip).SetDefault(true);
    B.Publish({"Visible", "OnClick"});
})

} // namespace qel
