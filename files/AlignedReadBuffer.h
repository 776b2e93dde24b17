// A read buffer whose data starts on a page boundary: reads past the
// system's cache need it, and a copy from the cache into an address that is
// not page-aligned costs up to four times the system time on some
// processors (kCachedReadBlockSize).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "files/FileChecksum.h"

namespace sumbrook {

// The aligned start of `buffer` after growing it (never shrinking) so that
// `size` bytes fit from there; std::bad_alloc when they cannot.
inline unsigned char* AlignedReadBuffer(std::vector<unsigned char>& buffer, std::size_t size) {
    constexpr std::size_t kAlign = kUncachedReadAlignment;
    if (buffer.size() < size + kAlign - 1) buffer.resize(size + kAlign - 1);
    const auto address = reinterpret_cast<std::uintptr_t>(buffer.data());
    return buffer.data() + (kAlign - address % kAlign) % kAlign;
}

}  // namespace sumbrook
