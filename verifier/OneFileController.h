// The check of one file ("is this the file they published?") apart from its
// window: the reads of the file (OneFileJob), the kinds computed, the
// expected digest and its verdict, the exit code, and what of the clipboard
// is offered as the expected digest. The window shows what it holds and
// passes the user's commands on. Used on one thread (the window's); only
// `wake` runs on the worker, and must only post.
//
// The first read computes OneFileDigestKinds and the candidate kinds of the
// digest known when it starts (the command line's, or the clipboard's). A
// digest pasted later whose candidates were not all computed, and that
// matches none of those that were, starts a read of just the missing kinds:
// a digest of a length several kinds have is NO MATCH only once it was
// compared with every one of them. The verdict is worked out once per
// change (a paste, a read's end), not each time it is asked.
//
// With CheckSignature, the first read also checks the detached signature
// beside the file (or the one named) with the key store's keys, over the
// same bytes: a 4 GiB image is read once for both. Its result is a line in
// words and colour, the command line's lines (--check-signature) and part
// of the exit code as --check-signature's: 1 bad, 2 not verified.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hash/Digest.h"
#include "lists/DigestKindChoice.h"
#include "lists/PastedDigest.h"
#include "verifier/OneFileJob.h"
#include "verifier/SignatureBanner.h"
#include "verify/FileDigestsRun.h"

namespace sumbrook {

// How the verdict looks: no colour, a match of a kind that stands for the
// file (green), a match of a kind that only detects damage (its own
// colour: a file can be made to have it), no match (red).
enum class VerdictTone { kPlain, kMatch, kDamageOnlyMatch, kNoMatch };

struct OneFileVerdict {
    std::string headline;  // "MATCH — SHA-256", "CRC-32 MATCHES", "NO MATCH", ""
    std::string detail;    // the kinds compared, why there is none yet, a name that differs
    VerdictTone tone = VerdictTone::kPlain;
};

// The most characters of the clipboard looked at: a digest line is far
// shorter, so a larger text is no digest and is not converted whole.
inline constexpr std::size_t kClipboardLookLength = 512;

// Whether the clipboard's text is offered as the expected digest:
// `sample` is its first kClipboardLookLength characters (UTF-8), `whole`
// whether they are all it holds. Never when the command line gave the
// digest, nor for a script's run (/close), which is judged by what it gives
// only.
bool OffersClipboardDigest(bool expectGiven, bool closeWhenDone, std::string_view sample,
                           bool whole);

// A text pasted into Expected: the blanks and line breaks around it
// dropped, and those inside it (a digest broken over lines) made blanks.
std::string TrimmedPaste(std::string_view text);

class OneFileController {
  public:
    // `path` UTF-8; `wake` as RunController's.
    OneFileController(std::string path, std::function<void()> wake);

    const std::string& Path() const { return path_; }
    // The name of the file, after its last '\' or '/'.
    const std::string& Name() const { return name_; }

    // The first read checks the signature at `signaturePath` (empty: the
    // one beside the file, if any) with the keys of the store at
    // `storeFolder`. Before Start.
    void CheckSignature(std::string signaturePath, std::string storeFolder);
    // Starts the first read, with the kinds the expected digest known now
    // may be of (SetExpected first).
    void Start();
    // Reads the file again for its signature alone (a key was added);
    // false while a read goes on or no signature was found.
    bool CheckSignatureAgain();
    // Asks the read going on to stop; its end comes as a Take.
    void Cancel();
    bool Running() const { return job_ != nullptr; }
    bool CancelAsked() const { return cancelAsked_; }

    // The expected digest as typed or pasted ("" for none). A read of the
    // kinds it still needs starts when no read goes on. True when the
    // verdict changed.
    bool SetExpected(std::string_view text);

    struct Changes {
        bool progressed = false;
        bool ended = false;       // a read ended with this take (digests, verdict may change)
        bool kindsAdded = false;  // a read of more kinds started: Kinds() grew
    };
    // Takes what the worker left.
    Changes Take();

    std::uint64_t Done() const { return done_; }
    std::uint64_t Total() const { return total_; }
    // The size read by the last read that ended, or the file's size.
    std::uint64_t Size() const { return size_; }

    // The kinds shown, in order: OneFileDigestKinds, then any kind added.
    const std::vector<DigestKind>& Kinds() const { return kinds_; }
    // The digest of Kinds()[i] once read.
    const std::optional<Digest>& DigestAt(std::size_t i) const { return digests_[i]; }
    // Whether any digest was read (Copy all); a read of more kinds that
    // failed leaves those of the first.
    bool AnyRead() const;
    // "HEX  NAME" lines of the digests read, in Kinds() order.
    std::string SumLines() const;

    // How the last read ended; nothing before the first ended.
    std::optional<FileDigestsOutcome::Status> LastEnd() const { return lastEnd_; }
    const std::string& Failure() const { return failure_; }

    const OneFileVerdict& Verdict() const { return verdict_; }
    // 0 matched (or nothing expected, the file read), 1 no match, 2 the file
    // could not be read or the expected text is no digest, 3 cancelled. While
    // a read goes on: what its end will make it if it is cancelled (3). A
    // signature checked makes it at least its own code (1 bad, 2 not
    // verified).
    int ExitCode() const { return exitCode_; }

    // The signature's line (not shown while none was checked).
    const SignatureBanner& SignatureLine() const { return signatureLine_; }
    // What --check-signature prints about it, one line each ("NAME: Good
    // signature by ..."); none while none was checked.
    std::vector<std::string> SignatureLines() const;
    // What a script's report holds: the digests' sum lines, then the
    // signature's lines, LF after each.
    std::string ReportText() const;
    // Writes ReportText to `target` (CR LF, through the replacing writer),
    // never over the file or its signature; "" when written, else why not.
    std::string SaveReport(const std::string& target) const;

  private:
    void StartRead(std::vector<DigestKind> kinds, OneFileSignatureAsk signature = {});
    // The candidates of the expected digest not computed, nor being read.
    std::vector<DigestKind> MissingKinds() const;
    const Digest* Computed(DigestKind kind) const;
    void Judge();
    void JudgeDigests();

    std::string path_;
    std::string name_;
    std::function<void()> wake_;
    std::unique_ptr<OneFileJob> job_;
    std::vector<DigestKind> reading_;  // the kinds of the read going on
    bool cancelAsked_ = false;
    std::uint64_t done_ = 0;
    std::uint64_t total_ = 0;
    std::uint64_t size_ = 0;
    std::vector<DigestKind> kinds_;
    std::vector<std::optional<Digest>> digests_;
    std::optional<FileDigestsOutcome::Status> lastEnd_;
    std::string failure_;
    std::string expectedText_;
    std::optional<PastedDigest> expected_;
    OneFileVerdict verdict_;
    int exitCode_ = 0;
    OneFileSignatureAsk signatureAsk_;
    std::optional<SignedFileOutcome> signature_;
    SignatureBanner signatureLine_;
};

}  // namespace sumbrook
