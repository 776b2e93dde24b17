// One run (a check, or the making of a list) on a worker thread of its own.
// The run's sink queues what it hands over; the window takes it (`Take`)
// when `wake` tells it that something is waiting, the rows a slice at a
// time. The queue holds at most kMostQueuedRows rows: a worker that finds
// it full waits for a take (or Cancel), so that a run that finds a million
// rows at once never queues them all. `wake` runs on the worker, at most
// once between two takes, and must only post (never send a message, never
// touch a window). Cancel may be asked from any
// thread and returns at once; the run's end arrives as a batch that is
// `finished`. The destructor cancels and returns at once: the worker owns
// what it shares with the job (the queue, the flag, the files `only`
// names), heeds the flag within about 100 ms and calls `wake` no more once
// the job is gone, so the window's thread never waits for it. Whatever the
// run throws ends it as refused, with the reason. A take moves rows out of
// the queue without holding the lock the worker needs: the queue is swapped
// for an empty one, and the slices are taken from what was swapped out.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "verify/CheckSink.h"

namespace sumbrook {

// What the run said beside its rows (CheckSink's FolderNotListed,
// LinkLeftOut, ListNamesItself and ListFoundAs).
struct RunNote {
    enum class Kind { kFolderNotListed, kLinkLeftOut, kListNamesItself, kListFoundAs };
    Kind kind = Kind::kFolderNotListed;
    std::string path;      // the folder, the link, the list's other name
    std::string error;     // why the folder or the link
    std::size_t line = 0;  // kListNamesItself
};

// What arrived since the last take.
struct CheckBatch {
    bool stepped = false;  // the latest step before reading, and how far it got
    CheckStep step = CheckStep::kReadingList;
    std::size_t stepDone = 0;
    bool planned = false;
    CheckPlan plan;
    std::vector<CheckRow> rows;
    bool moreRows = false;  // rows wait still: take again
    bool progressed = false;
    CheckProgress progress;
    std::vector<RunNote> notes;  // in the order said
    // The run has ended and every row was taken; `outcome` is its end.
    bool finished = false;
    CheckOutcome outcome;
};

inline constexpr std::size_t kMostQueuedRows = 1U << 16;

class CheckJob {
  public:
    using Run = std::function<CheckOutcome(const CheckOptions& options, CheckSink& sink)>;

    // Starts `run` at once. `options.cancel` is replaced by the job's own
    // flag; `only`, when given, is kept by the job for the run's length.
    CheckJob(Run run, CheckOptions options, std::set<std::string> only, bool useOnly,
             std::function<void()> wake);
    ~CheckJob();
    CheckJob(const CheckJob&) = delete;
    CheckJob& operator=(const CheckJob&) = delete;

    void Cancel();
    bool CancelAsked() const;
    // What arrived, with at most `maxRows` of the rows waiting.
    CheckBatch Take(std::size_t maxRows = static_cast<std::size_t>(-1));

  private:
    struct Shared;
    class QueueSink;
    static void Work(const std::shared_ptr<Shared>& shared, const Run& run,
                     const CheckOptions& options);

    std::shared_ptr<Shared> shared_;
    // The window's side: rows swapped out of the queue, not taken yet, and
    // the end when it came before them.
    std::deque<CheckRow> held_;
    std::optional<CheckOutcome> heldEnd_;
};

}  // namespace sumbrook
