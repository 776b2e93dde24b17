// The check of one file ("is this the file they published?"): the digests
// of the six algorithms publishers use, from one read of the file, and the
// verdict of a pasted digest against them.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "files/FileChecksum.h"
#include "hash/Digest.h"
#include "lists/PastedDigest.h"

namespace sumbrook {

// The kinds whose rows mark them for the one-file window (CRC-32, MD5,
// SHA-1, SHA-256, SHA-512, BLAKE3), in table order: the order they are
// shown, copied and computed in.
const std::vector<DigestKind>& OneFileDigestKinds();

// The kinds a run computes: OneFileDigestKinds, then those of `expected`'s
// candidates that are not among them (so that an XXH128 or a SHA-384 asked
// for is compared too).
std::vector<DigestKind> KindsToCompute(const std::optional<PastedDigest>& expected);

struct FileDigestsOutcome {
    enum class Status { kDone, kFailed, kCancelled };
    Status status = Status::kFailed;
    std::uint64_t size = 0;
    std::vector<Digest> digests;  // when kDone: one per kind asked, in order
    std::string error;            // when kFailed: the reason (ReadFailureText)
};

// Progress: the bytes read so far and the file's size (0 when unknown).
using FileDigestsProgress = std::function<void(std::uint64_t done, std::uint64_t total)>;

// Reads the file at `path` (UTF-8) once, whole, handing every block to a
// hasher of each of `kinds`. `progress` (may be empty) is called on the
// reading thread about ten times a second while it reads. Setting `cancel`
// ends the read within one block (4 MiB): kCancelled. Files of any size.
FileDigestsOutcome ComputeFileDigests(const std::string& path, const std::vector<DigestKind>& kinds,
                                      const std::atomic<bool>& cancel,
                                      const FileDigestsProgress& progress = {});

struct DigestVerdict {
    // The candidate kinds of the pasted digest that were computed, in the
    // candidates' order; the first of them whose digest is the pasted one.
    std::vector<DigestKind> compared;
    std::optional<DigestKind> matched;
    bool Match() const { return matched.has_value(); }
};

// `expected` (ok) against `digests` (any kinds).
DigestVerdict JudgePastedDigest(const PastedDigest& expected, const std::vector<Digest>& digests);

// "MATCH — SHA-256", "NO MATCH" (UTF-8), and the algorithms compared:
// "compared with SHA-256 and BLAKE3", or "SHA-384 was not computed".
std::string VerdictHeadline(const DigestVerdict& verdict);
std::string VerdictDetail(const DigestVerdict& verdict, const PastedDigest& expected);

// The exit code of a check of one file, for scripts: 0 the pasted digest
// matches (or none was given and the file was read), 1 it does not, 2 the
// file could not be read or no algorithm has the pasted digest, 3
// cancelled.
int OneFileExitCode(const FileDigestsOutcome& outcome, const std::optional<PastedDigest>& expected);

// The lines md5sum, sha1sum, sha256sum... print for the file, one per
// digest in the order given: "HEX  NAME" (SumLine), LF after each.
std::string DigestSumLines(const std::vector<Digest>& digests, const std::string& name);

}  // namespace sumbrook
