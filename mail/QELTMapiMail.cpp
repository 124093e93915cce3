#include "mail/QELTMapiMail.h"

#include "toolkit/platform/Kernel.h"
#include "toolkit/platform/Registry.h"

#include <cstring>
#include <filesystem>
#include <mutex>

namespace qel {

// ---- The binding ---------------------------------------------------------------------------

namespace {

struct Binding {
    bool Available = false;
    HMODULE Library = nullptr;
    TQELMapiEntryPoints Entries;
    std::string LoadError;
};

Binding& TheBinding() {
    static Binding B;
    return B;
}

// Whether the system says the service is installed.
bool ServicePresent() {
    OSVERSIONINFOA V{};
    V.dwOSVersionInfoSize = sizeof V;
    if (!GetVersionExA(&V)) return false;
    if (V.dwMajorVersion > 3 || (V.dwMajorVersion == 3 && V.dwMinorVersion > 51)) {
        HKEY Key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows Messaging Subsystem", 0,
                          KEY_READ, &Key) != ERROR_SUCCESS)
            return false;
        char Buf[9] = {};
        DWORD Size = sizeof Buf;
        DWORD Type = 0;
        LONG R =
            RegQueryValueExA(Key, "MAPI", nullptr, &Type, reinterpret_cast<LPBYTE>(Buf), &Size);
        RegCloseKey(Key);
        if (R != ERROR_SUCCESS) return false;
        // Exactly the one character "1" (a terminating zero may or may not be stored).
        std::string Value(Buf, Size);
        while (!Value.empty() && Value.back() == '\0')
            Value.pop_back();
        return Value == "1";
    }
    return GetProfileIntA("Mail", "MAPI", 0) != 0;
}

HMODULE LoadQuietly(const std::function<HMODULE(LPCSTR)>& Loader, LPCSTR Name) {
    UINT Old = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE H = Loader(Name);
    SetErrorMode(Old);
    return H;
}

template <class F> bool Resolve(HMODULE Lib, const char* Name, F& Slot) {
    Slot = reinterpret_cast<F>(GetProcAddress(Lib, Name));
    return Slot != nullptr;
}

void Initialize(const std::function<HMODULE(LPCSTR)>& Loader) {
    Binding& B = TheBinding();
    B = Binding{};
    bool Present = false;
    try {
        Present = ServicePresent();
    } catch (...) {
        Present = false; // a broken store means no service, not a broken package
    }
    if (!Present) return;
    HMODULE Lib = LoadQuietly(Loader, "mapi32");
    if (!Lib) Lib = LoadQuietly(Loader, "mapi32.dll");
    if (!Lib) return;
    TQELMapiEntryPoints E;
    bool All = true;
    All &= Resolve(Lib, "MAPIFindNext", E.MAPIFindNext);
    All &= Resolve(Lib, "MAPILogoff", E.MAPILogoff);
    All &= Resolve(Lib, "MAPILogon", E.MAPILogon);
    All &= Resolve(Lib, "MAPISendMail", E.MAPISendMail);
    All &= Resolve(Lib, "MAPIReadMail", E.MAPIReadMail);
    All &= Resolve(Lib, "MAPIDeleteMail", E.MAPIDeleteMail);
    All &= Resolve(Lib, "MAPIResolveName", E.MAPIResolveName);
    All &= Resolve(Lib, "MAPIFreeBuffer", E.MAPIFreeBuffer);
    All &= Resolve(Lib, "MAPIAddress", E.MAPIAddress);
    All &= Resolve(Lib, "MAPISaveMail", E.MAPISaveMail);
    if (!All) {
        // Calling through a missing entry point would crash; keep nothing of this library.
        FreeLibrary(Lib);
        B.LoadError = SQELMapiDllError;
        return;
    }
    B.Library = Lib;
    B.Entries = E;
    B.Available = true;
}

// Unit initialisation and finalisation, with the package's loading and unloading.
struct UnitLifetime {
    UnitLifetime() { Initialize(LoadLibraryA); }
    ~UnitLifetime() { QELMapiFinalize(); }
} const Unit;

// Null-terminated copies of strings handed to Simple MAPI, released after the call.
class CStrings {
  public:
    char* Copy(const std::string& S) {
        Store_.emplace_back(S.begin(), S.end());
        Store_.back().push_back('\0');
        return Store_.back().data();
    }

  private:
    std::vector<std::vector<char>> Store_;
};

std::string Joined(const TStrings* Lines, const char* Sep) {
    std::string R;
    for (int I = 0; I < Lines->Count(); ++I)
        R += Lines->Strings(I) + Sep;
    return R;
}

} // namespace

bool QELMapiAvailable() {
    return TheBinding().Available;
}
const TQELMapiEntryPoints& QELMapiEntries() {
    return TheBinding().Entries;
}
const std::string& QELMapiLoadError() {
    return TheBinding().LoadError;
}

void QELMapiFinalize() {
    Binding& B = TheBinding();
    if (B.Available && B.Library) FreeLibrary(B.Library);
    B = Binding{};
}

void QELMapiReinitialize(std::function<HMODULE(LPCSTR)> Loader) {
    QELMapiFinalize();
    Initialize(Loader ? Loader : std::function<HMODULE(LPCSTR)>(LoadLibraryA));
}

// ---- Message model -------------------------------------------------------------------------

void TQELMapiAttachment::Assign(const TPersistent* Source) {
    if (auto* A = dynamic_cast<const TQELMapiAttachment*>(Source)) {
        Filename_ = A->Filename_;
        return;
    }
    TCollectionItem::Assign(Source);
}

TQELMapiAttachments::TQELMapiAttachments(TQELMapiMessage* Message)
    : TCollection(TQELMapiAttachment::StaticClass()), Message_(Message) {}

TQELMapiAttachment* TQELMapiAttachments::Add(const std::string& FileName) {
    auto* A = static_cast<TQELMapiAttachment*>(TCollection::Add());
    A->SetFilename(FileName);
    return A;
}

TQELMapiAttachment* TQELMapiAttachments::GeTQELMapiAttachment(int Index) const {
    return static_cast<TQELMapiAttachment*>(Items(Index));
}

void TQELMapiAttachments::SeTQELMapiAttachment(int Index, TQELMapiAttachment* Value) {
    SetItems(Index, Value);
}

TPersistent* TQELMapiAttachments::GetOwner() const {
    return Message_;
}

TQELMapiMessage::TQELMapiMessage(TCollection* Collection)
    : TCollectionItem(Collection), Message_(std::make_unique<TStringList>()),
      Attachments_(std::make_unique<TQELMapiAttachments>(this)),
      To_(std::make_unique<TStringList>()), CC_(std::make_unique<TStringList>()),
      BC_(std::make_unique<TStringList>()) {
    if (auto* Owner = dynamic_cast<TQELMapiMessages*>(Collection)) Mail_ = Owner->Mail();
}

TQELMapiMessage::~TQELMapiMessage() = default;

void TQELMapiMessage::Assign(const TPersistent* Source) {
    if (auto* M = dynamic_cast<const TQELMapiMessage*>(Source)) {
        Message_->Assign(M->Message_.get());
        SendMethod_ = M->SendMethod_;
        FaxNumber_ = M->FaxNumber_;
        FaxTo_ = M->FaxTo_;
        Attachments_->Assign(M->Attachments_.get());
        Subject_ = M->Subject_;
        To_->Assign(M->To_.get());
        CC_->Assign(M->CC_.get());
        BC_->Assign(M->BC_.get());
        Receipt_ = M->Receipt_;
        Dialog_ = M->Dialog_;
        return;
    }
    TCollectionItem::Assign(Source);
}

TQELMapiMessages::TQELMapiMessages(TQELMapiMail* Mail)
    : TCollection(TQELMapiMessage::StaticClass()), Mail_(Mail) {}

TQELMapiMessage* TQELMapiMessages::Add() {
    return static_cast<TQELMapiMessage*>(TCollection::Add());
}

bool TQELMapiMessages::Delete(int Index) {
    try {
        TQELMapiMessage* M = GetQELMapiMessage(Index);
        if (Mail_ && Mail_->OnDeleteMail) Mail_->OnDeleteMail(this, M);
        delete M;
        return true;
    } catch (const std::exception&) {
        QELHandleException(this);
        return false;
    }
}

TQELMapiMessage* TQELMapiMessages::GetQELMapiMessage(int Index) const {
    return static_cast<TQELMapiMessage*>(Items(Index));
}

void TQELMapiMessages::SetQELMapiMessage(int Index, TQELMapiMessage* Value) {
    SetItems(Index, Value);
}

TPersistent* TQELMapiMessages::GetOwner() const {
    return Mail_;
}

namespace {
void DescribeMapiAttachment(TClassBuilder<TQELMapiAttachment>& B) {
    B.String("Filename", &TQELMapiAttachment::Filename, &TQELMapiAttachment::SetFilename);
}
void DescribeMapiMessage(TClassBuilder<TQELMapiMessage>& B) {
    B.Strings("Message", &TQELMapiMessage::Message, &TQELMapiMessage::SetMessage);
    B.Enum("SendMethod", &TQELMapiMessage::SendMethod, &TQELMapiMessage::SetSendMethod)
        .SetDefault(ccMail);
    B.String("FaxNumber", &TQELMapiMessage::FaxNumber, &TQELMapiMessage::SetFaxNumber);
    B.String("FaxTo", &TQELMapiMessage::FaxTo, &TQELMapiMessage::SetFaxTo);
    B.Collection("Attachments", &TQELMapiMessage::Attachments, &TQELMapiMessage::SetAttachments);
    B.String("Subject", &TQELMapiMessage::Subject, &TQELMapiMessage::SetSubject);
    B.Strings("RecipientsTo", &TQELMapiMessage::RecipientsTo, &TQELMapiMessage::SetRecipientsTo);
    B.Strings("RecipientsCC", &TQELMapiMessage::RecipientsCC, &TQELMapiMessage::SetRecipientsCC);
    B.Strings("RecipientsBC", &TQELMapiMessage::RecipientsBC, &TQELMapiMessage::SetRecipientsBC);
    B.Bool("Receipt", &TQELMapiMessage::Receipt, &TQELMapiMessage::SetReceipt).SetDefault(0);
    B.Bool("Dialog", &TQELMapiMessage::Dialog, &TQELMapiMessage::SetDialog).SetDefault(0);
}
} // namespace

QEL_IMPLEMENT_CLASS(TQELMapiAttachment, TCollectionItem, DescribeMapiAttachment)
QEL_IMPLEMENT_CLASS(TQELMapiAttachments, TCollection, NoProperties<TQELMapiAttachments>)
QEL_IMPLEMENT_CLASS(TQELMapiMessage, TCollectionItem, DescribeMapiMessage)
QEL_IMPLEMENT_CLASS(TQELMapiMessages, TCollection, NoProperties<TQELMapiMessages>)

// ---- TQELMapiMail --------------------------------------------------------------------------

namespace {
void DescribeMapiMail(TClassBuilder<TQELMapiMail>& B) {
    B.Bool("NewSession", &TQELMapiMail::NewSession, &TQELMapiMail::SetNewSession).SetDefault(0);
    B.Collection("Messages", &TQELMapiMail::Messages, &TQELMapiMail::SetMessages);
    B.String("Password", &TQELMapiMail::Password, &TQELMapiMail::SetPassword);
    B.String("Profile", &TQELMapiMail::Profile, &TQELMapiMail::SetProfile);
    B.Bool("DefaultProfile", &TQELMapiMail::DefaultProfile, &TQELMapiMail::SetDefaultProfile)
        .SetDefault(1);
    B.Strings("Signature", &TQELMapiMail::Signature, &TQELMapiMail::SetSignature);
    B.Bool("DeleteAfterSend", &TQELMapiMail::DeleteAfterSend, &TQELMapiMail::SetDeleteAfterSend)
        .SetDefault(1);
    B.Event("BeforeLogon", &TQELMapiMail::BeforeLogon);
    B.Event("BeforeSendAll", &TQELMapiMail::BeforeSendAll);
    B.Event("AfterSendAll", &TQELMapiMail::AfterSendAll);
    B.Event("BeforeLogoff", &TQELMapiMail::BeforeLogoff);
    B.Event("AfterExecute", &TQELMapiMail::AfterExecute);
    B.Event("OnSendError", &TQELMapiMail::OnSendError);
    B.Event("OnLogonSuccess", &TQELMapiMail::OnLogonSuccess);
    B.Event("OnLogonFailure", &TQELMapiMail::OnLogonFailure);
    B.Event("OnLogoffSuccess", &TQELMapiMail::OnLogoffSuccess);
    B.Event("OnMapiNotAvailable", &TQELMapiMail::OnMapiNotAvailable);
    B.Event("OnLogoffFailure", &TQELMapiMail::OnLogoffFailure);
    B.Event("BeforeSendMail", &TQELMapiMail::BeforeSendMail);
    B.Event("AfterSendMail", &TQELMapiMail::AfterSendMail);
    B.Event("OnDeleteMail", &TQELMapiMail::OnDeleteMail);
}

// The default messaging profile's name as the registry records it; Current when the key does
// not open, empty when the value cannot be read.
std::string DefaultProfileName(const std::string& Current) {
    TRegistry Reg;
    const char* NewKey =
        "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem\\Profiles";
    const char* OldKey = "Software\\Microsoft\\Windows Messaging Subsystem\\Profiles";
    std::string Key = Reg.KeyExists(NewKey) ? NewKey : OldKey;
    Reg.SetRootKey(HKEY_CURRENT_USER);
    if (!Reg.OpenKey(Key, false)) return Current;
    try {
        return Reg.ReadString("DefaultProfile");
    } catch (const ERegistryException&) {
        return {};
    }
}
} // namespace

QEL_IMPLEMENT_CLASS(TQELMapiMail, TQELMailsComponent, DescribeMapiMail)

TQELMapiMail::TQELMapiMail(TComponent* AOwner)
    : TQELMailsComponent(AOwner), Messages_(std::make_unique<TQELMapiMessages>(this)),
      Signature_(std::make_unique<TStringList>()) {}

TQELMapiMail::~TQELMapiMail() {
    if (Session_ != 0) {
        try {
            Logoff();
        } catch (...) {
            // A destructor must not throw; the session ends with the process at the latest.
        }
    }
}

bool TQELMapiMail::CheckMAPI() {
    if (QELMapiAvailable()) return true;
    if (!QELMapiLoadError().empty()) throw TQELExceptdllerror(QELMapiLoadError());
    if (IsDesigning()) throw TQELExceptunavailable(SQELMapiUnavailable);
    if (OnMapiNotAvailable) OnMapiNotAvailable(this);
    return false;
}

bool TQELMapiMail::Execute() {
    bool Result = false;
    try {
        int R = Logon();
        if (R == 0) {
            if (BeforeSendAll) BeforeSendAll(this);
            SendMapi();
            if (AfterSendAll) AfterSendAll(this);
            Logoff();
            Result = true;
        }
    } catch (const std::exception&) {
        // A library without the entry points (or any other failure of a step) is shown by the
        // application's handler like every failure inside Execute; AfterExecute still follows.
        QELHandleException(this);
        Result = false;
    }
    if (AfterExecute) AfterExecute(this);
    return Result;
}

int TQELMapiMail::Logon() {
    if (!CheckMAPI()) return static_cast<int>(MAPI_E_NOT_SUPPORTED);
    if (BeforeLogon) BeforeLogon(this);
    if (Session_ != 0) return 0;
    if (DefaultProfile_)
        Profile_ = DefaultProfileName(Profile_);
    else
        LogonFlags_ |= MAPI_LOGON_UI;
    if (NewSession_) LogonFlags_ |= MAPI_NEW_SESSION;
    const TQELMapiEntryPoints& E = QELMapiEntries();
    CStrings Copies;
    LHANDLE H = 0;
    MAPI_ULONG R =
        E.MAPILogon(0, Copies.Copy(Profile_), Copies.Copy(Password_), LogonFlags_, 0, &H);
    if (R != SUCCESS_SUCCESS) {
        // Let the client ask the user. The flag is or-ed in: adding it to flags that already
        // hold it would turn it into another flag.
        H = 0;
        R = E.MAPILogon(0, nullptr, nullptr, LogonFlags_ | MAPI_LOGON_UI, 0, &H);
    }
    if (R != SUCCESS_SUCCESS) {
        if (OnLogonFailure) OnLogonFailure(this, static_cast<int>(R));
    } else {
        Session_ = H;
        if (OnLogonSuccess) OnLogonSuccess(this);
    }
    return static_cast<int>(R);
}

int TQELMapiMail::Logoff() {
    if (!CheckMAPI()) return static_cast<int>(MAPI_E_NOT_SUPPORTED);
    if (BeforeLogoff) BeforeLogoff(this);
    if (Session_ == 0) return 0;
    MAPI_ULONG R = QELMapiEntries().MAPILogoff(Session_, 0, 0, 0);
    Session_ = 0;
    if (R != SUCCESS_SUCCESS) {
        if (OnLogoffFailure) OnLogoffFailure(this, static_cast<int>(R));
    } else if (OnLogoffSuccess) {
        OnLogoffSuccess(this);
    }
    return static_cast<int>(R);
}

MapiRecipDesc* TQELMapiMail::TheRecipients(TQELMapiMessage* Mail) {
    std::vector<std::string> Lines;
    for (TStrings* L : {Mail->RecipientsTo(), Mail->RecipientsCC(), Mail->RecipientsBC()})
        for (int I = 0; I < L->Count(); ++I)
            Lines.push_back(L->Strings(I));
    const std::size_t ToCount = static_cast<std::size_t>(Mail->RecipientsTo()->Count());
    const std::size_t CcEnd = ToCount + static_cast<std::size_t>(Mail->RecipientsCC()->Count());
    Recips_.fill(MapiRecipDesc{});
    for (std::string& S : RecipNames_)
        S.clear();
    for (std::string& S : RecipAddresses_)
        S.clear();
    ResolveError_ = 0;
    const TQELMapiEntryPoints& E = QELMapiEntries();
    for (std::size_t I = 0; I < Lines.size() && I < Recips_.size(); ++I) {
        if (Lines[I].empty()) continue;
        CStrings Copies;
        char* Name = Copies.Copy(Lines[I].substr(0, 255));
        lpMapiRecipDesc Resolved = nullptr;
        MAPI_ULONG R = E.MAPIResolveName(Session_, 0, Name, 0, 0, &Resolved);
        if (R == MAPI_E_AMBIGUOUS_RECIPIENT || R == MAPI_E_UNKNOWN_RECIPIENT) {
            Resolved = nullptr;
            R = E.MAPIResolveName(Session_, 0, Name, MAPI_DIALOG, 0, &Resolved);
        }
        if (R != SUCCESS_SUCCESS || !Resolved) {
            // Its entry stays empty; SendMapi refuses to send with a recipient missing.
            if (Resolved) E.MAPIFreeBuffer(Resolved);
            if (ResolveError_ == 0)
                ResolveError_ =
                    static_cast<int>(R != SUCCESS_SUCCESS ? R : MAPI_E_UNKNOWN_RECIPIENT);
            continue;
        }
        MapiRecipDesc& Entry = Recips_[I];
        Entry.ulRecipClass = I < ToCount ? MAPI_TO : I < CcEnd ? MAPI_CC : MAPI_BCC;
        const std::string ResolvedName = Resolved->lpszName ? Resolved->lpszName : "";
        const std::string& Line = Lines[I];
        const bool LineBracketed =
            Line.find('[') != std::string::npos && Line.find(']') != std::string::npos;
        const bool NameBracketed = ResolvedName.find('[') != std::string::npos ||
                                   ResolvedName.find(']') != std::string::npos;
        E.MAPIFreeBuffer(Resolved);
        if (LineBracketed && !NameBracketed) {
            // A bracketed address is passed literally, as both name and address.
            std::string Literal = Line;
            Literal.erase(Literal.find(']'), 1);
            Literal.erase(Literal.find('['), 1);
            RecipNames_[I] = Literal;
            RecipAddresses_[I] = Literal;
            Entry.lpszName = RecipNames_[I].data();
            Entry.lpszAddress = RecipAddresses_[I].data();
        } else {
            Lines[I] = ResolvedName;
            RecipNames_[I] = ResolvedName;
            Entry.lpszName = RecipNames_[I].data();
            Entry.lpszAddress = nullptr;
        }
    }
    return Recips_.data();
}

int TQELMapiMail::SendOne(TQELMapiMessage* Mail) {
    const TQELMapiEntryPoints& E = QELMapiEntries();
    CStrings Copies;
    const int Files = Mail->Attachments()->Count();
    std::string Note = std::string(static_cast<std::size_t>(Files), ' ') + "\r" +
                       Joined(Mail->Message(), "\r\n") + Joined(Signature_.get(), "\r\n");
    MapiMessage M{};
    M.lpszSubject = Copies.Copy(Mail->Subject());
    M.lpszNoteText = Copies.Copy(Note);
    FLAGS SendFlags = 0;
    MapiRecipDesc Fax{};
    std::vector<MapiFileDesc> FileDescs;
    if (Mail->SendMethod() == ccFax) {
        M.nRecipCount = 1;
        if (!Mail->FaxNumber().empty()) {
            Fax.ulRecipClass = MAPI_TO;
            Fax.lpszName = Copies.Copy(Mail->FaxTo());
            Fax.lpszAddress = Copies.Copy("Fax:" + Mail->FaxNumber());
            M.lpRecips = &Fax;
        }
    } else {
        const int Count = Mail->RecipientsTo()->Count() + Mail->RecipientsCC()->Count() +
                          Mail->RecipientsBC()->Count();
        M.nRecipCount = static_cast<MAPI_ULONG>(Count);
        if (Count > 0) {
            SendFlags = Mail->Dialog() ? MAPI_DIALOG : 0;
            M.lpRecips = TheRecipients(Mail);
            if (ResolveError_ != 0) {
                // Sending without a recipient the application named would report success
                // for mail that never reaches them.
                if (OnSendError) OnSendError(this, ResolveError_, Mail);
                return ResolveError_;
            }
        } else {
            SendFlags = MAPI_DIALOG;
        }
        for (int I = 0; I < Files; ++I) {
            MapiFileDesc D{};
            D.nPosition = MAPI_NO_POSITION;
            const std::string& Path = Mail->Attachments()->GeTQELMapiAttachment(I)->Filename();
            std::error_code Ec;
            if (!Path.empty() && std::filesystem::is_regular_file(Path, Ec)) {
                D.lpszPathName = Copies.Copy(Path);
                std::size_t Slash = Path.find_last_of("/\\");
                D.lpszFileName =
                    Copies.Copy(Slash == std::string::npos ? Path : Path.substr(Slash + 1));
            }
            FileDescs.push_back(D);
        }
        M.nFileCount = static_cast<MAPI_ULONG>(FileDescs.size());
        M.lpFiles = FileDescs.empty() ? nullptr : FileDescs.data();
    }
    if (Mail->Receipt()) M.flFlags = MAPI_RECEIPT_REQUESTED;
    MAPI_ULONG R = E.MAPISendMail(Session_, 0, &M, SendFlags, 0);
    if (R != SUCCESS_SUCCESS) {
        if (OnSendError) OnSendError(this, static_cast<int>(R), Mail);
    } else {
        Mail->Sent_ = true;
        if (AfterSendMail) AfterSendMail(this, Mail);
    }
    return static_cast<int>(R);
}

int TQELMapiMail::SendMapi() {
    if (!CheckMAPI()) return static_cast<int>(MAPI_E_NOT_SUPPORTED);
    int Result = 0;
    // Handlers may add or remove messages, so the count is taken afresh each time.
    for (int I = 0; I < Messages_->Count(); ++I) {
        TQELMapiMessage* Mail = Messages_->GetQELMapiMessage(I);
        try {
            Mail->Sent_ = false;
            if (BeforeSendMail) BeforeSendMail(this, Mail);
            const int Recipients = Mail->RecipientsTo()->Count() + Mail->RecipientsCC()->Count() +
                                   Mail->RecipientsBC()->Count();
            if (Recipients > MaxRecipients) return static_cast<int>(MAPI_E_TOO_MANY_RECIPIENTS);
            if (Mail->Attachments()->Count() > MaxFiles)
                return static_cast<int>(MAPI_E_TOO_MANY_FILES);
            Result = SendOne(Mail);
        } catch (const std::exception&) {
            QELHandleException(this);
        }
    }
    if (DeleteAfterSend_) {
        for (int I = Messages_->Count() - 1; I >= 0; --I)
            if (Messages_->GetQELMapiMessage(I)->Sent()) Messages_->Delete(I);
    }
    return Result;
}

// ---- TQELQuickMail -------------------------------------------------------------------------

namespace {
void DescribeQuickMail(TClassBuilder<TQELQuickMail>& B) {
    B.String("ToEmailorFaxAddress", &TQELQuickMail::ToEmailorFaxAddress,
             &TQELQuickMail::SetToEmailorFaxAddress);
    B.String("ToName", &TQELQuickMail::ToName, &TQELQuickMail::SetToName);
    B.Strings("TextToSend", &TQELQuickMail::TextToSend, &TQELQuickMail::SetTextToSend);
    B.String("Subject", &TQELQuickMail::Subject, &TQELQuickMail::SetSubject);
    B.Enum("MailorFax", &TQELQuickMail::MailorFax, &TQELQuickMail::SetMailorFax).SetDefault(ccMail);
    B.String("ErrorNo", &TQELQuickMail::ErrorNo, &TQELQuickMail::SetErrorNo);
    B.Event("BeforeSend", &TQELQuickMail::BeforeSend);
    B.Event("OnError", &TQELQuickMail::OnError);
}
} // namespace

QEL_IMPLEMENT_CLASS(TQELQuickMail, TQELMailsComponent, DescribeQuickMail)

TQELQuickMail::TQELQuickMail(TComponent* AOwner)
    : TQELMailsComponent(AOwner), ToAddress_("support@qel-components.example"),
      ToName_("QEL Components Support"), Text_(std::make_unique<TStringList>()) {}

TQELQuickMail::~TQELQuickMail() = default;

bool TQELQuickMail::Execute() {
    if (BeforeSend) BeforeSend(this);
    MAPI_ULONG R;
    bool Sent = true;
    if (!QELMapiAvailable()) {
        R = MAPI_E_NOT_SUPPORTED;
        // A library that was found but lacks the entry points is a fault of the installation the
        // user must hear about, not only an error number.
        if (!QELMapiLoadError().empty()) {
            Sent = false;
            try {
                throw TQELExceptdllerror(QELMapiLoadError());
            } catch (const std::exception&) {
                QELHandleException(this);
            }
        }
    } else {
        CStrings Copies;
        MapiRecipDesc To{};
        To.ulRecipClass = MAPI_TO;
        To.lpszName = Copies.Copy(ToName_);
        To.lpszAddress = Copies.Copy((MailorFax_ == ccFax ? "Fax:" : "smtp:") + ToAddress_);
        MapiMessage M{};
        M.lpszSubject = Copies.Copy(Subject_);
        M.lpszNoteText = Copies.Copy(Joined(Text_.get(), "\r\n"));
        M.flFlags = MAPI_RECEIPT_REQUESTED;
        M.nRecipCount = 1;
        M.lpRecips = &To;
        R = QELMapiEntries().MAPISendMail(0, 0, &M, MAPI_LOGON_UI, 0);
    }
    ErrorNo_ = std::to_string(R);
    if (R != SUCCESS_SUCCESS && OnError) OnError(this);
    return Sent;
}

} // namespace qel
