#include "toolkit/data/PGDataSet.h"

#include "toolkit/data/PGConnection.h"

namespace qel {

static void DescribePGDataSet(TClassBuilder<TPGDataSet>& B) {
    using T = TPGDataSet;
    B.String("ConnectionString", &T::ConnectionString, &T::SetConnectionString);
    B.Integer("Timeout", &T::Timeout, &T::SetTimeout).SetDefault(30000);
    PublishSqlDataSet(B);
    B.Bool("Active", &T::Active, &T::SetActive).SetDefault(false);
}
QEL_IMPLEMENT_CLASS(TPGDataSet, TSqlDataSet, DescribePGDataSet)

TPGDataSet::TPGDataSet(TComponent* AOwner) : TSqlDataSet(AOwner) {}

void TPGDataSet::SetConnectionString(const std::string& V) {
    if (V == ConnectionString_) return;
    CheckInactive();
    ConnectionString_ = V;
}

std::unique_ptr<TSqlConnection> TPGDataSet::Connect() {
    std::string Info = ConnectionString_;
    if (!DatabaseName().empty()) {
        // Quoted the way libpq reads values: backslash before quotes and backslashes.
        std::string Db;
        for (char C : DatabaseName()) {
            if (C == '\'' || C == '\\') Db += '\\';
            Db += C;
        }
        Info += " dbname='" + Db + "'";
    }
    return std::make_unique<TPGConnection>(Info, Timeout_);
}

} // namespace qel
