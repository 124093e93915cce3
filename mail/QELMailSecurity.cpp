// Parsers and encoders of the SMTP and POP3 extensions. Every input comes from the network,
// so each parser accepts any bytes, bounds what it keeps and never reads past its input.
#include "mail/QELMailSecurity.h"

#include "mail/QELMimeText.h"

#include <cctype>
#include <openssl/evp.h>

namespace qel {

namespace {

bool EqualsCI(std::string_view A, std::string_view B) {
    if (A.size() != B.size()) return false;
    for (std::size_t I = 0; I < A.size(); ++I)
        if (std::toupper(static_cast<unsigned char>(A[I])) !=
            std::toupper(static_cast<unsigned char>(B[I])))
            return false;
    return true;
}

// The next word of S from At on, separated by spaces or tabs; empty at the end.
std::string_view NextWord(std::string_view S, std::size_t& At) {
    while (At < S.size() && (S[At] == ' ' || S[At] == '\t'))
        ++At;
    const std::size_t Start = At;
    while (At < S.size() && S[At] != ' ' && S[At] != '\t' && S[At] != '\r' && S[At] != '\n')
        ++At;
    return S.substr(Start, At - Start);
}

bool Digits(std::string_view S, std::uint64_t& Value, std::uint64_t Max) {
    if (S.empty() || S.size() > 19) return false;
    Value = 0;
    for (char C : S) {
        if (C < '0' || C > '9') return false;
        Value = Value * 10 + static_cast<std::uint64_t>(C - '0');
    }
    return Value <= Max;
}

} // namespace

void ParseEhloLine(std::string_view Line, TQELEhloCapabilities& Caps) {
    // "250-KEYWORD params" or "250 KEYWORD params"; anything shorter offers nothing.
    if (Line.size() < 4) return;
    std::size_t At = 4;
    const std::string_view Keyword = NextWord(Line, At);
    if (EqualsCI(Keyword, "STARTTLS")) {
        Caps.StartTLS = true;
    } else if (EqualsCI(Keyword, "AUTH")) {
        for (std::string_view M = NextWord(Line, At); !M.empty(); M = NextWord(Line, At)) {
            if (EqualsCI(M, "PLAIN")) Caps.AuthPlain = true;
            if (EqualsCI(M, "LOGIN")) Caps.AuthLogin = true;
        }
    } else if (EqualsCI(Keyword, "SIZE")) {
        Caps.Size = true;
        std::uint64_t Limit = 0;
        if (Digits(NextWord(Line, At), Limit, UINT64_MAX / 10)) Caps.SizeLimit = Limit;
    }
}

std::string AuthPlainResponse(const std::string& User, const std::string& Password) {
    std::string Raw;
    Raw.reserve(User.size() + Password.size() + 2);
    Raw += '\0';
    Raw += User;
    Raw += '\0';
    Raw += Password;
    return mimetext::Base64Encode(Raw);
}

std::string ApopTimestamp(std::string_view Greeting) {
    // A msg-id of the greeting line: "<" up to the first ">", with an "@" in between, no
    // spaces or controls, and of a sensible length.
    const std::size_t LineEnd = Greeting.find_first_of("\r\n");
    const std::string_view Line = Greeting.substr(0, LineEnd);
    const std::size_t Open = Line.find('<');
    if (Open == std::string_view::npos) return {};
    const std::size_t Close = Line.find('>', Open);
    if (Close == std::string_view::npos || Close - Open > 512) return {};
    const std::string_view Stamp = Line.substr(Open, Close - Open + 1);
    for (std::size_t I = 1; I + 1 < Stamp.size(); ++I) {
        const unsigned char C = static_cast<unsigned char>(Stamp[I]);
        if (C <= ' ' || C >= 0x7F || C == '<') return {};
    }
    if (Stamp.find('@') == std::string_view::npos) return {};
    return std::string(Stamp);
}

std::string ApopDigest(const std::string& Timestamp, const std::string& Password) {
    const std::string Input = Timestamp + Password;
    unsigned char Md[EVP_MAX_MD_SIZE];
    unsigned int Len = 0;
    if (EVP_Digest(Input.data(), Input.size(), Md, &Len, EVP_md5(), nullptr) != 1) return {};
    static constexpr char Hex[] = "0123456789abcdef";
    std::string Out;
    for (unsigned int I = 0; I < Len; ++I) {
        Out += Hex[Md[I] >> 4];
        Out += Hex[Md[I] & 15];
    }
    return Out;
}

bool ParseUidlListing(std::string_view Text, TQELUidList& Entries) {
    Entries.clear();
    std::size_t Pos = 0;
    while (Pos < Text.size()) {
        std::size_t End = Text.find('\n', Pos);
        if (End == std::string_view::npos) End = Text.size();
        std::string_view Line = Text.substr(Pos, End - Pos);
        Pos = End + 1;
        if (!Line.empty() && Line.back() == '\r') Line.remove_suffix(1);
        if (Line.empty()) continue;
        std::size_t At = 0;
        std::uint64_t Number = 0;
        if (!Digits(NextWord(Line, At), Number, 65535) || Number == 0) return false;
        const std::string_view Id = NextWord(Line, At);
        if (Id.empty() || Id.size() > 70 || !NextWord(Line, At).empty()) return false;
        for (char C : Id)
            if (static_cast<unsigned char>(C) < 0x21 || static_cast<unsigned char>(C) > 0x7E)
                return false;
        Entries.emplace_back(static_cast<int>(Number), std::string(Id));
    }
    return true;
}

} // namespace qel
