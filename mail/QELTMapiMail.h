#pragma once
// Mail and faxes through the platform's Simple MAPI service. The unit finds out once, when the
// package is loaded, whether the service is there and loads its library ("mapi32", see
// toolkit/platform/DynLib.h for where that name leads); TQELMapiMail then sends a collection of
// prepared messages in one logged-on session, and TQELQuickMail sends one short message with a
// single call.
#include "mail/QELMails.h"
#include "mail/SimpleMapi.h"
#include "toolkit/core/Collection.h"
#include "toolkit/core/Event.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/core/Export.h"
#include "toolkit/core/Strings.h"
#include "toolkit/platform/DynLib.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

// ---- The binding ---------------------------------------------------------------------------

class TQELExceptdllerror : public Exception {
    using Exception::Exception;
};
class TQELExceptunavailable : public Exception {
    using Exception::Exception;
};
// For attachment failures; nothing in the package raises it.
class TQELExceptAttachmentError : public Exception {
    using Exception::Exception;
};

inline constexpr char SQELMapiDllError[] = "GetProcAddress for MAPI DLL function(s) failed";
inline constexpr char SQELMapiUnavailable[] = "MAPI services are not available on this system";

// The ten entry points, resolved by name.
struct TQELMapiEntryPoints {
    LPMAPIFINDNEXT MAPIFindNext = nullptr;
    LPMAPILOGOFF MAPILogoff = nullptr;
    LPMAPILOGON MAPILogon = nullptr;
    LPMAPISENDMAIL MAPISendMail = nullptr;
    LPMAPIREADMAIL MAPIReadMail = nullptr;
    LPMAPIDELETEMAIL MAPIDeleteMail = nullptr;
    LPMAPIRESOLVENAME MAPIResolveName = nullptr;
    LPMAPIFREEBUFFER MAPIFreeBuffer = nullptr;
    LPMAPIADDRESS MAPIAddress = nullptr;
    LPMAPISAVEMAIL MAPISaveMail = nullptr;
};

// True once the library is loaded with all ten entry points.
bool QELMapiAvailable();
const TQELMapiEntryPoints& QELMapiEntries();
// When the library was found but an entry point was missing: the TQELExceptdllerror message.
// The unit cannot make the loading of the package fail the way an exception from unit
// initialisation would elsewhere (it would end the process), so it keeps the library unloaded
// and the components raise TQELExceptdllerror when they are used.
const std::string& QELMapiLoadError();

// Runs the unit's finalisation and initialisation again. Loader replaces LoadLibraryA (for
// tests of the library search); the registry, version and profile reads are the real ones.
void QELMapiReinitialize(std::function<HMODULE(LPCSTR)> Loader = {});
// The unit's finalisation: frees the library; MAPI is then unavailable.
void QELMapiFinalize();

// ---- Message model -------------------------------------------------------------------------

enum TQELFaxorMail { ccMail, ccFax };
QEL_ENUM_INFO(TQELFaxorMail, "ccMail", "ccFax")

class TQELMapiMail;
class TQELMapiMessage;

using TQELOnSendError = TEvent<void(TObject* Sender, int ErrorNo, TQELMapiMessage* Mail)>;
using TQELMapiConnect = TEvent<void(TObject* Sender, int ErrorNo)>;
using TQELMapiSend = TEvent<void(TObject* Sender, TQELMapiMessage* Mail)>;

class TQELMapiAttachment : public TCollectionItem {
    QEL_CLASS(TQELMapiAttachment, TCollectionItem)
  public:
    explicit TQELMapiAttachment(TCollection* Collection) : TCollectionItem(Collection) {}
    const std::string& Filename() const { return Filename_; }
    void SetFilename(const std::string& V) { Filename_ = V; }
    void Assign(const TPersistent* Source) override;

  protected:
    std::string GetDisplayName() const override { return "Attachment"; }

  private:
    std::string Filename_;
};

class TQELMapiAttachments : public TCollection {
    QEL_CLASS(TQELMapiAttachments, TCollection)
  public:
    explicit TQELMapiAttachments(TQELMapiMessage* Message);
    TQELMapiAttachment* Add(const std::string& FileName);
    TQELMapiAttachment* GeTQELMapiAttachment(int Index) const;
    void SeTQELMapiAttachment(int Index, TQELMapiAttachment* Value);
    TQELMapiAttachment* operator[](int Index) const { return GeTQELMapiAttachment(Index); }

  protected:
    TPersistent* GetOwner() const override;

  private:
    TQELMapiMessage* Message_;
};

class TQELMapiMessage : public TCollectionItem {
    QEL_CLASS(TQELMapiMessage, TCollectionItem)
  public:
    explicit TQELMapiMessage(TCollection* Collection);
    ~TQELMapiMessage() override;

    TStrings* Message() const { return Message_.get(); }
    void SetMessage(TStrings* Value) { Message_->Assign(Value); }
    TQELFaxorMail SendMethod() const { return SendMethod_; }
    void SetSendMethod(TQELFaxorMail V) { SendMethod_ = V; }
    const std::string& FaxNumber() const { return FaxNumber_; }
    void SetFaxNumber(const std::string& V) { FaxNumber_ = V; }
    const std::string& FaxTo() const { return FaxTo_; }
    void SetFaxTo(const std::string& V) { FaxTo_ = V; }
    TQELMapiAttachments* Attachments() const { return Attachments_.get(); }
    void SetAttachments(TQELMapiAttachments* Value) { Attachments_->Assign(Value); }
    const std::string& Subject() const { return Subject_; }
    void SetSubject(const std::string& V) { Subject_ = V; }
    TStrings* RecipientsTo() const { return To_.get(); }
    void SetRecipientsTo(TStrings* Value) { To_->Assign(Value); }
    TStrings* RecipientsCC() const { return CC_.get(); }
    void SetRecipientsCC(TStrings* Value) { CC_->Assign(Value); }
    TStrings* RecipientsBC() const { return BC_.get(); }
    void SetRecipientsBC(TStrings* Value) { BC_->Assign(Value); }
    bool Receipt() const { return Receipt_; }
    void SetReceipt(bool V) { Receipt_ = V; }
    bool Dialog() const { return Dialog_; }
    void SetDialog(bool V) { Dialog_ = V; }

    // Set when the last SendMapi handed this message over successfully.
    bool Sent() const { return Sent_; }
    TQELMapiMail* MailComponent() const { return Mail_; }

    void Assign(const TPersistent* Source) override;

  protected:
    std::string GetDisplayName() const override { return "Outgoing Mail"; }

  private:
    friend class TQELMapiMail;
    std::unique_ptr<TStringList> Message_;
    TQELFaxorMail SendMethod_ = ccMail;
    std::string FaxNumber_;
    std::string FaxTo_;
    std::unique_ptr<TQELMapiAttachments> Attachments_;
    std::string Subject_;
    std::unique_ptr<TStringList> To_, CC_, BC_;
    bool Receipt_ = false;
    bool Dialog_ = false;
    bool Sent_ = false;
    TQELMapiMail* Mail_ = nullptr;
};

class TQELMapiMessages : public TCollection {
    QEL_CLASS(TQELMapiMessages, TCollection)
  public:
    explicit TQELMapiMessages(TQELMapiMail* Mail);
    TQELMapiMessage* Add();
    // Fires the component's OnDeleteMail (Sender: this collection) and frees the message.
    // A failure goes to the application's exception handler and gives False.
    bool Delete(int Index);
    TQELMapiMessage* GetQELMapiMessage(int Index) const;
    void SetQELMapiMessage(int Index, TQELMapiMessage* Value);
    TQELMapiMessage* operator[](int Index) const { return GetQELMapiMessage(Index); }
    TQELMapiMail* Mail() const { return Mail_; }

  protected:
    TPersistent* GetOwner() const override;

  private:
    TQELMapiMail* Mail_;
};

// ---- Components ----------------------------------------------------------------------------

class TQELMapiMail : public TQELMailsComponent {
    QEL_CLASS(TQELMapiMail, TQELMailsComponent)
  public:
    static constexpr int MaxRecipients = 999;
    static constexpr int MaxFiles = 100;

    explicit TQELMapiMail(TComponent* AOwner);
    ~TQELMapiMail() override;

    bool NewSession() const { return NewSession_; }
    void SetNewSession(bool V) { NewSession_ = V; }
    TQELMapiMessages* Messages() const { return Messages_.get(); }
    void SeTQELMapiMessages(TQELMapiMessages* Value) { Messages_->Assign(Value); }
    void SetMessages(TQELMapiMessages* Value) { SeTQELMapiMessages(Value); }
    const std::string& Password() const { return Password_; }
    void SetPassword(const std::string& V) { Password_ = V; }
    const std::string& Profile() const { return Profile_; }
    void SetProfile(const std::string& V) { Profile_ = V; }
    bool DefaultProfile() const { return DefaultProfile_; }
    void SetDefaultProfile(bool V) { DefaultProfile_ = V; }
    TStrings* Signature() const { return Signature_.get(); }
    void SetSignature(TStrings* Value) { Signature_->Assign(Value); }
    bool DeleteAfterSend() const { return DeleteAfterSend_; }
    void SetDeleteAfterSend(bool V) { DeleteAfterSend_ = V; }

    bool GetMAPIAvail() const { return QELMapiAvailable(); }
    LHANDLE Session() const { return Session_; }
    FLAGS LogonFlags() const { return LogonFlags_; }

    // Logs on, sends every message, logs off; False when the logon failed or a step raised (the
    // exception, such as TQELExceptdllerror, goes to the application's handler and
    // AfterExecute still fires).
    bool Execute() override;
    // False when Simple MAPI is missing: at design time it raises TQELExceptunavailable, at
    // run time it fires OnMapiNotAvailable. A library without all its entry points raises
    // TQELExceptdllerror.
    virtual bool CheckMAPI();

    // Each returns the Simple MAPI result; without Simple MAPI they call nothing and return
    // MAPI_E_NOT_SUPPORTED.
    int Logon();
    int Logoff();
    int SendMapi();
    // Fills the recipient table from the message's three lists and returns it.
    MapiRecipDesc* TheRecipients(TQELMapiMessage* Mail);

    TNotifyEvent BeforeLogon;
    TNotifyEvent BeforeSendAll;
    TNotifyEvent AfterSendAll;
    TNotifyEvent BeforeLogoff;
    TNotifyEvent AfterExecute;
    TQELOnSendError OnSendError;
    TNotifyEvent OnLogonSuccess;
    TQELMapiConnect OnLogonFailure;
    TNotifyEvent OnLogoffSuccess;
    TNotifyEvent OnMapiNotAvailable;
    TQELMapiConnect OnLogoffFailure;
    TQELMapiSend BeforeSendMail;
    TQELMapiSend AfterSendMail;
    TQELMapiSend OnDeleteMail;

  private:
    friend class TQELMapiMessages;
    // Sends one message; the Simple MAPI result.
    int SendOne(TQELMapiMessage* Mail);

    bool NewSession_ = false;
    std::unique_ptr<TQELMapiMessages> Messages_;
    std::string Password_;
    std::string Profile_;
    bool DefaultProfile_ = true;
    std::unique_ptr<TStringList> Signature_;
    bool DeleteAfterSend_ = true;

    LHANDLE Session_ = 0;
    FLAGS LogonFlags_ = 0;
    std::array<MapiRecipDesc, MaxRecipients> Recips_{};
    // Storage for the table's strings, alive until the next TheRecipients.
    std::array<std::string, MaxRecipients> RecipNames_;
    std::array<std::string, MaxRecipients> RecipAddresses_;
    // First failure to resolve a non-empty recipient line in the last TheRecipients.
    int ResolveError_ = 0;
};

class TQELQuickMail : public TQELMailsComponent {
    QEL_CLASS(TQELQuickMail, TQELMailsComponent)
  public:
    explicit TQELQuickMail(TComponent* AOwner);
    ~TQELQuickMail() override;

    const std::string& ToEmailorFaxAddress() const { return ToAddress_; }
    void SetToEmailorFaxAddress(const std::string& V) { ToAddress_ = V; }
    const std::string& ToName() const { return ToName_; }
    void SetToName(const std::string& V) { ToName_ = V; }
    TStrings* TextToSend() const { return Text_.get(); }
    void SetTextToSend(TStrings* Value) { Text_->SetText(Value ? Value->Text() : std::string()); }
    const std::string& Subject() const { return Subject_; }
    void SetSubject(const std::string& V) { Subject_ = V; }
    TQELFaxorMail MailorFax() const { return MailorFax_; }
    void SetMailorFax(TQELFaxorMail V) { MailorFax_ = V; }
    const std::string& ErrorNo() const { return ErrorNo_; }
    void SetErrorNo(const std::string& V) { ErrorNo_ = V; }

    // Sends the message. Failures (also a missing Simple MAPI, reported as MAPI_E_NOT_SUPPORTED)
    // set ErrorNo and fire OnError; True unless the library lacks its entry points, which is
    // also shown through the application's exception handler.
    bool Execute() override;

    TNotifyEvent BeforeSend;
    TNotifyEvent OnError;

  private:
    std::string ToAddress_;
    std::string ToName_;
    std::unique_ptr<TStringList> Text_;
    std::string Subject_;
    TQELFaxorMail MailorFax_ = ccMail;
    std::string ErrorNo_;
};

} // namespace qel

QEL_PUBLIC_END
