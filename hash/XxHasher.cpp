#include <new>

#include "crc/Crc32Tiers.h"
#include "hash/DigestKindTable.h"
#include "hash/HasherBackends.h"
#include "hash/Xxh3Update.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace sumbrook {

namespace {

struct StateDeleter {
    void operator()(XXH3_state_t* state) const { XXH3_freeState(state); }
};

void Xxh3UpdateBaseline(void* state, const void* data, std::size_t size) {
    XXH3_64bits_update(static_cast<XXH3_state_t*>(state), data, size);
}

// The widest update this processor runs: AVX2, else SSE2 (taken as present
// where SSE4.1 is), else what this file is compiled for (SSE2 on x86-64,
// plain 64-bit arithmetic on i686). Chosen once.
Xxh3UpdateFunction ChosenUpdate() {
    static const Xxh3UpdateFunction chosen = [] {
#ifdef SUMBROOK_XXH3_TIERS
        const Crc32CpuFeatures& features = DetectCrc32CpuFeatures();
        if (features.avx2 && features.osSavesYmm) return &Xxh3UpdateAvx2;
        if (features.sse41) return &Xxh3UpdateSse2;
#endif
        return &Xxh3UpdateBaseline;
    }();
    return chosen;
}

// XXH3-64 and XXH128 share their state and their update; only the reset
// (the same for both today) and the digest differ. The digest's bytes are
// the canonical form, most significant first, as xxhsum prints them.
class XxHasher final : public Hasher {
  public:
    explicit XxHasher(DigestKind kind)
        : kind_(kind), update_(ChosenUpdate()), state_(XXH3_createState()) {
        if (state_ == nullptr) throw std::bad_alloc();
        XxHasher::Reset();
    }
    void Update(const void* data, std::size_t size) override { update_(state_.get(), data, size); }
    Digest Finish() override {
        if (kind_ == DigestKind::kXxh3) {
            XXH64_canonical_t canonical;
            XXH64_canonicalFromHash(&canonical, XXH3_64bits_digest(state_.get()));
            return Digest(kind_, canonical.digest);
        }
        XXH128_canonical_t canonical;
        XXH128_canonicalFromHash(&canonical, XXH3_128bits_digest(state_.get()));
        return Digest(kind_, canonical.digest);
    }
    void Reset() override {
        if (kind_ == DigestKind::kXxh3) {
            XXH3_64bits_reset(state_.get());
        } else {
            XXH3_128bits_reset(state_.get());
        }
    }

  private:
    DigestKind kind_;
    Xxh3UpdateFunction update_;
    std::unique_ptr<XXH3_state_t, StateDeleter> state_;
};

struct Xxh64StateDeleter {
    void operator()(XXH64_state_t* state) const { XXH64_freeState(state); }
};

// XXH64, which xxhsum computes unless told otherwise; its bytes in the
// canonical form too.
class Xxh64Hasher final : public Hasher {
  public:
    Xxh64Hasher() : state_(XXH64_createState()) {
        if (state_ == nullptr) throw std::bad_alloc();
        Xxh64Hasher::Reset();
    }
    void Update(const void* data, std::size_t size) override {
        XXH64_update(state_.get(), data, size);
    }
    Digest Finish() override {
        XXH64_canonical_t canonical;
        XXH64_canonicalFromHash(&canonical, XXH64_digest(state_.get()));
        return Digest(DigestKind::kXxh64, canonical.digest);
    }
    void Reset() override { XXH64_reset(state_.get(), 0); }

    const DigestKindRow* KindRow() const override { return &RowOf(DigestKind::kXxh64); }

  private:
    std::unique_ptr<XXH64_state_t, Xxh64StateDeleter> state_;
};

}  // namespace

std::unique_ptr<Hasher> MakeXxHasher(DigestKind kind) {
    if (kind == DigestKind::kXxh64) return std::make_unique<Xxh64Hasher>();
    return std::make_unique<XxHasher>(kind);
}

}  // namespace sumbrook
