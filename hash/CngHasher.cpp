// clang-format off
#include <windows.h>
#include <bcrypt.h>
// clang-format on

#include <array>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "hash/DigestKindTable.h"
#include "hash/HasherBackends.h"
#include "platform/ScopedCngAlgorithm.h"
#include "platform/ScopedHandle.h"

namespace sumbrook {

namespace {

struct HashHandleTraits {
    using Handle = BCRYPT_HASH_HANDLE;
    static Handle NullHandle() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static bool Close(Handle h) { return BCRYPT_SUCCESS(BCryptDestroyHash(h)); }
};
using ScopedHashHandle = ScopedHandle<HashHandleTraits>;

void Check(NTSTATUS status, const char* call) {
    if (BCRYPT_SUCCESS(status)) return;
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(status));
    throw std::runtime_error(std::string("CNG: ") + call + " failed (status " + text + ")");
}

// The provider of each kind whose row names its algorithm, opened on its first use and kept for the
// rest of the process: a worker may still be hashing while the process exits, so the table is never
// destroyed. Static initialisation makes the first use thread-safe; the handles themselves may be
// used by many threads at once.
BCRYPT_ALG_HANDLE Provider(DigestKind kind) {
    struct Providers {
        std::array<ScopedCngAlgorithm, kDigestKindCount> handles;
        std::array<NTSTATUS, kDigestKindCount> statuses{};
    };
    static const Providers& providers = *[] {
        auto* opened = new Providers;  // NOLINT: kept to the end of the process
        for (const DigestKindRow& row : kDigestKindRows) {
            const auto i = static_cast<std::size_t>(row.kind);
            if (row.cngName == nullptr) continue;
            BCRYPT_ALG_HANDLE handle = nullptr;
            opened->statuses[i] = BCryptOpenAlgorithmProvider(&handle, row.cngName, nullptr, 0);
            opened->handles[i].Reset(handle);
        }
        return opened;
    }();
    if (RowOf(kind).cngName == nullptr) {
        throw std::runtime_error(std::string("CNG: no algorithm for ") + DigestKindName(kind));
    }
    const auto index = static_cast<std::size_t>(kind);
    Check(providers.statuses[index], "BCryptOpenAlgorithmProvider");
    return providers.handles[index].Get();
}

// Per hasher only a hash handle: CNG keeps the hash object itself.
class CngHasher final : public Hasher {
  public:
    explicit CngHasher(DigestKind kind) : kind_(kind), provider_(Provider(kind)) {
        CngHasher::Reset();
    }
    void Update(const void* data, std::size_t size) override {
        // BCryptHashData takes a ULONG count and a non-const pointer it
        // only reads.
        auto* bytes = static_cast<unsigned char*>(const_cast<void*>(data));
        constexpr std::size_t kMostAtOnce = std::size_t{1} << 30;
        while (size > 0) {
            const std::size_t piece = size < kMostAtOnce ? size : kMostAtOnce;
            Check(BCryptHashData(hash_.Get(), bytes, static_cast<ULONG>(piece), 0),
                  "BCryptHashData");
            bytes += piece;
            size -= piece;
        }
    }
    Digest Finish() override {
        std::array<unsigned char, kMaxDigestBytes> bytes{};
        Check(BCryptFinishHash(hash_.Get(), bytes.data(), static_cast<ULONG>(DigestSize(kind_)), 0),
              "BCryptFinishHash");
        return Digest(kind_, bytes.data());
    }
    void Reset() override {
        hash_.Reset();
        BCRYPT_HASH_HANDLE hash = nullptr;
        Check(BCryptCreateHash(provider_, &hash, nullptr, 0, nullptr, 0, 0), "BCryptCreateHash");
        hash_.Reset(hash);
    }

    const DigestKindRow* KindRow() const override { return &RowOf(kind_); }

  private:
    DigestKind kind_;
    BCRYPT_ALG_HANDLE provider_;
    ScopedHashHandle hash_;
};

}  // namespace

std::unique_ptr<Hasher> MakeCngHasher(DigestKind kind) {
    return std::make_unique<CngHasher>(kind);
}

}  // namespace sumbrook
