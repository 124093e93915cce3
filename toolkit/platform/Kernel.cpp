#include "toolkit/platform/Kernel.h"

#include "toolkit/platform/Environment.h"
#include "toolkit/platform/RegistryApi.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace qel {

namespace {
thread_local DWORD LastError = 0;
std::atomic<UINT> ErrorMode{0};
} // namespace

DWORD GetLastError() {
    return LastError;
}
void SetLastError(DWORD Code) {
    LastError = Code;
}

DWORD GetTickCount() {
    timespec T{};
    ::clock_gettime(CLOCK_MONOTONIC, &T);
    const unsigned long long Ms = static_cast<unsigned long long>(T.tv_sec) * 1000ULL +
                                  static_cast<unsigned long long>(T.tv_nsec) / 1000000ULL;
    return static_cast<DWORD>(Ms); // wraps like the original counter
}

void Sleep(DWORD Milliseconds) {
    timespec Req{static_cast<time_t>(Milliseconds / 1000),
                 static_cast<long>(Milliseconds % 1000) * 1000000L};
    // Signals must not shorten the pause.
    while (::nanosleep(&Req, &Req) != 0 && errno == EINTR) {
    }
}

DWORD SleepEx(DWORD Milliseconds, BOOL) {
    Sleep(Milliseconds);
    return 0;
}

BOOL GetVersionExA(OSVERSIONINFOA* Info) {
    if (!Info || Info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    DWORD Major = 4, Minor = 0, Build = 1381;
    if (auto V = GetEnvironmentValue("QEL_WINDOWS_VERSION"); V && !V->empty()) {
        unsigned long A = 0, B = 0, C = Build;
        char Dot1 = 0, Dot2 = 0;
        int N = std::sscanf(V->c_str(), "%lu%c%lu%c%lu", &A, &Dot1, &B, &Dot2, &C);
        if (N >= 3 && Dot1 == '.' && (N < 4 || Dot2 == '.')) {
            Major = static_cast<DWORD>(A);
            Minor = static_cast<DWORD>(B);
            Build = N == 5 ? static_cast<DWORD>(C) : 0;
        }
    }
    Info->dwMajorVersion = Major;
    Info->dwMinorVersion = Minor;
    Info->dwBuildNumber = Build;
    Info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    std::memset(Info->szCSDVersion, 0, sizeof Info->szCSDVersion);
    return 1;
}

UINT SetErrorMode(UINT Mode) {
    return ErrorMode.exchange(Mode);
}

int ParseProfileInt(const std::string& Text) {
    const char* P = Text.c_str();
    while (*P == ' ' || *P == '\t')
        ++P;
    bool Neg = false;
    if (*P == '+' || *P == '-') Neg = *P++ == '-';
    int Base = 10;
    if (P[0] == '0' && (P[1] == 'x' || P[1] == 'X') &&
        std::isxdigit(static_cast<unsigned char>(P[2]))) {
        Base = 16;
        P += 2;
    }
    long long V = 0;
    for (; *P; ++P) {
        int D;
        unsigned char C = static_cast<unsigned char>(*P);
        if (std::isdigit(C))
            D = C - '0';
        else if (Base == 16 && std::isxdigit(C))
            D = std::tolower(C) - 'a' + 10;
        else
            break;
        V = V * Base + D;
        if (V > static_cast<long long>(UINT_MAX)) V = UINT_MAX; // saturate, no overflow
    }
    return static_cast<int>(static_cast<UINT>(Neg ? -V : V));
}

UINT GetProfileIntA(LPCSTR AppName, LPCSTR KeyName, int nDefault) {
    if (!AppName || !KeyName) return static_cast<UINT>(nDefault);
    std::string Path = std::string(WinIniRegistryKey) + "\\" + AppName;
    HKEY Key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, Path.c_str(), 0, KEY_READ, &Key) != ERROR_SUCCESS)
        return static_cast<UINT>(nDefault);
    DWORD Type = 0, Size = 0;
    UINT Result = static_cast<UINT>(nDefault);
    if (RegQueryValueExA(Key, KeyName, nullptr, &Type, nullptr, &Size) == ERROR_SUCCESS) {
        std::string Data(Size, '\0');
        if (RegQueryValueExA(Key, KeyName, nullptr, &Type, reinterpret_cast<LPBYTE>(Data.data()),
                             &Size) == ERROR_SUCCESS) {
            Data.resize(Size);
            if (Type == REG_DWORD && Size == 4) {
                DWORD V;
                std::memcpy(&V, Data.data(), 4);
                Result = V;
            } else if (Type == REG_SZ || Type == REG_EXPAND_SZ) {
                Result = static_cast<UINT>(ParseProfileInt(Data.c_str()));
            }
        }
    }
    RegCloseKey(Key);
    return Result;
}

} // namespace qel
