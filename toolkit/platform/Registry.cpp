#include "toolkit/platform/Registry.h"

#include <cstring>

namespace qel {

TRegistry::TRegistry() = default;
TRegistry::TRegistry(REGSAM Access) : Access_(Access) {}
TRegistry::~TRegistry() = default;

void TRegistry::SetRootKey(HKEY Value) {
    if (RootKeyName(Value).empty()) throw ERegistryException("Invalid root key");
    CloseKey();
    Root_ = Value;
}

std::string TRegistry::FullPath(const std::string& Key) const {
    const bool Relative = Key.empty() || Key[0] != '\\';
    std::string P = RootKeyName(Root_);
    if (Relative && Open_ && !CurrentPath_.empty()) P += "\\" + CurrentPath_;
    P += "\\" + Key;
    auto C = TRegistryData::Canonical(P);
    return C ? *C : std::string();
}

std::string TRegistry::CurrentFullPath() const {
    std::string P = RootKeyName(Root_);
    if (!CurrentPath_.empty()) P += "\\" + CurrentPath_;
    return P;
}

bool TRegistry::OpenKey(const std::string& Key, bool CanCreate) {
    const std::string Full = FullPath(Key);
    if (Full.empty()) return false;
    const bool IsRoot = Full.find('\\') == std::string::npos;
    if (!TRegistryView().KeyExists(Full)) {
        if (!CanCreate || IsRoot) return false;
        RegistryStore::Update([&](TRegistryData& D) { D.Create(Full); });
    }
    Open_ = true;
    ReadOnly_ = !(Access_ & KEY_SET_VALUE);
    CurrentPath_ = IsRoot ? std::string() : Full.substr(Full.find('\\') + 1);
    return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& Key) {
    const std::string Full = FullPath(Key);
    if (Full.empty() || !TRegistryView().KeyExists(Full)) return false;
    Open_ = true;
    ReadOnly_ = true;
    const std::size_t Sep = Full.find('\\');
    CurrentPath_ = Sep == std::string::npos ? std::string() : Full.substr(Sep + 1);
    return true;
}

void TRegistry::CloseKey() {
    Open_ = false;
    ReadOnly_ = false;
    CurrentPath_.clear();
}

bool TRegistry::KeyExists(const std::string& Key) const {
    const std::string Full = FullPath(Key);
    return !Full.empty() && TRegistryView().KeyExists(Full);
}

bool TRegistry::DeleteKey(const std::string& Key) {
    const std::string Full = FullPath(Key);
    if (Full.empty() || Full.find('\\') == std::string::npos) return false;
    bool Deleted = false;
    RegistryStore::Update([&](TRegistryData& D) { Deleted = D.Delete(Full); });
    return Deleted;
}

bool TRegistry::HasSubKeys() const {
    return !GetKeyNames().empty();
}

bool TRegistry::ValueExists(const std::string& Name) const {
    return Open_ && TRegistryView().Value(CurrentFullPath(), Name).has_value();
}

bool TRegistry::DeleteValue(const std::string& Name) {
    if (!Open_ || ReadOnly_) return false;
    bool Deleted = false;
    const std::string Full = CurrentFullPath();
    RegistryStore::Update([&](TRegistryData& D) {
        if (TRegKey* K = D.Find(Full)) Deleted = K->DeleteValue(Name);
    });
    return Deleted;
}

std::vector<std::string> TRegistry::GetValueNames() const {
    if (!Open_) return {};
    return TRegistryView().ValueNames(CurrentFullPath());
}

std::vector<std::string> TRegistry::GetKeyNames() const {
    if (!Open_) return {};
    return TRegistryView().SubKeyNames(CurrentFullPath());
}

std::string TRegistry::ReadString(const std::string& Name) const {
    if (!Open_) return {};
    auto V = TRegistryView().Value(CurrentFullPath(), Name);
    if (!V) return {};
    if (V->Type != REG_SZ && V->Type != REG_EXPAND_SZ)
        throw ERegistryException("Invalid data type for '" + Name + "'");
    // Up to the first zero, as a C string would read it.
    return std::string(V->Data.c_str());
}

int TRegistry::ReadInteger(const std::string& Name) const {
    std::optional<TRegValue> V;
    if (Open_) V = TRegistryView().Value(CurrentFullPath(), Name);
    if (!V) throw ERegistryException("Failed to get data for '" + Name + "'");
    if (V->Type != REG_DWORD || V->Data.size() != 4)
        throw ERegistryException("Invalid data type for '" + Name + "'");
    std::int32_t X;
    std::memcpy(&X, V->Data.data(), 4);
    return X;
}

void TRegistry::SetValue(const std::string& Name, DWORD Type, const std::string& Data) {
    const std::string Full = CurrentFullPath();
    if (!Open_ || ReadOnly_ || Full.find('\\') == std::string::npos)
        throw ERegistryException("Failed to set data for '" + Name + "'");
    RegistryStore::Update([&](TRegistryData& D) {
        // The key may have been deleted by another program since it was opened: recreate it,
        // as the value must land where the caller believes it is.
        D.Create(Full).SetValue(TRegValue{Name, Type, Data});
    });
}

void TRegistry::WriteString(const std::string& Name, const std::string& Value) {
    SetValue(Name, REG_SZ, std::string(Value.c_str()) + '\0');
}

void TRegistry::WriteExpandString(const std::string& Name, const std::string& Value) {
    SetValue(Name, REG_EXPAND_SZ, std::string(Value.c_str()) + '\0');
}

void TRegistry::WriteInteger(const std::string& Name, int Value) {
    std::int32_t X = Value;
    SetValue(Name, REG_DWORD, std::string(reinterpret_cast<const char*>(&X), 4));
}

} // namespace qel
