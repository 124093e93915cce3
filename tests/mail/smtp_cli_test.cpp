// `qel-mail send` as a user runs it: exit status and what it prints, against the scripted peer.
#include "smtp_fake_server.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using qeltest::Say;
using qeltest::TFakeSmtpServer;

namespace {

std::string Tool() {
    return std::string(QEL_BINARY_DIR) + "/bin/qel-mail";
}

// Runs the command line, returns its exit status and combined output.
int RunTool(const std::string& Cmd, std::string& Out) {
    FILE* P = ::popen((Cmd + " 2>&1").c_str(), "r");
    if (!P) return -1;
    char Buf[4096];
    std::size_t N;
    while ((N = std::fread(Buf, 1, sizeof Buf, P)) > 0)
        Out.append(Buf, N);
    int Status = ::pclose(P);
    return WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
}

std::string SendCmd(int Port, const std::string& To) {
    return Tool() + " send --host 127.0.0.1 --port " + std::to_string(Port) +
           " --from alice@example.test --to " + To + " --subject Hi --line-pause 0 --timeout 3000";
}

TEST(SmtpCli, AcceptedMessageExitsZero) {
    if (!std::filesystem::exists(Tool())) GTEST_SKIP() << "qel-mail not built";
    TFakeSmtpServer Server;
    Server.Start();
    std::string Out;
    int Rc = RunTool(SendCmd(Server.Port(), "bob@example.test,carol@example.test"), Out);
    Server.Stop();
    EXPECT_EQ(Rc, 0) << Out;
    EXPECT_NE(Out.find("accepted: 250 2.0.0 Ok: queued"), std::string::npos) << Out;
    EXPECT_EQ(Server.Bodies.size(), 1u);
}

TEST(SmtpCli, RefusalExitsNonZeroWithTheServersCodeAndText) {
    if (!std::filesystem::exists(Tool())) GTEST_SKIP() << "qel-mail not built";
    TFakeSmtpServer Server;
    Server.OnCommand = [](const std::string& Cmd) {
        if (Cmd.rfind("RCPT", 0) == 0) return Say("550 5.1.1 No such user here\r\n");
        return TFakeSmtpServer::Standard(Cmd);
    };
    Server.Start();
    std::string Out;
    int Rc = RunTool(SendCmd(Server.Port(), "nobody@example.test"), Out);
    Server.Stop();
    EXPECT_EQ(Rc, 1) << Out;
    EXPECT_NE(Out.find("550: 5.1.1 No such user here"), std::string::npos) << Out;
    EXPECT_TRUE(Server.Bodies.empty());
}

TEST(SmtpCli, BadArgumentsExitTwo) {
    if (!std::filesystem::exists(Tool())) GTEST_SKIP() << "qel-mail not built";
    std::string Out;
    EXPECT_EQ(RunTool(Tool() + " send --host 127.0.0.1", Out), 2);
    EXPECT_NE(Out.find("required"), std::string::npos) << Out;
    EXPECT_NE(Out.find("qel-mail send --help"), std::string::npos) << Out;
    Out.clear();
    EXPECT_EQ(RunTool(Tool() + " no-such-command", Out), 2);
}

TEST(SmtpCli, SecuredSendFailsWhenTheServerCannotSecureIt) {
    if (!std::filesystem::exists(Tool())) GTEST_SKIP() << "qel-mail not built";
    const auto Pw =
        std::filesystem::temp_directory_path() / ("qel-cli-pw-" + std::to_string(::getpid()));
    std::ofstream(Pw) << "cli-secret\n";
    TFakeSmtpServer Server;
    Server.OnCommand = [](const std::string& Cmd) {
        if (Cmd.rfind("EHLO", 0) == 0) return Say("250-fake.test\r\n250 AUTH PLAIN\r\n");
        return TFakeSmtpServer::Standard(Cmd);
    };
    Server.Start();
    std::string Out;
    int Rc = RunTool(SendCmd(Server.Port(), "bob@example.test") +
                         " --security starttls --user alice --password-file " + Pw.string(),
                     Out);
    Server.Stop();
    std::filesystem::remove(Pw);
    EXPECT_EQ(Rc, 1) << Out;
    EXPECT_NE(Out.find("3001: The server does not offer STARTTLS"), std::string::npos) << Out;
    EXPECT_EQ(Out.find("cli-secret"), std::string::npos) << Out;
    for (const auto& C : Server.Commands)
        EXPECT_NE(C.rfind("AUTH", 0), 0u) << C;
}

TEST(SmtpCli, SecurityOptionsAreChecked) {
    if (!std::filesystem::exists(Tool())) GTEST_SKIP() << "qel-mail not built";
    const std::string Base =
        Tool() + " send --host 127.0.0.1 --from a@example.test --to b@example.test";
    for (const char* Bad : {" --security ssl", " --user alice", " --auth cram", " --ca-file"}) {
        std::string Out;
        EXPECT_EQ(RunTool(Base + Bad, Out), 2) << Bad << "\n" << Out;
    }
}

TEST(SmtpCli, EncodeWritesWhatCoreutilsBase64Writes) {
    if (!std::filesystem::exists(Tool())) GTEST_SKIP() << "qel-mail not built";
    const auto Dir =
        std::filesystem::temp_directory_path() / ("qel-cli-encode-" + std::to_string(::getpid()));
    std::filesystem::create_directories(Dir);
    std::mt19937 Gen(3);
    // Around one line and one block, and enough lines for several batches of writes.
    for (std::size_t Size : {0u, 57u, 58u, 2281u, 300001u}) {
        SCOPED_TRACE(Size);
        const auto File = Dir / ("f" + std::to_string(Size));
        {
            std::ofstream Out(File, std::ios::binary);
            for (std::size_t I = 0; I < Size; ++I)
                Out.put(static_cast<char>(Gen()));
        }
        std::string Ours, Reference;
        EXPECT_EQ(RunTool(Tool() + " encode " + File.string(), Ours), 0);
        EXPECT_EQ(RunTool("base64 " + File.string(), Reference), 0);
        EXPECT_EQ(Ours, Reference);
    }
    std::string Out;
    EXPECT_EQ(RunTool(Tool() + " encode " + (Dir / "missing").string(), Out), 1);
    EXPECT_NE(Out.find("Cannot open file"), std::string::npos) << Out;
    std::filesystem::remove_all(Dir);
}

} // namespace
