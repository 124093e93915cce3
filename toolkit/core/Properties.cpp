#include "toolkit/core/Properties.h"

#include "toolkit/core/Exceptions.h"
#include "toolkit/core/NameUtils.h"

namespace qel {

int TEnumInfo::ValueOf(std::string_view Ident) const {
    for (std::size_t I = 0; I < Names.size(); ++I)
        if (SameText(Names[I], Ident)) return static_cast<int>(I);
    return -1;
}

bool TPropInfo::IsDefaultValue(const TObject& O) const {
    switch (Kind) {
    case TPropKind::Integer:
    case TPropKind::Boolean:
    case TPropKind::Enumeration:
    case TPropKind::Set:
    case TPropKind::Color:
    case TPropKind::Char:
        return Default.has_value() && GetOrd && GetOrd(O) == *Default;
    case TPropKind::String:
        return !GetStr || GetStr(O).empty();
    case TPropKind::Float:
        return !GetFloat || GetFloat(O) == 0.0;
    case TPropKind::Component:
        return !GetObj || GetObj(O) == nullptr;
    case TPropKind::Event:
        return !GetMethodName || GetMethodName(O).empty();
    case TPropKind::Binary:
        return !GetBytes || GetBytes(O).empty();
    case TPropKind::Class:
    case TPropKind::Strings:
    case TPropKind::Collection:
        // Written field by field; whatever differs inside decides.
        return !GetObj || GetObj(O) == nullptr;
    }
    return false;
}

namespace detail {
void ThrowIncompatibleMethod(const std::string& Prop, const std::string& Method) {
    throw EInvalidCast("Method " + Method + " is incompatible with event " + Prop);
}
void ThrowUndeclared(const TClass& C, std::string_view Name) {
    throw EInvalidOperation("Class " + C.ClassName() + " publishes " + std::string(Name) +
                            ", which no ancestor declares");
}
} // namespace detail

} // namespace qel
