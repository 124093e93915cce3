#include "toolkit/platform/ScktComp.h"

#include "toolkit/core/ScopeGuard.h"

#include <cerrno>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <vector>

namespace qel {

namespace {

const char* ErrorEventName(TErrorEvent E) {
    switch (E) {
    case eeGeneral:
        return "general";
    case eeSend:
        return "send";
    case eeReceive:
        return "receive";
    case eeConnect:
        return "connect";
    case eeDisconnect:
        return "disconnect";
    case eeAccept:
        return "accept";
    }
    return "general";
}

} // namespace

// ---- TCustomWinSocket ----------------------------------------------------------------------

QEL_IMPLEMENT_ABSTRACT(TCustomWinSocket, TObject, NoProperties<TCustomWinSocket>)

TCustomWinSocket::TCustomWinSocket() = default;

TCustomWinSocket::~TCustomWinSocket() {
    // No events from a dying object: its owner may be half destroyed already.
    OnSocketEvent = nullptr;
    OnErrorEvent = nullptr;
    Conn_.Close();
}

void TCustomWinSocket::Error(TErrorEvent ErrorEvent, int ErrorCode, const std::string& Detail) {
    int Code = ErrorCode;
    if (OnErrorEvent) OnErrorEvent(this, ErrorEvent, Code);
    if (Code == 0) return;
    std::string Msg = "Socket error " + std::to_string(Code) + " (" + SocketErrorText(Code) +
                      ") on " + ErrorEventName(ErrorEvent);
    if (!Detail.empty()) Msg += ": " + Detail;
    throw ESocketOsError(Msg, Code);
}

void TCustomWinSocket::Close() {
    if (!Conn_.IsOpen() || Closing_) return;
    Closing_ = true;
    const TScopeExit Restore([&] {
        Conn_.Close();
        Closing_ = false;
    });
    Event(seDisconnect);
}

void TCustomWinSocket::PeerClosed() {
    Close();
}

int TCustomWinSocket::SendBuf(const void* Buf, int Count) {
    if (Count <= 0) return 0;
    if (!Conn_.IsOpen()) {
        Error(eeSend, ENOTCONN);
        return 0;
    }
    try {
        std::size_t N = Conn_.Send(Buf, static_cast<std::size_t>(Count), SendTimeout_);
        if (N < static_cast<std::size_t>(Count)) Error(eeSend, ETIMEDOUT, "send timed out");
        return static_cast<int>(N);
    } catch (const ESocketOsError& E) {
        Error(eeSend, E.Code(), E.what());
        return 0;
    }
}

int TCustomWinSocket::ReceiveLength() const {
    if (!Conn_.IsOpen()) return 0;
    int N = 0;
    if (::ioctl(Conn_.Handle(), FIONREAD, &N) != 0) return 0;
    return N;
}

int TCustomWinSocket::ReceiveBuf(void* Buf, int Count) {
    if (Count <= 0) return 0;
    if (!Conn_.IsOpen()) {
        Error(eeReceive, ENOTCONN);
        return 0;
    }
    try {
        std::ptrdiff_t N = Conn_.Receive(Buf, static_cast<std::size_t>(Count));
        if (N == 0) PeerClosed();
        return N > 0 ? static_cast<int>(N) : 0;
    } catch (const ESocketOsError& E) {
        Error(eeReceive, E.Code(), E.what());
        return 0;
    }
}

std::string TCustomWinSocket::ReceiveText() {
    std::string Result;
    // Drain in pieces: more may arrive while we read, and FIONREAD may understate.
    char Buf[4096];
    while (Conn_.IsOpen()) {
        std::ptrdiff_t N;
        try {
            N = Conn_.Receive(Buf, sizeof Buf);
        } catch (const ESocketOsError& E) {
            Error(eeReceive, E.Code(), E.what());
            break;
        }
        if (N < 0) break;
        if (N == 0) {
            PeerClosed();
            break;
        }
        Result.append(Buf, static_cast<std::size_t>(N));
    }
    return Result;
}

// ---- TClientWinSocket ----------------------------------------------------------------------

QEL_IMPLEMENT_ABSTRACT(TClientWinSocket, TCustomWinSocket, NoProperties<TClientWinSocket>)

void TClientWinSocket::Connect(const std::string& Host, const std::string& Address, int Port,
                               int TimeoutMs) {
    if (Conn_.IsOpen()) return;
    if (ClientType_ != ctBlocking)
        throw ESocketError("Non-blocking client sockets are not supported; set ClientType to "
                           "ctBlocking");
    const bool Numeric = !Address.empty();
    const std::string& Target = Numeric ? Address : Host;
    Event(seLookup);
    Event(seConnecting);
    try {
        Conn_.Connect(Target, Port, TimeoutMs, Numeric);
    } catch (const ESocketOsError& E) {
        Error(eeConnect, E.Code(), E.what());
        return;
    }
    Event(seConnect);
}

// ---- TClientSocket -------------------------------------------------------------------------

static void DescribeClientSocket(TClassBuilder<TClientSocket>& B) {
    B.Bool("Active", &TClientSocket::Active, &TClientSocket::SetActive).SetDefault(0);
    B.String("Address", &TClientSocket::Address, &TClientSocket::SetAddress);
    B.Enum("ClientType", &TClientSocket::ClientType, &TClientSocket::SetClientType)
        .SetDefault(ctNonBlocking);
    B.String("Host", &TClientSocket::Host, &TClientSocket::SetHost);
    B.Integer("Port", &TClientSocket::Port, &TClientSocket::SetPort).SetDefault(0);
    B.String("Service", &TClientSocket::Service, &TClientSocket::SetService);
    B.Event("OnLookup", &TClientSocket::OnLookup);
    B.Event("OnConnecting", &TClientSocket::OnConnecting);
    B.Event("OnConnect", &TClientSocket::OnConnect);
    B.Event("OnDisconnect", &TClientSocket::OnDisconnect);
    B.Event("OnRead", &TClientSocket::OnRead);
    B.Event("OnWrite", &TClientSocket::OnWrite);
    B.Event("OnError", &TClientSocket::OnError);
}

QEL_IMPLEMENT_CLASS(TClientSocket, TComponent, DescribeClientSocket)

TClientSocket::TClientSocket(TComponent* AOwner)
    : TComponent(AOwner), Socket_(std::make_unique<TClientWinSocket>()) {
    Socket_->OnSocketEvent = [this](TCustomWinSocket* S, TSocketEvent E) {
        const TSocketNotifyEvent* Ev = nullptr;
        switch (E) {
        case seLookup:
            Ev = &OnLookup;
            break;
        case seConnecting:
            Ev = &OnConnecting;
            break;
        case seConnect:
            Ev = &OnConnect;
            break;
        case seDisconnect:
            Ev = &OnDisconnect;
            break;
        case seRead:
            Ev = &OnRead;
            break;
        case seWrite:
            Ev = &OnWrite;
            break;
        default:
            break;
        }
        if (Ev && *Ev) (*Ev)(this, S);
    };
    Socket_->OnErrorEvent = [this](TCustomWinSocket* S, TErrorEvent E, int& Code) {
        if (OnError) OnError(this, S, E, Code);
    };
}

TClientSocket::~TClientSocket() {
    // A component being freed closes its connection without calling back into handlers that
    // may belong to an owner in the middle of its own destruction.
    Socket_->OnSocketEvent = nullptr;
    Socket_->OnErrorEvent = nullptr;
    Socket_->Connection().Close();
}

void TClientSocket::CheckInactive() const {
    if (Active() && !IsDesigning())
        throw ESocketError("Cannot change the value while the socket is active");
}

void TClientSocket::SetAddress(const std::string& V) {
    CheckInactive();
    Address_ = V;
}
void TClientSocket::SetHost(const std::string& V) {
    CheckInactive();
    Host_ = V;
}
void TClientSocket::SetPort(int V) {
    CheckInactive();
    Port_ = V;
}
void TClientSocket::SetService(const std::string& V) {
    CheckInactive();
    Service_ = V;
}
void TClientSocket::SetClientType(TClientType V) {
    CheckInactive();
    Socket_->SetClientType(V);
}

int TClientSocket::ResolvePort() const {
    if (Service_.empty()) return Port_;
    bool Digits = Service_.find_first_not_of("0123456789") == std::string::npos;
    if (Digits && Service_.size() <= 5) return std::stoi(Service_);
    servent Entry{};
    servent* Found = nullptr;
    std::vector<char> Buf(4096);
    if (::getservbyname_r(Service_.c_str(), "tcp", &Entry, Buf.data(), Buf.size(), &Found) == 0 &&
        Found)
        return ntohs(static_cast<std::uint16_t>(Found->s_port));
    throw ESocketError("Unknown service \"" + Service_ + "\"");
}

void TClientSocket::SetActive(bool Value) {
    if (IsDesigning() || IsLoading()) {
        // A form file may say Active = True: connect once the whole form is read, never in
        // the designer.
        StreamedActive_ = Value;
        return;
    }
    if (Value == Active()) return;
    if (Value)
        Socket_->Connect(Host_, Address_, ResolvePort(), ConnectTimeout_);
    else
        Socket_->Close();
}

void TClientSocket::Loaded() {
    TComponent::Loaded();
    if (StreamedActive_ && !IsDesigning()) {
        StreamedActive_ = false;
        SetActive(true);
    }
}

// ---- TWinSocketStream ----------------------------------------------------------------------

QEL_IMPLEMENT_ABSTRACT(TWinSocketStream, TObject, NoProperties<TWinSocketStream>)

TWinSocketStream::TWinSocketStream(TCustomWinSocket* ASocket, int TimeOut)
    : Socket_(ASocket), TimeOut_(TimeOut) {
    if (!Socket_) throw ESocketError("A socket stream needs a socket");
    auto* Client = Cast<TClientWinSocket>(Socket_);
    if (Client && Client->ClientType() != ctBlocking)
        throw ESocketError("Socket must be in blocking mode");
}

bool TWinSocketStream::CheckOpen(TErrorEvent Kind) {
    if (Socket_->Connected()) return true;
    Socket_->Error(Kind, ENOTCONN, "the connection is closed");
    return false;
}

bool TWinSocketStream::WaitForData(int Timeout) {
    if (!CheckOpen(eeReceive)) return false;
    try {
        return Socket_->Connection().WaitReadable(Timeout);
    } catch (const ESocketOsError& E) {
        Socket_->Error(eeReceive, E.Code(), E.what());
        return false;
    }
}

int TWinSocketStream::Read(void* Buffer, int Count) {
    if (Count <= 0) return 0;
    if (!CheckOpen(eeReceive)) return 0;
    TSocketConnection& C = Socket_->Connection();
    try {
        if (!C.WaitReadable(TimeOut_)) return 0;
        std::ptrdiff_t N = C.Receive(Buffer, static_cast<std::size_t>(Count));
        if (N == 0) {
            Socket_->PeerClosed();
            return 0;
        }
        return N > 0 ? static_cast<int>(N) : 0;
    } catch (const ESocketOsError& E) {
        Socket_->Error(eeReceive, E.Code(), E.what());
        return 0;
    }
}

int TWinSocketStream::Write(const void* Buffer, int Count) {
    if (Count <= 0) return 0;
    if (!CheckOpen(eeSend)) return 0;
    try {
        std::size_t N =
            Socket_->Connection().Send(Buffer, static_cast<std::size_t>(Count), TimeOut_);
        // Part of the buffer is on its way and the rest is not: the byte stream is broken, so
        // this is a failure, never a silent short write.
        if (N < static_cast<std::size_t>(Count))
            Socket_->Error(eeSend, ETIMEDOUT, "write timed out");
        return static_cast<int>(N);
    } catch (const ESocketOsError& E) {
        Socket_->Error(eeSend, E.Code(), E.what());
        return 0;
    }
}

} // namespace qel
