#include "toolkit/core/Component.h"

#include "toolkit/core/Exceptions.h"
#include "toolkit/core/NameUtils.h"

#include <algorithm>

namespace qel {

static void DescribeComponent(TClassBuilder<TComponent>& B) {
    // The name is written in the object header, never as a property.
    B.String("Name", &TComponent::Name, &TComponent::SetName).Stored(false);
    B.Integer("Tag", &TComponent::Tag, &TComponent::SetTag).SetDefault(0);
}
QEL_IMPLEMENT_CLASS(TComponent, TPersistent, DescribeComponent)

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
    Destroying();
    // Each partner removes itself from FreeNotifies_ (RemoveFreeNotification) while it is
    // told, so walk from the end and re-check the size every time.
    while (!FreeNotifies_.empty()) {
        TComponent* C = FreeNotifies_.back();
        std::size_t Before = FreeNotifies_.size();
        C->Notification(this, opRemove);
        if (FreeNotifies_.size() == Before && !FreeNotifies_.empty() && FreeNotifies_.back() == C) {
            // The partner overrode Notification without calling the inherited one.
            FreeNotifies_.pop_back();
            C->RemoveNotification(this);
        }
    }
    DestroyComponents();
    if (Owner_) Owner_->RemoveComponent(this);
}

TComponent* TComponent::Components(int Index) const {
    if (Index < 0 || Index >= ComponentCount())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return Components_[static_cast<std::size_t>(Index)];
}

int TComponent::ComponentIndex() const {
    if (!Owner_) return -1;
    const auto& L = Owner_->Components_;
    for (std::size_t I = L.size(); I-- > 0;)
        if (L[I] == this) return static_cast<int>(I);
    return -1;
}

TComponent* TComponent::FindComponent(std::string_view AName) const {
    if (AName.empty()) return nullptr;
    auto It = NameIndex_.find(LowerCase(AName));
    return It == NameIndex_.end() ? nullptr : It->second;
}

void TComponent::SetName(const std::string& NewName) {
    if (Name_ == NewName) return;
    if (!NewName.empty() && !IsValidIdent(NewName))
        throw EComponentError("\"" + NewName + "\" is not a valid component name");
    if (Owner_)
        Owner_->ValidateRename(this, Name_, NewName);
    else
        ValidateRename(nullptr, Name_, NewName);
    if (Owner_) {
        auto& Index = Owner_->NameIndex_;
        if (!Name_.empty()) {
            auto It = Index.find(LowerCase(Name_));
            if (It != Index.end() && It->second == this) Index.erase(It);
        }
        if (!NewName.empty()) Index[LowerCase(NewName)] = this;
    }
    Name_ = NewName;
}

void TComponent::ValidateRename(TComponent* AComponent, const std::string& CurName,
                                const std::string& NewName) {
    if (AComponent && !NewName.empty() && !SameText(CurName, NewName)) {
        TComponent* Existing = FindComponent(NewName);
        if (Existing && Existing != AComponent)
            throw EComponentError("A component named " + NewName + " already exists");
    }
}

void TComponent::InsertComponent(TComponent* AComponent) {
    if (!AComponent) return;
    ValidateRename(AComponent, "", AComponent->Name_);
    if (AComponent->Owner_) AComponent->Owner_->RemoveComponent(AComponent);
    Insert(AComponent);
    if (IsDesigning()) AComponent->SetDesigning(true);
    Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
    if (!AComponent || AComponent->Owner_ != this) return;
    Notification(AComponent, opRemove);
    Remove(AComponent);
}

void TComponent::Insert(TComponent* AComponent) {
    Components_.push_back(AComponent);
    if (!AComponent->Name_.empty()) NameIndex_[LowerCase(AComponent->Name_)] = AComponent;
    AComponent->Owner_ = this;
}

void TComponent::Remove(TComponent* AComponent) {
    for (std::size_t I = Components_.size(); I-- > 0;)
        if (Components_[I] == AComponent) {
            Components_.erase(Components_.begin() + static_cast<std::ptrdiff_t>(I));
            break;
        }
    if (!AComponent->Name_.empty()) {
        auto It = NameIndex_.find(LowerCase(AComponent->Name_));
        if (It != NameIndex_.end() && It->second == AComponent) NameIndex_.erase(It);
    }
    AComponent->Owner_ = nullptr;
}

void TComponent::DestroyComponents() {
    while (!Components_.empty()) {
        TComponent* Instance = Components_.back();
        // Components that asked to hear about this one are told by its destructor (free
        // notification lists), so the rest leave quietly and freeing a large form stays
        // linear. In the designer every removal is announced to the whole owner.
        if (IsDesigning())
            RemoveComponent(Instance);
        else
            Remove(Instance);
        delete Instance;
    }
}

void TComponent::Destroying() {
    if (State_.Contains(csDestroying)) return;
    State_.Include(csDestroying);
    for (TComponent* C : Components_)
        C->Destroying();
}

void TComponent::SetDesigning(bool Value, bool SetChildren) {
    SetComponentState(csDesigning, Value);
    if (SetChildren)
        for (TComponent* C : Components_)
            C->SetDesigning(Value, true);
}

void TComponent::SetComponentState(TComponentStateFlag F, bool On) {
    if (On)
        State_.Include(F);
    else
        State_.Exclude(F);
}

void TComponent::FreeNotification(TComponent* AComponent) {
    if (!AComponent || AComponent == this) return;
    // Kept in both lists even for components of the same owner: freeing a whole form then
    // tells exactly the components that asked, instead of every component about every other.
    if (std::find(FreeNotifies_.begin(), FreeNotifies_.end(), AComponent) == FreeNotifies_.end()) {
        FreeNotifies_.push_back(AComponent);
        AComponent->FreeNotification(this);
    }
    State_.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
    RemoveNotification(AComponent);
    AComponent->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* AComponent) {
    auto It = std::find(FreeNotifies_.begin(), FreeNotifies_.end(), AComponent);
    if (It != FreeNotifies_.end()) FreeNotifies_.erase(It);
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
    // Index loop: a handler may free or insert components while being told.
    for (std::size_t I = 0; I < Components_.size(); ++I)
        Components_[I]->Notification(AComponent, Operation);
}

void TComponent::Loaded() {
    State_.Exclude(csLoading);
}

std::string TComponent::GetNamePath() const {
    return Name_;
}

TPersistent* TComponent::GetOwner() const {
    return Owner_;
}

void TComponent::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
    if (Root != this) return;
    for (std::size_t I = 0; I < Components_.size(); ++I)
        if (!Components_[I]->HasParent()) Proc(Components_[I]);
}

} // namespace qel
