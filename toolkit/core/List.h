#pragma once
// A list of untyped pointers that does not own what it holds; the building block for the
// toolkit's ordered lists (client lists, fixups, component lists).
#include "toolkit/core/Export.h"
#include "toolkit/core/Object.h"
#include "toolkit/core/Properties.h"

#include <functional>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

enum TListNotification { lnAdded, lnExtracted, lnDeleted };

class TList : public TObject {
    QEL_CLASS(TList, TObject)
  public:
    using TListSortCompare = std::function<int(void* Item1, void* Item2)>;

    TList() = default;
    ~TList() override = default;

    int Add(void* Item);
    void Insert(int Index, void* Item);
    void Delete(int Index);
    // Removes the first occurrence; returns its former index or -1.
    int Remove(void* Item);
    // Removes the first occurrence without the deleted notification; returns it or nullptr.
    void* Extract(void* Item);
    int IndexOf(void* Item) const;
    void Move(int CurIndex, int NewIndex);
    void Exchange(int Index1, int Index2);
    virtual void Clear();
    // Drops nil entries.
    void Pack();
    // Stable, so items comparing equal keep their order.
    void Sort(const TListSortCompare& Compare);

    int Count() const { return static_cast<int>(Items_.size()); }
    void SetCount(int NewCount);
    int Capacity() const { return static_cast<int>(Items_.capacity()); }
    void SetCapacity(int NewCapacity);
    void* Items(int Index) const;
    void SetItems(int Index, void* Item);
    void* operator[](int Index) const { return Items(Index); }
    void* First() const { return Items(0); }
    void* Last() const { return Items(Count() - 1); }
    void* const* List() const { return Items_.data(); }

    [[noreturn]] static void Error(const char* Fmt, int Data);

  protected:
    // Hook for lists that keep the items in step with something else.
    virtual void Notify(void* /*Ptr*/, TListNotification /*Action*/) {}

  private:
    void Check(int Index) const;
    std::vector<void*> Items_;
};

} // namespace qel

QEL_PUBLIC_END
