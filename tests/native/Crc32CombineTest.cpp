#include "crc/Crc32Combine.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "crc/Crc32.h"

namespace sumbrook {
namespace {

TEST(Crc32Combine, JoinsPiecesAtEverySplitPoint) {
    std::mt19937 random(3);
    std::vector<unsigned char> data(1000);
    for (unsigned char& byte : data) byte = static_cast<unsigned char>(random());
    const std::uint32_t whole = Crc32Update(0, data.data(), data.size());
    for (std::size_t split = 0; split <= data.size(); ++split) {
        const std::uint32_t first = Crc32Update(0, data.data(), split);
        const std::uint32_t second = Crc32Update(0, data.data() + split, data.size() - split);
        ASSERT_EQ(Crc32Combine(first, second, data.size() - split), whole) << split;
    }
}

TEST(Crc32Combine, CheckValueFromThreePieces) {
    const std::uint32_t a = Crc32Update(0, "123", 3);
    const std::uint32_t b = Crc32Update(0, "4567", 4);
    const std::uint32_t c = Crc32Update(0, "89", 2);
    EXPECT_EQ(Crc32Combine(Crc32Combine(a, b, 4), c, 2), 0xCBF43926U);
}

TEST(Crc32Combine, LongSecondPieceOfZeros) {
    // Lengths beyond 32 bits are handled by the power, not by the data.
    const std::vector<unsigned char> zeros(1 << 20, 0);
    std::uint32_t crc = Crc32Update(0, "abc", 3);
    const std::uint32_t zerosCrc = Crc32Update(0, zeros.data(), zeros.size());
    EXPECT_EQ(Crc32Combine(crc, zerosCrc, zeros.size()),
              Crc32Update(crc, zeros.data(), zeros.size()));
    crc = Crc32Combine(crc, Crc32Combine(zerosCrc, zerosCrc, zeros.size()), 2 * zeros.size());
    EXPECT_EQ(crc, Crc32Update(Crc32Update(Crc32Update(0, "abc", 3), zeros.data(), zeros.size()),
                               zeros.data(), zeros.size()));
}

}  // namespace
}  // namespace sumbrook
