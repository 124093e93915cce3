// Loading the component packages as plug-ins: both from the packages folder of the build,
// each registered once, and a folder with broken libraries still loading the good ones.
#include "toolkit/core/Exceptions.h"
#include "toolkit/designer/DesignPackages.h"
#include "toolkit/designer/DesignRegistry.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace qel;

namespace {

std::string PackagesFolder() {
    return std::string(QEL_BINARY_DIR) + "/lib/qel/packages";
}

std::vector<std::string> Pages() {
    std::vector<std::string> Out;
    for (const TPalettePage& P : PalettePages())
        Out.push_back(P.Name);
    return Out;
}

TEST(PackageLoad, BothPackagesRegisterTheirPagesOnceFromThePackagesFolder) {
    std::vector<std::string> Errors;
    auto Loaded = LoadDesignPackages(PackagesFolder(), Errors);
    EXPECT_TRUE(Errors.empty()) << (Errors.empty() ? "" : Errors[0]);
    ASSERT_EQ(Loaded.size(), 2u);
    auto P = Pages();
    for (const char* Name :
         {"QEL Zoradodo", "QEL Data-Aware", "QEL Dialogs", "QEL System", "QEL EMail"})
        EXPECT_NE(std::find(P.begin(), P.end(), Name), P.end()) << Name;
    // Classes of a loaded package are creatable by name, though nothing here links it.
    const TClass* Label = GetClass("TQELLabel");
    ASSERT_NE(Label, nullptr);
    std::unique_ptr<TObject> L(Label->CreateInstance(nullptr));
    EXPECT_EQ(L->ClassName(), "TQELLabel");

    // Again, through the same files: nothing is registered twice.
    std::size_t Before = 0;
    for (const TPalettePage& Page : PalettePages())
        Before += Page.Classes.size();
    auto Again = LoadDesignPackages(PackagesFolder(), Errors);
    EXPECT_EQ(Again.size(), 2u);
    std::size_t After = 0;
    for (const TPalettePage& Page : PalettePages())
        After += Page.Classes.size();
    EXPECT_EQ(After, Before);
    EXPECT_EQ(LoadedDesignPackages().size(), 2u);
}

TEST(PackageLoad, BrokenLibrariesAreReportedAndTheRestStillLoads) {
    namespace fs = std::filesystem;
    fs::path Dir = fs::temp_directory_path() / ("qel-packages-" + std::to_string(::getpid()));
    fs::create_directories(Dir);
    { std::ofstream(Dir / "libjunk.so") << "not a library"; }
    { std::ofstream(Dir / "notes.txt") << "ignored"; }
    // A real library without a Register procedure.
    fs::path Toolkit = fs::path(QEL_BINARY_DIR) / "lib" / "libqeltoolkit.so";
    fs::create_symlink(Toolkit, Dir / "libqeltoolkit.so");
    fs::create_symlink(fs::path(PackagesFolder()) / "libBrisca40.so", Dir / "libBrisca40.so");
    std::vector<std::string> Errors;
    auto Loaded = LoadDesignPackages(Dir.string(), Errors);
    ASSERT_EQ(Errors.size(), 2u);
    EXPECT_NE(Errors[0].find("libjunk.so"), std::string::npos) << Errors[0];
    EXPECT_NE(Errors[1].find("has no Register procedure"), std::string::npos) << Errors[1];
    EXPECT_EQ(Loaded.size(), 1u);
    EXPECT_THROW(LoadDesignPackage((Dir / "missing.so").string()), EPackageError);
    Errors.clear();
    EXPECT_TRUE(LoadDesignPackages((Dir / "nowhere").string(), Errors).empty());
    EXPECT_EQ(Errors.size(), 1u);
    fs::remove_all(Dir);
}

} // namespace
