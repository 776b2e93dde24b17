// Checksums many files on several threads and hands the results over in
// the files' order, so that what is reported does not depend on the number
// of threads.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "files/FileReadControl.h"
#include "files/ReadFileChecksum.h"

namespace sumbrook {

using DeliverChecksum = std::function<void(std::size_t index, const FileChecksum& checksum)>;
using ReadOneFile = std::function<FileChecksum(const FileToRead& file, unsigned parts,
                                               std::vector<unsigned char>& buffer)>;
// Reads the file of `index` among those checksummed, on the thread that calls
// it (called on several threads at once, never twice for one index).
using ReadFileAt = std::function<FileChecksum(std::size_t index, unsigned parts,
                                              std::vector<unsigned char>& buffer)>;

// How many results the readers may be ahead of the file delivered next: the
// results waiting are all that a run of any number of files holds.
inline constexpr std::size_t kResultsAhead = std::size_t{1} << 14;
// The places for results a run starts with, as many more each time the
// readers fill them.
inline constexpr std::size_t kFirstResultSlots = std::size_t{1} << 10;

// Checksums `files` on `jobs` threads of their own (at least one; each with
// one read buffer reused for all its files; on the calling thread only when
// no thread can be started). Calls `deliver` on the calling thread for index
// 0, 1, 2... in order, each as soon as it and all before it are done, and
// `idle` (when set) every few milliseconds meanwhile, also while one
// large file is read. A large file is read in up to `jobs` parts at once, as
// far as the thread limit allows (without `control`: max(jobs, usable
// processors) reading threads at once). Each file
// is read by `read` (empty: PerThreadUtf8Reader(false, control)), which is
// handed files[i] itself (so it may tell i by the address); a
// std::bad_alloc from it makes that file kReadFailed on any number of jobs.
//
// `control` (may be null) is the run's: when it stops, reading ends within a
// block, no further result is delivered, every thread is joined, and the
// call returns false. Its thread limit, when it has one, must leave room for
// `jobs` readers; they hold one each while they read and give it back when
// no file is left for them, so that a large file read last gets parts. An
// exception from `deliver` or `idle` stops the run and propagates once the
// threads have ended. True when every file was delivered.
bool ChecksumInOrder(const std::vector<FileToRead>& files, unsigned jobs,
                     const DeliverChecksum& deliver, const std::function<void()>& idle,
                     const ReadOneFile& read = {}, FileReadControl* control = nullptr);

// The same for `count` files that `read` reads by index, so that a caller of
// a million files need not hold a million paths: a reader takes the next
// index only while it is fewer than kResultsAhead past the file delivered
// next.
bool ChecksumInOrder(std::size_t count, unsigned jobs, const DeliverChecksum& deliver,
                     const std::function<void()>& idle, const ReadFileAt& read,
                     FileReadControl* control = nullptr);

// ReadFileChecksum with kPerThreadUtf8FileAccess (the error mode set per
// thread, UTF-8 names) under `control`, past the system's cache when
// `uncached`.
ReadOneFile PerThreadUtf8Reader(bool uncached, FileReadControl* control = nullptr);

// The default number of files read at once: the number of processor cores,
// at least one.
unsigned DefaultJobCount();

}  // namespace sumbrook
