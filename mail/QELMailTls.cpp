// The TLS channel of the mail sessions, on OpenSSL. The descriptor is non-blocking (the
// toolkit's sockets are), so every OpenSSL call that would block is turned into a bounded
// poll; the bytes go through a small BIO of our own that sends with MSG_NOSIGNAL, because a
// peer that vanishes must end the session with an error, not the process with SIGPIPE.
#include "mail/QELMailTls.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <sys/socket.h>

namespace qel {

namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point Deadline) {
    const auto Left =
        std::chrono::duration_cast<std::chrono::milliseconds>(Deadline - Clock::now()).count();
    return Left <= 0 ? 0 : static_cast<int>(Left);
}

bool WaitFd(int Fd, short Events, int TimeoutMs) {
    pollfd P{Fd, Events, 0};
    for (;;) {
        const int R = ::poll(&P, 1, TimeoutMs);
        if (R >= 0) return R > 0;
        if (errno != EINTR) return true; // let the next call report the failure
    }
}

int FdOf(BIO* B) {
    return static_cast<int>(reinterpret_cast<std::intptr_t>(BIO_get_data(B)));
}

int BioWrite(BIO* B, const char* Data, std::size_t Count, std::size_t* Written) {
    BIO_clear_retry_flags(B);
    for (;;) {
        const ssize_t N = ::send(FdOf(B), Data, Count, MSG_NOSIGNAL);
        if (N >= 0) {
            *Written = static_cast<std::size_t>(N);
            return 1;
        }
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) BIO_set_retry_write(B);
        return 0;
    }
}

int BioRead(BIO* B, char* Data, std::size_t Count, std::size_t* Read) {
    BIO_clear_retry_flags(B);
    for (;;) {
        const ssize_t N = ::recv(FdOf(B), Data, Count, 0);
        if (N > 0) {
            *Read = static_cast<std::size_t>(N);
            return 1;
        }
        if (N == 0) return 0; // end of stream
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) BIO_set_retry_read(B);
        return 0;
    }
}

long BioCtrl(BIO*, int Cmd, long, void*) {
    return Cmd == BIO_CTRL_FLUSH ? 1 : 0;
}

int BioCreate(BIO* B) {
    BIO_set_init(B, 1);
    return 1;
}

BIO_METHOD* SocketMethod() {
    static BIO_METHOD* Method = [] {
        BIO_METHOD* M = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "qel mail socket");
        if (M) {
            BIO_meth_set_write_ex(M, BioWrite);
            BIO_meth_set_read_ex(M, BioRead);
            BIO_meth_set_ctrl(M, BioCtrl);
            BIO_meth_set_create(M, BioCreate);
        }
        return M;
    }();
    return Method;
}

// The first error of OpenSSL's queue as text, or Fallback when the queue is empty.
std::string QueueError(const char* Fallback) {
    const unsigned long E = ERR_get_error();
    ERR_clear_error();
    if (E == 0) return Fallback;
    char Buf[256];
    ERR_error_string_n(E, Buf, sizeof Buf);
    const char* Reason = ERR_reason_error_string(E);
    return Reason ? std::string(Reason) : std::string(Buf);
}

bool IsAddressLiteral(const std::string& Name) {
    unsigned char Buf[16];
    return ::inet_pton(AF_INET, Name.c_str(), Buf) == 1 ||
           ::inet_pton(AF_INET6, Name.c_str(), Buf) == 1;
}

} // namespace

struct TQELTlsChannel::TState {
    struct TCtxFree {
        void operator()(SSL_CTX* C) const noexcept { SSL_CTX_free(C); }
    };
    struct TSslFree {
        void operator()(SSL* S) const noexcept { SSL_free(S); }
    };
    std::unique_ptr<SSL_CTX, TCtxFree> Ctx;
    std::unique_ptr<SSL, TSslFree> Ssl;
    int Fd = -1;
    bool Ready = false;

    // Waits for what OpenSSL asked for after a call that returned R; false when it failed for
    // good (Error set) or the deadline passed (Error empty).
    bool Retry(int R, Clock::time_point Deadline, std::string& Error) {
        const int Kind = SSL_get_error(Ssl.get(), R);
        if (Kind == SSL_ERROR_WANT_READ || Kind == SSL_ERROR_WANT_WRITE) {
            const int Left = MsLeft(Deadline);
            if (Left == 0) return false;
            WaitFd(Fd, Kind == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT, Left);
            return true;
        }
        if (Kind == SSL_ERROR_ZERO_RETURN) {
            Error = "Connection closed by the server";
        } else if (Kind == SSL_ERROR_SYSCALL) {
            const int Err = errno;
            Error = ERR_peek_error() ? QueueError("TLS failure")
                    : Err != 0       ? std::string(std::strerror(Err))
                                     : "Connection closed by the server";
        } else {
            const unsigned long E = ERR_peek_error();
            Error = ERR_GET_REASON(E) == SSL_R_UNEXPECTED_EOF_WHILE_READING
                        ? (ERR_clear_error(), std::string("Connection closed by the server"))
                        : QueueError("TLS failure");
        }
        return false;
    }
};

TQELTlsChannel::TQELTlsChannel() : State_(std::make_unique<TState>()) {}

TQELTlsChannel::~TQELTlsChannel() {
    Close();
}

bool TQELTlsChannel::Active() const {
    return State_->Ready;
}

std::string TQELTlsChannel::Protocol() const {
    return State_->Ready ? SSL_get_version(State_->Ssl.get()) : "";
}

bool TQELTlsChannel::Handshake(int Fd, const TQELTlsSettings& Settings, int TimeoutMs,
                               std::string& Error) {
    Close();
    ERR_clear_error();
    TState& S = *State_;
    S.Fd = Fd;
    S.Ctx.reset(SSL_CTX_new(TLS_client_method()));
    if (!S.Ctx || !SocketMethod()) {
        Error = "TLS is not available: " + QueueError("no context");
        return false;
    }
    SSL_CTX_set_min_proto_version(S.Ctx.get(), TLS1_2_VERSION);
    if (Settings.VerifyCertificate) {
        SSL_CTX_set_verify(S.Ctx.get(), SSL_VERIFY_PEER, nullptr);
        const bool Loaded =
            Settings.CAFile.empty()
                ? SSL_CTX_set_default_verify_paths(S.Ctx.get()) == 1
                : SSL_CTX_load_verify_locations(S.Ctx.get(), Settings.CAFile.c_str(), nullptr) == 1;
        if (!Loaded) {
            Error = "Cannot load the trusted certificates" +
                    (Settings.CAFile.empty() ? std::string() : " of \"" + Settings.CAFile + "\"") +
                    ": " + QueueError("unreadable");
            return false;
        }
    } else {
        SSL_CTX_set_verify(S.Ctx.get(), SSL_VERIFY_NONE, nullptr);
    }
    S.Ssl.reset(SSL_new(S.Ctx.get()));
    BIO* Bio = S.Ssl ? BIO_new(SocketMethod()) : nullptr;
    if (!Bio) {
        Error = "TLS is not available: " + QueueError("no session");
        return false;
    }
    BIO_set_data(Bio, reinterpret_cast<void*>(static_cast<std::intptr_t>(Fd)));
    SSL_set_bio(S.Ssl.get(), Bio, Bio);
    SSL_set_mode(S.Ssl.get(), SSL_MODE_ENABLE_PARTIAL_WRITE);
    const std::string& Name = Settings.ServerName;
    if (IsAddressLiteral(Name)) {
        if (Settings.VerifyCertificate)
            X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(S.Ssl.get()), Name.c_str());
    } else if (!Name.empty()) {
        SSL_set_tlsext_host_name(S.Ssl.get(), Name.c_str());
        if (Settings.VerifyCertificate) SSL_set1_host(S.Ssl.get(), Name.c_str());
    }

    const auto Deadline = Clock::now() + std::chrono::milliseconds(TimeoutMs);
    for (;;) {
        ERR_clear_error();
        const int R = SSL_connect(S.Ssl.get());
        if (R == 1) break;
        std::string Why;
        if (S.Retry(R, Deadline, Why)) continue;
        const long Verify = SSL_get_verify_result(S.Ssl.get());
        if (Verify != X509_V_OK)
            Why =
                std::string("certificate verify failed: ") + X509_verify_cert_error_string(Verify);
        else if (Why.empty())
            Why = "no answer within " + std::to_string(TimeoutMs) + " ms";
        Error = "TLS handshake failed: " + Why;
        S.Ssl.reset();
        return false;
    }
    S.Ready = true;
    return true;
}

bool TQELTlsChannel::WaitForData(int TimeoutMs) const {
    if (!State_->Ready) return false;
    if (SSL_pending(State_->Ssl.get()) > 0) return true;
    return WaitFd(State_->Fd, POLLIN, TimeoutMs);
}

int TQELTlsChannel::Read(void* Buffer, int Count, int TimeoutMs, std::string& Error) {
    TState& S = *State_;
    if (!S.Ready) {
        Error = "Connection closed";
        return -1;
    }
    if (Count <= 0) return 0;
    const auto Deadline = Clock::now() + std::chrono::milliseconds(TimeoutMs);
    for (;;) {
        ERR_clear_error();
        std::size_t N = 0;
        const int R = SSL_read_ex(S.Ssl.get(), Buffer, static_cast<std::size_t>(Count), &N);
        if (R == 1) return static_cast<int>(N);
        Error.clear();
        if (S.Retry(R, Deadline, Error)) continue;
        if (Error.empty()) return 0;
        S.Ready = false;
        return -1;
    }
}

bool TQELTlsChannel::Write(const void* Buffer, std::size_t Count, int TimeoutMs,
                           std::string& Error) {
    TState& S = *State_;
    if (!S.Ready) {
        Error = "Connection closed";
        return false;
    }
    const char* P = static_cast<const char*>(Buffer);
    std::size_t Done = 0;
    auto Deadline = Clock::now() + std::chrono::milliseconds(TimeoutMs);
    while (Done < Count) {
        ERR_clear_error();
        std::size_t N = 0;
        const int R = SSL_write_ex(S.Ssl.get(), P + Done, Count - Done, &N);
        if (R == 1) {
            Done += N;
            // The time-out bounds a stall, not a long transfer that keeps moving.
            Deadline = Clock::now() + std::chrono::milliseconds(TimeoutMs);
            continue;
        }
        Error.clear();
        if (S.Retry(R, Deadline, Error)) continue;
        if (Error.empty()) Error = "write timed out";
        S.Ready = false;
        return false;
    }
    return true;
}

void TQELTlsChannel::Close() noexcept {
    TState& S = *State_;
    if (S.Ssl && S.Ready) {
        ERR_clear_error();
        SSL_shutdown(S.Ssl.get()); // one attempt: close_notify if the socket takes it
    }
    ERR_clear_error();
    S.Ready = false;
    S.Ssl.reset();
    S.Ctx.reset();
    S.Fd = -1;
}

} // namespace qel
