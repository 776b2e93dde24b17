#include "crc/Crc32Tiers.h"

#include "crc/Crc32Kernels.h"

#ifdef SUMBROOK_CRC32_X86
#include <cpuid.h>
#endif

namespace sumbrook {

namespace {

#ifdef SUMBROOK_CRC32_X86
std::uint64_t ReadXcr0() {
    std::uint32_t low = 0;
    std::uint32_t high = 0;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return static_cast<std::uint64_t>(high) << 32 | low;
}
#endif

Crc32CpuFeatures ReadCpuFeatures() {
    Crc32CpuFeatures features;
#ifdef SUMBROOK_CRC32_X86
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) return features;
    features.pclmulqdq = (ecx & bit_PCLMUL) != 0;
    features.ssse3 = (ecx & bit_SSSE3) != 0;
    features.sse41 = (ecx & bit_SSE4_1) != 0;
    features.avx = (ecx & bit_AVX) != 0;
    if ((ecx & bit_OSXSAVE) != 0) {
        const std::uint64_t xcr0 = ReadXcr0();
        features.osSavesYmm = (xcr0 & 0x06) == 0x06;
        features.osSavesZmm = (xcr0 & 0xE6) == 0xE6;
    }
    if (__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) != 0) {
        features.avx2 = (ebx & bit_AVX2) != 0;
        features.avx512f = (ebx & bit_AVX512F) != 0;
        features.avx512bw = (ebx & bit_AVX512BW) != 0;
        features.avx512vl = (ebx & bit_AVX512VL) != 0;
        features.vpclmulqdq = (ecx & bit_VPCLMULQDQ) != 0;
    }
#endif
    return features;
}

template <std::uint32_t (*Kernel)(std::uint32_t, const unsigned char*, std::size_t)>
std::uint32_t Conditioned(std::uint32_t crc, const void* data, std::size_t size) {
    return ~Kernel(~crc, static_cast<const unsigned char*>(data), size);
}

Crc32UpdateFunction CompiledTier(Crc32Tier tier) {
    switch (tier) {
#ifdef SUMBROOK_CRC32_X86
        case Crc32Tier::kVpclmulAvx512:
            return Conditioned<Crc32KernelVpclmulAvx512>;
        case Crc32Tier::kVpclmulAvx2:
            return Conditioned<Crc32KernelVpclmulAvx2>;
        case Crc32Tier::kPclmulSse41:
            return Conditioned<Crc32KernelPclmul>;
#endif
        case Crc32Tier::kPortable:
            return Conditioned<Crc32KernelPortable>;
        default:
            return nullptr;
    }
}

}  // namespace

const Crc32CpuFeatures& DetectCrc32CpuFeatures() {
    static const Crc32CpuFeatures features = ReadCpuFeatures();
    return features;
}

bool Crc32TierSupported(Crc32Tier tier, const Crc32CpuFeatures& f) {
    const bool pclmul = f.pclmulqdq && f.ssse3 && f.sse41;
    const bool avx2 = pclmul && f.avx && f.avx2 && f.vpclmulqdq && f.osSavesYmm;
    switch (tier) {
        case Crc32Tier::kVpclmulAvx512:
            return avx2 && f.avx512f && f.avx512bw && f.avx512vl && f.osSavesZmm;
        case Crc32Tier::kVpclmulAvx2:
            return avx2;
        case Crc32Tier::kPclmulSse41:
            return pclmul;
        case Crc32Tier::kPortable:
            return true;
    }
    return false;
}

Crc32Tier SelectCrc32Tier(const Crc32CpuFeatures& features) {
    for (const Crc32Tier tier : kCrc32Tiers) {
        if (Crc32TierSupported(tier, features) && CompiledTier(tier) != nullptr) return tier;
    }
    return Crc32Tier::kPortable;
}

const char* Crc32TierName(Crc32Tier tier) {
    switch (tier) {
        case Crc32Tier::kVpclmulAvx512:
            return "avx512";
        case Crc32Tier::kVpclmulAvx2:
            return "avx2";
        case Crc32Tier::kPclmulSse41:
            return "pclmul";
        case Crc32Tier::kPortable:
            return "portable";
    }
    return "?";
}

Crc32UpdateFunction Crc32TierUpdate(Crc32Tier tier) {
    return Crc32TierSupported(tier, DetectCrc32CpuFeatures()) ? CompiledTier(tier) : nullptr;
}

Crc32Tier Crc32DispatchedTier() {
    static const Crc32Tier tier = SelectCrc32Tier(DetectCrc32CpuFeatures());
    return tier;
}

}  // namespace sumbrook
