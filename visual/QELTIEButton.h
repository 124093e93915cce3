#pragma once
// A flat toolbar button: glyph and caption only, a raised bevel while the mouse is over it and
// a sunken one while pressed or latched down. Buttons of one parent with the same GroupIndex
// behave like radio buttons; a button may open a drop-down menu under itself.
#include "toolkit/controls/Menus.h"
#include "toolkit/core/Export.h"
#include "visual/QELControls.h"
#include "visual/QELZoradodo.h"

#include <memory>

QEL_PUBLIC_BEGIN

namespace qel {

enum TQELButtonOption { opMonoDisplay, opMenuArrow, opTextonly, opBitmapOnly };
QEL_ENUM_INFO(TQELButtonOption, "opMonoDisplay", "opMenuArrow", "opTextonly", "opBitmapOnly")
using TQELButtonOptions = TSet<TQELButtonOption>;

// The bevel depth; the ring count of the bevel is the ordinal plus one.
enum TQELButtonKind { bk97, bkNormal, bkDeep };
QEL_ENUM_INFO(TQELButtonKind, "bk97", "bkNormal", "bkDeep")

class TQELIEButton : public TQELGraphicControl {
    QEL_CLASS(TQELIEButton, TQELGraphicControl)
  public:
    explicit TQELIEButton(TComponent* AOwner);
    ~TQELIEButton() override;

    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool Value);
    TQELGlyph* Glyph() const { return FGlyph.get(); }
    void SetQELGlyph(TQELGlyph* Value);
    bool DesignTimeFrame() const { return FDesignTimeFrame; }
    void Setdesframe(bool Value);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int Value);
    bool Down() const { return FDown; }
    void SetDown(bool Value);
    TPopupMenu* DropDownMenu() const { return FDropDownMenu; }
    void SetDropDown(TPopupMenu* Value);
    // The button's own flag: the toolkit's stays on, so that a disabled button still sees the
    // mouse and can let go of the capture it took.
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value) override;
    TQELPosition Layout() const { return FLayout; }
    void SetLayout(TQELPosition Value);
    TQELButtonOptions Options() const { return FOptions; }
    void SetOptions(TQELButtonOptions Value);
    TQELButtonKind BevelLooks() const { return FBevelLooks; }
    void SetBevelLooks(TQELButtonKind Value);
    TQELFont3D* Font3D() const { return FFont3D.get(); }
    void Set3Ds(TQELFont3D* Value);
    const std::string& getcaption() const { return Caption(); }
    void Setcaption(const std::string& Value);

    bool Hot() const { return FHot; }
    bool Pressed() const { return FPressed; }
    // Drops the hover and press state (and the latch of an ungrouped button).
    void GetLost();

    void WndProc(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

  protected:
    void Paint() override;
    void DrawPopupMark(int X, int Y);

  private:
    void WMMouseMove(int X, int Y);
    void WMLButtonDown(bool FromMouse);
    void WMLButtonUp();
    bool DialogChar(WORD Key);
    void LoseCapture();
    bool HoldsCapture() const;
    bool MayGetHot() const;
    // The other toolbar buttons of the parent in the same group.
    template <class F> void ForEachInGroup(F Fn);

    std::unique_ptr<TQELFont3D> FFont3D;
    std::unique_ptr<TQELGlyph> FGlyph;
    TPopupMenu* FDropDownMenu = nullptr;
    bool FAllowAllUp = false;
    bool FDesignTimeFrame;
    int FGroupIndex = 0;
    bool FDown = false;
    bool FEnabled = true;
    TQELPosition FLayout = pTop;
    TQELButtonOptions FOptions{opMonoDisplay, opMenuArrow};
    TQELButtonKind FBevelLooks = bk97;
    bool FPressed = false;
    bool FHot = false;
    // Set while the button lets go of the capture itself or its menu holds it.
    bool FOwnCaptureChange = false;
};

} // namespace qel

QEL_PUBLIC_END
