#include "lists/SfvReader.h"

#include <cstdio>

#include "hash/Digest.h"

namespace sumbrook {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::size_t kCrcDigits = 8;

bool IsControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && c != '\t') || byte == 0x7F;
}

bool IsCrcText(std::string_view text) {
    if (text.size() != kCrcDigits) return false;
    for (const char c : text) {
        if (HexDigitValue(c) < 0) return false;
    }
    return true;
}

std::uint32_t CrcValue(std::string_view crcText) {
    std::uint32_t value = 0;
    for (const char c : crcText)
        value = (value << 4) | static_cast<std::uint32_t>(HexDigitValue(c));
    return value;
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// Why `field` is no checksum, for a field at the end of a line.
std::string CrcFault(std::string_view field) {
    if (field.size() > 16) return "the line does not end with an 8-digit checksum";
    if (field.size() != kCrcDigits) {
        return "the checksum " + Quoted(field) + " has " + std::to_string(field.size()) +
               " characters, not 8";
    }
    return "the checksum " + Quoted(field) + " is not 8 hexadecimal digits";
}

SfvLineResult Refused(std::string error) {
    SfvLineResult result;
    result.kind = SfvLineResult::Kind::kError;
    result.error = std::move(error);
    return result;
}

}  // namespace

std::string_view StripUtf8Bom(std::string_view text) {
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) text.remove_prefix(kUtf8Bom.size());
    return text;
}

SfvLineResult ParseSfvLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return ParseSfvLineText(line);
}

SfvLineResult ParseSfvLineText(std::string_view line) {
    if (line.size() > kMaxSfvLineLength) {
        return Refused("the line is longer than " + std::to_string(kMaxSfvLineLength) + " bytes");
    }
    if (!line.empty() && line.front() == ';') return {};
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (IsControl(line[i])) {
            char code[8];
            std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned char>(line[i]));
            return Refused("the line holds the control byte " + std::string(code) + " at byte " +
                           std::to_string(i + 1));
        }
    }

    const std::size_t crcEnd = line.find_last_not_of(" \t");
    if (crcEnd == std::string_view::npos) return {};
    line = line.substr(0, crcEnd + 1);
    const std::size_t lastBlank = line.find_last_of(" \t");
    const std::size_t crcStart = lastBlank == std::string_view::npos ? 0 : lastBlank + 1;
    const std::string_view crcText = line.substr(crcStart);
    const std::size_t nameEnd = line.find_last_not_of(" \t", crcStart == 0 ? 0 : crcStart - 1);
    const bool named = crcStart > 0 && nameEnd != std::string_view::npos;

    if (!named) {
        if (IsCrcText(crcText)) return Refused("the line has a checksum but no name before it");
        if (crcText.size() > kCrcDigits && IsCrcText(crcText.substr(crcText.size() - kCrcDigits))) {
            return Refused("no blank between the name and the checksum");
        }
        return Refused("expected a name, a blank and an 8-digit checksum");
    }
    if (!IsCrcText(crcText)) return Refused(CrcFault(crcText));
    // One mark is dropped from every line; a name that starts with another
    // could not be listed again.
    if (line.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        return Refused("the name starts with a byte-order mark");
    }

    SfvLineResult result;
    result.kind = SfvLineResult::Kind::kEntry;
    result.entry.name = line.substr(0, nameEnd + 1);
    result.entry.crc = CrcValue(crcText);
    return result;
}

bool SfvStreamReader::Add(std::string_view bytes) {
    if (lines_.Add(bytes, *this)) return true;
    Refuse();
    return false;
}

SfvReadResult SfvStreamReader::Finish() {
    if (lines_.Finish(*this)) {
        result_.ok = true;
    } else {
        Refuse();
    }
    return std::move(result_);
}

bool SfvStreamReader::TakeLine(std::string_view line, std::size_t number, std::string& error) {
    SfvLineResult parsed = ParseSfvLineText(line);
    if (parsed.kind == SfvLineResult::Kind::kError) {
        error = std::move(parsed.error);
        return false;
    }
    if (parsed.kind == SfvLineResult::Kind::kEntry) {
        parsed.entry.line = number;
        parsed.entry.name = result_.names.Add(parsed.entry.name);
        result_.entries.push_back(parsed.entry);
    }
    return true;
}

void SfvStreamReader::Refuse() {
    result_.entries.clear();
    result_.entries.shrink_to_fit();
    result_.names = NameStore();
    result_.line = lines_.FaultLine();
    result_.error = lines_.Fault();
}

SfvReadResult ParseSfv(std::string_view text) {
    SfvStreamReader reader;
    reader.Add(text);
    return reader.Finish();
}

}  // namespace sumbrook
