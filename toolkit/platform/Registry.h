#pragma once
// TRegistry: the registry as an object with a current key, over the store of RegistryStore.h.
//
// Paths given to OpenKey, KeyExists and DeleteKey are relative to the current key when one is
// open and do not begin with a backslash; otherwise they start at RootKey. Failures of the
// store itself (a corrupt or unwritable file) raise ERegistryException with the file's name and
// the reason; asking for something that is not there gives False or an empty result.
#include "toolkit/core/Exceptions.h"
#include "toolkit/core/Export.h"
#include "toolkit/platform/RegistryApi.h"

#include <string>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

class TRegistry {
  public:
    TRegistry();
    explicit TRegistry(REGSAM Access);
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    HKEY RootKey() const { return Root_; }
    // Closes the current key. Raises ERegistryException for a handle that is not a root key.
    void SetRootKey(HKEY Value);
    REGSAM Access() const { return Access_; }
    void SetAccess(REGSAM Value) { Access_ = Value; }

    bool HasCurrentKey() const { return Open_; }
    // Path of the current key below the root, without a leading backslash.
    const std::string& CurrentPath() const { return CurrentPath_; }

    // Opens Key, creating it (and its parents) when CanCreate is set and it is missing.
    bool OpenKey(const std::string& Key, bool CanCreate);
    bool OpenKeyReadOnly(const std::string& Key);
    void CloseKey();
    bool KeyExists(const std::string& Key) const;
    // Deletes Key and everything below it; False when it did not exist.
    bool DeleteKey(const std::string& Key);
    bool HasSubKeys() const;

    bool ValueExists(const std::string& Name) const;
    bool DeleteValue(const std::string& Name);
    // Names of the current key's values and direct subkeys; empty without a current key.
    std::vector<std::string> GetValueNames() const;
    std::vector<std::string> GetKeyNames() const;
    // The same into any string list with Clear and Add (TStrings).
    template <class List> void GetValueNames(List& Strings) const {
        Fill(Strings, GetValueNames());
    }
    template <class List> void GetKeyNames(List& Strings) const { Fill(Strings, GetKeyNames()); }

    // A missing value reads as ""; a value of another type raises ERegistryException.
    std::string ReadString(const std::string& Name) const;
    // A missing value or one of another type raises ERegistryException.
    int ReadInteger(const std::string& Name) const;
    bool ReadBool(const std::string& Name) const { return ReadInteger(Name) != 0; }
    // Writing needs a current key opened for writing; otherwise ERegistryException.
    void WriteString(const std::string& Name, const std::string& Value);
    void WriteExpandString(const std::string& Name, const std::string& Value);
    void WriteInteger(const std::string& Name, int Value);
    void WriteBool(const std::string& Name, bool Value) { WriteInteger(Name, Value ? 1 : 0); }

  private:
    template <class List> static void Fill(List& Strings, const std::vector<std::string>& Names) {
        Strings.Clear();
        for (const std::string& N : Names)
            Strings.Add(N);
    }
    // Full canonical path of Key as OpenKey would understand it, or empty when invalid.
    std::string FullPath(const std::string& Key) const;
    std::string CurrentFullPath() const;
    void SetValue(const std::string& Name, DWORD Type, const std::string& Data);

    HKEY Root_ = HKEY_CURRENT_USER;
    REGSAM Access_ = KEY_ALL_ACCESS;
    bool Open_ = false;
    bool ReadOnly_ = false;
    std::string CurrentPath_;
};

} // namespace qel

QEL_PUBLIC_END
