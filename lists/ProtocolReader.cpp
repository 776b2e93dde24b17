#include "lists/ProtocolReader.h"

#include <algorithm>
#include <cstdint>

#include "crc/Crc32.h"
#include "lists/ProtocolFormat.h"

namespace sumbrook {

namespace {

constexpr std::string_view kHeaderStart = kProtocolHeaderStart;
constexpr std::string_view kHeaderDateTime = "DD.MM.YYYY, HH:MM:SS";
constexpr std::string_view kDirectoryStart = kProtocolDirectoryStart;
constexpr std::string_view kCountEnd = kProtocolCountEnd;
constexpr std::size_t kFileLineLength = kProtocolNameWidth + 8;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsUpperHexDigit(char c) {
    return IsDigit(c) || (c >= 'A' && c <= 'F');
}

bool StartsWith(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

// Digits where the pattern "DD.MM.YYYY, HH:MM:SS" has letters, the pattern's
// punctuation elsewhere.
bool IsDateTime(std::string_view text) {
    if (text.size() != kHeaderDateTime.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char expected = kHeaderDateTime[i];
        const bool placeholder = expected >= 'A' && expected <= 'Z';
        if (placeholder ? !IsDigit(text[i]) : text[i] != expected) return false;
    }
    return true;
}

// The fields of a text that IsDateTime accepts.
LocalDateTime DateTimeOf(std::string_view text) {
    const auto number = [text](std::size_t at, std::size_t digits) {
        int value = 0;
        for (std::size_t i = at; i < at + digits; ++i) value = value * 10 + (text[i] - '0');
        return value;
    };
    return {number(6, 4), number(3, 2), number(0, 2), number(12, 2), number(15, 2), number(18, 2)};
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// Hands out the protocol's lines one by one, each checked for its CR LF and
// for bytes that no line holds.
class LineCursor {
  public:
    explicit LineCursor(std::string_view text) : text_(text) {}

    // The next line without its CR LF, or false with `error` set.
    bool Next(std::string_view& line, std::string& error, std::string_view expected) {
        ++number_;
        if (position_ >= text_.size()) {
            error = "the protocol ends early; expected " + std::string(expected);
            return false;
        }
        const std::size_t end = text_.find(kProtocolLineEnd, position_);
        const std::size_t stop = end == std::string_view::npos ? text_.size() : end;
        line = text_.substr(position_, stop - position_);
        const std::size_t bad = line.find_first_of(std::string_view("\r\n\0", 3));
        if (bad != std::string_view::npos) {
            error = line[bad] == '\0' ? "the line holds a NUL byte"
                                      : "the line does not end with CR LF";
            return false;
        }
        if (end == std::string_view::npos) {
            error = "the line does not end with CR LF";
            return false;
        }
        position_ = end + 2;
        return true;
    }

    bool AtEnd() const { return position_ >= text_.size(); }
    std::size_t Number() const { return number_; }

  private:
    std::string_view text_;
    std::size_t position_ = 0;
    std::size_t number_ = 0;
};

// The count line's number, or false when the line is no count line. Ten
// digits at most, counted in 64 bits on every build.
bool ParseCountLine(std::string_view line, std::uint64_t& count) {
    if (line.size() <= kCountEnd.size() ||
        line.substr(line.size() - kCountEnd.size()) != kCountEnd) {
        return false;
    }
    const std::string_view digits = line.substr(0, line.size() - kCountEnd.size());
    if (digits.size() > 10 || (digits.size() > 1 && digits[0] == '0')) return false;
    if (!std::all_of(digits.begin(), digits.end(), IsDigit)) return false;
    count = 0;
    for (const char digit : digits) count = count * 10 + static_cast<std::uint64_t>(digit - '0');
    return true;
}

// Checks one file line; empty when it fits.
std::string FileLineFault(std::string_view line) {
    if (line.size() != kFileLineLength) {
        return "a file line has " + std::to_string(kFileLineLength) +
               " characters (a name field of 34 and a checksum of 8), this one has " +
               std::to_string(line.size());
    }
    const std::string_view crcText = line.substr(kProtocolNameWidth);
    if (!std::all_of(crcText.begin(), crcText.end(), IsUpperHexDigit)) {
        return "the checksum " + Quoted(crcText) + " is not eight characters 0-9 and A-F";
    }
    if (crcText == kNoCrc32Text) return "the checksum 00000000 is never listed in a protocol";
    return {};
}

}  // namespace

ProtocolReadResult ParseProtocol(std::string_view text) {
    ProtocolReadResult result;
    Protocol& protocol = result.protocol;
    LineCursor lines(text);
    std::string_view line;
    const auto fail = [&](std::string error) {
        result.line = lines.Number();
        result.error = std::move(error);
        return result;
    };
    std::string error;

    if (!lines.Next(line, error, "the header line")) return fail(error);
    if (!StartsWith(line, kHeaderStart) || !IsDateTime(line.substr(kHeaderStart.size()))) {
        return fail("expected the header " +
                    Quoted(std::string(kHeaderStart) + std::string(kHeaderDateTime)));
    }
    protocol.headerLine = std::string(line);
    protocol.when = DateTimeOf(line.substr(kHeaderStart.size()));

    if (!lines.Next(line, error, "the directory line")) return fail(error);
    if (!StartsWith(line, kDirectoryStart)) {
        return fail("expected " + Quoted(kDirectoryStart) + " and the directory");
    }
    protocol.directoryText = std::string(line.substr(kDirectoryStart.size()));

    if (!lines.Next(line, error, "the column line")) return fail(error);
    if (line != kProtocolColumnLine) return fail("expected " + Quoted(kProtocolColumnLine));

    const std::string separator = ProtocolSeparatorLine(
        protocol.headerLine.size(), kDirectoryStart.size() + protocol.directoryText.size());
    const std::string separatorFault =
        "expected a separator of " + std::to_string(separator.size()) + " dashes";
    if (!lines.Next(line, error, "the separator line")) return fail(error);
    if (line != separator) return fail(separatorFault);

    for (;;) {
        if (!lines.Next(line, error, "a file line or the separator line")) return fail(error);
        if (line == separator) break;
        if (!line.empty() && line.find_first_not_of('-') == std::string_view::npos) {
            return fail(separatorFault);
        }
        const std::string fault = FileLineFault(line);
        if (!fault.empty()) return fail(fault);
        protocol.entries.push_back({std::string(line.substr(0, kProtocolNameWidth)),
                                    std::string(line.substr(kProtocolNameWidth)), lines.Number()});
    }

    if (!lines.Next(line, error, "the count line")) return fail(error);
    std::uint64_t count = 0;
    if (!ParseCountLine(line, count)) {
        return fail("expected the count line " + Quoted("<number>" + std::string(kCountEnd)));
    }
    if (count != static_cast<std::uint64_t>(protocol.entries.size())) {
        return fail("the count line says " + std::to_string(count) + " files, the protocol lists " +
                    std::to_string(protocol.entries.size()));
    }

    if (!lines.Next(line, error, "the empty last line")) return fail(error);
    if (!line.empty()) return fail("expected the empty last line");
    if (!lines.AtEnd()) {
        lines.Next(line, error, "");
        return fail("text after the end of the protocol");
    }
    result.ok = true;
    return result;
}

std::string TrimmedNameField(std::string_view nameField) {
    const std::size_t end = nameField.find_last_not_of(' ');
    return std::string(nameField.substr(0, end == std::string_view::npos ? 0 : end + 1));
}

}  // namespace sumbrook
