// Fuzz target for the protocol reader (libFuzzer; `make fuzz`). Any input
// must be refused with a line number and a reason, or read; what is read
// must write back to exactly the input, and must plan a verification.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "cli/ProtocolReader.h"
#include "cli/Verify.h"
#include "crc/ProtocolFormat.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

std::string Rewritten(const sumbrook::Protocol& protocol) {
    using namespace sumbrook;  // NOLINT
    const std::string directory = ProtocolDirectoryLine(protocol.directoryText);
    const std::string separator =
        ProtocolSeparatorLine(protocol.headerLine.size(), directory.size());
    std::string text = protocol.headerLine + "\r\n" + directory + "\r\n" +
                       std::string(kProtocolColumnLine) + "\r\n" + separator + "\r\n";
    for (const ProtocolEntry& entry : protocol.entries) {
        text += ProtocolFileLine(entry.nameField, entry.crcText) + "\r\n";
    }
    text += separator + "\r\n" + ProtocolCountLine(static_cast<int>(protocol.entries.size())) +
            "\r\n\r\n";
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const sumbrook::ProtocolReadResult result = sumbrook::ParseProtocol(text);
    if (!result.ok) {
        Require(result.line >= 1 && !result.error.empty());
        return 0;
    }
    Require(Rewritten(result.protocol) == text);
    std::vector<std::string> names;
    for (const sumbrook::ProtocolEntry& entry : result.protocol.entries) {
        names.push_back(sumbrook::TrimmedNameField(entry.nameField) + "x");
    }
    const auto rows = sumbrook::PlanVerification(result.protocol.entries, names, size % 2 == 0);
    Require(rows.size() >= result.protocol.entries.size());
    return 0;
}
