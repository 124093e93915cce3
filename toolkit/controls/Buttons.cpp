#include "toolkit/controls/Buttons.h"

#include "toolkit/controls/ControlCanvas.h"
#include "toolkit/controls/PublishedGroups.h"
#include "toolkit/controls/StdCtrls.h"
#include "toolkit/graphics/Bitmap.h"
#include "toolkit/graphics/Font.h"
#include "toolkit/graphics/TextDraw.h"

namespace qel {

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner) {
    Width_ = 23;
    Height_ = 22;
    ControlStyle_ = TControlStyle{csCaptureMouse, csDoubleClicks};
    Glyph_ = new TBitmap();
    Glyph_->OnChange = [this](TObject*) { Invalidate(); };
}

TSpeedButton::~TSpeedButton() {
    delete Glyph_;
}

void TSpeedButton::SetAllowAllUp(bool V) {
    AllowAllUp_ = V;
    UpdateExclusive();
}
void TSpeedButton::SetGroupIndex(int V) {
    GroupIndex_ = V;
    UpdateExclusive();
}
void TSpeedButton::SetDown(bool V) {
    if (GroupIndex_ == 0) V = false;
    if (V == Down_) return;
    if (Down_ && !AllowAllUp_) return;
    Down_ = V;
    if (V) {
        if (State_ == bsUp) Invalidate();
        State_ = bsExclusive;
    } else {
        State_ = bsUp;
        Repaint();
    }
    if (V) UpdateExclusive();
}
void TSpeedButton::SetFlat(bool V) {
    Flat_ = V;
    Invalidate();
}
void TSpeedButton::SetGlyph(TBitmap* V) {
    Glyph_->Assign(V);
}
void TSpeedButton::SetNumGlyphs(TNumGlyphs V) {
    NumGlyphs_ = V < 1 ? 1 : V > 4 ? 4 : V;
    Invalidate();
}
void TSpeedButton::SetLayout(TButtonLayout V) {
    Layout_ = V;
    Invalidate();
}
void TSpeedButton::SetMargin(int V) {
    Margin_ = V;
    Invalidate();
}
void TSpeedButton::SetSpacing(int V) {
    Spacing_ = V;
    Invalidate();
}

// Buttons of the same group on the same parent: only one is down.
void TSpeedButton::UpdateExclusive() {
    if (GroupIndex_ == 0 || !Parent_) return;
    for (int I = 0; I < Parent_->ControlCount(); ++I) {
        auto* B = dynamic_cast<TSpeedButton*>(Parent_->Controls(I));
        if (!B || B == this || B->GroupIndex_ != GroupIndex_) continue;
        if (Down_ && B->Down_) {
            B->Down_ = false;
            B->State_ = bsUp;
            B->Invalidate();
        }
        B->AllowAllUp_ = AllowAllUp_;
    }
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft && Enabled_) {
        if (!Down_) {
            State_ = bsDown;
            Invalidate();
        }
        Dragging_ = true;
    }
}

void TSpeedButton::MouseMove(TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseMove(Shift, X, Y);
    if (!Dragging_) return;
    bool In = X >= 0 && X < Width_ && Y >= 0 && Y < Height_;
    TButtonState New = In ? bsDown : (Down_ ? bsExclusive : bsUp);
    if (New != State_) {
        State_ = New;
        Invalidate();
    }
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (!Dragging_) return;
    Dragging_ = false;
    bool In = X >= 0 && X < Width_ && Y >= 0 && Y < Height_;
    if (GroupIndex_ == 0) {
        State_ = bsUp;
        if (In) Click();
    } else if (In) {
        SetDown(!Down_);
        if (Down_) Repaint();
        Click();
    } else {
        State_ = Down_ ? bsExclusive : bsUp;
    }
    Invalidate();
}

void TSpeedButton::Click() {
    TGraphicControl::Click();
}

void TSpeedButton::WndProc(TMessage& M) {
    switch (M.Msg) {
    case CM_ENABLEDCHANGED:
        State_ = Enabled_ ? (Down_ ? bsExclusive : bsUp) : bsDisabled;
        Invalidate();
        return;
    case CM_DIALOGCHAR:
        if (IsAccel(static_cast<WORD>(M.WParam), Caption()) && Enabled_ && Visible_ && Parent_ &&
            Parent_->Showing()) {
            Click();
            M.Result = 1;
        }
        return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        TGraphicControl::WndProc(M);
        if (Flat_ && Enabled_) Invalidate();
        return;
    default:
        break;
    }
    TGraphicControl::WndProc(M);
}

void TSpeedButton::Paint() {
    TCanvas* C = Canvas();
    HDC DC = C->Handle();
    TRect R = ClientRect();
    if (!Enabled_)
        State_ = bsDisabled;
    else if (State_ == bsDisabled)
        State_ = Down_ ? bsExclusive : bsUp;
    bool Pushed = State_ == bsDown || State_ == bsExclusive;
    if (Flat_) {
        HBRUSH B = GetSysColorBrush(COLOR_BTNFACE);
        FillRect(DC, &R, B);
        if (Pushed || (IsMouseInside() && Enabled_)) {
            TRect E = R;
            DrawEdge(DC, &E, Pushed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
        }
    } else {
        DrawClassicButtonFace(DC, R, Pushed, false, true);
    }
    if (State_ == bsExclusive && !Flat_) {
        // The held-down look: a dithered face, like the classic toolbar.
        TRect In = R;
        InflateRect(&In, -2, -2);
        for (int Y = In.Top; Y < In.Bottom; ++Y)
            for (int X = In.Left + ((Y - In.Top) & 1); X < In.Right; X += 2)
                SetPixelV(DC, X, Y, ColorToRGB(clBtnHighlight));
    }
    int Off = Pushed ? 1 : 0;
    // Glyph: one image of NumGlyphs side by side (up, disabled, down, exclusive).
    int GW = 0, GH = 0;
    if (!Glyph_->Empty()) {
        GW = Glyph_->Width() / NumGlyphs_;
        GH = Glyph_->Height();
    }
    TSize TS{0, 0};
    C->Font()->Assign(Font());
    SelectObject(DC, Font()->Handle());
    std::string Text = Caption();
    if (!Text.empty()) {
        TRect M{0, 0, Width_, 0};
        DrawTextA(DC, Text.c_str(), -1, &M, DT_CALCRECT | DT_SINGLELINE);
        TS = {M.Width(), M.Height()};
    }
    int Space = (GW && !Text.empty()) ? Spacing_ : 0;
    int TotalW = GW + Space + TS.cx, TotalH = std::max(GH, TS.cy);
    bool Vertical = Layout_ == blGlyphTop || Layout_ == blGlyphBottom;
    if (Vertical) TotalH = GH + Space + TS.cy, TotalW = std::max(GW, TS.cx);
    int X0 = Margin_ >= 0 && !Vertical ? Margin_ : (Width_ - TotalW) / 2;
    int Y0 = Margin_ >= 0 && Vertical ? Margin_ : (Height_ - TotalH) / 2;
    TPoint GP, TP;
    switch (Layout_) {
    case blGlyphLeft:
        GP = {X0, (Height_ - GH) / 2};
        TP = {X0 + GW + Space, (Height_ - TS.cy) / 2};
        break;
    case blGlyphRight:
        TP = {X0, (Height_ - TS.cy) / 2};
        GP = {X0 + TS.cx + Space, (Height_ - GH) / 2};
        break;
    case blGlyphTop:
        GP = {(Width_ - GW) / 2, Y0};
        TP = {(Width_ - TS.cx) / 2, Y0 + GH + Space};
        break;
    case blGlyphBottom:
        TP = {(Width_ - TS.cx) / 2, Y0};
        GP = {(Width_ - GW) / 2, Y0 + TS.cy + Space};
        break;
    }
    if (GW > 0) {
        int Index = 0;
        if (State_ == bsDisabled && NumGlyphs_ > 1)
            Index = 1;
        else if (State_ == bsDown && NumGlyphs_ > 2)
            Index = 2;
        else if (State_ == bsExclusive && NumGlyphs_ > 3)
            Index = 3;
        TRect Src = Bounds(Index * GW, 0, GW, GH);
        TRect Dst = Bounds(GP.X + Off, GP.Y + Off, GW, GH);
        // The bottom-left pixel is the transparent colour of a glyph.
        TColor Key = Glyph_->Canvas()->Pixels(0, GH - 1);
        C->BrushCopy(Dst, Glyph_, Src, Key);
    }
    if (!Text.empty()) {
        TRect T = Bounds(TP.X + Off, TP.Y + Off, TS.cx, TS.cy);
        SetBkMode(DC, TRANSPARENT);
        if (!Enabled_) {
            TRect S = T;
            OffsetRect(&S, 1, 1);
            SetTextColor(DC, ColorToRGB(clBtnHighlight));
            DrawTextA(DC, Text.c_str(), -1, &S, DT_SINGLELINE);
            SetTextColor(DC, ColorToRGB(clBtnShadow));
        } else {
            SetTextColor(DC, ColorToRGB(Font()->Color()));
        }
        DrawTextA(DC, Text.c_str(), -1, &T, DT_SINGLELINE);
    }
}

QEL_IMPLEMENT_CLASS(TSpeedButton, TGraphicControl, [](TClassBuilder<TSpeedButton>& B) {
    B.Bool("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp).SetDefault(false);
    B.Publish({"Align", "Anchors"});
    B.Integer("GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex).SetDefault(0);
    B.Bool("Down", &TSpeedButton::Down, &TSpeedButton::SetDown).SetDefault(false);
    B.Publish({"Caption", "Enabled"});
    B.Bool("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat).SetDefault(false);
    B.Publish("Font");
    B.Object("Glyph", &TSpeedButton::Glyph, &TSpeedButton::SetGlyph);
    B.Enum("Layout", &TSpeedButton::Layout, &TSpeedButton::SetLayout).SetDefault(blGlyphLeft);
    B.Integer("Margin", &TSpeedButton::Margin, &TSpeedButton::SetMargin).SetDefault(-1);
    B.Integer("NumGlyphs", &TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs).SetDefault(1);
    B.Publish("ParentFont");
    B.Integer("Spacing", &TSpeedButton::Spacing, &TSpeedButton::SetSpacing).SetDefault(4);
    B.Publish({"Visible", "Hint", "OnClick", "OnDblClick", "OnContextPopup", "OnMouseDown",
               "OnMouseMove", "OnMouseUp", "DragCursor", "DragMode", "OnDragDrop", "OnDragOver",
               "OnEndDrag", "OnStartDrag"});
})

} // namespace qel
