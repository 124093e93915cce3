#include "visual/QELTButton.h"

#include "toolkit/controls/Forms.h"
#include "toolkit/controls/PublishedGroups.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/Font.h"
#include "toolkit/graphics/TextDraw.h"

namespace qel {

namespace {

constexpr unsigned kSingleLine = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;
constexpr unsigned kWordBreak = DT_CENTER | DT_VCENTER | DT_WORDBREAK;

} // namespace

static void DescribeButton(TClassBuilder<TQELButton>& B) {
    using T = TQELButton;
    B.Publish({"Anchors", "BiDiMode", "Constraints", "DragKind", "ParentBiDiMode", "Caption"});
    B.Bool("Cancel", &T::Cancel, &T::SetCancel).SetDefault(false);
    B.Bool("Default", &T::Default, &T::SetDefault).SetDefault(false);
    B.Object("Font3D", &T::Font3D, &T::Set3D);
    B.Object("Glyph", &T::Glyph, &T::SetQELGlyph);
    B.Publish({"ParentShowHint", "ShowHint", "Font", "Visible"});
    B.Integer("ModalResult", &T::ModalResult, &T::SetModalResult).SetDefault(0);
    B.Bool("WordWrap", &T::WordWrap, &T::Setword).SetDefault(false);
    B.Bool("ButtonSunk", &T::ButtonSunk, &T::SetButtonSunk).SetDefault(false);
    B.Component("Background", &T::Background, &T::SetFBack);
    B.Publish({"OnClick", "DragCursor", "ParentFont", "PopupMenu", "TabOrder"});
    B.Publish("TabStop").SetDefault(true);
    B.Publish({"OnDragDrop", "OnDragOver", "OnEndDrag", "OnKeyDown", "OnKeyPress", "OnKeyUp",
               "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnEnter", "OnExit", "OnStartDrag",
               "Enabled"});
    B.Integer("Width", &T::Width, &T::SetWidth).SetDefault(75);
    B.Integer("Height", &T::Height, &T::SetHeight).SetDefault(25);
}
QEL_IMPLEMENT_CLASS(TQELButton, TButtonControl, DescribeButton)

TQELButton::TQELButton(TComponent* AOwner)
    : TButtonControl(AOwner), FCanvas(std::make_unique<TControlCanvas>()),
      FFont3D(std::make_unique<TQELFont3D>(this)), FGlyph(std::make_unique<TQELGlyph>(this)),
      FTextFormat(kSingleLine) {
    SetControlStyle(ControlStyle() + TControlStyle{csSetCaption, csOpaque, csDoubleClicks});
    SetBounds(Left(), Top(), 75, 25);
    SetTabStop(true);
    FGlyph->OnChange = [this](TObject*) { Invalidate(); };
}

TQELButton::~TQELButton() {
    FGlyph->OnChange = nullptr;
}

void TQELButton::CreateParams(TCreateParams& Params) {
    TButtonControl::CreateParams(Params);
    CreateSubClass(Params, "BUTTON");
    Params.Style |= BS_OWNERDRAW;
}

void TQELButton::CreateWnd() {
    TButtonControl::CreateWnd();
    FActive = FDefault;
}

void TQELButton::Click() {
    // Also a modal result of 0: the button always decides the form's result.
    if (TCustomForm* Form = GetParentForm()) Form->SetModalResult(FModalResult);
    TButtonControl::Click();
}

void TQELButton::SetDefault(bool Value) {
    FDefault = Value;
    if (HandleAllocated())
        if (TCustomForm* Form = GetParentForm())
            Form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(Form->ActiveControl()));
}

void TQELButton::Set3D(TQELFont3D* Value) {
    if (Value != FFont3D.get()) FFont3D->Assign(Value);
    Invalidate();
}

void TQELButton::SetQELGlyph(TQELGlyph* Value) {
    if (Value != FGlyph.get()) FGlyph->Assign(Value);
    Invalidate();
}

void TQELButton::Setword(bool Value) {
    if (Value == FWordWrap) return;
    FWordWrap = Value;
    FTextFormat = Value ? kWordBreak : kSingleLine;
    Invalidate();
}

void TQELButton::SetButtonSunk(bool Value) {
    if (Value == FButtonSunk) return;
    FButtonSunk = Value;
    if (HandleAllocated()) RecreateWnd();
}

void TQELButton::SetFBack(TQELBackground* Value) {
    FBackground.Set(Value);
}

void TQELButton::Notification(TComponent* AComponent, TOperation Operation) {
    TButtonControl::Notification(AComponent, Operation);
    FBackground.Notification(AComponent, Operation);
}

void TQELButton::WndProc(TMessage& M) {
    switch (M.Msg) {
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
        if (ClickOnDialogKey(M, FActive, FCancel)) return;
        break;
    case CM_FOCUSCHANGED: {
        // The form tells every control which one took the focus: a focused push button takes
        // Enter itself, otherwise the default button does.
        auto* Sender = reinterpret_cast<TObject*>(M.LParam);
        if (Sender && Sender->Is<TQELButton>())
            FActive = Sender == this;
        else
            FActive = FDefault;
        break;
    }
    case CM_ENABLEDCHANGED:
        TButtonControl::WndProc(M);
        Repaint();
        return;
    case CN_COMMAND:
        if (HIWORD(M.WParam) == BN_CLICKED) Click();
        return;
    case CN_MEASUREITEM: {
        auto* Measure = reinterpret_cast<MEASUREITEMSTRUCT*>(M.LParam);
        Measure->itemHeight = static_cast<UINT>(Height());
        Measure->itemWidth = static_cast<UINT>(Width());
        return;
    }
    case CN_DRAWITEM:
        DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(M.LParam));
        M.Result = 1;
        return;
    case WM_LBUTTONDOWN:
    case WM_ERASEBKGND:
        // The native button pushes itself and the item is drawn whole: none of the toolkit's
        // mouse-down processing or erasing.
        DefaultHandler(M);
        return;
    default:
        break;
    }
    TButtonControl::WndProc(M);
}

TQELButton::TLayout TQELButton::Layout(unsigned ItemState) const {
    const bool Selected = (ItemState & ODS_SELECTED) != 0;
    const int Sunk = Selected && Enabled() ? 1 : 0;
    TRect R{0, 0, Width(), Height()};
    if (Sunk) OffsetRect(&R, 1, 1);
    InflateRect(&R, -3, -3);
    const int GW = FGlyph->Width(), GH = FGlyph->Height();
    int X = Caption().empty() ? QELRoundDiv(Width() - GW, 2) + 1 : R.Left + 1;
    int Y = QELRoundDiv(Height() - GH, 2) + Sunk;
    TLayout L;
    L.Glyph = {X + 2, Y};
    R.Left += GW + 2;
    L.Text = R;
    L.Sunk = Sunk != 0;
    L.FocusFrame = (ItemState & ODS_FOCUS) && !(ItemState & ODS_DISABLED);
    return L;
}

void TQELButton::DrawItem(const DRAWITEMSTRUCT& Item) {
    const HDC DC = Item.hDC;
    const bool Selected = (Item.itemState & ODS_SELECTED) != 0;
    TCanvas& C = *FCanvas;
    const TCanvasDCScope OnDC(C, DC);
    C.SetFont(Font());
    C.Brush()->SetStyle(bsSolid);
    C.Brush()->SetColor(clBtnFace);
    C.FillRect(ClientRect());
    if (FBackground) FBackground->Draw(DC, Width(), Height(), true);

    const TLayout L = Layout(Item.itemState);
    FGlyph->Draw(&C, L.Glyph.X, L.Glyph.Y, Enabled(), Selected, false);
    if (!Caption().empty()) {
        if (Enabled())
            FFont3D->Write(Font(), DC, L.Text, Caption(), int(FTextFormat), true);
        else
            QELDrawDisabledText(Font(), &C, L.Text, Caption(), int(FTextFormat));
    }

    TRect R{0, 0, Width(), Height()};
    const UINT Edge = L.Sunk ? EDGE_SUNKEN : EDGE_RAISED;
    DrawEdge(DC, &R, Edge, BF_SOFT | BF_TOPLEFT);
    DrawEdge(DC, &R, Edge, BF_SOFT | BF_BOTTOMRIGHT);

    C.Pen()->SetColor(clWindowFrame);
    C.Brush()->SetColor(clBtnFace);
    if (L.FocusFrame) {
        C.Pen()->SetWidth(1);
        C.Pen()->SetStyle(psSolid);
        C.Brush()->SetStyle(bsClear);
        C.Rectangle(2, 2, Width() - 2, Height() - 2);
    }
}

} // namespace qel
