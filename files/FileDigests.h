// Several digests of one file from one read of it: the verification
// window's check of one file, and the settling of a list whose digests'
// length leaves their kind open.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "files/FileChecksum.h"
#include "hash/Digest.h"

namespace sumbrook {

struct FileDigests {
    // How the read went, as ChecksumFile says it; `read.digest` is the first
    // kind's.
    FileChecksum read;
    // When `read.status` is kOk: the digest of each kind asked for, in the
    // order asked, a kind asked twice given once (hash/DigestSet).
    std::vector<Digest> digests;
};

// What else is handed a file's bytes as its digests are read (a detached
// signature's check of the same file, so that a large file is read once):
// Restart when a read of the file begins (also again, as the read loops may
// start over), then Update with every byte in order. Called on the reading
// thread, after the digests' hashers have each piece.
class ReadAlongside {
  public:
    virtual void Restart() = 0;
    virtual void Update(const void* data, std::size_t size) = 0;

  protected:
    ~ReadAlongside() = default;
};

// Reads the file at `path` once, whole, as ChecksumFile reads a file (as
// `access` says, but for its digest kind), handing every block to a hasher
// of each of `kinds` (at least one), on up to `threads` threads at once
// (hash/DigestSet), and to `alongside` when given. No exception leaves the
// call: a hasher that cannot be made fails the read (kReadFailed).
FileDigests DigestFileOnce(const std::string& path, const std::vector<DigestKind>& kinds,
                           std::vector<unsigned char>& buffer,
                           const FileAccess& access = kPerThreadUtf8FileAccess,
                           unsigned threads = 1, ReadAlongside* alongside = nullptr);

}  // namespace sumbrook
