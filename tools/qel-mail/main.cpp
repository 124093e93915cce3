// qel-mail: command-line front end of the mail components. The commands are in a table that
// the command files fill themselves (Commands.h).
#include "tools/qel-mail/Commands.h"

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

} // namespace qel

namespace {
void Usage(std::ostream& Out) {
    Out << "usage: qel-mail COMMAND [ARGS]\ncommands:\n";
    for (const auto& C : qel::MailCommands())
        Out << "  qel-mail " << C.Usage << "\n";
}
} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        Usage(std::cerr);
        return 2;
    }
    const std::string Name = argv[1];
    if (Name == "--help" || Name == "-h" || Name == "help") {
        Usage(std::cout);
        return 0;
    }
    for (const auto& C : qel::MailCommands()) {
        if (C.Name == Name) return C.Run(std::vector<std::string>(argv + 2, argv + argc));
    }
    std::cerr << "qel-mail: unknown command \"" << Name << "\"\n";
    Usage(std::cerr);
    return 2;
}
