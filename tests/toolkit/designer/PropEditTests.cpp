// The standard property editors on every kind of published property, alone and on several
// selected objects.
#include "../controls/ControlsTestSupport.h"
#include "DesignTestClasses.h"
#include "toolkit/controls/Dialogs.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/core/FormWriter.h"
#include "toolkit/designer/DesignRegistry.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

struct EditorFixture : ::testing::Test {
    TGizmoRoot Root{nullptr};
    TGizmo* G1 = new TGizmo(&Root);
    TGizmo* G2 = new TGizmo(&Root);
    TDesigner D{&Root};
    void SetUp() override {
        Root.SetName("Form1");
        G1->SetName("Gizmo1");
        G2->SetName("Gizmo2");
    }
    std::unique_ptr<TPropertyEditor> Editor(const std::string& Prop,
                                            std::vector<TPersistent*> On = {}) {
        if (On.empty()) On = {G1};
        const TPropInfo* P = On[0]->ClassType().FindProperty(Prop);
        EXPECT_NE(P, nullptr) << Prop;
        return CreatePropertyEditor(&D, std::move(On), *P);
    }
    // Sub-editors of a class or set property, by name.
    static std::unique_ptr<TPropertyEditor> Sub(TPropertyEditor& E, const std::string& Name) {
        std::unique_ptr<TPropertyEditor> Found;
        E.GetProperties([&](std::unique_ptr<TPropertyEditor> S) {
            if (S->GetName() == Name) Found = std::move(S);
        });
        return Found;
    }
};

TEST_F(EditorFixture, IntegersAreRangeCheckedByTheirSizeAndBadTextChangesNothing) {
    auto Small = Editor("Small");
    Small->SetValue("-128");
    EXPECT_EQ(G1->Small(), -128);
    EXPECT_THROW(Small->SetValue("128"), EPropertyError);
    EXPECT_THROW(Small->SetValue("12abc"), EPropertyError);
    EXPECT_THROW(Small->SetValue(""), EPropertyError);
    EXPECT_EQ(G1->Small(), -128);
    EXPECT_EQ(Small->GetValue(), "-128");
    int Before = D.ModifiedCount();
    auto Count = Editor("Count");
    Count->SetValue("$FFFFFFFF");
    EXPECT_EQ(G1->Count(), -1) << "hexadecimal is the 32-bit pattern";
    Count->SetValue(" 0x10 ");
    EXPECT_EQ(G1->Count(), 16);
    EXPECT_THROW(Count->SetValue("99999999999"), EPropertyError);
    EXPECT_EQ(D.ModifiedCount(), Before + 2) << "only stored values tell the designer";
    EXPECT_TRUE(D.IsModified());
}

TEST_F(EditorFixture, EnumerationsBooleansAndCharacters) {
    auto Kind = Editor("Kind");
    EXPECT_EQ(Kind->ValueList(), (std::vector<std::string>{"gkRound", "gkSquare", "gkStar"}));
    EXPECT_TRUE(Kind->GetAttributes().Contains(paValueList));
    Kind->SetValue("gkstar");
    EXPECT_EQ(G1->Kind(), gkStar);
    Kind->Edit(); // double-click moves to the next value, round the end
    EXPECT_EQ(G1->Kind(), gkRound);
    EXPECT_THROW(Kind->SetValue("gkHexagon"), EPropertyError);
    EXPECT_EQ(G1->Kind(), gkRound);

    auto Active = Editor("Active");
    Active->Edit();
    EXPECT_TRUE(G1->Active());
    EXPECT_EQ(Active->GetValue(), "True");
    EXPECT_THROW(Active->SetValue("yes"), EPropertyError);

    auto Letter = Editor("Letter");
    Letter->SetValue("#9");
    EXPECT_EQ(G1->Letter(), '\t');
    EXPECT_EQ(Letter->GetValue(), "#9");
    Letter->SetValue("z");
    EXPECT_EQ(Letter->GetValue(), "z");
    EXPECT_THROW(Letter->SetValue("#300"), EPropertyError);
}

TEST_F(EditorFixture, SetsReadAndWriteWholeAndByElement) {
    auto Kinds = Editor("Kinds");
    EXPECT_EQ(Kinds->GetValue(), "[]");
    Kinds->SetValue("[gkStar, gkRound]");
    EXPECT_EQ(G1->Kinds(), (TGizmoKinds{gkRound, gkStar}));
    EXPECT_EQ(Kinds->GetValue(), "[gkRound,gkStar]");
    EXPECT_THROW(Kinds->SetValue("[gkRound,,gkStar]"), EPropertyError);
    EXPECT_THROW(Kinds->SetValue("gkRound"), EPropertyError);
    EXPECT_THROW(Kinds->SetValue("[gkOval]"), EPropertyError);
    EXPECT_EQ(G1->Kinds(), (TGizmoKinds{gkRound, gkStar}));

    // One element switched on two objects keeps each object's other elements.
    G2->SetKinds({gkSquare});
    auto Both = Editor("Kinds", {G1, G2});
    EXPECT_FALSE(Both->AllEqual());
    auto Star = Sub(*Both, "gkStar");
    ASSERT_TRUE(Star);
    EXPECT_FALSE(Star->AllEqual());
    Star->SetValue("True");
    EXPECT_EQ(G1->Kinds(), (TGizmoKinds{gkRound, gkStar}));
    EXPECT_EQ(G2->Kinds(), (TGizmoKinds{gkSquare, gkStar}));
    EXPECT_TRUE(Star->AllEqual());
}

TEST_F(EditorFixture, ColoursByNameOrNumberAndThroughTheColourDialog) {
    auto Color = Editor("Color");
    EXPECT_EQ(Color->GetValue(), "clBtnFace");
    Color->SetValue("clRed");
    EXPECT_EQ(G1->Color(), clRed);
    Color->SetValue("$00123456");
    EXPECT_EQ(Color->GetValue(), "$00123456");
    EXPECT_THROW(Color->SetValue("reddish"), EPropertyError);
    EXPECT_EQ(G1->Color(), static_cast<TColor>(0x123456));
    auto Names = Color->ValueList();
    EXPECT_NE(std::find(Names.begin(), Names.end(), "clWindowText"), Names.end());
    for (const std::string& N : Names)
        EXPECT_NO_THROW(Color->SetValue(N)) << N;

    Headless();
    G1->SetColor(clRed);
    int Before = D.ModifiedCount();
    SetDialogShownHook([](TCustomForm* F) { F->SetModalResult(mrCancel); });
    Color->Edit();
    EXPECT_EQ(G1->Color(), clRed);
    EXPECT_EQ(D.ModifiedCount(), Before) << "a cancelled dialog changes nothing";
    SetDialogShownHook([](TCustomForm* F) {
        static_cast<TEdit*>(F->FindComponent("Red"))->SetText("0");
        static_cast<TEdit*>(F->FindComponent("Green"))->SetText("0");
        static_cast<TEdit*>(F->FindComponent("Blue"))->SetText("255");
        F->SetModalResult(mrOk);
    });
    Color->Edit();
    SetDialogShownHook(nullptr);
    Pump();
    EXPECT_EQ(G1->Color(), clBlue);
    EXPECT_EQ(D.ModifiedCount(), Before + 1);
}

TEST_F(EditorFixture, FloatsAcceptOnlyFiniteNumbers) {
    auto Ratio = Editor("Ratio");
    Ratio->SetValue("2.5");
    EXPECT_DOUBLE_EQ(G1->Ratio(), 2.5);
    EXPECT_EQ(Ratio->GetValue(), "2.5");
    EXPECT_THROW(Ratio->SetValue("inf"), EPropertyError);
    EXPECT_THROW(Ratio->SetValue("2,5"), EPropertyError);
    EXPECT_DOUBLE_EQ(G1->Ratio(), 2.5);
}

TEST_F(EditorFixture, FontExpandsIntoItsOwnPropertiesWithFittingEditors) {
    auto Font = Editor("Font");
    EXPECT_EQ(Font->GetValue(), "(TFont)");
    EXPECT_TRUE(Font->GetAttributes().Contains(paSubProperties));
    std::vector<std::string> Names;
    Font->GetProperties([&](std::unique_ptr<TPropertyEditor> S) { Names.push_back(S->GetName()); });
    EXPECT_NE(std::find(Names.begin(), Names.end(), "Size"), Names.end());
    auto Name = Sub(*Font, "Name");
    ASSERT_TRUE(Name);
    EXPECT_TRUE(Name->GetAttributes().Contains(paValueList)) << "families to choose from";
    Name->SetValue("Courier New");
    EXPECT_EQ(G1->Font()->Name(), "Courier New");
    auto Color = Sub(*Font, "Color");
    ASSERT_TRUE(Color);
    Color->SetValue("clNavy");
    EXPECT_EQ(G1->Font()->Color(), clNavy);
    auto Style = Sub(*Font, "Style");
    ASSERT_TRUE(Style);
    auto Bold = Sub(*Style, "fsBold");
    ASSERT_TRUE(Bold);
    Bold->SetValue("True");
    EXPECT_TRUE(G1->Font()->Style().Contains(fsBold));
    EXPECT_TRUE(D.IsModified());
}

TEST_F(EditorFixture, ComponentLinksChooseFromFittingComponentsOfTheForm) {
    auto* Fancy = new TFancyGizmo(&Root);
    Fancy->SetName("Fancy1");
    new TWidgetThing(&Root); // no name: never offered
    auto* W = new TWidgetThing(&Root);
    W->SetName("Widget1");
    auto Partner = Editor("Partner");
    EXPECT_EQ(Partner->ValueList(), (std::vector<std::string>{"Gizmo1", "Gizmo2", "Fancy1"}));
    Partner->SetValue("fancy1");
    EXPECT_EQ(G1->Partner(), Fancy);
    EXPECT_EQ(Partner->GetValue(), "Fancy1");
    EXPECT_THROW(Partner->SetValue("Widget1"), EPropertyError) << "wrong class";
    EXPECT_THROW(Partner->SetValue("Nobody"), EPropertyError);
    EXPECT_EQ(G1->Partner(), Fancy);
    delete Fancy;
    EXPECT_EQ(Partner->GetValue(), "");
    Partner->SetValue("Gizmo2");
    Partner->SetValue("");
    EXPECT_EQ(G1->Partner(), nullptr);
}

TEST_F(EditorFixture, EventsBindTheFormsPublishedMethodsByName) {
    auto Click = Editor("OnClick");
    auto Methods = Click->ValueList();
    EXPECT_EQ(Methods, (std::vector<std::string>{"Gizmo1Change", "Gizmo1Click", "Wrong"}));
    Click->SetValue("Gizmo1Click");
    EXPECT_EQ(Click->GetValue(), "Gizmo1Click");
    G1->OnClick(G1);
    EXPECT_EQ(Root.LastClick, G1);
    EXPECT_THROW(Click->SetValue("Wrong"), Exception) << "signature does not fit";
    EXPECT_THROW(Click->SetValue("Missing"), EPropertyError);
    EXPECT_EQ(Click->GetValue(), "Gizmo1Click");
    Click->SetValue("");
    EXPECT_FALSE(G1->OnClick.Assigned());
}

TEST_F(EditorFixture, ADesignedFormTakesAHandlerNameItHasNoCodeFor) {
    Root.SetDesigning(true, true);
    auto Click = Editor("OnClick", {G1, G2});
    int Before = D.ModifiedCount();
    Click->SetValue("SomeHandler");
    EXPECT_EQ(Click->GetValue(), "SomeHandler");
    EXPECT_TRUE(Click->AllEqual());
    EXPECT_FALSE(G2->OnClick.Assigned()) << "a name without code runs nothing";
    EXPECT_EQ(D.ModifiedCount(), Before + 1);
    EXPECT_NE(ComponentToText(&Root).find("OnClick = SomeHandler"), std::string::npos);
    EXPECT_THROW(Click->SetValue("not a name"), EPropertyError);
    EXPECT_EQ(Click->GetValue(), "SomeHandler");
}

TEST_F(EditorFixture, SeveralObjectsOfUnrelatedClassesEachUseTheirOwnEntries) {
    auto* W = new TWidgetThing(&Root);
    W->SetName("Widget1");
    TDesignerSelections Sel{G1, W};
    std::vector<std::string> Shown;
    std::unique_ptr<TPropertyEditor> Caption, Count;
    GetComponentProperties(&D, Sel, false, [&](std::unique_ptr<TPropertyEditor> E) {
        Shown.push_back(E->GetName());
        if (E->GetName() == "Caption")
            Caption = std::move(E);
        else if (E->GetName() == "Count")
            Count = std::move(E);
    });
    EXPECT_EQ(Shown, (std::vector<std::string>{"Tag", "Count", "Caption"}))
        << "Name is never offered for several objects";
    ASSERT_TRUE(Caption && Count);
    EXPECT_FALSE(Caption->AllEqual());
    Caption->SetValue("Both");
    EXPECT_EQ(G1->Caption(), "Both");
    EXPECT_EQ(W->Caption(), "Both");
    Count->SetValue("3");
    EXPECT_EQ(G1->Count(), 3);
    EXPECT_EQ(W->Count(), 3);
    EXPECT_TRUE(Count->AllEqual());

    std::vector<std::string> Events;
    GetComponentProperties(&D, {G1}, true, [&](std::unique_ptr<TPropertyEditor> E) {
        Events.push_back(E->GetName());
    });
    EXPECT_EQ(Events, (std::vector<std::string>{"OnClick", "OnChange"}));
}

TEST_F(EditorFixture, RenamingGoesThroughTheNameChecks) {
    auto Name = Editor("Name");
    EXPECT_FALSE(Name->GetAttributes().Contains(paMultiSelect));
    EXPECT_THROW(Name->SetValue("Gizmo2"), EComponentError);
    EXPECT_THROW(Name->SetValue("1abc"), EComponentError);
    EXPECT_EQ(G1->Name(), "Gizmo1");
    Name->SetValue("Renamed");
    EXPECT_EQ(D.GetComponent("renamed"), G1);
}

} // namespace
