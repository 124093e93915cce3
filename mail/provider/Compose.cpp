// The provider's message writer: RFC 5322 headers, a quoted-printable text part and base64
// attachment parts (RFC 2045, 2046, 2047).
#include "mail/provider/ProviderCore.h"
#include "toolkit/platform/RegistryStore.h"
#include "toolkit/platform/SocketConnection.h"

#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <random>
#include <sstream>
#include <unistd.h>

namespace qel::mapi {

namespace {

const char B64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Base64(const std::string& In, std::size_t LineChars) {
    std::string Out;
    Out.reserve(In.size() * 4 / 3 + In.size() / 40 + 8);
    std::size_t Col = 0;
    auto Put = [&](char C) {
        Out += C;
        if (LineChars && ++Col == LineChars) {
            Out += "\r\n";
            Col = 0;
        }
    };
    std::size_t I = 0;
    const auto* P = reinterpret_cast<const unsigned char*>(In.data());
    for (; I + 3 <= In.size(); I += 3) {
        Put(B64[P[I] >> 2]);
        Put(B64[((P[I] & 3) << 4) | (P[I + 1] >> 4)]);
        Put(B64[((P[I + 1] & 15) << 2) | (P[I + 2] >> 6)]);
        Put(B64[P[I + 2] & 63]);
    }
    if (In.size() - I == 1) {
        Put(B64[P[I] >> 2]);
        Put(B64[(P[I] & 3) << 4]);
        Put('=');
        Put('=');
    } else if (In.size() - I == 2) {
        Put(B64[P[I] >> 2]);
        Put(B64[((P[I] & 3) << 4) | (P[I + 1] >> 4)]);
        Put(B64[(P[I + 1] & 15) << 2]);
        Put('=');
    }
    if (LineChars && Col) Out += "\r\n";
    return Out;
}

bool IsPlainAscii(const std::string& S) {
    for (unsigned char C : S)
        if (C >= 0x7f || C < 0x20) return false;
    return true;
}

bool IsUtf8(const std::string& S) {
    std::size_t I = 0;
    while (I < S.size()) {
        unsigned char C = static_cast<unsigned char>(S[I]);
        int N = C < 0x80 ? 0 : (C >> 5) == 6 ? 1 : (C >> 4) == 14 ? 2 : (C >> 3) == 30 ? 3 : -1;
        if (N < 0 || I + N >= S.size()) return false;
        for (int K = 1; K <= N; ++K)
            if ((static_cast<unsigned char>(S[I + K]) >> 6) != 2) return false;
        I += N + 1;
    }
    return true;
}

// A header text: as it is when plain ASCII, else one encoded word per 45 input bytes.
std::string HeaderText(std::string S) {
    for (char& C : S)
        if (C == '\r' || C == '\n' || C == '\t') C = ' ';
    if (IsPlainAscii(S)) return S;
    const std::string Charset = IsUtf8(S) ? "UTF-8" : "ISO-8859-1";
    std::string Out;
    for (std::size_t I = 0; I < S.size();) {
        std::size_t N = std::min<std::size_t>(45, S.size() - I);
        // Never split a UTF-8 sequence between two words.
        while (Charset == "UTF-8" && I + N < S.size() &&
               (static_cast<unsigned char>(S[I + N]) >> 6) == 2)
            --N;
        if (!Out.empty()) Out += "\r\n ";
        Out += "=?" + Charset + "?B?" + Base64(S.substr(I, N), 0) + "?=";
        I += N;
    }
    return Out;
}

std::string Mailbox(const Recipient& R) {
    if (R.Name.empty()) return R.Where.Value;
    std::string N = R.Name;
    for (char& C : N)
        if (C == '\r' || C == '\n') C = ' ';
    if (!IsPlainAscii(N)) return HeaderText(N) + " <" + R.Where.Value + ">";
    std::string Q = "\"";
    for (char C : N) {
        if (C == '"' || C == '\\') Q += '\\';
        Q += C;
    }
    return Q + "\" <" + R.Where.Value + ">";
}

std::string AddressList(const std::vector<Recipient>& L) {
    std::string Out;
    for (const Recipient& R : L) {
        if (R.Where.Type != Address::Mail) continue;
        if (!Out.empty()) Out += ",\r\n ";
        Out += Mailbox(R);
    }
    return Out;
}

// Quoted-printable (RFC 2045 6.7) of text whose line ends are already CRLF.
std::string QuotedPrintable(const std::string& Text) {
    std::string Out;
    std::size_t Col = 0;
    auto Emit = [&](const std::string& Piece) {
        if (Col + Piece.size() > 75) {
            Out += "=\r\n";
            Col = 0;
        }
        Out += Piece;
        Col += Piece.size();
    };
    for (std::size_t I = 0; I < Text.size(); ++I) {
        unsigned char C = static_cast<unsigned char>(Text[I]);
        if (C == '\r' && I + 1 < Text.size() && Text[I + 1] == '\n') {
            // Trailing blanks would be lost in transport: encode the last one.
            if (!Out.empty() && (Out.back() == ' ' || Out.back() == '\t') && Col > 0) {
                char Last = Out.back();
                Out.pop_back();
                --Col;
                char B[4];
                std::snprintf(B, sizeof B, "=%02X", static_cast<unsigned char>(Last));
                Emit(B);
            }
            Out += "\r\n";
            Col = 0;
            ++I;
            continue;
        }
        bool Literal = (C >= 33 && C <= 126 && C != '=') || C == ' ' || C == '\t';
        // A line starting with a dot is encoded, so that no transport can take it for an end.
        if (Col == 0 && C == '.') Literal = false;
        if (Literal) {
            Emit(std::string(1, static_cast<char>(C)));
        } else {
            char B[4];
            std::snprintf(B, sizeof B, "=%02X", C);
            Emit(B);
        }
    }
    if (!Out.empty() && (Out.back() == ' ' || Out.back() == '\t')) {
        char Last = Out.back();
        Out.pop_back();
        char B[4];
        std::snprintf(B, sizeof B, "=%02X", static_cast<unsigned char>(Last));
        Out += B;
    }
    return Out;
}

std::string CrLf(const std::string& S) {
    std::string Out;
    Out.reserve(S.size() + S.size() / 32);
    for (std::size_t I = 0; I < S.size(); ++I) {
        if (S[I] == '\r') {
            Out += "\r\n";
            if (I + 1 < S.size() && S[I + 1] == '\n') ++I;
        } else if (S[I] == '\n') {
            Out += "\r\n";
        } else {
            Out += S[I];
        }
    }
    return Out;
}

std::string QuotedParam(const std::string& V) {
    std::string Q = "\"";
    for (char C : V) {
        if (C == '\r' || C == '\n') continue;
        if (C == '"' || C == '\\') Q += '\\';
        Q += C;
    }
    return Q + "\"";
}

std::string FileNameParams(const std::string& Param, const std::string& Name) {
    if (IsPlainAscii(Name)) return Param + "=" + QuotedParam(Name);
    // RFC 2231 for names outside ASCII.
    std::string Enc = Param + "*=" + (IsUtf8(Name) ? "UTF-8''" : "ISO-8859-1''");
    for (unsigned char C : Name) {
        if (std::isalnum(C) || std::strchr("!#$&+-.^_`|~", C)) {
            Enc += static_cast<char>(C);
        } else {
            char B[4];
            std::snprintf(B, sizeof B, "%%%02X", C);
            Enc += B;
        }
    }
    return Enc;
}

std::string ContentTypeFor(const std::string& Name) {
    std::size_t Dot = Name.find_last_of('.');
    if (Dot != std::string::npos && Dot + 1 < Name.size()) {
        try {
            TRegistryView V;
            auto Val = V.Value("HKEY_CLASSES_ROOT\\" + Name.substr(Dot), MimeValueName);
            if (Val && (Val->Type == REG_SZ || Val->Type == REG_EXPAND_SZ)) {
                std::string T = Val->Data.c_str();
                if (!T.empty() && T.find_first_of("\r\n\"") == std::string::npos) return T;
            }
        } catch (...) {
            // A damaged registry must not stop the mail: the type is only a hint.
        }
    }
    return "application/octet-stream";
}

std::string RandomToken(std::size_t Len) {
    static std::atomic<unsigned> Counter{0};
    static thread_local std::mt19937_64 Gen(std::random_device{}() ^
                                            (static_cast<unsigned long long>(::getpid()) << 32));
    const char Alnum[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string S;
    for (std::size_t I = 0; I < Len; ++I)
        S += Alnum[Gen() % 36];
    return S + std::to_string(Counter++);
}

std::string RfcDate(std::time_t T) {
    std::tm Tm{};
    ::localtime_r(&T, &Tm);
    static const char* Days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* Months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    long Off = Tm.tm_gmtoff / 60;
    char B[64];
    std::snprintf(B, sizeof B, "%s, %02d %s %04d %02d:%02d:%02d %c%02ld%02ld", Days[Tm.tm_wday],
                  Tm.tm_mday, Months[Tm.tm_mon], Tm.tm_year + 1900, Tm.tm_hour, Tm.tm_min,
                  Tm.tm_sec, Off < 0 ? '-' : '+', std::labs(Off) / 60, std::labs(Off) % 60);
    return B;
}

} // namespace

std::string ComposeMessage(const OutMessage& M, const Settings& S, bool WithBcc,
                           const std::vector<std::string>& ExtraHeaders) {
    std::string H;
    H += "From: " + S.Sender + "\r\n";
    if (std::string L = AddressList(M.To); !L.empty()) H += "To: " + L + "\r\n";
    if (std::string L = AddressList(M.Cc); !L.empty()) H += "Cc: " + L + "\r\n";
    if (WithBcc)
        if (std::string L = AddressList(M.Bcc); !L.empty()) H += "Bcc: " + L + "\r\n";
    H += "Subject: " + HeaderText(M.Subject) + "\r\n";
    H += "Date: " + RfcDate(std::time(nullptr)) + "\r\n";
    std::string Domain = S.Sender.substr(S.Sender.find('@') + 1);
    H += "Message-ID: <" + std::to_string(std::time(nullptr)) + "." + RandomToken(12) + "@" +
         Domain + ">\r\n";
    if (M.Receipt) {
        H += "Disposition-Notification-To: " + S.Sender + "\r\n";
        H += "Return-Receipt-To: " + S.Sender + "\r\n";
    }
    for (const std::string& X : ExtraHeaders)
        H += X + "\r\n";
    H += "MIME-Version: 1.0\r\n";
    H += "X-Mailer: QEL Simple MAPI provider\r\n";

    std::string Note = CrLf(M.Note);
    const std::string Charset = IsUtf8(Note) ? "UTF-8" : "ISO-8859-1";
    std::string TextHeaders = "Content-Type: text/plain; charset=" + Charset +
                              "\r\nContent-Transfer-Encoding: quoted-printable\r\n";
    std::string TextBody = QuotedPrintable(Note);
    if (TextBody.size() < 2 || TextBody.compare(TextBody.size() - 2, 2, "\r\n") != 0)
        TextBody += "\r\n";
    if (M.Files.empty()) return H + TextHeaders + "\r\n" + TextBody;

    const std::string Boundary = "=_qelmapi_" + RandomToken(24);
    std::string Out = H + "Content-Type: multipart/mixed; boundary=\"" + Boundary + "\"\r\n\r\n";
    Out += "This is a multi-part message in MIME format.\r\n";
    Out += "--" + Boundary + "\r\n" + TextHeaders + "\r\n" + TextBody;
    for (const FileRef& F : M.Files) {
        std::ifstream In(F.Path, std::ios::binary);
        if (!In) throw MapiError{MAPI_E_ATTACHMENT_OPEN_FAILURE, "cannot open " + F.Path};
        std::ostringstream Data;
        Data << In.rdbuf();
        if (In.bad()) throw MapiError{MAPI_E_ATTACHMENT_OPEN_FAILURE, "cannot read " + F.Path};
        Out += "--" + Boundary + "\r\n";
        Out += "Content-Type: " + ContentTypeFor(F.Name) + "; " + FileNameParams("name", F.Name) +
               "\r\n";
        Out += "Content-Transfer-Encoding: base64\r\n";
        Out +=
            "Content-Disposition: attachment; " + FileNameParams("filename", F.Name) + "\r\n\r\n";
        Out += Base64(Data.str(), 76);
    }
    Out += "--" + Boundary + "--\r\n";
    return Out;
}

} // namespace qel::mapi
