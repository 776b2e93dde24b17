#include "verifier/RowStore.h"

#include <cstring>

namespace sumbrook {

namespace {

// A block holds many names; a name is never longer than a path (32,767
// UTF-16 units, at most three bytes each), so that one always fits.
constexpr std::size_t kBlockBits = 20;
constexpr std::size_t kBlockSize = std::size_t{1} << kBlockBits;

// Whether the row tells anything beyond its status, name, CRC-32s and size
// (a row's failure counts only where it is UNREADABLE).
bool TellsMore(const CheckRow& row) {
    return (row.hasExpected && row.expected.Kind() != DigestKind::kCrc32) ||
           (row.hasFound && row.found.Kind() != DigestKind::kCrc32) ||
           row.status == VerifyStatus::kUnreadable || row.sizesCompared || row.showsKind ||
           row.readThroughCache != 0 || row.expectedSize != 0 || row.foundSize != 0 ||
           !row.failedPath.empty() || !row.nameFault.empty() || !row.notHeld.empty() ||
           !row.lines.empty() || !row.candidates.empty() || row.sameFieldLines != 0;
}

}  // namespace

std::uint32_t RowStore::Names::Add(std::string_view name) {
    if (blocks_.empty() || used_ + name.size() + 1 > kBlockSize) {
        blocks_.push_back(std::make_unique<char[]>(kBlockSize));
        used_ = 0;
    }
    char* at = blocks_.back().get() + used_;
    std::memcpy(at, name.data(), name.size());
    at[name.size()] = '\0';
    const auto place = static_cast<std::uint32_t>(((blocks_.size() - 1) << kBlockBits) + used_);
    used_ += name.size() + 1;
    return place;
}

const char* RowStore::Names::At(std::uint32_t place) const {
    return blocks_[place >> kBlockBits].get() + (place & (kBlockSize - 1));
}

void RowStore::Clear() {
    std::vector<Row>().swap(rows_);
    names_.Clear();
    std::vector<CheckRow>().swap(whole_);
}

void RowStore::Reserve(std::size_t rows) {
    rows_.reserve(rows);
}

RowStore::Row RowStore::Compact(const CheckRow& row) {
    Row compact;
    compact.status = row.status;
    if (row.hasExpected && row.expected.Kind() == DigestKind::kCrc32) {
        compact.expected = row.expected.Crc32();
    }
    if (row.hasFound && row.found.Kind() == DigestKind::kCrc32) compact.found = row.found.Crc32();
    compact.size = row.size;
    compact.flags = static_cast<std::uint8_t>((row.hasExpected ? kHasExpected : 0) |
                                              (row.hasFound ? kHasFound : 0) |
                                              (row.hasFound && !row.sizesCompared ? kHasSize : 0));
    if (TellsMore(row)) {
        compact.whole = static_cast<std::uint32_t>(whole_.size());
        whole_.push_back(row);
        whole_.back().name.clear();
    }
    return compact;
}

void RowStore::Add(const CheckRow& row) {
    Row compact = Compact(row);
    compact.name = names_.Add(row.name);
    rows_.push_back(compact);
}

void RowStore::Replace(std::size_t index, const CheckRow& row) {
    Row compact = Compact(row);
    // A row checked again has its name already.
    compact.name =
        row.name == names_.At(rows_[index].name) ? rows_[index].name : names_.Add(row.name);
    rows_[index] = compact;
}

void RowStore::Remove(const std::vector<std::size_t>& indices) {
    std::size_t kept = 0;
    auto removed = indices.begin();
    for (std::size_t index = 0; index < rows_.size(); ++index) {
        if (removed != indices.end() && *removed == index) {
            ++removed;
            continue;
        }
        rows_[kept++] = rows_[index];
    }
    rows_.resize(kept);
}

VerifyStatus RowRef::Status() const {
    return store_->rows_[index_].status;
}

std::string_view RowRef::Name() const {
    return store_->names_.At(store_->rows_[index_].name);
}

bool RowRef::HasExpected() const {
    return (store_->rows_[index_].flags & RowStore::kHasExpected) != 0;
}

Digest RowRef::Expected() const {
    const RowStore::Row& compact = store_->rows_[index_];
    return compact.whole == RowStore::kPlain ? Digest::FromCrc32(compact.expected)
                                             : store_->whole_[compact.whole].expected;
}

bool RowRef::HasFound() const {
    return (store_->rows_[index_].flags & RowStore::kHasFound) != 0;
}

Digest RowRef::Found() const {
    const RowStore::Row& compact = store_->rows_[index_];
    return compact.whole == RowStore::kPlain ? Digest::FromCrc32(compact.found)
                                             : store_->whole_[compact.whole].found;
}

bool RowRef::HasSize() const {
    return (store_->rows_[index_].flags & RowStore::kHasSize) != 0;
}

std::uint64_t RowRef::Size() const {
    return store_->rows_[index_].size;
}

bool RowRef::Plain() const {
    return store_->rows_[index_].whole == RowStore::kPlain;
}

CheckRow RowRef::Whole() const {
    const RowStore::Row& compact = store_->rows_[index_];
    CheckRow row = compact.whole == RowStore::kPlain ? CheckRow() : store_->whole_[compact.whole];
    row.status = compact.status;
    row.name = Name();
    row.hasExpected = HasExpected();
    row.hasFound = HasFound();
    if (compact.whole == RowStore::kPlain) {
        row.expected = Digest::FromCrc32(compact.expected);
        row.found = Digest::FromCrc32(compact.found);
    }
    row.size = compact.size;
    return row;
}

}  // namespace sumbrook
