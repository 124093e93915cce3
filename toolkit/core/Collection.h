#pragma once
// Collections own a list of items of one class; form files stream them as < item … end >.
// An item is created with its collection and removes itself from it when freed.
#include "toolkit/core/Export.h"
#include "toolkit/core/Persistent.h"

#include <string>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

class TCollection;

class TCollectionItem : public TPersistent {
    QEL_CLASS(TCollectionItem, TPersistent)
  public:
    explicit TCollectionItem(TCollection* ACollection);
    ~TCollectionItem() override;

    TCollection* Collection() const { return Collection_; }
    // Moves the item into another collection (nullptr: out of any collection).
    virtual void SetCollection(TCollection* Value);
    int ID() const { return ID_; }
    int Index() const;
    // Moves the item inside its collection.
    virtual void SetIndex(int Value);
    std::string DisplayName() const { return GetDisplayName(); }
    virtual void SetDisplayName(const std::string& Value);
    std::string GetNamePath() const override;

  protected:
    virtual std::string GetDisplayName() const;
    // Tells the collection that this item (AllItems = false) or all of them changed.
    void Changed(bool AllItems);
    TPersistent* GetOwner() const override;

  private:
    friend class TCollection;
    TCollection* Collection_ = nullptr;
    int ID_ = 0;
};

class TCollection : public TPersistent {
    QEL_CLASS(TCollection, TPersistent)
  public:
    explicit TCollection(const TClass& ItemClass);
    ~TCollection() override;

    const TClass& ItemClass() const { return *ItemClass_; }
    // The persistent this collection is a property of (nil for a plain TCollection).
    TPersistent* Owner() const { return GetOwner(); }

    TCollectionItem* Add();
    TCollectionItem* Insert(int Index);
    void Delete(int Index);
    void Clear();
    int Count() const { return static_cast<int>(Items_.size()); }
    TCollectionItem* Items(int Index) const; // throws EListError out of range
    void SetItems(int Index, const TCollectionItem* Value) { Items(Index)->Assign(Value); }
    TCollectionItem* FindItemID(int ID) const;

    virtual void BeginUpdate();
    virtual void EndUpdate();
    int UpdateCount() const { return UpdateCount_; }

    void Assign(const TPersistent* Source) override;
    std::string GetNamePath() const override;
    // Name of the owner's property that holds this collection, found through the owner's
    // published properties.
    std::string PropName() const;

  protected:
    void Changed();
    // Called after an item (or, with nullptr, the whole collection) changed, unless updating.
    virtual void Update(TCollectionItem* /*Item*/) {}
    virtual void SetItemName(TCollectionItem* /*Item*/) {}

  private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* Item);
    void RemoveItem(TCollectionItem* Item);

    const TClass* ItemClass_;
    std::vector<TCollectionItem*> Items_;
    int UpdateCount_ = 0;
    int NextID_ = 0;
};

// A collection that knows the persistent holding it, so name paths and the designer can reach
// the owner.
class TOwnedCollection : public TCollection {
    QEL_CLASS(TOwnedCollection, TCollection)
  public:
    TOwnedCollection(TPersistent* AOwner, const TClass& ItemClass);

  protected:
    TPersistent* GetOwner() const override { return Owner_; }

  private:
    TPersistent* Owner_;
};

} // namespace qel

QEL_PUBLIC_END
