// 128-bit folding steps shared by the carry-less-multiply kernels (the maths is
// in Crc32FoldConstants.h). Always inlined, so each kernel gets them in its own
// instruction encoding.
#pragma once

#include "crc/Crc32Kernels.h"

#ifdef SUMBROOK_CRC32_X86

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "crc/Crc32FoldConstants.h"

#define SUMBROOK_CRC32_TAIL_INLINE inline __attribute__((always_inline, target("pclmul,sse4.1")))

namespace sumbrook::crc32clmul {

SUMBROOK_CRC32_TAIL_INLINE __m128i Load128(const void* p) {
    return _mm_loadu_si128(static_cast<const __m128i*>(p));
}

// The block x moved forward by the distance of `k` (a kCrc32FoldBy* pair).
SUMBROOK_CRC32_TAIL_INLINE __m128i Fold128(__m128i x, __m128i k) {
    return _mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11));
}

// Reduces the last block to the CRC register.
SUMBROOK_CRC32_TAIL_INLINE std::uint32_t Reduce128(__m128i x) {
    const __m128i k = Load128(kCrc32Reduce);
    const __m128i barrett = Load128(kCrc32Barrett);
    const __m128i zero = _mm_setzero_si128();
    const __m128i s = _mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_srli_si128(x, 8));
    const __m128i t = _mm_xor_si128(_mm_clmulepi64_si128(_mm_blend_epi16(zero, s, 0x03), k, 0x10),
                                    _mm_srli_si128(s, 4));
    __m128i q = _mm_clmulepi64_si128(_mm_blend_epi16(zero, t, 0x03), barrett, 0x00);
    q = _mm_clmulepi64_si128(_mm_blend_epi16(zero, q, 0x03), barrett, 0x10);
    return static_cast<std::uint32_t>(_mm_extract_epi32(_mm_xor_si128(t, q), 1));
}

// Folds the bytes [p, end) into x, which holds everything before p, and
// reduces. At least 16 bytes must lie before end (the last block is loaded
// overlapping what x already holds).
SUMBROOK_CRC32_TAIL_INLINE std::uint32_t Finish128(__m128i x, const unsigned char* p,
                                                   const unsigned char* end) {
    const __m128i k = Load128(kCrc32FoldBy128);
    while (end - p >= 16) {
        x = _mm_xor_si128(Fold128(x, k), Load128(p));
        p += 16;
    }
    const std::ptrdiff_t rest = end - p;
    if (rest != 0) {
        // x followed by `rest` bytes: its first `rest` bytes move one block
        // forward, the others and the new bytes form the last block.
        const __m128i up = Load128(kCrc32TailShuffle + rest);
        const __m128i down = Load128(kCrc32TailShuffle + 16 + rest);
        const __m128i last = _mm_blendv_epi8(Load128(end - 16), _mm_shuffle_epi8(x, down), up);
        x = _mm_xor_si128(Fold128(_mm_shuffle_epi8(x, up), k), last);
    }
    return Reduce128(x);
}

}  // namespace sumbrook::crc32clmul

#endif
