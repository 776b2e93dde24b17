// The reading of one file's digests (verify/FileDigestsRun.h) on a worker
// thread of its own, for the window's check of one file, and in the same
// read the check of a detached signature of the file (verify/SignedFile.h)
// with the key store's keys, which the worker reads too. The worker keeps
// its progress and its end for the window to take, and calls `wake` (which
// must only post) when either changed and the last wake was taken: about
// ten times a second while it reads, and once at the end. Cancel asks from
// any thread and returns at once; the end still arrives (kCancelled). The
// destructor cancels and returns at once: the worker owns what it shares
// with the job, ends within one block and calls `wake` no more once the job
// is gone, so the window's thread never waits for it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "verify/FileDigestsRun.h"
#include "verify/SignedFile.h"

namespace sumbrook {

struct OneFileProgress {
    std::uint64_t done = 0;
    std::uint64_t total = 0;
    bool finished = false;
    FileDigestsOutcome outcome;  // when finished
    // When finished, a signature was asked for and one was found: its
    // outcome (not checked when the read did not end with digests).
    std::optional<SignedFileOutcome> signature;
};

// The signature a read checks besides the digests.
struct OneFileSignatureAsk {
    bool check = false;
    std::string path;         // empty: the one beside the file (SignatureBeside), if any
    std::string storeFolder;  // the key store whose keys are trusted
};

class OneFileJob {
  public:
    OneFileJob(std::string path, std::vector<DigestKind> kinds, std::function<void()> wake,
               OneFileSignatureAsk signature = {});
    ~OneFileJob();
    OneFileJob(const OneFileJob&) = delete;
    OneFileJob& operator=(const OneFileJob&) = delete;

    void Cancel();
    bool CancelAsked() const;
    // The latest progress, and the end once it came.
    OneFileProgress Take();

  private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};

}  // namespace sumbrook
