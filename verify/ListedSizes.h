// The sizes of listed files that their listing did not tell (a POSIX
// listing tells none), asked of the file system before reading starts.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "files/ListPlainFiles.h"

namespace sumbrook {

// Asks the size of every file of `files` that is not `sized`, on up to
// `jobs` threads (the calling thread among them); a file whose size cannot
// be had stays unsized.
void QueryMissingSizes(std::vector<PlainFile>& files, unsigned jobs);

// Calls `work` for each index below `count` on up to `jobs` threads (the
// calling thread among them), each index once.
void OnThreads(std::size_t count, unsigned jobs, const std::function<void(std::size_t)>& work);

}  // namespace sumbrook
