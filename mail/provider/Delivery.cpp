// Where a message goes: an SMTP server, the outbox folder, the fax spool.
#include "mail/provider/ProviderCore.h"
#include "toolkit/platform/SocketConnection.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace qel::mapi {

namespace {

constexpr int ConnectTimeoutMs = 30000;
constexpr int ReplyTimeoutMs = 120000; // a large message may take the server a while
constexpr int SendTimeoutMs = 60000;

class SmtpSession {
  public:
    SmtpSession(const std::string& Host, int Port) {
        try {
            Conn_.Connect(Host, Port, ConnectTimeoutMs);
        } catch (const ESocketOsError& E) {
            throw MapiError{MAPI_E_NETWORK_FAILURE, E.what()};
        }
    }
    // Reads one whole reply (all continuation lines) and returns its code.
    int Reply(std::string* Text = nullptr) {
        std::string Line;
        for (;;) {
            std::size_t Eol;
            while ((Eol = Pending_.find("\r\n")) == std::string::npos) {
                if (Pending_.size() > 65536)
                    throw MapiError{MAPI_E_NETWORK_FAILURE, "reply line too long"};
                Fill();
            }
            Line = Pending_.substr(0, Eol);
            Pending_.erase(0, Eol + 2);
            if (Line.size() < 3 || !std::isdigit(static_cast<unsigned char>(Line[0])))
                throw MapiError{MAPI_E_NETWORK_FAILURE, "malformed reply: " + Line};
            if (Line.size() == 3 || Line[3] != '-') break;
        }
        if (Text) *Text = Line;
        return std::stoi(Line.substr(0, 3));
    }
    void Send(const std::string& S) {
        try {
            if (Conn_.Send(S.data(), S.size(), SendTimeoutMs) != S.size())
                throw MapiError{MAPI_E_NETWORK_FAILURE, "the server stopped reading"};
        } catch (const ESocketOsError& E) {
            throw MapiError{MAPI_E_NETWORK_FAILURE, E.what()};
        }
    }
    int Command(const std::string& C, std::string* Text = nullptr) {
        Send(C + "\r\n");
        return Reply(Text);
    }

  private:
    void Fill() {
        char Buf[4096];
        try {
            if (!Conn_.WaitReadable(ReplyTimeoutMs))
                throw MapiError{MAPI_E_NETWORK_FAILURE, "the server did not answer in time"};
            std::ptrdiff_t N = Conn_.Receive(Buf, sizeof Buf);
            if (N == 0) throw MapiError{MAPI_E_NETWORK_FAILURE, "the server closed the connection"};
            if (N > 0) Pending_.append(Buf, static_cast<std::size_t>(N));
        } catch (const ESocketOsError& E) {
            throw MapiError{MAPI_E_NETWORK_FAILURE, E.what()};
        }
    }
    TSocketConnection Conn_;
    std::string Pending_;
};

// Dot-stuffing (RFC 5321 4.5.2) of a CRLF message, ending with the terminating line.
std::string Stuffed(const std::string& Data) {
    std::string Out;
    Out.reserve(Data.size() + Data.size() / 64 + 8);
    bool LineStart = true;
    for (std::size_t I = 0; I < Data.size(); ++I) {
        if (LineStart && Data[I] == '.') Out += '.';
        Out += Data[I];
        LineStart = Data[I] == '\n';
    }
    if (!LineStart) Out += "\r\n";
    return Out + ".\r\n";
}

std::string UniqueName(const char* Ext) {
    static std::atomic<unsigned> N{0};
    auto Now = std::chrono::system_clock::now().time_since_epoch();
    long long Ms = std::chrono::duration_cast<std::chrono::milliseconds>(Now).count();
    return std::to_string(Ms) + "-" + std::to_string(::getpid()) + "-" + std::to_string(N++) + Ext;
}

// Writes the file under a temporary name and renames it, so that a reader of the folder never
// sees half a message.
void WriteFileAtomically(const std::string& Folder, const std::string& Name,
                         const std::string& Data) {
    std::error_code Ec;
    std::filesystem::create_directories(Folder, Ec);
    const std::string Final = Folder + "/" + Name;
    const std::string Tmp = Folder + "/." + Name + ".tmp";
    int Fd = ::open(Tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (Fd < 0)
        throw MapiError{MAPI_E_FAILURE, "cannot create " + Tmp + ": " + std::strerror(errno)};
    std::size_t Done = 0;
    while (Done < Data.size()) {
        ssize_t W = ::write(Fd, Data.data() + Done, Data.size() - Done);
        if (W < 0 && errno == EINTR) continue;
        if (W <= 0) {
            int E = errno;
            ::close(Fd);
            ::unlink(Tmp.c_str());
            throw MapiError{E == ENOSPC ? MAPI_E_DISK_FULL : MAPI_E_FAILURE,
                            "cannot write " + Tmp + ": " + std::strerror(E)};
        }
        Done += static_cast<std::size_t>(W);
    }
    if (::fsync(Fd) != 0 || ::close(Fd) != 0 || ::rename(Tmp.c_str(), Final.c_str()) != 0) {
        int E = errno;
        ::unlink(Tmp.c_str());
        throw MapiError{E == ENOSPC ? MAPI_E_DISK_FULL : MAPI_E_FAILURE,
                        "cannot store " + Final + ": " + std::strerror(E)};
    }
}

} // namespace

void SmtpSend(const Settings& S, const std::string& From, const std::vector<std::string>& To,
              const std::string& Data) {
    SmtpSession Smtp(S.SmtpHost, S.SmtpPort);
    std::string Text;
    if (Smtp.Reply(&Text) != 220) throw MapiError{MAPI_E_NETWORK_FAILURE, "greeting: " + Text};
    const std::string Me = LocalHostName();
    if (Smtp.Command("EHLO " + Me, &Text) != 250 && Smtp.Command("HELO " + Me, &Text) != 250)
        throw MapiError{MAPI_E_NETWORK_FAILURE, "HELO: " + Text};
    if (Smtp.Command("MAIL FROM:<" + From + ">", &Text) != 250)
        throw MapiError{MAPI_E_FAILURE, "MAIL FROM: " + Text};
    for (const std::string& R : To) {
        int Code = Smtp.Command("RCPT TO:<" + R + ">", &Text);
        if (Code != 250 && Code != 251)
            throw MapiError{Code >= 500 ? MAPI_E_UNKNOWN_RECIPIENT : MAPI_E_FAILURE,
                            "RCPT TO " + R + ": " + Text};
    }
    if (Smtp.Command("DATA", &Text) != 354) throw MapiError{MAPI_E_FAILURE, "DATA: " + Text};
    Smtp.Send(Stuffed(Data));
    if (Smtp.Reply(&Text) != 250) throw MapiError{MAPI_E_FAILURE, "message refused: " + Text};
    try {
        Smtp.Command("QUIT");
    } catch (const MapiError&) {
        // The message is accepted; a server that hangs up early changes nothing.
    }
}

void Deliver(const OutMessage& M, const Settings& S) {
    std::vector<std::string> Envelope;
    std::vector<const Recipient*> Faxes;
    for (const auto* List : {&M.To, &M.Cc, &M.Bcc})
        for (const Recipient& R : *List) {
            if (R.Where.Type == Address::Fax)
                Faxes.push_back(&R);
            else
                Envelope.push_back(R.Where.Value);
        }
    // Compose everything before delivering anything, so that an unreadable attachment leaves
    // no half-delivered message behind.
    std::string MailText, OutboxText;
    if (!Envelope.empty()) {
        if (!S.SmtpHost.empty())
            MailText = ComposeMessage(M, S, false, {});
        else
            OutboxText = ComposeMessage(M, S, true, {});
    }
    std::vector<std::string> FaxTexts;
    for (const Recipient* F : Faxes) {
        std::string Name = F->Name;
        for (char& C : Name)
            if (C == '\r' || C == '\n') C = ' ';
        FaxTexts.push_back(ComposeMessage(
            M, S, false, {"X-Fax-Number: " + F->Where.Value, "X-Fax-Recipient: " + Name}));
    }
    if (!MailText.empty()) SmtpSend(S, S.Sender, Envelope, MailText);
    if (!OutboxText.empty()) WriteFileAtomically(S.Outbox, UniqueName(".eml"), OutboxText);
    for (const std::string& T : FaxTexts)
        WriteFileAtomically(S.FaxSpool, UniqueName(".fax"), T);
}

} // namespace qel::mapi
