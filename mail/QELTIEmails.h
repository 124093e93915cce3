#pragma once
// Internet mail: the message model shared by the SMTP sender and the POP3 receiver, the two
// protocol components, and the small pieces of wire handling (base64, reply lines, progress)
// they are built from.
#include "mail/QELMailSecurity.h"
#include "mail/QELMails.h"
#include "mail/QELPackedStrings.h"
#include "toolkit/core/Collection.h"
#include "toolkit/core/Event.h"
#include "toolkit/core/Exceptions.h"
#include "toolkit/core/Export.h"
#include "toolkit/core/Streams.h"
#include "toolkit/core/Strings.h"
#include "toolkit/platform/ScktComp.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

class TQELMailHost;
class TQELMessage;
class TQELAttachment;
class TQELTlsChannel;

// ---- Shared types --------------------------------------------------------------------------

// Raised by an operation that needs an open session when there is none. An invalid operation,
// so a caller of either protocol component may catch it as that or by its own name.
class EQELNotConnected : public EInvalidOperation {
  public:
    EQELNotConnected() : EInvalidOperation("Not Connected") {}
};

// Progress granularity in percent, 1..100.
using TQELPStep = std::uint8_t;

enum TQELMailSessionState { Authorization, Transaction };
QEL_ENUM_INFO(TQELMailSessionState, "Authorization", "Transaction")

using TQELOnError = TEvent<void(TObject* Sender, int Error, const std::string& VMessage)>;
using TQELOnCodingStart =
    TEvent<void(TObject* Sender, const std::string& FileName, int BytesCount)>;
using TQELOnCodingProgress = TEvent<void(TObject* Sender, std::uint16_t Percent)>;
using TQELSendingProgress = TEvent<void(TObject* Sender, std::uint16_t Percent)>;
using TQELOnDelete = TEvent<void(TObject* Sender, std::uint16_t Index)>;
using TQELBeforeRetrieve = TEvent<void(TObject* Sender, std::uint16_t Index)>;

// ---- Message model -------------------------------------------------------------------------

class TQELAttachment : public TCollectionItem {
    QEL_CLASS(TQELAttachment, TCollectionItem)
  public:
    explicit TQELAttachment(TCollection* Collection);
    ~TQELAttachment() override;

    const std::string& FileName() const { return FileName_; }
    void SetFileName(const std::string& V) { FileName_ = V; }
    const std::string& PathName() const { return PathName_; }
    void SetPathName(const std::string& V) { PathName_ = V; }
    const std::string& MimeType() const { return MimeType_; }
    void SetMimeType(const std::string& V) { MimeType_ = V; }

    // Outgoing: the base64 lines of the file. Incoming: the encoded lines before decoding.
    TQELPackedStrings* EncodedLines() const { return EncodedLines_.get(); }
    void SetEncodedLines(std::unique_ptr<TQELPackedStrings> Lines) {
        EncodedLines_ = std::move(Lines);
    }
    // Incoming: the decoded bytes. Replacing it frees the previous stream.
    TMemoryStream* Content() const { return Content_.get(); }
    void SetContent(std::unique_ptr<TMemoryStream> Stream) { Content_ = std::move(Stream); }
    TQELMessage* OwnerMessage() const { return Message_; }

    // Writes Content to FileName; a failing write is shown by the application's exception
    // handler and the call returns normally. Raises EInvalidOperation without Content.
    void SaveToFile(const std::string& FileName);

    void Assign(const TPersistent* Source) override;
    // A form file keeps the path an attachment is read from when it is more than the name,
    // so attachments set up in the designer can still be sent once the form is loaded.
    void DefineProperties(TFiler& Filer) override;

  protected:
    std::string GetDisplayName() const override;

  private:
    std::string FileName_;
    std::string PathName_;
    std::string MimeType_;
    std::unique_ptr<TQELPackedStrings> EncodedLines_;
    std::unique_ptr<TMemoryStream> Content_;
    TQELMessage* Message_ = nullptr;
};

class TQELAttachments : public TCollection {
    QEL_CLASS(TQELAttachments, TCollection)
  public:
    explicit TQELAttachments(TQELMessage* Message);

    // Name part, path as given, and the registered content type of its extension.
    TQELAttachment* Add(const std::string& FileName);
    // Content type for FileName's extension; "application/octet-stream" when none is known.
    static std::string GetMimeType(const std::string& FileName);
    // Frees the item; false (after showing the failure) when Index is out of range.
    bool Delete(int Index);

    TQELAttachment* GeTQELAttachment(int Index) const {
        return static_cast<TQELAttachment*>(Items(Index));
    }
    void SeTQELAttachment(int Index, TQELAttachment* Value) { SetItems(Index, Value); }
    TQELAttachment* operator[](int Index) const { return GeTQELAttachment(Index); }
    TQELMessage* OwnerMessage() const { return Message_; }

  protected:
    TPersistent* GetOwner() const override;

  private:
    TQELMessage* Message_;
};

class TQELMessage : public TCollectionItem {
    QEL_CLASS(TQELMessage, TCollectionItem)
  public:
    explicit TQELMessage(TCollection* Collection);
    ~TQELMessage() override;

    const std::string& FromMail() const { return FromMail_; }
    void SetFromMail(const std::string& V) { FromMail_ = V; }
    const std::string& ReplyTo() const { return ReplyTo_; }
    void SetReplyTo(const std::string& V) { ReplyTo_ = V; }
    const std::string& SendTo() const { return SendTo_; }
    void SetSendTo(const std::string& V) { SendTo_ = V; }
    const std::string& Subject() const { return Subject_; }
    void SetSubject(const std::string& V) { Subject_ = V; }
    const std::string& FromName() const { return FromName_; }
    void SetFromName(const std::string& V) { FromName_ = V; }
    TStrings* Message() const { return Message_.get(); }
    void SetMessage(TStrings* Value); // copies the lines
    TQELAttachments* Attachments() const { return Attachments_.get(); }
    void SetAttachments(TQELAttachments* Value); // copies the attachments

    const std::string& MessageId() const { return MessageId_; }
    void SetMessageId(const std::string& V) { MessageId_ = V; }
    const std::string& InReplyTo() const { return InReplyTo_; }
    void SetInReplyTo(const std::string& V) { InReplyTo_ = V; }
    const std::string& Date() const { return Date_; }
    void SetDate(const std::string& V) { Date_ = V; }
    // The moment Date names, in its Internet form or the long local form of older senders;
    // false when it holds no date.
    bool DecodeDate(std::time_t& When) const;
    // Incoming: empty for a mail that parsed; otherwise the error, and Message holds the raw
    // text of the mail (headers included) so that nothing of it is lost.
    const std::string& ParseError() const { return ParseError_; }
    void SetParseError(const std::string& V) { ParseError_ = V; }
    // Incoming: the server's unique ID of the mail (UIDL), when the session asked for it.
    const std::string& UniqueID() const { return UniqueID_; }
    void SetUniqueID(const std::string& V) { UniqueID_ = V; }

    // The host whose collection this message belongs to (null for a free collection).
    TQELMailHost* Host() const { return Host_; }

    void Assign(const TPersistent* Source) override;

  protected:
    std::string GetDisplayName() const override;

  private:
    std::string FromMail_;
    std::string ReplyTo_;
    std::string SendTo_;
    std::string Subject_;
    std::string FromName_;
    std::unique_ptr<TStringList> Message_;
    std::unique_ptr<TQELAttachments> Attachments_;
    std::string MessageId_;
    std::string InReplyTo_;
    std::string Date_;
    std::string ParseError_;
    std::string UniqueID_;
    TQELMailHost* Host_ = nullptr;
};

class TQELMessages : public TCollection {
    QEL_CLASS(TQELMessages, TCollection)
  public:
    explicit TQELMessages(TQELMailHost* Host);

    TQELMessage* Add();
    bool Delete(int Index);

    TQELMessage* GetQELMessage(int Index) const { return static_cast<TQELMessage*>(Items(Index)); }
    void SetQELMessage(int Index, TQELMessage* Value) { SetItems(Index, Value); }
    TQELMessage* operator[](int Index) const { return GetQELMessage(Index); }
    TQELMailHost* Host() const { return Host_; }

  protected:
    TPersistent* GetOwner() const override;

  private:
    TQELMailHost* Host_;
};

// ---- Components ----------------------------------------------------------------------------

// Server address, progress granularity and the message collection of the two internet mail
// components.
class TQELMailHost : public TQELMailsComponent {
    QEL_CLASS(TQELMailHost, TQELMailsComponent)
  public:
    explicit TQELMailHost(TComponent* AOwner);
    ~TQELMailHost() override;

    TQELMessages* Messages() const { return Messages_.get(); }
    void SetMessages(TQELMessages* Value); // copies the collection
    TQELPStep ProgressStep() const { return ProgressStep_; }
    void SetProgressStep(TQELPStep Value); // clamped to 1..100
    const std::string& Port() const { return Port_; }
    void SetPort(const std::string& V) { Port_ = V; }
    const std::string& Host() const { return Host_; }
    void SetHost(const std::string& V) { Host_ = V; }

    // Transport security of the sessions; the defaults speak plain text as always.
    TQELMailSecurity Security() const { return Security_; }
    void SetSecurity(TQELMailSecurity V) { Security_ = V; }
    bool VerifyCertificate() const { return VerifyCertificate_; }
    void SetVerifyCertificate(bool V) { VerifyCertificate_ = V; }
    // PEM file of the certificates to trust; empty: the system's.
    const std::string& CAFile() const { return CAFile_; }
    void SetCAFile(const std::string& V) { CAFile_ = V; }

    // Fires OnExecute and returns True; the protocol components call it first.
    bool Execute() override;
    // True while the session runs over TLS.
    bool TlsActive() const;

    TNotifyEvent OnExecute;

  protected:
    // TLS on the open connection, with the certificate checked against Host; false with Why
    // set (the channel is gone again).
    bool StartTls(int TimeoutMs, std::string& Why);
    // Ends TLS before the socket closes; harmless without it.
    void EndTls() noexcept;
    // The session's bytes: through TLS once it runs, else the socket stream (whose failures
    // go through the socket's error notification as before).
    bool SessionWait(int TimeoutMs);
    // The bytes read, 0 when none came, -1 when TLS failed or closed (Why says which).
    int SessionRead(void* Buffer, int Count, int TimeoutMs, std::string& Why);
    // False only for a failed TLS write, with Why set.
    bool SessionWrite(const void* Buffer, std::size_t Count, int TimeoutMs, std::string& Why);
    // What one read of a reply brought. Both protocols read their replies through it, so the
    // deadline, the pumping of the application's messages while the peer is silent, and the
    // plain or secured transport behave the same for SMTP and POP3.
    struct TSessionChunk {
        enum TKind { Data, Closed, TimedOut, Failed } Kind;
        std::string Bytes; // what came, for Data
        std::string Why;   // the channel's reason, for Failed
    };
    // Waits in short slices until bytes come, the peer closes, the transport fails or Deadline
    // passes. A handler run between the slices may free the component: callers hold a
    // guard, as for every other message pump of a session.
    TSessionChunk ReadSessionChunk(std::chrono::steady_clock::time_point Deadline);
    // Text with every trace of Secret (as is and in base64) blanked out, for error reports.
    static std::string WithoutSecret(std::string Text, const std::string& Secret);

    // Session objects, alive only while Execute runs.
    std::unique_ptr<TClientSocket> Socket_;
    std::unique_ptr<TWinSocketStream> Stream_;
    std::unique_ptr<TQELTlsChannel> Tls_;

  private:
    TQELMailSecurity Security_ = msNone;
    bool VerifyCertificate_ = true;
    std::string CAFile_;
    std::unique_ptr<TQELMessages> Messages_;
    TQELPStep ProgressStep_ = 1;
    std::string Port_;
    std::string Host_;
};

// Sends every message of Messages to one SMTP server in one session.
class TQELSMTPMail : public TQELMailHost {
    QEL_CLASS(TQELSMTPMail, TQELMailHost)
  public:
    explicit TQELSMTPMail(TComponent* AOwner);
    ~TQELSMTPMail() override;

    TStrings* Signature() const { return Signature_.get(); }
    void SetSignature(TStrings* Value); // copies the lines
    // Kept so that stored forms load; the Date header is always written in the Internet form
    // (maildate::InternetDate), since no reader parses a local pattern.
    const std::string& DateTimeFormat() const { return DateTimeFormat_; }
    void SetDateTimeFormat(const std::string& V) { DateTimeFormat_ = V; }
    // Pause after every data line, in milliseconds (0: none). Keeps slow servers and links
    // from being flooded; tests and fast local servers set 0.
    int LinePause() const { return LinePause_; }
    void SetLinePause(int Ms) { LinePause_ = Ms < 0 ? 0 : Ms; }
    // Longest wait for one complete reply, in milliseconds; a silent server ends the session
    // through the error path when it runs out.
    int ReplyTimeout() const { return ReplyTimeout_; }
    void SetReplyTimeout(int Ms) { ReplyTimeout_ = Ms < 1 ? 1 : Ms; }
    // Login (SMTP AUTH) when UserName is set. The password goes into a form file only when it
    // was set in the designer or came from a form file.
    const std::string& UserName() const { return UserName_; }
    void SetUserName(const std::string& V) { UserName_ = V; }
    const std::string& Password() const { return Password_; }
    void SetPassword(const std::string& V);
    bool PasswordStored() const { return PasswordStored_ && !Password_.empty(); }
    TQELAuthMethod AuthMethod() const { return AuthMethod_; }
    void SetAuthMethod(TQELAuthMethod V) { AuthMethod_ = V; }
    // What the server's last EHLO reply offered (nothing after a HELO).
    const TQELEhloCapabilities& Capabilities() const { return Caps_; }

    bool Execute() override;
    void Connect();
    void Disconnect();
    bool SendMessage(TQELMessage* Msg);
    // Reads one complete reply (all its lines) and returns its last line.
    std::string GetSocketText();
    void SendSocketText(const std::string& S);

    // Composition: the whole mail as lines without line ends, or null when the session was
    // aborted meanwhile. The caller owns the list.
    std::unique_ptr<TQELPackedStrings> InitializeMessage(TQELMessage*& Msg);
    std::string CreateUIN();
    static std::string CreateBounds();
    void Base64Encode(TQELAttachment*& Attachment);

    void RaiseError(TErrorEvent ErrorEvent);
    void RaiseErrorAndExit(TObject* Sender, TCustomWinSocket* Socket, TErrorEvent ErrorEvent,
                           int& ErrorCode);

    // The last reply as read, for callers and tests.
    const std::string& LastReplyCode() const { return ReplyCode_; }
    const std::string& LastReplyText() const { return ReplyText_; }
    bool Busy() const { return Busy_; }
    bool Connected() const { return Connected_; }

    TNotifyEvent OnConnect;
    TNotifyEvent OnDisconnect;
    TQELOnError OnError;
    TNotifyEvent OnBeforeSend;
    TNotifyEvent OnAfterSend;
    TNotifyEvent OnSuccessSend;
    TQELOnCodingStart OnEncodeStart;
    TQELOnCodingProgress OnEncodeProgress;
    TNotifyEvent OnEncodeEnd;
    TQELSendingProgress OnSendProgress;

  protected:
    void DoConnect(TObject* Sender, TCustomWinSocket* Socket);
    void DoDisconnect(TObject* Sender, TCustomWinSocket* Socket);
    void DoOnBeforeSend();
    void DoOnAfterSend();
    void DoSendProgress(std::uint16_t Percent);
    void DoEncodeStart(const std::string& FileName, int BytesCount);
    void DoEncodeProgress(std::uint16_t Percent);
    void DoEncodeEnd();

  private:
    // Compares the next reply's code with Code (or Other); on a mismatch runs the error path.
    // Reads a reply and accepts Code (or Other); any other code raises Error.
    bool Expect(const char* Code, const char* Other = nullptr, TErrorEvent Error = eeGeneral);
    void ReleaseSession();
    void ReportError(TObject* Sender, const std::string& Text);
    // The error path with a code of our own (mailerror) instead of the last reply's.
    void ReportFailure(int Code, const std::string& Text);
    void WriteData(std::string_view S, bool Flush);
    // After the greeting: HELO, or EHLO with STARTTLS and AUTH as asked for.
    bool Greet();
    bool Ehlo();
    bool Authenticate();

    std::unique_ptr<TStringList> Signature_;
    std::string DateTimeFormat_;
    int LinePause_ = 40;
    int ReplyTimeout_ = 60000;

    bool Busy_ = false;
    bool ReplyBad_ = false;
    bool Connected_ = false;
    bool Abort_ = false;
    bool ReadFailed_ = false;
    bool ReplySeen_ = false;
    std::string ReplyCode_;
    std::string ReplyText_;
    std::uint16_t LastSendPercent_ = 0;
    std::uint16_t LastEncodePercent_ = 0;
    mailwire::TLineBuffer Lines_;
    std::string DataBuffer_;
    std::string UserName_;
    std::string Password_;
    bool PasswordStored_ = false;
    TQELAuthMethod AuthMethod_ = amAutomatic;
    // Every line of the last reply, for EHLO.
    std::vector<std::string> ReplyLines_;
    TQELEhloCapabilities Caps_;
};

// Fetches all waiting mail from a POP3 server in one session; each retrieved mail is parsed
// into a message appended to Messages (which are never stored with the form).
class TQELPOPMail : public TQELMailHost {
    QEL_CLASS(TQELPOPMail, TQELMailHost)
  public:
    explicit TQELPOPMail(TComponent* AOwner);
    ~TQELPOPMail() override;

    bool DeleteOfServer() const { return DeleteOfServer_; }
    void SetDeleteOfServer(bool V) { DeleteOfServer_ = V; }
    const std::string& Username() const { return Username_; }
    void SetUsername(const std::string& V) { Username_ = V; }
    const std::string& Password() const { return Password_; }
    // The password goes into a form file only when it was set in the designer or came from
    // a form file.
    void SetPassword(const std::string& V);
    bool PasswordStored() const { return PasswordStored_ && !Password_.empty(); }
    // Log in with APOP (the password never crosses the wire) when the greeting allows it; a
    // greeting without a timestamp then fails the login rather than sending the password.
    bool UseAPOP() const { return UseAPOP_; }
    void SetUseAPOP(bool V) { UseAPOP_ = V; }
    // Leave mail on the server and fetch only what SeenIDs does not list yet: the session asks
    // for the unique IDs (UIDL) and adds the ID of every retrieved mail to SeenIDs, which the
    // application keeps between sessions.
    bool KeepOnServer() const { return KeepOnServer_; }
    void SetKeepOnServer(bool V) { KeepOnServer_ = V; }
    TStrings* SeenIDs() const { return SeenIDs_.get(); }
    void SetSeenIDs(TStrings* Value); // copies the lines
    // The numbers and unique IDs of the last UIDL listing of this session.
    const TQELUidList& UniqueIDs() const { return UniqueIDs_; }
    // Asks the server for the unique IDs (UIDL); false after a "-ERR" (error path 2007) or a
    // listing that does not parse. Needs the open session, like RetrieveHeaders.
    bool RetrieveUniqueIDs();

    bool Execute() override;
    void Connect();
    bool Login();
    int Init();
    void Disconnect();
    int RetrieveAllMessages(TQELMessages* Messages);
    TQELMessage* RetrieveMessage(std::uint16_t Index);
    void DeleteMessage(std::uint16_t Index);
    std::string RetrieveHeaders(std::uint16_t Index);
    std::string GetSocketText();
    void SendSocketText(const std::string& S);
    void RaiseError(int Code);
    void RaiseErrorAndExit(TObject* Sender, TCustomWinSocket* Socket, TErrorEvent ErrorEvent,
                           int& ErrorCode);

    // Parsing and decoding of retrieved mail.
    bool FindInHeaders(const std::string& S, TStringList* List, int& Index);
    bool FindInStringList(const std::string& S, TStringList* List, int& Position, int& Index);
    bool FindInStringListCS(const std::string& S, TStringList* List, int& Position, int& Index);
    bool GetUUAttachments(TStringList* List, int& Index, std::string& FileName);
    void Base64Decode(TQELAttachment*& Attachment);
    void UUDecode(TQELAttachment*& Attachment);

    TQELMailSessionState SessionState() const { return SessionState_; }
    bool Busy() const { return Busy_; }
    bool Connected() const { return Connected_; }
    // Longest wait for one reply, in milliseconds; a silent server ends the session through
    // the error path instead of hanging it.
    int ReplyTimeout() const { return ReplyTimeout_; }
    void SetReplyTimeout(int Ms) { ReplyTimeout_ = Ms < 1 ? 1 : Ms; }

    TNotifyEvent OnConnect;
    TNotifyEvent OnDisconnect;
    TQELOnError OnError;
    TQELOnCodingStart OnDecodeStart;
    TQELOnCodingProgress OnDecodeProgress;
    TNotifyEvent OnDecodeEnd;
    TQELBeforeRetrieve BeforeRetrieve;
    TNotifyEvent AfterRetrieve;
    TQELOnCodingProgress OnRetrieveProgress;
    TQELOnDelete OnDelete;

  protected:
    void DoConnect(TObject* Sender, TCustomWinSocket* Socket);
    void DoDisconnect(TObject* Sender, TCustomWinSocket* Socket);

  private:
    // A read that ended without a reply (closed connection or silence): the status text says
    // why, and the reply counts as an error.
    void ReadFailure(const std::string& Why);
    // Reads on until Text holds the end-of-data line and returns where that starts; npos after
    // a failed read, which has taken the error path with Code. AfterChunk, when given, runs
    // after every chunk added.
    std::size_t ReadToTerminator(std::string& Text, int Code,
                                 const std::function<void()>& AfterChunk);

    // One chunk of at most 1024 bytes; empty when the connection closed, TLS failed or nothing
    // came within ReplyTimeout, with FailText saying which.
    std::string ReadChunk(std::string& FailText);
    // STLS on the open connection; false after the error path.
    bool UpgradeToTls();
    // TLS on the open connection; false after the error path.
    bool StartSessionTls();
    bool ApopLogin();
    std::string UniqueIDOf(int Number) const;

    bool DeleteOfServer_ = false;
    std::string Username_;
    std::string Password_;
    bool PasswordStored_ = false;
    bool UseAPOP_ = false;
    bool KeepOnServer_ = false;
    std::unique_ptr<TStringList> SeenIDs_;
    TQELUidList UniqueIDs_;
    std::string ApopStamp_;

    bool Busy_ = false;
    bool Connected_ = false;
    bool Error_ = false;
    std::string Status_;
    std::string StatusText_;
    TQELMailSessionState SessionState_ = Authorization;
    std::uint16_t MessageCount_ = 0;
    std::unique_ptr<TStringList> Deleted_;
    int SizeEstimate_ = 0;
    int RetrieveThreshold_ = 0;
    std::uint16_t LastRetrievePercent_ = 0;
    std::uint16_t LastDecodePercent_ = 0;
    int ReplyTimeout_ = 60000;
    // Further session state of the receiver, defined with its implementation.
    struct TPrivate;
    std::unique_ptr<TPrivate> Private_;
};

} // namespace qel

QEL_PUBLIC_END
