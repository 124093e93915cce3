#pragma once
// Incoming mail: splitting a retrieved mail into header fields, body text and attachments,
// and the base64 and uuencode decoders. The parser works on plain lines and byte strings so
// that the POP3 component, the command-line tool and the tests share one implementation; the
// component copies the result into its message model.
#include "toolkit/core/Exceptions.h"
#include "toolkit/core/Export.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

using TMimeLines = std::vector<std::string>;

// Raised for a mail whose structure the parser cannot follow. The text is always
// "Message Format Error"; what was parsed before the fault stays in the result.
class EQELMessageFormatError : public Exception {
  public:
    EQELMessageFormatError() : Exception("Message Format Error") {}
};

// Splits text into lines the way a string list does: CR LF, a lone LF and a lone CR each end
// a line, and a final line end does not add an empty line. Zero bytes are ordinary data.
TMimeLines SplitMailLines(std::string_view Text);

// The header and list searches. Indexes are 0-based list indexes; Position is the 1-based
// column where the match starts.
bool FindInHeaders(const std::string& S, const TMimeLines& List, int& Index);
bool FindInStringList(const std::string& S, const TMimeLines& List, int& Position, int& Index);
bool FindInStringListCS(const std::string& S, const TMimeLines& List, int& Position, int& Index);
// The next uuencode start line of List ("begin", a mode below 777 in columns 7 to 9, the file
// name from column 11).
bool GetUUAttachments(const TMimeLines& List, int& Index, std::string& FileName);

// The shared progress rule: a percentage reaches the event each time it passes the next
// threshold, which then moves on by one step; at the end 100 is reported unless the last
// percentage already reached it. LastPercent belongs to the caller because it outlives one run.
class TQELMimeProgress {
  public:
    TQELMimeProgress(int Step, std::uint16_t& LastPercent,
                     std::function<void(std::uint16_t)> Event);
    // Percent is computed as round(Done * 100 / Total), halves to even.
    void Update(double Done, double Total);
    void UpdatePercent(std::uint16_t Percent);
    // The same as Times calls of UpdatePercent with one percentage.
    void UpdatePercent(std::uint16_t Percent, std::size_t Times);
    void Finish();
    static std::uint16_t Percentage(double Done, double Total);

  private:
    int Step_;
    int Threshold_;
    std::uint16_t& Last_;
    std::function<void(std::uint16_t)> Event_;
};

// What a decoder reports. Every member may be empty.
struct TQELDecodeEvents {
    std::function<void(const std::string& FileName, int BytesCount)> OnDecodeStart;
    std::function<void(std::uint16_t Percent)> OnDecodeProgress;
    std::function<void()> OnDecodeEnd;
    // Called regularly during long work so the host application stays responsive.
    std::function<void()> ProcessMessages;
};

// Decoders over encoded lines. Out receives the decoded bytes (it is replaced, not appended
// to). LastPercent is the caller's last decode percentage.
void QELBase64Decode(const TMimeLines& Lines, const std::string& FileName, std::string& Out,
                     const TQELDecodeEvents& Events, int ProgressStep, std::uint16_t& LastPercent);
// The first line is the "begin" line. On a bad character Out keeps what was decoded so far
// and EQELMessageFormatError is raised after the end events.
void QELUUDecode(const TMimeLines& Lines, const std::string& FileName, std::string& Out,
                 const TQELDecodeEvents& Events, int ProgressStep, std::uint16_t& LastPercent);

// The name part of a path as an attachment's FileName holds it.
std::string QELAttachmentFileName(const std::string& Path);

struct TQELParsedAttachment {
    std::string PathName; // the name the parser derived, as given to the collection's Add
    std::string FileName; // its last path element
    TMimeLines EncodedLines;
    std::string Content;
};

struct TQELParsedMessage {
    std::string FromMail, FromName, ReplyTo, SendTo, Subject, MessageId, InReplyTo, Date;
    TMimeLines Message;
    // Empty for a mail that parsed; otherwise the error, and Message holds the mail's raw text.
    std::string ParseError;
    std::vector<TQELParsedAttachment> Attachments;
};

// For a mail the parser could not follow: Message := the raw lines of Raw (the mail as
// received, still dot-stuffed), ParseError := the error text. The fields and attachments parsed
// before the fault stay, so that nothing of the mail is lost and the mailbox can go on.
void QELKeepUnparsed(std::string_view Raw, const std::string& Error, TQELParsedMessage& Out);

class TQELMimeParser {
  public:
    TQELDecodeEvents Events;
    std::function<void()> AfterRetrieve;
    int ProgressStep = 1;
    std::uint16_t LastDecodePercent = 0;

    // Parses the lines of one mail (status line and final "." already removed, still
    // dot-stuffed) into Out, which should be empty. On EQELMessageFormatError, Out holds
    // everything parsed before the fault.
    void Parse(TMimeLines Lines, TQELParsedMessage& Out);

  private:
    struct TPartInfo;
    void ParseHeaders(const TMimeLines& Header, TQELParsedMessage& Out);
    void ParsePlain(const TPartInfo& Info, TMimeLines& Body, TQELParsedMessage& Out);
    // Walks the parts of a multipart body. Rendition: the text of this subtree is another form
    // of text already taken (an alternative), so only its files are kept.
    void WalkMultipart(const TPartInfo& Info, TMimeLines& Body, TQELParsedMessage& Out, int Depth,
                       bool Rendition);
    void HandlePart(TMimeLines& Part, TQELParsedMessage& Out, int Depth, bool Rendition);
    void AppendText(const TPartInfo& Info, TMimeLines Lines, TQELParsedMessage& Out);
    // DropLastLine: the last line is the line end in front of a delimiter, not content.
    void DecodeAttachmentPart(TMimeLines& Part, const TPartInfo& Info, TQELParsedMessage& Out,
                              bool DropLastLine = true);
};

} // namespace qel

QEL_PUBLIC_END
