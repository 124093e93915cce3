// qel-reg: reads and changes the registry store from the shell (help text below).
#include "toolkit/platform/Registry.h"
#include "tools/common/ToolMain.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

using namespace qel;

namespace {

constexpr const char* Name = "qel-reg";

const std::string Help = std::string(
    "Usage: qel-reg get KEY [NAME]\n"
    "       qel-reg set [--type sz|expand|dword] KEY [NAME VALUE]\n"
    "       qel-reg delete KEY [NAME]\n"
    "       qel-reg path\n"
    "Reads and changes the registry store of the QEL toolkit.\n"
    "\n"
    "KEY is a full path from a root key: HKEY_CURRENT_USER\\Software\\QEL, or with the short\n"
    "root names HKCU, HKLM, HKCR and HKU; \"/\" may stand for \"\\\". NAME \"@\" or \"\" is the\n"
    "unnamed value.\n"
    "\n"
    "Commands:\n"
    "  get KEY          print the key's values (in the store's file format) and subkeys\n"
    "  get KEY NAME     print one value: a string as it is, a number in decimal\n"
    "  set KEY          create KEY (and its parents)\n"
    "  set KEY NAME V   create KEY and set its value NAME to V\n"
    "  delete KEY       delete KEY with everything below it\n"
    "  delete KEY NAME  delete the value NAME of KEY\n"
    "  path             print the name of the store file in use\n"
    "\n"
    "Options:\n"
    "  --type T         the type set writes: sz (string, the default), expand (string with\n"
    "                   environment references) or dword (32-bit number)\n"
    "  --help           print this help and exit\n"
    "  --version        print the version and exit\n"
    "\n"
    "Environment:\n"
    "  QEL_REGISTRY     the store file (default: ~/.config/qel/registry)\n"
    "\n") + qel::tool::ExitStatusHelp +
    "  A key or value that does not exist, and a store that cannot be read or written (a\n"
    "  message names the file), are failures.\n";

int Usage(const std::string& Problem = "wrong arguments") {
    return qel::tool::UsageError(Name, Problem);
}

struct KeyArg {
    HKEY Root = nullptr;
    std::string Path;
};

bool ParseKey(std::string S, KeyArg& K) {
    for (char& C : S)
        if (C == '/') C = '\\';
    std::size_t Sep = S.find('\\');
    std::string Root = S.substr(0, Sep);
    for (char& C : Root)
        C = static_cast<char>(std::toupper(static_cast<unsigned char>(C)));
    if (Root == "HKCR" || Root == "HKEY_CLASSES_ROOT")
        K.Root = HKEY_CLASSES_ROOT;
    else if (Root == "HKCU" || Root == "HKEY_CURRENT_USER")
        K.Root = HKEY_CURRENT_USER;
    else if (Root == "HKLM" || Root == "HKEY_LOCAL_MACHINE")
        K.Root = HKEY_LOCAL_MACHINE;
    else if (Root == "HKU" || Root == "HKEY_USERS")
        K.Root = HKEY_USERS;
    else
        return false;
    K.Path = Sep == std::string::npos ? std::string() : S.substr(Sep + 1);
    return true;
}

std::string ValueName(const std::string& N) {
    return N == "@" ? std::string() : N;
}

std::string FullPath(const KeyArg& K) {
    return RootKeyName(K.Root) + (K.Path.empty() ? "" : "\\" + K.Path);
}

int Get(const KeyArg& K, const std::vector<std::string>& Rest) {
    TRegistryView View;
    const std::string Full = FullPath(K);
    if (!View.KeyExists(Full)) {
        std::cerr << "qel-reg: no key " << Full << "\n";
        return 1;
    }
    if (Rest.empty()) {
        TRegistryData One;
        TRegKey& Key = One.Create(Full);
        for (const std::string& N : View.ValueNames(Full))
            if (auto V = View.Value(Full, N)) Key.Values.push_back(*V);
        std::string Text = FormatRegistry(One);
        // Only this key's own section: skip the header and the ancestors' empty sections.
        std::size_t At = Text.rfind("\n[");
        std::cout << Text.substr(At + 1);
        for (const std::string& Sub : View.SubKeyNames(Full))
            std::cout << "; subkey " << Sub << "\n";
        return 0;
    }
    auto V = View.Value(Full, ValueName(Rest[0]));
    if (!V) {
        std::cerr << "qel-reg: no value \"" << Rest[0] << "\" in " << Full << "\n";
        return 1;
    }
    if (V->Type == REG_DWORD && V->Data.size() == 4) {
        std::int32_t X;
        std::memcpy(&X, V->Data.data(), 4);
        std::cout << X << "\n";
    } else if (V->Type == REG_SZ || V->Type == REG_EXPAND_SZ) {
        std::cout << V->Data.c_str() << "\n";
    } else {
        for (unsigned char C : V->Data)
            std::printf("%02x", C);
        std::printf("\n");
    }
    return 0;
}

int Set(const KeyArg& K, const std::string& Type, const std::vector<std::string>& Rest) {
    if (K.Path.empty()) return Usage("set needs a key below the root key");
    if (Rest.size() != 0 && Rest.size() != 2) return Usage("set takes a value name and a value");
    TRegistry Reg;
    Reg.SetRootKey(K.Root);
    if (!Reg.OpenKey(K.Path, true)) {
        std::cerr << "qel-reg: cannot create " << FullPath(K) << "\n";
        return 1;
    }
    if (Rest.empty()) return 0;
    const std::string Name = ValueName(Rest[0]);
    if (Type == "dword") {
        char* End = nullptr;
        long long V = std::strtoll(Rest[1].c_str(), &End, 0);
        if (Rest[1].empty() || *End || V < INT32_MIN || V > UINT32_MAX) {
            return Usage("not a 32-bit number: " + Rest[1]);
        }
        Reg.WriteInteger(Name, static_cast<int>(static_cast<std::uint32_t>(V)));
    } else if (Type == "expand") {
        Reg.WriteExpandString(Name, Rest[1]);
    } else {
        Reg.WriteString(Name, Rest[1]);
    }
    return 0;
}

int Delete(const KeyArg& K, const std::vector<std::string>& Rest) {
    if (K.Path.empty()) return Usage("delete needs a key below the root key");
    if (Rest.size() > 1) return Usage("delete takes at most a value name");
    TRegistry Reg;
    Reg.SetRootKey(K.Root);
    if (Rest.empty()) {
        if (Reg.DeleteKey(K.Path)) return 0;
        std::cerr << "qel-reg: no key " << FullPath(K) << "\n";
        return 1;
    }
    if (Reg.OpenKey(K.Path, false) && Reg.DeleteValue(ValueName(Rest[0]))) return 0;
    std::cerr << "qel-reg: no value \"" << Rest[0] << "\" in " << FullPath(K) << "\n";
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> Args(argv + 1, argv + argc);
    for (const std::string& A : Args) {
        if (A == "--help" || A == "-h") return qel::tool::PrintHelp(Help);
        if (A == "--version") return qel::tool::PrintVersion(Name);
    }
    if (Args.empty()) return Usage("no command given");
    const std::string Cmd = Args[0];
    Args.erase(Args.begin());
    std::string Type = "sz";
    if (Cmd == "set" && !Args.empty() && Args[0].rfind("--type", 0) == 0) {
        if (Args[0].size() > 7 && Args[0][6] == '=') {
            Type = Args[0].substr(7);
            Args.erase(Args.begin());
        } else if (Args.size() >= 2) {
            Type = Args[1];
            Args.erase(Args.begin(), Args.begin() + 2);
        } else {
            return Usage("--type needs sz, expand or dword");
        }
        if (Type != "sz" && Type != "expand" && Type != "dword")
            return Usage("unknown type " + Type + " (sz, expand or dword)");
    }
    if (Cmd != "get" && Cmd != "set" && Cmd != "delete" && Cmd != "path")
        return Usage("unknown command \"" + Cmd + "\"");
    for (const std::string& A : Args)
        if (A.size() > 1 && A[0] == '-' && A[1] == '-') return Usage("unknown option " + A);
    try {
        if (Cmd == "path") {
            if (!Args.empty()) return Usage("path takes no arguments");
            std::cout << RegistryFilePath() << "\n";
            return 0;
        }
        if (Args.empty()) return Usage(Cmd + " needs a key");
        KeyArg K;
        if (!ParseKey(Args[0], K)) return Usage("unknown root key in " + Args[0]);
        std::vector<std::string> Rest(Args.begin() + 1, Args.end());
        if (Cmd == "get") {
            if (Rest.size() > 1) return Usage("get takes at most a value name");
            return Get(K, Rest);
        }
        if (Cmd == "set") return Set(K, Type, Rest);
        return Delete(K, Rest);
    } catch (const std::exception& E) {
        return qel::tool::Failure(Name, E.what());
    }
}
