#pragma once
// Client sockets as components. TClientSocket opens one TCP connection to Host (or Address)
// and Port and announces it through events; its Socket is the connection itself, and a
// TWinSocketStream reads and writes that connection with time-outs.
//
// Only blocking clients (ClientType ctBlocking) are provided: every call returns when its
// work is done or its time-out has run out, so a caller in the GUI thread stays in control and
// processes pending messages between calls. Opening a ctNonBlocking client raises
// ESocketError, because asynchronous notification needs a message-driven socket loop that
// this toolkit does not have.
//
// Failures go through the error notification first: OnError(Sender, Socket, ErrorEvent,
// ErrorCode) receives the system's error number in ErrorCode. A handler that sets ErrorCode
// to 0 has dealt with the failure and the call returns normally; otherwise the call raises
// ESocketError. The handler may close the socket.
#include "toolkit/core/Component.h"
#include "toolkit/core/Event.h"
#include "toolkit/core/Export.h"
#include "toolkit/core/Properties.h"
#include "toolkit/platform/SocketConnection.h"

#include <memory>
#include <string>

QEL_PUBLIC_BEGIN

namespace qel {

enum TErrorEvent { eeGeneral, eeSend, eeReceive, eeConnect, eeDisconnect, eeAccept };
QEL_ENUM_INFO(TErrorEvent, "eeGeneral", "eeSend", "eeReceive", "eeConnect", "eeDisconnect",
              "eeAccept")

enum TClientType { ctNonBlocking, ctBlocking };
QEL_ENUM_INFO(TClientType, "ctNonBlocking", "ctBlocking")

enum TSocketEvent {
    seLookup,
    seConnecting,
    seConnect,
    seDisconnect,
    seListen,
    seAccept,
    seWrite,
    seRead
};

class TCustomWinSocket;

using TSocketNotifyEvent = TEvent<void(TObject* Sender, TCustomWinSocket* Socket)>;
using TSocketErrorEvent =
    TEvent<void(TObject* Sender, TCustomWinSocket* Socket, TErrorEvent ErrorEvent, int& ErrorCode)>;

// One connection. Created and owned by the socket component that uses it.
class TCustomWinSocket : public TObject {
    QEL_CLASS(TCustomWinSocket, TObject)
  public:
    TCustomWinSocket();
    ~TCustomWinSocket() override;

    bool Connected() const { return Conn_.IsOpen(); }
    int SocketHandle() const { return Conn_.Handle(); }
    // The host name of this machine, as used in greetings and message identifiers.
    std::string LocalHost() const { return LocalHostName(); }
    std::string LocalAddress() const { return Conn_.LocalAddress(); }
    int LocalPort() const { return Conn_.LocalPort(); }
    std::string RemoteAddress() const { return Conn_.RemoteAddress(); }
    int RemotePort() const { return Conn_.RemotePort(); }

    // Sends the whole buffer (waiting at most SendTimeout for buffer space each time); the
    // result is the number of bytes sent. Failures go through the error notification (eeSend).
    int SendBuf(const void* Buf, int Count);
    int SendText(const std::string& S) { return SendBuf(S.data(), static_cast<int>(S.size())); }
    // Bytes that can be received at once without waiting.
    int ReceiveLength() const;
    // Receives what is pending, at most Count bytes, without waiting; 0 when nothing is.
    // An end of stream from the peer closes the connection (OnDisconnect fires).
    int ReceiveBuf(void* Buf, int Count);
    // Everything pending, without waiting; empty when nothing is.
    std::string ReceiveText();

    // Closes the connection; OnDisconnect fires first when it was open. Safe to call from
    // inside the socket's own event handlers and more than once.
    void Close();

    int SendTimeout() const { return SendTimeout_; }
    void SetSendTimeout(int Ms) { SendTimeout_ = Ms; }

    // Runs the error notification; raises ESocketError unless the handler cleared the code.
    void Error(TErrorEvent ErrorEvent, int ErrorCode, const std::string& Detail = {});

    // The underlying connection, for the stream.
    TSocketConnection& Connection() { return Conn_; }

  protected:
    friend class TClientSocket;
    friend class TWinSocketStream;
    // Hooks installed by the owning component.
    std::function<void(TCustomWinSocket*, TSocketEvent)> OnSocketEvent;
    std::function<void(TCustomWinSocket*, TErrorEvent, int&)> OnErrorEvent;
    void Event(TSocketEvent E) {
        if (OnSocketEvent) OnSocketEvent(this, E);
    }
    // The peer has closed its side: release the connection and tell the owner.
    void PeerClosed();

    TSocketConnection Conn_;
    bool Closing_ = false;
    int SendTimeout_ = 60000;
};

class TClientWinSocket : public TCustomWinSocket {
    QEL_CLASS(TClientWinSocket, TCustomWinSocket)
  public:
    TClientType ClientType() const { return ClientType_; }
    void SetClientType(TClientType V) { ClientType_ = V; }

    // Resolves and connects, announcing lookup, connecting and connect through the events.
    // Address (a numeric address) wins over Host (a name or address) when both are given.
    void Connect(const std::string& Host, const std::string& Address, int Port, int TimeoutMs);

  private:
    TClientType ClientType_ = ctNonBlocking;
};

class TClientSocket : public TComponent {
    QEL_CLASS(TClientSocket, TComponent)
  public:
    explicit TClientSocket(TComponent* AOwner);
    ~TClientSocket() override;

    bool Active() const { return Socket_->Connected(); }
    void SetActive(bool Value);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }

    const std::string& Address() const { return Address_; }
    void SetAddress(const std::string& V);
    const std::string& Host() const { return Host_; }
    void SetHost(const std::string& V);
    int Port() const { return Port_; }
    void SetPort(int V);
    // A service name ("smtp", "pop3") or decimal port; when set it is used instead of Port.
    const std::string& Service() const { return Service_; }
    void SetService(const std::string& V);
    TClientType ClientType() const { return Socket_->ClientType(); }
    void SetClientType(TClientType V);

    // Longest wait for one connection attempt, in milliseconds (<= 0: the system's own).
    int ConnectTimeout() const { return ConnectTimeout_; }
    void SetConnectTimeout(int Ms) { ConnectTimeout_ = Ms; }

    TClientWinSocket* Socket() const { return Socket_.get(); }

    void Loaded() override;

    TSocketNotifyEvent OnLookup;
    TSocketNotifyEvent OnConnecting;
    TSocketNotifyEvent OnConnect;
    TSocketNotifyEvent OnDisconnect;
    TSocketNotifyEvent OnRead;
    TSocketNotifyEvent OnWrite;
    TSocketErrorEvent OnError;

  private:
    void CheckInactive() const;
    int ResolvePort() const;

    std::unique_ptr<TClientWinSocket> Socket_;
    std::string Address_;
    std::string Host_;
    std::string Service_;
    int Port_ = 0;
    int ConnectTimeout_ = 30000;
    bool StreamedActive_ = false;
};

// Reads and writes a blocking connection with a time-out. The socket must outlive the stream.
class TWinSocketStream : public TObject {
    QEL_CLASS(TWinSocketStream, TObject)
  public:
    // Raises ESocketError when ASocket is not a connected blocking client.
    TWinSocketStream(TCustomWinSocket* ASocket, int TimeOut);

    int TimeOut() const { return TimeOut_; }
    void SetTimeOut(int Ms) { TimeOut_ = Ms; }

    // True as soon as something can be read (data, or the end of the stream) within Timeout
    // milliseconds. On a connection that is no longer open it reports the failure through
    // the socket's error notification (eeReceive), so a waiting loop cannot spin forever.
    bool WaitForData(int Timeout);
    // Waits at most TimeOut for data, then receives up to Count bytes. Returns 0 when nothing
    // came in time, and also when the peer closed the connection (which closes the socket
    // and fires OnDisconnect; a further Read reports the failure as above).
    int Read(void* Buffer, int Count);
    // Sends Count bytes, waiting at most TimeOut for buffer space at a time. Running out of
    // time part-way is a failure (eeSend, reported as above); the result is the bytes sent.
    int Write(const void* Buffer, int Count);

  private:
    bool CheckOpen(TErrorEvent Kind);

    TCustomWinSocket* Socket_;
    int TimeOut_;
};

} // namespace qel

QEL_PUBLIC_END
