#pragma once
// The subcommands of qel-mail. Each command lives in a file of its own and registers itself
// at load time through a static RegisterMailCommand call, so adding a command never touches
// main or the other commands:
//
//     const bool Registered = RegisterMailCommand({"send", "send --host H ...", RunSend});
#include <functional>
#include <string>
#include <vector>

namespace qel {

struct TMailCommand {
    std::string Name;  // the word after "qel-mail"
    std::string Usage; // one line for the help text, starting with the name
    // Receives the arguments after the command's name; the result is the exit status.
    std::function<int(const std::vector<std::string>& Args)> Run;
    // What "qel-mail NAME --help" prints after the usage line: a line saying what the command
    // does, then paragraphs and items in the layout of tools/common/ToolMain.h.
    std::string Help;
};

// A usage error of a command: the problem and where its help is, exit status 2.
int CommandUsageError(const std::string& Command, const std::string& Problem);

// Adds a command to the table; the result only exists to allow static registration.
bool RegisterMailCommand(TMailCommand Command);
// The table, sorted by name.
const std::vector<TMailCommand>& MailCommands();

} // namespace qel
