#include "lists/ProtocolFormat.h"

#include <algorithm>
#include <cstdio>

namespace sumbrook {

namespace {

// The text that snprintf wrote into `text`, `length` being what it returned.
std::string Printed(const char* text, int length) {
    return std::string(text, static_cast<std::size_t>(std::max(length, 0)));
}

// How many bytes of `name` its field holds. The Windows build writes the
// ANSI code page, one byte a character, and cuts at the width as the dialog
// does; elsewhere names are UTF-8, and the cut falls before the character
// that would not end within the width, so that no half character is written.
std::size_t NameFieldLength(std::string_view name) {
    if (name.size() <= kProtocolNameWidth) return name.size();
    std::size_t length = kProtocolNameWidth;
#ifndef _WIN32
    const auto continues = [&name](std::size_t at) {
        return (static_cast<unsigned char>(name[at]) & 0xC0) == 0x80;
    };
    // A UTF-8 character is at most four bytes: at most three of them are cut off.
    while (length > kProtocolNameWidth - 3 && continues(length)) --length;
#endif
    return length;
}

}  // namespace

std::string ProtocolDateText(const LocalDateTime& when) {
    char text[48];
    return Printed(
        text, std::snprintf(text, sizeof text, "%02d.%02d.%04d", when.day, when.month, when.year));
}

std::string ProtocolTimeText(const LocalDateTime& when) {
    char text[48];
    return Printed(text, std::snprintf(text, sizeof text, "%02d:%02d:%02d", when.hour, when.minute,
                                       when.second));
}

std::string ProtocolHeaderLine(const LocalDateTime& when) {
    return std::string(kProtocolHeaderStart) + ProtocolDateText(when) + ", " +
           ProtocolTimeText(when);
}

std::string ProtocolDirectoryLine(std::string_view directoryText) {
    std::string line(kProtocolDirectoryStart);
    line.append(directoryText);
    return line;
}

std::string ProtocolSeparatorLine(std::size_t headerLineLength, std::size_t directoryLineLength) {
    return std::string(std::max(headerLineLength, directoryLineLength), '-');
}

std::string ProtocolFileLine(std::string_view name, std::string_view crcText) {
    std::string line(name.substr(0, NameFieldLength(name)));
    line.resize(kProtocolNameWidth, ' ');
    line.append(crcText);
    return line;
}

std::string ProtocolCountLine(int count) {
    return std::to_string(count) + std::string(kProtocolCountEnd);
}

}  // namespace sumbrook
