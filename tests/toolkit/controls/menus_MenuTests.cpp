// Menu navigation with injected keys and clicks: popup menus, submenus, the main menu bar,
// shortcuts and their text form.
#include "ControlsTestSupport.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/Menus.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

struct MenuFixture : ::testing::Test {
    void SetUp() override {
        Headless();
        Form = new TForm(nullptr);
        Form->SetBounds(100, 100, 400, 300);
    }
    void TearDown() override {
        delete Form;
        Pump();
    }
    TMenuItem* Item(TComponent* Owner, TMenuItem* Parent, const std::string& Caption) {
        auto* I = new TMenuItem(Owner);
        I->SetCaption(Caption);
        I->OnClick = [this, Caption](TObject*) { Log.push_back(Caption); };
        Parent->Add(I);
        return I;
    }
    TForm* Form = nullptr;
    std::vector<std::string> Log;
};

TEST_F(MenuFixture, PopupKeyboardSkipsSeparatorsAndDisabledItemsStayInert) {
    TPopupMenu Menu(Form);
    Item(Form, Menu.Items(), "&Cut");
    Item(Form, Menu.Items(), "-");
    Item(Form, Menu.Items(), "&Paste")->SetEnabled(false);
    Item(Form, Menu.Items(), "&Delete");
    Form->Show();
    Pump();
    // Down, Down: Cut, then over the separator to Paste; Enter on a disabled item does nothing.
    Headless().Key(VK_DOWN);
    Headless().Key(VK_DOWN);
    Headless().Key(VK_RETURN);
    Headless().Key(VK_DOWN);
    Headless().Key(VK_RETURN);
    TMenuItem* Chosen = Menu.Popup(200, 200);
    ASSERT_NE(Chosen, nullptr);
    EXPECT_EQ(Chosen->Caption(), "&Delete");
    EXPECT_EQ(Log, std::vector<std::string>{"&Delete"});
    Headless().Type("c");
    Menu.Popup(200, 200);
    EXPECT_EQ(Log.back(), "&Cut") << "the accelerator letter chooses";
    Headless().Key(VK_ESCAPE);
    EXPECT_EQ(Menu.Popup(200, 200), nullptr);
    EXPECT_EQ(Log.size(), 2u);
}

TEST_F(MenuFixture, MouseOpensSubmenuAndClicksItsItemOrCancelsOutside) {
    TPopupMenu Menu(Form);
    Item(Form, Menu.Items(), "Open");
    TMenuItem* Recent = Item(Form, Menu.Items(), "Recent");
    Item(Form, Recent, "a.txt");
    Item(Form, Recent, "b.txt");
    Form->Show();
    Pump();
    TMenuItem* Chosen = nullptr;
    // Hovering "Recent" (row 1 of the menu at 300, 100) opens its submenu, which takes the keys.
    Menu.OnPopup = [&](TObject*) {
        Headless().MouseMove(330, 100 + 33);
        Headless().Key(VK_DOWN);
        Headless().Key(VK_DOWN);
        Headless().Key(VK_RETURN);
    };
    Chosen = Menu.Popup(300, 100);
    ASSERT_NE(Chosen, nullptr);
    EXPECT_EQ(Chosen->Caption(), "b.txt");
    Menu.OnPopup = [](TObject*) {
        Headless().MouseDown(1, 50, 700);
        Headless().MouseUp(1, 50, 700);
    };
    EXPECT_EQ(Menu.Popup(300, 100), nullptr) << "a click outside cancels";
    Menu.OnPopup = [](TObject*) {
        Headless().MouseMove(330, 100 + 12);
        Headless().MouseDown(1, 330, 100 + 12);
        Headless().MouseUp(1, 330, 100 + 12);
    };
    Chosen = Menu.Popup(300, 100);
    ASSERT_NE(Chosen, nullptr);
    EXPECT_EQ(Chosen->Caption(), "Open");
}

TEST_F(MenuFixture, MainMenuBarAltAcceleratorArrowsAndShortcuts) {
    auto* Main = new TMainMenu(Form);
    TMenuItem* File = Item(Form, Main->Items(), "&File");
    TMenuItem* Save = Item(Form, File, "&Save");
    Save->SetShortCut(TextToShortCut("Ctrl+S"));
    Item(Form, File, "E&xit");
    TMenuItem* View = Item(Form, Main->Items(), "&View");
    TMenuItem* Grid = Item(Form, View, "&Grid");
    Grid->SetAutoCheck(true);
    auto* Edit = new TEdit(Form);
    Edit->SetParent(Form);
    Form->Show();
    Pump();
    ASSERT_NE(Main->Bar(), nullptr);
    EXPECT_EQ(Main->Bar()->Top(), 0);
    Edit->SetFocus();
    // Alt+F opens File with Save selected; Right moves to View; Enter toggles Grid.
    std::vector<std::function<void()>> Steps;
    Main->OnDropDown = [&](TObject*) {
        if (!Steps.empty()) {
            Steps.front()();
            Steps.erase(Steps.begin());
        }
    };
    Steps.push_back([] {
        Headless().Key(VK_RIGHT);
        Headless().Key(VK_RETURN);
    });
    Headless().Key('F', SHIFT_ALT, 'f');
    Pump(50);
    EXPECT_EQ(Log, std::vector<std::string>{"&Grid"});
    EXPECT_TRUE(Grid->Checked());
    EXPECT_TRUE(Edit->Focused()) << "the focus comes back after the menu";
    EXPECT_TRUE(Main->IsShortCut('S', {ssCtrl}));
    EXPECT_EQ(Log.back(), "&Save");
    EXPECT_FALSE(Main->IsShortCut('S', {ssShift}));
}

TEST_F(MenuFixture, ClickOnTheBarOpensTheDropDown) {
    auto* Main = new TMainMenu(Form);
    TMenuItem* File = Item(Form, Main->Items(), "&File");
    Item(Form, File, "&Open");
    Item(Form, File, "E&xit");
    int Opened = 0;
    Main->OnDropDown = [&](TObject*) {
        ++Opened;
        Headless().Key(VK_DOWN);
        Headless().Key(VK_DOWN);
        Headless().Key(VK_RETURN);
    };
    Form->Show();
    Pump();
    TRect R = Main->Bar()->ItemRect(0);
    TPoint P = At(Main->Bar(), R.Left + 5, R.Top + 5);
    Headless().Click(P.X, P.Y);
    Pump(50);
    EXPECT_EQ(Opened, 1);
    EXPECT_EQ(Log, std::vector<std::string>{"E&xit"});
    EXPECT_EQ(Main->Bar()->HotIndex(), -1) << "the bar item is released after the menu";
}

TEST_F(MenuFixture, TypedShortcutReachesTheMainMenuFromTheFocusedControl) {
    auto* Main = new TMainMenu(Form);
    TMenuItem* File = Item(Form, Main->Items(), "&File");
    Item(Form, File, "&Save")->SetShortCut(TextToShortCut("Ctrl+S"));
    Item(Form, File, "&Find")->SetShortCut(TextToShortCut("F3"));
    auto* Edit = new TEdit(Form);
    Edit->SetParent(Form);
    Edit->SetBounds(10, 40, 100, 21);
    Form->Show();
    Pump();
    Edit->SetFocus();
    Headless().KeyDown(VK_CONTROL, MK_CONTROL);
    Headless().Key('S', MK_CONTROL, 0x13);
    Headless().KeyUp(VK_CONTROL, 0);
    Headless().Key(VK_F3);
    Headless().Type("s");
    Pump();
    EXPECT_EQ(Log, (std::vector<std::string>{"&Save", "&Find"}));
    EXPECT_EQ(Edit->Text(), "s") << "a key that is no shortcut still types";
}

TEST_F(MenuFixture, RightClickShowsThePopupMenuOfTheControlOrItsParent) {
    auto* Popup = new TPopupMenu(Form);
    Item(Form, Popup->Items(), "&Copy");
    auto* Edit = new TEdit(Form);
    Edit->SetParent(Form);
    Edit->SetBounds(10, 10, 100, 21);
    Edit->SetPopupMenu(Popup);
    Form->Show();
    Pump();
    int Popped = 0;
    Popup->OnPopup = [&](TObject*) { ++Popped; };
    // The click and the keys that answer the menu arrive in one batch.
    TPoint P = At(Edit, 5, 5);
    Headless().Click(P.X, P.Y, 2);
    Headless().Key(VK_DOWN);
    Headless().Key(VK_RETURN);
    Pump(50);
    EXPECT_EQ(Popped, 1);
    EXPECT_EQ(Log, std::vector<std::string>{"&Copy"});
    EXPECT_EQ(Popup->PopupComponent(), Edit);
    // A control without a menu uses its parent's; AutoPopup off shows nothing.
    Edit->SetPopupMenu(nullptr);
    Form->SetPopupMenu(Popup);
    Headless().Click(P.X, P.Y, 2);
    Headless().Key(VK_ESCAPE);
    Pump(50);
    EXPECT_EQ(Popped, 2);
    EXPECT_EQ(Popup->PopupComponent(), Form);
    Popup->SetAutoPopup(false);
    Headless().Click(P.X, P.Y, 2);
    Headless().Key(VK_ESCAPE); // would end a menu shown by mistake
    Pump(50);
    EXPECT_EQ(Popped, 2);
}

TEST_F(MenuFixture, ContextPopupEventsTravelUpUntilHandled) {
    auto* Popup = new TPopupMenu(Form);
    Item(Form, Popup->Items(), "&Copy");
    auto* Edit = new TEdit(Form);
    Edit->SetParent(Form);
    Edit->SetBounds(10, 10, 100, 21);
    Form->SetPopupMenu(Popup);
    Form->Show();
    Pump();
    int Popped = 0;
    Popup->OnPopup = [&](TObject*) { ++Popped; };
    std::vector<std::pair<TObject*, TPoint>> Asked;
    bool EditHandles = true;
    Edit->OnContextPopup = [&](TObject* S, TPoint P, bool& Handled) {
        Asked.emplace_back(S, P);
        Handled = EditHandles;
    };
    Form->OnContextPopup = [&](TObject* S, TPoint P, bool&) { Asked.emplace_back(S, P); };

    TPoint P = At(Edit, 7, 5);
    Headless().Click(P.X, P.Y, 2);
    Pump(50);
    ASSERT_EQ(Asked.size(), 1u) << "a handled request goes no further";
    EXPECT_EQ(Asked[0].second, (TPoint{7, 5})) << "in the control's own coordinates";
    EXPECT_EQ(Popped, 0);

    EditHandles = false;
    Headless().Click(P.X, P.Y, 2);
    Headless().Key(VK_ESCAPE);
    Pump(50);
    ASSERT_EQ(Asked.size(), 3u);
    EXPECT_EQ(Asked[2].first, Form);
    EXPECT_EQ(Asked[2].second, Form->ScreenToClient(P));
    EXPECT_EQ(Popped, 1) << "then the parent's menu answers";

    // The menu key asks from the focused control, without a mouse position.
    Edit->SetFocus();
    Headless().Key(VK_APPS);
    Headless().Key(VK_ESCAPE);
    Pump(50);
    ASSERT_EQ(Asked.size(), 5u);
    EXPECT_EQ(Asked[3].second, (TPoint{-1, -1}));
    EXPECT_EQ(Popped, 2);
}

TEST(ShortCutTests, TextRoundTrip) {
    for (const char* T : {"Ctrl+S", "Shift+Del", "F5", "Ctrl+Alt+Enter", "Shift+Ctrl+F12"})
        EXPECT_EQ(ShortCutToText(TextToShortCut(T)), T);
    EXPECT_EQ(TextToShortCut("Ctrl+"), 0);
    EXPECT_EQ(TextToShortCut("Hyper+X"), 0);
    EXPECT_EQ(TextToShortCut("ctrl+s"), ShortCut('S', {ssCtrl}));
}

} // namespace
