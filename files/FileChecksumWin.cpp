// ChecksumFile on Win32: one handle reads a file block by block; a large one
// is read in parts, the calling thread's through that handle, each other
// part's through a handle of its own (reads on one synchronous handle would
// wait for each other). The first handle stays open meanwhile: admitting
// readers only, it keeps writers out and the file from being renamed,
// replaced or cut short, so every part opens the same bytes.
#include <windows.h>

#include <algorithm>
#include <bitset>
#include <cstdint>
#include <new>

#include "crc/Crc32.h"
#include "files/FileChecksum.h"
#include "files/FileChecksumParts.h"
#include "platform/ErrorModeGuard.h"
#include "platform/WidePath.h"
#include "platform/WinHandles.h"

namespace sumbrook {

namespace {

// Opens `path` as every read of a file does, by the ...A or the ...W call as
// `names` says; the caller holds the error-mode guard.
ScopedFileHandle OpenForReading(const std::string& path, PathEncoding names) {
    constexpr DWORD kFlags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN;
    if (names == PathEncoding::kUtf8) {
        return ScopedFileHandle(CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                            nullptr, OPEN_EXISTING, kFlags, nullptr));
    }
    return ScopedFileHandle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, kFlags, nullptr));
}

// Page-aligned reads into memory the platform copies into fastest; the
// buffer holds one block at most, and no more than the range needs.
constexpr std::size_t kReadAlignment = 4096;

// The aligned start of `buffer` after growing it (never shrinking) so that
// `size` bytes fit from there.
unsigned char* AlignedReadBuffer(std::vector<unsigned char>& buffer, std::size_t size) {
    if (buffer.size() < size + kReadAlignment - 1) buffer.resize(size + kReadAlignment - 1);
    const auto address = reinterpret_cast<std::uintptr_t>(buffer.data());
    return buffer.data() + (kReadAlignment - address % kReadAlignment) % kReadAlignment;
}

FileChecksum Failed(FileReadStatus status, unsigned long errorCode) {
    FileChecksum failed;
    failed.status = status;
    failed.errorCode = errorCode;
    return failed;
}

// Checksums `length` bytes of `file` from `offset` on, block by block.
FileChecksum ChecksumRange(HANDLE file, std::uint64_t offset, std::uint64_t length,
                           std::vector<unsigned char>& buffer) {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file, position, nullptr, FILE_BEGIN)) {
        return Failed(FileReadStatus::kReadFailed, GetLastError());
    }
    const std::size_t block =
        static_cast<std::size_t>(std::min<std::uint64_t>(length, kFileReadBlockSize));
    unsigned char* data = nullptr;
    try {
        data = AlignedReadBuffer(buffer, block);
    } catch (const std::bad_alloc&) {
        return Failed(FileReadStatus::kReadFailed, ERROR_NOT_ENOUGH_MEMORY);
    }
    std::uint64_t remaining = length;
    std::uint32_t crc = 0;
    while (remaining > 0) {
        const DWORD wanted = static_cast<DWORD>(std::min<std::uint64_t>(remaining, block));
        DWORD got = 0;
        if (!ReadFile(file, data, wanted, &got, nullptr)) {
            return Failed(FileReadStatus::kReadFailed, GetLastError());
        }
        if (got == 0) return Failed(FileReadStatus::kEndedEarly, 0);
        crc = Crc32Update(crc, data, got);
        remaining -= got;
    }
    FileChecksum result;
    result.status = FileReadStatus::kOk;
    result.crc = crc;
    result.size = length;
    return result;
}

// A part on a thread of its own: its own handle, error mode and buffer.
FileChecksum ChecksumPartOnOwnThread(const std::string& path, PathEncoding names, unsigned part,
                                     const FilePart& range, const FilePartsSettings& settings) {
    ErrorModeGuard guard(FsRedirection::kOff, ErrorModeScope::kThread);
    if (const unsigned long fault = InjectedFault(settings, part, PartStep::kOpen)) {
        return Failed(FileReadStatus::kOpenFailed, fault);
    }
    const ScopedFileHandle file = OpenForReading(path, names);
    if (!file.IsValid()) return Failed(FileReadStatus::kOpenFailed, GetLastError());
    if (const unsigned long fault = InjectedFault(settings, part, PartStep::kRead)) {
        return Failed(FileReadStatus::kReadFailed, fault);
    }
    std::vector<unsigned char> buffer;
    return ChecksumRange(file.Get(), range.offset, range.length, buffer);
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

FileChecksum ChecksumFileWith(const std::string& path, std::vector<unsigned char>& buffer,
                              const FileAccess& access, const FilePartsSettings& settings) {
    ErrorModeGuard guard(FsRedirection::kOff, access.errorMode);
    const ScopedFileHandle file = OpenForReading(path, access.names);
    if (!file.IsValid()) return Failed(FileReadStatus::kOpenFailed, GetLastError());
    if (GetFileType(file.Get()) != FILE_TYPE_DISK) return Failed(FileReadStatus::kNotADiskFile, 0);
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size))
        return Failed(FileReadStatus::kSizeFailed, GetLastError());

    const auto bytes = static_cast<std::uint64_t>(size.QuadPart);
    const unsigned parts = PartCount(bytes, settings);
    if (parts <= 1) return ChecksumRange(file.Get(), 0, bytes, buffer);
    const ReadPart read = [&](unsigned part, const FilePart& range, PartReader reader) {
        if (reader == PartReader::kOwnThread) {
            return ChecksumPartOnOwnThread(path, access.names, part, range, settings);
        }
        if (const unsigned long fault = InjectedFault(settings, part, PartStep::kRead)) {
            return Failed(FileReadStatus::kReadFailed, fault);
        }
        return ChecksumRange(file.Get(), range.offset, range.length, buffer);
    };
    return ChecksumInParts(bytes, parts, read, settings);
}

}  // namespace sumbrook
