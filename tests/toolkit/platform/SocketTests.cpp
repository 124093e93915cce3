#include "toolkit/platform/ScktComp.h"

#include <arpa/inet.h>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace qel {
namespace {

using Clock = std::chrono::steady_clock;
long long MsSince(Clock::time_point T) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - T).count();
}

// A loopback server that accepts one client and runs Script on the connection in a thread.
class ScriptedServer {
  public:
    explicit ScriptedServer(std::function<void(int Fd)> Script, bool V6 = false, int Backlog = 4,
                            bool Accept = true) {
        Listen_ = ::socket(V6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        int One = 1;
        ::setsockopt(Listen_, SOL_SOCKET, SO_REUSEADDR, &One, sizeof One);
        if (V6) {
            sockaddr_in6 A{};
            A.sin6_family = AF_INET6;
            A.sin6_addr = in6addr_loopback;
            Ok_ = ::bind(Listen_, reinterpret_cast<sockaddr*>(&A), sizeof A) == 0;
        } else {
            sockaddr_in A{};
            A.sin_family = AF_INET;
            A.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            Ok_ = ::bind(Listen_, reinterpret_cast<sockaddr*>(&A), sizeof A) == 0;
        }
        Ok_ = Ok_ && ::listen(Listen_, Backlog) == 0;
        sockaddr_storage S{};
        socklen_t L = sizeof S;
        ::getsockname(Listen_, reinterpret_cast<sockaddr*>(&S), &L);
        Port_ = ntohs(V6 ? reinterpret_cast<sockaddr_in6&>(S).sin6_port
                         : reinterpret_cast<sockaddr_in&>(S).sin_port);
        if (Ok_ && Accept)
            Thread_ = std::thread([this, Script] {
                pollfd P{Listen_, POLLIN, 0};
                if (::poll(&P, 1, 5000) != 1) return;
                int Fd = ::accept(Listen_, nullptr, nullptr);
                if (Fd < 0) return;
                Script(Fd);
                ::close(Fd);
            });
    }
    ~ScriptedServer() {
        if (Thread_.joinable()) Thread_.join();
        ::close(Listen_);
    }
    bool Ok() const { return Ok_; }
    int Port() const { return Port_; }
    void CloseListener() {
        ::close(Listen_);
        Listen_ = -1;
    }

    static void Send(int Fd, const std::string& S) { ::send(Fd, S.data(), S.size(), MSG_NOSIGNAL); }
    static std::string ReadLine(int Fd) {
        std::string L;
        char C;
        pollfd P{Fd, POLLIN, 0};
        while (::poll(&P, 1, 5000) == 1 && ::recv(Fd, &C, 1, 0) == 1) {
            L += C;
            if (L.size() >= 2 && L.compare(L.size() - 2, 2, "\r\n") == 0) break;
        }
        return L;
    }

  private:
    int Listen_ = -1;
    int Port_ = 0;
    bool Ok_ = false;
    std::thread Thread_;
};

std::string ReadAll(TWinSocketStream& S, std::size_t Want) {
    std::string R;
    char Buf[1024];
    auto T0 = Clock::now();
    while (R.size() < Want && MsSince(T0) < 5000) {
        if (!S.WaitForData(200)) continue;
        int N = S.Read(Buf, sizeof Buf);
        if (N == 0) break;
        R.append(Buf, static_cast<std::size_t>(N));
    }
    return R;
}

struct Recorder {
    std::vector<std::string> Events;
    void Attach(TClientSocket& C) {
        C.OnConnect = [this](TObject* Sender, TCustomWinSocket* S) {
            Events.push_back(std::string("connect:") + (Sender && S ? "ok" : "null"));
        };
        C.OnDisconnect = [this](TObject*, TCustomWinSocket*) { Events.push_back("disconnect"); };
        C.OnError = [this](TObject*, TCustomWinSocket*, TErrorEvent E, int& Code) {
            Events.push_back("error:" + std::to_string(E) + ":" + std::to_string(Code));
            LastCode = Code;
            if (Swallow) Code = 0;
        };
    }
    bool Swallow = false;
    int LastCode = 0;
};

TEST(ClientSocket, ConversationOverIPv4WithHostName) {
    ScriptedServer Server([](int Fd) {
        ScriptedServer::Send(Fd, "220 hello\r\n");
        std::string L = ScriptedServer::ReadLine(Fd);
        ScriptedServer::Send(Fd, "250 got " + L);
    });
    ASSERT_TRUE(Server.Ok());
    TClientSocket C(nullptr);
    Recorder R;
    R.Attach(C);
    C.SetClientType(ctBlocking);
    C.SetHost("localhost");
    C.SetPort(Server.Port());
    C.Open();
    ASSERT_TRUE(C.Active());
    EXPECT_EQ(R.Events, std::vector<std::string>{"connect:ok"});
    EXPECT_FALSE(C.Socket()->LocalHost().empty());
    EXPECT_EQ(C.Socket()->RemotePort(), Server.Port());
    EXPECT_THROW(C.SetPort(1), ESocketError); // no changes while connected

    TWinSocketStream S(C.Socket(), 100);
    EXPECT_EQ(ReadAll(S, 11), "220 hello\r\n");
    std::string Cmd = "HELO x\r\n";
    EXPECT_EQ(S.Write(Cmd.data(), static_cast<int>(Cmd.size())), static_cast<int>(Cmd.size()));
    EXPECT_EQ(ReadAll(S, 18), "250 got HELO x\r\n");
    C.Close();
    EXPECT_FALSE(C.Active());
    C.Close(); // twice is harmless
    EXPECT_EQ(R.Events, (std::vector<std::string>{"connect:ok", "disconnect"}));
}

TEST(ClientSocket, IPv6AddressesWithAndWithoutBrackets) {
    for (const char* Addr : {"::1", "[::1]"}) {
        ScriptedServer Server([](int Fd) { ScriptedServer::Send(Fd, "+OK v6\r\n"); }, true);
        if (!Server.Ok()) GTEST_SKIP() << "this machine has no IPv6 loopback";
        TClientSocket C(nullptr);
        C.SetClientType(ctBlocking);
        C.SetAddress(Addr);
        C.SetHost("name-that-must-not-be-used.invalid"); // Address wins over Host
        C.SetPort(Server.Port());
        C.Open();
        ASSERT_TRUE(C.Active());
        EXPECT_EQ(C.Socket()->RemoteAddress(), "::1");
        TWinSocketStream S(C.Socket(), 100);
        EXPECT_EQ(ReadAll(S, 8), "+OK v6\r\n");
    }
}

TEST(ClientSocket, WaitForDataTimesOutAndReadReturnsNothing) {
    ScriptedServer Server([](int Fd) { ScriptedServer::ReadLine(Fd); }); // silent until we close
    TClientSocket C(nullptr);
    C.SetClientType(ctBlocking);
    C.SetAddress("127.0.0.1");
    C.SetPort(Server.Port());
    C.Open();
    TWinSocketStream S(C.Socket(), 50);
    auto T0 = Clock::now();
    EXPECT_FALSE(S.WaitForData(150));
    EXPECT_GE(MsSince(T0), 150); // never shorter than asked
    char Buf[16];
    T0 = Clock::now();
    EXPECT_EQ(S.Read(Buf, sizeof Buf), 0); // nothing within the stream's time-out
    EXPECT_GE(MsSince(T0), 50);
    EXPECT_LT(MsSince(T0), 1000);
    EXPECT_TRUE(C.Active());
    C.Close();
}

TEST(ClientSocket, RefusedConnectionGoesThroughOnError) {
    int Port;
    {
        ScriptedServer Closed([](int) {}, false, 4, false);
        Port = Closed.Port();
    } // nobody listens there any more
    TClientSocket C(nullptr);
    Recorder R;
    R.Attach(C);
    C.SetClientType(ctBlocking);
    C.SetAddress("127.0.0.1");
    C.SetPort(Port);
    EXPECT_THROW(C.Open(), ESocketError);
    EXPECT_EQ(R.LastCode, ECONNREFUSED);
    ASSERT_EQ(R.Events.size(), 1u);
    EXPECT_EQ(R.Events[0],
              "error:" + std::to_string(eeConnect) + ":" + std::to_string(ECONNREFUSED));
    EXPECT_FALSE(C.Active());
    // A handler that clears the code has dealt with it: no exception.
    R.Swallow = true;
    EXPECT_NO_THROW(C.Open());
    EXPECT_FALSE(C.Active());
}

TEST(ClientSocket, UnknownHostAndNonBlockingModeAreReported) {
    TClientSocket C(nullptr);
    C.SetClientType(ctBlocking);
    C.SetHost("no-such-host.invalid");
    C.SetPort(25);
    int Code = 0;
    C.OnError = [&](TObject*, TCustomWinSocket*, TErrorEvent, int& E) { Code = E; };
    EXPECT_THROW(C.Open(), ESocketError);
    EXPECT_LT(Code, 0); // a resolver code, never mistaken for an errno value

    TClientSocket N(nullptr);
    N.SetAddress("127.0.0.1");
    N.SetPort(25);
    EXPECT_THROW(N.Open(), ESocketError); // ctNonBlocking is the default
}

TEST(ClientSocket, ConnectTimesOutWhenTheServerDoesNotAnswer) {
    // A listener that never accepts, with its queue filled, leaves further SYNs unanswered.
    ScriptedServer Server([](int) {}, false, 0, false);
    std::vector<int> Fillers;
    bool Blocked = false;
    for (int I = 0; I < 16 && !Blocked; ++I) {
        TSocketConnection Probe;
        try {
            Probe.Connect("127.0.0.1", Server.Port(), 150, true);
            Fillers.push_back(::dup(Probe.Handle()));
        } catch (const ESocketOsError& E) {
            ASSERT_EQ(E.Code(), ETIMEDOUT) << E.what();
            Blocked = true;
        }
    }
    for (int Fd : Fillers)
        ::close(Fd);
    if (!Blocked) GTEST_SKIP() << "the kernel kept accepting connections into the queue";

    ScriptedServer Server2([](int) {}, false, 0, false);
    std::vector<TSocketConnection> Hold;
    TClientSocket C(nullptr);
    C.SetClientType(ctBlocking);
    C.SetAddress("127.0.0.1");
    C.SetPort(Server2.Port());
    C.SetConnectTimeout(200);
    int Code = 0;
    C.OnError = [&](TObject*, TCustomWinSocket*, TErrorEvent, int& E) {
        Code = E;
        E = 0;
    };
    auto T0 = Clock::now();
    for (int I = 0; I < 16 && Code == 0; ++I) {
        C.Open();
        if (C.Active()) {
            Hold.emplace_back();
            Hold.back() = std::move(C.Socket()->Connection()); // keep it queued
        }
    }
    EXPECT_EQ(Code, ETIMEDOUT);
    EXPECT_LT(MsSince(T0), 16 * 200 + 2000);
}

TEST(ClientSocket, PeerThatClosesEndsReadingInsteadOfHanging) {
    ScriptedServer Server([](int Fd) { ScriptedServer::Send(Fd, "bye\r\n"); });
    TClientSocket C(nullptr);
    Recorder R;
    R.Attach(C);
    C.SetClientType(ctBlocking);
    C.SetAddress("127.0.0.1");
    C.SetPort(Server.Port());
    C.Open();
    TWinSocketStream S(C.Socket(), 100);
    EXPECT_EQ(ReadAll(S, 5), "bye\r\n");
    // The end of the stream: Read gives 0 and the socket closes itself.
    auto T0 = Clock::now();
    char Buf[16];
    int N = -1;
    while (C.Active() && MsSince(T0) < 3000) {
        if (S.WaitForData(200)) N = S.Read(Buf, sizeof Buf);
    }
    EXPECT_EQ(N, 0);
    EXPECT_FALSE(C.Active());
    EXPECT_EQ(R.Events.back(), "disconnect");
    // Waiting on a closed connection is an error, not an endless wait.
    EXPECT_THROW(S.WaitForData(200), ESocketError);
    EXPECT_EQ(R.LastCode, ENOTCONN);
    EXPECT_THROW(S.Write("x", 1), ESocketError);
    // A handler may close the socket from inside the error notification.
    R.Swallow = true;
    C.OnError = [&](TObject*, TCustomWinSocket* Sock, TErrorEvent, int& Code) {
        Sock->Close();
        Code = 0;
    };
    EXPECT_FALSE(S.WaitForData(10));
}

TEST(ClientSocket, WritingToAClosedPeerIsAnErrorNotASignal) {
    ScriptedServer Server([](int Fd) { ::shutdown(Fd, SHUT_RDWR); });
    TClientSocket C(nullptr);
    C.SetClientType(ctBlocking);
    C.SetAddress("127.0.0.1");
    C.SetPort(Server.Port());
    C.Open();
    TWinSocketStream S(C.Socket(), 100);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::string Big(1 << 20, 'x');
    int Errors = 0;
    C.OnError = [&](TObject*, TCustomWinSocket*, TErrorEvent E, int& Code) {
        EXPECT_EQ(E, eeSend);
        ++Errors;
        Code = 0;
    };
    for (int I = 0; I < 20 && Errors == 0; ++I)
        S.Write(Big.data(), static_cast<int>(Big.size()));
    EXPECT_GE(Errors, 1);
}

} // namespace
} // namespace qel
