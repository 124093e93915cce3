#include "toolkit/platform/RegistryApi.h"

#include "toolkit/core/Exceptions.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace qel {

struct HKEY__ {
    std::string Path; // canonical full path
    REGSAM Access = 0;
};

namespace {

thread_local std::string LastErrorText;

// Open handles, so that a stale or invented handle is refused instead of dereferenced.
struct HandleTable {
    std::mutex Lock;
    std::unordered_map<HKEY, std::unique_ptr<HKEY__>> Open;
};

HandleTable& Handles() {
    static HandleTable T;
    return T;
}

struct Resolved {
    LONG Error = ERROR_SUCCESS;
    std::string Path;
    REGSAM Access = KEY_ALL_ACCESS;
};

Resolved Resolve(HKEY Key) {
    std::string Root = RootKeyName(Key);
    if (!Root.empty()) return {ERROR_SUCCESS, Root, KEY_ALL_ACCESS};
    HandleTable& T = Handles();
    std::lock_guard<std::mutex> G(T.Lock);
    auto It = T.Open.find(Key);
    if (It == T.Open.end()) return {ERROR_INVALID_HANDLE, {}, 0};
    return {ERROR_SUCCESS, It->second->Path, It->second->Access};
}

HKEY NewHandle(const std::string& Path, REGSAM Access) {
    auto H = std::make_unique<HKEY__>();
    H->Path = Path;
    H->Access = Access;
    HKEY Raw = H.get();
    HandleTable& T = Handles();
    std::lock_guard<std::mutex> G(T.Lock);
    T.Open.emplace(Raw, std::move(H));
    return Raw;
}

// Joins a base path and a relative subkey; nothing when the result is not a valid path.
std::optional<std::string> Join(const std::string& Base, LPCSTR SubKey) {
    std::string P = Base;
    if (SubKey && *SubKey) P += std::string("\\") + SubKey;
    return TRegistryData::Canonical(P);
}

// Runs F, turning store failures into ERROR_BADDB (reading) or ERROR_CANTWRITE (writing).
template <class F> LONG Guard(LONG OnStoreError, F&& Fn) {
    try {
        LastErrorText.clear();
        return Fn();
    } catch (const ERegistryException& E) {
        LastErrorText = E.what();
        return OnStoreError;
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

} // namespace

std::string RootKeyName(HKEY Root) {
    if (Root == HKEY_CLASSES_ROOT) return "HKEY_CLASSES_ROOT";
    if (Root == HKEY_CURRENT_USER) return "HKEY_CURRENT_USER";
    if (Root == HKEY_LOCAL_MACHINE) return "HKEY_LOCAL_MACHINE";
    if (Root == HKEY_USERS) return "HKEY_USERS";
    return {};
}

std::string RegistryKeyPath(HKEY Key) {
    return Resolve(Key).Path;
}

std::string RegistryLastErrorText() {
    return LastErrorText;
}

LONG RegOpenKeyExA(HKEY Key, LPCSTR SubKey, DWORD, REGSAM Desired, PHKEY Result) {
    if (!Result) return ERROR_INVALID_PARAMETER;
    *Result = nullptr;
    Resolved R = Resolve(Key);
    if (R.Error) return R.Error;
    auto Path = Join(R.Path, SubKey);
    if (!Path) return ERROR_FILE_NOT_FOUND;
    return Guard(ERROR_BADDB, [&]() -> LONG {
        if (!TRegistryView().KeyExists(*Path)) return ERROR_FILE_NOT_FOUND;
        *Result = NewHandle(*Path, Desired);
        return ERROR_SUCCESS;
    });
}

LONG RegCreateKeyExA(HKEY Key, LPCSTR SubKey, DWORD, LPSTR, DWORD, REGSAM Desired, void*,
                     PHKEY Result, LPDWORD Disposition) {
    if (!Result) return ERROR_INVALID_PARAMETER;
    *Result = nullptr;
    Resolved R = Resolve(Key);
    if (R.Error) return R.Error;
    if (!(R.Access & KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
    auto Path = Join(R.Path, SubKey);
    if (!Path) return ERROR_INVALID_PARAMETER;
    return Guard(ERROR_CANTWRITE, [&]() -> LONG {
        bool Existed = false;
        if (Path->find('\\') != std::string::npos) {
            RegistryStore::Update([&](TRegistryData& D) {
                Existed = D.Find(*Path) != nullptr;
                if (!Existed) D.Create(*Path);
            });
        } else {
            Existed = true; // a root key
        }
        if (Disposition) *Disposition = Existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
        *Result = NewHandle(*Path, Desired);
        return ERROR_SUCCESS;
    });
}

LONG RegQueryValueExA(HKEY Key, LPCSTR ValueName, LPDWORD, LPDWORD Type, LPBYTE Data,
                      LPDWORD DataSize) {
    if (Data && !DataSize) return ERROR_INVALID_PARAMETER;
    Resolved R = Resolve(Key);
    if (R.Error) return R.Error;
    if (!(R.Access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    return Guard(ERROR_BADDB, [&]() -> LONG {
        TRegistryView View;
        if (!View.KeyExists(R.Path)) return ERROR_KEY_DELETED;
        auto V = View.Value(R.Path, ValueName ? ValueName : "");
        if (!V) return ERROR_FILE_NOT_FOUND;
        if (Type) *Type = V->Type;
        const DWORD Size = static_cast<DWORD>(V->Data.size());
        if (!Data) {
            if (DataSize) *DataSize = Size;
            return ERROR_SUCCESS;
        }
        if (*DataSize < Size) {
            *DataSize = Size;
            return ERROR_MORE_DATA;
        }
        std::memcpy(Data, V->Data.data(), Size);
        *DataSize = Size;
        return ERROR_SUCCESS;
    });
}

LONG RegSetValueExA(HKEY Key, LPCSTR ValueName, DWORD, DWORD Type, const BYTE* Data,
                    DWORD DataSize) {
    if (!Data && DataSize) return ERROR_INVALID_PARAMETER;
    Resolved R = Resolve(Key);
    if (R.Error) return R.Error;
    if (!(R.Access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    if (R.Path.find('\\') == std::string::npos) return ERROR_ACCESS_DENIED; // not on a root
    return Guard(ERROR_CANTWRITE, [&]() -> LONG {
        LONG Result = ERROR_SUCCESS;
        RegistryStore::Update([&](TRegistryData& D) {
            TRegKey* K = D.Find(R.Path);
            if (!K) {
                Result = ERROR_KEY_DELETED;
                return;
            }
            TRegValue V{ValueName ? ValueName : "", Type,
                        std::string(reinterpret_cast<const char*>(Data), DataSize)};
            // Strings are kept with exactly one terminating zero.
            if ((Type == REG_SZ || Type == REG_EXPAND_SZ) &&
                (V.Data.empty() || V.Data.back() != '\0'))
                V.Data += '\0';
            K->SetValue(std::move(V));
        });
        return Result;
    });
}

LONG RegDeleteValueA(HKEY Key, LPCSTR ValueName) {
    Resolved R = Resolve(Key);
    if (R.Error) return R.Error;
    if (!(R.Access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    return Guard(ERROR_CANTWRITE, [&]() -> LONG {
        LONG Result = ERROR_SUCCESS;
        RegistryStore::Update([&](TRegistryData& D) {
            TRegKey* K = D.Find(R.Path);
            if (!K || !K->DeleteValue(ValueName ? ValueName : "")) Result = ERROR_FILE_NOT_FOUND;
        });
        return Result;
    });
}

LONG RegDeleteKeyA(HKEY Key, LPCSTR SubKey) {
    Resolved R = Resolve(Key);
    if (R.Error) return R.Error;
    if (!SubKey || !*SubKey) return ERROR_INVALID_PARAMETER;
    auto Path = Join(R.Path, SubKey);
    if (!Path || Path->find('\\') == std::string::npos) return ERROR_ACCESS_DENIED;
    return Guard(ERROR_CANTWRITE, [&]() -> LONG {
        LONG Result = ERROR_SUCCESS;
        RegistryStore::Update([&](TRegistryData& D) {
            if (!D.Delete(*Path)) Result = ERROR_FILE_NOT_FOUND;
        });
        return Result;
    });
}

LONG RegCloseKey(HKEY Key) {
    if (!RootKeyName(Key).empty()) return ERROR_SUCCESS;
    HandleTable& T = Handles();
    std::lock_guard<std::mutex> G(T.Lock);
    return T.Open.erase(Key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

} // namespace qel
