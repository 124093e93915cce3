#pragma once
// TLS for the mail sessions: a client channel over an already connected TCP descriptor, used
// from the first byte (implicit TLS) or after a STARTTLS/STLS exchange in plain text. Every
// call is bounded by a time-out, and nothing is buffered beyond what the TLS library keeps for
// one record, so a stalled or hostile peer can neither hang a session nor fill the memory.
#include "toolkit/core/Export.h"

#include <cstddef>
#include <memory>
#include <string>

QEL_PUBLIC_BEGIN

namespace qel {

struct TQELTlsSettings {
    // The name the certificate must carry: a host name or an address literal.
    std::string ServerName;
    bool VerifyCertificate = true;
    // Trusted certificates in PEM form; empty: the system's trust store.
    std::string CAFile;
};

class TQELTlsChannel {
  public:
    TQELTlsChannel();
    ~TQELTlsChannel();
    TQELTlsChannel(const TQELTlsChannel&) = delete;
    TQELTlsChannel& operator=(const TQELTlsChannel&) = delete;

    // The client handshake on Fd (which stays owned by the caller), including the check of
    // the server's certificate and name. False with Error set when it fails or TimeoutMs runs
    // out; the channel is then unusable.
    bool Handshake(int Fd, const TQELTlsSettings& Settings, int TimeoutMs, std::string& Error);
    bool Active() const;

    // True when decrypted bytes wait, or the descriptor becomes readable within TimeoutMs.
    bool WaitForData(int TimeoutMs) const;
    // Up to Count decrypted bytes: the count, 0 when none came within TimeoutMs, -1 when the
    // peer closed the channel or it failed (Error says which).
    int Read(void* Buffer, int Count, int TimeoutMs, std::string& Error);
    // All Count bytes, or false with Error set (a failure, or TimeoutMs without progress).
    bool Write(const void* Buffer, std::size_t Count, int TimeoutMs, std::string& Error);
    // Tells the peer the channel ends (without waiting for its answer) and frees the state.
    void Close() noexcept;

    // The negotiated protocol version ("TLSv1.3"), empty before a handshake.
    std::string Protocol() const;

  private:
    struct TState;
    std::unique_ptr<TState> State_;
};

} // namespace qel

QEL_PUBLIC_END
