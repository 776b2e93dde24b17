#include "crc/Crc32.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace sumbrook {
namespace {

struct Vector {
    std::string input;
    const char* text;
};

void PrintTo(const Vector& v, std::ostream* os) {
    *os << v.input.size() << " bytes -> " << v.text;
}

class Crc32VectorTest : public ::testing::TestWithParam<Vector> {};

TEST_P(Crc32VectorTest, OneShotAndByteWiseGiveTheKnownValue) {
    const Vector& v = GetParam();
    EXPECT_EQ(Crc32Text(Crc32Update(0, v.input.data(), v.input.size())), v.text);
    EXPECT_EQ(Crc32Text(Crc32UpdateByteWise(0, v.input.data(), v.input.size())), v.text);
}

INSTANTIATE_TEST_SUITE_P(KnownVectors, Crc32VectorTest,
                         ::testing::Values(Vector{"", "00000000"}, Vector{"123456789", "CBF43926"},
                                           Vector{"abc", "352441C2"}, Vector{"a", "E8B7BE43"},
                                           Vector{std::string(1000000, 'a'), "DC25BFBC"},
                                           Vector{"The quick brown fox jumps over the lazy dog",
                                                  "414FA339"},
                                           Vector{std::string(32, '\0'), "190A55AD"},
                                           Vector{std::string(32, '\xFF'), "FF6CAB0B"}),
                         [](const ::testing::TestParamInfo<Vector>& paramInfo) {
                             return std::string(paramInfo.param.text);
                         });

TEST(Crc32Table, HasTheDocumentedEntries) {
    const auto& table = Crc32Table();
    EXPECT_EQ(table[0], 0x00000000U);
    EXPECT_EQ(table[1], 0x77073096U);
    EXPECT_EQ(table[128], 0xEDB88320U);
    EXPECT_EQ(table[255], 0x2D02EF8DU);
    EXPECT_EQ(&Crc32Table(), &table);  // built once
}

TEST(Crc32Text, IsEightUpperCaseDigitsWithLeadingZeros) {
    EXPECT_EQ(Crc32Text(0), "00000000");
    EXPECT_EQ(Crc32Text(0x1A), "0000001A");
    EXPECT_EQ(Crc32Text(0xCBF43926U), "CBF43926");
    EXPECT_EQ(Crc32Text(0xFFFFFFFFU), "FFFFFFFF");
    EXPECT_EQ(Crc32Text(0x00ABCDEFU), "00ABCDEF");
}

TEST(Crc32Update, EmptyInputLeavesTheValueUnchanged) {
    EXPECT_EQ(Crc32Update(0, nullptr, 0), 0U);
    EXPECT_EQ(Crc32Update(0xCBF43926U, "", 0), 0xCBF43926U);
}

TEST(Crc32Update, ChunkedEqualsOneShotForRandomSplits) {
    std::mt19937 random(20261207);
    std::vector<unsigned char> data(200000);
    for (auto& b : data) b = static_cast<unsigned char>(random());
    const std::uint32_t whole = Crc32Update(0, data.data(), data.size());
    EXPECT_EQ(whole, Crc32UpdateByteWise(0, data.data(), data.size()));

    for (int round = 0; round < 50; ++round) {
        std::uint32_t crc = 0;
        std::size_t offset = 0;
        while (offset < data.size()) {
            std::size_t piece = random() % 5000;
            piece = std::min(piece, data.size() - offset);
            crc = Crc32Update(crc, data.data() + offset, piece);
            offset += piece;
        }
        ASSERT_EQ(crc, whole) << "round " << round;
    }
}

TEST(Crc32Update, EveryAlignmentAndShortLengthMatchesTheByteLoop) {
    std::mt19937 random(7);
    std::vector<unsigned char> data(600);
    for (auto& b : data) b = static_cast<unsigned char>(random());
    for (std::size_t start = 0; start < 16; ++start) {
        for (std::size_t length = 0; length + start <= 512; ++length) {
            ASSERT_EQ(Crc32Update(0, data.data() + start, length),
                      Crc32UpdateByteWise(0, data.data() + start, length))
                << "start " << start << " length " << length;
        }
    }
}

}  // namespace
}  // namespace sumbrook
