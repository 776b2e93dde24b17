// Uncached reads on POSIX systems: the same checksum as a read through the
// cache at sizes around the alignment and the parts, on the disk and in
// memory (tmpfs); the pages stay out of the cache; a refusal of the file
// system reads through the cache and says so.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "PosixTestFiles.h"
#include "files/FileChecksumParts.h"

namespace sumbrook {
namespace {

constexpr std::uint64_t kAlign = kUncachedReadAlignment;

using test::CrcOf;
using test::RandomBytes;
using test::TempBase;
using test::TempDirectory;

// Memory (tmpfs), beside the build's own file system (a disk) of TempBase().
const char kMemoryFolder[] = "/dev/shm";

// Whether the file system holding `path` lets it be opened with O_DIRECT.
bool AcceptsDirect(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECT);
    if (fd >= 0) close(fd);
    return fd >= 0;
}

FileAccess Uncached() {
    FileAccess access = kPerThreadUtf8FileAccess;
    access.uncached = true;
    return access;
}

struct SizeCase {
    const char* folder;  // "" for the disk
    std::uint64_t size;
    unsigned parts;  // 1: whole; else in parts from 64 KiB on
};

class UncachedSizes : public ::testing::TestWithParam<SizeCase> {};

TEST_P(UncachedSizes, SameChecksumAsThroughTheCache) {
    const SizeCase& param = GetParam();
    const std::string base = *param.folder != '\0' ? param.folder : TempBase();
    if (access(base.c_str(), W_OK) != 0) GTEST_SKIP() << base << " cannot be written";
    TempDirectory dir(base);
    const std::string content = RandomBytes(param.size, 11);
    const std::string path = dir.Write("file", content);
    FilePartsSettings settings;
    settings.threshold = param.parts > 1 ? 64U << 10 : kFilePartsThreshold;
    settings.processors = param.parts;
    std::vector<unsigned char> buffer;
    const FileChecksum checksum = ChecksumFileWith(path, buffer, Uncached(), settings);
    EXPECT_EQ(checksum.status, FileReadStatus::kOk);
    EXPECT_EQ(checksum.digest.Crc32(), CrcOf(content));
    EXPECT_EQ(checksum.size, content.size());
    EXPECT_EQ(checksum.readThroughCache, !AcceptsDirect(path));
}

std::vector<SizeCase> SizeCases() {
    std::vector<SizeCase> cases;
    for (const char* folder : {"", kMemoryFolder}) {
        for (const std::uint64_t size :
             {std::uint64_t{0}, std::uint64_t{1}, kAlign - 1, kAlign, kAlign + 1, 3 * kAlign + 7,
              std::uint64_t{kFileReadBlockSize} - 1, std::uint64_t{kFileReadBlockSize} + kAlign + 1,
              std::uint64_t{3 * kFileReadBlockSize}}) {
            cases.push_back({folder, size, 1});
        }
        // Around the parts threshold, and parts that end off the alignment.
        for (const std::uint64_t size : {(64U << 10) - 1, 64U << 10, (64U << 10) + 1}) {
            cases.push_back({folder, size, 4});
        }
        cases.push_back({folder, 3 * kFileReadBlockSize + 4097, 3});
        cases.push_back({folder, 1000003, 4});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Sizes, UncachedSizes, ::testing::ValuesIn(SizeCases()));

// Parts below the alignment start off it: a file of 9000 bytes in three.
TEST(UncachedRead, PartsThatStartOffTheAlignment) {
    TempDirectory dir;
    const std::string content = RandomBytes(9000, 12);
    const std::string path = dir.Write("file", content);
    FilePartsSettings settings;
    settings.threshold = 1;
    settings.processors = 3;
    ASSERT_NE(PlanPart(content.size(), 3, 1).offset % kAlign, 0U);
    std::vector<unsigned char> buffer;
    const FileChecksum checksum = ChecksumFileWith(path, buffer, Uncached(), settings);
    EXPECT_EQ(checksum.status, FileReadStatus::kOk);
    EXPECT_EQ(checksum.digest.Crc32(), CrcOf(content));
}

// Pages of the file in the cache.
std::size_t CachedPages(const std::string& path, std::size_t size) {
    const int fd = open(path.c_str(), O_RDONLY);
    void* map = mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
    close(fd);
    if (map == MAP_FAILED) return 0;
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    std::vector<unsigned char> resident((size + page - 1) / page);
    mincore(map, size, resident.data());
    munmap(map, size);
    std::size_t count = 0;
    for (const unsigned char flags : resident) count += flags & 1U;
    return count;
}

TEST(UncachedRead, LeavesTheFileOutOfTheCache) {
    TempDirectory dir;
    const std::string content = RandomBytes(8 << 20, 13);
    const std::string path = dir.Write("file", content);
    if (!AcceptsDirect(path)) GTEST_SKIP() << "the disk refuses O_DIRECT";
    const int fd = open(path.c_str(), O_RDONLY);
    ASSERT_EQ(fdatasync(fd), 0);
    posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    close(fd);
    if (CachedPages(path, content.size()) != 0) GTEST_SKIP() << "the pages cannot be evicted";

    std::vector<unsigned char> buffer;
    FilePartsSettings settings;
    settings.threshold = 1 << 20;
    settings.processors = 2;
    EXPECT_EQ(ChecksumFileWith(path, buffer, Uncached(), settings).digest.Crc32(), CrcOf(content));
    EXPECT_EQ(CachedPages(path, content.size()), 0U);
    EXPECT_EQ(ChecksumFileWith(path, buffer, kPerThreadUtf8FileAccess, settings).digest.Crc32(),
              CrcOf(content));
    EXPECT_GT(CachedPages(path, content.size()), 0U);  // the measure sees cached pages
}

// A step of one part (kAllParts: of every part) failing with an error.
constexpr unsigned kAllParts = 99;
struct RefusalCase {
    PartStep step;
    unsigned part;
    unsigned parts;
    int error;
    FileReadStatus status;
    bool throughCache;
};

class UncachedRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(UncachedRefusal, EinvalReadsThroughTheCacheOtherErrorsFail) {
    const RefusalCase& param = GetParam();
    TempDirectory dir;
    const std::string content = RandomBytes((5 << 20) + 123, 14);
    const std::string path = dir.Write("file", content);
    if (!AcceptsDirect(path)) GTEST_SKIP() << "the disk refuses O_DIRECT";
    FilePartsSettings settings;
    settings.threshold = param.parts > 1 ? 64U << 10 : kFilePartsThreshold;
    settings.processors = param.parts;
    settings.beforeStep = [&param](unsigned part, PartStep step) -> unsigned long {
        const bool hit = step == param.step && (param.part == kAllParts || part == param.part);
        return hit ? static_cast<unsigned long>(param.error) : 0;
    };
    std::vector<unsigned char> buffer;
    const FileChecksum checksum = ChecksumFileWith(path, buffer, Uncached(), settings);
    EXPECT_EQ(checksum.status, param.status);
    EXPECT_EQ(checksum.readThroughCache, param.throughCache);
    if (param.status == FileReadStatus::kOk) {
        EXPECT_EQ(checksum.digest.Crc32(), CrcOf(content));
    } else {
        EXPECT_EQ(checksum.errorCode, static_cast<unsigned long>(param.error));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Steps, UncachedRefusal,
    ::testing::Values(
        RefusalCase{PartStep::kOpenUncached, 0, 1, EINVAL, FileReadStatus::kOk, true},
        RefusalCase{PartStep::kReadUncached, 0, 1, EINVAL, FileReadStatus::kOk, true},
        RefusalCase{PartStep::kOpenUncached, kAllParts, 4, EINVAL, FileReadStatus::kOk, true},
        RefusalCase{PartStep::kOpenUncached, 2, 4, EINVAL, FileReadStatus::kOk, true},
        RefusalCase{PartStep::kReadUncached, 3, 4, EINVAL, FileReadStatus::kOk, true},
        RefusalCase{PartStep::kReadUncached, kAllParts, 3, EINVAL, FileReadStatus::kOk, true},
        RefusalCase{PartStep::kOpenUncached, 0, 1, EACCES, FileReadStatus::kOpenFailed, false},
        RefusalCase{PartStep::kOpenUncached, 1, 4, EACCES, FileReadStatus::kOpenFailed, false},
        RefusalCase{PartStep::kReadUncached, 0, 1, EIO, FileReadStatus::kReadFailed, false},
        RefusalCase{PartStep::kReadUncached, 2, 3, EIO, FileReadStatus::kReadFailed, false}));

}  // namespace
}  // namespace sumbrook
