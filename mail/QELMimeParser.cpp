// The parser of incoming mail: header fields at their fixed columns (as mail that parsed
// before still parses), encoded words in subjects and names, and the MIME structure read with
// proper parameter parsing: nested multiparts walked, plain text preferred, text parts decoded
// and converted to UTF-8, every file kept as an attachment.
#include "mail/QELMimeParse.h"
#include "mail/QELMimeText.h"
#include "mail/QELMimeWords.h"
#include "toolkit/core/TextUtils.h"

#include <algorithm>
#include <utility>

namespace qel {

namespace {

// Deeper nesting than this is no mail but an attack on the stack; the rest is kept as text.
constexpr int MaxDepth = 32;

// Columns are 1-based and counts maximal lengths: a header's value starts at a fixed column
// as if one space followed the colon.
std::string Copy(const std::string& S, std::size_t Index, std::size_t Count = std::string::npos) {
    if (Index < 1 || Index > S.size()) return {};
    return S.substr(Index - 1, Count);
}

void RemoveChar(std::string& S, char C) {
    S.erase(std::remove(S.begin(), S.end(), C), S.end());
}

// The text between the first "<" and the next ">" (to the end when no ">" follows).
std::string Bracketed(const std::string& S) {
    std::size_t Lt = S.find('<');
    std::size_t Gt = S.find('>', Lt + 1);
    return S.substr(Lt + 1, Gt == std::string::npos ? std::string::npos : Gt - Lt - 1);
}

// Continuation lines of the header at Index: the following lines that begin with a space
// (with Tabs also those that begin with a tab).
template <class F>
void ForContinuations(const TMimeLines& Header, int Index, F Fn, bool Tabs = false) {
    for (std::size_t I = static_cast<std::size_t>(Index) + 1; I < Header.size(); ++I) {
        const std::string& L = Header[I];
        if (L.empty() || (L[0] != ' ' && !(Tabs && L[0] == '\t'))) break;
        Fn(L);
    }
}

// The unfolded value of the first header named Name (upper case, with its colon).
std::string Field(const TMimeLines& Header, const char* Name, bool* Found = nullptr) {
    int I = 0;
    if (!FindInHeaders(Name, Header, I)) {
        if (Found) *Found = false;
        return {};
    }
    if (Found) *Found = true;
    const std::string& Line = Header[static_cast<std::size_t>(I)];
    std::string V = Line.substr(std::min(Line.size(), Line.find(':') + 1));
    ForContinuations(
        Header, I, [&](const std::string& C) { V += C; }, true);
    return V;
}

std::string Join(const TMimeLines& Lines) {
    std::size_t N = 0;
    for (const auto& L : Lines)
        N += L.size() + 2;
    std::string S;
    S.reserve(N);
    for (std::size_t I = 0; I < Lines.size(); ++I) {
        if (I) S += "\r\n";
        S += Lines[I];
    }
    return S;
}

// The inverse of Join: a text that ends with a line end keeps its last, empty line.
TMimeLines SplitJoined(std::string_view Text) {
    TMimeLines L = SplitMailLines(Text);
    if (!Text.empty() && (Text.back() == '\n' || Text.back() == '\r')) L.emplace_back();
    return L;
}

bool IsDelimiter(const std::string& Line, const std::string& D) {
    if (Line.size() < D.size() || Line.compare(0, D.size(), D) != 0) return false;
    // Transport padding after a delimiter is allowed.
    for (std::size_t I = D.size(); I < Line.size(); ++I)
        if (Line[I] != ' ' && Line[I] != '\t') return false;
    return true;
}

// A line that can start a header field: a name of visible characters, then a colon.
bool IsHeaderLine(const std::string& L) {
    const std::size_t Colon = L.find(':');
    if (Colon == 0 || Colon == std::string::npos) return false;
    for (std::size_t I = 0; I < Colon; ++I) {
        const auto C = static_cast<unsigned char>(L[I]);
        if (C <= ' ' || C >= 0x7F) return false;
    }
    return true;
}

} // namespace

void QELKeepUnparsed(std::string_view Raw, const std::string& Error, TQELParsedMessage& Out) {
    TMimeLines Lines = SplitMailLines(Raw);
    for (std::string& L : Lines)
        if (L.size() > 1 && L[0] == '.') L.erase(0, 1);
    Out.Message = std::move(Lines);
    Out.ParseError = Error;
}

// What the headers of the mail or of one part say about its content.
struct TQELMimeParser::TPartInfo {
    bool HasType = false;
    std::string Type;      // lower case, e.g. "text/plain"
    std::string TypeUpper; // the same in upper case, as the naming rules compare it
    std::string Encoding;  // upper case, e.g. "BASE64"
    std::string Disposition;
    std::string Charset;
    std::string Boundary;
    std::string FileName;

    explicit TPartInfo(const TMimeLines& Header) {
        const mimewords::THeaderValue CT =
            mimewords::ParseHeaderValue(Field(Header, "CONTENT-TYPE:", &HasType));
        Type = CT.Value;
        TypeUpper = UpperCase(Type);
        Charset = CT.Param("charset");
        Boundary = CT.Param("boundary");
        if (Boundary.empty() && HasType && Type.rfind("multipart/", 0) == 0)
            Boundary = OldBoundary(Header);
        Encoding = UpperCase(Trim(Field(Header, "CONTENT-TRANSFER-ENCODING:")));
        const mimewords::THeaderValue CD =
            mimewords::ParseHeaderValue(Field(Header, "CONTENT-DISPOSITION:"));
        Disposition = CD.Value;
        // The disposition's file name first (the standard place), then the type's name.
        FileName = CD.Param("filename");
        if (FileName.empty()) FileName = CT.Param("name");
    }

    // A boundary that is no proper parameter of the content type, found the way it always was:
    // "boundary=" anywhere in the headers, quotes removed.
    static std::string OldBoundary(const TMimeLines& Header) {
        int Pos = 0, I = 0;
        if (!FindInStringList("BOUNDARY=", Header, Pos, I)) return {};
        std::string B =
            Trim(Copy(Header[static_cast<std::size_t>(I)], static_cast<std::size_t>(Pos) + 9, 72));
        if (!B.empty() && B[0] == '"') {
            B.erase(0, 1);
            std::size_t Q = B.find('"');
            if (Q != std::string::npos) B.erase(Q, 32);
        }
        return B;
    }

    bool IsMultipart() const { return Type.rfind("multipart/", 0) == 0 && !Boundary.empty(); }
    // Plain text that is the body's text, not a file.
    bool IsPlainText() const {
        return (Type.empty() || Type == "text/plain") && FileName.empty() &&
               Disposition != "attachment";
    }
    bool IsEncoded() const { return Encoding == "QUOTED-PRINTABLE" || Encoding == "BASE64"; }
    bool IsAttachment() const {
        // A part declared as plain text is text even in base64; an undeclared one in base64 is
        // a file, as it always was.
        if ((Encoding == "BASE64" || Encoding == "X-UUENCODE") &&
            !(Type == "text/plain" && IsPlainText()))
            return true;
        return !FileName.empty() || TypeUpper == "TEXT/HTML";
    }
};

void TQELMimeParser::Parse(TMimeLines Lines, TQELParsedMessage& Out) {
    std::size_t HeaderEnd = 0, BodyStart = 0;
    auto Empty = std::find(Lines.begin(), Lines.end(), std::string());
    if (Empty != Lines.end()) {
        HeaderEnd = BodyStart = static_cast<std::size_t>(Empty - Lines.begin()) + 1;
    } else {
        // No empty line: a mail of headers only, or one whose body follows its headers at
        // once. The headers end where a line is neither a field nor a continuation.
        while (HeaderEnd < Lines.size() &&
               (IsHeaderLine(Lines[HeaderEnd]) ||
                (HeaderEnd > 0 && (Lines[HeaderEnd][0] == ' ' || Lines[HeaderEnd][0] == '\t'))))
            ++HeaderEnd;
        BodyStart = HeaderEnd;
    }
    TMimeLines Header(
        std::make_move_iterator(Lines.begin()),
        std::make_move_iterator(Lines.begin() + static_cast<std::ptrdiff_t>(HeaderEnd)));
    Lines.erase(Lines.begin(), Lines.begin() + static_cast<std::ptrdiff_t>(BodyStart));
    TMimeLines& Body = Lines;

    for (std::string& L : Body)
        if (L.size() > 1 && L[0] == '.') L.erase(0, 1);

    ParseHeaders(Header, Out);
    const TPartInfo Info(Header);
    // Text, reports and enclosed messages stay text as they always did; multiparts are walked;
    // anything else is a single file.
    const bool Plain =
        !Info.HasType || Info.Type.empty() || Info.TypeUpper.find("TEXT") != std::string::npos ||
        Info.TypeUpper == "MULTIPART/REPORT" || Info.TypeUpper.find("MESSAGE") != std::string::npos;
    if (Plain) {
        ParsePlain(Info, Body, Out);
    } else if (Info.Type.rfind("multipart/", 0) == 0) {
        if (Info.Boundary.empty()) throw EQELMessageFormatError();
        WalkMultipart(Info, Body, Out, 0, false);
    } else {
        TMimeLines Part;
        Part.reserve(Header.size() + Body.size() + 1);
        for (auto& L : Header)
            if (!L.empty()) Part.push_back(std::move(L));
        Part.emplace_back();
        for (auto& L : Body)
            Part.push_back(std::move(L));
        Body.clear();
        DecodeAttachmentPart(Part, Info, Out, false);
    }
    if (AfterRetrieve) AfterRetrieve();
}

void TQELMimeParser::ParseHeaders(const TMimeLines& Header, TQELParsedMessage& Out) {
    if (Header.empty()) return;
    int I = 0;
    Out.FromMail = Copy(Header.front(), 6, 72);
    if (FindInHeaders("FROM:", Header, I)) {
        std::string F = Trim(Copy(Header[I], 7, 127));
        // A fold stands for white space; between encoded words it goes when they are decoded.
        ForContinuations(Header, I, [&](const std::string& C) { F += " " + Trim(C); });
        if (F.find('<') != std::string::npos) {
            std::string Name = F.substr(0, F.find('<'));
            RemoveChar(Name, '"');
            Out.FromName = mimewords::DecodeEncodedWords(Name);
            Out.FromMail = Bracketed(F);
        } else {
            Out.FromMail = F;
            Out.FromName = F;
        }
        RemoveChar(Out.FromMail, ' ');
    }
    if (FindInHeaders("MESSAGE-ID:", Header, I)) Out.MessageId = Trim(Copy(Header[I], 13, 127));
    if (FindInHeaders("IN-REPLY-TO:", Header, I)) Out.InReplyTo = Trim(Copy(Header[I], 14, 127));
    if (FindInHeaders("REPLY-TO:", Header, I)) {
        std::string R = Copy(Header[I], 11, 127);
        ForContinuations(Header, I, [&](const std::string& C) { R += Trim(C); });
        Out.ReplyTo = R;
    } else {
        Out.ReplyTo = Out.FromMail;
    }
    if (FindInHeaders("TO:", Header, I)) {
        std::string T = Trim(Copy(Header[I], 5));
        ForContinuations(Header, I, [&](const std::string& C) { T += " " + Trim(C); });
        if (T.find('<') != std::string::npos) T = Bracketed(T);
        RemoveChar(T, ' ');
        Out.SendTo = T;
    }
    if (FindInHeaders("DATE:", Header, I)) Out.Date = Trim(Copy(Header[I], 7, 72));
    if (FindInHeaders("SUBJECT:", Header, I)) {
        // Long subjects are folded, non-ASCII ones written as encoded words.
        std::string S = Copy(Header[I], 10);
        ForContinuations(
            Header, I, [&](const std::string& C) { S += C; }, true);
        Out.Subject = Trim(mimewords::DecodeEncodedWords(Trim(S)));
    }
}

void TQELMimeParser::AppendText(const TPartInfo& Info, TMimeLines Lines, TQELParsedMessage& Out) {
    if (Info.IsEncoded() || !Info.Charset.empty()) {
        std::string Text = Join(Lines);
        if (Info.Encoding == "QUOTED-PRINTABLE")
            Text = mimetext::QuotedPrintableDecode(Text);
        else if (Info.Encoding == "BASE64")
            Text = mimetext::Base64DecodeText(Text);
        std::string Converted = mimetext::ToUtf8(Text, Info.Charset);
        if (Info.IsEncoded() || Converted != Text) Lines = SplitJoined(Converted);
    }
    for (auto& L : Lines)
        Out.Message.push_back(std::move(L));
}

void TQELMimeParser::ParsePlain(const TPartInfo& Info, TMimeLines& Body, TQELParsedMessage& Out) {
    if (Info.IsEncoded() || !Info.Charset.empty()) {
        TQELParsedMessage Text;
        AppendText(Info, std::move(Body), Text);
        Body = std::move(Text.Message);
    }
    int Start = 0;
    std::string Name;
    while (GetUUAttachments(Body, Start, Name)) {
        TQELParsedAttachment A;
        std::size_t E = static_cast<std::size_t>(Start);
        // A block without its "end" line runs to the end of the body.
        while (E < Body.size() && UpperCase(Trim(Body[E])) != "END") {
            if (!Body[E].empty()) A.EncodedLines.push_back(std::move(Body[E]));
            ++E;
        }
        Body.erase(Body.begin() + Start, Body.begin() + static_cast<std::ptrdiff_t>(E));
        A.PathName = Name;
        A.FileName = QELAttachmentFileName(Name);
        Out.Attachments.push_back(std::move(A));
        TQELParsedAttachment& Added = Out.Attachments.back();
        QELUUDecode(Added.EncodedLines, Added.FileName, Added.Content, Events, ProgressStep,
                    LastDecodePercent);
    }
    for (auto& L : Body)
        Out.Message.push_back(std::move(L));
    Body.clear();
}

void TQELMimeParser::WalkMultipart(const TPartInfo& Info, TMimeLines& Body, TQELParsedMessage& Out,
                                   int Depth, bool Rendition) {
    const std::string D = "--" + Info.Boundary;
    const std::string C = D + "--";
    int First = 0, Pos = 0;
    if (!FindInStringListCS(D, Body, Pos, First)) throw EQELMessageFormatError();

    std::vector<TMimeLines> Parts(1);
    bool Closed = false;
    for (std::size_t K = static_cast<std::size_t>(First) + 1; K < Body.size(); ++K) {
        if (IsDelimiter(Body[K], C)) {
            Closed = true;
            break;
        }
        if (IsDelimiter(Body[K], D))
            Parts.emplace_back();
        else
            Parts.back().push_back(std::move(Body[K]));
    }
    Body.clear();
    // Without the closing delimiter the last part may be cut anywhere.
    if (!Closed) throw EQELMessageFormatError();

    // Of alternatives, the plain text is the text; the others are renditions of it. Where the
    // alternatives are the mail's whole body, a rendition that is a file (the HTML page) is
    // kept as it always was; deeper down only real files are.
    std::size_t Chosen = Parts.size();
    std::vector<bool> Nested(Parts.size(), false);
    if (Info.Type == "multipart/alternative")
        for (std::size_t K = 0; K < Parts.size(); ++K) {
            auto Sep = std::find(Parts[K].begin(), Parts[K].end(), std::string());
            if (Sep == Parts[K].end()) continue;
            const TPartInfo P(TMimeLines(Parts[K].begin(), Sep));
            Nested[K] = P.IsMultipart();
            if (P.IsPlainText() && !P.IsMultipart() && Chosen == Parts.size()) Chosen = K;
        }
    for (std::size_t K = 0; K < Parts.size(); ++K) {
        const bool IsRendition =
            Rendition || (Chosen < Parts.size() && K != Chosen && (Depth > 0 || Nested[K]));
        HandlePart(Parts[K], Out, Depth, IsRendition);
        TMimeLines().swap(Parts[K]);
    }
}

void TQELMimeParser::HandlePart(TMimeLines& Part, TQELParsedMessage& Out, int Depth,
                                bool Rendition) {
    auto Sep = std::find(Part.begin(), Part.end(), std::string());
    if (Sep == Part.end()) throw EQELMessageFormatError();
    const TPartInfo Info(TMimeLines(Part.begin(), Sep));
    if (Info.IsMultipart() && Depth + 1 < MaxDepth) {
        TMimeLines Inner(std::make_move_iterator(Sep + 1), std::make_move_iterator(Part.end()));
        WalkMultipart(Info, Inner, Out, Depth + 1, Rendition);
        return;
    }
    if (Info.IsAttachment() && !(Rendition && Info.FileName.empty() &&
                                 (Info.Type.empty() || Info.Type.rfind("text/", 0) == 0))) {
        DecodeAttachmentPart(Part, Info, Out);
        return;
    }
    if (Rendition) return;
    AppendText(Info,
               TMimeLines(std::make_move_iterator(Sep + 1), std::make_move_iterator(Part.end())),
               Out);
}

void TQELMimeParser::DecodeAttachmentPart(TMimeLines& Part, const TPartInfo& Info,
                                          TQELParsedMessage& Out, bool DropLastLine) {
    const std::string& Encoding = Info.Encoding;
    std::string Name = Info.FileName.empty() ? Trim(Out.Subject) : Info.FileName;
    for (char Ch : std::string_view("\\/:*?\"<>|"))
        RemoveChar(Name, Ch);
    // Control characters have no place in a file name either.
    Name.erase(std::remove_if(Name.begin(), Name.end(),
                              [](char Ch) { return static_cast<unsigned char>(Ch) < ' '; }),
               Name.end());
    if (Name.empty()) Name = "_Cosa_";
    if (Info.TypeUpper == "TEXT/HTML") Name += ".html";

    TQELParsedAttachment A;
    A.PathName = Name;
    A.FileName = QELAttachmentFileName(Name);
    Out.Attachments.push_back(std::move(A));
    TQELParsedAttachment& Added = Out.Attachments.back();

    auto IsBlank = [](const std::string& L) { return Trim(L).empty(); };
    auto It = std::find_if(Part.begin(), Part.end(), IsBlank);
    if (Encoding == "BASE64" || Encoding == "X-UUENCODE") {
        while (It != Part.end() && IsBlank(*It))
            ++It;
    } else if (It != Part.end()) {
        ++It;
    }
    TMimeLines Lines(std::make_move_iterator(It), std::make_move_iterator(Part.end()));
    TMimeLines().swap(Part);

    if (Encoding == "BASE64") {
        Added.EncodedLines = std::move(Lines);
        QELBase64Decode(Added.EncodedLines, Added.FileName, Added.Content, Events, ProgressStep,
                        LastDecodePercent);
    } else if (Encoding == "X-UUENCODE") {
        Added.EncodedLines = std::move(Lines);
        QELUUDecode(Added.EncodedLines, Added.FileName, Added.Content, Events, ProgressStep,
                    LastDecodePercent);
    } else {
        if (DropLastLine && !Lines.empty()) Lines.pop_back();
        std::size_t N = 0;
        for (const auto& L : Lines)
            N += L.size() + 2;
        Added.Content.reserve(N);
        for (const auto& L : Lines) {
            Added.Content += L;
            Added.Content += "\r\n";
        }
        if (Encoding == "QUOTED-PRINTABLE")
            Added.Content = mimetext::QuotedPrintableDecode(Added.Content);
    }
}

} // namespace qel
