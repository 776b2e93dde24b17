// The file writer's answer to a request to end the process while the new
// content waits in its temporary file: the write fails as interrupted, the
// temporary file goes, the old file stays, and the signal's earlier action
// is back afterwards. A request that comes after the file took its place is
// the signal's again.
#include <dirent.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/ReplacingFileWriter.h"

#include "PosixTestFiles.h"

namespace sumbrook {
namespace {

using test::TempDirectory;

std::string Content(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::size_t EntriesIn(const std::string& folder) {
    std::size_t count = 0;
    DIR* dir = opendir(folder.c_str());
    while (dir != nullptr && readdir(dir) != nullptr) ++count;
    if (dir != nullptr) closedir(dir);
    return count - 2;  // "." and ".."
}

// The writer takes only signals whose action is the default; a test run
// in the background of a shell may start with SIGINT ignored.
class EndRequest : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override { std::signal(GetParam(), SIG_DFL); }
};

TEST_P(EndRequest, DuringTheWriteFailsItAndRemovesTheTemporaryFile) {
    const int signal = GetParam();
    TempDirectory dir;
    const std::string target = dir.Write("list.sfv", "old list\n");
    {
        ReplacingFileWriter writer(target);
        ASSERT_TRUE(writer.Write("first part\n")) << writer.Error();
        ASSERT_EQ(EntriesIn(dir.Path()), 2U);  // the list and the temporary file
        raise(signal);
        EXPECT_FALSE(writer.Write("second part\n"));
        EXPECT_FALSE(writer.Commit());
        EXPECT_EQ(writer.Error(), std::string("interrupted by SIG") + sigabbrev_np(signal));
        EXPECT_TRUE(writer.ReplacesAFile());
    }
    EXPECT_EQ(Content(target), "old list\n");
    EXPECT_EQ(EntriesIn(dir.Path()), 1U);
    struct sigaction now {};
    sigaction(signal, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL);
}

TEST_P(EndRequest, AfterTheFileTookItsPlaceEndsTheProcess) {
    TempDirectory dir;
    const std::string target = dir / "list.sfv";
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        {
            ReplacingFileWriter writer(target);
            const bool committed = writer.Write("new list\n") && writer.Commit();
            raise(GetParam());  // after the last look: the writer raises it again as it ends
            if (!committed) _exit(3);
        }
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == GetParam()) << status;
    EXPECT_EQ(Content(target), "new list\n");
}

INSTANTIATE_TEST_SUITE_P(Signals, EndRequest, ::testing::Values(SIGINT, SIGTERM, SIGHUP),
                         [](const ::testing::TestParamInfo<int>& paramInfo) {
                             return std::string(sigabbrev_np(paramInfo.param));
                         });

}  // namespace
}  // namespace sumbrook
