#pragma once
// The kernel functions the packages call directly: time, sleeping, the system version, the
// error mode and the user profile file. Dynamic libraries are in DynLib.h, the registry in
// RegistryApi.h.
//
// GetVersionExA reports a fixed Windows NT 4.0 (major 4, minor 0, build 1381, platform
// VER_PLATFORM_WIN32_NT, empty service-pack text), the level whose services the packages were
// written for. The environment variable QEL_WINDOWS_VERSION ("major.minor" or
// "major.minor.build") replaces it, so that tests can exercise code paths of older systems.
//
// GetProfileIntA reads the user's profile file (win.ini) from the registry store: entry
// KeyName of section AppName is the value KeyName of the key
//     HKEY_CURRENT_USER\Software\QEL\WinIni\<AppName>
// A REG_DWORD value is returned as it is; a string value is read like a win.ini line: leading
// blanks, an optional sign and decimal digits (or "0x" and hexadecimal digits), anything
// after them ignored, no digits giving 0. A missing section, entry or store gives nDefault.
#include "toolkit/core/Export.h"
#include "toolkit/platform/KernelTypes.h"

#include <string>

QEL_PUBLIC_BEGIN

namespace qel {

inline constexpr char WinIniRegistryKey[] = "Software\\QEL\\WinIni";

// Milliseconds since the system started, wrapping to 0 after 49.7 days.
DWORD GetTickCount();
void Sleep(DWORD Milliseconds);
// Nothing queues asynchronous procedure calls here, so an alertable wait is a plain one;
// the result is 0 (the time elapsed).
DWORD SleepEx(DWORD Milliseconds, BOOL Alertable);

inline constexpr DWORD VER_PLATFORM_WIN32s = 0;
inline constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
inline constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    char szCSDVersion[128];
};

// Fills Info; FALSE (last error ERROR_INVALID_PARAMETER) when its size field is not
// sizeof(OSVERSIONINFOA).
BOOL GetVersionExA(OSVERSIONINFOA* Info);

inline constexpr UINT SEM_FAILCRITICALERRORS = 0x0001;
inline constexpr UINT SEM_NOGPFAULTERRORBOX = 0x0002;
inline constexpr UINT SEM_NOALIGNMENTFAULTEXCEPT = 0x0004;
inline constexpr UINT SEM_NOOPENFILEERRORBOX = 0x8000;

// Sets the process's error mode and returns the previous one. No call here ever shows a
// system error box, so the mode is only recorded, for callers that save and restore it.
UINT SetErrorMode(UINT Mode);

UINT GetProfileIntA(LPCSTR AppName, LPCSTR KeyName, int nDefault);

// The calling thread's last error code, set by the functions that document it.
DWORD GetLastError();
void SetLastError(DWORD Code);

// Interprets a win.ini style integer (see GetProfileIntA).
int ParseProfileInt(const std::string& Text);

} // namespace qel

QEL_PUBLIC_END
