// The combo box's drop-down list with injected clicks and keys.
#include "ControlsTestSupport.h"
#include "toolkit/controls/ComboBox.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

struct ComboFixture : ::testing::Test {
    void SetUp() override {
        Headless();
        Form = new TForm(nullptr);
        Form->SetBounds(100, 100, 400, 300);
        Combo = new TComboBox(Form);
        Combo->SetParent(Form);
        Combo->SetBounds(10, 10, 150, 21);
        for (const char* S : {"Red", "Green", "Blue", "Yellow"})
            Combo->Items()->Add(S);
        Combo->OnChange = [this](TObject*) { ++Changes; };
        Form->Show();
        Pump();
    }
    void TearDown() override {
        delete Form;
        Pump();
    }
    void ClickButton() {
        TPoint P = At(Combo, Combo->ClientWidth() - 8, Combo->ClientHeight() / 2);
        Headless().Click(P.X, P.Y);
        Pump();
    }
    TForm* Form = nullptr;
    TComboBox* Combo = nullptr;
    int Changes = 0;
};

TEST_F(ComboFixture, ClickOpensThePopupAndClickingAnItemTakesIt) {
    ClickButton();
    ASSERT_TRUE(Combo->DroppedDown());
    TCustomListBox* L = Combo->DropList();
    EXPECT_EQ(L->Items()->Count(), 4);
    TRect Box;
    GetWindowRect(L->Handle(), &Box);
    TPoint Below = Combo->ClientToScreen({0, Combo->ClientHeight()});
    EXPECT_GE(Box.Top, Below.Y) << "the list drops below the box";
    TRect R = L->ItemRect(2);
    TPoint P = L->ClientToScreen({R.Left + 10, (R.Top + R.Bottom) / 2});
    Headless().Click(P.X, P.Y);
    Pump();
    EXPECT_FALSE(Combo->DroppedDown());
    EXPECT_EQ(Combo->ItemIndex(), 2);
    EXPECT_EQ(Combo->Text(), "Blue");
    EXPECT_EQ(Changes, 1);
}

TEST_F(ComboFixture, ClickOutsideOrEscapeLeavesTheValueUnchanged) {
    Combo->SetItemIndex(1);
    ClickButton();
    ASSERT_TRUE(Combo->DroppedDown());
    Headless().Key(VK_DOWN);
    Pump();
    EXPECT_EQ(Combo->DropList()->ItemIndex(), 2);
    Headless().Key(VK_ESCAPE);
    Pump();
    EXPECT_FALSE(Combo->DroppedDown());
    EXPECT_EQ(Combo->ItemIndex(), 1);
    ClickButton();
    TPoint Far = Form->ClientToScreen({350, 250});
    Headless().Click(Far.X, Far.Y);
    Pump();
    EXPECT_FALSE(Combo->DroppedDown());
    EXPECT_EQ(Combo->Text(), "Green");
    EXPECT_EQ(Changes, 0);
}

TEST_F(ComboFixture, KeyboardDropDownEnterAndTypedText) {
    Combo->SetFocus();
    Headless().Key(VK_F4);
    Pump();
    ASSERT_TRUE(Combo->DroppedDown());
    Headless().Key(VK_DOWN);
    Headless().Key(VK_DOWN);
    Headless().Key(VK_RETURN);
    Pump();
    EXPECT_FALSE(Combo->DroppedDown());
    EXPECT_EQ(Combo->Text(), "Green");
    Headless().Key(VK_DOWN);
    Pump();
    EXPECT_EQ(Combo->Text(), "Blue") << "arrows step through the items when closed";
    Combo->EditControl()->SelectAll();
    Headless().Type("Purple");
    Pump();
    EXPECT_EQ(Combo->Text(), "Purple");
    EXPECT_EQ(Combo->ItemIndex(), -1);
    Combo->SetStyle(csDropDownList);
    Combo->SetItemIndex(3);
    EXPECT_EQ(Combo->Text(), "Yellow");
    EXPECT_EQ(Combo->EditControl(), nullptr);
}

} // namespace
