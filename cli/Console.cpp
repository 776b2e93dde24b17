#include "cli/Console.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

namespace sumbrook {

bool IsTerminal(std::FILE* stream) {
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

void UseBinaryMode(std::FILE* stream) {
#ifdef _WIN32
    std::fflush(stream);
    _setmode(_fileno(stream), _O_BINARY);
#else
    (void)stream;
#endif
}

}  // namespace sumbrook
