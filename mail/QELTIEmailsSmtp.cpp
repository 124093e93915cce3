#include "mail/QELMailDate.h"
#include "mail/QELMailTls.h"
#include "mail/QELMimeText.h"
#include "mail/QELMimeWords.h"
#include "mail/QELTIEmails.h"
#include "mail/QELTIEmailsInternal.h"
#include "toolkit/controls/Forms.h"
#include "toolkit/core/Filer.h"
#include "toolkit/core/TextUtils.h"
#include "toolkit/platform/Kernel.h"
#include "toolkit/platform/Registry.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace qel {

using namespace mailwire;

namespace {

void CheckAddress(const std::string& A) {
    if (A.find_first_of("\r\n") != std::string::npos)
        throw EConvertError("Invalid mail address \"" + smtpdetail::OneLine(A) +
                            "\": it contains a line end");
}

constexpr int StreamTimeOut = 20;
constexpr std::size_t MaxReplyLine = 64 * 1024;
constexpr std::size_t MaxReplyLines = 256;
// Lines are collected up to this size before a write when no pause is asked for.
constexpr std::size_t DataChunk = 64 * 1024;

} // namespace

// ---- TQELSMTPMail --------------------------------------------------------------------------

namespace {
void DescribeSMTPMail(TClassBuilder<TQELSMTPMail>& B) {
    B.Strings("Signature", &TQELSMTPMail::Signature, &TQELSMTPMail::SetSignature);
    B.String("DateTimeFormat", &TQELSMTPMail::DateTimeFormat, &TQELSMTPMail::SetDateTimeFormat);
    B.Event("OnConnect", &TQELSMTPMail::OnConnect);
    B.Event("OnDisconnect", &TQELSMTPMail::OnDisconnect);
    B.Event("OnError", &TQELSMTPMail::OnError);
    B.Event("OnBeforeSend", &TQELSMTPMail::OnBeforeSend);
    B.Event("OnAfterSend", &TQELSMTPMail::OnAfterSend);
    B.Event("OnSuccessSend", &TQELSMTPMail::OnSuccessSend);
    B.Event("OnEncodeStart", &TQELSMTPMail::OnEncodeStart);
    B.Event("OnEncodeProgress", &TQELSMTPMail::OnEncodeProgress);
    B.Event("OnEncodeEnd", &TQELSMTPMail::OnEncodeEnd);
    B.Event("OnSendProgress", &TQELSMTPMail::OnSendProgress);
    B.Integer("LinePause", &TQELSMTPMail::LinePause, &TQELSMTPMail::SetLinePause).SetDefault(40);
    B.Integer("ReplyTimeout", &TQELSMTPMail::ReplyTimeout, &TQELSMTPMail::SetReplyTimeout)
        .SetDefault(60000);
    B.Enum("Security", &TQELSMTPMail::Security, &TQELSMTPMail::SetSecurity).SetDefault(msNone);
    B.String("UserName", &TQELSMTPMail::UserName, &TQELSMTPMail::SetUserName);
    B.String("Password", &TQELSMTPMail::Password, &TQELSMTPMail::SetPassword)
        .Stored(
            [](const TObject& O) { return static_cast<const TQELSMTPMail&>(O).PasswordStored(); });
    B.Enum("AuthMethod", &TQELSMTPMail::AuthMethod, &TQELSMTPMail::SetAuthMethod)
        .SetDefault(amAutomatic);
    B.Bool("VerifyCertificate", &TQELSMTPMail::VerifyCertificate,
           &TQELSMTPMail::SetVerifyCertificate)
        .SetDefault(1);
    B.String("CAFile", &TQELSMTPMail::CAFile, &TQELSMTPMail::SetCAFile);
}

// The locale's long date and long time formats of the classic toolkit.
constexpr const char* LongDateFormat = "dddd, mmmm d, yyyy";
constexpr const char* LongTimeFormat = "h:nn:ss AMPM";
} // namespace

QEL_IMPLEMENT_CLASS(TQELSMTPMail, TQELMailHost, DescribeSMTPMail)

TQELSMTPMail::TQELSMTPMail(TComponent* AOwner)
    : TQELMailHost(AOwner), Signature_(std::make_unique<TStringList>()),
      DateTimeFormat_(std::string(LongDateFormat) + ", " + LongTimeFormat) {
    SetPort("25");
}

TQELSMTPMail::~TQELSMTPMail() {
    // The socket must not call back into a half-destroyed component.
    if (Socket_) {
        Socket_->OnConnect = nullptr;
        Socket_->OnDisconnect = nullptr;
        Socket_->OnError = nullptr;
    }
}

void TQELSMTPMail::SetSignature(TStrings* Value) {
    Signature_->Assign(Value);
}

void TQELSMTPMail::SetPassword(const std::string& V) {
    Password_ = V;
    PasswordStored_ = IsDesigning() || IsLoading();
}

void TQELSMTPMail::DoConnect(TObject*, TCustomWinSocket* Socket) {
    Connected_ = true;
    if (OnConnect) OnConnect(Socket);
}

void TQELSMTPMail::DoDisconnect(TObject*, TCustomWinSocket* Socket) {
    Connected_ = false;
    if (OnDisconnect) OnDisconnect(Socket);
}

void TQELSMTPMail::DoOnBeforeSend() {
    if (OnBeforeSend) OnBeforeSend(this);
}
void TQELSMTPMail::DoOnAfterSend() {
    if (OnAfterSend) OnAfterSend(this);
}
void TQELSMTPMail::DoSendProgress(std::uint16_t Percent) {
    if (OnSendProgress) OnSendProgress(this, Percent);
}
void TQELSMTPMail::DoEncodeStart(const std::string& FileName, int BytesCount) {
    if (OnEncodeStart) OnEncodeStart(this, FileName, BytesCount);
}
void TQELSMTPMail::DoEncodeProgress(std::uint16_t Percent) {
    if (OnEncodeProgress) OnEncodeProgress(this, Percent);
}
void TQELSMTPMail::DoEncodeEnd() {
    if (OnEncodeEnd) OnEncodeEnd(this);
}

bool TQELSMTPMail::Execute() {
    const bool Result = TQELMailHost::Execute();
    // A refused second start is no success.
    if (Busy_) return false;
    Busy_ = true;
    try {
        Socket_ = std::make_unique<TClientSocket>(nullptr);
        Socket_->SetClientType(ctBlocking);
        Socket_->SetConnectTimeout(ReplyTimeout_);
        Socket_->OnConnect = [this](TObject* S, TCustomWinSocket* Sk) { DoConnect(S, Sk); };
        Socket_->OnDisconnect = [this](TObject* S, TCustomWinSocket* Sk) { DoDisconnect(S, Sk); };
        Socket_->OnError = [this](TObject* S, TCustomWinSocket* Sk, TErrorEvent E, int& Code) {
            RaiseErrorAndExit(S, Sk, E, Code);
        };
        Connect();
        // Success means the mail went out: every message accepted, or, with nothing to send, a
        // server that greeted. A refused or unanswered message is no success.
        bool Sent = Connected_ && !ReplyBad_;
        for (int I = 0; I < Messages()->Count(); ++I)
            if (!SendMessage(Messages()->GetQELMessage(I))) Sent = false;
        Disconnect();
        Busy_ = false;
        EndTls();
        Stream_.reset();
        Socket_.reset();
        return Result && Sent;
    } catch (const std::exception&) {
        QELHandleException(this);
        EndTls();
        Stream_.reset();
        Socket_.reset();
        Connected_ = false;
        Busy_ = false;
        return false;
    }
}

void TQELSMTPMail::Connect() {
    int PortNo = 0;
    if (!mailwire::TryStrToInt(Port(), PortNo))
        throw EConvertError("'" + Port() + "' is not a valid integer value");
    Socket_->SetPort(PortNo);
    Socket_->SetHost(Host());
    ReplyBad_ = false;
    ReplySeen_ = false;
    ReplyCode_.clear();
    ReplyText_.clear();
    Lines_.Clear();
    DataBuffer_.clear();
    Socket_->Open();
    Stream_ = std::make_unique<TWinSocketStream>(Socket_->Socket(), StreamTimeOut);
    if (ReplyBad_) return;
    if (!Connected_) QELProcessMessages();
    if (!Connected_) return;
    Caps_ = {};
    if (Security() == msImplicitTLS) {
        std::string Why;
        if (!StartTls(ReplyTimeout_, Why)) {
            ReportFailure(mailerror::TlsHandshake, Why);
            return;
        }
    }

    // Greeting: 220 proceeds; a refusal (421, or any other 4xx/5xx such as 554) ends the
    // session; anything else is skipped.
    for (;;) {
        GetSocketText();
        if (ReadFailed_ || !Connected_) return;
        if (ReplyCode_ == "220") break;
        if (!ReplyCode_.empty() && (ReplyCode_[0] == '4' || ReplyCode_[0] == '5')) {
            ReplyBad_ = true;
            RaiseError(eeConnect);
            return;
        }
        QELProcessMessages();
    }
    if (!Greet()) return;
    Abort_ = false;
}

void TQELSMTPMail::ReleaseSession() {
    EndTls();
    Stream_.reset();
    if (Socket_) Socket_->Socket()->Close();
    Connected_ = false;
}

void TQELSMTPMail::Disconnect() {
    if (!Connected_) {
        // The peer may have closed on its own; the stream goes in any case.
        EndTls();
        Stream_.reset();
        return;
    }
    if (!Abort_) {
        SendSocketText("QUIT\r\n");
        GetSocketText();
        if (ReadFailed_) return; // the error path has released everything
        if (ReplyCode_ != "221") {
            RaiseError(eeDisconnect);
            return;
        }
    }
    ReleaseSession();
}

void TQELSMTPMail::ReportError(TObject* Sender, const std::string& Text) {
    ReplyBad_ = true;
    Abort_ = true;
    Disconnect();
    ReleaseSession();
    if (OnError) {
        int Code = 0;
        if (!mailwire::TryStrToInt(ReplyCode_, Code)) Code = 0;
        OnError(Sender, Code, WithoutSecret(Text, Password_));
    }
}

void TQELSMTPMail::ReportFailure(int Code, const std::string& Text) {
    ReplyBad_ = true;
    Abort_ = true;
    ReplyText_ = Text;
    Disconnect();
    ReleaseSession();
    if (OnError) OnError(this, Code, WithoutSecret(Text, Password_));
}

void TQELSMTPMail::RaiseError(TErrorEvent) {
    ReportError(this, ReplyText_);
}

void TQELSMTPMail::RaiseErrorAndExit(TObject* Sender, TCustomWinSocket* Socket, TErrorEvent,
                                     int& ErrorCode) {
    // A socket failure has no reply of its own: the code is that of the last reply read in
    // this session (0 before any), the text is the system's description of the failure.
    (void)Socket;
    if (!ReplySeen_) ReplyCode_.clear();
    // The stream is in the middle of the failing call; it is only closed here and freed when
    // the call has returned.
    Abort_ = true;
    ReplyBad_ = true;
    EndTls();
    if (Socket_) Socket_->Socket()->Close();
    Connected_ = false;
    if (OnError) {
        int Code = 0;
        if (!mailwire::TryStrToInt(ReplyCode_, Code)) Code = 0;
        OnError(Sender, Code, SocketErrorText(ErrorCode));
    }
}

void TQELSMTPMail::SendSocketText(const std::string& S) {
    if (!Stream_ || !Connected_) return;
    if (Tls_) {
        std::string Why;
        if (!SessionWrite(S.data(), S.size(), ReplyTimeout_, Why))
            ReportFailure(mailerror::TlsChannel, Why);
        return;
    }
    // Sending may wait for the server to drain its buffers much longer than a read waits.
    Stream_->SetTimeOut(ReplyTimeout_);
    Stream_->Write(S.data(), static_cast<int>(S.size()));
    if (Stream_) Stream_->SetTimeOut(StreamTimeOut);
}

std::string TQELSMTPMail::GetSocketText() {
    using Clock = std::chrono::steady_clock;
    ReadFailed_ = false;
    ReplyLines_.clear();
    const auto Deadline = Clock::now() + std::chrono::milliseconds(ReplyTimeout_);
    std::string Line;
    auto Fail = [&](const std::string& Why) {
        ReadFailed_ = true;
        ReplyCode_.clear();
        ReplyText_ = Why;
        ReportError(this, Why);
        return std::string();
    };
    for (;;) {
        while (Lines_.NextLine(Line)) {
            ReplyCode_ = ReplyCode(Line);
            ReplyText_ = ReplyText(Line);
            ReplySeen_ = true;
            // No server needs more lines than this for one reply, not even for EHLO.
            if (ReplyLines_.size() >= MaxReplyLines) return Fail("Reply too long");
            ReplyLines_.push_back(Line);
            if (IsFinalReplyLine(Line)) {
                QELProcessMessages();
                return Line;
            }
        }
        // A reply line is at most 512 characters; a peer that never ends its line must not
        // fill the memory while the time-out runs.
        if (Lines_.PendingSize() > MaxReplyLine) return Fail("Reply line too long");
        if (!Connected_) return Fail("Connection closed by the server");
        TSessionChunk C = ReadSessionChunk(Deadline);
        switch (C.Kind) {
        case TSessionChunk::Data:
            Lines_.Append(C.Bytes.data(), C.Bytes.size());
            QELProcessMessages();
            break;
        case TSessionChunk::Closed:
            return Fail("Connection closed by the server");
        case TSessionChunk::TimedOut:
            return Fail("No reply from the server within " + std::to_string(ReplyTimeout_) + " ms");
        case TSessionChunk::Failed:
            return Fail(C.Why);
        }
    }
}

bool TQELSMTPMail::Expect(const char* Code, const char* Other, TErrorEvent Error) {
    GetSocketText();
    if (ReadFailed_) return false;
    if (ReplyCode_ != Code && (!Other || ReplyCode_ != Other)) {
        ReplyBad_ = true;
        RaiseError(Error);
        return false;
    }
    return true;
}

void TQELSMTPMail::WriteData(std::string_view S, bool Flush) {
    DataBuffer_ += S;
    if (Flush || DataBuffer_.size() >= DataChunk) {
        SendSocketText(DataBuffer_);
        DataBuffer_.clear();
    }
}

bool TQELSMTPMail::SendMessage(TQELMessage* Msg) {
    if (!Connected_) throw EQELNotConnected();
    if (Msg->FromMail().empty()) throw EInvalidOperation("\"FromName\" must be specified");
    if (Msg->SendTo().empty()) throw EInvalidOperation("\"SendTo\" is not specified");
    CheckAddress(Msg->FromMail());

    // Recipients in order; empty pieces (a trailing comma) name nobody and are skipped.
    std::vector<std::string> Rcpt;
    {
        const std::string All = Trim(Msg->SendTo());
        std::size_t Start = 0;
        for (;;) {
            std::size_t Comma = All.find(',', Start);
            std::string Piece =
                Trim(All.substr(Start, Comma == std::string::npos ? Comma : Comma - Start));
            if (!Piece.empty()) {
                CheckAddress(Piece);
                Rcpt.push_back(Piece);
            }
            if (Comma == std::string::npos) break;
            Start = Comma + 1;
        }
        if (Rcpt.empty()) throw EInvalidOperation("\"SendTo\" is not specified");
    }

    // Readers parse the Date header; only the Internet form with its zone is understood by all.
    Msg->SetDate(maildate::InternetDate(std::time(nullptr)));
    std::unique_ptr<TQELPackedStrings> Mail = InitializeMessage(Msg);
    if (!Mail || Abort_) return false;
    if (!Connected_) return false;

    // The server's stated limit is honoured before anything is sent; the mail is refused
    // here, as the server would refuse it, and the session goes on with the next one.
    std::uint64_t MailSize = 0;
    for (int I = 0; I < Mail->Count(); ++I)
        MailSize += Mail->Line(I).size() + 2;
    if (Caps_.Size && Caps_.SizeLimit > 0 && MailSize > Caps_.SizeLimit) {
        if (OnError)
            OnError(this, 552,
                    "Message of " + std::to_string(MailSize) +
                        " bytes exceeds the server's limit of " + std::to_string(Caps_.SizeLimit) +
                        " bytes");
        return false;
    }

    DoOnBeforeSend();
    SendSocketText("MAIL FROM:<" + Msg->FromMail() + ">" +
                   (Caps_.Size ? " SIZE=" + std::to_string(MailSize) : std::string()) + "\r\n");
    if (!Expect("250")) return false;
    for (const std::string& R : Rcpt) {
        SendSocketText("RCPT TO:<" + R + ">\r\n");
        // 251: the server forwards to the recipient, which is success as well.
        if (!Expect("250", "251")) return false;
    }
    SendSocketText("DATA\r\n");
    if (!Expect("354")) return false;

    smtpdetail::TProgressRule Progress(ProgressStep(), LastSendPercent_,
                                       [this](std::uint16_t P) { DoSendProgress(P); });
    const int Count = Mail->Count();
    DataBuffer_.clear();
    for (int I = 0; I < Count; ++I) {
        DataBuffer_ += Mail->Line(I);
        WriteData("\r\n", LinePause_ > 0);
        Progress.Update(I, Count);
        QELProcessMessages();
        if (Abort_ || !Connected_) {
            DataBuffer_.clear();
            return false;
        }
        if (LinePause_ > 0) Sleep(static_cast<DWORD>(LinePause_));
    }
    WriteData("\r\n.\r\n", true);
    GetSocketText();
    if (ReadFailed_) return false;
    if (LastSendPercent_ < 100) DoSendProgress(100);
    if (ReplyCode_ != "250") {
        ReplyBad_ = true;
        RaiseError(eeGeneral);
        return false;
    }
    if (OnSuccessSend) OnSuccessSend(this);
    DoOnAfterSend();
    return true;
}

} // namespace qel
