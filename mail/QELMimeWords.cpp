#include "mail/QELMimeWords.h"

#include "mail/QELMimeText.h"
#include "toolkit/core/TextUtils.h"

#include <algorithm>
#include <map>

namespace qel::mimewords {

namespace {

bool IsWsp(char C) {
    return C == ' ' || C == '\t' || C == '\r' || C == '\n';
}

int HexValue(char C) {
    if (C >= '0' && C <= '9') return C - '0';
    if (C >= 'A' && C <= 'F') return C - 'A' + 10;
    if (C >= 'a' && C <= 'f') return C - 'a' + 10;
    return -1;
}

constexpr char Hex[] = "0123456789ABCDEF";

// One encoded word found at the start of S: its charset (without a language suffix) and its
// decoded bytes; Length is how much of S it took.
struct TWord {
    std::string Charset;
    std::string Bytes;
    std::size_t Length = 0;
};

bool ReadWord(std::string_view S, TWord& W) {
    if (S.size() < 8 || S[0] != '=' || S[1] != '?') return false;
    const std::size_t Q1 = S.find('?', 2);
    if (Q1 == std::string_view::npos || Q1 == 2 || Q1 + 2 >= S.size() || S[Q1 + 2] != '?')
        return false;
    const char Enc = S[Q1 + 1];
    if (Enc != 'B' && Enc != 'b' && Enc != 'Q' && Enc != 'q') return false;
    const std::size_t End = S.find("?=", Q1 + 3);
    if (End == std::string_view::npos) return false;
    const std::string_view Charset = S.substr(2, Q1 - 2);
    const std::string_view Text = S.substr(Q1 + 3, End - Q1 - 3);
    // An encoded word holds no white space; a "?=" further on belongs to something else.
    if (std::any_of(Text.begin(), Text.end(), IsWsp)) return false;
    if (std::any_of(Charset.begin(), Charset.end(), IsWsp)) return false;
    W.Charset = std::string(Charset.substr(0, Charset.find('*')));
    W.Bytes.clear();
    if (Enc == 'B' || Enc == 'b') {
        W.Bytes = mimetext::Base64DecodeText(Text);
    } else {
        for (std::size_t I = 0; I < Text.size(); ++I) {
            const char C = Text[I];
            if (C == '_') {
                W.Bytes += ' ';
            } else if (C == '=' && I + 2 < Text.size() && HexValue(Text[I + 1]) >= 0 &&
                       HexValue(Text[I + 2]) >= 0) {
                W.Bytes += static_cast<char>(HexValue(Text[I + 1]) * 16 + HexValue(Text[I + 2]));
                I += 2;
            } else {
                W.Bytes += C;
            }
        }
    }
    W.Length = End + 2;
    return true;
}

// The charset of Bytes for an encoded word.
const char* CharsetOf(std::string_view Bytes) {
    return mimetext::IsValidUtf8(Bytes) ? "UTF-8" : "ISO-8859-1";
}

bool IsAttributeChar(unsigned char C) {
    if (C <= ' ' || C >= 0x7F) return false;
    return std::string_view("*'%()<>@,;:\\\"/[]?=").find(static_cast<char>(C)) ==
           std::string_view::npos;
}

std::string PercentDecode(std::string_view S) {
    std::string R;
    R.reserve(S.size());
    for (std::size_t I = 0; I < S.size(); ++I) {
        if (S[I] == '%' && I + 2 < S.size() && HexValue(S[I + 1]) >= 0 && HexValue(S[I + 2]) >= 0) {
            R += static_cast<char>(HexValue(S[I + 1]) * 16 + HexValue(S[I + 2]));
            I += 2;
        } else {
            R += S[I];
        }
    }
    return R;
}

// The pieces of a parameter written in sections ("name*0*=", "name*1=", or "name*=").
struct TSections {
    std::map<unsigned, std::pair<bool, std::string>> Parts; // index: (extended, raw value)
    std::size_t Order = 0;
};

} // namespace

std::string DecodeEncodedWords(std::string_view S) {
    std::string Out;
    Out.reserve(S.size());
    std::string PendingCharset, PendingBytes;
    bool HavePending = false;
    auto Flush = [&] {
        if (!HavePending) return;
        Out += mimetext::ToUtf8(PendingBytes, PendingCharset);
        PendingBytes.clear();
        HavePending = false;
    };
    std::size_t I = 0;
    TWord W;
    while (I < S.size()) {
        if (S[I] == '=' && ReadWord(S.substr(I), W)) {
            // Adjacent words of one charset are joined before conversion: a character may be
            // split between them.
            if (HavePending && LowerCase(W.Charset) != LowerCase(PendingCharset)) Flush();
            if (!HavePending) PendingCharset = W.Charset;
            PendingBytes += W.Bytes;
            HavePending = true;
            I += W.Length;
            // White space up to the next encoded word is dropped.
            std::size_t K = I;
            while (K < S.size() && IsWsp(S[K]))
                ++K;
            TWord Next;
            if (K > I && K < S.size() && ReadWord(S.substr(K), Next)) I = K;
            continue;
        }
        Flush();
        Out += S[I++];
    }
    Flush();
    return Out;
}

bool NeedsEncoding(std::string_view Text) {
    for (unsigned char C : Text)
        if (C >= 0x7F || (C < ' ' && C != '\t')) return true;
    return Text.find("=?") != std::string_view::npos;
}

std::vector<std::string> EncodeWords(std::string_view Text) {
    // 42 bytes make 56 base64 characters: with "=?UTF-8?B?" and "?=" a word of 68, which fits
    // after "Subject: " within 78 columns.
    constexpr std::size_t MaxBytes = 42;
    const bool Utf8 = mimetext::IsValidUtf8(Text);
    const std::string Prefix = std::string("=?") + CharsetOf(Text) + "?B?";
    std::vector<std::string> Words;
    std::size_t I = 0;
    while (I < Text.size()) {
        std::size_t N = std::min(MaxBytes, Text.size() - I);
        // A word ends on a character boundary, so each decodes on its own.
        if (Utf8)
            while (N > 0 && I + N < Text.size() &&
                   (static_cast<unsigned char>(Text[I + N]) & 0xC0) == 0x80)
                --N;
        if (N == 0) N = std::min(MaxBytes, Text.size() - I);
        Words.push_back(Prefix + mimetext::Base64Encode(Text.substr(I, N)) + "?=");
        I += N;
    }
    if (Words.empty()) Words.push_back(Prefix + "?=");
    return Words;
}

std::string QuoteString(std::string_view Value) {
    std::string R = "\"";
    for (char C : Value) {
        if (C == '"' || C == '\\') R += '\\';
        R += C;
    }
    R += '"';
    return R;
}

std::vector<std::string> EncodeParam(std::string_view Name, std::string_view Value) {
    const std::string N(Name);
    if (!NeedsEncoding(Value)) return {N + "=" + QuoteString(Value)};
    const bool Utf8 = mimetext::IsValidUtf8(Value);
    // Percent escapes of whole characters, so that no section ends inside a character.
    std::vector<std::string> Chars;
    for (std::size_t I = 0; I < Value.size();) {
        std::size_t Len = 1;
        if (Utf8)
            while (I + Len < Value.size() &&
                   (static_cast<unsigned char>(Value[I + Len]) & 0xC0) == 0x80)
                ++Len;
        std::string E;
        for (std::size_t K = I; K < I + Len; ++K) {
            const auto C = static_cast<unsigned char>(Value[K]);
            if (IsAttributeChar(C)) {
                E += static_cast<char>(C);
            } else {
                E += '%';
                E += Hex[C >> 4];
                E += Hex[C & 15];
            }
        }
        Chars.push_back(std::move(E));
        I += Len;
    }
    const std::string Head = std::string(CharsetOf(Value)) + "''";
    constexpr std::size_t MaxSection = 60;
    std::vector<std::string> Sections;
    std::string Cur = Head;
    for (const std::string& C : Chars) {
        if (Cur.size() + C.size() > MaxSection && !Cur.empty() && Cur != Head) {
            Sections.push_back(std::move(Cur));
            Cur.clear();
        }
        Cur += C;
    }
    Sections.push_back(std::move(Cur));
    if (Sections.size() == 1) return {N + "*=" + Sections[0]};
    std::vector<std::string> Out;
    for (std::size_t K = 0; K < Sections.size(); ++K)
        Out.push_back(N + "*" + std::to_string(K) + "*=" + Sections[K]);
    return Out;
}

std::string THeaderValue::Param(std::string_view Name, bool* Found) const {
    for (const auto& [K, V] : Params)
        if (K == Name) {
            if (Found) *Found = true;
            return V;
        }
    if (Found) *Found = false;
    return {};
}

THeaderValue ParseHeaderValue(std::string_view S) {
    THeaderValue R;
    std::size_t I = 0;
    const std::size_t N = S.size();
    // The value itself runs to the first ";" outside quotes.
    {
        bool InQuote = false;
        std::size_t E = 0;
        for (; E < N; ++E) {
            if (S[E] == '"') InQuote = !InQuote;
            if (S[E] == ';' && !InQuote) break;
        }
        R.Value = LowerCase(TrimView(S.substr(0, E)));
        I = E;
    }
    std::vector<std::pair<std::string, std::string>> Plain;
    std::map<std::string, TSections> Sectioned;
    std::size_t Order = 0;
    while (I < N) {
        ++I; // the ";"
        while (I < N && IsWsp(S[I]))
            ++I;
        std::size_t Eq = I;
        while (Eq < N && S[Eq] != '=' && S[Eq] != ';')
            ++Eq;
        if (Eq >= N || S[Eq] == ';') {
            I = Eq;
            continue; // a parameter without "=" says nothing
        }
        const std::string Name = LowerCase(TrimView(S.substr(I, Eq - I)));
        I = Eq + 1;
        while (I < N && IsWsp(S[I]))
            ++I;
        std::string Value;
        if (I < N && S[I] == '"') {
            ++I;
            while (I < N && S[I] != '"') {
                if (S[I] == '\\' && I + 1 < N) ++I;
                Value += S[I++];
            }
            if (I < N) ++I;
            // Anything between the closing quote and the next ";" is noise.
            while (I < N && S[I] != ';')
                ++I;
        } else {
            // Unquoted values with spaces are common in the wild: the value runs to the ";".
            std::size_t E = I;
            while (E < N && S[E] != ';')
                ++E;
            Value = std::string(TrimView(S.substr(I, E - I)));
            I = E;
        }
        if (Name.empty()) continue;
        // RFC 2231: "name*" is one extended value, "name*N" and "name*N*" are sections.
        const std::size_t Star = Name.find('*');
        if (Star == std::string::npos) {
            // Encoded words inside a parameter are not standard but widely written.
            Plain.emplace_back(Name, Value.find("=?") != std::string::npos
                                         ? DecodeEncodedWords(Value)
                                         : std::move(Value));
            continue;
        }
        const std::string Base = Name.substr(0, Star);
        std::string_view Rest = std::string_view(Name).substr(Star + 1);
        bool Extended = false;
        unsigned Index = 0;
        if (Rest.empty()) {
            Extended = true;
        } else {
            if (Rest.back() == '*') {
                Extended = true;
                Rest.remove_suffix(1);
            }
            if (Rest.empty() || Rest.size() > 4 ||
                !std::all_of(Rest.begin(), Rest.end(), [](char C) { return C >= '0' && C <= '9'; }))
                continue;
            Index = static_cast<unsigned>(std::stoul(std::string(Rest)));
        }
        TSections& Sec = Sectioned[Base];
        if (Sec.Parts.empty()) Sec.Order = Order++;
        Sec.Parts.emplace(Index, std::make_pair(Extended, std::move(Value)));
    }
    // Extended values win over plain ones of the same name; the plain ones stay as fallbacks.
    for (auto& [Base, Sec] : Sectioned) {
        std::string Charset, Bytes;
        bool First = true;
        for (auto& [Index, Part] : Sec.Parts) {
            std::string_view V = Part.second;
            if (Part.first) {
                if (First) {
                    const std::size_t Q1 = V.find('\'');
                    const std::size_t Q2 = Q1 == std::string_view::npos ? Q1 : V.find('\'', Q1 + 1);
                    if (Q2 != std::string_view::npos) {
                        Charset = std::string(V.substr(0, Q1));
                        V = V.substr(Q2 + 1);
                    }
                }
                Bytes += PercentDecode(V);
            } else {
                Bytes += V;
            }
            First = false;
        }
        R.Params.emplace_back(Base, mimetext::ToUtf8(Bytes, Charset));
    }
    for (auto& P : Plain)
        R.Params.push_back(std::move(P));
    return R;
}

} // namespace qel::mimewords
