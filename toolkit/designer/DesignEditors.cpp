#include "toolkit/designer/DesignEditors.h"

#include "toolkit/core/NameUtils.h"
#include "toolkit/designer/DesignRegistry.h"

namespace qel {

TComponentEditor::TComponentEditor(TComponent* Component, TDesigner* Designer)
    : Component_(Component), Designer_(Designer) {}

void TComponentEditor::Edit() {
    if (GetVerbCount() > 0) ExecuteVerb(0);
}

namespace {
int EventRank(const std::string& Name) {
    if (SameText(Name, "OnCreate")) return 4;
    if (SameText(Name, "OnChange")) return 3;
    if (SameText(Name, "OnClick")) return 2;
    return 1;
}
} // namespace

void TDefaultEditor::Edit() {
    std::unique_ptr<TPropertyEditor> Best;
    int BestRank = 0;
    GetComponentProperties(Designer(), {Component()}, true,
                           [&](std::unique_ptr<TPropertyEditor> E) {
                               int Rank = EventRank(E->GetName());
                               if (Rank > BestRank) {
                                   BestRank = Rank;
                                   Best = std::move(E);
                               }
                           });
    if (Best) EditProperty(*Best);
}

void TDefaultEditor::EditProperty(TPropertyEditor& Prop) {
    std::string Method = DefaultMethodName(Prop);
    TComponent* Root = Designer() ? Designer()->Root() : nullptr;
    if (Prop.GetValue().empty() && Root && Root->ClassType().FindMethod(Method))
        Prop.SetValue(Method);
}

std::string TDefaultEditor::DefaultMethodName(const TPropertyEditor& Prop) const {
    std::string Event = Prop.GetName();
    if (Event.size() > 2 && SameText(Event.substr(0, 2), "On")) Event.erase(0, 2);
    return Component()->Name() + Event;
}

} // namespace qel
