// The combo box's drop-down list with injected clicks and keys.
#include "ControlsTestSupport.h"
#include "toolkit/controls/ComboBox.h"
#include "toolkit/core/FormReader.h"
#include "toolkit/core/Streams.h"
#include "toolkit/graphics/Canvas.h"

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

// Owner-drawn items fill their rectangle with a colour of their own, so the pixels show which
// item went where and through which canvas.
TColor ItemColor(int Index) {
    return static_cast<TColor>(0x102030 * (Index + 1));
}

TEST_F(ComboFixture, TypedLettersPickItemsInADropDownList) {
    Combo->Items()->Add("Black");
    Combo->SetStyle(csDropDownList);
    Combo->SetFocus();
    Headless().Type("b");
    Pump();
    EXPECT_EQ(Combo->Text(), "Blue");
    Headless().Type("b");
    Pump();
    EXPECT_EQ(Combo->Text(), "Black") << "the next item with that letter";
    Headless().Type("B");
    Pump();
    EXPECT_EQ(Combo->Text(), "Blue") << "round again, whatever the case";
    EXPECT_EQ(Changes, 3);
    Headless().Key(VK_F4);
    Headless().Type("y");
    Pump();
    EXPECT_EQ(Combo->DropList()->ItemIndex(), 3);
    EXPECT_EQ(Combo->Text(), "Blue") << "in the open list the choice waits for Enter";
    Headless().Key(VK_RETURN);
    Pump();
    EXPECT_EQ(Combo->Text(), "Yellow");
}

TEST_F(ComboFixture, OwnerDrawFixedDrawsTheFaceAndTheListThroughTheCombosCanvas) {
    std::vector<std::pair<int, bool>> Drawn; // index, face
    Combo->OnDrawItem = [&](TWinControl* C, int Index, TRect R, TOwnerDrawState State) {
        EXPECT_EQ(C, Combo);
        Drawn.emplace_back(Index, State.Contains(odComboBoxEdit));
        Combo->Canvas()->Brush()->SetColor(ItemColor(Index));
        Combo->Canvas()->FillRect(R);
    };
    Combo->SetStyle(csOwnerDrawFixed);
    Combo->SetItemHeight(24);
    EXPECT_EQ(Combo->Height(), 24 + 6) << "the face holds one item";
    EXPECT_EQ(Combo->EditControl(), nullptr);
    Combo->SetItemIndex(2);
    Combo->Repaint();
    Pump();
    ASSERT_FALSE(Drawn.empty());
    EXPECT_EQ(Drawn.back(), std::make_pair(2, true));
    TPoint Face = Form->ScreenToClient(At(Combo, 10, Combo->ClientHeight() / 2));
    EXPECT_EQ(PixelAt(Form, Face.X, Face.Y), PixelFromRGB(ColorToRGB(ItemColor(2))));

    Drawn.clear();
    ClickButton();
    ASSERT_TRUE(Combo->DroppedDown());
    TCustomListBox* L = Combo->DropList();
    EXPECT_EQ(L->ItemRect(1).Height(), 24);
    EXPECT_EQ(std::count(Drawn.begin(), Drawn.end(), std::make_pair(3, false)), 1);
    TRect R = L->ItemRect(3);
    const TSurface* S = GetWindowSurface(L->Handle());
    ASSERT_NE(S, nullptr);
    TPoint In = L->ClientToScreen({R.Left + 5, R.Top + 5});
    TRect W;
    GetWindowRect(L->Handle(), &W);
    EXPECT_EQ(S->Get(In.X - W.Left, In.Y - W.Top), PixelFromRGB(ColorToRGB(ItemColor(3))))
        << "the item reached the list's window, not the combo's";
    TPoint P = L->ClientToScreen({R.Left + 5, R.Top + 5});
    Headless().Click(P.X, P.Y);
    Pump();
    EXPECT_EQ(Combo->ItemIndex(), 3);
    EXPECT_EQ(Changes, 1);
}

TEST_F(ComboFixture, OwnerDrawVariableMeasuresTheFaceAndEachItem) {
    Combo->OnMeasureItem = [](TWinControl*, int Index, int& H) { H = Index < 0 ? 30 : 10 + Index; };
    Combo->SetStyle(csOwnerDrawVariable);
    EXPECT_EQ(Combo->Height(), 30 + 6);
    ClickButton();
    ASSERT_TRUE(Combo->DroppedDown());
    TCustomListBox* L = Combo->DropList();
    EXPECT_EQ(L->ItemRect(0).Height(), 10);
    EXPECT_EQ(L->ItemRect(3).Height(), 13);
    TRect W;
    GetWindowRect(L->Handle(), &W);
    EXPECT_EQ(W.Height(), 10 + 11 + 12 + 13 + 2) << "the list is as high as its items";
    Headless().Key(VK_ESCAPE);
    Pump();
}

TEST_F(ComboFixture, SimpleStyleKeepsTheListOpenUnderTheEdit) {
    Combo->SetStyle(csSimple);
    Combo->SetBounds(10, 10, 150, 120);
    Pump();
    TCustomListBox* L = Combo->DropList();
    ASSERT_NE(L, nullptr);
    ASSERT_NE(Combo->EditControl(), nullptr);
    EXPECT_TRUE(L->Visible());
    EXPECT_EQ(L->Parent(), Combo);
    EXPECT_EQ(L->Top(), Combo->EditControl()->Height());
    EXPECT_EQ(L->Top() + L->Height(), Combo->ClientHeight());

    TRect R = L->ItemRect(1);
    TPoint P = L->ClientToScreen({R.Left + 5, R.Top + 3});
    Headless().Click(P.X, P.Y);
    Pump();
    EXPECT_EQ(Combo->ItemIndex(), 1);
    EXPECT_EQ(Combo->Text(), "Green");
    EXPECT_EQ(Changes, 1);
    EXPECT_TRUE(Combo->EditControl()->Focused()) << "the focus stays in the edit";

    Headless().Key(VK_F4);
    Headless().Key(VK_DOWN);
    Pump();
    EXPECT_FALSE(Combo->DroppedDown());
    EXPECT_EQ(Combo->Text(), "Blue");
    EXPECT_EQ(L->ItemIndex(), 2);
    Combo->EditControl()->SelectAll();
    Headless().Type("Red");
    Pump();
    EXPECT_EQ(L->ItemIndex(), 0) << "typing an item's text selects it in the list";
    Combo->Items()->Add("Black");
    EXPECT_EQ(L->Items()->Count(), 5);

    Combo->SetStyle(csDropDown);
    EXPECT_EQ(Combo->DropList(), nullptr) << "the simple list goes with its style";
}

TEST(ComboStream, OwnerDrawStyleAndItemHeightFromAFormFile) {
    Headless();
    const char* Text = R"(object Form1: TForm
  Left = 0
  Top = 0
  Width = 300
  Height = 200
  object ComboBox1: TComboBox
    Left = 8
    Top = 8
    Width = 120
    Height = 21
    Style = csOwnerDrawFixed
    ItemHeight = 28
    Items.Strings = (
      'one'
      'two')
    ItemIndex = 1
    TabOrder = 0
  end
end
)";
    auto F = std::make_unique<TForm>(nullptr);
    TStringStream S(Text);
    ReadComponent(S, F.get(), {});
    auto* C = dynamic_cast<TComboBox*>(F->FindComponent("ComboBox1"));
    ASSERT_NE(C, nullptr);
    EXPECT_EQ(C->Height(), 28 + 6) << "the height follows the item height once loaded";
    EXPECT_EQ(C->ItemIndex(), 1);
    EXPECT_EQ(C->Text(), "two");
}

} // namespace
