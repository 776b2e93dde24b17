#include "verify/ChecksumListFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "lists/ProtocolFormat.h"
#include "platform/StdioFile.h"

namespace sumbrook {

namespace {

// A protocol lists about 44 bytes per file; anything near this is no protocol.
constexpr std::size_t kLargestProtocol = 256U << 20;
constexpr std::size_t kBlockSize = 1U << 16;

std::string LineFault(std::size_t line, const std::string& error) {
    return "line " + std::to_string(line) + ": " + error;
}

bool StartsWith(const std::string& text, std::string_view start) {
    return text.compare(0, start.size(), start.data(), start.size()) == 0;
}

}  // namespace

ChecksumListFile ReadChecksumListFile(const std::string& path) {
    ChecksumListFile result;
    const ScopedStdioFile file = OpenStdioFile(path, "rb");
    if (!file.IsValid()) {
        result.error = std::strerror(errno);
        return result;
    }
    std::string block(kBlockSize, '\0');
    std::size_t got = std::fread(block.data(), 1, block.size(), file.Get());
    std::string text = block.substr(0, got);
    result.kind = StartsWith(text, kProtocolHeaderStart) ? ChecksumListFile::Kind::kProtocol
                                                         : ChecksumListFile::Kind::kSfv;
    SfvStreamReader feed;
    bool refused = false;
    if (result.kind == ChecksumListFile::Kind::kSfv) {
        refused = !feed.Add(text);
        text.clear();
    }
    while (!refused && got > 0 && text.size() <= kLargestProtocol) {
        got = std::fread(block.data(), 1, block.size(), file.Get());
        if (result.kind == ChecksumListFile::Kind::kProtocol) {
            text.append(block.data(), got);
        } else {
            refused = !feed.Add(std::string_view(block.data(), got));
        }
    }
    const int readError = errno;
    if (!refused && std::ferror(file.Get()) != 0) {
        result.error = std::strerror(readError);
        return result;
    }

    if (result.kind == ChecksumListFile::Kind::kSfv) {
        SfvReadResult read = feed.Finish();
        if (!read.ok) {
            result.error = LineFault(read.line, read.error);
            return result;
        }
        result.sfvEntries = std::move(read.entries);
        result.ok = true;
        return result;
    }
    if (text.size() > kLargestProtocol) {
        result.error = "too large to be a protocol";
        return result;
    }
    ProtocolReadResult read = ParseProtocol(text);
    if (!read.ok) {
        result.error = LineFault(read.line, read.error);
        return result;
    }
    result.protocol = std::move(read.protocol);
    result.ok = true;
    return result;
}

}  // namespace sumbrook
