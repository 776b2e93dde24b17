// Fuzz target for the protocol reader (libFuzzer; `make fuzz`). Any input
// must be refused with a line number and a reason, or read; what is read
// must write back, through the protocol writer, to exactly the input, and
// must plan a verification.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "lists/ProtocolReader.h"
#include "lists/ProtocolWriter.h"
#include "verify/ProtocolCheck.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

// The protocol written again by the program's own writer.
std::string Rewritten(const sumbrook::Protocol& protocol) {
    using namespace sumbrook;  // NOLINT
    std::string text;
    ProtocolWriter writer([&text](std::string_view bytes) {
        text.append(bytes);
        return true;
    });
    writer.WriteHead(protocol.when, protocol.directoryText);
    for (const ProtocolEntry& entry : protocol.entries)
        writer.AddFile(entry.nameField, entry.crcText);
    writer.WriteTail();
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
