#pragma once
// The hint editor: the short hint (before the first "|") and the status-bar hint (after it)
// in two fields, joined again on OK.
#include "toolkit/controls/Forms.h"
#include "toolkit/core/Export.h"
#include "toolkit/designer/PropEdit.h"

#include <string>
#include <utility>

QEL_PUBLIC_BEGIN

namespace qel {

class TMemo;
class TEdit;

class TQELHintEditForm : public TForm {
    QEL_CLASS(TQELHintEditForm, TForm)
  public:
    // Built from its form resource.
    explicit TQELHintEditForm(TComponent* AOwner);
    TMemo* HintBox() const;
    TEdit* StatusBarEdit() const;
    void SpeedButton1Click(TObject* Sender);
    void SpeedButton2Click(TObject* Sender);
};

// Splits at the first "|": the box part and the status part.
std::pair<std::string, std::string> QELSplitHint(const std::string& Hint);
// The box part, then "|" and the status part only when there is one.
std::string QELJoinHint(const std::string& Box, const std::string& Status);

class TQELHintProperty : public TStringProperty {
  public:
    using TStringProperty::TStringProperty;
    TPropertyAttributes GetAttributes() const override;
    void Edit() override;
};

} // namespace qel

QEL_PUBLIC_END
