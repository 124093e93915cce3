#include "mail/QELTIEmails.h"

#include "mail/QELMailDate.h"
#include "mail/QELMailTls.h"
#include "mail/QELMimeText.h"
#include "mail/QELMimeWords.h"
#include "toolkit/controls/Forms.h"
#include "toolkit/core/Filer.h"
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
#include <new>
#include <random>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qel {

// ---- Wire helpers --------------------------------------------------------------------------

namespace mailwire {

void Base64EncodeGroup(const std::uint8_t* In, char* Out) {
    Out[0] = Base64Alphabet[In[0] >> 2];
    Out[1] = Base64Alphabet[((In[0] & 3) << 4) | (In[1] >> 4)];
    Out[2] = Base64Alphabet[((In[1] & 15) << 2) | (In[2] >> 6)];
    Out[3] = Base64Alphabet[In[2] & 63];
}

namespace {
// Two output characters for every 12-bit value: a line is the hot path of every attachment.
struct TPairTable {
    char Pairs[4096][2];
    TPairTable() {
        for (int V = 0; V < 4096; ++V) {
            Pairs[V][0] = Base64Alphabet[V >> 6];
            Pairs[V][1] = Base64Alphabet[V & 63];
        }
    }
};
const TPairTable PairTable;
} // namespace

void Base64EncodeLine(const std::uint8_t* In, char* Out) {
    for (std::size_t G = 0; G < Base64LineBytes / 3; ++G, In += 3, Out += 4) {
        const std::uint32_t V = (std::uint32_t(In[0]) << 16) | (std::uint32_t(In[1]) << 8) | In[2];
        std::memcpy(Out, PairTable.Pairs[V >> 12], 2);
        std::memcpy(Out + 2, PairTable.Pairs[V & 0xFFF], 2);
    }
}

std::string Base64EncodeTail(const std::uint8_t* In, std::size_t Count) {
    std::uint8_t Group[3] = {In[0], Count > 1 ? In[1] : std::uint8_t(0), 0};
    char Out[4];
    Base64EncodeGroup(Group, Out);
    if (Count == 1) return {Out[0], Out[1], '=', '='};
    return {Out[0], Out[1], Out[2], '='};
}

bool TLineBuffer::NextLine(std::string& Line) {
    std::size_t End = Pending_.find('\n');
    if (End == std::string::npos) return false;
    std::size_t Len = End;
    if (Len > 0 && Pending_[Len - 1] == '\r') --Len;
    Line.assign(Pending_, 0, Len);
    Pending_.erase(0, End + 1);
    return true;
}

bool IsFinalReplyLine(std::string_view Line) {
    return Line.size() <= 3 || Line[3] != '-';
}

namespace {
std::string_view TrimView(std::string_view S) {
    std::size_t B = 0, E = S.size();
    while (B < E && static_cast<unsigned char>(S[B]) <= ' ')
        ++B;
    while (E > B && static_cast<unsigned char>(S[E - 1]) <= ' ')
        --E;
    return S.substr(B, E - B);
}
} // namespace

std::string ReplyCode(std::string_view Line) {
    return std::string(TrimView(Line.substr(0, 3)));
}

std::string ReplyText(std::string_view Line) {
    if (Line.size() <= 3) return {};
    return std::string(TrimView(Line.substr(3, 64)));
}

bool TryStrToInt(std::string_view S, int& Value) {
    S = TrimView(S);
    if (S.empty()) return false;
    bool Neg = false;
    std::size_t I = 0;
    if (S[0] == '+' || S[0] == '-') {
        Neg = S[0] == '-';
        I = 1;
    }
    if (I == S.size()) return false;
    long long V = 0;
    for (; I < S.size(); ++I) {
        if (S[I] < '0' || S[I] > '9') return false;
        V = V * 10 + (S[I] - '0');
        if (V > static_cast<long long>(INT_MAX) + 1) return false;
    }
    if (Neg) V = -V;
    if (V > INT_MAX || V < INT_MIN) return false;
    Value = static_cast<int>(V);
    return true;
}

namespace {
const char* const ShortDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const LongDayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                    "Thursday", "Friday", "Saturday"};
const char* const ShortMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const LongMonthNames[] = {"January",   "February", "March",    "April",
                                      "May",       "June",     "July",     "August",
                                      "September", "October",  "November", "December"};

std::string Pad2(int V) {
    // Appending to a string that already holds the padding: gcc 12 at -O3 sees a false overlap
    // (-Wrestrict) in concatenating a literal with a temporary.
    std::string S(V >= 0 && V < 10 ? 1 : 0, '0');
    S += std::to_string(V);
    return S;
}

// A day or month field by the length of its run of letters: the number, the number in two
// digits, the short name, the long name.
std::string NumberOrName(std::size_t Letters, int Number, const char* Short, const char* Long) {
    if (Letters == 1) return std::to_string(Number);
    if (Letters == 2) return Pad2(Number);
    return Letters == 3 ? Short : Long;
}

bool StartsWithCI(std::string_view S, std::size_t At, std::string_view What) {
    if (S.size() - At < What.size()) return false;
    for (std::size_t I = 0; I < What.size(); ++I)
        if (std::tolower(static_cast<unsigned char>(S[At + I])) != What[I]) return false;
    return true;
}
} // namespace

std::string FormatDateTime(std::string_view F, std::time_t When) {
    std::tm T{};
    localtime_r(&When, &T);
    // A 12-hour clock is used when the pattern holds an am/pm marker anywhere.
    const bool Twelve = [&] {
        for (std::size_t I = 0; I < F.size(); ++I)
            if (StartsWithCI(F, I, "am/pm") || StartsWithCI(F, I, "ampm")) return true;
        return false;
    }();
    std::string Out;
    bool AfterHour = false;
    std::size_t I = 0;
    auto Run = [&](char C) {
        std::size_t N = 0;
        while (I + N < F.size() && std::tolower(static_cast<unsigned char>(F[I + N])) == C)
            ++N;
        return N;
    };
    while (I < F.size()) {
        const char C = static_cast<char>(std::tolower(static_cast<unsigned char>(F[I])));
        if (F[I] == '"' || F[I] == '\'') {
            const char Q = F[I];
            std::size_t E = F.find(Q, I + 1);
            if (E == std::string_view::npos) E = F.size();
            Out.append(F.substr(I + 1, E - I - 1));
            I = E + 1;
            continue;
        }
        if (StartsWithCI(F, I, "am/pm")) {
            Out += T.tm_hour < 12          ? F.substr(I, 1) == "A" ? "AM" : "am"
                   : F.substr(I, 1) == "A" ? "PM"
                                           : "pm";
            I += 5;
            continue;
        }
        if (StartsWithCI(F, I, "ampm")) {
            Out += T.tm_hour < 12 ? "AM" : "PM";
            I += 4;
            continue;
        }
        std::size_t N = Run(C);
        switch (C) {
        case 'd':
            Out += NumberOrName(N, T.tm_mday, ShortDayNames[T.tm_wday], LongDayNames[T.tm_wday]);
            AfterHour = false;
            break;
        case 'm':
            if (AfterHour && N <= 2)
                Out += N == 1 ? std::to_string(T.tm_min) : Pad2(T.tm_min);
            else
                Out += NumberOrName(N, T.tm_mon + 1, ShortMonthNames[T.tm_mon],
                                    LongMonthNames[T.tm_mon]);
            AfterHour = false;
            break;
        case 'y':
            Out += N <= 2 ? Pad2((T.tm_year + 1900) % 100) : std::to_string(T.tm_year + 1900);
            AfterHour = false;
            break;
        case 'h': {
            int H = T.tm_hour;
            if (Twelve) H = H % 12 == 0 ? 12 : H % 12;
            Out += N == 1 ? std::to_string(H) : Pad2(H);
            AfterHour = true;
            break;
        }
        case 'n':
            Out += N == 1 ? std::to_string(T.tm_min) : Pad2(T.tm_min);
            AfterHour = false;
            break;
        case 's':
            Out += N == 1 ? std::to_string(T.tm_sec) : Pad2(T.tm_sec);
            AfterHour = false;
            break;
        case 'z':
            Out += "000";
            break;
        default:
            Out.append(F.substr(I, N ? N : 1));
            if (!N) N = 1;
            // Separators keep an hour in effect for "h:mm".
            break;
        }
        I += N;
    }
    return Out;
}

namespace {
constexpr std::size_t LargeBlock = std::size_t(2) << 20;
}

void* AllocateLarge(std::size_t Bytes) {
    if (Bytes < LargeBlock) return ::operator new(Bytes);
    void* Block =
        ::mmap(nullptr, Bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (Block == MAP_FAILED) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    // Only a wish: where the system has no huge pages the block works all the same.
    ::madvise(Block, Bytes, MADV_HUGEPAGE);
#endif
    return Block;
}

void FreeLarge(void* Block, std::size_t Bytes) noexcept {
    if (!Block) return;
    if (Bytes < LargeBlock)
        ::operator delete(Block);
    else
        ::munmap(Block, Bytes);
}

} // namespace mailwire

// ---- Packed string list --------------------------------------------------------------------

QEL_IMPLEMENT_CLASS(TQELPackedStrings, TStrings, NoProperties<TQELPackedStrings>)

TQELPackedStrings::~TQELPackedStrings() = default;

void TQELPackedStrings::IndexError(int Index) {
    throw EStringListError("List index out of bounds (" + std::to_string(Index) + ")");
}

void TQELPackedStrings::Rebuild(std::size_t NewCapacity) {
    std::unique_ptr<char[], mailwire::TLargeDeleter> Chars(
        static_cast<char*>(mailwire::AllocateLarge(NewCapacity)),
        mailwire::TLargeDeleter{NewCapacity});
    if (Garbage_ == 0) {
        if (Size_) std::memcpy(Chars.get(), Chars_.get(), Size_);
    } else {
        // Lines that are gone are dropped on the way.
        std::size_t At = 0;
        for (TSpan& S : Spans_) {
            if (S.Length) std::memcpy(Chars.get() + At, Chars_.get() + S.Offset, S.Length);
            S.Offset = At;
            At += S.Length;
        }
        Size_ = At;
        Garbage_ = 0;
    }
    Chars_ = std::move(Chars);
    Capacity_ = NewCapacity;
}

void TQELPackedStrings::Grow(std::size_t Needed) {
    if (Capacity_ - Size_ >= Needed) return;
    Rebuild(std::max({Size_ - Garbage_ + Needed, Capacity_ * 2, std::size_t(256)}));
}

void TQELPackedStrings::Reserve(std::size_t Lines, std::size_t Chars) {
    Spans_.reserve(Spans_.size() + Lines);
    Grow(Chars);
}

std::size_t TQELPackedStrings::Store(std::string_view S) {
    // A line taken from this very list must be copied out before the buffer may move.
    if (!S.empty() && S.data() >= Chars_.get() && S.data() < Chars_.get() + Size_) {
        const std::string Copy(S);
        return Store(Copy);
    }
    Grow(S.size());
    const std::size_t At = Size_;
    if (!S.empty()) std::memcpy(Chars_.get() + At, S.data(), S.size());
    Size_ += S.size();
    return At;
}

void TQELPackedStrings::Forget(std::size_t Length) {
    Garbage_ += Length;
    if (Garbage_ == Size_) {
        Size_ = Garbage_ = 0;
        return;
    }
    if (Garbage_ >= 4096 && Garbage_ * 2 >= Size_)
        Rebuild(std::max((Size_ - Garbage_) * 2, std::size_t(256)));
}

int TQELPackedStrings::AddView(std::string_view S) {
    const std::size_t At = Store(S);
    Spans_.push_back({At, S.size()});
    if (!Objects_.empty()) Objects_.push_back(nullptr);
    return Count() - 1;
}

void TQELPackedStrings::Insert(int Index, const std::string& S) {
    if (Index < 0 || Index > Count()) IndexError(Index);
    const std::size_t At = Store(S);
    Spans_.insert(Spans_.begin() + Index, TSpan{At, S.size()});
    if (!Objects_.empty()) Objects_.insert(Objects_.begin() + Index, nullptr);
}

void TQELPackedStrings::Put(int Index, const std::string& S) {
    CheckIndex(Index);
    const std::size_t Old = Spans_[static_cast<std::size_t>(Index)].Length;
    if (S.size() <= Old) {
        TSpan& Span = Spans_[static_cast<std::size_t>(Index)];
        if (!S.empty()) std::memmove(Chars_.get() + Span.Offset, S.data(), S.size());
        Span.Length = S.size();
        Forget(Old - S.size());
        return;
    }
    const std::size_t At = Store(S);
    Spans_[static_cast<std::size_t>(Index)] = {At, S.size()};
    Forget(Old);
}

void TQELPackedStrings::Delete(int Index) {
    CheckIndex(Index);
    const std::size_t Old = Spans_[static_cast<std::size_t>(Index)].Length;
    Spans_.erase(Spans_.begin() + Index);
    if (!Objects_.empty()) Objects_.erase(Objects_.begin() + Index);
    Forget(Old);
}

void TQELPackedStrings::Clear() {
    Spans_.clear();
    Spans_.shrink_to_fit();
    Objects_.clear();
    Chars_.reset();
    Size_ = Capacity_ = Garbage_ = 0;
}

TObject* TQELPackedStrings::GetObject(int Index) const {
    CheckIndex(Index);
    return Objects_.empty() ? nullptr : Objects_[static_cast<std::size_t>(Index)];
}

void TQELPackedStrings::PutObject(int Index, TObject* AObject) {
    CheckIndex(Index);
    if (Objects_.empty()) {
        if (!AObject) return;
        Objects_.assign(Spans_.size(), nullptr);
    }
    Objects_[static_cast<std::size_t>(Index)] = AObject;
}

std::string TQELPackedStrings::Text() const {
    const std::string& Break = LineBreak();
    std::string R;
    R.reserve(Size_ - Garbage_ + Spans_.size() * Break.size());
    for (const TSpan& S : Spans_) {
        R.append(Chars_.get() + S.Offset, S.Length);
        R += Break;
    }
    return R;
}

using namespace mailwire;

namespace {

// Header values and command arguments are single lines: a line end inside them would start a
// new header or a new command on the wire.
std::string OneLine(const std::string& S) {
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

void CheckAddress(const std::string& A) {
    if (A.find_first_of("\r\n") != std::string::npos)
        throw EConvertError("Invalid mail address \"" + OneLine(A) + "\": it contains a line end");
}

std::string Trim(const std::string& S) {
    return std::string(TrimView(S));
}

// Appends the physical lines of an entry: an entry may itself hold line ends (the separator
// between text and signature is one), and each resulting line is dot-stuffed on its own, so no
// line of the text can ever end the data phase early.
// With QuotedPrintable each line is encoded first and every encoded line stuffed on its own.
void AddStuffed(TQELPackedStrings& Out, const std::string& Entry, bool QuotedPrintable = false) {
    auto AddLine = [&Out](std::string Line) {
        if (!Line.empty() && Line[0] == '.') Line.insert(Line.begin(), '.');
        Out.Add(Line);
    };
    std::size_t Start = 0;
    for (;;) {
        std::size_t End = Entry.find_first_of("\r\n", Start);
        std::string Line = Entry.substr(Start, End == std::string::npos ? End : End - Start);
        if (QuotedPrintable) {
            const std::string Encoded = mimetext::QuotedPrintableEncodeLine(Line);
            std::size_t From = 0;
            for (std::size_t Br; (Br = Encoded.find("\r\n", From)) != std::string::npos;
                 From = Br + 2)
                AddLine(Encoded.substr(From, Br - From));
            AddLine(Encoded.substr(From));
        } else {
            AddLine(std::move(Line));
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

// The progress rule: the event fires when the percentage reaches the next threshold, which
// then moves on by one step only; Last belongs to the component and outlives one run.
class TProgressRule {
  public:
    TProgressRule(int Step, std::uint16_t& Last, std::function<void(std::uint16_t)> Event)
        : Step_(Step), Threshold_(Step), Last_(Last), Event_(std::move(Event)) {}
    void Update(double Done, double Total) {
        // rint rounds halves to even in the default rounding mode; unlike nearbyint it does not
        // save and restore the floating-point state, which shows at one call per line.
        const double R = Total > 0 ? std::rint(Done * 100.0 / Total) : 100.0;
        const std::uint16_t P = static_cast<std::uint16_t>(static_cast<std::uint32_t>(R));
        Last_ = P;
        if (P >= Threshold_) {
            Event_(P);
            Threshold_ += Step_;
        }
    }

  private:
    int Step_;
    int Threshold_;
    std::uint16_t& Last_;
    std::function<void(std::uint16_t)> Event_;
};

constexpr int StreamTimeOut = 20;
constexpr std::size_t MaxReplyLine = 64 * 1024;
constexpr std::size_t MaxReplyLines = 256;
constexpr int WaitSlice = 200;
// Lines are collected up to this size before a write when no pause is asked for.
constexpr std::size_t DataChunk = 64 * 1024;

} // namespace

// ---- Message model -------------------------------------------------------------------------

namespace {
// Freeing an item takes it out of its collection. An index out of range is shown by the
// application's exception handler and leaves the collection as it was.
bool DeleteItem(TCollection& Collection, int Index) {
    try {
        delete Collection.Items(Index);
        return true;
    } catch (const std::exception&) {
        QELHandleException(&Collection);
        return false;
    }
}
} // namespace

TQELAttachment::TQELAttachment(TCollection* Collection)
    : TCollectionItem(Collection), EncodedLines_(std::make_unique<TQELPackedStrings>()),
      Content_(std::make_unique<TMemoryStream>()) {
    if (auto* Owner = dynamic_cast<TQELAttachments*>(Collection)) Message_ = Owner->OwnerMessage();
}

TQELAttachment::~TQELAttachment() = default;

void TQELAttachment::SaveToFile(const std::string& FileName) {
    if (!Content_) throw EInvalidOperation("Invalid Operation");
    try {
        Content_->SaveToFile(FileName);
    } catch (const std::exception&) {
        QELHandleException(this);
    }
}

void TQELAttachment::Assign(const TPersistent* Source) {
    if (auto* A = dynamic_cast<const TQELAttachment*>(Source)) {
        FileName_ = A->FileName_;
        PathName_ = A->PathName_;
        MimeType_ = A->MimeType_;
        EncodedLines_->Assign(A->EncodedLines_.get());
        if (A->Content_) {
            auto C = std::make_unique<TMemoryStream>();
            C->WriteBuffer(A->Content_->Memory(), A->Content_->Size());
            C->SetPosition(0);
            Content_ = std::move(C);
        } else {
            Content_.reset();
        }
        return;
    }
    TCollectionItem::Assign(Source);
}

std::string TQELAttachment::GetDisplayName() const {
    return "Mail Attachment";
}

void TQELAttachment::DefineProperties(TFiler& Filer) {
    TCollectionItem::DefineProperties(Filer);
    Filer.DefineProperty(
        "PathName", [this](TReader& R) { PathName_ = R.ReadString(); },
        [this](TWriter& W) { W.WriteString(PathName_); },
        !PathName_.empty() && PathName_ != FileName_);
}

TQELAttachments::TQELAttachments(TQELMessage* Message)
    : TCollection(TQELAttachment::StaticClass()), Message_(Message) {}

TQELAttachment* TQELAttachments::Add(const std::string& FileName) {
    auto* Item = static_cast<TQELAttachment*>(TCollection::Add());
    std::size_t Slash = FileName.find_last_of("/\\");
    Item->SetFileName(Slash == std::string::npos ? FileName : FileName.substr(Slash + 1));
    Item->SetPathName(FileName);
    Item->SetMimeType(GetMimeType(FileName));
    return Item;
}

std::string TQELAttachments::GetMimeType(const std::string& FileName) {
    const std::string Fallback = "application/octet-stream";
    std::size_t Slash = FileName.find_last_of("/\\");
    std::size_t Dot = FileName.rfind('.');
    if (Dot == std::string::npos || (Slash != std::string::npos && Dot < Slash)) return Fallback;
    const std::string Ext = FileName.substr(Dot);
    if (Ext.size() < 2) return Fallback;
    try {
        TRegistry Reg(KEY_READ);
        Reg.SetRootKey(HKEY_CLASSES_ROOT);
        if (!Reg.KeyExists(Ext)) return Fallback;
        if (!Reg.OpenKey(Ext, false)) return Fallback;
        std::string Type = Reg.ValueExists("Content Type") ? Reg.ReadString("Content Type") : "";
        Reg.CloseKey();
        return Type.empty() ? Fallback : Type;
    } catch (const ERegistryException&) {
        // An unreadable store must not stop a mail from going out with a generic type.
        return Fallback;
    }
}

bool TQELAttachments::Delete(int Index) {
    return DeleteItem(*this, Index);
}

TPersistent* TQELAttachments::GetOwner() const {
    return Message_;
}

TQELMessage::TQELMessage(TCollection* Collection)
    : TCollectionItem(Collection), Message_(std::make_unique<TStringList>()),
      Attachments_(std::make_unique<TQELAttachments>(this)) {
    if (auto* Owner = dynamic_cast<TQELMessages*>(Collection)) Host_ = Owner->Host();
}

TQELMessage::~TQELMessage() = default;

void TQELMessage::SetMessage(TStrings* Value) {
    Message_->Assign(Value);
}

void TQELMessage::SetAttachments(TQELAttachments* Value) {
    Attachments_->Assign(Value);
}

void TQELMessage::Assign(const TPersistent* Source) {
    if (auto* M = dynamic_cast<const TQELMessage*>(Source)) {
        FromMail_ = M->FromMail_;
        ReplyTo_ = M->ReplyTo_;
        SendTo_ = M->SendTo_;
        Subject_ = M->Subject_;
        FromName_ = M->FromName_;
        Message_->Assign(M->Message_.get());
        Attachments_->Assign(M->Attachments_.get());
        MessageId_ = M->MessageId_;
        InReplyTo_ = M->InReplyTo_;
        Date_ = M->Date_;
        ParseError_ = M->ParseError_;
        return;
    }
    TCollectionItem::Assign(Source);
}

bool TQELMessage::DecodeDate(std::time_t& When) const {
    return maildate::ParseMailDate(Date_, When);
}

std::string TQELMessage::GetDisplayName() const {
    return Host_ && Host_->Is<TQELSMTPMail>() ? "Outgoing Message" : "Incoming Message";
}

TQELMessages::TQELMessages(TQELMailHost* Host)
    : TCollection(TQELMessage::StaticClass()), Host_(Host) {}

TQELMessage* TQELMessages::Add() {
    return static_cast<TQELMessage*>(TCollection::Add());
}

bool TQELMessages::Delete(int Index) {
    return DeleteItem(*this, Index);
}

TPersistent* TQELMessages::GetOwner() const {
    return Host_;
}

namespace {
void DescribeAttachment(TClassBuilder<TQELAttachment>& B) {
    B.String("FileName", &TQELAttachment::FileName, &TQELAttachment::SetFileName);
}
void DescribeMessage(TClassBuilder<TQELMessage>& B) {
    B.String("FromMail", &TQELMessage::FromMail, &TQELMessage::SetFromMail);
    B.String("ReplyTo", &TQELMessage::ReplyTo, &TQELMessage::SetReplyTo);
    B.String("SendTo", &TQELMessage::SendTo, &TQELMessage::SetSendTo);
    B.String("Subject", &TQELMessage::Subject, &TQELMessage::SetSubject);
    B.String("FromName", &TQELMessage::FromName, &TQELMessage::SetFromName);
    B.Strings("Message", &TQELMessage::Message, &TQELMessage::SetMessage);
    B.Collection("Attachments", &TQELMessage::Attachments, &TQELMessage::SetAttachments);
}
} // namespace

QEL_IMPLEMENT_CLASS(TQELAttachment, TCollectionItem, DescribeAttachment)
QEL_IMPLEMENT_CLASS(TQELAttachments, TCollection, NoProperties<TQELAttachments>)
QEL_IMPLEMENT_CLASS(TQELMessage, TCollectionItem, DescribeMessage)
QEL_IMPLEMENT_CLASS(TQELMessages, TCollection, NoProperties<TQELMessages>)

// ---- TQELMailHost --------------------------------------------------------------------------

TQELMailHost::TQELMailHost(TComponent* AOwner)
    : TQELMailsComponent(AOwner), Messages_(std::make_unique<TQELMessages>(this)) {}

TQELMailHost::~TQELMailHost() {
    EndTls();
    Stream_.reset();
    Socket_.reset();
}

void TQELMailHost::SetMessages(TQELMessages* Value) {
    Messages_->Assign(Value);
}

void TQELMailHost::SetProgressStep(TQELPStep Value) {
    ProgressStep_ = static_cast<TQELPStep>(std::clamp<int>(Value, 1, 100));
}

bool TQELMailHost::Execute() {
    if (OnExecute) OnExecute(this);
    return true;
}

namespace {
void DescribeMailHost(TClassBuilder<TQELMailHost>& B) {
    B.Collection("Messages", &TQELMailHost::Messages, &TQELMailHost::SetMessages);
    B.Event("OnExecute", &TQELMailHost::OnExecute);
    // Always written, whatever its value.
    B.Integer("ProgressStep", &TQELMailHost::ProgressStep, &TQELMailHost::SetProgressStep)
        .NoDefault();
    B.String("Port", &TQELMailHost::Port, &TQELMailHost::SetPort);
    B.String("Host", &TQELMailHost::Host, &TQELMailHost::SetHost);
}
} // namespace

QEL_IMPLEMENT_ABSTRACT(TQELMailHost, TQELMailsComponent, DescribeMailHost)

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
    if (!TryStrToInt(Port(), PortNo))
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
        if (!TryStrToInt(ReplyCode_, Code)) Code = 0;
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
        if (!TryStrToInt(ReplyCode_, Code)) Code = 0;
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
        if (!Stream_ || !Connected_ || !Socket_->Socket()->Connected())
            return Fail("Connection closed by the server");
        const auto Left =
            std::chrono::duration_cast<std::chrono::milliseconds>(Deadline - Clock::now()).count();
        if (Left <= 0)
            return Fail("No reply from the server within " + std::to_string(ReplyTimeout_) + " ms");
        if (!SessionWait(static_cast<int>(std::min<long long>(Left, WaitSlice)))) {
            QELProcessMessages();
            continue;
        }
        char Buf[1024];
        std::string Why;
        int N = Tls_ ? SessionRead(Buf, sizeof Buf, StreamTimeOut, Why)
                     : (Stream_ ? Stream_->Read(Buf, sizeof Buf) : 0);
        if (N < 0) return Fail(Why);
        if (N > 0) Lines_.Append(Buf, static_cast<std::size_t>(N));
        QELProcessMessages();
    }
}

bool TQELSMTPMail::Expect(const char* Code, const char* Other) {
    GetSocketText();
    if (ReadFailed_) return false;
    if (ReplyCode_ != Code && (!Other || ReplyCode_ != Other)) {
        ReplyBad_ = true;
        RaiseError(eeGeneral);
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
    if (!Connected_) throw EInvalidOperation("Not Connected");
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

    TProgressRule Progress(ProgressStep(), LastSendPercent_,
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
    TProgressRule Progress(ProgressStep(), LastEncodePercent_,
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
