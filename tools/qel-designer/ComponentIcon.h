#pragma once
// A component without a window or a place on the form (timers, hint managers, mail
// components) shown on the design surface by its palette icon, so it can be selected, edited
// and deleted like the controls.
#include "toolkit/controls/Controls.h"

#include <functional>
#include <memory>
#include <string>

namespace qel {
class TBitmap;
}

namespace qel::designer {

class TComponentIcon : public TCustomControl {
  public:
    static constexpr int Size = 28;
    explicit TComponentIcon(TWinControl* Parent);
    ~TComponentIcon() override;
    // Shows the component of this name and class; Selected draws the frame of the selection.
    void Show(const std::string& Name, const std::string& ClassName, bool Selected);
    const std::string& ComponentName() const { return Name_; }

    // The press (left or right button, with the shift state) and the double-click.
    std::function<void(TComponentIcon*, TMouseButton, TShiftState)> OnPress;
    std::function<void(TComponentIcon*)> OnEdit;

  protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void DblClick() override;

  private:
    std::string Name_, Class_;
    bool Selected_ = false;
    std::unique_ptr<TBitmap> Glyph_;
};

} // namespace qel::designer
