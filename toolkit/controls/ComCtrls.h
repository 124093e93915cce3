#pragma once
// The page control: a row of tabs over a stack of tab sheets, one shown at a time.
#include "toolkit/controls/StdCtrls.h"
#include "toolkit/core/Export.h"

#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

class TPageControl;

class TTabSheet : public TCustomControl {
    QEL_CLASS(TTabSheet, TCustomControl)
  public:
    explicit TTabSheet(TComponent* AOwner);
    ~TTabSheet() override;
    TPageControl* PageControl() const { return PageControl_; }
    void SetPageControl(TPageControl* V);
    int PageIndex() const;
    void SetPageIndex(int V);
    bool TabVisible() const { return TabVisible_; }
    void SetTabVisible(bool V);
    void SetParent(TWinControl* AParent) override;
    void WndProc(TMessage& Message) override;

  protected:
    void Paint() override;

  private:
    friend class TPageControl;
    TPageControl* PageControl_ = nullptr;
    bool TabVisible_ = true;
};

using TTabChangingEvent = TEvent<void(TObject* Sender, bool& AllowChange)>;

class TPageControl : public TCustomControl {
    QEL_CLASS(TPageControl, TCustomControl)
  public:
    explicit TPageControl(TComponent* AOwner);
    ~TPageControl() override;
    int PageCount() const { return static_cast<int>(Pages_.size()); }
    TTabSheet* Pages(int Index) const { return Pages_.at(static_cast<std::size_t>(Index)); }
    TTabSheet* ActivePage() const { return Active_; }
    void SetActivePage(TTabSheet* V);
    int ActivePageIndex() const;
    void SetActivePageIndex(int V);
    // The next (or previous) page with a visible tab after CurPage, wrapping around.
    TTabSheet* FindNextPage(TTabSheet* CurPage, bool GoForward, bool CheckTabVisible) const;
    void SelectNextPage(bool GoForward);
    // Tab rectangle of a page in client coordinates; empty when its tab is hidden.
    TRect TabRect(int Index) const;
    int TabHeight() const;
    int IndexOfTabAt(int X, int Y) const;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Loaded() override;
    void WndProc(TMessage& Message) override;

    TNotifyEvent OnChange;
    TTabChangingEvent OnChanging;

  protected:
    void AdjustClientRect(TRect& Rect) override;
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    // Changes the page as the user does: OnChanging may refuse, OnChange follows.
    bool UserSelect(TTabSheet* Page);

  private:
    friend class TTabSheet;
    void InsertPage(TTabSheet* Page);
    void RemovePage(TTabSheet* Page);
    void ShowActive();
    std::vector<TTabSheet*> Pages_;
    TTabSheet* Active_ = nullptr;
};

} // namespace qel

QEL_PUBLIC_END
