// Checksums many files on several threads and hands the results over in
// the files' order, so that what is printed does not depend on the number of
// threads.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "files/FileEntryCrc32.h"

namespace sumbrook {

using DeliverChecksum = std::function<void(std::size_t index, const FileChecksum& checksum)>;
using ReadOneFile = std::function<FileChecksum(const FileToRead& file, unsigned parts,
                                               std::vector<unsigned char>& buffer)>;

// Checksums `files` with `jobs` threads (at least one; each with one read
// buffer reused for all its files). Calls `deliver` on the calling thread for
// index 0, 1, 2... in order, each as soon as it and all before it are done,
// and `idle` (when set) about five times a second while it waits. With one
// job everything runs on the calling thread. A large file is read in up to `jobs`
// parts at once. Each file is read by `read` (empty: CommandLineReader(false),
// through the cache); a std::bad_alloc from it makes that file
// kReadFailed on any number of jobs. An exception from `deliver` or `idle`
// stops the run and propagates once the threads have ended.
void ChecksumInOrder(const std::vector<FileToRead>& files, unsigned jobs,
                     const DeliverChecksum& deliver, const std::function<void()>& idle,
                     const ReadOneFile& read = {});

// ReadFileChecksum with the command line's file access (the error mode set
// per thread, UTF-8 names), past the system's cache when `uncached`.
ReadOneFile CommandLineReader(bool uncached);

// The default for --jobs: the number of processor cores, at least one.
unsigned DefaultJobCount();

}  // namespace sumbrook
