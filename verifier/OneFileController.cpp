#include "verifier/OneFileController.h"

#include <algorithm>
#include <utility>

#include "files/FileSize.h"
#include "lists/ListLineRead.h"
#include "lists/SumLine.h"
#include "platform/ReplacingFileWriter.h"
#include "signature/KeySignatureResult.h"
#include "signature/SignatureCheck.h"
#include "verify/OutputTarget.h"
#include "verify/RunExitCode.h"

namespace sumbrook {

namespace {

bool Contains(const std::vector<DigestKind>& kinds, DigestKind kind) {
    return std::find(kinds.begin(), kinds.end(), kind) != kinds.end();
}

std::string FileNameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// "MD5", "MD5 and XXH128", "SHA-256, BLAKE3 and ...".
std::string KindNames(const std::vector<DigestKind>& kinds) {
    std::string names;
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        if (i != 0) names += i + 1 == kinds.size() ? " and " : ", ";
        names += DigestKindName(kinds[i]);
    }
    return names;
}

}  // namespace

bool OffersClipboardDigest(bool expectGiven, bool closeWhenDone, std::string_view sample,
                           bool whole) {
    return !expectGiven && !closeWhenDone && whole && LooksLikeDigest(sample);
}

std::string TrimmedPaste(std::string_view text) {
    std::string line(text);
    for (char& c : line) {
        if (c == '\r' || c == '\n' || c == '\t') c = ' ';
    }
    const std::size_t first = line.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    return line.substr(first, line.find_last_not_of(' ') - first + 1);
}

OneFileController::OneFileController(std::string path, std::function<void()> wake)
    : path_(std::move(path)), name_(FileNameOf(path_)), wake_(std::move(wake)) {
    Judge();
}

void OneFileController::CheckSignature(std::string signaturePath, std::string storeFolder) {
    signatureAsk_ = {true, std::move(signaturePath), std::move(storeFolder)};
}

void OneFileController::Start() {
    if (!QueryFileSize(path_, size_)) size_ = 0;
    StartRead(KindsToCompute(expected_), signatureAsk_);
}

bool OneFileController::CheckSignatureAgain() {
    if (job_ != nullptr || !signature_) return false;
    // The signature's own file again, whatever lies beside the file now;
    // the digests' cheapest kind is read along.
    OneFileSignatureAsk ask = signatureAsk_;
    ask.path = signature_->signaturePath;
    StartRead({DigestKind::kCrc32}, std::move(ask));
    return true;
}

void OneFileController::StartRead(std::vector<DigestKind> kinds, OneFileSignatureAsk signature) {
    for (const DigestKind kind : kinds) {
        if (Contains(kinds_, kind)) continue;
        kinds_.push_back(kind);
        digests_.emplace_back();
    }
    reading_ = kinds;
    cancelAsked_ = false;
    done_ = 0;
    total_ = size_;
    job_ = std::make_unique<OneFileJob>(path_, std::move(kinds), wake_, std::move(signature));
    Judge();
}

void OneFileController::Cancel() {
    if (job_ == nullptr) return;
    cancelAsked_ = true;
    job_->Cancel();
}

const Digest* OneFileController::Computed(DigestKind kind) const {
    for (std::size_t i = 0; i < kinds_.size(); ++i) {
        if (kinds_[i] == kind && digests_[i]) return &*digests_[i];
    }
    return nullptr;
}

std::vector<DigestKind> OneFileController::MissingKinds() const {
    std::vector<DigestKind> missing;
    if (!expected_ || !expected_->ok) return missing;
    for (const DigestKind kind : expected_->kinds) {
        const Digest* computed = Computed(kind);
        if (computed != nullptr && *computed == expected_->As(kind)) return {};
        if (computed == nullptr && !Contains(reading_, kind)) missing.push_back(kind);
    }
    return missing;
}

bool OneFileController::SetExpected(std::string_view text) {
    if (text == expectedText_) return false;
    expectedText_ = std::string(text);
    expected_.reset();
    const std::size_t first = expectedText_.find_first_not_of(" \t\r\n");
    if (first != std::string::npos) {
        expected_ = ParsePastedDigest(expectedText_);
        if (!expected_->ok) {
            // A tag line of an algorithm not known here ("BLAKE2b (a) = ...",
            // "SHA3-256(a)= ...") is told so, not taken for no digest.
            const std::string line =
                expectedText_.substr(first, expectedText_.find_last_not_of(" \t\r\n") - first + 1);
            ListLineRead read;
            ReadSumLine(line, read);
            if (read.kind == ListLineRead::Kind::kError && read.form == ListLineRead::Form::kTag) {
                expected_->error = read.error;
            }
        }
    }
    // A read of the kinds the digest still needs, once the file was read.
    std::vector<DigestKind> missing = MissingKinds();
    if (job_ == nullptr && lastEnd_ == FileDigestsOutcome::Status::kDone && !missing.empty()) {
        StartRead(std::move(missing));
        return true;
    }
    const OneFileVerdict before = verdict_;
    Judge();
    return verdict_.headline != before.headline || verdict_.detail != before.detail ||
           verdict_.tone != before.tone;
}

OneFileController::Changes OneFileController::Take() {
    Changes changes;
    if (job_ == nullptr) return changes;
    OneFileProgress progress = job_->Take();
    if (!progress.finished) {
        done_ = progress.done;
        total_ = progress.total;
        changes.progressed = true;
        return changes;
    }
    job_.reset();
    changes.ended = true;
    if (progress.signature) {
        signature_ = std::move(progress.signature);
        signatureLine_ = SignatureBannerOf(*signature_);
    }
    FileDigestsOutcome& outcome = progress.outcome;
    lastEnd_ = outcome.status;
    failure_ = outcome.error;
    if (outcome.status == FileDigestsOutcome::Status::kDone) {
        size_ = outcome.size;
        done_ = total_ = size_;
        for (const Digest& digest : outcome.digests) {
            for (std::size_t i = 0; i < kinds_.size(); ++i) {
                if (kinds_[i] == digest.Kind()) digests_[i] = digest;
            }
        }
    }
    reading_.clear();
    std::vector<DigestKind> missing = MissingKinds();
    if (outcome.status == FileDigestsOutcome::Status::kDone && !missing.empty()) {
        const std::size_t shown = kinds_.size();
        StartRead(std::move(missing));
        changes.kindsAdded = kinds_.size() != shown;
        return changes;
    }
    Judge();
    return changes;
}

bool OneFileController::AnyRead() const {
    return std::any_of(digests_.begin(), digests_.end(),
                       [](const std::optional<Digest>& digest) { return digest.has_value(); });
}

std::vector<std::string> OneFileController::SignatureLines() const {
    std::vector<std::string> lines;
    if (!signature_) return lines;
    if (!signature_->error.empty()) lines.push_back(signature_->error);
    for (const SignatureResult& result : signature_->results)
        lines.push_back(name_ + ": " + SignatureResultText(result));
    if (signature_->keySignature)
        lines.push_back(name_ + ": " + KeySignatureResultText(*signature_->keySignature));
    return lines;
}

std::string OneFileController::ReportText() const {
    std::string text = SumLines();
    for (const std::string& line : SignatureLines()) text += line + "\n";
    return text;
}

std::string OneFileController::SaveReport(const std::string& target) const {
    std::vector<std::string> read;
    if (signature_ && !signature_->signaturePath.empty()) read.push_back(signature_->signaturePath);
    const std::string fault = OutputTargetFault(target, path_, read);
    if (!fault.empty()) return target + " " + fault;
    std::string text;
    for (const char c : ReportText()) {
        if (c == '\n') text += '\r';
        text += c;
    }
    const std::string failed = ReplaceFileContent(target, text);
    return failed.empty() ? std::string() : target + ": " + failed;
}

std::string OneFileController::SumLines() const {
    std::vector<Digest> read;
    for (const std::optional<Digest>& digest : digests_) {
        if (digest) read.push_back(*digest);
    }
    return DigestSumLines(read, name_);
}

void OneFileController::Judge() {
    JudgeDigests();
    // The signature's code as --check-signature's, under a cancel's.
    if (signature_ && exitCode_ != kExitCancelled)
        exitCode_ = std::max(exitCode_, signature_->exitCode);
}

void OneFileController::JudgeDigests() {
    verdict_ = OneFileVerdict();
    const bool anyRead = AnyRead();
    // What a read that did not end with digests makes of the exit code.
    const int readEnd = job_ != nullptr || lastEnd_ == FileDigestsOutcome::Status::kCancelled
                            ? kExitCancelled
                            : kExitError;
    if (!expected_) {
        verdict_.detail = "Paste the digest the publisher gives into Expected.";
        exitCode_ = anyRead ? kExitOk : readEnd;
        return;
    }
    if (!expected_->ok) {
        verdict_.headline = "NOT A DIGEST";
        verdict_.detail = expected_->error;
        exitCode_ = kExitError;
        return;
    }
    if (!anyRead) {
        verdict_.detail = job_ != nullptr ? "The verdict comes once the file is read."
                                          : "No digest was computed.";
        exitCode_ = readEnd;
        return;
    }
    std::vector<DigestKind> compared;
    std::vector<DigestKind> notCompared;
    std::optional<DigestKind> matched;
    for (const DigestKind kind : expected_->kinds) {
        const Digest* computed = Computed(kind);
        if (computed == nullptr) {
            notCompared.push_back(kind);
            continue;
        }
        compared.push_back(kind);
        if (!matched && *computed == expected_->As(kind)) matched = kind;
    }
    if (matched) {
        const char* name = DigestKindName(*matched);
        if (DetectsDamageOnly(*matched)) {
            verdict_.headline = std::string(name) + " MATCHES";
            verdict_.detail = std::string(name) +
                              " detects damage, not a file changed on purpose: ask for a SHA-256";
            verdict_.tone = VerdictTone::kDamageOnlyMatch;
        } else {
            verdict_.headline = std::string("MATCH \xE2\x80\x94 ") + name;
            verdict_.detail = "compared with " + KindNames(compared);
            verdict_.tone = VerdictTone::kMatch;
        }
        exitCode_ = kExitOk;
    } else if (notCompared.empty()) {
        verdict_.headline = "NO MATCH";
        verdict_.detail = "compared with " + KindNames(compared);
        verdict_.tone = VerdictTone::kNoMatch;
        exitCode_ = kExitDifferences;
    } else {
        verdict_.detail = compared.empty() ? std::string() : "not " + KindNames(compared) + "; ";
        if (job_ != nullptr) {
            verdict_.detail += "reading the file for " + KindNames(notCompared) + "...";
        } else {
            verdict_.detail += KindNames(notCompared) + " was not computed: " +
                               (lastEnd_ == FileDigestsOutcome::Status::kCancelled
                                    ? std::string("the read was cancelled")
                                    : "the file cannot be read: " + failure_);
        }
        exitCode_ = readEnd;
    }
    if (expected_->name && FileNameOf(*expected_->name) != name_) {
        verdict_.detail +=
            "; the line names \"" + *expected_->name + "\", this file is \"" + name_ + "\"";
    }
}

}  // namespace sumbrook
