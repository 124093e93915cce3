#pragma once
// The embedded driver: a table or query of an SQLite database file.
#include "toolkit/core/Export.h"
#include "toolkit/data/SqlDataSet.h"

QEL_PUBLIC_BEGIN

namespace qel {

class TSQLiteDataSet : public TSqlDataSet {
    QEL_CLASS(TSQLiteDataSet, TSqlDataSet)
  public:
    explicit TSQLiteDataSet(TComponent* AOwner);

    // How long a write waits for another process's lock before it fails (ms).
    int BusyTimeout() const { return BusyTimeout_; }
    void SetBusyTimeout(int V) { BusyTimeout_ = V < 0 ? 0 : V; }

    // The file DatabaseName stands for: a relative name is looked up in the working
    // directory, then next to the program and in its data folder (share/qel).
    std::string ResolvedDatabaseName() const;

  protected:
    std::unique_ptr<TSqlConnection> Connect() override;

  private:
    int BusyTimeout_ = 2000;
};

} // namespace qel

QEL_PUBLIC_END
