// The colour dialog driven by injected clicks and typed parts.
#include "ControlsTestSupport.h"
#include "toolkit/controls/ColorDialogs.h"
#include "toolkit/controls/Dialogs.h"
#include "toolkit/controls/Edit.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

struct ColorFixture : ::testing::Test {
    void SetUp() override { Headless(); }
    void TearDown() override {
        SetDialogShownHook(nullptr);
        Pump();
    }
};

TEST_F(ColorFixture, ClickingABasicColourAndCancelKeepsTheOldOne) {
    TColorDialog D(nullptr);
    D.SetColor(clRed);
    SetDialogShownHook([](TCustomForm* F) {
        auto* Grid = static_cast<TControl*>(F->FindComponent("Basic"));
        TPoint P = At(Grid, 5 * 24 + 12, 3 * 24 + 12); // row 3, column 5: 0000A0
        Headless().Click(P.X, P.Y);
        Headless().Key(VK_ESCAPE);
    });
    EXPECT_FALSE(D.Execute());
    EXPECT_EQ(D.Color(), clRed);
    SetDialogShownHook([](TCustomForm* F) {
        auto* Grid = static_cast<TControl*>(F->FindComponent("Basic"));
        TPoint P = At(Grid, 5 * 24 + 12, 3 * 24 + 12);
        Headless().Click(P.X, P.Y);
        Headless().Key(VK_RETURN);
    });
    ASSERT_TRUE(D.Execute());
    EXPECT_EQ(D.Color(), TColorDialog::BasicColor(29));
    EXPECT_EQ(static_cast<std::uint32_t>(D.Color()), 0xA00000u) << "blue in the high byte";
    EXPECT_EQ(D.CustomColors()->Strings(0), "ColorA=A00000");
}

TEST_F(ColorFixture, TypedPartsMakeACustomColourAndBadPartsAreIgnored) {
    TColorDialog D(nullptr);
    SetDialogShownHook([](TCustomForm* F) {
        static_cast<TEdit*>(F->FindComponent("Red"))->SetText("18");
        static_cast<TEdit*>(F->FindComponent("Green"))->SetText("52");
        static_cast<TEdit*>(F->FindComponent("Blue"))->SetText("86");
        static_cast<TEdit*>(F->FindComponent("Green"))->SetText("999"); // out of range
        F->SetModalResult(mrOk);
    });
    ASSERT_TRUE(D.Execute());
    EXPECT_EQ(static_cast<std::uint32_t>(D.Color()), 0x563412u);
}

} // namespace
