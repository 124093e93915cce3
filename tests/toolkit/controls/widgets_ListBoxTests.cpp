// List box navigation, selection, owner draw and the scroll-bar control, with injected input.
#include "ControlsTestSupport.h"
#include "toolkit/controls/ListBox.h"
#include "toolkit/controls/ScrollBar.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/graphics/Canvas.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

struct ListFixture : ::testing::Test {
    void SetUp() override {
        Headless();
        Form = new TForm(nullptr);
        Form->SetBounds(100, 100, 400, 300);
        List = new TListBox(Form);
        List->SetParent(Form);
        List->SetBounds(10, 10, 200, 164);
        List->SetItemHeight(16);
        for (int I = 0; I < 50; ++I)
            List->Items()->Add("item " + std::to_string(I));
        Form->Show();
        Pump();
    }
    void TearDown() override {
        delete Form;
        Pump();
    }
    TPoint ItemPoint(int Index) {
        TRect R = List->ItemRect(Index);
        return At(List, R.Left + 20, R.Top + R.Height() / 2);
    }
    TForm* Form = nullptr;
    TListBox* List = nullptr;
};

TEST_F(ListFixture, KeyboardNavigationScrollsTheFocusedItemIntoView) {
    int Clicks = 0;
    List->OnClick = [&](TObject*) { ++Clicks; };
    List->SetFocus();
    Headless().Key(VK_DOWN);
    Headless().Key(VK_DOWN);
    Pump();
    EXPECT_EQ(List->ItemIndex(), 1);
    EXPECT_EQ(Clicks, 2);
    Headless().Key(VK_NEXT);
    Pump();
    EXPECT_EQ(List->ItemIndex(), 1 + List->ClientHeight() / 16 - 1);
    Headless().Key(VK_END);
    Pump();
    EXPECT_EQ(List->ItemIndex(), 49);
    EXPECT_EQ(List->TopIndex(), 50 - (List->ClientHeight() - 0) / 16)
        << "the last item sits at the bottom";
    Headless().Key(VK_DOWN);
    Pump();
    EXPECT_EQ(List->ItemIndex(), 49) << "no wrap past the end";
    Headless().Type("i");
    Pump();
    EXPECT_EQ(List->ItemIndex(), 0) << "typing a letter finds the next item with it";
    EXPECT_EQ(List->TopIndex(), 0);
}

TEST_F(ListFixture, MouseClickSelectsAndExtendedMultiSelectWithShiftAndCtrl) {
    TPoint P = ItemPoint(3);
    Headless().Click(P.X, P.Y);
    Pump();
    EXPECT_EQ(List->ItemIndex(), 3);
    List->SetMultiSelect(true);
    Headless().Click(ItemPoint(1).X, ItemPoint(1).Y);
    Pump();
    TPoint Q = ItemPoint(4);
    Headless().MouseDown(1, Q.X, Q.Y, MK_SHIFT);
    Headless().MouseUp(1, Q.X, Q.Y, MK_SHIFT);
    Pump();
    EXPECT_EQ(List->SelCount(), 4);
    TPoint R = ItemPoint(2);
    Headless().MouseDown(1, R.X, R.Y, MK_CONTROL);
    Headless().MouseUp(1, R.X, R.Y, MK_CONTROL);
    Pump();
    EXPECT_EQ(List->SelCount(), 3);
    EXPECT_FALSE(List->Selected(2));
    EXPECT_TRUE(List->Selected(4));
    EXPECT_THROW(List->Selected(50), EListError);
    Headless().Key(VK_DOWN, MK_SHIFT);
    Pump();
    EXPECT_TRUE(List->Selected(3));
    EXPECT_EQ(List->ItemIndex(), 3);
}

TEST_F(ListFixture, ScrollBarClicksAndDeletingItemsClampTheState) {
    TRect C = List->ClientRect();
    TPoint Down = At(List, C.Right - 8, C.Bottom - 8);
    Headless().Click(Down.X, Down.Y);
    Pump();
    EXPECT_EQ(List->TopIndex(), 1);
    TPoint Track = At(List, C.Right - 8, C.Bottom - 30);
    Headless().Click(Track.X, Track.Y);
    Pump();
    EXPECT_GT(List->TopIndex(), 5) << "a click below the thumb pages down";
    List->SetItemIndex(45);
    while (List->Items()->Count() > 10)
        List->Items()->Delete(List->Items()->Count() - 1);
    Pump();
    EXPECT_EQ(List->ItemIndex(), 9);
    EXPECT_EQ(List->TopIndex(), 0) << "ten items fit, so nothing scrolls";
}

TEST_F(ListFixture, OwnerDrawVariablePaintsOnlyVisibleItemsWithMeasuredHeights) {
    std::vector<int> Drawn;
    List->SetStyle(lbOwnerDrawVariable);
    List->OnMeasureItem = [](TWinControl*, int Index, int& H) { H = Index % 2 ? 30 : 10; };
    List->OnDrawItem = [&](TWinControl* C, int Index, TRect R, TOwnerDrawState State) {
        Drawn.push_back(Index);
        static_cast<TListBox*>(C)->Canvas()->FillRect(R);
        if (Index == 1) {
            EXPECT_EQ(R.Height(), 30);
            EXPECT_EQ(State.Contains(odSelected), true);
        }
    };
    List->SetItemIndex(1);
    List->Repaint();
    Pump();
    ASSERT_FALSE(Drawn.empty());
    EXPECT_EQ(Drawn.front(), 0);
    EXPECT_LE(Drawn.size(), 9u) << "160 pixels hold 8 items of 10 and 30 plus a partial one";
    EXPECT_EQ(List->ItemAtPos({5, 15}, true), 1);
    EXPECT_EQ(List->ItemAtPos({5, 45}, true), 2);
    Drawn.clear();
    List->SetTopIndex(40);
    List->Repaint();
    Pump();
    ASSERT_FALSE(Drawn.empty());
    EXPECT_EQ(Drawn.front(), 40);
}

TEST_F(ListFixture, HundredThousandItemsPaintOnlyTheView) {
    List->Items()->BeginUpdate();
    for (int I = 0; I < 100000; ++I)
        List->Items()->Add("row " + std::to_string(I));
    List->Items()->EndUpdate();
    List->SetTopIndex(50000);
    List->Repaint();
    Pump();
    EXPECT_EQ(List->TopIndex(), 50000);
    EXPECT_LE(List->LastPaintedItems(), List->ClientHeight() / 16 + 1);
}

TEST_F(ListFixture, ColumnsFlowDownThenAcrossAndScrollByWholeColumns) {
    // 196 x 160 client: five columns of ten rows would not fit two across, so the
    // horizontal bar takes its height and a column holds what is left.
    List->SetColumns(2);
    Pump();
    const int Rows = (List->ClientHeight() - TScrollBarPart::DefaultSize) / 16;
    const int W = List->ClientWidth() / 2;
    EXPECT_EQ(List->ItemRect(0), (TRect{0, 0, W, 16}));
    EXPECT_EQ(List->ItemRect(Rows + 1), (TRect{W, 16, 2 * W, 32}));
    EXPECT_EQ(List->ItemAtPos({W + 3, 20}, true), Rows + 1);
    EXPECT_EQ(List->ItemAtPos({W + 3, Rows * 16 + 2}, true), -1) << "on the scroll bar";

    TPoint P = ItemPoint(Rows + 1);
    Headless().Click(P.X, P.Y);
    Pump();
    EXPECT_EQ(List->ItemIndex(), Rows + 1);
    Headless().Key(VK_RIGHT);
    Pump();
    EXPECT_EQ(List->ItemIndex(), 2 * Rows + 1);
    EXPECT_EQ(List->TopIndex(), Rows) << "the third column scrolled in, whole";
    Headless().Key(VK_END);
    Headless().Key(VK_RIGHT);
    Pump();
    EXPECT_EQ(List->ItemIndex(), 49) << "no column to the right of the last";
    const int LastCol = 49 / Rows;
    EXPECT_EQ(List->TopIndex(), (LastCol - 1) * Rows);
    List->Repaint();
    Pump();
    EXPECT_EQ(List->LastPaintedItems(), 50 - (LastCol - 1) * Rows);

    // The focused item is painted selected in its own column only.
    TRect R = List->ItemRect(49);
    TPoint In = Form->ScreenToClient(At(List, R.Left + W - 3, R.Top + 8));
    TPoint Beside = Form->ScreenToClient(At(List, R.Left - 3, R.Top + 8));
    EXPECT_EQ(PixelAt(Form, In.X, In.Y), PixelFromRGB(ColorToRGB(clHighlight)));
    EXPECT_EQ(PixelAt(Form, Beside.X, Beside.Y), PixelFromRGB(ColorToRGB(clWindow)));

    // A click in the bar's left arrow scrolls back one column.
    TRect C = List->ClientRect();
    TPoint Arrow = At(List, 4, C.Bottom - 4);
    Headless().Click(Arrow.X, Arrow.Y);
    Pump();
    EXPECT_EQ(List->TopIndex(), (LastCol - 2) * Rows);
    Headless().Key(VK_HOME);
    Pump();
    EXPECT_EQ(List->TopIndex(), 0);
}

TEST_F(ListFixture, IntegralHeightShowsWholeItemsOnly) {
    List->SetIntegralHeight(true);
    EXPECT_EQ(List->ClientHeight() % 16, 0) << List->ClientHeight();
    List->SetBounds(10, 10, 200, 100);
    EXPECT_EQ(List->Height(), 4 + 6 * 16) << "100 - 4 border = 96, six rows";
    List->SetBounds(10, 10, 200, 90);
    EXPECT_EQ(List->Height(), 4 + 5 * 16);
    List->SetBounds(10, 10, 200, 12);
    EXPECT_EQ(List->Height(), 12) << "less than an item stays as it is";
    List->SetIntegralHeight(false);
    List->SetBounds(10, 10, 200, 90);
    EXPECT_EQ(List->Height(), 90);
}

TEST_F(ListFixture, TypedLetterGoesToTheNextItemStartingWithIt) {
    List->Items()->Add("zeta");
    List->SetFocus();
    Headless().Type("i");
    Pump();
    EXPECT_EQ(List->ItemIndex(), 0) << "with nothing chosen the first item counts";
    Headless().Type("I");
    Pump();
    EXPECT_EQ(List->ItemIndex(), 1);
    Headless().Type("z");
    Pump();
    EXPECT_EQ(List->ItemIndex(), 50);
    Headless().Type("q");
    Pump();
    EXPECT_EQ(List->ItemIndex(), 50) << "no item with that letter: no move";
}

TEST_F(ListFixture, WheelScrollsThreeLinesANotchAndGoesToTheParentWhenNotTaken) {
    TPoint P = At(List, 20, 20);
    Headless().Wheel(P.X, P.Y, -120);
    Pump();
    EXPECT_EQ(List->TopIndex(), 3);
    Headless().Wheel(P.X, P.Y, -60);
    Pump();
    EXPECT_EQ(List->TopIndex(), 3) << "half a notch waits";
    Headless().Wheel(P.X, P.Y, -60);
    Pump();
    EXPECT_EQ(List->TopIndex(), 6);
    Headless().Wheel(P.X, P.Y, 3 * 120);
    Pump();
    EXPECT_EQ(List->TopIndex(), 0) << "clamped at the top";

    // A handler that takes the turn stops the scrolling; the form hears turns nobody took.
    int FormTurns = 0;
    Form->OnMouseWheel = [&](TObject*, TShiftState, int Delta, TPoint Pos, bool& Handled) {
        FormTurns += Delta;
        EXPECT_EQ(Pos, Form->ClientToScreen({300, 200}));
        Handled = true;
    };
    List->OnMouseWheel = [](TObject*, TShiftState, int, TPoint, bool& Handled) { Handled = true; };
    Headless().Wheel(P.X, P.Y, -120);
    TPoint Outside = Form->ClientToScreen({300, 200});
    Headless().Wheel(Outside.X, Outside.Y, -240);
    Pump();
    EXPECT_EQ(List->TopIndex(), 0);
    EXPECT_EQ(FormTurns, -240);
}

TEST(ScrollBarTests, KeysClicksAndRangeChecks) {
    Headless();
    TForm Form(nullptr);
    Form.SetBounds(50, 50, 300, 100);
    TScrollBar Bar(&Form);
    Bar.SetParent(&Form);
    Bar.SetBounds(10, 10, 200, 16);
    Bar.SetLargeChange(10);
    std::vector<TScrollCode> Codes;
    Bar.OnScroll = [&](TObject*, TScrollCode C, int&) { Codes.push_back(C); };
    Form.Show();
    Pump();
    Bar.SetFocus();
    Headless().Key(VK_RIGHT);
    Headless().Key(VK_NEXT);
    Pump();
    EXPECT_EQ(Bar.Position(), 11);
    Headless().Key(VK_END);
    Pump();
    EXPECT_EQ(Bar.Position(), 100);
    TPoint Left = At(&Bar, 5, 8);
    Headless().Click(Left.X, Left.Y);
    Pump();
    EXPECT_EQ(Bar.Position(), 99);
    EXPECT_EQ(Codes.back(), scLineUp);
    Bar.SetPageSize(20);
    EXPECT_EQ(Bar.Position(), 81) << "the page ends at Max";
    EXPECT_THROW(Bar.SetParams(0, 10, 5), EInvalidOperation);
    EXPECT_THROW(Bar.SetPageSize(500), EInvalidOperation);
    // Dragging the thumb to the far left reaches Min.
    Bar.SetPosition(50);
    Pump();
    int Mid = 16 + (200 - 32) / 2;
    TPoint T0 = At(&Bar, Mid, 8), T1 = At(&Bar, -100, 8);
    Headless().MouseDown(1, T0.X, T0.Y);
    Headless().MouseMove(T1.X, T1.Y);
    Headless().MouseUp(1, T1.X, T1.Y);
    Pump();
    EXPECT_EQ(Bar.Position(), 0);
}

} // namespace
