// A large file read in parts on Win32: the same checksum as one read, each
// part with its own handle under the thread's own error mode, and every way
// a part can fail, through the seams of FilePartsSettings.
#include "files/FileChecksumParts.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <mutex>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "crc/Crc32.h"

#include "tests/common/TestContent.h"

namespace sumbrook {
namespace {

using test::OpensExclusively;
using test::TempFolder;

constexpr std::uint64_t kSmallThreshold = 64U << 10;
constexpr DWORD kQuietMode = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;

using test::CrcOf;
using test::RandomBytes;

FilePartsSettings SmallFilesInParts(unsigned processors) {
    FilePartsSettings settings;
    settings.threshold = kSmallThreshold;
    settings.processors = processors;
    return settings;
}

struct SizeCase {
    std::uint64_t size;
    unsigned processors;
};

class PartsMatchOneRead : public ::testing::TestWithParam<SizeCase> {};

TEST_P(PartsMatchOneRead, SameChecksumAsTheByteWiseReference) {
    TempFolder folder;
    const std::string content = RandomBytes(static_cast<std::size_t>(GetParam().size), 7);
    const std::string path = folder.Write("file.bin", content);
    std::vector<unsigned char> buffer;
    const FileChecksum checksum =
        ChecksumFileWith(path, buffer, kDialogFileAccess, SmallFilesInParts(GetParam().processors));
    EXPECT_EQ(checksum.status, FileReadStatus::kOk);
    EXPECT_EQ(checksum.digest.Crc32(), CrcOf(content));
    EXPECT_EQ(checksum.size, content.size());
    EXPECT_TRUE(OpensExclusively(path));
}

INSTANTIATE_TEST_SUITE_P(Sizes, PartsMatchOneRead,
                         ::testing::Values(SizeCase{kSmallThreshold - 1, 4},
                                           SizeCase{kSmallThreshold, 4},
                                           SizeCase{kSmallThreshold + 1, 4},
                                           SizeCase{std::uint64_t{3} * 4096 * 20 - 1, 3},
                                           SizeCase{std::uint64_t{3} * 4096 * 20, 3},
                                           SizeCase{std::uint64_t{3} * 4096 * 20 + 1, 3},
                                           SizeCase{1000003, 2}, SizeCase{1000003, 4},
                                           SizeCase{kFileReadBlockSize * 3 + 5, 3}));

struct FaultCase {
    unsigned part;
    PartStep step;
    bool throws;  // otherwise fails with ERROR_CRC
    FileReadStatus status;
    unsigned long errorCode;
};

class PartFailure : public ::testing::TestWithParam<FaultCase> {};

TEST_P(PartFailure, FailsTheWholeFileAndLeavesNothingOpen) {
    TempFolder folder;
    const std::string path = folder.Write("file.bin", RandomBytes(300000, 1));
    FilePartsSettings settings = SmallFilesInParts(4);
    const FaultCase fault = GetParam();
    settings.beforeStep = [fault](unsigned part, PartStep step) -> unsigned long {
        if (part != fault.part || step != fault.step) return 0;
        if (fault.throws) throw std::runtime_error("part fails");
        return ERROR_CRC;
    };
    std::vector<unsigned char> buffer;
    const FileChecksum checksum = ChecksumFileWith(path, buffer, kDialogFileAccess, settings);
    EXPECT_EQ(checksum.status, fault.status);
    EXPECT_EQ(checksum.errorCode, fault.errorCode);
    EXPECT_TRUE(OpensExclusively(path));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, PartFailure,
    ::testing::Values(FaultCase{0, PartStep::kRead, false, FileReadStatus::kReadFailed, ERROR_CRC},
                      FaultCase{2, PartStep::kOpen, false, FileReadStatus::kOpenFailed, ERROR_CRC},
                      FaultCase{3, PartStep::kRead, false, FileReadStatus::kReadFailed, ERROR_CRC},
                      FaultCase{1, PartStep::kRead, true, FileReadStatus::kReadFailed, 0}));

// The parameter: a bit for each part whose thread cannot be started.
class ThreadStartFailure : public ::testing::TestWithParam<unsigned> {};

// Parts on threads of their own set the error mode for their thread only;
// the parts the calling thread reads keep the caller's (process-wide) mode.
TEST_P(ThreadStartFailure, CallingThreadReadsThoseParts) {
    TempFolder folder;
    const std::string content = RandomBytes(500001, 2);
    const std::string path = folder.Write("file.bin", content);
    const unsigned refused = GetParam();
    FilePartsSettings settings = SmallFilesInParts(4);
    settings.threadStarts = [refused](unsigned part) { return (refused >> part & 1U) == 0; };
    std::mutex mutex;
    std::vector<DWORD> readers(4);
    std::vector<DWORD> threadModes(4);
    settings.beforeStep = [&](unsigned part, PartStep step) -> unsigned long {
        const std::lock_guard<std::mutex> lock(mutex);
        if (step == PartStep::kRead) {
            readers.at(part) = GetCurrentThreadId();
            threadModes.at(part) = GetThreadErrorMode();
        }
        return 0;
    };
    std::vector<unsigned char> buffer;
    const UINT processMode = GetErrorMode();
    const FileChecksum checksum = ChecksumFileWith(path, buffer, kDialogFileAccess, settings);
    EXPECT_EQ(checksum.status, FileReadStatus::kOk);
    EXPECT_EQ(checksum.digest.Crc32(), CrcOf(content));
    EXPECT_EQ(GetErrorMode(), processMode);
    for (unsigned part = 0; part < 4; ++part) {
        const bool onCaller = part == 0 || (refused >> part & 1U) != 0;
        EXPECT_EQ(readers[part] == GetCurrentThreadId(), onCaller) << "part " << part;
        if (!onCaller) {
            EXPECT_EQ(threadModes[part], kQuietMode) << "part " << part;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Refusals, ThreadStartFailure,
                         ::testing::Values(0U, 1U << 2, (1U << 1) | (1U << 2) | (1U << 3)));

TEST(FileChecksumParts, WriterIsRefusedWhileThePartsRead) {
    TempFolder folder;
    const std::string content = RandomBytes(400000, 3);
    const std::string path = folder.Write("file.bin", content);
    FilePartsSettings settings = SmallFilesInParts(2);
    bool writerOpened = true;
    DWORD writerError = 0;
    settings.beforeStep = [&](unsigned part, PartStep step) -> unsigned long {
        if (part != 1 || step != PartStep::kRead) return 0;
        HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
        writerOpened = writer != INVALID_HANDLE_VALUE;
        writerError = GetLastError();
        if (writerOpened) CloseHandle(writer);
        return 0;
    };
    std::vector<unsigned char> buffer;
    const FileChecksum checksum = ChecksumFileWith(path, buffer, kDialogFileAccess, settings);
    EXPECT_FALSE(writerOpened);
    EXPECT_EQ(writerError, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(checksum.digest.Crc32(), CrcOf(content));
}

TEST(FileChecksumParts, OneProcessorByAffinityStartsNoThread) {
    DWORD_PTR processMask = 0;
    DWORD_PTR systemMask = 0;
    ASSERT_TRUE(GetProcessAffinityMask(GetCurrentProcess(), &processMask, &systemMask));
    ASSERT_TRUE(SetProcessAffinityMask(GetCurrentProcess(), processMask & (~processMask + 1)));

    TempFolder folder;
    const std::string content = RandomBytes(400000, 4);
    const std::string path = folder.Write("file.bin", content);
    FilePartsSettings settings = SmallFilesInParts(0);
    int threadsWanted = 0;
    settings.threadStarts = [&threadsWanted](unsigned) { return ++threadsWanted > 0; };
    std::vector<unsigned char> buffer;
    const unsigned usable = UsableProcessorCount();
    const FileChecksum checksum = ChecksumFileWith(path, buffer, kDialogFileAccess, settings);
    SetProcessAffinityMask(GetCurrentProcess(), processMask);

    EXPECT_EQ(usable, 1U);
    EXPECT_EQ(threadsWanted, 0);
    EXPECT_EQ(checksum.digest.Crc32(), CrcOf(content));
}

}  // namespace
}  // namespace sumbrook
