#pragma once
// SHA-256 (FIPS 180-4) for the attachment digests the tool prints.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qel {

class TSha256 {
  public:
    TSha256();
    void Update(const void* Data, std::size_t Size);
    std::array<std::uint8_t, 32> Final();

    // The digest of Data as 64 lower-case hex digits.
    static std::string HexDigest(std::string_view Data);

  private:
    void Block(const std::uint8_t* P);

    std::array<std::uint32_t, 8> H_;
    std::array<std::uint8_t, 64> Buf_{};
    std::size_t Used_ = 0;
    std::uint64_t Total_ = 0;
};

} // namespace qel
