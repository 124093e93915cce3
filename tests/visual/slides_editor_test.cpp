// The slides editor, driven through the dialog hook as the designer opens it from the
// inspector: the slide list operations, the controls that write into the selected slide, the
// preview on the sample pictures, and what the closing button keeps and any other way out
// takes back.
#include "tests/toolkit/controls/ControlsTestSupport.h"
#include "toolkit/controls/Buttons.h"
#include "toolkit/controls/ComCtrls.h"
#include "toolkit/controls/ComboBox.h"
#include "toolkit/controls/Dialogs.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/ExtCtrls.h"
#include "toolkit/controls/FileDialogs.h"
#include "toolkit/controls/ListBox.h"
#include "toolkit/controls/Memo.h"
#include "toolkit/controls/RadioGroup.h"
#include "toolkit/controls/StdCtrls.h"
#include "toolkit/core/FormWriter.h"
#include "toolkit/designer/DesignRegistry.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/Picture.h"
#include "toolkit/platform/Window.h"
#include "visual/QELTPresentation.h"
#include "visual/QELTSlidesEditor.h"
#include "visual/QELZoradodoReg.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace qel;
using namespace qel::test;

namespace {

struct SlidesEditorFixture : ::testing::Test {
    int Group = BeginRegistrationGroup("Brisca40");
    TForm* Root = nullptr;
    TQELPresentation* Show = nullptr;
    std::unique_ptr<TDesigner> D;
    void SetUp() override {
        QELZoradodoReg::Register();
        EndRegistrationGroup();
        Headless();
        Root = new TForm(nullptr);
        Root->SetName("Form1");
        Show = new TQELPresentation(Root);
        Show->SetName("Show1");
        Show->SetParent(Root);
        D = std::make_unique<TDesigner>(Root);
    }
    void TearDown() override {
        SetDialogShownHook(nullptr);
        D.reset();
        delete Root;
        FreeRegistrationGroup(Group);
        Pump();
    }
    // Opens the editor the way the inspector does and runs Body inside it.
    void Edit(const std::function<void(TMultiptf&)>& Body) {
        const TPropInfo& P = *Show->ClassType().FindProperty("Slides");
        auto E = CreatePropertyEditor(D.get(), {Show}, P);
        SetDialogShownHook([&Body](TCustomForm* F) {
            if (auto* M = dynamic_cast<TMultiptf*>(F)) Body(*M);
        });
        E->Edit();
        SetDialogShownHook(nullptr);
    }
    std::vector<std::string> Ids() const {
        std::vector<std::string> Out;
        Out.reserve(static_cast<std::size_t>(Show->Slides()->Count()));
        for (int I = 0; I < Show->Slides()->Count(); ++I)
            Out.push_back(Show->Slides()->Items(I)->ID());
        return Out;
    }
    // The hook runs while the dialog is being shown: buttons are pressed through their Click,
    // and only the closing one with the mouse, which the modal loop handles once it runs.
    static void Click(TControl* C) { C->Click(); }
    static void Close(TMultiptf& M) {
        auto* C = Cast<TControl>(M.FindComponent("SpeedButton3"));
        TPoint P = At(C, C->Width() / 2, C->Height() / 2);
        Headless().Click(P.X, P.Y);
    }
};

TEST_F(SlidesEditorFixture, TheInspectorOpensItForTheSlidesOfAPresentation) {
    const TPropInfo& P = *Show->ClassType().FindProperty("Slides");
    EXPECT_EQ(GetPropertyEditorClass(P, Show->ClassType()).Name, "TQELSlidesProperty");
    auto E = CreatePropertyEditor(D.get(), {Show}, P);
    EXPECT_TRUE(E->GetAttributes().Contains(paDialog));
    EXPECT_TRUE(E->GetAttributes().Contains(paReadOnly));
    EXPECT_FALSE(E->GetAttributes().Contains(paSubProperties));
}

TEST_F(SlidesEditorFixture, TheDialogComesFromItsResourceWithEffectsSamplesAndGlyphs) {
    bool Shown = false;
    Edit([&](TMultiptf& M) {
        Shown = true;
        EXPECT_EQ(Multiptf, &M);
        EXPECT_EQ(M.Caption(), "Slide Configuration");
        EXPECT_EQ(M.ClientWidth(), 356);
        EXPECT_EQ(M.ClientHeight(), 157);
        EXPECT_EQ(M.Slides(), Show->Slides());
        EXPECT_EQ(M.Presentation(), Show);
        EXPECT_EQ(M.PageControl1()->PageCount(), 3);
        TStrings* Fx = M.ComboBox1()->Items();
        ASSERT_EQ(Fx->Count(), 55);
        EXPECT_EQ(Fx->Strings(0), "00 - Random");
        EXPECT_EQ(Fx->Strings(36), "36 - Vetical Quad Down");
        EXPECT_EQ(Fx->Strings(54), "54 - Horizontal Doppel Left");
        for (TImage* I : {M.Image2(), M.Image3()}) {
            EXPECT_FALSE(I->Visible());
            EXPECT_EQ(I->Picture()->Width(), 109);
            EXPECT_EQ(I->Picture()->Height(), 41);
        }
        int Differ = 0;
        for (int Y = 0; Y < 41; Y += 4)
            for (int X = 0; X < 109; X += 4)
                Differ += M.Image2()->Picture()->Bitmap()->Canvas()->Pixels(X, Y) !=
                          M.Image3()->Picture()->Bitmap()->Canvas()->Pixels(X, Y);
        EXPECT_GT(Differ, 200) << "the two samples must differ nearly everywhere";
        for (const char* B : {"SpeedButton1", "SpeedButton2", "SpeedButton3", "SpeedButton4"})
            EXPECT_EQ(Cast<TSpeedButton>(M.FindComponent(B))->Glyph()->Width(), 16) << B;
        EXPECT_EQ(M.OpenDialog1()->Filter(), "Windows Bitmaps|*.bmp");
        Close(M);
    });
    EXPECT_TRUE(Shown);
    EXPECT_EQ(Multiptf, nullptr) << "the variable forgets the dialog once it is freed";
}

TEST_F(SlidesEditorFixture, AddDeleteAndMoveKeepIdsWithPositionsAndCloseKeepsTheEdits) {
    Edit([&](TMultiptf& M) {
        auto* Add = Cast<TControl>(M.FindComponent("BitBtn1"));
        for (int I = 0; I < 3; ++I)
            Click(Add);
        EXPECT_EQ(Ids(), (std::vector<std::string>{"Slide - 0", "Slide - 1", "Slide - 2"}));
        for (int I = 0; I < 3; ++I) {
            EXPECT_EQ(Show->Slides()->Items(I)->Effect(), 0);
            EXPECT_EQ(Show->Slides()->Items(I)->Style(), 0);
        }
        EXPECT_EQ(M.ListBox1()->ItemIndex(), 2);
        EXPECT_EQ(Show->Slides()->EditIndex(), 2);

        // Tell the slides apart by their texts.
        for (int I = 0; I < 3; ++I) {
            M.ListBox1()->SetItemIndex(I);
            M.ListBox1Click(&M);
            M.Memo1()->SetText("text " + std::to_string(I));
            M.Memo1Exit(&M);
        }
        M.ListBox1()->SetItemIndex(1);
        Click(Cast<TControl>(M.FindComponent("BitBtn2")));
        EXPECT_EQ(Ids(), (std::vector<std::string>{"Slide - 0", "Slide - 1"}));
        EXPECT_EQ(Show->Slides()->Items(1)->Text(), "text 2");
        EXPECT_EQ(M.ListBox1()->ItemIndex(), 0);
        EXPECT_EQ(M.ListBox1()->Items()->Strings(1), "Slide - 1");
        EXPECT_EQ(M.Memo1()->Text(), "text 0") << "the controls show the slide selected now";

        M.ArrowBtn1Click(&M); // first up: nothing
        M.ListBox1()->SetItemIndex(1);
        M.ArrowBtn2Click(&M); // last down: nothing
        EXPECT_EQ(Show->Slides()->Items(0)->Text(), "text 0");
        Click(Cast<TControl>(M.FindComponent("SpeedButton1"))); // up
        EXPECT_EQ(M.ListBox1()->ItemIndex(), 0);
        EXPECT_EQ(Show->Slides()->EditIndex(), 0);
        EXPECT_EQ(Show->Slides()->Items(0)->Text(), "text 2");
        EXPECT_EQ(Ids(), (std::vector<std::string>{"Slide - 0", "Slide - 1"}));
        M.ComboBox1()->SetItemIndex(1);
        M.ComboBox1Change(&M);
        EXPECT_EQ(Show->Slides()->Items(0)->Effect(), 1) << "the moved slide takes the effect";
        EXPECT_EQ(Show->Slides()->Items(1)->Effect(), 0);
        Close(M);
    });
    EXPECT_EQ(Ids(), (std::vector<std::string>{"Slide - 0", "Slide - 1"}));
    EXPECT_EQ(D->ModifiedCount(), 1);
    EXPECT_TRUE(D->IsModified());
    EXPECT_NE(ComponentToText(Root).find("Effect = 1"), std::string::npos);
}

TEST_F(SlidesEditorFixture, StyleTextAndStretchGoIntoTheSelectedSlideOnly) {
    for (int I = 0; I < 2; ++I) {
        TQELSlide* S = Show->Slides()->Add();
        S->SetID("Slide - " + std::to_string(I));
    }
    Show->Slides()->Items(1)->SetStretch(true);
    Show->Slides()->Items(1)->SetStyle(2);
    Edit([&](TMultiptf& M) {
        EXPECT_EQ(M.ListBox1()->ItemIndex(), 0) << "showing selects the first slide";
        M.ListBox1()->SetItemIndex(1);
        M.ListBox1Click(&M);
        EXPECT_TRUE(M.CheckBox1()->Checked());
        EXPECT_EQ(M.RadioGroup1()->ItemIndex(), 2);
        EXPECT_TRUE(Show->Slides()->Items(1)->Stretch()) << "showing a slide changes nothing";
        M.ListBox1()->SetItemIndex(0);
        M.ListBox1Click(&M);
        EXPECT_FALSE(M.CheckBox1()->Checked());
        M.RadioGroup1()->SetItemIndex(1);
        M.RadioGroup1Click(&M);
        M.CheckBox1()->SetChecked(true); // fires CheckBox1Click
        // The text typed last is kept even though the memo still has the focus.
        M.PageControl1()->SetActivePageIndex(1);
        M.SetActiveControl(M.Memo1());
        M.Memo1()->SetText("Hello");
        M.Button1Click(&M); // its button is on the page now hidden
    });
    TQELSlide* S0 = Show->Slides()->Items(0);
    EXPECT_EQ(S0->Style(), 1);
    EXPECT_TRUE(S0->Stretch());
    EXPECT_EQ(S0->Text(), "Hello");
    EXPECT_EQ(Show->Slides()->Items(1)->Style(), 2);
    EXPECT_EQ(Show->Slides()->Items(1)->Text(), "");
}

TEST_F(SlidesEditorFixture, LeavingAnyOtherWayPutsBackTheSlidesAndMarksNothing) {
    TQELSlide* S = Show->Slides()->Add();
    S->SetID("Slide - 0");
    S->SetText("kept");
    S->SetEffect(12);
    const std::string Before = ComponentToText(Root);
    Edit([&](TMultiptf& M) {
        M.Button8Click(&M);
        M.ListBox1()->SetItemIndex(0);
        M.ListBox1Click(&M);
        M.Memo1()->SetText("lost");
        M.Memo1Exit(&M);
        M.ComboBox1()->SetItemIndex(3);
        M.ComboBox1Change(&M);
        EXPECT_EQ(Show->Slides()->Count(), 2) << "edits go straight into the collection";
        M.Close(); // the window's close box
    });
    EXPECT_EQ(ComponentToText(Root), Before);
    EXPECT_EQ(D->ModifiedCount(), 0);
    EXPECT_FALSE(D->IsModified());
}

TEST_F(SlidesEditorFixture, ThePreviewAlternatesBetweenTheTwoSamples) {
    Edit([&](TMultiptf& M) {
        TPaintBox* Box = M.PaintBox1();
        auto Equals = [&](TImage* Sample) {
            const TSurface* Src = Sample->Picture()->Bitmap()->Surface();
            TPoint B = Box->ClientToScreen({0, 0}), F = M.ClientToScreen({0, 0});
            for (int Y = 0; Y < Box->Height(); Y += 3)
                for (int X = 0; X < Box->Width(); X += 3)
                    if (PixelAt(&M, B.X - F.X + X, B.Y - F.Y + Y) != Src->Get(X, Y)) return false;
            return true;
        };
        // The hook runs just before the window appears; the preview is watched on screen.
        ShowWindow(M.Handle(), SW_SHOW);
        Pump();
        EXPECT_TRUE(Equals(M.Image3())) << "before any preview the area shows the second sample";
        EXPECT_EQ(M.Image2()->Tag(), 0);
        M.ComboBox1()->SetItemIndex(41); // an ordered dissolve, pixel by pixel
        M.ComboBox1Change(&M);           // no slide selected: preview only
        EXPECT_TRUE(Equals(M.Image2()));
        EXPECT_EQ(M.Image2()->Tag(), 1);
        Click(Cast<TControl>(M.FindComponent("SpeedButton4")));
        EXPECT_TRUE(Equals(M.Image3()));
        EXPECT_EQ(M.Image2()->Tag(), 0);
        M.ComboBox1()->SetItemIndex(0); // random: still one of the effects, so it completes
        M.SpeedButton4Click(&M);
        EXPECT_TRUE(Equals(M.Image2()));
        // A repaint of the dialog shows the sample the preview ended on.
        M.Invalidate();
        Pump();
        EXPECT_TRUE(Equals(M.Image2()));
        Close(M);
    });
    EXPECT_EQ(Show->Slides()->Count(), 0);
}

TEST_F(SlidesEditorFixture, InsertBitmapLoadsTheChosenFileAndACancelChangesNothing) {
    namespace fs = std::filesystem;
    fs::path Dir = fs::temp_directory_path() / ("qel-slides-editor-" + std::to_string(::getpid()));
    fs::create_directories(Dir);
    TBitmap Pic;
    Pic.SetSize(7, 5);
    Pic.Canvas()->Brush()->SetColor(clRed);
    Pic.Canvas()->FillRect({0, 0, 7, 5});
    Pic.SaveToFile((Dir / "red.bmp").string());
    {
        std::ofstream Bad(Dir / "bad.bmp");
        Bad << "not a bitmap";
    }
    TQELSlide* S = Show->Slides()->Add();
    S->SetID("Slide - 0");
    std::string Answer;
    SetDialogShownHook(nullptr);
    Edit([&](TMultiptf& M) {
        auto Answering = [&](const std::string& File) {
            Answer = File;
            SetDialogShownHook([&](TCustomForm* F) {
                if (!dynamic_cast<TFileDialogForm*>(F)) return;
                if (Answer.empty()) return F->SetModalResult(mrCancel);
                Cast<TEdit>(F->FindComponent("FileName"))->SetText(Answer);
                Cast<TButton>(F->FindComponent("OkButton"))->Click();
            });
        };
        Answering("");
        M.Office97Btn3Click(&M);
        EXPECT_EQ(S->Bitmap()->Width(), 0);
        Answering((Dir / "bad.bmp").string());
        EXPECT_ANY_THROW(M.Office97Btn3Click(&M));
        EXPECT_EQ(S->Bitmap()->Width(), 0) << "an unreadable file changes nothing";
        Answering((Dir / "red.bmp").string());
        M.Office97Btn3Click(&M);
        EXPECT_EQ(S->Bitmap()->Width(), 7);
        EXPECT_EQ(M.Image1()->Picture()->Width(), 7);
        M.SetModalResult(mrOk);
    });
    EXPECT_EQ(S->Bitmap()->Height(), 5);
    EXPECT_EQ(S->Bitmap()->Canvas()->Pixels(3, 3), clRed);
    EXPECT_EQ(D->ModifiedCount(), 1);
    fs::remove_all(Dir);
}

} // namespace
