#pragma once
// Command line of qel-render. Every option is one row of a table (Options.cpp): a new option
// adds a field here and a row there, and the usage text follows from the table.
#include <optional>
#include <string>

namespace qel::render {

struct TRenderOptions {
    std::string Form;   // the form file to load
    std::string Output; // the PNG to write
    int Width = 0;      // client size to set before showing; 0 keeps the form's own
    int Height = 0;
    // Milliseconds the application loop runs after the form is shown (timers, thread timers
    // and what they paint); without it the form is written as it first paints.
    std::optional<int> RunMs;
    // Name of a control the pointer rests on until its hint shows; the picture then holds the
    // form and the hint window as the screen shows them.
    std::string Hover;
};

// Fills Options from the arguments; on a mistake returns false and says why in Error.
bool ParseOptions(int Argc, const char* const* Argv, TRenderOptions& Options, std::string& Error);
// What --help prints: synopsis, description, one line per option, exit status.
std::string HelpText();

} // namespace qel::render
