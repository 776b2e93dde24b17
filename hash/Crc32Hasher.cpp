#include <cstdint>

#include "crc/Crc32.h"
#include "hash/HasherBackends.h"

namespace sumbrook {

namespace {

class Crc32Hasher final : public Hasher {
  public:
    void Update(const void* data, std::size_t size) override {
        crc_ = Crc32Update(crc_, data, size);
    }
    Digest Finish() override { return Digest::FromCrc32(crc_); }
    void Reset() override { crc_ = 0; }

  private:
    std::uint32_t crc_ = 0;
};

}  // namespace

std::unique_ptr<Hasher> MakeCrc32Hasher() {
    return std::make_unique<Crc32Hasher>();
}

}  // namespace sumbrook
