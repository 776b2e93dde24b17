#include "hash/GcryptStart.h"

#include <gcrypt.h>

#include <stdexcept>

#include "platform/ProcessorMaker.h"

namespace sumbrook {

namespace {

// libgcrypt 1.10 has one accelerated BLAKE2b, for AVX2 on x86-64, and its
// plain C otherwise; BLAKE2b is what this program asks of it there (SHA-3
// and the public keys go to OpenSSL). The AVX2 code is the faster on Zen 3
// and Zen 4, a third ahead of OpenSSL's. On AMD's family 26 (Zen 5) it is
// the slower by far: of 1 GiB in memory, 0.57-0.61 GB/s against 0.86-0.93
// GB/s for the plain C, and b2sum 0.80. So there libgcrypt is started as
// if the processor had no AVX2, which nothing else of it we use looks at.
bool Avx2BlakeIsSlow() {
#if defined(__x86_64__)
    return ThisProcessor().amd && ThisProcessor().family >= 0x1A;
#else
    return false;
#endif
}

}  // namespace

void StartGcrypt() {
    static const bool started = [] {
        if (Avx2BlakeIsSlow()) gcry_control(GCRYCTL_DISABLE_HWF, "intel-avx2", nullptr);
        if (gcry_check_version(GCRYPT_VERSION) == nullptr) {
            throw std::runtime_error("libgcrypt: the library is older than " GCRYPT_VERSION);
        }
        gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
        gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
        return true;
    }();
    (void)started;
}

}  // namespace sumbrook
