#include "toolkit/designer/DesignPackages.h"

#include "toolkit/core/Exceptions.h"
#include "toolkit/designer/RegistrationGroups.h"
#include "toolkit/platform/DynLib.h"

#include <algorithm>
#include <filesystem>

namespace qel {

namespace {

struct TLoaded {
    HMODULE Module;
    TDesignPackage Package;
};

std::vector<TLoaded>& Loaded() {
    static std::vector<TLoaded> L;
    return L;
}

bool IsSharedLibrary(const std::filesystem::path& P) {
    std::string Name = P.filename().string();
    std::size_t So = Name.find(".so");
    if (So == std::string::npos || So == 0) return false;
    std::string Rest = Name.substr(So + 3);
    // "libX.so" or "libX.so.1.2": only version numbers may follow.
    return Rest.empty() || (Rest[0] == '.' && std::all_of(Rest.begin(), Rest.end(), [](char C) {
                                return C == '.' || (C >= '0' && C <= '9');
                            }));
}

} // namespace

TDesignPackage LoadDesignPackage(const std::string& FileName) {
    std::string Path = FileName.find('/') == std::string::npos ? "./" + FileName : FileName;
    HMODULE M = LoadLibraryA(Path.c_str());
    if (!M) throw EPackageError("Cannot load package " + FileName + ": " + DynLibErrorText());
    for (const TLoaded& L : Loaded())
        if (L.Module == M) {
            FreeLibrary(M); // the loader counts references; keep one
            return L.Package;
        }
    using TRegisterProc = void (*)();
    auto Proc = reinterpret_cast<TRegisterProc>(GetProcAddress(M, "Register"));
    if (!Proc) {
        FreeLibrary(M);
        throw EPackageError("Package " + FileName + " has no Register procedure");
    }
    int Group = BeginRegistrationGroup(FileName);
    try {
        Proc();
    } catch (const std::exception& E) {
        EndRegistrationGroup();
        FreeRegistrationGroup(Group);
        // Its classes registered themselves while it loaded; it stays loaded for them.
        throw EPackageError("Package " + FileName + " failed to register: " + E.what());
    }
    EndRegistrationGroup();
    TDesignPackage P{FileName, Group};
    Loaded().push_back({M, P});
    return P;
}

std::vector<TDesignPackage> LoadDesignPackages(const std::string& Folder,
                                               std::vector<std::string>& Errors) {
    std::vector<TDesignPackage> Out;
    std::error_code Ec;
    std::vector<std::filesystem::path> Files;
    for (const auto& E : std::filesystem::directory_iterator(Folder, Ec))
        if (IsSharedLibrary(E.path())) Files.push_back(E.path());
    if (Ec) {
        Errors.push_back("Cannot read the package folder " + Folder + ": " + Ec.message());
        return Out;
    }
    std::sort(Files.begin(), Files.end());
    for (const auto& F : Files) {
        try {
            TDesignPackage P = LoadDesignPackage(F.string());
            bool Seen = std::any_of(Out.begin(), Out.end(),
                                    [&P](const TDesignPackage& Q) { return Q.Group == P.Group; });
            if (!Seen) Out.push_back(P);
        } catch (const Exception& E) {
            Errors.push_back(E.what());
        }
    }
    return Out;
}

std::vector<TDesignPackage> LoadedDesignPackages() {
    std::vector<TDesignPackage> Out;
    for (const TLoaded& L : Loaded())
        Out.push_back(L.Package);
    return Out;
}

} // namespace qel
