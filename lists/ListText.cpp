#include "lists/ListText.h"

namespace sumbrook {

std::string ListText(ListFormat format, std::string_view program, std::string_view version,
                     const LocalDateTime& when, const std::vector<std::string>& lines) {
    const ListFormatDescriptor& written = DescriptorOf(format);
    std::string text;
    for (const std::string& line : written.headerLines(program, version, when)) {
        text.append(line).append(written.lineEnd);
    }
    for (const std::string& line : lines) text.append(line).append(written.lineEnd);
    return text;
}

}  // namespace sumbrook
