// Every owner-drawn button keeps every published property through its form file, text and
// binary: each is set away from its default, written, read into a new form and compared
// property by property (owned sub-objects field by field, links by name).
#include "tests/toolkit/controls/ControlsTestSupport.h"
#include "toolkit/controls/Menus.h"
#include "toolkit/core/FormReader.h"
#include "toolkit/core/FormWriter.h"
#include "toolkit/core/Streams.h"
#include "toolkit/graphics/Canvas.h"
#include "toolkit/graphics/Font.h"
#include "visual/Brisca40.h"
#include "visual/QELTArrowButton.h"
#include "visual/QELTBPButtons.h"
#include "visual/QELTIEButton.h"
#include "visual/QELTOfficeButton.h"
#include "visual/QELTRoundButton.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

using namespace qel;

namespace {

void GiveGlyph(TQELGlyph* G) {
    TBitmap B;
    B.SetSize(32, 16);
    B.Canvas()->Brush()->SetColor(clRed);
    B.Canvas()->FillRect({0, 0, 32, 16});
    G->SetBitmap(&B);
    G->SetNumGlyphs(2);
    G->SetTransparentColor(clFuchsia);
}

void Give3D(TQELFont3D* F) {
    F->SetStyle3D(fontRaised);
    F->SetOffset(2);
}

std::unique_ptr<TForm> MakeForm() {
    auto F = std::make_unique<TForm>(nullptr);
    F->SetName("ButtonsForm");
    auto* Bg = new TQELBackground(F.get());
    Bg->SetName("Bg");
    Bg->SetBackStyle(bSolidcolor);
    auto* Menu = new TPopupMenu(F.get());
    Menu->SetName("Menu");

    auto* Ie = new TQELIEButton(F.get());
    Ie->SetName("Ie");
    Ie->SetParent(F.get());
    Ie->SetBounds(1, 2, 90, 30);
    Ie->SetAllowAllUp(true);
    GiveGlyph(Ie->Glyph());
    Ie->Setdesframe(true);
    Ie->SetGroupIndex(3);
    Ie->SetDown(true);
    Ie->SetDropDown(Menu);
    Ie->SetEnabled(false);
    Ie->SetLayout(pRight);
    Ie->SetOptions({opTextonly, opBitmapOnly});
    Ie->SetBevelLooks(bkDeep);
    Give3D(Ie->Font3D());
    Ie->Setcaption("&Bold");
    Ie->SetHint("Bold text");
    Ie->SetParentFont(false);
    Ie->Font()->SetColor(clMaroon);
    Ie->SetShowHint(true);
    Ie->SetAnchors({akLeft, akBottom});
    Ie->SetDragMode(dmAutomatic);

    auto* Of = new TQELOfficeButton(F.get());
    Of->SetName("Of");
    Of->SetParent(F.get());
    Of->SetBounds(5, 40, 140, 30);
    Of->Setcaption("Office");
    Of->SetBorderColor(clGreen);
    Of->Font()->SetSize(11);
    Of->Setnorm(clRed);
    Of->SetLedIn(clYellow);
    Of->SetLedOut(clBlue);
    Of->SetRoundSize(12);
    Give3D(Of->Font3D());
    Of->SetBack(Bg);
    Of->SetEnabled(false);
    Of->SetShowHint(true);

    auto* Ro = new TQELRoundButton(F.get());
    Ro->SetName("Ro");
    Ro->SetParent(F.get());
    Ro->SetBounds(5, 80, 30, 30);
    Ro->SetRButtonType(btInset);
    GiveGlyph(Ro->Glyph());
    Ro->SetUn(clFuchsia);
    Ro->SetBack(Bg);
    Ro->SetVisible(false);

    auto* Ar = new TQELArrowButton(F.get());
    Ar->SetName("Ar");
    Ar->SetParent(F.get());
    Ar->SetBounds(50, 80, 60, 30);
    Ar->Setback(Bg);
    Ar->SetDirection(dLeft);
    Ar->SetButtonBorder(3);
    GiveGlyph(Ar->Glyph());

    auto* Cb = new TQELCheckbox(F.get());
    Cb->SetName("Cb");
    Cb->SetParent(F.get());
    Cb->SetBounds(5, 120, 130, 24);
    Cb->SetAlign(taCenter);
    Cb->SetText("Check");
    Give3D(Cb->Font3D());
    Cb->SetWordWrap(true);
    Cb->SetBack(Bg);
    Cb->SetAlignButton(taRightJustify);
    Cb->SetState(cbGrayed);
    Cb->SetAllowGrayed(true);
    Cb->SetColor(clAqua);
    Cb->SetTabOrder(0);

    auto* Rb = new TQELRadiobutton(F.get());
    Rb->SetName("Rb");
    Rb->SetParent(F.get());
    Rb->SetBounds(5, 150, 130, 24);
    Rb->SetText("Radio");
    Rb->SetAsButton(true);
    Rb->SetFlat(false);
    Rb->SetChecked(true);
    return F;
}

// Compares every published value of two objects of one class; Path names the place.
void ExpectSame(const TObject& A, const TObject& B, const std::string& Path) {
    ASSERT_EQ(&A.ClassType(), &B.ClassType()) << Path;
    for (const TPropInfo* P : A.ClassType().Properties()) {
        const std::string Where = Path + "." + P->Name;
        switch (P->Kind) {
        case TPropKind::String:
            EXPECT_EQ(P->GetStr(A), P->GetStr(B)) << Where;
            break;
        case TPropKind::Float:
            EXPECT_EQ(P->GetFloat(A), P->GetFloat(B)) << Where;
            break;
        case TPropKind::Class: {
            const TObject* Sa = P->GetObj(A);
            const TObject* Sb = P->GetObj(B);
            ASSERT_EQ(Sa == nullptr, Sb == nullptr) << Where;
            if (Sa) ExpectSame(*Sa, *Sb, Where);
            break;
        }
        case TPropKind::Component: {
            auto* Ca = dynamic_cast<TComponent*>(P->GetObj(A));
            auto* Cb = dynamic_cast<TComponent*>(P->GetObj(B));
            EXPECT_EQ(Ca ? Ca->Name() : "", Cb ? Cb->Name() : "") << Where;
            break;
        }
        case TPropKind::Binary:
            EXPECT_EQ(P->GetBytes(A), P->GetBytes(B)) << Where;
            break;
        case TPropKind::Event:
        case TPropKind::Strings:
        case TPropKind::Collection:
            break;
        default:
            if (P->GetOrd) {
                EXPECT_EQ(P->GetOrd(A), P->GetOrd(B)) << Where;
            }
            break;
        }
    }
}

void ExpectEveryButtonSame(TForm& Was, TForm& Now) {
    for (const char* Name : {"Ie", "Of", "Ro", "Ar", "Cb", "Rb"}) {
        TComponent* A = Was.FindComponent(Name);
        TComponent* B = Now.FindComponent(Name);
        ASSERT_TRUE(A && B) << Name;
        ExpectSame(*A, *B, Name);
    }
}

struct ButtonsStreaming : ::testing::Test {
    void SetUp() override {
        test::Headless();
        RegisterBrisca40Classes();
    }
};

} // namespace

TEST_F(ButtonsStreaming, TextFormKeepsEveryPublishedProperty) {
    auto Was = MakeForm();
    const std::string Text = ComponentToText(Was.get());
    for (const char* Key :
         {"DesignTimeFrame = True", "GroupIndex = 3", "Down = True", "DropDownMenu = Menu",
          "Enabled = False", "Layout = pRight", "BevelLooks = bkDeep", "LedIn = clYellow",
          "RoundSize = 12", "ButtonType = btInset", "UnUsedColor = clFuchsia", "ButtonRaise = 3",
          "ButtonType = dLeft", "AlignButton = taRightJustify", "Alignment = taCenter",
          "AsButton = True", "ButtonSunk = False"})
        EXPECT_NE(Text.find(Key), std::string::npos) << Key << "\n" << Text;
    TStringStream S(Text);
    auto Now = std::make_unique<TForm>(nullptr);
    ReadComponent(S, Now.get());
    ExpectEveryButtonSame(*Was, *Now);
    EXPECT_EQ(ComponentToText(Now.get()), Text);
}

TEST_F(ButtonsStreaming, BinaryFormKeepsEveryPublishedProperty) {
    auto Was = MakeForm();
    TMemoryStream M;
    WriteComponent(M, Was.get(), TFormFormat::Binary);
    M.SetPosition(0);
    auto Now = std::make_unique<TForm>(nullptr);
    ReadComponent(M, Now.get());
    ExpectEveryButtonSame(*Was, *Now);
    EXPECT_EQ(ComponentToText(Now.get()), ComponentToText(Was.get()));
}

TEST_F(ButtonsStreaming, DefaultsAreNotWrittenAndStoredConditionsHold) {
    auto F = std::make_unique<TForm>(nullptr);
    auto* Ie = new TQELIEButton(F.get());
    Ie->SetName("Ie");
    Ie->SetParent(F.get());
    auto* Cb = new TQELCheckbox(F.get());
    Cb->SetName("Cb");
    Cb->SetParent(F.get());
    auto* Ar = new TQELArrowButton(F.get());
    Ar->SetName("Ar");
    Ar->SetParent(F.get());
    const std::string Text = ComponentToText(F.get());
    for (const char* Absent : {"AllowAllUp", "GroupIndex", "Down =", "Layout", "ButtonSunk",
                               "ButtonRaise", "AsButton", "AlignButton", "WordWrap"})
        EXPECT_EQ(Text.find(Absent), std::string::npos) << Absent << "\n" << Text;
    // Written without a declared default.
    for (const char* Present : {"DesignTimeFrame = False", "Options = [opMonoDisplay, opMenuArrow]",
                                "BevelLooks = bk97", "Alignment = taLeftJustify"})
        EXPECT_NE(Text.find(Present), std::string::npos) << Present << "\n" << Text;
}
