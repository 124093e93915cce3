#pragma once
// A scripted SMTP peer on the loopback address for the sender's dialogue and fault tests. It
// answers one connection: the greeting, then one reply per command line as the script says,
// collecting the data lines of every message. Every wait is bounded so a broken client can
// never hang a test.
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace qeltest {

struct TFakeReply {
    // Written one after the other, with Gap milliseconds between, so a reply can arrive split
    // anywhere, even inside a line.
    std::vector<std::string> Chunks;
    int GapMs = 0;
    bool CloseAfter = false; // close the connection once the chunks are out
    bool Silent = false;     // send nothing and keep the connection open
};

inline TFakeReply Say(std::string Text) {
    return TFakeReply{{std::move(Text)}};
}

class TFakeSmtpServer {
  public:
    // Cmd is the received line without its line end; "." ends a message's data.
    std::function<TFakeReply(const std::string& Cmd)> OnCommand;
    TFakeReply Greeting = Say("220 fake.test ESMTP ready\r\n");
    int LifetimeMs = 20000;

    TFakeSmtpServer() {
        Listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        int One = 1;
        ::setsockopt(Listen_, SOL_SOCKET, SO_REUSEADDR, &One, sizeof One);
        sockaddr_in A{};
        A.sin_family = AF_INET;
        A.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        A.sin_port = 0;
        ::bind(Listen_, reinterpret_cast<sockaddr*>(&A), sizeof A);
        ::listen(Listen_, 4);
        socklen_t Len = sizeof A;
        ::getsockname(Listen_, reinterpret_cast<sockaddr*>(&A), &Len);
        Port_ = ntohs(A.sin_port);
    }
    ~TFakeSmtpServer() {
        Stop();
        ::close(Listen_);
    }

    int Port() const { return Port_; }
    void Start() {
        Thread_ = std::thread([this] { Run(); });
    }
    void Stop() {
        Stopping_ = true;
        if (Thread_.joinable()) Thread_.join();
    }

    // Everything below is read after Stop().
    std::vector<std::string> Commands;            // command lines in order
    std::vector<std::vector<std::string>> Bodies; // data lines of each accepted message
    bool ClientClosed = false;

    static TFakeReply Standard(const std::string& Cmd) {
        auto Starts = [&](const char* P) { return Cmd.rfind(P, 0) == 0; };
        if (Starts("HELO") || Starts("MAIL FROM:") || Starts("RCPT TO:")) return Say("250 Ok\r\n");
        if (Cmd == "DATA") return Say("354 End data with <CR><LF>.<CR><LF>\r\n");
        if (Cmd == ".") return Say("250 2.0.0 Ok: queued\r\n");
        if (Cmd == "QUIT") {
            TFakeReply R = Say("221 2.0.0 Bye\r\n");
            R.CloseAfter = true;
            return R;
        }
        return Say("502 5.5.2 Error: command not recognized\r\n");
    }

  private:
    bool Send(int Fd, const TFakeReply& R) {
        for (std::size_t I = 0; I < R.Chunks.size(); ++I) {
            if (I > 0 && R.GapMs > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(R.GapMs));
            const std::string& C = R.Chunks[I];
            if (::send(Fd, C.data(), C.size(), MSG_NOSIGNAL) < 0) return false;
        }
        return !R.CloseAfter;
    }

    void Run() {
        const auto End = std::chrono::steady_clock::now() + std::chrono::milliseconds(LifetimeMs);
        auto Left = [&] {
            return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        End - std::chrono::steady_clock::now())
                                        .count());
        };
        int Fd = -1;
        while (Fd < 0 && !Stopping_ && Left() > 0) {
            pollfd P{Listen_, POLLIN, 0};
            if (::poll(&P, 1, 50) > 0) Fd = ::accept4(Listen_, nullptr, nullptr, SOCK_CLOEXEC);
        }
        if (Fd < 0) return;
        bool Open = Send(Fd, Greeting);
        std::string Pending;
        bool InData = false;
        std::vector<std::string> Body;
        while (Open && !Stopping_ && Left() > 0) {
            pollfd P{Fd, POLLIN, 0};
            if (::poll(&P, 1, 50) <= 0) continue;
            char Buf[65536];
            ssize_t N = ::recv(Fd, Buf, sizeof Buf, 0);
            if (N <= 0) {
                ClientClosed = true;
                break;
            }
            Pending.append(Buf, static_cast<std::size_t>(N));
            std::size_t Pos;
            while (Open && (Pos = Pending.find("\r\n")) != std::string::npos) {
                std::string Line = Pending.substr(0, Pos);
                Pending.erase(0, Pos + 2);
                if (InData && Line != ".") {
                    Body.push_back(Line);
                    continue;
                }
                TFakeReply R = OnCommand ? OnCommand(Line) : Standard(Line);
                {
                    std::lock_guard<std::mutex> G(M_);
                    Commands.push_back(Line);
                    if (InData) Bodies.push_back(Body);
                }
                if (InData) {
                    InData = false;
                    Body.clear();
                } else if (Line == "DATA" && !R.Chunks.empty() &&
                           R.Chunks.front().rfind("354", 0) == 0) {
                    InData = true;
                }
                if (R.Silent) continue;
                Open = Send(Fd, R);
            }
        }
        ::close(Fd);
    }

    int Listen_ = -1;
    int Port_ = 0;
    std::thread Thread_;
    std::mutex M_;
    std::atomic<bool> Stopping_{false};
};

} // namespace qeltest
