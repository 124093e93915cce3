#include "toolkit/platform/DynLib.h"

#include "toolkit/platform/Environment.h"
#include "toolkit/platform/Kernel.h"

#include <cctype>
#include <dlfcn.h>
#include <filesystem>

#ifndef QEL_PLUGIN_RELDIR
#define QEL_PLUGIN_RELDIR "qel"
#endif

namespace qel {

namespace {

thread_local std::string LastText;

std::string Normalise(std::string Name) {
    for (char& C : Name)
        C = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
    if (Name.size() > 4 && Name.compare(Name.size() - 4, 4, ".dll") == 0)
        Name.erase(Name.size() - 4);
    return Name;
}

void AddIfNew(std::vector<std::string>& List, const std::string& S) {
    for (const std::string& X : List)
        if (X == S) return;
    List.push_back(S);
}

} // namespace

std::vector<std::string> SharedObjectCandidates(const std::string& WindowsName) {
    if (WindowsName.find('/') != std::string::npos) return {WindowsName};
    // Already a shared object's name ("libm.so.6"): nothing to map.
    if (WindowsName.size() > 3 && (WindowsName.compare(WindowsName.size() - 3, 3, ".so") == 0 ||
                                   WindowsName.find(".so.") != std::string::npos))
        return {WindowsName};
    const std::string Name = Normalise(WindowsName);
    std::vector<std::string> R;
    if (Name.empty()) return R;
    if (Name == "mapi32") {
        if (auto Env = GetEnvironmentValue("QEL_MAPI_LIBRARY"); Env && !Env->empty())
            R.push_back(*Env);
        R.push_back("libqelmapi.so");
        return R;
    }
    R.push_back("lib" + Name + ".so");
    return R;
}

std::vector<std::string> LibrarySearchPaths(const std::string& Candidate) {
    namespace fs = std::filesystem;
    if (Candidate.find('/') != std::string::npos) return {Candidate};
    std::vector<std::string> Folders;
    const std::string Extra = GetEnvironmentOr("QEL_LIBRARY_PATH", "");
    for (std::size_t I = 0; I <= Extra.size();) {
        std::size_t E = Extra.find(':', I);
        if (E == std::string::npos) E = Extra.size();
        if (E > I) Folders.push_back(Extra.substr(I, E - I));
        I = E + 1;
    }
    if (std::string Exe = ExecutableDirectory(); !Exe.empty()) {
        Folders.push_back((fs::path(Exe).parent_path() / "lib").string());
        Folders.push_back(Exe);
    }
    if (std::string Own = ModuleDirectory(reinterpret_cast<const void*>(&LoadLibraryA));
        !Own.empty()) {
        Folders.push_back(Own);
        // Installed, the run-time providers are plug-ins in a folder of their own below the
        // libraries (the build tree keeps them beside the toolkit).
        Folders.push_back((fs::path(Own) / QEL_PLUGIN_RELDIR).lexically_normal().string());
    }
    std::vector<std::string> R;
    for (const std::string& F : Folders)
        AddIfNew(R, (fs::path(F) / Candidate).string());
    AddIfNew(R, Candidate); // the loader's own search
    return R;
}

HMODULE LoadLibraryA(LPCSTR FileName) {
    LastText.clear();
    if (!FileName || !*FileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        LastText = "no library name given";
        return nullptr;
    }
    for (const std::string& Candidate : SharedObjectCandidates(FileName)) {
        for (const std::string& Path : LibrarySearchPaths(Candidate)) {
            // A path that is not there needs no attempt (and no message).
            if (Path.find('/') != std::string::npos && !std::filesystem::exists(Path)) continue;
            if (void* H = ::dlopen(Path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
                LastText.clear();
                return static_cast<HMODULE>(H);
            }
            const char* E = ::dlerror();
            LastText += (LastText.empty() ? "" : "; ") + std::string(E ? E : Path);
        }
    }
    if (LastText.empty()) LastText = std::string("no shared object found for ") + FileName;
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

FARPROC GetProcAddress(HMODULE Module, LPCSTR ProcName) {
    if (!Module || !ProcName) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    ::dlerror();
    void* P = ::dlsym(static_cast<void*>(Module), ProcName);
    if (const char* E = ::dlerror(); E || !P) {
        LastText = E ? E : std::string(ProcName) + " not found";
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(P);
}

BOOL FreeLibrary(HMODULE Module) {
    if (!Module) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return ::dlclose(static_cast<void*>(Module)) == 0 ? 1 : 0;
}

std::string DynLibErrorText() {
    return LastText;
}

} // namespace qel
