// Alignment, anchors, constraints, focus, Tab order and dialog keys.
#include "ControlsTestSupport.h"
#include "toolkit/controls/ExtCtrls.h"
#include "toolkit/controls/StdCtrls.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace qel;
using namespace qel::test;

namespace {

struct FormFixture : ::testing::Test {
    void SetUp() override {
        Headless();
        Form = new TForm(nullptr);
        Form->SetBounds(10, 10, 400, 300);
    }
    void TearDown() override { delete Form; }
    TForm* Form = nullptr;
};

TPanel* NewPanel(TWinControl* Parent, TAlign A, int W, int H) {
    auto* P = new TPanel(Parent->GetParentForm());
    P->SetBounds(0, 0, W, H);
    P->SetBevelOuter(bvNone);
    P->SetParent(Parent);
    P->SetAlign(A);
    return P;
}

using AlignTests = FormFixture;

TEST_F(AlignTests, EdgesTakeSpaceInOrderAndClientGetsTheRest) {
    TPanel* Top = NewPanel(Form, alTop, 50, 30);
    TPanel* Bottom = NewPanel(Form, alBottom, 50, 20);
    TPanel* Left = NewPanel(Form, alLeft, 40, 10);
    TPanel* Right = NewPanel(Form, alRight, 60, 10);
    TPanel* Client = NewPanel(Form, alClient, 5, 5);
    EXPECT_EQ(Top->BoundsRect(), Rect(0, 0, 400, 30));
    EXPECT_EQ(Bottom->BoundsRect(), Rect(0, 280, 400, 300));
    EXPECT_EQ(Left->BoundsRect(), Rect(0, 30, 40, 280));
    EXPECT_EQ(Right->BoundsRect(), Rect(340, 30, 400, 280));
    EXPECT_EQ(Client->BoundsRect(), Rect(40, 30, 340, 280));

    Form->SetBounds(10, 10, 500, 200);
    EXPECT_EQ(Bottom->BoundsRect(), Rect(0, 180, 500, 200));
    EXPECT_EQ(Right->BoundsRect(), Rect(440, 30, 500, 180));
    EXPECT_EQ(Client->BoundsRect(), Rect(40, 30, 440, 180));

    // Hiding an aligned control gives its space back.
    Top->SetVisible(false);
    EXPECT_EQ(Left->BoundsRect(), Rect(0, 0, 40, 180));
}

TEST_F(AlignTests, TwoTopControlsKeepTheirVerticalOrder) {
    TPanel* A = NewPanel(Form, alTop, 10, 10);
    TPanel* B = NewPanel(Form, alTop, 10, 15);
    EXPECT_EQ(A->Top(), 0);
    EXPECT_EQ(B->Top(), 10);
    // Moving B above A reorders them.
    B->SetTop(0);
    EXPECT_EQ(B->Top(), 0);
    EXPECT_EQ(A->Top(), 15);
}

TEST_F(AlignTests, AnchorsFollowTheParentAndConstraintsLimitTheSize) {
    auto* B = new TButton(Form);
    B->SetParent(Form);
    B->SetBounds(300, 250, 75, 25); // 25 from the right, 25 from the bottom
    B->SetAnchors({akRight, akBottom});
    auto* Stretch = new TPanel(Form);
    Stretch->SetParent(Form);
    Stretch->SetBounds(10, 10, 380, 50);
    Stretch->SetAnchors({akLeft, akTop, akRight});
    Stretch->Constraints()->SetMaxWidth(450);

    Form->SetBounds(10, 10, 600, 400);
    EXPECT_EQ(B->BoundsRect(), Rect(500, 350, 575, 375));
    EXPECT_EQ(Stretch->Width(), 450); // would be 580 without the constraint
    Form->SetBounds(10, 10, 300, 200);
    EXPECT_EQ(B->BoundsRect(), Rect(200, 150, 275, 175));
    EXPECT_EQ(Stretch->Width(), 280);
}

using FocusTests = FormFixture;

TEST_F(FocusTests, TabFollowsTabOrderAndSkipsWhatCannotFocus) {
    std::vector<std::string> Log;
    std::vector<TButton*> B;
    for (int I = 0; I < 4; ++I) {
        auto* X = new TButton(Form);
        X->SetName("B" + std::to_string(I));
        X->SetParent(Form);
        X->SetBounds(10, 10 + 30 * I, 75, 25);
        X->OnEnter = [&Log, X](TObject*) { Log.push_back("enter " + X->Name()); };
        X->OnExit = [&Log, X](TObject*) { Log.push_back("exit " + X->Name()); };
        B.push_back(X);
    }
    B[3]->SetTabOrder(0); // B3 B0 B1 B2
    B[1]->SetEnabled(false);
    Form->Show();
    Pump();
    EXPECT_EQ(Form->ActiveControl(), B[3]);
    EXPECT_TRUE(B[3]->Focused());

    Headless().Key(VK_TAB);
    Pump();
    EXPECT_TRUE(B[0]->Focused());
    Headless().Key(VK_TAB);
    Pump();
    EXPECT_TRUE(B[2]->Focused()) << "the disabled button is skipped";
    Headless().Key(VK_TAB);
    Pump();
    EXPECT_TRUE(B[3]->Focused()) << "Tab wraps around";
    Headless().Key(VK_TAB, MK_SHIFT);
    Pump();
    EXPECT_TRUE(B[2]->Focused()) << "Shift+Tab goes back";
    ASSERT_GE(Log.size(), 3u);
    EXPECT_EQ(Log[0], "enter B3");
    EXPECT_EQ(Log[1], "exit B3");
    EXPECT_EQ(Log[2], "enter B0");
}

TEST_F(FocusTests, FocusInsideAPanelEntersThePanelFirst) {
    std::vector<std::string> Log;
    auto* P = new TPanel(Form);
    P->SetParent(Form);
    P->OnEnter = [&](TObject*) { Log.push_back("enter panel"); };
    P->OnExit = [&](TObject*) { Log.push_back("exit panel"); };
    auto* Inner = new TButton(Form);
    Inner->SetParent(P);
    Inner->OnEnter = [&](TObject*) { Log.push_back("enter inner"); };
    auto* Outer = new TButton(Form);
    Outer->SetParent(Form);
    Outer->SetTop(100);
    Outer->OnEnter = [&](TObject*) { Log.push_back("enter outer"); };
    Form->Show();
    Outer->SetFocus();
    Pump();
    Log.clear();
    Inner->SetFocus();
    Outer->SetFocus();
    EXPECT_EQ(
        Log, (std::vector<std::string>{"enter panel", "enter inner", "exit panel", "enter outer"}));
}

TEST_F(FocusTests, EnterClicksTheFocusedButtonElseTheDefaultAndEscapeTheCancelButton) {
    std::vector<std::string> Clicks;
    auto Make = [&](const char* N, int Y) {
        auto* X = new TButton(Form);
        X->SetName(N);
        X->SetParent(Form);
        X->SetTop(Y);
        X->OnClick = [&Clicks, X](TObject*) { Clicks.push_back(X->Name()); };
        return X;
    };
    TButton* Ok = Make("Ok", 0);
    TButton* Other = Make("Other", 30);
    TButton* Cancel = Make("Cancel", 60);
    auto* Box = new TCheckBox(Form);
    Box->SetParent(Form);
    Box->SetTop(90);
    Ok->SetDefault(true);
    Cancel->SetCancel(true);
    Form->Show();
    Other->SetFocus();
    Pump();
    Headless().Key(VK_RETURN);
    Pump();
    Box->SetFocus();
    Pump();
    Headless().Key(VK_RETURN);
    Pump();
    Headless().Key(VK_ESCAPE);
    Pump();
    Headless().Key(VK_RETURN, MK_CONTROL);
    Pump();
    EXPECT_EQ(Clicks, (std::vector<std::string>{"Other", "Ok", "Cancel"}));
}

TEST_F(FocusTests, AcceleratorCharacterClicksTheButton) {
    int Clicks = 0;
    auto* B = new TButton(Form);
    B->SetParent(Form);
    B->SetCaption("&Go");
    B->OnClick = [&](TObject*) { ++Clicks; };
    auto* Box = new TCheckBox(Form);
    Box->SetParent(Form);
    Box->SetTop(40);
    Box->SetCaption("Che&ck");
    Form->Show();
    Pump();
    Headless().Key('G', SHIFT_ALT, 'g');
    Headless().Key('C', SHIFT_ALT, 'c');
    Pump();
    EXPECT_EQ(Clicks, 1);
    EXPECT_TRUE(Box->Checked());
}

TEST_F(FocusTests, KeyPreviewLetsTheFormSeeKeysFirst) {
    auto* B = new TButton(Form);
    B->SetParent(Form);
    std::vector<std::string> Log;
    Form->SetKeyPreview(true);
    Form->OnKeyDown = [&](TObject*, WORD& Key, TShiftState) {
        Log.push_back("form " + std::to_string(Key));
        if (Key == 'X') Key = 0;
    };
    B->OnKeyDown = [&](TObject*, WORD& Key, TShiftState) {
        Log.push_back("button " + std::to_string(Key));
    };
    Form->Show();
    B->SetFocus();
    Pump();
    Headless().Key('A');
    Headless().Key('X');
    Pump();
    EXPECT_EQ(Log, (std::vector<std::string>{"form 65", "button 65", "form 88"}));
}

} // namespace
