#include "toolkit/data/SqlDataSet.h"

#include "toolkit/core/Exceptions.h"
#include "toolkit/core/Properties.h"
#include "toolkit/core/ScopeGuard.h"
#include "toolkit/data/Fields.h"
#include "toolkit/data/SqlSources.h"

#include <algorithm>

namespace qel {

QEL_IMPLEMENT_ABSTRACT(TSqlDataSet, TDataSet, NoProperties<TSqlDataSet>)

TSqlDataSet::TSqlDataSet(TComponent* AOwner)
    : TDataSet(AOwner), SQL_(std::make_unique<TStringList>()) {
    SQL_->OnChange = [this](TObject*) { SqlChanged(); };
}

TSqlDataSet::~TSqlDataSet() {
    SQL_->OnChange = nullptr;
}

void TSqlDataSet::SetDatabaseName(const std::string& V) {
    if (V == DatabaseName_) return;
    CheckInactive();
    DatabaseName_ = V;
}

void TSqlDataSet::SetTableName(const std::string& V) {
    if (V == TableName_) return;
    CheckInactive();
    TableName_ = V;
}

void TSqlDataSet::SetSQL(TStrings* V) {
    SQL_->Assign(V);
}

// A new statement means new rows: the old result would no longer match it.
void TSqlDataSet::SqlChanged() {
    if (Active() && !IsLoading()) Close();
}

std::unique_ptr<TRowSource> TSqlDataSet::InternalOpen(std::vector<TFieldDef>& Defs) {
    Target_ = {};
    Conn_ = Connect();
    const TScopeFail Undo([&] {
        Conn_.reset();
        Target_ = {};
    });
    if (!TableName_.empty()) return OpenTable(Defs);
    std::string Sql = SQL_->Text();
    if (Sql.find_first_not_of(" \t\r\n") == std::string::npos)
        DatabaseError("No table name or SQL statement given");
    return OpenQuery(Defs);
}

void TSqlDataSet::InternalClose() {
    Conn_.reset();
    Target_ = {};
}

std::unique_ptr<TRowSource> TSqlDataSet::OpenTable(std::vector<TFieldDef>& Defs) {
    const TTableShape Shape = Conn_->DescribeTable(TableName_);
    std::string Select;
    std::vector<std::pair<int, int>> Key; // key order, column
    for (std::size_t I = 0; I < Shape.Columns.size(); ++I) {
        const TSqlColumn& C = Shape.Columns[I];
        Defs.push_back({C.Name, C.DataType, C.NotNull && !C.HasDefault, false});
        Select += (I ? ", " : "") + QuoteIdent(C.Name);
        Target_.Columns.push_back(QuoteIdent(C.Name));
        if (C.KeyOrder > 0) Key.emplace_back(C.KeyOrder, int(I));
    }
    std::sort(Key.begin(), Key.end());
    if (!Shape.RowKey.empty()) {
        Select += ", " + Shape.RowKey;
        Target_.KeyExprs = {Shape.RowKey};
        Target_.KeySlots = {int(Shape.Columns.size())};
        Target_.Editable = Shape.RowKeyWritable;
    } else {
        for (auto [Order, Col] : Key) {
            Target_.KeyExprs.push_back(QuoteIdent(Shape.Columns[std::size_t(Col)].Name));
            Target_.KeySlots.push_back(Col);
        }
        Target_.Editable = !Key.empty();
    }
    Target_.Table = Shape.Table;
    Target_.ReturnList = Select;
    if (Target_.KeyExprs.empty()) {
        // Nothing to page by: the rows are read once, and cannot be written back.
        TSqlConnection* C = Conn_.get();
        const std::string Sql = "SELECT " + Select + " FROM " + Shape.Table;
        return std::make_unique<TBufferedSource>([C, Sql] {
            std::vector<TRecord> Rows;
            C->Execute(Sql, {}, &Rows);
            return Rows;
        });
    }
    return std::make_unique<TKeysetSource>(*Conn_, Shape.Table, Select, Target_.KeyExprs,
                                           Target_.KeySlots);
}

std::unique_ptr<TRowSource> TSqlDataSet::OpenQuery(std::vector<TFieldDef>& Defs) {
    TSqlConnection* C = Conn_.get();
    const std::string Sql = SQL_->Text();
    std::vector<TSqlColumn> Cols;
    bool First = true;
    auto Source = std::make_unique<TBufferedSource>([C, Sql, &Cols, First]() mutable {
        std::vector<TRecord> Rows;
        C->Execute(Sql, {}, &Rows, First ? &Cols : nullptr);
        First = false;
        return Rows;
    });
    for (const TSqlColumn& Col : Cols)
        Defs.push_back({Col.Name, Col.DataType, false, false});
    // Editable when one table supplies every column and its key is among them.
    const std::string Origin = Cols.empty() ? std::string() : Cols[0].OriginTable;
    const bool OneTable =
        !Origin.empty() && std::all_of(Cols.begin(), Cols.end(), [&](const TSqlColumn& Col) {
            return Col.OriginTable == Origin && !Col.OriginColumn.empty();
        });
    if (!OneTable) return Source;
    const TTableShape Shape = Conn_->DescribeTable(Origin);
    std::vector<std::pair<int, int>> Key;
    for (const TSqlColumn& T : Shape.Columns) {
        if (T.KeyOrder == 0) continue;
        auto It = std::find_if(Cols.begin(), Cols.end(),
                               [&](const TSqlColumn& Col) { return Col.OriginColumn == T.Name; });
        if (It == Cols.end()) return Source;
        Key.emplace_back(T.KeyOrder, int(It - Cols.begin()));
    }
    if (Key.empty()) return Source;
    std::sort(Key.begin(), Key.end());
    for (auto [Order, Slot] : Key) {
        Target_.KeyExprs.push_back(QuoteIdent(Cols[std::size_t(Slot)].OriginColumn));
        Target_.KeySlots.push_back(Slot);
    }
    for (std::size_t I = 0; I < Cols.size(); ++I) {
        Target_.Columns.push_back(QuoteIdent(Cols[I].OriginColumn));
        Target_.ReturnList += (I ? ", " : "") + QuoteIdent(Cols[I].OriginColumn);
        auto T = std::find_if(Shape.Columns.begin(), Shape.Columns.end(),
                              [&](const TSqlColumn& S) { return S.Name == Cols[I].OriginColumn; });
        if (T != Shape.Columns.end()) Defs[I].Required = T->NotNull && !T->HasDefault;
    }
    Target_.Table = Shape.Table;
    Target_.Editable = true;
    return Source;
}

std::string TSqlDataSet::KeyWhere(int FirstParam) const {
    std::string W;
    for (std::size_t I = 0; I < Target_.KeyExprs.size(); ++I)
        W += (I ? " AND " : "") + Target_.KeyExprs[I] + " = " +
             Conn_->Placeholder(FirstParam + int(I));
    return W;
}

void TSqlDataSet::AddKeyParams(const TRecord& Row, std::vector<TFieldValue>& Params) const {
    for (int Slot : Target_.KeySlots)
        Params.push_back(std::size_t(Slot) < Row.Values.size() ? Row.Values[std::size_t(Slot)]
                                                               : TFieldValue{});
}

template <class F> std::vector<TRecord> TSqlDataSet::InTransaction(F Run) {
    std::vector<TRecord> Rows;
    Conn_->Begin();
    {
        const TScopeFail Undo([&] { Conn_->Rollback(); });
        Run(Rows);
        Conn_->Commit();
    }
    return Rows;
}

TRecord TSqlDataSet::InternalPost(const TRecord* Old, const TRecord& Row) {
    if (!Target_.Editable) DatabaseError("Cannot modify a read-only dataset");
    std::vector<std::string> Cols;
    std::vector<TFieldValue> Params;
    for (int I = 0; I < FieldCount(); ++I) {
        TField* F = Fields(I);
        const auto No = std::size_t(F->FieldNo());
        const TFieldValue V = No < Row.Values.size() ? Row.Values[No] : TFieldValue{};
        if (F->ReadOnly() || Target_.Columns[No].empty()) continue;
        // Unchanged columns stay out, so a concurrent change to another column survives; a
        // new row leaves empty columns to their defaults.
        if (Old ? (No < Old->Values.size() && Old->Values[No] == V) : IsNullValue(V)) continue;
        Cols.push_back(Target_.Columns[No]);
        const auto* D = std::get_if<double>(&V);
        Params.push_back(F->DataType() == ftDateTime && D ? TFieldValue{IsoDateTime(*D)} : V);
    }
    if (Old && Cols.empty()) return *Old;
    std::string Sql;
    if (Old) {
        Sql = "UPDATE " + Target_.Table + " SET ";
        for (std::size_t I = 0; I < Cols.size(); ++I)
            Sql += (I ? ", " : "") + Cols[I] + " = " + Conn_->Placeholder(int(I + 1));
        Sql += " WHERE " + KeyWhere(int(Cols.size() + 1));
        AddKeyParams(*Old, Params);
    } else if (Cols.empty()) {
        Sql = "INSERT INTO " + Target_.Table + " DEFAULT VALUES";
    } else {
        std::string Names, Marks;
        for (std::size_t I = 0; I < Cols.size(); ++I) {
            Names += (I ? ", " : "") + Cols[I];
            Marks += (I ? ", " : "") + Conn_->Placeholder(int(I + 1));
        }
        Sql = "INSERT INTO " + Target_.Table + " (" + Names + ") VALUES (" + Marks + ")";
    }
    Sql += " RETURNING " + Target_.ReturnList;
    auto Rows = InTransaction([&](std::vector<TRecord>& Out) {
        Conn_->Execute(Sql, Params, &Out);
        if (Out.empty()) DatabaseError("Record not found or changed by another user");
    });
    return std::move(Rows.front());
}

void TSqlDataSet::InternalDelete(const TRecord& Row) {
    if (!Target_.Editable) DatabaseError("Cannot modify a read-only dataset");
    std::vector<TFieldValue> Params;
    AddKeyParams(Row, Params);
    const std::string Sql = "DELETE FROM " + Target_.Table + " WHERE " + KeyWhere(1);
    InTransaction([&](std::vector<TRecord>&) {
        if (Conn_->Execute(Sql, Params) == 0)
            DatabaseError("Record not found or changed by another user");
    });
}

} // namespace qel
