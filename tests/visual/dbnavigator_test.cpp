// The data-aware navigator and label on both database drivers: button layout, enabling by the
// record position, every button's action reaching the database, the delete question, the
// repeat timer, focus keys, and a whole form loaded from text and drawn headless.
#include "tests/toolkit/controls/ControlsTestSupport.h"
#include "tests/toolkit/data/DataBackends.h"
#include "toolkit/controls/Dialogs.h"
#include "toolkit/controls/Forms.h"
#include "toolkit/core/FormReader.h"
#include "toolkit/core/FormWriter.h"
#include "toolkit/core/Streams.h"
#include "toolkit/data/Fields.h"
#include "toolkit/graphics/TextDraw.h"
#include "visual/QELTDBLabel.h"
#include "visual/QELTDBNavigator.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;
using namespace qel::datatest;

namespace {

struct NavLayoutTest : ::testing::Test {
    void SetUp() override {
        Headless();
        Form = std::make_unique<TForm>(nullptr);
        Form->SetBounds(0, 0, 400, 300);
        Nav = new TQELDBNavigator(Form.get());
        Nav->SetParent(Form.get());
    }
    int W(TQELNavigateBtn B) { return Nav->Buttons(B)->Width(); }
    std::unique_ptr<TForm> Form;
    TQELDBNavigator* Nav = nullptr;
};

} // namespace

TEST_F(NavLayoutTest, NewNavigatorSnapsToWholeButtonsAndIsAllDisabled) {
    EXPECT_EQ(Nav->Width(), 240); // 241 asked, ten buttons of 24
    EXPECT_EQ(Nav->Height(), 25);
    EXPECT_TRUE(Nav->ConfirmDelete());
    EXPECT_EQ(Nav->VisibleButtons(), QELAllNavButtons);
    EXPECT_EQ(Nav->ComponentCount(), 10);
    for (int I = 0; I < 10; ++I) {
        auto* B = Nav->Buttons(TQELNavigateBtn(I));
        EXPECT_FALSE(B->Enabled()) << I;
        EXPECT_EQ(B->NumGlyphs(), 2);
        EXPECT_EQ(B->Glyph()->Height(), 13);
        EXPECT_EQ(B->Glyph()->Width(), I == nbPrior || I == nbNext ? 20 : 28);
        EXPECT_EQ(B->RepeatTimer(), nullptr);
    }
    EXPECT_EQ(Nav->Buttons(nbFirst)->Hint(), "First Record");
    EXPECT_EQ(Nav->Buttons(nbCancel)->Hint(), "Cancel Edit");
    EXPECT_TRUE(Nav->Buttons(nbNext)->NavStyle().Contains(nsAllowTimer));
    EXPECT_FALSE(Nav->Buttons(nbLast)->NavStyle().Contains(nsAllowTimer));
    // The buttons are the navigator's: a form file holds none of them.
    const std::string Text = ComponentToText(Form.get());
    EXPECT_EQ(Text.find("TQELNavButton"), std::string::npos);
}

TEST_F(NavLayoutTest, AlignedBarSpreadsSparePixelsOverTheButtons) {
    Nav->SetAlign(alTop);
    Nav->SetBounds(0, 0, 243, 25);
    Form->Realign();
    Nav->SetBounds(0, 0, 243, 25);
    ASSERT_EQ(Nav->Width(), Form->ClientWidth());
    const int Spare = Nav->Width() - 10 * (Nav->Width() / 10);
    int Wide = 0, X = 0;
    for (int I = 0; I < 10; ++I) {
        auto* B = Nav->Buttons(TQELNavigateBtn(I));
        EXPECT_EQ(B->Left(), X);
        X += B->Width();
        Wide += B->Width() == Nav->ButtonWidth() + 1;
    }
    EXPECT_EQ(X, Nav->Width());
    EXPECT_EQ(Wide, Spare);
}

TEST_F(NavLayoutTest, GapOfThreeGivesThreeWiderButtons) {
    // 243 across ten: 24 each and three pixels over, unless the bar may snap.
    Nav->SetAlign(alTop);
    Form->SetClientWidth(243);
    Form->Realign();
    ASSERT_EQ(Nav->Width(), 243);
    EXPECT_EQ(Nav->ButtonWidth(), 24);
    int Wide = 0;
    for (int I = 0; I < 10; ++I)
        Wide += W(TQELNavigateBtn(I)) == 25;
    EXPECT_EQ(Wide, 3);
    Nav->SetAlign(alNone);
    Nav->SetBounds(0, 0, 243, 25);
    EXPECT_EQ(Nav->Width(), 240);
}

TEST_F(NavLayoutTest, HiddenButtonsSitBeyondTheEdge) {
    Nav->SetVisible(TQELButtonSet{nbFirst, nbPrior, nbNext, nbLast});
    EXPECT_EQ(Nav->ButtonWidth(), 60);
    EXPECT_EQ(Nav->Buttons(nbLast)->Left(), 180);
    EXPECT_FALSE(Nav->Buttons(nbInsert)->Visible());
    EXPECT_GT(Nav->Buttons(nbRefresh)->Left(), Nav->Width());
    // Too narrow for the buttons it shows: it grows to their minimum.
    Nav->SetBounds(0, 0, 30, 10);
    EXPECT_EQ(Nav->Width(), 80);
    EXPECT_EQ(Nav->Height(), 18);
}

TEST_F(NavLayoutTest, DirectionSwapsTheSidesAndStacksTheButtons) {
    Nav->SetDir(kVertical);
    EXPECT_EQ(Nav->Width(), 25);
    EXPECT_EQ(Nav->Height(), 240);
    EXPECT_EQ(Nav->ButtonHeight(), 24);
    EXPECT_EQ(Nav->Buttons(nbNext)->Top(), 48);
    EXPECT_EQ(Nav->Buttons(nbNext)->Left(), 0);
    EXPECT_EQ(Nav->Buttons(nbNext)->Width(), 25);
}

TEST_F(NavLayoutTest, HintsReplaceDefaultsLineByLine) {
    TStringList L;
    L.SetText("Go to start\n\nOnward\n");
    Nav->SetHints(&L);
    EXPECT_EQ(Nav->Buttons(nbFirst)->Hint(), "Go to start");
    EXPECT_EQ(Nav->Buttons(nbPrior)->Hint(), "Previous Record");
    EXPECT_EQ(Nav->Buttons(nbNext)->Hint(), "Onward");
    Nav->Hints()->Clear();
    EXPECT_EQ(Nav->Buttons(nbFirst)->Hint(), "First Record");
}

namespace {

// One table with three rows, a navigator and two labels on a form, for each driver.
struct NavDataTest : ::testing::TestWithParam<std::string> {
    void SetUp() override {
        Headless();
        B = MakeBackend(GetParam());
        QEL_REQUIRE_BACKEND(*B);
        T = Unique("nav");
        ASSERT_EQ(B->Cli("CREATE TABLE " + T + " (id " + B->SerialKey() +
                         ", name VARCHAR(40), pay " + B->FloatType() + ")"),
                  "");
        ASSERT_EQ(B->Cli("INSERT INTO " + T +
                         " (name, pay) VALUES ('Ada', 1234.5), ('Bob', 7), "
                         "('Cy', 0.25)"),
                  "");
        Form = std::make_unique<TForm>(nullptr);
        Form->SetBounds(0, 0, 320, 120);
        D = B->NewDataSet(Form.get());
        D->SetTableName(T);
        Src = new TDataSource(Form.get());
        Src->SetDataSet(D);
        Nav = new TQELDBNavigator(Form.get());
        Nav->SetParent(Form.get());
        Nav->SetBounds(0, 0, 240, 25);
        Name = new TQELDBLabel(Form.get());
        Name->SetParent(Form.get());
        Name->SetBounds(0, 40, 150, 30);
        Name->SetDataField("name");
        Pay = new TQELDBLabel(Form.get());
        Pay->SetParent(Form.get());
        Pay->SetBounds(160, 40, 150, 30);
        Pay->SetDataField("pay");
    }
    void TearDown() override {
        SetMessageDlgAnswerHook(nullptr);
        Form.reset();
        if (B && !T.empty() && B->Unavailable().empty()) B->Cli("DROP TABLE IF EXISTS " + T);
    }
    void Bind() {
        Nav->SetDataSource(Src);
        Name->SetDataSource(Src);
        Pay->SetDataSource(Src);
        D->Open();
    }
    bool On(TQELNavigateBtn Btn) { return Nav->Buttons(Btn)->Enabled(); }
    std::string Enabled() {
        std::string S;
        for (int I = 0; I < 10; ++I)
            S += On(TQELNavigateBtn(I)) ? '1' : '0';
        return S;
    }
    void Press(TQELNavigateBtn Btn) { Nav->Buttons(Btn)->Click(); }
    std::string Names() { return B->Cli("SELECT name FROM " + T + " ORDER BY id"); }

    std::unique_ptr<TDbBackend> B;
    std::string T;
    std::unique_ptr<TForm> Form;
    TSqlDataSet* D = nullptr;
    TDataSource* Src = nullptr;
    TQELDBNavigator* Nav = nullptr;
    TQELDBLabel *Name = nullptr, *Pay = nullptr;
};

} // namespace

TEST_P(NavDataTest, ButtonsFollowTheRecordPositionAndState) {
    Nav->SetDataSource(Src);
    EXPECT_EQ(Enabled(), "0000000000"); // closed dataset
    D->Open();
    // at the first record: nothing before it
    EXPECT_EQ(Enabled(), "0011111001");
    D->Next();
    EXPECT_EQ(Enabled(), "1111111001");
    D->Last();
    EXPECT_EQ(Enabled(), "1100111001");
    D->Edit();
    EXPECT_EQ(Enabled(), "1100110111");
    D->Cancel();
    Nav->SetEnabled(false);
    EXPECT_EQ(Enabled(), "0000000000");
    Nav->SetEnabled(true);
    EXPECT_EQ(Enabled(), "1100111001");
    Src->SetEnabled(false);
    EXPECT_EQ(Enabled(), "0000000000");
    Src->SetEnabled(true);
    D->Close();
    EXPECT_EQ(Enabled(), "0000000000");
    D->SetReadOnly(true);
    D->Open();
    EXPECT_EQ(Enabled(), "0011000000");
}

TEST_P(NavDataTest, LabelsShowTheCurrentRecord) {
    EXPECT_EQ(Name->Caption(), "");
    Bind();
    EXPECT_EQ(Name->Caption(), "Ada");
    EXPECT_EQ(Pay->Caption(), "1234.5");
    D->FieldByName("pay")->SetDisplayFormat("#,##0.00");
    EXPECT_EQ(Pay->Caption(), "1,234.50");
    Press(nbNext);
    EXPECT_EQ(Name->Caption(), "Bob");
    EXPECT_EQ(Pay->Caption(), "7.00");
    EXPECT_EQ(Name->Field(), D->FieldByName("name"));
    TMessage M{CM_GETDATALINK};
    Name->WndProc(M);
    EXPECT_EQ(reinterpret_cast<TDataLink*>(M.Result), Name->DataLink());
    D->Close();
    EXPECT_EQ(Name->Caption(), "");
    EXPECT_EQ(Name->Field(), nullptr);
}

TEST_P(NavDataTest, EveryButtonActsOnTheDatabase) {
    Bind();
    std::vector<TQELNavigateBtn> Clicked, Before;
    Nav->OnClick = [&](TObject*, TQELNavigateBtn Btn) { Clicked.push_back(Btn); };
    Nav->BeforeAction = [&](TObject*, TQELNavigateBtn Btn) { Before.push_back(Btn); };
    Press(nbLast);
    EXPECT_EQ(Name->Caption(), "Cy");
    Press(nbFirst);
    EXPECT_EQ(Name->Caption(), "Ada");

    Press(nbInsert);
    EXPECT_EQ(D->State(), dsInsert);
    EXPECT_EQ(Name->Caption(), "");
    D->FieldByName("name")->SetAsString("Dee");
    EXPECT_EQ(Name->Caption(), "Dee");
    Press(nbPost);
    EXPECT_EQ(D->State(), dsBrowse);
    EXPECT_EQ(Names(), "Ada\nBob\nCy\nDee");

    Press(nbEdit);
    D->FieldByName("name")->SetAsString("Dora");
    Press(nbCancel);
    EXPECT_EQ(Name->Caption(), "Dee");
    Press(nbEdit);
    D->FieldByName("name")->SetAsString("Dora");
    Press(nbPost);
    EXPECT_EQ(Names(), "Ada\nBob\nCy\nDora");

    B->Cli("UPDATE " + T + " SET name = 'Dot' WHERE name = 'Dora'");
    Press(nbRefresh);
    EXPECT_EQ(Name->Caption(), "Dot");

    // The delete question: Cancel keeps the record, OK deletes it; OnClick comes either way.
    std::string Asked;
    SetMessageDlgAnswerHook(
        [&](const std::string& Msg, TMsgDlgType Type, TMsgDlgButtons Btns) -> std::optional<int> {
            Asked = Msg;
            EXPECT_EQ(Type, mtConfirmation);
            EXPECT_EQ(Btns, mbOKCancel);
            return mrCancel;
        });
    Clicked.clear();
    Press(nbDelete);
    EXPECT_EQ(Asked, "Delete record?");
    EXPECT_EQ(Clicked, std::vector<TQELNavigateBtn>{nbDelete});
    EXPECT_EQ(Names(), "Ada\nBob\nCy\nDot");
    SetMessageDlgAnswerHook([](const std::string&, TMsgDlgType, TMsgDlgButtons) { return mrOk; });
    Press(nbDelete);
    EXPECT_EQ(Names(), "Ada\nBob\nCy");
    EXPECT_EQ(Name->Caption(), "Cy");
    Nav->SetConfirmDelete(false);
    SetMessageDlgAnswerHook(
        [](const std::string&, TMsgDlgType, TMsgDlgButtons) -> std::optional<int> {
            ADD_FAILURE() << "asked although ConfirmDelete is off";
            return mrCancel;
        });
    Press(nbDelete);
    EXPECT_EQ(Names(), "Ada\nBob");
    EXPECT_EQ(Before.size(), Clicked.size() + 9);
}

TEST_P(NavDataTest, HeldNextRepeatsAfter400AndThenEvery100Ms) {
    Bind();
    Form->Show();
    Pump();
    auto* Next = Nav->Buttons(nbNext);
    const TPoint P = At(Next, 5, 5);
    Headless().MouseDown(1, P.X, P.Y);
    Pump();
    ASSERT_NE(Next->RepeatTimer(), nullptr);
    EXPECT_TRUE(Next->RepeatTimer()->Enabled());
    EXPECT_EQ(Next->RepeatTimer()->Interval(), 400u);
    EXPECT_EQ(Name->Caption(), "Ada"); // a click comes with the release
    Next->TimerExpired();
    EXPECT_EQ(Next->RepeatTimer()->Interval(), 100u);
    EXPECT_EQ(Name->Caption(), "Bob");
    Headless().MouseUp(1, P.X, P.Y);
    Pump();
    EXPECT_FALSE(Next->RepeatTimer()->Enabled());
    EXPECT_EQ(Name->Caption(), "Cy");
    // Other buttons never repeat.
    const TPoint L = At(Nav->Buttons(nbFirst), 5, 5);
    Headless().MouseDown(1, L.X, L.Y);
    Headless().MouseUp(1, L.X, L.Y);
    Pump();
    EXPECT_EQ(Nav->Buttons(nbFirst)->RepeatTimer(), nullptr);
    EXPECT_EQ(Name->Caption(), "Ada");
}

TEST_P(NavDataTest, ArrowKeysMoveTheFocusAndSpaceClicks) {
    Bind();
    Nav->SetTabStop(true);
    Nav->SetVisible(TQELButtonSet{nbFirst, nbNext, nbLast});
    Form->Show();
    Pump();
    Nav->SetFocus();
    EXPECT_EQ(Nav->FocusedButton(), nbFirst);
    WORD Key = VK_RIGHT;
    Nav->Perform(WM_KEYDOWN, VK_RIGHT, 0);
    (void)Key;
    EXPECT_EQ(Nav->FocusedButton(), nbNext); // the hidden prior button is passed over
    Nav->Perform(WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(Name->Caption(), "Bob");
    for (int I = 0; I < 12; ++I)
        Nav->Perform(WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(Nav->FocusedButton(), nbRefresh); // the last one is taken even when hidden
    TMessage M{WM_GETDLGCODE};
    Nav->WndProc(M);
    EXPECT_EQ(M.Result, LRESULT(DLGC_WANTARROWS));
}

INSTANTIATE_TEST_SUITE_P(Drivers, NavDataTest, ::testing::Values("SQLite", "PostgreSQL"),
                         BackendName);

namespace {

bool HasColour(const TSurface* S, const TControl* C, std::uint32_t RGB) {
    for (int Y = C->Top(); Y < C->Top() + C->Height(); ++Y)
        for (int X = C->Left(); X < C->Left() + C->Width(); ++X)
            if ((S->Get(X, Y) & 0xFFFFFF) == RGB) return true;
    return false;
}

} // namespace

// A form file as the designer writes it: dataset, source, navigator and label, drawn headless.
TEST(DBFormTest, LoadedFormDrawsButtonsAsThePositionDemands) {
    Headless();
    TSQLiteBackend B;
    QEL_REQUIRE_BACKEND(B);
    ASSERT_EQ(B.Cli("CREATE TABLE pets (id INTEGER PRIMARY KEY, name TEXT); INSERT INTO pets "
                    "(name) VALUES ('Rex'), ('Tom')"),
              "");
    const std::string Text = "object Main: TForm\n  Left = 0\n  Top = 0\n  Width = 300\n"
                             "  Height = 100\n"
                             "  object Pets: TSQLiteDataSet\n    DatabaseName = '" +
                             B.File().string() +
                             "'\n    TableName = 'pets'\n    Active = True\n  end\n"
                             "  object PetsSource: TDataSource\n    DataSet = Pets\n  end\n"
                             "  object Bar: TQELDBNavigator\n    Left = 0\n    Top = 0\n"
                             "    Width = 240\n    Height = 25\n    DataSource = PetsSource\n"
                             "  end\n"
                             "  object PetName: TQELDBLabel\n    Left = 0\n    Top = 30\n"
                             "    Width = 120\n    Height = 24\n    DataField = 'name'\n"
                             "    DataSource = PetsSource\n  end\nend\n";
    auto Form = std::make_unique<TForm>(nullptr);
    TStringStream S(Text);
    ReadComponent(S, Form.get());
    auto* Pets = As<TSQLiteDataSet>(Form->FindComponent("Pets"));
    auto* Bar = As<TQELDBNavigator>(Form->FindComponent("Bar"));
    auto* PetName = As<TQELDBLabel>(Form->FindComponent("PetName"));
    ASSERT_TRUE(Pets->Active());
    EXPECT_EQ(PetName->Caption(), "Rex");
    Form->Show();
    Pump();
    const TSurface* Shot = GetWindowSurface(Form->Handle());
    ASSERT_NE(Shot, nullptr);
    const std::uint32_t Black = 0x000000, Grey = 0x808080;
    // At the first record first and prior show their grey disabled picture, next and last black.
    EXPECT_FALSE(HasColour(Shot, Bar->Buttons(nbFirst), Black));
    EXPECT_TRUE(HasColour(Shot, Bar->Buttons(nbFirst), Grey));
    EXPECT_TRUE(HasColour(Shot, Bar->Buttons(nbNext), Black));
    EXPECT_TRUE(HasColour(Shot, Bar->Buttons(nbLast), Black));
    EXPECT_FALSE(HasColour(Shot, Bar->Buttons(nbPost), Black));
    Pets->Last();
    Form->Repaint();
    Pump();
    Shot = GetWindowSurface(Form->Handle());
    EXPECT_TRUE(HasColour(Shot, Bar->Buttons(nbFirst), Black));
    EXPECT_FALSE(HasColour(Shot, Bar->Buttons(nbNext), Black));
    EXPECT_FALSE(HasColour(Shot, Bar->Buttons(nbLast), Black));
    EXPECT_EQ(PetName->Caption(), "Tom");
    // Written back, the form keeps the links and none of the buttons.
    const std::string Out = ComponentToText(Form.get());
    EXPECT_NE(Out.find("DataSource = PetsSource"), std::string::npos);
    EXPECT_NE(Out.find("Active = True"), std::string::npos);
    EXPECT_EQ(Out.find("ShowAccelChar"), std::string::npos);
    EXPECT_EQ(Out.find("TQELNavButton"), std::string::npos);
    // Freeing the source leaves neither control with a dangling link.
    delete Form->FindComponent("PetsSource");
    EXPECT_EQ(Bar->DataSource(), nullptr);
    EXPECT_EQ(PetName->DataSource(), nullptr);
    EXPECT_FALSE(Bar->Buttons(nbNext)->Enabled());
}

TEST(DBLabelTest, DesignTimeNameAndWrappingText) {
    Headless();
    TForm Form(nullptr);
    auto* L = new TQELDBLabel(&Form);
    L->SetName("CustomerName");
    EXPECT_EQ(L->GetFieldText(), "");
    L->SetDesigning(true);
    EXPECT_EQ(L->GetFieldText(), "CustomerName");
    EXPECT_FALSE(L->ShowAccelChar());
    EXPECT_FALSE(L->AutoSize());
    EXPECT_TRUE(L->ControlStyle().Contains(csReplicatable));
    EXPECT_TRUE(L->TextFlags() & DT_WORDBREAK);
    L->SetWordWrap(false);
    EXPECT_TRUE(L->TextFlags() & DT_WORDBREAK);
    L->Frame()->SetFrameStyle(frameFramedUp);
    L->Frame()->Setwidth(2);
    L->SetBounds(0, 0, 100, 40);
    const int Fw = L->Frame()->Calcwidth();
    EXPECT_EQ(L->TextRect(), (TRect{2 * Fw, 2 * Fw, 100 - 2 * Fw, 40 - 2 * Fw}));
}
