#include "toolkit/data/SQLiteConnection.h"

#include "toolkit/core/Exceptions.h"
#include "toolkit/core/TextUtils.h"

#include <sqlite3.h>

namespace qel {

// SQLite's own affinity rules, with dates and booleans recognised by name first.
TFieldType SQLiteFieldType(const std::string& DeclType) {
    const std::string T = UpperCase(DeclType);
    const auto Has = [&T](const char* S) { return T.find(S) != std::string::npos; };
    if (Has("BOOL")) return ftBoolean;
    if (Has("DATE") || Has("TIME")) return ftDateTime;
    if (Has("INT")) return ftInteger;
    if (Has("CHAR") || Has("CLOB") || Has("TEXT")) return ftString;
    if (Has("REAL") || Has("FLOA") || Has("DOUB") || Has("NUM") || Has("DEC")) return ftFloat;
    return ftString;
}

namespace {

// Fills V in place, so a recycled record keeps its text buffers.
void ReadColumn(sqlite3_stmt* St, int I, TFieldType T, TFieldValue& V) {
    switch (sqlite3_column_type(St, I)) {
    case SQLITE_INTEGER:
        if (T == ftFloat)
            V = sqlite3_column_double(St, I);
        else
            V = std::int64_t{sqlite3_column_int64(St, I)};
        return;
    case SQLITE_FLOAT:
        V = sqlite3_column_double(St, I);
        return;
    case SQLITE_TEXT:
    case SQLITE_BLOB: {
        const auto* P = static_cast<const char*>(sqlite3_column_blob(St, I));
        const auto Len = std::size_t(sqlite3_column_bytes(St, I));
        const std::string_view Text(P ? P : "", Len);
        if (T == ftDateTime) {
            if (auto D = ParseIsoDateTime(Text)) {
                V = *D;
                return;
            }
        }
        if (auto* S = std::get_if<std::string>(&V))
            S->assign(Text);
        else
            V = std::string(Text);
        return;
    }
    default:
        V = std::monostate{};
    }
}

} // namespace

struct TSQLiteConnection::TStatement {
    sqlite3_stmt* Stmt = nullptr;
    std::vector<TFieldType> Types;
    ~TStatement() { sqlite3_finalize(Stmt); }
};

TSQLiteConnection::TSQLiteConnection(const std::string& FileName, int BusyTimeout)
    : FileName_(FileName) {
    if (FileName.empty()) throw EDatabaseError("No database file name given");
    // A connection serves one dataset on one thread: SQLite's per-call locking would only cost.
    const int Rc = sqlite3_open_v2(FileName.c_str(), &Db_,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (Rc != SQLITE_OK) {
        const std::string Msg = Db_ ? sqlite3_errmsg(Db_) : sqlite3_errstr(Rc);
        sqlite3_close(Db_);
        Db_ = nullptr;
        throw EDatabaseError("Cannot open database '" + FileName + "': " + Msg);
    }
    sqlite3_extended_result_codes(Db_, 1);
    sqlite3_busy_timeout(Db_, BusyTimeout);
    // The file is only read when first used: a file that is not a database shows here.
    try {
        Execute("SELECT count(*) FROM sqlite_master", {});
    } catch (const EDatabaseError& E) {
        Cache_.clear();
        sqlite3_close(Db_);
        Db_ = nullptr;
        throw EDatabaseError("Cannot open database '" + FileName + "': " + E.Message());
    }
}

TSQLiteConnection::~TSQLiteConnection() {
    Rollback();
    Cache_.clear();
    sqlite3_close(Db_);
}

void TSQLiteConnection::Fail(const std::string& What) const {
    throw EDatabaseError(What + ": " + sqlite3_errmsg(Db_));
}

std::string TSQLiteConnection::Placeholder(int N) const {
    return "?" + std::to_string(N);
}

TSQLiteConnection::TStatement& TSQLiteConnection::Prepare(const std::string& Sql) {
    auto It = Cache_.find(Sql);
    if (It != Cache_.end()) return *It->second;
    auto S = std::make_unique<TStatement>();
    const char* Tail = nullptr;
    if (sqlite3_prepare_v2(Db_, Sql.c_str(), int(Sql.size()), &S->Stmt, &Tail) != SQLITE_OK)
        Fail("Cannot prepare statement");
    if (!S->Stmt) throw EDatabaseError("Empty SQL statement");
    if (Tail && std::string_view(Tail).find_first_not_of(" \t\r\n;") != std::string_view::npos)
        throw EDatabaseError("Only one SQL statement may be given");
    const int N = sqlite3_column_count(S->Stmt);
    for (int I = 0; I < N; ++I) {
        const char* D = sqlite3_column_decltype(S->Stmt, I);
        S->Types.push_back(D ? SQLiteFieldType(D) : ftUnknown);
    }
    return *Cache_.emplace(Sql, std::move(S)).first->second;
}

std::int64_t TSQLiteConnection::Execute(const std::string& Sql,
                                        const std::vector<TFieldValue>& Params,
                                        std::vector<TRecord>* Rows,
                                        std::vector<TSqlColumn>* Columns) {
    TStatement& S = Prepare(Sql);
    sqlite3_stmt* St = S.Stmt;
    // Reset on every way out: a statement left running would hold the read lock.
    struct TReset {
        sqlite3_stmt* St;
        ~TReset() {
            sqlite3_reset(St);
            sqlite3_clear_bindings(St);
        }
    } Guard{St};
    for (std::size_t I = 0; I < Params.size(); ++I) {
        const int P = int(I + 1);
        const TFieldValue& V = Params[I];
        int Rc = SQLITE_OK;
        if (const auto* N = std::get_if<std::int64_t>(&V))
            Rc = sqlite3_bind_int64(St, P, *N);
        else if (const auto* D = std::get_if<double>(&V))
            Rc = sqlite3_bind_double(St, P, *D);
        else if (const auto* T = std::get_if<std::string>(&V))
            Rc = sqlite3_bind_text(St, P, T->data(), int(T->size()), SQLITE_TRANSIENT);
        else
            Rc = sqlite3_bind_null(St, P);
        if (Rc != SQLITE_OK) Fail("Cannot bind parameter " + std::to_string(P));
    }
    const int N = sqlite3_column_count(St);
    if (Columns) {
        Columns->clear();
        for (int I = 0; I < N; ++I) {
            TSqlColumn C;
            C.Name = sqlite3_column_name(St, I);
            C.DataType = S.Types[std::size_t(I)] == ftUnknown ? ftString : S.Types[std::size_t(I)];
            if (const char* T = sqlite3_column_table_name(St, I)) C.OriginTable = T;
            if (const char* O = sqlite3_column_origin_name(St, I)) C.OriginColumn = O;
            Columns->push_back(std::move(C));
        }
    }
    std::size_t Count = 0;
    for (;;) {
        const int Rc = sqlite3_step(St);
        if (Rc == SQLITE_DONE) break;
        if (Rc != SQLITE_ROW) {
            if (Rows) Rows->resize(Count);
            Fail(FileName_);
        }
        if (!Rows) continue;
        TRecord& R = Count < Rows->size() ? (*Rows)[Count] : Rows->emplace_back();
        ++Count;
        R.Serial = 0;
        R.Values.resize(std::size_t(N));
        for (int I = 0; I < N; ++I)
            ReadColumn(St, I, S.Types[std::size_t(I)], R.Values[std::size_t(I)]);
    }
    if (Rows) Rows->resize(Count);
    return sqlite3_changes64(Db_);
}

TTableShape TSQLiteConnection::DescribeTable(const std::string& Name) {
    std::vector<TRecord> Found;
    Execute("SELECT name, type FROM sqlite_master WHERE type IN ('table', 'view') AND name = ?1 "
            "COLLATE NOCASE",
            {Name}, &Found);
    if (Found.empty()) throw EDatabaseError("Table '" + Name + "' does not exist");
    TTableShape Shape;
    const std::string Real = std::get<std::string>(Found[0].Values[0]);
    const bool IsTable = std::get<std::string>(Found[0].Values[1]) == "table";
    Shape.Table = QuoteIdent(Real);
    std::vector<TRecord> Cols;
    Execute("SELECT name, type, \"notnull\", dflt_value, pk FROM pragma_table_info(?1)", {Real},
            &Cols);
    int KeyColumns = 0;
    bool IntegerKey = false;
    for (const TRecord& R : Cols) {
        TSqlColumn C;
        C.Name = std::get<std::string>(R.Values[0]);
        const auto* Type = std::get_if<std::string>(&R.Values[1]);
        C.DataType = SQLiteFieldType(Type ? *Type : "");
        C.NotNull = std::get<std::int64_t>(R.Values[2]) != 0;
        C.HasDefault = !IsNullValue(R.Values[3]);
        C.KeyOrder = int(std::get<std::int64_t>(R.Values[4]));
        if (C.KeyOrder > 0) {
            ++KeyColumns;
            IntegerKey = Type && UpperCase(*Type) == "INTEGER";
        }
        Shape.Columns.push_back(std::move(C));
    }
    // A single INTEGER PRIMARY KEY is the rowid under its own name: no hidden copy needed.
    if (IsTable && !(KeyColumns == 1 && IntegerKey)) {
        // Tables made WITHOUT ROWID have none; their primary key serves instead.
        sqlite3_stmt* Probe = nullptr;
        const std::string Sql = "SELECT rowid FROM " + Shape.Table + " LIMIT 0";
        if (sqlite3_prepare_v2(Db_, Sql.c_str(), -1, &Probe, nullptr) == SQLITE_OK) {
            Shape.RowKey = "rowid";
            Shape.RowKeyWritable = true;
        }
        sqlite3_finalize(Probe);
    }
    return Shape;
}

void TSQLiteConnection::Begin() {
    // IMMEDIATE takes the write lock now, so a database locked by another process is reported
    // before anything is written.
    Execute("BEGIN IMMEDIATE", {});
}

void TSQLiteConnection::Commit() {
    Execute("COMMIT", {});
}

void TSQLiteConnection::Rollback() noexcept {
    if (Db_ && !sqlite3_get_autocommit(Db_))
        sqlite3_exec(Db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

} // namespace qel
