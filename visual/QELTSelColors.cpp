#include "visual/QELTSelColors.h"

#include "toolkit/controls/ColorDialogs.h"
#include "toolkit/controls/Dialogs.h"
#include "toolkit/controls/ListBox.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/core/Strings.h"
#include "toolkit/graphics/Colors.h"

#include <memory>

namespace qel {

static void DescribeColorSel(TClassBuilder<TColorSel>& B) {
    B.Method("Button1Click", &TColorSel::Button1Click);
    B.Method("Button2Click", &TColorSel::Button2Click);
    B.Method("Button3Click", &TColorSel::Button3Click);
    B.Method("Button4Click", &TColorSel::Button4Click);
    B.Method("Button5Click", &TColorSel::Button5Click);
}
QEL_IMPLEMENT_CLASS(TColorSel, TForm, DescribeColorSel)

TColorSel::TColorSel(TComponent* AOwner) : TForm(AOwner) {
    if (!InitComponentFromResource(this)) throw EComponentError("Resource TColorSel not found");
}

TListBox* TColorSel::ListBox1() const {
    return Cast<TListBox>(FindComponent("ListBox1"));
}

TColorDialog* TColorSel::CD1() const {
    return Cast<TColorDialog>(FindComponent("CD1"));
}

void TColorSel::Button1Click(TObject*) {
    if (CD1()->Execute()) ListBox1()->Items()->Add(ColorToString(CD1()->Color()));
}

void TColorSel::Button2Click(TObject*) {
    TListBox* L = ListBox1();
    int I = L->ItemIndex();
    if (I < 0 || I >= L->Items()->Count()) return;
    L->Items()->Delete(I);
}

void TColorSel::Button3Click(TObject*) {
    TListBox* L = ListBox1();
    int I = L->ItemIndex();
    if (I <= 0 || I >= L->Items()->Count()) return;
    L->Items()->Move(I, I - 1);
    L->SetItemIndex(I - 1);
}

void TColorSel::Button4Click(TObject*) {
    TListBox* L = ListBox1();
    int I = L->ItemIndex();
    if (I < 0 || I >= L->Items()->Count() - 1) return;
    L->Items()->Move(I, I + 1);
    L->SetItemIndex(I + 1);
}

void TColorSel::Button5Click(TObject*) {
    Close();
}

TPropertyAttributes TQELColorInBetweenProperty::GetAttributes() const {
    return {paDialog, paReadOnly};
}

std::string TQELColorInBetweenProperty::GetValue() const {
    return "(Extra Colors)";
}

void TQELColorInBetweenProperty::Edit() {
    auto* Lines = Cast<TStrings>(GetObjValue());
    if (!Lines) return;
    auto Form = std::make_unique<TColorSel>(nullptr);
    Form->ListBox1()->Items()->Clear();
    Form->ListBox1()->Items()->AddStrings(*Lines);
    ExecuteDialog(Form.get());
    // The list goes back however the dialog was closed; an unchanged list changes nothing.
    TStringList Result;
    Result.AddStrings(*Form->ListBox1()->Items());
    if (Result.Equals(*Lines)) return;
    SetObjValue(&Result);
}

} // namespace qel
