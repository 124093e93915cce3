#pragma once
// The Win32 registry calls, over the registry store of RegistryStore.h. They report failures
// through their result (ERROR_*), never by exception; a corrupt store file gives ERROR_BADDB
// and RegistryLastErrorText() tells why.
#include "toolkit/core/Export.h"
#include "toolkit/platform/KernelTypes.h"
#include "toolkit/platform/RegistryStore.h"

#include <string>

QEL_PUBLIC_BEGIN

namespace qel {

struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;
using REGSAM = DWORD;

// The predefined root keys, with their Win32 values.
inline HKEY const HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(std::uintptr_t{0x80000000});
inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(std::uintptr_t{0x80000001});
inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(std::uintptr_t{0x80000002});
inline HKEY const HKEY_USERS = reinterpret_cast<HKEY>(std::uintptr_t{0x80000003});

inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_NOTIFY = 0x0010;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

LONG RegOpenKeyExA(HKEY Key, LPCSTR SubKey, DWORD Options, REGSAM Desired, PHKEY Result);
LONG RegCreateKeyExA(HKEY Key, LPCSTR SubKey, DWORD Reserved, LPSTR Class, DWORD Options,
                     REGSAM Desired, void* SecurityAttributes, PHKEY Result, LPDWORD Disposition);
// Data null: only the size (and type) is returned. A buffer smaller than the value gives
// ERROR_MORE_DATA with the needed size in *DataSize.
LONG RegQueryValueExA(HKEY Key, LPCSTR ValueName, LPDWORD Reserved, LPDWORD Type, LPBYTE Data,
                      LPDWORD DataSize);
LONG RegSetValueExA(HKEY Key, LPCSTR ValueName, DWORD Reserved, DWORD Type, const BYTE* Data,
                    DWORD DataSize);
LONG RegDeleteValueA(HKEY Key, LPCSTR ValueName);
// Deletes SubKey with everything below it.
LONG RegDeleteKeyA(HKEY Key, LPCSTR SubKey);
LONG RegCloseKey(HKEY Key);

// Why the last registry call of this thread failed, when the store itself was at fault.
std::string RegistryLastErrorText();

// The full path a handle stands for ("HKEY_CURRENT_USER\Software"); empty for a bad handle.
std::string RegistryKeyPath(HKEY Key);
// The root key's name for one of the predefined handles; empty for others.
std::string RootKeyName(HKEY Root);

} // namespace qel

QEL_PUBLIC_END
