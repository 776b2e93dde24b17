#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lists/ListedPath.h"
#include "lists/SfvReader.h"
#include "lists/SfvWriter.h"

namespace sumbrook {
namespace {

using namespace std::string_literals;

// A list and what reading it gives: its one entry (none when name is empty),
// or the line refused and a part of the reason.
struct ListCase {
    std::string text;
    std::string name;
    std::uint32_t crc = 0;
    std::size_t line = 1;
    std::string error;
};

ListCase Entry(std::string text, std::string name, std::uint32_t crc, std::size_t line = 1) {
    return {std::move(text), std::move(name), crc, line, ""};
}
ListCase NoEntry(std::string text) {
    return {std::move(text), "", 0, 0, ""};
}
ListCase Refusal(std::string text, std::size_t line, std::string error) {
    return {std::move(text), "", 0, line, std::move(error)};
}

void PrintTo(const ListCase& c, std::ostream* out) {
    *out << ::testing::PrintToString(c.text.substr(0, 80));
}

class SfvListTest : public ::testing::TestWithParam<ListCase> {};

TEST_P(SfvListTest, ReadsOrRefusesWithTheLine) {
    const ListCase& expected = GetParam();
    const SfvReadResult result = ParseSfv(expected.text);
    if (!expected.error.empty()) {
        ASSERT_FALSE(result.ok);
        EXPECT_EQ(result.line, expected.line);
        EXPECT_NE(result.error.find(expected.error), std::string::npos) << result.error;
        return;
    }
    ASSERT_TRUE(result.ok) << "line " << result.line << ": " << result.error;
    if (expected.name.empty()) {
        EXPECT_TRUE(result.entries.empty());
        return;
    }
    ASSERT_EQ(result.entries.size(), 1U);
    EXPECT_EQ(result.entries[0].name, expected.name);
    EXPECT_EQ(result.entries[0].crc, expected.crc);
    EXPECT_EQ(result.entries[0].line, expected.line);
}

const std::string kLongest = std::string(kMaxSfvLineLength - 9, 'n') + " 352441C2";

INSTANTIATE_TEST_SUITE_P(
    Lines, SfvListTest,
    ::testing::Values(
        Entry("abc.txt 352441C2\n", "abc.txt", 0x352441C2),
        Entry("\xEF\xBB\xBF"
              "abc.txt 352441C2\r\n",
              "abc.txt", 0x352441C2),
        Entry("; comment\n\n \t \r\nabc.txt cbf43926", "abc.txt", 0xCBF43926, 4),
        // Two lists joined with cat: the second one's byte-order mark.
        Entry("\xEF\xBB\xBF; a\r\n\xEF\xBB\xBF"
              "abc.txt 352441C2\r\n",
              "abc.txt", 0x352441C2, 2),
        Entry("name with  blanks.txt\t \tCBF43926  \t\r\n", "name with  blanks.txt", 0xCBF43926),
        Entry("tab\there 00000000\n", "tab\there", 0), Entry("  leading 0000000a", "  leading", 10),
        Entry("dir/sub\\f;1.bin FFFFFFFF", "dir/sub\\f;1.bin", 0xFFFFFFFF),
        Entry("\xC3\xA4.txt 12345678\n", "\xC3\xA4.txt", 0x12345678),
        NoEntry(";\x01\x7F junk in a comment\n"), NoEntry(""), NoEntry("\n\r\n"),
        Entry(kLongest, kLongest.substr(0, kMaxSfvLineLength - 9), 0x352441C2),
        Entry(kLongest + "\r\n", kLongest.substr(0, kMaxSfvLineLength - 9), 0x352441C2),
        Refusal(";x\n" + kLongest + " ", 2, "longer than 131072 bytes"),
        Refusal("abc.txt 352441C\n", 1, "\"352441C\" has 7 characters"),
        Refusal("abc.txt 352441C2A\n", 1, "\"352441C2A\" has 9 characters"),
        Refusal("abc.txt 352441G2", 1, "\"352441G2\" is not 8 hexadecimal digits"),
        Refusal("abc 0x352441C2", 1, "has 10 characters"),
        Refusal("abc.txt352441C2", 1, "no blank between the name and the checksum"),
        Refusal("abc.txt\n", 1, "expected a name, a blank and an 8-digit checksum"),
        Refusal("352441C2\n", 1, "a checksum but no name"),
        Refusal("\t  352441C2\n", 1, "a checksum but no name"),
        Refusal("ok 00000000\nab\0c 352441C2\n"s, 2, "control byte 0x00 at byte 3"),
        Refusal("a 352441C2\r\r\n", 1, "control byte 0x0D"),
        Refusal("\x7F"
                "ELF\x02\x01\x01\0\0\0\0 00000000"s,
                1, "control byte 0x7F"),
        Refusal("\xEF\xBB\xBF\xEF\xBB\xBF", 1, "expected a name"),
        Refusal("; a\n\xEF\xBB\xBF\xEF\xBB\xBF"
                "abc.txt 352441C2\n",
                2, "starts with a byte-order mark")));

// A list name and the path it gives ('/' between components), or a part of
// the reason it is refused.
struct PathCase {
    std::string name;
    std::string path;
    std::string error;
    std::string windowsPath;  // when Win32 resolves the name otherwise
};

PathCase Path(std::string name, std::string path, std::string windowsPath = "") {
    return {std::move(name), std::move(path), "", std::move(windowsPath)};
}
PathCase Refused(std::string name, std::string error) {
    return {std::move(name), "", std::move(error), ""};
}

class ListedPathTest : public ::testing::TestWithParam<PathCase> {};

// Paths by the rules of both systems; refusals by those of Windows, the
// strictest.
TEST_P(ListedPathTest, StaysInsideTheFolder) {
    const ListedPath result = ResolveListedPath(GetParam().name, PathSystem::kWindows);
    if (GetParam().error.empty()) {
        const ListedPath posix = ResolveListedPath(GetParam().name, PathSystem::kPosix);
        ASSERT_TRUE(posix.ok) << posix.error;
        EXPECT_EQ(JoinListedPath(posix.components, '/'), GetParam().path);
        ASSERT_TRUE(result.ok) << result.error;
        EXPECT_EQ(JoinListedPath(result.components, '/'),
                  GetParam().windowsPath.empty() ? GetParam().path : GetParam().windowsPath);
    } else {
        ASSERT_FALSE(result.ok) << JoinListedPath(result.components, '/');
        EXPECT_NE(result.error.find(GetParam().error), std::string::npos) << result.error;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, ListedPathTest,
    ::testing::Values(Path("a.txt", "a.txt"), Path("dir\\sub/x.bin", "dir/sub/x.bin"),
                      Path("./a//b/./c\\\\", "a/b/c"), Path("a/../b", "b"),
                      Path("a/b/../../c", "c"), Path("..a/b..", "..a/b..", "..a/b"),
                      Path(" a b/ c ", " a b/ c ", " a b/ c"),
                      Path("CONSOLE.txt/COM10/nul-x", "CONSOLE.txt/COM10/nul-x"),
                      Refused("", "empty"), Refused("/etc/passwd", "absolute"),
                      Refused("\\x", "absolute"), Refused("\\\\server\\share\\x", "absolute"),
                      Refused("//server/share/x", "absolute"), Refused("C:x", "drive"),
                      Refused("c:\\x", "drive"), Refused("..\\x", "out of the folder"),
                      Refused("a/../../x", "out of the folder"), Refused("a/..", "no file name"),
                      Refused(".", "no file name"), Refused("a.txt:hidden", "data stream"),
                      Refused("dir/b:c", "data stream"), Refused("...", "only dots and blanks"),
                      Refused("a/. ./x", "only dots and blanks"), Refused("con", "device"),
                      Refused("dir/NUL.txt", "device"), Refused("lpt1 .log", "device"),
                      Refused("CONIN$", "device"), Refused("a\x01b", "control byte"),
                      Refused("COM\xC2\xB9", "device"), Refused("lpt\xC2\xB3.txt", "device")));

// What only Windows cannot hold is an ordinary name elsewhere; what Windows
// cannot hold is reported by line, what is unsafe there refuses the list.
TEST(ListedPath, RefusesOnlyWhatIsUnsafeWhereItIsRead) {
    const struct {
        const char* name;
        bool posixOk;
        bool windowsCannotHold;  // else refused there
    } cases[] = {
        {"aux.c", true, true},       {"dir/nul.txt", true, true}, {"cur/1:2,S", true, true},
        {"COM\xC2\xB2", true, true}, {"...", true, true},         {"a/ ./b", true, true},
        {" /l.sfv", true, true},     {"C:x", false, false},       {"a/../../x", false, false}};
    // Win32 drops the dots and blanks a component ends in; POSIX keeps them.
    EXPECT_EQ(
        JoinListedPath(ResolveListedPath("sub. /b.txt.", PathSystem::kWindows).components, '/'),
        "sub/b.txt");
    EXPECT_EQ(JoinListedPath(ResolveListedPath("sub. /b.txt.", PathSystem::kPosix).components, '/'),
              "sub. /b.txt.");
    // Names from sum lists: a LF or tab is part of the name where it can be.
    EXPECT_EQ(ResolveListedPath("d/a\nb\t", PathSystem::kPosix, ControlBytes::kInNames).components,
              (std::vector<std::string_view>{"d", "a\nb\t"}));
    EXPECT_TRUE(
        ResolveListedPath("a\nb", PathSystem::kWindows, ControlBytes::kInNames).cannotBeHeld);
    EXPECT_FALSE(ResolveListedPath("a\0b"s, PathSystem::kPosix, ControlBytes::kInNames).ok);
    for (const auto& c : cases) {
        EXPECT_EQ(ResolveListedPath(c.name, PathSystem::kPosix).ok, c.posixOk) << c.name;
        const ListedPath windows = ResolveListedPath(c.name, PathSystem::kWindows);
        EXPECT_FALSE(windows.ok) << c.name;
        EXPECT_EQ(windows.cannotBeHeld, c.windowsCannotHold) << c.name;
    }
}

// Names are kept in blocks: many short ones, and one longer than a block,
// fed in pieces that cut lines anywhere, all read back after the result has
// been moved.
TEST(SfvStreamReader, KeepsEveryNameThroughPiecesAndMoves) {
    std::vector<std::string> names;
    std::string text;
    for (std::size_t i = 0; i < 20000; ++i) {
        names.push_back(i == 7000 ? std::string(100000, 'L')
                                  : "dir/" + std::string(i % 40, 'x') + std::to_string(i));
        text += SfvEntryLine(names.back(), static_cast<std::uint32_t>(i)) + "\r\n";
    }
    SfvStreamReader reader;
    for (std::size_t at = 0; at < text.size(); at += 4093) {
        ASSERT_TRUE(reader.Add(std::string_view(text).substr(at, 4093)));
    }
    SfvReadResult read = reader.Finish();
    const SfvReadResult moved = std::move(read);
    ASSERT_TRUE(moved.ok) << moved.error;
    ASSERT_EQ(moved.entries.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        ASSERT_EQ(moved.entries[i].name, names[i]) << i;
        ASSERT_EQ(moved.entries[i].line, i + 1);
    }
}

TEST(SfvWriter, WrittenEntriesReadBack) {
    const std::vector<std::pair<std::string, std::uint32_t>> files = {
        {"abc.txt", 0x352441C2},
        {"name with  blanks", 0},
        {"trailing\tand  tab\t.", 0xFFFFFFFF},
        {"a;b 12345678", 0xA},
        {"\xC3\xA4/x.bin", 0xCBF43926}};
    std::string text;
    for (const std::string& line : SfvHeaderLines("sumbrook-cli", "1.0", {2026, 12, 6, 1, 19, 4})) {
        text += line + std::string(kSfvLineEnd);
    }
    EXPECT_EQ(text.substr(0, text.find(kSfvLineEnd)),
              "; Generated by sumbrook-cli 1.0 on 2026-12-06 at 01:19:04");
    for (const auto& [name, crc] : files) {
        EXPECT_EQ(SfvNameFault(name), "");
        text += SfvEntryLine(name, crc) + std::string(kSfvLineEnd);
    }
    EXPECT_EQ(SfvEntryLine("a", 0xA), "a 0000000A");

    const SfvReadResult result = ParseSfv(text);
    ASSERT_TRUE(result.ok) << "line " << result.line << ": " << result.error;
    ASSERT_EQ(result.entries.size(), files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(result.entries[i].name, files[i].first);
        EXPECT_EQ(result.entries[i].crc, files[i].second);
    }
    for (const std::string& name :
         std::vector<std::string>{"", ";x", "#x", " x", "\tx", "\xEF\xBB\xBFx", "x ", "x\t", "a\nb",
                                  std::string(kMaxSfvLineLength, 'n')}) {
        EXPECT_NE(SfvNameFault(name), "") << name.substr(0, 8);
    }
}

}  // namespace
}  // namespace sumbrook
