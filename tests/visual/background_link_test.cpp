// The background link every package control uses: one list entry per link, the free
// notification kept while any link still shows the background, and destruction in either
// order.
#include "tests/toolkit/controls/ControlsTestSupport.h"
#include "toolkit/controls/Forms.h"
#include "visual/QELBackgroundLink.h"
#include "visual/QELControls.h"

#include <gtest/gtest.h>
#include <vector>

using namespace qel;

namespace {

// Two links, like a label's Background and FontBackground, and a record of removal notices.
class TTwoLinks : public TQELGraphicControl {
  public:
    using TQELGraphicControl::TQELGraphicControl;
    TQELBackgroundLink Back{*this};
    TQELBackgroundLink Letters{*this};
    std::vector<TComponent*> Told;
    void Notification(TComponent* AComponent, TOperation Operation) override {
        TQELGraphicControl::Notification(AComponent, Operation);
        if (Operation == opRemove) Told.push_back(AComponent);
        Back.Notification(AComponent, Operation);
        Letters.Notification(AComponent, Operation);
    }
};

struct BackgroundLinkTest : ::testing::Test {
    void SetUp() override {
        qel::test::Headless();
        Form = new TForm(nullptr);
        C = new TTwoLinks(Form);
        C->SetParent(Form);
    }
    void TearDown() override { delete Form; }
    TForm* Form = nullptr;
    TTwoLinks* C = nullptr;
};

} // namespace

TEST_F(BackgroundLinkTest, ForeignBackgroundStaysWatchedWhileOneLinkShowsIt) {
    auto* Other = new TQELBackground(nullptr);
    C->Back.Set(Other);
    C->Letters.Set(Other);
    EXPECT_EQ(Other->ClientCount(), 2);
    C->Back.Set(nullptr);
    EXPECT_EQ(Other->ClientCount(), 1);
    delete Other;
    EXPECT_EQ(C->Letters.Get(), nullptr);
    EXPECT_EQ(C->Back.Get(), nullptr);
}

TEST_F(BackgroundLinkTest, ABackgroundNoLongerShownDoesNotTellTheControl) {
    auto* Other = new TQELBackground(nullptr);
    auto* Mine = new TQELBackground(Form);
    C->Back.Set(Other);
    C->Back.Set(Mine);
    delete Other;
    EXPECT_TRUE(C->Told.empty());
    EXPECT_EQ(C->Back.Get(), Mine);
    EXPECT_EQ(Mine->ClientCount(), 1);
}

TEST_F(BackgroundLinkTest, NotificationsOfOtherComponentsKeepTheLink) {
    auto* Mine = new TQELBackground(Form);
    C->Back.Set(Mine);
    auto* Unrelated = new TQELBackground(Form);
    EXPECT_FALSE(C->Back.Notification(Unrelated, opRemove));
    EXPECT_FALSE(C->Back.Notification(Mine, opInsert));
    EXPECT_EQ(C->Back.Get(), Mine);
    delete Unrelated;
    EXPECT_EQ(C->Back.Get(), Mine);
}

TEST(BackgroundLink, FormsFreeBackgroundAndClientsInEitherOrder) {
    qel::test::Headless();
    for (bool BackgroundFirst : {true, false}) {
        auto* Form = new TForm(nullptr);
        TQELBackground* B = BackgroundFirst ? new TQELBackground(Form) : nullptr;
        auto* C = new TTwoLinks(Form);
        C->SetParent(Form);
        if (!B) B = new TQELBackground(Form);
        C->Back.Set(B);
        C->Letters.Set(B);
        delete Form; // the sanitizer build catches a touched list or a dangling link
    }
    auto* B = new TQELBackground(nullptr);
    {
        auto* Form = new TForm(nullptr);
        auto* C = new TTwoLinks(Form);
        C->Letters.Set(B);
        delete Form;
    }
    EXPECT_EQ(B->ClientCount(), 0);
    delete B;
}
