#include "hash/Hasher.h"

#include "hash/HasherBackends.h"

namespace sumbrook {

std::unique_ptr<Hasher> MakeHasher(DigestKind kind) {
    switch (kind) {
        case DigestKind::kCrc32:
            return MakeCrc32Hasher();
        case DigestKind::kMd5:
        case DigestKind::kSha1:
        case DigestKind::kSha256:
        case DigestKind::kSha384:
        case DigestKind::kSha512:
            return MakeSystemHasher(kind);
        case DigestKind::kBlake3:
            return MakeBlake3Hasher();
        case DigestKind::kXxh3:
        case DigestKind::kXxh128:
        case DigestKind::kXxh64:
            return MakeXxHasher(kind);
    }
    return MakeCrc32Hasher();
}

}  // namespace sumbrook
