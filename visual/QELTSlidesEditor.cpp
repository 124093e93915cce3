#include "visual/QELTSlidesEditor.h"

#include "toolkit/controls/Buttons.h"
#include "toolkit/controls/ComCtrls.h"
#include "toolkit/controls/ComboBox.h"
#include "toolkit/controls/Dialogs.h"
#include "toolkit/controls/ExtCtrls.h"
#include "toolkit/controls/FileDialogs.h"
#include "toolkit/controls/ListBox.h"
#include "toolkit/controls/Memo.h"
#include "toolkit/controls/RadioGroup.h"
#include "toolkit/controls/StdCtrls.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/core/ScopeGuard.h"
#include "toolkit/graphics/Bitmap.h"
#include "toolkit/graphics/Picture.h"
#include "toolkit/graphics/Resources.h"
#include "visual/QELTPresentation.h"
#include "visual/QELTSlideEffects.h"

#include <memory>

namespace qel {

TMultiptf* Multiptf = nullptr;

static void DescribeMultiptf(TClassBuilder<TMultiptf>& B) {
    B.Method("FormShow", &TMultiptf::FormShow);
    B.Method("ListBox1Click", &TMultiptf::ListBox1Click);
    B.Method("Button8Click", &TMultiptf::Button8Click);
    B.Method("Button9Click", &TMultiptf::Button9Click);
    B.Method("ArrowBtn1Click", &TMultiptf::ArrowBtn1Click);
    B.Method("ArrowBtn2Click", &TMultiptf::ArrowBtn2Click);
    B.Method("RadioGroup1Click", &TMultiptf::RadioGroup1Click);
    B.Method("Memo1Exit", &TMultiptf::Memo1Exit);
    B.Method("ComboBox1Change", &TMultiptf::ComboBox1Change);
    B.Method("SpeedButton4Click", &TMultiptf::SpeedButton4Click);
    B.Method("Office97Btn3Click", &TMultiptf::Office97Btn3Click);
    B.Method("CheckBox1Click", &TMultiptf::CheckBox1Click);
    B.Method("Button1Click", &TMultiptf::Button1Click);
}
QEL_IMPLEMENT_CLASS(TMultiptf, TForm, DescribeMultiptf)

const std::vector<std::string>& QELSlideEffectNames() {
    static const std::vector<std::string> Names = {
        "00 - Random",
        "01 - None",
        "02 - Wipe Top To Bottom",
        "03 - Wipe Bottom To Top",
        "04 - Wipe Left To Right",
        "05 - Wipe Right To Left",
        "06 - Stretch Up",
        "07 - Stretch Down",
        "08 - Stretch Left",
        "09 - Stretch Right",
        "10 - Close Horizontal Curtain",
        "11 - Open Horizontal Curtain",
        "12 - Close Vertical Curtain",
        "13 - Open Vertical Curtain",
        "14 - Vertical Interlace",
        "15 - Horizontal Interlace",
        "16 - Left-Right Doppel",
        "17 - Top-Bottom Doppel",
        "18 - Right-Left Doppel",
        "19 - Bottom-Top Doppel",
        "20 - Left-Right Doppel In Out",
        "21 - Top-Bottom Doppel In Out",
        "22 - Right-Left Doppel In Out",
        "23 - Bottom-Top Doppel In Out",
        "24 - Left-Top To Right-Bottom Wipe",
        "25 - Left-Bottom To Right-Top Wipe",
        "26 - Right-Top To Left-Bottom Wipe",
        "27 - Right-Bottom To Left-Top Wipe",
        "28 - LTRB Closing Curtain",
        "29 - RTLB Closing Curtain",
        "30 - Quad Vertical Interlace",
        "31 - Quad Horizontal Interlace",
        "32 - Doppel Vertical Interlace",
        "33 - Doppel Horizontal Interlace",
        "34 - Vertical Quad Up",
        "35 - Vertical Doppel Down",
        "36 - Vetical Quad Down",
        "37 - Vertical Doppel Up",
        "38 - Wipe Effect 1",
        "39 - Wipe Effect 2",
        "40 - Wipe Effect 3",
        "41 - BitBlt",
        "42 - Drip Vertical",
        "43 - Drip Horizontal",
        "44 - Step Wipe Vertical",
        "45 - Step Wipe Horizontal",
        "46 - Screen Off",
        "47 - Fade Down",
        "48 - Wipe Effect 4",
        "49 - Wipe Effect 5",
        "50 - Wipe Effect 6",
        "51 - Horizontal Quad Left",
        "52 - Horizontal Doppel Right",
        "53 - Horizontal Quad Right",
        "54 - Horizontal Doppel Left",
    };
    return Names;
}

namespace {
template <class T> T* Part(const TComponent* Form, const char* Name) {
    auto* C = Cast<T>(Form->FindComponent(Name));
    if (!C) throw EComponentError(std::string("The slides editor resource lacks ") + Name);
    return C;
}
} // namespace

TMultiptf::TMultiptf(TComponent* AOwner) : TForm(AOwner) {
    if (!InitComponentFromResource(this)) throw EComponentError("Resource TMultiptf not found");
    const TResourceModule Module = ResourceModule("Brisca40");
    Image2()->Picture()->Bitmap()->LoadFromResourceName(Module, "MULTIPTF_SAMPLE1");
    Image3()->Picture()->Bitmap()->LoadFromResourceName(Module, "MULTIPTF_SAMPLE2");
    const std::pair<const char*, const char*> Glyphs[] = {{"SpeedButton1", "MULTIPTF_UP"},
                                                          {"SpeedButton2", "MULTIPTF_DOWN"},
                                                          {"SpeedButton4", "MULTIPTF_PREVIEW"},
                                                          {"SpeedButton3", "MULTIPTF_CLOSE"}};
    for (const auto& [Button, Res] : Glyphs)
        Part<TSpeedButton>(this, Button)->Glyph()->LoadFromResourceName(Module, Res);
    TStrings* Effects = ComboBox1()->Items();
    Effects->Clear();
    for (const std::string& N : QELSlideEffectNames())
        Effects->Add(N);
    // The preview area shows the sample the last preview ended on, also after an overlap.
    PaintBox1()->OnPaint = [this](TObject* Sender) { PaintPreview(Sender); };
}

void TMultiptf::SetSlides(TQELSlides* Slides, TQELPresentation* Presentation) {
    FSlides = Slides;
    FPresentation = Presentation;
}

TPageControl* TMultiptf::PageControl1() const {
    return Part<TPageControl>(this, "PageControl1");
}
TListBox* TMultiptf::ListBox1() const {
    return Part<TListBox>(this, "ListBox1");
}
TRadioGroup* TMultiptf::RadioGroup1() const {
    return Part<TRadioGroup>(this, "RadioGroup1");
}
TComboBox* TMultiptf::ComboBox1() const {
    return Part<TComboBox>(this, "ComboBox1");
}
TMemo* TMultiptf::Memo1() const {
    return Part<TMemo>(this, "Memo1");
}
TCheckBox* TMultiptf::CheckBox1() const {
    return Part<TCheckBox>(this, "CheckBox1");
}
TImage* TMultiptf::Image1() const {
    return Part<TImage>(this, "Image1");
}
TImage* TMultiptf::Image2() const {
    return Part<TImage>(this, "Image2");
}
TImage* TMultiptf::Image3() const {
    return Part<TImage>(this, "Image3");
}
TPaintBox* TMultiptf::PaintBox1() const {
    return Part<TPaintBox>(this, "PaintBox1");
}
TOpenDialog* TMultiptf::OpenDialog1() const {
    return Part<TOpenDialog>(this, "OpenDialog1");
}

TQELSlide* TMultiptf::Selected() const {
    int I = ListBox1()->ItemIndex();
    if (!FSlides || I < 0 || I >= FSlides->Count()) return nullptr;
    return FSlides->Items(I);
}

void TMultiptf::Buildform() {
    if (FBuilding) return;
    FBuilding = true;
    const TScopeExit Done([this] { FBuilding = false; });
    TListBox* L = ListBox1();
    if (L->ItemIndex() < 0 && L->Items()->Count() > 0) L->SetItemIndex(0);
    if (TQELSlide* S = Selected()) {
        FSlides->SetEditIndex(L->ItemIndex());
        Image1()->Picture()->Assign(S->Bitmap());
        Memo1()->SetText(S->Text());
        ComboBox1()->SetItemIndex(S->Effect());
        RadioGroup1()->SetItemIndex(S->Style());
        CheckBox1()->SetChecked(S->Stretch());
    }
    Refresh();
}

void TMultiptf::FormShow(TObject*) {
    Buildform();
}

void TMultiptf::ListBox1Click(TObject*) {
    Buildform();
}

void TMultiptf::Button8Click(TObject*) {
    if (!FSlides) return;
    TQELSlide* S = FSlides->Add();
    const int N = FSlides->Count() - 1;
    FSlides->SetEditIndex(N);
    S->SetID("Slide - " + std::to_string(N));
    ListBox1()->Items()->Add(S->ID());
    ListBox1()->SetItemIndex(N);
    S->SetText("");
    {
        FBuilding = true;
        const TScopeExit Done([this] { FBuilding = false; });
        ComboBox1()->SetItemIndex(0);
        RadioGroup1()->SetItemIndex(0);
        Image1()->Picture()->Assign(nullptr);
        Memo1()->Clear();
    }
    Buildform();
}

void TMultiptf::Button9Click(TObject*) {
    if (!Selected()) return;
    FSlides->Delete(ListBox1()->ItemIndex());
    TListBox* L = ListBox1();
    L->Items()->BeginUpdate();
    L->Items()->Clear();
    for (int I = 0; I < FSlides->Count(); ++I)
        L->Items()->Add(FSlides->Items(I)->ID());
    L->Items()->EndUpdate();
    const bool Any = FSlides->Count() > 0;
    L->SetItemIndex(Any ? 0 : -1);
    FSlides->SetEditIndex(Any ? 0 : -1);
    L->Invalidate();
    // The controls still show the deleted slide; left so, its text or style would be written
    // into the slide that is selected now as soon as a control is touched.
    Buildform();
}

void TMultiptf::ArrowBtn1Click(TObject*) {
    const int I = ListBox1()->ItemIndex();
    if (!Selected() || I <= 0) return;
    FSlides->Move(I, I - 1);
    ListBox1()->SetItemIndex(I - 1);
    FSlides->SetEditIndex(I - 1);
    Buildform();
}

void TMultiptf::ArrowBtn2Click(TObject*) {
    const int I = ListBox1()->ItemIndex();
    if (!Selected() || I >= FSlides->Count() - 1) return;
    FSlides->Move(I, I + 1);
    ListBox1()->SetItemIndex(I + 1);
    FSlides->SetEditIndex(I + 1);
    Buildform();
}

void TMultiptf::RadioGroup1Click(TObject*) {
    if (FBuilding) return;
    TQELSlide* S = Selected();
    if (!S) return;
    FSlides->SetEditIndex(ListBox1()->ItemIndex());
    S->SetStyle(RadioGroup1()->ItemIndex());
    Buildform();
}

void TMultiptf::Memo1Exit(TObject*) {
    if (FBuilding) return;
    TQELSlide* S = Selected();
    if (!S) return;
    FSlides->SetEditIndex(ListBox1()->ItemIndex());
    S->SetText(Memo1()->Text());
    Buildform();
}

void TMultiptf::ComboBox1Change(TObject*) {
    if (FBuilding) return;
    if (TQELSlide* S = Selected()) S->SetEffect(ComboBox1()->ItemIndex());
    Preview();
}

void TMultiptf::SpeedButton4Click(TObject*) {
    Preview();
}

void TMultiptf::Preview() {
    TImage* Flag = Image2();
    TImage* Source = Flag->Tag() ? Image3() : Image2();
    TPaintBox* Box = PaintBox1();
    DrawSlideEffect(ComboBox1()->ItemIndex(), Source->Picture()->Bitmap()->Canvas(), Box->Canvas(),
                    Box->Width(), Box->Height());
    Flag->SetTag(Flag->Tag() ? 0 : 1);
}

void TMultiptf::PaintPreview(TObject*) {
    TImage* Shown = Image2()->Tag() ? Image2() : Image3();
    TPaintBox* Box = PaintBox1();
    Box->Canvas()->Draw(0, 0, Shown->Picture()->Bitmap());
}

void TMultiptf::Office97Btn3Click(TObject*) {
    TQELSlide* S = Selected();
    if (!S || !OpenDialog1()->Execute()) return;
    // A file that cannot be read raises here, before anything is changed.
    TBitmap Loaded;
    Loaded.LoadFromFile(OpenDialog1()->FileName());
    Image1()->Picture()->Bitmap()->Assign(&Loaded);
    S->SetBitmap(Image1()->Picture()->Bitmap());
}

void TMultiptf::CheckBox1Click(TObject*) {
    if (FBuilding) return;
    if (TQELSlide* S = Selected()) S->SetStretch(CheckBox1()->Checked());
}

void TMultiptf::Button1Click(TObject*) {
    // A text still being typed has not left the memo yet; it is part of what is kept.
    if (ActiveControl() == Memo1()) Memo1Exit(this);
    SetModalResult(mrOk);
}

TPropertyAttributes TQELSlidesProperty::GetAttributes() const {
    return {paDialog, paReadOnly};
}

void TQELSlidesProperty::Edit() {
    auto* Slides = Cast<TQELSlides>(GetObjValue());
    if (!Slides) return;
    TQELSlides Saved(nullptr);
    Saved.Assign(Slides);
    const int SavedIndex = Slides->EditIndex();

    auto Form = std::make_unique<TMultiptf>(nullptr);
    Multiptf = Form.get();
    const TScopeExit Forget([] { Multiptf = nullptr; });
    for (int I = 0; I < Slides->Count(); ++I)
        Form->ListBox1()->Items()->Add(Slides->Items(I)->ID());
    Form->SetSlides(Slides, Cast<TQELPresentation>(GetComponent(0)));
    if (ExecuteDialog(Form.get()) == mrOk) return Modified();
    Slides->Assign(&Saved);
    Slides->SetEditIndex(SavedIndex);
}

} // namespace qel
