// Uncached reads on Win32: every handle opened with FILE_FLAG_NO_BUFFERING
// gives the same checksum as a read through the cache, at sizes around the
// alignment and the parts; a refusal of the file system reads through the
// cache and says so, any other error fails the file. Wine (8.0) accepts the
// flag, opens the Unix file without O_DIRECT and does not check alignment:
// there the bytes come through Linux's cache, and these tests show that the
// path past the cache runs and reads the right bytes, not that they came
// from the disk.
#include <windows.h>

#include <gtest/gtest.h>

#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "TempFolder.h"
#include "files/FileChecksumParts.h"
#include "tests/common/TestContent.h"

namespace sumbrook {
namespace {

using test::CrcOf;
using test::OpensExclusively;
using test::RandomBytes;
using test::TempFolder;

constexpr std::uint64_t kAlign = kUncachedReadAlignment;
constexpr std::uint64_t kSmallThreshold = 64U << 10;

FileAccess Uncached() {
    FileAccess access = kPerThreadUtf8FileAccess;
    access.uncached = true;
    return access;
}

struct SizeCase {
    std::uint64_t size;
    unsigned parts;  // 1: whole
    std::uint64_t threshold;
};

class UncachedSizes : public ::testing::TestWithParam<SizeCase> {};

// The uncached steps run for every part: the path past the cache is taken.
TEST_P(UncachedSizes, SameChecksumAsThroughTheCache) {
    const SizeCase& param = GetParam();
    TempFolder folder;
    const std::string content = RandomBytes(static_cast<std::size_t>(param.size), 21);
    const std::string path = folder.Write("file.bin", content);
    FilePartsSettings settings;
    settings.threshold = param.threshold;
    settings.processors = param.parts;
    std::mutex mutex;
    std::set<std::pair<unsigned, PartStep>> steps;
    settings.beforeStep = [&](unsigned part, PartStep step) -> unsigned long {
        const std::lock_guard<std::mutex> lock(mutex);
        steps.insert({part, step});
        return 0;
    };
    std::vector<unsigned char> buffer;
    const FileChecksum checksum = ChecksumFileWith(path, buffer, Uncached(), settings);
    EXPECT_EQ(checksum.status, FileReadStatus::kOk);
    EXPECT_EQ(checksum.digest.Crc32(), CrcOf(content));
    EXPECT_EQ(checksum.size, content.size());
    EXPECT_FALSE(checksum.readThroughCache);
    const unsigned parts = PartCount(param.size, settings);
    for (unsigned part = 0; part < parts; ++part) {
        EXPECT_EQ(steps.count({part, PartStep::kOpenUncached}), 1U) << "part " << part;
        EXPECT_EQ(steps.count({part, PartStep::kReadUncached}), 1U) << "part " << part;
    }
    EXPECT_TRUE(OpensExclusively(path));
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, UncachedSizes,
    ::testing::Values(SizeCase{0, 1, kFilePartsThreshold}, SizeCase{1, 1, kFilePartsThreshold},
                      SizeCase{kAlign - 1, 1, kFilePartsThreshold},
                      SizeCase{kAlign, 1, kFilePartsThreshold},
                      SizeCase{kAlign + 1, 1, kFilePartsThreshold},
                      SizeCase{kFileReadBlockSize + kAlign + 1, 1, kFilePartsThreshold},
                      SizeCase{kSmallThreshold - 1, 4, kSmallThreshold},
                      SizeCase{kSmallThreshold, 4, kSmallThreshold},
                      SizeCase{kSmallThreshold + 1, 4, kSmallThreshold},
                      SizeCase{3 * kFileReadBlockSize + 4097, 3, kSmallThreshold},
                      SizeCase{9000, 3, 1}));  // parts that start off the alignment

// A step of one part (kAllParts: of every part) failing with an error.
constexpr unsigned kAllParts = 99;
struct RefusalCase {
    PartStep step;
    unsigned part;
    unsigned parts;
    DWORD error;
    FileReadStatus status;
    bool throughCache;
};

class UncachedRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(UncachedRefusal, InvalidParameterReadsThroughTheCacheOtherErrorsFail) {
    const RefusalCase& param = GetParam();
    TempFolder folder;
    const std::string content = RandomBytes((3 << 20) + 123, 22);
    const std::string path = folder.Write("file.bin", content);
    FilePartsSettings settings;
    settings.threshold = param.parts > 1 ? kSmallThreshold : kFilePartsThreshold;
    settings.processors = param.parts;
    settings.beforeStep = [&param](unsigned part, PartStep step) -> unsigned long {
        return step == param.step && (param.part == kAllParts || part == param.part) ? param.error
                                                                                     : 0;
    };
    std::vector<unsigned char> buffer;
    const FileChecksum checksum = ChecksumFileWith(path, buffer, Uncached(), settings);
    EXPECT_EQ(checksum.status, param.status);
    EXPECT_EQ(checksum.readThroughCache, param.throughCache);
    if (param.status == FileReadStatus::kOk) {
        EXPECT_EQ(checksum.digest.Crc32(), CrcOf(content));
    } else {
        EXPECT_EQ(checksum.errorCode, param.error);
    }
    EXPECT_TRUE(OpensExclusively(path));
}

INSTANTIATE_TEST_SUITE_P(
    Steps, UncachedRefusal,
    ::testing::Values(RefusalCase{PartStep::kOpenUncached, 0, 1, ERROR_INVALID_PARAMETER,
                                  FileReadStatus::kOk, true},
                      RefusalCase{PartStep::kReadUncached, 0, 1, ERROR_INVALID_PARAMETER,
                                  FileReadStatus::kOk, true},
                      RefusalCase{PartStep::kOpenUncached, kAllParts, 4, ERROR_INVALID_PARAMETER,
                                  FileReadStatus::kOk, true},
                      RefusalCase{PartStep::kReadUncached, 2, 4, ERROR_INVALID_PARAMETER,
                                  FileReadStatus::kOk, true},
                      RefusalCase{PartStep::kOpenUncached, 0, 1, ERROR_ACCESS_DENIED,
                                  FileReadStatus::kOpenFailed, false},
                      RefusalCase{PartStep::kOpenUncached, 3, 4, ERROR_ACCESS_DENIED,
                                  FileReadStatus::kOpenFailed, false},
                      RefusalCase{PartStep::kReadUncached, 1, 3, ERROR_CRC,
                                  FileReadStatus::kReadFailed, false}));

}  // namespace
}  // namespace sumbrook
