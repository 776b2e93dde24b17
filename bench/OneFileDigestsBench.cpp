// The six digests of the window of one file from one read
// (verify/FileDigestsRun.h), for bench/one-file-bench.sh: prints them as
// the sum lines "Copy all" copies. With SIG and KEY, the detached signature
// SIG is checked with the key file KEY in the same read, as the window
// checks it (verify/SignedFile.h), and its exit code is the check's.
// Usage: one_file_digests_bench FILE [SIG KEY]
#include <atomic>
#include <cstdio>
#include <string>

#include "signature/SignatureCheck.h"
#include "verify/FileDigestsRun.h"
#include "verify/SignedFile.h"

int main(int argc, char** argv) {
    if (argc != 2 && argc != 4) {
        std::fputs("usage: one_file_digests_bench FILE [SIG KEY]\n", stderr);
        return 2;
    }
    const std::uint32_t now = sumbrook::SecondsNow();
    const sumbrook::TrustedKeys keys =
        argc == 4 ? sumbrook::LoadTrustedKeys({argv[3]}, {}, "", now) : sumbrook::TrustedKeys();
    sumbrook::DetachedSignatureCheck check(argc == 4 ? argv[2] : "", keys, now);
    const std::atomic<bool> cancel{false};
    const sumbrook::FileDigestsOutcome outcome = sumbrook::ComputeFileDigests(
        argv[1], sumbrook::OneFileDigestKinds(), cancel, {}, argc == 4 ? &check : nullptr);
    if (outcome.status != sumbrook::FileDigestsOutcome::Status::kDone) {
        std::fprintf(stderr, "%s: %s\n", argv[1], outcome.error.c_str());
        return 2;
    }
    std::fputs(sumbrook::DigestSumLines(outcome.digests, argv[1]).c_str(), stdout);
    if (argc != 4) return 0;
    const sumbrook::SignedFileOutcome signature = check.Finish();
    if (!signature.error.empty()) std::fprintf(stderr, "%s\n", signature.error.c_str());
    for (const sumbrook::SignatureResult& result : signature.results)
        std::printf("%s\n", sumbrook::SignatureResultText(result).c_str());
    return signature.exitCode;
}
