// TReader: the value operations of the binary form stream. Every read checks the stream's end
// and the size limits before allocating, so truncated or hostile data fails with a message.
#include "toolkit/core/Exceptions.h"
#include "toolkit/core/Filer.h"
#include "toolkit/core/FloatBits.h"
#include "toolkit/core/Streams.h"
#include "toolkit/core/Utf8.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace qel {

QEL_IMPLEMENT_ABSTRACT(TFiler, TObject, NoProperties<TFiler>)
QEL_IMPLEMENT_ABSTRACT(TReader, TFiler, NoProperties<TReader>)

TReader::TReader(TStream& Stream, TReadOptions Options)
    : TFiler(Stream), Options_(Options), StreamSize_(Stream.Size()) {}

TReader::~TReader() = default;

std::int64_t TReader::Offset() {
    return Stream().Position();
}

std::string TReader::LineOrOffset(std::int64_t At) const {
    if (!LineMap_.empty()) {
        auto It =
            std::upper_bound(LineMap_.begin(), LineMap_.end(), At,
                             [](std::int64_t A, const TOffsetLine& L) { return A < L.Offset; });
        if (It != LineMap_.begin()) return "line " + std::to_string(std::prev(It)->Line);
        return "line " + std::to_string(LineMap_.front().Line);
    }
    return "offset " + std::to_string(At);
}

void TReader::Error(const std::string& Message) {
    Error(Message, PropOffset_ >= 0 ? PropOffset_ : Offset());
}

void TReader::Error(const std::string& Message, std::int64_t AtOffset) {
    std::string Where;
    if (!PropPath_.empty())
        Where = "Error reading " + (InstancePath_.empty() ? std::string() : InstancePath_ + ".") +
                PropPath_ + ": ";
    throw EReadError(Where + Message + " (" + LineOrOffset(AtOffset) + ")");
}

void TReader::Read(void* Buf, std::int64_t Count) {
    std::int64_t At = Offset();
    if (Count < 0 || Stream().Read(Buf, Count) != Count) Error("Unexpected end of form data", At);
}

std::uint8_t TReader::ReadByte() {
    std::uint8_t B;
    Read(&B, 1);
    return B;
}

void TReader::ReadSignature() {
    char Sig[4];
    std::int64_t At = Offset();
    if (Stream().Read(Sig, 4) != 4 || Sig[0] != 'T' || Sig[1] != 'P' || Sig[2] != 'F' ||
        Sig[3] != '0')
        Error("Invalid stream format: no TPF0 signature", At);
}

TValueType TReader::ReadValue() {
    std::int64_t At = Offset();
    std::uint8_t B = ReadByte();
    if (B > kMaxValueType) Error("Invalid value type " + std::to_string(B), At);
    return static_cast<TValueType>(B);
}

TValueType TReader::NextValue() {
    TValueType T = ReadValue();
    Stream().Seek(-1, soCurrent);
    return T;
}

static const char* ValueTypeName(TValueType T) {
    switch (T) {
    case vaNull:
        return "end of list";
    case vaList:
        return "a list";
    case vaInt8:
    case vaInt16:
    case vaInt32:
    case vaInt64:
        return "an integer";
    case vaExtended:
    case vaSingle:
    case vaCurrency:
    case vaDate:
        return "a float";
    case vaString:
    case vaLString:
    case vaWString:
    case vaUTF8String:
        return "a string";
    case vaIdent:
        return "an identifier";
    case vaFalse:
    case vaTrue:
        return "a boolean";
    case vaBinary:
        return "binary data";
    case vaSet:
        return "a set";
    case vaNil:
        return "nil";
    case vaCollection:
        return "a collection";
    }
    return "an unknown value";
}

void TReader::CheckValue(TValueType Expected) {
    std::int64_t At = Offset();
    TValueType T = ReadValue();
    if (T != Expected)
        Error(std::string("Expected ") + ValueTypeName(Expected) + ", found " + ValueTypeName(T),
              At);
}

void TReader::ReadListBegin() {
    CheckValue(vaList);
}
void TReader::ReadListEnd() {
    CheckValue(vaNull);
}
bool TReader::EndOfList() {
    // A raw peek: what follows a list may be a component prefix byte ($F0 | flags), which is
    // not a value type.
    std::uint8_t B = ReadByte();
    Stream().Seek(-1, soCurrent);
    return B == vaNull;
}

std::int64_t TReader::IntegerValue(TValueType T) {
    std::uint8_t B[8] = {};
    switch (T) {
    case vaInt8:
        Read(B, 1);
        return static_cast<std::int8_t>(B[0]);
    case vaInt16:
        Read(B, 2);
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(B[0] | (B[1] << 8)));
    case vaInt32: {
        Read(B, 4);
        std::uint32_t V =
            static_cast<std::uint32_t>(B[0]) | (static_cast<std::uint32_t>(B[1]) << 8) |
            (static_cast<std::uint32_t>(B[2]) << 16) | (static_cast<std::uint32_t>(B[3]) << 24);
        return static_cast<std::int32_t>(V);
    }
    case vaInt64: {
        Read(B, 8);
        std::uint64_t V = 0;
        for (int I = 0; I < 8; ++I)
            V |= static_cast<std::uint64_t>(B[I]) << (8 * I);
        return static_cast<std::int64_t>(V);
    }
    default:
        Error(std::string("Expected an integer, found ") + ValueTypeName(T));
    }
}

std::int32_t TReader::ReadInteger() {
    std::int64_t At = Offset();
    std::int64_t V = ReadInt64();
    if (V < INT32_MIN || V > INT32_MAX) Error("Integer " + std::to_string(V) + " out of range", At);
    return static_cast<std::int32_t>(V);
}

std::int64_t TReader::ReadInt64() {
    return IntegerValue(ReadValue());
}

std::int64_t TReader::ReadLength(std::int64_t Limit, const char* What) {
    std::int64_t At = Offset();
    std::int64_t N = IntegerValue(vaInt32);
    if (N < 0) Error(std::string("Negative length of ") + What, At);
    if (N > Limit)
        Error(std::string(What) + " of " + std::to_string(N) + " bytes exceeds the limit of " +
                  std::to_string(Limit) + " bytes",
              At);
    // Checked before allocating, so a forged length cannot make us reserve gigabytes.
    if (StreamSize_ >= 0 && N > StreamSize_ - Offset()) Error("Unexpected end of form data", At);
    return N;
}

std::string TReader::ReadLongBytes(std::int64_t Limit, const char* What) {
    std::int64_t N = ReadLength(Limit, What);
    std::string S(static_cast<std::size_t>(N), '\0');
    Read(S.data(), N);
    return S;
}

std::string TReader::ReadStr() {
    std::uint8_t N = ReadByte();
    std::string S(N, '\0');
    Read(S.data(), N);
    return S;
}

std::string TReader::ReadString() {
    std::int64_t At = Offset();
    TValueType T = ReadValue();
    switch (T) {
    case vaString:
        return ByteStringToUtf8(ReadStr());
    case vaLString:
        return ByteStringToUtf8(ReadLongBytes(kMaxFormString, "String"));
    case vaUTF8String: {
        std::string S = ReadLongBytes(kMaxFormString, "String");
        if (!IsValidUtf8(S)) Error("Invalid UTF-8 in string", At);
        return S;
    }
    case vaWString: {
        std::int64_t LenAt = Offset();
        std::int64_t N = IntegerValue(vaInt32);
        if (N < 0 || N > kMaxFormString / 2)
            Error("String of " + std::to_string(N) + " characters exceeds the limit", LenAt);
        if (StreamSize_ >= 0 && N * 2 > StreamSize_ - Offset())
            Error("Unexpected end of form data", LenAt);
        std::string Raw(static_cast<std::size_t>(N * 2), '\0');
        Read(Raw.data(), N * 2);
        std::string S;
        S.reserve(Raw.size());
        for (std::size_t I = 0; I < Raw.size(); I += 2) {
            std::uint32_t U =
                static_cast<std::uint8_t>(Raw[I]) |
                (static_cast<std::uint32_t>(static_cast<std::uint8_t>(Raw[I + 1])) << 8);
            if (U >= 0xD800 && U <= 0xDBFF && I + 3 < Raw.size()) {
                std::uint32_t L =
                    static_cast<std::uint8_t>(Raw[I + 2]) |
                    (static_cast<std::uint32_t>(static_cast<std::uint8_t>(Raw[I + 3])) << 8);
                if (L >= 0xDC00 && L <= 0xDFFF) {
                    AppendUtf8(S, 0x10000 + ((U - 0xD800) << 10) + (L - 0xDC00));
                    I += 2;
                    continue;
                }
            }
            if (U >= 0xD800 && U <= 0xDFFF) Error("Invalid UTF-16 in string", At);
            AppendUtf8(S, U);
        }
        return S;
    }
    default:
        Error(std::string("Expected a string, found ") + ValueTypeName(T), At);
    }
}

bool TReader::ReadBoolean() {
    std::int64_t At = Offset();
    TValueType T = ReadValue();
    if (T == vaTrue) return true;
    if (T == vaFalse) return false;
    Error(std::string("Expected a boolean, found ") + ValueTypeName(T), At);
}

std::string TReader::ReadIdent() {
    std::int64_t At = Offset();
    TValueType T = ReadValue();
    switch (T) {
    case vaIdent:
        return ReadStr();
    case vaFalse:
        return "False";
    case vaTrue:
        return "True";
    case vaNil:
        return "nil";
    case vaNull:
        return "Null";
    default:
        Error(std::string("Expected an identifier, found ") + ValueTypeName(T), At);
    }
}

double TReader::ReadFloat() {
    std::int64_t At = Offset();
    TValueType T = ReadValue();
    std::uint8_t B[10];
    switch (T) {
    case vaExtended:
        Read(B, 10);
        return ExtendedToDouble(B);
    case vaSingle: {
        Read(B, 4);
        float F;
        static_assert(sizeof F == 4);
        std::memcpy(&F, B, 4);
        return F;
    }
    case vaDate: {
        Read(B, 8);
        double D;
        std::memcpy(&D, B, 8);
        return D;
    }
    case vaCurrency: {
        Stream().Seek(-1, soCurrent);
        return static_cast<double>(ReadCurrency()) / 10000.0;
    }
    case vaInt8:
    case vaInt16:
    case vaInt32:
    case vaInt64:
        return static_cast<double>(IntegerValue(T));
    default:
        Error(std::string("Expected a float, found ") + ValueTypeName(T), At);
    }
}

float TReader::ReadSingle() {
    return static_cast<float>(ReadFloat());
}

std::int64_t TReader::ReadCurrency() {
    std::int64_t At = Offset();
    TValueType T = ReadValue();
    if (T == vaCurrency) return IntegerValue(vaInt64);
    Stream().Seek(-1, soCurrent);
    double D = ReadFloat();
    if (!(std::fabs(D) < 9.2e14)) Error("Currency value out of range", At);
    return static_cast<std::int64_t>(std::llround(D * 10000.0));
}

double TReader::ReadDate() {
    return ReadFloat();
}

char TReader::ReadChar() {
    std::int64_t At = Offset();
    TValueType T = NextValue();
    if (T == vaInt8 || T == vaInt16 || T == vaInt32 || T == vaInt64) {
        std::int64_t V = ReadInt64();
        if (V < 0 || V > 255) Error("Character code out of range", At);
        return static_cast<char>(V);
    }
    std::string S = ReadString();
    if (S.size() != 1) Error("Expected a single character", At);
    return S[0];
}

TBytes TReader::ReadBinary() {
    CheckValue(vaBinary);
    std::int64_t N = ReadLength(kMaxFormBinary, "Binary data");
    TBytes B(static_cast<std::size_t>(N));
    if (N) Read(B.data(), N);
    return B;
}

std::vector<std::string> TReader::ReadSetNames() {
    std::vector<std::string> Names;
    for (;;) {
        std::string S = ReadStr();
        if (S.empty()) break;
        Names.push_back(std::move(S));
    }
    return Names;
}

void TReader::SkipSetBody() {
    while (!ReadStr().empty()) {
    }
}

void TReader::ReadPrefix(std::uint8_t& Flags, int& ChildPos) {
    Flags = 0;
    ChildPos = 0;
    std::uint8_t B;
    std::int64_t At = Offset();
    if (Stream().Read(&B, 1) != 1) Error("Unexpected end of form data", At);
    if ((B & 0xF0) == 0xF0) {
        Flags = B & 0x0F;
        if (Flags & ffChildPos) {
            std::int64_t V = ReadInt64();
            if (V < INT32_MIN || V > INT32_MAX) Error("Child position out of range", At);
            ChildPos = static_cast<int>(V);
        }
    } else {
        Stream().Seek(-1, soCurrent);
    }
}

// Counts nesting of objects, lists and collections so deep input fails instead of
// exhausting the stack.
struct TReaderDepth {
    TReader& R;
    explicit TReaderDepth(TReader& Reader);
    ~TReaderDepth();
};
TReaderDepth::TReaderDepth(TReader& Reader) : R(Reader) {
    if (++R.Depth_ > kMaxFormNesting) {
        --R.Depth_;
        R.Error("Form data nested deeper than " + std::to_string(kMaxFormNesting) + " levels",
                R.Offset());
    }
}
TReaderDepth::~TReaderDepth() {
    --R.Depth_;
}

void TReader::SkipValue() {
    std::int64_t At = Offset();
    TValueType T = ReadValue();
    switch (T) {
    case vaNull:
        Error("Unexpected end of list", At);
    case vaList: {
        TReaderDepth D(*this);
        while (!EndOfList())
            SkipValue();
        ReadListEnd();
        break;
    }
    case vaInt8:
    case vaInt16:
    case vaInt32:
    case vaInt64:
        IntegerValue(T);
        break;
    case vaExtended:
        Stream().Seek(10, soCurrent);
        break;
    case vaSingle:
        Stream().Seek(4, soCurrent);
        break;
    case vaCurrency:
    case vaDate:
        Stream().Seek(8, soCurrent);
        break;
    case vaString:
    case vaIdent:
        ReadStr();
        break;
    case vaFalse:
    case vaTrue:
    case vaNil:
        break;
    case vaBinary:
        Stream().Seek(ReadLength(kMaxFormBinary, "Binary data"), soCurrent);
        break;
    case vaLString:
    case vaUTF8String:
        Stream().Seek(ReadLength(kMaxFormString, "String"), soCurrent);
        break;
    case vaWString: {
        std::int64_t N = IntegerValue(vaInt32);
        if (N < 0 || N * 2 > StreamSize_ - Offset()) Error("Unexpected end of form data", At);
        Stream().Seek(N * 2, soCurrent);
        break;
    }
    case vaSet:
        SkipSetBody();
        break;
    case vaCollection: {
        TReaderDepth D(*this);
        while (!EndOfList()) {
            TValueType N = NextValue();
            if (N == vaInt8 || N == vaInt16 || N == vaInt32 || N == vaInt64) ReadInt64();
            ReadListBegin();
            TReaderDepth D2(*this);
            while (!EndOfList()) {
                ReadStr();
                SkipValue();
            }
            ReadListEnd();
        }
        ReadListEnd();
        break;
    }
    }
    if (StreamSize_ >= 0 && Offset() > StreamSize_) Error("Unexpected end of form data", At);
}

} // namespace qel
