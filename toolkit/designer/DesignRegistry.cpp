#include "toolkit/designer/DesignRegistry.h"

#include "toolkit/core/NameUtils.h"
#include "toolkit/core/Strings.h"
#include "toolkit/graphics/Font.h"

#include <algorithm>
#include <tuple>

namespace qel {

namespace {

struct TPropEditorEntry {
    TPropType Type;
    const TClass* ComponentClass;
    std::string Name;
    TPropertyEditorClass Editor;
    int Group;
};

struct TCompEditorEntry {
    const TClass* ComponentClass;
    TComponentEditorClass Editor;
    int Group;
};

struct TPaletteEntry {
    const TClass* Class;
    int Group;
};

struct TPageEntry {
    std::string Name;
    std::vector<TPaletteEntry> Classes;
};

// The designer runs on the GUI thread only; so do the Register procedures it calls.
struct TRegistry {
    std::vector<TPropEditorEntry> PropEditors;
    std::vector<TCompEditorEntry> CompEditors;
    std::vector<TPageEntry> Pages;
    std::vector<int> GroupStack{0};
    int NextGroup = 1;
};

TRegistry& Reg() {
    static TRegistry R;
    return R;
}

int Depth(const TClass* C) {
    int D = 0;
    for (; C; C = C->ClassParent())
        ++D;
    return D;
}

bool IsClassKind(TPropKind K) {
    return K == TPropKind::Class || K == TPropKind::Strings || K == TPropKind::Collection ||
           K == TPropKind::Component;
}

TPropertyEditorClass StandardEditor(const TPropInfo& Prop, const TClass& InstanceClass) {
    switch (Prop.Kind) {
    case TPropKind::Integer:
        return PropertyEditorClass<TIntegerProperty>("TIntegerProperty");
    case TPropKind::Boolean:
        return PropertyEditorClass<TBoolProperty>("TBoolProperty");
    case TPropKind::Enumeration:
        return PropertyEditorClass<TEnumProperty>("TEnumProperty");
    case TPropKind::Set:
        return PropertyEditorClass<TSetProperty>("TSetProperty");
    case TPropKind::Color:
        return PropertyEditorClass<TColorProperty>("TColorProperty");
    case TPropKind::Char:
        return PropertyEditorClass<TCharProperty>("TCharProperty");
    case TPropKind::String:
        if (SameText(Prop.Name, "Name") && InstanceClass.InheritsFrom(TComponent::StaticClass()))
            return PropertyEditorClass<TComponentNameProperty>("TComponentNameProperty");
        if (SameText(Prop.Name, "Name") && InstanceClass.InheritsFrom(TFont::StaticClass()))
            return PropertyEditorClass<TFontNameProperty>("TFontNameProperty");
        if (SameText(Prop.Name, "Caption") || SameText(Prop.Name, "Text"))
            return PropertyEditorClass<TCaptionProperty>("TCaptionProperty");
        return PropertyEditorClass<TStringProperty>("TStringProperty");
    case TPropKind::Float:
        return PropertyEditorClass<TFloatProperty>("TFloatProperty");
    case TPropKind::Class:
        if (Prop.PropClass && Prop.PropClass->InheritsFrom(TFont::StaticClass()))
            return PropertyEditorClass<TFontProperty>("TFontProperty");
        return PropertyEditorClass<TClassProperty>("TClassProperty");
    case TPropKind::Strings:
        return PropertyEditorClass<TStringsProperty>("TStringsProperty");
    case TPropKind::Collection:
        return PropertyEditorClass<TCollectionProperty>("TCollectionProperty");
    case TPropKind::Component:
        return PropertyEditorClass<TComponentProperty>("TComponentProperty");
    case TPropKind::Event:
        return PropertyEditorClass<TMethodProperty>("TMethodProperty");
    case TPropKind::Binary:
        return PropertyEditorClass<TBinaryProperty>("TBinaryProperty");
    }
    return PropertyEditorClass<TPropertyEditor>("TPropertyEditor");
}

} // namespace

bool TPropType::Matches(const TPropInfo& Prop) const {
    if (Class) {
        if (!IsClassKind(Prop.Kind) || !Prop.PropClass) return false;
        if (Kind != Prop.Kind && Kind != TPropKind::Class) return false;
        return Prop.PropClass->InheritsFrom(*Class);
    }
    if (Enum)
        return (Prop.Kind == TPropKind::Enumeration || Prop.Kind == TPropKind::Set) &&
               Prop.Enum == Enum;
    return Prop.Kind == Kind;
}

void RegisterPropertyEditor(const TPropType& PropertyType, const TClass* ComponentClass,
                            const std::string& PropertyName, TPropertyEditorClass EditorClass) {
    if (!EditorClass) throw EInvalidOperation("RegisterPropertyEditor needs an editor class");
    Reg().PropEditors.push_back({PropertyType, ComponentClass, PropertyName, std::move(EditorClass),
                                 CurrentRegistrationGroup()});
}

TPropertyEditorClass GetPropertyEditorClass(const TPropInfo& Prop, const TClass& InstanceClass) {
    const TPropEditorEntry* Best = nullptr;
    std::tuple<int, int, int> BestRank{-1, -1, -1};
    for (const TPropEditorEntry& E : Reg().PropEditors) {
        if (!E.Type.Matches(Prop)) continue;
        if (E.ComponentClass && !InstanceClass.InheritsFrom(*E.ComponentClass)) continue;
        if (!E.Name.empty() && !SameText(E.Name, Prop.Name)) continue;
        std::tuple<int, int, int> Rank{E.Name.empty() ? 0 : 1, Depth(E.Type.Class),
                                       Depth(E.ComponentClass)};
        if (Rank >= BestRank) { // later registrations win among equals
            BestRank = Rank;
            Best = &E;
        }
    }
    return Best ? Best->Editor : StandardEditor(Prop, InstanceClass);
}

std::unique_ptr<TPropertyEditor> CreatePropertyEditor(TDesigner* Designer,
                                                      std::vector<TPersistent*> Instances,
                                                      const TPropInfo& Prop) {
    if (Instances.empty()) throw EPropertyError("A property editor needs an object to edit");
    const TClass& C = Instances[0]->ClassType();
    return GetPropertyEditorClass(Prop, C).Create(Designer, std::move(Instances), Prop);
}

void GetComponentProperties(TDesigner* Designer, const TDesignerSelections& Selection, bool Events,
                            const TGetPropEditProc& Proc) {
    if (Selection.empty()) return;
    const bool Multi = Selection.size() > 1;
    for (const TPropInfo* P : Selection[0]->ClassType().Properties()) {
        if ((P->Kind == TPropKind::Event) != Events) continue;
        bool Everywhere = true;
        for (TPersistent* S : Selection) {
            const TPropInfo* Other = S->ClassType().FindProperty(P->Name);
            Everywhere = Everywhere && Other && Other->Kind == P->Kind;
        }
        if (!Everywhere) continue;
        // Each class's own choice of editor counts: all of them must allow several objects.
        std::unique_ptr<TPropertyEditor> E = CreatePropertyEditor(Designer, Selection, *P);
        if (Multi) {
            bool AllowMulti = E->GetAttributes().Contains(paMultiSelect);
            for (std::size_t I = 1; AllowMulti && I < Selection.size(); ++I) {
                const TPropInfo* Own = Selection[I]->ClassType().FindProperty(P->Name);
                auto Single = CreatePropertyEditor(Designer, {Selection[I]}, *Own);
                AllowMulti = Single->GetAttributes().Contains(paMultiSelect);
            }
            if (!AllowMulti) continue;
        }
        Proc(std::move(E));
    }
}

void RegisterComponentEditor(const TClass& ComponentClass, TComponentEditorClass EditorClass) {
    if (!EditorClass) throw EInvalidOperation("RegisterComponentEditor needs an editor class");
    Reg().CompEditors.push_back(
        {&ComponentClass, std::move(EditorClass), CurrentRegistrationGroup()});
}

std::unique_ptr<TComponentEditor> GetComponentEditor(TComponent* Component, TDesigner* Designer) {
    const TCompEditorEntry* Best = nullptr;
    int BestDepth = -1;
    for (const TCompEditorEntry& E : Reg().CompEditors) {
        if (!Component->InheritsFrom(*E.ComponentClass)) continue;
        int D = Depth(E.ComponentClass);
        if (D >= BestDepth) {
            BestDepth = D;
            Best = &E;
        }
    }
    if (Best) return Best->Editor.Create(Component, Designer);
    return std::make_unique<TDefaultEditor>(Component, Designer);
}

void RegisterComponents(const std::string& Page, const std::vector<const TClass*>& Classes) {
    auto& Pages = Reg().Pages;
    for (const TClass* C : Classes) {
        if (!C) throw EInvalidOperation("RegisterComponents was given no class");
        if (!C->InheritsFrom(TComponent::StaticClass()) || C->IsAbstract())
            throw EInvalidOperation(C->ClassName() + " is not a component class that can be "
                                                     "placed on a form");
        RegisterClass(*C);
        for (TPageEntry& P : Pages)
            std::erase_if(P.Classes, [C](const TPaletteEntry& E) { return E.Class == C; });
    }
    auto It = std::find_if(Pages.begin(), Pages.end(),
                           [&Page](const TPageEntry& P) { return P.Name == Page; });
    if (It == Pages.end()) It = Pages.insert(Pages.end(), TPageEntry{Page, {}});
    for (const TClass* C : Classes)
        It->Classes.push_back({C, CurrentRegistrationGroup()});
}

std::vector<TPalettePage> PalettePages() {
    std::vector<TPalettePage> Out;
    for (const TPageEntry& P : Reg().Pages) {
        if (P.Classes.empty()) continue;
        TPalettePage Page{P.Name, {}};
        for (const TPaletteEntry& E : P.Classes)
            Page.Classes.push_back(E.Class);
        Out.push_back(std::move(Page));
    }
    return Out;
}

std::string PalettePageOf(const TClass& C) {
    for (const TPageEntry& P : Reg().Pages)
        for (const TPaletteEntry& E : P.Classes)
            if (E.Class == &C) return P.Name;
    return {};
}

int CurrentRegistrationGroup() {
    return Reg().GroupStack.back();
}

int BeginRegistrationGroup(const std::string& /*Name*/) {
    int G = Reg().NextGroup++;
    Reg().GroupStack.push_back(G);
    return G;
}

void EndRegistrationGroup() {
    if (Reg().GroupStack.size() > 1) Reg().GroupStack.pop_back();
}

void FreeRegistrationGroup(int Group) {
    auto& R = Reg();
    std::erase_if(R.PropEditors, [Group](const TPropEditorEntry& E) { return E.Group == Group; });
    std::erase_if(R.CompEditors, [Group](const TCompEditorEntry& E) { return E.Group == Group; });
    for (TPageEntry& P : R.Pages)
        std::erase_if(P.Classes, [Group](const TPaletteEntry& E) { return E.Group == Group; });
    std::erase_if(R.Pages, [](const TPageEntry& P) { return P.Classes.empty(); });
}

} // namespace qel
