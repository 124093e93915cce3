// The header list: columns under the header sections, re-flowed by a divider drag, the line
// splitting rules, the forwarded properties, keyboard and wheel, and the "ItemHeight" property.
#include "tests/toolkit/controls/ControlsTestSupport.h"
#include "toolkit/core/FormReader.h"
#include "toolkit/core/FormWriter.h"
#include "toolkit/core/Streams.h"
#include "toolkit/core/TextForm.h"
#include "toolkit/graphics/Font.h"
#include "visual/Brisca40.h"
#include "visual/QELTHeaderList.h"

#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <string>

using namespace qel;
using namespace qel::test;

namespace {

struct HeaderListTest : ::testing::Test {
    void SetUp() override {
        Headless();
        RegisterBrisca40Classes();
        Form = new TForm(nullptr);
        Form->SetBounds(100, 100, 420, 300);
        L = new TQELHeaderList(Form);
        L->SetName("List1");
        L->SetParent(Form);
        L->SetBounds(10, 10, 300, 200);
        for (const char* S : {"Name", "Size", "Kind"})
            L->HeaderSections()->Add(S);
        L->Header()->SetWidth(0, 100);
        L->Header()->SetWidth(1, 80);
        Form->Show();
        Pump();
    }
    void TearDown() override {
        delete Form;
        Pump();
    }
    // Leftmost text pixel of line Index at or right of list client X (-1: none).
    int FirstInk(int Index, int FromX) {
        TRect R = L->ListBox()->ItemRect(Index);
        TPoint O = L->ListBox()->ClientToScreen({0, 0});
        TPoint F = Form->ClientToScreen({0, 0});
        for (int X = FromX; X < R.Right; ++X)
            for (int Y = R.Top; Y < R.Bottom; ++Y)
                if (RGBFromPixel(PixelAt(Form, O.X - F.X + X, O.Y - F.Y + Y)) == 0) return X;
        return -1;
    }
    TForm* Form = nullptr;
    TQELHeaderList* L = nullptr;
};

} // namespace

TEST_F(HeaderListTest, LayoutPutsTheHeaderOnTopAndTheListBelow) {
    EXPECT_EQ(L->Header()->BoundsRect(), (TRect{3, 3, 3 + 294, 3 + 25}));
    EXPECT_EQ(L->ListBox()->BoundsRect(), (TRect{4, 28, 4 + 292, 28 + 200 - 28 - 4}));
    L->SetBool(2, false);
    EXPECT_EQ(L->ListBox()->BoundsRect(), (TRect{3, 28, 3 + 294, 28 + 200 - 28 - 3}));
    L->SetInteger(0, 40);
    EXPECT_EQ(L->ListBox()->Top(), 43);
}

TEST_F(HeaderListTest, ColumnsFollowTheSectionsAndReflowAfterADrag) {
    L->AddLine({"a", "b", "c"});
    L->AddLine({"x", "", "z"});
    Pump();
    const int B0 = FirstInk(0, 100);
    EXPECT_GE(B0, 102) << "column 1 starts two pixels into section 1";
    EXPECT_LT(B0, 110);
    EXPECT_EQ(FirstInk(1, 100), FirstInk(1, 180)) << "an empty middle cell draws nothing";
    int SizedCalls = 0;
    L->OnHeaderSized = [&](TObject*, int S, int W) {
        ++SizedCalls;
        EXPECT_EQ(S, 0);
        EXPECT_EQ(W, 130);
        EXPECT_GE(FirstInk(0, 100), 132) << "the list is already re-flowed";
    };
    TPoint P = At(L->Header(), 100, 10);
    Headless().MouseMove(P.X, P.Y);
    Pump();
    Headless().MouseDown(1, P.X, P.Y);
    Pump();
    Headless().MouseMove(P.X + 30, P.Y, MK_LBUTTON);
    Pump();
    Headless().MouseUp(1, P.X + 30, P.Y);
    Pump();
    EXPECT_EQ(SizedCalls, 1);
    const int B1 = FirstInk(0, 100);
    EXPECT_EQ(B1, B0 + 30);
}

TEST_F(HeaderListTest, SplittingAndItemPart) {
    using V = std::vector<std::string_view>;
    EXPECT_EQ(TQELHeaderList::SplitLine("a;;b", ';'), (V{"a", "", "b"}));
    EXPECT_EQ(TQELHeaderList::SplitLine("a;b;", ';'), (V{"a", "b"}));
    EXPECT_EQ(TQELHeaderList::SplitLine(";a", ';'), (V{"", "a"}));
    EXPECT_TRUE(TQELHeaderList::SplitLine("", ';').empty());
    EXPECT_EQ(L->AddLine({"a", "", "b"}), 0);
    EXPECT_EQ(L->Items()->Get(0), "a;;b");
    L->AddLine({"solo"});
    L->Items()->Add("x;y;z");
    EXPECT_EQ(L->ItemPart(1, 0), "solo");
    EXPECT_EQ(L->ItemPart(1, 1), "");
    EXPECT_EQ(L->ItemPart(2, 0), "x");
    EXPECT_EQ(L->ItemPart(2, 1), "y");
    EXPECT_EQ(L->ItemPart(2, 2), "z");
    EXPECT_EQ(L->ItemPart(2, 3), "");
    L->SetDelimiter('|');
    EXPECT_EQ(L->ItemPart(2, 0), "x;y;z");
}

TEST_F(HeaderListTest, ForwardersReachTheInnerControls) {
    L->SetColor(0, clYellow);
    EXPECT_EQ(L->ListBox()->Color(), clYellow);
    EXPECT_EQ(L->GetColor(7), TColor(0xFFFFFF));
    EXPECT_EQ(L->GetColor(1), clHighlight);
    L->SetBool(0, false);
    EXPECT_FALSE(L->ListBox()->Enabled());
    EXPECT_FALSE(L->Header()->Enabled());
    L->SetBool(5, false);
    EXPECT_FALSE(L->Header()->AllowResize());
    L->SetHint("tip");
    EXPECT_EQ(L->Header()->Hint(), "tip");
    EXPECT_FALSE(L->GetBool(42));
    EXPECT_EQ(L->GetInteger(42), 0);
    EXPECT_EQ(L->GetFont(9), nullptr);
    EXPECT_EQ(L->GetInteger(5), 3);
    int Clicks = 0;
    TObject* Sender = nullptr;
    L->OnClick = [&](TObject* S) {
        ++Clicks;
        Sender = S;
    };
    L->SetBool(0, true);
    L->AddLine({"one"});
    L->AddLine({"two"});
    Pump();
    TRect R = L->ListBox()->ItemRect(1);
    TPoint P = At(L->ListBox(), R.Left + 5, R.Top + 2);
    Headless().Click(P.X, P.Y);
    Pump();
    EXPECT_GE(Clicks, 1);
    EXPECT_EQ(Sender, L->ListBox());
    EXPECT_EQ(L->ItemIndex(), 1);
}

TEST_F(HeaderListTest, KeyboardAndWheelWorkAsInTheListBox) {
    for (int I = 0; I < 100; ++I)
        L->AddLine({"line " + std::to_string(I), "x"});
    L->SetFocus();
    Pump();
    Headless().Key(VK_DOWN);
    Headless().Key(VK_DOWN);
    Pump();
    EXPECT_EQ(L->ItemIndex(), 1);
    Headless().Key(VK_END);
    Pump();
    EXPECT_EQ(L->ItemIndex(), 99);
    EXPECT_GT(L->TopIndex(), 80);
    Headless().Key(VK_HOME);
    Pump();
    TPoint P = At(L->ListBox(), 20, 20);
    Headless().Wheel(P.X, P.Y, -120);
    Pump();
    EXPECT_EQ(L->TopIndex(), 3);
}

TEST_F(HeaderListTest, ItemHeightOnlyWhereOwnerDrawnAndSurvivesTextBinaryText) {
    const int Standard = L->ItemHeight();
    L->SetItemHeight(30);
    EXPECT_EQ(L->ItemHeight(), Standard) << "no effect while the style is standard";
    L->SetListBoxStyle(lbOwnerDrawFixed);
    L->SetItemHeight(22);
    EXPECT_EQ(L->ItemHeight(), 22);
    L->SetItemHeight(100000);
    EXPECT_EQ(L->ItemHeight(), 22) << "a list box refuses heights past 255";
    const std::string Text = ComponentToText(Form);
    EXPECT_NE(Text.find("ItemHeight = 22"), std::string::npos) << Text;
    TStringStream In(Text), Bin, Back;
    ObjectTextToBinary(In, Bin);
    Bin.SetPosition(0);
    ObjectBinaryToText(Bin, Back);
    EXPECT_EQ(Back.DataString(), Text);
    TStringStream Again(Back.DataString());
    TForm F2(nullptr);
    ReadComponent(Again, &F2);
    auto* L2 = Cast<TQELHeaderList>(F2.FindComponent("List1"));
    ASSERT_TRUE(L2);
    EXPECT_EQ(L2->ItemHeight(), 22);
    EXPECT_EQ(L2->ListBoxStyle(), lbOwnerDrawFixed);
    EXPECT_EQ(L2->Header()->GetWidth(0), 100);

    L->SetListBoxStyle(lbStandard);
    EXPECT_EQ(L->ItemHeight(), Standard) << "back to the font's height";
    EXPECT_EQ(ComponentToText(Form).find("ItemHeight"), std::string::npos);
}

TEST_F(HeaderListTest, OwnerDrawHookOnlyWithAnOwnerDrawnStyle) {
    int Hooked = 0;
    L->OnDrawItem = [&](TWinControl*, int, TRect, TOwnerDrawState) { ++Hooked; };
    L->AddLine({"a", "b"});
    Pump();
    EXPECT_EQ(Hooked, 0);
    L->SetListBoxStyle(lbOwnerDrawFixed);
    L->ListBox()->Repaint();
    Pump();
    EXPECT_GT(Hooked, 0);
}

TEST_F(HeaderListTest, MegabyteLineWithoutDelimiterDrawsQuickly) {
    std::string Big(1 << 20, 'W');
    L->Items()->Add(Big);
    L->Items()->Add("   \t");
    const auto T0 = std::chrono::steady_clock::now();
    L->ListBox()->Repaint();
    L->HeaderSections()->Clear();
    L->ListBox()->Repaint();
    const double Secs =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - T0).count();
    EXPECT_LT(Secs, 1.0);
    EXPECT_GE(FirstInk(0, 0), 2);
    EXPECT_EQ(FirstInk(1, 0), -1) << "a blank line draws only its background";
}
