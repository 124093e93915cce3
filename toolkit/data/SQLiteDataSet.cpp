#include "toolkit/data/SQLiteDataSet.h"

#include "toolkit/data/SQLiteConnection.h"

#include <filesystem>
#include <system_error>

namespace qel {

static void DescribeSQLiteDataSet(TClassBuilder<TSQLiteDataSet>& B) {
    using T = TSQLiteDataSet;
    B.Integer("BusyTimeout", &T::BusyTimeout, &T::SetBusyTimeout).SetDefault(2000);
    PublishSqlDataSet(B);
    B.Bool("Active", &T::Active, &T::SetActive).SetDefault(false);
}
QEL_IMPLEMENT_CLASS(TSQLiteDataSet, TSqlDataSet, DescribeSQLiteDataSet)

TSQLiteDataSet::TSQLiteDataSet(TComponent* AOwner) : TSqlDataSet(AOwner) {}

std::string TSQLiteDataSet::ResolvedDatabaseName() const {
    namespace fs = std::filesystem;
    const fs::path Name = DatabaseName();
    std::error_code Ec;
    if (Name.empty() || Name.is_absolute() || fs::exists(Name, Ec)) return DatabaseName();
    const fs::path Exe = fs::read_symlink("/proc/self/exe", Ec);
    if (!Ec)
        for (const fs::path& Dir :
             {Exe.parent_path(), Exe.parent_path().parent_path() / "share" / "qel"})
            if (fs::exists(Dir / Name, Ec)) return (Dir / Name).string();
    return DatabaseName();
}

std::unique_ptr<TSqlConnection> TSQLiteDataSet::Connect() {
    return std::make_unique<TSQLiteConnection>(ResolvedDatabaseName(), BusyTimeout_);
}

} // namespace qel
