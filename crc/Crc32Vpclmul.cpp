#include "crc/Crc32ClmulTail.h"

#ifdef SUMBROOK_CRC32_X86

namespace sumbrook {

namespace {

using crc32clmul::Finish128;
using crc32clmul::Fold128;
using crc32clmul::Load128;

#define SUMBROOK_CRC32_AVX2 __attribute__((target("avx2,vpclmulqdq,pclmul,sse4.1")))
#define SUMBROOK_CRC32_AVX512 \
    __attribute__((target("avx512f,avx512bw,avx512vl,vpclmulqdq,pclmul,sse4.1")))
#define SUMBROOK_CRC32_INLINE inline __attribute__((always_inline))

// The masked forms of some AVX-512 intrinsics below (with all lanes kept)
// avoid a false "may be used uninitialized" warning in the compiler's headers.

SUMBROOK_CRC32_AVX2 SUMBROOK_CRC32_INLINE __m256i Load256(const void* p) {
    return _mm256_loadu_si256(static_cast<const __m256i*>(p));
}

SUMBROOK_CRC32_AVX2 SUMBROOK_CRC32_INLINE __m256i Pair256(const std::uint64_t (&pair)[2]) {
    return _mm256_broadcastsi128_si256(Load128(pair));
}

SUMBROOK_CRC32_AVX2 SUMBROOK_CRC32_INLINE __m256i Fold256(__m256i x, __m256i k) {
    return _mm256_xor_si256(_mm256_clmulepi64_epi128(x, k, 0x00),
                            _mm256_clmulepi64_epi128(x, k, 0x11));
}

SUMBROOK_CRC32_AVX512 SUMBROOK_CRC32_INLINE __m512i Load512(const void* p) {
    return _mm512_loadu_si512(p);
}

SUMBROOK_CRC32_AVX512 SUMBROOK_CRC32_INLINE __m512i Pair512(const std::uint64_t (&pair)[2]) {
    return _mm512_maskz_broadcast_i32x4(0xFFFF, Load128(pair));
}

// The block x moved forward by the distance of k, XORed into y.
SUMBROOK_CRC32_AVX512 SUMBROOK_CRC32_INLINE __m512i Fold512(__m512i x, __m512i k, __m512i y) {
    return _mm512_ternarylogic_epi64(_mm512_clmulepi64_epi128(x, k, 0x00),
                                     _mm512_clmulepi64_epi128(x, k, 0x11), y, 0x96);
}

}  // namespace

SUMBROOK_CRC32_AVX2 std::uint32_t Crc32KernelVpclmulAvx2(std::uint32_t reg,
                                                         const unsigned char* data,
                                                         std::size_t size) {
    if (size < 16) return Crc32KernelPortable(reg, data, size);
    const unsigned char* const end = data + size;
    const __m128i start = _mm_cvtsi32_si128(static_cast<int>(reg));
    if (size < 32) return Finish128(_mm_xor_si128(Load128(data), start), data + 16, end);

    __m256i x = _mm256_xor_si256(Load256(data), _mm256_zextsi128_si256(start));
    data += 32;
    if (end - data >= 96) {
        __m256i x1 = Load256(data);
        __m256i x2 = Load256(data + 32);
        __m256i x3 = Load256(data + 64);
        data += 96;
        const __m256i k = Pair256(kCrc32FoldBy1024);
        while (end - data >= 128) {
            x = _mm256_xor_si256(Fold256(x, k), Load256(data));
            x1 = _mm256_xor_si256(Fold256(x1, k), Load256(data + 32));
            x2 = _mm256_xor_si256(Fold256(x2, k), Load256(data + 64));
            x3 = _mm256_xor_si256(Fold256(x3, k), Load256(data + 96));
            data += 128;
        }
        // Four accumulators into one: pairs 64 bytes apart, then 32.
        const __m256i k512 = Pair256(kCrc32FoldBy512);
        x2 = _mm256_xor_si256(Fold256(x, k512), x2);
        x3 = _mm256_xor_si256(Fold256(x1, k512), x3);
        x = _mm256_xor_si256(Fold256(x2, Pair256(kCrc32FoldBy256)), x3);
    }
    const __m256i k256 = Pair256(kCrc32FoldBy256);
    while (end - data >= 32) {
        x = _mm256_xor_si256(Fold256(x, k256), Load256(data));
        data += 32;
    }
    const __m128i last = _mm256_extracti128_si256(x, 1);
    const __m128i folded = Fold128(_mm256_castsi256_si128(x), Load128(kCrc32FoldBy128));
    return Finish128(_mm_xor_si128(folded, last), data, end);
}

SUMBROOK_CRC32_AVX512 std::uint32_t Crc32KernelVpclmulAvx512(std::uint32_t reg,
                                                             const unsigned char* data,
                                                             std::size_t size) {
    if (size < 16) return Crc32KernelPortable(reg, data, size);
    const unsigned char* const end = data + size;
    const __m128i start = _mm_cvtsi32_si128(static_cast<int>(reg));
    if (size < 64) return Finish128(_mm_xor_si128(Load128(data), start), data + 16, end);

    __m512i x = _mm512_xor_si512(Load512(data), _mm512_zextsi128_si512(start));
    data += 64;
    if (end - data >= 192) {
        __m512i x1 = Load512(data);
        __m512i x2 = Load512(data + 64);
        __m512i x3 = Load512(data + 128);
        data += 192;
        const __m512i k = Pair512(kCrc32FoldBy2048);
        while (end - data >= 256) {
            x = Fold512(x, k, Load512(data));
            x1 = Fold512(x1, k, Load512(data + 64));
            x2 = Fold512(x2, k, Load512(data + 128));
            x3 = Fold512(x3, k, Load512(data + 192));
            data += 256;
        }
        // Four accumulators into one: pairs 128 bytes apart, then 64.
        x2 = Fold512(x, Pair512(kCrc32FoldBy1024), x2);
        x3 = Fold512(x1, Pair512(kCrc32FoldBy1024), x3);
        x = Fold512(x2, Pair512(kCrc32FoldBy512), x3);
    }
    const __m512i k512 = Pair512(kCrc32FoldBy512);
    while (end - data >= 64) {
        x = Fold512(x, k512, Load512(data));
        data += 64;
    }
    // The four lanes moved forward by 384, 256 and 128 bits onto the last.
    const __m512i lanes =
        _mm512_set_epi64(0, 0, kCrc32FoldBy128[1], kCrc32FoldBy128[0], kCrc32FoldBy256[1],
                         kCrc32FoldBy256[0], kCrc32FoldBy384[1], kCrc32FoldBy384[0]);
    const __m512i folded = Fold512(x, lanes, _mm512_maskz_mov_epi64(0xC0, x));
    const __m256i half = _mm256_xor_si256(_mm512_maskz_extracti64x4_epi64(0xF, folded, 0),
                                          _mm512_maskz_extracti64x4_epi64(0xF, folded, 1));
    return Finish128(_mm_xor_si128(_mm256_castsi256_si128(half), _mm256_extracti128_si256(half, 1)),
                     data, end);
}

}  // namespace sumbrook

#endif
