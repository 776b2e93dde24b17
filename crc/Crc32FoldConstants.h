// Constants of the carry-less-multiply CRC-32 paths, and how they work.
//
// The CRC register after a message M (its bits in stream order, each byte lowest
// bit first) is (M(x) * x^32) mod P(x), P = 0x104C11DB7, with the start register
// added to the first 32 bits of M. Only the remainder counts, so any part of M
// may be replaced by a polynomial congruent to it mod P. Folding does that:
// a 128-bit block A = H x^64 + L followed by D more message bits contributes
//     A x^D = H x^(D+64) + L x^D
//           == (H * (x^(D+32) mod P) + L * (x^(D-32) mod P)) * x^32,
// two 64 x 32-bit carry-less products of at most 96 bits that, read as a
// 128-bit block, line up with the block D bits further on and are XORed into
// it. Independent accumulators, each folded over the distance they cover
// together, keep several multipliers busy; at the end they are folded into one.
//
// Bit order: a vector holds the stream reflected, bit i of the register being
// the i-th message bit, the coefficient of the highest power first. A product of
// a w-bit and a v-bit reflected value is a reflected (w+v-1)-bit value in bits
// 0..w+v-2. A constant is therefore x^k mod P bit-reflected in 32 bits and
// shifted left by one, a 33-bit reflected value: times a 64-bit lane it gives
// 96 bits, which as a 128-bit block is the product times x^32, as used above.
//
// The last block A, everything before it folded in, leaves (A x^32) mod P:
//   1. A x^32 == H (x^96 mod P) + L x^32 =: S               (96 bits)
//   2. S = S1 x^64 + S0, S1 the first 32 bits:
//      S == S1 (x^64 mod P) + S0 =: T                         (64 bits)
//   3. Barrett: q = floor(floor(T / x^32) * mu / x^32), mu = floor(x^64 / P);
//      the register is T + q P, of which only the last 32 bits are non-zero.
// The values are checked against a bit-serial computation in the tests.
#pragma once

#include <cstdint>

namespace sumbrook {

// {x^(D+32) mod P, x^(D-32) mod P}, reflected, 33 bits: the low lane of a
// block is multiplied by the first, the high lane by the second.
alignas(16) inline constexpr std::uint64_t kCrc32FoldBy128[2] = {0x1751997D0, 0x0CCAA009E};
alignas(16) inline constexpr std::uint64_t kCrc32FoldBy256[2] = {0x0F1DA05AA, 0x15A546366};
alignas(16) inline constexpr std::uint64_t kCrc32FoldBy384[2] = {0x03DB1ECDC, 0x174359406};
alignas(16) inline constexpr std::uint64_t kCrc32FoldBy512[2] = {0x154442BD4, 0x1C6E41596};
alignas(16) inline constexpr std::uint64_t kCrc32FoldBy1024[2] = {0x1E88EF372, 0x14A7FE880};
alignas(16) inline constexpr std::uint64_t kCrc32FoldBy2048[2] = {0x11542778A, 0x1322D1430};

// Steps 1 and 2 of the reduction: {x^96 mod P, x^64 mod P}.
alignas(16) inline constexpr std::uint64_t kCrc32Reduce[2] = {0x0CCAA009E, 0x163CD6124};

// Step 3: {mu = floor(x^64 / P), P}, both reflected in 33 bits.
alignas(16) inline constexpr std::uint64_t kCrc32Barrett[2] = {0x1F7011641, 0x1DB710641};

// Byte shuffles for a last block of r = 1..15 bytes: loaded from offset r they
// move the first r bytes of a block to its top (zeros below, sign bits set
// there); from offset 16 + r they move the block down by r bytes.
alignas(16) inline constexpr unsigned char kCrc32TailShuffle[48] = {
    0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80,
    0,    1,    2,    3,    4,    5,    6,    7,    8,    9,    10,   11,   12,   13,   14,   15,
    0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80};

}  // namespace sumbrook
