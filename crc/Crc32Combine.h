// Joining the checksums of two pieces into the checksum of both in a row.
#pragma once

#include <cstdint>

namespace sumbrook {

// The CRC-32 of A followed by B, from the CRC-32 of A, the CRC-32 of B and
// the length of B in bytes:
//   Crc32Combine(Crc32Update(0, a, n), Crc32Update(0, b, m), m)
//     == Crc32Update(Crc32Update(0, a, n), b, m)
std::uint32_t Crc32Combine(std::uint32_t crcFirst, std::uint32_t crcSecond,
                           std::uint64_t secondLength);

}  // namespace sumbrook
