#include "hash/Hasher.h"

#include <stdexcept>
#include <string>

#include "hash/DigestKindTable.h"
#include "hash/HasherBackends.h"

namespace sumbrook {

std::unique_ptr<Hasher> MakeHasher(DigestKind kind) {
    switch (BackendOfThisBuild(RowOf(kind))) {
        case HasherBackend::kCrc32Engine:
            return MakeCrc32Hasher();
#ifdef _WIN32
        case HasherBackend::kCng:
            return MakeCngHasher(kind);
        case HasherBackend::kOpenSsl:
            break;  // none in this build: the table's checks refuse such a row
#else
        case HasherBackend::kOpenSsl:
            return MakeOpenSslHasher(kind);
        case HasherBackend::kCng:
            break;  // none in this build: the table's checks refuse such a row
#endif
        case HasherBackend::kBlake3:
            return MakeBlake3Hasher();
        case HasherBackend::kXxHash:
            return MakeXxHasher(kind);
        case HasherBackend::kGcrypt:
            return MakeGcryptHasher(kind);
    }
    throw std::logic_error(std::string("no hasher of ") + DigestKindName(kind) + " in this build");
}

}  // namespace sumbrook
