#include "files/FileChecksum.h"

#include <windows.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include "TempFolder.h"
#include "crc/Crc32.h"
#include "files/FileChecksumParts.h"

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
    EXPECT_EQ(ok.digest.Crc32(), 0x352441C2U);
    EXPECT_EQ(ok.size, 3U);

    FileChecksum missing = ChecksumFile(folder / "missing.txt", buffer);
    EXPECT_EQ(missing.status, FileReadStatus::kOpenFailed);
    EXPECT_EQ(missing.errorCode, static_cast<unsigned long>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(ChecksumFile("NUL", buffer).status, FileReadStatus::kNotADiskFile);
}

// A sparse file of `size` bytes: zeros, then the nine digits at its end.
std::string MakeLargeFile(const TempFolder& folder, const std::string& name, LONGLONG size) {
    std::string path = folder / name;
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
    unsigned parts;   // 0: as FileCrc32 reads it (parts by the processors)
    const char* crc;  // computed independently (zlib)
};

class FileCrc32LargeTest : public ::testing::TestWithParam<LargeCase> {};

TEST_P(FileCrc32LargeTest, ChecksumsFilesOfTwoGigabytesAndMore) {
    TempFolder folder;
    const std::string path = MakeLargeFile(folder, "large.bin", GetParam().size);
    if (GetParam().parts == 0) {
        EXPECT_EQ(FileCrc32(path), GetParam().crc);
        return;
    }
    FilePartsSettings settings;
    settings.processors = GetParam().parts;
    std::vector<unsigned char> buffer;
    const FileChecksum checksum = ChecksumFileWith(path, buffer, kDialogFileAccess, settings);
    EXPECT_EQ(checksum.status, FileReadStatus::kOk);
    EXPECT_EQ(checksum.digest.Text(), GetParam().crc);
}

INSTANTIATE_TEST_SUITE_P(SparseFiles, FileCrc32LargeTest,
                         ::testing::Values(LargeCase{2147483648LL, 0, "6040DF94"},
                                           LargeCase{4294967295LL, 0, "2DFD2D88"},
                                           LargeCase{4294967297LL, 3, "6C243F77"}));

}  // namespace
}  // namespace sumbrook
