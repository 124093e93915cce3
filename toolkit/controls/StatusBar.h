#pragma once
// The status bar: a row of sunken panels at the bottom of a form, or one simple text, with a
// size grip in the corner.
#include "toolkit/controls/StdCtrls.h"
#include "toolkit/core/Collection.h"
#include "toolkit/core/Export.h"

QEL_PUBLIC_BEGIN

namespace qel {

enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };
QEL_ENUM_INFO(TStatusPanelBevel, "pbNone", "pbLowered", "pbRaised")

class TStatusPanel : public TCollectionItem {
    QEL_CLASS(TStatusPanel, TCollectionItem)
  public:
    explicit TStatusPanel(TCollection* ACollection);
    const std::string& Text() const { return Text_; }
    void SetText(const std::string& V);
    int Width() const { return Width_; }
    void SetWidth(int V);
    TAlignment Alignment() const { return Alignment_; }
    void SetAlignment(TAlignment V);
    TStatusPanelBevel Bevel() const { return Bevel_; }
    void SetBevel(TStatusPanelBevel V);
    void Assign(const TPersistent* Source) override;

  private:
    std::string Text_;
    int Width_ = 50;
    TAlignment Alignment_ = taLeftJustify;
    TStatusPanelBevel Bevel_ = pbLowered;
};

class TStatusBar;

class TStatusPanels : public TCollection {
    QEL_CLASS(TStatusPanels, TCollection)
  public:
    explicit TStatusPanels(TStatusBar* Bar = nullptr);
    TStatusPanel* Add() { return static_cast<TStatusPanel*>(TCollection::Add()); }
    TStatusPanel* Items(int Index) const {
        return static_cast<TStatusPanel*>(TCollection::Items(Index));
    }

  protected:
    TPersistent* GetOwner() const override;
    void Update(TCollectionItem* Item) override;

  private:
    TStatusBar* Bar_;
};

class TStatusBar : public TCustomControl {
    QEL_CLASS(TStatusBar, TCustomControl)
  public:
    explicit TStatusBar(TComponent* AOwner);
    ~TStatusBar() override;
    TStatusPanels* Panels() const { return Panels_; }
    void SetPanels(TStatusPanels* V) { Panels_->Assign(V); }
    bool SimplePanel() const { return SimplePanel_; }
    void SetSimplePanel(bool V);
    const std::string& SimpleText() const { return SimpleText_; }
    void SetSimpleText(const std::string& V);
    bool SizeGrip() const { return SizeGrip_; }
    void SetSizeGrip(bool V);
    // Shows the application's hint: in the simple text, or in the first panel when there are
    // panels and SimplePanel is off.
    bool AutoHint() const { return AutoHint_; }
    void SetAutoHint(bool V) { AutoHint_ = V; }
    void WndProc(TMessage& Message) override;
    // Panel rectangles in client coordinates (the last panel takes the rest of the bar).
    TRect PanelRect(int Index) const;

  protected:
    void Paint() override;

  private:
    TStatusPanels* Panels_ = nullptr;
    bool SimplePanel_ = false;
    std::string SimpleText_;
    bool SizeGrip_ = true;
    bool AutoHint_ = false;
};

} // namespace qel

QEL_PUBLIC_END
