// Rows by the hash of a key: open addressing, one small slot a row (a map of
// strings would cost a node, a copy of the key and a miss in memory per
// row). The keys stay with the rows; a caller tells whether a row has a key.
// Internal to verify/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace sumbrook {

class RowIndex {
  public:
    static constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

    RowIndex() = default;
    // Room for `rows` rows (fewer than 2^32: a list that long cannot be held
    // in memory anyway).
    explicit RowIndex(std::size_t rows) {
        std::size_t size = 16;
        while (size < rows * 2) size *= 2;
        slots_.resize(size);
    }

    static std::size_t HashOf(std::string_view key) { return std::hash<std::string_view>()(key); }

    // Asks for the first slot of `hash` to be brought into the cache while
    // other work goes on: with a million rows the table is far larger than
    // the cache, and each row would otherwise wait for memory.
    void Prefetch(std::size_t hash) const {
#if defined(__GNUC__) || defined(__clang__)
        if (!slots_.empty()) __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
#else
        (void)hash;
#endif
    }

    // The row whose key `sameKey` says is the key of `hash`, or else
    // kNotFound, `row` now holding that key.
    template <typename SameKey>
    std::size_t FindOrAdd(std::size_t hash, std::size_t row, const SameKey& sameKey) {
        Slot* slot = Probe(hash, sameKey);
        if (slot->rowPlusOne != 0) return slot->rowPlusOne - 1;
        slot->tag = TagOf(hash);
        slot->rowPlusOne = static_cast<std::uint32_t>(row + 1);
        return kNotFound;
    }

    // The row whose key `sameKey` says is the key of `hash`, or kNotFound.
    template <typename SameKey>
    std::size_t Find(std::size_t hash, const SameKey& sameKey) {
        if (slots_.empty()) return kNotFound;
        const Slot* slot = Probe(hash, sameKey);
        return slot->rowPlusOne == 0 ? kNotFound : slot->rowPlusOne - 1;
    }

  private:
    struct Slot {
        std::uint32_t tag = 0;
        std::uint32_t rowPlusOne = 0;  // 0: empty
    };

    // The bits above those that choose the slot tell most keys apart.
    static std::uint32_t TagOf(std::size_t hash) {
        return static_cast<std::uint32_t>(hash >> (sizeof(std::size_t) * 8 - 32));
    }

    // The slot of the key of `hash`, or the empty one where it would go.
    template <typename SameKey>
    Slot* Probe(std::size_t hash, const SameKey& sameKey) {
        const std::uint32_t tag = TagOf(hash);
        for (std::size_t at = hash & (slots_.size() - 1);; at = (at + 1) & (slots_.size() - 1)) {
            Slot& slot = slots_[at];
            if (slot.rowPlusOne == 0 || (slot.tag == tag && sameKey(slot.rowPlusOne - 1))) {
                return &slot;
            }
        }
    }

    std::vector<Slot> slots_;
};

}  // namespace sumbrook
