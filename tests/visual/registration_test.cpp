// The visual package's Register: palette pages in order, an icon for every class, the
// editors it installs and their dialogs driven through the dialog hook.
#include "tests/toolkit/controls/ControlsTestSupport.h"
#include "toolkit/controls/Buttons.h"
#include "toolkit/controls/ColorDialogs.h"
#include "toolkit/controls/Dialogs.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/ListBox.h"
#include "toolkit/controls/Memo.h"
#include "toolkit/controls/StdCtrls.h"
#include "toolkit/designer/DesignRegistry.h"
#include "toolkit/graphics/Resources.h"
#include "visual/QELTBackground.h"
#include "visual/QELTHintEditor.h"
#include "visual/QELTLabel.h"
#include "visual/QELTLabelCaption.h"
#include "visual/QELTSelColors.h"
#include "visual/QELTSplashScreen.h"
#include "visual/QELZoradodoReg.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

struct RegFixture : ::testing::Test {
    int Group = BeginRegistrationGroup("Brisca40");
    TForm* Root = nullptr;
    std::unique_ptr<TDesigner> D;
    void SetUp() override {
        QELZoradodoReg::Register();
        EndRegistrationGroup();
        Headless();
        Root = new TForm(nullptr);
        Root->SetName("Form1");
        D = std::make_unique<TDesigner>(Root);
    }
    void TearDown() override {
        SetDialogShownHook(nullptr);
        D.reset();
        delete Root;
        FreeRegistrationGroup(Group);
        Pump();
    }
    std::unique_ptr<TPropertyEditor> Editor(TPersistent* On, const std::string& Prop) {
        return CreatePropertyEditor(D.get(), {On}, *On->ClassType().FindProperty(Prop));
    }
    static std::vector<std::string> Page(const std::string& Name) {
        std::vector<std::string> Out;
        for (const TPalettePage& P : PalettePages())
            if (P.Name == Name)
                for (const TClass* C : P.Classes)
                    Out.push_back(C->ClassName());
        return Out;
    }
};

TEST_F(RegFixture, PalettePagesHoldTheClassesInRegistrationOrder) {
    EXPECT_EQ(Page("QEL Zoradodo"),
              (std::vector<std::string>{
                  "TQELBackground",    "TQELCheckbox",     "TQELRadiobutton",  "TQELLabel",
                  "TQELButton",        "TQELIEButton",     "TQELOfficeButton", "TQELPanel",
                  "TQELGauge",         "TQELPresentation", "TQELHint",         "TQELFillBackground",
                  "TQELArrowButton",   "TQELRoundButton",  "TQELHeader",       "TQELHeaderList",
                  "TQELImageScroller", "TQELScreenCanvas", "TQELFileLabel3D",  "TQELFormSlide"}));
    EXPECT_EQ(Page("QEL Data-Aware"), (std::vector<std::string>{"TQELDBLabel", "TQELDBNavigator"}));
    EXPECT_EQ(Page("QEL Dialogs"), (std::vector<std::string>{"TQELSplashScreen"}));
    EXPECT_EQ(Page("QEL System"), (std::vector<std::string>{"TQELTimer32"}));
    for (const char* C : {"TQELFont3D", "TQELGradient", "TQELTexture", "TQELFrame"})
        EXPECT_NE(GetClass(C), nullptr) << C;
}

TEST_F(RegFixture, EveryPaletteClassHasItsIconIn256Colours) {
    for (const char* P : {"QEL Zoradodo", "QEL Data-Aware", "QEL Dialogs", "QEL System"})
        for (const std::string& C : Page(P)) {
            std::string Upper = C;
            for (char& Ch : Upper)
                Ch = static_cast<char>(std::toupper(static_cast<unsigned char>(Ch)));
            auto R = FindResourceData(ResourceModule("Brisca40"), Upper, "BMP");
            ASSERT_TRUE(R) << C;
            const auto& B = R->Bytes;
            ASSERT_GT(B.size(), 54u);
            auto I32 = [&B](std::size_t At) {
                return static_cast<int>(B[At] | B[At + 1] << 8 | B[At + 2] << 16 | B[At + 3] << 24);
            };
            EXPECT_EQ(I32(18), 24) << C;
            EXPECT_EQ(I32(22), 24) << C;
            EXPECT_EQ(B[28], 8) << C << ": bits per pixel";
        }
}

TEST_F(RegFixture, CaptionHintAndExecuteEditorsApplyToEveryFittingComponent) {
    auto* L = new TQELLabel(Root);
    auto* B = new TButton(Root);
    auto* S = new TQELSplashScreen(Root);
    auto Name = [](const TObject& O, const char* P) {
        return GetPropertyEditorClass(*O.ClassType().FindProperty(P), O.ClassType()).Name;
    };
    EXPECT_EQ(Name(*L, "Caption"), "TQELCaptionProperty");
    EXPECT_EQ(Name(*B, "Caption"), "TQELCaptionProperty") << "the toolkit's own controls too";
    EXPECT_EQ(Name(*B, "Hint"), "TQELHintProperty");
    EXPECT_EQ(Name(*S, "DesignExecute"), "TQELExecZoradodoProperty");
    auto Exec = Editor(S, "DesignExecute");
    EXPECT_EQ(Exec->GetValue(), "(Execute Test)");
    EXPECT_TRUE(Exec->GetAttributes().Contains(paDialog));
    EXPECT_TRUE(Exec->GetAttributes().Contains(paReadOnly));
}

class TCountingExec : public TQELZoradodoExecComponent {
  public:
    using TQELZoradodoExecComponent::TQELZoradodoExecComponent;
    void Execute() override { ++Runs; }
    int Runs = 0;
};

TEST_F(RegFixture, TheExecuteEllipsisRunsTheFirstSelectedComponent) {
    auto* A = new TCountingExec(Root);
    auto* B = new TCountingExec(Root);
    TQELExecZoradodoProperty E(D.get(), {A, B}, *A->ClassType().FindProperty("DesignExecute"));
    E.Edit();
    EXPECT_EQ(A->Runs, 1);
    EXPECT_EQ(B->Runs, 0);
    EXPECT_EQ(D->ModifiedCount(), 0) << "running is not a change";
}

TEST_F(RegFixture, CaptionEditorOkStoresTheMemoTextAndCancelNothing) {
    auto* L = new TQELLabel(Root);
    L->SetCaption("Old");
    auto E = Editor(L, "Caption");
    std::string Seen;
    SetDialogShownHook([&Seen](TCustomForm* F) {
        auto* Box = Cast<TMemo>(F->FindComponent("CaptionBox"));
        Seen = Box->Text();
        EXPECT_EQ(F->Caption(), "Caption Editor");
        Box->SetText("Two\r\nlines");
        F->SetModalResult(mrCancel);
    });
    E->Edit();
    EXPECT_EQ(Seen, "Old");
    EXPECT_EQ(L->Caption(), "Old");
    EXPECT_EQ(D->ModifiedCount(), 0);

    // OK through a real click on the "Ok" speed button.
    SetDialogShownHook([](TCustomForm* F) {
        Cast<TMemo>(F->FindComponent("CaptionBox"))->SetText("Two\r\nlines");
        auto* Ok = Cast<TControl>(F->FindComponent("SpeedButton1"));
        TPoint P = At(Ok, 10, 10);
        Headless().Click(P.X, P.Y);
    });
    E->Edit();
    EXPECT_EQ(L->Caption(), "Two\r\nlines");
    EXPECT_EQ(D->ModifiedCount(), 1);
    EXPECT_TRUE(D->IsModified());
}

TEST_F(RegFixture, HintEditorSplitsAtTheFirstBarAndJoinsOnlyWhatIsThere) {
    EXPECT_EQ(QELSplitHint("a|b|c"), std::make_pair(std::string("a"), std::string("b|c")));
    EXPECT_EQ(QELSplitHint("plain"), std::make_pair(std::string("plain"), std::string()));
    EXPECT_EQ(QELJoinHint("x", ""), "x");
    EXPECT_EQ(QELJoinHint("", "status"), "|status");

    auto* B = new TButton(Root);
    B->SetHint("Open|Opens a file");
    auto E = Editor(B, "Hint");
    std::string Box, Status;
    SetDialogShownHook([&](TCustomForm* F) {
        auto* H = static_cast<TQELHintEditForm*>(F);
        Box = H->HintBox()->Text();
        Status = H->StatusBarEdit()->Text();
        F->SetModalResult(mrOk);
    });
    E->Edit();
    EXPECT_EQ(Box, "Open");
    EXPECT_EQ(Status, "Opens a file");
    EXPECT_EQ(B->Hint(), "Open|Opens a file") << "confirming unchanged writes the same value";

    // A status part longer than the field's typing limit is kept whole.
    std::string Long(150, 's');
    B->SetHint("Box|" + Long);
    E->Edit();
    EXPECT_EQ(B->Hint(), "Box|" + Long);

    SetDialogShownHook([](TCustomForm* F) {
        auto* H = static_cast<TQELHintEditForm*>(F);
        H->HintBox()->SetText("Save");
        H->StatusBarEdit()->SetText("");
        F->SetModalResult(mrOk);
    });
    E->Edit();
    EXPECT_EQ(B->Hint(), "Save") << "an empty status field writes no bar";
    int Count = D->ModifiedCount();
    SetDialogShownHook([](TCustomForm* F) {
        static_cast<TQELHintEditForm*>(F)->HintBox()->SetText("changed");
        F->SetModalResult(mrCancel);
    });
    E->Edit();
    EXPECT_EQ(B->Hint(), "Save");
    EXPECT_EQ(D->ModifiedCount(), Count);
}

} // namespace

namespace {

struct ColorSelFixture : RegFixture {
    TQELBackground* Back = nullptr;
    std::unique_ptr<TPropertyEditor> E;
    void SetUp() override {
        RegFixture::SetUp();
        Back = new TQELBackground(Root);
        Back->Gradient()->ColorsInBetween()->Add("clRed");
        Back->Gradient()->ColorsInBetween()->Add("clLime");
        Back->Gradient()->ColorsInBetween()->Add("$00123456");
        const TPropInfo& P = *Back->Gradient()->ClassType().FindProperty("ColorsInBetween");
        E = CreatePropertyEditor(D.get(), {Back->Gradient()}, P);
    }
    std::vector<std::string> Lines() const {
        std::vector<std::string> L;
        for (int I = 0; I < Back->Gradient()->ColorsInBetween()->Count(); ++I)
            L.push_back(Back->Gradient()->ColorsInBetween()->Strings(I));
        return L;
    }
    static void Press(TCustomForm* F, const char* Button) {
        auto* B = Cast<TControl>(F->FindComponent(Button));
        TPoint P = At(B, B->Width() / 2, B->Height() / 2);
        Headless().Click(P.X, P.Y);
    }
};

TEST_F(ColorSelFixture, TheExtraColoursEditorMovesDeletesAndAddsAndWritesBackOnClose) {
    EXPECT_EQ(E->GetValue(), "(Extra Colors)");
    EXPECT_EQ(GetPropertyEditorClass(E->PropInfo(), Back->Gradient()->ClassType()).Name,
              "TQELColorInBetweenProperty");
    SetDialogShownHook([](TCustomForm* F) {
        if (auto* C = dynamic_cast<TColorDialogForm*>(F)) { // the nested colour dialog
            Cast<TEdit>(C->FindComponent("Red"))->SetText("0");
            Cast<TEdit>(C->FindComponent("Green"))->SetText("0");
            Cast<TEdit>(C->FindComponent("Blue"))->SetText("255");
            C->SetModalResult(mrOk);
            return;
        }
        EXPECT_EQ(F->Caption(), "Add more Colors....");
        auto* S = static_cast<TColorSel*>(F);
        auto* L = S->ListBox1();
        EXPECT_EQ(L->Items()->Count(), 3);
        L->SetItemIndex(2);
        S->Button3Click(S); // up: red, $00123456, lime
        S->Button3Click(S); // up: $00123456, red, lime
        S->Button3Click(S); // already first: nothing
        L->SetItemIndex(1);
        S->Button2Click(S); // delete red
        S->Button1Click(S); // add blue from the colour dialog
        L->SetItemIndex(0);
        S->Button4Click(S);  // down: lime, $00123456, clBlue
        Press(F, "Button5"); // "&Close", clicked
    });
    E->Edit();
    EXPECT_EQ(Lines(), (std::vector<std::string>{"clLime", "$00123456", "clBlue"}));
    EXPECT_EQ(D->ModifiedCount(), 1);
}

TEST_F(ColorSelFixture, WithoutSelectionTheButtonsDoNothingAndTheCloseBoxStillWritesBack) {
    SetDialogShownHook([](TCustomForm* F) {
        auto* S = static_cast<TColorSel*>(F);
        auto* L = S->ListBox1();
        L->SetItemIndex(-1);
        S->Button2Click(S);
        S->Button3Click(S);
        S->Button4Click(S);
        L->Items()->Add("clAqua");
        F->Close(); // the window's close box
    });
    E->Edit();
    EXPECT_EQ(Lines(), (std::vector<std::string>{"clRed", "clLime", "$00123456", "clAqua"}));
    EXPECT_EQ(D->ModifiedCount(), 1);
    // Closing with nothing changed marks nothing.
    SetDialogShownHook([](TCustomForm* F) { F->Close(); });
    E->Edit();
    EXPECT_EQ(D->ModifiedCount(), 1);
}

} // namespace
