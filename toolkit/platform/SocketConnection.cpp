#include "toolkit/platform/SocketConnection.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qel {

namespace {

using Clock = std::chrono::steady_clock;

// poll() that survives signals: the remaining time is recomputed after each interruption.
int PollFor(int Fd, short Events, int TimeoutMs) {
    const auto Deadline = Clock::now() + std::chrono::milliseconds(TimeoutMs < 0 ? 0 : TimeoutMs);
    for (;;) {
        int Wait = -1;
        if (TimeoutMs >= 0) {
            // Rounded up: a wait must never end before the time asked for.
            auto Left = std::chrono::ceil<std::chrono::milliseconds>(Deadline - Clock::now());
            Wait = Left.count() > 0 ? static_cast<int>(Left.count()) : 0;
        }
        pollfd P{Fd, Events, 0};
        int R = ::poll(&P, 1, Wait);
        if (R >= 0) return R;
        if (errno != EINTR) throw ESocketOsError("poll failed: " + SocketErrorText(errno), errno);
    }
}

std::string AddressText(const sockaddr_storage& A) {
    char Buf[INET6_ADDRSTRLEN] = {};
    if (A.ss_family == AF_INET)
        ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in&>(A).sin_addr, Buf, sizeof Buf);
    else if (A.ss_family == AF_INET6)
        ::inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6&>(A).sin6_addr, Buf, sizeof Buf);
    return Buf;
}

int AddressPort(const sockaddr_storage& A) {
    if (A.ss_family == AF_INET) return ntohs(reinterpret_cast<const sockaddr_in&>(A).sin_port);
    if (A.ss_family == AF_INET6) return ntohs(reinterpret_cast<const sockaddr_in6&>(A).sin6_port);
    return 0;
}

struct AddrInfoFree {
    void operator()(addrinfo* A) const { ::freeaddrinfo(A); }
};

// Starts a non-blocking connect and waits for its outcome; returns 0 or an errno value.
int TryConnect(int Fd, const addrinfo& A, int TimeoutMs) {
    if (::connect(Fd, A.ai_addr, A.ai_addrlen) == 0) return 0;
    if (errno != EINPROGRESS && errno != EINTR) return errno;
    int R = PollFor(Fd, POLLOUT, TimeoutMs > 0 ? TimeoutMs : -1);
    if (R == 0) return ETIMEDOUT;
    int Err = 0;
    socklen_t Len = sizeof Err;
    if (::getsockopt(Fd, SOL_SOCKET, SO_ERROR, &Err, &Len) != 0) return errno;
    return Err;
}

// Resolver failures travel as their own (negative) codes, apart from every errno value.
static_assert(EAI_NONAME < 0 && EAI_AGAIN < 0);

} // namespace

std::string SocketErrorText(int Code) {
    if (Code < 0) return ::gai_strerror(Code);
    return std::strerror(Code);
}

TSocketConnection::~TSocketConnection() {
    Close();
}

TSocketConnection::TSocketConnection(TSocketConnection&& Other) noexcept : Fd_(Other.Fd_) {
    Other.Fd_ = -1;
}

TSocketConnection& TSocketConnection::operator=(TSocketConnection&& Other) noexcept {
    if (this != &Other) {
        Close();
        Fd_ = Other.Fd_;
        Other.Fd_ = -1;
    }
    return *this;
}

void TSocketConnection::Close() noexcept {
    if (Fd_ < 0) return;
    ::shutdown(Fd_, SHUT_RDWR);
    ::close(Fd_);
    Fd_ = -1;
}

void TSocketConnection::Connect(const std::string& Host, int Port, int TimeoutMs, bool Numeric) {
    Close();
    if (Port < 0 || Port > 65535)
        throw ESocketOsError("Invalid port " + std::to_string(Port), EINVAL);
    std::string Name = Host;
    if (Name.size() >= 2 && Name.front() == '[' && Name.back() == ']')
        Name = Name.substr(1, Name.size() - 2);
    if (Name.empty()) throw ESocketOsError("No host or address given", EDESTADDRREQ);

    addrinfo Hints{};
    Hints.ai_family = AF_UNSPEC;
    Hints.ai_socktype = SOCK_STREAM;
    Hints.ai_protocol = IPPROTO_TCP;
    // No AI_ADDRCONFIG: it hides ::1 on hosts whose only IPv6 address is the loopback one.
    Hints.ai_flags = AI_NUMERICSERV | (Numeric ? AI_NUMERICHOST : 0);
    addrinfo* Raw = nullptr;
    const std::string Service = std::to_string(Port);
    int G = ::getaddrinfo(Name.c_str(), Service.c_str(), &Hints, &Raw);
    if (G == EAI_SYSTEM) {
        int E = errno;
        throw ESocketOsError("Cannot resolve \"" + Name + "\": " + SocketErrorText(E), E);
    }
    if (G != 0) throw ESocketOsError("Cannot resolve \"" + Name + "\": " + SocketErrorText(G), G);
    std::unique_ptr<addrinfo, AddrInfoFree> List(Raw);

    int LastErr = EHOSTUNREACH;
    std::string LastAddr;
    for (addrinfo* A = List.get(); A; A = A->ai_next) {
        int Fd =
            ::socket(A->ai_family, A->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, A->ai_protocol);
        if (Fd < 0) {
            LastErr = errno;
            continue;
        }
        TSocketConnection Attempt(Fd);
        int Err = TryConnect(Fd, *A, TimeoutMs);
        if (Err == 0) {
            // Line protocols write short commands and wait for answers; Nagle only adds delay.
            int One = 1;
            ::setsockopt(Fd, IPPROTO_TCP, TCP_NODELAY, &One, sizeof One);
            *this = std::move(Attempt);
            return;
        }
        LastErr = Err;
        sockaddr_storage SA{};
        std::memcpy(&SA, A->ai_addr, A->ai_addrlen);
        LastAddr = AddressText(SA);
    }
    std::string Where = Name + (LastAddr.empty() || LastAddr == Name ? "" : " (" + LastAddr + ")");
    throw ESocketOsError("Cannot connect to " + Where + " port " + Service + ": " +
                             SocketErrorText(LastErr),
                         LastErr);
}

bool TSocketConnection::WaitReadable(int TimeoutMs) const {
    if (Fd_ < 0) throw ESocketOsError("Socket is not connected", ENOTCONN);
    return PollFor(Fd_, POLLIN, TimeoutMs) > 0;
}

bool TSocketConnection::WaitWritable(int TimeoutMs) const {
    if (Fd_ < 0) throw ESocketOsError("Socket is not connected", ENOTCONN);
    return PollFor(Fd_, POLLOUT, TimeoutMs) > 0;
}

std::ptrdiff_t TSocketConnection::Receive(void* Buffer, std::size_t Count) {
    if (Fd_ < 0) throw ESocketOsError("Socket is not connected", ENOTCONN);
    for (;;) {
        ssize_t N = ::recv(Fd_, Buffer, Count, 0);
        if (N >= 0) return N;
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return -1;
        int E = errno;
        throw ESocketOsError("Receive failed: " + SocketErrorText(E), E);
    }
}

std::size_t TSocketConnection::Send(const void* Buffer, std::size_t Count, int TimeoutMs) {
    if (Fd_ < 0) throw ESocketOsError("Socket is not connected", ENOTCONN);
    const char* P = static_cast<const char*>(Buffer);
    std::size_t Done = 0;
    while (Done < Count) {
        ssize_t N = ::send(Fd_, P + Done, Count - Done, MSG_NOSIGNAL);
        if (N > 0) {
            Done += static_cast<std::size_t>(N);
            continue;
        }
        if (N < 0 && errno == EINTR) continue;
        if (N < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!WaitWritable(TimeoutMs)) break;
            continue;
        }
        int E = N < 0 ? errno : EPIPE;
        throw ESocketOsError("Send failed: " + SocketErrorText(E), E);
    }
    return Done;
}

std::string TSocketConnection::LocalAddress() const {
    sockaddr_storage A{};
    socklen_t L = sizeof A;
    if (Fd_ < 0 || ::getsockname(Fd_, reinterpret_cast<sockaddr*>(&A), &L) != 0) return {};
    return AddressText(A);
}

int TSocketConnection::LocalPort() const {
    sockaddr_storage A{};
    socklen_t L = sizeof A;
    if (Fd_ < 0 || ::getsockname(Fd_, reinterpret_cast<sockaddr*>(&A), &L) != 0) return 0;
    return AddressPort(A);
}

std::string TSocketConnection::RemoteAddress() const {
    sockaddr_storage A{};
    socklen_t L = sizeof A;
    if (Fd_ < 0 || ::getpeername(Fd_, reinterpret_cast<sockaddr*>(&A), &L) != 0) return {};
    return AddressText(A);
}

int TSocketConnection::RemotePort() const {
    sockaddr_storage A{};
    socklen_t L = sizeof A;
    if (Fd_ < 0 || ::getpeername(Fd_, reinterpret_cast<sockaddr*>(&A), &L) != 0) return 0;
    return AddressPort(A);
}

std::string LocalHostName() {
    char Buf[256] = {};
    if (::gethostname(Buf, sizeof Buf - 1) != 0) return "localhost";
    return Buf[0] ? Buf : "localhost";
}

} // namespace qel
