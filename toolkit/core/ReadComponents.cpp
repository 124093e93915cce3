// TReader: components, published properties, fixups of references and Loaded.
#include "toolkit/core/Collection.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/core/Filer.h"
#include "toolkit/core/IdentMap.h"
#include "toolkit/core/NameUtils.h"
#include "toolkit/core/ScopeGuard.h"
#include "toolkit/core/Streams.h"
#include "toolkit/core/Strings.h"

namespace qel {

struct TReaderDepth {
    TReader& R;
    explicit TReaderDepth(TReader& Reader);
    ~TReaderDepth();
};

namespace {
bool IsIntType(TValueType T) {
    return T == vaInt8 || T == vaInt16 || T == vaInt32 || T == vaInt64;
}
bool IsStringType(TValueType T) {
    return T == vaString || T == vaLString || T == vaWString || T == vaUTF8String;
}
bool IsFloatType(TValueType T) {
    return T == vaExtended || T == vaSingle || T == vaCurrency || T == vaDate || IsIntType(T);
}

// Restores a saved member on scope exit.
template <class T> struct TSave {
    T& Ref;
    T Old;
    explicit TSave(T& R) : Ref(R), Old(R) {}
    ~TSave() { Ref = std::move(Old); }
};
} // namespace

TComponent* TReader::ReadRootComponent(TComponent* Root) {
    ReadSignature();
    std::int64_t At = Offset();
    std::uint8_t Flags;
    int Pos;
    ReadPrefix(Flags, Pos);
    std::string ClassName = ReadStr();
    std::string Name = ReadStr();
    bool CreatedRoot = false;
    if (!Root) {
        const TClass* C = GetClass(ClassName);
        if (!C && Options_.FallbackRootClass) {
            C = Options_.FallbackRootClass;
            Warnings_.push_back("Class " + ClassName + " not found; the form is read as a " +
                                C->ClassName() + " (" + LineOrOffset(At) + ")");
        }
        if (!C) Error("Class " + ClassName + " not found", At);
        if (Options_.AllowClass && !Options_.AllowClass(*C))
            Error("Class " + C->ClassName() + " may not be created here", At);
        if (!C->InheritsFrom(TComponent::StaticClass()))
            Error(C->ClassName() + " is not a component class", At);
        if (C->IsAbstract())
            Error("Cannot create an instance of abstract class " + C->ClassName(), At);
        try {
            Root = static_cast<TComponent*>(C->CreateInstance(nullptr));
        } catch (const EReadError&) {
            throw;
        } catch (const std::exception& E) {
            Error("Cannot create " + ClassName + ": " + E.what(), At);
        }
        CreatedRoot = true;
    }
    SetRoot(Root);
    {
        const TScopeFail Undo([&] {
            Fixups_.clear();
            if (CreatedRoot) {
                delete Root;
            } else {
                // Components that existed before (the root, inherited ones) stay, out of the
                // loading state; the ones created here go again, newest first.
                for (TComponent* C : Loaded_) {
                    C->SetComponentState(csReading, false);
                    C->SetComponentState(csLoading, false);
                }
                for (auto It = Created_.rbegin(); It != Created_.rend(); ++It)
                    delete *It;
            }
            Created_.clear();
            Loaded_.clear();
        });
        Root->SetComponentState(csLoading, true);
        Root->SetComponentState(csReading, true);
        if (Options_.Designing) Root->SetDesigning(true, false);
        if (!Name.empty() && Name != Root->Name()) {
            try {
                Root->SetName(Name);
            } catch (const EComponentError& E) {
                Error(E.what(), At);
            }
        }
        Loaded_.push_back(Root);
        InstancePath_ = Root->Name();
        ReadComponentBody(Root, Root);
        ResolveFixups();
        for (TComponent* C : Loaded_)
            C->SetComponentState(csReading, false);
        // Loaded runs only once everything, references included, is in place.
        std::vector<TComponent*> L = std::move(Loaded_);
        Loaded_.clear();
        for (TComponent* C : L) {
            C->Loaded();
            C->SetComponentState(csLoading, false);
        }
        Created_.clear();
    }
    return Root;
}

void TReader::ReadComponentBody(TComponent* Instance, TComponent* Owner) {
    while (!EndOfList())
        ReadProperty(Instance, Owner);
    ReadListEnd();
    PropPath_.clear();
    PropOffset_ = -1;
    while (!EndOfList())
        ReadComponent(Instance, Owner);
    ReadListEnd();
}

TComponent* TReader::ReadComponent(TComponent* Parent, TComponent* Owner) {
    TReaderDepth D(*this);
    std::int64_t At = Offset();
    std::uint8_t Flags;
    int Pos;
    ReadPrefix(Flags, Pos);
    std::string ClassName = ReadStr();
    std::string Name = ReadStr();
    TSave<std::string> SaveInstance(InstancePath_);
    InstancePath_ = Name.empty() ? ClassName : Name;
    TComponent* Instance = nullptr;
    if (Flags & ffInherited) {
        // Inherited forms: the component already exists, created by the ancestor's stream.
        Instance = Owner->FindComponent(Name);
        if (!Instance) Error("Ancestor for '" + Name + "' not found", At);
    } else {
        const TClass* C = GetClass(ClassName);
        if (!C) Error("Class " + ClassName + " not found", At);
        if (Options_.AllowClass && !Options_.AllowClass(*C))
            Error("Class " + ClassName + " may not be created here", At);
        if (!C->InheritsFrom(TComponent::StaticClass()))
            Error(ClassName + " is not a component class", At);
        if (C->IsAbstract()) Error("Cannot create an instance of abstract class " + ClassName, At);
        try {
            Instance = static_cast<TComponent*>(C->CreateInstance(Owner));
        } catch (const EReadError&) {
            throw;
        } catch (const std::exception& E) {
            Error("Cannot create " + ClassName + ": " + E.what(), At);
        }
        Created_.push_back(Instance);
    }
    Instance->SetComponentState(csLoading, true);
    Instance->SetComponentState(csReading, true);
    if (Flags & ffInline) Instance->SetComponentState(csInline, true);
    if (Options_.Designing) Instance->SetDesigning(true, false);
    Loaded_.push_back(Instance);
    try {
        if (!(Flags & ffInherited) && !Name.empty()) Instance->SetName(Name);
        Instance->SetParentComponent(Parent);
        if (Flags & ffChildPos) Parent->SetChildOrder(Instance, Pos);
    } catch (const EReadError&) {
        throw;
    } catch (const Exception& E) {
        Error(E.what(), At);
    }
    // An inline component (a frame) owns what is nested in it and resolves its names itself.
    ReadComponentBody(Instance, (Flags & ffInline) ? Instance : Owner);
    return Instance;
}

void TReader::ReadProperty(TPersistent* Instance, TComponent* LookupRoot) {
    PropOffset_ = Offset();
    std::string Path = ReadStr();
    PropPath_ = Path;
    if (Path.empty()) Error("Empty property name");
    TPersistent* Obj = Instance;
    std::size_t Start = 0;
    for (;;) {
        std::size_t Dot = Path.find('.', Start);
        std::string Seg =
            Path.substr(Start, Dot == std::string::npos ? std::string::npos : Dot - Start);
        const TPropInfo* P = Obj->ClassType().FindProperty(Seg);
        if (Dot == std::string::npos) {
            if (P) {
                ReadPropValue(Obj, *P, LookupRoot);
                return;
            }
            PropName_ = Seg;
            PropHandled_ = false;
            try {
                Obj->DefineProperties(*this);
            } catch (const EReadError&) {
                throw;
            } catch (const std::exception& E) {
                Error(std::string("Invalid property value: ") + E.what());
            }
            bool Handled = PropHandled_;
            PropName_.clear();
            PropHandled_ = false;
            if (Handled) return;
            UnknownProperty("Property " + Seg + " does not exist in " + Obj->ClassName());
            SkipValue();
            return;
        }
        TObject* Sub = nullptr;
        if (P &&
            (P->Kind == TPropKind::Class || P->Kind == TPropKind::Strings ||
             P->Kind == TPropKind::Collection) &&
            P->GetObj)
            Sub = P->GetObj(*Obj);
        if (!Sub || !Sub->InheritsFrom(TPersistent::StaticClass())) {
            if (P && !Sub && P->GetObj) Error("Property " + Seg + " holds no object");
            UnknownProperty("Property " + Seg + " does not exist in " + Obj->ClassName());
            SkipValue();
            return;
        }
        Obj = static_cast<TPersistent*>(Sub);
        Start = Dot + 1;
    }
}

void TReader::UnknownProperty(const std::string& Message) {
    if (OnError && OnError(*this, Message)) return;
    if (Options_.UnknownProperty == TReadPolicy::Warn) {
        Warnings_.push_back(Message + " (" + LineOrOffset(PropOffset_) + ")");
        return;
    }
    Error(Message);
}

void TReader::TypeError(const TPropInfo& Prop, TValueType Found) {
    static const char* Expected[] = {"an integer",    "a boolean",    "an identifier",
                                     "a set",         "a colour",     "a character",
                                     "a string",      "a float",      "a nested property",
                                     "a list",        "a collection", "a component name",
                                     "a method name", "binary data"};
    std::string Msg = "Invalid property value: " + Prop.Name + " expects " +
                      Expected[static_cast<int>(Prop.Kind)] + ", found ";
    switch (Found) {
    case vaList:
        Msg += "a list";
        break;
    case vaInt8:
    case vaInt16:
    case vaInt32:
    case vaInt64:
        Msg += "an integer";
        break;
    case vaExtended:
    case vaSingle:
    case vaCurrency:
    case vaDate:
        Msg += "a float";
        break;
    case vaString:
    case vaLString:
    case vaWString:
    case vaUTF8String:
        Msg += "a string";
        break;
    case vaIdent:
        Msg += "an identifier";
        break;
    case vaFalse:
    case vaTrue:
        Msg += "a boolean";
        break;
    case vaBinary:
        Msg += "binary data";
        break;
    case vaSet:
        Msg += "a set";
        break;
    case vaNil:
        Msg += "nil";
        break;
    case vaCollection:
        Msg += "a collection";
        break;
    case vaNull:
        Msg += "nothing";
        break;
    }
    Error(Msg);
}

static bool InOrdRange(const TPropInfo& P, std::int64_t V) {
    if (P.OrdSize >= 8) return true;
    int Bits = P.OrdSize * 8;
    if (P.Signed) {
        std::int64_t Lo = -(std::int64_t{1} << (Bits - 1)),
                     Hi = (std::int64_t{1} << (Bits - 1)) - 1;
        return V >= Lo && V <= Hi;
    }
    return V >= 0 && V <= static_cast<std::int64_t>((std::uint64_t{1} << Bits) - 1);
}

void TReader::ReadPropValue(TPersistent* Instance, const TPropInfo& P, TComponent* LookupRoot) {
    TValueType T = NextValue();
    try {
        switch (P.Kind) {
        case TPropKind::Integer: {
            std::int64_t V;
            if (T == vaIdent && P.Idents && P.Idents->IdentToInt) {
                std::string Id = ReadIdent();
                if (!P.Idents->IdentToInt(Id, V))
                    Error("Invalid property value: " + Id + " is not a value of " + P.Name);
            } else {
                if (!IsIntType(T)) TypeError(P, T);
                V = ReadInt64();
            }
            if (!InOrdRange(P, V))
                Error("Invalid property value: " + std::to_string(V) + " is out of range for " +
                      P.Name);
            P.SetOrd(*Instance, V);
            break;
        }
        case TPropKind::Boolean:
            if (T != vaFalse && T != vaTrue) TypeError(P, T);
            P.SetOrd(*Instance, ReadBoolean() ? 1 : 0);
            break;
        case TPropKind::Enumeration: {
            if (T != vaIdent && T != vaFalse && T != vaTrue) TypeError(P, T);
            std::string Id = ReadIdent();
            int V = P.Enum ? P.Enum->ValueOf(Id) : -1;
            if (V < 0) Error("Invalid property value: " + Id + " is not a value of " + P.Name);
            P.SetOrd(*Instance, V);
            break;
        }
        case TPropKind::Set: {
            if (T != vaSet) TypeError(P, T);
            ReadValue();
            std::uint64_t Bits = 0;
            for (const std::string& N : ReadSetNames()) {
                int V = P.Enum ? P.Enum->ValueOf(N) : -1;
                if (V < 0 || V >= 64)
                    Error("Invalid property value: " + N + " is not an element of " + P.Name);
                Bits |= std::uint64_t{1} << V;
            }
            P.SetOrd(*Instance, static_cast<std::int64_t>(Bits));
            break;
        }
        case TPropKind::Color: {
            std::int64_t V;
            if (T == vaIdent) {
                std::string Id = ReadIdent();
                if (!ColorIdentToInt(Id, V))
                    Error("Invalid property value: " + Id + " is not a colour name");
            } else if (IsIntType(T)) {
                V = ReadInt64();
            } else {
                TypeError(P, T);
            }
            if (!InOrdRange(P, V) && !(P.OrdSize == 4 && V >= INT32_MIN && V <= UINT32_MAX))
                Error("Invalid property value: colour " + std::to_string(V) + " out of range");
            P.SetOrd(*Instance, V);
            break;
        }
        case TPropKind::Char:
            if (!IsIntType(T) && !IsStringType(T)) TypeError(P, T);
            P.SetOrd(*Instance, static_cast<std::uint8_t>(ReadChar()));
            break;
        case TPropKind::String:
            if (!IsStringType(T)) TypeError(P, T);
            P.SetStr(*Instance, ReadString());
            break;
        case TPropKind::Float:
            if (!IsFloatType(T)) TypeError(P, T);
            P.SetFloat(*Instance, ReadFloat());
            break;
        case TPropKind::Strings: {
            // Accepted directly as well as through the defined property Lines.Strings.
            TObject* O = P.GetObj ? P.GetObj(*Instance) : nullptr;
            if (T != vaList || !O || !O->InheritsFrom(TStrings::StaticClass())) TypeError(P, T);
            ReadStringList(*static_cast<TStrings*>(O));
            break;
        }
        case TPropKind::Class:
            TypeError(P, T);
        case TPropKind::Collection: {
            TObject* O = P.GetObj ? P.GetObj(*Instance) : nullptr;
            if (T != vaCollection || !O || !O->InheritsFrom(TCollection::StaticClass()))
                TypeError(P, T);
            ReadValue();
            ReadCollectionItems(*static_cast<TCollection*>(O), LookupRoot);
            break;
        }
        case TPropKind::Component: {
            if (T == vaNil) {
                ReadValue();
                P.SetObj(*Instance, nullptr);
                break;
            }
            if (T != vaIdent) TypeError(P, T);
            std::string Name = ReadIdent();
            Fixups_.push_back(TFixup{Instance, &P, std::move(Name), LookupRoot, PropOffset_});
            break;
        }
        case TPropKind::Event: {
            if (T == vaNil) {
                ReadValue();
                if (P.ClearMethod) P.ClearMethod(*Instance);
                break;
            }
            if (T != vaIdent) TypeError(P, T);
            BindEvent(Instance, P, ReadIdent(), LookupRoot);
            break;
        }
        case TPropKind::Binary:
            if (T != vaBinary) TypeError(P, T);
            P.SetBytes(*Instance, ReadBinary());
            break;
        }
    } catch (const EReadError&) {
        throw;
    } catch (const std::exception& E) {
        // A setter refused the value.
        Error(std::string("Invalid property value: ") + E.what());
    }
}

void TReader::ReadStringList(TPersistent& Obj) {
    auto& S = static_cast<TStrings&>(Obj);
    ReadListBegin();
    S.BeginUpdate();
    const TScopeExit Restore([&] { S.EndUpdate(); });
    S.Clear();
    while (!EndOfList())
        S.Add(ReadString());
    ReadListEnd();
}

void TReader::ReadCollection(TCollection& Collection) {
    CheckValue(vaCollection);
    ReadCollectionItems(Collection, LookupRoot());
}

void TReader::ReadCollectionItems(TCollection& Collection, TComponent* LookupRoot) {
    TReaderDepth D(*this);
    TSave<std::string> SavePath(PropPath_);
    TSave<std::string> SaveInstance(InstancePath_);
    TSave<std::int64_t> SaveOffset(PropOffset_);
    std::string CollPath = InstancePath_ + "." + PropPath_;
    Collection.BeginUpdate();
    const TScopeExit Restore([&] { Collection.EndUpdate(); });
    Collection.Clear();
    int Index = 0;
    while (!EndOfList()) {
        if (IsIntType(NextValue())) ReadInt64(); // item order of inherited forms
        ReadListBegin();
        TReaderDepth D2(*this);
        TCollectionItem* Item = Collection.Add();
        InstancePath_ = CollPath + "[" + std::to_string(Index++) + "]";
        while (!EndOfList())
            ReadProperty(Item, LookupRoot);
        ReadListEnd();
    }
    ReadListEnd();
}

void TReader::BindEvent(TPersistent* Instance, const TPropInfo& P, const std::string& Method,
                        TComponent* LookupRoot) {
    TComponent* Holder = LookupRoot ? LookupRoot : Root();
    const TMethodEntry* M = Holder ? Holder->ClassType().FindMethod(Method) : nullptr;
    if (!M && Options_.Designing && P.SetMethodName) {
        // A designed form has no code; the name is what must survive to the next save.
        P.SetMethodName(*Instance, Method);
        return;
    }
    if (!M) {
        std::string Msg = "Method " + Method + " not found in " +
                          (Holder ? Holder->ClassName() : std::string("the form"));
        if (Options_.MissingMethod == TReadPolicy::Warn) {
            Warnings_.push_back(Msg + " for " + InstancePath_ + "." + PropPath_ + " (" +
                                LineOrOffset(PropOffset_) + ")");
            if (P.ClearMethod) P.ClearMethod(*Instance);
            return;
        }
        Error(Msg);
    }
    try {
        P.SetMethod(*Instance, M->Bind(*Holder), Method);
    } catch (const EInvalidCast& E) {
        Error(E.what());
    }
}

TComponent* TReader::FindReference(const std::string& Name, TComponent* LookupRoot) const {
    auto Dot = Name.find('.');
    std::string First = Name.substr(0, Dot);
    TComponent* Base = LookupRoot ? LookupRoot : Root();
    TComponent* C = nullptr;
    for (TComponent* R : {Base, Root()}) {
        if (!R) continue;
        if (SameText(R->Name(), First))
            C = R;
        else
            C = R->FindComponent(First);
        if (C) break;
    }
    if (!C && OnFindGlobalComponent) C = OnFindGlobalComponent(First);
    // Owner-qualified names refer to components of other forms under the same owner.
    if (!C && Root() && Root()->Owner()) C = Root()->Owner()->FindComponent(First);
    while (C && Dot != std::string::npos) {
        auto Next = Name.find('.', Dot + 1);
        C = C->FindComponent(
            Name.substr(Dot + 1, Next == std::string::npos ? Next : Next - Dot - 1));
        Dot = Next;
    }
    return C;
}

void TReader::ResolveFixups() {
    std::vector<TFixup> F = std::move(Fixups_);
    Fixups_.clear();
    for (const TFixup& X : F) {
        TComponent* C = FindReference(X.Name, X.LookupRoot);
        if (!C) {
            std::string Msg =
                "Component " + X.Name + " referenced by " + X.Prop->Name + " not found";
            if (Options_.UnresolvedReference == TReadPolicy::Warn) {
                Warnings_.push_back(Msg + " (" + LineOrOffset(X.Offset) + ")");
                continue;
            }
            PropPath_.clear();
            Error(Msg, X.Offset);
        }
        try {
            X.Prop->SetObj(*X.Instance, C);
        } catch (const std::exception& E) {
            PropPath_.clear();
            Error("Invalid reference " + X.Name + " for " + X.Prop->Name + ": " + E.what(),
                  X.Offset);
        }
    }
}

void TReader::DefineProperty(const std::string& Name, const std::function<void(TReader&)>& ReadData,
                             const std::function<void(TWriter&)>&, bool) {
    if (PropHandled_ || PropName_.empty() || !ReadData || !SameText(Name, PropName_)) return;
    PropHandled_ = true;
    ReadData(*this);
}

void TReader::DefineBinaryProperty(const std::string& Name,
                                   const std::function<void(TStream&)>& ReadData,
                                   const std::function<void(TStream&)>&, bool) {
    if (PropHandled_ || PropName_.empty() || !ReadData || !SameText(Name, PropName_)) return;
    PropHandled_ = true;
    TBytes B = ReadBinary();
    TMemoryStream M;
    if (!B.empty()) M.WriteBuffer(B.data(), static_cast<std::int64_t>(B.size()));
    M.SetPosition(0);
    ReadData(M);
}

} // namespace qel
