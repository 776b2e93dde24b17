#include "files/FileChecksumParts.h"

#include <algorithm>
#include <array>
#include <exception>

#include "crc/Crc32Combine.h"
#include "files/FileReadControl.h"
#include "files/PartThread.h"

namespace sumbrook {

namespace {

constexpr std::uint64_t kPartAlignment = 4096;

FileChecksum ReadGuarded(const ReadPart& read, unsigned part, const FilePart& range,
                         PartReader reader) noexcept {
    try {
        return read(part, range, reader);
    } catch (...) {
        FileChecksum failed;
        failed.status = FileReadStatus::kReadFailed;
        return failed;
    }
}

// One part and its result.
struct PartJob {
    const ReadPart* read = nullptr;
    unsigned part = 0;
    FilePart range;
    FileChecksum result;
};

void ReadOnOwnThread(void* context) noexcept {
    auto* job = static_cast<PartJob*>(context);
    job->result = ReadGuarded(*job->read, job->part, job->range, PartReader::kOwnThread);
}

}  // namespace

bool HasherOf(const FileAccess& access, std::unique_ptr<Hasher>& hasher) noexcept {
    hasher.reset();
    if (access.digest == DigestKind::kCrc32) return true;
    if (access.makeHasher == nullptr) return false;
    try {
        hasher = access.makeHasher(access.digest);
    } catch (const std::exception&) {
        return false;
    }
    return hasher != nullptr;
}

void AllowHashingHelpers(Hasher* hasher, std::uint64_t size, const FilePartsSettings& settings,
                         FileReadControl* control) {
    if (hasher == nullptr || control == nullptr) return;
    FilePartsSettings shared = settings;
    shared.threshold = std::min(settings.threshold, kMappedReadThreshold);
    hasher->AllowHelpers(control, PartCount(size, shared) - 1);
}

unsigned PartCount(std::uint64_t size, const FilePartsSettings& settings) {
    if (size < settings.threshold) return 1;
    const unsigned processors =
        settings.processors != 0 ? settings.processors : UsableProcessorCount();
    return std::max(1U, std::min({processors, settings.maxParts, kMaxFileParts}));
}

FilePart PlanPart(std::uint64_t size, unsigned parts, unsigned part) {
    // size * part / parts without overflow, rounded down to the alignment
    // unless that would empty a part.
    const auto boundary = [size, parts](unsigned index) -> std::uint64_t {
        if (index == 0) return 0;
        if (index >= parts) return size;
        const std::uint64_t exact = size / parts * index + size % parts * index / parts;
        return size / parts >= kPartAlignment ? exact - exact % kPartAlignment : exact;
    };
    const std::uint64_t begin = boundary(part);
    return {begin, boundary(part + 1) - begin};
}

unsigned long InjectedFault(const FilePartsSettings& settings, unsigned part, PartStep step) {
    return settings.beforeStep ? settings.beforeStep(part, step) : 0;
}

FileChecksum ChecksumInParts(std::uint64_t size, unsigned parts, const ReadPart& read,
                             const FilePartsSettings& settings) {
    parts = std::min(parts, kMaxFileParts);
    std::array<PartJob, kMaxFileParts> jobs;
    for (unsigned part = 0; part < parts; ++part) {
        jobs[part].read = &read;
        jobs[part].part = part;
        jobs[part].range = PlanPart(size, parts, part);
    }
    {
        // Declared after the jobs, so that the threads have ended before
        // the jobs go.
        std::array<PartThread, kMaxFileParts> threads;
        std::array<bool, kMaxFileParts> onCallingThread{};
        for (unsigned part = 1; part < parts; ++part) {
            const bool mayStart = !settings.threadStarts || settings.threadStarts(part);
            onCallingThread[part] = !mayStart || !threads[part].Start(ReadOnOwnThread, &jobs[part]);
        }
        for (unsigned part = 0; part < parts; ++part) {
            if (part == 0 || onCallingThread[part]) {
                jobs[part].result =
                    ReadGuarded(read, part, jobs[part].range, PartReader::kCallingThread);
            }
        }
    }

    FileChecksum whole;
    whole.status = FileReadStatus::kOk;
    for (unsigned part = 0; part < parts; ++part) {
        const FileChecksum& piece = jobs[part].result;
        if (piece.status != FileReadStatus::kOk) return piece;
        whole.digest =
            Digest::FromCrc32(Crc32Combine(whole.digest.Crc32(), piece.digest.Crc32(), piece.size));
        whole.size += piece.size;
        whole.readThroughCache = whole.readThroughCache || piece.readThroughCache;
    }
    return whole;
}

}  // namespace sumbrook
