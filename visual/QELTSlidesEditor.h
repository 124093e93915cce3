#pragma once
// The slides editor of a presentation: adds, deletes and reorders slides, sets each slide's
// style, effect, text, picture and stretch flag, and previews any effect on two sample
// pictures. Edits go straight into the collection, so the closing button keeps them; closing
// the window any other way puts back the slides as they were when the editor opened.
#include "toolkit/controls/Forms.h"
#include "toolkit/core/Export.h"
#include "toolkit/designer/PropEdit.h"

#include <string>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

class TBitBtn;
class TCheckBox;
class TComboBox;
class TImage;
class TListBox;
class TMemo;
class TOpenDialog;
class TPageControl;
class TPaintBox;
class TRadioGroup;
class TSpeedButton;
class TQELPresentation;
class TQELSlide;
class TQELSlides;

class TMultiptf : public TForm {
    QEL_CLASS(TMultiptf, TForm)
  public:
    // Built from its form resource, with its glyphs and sample pictures.
    explicit TMultiptf(TComponent* AOwner);

    // The collection edited and the presentation that owns it; both must outlive the dialog.
    void SetSlides(TQELSlides* Slides, TQELPresentation* Presentation);
    TQELSlides* Slides() const { return FSlides; }
    TQELPresentation* Presentation() const { return FPresentation; }

    TPageControl* PageControl1() const;
    TListBox* ListBox1() const;
    TRadioGroup* RadioGroup1() const;
    TComboBox* ComboBox1() const;
    TMemo* Memo1() const;
    TCheckBox* CheckBox1() const;
    TImage* Image1() const;
    TImage* Image2() const;
    TImage* Image3() const;
    TPaintBox* PaintBox1() const;
    TOpenDialog* OpenDialog1() const;

    // Shows the selected slide in the controls, selecting the first one when none is.
    void Buildform();
    // Plays the combo's effect in the preview area, from the sample shown last to the other.
    void Preview();

    void FormShow(TObject* Sender);
    void ListBox1Click(TObject* Sender);
    void Button8Click(TObject* Sender);      // add a slide
    void Button9Click(TObject* Sender);      // delete the selected slide
    void ArrowBtn1Click(TObject* Sender);    // move it up
    void ArrowBtn2Click(TObject* Sender);    // move it down
    void RadioGroup1Click(TObject* Sender);  // its style
    void Memo1Exit(TObject* Sender);         // its text
    void ComboBox1Change(TObject* Sender);   // its effect, then the preview
    void SpeedButton4Click(TObject* Sender); // the preview alone
    void Office97Btn3Click(TObject* Sender); // its picture from a file
    void CheckBox1Click(TObject* Sender);    // its stretch flag
    void Button1Click(TObject* Sender);      // close, keeping the edits

  private:
    // The slide at the list's selection, nullptr when nothing valid is selected.
    TQELSlide* Selected() const;
    void PaintPreview(TObject* Sender);

    TQELSlides* FSlides = nullptr;
    TQELPresentation* FPresentation = nullptr;
    // Set while Buildform fills the controls, whose setters fire the handlers that would write
    // the half-filled values back into the slide.
    bool FBuilding = false;
};

// The open slides editor, nullptr when none is open.
extern TMultiptf* Multiptf;

// The combo's entries: "00 - Random" … "54 - Horizontal Doppel Left", by effect number.
const std::vector<std::string>& QELSlideEffectNames();

class TQELSlidesProperty : public TClassProperty {
  public:
    using TClassProperty::TClassProperty;
    TPropertyAttributes GetAttributes() const override;
    void GetProperties(const TGetPropEditProc&) const override {}
    // Opens the editor on the slides; its close button keeps the edits and marks the form
    // modified, any other way out restores the slides and marks nothing.
    void Edit() override;
};

} // namespace qel

QEL_PUBLIC_END
