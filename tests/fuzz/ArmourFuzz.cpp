// Fuzz target for the ASCII armour reader (libFuzzer; `make fuzz`): any
// text is read or refused with a line and a reason, and each block read,
// armoured again by the writer, reads back as the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "signature/Armour.h"

namespace {

using namespace sumbrook;  // NOLINT

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const ArmourRead read = ReadArmour(input);
    Require(read.ok == read.error.empty());
    if (!read.ok) Require(read.error.compare(0, 5, "line ") == 0 && read.blocks.empty());
    for (const ArmourBlock& block : read.blocks) {
        Require(block.bytes.size() <= size);
        const ArmourRead again = ReadArmour(WriteArmour(block.label, {}, block.bytes));
        Require(again.ok && again.blocks.size() == 1 && again.blocks[0].bytes == block.bytes);
    }
    return 0;
}
