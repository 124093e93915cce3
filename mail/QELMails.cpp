#include "mail/QELMails.h"

#include "toolkit/controls/Forms.h"

namespace qel {

namespace {
void DescribeMailsComponent(TClassBuilder<TQELMailsComponent>& B) {
    // Never written to a form file: it only labels the designer's run button.
    B.String("DesignExecute", &TQELMailsComponent::DesignExecute,
             &TQELMailsComponent::SetDesignExecute)
        .Stored(false);
}
} // namespace

QEL_IMPLEMENT_CLASS(TQELMailsComponent, TComponent, DescribeMailsComponent)

TQELMailsComponent::TQELMailsComponent(TComponent* AOwner)
    : TComponent(AOwner), DesignExecute_("(Execute)") {}

void TQELMailsComponent::SetDesignExecute(const TQELExecMailStr& Value) {
    DesignExecute_ = Value.substr(0, QELExecMailStrMax);
}

bool TQELMailsComponent::Execute() {
    return false;
}

void QELProcessMessages() {
    if (Application) Application->ProcessMessages();
}

void QELHandleException(TObject* Sender) {
    if (Application) Application->HandleException(Sender);
}

} // namespace qel
