// The byte-wise table of CRC-32/ISO-HDLC, computed once at compile time:
// entry n is the register change of the byte n, the reflected polynomial
// 0xEDB88320 applied bit by bit, eight times. Every table-driven kernel
// derives its tables from this one.
#pragma once

#include <array>
#include <cstdint>

namespace sumbrook {

constexpr std::array<std::uint32_t, 256> BuildCrc32ByteTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t value = n;
        for (int bit = 0; bit < 8; ++bit) {
            value = (value & 1U) != 0 ? (value >> 1) ^ 0xEDB88320U : value >> 1;
        }
        table[n] = value;
    }
    return table;
}

inline constexpr std::array<std::uint32_t, 256> kCrc32ByteTable = BuildCrc32ByteTable();

}  // namespace sumbrook
