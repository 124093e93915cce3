// qel-mail: command-line front end of the mail components. The commands are in a table that
// the command files fill themselves (Commands.h).
#include "tools/qel-mail/Commands.h"
#include "tools/common/ToolMain.h"

#include <algorithm>
#include <iostream>

namespace qel {

namespace {
std::vector<TMailCommand>& Table() {
    // Built on first use: registrations run during static initialisation of other files.
    static std::vector<TMailCommand> Commands;
    return Commands;
}
} // namespace

bool RegisterMailCommand(TMailCommand Command) {
    auto& T = Table();
    auto At =
        std::lower_bound(T.begin(), T.end(), Command.Name,
                         [](const TMailCommand& C, const std::string& N) { return C.Name < N; });
    T.insert(At, std::move(Command));
    return true;
}

const std::vector<TMailCommand>& MailCommands() {
    return Table();
}

int CommandUsageError(const std::string& Command, const std::string& Problem) {
    return tool::UsageError("qel-mail " + Command, Problem);
}

} // namespace qel

namespace {

// The whole help: every command's usage line, then each command's own help as a section.
std::string Help() {
    std::string H;
    bool First = true;
    for (const auto& C : qel::MailCommands()) {
        H += (First ? "Usage: qel-mail " : "       qel-mail ") + C.Usage + "\n";
        First = false;
    }
    H += "       qel-mail COMMAND --help\n"
         "Sends, retrieves, encodes and parses mail with the mail components.\n"
         "\n"
         "qel-mail COMMAND --help prints the help of one command.\n"
         "\n"
         "Options:\n"
         "  --help       print this help and exit\n"
         "  --version    print the version and exit\n";
    for (const auto& C : qel::MailCommands()) {
        if (C.Help.empty()) continue;
        H += "\nCommand " + C.Name + ":\n" + C.Help;
    }
    H += "\n";
    H += qel::tool::ExitStatusHelp;
    return H;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return qel::tool::UsageError("qel-mail", "no command given");
    const std::string Name = argv[1];
    if (Name == "--help" || Name == "-h" || Name == "help") return qel::tool::PrintHelp(Help());
    if (Name == "--version") return qel::tool::PrintVersion("qel-mail");
    for (const auto& C : qel::MailCommands()) {
        if (C.Name != Name) continue;
        std::vector<std::string> Args(argv + 2, argv + argc);
        for (const std::string& A : Args) {
            if (A != "--help" && A != "-h") continue;
            std::string H = "Usage: qel-mail " + C.Usage + "\n" + C.Help;
            if (C.Help.empty()) H += "\n";
            return qel::tool::PrintHelp(H + "\n" + qel::tool::ExitStatusHelp);
        }
        return C.Run(Args);
    }
    return qel::tool::UsageError("qel-mail", "unknown command \"" + Name + "\"");
}
