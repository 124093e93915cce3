// qel-gallery [-o gallery.png] [--page NAME | --form FILE] [--list]
// The gallery of the visual package: the main gallery form and one page form per component
// family, each with its components in typical settings. With -o (or without a display) every
// page is drawn headless and the pages are written one under another into one PNG; --page draws
// only that page. With a display the pages open in windows, the main gallery as the main form.
// The forms are built into the program; --form reads another form file instead.
#include "GalleryPages.h"
#include "toolkit/controls/Forms.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/graphics/PngCodec.h"
#include "toolkit/platform/Headless.h"
#include "toolkit/platform/Window.h"
#include "tools/common/ToolMain.h"
#include "visual/Brisca40.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace qel;

namespace {

const std::string Help = std::string(
    "Usage: qel-gallery [-o OUT.png] [--page NAME | --form FILE] [--list]\n"
    "Shows the gallery of the visual package's components.\n"
    "\n"
    "With a display the gallery's pages open in windows. With -o, without a display or with\n"
    "QEL_BACKEND=headless every page is drawn headless and the pages are written one under\n"
    "another into one PNG picture (gallery.png unless -o names another).\n"
    "\n"
    "Options:\n"
    "  -o OUT.png     draw headless into OUT.png\n"
    "  --page NAME    only the page NAME (--list names them)\n"
    "  --form FILE    a form file of your own instead of the built-in pages\n"
    "  --list         print the names of the pages and exit\n"
    "  --help         print this help and exit\n"
    "  --version      print the version and exit\n"
    "\n"
    "Environment:\n"
    "  DISPLAY        the X display to open; one that cannot be opened is an error\n"
    "  QEL_BACKEND    headless to draw without a display even when DISPLAY is set\n"
    "\n") + qel::tool::ExitStatusHelp;

int Usage(const std::string& Problem) {
    return qel::tool::UsageError("qel-gallery", Problem);
}

// Grey between stacked pages, so each page's own edge stays visible.
constexpr std::uint32_t PageGapColour = 0x00404040;
constexpr int PageGap = 8;

std::unique_ptr<TForm> LoadForm(const std::string& Page, const std::string& FormFile) {
    auto Form = std::make_unique<TForm>(nullptr);
    if (!FormFile.empty())
        gallery::LoadFormFile(*Form, FormFile);
    else
        gallery::LoadPage(*Form, Page);
    return Form;
}

} // namespace

int main(int Argc, char** Argv) {
    std::string Out, FormFile, Page;
    bool List = false;
    for (int I = 1; I < Argc; ++I) {
        std::string A = Argv[I];
        if (A == "--help" || A == "-h") return qel::tool::PrintHelp(Help);
        if (A == "--version") return qel::tool::PrintVersion("qel-gallery");
        if (A == "-o" && I + 1 < Argc)
            Out = Argv[++I];
        else if (A == "--form" && I + 1 < Argc)
            FormFile = Argv[++I];
        else if (A == "--page" && I + 1 < Argc)
            Page = Argv[++I];
        else if (A == "--list")
            List = true;
        else
            return Usage(A[0] == '-' ? "unknown option or missing value: " + A : "unexpected " + A);
    }
    if (!FormFile.empty() && !Page.empty()) return Usage("--page and --form exclude each other");
    RegisterBrisca40Classes();
    if (List) {
        for (const std::string& Name : gallery::PageNames())
            std::printf("%s\n", Name.c_str());
        return 0;
    }
    std::vector<std::string> Pages;
    if (!Page.empty())
        Pages.push_back(Page);
    else if (FormFile.empty())
        Pages = gallery::PageNames();
    else
        Pages.emplace_back();

    const char* Display = std::getenv("DISPLAY");
    const char* Want = std::getenv("QEL_BACKEND");
    const bool Window = Out.empty() && Display && *Display && !(Want && std::string(Want) == "headless");
    if (!Window) {
        SetBackend(std::make_unique<THeadlessBackend>());
        if (Out.empty()) Out = "gallery.png";
    }
    try {
        if (Window) {
            std::vector<std::unique_ptr<TForm>> Forms;
            for (const std::string& Name : Pages)
                Forms.push_back(LoadForm(Name, FormFile));
            for (std::size_t I = 1; I < Forms.size(); ++I)
                Forms[I]->Show();
            Application->SetMainForm(Forms.front().get());
            Application->Run();
            return 0;
        }
        std::vector<TSurface> Pictures;
        for (const std::string& Name : Pages) {
            std::unique_ptr<TForm> Form = LoadForm(Name, FormFile);
            Pictures.push_back(gallery::RenderForm(*Form));
        }
        SavePng(gallery::StackVertically(Pictures, PageGap, PageGapColour), Out);
        std::printf("%s\n", Out.c_str());
    } catch (const std::exception& E) {
        std::fprintf(stderr, "qel-gallery: %s\n", E.what());
        return 1;
    }
    return 0;
}
