#include "platform/TextLines.h"

namespace sumbrook {

std::string JoinLines(std::initializer_list<std::string_view> lines) {
    std::string text;
    bool first = true;
    for (std::string_view line : lines) {
        if (!first) text += kLineBreak;
        text += line;
        first = false;
    }
    return text;
}

}  // namespace sumbrook
