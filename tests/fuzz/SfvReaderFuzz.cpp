// Fuzz target for the SFV reader (libFuzzer). Any input must be refused with
// a line number and a reason, or read; what is read, written back as the
// writer writes a list, must read again to the same names and checksums.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "lists/ListedPath.h"
#include "lists/SfvReader.h"
#include "lists/SfvWriter.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sumbrook;  // NOLINT
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const SfvReadResult result = ParseSfv(text);
    if (!result.ok) {
        Require(result.line >= 1 && !result.error.empty());
        return 0;
    }
    std::string written;
    for (const std::string& line : SfvHeaderLines("fuzz", "0", {2026, 1, 2, 3, 4, 5})) {
        written += line + std::string(kSfvLineEnd);
    }
    for (const SfvEntry& entry : result.entries) {
        Require(!entry.name.empty() && entry.line >= 1 && entry.crcText.size() == 8);
        Require(SfvNameFault(entry.name).empty());
        written += SfvEntryLine(entry.name, entry.crc) + std::string(kSfvLineEnd);
        const ListedPath path = ResolveListedPath(entry.name);
        Require(path.ok ? !path.components.empty() : !path.error.empty());
    }
    const SfvReadResult again = ParseSfv(written);
    Require(again.ok && again.entries.size() == result.entries.size());
    for (std::size_t i = 0; i < again.entries.size(); ++i) {
        Require(again.entries[i].name == result.entries[i].name);
        Require(again.entries[i].crc == result.entries[i].crc);
    }
    return 0;
}
