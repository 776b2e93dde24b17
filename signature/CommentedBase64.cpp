#include "signature/CommentedBase64.h"

#include <array>
#include <cstdint>

namespace sumbrook {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Each character's value; 64 for one outside the alphabet.
constexpr std::array<std::uint8_t, 256> Values() {
    std::array<std::uint8_t, 256> values{};
    for (auto& value : values) value = 64;
    for (std::uint8_t i = 0; i < 64; ++i) values[static_cast<unsigned char>(kAlphabet[i])] = i;
    return values;
}
constexpr std::array<std::uint8_t, 256> kValues = Values();

}  // namespace

std::string_view LineAt(std::string_view text, std::size_t at, std::size_t& next, bool& endedLine) {
    const std::size_t lf = text.find('\n', at);
    endedLine = lf != std::string_view::npos;
    std::string_view line = text.substr(at, (endedLine ? lf : text.size()) - at);
    next = endedLine ? lf + 1 : text.size();
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

bool DecodeStrictBase64(std::string_view text, std::string& out) {
    if (text.empty() || text.size() % 4 != 0) return false;
    std::size_t padding = 0;
    while (padding < 2 && text[text.size() - 1 - padding] == '=') ++padding;
    std::uint32_t bits = 0;
    int held = 0;
    for (std::size_t i = 0; i < text.size() - padding; ++i) {
        const std::uint32_t value = kValues[static_cast<unsigned char>(text[i])];
        if (value == 64) return false;
        bits = (bits << 6) | value;
        held += 6;
        if (held >= 8) {
            held -= 8;
            out += static_cast<char>((bits >> held) & 0xFF);
        }
    }
    // What the padding leaves over must be zero bits.
    return (bits & ((1U << held) - 1)) == 0;
}

std::string EncodeBase64(std::string_view bytes) {
    std::string text;
    for (std::size_t at = 0; at < bytes.size(); at += 3) {
        const std::size_t n = bytes.size() - at < 3 ? bytes.size() - at : 3;
        std::uint32_t group = 0;
        for (std::size_t i = 0; i < 3; ++i) {
            group = (group << 8) | (i < n ? static_cast<unsigned char>(bytes[at + i]) : 0U);
        }
        for (std::size_t i = 0; i < 4; ++i) {
            text += i <= n ? kAlphabet[(group >> (18 - 6 * i)) & 63] : '=';
        }
    }
    return text;
}

CommentedBase64 ReadCommentedBase64(std::string_view text, std::size_t at, std::string_view prefix,
                                    std::size_t commentLimit, std::size_t size) {
    CommentedBase64 read;
    std::size_t next = 0;
    bool ended = false;
    const std::string_view comment = LineAt(text, at, next, ended);
    if (comment.substr(0, prefix.size()) != prefix) {
        read.error = "a line starting with \"" + std::string(prefix) + "\" was expected";
        return read;
    }
    if (comment.size() - prefix.size() > commentLimit) {
        read.error = "the comment is longer than " + std::to_string(commentLimit) + " bytes";
        return read;
    }
    if (!ended) {
        read.error = "the text ends after its comment";
        return read;
    }
    read.comment = std::string(comment.substr(prefix.size()));
    const std::string_view line = LineAt(text, next, read.end, read.endedLine);
    // A line far longer than the bytes asked for is refused before decoding.
    if (line.size() != (size + 2) / 3 * 4 || !DecodeStrictBase64(line, read.bytes) ||
        read.bytes.size() != size) {
        read.error =
            "the line after the comment is not the base64 of " + std::to_string(size) + " bytes";
        read.bytes.clear();
        return read;
    }
    read.line = std::string(line);
    read.ok = true;
    return read;
}

}  // namespace sumbrook
