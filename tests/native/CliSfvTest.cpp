// SFV lists in the command line: reading a list file line by line, the plan
// of a verification, the pairs of a comparison, and the tree listing that
// both walk (POSIX rules).
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "files/FolderReach.h"
#include "files/ListPlainFilesTree.h"
#include "lists/ListReader.h"
#include "lists/SfvReader.h"
#include "verify/ChecksumListFile.h"
#include "verify/CopyComparison.h"
#include "verify/ListCheck.h"

#include "PosixTestFiles.h"

namespace sumbrook {
namespace {

using test::TempDirectory;

// --- a list file, read block by block ---------------------------------------

struct ListFileCase {
    const char* label;
    std::string bytes;
    ChecksumListFile::Kind kind;
    std::string outcome;  // "name@line" of each entry, or the start of the error
};

void PrintTo(const ListFileCase& c, std::ostream* out) {
    *out << c.label;
}

std::string Outcome(const ChecksumListFile& list) {
    if (!list.ok) return list.error;
    std::string text;
    for (const ListEntry& entry : list.list.entries) {
        text += std::string(entry.name.substr(0, 12)) + "@" + std::to_string(entry.line) + " ";
    }
    return text;
}

// Latin-1 text (every byte a code point) as UTF-16 with its byte-order mark.
std::string Utf16(std::string_view latin1, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char c : latin1) {
        bytes += bigEndian ? std::string(1, '\0') + c : std::string(1, c) + '\0';
    }
    return bytes;
}

const std::string kLongestName(kMaxSfvLineLength - 9, 'n');
const std::string kSfvKind;

class ListFileTest : public ::testing::TestWithParam<ListFileCase> {};

TEST_P(ListFileTest, ReadsOrRefusesWithTheLine) {
    TempDirectory dir;
    const ChecksumListFile list = ReadChecksumListFile(dir.Write("list", GetParam().bytes));
    EXPECT_EQ(list.kind, GetParam().kind);
    EXPECT_EQ(Outcome(list).rfind(GetParam().outcome, 0), 0U) << Outcome(list);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ListFileTest,
    ::testing::Values(
        ListFileCase{"bom_crlf_comment", "\xEF\xBB\xBF; c\r\n\r\nabc.txt 352441c2\r\n",
                     ChecksumListFile::Kind::kLines, "abc.txt@3 "},
        ListFileCase{"no_last_line_end", "a b.txt\t00000000", ChecksumListFile::Kind::kLines,
                     "a b.txt@1 "},
        ListFileCase{"empty", "", ChecksumListFile::Kind::kLines, ""},
        ListFileCase{"line_across_blocks", std::string(65530, ';') + "\nabc.txt 352441C2\n",
                     ChecksumListFile::Kind::kLines, "abc.txt@2 "},
        ListFileCase{"longest_line_with_cr", kLongestName + " 00000000\r\nb 00000000\n",
                     ChecksumListFile::Kind::kLines, "nnnnnnnnnnnn@1 b@2 "},
        ListFileCase{"one_byte_too_long", "a 00000000\nx" + kLongestName + " 00000000\n",
                     ChecksumListFile::Kind::kLines, "line 2: the line is longer than 131072"},
        ListFileCase{"endless_line", "a 00000000\n" + std::string(3 << 20, 'a'),
                     ChecksumListFile::Kind::kLines, "line 2: the line is longer than 131072"},
        ListFileCase{"seven_digits", "; x\nabc.txt 352441C\n", ChecksumListFile::Kind::kLines,
                     "line 2: the checksum \"352441C\" has 7 characters"},
        ListFileCase{"control_byte", "a\x01 00000000\n", ChecksumListFile::Kind::kLines,
                     "line 1: the line holds the control byte 0x01"},
        ListFileCase{"utf16le", Utf16("; c\r\n\xE4.txt 352441C2\r\n", false),
                     ChecksumListFile::Kind::kLines, "\xC3\xA4.txt@2 "},
        ListFileCase{"utf16be", Utf16("a b 352441C2\n" + std::string(40000, ';'), true),
                     ChecksumListFile::Kind::kLines, "a b@1 "},
        ListFileCase{"utf16_cut_in_a_character", Utf16("a 352441C2\n", false) + "a",
                     ChecksumListFile::Kind::kLines, "the list starts as UTF-16"},
        ListFileCase{
            "utf16_protocol",
            Utf16("CRC32-codes of following files calculated 06.12.2026, 01:19:04\r\n", false),
            ChecksumListFile::Kind::kProtocol, "line 2:"},
        ListFileCase{"protocol_after_utf8_mark",
                     "\xEF\xBB\xBF"
                     "CRC32-codes of following files calculated 06.12.2026, 01:19:04\r\n",
                     ChecksumListFile::Kind::kProtocol, "line 2:"},
        ListFileCase{"protocol_by_first_line",
                     "CRC32-codes of following files calculated 06.12.2026, 01:19:04\r\n",
                     ChecksumListFile::Kind::kProtocol, "line 2:"}),
    [](const ::testing::TestParamInfo<ListFileCase>& paramInfo) { return paramInfo.param.label; });

// --- the plan of a verification ---------------------------------------------

struct PlanCase {
    const char* label;
    const char* list;
    bool foldCase;
    // What the folders listed hold (each folder of the list and of these is
    // listed, unless in `absent`): a plain file, or a folder ("name/").
    std::vector<std::string> found;
    std::string rows;  // kind and path per row, or "line N: error"
    std::string folders;
    std::vector<std::string> absent = {};
};

void PrintTo(const PlanCase& c, std::ostream* out) {
    *out << c.label;
}

std::string RowsText(const ListPlan& plan, const std::vector<ListEntry>& entries) {
    if (!plan.ok) return "line " + std::to_string(plan.line) + ": " + plan.error;
    std::string text;
    for (const ListRow& row : plan.rows) {
        static const char* const kKinds[] = {"listed",   "duplicate", "unlisted",
                                             "not held", "missing",   "joined"};
        if (row.kind == ListRow::Kind::kJoined) continue;
        text += std::string(kKinds[static_cast<int>(row.kind)]) + " " +
                std::string(ListRowPath(row, entries, plan));
        if (row.kind == ListRow::Kind::kListed && row.file != ListRow::kNone)
            text += " as " + std::string(plan.found[row.file].name);
        if (row.kind == ListRow::Kind::kDuplicate)
            text += "(" + std::to_string(1 + plan.details[row.detail].laterEntries.size()) + ")";
        text += "; ";
    }
    return text;
}

class ListPlanTest : public ::testing::TestWithParam<PlanCase> {};

TEST_P(ListPlanTest, ResolvesNamesOnceAndMatchesWhatTheFoldersHold) {
    ListReadResult read = ReadList(GetParam().list, {"list.sfv", std::nullopt});
    ASSERT_TRUE(read.ok) << read.error;
    ListPlan plan = PlanListVerification(read.entries, read.names);
    std::string folders;
    for (const std::string& folder : plan.folders) folders += "[" + folder + "]";
    EXPECT_EQ(folders, GetParam().folders);
    if (plan.ok) {
        ListFileMatcher matcher(plan, read.entries, GetParam().foldCase);
        std::set<std::string> listed(plan.folders.begin(), plan.folders.end());
        for (std::string name : GetParam().found) {
            FolderEntry entry;
            entry.plainFile = name.back() != '/';
            entry.subfolder = !entry.plainFile;
            if (entry.subfolder) name.pop_back();
            const std::size_t slash = name.rfind('/');
            const std::string folder = slash == std::string::npos ? "" : name.substr(0, slash);
            entry.name = std::string_view(name).substr(slash + 1);
            listed.insert(folder);
            if (matcher.Match(folder, entry.name) == ListRow::kNone) {
                matcher.Unmatched(folder, entry);
            }
        }
        for (const std::string& folder : listed) {
            const auto& absent = GetParam().absent;
            if (std::find(absent.begin(), absent.end(), folder) == absent.end()) {
                matcher.FolderListed(folder);
            } else {
                matcher.FolderNotThere(folder);
            }
        }
        matcher.Finish();
    }
    EXPECT_EQ(RowsText(plan, read.entries), GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, ListPlanTest,
    ::testing::Values(
        PlanCase{"separators_and_dots",
                 "a.txt 00000000\nsub\\b.txt 00000000\n./x/../sub//c 00000000\n",
                 false,
                 {"a.txt", "new.txt", "sub/b.txt", "sub/c"},
                 "listed a.txt; listed sub/b.txt; listed sub/c; unlisted new.txt; ",
                 "[][sub]"},
        PlanCase{"same_file_three_ways",
                 "a.txt 00000000\nb 00000000\n./a.txt 11111111\nsub/../a.txt 00000000\n",
                 false,
                 {"a.txt", "b"},
                 "duplicate a.txt(3); listed b; ",
                 "[]"},
        // Where names do not fold, a name that something may be up to case
        // (a folder that folds case) is opened, and the file stays NEW.
        PlanCase{"case_kept_here",
                 "A.txt 00000000\na.txt 00000000\nb 00000000\n",
                 false,
                 {"A.TXT"},
                 "listed A.txt; listed a.txt; missing b; unlisted A.TXT; ",
                 "[]"},
        PlanCase{"case_folded_on_windows",
                 "A.txt 00000000\na.txt 00000000\n",
                 true,
                 {"A.TXT"},
                 "duplicate A.txt(2); ",
                 "[]"},
        // Names that differ only in case, where both files are there: each
        // line its own file, each unlisted one NEW.
        PlanCase{"case_pairs_both_there",
                 "A.txt 00000000\na.txt 00000000\nx 00000000\n",
                 true,
                 {"a.txt", "A.txt", "x", "B.txt", "b.txt"},
                 "listed A.txt; listed a.txt; listed x; unlisted B.txt; unlisted b.txt; ",
                 "[]"},
        PlanCase{"exact_first_then_up_to_case",
                 "Sub/Readme.TXT 00000000\nA.txt 00000000\na.TXT 00000000\nZ 00000000\n",
                 true,
                 {"Sub/README.txt", "A.txt", "z", "Z.TXT"},
                 "listed Sub/Readme.TXT as Sub/README.txt; duplicate A.txt(2); "
                 "listed Z as z; unlisted Z.TXT; ",
                 "[][Sub]"},
        PlanCase{"both_cases_not_there",
                 "A.txt 00000000\na.txt 00000000\n",
                 true,
                 {},
                 "missing A.txt; missing a.txt; ",
                 "[]"},
        // Missing without a look at the file: its folder was listed without
        // it, or is not there; something else of the name (a folder) is
        // opened and judged.
        PlanCase{"missing_by_the_listing",
                 "a 00000000\nsub/b 00000000\ngone/c 00000000\nsub/d 00000000\nSUB 00000000\n",
                 false,
                 {"sub/d", "sub/x", "sub/"},
                 "missing a; missing sub/b; missing gone/c; listed sub/d; listed SUB; "
                 "unlisted sub/x; ",
                 "[][gone][sub]",
                 {"gone"}},
        PlanCase{"leaves_the_folder",
                 "ok 00000000\nsub/../../x 00000000\n",
                 false,
                 {},
                 "line 2: \"..\" leads out of the folder",
                 ""},
        PlanCase{"absolute",
                 "/etc/passwd 00000000\n",
                 false,
                 {},
                 "line 1: the name is an absolute path; only paths inside the folder are checked",
                 ""},
        PlanCase{"stream_name_is_a_name_here",
                 "a.txt:hidden 00000000\ncur/1:2,S 00000000\naux.c 00000000\n",
                 false,
                 {"a.txt:hidden"},
                 "listed a.txt:hidden; missing cur/1:2,S; missing aux.c; ",
                 "[][cur]"}),
    [](const ::testing::TestParamInfo<PlanCase>& paramInfo) { return paramInfo.param.label; });

TEST(SfvJudge, MissingOnlyWhenTheNameNamesNothing) {
    SfvEntry entry;
    entry.crc = 0x352441C2;
    FileChecksum read;
    read.status = FileReadStatus::kOk;
    read.digest = Digest::FromCrc32(0x352441C2);
    EXPECT_EQ(JudgeListedFile(Digest::FromCrc32(entry.crc), read), VerifyStatus::kOk);
    read.digest = Digest::FromCrc32(0);
    EXPECT_EQ(JudgeListedFile(Digest::FromCrc32(entry.crc), read), VerifyStatus::kChanged);
    FileChecksum failed;
    for (const auto& [error, status] :
         {std::pair{ENOENT, VerifyStatus::kMissing}, std::pair{ENOTDIR, VerifyStatus::kMissing},
          std::pair{EACCES, VerifyStatus::kUnreadable},
          std::pair{EISDIR, VerifyStatus::kUnreadable}}) {
        failed.errorCode = static_cast<unsigned long>(error);
        EXPECT_EQ(JudgeListedFile(Digest::FromCrc32(entry.crc), failed), status) << error;
    }
    failed.status = FileReadStatus::kEndedEarly;
    failed.errorCode = ENOENT;
    EXPECT_EQ(JudgeListedFile(Digest::FromCrc32(entry.crc), failed), VerifyStatus::kUnreadable);
}

// --- the pairs of a comparison ----------------------------------------------

TEST(CopyComparison, PairsBySamePathThenCopyOnlyFiles) {
    const auto files = [](std::vector<std::string> names) {
        std::vector<PlainFile> list;
        list.reserve(names.size());
        for (std::string& name : names) list.push_back({std::move(name), "", ""});
        return list;
    };
    const std::vector<PlainFile> source = files({"a", "b", "sub/c", "E", "e"});
    const std::vector<PlainFile> copy = files({"B", "d", "sub/c", "e", "E"});
    const auto text = [&](bool foldCase) {
        std::string rows;
        for (const CopyRow& row : PlanCopyComparison(source, copy, foldCase)) {
            rows += row.kind == CopyRow::Kind::kBoth         ? "both "
                    : row.kind == CopyRow::Kind::kSourceOnly ? "missing "
                                                             : "new ";
            rows += (row.source != CopyRow::kNone ? source[row.source] : copy[row.copy]).name;
            if (row.kind == CopyRow::Kind::kBoth && copy[row.copy].name != source[row.source].name)
                rows += "=" + copy[row.copy].name;
            rows += ";";
        }
        return rows;
    };
    EXPECT_EQ(text(false), "missing a;missing b;both sub/c;both E;both e;new B;new d;");
    // Names that differ only in case pair exactly where both are there.
    EXPECT_EQ(text(true), "missing a;both b=B;both sub/c;both E;both e;new d;");

    FileChecksum one;
    one.status = FileReadStatus::kOk;
    one.digest = Digest::FromCrc32(7);
    one.size = 3;
    FileChecksum other = one;
    EXPECT_EQ(JudgeCopy(one, other), VerifyStatus::kOk);
    other.size = 4;
    EXPECT_EQ(JudgeCopy(one, other), VerifyStatus::kDifferent);
    other = one;
    other.digest = Digest::FromCrc32(8);
    EXPECT_EQ(JudgeCopy(one, other), VerifyStatus::kDifferent);
    other.status = FileReadStatus::kReadFailed;
    EXPECT_EQ(JudgeCopy(one, other), VerifyStatus::kUnreadable);
    EXPECT_EQ(JudgeCopy(other, one), VerifyStatus::kUnreadable);
}

// --- the tree listing --------------------------------------------------------

std::string Names(const PlainFileTree& tree) {
    std::string names;
    for (const PlainFile& file : tree.files) names += file.name + "|";
    return names;
}

TEST(PlainFileTree, EntersNoHiddenFolderFollowsNoFolderLinkSortsByPath) {
    TempDirectory dir;
    for (const char* folder : {"sub", "sub/deeper", ".hidden", "a.d", "a", "empty"}) {
        ASSERT_EQ(mkdir((dir / folder).c_str(), 0755), 0);
    }
    for (const char* file :
         {"z", "a.txt", "sub/b", "sub/deeper/c", ".hidden/h", "a.d/x", "a/y", "sub/.dot"}) {
        dir.Write(file, "x");
    }
    ASSERT_EQ(symlink("sub", (dir / "link-to-sub").c_str()), 0);
    ASSERT_EQ(symlink("../z", (dir / "sub/link-to-file").c_str()), 0);

    const PlainFileTree flat = ListPlainFilesTree(dir.Path(), false);
    ASSERT_TRUE(flat.ok);
    EXPECT_EQ(Names(flat), "a.txt|z|");
    const PlainFileTree tree = ListPlainFilesTree(dir.Path(), true);
    ASSERT_TRUE(tree.ok);
    // Byte order of the whole path: '.' (0x2E) before '/' (0x2F).
    EXPECT_EQ(Names(tree), "a.d/x|a.txt|a/y|sub/b|sub/deeper/c|sub/link-to-file|z|");
    EXPECT_TRUE(tree.faults.empty());
    EXPECT_EQ(tree.files[4].path, dir / "sub/deeper/c");

    // A folder is reached through folders, hidden ones too, never through a
    // link, and without listing the folders on the way.
    ASSERT_EQ(mkdir((dir / "sub/shut").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((dir / "sub/shut/inner").c_str(), 0755), 0);
    ASSERT_EQ(chmod((dir / "sub/shut").c_str(), 0111), 0);
    FolderReacher reacher(dir.Path());
    std::string reaches;
    for (const char* folder : {".hidden", "", "none", "z/x", "link-to-sub", "link-to-sub/deeper",
                               "sub/deeper", "sub/shut/inner", "none/deeper"}) {
        static const char* const kReaches[] = {"there", "not there", "link", "unknown"};
        reaches +=
            std::string(folder) + ":" + kReaches[static_cast<int>(reacher.Reach(folder))] + " ";
    }
    EXPECT_EQ(
        reaches,
        ".hidden:there :there none:not there z/x:not there link-to-sub:link "
        "link-to-sub/deeper:link sub/deeper:there sub/shut/inner:there none/deeper:not there ");
    chmod((dir / "sub/shut").c_str(), 0755);
    EXPECT_EQ(PathInFolder(dir.Path() + "/", "sub/b"), dir / "sub/b");

    std::vector<PlainFile> files = tree.files;
    LeaveOutFile(files, dir.Path() + "/sub/../sub/deeper/c");
    LeaveOutFile(files, dir / "b");  // no such file: nothing goes
    EXPECT_EQ(files.size(), tree.files.size() - 1);

    EXPECT_FALSE(ListPlainFilesTree(dir / "none", true).ok);
    if (geteuid() != 0) {
        ASSERT_EQ(chmod((dir / "sub/deeper").c_str(), 0), 0);
        const PlainFileTree shut = ListPlainFilesTree(dir.Path(), true);
        chmod((dir / "sub/deeper").c_str(), 0755);
        EXPECT_EQ(Names(shut), "a.d/x|a.txt|a/y|sub/b|sub/link-to-file|z|");
        ASSERT_EQ(shut.faults.size(), 1U);
        EXPECT_EQ(shut.faults[0].path, dir / "sub/deeper");
    }
}

}  // namespace
}  // namespace sumbrook
