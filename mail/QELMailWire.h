#pragma once
// The pieces of wire handling the mail components are built from: base64 lines of outgoing
// parts, received lines, reply lines, the strict number and date formats of the protocols, and
// the memory for large encoded buffers.
#include "toolkit/core/Export.h"

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

QEL_PUBLIC_BEGIN

namespace qel {

// Base64 of RFC 2045 as written into outgoing parts: 57 input bytes make one 76-character
// line, and a 2280-byte block makes exactly 40 lines.
namespace mailwire {
inline constexpr char Base64Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
inline constexpr std::size_t Base64LineBytes = 57;
inline constexpr std::size_t Base64LineChars = 76;
inline constexpr std::size_t Base64BlockBytes = 2280;

// Three bytes to four characters.
void Base64EncodeGroup(const std::uint8_t* In, char* Out);
// Base64LineBytes bytes to Base64LineChars characters.
void Base64EncodeLine(const std::uint8_t* In, char* Out);
// The last one or two bytes of a file, with "=" padding.
std::string Base64EncodeTail(const std::uint8_t* In, std::size_t Count);

// Collects received bytes and hands them out as lines. A line ends at LF; a CR before it is
// dropped. Bytes after the last line end wait for the next read.
class TLineBuffer {
  public:
    void Append(const char* Data, std::size_t Count) { Pending_.append(Data, Count); }
    bool NextLine(std::string& Line);
    bool Empty() const { return Pending_.empty(); }
    // Bytes of the unfinished line (all of them once NextLine has returned false).
    std::size_t PendingSize() const { return Pending_.size(); }
    void Clear() { Pending_.clear(); }

  private:
    std::string Pending_;
};

// True for the last line of a reply: "250 ok" or a bare "250", not "250-first of several".
bool IsFinalReplyLine(std::string_view Line);
// The reply code (characters 1 to 3) and text (characters 4 to 67) of a reply line, trimmed.
std::string ReplyCode(std::string_view Line);
std::string ReplyText(std::string_view Line);
// The strict decimal conversion used for codes and ports: optional sign and digits only.
bool TryStrToInt(std::string_view S, int& Value);
// The local time formatted with a date-time pattern of the toolkit's kind (d dd ddd dddd,
// m mm mmm mmmm, yy yyyy, h hh, n nn, s ss, zzz, am/pm, ampm, "quoted" and 'quoted' text; m or
// mm right after an hour means minutes).
std::string FormatDateTime(std::string_view Format, std::time_t When);

// Memory for the large buffers of encoded text. Blocks from 2 MB on come straight from the
// system with a request for huge pages, so that filling tens of megabytes does not cost a page
// fault every 4 KB; smaller ones come from the heap. Freeing needs the size allocated.
void* AllocateLarge(std::size_t Bytes);
void FreeLarge(void* Block, std::size_t Bytes) noexcept;

template <class T> struct TLargeAllocator {
    using value_type = T;
    TLargeAllocator() = default;
    template <class U> TLargeAllocator(const TLargeAllocator<U>&) noexcept {}
    T* allocate(std::size_t N) { return static_cast<T*>(AllocateLarge(N * sizeof(T))); }
    void deallocate(T* P, std::size_t N) noexcept { FreeLarge(P, N * sizeof(T)); }
    template <class U> bool operator==(const TLargeAllocator<U>&) const noexcept { return true; }
};

struct TLargeDeleter {
    std::size_t Bytes = 0;
    void operator()(char* Block) const noexcept { FreeLarge(Block, Bytes); }
};
} // namespace mailwire

} // namespace qel

QEL_PUBLIC_END
