// qel-reg: reads and changes the registry store from the shell.
//
//   qel-reg get KEY              the key's values (in the store's file format) and subkeys
//   qel-reg get KEY NAME         one value: a string as it is, a number in decimal
//   qel-reg set [--type sz|expand|dword] KEY [NAME VALUE]
//                                creates KEY, and sets the value NAME when given
//   qel-reg delete KEY [NAME]    deletes the value NAME, or KEY with everything below it
//   qel-reg path                 the store file in use
//
// KEY is a full path from a root key: HKEY_CURRENT_USER\Software\QEL (or HKCU\..., likewise
// HKLM, HKCR, HKU); "/" may stand for "\". NAME "@" or "" is the unnamed value.
// Exit status: 0 done, 1 key or value not found, 2 wrong usage, 3 the store failed.
#include "toolkit/platform/Registry.h"

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

int Usage() {
    std::cerr << "usage: qel-reg get KEY [NAME]\n"
                 "       qel-reg set [--type sz|expand|dword] KEY [NAME VALUE]\n"
                 "       qel-reg delete KEY [NAME]\n"
                 "       qel-reg path\n";
    return 2;
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
    if (K.Path.empty() || (Rest.size() != 0 && Rest.size() != 2)) return Usage();
    TRegistry Reg;
    Reg.SetRootKey(K.Root);
    if (!Reg.OpenKey(K.Path, true)) {
        std::cerr << "qel-reg: cannot create " << FullPath(K) << "\n";
        return 3;
    }
    if (Rest.empty()) return 0;
    const std::string Name = ValueName(Rest[0]);
    if (Type == "dword") {
        char* End = nullptr;
        long long V = std::strtoll(Rest[1].c_str(), &End, 0);
        if (Rest[1].empty() || *End || V < INT32_MIN || V > UINT32_MAX) {
            std::cerr << "qel-reg: not a 32-bit number: " << Rest[1] << "\n";
            return 2;
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
    if (K.Path.empty() || Rest.size() > 1) return Usage();
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
    if (Args.empty()) return Usage();
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
            return Usage();
        }
        if (Type != "sz" && Type != "expand" && Type != "dword") return Usage();
    }
    try {
        if (Cmd == "path") {
            std::cout << RegistryFilePath() << "\n";
            return 0;
        }
        if (Args.empty()) return Usage();
        KeyArg K;
        if (!ParseKey(Args[0], K)) {
            std::cerr << "qel-reg: unknown root key in " << Args[0] << "\n";
            return 2;
        }
        std::vector<std::string> Rest(Args.begin() + 1, Args.end());
        if (Cmd == "get" && Rest.size() <= 1) return Get(K, Rest);
        if (Cmd == "set") return Set(K, Type, Rest);
        if (Cmd == "delete") return Delete(K, Rest);
        return Usage();
    } catch (const std::exception& E) {
        std::cerr << "qel-reg: " << E.what() << "\n";
        return 3;
    }
}
