#include "files/FileChecksum.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "crc/Crc32.h"
#include "platform/ErrorModeGuard.h"
#include "platform/WinHandles.h"

namespace sumbrook {

namespace {

ScopedFileHandle OpenForReading(const std::string& path, ErrorModeScope errorMode) {
    ErrorModeGuard guard(FsRedirection::kOff, errorMode);
    return ScopedFileHandle(
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

// Page-aligned reads into memory the platform copies into fastest; the
// buffer holds one block at most, and no more than the file needs.
constexpr std::size_t kReadAlignment = 4096;

// The aligned start of `buffer` after growing it (never shrinking) so that
// `size` bytes fit from there.
unsigned char* AlignedReadBuffer(std::vector<unsigned char>& buffer, std::size_t size) {
    if (buffer.size() < size + kReadAlignment - 1) buffer.resize(size + kReadAlignment - 1);
    const auto address = reinterpret_cast<std::uintptr_t>(buffer.data());
    return buffer.data() + (kReadAlignment - address % kReadAlignment) % kReadAlignment;
}

}  // namespace

FileChecksum ChecksumFile(const std::string& path, std::vector<unsigned char>& buffer,
                          ErrorModeScope errorMode) {
    FileChecksum result;
    ScopedFileHandle file = OpenForReading(path, errorMode);
    if (!file.IsValid()) {
        result.errorCode = GetLastError();
        return result;
    }

    ErrorModeGuard guard(FsRedirection::kOff, errorMode);
    if (GetFileType(file.Get()) != FILE_TYPE_DISK) {
        result.status = FileReadStatus::kNotADiskFile;
        return result;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size)) {
        result.status = FileReadStatus::kSizeFailed;
        result.errorCode = GetLastError();
        return result;
    }

    std::uint64_t remaining = static_cast<std::uint64_t>(size.QuadPart);
    const std::size_t block =
        static_cast<std::size_t>(std::min<std::uint64_t>(remaining, kFileReadBlockSize));
    unsigned char* const data = AlignedReadBuffer(buffer, block);
    std::uint32_t crc = 0;
    while (remaining > 0) {
        const DWORD wanted = static_cast<DWORD>(std::min<std::uint64_t>(remaining, block));
        DWORD got = 0;
        if (!ReadFile(file.Get(), data, wanted, &got, nullptr)) {
            result.status = FileReadStatus::kReadFailed;
            result.errorCode = GetLastError();
            return result;
        }
        if (got == 0) {
            result.status = FileReadStatus::kEndedEarly;
            return result;
        }
        crc = Crc32Update(crc, data, got);
        remaining -= got;
    }
    result.status = FileReadStatus::kOk;
    result.crc = crc;
    result.size = static_cast<std::uint64_t>(size.QuadPart);
    return result;
}

}  // namespace sumbrook
