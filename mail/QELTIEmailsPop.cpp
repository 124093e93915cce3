// The POP3 receiver: one session that logs in, counts, retrieves (and optionally deletes)
// every waiting mail and quits. Retrieved text goes through the shared parser of
// QELMimeParse; the result is copied into the message model.
#include "mail/QELMailTls.h"
#include "mail/QELMimeParse.h"
#include "mail/QELTIEmails.h"
#include "toolkit/controls/Dialogs.h"
#include "toolkit/controls/Forms.h"

#include <chrono>
#include <unordered_set>
#include <utility>

namespace qel {

namespace {

void DescribePOPMail(TClassBuilder<TQELPOPMail>& B) {
    // Retrieved mail belongs to the run, never to the form file.
    B.Collection("Messages", &TQELPOPMail::Messages, &TQELPOPMail::SetMessages).Stored(false);
    B.Bool("DeleteOfServer", &TQELPOPMail::DeleteOfServer, &TQELPOPMail::SetDeleteOfServer)
        .SetDefault(0);
    B.String("Username", &TQELPOPMail::Username, &TQELPOPMail::SetUsername);
    B.String("Password", &TQELPOPMail::Password, &TQELPOPMail::SetPassword)
        .Stored(
            [](const TObject& O) { return static_cast<const TQELPOPMail&>(O).PasswordStored(); });
    B.Event("OnConnect", &TQELPOPMail::OnConnect);
    B.Event("OnDisconnect", &TQELPOPMail::OnDisconnect);
    B.Event("OnError", &TQELPOPMail::OnError);
    B.Event("OnDecodeStart", &TQELPOPMail::OnDecodeStart);
    B.Event("OnDecodeProgress", &TQELPOPMail::OnDecodeProgress);
    B.Event("OnDecodeEnd", &TQELPOPMail::OnDecodeEnd);
    B.Event("BeforeRetrieve", &TQELPOPMail::BeforeRetrieve);
    B.Event("AfterRetrieve", &TQELPOPMail::AfterRetrieve);
    B.Event("OnRetrieveProgress", &TQELPOPMail::OnRetrieveProgress);
    B.Event("OnDelete", &TQELPOPMail::OnDelete);
    B.Enum("Security", &TQELPOPMail::Security, &TQELPOPMail::SetSecurity).SetDefault(msNone);
    B.Bool("UseAPOP", &TQELPOPMail::UseAPOP, &TQELPOPMail::SetUseAPOP).SetDefault(0);
    B.Bool("KeepOnServer", &TQELPOPMail::KeepOnServer, &TQELPOPMail::SetKeepOnServer).SetDefault(0);
    B.Bool("VerifyCertificate", &TQELPOPMail::VerifyCertificate, &TQELPOPMail::SetVerifyCertificate)
        .SetDefault(1);
    B.String("CAFile", &TQELPOPMail::CAFile, &TQELPOPMail::SetCAFile);
}

constexpr int kStreamTimeout = 100;
const char kTerminator[] = "\r\n.\r\n";
constexpr std::size_t kMaxUidlListing = 8u << 20;

std::string Trim(std::string_view S) {
    std::size_t B = 0, E = S.size();
    while (B < E && static_cast<unsigned char>(S[B]) <= ' ')
        ++B;
    while (E > B && static_cast<unsigned char>(S[E - 1]) <= ' ')
        --E;
    return std::string(S.substr(B, E - B));
}

// The first word of a status text as a number; false when it is none.
bool FirstNumber(const std::string& Text, int& Value) {
    return mailwire::TryStrToInt(Text.substr(0, Text.find(' ')), Value);
}

TMimeLines LinesOf(const TStrings* List) {
    return List ? List->ToVector() : TMimeLines{};
}

void FillLines(TStrings* Target, const TMimeLines& Lines) {
    Target->BeginUpdate();
    Target->Clear();
    for (const auto& L : Lines)
        Target->Add(L);
    Target->EndUpdate();
}

std::unique_ptr<TMemoryStream> StreamOf(const std::string& Bytes) {
    auto S = std::make_unique<TMemoryStream>();
    if (!Bytes.empty()) S->Write(Bytes.data(), static_cast<std::int64_t>(Bytes.size()));
    S->Seek(0, soBeginning);
    return S;
}

} // namespace

QEL_IMPLEMENT_CLASS(TQELPOPMail, TQELMailHost, DescribePOPMail)

// Session state that only the implementation needs.
struct TQELPOPMail::TPrivate {
    // Set when the last read ended without a reply (closed connection or silence); the
    // status text then says which, so OnError can tell the application.
    bool ReadFailed = false;
};

TQELPOPMail::TQELPOPMail(TComponent* AOwner)
    : TQELMailHost(AOwner), SeenIDs_(std::make_unique<TStringList>()),
      Deleted_(std::make_unique<TStringList>()), Private_(std::make_unique<TPrivate>()) {
    SetPort("110");
}

TQELPOPMail::~TQELPOPMail() {
    EndTls();
    Stream_.reset();
    Socket_.reset();
}

// ---------------------------------------------------------------------------------------------
// Session

bool TQELPOPMail::Execute() {
    bool Result = TQELMailHost::Execute();
    // A refused second start retrieved nothing, so it is no success (as for the sender).
    if (Busy_) return false;
    Busy_ = true;
    try {
        Deleted_->Clear();
        UniqueIDs_.clear();
        ApopStamp_.clear();
        Socket_ = std::make_unique<TClientSocket>(nullptr);
        Socket_->SetClientType(ctBlocking);
        Socket_->OnConnect = [this](TObject* S, TCustomWinSocket* W) { DoConnect(S, W); };
        Socket_->OnDisconnect = [this](TObject* S, TCustomWinSocket* W) { DoDisconnect(S, W); };
        Socket_->OnError = [this](TObject* S, TCustomWinSocket* W, TErrorEvent E, int& Code) {
            RaiseErrorAndExit(S, W, E, Code);
        };
        Connect();
        if (Login()) {
            Init();
            // Without the IDs nothing tells new mail from seen mail: nothing is fetched.
            if (!KeepOnServer_ || (Connected_ && RetrieveUniqueIDs()))
                RetrieveAllMessages(Messages());
        } else {
            // Shown, not raised: Execute still ends normally and keeps its result.
            ShowMessage("Unable to connect");
        }
        Disconnect();
        Busy_ = false;
        EndTls();
        Stream_.reset();
        Socket_.reset();
        return Result;
    } catch (...) {
        QELHandleException(this);
        EndTls();
        Stream_.reset();
        if (Socket_) {
            try {
                Socket_->Close();
            } catch (...) {
                // A failing OnDisconnect handler must not stop the clean-up.
            }
            // Nothing of the torn-down session may call back into the component.
            Socket_->OnDisconnect = nullptr;
            Socket_->OnError = nullptr;
            Socket_.reset();
        }
        Connected_ = false;
        Busy_ = false;
        return false;
    }
}

void TQELPOPMail::Connect() {
    MessageCount_ = 0;
    int P = 0;
    if (!mailwire::TryStrToInt(Port(), P))
        throw EConvertError("'" + Port() + "' is not a valid integer value");
    Socket_->SetPort(P);
    Socket_->SetHost(Host());
    Socket_->Open();
    if (!Connected_) return;
    Stream_ = std::make_unique<TWinSocketStream>(Socket_->Socket(), kStreamTimeout);
    if (Security() == msImplicitTLS && !StartSessionTls()) return;
    const std::string Greeting = GetSocketText();
    SessionState_ = Authorization;
    if (Error_) {
        RaiseError(2000);
        return;
    }
    ApopStamp_ = ApopTimestamp(Greeting);
    if (Security() == msStartTLS) UpgradeToTls();
}

bool TQELPOPMail::StartSessionTls() {
    std::string Why;
    if (StartTls(ReplyTimeout(), Why)) return true;
    StatusText_ = Why;
    Error_ = true;
    RaiseError(mailerror::TlsHandshake);
    return false;
}

bool TQELPOPMail::UpgradeToTls() {
    SendSocketText("STLS\r\n");
    const std::string Reply = GetSocketText();
    if (Error_) {
        RaiseError(mailerror::Pop3Stls);
        return false;
    }
    // Bytes after the go-ahead came in plain text from whoever sits on the line; read as if
    // they came through TLS they would forge the server's answers.
    if (Reply.find('\n') + 1 != Reply.size()) {
        StatusText_ = "The server sent plain text after agreeing to STLS";
        Error_ = true;
        RaiseError(mailerror::TlsInjection);
        return false;
    }
    return StartSessionTls();
}

void TQELPOPMail::SetPassword(const std::string& V) {
    Password_ = V;
    PasswordStored_ = IsDesigning() || IsLoading();
}

void TQELPOPMail::SetSeenIDs(TStrings* Value) {
    SeenIDs_->Assign(Value);
}

bool TQELPOPMail::ApopLogin() {
    if (ApopStamp_.empty()) {
        StatusText_ = "The server's greeting offers no APOP timestamp";
        Error_ = true;
        RaiseError(2001);
        return false;
    }
    SendSocketText("APOP " + Username() + " " + ApopDigest(ApopStamp_, Password()) + "\r\n");
    GetSocketText();
    if (Error_) {
        RaiseError(2001);
        return false;
    }
    SessionState_ = Transaction;
    return true;
}

bool TQELPOPMail::RetrieveUniqueIDs() {
    if (!Connected_) throw EQELNotConnected();
    UniqueIDs_.clear();
    SendSocketText("UIDL\r\n");
    std::string Received = GetSocketText();
    if (Error_) {
        RaiseError(mailerror::Pop3Uidl);
        return false;
    }
    // 65535 messages with IDs of 70 characters fit well within this; a server that goes on
    // past it is not listing IDs.
    const std::size_t End = ReadToTerminator(Received, mailerror::Pop3Uidl, [&Received] {
        if (Received.size() > kMaxUidlListing)
            throw EInvalidOperation("The server's UIDL listing is too long");
    });
    if (End == std::string::npos) return false;
    // The listing's lines end where the terminator's CR LF begins.
    const std::size_t From = Received.find('\n') + 1;
    const std::string_view Listing =
        From <= End + 2 ? std::string_view(Received).substr(From, End + 2 - From) : "";
    TQELUidList Entries;
    if (!ParseUidlListing(Listing, Entries)) {
        StatusText_ = "The server's UIDL listing is malformed";
        Error_ = true;
        RaiseError(mailerror::Pop3Uidl);
        return false;
    }
    UniqueIDs_ = std::move(Entries);
    return true;
}

std::string TQELPOPMail::UniqueIDOf(int Number) const {
    for (const auto& E : UniqueIDs_)
        if (E.first == Number) return E.second;
    return {};
}

bool TQELPOPMail::Login() {
    if (!Connected_) throw EInvalidOperation("Invalid Operation. User not connected");
    if (UseAPOP_) return ApopLogin();
    SendSocketText("USER " + Username() + "\r\n");
    GetSocketText();
    if (Error_) {
        RaiseError(2001);
        return false;
    }
    SendSocketText("PASS " + Password() + "\r\n");
    GetSocketText();
    if (Error_) {
        RaiseError(2001);
        return false;
    }
    SessionState_ = Transaction;
    return true;
}

int TQELPOPMail::Init() {
    SendSocketText("STAT\r\n");
    GetSocketText();
    if (Error_) {
        RaiseError(2006);
        return 0;
    }
    int Count = 0;
    if (!FirstNumber(StatusText_, Count))
        throw EConvertError("'" + StatusText_.substr(0, StatusText_.find(' ')) +
                            "' is not a valid integer value");
    MessageCount_ = static_cast<std::uint16_t>(Count);
    return MessageCount_;
}

int TQELPOPMail::RetrieveAllMessages(TQELMessages* /*Messages*/) {
    const int Count = MessageCount_;
    int Retrieved = 0;
    std::unordered_set<std::string> Seen;
    if (KeepOnServer_)
        for (int I = 0; I < SeenIDs_->Count(); ++I)
            Seen.insert(SeenIDs_->Get(I));
    for (int I = 1; I <= Count; ++I) {
        if (Deleted_->IndexOf(std::to_string(I)) >= 0) continue;
        const std::string Id = UniqueIDOf(I);
        if (KeepOnServer_ && (Id.empty() || Seen.count(Id) != 0)) continue;
        TQELMessage* Msg = RetrieveMessage(static_cast<std::uint16_t>(I));
        if (Msg && !Id.empty()) {
            Msg->SetUniqueID(Id);
            if (KeepOnServer_) SeenIDs_->Add(Id);
        }
        if (DeleteOfServer()) DeleteMessage(static_cast<std::uint16_t>(I));
        ++Retrieved;
    }
    return Retrieved;
}

void TQELPOPMail::Disconnect() {
    if (!Connected_) return;
    SendSocketText("QUIT\r\n");
    GetSocketText();
    if (Error_) {
        RaiseError(2002);
        return;
    }
    Stream_.reset();
    if (Socket_) Socket_->Close();
    Connected_ = false;
}

// ---------------------------------------------------------------------------------------------
// Reading and writing

void TQELPOPMail::SendSocketText(const std::string& S) {
    if (!Connected_ || !Stream_) throw EQELNotConnected();
    if (Tls_) {
        std::string Why;
        if (!SessionWrite(S.data(), S.size(), ReplyTimeout(), Why)) {
            StatusText_ = Why;
            RaiseError(mailerror::TlsChannel);
        }
        return;
    }
    Stream_->Write(S.data(), static_cast<int>(S.size()));
}

std::string TQELPOPMail::ReadChunk(std::string& FailText) {
    TSessionChunk C = ReadSessionChunk(std::chrono::steady_clock::now() +
                                       std::chrono::milliseconds(ReplyTimeout()));
    switch (C.Kind) {
    case TSessionChunk::Data:
        return std::move(C.Bytes);
    case TSessionChunk::Closed:
        FailText = "Connection closed by the server";
        break;
    case TSessionChunk::TimedOut:
        FailText = "No reply from the server";
        break;
    case TSessionChunk::Failed:
        FailText = C.Why;
        break;
    }
    return {};
}

void TQELPOPMail::ReadFailure(const std::string& Why) {
    Private_->ReadFailed = true;
    Status_.clear();
    StatusText_ = Why;
    Error_ = true;
}

std::string TQELPOPMail::GetSocketText() {
    std::string Text;
    std::string FailText;
    Private_->ReadFailed = false;
    // A status line longer than one chunk is read on until its line end.
    do {
        std::string Chunk = ReadChunk(FailText);
        if (Chunk.empty()) {
            ReadFailure(FailText);
            return Text;
        }
        Text += Chunk;
    } while (Text.find('\n') == std::string::npos);
    Status_ = Trim(std::string_view(Text).substr(0, 4));
    std::size_t End = Text.find("\r\n");
    if (End == std::string::npos) End = Text.find('\n');
    StatusText_ = End > 4 ? Trim(std::string_view(Text).substr(4, End - 4)) : "";
    Error_ = Status_ == "-ERR";
    return Text;
}

std::size_t TQELPOPMail::ReadToTerminator(std::string& Text, int Code,
                                          const std::function<void()>& AfterChunk) {
    std::size_t End = Text.find(kTerminator);
    while (End == std::string::npos) {
        QELProcessMessages();
        std::string FailText;
        std::string Chunk = ReadChunk(FailText);
        if (Chunk.empty()) {
            ReadFailure(FailText);
            RaiseError(Code);
            return std::string::npos;
        }
        // The terminator may straddle two chunks: look again from just before the join.
        const std::size_t From = Text.size() >= 4 ? Text.size() - 4 : 0;
        Text += Chunk;
        End = Text.find(kTerminator, From);
        if (AfterChunk) AfterChunk();
    }
    return End;
}

// ---------------------------------------------------------------------------------------------
// Retrieval

TQELMessage* TQELPOPMail::RetrieveMessage(std::uint16_t Index) {
    if (!Connected_) throw EQELNotConnected();
    if (BeforeRetrieve) BeforeRetrieve(this, Index);
    SendSocketText("RETR " + std::to_string(Index) + "\r\n");
    std::string Buffer = GetSocketText();
    if (Error_) {
        RaiseError(2004);
        return nullptr;
    }
    int Estimate = 0;
    if (StatusText_.empty() || !FirstNumber(StatusText_, Estimate) || Estimate <= 0) Estimate = 100;
    SizeEstimate_ = Estimate;
    RetrieveThreshold_ = ProgressStep();
    TQELMimeProgress Progress(ProgressStep(), LastRetrievePercent_, [this](std::uint16_t P) {
        if (OnRetrieveProgress) OnRetrieveProgress(this, P);
    });

    const std::size_t End = ReadToTerminator(
        Buffer, 2004, [&] { Progress.Update(static_cast<double>(Buffer.size()), SizeEstimate_); });
    if (End == std::string::npos) return nullptr;
    Progress.Finish();

    // The status line goes, and so do the terminator and anything after it. The raw text stays
    // until the mail has parsed: a mail that cannot be parsed is kept as it came.
    Buffer.resize(End);
    TMimeLines Lines = SplitMailLines(Buffer);
    if (!Lines.empty()) Lines.erase(Lines.begin());
    const std::size_t LineEnd = Buffer.find('\n');
    const std::string_view Raw = LineEnd == std::string::npos
                                     ? std::string_view()
                                     : std::string_view(Buffer).substr(LineEnd + 1);

    TQELMessage* Msg = Messages()->Add();
    TQELMimeParser Parser;
    Parser.ProgressStep = ProgressStep();
    Parser.LastDecodePercent = LastDecodePercent_;
    TQELParsedMessage Parsed;
    bool HeadersSet = false;
    int AttachmentsSet = 0;
    // Copies what has been parsed so far: the fields once, the text, and the attachments not
    // yet in the message (their content follows once decoded).
    auto Sync = [&] {
        LastDecodePercent_ = Parser.LastDecodePercent;
        if (!HeadersSet) {
            Msg->SetFromMail(Parsed.FromMail);
            Msg->SetFromName(Parsed.FromName);
            Msg->SetReplyTo(Parsed.ReplyTo);
            Msg->SetSendTo(Parsed.SendTo);
            Msg->SetSubject(Parsed.Subject);
            Msg->SetMessageId(Parsed.MessageId);
            Msg->SetInReplyTo(Parsed.InReplyTo);
            Msg->SetDate(Parsed.Date);
            HeadersSet = true;
        }
        FillLines(Msg->Message(), Parsed.Message);
        for (; AttachmentsSet < static_cast<int>(Parsed.Attachments.size()); ++AttachmentsSet)
            Msg->Attachments()->Add(
                Parsed.Attachments[static_cast<std::size_t>(AttachmentsSet)].PathName);
    };
    // The application sees the message with its subject, sender and the attachment being
    // decoded when the decode events reach it.
    Parser.Events.OnDecodeStart = [this, &Sync](const std::string& Name, int Count) {
        Sync();
        if (OnDecodeStart) OnDecodeStart(this, Name, Count);
    };
    Parser.Events.OnDecodeProgress = [this](std::uint16_t P) {
        if (OnDecodeProgress) OnDecodeProgress(this, P);
    };
    Parser.Events.OnDecodeEnd = [this] {
        if (OnDecodeEnd) OnDecodeEnd(this);
    };
    Parser.Events.ProcessMessages = [] { QELProcessMessages(); };

    auto Transfer = [&] {
        Sync();
        Msg->SetParseError(Parsed.ParseError);
        for (int I = 0; I < static_cast<int>(Parsed.Attachments.size()); ++I) {
            TQELParsedAttachment& A = Parsed.Attachments[static_cast<std::size_t>(I)];
            TQELAttachment* Att = Msg->Attachments()->GeTQELAttachment(I);
            FillLines(Att->EncodedLines(), A.EncodedLines);
            TMimeLines().swap(A.EncodedLines);
            Att->SetContent(StreamOf(A.Content));
            std::string().swap(A.Content);
        }
    };
    try {
        Parser.Parse(std::move(Lines), Parsed);
    } catch (const EQELMessageFormatError& E) {
        // One mail the parser cannot follow must not block the mailbox: it is kept whole, with
        // the error noted, and the session goes on with the next one.
        QELKeepUnparsed(Raw, E.what(), Parsed);
    } catch (...) {
        // What was parsed before the fault stays with the message.
        Transfer();
        throw;
    }
    std::string().swap(Buffer);
    Transfer();
    if (AfterRetrieve) AfterRetrieve(this);
    return Msg;
}

void TQELPOPMail::DeleteMessage(std::uint16_t Index) {
    if (!Connected_) throw EQELNotConnected();
    QELProcessMessages();
    SendSocketText("DELE " + std::to_string(Index) + "\r\n");
    GetSocketText();
    if (Error_) {
        RaiseError(2003);
        return;
    }
    Deleted_->Add(std::to_string(Index));
    --MessageCount_;
    if (OnDelete) OnDelete(this, Index);
}

std::string TQELPOPMail::RetrieveHeaders(std::uint16_t Index) {
    if (!Connected_) throw EQELNotConnected();
    SendSocketText("TOP " + std::to_string(Index) + " 0\r\n");
    std::string Received = GetSocketText();
    if (Error_) {
        RaiseError(2005);
        return {};
    }
    if (ReadToTerminator(Received, 2005, {}) == std::string::npos) return {};
    // The status line is the text up to the first line end, whether or not it held the
    // terminator's CR LF; a server that ends it with a bare LF must not lose the headers.
    std::size_t LineEnd = Received.find('\n');
    return LineEnd == std::string::npos ? std::string() : Received.substr(LineEnd + 1);
}

// ---------------------------------------------------------------------------------------------
// Errors and socket notifications

void TQELPOPMail::RaiseError(int Code) {
    RaiseErrorAndExit(this, Socket_ ? Socket_->Socket() : nullptr, eeGeneral, Code);
}

void TQELPOPMail::RaiseErrorAndExit(TObject* Sender, TCustomWinSocket* /*Socket*/,
                                    TErrorEvent /*ErrorEvent*/, int& ErrorCode) {
    Error_ = true;
    // A notification from the socket arrives while one of the stream's own calls is still
    // running, so the stream may only go away once that call has returned; a closed socket
    // keeps it from being used meanwhile.
    if (Sender == this) Stream_.reset();
    EndTls();
    if (Socket_) Socket_->Close();
    Connected_ = false;
    if (OnError) OnError(Sender, ErrorCode, WithoutSecret(StatusText_, Password_));
}

void TQELPOPMail::DoConnect(TObject* /*Sender*/, TCustomWinSocket* Socket) {
    Connected_ = true;
    if (OnConnect) OnConnect(Socket);
}

void TQELPOPMail::DoDisconnect(TObject* /*Sender*/, TCustomWinSocket* Socket) {
    Connected_ = false;
    if (OnDisconnect) OnDisconnect(Socket);
}

// ---------------------------------------------------------------------------------------------
// Parsing helpers on string lists, for applications that work with the model directly

bool TQELPOPMail::FindInHeaders(const std::string& S, TStringList* List, int& Index) {
    return qel::FindInHeaders(S, LinesOf(List), Index);
}

bool TQELPOPMail::FindInStringList(const std::string& S, TStringList* List, int& Position,
                                   int& Index) {
    return qel::FindInStringList(S, LinesOf(List), Position, Index);
}

bool TQELPOPMail::FindInStringListCS(const std::string& S, TStringList* List, int& Position,
                                     int& Index) {
    return qel::FindInStringListCS(S, LinesOf(List), Position, Index);
}

bool TQELPOPMail::GetUUAttachments(TStringList* List, int& Index, std::string& FileName) {
    return qel::GetUUAttachments(LinesOf(List), Index, FileName);
}

namespace {

template <class Decoder>
void DecodeInto(TQELPOPMail* Self, TQELAttachment* A, std::uint16_t& Last, Decoder Fn) {
    if (!A) throw EInvalidOperation("Invalid Operation");
    TQELDecodeEvents Ev;
    Ev.OnDecodeStart = [Self](const std::string& Name, int Count) {
        if (Self->OnDecodeStart) Self->OnDecodeStart(Self, Name, Count);
    };
    Ev.OnDecodeProgress = [Self](std::uint16_t P) {
        if (Self->OnDecodeProgress) Self->OnDecodeProgress(Self, P);
    };
    Ev.OnDecodeEnd = [Self] {
        if (Self->OnDecodeEnd) Self->OnDecodeEnd(Self);
    };
    Ev.ProcessMessages = [] { QELProcessMessages(); };
    std::string Out;
    try {
        Fn(LinesOf(A->EncodedLines()), A->FileName(), Out, Ev, Self->ProgressStep(), Last);
    } catch (...) {
        A->SetContent(StreamOf(Out));
        throw;
    }
    A->SetContent(StreamOf(Out));
}

} // namespace

void TQELPOPMail::Base64Decode(TQELAttachment*& Attachment) {
    DecodeInto(this, Attachment, LastDecodePercent_, QELBase64Decode);
}

void TQELPOPMail::UUDecode(TQELAttachment*& Attachment) {
    DecodeInto(this, Attachment, LastDecodePercent_, QELUUDecode);
}

} // namespace qel
