// Both drivers against a real database: navigation, every edit reaching the database (checked
// through the engine's own client), and refused writes that keep what was typed.
#include "tests/toolkit/data/DataBackends.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/data/Fields.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::datatest;

namespace {

std::string Lower(std::string S) {
    for (char& C : S)
        C = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
    return S;
}

struct DriverTest : ::testing::TestWithParam<std::string> {
    void SetUp() override {
        B = MakeBackend(GetParam());
        QEL_REQUIRE_BACKEND(*B);
        T = Unique("people");
        ASSERT_EQ(B->Cli(PeopleTable(*B, T)), "");
        ASSERT_EQ(B->Cli("INSERT INTO " + T +
                         " (id, name, code, salary, born) VALUES (1, 'Ada', 'A1', 10.5, "
                         "'1815-12-10'), (2, 'Bob', 'B2', 20, NULL), (3, 'Cy', 'C3', 30, NULL)"),
                  "");
        if (GetParam() == "PostgreSQL")
            B->Cli("SELECT setval(pg_get_serial_sequence('" + T + "', 'id'), 3)");
        Owner = std::make_unique<TComponent>(nullptr);
        D = B->NewDataSet(Owner.get());
        D->SetTableName(T);
    }
    void TearDown() override {
        Owner.reset();
        if (B && !T.empty() && B->Unavailable().empty()) B->Cli("DROP TABLE IF EXISTS " + T);
    }
    std::string Names() { return B->Cli("SELECT name FROM " + T + " ORDER BY id"); }
    std::string F(const char* Name) { return D->FieldByName(Name)->AsString(); }

    std::unique_ptr<TDbBackend> B;
    std::string T;
    std::unique_ptr<TComponent> Owner;
    TSqlDataSet* D = nullptr;
};

} // namespace

TEST_P(DriverTest, OpensWithTypedFieldsAndWalksBothWays) {
    D->Open();
    ASSERT_EQ(D->FieldCount(), 5);
    EXPECT_EQ(D->FieldByName("id")->DataType(), ftInteger);
    EXPECT_EQ(D->FieldByName("NAME")->DataType(), ftString);
    EXPECT_EQ(D->FieldByName("salary")->DataType(), ftFloat);
    EXPECT_EQ(D->FieldByName("born")->DataType(), ftDateTime);
    EXPECT_TRUE(D->FieldByName("name")->Required());
    EXPECT_FALSE(D->FieldByName("id")->Required()); // numbered by the database
    EXPECT_TRUE(D->CanModify());
    EXPECT_TRUE(D->Bof());
    EXPECT_FALSE(D->Eof());
    EXPECT_EQ(F("name"), "Ada");
    EXPECT_DOUBLE_EQ(D->FieldByName("salary")->AsFloat(), 10.5);
    EXPECT_EQ(D->FieldByName("born")->DisplayText(), "1815-12-10");
    EXPECT_TRUE(D->FieldByName("born")->AsDateTime() < 0); // before 1899
    D->Next();
    EXPECT_FALSE(D->Bof());
    EXPECT_EQ(F("name"), "Bob");
    EXPECT_TRUE(D->FieldByName("born")->IsNull());
    D->Next();
    EXPECT_FALSE(D->Eof());
    D->Next(); // only a failed step sets EOF
    EXPECT_TRUE(D->Eof());
    EXPECT_EQ(F("name"), "Cy");
    D->Prior();
    EXPECT_EQ(F("name"), "Bob");
    D->Last();
    EXPECT_TRUE(D->Eof());
    EXPECT_EQ(F("name"), "Cy");
    D->First();
    EXPECT_EQ(F("name"), "Ada");
    D->Prior();
    EXPECT_TRUE(D->Bof());
    EXPECT_EQ(F("name"), "Ada");
    EXPECT_THROW(D->FieldByName("nothing"), EDatabaseError);
}

TEST_P(DriverTest, InsertEditDeleteReachTheDatabase) {
    D->Open();
    D->Insert();
    EXPECT_EQ(D->State(), dsInsert);
    D->FieldByName("name")->SetAsString("Dee");
    D->FieldByName("code")->SetAsString("D4");
    D->FieldByName("salary")->SetAsFloat(40.25);
    D->FieldByName("born")->SetAsDateTime(EncodeDateTime(1990, 5, 17));
    D->Post();
    EXPECT_EQ(D->State(), dsBrowse);
    EXPECT_EQ(F("name"), "Dee");
    EXPECT_EQ(D->FieldByName("id")->AsInteger(), 4); // the key the database gave
    EXPECT_EQ(B->Cli("SELECT name, code, salary, born FROM " + T + " WHERE id = 4"),
              "Dee|D4|40.25|1990-05-17");

    D->First();
    D->Edit();
    D->FieldByName("salary")->SetAsInteger(11);
    D->Post();
    EXPECT_EQ(B->Cli("SELECT salary FROM " + T + " WHERE id = 1"),
              GetParam() == "SQLite" ? "11.0" : "11");
    EXPECT_EQ(F("name"), "Ada");

    D->Next();
    D->Delete();
    EXPECT_EQ(Names(), "Ada\nCy\nDee");
    EXPECT_EQ(F("name"), "Cy"); // the next record takes its place
    D->Last();
    D->Delete();
    EXPECT_EQ(F("name"), "Cy"); // the last one gone: the new last
    EXPECT_EQ(Names(), "Ada\nCy");
}

TEST_P(DriverTest, CancelLeavesTheDatabaseAlone) {
    D->Open();
    D->Edit();
    D->FieldByName("name")->SetAsString("Changed");
    D->Cancel();
    EXPECT_EQ(F("name"), "Ada");
    D->Insert();
    D->FieldByName("name")->SetAsString("Never");
    D->Cancel();
    EXPECT_EQ(D->State(), dsBrowse);
    EXPECT_EQ(F("name"), "Ada");
    EXPECT_EQ(Names(), "Ada\nBob\nCy");
    // Moving away posts a pending edit, as it always has.
    D->Edit();
    D->FieldByName("name")->SetAsString("Ann");
    D->Next();
    EXPECT_EQ(Names(), "Ann\nBob\nCy");
}

TEST_P(DriverTest, RefreshShowsWhatAnotherConnectionChanged) {
    D->Open();
    D->Next();
    ASSERT_EQ(B->Cli("UPDATE " + T + " SET name = 'Robert' WHERE id = 2"), "");
    EXPECT_EQ(F("name"), "Bob");
    D->Refresh();
    EXPECT_EQ(F("name"), "Robert");
    // Gone elsewhere: Refresh lands on the next row; a write to it is refused.
    ASSERT_EQ(B->Cli("DELETE FROM " + T + " WHERE id = 2"), "");
    D->Edit();
    D->FieldByName("name")->SetAsString("Bobby");
    EXPECT_THROW(D->Post(), EDatabaseError);
    EXPECT_EQ(D->State(), dsEdit);
    D->Cancel();
    D->Refresh();
    EXPECT_EQ(F("name"), "Cy");
}

TEST_P(DriverTest, UniqueKeyViolationKeepsTheTypedRecord) {
    D->Open();
    D->Insert();
    D->FieldByName("name")->SetAsString("Dup");
    D->FieldByName("code")->SetAsString("B2");
    try {
        D->Post();
        FAIL() << "a duplicate code was accepted";
    } catch (const EDatabaseError& E) {
        EXPECT_NE(Lower(E.what()).find("unique"), std::string::npos) << E.what();
    }
    EXPECT_EQ(D->State(), dsInsert);
    EXPECT_EQ(F("name"), "Dup");
    EXPECT_EQ(F("code"), "B2");
    D->FieldByName("code")->SetAsString("X9");
    D->Post();
    EXPECT_EQ(B->Cli("SELECT name FROM " + T + " WHERE code = 'X9'"), "Dup");
    EXPECT_EQ(B->Cli("SELECT count(*) FROM " + T), "4");
}

TEST_P(DriverTest, CheckConstraintRefusalKeepsTheEdit) {
    D->Open();
    D->Edit();
    D->FieldByName("salary")->SetAsFloat(-5);
    try {
        D->Post();
        FAIL() << "a negative salary was accepted";
    } catch (const EDatabaseError& E) {
        EXPECT_NE(Lower(E.what()).find("check"), std::string::npos) << E.what();
    }
    EXPECT_EQ(D->State(), dsEdit);
    EXPECT_DOUBLE_EQ(D->FieldByName("salary")->AsFloat(), -5);
    D->FieldByName("salary")->SetAsFloat(5);
    D->Post();
    EXPECT_EQ(B->Cli("SELECT salary FROM " + T + " WHERE id = 1"),
              GetParam() == "SQLite" ? "5.0" : "5");
}

TEST_P(DriverTest, RequiredFieldIsCheckedBeforeWriting) {
    D->Open();
    D->Insert();
    D->FieldByName("code")->SetAsString("Q1");
    EXPECT_THROW(D->Post(), EDatabaseError);
    EXPECT_EQ(D->State(), dsInsert);
    EXPECT_EQ(F("code"), "Q1");
}

TEST_P(DriverTest, MissingTableIsAClearError) {
    D->SetTableName("no_such_table");
    try {
        D->Open();
        FAIL();
    } catch (const EDatabaseError& E) {
        EXPECT_NE(std::string(E.what()).find("'no_such_table' does not exist"), std::string::npos)
            << E.what();
    }
    EXPECT_FALSE(D->Active());
    D->SetTableName(T);
    D->Open();
    EXPECT_EQ(F("name"), "Ada");
}

TEST_P(DriverTest, QueriesAreEditableOnlyWhenTheyNameOneTableWithItsKey) {
    D->SetTableName("");
    D->SQL()->SetText("SELECT id, name FROM " + T + " WHERE id >= 2 ORDER BY id");
    D->Open();
    EXPECT_TRUE(D->CanModify());
    EXPECT_EQ(F("name"), "Bob");
    D->Edit();
    D->FieldByName("name")->SetAsString("Bo");
    D->Post();
    EXPECT_EQ(Names(), "Ada\nBo\nCy");
    D->Insert();
    D->FieldByName("name")->SetAsString("Eve");
    D->Post();
    EXPECT_EQ(F("name"), "Eve");
    EXPECT_EQ(B->Cli("SELECT count(*) FROM " + T + " WHERE name = 'Eve'"), "1");
    D->Delete();
    EXPECT_EQ(B->Cli("SELECT count(*) FROM " + T), "3");

    D->SQL()->SetText("SELECT name, salary * 2 AS twice FROM " + T);
    EXPECT_FALSE(D->Active()); // a new statement closes the old result
    D->Open();
    EXPECT_FALSE(D->CanModify());
    EXPECT_THROW(D->Edit(), EDatabaseError);
    EXPECT_THROW(D->Insert(), EDatabaseError);
    EXPECT_EQ(D->State(), dsBrowse);
}

TEST_P(DriverTest, WalkingManyRowsKeepsOnlyAWindow) {
    const std::string Big = Unique("many");
    ASSERT_EQ(B->Cli("CREATE TABLE " + Big + " (id " + B->SerialKey() + ", name VARCHAR(20))"), "");
    ASSERT_NE(B->Cli(B->FillRows(Big, 3000)), "error");
    D->SetTableName(Big);
    D->Open();
    int Count = 1;
    std::size_t MaxWindow = 0;
    std::int64_t Last = D->FieldByName("id")->AsInteger();
    bool Ordered = true;
    for (D->Next(); !D->Eof(); D->Next()) {
        ++Count;
        const std::int64_t Id = D->FieldByName("id")->AsInteger();
        Ordered = Ordered && Id == Last + 1;
        Last = Id;
        MaxWindow = std::max(MaxWindow, D->WindowSize());
    }
    EXPECT_EQ(Count, 3000);
    EXPECT_TRUE(Ordered);
    EXPECT_LE(MaxWindow, std::size_t(4 * TDataSet::FetchCount + TDataSet::FetchCount));
    int Back = 1;
    for (D->Prior(); !D->Bof(); D->Prior())
        ++Back;
    EXPECT_EQ(Back, 3000);
    EXPECT_EQ(D->FieldByName("id")->AsInteger(), 1);
    EXPECT_EQ(D->MoveBy(2500), 2500);
    EXPECT_EQ(D->FieldByName("id")->AsInteger(), 2501);
    D->Close();
    B->Cli("DROP TABLE " + Big);
}

INSTANTIATE_TEST_SUITE_P(Drivers, DriverTest, ::testing::Values("SQLite", "PostgreSQL"),
                         BackendName);
