#include "hash/GcryptStart.h"

#include <gcrypt.h>

#include <stdexcept>

namespace sumbrook {

void StartGcrypt() {
    static const bool started = [] {
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
