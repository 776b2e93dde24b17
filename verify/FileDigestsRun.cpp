#include "verify/FileDigestsRun.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "files/FileDigests.h"
#include "files/FileReadControl.h"
#include "files/FileSize.h"
#include "files/ReadFailure.h"
#include "hash/DigestKindTable.h"
#include "lists/SumLine.h"
#include "verify/RunExitCode.h"

namespace sumbrook {

namespace {

// What the read loop's waker reaches: the callback, paced.
struct ProgressPacer {
    const FileDigestsProgress* progress = nullptr;
    const FileReadControl* control = nullptr;
    std::uint64_t total = 0;
    std::chrono::steady_clock::time_point last;

    static void Wake(void* context) {
        auto& pacer = *static_cast<ProgressPacer*>(context);
        const auto now = std::chrono::steady_clock::now();
        if (now - pacer.last < std::chrono::milliseconds(100)) return;
        pacer.last = now;
        (*pacer.progress)(pacer.control->BytesRead(), pacer.total);
    }
};

bool Contains(const std::vector<DigestKind>& kinds, DigestKind kind) {
    return std::find(kinds.begin(), kinds.end(), kind) != kinds.end();
}

}  // namespace

const std::vector<DigestKind>& OneFileDigestKinds() {
    static const std::vector<DigestKind> kinds = [] {
        std::vector<DigestKind> shown;
        for (const DigestKindRow& row : kDigestKindRows) {
            if (row.oneFileWindow) shown.push_back(row.kind);
        }
        return shown;
    }();
    return kinds;
}

std::vector<DigestKind> KindsToCompute(const std::optional<PastedDigest>& expected) {
    std::vector<DigestKind> kinds = OneFileDigestKinds();
    if (expected && expected->ok) {
        for (const DigestKind kind : expected->kinds) {
            if (!Contains(kinds, kind)) kinds.push_back(kind);
        }
    }
    return kinds;
}

FileDigestsOutcome ComputeFileDigests(const std::string& path, const std::vector<DigestKind>& kinds,
                                      const std::atomic<bool>& cancel,
                                      const FileDigestsProgress& progress) {
    FileDigestsOutcome outcome;
    std::uint64_t total = 0;
    if (!QueryFileSize(path, total)) total = 0;
    FileReadControl control(&cancel);
    ProgressPacer pacer{&progress, &control, total, std::chrono::steady_clock::now()};
    if (progress) {
        progress(0, total);
        control.SetProgressStep(1U << 20);
        control.SetWaker(&ProgressPacer::Wake, &pacer);
    }
    FileAccess access = kPerThreadUtf8FileAccess;
    access.control = &control;
    std::vector<unsigned char> buffer;
    // The hashers share the machine's cores; the read is one.
    const unsigned threads = std::max(1U, std::thread::hardware_concurrency());
    FileDigests read = DigestFileOnce(path, kinds, buffer, access, threads);
    outcome.size = read.read.size;
    if (read.read.status == FileReadStatus::kOk) {
        if (progress) progress(read.read.size, total);
        outcome.status = FileDigestsOutcome::Status::kDone;
        outcome.digests = std::move(read.digests);
    } else if (read.read.status == FileReadStatus::kCancelled || cancel.load()) {
        outcome.status = FileDigestsOutcome::Status::kCancelled;
    } else {
        outcome.error = ReadFailureText(read.read);
    }
    return outcome;
}

DigestVerdict JudgePastedDigest(const PastedDigest& expected, const std::vector<Digest>& digests) {
    DigestVerdict verdict;
    for (const DigestKind kind : expected.kinds) {
        const auto computed = std::find_if(digests.begin(), digests.end(),
                                           [kind](const Digest& d) { return d.Kind() == kind; });
        if (computed == digests.end()) continue;
        verdict.compared.push_back(kind);
        if (!verdict.matched && *computed == expected.As(kind)) verdict.matched = kind;
    }
    return verdict;
}

std::string VerdictHeadline(const DigestVerdict& verdict) {
    if (verdict.matched)
        return std::string("MATCH \xE2\x80\x94 ") + DigestKindName(*verdict.matched);
    if (verdict.compared.empty()) return "NOT COMPARED";
    return "NO MATCH";
}

std::string VerdictDetail(const DigestVerdict& verdict, const PastedDigest& expected) {
    std::string detail;
    if (verdict.compared.empty()) {
        for (const DigestKind kind : expected.kinds) {
            detail += detail.empty() ? "" : " or ";
            detail += DigestKindName(kind);
        }
        return detail + " was not computed: check the file again";
    }
    detail = "compared with ";
    for (std::size_t i = 0; i < verdict.compared.size(); ++i) {
        if (i != 0) detail += i + 1 == verdict.compared.size() ? " and " : ", ";
        detail += DigestKindName(verdict.compared[i]);
    }
    return detail;
}

int OneFileExitCode(const FileDigestsOutcome& outcome,
                    const std::optional<PastedDigest>& expected) {
    if (outcome.status == FileDigestsOutcome::Status::kCancelled) return kExitCancelled;
    if (outcome.status == FileDigestsOutcome::Status::kFailed) return kExitError;
    if (!expected) return kExitOk;
    if (!expected->ok) return kExitError;
    const DigestVerdict verdict = JudgePastedDigest(*expected, outcome.digests);
    if (verdict.compared.empty()) return kExitError;
    return verdict.Match() ? kExitOk : kExitDifferences;
}

std::string DigestSumLines(const std::vector<Digest>& digests, const std::string& name) {
    std::string lines;
    for (const Digest& digest : digests) lines += SumLine(name, digest) + "\n";
    return lines;
}

}  // namespace sumbrook
