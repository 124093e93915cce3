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
using smtpdetail::OneLine;

namespace {

// Appends the physical lines of an entry: an entry may itself hold line ends (the separator
// between text and signature is one), and each resulting line is dot-stuffed on its own, so no
// line of the text can ever end the data phase early.
// With QuotedPrintable each line is encoded first and every encoded line stuffed on its own.
void AddStuffed(TQELPackedStrings& Out, const std::string& Entry, bool QuotedPrintable = false) {
    auto AddLine = [&Out](std::string_view Line) {
        if (Line.empty() || Line.front() != '.') {
            Out.AddView(Line);
            return;
        }
        std::string Stuffed;
        Stuffed.reserve(Line.size() + 1);
        Stuffed += '.';
        Stuffed += Line;
        Out.AddView(Stuffed);
    };
    std::size_t Start = 0;
    for (;;) {
        std::size_t End = Entry.find_first_of("\r\n", Start);
        std::string Line = Entry.substr(Start, End == std::string::npos ? End : End - Start);
        if (QuotedPrintable) {
            const std::string Encoded = mimetext::QuotedPrintableEncodeLine(Line);
            std::size_t From = 0;
            const std::string_view View = Encoded;
            for (std::size_t Br; (Br = View.find("\r\n", From)) != std::string_view::npos;
                 From = Br + 2)
                AddLine(View.substr(From, Br - From));
            AddLine(View.substr(From));
        } else {
            AddLine(Line);
        }
        if (End == std::string::npos) break;
        Start =
            End + (Entry[End] == '\r' && End + 1 < Entry.size() && Entry[End + 1] == '\n' ? 2 : 1);
    }
}

// A header whose value may need encoded words: plain text goes on one line as before (quoted
// when it is a display name), other text as encoded words on folded lines; Suffix (an address)
// follows the last word.
void AddWordsHeader(TQELPackedStrings& L, const std::string& Prefix, const std::string& Value,
                    const std::string& Suffix, bool Quote) {
    if (!mimewords::NeedsEncoding(Value)) {
        L.Add(Prefix + (Quote ? mimewords::QuoteString(Value) : Value) + Suffix);
        return;
    }
    const std::vector<std::string> Words = mimewords::EncodeWords(Value);
    for (std::size_t I = 0; I < Words.size(); ++I)
        L.Add((I == 0 ? Prefix : std::string(" ")) + Words[I] +
              (I + 1 == Words.size() ? Suffix : std::string()));
}

// How the text part is declared and written.
struct TTextForm {
    std::string ContentType;
    std::string Encoding;
    bool QuotedPrintable = false;
};

TTextForm TextFormOf(const TStrings* Message, const TStrings* Signature) {
    // SMTP allows 998 characters a line; longer ones are cut or refused by servers.
    constexpr std::size_t MaxLine = 998;
    bool Plain = true, Utf8 = true;
    for (const TStrings* List : {Message, Signature})
        for (int I = 0; I < List->Count(); ++I) {
            const std::string Line = List->Get(I);
            if (!mimetext::IsAscii(Line) || Line.size() > MaxLine) Plain = false;
            if (!mimetext::IsValidUtf8(Line)) Utf8 = false;
        }
    if (Plain)
        return {"Content-Type: Text/Plain; charset=ISO-8859-1", "Content-Transfer-Encoding: 8bit",
                false};
    return {std::string("Content-Type: text/plain; charset=") + (Utf8 ? "UTF-8" : "ISO-8859-1"),
            "Content-Transfer-Encoding: quoted-printable", true};
}

// The headers of a file part. A plain ASCII name is written as always; another is given as
// encoded words in the content type (which older readers look at) and in the extended form of
// RFC 2231 in the disposition (which standard readers prefer).
void AddFilePartHeaders(TQELPackedStrings& L, const std::string& MimeType,
                        const std::string& Name) {
    if (!mimewords::NeedsEncoding(Name)) {
        L.Add("Content-Type: " + MimeType + "; name=" + mimewords::QuoteString(Name));
        L.Add("Content-Transfer-Encoding: base64");
        L.Add("Content-Disposition: inLine; filename=" + mimewords::QuoteString(Name));
        return;
    }
    const std::vector<std::string> Words = mimewords::EncodeWords(Name);
    for (std::size_t I = 0; I < Words.size(); ++I)
        L.Add((I == 0 ? "Content-Type: " + MimeType + "; name=\"" : std::string(" ")) + Words[I] +
              (I + 1 == Words.size() ? "\"" : ""));
    L.Add("Content-Transfer-Encoding: base64");
    const std::vector<std::string> Pieces = mimewords::EncodeParam("filename", Name);
    if (Pieces.size() == 1) {
        L.Add("Content-Disposition: inLine; " + Pieces[0]);
        return;
    }
    L.Add("Content-Disposition: inLine;");
    for (std::size_t I = 0; I < Pieces.size(); ++I)
        L.Add(" " + Pieces[I] + (I + 1 == Pieces.size() ? "" : ";"));
}

std::string RandomLetters(std::size_t Count) {
    // Seeded once per thread from the system's entropy and the clock: identifiers made in the
    // same clock tick must still differ.
    thread_local std::mt19937_64 Gen(
        std::random_device{}() ^
        static_cast<std::uint64_t>(
            std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    std::uniform_int_distribution<int> Dist(0, 24);
    std::string S;
    for (std::size_t I = 0; I < Count; ++I)
        S += static_cast<char>(97 + Dist(Gen));
    return S;
}

// A file read with other programs free to read and write it meanwhile.
class TSharedReadFile {
  public:
    explicit TSharedReadFile(const std::string& Name) : Name_(Name) {
        Fd_ = ::open(Name.c_str(), O_RDONLY | O_CLOEXEC);
        if (Fd_ < 0)
            throw EFOpenError("Cannot open file \"" + Name + "\". " + std::strerror(errno));
        struct stat St {};
        if (::fstat(Fd_, &St) != 0 || !S_ISREG(St.st_mode)) {
            int E = ::fstat(Fd_, &St) != 0 ? errno : EISDIR;
            ::close(Fd_);
            throw EFOpenError("Cannot open file \"" + Name + "\". " + std::strerror(E));
        }
        Size_ = St.st_size;
    }
    ~TSharedReadFile() { ::close(Fd_); }
    TSharedReadFile(const TSharedReadFile&) = delete;
    TSharedReadFile& operator=(const TSharedReadFile&) = delete;

    std::int64_t Size() const { return Size_; }
    // The next Count bytes, straight from a read-ahead buffer so that a large file costs few
    // reads; valid until the next call. A file that shrank meanwhile is a read error, raised
    // when a piece it no longer holds is asked for.
    const std::uint8_t* Take(std::size_t Count) {
        if (End_ - Pos_ < Count) Refill(Count);
        const std::uint8_t* Piece = Buffer_.data() + Pos_;
        Pos_ += Count;
        return Piece;
    }

  private:
    static constexpr std::size_t ReadAhead = 64 * 1024;

    void Refill(std::size_t Count) {
        if (Pos_ > 0) {
            std::memmove(Buffer_.data(), Buffer_.data() + Pos_, End_ - Pos_);
            End_ -= Pos_;
            Pos_ = 0;
        }
        if (Buffer_.size() < std::max(Count, ReadAhead)) Buffer_.resize(std::max(Count, ReadAhead));
        while (End_ < Count) {
            ssize_t N = ::read(Fd_, Buffer_.data() + End_, Buffer_.size() - End_);
            if (N < 0 && errno == EINTR) continue;
            if (N <= 0)
                throw EReadError("Cannot read file \"" + Name_ +
                                 "\": " + (N < 0 ? std::strerror(errno) : "it became shorter"));
            End_ += static_cast<std::size_t>(N);
        }
    }

    std::string Name_;
    int Fd_ = -1;
    std::int64_t Size_ = 0;
    std::vector<std::uint8_t> Buffer_;
    std::size_t Pos_ = 0;
    std::size_t End_ = 0;
};

} // namespace

std::string smtpdetail::OneLine(const std::string& S) {
    std::string R;
    R.reserve(S.size());
    bool InBreak = false;
    for (char C : S) {
        if (C == '\r' || C == '\n') {
            if (!InBreak) R += ' ';
            InBreak = true;
        } else {
            R += C;
            InBreak = false;
        }
    }
    return R;
}

// ---- Composition ---------------------------------------------------------------------------

std::string TQELSMTPMail::CreateUIN() {
    std::string LocalHost =
        Socket_ && Socket_->Socket() ? Socket_->Socket()->LocalHost() : LocalHostName();
    return "<qelnv98." + FormatDateTime("hhnn.ddmmyyyy", std::time(nullptr)) + RandomLetters(8) +
           "@" + LocalHost + ">";
}

std::string TQELSMTPMail::CreateBounds() {
    return "---QELMAIL" + RandomLetters(12);
}

std::unique_ptr<TQELPackedStrings> TQELSMTPMail::InitializeMessage(TQELMessage*& Msg) {
    const char DQ = '"';
    auto Out = std::make_unique<TQELPackedStrings>();
    TQELPackedStrings& L = *Out;
    const int AttachCount = Msg->Attachments()->Count();

    L.Add("Message-Id: " + CreateUIN());
    if (!Msg->InReplyTo().empty()) L.Add("In-Reply-To: " + OneLine(Msg->InReplyTo()));
    L.Add("Date: " + OneLine(Msg->Date()));
    const std::string FromMail = OneLine(Msg->FromMail());
    if (Msg->FromName().empty()) {
        L.Add("From: " + FromMail);
    } else {
        const std::string Address =
            FromMail.find('@') != std::string::npos ? FromMail : FromMail + "@" + OneLine(Host());
        AddWordsHeader(L, "From: ", OneLine(Msg->FromName()), " <" + Address + ">", true);
    }
    if (!Msg->ReplyTo().empty()) L.Add("Reply-To: " + OneLine(Msg->ReplyTo()));
    L.Add("X-Mailer: " + OneLine(Application ? Application->Title() : std::string()) + " - [" +
          ClassName() + "]");
    L.Add("To: " + OneLine(Msg->SendTo()));
    AddWordsHeader(L, "Subject: ", OneLine(Msg->Subject()), "", false);
    L.Add("MIME-Version: 1.0");
    // Plain ASCII text goes out as it always did; other text is declared and quoted-printable,
    // which also keeps every line within the limit of SMTP.
    const TTextForm Text = TextFormOf(Msg->Message(), Signature_.get());
    std::string D;
    if (AttachCount == 0) {
        L.Add(Text.ContentType);
        L.Add(Text.Encoding);
    } else {
        const std::string B = CreateBounds();
        D = "--" + B;
        L.Add("Content-Type: multipart/mixed; boundary=" + std::string(1, DQ) + B + DQ);
    }
    L.Add("");

    if (AttachCount > 0) {
        L.Add(D);
        L.Add(Text.ContentType);
        L.Add(Text.Encoding);
        L.Add("");
    }
    for (int I = 0; I < Msg->Message()->Count(); ++I)
        AddStuffed(L, Msg->Message()->Get(I), Text.QuotedPrintable);
    AddStuffed(L, "\r\n", Text.QuotedPrintable);
    for (int I = 0; I < Signature_->Count(); ++I)
        AddStuffed(L, Signature_->Get(I), Text.QuotedPrintable);

    if (AttachCount > 0) {
        for (int I = 0; I < Msg->Attachments()->Count(); ++I) {
            TQELAttachment* A = Msg->Attachments()->GeTQELAttachment(I);
            const std::string Name = OneLine(A->FileName());
            L.Add(D);
            // Form files do not carry the content type; it is looked up again when missing.
            if (A->MimeType().empty())
                A->SetMimeType(TQELAttachments::GetMimeType(A->PathName().empty() ? A->FileName()
                                                                                  : A->PathName()));
            AddFilePartHeaders(L, OneLine(A->MimeType()), Name);
            L.Add("");
            Base64Encode(A);
            if (Abort_) return nullptr;
            const TQELPackedStrings* Enc = A->EncodedLines();
            L.Reserve(static_cast<std::size_t>(Enc->Count()) + 8, Enc->BufferSize() + 256);
            for (int K = 0; K < Enc->Count(); ++K)
                L.AddView(Enc->Line(K));
        }
        L.Add("");
        L.Add(D + "--");
        L.Add("");
    }
    QELProcessMessages();
    if (Abort_) return nullptr;
    return Out;
}

void TQELSMTPMail::Base64Encode(TQELAttachment*& Attachment) {
    // An attachment read from a form file without a stored path is found by its name.
    const std::string Path =
        Attachment->PathName().empty() ? Attachment->FileName() : Attachment->PathName();
    TSharedReadFile File(Path);
    const std::int64_t Size = File.Size();
    DoEncodeStart(Path, static_cast<int>(std::min<std::int64_t>(Size, INT_MAX)));

    // Every line and every character of the result is known from the size: one allocation
    // for the lines' characters, one for their places.
    auto Lines = std::make_unique<TQELPackedStrings>();
    const std::uint64_t LineCount =
        (static_cast<std::uint64_t>(Size) + Base64LineBytes - 1) / Base64LineBytes;
    Lines->Reserve(static_cast<std::size_t>(LineCount),
                   static_cast<std::size_t>((static_cast<std::uint64_t>(Size) + 2) / 3 * 4));
    smtpdetail::TProgressRule Progress(ProgressStep(), LastEncodePercent_,
                                       [this](std::uint16_t P) { DoEncodeProgress(P); });
    std::int64_t Encoded = 0;

    const std::int64_t Blocks = Size / static_cast<std::int64_t>(Base64BlockBytes);
    for (std::int64_t K = 0; K < Blocks; ++K) {
        QELProcessMessages();
        if (Abort_) return;
        const std::uint8_t* Block = File.Take(Base64BlockBytes);
        for (std::size_t J = 0; J < Base64BlockBytes / Base64LineBytes; ++J) {
            Base64EncodeLine(Block + J * Base64LineBytes, Lines->AddLine(Base64LineChars));
            Encoded += static_cast<std::int64_t>(Base64LineBytes);
            Progress.Update(static_cast<double>(Encoded), static_cast<double>(Size));
            QELProcessMessages();
        }
    }

    // The bytes after the last whole block, in one read.
    const std::size_t Rest = static_cast<std::size_t>(Size % std::int64_t(Base64BlockBytes));
    const std::uint8_t* Block = File.Take(Rest);
    std::string Current;
    for (std::size_t G = 0; G < Rest / 3; ++G) {
        QELProcessMessages();
        if (Abort_) return;
        char Out[4];
        Base64EncodeGroup(Block + G * 3, Out);
        Current.append(Out, 4);
        if (Current.size() == Base64LineChars) {
            Lines->Add(Current);
            Current.clear();
        }
    }
    if (Rest % 3 != 0) Current += Base64EncodeTail(Block + Rest / 3 * 3, Rest % 3);
    if (!Current.empty()) Lines->Add(Current);
    if (LastEncodePercent_ < 100) DoEncodeProgress(100);

    QELProcessMessages();
    if (Abort_) return;
    Attachment->SetEncodedLines(std::move(Lines));
    DoEncodeEnd();
}

} // namespace qel
