// Radio groups, group boxes, status bars and bitmap buttons with injected input.
#include "ControlsTestSupport.h"
#include "toolkit/controls/BitBtn.h"
#include "toolkit/controls/ExtCtrls.h"
#include "toolkit/controls/GroupBox.h"
#include "toolkit/controls/RadioGroup.h"
#include "toolkit/controls/StatusBar.h"
#include "toolkit/controls/StdCtrls.h"
#include "toolkit/core/FormReader.h"
#include "toolkit/core/FormWriter.h"
#include "toolkit/core/Streams.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

struct GroupFixture : ::testing::Test {
    void SetUp() override {
        Headless();
        Form = new TForm(nullptr);
        Form->SetBounds(100, 100, 400, 300);
    }
    void TearDown() override {
        delete Form;
        Pump();
    }
    TForm* Form = nullptr;
};

TEST_F(GroupFixture, RadioGroupClickChecksOneItemAndKeepsButtonsInStep) {
    auto* G = new TRadioGroup(Form);
    G->SetParent(Form);
    G->SetBounds(10, 10, 200, 120);
    G->SetCaption("Size");
    G->Items()->Add("Small");
    G->Items()->Add("Medium");
    G->Items()->Add("Large");
    int Clicks = 0;
    G->OnClick = [&](TObject*) { ++Clicks; };
    Form->Show();
    Pump();
    ASSERT_EQ(G->ButtonCount(), 3);
    EXPECT_EQ(G->ItemIndex(), -1);
    TRadioButton* Large = G->Buttons(2);
    EXPECT_GT(Large->Top(), G->Buttons(0)->Top()) << "one column, top to bottom";
    TPoint P = At(Large, 5, Large->Height() / 2);
    Headless().Click(P.X, P.Y);
    Pump();
    EXPECT_EQ(G->ItemIndex(), 2);
    EXPECT_EQ(Clicks, 1);
    EXPECT_TRUE(Large->Checked());
    G->SetItemIndex(0);
    EXPECT_TRUE(G->Buttons(0)->Checked());
    EXPECT_FALSE(Large->Checked());
    G->Items()->Delete(2);
    EXPECT_EQ(G->ButtonCount(), 2);
    G->SetColumns(2);
    EXPECT_EQ(G->Buttons(0)->Top(), G->Buttons(1)->Top()) << "two columns side by side";
}

TEST_F(GroupFixture, RadioGroupStreamsItsItemsButNotItsButtons) {
    auto* G = new TRadioGroup(Form);
    G->SetName("Choice");
    G->SetParent(Form);
    G->Items()->Add("A");
    G->Items()->Add("B");
    G->SetItemIndex(1);
    TMemoryStream S;
    WriteComponent(S, Form);
    std::string Text(reinterpret_cast<const char*>(S.Memory()), static_cast<std::size_t>(S.Size()));
    EXPECT_NE(Text.find("ItemIndex = 1"), std::string::npos) << Text;
    EXPECT_EQ(Text.find("TRadioButton"), std::string::npos) << Text;
    S.SetPosition(0);
    auto Copy = LoadComponentFromStream(S);
    auto* G2 = dynamic_cast<TRadioGroup*>(Copy->FindComponent("Choice"));
    ASSERT_NE(G2, nullptr);
    EXPECT_EQ(G2->ButtonCount(), 2);
    EXPECT_TRUE(G2->Buttons(1)->Checked());
}

TEST_F(GroupFixture, GroupBoxClientAreaLeavesRoomForTheCaption) {
    auto* G = new TGroupBox(Form);
    G->SetParent(Form);
    G->SetBounds(10, 10, 200, 100);
    G->SetCaption("Options");
    auto* Inner = new TPanel(Form);
    Inner->SetParent(G);
    Inner->SetAlign(alClient);
    EXPECT_GT(Inner->Top(), 8);
    EXPECT_LT(Inner->Height(), 100 - 8);
}

TEST_F(GroupFixture, StatusBarPanelsAndBitBtnKinds) {
    auto* Bar = new TStatusBar(Form);
    Bar->SetParent(Form);
    auto* P1 = Bar->Panels()->Add();
    P1->SetWidth(100);
    P1->SetText("Ready");
    Bar->Panels()->Add()->SetText("rest");
    Form->Show();
    Pump();
    EXPECT_EQ(Bar->Top() + Bar->Height(), Form->ClientHeight()) << "aligned to the bottom";
    EXPECT_EQ(Bar->PanelRect(0).Right, 100);
    EXPECT_EQ(Bar->PanelRect(1).Right, Bar->ClientWidth()) << "the last panel takes the rest";

    auto* Ok = new TBitBtn(Form);
    Ok->SetParent(Form);
    Ok->SetBounds(10, 10, 90, 27);
    Ok->SetKind(bkOK);
    EXPECT_EQ(Ok->Caption(), "OK");
    EXPECT_EQ(Ok->ModalResult(), mrOk);
    EXPECT_TRUE(Ok->Default());
    int Clicks = 0;
    Ok->OnClick = [&](TObject*) { ++Clicks; };
    Pump();
    // The owner-drawn face has the tick in green left of the caption.
    bool Green = false;
    TPoint Org = Ok->ClientToScreen({0, 0});
    TPoint FormOrg = Form->ClientToScreen({0, 0});
    for (int Y = 0; Y < 27 && !Green; ++Y)
        for (int X = 0; X < 45 && !Green; ++X)
            Green = PixelAt(Form, Org.X - FormOrg.X + X, Org.Y - FormOrg.Y + Y) == 0xFF008000u ||
                    (PixelAt(Form, Org.X - FormOrg.X + X, Org.Y - FormOrg.Y + Y) & 0xFFFFFF) ==
                        0x008000u;
    EXPECT_TRUE(Green);
    TPoint C = At(Ok, 45, 13);
    Headless().Click(C.X, C.Y);
    Pump();
    EXPECT_EQ(Clicks, 1);
}

TEST_F(GroupFixture, LongHintOfTheControlUnderTheMouseReachesAutoHintStatusBars) {
    auto* Save = new TButton(Form);
    Save->SetParent(Form);
    Save->SetBounds(10, 10, 80, 25);
    Save->SetHint("Save|Saves the document");
    auto* Plain = new TButton(Form);
    Plain->SetParent(Form);
    Plain->SetBounds(10, 50, 80, 25);
    Plain->SetHint("Open"); // no bar: the whole hint is both parts
    auto* Bare = new TButton(Form);
    Bare->SetParent(Form);
    Bare->SetBounds(10, 90, 80, 25);
    auto* Simple = new TStatusBar(Form);
    Simple->SetParent(Form);
    Simple->SetAutoHint(true);
    auto* Paneled = new TStatusBar(Form);
    Paneled->SetParent(Form);
    Paneled->SetAutoHint(true);
    Paneled->Panels()->Add()->SetText("Ready");
    Paneled->Panels()->Add()->SetText("kept");
    auto* Manual = new TStatusBar(Form);
    Manual->SetParent(Form);
    Manual->SetSimpleText("mine");
    Form->Show();
    Pump();
    auto Over = [](TControl* C) {
        TPoint P = At(C, 5, 5);
        Headless().MouseMove(P.X, P.Y);
        Pump();
    };
    Over(Save);
    EXPECT_EQ(Application->Hint(), "Saves the document");
    EXPECT_EQ(Simple->SimpleText(), "Saves the document");
    EXPECT_EQ(Paneled->Panels()->Items(0)->Text(), "Saves the document");
    EXPECT_EQ(Paneled->Panels()->Items(1)->Text(), "kept");
    EXPECT_EQ(Manual->SimpleText(), "mine") << "a bar without AutoHint keeps its text";
    Over(Plain);
    EXPECT_EQ(Simple->SimpleText(), "Open");
    Over(Bare);
    EXPECT_EQ(Simple->SimpleText(), "") << "a control without a hint clears it";

    // An OnHint handler takes the hint instead of the bars.
    int Told = 0;
    Application->OnHint = [&](TObject*) { ++Told; };
    Over(Save);
    Application->OnHint = nullptr;
    EXPECT_EQ(Told, 1);
    EXPECT_EQ(Simple->SimpleText(), "");
    Over(Bare);
}

} // namespace
