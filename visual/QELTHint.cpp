#include "visual/QELTHint.h"

namespace qel {

namespace {

int Instances = 0;
TQELHint* Live = nullptr;

// The colour the balloon window gives the application's hints (clBackground).
constexpr std::uint32_t kBalloonHintColor = 0x80000001u;

bool Designing(const TComponent* C) {
    return C && C->IsDesigning();
}

} // namespace

std::string QELDuplicateHintMessage() {
    return "You can have one and ONLY ONE\r\nTQELHint Component\r\n in a project and it must be "
           "on the Mainform";
}

// The stored defaults of the two colours are the values a new component starts with, so a
// form saved with either value reloads with it.
static void DescribeHint(TClassBuilder<TQELHint>& B) {
    using T = TQELHint;
    B.Object("Font3D", &T::Font3D, &T::SetFont3D);
    B.Bool("Speechbubble", &T::Speechbubble, &T::SetSpeechbubble);
    B.Bool("Shadow", &T::Shadow, &T::SetShadow);
    B.Enum("HintDirection", &T::HintDirection, &T::SetHintDirection).SetDefault(dUpRight);
    B.Color("UnUsedHintColor", &T::UnUsedHintColor, &T::SetUnUsedHintColor).SetDefault(0x00FF00);
    B.Color("HintShadowColor", &T::HintShadowColor, &T::SetHintShadowColor).SetDefault(0x000000);
    B.Object("HintFont", &T::HintFont, &T::SetHintFont);
    B.Integer("HintPauseTime", &T::HintPauseTime, &T::SetHintPauseTime).SetDefault(600);
    B.Event("OnSelectHintDirection", &T::OnSelectHintDirection);
    B.Component("Background", &T::Background, &T::SetBackground);
}
QEL_IMPLEMENT_CLASS(TQELHint, TComponent, DescribeHint)

TQELHint::TClaim::TClaim(TQELHint* S) : Self(S) {
    if (Instances >= 1) throw TQELDuplicateError(QELDuplicateHintMessage());
    ++Instances;
    Live = Self;
}

TQELHint::TClaim::~TClaim() {
    --Instances;
    if (Live == Self) Live = nullptr;
}

namespace {
TComponent* HintOwner(TComponent* AOwner) {
    if (!Designing(AOwner) && Application && Application->MainForm())
        return Application->MainForm();
    return AOwner;
}
} // namespace

TQELHint::TQELHint(TComponent* AOwner)
    : TComponent(HintOwner(AOwner)), FClaim(this), FFont3D(std::make_unique<TQELFont3D>(this)),
      FHintFont(std::make_unique<TFont>()) {
    FHintFont->OnChange = [this](TObject*) { HintFontChanged(); };
    if (!Designing(Owner())) Install();
    SetNewHintFont();
}

TQELHint::~TQELHint() {
    FHintFont->OnChange = nullptr;
    Uninstall();
}

int TQELHint::InstanceCount() {
    return Instances;
}

TQELHint* TQELHint::Instance() {
    return Live;
}

void TQELHint::Install() {
    if (!FInstalled) {
        FPreviousClass = HintWindowClass;
        FPreviousPause = Application->HintPause();
        FPreviousColor = Application->HintColor();
        FInstalled = true;
    }
    HintWindowClass = &TQELNewHint::StaticClass();
    Application->SetHintPause(FHintPauseTime);
    RecreateHintWindow();
}

void TQELHint::Uninstall() {
    if (!FInstalled) return;
    FInstalled = false;
    if (HintWindowClass == &TQELNewHint::StaticClass()) HintWindowClass = FPreviousClass;
    if (Application->HintPause() == FHintPauseTime) Application->SetHintPause(FPreviousPause);
    if (Application->HintColor() == kBalloonHintColor) Application->SetHintColor(FPreviousColor);
    // A balloon that is being activated (this component freed by its direction handler) must
    // not be freed under itself: the application replaces it on its next hint, as the class
    // no longer matches.
    if (TQELNewHint::Activating()) return;
    Application->CancelHint();
    RecreateHintWindow();
}

void TQELHint::RecreateHintWindow() {
    if (TQELNewHint::Activating()) return;
    Application->SetShowHint(!Application->ShowHint());
    Application->SetShowHint(!Application->ShowHint());
}

void TQELHint::SetFont3D(TQELFont3D* Value) {
    if (Value != FFont3D.get()) FFont3D->Assign(Value);
}

void TQELHint::SetHintFont(TFont* Value) {
    // Assign reports through OnChange, which recreates the window and passes the font on.
    if (Value != FHintFont.get()) FHintFont->Assign(Value);
}

void TQELHint::HintFontChanged() {
    if (IsDesigning() || !FInstalled) return;
    RecreateHintWindow();
    SetNewHintFont();
}

void TQELHint::SetHintPauseTime(int Value) {
    if (Value == FHintPauseTime) return;
    FHintPauseTime = Value;
    if (!IsDesigning()) Application->SetHintPause(Value);
}

void TQELHint::SetNewHintFont() {
    if (Designing(this) || Designing(Owner())) return;
    for (int I = 0; I < Application->ComponentCount(); ++I) {
        if (auto* W = Cast<TQELNewHint>(Application->Components(I))) {
            W->Font()->Assign(FHintFont.get());
            return;
        }
    }
}

// A plain store; the free notification keeps a background on another form from dangling.
void TQELHint::SetBackground(TQELBackground* Value) {
    if (FBackground && FBackground != Value) FBackground->RemoveFreeNotification(this);
    FBackground = Value;
    if (Value) Value->FreeNotification(this);
}

void TQELHint::Loaded() {
    TComponent::Loaded();
    if (IsDesigning()) return;
    Install();
    SetNewHintFont();
}

void TQELHint::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FBackground) FBackground = nullptr;
}

} // namespace qel
