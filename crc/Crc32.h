// CRC-32 as used by zlib, ZIP and IEEE 802.3 (CRC-32/ISO-HDLC): reflected
// polynomial 0xEDB88320, register preset to 0xFFFFFFFF, result complemented.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace sumbrook {

// The 256-entry table of the byte-wise algorithm, computed at compile time
// (the same table the portable kernel derives its own from); never changes.
const std::array<std::uint32_t, 256>& Crc32Table();

// Continues a checksum over `size` bytes. Start with crc = 0; the
// conditioning (preset and final complement) happens inside, so
//   Crc32Update(Crc32Update(0, a, n), a + n, m) == Crc32Update(0, a, n + m).
// Returns crc unchanged when size is 0.
std::uint32_t Crc32Update(std::uint32_t crc, const void* data, std::size_t size);

// The same result, one table look-up per byte. The reference every faster
// path is checked against.
std::uint32_t Crc32UpdateByteWise(std::uint32_t crc, const void* data, std::size_t size);

// Eight upper-case hexadecimal digits, most significant first, zero-padded.
std::string Crc32Text(std::uint32_t crc);

// The text standing for an empty file and for a file that cannot be read.
inline constexpr const char kNoCrc32Text[] = "00000000";

}  // namespace sumbrook
