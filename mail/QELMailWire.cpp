#include "mail/QELMailWire.h"

#include "toolkit/core/TextUtils.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qel {

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
    // Codes and ports may come padded; inside, only a sign and digits.
    return qel::TryStrToInt(TrimView(S), Value);
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

} // namespace qel
