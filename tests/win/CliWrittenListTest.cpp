// sumbrook-cli.exe writing a list with -o over what is there: a read-only
// file refused and kept, a hidden one replaced and still hidden, names as
// long as a folder holds, no temporary file left; and paths that start
// with '/' taken as paths.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CliProcess.h"
#include "TempFolder.h"
#include "platform/WideText.h"

namespace sumbrook {
namespace {

using test::CliRun;
using test::RunCli;
using test::TempFolder;

struct WrittenCase {
    const char* label;
    const char* target;  // in the scratch folder; "{244}": a name of 244 characters
    const char* before;  // what the target holds first; null: nothing there
    DWORD attributes;    // the target's first attributes
    DWORD exitCode;
    const char* err;  // a part of standard error; "" when it must be empty
    bool replaced;    // the target holds the new list afterwards
};

void PrintTo(const WrittenCase& c, std::ostream* out) {
    *out << c.label;
}

std::string ListsIn(const std::string& folder, const char* pattern) {
    std::string names;
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((folder + "\\" + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        names += std::string(found.cFileName) + " ";
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

// The test's own calls name the target by its UTF-16 extended-length form,
// which has room for a name past MAX_PATH (the ANSI calls have not).
class LongPath {
  public:
    explicit LongPath(const std::string& path) : wide_(L"\\\\?\\" + WideFromUtf8(path)) {}
    bool Exists() const { return GetFileAttributesW(wide_.c_str()) != INVALID_FILE_ATTRIBUTES; }
    DWORD Attributes() const { return GetFileAttributesW(wide_.c_str()); }
    void SetAttributes(DWORD attributes) const { SetFileAttributesW(wide_.c_str(), attributes); }
    void Remove() const { DeleteFileW(wide_.c_str()); }
    void Write(const std::string& content) const {
        HANDLE file =
            CreateFileW(wide_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
        CloseHandle(file);
    }
    std::string Read() const {
        HANDLE file = CreateFileW(wide_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        std::string content;
        char block[4096];
        DWORD got = 0;
        while (ReadFile(file, block, sizeof block, &got, nullptr) && got > 0) {
            content.append(block, got);
        }
        CloseHandle(file);
        return content;
    }

  private:
    std::wstring wide_;
};

class CliWrittenList : public ::testing::TestWithParam<WrittenCase> {};

TEST_P(CliWrittenList, ReplacesWholeOrRefusesAndKeeps) {
    const WrittenCase& c = GetParam();
    TempFolder scratch;
    const std::string dir = scratch.MakeFolder("dir");
    test::WriteWholeFile(dir + "\\a.txt", "abc");
    const std::string name =
        std::string(c.target) == "{244}" ? std::string(240, 'n') + ".sfv" : std::string(c.target);
    const std::string target = scratch / name;
    const LongPath local(target);
    if (c.before != nullptr) {
        local.Write(c.before);
        local.SetAttributes(c.attributes);
    }

    const CliRun run = RunCli(scratch, {"--sfv", dir, "-o", target});
    EXPECT_EQ(run.exitCode, c.exitCode) << run.Err();
    if (*c.err == '\0') {
        EXPECT_EQ(run.Err(), "");
    } else {
        EXPECT_NE(run.Err().find(c.err), std::string::npos) << run.Err();
    }
    const std::string after = local.Exists() ? local.Read() : "";
    if (c.replaced) {
        EXPECT_NE(after.find("\r\na.txt 352441C2\r\n"), std::string::npos) << after;
    } else {
        EXPECT_EQ(after, c.before == nullptr ? "" : c.before);
    }
    if (c.before == nullptr) {
        EXPECT_EQ(run.Err().find("what was there"), std::string::npos) << run.Err();
    } else {
        EXPECT_EQ(local.Attributes() & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
                  c.attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
        local.SetAttributes(FILE_ATTRIBUTE_NORMAL);
    }
    EXPECT_EQ(ListsIn(scratch.Path(), "*.tmp"), "");
    local.Remove();
}

INSTANTIATE_TEST_SUITE_P(
    Targets, CliWrittenList,
    ::testing::Values(
        WrittenCase{"read_only", "list.sfv", "old list", FILE_ATTRIBUTE_READONLY, 2,
                    "list.sfv: cannot be written: the file is read-only; what was there is left "
                    "as it was",
                    false},
        WrittenCase{"hidden", "list.sfv", "old list", FILE_ATTRIBUTE_HIDDEN, 0, "", true},
        WrittenCase{"name_of_244_characters", "{244}", nullptr, 0, 0, "", true},
        WrittenCase{"folder_not_there", "none\\list.sfv", nullptr, 0, 2,
                    "cannot be written: ", false}),
    [](const ::testing::TestParamInfo<WrittenCase>& paramInfo) { return paramInfo.param.label; });

// "/folder/file" is a path of the current drive, never an option.
TEST(CliPaths, PathStartingWithSlashIsAPath) {
    TempFolder scratch;
    const std::string file = scratch.Write("abc.txt", "abc");
    std::string slashed = file.substr(2);  // without "C:"
    for (char& c : slashed) {
        if (c == '\\') c = '/';
    }
    char earlier[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, earlier);
    ASSERT_TRUE(SetCurrentDirectoryA(scratch.Path().c_str()));
    const CliRun run = RunCli(scratch, {slashed});
    SetCurrentDirectoryA(earlier);
    EXPECT_EQ(run.exitCode, 0U) << run.Err();
    EXPECT_EQ(run.Out(), "352441C2  " + slashed + "\n");
}

}  // namespace
}  // namespace sumbrook
