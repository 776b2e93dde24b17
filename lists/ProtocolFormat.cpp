#include "lists/ProtocolFormat.h"

#include <algorithm>
#include <cstdio>

namespace sumbrook {

namespace {

// The text that snprintf wrote into `text`, `length` being what it returned.
std::string Printed(const char* text, int length) {
    return std::string(text, static_cast<std::size_t>(std::max(length, 0)));
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
    std::string line(name.substr(0, kProtocolNameWidth));
    line.resize(kProtocolNameWidth, ' ');
    line.append(crcText);
    return line;
}

std::string ProtocolCountLine(int count) {
    return std::to_string(count) + std::string(kProtocolCountEnd);
}

}  // namespace sumbrook
