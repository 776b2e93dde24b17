// The six digests of the window of one file from one read
// (verify/FileDigestsRun.h), for bench/one-file-bench.sh: prints them as
// the sum lines "Copy all" copies.
// Usage: one_file_digests_bench FILE
#include <atomic>
#include <cstdio>
#include <string>

#include "verify/FileDigestsRun.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: one_file_digests_bench FILE\n", stderr);
        return 2;
    }
    const std::atomic<bool> cancel{false};
    const sumbrook::FileDigestsOutcome outcome =
        sumbrook::ComputeFileDigests(argv[1], sumbrook::OneFileDigestKinds(), cancel);
    if (outcome.status != sumbrook::FileDigestsOutcome::Status::kDone) {
        std::fprintf(stderr, "%s: %s\n", argv[1], outcome.error.c_str());
        return 2;
    }
    std::fputs(sumbrook::DigestSumLines(outcome.digests, argv[1]).c_str(), stdout);
    return 0;
}
