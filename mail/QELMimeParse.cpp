#include "mail/QELMimeParse.h"

#include <algorithm>
#include <array>
#include <cfenv>
#include <cmath>
#include <utility>

namespace qel {

namespace {

// Columns below are 1-based and counts are maximal lengths, as in the mail header layout the
// parser reads: a header's value starts at a fixed column as if one space followed the colon.
std::string Copy(const std::string& S, std::size_t Index, std::size_t Count = std::string::npos) {
    if (Index < 1 || Index > S.size()) return {};
    return S.substr(Index - 1, Count);
}

bool IsBlankChar(char C) {
    return static_cast<unsigned char>(C) <= ' ';
}

std::string Trim(const std::string& S) {
    std::size_t B = 0, E = S.size();
    while (B < E && IsBlankChar(S[B]))
        ++B;
    while (E > B && IsBlankChar(S[E - 1]))
        --E;
    return S.substr(B, E - B);
}

std::string Upper(std::string S) {
    for (char& C : S)
        if (C >= 'a' && C <= 'z') C = static_cast<char>(C - 'a' + 'A');
    return S;
}

std::string Lower(std::string S) {
    for (char& C : S)
        if (C >= 'A' && C <= 'Z') C = static_cast<char>(C - 'A' + 'a');
    return S;
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

// Continuation lines of the header at Index: the following lines that begin with a space.
template <class F> void ForContinuations(const TMimeLines& Header, int Index, F Fn) {
    for (std::size_t I = static_cast<std::size_t>(Index) + 1; I < Header.size(); ++I) {
        const std::string& L = Header[I];
        if (L.empty() || L[0] != ' ') break;
        Fn(Trim(L));
    }
}

std::string ContentTypeOf(const std::string& Line) {
    std::string T = Upper(Trim(Copy(Line, 15, 72)));
    std::size_t Semi = T.find(';');
    if (Semi != std::string::npos) T.erase(Semi);
    return T;
}

} // namespace

TMimeLines SplitMailLines(std::string_view Text) {
    TMimeLines Lines;
    std::size_t P = 0, N = Text.size();
    while (P < N) {
        std::size_t E = P;
        while (E < N && Text[E] != '\r' && Text[E] != '\n')
            ++E;
        Lines.emplace_back(Text.substr(P, E - P));
        if (E < N && Text[E] == '\r') ++E;
        if (E < N && Text[E] == '\n') ++E;
        P = E;
    }
    return Lines;
}

bool FindInHeaders(const std::string& S, const TMimeLines& List, int& Index) {
    for (std::size_t I = 0; I < List.size(); ++I) {
        const std::string& L = List[I];
        if (L.size() < S.size()) continue;
        if (Upper(L.substr(0, S.size())) == S) {
            Index = static_cast<int>(I);
            return true;
        }
    }
    return false;
}

bool FindInStringList(const std::string& S, const TMimeLines& List, int& Position, int& Index) {
    for (std::size_t I = 0; I < List.size(); ++I) {
        std::size_t P = Upper(List[I]).find(S);
        if (P != std::string::npos) {
            Position = static_cast<int>(P) + 1;
            Index = static_cast<int>(I);
            return true;
        }
    }
    return false;
}

bool FindInStringListCS(const std::string& S, const TMimeLines& List, int& /*Position*/,
                        int& Index) {
    for (std::size_t I = 0; I < List.size(); ++I) {
        if (List[I].find(S) != std::string::npos) {
            Index = static_cast<int>(I);
            return true;
        }
    }
    return false;
}

bool GetUUAttachments(const TMimeLines& List, int& Index, std::string& FileName) {
    for (std::size_t I = 0; I < List.size(); ++I) {
        const std::string& L = List[I];
        if (L.size() <= 10) continue;
        if (Lower(L.substr(0, 5)) != "begin") continue;
        std::string Mode = L.substr(6, 3);
        if (!std::all_of(Mode.begin(), Mode.end(), [](char C) { return C >= '0' && C <= '9'; }))
            continue;
        if (std::stoi(Mode) >= 777) continue;
        FileName = Copy(L, 11, 64);
        Index = static_cast<int>(I);
        return true;
    }
    return false;
}

std::string QELAttachmentFileName(const std::string& Path) {
    std::size_t P = Path.find_last_of("/\\");
    return P == std::string::npos ? Path : Path.substr(P + 1);
}

// ---------------------------------------------------------------------------------------------
// Progress

TQELMimeProgress::TQELMimeProgress(int Step, std::uint16_t& LastPercent,
                                   std::function<void(std::uint16_t)> Event)
    : Step_(Step), Threshold_(Step), Last_(LastPercent), Event_(std::move(Event)) {}

std::uint16_t TQELMimeProgress::Percentage(double Done, double Total) {
    if (Total <= 0) return 100;
    // nearbyint follows the current rounding mode, which is to-nearest-even by default.
    double R = std::nearbyint(Done * 100.0 / Total);
    if (R < 0) R = 0;
    return static_cast<std::uint16_t>(static_cast<std::uint32_t>(std::fmod(R, 65536.0)));
}

void TQELMimeProgress::Update(double Done, double Total) {
    UpdatePercent(Percentage(Done, Total));
}

void TQELMimeProgress::UpdatePercent(std::uint16_t Percent) {
    Last_ = Percent;
    if (Percent >= Threshold_) {
        if (Event_) Event_(Percent);
        Threshold_ += Step_;
    }
}

void TQELMimeProgress::UpdatePercent(std::uint16_t Percent, std::size_t Times) {
    if (Times == 0) return;
    Last_ = Percent;
    // Once the threshold has passed the percentage, the remaining calls would change nothing.
    for (; Times > 0 && Percent >= Threshold_; --Times) {
        if (Event_) Event_(Percent);
        Threshold_ += Step_;
    }
}

void TQELMimeProgress::Finish() {
    if (Last_ < 100 && Event_) Event_(100);
}

// ---------------------------------------------------------------------------------------------
// Decoders

namespace {

// Base64 values; 64 is the pad character, 255 marks characters outside the alphabet.
constexpr std::array<std::uint8_t, 256> MakeBase64Table() {
    std::array<std::uint8_t, 256> T{};
    for (auto& V : T)
        V = 255;
    for (int I = 0; I < 26; ++I) {
        T['A' + I] = static_cast<std::uint8_t>(I);
        T['a' + I] = static_cast<std::uint8_t>(26 + I);
    }
    for (int I = 0; I < 10; ++I)
        T['0' + I] = static_cast<std::uint8_t>(52 + I);
    T['+'] = 62;
    T['/'] = 63;
    T['='] = 64;
    return T;
}
constexpr auto kBase64 = MakeBase64Table();

// Uudecode values; a space counts as 0, 255 marks a character outside the alphabet.
constexpr std::array<std::uint8_t, 256> MakeUUTable() {
    std::array<std::uint8_t, 256> T{};
    for (auto& V : T)
        V = 255;
    for (int C = 33; C <= 95; ++C)
        T[C] = static_cast<std::uint8_t>(C - 32);
    T['`'] = 0;
    T[' '] = 0;
    return T;
}
constexpr auto kUU = MakeUUTable();

std::size_t TotalSize(const TMimeLines& Lines) {
    std::size_t N = 0;
    for (const auto& L : Lines)
        N += L.size();
    return N;
}

} // namespace

void QELBase64Decode(const TMimeLines& Lines, const std::string& FileName, std::string& Out,
                     const TQELDecodeEvents& Events, int ProgressStep, std::uint16_t& LastPercent) {
    if (Events.OnDecodeStart) Events.OnDecodeStart(FileName, static_cast<int>(Lines.size()));
    Out.clear();
    Out.reserve(TotalSize(Lines) / 4 * 3 + 3);
    TQELMimeProgress Progress(ProgressStep, LastPercent, Events.OnDecodeProgress);
    const double Count = static_cast<double>(Lines.size());
    std::uint8_t V[4];
    int Pos = 0;
    for (std::size_t LineIndex = 0; LineIndex < Lines.size(); ++LineIndex) {
        // Every group is one unit of progress; its percentage is that of its line. A line
        // of several groups can therefore fire several events while the threshold catches
        // up with a percentage that jumped more than one step.
        const std::uint16_t Percent =
            TQELMimeProgress::Percentage(static_cast<double>(LineIndex), Count);
        const std::string& Line = Lines[LineIndex];
        const auto* P = reinterpret_cast<const unsigned char*>(Line.data());
        const auto* const End = P + Line.size();
        // Whole groups of four data characters, nearly every group of a line, go straight
        // through in batches; a pad or a stray character hands the rest of the line to the
        // careful loop below.
        bool Plain = Pos == 0;
        while (Plain && End - P >= 4) {
            char Batch[3 * 64];
            std::size_t Groups = 0;
            for (; Groups < 64 && End - P >= 4; ++Groups, P += 4) {
                const std::uint8_t A = kBase64[P[0]], B = kBase64[P[1]], C = kBase64[P[2]],
                                   D = kBase64[P[3]];
                if ((A | B | C | D) >= 64) {
                    Plain = false;
                    break;
                }
                char* O = Batch + Groups * 3;
                O[0] = static_cast<char>(A << 2 | B >> 4);
                O[1] = static_cast<char>(B << 4 | C >> 2);
                O[2] = static_cast<char>(C << 6 | D);
            }
            Out.append(Batch, Groups * 3);
            Progress.UpdatePercent(Percent, Groups);
        }
        for (; P < End; ++P) {
            std::uint8_t X = kBase64[*P];
            // Characters outside the alphabet (spaces, stray line noise) are skipped so that
            // they cannot shift the following groups.
            if (X == 255) continue;
            V[Pos++] = X;
            if (Pos < 4) continue;
            Pos = 0;
            int N = 3;
            if (V[0] == 64) N = 0;
            if (V[2] == 64) {
                V[2] = 0;
                V[3] = 0;
                N = 1;
            }
            if (V[3] == 64) {
                V[3] = 0;
                N = 2;
            }
            if (N > 0) {
                char B[3] = {static_cast<char>(V[0] * 4 + V[1] / 16),
                             static_cast<char>((V[1] & 15) * 16 + V[2] / 4),
                             static_cast<char>((V[2] & 3) * 64 + V[3])};
                Out.append(B, static_cast<std::size_t>(N));
            }
            Progress.UpdatePercent(Percent);
        }
        if (Events.ProcessMessages) Events.ProcessMessages();
    }
    Progress.Finish();
    if (Events.OnDecodeEnd) Events.OnDecodeEnd();
}

void QELUUDecode(const TMimeLines& Lines, const std::string& FileName, std::string& Out,
                 const TQELDecodeEvents& Events, int ProgressStep, std::uint16_t& LastPercent) {
    if (Events.OnDecodeStart) Events.OnDecodeStart(FileName, static_cast<int>(Lines.size()));
    std::string Decoded;
    Decoded.reserve(TotalSize(Lines) / 4 * 3);
    TQELMimeProgress Progress(ProgressStep, LastPercent, Events.OnDecodeProgress);
    const double Count = static_cast<double>(Lines.size());
    bool Bad = false;
    for (std::size_t I = 1; I < Lines.size(); ++I) {
        const std::string& L = Lines[I];
        // An "end" line directly after the begin line means an empty file; it is no data line.
        if (L == "end") break;
        if (!L.empty()) {
            std::uint8_t N = kUU[static_cast<unsigned char>(L[0])];
            if (N == 255) {
                Bad = true;
                break;
            }
            std::size_t Chars = (N * 4 / 3 == 60) ? 60 : std::min<std::size_t>(L.size() - 1, 60);
            std::uint8_t Bytes[45] = {};
            std::uint32_t Acc = 0;
            int Bits = 0;
            std::size_t Filled = 0;
            for (std::size_t K = 1; K <= Chars; ++K) {
                std::uint8_t X = K < L.size() ? kUU[static_cast<unsigned char>(L[K])] : 0;
                if (X == 255) {
                    Bad = true;
                    break;
                }
                Acc = (Acc << 6) | X;
                Bits += 6;
                if (Bits >= 8) {
                    Bits -= 8;
                    if (Filled < 45) Bytes[Filled++] = static_cast<std::uint8_t>(Acc >> Bits);
                    Acc &= (1u << Bits) - 1;
                }
            }
            if (Bad) break;
            Decoded.append(reinterpret_cast<const char*>(Bytes), std::min<std::size_t>(N, 45));
        }
        Progress.Update(static_cast<double>(I), Count);
        if (Events.ProcessMessages) Events.ProcessMessages();
        if (I + 1 < Lines.size() && (Lines[I + 1] == "end" || Lines[I + 1] == "`")) break;
    }
    Out = std::move(Decoded);
    Progress.Finish();
    if (Events.OnDecodeEnd) Events.OnDecodeEnd();
    if (Bad) throw EQELMessageFormatError();
}

// ---------------------------------------------------------------------------------------------
// Parser

void TQELMimeParser::Parse(TMimeLines Lines, TQELParsedMessage& Out) {
    auto Empty = std::find(Lines.begin(), Lines.end(), std::string());
    // Without an empty line there is no header/body border; reading on would take body lines
    // as headers or header lines as body.
    if (Empty == Lines.end()) throw EQELMessageFormatError();
    TMimeLines Header(std::make_move_iterator(Lines.begin()), std::make_move_iterator(Empty + 1));
    Lines.erase(Lines.begin(), Empty + 1);
    TMimeLines& Body = Lines;

    for (std::string& L : Body)
        if (L.size() > 1 && L[0] == '.') L.erase(0, 1);

    std::string ContentType;
    bool HasContentType = ParseHeaders(Header, Out, ContentType);

    bool Plain = !HasContentType || ContentType.find("TEXT") != std::string::npos ||
                 ContentType == "MULTIPART/REPORT" ||
                 ContentType.find("MESSAGE") != std::string::npos;
    if (Plain)
        ParsePlain(Body, Out);
    else
        ParseMultipart(Header, Body, Out);
    if (AfterRetrieve) AfterRetrieve();
}

bool TQELMimeParser::ParseHeaders(const TMimeLines& Header, TQELParsedMessage& Out,
                                  std::string& ContentType) {
    int I = 0;
    Out.FromMail = Copy(Header.front(), 6, 72);
    if (FindInHeaders("FROM:", Header, I)) {
        std::string F = Trim(Copy(Header[I], 7, 127));
        ForContinuations(Header, I, [&](const std::string& C) { F += C; });
        if (F.find('<') != std::string::npos) {
            std::string Name = F.substr(0, F.find('<'));
            RemoveChar(Name, '"');
            Out.FromName = Name;
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
        ForContinuations(Header, I, [&](const std::string& C) { R += C; });
        Out.ReplyTo = R;
    } else {
        Out.ReplyTo = Out.FromMail;
    }
    if (FindInHeaders("TO:", Header, I)) {
        std::string T = Trim(Copy(Header[I], 5));
        ForContinuations(Header, I, [&](const std::string& C) { T += " " + C; });
        if (T.find('<') != std::string::npos) T = Bracketed(T);
        RemoveChar(T, ' ');
        Out.SendTo = T;
    }
    if (FindInHeaders("DATE:", Header, I)) Out.Date = Trim(Copy(Header[I], 7, 72));
    if (FindInHeaders("SUBJECT:", Header, I)) Out.Subject = Trim(Copy(Header[I], 10));
    if (!FindInHeaders("CONTENT-TYPE:", Header, I)) return false;
    ContentType = ContentTypeOf(Header[I]);
    return true;
}

void TQELMimeParser::ParsePlain(TMimeLines& Body, TQELParsedMessage& Out) {
    int Start = 0;
    std::string Name;
    while (GetUUAttachments(Body, Start, Name)) {
        TQELParsedAttachment A;
        std::size_t E = static_cast<std::size_t>(Start);
        // A block without its "end" line runs to the end of the body.
        while (E < Body.size() && Lower(Trim(Body[E])) != "end") {
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
    Out.Message = std::move(Body);
}

void TQELMimeParser::ParseMultipart(const TMimeLines& Header, TMimeLines& Body,
                                    TQELParsedMessage& Out) {
    int Pos = 0, I = 0;
    if (!FindInStringList("BOUNDARY=", Header, Pos, I)) throw EQELMessageFormatError();
    std::string B = Trim(Copy(Header[I], static_cast<std::size_t>(Pos) + 9, 72));
    if (!B.empty() && B[0] == '"') {
        B.erase(0, 1);
        std::size_t Q = B.find('"');
        if (Q != std::string::npos) B.erase(Q, 32);
    }
    const std::string D = "--" + B;
    const std::string C = D + "--";
    int First = 0;
    if (!FindInStringListCS(D, Body, Pos, First)) throw EQELMessageFormatError();

    std::vector<TMimeLines> Parts(1);
    bool Closed = false;
    for (std::size_t K = static_cast<std::size_t>(First) + 1; K < Body.size(); ++K) {
        if (Body[K] == C) {
            Closed = true;
            break;
        }
        if (Body[K] == D)
            Parts.emplace_back();
        else
            Parts.back().push_back(std::move(Body[K]));
    }
    Body.clear();
    // Without the closing delimiter the last part may be cut anywhere.
    if (!Closed) throw EQELMessageFormatError();

    for (TMimeLines& Part : Parts) {
        auto Sep = std::find(Part.begin(), Part.end(), std::string());
        if (Sep == Part.end()) throw EQELMessageFormatError();
        TMimeLines PartHeader(Part.begin(), Sep);
        std::string Encoding, Type, FileName;
        if (FindInHeaders("CONTENT-TRANSFER-ENCODING:", PartHeader, I))
            Encoding = Upper(Trim(Copy(PartHeader[I], 28, 20)));
        if (FindInHeaders("CONTENT-TYPE:", PartHeader, I)) Type = ContentTypeOf(PartHeader[I]);
        if (FindInStringList("FILENAME=", PartHeader, Pos, I)) {
            FileName = Trim(Copy(PartHeader[I], static_cast<std::size_t>(Pos) + 10, 127));
            if (!FileName.empty()) FileName.pop_back();
        } else if (FindInStringList("NAME=", PartHeader, Pos, I)) {
            FileName = Trim(Copy(PartHeader[I], static_cast<std::size_t>(Pos) + 5, 127));
            if (!FileName.empty() && FileName[0] == '"') {
                FileName.erase(0, 1);
                if (!FileName.empty()) FileName.pop_back();
            }
        }
        if (Encoding == "BASE64" || Encoding == "X-UUENCODE" || !FileName.empty() ||
            Type == "TEXT/HTML") {
            DecodeAttachmentPart(Part, Encoding, Type, FileName, Out);
        } else {
            for (auto It = Sep + 1; It != Part.end(); ++It)
                Out.Message.push_back(std::move(*It));
        }
        TMimeLines().swap(Part);
    }
}

void TQELMimeParser::DecodeAttachmentPart(TMimeLines& Part, const std::string& Encoding,
                                          const std::string& ContentType,
                                          const std::string& FileName, TQELParsedMessage& Out) {
    std::string Name = FileName.empty() ? Trim(Out.Subject) : FileName;
    for (char Ch : std::string_view("\\/:*?\"<>|"))
        RemoveChar(Name, Ch);
    if (Name.empty()) Name = "_Cosa_";
    if (ContentType == "TEXT/HTML") Name += ".html";

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
        // The last line is the empty line in front of the next delimiter.
        if (!Lines.empty()) Lines.pop_back();
        std::size_t N = 0;
        for (const auto& L : Lines)
            N += L.size() + 2;
        Added.Content.reserve(N);
        for (const auto& L : Lines) {
            Added.Content += L;
            Added.Content += "\r\n";
        }
    }
}

} // namespace qel
