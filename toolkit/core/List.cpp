#include "toolkit/core/List.h"

#include "toolkit/core/Exceptions.h"

#include <algorithm>
#include <cstdio>

namespace qel {

QEL_IMPLEMENT_CLASS(TList, TObject, NoProperties<TList>)

void TList::Error(const char* Fmt, int Data) {
    char Buf[256];
    std::snprintf(Buf, sizeof Buf, Fmt, Data);
    throw EListError(Buf);
}

void TList::Check(int Index) const {
    if (Index < 0 || Index >= Count()) Error("List index out of bounds (%d)", Index);
}

int TList::Add(void* Item) {
    Items_.push_back(Item);
    if (Item) Notify(Item, lnAdded);
    return Count() - 1;
}

void TList::Insert(int Index, void* Item) {
    if (Index < 0 || Index > Count()) Error("List index out of bounds (%d)", Index);
    Items_.insert(Items_.begin() + Index, Item);
    if (Item) Notify(Item, lnAdded);
}

void TList::Delete(int Index) {
    Check(Index);
    void* Item = Items_[static_cast<std::size_t>(Index)];
    Items_.erase(Items_.begin() + Index);
    if (Item) Notify(Item, lnDeleted);
}

int TList::Remove(void* Item) {
    int I = IndexOf(Item);
    if (I >= 0) Delete(I);
    return I;
}

void* TList::Extract(void* Item) {
    int I = IndexOf(Item);
    if (I < 0) return nullptr;
    Items_.erase(Items_.begin() + I);
    Notify(Item, lnExtracted);
    return Item;
}

int TList::IndexOf(void* Item) const {
    auto It = std::find(Items_.begin(), Items_.end(), Item);
    return It == Items_.end() ? -1 : static_cast<int>(It - Items_.begin());
}

void TList::Move(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    Check(CurIndex);
    Check(NewIndex);
    void* Item = Items_[static_cast<std::size_t>(CurIndex)];
    Items_.erase(Items_.begin() + CurIndex);
    Items_.insert(Items_.begin() + NewIndex, Item);
}

void TList::Exchange(int Index1, int Index2) {
    Check(Index1);
    Check(Index2);
    std::swap(Items_[static_cast<std::size_t>(Index1)], Items_[static_cast<std::size_t>(Index2)]);
}

void TList::Clear() {
    // Notify from the end so a handler that inspects the list sees it shrink consistently.
    while (!Items_.empty()) {
        void* Item = Items_.back();
        Items_.pop_back();
        if (Item) Notify(Item, lnDeleted);
    }
    Items_.shrink_to_fit();
}

void TList::Pack() {
    Items_.erase(std::remove(Items_.begin(), Items_.end(), nullptr), Items_.end());
}

void TList::Sort(const TListSortCompare& Compare) {
    std::stable_sort(Items_.begin(), Items_.end(),
                     [&](void* A, void* B) { return Compare(A, B) < 0; });
}

void TList::SetCount(int NewCount) {
    if (NewCount < 0) Error("List count out of bounds (%d)", NewCount);
    while (Count() > NewCount)
        Delete(Count() - 1);
    Items_.resize(static_cast<std::size_t>(NewCount), nullptr);
}

void TList::SetCapacity(int NewCapacity) {
    if (NewCapacity < Count()) Error("List capacity out of bounds (%d)", NewCapacity);
    if (static_cast<std::size_t>(NewCapacity) > Items_.capacity())
        Items_.reserve(static_cast<std::size_t>(NewCapacity));
    else
        Items_.shrink_to_fit();
}

void* TList::Items(int Index) const {
    Check(Index);
    return Items_[static_cast<std::size_t>(Index)];
}

void TList::SetItems(int Index, void* Item) {
    Check(Index);
    void* Old = Items_[static_cast<std::size_t>(Index)];
    if (Old == Item) return;
    Items_[static_cast<std::size_t>(Index)] = Item;
    if (Old) Notify(Old, lnDeleted);
    if (Item) Notify(Item, lnAdded);
}

} // namespace qel
