#include "cli/ChecksumListFile.h"

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

// Splits blocks of an SFV list into lines and reads each as it ends.
class SfvLineFeed {
  public:
    // False once a line is refused (`error` says why).
    bool Add(const char* bytes, std::size_t size) {
        std::size_t start = 0;
        while (start < size) {
            const void* found = std::memchr(bytes + start, '\n', size - start);
            const std::size_t end =
                found == nullptr
                    ? size
                    : static_cast<std::size_t>(static_cast<const char*>(found) - bytes);
            pending_.append(bytes + start, end - start);
            // Room for the CR of a CR LF line end on top of the longest line.
            if (pending_.size() > kMaxSfvLineLength + 1) {
                return Refuse(line_ + 1, "the line is longer than " +
                                             std::to_string(kMaxSfvLineLength) + " bytes");
            }
            if (found == nullptr) break;
            if (!EndLine()) return false;
            start = end + 1;
        }
        return true;
    }

    // The last line, when it has no line end.
    bool Finish() { return pending_.empty() || EndLine(); }

    std::vector<SfvEntry>& Entries() { return entries_; }
    const std::string& Error() const { return error_; }

  private:
    bool EndLine() {
        ++line_;
        const std::string_view text = line_ == 1 ? StripUtf8Bom(pending_) : pending_;
        SfvLineResult parsed = ParseSfvLine(text);
        pending_.clear();
        if (parsed.kind == SfvLineResult::Kind::kError) return Refuse(line_, parsed.error);
        if (parsed.kind == SfvLineResult::Kind::kEntry) {
            parsed.entry.line = line_;
            entries_.push_back(std::move(parsed.entry));
        }
        return true;
    }

    bool Refuse(std::size_t line, const std::string& error) {
        error_ = LineFault(line, error);
        return false;
    }

    std::string pending_;
    std::size_t line_ = 0;  // lines ended so far
    std::vector<SfvEntry> entries_;
    std::string error_;
};

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
    SfvLineFeed feed;
    bool refused = false;
    if (result.kind == ChecksumListFile::Kind::kSfv) {
        refused = !feed.Add(text.data(), text.size());
        text.clear();
    }
    while (!refused && got > 0 && text.size() <= kLargestProtocol) {
        got = std::fread(block.data(), 1, block.size(), file.Get());
        if (result.kind == ChecksumListFile::Kind::kProtocol) {
            text.append(block.data(), got);
        } else {
            refused = !feed.Add(block.data(), got);
        }
    }
    const int readError = errno;
    if (!refused && std::ferror(file.Get()) != 0) {
        result.error = std::strerror(readError);
        return result;
    }

    if (result.kind == ChecksumListFile::Kind::kSfv) {
        if (refused || !feed.Finish()) {
            result.error = feed.Error();
            return result;
        }
        result.sfvEntries = std::move(feed.Entries());
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
