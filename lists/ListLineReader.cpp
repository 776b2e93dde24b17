#include "lists/ListLineReader.h"

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
    std::string_view text;
    const bool decoded = decoder_.Add(bytes, text);
    if (!Split(text, sink)) return false;
    if (!decoded) return Refuse(0, kNotUtf16Text);
    return true;
}

bool ListLineReader::Finish(ListLineSink& sink) {
    if (!fault_.empty()) return false;
    std::string_view text;
    const bool decoded = decoder_.Finish(text);
    if (!Split(text, sink)) return false;
    if (!decoded) return Refuse(0, kNotUtf16Text);
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
