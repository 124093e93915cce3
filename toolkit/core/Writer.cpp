// TWriter: components and their published properties into the binary form stream.
#include "toolkit/core/Collection.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/core/Filer.h"
#include "toolkit/core/FloatBits.h"
#include "toolkit/core/IdentMap.h"
#include "toolkit/core/ScopeGuard.h"
#include "toolkit/core/Streams.h"
#include "toolkit/core/Utf8.h"

#include <cstring>

namespace qel {

QEL_IMPLEMENT_ABSTRACT(TWriter, TFiler, NoProperties<TWriter>)

namespace {
struct TWriterDepth {
    int& D;
    explicit TWriterDepth(int& Depth) : D(Depth) {
        if (++D > kMaxFormNesting) {
            --D;
            throw EWriteError("Cannot write components or sub-objects nested deeper than " +
                              std::to_string(kMaxFormNesting) + " levels (a cycle?)");
        }
    }
    ~TWriterDepth() { --D; }
};
} // namespace

void TWriter::Write(const void* Buf, std::int64_t Count) {
    Stream().WriteBuffer(Buf, Count);
}

void TWriter::WriteValue(TValueType Value) {
    auto B = static_cast<std::uint8_t>(Value);
    Write(&B, 1);
}

void TWriter::WriteSignature() {
    Write("TPF0", 4);
}

void TWriter::WriteListBegin() {
    WriteValue(vaList);
}
void TWriter::WriteListEnd() {
    WriteValue(vaNull);
}

void TWriter::WriteInteger(std::int64_t V) {
    std::uint8_t B[9];
    int N;
    if (V >= INT8_MIN && V <= INT8_MAX) {
        B[0] = vaInt8;
        N = 1;
    } else if (V >= INT16_MIN && V <= INT16_MAX) {
        B[0] = vaInt16;
        N = 2;
    } else if (V >= INT32_MIN && V <= INT32_MAX) {
        B[0] = vaInt32;
        N = 4;
    } else {
        B[0] = vaInt64;
        N = 8;
    }
    auto U = static_cast<std::uint64_t>(V);
    for (int I = 0; I < N; ++I)
        B[1 + I] = static_cast<std::uint8_t>(U >> (8 * I));
    Write(B, 1 + N);
}

static void PutInt32(TWriter& W, std::int64_t V) {
    auto U = static_cast<std::uint32_t>(V);
    std::uint8_t B[4] = {static_cast<std::uint8_t>(U), static_cast<std::uint8_t>(U >> 8),
                         static_cast<std::uint8_t>(U >> 16), static_cast<std::uint8_t>(U >> 24)};
    W.Write(B, 4);
}

void TWriter::WriteString(std::string_view S) {
    if (static_cast<std::int64_t>(S.size()) > kMaxFormString)
        throw EWriteError("String of " + std::to_string(S.size()) + " bytes exceeds the limit of " +
                          std::to_string(kMaxFormString) + " bytes");
    bool Ascii = true;
    for (char C : S)
        if (static_cast<unsigned char>(C) >= 0x80) {
            Ascii = false;
            break;
        }
    // Plain ASCII keeps the classic short and long string types; anything else is UTF-8 (or,
    // when it is not valid UTF-8, a byte string the reader takes as Latin-1).
    if (Ascii && S.size() <= 255) {
        WriteValue(vaString);
        WriteStr(S);
        return;
    }
    WriteValue(Ascii || !IsValidUtf8(S) ? vaLString : vaUTF8String);
    PutInt32(*this, static_cast<std::int64_t>(S.size()));
    Write(S.data(), static_cast<std::int64_t>(S.size()));
}

void TWriter::WriteBoolean(bool V) {
    WriteValue(V ? vaTrue : vaFalse);
}

void TWriter::WriteIdent(std::string_view Ident) {
    if (Ident == "False" || Ident == "false")
        WriteValue(vaFalse);
    else if (Ident == "True" || Ident == "true")
        WriteValue(vaTrue);
    else if (Ident == "nil")
        WriteValue(vaNil);
    else {
        WriteValue(vaIdent);
        WriteStr(Ident);
    }
}

void TWriter::WriteFloat(double V) {
    std::uint8_t B[11];
    B[0] = vaExtended;
    DoubleToExtended(V, B + 1);
    Write(B, 11);
}

void TWriter::WriteSingle(float V) {
    std::uint8_t B[5];
    B[0] = vaSingle;
    std::memcpy(B + 1, &V, 4);
    Write(B, 5);
}

void TWriter::WriteCurrency(std::int64_t Scaled) {
    std::uint8_t B[9];
    B[0] = vaCurrency;
    auto U = static_cast<std::uint64_t>(Scaled);
    for (int I = 0; I < 8; ++I)
        B[1 + I] = static_cast<std::uint8_t>(U >> (8 * I));
    Write(B, 9);
}

void TWriter::WriteDate(double V) {
    std::uint8_t B[9];
    B[0] = vaDate;
    std::memcpy(B + 1, &V, 8);
    Write(B, 9);
}

void TWriter::WriteChar(char C) {
    // A byte above 127 is no character of its own in UTF-8; its code keeps it exact.
    if (static_cast<unsigned char>(C) >= 0x80)
        WriteInteger(static_cast<unsigned char>(C));
    else
        WriteString(std::string_view(&C, 1));
}

void TWriter::WriteBinary(const void* Data, std::int64_t Count) {
    if (Count > kMaxFormBinary)
        throw EWriteError("Binary data of " + std::to_string(Count) +
                          " bytes exceeds the limit of " + std::to_string(kMaxFormBinary) +
                          " bytes");
    WriteValue(vaBinary);
    PutInt32(*this, Count);
    if (Count) Write(Data, Count);
}

void TWriter::WriteSet(std::uint64_t Bits, const TEnumInfo& Info) {
    WriteValue(vaSet);
    for (std::size_t I = 0; I < 64; ++I) {
        if (!(Bits & (std::uint64_t{1} << I))) continue;
        if (I >= Info.Names.size())
            throw EWriteError("Set element " + std::to_string(I) + " has no name in " + Info.Name);
        WriteStr(Info.Names[I]);
    }
    WriteStr("");
}

void TWriter::WriteStr(std::string_view S) {
    if (S.size() > 255)
        throw EWriteError("Name too long for the form stream: " + std::string(S.substr(0, 64)) +
                          "...");
    auto N = static_cast<std::uint8_t>(S.size());
    Write(&N, 1);
    Write(S.data(), N);
}

void TWriter::WritePropName(std::string_view Name) {
    WriteStr(Name);
}

void TWriter::WritePrefix(std::uint8_t Flags, int ChildPos) {
    if (!Flags) return;
    auto B = static_cast<std::uint8_t>(0xF0 | Flags);
    Write(&B, 1);
    if (Flags & ffChildPos) WriteInteger(ChildPos);
}

void TWriter::WriteRootComponent(TComponent* Root) {
    SetRoot(Root);
    SetLookupRoot(Root);
    WriteSignature();
    WriteComponent(Root);
}

void TWriter::WriteComponent(TComponent* Component) {
    TWriterDepth D(Depth_);
    bool Was = Component->ComponentState().Contains(csWriting);
    Component->SetComponentState(csWriting, true);
    const TScopeExit Restore([&] { Component->SetComponentState(csWriting, Was); });
    WriteComponentData(Component);
}

void TWriter::WriteComponentData(TComponent* Instance) {
    std::uint8_t Flags = Instance->ComponentState().Contains(csInline) && Instance != Root()
                             ? std::uint8_t(ffInline)
                             : std::uint8_t(0);
    WritePrefix(Flags, 0);
    WriteStr(Instance->ClassName());
    WriteStr(Instance->Name());
    WriteProperties(Instance);
    WriteListEnd();
    // An inline component (a frame) is the root of what it owns.
    TComponent* OldRoot = Root();
    TComponent* OldLookup = LookupRoot();
    if (Flags & ffInline) {
        SetRoot(Instance);
        SetLookupRoot(Instance);
    }
    {
        const TScopeExit Restore([&] {
            SetRoot(OldRoot);
            SetLookupRoot(OldLookup);
        });
        Instance->GetChildren([this](TComponent* Child) { WriteComponent(Child); }, Root());
    }
    WriteListEnd();
}

void TWriter::WriteProperties(const TPersistent* Instance) {
    std::string Saved = PropPath_;
    PropPath_.clear();
    const TScopeExit Restore([&] { PropPath_ = Saved; });
    WritePropertiesPrefixed(Instance, "", Depth_);
}

void TWriter::WritePropertiesPrefixed(const TPersistent* Instance, const std::string& Prefix, int) {
    TWriterDepth D(Depth_);
    for (const TPropInfo* P : Instance->ClassType().Properties()) {
        if (!P->IsStored(*Instance)) continue;
        switch (P->Kind) {
        case TPropKind::Class:
        case TPropKind::Strings: {
            TObject* O = P->GetObj ? P->GetObj(*Instance) : nullptr;
            if (O && O->InheritsFrom(TPersistent::StaticClass()))
                WritePropertiesPrefixed(static_cast<const TPersistent*>(O), Prefix + P->Name + ".",
                                        0);
            break;
        }
        case TPropKind::Collection: {
            TObject* O = P->GetObj ? P->GetObj(*Instance) : nullptr;
            if (!O || !O->InheritsFrom(TCollection::StaticClass())) break;
            WritePropName(Prefix + P->Name);
            WriteCollection(static_cast<const TCollection*>(O));
            break;
        }
        default:
            if (P->IsDefaultValue(*Instance)) break;
            if (P->Kind == TPropKind::Component) {
                std::string Ref = ReferenceName(static_cast<TComponent*>(P->GetObj(*Instance)));
                if (Ref.empty()) break; // unnamed components cannot be referred to
                WritePropName(Prefix + P->Name);
                WriteIdent(Ref);
                break;
            }
            WritePropName(Prefix + P->Name);
            WriteProperty(Instance, *P);
        }
    }
    PropPath_ = Prefix;
    const_cast<TPersistent*>(Instance)->DefineProperties(*this);
}

void TWriter::WriteProperty(const TPersistent* Instance, const TPropInfo& P) {
    switch (P.Kind) {
    case TPropKind::Integer: {
        std::int64_t V = P.GetOrd(*Instance);
        std::string Id;
        if (P.Idents && P.Idents->IntToIdent && P.Idents->IntToIdent(V, Id))
            WriteIdent(Id);
        else
            WriteInteger(V);
        break;
    }
    case TPropKind::Boolean:
        WriteBoolean(P.GetOrd(*Instance) != 0);
        break;
    case TPropKind::Char:
        WriteChar(static_cast<char>(P.GetOrd(*Instance)));
        break;
    case TPropKind::Enumeration: {
        std::int64_t V = P.GetOrd(*Instance);
        if (!P.Enum || V < 0 || V >= static_cast<std::int64_t>(P.Enum->Names.size()))
            throw EWriteError("Value " + std::to_string(V) + " of " + P.Name + " has no name");
        WriteIdent(P.Enum->Names[static_cast<std::size_t>(V)]);
        break;
    }
    case TPropKind::Set:
        WriteSet(static_cast<std::uint64_t>(P.GetOrd(*Instance)), *P.Enum);
        break;
    case TPropKind::Color: {
        std::int64_t V = P.GetOrd(*Instance);
        std::string Id;
        if (ColorIntToIdent(V, Id))
            WriteIdent(Id);
        else
            WriteInteger(V);
        break;
    }
    case TPropKind::String:
        WriteString(P.GetStr(*Instance));
        break;
    case TPropKind::Float:
        WriteFloat(P.GetFloat(*Instance));
        break;
    case TPropKind::Event:
        WriteIdent(P.GetMethodName(*Instance));
        break;
    case TPropKind::Binary: {
        TBytes B = P.GetBytes(*Instance);
        WriteBinary(B.data(), static_cast<std::int64_t>(B.size()));
        break;
    }
    default:
        throw EWriteError("Cannot write property " + P.Name);
    }
}

void TWriter::WriteCollection(const TCollection* Collection) {
    WriteValue(vaCollection);
    for (int I = 0; I < Collection->Count(); ++I) {
        WriteListBegin();
        WritePropertiesPrefixed(Collection->Items(I), "", 0);
        WriteListEnd();
    }
    WriteListEnd();
}

std::string TWriter::ReferenceName(const TComponent* C) const {
    if (!C || C->Name().empty()) return {};
    TComponent* R = LookupRoot();
    if (C == R || C->Owner() == R || !C->Owner()) return C->Name();
    // Outside the form being written: qualify with the owner, as in Form2.Background1.
    if (C->Owner()->Name().empty()) return {};
    return C->Owner()->Name() + "." + C->Name();
}

void TWriter::DefineProperty(const std::string& Name, const std::function<void(TReader&)>&,
                             const std::function<void(TWriter&)>& WriteData, bool HasData) {
    if (!HasData || !WriteData) return;
    WritePropName(PropPath_ + Name);
    std::string Saved = PropPath_;
    WriteData(*this);
    PropPath_ = Saved;
}

void TWriter::DefineBinaryProperty(const std::string& Name, const std::function<void(TStream&)>&,
                                   const std::function<void(TStream&)>& WriteData, bool HasData) {
    if (!HasData || !WriteData) return;
    TMemoryStream M;
    WriteData(M);
    WritePropName(PropPath_ + Name);
    WriteBinary(M.Memory(), M.Size());
}

} // namespace qel
