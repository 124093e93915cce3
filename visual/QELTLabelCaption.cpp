#include "visual/QELTLabelCaption.h"

#include "toolkit/controls/Dialogs.h"
#include "toolkit/controls/Memo.h"
#include "toolkit/core/Exceptions.h"

#include <memory>

namespace qel {

static void DescribeCaptionEditForm(TClassBuilder<TQELCaptionEditForm>& B) {
    B.Method("SpeedButton1Click", &TQELCaptionEditForm::SpeedButton1Click);
    B.Method("SpeedButton2Click", &TQELCaptionEditForm::SpeedButton2Click);
}
QEL_IMPLEMENT_CLASS(TQELCaptionEditForm, TForm, DescribeCaptionEditForm)

TQELCaptionEditForm::TQELCaptionEditForm(TComponent* AOwner) : TForm(AOwner) {
    if (!InitComponentFromResource(this))
        throw EComponentError("Resource TQELCaptionEditForm not found");
    // The whole caption is selected, so typing replaces it.
    OnActivate = [this](TObject*) {
        if (TMemo* M = CaptionBox()) M->SelectAll();
    };
}

TMemo* TQELCaptionEditForm::CaptionBox() const {
    return Cast<TMemo>(FindComponent("CaptionBox"));
}

void TQELCaptionEditForm::SpeedButton1Click(TObject*) {
    SetModalResult(mrOk);
}

void TQELCaptionEditForm::SpeedButton2Click(TObject*) {
    SetModalResult(mrCancel);
}

TPropertyAttributes TQELCaptionProperty::GetAttributes() const {
    return {paDialog, paMultiSelect, paAutoUpdate};
}

void TQELCaptionProperty::Edit() {
    auto Form = std::make_unique<TQELCaptionEditForm>(nullptr);
    TMemo* Box = Form->CaptionBox();
    Box->SetText(GetStrValue());
    if (ExecuteDialog(Form.get()) == mrOk) SetStrValue(Box->Text());
}

} // namespace qel
