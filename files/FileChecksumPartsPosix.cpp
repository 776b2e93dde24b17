#include <unistd.h>

#include <algorithm>
#include <system_error>
#include <thread>

#include "crc/Crc32Combine.h"
#include "files/FileChecksumParts.h"
#include "files/FileChecksumPosix.h"
#include "platform/PosixHandles.h"

namespace sumbrook {

namespace {

// Checksums the open file in `parts` consecutive pieces, the first on this
// thread and the others on threads of their own, and joins the results.
FileChecksum ChecksumInPieces(const OpenedFile& file, unsigned parts) {
    const std::uint64_t pieceSize = (file.size + parts - 1) / parts;
    std::vector<FileChecksum> pieces(parts);
    std::vector<std::thread> helpers;
    helpers.reserve(parts - 1);
    const auto checksumPiece = [&file, &pieces, pieceSize](unsigned piece) {
        const std::uint64_t offset = pieceSize * piece;
        const std::uint64_t length =
            offset >= file.size ? 0 : std::min(pieceSize, file.size - offset);
        pieces[piece] = ChecksumMappedRange(file.fd, offset, length);
    };
    for (unsigned piece = 1; piece < parts; ++piece) {
        try {
            helpers.emplace_back(checksumPiece, piece);
        } catch (const std::system_error&) {
            checksumPiece(piece);  // no thread to be had: this one reads it
        }
    }
    checksumPiece(0);
    for (std::thread& helper : helpers) helper.join();

    FileChecksum whole;
    whole.status = FileReadStatus::kOk;
    for (const FileChecksum& piece : pieces) {
        if (piece.status != FileReadStatus::kOk) return piece;
        whole.crc = Crc32Combine(whole.crc, piece.crc, piece.size);
        whole.size += piece.size;
    }
    return whole;
}

}  // namespace

FileChecksum ChecksumFileInParts(const std::string& path, unsigned parts,
                                 std::vector<unsigned char>& buffer, ErrorModeScope /*errorMode*/) {
    const OpenedFile opened = OpenRegularFile(path);
    if (opened.fd < 0) return opened.failure;
    const ScopedFd owner(opened.fd);
    return parts > 1 && opened.size >= kSplitFileSize ? ChecksumInPieces(opened, parts)
                                                      : ChecksumOpenedFile(opened, buffer);
}

}  // namespace sumbrook
