// The rows of a check kept small, so that a list of millions of lines fits
// in a 32-bit program: most rows (OK, MISSING, CHANGED, NEW) are a status,
// two CRC-32s, a size and the place of their name in a store of names,
// about 32 bytes and the name's own bytes; the few rows that tell more (a
// reason, the lines of a duplicate, the files a line fits, a digest of
// another kind) keep their whole CheckRow beside. Rows are reached by their index in report order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "hash/Digest.h"
#include "verify/CheckRow.h"

namespace sumbrook {

class RowStore;

// One row as the store keeps it, and what the columns and the order need
// of it without making the whole row.
class RowRef {
  public:
    VerifyStatus Status() const;
    std::string_view Name() const;
    bool HasExpected() const;
    Digest Expected() const;
    bool HasFound() const;
    Digest Found() const;
    // The size of the file read, where one was read (not for copies whose
    // sizes differ).
    bool HasSize() const;
    std::uint64_t Size() const;
    // False when the row tells more than the fields above (Whole() then has it).
    bool Plain() const;
    // The row as the check handed it over.
    CheckRow Whole() const;

  private:
    friend class RowStore;
    RowRef(const RowStore& store, std::size_t index) : store_(&store), index_(index) {}
    const RowStore* store_;
    std::size_t index_;
};

class RowStore {
  public:
    void Clear();
    void Reserve(std::size_t rows);
    void Add(const CheckRow& row);
    void Replace(std::size_t index, const CheckRow& row);
    // Takes out the rows at `indices` (ascending); the others keep their order.
    void Remove(const std::vector<std::size_t>& indices);

    std::size_t Count() const { return rows_.size(); }
    RowRef At(std::size_t index) const { return RowRef(*this, index); }

  private:
    friend class RowRef;
    static constexpr std::uint32_t kPlain = 0xFFFFFFFF;
    enum : std::uint8_t { kHasExpected = 1, kHasFound = 2, kHasSize = 4 };
    struct Row {
        std::uint64_t size = 0;
        std::uint32_t name = 0;        // in `names_`
        std::uint32_t whole = kPlain;  // in `whole_`
        std::uint32_t expected = 0;  // CRC-32s; other kinds are in the whole row
        std::uint32_t found = 0;
        VerifyStatus status = VerifyStatus::kOk;
        std::uint8_t flags = 0;
    };
    // Names, each ended by a NUL, in blocks that never move.
    class Names {
      public:
        std::uint32_t Add(std::string_view name);
        const char* At(std::uint32_t place) const;
        void Clear() { blocks_.clear(); }

      private:
        std::vector<std::unique_ptr<char[]>> blocks_;
        std::size_t used_ = 0;  // of the last block
    };
    Row Compact(const CheckRow& row);

    std::vector<Row> rows_;
    Names names_;
    std::vector<CheckRow> whole_;  // the rows that tell more, without their names
};

}  // namespace sumbrook
