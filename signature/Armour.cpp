#include "signature/Armour.h"

#include <array>

namespace sumbrook {

namespace {

constexpr std::string_view kBeginPrefix = "-----BEGIN ";
constexpr std::string_view kEndPrefix = "-----END ";
constexpr std::string_view kDashes = "-----";

std::string_view WithoutBlanksAtEnd(std::string_view line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) {
        line.remove_suffix(1);
    }
    return line;
}

// The label of "<prefix>PGP LABEL-----" ("PGP SIGNATURE"), or empty.
std::string_view LabelOf(std::string_view line, std::string_view prefix) {
    if (line.size() <= prefix.size() + kDashes.size() || line.substr(0, prefix.size()) != prefix ||
        line.substr(line.size() - kDashes.size()) != kDashes) {
        return {};
    }
    const std::string_view label =
        line.substr(prefix.size(), line.size() - prefix.size() - kDashes.size());
    return label.substr(0, 4) == "PGP " ? label : std::string_view();
}

constexpr std::array<signed char, 256> Base64Values() {
    std::array<signed char, 256> values{};
    for (auto& v : values) v = -1;
    constexpr std::string_view digits =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        values[static_cast<unsigned char>(digits[i])] = static_cast<signed char>(i);
    }
    return values;
}
constexpr std::array<signed char, 256> kBase64 = Base64Values();

// Takes the next line of `text` (its line end gone) into `line`.
bool NextLine(std::string_view& text, std::string_view& line) {
    if (text.empty()) return false;
    const std::size_t end = text.find('\n');
    line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    return true;
}

}  // namespace

std::uint32_t Crc24(std::string_view bytes, std::uint32_t crc) {
    for (const char c : bytes) {
        crc ^= static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 16;
        for (int bit = 0; bit < 8; ++bit) {
            crc <<= 1;
            if ((crc & 0x1000000U) != 0) crc ^= 0x1864CFBU;
        }
    }
    return crc & 0xFFFFFFU;
}

bool DecodeBase64(std::string_view text, std::string& out) {
    std::uint32_t bits = 0;
    int count = 0;
    std::size_t padding = 0;
    for (const char c : text) {
        if (c == '=') {
            ++padding;
            continue;
        }
        const int value = kBase64[static_cast<unsigned char>(c)];
        if (value < 0 || padding != 0) return false;
        bits = (bits << 6) | static_cast<std::uint32_t>(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out.push_back(static_cast<char>((bits >> count) & 0xFFU));
        }
    }
    // What padding there is completes the last group of four, and the bits
    // of the last digit that make no byte are zero: every text of the same
    // bytes is the same text.
    return padding <= 2 && (padding == 0 || (text.size() % 4) == 0) && count < 6 &&
           (bits & ((1U << count) - 1U)) == 0;
}

std::string WriteArmour(std::string_view label,
                        const std::vector<std::pair<std::string, std::string>>& headers,
                        std::string_view bytes) {
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text = "-----BEGIN " + std::string(label) + "-----\n";
    for (const auto& [name, value] : headers) text += name + ": " + value + "\n";
    text += "\n";
    const auto base64 = [&](std::string_view piece) {
        std::string out;
        for (std::size_t i = 0; i < piece.size(); i += 3) {
            std::uint32_t group = static_cast<std::uint32_t>(static_cast<unsigned char>(piece[i]))
                                  << 16;
            if (i + 1 < piece.size())
                group |= static_cast<std::uint32_t>(static_cast<unsigned char>(piece[i + 1])) << 8;
            if (i + 2 < piece.size()) group |= static_cast<unsigned char>(piece[i + 2]);
            out.push_back(digits[(group >> 18) & 63]);
            out.push_back(digits[(group >> 12) & 63]);
            out.push_back(i + 1 < piece.size() ? digits[(group >> 6) & 63] : '=');
            out.push_back(i + 2 < piece.size() ? digits[group & 63] : '=');
        }
        return out;
    };
    // 48 bytes make a line of 64 characters.
    for (std::size_t at = 0; at < bytes.size(); at += 48)
        text += base64(bytes.substr(at, 48)) + "\n";
    const std::uint32_t crc = Crc24(bytes);
    const char crcBytes[3] = {static_cast<char>(crc >> 16), static_cast<char>((crc >> 8) & 0xFFU),
                              static_cast<char>(crc & 0xFFU)};
    text += "=" + base64(std::string_view(crcBytes, 3)) + "\n";
    text += "-----END " + std::string(label) + "-----\n";
    return text;
}

bool HasArmour(std::string_view bytes) {
    constexpr std::string_view begin = "-----BEGIN PGP ";
    for (std::size_t at = bytes.find(begin); at != std::string_view::npos;
         at = bytes.find(begin, at + 1)) {
        if (at == 0 || bytes[at - 1] == '\n') return true;
    }
    return false;
}

ArmourRead ReadArmour(std::string_view text) {
    ArmourRead read;
    std::size_t number = 0;
    std::string_view line;
    const auto fail = [&](const std::string& why) {
        read.error = "line " + std::to_string(number) + ": " + why;
        read.blocks.clear();
        return read;
    };
    while (NextLine(text, line)) {
        ++number;
        const std::string_view label = LabelOf(WithoutBlanksAtEnd(line), kBeginPrefix);
        if (label.empty()) continue;
        ArmourBlock block;
        block.label = std::string(label);
        // The headers, up to the blank line. Some writers leave the blank
        // line out when there are no headers: a first line that is no
        // header is then base64.
        bool inHeaders = true;
        bool ended = false;
        bool sawCrc = false;
        std::uint32_t crc = 0;
        std::string base64;
        while (!ended && NextLine(text, line)) {
            ++number;
            const std::string_view trimmed = WithoutBlanksAtEnd(line);
            if (inHeaders) {
                if (trimmed.empty()) {
                    inHeaders = false;
                    continue;
                }
                const std::size_t colon = trimmed.find(": ");
                if (colon != std::string_view::npos && colon > 0 &&
                    trimmed.find_first_of(" \t") == colon + 1) {
                    block.headers.emplace_back(trimmed.substr(0, colon), trimmed.substr(colon + 2));
                    continue;
                }
                if (trimmed.find(':') != std::string_view::npos) {
                    return fail("an armour header that is not \"Name: value\"");
                }
                inHeaders = false;
            }
            const std::string_view endLabel = LabelOf(trimmed, kEndPrefix);
            if (!endLabel.empty() || trimmed.substr(0, kEndPrefix.size()) == kEndPrefix) {
                if (endLabel != label) return fail("the armour ends with another label");
                ended = true;
                break;
            }
            if (sawCrc) return fail("text after the armour's checksum");
            if (!trimmed.empty() && trimmed.front() == '=' && trimmed.size() == 5) {
                std::string value;
                if (!DecodeBase64(trimmed.substr(1), value) || value.size() != 3) {
                    return fail("the armour's checksum is not base64");
                }
                crc = (static_cast<std::uint32_t>(static_cast<unsigned char>(value[0])) << 16) |
                      (static_cast<std::uint32_t>(static_cast<unsigned char>(value[1])) << 8) |
                      static_cast<unsigned char>(value[2]);
                sawCrc = true;
                continue;
            }
            for (const char c : trimmed) {
                if (c != ' ' && c != '\t') base64.push_back(c);
            }
        }
        if (!ended)
            return fail("the armour does not end (no \"-----END " + block.label + "-----\")");
        if (!DecodeBase64(base64, block.bytes)) return fail("the armour's text is not base64");
        if (sawCrc && Crc24(block.bytes) != crc) {
            return fail("the armour's checksum does not match its text (it was changed)");
        }
        read.blocks.push_back(std::move(block));
    }
    read.ok = true;
    return read;
}

}  // namespace sumbrook
