// Check box and radio button: the caption image shown by the native button beside its mark,
// the native style bits, checked state, radio groups, keyboard and focus.
#include "ButtonsTestSupport.h"
#include "visual/QELTBPButtons.h"

#include <gtest/gtest.h>
#include <vector>

using namespace qel;
using namespace qel::test;

namespace {

struct BPButtonsTest : ButtonsFixture {
    template <class T> T* Make(int Top, const char* Caption = "MMMM") {
        auto* C = new T(Form);
        C->SetParent(Form);
        C->SetBounds(20, Top, 120, 22);
        C->SetText(Caption);
        C->Font()->SetColor(clRed);
        C->Font3D()->Set3d(false);
        return C;
    }
    static DWORD Style(TWinControl* C) {
        return static_cast<DWORD>(GetWindowLongA(C->Handle(), GWL_STYLE));
    }
    static DWORD ExStyle(TWinControl* C) {
        return static_cast<DWORD>(GetWindowLongA(C->Handle(), GWL_EXSTYLE));
    }
    // Columns of C's client area that show caption ink.
    int InkFrom(TWinControl* C, bool FromLeft) const {
        const int W = C->ClientWidth(), H = C->ClientHeight();
        for (int I = 0; I < W; ++I) {
            const int X = FromLeft ? I : W - 1 - I;
            for (int Y = 0; Y < H; ++Y)
                if (Color(C, X, Y) == clRed) return X;
        }
        return -1;
    }
    // Pixels of the mark's box that are the tick's colour.
    int TickPixels(TWinControl* C, int BoxLeft) const {
        int N = 0;
        for (int Y = 0; Y < C->ClientHeight(); ++Y)
            for (int X = BoxLeft + 2; X < BoxLeft + 11; ++X)
                N += Color(C, X, Y) == Sys(clWindowText);
        return N;
    }
};

} // namespace

TEST_F(BPButtonsTest, StyleBitsFollowTheSettings) {
    auto* C = Make<TQELCheckbox>(10);
    ShowForm();
    EXPECT_EQ(C->Width(), 120);
    EXPECT_EQ(C->Height(), 22);
    EXPECT_TRUE(C->ButtonSunk());
    DWORD S = Style(C);
    EXPECT_EQ(S & 0x3FE0u, 0x80u | 0xC00u | 0x200u) << std::hex << S;
    C->SetAlignButton(taRightJustify);
    S = Style(C);
    EXPECT_EQ(S & 0x3FE0u, 0x80u | 0xC00u | 0x20u | 0x100u) << std::hex << S;
    C->SetAlignButton(taLeftJustify);
    C->SetAsButton(true);
    S = Style(C);
    EXPECT_EQ(S & 0x3FE0u, 0x80u | 0xC00u | 0x1000u | 0x300u) << std::hex << S;
    EXPECT_TRUE(ExStyle(C) & WS_EX_CLIENTEDGE);
    C->SetFlat(false);
    EXPECT_FALSE(ExStyle(C) & WS_EX_CLIENTEDGE);
    // Caption settings repaint without a new window.
    const HWND Before = C->Handle();
    C->SetWordWrap(true);
    C->SetAlign(taCenter);
    EXPECT_EQ(C->Handle(), Before);
    EXPECT_EQ(C->CaptionImage().TextFlags(), 0x10u | 0x40u | 0x1u | 0x8000u | 0x4u);
    // Stored conditions: ButtonSunk only as a button, AlignButton only as a check box.
    const TPropInfo* Sunk = C->ClassType().FindProperty("ButtonSunk");
    const TPropInfo* Side = C->ClassType().FindProperty("AlignButton");
    EXPECT_TRUE(Sunk->IsStored(*C));
    EXPECT_FALSE(Side->IsStored(*C));
    C->SetAsButton(false);
    EXPECT_FALSE(Sunk->IsStored(*C));
    EXPECT_TRUE(Side->IsStored(*C));
}

TEST_F(BPButtonsTest, CaptionImageShowsBesideTheNativeMark) {
    auto* C = Make<TQELCheckbox>(10);
    auto* R = Make<TQELRadiobutton>(40);
    ShowForm();
    // Caption rectangle from 6 + 12 (check box) or 6 + 10 (radio button).
    EXPECT_GE(InkFrom(C, true), 18);
    EXPECT_LE(InkFrom(C, true), 20);
    EXPECT_GE(InkFrom(R, true), 16);
    EXPECT_LE(InkFrom(R, true), 18);
    EXPECT_EQ(Color(C, 0, 4), Sys(clBtnShadow)) << "the toolkit's sunken box at the left";
    EXPECT_EQ(TickPixels(C, 0), 0);
    // The mark at the right: the caption loses 12 pixels there.
    C->SetAlignButton(taRightJustify);
    C->SetAlign(taRightJustify);
    Settle();
    EXPECT_LE(InkFrom(C, false), 120 - 6 - 12 - 1);
    EXPECT_GE(InkFrom(C, false), 120 - 6 - 12 - 3);
    EXPECT_EQ(Color(C, 120 - 13, 4), Sys(clBtnShadow));
    // Disabled: the caption keeps its enabled colours.
    C->SetEnabled(false);
    Settle();
    EXPECT_NE(InkFrom(C, true), -1);
}

TEST_F(BPButtonsTest, ClickSpaceAndFocusCheckTheBox) {
    auto* C = Make<TQELCheckbox>(10);
    auto* Other = Make<TQELCheckbox>(60, "Other");
    int Clicks = 0;
    C->OnClick = [&](TObject*) { ++Clicks; };
    ShowForm();
    ClickAt(C, 60, 10);
    EXPECT_TRUE(C->Checked());
    EXPECT_TRUE(C->Focused());
    EXPECT_GT(TickPixels(C, 0), 10) << "the tick is drawn";
    Headless().Key(VK_SPACE, 0, ' ');
    Settle();
    EXPECT_FALSE(C->Checked());
    EXPECT_EQ(TickPixels(C, 0), 0);
    EXPECT_EQ(Clicks, 2);
    // The focus frame runs round the caption image; it goes with the focus.
    auto TopRow = [&] {
        std::vector<TColor> Row;
        for (int X = 17; X < 40; ++X)
            Row.push_back(Color(C, X, 0));
        return Row;
    };
    const std::vector<TColor> Focused = TopRow();
    Other->SetFocus();
    Settle();
    EXPECT_NE(TopRow(), Focused);
    EXPECT_EQ(TopRow(), std::vector<TColor>(23, Sys(clBtnFace)));
}

TEST_F(BPButtonsTest, RadioButtonsOfOneParentFormAGroupWorkedByTheArrows) {
    auto* A = Make<TQELRadiobutton>(10, "A");
    auto* B = Make<TQELRadiobutton>(40, "B");
    auto* C = Make<TQELRadiobutton>(70, "C");
    auto* Box = Make<TQELCheckbox>(100, "Box");
    ShowForm();
    ClickAt(B, 60, 10);
    EXPECT_TRUE(B->Checked());
    EXPECT_FALSE(A->Checked() || C->Checked());
    Headless().Key(VK_DOWN);
    Settle();
    EXPECT_TRUE(C->Checked());
    EXPECT_TRUE(C->Focused());
    EXPECT_FALSE(B->Checked());
    Headless().Key(VK_DOWN);
    Settle();
    EXPECT_TRUE(A->Checked()) << "wraps round inside the group, past the check box";
    EXPECT_FALSE(Box->Focused());
    Headless().Key(VK_UP);
    Settle();
    EXPECT_TRUE(C->Checked());
    // A disabled one is skipped.
    A->SetEnabled(false);
    Headless().Key(VK_DOWN);
    Settle();
    EXPECT_TRUE(B->Checked());
}

TEST_F(BPButtonsTest, PushLikeStaysDownWhileChecked) {
    auto* C = Make<TQELCheckbox>(10);
    C->SetAsButton(true);
    C->SetAlign(taCenter);
    ShowForm();
    const int Left = InkFrom(C, true), Right = InkFrom(C, false);
    ASSERT_NE(Left, -1);
    EXPECT_NEAR((Left + Right) / 2, C->ClientWidth() / 2, 3) << "caption image centred";
    ClickAt(C, 60, 10);
    EXPECT_TRUE(C->Checked());
    EXPECT_NE(InkFrom(C, true), Left) << "drawn pushed in while checked";
}

TEST_F(BPButtonsTest, BackgroundFillsTheImage) {
    auto* C = Make<TQELCheckbox>(10);
    auto* Bg = new TQELBackground(Form);
    Bg->SetBackStyle(bSolidcolor);
    Bg->SetSolidColor(clTeal);
    C->SetBack(Bg);
    ShowForm();
    EXPECT_EQ(Color(C, 110, 2), clTeal);
    delete Bg;
    EXPECT_EQ(C->Background(), nullptr);
    Settle();
    EXPECT_EQ(Color(C, 110, 2), Sys(clBtnFace));
}
