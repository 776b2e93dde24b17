#include "app/TempDirectory.h"

namespace sumbrook {

char TempDirectory[kTempDirectorySize] = {};

}  // namespace sumbrook
