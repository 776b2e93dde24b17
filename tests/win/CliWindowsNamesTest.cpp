// sumbrook-cli.exe with the names only Windows treats in its own way: case
// folded outside ASCII, lists in the ANSI code page, names that Win32
// trims or takes for devices, folders where a file is expected.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "CliProcess.h"
#include "TempFolder.h"
#include "platform/WideText.h"
#include "tests/common/TestContent.h"

namespace sumbrook {
namespace {

using test::CliRun;
using test::CrcText;
using test::RunCli;

// Creates the file at the UTF-8 `path` (and its folder) with `content`.
void WriteUtf8Named(const std::string& path, const std::string& content) {
    const std::wstring wide = L"\\\\?\\" + WideFromUtf8(path);
    CreateDirectoryW(wide.substr(0, wide.rfind(L'\\')).c_str(), nullptr);
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
}

void Replace(std::string& text, const std::string& what, const std::string& with) {
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at)) {
        text.replace(at, what.size(), with);
        at += with.size();
    }
}

struct NamesCase {
    const char* label;
    std::vector<std::pair<std::string, std::string>> files;  // in DIR, UTF-8 names
    std::string list;                                        // list.sfv beside DIR, bytes
    std::vector<std::string> arguments;  // {DIR}, {LONGDIR} (\\?\ form), {LIST} replaced
    DWORD exitCode;
    std::string out;  // the whole standard output (LF line ends)
    std::string err;  // a part of standard error
};

void PrintTo(const NamesCase& c, std::ostream* out) {
    *out << c.label;
}

class CliWindowsNames : public ::testing::TestWithParam<NamesCase> {};

TEST_P(CliWindowsNames, ReportsEachNameAsWindowsHoldsIt) {
    test::TempFolder scratch;
    const std::string dir = scratch / "dir";
    CreateDirectoryA(dir.c_str(), nullptr);
    const std::string inDir = dir + "\\";
    for (const auto& [name, content] : GetParam().files) WriteUtf8Named(inDir + name, content);
    const std::string list = scratch / "list.sfv";
    test::WriteWholeFile(list, GetParam().list);
    std::vector<std::string> arguments = GetParam().arguments;
    for (std::string& argument : arguments) {
        Replace(argument, "{LONGDIR}", "\\\\?\\" + dir);
        Replace(argument, "{DIR}", dir);
        Replace(argument, "{LIST}", list);
    }
    const CliRun run = RunCli(scratch, arguments);
    EXPECT_EQ(run.exitCode, GetParam().exitCode) << run.Err();
    EXPECT_EQ(run.Out(), GetParam().out);
    EXPECT_NE(run.Err().find(GetParam().err), std::string::npos) << run.Err();
}

const std::string kAe = "\xC3\xA4";        // ä
const std::string kAring = "\xC3\xA5";     // å
const std::string kEacute = "\xC3\xA9";    // é
const std::string kEacuteUp = "\xC3\x89";  // É
const std::string kUe = "\xC3\xBC";        // ü

INSTANTIATE_TEST_SUITE_P(
    Names, CliWindowsNames,
    ::testing::Values(
        // Case folds as the file system folds it: é is É, ä is not å.
        NamesCase{"case_outside_ascii",
                  {{"src\\" + kAe + ".txt", "x"},
                   {"dst\\" + kAring + ".txt", "x"},
                   {"src\\" + kEacute + ".txt", "e"},
                   {"dst\\" + kEacuteUp + ".txt", "e"}},
                  "",
                  {"--compare", "{DIR}\\src", "{DIR}\\dst"},
                  1,
                  "MISSING     " + kAe + ".txt\nOK          " + kEacute + ".txt\nNEW         " +
                      kAring + ".txt\n1 OK, 0 DIFFERENT, 1 MISSING, 1 NEW, 0 UNREADABLE\n",
                  ""},
        // A list in the ANSI code page (1252 here): each name is its own file.
        NamesCase{"ansi_list",
                  {{kUe + ".txt", "u"}, {kAe + ".txt", "a"}},
                  "\xFC.txt " + CrcText("u") + "\r\n\xE4.txt " + CrcText("a") + "\r\n",
                  {"--verify", "{LIST}", "{DIR}"},
                  0,
                  "OK          " + kUe + ".txt\nOK          " + kAe +
                      ".txt\n2 OK, 0 CHANGED, 0 MISSING, 0 NEW, 0 UNREADABLE, 0 DUPLICATE\n",
                  ""},
        // Win32 drops the dots and blanks a name ends in: one file, two lines,
        // whatever form the folder is given in.
        NamesCase{"trailing_dots_are_one_file",
                  {{"b.txt", "abc"}, {"sub\\a.txt", "abc"}},
                  "b.txt 352441C2\nb.txt. 352441C2\nsub. /a.txt 352441C2\n",
                  {"--verify", "{LIST}", "{LONGDIR}"},
                  1,
                  "DUPLICATE   b.txt  on lines 1 and 2\nOK          sub/a.txt\n"
                  "1 OK, 0 CHANGED, 0 MISSING, 0 NEW, 0 UNREADABLE, 1 DUPLICATE\n",
                  ""},
        // A name Windows cannot hold is reported by line; the rest is checked.
        NamesCase{"device_name_in_a_list",
                  {{"abc.txt", "abc"}},
                  "aux.c 352441C2\nabc.txt 352441C2\n",
                  {"--verify", "{LIST}", "{DIR}"},
                  2,
                  "UNREADABLE  aux.c  line 1: a name Windows cannot hold: \"aux.c\" is a device on "
                  "Windows, not a file\nOK          abc.txt\n"
                  "1 OK, 0 CHANGED, 0 MISSING, 0 NEW, 1 UNREADABLE, 0 DUPLICATE\n",
                  ""},
        NamesCase{"listed_folder",
                  {{"sub\\a.txt", "abc"}},
                  "sub 352441C2\n",
                  {"--verify", "{LIST}", "{DIR}"},
                  2,
                  "UNREADABLE  sub  not a regular file: it is a folder\n"
                  "0 OK, 0 CHANGED, 0 MISSING, 0 NEW, 1 UNREADABLE, 0 DUPLICATE\n",
                  ""},
        // A device or a folder is no list: refused at once, never waited on.
        NamesCase{"device_as_list", {}, "", {"--verify", "aux.sfv"}, 2, "", "a device, not a list"},
        NamesCase{"port_as_list", {}, "", {"--verify", "COM1"}, 2, "", "a device, not a list"},
        NamesCase{"superscript_port_as_list",
                  {},
                  "",
                  {"--verify", "{DIR}\\COM\xC2\xB9.sfv"},
                  2,
                  "",
                  "a device, not a list"},
        NamesCase{"folder_as_list", {}, "", {"--verify", "."}, 2, "", "a folder, not a list"},
        NamesCase{"nul_as_list", {}, "", {"--verify", "NUL"}, 2, "", "NUL: a device, not a list"}),
    [](const ::testing::TestParamInfo<NamesCase>& paramInfo) { return paramInfo.param.label; });

// A list that cannot be written whole is an error: Wine shows the host's
// full device as Z:\dev\full, where every write fails.
TEST(CliWrittenList, FullDeviceIsAnError) {
    test::TempFolder scratch;
    const std::string dir = scratch / "dir";
    CreateDirectoryA(dir.c_str(), nullptr);
    for (int i = 0; i < 50; ++i) test::WriteWholeFile(dir + "\\file" + std::to_string(i), "x");
    for (const char* command : {"--sfv", "--protocol"}) {
        const CliRun full = RunCli(scratch, {command, dir, "-o", "Z:\\dev\\full"});
        EXPECT_EQ(full.exitCode, 2U) << command;
        EXPECT_NE(full.Err().find("Z:\\dev\\full: cannot be written"), std::string::npos)
            << full.Err();
    }
}

}  // namespace
}  // namespace sumbrook
