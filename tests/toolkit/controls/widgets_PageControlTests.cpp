// Page switching by clicks on tabs, by arrows and Ctrl+Tab, refusal through OnChanging, and
// pages read from a form file.
#include "ControlsTestSupport.h"
#include "toolkit/controls/ComCtrls.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/core/FormReader.h"
#include "toolkit/core/Streams.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

struct PageFixture : ::testing::Test {
    void SetUp() override {
        Headless();
        Form = new TForm(nullptr);
        Form->SetBounds(100, 100, 400, 300);
        Pages = new TPageControl(Form);
        Pages->SetParent(Form);
        Pages->SetBounds(10, 10, 300, 200);
        for (const char* C : {"General", "Advanced", "About"}) {
            auto* S = new TTabSheet(Form);
            S->SetCaption(C);
            S->SetPageControl(Pages);
        }
        Edit = new TEdit(Form);
        Edit->SetParent(Pages->Pages(0));
        Form->Show();
        Pump();
    }
    void TearDown() override {
        delete Form;
        Pump();
    }
    TForm* Form = nullptr;
    TPageControl* Pages = nullptr;
    TEdit* Edit = nullptr;
};

TEST_F(PageFixture, ClickingATabShowsItsPageOnly) {
    EXPECT_EQ(Pages->ActivePageIndex(), 0) << "the first page inserted becomes active";
    EXPECT_TRUE(Pages->Pages(0)->Visible());
    EXPECT_FALSE(Pages->Pages(1)->Visible());
    TTabSheet* Sheet = Pages->Pages(0);
    EXPECT_GT(Sheet->Top(), Pages->TabHeight() - 4) << "the page sits below the tabs";
    EXPECT_LT(Sheet->Width(), Pages->Width());
    int Changes = 0;
    Pages->OnChange = [&](TObject*) { ++Changes; };
    TRect T = Pages->TabRect(2);
    TPoint P = At(Pages, (T.Left + T.Right) / 2, (T.Top + T.Bottom) / 2);
    Headless().Click(P.X, P.Y);
    Pump();
    EXPECT_EQ(Pages->ActivePageIndex(), 2);
    EXPECT_TRUE(Pages->Pages(2)->Visible());
    EXPECT_FALSE(Pages->Pages(0)->Visible());
    EXPECT_EQ(Changes, 1);
    Headless().Key(VK_RIGHT);
    Pump();
    EXPECT_EQ(Pages->ActivePageIndex(), 0) << "arrows wrap around";
}

TEST_F(PageFixture, CtrlTabFromInsideAPageAndOnChangingCanRefuse) {
    Edit->SetFocus();
    Pump();
    Headless().Key(VK_TAB, MK_CONTROL);
    Pump();
    EXPECT_EQ(Pages->ActivePageIndex(), 1);
    EXPECT_TRUE(Pages->Focused()) << "the focus left the hidden page";
    Pages->OnChanging = [](TObject*, bool& Allow) { Allow = false; };
    Headless().Key(VK_TAB, MK_CONTROL | MK_SHIFT);
    Pump();
    EXPECT_EQ(Pages->ActivePageIndex(), 1);
    Pages->OnChanging = nullptr;
    Pages->Pages(2)->SetTabVisible(false);
    Headless().Key(VK_RIGHT);
    Pump();
    EXPECT_EQ(Pages->ActivePageIndex(), 0) << "a hidden tab is skipped";
    delete Pages->Pages(0);
    EXPECT_EQ(Pages->PageCount(), 2);
    EXPECT_EQ(Pages->ActivePageIndex(), 0) << "the next page takes over";
}

TEST(PageStreamTests, PagesAndTheActivePageComeFromAFormFile) {
    Headless();
    const char* Text = R"(object F: TForm
  Left = 0
  Top = 0
  Width = 300
  Height = 200
  object PC: TPageControl
    Left = 0
    Top = 0
    Width = 280
    Height = 160
    ActivePage = Two
    TabOrder = 0
    object One: TTabSheet
      Caption = 'One'
    end
    object Two: TTabSheet
      Caption = 'Two'
    end
  end
end
)";
    TMemoryStream S;
    S.WriteBuffer(Text, static_cast<std::int64_t>(std::string(Text).size()));
    S.SetPosition(0);
    auto F = LoadComponentFromStream(S);
    auto* PC = dynamic_cast<TPageControl*>(F->FindComponent("PC"));
    ASSERT_NE(PC, nullptr);
    ASSERT_EQ(PC->PageCount(), 2);
    EXPECT_EQ(PC->ActivePage()->Name(), "Two");
    EXPECT_TRUE(PC->Pages(1)->Visible());
    EXPECT_FALSE(PC->Pages(0)->Visible());
}

} // namespace
