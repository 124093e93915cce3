#pragma once
// A scripted POP3 server on a loopback port, run by a thread of the test. It serves a list of
// raw mails and can be told to misbehave at one command: close the connection, stay silent,
// split its output at awkward places. Every command it receives is recorded.
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

namespace pop3test {

class TFakePop3 {
  public:
    struct TConn {
        int Fd;
        void Send(const std::string& S) const {
            std::size_t Off = 0;
            while (Off < S.size()) {
                ssize_t N = ::send(Fd, S.data() + Off, S.size() - Off, MSG_NOSIGNAL);
                if (N <= 0) return;
                Off += static_cast<std::size_t>(N);
            }
        }
        void Pause(int Ms) const { std::this_thread::sleep_for(std::chrono::milliseconds(Ms)); }
    };
    // Returns true when it answered the command itself; false lets the server answer.
    // Returning true after setting Stop ends the session (the connection is closed).
    using THook = std::function<bool(const std::string& Cmd, TConn& C, bool& Stop)>;

    std::vector<std::string> Mails; // raw mails with CR LF line ends, not yet dot-stuffed
    std::string Greeting = "+OK ready";
    std::string Password = "secret";
    THook Hook;

    TFakePop3() {
        Listen_ = ::socket(AF_INET, SOCK_STREAM, 0);
        int One = 1;
        ::setsockopt(Listen_, SOL_SOCKET, SO_REUSEADDR, &One, sizeof One);
        sockaddr_in A{};
        A.sin_family = AF_INET;
        A.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(Listen_, reinterpret_cast<sockaddr*>(&A), sizeof A);
        ::listen(Listen_, 4);
        socklen_t L = sizeof A;
        ::getsockname(Listen_, reinterpret_cast<sockaddr*>(&A), &L);
        Port_ = ntohs(A.sin_port);
    }
    ~TFakePop3() {
        Stop_ = true;
        if (Thread_.joinable()) Thread_.join();
        ::close(Listen_);
    }

    int Port() const { return Port_; }
    std::string PortText() const { return std::to_string(Port_); }

    // Serves Sessions connections one after another, in a background thread.
    void Start(int Sessions = 1) {
        Thread_ = std::thread([this, Sessions] {
            for (int I = 0; I < Sessions && !Stop_; ++I)
                Serve();
        });
    }
    void Join() {
        if (Thread_.joinable()) Thread_.join();
    }

    std::vector<std::string> Commands() {
        std::lock_guard<std::mutex> G(Mu_);
        return Commands_;
    }

    static std::string Stuffed(const std::string& Mail) {
        std::string Out;
        bool LineStart = true;
        for (char C : Mail) {
            if (LineStart && C == '.') Out += '.';
            Out += C;
            LineStart = C == '\n';
        }
        if (!Out.empty() && Out.back() != '\n') Out += "\r\n";
        return Out;
    }

  private:
    void Serve() {
        pollfd P{Listen_, POLLIN, 0};
        while (!Stop_ && ::poll(&P, 1, 50) <= 0) {
        }
        if (Stop_) return;
        int Fd = ::accept(Listen_, nullptr, nullptr);
        if (Fd < 0) return;
        TConn C{Fd};
        C.Send(Greeting + "\r\n");
        std::string Pending;
        std::vector<bool> Deleted(Mails.size(), false);
        bool Quit = false;
        while (!Quit && !Stop_) {
            std::size_t Nl;
            while ((Nl = Pending.find("\r\n")) == std::string::npos) {
                pollfd Q{Fd, POLLIN, 0};
                if (Stop_) break;
                if (::poll(&Q, 1, 50) <= 0) continue;
                char Buf[4096];
                ssize_t N = ::recv(Fd, Buf, sizeof Buf, 0);
                if (N <= 0) {
                    Quit = true;
                    break;
                }
                Pending.append(Buf, static_cast<std::size_t>(N));
            }
            if (Quit || Stop_) break;
            std::string Cmd = Pending.substr(0, Nl);
            Pending.erase(0, Nl + 2);
            {
                std::lock_guard<std::mutex> G(Mu_);
                Commands_.push_back(Cmd);
            }
            bool StopNow = false;
            if (Hook && Hook(Cmd, C, StopNow)) {
                if (StopNow) break;
                continue;
            }
            Answer(Cmd, C, Deleted, Quit);
        }
        ::close(Fd);
    }

    void Answer(const std::string& Cmd, TConn& C, std::vector<bool>& Deleted, bool& Quit) {
        auto Arg = [&]() { return std::atoi(Cmd.c_str() + Cmd.find(' ') + 1); };
        if (Cmd.rfind("USER ", 0) == 0) {
            C.Send("+OK\r\n");
        } else if (Cmd.rfind("PASS ", 0) == 0) {
            C.Send(Cmd.substr(5) == Password ? "+OK Logged in.\r\n"
                                             : "-ERR [AUTH] Authentication failed.\r\n");
        } else if (Cmd == "STAT") {
            std::size_t N = 0, Size = 0;
            for (std::size_t I = 0; I < Mails.size(); ++I)
                if (!Deleted[I]) ++N, Size += Mails[I].size();
            C.Send("+OK " + std::to_string(N) + " " + std::to_string(Size) + "\r\n");
        } else if (Cmd.rfind("RETR ", 0) == 0 || Cmd.rfind("TOP ", 0) == 0) {
            int N = Arg();
            if (N < 1 || N > static_cast<int>(Mails.size()) || Deleted[N - 1]) {
                C.Send("-ERR There's no message " + std::to_string(N) + ".\r\n");
                return;
            }
            std::string Body = Mails[N - 1];
            if (Cmd[0] == 'T') Body = Body.substr(0, Body.find("\r\n\r\n") + 4);
            C.Send("+OK " + std::to_string(Body.size()) + " octets\r\n" + Stuffed(Body) + ".\r\n");
        } else if (Cmd.rfind("DELE ", 0) == 0) {
            int N = Arg();
            if (N < 1 || N > static_cast<int>(Mails.size()) || Deleted[N - 1]) {
                C.Send("-ERR no such message\r\n");
                return;
            }
            Deleted[N - 1] = true;
            C.Send("+OK Marked to be deleted.\r\n");
        } else if (Cmd == "QUIT") {
            C.Send("+OK Logging out.\r\n");
            Quit = true;
        } else {
            C.Send("-ERR Unknown command\r\n");
        }
    }

    int Listen_ = -1;
    int Port_ = 0;
    std::atomic<bool> Stop_{false};
    std::thread Thread_;
    std::mutex Mu_;
    std::vector<std::string> Commands_;
};

} // namespace pop3test
