// Which editor the registry picks, the palette, registration groups, component editors and
// the designer's selection and design windows.
#include "../controls/ControlsTestSupport.h"
#include "DesignTestClasses.h"
#include "toolkit/designer/DesignRegistry.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

class TMarkerProperty : public TStringProperty {
  public:
    using TStringProperty::TStringProperty;
};

class TVerbEditor : public TComponentEditor {
  public:
    using TComponentEditor::TComponentEditor;
    int GetVerbCount() const override { return 2; }
    std::string GetVerb(int I) const override { return I == 0 ? "First ..." : "Second"; }
    void ExecuteVerb(int I) override { static_cast<TGizmo*>(Component())->SetCount(I + 10); }
};

// Every test works in its own registration group and takes it back.
struct RegistryFixture : ::testing::Test {
    int Group = BeginRegistrationGroup("test");
    TGizmoRoot Root{nullptr};
    TGizmo* G = new TGizmo(&Root);
    TFancyGizmo* F = new TFancyGizmo(&Root);
    TDesigner D{&Root};
    void SetUp() override {
        G->SetName("Gizmo1");
        F->SetName("Fancy1");
    }
    void TearDown() override {
        EndRegistrationGroup();
        FreeRegistrationGroup(Group);
    }
    static std::string Chosen(const TObject& O, const std::string& Prop) {
        return GetPropertyEditorClass(*O.ClassType().FindProperty(Prop), O.ClassType()).Name;
    }
    static TPropertyEditorClass Marker(const std::string& N) {
        return PropertyEditorClass<TMarkerProperty>(N);
    }
};

TEST_F(RegistryFixture, StandardEditorsFollowThePropertyKind) {
    EXPECT_EQ(Chosen(*G, "Count"), "TIntegerProperty");
    EXPECT_EQ(Chosen(*G, "Kind"), "TEnumProperty");
    EXPECT_EQ(Chosen(*G, "Kinds"), "TSetProperty");
    EXPECT_EQ(Chosen(*G, "Color"), "TColorProperty");
    EXPECT_EQ(Chosen(*G, "Caption"), "TCaptionProperty");
    EXPECT_EQ(Chosen(*G, "Name"), "TComponentNameProperty");
    EXPECT_EQ(Chosen(*G, "Font"), "TFontProperty");
    EXPECT_EQ(Chosen(*G, "Partner"), "TComponentProperty");
    EXPECT_EQ(Chosen(*G, "OnClick"), "TMethodProperty");
}

TEST_F(RegistryFixture, TheMostSpecificRegistrationWinsAndTheLaterAmongEquals) {
    RegisterPropertyEditor(PropType(TPropKind::String), nullptr, "", Marker("any string"));
    EXPECT_EQ(Chosen(*G, "Caption"), "any string");
    RegisterPropertyEditor(PropType(TPropKind::String), &TComponent::StaticClass(), "Caption",
                           Marker("caption of components"));
    RegisterPropertyEditor(PropType(TPropKind::String), &TGizmo::StaticClass(), "",
                           Marker("strings of gizmos"));
    EXPECT_EQ(Chosen(*G, "Caption"), "caption of components")
        << "a named entry beats a closer class";
    RegisterPropertyEditor(PropType(TPropKind::String), &TFancyGizmo::StaticClass(), "caption",
                           Marker("caption of fancy gizmos"));
    EXPECT_EQ(Chosen(*F, "Caption"), "caption of fancy gizmos");
    EXPECT_EQ(Chosen(*G, "Caption"), "caption of components") << "not for the base class";
    RegisterPropertyEditor(PropType(TPropKind::String), &TComponent::StaticClass(), "Caption",
                           Marker("later"));
    EXPECT_EQ(Chosen(*G, "Caption"), "later");
    EXPECT_EQ(Chosen(*G, "Name"), "strings of gizmos");

    // Class types match subclasses; the closer property class wins.
    RegisterPropertyEditor(ClassPropType<TPersistent>(), nullptr, "", Marker("persistent"));
    EXPECT_EQ(Chosen(*G, "Font"), "persistent");
    RegisterPropertyEditor(ClassPropType<TFont>(), nullptr, "", Marker("font"));
    RegisterPropertyEditor(ClassPropType<TPersistent>(), nullptr, "", Marker("persistent again"));
    EXPECT_EQ(Chosen(*G, "Font"), "font");
    RegisterPropertyEditor(ClassPropType<TGizmo>(TPropKind::Component), nullptr, "",
                           Marker("gizmo link"));
    EXPECT_EQ(Chosen(*G, "Partner"), "gizmo link");
    RegisterPropertyEditor(EnumPropType<TGizmoKind>(), nullptr, "", Marker("kinds"));
    EXPECT_EQ(Chosen(*G, "Kind"), "kinds");
    EXPECT_EQ(Chosen(*G, "Kinds"), "kinds");
}

TEST_F(RegistryFixture, FreeingAGroupTakesBackItsEntriesOnly) {
    RegisterPropertyEditor(PropType(TPropKind::Integer), nullptr, "", Marker("outer"));
    RegisterComponents("Test Page", {&TGizmo::StaticClass()});
    int Inner = BeginRegistrationGroup("inner");
    RegisterPropertyEditor(PropType(TPropKind::Integer), nullptr, "", Marker("inner"));
    RegisterComponents("Test Page", {&TFancyGizmo::StaticClass()});
    RegisterComponentEditor(TGizmo::StaticClass(), ComponentEditorClass<TVerbEditor>("verbs"));
    EndRegistrationGroup();
    EXPECT_EQ(Chosen(*G, "Count"), "inner");
    FreeRegistrationGroup(Inner);
    EXPECT_EQ(Chosen(*G, "Count"), "outer");
    EXPECT_EQ(PalettePageOf(TFancyGizmo::StaticClass()), "");
    EXPECT_EQ(PalettePageOf(TGizmo::StaticClass()), "Test Page");
    EXPECT_EQ(GetComponentEditor(G, &D)->GetVerbCount(), 0);
}

TEST_F(RegistryFixture, PalettePagesKeepTheirOrderAndAClassLivesOnOnePage) {
    RegisterComponents("Test B", {&TGizmo::StaticClass(), &TWidgetThing::StaticClass()});
    RegisterComponents("Test A", {&TFancyGizmo::StaticClass()});
    RegisterComponents("Test A", {&TWidgetThing::StaticClass()});
    std::vector<std::string> Pages;
    std::vector<std::string> OnA;
    for (const TPalettePage& P : PalettePages()) {
        if (P.Name.rfind("Test ", 0) != 0) continue;
        Pages.push_back(P.Name);
        if (P.Name == "Test A")
            for (const TClass* C : P.Classes)
                OnA.push_back(C->ClassName());
    }
    EXPECT_EQ(Pages, (std::vector<std::string>{"Test B", "Test A"}));
    EXPECT_EQ(OnA, (std::vector<std::string>{"TFancyGizmo", "TWidgetThing"}));
    EXPECT_EQ(GetClass("TWidgetThing"), &TWidgetThing::StaticClass());
    EXPECT_THROW(RegisterComponents("Test C", {&TFont::StaticClass()}), EInvalidOperation);
    EXPECT_THROW(RegisterComponents("Test C", {nullptr}), EInvalidOperation);
}

TEST_F(RegistryFixture, ComponentEditorsByClosestClassAndTheDefaultEditorsEvent) {
    RegisterComponentEditor(TFancyGizmo::StaticClass(), ComponentEditorClass<TVerbEditor>("v"));
    auto E = GetComponentEditor(F, &D);
    ASSERT_EQ(E->GetVerbCount(), 2);
    EXPECT_EQ(E->GetVerb(0), "First ...");
    E->Edit();
    EXPECT_EQ(F->Count(), 10) << "double-click runs the first verb";

    // Without a registration: OnChange comes before OnClick; the form's Gizmo1Change is bound.
    auto Def = GetComponentEditor(G, &D);
    EXPECT_EQ(Def->GetVerbCount(), 0);
    Def->Edit();
    ASSERT_TRUE(G->OnChange.Assigned());
    EXPECT_EQ(G->OnChange.MethodName, "Gizmo1Change");
    EXPECT_FALSE(G->OnClick.Assigned());
    G->OnChange(G);
    EXPECT_EQ(Root.LastChange, G);
    EXPECT_TRUE(D.IsModified());
    // The fancy one has no method of its name: nothing is bound.
    TDefaultEditor(F, &D).Edit();
    EXPECT_FALSE(F->OnChange.Assigned());
}

// ---- designer ----------------------------------------------------------------------------

class TTrackWindow : public TDesignWindow {
  public:
    using TDesignWindow::TDesignWindow;
    void SelectionChanged(const TDesignerSelections& S) override { LastSelection = S; }
    void ItemDeleted(TPersistent* I) override { Deleted = I; }
    void FormModified() override { ++Modifications; }
    void DesignerClosed() override { ++Closed; }
    TDesignerSelections LastSelection;
    TPersistent* Deleted = nullptr;
    int Modifications = 0;
    int Closed = 0;
};

TEST_F(RegistryFixture, FreedComponentsLeaveTheSelection) {
    D.SetSelections({G, F, G, nullptr});
    EXPECT_EQ(D.Selections().size(), 2u) << "no duplicates, no nil";
    int Changes = 0;
    D.OnSelectionChanged = [&] { ++Changes; };
    delete F;
    EXPECT_EQ(D.Selections(), TDesignerSelections{G});
    EXPECT_EQ(Changes, 1);
    D.SelectComponent(nullptr);
    EXPECT_TRUE(D.Selections().empty());
    delete G; // no longer selected: nothing happens
    EXPECT_EQ(Changes, 2);
}

TEST_F(RegistryFixture, UniqueNamesSkipThoseInUse) {
    EXPECT_EQ(D.UniqueName("TGizmo"), "Gizmo2");
    EXPECT_EQ(D.UniqueName("TWidgetThing"), "WidgetThing1");
    Root.SetName("Form1");
    EXPECT_EQ(D.UniqueName("TForm"), "Form2");
}

TEST_F(RegistryFixture, DesignWindowsFollowTheDesignerAndLeaveItWhenFreed) {
    Headless();
    auto* W = new TTrackWindow(nullptr);
    W->SetDesigner(&D);
    EXPECT_EQ(D.FindDesignWindow(TDesignWindow::StaticClass()), W);
    D.SelectComponent(G);
    EXPECT_EQ(W->LastSelection, TDesignerSelections{G});
    D.Modified();
    EXPECT_EQ(W->Modifications, 1);
    D.ItemDeleted(G);
    EXPECT_EQ(W->Deleted, G);
    EXPECT_TRUE(D.Selections().empty());
    delete W;
    EXPECT_TRUE(D.DesignWindows().empty());
    D.Modified(); // must not reach the freed window

    auto* W2 = new TTrackWindow(nullptr);
    {
        TDesigner Other(&Root);
        W2->SetDesigner(&Other);
    }
    EXPECT_EQ(W2->Closed, 1);
    EXPECT_EQ(W2->Designer(), nullptr);
    delete W2;
}

TEST_F(RegistryFixture, AWindowThatFreesItselfWhenTheDesignerClosesIsSafe) {
    Headless();
    struct TSelfFreeing : TDesignWindow {
        using TDesignWindow::TDesignWindow;
        void DesignerClosed() override { delete this; }
    };
    auto* D2 = new TDesigner(&Root);
    (new TSelfFreeing(nullptr))->SetDesigner(D2);
    (new TSelfFreeing(nullptr))->SetDesigner(D2);
    delete D2;
    SUCCEED();
}

} // namespace
