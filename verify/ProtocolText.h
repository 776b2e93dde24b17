// A protocol holds its names in the ANSI code page, as the dialog writes
// them; the command line works in UTF-8. In the Windows build these are two
// encodings; elsewhere both are the same bytes, unchanged.
#pragma once

#include <string>

namespace sumbrook {

// `utf8` as the protocol writes it; false when the code page has no place
// for one of its characters (such a name cannot be listed in a protocol).
bool ProtocolTextOf(const std::string& utf8, std::string& protocolText);

// A protocol's text (a name field, the directory) in UTF-8.
std::string Utf8OfProtocolText(const std::string& protocolText);

}  // namespace sumbrook
