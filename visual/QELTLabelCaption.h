#pragma once
// The caption editor of every control: a memo, so a caption may hold line breaks.
#include "toolkit/controls/Forms.h"
#include "toolkit/core/Export.h"
#include "toolkit/designer/PropEdit.h"

QEL_PUBLIC_BEGIN

namespace qel {

class TMemo;

class TQELCaptionEditForm : public TForm {
    QEL_CLASS(TQELCaptionEditForm, TForm)
  public:
    // Built from its form resource.
    explicit TQELCaptionEditForm(TComponent* AOwner);
    TMemo* CaptionBox() const;
    void SpeedButton1Click(TObject* Sender);
    void SpeedButton2Click(TObject* Sender);
};

class TQELCaptionProperty : public TStringProperty {
  public:
    using TStringProperty::TStringProperty;
    TPropertyAttributes GetAttributes() const override;
    // Shows the dialog on the current caption; OK stores the memo's text, anything else
    // changes nothing.
    void Edit() override;
};

} // namespace qel

QEL_PUBLIC_END
