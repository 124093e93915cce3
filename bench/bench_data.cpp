// Walking a 1,000,000-row SQLite table first to last and back: the dataset against the same
// walk with the sqlite3 C API alone (one statement each way). The dataset reads a few hundred
// rows at a time by key, so its memory does not grow with the table; the window counter shows
// the most rows it held at once.
#include "toolkit/data/Fields.h"
#include "toolkit/data/SQLiteDataSet.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <sqlite3.h>
#include <string>

using namespace qel;

namespace {

constexpr int Rows = 1000000;

const std::string& BigDatabase() {
    static const std::string File = [] {
        const std::string F =
            (std::filesystem::temp_directory_path() / "qel-bench-data.db").string();
        std::filesystem::remove(F);
        sqlite3* Db = nullptr;
        sqlite3_open(F.c_str(), &Db);
        const std::string Fill =
            "CREATE TABLE big (id INTEGER PRIMARY KEY, name TEXT, value REAL);"
            "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < " +
            std::to_string(Rows) + ") INSERT INTO big SELECT x, 'name ' || x, x * 0.5 FROM c;";
        sqlite3_exec(Db, Fill.c_str(), nullptr, nullptr, nullptr);
        sqlite3_close(Db);
        return F;
    }();
    return File;
}

void DataSetWalk(benchmark::State& State) {
    const std::string& File = BigDatabase();
    std::size_t MaxWindow = 0;
    for (auto _ : State) {
        TSQLiteDataSet D(nullptr);
        D.SetDatabaseName(File);
        D.SetTableName("big");
        D.Open();
        TField* Id = D.FieldByName("id");
        std::int64_t Sum = 0;
        D.First();
        for (; !D.Eof(); D.Next()) {
            Sum += Id->AsInteger();
            MaxWindow = std::max(MaxWindow, D.WindowSize());
        }
        for (D.Last(); !D.Bof(); D.Prior())
            Sum += Id->AsInteger();
        benchmark::DoNotOptimize(Sum);
    }
    State.counters["window"] = double(MaxWindow);
}

void CApiWalk(benchmark::State& State) {
    const std::string& File = BigDatabase();
    for (auto _ : State) {
        sqlite3* Db = nullptr;
        sqlite3_open_v2(File.c_str(), &Db, SQLITE_OPEN_READWRITE, nullptr);
        std::int64_t Sum = 0;
        for (const char* Sql : {"SELECT id, name, value FROM big ORDER BY rowid",
                                "SELECT id, name, value FROM big ORDER BY rowid DESC"}) {
            sqlite3_stmt* St = nullptr;
            sqlite3_prepare_v2(Db, Sql, -1, &St, nullptr);
            while (sqlite3_step(St) == SQLITE_ROW) {
                Sum += sqlite3_column_int64(St, 0);
                benchmark::DoNotOptimize(sqlite3_column_text(St, 1));
                benchmark::DoNotOptimize(sqlite3_column_double(St, 2));
            }
            sqlite3_finalize(St);
        }
        sqlite3_close(Db);
        benchmark::DoNotOptimize(Sum);
    }
}

} // namespace

BENCHMARK(CApiWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(DataSetWalk)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
