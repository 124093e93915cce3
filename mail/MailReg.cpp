#include "mail/MailReg.h"

#include "mail/QELMails.h"
#include "mail/QELTDsgInetMail.h"
#include "mail/QELTDsgMapiMail.h"
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

void TQELMailConfigEditor::Edit() {
    if (auto* Mapi = Cast<TQELMapiMail>(Component()))
        ConfigureMapiMail(Mapi->Messages(), Designer());
    else if (Cast<TQELSMTPMail>(Component()) || Cast<TQELPOPMail>(Component()))
        ConfigureInetMail(static_cast<TQELMailHost*>(Component())->Messages(), Designer());
}

void TQELMailConfigEditor::ExecuteVerb(int Index) {
    if (Index == 0) Edit();
}

std::string TQELMailConfigEditor::GetVerb(int Index) const {
    return Index == 0 ? "Configure Mail ..." : std::string();
}

void MailReg::Register() {
    RegisterComponents("QEL EMail", {&TQELQuickMail::StaticClass(), &TQELMapiMail::StaticClass(),
                                     &TQELPOPMail::StaticClass(), &TQELSMTPMail::StaticClass()});
    RegisterPropertyEditor(ClassPropType<TQELAttachments>(TPropKind::Collection),
                           &TQELMessage::StaticClass(), "Attachments",
                           PropertyEditorClass<TQELAttachmentProperty>("TQELAttachmentProperty"));
    RegisterPropertyEditor(ClassPropType<TQELMessages>(TPropKind::Collection),
                           &TQELSMTPMail::StaticClass(), "Messages",
                           PropertyEditorClass<TQELInetProperty>("TQELInetProperty"));
    RegisterPropertyEditor(ClassPropType<TQELMessages>(TPropKind::Collection),
                           &TQELPOPMail::StaticClass(), "Messages",
                           PropertyEditorClass<TQELInetProperty>("TQELInetProperty"));
    RegisterPropertyEditor(
        ClassPropType<TQELMapiAttachments>(TPropKind::Collection), &TQELMapiMessage::StaticClass(),
        "Attachments",
        PropertyEditorClass<TQELMapiAttachmentProperty>("TQELMapiAttachmentProperty"));
    RegisterPropertyEditor(ClassPropType<TQELMapiMessages>(TPropKind::Collection),
                           &TQELMapiMail::StaticClass(), "Messages",
                           PropertyEditorClass<TQELMapiProperty>("TQELMapiProperty"));
    RegisterPropertyEditor(PropType(TPropKind::String), &TQELMailsComponent::StaticClass(),
                           "DesignExecute",
                           PropertyEditorClass<TQELSendMailProperty>("TQELSendMailProperty"));
    RegisterComponentEditor(TQELMailHost::StaticClass(),
                            ComponentEditorClass<TQELMailConfigEditor>("TQELMailConfigEditor"));
    RegisterComponentEditor(TQELMapiMail::StaticClass(),
                            ComponentEditorClass<TQELMailConfigEditor>("TQELMailConfigEditor"));
}

} // namespace qel

extern "C" void Register() {
    qel::MailReg::Register();
}
