#pragma once
// The component palette: a tab for each page the packages registered, a button with the
// class's 24 x 24 icon for each class on it. A click picks the class for the next click on the
// form; a button dragged onto the form drops its class where it is released.
#include "toolkit/controls/ComCtrls.h"

#include <functional>
#include <string>
#include <vector>

namespace qel {
class TSpeedButton;
}

namespace qel::designer {

class TPaletteView : public TPageControl {
  public:
    explicit TPaletteView(TComponent* AOwner);
    // Builds the tabs and buttons from the registered pages (again after packages load).
    void Rebuild();
    // Every class button lets go of its picked state.
    void Release();
    // The button of a class, nullptr when it is on no page.
    TSpeedButton* Button(const std::string& ClassName) const;
    // The height the palette needs.
    static constexpr int PreferredHeight = 60;

    std::function<void(const std::string& ClassName)> OnPick;
    // A class button released at a screen point away from itself; true when it was dropped.
    std::function<bool(const std::string& ClassName, TPoint Screen)> OnDropAt;

  private:
    std::vector<TSpeedButton*> Buttons_;
};

} // namespace qel::designer
