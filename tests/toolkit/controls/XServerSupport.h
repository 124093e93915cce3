#pragma once
// An X server for the tests that compare real windows with the headless rendering.
#include <csignal>
#include <cstdlib>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

// Skips the calling test where no X server can be had, and fails it instead where the test
// run says every server must be there (QEL_REQUIRE_SERVERS, as in CI).
#define QEL_NEED_X_SERVER(Server)                                                                  \
    if ((Server).Display().empty()) {                                                              \
        if (std::getenv("QEL_REQUIRE_SERVERS")) FAIL() << "Xvfb is required but not installed";    \
        GTEST_SKIP() << "no X server and no Xvfb";                                                 \
    }                                                                                              \
    static_assert(true, "")

namespace qel::test {

// An X server for the test: DISPLAY if set, else an Xvfb started here (and stopped again).
class TXServer {
  public:
    // Depth 0: DISPLAY when set, else an Xvfb of 24 bits. Another depth always starts an Xvfb
    // of that depth.
    explicit TXServer(int Depth = 0) {
        if (const char* D = std::getenv("DISPLAY"); D && *D && Depth == 0) {
            Display_ = D;
            return;
        }
        const std::string Screen = "1024x768x" + std::to_string(Depth ? Depth : 24);
        std::string Xvfb;
        for (const char* P : {"/usr/bin/Xvfb", "/usr/local/bin/Xvfb"})
            if (access(P, X_OK) == 0) Xvfb = P;
        if (Xvfb.empty()) return;
        for (int N = 99; N < 140; ++N) {
            std::string Sock = "/tmp/.X11-unix/X" + std::to_string(N);
            std::string Lock = "/tmp/.X" + std::to_string(N) + "-lock";
            struct stat St;
            if (stat(Sock.c_str(), &St) == 0 || stat(Lock.c_str(), &St) == 0) continue;
            std::string D = ":" + std::to_string(N);
            const char* Argv[] = {Xvfb.c_str(),   D.c_str(),   "-screen", "0",
                                  Screen.c_str(), "-nolisten", "tcp",     nullptr};
            posix_spawn_file_actions_t Fa;
            posix_spawn_file_actions_init(&Fa);
            posix_spawn_file_actions_addopen(&Fa, 1, "/dev/null", 1, 0);
            posix_spawn_file_actions_addopen(&Fa, 2, "/dev/null", 1, 0);
            int R =
                posix_spawn(&Pid_, Xvfb.c_str(), &Fa, nullptr, const_cast<char**>(Argv), environ);
            posix_spawn_file_actions_destroy(&Fa);
            if (R != 0) return;
            for (int I = 0; I < 200 && stat(Sock.c_str(), &St) != 0; ++I)
                usleep(25000);
            Display_ = D;
            return;
        }
    }
    ~TXServer() {
        if (Pid_ > 0) {
            kill(Pid_, SIGTERM);
            waitpid(Pid_, nullptr, 0);
        }
    }
    const std::string& Display() const { return Display_; }

  private:
    pid_t Pid_ = -1;
    std::string Display_;
};

} // namespace qel::test
