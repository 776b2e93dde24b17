// sumbrook-cli.exe with the names only Windows treats in its own way: case
// folded outside ASCII but not outside the Basic Multilingual Plane, names
// that differ only in case where the file system holds both, lists in the
// ANSI code page, names that Win32 trims or takes for devices, folders
// where a file is expected, folders in the extended-length form.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "CliProcess.h"
#include "TempFolder.h"
#include "platform/WideText.h"
#include "tests/common/TestContent.h"

// What the summary of a CRC-32 list (SFV, protocol) whose files matched ends
// with: such a match tells damage, not a file made to match.
#define CRC_MATCH_NOTE                                                                          \
    "; CRC-32 matches detect damage, not a file changed on purpose (a SHA-256 list tells that " \
    "too)"

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

// The bytes of `text` as a shell's printf format: every byte in octal.
std::string Octal(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        escaped += '\\';
        for (const int shift : {6, 3, 0}) escaped += static_cast<char>('0' + ((byte >> shift) & 7));
    }
    return escaped;
}

// Creates `files` (UTF-8 names, '/' between folders) in the folder `folder`
// through the host's own file system, where Wine shows it: names that the
// Win32 calls cannot make there (two that differ only in case, a folder
// " "). False where no host is to be had (Windows itself).
bool WriteOnHost(const test::TempFolder& scratch, const std::string& folder,
                 const std::vector<std::pair<std::string, std::string>>& files) {
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    if (unixName == nullptr) return false;
    const auto hostPath = [&](const std::string& path) {
        const std::wstring wide = WideFromUtf8(path);
        char* name = unixName(wide.c_str());
        std::string host = name == nullptr ? std::string() : name;
        HeapFree(GetProcessHeap(), 0, name);
        return host;
    };
    std::string script = "cd \"" + hostPath(folder) + "\" || exit 1\n";
    for (const auto& [name, content] : files) {
        script += "f=\"$(printf '" + Octal(name) +
                  "')\"; mkdir -p \"$(dirname \"$f\")\"; printf '" + Octal(content) + "' >\"$f\"\n";
    }
    const std::string done = scratch / "written";
    script += "touch \"" + hostPath(scratch.Path()) + "/written\"\n";
    const std::string scriptPath = scratch.Write("write.sh", script);
    std::wstring command = L"Z:\\bin\\sh \"" + WideFromUtf8(hostPath(scriptPath)) + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return false;
    }
    WaitForSingleObject(process.hProcess, 30000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    // Wine may hand the host's process over without waiting for it.
    for (int wait = 0; wait < 300 && !test::FileExists(done); ++wait) Sleep(100);
    return test::FileExists(done);
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
    // In DIR, made on the host's file system ('/' between folders): names
    // the Win32 calls cannot make side by side.
    std::vector<std::pair<std::string, std::string>> hostFiles = {};
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
    if (!GetParam().hostFiles.empty() && !WriteOnHost(scratch, dir, GetParam().hostFiles)) {
        GTEST_SKIP() << "no host file system under this one to make the files on";
    }
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
// Deseret, outside the Basic Multilingual Plane: 𐐨 (U+10428) and its
// capital 𐐀 (U+10400), which the file system keeps apart.
const std::string kDeseretLower = "\xF0\x90\x90\xA8";
const std::string kDeseretUpper = "\xF0\x90\x90\x80";
const std::string kSummaryOf2New =
    "2 OK, 0 CHANGED, 0 MISSING, 2 NEW, 0 UNREADABLE, 0 DUPLICATE" CRC_MATCH_NOTE "\n";

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
        NamesCase{
            "ansi_list",
            {{kUe + ".txt", "u"}, {kAe + ".txt", "a"}},
            "\xFC.txt " + CrcText("u") + "\r\n\xE4.txt " + CrcText("a") + "\r\n",
            {"--verify", "{LIST}", "{DIR}"},
            0,
            "OK          " + kUe + ".txt\nOK          " + kAe +
                ".txt\n2 OK, 0 CHANGED, 0 MISSING, 0 NEW, 0 UNREADABLE, 0 DUPLICATE" CRC_MATCH_NOTE
                "\n",
            ""},
        // Win32 drops the dots and blanks a name ends in: one file, two lines,
        // whatever form the folder is given in.
        NamesCase{"trailing_dots_are_one_file",
                  {{"b.txt", "abc"}, {"sub\\a.txt", "abc"}},
                  "b.txt 352441C2\nb.txt. 352441C2\nsub. /a.txt 352441C2\n",
                  {"--verify", "{LIST}", "{LONGDIR}"},
                  1,
                  "DUPLICATE   b.txt  on lines 1 and 2\nOK          sub/a.txt\n"
                  "1 OK, 0 CHANGED, 0 MISSING, 0 NEW, 0 UNREADABLE, 1 DUPLICATE" CRC_MATCH_NOTE
                  "\n",
                  ""},
        // A name Windows cannot hold is reported by line; the rest is checked.
        NamesCase{"device_name_in_a_list",
                  {{"abc.txt", "abc"}},
                  "aux.c 352441C2\nabc.txt 352441C2\n",
                  {"--verify", "{LIST}", "{DIR}"},
                  2,
                  "UNREADABLE  aux.c  line 1: a name Windows cannot hold: \"aux.c\" is a device on "
                  "Windows, not a file\nOK          abc.txt\n"
                  "1 OK, 0 CHANGED, 0 MISSING, 0 NEW, 1 UNREADABLE, 0 DUPLICATE" CRC_MATCH_NOTE
                  "\n",
                  ""},
        NamesCase{"listed_folder",
                  {{"sub\\a.txt", "abc"}},
                  "sub 352441C2\n",
                  {"--verify", "{LIST}", "{DIR}"},
                  2,
                  "UNREADABLE  sub  not a regular file: it is a folder\n"
                  "0 OK, 0 CHANGED, 0 MISSING, 0 NEW, 1 UNREADABLE, 0 DUPLICATE\n",
                  ""},
        // DIR in the extended-length form with a trailing backslash: the
        // same results as any other form, for every command.
        NamesCase{
            "long_dir_with_trailing_backslash",
            {{"Case.txt", "abc"}, {"sub\\b.txt", "abc"}, {"new.txt", "n"}},
            "Case.txt 352441C2\nsub/b.txt 352441C2\n",
            {"--verify", "{LIST}", "{LONGDIR}\\"},
            1,
            "OK          Case.txt\nOK          sub/b.txt\nNEW         new.txt  " + CrcText("n") +
                "\n2 OK, 0 CHANGED, 0 MISSING, 1 NEW, 0 UNREADABLE, 0 DUPLICATE" CRC_MATCH_NOTE
                "\n",
            ""},
        NamesCase{"long_dir_holding_its_list",
                  {{"a.txt", "abc"}, {"l.sfv", "a.txt 352441C2\n"}},
                  "",
                  {"--verify", "{LONGDIR}\\l.sfv", "{LONGDIR}\\"},
                  0,
                  "OK          a.txt\n1 OK, 0 CHANGED, 0 MISSING, 0 NEW, 0 UNREADABLE, 0 "
                  "DUPLICATE" CRC_MATCH_NOTE "\n",
                  ""},
        NamesCase{"long_dirs_compared",
                  {{"src\\Case.txt", "abc"}, {"dst\\Case.txt", "abc"}},
                  "",
                  {"--compare", "{LONGDIR}\\src\\", "{LONGDIR}\\dst\\", "-r"},
                  0,
                  "OK          Case.txt\n1 OK, 0 DIFFERENT, 0 MISSING, 0 NEW, 0 UNREADABLE\n",
                  ""},
        NamesCase{"long_dir_listed",
                  {{"Case.txt", "abc"}, {"sub\\b.txt", "abc"}},
                  "",
                  {"--sfv", "{LONGDIR}\\", "-r", "-o", "{LIST}"},
                  0,
                  "",
                  ""},
        NamesCase{"long_dir_in_a_protocol",
                  {{"Case.txt", "abc"}},
                  "",
                  {"--protocol", "{LONGDIR}\\", "-o", "{LIST}"},
                  0,
                  "",
                  ""},
        // Names that differ only in case, where the file system holds both:
        // each name its own file, listed or NEW, in a list and in a copy.
        NamesCase{"case_pairs_listed",
                  {},
                  "A.txt " + CrcText("A") + "\na.txt " + CrcText("a") + "\n",
                  {"--verify", "{LIST}", "{DIR}"},
                  1,
                  "OK          A.txt\nOK          a.txt\nNEW         B.txt  " + CrcText("B") +
                      "\nNEW         b.txt  " + CrcText("b") + "\n" + kSummaryOf2New,
                  "",
                  {{"A.txt", "A"}, {"a.txt", "a"}, {"B.txt", "B"}, {"b.txt", "b"}}},
        NamesCase{"case_pairs_compared",
                  {},
                  "",
                  {"--compare", "{DIR}\\src", "{DIR}\\dst"},
                  0,
                  "OK          A.txt\nOK          a.txt\n"
                  "2 OK, 0 DIFFERENT, 0 MISSING, 0 NEW, 0 UNREADABLE\n",
                  "",
                  {{"src/A.txt", "A"}, {"src/a.txt", "a"}, {"dst/A.txt", "A"}, {"dst/a.txt", "a"}}},
        // Case folds only inside the Basic Multilingual Plane, as the file
        // system's upcase table: 𐐨 and 𐐀 are two names.
        NamesCase{"case_outside_the_basic_plane_listed",
                  {},
                  kDeseretLower + ".txt " + CrcText("x") + "\n",
                  {"--verify", "{LIST}", "{DIR}"},
                  1,
                  "MISSING     " + kDeseretLower + ".txt\nNEW         " + kDeseretUpper + ".txt  " +
                      CrcText("x") +
                      "\n0 OK, 0 CHANGED, 1 MISSING, 1 NEW, 0 UNREADABLE, 0 DUPLICATE\n",
                  "",
                  {{kDeseretUpper + ".txt", "x"}}},
        NamesCase{"case_outside_the_basic_plane_compared",
                  {},
                  "",
                  {"--compare", "{DIR}\\src", "{DIR}\\dst"},
                  1,
                  "MISSING     " + kDeseretLower + ".txt\nNEW         " + kDeseretUpper +
                      ".txt\n0 OK, 0 DIFFERENT, 1 MISSING, 1 NEW, 0 UNREADABLE\n",
                  "",
                  {{"src/" + kDeseretLower + ".txt", "x"}, {"dst/" + kDeseretUpper + ".txt", "x"}}},
        // A folder " " (a list written elsewhere) is a name Windows cannot
        // hold: its line is UNREADABLE on its own and the rest is checked;
        // the tree never enters it, which Win32 would take for its parent.
        NamesCase{"blank_folder_in_a_list",
                  {{"a.txt", "abc"}},
                  "a.txt 352441C2\n /b.txt 352441C2\n",
                  {"--verify", "{LIST}", "{DIR}"},
                  2,
                  "OK          a.txt\nUNREADABLE   /b.txt  line 2: a name Windows cannot hold: "
                  "\" \" is only dots and blanks, which Windows reads as \".\" or \"..\"\n"
                  "1 OK, 0 CHANGED, 0 MISSING, 0 NEW, 1 UNREADABLE, 0 DUPLICATE" CRC_MATCH_NOTE
                  "\n",
                  ""},
        NamesCase{"blank_folder_in_a_tree",
                  {},
                  "a.txt 352441C2\n",
                  {"--verify", "{LIST}", "{DIR}", "-r"},
                  0,
                  "OK          a.txt\n1 OK, 0 CHANGED, 0 MISSING, 0 NEW, 0 UNREADABLE, 0 "
                  "DUPLICATE" CRC_MATCH_NOTE "\n",
                  "",
                  {{"a.txt", "abc"}, {" /x.txt", "x"}}},
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

// Whatever form the folder is given in, the lists written of it are the
// same (but for the time in their first lines).
TEST(CliDirectoryForms, EveryFormGivesTheSameLists) {
    test::TempFolder scratch;
    const std::string dir = scratch.MakeFolder("dir");
    scratch.MakeFolder("dir\\sub");
    scratch.Write("dir\\Case.txt", "abc");
    scratch.Write("dir\\sub\\b.txt", "b");
    const auto withoutFirstLine = [](const std::string& text) {
        return text.substr(text.find('\n') + 1);
    };
    std::string firstSfv;
    std::string firstProtocol;
    for (const std::string& form : {dir, dir + "\\", "\\\\?\\" + dir, "\\\\?\\" + dir + "\\"}) {
        const std::string sfv = scratch / "list.sfv";
        const std::string protocol = scratch / "protocol.txt";
        EXPECT_EQ(RunCli(scratch, {"--sfv", form, "-r", "-o", sfv}).exitCode, 0U) << form;
        EXPECT_EQ(RunCli(scratch, {"--protocol", form, "-o", protocol}).exitCode, 0U) << form;
        const std::string sfvLines = withoutFirstLine(test::ReadWholeFile(sfv));
        const std::string protocolLines = withoutFirstLine(test::ReadWholeFile(protocol));
        if (firstSfv.empty()) {
            firstSfv = sfvLines;
            firstProtocol = protocolLines;
            EXPECT_NE(firstSfv.find("sub/b.txt"), std::string::npos) << firstSfv;
            EXPECT_EQ(firstProtocol.rfind("Directory " + dir + "\r\n", 0), 0U) << firstProtocol;
        }
        EXPECT_EQ(sfvLines, firstSfv) << form;
        EXPECT_EQ(protocolLines, firstProtocol) << form;
    }
}

// Another name of the list (a hard link: the same file ID) is the list
// itself: left out, never read, named once.
TEST(CliListItself, AnotherNameOfTheListIsLeftOutAndNamedOnce) {
    test::TempFolder scratch;
    scratch.MakeFolder("dir");
    const std::string list = scratch.Write("dir\\l.sfv", "a.txt 352441C2\n");
    scratch.Write("dir\\a.txt", "abc");
    ASSERT_TRUE(CreateHardLinkW(WideFromUtf8(scratch / "dir\\hard.sfv").c_str(),
                                WideFromUtf8(list).c_str(), nullptr));
    const CliRun run = RunCli(scratch, {"--verify", list});
    EXPECT_EQ(run.exitCode, 0U) << run.Err();
    EXPECT_EQ(run.Out(),
              "OK          a.txt\n1 OK, 0 CHANGED, 0 MISSING, 0 NEW, 0 UNREADABLE, 0 "
              "DUPLICATE" CRC_MATCH_NOTE "\n");
    EXPECT_EQ(run.Err(),
              "sumbrook-cli: hard.sfv is " + list + " itself (the same file); it is not checked\n");
}

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
