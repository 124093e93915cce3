#pragma once
// The server driver: a table or query of a PostgreSQL database, reached through libpq.
#include "toolkit/core/Export.h"
#include "toolkit/data/SqlDataSet.h"

QEL_PUBLIC_BEGIN

namespace qel {

class TPGDataSet : public TSqlDataSet {
    QEL_CLASS(TPGDataSet, TSqlDataSet)
  public:
    explicit TPGDataSet(TComponent* AOwner);

    // libpq's "key=value …" form (host, port, user, password …); DatabaseName, when given,
    // names the database.
    const std::string& ConnectionString() const { return ConnectionString_; }
    void SetConnectionString(const std::string& V);
    // Longest wait for the server, per connection attempt and per statement (ms).
    int Timeout() const { return Timeout_; }
    void SetTimeout(int V) { Timeout_ = V < 1000 ? 1000 : V; }

  protected:
    std::unique_ptr<TSqlConnection> Connect() override;

  private:
    std::string ConnectionString_;
    int Timeout_ = 30000;
};

} // namespace qel

QEL_PUBLIC_END
