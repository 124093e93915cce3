#include "Options.h"

#include "toolkit/core/TextUtils.h"
#include "tools/common/ToolMain.h"

#include <functional>
#include <span>

namespace qel::render {

namespace {

struct TOptionRow {
    const char* Name;
    const char* Value; // placeholder shown in the usage text; nullptr for a flag
    const char* Help;
    // Stores the value; returns false (with Error set) when it is not acceptable.
    std::function<bool(TRenderOptions&, const std::string& Value, std::string& Error)> Apply;
};

const std::span<const TOptionRow> Rows() {
    static const TOptionRow Table[] = {
        {"-o", "OUT.png", "the picture to write",
         [](TRenderOptions& O, const std::string& V, std::string&) {
             O.Output = V;
             return true;
         }},
        {"--size", "WxH", "client size of the form",
         [](TRenderOptions& O, const std::string& V, std::string& Error) {
             const auto X = V.find('x');
             int W = 0, H = 0;
             if (X == std::string::npos || !TryStrToInt(V.substr(0, X), W) ||
                 !TryStrToInt(V.substr(X + 1), H) || W <= 0 || H <= 0) {
                 Error = "--size wants WIDTHxHEIGHT, both above 0, not \"" + V + "\"";
                 return false;
             }
             O.Width = W;
             O.Height = H;
             return true;
         }},
        {"--run", "MS", "run the application loop for MS milliseconds before writing",
         [](TRenderOptions& O, const std::string& V, std::string& Error) {
             int Ms = 0;
             // A day is far beyond any presentation and keeps the deadline arithmetic small.
             if (!TryStrToInt(V, Ms) || Ms < 0 || Ms > 86'400'000) {
                 Error = "--run wants milliseconds from 0 to 86400000, not \"" + V + "\"";
                 return false;
             }
             O.RunMs = Ms;
             return true;
         }},
        {"--hover", "NAME", "rest the pointer on control NAME until its hint shows",
         [](TRenderOptions& O, const std::string& V, std::string& Error) {
             if (V.empty() || V[0] == '-') {
                 Error = "--hover wants the name of a control, not \"" + V + "\"";
                 return false;
             }
             O.Hover = V;
             return true;
         }},
    };
    return Table;
}

} // namespace

bool ParseOptions(int Argc, const char* const* Argv, TRenderOptions& Options, std::string& Error) {
    for (int I = 1; I < Argc; ++I) {
        const std::string A = Argv[I];
        const TOptionRow* Row = nullptr;
        for (const TOptionRow& R : Rows())
            if (A == R.Name) Row = &R;
        if (Row) {
            std::string Value;
            if (Row->Value) {
                if (I + 1 >= Argc) {
                    Error = A + " needs a value (" + Row->Value + ")";
                    return false;
                }
                Value = Argv[++I];
            }
            if (!Row->Apply(Options, Value, Error)) return false;
        } else if (!A.empty() && A[0] != '-' && Options.Form.empty()) {
            Options.Form = A;
        } else {
            Error = A.empty() || A[0] != '-' ? "more than one form file: \"" + A + "\""
                                             : "unknown option " + A;
            return false;
        }
    }
    if (Options.Form.empty())
        Error = "no form file given";
    else if (Options.Output.empty())
        Error = "no output file given (-o OUT.png)";
    return Error.empty();
}

std::string HelpText() {
    std::string S = "Usage: qel-render FORM -o OUT.png [options]\n"
                    "Draws a form file to a PNG picture without a display.\n"
                    "\n"
                    "FORM is a text or binary form file; every class of the visual and mail "
                    "packages can be in it. The form is drawn by the headless backend, with the "
                    "same pixels a window shows. Event handlers that no code backs are reported "
                    "and left unassigned.\n"
                    "\n"
                    "Options:\n";
    auto Item = [&S](std::string Left, const char* Help) {
        Left = "  " + Left;
        if (Left.size() < 18) Left.resize(18, ' ');
        S += Left + "  " + Help + "\n";
    };
    for (const TOptionRow& R : Rows())
        Item(std::string(R.Name) + (R.Value ? std::string(" ") + R.Value : ""), R.Help);
    Item("--help", "print this help and exit");
    Item("--version", "print the version and exit");
    return S + "\n" + qel::tool::ExitStatusHelp;
}

} // namespace qel::render
