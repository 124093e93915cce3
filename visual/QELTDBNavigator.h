#pragma once
// A bar of ten speed buttons that moves through and edits a dataset's records. The buttons
// follow the dataset through a data link, spread spare pixels evenly, take the keyboard focus
// as one control, repeat prior and next while held, and ask before deleting.
#include "toolkit/controls/Buttons.h"
#include "toolkit/controls/ExtCtrls.h"
#include "toolkit/core/Export.h"
#include "toolkit/core/Strings.h"
#include "toolkit/data/DataSource.h"
#include "visual/QELBackgroundLink.h"
#include "visual/QELZoradodo.h"

#include <array>
#include <memory>

QEL_PUBLIC_BEGIN

namespace qel {

class TQELDBNavigator;

enum TQELNavigateBtn {
    nbFirst,
    nbPrior,
    nbNext,
    nbLast,
    nbInsert,
    nbDelete,
    nbEdit,
    nbPost,
    nbCancel,
    nbRefresh
};
QEL_ENUM_INFO(TQELNavigateBtn, "nbFirst", "nbPrior", "nbNext", "nbLast", "nbInsert", "nbDelete",
              "nbEdit", "nbPost", "nbCancel", "nbRefresh")
using TQELButtonSet = TSet<TQELNavigateBtn>;
enum TQELNavGlyph { ngEnabled, ngDisabled };
enum TQELNavButtonStyleFlag { nsAllowTimer, nsFocusRect };
using TQELNavButtonStyle = TSet<TQELNavButtonStyleFlag>;
using TQELNavigationClick = TEvent<void(TObject* Sender, TQELNavigateBtn Button)>;

inline const TQELButtonSet QELAllNavButtons{nbFirst,  nbPrior, nbNext, nbLast,   nbInsert,
                                            nbDelete, nbEdit,  nbPost, nbCancel, nbRefresh};

class TQELNavButton : public TSpeedButton {
    QEL_CLASS(TQELNavButton, TSpeedButton)
  public:
    explicit TQELNavButton(TComponent* AOwner);
    ~TQELNavButton() override;
    TQELNavigateBtn Index() const { return FIndex; }
    void SetIndex(TQELNavigateBtn V) { FIndex = V; }
    TQELNavButtonStyle NavStyle() const { return FNavStyle; }
    void SetNavStyle(TQELNavButtonStyle V) { FNavStyle = V; }
    TTimer* RepeatTimer() const { return FRepeatTimer; }
    void TimerExpired();

  protected:
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Paint() override;

  private:
    TQELNavigateBtn FIndex = nbFirst;
    TQELNavButtonStyle FNavStyle;
    TTimer* FRepeatTimer = nullptr;
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

class TQELNavDataLink : public TDataLink {
  public:
    explicit TQELNavDataLink(TQELDBNavigator* ANav) : FNavigator(ANav) {}
    ~TQELNavDataLink() override { FNavigator = nullptr; }

  protected:
    void EditingChanged() override;
    void DataSetChanged() override;
    void ActiveChanged() override;

  private:
    TQELDBNavigator* FNavigator;
};

class TQELDBNavigator : public TCustomPanel {
    QEL_CLASS(TQELDBNavigator, TCustomPanel)
  public:
    explicit TQELDBNavigator(TComponent* AOwner);
    ~TQELDBNavigator() override;

    TQELKind Direction() const { return FDirection; }
    void SetDir(TQELKind Value);
    TQELBackground* Background() const { return FBackground.Get(); }
    void Setback(TQELBackground* Value) { FBackground.Set(Value); }
    TDataSource* DataSource() const { return GetDataSource(); }
    TDataSource* GetDataSource() const { return FDataLink->DataSource(); }
    void SetDataSource(TDataSource* Value);
    TQELButtonSet VisibleButtons() const { return FVisibleButtons; }
    // The VisibleButtons setter; the control's own Visible keeps its setter beside it.
    void SetVisible(TQELButtonSet Value);
    using TCustomPanel::SetVisible;
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    TStrings* Hints() const { return FHints.get(); }
    void SetHints(TStrings* Value);
    bool ConfirmDelete() const { return FConfirmDelete; }
    void SetConfirmDelete(bool V) { FConfirmDelete = V; }

    TQELNavigationClick BeforeAction;
    // Hides the control's plain OnClick: the navigator says which button was pressed.
    TQELNavigationClick OnClick;

    TQELNavButton* Buttons(TQELNavigateBtn B) const { return FButtons[B]; }
    TQELNavigateBtn FocusedButton() const { return FFocusedButton; }
    int ButtonWidth() const { return FButtonWidth; }
    int ButtonHeight() const { return FButtonHeight; }
    TDataLink* DataLink() const { return FDataLink.get(); }

    // Runs the button's action on the dataset (what a click does).
    void BtnClick(TQELNavigateBtn Index);

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void WndProc(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Loaded() override;
    void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;

  protected:
    void Paint() override;
    void KeyDown(WORD& Key, TShiftState Shift) override;

  private:
    friend class TQELNavDataLink;
    void InitButtons();
    void InitHints();
    void HintsChanged();
    void AdjustSize(int& W, int& H);
    void AdjustHSize(int& W, int& H);
    void AdjustVSize(int& W, int& H);
    void LayOutButtons(bool Horizontal, int& W, int& H);
    void DataChanged();
    void EditingChanged();
    void ActiveChanged();
    void ClickHandler(TObject* Sender);
    void BtnMouseDown(TObject* Sender);
    void MoveFocus(int Step);

    std::array<TQELNavButton*, 10> FButtons{};
    std::unique_ptr<TQELNavDataLink> FDataLink;
    std::unique_ptr<TStringList> FHints;
    TQELBackgroundLink FBackground{*this};
    TQELKind FDirection = kHorizontal;
    TQELButtonSet FVisibleButtons = QELAllNavButtons;
    bool FFlat = false;
    bool FConfirmDelete = true;
    int FButtonWidth = 0, FButtonHeight = 0;
    TPoint FMinBtnSize{20, 18};
    TQELNavigateBtn FFocusedButton = nbFirst;
    bool FSwitching = false;
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

} // namespace qel

QEL_PUBLIC_END
