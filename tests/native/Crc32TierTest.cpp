// Every instruction-set tier of the checksum engine, forced, against the
// byte-wise reference; the folding constants; the choice of tier.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "crc/Crc32.h"
#include "crc/Crc32FoldConstants.h"
#include "crc/Crc32Tiers.h"
#include "files/FileChecksum.h"

namespace sumbrook {
namespace {

std::vector<unsigned char> RandomBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<unsigned char> bytes(size);
    for (auto& b : bytes) b = static_cast<unsigned char>(random());
    return bytes;
}

// --- Folding constants, recomputed bit by bit in plain (unreflected) order ---

constexpr std::uint64_t kPolynomial = 0x104C11DB7;

std::uint64_t PowerOfXModP(unsigned k) {
    std::uint64_t r = 1;
    for (unsigned i = 0; i < k; ++i) {
        r <<= 1;
        if ((r >> 32) != 0) r ^= kPolynomial;
    }
    return r;
}

std::uint64_t Reflect(std::uint64_t value, int bits) {
    std::uint64_t result = 0;
    for (int i = 0; i < bits; ++i) result |= ((value >> i) & 1U) << (bits - 1 - i);
    return result;
}

// x^k mod P as the kernels use it: reflected in 32 bits, shifted left by one.
std::uint64_t FoldConstant(unsigned k) {
    return Reflect(PowerOfXModP(k), 32) << 1;
}

void ExpectFoldPair(const std::uint64_t (&pair)[2], unsigned bits) {
    EXPECT_EQ(pair[0], FoldConstant(bits + 32)) << "fold by " << bits;
    EXPECT_EQ(pair[1], FoldConstant(bits - 32)) << "fold by " << bits;
}

TEST(Crc32FoldConstants, AreReflectedPowersOfXModP) {
    ExpectFoldPair(kCrc32FoldBy128, 128);
    ExpectFoldPair(kCrc32FoldBy256, 256);
    ExpectFoldPair(kCrc32FoldBy384, 384);
    ExpectFoldPair(kCrc32FoldBy512, 512);
    ExpectFoldPair(kCrc32FoldBy1024, 1024);
    ExpectFoldPair(kCrc32FoldBy2048, 2048);
    EXPECT_EQ(kCrc32Reduce[0], FoldConstant(96));
    EXPECT_EQ(kCrc32Reduce[1], FoldConstant(64));
}

TEST(Crc32FoldConstants, BarrettPairIsTheQuotientOfX64AndThePolynomial) {
    // Long division of x^64 by P, one dividend bit at a time.
    std::uint64_t remainder = 0;
    std::uint64_t quotient = 0;
    for (int bit = 64; bit >= 0; --bit) {
        remainder = remainder << 1 | (bit == 64 ? 1U : 0U);
        quotient <<= 1;
        if ((remainder >> 32) != 0) {
            remainder ^= kPolynomial;
            quotient |= 1U;
        }
    }
    EXPECT_EQ(kCrc32Barrett[0], Reflect(quotient, 33));
    EXPECT_EQ(kCrc32Barrett[1], Reflect(kPolynomial, 33));
}

// --- Choice of tier ---

// What each tier's code needs, as bits in the order of FeaturesFromBits:
// 0 PCLMULQDQ, 1 SSSE3, 2 SSE4.1, 3 AVX, 4 AVX2, 5 AVX-512F, 6 AVX-512BW,
// 7 AVX-512VL, 8 VPCLMULQDQ, 9 OS saves YMM, 10 OS saves ZMM.
unsigned RequiredFeatureBits(Crc32Tier tier) {
    switch (tier) {
        case Crc32Tier::kVpclmulAvx512:
            return 0x7FF;  // everything
        case Crc32Tier::kVpclmulAvx2:
            return 0x31F;  // PCLMULQDQ tier + AVX, AVX2, VPCLMULQDQ, YMM state
        case Crc32Tier::kPclmulSse41:
            return 0x007;
        case Crc32Tier::kPortable:
            return 0;
    }
    return ~0U;
}

bool HasEverythingFor(Crc32Tier tier, unsigned bits) {
    return (bits & RequiredFeatureBits(tier)) == RequiredFeatureBits(tier);
}

Crc32CpuFeatures FeaturesFromBits(unsigned bits) {
    Crc32CpuFeatures f;
    bool* const flags[] = {&f.pclmulqdq,  &f.ssse3,      &f.sse41,     &f.avx,
                           &f.avx2,       &f.avx512f,    &f.avx512bw,  &f.avx512vl,
                           &f.vpclmulqdq, &f.osSavesYmm, &f.osSavesZmm};
    for (std::size_t i = 0; i < std::size(flags); ++i) *flags[i] = ((bits >> i) & 1U) != 0;
    return f;
}

constexpr unsigned kFeatureCount = 11;

TEST(SelectCrc32Tier, NeverChoosesATierWithoutAllItsFeatures) {
    for (unsigned bits = 0; bits < (1U << kFeatureCount); ++bits) {
        const Crc32CpuFeatures features = FeaturesFromBits(bits);
        const Crc32Tier chosen = SelectCrc32Tier(features);
        ASSERT_TRUE(HasEverythingFor(chosen, bits))
            << Crc32TierName(chosen) << " chosen for feature bits " << bits;
        ASSERT_EQ(Crc32TierSupported(chosen, features), true);
        // And it is the fastest one that would do.
        for (const Crc32Tier tier : kCrc32Tiers) {
            if (tier == chosen) break;
            ASSERT_FALSE(HasEverythingFor(tier, bits))
                << Crc32TierName(tier) << " passed over for feature bits " << bits;
        }
    }
}

TEST(SelectCrc32Tier, FallsBackWhenTheOsDoesNotSaveWideRegisters) {
    Crc32CpuFeatures all = FeaturesFromBits((1U << kFeatureCount) - 1);
    EXPECT_EQ(SelectCrc32Tier(all), Crc32Tier::kVpclmulAvx512);
    all.osSavesZmm = false;
    EXPECT_EQ(SelectCrc32Tier(all), Crc32Tier::kVpclmulAvx2);
    all.osSavesYmm = false;
    EXPECT_EQ(SelectCrc32Tier(all), Crc32Tier::kPclmulSse41);
    EXPECT_EQ(SelectCrc32Tier(Crc32CpuFeatures{}), Crc32Tier::kPortable);
}

TEST(SelectCrc32Tier, ThisMachineGetsItsFastestForcedTier) {
    const Crc32CpuFeatures& here = DetectCrc32CpuFeatures();
    EXPECT_EQ(Crc32DispatchedTier(), SelectCrc32Tier(here));
    for (const Crc32Tier tier : kCrc32Tiers) {
        const bool available = Crc32TierUpdate(tier) != nullptr;
        EXPECT_EQ(available, Crc32TierSupported(tier, here)) << Crc32TierName(tier);
        if (!available) {
            std::printf("note: tier %s is not available on this CPU/OS\n", Crc32TierName(tier));
        }
    }
    EXPECT_NE(Crc32TierUpdate(Crc32Tier::kPortable), nullptr);
    std::printf("note: Crc32Update uses tier %s\n", Crc32TierName(Crc32DispatchedTier()));
}

// --- Each tier, forced, against the byte loop ---

class Crc32TierTest : public ::testing::TestWithParam<Crc32Tier> {
  protected:
    void SetUp() override {
        update_ = Crc32TierUpdate(GetParam());
        if (update_ == nullptr) {
            GTEST_SKIP() << "tier " << Crc32TierName(GetParam())
                         << " is not available on this CPU/OS";
        }
    }

    // The checksum of `size` bytes, fed in pieces of the given sizes (the last
    // piece takes the rest).
    std::uint32_t Chunked(const unsigned char* data, std::size_t size,
                          const std::vector<std::size_t>& pieces) const {
        std::uint32_t crc = 0;
        for (const std::size_t piece : pieces) {
            const std::size_t n = std::min(piece, size);
            crc = update_(crc, data, n);
            data += n;
            size -= n;
        }
        return update_(crc, data, size);
    }

    Crc32UpdateFunction update_ = nullptr;
};

std::string TierTestName(const ::testing::TestParamInfo<Crc32Tier>& info) {
    return Crc32TierName(info.param);
}

INSTANTIATE_TEST_SUITE_P(Forced, Crc32TierTest, ::testing::ValuesIn(kCrc32Tiers), TierTestName);

TEST_P(Crc32TierTest, KnownVectors) {
    const std::pair<std::string, std::uint32_t> vectors[] = {
        {"", 0x00000000U},
        {"a", 0xE8B7BE43U},
        {"abc", 0x352441C2U},
        {"123456789", 0xCBF43926U},
        {"The quick brown fox jumps over the lazy dog", 0x414FA339U},
        {std::string(32, '\0'), 0x190A55ADU},
        {std::string(32, '\xFF'), 0xFF6CAB0BU},
        {std::string(1000000, 'a'), 0xDC25BFBCU},
    };
    for (const auto& [input, crc] : vectors) {
        EXPECT_EQ(update_(0, input.data(), input.size()), crc) << input.size() << " bytes";
    }
    EXPECT_EQ(update_(0, nullptr, 0), 0U);
    EXPECT_EQ(update_(0xCBF43926U, nullptr, 0), 0xCBF43926U);
}

TEST_P(Crc32TierTest, EveryLengthUpTo4096AtEveryStartOffset) {
    constexpr std::size_t kMaxLength = 4096;
    const std::vector<unsigned char> stream = RandomBytes(kMaxLength, 4096);
    // The reference for every prefix of the stream, in one pass.
    std::vector<std::uint32_t> expected(kMaxLength + 1);
    for (std::size_t n = 0; n < kMaxLength; ++n) {
        expected[n + 1] = Crc32UpdateByteWise(expected[n], &stream[n], 1);
    }
    for (std::size_t offset = 0; offset < 16; ++offset) {
        std::vector<unsigned char> buffer(offset + kMaxLength);
        std::copy(stream.begin(), stream.end(), buffer.begin() + static_cast<long>(offset));
        const unsigned char* data = buffer.data() + offset;
        for (std::size_t length = 0; length <= kMaxLength; ++length) {
            ASSERT_EQ(update_(0, data, length), expected[length])
                << "offset " << offset << " length " << length;
        }
    }
}

TEST_P(Crc32TierTest, ReadsNothingPastTheEnd) {
    // Data at the very end of an allocation of its own size, so that the
    // sanitizer sees any read beyond it; lengths cover every path of every tier.
    const std::vector<unsigned char> stream = RandomBytes(1100, 11);
    for (std::size_t offset = 0; offset < 16; ++offset) {
        for (std::size_t length = 0; length <= 1040; length += length < 600 ? 1 : 13) {
            std::vector<unsigned char> exact(offset + length);
            std::copy_n(stream.begin(), length, exact.begin() + static_cast<long>(offset));
            ASSERT_EQ(update_(0, exact.data() + offset, length),
                      Crc32UpdateByteWise(0, stream.data(), length))
                << "offset " << offset << " length " << length;
        }
    }
}

TEST_P(Crc32TierTest, LengthsAroundTheFileReadBlockSize) {
    constexpr std::size_t kBlock = kFileReadBlockSize;
    const std::vector<unsigned char> stream = RandomBytes(2 * kBlock + 512, 2024);
    const long deltas[] = {-257, -256, -255, -129, -128, -65, -64, -63, -17, -16, -15, -1, 0,
                           1,    15,   16,   17,   63,   64,  65,  127, 128, 255, 256, 257};
    std::vector<std::size_t> lengths;
    for (const std::size_t base : {kBlock, 2 * kBlock}) {
        for (const long d : deltas)
            lengths.push_back(static_cast<std::size_t>(static_cast<long>(base) + d));
    }
    std::sort(lengths.begin(), lengths.end());
    // References for the sorted lengths, extending one running checksum.
    std::uint32_t running = 0;
    std::size_t done = 0;
    for (const std::size_t length : lengths) {
        running = Crc32UpdateByteWise(running, stream.data() + done, length - done);
        done = length;
        EXPECT_EQ(update_(0, stream.data(), length), running) << "length " << length;
        // Read the way the file checksum reads: whole blocks, then the rest.
        EXPECT_EQ(Chunked(stream.data(), length, {kBlock, kBlock}), running)
            << "length " << length << " in blocks";
    }
}

TEST_P(Crc32TierTest, RandomLengthsInRandomPieces) {
    constexpr std::size_t kMax = 1U << 20;
    const std::vector<unsigned char> stream = RandomBytes(kMax + 64, 1);
    std::mt19937 random(GetParam() == Crc32Tier::kPortable ? 5 : 7);
    for (int round = 0; round < 6; ++round) {
        const std::size_t offset = random() % 64;
        const std::size_t size = random() % (kMax + 1);
        const unsigned char* data = stream.data() + offset;
        const std::uint32_t expected = Crc32UpdateByteWise(0, data, size);
        ASSERT_EQ(update_(0, data, size), expected) << "round " << round << " whole";
        for (int split = 0; split < 4; ++split) {
            // Piece sizes of every scale: a few bytes up to a quarter of the data.
            std::vector<std::size_t> pieces;
            for (std::size_t total = 0; total < size;) {
                const std::size_t scale = std::size_t{1} << (random() % 19);
                pieces.push_back(random() % (scale + 1));
                total += pieces.back();
            }
            ASSERT_EQ(Chunked(data, size, pieces), expected)
                << "round " << round << " split " << split << " size " << size;
        }
    }
}

#if defined(__i386__)
// Calls `update` with the stack pointer `skew` bytes off a 16-byte boundary,
// as any caller may do on 32-bit Windows, which only keeps 4-byte alignment.
std::uint32_t CallWithSkewedStack(Crc32UpdateFunction update, std::uint32_t crc, const void* data,
                                  std::size_t size, std::uint32_t skew) {
    struct {
        Crc32UpdateFunction update;
        std::uint32_t crc;
        const void* data;
        std::size_t size;
        std::uint32_t skew;
        std::uint32_t result;
    } call = {update, crc, data, size, skew, 0};
    __asm__ volatile(
        "movl %%esp, %%esi\n\t"
        "andl $-16, %%esp\n\t"
        "subl 16(%%edi), %%esp\n\t"
        "subl $4, %%esp\n\t"
        "pushl 12(%%edi)\n\t"
        "pushl 8(%%edi)\n\t"
        "pushl 4(%%edi)\n\t"
        "call *(%%edi)\n\t"
        "movl %%esi, %%esp\n\t"
        "movl %%eax, 20(%%edi)\n\t"
        :
        : "D"(&call)
        : "eax", "ecx", "edx", "esi", "memory", "cc");
    return call.result;
}

TEST_P(Crc32TierTest, RunsOnAStackWithOnlyFourByteAlignment) {
    const std::vector<unsigned char> stream = RandomBytes(70000, 32);
    for (const std::uint32_t skew : {0U, 4U, 8U, 12U}) {
        for (const std::size_t length : {0U, 15U, 47U, 255U, 1000U, 69999U}) {
            EXPECT_EQ(CallWithSkewedStack(update_, 0, stream.data() + 1, length, skew),
                      Crc32UpdateByteWise(0, stream.data() + 1, length))
                << "skew " << skew << " length " << length;
        }
    }
}
#endif

}  // namespace
}  // namespace sumbrook
