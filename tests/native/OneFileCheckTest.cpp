// The check of one file: every form a user may paste as the expected
// digest, and the six digests of files of 0 bytes, 1 byte and a few MiB
// from one read, as md5sum, sha1sum, sha256sum, sha512sum and b3sum print
// them (CRC-32 as crc/ computes it), judged against a pasted one.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "PosixTestFiles.h"
#include "crc/Crc32.h"
#include "verify/FileDigestsRun.h"
#include "verify/RunExitCode.h"

namespace sumbrook {
namespace {

using test::RandomBytes;
using test::TempDirectory;

constexpr char kSha256[] = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
const std::string kSha384Like(96, 'a');
const std::string kTwoLines = kSha256 + std::string("\n") + kSha256;

struct PasteCase {
    const char* text;
    std::vector<DigestKind> kinds;  // empty: refused
    const char* hex;                // the digest, lower case; the error when refused
    const char* name;               // the name read, if any
};

const PasteCase kPastes[] = {
    {kSha256,
     {DigestKind::kSha256, DigestKind::kBlake3, DigestKind::kSha3_256, DigestKind::kBlake2b256},
     kSha256,
     nullptr},
    {" \r\n0xE3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855\r\n",
     {DigestKind::kSha256, DigestKind::kBlake3, DigestKind::kSha3_256, DigestKind::kBlake2b256},
     kSha256,
     nullptr},
    {"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855  empty.iso\n",
     {DigestKind::kSha256, DigestKind::kBlake3, DigestKind::kSha3_256, DigestKind::kBlake2b256},
     kSha256,
     "empty.iso"},
    {"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855 *other name.iso",
     {DigestKind::kSha256, DigestKind::kBlake3, DigestKind::kSha3_256, DigestKind::kBlake2b256},
     kSha256,
     "other name.iso"},
    {"SHA256 (empty.iso) = e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855",
     {DigestKind::kSha256},
     kSha256,
     "empty.iso"},
    {"SHA2-256(empty.iso)= e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855",
     {DigestKind::kSha256},
     kSha256,
     "empty.iso"},
    {"47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFU=", {DigestKind::kSha256}, kSha256, nullptr},
    {"47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFU", {DigestKind::kSha256}, kSha256, nullptr},
    {"d41d8cd98f00b204e9800998ecf8427e",
     {DigestKind::kMd5, DigestKind::kXxh128},
     "d41d8cd98f00b204e9800998ecf8427e",
     nullptr},
    {"da39a3ee5e6b4b0d3255bfef95601890afd80709",
     {DigestKind::kSha1},
     "da39a3ee5e6b4b0d3255bfef95601890afd80709",
     nullptr},
    {"00000000", {DigestKind::kCrc32}, "00000000", nullptr},
    {"2d06800538d394c2", {DigestKind::kXxh64, DigestKind::kXxh3}, "2d06800538d394c2", nullptr},
    {kSha384Like.c_str(), {DigestKind::kSha384}, kSha384Like.c_str(), nullptr},
    {"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b8",
     {},
     "no algorithm has a digest of 62 hex digits",
     nullptr},
    {"SHA1 (a.iso) = e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855",
     {},
     "the digest has 64 hex digits; a SHA-1 digest has 40",
     nullptr},
    {"hello world", {}, "not a digest", nullptr},
    {kTwoLines.c_str(), {}, "not a digest", nullptr},
    {"", {}, "not a digest", nullptr},
};

std::string Hex(const std::vector<unsigned char>& bytes) {
    std::string hex;
    for (const unsigned char byte : bytes) {
        const char digits[] = "0123456789abcdef";
        hex += digits[byte >> 4U];
        hex += digits[byte & 15U];
    }
    return hex;
}

TEST(OneFileCheck, PastedForms) {
    for (const PasteCase& paste : kPastes) {
        SCOPED_TRACE(paste.text);
        const PastedDigest read = ParsePastedDigest(paste.text);
        EXPECT_EQ(read.ok, !paste.kinds.empty());
        EXPECT_EQ(LooksLikeDigest(paste.text), read.ok);
        if (!read.ok) {
            EXPECT_EQ(read.error, paste.hex);
            continue;
        }
        EXPECT_EQ(read.kinds, paste.kinds);
        EXPECT_EQ(Hex(read.bytes), paste.hex);
        EXPECT_EQ(read.name.has_value(), paste.name != nullptr);
        if (paste.name != nullptr && read.name) {
            EXPECT_EQ(*read.name, paste.name);
        }
    }
}

// The first word of what `command` prints.
std::string ToolDigest(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return output;
    char block[512];
    std::size_t got = 0;
    while ((got = fread(block, 1, sizeof block, pipe)) > 0) output.append(block, got);
    pclose(pipe);
    return output.substr(0, output.find(' '));
}

TEST(OneFileCheck, DigestsAsTheToolsAndVerdicts) {
    TempDirectory dir;
    const char* const kTools[] = {nullptr, "md5sum", "sha1sum", "sha256sum", "sha512sum", "b3sum"};
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{5} << 20}) {
        SCOPED_TRACE(size);
        const std::string content = RandomBytes(size, 7);
        const std::string path = dir.Write("file" + std::to_string(size), content);
        std::atomic<bool> cancel{false};
        std::uint64_t lastDone = 0;
        const FileDigestsOutcome outcome =
            ComputeFileDigests(path, OneFileDigestKinds(), cancel,
                               [&](std::uint64_t done, std::uint64_t) { lastDone = done; });
        ASSERT_EQ(outcome.status, FileDigestsOutcome::Status::kDone) << outcome.error;
        EXPECT_EQ(outcome.size, size);
        EXPECT_EQ(lastDone, size);
        ASSERT_EQ(outcome.digests.size(), 6U);
        EXPECT_EQ(outcome.digests[0],
                  Digest::FromCrc32(Crc32Update(0, content.data(), content.size())));
        for (std::size_t i = 1; i < 6; ++i) {
            EXPECT_EQ(outcome.digests[i].Text(),
                      ToolDigest(std::string(kTools[i]) + " '" + path + "'"))
                << kTools[i];
        }
        // A pasted sha256sum line of the file matches, whatever its name;
        // one digit changed does not; the kinds of 64 digits are both compared.
        const std::string sha256 = outcome.digests[3].Text();
        const auto line = ParsePastedDigest(sha256 + "  renamed.iso");
        const DigestVerdict match = JudgePastedDigest(line, outcome.digests);
        EXPECT_EQ(match.matched, DigestKind::kSha256);
        EXPECT_EQ(VerdictHeadline(match), "MATCH \xE2\x80\x94 SHA-256");
        EXPECT_EQ(OneFileExitCode(outcome, line), kExitOk);
        std::string wrong = sha256;
        wrong[0] = wrong[0] == '0' ? '1' : '0';
        const PastedDigest other = ParsePastedDigest(wrong);
        const DigestVerdict differs = JudgePastedDigest(other, outcome.digests);
        EXPECT_FALSE(differs.Match());
        EXPECT_EQ(VerdictHeadline(differs), "NO MATCH");
        EXPECT_EQ(VerdictDetail(differs, other), "compared with SHA-256 and BLAKE3");
        EXPECT_EQ(OneFileExitCode(outcome, other), kExitDifferences);
        EXPECT_EQ(OneFileExitCode(outcome, ParsePastedDigest("abc")), kExitError);
        // The BLAKE3 digest, pasted bare, is found as the second candidate.
        EXPECT_EQ(JudgePastedDigest(ParsePastedDigest(outcome.digests[5].Text()), outcome.digests)
                      .matched,
                  DigestKind::kBlake3);
        EXPECT_EQ(DigestSumLines({outcome.digests[1]}, "a b"),
                  outcome.digests[1].Text() + "  a b\n");
    }
    std::atomic<bool> cancel{true};
    const std::string big = dir.Write("big", RandomBytes(std::size_t{16} << 20, 3));
    EXPECT_EQ(OneFileExitCode(ComputeFileDigests(big, OneFileDigestKinds(), cancel), std::nullopt),
              kExitCancelled);
    cancel = false;
    EXPECT_EQ(OneFileExitCode(ComputeFileDigests(dir / "none", OneFileDigestKinds(), cancel),
                              std::nullopt),
              kExitError);
}

}  // namespace
}  // namespace sumbrook
