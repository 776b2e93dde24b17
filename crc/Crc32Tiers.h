// The instruction-set tiers of Crc32Update, how one is chosen, and direct
// access to each (for tests and benchmarks).
#pragma once

#include <cstddef>
#include <cstdint>

namespace sumbrook {

// Fastest first.
enum class Crc32Tier {
    kVpclmulAvx512,  // VPCLMULQDQ with AVX-512 F/BW/VL, four 512-bit accumulators
    kVpclmulAvx2,    // VPCLMULQDQ with AVX2, four 256-bit accumulators
    kPclmulSse41,    // PCLMULQDQ with SSE4.1, eight 128-bit accumulators (four on i686)
    kPortable,       // slicing-by-16 tables, any CPU
};

inline constexpr Crc32Tier kCrc32Tiers[] = {Crc32Tier::kVpclmulAvx512, Crc32Tier::kVpclmulAvx2,
                                            Crc32Tier::kPclmulSse41, Crc32Tier::kPortable};

// What the CPU offers (CPUID) and what the OS saves on a task switch (XGETBV).
struct Crc32CpuFeatures {
    bool pclmulqdq = false;
    bool ssse3 = false;
    bool sse41 = false;
    bool avx = false;
    bool avx2 = false;
    bool avx512f = false;
    bool avx512bw = false;
    bool avx512vl = false;
    bool vpclmulqdq = false;
    bool osSavesYmm = false;  // XCR0: SSE and AVX state
    bool osSavesZmm = false;  // XCR0: also opmask and all ZMM state
};

// The features of this CPU and OS; all false off x86 and where CPUID or
// XGETBV is unavailable. Detected once.
const Crc32CpuFeatures& DetectCrc32CpuFeatures();

// Whether every feature the tier's code uses is present.
bool Crc32TierSupported(Crc32Tier tier, const Crc32CpuFeatures& features);

// The fastest supported tier; kPortable when none of the others is.
Crc32Tier SelectCrc32Tier(const Crc32CpuFeatures& features);

// Short name for reports: "avx512", "avx2", "pclmul", "portable".
const char* Crc32TierName(Crc32Tier tier);

// Same contract as Crc32Update.
using Crc32UpdateFunction = std::uint32_t (*)(std::uint32_t crc, const void* data,
                                              std::size_t size);

// Forces a tier: its checksum routine, or nullptr when this CPU or OS lacks
// the tier's features or this build has no such tier.
Crc32UpdateFunction Crc32TierUpdate(Crc32Tier tier);

// The tier Crc32Update uses here.
Crc32Tier Crc32DispatchedTier();

}  // namespace sumbrook
