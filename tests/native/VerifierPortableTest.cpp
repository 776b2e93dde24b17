// The window's portable parts: the order rows are shown in while they
// arrive, the status line, the command line, exit codes, and the worker's
// queue.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "verifier/CheckJob.h"
#include "verifier/DroppedFile.h"
#include "verifier/NewListKinds.h"
#include "verifier/RowStore.h"
#include "verifier/RowTable.h"
#include "verifier/RowText.h"
#include "verifier/SlicedSort.h"
#include "verifier/StatusLineText.h"
#include "verifier/ThroughputMeter.h"
#include "verifier/VerifierCommandLine.h"
#include "verify/ReportText.h"
#include "verify/RunExitCode.h"

namespace sumbrook {
namespace {

CheckRow MakeRow(VerifyStatus status, const std::string& name, std::uint64_t size = 0) {
    CheckRow row;
    row.status = status;
    row.name = name;
    row.hasFound = status != VerifyStatus::kMissing;
    row.size = size;
    return row;
}

std::vector<std::string> ShownNames(const RowTable& table) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < table.ShownCount(); ++i) {
        names.emplace_back(table.Shown(i).Name());
    }
    return names;
}

TEST(RowTableTest, RowsArrivingInBatchesTakeTheirPlaceInEveryOrder) {
    struct Case {
        RowOrder order;
        std::vector<std::string> expected;
    };
    RowOrder bySizeDown;
    bySizeDown.byColumn = true;
    bySizeDown.column = 4;  // Size
    bySizeDown.descending = true;
    RowOrder problemsFirst;
    problemsFirst.problemsFirst = true;
    RowOrder problemsOnlyByName;
    problemsOnlyByName.problemsOnly = true;
    problemsOnlyByName.byColumn = true;
    problemsOnlyByName.column = 1;  // Name
    const Case cases[] = {
        {RowOrder(), {"d", "b", "a", "e", "c"}},
        // Missing files have no size: last when sizes go down.
        {bySizeDown, {"e", "a", "d", "b", "c"}},
        {problemsFirst, {"b", "c", "d", "a", "e"}},
        {problemsOnlyByName, {"b", "c"}},
    };
    for (const Case& c : cases) {
        for (const bool orderFirst : {true, false}) {
            RowTable table;
            if (orderFirst) table.SetOrder(c.order);
            table.Append(
                {MakeRow(VerifyStatus::kOk, "d", 20), MakeRow(VerifyStatus::kChanged, "b", 10)});
            table.Append({MakeRow(VerifyStatus::kOk, "a", 30)});
            table.Append(
                {MakeRow(VerifyStatus::kOk, "e", 40), MakeRow(VerifyStatus::kMissing, "c")});
            if (!orderFirst) table.SetOrder(c.order);
            EXPECT_EQ(ShownNames(table), c.expected) << "set first: " << orderFirst;
            EXPECT_EQ(table.Rows().Count(), 5u);
        }
    }
    RowTable table;
    table.Append({MakeRow(VerifyStatus::kOk, "a"), MakeRow(VerifyStatus::kNew, "n"),
                  MakeRow(VerifyStatus::kUnreadable, "u")});
    EXPECT_EQ(table.ProblemNames(), (std::set<std::string>{"n", "u"}));
}

TEST(StatusLineTextTest, CountsAlwaysShownOthersWhenThere) {
    StatusLineFacts running;
    running.filesDone = 1204;
    running.filesPlanned = 5000;
    for (int i = 0; i < 3; ++i) running.counts.Add(MakeRow(VerifyStatus::kChanged, "c"));
    running.counts.Add(MakeRow(VerifyStatus::kMissing, "m"));
    for (int i = 0; i < 2; ++i) running.counts.Add(MakeRow(VerifyStatus::kNew, "n"));
    StatusLineFacts speed = running;
    speed.bytesPerSecond = 85.24e6;
    speed.secondsLeft = 41.2;
    StatusLineFacts cancelled = running;
    cancelled.phase = StatusLineFacts::Phase::kCancelled;
    cancelled.counts.Add(MakeRow(VerifyStatus::kDuplicate, "d"));
    const std::string counts =
        "1,204 of 5,000 files \xC2\xB7 3 CHANGED \xC2\xB7 1 MISSING \xC2\xB7 2 NEW \xC2\xB7 0 "
        "UNREADABLE";
    EXPECT_EQ(StatusLineText(running), counts);
    EXPECT_EQ(StatusLineText(speed), counts + " \xC2\xB7 85.2 MB/s \xC2\xB7 0:42 left");
    EXPECT_EQ(StatusLineText(cancelled), counts + " \xC2\xB7 1 DUPLICATE \xC2\xB7 cancelled");
    StatusLineFacts listMade;
    listMade.phase = StatusLineFacts::Phase::kDone;
    listMade.filesDone = listMade.filesPlanned = 2;
    listMade.makingList = true;
    EXPECT_EQ(StatusLineText(listMade), "2 of 2 files \xC2\xB7 0 UNREADABLE \xC2\xB7 done");
    // Before reading, the step and how far it got; a plan that reads no file
    // says so rather than "0 of 0 files"; Cancel shows at once.
    StatusLineFacts reading;
    reading.phase = StatusLineFacts::Phase::kStep;
    reading.stepDone = 420000;
    EXPECT_EQ(StatusLineText(reading), "Reading the list: 420,000 lines");
    reading.step = CheckStep::kListingFolders;
    reading.cancelling = true;
    EXPECT_EQ(StatusLineText(reading), "Listing folders: 420,000 files \xC2\xB7 Cancelling...");
    StatusLineFacts absent;
    absent.phase = StatusLineFacts::Phase::kDone;
    for (int i = 0; i < 3; ++i) absent.counts.Add(MakeRow(VerifyStatus::kMissing, "m"));
    absent.notices = 1;
    EXPECT_EQ(StatusLineText(absent),
              "no file to read \xC2\xB7 0 CHANGED \xC2\xB7 3 MISSING \xC2\xB7 0 NEW \xC2\xB7 0 "
              "UNREADABLE \xC2\xB7 1 notice \xC2\xB7 done");
    EXPECT_EQ(DurationText(3723), "1:02:03");
    // The kind of the run's digests comes first, once known.
    absent.digestKind = DigestKind::kSha256;
    EXPECT_EQ(StatusLineText(absent).rfind("SHA-256 list \xC2\xB7 no file to read", 0), 0u);
    reading.digestKind = DigestKind::kCrc32;
    EXPECT_EQ(StatusLineText(reading).rfind("CRC-32 list \xC2\xB7 Listing folders", 0), 0u);
}

TEST(ThroughputMeterTest, SpeedOverTheLastSecondsAndTimeLeft) {
    ThroughputMeter meter;
    meter.Sample(0, 0);
    EXPECT_LT(meter.BytesPerSecond(), 0.0);
    meter.Sample(1000, 1000000);  // a slow start, forgotten once older than the window
    for (std::uint64_t ms = 1100; ms <= 9000; ms += 100) {
        meter.Sample(ms, 1000000 + (ms - 1000) * 10000);
        // No time left from the first seconds, however fast they went.
        if (ms < 5000) {
            EXPECT_LT(meter.SecondsLeft(1000000000), 0.0) << ms;
        }
    }
    EXPECT_NEAR(meter.BytesPerSecond(), 10e6, 1.0);
    // At the speed since the start: 81 MB in 9 s.
    EXPECT_NEAR(meter.SecondsLeft(81000000 + 20000000), 20.0 / 9.0, 1e-6);
}

TEST(VerifierCommandLineTest, FormsAndRefusals) {
    struct Case {
        std::vector<std::string> arguments;
        bool ok;
        VerifierRequest::Start start;
        std::string list, folder, report;
        bool recursive, uncached, close;
    };
    using S = VerifierRequest::Start;
    const Case cases[] = {
        {{}, true, S::kNothing, "", "", "", false, false, false},
        {{"a.sfv"}, true, S::kCheck, "a.sfv", "", "", false, false, false},
        {{"a.sfv", "/FOLDER", "D", "/r", "/Uncached", "/report", "R", "/close"},
         true,
         S::kCheck,
         "a.sfv",
         "D",
         "R",
         true,
         true,
         true},
        {{"/new", "F", "/r"}, true, S::kNewList, "", "F", "", true, false, false},
        {{"a.sfv", "b.sfv"}, false, S::kNothing, "", "", "", false, false, false},
        {{"a.sfv", "/report"}, false, S::kNothing, "", "", "", false, false, false},
        {{"a.sfv", "/x"}, false, S::kNothing, "", "", "", false, false, false},
        {{"/new", "F", "/save", "L.sfv", "/close"},
         true,
         S::kNewList,
         "",
         "F",
         "",
         false,
         false,
         true},
        {{"a.sfv", "/save", "L.sfv"}, false, S::kNothing, "", "", "", false, false, false},
        {{"/new", "F", "a.sfv"}, false, S::kNothing, "", "", "", false, false, false},
        {{"/close"}, false, S::kNothing, "", "", "", false, false, false},
        // A path that starts with '/' is a path; the usage is asked for, not
        // opened as a list; an option given twice is refused, not replaced.
        {{"/home/u/a.sfv", "/r"}, true, S::kCheck, "/home/u/a.sfv", "", "", true, false, false},
        {{"--help"}, true, S::kHelp, "", "", "", false, false, false},
        {{"a.sfv", "/?"}, true, S::kHelp, "", "", "", false, false, false},
        {{"a.sfv", "/report", "a", "/report", "b"},
         false,
         S::kNothing,
         "",
         "",
         "",
         false,
         false,
         false},
        {{"--recursive", "a.sfv"}, false, S::kNothing, "", "", "", false, false, false},
    };
    for (const Case& c : cases) {
        const ParsedVerifierCommandLine parsed = ParseVerifierCommandLine(c.arguments);
        ASSERT_EQ(parsed.ok, c.ok) << ::testing::PrintToString(c.arguments);
        if (!c.ok) {
            EXPECT_FALSE(parsed.error.empty());
            continue;
        }
        const VerifierRequest& r = parsed.request;
        EXPECT_EQ(r.start, c.start);
        EXPECT_EQ(r.list, c.list);
        EXPECT_EQ(r.folder, c.folder);
        EXPECT_EQ(r.report, c.report);
        EXPECT_EQ(r.recursive, c.recursive);
        EXPECT_EQ(r.uncached, c.uncached);
        EXPECT_EQ(r.closeWhenDone, c.close);
    }
    // "Skip missing files" is for a check, tag lines for a new list.
    EXPECT_TRUE(ParseVerifierCommandLine({"a.sha256", "/SkipMissing"}).request.ignoreMissing);
    EXPECT_TRUE(ParseVerifierCommandLine({"/new", "F", "/save", "L.md5", "/tag"}).request.tag);
    EXPECT_FALSE(ParseVerifierCommandLine({"a.sha256", "/tag"}).ok);
    EXPECT_FALSE(ParseVerifierCommandLine({"/new", "F", "/skipmissing"}).ok);
    // The check of one file, with or without the digest it should have.
    const ParsedVerifierCommandLine file = ParseVerifierCommandLine(
        {"/FILE", "/tmp/a.iso", "/expect", "SHA256 (a.iso) = " + std::string(64, 'a'), "/close"});
    ASSERT_TRUE(file.ok) << file.error;
    EXPECT_EQ(file.request.start, S::kFile);
    EXPECT_EQ(file.request.file, "/tmp/a.iso");
    EXPECT_EQ(file.request.expected, "SHA256 (a.iso) = " + std::string(64, 'a'));
    EXPECT_TRUE(file.request.expectGiven && file.request.closeWhenDone);
    const ParsedVerifierCommandLine signed_ = ParseVerifierCommandLine(
        {"/file", "a.iso", "/Signature", "a.iso.asc", "/report", "r.txt", "/close"});
    ASSERT_TRUE(signed_.ok) << signed_.error;
    EXPECT_EQ(signed_.request.signature, "a.iso.asc");
    EXPECT_EQ(signed_.request.report, "r.txt");
    for (const std::vector<std::string>& refused : {std::vector<std::string>{"/file"},
                                                    {"a.sfv", "/signature", "a.sig"},
                                                    {"/file", "a", "/signature", "/close"},
                                                    {"/file", "a", "/r"},
                                                    {"a.sfv", "/file", "b"},
                                                    {"/expect", "ab"},
                                                    {"/file", "a", "/file", "b"}}) {
        EXPECT_FALSE(ParseVerifierCommandLine(refused).ok) << ::testing::PrintToString(refused);
    }
    // Said why (on standard error, with /close): no switch is a value, and
    // a digest no algorithm has is refused before any window.
    const struct {
        std::vector<std::string> arguments;
        const char* error;
    } refusals[] = {
        {{"/file", "a", "/expect", "nonsense", "/close"}, "/expect \"nonsense\": not a digest"},
        {{"/file", "a", "/expect", std::string(62, 'a'), "/close"},
         "no algorithm has a digest of 62 hex digits"},
        {{"/file", "/close"}, "/file needs a value after it"},
        {{"/file", "x", "/expect", "/close"}, "/expect needs a value after it"},
        {{"a.sfv", "/report", "/close"}, "/report needs a value after it"},
    };
    for (const auto& refusal : refusals) {
        const ParsedVerifierCommandLine parsed = ParseVerifierCommandLine(refusal.arguments);
        EXPECT_FALSE(parsed.ok);
        EXPECT_NE(parsed.error.find(refusal.error), std::string::npos) << parsed.error;
        EXPECT_TRUE(parsed.request.closeWhenDone);
    }
}

// A digest longer than 40 digits shows its ends in the columns, which stay
// narrow enough to leave Status and Name in sight.
TEST(RowTextTest, LongDigestsShowTheirEndsInTheColumns) {
    const std::string sha512 = std::string(60, 'a') + std::string(68, 'b');
    EXPECT_EQ(DigestColumnText(sha512),
              "aaaaaaaaaaaa\xE2\x80\xA6"
              "bbbbbbbbbbbb");
    EXPECT_EQ(DigestColumnText(std::string(40, 'c')), std::string(40, 'c'));
    EXPECT_LE(DigestColumnWidth(DigestKind::kSha512), 220);
    EXPECT_GE(DigestColumnWidth(DigestKind::kSha1), 40 * 7);
}

// A new list's name follows the type chosen for it in the save dialog.
TEST(NewListKindsTest, TheNameFollowsTheType) {
    const NewListKind md5 = kNewListKinds[7];
    const NewListKind sfv = kNewListKinds[0];
    ASSERT_EQ(md5.digest, DigestKind::kMd5);
    const struct {
        std::string target;
        NewListKind kind;
        std::string named;
    } cases[] = {
        {"C:\\d\\mism.sha256", md5, "C:\\d\\mism.md5"},
        {"C:\\d\\SHA256SUMS", md5, "C:\\d\\SHA256SUMS.md5"},
        {"C:\\d\\a.sfv", md5, "C:\\d\\a.md5"},
        {"C:\\d\\a.md5", md5, "C:\\d\\a.md5"},
        {"C:\\d\\MD5SUMS", md5, "C:\\d\\MD5SUMS"},
        {"C:\\d\\list.txt", md5, "C:\\d\\list.txt"},
        {"C:\\d\\a.sha256", sfv, "C:\\d\\a.sfv"},
        {"C:\\d\\a.sfv", sfv, "C:\\d\\a.sfv"},
    };
    for (const auto& c : cases) EXPECT_EQ(TargetFollowingKind(c.target, c.kind), c.named);
}

// A dropped file is a list by what it starts with, whatever its name.
TEST(DroppedFileTest, ListsByTheirContent) {
    const std::string sha = std::string(64, 'a');
    const struct {
        std::string head;
        bool list;
    } cases[] = {
        {"; made by hand\r\nsetup.exe 1234ABCD\r\n", true},
        {sha + "  setup.exe\n", true},
        {"SHA256 (setup.exe) = " + sha + "\n", true},
        {"\xEF\xBB\xBF# comment\n\n" + sha + " *a.iso\n", true},
        {"-----BEGIN PGP SIGNED MESSAGE-----\nHash: SHA256\n\n" + sha + "  a\n", true},
        {std::string("\xFF\xFE", 2) + std::string("a\0", 2), true},
        {std::string("MZ\x90\0\x03\0", 6), false},  // possums.iso, setup.exe
        {"hello, world\n", false},
        {"", false},
        {"# only a comment\n", false},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadsAsList(c.head), c.list) << c.head;
}

// The program's own splitting of its command line: a folder ending in a
// backslash before its closing quote ends there, and the rest stands.
TEST(VerifierCommandLineTest, SplittingAndPastedPaths) {
    const struct {
        std::string line;
        std::vector<std::string> arguments;
    } cases[] = {
        {R"("C:\P\SumbrookVerify.exe" /new "Z:\dir\" /r /close)",
         {R"(C:\P\SumbrookVerify.exe)", "/new", R"(Z:\dir\)", "/r", "/close"}},
        {R"(v.exe "a b.sfv"   /report "C:\r  1.txt")",
         {"v.exe", "a b.sfv", "/report", R"(C:\r  1.txt)"}},
        {"v.exe\tlist\\x.sfv", {"v.exe", "list\\x.sfv"}},
        {R"(v.exe "")", {"v.exe", ""}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitVerifierCommandLine(c.line), c.arguments) << c.line;
    EXPECT_EQ(UnquotedPath(R"(  "C:\Data\My files" )"), R"(C:\Data\My files)");
    EXPECT_EQ(UnquotedPath(R"(C:\Data)"), R"(C:\Data)");
    // /close is honoured even when the line is refused further on.
    const ParsedVerifierCommandLine refused =
        ParseVerifierCommandLine({"a.sfv", "/report", "R", "/bogus", "/close"});
    EXPECT_FALSE(refused.ok);
    EXPECT_TRUE(refused.request.closeWhenDone);
    EXPECT_EQ(refused.request.report, "R");
}

TEST(RunExitCodeTest, CancelledThenErrorThenDifferences) {
    struct Case {
        CheckOutcome::End end;
        std::vector<VerifyStatus> statuses;
        std::size_t foldersNotListed;
        int expected;
    };
    using E = CheckOutcome::End;
    using V = VerifyStatus;
    const Case cases[] = {
        {E::kDone, {}, 0, 0},
        {E::kDone, {V::kOk, V::kEmpty}, 0, 0},
        {E::kDone, {V::kOk, V::kNew}, 0, 1},
        {E::kDone, {V::kDuplicate}, 0, 1},
        {E::kDone, {V::kChanged, V::kUnreadable}, 0, 2},
        {E::kDone, {V::kOk}, 1, 2},
        {E::kRefused, {}, 0, 2},
        {E::kCancelled, {V::kUnreadable}, 0, 3},
    };
    for (const Case& c : cases) {
        CheckOutcome outcome;
        outcome.end = c.end;
        outcome.foldersNotListed = c.foldersNotListed;
        for (const VerifyStatus status : c.statuses) outcome.counts.Add(MakeRow(status, "x"));
        EXPECT_EQ(ExitCodeOf(outcome), c.expected);
    }
}

// A sort stopped and taken up again after every few comparisons ends in the
// order of a stable sort, however the work is sliced.
TEST(SlicedSortTest, AnySlicingGivesTheStableOrder) {
    std::vector<int> keys(5000);
    unsigned seed = 7;
    for (int& key : keys) key = static_cast<int>((seed = seed * 1103515245 + 12345) >> 16) % 300;
    const auto less = [&keys](std::size_t a, std::size_t b) { return keys[a] < keys[b]; };
    std::vector<std::size_t> expected(keys.size());
    for (std::size_t i = 0; i < expected.size(); ++i) expected[i] = i;
    std::stable_sort(expected.begin(), expected.end(), less);
    for (const std::size_t count : {0U, 1U, 255U, 256U, 257U, 5000U}) {
        for (const std::size_t slice : {1U, 7U, 1000U, 1000000U}) {
            std::vector<std::size_t> items(count);
            for (std::size_t i = 0; i < count; ++i) items[i] = i;
            std::vector<std::size_t> want(count);
            std::copy_if(expected.begin(), expected.end(), want.begin(),
                         [count](std::size_t i) { return i < count; });
            SlicedSort sort(items, less);
            while (!sort.Step(slice)) {
            }
            EXPECT_EQ(sort.Take(), want) << count << " in slices of " << slice;
        }
    }
}

// Rows kept small give back what was stored, the rare fields too.
TEST(RowStoreTest, RowsComeBackWhole) {
    std::vector<CheckRow> rows(5);
    rows[0] = MakeRow(VerifyStatus::kOk, "a/plain.txt", 12);
    rows[0].hasExpected = true;
    rows[0].expected = rows[0].found = Digest::FromCrc32(0x352441C2);
    rows[1] = MakeRow(VerifyStatus::kMissing, "gone");
    rows[1].hasExpected = true;
    rows[1].expected = Digest::FromCrc32(7);
    rows[2] = MakeRow(VerifyStatus::kDuplicate, "twice");
    rows[2].lines = {3, 7};
    rows[3] = MakeRow(VerifyStatus::kUnreadable, "held");
    rows[3].failure.status = FileReadStatus::kReadFailed;
    rows[3].failure.errorCode = 32;
    rows[3].failedPath = "D/held";
    rows[3].readThroughCache = 1;
    // A digest of another kind is kept whole.
    rows[4] = MakeRow(VerifyStatus::kChanged, "image.iso", 3);
    rows[4].hasExpected = rows[4].hasFound = true;
    const std::vector<unsigned char> bytes(32, 0xAB);
    rows[4].expected = Digest(DigestKind::kSha256, bytes.data());
    rows[4].found = Digest::Parse(DigestKind::kSha256, std::string(64, 'c')).value();
    RowStore store;
    for (const CheckRow& row : rows) store.Add(row);
    store.Replace(1, rows[1]);
    ASSERT_EQ(store.Count(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(ReportLine(store.At(i).Whole()), ReportLine(rows[i])) << i;
        EXPECT_EQ(store.At(i).Name(), rows[i].name);
        EXPECT_EQ(store.At(i).Plain(), i < 2) << i;
        EXPECT_EQ(store.At(i).Whole().readThroughCache, rows[i].readThroughCache);
    }
    EXPECT_EQ(store.At(4).Found().Text(), std::string(64, 'c'));
    store.Remove({0, 2});
    ASSERT_EQ(store.Count(), 3U);
    EXPECT_EQ(store.At(1).Name(), "held");
}

// Whatever a run throws, the window learns why, once, as the run's end.
TEST(CheckJobTest, AnyFailureOfTheRunIsItsRefusalWithTheReason) {
    const std::vector<std::pair<std::function<void()>, std::string>> cases = {
        {[] { throw std::bad_alloc(); }, "not enough memory"},
        {[] { throw std::runtime_error("the disk went"); }, "the disk went"},
        {[] { throw 42; }, "unforeseen"},
    };
    for (const auto& [throwing, words] : cases) {
        const std::function<void()>& thrower = throwing;  // a lambda captures no binding
        std::mutex mutex;
        std::condition_variable woken;
        bool wake = false;
        CheckJob job(
            [&thrower](const CheckOptions&, CheckSink&) -> CheckOutcome {
                thrower();
                return CheckOutcome();
            },
            CheckOptions(), {}, false,
            [&] {
                std::lock_guard<std::mutex> lock(mutex);
                wake = true;
                woken.notify_all();
            });
        std::unique_lock<std::mutex> lock(mutex);
        ASSERT_TRUE(woken.wait_for(lock, std::chrono::seconds(20), [&] { return wake; }));
        const CheckBatch end = job.Take();
        ASSERT_TRUE(end.finished);
        EXPECT_EQ(end.outcome.end, CheckOutcome::End::kRefused);
        EXPECT_NE(end.outcome.error.find(words), std::string::npos) << end.outcome.error;
    }
}

// The worker wakes the window once per take, whatever arrives in between,
// and a job destroyed mid-run cancels and joins its worker.
// The job's destructor cancels and returns at once, the run still going:
// the window's thread never waits for a worker.
TEST(CheckJobTest, WakesOncePerTakeAndCancelsOnDestruction) {
    std::mutex mutex;
    std::condition_variable changed;
    int wakes = 0;
    const auto wake = [&] {
        std::lock_guard<std::mutex> lock(mutex);
        ++wakes;
        changed.notify_all();
    };
    const auto waitForWakes = [&](int count) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(20), [&] { return wakes >= count; });
    };
    std::atomic<bool> release{false};
    std::atomic<bool> sawCancel{false};
    std::atomic<bool> ended{false};
    {
        auto held = std::make_unique<CheckJob>(
            [&](const CheckOptions& options, CheckSink& sink) {
                sink.Planned({3, 30, 3});
                sink.Row(MakeRow(VerifyStatus::kOk, "a"));
                sink.Row(MakeRow(VerifyStatus::kOk, "b"));
                while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
                sink.Row(MakeRow(VerifyStatus::kOk, "c"));
                while (!options.cancel->load()) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                }
                sawCancel = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                ended = true;
                CheckOutcome outcome;
                outcome.end = CheckOutcome::End::kCancelled;
                return outcome;
            },
            CheckOptions(), std::set<std::string>(), false, wake);
        CheckJob& job = *held;
        ASSERT_TRUE(waitForWakes(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        CheckBatch first = job.Take();
        EXPECT_TRUE(first.planned);
        EXPECT_EQ(first.plan.files, 3u);
        release = true;
        ASSERT_TRUE(waitForWakes(2));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        {
            std::lock_guard<std::mutex> lock(mutex);
            EXPECT_EQ(wakes, 2);
        }
        CheckBatch second = job.Take();
        EXPECT_EQ(first.rows.size() + second.rows.size(), 3u);
        EXPECT_FALSE(second.finished);
        const auto before = std::chrono::steady_clock::now();
        held.reset();
        EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(200));
        EXPECT_FALSE(ended);
    }
    // The run saw the cancel and ends alone, waking nobody.
    for (int i = 0; i < 2000 && !ended; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(sawCancel);
    EXPECT_TRUE(ended);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const std::lock_guard<std::mutex> lock(mutex);
    EXPECT_EQ(wakes, 2);
}

}  // namespace
}  // namespace sumbrook
