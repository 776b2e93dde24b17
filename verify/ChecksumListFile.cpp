#include "verify/ChecksumListFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "files/FileSize.h"
#include "lists/ListEncoding.h"
#include "platform/StdioFile.h"
#include "verify/ListFileKind.h"
#include "verify/ProtocolText.h"
#include "verify/ReportText.h"

namespace sumbrook {

namespace {

// A protocol lists about 44 bytes per file; anything near this is no protocol.
constexpr std::size_t kLargestProtocol = 256U << 20;
constexpr std::size_t kBlockSize = 1U << 16;

}  // namespace

ChecksumListFile ReadChecksumListFile(const std::string& path, std::optional<DigestKind> forced,
                                      const std::function<bool(std::size_t linesRead)>& goOn) {
    ChecksumListFile result;
    const bool standardInput = path == kStandardInputList;
    ScopedStdioFile file;
    std::FILE* stream = stdin;
    std::string block(kBlockSize, '\0');
    std::size_t got = 0;
    const ListFileJudgement judged = JudgeListFile(
        standardInput ? std::string_view() : std::string_view(path), [&](std::string_view& start) {
            if (!standardInput) {
                file = OpenStdioFile(path, "rb");
                if (!file.IsValid()) return std::string(std::strerror(errno));
                stream = file.Get();
            }
            got = std::fread(block.data(), 1, block.size(), stream);
            start = std::string_view(block.data(), got);
            return std::string();
        });
    switch (judged.kind) {
        case ListFileKind::kDevice:
        case ListFileKind::kFolder:
            result.notAList = true;
            result.error = judged.why;
            return result;
        case ListFileKind::kUnread:
            result.error = judged.why;
            return result;
        case ListFileKind::kProtocol:
            result.kind = ChecksumListFile::Kind::kProtocol;
            break;
        case ListFileKind::kLines:
            break;
    }
    // Each block read is told to `goOn` with the lines so far.
    std::size_t lines = 0;
    const auto readOn = [&]() {
        if (goOn) {
            lines += static_cast<std::size_t>(std::count(block.data(), block.data() + got, '\n'));
            if (!goOn(lines)) {
                result.cancelled = true;
                return false;
            }
        }
        got = std::fread(block.data(), 1, block.size(), stream);
        return true;
    };

    if (result.kind == ChecksumListFile::Kind::kLines) {
        ListReadOptions options;
        options.listName = path;
        options.forced = forced;
        if (!standardInput && !QueryFileSize(path, options.bytes)) options.bytes = 0;
        ListReader feed(std::move(options));
        bool refused = !feed.Add(std::string_view(block.data(), got));
        while (!refused && got > 0) {
            if (!readOn()) return result;
            refused = !feed.Add(std::string_view(block.data(), got));
        }
        const int readError = errno;
        if (!refused && std::ferror(stream) != 0) {
            result.error = std::strerror(readError);
            return result;
        }
        ListReadResult read = feed.Finish();
        if (!read.ok) {
            result.error = LineFault(read.line, read.error);
            return result;
        }
        // A name that is not UTF-8 comes from a list of an older tool, written
        // in the ANSI code page (Windows; elsewhere its bytes are the name).
        for (ListEntry& entry : read.entries) {
            if (!IsUtf8(entry.name)) {
                entry.name = read.names.Add(Utf8OfProtocolText(std::string(entry.name)));
            }
        }
        result.list = std::move(read);
        result.ok = true;
        return result;
    }

    // The protocol is read whole, decoded as the line reader decodes a list.
    ListTextDecoder decoder;
    std::string_view piece;
    bool decoded = decoder.Add(std::string_view(block.data(), got), piece);
    std::string text(piece);
    // A protocol saved with a UTF-8 byte-order mark is still a protocol.
    if (judged.encoding == ListEncoding::kUtf8Bom) text.erase(0, 3);
    while (got > 0 && text.size() <= kLargestProtocol) {
        if (!readOn()) return result;
        decoded = decoder.Add(std::string_view(block.data(), got), piece) && decoded;
        text.append(piece);
    }
    const int readError = errno;
    if (std::ferror(stream) != 0) {
        result.error = std::strerror(readError);
        return result;
    }
    if (!decoder.Finish(piece) || !decoded) {
        result.error = kNotUtf16Text;
        return result;
    }
    text.append(piece);
    // The protocol's names are kept in the code page the dialog writes them in.
    if (judged.encoding != ListEncoding::kBytes) {
        std::string inCodePage;
        if (!ProtocolTextOf(text, inCodePage)) {
            result.error = "the protocol holds characters that its code page cannot hold";
            return result;
        }
        text = std::move(inCodePage);
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
