#include "visual/QELZoradodoReg.h"

#include "toolkit/controls/Controls.h"
#include "toolkit/core/Strings.h"
#include "toolkit/designer/DesignRegistry.h"
#include "visual/QELControls.h"
#include "visual/QELTArrowButton.h"
#include "visual/QELTBPButtons.h"
#include "visual/QELTBackground.h"
#include "visual/QELTButton.h"
#include "visual/QELTDBLabel.h"
#include "visual/QELTDBNavigator.h"
#include "visual/QELTFileLabel3D.h"
#include "visual/QELTFillBackground.h"
#include "visual/QELTGauge.h"
#include "visual/QELTHeaderList.h"
#include "visual/QELTHint.h"
#include "visual/QELTHintEditor.h"
#include "visual/QELTIEButton.h"
#include "visual/QELTImageScroller.h"
#include "visual/QELTLabel.h"
#include "visual/QELTLabelCaption.h"
#include "visual/QELTOfficeButton.h"
#include "visual/QELTPanel.h"
#include "visual/QELTPresentation.h"
#include "visual/QELTRoundButton.h"
#include "visual/QELTScreenCanvas.h"
#include "visual/QELTSelColors.h"
#include "visual/QELTSlidesEditor.h"
#include "visual/QELTSplashScreen.h"
#include "visual/QELZoradodo.h"

namespace qel {

TPropertyAttributes TQELExecZoradodoProperty::GetAttributes() const {
    return {paDialog, paReadOnly};
}

std::string TQELExecZoradodoProperty::GetValue() const {
    return "(Execute Test)";
}

void TQELExecZoradodoProperty::Edit() {
    // The component may free itself while it runs (a splash screen's handler): nothing is
    // touched afterwards.
    if (auto* C = Cast<TQELZoradodoExecComponent>(GetComponent(0))) C->Execute();
}

void QELZoradodoReg::Register() {
    RegisterClass(TQELFont3D::StaticClass());
    RegisterClass(TQELGradient::StaticClass());
    RegisterClass(TQELTexture::StaticClass());
    RegisterClass(TQELFrame::StaticClass());
    RegisterComponents("QEL Zoradodo",
                       {&TQELBackground::StaticClass(),    &TQELCheckbox::StaticClass(),
                        &TQELRadiobutton::StaticClass(),   &TQELLabel::StaticClass(),
                        &TQELButton::StaticClass(),        &TQELIEButton::StaticClass(),
                        &TQELOfficeButton::StaticClass(),  &TQELPanel::StaticClass(),
                        &TQELGauge::StaticClass(),         &TQELPresentation::StaticClass(),
                        &TQELHint::StaticClass(),          &TQELFillBackground::StaticClass(),
                        &TQELArrowButton::StaticClass(),   &TQELRoundButton::StaticClass(),
                        &TQELHeader::StaticClass(),        &TQELHeaderList::StaticClass(),
                        &TQELImageScroller::StaticClass(), &TQELScreenCanvas::StaticClass(),
                        &TQELFileLabel3D::StaticClass(),   &TQELFormSlide::StaticClass()});
    RegisterComponents("QEL Data-Aware",
                       {&TQELDBLabel::StaticClass(), &TQELDBNavigator::StaticClass()});
    RegisterComponents("QEL Dialogs", {&TQELSplashScreen::StaticClass()});
    RegisterComponents("QEL System", {&TQELTimer32::StaticClass()});

    RegisterPropertyEditor(
        ClassPropType<TStrings>(TPropKind::Strings), &TQELGradient::StaticClass(),
        "ColorsInBetween",
        PropertyEditorClass<TQELColorInBetweenProperty>("TQELColorInBetweenProperty"));
    RegisterPropertyEditor(PropType(TPropKind::String), &TComponent::StaticClass(), "Hint",
                           PropertyEditorClass<TQELHintProperty>("TQELHintProperty"));
    RegisterPropertyEditor(PropType(TPropKind::String), &TControl::StaticClass(), "Caption",
                           PropertyEditorClass<TQELCaptionProperty>("TQELCaptionProperty"));
    RegisterPropertyEditor(ClassPropType<TQELSlides>(TPropKind::Collection),
                           &TQELPresentation::StaticClass(), "Slides",
                           PropertyEditorClass<TQELSlidesProperty>("TQELSlidesProperty"));
    RegisterPropertyEditor(
        PropType(TPropKind::String), &TQELZoradodoExecComponent::StaticClass(), "DesignExecute",
        PropertyEditorClass<TQELExecZoradodoProperty>("TQELExecZoradodoProperty"));
}

} // namespace qel

extern "C" void Register() {
    qel::QELZoradodoReg::Register();
}
