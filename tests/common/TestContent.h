// Content for tests on every platform: reproducible bytes and the reference
// checksum they are held against.
#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "crc/Crc32.h"

namespace sumbrook::test {

// `size` bytes of a fixed pseudo-random sequence.
inline std::string RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

// The reference checksum, one table look-up per byte.
inline std::uint32_t CrcOf(const std::string& bytes) {
    return Crc32UpdateByteWise(0, bytes.data(), bytes.size());
}

// The same as a list writes it: eight hexadecimal digits.
inline std::string CrcText(const std::string& bytes) {
    return Crc32Text(CrcOf(bytes));
}

}  // namespace sumbrook::test
