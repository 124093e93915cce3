// The push button: keyboard, accelerator, default and cancel behaviour, modal results, layout
// of glyph and caption, the drawn item, and streaming of its size.
#include "tests/toolkit/controls/ControlsTestSupport.h"
#include "toolkit/controls/StdCtrls.h"
#include "toolkit/graphics/Bitmap.h"
#include "visual/QELTButton.h"

#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

using namespace qel;
using namespace qel::test;

namespace {

struct ButtonTest : ::testing::Test {
    void SetUp() override {
        Headless();
        Form = new TForm(nullptr);
        Form->SetBounds(10, 10, 300, 200);
    }
    void TearDown() override { delete Form; }
    TQELButton* Make(const char* Name, int Y) {
        auto* B = new TQELButton(Form);
        B->SetName(Name);
        B->SetParent(Form);
        B->SetTop(Y);
        B->SetCaption(Name);
        B->OnClick = [this, B](TObject*) { Clicks.push_back(B->Name()); };
        return B;
    }
    // A 16 x 16 glyph of one colour.
    void GiveGlyph(TQELButton* B, TColor C = clRed) {
        TBitmap Bmp;
        Bmp.SetSize(16, 16);
        Bmp.Canvas()->Brush()->SetColor(C);
        Bmp.Canvas()->FillRect({0, 0, 16, 16});
        B->Glyph()->SetBitmap(&Bmp);
        B->Glyph()->SetTransparent(false);
    }
    // Draws the item the way the native button asks for it, onto a surface of the button's
    // size.
    TSurface Draw(TQELButton* B, UINT State) {
        TSurface S(B->Width(), B->Height(), 0x123456);
        DRAWITEMSTRUCT Item;
        Item.CtlType = ODT_BUTTON;
        Item.itemState = State;
        Item.hDC = CreateDCForSurface(&S);
        Item.rcItem = {0, 0, B->Width(), B->Height()};
        B->Perform(CN_DRAWITEM, 0, reinterpret_cast<LPARAM>(&Item));
        DeleteDC(Item.hDC);
        return S;
    }
    TForm* Form = nullptr;
    std::vector<std::string> Clicks;
};

TColor At(const TSurface& S, int X, int Y) {
    return RGBFromPixel(S.Get(X, Y));
}

} // namespace

TEST_F(ButtonTest, ConstructionDefaults) {
    TQELButton* B = Make("Ok", 0);
    EXPECT_EQ(B->Width(), 75);
    EXPECT_EQ(B->Height(), 25);
    EXPECT_TRUE(B->TabStop());
    EXPECT_TRUE(B->ControlStyle().Contains(csOpaque));
    EXPECT_EQ(B->TextFormat(), 0x8025u);
    B->Setword(true);
    EXPECT_EQ(B->TextFormat(), 0x15u);
    // the default size is not stored; another one is
    const TPropInfo* W = B->ClassType().FindProperty("Width");
    const TPropInfo* H = B->ClassType().FindProperty("Height");
    ASSERT_TRUE(W && H);
    EXPECT_TRUE(W->IsDefaultValue(*B));
    EXPECT_TRUE(H->IsDefaultValue(*B));
    B->SetWidth(80);
    EXPECT_FALSE(W->IsDefaultValue(*B));
}

TEST_F(ButtonTest, EnterGoesToTheFocusedButtonElseTheDefaultOne) {
    TQELButton* Ok = Make("Ok", 0);
    TQELButton* Other = Make("Other", 30);
    TQELButton* Cancel = Make("Cancel", 60);
    auto* Box = new TCheckBox(Form);
    Box->SetParent(Form);
    Box->SetTop(100);
    Ok->SetDefault(true);
    Cancel->SetCancel(true);
    Form->Show();
    Other->SetFocus();
    Pump();
    EXPECT_TRUE(Other->IsActive());
    EXPECT_FALSE(Ok->IsActive());
    Headless().Key(VK_RETURN);
    Pump();
    Box->SetFocus();
    Pump();
    EXPECT_TRUE(Ok->IsActive());
    Headless().Key(VK_RETURN);
    Pump();
    Headless().Key(VK_ESCAPE);
    Pump();
    Headless().Key(VK_RETURN, MK_CONTROL); // not with Ctrl held
    Pump();
    EXPECT_EQ(Clicks, (std::vector<std::string>{"Other", "Ok", "Cancel"}));
}

TEST_F(ButtonTest, AcceleratorClicksAndClickSetsTheModalResult) {
    TQELButton* B = Make("Go", 0);
    B->SetCaption("&Go");
    B->SetModalResult(mrOk);
    auto* Box = new TCheckBox(Form);
    Box->SetParent(Form);
    Box->SetTop(40);
    Form->Show();
    Box->SetFocus();
    Pump();
    Headless().Key('G', SHIFT_ALT, 'g');
    Pump();
    EXPECT_EQ(Clicks, (std::vector<std::string>{"Go"}));
    EXPECT_EQ(Form->ModalResult(), mrOk);
    // a modal result of 0 is written too
    Form->SetModalResult(mrCancel);
    B->SetModalResult(mrNone);
    B->Click();
    EXPECT_EQ(Form->ModalResult(), mrNone);
}

TEST_F(ButtonTest, DisabledButtonIgnoresKeys) {
    TQELButton* B = Make("Ok", 0);
    B->SetDefault(true);
    B->SetCancel(true);
    B->SetEnabled(false);
    Form->Show();
    Pump();
    Headless().Key(VK_RETURN);
    Headless().Key(VK_ESCAPE);
    Pump();
    EXPECT_TRUE(Clicks.empty());
}

TEST_F(ButtonTest, MouseClickOnTheNativeButtonClicks) {
    TQELButton* B = Make("Ok", 0);
    Form->Show();
    Pump();
    TPoint P = B->ClientToScreen({20, 10});
    Headless().Click(P.X, P.Y);
    Pump();
    EXPECT_EQ(Clicks, (std::vector<std::string>{"Ok"}));
}

TEST_F(ButtonTest, GlyphAndTextPlacement) {
    TQELButton* B = Make("Ok", 0);
    GiveGlyph(B);
    auto L = B->Layout(0);
    EXPECT_EQ(L.Glyph, (TPoint{6, 4})); // Round(4.5) = 4
    EXPECT_EQ(L.Text, (TRect{21, 3, 72, 22}));
    L = B->Layout(ODS_SELECTED);
    EXPECT_TRUE(L.Sunk);
    EXPECT_EQ(L.Glyph, (TPoint{7, 5}));
    EXPECT_EQ(L.Text, (TRect{22, 4, 73, 23}));
    // no caption: the glyph is centred and only moves down when pressed
    B->SetCaption("");
    EXPECT_EQ(B->Layout(0).Glyph, (TPoint{33, 4})); // Round(29.5) = 30, + 3
    EXPECT_EQ(B->Layout(ODS_SELECTED).Glyph, (TPoint{33, 5}));
    // no glyph: the text starts at 5, or 6 pressed
    TQELButton* Plain = Make("Plain", 40);
    EXPECT_EQ(Plain->Layout(0).Text.Left, 5);
    EXPECT_EQ(Plain->Layout(ODS_SELECTED).Text.Left, 6);
    // disabled and selected: not sunk
    Plain->SetEnabled(false);
    EXPECT_FALSE(Plain->Layout(ODS_SELECTED).Sunk);
    EXPECT_EQ(Plain->Layout(ODS_SELECTED).Text.Left, 5);
}

TEST_F(ButtonTest, DrawnItemBevelGlyphAndFocusFrame) {
    TQELButton* B = Make("", 0);
    GiveGlyph(B, clLime);
    TSurface Up = Draw(B, 0);
    EXPECT_EQ(At(Up, 33, 4), clLime);
    EXPECT_EQ(At(Up, 32, 4), ColorToRGB(clBtnFace));
    EXPECT_EQ(At(Up, 0, 10), ColorToRGB(clBtnHighlight)); // raised, soft: light outer edge
    EXPECT_EQ(At(Up, 74, 10), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(At(Up, 2, 10), ColorToRGB(clBtnFace)); // no focus frame
    TSurface Down = Draw(B, ODS_SELECTED | ODS_FOCUS);
    EXPECT_EQ(At(Down, 33, 5), clLime);
    EXPECT_EQ(At(Down, 33, 4), ColorToRGB(clBtnFace));
    EXPECT_EQ(At(Down, 74, 10), ColorToRGB(clBtnHighlight)); // sunken: light bottom-right
    EXPECT_EQ(At(Down, 2, 10), ColorToRGB(clWindowFrame));   // the focus frame
    EXPECT_EQ(At(Down, 72, 22), ColorToRGB(clWindowFrame));
    // focused but disabled: no frame, raised, the glyph greyed
    B->SetEnabled(false);
    TSurface Off = Draw(B, ODS_SELECTED | ODS_FOCUS | ODS_DISABLED);
    EXPECT_EQ(At(Off, 2, 10), ColorToRGB(clBtnFace));
    EXPECT_EQ(At(Off, 0, 10), ColorToRGB(clBtnHighlight));
    EXPECT_NE(At(Off, 34, 5), clLime);
}

TEST_F(ButtonTest, DisabledCaptionIsEmbossed) {
    TQELButton* B = Make("Disabled", 0);
    B->Font()->SetColor(clRed);
    B->SetEnabled(false);
    TSurface S = Draw(B, 0);
    std::set<TColor> Inside;
    for (int Y = 4; Y < 21; ++Y)
        for (int X = 4; X < 71; ++X)
            Inside.insert(At(S, X, Y));
    EXPECT_EQ(Inside, (std::set<TColor>{ColorToRGB(clBtnFace), ColorToRGB(clBtnHighlight),
                                        ColorToRGB(clGrayText)}));
}

TEST_F(ButtonTest, BackgroundLinkFollowsTheProtocol) {
    TQELButton* B = Make("Ok", 0);
    auto* Bg = new TQELBackground(Form);
    Bg->SetBackStyle(bSolidcolor);
    Bg->SetSolidColor(clTeal);
    B->SetFBack(Bg);
    B->SetFBack(Bg);
    EXPECT_EQ(Bg->ClientCount(), 1);
    B->SetCaption("");
    TSurface S = Draw(B, 0);
    EXPECT_EQ(At(S, 30, 12), clTeal);
    delete Bg;
    EXPECT_EQ(B->Background(), nullptr);
    auto* Other = new TQELBackground(Form);
    B->SetFBack(Other);
    delete B;
    EXPECT_EQ(Other->ClientCount(), 0);
}
