// The toolbar button: hover, press and latch states driven by injected mouse input, groups,
// the drop-down menu, the disabled state, the accelerator, and losing the capture or the
// pointer to other windows.
#include "ButtonsTestSupport.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/ExtCtrls.h"
#include "toolkit/controls/Menus.h"
#include "visual/QELTIEButton.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace qel;
using namespace qel::test;

namespace {

// Records where it was asked to open instead of tracking a menu.
class TRecordingMenu : public TPopupMenu {
  public:
    using TPopupMenu::TPopupMenu;
    TMenuItem* Popup(int X, int Y) override {
        At = {X, Y};
        ++Shown;
        if (WhileShown) WhileShown();
        return nullptr;
    }
    TPoint At;
    int Shown = 0;
    std::function<void()> WhileShown;
};

struct IEButtonTest : ButtonsFixture {
    void SetUp() override {
        ButtonsFixture::SetUp();
        Bar = new TPanel(Form);
        Bar->SetParent(Form);
        Bar->SetBounds(10, 10, 300, 40);
        Bar->SetBevelOuter(bvNone);
    }
    TQELIEButton* Make(const std::string& Name, int Left, int Group = 0) {
        auto* B = new TQELIEButton(Form);
        B->SetName(Name);
        B->SetParent(Bar);
        B->SetBounds(Left, 5, 80, 21);
        B->Setcaption(Name);
        B->SetGroupIndex(Group);
        B->OnClick = [this, Name](TObject*) { Clicks.push_back(Name); };
        return B;
    }
    // The left bevel column: highlight when raised, shadow when sunken, the panel otherwise.
    TColor Edge(TQELIEButton* B) const { return Color(B, 0, 10); }
    TPanel* Bar = nullptr;
    std::vector<std::string> Clicks;
};

} // namespace

TEST_F(IEButtonTest, ConstructionDefaults) {
    TQELIEButton* B = Make("A", 0);
    EXPECT_EQ(B->Width(), 80);
    EXPECT_EQ(B->Height(), 21);
    EXPECT_EQ(B->ControlStyle(), (TControlStyle{csCaptureMouse, csClickEvents, csSetCaption}));
    EXPECT_EQ(B->Options(), (TQELButtonOptions{opMonoDisplay, opMenuArrow}));
    EXPECT_EQ(B->BevelLooks(), bk97);
    EXPECT_EQ(B->Layout(), pTop);
    EXPECT_FALSE(B->DesignTimeFrame());
    TForm Designed(nullptr);
    Designed.SetDesigning(true, true);
    auto* D = new TQELIEButton(&Designed);
    EXPECT_TRUE(D->DesignTimeFrame());
}

TEST_F(IEButtonTest, HoverRaisesPressSinksReleaseClicks) {
    TQELIEButton* B = Make("A", 10);
    ShowForm();
    EXPECT_EQ(Edge(B), Sys(clBtnFace));
    MoveTo(B, 40, 10);
    EXPECT_TRUE(B->Hot());
    EXPECT_EQ(GetCaptureControl(), B);
    EXPECT_EQ(Edge(B), Sys(clBtnHighlight));
    Press(B, 40, 10);
    EXPECT_TRUE(B->Pressed());
    EXPECT_EQ(Edge(B), Sys(clBtnShadow));
    Release(B, 40, 10);
    EXPECT_EQ(Clicks, (std::vector<std::string>{"A"}));
    EXPECT_FALSE(B->Hot()) << "a click clears the hover until the next move";
    EXPECT_EQ(Edge(B), Sys(clBtnFace));
    MoveTo(B, 41, 10);
    EXPECT_TRUE(B->Hot());
    // The right and bottom edge lines still count as over the button.
    MoveTo(B, 80, 21);
    EXPECT_TRUE(B->Hot());
    MoveTo(B, 81, 10);
    EXPECT_FALSE(B->Hot());
    EXPECT_EQ(GetCaptureControl(), nullptr);
    EXPECT_EQ(Edge(B), Sys(clBtnFace));
}

TEST_F(IEButtonTest, DraggedOffKeepsTheCaptureAndReleasingOutsideDoesNotClick) {
    TQELIEButton* B = Make("A", 10);
    ShowForm();
    MoveTo(B, 40, 10);
    Press(B, 40, 10);
    MoveTo(B, 40, 60);
    EXPECT_FALSE(B->Hot());
    EXPECT_TRUE(B->Pressed());
    EXPECT_EQ(GetCaptureControl(), B);
    EXPECT_EQ(Edge(B), Sys(clBtnFace)) << "no bevel while dragged off";
    MoveTo(B, 40, 10);
    EXPECT_EQ(Edge(B), Sys(clBtnShadow)) << "sunken again when back";
    MoveTo(B, 40, 60);
    Release(B, 40, 60);
    EXPECT_TRUE(Clicks.empty());
    EXPECT_FALSE(B->Pressed());
    EXPECT_EQ(GetCaptureControl(), nullptr);
}

TEST_F(IEButtonTest, GroupWithAndWithoutAllowAllUp) {
    TQELIEButton* A = Make("A", 0, 1);
    TQELIEButton* B = Make("B", 90, 1);
    TQELIEButton* C = Make("C", 180, 1);
    A->SetDown(true);
    ShowForm();
    EXPECT_EQ(Edge(A), Sys(clBtnShadow)) << "latched down: sunken";
    ClickAt(B, 30, 10);
    EXPECT_TRUE(B->Down());
    EXPECT_FALSE(A->Down());
    EXPECT_FALSE(C->Down());
    EXPECT_EQ(Edge(A), Sys(clBtnFace));
    EXPECT_EQ(Edge(B), Sys(clBtnShadow));
    ClickAt(B, 31, 10);
    EXPECT_TRUE(B->Down()) << "without AllowAllUp one button stays down";
    C->SetAllowAllUp(true);
    EXPECT_TRUE(A->AllowAllUp());
    EXPECT_TRUE(B->AllowAllUp());
    ClickAt(B, 30, 10);
    EXPECT_FALSE(B->Down());
    EXPECT_FALSE(A->Down() || C->Down());
    EXPECT_EQ(Clicks, (std::vector<std::string>{"B", "B", "B"}));
    // An ungrouped button cannot be down, and leaving a group lets a button up.
    TQELIEButton* Free = Make("Free", 270);
    Free->SetDown(true);
    EXPECT_FALSE(Free->Down());
    C->SetDown(true);
    C->SetGroupIndex(0);
    EXPECT_FALSE(C->Down());
    // Another parent is another group.
    auto* Other = new TQELIEButton(Form);
    Other->SetParent(Form);
    Other->SetTop(100);
    Other->SetGroupIndex(1);
    Other->SetDown(true);
    A->SetDown(true);
    EXPECT_TRUE(Other->Down());
}

TEST_F(IEButtonTest, DropDownMenuOpensAtTheBottomLeftCornerAndNeverClicks) {
    TQELIEButton* B = Make("Menu", 10);
    auto* Menu = new TRecordingMenu(Form);
    B->SetDropDown(Menu);
    bool PressedWhileShown = false;
    Menu->WhileShown = [&] { PressedWhileShown = B->Pressed() && B->Hot(); };
    ShowForm();
    // The drop-down mark: seven pixels in the font colour, point down.
    const int MarkX = 80 - 13, MarkY = 10 - 2; // Round(10.5) = 10
    const TColor Ink = Sys(B->Font()->Color());
    EXPECT_EQ(Color(B, MarkX, MarkY - 1), Ink);
    EXPECT_EQ(Color(B, MarkX + 6, MarkY - 1), Ink);
    EXPECT_EQ(Color(B, MarkX + 3, MarkY + 2), Ink);
    EXPECT_EQ(Color(B, MarkX + 2, MarkY + 2), Sys(clBtnFace));
    ClickAt(B, 20, 10);
    EXPECT_EQ(Menu->Shown, 1);
    EXPECT_EQ(Menu->At, B->ClientToScreen({0, 21}));
    EXPECT_TRUE(PressedWhileShown);
    EXPECT_FALSE(B->Pressed());
    EXPECT_TRUE(Clicks.empty());
    delete Menu;
    EXPECT_EQ(B->DropDownMenu(), nullptr);
    ClickAt(B, 20, 10);
    EXPECT_EQ(Clicks, (std::vector<std::string>{"Menu"}));
}

TEST_F(IEButtonTest, DisabledButtonChangesNoStateAndDrawsNoBevel) {
    TQELIEButton* A = Make("A", 0, 1);
    TQELIEButton* B = Make("B", 90, 1);
    A->SetDown(true);
    B->SetEnabled(false);
    EXPECT_TRUE(static_cast<TControl*>(B)->Enabled()) << "the toolkit keeps sending the mouse";
    ShowForm();
    MoveTo(B, 30, 10);
    EXPECT_EQ(Edge(B), Sys(clBtnFace));
    Press(B, 30, 10);
    EXPECT_FALSE(B->Pressed());
    Release(B, 30, 10);
    EXPECT_TRUE(A->Down());
    EXPECT_FALSE(B->Down());
    EXPECT_TRUE(Clicks.empty());
    EXPECT_EQ(Edge(B), Sys(clBtnFace));
    // It lets go of the capture when the pointer leaves, as an enabled one does.
    MoveTo(B, 30, 40);
    EXPECT_EQ(GetCaptureControl(), nullptr);
    // Disabled while down: no bevel even though it stays latched.
    A->SetEnabled(false);
    Settle();
    EXPECT_TRUE(A->Down());
    EXPECT_EQ(Edge(A), Sys(clBtnFace));
}

TEST_F(IEButtonTest, AcceleratorTogglesAGroupedButtonAndLeavesNoRaisedBevel) {
    TQELIEButton* A = Make("A", 0, 1);
    TQELIEButton* B = Make("B", 90, 1);
    B->Setcaption("&Bold");
    B->SetAllowAllUp(true);
    auto* Edit = new TEdit(Form);
    Edit->SetParent(Form);
    Edit->SetBounds(10, 100, 100, 21);
    A->SetDown(true);
    ShowForm();
    Edit->SetFocus();
    MoveTo(Edit, 5, 5);
    Headless().Key('B', SHIFT_ALT, 'b');
    Settle();
    EXPECT_TRUE(B->Down());
    EXPECT_FALSE(A->Down());
    EXPECT_FALSE(B->Hot());
    EXPECT_EQ(Clicks, (std::vector<std::string>{"B"}));
    EXPECT_EQ(Edge(B), Sys(clBtnShadow)) << "down, not raised";
    Headless().Key('B', SHIFT_ALT, 'b');
    Settle();
    EXPECT_FALSE(B->Down()) << "AllowAllUp: the second press lets it up";
    EXPECT_EQ(Edge(B), Sys(clBtnFace));
    // With the pointer over the button the click ends the hover as a mouse click does, and
    // the next move brings it back.
    MoveTo(B, 30, 10);
    Headless().Key('B', SHIFT_ALT, 'b');
    Settle();
    EXPECT_FALSE(B->Hot());
    MoveTo(B, 31, 10);
    EXPECT_TRUE(B->Hot());
    // A disabled button leaves the character to others.
    B->SetEnabled(false);
    Headless().Key('B', SHIFT_ALT, 'b');
    Settle();
    EXPECT_EQ(Clicks.size(), 3u);
}

TEST_F(IEButtonTest, NoStateOutlivesTheCaptureOrThePointerLeavingTheWindow) {
    TQELIEButton* B = Make("A", 10);
    auto* Edit = new TEdit(Form);
    Edit->SetParent(Form);
    Edit->SetBounds(10, 100, 100, 21);
    ShowForm();
    MoveTo(B, 40, 10);
    ASSERT_TRUE(B->Hot());
    SetCaptureControl(Edit);
    EXPECT_FALSE(B->Hot());
    SetCaptureControl(nullptr);
    Settle();
    EXPECT_EQ(Edge(B), Sys(clBtnFace));
    // Pressed, then another window takes the capture: the release later clicks nothing.
    MoveTo(B, 41, 10);
    Press(B, 41, 10);
    ASSERT_TRUE(B->Pressed());
    SetCapture(Edit->Handle());
    EXPECT_FALSE(B->Pressed());
    ReleaseCapture();
    Release(B, 41, 10);
    EXPECT_TRUE(Clicks.empty());
    // Hover ends when the pointer leaves the window altogether.
    MoveTo(B, 42, 10);
    ASSERT_TRUE(B->Hot());
    Headless().MouseMove(900, 700);
    Settle();
    EXPECT_FALSE(B->Hot());
    EXPECT_EQ(GetCaptureControl(), nullptr);
}

TEST_F(IEButtonTest, ClickHandlerMayFreeTheButton) {
    TQELIEButton* B = Make("A", 10);
    B->OnClick = [B](TObject*) { delete B; };
    ShowForm();
    ClickAt(B, 30, 10);
    EXPECT_EQ(Bar->ControlCount(), 0);
    EXPECT_EQ(GetCaptureControl(), nullptr);
}

TEST_F(IEButtonTest, GlyphGreyUntilHoveredAndCaptionShiftsWhenDown) {
    TQELIEButton* B = Make("", 10, 1);
    B->SetBounds(10, 5, 40, 30);
    TBitmap G;
    Fill(G, 16, 16, clRed);
    B->Glyph()->SetBitmap(&G);
    B->Glyph()->SetTransparent(false);
    ShowForm();
    // pTop: X = Round(20) - 8 = 12, Y = 6.
    EXPECT_EQ(Color(B, 12, 6), Sys(clBtnShadow)) << "grey form of a pure red image";
    MoveTo(B, 20, 20);
    EXPECT_EQ(Color(B, 12, 6), clRed);
    EXPECT_EQ(Color(B, 11, 6), Sys(clBtnFace));
    B->SetOptions({});
    MoveTo(B, 20, 40);
    EXPECT_EQ(Color(B, 12, 6), clRed) << "without opMonoDisplay always in colour";
    // Caption only: one pixel lower while down.
    TQELIEButton* T = Make("Text", 100, 1);
    T->Font()->SetColor(clBlue);
    T->Font3D()->Set3d(false);
    Settle();
    auto Rows = [&] {
        std::vector<int> Ys;
        for (int Y = 0; Y < 21; ++Y)
            for (int X = 0; X < 80; ++X)
                if (Color(T, X, Y) == clBlue) {
                    Ys.push_back(Y);
                    break;
                }
        return Ys;
    };
    const std::vector<int> Up = Rows();
    ASSERT_FALSE(Up.empty());
    T->SetDown(true);
    Settle();
    const std::vector<int> Down = Rows();
    ASSERT_EQ(Down.size(), Up.size());
    EXPECT_EQ(Down.front(), Up.front() + 1);
}
