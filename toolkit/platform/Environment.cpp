#include "toolkit/platform/Environment.h"

#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

namespace qel {

std::optional<std::string> GetEnvironmentValue(const std::string& Name) {
    const char* V = std::getenv(Name.c_str());
    if (!V) return std::nullopt;
    return std::string(V);
}

std::string GetEnvironmentOr(const std::string& Name, const std::string& Default) {
    auto V = GetEnvironmentValue(Name);
    return V && !V->empty() ? *V : Default;
}

std::string HomeDirectory() {
    if (auto H = GetEnvironmentValue("HOME"); H && !H->empty()) return *H;
    passwd Entry{};
    passwd* Found = nullptr;
    char Buf[4096];
    if (::getpwuid_r(::getuid(), &Entry, Buf, sizeof Buf, &Found) == 0 && Found && Found->pw_dir)
        return Found->pw_dir;
    return "/";
}

std::string ExecutableDirectory() {
    std::error_code Ec;
    auto P = std::filesystem::read_symlink("/proc/self/exe", Ec);
    if (Ec) return {};
    return P.parent_path().string();
}

std::string ModuleDirectory(const void* Address) {
    Dl_info Info{};
    if (!::dladdr(Address, &Info) || !Info.dli_fname || !*Info.dli_fname) return {};
    std::error_code Ec;
    auto P = std::filesystem::weakly_canonical(Info.dli_fname, Ec);
    if (Ec) P = Info.dli_fname;
    return P.parent_path().string();
}

} // namespace qel
