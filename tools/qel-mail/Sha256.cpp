#include "tools/qel-mail/Sha256.h"

#include <cstring>

namespace qel {

namespace {

constexpr std::uint32_t K[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr std::uint32_t Rotr(std::uint32_t X, int N) {
    return (X >> N) | (X << (32 - N));
}

} // namespace

TSha256::TSha256()
    : H_{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
         0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19} {}

void TSha256::Block(const std::uint8_t* P) {
    std::uint32_t W[64];
    for (int I = 0; I < 16; ++I)
        W[I] = std::uint32_t(P[4 * I]) << 24 | std::uint32_t(P[4 * I + 1]) << 16 |
               std::uint32_t(P[4 * I + 2]) << 8 | std::uint32_t(P[4 * I + 3]);
    for (int I = 16; I < 64; ++I) {
        std::uint32_t S0 = Rotr(W[I - 15], 7) ^ Rotr(W[I - 15], 18) ^ (W[I - 15] >> 3);
        std::uint32_t S1 = Rotr(W[I - 2], 17) ^ Rotr(W[I - 2], 19) ^ (W[I - 2] >> 10);
        W[I] = W[I - 16] + S0 + W[I - 7] + S1;
    }
    std::uint32_t A = H_[0], B = H_[1], C = H_[2], D = H_[3], E = H_[4], F = H_[5], G = H_[6],
                  H = H_[7];
    for (int I = 0; I < 64; ++I) {
        std::uint32_t S1 = Rotr(E, 6) ^ Rotr(E, 11) ^ Rotr(E, 25);
        std::uint32_t Ch = (E & F) ^ (~E & G);
        std::uint32_t T1 = H + S1 + Ch + K[I] + W[I];
        std::uint32_t S0 = Rotr(A, 2) ^ Rotr(A, 13) ^ Rotr(A, 22);
        std::uint32_t Maj = (A & B) ^ (A & C) ^ (B & C);
        std::uint32_t T2 = S0 + Maj;
        H = G;
        G = F;
        F = E;
        E = D + T1;
        D = C;
        C = B;
        B = A;
        A = T1 + T2;
    }
    H_[0] += A;
    H_[1] += B;
    H_[2] += C;
    H_[3] += D;
    H_[4] += E;
    H_[5] += F;
    H_[6] += G;
    H_[7] += H;
}

void TSha256::Update(const void* Data, std::size_t Size) {
    const auto* P = static_cast<const std::uint8_t*>(Data);
    Total_ += Size;
    if (Used_ > 0) {
        std::size_t N = std::min(Size, 64 - Used_);
        std::memcpy(Buf_.data() + Used_, P, N);
        Used_ += N;
        P += N;
        Size -= N;
        if (Used_ < 64) return;
        Block(Buf_.data());
        Used_ = 0;
    }
    for (; Size >= 64; P += 64, Size -= 64)
        Block(P);
    std::memcpy(Buf_.data(), P, Size);
    Used_ = Size;
}

std::array<std::uint8_t, 32> TSha256::Final() {
    std::uint64_t Bits = Total_ * 8;
    std::uint8_t Pad[72] = {0x80};
    std::size_t PadLen = (Used_ < 56 ? 56 : 120) - Used_;
    Update(Pad, PadLen);
    std::uint8_t Len[8];
    for (int I = 0; I < 8; ++I)
        Len[I] = static_cast<std::uint8_t>(Bits >> (56 - 8 * I));
    Update(Len, 8);
    std::array<std::uint8_t, 32> Out;
    for (int I = 0; I < 8; ++I)
        for (int J = 0; J < 4; ++J)
            Out[4 * I + J] = static_cast<std::uint8_t>(H_[I] >> (24 - 8 * J));
    return Out;
}

std::string TSha256::HexDigest(std::string_view Data) {
    TSha256 S;
    S.Update(Data.data(), Data.size());
    static const char Hex[] = "0123456789abcdef";
    std::string R;
    for (std::uint8_t B : S.Final()) {
        R += Hex[B >> 4];
        R += Hex[B & 15];
    }
    return R;
}

} // namespace qel
