#pragma once
// Menus: items in a tree, popup menu windows with mouse and keyboard navigation, shortcuts, a
// pop-up menu shown at a screen point and a main menu shown as a bar across the top of its form.
//
// Popup(X, Y) tracks the menu until the user chooses or cancels, like the classic call, and
// runs the chosen item's OnClick after the windows closed. Tests drive it with injected keys
// and clicks (queued before the call or injected from OnPopup).
#include "toolkit/controls/Controls.h"
#include "toolkit/core/Component.h"
#include "toolkit/core/Export.h"

#include <string>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

using TShortCut = WORD;
enum : TShortCut { scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000, scNone = 0 };
TShortCut ShortCut(WORD Key, TShiftState Shift);
void ShortCutToKey(TShortCut S, WORD& Key, TShiftState& Shift);
// "Ctrl+S", "Shift+Del", "F5"; "" for none.
std::string ShortCutToText(TShortCut S);
// 0 when the text names no shortcut.
TShortCut TextToShortCut(const std::string& Text);

class TMenu;

class TMenuItem : public TComponent {
    QEL_CLASS(TMenuItem, TComponent)
  public:
    explicit TMenuItem(TComponent* AOwner);
    ~TMenuItem() override;

    const std::string& Caption() const { return Caption_; }
    void SetCaption(const std::string& V) { Caption_ = V; }
    bool Checked() const { return Checked_; }
    void SetChecked(bool V);
    bool Enabled() const { return Enabled_; }
    void SetEnabled(bool V) { Enabled_ = V; }
    bool Visible() const { return Visible_; }
    void SetVisible(bool V) { Visible_ = V; }
    bool RadioItem() const { return RadioItem_; }
    void SetRadioItem(bool V) { RadioItem_ = V; }
    int GroupIndex() const { return GroupIndex_; }
    void SetGroupIndex(int V) { GroupIndex_ = V; }
    bool AutoCheck() const { return AutoCheck_; }
    void SetAutoCheck(bool V) { AutoCheck_ = V; }
    TShortCut ShortCut() const { return ShortCut_; }
    void SetShortCut(TShortCut V) { ShortCut_ = V; }
    const std::string& Hint() const { return Hint_; }
    void SetHint(const std::string& V) { Hint_ = V; }
    bool IsLine() const { return Caption_ == "-"; }

    int Count() const { return static_cast<int>(Items_.size()); }
    TMenuItem* Items(int Index) const { return Items_.at(static_cast<std::size_t>(Index)); }
    TMenuItem* Parent() const { return Parent_; }
    void Add(TMenuItem* Item);
    void Insert(int Index, TMenuItem* Item);
    void Remove(TMenuItem* Item);
    void Delete(int Index);
    void Clear();
    int IndexOf(const TMenuItem* Item) const;
    int MenuIndex() const { return Parent_ ? Parent_->IndexOf(this) : -1; }
    // The item (this or below) with the shortcut, enabled and visible; nullptr when none.
    TMenuItem* FindShortCut(TShortCut S);

    virtual void Click();
    TNotifyEvent OnClick;

    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* Value) override;
    void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;

  private:
    std::string Caption_;
    bool Checked_ = false, Enabled_ = true, Visible_ = true, RadioItem_ = false, AutoCheck_ = false;
    int GroupIndex_ = 0;
    TShortCut ShortCut_ = 0;
    std::string Hint_;
    std::vector<TMenuItem*> Items_;
    TMenuItem* Parent_ = nullptr;
    TMenu* Menu_ = nullptr; // set on the root item
    friend class TMenu;
};

class TMenu : public TComponent {
    QEL_CLASS(TMenu, TComponent)
  public:
    explicit TMenu(TComponent* AOwner);
    ~TMenu() override;
    TMenuItem* Items() const { return Items_; }
    // Runs the item with the shortcut; true when there was one.
    bool IsShortCut(WORD Key, TShiftState Shift);
    void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;

  protected:
    TMenuItem* Items_;
};

class TPopupMenu : public TMenu {
    QEL_CLASS(TPopupMenu, TMenu)
  public:
    explicit TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}
    // Shows the menu with its top-left corner at the screen point and tracks it; returns the
    // chosen item (already clicked) or nullptr when cancelled.
    virtual TMenuItem* Popup(int X, int Y);
    TComponent* PopupComponent() const { return PopupComponent_; }
    void SetPopupComponent(TComponent* V) { PopupComponent_ = V; }
    bool AutoPopup() const { return AutoPopup_; }
    void SetAutoPopup(bool V) { AutoPopup_ = V; }
    TNotifyEvent OnPopup;

  private:
    TComponent* PopupComponent_ = nullptr;
    bool AutoPopup_ = true;
};

class TMenuBar;

// Shown as a bar at the top of the form that owns it; Alt with an item's accelerator letter
// opens it from the keyboard. Clicks and keys open the drop-down through a posted message, so
// its tracking loop never runs inside the handling of a batch of input.
class TMainMenu : public TMenu {
    QEL_CLASS(TMainMenu, TMenu)
  public:
    explicit TMainMenu(TComponent* AOwner);
    ~TMainMenu() override;
    TMenuBar* Bar() const { return Bar_; }
    void Loaded() override;
    // Opens the drop-down of a top item and tracks it (as a click on the bar does).
    TMenuItem* DropDown(int TopIndex, bool SelectFirst);
    // Fires as a drop-down opens, before the menu takes input.
    TNotifyEvent OnDropDown;

  private:
    void Attach();
    TMenuBar* Bar_ = nullptr;
    TWinControl::TWndMethod FormOldProc_;
    TWinControl* Form_ = nullptr;
};

class TMenuBar : public TCustomControl {
    QEL_CLASS(TMenuBar, TCustomControl)
  public:
    TMenuBar(TComponent* AOwner, TMainMenu* Menu);
    TRect ItemRect(int Index) const;
    int ItemAt(int X, int Y) const;
    int HotIndex() const { return Hot_; }
    void SetHotIndex(int V);

    void WndProc(TMessage& Message) override;
    // Opens a drop-down once the current input is handled.
    void PostDropDown(int Index, bool SelectFirst);

  protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

  private:
    TMainMenu* Menu_;
    int Hot_ = -1;
};

} // namespace qel

QEL_PUBLIC_END
