#include "files/EntryName.h"

namespace sumbrook {

bool CanBeStoredName(std::string_view name) {
    for (const char byte : name) {
        if (static_cast<unsigned char>(byte) < 0x20) return false;
        if (std::string_view("\\/:*?\"<>|").find(byte) != std::string_view::npos) return false;
    }
    return true;
}

}  // namespace sumbrook
