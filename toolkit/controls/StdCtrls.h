#pragma once
// Standard controls: labels, push buttons, check boxes and radio buttons. Buttons are windows
// of the BUTTON class, whose class procedure pushes, checks and draws them in the classic
// look, or asks the parent to draw them (BS_OWNERDRAW, reflected to the control as
// CN_DRAWITEM) and reports clicks as WM_COMMAND/BN_CLICKED (reflected as CN_COMMAND).
#include "toolkit/controls/Controls.h"
#include "toolkit/core/Export.h"

QEL_PUBLIC_BEGIN

namespace qel {

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
QEL_ENUM_INFO(TAlignment, "taLeftJustify", "taRightJustify", "taCenter")
using TLeftRight = TAlignment;
// Vertical placement of a label's text (the toolkit's TTextLayout).
enum TVerticalLayout { tlTop, tlCenter, tlBottom };
QEL_ENUM_INFO(TVerticalLayout, "TTextLayout", "tlTop", "tlCenter", "tlBottom")

class TCustomLabel : public TGraphicControl {
    QEL_CLASS(TCustomLabel, TGraphicControl)
  public:
    explicit TCustomLabel(TComponent* AOwner);
    TAlignment Alignment() const { return Alignment_; }
    void SetAlignment(TAlignment V);
    bool AutoSize() const { return AutoSize_; }
    void SetAutoSize(bool V);
    TWinControl* FocusControl() const { return FocusControl_; }
    void SetFocusControl(TWinControl* V);
    bool ShowAccelChar() const { return ShowAccelChar_; }
    void SetShowAccelChar(bool V);
    bool Transparent() const { return !ControlStyle_.Contains(csOpaque); }
    void SetTransparent(bool V);
    TVerticalLayout Layout() const { return Layout_; }
    void SetLayout(TVerticalLayout V);
    bool WordWrap() const { return WordWrap_; }
    void SetWordWrap(bool V);
    void WndProc(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Loaded() override;

  protected:
    void Paint() override;
    virtual void AdjustBounds();
    virtual void DoDrawText(TRect& Rect, UINT Flags);
    virtual std::string GetLabelText() const { return Caption(); }

  private:
    TAlignment Alignment_ = taLeftJustify;
    bool AutoSize_ = true;
    TWinControl* FocusControl_ = nullptr;
    bool ShowAccelChar_ = true;
    TVerticalLayout Layout_ = tlTop;
    bool WordWrap_ = false;
};

class TLabel : public TCustomLabel {
    QEL_CLASS(TLabel, TCustomLabel)
  public:
    explicit TLabel(TComponent* AOwner) : TCustomLabel(AOwner) {}
};

class TButtonControl : public TWinControl {
    QEL_CLASS(TButtonControl, TWinControl)
  public:
    explicit TButtonControl(TComponent* AOwner);
    virtual bool Checked() const { return false; }
    virtual void SetChecked(bool) {}
    void WndProc(TMessage& Message) override;

  protected:
    // The keys that click a push button from anywhere in its form: Enter for the active
    // button and Escape for a cancel button (without modifiers), and its accelerator. True
    // when the button took M.
    bool ClickOnDialogKey(TMessage& M, bool Active, bool Cancel);

    bool ClicksDisabled_ = false;
};

class TButton : public TButtonControl {
    QEL_CLASS(TButton, TButtonControl)
  public:
    explicit TButton(TComponent* AOwner);
    bool Default() const { return Default_; }
    void SetDefault(bool V);
    bool Cancel() const { return Cancel_; }
    void SetCancel(bool V) { Cancel_ = V; }
    int ModalResult() const { return ModalResult_; }
    void SetModalResult(int V) { ModalResult_ = V; }
    // True while Enter clicks this button.
    bool IsActive() const { return Active_; }
    void Click() override;
    void WndProc(TMessage& Message) override;

  protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void SetButtonStyle(bool ADefault);

  private:
    bool Default_ = false;
    bool Cancel_ = false;
    bool Active_ = false;
    int ModalResult_ = 0;
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
QEL_ENUM_INFO(TCheckBoxState, "cbUnchecked", "cbChecked", "cbGrayed")

class TCustomCheckBox : public TButtonControl {
    QEL_CLASS(TCustomCheckBox, TButtonControl)
  public:
    explicit TCustomCheckBox(TComponent* AOwner);
    TLeftRight Alignment() const { return Alignment_; }
    void SetAlignment(TLeftRight V);
    bool AllowGrayed() const { return AllowGrayed_; }
    void SetAllowGrayed(bool V) { AllowGrayed_ = V; }
    TCheckBoxState State() const { return State_; }
    void SetState(TCheckBoxState V);
    bool Checked() const override { return State_ == cbChecked; }
    void SetChecked(bool V) override { SetState(V ? cbChecked : cbUnchecked); }
    virtual void Toggle();
    void WndProc(TMessage& Message) override;

  protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;

  private:
    TLeftRight Alignment_ = taRightJustify;
    bool AllowGrayed_ = false;
    TCheckBoxState State_ = cbUnchecked;
};

class TCheckBox : public TCustomCheckBox {
    QEL_CLASS(TCheckBox, TCustomCheckBox)
  public:
    explicit TCheckBox(TComponent* AOwner) : TCustomCheckBox(AOwner) {}
};

class TRadioButton : public TButtonControl {
    QEL_CLASS(TRadioButton, TButtonControl)
  public:
    explicit TRadioButton(TComponent* AOwner);
    TLeftRight Alignment() const { return Alignment_; }
    void SetAlignment(TLeftRight V);
    bool Checked() const override { return Checked_; }
    void SetChecked(bool V) override;
    void WndProc(TMessage& Message) override;

  protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;

  private:
    TLeftRight Alignment_ = taRightJustify;
    bool Checked_ = false;
};

// The classic look of a BUTTON window, for controls that draw a native-looking part themselves.
void DrawClassicButtonFace(HDC DC, const TRect& R, bool Pushed, bool Default, bool Flat = false);
void DrawClassicCheckMark(HDC DC, const TRect& Box, UINT State, bool Radio, bool Enabled);

} // namespace qel

QEL_PUBLIC_END
