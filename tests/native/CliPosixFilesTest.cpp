// The command line's file access on POSIX systems: the file reader, the
// plain-file listing and the ordered parallel checksums.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "crc/Crc32.h"
#include "files/ChecksumInOrder.h"
#include "files/FileChecksum.h"
#include "files/FileChecksumPosix.h"
#include "files/FileReadControl.h"
#include "files/FolderEntriesAhead.h"
#include "files/ListPlainFiles.h"
#include "hash/Hasher.h"

#include "PosixTestFiles.h"

namespace sumbrook {
namespace {

using test::TempDirectory;

using test::CrcOf;
using test::RandomBytes;

TEST(PosixChecksumFile, ChecksumsSmallAndMappedFiles) {
    TempDirectory dir;
    std::vector<unsigned char> buffer;
    FileChecksum digits = ChecksumFile(dir.Write("digits", "123456789"), buffer);
    EXPECT_EQ(digits.status, FileReadStatus::kOk);
    EXPECT_EQ(digits.digest.Crc32(), 0xCBF43926U);
    EXPECT_EQ(digits.size, 9U);
    // Several read blocks, and a size that is mapped rather than read.
    for (const std::size_t size : {std::size_t{3000000}, std::size_t{9000001}}) {
        const std::string content = RandomBytes(size, 5);
        const FileChecksum big = ChecksumFile(dir.Write("big", content), buffer);
        EXPECT_EQ(big.status, FileReadStatus::kOk);
        EXPECT_EQ(big.digest.Crc32(), CrcOf(content));
        EXPECT_EQ(big.size, size);
    }
    EXPECT_EQ(FileCrc32(dir / "digits"), "CBF43926");
}

TEST(PosixChecksumFile, EmptyFileIsReadWithChecksumZero) {
    TempDirectory dir;
    std::vector<unsigned char> buffer;
    const FileChecksum empty = ChecksumFile(dir.Write("empty", ""), buffer);
    EXPECT_EQ(empty.status, FileReadStatus::kOk);
    EXPECT_EQ(empty.digest.Crc32(), 0U);
    EXPECT_EQ(FileCrc32(dir / "empty"), "00000000");
}

TEST(PosixChecksumFile, OnlyRegularFilesAreRead) {
    TempDirectory dir;
    std::vector<unsigned char> buffer;
    const FileChecksum missing = ChecksumFile(dir / "missing", buffer);
    EXPECT_EQ(missing.status, FileReadStatus::kOpenFailed);
    EXPECT_EQ(missing.errorCode, static_cast<unsigned long>(ENOENT));
    EXPECT_EQ(ChecksumFile(dir.Path(), buffer).status, FileReadStatus::kNotADiskFile);
    // A FIFO without a writer: refused at once, not waited for.
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(ChecksumFile(dir / "fifo", buffer).status, FileReadStatus::kNotADiskFile);
    EXPECT_EQ(ChecksumFile("/dev/null", buffer).status, FileReadStatus::kNotADiskFile);
    EXPECT_EQ(FileCrc32(dir.Path()), "00000000");
    // A link to a regular file is read through.
    dir.Write("target", "abc");
    ASSERT_EQ(symlink("target", (dir / "link").c_str()), 0);
    EXPECT_EQ(ChecksumFile(dir / "link", buffer).digest.Crc32(), 0x352441C2U);
}

TEST(PosixChecksumFile, UnreadableFileIsReportedNotGuessed) {
    TempDirectory dir;
    std::vector<unsigned char> buffer;
    const std::string path = dir.Write("secret", "abc");
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    // Root reads every file: read as nobody for the moment.
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(seteuid(65534), 0);
    }
    const FileChecksum locked = ChecksumFile(path, buffer);
    if (root) {
        ASSERT_EQ(seteuid(0), 0);
    }
    EXPECT_EQ(locked.status, FileReadStatus::kOpenFailed);
    EXPECT_EQ(locked.errorCode, static_cast<unsigned long>(EACCES));
}

// Read by the reading thread alone (a CRC-32), and by BLAKE3 sharing its
// pieces with a thread of its own, which then meets the vanished pages.
TEST(PosixChecksumFile, MappedFileThatShrinksEndsEarlyWithoutDying) {
    TempDirectory dir;
    const std::string path = dir.Write("shrinking", RandomBytes(8 << 20, 9));
    const OpenedFile opened = OpenRegularFile(path);
    ASSERT_TRUE(opened.fd.IsValid());
    ASSERT_EQ(opened.size, 8U << 20);
    ASSERT_EQ(truncate(path.c_str(), 4096), 0);
    const FileChecksum checksum = ChecksumMappedRange(opened.fd.Get(), 0, opened.size);
    EXPECT_EQ(checksum.status, FileReadStatus::kEndedEarly);
    // Cut at the start of each of 31 pieces in turn, so that the helper meets
    // the vanished pages first in about half of them.
    for (std::size_t piece = 1; piece < 32; ++piece) {
        const std::string cut = dir.Write("cut", RandomBytes(8 << 20, 9));
        const OpenedFile whole = OpenRegularFile(cut);
        ASSERT_TRUE(whole.fd.IsValid());
        ASSERT_EQ(truncate(cut.c_str(), static_cast<off_t>(piece * (256U << 10))), 0);
        FileReadControl control(nullptr, 2);
        const auto shared = MakeHasher(DigestKind::kBlake3);
        shared->AllowHelpers(&control, 1);
        EXPECT_EQ(ChecksumMappedRange(whole.fd.Get(), 0, whole.size, &control, shared.get()).status,
                  FileReadStatus::kEndedEarly)
            << piece;
    }
    // Afterwards the process goes on mapping and reading as before.
    const FileChecksum head = ChecksumMappedRange(opened.fd.Get(), 0, 4096);
    EXPECT_EQ(head.status, FileReadStatus::kOk);
}

// Windows hashed mapped, probed, or copied past their first slice give the
// digest of the bytes, from any offset, also to a hasher that shares its
// blocks out (BLAKE3 with a helper), and a file cut short ends early
// whichever way its rest was read.
TEST(PosixChecksumFile, ProbedAndCopiedWindowsGiveTheMappedDigest) {
    TempDirectory dir;
    const std::string content = RandomBytes((40U << 20) + 12345, 17);
    const std::string path = dir.Write("windows", content);
    const OpenedFile opened = OpenRegularFile(path);
    ASSERT_TRUE(opened.fd.IsValid());
    FileReadControl helpers(nullptr, 2);
    for (const DigestKind kind :
         {DigestKind::kXxh128, DigestKind::kSha256, DigestKind::kXxh64, DigestKind::kBlake3}) {
        for (const std::uint64_t offset : {std::uint64_t{0}, std::uint64_t{(18U << 20) + 4103}}) {
            const auto expected = MakeHasher(kind);
            expected->Update(content.data() + offset, content.size() - offset);
            const Digest digest = expected->Finish();
            for (const PageProbe probe :
                 {PageProbe::kNone, PageProbe::kMeasured, PageProbe::kAssumeSlow}) {
                const auto hasher = MakeHasher(kind);
                if (kind == DigestKind::kBlake3) hasher->AllowHelpers(&helpers, 1);
                const FileChecksum checksum = ChecksumMappedRange(
                    opened.fd.Get(), offset, content.size() - offset, nullptr, hasher.get(), probe);
                EXPECT_EQ(checksum.status, FileReadStatus::kOk);
                EXPECT_TRUE(checksum.digest == digest)
                    << static_cast<int>(kind) << " " << offset << " " << static_cast<int>(probe);
            }
        }
    }
    ASSERT_EQ(truncate(path.c_str(), 20 << 20), 0);
    const auto hasher = MakeHasher(DigestKind::kXxh128);
    EXPECT_EQ(ChecksumMappedRange(opened.fd.Get(), 0, opened.size, nullptr, hasher.get(),
                                  PageProbe::kAssumeSlow)
                  .status,
              FileReadStatus::kEndedEarly);
}

// A process without the address space for a window of the file (a 32-bit
// one, or one under a limit) reads the file instead, to the same checksum.
TEST(PosixChecksumFile, FileIsReadWhereNoWindowCanBeMapped) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the address sanitizer needs the address space this takes away";
#endif
    TempDirectory dir;
    const std::string content = RandomBytes(40 << 20, 13);
    const std::uint32_t expected = CrcOf(content);
    const OpenedFile opened = OpenRegularFile(dir.Write("big", content));
    ASSERT_TRUE(opened.fd.IsValid());
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        // Room for a reading buffer, none for a window of 16 MiB.
        unsigned long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const auto room =
            static_cast<rlim_t>(pages * static_cast<unsigned long>(getpagesize()) + (8UL << 20));
        const rlimit limit{room, room};
        if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(3);
        if (mmap(nullptr, 16 << 20, PROT_READ, MAP_SHARED, opened.fd.Get(), 0) != MAP_FAILED) {
            _exit(4);
        }
        const FileChecksum checksum = ChecksumMappedRange(opened.fd.Get(), 0, opened.size);
        _exit(checksum.status == FileReadStatus::kOk && checksum.digest.Crc32() == expected ? 0
                                                                                            : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: not read as it is, 3: no limit, 4: mapped anyway";
}

TEST(PosixChecksumFile, GrowingFileIsReadToTheSizeFoundAtOpen) {
    TempDirectory dir;
    const std::string content = RandomBytes(5 << 20, 11);
    const std::string path = dir.Write("growing", content);
    const OpenedFile opened = OpenRegularFile(path);
    ASSERT_TRUE(opened.fd.IsValid());
    std::ofstream(path, std::ios::binary | std::ios::app) << "appended";
    std::vector<unsigned char> buffer;
    const FileChecksum checksum = ChecksumOpenedFile(opened, buffer);
    EXPECT_EQ(checksum.status, FileReadStatus::kOk);
    EXPECT_EQ(checksum.digest.Crc32(), CrcOf(content));
}

TEST(ReadFileChecksum, AlternatePathIsTriedWhenThePathCannotBeOpened) {
    TempDirectory dir;
    std::vector<unsigned char> buffer;
    const FileToRead file{dir / "missing", dir.Write("present", "abc")};
    EXPECT_EQ(ReadFileChecksum(file, 1, buffer).digest.Crc32(), 0x352441C2U);
    const FileToRead nowhere{dir / "missing", ""};
    EXPECT_EQ(ReadFileChecksum(nowhere, 1, buffer).status, FileReadStatus::kOpenFailed);
}

std::vector<std::string> Names(const PlainFileList& list) {
    std::vector<std::string> names;
    for (const PlainFile& file : list.files) names.push_back(file.name);
    return names;
}

// A folder listed ahead gives what a listing then gives, in its order, with
// room for fewer entries than it holds too; one never taken is left.
TEST(FolderEntriesAhead, GivesTheEntriesAndErrorOfTheListing) {
    TempDirectory dir;
    for (const char* name : {"a", "b", ".hidden", "c", "d"}) dir.Write(name, name);
    ASSERT_EQ(mkdir((dir.Path() + "/sub").c_str(), 0700), 0);
    const auto listed = [](const std::string& folder, FolderEntriesAhead* ahead) {
        std::vector<std::string> seen;
        const auto visit = [&seen](const FolderEntry& entry) {
            seen.push_back(std::string(entry.name) + (entry.plainFile ? " file" : "") +
                           (entry.subfolder ? " folder" : ""));
        };
        const std::string error =
            ahead != nullptr ? ahead->ForEach(visit) : ForEachFolderEntry(folder, visit);
        seen.push_back("error: " + error);
        return seen;
    };
    for (const std::string& folder : {dir.Path(), dir.Path() + "/sub", dir.Path() + "/none"}) {
        for (const std::size_t room :
             {std::size_t{1}, std::size_t{2}, FolderEntriesAhead::kEntriesAhead}) {
            FolderEntriesAhead ahead(folder, room);
            EXPECT_EQ(listed(folder, &ahead), listed(folder, nullptr))
                << folder << ", room " << room;
        }
        const FolderEntriesAhead untaken(folder, 1);
    }
}

TEST(ListPlainFiles, RegularFilesAndLinksToThemSortedByName) {
    TempDirectory dir;
    dir.Write("b.txt", "b");
    dir.Write("A.txt", "a");
    dir.Write("empty", "");
    dir.Write(".hidden", "h");
    dir.Write("\xE4-umlaut", "u");
    ASSERT_EQ(mkdir((dir / "sub").c_str(), 0700), 0);
    dir.Write("sub/inner.txt", "i");
    ASSERT_EQ(symlink("b.txt", (dir / "link-to-file").c_str()), 0);
    ASSERT_EQ(symlink("sub", (dir / "link-to-dir").c_str()), 0);
    ASSERT_EQ(symlink("nothing", (dir / "dangling").c_str()), 0);
    ASSERT_EQ(symlink("b.txt", (dir / ".hidden-link").c_str()), 0);
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);

    const PlainFileList list = ListPlainFiles(dir.Path());
    ASSERT_TRUE(list.ok) << list.error;
    EXPECT_EQ(Names(list),
              (std::vector<std::string>{"A.txt", "b.txt", "empty", "link-to-file", "\xE4-umlaut"}));
    EXPECT_EQ(list.files[1].path, dir / "b.txt");
    EXPECT_TRUE(list.files[1].alternatePath.empty());
}

TEST(ListPlainFiles, TrailingSlashIsNotDoubled) {
    TempDirectory dir;
    dir.Write("a", "a");
    const PlainFileList list = ListPlainFiles(dir.Path() + "/");
    ASSERT_TRUE(list.ok);
    ASSERT_EQ(list.files.size(), 1U);
    EXPECT_EQ(list.files[0].path, dir / "a");
}

TEST(ListPlainFiles, WhatIsNoDirectoryIsAnError) {
    TempDirectory dir;
    const PlainFileList missing = ListPlainFiles(dir / "missing");
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.error, "No such file or directory");
    const PlainFileList file = ListPlainFiles(dir.Write("file", "x"));
    EXPECT_FALSE(file.ok);
    EXPECT_EQ(file.error, "Not a directory");
    EXPECT_TRUE(ListPlainFiles(dir.Path()).ok);  // empty, but a directory
}

TEST(ListPlainFiles, LeaveOutFileTakesOutThatVeryFileOnly) {
    TempDirectory dir;
    TempDirectory elsewhere;
    dir.Write("a", "a");
    dir.Write("list.txt", "protocol");
    elsewhere.Write("list.txt", "protocol");
    PlainFileList list = ListPlainFiles(dir.Path());
    LeaveOutFile(list, elsewhere / "list.txt");  // same name, another file
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "list.txt"}));
    LeaveOutFile(list, dir.Path() + "/./list.txt");
    EXPECT_EQ(Names(list), std::vector<std::string>{"a"});
    LeaveOutFile(list, dir / "missing");
    EXPECT_EQ(Names(list), std::vector<std::string>{"a"});
}

TEST(ListPlainFiles, DotRuleAppliesToTheFirstByteOnly) {
    EXPECT_TRUE(IsHiddenName(".profile"));
    EXPECT_TRUE(IsHiddenName("."));
    EXPECT_FALSE(IsHiddenName("a.b"));
    EXPECT_FALSE(IsHiddenName(""));
}

TEST(ParallelChecksum, OrderAndResultsDoNotDependOnTheJobs) {
    TempDirectory dir;
    std::vector<FileToRead> files;
    std::vector<std::uint32_t> expected;
    for (int i = 0; i < 60; ++i) {
        const std::string content =
            RandomBytes(static_cast<std::size_t>(i) * 977, static_cast<unsigned>(i));
        files.push_back({dir.Write("f" + std::to_string(i), content), ""});
        expected.push_back(CrcOf(content));
        if (i % 10 == 0) files.push_back({dir / "missing", ""});
    }
    for (const unsigned jobs : {1U, 2U, 3U, 8U}) {
        std::vector<std::size_t> order;
        std::vector<std::uint32_t> crcs;
        std::size_t failures = 0;
        ChecksumInOrder(files, jobs,
                        [&](std::size_t index, const FileChecksum& checksum) {
                            order.push_back(index);
                            if (checksum.status == FileReadStatus::kOk) {
                                crcs.push_back(checksum.digest.Crc32());
                            } else {
                                ++failures;
                            }
                        },
                        {});
        ASSERT_EQ(order.size(), files.size()) << jobs;
        for (std::size_t i = 0; i < order.size(); ++i) EXPECT_EQ(order[i], i);
        EXPECT_EQ(crcs, expected) << jobs;
        EXPECT_EQ(failures, 6U) << jobs;
    }
}

// Readers held up by a slow first file read on past the board's first
// places; each result still reaches its own index, in order, on every
// number of files up to past the most the board holds.
TEST(ParallelChecksum, ResultsFarAheadOfTheFirstStayInOrder) {
    for (const std::size_t count : {kFirstResultSlots * 3, kResultsAhead + 500}) {
        std::atomic<std::size_t> read{0};
        const ReadFileAt readAt = [&](std::size_t index, unsigned, std::vector<unsigned char>&) {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (index == 0 && read < kFirstResultSlots * 3 - 1 &&
                   std::chrono::steady_clock::now() < deadline) {
                std::this_thread::yield();
            }
            ++read;
            FileChecksum checksum;
            checksum.status = FileReadStatus::kOk;
            checksum.size = index;
            return checksum;
        };
        std::size_t delivered = 0;
        bool inOrder = true;
        EXPECT_TRUE(ChecksumInOrder(
            count, 3,
            [&](std::size_t index, const FileChecksum& checksum) {
                inOrder = inOrder && index == delivered && checksum.size == index;
                ++delivered;
            },
            {}, readAt));
        EXPECT_EQ(delivered, count);
        EXPECT_TRUE(inOrder) << count;
    }
}

TEST(ParallelChecksum, NoFilesNoCalls) {
    int calls = 0;
    // Nothing to read is a run done, not one stopped.
    EXPECT_TRUE(ChecksumInOrder({}, 4, [&](std::size_t, const FileChecksum&) { ++calls; }, {}));
    EXPECT_EQ(calls, 0);
}

TEST(ParallelChecksum, ExceptionFromDeliverEndsTheRunCleanly) {
    TempDirectory dir;
    std::vector<FileToRead> files(50, FileToRead{dir.Write("a", "abc"), ""});
    EXPECT_THROW(ChecksumInOrder(files, 4,
                                 [](std::size_t index, const FileChecksum&) {
                                     if (index == 3) throw std::runtime_error("stop");
                                 },
                                 {}),
                 std::runtime_error);
}

TEST(ParallelChecksum, LackOfMemoryIsAFailedReadOnAnyNumberOfJobs) {
    const std::vector<FileToRead> files{{"a", ""}, {"b", ""}, {"c", ""}};
    const ReadOneFile read = [](const FileToRead& file, unsigned, std::vector<unsigned char>&) {
        if (file.path == "b") throw std::bad_alloc();
        FileChecksum ok;
        ok.status = FileReadStatus::kOk;
        return ok;
    };
    for (const unsigned jobs : {1U, 3U}) {
        std::vector<FileReadStatus> statuses;
        ChecksumInOrder(
            files, jobs,
            [&](std::size_t, const FileChecksum& checksum) { statuses.push_back(checksum.status); },
            {}, read);
        EXPECT_EQ(statuses,
                  (std::vector<FileReadStatus>{FileReadStatus::kOk, FileReadStatus::kReadFailed,
                                               FileReadStatus::kOk}))
            << jobs << " jobs";
    }
}

}  // namespace
}  // namespace sumbrook
