// Editing, selection and clipboard of the single- and multi-line edits, driven by injected
// keys and clicks.
#include "ControlsTestSupport.h"
#include "toolkit/controls/Clipbrd.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/Memo.h"

#include <chrono>
#include <gtest/gtest.h>
#include <vector>

using namespace qel;
using namespace qel::test;

namespace {

struct EditFixture : ::testing::Test {
    void SetUp() override {
        Headless();
        Form = new TForm(nullptr);
        Form->SetBounds(100, 100, 400, 300);
        Edit = new TEdit(Form);
        Edit->SetParent(Form);
        Edit->SetBounds(10, 10, 200, 21);
        Memo = new TMemo(Form);
        Memo->SetParent(Form);
        Memo->SetBounds(10, 50, 300, 200);
        Form->Show();
        Pump();
    }
    void TearDown() override {
        delete Form;
        Pump();
    }
    TForm* Form = nullptr;
    TEdit* Edit = nullptr;
    TMemo* Memo = nullptr;
};

TEST_F(EditFixture, TypingReplacesTheSelectionAndRespectsMaxLength) {
    Edit->SetFocus();
    Headless().Type("hello world");
    Pump();
    EXPECT_EQ(Edit->Text(), "hello world");
    Headless().Key(VK_HOME);
    Headless().Key(VK_RIGHT, MK_SHIFT | MK_CONTROL); // select "hello "
    Pump();
    EXPECT_EQ(Edit->SelText(), "hello ");
    Headless().Type("big ");
    Pump();
    EXPECT_EQ(Edit->Text(), "big world");
    Headless().Key(VK_BACK);
    Headless().Key(VK_DELETE);
    Pump();
    EXPECT_EQ(Edit->Text(), "bigorld");
    Edit->SetMaxLength(9);
    Headless().Type("xyzuvw");
    Pump();
    EXPECT_EQ(Edit->Text(), "bigxyorld") << "input beyond MaxLength is dropped";
    int Changes = 0;
    Edit->OnChange = [&](TObject*) { ++Changes; };
    Headless().Type("q");
    Pump();
    EXPECT_EQ(Changes, 0) << "a refused key is no change";
}

TEST_F(EditFixture, TypedPunctuationUsesItsOwnKeysNotNavigationKeys) {
    Edit->SetFocus();
    Edit->SetText("");
    std::vector<int> Keys;
    Edit->OnKeyDown = [&](TObject*, WORD& Key, TShiftState) { Keys.push_back(Key); };
    // '!', '.' and '$' share their codes with Page Up, Delete and Home.
    Headless().Type("a!.$b");
    Pump();
    EXPECT_EQ(Edit->Text(), "a!.$b");
    EXPECT_EQ(Keys, (std::vector<int>{'A', VK_SHIFT, '1', VK_OEM_PERIOD, VK_SHIFT, '4', 'B'}));
    Edit->SetText("");
    Headless().Type("x;'[]/\\-=,`~?\"");
    Pump();
    EXPECT_EQ(Edit->Text(), "x;'[]/\\-=,`~?\"");
}

TEST_F(EditFixture, ClipboardCutCopyPasteAndMultibyteCharacters) {
    Edit->SetText("gr\xC3\xBC\xC3\x9F dich");
    Edit->SetFocus();
    Headless().Key(VK_HOME);
    Headless().Key(VK_RIGHT, MK_SHIFT);
    Headless().Key(VK_RIGHT, MK_SHIFT);
    Headless().Key(VK_RIGHT, MK_SHIFT);
    Headless().Key('X', MK_CONTROL);
    Pump();
    EXPECT_EQ(Clipboard().AsText(), "gr\xC3\xBC");
    EXPECT_EQ(Edit->Text(), "\xC3\x9F dich");
    EXPECT_EQ(Edit->SelStart(), 0);
    Headless().Key(VK_END);
    Headless().Key('V', MK_CONTROL);
    Pump();
    EXPECT_EQ(Edit->Text(), "\xC3\x9F dichgr\xC3\xBC");
    EXPECT_EQ(Edit->SelStart(), 9) << "positions count characters, not bytes";
    Clipboard().SetAsText("one\r\ntwo");
    Edit->SelectAll();
    Edit->PasteFromClipboard();
    EXPECT_EQ(Edit->Text(), "one") << "a single-line edit keeps the first line";
    Edit->SetReadOnly(true);
    Headless().Type("zz");
    Headless().Key(VK_BACK);
    Pump();
    EXPECT_EQ(Edit->Text(), "one");
    Edit->SetPasswordChar('*');
    Edit->SelectAll();
    Clipboard().SetAsText("kept");
    Edit->CopyToClipboard();
    EXPECT_EQ(Clipboard().AsText(), "kept") << "a password is never copied";
}

TEST_F(EditFixture, MouseDragSelectsAndWordMovesByKeyboard) {
    Edit->SetText("alpha beta gamma");
    Pump();
    TPoint A = At(Edit, 1, 8), B = At(Edit, 190, 8);
    Headless().MouseDown(1, A.X, A.Y);
    Headless().MouseMove(B.X, B.Y);
    Headless().MouseUp(1, B.X, B.Y);
    Pump();
    EXPECT_TRUE(Edit->Focused());
    EXPECT_EQ(Edit->SelText(), "alpha beta gamma");
    Edit->SetSelStart(0);
    Headless().Key(VK_RIGHT, MK_CONTROL);
    Pump();
    EXPECT_EQ(Edit->SelStart(), 6) << "Ctrl+Right goes to the next word";
}

TEST_F(EditFixture, MemoLinesEnterAndArrowNavigation) {
    Memo->SetFocus();
    Headless().Type("first");
    Headless().Key(VK_RETURN);
    Headless().Type("second line");
    Pump();
    ASSERT_EQ(Memo->Lines()->Count(), 2);
    EXPECT_EQ(Memo->Lines()->Strings(1), "second line");
    Headless().Key(VK_UP);
    Pump();
    EXPECT_EQ(Memo->CaretPosXY().Y, 0) << Memo->SelStart();
    Headless().Key(VK_END);
    Pump();
    EXPECT_EQ(Memo->SelStart(), 5);
    Headless().Type("?");
    Pump();
    EXPECT_EQ(Memo->Lines()->Strings(0), "first?");
    Headless().Key(VK_DOWN, MK_SHIFT);
    Pump();
    EXPECT_EQ(Memo->CaretPosXY().Y, 1);
    Memo->Lines()->Add("third");
    EXPECT_EQ(Memo->Text(), "first?\nsecond line\nthird\n");
    Memo->Lines()->Delete(1);
    EXPECT_EQ(Memo->Lines()->Count(), 2);
    EXPECT_EQ(Memo->Lines()->Strings(1), "third");
    Memo->SelectAll();
    EXPECT_EQ(Memo->SelLength(), 13);
}

TEST_F(EditFixture, WordWrapBreaksAtSpacesAndScrollsWithTheCaret) {
    Memo->SetWordWrap(true);
    std::string Words;
    for (int I = 0; I < 200; ++I)
        Words += "word" + std::to_string(I) + " ";
    Memo->SetText(Words);
    EXPECT_GT(Memo->RowCount(), 10);
    EXPECT_EQ(Memo->Lines()->Count(), 1) << "wrapping adds rows, not lines";
    Memo->SetFocus();
    Headless().Key(VK_END, MK_CONTROL);
    Pump();
    EXPECT_GT(Memo->TopRow(), 0) << "the caret at the end is scrolled into view";
    EXPECT_LE(Memo->RowCount() - Memo->TopRow(), Memo->VisibleRows());
    Memo->SetWordWrap(false);
    EXPECT_EQ(Memo->RowCount(), 1);
}

TEST_F(EditFixture, WheelScrollsTheMemoButNotTheEdit) {
    std::string Text;
    for (int I = 0; I < 100; ++I)
        Text += "line " + std::to_string(I) + "\n";
    Memo->SetText(Text);
    Pump();
    TPoint P = At(Memo, 20, 20);
    Headless().Wheel(P.X, P.Y, -2 * 120);
    Pump();
    EXPECT_EQ(Memo->TopRow(), 6);
    int FormTurns = 0;
    Form->OnMouseWheel = [&](TObject*, TShiftState, int, TPoint, bool& Handled) {
        ++FormTurns;
        Handled = true;
    };
    TPoint E = At(Edit, 5, 5);
    Headless().Wheel(E.X, E.Y, -120);
    Pump();
    EXPECT_EQ(FormTurns, 1) << "a one-line edit does not scroll: its form hears the turn";
}

TEST_F(EditFixture, TenMegabytePasteStaysResponsive) {
    std::string Big;
    Big.reserve(10u << 20);
    while (Big.size() < (10u << 20))
        Big += "The quick brown fox jumps over the lazy dog, line after line.\r\n";
    Clipboard().SetAsText(Big);
    Memo->SetWordWrap(false);
    Memo->SetScrollBars(ssBoth);
    Memo->SetFocus();
    auto T0 = std::chrono::steady_clock::now();
    Headless().Key('V', MK_CONTROL);
    Pump();
    Headless().Type("x");
    Headless().Key(VK_PRIOR);
    Pump();
    double S = std::chrono::duration<double>(std::chrono::steady_clock::now() - T0).count();
    EXPECT_GT(Memo->Lines()->Count(), 150000);
    EXPECT_GT(Memo->TopRow(), 0);
    EXPECT_EQ(Memo->Text().back(), 'x');
    // A loose bound: it catches work that grows with the square of the text (minutes on 10 MB)
    // and still holds under the sanitizers on a busy machine.
    EXPECT_LT(S, 30.0) << "paste, a keystroke and a page move took " << S << " s";
}

} // namespace
