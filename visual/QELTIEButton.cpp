#include "visual/QELTIEButton.h"

#include "toolkit/controls/Forms.h"
#include "toolkit/controls/PublishedGroups.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/Font.h"
#include "toolkit/graphics/TextDraw.h"
#include "visual/QELTBackgroundSteps.h"

namespace qel {

namespace {

constexpr int kCaptionFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;

} // namespace

static void DescribeIEButton(TClassBuilder<TQELIEButton>& B) {
    using T = TQELIEButton;
    B.Bool("AllowAllUp", &T::AllowAllUp, &T::SetAllowAllUp).SetDefault(false);
    B.Object("Glyph", &T::Glyph, &T::SetQELGlyph);
    B.Bool("DesignTimeFrame", &T::DesignTimeFrame, &T::Setdesframe);
    B.Integer("GroupIndex", &T::GroupIndex, &T::SetGroupIndex).SetDefault(0);
    B.Bool("Down", &T::Down, &T::SetDown).SetDefault(false);
    B.Component("DropDownMenu", &T::DropDownMenu, &T::SetDropDown);
    B.Bool("Enabled", &T::Enabled, &T::SetEnabled).SetDefault(true);
    B.Enum("Layout", &T::Layout, &T::SetLayout).SetDefault(pTop);
    B.Set<TQELButtonOption>("Options", &T::Options, &T::SetOptions);
    B.Enum("BevelLooks", &T::BevelLooks, &T::SetBevelLooks);
    B.Object("Font3D", &T::Font3D, &T::Set3Ds);
    B.String("Caption", &T::getcaption, &T::Setcaption);
    PublishFont(B);
    B.Publish({"Hint", "OnClick", "ParentFont"});
    PublishShowHint(B);
    B.Publish("Visible");
}
QEL_IMPLEMENT_CLASS(TQELIEButton, TQELGraphicControl, DescribeIEButton)

TQELIEButton::TQELIEButton(TComponent* AOwner)
    : TQELGraphicControl(AOwner), FFont3D(std::make_unique<TQELFont3D>(this)),
      FGlyph(std::make_unique<TQELGlyph>(this)), FDesignTimeFrame(IsDesigning()) {
    SetControlStyle(TControlStyle{csCaptureMouse, csClickEvents, csSetCaption});
    SetBounds(Left(), Top(), 80, 21);
    FGlyph->OnChange = [this](TObject*) { Invalidate(); };
}

TQELIEButton::~TQELIEButton() {
    FGlyph->OnChange = nullptr;
}

// ---- setters ----

void TQELIEButton::SetAllowAllUp(bool Value) {
    FAllowAllUp = Value;
    if (FGroupIndex != 0) ForEachInGroup([Value](TQELIEButton* B) { B->FAllowAllUp = Value; });
}

void TQELIEButton::SetQELGlyph(TQELGlyph* Value) {
    if (Value != FGlyph.get()) FGlyph->Assign(Value);
    Invalidate();
}

void TQELIEButton::Setdesframe(bool Value) {
    FDesignTimeFrame = Value;
    Invalidate();
}

void TQELIEButton::SetGroupIndex(int Value) {
    FGroupIndex = Value;
    if (Value == 0 && FDown) {
        FDown = false;
        Invalidate();
    }
}

void TQELIEButton::SetDown(bool Value) {
    if (FGroupIndex == 0) return;
    FDown = Value;
    Invalidate();
    if (!Value) return;
    ForEachInGroup([](TQELIEButton* B) {
        if (!B->FDown) return;
        B->FDown = false;
        B->Invalidate();
    });
}

void TQELIEButton::SetDropDown(TPopupMenu* Value) {
    if (FDropDownMenu && FDropDownMenu != Value) FDropDownMenu->RemoveFreeNotification(this);
    FDropDownMenu = Value;
    if (Value) Value->FreeNotification(this);
    Invalidate();
}

void TQELIEButton::SetEnabled(bool Value) {
    FEnabled = Value;
    GetLost();
}

void TQELIEButton::SetLayout(TQELPosition Value) {
    FLayout = Value;
    Invalidate();
}

void TQELIEButton::SetOptions(TQELButtonOptions Value) {
    FOptions = Value;
    Invalidate();
}

void TQELIEButton::SetBevelLooks(TQELButtonKind Value) {
    if (Value == FBevelLooks) return;
    FBevelLooks = Value;
    Invalidate();
}

void TQELIEButton::Set3Ds(TQELFont3D* Value) {
    if (Value != FFont3D.get()) FFont3D->Assign(Value);
    Invalidate();
}

void TQELIEButton::Setcaption(const std::string& Value) {
    if (Value != Caption()) SetText(Value);
    Invalidate();
}

void TQELIEButton::GetLost() {
    if (FGroupIndex == 0) FDown = false;
    FPressed = false;
    FHot = false;
    Invalidate();
}

void TQELIEButton::Notification(TComponent* AComponent, TOperation Operation) {
    TQELGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FDropDownMenu) FDropDownMenu = nullptr;
}

template <class F> void TQELIEButton::ForEachInGroup(F Fn) {
    TWinControl* P = Parent();
    if (!P) return;
    for (int I = 0; I < P->ControlCount(); ++I)
        if (auto* B = dynamic_cast<TQELIEButton*>(P->Controls(I));
            B && B != this && B->FGroupIndex == FGroupIndex)
            Fn(B);
}

// ---- mouse and keyboard ----

bool TQELIEButton::HoldsCapture() const {
    return GetCaptureControl() == this;
}

bool TQELIEButton::MayGetHot() const {
    if (!FEnabled || !Visible()) return false;
    TCustomForm* Form = GetParentForm();
    return Form && Screen && Screen->ActiveForm() == Form;
}

void TQELIEButton::WMMouseMove(int X, int Y) {
    if (!HoldsCapture()) {
        // Holding the capture is how the button learns that the mouse went away again.
        SetCaptureControl(this);
        if (MayGetHot()) {
            FHot = true;
            if (!FDown) Invalidate();
        }
        return;
    }
    const bool Outside = X < 0 || Y < 0 || X > Width() || Y > Height();
    if (Outside) {
        if (FHot) {
            FHot = false;
            if (!FDown && FEnabled) Invalidate();
        }
        // A button dragged off keeps the capture until the release; otherwise it lets go,
        // also when it never got hot (disabled, or on an inactive form).
        if (!FPressed) {
            FOwnCaptureChange = true;
            SetCaptureControl(nullptr);
            FOwnCaptureChange = false;
        }
    } else if (!FHot && (FPressed || MayGetHot())) {
        FHot = true;
        if (!FDown && FEnabled) Invalidate();
    }
}

void TQELIEButton::WMLButtonDown(bool FromMouse) {
    if (!FEnabled || !Visible()) return;
    // A press without a move before it (a window that just appeared under the pointer) must
    // still see its release.
    if (FromMouse && !HoldsCapture()) SetCaptureControl(this);
    FPressed = true;
    FHot = true;
    Invalidate();
    if (!FDropDownMenu) return;
    const TPoint Corner = ClientToScreen({0, Height()});
    auto Alive = LifeToken();
    // The menu takes the capture while it is open; the pressed look stays until it closes.
    FOwnCaptureChange = true;
    Update();
    FDropDownMenu->Popup(Corner.X, Corner.Y);
    if (Alive.expired()) return;
    FOwnCaptureChange = false;
    FPressed = false;
    FHot = false;
    Invalidate();
}

void TQELIEButton::WMLButtonUp() {
    if (!FEnabled || !Visible() || !FPressed) return;
    FPressed = false;
    if (FHot && FGroupIndex != 0) {
        if (FDown) {
            if (FAllowAllUp) {
                FDown = false;
                Invalidate();
            }
        } else {
            SetDown(true);
        }
    }
    if (HoldsCapture()) {
        FOwnCaptureChange = true;
        SetCaptureControl(nullptr);
        FOwnCaptureChange = false;
    }
    if (!FHot) return;
    FHot = false;
    Invalidate();
    if (!FDropDownMenu) Click();
}

void TQELIEButton::LoseCapture() {
    if (FOwnCaptureChange || (!FPressed && !FHot)) return;
    FPressed = false;
    FHot = false;
    Invalidate();
}

bool TQELIEButton::DialogChar(WORD Key) {
    if (!IsAccel(Key, Caption()) || !FEnabled || !Visible()) return false;
    auto Alive = LifeToken();
    auto Pump = [&] {
        if (Application) Application->ProcessMessages();
        return !Alive.expired();
    };
    FHot = true;
    FPressed = false;
    Invalidate();
    if (!Pump()) return true;
    WMLButtonDown(false);
    if (Alive.expired() || !Pump()) return true;
    WMLButtonUp();
    if (Alive.expired() || !Pump()) return true;
    TPoint P;
    GetCursorPos(&P);
    if (Parent()) P = Parent()->ScreenToClient(P);
    const TRect R = BoundsRect();
    const bool Inside = P.X > R.Left && P.X < R.Right && P.Y > R.Top && P.Y < R.Bottom;
    if (!Inside) {
        FHot = false;
        Invalidate();
    }
    return true;
}

void TQELIEButton::WndProc(TMessage& M) {
    if (IsDesigning()) {
        TQELGraphicControl::WndProc(M);
        return;
    }
    switch (M.Msg) {
    case WM_MOUSEMOVE:
        WMMouseMove(GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam));
        return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        WMLButtonDown(true);
        return;
    case WM_LBUTTONUP:
        WMLButtonUp();
        return;
    case WM_RBUTTONUP:
        M.Result = 0;
        return;
    case WM_CAPTURECHANGED:
        LoseCapture();
        return;
    case CM_MOUSELEAVE:
        // The pointer left for another window without a last move over this one.
        if (FHot && !FPressed) {
            FHot = false;
            Invalidate();
        }
        break;
    case CM_DIALOGCHAR:
        if (DialogChar(static_cast<WORD>(M.WParam))) {
            M.Result = 1;
            return;
        }
        break;
    default:
        break;
    }
    TQELGraphicControl::WndProc(M);
}

// ---- painting ----

void TQELIEButton::DrawPopupMark(int X, int Y) {
    TCanvas& C = *Canvas();
    const TColor Color = C.Font()->Color();
    for (int I = X; I <= X + 6; ++I)
        C.SetPixels(I, Y - 1, Color);
    for (int I = X + 1; I <= X + 5; ++I)
        C.SetPixels(I, Y, Color);
    for (int I = X + 2; I <= X + 4; ++I)
        C.SetPixels(I, Y + 1, Color);
    C.SetPixels(X + 3, Y + 2, Color);
}

void TQELIEButton::Paint() {
    TCanvas& C = *Canvas();
    const int W = Width(), H = Height();
    const int GW = FGlyph->Width(), GH = FGlyph->Height();
    const int P = FPressed ? 1 : 0;
    C.Brush()->SetStyle(bsClear);
    C.Pen()->SetWidth(1);
    C.Pen()->SetColor(clBlack);
    if (IsDesigning() && FDesignTimeFrame) C.Rectangle(0, 0, W, H);
    C.SetFont(Font());
    int M = 0;
    if (FOptions.Contains(opMenuArrow) && FDropDownMenu) {
        DrawPopupMark(W - 13, QELRoundDiv(H, 2) - 2);
        M = 7;
    }
    const HDC DC = C.Handle();
    auto Write = [&](const TRect& R) {
        FFont3D->Write(C.Font(), DC, R, Caption(), kCaptionFormat, FEnabled);
    };
    if (FGlyph->Bitmap()->Empty() || FOptions.Contains(opTextonly)) {
        const int S = (FPressed && FHot) || FDown ? 1 : 0;
        Write({4, 4 + S, W - 4, H - 4 + S});
    } else {
        int X = QELRoundDiv(W, 2) - QELRoundDiv(GW, 2);
        int Y = QELRoundDiv(H, 2) - QELRoundDiv(GH, 2);
        const bool BitmapOnly = FOptions.Contains(opBitmapOnly);
        if ((Caption().empty() || BitmapOnly) && (FLayout == pLeft || FLayout == pRight)) Y += P;
        if (!BitmapOnly) {
            switch (FLayout) {
            case pLeft:
                X = 6;
                Write({GW + 6, 4, W - 4 - M, H - 4});
                break;
            case pRight:
                X = W - 6 - GW - M;
                Write({4, 4, W - 6 - GW - M, H - 4});
                break;
            case pTop:
                Y = 6 + P;
                Write({4, GH + 6, W - 4 - M, H - 4});
                break;
            case pBottom:
                Y = H - 8 - GH + P;
                Write({4, 4, W - 4 - M, H - 8 - GH});
                break;
            }
        }
        FGlyph->Draw(&C, X, Y, FEnabled, false, FOptions.Contains(opMonoDisplay) && !FHot);
    }
    const int Level = static_cast<int>(FBevelLooks) + 1;
    if (FHot && !FPressed && FEnabled) QELDrawButtonFrame(&C, W, H, Level, false);
    if (((FPressed && FHot) || FDown) && FEnabled) QELDrawButtonFrame(&C, W, H, Level, true);
}

} // namespace qel
