#include "toolkit/designer/DesignIntf.h"

#include "toolkit/core/NameUtils.h"

#include <algorithm>

namespace qel {

// Asks every selected component for a free notification, so that a component freed by its
// owner, by an event handler or by the user leaves the selection before it is gone.
class TDesigner::TWatcher : public TComponent {
  public:
    explicit TWatcher(TDesigner& D) : TComponent(nullptr), D_(D) {}
    void Notification(TComponent* AComponent, TOperation Operation) override {
        TComponent::Notification(AComponent, Operation);
        if (Operation == opRemove) D_.ComponentFreed(AComponent);
    }

  private:
    TDesigner& D_;
};

TDesigner::TDesigner(TComponent* Root) : Root_(Root), Watcher_(std::make_unique<TWatcher>(*this)) {
    if (Root_) Root_->FreeNotification(Watcher_.get());
}

TDesigner::~TDesigner() {
    // A window may close (and free) itself in DesignerClosed; work on a copy.
    auto Windows = Windows_;
    for (TDesignWindow* W : Windows) {
        if (std::find(Windows_.begin(), Windows_.end(), W) == Windows_.end()) continue;
        W->Designer_ = nullptr;
        std::erase(Windows_, W);
        W->DesignerClosed();
    }
    Selection_.clear();
    if (Root_) Root_->RemoveFreeNotification(Watcher_.get());
}

void TDesigner::SetRoot(TComponent* Root) {
    if (Root_) Root_->RemoveFreeNotification(Watcher_.get());
    Root_ = Root;
    if (Root_) Root_->FreeNotification(Watcher_.get());
    SetSelections({});
    Modified_ = false;
}

void TDesigner::Modified() {
    Modified_ = true;
    ++ModifiedCount_;
    auto Windows = Windows_;
    for (TDesignWindow* W : Windows)
        if (std::find(Windows_.begin(), Windows_.end(), W) != Windows_.end()) W->FormModified();
    if (OnModified) OnModified();
}

void TDesigner::SetSelections(const TDesignerSelections& List) {
    for (TPersistent* P : Selection_)
        if (auto* C = Cast<TComponent>(P); C && C != Root_)
            C->RemoveFreeNotification(Watcher_.get());
    Selection_.clear();
    for (TPersistent* P : List) {
        if (!P || IsSelected(P)) continue;
        Selection_.push_back(P);
        if (auto* C = Cast<TComponent>(P); C && C != Root_) C->FreeNotification(Watcher_.get());
    }
    NotifySelection();
}

void TDesigner::SelectComponent(TPersistent* Instance) {
    if (Instance)
        SetSelections({Instance});
    else
        SetSelections({});
}

bool TDesigner::IsSelected(const TPersistent* Instance) const {
    return std::find(Selection_.begin(), Selection_.end(), Instance) != Selection_.end();
}

void TDesigner::NotifySelection() {
    auto Windows = Windows_;
    for (TDesignWindow* W : Windows)
        if (std::find(Windows_.begin(), Windows_.end(), W) != Windows_.end())
            W->SelectionChanged(Selection_);
    if (OnSelectionChanged) OnSelectionChanged();
}

void TDesigner::ComponentFreed(TComponent* C) {
    if (C == Root_) {
        Root_ = nullptr;
        Selection_.clear();
        NotifySelection();
        return;
    }
    if (!IsSelected(C)) return;
    std::erase(Selection_, static_cast<TPersistent*>(C));
    NotifySelection();
}

void TDesigner::ItemDeleted(TPersistent* Item) {
    auto Windows = Windows_;
    for (TDesignWindow* W : Windows)
        if (std::find(Windows_.begin(), Windows_.end(), W) != Windows_.end()) W->ItemDeleted(Item);
    if (IsSelected(Item)) {
        std::erase(Selection_, Item);
        NotifySelection();
    }
}

std::vector<std::string> TDesigner::GetComponentNames(const TClass& C) const {
    std::vector<std::string> Names;
    if (!Root_) return Names;
    if (Root_->InheritsFrom(C) && !Root_->Name().empty()) Names.push_back(Root_->Name());
    for (int I = 0; I < Root_->ComponentCount(); ++I) {
        TComponent* Comp = Root_->Components(I);
        if (Comp->InheritsFrom(C) && !Comp->Name().empty()) Names.push_back(Comp->Name());
    }
    return Names;
}

TComponent* TDesigner::GetComponent(const std::string& Name) const {
    if (!Root_ || Name.empty()) return nullptr;
    if (SameText(Root_->Name(), Name)) return Root_;
    return Root_->FindComponent(Name);
}

std::string TDesigner::UniqueName(const std::string& ClassName) const {
    std::string Base = ClassName;
    if (Base.size() > 1 && (Base[0] == 'T' || Base[0] == 't')) Base.erase(0, 1);
    if (Base.empty()) Base = "Component";
    for (int N = 1;; ++N) {
        std::string Candidate = Base + std::to_string(N);
        if (!GetComponent(Candidate)) return Candidate;
    }
}

std::vector<std::string> TDesigner::GetMethods() const {
    std::vector<std::string> Names;
    if (!Root_) return Names;
    for (const TClass* C = &Root_->ClassType(); C; C = C->ClassParent())
        for (const auto& [Key, Entry] : C->OwnMethods())
            if (std::find(Names.begin(), Names.end(), Entry.Name) == Names.end())
                Names.push_back(Entry.Name);
    std::sort(Names.begin(), Names.end());
    return Names;
}

void TDesigner::AddDesignWindow(TDesignWindow* W) {
    if (W && std::find(Windows_.begin(), Windows_.end(), W) == Windows_.end())
        Windows_.push_back(W);
}

void TDesigner::RemoveDesignWindow(TDesignWindow* W) {
    std::erase(Windows_, W);
}

TDesignWindow* TDesigner::FindDesignWindow(const TClass& C) const {
    for (TDesignWindow* W : Windows_)
        if (W->InheritsFrom(C)) return W;
    return nullptr;
}

// ---- TDesignWindow --------------------------------------------------------------------------

QEL_IMPLEMENT_CLASS(TDesignWindow, TForm, NoProperties<TDesignWindow>)

TDesignWindow::TDesignWindow(TComponent* AOwner) : TForm(AOwner) {}

TDesignWindow::~TDesignWindow() {
    if (Designer_) Designer_->RemoveDesignWindow(this);
}

void TDesignWindow::SetDesigner(TDesigner* Designer) {
    if (Designer_ == Designer) return;
    if (Designer_) Designer_->RemoveDesignWindow(this);
    Designer_ = Designer;
    if (Designer_) Designer_->AddDesignWindow(this);
}

void TDesignWindow::DesignerClosed() {
    Close();
}

} // namespace qel
