#pragma once
// The part of the designer window that shows the form being designed: the form itself, in the
// designing state, as a child window of this control, with grab handles around the selection.
// The mouse on the form and on the handles, and the keys while this control has the focus, go
// to the designer's model; the right button opens the component editor's verbs.
#include "FormDesigner.h"
#include "toolkit/controls/Controls.h"

#include <functional>
#include <string>
#include <vector>

namespace qel {
class TPopupMenu;
}

namespace qel::designer {

class TGrabHandle;
class TComponentIcon;

class TFormSurface : public TCustomControl {
  public:
    TFormSurface(TComponent* AOwner, TFormDesigner& D);
    ~TFormSurface() override;

    // Puts the designer's current form into this control (after new, open and undo).
    void AttachForm();
    // Places the grab handles around the selected controls.
    void UpdateHandles();
    // A screen point in the designed form's client coordinates.
    TPoint ToForm(TPoint Screen) const;
    // Whether a screen point lies on the designed form.
    bool OnForm(TPoint Screen) const;
    // A press at a screen point, as the model sees it: selects, starts a move or a size, or
    // drops the palette's pending class; the surface then follows the mouse until release.
    void Press(TPoint Screen, TShiftState Shift);
    // The handles shown now.
    int HandleCount() const { return static_cast<int>(Used_); }
    TGrabHandle* GrabHandle(int I) const { return Handles_.at(static_cast<std::size_t>(I)); }
    TPopupMenu* VerbMenu() const { return VerbMenu_; }
    // The icon of a component that is not a control; nullptr when none shows it.
    TComponentIcon* Icon(const std::string& Name) const;

    // After anything the mouse or the keys changed (the window updates its title and the
    // inspector).
    std::function<void()> OnChanged;

    void WndProc(TMessage& Message) override;

  protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;

  private:
    void DesignMouse(TWinControl* Window, TMessage& M);
    void ShowVerbs(TPoint Screen);
    void Changed();
    void UpdateIcons();
    void IconPressed(TComponentIcon* I, TMouseButton Button, TShiftState Shift);

    TFormDesigner& D_;
    TForm* Shown_ = nullptr;
    bool Tracking_ = false;
    std::vector<TGrabHandle*> Handles_;
    std::size_t Used_ = 0;
    std::vector<TComponentIcon*> Icons_; // kept and hidden like the handles
    TPopupMenu* VerbMenu_ = nullptr;
    TDesignMouseHook OldHook_;
};

// A small black square at a corner of a selected control; the bottom-right one of a single
// selection sizes it.
class TGrabHandle : public TCustomControl {
  public:
    TGrabHandle(TFormSurface* Surface, bool Sizes);
    bool Sizes() const { return Sizes_; }
    void SetSizes(bool V);

  protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

  private:
    TFormSurface* Surface_;
    bool Sizes_;
};

} // namespace qel::designer
