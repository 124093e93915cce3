#pragma once
// Design-time entry of the mail package: the palette page, the editors that run a mail
// component from the inspector and the one that opens its messages window. The designer finds
// Register as an exported C symbol of the loaded package.
#include "toolkit/core/Export.h"
#include "toolkit/designer/DesignEditors.h"
#include "toolkit/designer/PropEdit.h"

QEL_PUBLIC_BEGIN

namespace qel {

namespace MailReg {
void Register();
} // namespace MailReg

// "(Execute Test)" in the inspector; the ellipsis runs the component with its current
// settings, so an SMTP component sends its messages from within the designer.
class TQELSendMailProperty : public TStringProperty {
  public:
    using TStringProperty::TStringProperty;
    TPropertyAttributes GetAttributes() const override;
    std::string GetValue() const override;
    void Edit() override;
};

// Double-click and "Configure Mail ..." open the messages window of an SMTP, POP3 or MAPI
// mail component.
class TQELMailConfigEditor : public TDefaultEditor {
  public:
    using TDefaultEditor::TDefaultEditor;
    void Edit() override;
    void ExecuteVerb(int Index) override;
    std::string GetVerb(int Index) const override;
    int GetVerbCount() const override { return 1; }
};

} // namespace qel

extern "C" void Register();

QEL_PUBLIC_END
