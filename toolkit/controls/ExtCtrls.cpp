#include "toolkit/controls/ExtCtrls.h"

#include "toolkit/controls/ControlCanvas.h"
#include "toolkit/controls/Forms.h"
#include "toolkit/controls/PublishedGroups.h"
#include "toolkit/graphics/Font.h"
#include "toolkit/graphics/Graphic.h"
#include "toolkit/graphics/Picture.h"
#include "toolkit/graphics/TextDraw.h"

namespace qel {

namespace {
template <class T> bool NotParentColor(const TObject& O) {
    return !static_cast<const T&>(O).ParentColor();
}
} // namespace

// ---- TCustomPanel ----

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
    ControlStyle_ = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption,
                     csOpaque,          csDoubleClicks, csReplicatable};
    Width_ = 185;
    Height_ = 41;
    Color_ = clBtnFace;
    ParentColor_ = false;
}

void TCustomPanel::CreateParams(TCreateParams& P) {
    TCustomControl::CreateParams(P);
    if (BorderStyle_ == bsSingle) P.ExStyle |= WS_EX_CLIENTEDGE;
    P.ClassStyle &= ~UINT(CS_HREDRAW | CS_VREDRAW);
}

void TCustomPanel::AdjustClientRect(TRect& R) {
    int B = BorderWidth_;
    if (BevelOuter_ != bvNone) B += BevelWidth_;
    if (BevelInner_ != bvNone) B += BevelWidth_;
    InflateRect(&R, -B, -B);
}

void TCustomPanel::Paint() {
    static const UINT Alignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    TCanvas* C = Canvas();
    TRect R = ClientRect();
    auto Bevel = [&](TPanelBevel B) {
        TColor Top = B == bvLowered ? clBtnShadow : clBtnHighlight;
        TColor Bottom = B == bvLowered ? clBtnHighlight : clBtnShadow;
        Frame3D(*C, R, Top, Bottom, BevelWidth_);
    };
    if (BevelOuter_ != bvNone) Bevel(BevelOuter_);
    Frame3D(*C, R, Color(), Color(), BorderWidth_);
    if (BevelInner_ != bvNone) Bevel(BevelInner_);
    C->Brush()->SetColor(Color());
    C->Brush()->SetStyle(bsSolid);
    C->FillRect(R);
    C->Brush()->SetStyle(bsClear);
    C->Font()->Assign(Font());
    HDC DC = C->Handle();
    // Raw text calls draw with what the DC holds, so select the control's font for them.
    SelectObject(DC, Font()->Handle());
    SetTextColor(DC, ColorToRGB(Font()->Color()));
    TRect M = R;
    DrawTextA(DC, Caption().c_str(), -1, &M, DT_SINGLELINE | DT_CALCRECT);
    int H = M.Height();
    TRect T{R.Left, R.Top + (R.Height() - H) / 2, R.Right, R.Top + (R.Height() - H) / 2 + H};
    SetBkMode(DC, TRANSPARENT);
    DrawTextA(DC, Caption().c_str(), -1, &T,
              DT_EXPANDTABS | DT_VCENTER | DT_SINGLELINE | Alignments[Alignment_]);
}

void TCustomPanel::SetAlignment(TAlignment V) {
    Alignment_ = V;
    Invalidate();
}
void TCustomPanel::SetBevelInner(TPanelBevel V) {
    BevelInner_ = V;
    Realign();
    Invalidate();
}
void TCustomPanel::SetBevelOuter(TPanelBevel V) {
    BevelOuter_ = V;
    Realign();
    Invalidate();
}
void TCustomPanel::SetBevelWidth(TBevelWidth V) {
    BevelWidth_ = V;
    Realign();
    Invalidate();
}
void TCustomPanel::SetBorderWidth(TBorderWidth V) {
    BorderWidth_ = V;
    Realign();
    Invalidate();
}
void TCustomPanel::SetBorderStyle(TBorderStyle V) {
    if (V == BorderStyle_) return;
    BorderStyle_ = V;
    RecreateWnd();
}

void TCustomPanel::WndProc(TMessage& M) {
    TCustomControl::WndProc(M);
}

QEL_IMPLEMENT_ABSTRACT(TCustomPanel, TCustomControl, NoProperties<TCustomPanel>)

QEL_IMPLEMENT_CLASS(TPanel, TCustomPanel, [](TClassBuilder<TPanel>& B) {
    B.Publish("Align");
    B.Enum("Alignment", &TPanel::Alignment, &TPanel::SetAlignment).SetDefault(taCenter);
    B.Publish("Anchors");
    B.Enum("BevelInner", &TPanel::BevelInner, &TPanel::SetBevelInner).SetDefault(bvNone);
    B.Enum("BevelOuter", &TPanel::BevelOuter, &TPanel::SetBevelOuter).SetDefault(bvRaised);
    B.Integer("BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth).SetDefault(1);
    B.Integer("BorderWidth", &TPanel::BorderWidth, &TPanel::SetBorderWidth).SetDefault(0);
    B.Enum("BorderStyle", &TPanel::BorderStyle, &TPanel::SetBorderStyle).SetDefault(bsNone);
    B.Publish("Caption");
    B.Publish("Color").SetDefault(clBtnFace);
    B.Publish({"Constraints", "Enabled", "Font", "Hint"});
    B.Publish("ParentColor").SetDefault(false);
    B.Publish({"ParentFont",     "ParentShowHint", "ShowHint",    "TabOrder",  "TabStop",
               "Visible",        "OnClick",        "OnDblClick",  "OnEnter",   "OnExit",
               "OnContextPopup", "OnMouseDown",    "OnMouseMove", "OnMouseUp", "DragCursor",
               "DragMode",       "OnDragDrop",     "OnDragOver",  "OnEndDrag", "OnStartDrag",
               "OnResize"});
})

// ---- TBevel ----

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner) {
    ControlStyle_ = ControlStyle_ + TControlStyle{csReplicatable};
    Width_ = 50;
    Height_ = 50;
}

void TBevel::SetShape(TBevelShape V) {
    Shape_ = V;
    Invalidate();
}
void TBevel::SetStyle(TBevelStyle V) {
    Style_ = V;
    Invalidate();
}

void TBevel::Paint() {
    TCanvas* C = Canvas();
    TColor C1 = Style_ == bsLowered ? clBtnShadow : clBtnHighlight;
    TColor C2 = Style_ == bsLowered ? clBtnHighlight : clBtnShadow;
    auto Line = [&](TColor Col, int X1, int Y1, int X2, int Y2) {
        C->Pen()->SetColor(Col);
        C->MoveTo(X1, Y1);
        C->LineTo(X2, Y2);
    };
    int W = Width_, H = Height_;
    TRect R{0, 0, W, H};
    switch (Shape_) {
    case bsBox:
        Frame3D(*C, R, C1, C2, 1);
        break;
    case bsFrame: {
        TRect R2{1, 1, W, H};
        Frame3D(*C, R2, C2, C2, 1);
        TRect R1{0, 0, W - 1, H - 1};
        Frame3D(*C, R1, C1, C1, 1);
        break;
    }
    case bsTopLine:
        Line(C1, 0, 0, W, 0);
        Line(C2, 0, 1, W, 1);
        break;
    case bsBottomLine:
        Line(C1, 0, H - 2, W, H - 2);
        Line(C2, 0, H - 1, W, H - 1);
        break;
    case bsLeftLine:
        Line(C1, 0, 0, 0, H);
        Line(C2, 1, 0, 1, H);
        break;
    case bsRightLine:
        Line(C1, W - 2, 0, W - 2, H);
        Line(C2, W - 1, 0, W - 1, H);
        break;
    case bsSpacer:
        break;
    }
}

QEL_IMPLEMENT_CLASS(TBevel, TGraphicControl, [](TClassBuilder<TBevel>& B) {
    B.Publish({"Align", "Anchors"});
    B.Enum("Shape", &TBevel::Shape, &TBevel::SetShape).SetDefault(bsBox);
    B.Enum("Style", &TBevel::Style, &TBevel::SetStyle).SetDefault(bsLowered);
    B.Publish("Visible");
})

// ---- TImage ----

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner) {
    ControlStyle_ = ControlStyle_ + TControlStyle{csReplicatable};
    Picture_ = new TPicture();
    Picture_->OnChange = [this](TObject*) { PictureChanged(); };
    Width_ = 105;
    Height_ = 105;
}

TImage::~TImage() {
    delete Picture_;
}

void TImage::SetPicture(TPicture* V) {
    Picture_->Assign(V);
}
void TImage::SetAutoSize(bool V) {
    AutoSize_ = V;
    PictureChanged();
}
void TImage::SetCenter(bool V) {
    Center_ = V;
    Invalidate();
}
void TImage::SetStretch(bool V) {
    Stretch_ = V;
    Invalidate();
}
void TImage::SetTransparent(bool V) {
    Transparent_ = V;
    if (Picture_->Graphic()) Picture_->Graphic()->SetTransparent(V);
    Invalidate();
}

void TImage::PictureChanged() {
    TGraphic* G = Picture_->Graphic();
    if (G) {
        if (Transparent_) G->SetTransparent(true);
        if (AutoSize_ && G->Width() > 0 && G->Height() > 0)
            SetBounds(Left_, Top_, G->Width(), G->Height());
    }
    Invalidate();
}

TRect TImage::DestRect() const {
    int W = Picture_->Width(), H = Picture_->Height();
    if (Stretch_) return ClientRect();
    if (Center_) return Bounds((Width_ - W) / 2, (Height_ - H) / 2, W, H);
    return {0, 0, W, H};
}

void TImage::Paint() {
    TCanvas* C = Canvas();
    if (IsDesigning()) {
        C->Pen()->SetStyle(psDash);
        C->Brush()->SetStyle(bsClear);
        C->Rectangle(0, 0, Width_, Height_);
    }
    if (TGraphic* G = Picture_->Graphic(); G && !G->Empty()) C->StretchDraw(DestRect(), G);
}

QEL_IMPLEMENT_CLASS(TImage, TGraphicControl, [](TClassBuilder<TImage>& B) {
    B.Publish({"Align", "Anchors"});
    B.Bool("AutoSize", &TImage::AutoSize, &TImage::SetAutoSize).SetDefault(false);
    B.Bool("Center", &TImage::Center, &TImage::SetCenter).SetDefault(false);
    B.Object("Picture", &TImage::Picture, &TImage::SetPicture);
    B.Bool("Stretch", &TImage::Stretch, &TImage::SetStretch).SetDefault(false);
    B.Bool("Transparent", &TImage::Transparent, &TImage::SetTransparent).SetDefault(false);
    B.Publish({"Visible", "OnClick", "OnDblClick", "OnContextPopup", "OnMouseDown", "OnMouseMove",
               "OnMouseUp", "DragCursor", "DragMode", "OnDragDrop", "OnDragOver", "OnEndDrag",
               "OnStartDrag"});
})

// ---- TPaintBox ----

TPaintBox::TPaintBox(TComponent* AOwner) : TGraphicControl(AOwner) {
    ControlStyle_ = ControlStyle_ + TControlStyle{csReplicatable};
    Width_ = 105;
    Height_ = 105;
}

void TPaintBox::Paint() {
    TCanvas* C = Canvas();
    C->Font()->Assign(Font());
    C->Brush()->SetColor(Color());
    if (IsDesigning()) {
        C->Pen()->SetStyle(psDash);
        C->Brush()->SetStyle(bsClear);
        C->Rectangle(0, 0, Width_, Height_);
    }
    if (OnPaint) OnPaint(this);
}

QEL_IMPLEMENT_CLASS(TPaintBox, TGraphicControl, [](TClassBuilder<TPaintBox>& B) {
    B.Publish({"Align", "Anchors"});
    B.Publish("Color").NoDefault();
    B.Publish({"Font", "ParentColor", "ParentFont", "Visible", "OnClick", "OnDblClick",
               "OnContextPopup", "OnMouseDown", "OnMouseMove", "OnMouseUp", "DragCursor",
               "DragMode", "OnDragDrop", "OnDragOver", "OnEndDrag", "OnStartDrag"});
    B.Event("OnPaint", &TPaintBox::OnPaint);
})

// ---- TTimer ----

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {}

TTimer::~TTimer() {
    if (Id_) TMessageQueue::Main().RemoveTimer(Id_);
}

void TTimer::UpdateTimer() {
    if (Id_) TMessageQueue::Main().RemoveTimer(Id_);
    Id_ = 0;
    if (Interval_ != 0 && Enabled_ && OnTimer && !IsLoading() && !IsDesigning())
        Id_ = TMessageQueue::Main().AddTimer(Interval_, [this] { Timer(); });
}

void TTimer::SetEnabled(bool V) {
    if (V == Enabled_) return;
    Enabled_ = V;
    UpdateTimer();
}

void TTimer::SetInterval(unsigned V) {
    if (V == Interval_) return;
    Interval_ = V;
    UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent::Handler V) {
    OnTimer = std::move(V);
    UpdateTimer();
}

void TTimer::Loaded() {
    TComponent::Loaded();
    UpdateTimer();
}

void TTimer::Timer() {
    if (!OnTimer) return;
    try {
        OnTimer(this);
    } catch (...) {
        if (Application) Application->HandleException(this);
    }
}

QEL_IMPLEMENT_CLASS(TTimer, TComponent, [](TClassBuilder<TTimer>& B) {
    B.Bool("Enabled", &TTimer::Enabled, &TTimer::SetEnabled).SetDefault(true);
    B.Integer("Interval", &TTimer::Interval, &TTimer::SetInterval).SetDefault(1000);
    B.Event("OnTimer", &TTimer::OnTimer);
})

} // namespace qel
