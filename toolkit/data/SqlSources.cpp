#include "toolkit/data/SqlSources.h"

#include <algorithm>

namespace qel {

std::string QuoteIdent(const std::string& Name) {
    std::string Out = "\"";
    for (char C : Name) {
        if (C == '"') Out += '"';
        Out += C;
    }
    return Out + '"';
}

TKeysetSource::TKeysetSource(TSqlConnection& Conn, std::string Table, std::string SelectList,
                             std::vector<std::string> KeyExprs, std::vector<int> KeySlots)
    : Conn_(Conn), KeyExprs_(std::move(KeyExprs)), KeySlots_(std::move(KeySlots)) {
    Base_ = "SELECT " + SelectList + " FROM " + Table;
    for (std::size_t I = 0; I < KeyExprs_.size(); ++I) {
        Asc_ += (I ? ", " : "") + KeyExprs_[I];
        Desc_ += (I ? ", " : "") + KeyExprs_[I] + " DESC";
    }
    // LIMIT is a parameter too, so each statement is prepared once and reused.
    const auto Limit = [this](std::size_t N) { return " LIMIT " + Conn_.Placeholder(int(N)); };
    const std::size_t K = KeyExprs_.size();
    First_ = Base_ + " ORDER BY " + Asc_ + Limit(1);
    Last_ = Base_ + " ORDER BY " + Desc_ + Limit(1);
    After_ = Base_ + " WHERE " + Where(">") + " ORDER BY " + Asc_ + Limit(K + 1);
    Before_ = Base_ + " WHERE " + Where("<") + " ORDER BY " + Desc_ + Limit(K + 1);
    From_ = Base_ + " WHERE " + Where(">=") + " ORDER BY " + Asc_ + Limit(K + 1);
}

// (k1, k2) > (p1, p2): row values compare like the ORDER BY, and a single key stays a plain
// comparison an index can serve.
std::string TKeysetSource::Where(const char* Op) const {
    if (KeyExprs_.size() == 1) return KeyExprs_[0] + " " + Op + " " + Conn_.Placeholder(1);
    std::string L = "(", R = "(";
    for (std::size_t I = 0; I < KeyExprs_.size(); ++I) {
        L += (I ? ", " : "") + KeyExprs_[I];
        R += (I ? ", " : "") + Conn_.Placeholder(int(I + 1));
    }
    return L + ") " + Op + " " + R + ")";
}

std::vector<TRecord> TKeysetSource::Run(const std::string& Sql, const TRecord* Row, int Count,
                                        bool Reverse) {
    std::vector<TFieldValue> Params;
    if (Row)
        for (int Slot : KeySlots_)
            Params.push_back(static_cast<std::size_t>(Slot) < Row->Values.size()
                                 ? Row->Values[static_cast<std::size_t>(Slot)]
                                 : TFieldValue{});
    Params.emplace_back(std::int64_t{Count});
    std::vector<TRecord> Rows = TakeSpare();
    Conn_.Execute(Sql, Params, &Rows);
    if (Reverse) std::reverse(Rows.begin(), Rows.end());
    return Rows;
}

std::vector<TRecord> TKeysetSource::FetchFirst(int Count) {
    return Run(First_, nullptr, Count, false);
}
std::vector<TRecord> TKeysetSource::FetchLast(int Count) {
    return Run(Last_, nullptr, Count, true);
}
std::vector<TRecord> TKeysetSource::FetchAfter(const TRecord& Row, int Count) {
    return Run(After_, &Row, Count, false);
}
std::vector<TRecord> TKeysetSource::FetchBefore(const TRecord& Row, int Count) {
    return Run(Before_, &Row, Count, true);
}
std::vector<TRecord> TKeysetSource::FetchFrom(const TRecord& Row, int Count) {
    return Run(From_, &Row, Count, false);
}

TBufferedSource::TBufferedSource(TReader Read) : Read_(std::move(Read)) {
    Reset();
}

void TBufferedSource::Reset() {
    Rows_ = Read_();
    Gone_.clear();
    NextSerial_ = 1;
    for (auto& R : Rows_)
        R.Serial = NextSerial_++;
    Reindex();
}

void TBufferedSource::Reindex() {
    Index_.clear();
    for (std::size_t I = 0; I < Rows_.size(); ++I)
        Index_[Rows_[I].Serial] = I;
}

std::size_t TBufferedSource::Position(const TRecord& Row, bool& Present) {
    Present = false;
    if (auto It = Index_.find(Row.Serial); It != Index_.end()) {
        Present = true;
        return It->second;
    }
    if (auto It = Gone_.find(Row.Serial); It != Gone_.end())
        return std::min(It->second, Rows_.size());
    // Unknown (read before a Refresh): start over.
    return 0;
}

std::vector<TRecord> TBufferedSource::Slice(std::size_t From, std::size_t To) const {
    To = std::min(To, Rows_.size());
    if (From >= To) return {};
    return {Rows_.begin() + std::ptrdiff_t(From), Rows_.begin() + std::ptrdiff_t(To)};
}

std::vector<TRecord> TBufferedSource::FetchFirst(int Count) {
    return Slice(0, std::size_t(Count));
}
std::vector<TRecord> TBufferedSource::FetchLast(int Count) {
    const std::size_t N = Rows_.size();
    return Slice(N > std::size_t(Count) ? N - std::size_t(Count) : 0, N);
}
std::vector<TRecord> TBufferedSource::FetchAfter(const TRecord& Row, int Count) {
    bool Present;
    const std::size_t P = Position(Row, Present) + (Present ? 1 : 0);
    return Slice(P, P + std::size_t(Count));
}
std::vector<TRecord> TBufferedSource::FetchBefore(const TRecord& Row, int Count) {
    bool Present;
    const std::size_t P = Position(Row, Present);
    return Slice(P > std::size_t(Count) ? P - std::size_t(Count) : 0, P);
}
std::vector<TRecord> TBufferedSource::FetchFrom(const TRecord& Row, int Count) {
    bool Present;
    const std::size_t P = Position(Row, Present);
    return Slice(P, P + std::size_t(Count));
}

void TBufferedSource::RowInserted(const TRecord* Near, TRecord& Row) {
    bool Present = false;
    const std::size_t P = Near ? Position(*Near, Present) : Rows_.size();
    Row.Serial = NextSerial_++;
    Rows_.insert(Rows_.begin() + std::ptrdiff_t(std::min(P, Rows_.size())), Row);
    Reindex();
}

void TBufferedSource::RowUpdated(const TRecord& Old, TRecord& Row) {
    bool Present;
    const std::size_t P = Position(Old, Present);
    Row.Serial = Old.Serial;
    if (Present) Rows_[P] = Row;
}

void TBufferedSource::RowDeleted(const TRecord& Row) {
    bool Present;
    const std::size_t P = Position(Row, Present);
    if (!Present) return;
    Rows_.erase(Rows_.begin() + std::ptrdiff_t(P));
    Gone_[Row.Serial] = P;
    Reindex();
}

} // namespace qel
