#pragma once
// A connection to an SQLite database file. Prepared statements are kept and reused; every
// statement is reset as soon as its rows are read, so no read lock outlives the call and other
// processes can write in between.
#include "toolkit/core/Export.h"
#include "toolkit/data/SqlConnection.h"

#include <memory>
#include <string>
#include <unordered_map>

QEL_PUBLIC_BEGIN

struct sqlite3;
struct sqlite3_stmt;

namespace qel {

class TSQLiteConnection : public TSqlConnection {
  public:
    // The file must exist and be a database; BusyTimeout is how long a write waits for
    // another process's lock before giving up (ms).
    TSQLiteConnection(const std::string& FileName, int BusyTimeout);
    ~TSQLiteConnection() override;

    std::string Placeholder(int N) const override;
    TTableShape DescribeTable(const std::string& Name) override;
    std::int64_t Execute(const std::string& Sql, const std::vector<TFieldValue>& Params,
                         std::vector<TRecord>* Rows = nullptr,
                         std::vector<TSqlColumn>* Columns = nullptr) override;
    void Begin() override;
    void Commit() override;
    void Rollback() noexcept override;

  private:
    struct TStatement;
    TStatement& Prepare(const std::string& Sql);
    [[noreturn]] void Fail(const std::string& What) const;

    sqlite3* Db_ = nullptr;
    std::string FileName_;
    std::unordered_map<std::string, std::unique_ptr<TStatement>> Cache_;
};

// Column type of a declared SQLite type name ("VARCHAR(20)", "DATETIME" …).
TFieldType SQLiteFieldType(const std::string& DeclType);

} // namespace qel

QEL_PUBLIC_END
