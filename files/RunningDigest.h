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
#include "platform/ProcessorMaker.h"

namespace sumbrook {

class RunningDigest {
  public:
    // `hasher`: the hasher to feed, started over here; null: a CRC-32.
    explicit RunningDigest(Hasher* hasher)
        : hasher_(hasher),
          stride_(hasher != nullptr && ThisProcessor().intel ? hasher->MappedPrefetchStride() : 0) {
        if (hasher_ != nullptr) hasher_->Reset();
    }

    void Update(const unsigned char* data, std::size_t size) {
        if (hasher_ != nullptr) {
            hasher_->Update(data, size);
        } else {
            crc_ = Crc32Update(crc_, data, size);
        }
    }

    // The same for bytes in place out of a mapping. On Intel's processors,
    // where it was measured, a hasher that asks for it
    // (Hasher::MappedPrefetchStride) is handed them kPrefetchStep at a time,
    // a line every stride bytes kPrefetchLead ahead of it touched first.
    //
    // Why: on Intel Xeon family 6 model 167 (AVX-512), a cached 1 GiB file
    // held in 2 MiB folios (mapped with 2 MiB page-table entries) took
    // SHA-1 0.98 s hashed in place against 0.73 s copied in 256 KiB blocks
    // (OpenSSL's SHA-1 of a block in the cache: 0.59 s a GiB), SHA-256 1.00
    // against 0.77: a hasher slower than memory whose every step waits on
    // the one before leaves each page's first load to find it cold, and the
    // next ones too where the hasher is faster. Touched ahead as here
    // (sumbrook-cli -j1, medians of 5-7 alternated runs, wall seconds, the
    // processor's the same), a line a page / every line: SHA-1 0.98 to 0.66
    // / 0.73, SHA-256 1.00 to 0.80 / 0.86, XXH64 0.26-0.27 to 0.23 / 0.20-
    // 0.22, MD5 1.79 to 1.72 / 1.77; SHA-512 1.64 to 1.61 / 1.72; XXH128 0.11
    // to 0.15 either way (fed 16 KiB at a time even without a touch, 0.15),
    // BLAKE3 on one thread 0.25 to 0.27 / 0.30, CRC-32 alike. 16 and 32 KiB
    // ahead came within 2% of 64 KiB, 256 KiB lost most of SHA-1's gain. A
    // touch never faults, so a page that vanished still reaches the hasher
    // only through its own load.
    void UpdateMapped(const unsigned char* data, std::size_t size) {
        if (stride_ == 0) {
            Update(data, size);
            return;
        }
        for (std::size_t at = 0; at < std::min(size, kPrefetchLead); at += stride_) {
            __builtin_prefetch(data + at);
        }
        for (std::size_t done = 0; done < size; done += kPrefetchStep) {
            const std::size_t step = std::min(kPrefetchStep, size - done);
            const std::size_t until = std::min(size, done + kPrefetchLead + step);
            for (std::size_t at = done + kPrefetchLead; at < until; at += stride_) {
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

    Hasher* hasher_;
    std::size_t stride_;
    std::uint32_t crc_ = 0;
};

}  // namespace sumbrook
