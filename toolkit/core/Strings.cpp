#include "toolkit/core/Strings.h"

#include "toolkit/core/Exceptions.h"
#include "toolkit/core/Filer.h"
#include "toolkit/core/NameUtils.h"
#include "toolkit/core/ScopeGuard.h"
#include "toolkit/core/Streams.h"

#include <algorithm>
#include <numeric>

namespace qel {

QEL_IMPLEMENT_ABSTRACT(TStrings, TPersistent, NoProperties<TStrings>)
static const bool QelRegistered_TStrings = (RegisterClass(TStrings::StaticClass()), true);
QEL_IMPLEMENT_CLASS(TStringList, TStrings, NoProperties<TStringList>)

[[noreturn]] static void IndexError(int Index) {
    throw EStringListError("List index out of bounds (" + std::to_string(Index) + ")");
}

// ----- TStrings ----------------------------------------------------------------------------

void TStrings::Put(int Index, const std::string& S) {
    TObject* O = GetObject(Index);
    BeginUpdate();
    const TScopeExit Restore([&] { EndUpdate(); });
    Delete(Index);
    InsertObject(Index, S, O);
}

TObject* TStrings::GetObject(int) const {
    return nullptr;
}
void TStrings::PutObject(int, TObject*) {}

int TStrings::Add(const std::string& S) {
    int Result = Count();
    Insert(Result, S);
    return Result;
}

int TStrings::AddObject(const std::string& S, TObject* AObject) {
    int Result = Add(S);
    PutObject(Result, AObject);
    return Result;
}

void TStrings::InsertObject(int Index, const std::string& S, TObject* AObject) {
    Insert(Index, S);
    PutObject(Index, AObject);
}

void TStrings::Move(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    if (NewIndex < 0 || NewIndex >= Count()) IndexError(NewIndex);
    BeginUpdate();
    const TScopeExit Restore([&] { EndUpdate(); });
    std::string S = Get(CurIndex);
    TObject* O = GetObject(CurIndex);
    Delete(CurIndex);
    InsertObject(NewIndex, S, O);
}

void TStrings::Exchange(int Index1, int Index2) {
    BeginUpdate();
    const TScopeExit Restore([&] { EndUpdate(); });
    std::string S1 = Get(Index1), S2 = Get(Index2);
    TObject* O1 = GetObject(Index1);
    TObject* O2 = GetObject(Index2);
    Put(Index1, S2);
    PutObject(Index1, O2);
    Put(Index2, S1);
    PutObject(Index2, O1);
}

bool TStrings::CompareStrings(std::string_view S1, std::string_view S2) const {
    return SameText(S1, S2);
}

int TStrings::IndexOf(const std::string& S) const {
    for (int I = 0, N = Count(); I < N; ++I)
        if (CompareStrings(Get(I), S)) return I;
    return -1;
}

int TStrings::IndexOfName(const std::string& Name) const {
    for (int I = 0, N = Count(); I < N; ++I) {
        std::string S = Get(I);
        auto P = S.find(NameValueSeparator_);
        if (P != std::string::npos && CompareStrings(std::string_view(S).substr(0, P), Name))
            return I;
    }
    return -1;
}

int TStrings::IndexOfObject(const TObject* AObject) const {
    for (int I = 0, N = Count(); I < N; ++I)
        if (GetObject(I) == AObject) return I;
    return -1;
}

void TStrings::AddStrings(const TStrings& Strings) {
    BeginUpdate();
    const TScopeExit Restore([&] { EndUpdate(); });
    for (int I = 0, N = Strings.Count(); I < N; ++I)
        AddObject(Strings.Get(I), Strings.GetObject(I));
}

bool TStrings::Equals(const TStrings& Strings) const {
    int N = Count();
    if (N != Strings.Count()) return false;
    for (int I = 0; I < N; ++I)
        if (Get(I) != Strings.Get(I)) return false;
    return true;
}

std::string TStrings::Text() const {
    std::string R;
    for (int I = 0, N = Count(); I < N; ++I) {
        R += Get(I);
        R += LineBreak_;
    }
    return R;
}

void TStrings::SetText(std::string_view Value) {
    BeginUpdate();
    const TScopeExit Restore([&] { EndUpdate(); });
    Clear();
    std::size_t P = 0, N = Value.size();
    while (P < N) {
        std::size_t Start = P;
        while (P < N && Value[P] != '\r' && Value[P] != '\n')
            ++P;
        Add(std::string(Value.substr(Start, P - Start)));
        if (P < N && Value[P] == '\r') ++P;
        if (P < N && Value[P] == '\n') ++P;
    }
}

std::string TStrings::DelimitedText() const {
    int N = Count();
    if (N == 1 && Get(0).empty()) return std::string(2, QuoteChar_);
    std::string R;
    for (int I = 0; I < N; ++I) {
        std::string S = Get(I);
        bool Quote = false;
        for (char C : S)
            if (static_cast<unsigned char>(C) <= ' ' || C == QuoteChar_ || C == Delimiter_) {
                Quote = true;
                break;
            }
        if (Quote) {
            R += QuoteChar_;
            for (char C : S) {
                R += C;
                if (C == QuoteChar_) R += C;
            }
            R += QuoteChar_;
        } else {
            R += S;
        }
        if (I + 1 < N) R += Delimiter_;
    }
    return R;
}

void TStrings::SetDelimitedText(std::string_view Value) {
    auto IsSpace = [this](char C) {
        return !StrictDelimiter_ && static_cast<unsigned char>(C) <= ' ' && C != Delimiter_;
    };
    BeginUpdate();
    const TScopeExit Restore([&] { EndUpdate(); });
    Clear();
    std::size_t P = 0, N = Value.size();
    while (P < N && IsSpace(Value[P]))
        ++P;
    while (P < N) {
        std::string S;
        if (Value[P] == QuoteChar_) {
            ++P;
            while (P < N) {
                if (Value[P] == QuoteChar_) {
                    if (P + 1 < N && Value[P + 1] == QuoteChar_) {
                        S += QuoteChar_;
                        P += 2;
                        continue;
                    }
                    ++P;
                    break;
                }
                S += Value[P++];
            }
        } else {
            std::size_t Start = P;
            while (P < N && Value[P] != Delimiter_ && !IsSpace(Value[P]))
                ++P;
            S.assign(Value.substr(Start, P - Start));
        }
        Add(S);
        while (P < N && IsSpace(Value[P]))
            ++P;
        if (P < N && Value[P] == Delimiter_) {
            ++P;
            // A trailing delimiter stands for one more, empty item.
            if (P == N) Add("");
            while (P < N && IsSpace(Value[P]))
                ++P;
        }
    }
}

std::string TStrings::CommaText() const {
    TStringList Tmp;
    Tmp.SetDelimiter(',');
    Tmp.SetQuoteChar('"');
    Tmp.AddStrings(*this);
    return Tmp.DelimitedText();
}

void TStrings::SetCommaText(std::string_view Value) {
    char D = Delimiter_, Q = QuoteChar_;
    bool Strict = StrictDelimiter_;
    Delimiter_ = ',';
    QuoteChar_ = '"';
    StrictDelimiter_ = false;
    const TScopeExit Restore([&] {
        Delimiter_ = D;
        QuoteChar_ = Q;
        StrictDelimiter_ = Strict;
    });
    SetDelimitedText(Value);
}

std::string TStrings::Names(int Index) const {
    std::string S = Get(Index);
    auto P = S.find(NameValueSeparator_);
    return P == std::string::npos ? std::string() : S.substr(0, P);
}

std::string TStrings::Values(const std::string& Name) const {
    int I = IndexOfName(Name);
    return I < 0 ? std::string() : ValueFromIndex(I);
}

std::string TStrings::ValueFromIndex(int Index) const {
    std::string S = Get(Index);
    auto P = S.find(NameValueSeparator_);
    return P == std::string::npos ? std::string() : S.substr(P + 1);
}

void TStrings::SetValues(const std::string& Name, const std::string& Value) {
    int I = IndexOfName(Name);
    if (!Value.empty()) {
        std::string Line = Name + NameValueSeparator_ + Value;
        if (I < 0)
            Add(Line);
        else
            Put(I, Line);
    } else if (I >= 0) {
        Delete(I);
    }
}

void TStrings::BeginUpdate() {
    if (UpdateCount_++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate() {
    if (UpdateCount_ > 0 && --UpdateCount_ == 0) SetUpdateState(false);
}

void TStrings::Assign(const TPersistent* Source) {
    if (const auto* S = dynamic_cast<const TStrings*>(Source)) {
        if (S == this) return;
        BeginUpdate();
        {
            const TScopeExit Restore([&] { EndUpdate(); });
            Clear();
            Delimiter_ = S->Delimiter_;
            QuoteChar_ = S->QuoteChar_;
            NameValueSeparator_ = S->NameValueSeparator_;
            StrictDelimiter_ = S->StrictDelimiter_;
            AddStrings(*S);
        }
        return;
    }
    TPersistent::Assign(Source);
}

void TStrings::DefineProperties(TFiler& Filer) {
    Filer.DefineProperty(
        "Strings",
        [this](TReader& R) {
            R.ReadListBegin();
            BeginUpdate();
            const TScopeExit Restore([&] { EndUpdate(); });
            Clear();
            while (!R.EndOfList())
                Add(R.ReadString());
            R.ReadListEnd();
        },
        [this](TWriter& W) {
            W.WriteListBegin();
            for (int I = 0, N = Count(); I < N; ++I)
                W.WriteString(Get(I));
            W.WriteListEnd();
        },
        Count() > 0);
}

void TStrings::LoadFromFile(const std::string& FileName) {
    TFileStream S(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(S);
}

void TStrings::SaveToFile(const std::string& FileName) const {
    TFileStream S(FileName, fmCreate);
    SaveToStream(S);
}

void TStrings::LoadFromStream(TStream& Stream) {
    std::int64_t Size = Stream.Size() - Stream.Position();
    std::string Buf(static_cast<std::size_t>(Size > 0 ? Size : 0), '\0');
    Stream.ReadBuffer(Buf.data(), static_cast<std::int64_t>(Buf.size()));
    SetText(Buf);
}

void TStrings::SaveToStream(TStream& Stream) const {
    std::string T = Text();
    Stream.WriteBuffer(T.data(), static_cast<std::int64_t>(T.size()));
}

std::vector<std::string> TStrings::ToVector() const {
    std::vector<std::string> V;
    V.reserve(static_cast<std::size_t>(Count()));
    for (int I = 0, N = Count(); I < N; ++I)
        V.push_back(Get(I));
    return V;
}

// ----- TStringList -------------------------------------------------------------------------

TStringList::~TStringList() {
    OnChange = nullptr;
    OnChanging = nullptr;
}

void TStringList::Check(int Index) const {
    if (Index < 0 || Index >= Count()) IndexError(Index);
}

void TStringList::Changed() {
    if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
    if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::SetUpdateState(bool Updating) {
    // Called with the count already at 1 (begin) or 0 (end).
    if (Updating) {
        if (OnChanging) OnChanging(this);
    } else {
        if (OnChange) OnChange(this);
    }
}

std::string TStringList::Get(int Index) const {
    Check(Index);
    return Items_[static_cast<std::size_t>(Index)].S;
}

void TStringList::Put(int Index, const std::string& S) {
    if (Sorted_) throw EStringListError("Operation not allowed on sorted string list");
    Check(Index);
    Changing();
    Items_[static_cast<std::size_t>(Index)].S = S;
    Changed();
}

TObject* TStringList::GetObject(int Index) const {
    Check(Index);
    return Items_[static_cast<std::size_t>(Index)].Obj;
}

void TStringList::PutObject(int Index, TObject* AObject) {
    Check(Index);
    Changing();
    Items_[static_cast<std::size_t>(Index)].Obj = AObject;
    Changed();
}

int TStringList::Add(const std::string& S) {
    return AddObject(S, nullptr);
}

int TStringList::AddObject(const std::string& S, TObject* AObject) {
    int Index;
    if (!Sorted_) {
        Index = Count();
    } else if (Find(S, Index)) {
        if (Duplicates_ == dupIgnore) return Index;
        if (Duplicates_ == dupError)
            throw EStringListError("String list does not allow duplicates");
    }
    InsertItem(Index, S, AObject);
    return Index;
}

void TStringList::Insert(int Index, const std::string& S) {
    InsertObject(Index, S, nullptr);
}

void TStringList::InsertObject(int Index, const std::string& S, TObject* AObject) {
    if (Sorted_) throw EStringListError("Operation not allowed on sorted string list");
    if (Index < 0 || Index > Count()) IndexError(Index);
    InsertItem(Index, S, AObject);
}

void TStringList::InsertItem(int Index, const std::string& S, TObject* AObject) {
    Changing();
    Items_.insert(Items_.begin() + Index, TItem{S, AObject});
    Changed();
}

void TStringList::Delete(int Index) {
    Check(Index);
    Changing();
    Items_.erase(Items_.begin() + Index);
    Changed();
}

void TStringList::Clear() {
    if (Items_.empty()) return;
    Changing();
    Items_.clear();
    Changed();
}

void TStringList::Exchange(int Index1, int Index2) {
    Check(Index1);
    Check(Index2);
    Changing();
    std::swap(Items_[static_cast<std::size_t>(Index1)], Items_[static_cast<std::size_t>(Index2)]);
    Changed();
}

int TStringList::IndexOf(const std::string& S) const {
    if (!Sorted_) return TStrings::IndexOf(S);
    int Index;
    return Find(S, Index) ? Index : -1;
}

void TStringList::SetText(std::string_view Value) {
    TStrings::SetText(Value);
}

int TStringList::CompareForSort(std::string_view A, std::string_view B) const {
    if (CaseSensitive_) return A.compare(B) < 0 ? -1 : (A == B ? 0 : 1);
    return CompareText(A, B);
}

bool TStringList::CompareStrings(std::string_view S1, std::string_view S2) const {
    return CaseSensitive_ ? S1 == S2 : SameText(S1, S2);
}

bool TStringList::Find(const std::string& S, int& Index) const {
    // Lower bound, so with duplicates the first equal line is found.
    int L = 0, H = Count();
    while (L < H) {
        int M = L + (H - L) / 2;
        if (CompareForSort(Items_[static_cast<std::size_t>(M)].S, S) < 0)
            L = M + 1;
        else
            H = M;
    }
    Index = L;
    return L < Count() && CompareForSort(Items_[static_cast<std::size_t>(L)].S, S) == 0;
}

void TStringList::Sort() {
    Changing();
    std::stable_sort(Items_.begin(), Items_.end(), [this](const TItem& A, const TItem& B) {
        return CompareForSort(A.S, B.S) < 0;
    });
    Changed();
}

void TStringList::CustomSort(
    const std::function<int(TStringList& List, int Index1, int Index2)>& Compare) {
    if (Sorted_ || Count() < 2) return;
    // The comparer works with indexes into the list, so sort a permutation and apply it.
    std::vector<int> Order(Items_.size());
    std::iota(Order.begin(), Order.end(), 0);
    std::stable_sort(Order.begin(), Order.end(),
                     [&](int A, int B) { return Compare(*this, A, B) < 0; });
    Changing();
    std::vector<TItem> Sorted;
    Sorted.reserve(Items_.size());
    for (int I : Order)
        Sorted.push_back(std::move(Items_[static_cast<std::size_t>(I)]));
    Items_ = std::move(Sorted);
    Changed();
}

void TStringList::SetSorted(bool Value) {
    if (Sorted_ == Value) return;
    if (Value) Sort();
    Sorted_ = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
    if (CaseSensitive_ == Value) return;
    CaseSensitive_ = Value;
    if (Sorted_) Sort();
}

void TStringList::SetCapacity(int NewCapacity) {
    if (NewCapacity < Count())
        throw EStringListError("List capacity out of bounds (" + std::to_string(NewCapacity) + ")");
    Items_.reserve(static_cast<std::size_t>(NewCapacity));
}

} // namespace qel
