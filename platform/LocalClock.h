// The local date and time, for the header line of a protocol.
#pragma once

namespace sumbrook {

// A local date and time as the clock reports it, all fields in one reading.
struct LocalDateTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Now, on the local clock, all fields from one reading. On Windows the
// reading is GetLocalTime, taken under the error-mode rule.
LocalDateTime LocalNow();

}  // namespace sumbrook
