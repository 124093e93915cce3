#include "PaletteView.h"

#include "toolkit/controls/Buttons.h"
#include "toolkit/core/NameUtils.h"
#include "toolkit/designer/DesignRegistry.h"
#include "toolkit/graphics/Bitmap.h"
#include "toolkit/graphics/Resources.h"

#include <cctype>

namespace qel::designer {

namespace {

constexpr int ButtonSize = 28;

// A palette button: a drag that ends away from it is a drop, not a cancelled click.
class TPaletteButton : public TSpeedButton {
  public:
    TPaletteButton(TComponent* AOwner, TPaletteView* Palette, std::string ClassName)
        : TSpeedButton(AOwner), Palette_(Palette), Class_(std::move(ClassName)) {}
    const std::string& ClassName() const { return Class_; }

  protected:
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override {
        bool Away = X < 0 || Y < 0 || X >= Width() || Y >= Height();
        TPoint Screen = ClientToScreen({X, Y});
        TSpeedButton::MouseUp(Button, Shift, X, Y);
        if (Button == mbLeft && Away && Palette_->OnDropAt) Palette_->OnDropAt(Class_, Screen);
    }

  private:
    TPaletteView* Palette_;
    std::string Class_;
};

} // namespace

TPaletteView::TPaletteView(TComponent* AOwner) : TPageControl(AOwner) {}

void TPaletteView::Rebuild() {
    Buttons_.clear();
    while (PageCount() > 0)
        delete Pages(PageCount() - 1);
    for (const TPalettePage& Page : PalettePages()) {
        auto* Sheet = new TTabSheet(this);
        Sheet->SetPageControl(this);
        Sheet->SetCaption(Page.Name);
        int X = 2;
        for (const TClass* C : Page.Classes) {
            auto* B = new TPaletteButton(Sheet, this, C->ClassName());
            B->SetParent(Sheet);
            B->SetBounds(X, 2, ButtonSize, ButtonSize);
            B->SetFlat(true);
            B->SetGroupIndex(1);
            B->SetAllowAllUp(true);
            B->SetHint(C->ClassName());
            B->SetShowHint(true);
            std::string Res = C->ClassName();
            for (char& Ch : Res)
                Ch = static_cast<char>(std::toupper(static_cast<unsigned char>(Ch)));
            if (FindResourceData(0, Res, "BMP")) {
                TBitmap Icon;
                Icon.LoadFromResourceName(0, Res);
                B->SetGlyph(&Icon);
            } else {
                B->SetCaption(C->ClassName().substr(1, 2));
            }
            std::string Name = C->ClassName();
            B->OnClick = [this, B, Name](TObject*) {
                if (OnPick) OnPick(B->Down() ? Name : std::string());
            };
            Buttons_.push_back(B);
            X += ButtonSize + 1;
        }
    }
    if (PageCount() > 0) SetActivePageIndex(0);
}

void TPaletteView::Release() {
    for (TSpeedButton* B : Buttons_)
        B->SetDown(false);
}

TSpeedButton* TPaletteView::Button(const std::string& ClassName) const {
    for (TSpeedButton* B : Buttons_)
        if (SameText(B->Hint(), ClassName)) return B;
    return nullptr;
}

} // namespace qel::designer
