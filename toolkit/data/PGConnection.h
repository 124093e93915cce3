#pragma once
// A connection to a PostgreSQL server through libpq. Every wait for the server is bounded:
// connecting by connect_timeout, each statement by the timeout given (the statement is
// cancelled when it runs out). A connection the server dropped is re-established once before
// the next statement, so a session survives a server restart.
#include "toolkit/core/Export.h"
#include "toolkit/data/SqlConnection.h"

#include <string>

QEL_PUBLIC_BEGIN

struct pg_conn;

namespace qel {

class TPGConnection : public TSqlConnection {
  public:
    TPGConnection(const std::string& ConnInfo, int TimeoutMs);
    ~TPGConnection() override;

    std::string Placeholder(int N) const override;
    TTableShape DescribeTable(const std::string& Name) override;
    std::int64_t Execute(const std::string& Sql, const std::vector<TFieldValue>& Params,
                         std::vector<TRecord>* Rows = nullptr,
                         std::vector<TSqlColumn>* Columns = nullptr) override;
    void Begin() override;
    void Commit() override;
    void Rollback() noexcept override;

  private:
    void EnsureConnected();
    [[noreturn]] void Fail(const std::string& What);
    std::string TableNameOf(unsigned Oid);

    pg_conn* Conn_ = nullptr;
    int TimeoutMs_;
    bool InTransaction_ = false;
    bool Broken_ = false;
};

} // namespace qel

QEL_PUBLIC_END
