#include "toolkit/core/Collection.h"

#include "toolkit/core/Exceptions.h"
#include "toolkit/core/ScopeGuard.h"

#include <algorithm>

namespace qel {

QEL_IMPLEMENT_CLASS(TCollectionItem, TPersistent, NoProperties<TCollectionItem>)
QEL_IMPLEMENT_CLASS(TCollection, TPersistent, NoProperties<TCollection>)
QEL_IMPLEMENT_CLASS(TOwnedCollection, TCollection, NoProperties<TOwnedCollection>)

// ----- TCollectionItem ---------------------------------------------------------------------

TCollectionItem::TCollectionItem(TCollection* ACollection) {
    SetCollection(ACollection);
}

TCollectionItem::~TCollectionItem() {
    SetCollection(nullptr);
}

void TCollectionItem::SetCollection(TCollection* Value) {
    if (Collection_ == Value) return;
    if (Collection_) Collection_->RemoveItem(this);
    if (Value) Value->InsertItem(this);
}

int TCollectionItem::Index() const {
    if (!Collection_) return -1;
    const auto& L = Collection_->Items_;
    auto It = std::find(L.begin(), L.end(), this);
    return It == L.end() ? -1 : static_cast<int>(It - L.begin());
}

void TCollectionItem::SetIndex(int Value) {
    int Cur = Index();
    if (Cur < 0 || Cur == Value) return;
    auto& L = Collection_->Items_;
    if (Value < 0 || Value >= static_cast<int>(L.size()))
        throw EListError("List index out of bounds (" + std::to_string(Value) + ")");
    L.erase(L.begin() + Cur);
    L.insert(L.begin() + Value, this);
    Changed(true);
}

std::string TCollectionItem::GetDisplayName() const {
    return ClassName();
}

void TCollectionItem::SetDisplayName(const std::string&) {
    Changed(false);
}

std::string TCollectionItem::GetNamePath() const {
    if (!Collection_) return ClassName();
    return Collection_->GetNamePath() + "[" + std::to_string(Index()) + "]";
}

void TCollectionItem::Changed(bool AllItems) {
    if (Collection_ && Collection_->UpdateCount_ == 0)
        Collection_->Update(AllItems ? nullptr : this);
}

TPersistent* TCollectionItem::GetOwner() const {
    return Collection_;
}

// ----- TCollection -------------------------------------------------------------------------

TCollection::TCollection(const TClass& ItemClass) : ItemClass_(&ItemClass) {
    if (!ItemClass.InheritsFrom(TCollectionItem::StaticClass()))
        throw EInvalidOperation(ItemClass.ClassName() + " is not a collection item class");
}

TCollection::~TCollection() {
    ++UpdateCount_;
    while (!Items_.empty())
        delete Items_.back();
}

void TCollection::InsertItem(TCollectionItem* Item) {
    // No class check here: the item is still being constructed and reports its base class.
    Items_.push_back(Item);
    Item->Collection_ = this;
    Item->ID_ = NextID_++;
    SetItemName(Item);
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* Item) {
    auto It = std::find(Items_.rbegin(), Items_.rend(), Item);
    if (It != Items_.rend()) Items_.erase(std::next(It).base());
    Item->Collection_ = nullptr;
    Changed();
}

TCollectionItem* TCollection::Add() {
    TObject* O = ItemClass_->CreateItem(this);
    return static_cast<TCollectionItem*>(O);
}

TCollectionItem* TCollection::Insert(int Index) {
    if (Index < 0 || Index > Count())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    BeginUpdate();
    TCollectionItem* Item = nullptr;
    {
        const TScopeExit Restore([&] { EndUpdate(); });
        Item = Add();
        Item->SetIndex(Index);
    }
    return Item;
}

void TCollection::Delete(int Index) {
    delete Items(Index);
}

void TCollection::Clear() {
    if (Items_.empty()) return;
    BeginUpdate();
    while (!Items_.empty())
        delete Items_.back();
    EndUpdate();
}

TCollectionItem* TCollection::Items(int Index) const {
    if (Index < 0 || Index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return Items_[static_cast<std::size_t>(Index)];
}

TCollectionItem* TCollection::FindItemID(int ID) const {
    for (TCollectionItem* I : Items_)
        if (I->ID_ == ID) return I;
    return nullptr;
}

void TCollection::BeginUpdate() {
    ++UpdateCount_;
}

void TCollection::EndUpdate() {
    if (UpdateCount_ > 0 && --UpdateCount_ == 0) Changed();
}

void TCollection::Changed() {
    if (UpdateCount_ == 0) Update(nullptr);
}

void TCollection::Assign(const TPersistent* Source) {
    if (const auto* S = dynamic_cast<const TCollection*>(Source)) {
        if (S == this) return;
        BeginUpdate();
        {
            const TScopeExit Restore([&] { EndUpdate(); });
            Clear();
            for (TCollectionItem* I : S->Items_)
                Add()->Assign(I);
        }
        return;
    }
    TPersistent::Assign(Source);
}

std::string TCollection::PropName() const {
    TPersistent* O = GetOwner();
    if (!O) return {};
    for (const TPropInfo* P : O->ClassType().Properties())
        if (P->Kind == TPropKind::Collection && P->GetObj && P->GetObj(*O) == this) return P->Name;
    return {};
}

std::string TCollection::GetNamePath() const {
    TPersistent* O = GetOwner();
    if (!O) return ClassName();
    std::string S = O->GetNamePath();
    std::string P = PropName();
    if (S.empty() || P.empty()) return ClassName();
    return S + "." + P;
}

TOwnedCollection::TOwnedCollection(TPersistent* AOwner, const TClass& ItemClass)
    : TCollection(ItemClass), Owner_(AOwner) {}

} // namespace qel
