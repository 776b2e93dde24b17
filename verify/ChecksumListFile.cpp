#include "verify/ChecksumListFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "lists/ListEncoding.h"
#include "lists/ProtocolFormat.h"
#include "platform/StdioFile.h"
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
    const ScopedStdioFile file = standardInput ? ScopedStdioFile() : OpenStdioFile(path, "rb");
    if (!standardInput && !file.IsValid()) {
        result.error = std::strerror(errno);
        return result;
    }
    std::FILE* const stream = standardInput ? stdin : file.Get();
    std::string block(kBlockSize, '\0');
    std::size_t got = std::fread(block.data(), 1, block.size(), stream);
    // A list saved as UTF-16 is read as the UTF-8 it holds.
    const ListEncoding encoding = ListEncodingOf(std::string_view(block.data(), got));
    const bool utf16 = encoding == ListEncoding::kUtf16Le || encoding == ListEncoding::kUtf16Be;
    Utf16Decoder decoder(encoding == ListEncoding::kUtf16Be);
    std::string decoded;
    const auto textOf = [&](std::string_view bytes) -> std::string_view {
        if (!utf16) return bytes;
        decoded.clear();
        decoder.Add(bytes, decoded);
        return decoded;
    };
    std::string text(textOf(std::string_view(block.data(), got).substr(utf16 ? 2 : 0)));
    // A protocol saved with a UTF-8 byte-order mark is still a protocol.
    const std::size_t utf8Mark = encoding == ListEncoding::kUtf8Bom ? 3 : 0;
    const bool protocol =
        text.compare(utf8Mark, kProtocolHeaderStart.size(), kProtocolHeaderStart.data(),
                     kProtocolHeaderStart.size()) == 0;
    result.kind = protocol ? ChecksumListFile::Kind::kProtocol : ChecksumListFile::Kind::kLines;
    ListReadOptions options;
    options.listName = path;
    options.forced = forced;
    ListReader feed(std::move(options));
    bool refused = false;
    if (result.kind == ChecksumListFile::Kind::kLines) {
        refused = !feed.Add(text);
        text.clear();
    } else {
        text.erase(0, utf8Mark);
    }
    std::size_t lines = 0;
    while (!refused && got > 0 && text.size() <= kLargestProtocol) {
        if (goOn) {
            lines += static_cast<std::size_t>(std::count(block.data(), block.data() + got, '\n'));
            if (!goOn(lines)) {
                result.cancelled = true;
                return result;
            }
        }
        got = std::fread(block.data(), 1, block.size(), stream);
        const std::string_view piece = textOf(std::string_view(block.data(), got));
        if (result.kind == ChecksumListFile::Kind::kProtocol) {
            text.append(piece);
        } else {
            refused = !feed.Add(piece);
        }
    }
    const int readError = errno;
    if (!refused && std::ferror(stream) != 0) {
        result.error = std::strerror(readError);
        return result;
    }
    if (!refused && utf16 && !decoder.Finish()) {
        result.error = "the list starts as UTF-16 but is no UTF-16 text";
        return result;
    }
    // The protocol's names are kept in the code page the dialog writes them in.
    if (result.kind == ChecksumListFile::Kind::kProtocol && encoding != ListEncoding::kBytes) {
        std::string inCodePage;
        if (!ProtocolTextOf(text, inCodePage)) {
            result.error = "the protocol holds characters that its code page cannot hold";
            return result;
        }
        text = std::move(inCodePage);
    }

    if (result.kind == ChecksumListFile::Kind::kLines) {
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
