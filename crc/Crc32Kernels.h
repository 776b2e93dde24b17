// The checksum loops behind Crc32Update, one per instruction-set tier. Each
// continues a raw CRC register (no preset, no final complement) over `size`
// bytes at any alignment and returns the new register; size 0 returns it
// unchanged. A vector kernel may only run where its tier's features are
// present (see Crc32Tiers.h).
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#define SUMBROOK_CRC32_X86 1
#endif

namespace sumbrook {

// Slicing-by-16 with 16 tables of 256 entries; any CPU.
std::uint32_t Crc32KernelPortable(std::uint32_t reg, const unsigned char* data, std::size_t size);

#ifdef SUMBROOK_CRC32_X86
// PCLMULQDQ and SSE4.1: 128-bit blocks, eight accumulators (four on i686).
std::uint32_t Crc32KernelPclmul(std::uint32_t reg, const unsigned char* data, std::size_t size);
// VPCLMULQDQ and AVX2: four 256-bit accumulators.
std::uint32_t Crc32KernelVpclmulAvx2(std::uint32_t reg, const unsigned char* data,
                                     std::size_t size);
// VPCLMULQDQ and AVX-512 (F, BW, VL): four 512-bit accumulators.
std::uint32_t Crc32KernelVpclmulAvx512(std::uint32_t reg, const unsigned char* data,
                                       std::size_t size);
#endif

}  // namespace sumbrook
