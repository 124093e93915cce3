#include "mail/provider/ProviderCore.h"

#include "toolkit/core/TextUtils.h"
#include "toolkit/platform/Environment.h"
#include "toolkit/platform/RegistryStore.h"
#include "toolkit/platform/SocketConnection.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <new>
#include <unordered_set>

namespace qel::mapi {

namespace {

std::optional<std::string> StringValue(const TRegistryView& V, const std::string& Key,
                                       const std::string& Name) {
    auto Val = V.Value(Key, Name);
    if (!Val) return std::nullopt;
    if (Val->Type == REG_SZ || Val->Type == REG_EXPAND_SZ) return std::string(Val->Data.c_str());
    if (Val->Type == REG_DWORD && Val->Data.size() == 4) {
        std::int32_t X;
        std::memcpy(&X, Val->Data.data(), 4);
        return std::to_string(X);
    }
    return std::nullopt;
}

void ApplySettings(const TRegistryView& V, const std::string& Key, Settings& S) {
    if (auto X = StringValue(V, Key, "SmtpHost")) S.SmtpHost = TrimSpace(*X);
    if (auto X = StringValue(V, Key, "SmtpPort")) {
        char* End = nullptr;
        long P = std::strtol(X->c_str(), &End, 10);
        if (!X->empty() && *End == '\0' && P > 0 && P < 65536) S.SmtpPort = static_cast<int>(P);
    }
    if (auto X = StringValue(V, Key, "Outbox"); X && !X->empty()) S.Outbox = *X;
    if (auto X = StringValue(V, Key, "FaxSpool"); X && !X->empty()) S.FaxSpool = *X;
    if (auto X = StringValue(V, Key, "AddressBook"); X && !X->empty()) S.AddressBook = *X;
    if (auto X = StringValue(V, Key, "Sender"); X && !X->empty()) S.Sender = TrimSpace(*X);
}

std::string BaseKey() {
    return std::string("HKEY_CURRENT_USER\\") + SettingsKey;
}
std::string ProfileKey(const std::string& P) {
    return BaseKey() + "\\Profiles\\" + P;
}

// Characters that would let a value escape its header line or SMTP command.
bool Unsafe(const std::string& S) {
    return S.find_first_of("\r\n\t<>\"(),;: \\") != std::string::npos ||
           std::any_of(S.begin(), S.end(),
                       [](char C) { return static_cast<unsigned char>(C) < 0x20; });
}

bool ValidMail(const std::string& A) {
    std::size_t At = A.find('@');
    return At != std::string::npos && At > 0 && At + 1 < A.size() &&
           A.find('@', At + 1) == std::string::npos && !Unsafe(A);
}

std::optional<std::string> CleanFax(std::string N) {
    N = TrimSpace(N);
    if (N.empty()) return std::nullopt;
    for (char C : N)
        if (!(std::isdigit(static_cast<unsigned char>(C)) || std::strchr("+-() /.", C)))
            return std::nullopt;
    return N;
}

std::size_t FindNoCase(const std::string& Hay, const std::string& Needle) {
    return LowerCase(Hay).find(LowerCase(Needle));
}

} // namespace

Settings LoadSettings(const std::string& Profile) {
    Settings S;
    const std::string Home = HomeDirectory();
    S.Outbox = Home + "/.local/share/qel/outbox";
    S.FaxSpool = Home + "/.local/share/qel/faxspool";
    S.AddressBook = Home + "/.config/qel/addressbook";
    std::string User = GetEnvironmentOr("USER", GetEnvironmentOr("LOGNAME", "user"));
    S.Sender = User + "@" + LocalHostName();
    TRegistryView V;
    ApplySettings(V, BaseKey(), S);
    if (!Profile.empty()) ApplySettings(V, ProfileKey(Profile), S);
    return S;
}

bool ProfileExists(const std::string& Profile) {
    return !Profile.empty() && Profile.find('\\') == std::string::npos &&
           TRegistryView().KeyExists(ProfileKey(Profile));
}

std::optional<std::string> ProfilePassword(const std::string& Profile) {
    return StringValue(TRegistryView(), ProfileKey(Profile), "Password");
}

std::vector<BookEntry> LoadAddressBook(const std::string& Path) {
    std::vector<BookEntry> Book;
    std::ifstream In(Path);
    std::string Line;
    while (std::getline(In, Line)) {
        std::string L = TrimSpace(Line);
        if (L.empty() || L[0] == '#') continue;
        std::size_t Eq = L.find('=');
        if (Eq == std::string::npos) continue;
        BookEntry E{TrimSpace(L.substr(0, Eq)), TrimSpace(L.substr(Eq + 1))};
        if (!E.Name.empty() && ParseAddress(E.Address)) Book.push_back(std::move(E));
    }
    return Book;
}

std::optional<Address> ParseAddress(const std::string& Raw) {
    std::string T = TrimSpace(Raw);
    if (T.empty() || T.find_first_of("\r\n") != std::string::npos) return std::nullopt;
    if (std::size_t P = FindNoCase(T, "fax:"); P != std::string::npos) {
        auto N = CleanFax(T.substr(P + 4));
        if (!N) return std::nullopt;
        return Address{Address::Fax, *N};
    }
    if (std::size_t P = FindNoCase(T, "smtp:"); P != std::string::npos) {
        std::string A = TrimSpace(T.substr(P + 5));
        if (!A.empty() && A.front() == '<' && A.back() == '>') A = A.substr(1, A.size() - 2);
        if (!ValidMail(A)) return std::nullopt;
        return Address{Address::Mail, A};
    }
    if (std::size_t L = T.rfind('<'); L != std::string::npos && T.back() == '>') {
        std::string A = T.substr(L + 1, T.size() - L - 2);
        if (!ValidMail(A)) return std::nullopt;
        return Address{Address::Mail, A};
    }
    if (ValidMail(T)) return Address{Address::Mail, T};
    return std::nullopt;
}

Resolution ResolveName(const std::vector<BookEntry>& Book, const std::string& Raw) {
    Resolution R;
    std::string Name = TrimSpace(Raw);
    if (Name.empty()) return R;
    std::size_t Open = Name.find('['), Close = Name.find(']');
    if (Open != std::string::npos && Close != std::string::npos && Open < Close) {
        if (auto A = ParseAddress(Name.substr(Open + 1, Close - Open - 1))) {
            R.Status = ResolveStatus::Resolved;
            R.Where = *A;
            R.Name = A->Value;
            return R;
        }
    }
    const std::string Key = LowerCase(Name);
    for (const BookEntry& E : Book) {
        if (LowerCase(E.Name) == Key || LowerCase(E.Address) == Key) {
            R.Status = ResolveStatus::Resolved;
            R.Name = E.Name;
            R.Where = *ParseAddress(E.Address);
            return R;
        }
    }
    const BookEntry* Only = nullptr;
    int Count = 0;
    for (const BookEntry& E : Book)
        if (LowerCase(E.Name).find(Key) != std::string::npos) {
            Only = &E;
            ++Count;
        }
    if (Count > 1) {
        R.Status = ResolveStatus::Ambiguous;
        return R;
    }
    if (Count == 1) {
        R.Status = ResolveStatus::Resolved;
        R.Name = Only->Name;
        R.Where = *ParseAddress(Only->Address);
        return R;
    }
    if (auto A = ParseAddress(Name)) {
        R.Status = ResolveStatus::Resolved;
        R.Where = *A;
        R.Name = A->Value;
    }
    return R;
}

MAPI_ULONG ReadMessage(const MapiMessage* In, const std::vector<BookEntry>& Book, OutMessage& Out) {
    if (!In) return MAPI_E_INVALID_MESSAGE;
    Out = OutMessage{};
    Out.Subject = In->lpszSubject ? In->lpszSubject : "";
    Out.Note = In->lpszNoteText ? In->lpszNoteText : "";
    Out.Receipt = (In->flFlags & MAPI_RECEIPT_REQUESTED) != 0;
    // A count without records (or records without a count) cannot be trusted.
    if (In->nRecipCount > 0 && !In->lpRecips) return MAPI_E_INVALID_RECIPS;
    if (In->nFileCount > 0 && !In->lpFiles) return MAPI_E_ATTACHMENT_NOT_FOUND;
    for (MAPI_ULONG I = 0; I < In->nRecipCount; ++I) {
        const MapiRecipDesc& D = In->lpRecips[I];
        if (D.ulRecipClass == MAPI_ORIG) continue;
        if (D.ulRecipClass > MAPI_BCC) return MAPI_E_BAD_RECIPTYPE;
        Recipient R;
        R.Name = D.lpszName ? D.lpszName : "";
        std::optional<Address> A;
        if (D.lpszAddress && *D.lpszAddress) {
            A = ParseAddress(D.lpszAddress);
        } else if (!R.Name.empty()) {
            Resolution Res = ResolveName(Book, R.Name);
            if (Res.Status == ResolveStatus::Ambiguous) return MAPI_E_AMBIGUOUS_RECIPIENT;
            if (Res.Status == ResolveStatus::Resolved) A = Res.Where;
        }
        if (!A) return MAPI_E_UNKNOWN_RECIPIENT;
        R.Where = *A;
        if (R.Name == A->Value || R.Name == A->Text()) R.Name.clear();
        auto& List = D.ulRecipClass == MAPI_TO   ? Out.To
                     : D.ulRecipClass == MAPI_CC ? Out.Cc
                                                 : Out.Bcc;
        List.push_back(std::move(R));
    }
    if (Out.To.empty() && Out.Cc.empty() && Out.Bcc.empty()) return MAPI_E_INVALID_RECIPS;
    for (MAPI_ULONG I = 0; I < In->nFileCount; ++I) {
        const MapiFileDesc& F = In->lpFiles[I];
        if (!F.lpszPathName || !*F.lpszPathName) return MAPI_E_ATTACHMENT_NOT_FOUND;
        FileRef Ref;
        Ref.Path = F.lpszPathName;
        Ref.Name = F.lpszFileName && *F.lpszFileName ? F.lpszFileName : "";
        if (Ref.Name.empty()) {
            std::size_t Slash = Ref.Path.find_last_of('/');
            Ref.Name = Slash == std::string::npos ? Ref.Path : Ref.Path.substr(Slash + 1);
        }
        std::ifstream Probe(Ref.Path, std::ios::binary);
        if (!Probe) return MAPI_E_ATTACHMENT_NOT_FOUND;
        Out.Files.push_back(std::move(Ref));
    }
    return SUCCESS_SUCCESS;
}

// ---- buffers -------------------------------------------------------------------------------

namespace {
std::mutex BufferLock;
std::unordered_set<void*>& Buffers() {
    static std::unordered_set<void*> B;
    return B;
}
} // namespace

MapiRecipDesc* NewRecipient(MAPI_ULONG Class, const std::string& Name, const std::string& Address) {
    // One block holds the record and its strings, so that one MAPIFreeBuffer releases it all.
    const std::size_t Size = sizeof(MapiRecipDesc) + Name.size() + 1 + Address.size() + 1;
    char* Block = static_cast<char*>(std::calloc(1, Size));
    if (!Block) return nullptr;
    auto* R = new (Block) MapiRecipDesc{};
    char* S = Block + sizeof(MapiRecipDesc);
    std::memcpy(S, Name.c_str(), Name.size() + 1);
    char* A = S + Name.size() + 1;
    std::memcpy(A, Address.c_str(), Address.size() + 1);
    R->ulRecipClass = Class;
    R->lpszName = S;
    R->lpszAddress = A;
    std::lock_guard<std::mutex> G(BufferLock);
    Buffers().insert(Block);
    return R;
}

MAPI_ULONG FreeBuffer(void* P) {
    if (!P) return SUCCESS_SUCCESS;
    std::lock_guard<std::mutex> G(BufferLock);
    // Only what this provider handed out: anything else would corrupt the caller's heap.
    if (!Buffers().erase(P)) return MAPI_E_FAILURE;
    std::free(P);
    return SUCCESS_SUCCESS;
}

} // namespace qel::mapi
