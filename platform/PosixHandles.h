// Owners of POSIX file descriptors and directory streams.
#pragma once

#include <dirent.h>
#include <unistd.h>

#include "platform/ScopedHandle.h"

namespace sumbrook {

// A descriptor from open(): invalid is -1.
struct FdTraits {
    using Handle = int;
    static Handle NullHandle() { return -1; }
    static bool IsValid(Handle fd) { return fd >= 0; }
    static bool Close(Handle fd) { return close(fd) == 0; }
};

// A stream from opendir(), closed with closedir().
struct DirTraits {
    using Handle = DIR*;
    static Handle NullHandle() { return nullptr; }
    static bool IsValid(Handle dir) { return dir != nullptr; }
    static bool Close(Handle dir) { return closedir(dir) == 0; }
};

using ScopedFd = ScopedHandle<FdTraits>;
using ScopedDir = ScopedHandle<DirTraits>;

}  // namespace sumbrook
