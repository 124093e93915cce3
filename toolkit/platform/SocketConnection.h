#pragma once
// One TCP client connection over POSIX sockets: name resolution, connecting with a time-out,
// waiting for readiness, sending and receiving. The client socket component is built on it;
// it knows nothing of components or events, and reports failures as ESocketOsError with the
// system's error number so that the component can hand that number to its error handler.
#include "toolkit/core/Exceptions.h"
#include "toolkit/core/Export.h"

#include <cstddef>
#include <string>

QEL_PUBLIC_BEGIN

namespace qel {

// A failed socket operation. Code is the errno value, or for a failed name resolution the
// resolver's own code, which is negative and so never mistaken for an errno value.
class ESocketOsError : public ESocketError {
  public:
    ESocketOsError(const std::string& Msg, int Code) : ESocketError(Msg), Code_(Code) {}
    int Code() const { return Code_; }

  private:
    int Code_;
};

// The text for an error code as carried by ESocketOsError.
std::string SocketErrorText(int Code);

class TSocketConnection {
  public:
    TSocketConnection() = default;
    ~TSocketConnection();
    TSocketConnection(TSocketConnection&& Other) noexcept;
    TSocketConnection& operator=(TSocketConnection&& Other) noexcept;
    TSocketConnection(const TSocketConnection&) = delete;
    TSocketConnection& operator=(const TSocketConnection&) = delete;

    // Resolves Host (a name, an IPv4 literal or an IPv6 literal, with or without brackets)
    // and tries each address in the resolver's order until one accepts within TimeoutMs
    // (<= 0: wait as long as the system does). With Numeric set, Host must be an address
    // literal and no name service is asked. Throws ESocketOsError with the last failure.
    void Connect(const std::string& Host, int Port, int TimeoutMs, bool Numeric = false);

    bool IsOpen() const { return Fd_ >= 0; }
    int Handle() const { return Fd_; }
    // Shuts the connection down and releases the descriptor; harmless when already closed.
    void Close() noexcept;

    // Waits until a receive would not block (data, end of stream or an error pending).
    // TimeoutMs < 0 waits without limit. Returns false on time-out.
    bool WaitReadable(int TimeoutMs) const;
    bool WaitWritable(int TimeoutMs) const;

    // Receives at most Count bytes of what is already pending, never blocking: the count
    // received, 0 when the peer has closed its side, -1 when nothing is pending.
    std::ptrdiff_t Receive(void* Buffer, std::size_t Count);
    // Sends the whole buffer, waiting at most TimeoutMs for each stretch of buffer space;
    // returns the bytes sent, fewer only when the time-out ran out. A closed peer throws
    // (EPIPE or ECONNRESET), never raises SIGPIPE.
    std::size_t Send(const void* Buffer, std::size_t Count, int TimeoutMs);

    // Numeric addresses and ports of the two ends of an open connection.
    std::string LocalAddress() const;
    int LocalPort() const;
    std::string RemoteAddress() const;
    int RemotePort() const;

  private:
    explicit TSocketConnection(int Fd) : Fd_(Fd) {}
    int Fd_ = -1;
};

// The machine's host name as the system reports it.
std::string LocalHostName();

} // namespace qel

QEL_PUBLIC_END
