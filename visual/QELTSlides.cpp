// The slides of a presentation and their collection.
#include "visual/QELTPresentation.h"

namespace qel {

static void DescribeSlide(TClassBuilder<TQELSlide>& B) {
    using T = TQELSlide;
    // No defaults: every slide writes all of its settings.
    B.Object("Bitmap", &T::Bitmap, &T::SetBitmap);
    B.Integer("Style", &T::Style, &T::SetStyle);
    B.Integer("Effect", &T::Effect, &T::SetEffect);
    B.String("Text", &T::Text, &T::SetText);
    B.String("ID", &T::ID, &T::SetID);
    B.Bool("Stretch", &T::Stretch, &T::SetStretch);
}
QEL_IMPLEMENT_CLASS(TQELSlide, TCollectionItem, DescribeSlide)
QEL_IMPLEMENT_CLASS(TQELSlides, TCollection, NoProperties<TQELSlides>)

TQELSlide::TQELSlide(TCollection* ACollection)
    : TCollectionItem(ACollection), FBitmap(std::make_unique<TBitmap>()) {}

TQELSlide::~TQELSlide() = default;

void TQELSlide::SetBitmap(TBitmap* Value) {
    if (Value != FBitmap.get()) FBitmap->Assign(Value);
}

void TQELSlide::Assign(const TPersistent* Source) {
    if (const auto* S = dynamic_cast<const TQELSlide*>(Source)) {
        if (S == this) return;
        FBitmap->Assign(S->FBitmap.get());
        FStyle = S->FStyle;
        FEffect = S->FEffect;
        FText = S->FText;
        FID = S->FID;
        FStretch = S->FStretch;
        return;
    }
    TCollectionItem::Assign(Source);
}

std::string TQELSlide::GetDisplayName() const {
    return FID.empty() ? TCollectionItem::GetDisplayName() : FID;
}

TQELSlides::TQELSlides(TPersistent* Owner) : TCollection(TQELSlide::StaticClass()), FOwner(Owner) {}

bool TQELSlides::Delete(int Index) {
    TCollection::Delete(Index);
    for (int I = 0; I < Count(); ++I)
        Items(I)->SetID("Slide - " + std::to_string(I));
    return true;
}

void TQELSlides::Move(int A, int B) {
    TQELSlide* SA = Items(A);
    TQELSlide* SB = Items(B);
    if (SA == SB) return;
    const std::string IdA = SA->ID(), IdB = SB->ID();
    TQELSlide Temp(nullptr);
    Temp.Assign(SB);
    SB->Assign(SA);
    SA->Assign(&Temp);
    SA->SetID(IdA);
    SB->SetID(IdB);
}

} // namespace qel
