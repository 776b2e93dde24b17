#include "crc/Crc32.h"

#include "crc/Crc32ByteTable.h"
#include "crc/Crc32Tiers.h"

namespace sumbrook {

const std::array<std::uint32_t, 256>& Crc32Table() {
    return kCrc32ByteTable;
}

std::uint32_t Crc32UpdateByteWise(std::uint32_t crc, const void* data, std::size_t size) {
    const auto& table = Crc32Table();
    const auto* bytes = static_cast<const unsigned char*>(data);
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) {
        crc = (crc >> 8) ^ table[(bytes[i] ^ crc) & 0xFFU];
    }
    return ~crc;
}

std::uint32_t Crc32Update(std::uint32_t crc, const void* data, std::size_t size) {
    static const Crc32UpdateFunction update = Crc32TierUpdate(Crc32DispatchedTier());
    return update(crc, data, size);
}

std::string Crc32Text(std::uint32_t crc) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text(8, '0');
    for (int i = 7; i >= 0; --i) {
        text[static_cast<std::size_t>(i)] = kDigits[crc & 0xFU];
        crc >>= 4;
    }
    return text;
}

}  // namespace sumbrook
