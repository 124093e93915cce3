// Binary form stream → text form. The layout written here is what the text reader expects
// back, so text → binary → text reproduces a text form written by this program byte for byte.
#include "toolkit/core/Exceptions.h"
#include "toolkit/core/NameUtils.h"
#include "toolkit/core/Streams.h"
#include "toolkit/core/TextForm.h"
#include "toolkit/core/Utf8.h"

#include <charconv>
#include <cmath>

namespace qel {

namespace {

constexpr int kCharsPerLine = 64; // string characters per line before a long string is split
constexpr int kBytesPerLine = 32; // bytes per line of { … } binary data

class TBinaryConverter {
  public:
    TBinaryConverter(TStream& In, std::string& Out) : R_(In), Out_(Out) {}

    void Run() {
        R_.ReadSignature();
        ConvertObject(0);
        Out_ += '\n';
    }

  private:
    struct TDepth {
        TBinaryConverter& C;
        explicit TDepth(TBinaryConverter& X) : C(X) {
            if (++C.Depth_ > kMaxFormNesting) {
                --C.Depth_;
                C.Fail("Form data nested deeper than " + std::to_string(kMaxFormNesting) +
                       " levels");
            }
        }
        ~TDepth() { --C.Depth_; }
    };

    [[noreturn]] void Fail(const std::string& Msg) { R_.Error(Msg, R_.Offset()); }

    void Indent(int Level) { Out_.append(static_cast<std::size_t>(Level) * 2, ' '); }
    void NewLine(int Level) {
        Out_ += '\n';
        Indent(Level);
    }

    std::string Ident(bool Dotted = false) {
        std::int64_t At = R_.Offset();
        std::string S = R_.ReadStr();
        bool Ok = !S.empty();
        std::size_t Start = 0;
        while (Ok) {
            std::size_t Dot = Dotted ? S.find('.', Start) : std::string::npos;
            Ok = IsValidIdent(std::string_view(S).substr(
                Start, Dot == std::string::npos ? std::string::npos : Dot - Start));
            if (Dot == std::string::npos) break;
            Start = Dot + 1;
        }
        if (!Ok) R_.Error("Invalid name '" + S + "' in form data", At);
        return S;
    }

    void ConvertObject(int Level) {
        TDepth D(*this);
        std::uint8_t Flags;
        int Pos;
        R_.ReadPrefix(Flags, Pos);
        std::string ClassName = Ident();
        std::int64_t NameAt = R_.Offset();
        std::string Name = R_.ReadStr();
        if (!Name.empty() && !IsValidIdent(Name))
            R_.Error("Invalid name '" + Name + "' in form data", NameAt);
        Indent(Level);
        Out_ += (Flags & ffInherited) ? "inherited " : (Flags & ffInline) ? "inline " : "object ";
        if (!Name.empty()) Out_ += Name + ": ";
        Out_ += ClassName;
        if (Flags & ffChildPos) Out_ += " [" + std::to_string(Pos) + "]";
        while (!R_.EndOfList())
            ConvertProperty(Level + 1);
        R_.ReadListEnd();
        while (!R_.EndOfList()) {
            Out_ += '\n';
            ConvertObject(Level + 1);
        }
        R_.ReadListEnd();
        NewLine(Level);
        Out_ += "end";
    }

    void ConvertProperty(int Level) {
        NewLine(Level);
        Out_ += Ident(true);
        Out_ += " =";
        ConvertValue(Level, true);
    }

    static void AppendFloat(std::string& Out, double V) {
        char Buf[64];
        auto R = std::to_chars(Buf, Buf + sizeof Buf, V);
        std::string_view S(Buf, static_cast<std::size_t>(R.ptr - Buf));
        Out += S;
        // Keep it a float when read back.
        if (S.find_first_of(".e") == std::string_view::npos) Out += ".0";
    }

    void ConvertValue(int Level, bool AfterName) {
        std::string Lead = AfterName ? " " : "";
        std::int64_t At = R_.Offset();
        TValueType T = R_.NextValue();
        switch (T) {
        case vaNull:
            R_.Error("Unexpected end of list", At);
        case vaList: {
            TDepth D(*this);
            R_.ReadValue();
            Out_ += Lead + "(";
            while (!R_.EndOfList()) {
                NewLine(Level + 1);
                ConvertValue(Level + 1, false);
            }
            R_.ReadListEnd();
            Out_ += ")";
            return;
        }
        case vaInt8:
        case vaInt16:
        case vaInt32:
        case vaInt64:
            Out_ += Lead + std::to_string(R_.ReadInt64());
            return;
        case vaExtended:
        case vaDate: {
            double V = R_.ReadFloat();
            if (!std::isfinite(V))
                R_.Error("A float that is not finite cannot be written as text", At);
            Out_ += Lead;
            AppendFloat(Out_, V);
            if (T == vaDate) Out_ += 'd';
            return;
        }
        case vaSingle: {
            float V = R_.ReadSingle();
            if (!std::isfinite(V))
                R_.Error("A float that is not finite cannot be written as text", At);
            char Buf[64];
            auto Res = std::to_chars(Buf, Buf + sizeof Buf, V);
            Out_ += Lead;
            Out_.append(Buf, static_cast<std::size_t>(Res.ptr - Buf));
            Out_ += 's';
            return;
        }
        case vaCurrency: {
            std::int64_t V = R_.ReadCurrency();
            std::uint64_t A =
                V < 0 ? 0 - static_cast<std::uint64_t>(V) : static_cast<std::uint64_t>(V);
            std::string Frac = std::to_string(A % 10000);
            Frac.insert(0, 4 - Frac.size(), '0');
            while (Frac.size() > 1 && Frac.back() == '0')
                Frac.pop_back();
            Out_ += Lead + (V < 0 ? "-" : "") + std::to_string(A / 10000) + "." + Frac + "c";
            return;
        }
        case vaString:
        case vaLString:
        case vaWString:
        case vaUTF8String:
            WriteStringValue(R_.ReadString(), Level, AfterName);
            return;
        case vaIdent: {
            R_.ReadValue();
            std::int64_t IdAt = R_.Offset();
            std::string S = R_.ReadStr();
            // References may be Owner-qualified (Form2.Background1).
            std::size_t Start = 0;
            for (;;) {
                std::size_t Dot = S.find('.', Start);
                if (!IsValidIdent(std::string_view(S).substr(
                        Start, Dot == std::string::npos ? std::string::npos : Dot - Start)))
                    R_.Error("Invalid identifier '" + S + "' in form data", IdAt);
                if (Dot == std::string::npos) break;
                Start = Dot + 1;
            }
            Out_ += Lead + S;
            return;
        }
        case vaFalse:
        case vaTrue:
        case vaNil:
            Out_ += Lead + R_.ReadIdent();
            return;
        case vaBinary: {
            TBytes B = R_.ReadBinary();
            static const char Hex[] = "0123456789ABCDEF";
            Out_ += Lead + "{";
            for (std::size_t I = 0; I < B.size(); ++I) {
                if (I % kBytesPerLine == 0) NewLine(Level + 1);
                Out_ += Hex[B[I] >> 4];
                Out_ += Hex[B[I] & 15];
            }
            Out_ += "}";
            return;
        }
        case vaSet: {
            R_.ReadValue();
            Out_ += Lead + "[";
            bool First = true;
            for (;;) {
                std::int64_t ElemAt = R_.Offset();
                std::string S = R_.ReadStr();
                if (S.empty()) break;
                if (!IsValidIdent(S)) R_.Error("Invalid set element '" + S + "'", ElemAt);
                if (!First) Out_ += ", ";
                Out_ += S;
                First = false;
            }
            Out_ += "]";
            return;
        }
        case vaCollection: {
            TDepth D(*this);
            R_.ReadValue();
            Out_ += Lead + "<";
            while (!R_.EndOfList()) {
                NewLine(Level + 1);
                Out_ += "item";
                TValueType N = R_.NextValue();
                if (N == vaInt8 || N == vaInt16 || N == vaInt32 || N == vaInt64)
                    Out_ += " [" + std::to_string(R_.ReadInt64()) + "]";
                R_.ReadListBegin();
                TDepth D2(*this);
                while (!R_.EndOfList())
                    ConvertProperty(Level + 2);
                R_.ReadListEnd();
                NewLine(Level + 1);
                Out_ += "end";
            }
            R_.ReadListEnd();
            Out_ += ">";
            return;
        }
        }
    }

    // Printable ASCII goes in quotes, everything else as #code; long strings are split into
    // lines of about 64 characters joined with +.
    void WriteStringValue(const std::string& S, int Level, bool AfterName) {
        if (S.empty()) {
            Out_ += AfterName ? " ''" : "''";
            return;
        }
        std::vector<std::string> Lines(1);
        int Count = 0;
        bool InQuote = false;
        std::size_t P = 0;
        while (P < S.size()) {
            std::uint32_t CP;
            std::size_t Q = P;
            if (!NextCodePoint(S, Q, CP)) {
                CP = static_cast<std::uint8_t>(S[P]);
                Q = P + 1;
            }
            P = Q;
            std::string& L = Lines.back();
            if (CP >= 0x20 && CP < 0x7F) {
                if (!InQuote) {
                    L += '\'';
                    InQuote = true;
                }
                L += static_cast<char>(CP);
                if (CP == '\'') L += '\'';
            } else {
                if (InQuote) {
                    L += '\'';
                    InQuote = false;
                }
                L += '#';
                L += std::to_string(CP);
            }
            if (++Count >= kCharsPerLine && P < S.size()) {
                if (InQuote) L += '\'';
                InQuote = false;
                Count = 0;
                Lines.emplace_back();
            }
        }
        if (InQuote) Lines.back() += '\'';
        if (Lines.size() == 1) {
            Out_ += (AfterName ? " " : "") + Lines[0];
            return;
        }
        int L = AfterName ? Level + 1 : Level;
        if (AfterName) NewLine(L);
        for (std::size_t I = 0; I < Lines.size(); ++I) {
            if (I) {
                Out_ += " +";
                NewLine(L);
            }
            Out_ += Lines[I];
        }
    }

    TReader R_;
    std::string& Out_;
    int Depth_ = 0;
};

} // namespace

void ObjectBinaryToText(TStream& Input, TStream& Output) {
    std::string Text;
    TBinaryConverter C(Input, Text);
    C.Run();
    Output.WriteBuffer(Text.data(), static_cast<std::int64_t>(Text.size()));
}

} // namespace qel
