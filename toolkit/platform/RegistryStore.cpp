#include "toolkit/platform/RegistryStore.h"

#include "toolkit/core/Exceptions.h"
#include "toolkit/core/TextUtils.h"
#include "toolkit/platform/Environment.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace qel {

namespace {

const char* const RootNames[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                                 "HKEY_USERS"};
const char Header[] = "QEL registry 1";

bool IsStringType(DWORD T) {
    return T == REG_SZ || T == REG_EXPAND_SZ;
}

std::string Quote(const std::string& S) {
    std::string R = "\"";
    for (unsigned char C : S) {
        switch (C) {
        case '\\':
            R += "\\\\";
            break;
        case '"':
            R += "\\\"";
            break;
        case '\n':
            R += "\\n";
            break;
        case '\r':
            R += "\\r";
            break;
        case '\t':
            R += "\\t";
            break;
        default:
            if (C < 0x20 || C == 0x7f) {
                char B[5];
                std::snprintf(B, sizeof B, "\\x%02x", C);
                R += B;
            } else {
                R += static_cast<char>(C);
            }
        }
    }
    return R + "\"";
}

std::string HexBytes(const std::string& D) {
    std::string R;
    char B[4];
    for (std::size_t I = 0; I < D.size(); ++I) {
        std::snprintf(B, sizeof B, I ? ",%02x" : "%02x", static_cast<unsigned char>(D[I]));
        R += B;
    }
    return R;
}

int HexDigit(char C) {
    if (C >= '0' && C <= '9') return C - '0';
    if (C >= 'a' && C <= 'f') return C - 'a' + 10;
    if (C >= 'A' && C <= 'F') return C - 'A' + 10;
    return -1;
}

class LineParser {
  public:
    LineParser(const std::string& Source, int Line) : Source_(Source), Line_(Line) {}
    [[noreturn]] void Fail(const std::string& Why) const {
        throw ERegistryException("Registry file '" + Source_ + "' is corrupt at line " +
                                 std::to_string(Line_) + ": " + Why);
    }
    // Reads a quoted string starting at Pos (which holds the opening quote).
    std::string Quoted(const std::string& L, std::size_t& Pos) const {
        if (Pos >= L.size() || L[Pos] != '"') Fail("expected '\"'");
        std::string R;
        for (++Pos; Pos < L.size(); ++Pos) {
            char C = L[Pos];
            if (C == '"') {
                ++Pos;
                return R;
            }
            if (C != '\\') {
                R += C;
                continue;
            }
            if (++Pos >= L.size()) break;
            switch (L[Pos]) {
            case '\\':
                R += '\\';
                break;
            case '"':
                R += '"';
                break;
            case 'n':
                R += '\n';
                break;
            case 'r':
                R += '\r';
                break;
            case 't':
                R += '\t';
                break;
            case 'x': {
                int H = Pos + 2 < L.size() ? HexDigit(L[Pos + 1]) : -1;
                int Lo = H >= 0 ? HexDigit(L[Pos + 2]) : -1;
                if (Lo < 0) Fail("bad \\x escape");
                R += static_cast<char>(H * 16 + Lo);
                Pos += 2;
                break;
            }
            default:
                Fail(std::string("unknown escape \\") + L[Pos]);
            }
        }
        Fail("unterminated string");
    }
    std::string Bytes(const std::string& S) const {
        std::string R;
        std::size_t I = 0;
        while (I < S.size()) {
            if (I + 1 >= S.size()) Fail("bad hexadecimal byte list");
            int H = HexDigit(S[I]), L = HexDigit(S[I + 1]);
            if (H < 0 || L < 0) Fail("bad hexadecimal byte list");
            R += static_cast<char>(H * 16 + L);
            I += 2;
            if (I < S.size()) {
                if (S[I] != ',') Fail("bad hexadecimal byte list");
                ++I;
                if (I == S.size()) Fail("bad hexadecimal byte list");
            }
        }
        return R;
    }

  private:
    const std::string& Source_;
    int Line_;
};

} // namespace

// ---- keys and values -----------------------------------------------------------------------

const TRegValue* TRegKey::FindValue(const std::string& Name) const {
    const std::string F = TRegistryData::Fold(Name);
    for (const TRegValue& V : Values)
        if (TRegistryData::Fold(V.Name) == F) return &V;
    return nullptr;
}

TRegValue* TRegKey::FindValue(const std::string& Name) {
    return const_cast<TRegValue*>(static_cast<const TRegKey*>(this)->FindValue(Name));
}

void TRegKey::SetValue(TRegValue V) {
    if (TRegValue* Old = FindValue(V.Name)) {
        Old->Type = V.Type;
        Old->Data = std::move(V.Data);
    } else {
        Values.push_back(std::move(V));
    }
}

bool TRegKey::DeleteValue(const std::string& Name) {
    const std::string F = TRegistryData::Fold(Name);
    auto It = std::find_if(Values.begin(), Values.end(),
                           [&](const TRegValue& V) { return TRegistryData::Fold(V.Name) == F; });
    if (It == Values.end()) return false;
    Values.erase(It);
    return true;
}

std::string TRegistryData::Fold(const std::string& S) {
    std::string R = S;
    for (char& C : R)
        if (C >= 'A' && C <= 'Z') C = static_cast<char>(C - 'A' + 'a');
    return R;
}

std::optional<std::string> TRegistryData::Canonical(const std::string& Path) {
    std::string R;
    std::size_t I = 0;
    bool First = true;
    while (I <= Path.size()) {
        std::size_t E = Path.find('\\', I);
        if (E == std::string::npos) E = Path.size();
        std::string Part = Path.substr(I, E - I);
        I = E + 1;
        if (Part.empty()) continue;
        for (unsigned char C : Part)
            if (C < 0x20) return std::nullopt;
        if (First) {
            std::string Up = Part;
            for (char& C : Up)
                if (C >= 'a' && C <= 'z') C = static_cast<char>(C - 'a' + 'A');
            if (std::find(std::begin(RootNames), std::end(RootNames), Up) == std::end(RootNames))
                return std::nullopt;
            R = Up;
            First = false;
        } else {
            R += '\\';
            R += Part;
        }
    }
    if (First) return std::nullopt;
    return R;
}

const TRegKey* TRegistryData::Find(const std::string& Path) const {
    auto C = Canonical(Path);
    if (!C) return nullptr;
    auto It = Keys_.find(Fold(*C));
    return It == Keys_.end() ? nullptr : &It->second;
}

TRegKey* TRegistryData::Find(const std::string& Path) {
    return const_cast<TRegKey*>(static_cast<const TRegistryData*>(this)->Find(Path));
}

TRegKey& TRegistryData::Create(const std::string& Path) {
    auto C = Canonical(Path);
    if (!C) throw ERegistryException("Invalid registry key '" + Path + "'");
    TRegKey* Last = nullptr;
    // Root keys always exist and are not stored; a root alone is stored only when asked for.
    std::size_t Pos = C->find('\\') == std::string::npos ? 0 : C->find('\\') + 1;
    for (;;) {
        std::size_t E = C->find('\\', Pos);
        std::string Prefix = C->substr(0, E);
        auto [It, New] = Keys_.try_emplace(Fold(Prefix));
        if (New) It->second.Path = Prefix;
        Last = &It->second;
        if (E == std::string::npos) break;
        Pos = E + 1;
    }
    return *Last;
}

bool TRegistryData::Delete(const std::string& Path) {
    auto C = Canonical(Path);
    if (!C) return false;
    const std::string F = Fold(*C);
    auto It = Keys_.find(F);
    if (It == Keys_.end()) return false;
    const std::string Prefix = F + '\\';
    It = Keys_.erase(It);
    while (It != Keys_.end() && It->first.compare(0, Prefix.size(), Prefix) == 0)
        It = Keys_.erase(It);
    return true;
}

std::vector<std::string> TRegistryData::SubKeyNames(const std::string& Path) const {
    std::vector<std::string> R;
    auto C = Canonical(Path);
    if (!C) return R;
    const std::string Prefix = Fold(*C) + '\\';
    for (auto It = Keys_.lower_bound(Prefix);
         It != Keys_.end() && It->first.compare(0, Prefix.size(), Prefix) == 0; ++It) {
        if (It->first.find('\\', Prefix.size()) != std::string::npos) continue;
        R.push_back(It->second.Path.substr(Prefix.size()));
    }
    return R;
}

// ---- text form -----------------------------------------------------------------------------

TRegistryData ParseRegistry(const std::string& Text, const std::string& Source) {
    TRegistryData D;
    TRegKey* Current = nullptr;
    std::istringstream In(Text);
    std::string Raw;
    int LineNo = 0;
    bool SeenContent = false;
    while (std::getline(In, Raw)) {
        ++LineNo;
        LineParser P(Source, LineNo);
        std::string L = TrimSpace(Raw);
        if (L.empty() || L[0] == ';' || L[0] == '#') continue;
        if (!SeenContent) {
            SeenContent = true;
            if (L.rfind("QEL registry", 0) == 0) {
                if (L != Header) P.Fail("unsupported format version \"" + L + "\"");
                continue;
            }
        }
        if (L[0] == '[') {
            if (L.back() != ']') P.Fail("key line without closing ']'");
            std::string Path = L.substr(1, L.size() - 2);
            if (!TRegistryData::Canonical(Path)) P.Fail("invalid key \"" + Path + "\"");
            Current = &D.Create(Path);
            continue;
        }
        if (L[0] != '"' && L[0] != '@')
            P.Fail("expected a [key] line, a \"name\"=value line or a comment");
        if (!Current) P.Fail("value outside of any key");
        std::size_t Pos = 0;
        std::string Name;
        if (L[0] == '@') {
            Pos = 1;
        } else {
            Name = P.Quoted(L, Pos);
        }
        while (Pos < L.size() && (L[Pos] == ' ' || L[Pos] == '\t'))
            ++Pos;
        if (Pos >= L.size() || L[Pos] != '=') P.Fail("expected '=' after the value name");
        ++Pos;
        while (Pos < L.size() && (L[Pos] == ' ' || L[Pos] == '\t'))
            ++Pos;
        std::string Rest = L.substr(Pos);
        TRegValue V;
        V.Name = Name;
        auto TakeString = [&](std::size_t At, DWORD Type) {
            std::size_t Q = At;
            V.Data = P.Quoted(L, Q);
            if (!TrimSpaceView(std::string_view(L).substr(Q)).empty())
                P.Fail("text after the closing quote");
            V.Data += '\0';
            V.Type = Type;
        };
        if (!Rest.empty() && Rest[0] == '"') {
            TakeString(Pos, REG_SZ);
        } else if (Rest.rfind("expand:", 0) == 0) {
            TakeString(Pos + 7, REG_EXPAND_SZ);
        } else if (Rest.rfind("dword:", 0) == 0) {
            std::string H = Rest.substr(6);
            if (H.size() != 8 ||
                !std::all_of(H.begin(), H.end(), [](char C) { return HexDigit(C) >= 0; }))
                P.Fail("dword needs 8 hexadecimal digits");
            DWORD X = static_cast<DWORD>(std::stoul(H, nullptr, 16));
            V.Type = REG_DWORD;
            V.Data.assign(reinterpret_cast<const char*>(&X), 4);
        } else if (Rest.rfind("hex:", 0) == 0) {
            V.Type = REG_BINARY;
            V.Data = P.Bytes(Rest.substr(4));
        } else if (Rest.rfind("hex(", 0) == 0) {
            std::size_t Close = Rest.find("):");
            if (Close == std::string::npos) P.Fail("bad hex(type) value");
            std::string T = Rest.substr(4, Close - 4);
            if (T.empty() || T.size() > 8 ||
                !std::all_of(T.begin(), T.end(), [](char C) { return HexDigit(C) >= 0; }))
                P.Fail("bad hex(type) value");
            V.Type = static_cast<DWORD>(std::stoul(T, nullptr, 16));
            V.Data = P.Bytes(Rest.substr(Close + 2));
        } else {
            P.Fail("unknown value type");
        }
        if (Current->FindValue(V.Name)) P.Fail("value \"" + V.Name + "\" given twice");
        Current->Values.push_back(std::move(V));
    }
    return D;
}

std::string FormatRegistry(const TRegistryData& Data) {
    std::string Out = std::string(Header) + "\n";
    for (const auto& [Folded, Key] : Data.Keys()) {
        Out += "\n[" + Key.Path + "]\n";
        for (const TRegValue& V : Key.Values) {
            Out += V.Name.empty() ? "@" : Quote(V.Name);
            Out += '=';
            if (IsStringType(V.Type)) {
                std::string S = V.Data;
                if (!S.empty() && S.back() == '\0') S.pop_back();
                // A string with an embedded zero would be cut short on reading; keep its bytes.
                if (S.find('\0') != std::string::npos) {
                    char B[16];
                    std::snprintf(B, sizeof B, "hex(%x):", static_cast<unsigned>(V.Type));
                    Out += B + HexBytes(V.Data);
                } else {
                    Out += (V.Type == REG_EXPAND_SZ ? "expand:" : "") + Quote(S);
                }
            } else if (V.Type == REG_DWORD && V.Data.size() == 4) {
                DWORD X;
                std::memcpy(&X, V.Data.data(), 4);
                char B[16];
                std::snprintf(B, sizeof B, "dword:%08x", static_cast<unsigned>(X));
                Out += B;
            } else if (V.Type == REG_BINARY) {
                Out += "hex:" + HexBytes(V.Data);
            } else {
                char B[16];
                std::snprintf(B, sizeof B, "hex(%x):", static_cast<unsigned>(V.Type));
                Out += B + HexBytes(V.Data);
            }
            Out += '\n';
        }
    }
    return Out;
}

std::string RegistryFilePath() {
    if (auto P = GetEnvironmentValue("QEL_REGISTRY"); P && !P->empty()) return *P;
    return HomeDirectory() + "/.config/qel/registry";
}

// ---- the file ------------------------------------------------------------------------------

namespace {

struct FileId {
    bool Exists = false;
    dev_t Dev = 0;
    ino_t Ino = 0;
    long long MtimeNs = 0;
    off_t Size = 0;
    bool operator==(const FileId&) const = default;
};

FileId Identify(const std::string& Path) {
    struct stat St {};
    FileId Id;
    if (::stat(Path.c_str(), &St) != 0) {
        if (errno != ENOENT && errno != ENOTDIR)
            throw ERegistryException("Cannot read registry file '" + Path +
                                     "': " + std::strerror(errno));
        return Id;
    }
    Id.Exists = true;
    Id.Dev = St.st_dev;
    Id.Ino = St.st_ino;
    Id.MtimeNs = static_cast<long long>(St.st_mtim.tv_sec) * 1000000000LL + St.st_mtim.tv_nsec;
    Id.Size = St.st_size;
    return Id;
}

// A store is a text file of modest size: a device (/dev/zero), a pipe or a runaway file would
// otherwise be read until memory runs out.
constexpr std::size_t MaxStoreBytes = std::size_t(64) << 20;

[[noreturn]] void NotAStore(const std::string& Path, const char* Why) {
    throw ERegistryException("Cannot read registry file '" + Path + "': " + Why);
}

// Refuses a store path that names something other than a regular file, before anything is
// locked, created or renamed beside it.
void CheckStorePath(const std::string& Path) {
    struct stat St {};
    if (::stat(Path.c_str(), &St) == 0 && !S_ISREG(St.st_mode))
        NotAStore(Path, "not a regular file");
}

std::string ReadWhole(const std::string& Path, bool& Missing) {
    Missing = false;
    int Fd = ::open(Path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (Fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            Missing = true;
            return {};
        }
        throw ERegistryException("Cannot read registry file '" + Path +
                                 "': " + std::strerror(errno));
    }
    struct stat St {};
    if (::fstat(Fd, &St) != 0 || !S_ISREG(St.st_mode)) {
        ::close(Fd);
        NotAStore(Path, "not a regular file");
    }
    std::string Text;
    char Buf[65536];
    for (;;) {
        if (Text.size() > MaxStoreBytes) {
            ::close(Fd);
            NotAStore(Path, "larger than 64 MB");
        }
        ssize_t N = ::read(Fd, Buf, sizeof Buf);
        if (N < 0 && errno == EINTR) continue;
        if (N < 0) {
            int E = errno;
            ::close(Fd);
            throw ERegistryException("Cannot read registry file '" + Path +
                                     "': " + std::strerror(E));
        }
        if (N == 0) break;
        Text.append(Buf, static_cast<std::size_t>(N));
    }
    ::close(Fd);
    return Text;
}

struct Cache {
    std::mutex Lock;
    std::string Path;
    FileId Id;
    std::shared_ptr<const TRegistryData> Data;
};

Cache& TheCache() {
    static Cache C;
    return C;
}

std::shared_ptr<const TRegistryData> LoadFresh(const std::string& Path) {
    bool Missing = false;
    std::string Text = ReadWhole(Path, Missing);
    return std::make_shared<const TRegistryData>(ParseRegistry(Text, Path));
}

class FileLock {
  public:
    explicit FileLock(const std::string& Path) {
        Fd_ = ::open(Path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (Fd_ < 0)
            throw ERegistryException("Cannot lock registry file '" + Path +
                                     "': " + std::strerror(errno));
        while (::flock(Fd_, LOCK_EX) != 0) {
            if (errno == EINTR) continue;
            int E = errno;
            ::close(Fd_);
            throw ERegistryException("Cannot lock registry file '" + Path +
                                     "': " + std::strerror(E));
        }
    }
    ~FileLock() { ::close(Fd_); } // closing releases the lock
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

  private:
    int Fd_ = -1;
};

void WriteAtomically(const std::string& Path, const std::string& Text) {
    const std::string Tmp = Path + ".tmp." + std::to_string(::getpid());
    int Fd = ::open(Tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (Fd < 0)
        throw ERegistryException("Cannot write registry file '" + Tmp +
                                 "': " + std::strerror(errno));
    std::size_t Done = 0;
    while (Done < Text.size()) {
        ssize_t N = ::write(Fd, Text.data() + Done, Text.size() - Done);
        if (N < 0 && errno == EINTR) continue;
        if (N <= 0) {
            int E = errno;
            ::close(Fd);
            ::unlink(Tmp.c_str());
            throw ERegistryException("Cannot write registry file '" + Tmp +
                                     "': " + std::strerror(E));
        }
        Done += static_cast<std::size_t>(N);
    }
    if (::fsync(Fd) != 0 || ::close(Fd) != 0) {
        int E = errno;
        ::unlink(Tmp.c_str());
        throw ERegistryException("Cannot write registry file '" + Tmp + "': " + std::strerror(E));
    }
    if (::rename(Tmp.c_str(), Path.c_str()) != 0) {
        int E = errno;
        ::unlink(Tmp.c_str());
        throw ERegistryException("Cannot replace registry file '" + Path +
                                 "': " + std::strerror(E));
    }
}

} // namespace

namespace RegistryStore {

std::shared_ptr<const TRegistryData> Read() {
    const std::string Path = RegistryFilePath();
    Cache& C = TheCache();
    std::lock_guard<std::mutex> G(C.Lock);
    FileId Id = Identify(Path);
    if (C.Data && C.Path == Path && C.Id == Id) return C.Data;
    auto Data = LoadFresh(Path);
    C.Path = Path;
    C.Id = Id;
    C.Data = Data;
    return Data;
}

void Update(const std::function<void(TRegistryData&)>& Change) {
    const std::string Path = RegistryFilePath();
    CheckStorePath(Path);
    std::error_code Ec;
    std::filesystem::path Folder = std::filesystem::path(Path).parent_path();
    if (!Folder.empty() && !std::filesystem::exists(Folder, Ec)) {
        std::filesystem::create_directories(Folder, Ec);
        if (Ec)
            throw ERegistryException("Cannot create the registry folder '" + Folder.string() +
                                     "': " + Ec.message());
    }
    Cache& C = TheCache();
    std::lock_guard<std::mutex> G(C.Lock);
    FileLock Lock(Path + ".lock");
    bool Missing = false;
    const std::string Before = ReadWhole(Path, Missing);
    TRegistryData Data = ParseRegistry(Before, Path);
    Change(Data);
    std::string After = FormatRegistry(Data);
    if (After != Before || Missing) WriteAtomically(Path, After);
    C.Path = Path;
    C.Id = Identify(Path);
    C.Data = std::make_shared<const TRegistryData>(std::move(Data));
}

} // namespace RegistryStore

// ---- system MIME table ---------------------------------------------------------------------

namespace {

// Loads the table when it is first needed or has changed; the caller holds MimeLock().
const std::unordered_map<std::string, std::string>& MimeTable() {
    const std::string Path = GetEnvironmentOr("QEL_MIME_TYPES", "/etc/mime.types");
    static std::string LoadedPath;
    static FileId LoadedId;
    static bool Loaded = false;
    static std::unordered_map<std::string, std::string> Table;
    FileId Id;
    try {
        Id = Identify(Path);
    } catch (const ERegistryException&) {
        // An unreadable table is an empty one.
    }
    if (Loaded && Path == LoadedPath && Id == LoadedId) return Table;
    Table.clear();
    bool Missing = false;
    std::string Text;
    try {
        Text = ReadWhole(Path, Missing);
    } catch (const ERegistryException&) {
    }
    std::istringstream In(Text);
    std::string Line;
    while (std::getline(In, Line)) {
        if (auto H = Line.find('#'); H != std::string::npos) Line.erase(H);
        std::istringstream Words(Line);
        std::string Type, Ext;
        if (!(Words >> Type) || Type.find('/') == std::string::npos) continue;
        // The first type listed for an extension is the one the table means.
        while (Words >> Ext)
            Table.try_emplace(TRegistryData::Fold(Ext), Type);
    }
    LoadedPath = Path;
    LoadedId = Id;
    Loaded = true;
    return Table;
}

std::mutex& MimeLock() {
    static std::mutex M;
    return M;
}

} // namespace

std::string SystemMimeType(const std::string& Extension) {
    if (Extension.size() < 2 || Extension[0] != '.') return {};
    std::lock_guard<std::mutex> G(MimeLock());
    const auto& Table = MimeTable();
    auto It = Table.find(TRegistryData::Fold(Extension.substr(1)));
    return It == Table.end() ? std::string() : It->second;
}

std::vector<std::string> SystemMimeExtensions() {
    std::lock_guard<std::mutex> G(MimeLock());
    std::vector<std::string> R;
    for (const auto& [Ext, Type] : MimeTable())
        R.push_back("." + Ext);
    std::sort(R.begin(), R.end());
    return R;
}

// ---- the reader's view ---------------------------------------------------------------------

namespace {

const char ClassesRoot[] = "HKEY_CLASSES_ROOT";

// The extension when Canonical names HKEY_CLASSES_ROOT\.<ext>, else empty.
std::string ExtensionKey(const std::string& Canonical) {
    const std::string Prefix = std::string(ClassesRoot) + "\\.";
    if (Canonical.size() <= Prefix.size() || Canonical.compare(0, Prefix.size(), Prefix) != 0)
        return {};
    std::string Ext = Canonical.substr(Prefix.size() - 1);
    return Ext.find('\\') == std::string::npos ? Ext : std::string();
}

} // namespace

bool TRegistryView::KeyExists(const std::string& Path) const {
    auto C = TRegistryData::Canonical(Path);
    if (!C) return false;
    if (C->find('\\') == std::string::npos) return true; // a root key always exists
    if (Data_->Find(*C)) return true;
    std::string Ext = ExtensionKey(*C);
    return !Ext.empty() && !SystemMimeType(Ext).empty();
}

std::optional<TRegValue> TRegistryView::Value(const std::string& Path,
                                              const std::string& Name) const {
    auto C = TRegistryData::Canonical(Path);
    if (!C) return std::nullopt;
    if (const TRegKey* K = Data_->Find(*C))
        if (const TRegValue* V = K->FindValue(Name)) return *V;
    if (TRegistryData::Fold(Name) == "content type") {
        std::string Ext = ExtensionKey(*C);
        std::string Type = Ext.empty() ? std::string() : SystemMimeType(Ext);
        if (!Type.empty()) return TRegValue{MimeValueName, REG_SZ, Type + '\0'};
    }
    return std::nullopt;
}

std::vector<std::string> TRegistryView::ValueNames(const std::string& Path) const {
    std::vector<std::string> R;
    auto C = TRegistryData::Canonical(Path);
    if (!C) return R;
    const TRegKey* K = Data_->Find(*C);
    if (K)
        for (const TRegValue& V : K->Values)
            R.push_back(V.Name);
    std::string Ext = ExtensionKey(*C);
    if (!Ext.empty() && !SystemMimeType(Ext).empty() && !(K && K->FindValue(MimeValueName)))
        R.push_back(MimeValueName);
    return R;
}

std::vector<std::string> TRegistryView::SubKeyNames(const std::string& Path) const {
    std::vector<std::string> R = Data_->SubKeyNames(Path);
    auto C = TRegistryData::Canonical(Path);
    if (C && *C == ClassesRoot) {
        std::vector<std::string> Seen;
        for (const std::string& N : R)
            Seen.push_back(TRegistryData::Fold(N));
        std::sort(Seen.begin(), Seen.end());
        for (const std::string& Ext : SystemMimeExtensions())
            if (!std::binary_search(Seen.begin(), Seen.end(), TRegistryData::Fold(Ext)))
                R.push_back(Ext);
    }
    return R;
}

} // namespace qel
