#pragma once
// Components: named, owned, notified. An owner frees the components it owns; a component that
// asked for a free notification hears opRemove before the other one disappears, so references
// between components never dangle.
#include "toolkit/core/Export.h"
#include "toolkit/core/Persistent.h"

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

enum TOperation { opInsert, opRemove };

enum TComponentStateFlag {
    csLoading,
    csReading,
    csWriting,
    csDestroying,
    csDesigning,
    csAncestor,
    csUpdating,
    csFixups,
    csFreeNotification,
    csInline,
    csDesignInstance
};
using TComponentState = TSet<TComponentStateFlag>;

class TComponent : public TPersistent {
    QEL_CLASS(TComponent, TPersistent)
  public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;

    TComponent* Owner() const { return Owner_; }
    const std::string& Name() const { return Name_; }
    // Throws EComponentError for an invalid identifier or a name already used under the owner.
    virtual void SetName(const std::string& NewName);
    std::int32_t Tag() const { return Tag_; }
    void SetTag(std::int32_t V) { Tag_ = V; }

    int ComponentCount() const { return static_cast<int>(Components_.size()); }
    TComponent* Components(int Index) const; // throws EListError out of range
    int ComponentIndex() const;
    TComponent* FindComponent(std::string_view AName) const; // case-insensitive

    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);
    void DestroyComponents();

    TComponentState ComponentState() const { return State_; }
    bool IsDesigning() const { return State_.Contains(csDesigning); }
    bool IsLoading() const { return State_.Contains(csLoading); }
    bool IsDestroying() const { return State_.Contains(csDestroying); }
    // Design mode applies to the component and everything it owns.
    void SetDesigning(bool Value, bool SetChildren = true);
    void SetComponentState(TComponentStateFlag F, bool On);

    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    // Marks the start of destruction (csDestroying) on this component and all it owns.
    void Destroying();
    // Deletes the component (the toolkit's Free); safe on nullptr through FreeAndNil-like use.
    void Free() { delete this; }

    // Called once for every component after a whole form stream has been read.
    virtual void Loaded();
    std::string GetNamePath() const override;

    // Events that form files bind to live on the root component (the form); tools that load
    // forms without code can look up names here.
    TPersistent* GetOwner() const override;

    // Called on the component and, through its owner, on the owner's components.
    virtual void Notification(TComponent* AComponent, TOperation Operation);

    // Owner-relative validation hook used by SetName.
    virtual void ValidateRename(TComponent* AComponent, const std::string& CurName,
                                const std::string& NewName);

    // Streaming of parent-child trees (controls). A form file nests a component under the one
    // GetChildren hands it to. The default: the root hands over the components it owns that
    // have no parent; other components have no children.
    virtual void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root);
    virtual bool HasParent() const { return false; }
    virtual TComponent* GetParentComponent() const { return nullptr; }
    // Called by the reader with the component this one is nested under in the form file.
    virtual void SetParentComponent(TComponent* /*Value*/) {}
    // Called by the reader with the child position of inherited forms ([n] in a text form).
    virtual void SetChildOrder(TComponent* /*Child*/, int /*Order*/) {}

  private:
    void Insert(TComponent* AComponent);
    void Remove(TComponent* AComponent);
    void RemoveNotification(TComponent* AComponent);

    TComponent* Owner_ = nullptr;
    std::string Name_;
    std::int32_t Tag_ = 0;
    std::vector<TComponent*> Components_;
    std::vector<TComponent*> FreeNotifies_;
    // Lower-cased names of owned components, so name checks on large forms stay fast.
    std::unordered_map<std::string, TComponent*> NameIndex_;
    TComponentState State_;
};

} // namespace qel

QEL_PUBLIC_END
