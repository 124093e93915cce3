#pragma once
// What the SQL datasets need from a database engine: run a statement with parameters and get
// typed rows back, describe a table, and the engine's spelling of placeholders and row keys.
// Every failure is an EDatabaseError carrying the engine's own message.
#include "toolkit/core/Export.h"
#include "toolkit/data/DataValue.h"

#include <cstdint>
#include <string>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

struct TSqlColumn {
    std::string Name;
    TFieldType DataType = ftString;
    bool NotNull = false;
    bool HasDefault = false;
    int KeyOrder = 0; // position in the primary key, from 1; 0 when not part of it
    // Where a query's column comes from; empty when it is computed.
    std::string OriginTable, OriginColumn;
};

struct TTableShape {
    std::string Table; // as the engine spells it, ready for SQL
    std::vector<TSqlColumn> Columns;
    // An engine row key kept as a hidden last value (SQLite's rowid, PostgreSQL's ctid); empty
    // when the primary key columns serve.
    std::string RowKey;
    // True when rows found by RowKey may be written back through it.
    bool RowKeyWritable = false;
};

class TSqlConnection {
  public:
    virtual ~TSqlConnection() = default;
    // Placeholder for the N-th parameter (from 1).
    virtual std::string Placeholder(int N) const = 0;
    // Throws EDatabaseError when there is no such table.
    virtual TTableShape DescribeTable(const std::string& Name) = 0;
    // Runs Sql; rows (if asked for) come back converted by the result's column types, in place
    // of whatever Rows held (an engine may fill those records anew rather than allocate). Columns,
    // if asked for, describes the result. Returns the number of rows changed.
    virtual std::int64_t Execute(const std::string& Sql, const std::vector<TFieldValue>& Params,
                                 std::vector<TRecord>* Rows = nullptr,
                                 std::vector<TSqlColumn>* Columns = nullptr) = 0;
    virtual void Begin() = 0;
    virtual void Commit() = 0;
    // Never throws: it runs while another error is on its way out.
    virtual void Rollback() noexcept = 0;
};

// "name" with inner quotes doubled.
std::string QuoteIdent(const std::string& Name);

} // namespace qel

QEL_PUBLIC_END
