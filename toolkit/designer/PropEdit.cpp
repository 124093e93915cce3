#include "toolkit/designer/PropEdit.h"

#include "toolkit/controls/ColorDialogs.h"
#include "toolkit/core/NameUtils.h"
#include "toolkit/designer/DesignRegistry.h"
#include "toolkit/graphics/Colors.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace qel {

namespace {

std::string Trimmed(const std::string& S) {
    std::size_t B = S.find_first_not_of(" \t");
    if (B == std::string::npos) return {};
    std::size_t E = S.find_last_not_of(" \t");
    return S.substr(B, E - B + 1);
}

// Decimal, or hexadecimal with "$" or "0x"; false for anything else or an overflow.
bool ParseInteger(const std::string& Text, std::int64_t& Value, bool* Hex = nullptr) {
    std::string S = Trimmed(Text);
    bool Neg = false;
    std::size_t P = 0;
    if (P < S.size() && (S[P] == '-' || S[P] == '+')) Neg = S[P++] == '-';
    int Base = 10;
    if (P < S.size() && S[P] == '$') {
        Base = 16;
        ++P;
    } else if (S.size() > P + 1 && S[P] == '0' && (S[P + 1] == 'x' || S[P + 1] == 'X')) {
        Base = 16;
        P += 2;
    }
    if (P >= S.size()) return false;
    if (Hex) *Hex = Base == 16 && !Neg;
    std::uint64_t U = 0;
    auto [End, Ec] = std::from_chars(S.data() + P, S.data() + S.size(), U, Base);
    if (Ec != std::errc() || End != S.data() + S.size()) return false;
    if (Base == 16 && !Neg) { // hexadecimal is the bit pattern: $FFFFFFFF is -1 in 32 bits
        Value = static_cast<std::int64_t>(U);
        return true;
    }
    if (U > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + (Neg ? 1 : 0))
        return false;
    Value = Neg ? static_cast<std::int64_t>(0 - U) : static_cast<std::int64_t>(U);
    return true;
}

void OrdRange(const TPropInfo& P, std::int64_t& Lo, std::int64_t& Hi) {
    const int Bits = P.OrdSize * 8;
    if (Bits >= 64) {
        Lo = std::numeric_limits<std::int64_t>::min();
        Hi = std::numeric_limits<std::int64_t>::max();
    } else if (P.Signed) {
        Lo = -(std::int64_t{1} << (Bits - 1));
        Hi = (std::int64_t{1} << (Bits - 1)) - 1;
    } else {
        Lo = 0;
        Hi = (std::int64_t{1} << Bits) - 1;
    }
}

std::string FloatText(double V) {
    char Buf[64];
    auto [End, Ec] = std::to_chars(Buf, Buf + sizeof Buf, V);
    return Ec == std::errc() ? std::string(Buf, End) : std::string("0");
}

} // namespace

// ---- TPropertyEditor ------------------------------------------------------------------------

TPropertyEditor::TPropertyEditor(TDesigner* Designer, std::vector<TPersistent*> Instances,
                                 const TPropInfo& Prop)
    : Designer_(Designer), Instances_(std::move(Instances)) {
    if (Instances_.empty()) throw EPropertyError("A property editor needs an object to edit");
    for (std::size_t I = 0; I < Instances_.size(); ++I) {
        const TPropInfo* Own = I == 0 ? &Prop : Instances_[I]->ClassType().FindProperty(Prop.Name);
        if (!Own || Own->Kind != Prop.Kind)
            throw EPropertyError(Instances_[I]->ClassName() + " has no property " + Prop.Name);
        Props_.push_back(Own);
    }
}

TPropertyAttributes TPropertyEditor::GetAttributes() const {
    return {paMultiSelect, paRevertable};
}

std::string TPropertyEditor::GetValue() const {
    return "(unknown)";
}

void TPropertyEditor::SetValue(const std::string& /*Value*/) {}

void TPropertyEditor::Edit() {
    TPropertyAttributes A = GetAttributes();
    if (!A.Contains(paValueList) || A.Contains(paDialog) || A.Contains(paReadOnly)) return;
    std::vector<std::string> Values = ValueList();
    if (Values.empty()) return;
    std::string Cur = GetValue();
    std::size_t Next = 0;
    for (std::size_t I = 0; I < Values.size(); ++I)
        if (SameText(Values[I], Cur)) Next = (I + 1) % Values.size();
    SetValue(Values[Next]);
}

void TPropertyEditor::GetValues(const TGetStrProc& /*Proc*/) const {}

void TPropertyEditor::GetProperties(const TGetPropEditProc& /*Proc*/) const {}

bool TPropertyEditor::AllEqual() const {
    return PropCount() == 1;
}

std::vector<std::string> TPropertyEditor::ValueList() const {
    std::vector<std::string> L;
    GetValues([&L](const std::string& S) { L.push_back(S); });
    return L;
}

std::int64_t TPropertyEditor::GetOrdValueAt(int Index) const {
    const TPropInfo& P = PropAt(Index);
    return P.GetOrd ? P.GetOrd(*GetComponent(Index)) : 0;
}

void TPropertyEditor::CheckWritable(bool Writable) const {
    if (!Writable) throw EPropertyError("Property " + PropInfo().Name + " is read-only");
}

void TPropertyEditor::SetOrdValue(std::int64_t Value) {
    for (const TPropInfo* P : Props_)
        CheckWritable(static_cast<bool>(P->SetOrd));
    for (std::size_t I = 0; I < Instances_.size(); ++I)
        Props_[I]->SetOrd(*Instances_[I], Value);
    Modified();
}

double TPropertyEditor::GetFloatValue() const {
    return GetFloatValueAt(0);
}

double TPropertyEditor::GetFloatValueAt(int Index) const {
    const TPropInfo& P = PropAt(Index);
    return P.GetFloat ? P.GetFloat(*GetComponent(Index)) : 0.0;
}

void TPropertyEditor::SetFloatValue(double Value) {
    for (const TPropInfo* P : Props_)
        CheckWritable(static_cast<bool>(P->SetFloat));
    for (std::size_t I = 0; I < Instances_.size(); ++I)
        Props_[I]->SetFloat(*Instances_[I], Value);
    Modified();
}

std::string TPropertyEditor::GetStrValueAt(int Index) const {
    const TPropInfo& P = PropAt(Index);
    return P.GetStr ? P.GetStr(*GetComponent(Index)) : std::string();
}

void TPropertyEditor::SetStrValue(const std::string& Value) {
    for (const TPropInfo* P : Props_)
        CheckWritable(static_cast<bool>(P->SetStr));
    for (std::size_t I = 0; I < Instances_.size(); ++I)
        Props_[I]->SetStr(*Instances_[I], Value);
    Modified();
}

TObject* TPropertyEditor::GetObjValueAt(int Index) const {
    const TPropInfo& P = PropAt(Index);
    return P.GetObj ? P.GetObj(*GetComponent(Index)) : nullptr;
}

void TPropertyEditor::SetObjValue(TObject* Value) {
    for (const TPropInfo* P : Props_)
        CheckWritable(static_cast<bool>(P->SetObj));
    for (std::size_t I = 0; I < Instances_.size(); ++I)
        Props_[I]->SetObj(*Instances_[I], Value);
    Modified();
}

void TPropertyEditor::Modified() {
    if (Designer_) Designer_->Modified();
}

void TPropertyEditor::InvalidValue(const std::string& Value) const {
    throw EPropertyError("Invalid property value '" + Value + "' for " + PropInfo().Name);
}

// ---- ordinals ------------------------------------------------------------------------------

bool TOrdinalProperty::AllEqual() const {
    for (int I = 1; I < PropCount(); ++I)
        if (GetOrdValueAt(I) != GetOrdValueAt(0)) return false;
    return true;
}

TPropertyAttributes TIntegerProperty::GetAttributes() const {
    return {paMultiSelect, paRevertable};
}

std::string TIntegerProperty::GetValue() const {
    std::int64_t V = GetOrdValue();
    std::string Ident;
    if (PropInfo().Idents && PropInfo().Idents->IntToIdent &&
        PropInfo().Idents->IntToIdent(V, Ident))
        return Ident;
    return std::to_string(V);
}

void TIntegerProperty::SetValue(const std::string& Value) {
    std::int64_t V = 0;
    const TPropInfo& P = PropInfo();
    bool Hex = false;
    bool Named = P.Idents && P.Idents->IdentToInt && P.Idents->IdentToInt(Trimmed(Value), V);
    if (!Named && !ParseInteger(Value, V, &Hex)) InvalidValue(Value);
    std::int64_t Lo = 0, Hi = 0;
    OrdRange(P, Lo, Hi);
    // A hexadecimal pattern of the property's width stands for its signed reading.
    if (Hex && P.Signed && P.OrdSize < 8 && V > Hi && V <= Hi * 2 + 1) V -= (Hi + 1) * 2;
    if (V < Lo || V > Hi)
        throw EPropertyError("Value must be between " + std::to_string(Lo) + " and " +
                             std::to_string(Hi));
    SetOrdValue(V);
}

std::string TCharProperty::GetValue() const {
    auto C = static_cast<unsigned char>(GetOrdValue());
    if (C > 32 && C < 127) return std::string(1, static_cast<char>(C));
    return "#" + std::to_string(C);
}

void TCharProperty::SetValue(const std::string& Value) {
    if (Value.size() == 1) return SetOrdValue(static_cast<unsigned char>(Value[0]));
    std::int64_t V = 0;
    if (Value.size() > 1 && Value[0] == '#' && ParseInteger(Value.substr(1), V) && V >= 0 &&
        V <= 255)
        return SetOrdValue(V);
    InvalidValue(Value);
}

TPropertyAttributes TEnumProperty::GetAttributes() const {
    return {paMultiSelect, paValueList, paSortList, paRevertable};
}

std::string TEnumProperty::GetValue() const {
    std::int64_t V = GetOrdValue();
    const TEnumInfo* E = PropInfo().Enum;
    if (E && V >= 0 && V < static_cast<std::int64_t>(E->Names.size()))
        return E->Names[static_cast<std::size_t>(V)];
    return std::to_string(V);
}

void TEnumProperty::SetValue(const std::string& Value) {
    const TEnumInfo* E = PropInfo().Enum;
    int V = E ? E->ValueOf(Trimmed(Value)) : -1;
    if (V < 0) InvalidValue(Value);
    SetOrdValue(V);
}

void TEnumProperty::GetValues(const TGetStrProc& Proc) const {
    if (PropInfo().Enum)
        for (const std::string& N : PropInfo().Enum->Names)
            Proc(N);
}

TPropertyAttributes TBoolProperty::GetAttributes() const {
    return {paMultiSelect, paValueList, paSortList, paRevertable};
}

std::string TBoolProperty::GetValue() const {
    return GetOrdValue() ? "True" : "False";
}

void TBoolProperty::SetValue(const std::string& Value) {
    std::string V = Trimmed(Value);
    if (SameText(V, "True"))
        SetOrdValue(1);
    else if (SameText(V, "False"))
        SetOrdValue(0);
    else
        InvalidValue(Value);
}

void TBoolProperty::GetValues(const TGetStrProc& Proc) const {
    Proc("False");
    Proc("True");
}

TPropertyAttributes TSetProperty::GetAttributes() const {
    return {paMultiSelect, paSubProperties, paReadOnly, paRevertable};
}

std::string TSetProperty::GetValue() const {
    auto Bits = static_cast<std::uint64_t>(GetOrdValue());
    std::string S = "[";
    const TEnumInfo* E = PropInfo().Enum;
    for (std::size_t I = 0; E && I < E->Names.size() && I < 64; ++I)
        if (Bits & (std::uint64_t{1} << I)) {
            if (S.size() > 1) S += ',';
            S += E->Names[I];
        }
    return S + "]";
}

void TSetProperty::SetValue(const std::string& Value) {
    std::string S = Trimmed(Value);
    if (S.size() < 2 || S.front() != '[' || S.back() != ']') InvalidValue(Value);
    S = S.substr(1, S.size() - 2);
    std::uint64_t Bits = 0;
    const TEnumInfo* E = PropInfo().Enum;
    std::size_t P = 0;
    while (P <= S.size()) {
        std::size_t Comma = S.find(',', P);
        std::string Item = Trimmed(S.substr(P, Comma == std::string::npos ? S.npos : Comma - P));
        if (!Item.empty()) {
            int V = E ? E->ValueOf(Item) : -1;
            if (V < 0 || V >= 64) InvalidValue(Value);
            Bits |= std::uint64_t{1} << V;
        } else if (Comma != std::string::npos) {
            InvalidValue(Value);
        }
        if (Comma == std::string::npos) break;
        P = Comma + 1;
    }
    SetOrdValue(static_cast<std::int64_t>(Bits));
}

void TSetProperty::GetProperties(const TGetPropEditProc& Proc) const {
    const TEnumInfo* E = PropInfo().Enum;
    for (std::size_t I = 0; E && I < E->Names.size() && I < 64; ++I)
        Proc(std::make_unique<TSetElementProperty>(Designer(), Instances(), PropInfo(),
                                                   static_cast<int>(I)));
}

TSetElementProperty::TSetElementProperty(TDesigner* Designer, std::vector<TPersistent*> Instances,
                                         const TPropInfo& Prop, int Element)
    : TPropertyEditor(Designer, std::move(Instances), Prop), Element_(Element) {}

TPropertyAttributes TSetElementProperty::GetAttributes() const {
    return {paMultiSelect, paValueList, paSortList};
}

std::string TSetElementProperty::GetName() const {
    return PropInfo().Enum->Names.at(static_cast<std::size_t>(Element_));
}

std::string TSetElementProperty::GetValue() const {
    return (static_cast<std::uint64_t>(GetOrdValue()) >> Element_) & 1 ? "True" : "False";
}

void TSetElementProperty::SetValue(const std::string& Value) {
    std::string V = Trimmed(Value);
    bool On = SameText(V, "True");
    if (!On && !SameText(V, "False")) InvalidValue(Value);
    // Each instance keeps its other elements.
    const std::uint64_t Bit = std::uint64_t{1} << Element_;
    for (int I = 0; I < PropCount(); ++I)
        CheckWritable(static_cast<bool>(PropAt(I).SetOrd));
    for (int I = 0; I < PropCount(); ++I) {
        auto Bits = static_cast<std::uint64_t>(GetOrdValueAt(I));
        PropAt(I).SetOrd(*GetComponent(I),
                         static_cast<std::int64_t>(On ? Bits | Bit : Bits & ~Bit));
    }
    Modified();
}

void TSetElementProperty::GetValues(const TGetStrProc& Proc) const {
    Proc("False");
    Proc("True");
}

bool TSetElementProperty::AllEqual() const {
    const std::uint64_t Bit = std::uint64_t{1} << Element_;
    for (int I = 1; I < PropCount(); ++I)
        if ((static_cast<std::uint64_t>(GetOrdValueAt(I)) & Bit) !=
            (static_cast<std::uint64_t>(GetOrdValueAt(0)) & Bit))
            return false;
    return true;
}

// ---- floats and strings --------------------------------------------------------------------

TPropertyAttributes TFloatProperty::GetAttributes() const {
    return {paMultiSelect, paRevertable};
}

std::string TFloatProperty::GetValue() const {
    return FloatText(GetFloatValue());
}

void TFloatProperty::SetValue(const std::string& Value) {
    std::string S = Trimmed(Value);
    double V = 0;
    auto [End, Ec] = std::from_chars(S.data(), S.data() + S.size(), V);
    if (S.empty() || Ec != std::errc() || End != S.data() + S.size() || !std::isfinite(V))
        InvalidValue(Value);
    SetFloatValue(V);
}

bool TFloatProperty::AllEqual() const {
    for (int I = 1; I < PropCount(); ++I)
        if (GetFloatValueAt(I) != GetFloatValue()) return false;
    return true;
}

TPropertyAttributes TStringProperty::GetAttributes() const {
    return {paMultiSelect, paRevertable};
}

std::string TStringProperty::GetValue() const {
    return GetStrValue();
}

void TStringProperty::SetValue(const std::string& Value) {
    SetStrValue(Value);
}

bool TStringProperty::AllEqual() const {
    for (int I = 1; I < PropCount(); ++I)
        if (GetStrValueAt(I) != GetStrValueAt(0)) return false;
    return true;
}

TPropertyAttributes TComponentNameProperty::GetAttributes() const {
    return {};
}

TPropertyAttributes TCaptionProperty::GetAttributes() const {
    return {paMultiSelect, paAutoUpdate, paRevertable};
}

// ---- sub-objects ---------------------------------------------------------------------------

TPropertyAttributes TClassProperty::GetAttributes() const {
    return {paMultiSelect, paSubProperties, paReadOnly};
}

std::string TClassProperty::GetValue() const {
    TObject* O = GetObjValue();
    return O ? "(" + O->ClassName() + ")" : std::string();
}

void TClassProperty::GetProperties(const TGetPropEditProc& Proc) const {
    std::vector<TPersistent*> Subs;
    for (int I = 0; I < PropCount(); ++I) {
        auto* P = Cast<TPersistent>(GetObjValueAt(I));
        if (!P) return;
        Subs.push_back(P);
    }
    for (const TPropInfo* Sub : Subs[0]->ClassType().Properties()) {
        if (Sub->Kind == TPropKind::Event) continue;
        bool Everywhere = true;
        for (TPersistent* S : Subs) {
            const TPropInfo* Other = S->ClassType().FindProperty(Sub->Name);
            Everywhere = Everywhere && Other && Other->Kind == Sub->Kind;
        }
        if (Everywhere) Proc(CreatePropertyEditor(Designer(), Subs, *Sub));
    }
}

TPropertyAttributes TFontNameProperty::GetAttributes() const {
    return {paMultiSelect, paValueList, paSortList, paRevertable};
}

void TFontNameProperty::GetValues(const TGetStrProc& Proc) const {
    // The faces form files name; each maps to one of the families the toolkit ships with.
    for (const char* N :
         {"Arial", "Courier New", "Liberation Mono", "Liberation Sans", "Liberation Serif",
          "MS Sans Serif", "MS Serif", "Tahoma", "Times New Roman", "Verdana"})
        Proc(N);
}

// ---- colours -------------------------------------------------------------------------------

const std::vector<std::string>& StandardColorNames() {
    static const std::vector<std::string> Names{
        "clBlack",        "clMaroon",      "clGreen",         "clOlive",
        "clNavy",         "clPurple",      "clTeal",          "clGray",
        "clSilver",       "clRed",         "clLime",          "clYellow",
        "clBlue",         "clFuchsia",     "clAqua",          "clWhite",
        "clScrollBar",    "clBackground",  "clActiveCaption", "clInactiveCaption",
        "clMenu",         "clWindow",      "clWindowFrame",   "clMenuText",
        "clWindowText",   "clCaptionText", "clActiveBorder",  "clInactiveBorder",
        "clAppWorkSpace", "clHighlight",   "clHighlightText", "clBtnFace",
        "clBtnShadow",    "clGrayText",    "clBtnText",       "clInactiveCaptionText",
        "clBtnHighlight", "cl3DDkShadow",  "cl3DLight",       "clInfoText",
        "clInfoBk",       "clNone",        "clDefault"};
    return Names;
}

TPropertyAttributes TColorProperty::GetAttributes() const {
    return {paMultiSelect, paDialog, paValueList, paRevertable};
}

std::string TColorProperty::GetValue() const {
    return ColorToString(static_cast<TColor>(GetOrdValue()));
}

void TColorProperty::SetValue(const std::string& Value) {
    TColor C = 0;
    try {
        C = StringToColor(Trimmed(Value));
    } catch (const EConvertError&) {
        InvalidValue(Value);
    }
    SetOrdValue(static_cast<std::int64_t>(C));
}

void TColorProperty::GetValues(const TGetStrProc& Proc) const {
    for (const std::string& N : StandardColorNames())
        Proc(N);
}

void TColorProperty::Edit() {
    TColorDialog D(nullptr);
    D.SetColor(static_cast<TColor>(GetOrdValue()));
    if (D.Execute()) SetOrdValue(static_cast<std::int64_t>(D.Color()));
}

// ---- links and events ----------------------------------------------------------------------

TPropertyAttributes TComponentProperty::GetAttributes() const {
    return {paMultiSelect, paValueList, paSortList, paRevertable};
}

std::string TComponentProperty::GetValue() const {
    auto* C = Cast<TComponent>(GetObjValue());
    if (!C) return {};
    TComponent* Root = Designer() ? Designer()->Root() : nullptr;
    if (C == Root || C->Owner() == Root || !C->Owner()) return C->Name();
    return C->Owner()->Name() + "." + C->Name();
}

void TComponentProperty::SetValue(const std::string& Value) {
    std::string Name = Trimmed(Value);
    if (Name.empty()) return SetObjValue(nullptr);
    TComponent* C = Designer() ? Designer()->GetComponent(Name) : nullptr;
    const TClass* Want = PropInfo().PropClass;
    if (!C || (Want && !C->InheritsFrom(*Want))) InvalidValue(Value);
    SetObjValue(C);
}

void TComponentProperty::GetValues(const TGetStrProc& Proc) const {
    if (!Designer() || !PropInfo().PropClass) return;
    for (const std::string& N : Designer()->GetComponentNames(*PropInfo().PropClass))
        Proc(N);
}

bool TComponentProperty::AllEqual() const {
    for (int I = 1; I < PropCount(); ++I)
        if (GetObjValueAt(I) != GetObjValueAt(0)) return false;
    return true;
}

TPropertyAttributes TMethodProperty::GetAttributes() const {
    return {paMultiSelect, paValueList, paSortList, paRevertable};
}

std::string TMethodProperty::GetValue() const {
    return PropInfo().GetMethodName ? PropInfo().GetMethodName(*GetComponent(0)) : std::string();
}

void TMethodProperty::SetValue(const std::string& Value) {
    std::string Name = Trimmed(Value);
    if (Name.empty()) {
        for (int I = 0; I < PropCount(); ++I)
            if (PropAt(I).ClearMethod) PropAt(I).ClearMethod(*GetComponent(I));
        return Modified();
    }
    TComponent* Root = Designer() ? Designer()->Root() : nullptr;
    const TMethodEntry* M = Root ? Root->ClassType().FindMethod(Name) : nullptr;
    if (!M && Root && Root->IsDesigning() && IsValidIdent(Name)) {
        // The designed form has no code behind it: the handler is named now and written later.
        for (int I = 0; I < PropCount(); ++I)
            CheckWritable(static_cast<bool>(PropAt(I).SetMethodName));
        for (int I = 0; I < PropCount(); ++I)
            PropAt(I).SetMethodName(*GetComponent(I), Name);
        return Modified();
    }
    if (!M) throw EPropertyError("The form has no method named " + Name);
    for (int I = 0; I < PropCount(); ++I)
        CheckWritable(static_cast<bool>(PropAt(I).SetMethod));
    std::any Closure = M->Bind(*Root);
    // A method whose signature does not fit throws on the first instance, before any change.
    for (int I = 0; I < PropCount(); ++I)
        PropAt(I).SetMethod(*GetComponent(I), Closure, M->Name);
    Modified();
}

void TMethodProperty::GetValues(const TGetStrProc& Proc) const {
    if (!Designer()) return;
    for (const std::string& N : Designer()->GetMethods())
        Proc(N);
}

bool TMethodProperty::AllEqual() const {
    auto NameAt = [this](int I) {
        const TPropInfo& P = PropAt(I);
        return P.GetMethodName ? P.GetMethodName(*GetComponent(I)) : std::string();
    };
    for (int I = 1; I < PropCount(); ++I)
        if (NameAt(I) != NameAt(0)) return false;
    return true;
}

// ---- lists and data ------------------------------------------------------------------------

TPropertyAttributes TStringsProperty::GetAttributes() const {
    return {paReadOnly};
}

TPropertyAttributes TCollectionProperty::GetAttributes() const {
    return {paReadOnly};
}

std::string TCollectionProperty::GetValue() const {
    TObject* O = GetObjValue();
    return O ? "(" + O->ClassName() + ")" : std::string();
}

TPropertyAttributes TBinaryProperty::GetAttributes() const {
    return {paReadOnly};
}

std::string TBinaryProperty::GetValue() const {
    const TPropInfo& P = PropInfo();
    bool Empty = !P.GetBytes || P.GetBytes(*GetComponent(0)).empty();
    return Empty ? "(None)" : "(Data)";
}

} // namespace qel
