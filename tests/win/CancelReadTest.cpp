// Cancel on Win32: a run stopped in the middle of a large file, read through
// the cache in parts, past it, or (a digest other than CRC-32) through mapped
// views, ends within 100 ms with its threads joined.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "TempFolder.h"
#include "files/ChecksumInOrder.h"
#include "files/FileChecksumParts.h"
#include "files/ReadFileChecksum.h"

namespace sumbrook {
namespace {

using test::TempFolder;
using Clock = std::chrono::steady_clock;

// A file of `size` bytes set by its end, not written (sparse where the
// file system allows).
std::string LargeFile(const TempFolder& folder, std::uint64_t size) {
    std::string path = folder / "big.bin";
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    EXPECT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN));
    EXPECT_TRUE(SetEndOfFile(file));
    CloseHandle(file);
    return path;
}

struct CancelCase {
    const char* name;
    unsigned jobs;  // 4: in parts
    bool uncached;
    DigestKind kind;
};

class CancelMidFile : public ::testing::TestWithParam<CancelCase> {};

TEST_P(CancelMidFile, EndsWithin100msWithEveryThreadJoined) {
    TempFolder folder;
    const std::vector<FileToRead> files{{LargeFile(folder, 1ULL << 30), ""}};
    std::atomic<bool> cancel{false};
    const unsigned jobs = GetParam().jobs;
    FileReadControl control(&cancel, std::max(jobs, UsableProcessorCount()));
    Clock::time_point setAt;
    // Cancels once the read is under way (on a loaded machine 30 ms may pass
    // before its first block), with a watchdog of 10 s.
    std::thread canceller([&] {
        const Clock::time_point deadline = Clock::now() + std::chrono::seconds(10);
        while (control.BytesRead() == 0 && Clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        setAt = Clock::now();
        cancel = true;
    });
    std::size_t delivered = 0;
    const bool completed = ChecksumInOrder(
        files, jobs, [&](std::size_t, const FileChecksum&) { ++delivered; }, {},
        [&](const FileToRead& file, unsigned parts, std::vector<unsigned char>& buffer) {
            FileAccess access = WithDigestKind(kPerThreadUtf8FileAccess, GetParam().kind);
            access.uncached = GetParam().uncached;
            access.control = &control;
            return ReadFileChecksum(file, parts, buffer, access);
        },
        &control);
    const Clock::time_point returned = Clock::now();
    canceller.join();
    EXPECT_FALSE(completed);
    EXPECT_EQ(delivered, 0U);
    EXPECT_LT(returned - setAt, std::chrono::milliseconds(100));
    EXPECT_GT(control.BytesRead(), 0U);
    EXPECT_LT(control.BytesRead(), 1ULL << 30);
}

INSTANTIATE_TEST_SUITE_P(Paths, CancelMidFile,
                         ::testing::Values(CancelCase{"InParts", 4, false, DigestKind::kCrc32},
                                           CancelCase{"Uncached", 1, true, DigestKind::kCrc32},
                                           CancelCase{"Mapped", 1, false, DigestKind::kSha256}),
                         [](const auto& paramInfo) { return std::string(paramInfo.param.name); });

}  // namespace
}  // namespace sumbrook
