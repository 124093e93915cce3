// Field conversions and display formats, and what data sources and links tell controls,
// including handlers that free the dataset or the source while they are told.
#include "tests/toolkit/data/DataBackends.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/data/DataSource.h"
#include "toolkit/data/Fields.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::datatest;

TEST(DataFormat, NumbersFollowTheirPattern) {
    EXPECT_EQ(FormatFloat("#,##0.00", 1234567.891), "1,234,567.89");
    EXPECT_EQ(FormatFloat("0.0", 0.05), "0.1");
    EXPECT_EQ(FormatFloat("#.##", 0.5), ".5");
    EXPECT_EQ(FormatFloat("000", 7), "007");
    EXPECT_EQ(FormatFloat("0.00", -0.001), "0.00"); // no minus sign on a rounded zero
    EXPECT_EQ(FormatFloat("0.00;(0.00)", -3.5), "(3.50)");
    EXPECT_EQ(FormatFloat("0;-0;'none'", 0), "none");
    EXPECT_EQ(FormatFloat("'$'#,##0", 1500), "$1,500");
    EXPECT_EQ(FormatFloat("0 'kg'", 12), "12 kg");
    EXPECT_EQ(FormatFloat("", 2.5), "2.5");
}

TEST(DataFormat, DatesFollowTheirPatternAndIsoTextRoundTrips) {
    const TDateTime T = EncodeDateTime(2024, 2, 29, 13, 5, 9);
    EXPECT_EQ(FormatDateTime("dd/mm/yyyy hh:nn:ss", T), "29/02/2024 13:05:09");
    EXPECT_EQ(FormatDateTime("d mmm yy", T), "29 Feb 24");
    EXPECT_EQ(FormatDateTime("mmmm d, yyyy h:nn ampm", T), "February 29, 2024 1:05 pm");
    EXPECT_EQ(FormatDateTime("'day' d", T), "day 29");
    EXPECT_EQ(IsoDateTime(T), "2024-02-29 13:05:09");
    EXPECT_EQ(IsoDateTime(EncodeDateTime(1899, 12, 30)), "1899-12-30");
    EXPECT_DOUBLE_EQ(EncodeDateTime(1899, 12, 30), 0);
    EXPECT_DOUBLE_EQ(EncodeDateTime(1900, 1, 1), 2);
    EXPECT_NEAR(*ParseIsoDateTime("2024-02-29 13:05:09"), T, 1e-9);
    EXPECT_NEAR(*ParseIsoDateTime("2024-02-29T13:05:09.250"), T + 0.25 / 86400, 1e-9);
    EXPECT_EQ(IsoDateTime(*ParseIsoDateTime("0001-01-01")), "0001-01-01");
    EXPECT_FALSE(ParseIsoDateTime("2024-13-01"));
    EXPECT_FALSE(ParseIsoDateTime("2024-02-29 25:00"));
    EXPECT_FALSE(ParseIsoDateTime("yesterday"));
    EXPECT_FALSE(ParseIsoDateTime("2024-02-29 13:05:09 junk"));
    // Just under midnight rounds up to the next day, never to 24:00.
    EXPECT_EQ(IsoDateTime(EncodeDateTime(2024, 1, 1) - 1e-10), "2024-01-01");
}

namespace {

struct FieldTest : ::testing::Test {
    void SetUp() override {
        QEL_REQUIRE_BACKEND(B);
        ASSERT_EQ(B.Cli("CREATE TABLE t (id INTEGER PRIMARY KEY, n INTEGER, x REAL, d DATETIME, "
                        "b BOOLEAN, s TEXT); INSERT INTO t VALUES (1, 42, 2.5, "
                        "'2001-02-03 04:05:06', 1, 'text'), (2, NULL, NULL, 'not a date', NULL, "
                        "NULL)"),
                  "");
        D = static_cast<TSQLiteDataSet*>(B.NewDataSet(&Owner));
        D->SetTableName("t");
        D->Open();
    }
    TField* F(const char* N) { return D->FieldByName(N); }
    TSQLiteBackend B;
    TComponent Owner{nullptr};
    TSQLiteDataSet* D = nullptr;
};

} // namespace

TEST_F(FieldTest, TypedFieldsConvertOnTheWayInAndOut) {
    EXPECT_TRUE(F("n")->Is<TIntegerField>());
    EXPECT_TRUE(F("x")->Is<TFloatField>());
    EXPECT_TRUE(F("d")->Is<TDateTimeField>());
    EXPECT_TRUE(F("b")->Is<TBooleanField>());
    EXPECT_TRUE(F("s")->Is<TStringField>());
    EXPECT_EQ(F("n")->AsString(), "42");
    EXPECT_DOUBLE_EQ(F("n")->AsFloat(), 42);
    EXPECT_EQ(F("x")->AsInteger(), 3); // rounded, halves away from zero
    EXPECT_EQ(F("d")->AsDateTime(), EncodeDateTime(2001, 2, 3, 4, 5, 6));
    EXPECT_TRUE(F("b")->AsBoolean());
    EXPECT_EQ(F("b")->DisplayText(), "True");
    F("n")->SetDisplayFormat("0000");
    EXPECT_EQ(F("n")->DisplayText(), "0042");
    F("d")->SetDisplayFormat("dd.mm.yyyy");
    EXPECT_EQ(F("d")->DisplayText(), "03.02.2001");
    // Writing needs edit state, and a value the field's type can hold.
    EXPECT_THROW(F("n")->SetAsInteger(1), EDatabaseError);
    D->Edit();
    EXPECT_THROW(F("n")->SetAsString("forty"), EConvertError);
    EXPECT_THROW(F("n")->SetAsFloat(1.5), EConvertError);
    EXPECT_THROW(F("d")->SetAsString("31 Feb"), EConvertError);
    EXPECT_EQ(F("n")->AsInteger(), 42); // a refused value changes nothing
    F("n")->SetAsString("7");
    F("x")->SetAsInteger(3);
    F("b")->SetAsString("false");
    F("s")->SetAsInteger(12);
    F("d")->SetAsString("");
    EXPECT_TRUE(F("d")->IsNull());
    EXPECT_TRUE(D->Modified());
    D->Post();
    EXPECT_EQ(B.Cli("SELECT n, x, b, s, d IS NULL FROM t WHERE id = 1"), "7|3.0|0|12|1");
}

TEST_F(FieldTest, NullsAndTextThatIsNotADateShowAsTheyAre) {
    D->Next();
    EXPECT_TRUE(F("n")->IsNull());
    EXPECT_EQ(F("n")->AsInteger(), 0);
    EXPECT_EQ(F("n")->DisplayText(), "");
    EXPECT_EQ(F("s")->AsString(), "");
    // A date column holding other text shows that text rather than failing the paint.
    EXPECT_EQ(F("d")->DisplayText(), "not a date");
    EXPECT_THROW(F("d")->AsDateTime(), EConvertError);
}

TEST_F(FieldTest, SourcesAndLinksReportStateAndData) {
    TDataSource Src(nullptr);
    TFieldDataLink Link;
    int Data = 0, Active = 0, Editing = 0, States = 0;
    Link.OnDataChange = [&](TObject*) { ++Data; };
    Link.OnActiveChange = [&](TObject*) { ++Active; };
    Link.OnEditingChange = [&](TObject*) { ++Editing; };
    Src.OnStateChange = [&](TObject*) { ++States; };
    Link.SetFieldName("s");
    Link.SetDataSource(&Src);
    EXPECT_FALSE(Link.Active());
    Src.SetDataSet(D);
    EXPECT_TRUE(Link.Active());
    EXPECT_EQ(Link.Field(), F("s"));
    EXPECT_EQ(Active, 1);
    EXPECT_EQ(Src.State(), dsBrowse);
    Data = 0;
    D->Next();
    EXPECT_EQ(Data, 1);
    EXPECT_TRUE(Link.Edit()); // AutoEdit puts the dataset into edit state
    EXPECT_EQ(D->State(), dsEdit);
    EXPECT_EQ(Editing, 1);
    Data = 0;
    F("n")->SetAsInteger(5); // another field: no news for this link
    EXPECT_EQ(Data, 0);
    F("s")->SetAsString("x");
    EXPECT_EQ(Data, 1);
    D->Cancel();
    EXPECT_FALSE(Link.Editing());
    Src.SetAutoEdit(false);
    EXPECT_FALSE(Link.Edit());
    Src.SetEnabled(false);
    EXPECT_FALSE(Link.Active());
    EXPECT_EQ(Src.State(), dsInactive);
    Src.SetEnabled(true);
    D->Close();
    EXPECT_FALSE(Link.Active());
    EXPECT_EQ(Link.Field(), nullptr);
    EXPECT_GE(States, 3);
    D->Open();
    delete D; // the source and the link let go
    D = nullptr;
    EXPECT_EQ(Src.DataSet(), nullptr);
    EXPECT_FALSE(Link.Active());
}

TEST_F(FieldTest, HandlersMayFreeTheDatasetOrTheSource) {
    auto* Src = new TDataSource(nullptr);
    Src->SetDataSet(D);
    TFieldDataLink Link;
    Link.SetDataSource(Src);
    Link.OnDataChange = [&](TObject*) {
        if (Src && D && D->FieldByName("id")->AsInteger() == 2) {
            // Freeing the source tells this link too, so forget it first.
            auto* Gone = Src;
            Src = nullptr;
            delete Gone;
        }
    };
    D->Next();
    EXPECT_EQ(Src, nullptr);
    EXPECT_EQ(Link.DataSource(), nullptr);
    D->AfterScroll = [this](TDataSet* DS) {
        delete DS;
        D = nullptr;
    };
    D->First();
    EXPECT_EQ(D, nullptr);
}

TEST_F(FieldTest, BeforePostMayRefuseAndCheckBrowseModePosts) {
    D->BeforePost = [](TDataSet*) { throw EAbort("no"); };
    D->Edit();
    F("n")->SetAsInteger(9);
    EXPECT_THROW(D->Post(), EAbort);
    EXPECT_EQ(D->State(), dsEdit);
    D->BeforePost = nullptr;
    D->CheckBrowseMode();
    EXPECT_EQ(D->State(), dsBrowse);
    EXPECT_EQ(B.Cli("SELECT n FROM t WHERE id = 1"), "9");
    // Edit of an empty dataset starts an insert.
    B.Cli("DELETE FROM t");
    D->Refresh();
    EXPECT_TRUE(D->IsEmpty());
    EXPECT_TRUE(D->Bof() && D->Eof());
    EXPECT_THROW(D->Delete(), EDatabaseError);
    D->Edit();
    EXPECT_EQ(D->State(), dsInsert);
}
