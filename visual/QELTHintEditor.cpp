#include "visual/QELTHintEditor.h"

#include "toolkit/controls/Dialogs.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/Memo.h"
#include "toolkit/core/Exceptions.h"

#include <memory>

namespace qel {

static void DescribeHintEditForm(TClassBuilder<TQELHintEditForm>& B) {
    B.Method("SpeedButton1Click", &TQELHintEditForm::SpeedButton1Click);
    B.Method("SpeedButton2Click", &TQELHintEditForm::SpeedButton2Click);
}
QEL_IMPLEMENT_CLASS(TQELHintEditForm, TForm, DescribeHintEditForm)

TQELHintEditForm::TQELHintEditForm(TComponent* AOwner) : TForm(AOwner) {
    if (!InitComponentFromResource(this))
        throw EComponentError("Resource TQELHintEditForm not found");
    OnActivate = [this](TObject*) {
        if (TMemo* M = HintBox()) M->SelectAll();
    };
}

TMemo* TQELHintEditForm::HintBox() const {
    return Cast<TMemo>(FindComponent("HINTBOX"));
}

TEdit* TQELHintEditForm::StatusBarEdit() const {
    return Cast<TEdit>(FindComponent("Statusbar"));
}

void TQELHintEditForm::SpeedButton1Click(TObject*) {
    SetModalResult(mrOk);
}

void TQELHintEditForm::SpeedButton2Click(TObject*) {
    SetModalResult(mrCancel);
}

std::pair<std::string, std::string> QELSplitHint(const std::string& Hint) {
    std::size_t Bar = Hint.find('|');
    if (Bar == std::string::npos) return {Hint, {}};
    return {Hint.substr(0, Bar), Hint.substr(Bar + 1)};
}

std::string QELJoinHint(const std::string& Box, const std::string& Status) {
    return Status.empty() ? Box : Box + "|" + Status;
}

TPropertyAttributes TQELHintProperty::GetAttributes() const {
    return {paDialog, paMultiSelect, paAutoUpdate};
}

void TQELHintProperty::Edit() {
    auto Form = std::make_unique<TQELHintEditForm>(nullptr);
    auto [Box, Status] = QELSplitHint(GetStrValue());
    Form->HintBox()->SetText(Box);
    Form->StatusBarEdit()->SetText(Status);
    if (ExecuteDialog(Form.get()) != mrOk) return;
    SetStrValue(QELJoinHint(Form->HintBox()->Text(), Form->StatusBarEdit()->Text()));
}

} // namespace qel
