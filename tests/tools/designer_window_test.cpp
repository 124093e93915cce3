// The designer's window on the headless backend, driven by injected mouse and keys as a user
// would: palette clicks and drags drop components where the form is clicked, the mouse moves
// and sizes them on the grid, the title follows the file and unsaved work, and closing asks
// the question whose three answers save, discard or keep the program open.
#include "ComponentIcon.h"
#include "DesignerWindow.h"
#include "FormSurface.h"
#include "PaletteView.h"
#include "PropertyGrid.h"
#include "tests/toolkit/controls/ControlsTestSupport.h"
#include "toolkit/controls/Buttons.h"
#include "toolkit/controls/Clipbrd.h"
#include "toolkit/controls/ComboBox.h"
#include "toolkit/controls/Dialogs.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/Menus.h"
#include "toolkit/designer/DesignRegistry.h"
#include "toolkit/designer/RegistrationGroups.h"
#include "toolkit/graphics/Bitmap.h"
#include "toolkit/platform/Window.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace qel;
using namespace qel::designer;
using namespace qel::test;

namespace {

namespace fs = std::filesystem;

// Two verbs that leave their mark in the component's Tag.
class TTagVerbs : public TComponentEditor {
  public:
    using TComponentEditor::TComponentEditor;
    int GetVerbCount() const override { return 2; }
    std::string GetVerb(int I) const override { return I ? "&Eleven" : "&Ten"; }
    void ExecuteVerb(int I) override {
        Component()->SetTag(10 + I);
        Designer()->Modified();
    }
};

struct WindowFixture : ::testing::Test {
    std::unique_ptr<TFormDesigner> D;
    std::unique_ptr<TDesignerWindow> W;
    fs::path Dir = fs::temp_directory_path() / ("qel-designer-win-" + std::to_string(::getpid()));
    THeadlessBackend* B = nullptr;

    void SetUp() override {
        B = &Headless();
        fs::create_directories(Dir);
        D = std::make_unique<TFormDesigner>();
        D->LoadPackages(std::string(QEL_BINARY_DIR) + "/lib/qel/packages");
        D->TakeMessages();
        W = std::make_unique<TDesignerWindow>(*D);
        W->Show();
        Pump();
    }
    void TearDown() override {
        SetDialogShownHook(nullptr);
        W.reset();
        D.reset();
        Pump();
        fs::remove_all(Dir);
    }
    // A point of the designed form's client area on the screen.
    TPoint OnForm(int X, int Y) const { return D->Form()->ClientToScreen({X, Y}); }
    void Drag(TPoint From, TPoint To) {
        B->MouseMove(From.X, From.Y);
        B->MouseDown(1, From.X, From.Y);
        Pump();
        // In steps, as a hand does; the last one lands on the target.
        for (int I = 1; I <= 4; ++I) {
            B->MouseMove(From.X + (To.X - From.X) * I / 4, From.Y + (To.Y - From.Y) * I / 4);
            Pump();
        }
        B->MouseUp(1, To.X, To.Y);
        Pump();
    }
    void Click(TPoint P) {
        B->MouseMove(P.X, P.Y);
        B->Click(P.X, P.Y);
        Pump();
    }
    TPoint PaletteButton(const char* Class) {
        TSpeedButton* Btn = W->Palette()->Button(Class);
        EXPECT_NE(Btn, nullptr) << Class;
        // Its page comes to the front first, as a user would choose the tab.
        if (auto* Sheet = Btn ? dynamic_cast<TTabSheet*>(Btn->Parent()) : nullptr) {
            W->Palette()->SetActivePage(Sheet);
            Pump();
        }
        return Btn ? Btn->ClientToScreen({Btn->Width() / 2, Btn->Height() / 2}) : TPoint{};
    }
    // Answers the next message box with the named button.
    void Answer(const std::string& Button) {
        SetDialogShownHook([this, Button](TCustomForm* F) {
            if (auto* C = Cast<TControl>(F->FindComponent(Button))) {
                TPoint P = C->ClientToScreen({C->Width() / 2, C->Height() / 2});
                B->Click(P.X, P.Y);
            }
        });
    }
    static std::string Read(const fs::path& F) {
        std::ifstream In(F, std::ios::binary);
        return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
    }
};

TEST_F(WindowFixture, PaletteClickThenFormClickDropsThereAndReleasesTheButton) {
    ASSERT_GT(W->Palette()->PageCount(), 3);
    EXPECT_EQ(W->Palette()->Pages(0)->Caption(), "QEL Zoradodo");
    TSpeedButton* Btn = W->Palette()->Button("TQELLabel");
    ASSERT_TRUE(Btn);
    EXPECT_EQ(Btn->Glyph()->Width(), 24) << "the registered icon";
    Click(PaletteButton("TQELLabel"));
    EXPECT_TRUE(Btn->Down());
    EXPECT_EQ(D->PendingDrop(), "TQELLabel");
    Click(OnForm(43, 29));
    auto* L = Cast<TControl>(D->Find("QELLabel1"));
    ASSERT_TRUE(L);
    EXPECT_EQ(L->Left(), 40) << "snapped to the grid";
    EXPECT_EQ(L->Top(), 32);
    EXPECT_TRUE(L->IsDesigning());
    EXPECT_FALSE(Btn->Down());
    EXPECT_TRUE(D->PendingDrop().empty());
    EXPECT_EQ(D->Selections(), TDesignerSelections{L});
    EXPECT_EQ(W->Surface()->HandleCount(), 4);
    EXPECT_EQ(W->Inspector()->RowValue("Name"), "QELLabel1");
    // A second click only selects.
    Click(OnForm(300, 250));
    EXPECT_EQ(D->Form()->ComponentCount(), 1);
    EXPECT_EQ(D->Selections(), TDesignerSelections{D->Form()});
}

TEST_F(WindowFixture, DraggingAPaletteButtonOntoTheFormDropsWhereItIsReleased) {
    Drag(PaletteButton("TQELPanel"), OnForm(100, 60));
    auto* P = Cast<TControl>(D->Find("QELPanel1"));
    ASSERT_TRUE(P);
    EXPECT_EQ(P->Left(), 104);
    EXPECT_EQ(P->Top(), 64);
    // Released over the panel, the next one goes into it.
    Drag(PaletteButton("TQELLabel"), OnForm(P->Left() + 20, P->Top() + 20));
    auto* L = Cast<TControl>(D->Find("QELLabel1"));
    ASSERT_TRUE(L);
    EXPECT_EQ(L->Parent(), P);
    // Released back on the palette: nothing is dropped and nothing stays picked.
    TPoint At = PaletteButton("TQELButton");
    Drag(At, {At.X + 1, At.Y + 40});
    EXPECT_EQ(D->Find("QELButton1"), nullptr);
    EXPECT_TRUE(D->PendingDrop().empty());
}

TEST_F(WindowFixture, ComponentsWithoutAPlaceShowAsIconsThatSelectAndDelete) {
    Click(PaletteButton("TQELTimer32"));
    Click(OnForm(200, 100));
    TComponent* T = D->Find("QELTimer321");
    ASSERT_TRUE(T);
    TComponentIcon* I = W->Surface()->Icon("QELTimer321");
    ASSERT_TRUE(I) << "shown by its icon";
    EXPECT_TRUE(I->Visible());
    Click(OnForm(10, 10));
    EXPECT_EQ(D->Selections(), TDesignerSelections{D->Form()});
    Click(I->ClientToScreen({5, 5}));
    EXPECT_EQ(D->Selections(), TDesignerSelections{T});
    EXPECT_EQ(W->Inspector()->RowValue("Name"), "QELTimer321");
    B->Key(VK_DELETE);
    Pump();
    EXPECT_EQ(D->Find("QELTimer321"), nullptr);
    EXPECT_EQ(W->Surface()->Icon("QELTimer321"), nullptr);
}

TEST_F(WindowFixture, MouseMovesAndSizesOnTheGridAndKeysNudge) {
    auto* L = Cast<TControl>(D->Drop("TQELLabel", 16, 16));
    W->Refresh();
    Pump();
    int W0 = L->Width(), H0 = L->Height();
    // Grabbed inside, moved by 50,30: whole grid steps.
    Drag(OnForm(20, 20), OnForm(70, 50));
    EXPECT_EQ(L->Left(), 64);
    EXPECT_EQ(L->Top(), 48);
    EXPECT_TRUE(D->CanUndo());
    // The handles follow; the bottom-right one sizes.
    TGrabHandle* Grip = W->Surface()->GrabHandle(3);
    ASSERT_TRUE(Grip->Sizes());
    TPoint G = Grip->ClientToScreen({3, 3});
    EXPECT_EQ(D->Form()->ScreenToClient(G).X, L->Left() + L->Width());
    Drag(G, {G.X + 16, G.Y + 8});
    EXPECT_EQ(L->Width(), W0 + 16);
    EXPECT_EQ(L->Height(), H0 + 8);
    // The keys go to the surface, which has the focus after the click.
    EXPECT_TRUE(W->Surface()->Focused());
    B->Key(VK_RIGHT);
    B->Key(VK_DOWN, MK_SHIFT);
    Pump();
    EXPECT_EQ(L->Left(), 65);
    EXPECT_EQ(L->Height(), H0 + 9);
    B->Key(VK_DELETE);
    Pump();
    EXPECT_EQ(D->Find("QELLabel1"), nullptr);
    EXPECT_EQ(W->Surface()->HandleCount(), 0);
    W->Command("Undo")->Click();
    Pump();
    EXPECT_NE(D->Find("QELLabel1"), nullptr) << "undo brings it back";
}

TEST_F(WindowFixture, ShiftClicksSelectSeveralAndTheMenuAlignsThem) {
    // Buttons: windowed controls that would push themselves on a press.
    auto* A = Cast<TControl>(D->Drop("TQELButton", 40, 40));
    auto* C = Cast<TControl>(D->Drop("TQELButton", 200, 120));
    W->Refresh();
    Click(OnForm(45, 45));
    TPoint P = OnForm(205, 125);
    B->MouseMove(P.X, P.Y);
    B->MouseDown(1, P.X, P.Y, MK_SHIFT);
    B->MouseUp(1, P.X, P.Y, MK_SHIFT);
    Pump();
    ASSERT_EQ(D->Selections(), (TDesignerSelections{A, C}));
    EXPECT_EQ(W->Surface()->HandleCount(), 8);
    W->Command("Align Lefts")->Click();
    EXPECT_EQ(C->Left(), 40);
    EXPECT_EQ(A->Left(), 40) << "the first selected stays";
    W->Command("Align Bottoms")->Click();
    EXPECT_EQ(C->Top() + C->Height(), A->Top() + A->Height());
    // The inspector has one row for both; while its value is typed, Ctrl+C copies text.
    ASSERT_TRUE(W->Inspector()->SelectRow("Width"));
    TCustomEdit* E = W->Inspector()->ValueEdit();
    E->SetFocus();
    E->SelectAll();
    B->Key('C', MK_CONTROL);
    Pump();
    EXPECT_EQ(Clipboard().AsText(), std::to_string(A->Width()));
}

TEST_F(WindowFixture, InspectorEditsInPlaceAndOffersTheValueLists) {
    D->Drop("TQELLabel", 0, 0);
    W->Refresh();
    TPropertyGrid* I = W->Inspector();
    ASSERT_TRUE(I->SelectRow("Caption"));
    EXPECT_TRUE(I->ValueEdit()->Visible());
    EXPECT_TRUE(I->DialogButton()->Visible()) << "the caption editor's dialog";
    I->ValueEdit()->SetText("Hello");
    I->ValueEdit()->SetFocus();
    B->Key(VK_RETURN);
    Pump();
    EXPECT_EQ(D->GetProperty("Caption"), "Hello");
    EXPECT_EQ(I->RowValue("Caption"), "Hello");
    ASSERT_TRUE(I->SelectRow("Width"));
    I->ValueEdit()->SetText("wide");
    bool Told = false;
    SetDialogShownHook([&](TCustomForm* F) {
        Told = true;
        F->SetModalResult(mrOk);
    });
    I->Apply();
    EXPECT_TRUE(Told) << "a refused value is reported";
    ASSERT_TRUE(I->SelectRow("Font.Size")) << "sub-objects expanded";
    ASSERT_TRUE(I->SelectRow("Visible"));
    EXPECT_TRUE(I->ValueChoice()->Visible());
    int False = I->ValueChoice()->Items()->IndexOf("False");
    ASSERT_GE(False, 0);
    I->ValueChoice()->SetItemIndex(False);
    I->Apply();
    EXPECT_EQ(D->GetProperty("Visible"), "False");
    EXPECT_TRUE(D->Find("QELLabel1") != nullptr);
    // The caption's dialog, answered through the hook.
    ASSERT_TRUE(I->SelectRow("Caption"));
    SetDialogShownHook([](TCustomForm* F) { F->SetModalResult(mrCancel); });
    I->DialogButton()->Click();
    EXPECT_EQ(D->GetProperty("Caption"), "Hello") << "cancelled";
}

TEST_F(WindowFixture, RightButtonOffersTheComponentEditorsVerbs) {
    int Group = BeginRegistrationGroup("verbs under test");
    RegisterComponentEditor(*GetClass("TQELGauge"), ComponentEditorClass<TTagVerbs>("TTagVerbs"));
    EndRegistrationGroup();
    D->Drop("TQELLabel", 200, 200);
    TComponent* G = D->Drop("TQELGauge", 40, 40);
    W->Refresh();
    Pump();
    std::vector<std::string> Shown;
    W->Surface()->VerbMenu()->OnPopup = [&](TObject*) {
        TMenuItem* Items = W->Surface()->VerbMenu()->Items();
        for (int I = 0; I < Items->Count(); ++I)
            Shown.push_back(Items->Items(I)->Caption());
        B->Key(VK_DOWN);
        B->Key(VK_DOWN);
        B->Key(VK_RETURN);
    };
    TPoint P = OnForm(45, 45);
    B->MouseMove(P.X, P.Y);
    B->MouseDown(2, P.X, P.Y);
    B->MouseUp(2, P.X, P.Y);
    EXPECT_TRUE(PumpUntil([&] { return G->Tag() == 11; })) << "the second verb ran";
    EXPECT_EQ(Shown, (std::vector<std::string>{"&Ten", "&Eleven"}));
    EXPECT_EQ(D->Selections(), TDesignerSelections{G}) << "the right button selects first";
    EXPECT_EQ(W->Caption(), "qel-designer - Untitled *");
    // A double-click is the editor's Edit, which runs the first verb.
    B->Click(P.X, P.Y);
    B->Click(P.X, P.Y);
    EXPECT_TRUE(PumpUntil([&] { return G->Tag() == 10; }));
    EXPECT_EQ(Cast<TControl>(G)->Left(), 40) << "the double-click moved nothing";
    FreeRegistrationGroup(Group);
}

TEST_F(WindowFixture, TitleShowsTheFileAndTheModifiedMark) {
    EXPECT_EQ(W->Caption(), "qel-designer - Untitled");
    D->Drop("TQELLabel", 0, 0);
    W->Refresh();
    EXPECT_EQ(W->Caption(), "qel-designer - Untitled *");
    fs::path F = Dir / "one.dfm";
    D->Save(F.string());
    W->Refresh();
    EXPECT_EQ(W->Caption(), "qel-designer - one.dfm");
    Drag(OnForm(5, 5), OnForm(30, 30));
    EXPECT_EQ(W->Caption(), "qel-designer - one.dfm *") << "a drag marks it";
    W->Command("Save")->Click();
    Pump();
    EXPECT_EQ(W->Caption(), "qel-designer - one.dfm");
    EXPECT_NE(Read(F).find("Left = 24"), std::string::npos) << Read(F);
}

TEST_F(WindowFixture, ClosingUnsavedWorkAsksAndEachAnswerDoesWhatItSays) {
    fs::path F = Dir / "two.dfm";
    D->Drop("TQELLabel", 0, 0);
    D->Save(F.string());
    std::string Saved = Read(F);
    D->Drop("TQELButton", 40, 40);
    W->Refresh();

    // Cancel: still open, nothing written.
    Answer("Cancel");
    B->CloseWindow(W->Handle());
    Pump();
    EXPECT_TRUE(W->Visible());
    EXPECT_EQ(Read(F), Saved);

    // No: closes, nothing written.
    Answer("No");
    EXPECT_TRUE(W->CloseQuery());
    EXPECT_EQ(Read(F), Saved);

    // Yes through the Quit command: saved, then closed.
    Answer("Yes");
    W->Command("Quit")->Click();
    Pump();
    EXPECT_FALSE(W->Visible());
    EXPECT_NE(Read(F).find("QELButton1"), std::string::npos);
    EXPECT_FALSE(D->IsModified());

    // Nothing unsaved: no question at all.
    bool Asked = false;
    SetDialogShownHook([&](TCustomForm* Dlg) {
        Asked = true;
        Dlg->SetModalResult(mrCancel);
    });
    EXPECT_TRUE(W->CloseQuery());
    EXPECT_FALSE(Asked);
}

TEST_F(WindowFixture, OpeningAFormWithAnUnknownClassWarnsAndKeepsIt) {
    fs::path F = Dir / "odd.dfm";
    std::ofstream(F) << "object Form1: TForm1\n"
                        "  object Mystery1: TNoSuchThing\n    Left = 3\n  end\n"
                        "  object QELLabel1: TQELLabel\n    Left = 16\n  end\n"
                        "end\n";
    std::vector<std::string> Dialogs;
    SetDialogShownHook([&](TCustomForm* Dlg) {
        Dialogs.push_back(Dlg->Caption());
        Dlg->SetModalResult(mrOk);
    });
    W->OpenForm(F.string());
    EXPECT_EQ(Dialogs.size(), 1u) << "one message for the unknown class";
    EXPECT_EQ(W->Caption(), "qel-designer - odd.dfm");
    ASSERT_NE(D->Find("QELLabel1"), nullptr);
    // The opened form takes the mouse.
    Drag(OnForm(20, 5), OnForm(36, 5));
    EXPECT_EQ(Cast<TControl>(D->Find("QELLabel1"))->Left(), 32);
    W->Command("Save")->Click();
    Pump();
    EXPECT_NE(Read(F).find("object Mystery1: TNoSuchThing"), std::string::npos) << Read(F);
    // A file that is not a form: a message, and the form stays.
    std::ofstream(Dir / "bad.dfm") << "object X: TForm1\n";
    W->OpenForm((Dir / "bad.dfm").string());
    EXPECT_EQ(Dialogs.size(), 2u);
    EXPECT_NE(D->Find("QELLabel1"), nullptr);
    EXPECT_EQ(W->Caption(), "qel-designer - odd.dfm");
}

TEST_F(WindowFixture, MenuSavesBinaryOpensItAgainAndKeysCopyAndPaste) {
    D->Drop("TQELLabel", 8, 8);
    W->Refresh();
    fs::path F = Dir / "bin.dfm";
    // The file dialog, answered as a user would: the name typed, then OK.
    auto TypeName = [this](const fs::path& Name) {
        SetDialogShownHook([this, Name](TCustomForm* Dlg) {
            if (auto* E = Cast<TCustomEdit>(Dlg->FindComponent("FileName"))) E->SetText(Name);
            if (auto* Ok = Cast<TControl>(Dlg->FindComponent("OkButton"))) {
                TPoint P = Ok->ClientToScreen({Ok->Width() / 2, Ok->Height() / 2});
                B->Click(P.X, P.Y);
            } else {
                ADD_FAILURE() << "an unexpected dialog: " << Dlg->Caption();
                Dlg->SetModalResult(mrCancel);
            }
        });
    };
    TypeName(F);
    W->Command("Save as Binary...")->Click();
    Pump();
    ASSERT_EQ(Read(F).substr(0, 4), "TPF0");
    EXPECT_EQ(W->Caption(), "qel-designer - bin.dfm");
    W->NewForm();
    EXPECT_EQ(D->Find("QELLabel1"), nullptr);
    TypeName(F);
    W->Command("Open...")->Click();
    Pump();
    ASSERT_NE(D->Find("QELLabel1"), nullptr);
    EXPECT_EQ(W->Caption(), "qel-designer - bin.dfm");

    Click(OnForm(10, 10));
    ASSERT_EQ(D->Selections(), TDesignerSelections{D->Find("QELLabel1")});
    B->Key('C', MK_CONTROL);
    B->Key('V', MK_CONTROL);
    Pump();
    ASSERT_NE(D->Find("QELLabel2"), nullptr) << "pasted under a free name";
    EXPECT_EQ(W->Caption(), "qel-designer - bin.dfm *");
    W->Command("Save")->Click();
    Pump();
    EXPECT_EQ(Read(F).substr(0, 4), "TPF0") << "saved in the format it was opened in";
}

TEST_F(WindowFixture, UndoAndOpenPutTheNewFormObjectOnTheSurface) {
    D->Drop("TQELLabel", 0, 0);
    W->Refresh();
    Drag(OnForm(5, 5), OnForm(45, 5));
    TForm* Before = D->Form();
    W->Command("Undo")->Click();
    Pump();
    ASSERT_NE(D->Form(), Before) << "undo reads the form again";
    EXPECT_TRUE(D->Form()->HandleAllocated());
    // The new form takes the mouse like the old one.
    Drag(OnForm(5, 5), OnForm(5, 45));
    auto* L = Cast<TControl>(D->Find("QELLabel1"));
    ASSERT_TRUE(L);
    EXPECT_EQ(L->Top(), 40);
    EXPECT_EQ(L->Left(), 0);
}

} // namespace
