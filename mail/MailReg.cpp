#include "mail/MailReg.h"

#include "mail/QELMails.h"
#include "mail/QELTIEmails.h"
#include "mail/QELTMapiMail.h"
#include "toolkit/designer/DesignRegistry.h"

namespace qel {

TPropertyAttributes TQELSendMailProperty::GetAttributes() const {
    return {paDialog, paReadOnly};
}

std::string TQELSendMailProperty::GetValue() const {
    return "(Execute Test)";
}

void TQELSendMailProperty::Edit() {
    // Execute reports its own failures through the component's events and the application's
    // exception handler; a handler may free the component, so nothing is touched afterwards.
    if (auto* C = Cast<TQELMailsComponent>(GetComponent(0))) C->Execute();
}

void MailReg::Register() {
    RegisterComponents("QEL EMail", {&TQELQuickMail::StaticClass(), &TQELMapiMail::StaticClass(),
                                     &TQELPOPMail::StaticClass(), &TQELSMTPMail::StaticClass()});
    RegisterPropertyEditor(PropType(TPropKind::String), &TQELMailsComponent::StaticClass(),
                           "DesignExecute",
                           PropertyEditorClass<TQELSendMailProperty>("TQELSendMailProperty"));
}

} // namespace qel

extern "C" void Register() {
    qel::MailReg::Register();
}
