#include "ComponentIcon.h"

#include "toolkit/graphics/Bitmap.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/Resources.h"

#include <cctype>

namespace qel::designer {

TComponentIcon::TComponentIcon(TWinControl* Parent) : TCustomControl(Parent) {
    SetControlStyle({csOpaque, csClickEvents, csDoubleClicks});
    Glyph_ = std::make_unique<TBitmap>();
    SetParent(Parent);
    SetBounds(0, 0, Size, Size);
}

TComponentIcon::~TComponentIcon() = default;

void TComponentIcon::Show(const std::string& Name, const std::string& ClassName, bool Selected) {
    SetHint(Name);
    SetShowHint(true);
    if (Name == Name_ && ClassName == Class_ && Selected == Selected_) return;
    Name_ = Name;
    Selected_ = Selected;
    if (ClassName != Class_) {
        Class_ = ClassName;
        std::string Res = ClassName;
        for (char& Ch : Res)
            Ch = static_cast<char>(std::toupper(static_cast<unsigned char>(Ch)));
        Glyph_ = std::make_unique<TBitmap>();
        if (FindResourceData(0, Res, "BMP")) Glyph_->LoadFromResourceName(0, Res);
    }
    Invalidate();
}

void TComponentIcon::Paint() {
    TCanvas* C = Canvas();
    C->Brush()->SetColor(clBtnFace);
    C->FillRect({0, 0, Width(), Height()});
    if (!Glyph_->Empty()) C->Draw(2, 2, Glyph_.get());
    C->Brush()->SetColor(Selected_ ? clHighlight : clBtnShadow);
    C->FrameRect({0, 0, Width(), Height()});
    if (Selected_) C->FrameRect({1, 1, Width() - 1, Height() - 1});
}

void TComponentIcon::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (OnPress) OnPress(this, Button, Shift);
}

void TComponentIcon::DblClick() {
    if (OnEdit) OnEdit(this);
}

} // namespace qel::designer
