// Checksums of whole files, read block by block through the platform's file
// calls (under the error-mode rule, with file-system redirection off).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ErrorModeScope.h"

namespace sumbrook {

enum class FileReadStatus {
    kOk,
    kOpenFailed,    // missing, a directory, wildcards, access denied, held open for writing...
    kNotADiskFile,  // a device or pipe name
    kSizeFailed,    // the size query failed
    kReadFailed,    // a read request failed
    kEndedEarly,    // the file became shorter than the size found at open
};

struct FileChecksum {
    FileReadStatus status = FileReadStatus::kOpenFailed;
    std::uint32_t crc = 0;        // valid when status is kOk
    std::uint64_t size = 0;       // bytes checksummed
    unsigned long errorCode = 0;  // GetLastError (Windows) or errno (POSIX) of the failing call
};

// Reads the existing file at `path` (never creates one) and checksums exactly
// the bytes it held when opened; bytes appended meanwhile are not read, so the
// call always ends. The file is opened for reading, admitting other readers
// only, and is closed before the call returns on every path. `buffer` is the
// read buffer, grown once to the block size and reused across calls. On
// Windows the error-mode rule holds for `errorMode`'s scope (see
// ErrorModeGuard); failures carry GetLastError there and errno on POSIX.
FileChecksum ChecksumFile(const std::string& path, std::vector<unsigned char>& buffer,
                          ErrorModeScope errorMode = ErrorModeScope::kProcess);

// The CRC text of the file, or "00000000" when it cannot be read in full.
// An empty file also gives "00000000". Shows nothing, reports nothing.
std::string FileCrc32(const std::string& path);

// Size of one read request.
inline constexpr std::size_t kFileReadBlockSize = 1U << 20;

}  // namespace sumbrook
