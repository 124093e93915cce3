#include "toolkit/data/PGConnection.h"

#include "toolkit/core/Exceptions.h"

#include <chrono>
#include <libpq-fe.h>
#include <memory>
#include <poll.h>
#include <unordered_map>

namespace qel {

namespace {

// Type oids of the server's built-in types (pg_type.dat).
TFieldType PGFieldType(Oid T) {
    switch (T) {
    case 20:
    case 21:
    case 23:
    case 26:
        return ftInteger;
    case 700:
    case 701:
    case 1700:
        return ftFloat;
    case 16:
        return ftBoolean;
    case 1082:
    case 1114:
    case 1184:
        return ftDateTime;
    default:
        return ftString;
    }
}

TFieldValue PGValue(const char* Text, int Len, TFieldType T) {
    std::string S(Text, std::size_t(Len));
    try {
        switch (T) {
        case ftInteger:
            return StrToInt64(S);
        case ftFloat:
            return StrToFloat(S);
        case ftBoolean:
            return std::int64_t{S == "t"};
        case ftDateTime: {
            // timestamptz carries its zone offset ("+00", "-05:30"); the clock time is kept.
            std::string Clock = S;
            const auto Zone = Clock.find_first_of("+-", 19);
            if (Zone != std::string::npos) Clock.resize(Zone);
            if (auto D = ParseIsoDateTime(Clock)) return *D;
            return S;
        }
        default:
            return S;
        }
    } catch (const EConvertError&) {
        // "NaN", "Infinity" and the like stay text rather than failing the whole fetch.
        return S;
    }
}

struct TResultDeleter {
    void operator()(PGresult* R) const { PQclear(R); }
};
using TResult = std::unique_ptr<PGresult, TResultDeleter>;

} // namespace

TPGConnection::TPGConnection(const std::string& ConnInfo, int TimeoutMs) : TimeoutMs_(TimeoutMs) {
    std::string Info = ConnInfo;
    // Without a connect timeout libpq may wait for the operating system's, minutes long.
    if (Info.find("connect_timeout") == std::string::npos)
        Info += " connect_timeout=" + std::to_string(std::max(1, TimeoutMs / 1000));
    Conn_ = PQconnectdb(Info.c_str());
    if (!Conn_) throw EDatabaseError("Cannot connect to the PostgreSQL server: out of memory");
    if (PQstatus(Conn_) != CONNECTION_OK) {
        const std::string Msg = PQerrorMessage(Conn_);
        PQfinish(Conn_);
        Conn_ = nullptr;
        throw EDatabaseError("Cannot connect to the PostgreSQL server: " +
                             Msg.substr(0, Msg.find_last_not_of("\n ") + 1));
    }
    PQsetClientEncoding(Conn_, "UTF8");
    Execute("SET datestyle = ISO", {});
}

TPGConnection::~TPGConnection() {
    Rollback();
    PQfinish(Conn_);
}

void TPGConnection::Fail(const std::string& What) {
    std::string Msg = PQerrorMessage(Conn_);
    while (!Msg.empty() && (Msg.back() == '\n' || Msg.back() == ' '))
        Msg.pop_back();
    throw EDatabaseError(What + ": " + (Msg.empty() ? "no answer from the server" : Msg));
}

std::string TPGConnection::Placeholder(int N) const {
    // Appended, not "$" + to_string(N): gcc 12 at -O3 reports a false overlap (-Wrestrict).
    std::string P = "$";
    P += std::to_string(N);
    return P;
}

void TPGConnection::EnsureConnected() {
    if (PQstatus(Conn_) == CONNECTION_OK && !Broken_) return;
    // A transaction cannot survive a lost connection; only a fresh statement may reconnect.
    if (InTransaction_) Fail("The connection to the PostgreSQL server was lost");
    PQreset(Conn_);
    Broken_ = false;
    if (PQstatus(Conn_) != CONNECTION_OK)
        Fail("The connection to the PostgreSQL server was lost and could not be re-established");
    PQsetClientEncoding(Conn_, "UTF8");
    TResult R(PQexec(Conn_, "SET datestyle = ISO"));
}

std::int64_t TPGConnection::Execute(const std::string& Sql, const std::vector<TFieldValue>& Params,
                                    std::vector<TRecord>* Rows, std::vector<TSqlColumn>* Columns) {
    EnsureConnected();
    std::vector<std::string> Text(Params.size());
    std::vector<const char*> Values(Params.size());
    for (std::size_t I = 0; I < Params.size(); ++I) {
        const TFieldValue& V = Params[I];
        if (IsNullValue(V)) {
            Values[I] = nullptr;
            continue;
        }
        if (const auto* N = std::get_if<std::int64_t>(&V))
            Text[I] = std::to_string(*N);
        else if (const auto* D = std::get_if<double>(&V))
            Text[I] = FloatToStr(*D);
        else
            Text[I] = std::get<std::string>(V);
        Values[I] = Text[I].c_str();
    }
    if (!PQsendQueryParams(Conn_, Sql.c_str(), int(Params.size()), nullptr, Values.data(), nullptr,
                           nullptr, 0))
        Fail("Cannot send the statement to the PostgreSQL server");
    // Wait for the whole answer, but never longer than the timeout.
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs_);
    TResult Last;
    for (;;) {
        while (PQflush(Conn_) == 1 || PQisBusy(Conn_)) {
            const auto Left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  Deadline - std::chrono::steady_clock::now())
                                  .count();
            if (Left <= 0) {
                if (PGcancel* C = PQgetCancel(Conn_)) {
                    char Buf[256];
                    PQcancel(C, Buf, sizeof Buf);
                    PQfreeCancel(C);
                }
                // The connection's state is unknown now: start afresh next time.
                Broken_ = true;
                InTransaction_ = false;
                throw EDatabaseError("The PostgreSQL server did not answer within " +
                                     std::to_string(TimeoutMs_ / 1000) + " s");
            }
            pollfd P{PQsocket(Conn_), POLLIN | POLLOUT, 0};
            if (PQsocket(Conn_) < 0) Fail("The connection to the PostgreSQL server was lost");
            ::poll(&P, 1, int(std::min<long long>(Left, 1000)));
            if (!PQconsumeInput(Conn_)) Fail("The connection to the PostgreSQL server was lost");
        }
        PGresult* R = PQgetResult(Conn_);
        if (!R) break;
        Last.reset(R);
    }
    if (!Last) Fail("No result from the PostgreSQL server");
    const ExecStatusType St = PQresultStatus(Last.get());
    if (St != PGRES_COMMAND_OK && St != PGRES_TUPLES_OK) {
        std::string Msg = PQresultErrorMessage(Last.get());
        while (!Msg.empty() && (Msg.back() == '\n' || Msg.back() == ' '))
            Msg.pop_back();
        const char* Detail = PQresultErrorField(Last.get(), PG_DIAG_MESSAGE_DETAIL);
        if (Detail) Msg += std::string(" (") + Detail + ")";
        // Lines after the first repeat the detail.
        if (const auto Nl = Msg.find('\n'); Nl != std::string::npos && Detail) Msg.resize(Nl);
        throw EDatabaseError(Msg.empty() ? "The statement failed" : Msg);
    }
    const int NCols = PQnfields(Last.get()), NRows = PQntuples(Last.get());
    std::vector<TFieldType> Types(static_cast<std::size_t>(NCols));
    for (int C = 0; C < NCols; ++C)
        Types[std::size_t(C)] = PGFieldType(PQftype(Last.get(), C));
    if (Columns) {
        Columns->clear();
        std::unordered_map<Oid, std::string> Names;
        for (int C = 0; C < NCols; ++C) {
            TSqlColumn Col;
            Col.Name = PQfname(Last.get(), C);
            Col.DataType = Types[std::size_t(C)];
            const Oid Table = PQftable(Last.get(), C);
            const int TableCol = PQftablecol(Last.get(), C);
            if (Table != InvalidOid && TableCol > 0) {
                if (!Names.count(Table)) Names[Table] = TableNameOf(Table);
                Col.OriginTable = Names[Table];
                std::vector<TRecord> A;
                Execute("SELECT attname FROM pg_attribute WHERE attrelid = $1 AND attnum = $2",
                        {std::int64_t{Table}, std::int64_t{TableCol}}, &A);
                if (!A.empty()) Col.OriginColumn = std::get<std::string>(A[0].Values[0]);
            }
            Columns->push_back(std::move(Col));
        }
    }
    if (Rows) {
        Rows->clear();
        Rows->reserve(std::size_t(NRows));
        for (int R = 0; R < NRows; ++R) {
            TRecord Rec;
            Rec.Values.resize(std::size_t(NCols));
            for (int C = 0; C < NCols; ++C)
                if (!PQgetisnull(Last.get(), R, C))
                    Rec.Values[std::size_t(C)] =
                        PGValue(PQgetvalue(Last.get(), R, C), PQgetlength(Last.get(), R, C),
                                Types[std::size_t(C)]);
            Rows->push_back(std::move(Rec));
        }
    }
    const char* Affected = PQcmdTuples(Last.get());
    return Affected && *Affected ? StrToInt64(Affected) : 0;
}

std::string TPGConnection::TableNameOf(unsigned Oid) {
    std::vector<TRecord> R;
    Execute("SELECT $1::oid::regclass::text", {std::int64_t{Oid}}, &R);
    return R.empty() ? std::string() : std::get<std::string>(R[0].Values[0]);
}

TTableShape TPGConnection::DescribeTable(const std::string& Name) {
    std::vector<TRecord> Found;
    Execute("SELECT to_regclass($1)::oid::bigint, to_regclass($1)::text, "
            "(SELECT relkind::text FROM pg_class WHERE oid = to_regclass($1))",
            {Name}, &Found);
    if (Found.empty() || IsNullValue(Found[0].Values[0]))
        throw EDatabaseError("Table '" + Name + "' does not exist");
    TTableShape Shape;
    const TFieldValue Oid = Found[0].Values[0];
    Shape.Table = std::get<std::string>(Found[0].Values[1]);
    std::vector<TRecord> Cols;
    Execute(
        "SELECT a.attname, a.atttypid::bigint, a.attnotnull, a.atthasdef OR a.attidentity <> '' "
        "OR a.attgenerated <> '', "
        "coalesce((SELECT k.n FROM unnest(i.indkey) WITH ORDINALITY k(att, n) "
        "WHERE k.att = a.attnum), 0) "
        "FROM pg_attribute a LEFT JOIN pg_index i ON i.indrelid = a.attrelid AND i.indisprimary "
        "WHERE a.attrelid = $1 AND a.attnum > 0 AND NOT a.attisdropped ORDER BY a.attnum",
        {Oid}, &Cols);
    bool HasKey = false;
    for (const TRecord& R : Cols) {
        TSqlColumn C;
        C.Name = std::get<std::string>(R.Values[0]);
        C.DataType = PGFieldType(static_cast<unsigned>(std::get<std::int64_t>(R.Values[1])));
        C.NotNull = std::get<std::int64_t>(R.Values[2]) != 0;
        C.HasDefault = std::get<std::int64_t>(R.Values[3]) != 0;
        C.KeyOrder = int(std::get<std::int64_t>(R.Values[4]));
        HasKey = HasKey || C.KeyOrder > 0;
        Shape.Columns.push_back(std::move(C));
    }
    // Without a primary key rows are paged by their physical place, which an update moves:
    // such tables can be read, not written.
    if (!HasKey) Shape.RowKey = "ctid";
    return Shape;
}

void TPGConnection::Begin() {
    Execute("BEGIN", {});
    InTransaction_ = true;
}

void TPGConnection::Commit() {
    InTransaction_ = false;
    Execute("COMMIT", {});
}

void TPGConnection::Rollback() noexcept {
    InTransaction_ = false;
    if (Conn_ && PQstatus(Conn_) == CONNECTION_OK && PQtransactionStatus(Conn_) != PQTRANS_IDLE) {
        PGresult* R = PQexec(Conn_, "ROLLBACK");
        PQclear(R);
    }
}

} // namespace qel
