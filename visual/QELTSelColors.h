#pragma once
// The colour-list dialog of the gradient's extra colours, and its property editor.
#include "toolkit/controls/Forms.h"
#include "toolkit/core/Export.h"
#include "toolkit/designer/PropEdit.h"

QEL_PUBLIC_BEGIN

namespace qel {

class TListBox;
class TColorDialog;

class TColorSel : public TForm {
    QEL_CLASS(TColorSel, TForm)
  public:
    // Built from its form resource.
    explicit TColorSel(TComponent* AOwner);
    TListBox* ListBox1() const;
    TColorDialog* CD1() const;
    void Button1Click(TObject* Sender); // add a colour chosen in the colour dialog
    void Button2Click(TObject* Sender); // delete the selected line
    void Button3Click(TObject* Sender); // move it up
    void Button4Click(TObject* Sender); // move it down
    void Button5Click(TObject* Sender); // close
};

// "(Extra Colors)" in the inspector; the dialog's list is copied back however it is closed.
class TQELColorInBetweenProperty : public TClassProperty {
  public:
    using TClassProperty::TClassProperty;
    TPropertyAttributes GetAttributes() const override;
    std::string GetValue() const override;
    void GetProperties(const TGetPropEditProc&) const override {}
    void Edit() override;
};

} // namespace qel

QEL_PUBLIC_END
