#include "mail/QELPackedStrings.h"

#include "toolkit/core/Exceptions.h"

#include <algorithm>
#include <cstring>

namespace qel {

using namespace mailwire;

QEL_IMPLEMENT_CLASS(TQELPackedStrings, TStrings, NoProperties<TQELPackedStrings>)

TQELPackedStrings::~TQELPackedStrings() = default;

void TQELPackedStrings::IndexError(int Index) {
    throw EStringListError("List index out of bounds (" + std::to_string(Index) + ")");
}

void TQELPackedStrings::Rebuild(std::size_t NewCapacity) {
    std::unique_ptr<char[], mailwire::TLargeDeleter> Chars(
        static_cast<char*>(mailwire::AllocateLarge(NewCapacity)),
        mailwire::TLargeDeleter{NewCapacity});
    if (Garbage_ == 0) {
        if (Size_) std::memcpy(Chars.get(), Chars_.get(), Size_);
    } else {
        // Lines that are gone are dropped on the way.
        std::size_t At = 0;
        for (TSpan& S : Spans_) {
            if (S.Length) std::memcpy(Chars.get() + At, Chars_.get() + S.Offset, S.Length);
            S.Offset = At;
            At += S.Length;
        }
        Size_ = At;
        Garbage_ = 0;
    }
    Chars_ = std::move(Chars);
    Capacity_ = NewCapacity;
}

void TQELPackedStrings::Grow(std::size_t Needed) {
    if (Capacity_ - Size_ >= Needed) return;
    Rebuild(std::max({Size_ - Garbage_ + Needed, Capacity_ * 2, std::size_t(256)}));
}

void TQELPackedStrings::Reserve(std::size_t Lines, std::size_t Chars) {
    Spans_.reserve(Spans_.size() + Lines);
    Grow(Chars);
}

std::size_t TQELPackedStrings::Store(std::string_view S) {
    // A line taken from this very list must be copied out before the buffer may move.
    if (!S.empty() && S.data() >= Chars_.get() && S.data() < Chars_.get() + Size_) {
        const std::string Copy(S);
        return Store(Copy);
    }
    Grow(S.size());
    const std::size_t At = Size_;
    if (!S.empty()) std::memcpy(Chars_.get() + At, S.data(), S.size());
    Size_ += S.size();
    return At;
}

void TQELPackedStrings::Forget(std::size_t Length) {
    Garbage_ += Length;
    if (Garbage_ == Size_) {
        Size_ = Garbage_ = 0;
        return;
    }
    if (Garbage_ >= 4096 && Garbage_ * 2 >= Size_)
        Rebuild(std::max((Size_ - Garbage_) * 2, std::size_t(256)));
}

int TQELPackedStrings::AddView(std::string_view S) {
    const std::size_t At = Store(S);
    Spans_.push_back({At, S.size()});
    if (!Objects_.empty()) Objects_.push_back(nullptr);
    return Count() - 1;
}

void TQELPackedStrings::Insert(int Index, const std::string& S) {
    if (Index < 0 || Index > Count()) IndexError(Index);
    const std::size_t At = Store(S);
    Spans_.insert(Spans_.begin() + Index, TSpan{At, S.size()});
    if (!Objects_.empty()) Objects_.insert(Objects_.begin() + Index, nullptr);
}

void TQELPackedStrings::Put(int Index, const std::string& S) {
    CheckIndex(Index);
    const std::size_t Old = Spans_[static_cast<std::size_t>(Index)].Length;
    if (S.size() <= Old) {
        TSpan& Span = Spans_[static_cast<std::size_t>(Index)];
        if (!S.empty()) std::memmove(Chars_.get() + Span.Offset, S.data(), S.size());
        Span.Length = S.size();
        Forget(Old - S.size());
        return;
    }
    const std::size_t At = Store(S);
    Spans_[static_cast<std::size_t>(Index)] = {At, S.size()};
    Forget(Old);
}

void TQELPackedStrings::Delete(int Index) {
    CheckIndex(Index);
    const std::size_t Old = Spans_[static_cast<std::size_t>(Index)].Length;
    Spans_.erase(Spans_.begin() + Index);
    if (!Objects_.empty()) Objects_.erase(Objects_.begin() + Index);
    Forget(Old);
}

void TQELPackedStrings::Clear() {
    Spans_.clear();
    Spans_.shrink_to_fit();
    Objects_.clear();
    Chars_.reset();
    Size_ = Capacity_ = Garbage_ = 0;
}

TObject* TQELPackedStrings::GetObject(int Index) const {
    CheckIndex(Index);
    return Objects_.empty() ? nullptr : Objects_[static_cast<std::size_t>(Index)];
}

void TQELPackedStrings::PutObject(int Index, TObject* AObject) {
    CheckIndex(Index);
    if (Objects_.empty()) {
        if (!AObject) return;
        Objects_.assign(Spans_.size(), nullptr);
    }
    Objects_[static_cast<std::size_t>(Index)] = AObject;
}

std::string TQELPackedStrings::Text() const {
    const std::string& Break = LineBreak();
    std::string R;
    R.reserve(Size_ - Garbage_ + Spans_.size() * Break.size());
    for (const TSpan& S : Spans_) {
        R.append(Chars_.get() + S.Offset, S.Length);
        R += Break;
    }
    return R;
}

} // namespace qel
