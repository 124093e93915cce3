#pragma once
// What the packages' Register procedures fill and the designer reads: the palette pages, the
// property editors by property type, class and name, and the component editors by class.
#include "toolkit/core/Export.h"
#include "toolkit/designer/DesignEditors.h"
#include "toolkit/designer/PropEdit.h"
#include "toolkit/designer/RegistrationGroups.h"

#include <initializer_list>
#include <string>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

// The type a property editor is registered for. A class (for sub-objects, string lists,
// collections and component links) matches properties of that class and its subclasses; an
// enumeration matches properties of that enumeration or of sets of it; otherwise the kind
// alone decides (every string property is a string, captions included).
struct TPropType {
    TPropKind Kind = TPropKind::String;
    const TClass* Class = nullptr;
    const TEnumInfo* Enum = nullptr;
    bool Matches(const TPropInfo& Prop) const;
};
inline TPropType PropType(TPropKind Kind) {
    return {Kind, nullptr, nullptr};
}
template <class T> TPropType ClassPropType(TPropKind Kind = TPropKind::Class) {
    return {Kind, &T::StaticClass(), nullptr};
}
template <class E> TPropType EnumPropType() {
    return {TPropKind::Enumeration, nullptr, &EnumInfo<E>()};
}

// ComponentClass nullptr and an empty PropertyName match every class and every name. When
// several registrations fit a property, one naming the property wins, then the one for the
// closest property class, then the one for the closest component class, then the later one.
void RegisterPropertyEditor(const TPropType& PropertyType, const TClass* ComponentClass,
                            const std::string& PropertyName, TPropertyEditorClass EditorClass);
// The registered editor for Prop as published by InstanceClass, else the standard editor of
// the property's kind.
TPropertyEditorClass GetPropertyEditorClass(const TPropInfo& Prop, const TClass& InstanceClass);
std::unique_ptr<TPropertyEditor> CreatePropertyEditor(TDesigner* Designer,
                                                      std::vector<TPersistent*> Instances,
                                                      const TPropInfo& Prop);

// The editors the inspector shows for the selection: properties (Events false) or events
// (Events true) that every selected object publishes with the same kind, in the first
// object's published order; with several objects only editors that allow multi-selection.
void GetComponentProperties(TDesigner* Designer, const TDesignerSelections& Selection, bool Events,
                            const TGetPropEditProc& Proc);

// The closest registration for the component's class wins; the later one among equals.
void RegisterComponentEditor(const TClass& ComponentClass, TComponentEditorClass EditorClass);
// The registered editor, or TDefaultEditor when there is none.
std::unique_ptr<TComponentEditor> GetComponentEditor(TComponent* Component, TDesigner* Designer);

// Palette. Pages keep the order they were first named in; classes the order they were given
// in. A class registered again moves to its new place. Classes are also registered for
// streaming.
void RegisterComponents(const std::string& Page, const std::vector<const TClass*>& Classes);
struct TPalettePage {
    std::string Name;
    std::vector<const TClass*> Classes;
};
std::vector<TPalettePage> PalettePages();
// The page a class is on; empty when it is on none.
std::string PalettePageOf(const TClass& C);

} // namespace qel

QEL_PUBLIC_END
