// The local date and time for a protocol's header line.
#pragma once

#include "crc/ProtocolFormat.h"

namespace sumbrook {

// Now, on the local clock, all fields from one reading.
LocalDateTime LocalNow();

}  // namespace sumbrook
