#pragma once
// The registry's backing store: one text file shared by every program of the user.
//
// Location: the file named by the environment variable QEL_REGISTRY when it is set and not
// empty, else ~/.config/qel/registry. A missing file is an empty registry; it is created on the
// first write, with its folder.
//
// Format (UTF-8 text, one item a line):
//
//     QEL registry 1
//     ; a comment (also "#")
//     [HKEY_CURRENT_USER\Software\QEL\SimpleMAPI]
//     "SmtpHost"="127.0.0.1"
//     "SmtpPort"=dword:000009dd
//     "Data"=hex:01,02,ff
//     "Path"=expand:"$HOME/mail"
//     "Other"=hex(7):41,00,00
//     @="the key's unnamed value"
//
// The first line names the format and its version; a file without it is read as version 1.
// A key line gives the full path from its root key (HKEY_CLASSES_ROOT, HKEY_CURRENT_USER,
// HKEY_LOCAL_MACHINE or HKEY_USERS); value lines belong to the key above them. Strings are in
// double quotes with the escapes \\ \" \n \r \t and \xHH. Types: a quoted string is REG_SZ,
// expand: REG_EXPAND_SZ, dword: REG_DWORD (8 hexadecimal digits), hex: REG_BINARY, hex(N): any
// other type N as raw bytes. String data is held without its terminating zero in the file and
// with it in memory. Key and value names compare without regard to ASCII case and keep the
// case they were created with. Blank lines are ignored; anything else is an error that names
// the file and the line.
//
// Writes take an exclusive lock on "<file>.lock", read the file afresh, change it, write a
// temporary file in the same folder, flush it and rename it over the old one, so readers never
// see half a file and concurrent writers in other processes do not lose each other's changes.
//
// HKEY_CLASSES_ROOT\.<ext> keys with their "Content Type" value also come from the system's
// MIME table (/etc/mime.types, or the file named by QEL_MIME_TYPES) when the store holds no
// such value: a stored key or value always wins.
#include "toolkit/core/Export.h"
#include "toolkit/platform/KernelTypes.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_MULTI_SZ = 7;

struct TRegValue {
    std::string Name; // empty: the unnamed value
    DWORD Type = REG_NONE;
    std::string Data; // raw bytes; strings include their terminating zero
};

struct TRegKey {
    std::string Path; // full path from the root key, in the case it was created with
    std::vector<TRegValue> Values;

    const TRegValue* FindValue(const std::string& Name) const;
    TRegValue* FindValue(const std::string& Name);
    void SetValue(TRegValue V);
    bool DeleteValue(const std::string& Name);
};

class TRegistryData {
  public:
    // Canonical form of a path: backslash-separated, no empty parts, root name in upper case.
    // Returns nothing when the first part is not a root key name.
    static std::optional<std::string> Canonical(const std::string& Path);
    static std::string Fold(const std::string& S);

    const TRegKey* Find(const std::string& Path) const;
    TRegKey* Find(const std::string& Path);
    // Creates the key and every missing ancestor; returns the key.
    TRegKey& Create(const std::string& Path);
    // Removes the key and everything under it; false when it did not exist.
    bool Delete(const std::string& Path);
    // Names of the direct subkeys, in stored order of their paths.
    std::vector<std::string> SubKeyNames(const std::string& Path) const;

    const std::map<std::string, TRegKey>& Keys() const { return Keys_; }

  private:
    std::map<std::string, TRegKey> Keys_; // by folded canonical path
};

// Reading and writing the text form; Parse throws ERegistryException naming Source and line.
TRegistryData ParseRegistry(const std::string& Text, const std::string& Source);
std::string FormatRegistry(const TRegistryData& Data);

// The file in use now (the environment is read on every call).
std::string RegistryFilePath();

namespace RegistryStore {
// The current contents; cached while the file is unchanged. Throws ERegistryException when the
// file is corrupt or unreadable.
std::shared_ptr<const TRegistryData> Read();
// Applies Change to the current contents and stores the result atomically (see above).
// Change may throw to abandon the update. Throws ERegistryException when storing fails.
void Update(const std::function<void(TRegistryData&)>& Change);
} // namespace RegistryStore

// The system MIME table's content type for an extension given with its dot (".pdf"), compared
// without regard to case; empty when unknown. The table is read again when its file changes.
std::string SystemMimeType(const std::string& Extension);
// Every extension the table knows, with its dot, sorted.
std::vector<std::string> SystemMimeExtensions();

inline constexpr char MimeValueName[] = "Content Type";

// What readers see: the stored data, with the system MIME table's HKEY_CLASSES_ROOT\.<ext>
// keys and their "Content Type" values wherever the store has none of its own. Paths are full
// paths from the root key.
class TRegistryView {
  public:
    TRegistryView() : Data_(RegistryStore::Read()) {}
    explicit TRegistryView(std::shared_ptr<const TRegistryData> Data) : Data_(std::move(Data)) {}

    bool KeyExists(const std::string& Path) const;
    std::optional<TRegValue> Value(const std::string& Path, const std::string& Name) const;
    std::vector<std::string> ValueNames(const std::string& Path) const;
    std::vector<std::string> SubKeyNames(const std::string& Path) const;

  private:
    std::shared_ptr<const TRegistryData> Data_;
};

} // namespace qel

QEL_PUBLIC_END
