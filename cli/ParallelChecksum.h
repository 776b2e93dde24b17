// Checksums many files on several threads and hands the results over in
// the files' order, so that what is printed does not depend on the number of
// threads.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "cli/FileChecksumParts.h"

namespace sumbrook {

using DeliverChecksum = std::function<void(std::size_t index, const FileChecksum& checksum)>;

// Checksums `files` with `jobs` threads (at least one; each with one read
// buffer reused for all its files). Calls `deliver` on the calling thread for
// index 0, 1, 2... in order, each as soon as it and all before it are done,
// and `idle` (when set) about five times a second while it waits. With one
// job everything runs on the calling thread. A large file is read in `jobs`
// parts at once. An exception from `deliver` or `idle` stops the run and
// propagates once the threads have ended.
void ChecksumInOrder(const std::vector<FileToRead>& files, unsigned jobs,
                     const DeliverChecksum& deliver, const std::function<void()>& idle);

// The default for --jobs: the number of processor cores, at least one.
unsigned DefaultJobCount();

}  // namespace sumbrook
