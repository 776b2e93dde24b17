#include "crc/Crc32ByteTable.h"
#include "crc/Crc32Kernels.h"

namespace sumbrook {

namespace {

// Chunks of 16 bytes go round-robin to kStreams independent registers, so that
// several table chains run at once; one round covers kRound bytes.
constexpr std::size_t kStreams = 2;
constexpr std::size_t kRound = 16 * kStreams;

// slice[k][n]: the register change of byte n followed by k zero bytes, for
// k < 16 (the plain slicing-by-16 step) and k = kRound - 16 ... kRound - 1
// (a stream's chunk carried over the other streams' chunks to its next one).
struct SliceTables {
    std::uint32_t slice[16][256];
    std::uint32_t round[16][256];
};

constexpr std::uint32_t AppendZeroByte(const std::uint32_t (&bytewise)[256], std::uint32_t value) {
    return (value >> 8) ^ bytewise[value & 0xFFU];
}

constexpr SliceTables BuildSliceTables() {
    SliceTables tables{};
    auto& base = tables.slice[0];
    for (std::size_t n = 0; n < 256; ++n) base[n] = kCrc32ByteTable[n];
    for (int n = 0; n < 256; ++n) {
        std::uint32_t value = base[n];
        for (std::size_t k = 1; k < kRound; ++k) {
            value = AppendZeroByte(base, value);
            if (k < 16) tables.slice[k][n] = value;
            if (k >= kRound - 16) tables.round[k - (kRound - 16)][n] = value;
        }
    }
    return tables;
}

constexpr SliceTables kTables = BuildSliceTables();

inline std::uint32_t LoadLittleEndian32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// The contribution of the four bytes of `word` followed by `zeros` zero bytes.
inline std::uint32_t SliceWord(const std::uint32_t (*t)[256], std::uint32_t word, int zeros) {
    return (t[zeros + 3][word & 0xFFU] ^ t[zeros + 2][(word >> 8) & 0xFFU]) ^
           (t[zeros + 1][(word >> 16) & 0xFFU] ^ t[zeros][word >> 24]);
}

// The 16 bytes at p, the register added to the first four, followed by
// 0 (slice tables) or kRound - 16 (round tables) zero bytes.
inline std::uint32_t SliceChunk(const std::uint32_t (*t)[256], std::uint32_t reg,
                                const unsigned char* p) {
    // Only the first word depends on the register: the rest runs ahead.
    const std::uint32_t rest =
        (SliceWord(t, LoadLittleEndian32(p + 4), 8) ^ SliceWord(t, LoadLittleEndian32(p + 8), 4)) ^
        SliceWord(t, LoadLittleEndian32(p + 12), 0);
    return SliceWord(t, LoadLittleEndian32(p) ^ reg, 12) ^ rest;
}

}  // namespace

std::uint32_t Crc32KernelPortable(std::uint32_t reg, const unsigned char* data, std::size_t size) {
    if (size >= 2 * kRound) {
        // Each stream register stands for its data so far, carried to its
        // chunk of the coming round; the last round joins them in order.
        std::uint32_t streams[kStreams] = {reg};
        for (; size >= 2 * kRound; size -= kRound, data += kRound) {
            for (std::size_t s = 0; s < kStreams; ++s) {
                streams[s] = SliceChunk(kTables.round, streams[s], data + 16 * s);
            }
        }
        reg = 0;
        for (std::size_t s = 0; s < kStreams; ++s, data += 16, size -= 16) {
            reg = SliceChunk(kTables.slice, reg ^ streams[s], data);
        }
    }
    for (; size >= 16; size -= 16, data += 16) reg = SliceChunk(kTables.slice, reg, data);
    for (; size > 0; --size) reg = (reg >> 8) ^ kTables.slice[0][(reg ^ *data++) & 0xFFU];
    return reg;
}

}  // namespace sumbrook
