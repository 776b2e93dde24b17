#include "files/Utf8NameFold.h"

namespace sumbrook {

std::string FoldedUtf8Name(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return folded;
}

}  // namespace sumbrook
