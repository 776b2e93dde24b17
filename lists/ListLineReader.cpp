#include "lists/ListLineReader.h"

#include <algorithm>

namespace sumbrook {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
// Held before a line is refused for its length: its longest text, a
// byte-order mark before it and a CR after it.
constexpr std::size_t kLongestHeld = kMaxListLineLength + kUtf8Bom.size() + 1;

std::string TooLong() {
    return "the line is longer than " + std::to_string(kMaxListLineLength) + " bytes";
}

}  // namespace

bool ListLineReader::Add(std::string_view bytes, ListLineSink& sink) {
    if (!fault_.empty()) return false;
    if (start_ == Start::kUnread) {
        // Two bytes tell a UTF-16 byte-order mark.
        const std::size_t taken = std::min(bytes.size(), 2 - head_.size());
        head_.append(bytes.substr(0, taken));
        bytes.remove_prefix(taken);
        if (head_.size() < 2) return true;
        const ListEncoding encoding = ListEncodingOf(head_);
        if (encoding == ListEncoding::kUtf16Le || encoding == ListEncoding::kUtf16Be) {
            start_ = Start::kUtf16;
            utf16_ = Utf16Decoder(encoding == ListEncoding::kUtf16Be);
        } else {
            start_ = Start::kBytes;
            if (!Split(head_, sink)) return false;
        }
    }
    if (start_ == Start::kBytes) return Split(bytes, sink);
    decoded_.clear();
    const bool decoded = utf16_.Add(bytes, decoded_);
    if (!Split(decoded_, sink)) return false;
    if (!decoded) return Refuse(lines_ + 1, "the list starts as UTF-16 but is no UTF-16 text");
    return true;
}

bool ListLineReader::Finish(ListLineSink& sink) {
    if (!fault_.empty()) return false;
    if (start_ == Start::kUnread) {
        start_ = Start::kBytes;
        if (!Split(head_, sink)) return false;
    }
    if (start_ == Start::kUtf16 && !utf16_.Finish()) {
        return Refuse(lines_ + 1, "the list starts as UTF-16 but is no UTF-16 text");
    }
    if (!pending_.empty()) return EndLine(sink);
    return true;
}

bool ListLineReader::Split(std::string_view text, ListLineSink& sink) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        pending_.append(text.substr(0, end));
        if (pending_.size() > kLongestHeld) return Refuse(lines_ + 1, TooLong());
        if (end == std::string_view::npos) break;
        if (!EndLine(sink)) return false;
        text.remove_prefix(end + 1);
    }
    return true;
}

bool ListLineReader::EndLine(ListLineSink& sink) {
    ++lines_;
    std::string_view line = pending_;
    if (line.substr(0, kUtf8Bom.size()) == kUtf8Bom) line.remove_prefix(kUtf8Bom.size());
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() > kMaxListLineLength) return Refuse(lines_, TooLong());
    std::string error;
    const bool taken = sink.TakeLine(line, lines_, error);
    pending_.clear();
    if (!taken) return Refuse(lines_, std::move(error));
    return true;
}

bool ListLineReader::Refuse(std::size_t line, std::string error) {
    faultLine_ = line;
    fault_ = error.empty() ? std::string("the line is refused") : std::move(error);
    pending_.clear();
    pending_.shrink_to_fit();
    return false;
}

}  // namespace sumbrook
