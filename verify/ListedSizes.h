// The sizes of listed files that their listing did not tell (a POSIX
// listing tells none), asked of the file system before reading starts.
#pragma once

#include <vector>

#include "files/ListPlainFiles.h"

namespace sumbrook {

// Asks the size of every file of `files` that is not `sized`, on up to
// `jobs` threads (the calling thread among them); a file whose size cannot
// be had stays unsized.
void QueryMissingSizes(std::vector<PlainFile>& files, unsigned jobs);

}  // namespace sumbrook
