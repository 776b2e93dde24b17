#include "crc/Crc32ClmulTail.h"

#ifdef SUMBROOK_CRC32_X86

namespace sumbrook {

namespace {

using crc32clmul::Finish128;
using crc32clmul::Fold128;
using crc32clmul::Load128;

// Eight accumulators where sixteen vector registers exist, four where eight do.
constexpr std::ptrdiff_t kAccumulators = sizeof(void*) == 8 ? 8 : 4;

#define SUMBROOK_CRC32_PCLMUL __attribute__((target("pclmul,sse4.1")))

// Folds the accumulators a[0..n) into a[n-1], halving their number each step.
SUMBROOK_CRC32_PCLMUL inline __attribute__((always_inline)) __m128i Combine(__m128i* a) {
    if (kAccumulators == 8) {
        const __m128i k512 = Load128(kCrc32FoldBy512);
        for (std::ptrdiff_t i = 0; i < 4; ++i)
            a[i + 4] = _mm_xor_si128(Fold128(a[i], k512), a[i + 4]);
    }
    const __m128i k256 = Load128(kCrc32FoldBy256);
    constexpr std::ptrdiff_t n = kAccumulators;
    a[n - 2] = _mm_xor_si128(Fold128(a[n - 4], k256), a[n - 2]);
    a[n - 1] = _mm_xor_si128(Fold128(a[n - 3], k256), a[n - 1]);
    return _mm_xor_si128(Fold128(a[n - 2], Load128(kCrc32FoldBy128)), a[n - 1]);
}

}  // namespace

SUMBROOK_CRC32_PCLMUL std::uint32_t Crc32KernelPclmul(std::uint32_t reg, const unsigned char* data,
                                                      std::size_t size) {
    if (size < 16) return Crc32KernelPortable(reg, data, size);
    const unsigned char* const end = data + size;
    constexpr std::ptrdiff_t kBlock = 16 * kAccumulators;
    __m128i x = _mm_xor_si128(Load128(data), _mm_cvtsi32_si128(static_cast<int>(reg)));
    if (end - data >= kBlock) {
        __m128i a[kAccumulators];
        a[0] = x;
#pragma GCC unroll 8
        for (std::ptrdiff_t i = 1; i < kAccumulators; ++i) a[i] = Load128(data + 16 * i);
        data += kBlock;
        const __m128i k = Load128(kAccumulators == 8 ? kCrc32FoldBy1024 : kCrc32FoldBy512);
        while (end - data >= kBlock) {
#pragma GCC unroll 8
            for (std::ptrdiff_t i = 0; i < kAccumulators; ++i) {
                a[i] = _mm_xor_si128(Fold128(a[i], k), Load128(data + 16 * i));
            }
            data += kBlock;
        }
        x = Combine(a);
    } else {
        data += 16;
    }
    return Finish128(x, data, end);
}

}  // namespace sumbrook

#endif
