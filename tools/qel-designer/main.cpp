// qel-designer [--packages DIR] [--script FILE | --headless] [FORM]
// The form designer. Component packages are loaded as plug-ins from DIR (default:
// $QEL_DESIGN_PACKAGES, else lib/qel/packages beside the program's lib folder); FORM is opened
// when given. With a display and no script the designer opens its window; otherwise commands
// (see --help) come from the script file, or from standard input, and drive the designer on
// the headless backend; the first failing command stops the run with its line and message and
// exit status 1.
#include "DesignerWindow.h"
#include "Script.h"
#include "toolkit/controls/Forms.h"
#include "toolkit/platform/Headless.h"
#include "toolkit/platform/Window.h"
#include "tools/common/ToolMain.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <unistd.h>

using namespace qel;

namespace {

std::string DefaultPackages() {
    if (const char* E = std::getenv("QEL_DESIGN_PACKAGES"); E && *E) return E;
    std::error_code Ec;
    auto Dir = std::filesystem::read_symlink("/proc/self/exe", Ec).parent_path();
    if (Ec) return "lib/qel/packages";
    for (const char* Rel : {QEL_PACKAGES_RELDIR, "../lib/qel/packages"})
        if (std::filesystem::is_directory(Dir / Rel, Ec)) return (Dir / Rel).lexically_normal();
    return (Dir / QEL_PACKAGES_RELDIR).lexically_normal();
}

std::string HelpText() {
    return std::string("Usage: qel-designer [--packages DIR] [--script FILE | --headless] [FORM]\n"
                       "Designs forms: drops, arranges and edits components of the loaded "
                       "packages and saves text or binary form files.\n"
                       "\n"
                       "The component packages are loaded as plug-ins from DIR. FORM is opened "
                       "first when given. With a display (DISPLAY set) and neither --script nor "
                       "--headless the designer opens its window. Otherwise commands come from "
                       "FILE, or from standard input, one a line, and drive the designer on the "
                       "headless backend; the first failing command stops the run with its line "
                       "and message.\n"
                       "\n"
                       "Options:\n"
                       "  --packages DIR    the packages folder (default: $QEL_DESIGN_PACKAGES, "
                       "else lib/qel/packages beside the program's folder)\n"
                       "  --script FILE     read the commands from FILE\n"
                       "  --headless        read the commands from standard input even with a "
                       "display\n"
                       "  --help            print this help and exit\n"
                       "  --version         print the version and exit\n"
                       "\n") +
           designer::TScript::UsageText() + "\n" + tool::ExitStatusHelp;
}

// The interactive designer on the display's backend, until its window closes.
int RunWindow(const std::string& Packages, const std::string& FormFile) {
    try {
        Backend(); // a display that does not open is reported here
        designer::TFormDesigner D;
        D.LoadPackages(Packages);
        for (const std::string& M : D.TakeMessages())
            std::cerr << "qel-designer: " << M << "\n";
        {
            designer::TDesignerWindow W(D);
            if (!FormFile.empty()) W.OpenForm(FormFile);
            Application->SetMainForm(&W);
            W.Show();
            Application->Run();
            Application->SetMainForm(nullptr);
        }
        return 0;
    } catch (const std::exception& E) {
        return tool::Failure("qel-designer", E.what());
    }
}

} // namespace

int main(int Argc, char** Argv) {
    std::string Packages = DefaultPackages(), ScriptFile, FormFile;
    bool Headless = false;
    for (int I = 1; I < Argc; ++I) {
        std::string A = Argv[I];
        if (A == "--help") return tool::PrintHelp(HelpText());
        if (A == "--version") return tool::PrintVersion("qel-designer");
        if (A == "--headless") {
            Headless = true;
            continue;
        }
        if ((A == "--packages" || A == "--script") && I + 1 < Argc)
            (A == "--packages" ? Packages : ScriptFile) = Argv[++I];
        else if (!A.empty() && A[0] == '-')
            return tool::UsageError("qel-designer", "unknown option " + A);
        else if (FormFile.empty())
            FormFile = A;
        else
            return tool::UsageError("qel-designer", "only one form file");
    }
    const char* Display = std::getenv("DISPLAY");
    const char* Want = std::getenv("QEL_BACKEND");
    bool Window = ScriptFile.empty() && !Headless && Display && *Display &&
                  !(Want && std::string(Want) == "headless");
    if (Window) return RunWindow(Packages, FormFile);
    SetBackend(std::make_unique<THeadlessBackend>(1024, 768));
    try {
        designer::TFormDesigner D;
        D.LoadPackages(Packages);
        for (const std::string& M : D.TakeMessages())
            std::cerr << "qel-designer: " << M << "\n";
        if (!FormFile.empty()) {
            D.Open(FormFile);
            for (const std::string& M : D.TakeMessages())
                std::cout << "message: " << M << "\n";
        }
        designer::TScript S(D, std::cout);
        std::ifstream File;
        if (!ScriptFile.empty()) {
            File.open(ScriptFile);
            if (!File) return tool::Failure("qel-designer", "cannot read " + ScriptFile);
        }
        std::string Error;
        int Line = S.RunAll(ScriptFile.empty() ? std::cin : File, Error);
        std::cout.flush();
        if (Line) {
            return tool::Failure("qel-designer", "line " + std::to_string(Line) + ": " + Error);
        }
        return 0;
    } catch (const std::exception& E) {
        return tool::Failure("qel-designer", E.what());
    }
}
