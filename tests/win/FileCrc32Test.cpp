#include "crc/FileCrc32.h"

#include <windows.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "TempFolder.h"
#include "crc/Crc32.h"

namespace sumbrook {
namespace {

using test::FileExists;
using test::ReadWholeFile;
using test::TempFolder;

TEST(FileCrc32, ChecksumsTheContent) {
    TempFolder folder;
    EXPECT_EQ(FileCrc32(folder.Write("digits.txt", "123456789")), "CBF43926");
    EXPECT_EQ(FileCrc32(folder.Write("abc.txt", "abc")), "352441C2");
    EXPECT_EQ(FileCrc32(folder.Write("big.bin", std::string(3000000, 'a'))),
              "DCB277EA");  // spans several read blocks
}

TEST(FileCrc32, SameUnchangedFileGivesTheSameTextTwice) {
    TempFolder folder;
    const std::string path = folder.Write("digits.txt", "123456789");
    EXPECT_EQ(FileCrc32(path), FileCrc32(path));
}

TEST(FileCrc32, EmptyFileGivesZeros) {
    TempFolder folder;
    EXPECT_EQ(FileCrc32(folder.Write("empty.txt", "")), "00000000");
}

TEST(FileCrc32, UnopenablePathsGiveZerosAndCreateNothing) {
    TempFolder folder;
    folder.Write("a.txt", "abc");
    folder.MakeFolder("sub");
    const std::string missing = folder / "missing.txt";
    EXPECT_EQ(FileCrc32(missing), "00000000");
    EXPECT_FALSE(FileExists(missing));
    EXPECT_EQ(FileCrc32(folder / "no-folder\\a.txt"), "00000000");
    EXPECT_EQ(FileCrc32(folder / "sub"), "00000000");        // a directory
    EXPECT_EQ(FileCrc32(folder.Path() + "\\"), "00000000");  // ends with a backslash
    EXPECT_EQ(FileCrc32(folder / "*.txt"), "00000000");      // wildcards
    EXPECT_EQ(FileCrc32(folder / "a.tx?"), "00000000");
    EXPECT_EQ(FileCrc32(""), "00000000");
    EXPECT_EQ(FileCrc32("NUL"), "00000000");  // a device, not a disk file
}

TEST(FileCrc32, ReadOnlyFileIsChecksummed) {
    TempFolder folder;
    const std::string path = folder.Write("ro.txt", "123456789");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(FileCrc32(path), "CBF43926");
}

TEST(FileCrc32, FileOpenForWritingGivesZerosAndTheWriterIsUnaffected) {
    TempFolder folder;
    const std::string path = folder.Write("busy.txt", "123456789");
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(FileCrc32(path), "00000000");
    SetFilePointer(writer, 0, nullptr, FILE_END);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(writer, "0", 1, &written, nullptr));
    EXPECT_EQ(written, 1U);
    CloseHandle(writer);
    EXPECT_EQ(ReadWholeFile(path), "1234567890");
}

TEST(FileCrc32, FileCanBeWrittenRenamedAndDeletedRightAfterTheCall) {
    TempFolder folder;
    const std::string path = folder.Write("f.txt", "123456789");
    EXPECT_EQ(FileCrc32(path), "CBF43926");
    HANDLE exclusive = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(exclusive, INVALID_HANDLE_VALUE);
    CloseHandle(exclusive);
    const std::string renamed = folder / "g.txt";
    EXPECT_TRUE(MoveFileA(path.c_str(), renamed.c_str()));
    EXPECT_EQ(FileCrc32(renamed), "CBF43926");
    EXPECT_TRUE(DeleteFileA(renamed.c_str()));
    EXPECT_FALSE(FileExists(renamed));
}

TEST(ChecksumFile, ReportsWhyAFileCouldNotBeRead) {
    TempFolder folder;
    std::vector<unsigned char> buffer;
    FileChecksum ok = ChecksumFile(folder.Write("a.txt", "abc"), buffer);
    EXPECT_EQ(ok.status, FileReadStatus::kOk);
    EXPECT_EQ(ok.crc, 0x352441C2U);
    EXPECT_EQ(ok.size, 3U);

    FileChecksum missing = ChecksumFile(folder / "missing.txt", buffer);
    EXPECT_EQ(missing.status, FileReadStatus::kOpenFailed);
    EXPECT_EQ(missing.errorCode, static_cast<unsigned long>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(ChecksumFile("NUL", buffer).status, FileReadStatus::kNotADiskFile);
}

// Files above kOverlappedReadThreshold are read while a pool thread
// checksums: the results must not differ from the byte-wise reference in
// any way, wherever the last block ends.

std::string RandomBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; i += 4) {
        const std::uint32_t word = random();
        for (std::size_t j = i; j < size && j < i + 4; ++j) {
            bytes[j] = static_cast<char>((word >> (8 * (j - i))) & 0xFFU);
        }
    }
    return bytes;
}

std::uint32_t ByteWiseCrc(const std::string& bytes) {
    return Crc32UpdateByteWise(0, bytes.data(), bytes.size());
}

TEST(ChecksumFileOverlapped, SizesAroundTheThresholdAndManyBlocksMatchTheByteWiseChecksum) {
    TempFolder folder;
    const std::size_t threshold = static_cast<std::size_t>(kOverlappedReadThreshold);
    const std::size_t sizes[] = {
        threshold - 1,                               // read alone
        threshold,                                   // read alone, the last of that kind
        threshold + 1,                               // overlapped, a last block of one byte
        threshold + kFileReadBlockSize,              // overlapped, whole blocks only
        threshold + 7 * kFileReadBlockSize + 12345,  // around the ring and more
        threshold + 13 * kFileReadBlockSize - 1,     // a last block one byte short
    };
    std::vector<unsigned char> buffer;
    std::uint32_t seed = 1;
    for (const std::size_t size : sizes) {
        SCOPED_TRACE(size);
        const std::string content = RandomBytes(size, seed++);
        const std::string path = folder.Write("random.bin", content);
        const FileChecksum checksum = ChecksumFile(path, buffer);
        EXPECT_EQ(checksum.status, FileReadStatus::kOk);
        EXPECT_EQ(checksum.crc, ByteWiseCrc(content));
        EXPECT_EQ(checksum.size, size);
        EXPECT_EQ(FileCrc32(path), Crc32Text(ByteWiseCrc(content)));
    }
}

// FileCrc32 has a threshold of its own, for a buffer used once.
TEST(ChecksumFileOverlapped, FileCrc32AroundItsOwnThresholdMatchesTheByteWiseChecksum) {
    TempFolder folder;
    const auto threshold = static_cast<std::size_t>(kOneOffOverlappedReadThreshold);
    const std::string content = RandomBytes(threshold + 1, 42);
    const std::string path = folder.Write("large.bin", content);
    EXPECT_EQ(FileCrc32(path), Crc32Text(ByteWiseCrc(content)));  // overlapped

    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(threshold);
    EXPECT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN));
    EXPECT_TRUE(SetEndOfFile(file));
    CloseHandle(file);
    EXPECT_EQ(FileCrc32(path), Crc32Text(Crc32UpdateByteWise(0, content.data(), threshold)));
}

TEST(ChecksumFileOverlapped, BufferGrowsToWhatTheFileNeedsAndServesAnyNextFile) {
    TempFolder folder;
    const std::string small = RandomBytes(1000, 7);
    const std::string large = RandomBytes(
        static_cast<std::size_t>(kOverlappedReadThreshold) + 3 * kFileReadBlockSize + 99, 8);
    const std::string smallPath = folder.Write("small.bin", small);
    const std::string largePath = folder.Write("large.bin", large);
    const std::string emptyPath = folder.Write("empty.bin", "");
    constexpr std::size_t kAlignmentSlack = 4096;

    std::vector<unsigned char> buffer;
    EXPECT_EQ(ChecksumFile(smallPath, buffer).crc, ByteWiseCrc(small));
    EXPECT_LE(buffer.size(), small.size() + kAlignmentSlack);  // a small file, a small buffer

    // Large, small, empty and large again through the same buffer.
    EXPECT_EQ(ChecksumFile(largePath, buffer).crc, ByteWiseCrc(large));
    EXPECT_LE(buffer.size(), 6 * kFileReadBlockSize + kAlignmentSlack);
    EXPECT_EQ(ChecksumFile(smallPath, buffer).crc, ByteWiseCrc(small));
    const FileChecksum empty = ChecksumFile(emptyPath, buffer);
    EXPECT_EQ(empty.status, FileReadStatus::kOk);
    EXPECT_EQ(empty.crc, 0U);
    EXPECT_EQ(ChecksumFile(largePath, buffer).crc, ByteWiseCrc(large));
    EXPECT_LE(buffer.size(), 6 * kFileReadBlockSize + kAlignmentSlack);
}

TEST(ChecksumFileOverlapped, CallsOneAfterAnotherAndOnSeveralThreadsAgree) {
    TempFolder folder;
    constexpr int kFiles = 4;
    std::vector<std::string> paths;
    std::vector<std::uint32_t> expected;
    for (int i = 0; i < kFiles; ++i) {
        const std::string content = RandomBytes(
            static_cast<std::size_t>(kOverlappedReadThreshold) + (i + 1) * 777777, 100 + i);
        paths.push_back(folder.Write("f" + std::to_string(i) + ".bin", content));
        expected.push_back(ByteWiseCrc(content));
    }

    std::vector<unsigned char> buffer;
    for (int round = 0; round < 25; ++round) {
        const int i = round % kFiles;
        ASSERT_EQ(ChecksumFile(paths[i], buffer).crc, expected[i]) << "round " << round;
    }

    // As the command-line program does with several jobs: each thread its
    // own buffer, every call its own pool work.
    std::vector<int> wrong(kFiles, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kFiles; ++t) {
        threads.emplace_back([&, t] {
            std::vector<unsigned char> own;
            for (int round = 0; round < 10; ++round) {
                const int i = (t + round) % kFiles;
                const FileChecksum checksum = ChecksumFile(paths[i], own);
                if (checksum.status != FileReadStatus::kOk || checksum.crc != expected[i]) {
                    ++wrong[t];
                }
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(wrong, std::vector<int>(kFiles, 0));
}

TEST(ChecksumFileOverlapped, LargeFileCanBeWrittenAndDeletedRightAfterTheCall) {
    TempFolder folder;
    const std::string content =
        RandomBytes(static_cast<std::size_t>(kOverlappedReadThreshold) + 1, 5);
    const std::string path = folder.Write("large.bin", content);
    EXPECT_EQ(FileCrc32(path), Crc32Text(ByteWiseCrc(content)));
    HANDLE exclusive = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(exclusive, INVALID_HANDLE_VALUE);
    CloseHandle(exclusive);
    EXPECT_TRUE(DeleteFileA(path.c_str()));
}

// A sparse file of `size` bytes: zeros, then the nine digits at its end.
std::string MakeLargeFile(const TempFolder& folder, const std::string& name, LONGLONG size) {
    const std::string path = folder / name;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    DWORD ignored = 0;
    DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
    LARGE_INTEGER at;
    at.QuadPart = size - 9;
    EXPECT_TRUE(SetFilePointerEx(h, at, nullptr, FILE_BEGIN));
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(h, "123456789", 9, &written, nullptr));
    CloseHandle(h);
    return path;
}

struct LargeCase {
    LONGLONG size;
    const char* crc;  // computed independently (zlib)
};

class FileCrc32LargeTest : public ::testing::TestWithParam<LargeCase> {};

TEST_P(FileCrc32LargeTest, ChecksumsFilesOfTwoGigabytesAndMore) {
    TempFolder folder;
    const std::string path = MakeLargeFile(folder, "large.bin", GetParam().size);
    EXPECT_EQ(FileCrc32(path), GetParam().crc);
}

INSTANTIATE_TEST_SUITE_P(SparseFiles, FileCrc32LargeTest,
                         ::testing::Values(LargeCase{2147483648LL, "6040DF94"},
                                           LargeCase{4294967295LL, "2DFD2D88"},
                                           LargeCase{4294967297LL, "6C243F77"}));

}  // namespace
}  // namespace sumbrook
