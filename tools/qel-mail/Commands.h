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
};

// Adds a command to the table; the result only exists to allow static registration.
bool RegisterMailCommand(TMailCommand Command);
// The table, sorted by name.
const std::vector<TMailCommand>& MailCommands();

} // namespace qel
