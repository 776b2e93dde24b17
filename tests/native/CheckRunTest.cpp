// The checking library's runs on real folders: the rows a sink receives,
// Cancel in the middle of a large file, progress within it, "check again"
// and the cap on reading threads.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "crc/Crc32.h"
#include "files/ChecksumInOrder.h"
#include "files/FileChecksumParts.h"
#include "verify/CheckRun.h"
#include "verify/ListOfFolder.h"
#include "verify/ReportText.h"

#include "PosixTestFiles.h"

namespace sumbrook {
namespace {

using test::CrcText;
using test::RandomBytes;
using test::TempDirectory;
using Clock = std::chrono::steady_clock;

constexpr std::uint64_t kGiB = 1ULL << 30;

// Keeps everything a run hands over.
class RecordingSink : public CheckSink {
  public:
    void Planned(const CheckPlan& plan) override { plans.push_back(plan); }
    void Row(const CheckRow& row) override { lines.push_back(ReportLine(row)); }
    void Progressed(const CheckProgress& progress) override { progressed.push_back(progress); }

    std::vector<CheckPlan> plans;
    std::vector<std::string> lines;
    std::vector<CheckProgress> progressed;
};

std::string SfvLine(const std::string& name, const std::string& content) {
    return name + " " + CrcText(content) + "\n";
}

// A file of `size` bytes that holds no disk space (its bytes are zeros).
std::string SparseFile(const TempDirectory& dir, const std::string& name, std::uint64_t size) {
    std::string path = dir / name;
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(ftruncate(fd, static_cast<off_t>(size)), 0);
    close(fd);
    return path;
}

std::size_t ThreadsOfProcess() {
    std::size_t count = 0;
    DIR* tasks = opendir("/proc/self/task");
    if (tasks == nullptr) return 0;
    while (const dirent* entry = readdir(tasks)) {
        if (entry->d_name[0] != '.') ++count;
    }
    closedir(tasks);
    return count;
}

// The threads of this process once they number `expected`, or after a
// second: a thread just joined may still be listed for a moment, since the
// kernel wakes its joiner before it has taken the thread away.
std::size_t ThreadsOfProcessSettled(std::size_t expected) {
    std::size_t count = ThreadsOfProcess();
    for (int tries = 0; count != expected && tries < 100; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        count = ThreadsOfProcess();
    }
    return count;
}

enum class Run { kSfv, kCopy, kNewList };

struct SameRowsCase {
    const char* name;
    Run run;
    bool recursive;
    bool manyFolders = false;  // and 300 listed folders of a file each
};

class SameRowsTest : public ::testing::TestWithParam<SameRowsCase> {};

TEST_P(SameRowsTest, ForOneAndForFourJobs) {
    TempDirectory dir;
    ASSERT_EQ(system(("mkdir -p '" + (dir / "src/sub") + "' '" + (dir / "cp/sub") + "'").c_str()),
              0);
    std::string list;
    for (int i = 0; i < 40; ++i) {
        const std::string name = (i % 3 == 0 ? "sub/f" : "f") + std::to_string(i);
        const std::string content = RandomBytes(
            static_cast<std::size_t>(i) * 1531 + (i == 7 ? 5 << 20 : 0), static_cast<unsigned>(i));
        dir.Write("src/" + name, content);
        if (i % 5 != 0) dir.Write("cp/" + name, i % 7 == 0 ? content + "x" : content);
        if (i % 4 != 0) list += SfvLine(name, i % 6 == 0 ? "other" : content);
    }
    list += SfvLine("f1", "again") + SfvLine("gone", "");
    // More folders than are listed one by one and then in a batch at once:
    // some gone, a file or a link where a folder was, some with a NEW file.
    if (GetParam().manyFolders) {
        const auto folderOf = [](int i) { return "d" + std::to_string(i); };
        std::string made = "cd '" + (dir / "src") + "' && ln -s d41 d40 && mkdir";
        for (int i = 0; i < 300; ++i) {
            if (i % 11 != 0 && i != 40 && i != 290) made += " " + folderOf(i);
        }
        ASSERT_EQ(system(made.c_str()), 0);
        for (int i = 0; i < 300; ++i) {
            const std::string content = RandomBytes(100, static_cast<unsigned>(i));
            list += SfvLine(folderOf(i) + "/f", content);
            if (i % 11 == 0 || i == 40) continue;
            dir.Write("src/" + folderOf(i) + (i == 290 ? "" : "/f"), content);
            if (i % 7 == 0) dir.Write("src/" + folderOf(i) + "/new", content);
        }
    }
    dir.Write("src/list.sfv", list);

    std::vector<std::vector<std::string>> results;
    for (const unsigned jobs : {1U, 4U}) {
        CheckOptions options;
        options.jobs = jobs;
        options.recursive = GetParam().recursive;
        RecordingSink sink;
        switch (GetParam().run) {
            case Run::kSfv:
                EXPECT_EQ(VerifyList(dir / "src/list.sfv", "", options, sink).end,
                          CheckOutcome::End::kDone);
                break;
            case Run::kCopy:
                EXPECT_EQ(CompareCopy(dir / "src", dir / "cp", options, sink).end,
                          CheckOutcome::End::kDone);
                break;
            case Run::kNewList: {
                std::vector<std::string> lines;
                EXPECT_EQ(MakeList(dir / "src", {}, options, sink, ListFormat::kSfv, lines).end,
                          CheckOutcome::End::kDone);
                sink.lines.insert(sink.lines.end(), lines.begin(), lines.end());
                break;
            }
        }
        ASSERT_EQ(sink.plans.size(), 1U);
        EXPECT_GT(sink.lines.size(), 20U);
        results.push_back(sink.lines);
    }
    EXPECT_EQ(results[0], results[1]);
}

INSTANTIATE_TEST_SUITE_P(Runs, SameRowsTest,
                         ::testing::Values(SameRowsCase{"SfvList", Run::kSfv, false},
                                           SameRowsCase{"SfvFolders", Run::kSfv, false, true},
                                           SameRowsCase{"SfvTree", Run::kSfv, true},
                                           SameRowsCase{"CopyTree", Run::kCopy, true},
                                           SameRowsCase{"NewList", Run::kNewList, true}),
                         [](const auto& paramInfo) { return std::string(paramInfo.param.name); });

// The flag set as a step before reading starts (or at the first row of a
// list of missing files) ends the run there, cancelled, before the plan.
struct StepCancelCase {
    const char* name;
    Run run;
    CheckStep step;   // the flag is set when this step starts
    bool atFirstRow;  // instead: when the first row arrives
};

class StepCancelTest : public ::testing::TestWithParam<StepCancelCase> {};

TEST_P(StepCancelTest, EndsTheRunAtThatStep) {
    TempDirectory dir;
    std::string folders;
    for (int folder = 0; folder < 20; ++folder) {
        folders += " '" + (dir / ("src/d" + std::to_string(folder))) + "'";
    }
    ASSERT_EQ(system(("mkdir -p" + folders + " '" + (dir / "cp") + "'").c_str()), 0);
    for (int folder = 0; folder < 20; ++folder) {
        dir.Write("src/d" + std::to_string(folder) + "/f", "f");
    }
    // More lines than one block of reading, and than one look at the flag
    // while the rows of missing files are handed over.
    std::string list;
    for (int line = 0; line < 100000; ++line) {
        list += "gone/m" + std::to_string(line) + " 00000000\n";
    }
    dir.Write("src/list.sfv", list);

    const StepCancelCase& c = GetParam();
    class Sink : public RecordingSink {
      public:
        Sink(std::atomic<bool>& flag, const StepCancelCase& when) : flag_(flag), when_(when) {}
        void Stepped(CheckStep step, std::size_t done) override {
            (void)done;
            steps.push_back(step);
            if (!when_.atFirstRow && step == when_.step) flag_ = true;
        }
        void Row(const CheckRow& row) override {
            RecordingSink::Row(row);
            if (when_.atFirstRow) flag_ = true;
        }
        std::vector<CheckStep> steps;

      private:
        std::atomic<bool>& flag_;
        const StepCancelCase& when_;
    };
    std::atomic<bool> cancel{false};
    Sink sink(cancel, c);
    CheckOptions options;
    options.recursive = true;
    options.cancel = &cancel;
    CheckOutcome outcome;
    std::vector<std::string> lines;
    switch (c.run) {
        case Run::kSfv:
            outcome = VerifyList(dir / "src/list.sfv", "", options, sink);
            break;
        case Run::kCopy:
            outcome = CompareCopy(dir / "src", dir / "cp", options, sink);
            break;
        case Run::kNewList:
            outcome = MakeList(dir / "src", {}, options, sink, ListFormat::kSfv, lines);
            break;
    }
    EXPECT_EQ(outcome.end, CheckOutcome::End::kCancelled);
    EXPECT_NE(std::find(sink.steps.begin(), sink.steps.end(), c.step), sink.steps.end());
    if (c.atFirstRow) {
        EXPECT_LT(sink.lines.size(), 100000U);
    } else {
        EXPECT_TRUE(sink.plans.empty());
        EXPECT_TRUE(sink.lines.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Steps, StepCancelTest,
    ::testing::Values(
        StepCancelCase{"ReadingTheList", Run::kSfv, CheckStep::kReadingList, false},
        StepCancelCase{"PlanningTheList", Run::kSfv, CheckStep::kPlanning, false},
        StepCancelCase{"ListingTheFolder", Run::kSfv, CheckStep::kListingFolders, false},
        StepCancelCase{"HandingOverMissingFiles", Run::kSfv, CheckStep::kPlanning, true},
        StepCancelCase{"ListingTheCopies", Run::kCopy, CheckStep::kListingFolders, false},
        StepCancelCase{"ListingANewList", Run::kNewList, CheckStep::kListingFolders, false}),
    [](const auto& paramInfo) { return std::string(paramInfo.param.name); });

// Sets the flag from a thread of its own, `delay` after `after` is set (or
// after 10 s without it, so that a run that never gets there still ends),
// and notes when.
class Canceller {
  public:
    Canceller(std::atomic<bool>& flag, const std::atomic<bool>& after,
              std::chrono::milliseconds delay)
        : thread_([this, &flag, &after, delay] {
              const Clock::time_point watchdog = Clock::now() + std::chrono::seconds(10);
              while (!after && Clock::now() < watchdog) {
                  std::this_thread::sleep_for(std::chrono::milliseconds(1));
              }
              std::this_thread::sleep_for(delay);
              const std::lock_guard<std::mutex> lock(mutex_);
              flag = true;
              setAt_ = Clock::now();
          }) {}
    ~Canceller() {
        if (thread_.joinable()) thread_.join();
    }
    Clock::time_point SetAt() {
        thread_.join();
        thread_ = std::thread();
        return setAt_;
    }

  private:
    std::mutex mutex_;
    Clock::time_point setAt_;
    std::thread thread_;
};

struct CancelCase {
    const char* name;
    unsigned jobs;  // 4: the large file in parts
    bool uncached;
    bool fromSink;        // set while the sink takes the first row
    std::uint64_t size;   // of the large file: 4 GiB where holes are read fastest
    bool blake3 = false;  // a BLAKE3 list: the large file mapped, its pieces shared out
};

class CancelTest : public ::testing::TestWithParam<CancelCase> {};

TEST_P(CancelTest, StopsWithin100msInTheMiddleOfALargeFileAndJoinsItsThreads) {
    TempDirectory dir;
    dir.Write("a", "abc");
    SparseFile(dir, "big", GetParam().size);
    const char* const blake3Abc =
        "6437b3ac38465133ffb63b75273a8db548c558465d79db03fd359c6cd5bd9d85";
    const std::string list = GetParam().blake3 ? "list.b3" : "list.sfv";
    dir.Write(list, GetParam().blake3
                        ? std::string(blake3Abc) + "  a\n" + std::string(64, '0') + "  big\n"
                        : SfvLine("a", "abc") + "big 00000000\n");
    std::atomic<bool> cancel{false};
    CheckOptions options;
    options.jobs = GetParam().jobs;
    options.uncached = GetParam().uncached;
    options.cancel = &cancel;

    // Cancels from inside the first Row call, or from a thread 30 ms after
    // it, while the large file is read.
    class Sink : public RecordingSink {
      public:
        Sink(std::atomic<bool>& flag, bool fromSink) : flag_(flag), fromSink_(fromSink) {}
        void Row(const CheckRow& row) override {
            RecordingSink::Row(row);
            firstRow = true;
            if (fromSink_ && !flag_) {
                flag_ = true;
                setAt = Clock::now();
            }
        }
        Clock::time_point setAt;
        std::atomic<bool> firstRow{false};

      private:
        std::atomic<bool>& flag_;
        bool fromSink_;
    } sink(cancel, GetParam().fromSink);

    const std::size_t threadsBefore = ThreadsOfProcess();
    Clock::time_point setAt;
    CheckOutcome outcome;
    if (GetParam().fromSink) {
        outcome = VerifyList(dir / list, "", options, sink);
        setAt = sink.setAt;
    } else {
        Canceller canceller(cancel, sink.firstRow, std::chrono::milliseconds(30));
        outcome = VerifyList(dir / list, "", options, sink);
        const Clock::time_point returned = Clock::now();
        setAt = canceller.SetAt();
        EXPECT_LT(returned - setAt, std::chrono::milliseconds(100));
    }
    const Clock::time_point end = Clock::now();
    EXPECT_LT(end - setAt, std::chrono::milliseconds(100));
    EXPECT_EQ(outcome.end, CheckOutcome::End::kCancelled);
    // The row of "a" came before the flag, and stands; "big" never came.
    EXPECT_EQ(sink.lines, std::vector<std::string>{"OK          a"});
    EXPECT_EQ(outcome.counts.Total(), 1U);
    EXPECT_EQ(ThreadsOfProcessSettled(threadsBefore), threadsBefore);
}

INSTANTIATE_TEST_SUITE_P(Paths, CancelTest,
                         ::testing::Values(CancelCase{"InParts", 4, false, false, kGiB},
                                           CancelCase{"Uncached", 1, true, false, 4 * kGiB},
                                           CancelCase{"UncachedInParts", 4, true, false, 4 * kGiB},
                                           CancelCase{"FromTheSink", 2, false, true, kGiB},
                                           CancelCase{"Blake3Shared", 2, false, false, kGiB, true}),
                         [](const auto& paramInfo) { return std::string(paramInfo.param.name); });

TEST(CheckProgress, OneLargeFileMovesTheProgressAtLeastEightTimes) {
    TempDirectory dir;
    SparseFile(dir, "big", kGiB);
    dir.Write("list.sfv", "big 00000000\n");
    // Whole and in parts; no more readers than processors, so that a step
    // of progress wakes a caller that gets a processor at once.
    for (const unsigned jobs : {1U, std::max(2U, UsableProcessorCount())}) {
        CheckOptions options;
        options.jobs = jobs;
        RecordingSink sink;
        const CheckOutcome outcome = VerifyList(dir / "list.sfv", "", options, sink);
        EXPECT_EQ(outcome.end, CheckOutcome::End::kDone);
        ASSERT_EQ(sink.plans.size(), 1U);
        EXPECT_EQ(sink.plans[0].files, 1U);
        EXPECT_EQ(sink.plans[0].bytes, kGiB);
        std::size_t moves = 0;
        std::uint64_t last = 0;
        for (const CheckProgress& progress : sink.progressed) {
            EXPECT_GE(progress.bytesDone, last);
            EXPECT_LE(progress.bytesDone, kGiB);
            if (progress.bytesDone > last && progress.bytesDone < kGiB) ++moves;
            last = progress.bytesDone;
        }
        EXPECT_GE(moves, 8U) << jobs << " jobs, " << sink.progressed.size() << " calls";
        ASSERT_EQ(sink.lines.size(), 1U);
        EXPECT_EQ(sink.lines[0].rfind("CHANGED     big  00000000 -> ", 0), 0U) << sink.lines[0];
    }
}

TEST(CheckAgain, OnlyTheNamedRowsAreReadAndReported) {
    TempDirectory dir;
    dir.Write("a", "a");
    dir.Write("b", "b");
    dir.Write("c", "c");
    dir.Write("list.sfv", SfvLine("a", "a") + SfvLine("b", "x") + SfvLine("c", "c") +
                              SfvLine("gone", "") + SfvLine("c", "c"));
    const std::set<std::string> only = {"b", "gone", "new"};
    dir.Write("new", "new");
    CheckOptions options;
    options.jobs = 2;
    options.only = &only;
    RecordingSink sink;
    const CheckOutcome outcome = VerifyList(dir / "list.sfv", "", options, sink);
    ASSERT_EQ(sink.plans.size(), 1U);
    // "gone" is missing from its folder's listing: it is not opened.
    EXPECT_EQ(sink.plans[0].files, 2U);
    EXPECT_EQ(sink.plans[0].rows, 3U);
    EXPECT_EQ(sink.lines,
              (std::vector<std::string>{"CHANGED     b  " + CrcText("x") + " -> " + CrcText("b"),
                                        "MISSING     gone", "NEW         new  " + CrcText("new")}));
    EXPECT_EQ(outcome.counts.Total(), 3U);
}

TEST(ReadingThreads, NeverMoreThanJobsOrProcessorsAtOnce) {
    TempDirectory dir;
    std::vector<FileToRead> files;
    files.reserve(24);
    for (int i = 0; i < 24; ++i) {
        files.push_back(
            {dir.Write("f" + std::to_string(i), RandomBytes(1 << 20, static_cast<unsigned>(i))),
             ""});
    }
    const unsigned processors = UsableProcessorCount();
    for (const unsigned jobs : {1U, 2U, 3U, 4U, 8U}) {
        const unsigned allowed = std::max(jobs, processors);
        FileReadControl control(nullptr, allowed);
        std::atomic<unsigned> active{0};
        std::atomic<unsigned> peak{0};
        const auto count = [&](unsigned now) {
            unsigned seen = peak;
            while (now > seen && !peak.compare_exchange_weak(seen, now)) {
            }
        };
        FileAccess access = kPerThreadUtf8FileAccess;
        access.control = &control;
        const ReadOneFile read = [&](const FileToRead& file, unsigned parts,
                                     std::vector<unsigned char>& buffer) {
            count(++active);
            std::atomic<unsigned> started{0};
            FilePartsSettings settings;
            settings.threshold = 64 << 10;
            settings.maxParts = parts;
            settings.processors = kMaxFileParts;  // every reader would split its file
            settings.threadStarts = [&](unsigned) {
                ++started;
                count(++active);
                return true;
            };
            const FileChecksum checksum = ChecksumFileWith(file.path, buffer, access, settings);
            active -= started + 1;
            return checksum;
        };
        std::size_t delivered = 0;
        EXPECT_TRUE(ChecksumInOrder(
            files, jobs, [&](std::size_t, const FileChecksum&) { ++delivered; }, {}, read,
            &control));
        EXPECT_EQ(delivered, files.size());
        EXPECT_LE(peak.load(), allowed) << jobs << " jobs";
    }
}

}  // namespace
}  // namespace sumbrook
