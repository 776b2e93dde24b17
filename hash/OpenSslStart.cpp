#include "hash/OpenSslStart.h"

#include <openssl/crypto.h>

namespace sumbrook {

void StartOpenSsl() {
    static const bool started = [] {
        OPENSSL_init_crypto(OPENSSL_INIT_NO_LOAD_CONFIG | OPENSSL_INIT_NO_ADD_ALL_CIPHERS |
                                OPENSSL_INIT_NO_ADD_ALL_DIGESTS,
                            nullptr);
        return true;
    }();
    (void)started;
}

}  // namespace sumbrook
