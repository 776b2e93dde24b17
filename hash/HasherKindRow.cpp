// The facts a hasher's readers take from its kind's row. Apart from
// Hasher.cpp, so that the dialog, whose reader asks them of a CRC-32 alone,
// links none of the other kinds' makers.
#include "hash/DigestKindTable.h"
#include "hash/Hasher.h"

namespace sumbrook {

std::size_t Hasher::MappedPrefetchStride() const {
    const DigestKindRow* row = KindRow();
    return row != nullptr ? row->prefetchStride : 0;
}

bool Hasher::ProbesMappedPagesOnIntel() const {
    const DigestKindRow* row = KindRow();
    return row != nullptr && row->probedOnIntel;
}

}  // namespace sumbrook
