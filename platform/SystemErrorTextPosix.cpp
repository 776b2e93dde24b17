#include <cstring>

#include "platform/SystemErrorText.h"

namespace sumbrook {

std::string SystemErrorText(unsigned long code) {
    return std::strerror(static_cast<int>(code));
}

}  // namespace sumbrook
