#include "cli/WholeFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/StdioFile.h"

namespace sumbrook {

std::string WriteWholeFile(const std::string& path, const std::string& bytes) {
    ScopedStdioFile file = OpenStdioFile(path, "wb");
    if (!file.IsValid()) return std::strerror(errno);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.Get()) == bytes.size();
    const int writeError = errno;
    const bool closed = file.Close();
    if (!written) return std::strerror(writeError);
    if (!closed) return std::strerror(errno);
    return {};
}

}  // namespace sumbrook
