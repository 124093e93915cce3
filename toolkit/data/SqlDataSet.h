#pragma once
// The dataset of the SQL drivers: a whole table (TableName), editable when its rows have a key,
// or the result of a query (SQL), editable only when every column comes from one table whose
// key columns are among them. Edits are written at Post and Delete, each in a transaction of
// its own; a refused write leaves the record as it was typed.
#include "toolkit/core/Export.h"
#include "toolkit/core/Strings.h"
#include "toolkit/data/DataSet.h"
#include "toolkit/data/SqlConnection.h"

#include <memory>
#include <string>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

class TSqlDataSet : public TDataSet {
    QEL_CLASS(TSqlDataSet, TDataSet)
  public:
    explicit TSqlDataSet(TComponent* AOwner);
    ~TSqlDataSet() override;

    const std::string& DatabaseName() const { return DatabaseName_; }
    void SetDatabaseName(const std::string& V);
    const std::string& TableName() const { return TableName_; }
    void SetTableName(const std::string& V);
    TStrings* SQL() const { return SQL_.get(); }
    void SetSQL(TStrings* V);

    // The open connection (none while closed), for tests and tools that need the engine.
    TSqlConnection* Connection() const { return Conn_.get(); }

  protected:
    // Opens a connection to the database the properties name.
    virtual std::unique_ptr<TSqlConnection> Connect() = 0;

    std::unique_ptr<TRowSource> InternalOpen(std::vector<TFieldDef>& Defs) override;
    void InternalClose() override;
    TRecord InternalPost(const TRecord* Old, const TRecord& Row) override;
    void InternalDelete(const TRecord& Row) override;
    bool InternalCanModify() const override { return Target_.Editable; }

  private:
    // Where edits go: the table, each field's column (empty: not written) and the key.
    struct TTarget {
        bool Editable = false;
        std::string Table, ReturnList;
        std::vector<std::string> Columns;
        std::vector<std::string> KeyExprs;
        std::vector<int> KeySlots;
    };
    std::unique_ptr<TRowSource> OpenTable(std::vector<TFieldDef>& Defs);
    std::unique_ptr<TRowSource> OpenQuery(std::vector<TFieldDef>& Defs);
    std::string KeyWhere(int FirstParam) const;
    void AddKeyParams(const TRecord& Row, std::vector<TFieldValue>& Params) const;
    void SqlChanged();
    template <class F> std::vector<TRecord> InTransaction(F Run);

    std::string DatabaseName_, TableName_;
    std::unique_ptr<TStringList> SQL_;
    std::unique_ptr<TSqlConnection> Conn_;
    TTarget Target_;
};

} // namespace qel

#include "toolkit/core/Properties.h"

namespace qel {

// The properties and events both drivers publish, in form-file order. Active comes last so
// that a form sets everything else before the dataset opens.
template <class T> void PublishSqlDataSet(TClassBuilder<T>& B) {
    B.String("DatabaseName", &T::DatabaseName, &T::SetDatabaseName);
    B.Bool("ReadOnly", &T::ReadOnly, &T::SetReadOnly).SetDefault(false);
    B.Strings("SQL", &T::SQL, &T::SetSQL);
    B.String("TableName", &T::TableName, &T::SetTableName);
    B.Event("BeforeOpen", &T::BeforeOpen);
    B.Event("AfterOpen", &T::AfterOpen);
    B.Event("BeforeClose", &T::BeforeClose);
    B.Event("AfterClose", &T::AfterClose);
    B.Event("BeforeInsert", &T::BeforeInsert);
    B.Event("AfterInsert", &T::AfterInsert);
    B.Event("BeforeEdit", &T::BeforeEdit);
    B.Event("AfterEdit", &T::AfterEdit);
    B.Event("BeforePost", &T::BeforePost);
    B.Event("AfterPost", &T::AfterPost);
    B.Event("BeforeCancel", &T::BeforeCancel);
    B.Event("AfterCancel", &T::AfterCancel);
    B.Event("BeforeDelete", &T::BeforeDelete);
    B.Event("AfterDelete", &T::AfterDelete);
    B.Event("BeforeScroll", &T::BeforeScroll);
    B.Event("AfterScroll", &T::AfterScroll);
    B.Event("BeforeRefresh", &T::BeforeRefresh);
    B.Event("AfterRefresh", &T::AfterRefresh);
    B.Event("OnNewRecord", &T::OnNewRecord);
}

} // namespace qel

QEL_PUBLIC_END
