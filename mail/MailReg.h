#pragma once
// Design-time entry of the mail package: the palette page and the editors that run a mail
// component from the inspector. The designer finds Register as an exported C symbol of the
// loaded package.
#include "toolkit/core/Export.h"
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

} // namespace qel

extern "C" void Register();

QEL_PUBLIC_END
