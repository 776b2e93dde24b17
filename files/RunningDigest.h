// What a read loop hands a file's bytes to: a CRC-32 carried along as a
// value, so that the parts of a file read apart combine (crc/Crc32Combine),
// or a hasher of any other kind, which sees the bytes in order and so reads
// a file whole. The CRC-32 path calls crc/ directly: a program that reads
// CRC-32 only (the dialog) links no other kind's code. Internal to files/.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "crc/Crc32.h"
#include "hash/Digest.h"
#include "hash/Hasher.h"

namespace sumbrook {

class RunningDigest {
  public:
    // `hasher`: the hasher to feed, started over here; null: a CRC-32.
    explicit RunningDigest(Hasher* hasher)
        : hasher_(hasher), prefetch_(hasher != nullptr && hasher->PrefetchesMapped()) {
        if (hasher_ != nullptr) hasher_->Reset();
    }

    void Update(const unsigned char* data, std::size_t size) {
        if (hasher_ != nullptr) {
            hasher_->Update(data, size);
        } else {
            crc_ = Crc32Update(crc_, data, size);
        }
    }

    // The same for bytes in place out of a mapping. A hasher that asks for
    // it (Hasher::PrefetchesMapped) is handed them kPrefetchStep at a time,
    // the first line of each page kPrefetchLead ahead of it touched first.
    //
    // Why: on Intel Xeon family 6 model 167 (AVX-512), a cached 1 GiB file
    // held in 2 MiB folios (mapped with 2 MiB page-table entries) took
    // SHA-1 0.92 s of processor time hashed in place against 0.73 s copied
    // in 256 KiB blocks (OpenSSL alone: 0.59 s), SHA-256 0.94 against 0.77:
    // a hasher that goes slower than memory but whose every step waits on
    // the one before leaves each page's first load to find it cold. Touched
    // ahead as here (sumbrook-cli -j1, medians of 5 alternated runs, wall =
    // processor seconds): SHA-1 0.92 to 0.68, SHA-256 0.94 to 0.77, MD5 1.72
    // to 1.65, XXH64 0.235 to 0.225; SHA-512, SHA3-256, BLAKE2b and BLAKE3
    // alike or 1-5% slower; XXH3 and XXH128, faster than a copy, 0.13 to
    // 0.157 (fed 16 KiB at a time even without a touch, 0.15). Touching every
    // line rather than the first of each page took SHA-1 0.73 and cost
    // SHA-512 5%; 16 KiB ahead came within 2% of 64 KiB, 256 KiB lost most
    // of the gain. A touch never faults, so a page that vanished still
    // reaches the hasher only through its own load.
    void UpdateMapped(const unsigned char* data, std::size_t size) {
        if (!prefetch_) {
            Update(data, size);
            return;
        }
        for (std::size_t at = 0; at < std::min(size, kPrefetchLead); at += kPrefetchStride) {
            __builtin_prefetch(data + at);
        }
        for (std::size_t done = 0; done < size; done += kPrefetchStep) {
            const std::size_t step = std::min(kPrefetchStep, size - done);
            const std::size_t until = std::min(size, done + kPrefetchLead + step);
            for (std::size_t at = done + kPrefetchLead; at < until; at += kPrefetchStride) {
                __builtin_prefetch(data + at);
            }
            hasher_->Update(data + done, step);
        }
    }

    // The digest of every byte handed so far; once.
    Digest Finish() { return hasher_ != nullptr ? hasher_->Finish() : Digest::FromCrc32(crc_); }

  private:
    static constexpr std::size_t kPrefetchStep = 16U << 10;
    static constexpr std::size_t kPrefetchLead = 64U << 10;
    static constexpr std::size_t kPrefetchStride = 4096;

    Hasher* hasher_;
    bool prefetch_;
    std::uint32_t crc_ = 0;
};

}  // namespace sumbrook
