// Faults of the real engines: files that are not databases, a database another process has
// locked during Post, and a PostgreSQL server that stops in the middle of a session. Each is a
// clear EDatabaseError and nothing typed is lost.
#include "tests/toolkit/data/DataBackends.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/data/Fields.h"

#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

using namespace qel;
using namespace qel::datatest;

namespace {

std::string OpenError(TSqlDataSet& D) {
    try {
        D.Open();
    } catch (const EDatabaseError& E) {
        EXPECT_FALSE(D.Active());
        return E.what();
    }
    ADD_FAILURE() << "opened";
    return {};
}

bool WaitFor(const std::filesystem::path& P, int Ms) {
    for (int I = 0; I < Ms / 20; ++I) {
        if (std::filesystem::exists(P)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

} // namespace

TEST(SQLiteFaults, MissingOrUnreadableFilesAreClearErrors) {
    TSQLiteBackend B;
    QEL_REQUIRE_BACKEND(B);
    TSQLiteDataSet D(nullptr);
    D.SetTableName("t");
    D.SetDatabaseName("/nonexistent/dir/none.db");
    EXPECT_NE(OpenError(D).find("Cannot open database '/nonexistent/dir/none.db'"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists("/nonexistent/dir/none.db"));
    // A missing file is not created behind the user's back.
    const auto Missing = std::filesystem::temp_directory_path() / (Unique("absent") + ".db");
    D.SetDatabaseName(Missing.string());
    EXPECT_NE(OpenError(D).find("unable to open"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(Missing));
    // A file that is not a database.
    const auto Junk = std::filesystem::temp_directory_path() / (Unique("junk") + ".db");
    std::ofstream(Junk) << std::string(4096, 'x');
    D.SetDatabaseName(Junk.string());
    EXPECT_NE(OpenError(D).find("not a database"), std::string::npos);
    std::filesystem::remove(Junk);
    // A folder.
    D.SetDatabaseName(std::filesystem::temp_directory_path().string());
    EXPECT_FALSE(OpenError(D).empty());
    D.SetDatabaseName("");
    EXPECT_NE(OpenError(D).find("No database file name"), std::string::npos);
    // Nothing to show.
    ASSERT_EQ(B.Cli("CREATE TABLE t (a)"), "");
    D.SetDatabaseName(B.File().string());
    D.SetTableName("");
    EXPECT_NE(OpenError(D).find("No table name or SQL"), std::string::npos);
    D.SQL()->SetText("SELECT * FROM t; DELETE FROM t");
    EXPECT_NE(OpenError(D).find("Only one SQL statement"), std::string::npos);
}

TEST(SQLiteFaults, PostWhileAnotherProcessHoldsTheLockKeepsTheEditForARetry) {
    TSQLiteBackend B;
    QEL_REQUIRE_BACKEND(B);
    ASSERT_EQ(B.Cli("CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT); INSERT INTO t (name) "
                    "VALUES ('old')"),
              "");
    TSQLiteDataSet* D = static_cast<TSQLiteDataSet*>(B.NewDataSet(nullptr));
    std::unique_ptr<TSQLiteDataSet> Own(D);
    D->SetTableName("t");
    D->Open();
    D->Edit();
    D->FieldByName("name")->SetAsString("new");

    // Another process takes the write lock and holds it until told to let go.
    const auto Dir = std::filesystem::temp_directory_path();
    const auto Locked = Dir / Unique("locked"), Release = Dir / Unique("release");
    std::ofstream(Release) << "";
    const std::string Script = "{ printf 'BEGIN EXCLUSIVE;\\n.shell touch " + Locked.string() +
                               "\\n'; while [ -e " + Release.string() +
                               " ]; do sleep 0.05; done; echo COMMIT; } | sqlite3 " +
                               B.File().string() + " >/dev/null 2>&1 &";
    ASSERT_EQ(std::system(Script.c_str()), 0);
    ASSERT_TRUE(WaitFor(Locked, 5000)) << "the other process did not take the lock";

    try {
        D->Post();
        FAIL() << "posted through another process's lock";
    } catch (const EDatabaseError& E) {
        EXPECT_NE(std::string(E.what()).find("locked"), std::string::npos) << E.what();
    }
    EXPECT_EQ(D->State(), dsEdit);
    EXPECT_EQ(D->FieldByName("name")->AsString(), "new");

    std::filesystem::remove(Release);
    // The lock ends with the other process; then the same Post goes through.
    bool Posted = false;
    for (int I = 0; I < 100 && !Posted; ++I) {
        try {
            D->Post();
            Posted = true;
        } catch (const EDatabaseError&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    EXPECT_TRUE(Posted);
    EXPECT_EQ(D->State(), dsBrowse);
    EXPECT_EQ(B.Cli("SELECT name FROM t"), "new");
    std::filesystem::remove(Locked);
}

TEST(PGFaults, ServerStoppedMidSessionIsReportedAndTheEditSurvivesARestart) {
    TPGBackend B;
    QEL_REQUIRE_BACKEND(B);
    // Only the private test cluster may be stopped.
    if (std::getenv("QEL_PG_CONNINFO")) GTEST_SKIP() << "not the private test cluster";
    const std::string T = Unique("stop");
    ASSERT_EQ(B.Cli("CREATE TABLE " + T + " (id SERIAL PRIMARY KEY, name TEXT); INSERT INTO " + T +
                    " (name) VALUES ('before')"),
              "");
    std::unique_ptr<TSqlDataSet> D(B.NewDataSet(nullptr));
    D->SetTableName(T);
    D->Open();
    D->Edit();
    D->FieldByName("name")->SetAsString("after");
    const std::string Script = std::string("bash ") + QEL_SOURCE_DIR + "/scripts/pg-server.sh ";
    ASSERT_EQ(std::system((Script + "stop").c_str()), 0);
    try {
        D->Post();
        ADD_FAILURE() << "posted to a stopped server";
    } catch (const EDatabaseError& E) {
        EXPECT_NE(std::string(E.what()).find("server"), std::string::npos) << E.what();
    }
    EXPECT_EQ(D->State(), dsEdit);
    EXPECT_EQ(D->FieldByName("name")->AsString(), "after");
    EXPECT_THROW(D->Refresh(), EDatabaseError); // still down
    ASSERT_EQ(std::system((Script + "start >/dev/null").c_str()), 0);
    D->Post();
    EXPECT_EQ(D->State(), dsBrowse);
    EXPECT_EQ(B.Cli("SELECT name FROM " + T), "after");
    D->Close();
    B.Cli("DROP TABLE " + T);
}

TEST(PGFaults, UnreachableServerFailsFastWithTheReason) {
    TPGDataSet D(nullptr);
    D.SetConnectionString("host=127.0.0.1 port=1 user=postgres connect_timeout=2");
    D.SetTableName("t");
    const auto Start = std::chrono::steady_clock::now();
    EXPECT_NE(OpenError(D).find("Cannot connect to the PostgreSQL server"), std::string::npos);
    EXPECT_LT(std::chrono::steady_clock::now() - Start, std::chrono::seconds(5));
}
