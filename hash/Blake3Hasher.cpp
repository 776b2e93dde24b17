#include "blake3.h"
#include "hash/HasherBackends.h"

namespace sumbrook {

namespace {

// The C implementation chooses its SIMD code (SSE2 to AVX-512) at run time.
class Blake3Hasher final : public Hasher {
  public:
    Blake3Hasher() { blake3_hasher_init(&state_); }
    void Update(const void* data, std::size_t size) override {
        blake3_hasher_update(&state_, data, size);
    }
    Digest Finish() override {
        unsigned char bytes[BLAKE3_OUT_LEN];
        blake3_hasher_finalize(&state_, bytes, sizeof bytes);
        return Digest(DigestKind::kBlake3, bytes);
    }
    void Reset() override { blake3_hasher_reset(&state_); }

  private:
    blake3_hasher state_{};
};

}  // namespace

std::unique_ptr<Hasher> MakeBlake3Hasher() {
    return std::make_unique<Blake3Hasher>();
}

}  // namespace sumbrook
