#pragma once
// The local SMTP (127.0.0.1:2525) and POP3 (127.0.0.1:11110) servers of scripts/mail-servers.sh
// as the tests against real servers reach them, and the Maildirs they deliver to.
#include <arpa/inet.h>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace qel::mailservers {

inline constexpr int SmtpPort = 2525;
inline constexpr int Pop3Port = 11110;

// The secured ports and the test CA: what scripts/mail-servers.sh prints, taken from the
// environment when set there, else the script's defaults.
inline int EnvPort(const char* Name, int Default) {
    const char* V = std::getenv(Name);
    return V && *V ? std::atoi(V) : Default;
}
inline int SubmissionPort() {
    return EnvPort("QEL_SUBMISSION_PORT", 2587);
}
inline int SmtpsPort() {
    return EnvPort("QEL_SMTPS_PORT", 2465);
}
inline int SmtpExpiredPort() {
    return EnvPort("QEL_SMTP_EXPIRED_PORT", 2588);
}
inline int SmtpWrongNamePort() {
    return EnvPort("QEL_SMTP_WRONGNAME_PORT", 2589);
}
inline int Pop3sPort() {
    return EnvPort("QEL_POP3S_PORT", 11995);
}

inline bool PortOpen(int Port) {
    const int Fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (Fd < 0) return false;
    sockaddr_in A{};
    A.sin_family = AF_INET;
    A.sin_port = htons(static_cast<std::uint16_t>(Port));
    A.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool Ok = ::connect(Fd, reinterpret_cast<sockaddr*>(&A), sizeof A) == 0;
    ::close(Fd);
    return Ok;
}

inline std::filesystem::path MailRoot() {
    const char* D = std::getenv("QEL_MAIL_DIR");
    return D && *D ? std::filesystem::path(D) : std::filesystem::path("/tmp/qel-mail");
}

inline std::string EnvPath(const char* Name, const std::filesystem::path& Default) {
    const char* V = std::getenv(Name);
    return V && *V ? std::string(V) : Default.string();
}
inline std::string TestCA() {
    return EnvPath("QEL_MAIL_CA", MailRoot() / "tls" / "ca.crt");
}
inline std::string OtherCA() {
    return EnvPath("QEL_MAIL_OTHER_CA", MailRoot() / "tls" / "other-ca.crt");
}

inline std::filesystem::path Maildir(const std::string& User) {
    return MailRoot() / "mail" / User / "Maildir";
}

// True when every port answers. When one does not, the servers are started through the
// project's script, at most once per test program.
inline bool ServersUp(std::initializer_list<int> Ports) {
    auto AllOpen = [&] {
        for (int P : Ports)
            if (!PortOpen(P)) return false;
        return true;
    };
    if (AllOpen()) return true;
    static const bool Started = [] {
        const std::string Cmd = std::string(QEL_SOURCE_DIR) + "/scripts/mail-servers.sh start " +
                                MailRoot().string() + " > /dev/null 2>&1";
        return std::system(Cmd.c_str()) == 0;
    }();
    return Started && AllOpen();
}

// The delivered file, in the mailbox of one of Users, whose first 8 KB hold Token; empty when
// none has arrived within TimeoutMs.
inline std::filesystem::path FindDelivered(std::initializer_list<const char*> Users,
                                           const std::string& Token, int TimeoutMs) {
    const auto End = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
    while (std::chrono::steady_clock::now() < End) {
        for (const char* User : Users)
            for (const char* Sub : {"new", "cur"}) {
                std::error_code Ec;
                for (const auto& E : std::filesystem::directory_iterator(Maildir(User) / Sub, Ec)) {
                    std::ifstream In(E.path(), std::ios::binary);
                    std::string Head(8192, '\0');
                    In.read(Head.data(), static_cast<std::streamsize>(Head.size()));
                    Head.resize(static_cast<std::size_t>(In.gcount()));
                    if (Head.find(Token) != std::string::npos) return E.path();
                }
            }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return {};
}

// Standard output of a shell command, such as the independent parser that reads what arrived.
inline std::string RunCapture(const std::string& Cmd) {
    std::string Out;
    FILE* P = ::popen(Cmd.c_str(), "r");
    if (!P) return Out;
    char Buf[4096];
    std::size_t N;
    while ((N = std::fread(Buf, 1, sizeof Buf, P)) > 0)
        Out.append(Buf, N);
    ::pclose(P);
    return Out;
}

} // namespace qel::mailservers

// Skips the test when the servers on the given ports cannot be reached, or fails it when
// QEL_REQUIRE_SERVERS is set.
#define QEL_REQUIRE_MAIL_SERVERS(...)                                                              \
    do {                                                                                           \
        if (!::qel::mailservers::ServersUp({__VA_ARGS__})) {                                       \
            if (std::getenv("QEL_REQUIRE_SERVERS"))                                                \
                FAIL() << "mail servers not reachable (scripts/mail-servers.sh)";                  \
            GTEST_SKIP() << "mail servers not reachable (scripts/mail-servers.sh)";                \
        }                                                                                          \
    } while (0)
