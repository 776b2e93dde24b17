// Lists of every line format, read whole and fed a byte at a time: their
// entries (name, kind, digest, line) or the refused line and why; and each
// list that reads, written again by its format's writer, reads back the same.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "lists/DigestKindChoice.h"
#include "lists/ListReader.h"
#include "lists/ListText.h"

namespace sumbrook {
namespace {

using namespace std::string_literals;
using Kind = DigestKind;

const std::string k16 = "78af5f94892f3950";
const std::string k32 = "900150983cd24fb0d6963f7d28e17f72";
const std::string k40 = "a9993e364706816aba3e25717850c26c9cd0d89d";
const std::string k64 = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
const std::string k128 = std::string(128, 'c');

struct Expected {
    std::string name;
    Kind kind;
    std::string digest;  // as Digest::Text writes it
    std::size_t line;
    bool settled = true;
};

struct ReadCase {
    std::string listName;
    std::string text;
    std::vector<Expected> entries;
    ListFormat format = ListFormat::kSum;
    std::size_t line = 0;  // the refused line, and part of why
    std::string error;
    std::optional<Kind> forced;
    bool clearSigned = false;
};

ReadCase Reads(std::string listName, std::string text, std::vector<Expected> entries,
               ListFormat format = ListFormat::kSum) {
    return {std::move(listName), std::move(text), std::move(entries), format, 0, "", {}, false};
}
ReadCase Refused(std::string listName, std::string text, std::size_t line, std::string error) {
    return {std::move(listName),
            std::move(text),
            {},
            ListFormat::kSum,
            line,
            std::move(error),
            {},
            false};
}
ReadCase Forced(Kind kind, ReadCase c) {
    c.forced = kind;
    return c;
}
ReadCase Signed(ReadCase c) {
    c.clearSigned = true;
    return c;
}

void PrintTo(const ReadCase& c, std::ostream* out) {
    *out << c.listName << ": " << ::testing::PrintToString(c.text.substr(0, 60));
}

std::string Utf16Le(const std::string& ascii) {
    std::string text = "\xFF\xFE";
    for (const char c : ascii) text += std::string{c, '\0'};
    return text;
}

void ExpectRead(const ReadCase& c, const ListReadResult& result) {
    if (!c.error.empty()) {
        ASSERT_FALSE(result.ok);
        EXPECT_EQ(result.line, c.line);
        EXPECT_NE(result.error.find(c.error), std::string::npos) << result.error;
        EXPECT_TRUE(result.entries.empty());
        return;
    }
    ASSERT_TRUE(result.ok) << "line " << result.line << ": " << result.error;
    EXPECT_EQ(result.format, c.format);
    EXPECT_EQ(result.clearSigned, c.clearSigned);
    ASSERT_EQ(result.entries.size(), c.entries.size());
    for (std::size_t i = 0; i < c.entries.size(); ++i) {
        const ListEntry& entry = result.entries[i];
        EXPECT_EQ(entry.name, c.entries[i].name) << i;
        EXPECT_EQ(entry.kind, c.entries[i].kind) << i;
        EXPECT_EQ(result.DigestOf(entry).Text(), c.entries[i].digest) << i;
        EXPECT_EQ(entry.line, c.entries[i].line) << i;
        EXPECT_EQ(entry.kindSettled, c.entries[i].settled) << i;
    }
}

class ListReaderTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ListReaderTest, ReadsEntriesOrRefusesTheLine) {
    const ReadCase& c = GetParam();
    ListReadOptions options{c.listName, c.forced};
    ExpectRead(c, ReadList(c.text, options));

    ListReader bytewise(options);
    for (const char byte : c.text) bytewise.Add(std::string_view(&byte, 1));
    ExpectRead(c, bytewise.Finish());
}

// What a list reads to, written again in its own format (sum and tag lists
// both ways), reads back to the same names and digests.
TEST_P(ListReaderTest, WrittenAgainReadsTheSame) {
    const ReadCase& c = GetParam();
    const ListReadResult read = ReadList(c.text, {c.listName, c.forced});
    if (!read.ok || read.entries.empty()) return;
    std::vector<ListFormat> formats = {read.format};
    if (read.format != ListFormat::kSfv) formats = {ListFormat::kSum, ListFormat::kTag};
    for (const ListFormat format : formats) {
        const ListFormatDescriptor& descriptor = DescriptorOf(format);
        // SFV's writer leaves out what rhash -c would misread: a name that
        // starts with '#' or a blank, which SFV lists of other tools hold.
        std::vector<ListEntry> kept;
        std::vector<std::string> lines;
        for (const ListEntry& entry : read.entries) {
            const bool misread = format == ListFormat::kSfv &&
                                 (entry.name.front() == '#' || entry.name.front() == ' ' ||
                                  entry.name.front() == '\t');
            EXPECT_EQ(descriptor.nameFault(entry.name).empty(), !misread) << entry.name;
            if (misread) continue;
            kept.push_back(entry);
            lines.push_back(descriptor.entryLine(entry.name, read.DigestOf(entry)));
        }
        if (kept.empty()) continue;
        const std::string written = ListText(format, "test", "1", {2026, 1, 2, 3, 4, 5}, lines);
        ListReadResult again = ReadList(written, {"list", c.forced});
        ASSERT_TRUE(again.ok) << descriptor.name << ": line " << again.line << ": " << again.error
                              << "\n"
                              << written;
        ASSERT_EQ(again.entries.size(), kept.size());
        for (std::size_t i = 0; i < again.entries.size(); ++i) {
            if (!again.entries[i].kindSettled) again.SettleKind(kept[i].kind);
        }
        for (std::size_t i = 0; i < again.entries.size(); ++i) {
            EXPECT_EQ(again.entries[i].name, kept[i].name) << descriptor.name;
            EXPECT_EQ(again.DigestOf(again.entries[i]), read.DigestOf(kept[i]));
        }
    }
}

const std::string kSignedStart = "-----BEGIN PGP SIGNED MESSAGE-----\nHash: SHA256\n\n";
const std::string kSignature =
    "-----BEGIN PGP SIGNATURE-----\n\niQEzBAEBCAAdFiEE\n=abcd\n-----END PGP SIGNATURE-----\n";

INSTANTIATE_TEST_SUITE_P(
    Lists, ListReaderTest,
    ::testing::Values(
        // Sum lines: text and binary mode, the whole rest of the line the name.
        Reads("SHA256SUMS", k64 + "  a b\n" + k64 + " *st*ar \n" + k64 + "   lead\n",
              {{"a b", Kind::kSha256, k64, 1},
               {"st*ar ", Kind::kSha256, k64, 2},
               {" lead", Kind::kSha256, k64, 3}}),
        Reads("sums.txt", "\\" + k64 + "  new\\nline\\\\x\\r\n" + k40 + "  b\n",
              {{"new\nline\\x\r", Kind::kSha256, k64, 1, false}, {"b", Kind::kSha1, k40, 2}}),
        Reads("B3SUMS", k64 + "  dir\\sub/f\r\n", {{"dir\\sub/f", Kind::kBlake3, k64, 1}}),
        Reads("x.md5", "# made by md5sum\n\n" + k32 + "  a\n", {{"a", Kind::kMd5, k32, 3}}),
        Reads("list", k32 + "  a\n" + k128 + "  b\n",
              {{"a", Kind::kMd5, k32, 1, false}, {"b", Kind::kSha512, k128, 2, false}}),
        Reads("hashes", "XXH3_" + k16 + "  a\n" + k16 + "  b\n",
              {{"a", Kind::kXxh3, k16, 1}, {"b", Kind::kXxh64, k16, 2, false}}),
        // Tag lines, algorithms mixed, as coreutils, OpenSSL, xxhsum write them.
        Reads("CHECKSUM",
              "SHA256 (a) = " + k64 + "\nMD5   (b (1)) = " + k32.substr(0, 16) +
                  "AAAAAAAAAAAAAAAA" + "\nSHA2-256(c)= " + k64 + "\n\\SHA1 (d\\\\e) = " + k40 +
                  "\nXXH3 (f) = " + k16 + "\n",
              {{"a", Kind::kSha256, k64, 1},
               {"b (1)", Kind::kMd5, k32.substr(0, 16) + std::string(16, 'a'), 2},
               {"c", Kind::kSha256, k64, 3},
               {"d\\e", Kind::kSha1, k40, 4},
               {"f", Kind::kXxh3, k16, 5}},
              ListFormat::kTag),
        // The digest file of one download.
        Reads("dl/image.iso.sha256", k64 + "\n", {{"image.iso", Kind::kSha256, k64, 1}}),
        Reads("image.iso.sha256", k64 + "  image.iso\n", {{"image.iso", Kind::kSha256, k64, 1}}),
        // Clear-signed: the signed lines, dash escapes undone.
        Signed(Reads("CHECKSUM",
                     kSignedStart + "# image: 3 bytes\nSHA256 (a) = " + k64 + "\n- " + k64 +
                         "  -b\n" + kSignature,
                     {{"a", Kind::kSha256, k64, 5}, {"-b", Kind::kSha256, k64, 6, false}},
                     ListFormat::kTag)),
        // The kind forced over the name and the length.
        Forced(Kind::kBlake3, Reads("SHA256SUMS", k64 + "  a\n", {{"a", Kind::kBlake3, k64, 1}})),
        // SFV as it always was; and two lists joined with cat.
        Reads("list.txt", "#x 352441C2\nabc.txt 352441c2\n",
              {{"#x", Kind::kCrc32, "352441C2", 1}, {"abc.txt", Kind::kCrc32, "352441C2", 2}},
              ListFormat::kSfv),
        Reads("list.txt", k32 + " 352441C2\n", {{k32, Kind::kCrc32, "352441C2", 1}},
              ListFormat::kSfv),
        Reads("list.txt", k32 + "  20240101\n", {{"20240101", Kind::kMd5, k32, 1, false}}),
        Reads("list", k64 + "  a\r\n\xEF\xBB\xBF" + k64 + "  b\r\n",
              {{"a", Kind::kSha256, k64, 1, false}, {"b", Kind::kSha256, k64, 2, false}}),
        Reads("x.sha256", Utf16Le(k64 + "  a\r\n"), {{"a", Kind::kSha256, k64, 1}}),
        // CRC-32 sum lines, as rhash and sumbrook-cli FILE... write them; a
        // line that SFV reads too waits for a line that tells.
        Reads("crc.txt", "8CDC1683  deadbeef\n011ba68c  notes.txt\n",
              {{"deadbeef", Kind::kCrc32, "8CDC1683", 1},
               {"notes.txt", Kind::kCrc32, "011BA68C", 2}}),
        Reads("crc.txt", "8CDC1683  deadbeef\nnotes.txt 011BA68C\n",
              {{"8CDC1683", Kind::kCrc32, "DEADBEEF", 1},
               {"notes.txt", Kind::kCrc32, "011BA68C", 2}},
              ListFormat::kSfv),
        Forced(Kind::kCrc32, Reads("crc.txt", "8CDC1683  deadbeef\n",
                                   {{"deadbeef", Kind::kCrc32, "8CDC1683", 1}})),
        Reads("crc.sfv", "8CDC1683  deadbeef\n", {{"8CDC1683", Kind::kCrc32, "DEADBEEF", 1}},
              ListFormat::kSfv),
        Refused("crc.txt", "; x\n352441C2  deadbeef\n", 2,
                "may be SFV (the CRC-32 of \"352441C2\") or a CRC-32 sum line"),
        // What no list is, named as what it is.
        Reads("notes.txt", "# only\n# comments\n", {}, ListFormat::kSfv),
        Refused("m.asc", "-----BEGIN PGP SIGNATURE-----\n\niQEz\n", 1,
                "an OpenPGP message or signature"),
        Refused("b.txt", "SHA256 (abc) = ungWv48Bz+pBQUDeXa4iI7ADYaOWF3qctBD/YfIAFa0=\n", 1,
                "digests in base64"),
        // Refused, naming the line.
        Refused("x.sfv", k64 + "  a\n", 1, "the checksum \"a\" has 1 characters"),
        Refused("SHA256SUMS", k64 + "  a\n" + k64 + " b\n", 2, "one blank between"),
        Refused("SHA256SUMS", k64 + "  a\n" + k40 + "  b\n", 2,
                "the digest has 40 digits; a SHA-256 digest has 64"),
        Refused("list", k64 + "  a\n" + k64.substr(2) + "  b\n", 2, "62 digits is of no algorithm"),
        Refused("list", "SHA1 (a) = " + k64 + "\n", 1, "a SHA-1 digest has 40"),
        Refused("list", "XXH32 (a) = " + k16.substr(0, 8) + "\n", 1,
                "\"XXH32\" names no algorithm"),
        Forced(Kind::kMd5, Refused("list", "SHA256 (a) = " + k64 + "\n", 1, "not MD5 as asked")),
        Forced(Kind::kSha256, Refused("x.sfv", "abc.txt 352441C2\n", 1, "CRC-32, not SHA-256")),
        Refused("list", "\\" + k64 + "  a\\tb\n", 1, "holds \"\\t\""),
        Refused("list", k64 + "  a\\\n\\" + k64 + "  b\\\n", 2, "a lone '\\'"),
        Refused("list", k64 + "  a\0b\n"s, 1, "NUL"),
        Refused("x.sha256", k64 + "  a\n" + k64 + "\n", 2, "a digest without a name"),
        Refused("x.sha256", k64 + "\n" + k64 + "  b\n", 2, "line 1 holds a digest without"),
        Refused("SHA256SUMS", k64 + "\n", 1, "the list's name names no file"),
        Refused("SHA256SUMS", "abc.txt 352441C2\n", 1, "expected \"DIGEST  NAME\""),
        Refused("list", kSignedStart + k64 + "  a\n", 4, "ends without its signature"),
        Refused("list", "-----BEGIN PGP SIGNED MESSAGE-----\nnot a header\n", 2,
                "expected a header"),
        Refused("list", kSignedStart + k64 + "  a\n" + kSignature + "x\n", 10,
                "text after the signature"),
        // A protocol fed here (its caller tells one: JudgeListFile) is no SFV.
        Refused("list", "CRC32-codes of following files calculated 06.12.2026, 01:19:04\r\n", 1,
                "is not 8 hexadecimal digits")));

TEST(DigestKindChoice, NamesOfListsAndLengths) {
    const std::vector<std::pair<std::string, std::optional<Kind>>> names = {
        {"SHA256SUMS", Kind::kSha256},
        {"dir/sha512sums", Kind::kSha512},
        {"ubuntu-24.04-MD5SUMS", Kind::kMd5},
        {"x.B3", Kind::kBlake3},
        {"a.iso.xxh128", Kind::kXxh128},
        {"a.iso.xxh64", Kind::kXxh64},
        {"a\\b.Sha1", Kind::kSha1},
        {"MYSHA256SUMS", std::nullopt},
        {".sha256", std::nullopt},
        {"list.sfv", std::nullopt}};
    for (const auto& [name, kind] : names) EXPECT_EQ(DigestKindOfListName(name), kind) << name;
    EXPECT_EQ(DigestKindsOfLength(64), (std::vector<Kind>{Kind::kSha256, Kind::kBlake3,
                                                          Kind::kSha3_256, Kind::kBlake2b256}));
    EXPECT_EQ(DigestKindsOfLength(8), (std::vector<Kind>{Kind::kCrc32}));
    EXPECT_TRUE(DigestKindsOfLength(12).empty());
}

}  // namespace
}  // namespace sumbrook
