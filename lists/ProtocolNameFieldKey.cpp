// An object file of its own: the dialog never matches names this way and so
// never links it.
#include "lists/ProtocolFormat.h"

namespace sumbrook {

std::string ProtocolNameFieldKey(std::string_view field) {
    std::string key(field);
#ifndef _WIN32
    if (key.size() != kProtocolNameWidth) return key;
    // The last character's first byte: at most three continuation bytes back.
    std::size_t lead = key.size() - 1;
    while (lead > key.size() - 4 && (static_cast<unsigned char>(key[lead]) & 0xC0) == 0x80) --lead;
    const auto first = static_cast<unsigned char>(key[lead]);
    const std::size_t length = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
    const std::size_t present = key.size() - lead;
    if (length > present) key.replace(lead, present, present, ' ');
#endif
    return key;
}

}  // namespace sumbrook
