// The kinds whose row names a libgcrypt algorithm (gcryptName), in the
// build whose backend for them is kGcrypt. gcry_md_write hashes whole
// blocks straight from the caller's bytes and buffers only a block's rest,
// so the reader's large pieces cost no copy.
#include <gcrypt.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "hash/DigestKindTable.h"
#include "hash/GcryptStart.h"
#include "hash/HasherBackends.h"

namespace sumbrook {

namespace {

[[noreturn]] void Fail(const std::string& what, gcry_error_t error) {
    throw std::runtime_error("libgcrypt: " + what + " (" + gcry_strerror(error) + ")");
}

struct HandleDeleter {
    void operator()(gcry_md_hd_t handle) const { gcry_md_close(handle); }
};

class GcryptHasher final : public Hasher {
  public:
    explicit GcryptHasher(DigestKind kind) : kind_(kind) {
        StartGcrypt();
        const char* algorithmName = RowOf(kind).gcryptName;
        if (algorithmName == nullptr) {
            throw std::runtime_error(std::string("libgcrypt: no algorithm for ") +
                                     DigestKindName(kind));
        }
        algorithm_ = gcry_md_map_name(algorithmName);
        if (algorithm_ == 0 || gcry_md_get_algo_dlen(algorithm_) != DigestSize(kind)) {
            Fail(std::string("no digest \"") + algorithmName + "\" of " +
                     std::to_string(DigestSize(kind)) + " bytes",
                 GPG_ERR_DIGEST_ALGO);
        }
        gcry_md_hd_t handle = nullptr;
        const gcry_error_t error = gcry_md_open(&handle, algorithm_, 0);
        if (error != 0) Fail("gcry_md_open failed", error);
        handle_.reset(handle);
    }
    void Update(const void* data, std::size_t size) override {
        gcry_md_write(handle_.get(), data, size);
    }
    Digest Finish() override {
        const unsigned char* bytes = gcry_md_read(handle_.get(), algorithm_);
        if (bytes == nullptr) Fail("gcry_md_read failed", GPG_ERR_DIGEST_ALGO);
        return Digest(kind_, bytes);
    }
    void Reset() override { gcry_md_reset(handle_.get()); }

    const DigestKindRow* KindRow() const override { return &RowOf(kind_); }

  private:
    DigestKind kind_;
    int algorithm_ = 0;
    std::unique_ptr<gcry_md_handle, HandleDeleter> handle_;
};

}  // namespace

std::unique_ptr<Hasher> MakeGcryptHasher(DigestKind kind) {
    return std::make_unique<GcryptHasher>(kind);
}

}  // namespace sumbrook
