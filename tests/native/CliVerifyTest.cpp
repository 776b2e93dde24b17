#include "verify/ProtocolCheck.h"
#include "verify/ReportText.h"
#include "verify/RunExitCode.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lists/ListedPath.h"
#include "lists/ProtocolFormat.h"
#include "verify/DisplayName.h"
#include "verify/ListFileKind.h"

namespace sumbrook {
namespace {

ProtocolEntry Entry(const std::string& name, const std::string& crcText) {
    return {ProtocolFileLine(name, "").substr(0, kProtocolNameWidth), crcText, 0};
}

FileChecksum Read(std::uint32_t crc, std::uint64_t size) {
    FileChecksum checksum;
    checksum.status = FileReadStatus::kOk;
    checksum.digest = Digest::FromCrc32(crc);
    checksum.size = size;
    return checksum;
}

using Kind = VerifyRow::Kind;
constexpr std::size_t kNone = VerifyRow::kNone;

const std::string kLong34 = "crc_check_value_of_the_nine_digits";  // exactly 34 characters

TEST(VerifyPlan, ProtocolLinesFirstThenTheUnlistedFilesInListingOrder) {
    const std::vector<ProtocolEntry> entries = {
        Entry("b.txt", "11111111"), Entry("gone.txt", "22222222"), Entry("a.txt", "33333333")};
    const std::vector<std::string> names = {"a.txt", "new2.txt", "b.txt", "new1.txt"};
    const std::vector<VerifyRow> rows = PlanVerification(entries, names, false);
    ASSERT_EQ(rows.size(), 5U);
    EXPECT_EQ(rows[0].kind, Kind::kListed);
    EXPECT_EQ(rows[0].entry, 0U);
    EXPECT_EQ(rows[0].file, 2U);
    EXPECT_EQ(rows[1].kind, Kind::kMissing);
    EXPECT_EQ(rows[1].entry, 1U);
    EXPECT_EQ(rows[1].file, kNone);
    EXPECT_EQ(rows[2].kind, Kind::kListed);
    EXPECT_EQ(rows[2].file, 0U);
    EXPECT_EQ(rows[3].kind, Kind::kUnlisted);
    EXPECT_EQ(rows[3].entry, kNone);
    EXPECT_EQ(rows[3].file, 1U);
    EXPECT_EQ(rows[4].kind, Kind::kUnlisted);
    EXPECT_EQ(rows[4].file, 3U);
}

#ifndef _WIN32
// Names are cut after a whole UTF-8 character; a protocol cut in the middle
// of one by an earlier writer still matches.
TEST(VerifyPlan, NameCutInsideACharacterMatchesAsCutAfterIt) {
    std::string name = "x";
    for (int i = 0; i < 20; ++i) name += "\xC3\xA4";
    name += ".txt";
    const ProtocolEntry whole = Entry(name, "CBF43926");
    EXPECT_EQ(whole.nameField, name.substr(0, 33) + " ");
    const ProtocolEntry halved{name.substr(0, kProtocolNameWidth), "CBF43926", 0};
    const std::vector<VerifyRow> rows = PlanVerification({whole, halved}, {name}, false);
    ASSERT_EQ(rows.size(), 2U);
    EXPECT_EQ(rows[0].kind, Kind::kAmbiguous);  // both lines name the one file
    EXPECT_EQ(rows[0].sameFieldLines, 2U);
}
#endif

TEST(VerifyPlan, CutNameMatchesTheOneFileThatBeginsWithIt) {
    const std::vector<ProtocolEntry> entries = {Entry(kLong34 + ".txt", "CBF43926")};
    const std::vector<VerifyRow> rows =
        PlanVerification(entries, {"other.txt", kLong34 + ".txt.renamed"}, false);
    ASSERT_EQ(rows.size(), 2U);
    EXPECT_EQ(rows[0].kind, Kind::kListed);
    EXPECT_EQ(rows[0].file, 1U);
    EXPECT_EQ(rows[1].kind, Kind::kUnlisted);
    EXPECT_EQ(rows[1].file, 0U);
}

TEST(VerifyPlan, NameOfExactly34CharactersFillsTheFieldAndMatchesItself) {
    const std::vector<VerifyRow> rows =
        PlanVerification({Entry(kLong34, "CBF43926")}, {kLong34}, false);
    ASSERT_EQ(rows.size(), 1U);
    EXPECT_EQ(rows[0].kind, Kind::kListed);
}

TEST(VerifyPlan, CutNameThatFitsSeveralFilesIsAmbiguousNeverGuessed) {
    const std::vector<std::string> names = {kLong34 + "_a.txt", "x.txt", kLong34 + "_b.txt"};
    const std::vector<VerifyRow> rows =
        PlanVerification({Entry(kLong34 + "_a.txt", "CBF43926")}, names, false);
    ASSERT_EQ(rows.size(), 2U);
    EXPECT_EQ(rows[0].kind, Kind::kAmbiguous);
    EXPECT_EQ(rows[0].file, kNone);
    EXPECT_EQ(rows[0].candidates, (std::vector<std::size_t>{0, 2}));
    EXPECT_EQ(rows[0].sameFieldLines, 1U);
    // The files that fit are accounted for by the ambiguous line, not NEW.
    EXPECT_EQ(rows[1].kind, Kind::kUnlisted);
    EXPECT_EQ(rows[1].file, 1U);
}

TEST(VerifyPlan, TwoLinesWithOneFieldAreAmbiguousEvenForOneFile) {
    const std::vector<ProtocolEntry> entries = {Entry(kLong34 + "_1", "11111111"),
                                                Entry(kLong34 + "_2", "22222222")};
    const std::vector<VerifyRow> rows = PlanVerification(entries, {kLong34 + "_1"}, false);
    ASSERT_EQ(rows.size(), 2U);
    for (const VerifyRow& row : rows) {
        EXPECT_EQ(row.kind, Kind::kAmbiguous);
        EXPECT_EQ(row.candidates, std::vector<std::size_t>{0});
        EXPECT_EQ(row.sameFieldLines, 2U);
    }
}

TEST(VerifyPlan, FillingBlanksAreNotPartOfTheName) {
    // "a" and "a " give the same field, so both fit the line of either.
    const std::vector<VerifyRow> rows = PlanVerification({Entry("a", "11111111")}, {"a "}, false);
    ASSERT_EQ(rows.size(), 1U);
    EXPECT_EQ(rows[0].kind, Kind::kListed);
    const std::vector<VerifyRow> both =
        PlanVerification({Entry("a", "11111111")}, {"a", "a "}, false);
    ASSERT_EQ(both.size(), 1U);
    EXPECT_EQ(both[0].kind, Kind::kAmbiguous);
}

TEST(VerifyPlan, CaseCountsUnlessFolded) {
    const std::vector<ProtocolEntry> entries = {Entry("Report.TXT", "11111111")};
    const std::vector<VerifyRow> exact = PlanVerification(entries, {"report.txt"}, false);
    ASSERT_EQ(exact.size(), 2U);
    EXPECT_EQ(exact[0].kind, Kind::kMissing);
    EXPECT_EQ(exact[1].kind, Kind::kUnlisted);
    const std::vector<VerifyRow> folded = PlanVerification(entries, {"report.txt"}, true);
    ASSERT_EQ(folded.size(), 1U);
    EXPECT_EQ(folded[0].kind, Kind::kListed);
    EXPECT_EQ(NameFieldKey("report.txt", true), NameFieldKey("REPORT.TXT", false));
}

TEST(VerifyPlan, EmptyProtocolAndEmptyDirectory) {
    EXPECT_TRUE(PlanVerification({}, {}, false).empty());
    const std::vector<VerifyRow> rows = PlanVerification({Entry("a", "11111111")}, {}, false);
    ASSERT_EQ(rows.size(), 1U);
    EXPECT_EQ(rows[0].kind, Kind::kMissing);
}

TEST(VerifyJudge, ListedFileIsOkOrChanged) {
    VerifyRow row;
    row.kind = Kind::kListed;
    const ProtocolEntry entry = Entry("abc.txt", "352441C2");
    EXPECT_EQ(JudgeRow(row, &entry, Read(0x352441C2, 3)), VerifyStatus::kOk);
    EXPECT_EQ(JudgeRow(row, &entry, Read(0x352441C3, 3)), VerifyStatus::kChanged);
    // Emptied since: its checksum is now 00000000, which differs.
    EXPECT_EQ(JudgeRow(row, &entry, Read(0, 0)), VerifyStatus::kChanged);
}

TEST(VerifyJudge, UnlistedFileIsNewUnlessEmpty) {
    VerifyRow row;
    row.kind = Kind::kUnlisted;
    EXPECT_EQ(JudgeRow(row, nullptr, Read(0x12345678, 10)), VerifyStatus::kNew);
    EXPECT_EQ(JudgeRow(row, nullptr, Read(0, 0)), VerifyStatus::kEmpty);
    // Not empty, yet a checksum of 00000000: it may have been left out, or be
    // new; it is not passed over as empty.
    EXPECT_EQ(JudgeRow(row, nullptr, Read(0, 4)), VerifyStatus::kNew);
}

TEST(VerifyJudge, UnreadableWinsForEveryFileRow) {
    FileChecksum failed;
    failed.status = FileReadStatus::kOpenFailed;
    VerifyRow row;
    const ProtocolEntry entry = Entry("abc.txt", "352441C2");
    row.kind = Kind::kListed;
    EXPECT_EQ(JudgeRow(row, &entry, failed), VerifyStatus::kUnreadable);
    row.kind = Kind::kUnlisted;
    EXPECT_EQ(JudgeRow(row, nullptr, failed), VerifyStatus::kUnreadable);
    failed.status = FileReadStatus::kEndedEarly;
    EXPECT_EQ(JudgeRow(row, nullptr, failed), VerifyStatus::kUnreadable);
}

TEST(VerifyJudge, RowsWithoutFileKeepTheirVerdict) {
    VerifyRow row;
    row.kind = Kind::kMissing;
    EXPECT_EQ(JudgeRow(row, nullptr, FileChecksum{}), VerifyStatus::kMissing);
    row.kind = Kind::kAmbiguous;
    EXPECT_EQ(JudgeRow(row, nullptr, FileChecksum{}), VerifyStatus::kAmbiguous);
}

TEST(VerifyTally, ExitCodeAndSummary) {
    StatusCounts tally;
    EXPECT_EQ(ExitCodeOf(tally), 0);
    tally.Add(VerifyStatus::kOk);
    tally.Add(VerifyStatus::kEmpty);
    EXPECT_EQ(ExitCodeOf(tally), 0);  // empty files are no difference
    for (const VerifyStatus difference : {VerifyStatus::kChanged, VerifyStatus::kMissing,
                                          VerifyStatus::kNew, VerifyStatus::kAmbiguous}) {
        StatusCounts one = tally;
        one.Add(difference);
        EXPECT_EQ(ExitCodeOf(one), 1) << VerifyStatusName(difference);
        one.Add(VerifyStatus::kUnreadable);
        EXPECT_EQ(ExitCodeOf(one), 2) << VerifyStatusName(difference);
    }
    tally.Add(VerifyStatus::kOk);
    tally.Add(VerifyStatus::kAmbiguous);
    EXPECT_EQ(SummaryLine(CheckKind::kProtocol, tally),
              "2 OK, 0 CHANGED, 0 MISSING, 0 NEW, 1 EMPTY, 0 UNREADABLE, 1 AMBIGUOUS");
    tally.AddReadThroughCache(0);
    EXPECT_EQ(SummaryLine(CheckKind::kCopy, tally),
              "2 OK, 0 DIFFERENT, 0 MISSING, 0 NEW, 0 UNREADABLE");
    tally.AddReadThroughCache(1);
    tally.AddReadThroughCache(1);
    EXPECT_EQ(SummaryLine(CheckKind::kCopy, tally),
              "2 OK, 0 DIFFERENT, 0 MISSING, 0 NEW, 0 UNREADABLE, 2 read through the cache (the "
              "file system refused uncached reads)");
}

TEST(VerifyLine, StatusColumnThenNameThenDetail) {
    EXPECT_EQ(VerifyLine(VerifyStatus::kOk, "abc.txt", ""), "OK          abc.txt");
    EXPECT_EQ(VerifyLine(VerifyStatus::kChanged, "abc.txt", "352441C2 -> CBF43926"),
              "CHANGED     abc.txt  352441C2 -> CBF43926");
    EXPECT_EQ(VerifyLine(VerifyStatus::kUnreadable, "x", "cannot open"),
              "UNREADABLE  x  cannot open");
    // A control byte anywhere in a name, first and last too, is written out.
    for (const auto& [name, shown] :
         std::vector<std::pair<std::string, std::string>>{{"plain name", "plain name"},
                                                          {"\x01"
                                                           "a\nb\x7F",
                                                           "\\x01a\\x0Ab\\x7F"},
                                                          {"\t", "\\x09"}}) {
        EXPECT_EQ(DisplayName(name), shown);
    }
}

// What a file given as a list is: by its name and what is there before it
// is read, then by its first bytes.
TEST(JudgeListFileTest, DevicesFoldersProtocolsAndEncodings) {
    const std::string protocol =
        "CRC32-codes of following files calculated 06.12.2026, 01:19:04\r\n";
    const auto utf16 = [](std::string_view latin1, bool bigEndian, bool mark) {
        std::string bytes = !mark ? "" : bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (const char c : latin1) {
            bytes += bigEndian ? std::string(1, '\0') + c : std::string(1, c) + '\0';
        }
        return bytes;
    };
    const bool windows = kThisPathSystem == PathSystem::kWindows;
    using K = ListFileKind;
    using E = ListEncoding;
    const struct {
        const char* label;
        std::string path;   // "" for standard input
        std::string bytes;  // the start read, or with `fault` why it cannot be
        const char* fault;
        K kind;
        E encoding;
        bool text;
    } cases[] = {
        {"device", "sub/aux.sfv", "a 00000000\n", "", windows ? K::kDevice : K::kLines, E::kBytes,
         true},
        {"port", "COM1:", "", "", windows ? K::kDevice : K::kLines, E::kBytes, true},
        {"folder", ".", "", "", K::kFolder, E::kBytes, true},
        {"unreadable", "x.sfv", "", "No such file or directory", K::kUnread, E::kBytes, true},
        {"standard input", "", "a 00000000\n", "", K::kLines, E::kBytes, true},
        {"empty", "x.sfv", "", "", K::kLines, E::kBytes, true},
        {"utf8", "x", "\xC3\xA4\t00000000\r\n", "", K::kLines, E::kBytes, true},
        {"utf8 mark", "x",
         "\xEF\xBB\xBF"
         "a 00000000\n",
         "", K::kLines, E::kUtf8Bom, true},
        {"utf16le mark", "x", utf16("a 00000000\n", false, true), "", K::kLines, E::kUtf16Le, true},
        {"utf16be mark", "x", utf16("a 00000000\n", true, true), "", K::kLines, E::kUtf16Be, true},
        {"utf16le bare", "x", utf16("a 00000000\n", false, false), "", K::kLines, E::kBytes, false},
        {"utf16be bare", "x", utf16("a 00000000\n", true, false), "", K::kLines, E::kBytes, false},
        {"binary", "x", std::string("MZ\x90\0\x03\0", 6), "", K::kLines, E::kBytes, false},
        {"protocol", "x", protocol, "", K::kProtocol, E::kBytes, true},
        {"protocol utf8 mark", "x", "\xEF\xBB\xBF" + protocol, "", K::kProtocol, E::kUtf8Bom, true},
        {"protocol utf16le", "x", utf16(protocol, false, true), "", K::kProtocol, E::kUtf16Le,
         true},
        {"protocol utf16be", "x", utf16(protocol, true, true), "", K::kProtocol, E::kUtf16Be, true},
        {"protocol cut", "x", protocol.substr(0, 30), "", K::kLines, E::kBytes, true},
        {"protocol later", "x", "\r\n" + protocol, "", K::kLines, E::kBytes, true},
    };
    for (const auto& c : cases) {
        bool read = false;
        const ListFileJudgement judged = JudgeListFile(c.path, [&](std::string_view& start) {
            read = true;
            start = c.bytes;
            return std::string(c.fault);
        });
        EXPECT_EQ(judged.kind, c.kind) << c.label;
        EXPECT_EQ(read, c.kind != K::kDevice && c.kind != K::kFolder) << c.label;
        if (c.kind == K::kUnread) {
            EXPECT_EQ(judged.why, c.fault) << c.label;
        }
        if (c.kind != K::kLines && c.kind != K::kProtocol) continue;
        EXPECT_EQ(judged.encoding, c.encoding) << c.label;
        EXPECT_EQ(judged.text, c.text) << c.label;
    }
}

}  // namespace
}  // namespace sumbrook
