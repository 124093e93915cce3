#include "tools/qel-mail/MailOutput.h"

#include "toolkit/core/Exceptions.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace qel {

std::string TSavedNames::Next(const std::string& Name) {
    std::string Base;
    for (char C : Name)
        Base += (C == '/' || C == '\\' || C == '\0') ? '_' : C;
    if (Base.empty() || Base == "." || Base == "..") Base = "_Cosa_";
    std::string Candidate = Base;
    for (int N = 2; Used_.count(Candidate); ++N) {
        std::size_t Dot = Base.rfind('.');
        if (Dot == std::string::npos || Dot == 0)
            Candidate = Base + "-" + std::to_string(N);
        else
            Candidate = Base.substr(0, Dot) + "-" + std::to_string(N) + Base.substr(Dot);
    }
    Used_.insert(Candidate);
    return Candidate;
}

void WriteAttachmentFile(const std::string& Dir, const std::string& Name, std::string_view Bytes) {
    std::error_code Ec;
    std::filesystem::create_directories(Dir, Ec);
    const std::string Path = (std::filesystem::path(Dir) / Name).string();
    std::FILE* F = std::fopen(Path.c_str(), "wb");
    if (!F) throw EFCreateError("Cannot create file \"" + Path + "\". " + std::strerror(errno));
    bool Ok = std::fwrite(Bytes.data(), 1, Bytes.size(), F) == Bytes.size();
    Ok = std::fclose(F) == 0 && Ok;
    if (!Ok) throw EFCreateError("Cannot write file \"" + Path + "\"");
}

} // namespace qel
