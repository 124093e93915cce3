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

std::string FormatDateTime(std::string_view F, std::time_t When) {
    std::tm T{};
    localtime_r(&When, &T);
    return qel::FormatDateTime(F, TDateTimeFields{T.tm_year + 1900, T.tm_mon + 1, T.tm_mday,
                                                  T.tm_hour, T.tm_min, T.tm_sec, 0, T.tm_wday});
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
