#pragma once
// Row sources of the SQL datasets. A keyset source reads a table in key order a few hundred
// rows at a time, asking for the rows after or before a known key, so any table size costs
// the same memory. A buffered source holds the whole result of a query.
#include "toolkit/core/Export.h"
#include "toolkit/data/DataSet.h"
#include "toolkit/data/SqlConnection.h"

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

class TKeysetSource : public TRowSource {
  public:
    // SelectList produces the record's values; KeyExprs are ordered by KeySlots (the values'
    // positions in a record).
    TKeysetSource(TSqlConnection& Conn, std::string Table, std::string SelectList,
                  std::vector<std::string> KeyExprs, std::vector<int> KeySlots);
    std::vector<TRecord> FetchFirst(int Count) override;
    std::vector<TRecord> FetchLast(int Count) override;
    std::vector<TRecord> FetchAfter(const TRecord& Row, int Count) override;
    std::vector<TRecord> FetchBefore(const TRecord& Row, int Count) override;
    std::vector<TRecord> FetchFrom(const TRecord& Row, int Count) override;

  private:
    std::vector<TRecord> Run(const std::string& Sql, const TRecord* Row, int Count, bool Reverse);
    std::string Where(const char* Op) const;

    TSqlConnection& Conn_;
    std::string Base_, Asc_, Desc_;
    std::vector<std::string> KeyExprs_;
    std::vector<int> KeySlots_;
    std::string First_, Last_, After_, Before_, From_;
};

class TBufferedSource : public TRowSource {
  public:
    using TReader = std::function<std::vector<TRecord>()>;
    explicit TBufferedSource(TReader Read);
    std::vector<TRecord> FetchFirst(int Count) override;
    std::vector<TRecord> FetchLast(int Count) override;
    std::vector<TRecord> FetchAfter(const TRecord& Row, int Count) override;
    std::vector<TRecord> FetchBefore(const TRecord& Row, int Count) override;
    std::vector<TRecord> FetchFrom(const TRecord& Row, int Count) override;
    void RowInserted(const TRecord* Near, TRecord& Row) override;
    void RowUpdated(const TRecord& Old, TRecord& Row) override;
    void RowDeleted(const TRecord& Row) override;
    void Reset() override;

  private:
    // Index of the row, or where it stood before it was deleted.
    std::size_t Position(const TRecord& Row, bool& Present);
    std::vector<TRecord> Slice(std::size_t From, std::size_t To) const;
    void Reindex();

    TReader Read_;
    std::vector<TRecord> Rows_;
    std::unordered_map<std::int64_t, std::size_t> Index_;
    std::unordered_map<std::int64_t, std::size_t> Gone_;
    std::int64_t NextSerial_ = 1;
};

} // namespace qel

QEL_PUBLIC_END
