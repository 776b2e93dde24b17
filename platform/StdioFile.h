// Owner of a C stream, on every platform.
#pragma once

#include <cstdio>
#include <string>

#include "platform/ScopedHandle.h"

namespace sumbrook {

// A stream from fopen(), closed with fclose(). Close() reports whether the
// buffered bytes reached the file, so a writer must call it and check.
struct StdioFileTraits {
    using Handle = std::FILE*;
    static Handle NullHandle() { return nullptr; }
    static bool IsValid(Handle file) { return file != nullptr; }
    static bool Close(Handle file) { return std::fclose(file) == 0; }
};

using ScopedStdioFile = ScopedHandle<StdioFileTraits>;

// fopen of the UTF-8 `path` ("rb" or "wb" style `mode`): on Windows through
// _wfopen and WidePath, so that any name and any length opens; elsewhere
// fopen of the bytes. Null on failure, with errno set.
ScopedStdioFile OpenStdioFile(const std::string& path, const char* mode);

}  // namespace sumbrook
