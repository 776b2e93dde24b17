// The sum and tag lists of the tools themselves (coreutils, b3sum, xxhsum,
// openssl; installed by cmake/setup-debian.sh) on files with awkward names:
// we read the names they list and the digests they compute (each file's
// digest taken again from its bytes on standard input), our writer writes
// their lines byte for byte, and they check the lists we write.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "PosixTestFiles.h"
#include "lists/ListReader.h"
#include "lists/SumLine.h"

namespace sumbrook {
namespace {

struct SumTool {
    const char* listCommand;    // lists the files named after it
    const char* digestCommand;  // prints the digest of its standard input
    DigestKind kind;
    // Whose lines equal the tool's; null where none does (openssl's own).
    std::string (*writer)(std::string_view name, const Digest& digest);
    const char* checkCommand;  // checks the list named after it; exit 0 when all match
    bool escapesNewline;       // else the tool writes a LF in a name as it is
};

void PrintTo(const SumTool& tool, std::ostream* out) {
    *out << tool.listCommand;
}

const std::vector<std::pair<std::string, std::string>> kFiles = {
    {"plain.txt", "abc"}, {" lead", "x"},       {"trail ", ""},
    {"st*ar", "y"},       {"back\\slash", "z"}, {"new\nline", "n"},
    {"cr\rname", "c"},    {"a  b", "ab"},       {"\xC3\xBCn\xC3\xAF.txt", std::string(70000, 'u')},
    {"(paren) = x", "p"}};

std::string Quoted(const std::string& name) {
    std::string quoted = "'";
    for (const char c : name) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// The run of exactly `digits` hexadecimal digits in `text`.
std::string HexRun(const std::string& text, std::size_t digits) {
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t start = text.find_first_of("0123456789abcdefABCDEF", at);
        if (start == std::string::npos) break;
        std::size_t end = text.find_first_not_of("0123456789abcdefABCDEF", start);
        if (end == std::string::npos) end = text.size();
        if (end - start == digits) return text.substr(start, digits);
        at = end;
    }
    return {};
}

class SumToolTest : public ::testing::TestWithParam<SumTool> {
  protected:
    void SetUp() override {
        ASSERT_FALSE(folder_.Path().empty());
        for (const auto& [name, content] : kFiles) {
            if (Listed(name)) folder_.Write(name, content);
        }
    }

    bool Listed(const std::string& name) const {
        return GetParam().escapesNewline || name.find('\n') == std::string::npos;
    }

    // Runs `command` in the folder with a watchdog: its standard output, and
    // its exit code in `code`.
    std::string Run(const std::string& command, int& code) const {
        const std::string line = "cd '" + folder_.Path() + "' && timeout 60 " + command;
        FILE* pipe = popen(line.c_str(), "r");
        if (pipe == nullptr) return {};
        std::string output;
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
            output.append(buffer, n);
        }
        const int status = pclose(pipe);
        code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return output;
    }

    // The digest of the file named `name` as the tool computes it.
    Digest ToolDigest(const std::string& name) const {
        int code = -1;
        const std::string output = Run(
            std::string(GetParam().digestCommand) + " < " + Quoted(name) + " 2>/dev/null", code);
        const std::string hex = HexRun(output, 2 * DigestSize(GetParam().kind));
        const std::optional<Digest> digest = Digest::Parse(GetParam().kind, hex);
        EXPECT_TRUE(digest.has_value()) << GetParam().digestCommand << ": " << output;
        return digest.value_or(Digest());
    }

    test::TempDirectory folder_;
};

TEST_P(SumToolTest, ReadsTheToolsListAndWritesItsLines) {
    const SumTool& tool = GetParam();
    std::string command = tool.listCommand;
    std::vector<std::string> names;
    for (const auto& file : kFiles) {
        if (!Listed(file.first)) continue;
        names.push_back(file.first);
        command += " " + Quoted(file.first);
    }
    int code = -1;
    const std::string list = Run(command + " 2>/dev/null", code);
    ASSERT_EQ(code, 0) << command;
    ListReadResult read = ReadList(list, {"list", std::nullopt});
    ASSERT_TRUE(read.ok) << "line " << read.line << ": " << read.error << "\n" << list;
    read.SettleKind(tool.kind);
    ASSERT_EQ(read.entries.size(), names.size()) << list;
    std::string written;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const ListEntry& entry = read.entries[i];
        EXPECT_EQ(entry.name, names[i]);
        EXPECT_TRUE(entry.kindSettled);
        EXPECT_EQ(read.DigestOf(entry), ToolDigest(names[i])) << names[i];
        if (tool.writer != nullptr) written += tool.writer(entry.name, read.DigestOf(entry)) + "\n";
    }
    if (tool.writer != nullptr) {
        EXPECT_EQ(written, list);
    }
}

TEST_P(SumToolTest, ChecksOurList) {
    const SumTool& tool = GetParam();
    if (tool.checkCommand == nullptr) return;
    std::string list;
    for (const auto& file : kFiles) {
        if (Listed(file.first)) list += tool.writer(file.first, ToolDigest(file.first)) + "\n";
    }
    folder_.Write("our.list", list);
    const std::string command = std::string(tool.checkCommand) + " our.list >/dev/null 2>&1";
    int code = -1;
    Run(command, code);
    EXPECT_EQ(code, 0) << command << "\n" << list;
    folder_.Write(" lead", "changed");
    Run(command, code);
    EXPECT_NE(code, 0) << "a changed file goes unnoticed: " << command;
}

INSTANTIATE_TEST_SUITE_P(
    Tools, SumToolTest,
    ::testing::Values(
        SumTool{"sha256sum", "sha256sum", DigestKind::kSha256, SumLine, "sha256sum -c", true},
        SumTool{"md5sum -b", "md5sum", DigestKind::kMd5, nullptr, nullptr, true},
        SumTool{"md5sum", "md5sum", DigestKind::kMd5, SumLine, "md5sum -c", true},
        SumTool{"sha1sum", "sha1sum", DigestKind::kSha1, SumLine, "sha1sum -c", true},
        SumTool{"sha384sum", "sha384sum", DigestKind::kSha384, SumLine, "sha384sum -c", true},
        SumTool{"sha512sum", "sha512sum", DigestKind::kSha512, SumLine, "sha512sum -c", true},
        SumTool{"sha256sum --tag", "sha256sum", DigestKind::kSha256, TagLine, "sha256sum -c", true},
        SumTool{"cksum -a sha512", "sha512sum", DigestKind::kSha512, TagLine, "cksum -c", true},
        SumTool{"b3sum", "b3sum", DigestKind::kBlake3, SumLine, "b3sum --check", true},
        SumTool{"xxhsum -H2", "xxhsum -H2", DigestKind::kXxh128, SumLine, "xxhsum -c", false},
        SumTool{"xxhsum -H3", "xxhsum -H3", DigestKind::kXxh3, SumLine, "xxhsum -c", false},
        SumTool{"xxhsum", "xxhsum", DigestKind::kXxh64, SumLine, "xxhsum -c", false},
        SumTool{"xxhsum --tag -H2", "xxhsum -H2", DigestKind::kXxh128, TagLine, "xxhsum -c", false},
        SumTool{"openssl dgst -sha256", "sha256sum", DigestKind::kSha256, nullptr, nullptr,
                false}));

}  // namespace
}  // namespace sumbrook
