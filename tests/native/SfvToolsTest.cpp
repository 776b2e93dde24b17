// The SFV reader and writer against the SFV tools of the system (cksfv,
// rhash; installed by cmake/setup-debian.sh): we read the lists they write,
// and they check the lists we write.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "crc/Crc32.h"
#include "lists/ListText.h"
#include "lists/SfvReader.h"
#include "lists/SfvWriter.h"

namespace sumbrook {
namespace {

struct SfvTool {
    const char* listCommand;   // lists the files named after it
    const char* checkCommand;  // checks the list named after it, exit code 0 when all match
};

void PrintTo(const SfvTool& tool, std::ostream* out) {
    *out << tool.listCommand;
}

const std::vector<std::pair<std::string, std::string>> kFiles = {
    {"abc.txt", "abc"},
    {"with  blanks.txt", "123456789"},
    {"tab\there", std::string("\0\xFF", 2)},
    {"\xC3\xA4.bin", std::string(70000, 'x')}};

// A fresh folder holding kFiles, removed afterwards.
class SfvToolTest : public ::testing::TestWithParam<SfvTool> {
  protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "sbsfv.XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        for (const auto& [name, content] : kFiles) Write(name, content);
    }
    void TearDown() override {
        if (!folder_.empty()) std::filesystem::remove_all(folder_);
    }

    void Write(const std::string& name, const std::string& content) const {
        std::ofstream(folder_ / name, std::ios::binary) << content;
    }

    // Runs `command` in the folder with a watchdog; its output and error output,
    // and its exit status in `status`.
    std::string Run(const std::string& command, int& status) const {
        const std::string line = "cd '" + folder_.string() + "' && timeout 60 " + command + " 2>&1";
        FILE* pipe = popen(line.c_str(), "r");
        if (pipe == nullptr) return {};
        std::string output;
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
            output.append(buffer, n);
        }
        status = pclose(pipe);
        return output;
    }

    std::filesystem::path folder_;
};

TEST_P(SfvToolTest, ReadsTheToolsList) {
    std::string command = GetParam().listCommand;
    for (const auto& file : kFiles) command += " '" + file.first + "'";
    int status = -1;
    const SfvReadResult result = ParseSfv(Run(command, status));
    ASSERT_EQ(status, 0) << command;
    ASSERT_TRUE(result.ok) << "line " << result.line << ": " << result.error;
    ASSERT_EQ(result.entries.size(), kFiles.size());
    for (std::size_t i = 0; i < kFiles.size(); ++i) {
        const std::string& content = kFiles[i].second;
        EXPECT_EQ(result.entries[i].name, kFiles[i].first);
        EXPECT_EQ(result.entries[i].crc, Crc32Update(0, content.data(), content.size()));
    }
}

TEST_P(SfvToolTest, ChecksOurList) {
    std::vector<std::string> lines;
    lines.reserve(kFiles.size());
    for (const auto& [name, content] : kFiles) {
        lines.push_back(SfvEntryLine(name, Crc32Update(0, content.data(), content.size())));
    }
    Write("list.sfv",
          ListText(ListFormat::kSfv, "sumbrook-cli", "1.0", {2026, 12, 6, 1, 2, 3}, lines));
    const std::string command = std::string(GetParam().checkCommand) + " list.sfv";
    int status = -1;
    const std::string output = Run(command, status);
    EXPECT_EQ(status, 0) << command << "\n" << output;
    Write("with  blanks.txt", "changed");
    Run(command, status);
    EXPECT_NE(status, 0) << "a changed file goes unnoticed: " << command;
}

INSTANTIATE_TEST_SUITE_P(Tools, SfvToolTest,
                         ::testing::Values(SfvTool{"cksfv -b", "cksfv -q -g"},
                                           SfvTool{"rhash --sfv", "rhash --skip-ok -c"}));

}  // namespace
}  // namespace sumbrook
