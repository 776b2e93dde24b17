#include <openssl/evp.h>

#include <array>
#include <stdexcept>
#include <string>

#include "hash/DigestKindTable.h"
#include "hash/HasherBackends.h"
#include "hash/OpenSslStart.h"

namespace sumbrook {

namespace {

struct ContextDeleter {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

[[noreturn]] void Fail(const char* call) {
    throw std::runtime_error(std::string("OpenSSL: ") + call + " failed");
}

// The algorithm of each kind whose row names one, fetched from the default
// provider once for the process (a digest initialised by name would look it
// up again each time). Never freed: the process holds them to its end.
const EVP_MD* Algorithm(DigestKind kind) {
    static const std::array<const EVP_MD*, kDigestKindCount> algorithms = [] {
        StartOpenSsl();
        std::array<const EVP_MD*, kDigestKindCount> fetched{};
        for (const DigestKindRow& row : kDigestKindRows) {
            if (row.openSslName == nullptr) continue;
            fetched[static_cast<std::size_t>(row.kind)] =
                EVP_MD_fetch(nullptr, row.openSslName, nullptr);
        }
        return fetched;
    }();
    if (RowOf(kind).openSslName == nullptr) {
        throw std::runtime_error(std::string("OpenSSL: no algorithm for ") + DigestKindName(kind));
    }
    const EVP_MD* algorithm = algorithms[static_cast<std::size_t>(kind)];
    if (algorithm == nullptr) Fail("EVP_MD_fetch");
    return algorithm;
}

class OpenSslHasher final : public Hasher {
  public:
    explicit OpenSslHasher(DigestKind kind)
        : kind_(kind), algorithm_(Algorithm(kind)), context_(EVP_MD_CTX_new()) {
        if (!context_) Fail("EVP_MD_CTX_new");
        OpenSslHasher::Reset();
    }
    void Update(const void* data, std::size_t size) override {
        if (EVP_DigestUpdate(context_.get(), data, size) != 1) Fail("EVP_DigestUpdate");
    }
    Digest Finish() override {
        std::array<unsigned char, EVP_MAX_MD_SIZE> bytes{};
        if (EVP_DigestFinal_ex(context_.get(), bytes.data(), nullptr) != 1) {
            Fail("EVP_DigestFinal_ex");
        }
        return Digest(kind_, bytes.data());
    }
    void Reset() override {
        if (EVP_DigestInit_ex(context_.get(), algorithm_, nullptr) != 1) Fail("EVP_DigestInit_ex");
    }

    const DigestKindRow* KindRow() const override { return &RowOf(kind_); }

  private:
    DigestKind kind_;
    const EVP_MD* algorithm_;
    std::unique_ptr<EVP_MD_CTX, ContextDeleter> context_;
};

}  // namespace

std::unique_ptr<Hasher> MakeOpenSslHasher(DigestKind kind) {
    return std::make_unique<OpenSslHasher>(kind);
}

}  // namespace sumbrook
