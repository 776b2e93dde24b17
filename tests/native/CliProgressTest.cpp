#include "cli/Progress.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

namespace sumbrook {
namespace {

// What has been written to `stream` so far.
std::string Written(std::FILE* stream) {
    std::fflush(stream);
    const long end = std::ftell(stream);
    std::string text(static_cast<std::size_t>(end), '\0');
    std::rewind(stream);
    const std::size_t got = std::fread(text.data(), 1, text.size(), stream);
    text.resize(got);
    std::fseek(stream, 0, SEEK_END);
    return text;
}

TEST(Progress, QuietDuringTheFirstSecondThenFilesAndRateThenErased) {
    std::FILE* stream = std::tmpfile();
    ASSERT_NE(stream, nullptr);
    {
        Progress progress(stream, true, 3);
        progress.FileDone(1000);
        progress.Tick();
        EXPECT_EQ(Written(stream), "");
        std::this_thread::sleep_for(std::chrono::milliseconds(1100));
        progress.FileDone(1000);
        const std::string line = Written(stream);
        EXPECT_EQ(line.rfind("\r2/3 files, ", 0), 0U) << line;
        EXPECT_NE(line.find(" MB/s"), std::string::npos) << line;
        progress.Erase();
        const std::string erased = Written(stream).substr(line.size());
        EXPECT_EQ(erased, "\r" + std::string(line.size() - 1, ' ') + "\r");
        progress.Erase();  // nothing drawn, nothing to take away
        EXPECT_EQ(Written(stream).size(), line.size() + erased.size());
    }
    std::fclose(stream);
}

TEST(Progress, DisabledWritesNothingEver) {
    std::FILE* stream = std::tmpfile();
    ASSERT_NE(stream, nullptr);
    {
        Progress progress(stream, false, 2);
        std::this_thread::sleep_for(std::chrono::milliseconds(1100));
        progress.FileDone(5);
        progress.Tick();
        progress.Erase();
    }
    EXPECT_EQ(Written(stream), "");
    std::fclose(stream);
}

}  // namespace
}  // namespace sumbrook
