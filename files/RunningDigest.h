// What a read loop hands a file's bytes to: a CRC-32 carried along as a
// value, so that the parts of a file read apart combine (crc/Crc32Combine),
// or a hasher of any other kind, which sees the bytes in order and so reads
// a file whole. The CRC-32 path calls crc/ directly: a program that reads
// CRC-32 only (the dialog) links no other kind's code. Internal to files/.
#pragma once

#include <cstddef>
#include <cstdint>

#include "crc/Crc32.h"
#include "hash/Digest.h"
#include "hash/Hasher.h"

namespace sumbrook {

class RunningDigest {
  public:
    // `hasher`: the hasher to feed, started over here; null: a CRC-32.
    explicit RunningDigest(Hasher* hasher) : hasher_(hasher) {
        if (hasher_ != nullptr) hasher_->Reset();
    }

    void Update(const unsigned char* data, std::size_t size) {
        if (hasher_ != nullptr) {
            hasher_->Update(data, size);
        } else {
            crc_ = Crc32Update(crc_, data, size);
        }
    }

    // The digest of every byte handed so far; once.
    Digest Finish() { return hasher_ != nullptr ? hasher_->Finish() : Digest::FromCrc32(crc_); }

  private:
    Hasher* hasher_;
    std::uint32_t crc_ = 0;
};

}  // namespace sumbrook
