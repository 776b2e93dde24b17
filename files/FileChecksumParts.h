// How ChecksumFile reads a large file in parts: the settings (with the seams
// that tests turn), the plan of the parts and the driver that reads them on
// their threads and combines them. Used by the platforms' ChecksumFile and
// by tests; not by callers of ChecksumFile.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "files/FileChecksum.h"

namespace sumbrook {

enum class PartStep {
    kOpen,  // a part on its own thread is about to open its handle (under its error mode)
    kRead,  // the part's handle is open, its reading is about to start
    // Uncached reads only, of a whole file too (as part 0): a handle is about
    // to be opened past the cache; then its first read past the cache is
    // about to be asked.
    kOpenUncached,
    kReadUncached,
};

struct FilePartsSettings {
    std::uint64_t threshold = kFilePartsThreshold;  // at least 1
    unsigned maxParts = kMaxFileParts;
    unsigned processors = 0;  // 0: UsableProcessorCount()

    // Seams, empty in use. `beforeStep` runs on the part's thread before each
    // step; a non-zero result fails the step as that system error would
    // (kOpenFailed or kReadFailed; for the uncached steps, the error that
    // means a refusal makes the file be read through the cache); it may also
    // throw, which fails the part.
    std::function<unsigned long(unsigned part, PartStep step)> beforeStep;
    // False: the thread for `part` cannot be started, as when the system has
    // none to give.
    std::function<bool(unsigned part)> threadStarts;
};

// The hasher that the reads of `access` feed: none (null) for a CRC-32,
// which RunningDigest computes itself, else one made by `access.makeHasher`.
// False when none can be made (no memory, the system's library refuses, or
// no maker given).
bool HasherOf(const FileAccess& access, std::unique_ptr<Hasher>& hasher) noexcept;

// ChecksumFile with `settings` in place of the defaults and `maxParts`.
FileChecksum ChecksumFileWith(const std::string& path, std::vector<unsigned char>& buffer,
                              const FileAccess& access, const FilePartsSettings& settings);

// ChecksumFile with the bytes handed to `hasher` (started over first; the
// file read whole), whatever kind `access` names: the digest is the one
// `hasher` finishes with.
FileChecksum ChecksumFileInto(const std::string& path, std::vector<unsigned char>& buffer,
                              const FileAccess& access, Hasher& hasher);

// The processors this process may run on (by its affinity), at least 1.
unsigned UsableProcessorCount();

// How many parts a file of `size` bytes is read in: 1 below the threshold,
// otherwise the processors, at most maxParts and kMaxFileParts, at least 1.
unsigned PartCount(std::uint64_t size, const FilePartsSettings& settings);

// Lets `hasher` (null: a CRC-32) share the pieces of a file of `size` bytes
// with as many threads beside the reading one as PartCount would read a
// CRC-32 in parts from kMappedReadThreshold on, taken from `control` piece
// by piece (none without a control).
void AllowHashingHelpers(Hasher* hasher, std::uint64_t size, const FilePartsSettings& settings,
                         FileReadControl* control);

struct FilePart {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};

// Part `part` of `parts` consecutive parts covering `size` bytes: inner
// boundaries fall on multiples of 4 KiB where the size allows; the last part
// ends at `size`.
FilePart PlanPart(std::uint64_t size, unsigned parts, unsigned part);

// The seam's verdict on a step: 0 to go on, or the error to fail it with.
unsigned long InjectedFault(const FilePartsSettings& settings, unsigned part, PartStep step);

// Who reads a part.
enum class PartReader {
    kCallingThread,  // through the first handle, under the caller's error mode, into its buffer
    kOwnThread,      // through a handle of its own, under the thread's error mode and buffer
};

// Checksums `range` of the file as part `part` (a CRC-32). May throw.
using ReadPart =
    std::function<FileChecksum(unsigned part, const FilePart& range, PartReader reader)>;

// Reads the `parts` parts (2 to kMaxFileParts) of a file of `size` bytes
// with `read`: part 0, and any part whose thread cannot be started, on the
// calling thread; each other part on a thread of its own; all threads joined
// before it returns. A part that throws is kReadFailed. The result is the
// parts' checksums combined in order, read through the cache when any part
// was, or the first failed part's status and error. Parts are CRC-32s, the
// only kind that combines.
FileChecksum ChecksumInParts(std::uint64_t size, unsigned parts, const ReadPart& read,
                             const FilePartsSettings& settings);

}  // namespace sumbrook
