#pragma once
// The two database drivers as the tests see them: a dataset configured for a scratch database,
// and the engine's own command-line client as a second, independent connection that checks
// what really reached the database.
#include "toolkit/data/PGDataSet.h"
#include "toolkit/data/SQLiteDataSet.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <unistd.h>

namespace qel::datatest {

inline std::string ShellQuote(const std::string& S) {
    std::string Out = "'";
    for (char C : S)
        Out += C == '\'' ? std::string("'\\''") : std::string(1, C);
    return Out + "'";
}

// Standard output of a shell command; the exit status goes to Status.
inline std::string RunCapture(const std::string& Cmd, int* Status = nullptr) {
    std::string Out;
    FILE* P = ::popen(Cmd.c_str(), "r");
    if (!P) return Out;
    char Buf[4096];
    std::size_t N;
    while ((N = std::fread(Buf, 1, sizeof Buf, P)) > 0)
        Out.append(Buf, N);
    const int Rc = ::pclose(P);
    if (Status) *Status = Rc;
    while (!Out.empty() && Out.back() == '\n')
        Out.pop_back();
    return Out;
}

inline std::string Unique(const std::string& Base) {
    static int Counter = 0;
    return Base + "_" + std::to_string(::getpid()) + "_" + std::to_string(++Counter);
}

class TDbBackend {
  public:
    virtual ~TDbBackend() = default;
    virtual std::string Name() const = 0;
    // Why the engine cannot be used; empty when it can.
    virtual std::string Unavailable() = 0;
    // Runs SQL through the command-line client; rows one a line, columns split by '|'.
    virtual std::string Cli(const std::string& Sql) = 0;
    // A dataset on the scratch database, not yet given a table or query.
    virtual TSqlDataSet* NewDataSet(TComponent* Owner) = 0;
    // The column type of an automatically numbered key.
    virtual std::string SerialKey() const = 0;
    virtual std::string FloatType() const = 0;
    // A statement that fills table T (columns id, name) with N numbered rows.
    virtual std::string FillRows(const std::string& T, int N) const = 0;
};

class TSQLiteBackend : public TDbBackend {
  public:
    TSQLiteBackend()
        : File_(std::filesystem::temp_directory_path() / (Unique("qel-data") + ".db")) {}
    ~TSQLiteBackend() override {
        std::error_code Ec;
        std::filesystem::remove(File_, Ec);
    }
    std::string Name() const override { return "SQLite"; }
    std::string Unavailable() override {
        int St = 0;
        RunCapture("sqlite3 -version 2>/dev/null", &St);
        return St == 0 ? "" : "the sqlite3 command-line client is not installed";
    }
    std::string Cli(const std::string& Sql) override {
        return RunCapture("sqlite3 -batch " + ShellQuote(File_.string()) + " " + ShellQuote(Sql) +
                          " 2>&1");
    }
    TSqlDataSet* NewDataSet(TComponent* Owner) override {
        auto* D = new TSQLiteDataSet(Owner);
        D->SetDatabaseName(File_.string());
        D->SetBusyTimeout(100);
        return D;
    }
    std::string SerialKey() const override { return "INTEGER PRIMARY KEY"; }
    std::string FloatType() const override { return "REAL"; }
    std::string FillRows(const std::string& T, int N) const override {
        return "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < " +
               std::to_string(N) + ") INSERT INTO " + T +
               " (id, name) SELECT x, 'row ' || x FROM c";
    }
    const std::filesystem::path& File() const { return File_; }

  private:
    std::filesystem::path File_;
};

inline std::string PGConnInfo() {
    const char* E = std::getenv("QEL_PG_CONNINFO");
    return E ? E : "host=127.0.0.1 port=15432 user=postgres dbname=qeltest";
}

class TPGBackend : public TDbBackend {
  public:
    std::string Name() const override { return "PostgreSQL"; }
    std::string Unavailable() override {
        int St = 0;
        RunCapture("psql " + ShellQuote(PGConnInfo()) + " -XAtqc 'SELECT 1' 2>&1", &St);
        return St == 0 ? ""
                       : "no PostgreSQL server at '" + PGConnInfo() + "' (scripts/pg-server.sh)";
    }
    std::string Cli(const std::string& Sql) override {
        return RunCapture("psql " + ShellQuote(PGConnInfo()) + " -XAtq -F'|' -c " +
                          ShellQuote("SET client_min_messages = warning; " + Sql) + " 2>&1");
    }
    TSqlDataSet* NewDataSet(TComponent* Owner) override {
        auto* D = new TPGDataSet(Owner);
        D->SetConnectionString(PGConnInfo());
        D->SetTimeout(5000);
        return D;
    }
    std::string SerialKey() const override { return "SERIAL PRIMARY KEY"; }
    std::string FloatType() const override { return "DOUBLE PRECISION"; }
    std::string FillRows(const std::string& T, int N) const override {
        return "INSERT INTO " + T + " (id, name) SELECT x, 'row ' || x FROM generate_series(1, " +
               std::to_string(N) + ") x; SELECT setval(pg_get_serial_sequence('" + T +
               "', 'id'), " + std::to_string(N) + ")";
    }
};

inline std::unique_ptr<TDbBackend> MakeBackend(const std::string& Name) {
    if (Name == "PostgreSQL") return std::make_unique<TPGBackend>();
    return std::make_unique<TSQLiteBackend>();
}

inline std::string BackendName(const ::testing::TestParamInfo<std::string>& I) {
    return I.param;
}

// The table every driver test works on: a generated key, a required name, a unique code, a
// checked salary and a date.
inline std::string PeopleTable(const TDbBackend& B, const std::string& T) {
    return "CREATE TABLE " + T + " (id " + B.SerialKey() +
           ", name VARCHAR(40) NOT NULL, code VARCHAR(10) UNIQUE, salary " + B.FloatType() +
           " CHECK (salary >= 0), born DATE)";
}

} // namespace qel::datatest

// Skips the test when the engine cannot be reached, or fails it when QEL_REQUIRE_SERVERS is set.
#define QEL_REQUIRE_BACKEND(B)                                                                     \
    do {                                                                                           \
        const std::string Why_ = (B).Unavailable();                                                \
        if (!Why_.empty()) {                                                                       \
            if (std::getenv("QEL_REQUIRE_SERVERS")) FAIL() << Why_;                                \
            GTEST_SKIP() << Why_;                                                                  \
        }                                                                                          \
    } while (0)
