// Reads a protocol file back: the exact lines that ProtocolWriter writes,
// CR LF after each, nothing before or after. Any other text is refused with
// the number of the first line that does not fit and what is wrong with it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/LocalClock.h"

namespace sumbrook {

struct ProtocolEntry {
    std::string nameField;  // the 34-character name field, filling blanks kept
    std::string crcText;    // eight characters 0-9 and A-F, never "00000000"
    std::size_t line = 0;   // where it stands, counting from 1
};

struct Protocol {
    std::string headerLine;
    LocalDateTime when;         // the date and time that the header line gives
    std::string directoryText;  // as written after "Directory "
    std::vector<ProtocolEntry> entries;
};

struct ProtocolReadResult {
    bool ok = false;
    Protocol protocol;     // complete only when ok
    std::size_t line = 0;  // the first line that does not fit, when not ok
    std::string error;     // what is wrong with it
};

ProtocolReadResult ParseProtocol(std::string_view text);

// The name field without its filling blanks, for showing.
std::string TrimmedNameField(std::string_view nameField);

}  // namespace sumbrook
