// The designer's model: selection, moving and sizing by mouse and keys, undo, alignment,
// deletion, copy and paste, and csDesigning on what it shows.
#include "FormDesigner.h"
#include "tests/toolkit/controls/ControlsTestSupport.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/graphics/Font.h"
#include "toolkit/platform/Window.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace qel;
using namespace qel::designer;

namespace {

struct ModelFixture : ::testing::Test {
    std::unique_ptr<TFormDesigner> D;
    void SetUp() override {
        test::Headless();
        D = std::make_unique<TFormDesigner>();
        D->LoadPackages(std::string(QEL_BINARY_DIR) + "/lib/qel/packages");
        ASSERT_TRUE(D->TakeMessages().empty());
    }
    void TearDown() override { D.reset(); }
    TControl* Drop(const char* C, int X, int Y) { return Cast<TControl>(D->Drop(C, X, Y)); }
    static TRect R(const TControl* C) { return C->BoundsRect(); }
};

TEST_F(ModelFixture, DroppedComponentsAreDesigningSnappedAndSelected) {
    TControl* L = Drop("TQELLabel", 13, 21);
    ASSERT_TRUE(L);
    EXPECT_TRUE(L->IsDesigning());
    EXPECT_TRUE(D->Form()->IsDesigning());
    EXPECT_EQ(L->Left(), 16);
    EXPECT_EQ(L->Top(), 24);
    EXPECT_EQ(L->Parent(), D->Form());
    EXPECT_EQ(D->Selections(), TDesignerSelections{L});
    EXPECT_EQ(D->GetProperty("Caption"), "QELLabel1");
    EXPECT_EQ(Drop("TQELLabel", 0, 0)->Name(), "QELLabel2");
    // A panel takes controls dropped into it; a label does not.
    auto* P = Cast<TWinControl>(Drop("TQELPanel", 100, 100));
    D->SetPendingDrop("TQELButton");
    D->MouseDown(P->Left() + 10, P->Top() + 10, false);
    auto* B = Cast<TControl>(D->Selections()[0]);
    EXPECT_EQ(B->Parent(), P);
    EXPECT_EQ(B->Left(), 8);
    EXPECT_THROW(D->Drop("TForm", 0, 0), EInvalidOperation);
    EXPECT_THROW(D->Drop("TQELNothing", 0, 0), EInvalidOperation);
}

TEST_F(ModelFixture, MouseSelectsMovesInGridStepsAndSizesByTheGrip) {
    TControl* A = Drop("TQELButton", 16, 16);
    TControl* B = Drop("TQELButton", 160, 16);
    D->MouseDown(A->Left() + 2, A->Top() + 2, false);
    EXPECT_EQ(D->Selections(), TDesignerSelections{A});
    D->MouseDown(B->Left() + 2, B->Top() + 2, true);
    EXPECT_EQ(D->Selections().size(), 2u) << "shift adds";
    int Count = D->ModifiedCount();
    D->MouseMove(B->Left() + 5, B->Top() + 5); // less than half a grid step: nothing moves
    D->MouseUp(B->Left() + 5, B->Top() + 5);
    EXPECT_EQ(A->Left(), 16);
    EXPECT_EQ(D->ModifiedCount(), Count);
    D->MouseDown(B->Left() + 2, B->Top() + 2, false);
    D->MouseMove(B->Left() + 2 + 13, B->Top() + 2 + 30);
    D->MouseUp(B->Left() + 2, B->Top() + 2); // releases where the last move was
    EXPECT_EQ(A->Left(), 32);
    EXPECT_EQ(A->Top(), 48);
    EXPECT_EQ(B->Left(), 176);
    EXPECT_EQ(D->ModifiedCount(), Count + 1) << "one change for the whole drag";
    // The bottom-right grip of the only selected control sizes it; a click on a control of a
    // group keeps the group (to drag it), so the form is clicked first.
    D->MouseDown(390, 290, false);
    D->MouseDown(A->Left() + 2, A->Top() + 2, false);
    ASSERT_EQ(D->Selections(), TDesignerSelections{A});
    int W = A->Width(), H = A->Height();
    D->MouseDown(A->Left() + W - 1, A->Top() + H - 1, false);
    D->MouseMove(A->Left() + W + 15, A->Top() + H + 7);
    D->MouseUp(A->Left() + W + 15, A->Top() + H + 7);
    EXPECT_EQ(A->Width(), W + 16);
    EXPECT_EQ(A->Height(), H + 8);
    // A click on the empty form selects the form.
    D->MouseDown(390, 290, false);
    EXPECT_EQ(D->Selections(), TDesignerSelections{D->Form()});
}

TEST_F(ModelFixture, ArrowKeysMoveAndShiftArrowsSizeByOnePixelDeleteRemoves) {
    TControl* A = Drop("TQELGauge", 16, 16);
    TRect Before = R(A);
    EXPECT_TRUE(D->KeyDown(VK_RIGHT, false));
    EXPECT_TRUE(D->KeyDown(VK_DOWN, false));
    EXPECT_TRUE(D->KeyDown(VK_LEFT, true));
    EXPECT_EQ(A->Left(), Before.Left + 1);
    EXPECT_EQ(A->Top(), Before.Top + 1);
    EXPECT_EQ(A->Width(), Before.Width() - 1);
    EXPECT_FALSE(D->KeyDown('A', false));
    EXPECT_TRUE(D->KeyDown(VK_DELETE, false));
    EXPECT_EQ(D->Find("QELGauge1"), nullptr);
    EXPECT_TRUE(D->Selections().empty());
    D->Undo();
    ASSERT_NE(D->Find("QELGauge1"), nullptr) << "undo brings the deleted control back";
    EXPECT_EQ(Cast<TControl>(D->Find("QELGauge1"))->Width(), Before.Width() - 1);
}

TEST_F(ModelFixture, UndoTakesBackOnlyTheLastChange) {
    TControl* L = Drop("TQELLabel", 0, 0);
    D->SetProperty("Caption", "first");
    D->SetProperty("Caption", "second");
    D->Undo();
    auto* Back = Cast<TControl>(D->Find("QELLabel1"));
    ASSERT_TRUE(Back);
    EXPECT_NE(Back, L) << "the form was rebuilt from its earlier state";
    EXPECT_EQ(Back->Caption(), "first");
    EXPECT_TRUE(Back->IsDesigning());
    EXPECT_FALSE(D->CanUndo());
    D->Undo(); // nothing left: no change
    EXPECT_EQ(Cast<TControl>(D->Find("QELLabel1"))->Caption(), "first");
}

TEST_F(ModelFixture, BadValuesLeaveTheFormUnchangedAndUnmodified) {
    Drop("TQELLabel", 0, 0);
    D->SetModifiedFlag(false);
    int Count = D->ModifiedCount();
    EXPECT_THROW(D->SetProperty("Left", "x"), EPropertyError);
    EXPECT_THROW(D->SetProperty("Background", "Nobody"), EPropertyError);
    EXPECT_THROW(D->SetProperty("NoSuchThing", "1"), EPropertyError);
    EXPECT_FALSE(D->IsModified());
    EXPECT_EQ(D->ModifiedCount(), Count);
    EXPECT_EQ(D->Title(), "qel-designer - Untitled");
}

TEST_F(ModelFixture, AlignmentFollowsTheFirstSelectedControl) {
    TControl* A = Drop("TQELButton", 40, 40);
    TControl* B = Drop("TQELButton", 200, 96);
    D->SetSelections({A, B});
    D->AlignSelection(TFormDesigner::TAlign::Lefts);
    EXPECT_EQ(B->Left(), 40);
    D->AlignSelection(TFormDesigner::TAlign::Bottoms);
    EXPECT_EQ(B->Top() + B->Height(), A->Top() + A->Height());
    EXPECT_EQ(A->Top(), 40);
}

TEST_F(ModelFixture, CopiedComponentsPasteUnderNewNames) {
    Drop("TQELLabel", 8, 8);
    D->SetProperty("Caption", "copied");
    std::string Text = D->SelectionAsText();
    D->PasteText(Text);
    auto* Copy = Cast<TControl>(D->Find("QELLabel2"));
    ASSERT_TRUE(Copy);
    EXPECT_EQ(Copy->Caption(), "copied");
    EXPECT_EQ(Copy->Owner(), D->Form());
    EXPECT_EQ(Copy->Parent(), D->Form());
    EXPECT_TRUE(Copy->IsDesigning());
    EXPECT_EQ(D->Selections(), TDesignerSelections{Copy});
    EXPECT_THROW(D->PasteText("object X: TNoSuchClass\nend\n"), Exception);
    EXPECT_EQ(D->Form()->ComponentCount(), 2);
}

TEST_F(ModelFixture, ItsOwnFormsOpenWithoutMessagesAndKeepTheirClass) {
    Drop("TQELLabel", 8, 8);
    std::string File = testing::TempDir() + "own-" + std::to_string(::getpid()) + ".dfm";
    D->Save(File);
    D->Open(File);
    // The form's class has no code here, which is how every designed form is: no warning.
    EXPECT_TRUE(D->TakeMessages().empty());
    EXPECT_NE(D->Find("QELLabel1"), nullptr);
    D->Save(File);
    std::ifstream In(File);
    std::string Line;
    std::getline(In, Line);
    EXPECT_EQ(Line, "object Form1: TForm1");
    std::remove(File.c_str());
}

TEST_F(ModelFixture, SeveralSelectedControlsShareOneInspectorEntry) {
    TControl* A = Drop("TQELLabel", 8, 8);
    TControl* B = Drop("TQELButton", 8, 80);
    D->SetSelections({A, B});
    D->SetProperty("Font.Size", "14");
    EXPECT_EQ(A->Font()->Size(), 14);
    EXPECT_EQ(B->Font()->Size(), 14);
    EXPECT_EQ(D->PropertyEditor("Name"), nullptr);
    EXPECT_TRUE(D->Verbs(A).empty());
}

} // namespace
