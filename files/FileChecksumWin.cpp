// ChecksumFile on Win32: one handle reads a file block by block; a large one
// is read in parts, the calling thread's through that handle, each other
// part's through a handle of its own (reads on one synchronous handle would
// wait for each other). The first handle stays open meanwhile: admitting
// readers only, it keeps writers out and the file from being renamed,
// replaced or cut short, so every part opens the same bytes. Uncached reads
// go through handles opened with FILE_FLAG_NO_BUFFERING, in whole multiples
// of the alignment at aligned offsets into an aligned buffer, as the system
// demands of such handles.
#include <windows.h>

#include <algorithm>
#include <bitset>
#include <cstdint>
#include <exception>
#include <new>

#include "files/AlignedRangeRead.h"
#include "files/BlockReadLoop.h"
#include "files/FileChecksum.h"
#include "files/FileChecksumParts.h"
#include "files/FileReadControl.h"
#include "files/RunningDigest.h"
#include "platform/ErrorModeGuard.h"
#include "platform/WinHandles.h"

namespace sumbrook {

namespace {

constexpr DWORD kCachedFlags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN;
constexpr DWORD kUncachedFlags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_NO_BUFFERING;

// Opens `path` as every read of a file does, by `open` or (null) the ...A
// call, with `flags`; the caller holds the error-mode guard.
ScopedFileHandle OpenForReading(const std::string& path, FileOpener open, DWORD flags) {
    if (open != nullptr) return ScopedFileHandle(static_cast<HANDLE>(open(path, flags)));
    return ScopedFileHandle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, flags, nullptr));
}

// OpenForReading as `access` says: with `uncached`, past the cache
// (`direct`) unless the file system refuses that with
// ERROR_INVALID_PARAMETER, and then through it. GetLastError tells why the
// result is invalid.
ScopedFileHandle OpenAsAsked(const std::string& path, const FileAccess& access, unsigned part,
                             const FilePartsSettings& settings, bool& direct) {
    direct = false;
    if (access.uncached) {
        const unsigned long fault = InjectedFault(settings, part, PartStep::kOpenUncached);
        ScopedFileHandle file =
            fault != 0 ? ScopedFileHandle() : OpenForReading(path, access.open, kUncachedFlags);
        const DWORD error = fault != 0 ? fault : GetLastError();
        if (file.IsValid()) {
            direct = true;
            return file;
        }
        if (error != ERROR_INVALID_PARAMETER) {
            SetLastError(error);
            return file;
        }
    }
    return OpenForReading(path, access.open, kCachedFlags);
}

FileChecksum Failed(FileReadStatus status, unsigned long errorCode) {
    FileChecksum failed;
    failed.status = status;
    failed.errorCode = errorCode;
    return failed;
}

// A digest other than CRC-32 is read in larger requests: under CNG (and
// Wine) each ReadFile costs more than a pread does natively.
constexpr std::size_t kDigestReadBlockSize = 4U << 20;

// Checksums `length` bytes of `file` from `offset` on, block by block, into
// the page-aligned part of `buffer`, which the system copies into fastest: a
// CRC-32, or with `hasher` the digest of its kind.
FileChecksum ChecksumRange(HANDLE file, std::uint64_t offset, std::uint64_t length,
                           std::vector<unsigned char>& buffer, FileReadControl* control,
                           Hasher* hasher) {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file, position, nullptr, FILE_BEGIN)) {
        return Failed(FileReadStatus::kReadFailed, GetLastError());
    }
    const std::size_t block = static_cast<std::size_t>(std::min<std::uint64_t>(
        length, hasher != nullptr ? kDigestReadBlockSize : kFileReadBlockSize));
    unsigned char* data = nullptr;
    try {
        data = AlignedReadBuffer(buffer, block);
    } catch (const std::bad_alloc&) {
        return Failed(FileReadStatus::kReadFailed, ERROR_NOT_ENOUGH_MEMORY);
    }
    RunningDigest digest(hasher);
    // The handle reads on from where the last block ended.
    return ReadBlocks(offset, length, block, control, digest,
                      [file, data](std::uint64_t, std::size_t wanted) {
                          BlockRead read;
                          read.data = data;
                          DWORD got = 0;
                          if (!ReadFile(file, data, static_cast<DWORD>(wanted), &got, nullptr)) {
                              read.error = GetLastError();
                          }
                          read.got = got;
                          return read;
                      });
}

// Checksums `length` bytes of `file`, opened past the cache, from `offset`
// on. A refusal of the file system is kReadFailed with ERROR_INVALID_PARAMETER.
FileChecksum ChecksumUnbufferedRange(HANDLE file, std::uint64_t offset, std::uint64_t length,
                                     std::vector<unsigned char>& buffer, FileReadControl* control,
                                     Hasher* hasher) {
    return ChecksumAlignedRange(
        offset, length, buffer, ERROR_NOT_ENOUGH_MEMORY, control, hasher,
        [file](std::uint64_t start, unsigned char* data, std::size_t wanted) {
            AlignedRead read;
            LARGE_INTEGER at;
            at.QuadPart = static_cast<LONGLONG>(start);
            DWORD got = 0;
            if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN) ||
                !ReadFile(file, data, static_cast<DWORD>(wanted), &got, nullptr)) {
                read.error = GetLastError();
            }
            read.got = got;
            return read;
        });
}

// Checksums `length` bytes of `file` from `offset` on: past the cache when
// `direct`; through the cache otherwise, and through a new handle of `path`
// when the file system refuses the uncached reads (ERROR_INVALID_PARAMETER).
// The digest is a CRC-32, or with `hasher` of its kind, read through mapped
// views where `access` says how (kMappedReadThreshold). The caller holds the
// error-mode guard.
FileChecksum ChecksumRangeAsOpened(HANDLE file, bool direct, std::uint64_t offset,
                                   std::uint64_t length, std::vector<unsigned char>& buffer,
                                   const std::string& path, const FileAccess& access, unsigned part,
                                   const FilePartsSettings& settings, Hasher* hasher) {
    if (!direct) {
        FileChecksum mapped;
        if (hasher != nullptr && access.readMapped != nullptr && ReadsMapped(length) &&
            access.readMapped(file, offset, length, access.control, *hasher, mapped)) {
            return mapped;
        }
        return ChecksumRange(file, offset, length, buffer, access.control, hasher);
    }
    const unsigned long fault = InjectedFault(settings, part, PartStep::kReadUncached);
    const FileChecksum result =
        fault != 0 ? Failed(FileReadStatus::kReadFailed, fault)
                   : ChecksumUnbufferedRange(file, offset, length, buffer, access.control, hasher);
    if (result.status != FileReadStatus::kReadFailed ||
        result.errorCode != ERROR_INVALID_PARAMETER) {
        return result;
    }
    const ScopedFileHandle cachedFile = OpenForReading(path, access.open, kCachedFlags);
    if (!cachedFile.IsValid()) return Failed(FileReadStatus::kReadFailed, GetLastError());
    FileChecksum cached =
        ChecksumRange(cachedFile.Get(), offset, length, buffer, access.control, hasher);
    cached.readThroughCache = cached.status == FileReadStatus::kOk;
    return cached;
}

// Marks a result read through the cache because its open was refused.
FileChecksum ThroughCacheWhen(bool refused, FileChecksum result) {
    if (refused && result.status == FileReadStatus::kOk) result.readThroughCache = true;
    return result;
}

// A part on a thread of its own: its own handle, error mode and buffer.
FileChecksum ChecksumPartOnOwnThread(const std::string& path, const FileAccess& access,
                                     unsigned part, const FilePart& range,
                                     const FilePartsSettings& settings) {
    ErrorModeGuard guard(FsRedirection::kOff, ErrorModeScope::kThread);
    if (const unsigned long fault = InjectedFault(settings, part, PartStep::kOpen)) {
        return Failed(FileReadStatus::kOpenFailed, fault);
    }
    bool direct = false;
    const ScopedFileHandle file = OpenAsAsked(path, access, part, settings, direct);
    if (!file.IsValid()) return Failed(FileReadStatus::kOpenFailed, GetLastError());
    if (const unsigned long fault = InjectedFault(settings, part, PartStep::kRead)) {
        return Failed(FileReadStatus::kReadFailed, fault);
    }
    std::vector<unsigned char> buffer;
    return ThroughCacheWhen(access.uncached && !direct,
                            ChecksumRangeAsOpened(file.Get(), direct, range.offset, range.length,
                                                  buffer, path, access, part, settings, nullptr));
}

}  // namespace

unsigned UsableProcessorCount() {
    DWORD_PTR processMask = 0;
    DWORD_PTR systemMask = 0;
    if (!GetProcessAffinityMask(GetCurrentProcess(), &processMask, &systemMask)) return 1;
    const auto count =
        static_cast<unsigned>(std::bitset<sizeof(DWORD_PTR) * 8>(processMask).count());
    return std::max(1U, count);
}

namespace {

// ChecksumFileWith, the bytes handed to `given` or (null) to a hasher of the
// kind `access` names.
FileChecksum ChecksumFileFor(const std::string& path, std::vector<unsigned char>& buffer,
                             const FileAccess& access, const FilePartsSettings& settings,
                             Hasher* given) {
    ErrorModeGuard guard(FsRedirection::kOff, access.errorMode);
    bool direct = false;
    const ScopedFileHandle file = OpenAsAsked(path, access, 0, settings, direct);
    if (!file.IsValid()) return Failed(FileReadStatus::kOpenFailed, GetLastError());
    if (GetFileType(file.Get()) != FILE_TYPE_DISK) return Failed(FileReadStatus::kNotADiskFile, 0);
    if (access.leaveOut != nullptr && access.isFile != nullptr &&
        access.isFile(file.Get(), *access.leaveOut)) {
        return Failed(FileReadStatus::kLeftOut, 0);
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size))
        return Failed(FileReadStatus::kSizeFailed, GetLastError());

    std::unique_ptr<Hasher> made;
    if (given == nullptr && !HasherOf(access, made)) {
        return Failed(FileReadStatus::kReadFailed, ERROR_NOT_ENOUGH_MEMORY);
    }
    Hasher* const hasher = given != nullptr ? given : made.get();
    const bool refused = access.uncached && !direct;
    const auto bytes = static_cast<std::uint64_t>(size.QuadPart);
    AllowHashingHelpers(hasher, bytes, settings, access.control);
    // Only a CRC-32 combines from parts.
    const unsigned wanted = hasher != nullptr ? 1 : PartCount(bytes, settings);
    const BorrowedThreads threads(access.control, wanted - 1);
    const unsigned parts = 1 + threads.Count();
    if (parts <= 1) {
        try {
            return ThroughCacheWhen(
                refused, ChecksumRangeAsOpened(file.Get(), direct, 0, bytes, buffer, path, access,
                                               0, settings, hasher));
        } catch (const std::exception&) {
            // A hasher whose library failed (no memory).
            return Failed(FileReadStatus::kReadFailed, ERROR_NOT_ENOUGH_MEMORY);
        }
    }
    const ReadPart read = [&](unsigned part, const FilePart& range, PartReader reader) {
        if (reader == PartReader::kOwnThread) {
            return ChecksumPartOnOwnThread(path, access, part, range, settings);
        }
        if (const unsigned long fault = InjectedFault(settings, part, PartStep::kRead)) {
            return Failed(FileReadStatus::kReadFailed, fault);
        }
        return ThroughCacheWhen(
            refused, ChecksumRangeAsOpened(file.Get(), direct, range.offset, range.length, buffer,
                                           path, access, part, settings, nullptr));
    };
    return ChecksumInParts(bytes, parts, read, settings);
}

}  // namespace

FileChecksum ChecksumFileWith(const std::string& path, std::vector<unsigned char>& buffer,
                              const FileAccess& access, const FilePartsSettings& settings) {
    return ChecksumFileFor(path, buffer, access, settings, nullptr);
}

FileChecksum ChecksumFileInto(const std::string& path, std::vector<unsigned char>& buffer,
                              const FileAccess& access, Hasher& hasher) {
    return ChecksumFileFor(path, buffer, access, FilePartsSettings(), &hasher);
}

}  // namespace sumbrook
