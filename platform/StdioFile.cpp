#include "platform/StdioFile.h"

#ifdef _WIN32
#include "platform/WidePath.h"
#include "platform/WideText.h"
#endif

namespace sumbrook {

ScopedStdioFile OpenStdioFile(const std::string& path, const char* mode) {
#ifdef _WIN32
    return ScopedStdioFile(_wfopen(WidePath(path).c_str(), WideFromUtf8(mode).c_str()));
#else
    return ScopedStdioFile(std::fopen(path.c_str(), mode));
#endif
}

}  // namespace sumbrook
