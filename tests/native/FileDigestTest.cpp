// The digest of a file of every kind, as the read loops hand its bytes to a
// hasher (through the cache and past it; one block, several, mapped, a
// parts threshold that only CRC-32 may use), equals that kind's digest of
// the same bytes in memory; DigestFileOnce gives every kind from one read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PosixTestFiles.h"
#include "files/FileChecksumParts.h"
#include "files/FileDigests.h"

namespace sumbrook {
namespace {

using test::RandomBytes;
using test::TempDirectory;

const std::vector<DigestKind> kEveryKind = {
    DigestKind::kCrc32,  DigestKind::kMd5,    DigestKind::kSha1,   DigestKind::kSha256,
    DigestKind::kSha384, DigestKind::kSha512, DigestKind::kBlake3, DigestKind::kXxh3,
    DigestKind::kXxh128, DigestKind::kXxh64};

Digest InMemory(DigestKind kind, const std::string& bytes) {
    const std::unique_ptr<Hasher> hasher = MakeHasher(kind);
    hasher->Update(bytes.data(), bytes.size());
    return hasher->Finish();
}

struct ReadCase {
    std::size_t size;
    bool uncached;
};

class FileDigest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(FileDigest, EveryKindAsInMemory) {
    TempDirectory dir;
    const std::string content = RandomBytes(GetParam().size, 21);
    const std::string path = dir.Write("file", content);
    FilePartsSettings inParts;  // what a CRC-32 would be read in parts at
    inParts.threshold = 1;
    inParts.processors = 4;
    std::vector<unsigned char> buffer;
    for (const DigestKind kind : kEveryKind) {
        FileAccess access = WithDigestKind(kPerThreadUtf8FileAccess, kind);
        access.uncached = GetParam().uncached;
        const FileChecksum read = ChecksumFileWith(path, buffer, access, inParts);
        ASSERT_EQ(read.status, FileReadStatus::kOk) << DigestKindName(kind);
        EXPECT_EQ(read.digest, InMemory(kind, content)) << DigestKindName(kind);
        EXPECT_EQ(read.size, content.size());
    }
    const FileDigests once = DigestFileOnce(path, kEveryKind, buffer);
    ASSERT_EQ(once.read.status, FileReadStatus::kOk);
    ASSERT_EQ(once.digests.size(), kEveryKind.size());
    for (std::size_t i = 0; i < kEveryKind.size(); ++i) {
        EXPECT_EQ(once.digests[i], InMemory(kEveryKind[i], content))
            << DigestKindName(kEveryKind[i]);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, FileDigest,
    ::testing::Values(ReadCase{0, false}, ReadCase{4097, false},
                      ReadCase{kCachedReadBlockSize + 4097, false},
                      ReadCase{kMappedReadThreshold + std::size_t{3} * 4096 + 5, false},
                      ReadCase{2 * kCachedReadBlockSize + 1, true},
                      ReadCase{kFileReadBlockSize + 3, true}));

TEST(FileDigest, MissingFileFailsTheSeveralDigests) {
    TempDirectory dir;
    std::vector<unsigned char> buffer;
    const FileDigests once = DigestFileOnce(dir.Path() + "/none", kEveryKind, buffer);
    EXPECT_EQ(once.read.status, FileReadStatus::kOpenFailed);
    EXPECT_TRUE(once.digests.empty());
}

}  // namespace
}  // namespace sumbrook
