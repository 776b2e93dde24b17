#include <new>

#include "hash/HasherBackends.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace sumbrook {

namespace {

struct StateDeleter {
    void operator()(XXH3_state_t* state) const { XXH3_freeState(state); }
};

// XXH3-64 and XXH128 share their state (and their streaming code); only the
// digest differs. Their bytes are the canonical form, most significant
// first, as xxhsum prints them.
class XxHasher final : public Hasher {
  public:
    explicit XxHasher(DigestKind kind) : kind_(kind), state_(XXH3_createState()) {
        if (state_ == nullptr) throw std::bad_alloc();
        XxHasher::Reset();
    }
    void Update(const void* data, std::size_t size) override {
        if (kind_ == DigestKind::kXxh3) {
            XXH3_64bits_update(state_.get(), data, size);
        } else {
            XXH3_128bits_update(state_.get(), data, size);
        }
    }
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
    std::unique_ptr<XXH3_state_t, StateDeleter> state_;
};

}  // namespace

std::unique_ptr<Hasher> MakeXxHasher(DigestKind kind) {
    return std::make_unique<XxHasher>(kind);
}

}  // namespace sumbrook
