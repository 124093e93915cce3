// Text form → binary form stream.
#include "toolkit/core/Exceptions.h"
#include "toolkit/core/Parser.h"
#include "toolkit/core/Streams.h"
#include "toolkit/core/TextForm.h"

#include <cmath>

namespace qel {

namespace {

class TTextConverter {
  public:
    TTextConverter(TParser& P, TStream& Out, std::vector<TOffsetLine>* Lines)
        : P_(P), W_(Out), Out_(Out), Lines_(Lines) {}

    void Run() {
        W_.WriteSignature();
        ConvertObject();
        if (P_.Token() != toEOF) P_.Error("End of file expected after the last 'end'");
    }

  private:
    struct TDepth {
        TTextConverter& C;
        explicit TDepth(TTextConverter& X) : C(X) {
            if (++C.Depth_ > kMaxFormNesting) {
                --C.Depth_;
                C.P_.Error("Form nested deeper than " + std::to_string(kMaxFormNesting) +
                           " levels");
            }
        }
        ~TDepth() { --C.Depth_; }
    };

    void Mark() {
        if (Lines_) Lines_->push_back({Out_.Position(), P_.SourceLine()});
    }

    bool AtObject() const {
        return P_.TokenSymbolIs("object") || P_.TokenSymbolIs("inherited") ||
               P_.TokenSymbolIs("inline");
    }

    void ConvertObject() {
        TDepth D(*this);
        if (!AtObject()) P_.Error("'object' expected");
        Mark();
        std::uint8_t Flags = 0;
        if (P_.TokenSymbolIs("inherited"))
            Flags |= ffInherited;
        else if (P_.TokenSymbolIs("inline"))
            Flags |= ffInline;
        P_.NextToken();
        P_.CheckToken(toSymbol);
        std::string Name, ClassName = P_.TokenString();
        P_.NextToken();
        if (P_.Token() == ':') {
            P_.NextToken();
            P_.CheckToken(toSymbol);
            Name = ClassName;
            ClassName = P_.TokenString();
            P_.NextToken();
        }
        int Pos = 0;
        if (P_.Token() == '[') {
            P_.NextToken();
            P_.CheckToken(toInteger);
            if (P_.TokenInt() < INT32_MIN || P_.TokenInt() > INT32_MAX)
                P_.Error("Child position out of range");
            Pos = static_cast<int>(P_.TokenInt());
            Flags |= ffChildPos;
            P_.NextToken();
            P_.CheckToken(static_cast<TToken>(']'));
            P_.NextToken();
        }
        W_.WritePrefix(Flags, Pos);
        W_.WriteStr(ClassName);
        W_.WriteStr(Name);
        while (!P_.TokenSymbolIs("end") && !AtObject()) {
            if (P_.Token() == toEOF) P_.Error("'end' expected");
            ConvertProperty();
        }
        W_.WriteListEnd();
        while (AtObject())
            ConvertObject();
        W_.WriteListEnd();
        P_.CheckTokenSymbol("end");
        P_.NextToken();
    }

    void ConvertProperty() {
        Mark();
        P_.CheckToken(toSymbol);
        std::string Name = P_.TokenString();
        P_.NextToken();
        while (P_.Token() == '.') {
            P_.NextToken();
            P_.CheckToken(toSymbol);
            Name += '.';
            Name += P_.TokenString();
            if (Name.size() > 255) P_.Error("Property name longer than 255 characters");
            P_.NextToken();
        }
        W_.WritePropName(Name);
        P_.CheckToken(static_cast<TToken>('='));
        P_.NextToken();
        ConvertValue();
    }

    void ConvertValue() {
        switch (P_.Token()) {
        case toInteger:
            W_.WriteInteger(P_.TokenInt());
            P_.NextToken();
            return;
        case toFloat:
            switch (P_.FloatSuffix()) {
            case 's': {
                double V = P_.TokenFloat();
                if (std::fabs(V) > 3.4028234663852886e38) P_.Error("Float out of range for single");
                W_.WriteSingle(static_cast<float>(V));
                break;
            }
            case 'c':
                W_.WriteCurrency(P_.TokenCurrency());
                break;
            case 'd':
                W_.WriteDate(P_.TokenFloat());
                break;
            default:
                W_.WriteFloat(P_.TokenFloat());
                break;
            }
            P_.NextToken();
            return;
        case toString: {
            std::string S = P_.TokenString();
            P_.NextToken();
            while (P_.Token() == '+') {
                P_.NextToken();
                P_.CheckToken(toString);
                if (static_cast<std::int64_t>(S.size() + P_.TokenString().size()) > kMaxFormString)
                    P_.Error("String longer than " + std::to_string(kMaxFormString) + " bytes");
                S += P_.TokenString();
                P_.NextToken();
            }
            W_.WriteString(S);
            return;
        }
        case toSymbol: {
            // Identifiers, and Owner-qualified component names such as Form2.Background1.
            std::string Id = P_.TokenString();
            P_.NextToken();
            while (P_.Token() == '.') {
                P_.NextToken();
                P_.CheckToken(toSymbol);
                Id += '.';
                Id += P_.TokenString();
                if (Id.size() > 255) P_.Error("Name longer than 255 characters");
                P_.NextToken();
            }
            W_.WriteIdent(Id);
            return;
        }
        default:
            break;
        }
        switch (static_cast<char>(P_.Token())) {
        case '[': {
            P_.NextToken();
            W_.WriteValue(vaSet);
            if (P_.Token() != ']') {
                for (;;) {
                    P_.CheckToken(toSymbol);
                    W_.WriteStr(P_.TokenString());
                    P_.NextToken();
                    if (P_.Token() == ']') break;
                    P_.CheckToken(static_cast<TToken>(','));
                    P_.NextToken();
                }
            }
            W_.WriteStr("");
            P_.NextToken();
            return;
        }
        case '(': {
            TDepth D(*this);
            P_.NextToken();
            W_.WriteListBegin();
            while (P_.Token() != ')') {
                if (P_.Token() == toEOF) P_.Error("')' expected");
                ConvertValue();
            }
            W_.WriteListEnd();
            P_.NextToken();
            return;
        }
        case '{': {
            std::string B = P_.HexToBinary(kMaxFormBinary);
            W_.WriteBinary(B.data(), static_cast<std::int64_t>(B.size()));
            return;
        }
        case '<': {
            TDepth D(*this);
            P_.NextToken();
            W_.WriteValue(vaCollection);
            while (P_.Token() != '>') {
                P_.CheckTokenSymbol("item");
                P_.NextToken();
                if (P_.Token() == '[') {
                    P_.NextToken();
                    P_.CheckToken(toInteger);
                    W_.WriteInteger(P_.TokenInt());
                    P_.NextToken();
                    P_.CheckToken(static_cast<TToken>(']'));
                    P_.NextToken();
                }
                W_.WriteListBegin();
                TDepth D2(*this);
                while (!P_.TokenSymbolIs("end")) {
                    if (P_.Token() == toEOF) P_.Error("'end' expected");
                    ConvertProperty();
                }
                W_.WriteListEnd();
                P_.NextToken();
            }
            W_.WriteListEnd();
            P_.NextToken();
            return;
        }
        default:
            break;
        }
        if (P_.Token() == toEOF) P_.Error("Property value expected, found end of file");
        P_.Error("Invalid property value '" + P_.TokenString() + "'");
    }

    TParser& P_;
    TWriter W_;
    TStream& Out_;
    std::vector<TOffsetLine>* Lines_;
    int Depth_ = 0;
};

} // namespace

void ObjectTextToBinary(TStream& Input, TStream& Output, std::vector<TOffsetLine>* Lines) {
    std::int64_t N = Input.Size() - Input.Position();
    std::string Text(static_cast<std::size_t>(N > 0 ? N : 0), '\0');
    if (N > 0) Input.ReadBuffer(Text.data(), N);
    TParser P(Text);
    TTextConverter C(P, Output, Lines);
    try {
        C.Run();
    } catch (const EWriteError& E) {
        // The writer's own limits (name length …) are errors of the text.
        P.Error(E.what());
    }
}

} // namespace qel
