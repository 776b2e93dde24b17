// A large file read in parts on POSIX systems: the same checksum as one read,
// and every way a part can fail, through the seams of FilePartsSettings.
#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "crc/Crc32.h"
#include "files/FileChecksumParts.h"

#include "PosixTestFiles.h"

namespace sumbrook {
namespace {

constexpr std::uint64_t kSmallThreshold = 64U << 10;

using test::TempDirectory;

using test::CrcOf;
using test::RandomBytes;

FilePartsSettings SmallFilesInParts(unsigned processors) {
    FilePartsSettings settings;
    settings.threshold = kSmallThreshold;
    settings.processors = processors;
    return settings;
}

std::size_t OpenDescriptorCount() {
    std::size_t count = 0;
    DIR* dir = opendir("/proc/self/fd");
    if (dir == nullptr) return 0;
    while (readdir(dir) != nullptr) ++count;
    closedir(dir);
    return count;
}

struct SizeCase {
    std::uint64_t size;
    unsigned processors;
};

class PartsMatchOneRead : public ::testing::TestWithParam<SizeCase> {};

TEST_P(PartsMatchOneRead, SameChecksumAsTheByteWiseReference) {
    TempDirectory dir;
    const std::string content = RandomBytes(GetParam().size, 7);
    const std::string path = dir.Write("file", content);
    std::vector<unsigned char> buffer;
    const FileChecksum checksum = ChecksumFileWith(path, buffer, kPerThreadUtf8FileAccess,
                                                   SmallFilesInParts(GetParam().processors));
    EXPECT_EQ(checksum.status, FileReadStatus::kOk);
    EXPECT_EQ(checksum.digest.Crc32(), CrcOf(content));
    EXPECT_EQ(checksum.size, content.size());
}

std::vector<SizeCase> SizeCases() {
    std::vector<SizeCase> cases;
    for (const std::uint64_t size : {kSmallThreshold - 1, kSmallThreshold, kSmallThreshold + 1}) {
        cases.push_back({size, 4});
    }
    // Around the inner boundaries, for part counts that do and do not divide
    // the size; then random sizes.
    for (const unsigned parts : {2U, 3U, 4U}) {
        for (const std::uint64_t boundary :
             {std::uint64_t{parts} * 4096 * 20, std::uint64_t{1000003}}) {
            for (const std::uint64_t size : {boundary - 1, boundary, boundary + 1}) {
                cases.push_back({size, parts});
            }
        }
    }
    std::mt19937 random(3);
    for (int i = 0; i < 6; ++i) {
        cases.push_back(
            {kSmallThreshold + random() % (3U << 20), 2 + static_cast<unsigned>(random() % 3)});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Sizes, PartsMatchOneRead, ::testing::ValuesIn(SizeCases()));

TEST(FileChecksumParts, SparseFileBeyondFourGigabytesInParts) {
    TempDirectory dir;
    const std::string path = dir / "sparse";
    {
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0);
        const off_t size = (off_t{1} << 32) + 1;
        EXPECT_EQ(pwrite(fd, "123456789", 9, size - 9), 9);
        close(fd);
    }
    std::vector<unsigned char> buffer;
    FilePartsSettings settings;
    settings.processors = 3;
    const FileChecksum checksum =
        ChecksumFileWith(path, buffer, kPerThreadUtf8FileAccess, settings);
    EXPECT_EQ(checksum.status, FileReadStatus::kOk);
    EXPECT_EQ(Crc32Text(checksum.digest.Crc32()), "6C243F77");  // computed independently (zlib)
}

struct FaultCase {
    unsigned part;
    PartStep step;
    bool throws;  // otherwise fails with EIO
    FileReadStatus status;
    unsigned long errorCode;
};

class PartFailure : public ::testing::TestWithParam<FaultCase> {};

TEST_P(PartFailure, FailsTheWholeFileAndLeavesNothingOpen) {
    TempDirectory dir;
    const std::string path = dir.Write("file", RandomBytes(300000, 1));
    FilePartsSettings settings = SmallFilesInParts(4);
    const FaultCase fault = GetParam();
    settings.beforeStep = [fault](unsigned part, PartStep step) -> unsigned long {
        if (part != fault.part || step != fault.step) return 0;
        if (fault.throws) throw std::runtime_error("part fails");
        return EIO;
    };
    const std::size_t descriptors = OpenDescriptorCount();
    std::vector<unsigned char> buffer;
    const FileChecksum checksum =
        ChecksumFileWith(path, buffer, kPerThreadUtf8FileAccess, settings);
    EXPECT_EQ(checksum.status, fault.status);
    EXPECT_EQ(checksum.errorCode, fault.errorCode);
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, PartFailure,
    ::testing::Values(FaultCase{1, PartStep::kOpen, false, FileReadStatus::kOpenFailed, EIO},
                      FaultCase{2, PartStep::kOpen, false, FileReadStatus::kOpenFailed, EIO},
                      FaultCase{3, PartStep::kRead, false, FileReadStatus::kReadFailed, EIO},
                      FaultCase{1, PartStep::kRead, true, FileReadStatus::kReadFailed, 0},
                      FaultCase{0, PartStep::kRead, true, FileReadStatus::kReadFailed, 0}));

// The parameter: a bit for each part whose thread cannot be started.
class ThreadStartFailure : public ::testing::TestWithParam<unsigned> {};

TEST_P(ThreadStartFailure, CallingThreadReadsThoseParts) {
    TempDirectory dir;
    const std::string content = RandomBytes(500001, 2);
    const std::string path = dir.Write("file", content);
    const unsigned refused = GetParam();
    FilePartsSettings settings = SmallFilesInParts(4);
    settings.threadStarts = [refused](unsigned part) { return (refused >> part & 1U) == 0; };
    std::mutex mutex;
    std::vector<std::thread::id> readers(4);
    settings.beforeStep = [&](unsigned part, PartStep step) -> unsigned long {
        const std::lock_guard<std::mutex> lock(mutex);
        if (step == PartStep::kRead) readers.at(part) = std::this_thread::get_id();
        return 0;
    };
    std::vector<unsigned char> buffer;
    const FileChecksum checksum =
        ChecksumFileWith(path, buffer, kPerThreadUtf8FileAccess, settings);
    EXPECT_EQ(checksum.status, FileReadStatus::kOk);
    EXPECT_EQ(checksum.digest.Crc32(), CrcOf(content));
    for (unsigned part = 0; part < 4; ++part) {
        const bool onCaller = part == 0 || (refused >> part & 1U) != 0;
        EXPECT_EQ(readers[part] == std::this_thread::get_id(), onCaller) << "part " << part;
    }
}

INSTANTIATE_TEST_SUITE_P(Refusals, ThreadStartFailure,
                         ::testing::Values(0U, 1U << 2, (1U << 1) | (1U << 2) | (1U << 3)));

TEST(FileChecksumParts, OneProcessorByAffinityStartsNoThread) {
    cpu_set_t original;
    ASSERT_EQ(sched_getaffinity(0, sizeof(original), &original), 0);
    cpu_set_t one;
    CPU_ZERO(&one);
    for (std::size_t cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
        if (CPU_ISSET(cpu, &original)) {
            CPU_SET(cpu, &one);
            break;
        }
    }
    ASSERT_EQ(sched_setaffinity(0, sizeof(one), &one), 0);

    TempDirectory dir;
    const std::string content = RandomBytes(400000, 4);
    const std::string path = dir.Write("file", content);
    FilePartsSettings settings = SmallFilesInParts(0);
    int threadsWanted = 0;
    settings.threadStarts = [&threadsWanted](unsigned) { return ++threadsWanted > 0; };
    std::vector<unsigned char> buffer;
    const unsigned usable = UsableProcessorCount();
    const FileChecksum checksum =
        ChecksumFileWith(path, buffer, kPerThreadUtf8FileAccess, settings);
    sched_setaffinity(0, sizeof(original), &original);

    EXPECT_EQ(usable, 1U);
    EXPECT_EQ(threadsWanted, 0);
    EXPECT_EQ(checksum.digest.Crc32(), CrcOf(content));
}

TEST(FileChecksumParts, FileThatShrinksBeforeAPartReadsEndsEarly) {
    TempDirectory dir;
    const std::string path = dir.Write("file", RandomBytes(1 << 20, 5));
    FilePartsSettings settings = SmallFilesInParts(4);
    settings.beforeStep = [&path](unsigned part, PartStep step) -> unsigned long {
        if (part == 2 && step == PartStep::kRead && truncate(path.c_str(), 100000) != 0) {
            return static_cast<unsigned long>(errno);
        }
        return 0;
    };
    std::vector<unsigned char> buffer;
    const FileChecksum checksum =
        ChecksumFileWith(path, buffer, kPerThreadUtf8FileAccess, settings);
    EXPECT_EQ(checksum.status, FileReadStatus::kEndedEarly);
}

TEST(FileChecksumParts, FileReplacedBeforeAPartOpensFails) {
    TempDirectory dir;
    const std::string path = dir.Write("file", RandomBytes(1 << 20, 6));
    const std::string other = dir.Write("other", RandomBytes(1 << 20, 7));
    FilePartsSettings settings = SmallFilesInParts(2);
    settings.beforeStep = [&](unsigned part, PartStep step) -> unsigned long {
        if (part == 1 && step == PartStep::kOpen && rename(other.c_str(), path.c_str()) != 0) {
            return static_cast<unsigned long>(errno);
        }
        return 0;
    };
    std::vector<unsigned char> buffer;
    const FileChecksum checksum =
        ChecksumFileWith(path, buffer, kPerThreadUtf8FileAccess, settings);
    EXPECT_EQ(checksum.status, FileReadStatus::kOpenFailed);
    EXPECT_EQ(checksum.errorCode, static_cast<unsigned long>(ESTALE));
}

}  // namespace
}  // namespace sumbrook
