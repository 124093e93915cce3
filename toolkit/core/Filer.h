#pragma once
// Readers and writers of the binary form stream. Text form files are converted to and from this
// stream (TextForm.h), so there is one reader and one writer of components. Persistents take
// part through DefineProperties, which hands the filer a named property with a read and a write
// procedure working on the value operations below.
#include "toolkit/core/Component.h"
#include "toolkit/core/Export.h"
#include "toolkit/core/Properties.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

class TStream;
class TReader;
class TWriter;
class TCollection;

// Value types of the binary stream, one byte each.
enum TValueType : std::uint8_t {
    vaNull = 0,
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaExtended = 5,
    vaString = 6,
    vaIdent = 7,
    vaFalse = 8,
    vaTrue = 9,
    vaBinary = 10,
    vaSet = 11,
    vaLString = 12,
    vaNil = 13,
    vaCollection = 14,
    vaSingle = 15,
    vaCurrency = 16,
    vaDate = 17,
    vaWString = 18,
    vaInt64 = 19,
    vaUTF8String = 20,
};
constexpr int kMaxValueType = vaUTF8String;

// Flags of the optional prefix byte ($F0 | flags) in front of a component.
enum TFilerFlag : std::uint8_t { ffInherited = 1, ffChildPos = 2, ffInline = 4 };

// Limits that keep hostile or broken form files from exhausting the stack or memory.
constexpr int kMaxFormNesting = 256;                       // objects, lists, collections
constexpr std::int64_t kMaxFormString = 16 * 1024 * 1024;  // one string value, in bytes
constexpr std::int64_t kMaxFormBinary = 256 * 1024 * 1024; // one { … } value, in bytes

// Where a binary offset came from in a text form, so errors found while reading the binary
// stream can name the text line.
struct TOffsetLine {
    std::int64_t Offset;
    int Line;
};

class TFiler : public TObject {
    QEL_CLASS(TFiler, TObject)
  public:
    explicit TFiler(TStream& Stream) : Stream_(Stream) {}

    TStream& Stream() const { return Stream_; }
    // The component whose owned components names are resolved against (the form).
    TComponent* Root() const { return Root_; }
    void SetRoot(TComponent* R) { Root_ = R; }
    TComponent* LookupRoot() const { return LookupRoot_ ? LookupRoot_ : Root_; }
    void SetLookupRoot(TComponent* R) { LookupRoot_ = R; }

    // A property the persistent streams itself. The reader calls ReadData when the stream
    // holds a property of this name; the writer writes it (calling WriteData) when HasData.
    virtual void DefineProperty(const std::string& Name,
                                const std::function<void(TReader&)>& ReadData,
                                const std::function<void(TWriter&)>& WriteData, bool HasData) = 0;
    // Same for raw bytes, streamed as { … } binary data.
    virtual void DefineBinaryProperty(const std::string& Name,
                                      const std::function<void(TStream&)>& ReadData,
                                      const std::function<void(TStream&)>& WriteData,
                                      bool HasData) = 0;

  private:
    TStream& Stream_;
    TComponent* Root_ = nullptr;
    TComponent* LookupRoot_ = nullptr;
};

// What the reader does with things a form names that this program does not have.
enum class TReadPolicy {
    Error, // throw EReadError with the line (text) or offset (binary)
    Warn,  // skip, add a message to TReader::Warnings()
};

struct TReadOptions {
    TReadPolicy UnknownProperty = TReadPolicy::Error;
    // An event bound to a method name the root class does not publish; Warn leaves the event
    // unassigned (for tools that render forms without their code).
    TReadPolicy MissingMethod = TReadPolicy::Error;
    // A component reference whose name cannot be found after the whole form is read.
    TReadPolicy UnresolvedReference = TReadPolicy::Error;
    // Loaded components start in design mode (csDesigning), as in the designer. Events bound
    // to methods the root does not publish then keep their handler names without code.
    bool Designing = false;
    // Created instead when the form's own root class (TForm1 …) is not registered, so tools
    // can load forms without the application's code. Must be a component class.
    const TClass* FallbackRootClass = nullptr;
    // When set, only classes it accepts may be created (sandboxed loading, fuzzing).
    std::function<bool(const TClass&)> AllowClass;
};

class TReader : public TFiler {
    QEL_CLASS(TReader, TFiler)
  public:
    explicit TReader(TStream& Stream, TReadOptions Options = {});
    ~TReader() override;

    TReadOptions& Options() { return Options_; }
    const std::vector<std::string>& Warnings() const { return Warnings_; }
    // Called for a recoverable error (unknown property); return true to skip the value and go
    // on. Runs before the Options policy.
    std::function<bool(TReader& Reader, const std::string& Message)> OnError;
    // Resolves an Owner-qualified reference ("Form2.Background1") to a component outside the
    // form being read; by default only the root's own owner is searched.
    std::function<TComponent*(std::string_view Name)> OnFindGlobalComponent;
    void SetLineMap(std::vector<TOffsetLine> Map) { LineMap_ = std::move(Map); }

    // Whole components.
    // Reads the stream's root object into Root, or creates it by class name when Root is
    // nullptr (the caller owns the result). Loaded runs once per loaded component at the end.
    TComponent* ReadRootComponent(TComponent* Root);
    void ReadSignature();

    // Value operations for DefineProperties.
    TValueType ReadValue();
    TValueType NextValue();
    void CheckValue(TValueType Expected);
    void SkipValue();
    void ReadListBegin();
    void ReadListEnd();
    bool EndOfList();
    std::int32_t ReadInteger();
    std::int64_t ReadInt64();
    std::string ReadString(); // any string type, as UTF-8
    bool ReadBoolean();
    std::string ReadIdent(); // identifiers and False/True/nil/Null
    double ReadFloat();      // extended, single, date or an integer
    float ReadSingle();
    std::int64_t ReadCurrency(); // scaled by 10000
    double ReadDate();
    char ReadChar();
    TBytes ReadBinary();
    std::vector<std::string> ReadSetNames(); // after the vaSet tag
    std::string ReadStr();                   // length-prefixed short string
    void ReadPrefix(std::uint8_t& Flags, int& ChildPos);
    void ReadCollection(TCollection& Collection);

    // Position in the stream, for messages.
    std::int64_t Offset();
    // Throws EReadError naming the property being read and the line or offset.
    [[noreturn]] void Error(const std::string& Message);
    [[noreturn]] void Error(const std::string& Message, std::int64_t AtOffset);

    void DefineProperty(const std::string& Name, const std::function<void(TReader&)>& ReadData,
                        const std::function<void(TWriter&)>& WriteData, bool HasData) override;
    void DefineBinaryProperty(const std::string& Name,
                              const std::function<void(TStream&)>& ReadData,
                              const std::function<void(TStream&)>& WriteData,
                              bool HasData) override;

    // Raw reads with end-of-stream checks (EReadError with the offset).
    void Read(void* Buf, std::int64_t Count);
    std::uint8_t ReadByte();

  private:
    struct TFixup {
        TObject* Instance;
        const TPropInfo* Prop;
        std::string Name;
        TComponent* LookupRoot;
        std::int64_t Offset;
    };
    friend struct TReaderDepth;
    TComponent* ReadComponent(TComponent* Parent, TComponent* Owner);
    void ReadComponentBody(TComponent* Instance, TComponent* Owner);
    void ReadProperty(TPersistent* Instance, TComponent* LookupRoot);
    void ReadPropValue(TPersistent* Instance, const TPropInfo& Prop, TComponent* LookupRoot);
    void ReadCollectionItems(TCollection& Collection, TComponent* LookupRoot);
    void ReadStringList(TPersistent& Strings);
    void UnknownProperty(const std::string& Message);
    void BindEvent(TPersistent* Instance, const TPropInfo& Prop, const std::string& Method,
                   TComponent* LookupRoot);
    void ResolveFixups();
    TComponent* FindReference(const std::string& Name, TComponent* LookupRoot) const;
    void SkipSetBody();
    std::string LineOrOffset(std::int64_t At) const;
    std::int64_t ReadLength(std::int64_t Limit, const char* What);
    std::int64_t IntegerValue(TValueType T);
    std::string ReadLongBytes(std::int64_t Limit, const char* What);
    [[noreturn]] void TypeError(const TPropInfo& Prop, TValueType Found);

    TReadOptions Options_;
    std::vector<std::string> Warnings_;
    std::vector<TOffsetLine> LineMap_;
    std::vector<TFixup> Fixups_;
    std::vector<TComponent*> Loaded_;  // in reading order
    std::vector<TComponent*> Created_; // freed again when reading fails
    std::string PropName_;             // last segment of the property being read
    std::string PropPath_;             // the whole dotted name, for messages
    std::string InstancePath_;         // name path of the component being read
    std::int64_t PropOffset_ = -1;
    bool PropHandled_ = false;
    int Depth_ = 0;
    std::int64_t StreamSize_ = -1;
};

class TWriter : public TFiler {
    QEL_CLASS(TWriter, TFiler)
  public:
    explicit TWriter(TStream& Stream) : TFiler(Stream) {}

    // Signature, the root's data and its children.
    void WriteRootComponent(TComponent* Root);
    void WriteComponent(TComponent* Component);
    // Published properties (those differing from their defaults) and defined properties.
    void WriteProperties(const TPersistent* Instance);
    void WriteCollection(const TCollection* Collection);
    void WriteSignature();

    void WriteValue(TValueType Value);
    void WriteListBegin();
    void WriteListEnd();
    void WriteInteger(std::int64_t Value); // in the smallest type that holds it
    void WriteString(std::string_view Value);
    void WriteBoolean(bool Value);
    void WriteIdent(std::string_view Ident);
    void WriteFloat(double Value);
    void WriteSingle(float Value);
    void WriteCurrency(std::int64_t Scaled);
    void WriteDate(double Value);
    void WriteChar(char Value);
    void WriteBinary(const void* Data, std::int64_t Count);
    void WriteSet(std::uint64_t Bits, const TEnumInfo& Info);
    void WriteStr(std::string_view Value); // length-prefixed short string
    void WritePropName(std::string_view Name);
    void WritePrefix(std::uint8_t Flags, int ChildPos);
    void Write(const void* Buf, std::int64_t Count);

    void DefineProperty(const std::string& Name, const std::function<void(TReader&)>& ReadData,
                        const std::function<void(TWriter&)>& WriteData, bool HasData) override;
    void DefineBinaryProperty(const std::string& Name,
                              const std::function<void(TStream&)>& ReadData,
                              const std::function<void(TStream&)>& WriteData,
                              bool HasData) override;

  private:
    void WriteComponentData(TComponent* Instance);
    void WriteProperty(const TPersistent* Instance, const TPropInfo& Prop);
    void WritePropertiesPrefixed(const TPersistent* Instance, const std::string& Prefix, int Depth);
    std::string ReferenceName(const TComponent* C) const;

    std::string PropPath_; // prefix of dotted sub-object paths
    int Depth_ = 0;
};

} // namespace qel

QEL_PUBLIC_END
